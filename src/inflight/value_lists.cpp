// Value assembly: the tags of one list joined and checked against the ranges
// the generic lists can produce, so a result the grammar could not have given
// is refused rather than sent to the simulator.
#include "inflight/value_lists.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "common/binary.h"

namespace talvane {

namespace {

struct ListName {
  std::string_view grammarName;
  std::string_view token;
  ValueList list;
};

// Tokens as TV_Information.cfg names the lists for readbacks.
constexpr std::array<ListName, 21> kLists = {{
    {"SPD", "[SPD]", ValueList::kSpeed},
    {"ALT", "[ALT]", ValueList::kAltitude},
    {"CRS", "[CRS]", ValueList::kCourse},
    {"HDG", "[HDG]", ValueList::kHeading},
    {"MACH", "[MACH]", ValueList::kMach},
    {"DEGREES", "[DEG]", ValueList::kDegrees},
    {"N1REF", "[N1]", ValueList::kN1},
    {"VS", "[VS]", ValueList::kClimbRate},
    {"VSNEG", "[VSNEG]", ValueList::kDescentRate},
    {"TRANSPARENCY", "[TRANS]", ValueList::kTransparency},
    {"ALT_PRESS", "[BARO]", ValueList::kAltimeter},
    {"DH_ALT", "[DH]", ValueList::kDecisionHeight},
    {"EGT_VAL", "[EGT]", ValueList::kEgt},
    {"ADF_FREQ", "[ADF]", ValueList::kAdf},
    {"COMM_FREQ", "[COM]", ValueList::kCom},
    {"NAV_FREQ", "[NAV]", ValueList::kNav},
    {"XPNDR_CODE", "[SQUAWK]", ValueList::kSquawk},
    {"SIM_RATE", "[RATE]", ValueList::kSimRate},
    {"FLAP_SETTING", "[FLAPS]", ValueList::kFlaps},
    {"NAV_ID", "[NAVAID]", ValueList::kNavaid},
    {"NAV_NAME", "[NAVAID]", ValueList::kNavaid},
}};
constexpr std::string_view kIlsList = "RWY_APT_ID";

[[noreturn]] void Refuse(std::string_view list, std::string_view text, std::string_view why) {
  throw FormatError(std::string(list) + " value \"" + std::string(text) + "\": " + std::string(why));
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool AllDigits(std::string_view s) { return !s.empty() && std::all_of(s.begin(), s.end(), IsDigit); }

// Digits, optionally one '.' and digits after it; the count of decimals.
std::optional<int> Decimals(std::string_view s) {
  const auto dot = s.find('.');
  if (dot == std::string_view::npos) return AllDigits(s) ? std::optional<int>(0) : std::nullopt;
  if (!AllDigits(s.substr(0, dot)) || !AllDigits(s.substr(dot + 1))) return std::nullopt;
  return static_cast<int>(s.size() - dot - 1);
}

double Number(std::string_view s) {
  double v = 0;
  std::from_chars(s.data(), s.data() + s.size(), v);
  return v;
}

// A whole number within [lo, hi], written without leading zeros.
void Whole(ListValue& v, long lo, long hi) {
  if (!AllDigits(v.text) || v.text.size() > 6) Refuse(v.grammarName, v.text, "not a whole number");
  const long n = std::stol(v.text);
  if (n < lo || n > hi) Refuse(v.grammarName, v.text, "out of range");
  v.number = static_cast<double>(n);
  v.text = std::to_string(n);
}

// A number with at most `places` decimals within [lo, hi], kept as said.
void Decimal(ListValue& v, int places, double lo, double hi) {
  const auto d = Decimals(v.text);
  if (!d || *d > places || v.text.size() > 9) Refuse(v.grammarName, v.text, "not a number of this list");
  v.number = Number(v.text);
  if (v.number < lo || v.number > hi) Refuse(v.grammarName, v.text, "out of range");
}

// "flight level three five zero" gives the tags 3 5 0 00. "three five
// thousand" gives 3 5 000, but "flight level three five" and "three thousand
// five hundred" both give 3 5 00, and "flight level one two five" and "one two
// thousand five hundred" both 1 2 5 00: the same value, said either way. A
// three-digit level with a zero first or last digit can only be a flight
// level; otherwise levels are taken from 18000 feet up, where they are flown.
bool SaidAsFlightLevel(const std::vector<std::string>& tags) {
  if (tags.size() != 4 || tags.back() != "00") return false;
  if (!std::all_of(tags.begin(), tags.end() - 1, [](const std::string& t) { return t.size() == 1 && IsDigit(t[0]); }))
    return false;
  return tags[0] == "0" || tags[2] == "0" || std::stoi(tags[0] + tags[1]) >= 18;
}

// 001-360, three digits; 000 is north too and becomes 360, as it is said.
void Degrees360(ListValue& v) {
  if (v.text.size() != 3 || !AllDigits(v.text)) Refuse(v.grammarName, v.text, "not three digits");
  int n = std::stoi(v.text);
  if (n > 360) Refuse(v.grammarName, v.text, "out of range");
  if (n == 0) n = 360;
  v.number = n;
  v.text = std::string(n < 100 ? "0" : "") + (n < 10 ? "0" : "") + std::to_string(n);
}

// COM channels: the last two of the three decimals name a 25 kHz channel
// (00 25 50 75) or an 8.33 kHz one (05 10 15 30 35 40 55 60 65 80 85 90).
bool ComChannel(std::string_view lastTwo) {
  static constexpr std::array<std::string_view, 16> kEnds = {"00", "05", "10", "15", "25", "30", "35", "40",
                                                              "50", "55", "60", "65", "75", "80", "85", "90"};
  return std::find(kEnds.begin(), kEnds.end(), lastTwo) != kEnds.end();
}

void Assemble(ListValue& v, const std::vector<std::string>& tags) {
  const std::string& s = v.text;
  switch (v.list) {
    case ValueList::kSpeed: return Whole(v, 10, 999);
    case ValueList::kAltitude:
      v.flightLevel = SaidAsFlightLevel(tags);
      return Whole(v, 0, 99900);
    case ValueList::kCourse:
    case ValueList::kHeading: return Degrees360(v);
    case ValueList::kMach:
      if (s.size() != 4 || s.compare(0, 2, "0.") != 0 || !AllDigits(s.substr(2)))
        Refuse(v.grammarName, s, "not a Mach number");
      v.number = Number(s);
      if (v.number <= 0) Refuse(v.grammarName, s, "out of range");
      return;
    case ValueList::kDegrees: return Whole(v, 0, 99);
    case ValueList::kN1: return Decimal(v, 1, 10, 104.9);
    case ValueList::kClimbRate: return Whole(v, 0, 9900);
    case ValueList::kDescentRate:
      if (s.empty() || s[0] != '-') Refuse(v.grammarName, s, "a descent without its minus");
      v.text = s.substr(1);
      Whole(v, 100, 9900);
      v.number = -v.number;
      v.text = "-" + v.text;
      return;
    case ValueList::kTransparency: return Whole(v, 0, 100);
    case ValueList::kAltimeter:
      v.inches = s.find('.') != std::string::npos;
      if (v.inches) return Decimal(v, 2, 28.0, 31.0);
      return Whole(v, 950, 1050);
    case ValueList::kDecisionHeight: return Whole(v, 10, 9999);
    case ValueList::kEgt: return Whole(v, 100, 9999);
    case ValueList::kAdf:
      Decimal(v, 1, 190, 1799.5);
      if (s.find('.') != std::string::npos && s.back() != '5') Refuse(v.grammarName, s, "only half a kilohertz");
      return;
    case ValueList::kCom:
      if (s.size() != 7 || Decimals(s) != 3) Refuse(v.grammarName, s, "not a frequency with three decimals");
      Decimal(v, 3, 118.0, 136.975);
      if (!ComChannel(s.substr(5))) Refuse(v.grammarName, s, "not a COM channel");
      return;
    case ValueList::kNav:
      if (s.size() != 6 || Decimals(s) != 2) Refuse(v.grammarName, s, "not a frequency with two decimals");
      Decimal(v, 2, 108.0, 117.95);
      if (s.back() != '0' && s.back() != '5') Refuse(v.grammarName, s, "not a 50 kHz channel");
      return;
    case ValueList::kSquawk:
      if (s.size() != 4 || !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '7'; }))
        Refuse(v.grammarName, s, "not four digits 0 to 7");
      v.number = std::stoi(s);
      return;
    case ValueList::kSimRate: {
      static constexpr std::array<std::string_view, 10> kRates = {"0.25", "0.5", "1",  "2",  "4",
                                                                   "8",    "16",  "32", "64", "128"};
      if (std::find(kRates.begin(), kRates.end(), s) == kRates.end()) Refuse(v.grammarName, s, "not a rate");
      v.number = Number(s);
      return;
    }
    case ValueList::kFlaps: return Whole(v, 0, 49);
    case ValueList::kNavaid:
      // VOR stations are tagged in MHz, NDBs in kHz (the navaid list's builder).
      if (tags.size() != 1) Refuse(v.grammarName, s, "a navaid carries one tag");
      v.kilohertz = s.find('.') == std::string::npos;
      if (v.kilohertz) return Whole(v, 100, 1799);
      return Decimal(v, 2, 108.0, 117.95);
    case ValueList::kIlsRunway: {
      const auto colon = s.find(':');
      if (tags.size() != 1 || colon == 0 || colon == std::string::npos || colon + 1 == s.size() ||
          s.find(':', colon + 1) != std::string::npos)
        Refuse(v.grammarName, s, "not an airport and runway");
      return;
    }
    case ValueList::kDigit:
    case ValueList::kLetter:
    case ValueList::kWordOn: return;
  }
}

}  // namespace

