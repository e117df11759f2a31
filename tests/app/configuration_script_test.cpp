// The grammar script screen, opened from the configuration screen: what it
// shows of the document, its save, and the way back with the positions kept.
#include "common/files.h"
#include "common/text.h"
#include "configuration_fixture.h"

namespace talvane::test {
namespace {

TEST(ScriptDocument, TheSubsetIsReadIntoParagraphsRunsAndBullets) {
  const auto shown = ReadScriptDocument(
      "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}}\n{\\*\\generator Msftedit;}\\pard\\b\\i\\fs44 Title\\par\n"
      "\\i0\\fs32\\tab Sub\\b0 plain\\par\n"
      "\\pard{\\*\\pn\\pnlvlblt\\pnf1{\\pntxtb\\'B7}}\\fi-360\\li1440\n"
      "{\\pntext\\f1\\'B7\\tab}Caf\\'e9 \\{x\\} \\\\ y\\par\n"
      "\\pard\\li1080\\par\n\\pard tail}");
  ASSERT_EQ(shown.size(), 5u);
  ASSERT_EQ(shown[0].runs.size(), 1u);
  EXPECT_EQ(shown[0].runs[0].text, "Title");
  EXPECT_TRUE(shown[0].runs[0].bold && shown[0].runs[0].italic);
  EXPECT_EQ(shown[0].runs[0].halfPoints, 44);
  // A look that changes inside a paragraph starts a new run.
  ASSERT_EQ(shown[1].runs.size(), 2u);
  EXPECT_EQ(shown[1].runs[0].text, "\tSub");
  EXPECT_FALSE(shown[1].runs[0].italic);
  EXPECT_EQ(shown[1].runs[1].text, "plain");
  EXPECT_FALSE(shown[1].runs[1].bold);
  // The bullet's own text is not shown: the paragraph is a bullet.
  EXPECT_TRUE(shown[2].bullet);
  EXPECT_EQ(shown[2].Text(), "Caf\xe9 {x} \\ y");
  EXPECT_EQ(shown[2].leftIndent, 1440);
  EXPECT_FALSE(shown[3].bullet);
  EXPECT_EQ(shown[3].leftIndent, 1080);
  EXPECT_EQ(shown[3].Text(), "");
  EXPECT_EQ(shown[4].Text(), "tail");
  EXPECT_EQ(shown[4].leftIndent, 0);

  // Broken input never reads out of the text.
  for (const char* bad : {"\\", "{\\'4", "}}}{", "\\fs-99999999999 x", "{\\*"}) ReadScriptDocument(bad);
}

class ScriptScreenTest : public ConfigurationScreenTest {
 protected:
  ScriptScreenTest() {
    p.catalogue.CommandList = {
        Command("Lights", "Landing Lights", {"landing lights [on|off]"}),
        Command("Gear", "Gear Up", {"gear up", "(the) gear up"}),
        Command("Lights", "Taxi Lights", {"taxi lights on"}),
        Command("Altitude", "Set Altitude", {"set altitude <ALT>"}),
        Command("Radios", "Tune", {"tune"}),
    };
    Open();
  }
  // A paragraph's words, without the tabs that place them.
  static std::string Words(const ScriptParagraph& paragraph) {
    std::string t = paragraph.Text();
    std::erase(t, '\t');
    return Trim(t);
  }
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    for (const ScriptParagraph& paragraph : script.shown)
      if (!Words(paragraph).empty()) lines.push_back(Words(paragraph));
    return lines;
  }
  const ScriptParagraph* Find(const std::string& text) const {
    for (const ScriptParagraph& paragraph : script.shown)
      if (Words(paragraph) == text) return &paragraph;
    return nullptr;
  }

