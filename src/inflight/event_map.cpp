#include "inflight/event_map.h"

#include <array>
#include <charconv>
#include <cmath>

#include "aircraft/checklist.h"
#include "common/binary.h"
#include "common/files.h"
#include "common/split.h"
#include "common/text.h"

namespace talvane {

namespace {

struct EncodingName {
  std::string_view name;
  ValueEncoding encoding;
};

// Several names give the same encoding so that the file says what the value is.
constexpr std::array<EncodingName, 16> kEncodings = {{
    {"-", ValueEncoding::kNone},
    {"feet", ValueEncoding::kWhole},
    {"knots", ValueEncoding::kWhole},
    {"feet-per-minute", ValueEncoding::kWhole},
    {"degrees", ValueEncoding::kWhole},
    {"whole", ValueEncoding::kWhole},
    {"heading", ValueEncoding::kHeading},
    {"percent", ValueEncoding::kPercent},
    {"mach100", ValueEncoding::kHundredths},
    {"millibars16", ValueEncoding::kMillibars16},
    {"com-bcd16", ValueEncoding::kComBcd16},
    {"nav-bcd16", ValueEncoding::kNavBcd16},
    {"squawk-bcd16", ValueEncoding::kSquawkBcd16},
    {"adf-bcd32", ValueEncoding::kAdfBcd32},
    {"flap-position", ValueEncoding::kFlapPosition},
    {"opacity255", ValueEncoding::kOpacity255},
}};

constexpr double kInchesToMillibars = 33.8639;
constexpr double kFullFlapDegrees = 40;
constexpr std::uint32_t kFullTravel = 16383;

bool IsNameChar(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'; }

// Decimal (a minus sign allowed: two's complement) or 0x hexadecimal.
std::optional<std::uint32_t> ParseData(std::string_view s) {
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    std::uint32_t v = 0;
    auto [p, ec] = std::from_chars(s.data() + 2, s.data() + s.size(), v, 16);
    if (ec != std::errc() || p != s.data() + s.size()) return std::nullopt;
    return v;
  }
  long long v = 0;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || p != s.data() + s.size() || v < INT32_MIN || v > UINT32_MAX) return std::nullopt;
  return static_cast<std::uint32_t>(v);
}

// The rest of the line after the first `count` words.
std::string_view RestAfter(std::string_view line, int count) {
  std::size_t at = 0;
  for (int w = 0; w < count; ++w) {
    at = line.find_first_not_of(" \t", at);
    at = line.find_first_of(" \t", at);
    if (at == std::string_view::npos) return {};
  }
  const auto start = line.find_first_not_of(" \t", at);
  if (start == std::string_view::npos) return {};
  std::string_view rest = line.substr(start);
  while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t')) rest.remove_suffix(1);
  return rest;
}

int SectionNamed(std::string_view name) {
  for (int i = 0; i < kSectionCount; ++i)
    if (EqualsNoCase(name, kSectionEditorNames[static_cast<std::size_t>(i)])) return i;
  return -1;
}

std::uint32_t Bcd(std::string_view digits) {
  std::uint32_t v = 0;
  for (char c : digits) v = (v << 4) | static_cast<std::uint32_t>(c - '0');
  return v;
}

std::uint32_t Signed(double v) { return static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(v))); }

// 8.33 kHz channels whose frequency lies on the 25 kHz raster (x.x05 is
// x.x00 MHz, x.x30 is x.x25, ...) are tuned there; the others cannot be.
std::optional<std::string> ComRaster(std::string_view text) {
  const std::string_view ends = text.substr(5);
  if (ends == "00" || ends == "25" || ends == "50" || ends == "75") return std::string(text);
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kOnRaster = {
      {{"05", "00"}, {"30", "25"}, {"55", "50"}, {"80", "75"}}};
  for (const auto& [channel, frequency] : kOnRaster)
    if (ends == channel) return std::string(text.substr(0, 5)) + std::string(frequency);
  return std::nullopt;
}

EncodedValue Unable(std::string why) { return {0, std::move(why)}; }

}  // namespace

const EventRule* EventMap::Find(std::string_view rule) const {
  for (const auto& r : rules)
    if (EqualsNoCase(r.rule, Trim(rule))) return &r;
  return nullptr;
}

