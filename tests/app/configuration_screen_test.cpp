// The speech configuration screen driven as its buttons and dialogs drive it:
// through the dispatcher, by screen and action word.
#include "common/files.h"
#include "common/ini.h"
#include "common/text.h"
#include "configuration_fixture.h"

namespace talvane::test {
namespace {

TEST_F(ConfigurationScreenTest, ListsFollowTheCategoryAndCommandChosen) {
  p.catalogue.CommandList = {Command("Lights", "Landing Lights On", {"landing lights on"}),
                             Command("B", "Bravo One", {"bravo one", "bravo (number) one"}, {"b1", "b one"}),
                             Command(" lights ", "Taxi Lights On", {"taxi lights on"}),
                             Command("A", "Alpha", {"alpha"}), Command("b", "Bravo Two", {"bravo two"})};
  Open();
  // One category per trimmed, upper-cased text, first spelling, first-seen order.
  EXPECT_EQ(Texts(screen.comboCategory), (std::vector<std::string>{"Lights", "B", "A"}));
  EXPECT_EQ(screen.comboCategory.selected, 0);
  EXPECT_EQ(Texts(screen.comboCommand), (std::vector<std::string>{"Landing Lights On", "Taxi Lights On"}));
  EXPECT_EQ(screen.comboCommand.items[1].data, 2);
  EXPECT_EQ(screen.lbl_TotalCommands, "Total Number of Commands: 5");
  EXPECT_EQ(screen.lbl_CategoryCommands, "Number of Commands in Category: 2");
  EXPECT_EQ(screen.lbl_Description, "Does Landing Lights On.");

  screen.SelectCategory(1);
  EXPECT_EQ(Texts(screen.comboCommand), (std::vector<std::string>{"Bravo One", "Bravo Two"}));
  EXPECT_EQ(shell.configuration.CurrentCommand, 1);
  EXPECT_EQ(Texts(screen.listGrammar), (std::vector<std::string>{"bravo one", "bravo (number) one"}));
  EXPECT_EQ(Texts(screen.listReadback), (std::vector<std::string>{"b1", "b one"}));
  EXPECT_EQ(screen.listGrammar.selected, 0);
  screen.SelectGrammar(1);
  screen.SelectReadback(1);
  EXPECT_EQ(shell.configuration.CurrentGrammar, 1);
  EXPECT_EQ(shell.configuration.CurrentReadback, 1);
  screen.SelectCommand(1);
  EXPECT_EQ(shell.configuration.CurrentCommand, 4);
  EXPECT_EQ(shell.configuration.CurrentGrammar, 0);
  EXPECT_EQ(screen.lbl_CategoryCommands, "Number of Commands in Category: 2");

  // Positions that do not exist change nothing.
  screen.SelectCategory(7);
  screen.SelectGrammar(-1);
  EXPECT_EQ(shell.configuration.CurrentCommand, 4);
  EXPECT_EQ(shell.configuration.CurrentGrammar, 0);
}

TEST_F(ConfigurationScreenTest, CopilotVoicesOfferOnlyInstalledVoicesAndSaveAtOnce) {
  const fs::path settings = program / "TV_Information.cfg";
  installed = {2, 4};
  p.settings.copilotVoice = 4;
  WriteIniValue("Main", "copilotVoice", "4", settings);
  Open();
  EXPECT_EQ(Texts(screen.combo_Copilot),
            (std::vector<std::string>{"**NONE**", "Tom (US English)", "Emily (UK English)"}));
  EXPECT_EQ(screen.combo_Copilot.selected, 2);

  screen.SelectVoice(1);
  EXPECT_EQ(p.settings.copilotVoice, 2);
  EXPECT_EQ(ReadIniInt("Main", "copilotVoice", settings), 2);
  screen.SelectVoice(0);
  EXPECT_EQ(ReadIniInt("Main", "copilotVoice", settings), 0);

  // A saved voice that is gone shows as none, and filling saves nothing.
  installed = {1};
  p.settings.copilotVoice = 3;
  WriteIniValue("Main", "copilotVoice", "3", settings);
  screen.FillCopilotVoices();
  EXPECT_EQ(screen.combo_Copilot.selected, 0);
  EXPECT_EQ(p.settings.copilotVoice, 3);
  EXPECT_EQ(ReadIniInt("Main", "copilotVoice", settings), 3);
}

TEST_F(ConfigurationScreenTest, DeletesAskFirstAndRefuseTheLastEntry) {
  p.catalogue.CommandList = {Command("Gear", "Gear Up", {"gear up", "raise the gear"}, {"gear up"})};
  Open();
  screen.SelectGrammar(0);
  Press("delete_grammar");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "Delete Selected Grammar?");
  EXPECT_EQ(ui.messages[0].text, "\rYou are about to delete the selected grammar.\r\rDo you wish to continue?");
  EXPECT_EQ(ui.messages[0].icon, kIconWarning);
  EXPECT_TRUE(ui.messages[0].cancel);
  AnswerMessage(false);  // Cancel keeps it
  EXPECT_EQ(Current().grammars.size(), 2u);
  EXPECT_FALSE(shell.configuration.ConfigChanged);

