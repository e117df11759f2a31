#include "app/test_screen.h"

#include <algorithm>
#include <cctype>

#include "common/text.h"
#include "grammar/phrase_expansion.h"

namespace talvane {

namespace {


}  // namespace

std::string NumberedPhrases(const std::vector<std::string>& phrases) {
  std::string out;
  int n = 0;
  for (const std::string& phrase : phrases) {
    std::string line = Trim(phrase);
    if (!line.empty()) line[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(line[0])));
    if (n > 0) out += "\r\n";
    out += std::to_string(++n) + ".  " + line;
  }
  return out;
}

TestScreen::TestScreen(Program& p, ScreenNavigation& nav, SpeechConfiguration& configuration)
    : engine_call([&p](SREC_COMMAND_OBJECT* c, const std::filesystem::path& from) {
        return p.libraries.fnOndrixDLL_Call(c, from);
      }),
      compile_call([&p](int c, int v2, int v3) { return p.libraries.fnBinCompile_Call(c, v2, v3); }),
      p_(p),
      nav_(nav),
      configuration_(configuration),
      // The engine is reached through engine_call as it is when called, so
      // a test may replace it after construction.
      engine_(p.ctx, [this](SREC_COMMAND_OBJECT* c, const std::filesystem::path& from) {
        return engine_call ? engine_call(c, from) : OutsideLibraries::kNotCalled;
      }) {}

void TestScreen::Open() {
  if (before_open) before_open();
  const int command = configuration_.CurrentCommand, phrase = configuration_.CurrentGrammar;
  if (command < 0 || phrase < 0 || static_cast<std::size_t>(command) >= p_.catalogue.CommandList.size() ||
      static_cast<std::size_t>(phrase) >= p_.catalogue.CommandList[static_cast<std::size_t>(command)].grammars.size())
    return;
  UserInterface& ui = p_.ctx.ui;
  ui.ShowProgress("Creating Test Grammar",
                  Paragraphs({"Creating the test grammar and loading the speech recognition engine.",
                              "Please stand by..."}));
  ui.UpdateProgress("Writing Grammar Files", 0);
  if (engine_.PrepareTestGrammar(p_.grammarInputs(), command, phrase, compile_call) != 0) {
    ui.HideProgress();
    p_.ctx.Tell("Error Writing Test Grammar",
                Paragraphs({"There was an error writing out the test command.  Please check the selected rule for "
                            "errors.",
                            "Please press OK to continue..."}),
                kIconError);
    return;
  }
  ui.UpdateProgress("Loading Speech Recognizer", 50);
  std::string engineText;
  if (p_.libraries.SpeechLibrariesReady && engine_.Call(kTestOpen, engineText) == kTestEngineError) {
    ui.HideProgress();
    p_.ctx.Tell("Error in Recognition Engine", "Failed to Initialize", kIconError);
    return;
  }
  ui.HideProgress();

  ExpansionList list;
  ExpandCommandPhrase(p_.ctx, p_.catalogue, command, phrase, list);
  PhraseList = NumberedPhrases(list.entries);
  ResultText.clear();
  StatusIcon = kTestIconReady;
  nav_.HideScreen(nav_.CurrentScreenName);
  nav_.ShowScreen(Form::frm_Test);
  nav_.SetReturnOnlyBar(Form::frm_Test, "Click to return to the Configuration screen of Talvane");
  nav_.SetBarButton(1, "start", Form::frm_Test, "btn_ParentStart", true,
                    "Click to begin speaking to the recognition engine", true, kActionColumn2);
  SkinnedButton& third = nav_.ActionButton(3);
  third.left = kActionColumn2;
  third.state = kStateDisabled;
  third.visible = false;
  third.Changed();
  Changed();
}

void TestScreen::Start() {
  // The windows paint while the engine listens, and a second press must
  // not start a second recognition inside the first.
  if (listening_ || !p_.libraries.SpeechLibrariesReady) return;
  listening_ = true;
  SkinnedButton& start = nav_.ActionButton(1);
  start.SetState(kStateDisabled);
  ResultText.clear();
  StatusIcon = kTestIconListening;
  Changed();

  std::string engineText;
  const std::int16_t result = engine_.Call(kTestStart, engineText);
  listening_ = false;
  start.SetState(kStateEnabled);
  if (result == 0) {
    engineText.erase(std::remove(engineText.begin(), engineText.end(), '\0'), engineText.end());
    ResultText = Trim(engineText);
    StatusIcon = kTestIconResult;
    Changed();
  } else if (result == kTestEngineError) {
    StatusIcon = kTestIconProblem;
    Changed();
    p_.ctx.Tell("Error in Speech Recognition Engine",
                Paragraphs({"There was an error in the speech recognition engine.  Please contact Brevantix Support.",
                            "Please press OK to continue..."}),
                kIconError);
  } else if (result == kTestNothingValid) {
    StatusIcon = kTestIconProblem;
    ResultText = kNoValidResult;
    Changed();
  }
}

void TestScreen::Return() {
  if (p_.libraries.SpeechLibrariesReady) {
    std::string ignored;
    engine_.Call(kTestReturn, ignored);
  }
  // The configuration screen shows itself again, as the user left it.
  if (after_return) after_return();
}

}  // namespace talvane
