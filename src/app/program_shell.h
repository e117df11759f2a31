// The program's user-interface logic, put together: the skinned buttons, the
// screen navigation, the button dispatch tables, the dialogs' answers, the
// launcher and the help centre, wired to each other. Each piece lives in its
// own file; this one only connects them and fills the tables with the
// actions of the main window, the home screen, the dialogs and the help
// centre. Screens add their own rows when they are built.
#pragma once

#include <array>
#include <functional>

#include "app/assignment_screen.h"
#include "app/button_actions.h"
#include "app/checklist_editor.h"
#include "app/configuration_screen.h"
#include "app/dialog_actions.h"
#include "app/help_centre.h"
#include "app/launcher.h"
#include "app/microphone_capture.h"
#include "app/screen_navigation.h"
#include "app/script_screen.h"
#include "app/speech_configuration.h"
#include "app/test_screen.h"
#include "app/voice_training_screen.h"

namespace talvane {

struct ShellHosts {
  ScreenHost& screens;
  DialogHost& dialogs;
  LauncherHost& launcher;
  platform::WindowProbe& windows;
  StartProgramCall start;
};

class ProgramShell {
 public:
  ProgramShell(Program& p, ShellHosts hosts);
  ProgramShell(const ProgramShell&) = delete;
  ProgramShell& operator=(const ProgramShell&) = delete;

  Program& p;
  platform::WindowProbe& windows;
  ButtonBoard buttons;
  ScreenNavigation nav;
  ButtonDispatch dispatch;
  DialogActions dialogs;
  Launcher launcher;
  HelpCentre help;
  SpeechConfiguration configuration;
  // The grammar test screen and the microphone switch capture.
  TestScreen test_screen;
  MicrophoneCapture microphone;

  // Run when a screen is opened from the home screen, after it is shown:
  // the screen resets or refills itself.
  std::array<std::function<void()>, kFormCount> on_screen_opened;

  // The checklist screens; they set their on_screen_opened entries.
  ChecklistEditor checklist_editor{*this};
  AssignmentScreen assignment_screen{*this};
  // A save's confirmation: `restartText` and the restart offer `restartId`
  // when the simulator and the voice module both run, else `savedText`.
  void ShowSaved(const std::string& title, const std::string& savedText, const std::string& restartText,
                 const char* restartId);
  // The speech configuration screen and the grammar script screen.
  ConfigurationScreen configurationScreen;
  ScriptScreen scriptScreen;
  // Recording the training prompts and adapting the model to them.
  VoiceTrainingScreen voiceTraining{*this};

  // The home screen's view of a screen change: `screen` replaces the current
  // one; the caller then sets the action bar.
  void OpenScreen(Form screen);

 private:
  void AddMainWindowActions();
  void AddHomeActions();
  void AddDialogActions();
  void AddTestAndMicrophoneActions();
  void AskRestart(Form screen);
};

}  // namespace talvane
