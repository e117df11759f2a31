// Starting the simulator and the in-flight voice module, and the tray starter
// that watches them. The launch hides every window of the program, starts
// whichever of the two programs is not running, and shrinks the program to
// an icon in the notification area; from there the user restores the main
// window or closes everything, and the program ends by itself when either
// program goes away.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "app/screen_navigation.h"
#include "platform/window_probe.h"

namespace talvane {

// The three timers: the starter's launch step, its watchdog, and the main
// window's check for the voice module's end.
enum class ProgramTimer { StarterLaunch, StarterWatchdog, ParentCheck };
int TimerInterval(ProgramTimer t);  // milliseconds

// The windows the launcher shows and hides, the tray icon and the timers.
class LauncherHost {
 public:
  virtual ~LauncherHost() = default;
  virtual bool IsWindowVisible(Form f) const = 0;
  virtual void HideWindow(Form f) = 0;
  virtual void ShowMainWindow() = 0;
  virtual void MinimiseMainWindow() = 0;
  // The starter window (modeless, painted at once; its load marks it loaded).
  virtual void ShowStarter() = 0;
  virtual bool IsStarterMinimised() const = 0;
  virtual void MinimiseStarter() = 0;
  virtual void HideStarter() = 0;
  virtual void SetStarterNormal() = 0;
  // False when the desktop has no notification area: the starter then stays
  // on the screen as a small window with Restore and Exit.
  virtual bool AddTrayIcon() = 0;
  virtual void RemoveTrayIcon() = 0;
  virtual void ShowTrayMenu() = 0;  // at the pointer
  virtual void SetTimer(ProgramTimer t, bool enabled) = 0;
};

// Starts an executable of `folder` without waiting; false when it could not
// be started.
using StartProgramCall = std::function<bool(const std::filesystem::path& folder, const std::string& exe)>;

inline constexpr const char* kSimulatorExe = "fsx.exe";
inline constexpr const char* kVoiceModuleExe = "quarrowr.exe";
// The tray's mouse message that opens the menu (right button released).
inline constexpr int kTrayRightButtonUp = 517;

class Launcher {
 public:
  Launcher(Program& p, ScreenNavigation& nav, platform::WindowProbe& windows, StartProgramCall start,
           LauncherHost& host)
      : p_(p), nav_(nav), windows_(windows), start_(std::move(start)), host_(host) {}

  // False when the start failed: the user was told and the program ended.
  bool StartSimulator();
  bool StartVoiceModule();
  void StartMissingPrograms();
  void HideAllWindows();
  void LaunchSimulator();
  void RestartVoiceModule();

  // The home screen's launch button.
  void LaunchFromHome();
  // The main window's minimise and close buttons.
  void Minimise();
  void Close();

  void OnTimer(ProgramTimer t);
  void OnTrayMessage(int mouseMessage);
  void MenuRestore();
  void MenuClose();

 private:
  void SetLaunchButton(const char* state);

  Program& p_;
  ScreenNavigation& nav_;
  platform::WindowProbe& windows_;
  StartProgramCall start_;
  LauncherHost& host_;
};

}  // namespace talvane