  ScriptScreen& script = shell.scriptScreen;
};

TEST_F(ScriptScreenTest, TheScreenShowsHeadingsNumbersAndBulletsOfTheDocument) {
  Press("script");
  EXPECT_EQ(shell.nav.CurrentScreenName, "frm_Script");
  EXPECT_EQ(ui.progress_title, "Creating Grammar Script");
  EXPECT_FALSE(ui.progress_visible);
  EXPECT_EQ(ReadScriptDocument(script.document).size(), script.shown.size());

  const std::vector<std::string> expected = {
      "Talvane", "Grammar Script",
      "The following is broken into command categories and the associated commands.  Each command includes the "
      "script that you may speak to control Flight Simulator.  If you make changes to your grammar phrases using "
      "the Talvane interface, generate a new script to show the changes in this document.  You may print this "
      "document in WordPad.",
      "Number of Command Categories - 4", "I.  Lights", "1.  Landing Lights", "Landing lights off",
      "Landing lights on", "2.  Taxi Lights", "Taxi lights on", "II.  Gear", "1.  Gear Up", "Gear up",
      // The same phrase from two stored phrases is listed twice.
      "Gear up", "The gear up", "III.  Altitude", "1.  Set Altitude", "Set altitude <ALT>", "IV.  Radios",
      "1.  Tune", "Tune"};
  EXPECT_EQ(Lines(), expected);

  const ScriptParagraph* heading = Find("III.  Altitude");
  ASSERT_TRUE(heading);
  EXPECT_TRUE(heading->runs[0].bold);
  EXPECT_EQ(heading->runs[0].halfPoints, 28);
  EXPECT_FALSE(heading->bullet);
  const ScriptParagraph* command = Find("1.  Set Altitude");
  ASSERT_TRUE(command);
  EXPECT_EQ(command->runs[0].halfPoints, 24);
  EXPECT_EQ(command->runs[0].text.front(), '\t');
  const ScriptParagraph* phrase = Find("Set altitude <ALT>");
  ASSERT_TRUE(phrase);
  EXPECT_TRUE(phrase->bullet);
  EXPECT_FALSE(phrase->runs[0].bold);
  EXPECT_EQ(phrase->leftIndent, 1440);
  EXPECT_EQ(Find("Talvane")->runs[0].halfPoints, 44);

  // The bar: save and return; compile in sight but off.
  EXPECT_EQ(Bar(1).button_type, "save");
  EXPECT_EQ(Bar(1).form_name, Form::frm_Script);
  EXPECT_EQ(Bar(1).state, kStateEnabled);
  EXPECT_EQ(Bar(1).ToolTip, "Click to save the generated script to a file.");
  EXPECT_EQ(Bar(2).picture, "btn_ParentReturn");
  EXPECT_EQ(Bar(2).ToolTip, "Click to return to the Configuration screen of Talvane");
  EXPECT_EQ(Bar(3).state, kStateDisabled);
  EXPECT_TRUE(Bar(3).visible);
}

TEST_F(ScriptScreenTest, SaveWritesTheDocumentUnchanged) {
  Press("script");
  shell.dispatch.Release(Bar(1));
  const auto written = ReadWholeFile(program / "TalvaneScript.rtf");
  ASSERT_TRUE(written);
  EXPECT_EQ(*written, script.document);
  EXPECT_EQ(ui.messages.back().title, "Grammar Script Saved");
  EXPECT_EQ(ui.messages.back().text,
            "The complete grammar script has been saved to a rich text file.  The file is found in the Talvane main "
            "directory.\r\rPlease press OK to continue...");
}

TEST_F(ScriptScreenTest, APhraseThatFailsTheCheckKeepsThePreviousDocument) {
  Press("script");
  const std::string before = script.document;
  const auto shown = script.shown.size();
  shell.dispatch.Release(Bar(2));
  p.catalogue.CommandList[4].grammars[0] = "tune [com|nav";
  int redraws = 0;
  script.on_document_changed = [&] { ++redraws; };
  Press("script");
  EXPECT_EQ(ui.messages.back().title, "Grammar Error");
  EXPECT_EQ(script.document, before);
  EXPECT_EQ(script.shown.size(), shown);
  EXPECT_EQ(redraws, 0);
  EXPECT_EQ(shell.nav.CurrentScreenName, "frm_Script");
  EXPECT_FALSE(ui.progress_visible);
}

TEST_F(ScriptScreenTest, ReturnRebuildsTheListsAndPutsThePositionsBack) {
  screen.SelectCategory(1);  // Gear
  screen.SelectGrammar(1);
  p.catalogue.CommandList[0].readbacks.emplace_back("lights");
  screen.SelectCategory(0);  // Lights
  screen.SelectCommand(1);   // Taxi Lights
  shell.configuration.ConfigChanged = true;
  Press("script");
  // The configuration's lists are not what the script screen changes, but a
  // new category appears on return all the same.
  p.catalogue.CommandList.push_back(Command("Autopilot", "AP Off", {"autopilot off"}));
  shell.dispatch.Release(Bar(2));
  EXPECT_EQ(shell.nav.CurrentScreenName, "frm_Configure");
  EXPECT_EQ(screen.comboCategory.items.size(), 5u);
  EXPECT_EQ(screen.comboCategory.selected, 0);
  EXPECT_EQ(screen.comboCommand.selected, 1);
  EXPECT_EQ(shell.configuration.CurrentCommand, 2);
  EXPECT_EQ(Bar(1).state, kStateEnabled);  // changes pending
  EXPECT_EQ(Bar(1).form_name, Form::frm_Configure);
  EXPECT_EQ(Bar(2).picture, "btn_ParentHome");
  EXPECT_EQ(Bar(3).state, kStateEnabled);

  // Positions that have gone are skipped.
  screen.SelectCategory(1);
  screen.SelectGrammar(1);
  Press("script");
  p.catalogue.CommandList[1].grammars.pop_back();
  shell.configuration.ConfigChanged = false;
  shell.dispatch.Release(Bar(2));
  EXPECT_EQ(screen.comboCategory.selected, 1);
  EXPECT_EQ(screen.listGrammar.selected, 0);
  EXPECT_EQ(Bar(1).state, kStateDisabled);
  EXPECT_EQ(Bar(3).state, kStateDisabled);
}

}  // namespace
}  // namespace talvane::test
