// The program's windows as start-up, the screen navigation and the launcher
// drive them: the splash, the main window and its screens, the tray starter
// with its icon, and the three timers.
#pragma once

#include <QSystemTrayIcon>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>

#include "app/start_up.h"
#include "ui/program_forms.h"
#include "ui/qt_user_interface.h"

namespace talvane::ui {

class QtWindows : public ProgramWindows, public ScreenHost, public LauncherHost {
 public:
  explicit QtWindows(QtUserInterface& ui);
  ~QtWindows() override;
  // The shell is made with this object as its hosts; then it is attached.
  void Attach(ProgramShell& shell);
  // Closes and deletes every window while the shell they show still lives.
  void DestroyWindows();

  MainWindow* mainWindow();
  QWidget* Screen(Form f) const;  // null until loaded
  StarterWindow* starter() { return starter_.get(); }
  QSystemTrayIcon* tray() { return tray_.get(); }
  SplashWindow* splash() { return splash_.get(); }
  QTimer& timer(ProgramTimer t) { return timers_[static_cast<int>(t)]; }

  // Builds a screen's window; the default gives the home screen, the help
  // centre, and a plain background for the others.
  std::function<QWidget*(Form)> make_screen;

  // ProgramWindows
  void ShowSplash() override;
  void HideSplash() override;
  void ShowMainWindow() override;
  void StartTrayStarter() override;
  void LoadAssignScreen() override;
  void RemoveTrayIcon() override;
  void ReleaseFormButtons(Form f) override;
  void ReleaseForm(Form f) override;

  // ScreenHost
  void LoadScreen(Form f) override;
  bool IsScreenVisible(Form f) const override;
  void PlaceScreen(Form f, int left, int top) override;
  void ReleaseScreen(Form f) override;
  void SetTip(const std::string& text) override;

  // LauncherHost
  bool IsWindowVisible(Form f) const override;
  void HideWindow(Form f) override;
  void MinimiseMainWindow() override;
  void ShowStarter() override;
  bool IsStarterMinimised() const override;
  void MinimiseStarter() override;
  void HideStarter() override;
  void SetStarterNormal() override;
  bool AddTrayIcon() override;
  void ShowTrayMenu() override;
  void SetTimer(ProgramTimer t, bool enabled) override;

 private:
  QWidget* Window(Form f) const;
  QWidget* DefaultScreen(Form f);
  StarterWindow* Starter();

  QtUserInterface& ui_;
  ProgramShell* shell_ = nullptr;
  std::unique_ptr<MainWindow> main_;
  std::unique_ptr<SplashWindow> splash_;
  std::unique_ptr<StarterWindow> starter_;
  std::unique_ptr<QSystemTrayIcon> tray_;
  std::map<Form, std::unique_ptr<QWidget>> screens_;
  std::map<Form, QWidget*> previous_parent_;
  QTimer timers_[3];
};

}  // namespace talvane::ui
