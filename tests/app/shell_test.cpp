// The program's screens, buttons, dialogs, launcher and help centre, driven
// as the buttons drive them: through the dispatcher, by screen and action word.
#include "app/button_labels.h"
#include "common/ini.h"
#include "common/text.h"
#include "shell_fixture.h"

namespace talvane::test {
namespace {

TEST(SkinnedButtons, FramesAndSizesFollowTheKind) {
  EXPECT_EQ(FrameOffset(ButtonKind::MediumButton, kStateDown), -70);  // rows 70..104 of the strip
  EXPECT_EQ(FrameOffset(ButtonKind::LargeButton, kStateDisabled), -174);
  EXPECT_EQ(FrameOffset(ButtonKind::FormButton, kStateHighlight), -33);
  EXPECT_EQ(FrameOffset(ButtonKind::SmallButton, "bogus"), 0);
  EXPECT_EQ(SizeOf(ButtonKind::LargeButton).width, 308);
  EXPECT_EQ(SizeOf(ButtonKind::SmallButton).height, 35);
  EXPECT_EQ(ButtonLabel("btn_ParentSave"), "SAVE");
  EXPECT_TRUE(ButtonLabel("btn_Unknown").empty());
}

TEST_F(ShellTest, HoverResetsSiblingsButNotDisabledOrSameWord) {
  SkinnedButton* learn = shell.nav.HomeButton("learning_center");
  SkinnedButton* config = shell.nav.HomeButton("speech_config");
  SkinnedButton* launch = shell.nav.HomeButton("launch_fsx");
  SkinnedButton& twin = shell.buttons.Add(ButtonKind::LargeButton, Form::frm_Home, "btn_Twin");
  twin.button_type = "learning_center";
  twin.state = kStateHighlight;
  config->state = kStateHighlight;
  launch->state = kStateDisabled;

  MouseMove(*learn, shell.buttons);
  EXPECT_EQ(learn->state, kStateHighlight);
  EXPECT_EQ(config->state, kStateEnabled);
  EXPECT_EQ(launch->state, kStateDisabled);
  EXPECT_EQ(twin.state, kStateHighlight);  // same action word: left alone

  MousePress(*learn);
  EXPECT_EQ(learn->state, kStateDown);
  MouseLeave(*learn);
  EXPECT_EQ(learn->state, kStateEnabled);

  // A disabled button neither lights up, nor goes down, nor leaves "disabled".
  MouseMove(*launch, shell.buttons);
  MousePress(*launch);
  MouseLeave(*launch);
  EXPECT_EQ(launch->state, kStateDisabled);

  // Form buttons do not reset their siblings.
  SkinnedButton& close = shell.nav.MainButton("close");
  SkinnedButton& minimise = shell.nav.MainButton("minimize");
  minimise.state = kStateHighlight;
  MouseMove(close, shell.buttons);
  EXPECT_EQ(minimise.state, kStateHighlight);
}

TEST_F(ShellTest, DisabledButtonsAndUnknownPairsDoNothing) {
  SkinnedButton* launch = shell.nav.HomeButton("launch_fsx");
  launch->state = kStateDisabled;
  shell.dispatch.Release(*launch);
  EXPECT_TRUE(started.empty());
  EXPECT_EQ(launch->state, kStateDisabled);

  // The action bar's "ok" means nothing on the main window itself.
  Bar(1).visible = true;
  shell.dispatch.RecognitionResult = "previous answer";
  shell.dispatch.Release(Bar(1));
  EXPECT_EQ(Bar(1).state, kStateEnabled);
  EXPECT_EQ(shell.dispatch.RecognitionResult, std::string(kRecognitionBufferSize, ' '));
  EXPECT_TRUE(hosts.log.empty());
}

TEST_F(ShellTest, ScreensAreShownOneAtATimeWithTheirActionBar) {
  shell.nav.ShowScreen(Form::frm_Home);
  EXPECT_EQ(hosts.placed[Form::frm_Home], std::make_pair(5, 101));

  ClickHome("checklist_modification");
  EXPECT_EQ(shell.nav.CurrentScreenName, "frm_Modify");
  EXPECT_EQ(hosts.visible.count(Form::frm_Home), 0u);
  EXPECT_EQ(Bar(1).button_type, "save");
  EXPECT_EQ(Bar(1).state, kStateDisabled);
  EXPECT_EQ(Bar(1).ToolTip, "Click to save current changes made to the checklist.");
  EXPECT_EQ(Bar(1).left, 686);
  EXPECT_EQ(Bar(2).left, 581);
  EXPECT_TRUE(Bar(2).visible);
  EXPECT_FALSE(Bar(3).visible);
  EXPECT_EQ(hosts.tip.substr(0, 35), "Select checklist to modify from the");
  EXPECT_NE(hosts.tip.find(std::string(2, '\r') + "Highlight a step"), std::string::npos);

  // "cancel" goes home and hides the bar.
  shell.dispatch.Release(Bar(2));
  EXPECT_EQ(shell.nav.CurrentScreenName, "frm_Home");
  EXPECT_EQ(hosts.visible.count(Form::frm_Modify), 0u);
  EXPECT_FALSE(Bar(1).visible || Bar(2).visible || Bar(3).visible);

  // Showing the visible screen again re-places it; other letter cases hide.
  shell.nav.ShowScreen(Form::frm_Home);
  EXPECT_EQ(hosts.visible.count(Form::frm_Home), 1u);
  shell.nav.HideScreen("FRM_Home");
  EXPECT_EQ(hosts.visible.count(Form::frm_Home), 0u);
  const auto logged = hosts.log.size();
  shell.nav.HideScreen("frm_Parent");
  shell.nav.HideScreen("frm_Nothing");
  EXPECT_EQ(hosts.log.size(), logged);
}

TEST_F(ShellTest, UnsavedConfigurationComesBackWithSaveAndCompileEnabled) {
  shell.nav.ShowScreen(Form::frm_Home);
  ClickHome("speech_config");
  EXPECT_EQ(Bar(1).state, kStateDisabled);
  EXPECT_EQ(Bar(3).state, kStateDisabled);
  EXPECT_TRUE(Bar(3).visible);
  EXPECT_EQ(Bar(3).form_name, Form::frm_Configure);
  EXPECT_FALSE(p.categories.CategoryNames.empty());

  shell.configuration.CurrentCommand = 0;
  hosts.input_text = "  request taxi clearance  ";
  shell.dialogs.ShowInput({"Add New Grammar", "\rEnter a new grammar", "Enter Grammar:", true, true, "", "add_grammar"});
  SkinnedButton& ok = shell.buttons.Add(ButtonKind::SmallButton, Form::frm_Input, "btn_OK");
  ok.button_type = "ok";
  shell.dispatch.Release(ok);
  EXPECT_EQ(Trim(p.catalogue.CommandList[0].grammars.back().str()), "request taxi clearance");
  EXPECT_TRUE(shell.configuration.ConfigChanged);
  EXPECT_EQ(Bar(1).state, kStateEnabled);

  shell.dispatch.Release(Bar(2));  // home
  ClickHome("speech_config");
  EXPECT_EQ(Bar(1).state, kStateEnabled);
  EXPECT_EQ(Bar(3).state, kStateEnabled);
}

TEST_F(ShellTest, HelpCentreHasOnlyTheReturnButton) {
  shell.nav.ShowScreen(Form::frm_Home);
  ClickHome("learning_center");
  EXPECT_EQ(shell.nav.CurrentScreenName, "frm_LC");
  EXPECT_EQ(Bar(2).picture, "btn_ParentReturn");
  EXPECT_FALSE(Bar(1).visible);
  EXPECT_FALSE(Bar(3).visible);
  EXPECT_EQ(hosts.tip.substr(0, 2), "\rT");
  shell.dispatch.Release(Bar(2));
  EXPECT_EQ(shell.nav.CurrentScreenName, "frm_Home");
}

// The message dialog's OK, by id.
class MessageAnswers : public ShellTest {
 protected:
  void Answer(const char* id, bool ok = true) {
    SkinnedButton& b = shell.buttons.Add(ButtonKind::SmallButton, Form::frm_Message, "btn");
    b.button_type = ok ? "ok" : "cancel";
    hosts.visible.insert(Form::frm_Message);
    shell.dialogs.CurrentMessageId = id;
    shell.dispatch.Release(b);
  }
};

TEST_F(MessageAnswers, PlainIdsCloseAndFatalExitEnds) {
  Answer("");
  Answer("some_info");
  EXPECT_EQ(hosts.visible.count(Form::frm_Message), 0u);
  EXPECT_FALSE(ui.exit_requested);
  Answer("fatal_exit", false);  // Cancel only closes
  EXPECT_FALSE(ui.exit_requested);
  Answer("fatal_exit");
  EXPECT_TRUE(ui.exit_requested);
}

TEST_F(MessageAnswers, DeletesRemoveTheSelectedEntryButNeverTheLast) {
  CommandRecord& c = p.catalogue.CommandList[0];
  c.grammars = {FixedText<256>("one"), FixedText<256>("two"), FixedText<256>("three")};
  c.readbacks = {FixedText<256>("a"), FixedText<256>("b")};
  shell.configuration.CurrentCommand = 0;
  shell.configuration.CurrentGrammar = 1;
  shell.configuration.CurrentReadback = 0;
  int refills = 0;
  shell.configuration.on_grammars_changed = [&] { ++refills; };
  Answer("delete_grammar");
  ASSERT_EQ(c.grammars.size(), 2u);
  EXPECT_EQ(Trim(c.grammars[1].str()), "three");
  EXPECT_EQ(refills, 1);
  Answer("delete_readback");
  ASSERT_EQ(c.readbacks.size(), 1u);
  EXPECT_EQ(Trim(c.readbacks[0].str()), "b");
  Answer("delete_readback");  // the last one stays
  EXPECT_EQ(c.readbacks.size(), 1u);
  EXPECT_EQ(hosts.visible.count(Form::frm_Message), 0u);
}

TEST_F(MessageAnswers, RestartsHideTheScreenAndRelaunch) {
  for (const auto& [id, screen] : std::vector<std::pair<const char*, Form>>{
           {"cmod_restart", Form::frm_Modify}, {"cassign_restart", Form::frm_Assign}, {"gcompile_restart", Form::frm_Configure}}) {
    hosts.log.clear();
    started.clear();
    shell.nav.ShowScreen(screen);
    hosts.visible.insert(Form::frm_Parent);
    probe.simulator = true;
    probe.voice_module = true;
    const int closes = probe.close_requests;
    Answer(id);
    EXPECT_EQ(hosts.visible.count(screen), 0u) << id;
    EXPECT_EQ(hosts.visible.count(Form::frm_Parent), 0u) << id;
    EXPECT_EQ(probe.close_requests, closes + 1) << id;
    // The voice module was closed, so the launch starts it again.
    ASSERT_EQ(started.size(), 1u) << id;
    EXPECT_EQ(started[0].second, "quarrowr.exe");
    EXPECT_TRUE(hosts.timers.count(ProgramTimer::StarterLaunch)) << id;
  }
}

TEST_F(MessageAnswers, KneeboardOfferRunsTheUpdateAndRecordsTheAnswer) {
  // No aircraft here: the update has nothing to write and records "0".
  p.Load(kNormalStartData);
  Answer("checklist_backup");
  EXPECT_EQ(hosts.log.front(), "hide message");
  EXPECT_EQ(ReadIniInt("Main", "checklistBackups", program / "TV_Information.cfg"), 0);
}

class InputAnswers : public ShellTest {
 protected:
  void Answer(const char* id, const std::string& text, bool ok = true) {
    SkinnedButton& b = shell.buttons.Add(ButtonKind::SmallButton, Form::frm_Input, "btn");
    b.button_type = ok ? "ok" : "cancel";
    hosts.visible.insert(Form::frm_Input);
    hosts.input_text = text;
    shell.dialogs.CurrentInputId = id;
    shell.dispatch.Release(b);
  }
};

TEST_F(InputAnswers, GrammarAndReadbackEdits) {
  CommandRecord& c = p.catalogue.CommandList[0];
  c.grammars = {FixedText<256>("one")};
  c.readbacks = {FixedText<256>("a")};
  shell.configuration.CurrentCommand = 0;
  shell.configuration.CurrentGrammar = 0;
  shell.configuration.CurrentReadback = 0;

  Answer("add_grammar", "   ");  // blank: nothing changes
  EXPECT_EQ(c.grammars.size(), 1u);
  EXPECT_FALSE(shell.configuration.ConfigChanged);
  Answer("add_grammar", "two", false);  // Cancel: nothing changes
  EXPECT_EQ(c.grammars.size(), 1u);

  Answer("add_grammar", " two ");
  Answer("edit_grammar", "uno");
  Answer("add_readback", "b");
  Answer("edit_readback", std::string(300, 'x'));
  ASSERT_EQ(c.grammars.size(), 2u);
  EXPECT_EQ(Trim(c.grammars[0].str()), "uno");
  EXPECT_EQ(Trim(c.grammars[1].str()), "two");
  EXPECT_EQ(c.readbacks[0].str(), std::string(256, 'x'));  // cut to its field
  EXPECT_TRUE(shell.configuration.ConfigChanged);
  EXPECT_EQ(hosts.visible.count(Form::frm_Input), 0u);

  // At most 20 readbacks.
  while (c.readbacks.size() < kMaxReadbacks) c.readbacks.emplace_back("r");
  Answer("add_readback", "one too many");
  EXPECT_EQ(c.readbacks.size(), static_cast<std::size_t>(kMaxReadbacks));
}

TEST_F(InputAnswers, MicrophoneSwitchIsSavedAndRestartOfferedWhenBothRun) {
  hosts.capture = true;
  Answer(kMicSwitchId, "shift+m");
  EXPECT_FALSE(hosts.capture);
  EXPECT_EQ(ReadIniString("Main", "microphone", program / "TV_Information.cfg"), "shift+m");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "Microphone Setting Changed");
  EXPECT_FALSE(ui.messages[0].cancel);

