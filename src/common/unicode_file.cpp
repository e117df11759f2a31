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

bool WriteUnicodeFile(Context& ctx, std::u16string_view text, const std::filesystem::path& path) {
  if (AtomicWriteFile(path, UnicodeFileBytes(text))) return true;
  ctx.Tell("Talvane Error",
           Paragraphs({"There was an error in trying to write a grammar file.", "Please contact Brevantix Support",
                       "Please press OK to continue..."}),
           kIconError);
  ctx.ui.ExitProgram();
  return false;
}

bool WriteUnicodeFile(Context& ctx, std::string_view ansi_text, const std::filesystem::path& path) {
  return WriteUnicodeFile(ctx, Cp1252ToUtf16(ansi_text), path);
}

}  // namespace talvane
