// navaid-builder: writes Data/Nav_Info.txt and Data/ILS_Info.txt from the
// public-domain navaid data (ourairports/navaids.csv and runways.csv below
// the source folder).
//
// Nav_Info.txt: every VOR, VOR-DME, VORTAC, DME and NDB (NDB-DME included)
// with a usable identifier, spoken name and frequency, as ID|Name|Frequency.
// Identifiers repeat across the world; every station is kept, and the voice
// module tells them apart by the frequency in the tag (and by distance).
// VHF frequencies are written in MHz with two decimals ("114.50"), NDB
// frequencies in whole kHz ("373").
//
// ILS_Info.txt: one line per runway end of the long, paved, lighted, open
// runways of airports with a four-letter identifier, as
// Airport|Runway|Airport|Runway; the tags let the voice module find the
// approach in the simulator's own data.
//
// The source data ships with the project (data/navaids); a missing file is an
// error, so a build never silently goes without the lists.
#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "common/files.h"

namespace {

namespace fs = std::filesystem;
using Row = std::vector<std::string>;

// RFC 4180 records: quoted fields may hold commas, quotes ("") and line ends.
std::vector<Row> ParseCsv(std::string_view text) {
  std::vector<Row> rows;
  Row row;
  std::string field;
  bool quoted = false, any = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"') {
        if (i + 1 < text.size() && text[i + 1] == '"') {
          field += '"';
          ++i;
        } else {
          quoted = false;
        }
      } else {
        field += c;
      }
      continue;
    }
    if (c == '"') {
      quoted = true;
      any = true;
    } else if (c == ',') {
      row.push_back(std::move(field));
      field.clear();
      any = true;
    } else if (c == '\n' || c == '\r') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      if (any || !field.empty()) {
        row.push_back(std::move(field));
        rows.push_back(std::move(row));
      }
      row.clear();
      field.clear();
      any = false;
    } else {
      field += c;
      any = true;
    }
  }
  if (quoted) throw std::runtime_error("unterminated quoted field");
  if (any || !field.empty()) {
    row.push_back(std::move(field));
    rows.push_back(std::move(row));
  }
  return rows;
}

// Column access by header name.
class Table {
 public:
  Table(const fs::path& file, std::initializer_list<const char*> needed) : file_(file) {
    auto text = talvane::ReadWholeFile(file);
    if (!text) throw std::runtime_error("cannot read " + file.string());
    rows_ = ParseCsv(*text);
    if (rows_.empty()) throw std::runtime_error(file.string() + ": no header");
    for (std::size_t i = 0; i < rows_[0].size(); ++i) columns_[rows_[0][i]] = i;
    for (const char* n : needed)
      if (!columns_.count(n)) throw std::runtime_error(file.string() + ": no column " + n);
  }
  std::size_t size() const { return rows_.size() - 1; }
  std::string_view at(std::size_t row, const char* column) const {
    const Row& r = rows_[row + 1];
    const std::size_t c = columns_.at(column);
    return c < r.size() ? std::string_view(r[c]) : std::string_view();
  }

 private:
  fs::path file_;
  std::vector<Row> rows_;
  std::map<std::string, std::size_t> columns_;
};

std::string UpperAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

bool IsAlpha(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::optional<long> ToLong(std::string_view s) {
  if (s.empty() || s.size() > 12) return std::nullopt;
  long v = 0;
  bool negative = false;
  std::size_t i = 0;
  if (s[0] == '-') negative = true, i = 1;
  if (i == s.size()) return std::nullopt;
  for (; i < s.size(); ++i) {
    if (!IsDigit(s[i])) return std::nullopt;
    v = v * 10 + (s[i] - '0');
  }
  return negative ? -v : v;
}

// Decodes UTF-8; nullopt on malformed input.
std::optional<std::u32string> DecodeUtf8(std::string_view s) {
  std::u32string out;
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= s.size()) return std::nullopt;
    char32_t cp = extra == 0 ? b : b & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      const auto c = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
      if ((c & 0xC0) != 0x80) return std::nullopt;
      cp = (cp << 6) | (c & 0x3F);
    }
    out += cp;
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

