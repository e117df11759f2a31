// The shipped generic lists, read with a small reader of the grammar dialect:
// every imported list is there, and what pilots say gives the right value.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <sstream>

#include "common/text.h"
#include "support/test_support.h"

namespace talvane {
namespace {

// --- A reader and matcher of the dialect (docs/grammar-dialect.md) ---------

struct Item;
using Sequence = std::vector<Item>;
using Expr = std::vector<Sequence>;  // alternatives
struct Item {
  enum Kind { kWord, kRef, kGroup, kOptional, kIgnore, kAction } kind;
  std::string text;
  Expr expr;
};

struct Grammar {
  std::string name;
  std::vector<std::string> exports, imports, starts;
  std::map<std::string, Expr> rules;
};

struct Token {
  enum Kind { kPunct, kRef, kDirective, kQuoted, kWord, kEnd } kind;
  std::string text;
};

std::vector<Token> Lex(const std::string& s) {
  std::vector<Token> out;
  const std::string specials = ";:|()<>!\"";
  for (std::size_t i = 0; i < s.size();) {
    const char c = s[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      ++i;
    } else if (s.compare(i, 2, "//") == 0) {
      i = s.find('\n', i);
      if (i == std::string::npos) i = s.size();
    } else if (c == ';' || c == ':' || c == '|' || c == '(' || c == ')') {
      out.push_back({Token::kPunct, std::string(1, c)});
      ++i;
    } else if (c == '<') {
      const auto e = s.find('>', i);
      const std::string name = e == std::string::npos ? "" : s.substr(i + 1, e - i - 1);
      if (name.empty() || name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_") !=
                              std::string::npos)
        throw std::runtime_error("bad reference at " + std::to_string(i));
      out.push_back({Token::kRef, Upper(name)});
      i = e + 1;
    } else if (c == '!') {
      std::size_t e = i + 1;
      while (e < s.size() && s[e] >= 'a' && s[e] <= 'z') ++e;
      out.push_back({Token::kDirective, s.substr(i + 1, e - i - 1)});
      i = e;
    } else if (c == '"') {
      const auto e = s.find('"', i + 1);
      if (e == std::string::npos || s.substr(i, e - i).find('\n') != std::string::npos)
        throw std::runtime_error("open quote");
      out.push_back({Token::kQuoted, s.substr(i + 1, e - i - 1)});
      i = e + 1;
    } else {
      std::size_t e = i;
      while (e < s.size() && specials.find(s[e]) == std::string::npos && s[e] != ' ' && s[e] != '\t' &&
             s[e] != '\r' && s[e] != '\n' && s.compare(e, 2, "//") != 0)
        ++e;
      out.push_back({Token::kWord, Lower(s.substr(i, e - i))});
      i = e;
    }
  }
  out.push_back({Token::kEnd, ""});
  return out;
}

class Parser {
 public:
  explicit Parser(const std::string& text) : t_(Lex(text)) {}

  Grammar Parse() {
    Grammar g;
    Expect(Token::kDirective, "grammar");
    g.name = Take(Token::kQuoted).text;
    Expect(Token::kPunct, ";");
    while (t_[i_].kind != Token::kEnd) {
      if (t_[i_].kind == Token::kDirective) {
        const std::string d = Take(Token::kDirective).text;
        std::vector<std::string>* to = d == "export" ? &g.exports : d == "import" ? &g.imports
                                       : d == "start"  ? &g.starts : nullptr;
        if (!to && d != "activatable") throw std::runtime_error("unexpected !" + d);
        if (to) to->push_back(Take(Token::kRef).text);
        while (to == nullptr && t_[i_].kind == Token::kRef) ++i_;
      } else {
        const std::string name = Take(Token::kRef).text;
        Expect(Token::kPunct, ":");
        if (!g.rules.emplace(name, ParseExpr()).second) throw std::runtime_error("defined twice: " + name);
      }
      Expect(Token::kPunct, ";");
    }
    return g;
  }