  Press("delete_grammar");
  AnswerMessage();
  ASSERT_EQ(Current().grammars.size(), 1u);
  EXPECT_EQ(Texts(screen.listGrammar), (std::vector<std::string>{"raise the gear"}));
  EXPECT_EQ(screen.listGrammar.selected, 0);
  EXPECT_TRUE(shell.configuration.ConfigChanged);
  EXPECT_EQ(Bar(1).state, kStateEnabled);
  EXPECT_EQ(Bar(3).state, kStateEnabled);

  Press("delete_grammar");
  EXPECT_EQ(ui.messages.back().title, "Can Not Delete");
  EXPECT_EQ(ui.messages.back().text,
            "\rYou may not delete the last available grammar for a command.\r\rPlease press OK to continue.");
  EXPECT_FALSE(ui.messages.back().cancel);
  AnswerMessage();
  EXPECT_EQ(Current().grammars.size(), 1u);

  Press("delete_readback");
  EXPECT_EQ(ui.messages.back().text,
            "\rYou may not delete the last available readback for a grammar.\r\rPlease press OK to continue.");
  EXPECT_TRUE(ui.messages.back().id.empty());
}

TEST_F(ConfigurationScreenTest, AddAndEditDialogsCarryTheirTextsAndLimits) {
  p.catalogue.CommandList = {Command("Gear", " Gear Up ", {"gear up"}, {"gear coming up"})};
  Open();
  Press("add_grammar");
  ASSERT_EQ(hosts.inputs.size(), 1u);
  EXPECT_EQ(hosts.inputs[0].title, "Add New Grammar");
  EXPECT_EQ(hosts.inputs[0].prompt, "\rEnter a new grammar for the command: Gear Up");
  EXPECT_EQ(hosts.inputs[0].field, "Enter Grammar:");
  EXPECT_EQ(hosts.inputs[0].id, "add_grammar");
  Type("gear (up) please");
  EXPECT_EQ(Texts(screen.listGrammar), (std::vector<std::string>{"gear up", "gear (up) please"}));

  Press("edit_readback");
  EXPECT_EQ(hosts.inputs.back().title, "Edit Existing Readback");
  EXPECT_EQ(hosts.inputs.back().initial, "gear coming up");
  Type("   ");  // blank: nothing changes
  EXPECT_EQ(Current().readbacks[0].trimmed(), "gear coming up");
  Press("edit_readback");
  Type("gear up", false);  // Cancel: nothing changes
  EXPECT_EQ(Current().readbacks[0].trimmed(), "gear coming up");

  // Twenty readbacks: the limit, without an input dialog.
  while (p.catalogue.CommandList[0].readbacks.size() < kMaxReadbacks)
    p.catalogue.CommandList[0].readbacks.emplace_back("more");
  const auto inputs = hosts.inputs.size();
  Press("add_readback");
  EXPECT_EQ(hosts.inputs.size(), inputs);
  EXPECT_EQ(ui.messages.back().title, "Limit Exceeded");
  EXPECT_EQ(ui.messages.back().text,
            "You have reached the maximum allowable number of readbacks for a given command.");
}

TEST_F(ConfigurationScreenTest, APhraseThatFailsTheCheckIsNotStoredAndTheDialogReopens) {
  p.catalogue.CommandList = {Command("Autopilot", "Heading Select", {"heading select"})};
  Open();
  for (const auto& [typed, why] : std::vector<std::pair<std::string, std::string>>{
           {"turn [left|right heading", "The \"[\" at position 6 is never closed."},
           {"turn left)", "The \")\" at position 10 closes no bracket."},
           {"turn (left]", "The \"]\" at position 11 closes the \"(\" at position 6; it needs \")\"."},
           {"turn left!", "The character \"!\" at position 10 may not be used"}}) {
    Press("add_grammar");
    const auto shown = hosts.inputs.size();
    Type("  " + typed);
    EXPECT_EQ(Current().grammars.size(), 1u) << typed;
    EXPECT_FALSE(shell.configuration.ConfigChanged) << typed;
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().title, "Grammar Error");
    EXPECT_EQ(ui.messages.back().text.substr(0, 37), "Error in Autopilot - Heading Select\r\r") << typed;
    EXPECT_NE(ui.messages.back().text.find(why), std::string::npos) << ui.messages.back().text;
    // The dialog comes back with what was typed, to be mended.
    ASSERT_EQ(hosts.inputs.size(), shown + 1) << typed;
    EXPECT_EQ(hosts.inputs.back().id, "add_grammar");
    EXPECT_EQ(hosts.inputs.back().initial, "  " + typed);
    Type(typed, false);  // Cancel drops it
  }
  // Mended, it is stored.
  Press("add_grammar");
  Type("turn [left|right] heading");
  EXPECT_EQ(Current().grammars.size(), 2u);
  EXPECT_EQ(hosts.visible.count(Form::frm_Input), 0u);

