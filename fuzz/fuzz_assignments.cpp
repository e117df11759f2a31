// The assignment list reader on arbitrary bytes; round trip of what it accepts.
#include <cstdint>
#include <cstdlib>

#include "aircraft/assignments.h"
#include "common/binary.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    auto list = talvane::ParseAssignments(bytes);
    std::string again = talvane::SerializeAssignments(list);
    if (again != bytes.substr(0, again.size())) std::abort();
  } catch (const talvane::FormatError&) {
  }
  return 0;
}
