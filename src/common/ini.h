// INI files with the semantics of the Windows profile functions: section and
// key names compared without regard to case (and trimmed), the first of
// duplicate keys wins, only the first section of a name is searched, values
// trimmed and stripped of one pair of enclosing quotes, 511 characters at
// most. Writing changes the one line of the key and keeps every other byte of
// the file; the file is replaced atomically.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talvane {

// A parsed INI text (Windows-1252 bytes; UTF-8 or UTF-16 files with a
// byte-order mark are converted).
class IniDocument {
 public:
  static IniDocument Parse(std::string_view bytes);
  // nullopt when the file cannot be read.
  static std::optional<IniDocument> Load(const std::filesystem::path& file);

  // What the profile string call returns: nullopt when the key (or a value
  // for it) is missing, otherwise the value as copied into a 512-character
  // buffer.
  std::optional<std::string> Lookup(std::string_view section, std::string_view key) const;

  // ReadIniString: a missing key reads as empty; NULs become spaces; trimmed.
  std::string ReadString(std::string_view section, std::string_view key) const;
  // ReadIniInt: the platform's integer reading with default 0.
  std::int32_t ReadInt(std::string_view section, std::string_view key) const;

 private:
  struct Key {
    std::string name;
    std::optional<std::string> value;
  };
  struct Section {
    std::string name;
    std::vector<Key> keys;
  };
  std::vector<Section> sections_;
};

// The profile functions on a file, read anew at every call.
std::string ReadIniString(std::string_view section, std::string_view key, const std::filesystem::path& file);
std::int32_t ReadIniInt(std::string_view section, std::string_view key, const std::filesystem::path& file);
// Writes one key; returns false when the file could not be written (callers
// of the program do not act on it). Creates the file, section or key when
// missing.
bool WriteIniValue(std::string_view section, std::string_view key, std::string_view value,
                   const std::filesystem::path& file, std::string* error = nullptr);

// The text edit behind WriteIniValue, on the file's bytes.
std::string SetIniValue(std::string_view bytes, std::string_view section, std::string_view key,
                        std::string_view value);

// The integer reading of the profile functions on a value: leading white
// space, an optional sign, decimal digits up to the first other character,
// arithmetic modulo 2^32; only the first 29 characters are looked at.
std::int32_t ProfileInt(std::string_view value);

}  // namespace talvane
