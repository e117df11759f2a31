#include "common/ini.h"

#include "common/files.h"
#include "common/text.h"

namespace talvane {

namespace {

constexpr std::size_t kBufferChars = 512;  // the callers' buffer, NUL included

bool IsIniSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f' || c == 0x1a;
}

std::string_view StripSpace(std::string_view s) {
  while (!s.empty() && IsIniSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsIniSpace(s.back())) s.remove_suffix(1);
  return s;
}

enum class Encoding { Ansi, Utf8Bom, Utf16Bom };

Encoding Detect(std::string_view bytes) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE)
    return Encoding::Utf16Bom;
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") return Encoding::Utf8Bom;
  return Encoding::Ansi;
}

std::u16string Utf16Units(std::string_view bytes) {
  std::u16string u;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
    u += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                               (static_cast<unsigned char>(bytes[i + 1]) << 8));
  return u;
}

std::string ToAnsi(std::string_view bytes) {
  switch (Detect(bytes)) {
    case Encoding::Utf16Bom: return Utf16ToCp1252(Utf16Units(bytes.substr(2)));
    case Encoding::Utf8Bom: return Utf8ToCp1252(bytes.substr(3));
    case Encoding::Ansi: break;
  }
  return std::string(bytes);
}

// A line of the file split into its parts, as the profile parser sees it.
struct ParsedLine {
  enum Kind { Blank, SectionHeader, KeyLine } kind = Blank;
  std::string_view name;   // section or key name
  std::optional<std::string_view> value;
};

ParsedLine ParseLine(std::string_view line) {
  ParsedLine out;
  std::string_view s = StripSpace(line);
  if (s.empty()) return out;
  if (s.front() == '[') {
    std::size_t close = s.rfind(']');
    if (close != std::string_view::npos && close > 0) {
      out.kind = ParsedLine::SectionHeader;
      out.name = StripSpace(s.substr(1, close - 1));
      return out;
    }
  }
  out.kind = ParsedLine::KeyLine;
  std::size_t eq = s.find('=');
  if (eq == std::string_view::npos) {
    out.name = s;
    return out;
  }
  out.name = StripSpace(s.substr(0, eq));
  out.value = StripSpace(s.substr(eq + 1));
  return out;
}

// Splits at LF; each piece keeps its line end.
std::vector<std::string_view> SplitLinesKeepEnds(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t nl = text.find('\n', start);
    std::size_t end = nl == std::string_view::npos ? text.size() : nl + 1;
    lines.push_back(text.substr(start, end - start));
    start = end;
  }
  return lines;
}

std::string_view WithoutEnd(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

std::string CleanValue(std::string_view value) {
  // A line break inside a value would split the key in two.
  std::string v(StripSpace(value).data(), StripSpace(value).size());
  for (char& c : v)
    if (c == '\r' || c == '\n') c = ' ';
  return v;
}

}  // namespace

std::int32_t ProfileInt(std::string_view value) {
  value = value.substr(0, 29);
  std::size_t i = 0;
  while (i < value.size() && IsIniSpace(value[i])) ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '-' || value[i] == '+')) {
    negative = value[i] == '-';
    ++i;
  }
  std::uint32_t v = 0;
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
    v = v * 10u + static_cast<std::uint32_t>(value[i] - '0');
  if (negative) v = 0u - v;
  return static_cast<std::int32_t>(v);
}

IniDocument IniDocument::Parse(std::string_view bytes) {
  IniDocument doc;
  std::string text = ToAnsi(bytes);
  doc.sections_.push_back(Section{});  // keys before the first header
  for (std::string_view line : SplitLinesKeepEnds(text)) {
    ParsedLine p = ParseLine(line);
    if (p.kind == ParsedLine::SectionHeader) {
      doc.sections_.push_back(Section{std::string(p.name), {}});
    } else if (p.kind == ParsedLine::KeyLine) {
      Key k{std::string(p.name), std::nullopt};
      if (p.value) k.value = std::string(*p.value);
      doc.sections_.back().keys.push_back(std::move(k));
    }
  }
  return doc;
}

std::optional<IniDocument> IniDocument::Load(const std::filesystem::path& file) {
  auto bytes = ReadWholeFile(file);
  if (!bytes) return std::nullopt;
  return Parse(*bytes);
}

std::optional<std::string> IniDocument::Lookup(std::string_view section, std::string_view key) const {
  section = StripSpace(section);
  key = StripSpace(key);
  for (std::size_t s = 1; s < sections_.size(); ++s) {
    if (!EqualsNoCase(sections_[s].name, section)) continue;
    // Only the first section of a name is searched.
    for (const Key& k : sections_[s].keys) {
      if (!EqualsNoCase(k.name, key)) continue;
      if (!k.value) return std::nullopt;
      std::string_view v = *k.value;
      bool quoted = v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front();
      if (quoted) {
        std::string_view inner = v.substr(1, v.size() - 2);
        if (inner.size() <= kBufferChars - 1) return std::string(inner);
        // Too long for the buffer: the closing quote is never reached.
        return std::string(v.substr(1, kBufferChars - 1));
      }
      return std::string(v.substr(0, kBufferChars - 1));
    }
    return std::nullopt;
  }
  return std::nullopt;
}