// Plain letters for the accented Latin letters station names use; an
// English-speaking pilot says Chateaudun, not the French vowel.
std::optional<std::string> Transliterate(char32_t cp) {
  if (cp < 0x80) return std::string(1, static_cast<char>(cp));
  static const std::map<char32_t, const char*> table = {
      {U'À', "A"},  {U'Á', "A"},  {U'Â', "A"}, {U'Ã', "A"}, {U'Ä', "A"}, {U'Å', "A"}, {U'Æ', "AE"}, {U'Ç', "C"},
      {U'È', "E"},  {U'É', "E"},  {U'Ê', "E"}, {U'Ë', "E"}, {U'Ì', "I"}, {U'Í', "I"}, {U'Î', "I"},  {U'Ï', "I"},
      {U'Ñ', "N"},  {U'Ò', "O"},  {U'Ó', "O"}, {U'Ô', "O"}, {U'Õ', "O"}, {U'Ö', "O"}, {U'Ø', "O"},  {U'Ù', "U"},
      {U'Ú', "U"},  {U'Û', "U"},  {U'Ü', "U"}, {U'Ý', "Y"}, {U'ß', "ss"}, {U'à', "a"}, {U'á', "a"}, {U'â', "a"},
      {U'ã', "a"},  {U'ä', "a"},  {U'å', "a"}, {U'æ', "ae"}, {U'ç', "c"}, {U'è', "e"}, {U'é', "e"},  {U'ê', "e"},
      {U'ë', "e"},  {U'ì', "i"},  {U'í', "i"}, {U'î', "i"}, {U'ï', "i"}, {U'ñ', "n"}, {U'ò', "o"},  {U'ó', "o"},
      {U'ô', "o"},  {U'õ', "o"},  {U'ö', "o"}, {U'ø', "o"}, {U'ù', "u"}, {U'ú', "u"}, {U'û', "u"},  {U'ü', "u"},
      {U'ý', "y"},  {U'ÿ', "y"},  {U'Ā', "A"}, {U'ā', "a"}, {U'Ă', "A"}, {U'ă', "a"}, {U'Ą', "A"},  {U'ą', "a"},
      {U'Ć', "C"},  {U'ć', "c"},  {U'Č', "C"}, {U'č', "c"}, {U'Ď', "D"}, {U'ď', "d"}, {U'Đ', "D"},  {U'đ', "d"},
      {U'Ē', "E"},  {U'ē', "e"},  {U'Ę', "E"}, {U'ę', "e"}, {U'Ě', "E"}, {U'ě', "e"}, {U'Ğ', "G"},  {U'ğ', "g"},
      {U'Ī', "I"},  {U'ī', "i"},  {U'İ', "I"}, {U'ı', "i"}, {U'Ł', "L"}, {U'ł', "l"}, {U'Ń', "N"},  {U'ń', "n"},
      {U'Ň', "N"},  {U'ň', "n"},  {U'Ō', "O"}, {U'ō', "o"}, {U'Ő', "O"}, {U'ő', "o"}, {U'Œ', "OE"}, {U'œ', "oe"},
      {U'Ř', "R"},  {U'ř', "r"},  {U'Ś', "S"}, {U'ś', "s"}, {U'Ş', "S"}, {U'ş', "s"}, {U'Š', "S"},  {U'š', "s"},
      {U'Ţ', "T"},  {U'ţ', "t"},  {U'Ť', "T"}, {U'ť', "t"}, {U'Ū', "U"}, {U'ū', "u"}, {U'Ů', "U"},  {U'ů', "u"},
      {U'Ű', "U"},  {U'ű', "u"},  {U'Ź', "Z"}, {U'ź', "z"}, {U'Ż', "Z"}, {U'ż', "z"}, {U'Ž', "Z"},  {U'ž', "z"},
  };
  auto it = table.find(cp);
  if (it == table.end()) return std::nullopt;
  return std::string(it->second);
}