EventMap ParseEventMap(std::string_view text, std::string_view fileName) {
  EventMap map;
  map.file = std::string(fileName);
  int number = 0;
  for (std::string_view raw : SplitLines(text)) {
    ++number;
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    auto fail = [&](const std::string& what) {
      throw FormatError(map.file + ":" + std::to_string(number) + ": " + what);
    };
    const auto words = SplitAt(raw, " \t");
    if (words.empty() || words[0][0] == '#') continue;
    if (words.size() < 3) fail("expected a rule name, an encoding and what to send");

    EventRule r;
    r.rule = words[0];
    r.line = number;
    if (!std::all_of(r.rule.begin(), r.rule.end(), IsNameChar)) fail("`" + r.rule + "` is not a rule name");
    if (map.Find(r.rule)) fail("rule " + r.rule + " is mapped twice");

    const std::string& kind = words[1];
    if (kind == "checklist") {
      const int section = SectionNamed(RestAfter(raw, 2));
      if (section < 0) fail("no checklist section is called `" + std::string(RestAfter(raw, 2)) + "`");
      r.checklistSection = section;
    } else if (kind == "unable") {
      r.unable = std::string(RestAfter(raw, 2));
    } else {
      const auto* e = std::find_if(kEncodings.begin(), kEncodings.end(), [&](const auto& n) { return n.name == kind; });
      if (e == kEncodings.end()) fail("unknown value encoding `" + kind + "`");
      r.encoding = e->encoding;
      for (std::size_t i = 2; i < words.size(); ++i) {
        std::string_view w = words[i];
        EventTarget t;
        const auto eq = w.find('=');
        t.event = std::string(w.substr(0, eq));
        if (t.event.empty() || !std::all_of(t.event.begin(), t.event.end(), IsNameChar))
          fail("`" + std::string(w) + "` is not a simulator event name");
        if (eq != std::string_view::npos) {
          t.fixed = ParseData(w.substr(eq + 1));
          if (!t.fixed) fail("`" + std::string(w.substr(eq + 1)) + "` is not event data");
        }
        r.events.push_back(std::move(t));
      }
    }
    map.rules.push_back(std::move(r));
  }
  return map;
}

EventMap LoadEventMap(const std::filesystem::path& file) {
  const auto text = ReadWholeFile(file);
  if (!text) throw FormatError(file.string() + ": cannot be read");
  return ParseEventMap(*text, file.string());
}

EncodedValue EncodeValue(ValueEncoding encoding, const ListValue& v) {
  const std::string what = v.text.empty() ? v.grammarName : v.text;
  switch (encoding) {
    case ValueEncoding::kNone: return {};
    case ValueEncoding::kWhole: return {Signed(v.number), {}};
    case ValueEncoding::kHeading: return {static_cast<std::uint32_t>(std::lround(v.number)) % 360, {}};
    case ValueEncoding::kPercent: return {Signed(v.number), {}};
    case ValueEncoding::kHundredths: return {Signed(v.number * 100), {}};
    case ValueEncoding::kMillibars16:
      if (v.list != ValueList::kAltimeter) break;
      return {Signed((v.inches ? v.number * kInchesToMillibars : v.number) * 16), {}};
    case ValueEncoding::kComBcd16: {
      if (v.list != ValueList::kCom) break;
      const auto f = ComRaster(v.text);
      if (!f) return Unable("the radio tunes 25 kHz channels only, not " + v.text);
      // "121.275": the hundreds digit and the last decimal are implied.
      return {Bcd(f->substr(1, 2) + f->substr(4, 2)), {}};
    }
    case ValueEncoding::kNavBcd16:
      if (v.list == ValueList::kIlsRunway) return Unable("no ILS frequency is known for " + v.text);
      if (v.list == ValueList::kNavaid && v.kilohertz) return Unable(v.text + " kHz is not a nav frequency");
      if (v.list != ValueList::kNav && v.list != ValueList::kNavaid) break;
      return {Bcd(v.text.substr(1, 2) + v.text.substr(4, 2)), {}};
    case ValueEncoding::kSquawkBcd16:
      if (v.list != ValueList::kSquawk) break;
      return {Bcd(v.text), {}};
    case ValueEncoding::kAdfBcd32:
      if (v.list != ValueList::kAdf && !(v.list == ValueList::kNavaid && v.kilohertz)) break;
      return {Bcd(std::to_string(std::lround(v.number * 1000))), {}};
    case ValueEncoding::kFlapPosition:
      return {static_cast<std::uint32_t>(std::lround(std::min(v.number, kFullFlapDegrees) / kFullFlapDegrees * kFullTravel)),
              {}};
    case ValueEncoding::kOpacity255: return {static_cast<std::uint32_t>(std::lround((100 - v.number) * 255 / 100)), {}};
  }
  return Unable(what + " cannot be sent in that form");
}

}  // namespace talvane
