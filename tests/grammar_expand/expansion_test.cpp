// Phrase checking and expansion, duplicate removal, Roman numerals.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

#include "common/text.h"
#include "grammar/phrase_expansion.h"
#include "support/test_support.h"

namespace talvane {
namespace {

using Strings = std::vector<std::string>;

CommandCatalogue OneCommand(const std::string& phrase) {
  CommandCatalogue c;
  CommandRecord cmd;
  cmd.category = "  Lights ";
  cmd.commandName = " Landing Lights On";
  cmd.grammars.emplace_back(phrase);
  c.CommandList.push_back(cmd);
  return c;
}

struct Expanded {
  ExpansionList list;
  std::vector<Message> messages;
};

Expanded Expand(const std::string& phrase) {
  test::ProgramFixture f;
  Expanded r;
  ExpandCommandPhrase(f.ctx, OneCommand(phrase), 0, 0, r.list);
  r.messages = f.ui.messages;
  return r;
}

Strings Entries(const std::string& phrase) {
  Expanded r = Expand(phrase);
  EXPECT_TRUE(r.messages.empty()) << phrase;
  EXPECT_EQ(r.list.ExpansionUpper, static_cast<int>(r.list.entries.size()) - 1);
  return r.list.entries;
}

TEST(ExpandCommandPhrase, GoldenLists) {
  EXPECT_EQ(Entries("turn (on) [the|] landing lights"),
            (Strings{"turn  landing lights", "turn on  landing lights", "turn on the landing lights",
                     "turn the landing lights"}));
  EXPECT_EQ(Entries("[a|b] [c|d]"), (Strings{"a c", "a d", "b c", "b d"}));
  EXPECT_EQ(Entries("(please) (please)"), (Strings{"please", "please please"}));
  // Without brackets the stored phrase is the entry, padding and all.
  EXPECT_EQ(Entries("altitude <ALT> feet"), (Strings{FixedField("altitude <ALT> feet", 256)}));
  EXPECT_EQ(Entries("flaps [up|down|]"), (Strings{"flaps ", "flaps down", "flaps up"}));
  EXPECT_EQ(Entries("gear down | gear up"), (Strings{FixedField("gear down | gear up", 256)}));
}

TEST(ExpandCommandPhrase, CaseDuplicatesGoOnlyWhenAdjacent) {
  EXPECT_EQ(Entries("[Apple|apple]"), (Strings{"Apple"}));
  EXPECT_EQ(Entries("[apple|Apple|Banana]"), (Strings{"Apple", "Banana", "apple"}));
}

TEST(ExpandCommandPhrase, EmptyPhraseListsNothing) {
  Expanded r = Expand("");
  EXPECT_TRUE(r.messages.empty());
  EXPECT_EQ(r.list.ExpansionUpper, -1);
  EXPECT_TRUE(r.list.entries.empty());
}

TEST(ExpandCommandPhrase, InvalidPhraseIsReportedAndMarked) {
  for (const std::string phrase : {"gear down!", "a & b", "(a]", "a)", "[a|b", "x\xE9"}) {
    Expanded r = Expand(phrase);
    EXPECT_EQ(r.list.ExpansionUpper, kExpansionInvalid) << phrase;
    EXPECT_TRUE(r.list.entries.empty());
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].title, "Grammar Error");
    EXPECT_EQ(r.messages[0].icon, kIconError);
    EXPECT_EQ(r.messages[0].text,
              "Error in Lights - Landing Lights On\r\r" + phrase + "\r\rPlease press OK to continue...");
  }
}

TEST(ExpandCommandPhrase, NestedBracketsExpandFully) {
  EXPECT_EQ(Entries("(please (now))"), (Strings{"please", "please now"}));
  EXPECT_EQ(Entries("[a|[b|c]]"), (Strings{"a", "b", "c"}));
  EXPECT_EQ(Entries("turn [on|(the) [landing|taxi]] lights"),
            (Strings{"turn  landing lights", "turn  taxi lights", "turn on lights", "turn the landing lights",
                     "turn the taxi lights"}));
  EXPECT_EQ(Entries("x ([a|(b c)] y)"), (Strings{"x", "x  y", "x a y", "x b c y"}));
}