bool ContainsNoCase(std::string_view hay, std::string_view needle) {
  return UpperAscii(hay).find(UpperAscii(needle)) != std::string::npos;
}

// The station name as a pilot says it: letters, apostrophes inside words,
// digits read one by one, abbreviations spelt out; nothing that could break
// the grammar. nullopt when no usable name is left or the station is marked
// as closed.
std::optional<std::string> SpokenName(std::string_view raw) {
  auto decoded = DecodeUtf8(raw);
  if (!decoded) return std::nullopt;
  std::string ascii;
  for (char32_t cp : *decoded) {
    auto t = Transliterate(cp);
    if (!t) return std::nullopt;
    ascii += *t;
  }
  // Remarks in brackets are not part of the name; some mark a dead station.
  std::string plain;
  for (std::size_t i = 0; i < ascii.size(); ++i) {
    if (ascii[i] != '(') {
      plain += ascii[i];
      continue;
    }
    const std::size_t close = ascii.find(')', i);
    const std::string_view remark =
        std::string_view(ascii).substr(i, close == std::string::npos ? std::string::npos : close - i);
    if (ContainsNoCase(remark, "closed") || ContainsNoCase(remark, "decom")) return std::nullopt;
    if (close == std::string::npos) break;
    plain += ' ';
    i = close;
  }

  static const char* const kDigits[] = {"zero", "one", "two", "three", "four",
                                        "five", "six", "seven", "eight", "nine"};
  std::vector<std::string> words;
  std::string word;
  auto flush = [&] {
    while (!word.empty() && word.back() == '\'') word.pop_back();
    while (!word.empty() && word.front() == '\'') word.erase(word.begin());
    if (!word.empty()) words.push_back(word);
    word.clear();
  };
  for (char c : plain) {
    if (IsAlpha(c) || (c == '\'' && !word.empty())) {
      word += c;
    } else if (IsDigit(c)) {
      flush();
      words.push_back(kDigits[c - '0']);
    } else {
      flush();
    }
  }
  flush();
  static const std::map<std::string, const char*> kAbbreviations = {
      {"ST", "Saint"}, {"STE", "Sainte"}, {"MT", "Mount"}, {"FT", "Fort"}, {"PT", "Point"}};
  std::string out;
  for (auto& w : words) {
    auto it = kAbbreviations.find(UpperAscii(w));
    if (it != kAbbreviations.end()) w = it->second;
    if (!out.empty()) out += ' ';
    out += w;
  }
  if (out.empty()) return std::nullopt;
  return out;
}

bool UsableIdent(std::string_view id) {
  if (id.empty() || id.size() > 4) return false;
  return std::all_of(id.begin(), id.end(), [](char c) { return IsDigit(c) || (c >= 'A' && c <= 'Z'); });
}

// The frequency tag: VHF stations in MHz, NDBs in kHz; nullopt when the
// frequency is outside the band (the data holds a few typing errors).
std::optional<std::string> FrequencyTag(std::string_view type, std::string_view khz_text) {
  auto khz = ToLong(khz_text);
  if (!khz) return std::nullopt;
  char buf[32];
  if (type.starts_with("NDB")) {
    if (*khz < 100 || *khz > 1799) return std::nullopt;  // the simulator's ADF band
    std::snprintf(buf, sizeof buf, "%ld", *khz);
  } else {
    if (*khz < 108000 || *khz > 117950 || *khz % 10 != 0) return std::nullopt;
    std::snprintf(buf, sizeof buf, "%ld.%02ld", *khz / 1000, (*khz % 1000) / 10);
  }
  return std::string(buf);
}

struct Station {
  std::string id, name, tag;
  auto operator<=>(const Station&) const = default;
};