  probe.simulator = probe.voice_module = true;
  Answer(kMicSwitchId, "joystick:0:button:3");
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[1].id, "gcompile_restart");
  EXPECT_TRUE(ui.messages[1].cancel);
  EXPECT_NE(ui.messages[1].text.find("Press OK to restart, Cancel to continue without restarting."), std::string::npos);

  hosts.capture = true;
  Answer(kMicSwitchId, "x", false);  // Cancel: timer off, nothing saved
  EXPECT_FALSE(hosts.capture);
  EXPECT_EQ(ReadIniString("Main", "microphone", program / "TV_Information.cfg"), "joystick:0:button:3");
}

// The launcher decides what to start from the running programs.
TEST_F(ShellTest, LaunchStartsOnlyWhatIsMissing) {
  const auto run = [&](bool simulator, bool voice) {
    started.clear();
    probe.simulator = simulator;
    probe.voice_module = voice;
    shell.launcher.StartMissingPrograms();
    std::string names;
    for (const auto& s : started) names += s.second + " ";
    return names;
  };
  EXPECT_EQ(run(false, false), "fsx.exe quarrowr.exe ");
  EXPECT_EQ(run(true, false), "quarrowr.exe ");
  EXPECT_EQ(run(false, true), "fsx.exe ");
  EXPECT_EQ(run(true, true), "");
  run(false, false);
  EXPECT_EQ(fs::weakly_canonical(started[0].first), fs::weakly_canonical(fsx));
  EXPECT_EQ(started[1].first, program);
}