TEST(ExpandCommandPhrase, TooManySequencesAreRefusedNotHung) {
  // 15 optional parts fill the 16-bit list exactly; one more cannot fit.
  std::string fifteen;
  for (char c = 'a'; c < 'a' + 15; ++c) fifteen += std::string("(") + c + ") ";
  Expanded ok = Expand("x " + fifteen);
  EXPECT_TRUE(ok.messages.empty());
  EXPECT_EQ(ok.list.ExpansionUpper, 32767);

  Expanded r = Expand("x " + fifteen + "(p)");
  EXPECT_EQ(r.list.ExpansionUpper, kExpansionInvalid);
  EXPECT_TRUE(r.list.entries.empty());
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0].title, "Grammar Error");
  EXPECT_EQ(r.messages[0].text.rfind("Error in Lights - Landing Lights On\r\rx (a) (b)", 0), 0u);
  EXPECT_NE(r.messages[0].text.find("too many to list"), std::string::npos);

  // 4^25 sequences through groups, about 2^30 through nesting: refused at once.
  std::string groups, nested;
  for (int i = 0; i < 25; ++i) groups += "[a|b|c|d]";
  for (int i = 0; i < 30; ++i) nested += "[x|(y)";
  nested += std::string(30, ']');
  for (const auto& phrase : {groups, nested}) {
    ASSERT_TRUE(CheckPhraseSyntax(phrase));
    EXPECT_EQ(Expand(phrase).list.ExpansionUpper, kExpansionInvalid);
  }
}

TEST(ExpandSteps, OptionalPartsAndAlternativesInOrder) {
  EXPECT_EQ(ExpandOptionalParts("set (the) altitude (now)"),
            (Strings{"set altitude", "set altitude now", "set the altitude", "set the altitude now"}));
  // Only the outermost parts are resolved in one step.
  EXPECT_EQ(ExpandOptionalParts("(a (b)) c"), (Strings{"c", "a (b) c"}));
  EXPECT_EQ(ExpandAlternatives("flaps [up|down|]"), (Strings{"flaps up", "flaps down", "flaps "}));
  EXPECT_EQ(ExpandAlternatives("[a|[b|c] d] e"), (Strings{"a e", "[b|c] d e"}));
  EXPECT_EQ(ExpandAlternatives("no group"), (Strings{"no group"}));
  std::string many;
  for (int i = 0; i < 16; ++i) many += "(a)";
  EXPECT_TRUE(ExpandOptionalParts(many).empty());
}

TEST(CheckPhraseSyntax, AllowedCharactersAndNesting) {
  for (const char* ok : {"", "   ", "set (the) altitude <ALT>", "[a|[b|(c)]]", "o'clock, x-ray_1.", "a|b", "<>"})
    EXPECT_TRUE(CheckPhraseSyntax(ok)) << ok;
  for (const char* bad : {"a!", "a&b", "(a]", "a)", "]", "([)]", "(", "a\tb", "a/b", "\"a\""})
    EXPECT_FALSE(CheckPhraseSyntax(bad)) << bad;
}

// --- Against literal readings of the steps --------------------------------

// The restarting walk, one removal at a time: compare each entry with the one
// before (the first with the empty text), remove the first match, start again.
void LiteralRemoveDuplicates(Strings& l) {
  for (bool removed = true; removed;) {
    removed = false;
    for (std::size_t i = 0; i < l.size(); ++i) {
      const std::string before = i == 0 ? std::string() : Upper(Trim(l[i - 1]));
      if (Upper(Trim(l[i])) == before) {
        l.erase(l.begin() + static_cast<std::ptrdiff_t>(i));
        removed = true;
        break;
      }
    }
  }
}

TEST(RemoveDuplicateExpansions, MatchesTheRestartingWalk) {
  std::mt19937 rng(7);
  const std::string alphabet = " aAb";
  for (int round = 0; round < 3000; ++round) {
    Strings l(rng() % 12);
    for (auto& s : l)
      for (std::size_t n = rng() % 4; n > 0; --n) s += alphabet[rng() % alphabet.size()];
    if (round % 2) std::sort(l.begin(), l.end(), [](auto& a, auto& b) { return ExpansionLess(a, b); });
    Strings fast = l, literal = l;
    RemoveDuplicateExpansions(fast);
    LiteralRemoveDuplicates(literal);
    ASSERT_EQ(fast, literal);
  }
}

TEST(ExpansionLess, OrdinalOnUtf16CodeUnits) {
  EXPECT_TRUE(ExpansionLess("B", "a"));
  EXPECT_TRUE(ExpansionLess("a", "a "));
  EXPECT_TRUE(ExpansionLess("a  b", "a b"));
  // The euro sign (0x80) is U+20AC and sorts after y-diaeresis (0xFF, U+00FF).
  EXPECT_TRUE(ExpansionLess("\xFF", "\x80"));
}

// The expansion one step per call: optional parts first, then the first group,
// one step per call, each phrase trimmed before the step.
bool LiteralExpand(const std::string& s, Strings& out) {
  if (out.size() > 5000) return false;
  const std::string t = Trim(s);
  auto pair = [&t](char o, char c) {
    auto p = t.find(o);
    return p != std::string::npos && t.find(c, p + 1) != std::string::npos;
  };
  Strings next;
  if (pair('(', ')')) {
    next = ExpandOptionalParts(t);
    if (next.empty()) return false;  // more parts than the list can hold
  } else if (pair('[', ']')) {
    next = ExpandAlternatives(t);
  } else {
    out.push_back(s);
    return true;
  }
  for (const auto& p : next)
    if (!LiteralExpand(p, out)) return false;
  return true;
}

