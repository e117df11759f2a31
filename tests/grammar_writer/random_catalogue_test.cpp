// Random catalogues against a second, independent model of the category and
// checklist-response layouts, built as UTF-16 lines rather than composed text.
#include <random>

#include "grammar/grammar_writer.h"
#include "grammar_test_support.h"

namespace talvane::test {
namespace {

using U16 = std::u16string;

U16 W(std::string_view ansi) { return Cp1252ToUtf16(ansi); }

bool Space(char16_t c) { return c == u' '; }

U16 TrimSpaces(U16 s) {
  while (!s.empty() && Space(s.back())) s.pop_back();
  std::size_t i = 0;
  while (i < s.size() && Space(s[i])) ++i;
  return s.substr(i);
}

char16_t Up(char16_t c) { return W(std::string(1, UpperChar(Utf16ToCp1252(U16(1, c))[0])))[0]; }

U16 UpperAll(U16 s) {
  for (auto& c : s) c = Up(c);
  return s;
}

// One left-to-right scan: " on " (any case) becomes " <WORD_ON> "; brackets
// map one character at a time.
U16 ConvertPhrase(const U16& padded, bool words) {
  U16 out;
  for (std::size_t i = 0; i < padded.size();) {
    if (words && i + 3 < padded.size() && padded[i] == u' ' && (padded[i + 1] | 0x20) == u'o' &&
        (padded[i + 2] | 0x20) == u'n' && padded[i + 3] == u' ') {
      out += u" <WORD_ON> ";
      i += 4;
      continue;
    }
    switch (padded[i]) {
      case u'(': out += u"!optional("; break;
      case u'[': out += u'('; break;
      case u']': out += u')'; break;
      default: out += padded[i];
    }
    ++i;
  }
  return TrimSpaces(out);
}

U16 Join(const std::vector<U16>& lines) {
  U16 out;
  for (const auto& l : lines) out += l + u"\r\n";
  return out;
}

std::vector<U16> Imports(bool navaid) {
  std::vector<U16> v;
  for (const auto& l : GenericImportLines()) v.push_back(W(l));
  if (navaid)
    for (const char16_t* n : {u"NAV_ID", u"NAV_NAME", u"RWY_APT_ID"}) v.push_back(U16(u"!import<") + n + u">;");
  return v;
}

U16 ModelCategory(const U16& category, const CommandCatalogue& cat, int navaids) {
  const U16 name = TrimSpaces(category);
  std::vector<const CommandRecord*> members;
  for (const auto& c : cat.CommandList) {
    if (UpperAll(TrimSpaces(W(c.category.str()))) != UpperAll(name)) continue;
    const U16 rule = UpperAll(TrimSpaces(W(c.ruleName.str())));
    if (navaids != 1 && (rule == u"RADIO_NAV1_SELECT_ILS" || rule == u"RADIO_NAV1_SELECT_VOR" ||
                         rule == u"RADIO_NAV2_SELECT_VOR"))
      continue;
    members.push_back(&c);
  }
  U16 lower = name;
  for (auto& ch : lower)
    if (ch >= u'A' && ch <= u'Z') ch = static_cast<char16_t>(ch + 32);
  std::vector<U16> lines = {u"!grammar \"" + name + u"\";", u""};
  for (auto& l : Imports(navaids == 1 && lower == u"radios")) lines.push_back(l);
  lines.push_back(u"");
  for (auto* c : members) lines.push_back(u"!start<" + UpperAll(TrimSpaces(W(c->ruleName.str()))) + u">;");
  lines.push_back(u"");
  for (auto* c : members) {
    bool list = false;
    for (const auto& g : c->grammars) list = list || g.str().find('<') != std::string::npos;
    lines.push_back(u"<" + UpperAll(TrimSpaces(W(c->ruleName.str()))) + u">:");
    lines.push_back(u"\t!action(\"|" + W(std::to_string(c->commandValue)) + (list ? u":" : u"") + u"\")");
    lines.push_back(u"\t!ignore(");
    lines.push_back(u"\t\t(");
    if (c->grammars.empty()) lines.push_back(u"\t\tTest");
    bool first = true;
    for (const auto& g : c->grammars) {
      lines.push_back((first ? u"\t\t" : u"\t\t| ") + ConvertPhrase(W(g.str()), true));
      first = false;
    }
    lines.push_back(u"\t\t)");
    lines.push_back(u"\t)");
    lines.push_back(u";");
    lines.push_back(u"");
  }
  return Join(lines);
}

std::string Pick(std::mt19937& rng, const std::vector<std::string>& from) {
  return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(rng)];
}

std::string RandomPhrase(std::mt19937& rng) {
  static const std::vector<std::string> words = {
      "on",  "ON",   "On",   "oN",    "gear", "(please)", "[up|down]", "<ALT>", "turn", "onto", "con", " ",
      "(",   "]",    "[",    ")",     "|",    "caf\xE9",  "\xC9T\xC9", "set",   "to",   "lights", "<NUM_1>",
      "on ", " on ", "x on", "\x80",  "a(b)c"};
  std::string p;
  const int n = std::uniform_int_distribution<int>(0, 12)(rng);
  for (int i = 0; i < n; ++i) {
    if (!p.empty() && rng() % 4 != 0) p += ' ';
    p += Pick(rng, words);
  }
  // Now and then a phrase that fills (or overflows) its field.
  if (rng() % 10 == 0) p = std::string(253 + rng() % 6, 'x') + p;
  return p;
}

TEST(RandomCatalogues, MatchTheModel) {
  std::mt19937 rng(20240607);
  const std::vector<std::string> categories = {"Autopilot", "  autopilot", "AUTOPILOT  ", "Radios", "radios ",
                                               "Lights",    "\xC9lectrique", "\xE9LECTRIQUE", "Views", "Radio"};
  const std::vector<std::string> rules = {"ap_alt_set",            "RADIO_NAV1_SELECT_ILS", "radio_nav1_select_vor",
                                          " Radio_Nav2_Select_Vor", "lights_on",             "x\xE9",
                                          "GEAR_UP",               "gear_down"};
  for (int round = 0; round < 30; ++round) {
    GrammarFixture f;
    Settings s;
    s.compileNavaids = static_cast<std::int16_t>(rng() % 3);
    const int responses = 1 + static_cast<int>(rng() % 4);
    for (int i = 0; i < responses; ++i)
      s.ChecklistResponses.push_back(
          {Pick(rng, {"On", "ON", " on ", "Checked", "SET", "c\xE9"}), static_cast<std::int32_t>(rng() % 2000000000) - 1000000000});
    s.numChecklistResponse = static_cast<std::int16_t>(responses - 1);

    CommandCatalogue cat;
    const int commands = static_cast<int>(rng() % 25);
    for (int i = 0; i < commands; ++i) {
      std::vector<std::string> phrases;
      const int n = static_cast<int>(rng() % 5);
      for (int g = 0; g < n; ++g) phrases.push_back(RandomPhrase(rng));
      cat.CommandList.push_back(Command(Pick(rng, categories), Pick(rng, rules),
                                        static_cast<std::int16_t>(static_cast<int>(rng() % 65536) - 32768), phrases));
    }
    CategoryList cats;
    BuildCategoryList(cat, cats);
    NavaidLists navaids;
    navaids.NavaidList.push_back({"SEA", "Seattle", "116.80"});
    navaids.ILSList.push_back({"KSEA", "16L", "KSEA", "16L"});
    ASSERT_EQ(SaveGrammarFiles(f.ctx, {s, cat, cats, navaids}), 0);

    for (const auto& name : cats.CategoryNames) {
      const std::string bytes = ReadFile(f.folder / "Grammars" / PathFromAnsi(name + ".bnf"));
      ASSERT_EQ(bytes.substr(0, 2), "\xFF\xFE");
      const U16 model = ModelCategory(W(name), cat, s.compileNavaids);
      U16 got;
      for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        got += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                     static_cast<unsigned char>(bytes[i + 1]) << 8);
      ASSERT_EQ(Utf16ToCp1252(got), Utf16ToCp1252(model)) << "round " << round << ", category " << name;
    }

    // Checklist responses.
    std::vector<U16> starts, blocks;
    U16 activatable = u"!activatable ";
    for (const auto& r : s.ChecklistResponses) {
      const U16 word = UpperAll(TrimSpaces(W(r.response)));
      starts.push_back(u"!start<" + word + u">;");
      activatable += u"<" + word + u"> ";
      const U16 spoken = TrimSpaces(W(r.response)) == u"On" ? U16(u"(on|awn)") : TrimSpaces(W(r.response));
      for (U16 l : {u"<" + word + u">:", u"\t!action(\"|" + W(std::to_string(r.functionNumber)) + u"\")",
                    U16(u"\t!ignore("), u"\t\t" + spoken, U16(u"\t)"), U16(u";"), U16()})
        blocks.push_back(l);
    }
    std::vector<U16> lines = {u"!grammar \"ChecklistResponses\";", u""};
    lines.insert(lines.end(), starts.begin(), starts.end());
    lines.push_back(activatable + u";");
    lines.push_back(u"");
    lines.insert(lines.end(), blocks.begin(), blocks.end());
    EXPECT_EQ(ReadGrammar(f.folder / "Grammars" / "ChecklistResponses.bnf"), Utf16ToCp1252(Join(lines)));

    EXPECT_EQ(FileExists(f.folder / "Grammars" / "Navaid_IDs.bnf"), s.compileNavaids == 1);
  }
}

}  // namespace
}  // namespace talvane::test