TEST_F(ShellTest, FailedStartsEndTheProgramWithTheirMessage) {
  start_fails = true;
  shell.launcher.StartMissingPrograms();
  ASSERT_EQ(ui.messages.size(), 1u);  // the voice module is not tried after the simulator failed
  EXPECT_EQ(ui.messages[0].title, "Launch FSX Error");
  EXPECT_EQ(ui.messages[0].id, "fatal_exit");
  EXPECT_EQ(ui.messages[0].text,
            "Talvane encoutered an error while attempting to start FSX.\r\rTalvane will need to shutdown.");
  probe.simulator = true;
  shell.launcher.StartMissingPrograms();
  EXPECT_EQ(ui.messages[1].title, "Launch QuarrowR Error");
}

TEST_F(ShellTest, LaunchGoesToTheTrayAndTheWatchdogEndsTheProgram) {
  shell.nav.ShowScreen(Form::frm_Home);
  hosts.visible.insert(Form::frm_Parent);
  ClickHome("launch_fsx");
  EXPECT_EQ(shell.nav.HomeButton("launch_fsx")->state, kStateDisabled);
  EXPECT_EQ(hosts.visible.count(Form::frm_Parent), 0u);
  EXPECT_TRUE(p.IsLoaded(Form::frm_Starter));
  probe.simulator = probe.voice_module = true;  // both came up

  Advance(2400);
  EXPECT_FALSE(hosts.tray_icon);
  Advance(100);
  EXPECT_TRUE(hosts.tray_icon);
  EXPECT_TRUE(hosts.starter_minimised);
  EXPECT_EQ(hosts.visible.count(Form::frm_Starter), 0u);
  EXPECT_FALSE(hosts.timers.count(ProgramTimer::StarterLaunch));
  EXPECT_TRUE(hosts.timers.count(ProgramTimer::StarterWatchdog));

  Advance(60000);
  EXPECT_FALSE(ui.exit_requested);
  probe.simulator = false;  // the simulator closed: within one watchdog period
  Advance(25000);
  EXPECT_TRUE(ui.exit_requested);
  EXPECT_EQ(probe.close_requests, 1);
}

