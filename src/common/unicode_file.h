// Grammar sources are UTF-16LE text with a byte-order mark; every writer of
// them goes through WriteUnicodeFile.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>


namespace talvane {

// The file image: FF FE, then the text's UTF-16LE code units, nothing after.
std::string UnicodeFileBytes(std::u16string_view text);

// Replaces `path` with the text (Windows-1252 bytes in the second form). The
// new file lands atomically, so an old grammar is never left half-written.
// False when the file cannot be written; the caller tells the user.
bool WriteUnicodeFile(std::u16string_view text, const std::filesystem::path& path);
bool WriteUnicodeFile(std::string_view ansi_text, const std::filesystem::path& path);

}  // namespace talvane