 private:
  Token Take(Token::Kind k) {
    if (t_[i_].kind != k) throw std::runtime_error("unexpected `" + t_[i_].text + "` at token " + std::to_string(i_));
    return t_[i_++];
  }
  void Expect(Token::Kind k, const std::string& text) {
    if (Take(k).text != text) throw std::runtime_error("expected " + text + " at token " + std::to_string(i_));
  }
  bool At(Token::Kind k, const char* text) const { return t_[i_].kind == k && t_[i_].text == text; }

  Expr ParseExpr() {
    Expr e(1);
    for (;;) {
      if (At(Token::kPunct, "|")) {
        ++i_;
        e.emplace_back();
      } else if (At(Token::kPunct, ")") || At(Token::kPunct, ";")) {
        return e;
      } else {
        e.back().push_back(ParseItem());
      }
    }
  }

  Item ParseItem() {
    const Token tok = t_[i_++];
    switch (tok.kind) {
      case Token::kWord: return {Item::kWord, tok.text, {}};
      case Token::kRef: return {Item::kRef, tok.text, {}};
      case Token::kPunct:
        if (tok.text == "(") {
          Item g{Item::kGroup, "", ParseExpr()};
          Expect(Token::kPunct, ")");
          return g;
        }
        break;
      case Token::kDirective: {
        Expect(Token::kPunct, "(");
        Item it{Item::kGroup, "", {}};
        if (tok.text == "action") {
          it = {Item::kAction, Take(Token::kQuoted).text, {}};
          if (it.text.empty() || it.text.find(' ') != std::string::npos) throw std::runtime_error("bad tag");
        } else if (tok.text == "optional" || tok.text == "ignore") {
          it = {tok.text == "optional" ? Item::kOptional : Item::kIgnore, "", ParseExpr()};
        } else {
          break;
        }
        Expect(Token::kPunct, ")");
        return it;
      }
      default: break;
    }
    throw std::runtime_error("unexpected `" + tok.text + "`");
  }

  std::vector<Token> t_;
  std::size_t i_ = 0;
};

struct Match {
  std::size_t end;
  std::string tags;  // concatenated: the value
  bool heard;        // a word matched outside every ignore group
};

class Matcher {
 public:
  explicit Matcher(const Grammar& g) : g_(g) {}

  // Every complete match of the rule: the values, with words left unignored.
  std::vector<Match> Complete(const std::string& rule, const std::string& utterance) {
    std::istringstream in(utterance);
    words_.clear();
    for (std::string w; in >> w;) words_.push_back(w);
    std::vector<Match> out;
    for (const auto& m : Ref(rule, 0, false))
      if (m.end == words_.size()) out.push_back(m);
    return out;
  }

 private:
  std::vector<Match> Ref(const std::string& name, std::size_t at, bool ignored) {
    return Alternatives(g_.rules.at(name), at, ignored);
  }
  std::vector<Match> Alternatives(const Expr& e, std::size_t at, bool ignored) {
    std::vector<Match> out;
    for (const auto& seq : e) {
      std::vector<Match> cur = {{at, "", false}};
      for (const auto& item : seq) {
        std::vector<Match> next;
        for (const auto& m : cur)
          for (auto& r : Item1(item, m.end, ignored)) next.push_back({r.end, m.tags + r.tags, m.heard || r.heard});
        cur = std::move(next);
      }
      out.insert(out.end(), cur.begin(), cur.end());
    }
    return out;
  }
  std::vector<Match> Item1(const Item& it, std::size_t at, bool ignored) {
    switch (it.kind) {
      case Item::kWord:
        if (at < words_.size() && words_[at] == it.text) return {{at + 1, "", !ignored}};
        return {};
      case Item::kRef: return Ref(it.text, at, ignored);
      case Item::kGroup: return Alternatives(it.expr, at, ignored);
      case Item::kOptional: {
        auto r = Alternatives(it.expr, at, ignored);
        r.push_back({at, "", false});
        return r;
      }
      case Item::kIgnore: return Alternatives(it.expr, at, true);
      case Item::kAction: return {{at, it.text, false}};
    }
    return {};
  }