TEST_F(ShellTest, WatchdogEndsWhenTheVoiceModuleEnds) {
  probe.simulator = probe.voice_module = true;
  shell.launcher.LaunchSimulator();
  Advance(2500);
  probe.voice_module = false;
  Advance(25000);
  EXPECT_TRUE(ui.exit_requested);
  EXPECT_EQ(probe.close_requests, 0);
}

TEST_F(ShellTest, TrayMenuRestoresOrCloses) {
  probe.simulator = probe.voice_module = true;
  shell.launcher.LaunchSimulator();
  Advance(2500);
  shell.launcher.OnTrayMessage(514);  // left button: nothing
  shell.launcher.OnTrayMessage(515);
  EXPECT_EQ(std::count(hosts.log.begin(), hosts.log.end(), "tray menu"), 0);
  shell.launcher.OnTrayMessage(kTrayRightButtonUp);
  EXPECT_EQ(std::count(hosts.log.begin(), hosts.log.end(), "tray menu"), 1);

  shell.launcher.MenuRestore();
  EXPECT_FALSE(hosts.tray_icon);
  EXPECT_FALSE(hosts.timers.count(ProgramTimer::StarterWatchdog));
  EXPECT_TRUE(hosts.timers.count(ProgramTimer::ParentCheck));
  EXPECT_EQ(shell.nav.CurrentScreenName, "frm_Home");
  // The launch button stays off until the check finds the voice module gone.
  Advance(10000);
  EXPECT_EQ(shell.nav.HomeButton("launch_fsx")->state, kStateDisabled);
  probe.voice_module = false;
  Advance(5000);
  EXPECT_EQ(shell.nav.HomeButton("launch_fsx")->state, kStateEnabled);

  probe.voice_module = true;
  shell.launcher.MenuClose();
  EXPECT_EQ(probe.close_requests, 1);
  EXPECT_TRUE(ui.exit_requested);
}

