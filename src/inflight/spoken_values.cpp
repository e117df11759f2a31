#include "inflight/spoken_values.h"

#include <array>

#include "common/text.h"

namespace talvane {

namespace {

constexpr std::array<const char*, 10> kDigitWords = {"zero", "one", "two",   "three", "four",
                                                     "five", "six", "seven", "eight", "niner"};
constexpr std::array<const char*, 26> kPhonetic = {
    "alpha", "bravo",  "charlie", "delta",   "echo",   "foxtrot", "golf",  "hotel", "india",
    "juliett", "kilo", "lima",    "mike",    "november", "oscar", "papa",  "quebec", "romeo",
    "sierra", "tango", "uniform", "victor",  "whiskey", "x-ray",  "yankee", "zulu"};

void Add(std::string& out, std::string_view word) {
  if (word.empty()) return;
  if (!out.empty()) out += ' ';
  out += word;
}

// "121.5" -> "one two one decimal five"; other characters are skipped.
std::string Digits(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c >= '0' && c <= '9')
      Add(out, kDigitWords[static_cast<std::size_t>(c - '0')]);
    else if (c == '.')
      Add(out, "decimal");
  }
  return out;
}

// Whole hundreds in thousands and hundreds: 10000 "one zero thousand",
// 3500 "three thousand five hundred", 800 "eight hundred"; anything else
// digit by digit.
std::string Feet(long n) {
  if (n <= 0 || n % 100 != 0) return Digits(std::to_string(n));
  std::string out;
  if (n >= 1000) {
    Add(out, Digits(std::to_string(n / 1000)));
    Add(out, "thousand");
  }
  if (const long hundreds = n % 1000 / 100; hundreds > 0) {
    Add(out, kDigitWords[static_cast<std::size_t>(hundreds)]);
    Add(out, "hundred");
  }
  return out;
}

std::string DropTrailingZeros(std::string s, std::size_t keep) {
  while (s.size() > keep && s.back() == '0') s.pop_back();
  return s;
}

std::string Letter(char c) {
  if (c >= 'A' && c <= 'Z') return kPhonetic[static_cast<std::size_t>(c - 'A')];
  if (c >= 'a' && c <= 'z') return kPhonetic[static_cast<std::size_t>(c - 'a')];
  return Digits(std::string_view(&c, 1));
}

std::string Runway(std::string_view tag) {
  const auto colon = tag.find(':');
  std::string out;
  for (char c : tag.substr(0, colon)) Add(out, Letter(c));
  Add(out, "runway");
  for (char c : tag.substr(colon + 1)) {
    const char u = UpperChar(c);
    Add(out, u == 'L' ? "left" : u == 'R' ? "right" : u == 'C' ? "center" : Digits(std::string_view(&c, 1)));
  }
  return out;
}

std::string SimRate(std::string_view s) {
  if (s == "0.25") return "one quarter";
  if (s == "0.5") return "one half";
  if (s == "16") return "sixteen";
  if (s == "32") return "thirty two";
  if (s == "64") return "sixty four";
  if (s == "128") return "one hundred twenty eight";
  return Digits(s);
}

}  // namespace

std::string SpokenValue(const ListValue& v) {
  const long whole = static_cast<long>(v.number);
  switch (v.list) {
    case ValueList::kAltitude:
      if (v.flightLevel) return "flight level " + Digits(std::to_string(whole / 100));
      return Feet(whole);
    case ValueList::kClimbRate:
    case ValueList::kDecisionHeight: return Feet(whole);
    case ValueList::kDescentRate: return "minus " + Feet(-whole);
    case ValueList::kMach: return "point " + Digits(DropTrailingZeros(v.text.substr(2), 1));
    case ValueList::kAltimeter: return Digits(v.inches ? v.text.substr(0, 2) + v.text.substr(3) : v.text);
    case ValueList::kCom: {
      const std::string decimals = v.text.substr(4);
      return Digits(v.text.substr(0, 4)) + " " + Digits(decimals.substr(1) == "00" ? decimals.substr(0, 1) : decimals);
    }
    case ValueList::kNav: return Digits(DropTrailingZeros(v.text, 5));
    case ValueList::kSimRate: return SimRate(v.text);
    case ValueList::kIlsRunway: return Runway(v.text);
    case ValueList::kLetter: return Letter(v.text.empty() ? ' ' : v.text[0]);
    case ValueList::kWordOn: return "";
    default: return Digits(v.text);
  }
}

std::string FillReadback(std::string_view readback, const std::vector<ListValue>& values) {
  std::vector<bool> used(values.size(), false);
  std::string out;
  std::size_t at = 0;
  while (at < readback.size()) {
    const auto open = readback.find('[', at);
    const auto close = open == std::string_view::npos ? open : readback.find(']', open);
    if (close == std::string_view::npos) {
      out += readback.substr(at);
      break;
    }
    out += readback.substr(at, open - at);
    const std::string_view token = readback.substr(open, close - open + 1);
    for (std::size_t i = 0; i < values.size(); ++i)
      if (!used[i] && EqualsNoCase(values[i].token, token)) {
        used[i] = true;
        out += SpokenValue(values[i]);
        break;
      }
    at = close + 1;
  }
  // A token left out may leave two spaces behind.
  std::string tidy;
  for (char c : out)
    if (c != ' ' || (!tidy.empty() && tidy.back() != ' ')) tidy += c;
  return Trim(tidy);
}

}  // namespace talvane