std::string RandomPhrase(std::mt19937& rng, bool balanced) {
  static const std::string pieces[] = {"a", "b", " ", "  ", "|", "x y"};
  std::string s;
  std::function<void(int)> gen = [&](int depth) {
    for (int n = static_cast<int>(rng() % 4); n > 0; --n) {
      const unsigned k = rng() % 10;
      if (k < 6 || depth > 3) {
        s += pieces[rng() % 6];
      } else if (k < 8) {
        s += '(';
        gen(depth + 1);
        s += ')';
      } else {
        s += '[';
        gen(depth + 1);
        for (int alts = static_cast<int>(rng() % 3); alts > 0; --alts) {
          s += '|';
          gen(depth + 1);
        }
        s += ']';
      }
    }
  };
  gen(0);
  if (!balanced && !s.empty()) s[rng() % s.size()] = "()[]"[rng() % 4];
  return s;
}

TEST(ExpandPhrase, EqualsTheStepByStepExpansion) {
  std::mt19937 rng(11);
  for (int round = 0; round < 4000; ++round) {
    const std::string phrase = RandomPhrase(rng, round % 3 != 0);
    Strings literal;
    if (!LiteralExpand(phrase, literal)) continue;
    ExpansionList list;
    ASSERT_TRUE(ExpandPhrase(phrase, list)) << phrase;
    ASSERT_EQ(list.entries, literal) << '"' << phrase << '"';
    ASSERT_EQ(list.ExpansionUpper, static_cast<int>(literal.size()) - 1);
  }
}

// Without nesting, each step against a plain reading: every part replaced by
// a marker and then kept or dropped; the group split at every bar.
TEST(ExpandSteps, FlatPhrasesMatchTheMarkerAndSplitReadings) {
  std::mt19937 rng(5);
  for (int round = 0; round < 2000; ++round) {
    std::string t;
    Strings parts;
    for (int n = static_cast<int>(rng() % 5); n > 0; --n) {
      const std::string word = std::string(rng() % 3, ' ') + "ab"[rng() % 2] + std::string(rng() % 3, ' ');
      if (rng() % 2) {
        parts.push_back(word);
        t += "(" + word + ")";
      } else {
        t += word;
      }
    }
    t = Trim(t);
    // Each part replaced by a marker, then kept or removed per binary digit.
    Strings expected;
    for (std::size_t c = 0; c < (std::size_t{1} << parts.size()); ++c) {
      std::string s = t;
      for (std::size_t j = 0; j < parts.size(); ++j) {
        const auto o = s.find('(');
        const auto e = s.find(')', o);
        const bool keep = c & (std::size_t{1} << (parts.size() - 1 - j));
        s.replace(o, e - o + 1, keep ? parts[j] : "");
      }
      std::string halved = Trim(s);
      for (std::size_t at = 0; (at = halved.find("  ", at)) != std::string::npos; ++at) halved.erase(at, 1);
      expected.push_back(Trim(halved));
    }
    ASSERT_EQ(ExpandOptionalParts(t), expected) << t;

    const std::string g = "p [" + Trim(t) + "|q|] s";
    Strings alternatives;
    const std::string inner = g.substr(3, g.find(']') - 3);
    std::size_t start = 0;
    for (std::size_t i = 0; i <= inner.size(); ++i)
      if (i == inner.size() || inner[i] == '|') {
        alternatives.push_back("p " + inner.substr(start, i - start) + " s");
        start = i + 1;
      }
    ASSERT_EQ(ExpandAlternatives(g), alternatives) << g;
  }
}

TEST(ToRoman, Numerals) {
  EXPECT_EQ(ToRoman("1994"), "MCMXCIV");
  EXPECT_EQ(ToRoman("14"), "XIV");
  EXPECT_EQ(ToRoman("4"), "IV");
  EXPECT_EQ(ToRoman("9"), "IX");
  EXPECT_EQ(ToRoman("40"), "XL");
  EXPECT_EQ(ToRoman("90"), "XC");
  EXPECT_EQ(ToRoman("400"), "CD");
  EXPECT_EQ(ToRoman("888"), "DCCCLXXXVIII");
  EXPECT_EQ(ToRoman("3999"), "MMMCMXCIX");
  EXPECT_EQ(ToRoman("12000"), "MMMMMMMMMMMM");
  EXPECT_EQ(ToRoman("007"), "VII");
  for (const char* zero : {"0", "", "000"}) EXPECT_EQ(ToRoman(zero), "No Roman value For 0");
  for (const char* bad : {"1000000", "12a", "-3", " 4"}) EXPECT_EQ(ToRoman(bad), "") << bad;
}

}  // namespace
}  // namespace talvane
