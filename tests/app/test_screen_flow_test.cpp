// The grammar test screen through the dispatcher: opening from the speech
// configuration, the start button's results and icons, and the return.
// The engine and the compiler are recorded fakes.
#include <algorithm>

#include "common/text.h"
#include "shell_fixture.h"

namespace talvane::test {
namespace {

class TestScreenFlow : public ShellTest {
 protected:
  TestScreenFlow() {
    WriteFile(program / "Grammars" / "vocon3200lngenu_full.dat", "model");
    p.libraries.SpeechLibrariesReady = true;
    screen.compile_call = [this](int, int, int) { return compile_result; };
    screen.engine_call = [this](SREC_COMMAND_OBJECT* c, const fs::path& from) {
      codes.push_back(c->CmdCode);
      if (c->CmdCode == SR_INIT) init_folder = from;
      if (c->CmdCode == SR_RECOGNIZE) {
        if (during_recognition) during_recognition();
        std::copy(heard.begin(), heard.end(), c->CmdAggregate);
        c->CmdAggregate[heard.size()] = u'\0';
        return recognize_result;
      }
      return c->CmdCode == SR_INIT ? init_result : 0;
    };
    screen.on_changed = [this] { icons.push_back(screen.StatusIcon); };
    // Gear down, with a phrase that stands for three.
    command = -1;
    for (std::size_t i = 0; i < p.catalogue.CommandList.size() && command < 0; ++i)
      if (p.catalogue.CommandList[i].ruleName.trimmed() == "GEAR_DOWN") command = static_cast<int>(i);
    EXPECT_GE(command, 0);
    p.catalogue.CommandList[static_cast<std::size_t>(command)].grammars[0] = " [gear|wheels|landing gear] down";
    // Opening the configuration screen selects its first command: the
    // command under test is chosen afterwards, as the user would.
    ClickHome("speech_config");
    shell.configuration.CurrentCommand = command;
    shell.configuration.CurrentGrammar = 0;
  }

  // The configuration screen's test button.
  void ClickTest() {
    SkinnedButton& b = shell.buttons.Add(ButtonKind::SmallButton, Form::frm_Configure, "btn_Test");
    b.button_type = "test_grammar";
    shell.dispatch.Release(b);
  }

  TestScreen& screen = shell.test_screen;
  int command = -1;
  int compile_result = 0, init_result = 0, recognize_result = 0;
  std::u16string heard;
  std::vector<std::int32_t> codes;
  fs::path init_folder;
  std::vector<std::string> icons;
  std::function<void()> during_recognition;
};

TEST(TestScreenPhrases, NumberedTrimmedAndCapitalised) {
  EXPECT_EQ(NumberedPhrases({" gear down ", "landing gear down", "wheels down"}),
            "1.  Gear down\r\n2.  Landing gear down\r\n3.  Wheels down");
  EXPECT_EQ(NumberedPhrases({"<HDG> left"}), "1.  <HDG> left");
  EXPECT_EQ(NumberedPhrases({}), "");
}

TEST_F(TestScreenFlow, OpeningStartsTheEngineOnTheTestGrammarAndShowsItsPhrases) {
  int saved = 0;
  screen.before_open = [&] { ++saved; };
  ClickTest();
  EXPECT_EQ(saved, 1);
  EXPECT_EQ(ui.progress_title, "Creating Test Grammar");
  ASSERT_EQ(ui.progress.size(), 3u);
  EXPECT_EQ(ui.progress[0].text,
            Paragraphs({"Creating the test grammar and loading the speech recognition engine.", "Please stand by..."}));
  EXPECT_EQ(ui.progress[1].text, "Writing Grammar Files");
  EXPECT_EQ(ui.progress[2].text, "Loading Speech Recognizer");
  EXPECT_FALSE(ui.progress_visible);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(codes, std::vector<std::int32_t>{SR_INIT});
  EXPECT_EQ(init_folder, program / "Grammars" / "Test");
  EXPECT_TRUE(fs::exists(program / "Grammars" / "Test" / "vocon3200lngenu_full.dat"));

  EXPECT_EQ(screen.PhraseList, "1.  Gear down\r\n2.  Landing gear down\r\n3.  Wheels down");
  EXPECT_EQ(screen.StatusIcon, kTestIconReady);
  EXPECT_EQ(shell.nav.CurrentScreenName, "frm_Test");
  EXPECT_EQ(hosts.visible.count(Form::frm_Configure), 0u);
  EXPECT_EQ(Bar(1).button_type, "start");
  EXPECT_EQ(Bar(1).picture, "btn_ParentStart");
  EXPECT_EQ(Bar(1).form_name, Form::frm_Test);
  EXPECT_EQ(Bar(1).left, 686);
  EXPECT_TRUE(Bar(1).visible);
  EXPECT_FALSE(Bar(1).disabled());
  EXPECT_EQ(Bar(1).ToolTip, "Click to begin speaking to the recognition engine");
  EXPECT_EQ(Bar(2).button_type, "cancel");
  EXPECT_EQ(Bar(2).picture, "btn_ParentReturn");
  EXPECT_EQ(Bar(2).ToolTip, "Click to return to the Configuration screen of Talvane");
  EXPECT_FALSE(Bar(3).visible);
  EXPECT_TRUE(Bar(3).disabled());
}

TEST_F(TestScreenFlow, FailuresBeforeOpeningLeaveTheConfigurationScreen) {
  shell.configuration.CurrentGrammar = -1;  // no phrase selected: nothing happens
  ClickTest();
  EXPECT_TRUE(codes.empty());
  EXPECT_TRUE(ui.messages.empty());

  shell.configuration.CurrentGrammar = 0;
  compile_result = 5;
  ClickTest();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "Error Writing Test Grammar");
  EXPECT_EQ(ui.messages[0].text,
            Paragraphs({"There was an error writing out the test command.  Please check the selected rule for errors.",
                        "Please press OK to continue..."}));
  EXPECT_TRUE(codes.empty());  // the engine is not started on a grammar that failed

