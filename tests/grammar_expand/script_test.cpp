// The grammar script document, its progress and its saving.
#include <gtest/gtest.h>

#include "common/text.h"
#include "grammar/grammar_script.h"
#include "support/test_support.h"

namespace talvane {
namespace {

CommandRecord Command(const std::string& category, const std::string& name, std::vector<std::string> phrases) {
  CommandRecord r;
  r.category = category;
  r.commandName = name;
  for (const auto& p : phrases) r.grammars.emplace_back(p);
  return r;
}

std::string Lines(std::initializer_list<std::string> lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\n";
  return s;
}

const std::string kHead = Lines({
    R"({\rtf1\ansi\ansicpg1252\deff0\deflang1033{\fonttbl{\f0\fswiss\fcharset0 Arial;}{\f1\fnil\fcharset2 Symbol;}})",
    R"({\*\generator Msftedit 5.41.15.1507;}\viewkind4\uc1\pard\b\i\f0\fs44 Talvane\par)",
    R"(\i0\fs32\tab Grammar Script\par)",
    R"(\b0\fs20\par)",
    R"(The following is broken into command categories and the associated commands.  Each command includes the )"
    R"(script that you may speak to control Flight Simulator.  If you make changes to your grammar phrases using )"
    R"(the Talvane interface, generate a new script to show the changes in this document.  You may print this )"
    R"(document in WordPad.\par)",
    R"(\par)",
});

struct ScriptFixture : ::testing::Test {
  test::ProgramFixture f;
  CommandCatalogue c;
  CategoryList categories;
};

TEST_F(ScriptFixture, DocumentLineForLine) {
  c.CommandList = {Command("Autopilot", "Altitude Set", {"set (the) altitude <ALT>", "altitude <ALT>"}),
                   Command("Lights", "Landing Lights On", {"turn on [the|] landing lights"}),
                   Command(" autopilot ", "Heading Set", {"heading <HDG>"})};
  BuildCategoryList(c, categories);
  categories.CategoryNames.push_back("Empty");

  std::string doc;
  ASSERT_TRUE(CreateGrammarScript(f.ctx, c, categories, doc));
  const std::string command_start = R"(\pard{\*\pn\pnlvlblt\pnf1\pnindent0{\pntxtb\'B7}}\fi-360\li1440)";
  const std::string bullet = R"({\pntext\f1\'B7\tab})";
  EXPECT_EQ(doc, kHead + Lines({
                             R"(\b\fs28 Number of Command Categories - 3\par)",
                             R"(\b0\fs20\par)",
                             R"(\b\fs28 I.  Autopilot\par)",
                             R"(\b0\fs20\par)",
                             R"(\fs20\par)",
                             R"(\b\fs24\tab 1.  Altitude Set\par)",
                             R"(\b0\fs20\par)",
                             command_start,
                             bullet + R"(Set altitude <ALT>\par)",
                             bullet + R"(Set the altitude <ALT>\par)",
                             bullet + R"(Altitude <ALT>\par)",
                             R"(\pard\li1080\par)",
                             R"(\pard)",
                             R"(\b\fs24\tab 2.  Heading Set\par)",
                             R"(\b0\fs20\par)",
                             command_start,
                             bullet + R"(Heading <HDG>\par)",
                             R"(\pard\li1080\par)",
                             R"(\pard)",
                             R"(\b\fs28 II.  Lights\par)",
                             R"(\b0\fs20\par)",
                             R"(\fs20\par)",
                             R"(\b\fs24\tab 1.  Landing Lights On\par)",
                             R"(\b0\fs20\par)",
                             command_start,
                             bullet + R"(Turn on  landing lights\par)",
                             bullet + R"(Turn on the landing lights\par)",
                             R"(\pard\li1080\par)",
                             R"(\pard)",
                             R"(\b\fs28 III.  Empty\par)",
                             R"(\b0\fs20\par)",
                             R"(\fs20\par)",
                             "}",
                         }));

  EXPECT_EQ(f.ui.progress_title, "Creating Grammar Script");
  ASSERT_EQ(f.ui.progress.size(), 4u);
  EXPECT_EQ(f.ui.progress[0].text, "Creating the complete grammar phrases script.\r\rPlease standby...");
  EXPECT_EQ(f.ui.progress[1].text, "Command Category - Autopilot\r\rPlease standby...");
  EXPECT_EQ(f.ui.progress[3].text, "Command Category - Empty\r\rPlease standby...");
  EXPECT_DOUBLE_EQ(f.ui.progress[1].percent, 0.0);
  EXPECT_DOUBLE_EQ(f.ui.progress[2].percent, 100.0 / 3);
  EXPECT_DOUBLE_EQ(f.ui.progress[3].percent, 200.0 / 3);
  EXPECT_FALSE(f.ui.progress_visible);
  EXPECT_TRUE(f.ui.messages.empty());
}

TEST_F(ScriptFixture, RomanHeadingsAndEmptyCatalogue) {
  for (const char* name : {"A", "B", "C", "D"}) c.CommandList.push_back(Command(name, "x", {}));
  BuildCategoryList(c, categories);
  std::string doc;
  ASSERT_TRUE(BuildGrammarScript(f.ctx, c, categories, doc));
  EXPECT_NE(doc.find("\\b\\fs28 Number of Command Categories - 4\\par\n"), std::string::npos);
  EXPECT_NE(doc.find("\\b\\fs28 IV.  D\\par\n"), std::string::npos);

  categories.CategoryNames.clear();
  ASSERT_TRUE(BuildGrammarScript(f.ctx, {}, categories, doc));
  EXPECT_EQ(doc, kHead + Lines({R"(\b\fs28 Number of Command Categories - 0\par)", R"(\b0\fs20\par)", "}"}));
}

TEST_F(ScriptFixture, NamesCannotBreakTheDocument) {
  EXPECT_EQ(RtfText("a{b}\\c"), "a\\{b\\}\\\\c");
  EXPECT_EQ(RtfText("Caf\xE9\tx"), "Caf\\'e9\\'09x");
  c.CommandList = {Command("Lights {x}", "Beacon \\par On}", {"beacon on"})};
  BuildCategoryList(c, categories);
  std::string doc;
  ASSERT_TRUE(BuildGrammarScript(f.ctx, c, categories, doc));
  EXPECT_NE(doc.find("\\b\\fs28 I.  Lights \\{x\\}\\par\n"), std::string::npos);
  EXPECT_NE(doc.find("\\b\\fs24\\tab 1.  Beacon \\\\par On\\}\\par\n"), std::string::npos);
  // Groups stay balanced: every unescaped brace has its partner.
  int depth = 0;
  for (std::size_t i = 0; i < doc.size(); ++i) {
    if (doc[i] == '\\') {
      ++i;
    } else if (doc[i] == '{') {
      ++depth;
    } else if (doc[i] == '}') {
      ASSERT_GT(depth--, 0);
    }
  }
  EXPECT_EQ(depth, 0);
}

TEST_F(ScriptFixture, InvalidPhraseStopsTheBuild) {
  c.CommandList = {Command("Lights", "Beacon", {"beacon on", "beacon (on]"}), Command("Lights", "Strobe", {"x!"})};
  BuildCategoryList(c, categories);
  std::string doc = "previous";
  EXPECT_FALSE(CreateGrammarScript(f.ctx, c, categories, doc));
  EXPECT_EQ(doc, "previous");
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_EQ(f.ui.messages[0].title, "Grammar Error");
  EXPECT_EQ(f.ui.messages[0].text, "Error in Lights - Beacon\r\rbeacon (on]\r\rPlease press OK to continue...");
  EXPECT_FALSE(f.ui.progress_visible);
}

TEST_F(ScriptFixture, SaveWritesTheDocumentAndTells) {
  EXPECT_EQ(SaveGrammarScript(f.ctx, "{\\rtf1 old}\n"), 0);
  EXPECT_EQ(SaveGrammarScript(f.ctx, "{\\rtf1 new}\n"), 0);
  EXPECT_EQ(test::ReadFile(f.folder / "TalvaneScript.rtf"), "{\\rtf1 new}\n");
  ASSERT_EQ(f.ui.messages.size(), 2u);
  EXPECT_EQ(f.ui.messages[1].title, "Grammar Script Saved");
  EXPECT_EQ(f.ui.messages[1].text,
            "The complete grammar script has been saved to a rich text file.  The file is found in the Talvane main "
            "directory.\r\rPlease press OK to continue...");
}

TEST(SaveGrammarScript, FailureIsReportedNotClaimedAsSaved) {
  test::TempFolder folder;
  test::WriteFile(folder / "file", "x");
  RecordingUserInterface ui;
  Context ctx{folder / "file", ui};  // a program folder that is a file
  EXPECT_EQ(SaveGrammarScript(ctx, "{}"), 1);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "Talvane Error");
  EXPECT_EQ(ui.messages[0].icon, kIconError);
}

}  // namespace
}  // namespace talvane
