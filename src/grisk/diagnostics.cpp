#include "grisk/diagnostics.h"

namespace talvane::grisk {

std::string Diagnostics::Format(const Diagnostic& d) {
  std::string s = d.file;
  if (d.pos.line > 0) s += ", line " + std::to_string(d.pos.line) + ", column " + std::to_string(d.pos.column);
  s += d.error ? ": error: " : ": warning: ";
  s += d.text;
  return s;
}

}  // namespace talvane::grisk