  const Grammar& g_;
  std::vector<std::string> words_;
};

// --- The shipped grammar ----------------------------------------------------

const std::string kSource = std::string(TALVANE_SOURCE_DIR) + "/data/Generic Lists.bnf";

const Grammar& Lists() {
  static const Grammar g = Parser(test::ReadFile(kSource)).Parse();
  return g;
}

// The values an utterance of a list gives (more than one: ambiguous).
std::set<std::string> Values(const std::string& list, const std::string& utterance) {
  Matcher m(Lists());
  std::set<std::string> values;
  for (const auto& r : m.Complete(list, utterance)) {
    EXPECT_FALSE(r.heard) << list << ": \"" << utterance << "\" leaves words in the command text";
    values.insert(r.tags);
  }
  return values;
}

// One value, or "" when the list does not take the utterance.
std::string Value(const std::string& list, const std::string& utterance) {
  const auto v = Values(list, utterance);
  EXPECT_LE(v.size(), 1u) << list << ": \"" << utterance << "\" is ambiguous";
  return v.empty() ? "" : *v.begin();
}

// Digits as said: 7 -> "seven", 9 -> "niner".
std::string Say(const std::string& digits) {
  static const char* words[] = {"zero", "one", "two", "three", "four", "five", "six", "seven", "eight", "niner"};
  std::string s;
  for (char c : digits) {
    if (!s.empty()) s += ' ';
    s += c == '.' ? "decimal" : words[c - '0'];
  }
  return s;
}

// value / 10^decimals written with that many decimals, the whole part padded
// with zeros to `width` digits.
std::string Fixed(int value, int decimals, std::size_t width = 1) {
  int scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  std::string whole = std::to_string(value / scale);
  if (whole.size() < width) whole.insert(0, width - whole.size(), '0');
  if (decimals == 0) return whole;
  std::string frac = std::to_string(value % scale);
  frac.insert(0, static_cast<std::size_t>(decimals) - frac.size(), '0');
  return whole + "." + frac;
}

TEST(GenericLists, DefinesAndExportsEveryImportedList) {
  const Grammar& g = Lists();
  EXPECT_EQ(g.name, "Generic Lists");
  std::vector<std::string> wanted = {"SPD", "ALT", "CRS", "HDG", "MACH", "DEGREES", "N1REF", "VS", "VSNEG",
                                     "TRANSPARENCY", "ALT_PRESS", "DH_ALT", "EGT_VAL", "ADF_FREQ", "COMM_FREQ",
                                     "NAV_FREQ", "XPNDR_CODE", "SIM_RATE", "WORD_ON", "FLAP_SETTING"};
  for (char d = '0'; d <= '9'; ++d) wanted.push_back(std::string("NUM_") + d);
  for (char l = 'A'; l <= 'Z'; ++l) wanted.push_back(std::string("PHONETIC_") + l);
  std::set<std::string> exports(g.exports.begin(), g.exports.end());
  EXPECT_EQ(exports, std::set<std::string>(wanted.begin(), wanted.end()));
  EXPECT_EQ(exports.size(), g.exports.size());
  EXPECT_TRUE(g.imports.empty());
  EXPECT_TRUE(g.starts.empty());

  // Every reference resolves, nothing refers to itself, every rule is used.
  std::set<std::string> used(exports);
  std::function<void(const Expr&, std::vector<std::string>&)> walk = [&](const Expr& e, std::vector<std::string>& path) {
    for (const auto& seq : e)
      for (const auto& it : seq) {
        if (it.kind == Item::kRef) {
          ASSERT_TRUE(g.rules.count(it.text)) << it.text;
          ASSERT_EQ(std::find(path.begin(), path.end(), it.text), path.end()) << "recursion through " << it.text;
          used.insert(it.text);
          path.push_back(it.text);
          walk(g.rules.at(it.text), path);
          path.pop_back();
        } else {
          walk(it.expr, path);
        }
      }
  };
  for (const auto& name : g.exports) {
    std::vector<std::string> path = {name};
    walk(g.rules.at(name), path);
  }
  for (const auto& [name, e] : g.rules) EXPECT_TRUE(used.count(name)) << name << " is never used";

  // The shipped catalogue refers only to these lists and the navaid ones.
  for (const auto& file : fs::directory_iterator(std::string(TALVANE_SOURCE_DIR) + "/data/catalogue")) {
    const std::string text = test::ReadFile(file.path());
    for (std::size_t o = text.find('<'); o != std::string::npos; o = text.find('<', o + 1)) {
      const std::string name = Upper(text.substr(o + 1, text.find('>', o) - o - 1));
      if (name != "NAV_ID" && name != "NAV_NAME" && name != "RWY_APT_ID") {
        EXPECT_TRUE(exports.count(name)) << name;
      }
    }
  }
}

TEST(GenericLists, SpokenFormsCarryNoTag) {
  for (char d = '0'; d <= '9'; ++d) EXPECT_EQ(Values(std::string("NUM_") + d, Say(std::string(1, d))).size(), 1u);
  EXPECT_EQ(Value("NUM_9", "nine"), "");
  EXPECT_EQ(Values("NUM_9", "nine").size(), 1u);
  EXPECT_EQ(Values("PHONETIC_X", "x-ray").size(), 1u);
  EXPECT_EQ(Value("PHONETIC_X", "x-ray"), "");
  EXPECT_EQ(Values("WORD_ON", "awn").size(), 1u);
  EXPECT_TRUE(Values("PHONETIC_A", "bravo").empty());
}

TEST(GenericLists, WhatPilotsSay) {
  const std::vector<std::tuple<const char*, const char*, const char*>> cases = {
      {"ALT", "flight level three five zero", "35000"},
      {"ALT", "flight level eight zero", "8000"},
      {"ALT", "one zero thousand", "10000"},
      {"ALT", "ten thousand", "10000"},
      {"ALT", "three thousand five hundred", "3500"},
      {"ALT", "fifteen hundred", "1500"},
      {"ALT", "eight hundred", "800"},
      {"ALT", "twenty five thousand", "25000"},
      {"SPD", "two five zero", "250"},
      {"SPD", "two fifty", "250"},
      {"SPD", "one hundred twenty", "120"},
      {"SPD", "one hundred and five", "105"},
      {"SPD", "one hundred", "100"},
      {"SPD", "eighty five", "85"},
      {"SPD", "eight five", "85"},
      {"MACH", "point seven eight", "0.78"},
      {"MACH", "zero decimal eight", "0.80"},
      {"DEGREES", "two five", "25"},
      {"DEGREES", "twenty five", "25"},
      {"DEGREES", "five", "5"},
      {"N1REF", "nine two point five", "92.5"},
      {"N1REF", "ninety two", "92"},
      {"N1REF", "one hundred", "100"},
      {"VS", "one thousand five hundred", "1500"},
      {"VS", "fifteen hundred", "1500"},
      {"VS", "one five zero zero", "1500"},
      {"VS", "plus five hundred", "500"},
      {"VS", "zero", "0"},
      {"VSNEG", "minus eight hundred", "-800"},
      {"VSNEG", "negative two thousand", "-2000"},
      {"TRANSPARENCY", "fifty", "50"},
      {"TRANSPARENCY", "one hundred", "100"},
      {"TRANSPARENCY", "zero", "0"},
      {"ALT_PRESS", "two niner niner two", "29.92"},
      {"ALT_PRESS", "two nine point niner two inches", "29.92"},
      {"ALT_PRESS", "one zero one three", "1013"},
      {"ALT_PRESS", "niner eight seven hectopascals", "987"},
      {"DH_ALT", "two hundred", "200"},
      {"DH_ALT", "two fifty", "250"},
      {"DH_ALT", "two five zero", "250"},
      {"DH_ALT", "one thousand", "1000"},
      {"EGT_VAL", "one four five zero", "1450"},
      {"EGT_VAL", "fourteen fifty", "1450"},
      {"EGT_VAL", "fourteen hundred", "1400"},
      {"EGT_VAL", "eight hundred fifty", "850"},
      {"ADF_FREQ", "one zero two six point five", "1026.5"},
      {"COMM_FREQ", "one two one decimal five", "121.500"},
      {"COMM_FREQ", "one two one point two seven", "121.275"},
      {"COMM_FREQ", "one two one decimal two five", "121.250"},
      {"COMM_FREQ", "one three two decimal zero zero five", "132.005"},
      {"NAV_FREQ", "one one zero decimal three", "110.30"},
      {"NAV_FREQ", "one one four point niner five", "114.95"},
      {"XPNDR_CODE", "seven thousand", "7000"},
      {"SIM_RATE", "one quarter", "0.25"},
      {"SIM_RATE", "half", "0.5"},
      {"SIM_RATE", "times four", "4"},
      {"SIM_RATE", "one six", "16"},
      {"SIM_RATE", "one hundred twenty eight", "128"},
      {"FLAP_SETTING", "one five", "15"},
      {"FLAP_SETTING", "fifteen", "15"},
      {"FLAP_SETTING", "zero", "0"},
      {"HDG", "zero one zero", "010"},
      {"CRS", "three six zero", "360"},
  };
  for (const auto& [list, said, value] : cases) EXPECT_EQ(Value(list, said), value) << list << ": " << said;
  for (const auto& [list, said] : std::vector<std::pair<const char*, const char*>>{
           {"VSNEG", "eight hundred"}, {"MACH", "seven eight"}, {"ALT_PRESS", "two seven niner two"},
           {"COMM_FREQ", "one two one decimal two three"}, {"NAV_FREQ", "one one zero decimal three two"},
           {"FLAP_SETTING", "up"}, {"SIM_RATE", "normal"}})
    EXPECT_EQ(Value(list, said), "") << list << ": " << said;
}

TEST(GenericLists, WholeRanges) {
  for (int code = 0; code <= 7777; ++code) {
    const std::string s = Fixed(code, 0, 4);
    const bool octal = s.find_first_of("89") == std::string::npos;
    ASSERT_EQ(Value("XPNDR_CODE", Say(s)), octal ? s : "") << s;
  }
  for (int h = 0; h <= 999; ++h) {
    const std::string s = Fixed(h, 0, 3);
    ASSERT_EQ(Value("HDG", Say(s)), h >= 1 && h <= 360 ? s : "") << s;
  }
  for (int khz = 100; khz <= 1999; ++khz) {
    const std::string s = Fixed(khz, 0);
    ASSERT_EQ(Value("ADF_FREQ", Say(s)), khz >= 190 && khz <= 1799 ? s : "") << s;
  }
  // Every 25 kHz COM channel in full and in its short form, and the 8.33 kHz
  // channel names of its block.
  for (int khz = 117000; khz < 137000; khz += 25) {
    const std::string s = Fixed(khz, 3);
    const bool in = khz >= 118000;
    ASSERT_EQ(Value("COMM_FREQ", Say(s)), in ? s : "") << s;
    ASSERT_EQ(Value("COMM_FREQ", Say(s.substr(0, 6))), in ? s : "") << s;
    for (int n = 1; n <= 3 && in; ++n) ASSERT_EQ(Value("COMM_FREQ", Say(Fixed(khz + 5 * n, 3))), Fixed(khz + 5 * n, 3));
  }
  for (int khz = 107000; khz < 118000; khz += 50) {
    const std::string s = Fixed(khz / 10, 2);
    ASSERT_EQ(Value("NAV_FREQ", Say(s)), khz >= 108000 ? s : "") << s;
  }
  for (int p = 2700; p <= 3200; ++p) {
    const std::string s = Fixed(p, 2);
    ASSERT_EQ(Value("ALT_PRESS", Say(s.substr(0, 2) + s.substr(3))), p >= 2800 && p <= 3100 ? s : "") << s;
  }
  for (int hpa = 900; hpa <= 1100; ++hpa) {
    const std::string s = Fixed(hpa, 0);
    ASSERT_EQ(Value("ALT_PRESS", Say(s)), hpa >= 950 && hpa <= 1050 ? s : "") << s;
  }
}

}  // namespace
}  // namespace talvane