  // An edit is checked the same way, and readbacks are free text.
  Press("edit_grammar");
  Type("heading (select");
  EXPECT_EQ(Current().grammars[0].trimmed(), "heading select");
  EXPECT_EQ(hosts.inputs.back().id, "edit_grammar");
  Type("", false);
  Press("add_readback");
  Type("heading [HDG]!");
  EXPECT_EQ(Current().readbacks.back().trimmed(), "heading [HDG]!");
}

TEST_F(ConfigurationScreenTest, TextLongerThanItsFieldIsCutAndTheUserTold) {
  p.catalogue.CommandList = {Command("Radios", "Tune", {"tune"})};
  Open();
  const std::string words = [] {
    std::string s;
    while (s.size() < 300) s += "tune the radio ";
    return s;
  }();
  Press("add_grammar");
  Type(words);
  ASSERT_EQ(Current().grammars.size(), 2u);
  EXPECT_EQ(Current().grammars[1].str(), words.substr(0, 256));
  EXPECT_EQ(ui.messages.back().title, "Text Shortened");
  EXPECT_NE(ui.messages.back().text.find("longer than 256 characters"), std::string::npos);

  const auto told = ui.messages.size();
  Press("add_readback");
  Type(std::string(256, 'r'));  // exactly the field: nothing to tell
  EXPECT_EQ(ui.messages.size(), told);
  Press("add_readback");
  Type(std::string(257, 'r'));
  EXPECT_EQ(Current().readbacks.back().str(), std::string(256, 'r'));
  EXPECT_EQ(ui.messages.size(), told + 1);

  // Cutting that breaks the brackets is a syntax error, not a silent store.
  Press("add_grammar");
  Type(std::string(250, 'a') + " (tune)");
  EXPECT_EQ(Current().grammars.size(), 2u);
  EXPECT_EQ(ui.messages.back().title, "Grammar Error");
  EXPECT_NE(ui.messages.back().text.find("Only the first 256"), std::string::npos);
}

TEST_F(ConfigurationScreenTest, PlayReadbackSpeaksListNamesAsTheirExamples) {
  p.catalogue.CommandList = {Command("Altitude", "Climb", {"climb"}, {"  climbing to [alt] now  ", "roger"})};
  Open();
  p.settings.copilotVoice = 0;  // the call is made with no voice too
  Press("play_readback");
  ASSERT_EQ(spoken.size(), 1u);
  EXPECT_EQ(spoken[0], std::make_pair(0, std::string("climbing to one zero thousand now")));

  p.settings.copilotVoice = 3;
  screen.SelectReadback(1);
  Press("play_readback");
  EXPECT_EQ(spoken.back(), std::make_pair(3, std::string("roger")));
  EXPECT_EQ(SpeakableReadback(p.settings, p.catalogue, 0, 0), "climbing to one zero thousand now");
}

TEST_F(ConfigurationScreenTest, SaveClearsTheChangeButLeavesCompileAsTheEditsSetIt) {
  Open();
  Press("add_readback");
  Type("copy that");
  ASSERT_EQ(Bar(3).state, kStateEnabled);
  const std::string added = Current().commandName.trimmed();
  shell.dispatch.Release(Bar(1));  // save
  EXPECT_EQ(ui.messages.back().title, "Changes Saved");
  EXPECT_EQ(ui.messages.back().text,
            "\rAll changes to the readbacks have been saved.  You still need to compile the grammar files to be able "
            "to use the changes.\r\rPlease press OK to continue...");
  EXPECT_FALSE(shell.configuration.ConfigChanged);
  EXPECT_EQ(Bar(1).state, kStateDisabled);
  EXPECT_EQ(Bar(3).state, kStateEnabled);

  CommandCatalogue reread;
  ASSERT_TRUE(LoadCommandList(p.ctx, reread));
  EXPECT_EQ(reread.CommandList, p.catalogue.CommandList);

  shell.dispatch.Release(Bar(2));  // home
  EXPECT_EQ(Bar(3).state, kStateEnabled);
  ClickHome("speech_config");
  EXPECT_EQ(Bar(1).state, kStateDisabled);
}