TEST_F(ShellTest, WithoutANotificationAreaTheStarterStays) {
  hosts.tray_available = false;
  probe.simulator = probe.voice_module = true;
  shell.launcher.LaunchSimulator();
  Advance(2500);
  EXPECT_EQ(hosts.visible.count(Form::frm_Starter), 1u);
  EXPECT_FALSE(hosts.starter_minimised);
  EXPECT_TRUE(hosts.timers.count(ProgramTimer::StarterWatchdog));
}

TEST_F(ShellTest, MinimiseGoesToTheTrayOnlyWithTheVoiceModule) {
  shell.nav.ShowScreen(Form::frm_Home);
  hosts.visible.insert(Form::frm_Parent);
  shell.dispatch.Release(shell.nav.MainButton("minimize"));
  EXPECT_EQ(hosts.log.back(), "minimise main");
  EXPECT_FALSE(hosts.tray_icon);

  probe.voice_module = true;
  hosts.timers.insert(ProgramTimer::ParentCheck);
  shell.dispatch.Release(shell.nav.MainButton("minimize"));
  EXPECT_TRUE(hosts.tray_icon);
  EXPECT_FALSE(hosts.timers.count(ProgramTimer::ParentCheck));
  EXPECT_TRUE(hosts.timers.count(ProgramTimer::StarterWatchdog));
  EXPECT_EQ(hosts.visible.count(Form::frm_Parent), 0u);
  EXPECT_EQ(hosts.visible.count(Form::frm_Home), 0u);
  EXPECT_EQ(hosts.visible.count(Form::frm_Starter), 0u);

  shell.dispatch.Release(shell.nav.MainButton("close"));
  EXPECT_EQ(probe.close_requests, 1);
  EXPECT_TRUE(ui.exit_requested);
}

