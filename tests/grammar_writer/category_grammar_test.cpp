// Category grammars and SaveGrammarFiles.
#include <sys/stat.h>

#include "common/unicode_file.h"
#include "grammar/grammar_writer.h"
#include "grammar_test_support.h"

namespace talvane::test {
namespace {

struct Catalogue {
  Settings settings = SettingsWith({{"Checked", 50002}});
  CommandCatalogue catalogue;
  CategoryList categories;
  NavaidLists navaids;
  GrammarInputs Inputs() {
    BuildCategoryList(catalogue, categories);
    return {settings, catalogue, categories, navaids};
  }
};

TEST(CategoryGrammar, WorkedExampleIsWrittenByteForByte) {
  GrammarFixture f;
  Catalogue c;
  c.catalogue.CommandList.push_back(
      Command("Autopilot", "ap_alt_set", 65, {"set altitude (to) <ALT>", "altitude <ALT> [feet|foot]"}));
  ASSERT_EQ(SaveGrammarFiles(f.ctx, c.Inputs()), 0);

  std::vector<std::string> expected = {"!grammar \"Autopilot\";", ""};
  for (const auto& l : GenericImportLines()) expected.push_back(l);
  for (const char* l : {"", "!start<AP_ALT_SET>;", "", "<AP_ALT_SET>:", "\t!action(\"|65:\")", "\t!ignore(", "\t\t(",
                        "\t\tset altitude !optional(to) <ALT>", "\t\t| altitude <ALT> (feet|foot)", "\t\t)", "\t)", ";",
                        ""})
    expected.push_back(l);
  ASSERT_EQ(expected.size(), 71u);
  std::string text;
  for (const auto& l : expected) text += l + "\r\n";

  const std::string bytes = ReadFile(f.Grammars("Autopilot.bnf"));
  EXPECT_EQ(bytes, UnicodeFileBytes(Cp1252ToUtf16(text)));
  EXPECT_EQ(Lines(ReadGrammar(f.Grammars("Autopilot.bnf"))), expected);
  EXPECT_TRUE(f.ui.messages.empty());
}

TEST(CategoryGrammar, PhraseConversion) {
  const auto pad = [](const std::string& s) { return FixedText<256>(s).str(); };
  // A final "on" is converted thanks to the padding; a leading one is not.
  EXPECT_EQ(CategoryPhrase(pad("gear on")), "gear <WORD_ON>");
  EXPECT_EQ(CategoryPhrase(pad("ON landing lights")), "ON landing lights");
  EXPECT_EQ(CategoryPhrase(pad("Turn On lights")), "Turn <WORD_ON> lights");
  EXPECT_EQ(CategoryPhrase(pad("(please) flaps [up|down]")), "!optional(please) flaps (up|down)");
  // Only whole words: "onto", "con" stay.
  EXPECT_EQ(CategoryPhrase(pad("hold on onto con on")), "hold <WORD_ON> onto con <WORD_ON>");
  // A phrase that fills its field has no padding after a final "on".
  const std::string full = std::string(253, 'x') + " on";
  EXPECT_EQ(CategoryPhrase(pad(full)), full);
  // The test grammar does not replace "on".
  EXPECT_EQ(TestPhrase(pad("(please) turn [it|] on")), "!optional(please) turn (it|) on");
}

TEST(CategoryGrammar, CommandWithoutPhrasesAndTagWithoutColon) {
  CommandCatalogue cat;
  cat.CommandList.push_back(Command("Lights", "lights_off", -12, {}));
  cat.CommandList.push_back(Command("Lights", "lights_on", 7, {"lights on"}));
  const auto lines = Lines(ComposeCategoryGrammar("Lights", cat, 0));
  const std::vector<std::string> rules(lines.begin() + 62, lines.end());
  const std::vector<std::string> expected = {
      "<LIGHTS_OFF>:", "\t!action(\"|-12\")", "\t!ignore(", "\t\t(", "\t\tTest",          "\t\t)", "\t)", ";", "",
      "<LIGHTS_ON>:",  "\t!action(\"|7\")",   "\t!ignore(", "\t\t(", "\t\tlights <WORD_ON>", "\t\t)", "\t)", ";", ""};
  EXPECT_EQ(rules, expected);
  EXPECT_EQ(lines[59], "!start<LIGHTS_OFF>;");
  EXPECT_EQ(lines[60], "!start<LIGHTS_ON>;");
}

TEST(CategoryGrammar, EmptyCategoryStillHasHeaderAndImports) {
  CommandCatalogue cat;
  const auto lines = Lines(ComposeCategoryGrammar("Views", cat, 1));
  ASSERT_EQ(lines.size(), 60u);  // header, empty, 56 imports, empty, (no starts), empty
  EXPECT_EQ(lines[57], "!import<FLAP_SETTING>;");
  EXPECT_EQ(lines[58], "");
  EXPECT_EQ(lines[59], "");
}

TEST(CategoryGrammar, NavaidCommandsAndImportsFollowTheSetting) {
  CommandCatalogue cat;
  cat.CommandList.push_back(Command("Radios", "radio_nav1_select_ils", 10, {"tune i l s <RWY_APT_ID>"}));
  cat.CommandList.push_back(Command("Radios", "RADIO_NAV1_SELECT_VOR", 11, {"nav one <NAV_ID>"}));
  cat.CommandList.push_back(Command("Radios", "Radio_Nav2_Select_Vor", 12, {"nav two <NAV_NAME>"}));
  cat.CommandList.push_back(Command("Radios", "RADIO_COM1_SET", 13, {"com one <COMM_FREQ>"}));

  const std::string off = ComposeCategoryGrammar(" Radios ", cat, 0);
  EXPECT_EQ(off.find("NAV_ID"), std::string::npos);
  EXPECT_EQ(off.find("SELECT"), std::string::npos);
  auto lines = Lines(off);
  EXPECT_EQ(lines[57], "!import<FLAP_SETTING>;");
  EXPECT_EQ(lines[59], "!start<RADIO_COM1_SET>;");
  EXPECT_EQ(lines[60], "");

  lines = Lines(ComposeCategoryGrammar("Radios", cat, 1));
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 57, lines.begin() + 67),
            (std::vector<std::string>{"!import<FLAP_SETTING>;", "!import<NAV_ID>;", "!import<NAV_NAME>;",
                                      "!import<RWY_APT_ID>;", "", "!start<RADIO_NAV1_SELECT_ILS>;",
                                      "!start<RADIO_NAV1_SELECT_VOR>;", "!start<RADIO_NAV2_SELECT_VOR>;",
                                      "!start<RADIO_COM1_SET>;", ""}));