class ConfigurationCompileTest : public ConfigurationScreenTest {
 protected:
  ConfigurationCompileTest() {
    fs::create_directories(program / "Grammars");
    screen.compile = [this](int command, int value2, int value3) {
      calls.push_back({command, value2, value3});
      if (!log.empty()) WriteFile(program / "Grammars" / "grmcmplog.txt", log);
      return result;
    };
  }
  std::vector<std::array<int, 3>> calls;
  std::string log;
  int result = 0;
};

TEST_F(ConfigurationCompileTest, AFailedCompileNamesTheFirstErrorsAndTheLog) {
  Open();
  Press("add_readback");
  Type("roger");
  log =
      "Talvane grammar compiler\n\nErrors and warnings:\n"
      "  Lights.bnf, line 3, column 7: error: \"<FLAPS>\" names no rule\n"
      "  Lights.bnf, line 4, column 1: warning: unused rule\n"
      "  Gear.bnf, line 9, column 12: error: unbalanced \"[\"\n"
      "  Gear.bnf, line 10, column 2: error: empty alternative\n"
      "  Radio.bnf, line 1, column 1: error: bad header\n\nSummary: compile FAILED\n";
  result = 3;
  shell.dispatch.Release(Bar(3));
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], (std::array<int, 3>{1, 0, 1}));
  const Message& m = ui.messages.back();
  EXPECT_EQ(m.title, "Grammar Compile Error");
  // The usual text first, then what the compiler said.
  const std::string usual = "\rThere was an error while compiling your grammar files.  Please contact Brevantix support at " +
                            std::string(kSupportWebAddress) + ".\r\rPlease press OK to continue...";
  EXPECT_EQ(m.text.substr(0, usual.size()), usual);
  const std::string more = m.text.substr(usual.size());
  EXPECT_NE(more.find("\rLights.bnf, line 3, column 7: error: \"<FLAPS>\" names no rule\rGear.bnf, line 9, column 12: "
                      "error: unbalanced \"[\"\rGear.bnf, line 10, column 2: error: empty alternative\r... and 1 more."),
            std::string::npos)
      << more;
  EXPECT_EQ(more.find("warning"), std::string::npos);
  EXPECT_NE(more.find((program / "Grammars" / "grmcmplog.txt").string()), std::string::npos);
  // Failures too clear the change and the buttons.
  EXPECT_FALSE(shell.configuration.ConfigChanged);
  EXPECT_EQ(Bar(1).state, kStateDisabled);
  EXPECT_EQ(Bar(3).state, kStateDisabled);

  // A log left by an earlier compile says nothing about this one.
  const fs::path file = program / "Grammars" / "grmcmplog.txt";
  fs::last_write_time(file, fs::file_time_type::clock::now() - std::chrono::hours(1));
  log.clear();
  screen.Compile();
  EXPECT_EQ(ui.messages.back().text, usual);
}

TEST_F(ConfigurationCompileTest, ACompileWithBothProgramsRunningOffersTheRestart) {
  Open();
  probe.simulator = true;
  shell.dispatch.Release(Bar(3));  // nothing changed: the button is off
  EXPECT_TRUE(calls.empty());
  screen.Compile();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(ui.messages.back().title, "Grammars and Readbacks Saved");
  EXPECT_TRUE(ui.messages.back().id.empty());
  probe.voice_module = true;
  screen.Compile();
  EXPECT_EQ(ui.messages.back().id, "gcompile_restart");
  EXPECT_TRUE(ui.messages.back().cancel);
  EXPECT_FALSE(fs::is_empty(program / "Grammars"));  // the sources were written
}

TEST(PhraseProblems, ValidPhrasesPassAndHugeOnesAreRefused) {
  EXPECT_EQ(PhraseProblem("set [altitude|heading] (to) <ALT>"), "");
  EXPECT_EQ(PhraseProblem(" it's 1,2-3.4_5 "), "");
  std::string huge;
  for (int i = 0; i < 16; ++i) huge += "(a" + std::to_string(i) + ") ";
  EXPECT_NE(PhraseProblem(huge).find("more than 32,768"), std::string::npos);
  EXPECT_NE(PhraseProblem("a ]b[").find("closes no bracket"), std::string::npos);
  EXPECT_NE(PhraseProblem("caf\xe9").find("character \"\xe9\" at position 4"), std::string::npos);
}

}  // namespace
}  // namespace talvane::test
