// How the program starts and how it ends. Start-up checks the install
// location, shows the splash window, readies the speech libraries, loads
// every data set in a fixed order, and then shows the main window, hands
// over to the tray starter (the simulator already runs), or, started with
// "/restore", puts every kneeboard page back and ends. The exit is the one
// way the program ends once start-up is under way.
#pragma once

#include <string_view>

#include "app/program.h"
#include "platform/instance_lock.h"
#include "platform/window_probe.h"

namespace talvane {

// The program's own windows, as start-up and the exit drive them. The Qt
// program shows real windows; the tests record.
class ProgramWindows {
 public:
  virtual ~ProgramWindows() = default;
  virtual void ShowSplash() = 0;  // modeless, painted at once
  virtual void HideSplash() = 0;
  // frm_Parent, then the home screen inside it.
  virtual void ShowMainWindow() = 0;
  // The tray starter, without the main window.
  virtual void StartTrayStarter() = 0;
  // frm_Assign loaded but not shown: the kneeboard update works on its tree.
  virtual void LoadAssignScreen() = 0;
  // Exit steps.
  virtual void RemoveTrayIcon() = 0;
  virtual void ReleaseFormButtons(Form f) = 0;
  virtual void ReleaseForm(Form f) = 0;
};

// The command line that restores the kneeboard pages; compared exactly.
inline constexpr std::string_view kRestoreCommandLine = "/restore";

enum class StartOutcome {
  kAlreadyRunning,  // another copy runs: this one ends at once, touching nothing
  kEnded,           // the program ended during start-up (install check, a loader, "/restore")
  kMainWindow,      // the main window is up
  kTrayStarter,     // the simulator runs: the tray starter took over
};

// The start state of the two windows looked for: 1 for the simulator plus
// 10 for the voice module.
int StartState(const platform::WindowProbe& windows);

// Decides the first screen: neither running, the main window; only the voice
// module, it is asked to close and the main window shown; the simulator
// running, the tray starter.
StartOutcome ChooseStartScreen(platform::WindowProbe& windows, ProgramWindows& shown);

// The whole start. When the result is kEnded, ctx.ui.ExitProgram() has been
// called; the caller returns without doing more.
StartOutcome StartProgram(Program& p, std::string_view commandLine, platform::InstanceLock& instance,
                          platform::WindowProbe& windows, ProgramWindows& shown);

// The one-time offer to write kneeboard checklists, asked when the settings
// have never recorded an answer (checklistBackups -1). Its OK (message id
// "checklist_backup") runs the kneeboard update.
Message KneeboardOfferMessage();
inline constexpr const char* kKneeboardOfferId = "checklist_backup";

// The "Installation Path Incorrect" message; its OK ends the program.
Message InstallPathMessage();
inline constexpr const char* kFatalExitId = "fatal_exit";

// The exit's steps, in order, every error ignored: save the copilot voice
// (only when the settings were loaded, so a start that failed early never
// overwrites the user's setting), remove the tray icon when the tray starter
// was loaded, release the skinned buttons and then the windows that were
// loaded, and shut the grammar compiler down when the speech libraries were
// readied. The host ends the process afterwards.
void RunExitSteps(Program& p, ProgramWindows& shown);

}  // namespace talvane