std::string IniDocument::ReadString(std::string_view section, std::string_view key) const {
  auto v = Lookup(section, key);
  if (!v || v->empty()) return {};
  for (char& c : *v)
    if (c == '\0') c = ' ';
  return Trim(*v);
}

std::int32_t IniDocument::ReadInt(std::string_view section, std::string_view key) const {
  auto v = Lookup(section, key);
  if (!v || v->empty()) return 0;
  return ProfileInt(*v);
}

std::string ReadIniString(std::string_view section, std::string_view key, const std::filesystem::path& file) {
  auto doc = IniDocument::Load(file);
  return doc ? doc->ReadString(section, key) : std::string();
}

std::int32_t ReadIniInt(std::string_view section, std::string_view key, const std::filesystem::path& file) {
  auto doc = IniDocument::Load(file);
  return doc ? doc->ReadInt(section, key) : 0;
}

std::string SetIniValue(std::string_view bytes, std::string_view section, std::string_view key,
                        std::string_view value) {
  section = StripSpace(section);
  key = StripSpace(key);
  const Encoding enc = Detect(bytes);
  // Lines are edited in the file's own encoding; only UTF-16 needs a detour.
  std::string text;
  std::string prefix;
  if (enc == Encoding::Utf16Bom) {
    text = Cp1252ToUtf8(Utf16ToCp1252(Utf16Units(bytes.substr(2))));
  } else if (enc == Encoding::Utf8Bom) {
    prefix = "\xEF\xBB\xBF";
    text = std::string(bytes.substr(3));
  } else {
    text = std::string(bytes);
  }
  const bool utf8 = enc != Encoding::Ansi;
  auto enc_text = [&](std::string_view ansi) { return utf8 ? Cp1252ToUtf8(ansi) : std::string(ansi); };
  auto dec_text = [&](std::string_view raw) { return utf8 ? Utf8ToCp1252(raw) : std::string(raw); };

  const std::string eol =
      text.find("\r\n") != std::string::npos || text.find('\n') == std::string::npos ? "\r\n" : "\n";
  const std::string new_line = enc_text(std::string(key) + "=" + CleanValue(value));
  std::vector<std::string> lines;
  for (std::string_view l : SplitLinesKeepEnds(text)) lines.emplace_back(l);
  auto parse = [&](std::size_t i, std::string& name) {
    const std::string decoded = dec_text(lines[i]);
    ParsedLine p = ParseLine(decoded);
    name.assign(p.name);
    return p.kind;
  };

  std::size_t header = lines.size();
  std::string name;
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (parse(i, name) == ParsedLine::SectionHeader && EqualsNoCase(name, section)) {
      header = i;
      break;
    }

  if (header == lines.size()) {
    // No such section: append it, after a blank line.
    std::string out = text;
    if (!out.empty() && out.back() != '\n') out += eol;
    if (!out.empty() && !(out.size() >= 2 * eol.size() && out.ends_with(eol + eol))) out += eol;
    out += enc_text("[" + std::string(section) + "]") + eol + new_line + eol;
    text = std::move(out);
  } else {
    std::size_t insert_at = header + 1;
    bool replaced = false;
    for (std::size_t i = header + 1; i < lines.size(); ++i) {
      ParsedLine::Kind kind = parse(i, name);
      if (kind == ParsedLine::SectionHeader) break;
      if (kind == ParsedLine::KeyLine && EqualsNoCase(name, key)) {
        // Keep the key's spelling and the line's own ending.
        std::string_view line = lines[i];
        std::string ending(line.substr(WithoutEnd(line).size()));
        lines[i] = enc_text(name + "=" + CleanValue(value)) + ending;
        replaced = true;
        break;
      }
      if (kind == ParsedLine::KeyLine) insert_at = i + 1;
    }
    if (!replaced) {
      if (!lines[insert_at - 1].ends_with('\n')) lines[insert_at - 1] += eol;
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insert_at), new_line + eol);
    }
    text.clear();
    for (const auto& l : lines) text += l;
  }
  std::string out = std::move(text);
  if (enc == Encoding::Utf16Bom) {
    std::u16string u = Cp1252ToUtf16(Utf8ToCp1252(out));
    std::string b = "\xFF\xFE";
    for (char16_t c : u) {
      b += static_cast<char>(c & 0xFF);
      b += static_cast<char>(c >> 8);
    }
    return b;
  }
  return prefix + out;
}

bool WriteIniValue(std::string_view section, std::string_view key, std::string_view value,
                   const std::filesystem::path& file, std::string* error) {
  std::string bytes;
  if (FileExists(file)) {
    auto data = ReadWholeFile(file);
    if (!data) {
      if (error) *error = "cannot read " + file.string();
      return false;
    }
    bytes = std::move(*data);
  }
  return AtomicWriteFile(file, SetIniValue(bytes, section, key, value), error);
}

}  // namespace talvane