  // Only the category named radios gets the navaid imports.
  cat.CommandList.push_back(Command("Radio Stack", "RADIO_NAV2_SELECT_VOR", 12, {"nav two <NAV_NAME>"}));
  EXPECT_EQ(Lines(ComposeCategoryGrammar("Radio Stack", cat, 1))[58], "");

  // Any value but 1 is off, for the start lines and the rules alike.
  EXPECT_EQ(ComposeCategoryGrammar("Radios", cat, 2), off);
}

TEST(SaveGrammarFiles, WritesEveryCategoryAndTheChecklistResponses) {
  GrammarFixture f;
  Catalogue c;
  c.catalogue.CommandList.push_back(Command("Autopilot", "a", 1, {"one"}));
  c.catalogue.CommandList.push_back(Command("Lights", "b", 2, {"two"}));
  c.catalogue.CommandList.push_back(Command("autopilot ", "c", 3, {"three"}));
  ASSERT_EQ(SaveGrammarFiles(f.ctx, c.Inputs()), 0);
  for (const char* name : {"Autopilot.bnf", "Lights.bnf", "ChecklistResponses.bnf", "Generic Lists.bnf"})
    EXPECT_TRUE(FileExists(f.Grammars(name))) << name;
  // "autopilot " is the same category as "Autopilot", whose spelling wins.
  const std::string autopilot = ReadGrammar(f.Grammars("Autopilot.bnf"));
  EXPECT_EQ(autopilot, ComposeCategoryGrammar("Autopilot", c.catalogue, 0));
  EXPECT_NE(autopilot.find("\r\n\r\n!start<A>;\r\n!start<C>;\r\n\r\n<A>:"), std::string::npos);
  EXPECT_EQ(autopilot.find("<B>"), std::string::npos);
  EXPECT_EQ(ReadFile(f.Grammars("Generic Lists.bnf")), GrammarFixture::kLists);
  // Navaids off: no navaid grammars.
  EXPECT_FALSE(FileExists(f.Grammars("Navaid_IDs.bnf")));
}