std::optional<ValueList> ListNamed(std::string_view name) {
  for (const auto& l : kLists)
    if (l.grammarName == name) return l.list;
  if (name == kIlsList) return ValueList::kIlsRunway;
  if (name == "WORD_ON") return ValueList::kWordOn;
  if (name.size() == 5 && name.substr(0, 4) == "NUM_" && IsDigit(name[4])) return ValueList::kDigit;
  if (name.size() == 10 && name.substr(0, 9) == "PHONETIC_" && name[9] >= 'A' && name[9] <= 'Z')
    return ValueList::kLetter;
  return std::nullopt;
}

bool CarriesTags(ValueList list) {
  return list != ValueList::kDigit && list != ValueList::kLetter && list != ValueList::kWordOn;
}

std::vector<std::string> ListsOfPhrase(std::string_view phrase) {
  std::vector<std::string> out;
  for (std::size_t at = phrase.find('<'); at != std::string_view::npos; at = phrase.find('<', at + 1)) {
    const auto end = phrase.find('>', at);
    if (end == std::string_view::npos) break;
    const std::string_view name = phrase.substr(at + 1, end - at - 1);
    if (ListNamed(name)) out.emplace_back(name);
  }
  return out;
}

ListValue AssembleValue(std::string_view grammarName, const std::vector<std::string>& tags) {
  const auto list = ListNamed(grammarName);
  if (!list) throw FormatError("no value list is called " + std::string(grammarName));
  ListValue v;
  v.list = *list;
  v.grammarName = std::string(grammarName);
  for (const auto& l : kLists)
    if (l.grammarName == grammarName) v.token = std::string(l.token);
  if (*list == ValueList::kIlsRunway) v.token = "[RWY]";
  if (*list == ValueList::kDigit) v.token = "[NUM]";
  if (*list == ValueList::kLetter) v.token = "[LETTER]";

  if (!CarriesTags(*list)) {
    if (!tags.empty()) Refuse(grammarName, tags.front(), "this list carries no tag");
    if (*list != ValueList::kWordOn) v.text = std::string(1, grammarName.back());
    if (*list == ValueList::kDigit) v.number = grammarName.back() - '0';
    return v;
  }
  if (tags.empty()) throw FormatError(std::string(grammarName) + ": no value was heard");
  for (const auto& t : tags) v.text += t;
  Assemble(v, tags);
  return v;
}

}  // namespace talvane