  compile_result = 0;
  init_result = SR_WRONG_STATE + 1;  // any failure of INIT
  ClickTest();
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[1].title, "Error in Recognition Engine");
  EXPECT_EQ(ui.messages[1].text, "Failed to Initialize");
  EXPECT_FALSE(ui.progress_visible);
  EXPECT_EQ(shell.nav.CurrentScreenName, "frm_Configure");
  EXPECT_EQ(hosts.visible.count(Form::frm_Test), 0u);
}

TEST_F(TestScreenFlow, StartShowsTheCommandTextOrWhyNot) {
  ClickTest();
  icons.clear();
  heard = u"  |17: gear down  ";
  shell.dispatch.Release(Bar(1));
  EXPECT_EQ(screen.ResultText, "|17: gear down");
  // The listening icon was shown before the engine listened.
  EXPECT_EQ(icons, (std::vector<std::string>{kTestIconListening, kTestIconResult}));
  EXPECT_FALSE(Bar(1).disabled());

  heard = u"|0000";  // nothing of this grammar
  shell.dispatch.Release(Bar(1));
  EXPECT_EQ(screen.ResultText, kNoValidResult);
  EXPECT_EQ(screen.StatusIcon, kTestIconProblem);

  heard = u"";
  recognize_result = SR_WRONG_STATE;  // the engine failed
  shell.dispatch.Release(Bar(1));
  EXPECT_EQ(screen.StatusIcon, kTestIconProblem);
  EXPECT_EQ(screen.ResultText, "");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "Error in Speech Recognition Engine");
  EXPECT_EQ(ui.messages[0].text,
            Paragraphs({"There was an error in the speech recognition engine.  Please contact Brevantix Support.",
                        "Please press OK to continue..."}));
  // The screen stays for another try.
  EXPECT_EQ(shell.nav.CurrentScreenName, "frm_Test");
  EXPECT_EQ(std::count(codes.begin(), codes.end(), SR_RECOGNIZE), 3);
}

TEST_F(TestScreenFlow, StartCannotRunTwiceAtOnce) {
  ClickTest();
  heard = u"|17: gear down";
  during_recognition = [&] {
    EXPECT_TRUE(screen.Listening());
    EXPECT_TRUE(Bar(1).disabled());
    EXPECT_EQ(screen.StatusIcon, kTestIconListening);
    EXPECT_EQ(screen.ResultText, "");
    // Pressed again while the engine listens: by the button and directly.
    shell.dispatch.Release(Bar(1));
    screen.Start();
  };
  screen.ResultText = "earlier result";
  shell.dispatch.Release(Bar(1));
  EXPECT_EQ(std::count(codes.begin(), codes.end(), SR_RECOGNIZE), 1);
  EXPECT_FALSE(screen.Listening());
  EXPECT_EQ(Bar(1).state, kStateEnabled);

  // Without the speech libraries no recognition is asked for.
  p.libraries.SpeechLibrariesReady = false;
  shell.dispatch.Release(Bar(1));
  EXPECT_EQ(std::count(codes.begin(), codes.end(), SR_RECOGNIZE), 1);
}

TEST_F(TestScreenFlow, ReturnEndsTheEngineAndRestoresTheConfigurationScreen) {
  // The readback chosen before the test is chosen again afterwards.
  shell.configurationScreen.SelectReadback(1);
  shell.configuration.CurrentCommand = command;
  shell.configuration.ConfigChanged = true;
  ClickTest();
  shell.configurationScreen.SelectReadback(0);
  shell.dispatch.Release(Bar(2));
  EXPECT_EQ(codes.back(), SR_TERMINATE);
  EXPECT_EQ(shell.configurationScreen.listReadback.selected, 1);
  EXPECT_EQ(shell.nav.CurrentScreenName, "frm_Configure");
  EXPECT_EQ(hosts.visible.count(Form::frm_Test), 0u);
  EXPECT_EQ(Bar(1).button_type, "save");
  EXPECT_EQ(Bar(1).form_name, Form::frm_Configure);
  EXPECT_FALSE(Bar(1).disabled());  // changes still pending
  EXPECT_EQ(Bar(2).picture, "btn_ParentHome");
  EXPECT_TRUE(Bar(3).visible);

  // The next test starts the engine again.
  ClickTest();
  EXPECT_EQ(std::count(codes.begin(), codes.end(), SR_INIT), 2);
}

}  // namespace
}  // namespace talvane::test