TEST(SaveGrammarFiles, GenericListsAreCopiedOnlyWhenMissing) {
  GrammarFixture f;
  Catalogue c;
  c.catalogue.CommandList.push_back(Command("Lights", "b", 2, {"two"}));
  WriteFile(f.Grammars("Generic Lists.bnf"), "edited by the user");
  ASSERT_EQ(SaveGrammarFiles(f.ctx, c.Inputs()), 0);
  EXPECT_EQ(ReadFile(f.Grammars("Generic Lists.bnf")), "edited by the user");

  // Neither copy: result 1, nothing written, no message (the caller reports).
  fs::remove(f.Grammars("Generic Lists.bnf"));
  fs::remove(f.folder / "Data" / "Generic Lists.bnf");
  fs::remove(f.Grammars("Lights.bnf"));
  EXPECT_EQ(SaveGrammarFiles(f.ctx, c.Inputs()), 1);
  EXPECT_FALSE(FileExists(f.Grammars("Lights.bnf")));
  EXPECT_TRUE(f.ui.messages.empty());
  EXPECT_FALSE(f.ui.exit_requested);
}

TEST(SaveGrammarFiles, CategoryNamesThatCannotBeGrammarFilesAreRefused) {
  for (const char* bad : {"../Data/CommandList", "a/b", "generic lists", "ChecklistResponses", "NAVAID_IDS"}) {
    GrammarFixture f;
    Catalogue c;
    c.catalogue.CommandList.push_back(Command("Lights", "b", 2, {"two"}));
    c.catalogue.CommandList.push_back(Command(bad, "x", 1, {"one"}));
    WriteFile(f.Grammars("Generic Lists.bnf"), "keep");
    EXPECT_EQ(SaveGrammarFiles(f.ctx, c.Inputs()), 1) << bad;
    // Refused before anything is written.
    EXPECT_FALSE(FileExists(f.Grammars("Lights.bnf"))) << bad;
    EXPECT_EQ(ReadFile(f.Grammars("Generic Lists.bnf")), "keep") << bad;
    EXPECT_FALSE(FileExists(f.folder / "Data" / "CommandList.bnf")) << bad;
  }
}

TEST(SaveGrammarFiles, UnwritableGrammarIsLeftToTheCaller) {
  GrammarFixture f;
  Catalogue c;
  c.catalogue.CommandList.push_back(Command("Lights", "b", 2, {"two"}));
  c.catalogue.CommandList.push_back(Command("Views", "v", 3, {"three"}));
  WriteFile(f.Grammars("Generic Lists.bnf"), "lists");
  fs::create_directories(f.Grammars("Lights.bnf"));  // a folder where the file should go
  // The writer reports nothing and ends nothing: its caller decides.
  EXPECT_EQ(SaveGrammarFiles(f.ctx, c.Inputs()), kGrammarFileUnwritable);
  EXPECT_TRUE(f.ui.messages.empty());
  EXPECT_FALSE(f.ui.exit_requested);
  const Message m = GrammarFileWriteError();
  EXPECT_EQ(m.title, "Talvane Error");
  EXPECT_EQ(m.text,
            "There was an error in trying to write a grammar file.\r\rPlease contact Brevantix Support\r\r"
            "Please press OK to continue...");
  EXPECT_EQ(m.icon, kIconError);
  EXPECT_TRUE(m.ok);
  EXPECT_FALSE(m.cancel);
  // It stops at the failure.
  EXPECT_FALSE(FileExists(f.Grammars("Views.bnf")));
  EXPECT_FALSE(FileExists(f.Grammars("ChecklistResponses.bnf")));
}

TEST(WriteUnicodeFile, ReplacesTheFileWhole) {
  GrammarFixture f;
  const fs::path p = f.Grammars("x.bnf");
  WriteFile(p, std::string(1000, 'z'));
  ASSERT_TRUE(WriteUnicodeFile(std::string("caf\xE9\r\n"), p));
  EXPECT_EQ(ReadFile(p), std::string("\xFF\xFE" "c\0a\0f\0\xE9\0\r\0\n\0", 14));
  ASSERT_TRUE(WriteUnicodeFile(std::u16string(u"\u20AC"), p));
  EXPECT_EQ(ReadFile(p), std::string("\xFF\xFE\xAC\x20", 4));
  ASSERT_TRUE(WriteUnicodeFile(std::string(), p));
  EXPECT_EQ(ReadFile(p), "\xFF\xFE");
  // No temporary files left beside it.
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(f.folder / "Grammars")) ++n;
  EXPECT_EQ(n, 2u);  // x.bnf and Test
}

}  // namespace
}  // namespace talvane::test
