#include "common/record_text.h"

#include "common/binary.h"
#include "common/text.h"

namespace talvane {

namespace {

std::string_view StripBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

[[noreturn]] void Fail(int line, const std::string& what) {
  throw FormatError("line " + std::to_string(line) + ": " + what);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool NeedsQuotes(std::string_view ansi) {
  if (ansi.empty()) return false;
  if (ansi.front() == ' ' || ansi.front() == '"' || ansi.front() == '\t' || ansi.back() == ' ' ||
      ansi.back() == '\t')
    return true;
  for (char c : ansi) {
    auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || IsCp1252Undefined(u)) return true;
  }
  return false;
}

}  // namespace

std::vector<RecordBlock> ParseRecordText(std::string_view text) {
  std::vector<RecordBlock> blocks;
  int line_no = 0;
  std::size_t start = 0;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") start = 3;
  while (start <= text.size()) {
    std::size_t nl = text.find('\n', start);
    std::string_view line = text.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start);
    start = nl == std::string_view::npos ? text.size() + 1 : nl + 1;
    ++line_no;
    line = StripBlanks(line);
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[' && line.back() == ']') {
      blocks.push_back(RecordBlock{std::string(StripBlanks(line.substr(1, line.size() - 2))), line_no, {}});
      continue;
    }
    std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) Fail(line_no, "expected `key = value`");
    if (blocks.empty()) Fail(line_no, "a field before the first [header]");
    std::string key(StripBlanks(line.substr(0, eq)));
    if (key.empty()) Fail(line_no, "a field without a name");
    std::string raw(StripBlanks(line.substr(eq + 1)));
    try {
      DecodeRecordValue(raw);
    } catch (const FormatError& e) {
      Fail(line_no, e.what());
    }
    blocks.back().fields.push_back(RecordField{std::move(key), std::move(raw), line_no});
  }
  return blocks;
}

std::string DecodeRecordValue(std::string_view raw) {
  if (raw.empty() || raw.front() != '"') return Utf8ToCp1252(raw);
  if (raw.size() < 2 || raw.back() != '"') throw FormatError("a quoted value without its closing quote");
  std::string_view in = raw.substr(1, raw.size() - 2);
  std::string out;
  std::string plain;  // UTF-8 run between escapes
  auto flush = [&] {
    out += Utf8ToCp1252(plain);
    plain.clear();
  };
  for (std::size_t i = 0; i < in.size(); ++i) {
    char c = in[i];
    if (c == '"') throw FormatError("a quote inside a quoted value must be written \\\"");
    if (c != '\\') {
      plain += c;
      continue;
    }
    flush();
    if (++i >= in.size()) throw FormatError("a backslash at the end of a quoted value");
    switch (in[i]) {
      case '"': out += '"'; break;
      case '\\': out += '\\'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      case 'x': {
        int hi = i + 1 < in.size() ? HexDigit(in[i + 1]) : -1;
        int lo = i + 2 < in.size() ? HexDigit(in[i + 2]) : -1;
        if (hi < 0 || lo < 0) throw FormatError("\\x needs two hexadecimal digits");
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
        break;
      }
      default: throw FormatError(std::string("unknown escape \\") + in[i]);
    }
  }
  flush();
  return out;
}

std::string EncodeRecordValue(std::string_view ansi) {
  if (!NeedsQuotes(ansi)) return Cp1252ToUtf8(ansi);
  static const char* kHex = "0123456789ABCDEF";
  std::string out = "\"";
  for (char c : ansi) {
    auto u = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out += "\\\""; continue;
      case '\\': out += "\\\\"; continue;
      case '\t': out += "\\t"; continue;
      case '\r': out += "\\r"; continue;
      case '\n': out += "\\n"; continue;
      default: break;
    }
    if (u < 0x20 || u == 0x7F || IsCp1252Undefined(u)) {
      out += "\\x";
      out += kHex[u >> 4];
      out += kHex[u & 15];
    } else {
      out += Cp1252ToUtf8(std::string_view(&c, 1));
    }
  }
  out += '"';
  return out;
}

std::string RecordLine(std::string_view key, std::string_view ansi) {
  std::string v = EncodeRecordValue(ansi);
  std::string out(key);
  out += v.empty() ? " =" : " = ";
  out += v;
  out += '\n';
  return out;
}

}  // namespace talvane