std::vector<Station> Stations(const fs::path& file, std::size_t& skipped) {
  Table t(file, {"ident", "name", "type", "frequency_khz"});
  static const std::set<std::string, std::less<>> kTypes = {"VOR", "VOR-DME", "VORTAC", "DME", "NDB", "NDB-DME"};
  std::vector<Station> out;
  for (std::size_t r = 0; r < t.size(); ++r) {
    if (!kTypes.count(t.at(r, "type"))) continue;
    const std::string id = UpperAscii(t.at(r, "ident"));
    auto name = SpokenName(t.at(r, "name"));
    auto tag = FrequencyTag(t.at(r, "type"), t.at(r, "frequency_khz"));
    if (!UsableIdent(id) || !name || !tag) {
      ++skipped;
      continue;
    }
    out.push_back({id, *name, *tag});
  }
  std::sort(out.begin(), out.end());
  return out;
}

bool Paved(std::string_view surface) {
  const std::string s = UpperAscii(surface);
  for (const char* p : {"ASP", "ASF", "CON", "PEM", "BIT", "TAR", "PAV", "BET"})
    if (s.starts_with(p)) return true;
  return false;
}

// 1 to 36 (a leading zero allowed), then L, R or C.
bool UsableRunway(std::string_view rwy) {
  std::size_t digits = 0;
  while (digits < rwy.size() && IsDigit(rwy[digits])) ++digits;
  if (digits == 0 || digits > 2) return false;
  const int n = std::stoi(std::string(rwy.substr(0, digits)));
  if (n < 1 || n > 36) return false;
  const std::string_view rest = rwy.substr(digits);
  return rest.empty() || rest == "L" || rest == "R" || rest == "C";
}

constexpr long kMinimumLengthFt = 6000;  // long enough for an airliner's approach

std::vector<std::pair<std::string, std::string>> Approaches(const fs::path& file) {
  Table t(file, {"airport_ident", "length_ft", "surface", "lighted", "closed", "le_ident", "he_ident"});
  std::set<std::pair<std::string, std::string>> ends;
  for (std::size_t r = 0; r < t.size(); ++r) {
    const std::string airport(t.at(r, "airport_ident"));
    if (airport.size() != 4 || !std::all_of(airport.begin(), airport.end(), [](char c) { return c >= 'A' && c <= 'Z'; }))
      continue;
    if (t.at(r, "closed") != "0" || t.at(r, "lighted") != "1" || !Paved(t.at(r, "surface"))) continue;
    auto length = ToLong(t.at(r, "length_ft"));
    if (!length || *length < kMinimumLengthFt) continue;
    for (const char* end : {"le_ident", "he_ident"}) {
      const std::string rwy = UpperAscii(t.at(r, end));
      if (UsableRunway(rwy)) ends.insert({airport, rwy});
    }
  }
  return {ends.begin(), ends.end()};
}

void Write(const fs::path& file, const std::string& text) {
  std::string error;
  if (!talvane::AtomicWriteFile(file, text, &error)) throw std::runtime_error(error);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: navaid-builder SOURCE_FOLDER DATA_FOLDER\n");
    return 2;
  }
  const fs::path source = argv[1], data = argv[2];
  const fs::path navaids = source / "ourairports" / "navaids.csv";
  const fs::path runways = source / "ourairports" / "runways.csv";
  for (const auto& f : {navaids, runways}) {
    if (!talvane::FileExists(f)) {
      std::fprintf(stderr, "navaid-builder: %s is missing\n", f.string().c_str());
      return 1;
    }
  }
  try {
    std::size_t skipped = 0;
    const auto stations = Stations(navaids, skipped);
    const auto approaches = Approaches(runways);
    // The program counts records with a 16-bit index.
    if (stations.size() > 32768 || approaches.size() > 32768) throw std::runtime_error("too many records");

    std::string nav, ils;
    for (const auto& s : stations) nav += s.id + "|" + s.name + "|" + s.tag + "\r\n";
    for (const auto& [airport, rwy] : approaches) ils += airport + "|" + rwy + "|" + airport + "|" + rwy + "\r\n";
    fs::create_directories(data);
    Write(data / "Nav_Info.txt", nav);
    Write(data / "ILS_Info.txt", ils);
    std::printf("navaid-builder: %zu stations (%zu left out), %zu ILS runway ends\n", stations.size(), skipped,
                approaches.size());
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "navaid-builder: %s\n", e.what());
    return 1;
  }
}
