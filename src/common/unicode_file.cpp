#include "common/unicode_file.h"

#include "common/files.h"
#include "common/text.h"

namespace talvane {

std::string UnicodeFileBytes(std::u16string_view text) {
  std::string bytes;
  bytes.reserve(2 + 2 * text.size());
  bytes += '\xFF';
  bytes += '\xFE';
  for (char16_t u : text) {
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>(u >> 8);
  }
  return bytes;
}

bool WriteUnicodeFile(std::u16string_view text, const std::filesystem::path& path) {
  return AtomicWriteFile(path, UnicodeFileBytes(text));
}

bool WriteUnicodeFile(std::string_view ansi_text, const std::filesystem::path& path) {
  return WriteUnicodeFile(Cp1252ToUtf16(ansi_text), path);
}

}  // namespace talvane