TEST(HelpCentreTopics, TreeOrderAndPages) {
  const auto topics = HelpTopics();
  ASSERT_EQ(topics.size(), 25u);
  EXPECT_STREQ(topics.front().key, "KEY_Welcome");
  EXPECT_STREQ(topics[6].text, "Configuration Screen");
  EXPECT_EQ(topics[6].level, 3);
  EXPECT_STREQ(topics.back().key, "KEY_CompanyInfo");

  TempFolder folder;
  WriteFile(folder / "HELP/welcome.HTM", "<html>w</html>");
  WriteFile(folder / "HELP/SysReq.htm", "<html>s</html>");
  EXPECT_TRUE(HelpPage(folder.path(), "key_sysreq"));  // "KEY_" in any case, file in any case
  EXPECT_FALSE(HelpPage(folder.path(), "KEY_Credits"));
  EXPECT_FALSE(HelpPage(folder.path(), "KEY_../HELP/SysReq"));

  HelpCentre help(folder.path());
  help.Load();
  EXPECT_EQ(help.title, "Welcome");
  EXPECT_EQ(help.page.filename(), "welcome.HTM");
  EXPECT_TRUE(help.Select("KEY_SysReq", "System Requirements"));
  EXPECT_FALSE(help.Select("KEY_Credits", "Credits"));  // missing: the page and title stay
  EXPECT_EQ(help.title, "System Requirements");
  EXPECT_EQ(help.page.filename(), "SysReq.htm");
}

TEST(ScreenTipsText, EachScreenHasItsTwoSentences) {
  const ScreenTips tips = BuildScreenTips();
  for (Form f : {Form::frm_Modify, Form::frm_Assign, Form::frm_Configure, Form::frm_Script, Form::frm_Test}) {
    const std::string& t = tips[static_cast<std::size_t>(f)];
    EXPECT_EQ(std::count(t.begin(), t.end(), '\r'), 2) << FormName(f);
    EXPECT_NE(t.find("\r\r"), std::string::npos) << FormName(f);
  }
  const std::string& lc = tips[static_cast<std::size_t>(Form::frm_LC)];
  EXPECT_EQ(lc.front(), '\r');
  EXPECT_EQ(std::count(lc.begin(), lc.end(), '\r'), 3);
  EXPECT_TRUE(tips[static_cast<std::size_t>(Form::frm_Home)].empty());
}

}  // namespace
}  // namespace talvane::test
