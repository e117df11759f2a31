// The checklist-response grammar and the test grammar of the test screen.
#include "grammar/grammar_writer.h"
#include "grammar_test_support.h"

namespace talvane::test {
namespace {

TEST(ChecklistResponses, Layout) {
  GrammarFixture f;
  const Settings s = SettingsWith({{"CHECKED", 50002}, {" set ", -3}, {"On", 50004}, {"ON", 50005}, {"on", 7}});
  ASSERT_EQ(SaveChecklistResponses(f.ctx, s), 0);
  const auto lines = Lines(ReadGrammar(f.Grammars("ChecklistResponses.bnf")));
  std::vector<std::string> expected = {"!grammar \"ChecklistResponses\";", "",
                                       "!start<CHECKED>;",                "!start<SET>;",
                                       "!start<ON>;",                     "!start<ON>;",
                                       "!start<ON>;",                     "!activatable <CHECKED> <SET> <ON> <ON> <ON> ;",
                                       ""};
  const std::vector<std::pair<std::string, std::string>> blocks = {
      {"<CHECKED>:\t!action(\"|50002\")", "CHECKED"}, {"<SET>:\t!action(\"|-3\")", "set"},
      {"<ON>:\t!action(\"|50004\")", "(on|awn)"},     {"<ON>:\t!action(\"|50005\")", "ON"},
      {"<ON>:\t!action(\"|7\")", "on"}};
  for (const auto& [head, spoken] : blocks) {
    const std::size_t tab = head.find('\t');
    for (const std::string& l : {head.substr(0, tab), head.substr(tab), std::string("\t!ignore("), "\t\t" + spoken,
                                 std::string("\t)"), std::string(";"), std::string()})
      expected.push_back(l);
  }
  EXPECT_EQ(lines, expected);
}

struct TestGrammar : GrammarFixture {
  Settings settings = SettingsWith({{"SET", 1}});
  CommandCatalogue catalogue;
  CategoryList categories;
  NavaidLists navaids;
  TestGrammar() {
    catalogue.CommandList.push_back(Command("Autopilot", "ap_alt_set", 65, {"set altitude (to) <ALT>", "gear on"}));
    catalogue.CommandList.push_back(Command("Radios", "radio_nav1_select_vor", 11,
                                            {"[tune|select] nav one <NAV_ID>", "nav one <nav_id>"}));
    navaids.NavaidList.push_back({"SEA", "Seattle", "116.80"});
    navaids.ILSList.push_back({"KSEA", "16L", "KSEA", "16L"});
    BuildCategoryList(catalogue, categories);
  }
  GrammarInputs Inputs() const { return {settings, catalogue, categories, navaids}; }
};

TEST(TestGrammar, Layout) {
  TestGrammar f;
  ASSERT_EQ(SaveTestGrammar(f.ctx, f.Inputs(), 0, 1), 0);
  std::vector<std::string> expected = {"!grammar \"Test\";", ""};
  for (const auto& l : GenericImportLines()) expected.push_back(l);
  for (const char* l : {"", "!start<AP_ALT_SET>;", "", "<AP_ALT_SET>:", "\t(", "\t\tgear on", "\t)", ";", ""})
    expected.push_back(l);
  EXPECT_EQ(Lines(ReadGrammar(f.folder / "Grammars" / "Test" / "Test.bnf")), expected);
  EXPECT_EQ(ReadFile(f.folder / "Grammars" / "Test" / "Generic Lists.bnf"), GrammarFixture::kLists);
  // No navaid list used: no navaid grammars, in either folder.
  for (const char* name : {"Navaid_IDs.bnf", "Navaid_Names.bnf", "Navaid_ILSs.bnf"}) {
    EXPECT_FALSE(FileExists(f.folder / "Grammars" / "Test" / name));
    EXPECT_FALSE(FileExists(f.Grammars(name)));
  }
  EXPECT_FALSE(FileExists(f.Grammars("Autopilot.bnf")));
}

TEST(TestGrammar, NavaidPhraseImportsAndWritesTheNavaidGrammarsIntoTest) {
  TestGrammar f;
  ASSERT_EQ(SaveTestGrammar(f.ctx, f.Inputs(), 1, 0), 0);
  const auto lines = Lines(ReadGrammar(f.folder / "Grammars" / "Test" / "Test.bnf"));
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 57, lines.begin() + 61),
            (std::vector<std::string>{"!import<FLAP_SETTING>;", "!import<NAV_ID>;", "!import<NAV_NAME>;",
                                      "!import<RWY_APT_ID>;"}));
  EXPECT_EQ(lines[66], "\t\t(tune|select) nav one <NAV_ID>");
  for (const char* name : {"Navaid_IDs.bnf", "Navaid_Names.bnf", "Navaid_ILSs.bnf"}) {
    EXPECT_TRUE(FileExists(f.folder / "Grammars" / "Test" / name)) << name;
    EXPECT_FALSE(FileExists(f.Grammars(name))) << name;
  }
  // Progress is labelled for the test screen.
  ASSERT_FALSE(f.ui.progress.empty());
  EXPECT_EQ(f.ui.progress.front().text, "Writing Grammar Files (Navaid IDs)");
  EXPECT_EQ(f.ui.progress.back().text, "Writing Grammar Files (Navaid ILS's)");
}

TEST(TestGrammar, ListNamesAreMatchedAsWritten) {
  TestGrammar f;
  ASSERT_EQ(SaveTestGrammar(f.ctx, f.Inputs(), 1, 1), 0);
  EXPECT_EQ(Lines(ReadGrammar(f.folder / "Grammars" / "Test" / "Test.bnf"))[58], "");
  EXPECT_FALSE(FileExists(f.folder / "Grammars" / "Test" / "Navaid_IDs.bnf"));
}

TEST(TestGrammar, Failures) {
  TestGrammar f;
  EXPECT_EQ(SaveTestGrammar(f.ctx, f.Inputs(), 2, 0), 1);
  EXPECT_EQ(SaveTestGrammar(f.ctx, f.Inputs(), -1, 0), 1);
  EXPECT_EQ(SaveTestGrammar(f.ctx, f.Inputs(), 0, 2), 1);
  EXPECT_EQ(SaveTestGrammar(f.ctx, f.Inputs(), 0, -1), 1);
  EXPECT_FALSE(FileExists(f.folder / "Grammars" / "Test" / "Test.bnf"));

  // A navaid record that cannot be spoken fails the test grammar too.
  f.navaids.NavaidList.push_back({"TOOLONG", "Far", "1"});
  EXPECT_EQ(SaveTestGrammar(f.ctx, f.Inputs(), 1, 0), 1);

  // Without any generic lists: 1, and the old test grammar stays.
  TestGrammar g;
  WriteFile(g.folder / "Grammars" / "Test" / "Test.bnf", "old");
  fs::remove(g.folder / "Data" / "Generic Lists.bnf");
  EXPECT_EQ(SaveTestGrammar(g.ctx, g.Inputs(), 0, 0), 1);
  EXPECT_EQ(ReadFile(g.folder / "Grammars" / "Test" / "Test.bnf"), "old");
  EXPECT_TRUE(g.ui.messages.empty());
}

}  // namespace
}  // namespace talvane::test
