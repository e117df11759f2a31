// Grammar sources are UTF-16LE text with a byte-order mark; every writer of
// them goes through WriteUnicodeFile.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "common/context.h"

namespace talvane {

// The file image: FF FE, then the text's UTF-16LE code units, nothing after.
std::string UnicodeFileBytes(std::u16string_view text);

// Replaces `path` with the text (Windows-1252 bytes in the first form). The
// new file lands atomically, so an old grammar is never left half-written.
// When the file cannot be written, tells the user, ends the program through
// ctx.ui.ExitProgram() and returns false; the caller then returns 1.
bool WriteUnicodeFile(Context& ctx, std::u16string_view text, const std::filesystem::path& path);
bool WriteUnicodeFile(Context& ctx, std::string_view ansi_text, const std::filesystem::path& path);

}  // namespace talvane
