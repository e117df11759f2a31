// The grammar test screen: one phrase of one command, tried by speaking it.
// Opening writes and compiles a test grammar for just that phrase, starts
// the engine on it and lists every phrase it accepts; each start runs one
// recognition and shows the command text heard, or that nothing valid was;
// return ends the engine and goes back to the speech configuration.
//
// The recognition runs on the speech thread while the windows keep painting
// (the listening icon shows meanwhile); the start button does nothing while
// a recognition is running.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/screen_navigation.h"
#include "app/speech_configuration.h"
#include "app/test_screen_engine.h"

namespace talvane {

// The status icons.
inline constexpr const char* kTestIconReady = "\\Media\\Icons\\icon_ready.bmp";
inline constexpr const char* kTestIconListening = "\\Media\\Icons\\icon_Begin.bmp";
inline constexpr const char* kTestIconResult = "\\Media\\Icons\\icon_Result.bmp";
inline constexpr const char* kTestIconProblem = "\\Media\\Icons\\icon_Problem.bmp";

inline constexpr const char* kNoValidResult = "NO VALID RECOGNITION RESULT";

// "1.  Gear down\r\n2.  Landing gear down": each phrase trimmed, its first
// letter upper case.
std::string NumberedPhrases(const std::vector<std::string>& phrases);

class TestScreen {
 public:
  TestScreen(Program& p, ScreenNavigation& nav, SpeechConfiguration& configuration);
  TestScreen(const TestScreen&) = delete;
  TestScreen& operator=(const TestScreen&) = delete;

  // The engine and the grammar compiler; the program's libraries, on the
  // speech thread, unless a test puts others in.
  OndrixCall engine_call;
  BinCompileCall compile_call;

  // The configuration screen's "test_grammar": the test of its selected
  // command and phrase. Stays on the configuration screen when no phrase is
  // selected or the grammar or the engine fails.
  void Open();
  // The start button: one recognition.
  void Start();
  // The return button.
  void Return();

  // What the screen shows.
  std::string PhraseList;        // txt_Phrases, lines joined by "\r\n"
  std::string ResultText;        // lbl_Result
  std::string StatusIcon = kTestIconReady;
  bool Listening() const { return listening_; }

  // The form shows the new state; it is painted at once (the engine is
  // about to listen).
  std::function<void()> on_changed;
  // The configuration screen keeps its list positions before the test
  // (its SaveConfigureSelection) and rebuilds its lists and puts them back
  // on return (BuildCategoryList, RestoreConfigureSelection).
  std::function<void()> before_open;
  std::function<void()> after_return;

 private:
  void Changed() const {
    if (on_changed) on_changed();
  }

  Program& p_;
  ScreenNavigation& nav_;
  SpeechConfiguration& configuration_;
  TestScreenEngine engine_;
  bool listening_ = false;
};

}  // namespace talvane
