#include "ui/qt_windows.h"

#include <QApplication>
#include <QCursor>

#include "ui/assignment_form.h"
#include "ui/checklist_editor_form.h"
#include "ui/configuration_form.h"
#include "ui/media.h"
#include "ui/script_form.h"
#include "ui/test_form.h"
#include "ui/voice_training_form.h"

namespace talvane::ui {

QtWindows::QtWindows(QtUserInterface& ui) : ui_(ui) {
  for (ProgramTimer t : {ProgramTimer::StarterLaunch, ProgramTimer::StarterWatchdog, ProgramTimer::ParentCheck})
    timer(t).setInterval(TimerInterval(t));
}

QtWindows::~QtWindows() { DestroyWindows(); }

void QtWindows::DestroyWindows() {
  for (QTimer& t : timers_) t.stop();
  // The screens may sit inside the main window: they go first.
  screens_.clear();
  previous_parent_.clear();
  tray_.reset();
  starter_.reset();
  splash_.reset();
  main_.reset();
}

void QtWindows::Attach(ProgramShell& shell) {
  shell_ = &shell;
  for (ProgramTimer t : {ProgramTimer::StarterLaunch, ProgramTimer::StarterWatchdog, ProgramTimer::ParentCheck})
    QObject::connect(&timer(t), &QTimer::timeout, [this, t] { shell_->launcher.OnTimer(t); });
}

MainWindow* QtWindows::mainWindow() {
  if (!main_) main_ = std::make_unique<MainWindow>(*shell_);
  return main_.get();
}

StarterWindow* QtWindows::Starter() {
  if (!starter_) {
    starter_ = std::make_unique<StarterWindow>(*shell_);
    const QPixmap icon = LoadMedia(shell_->p.ctx.program_folder, "\\Media\\Icons\\Talvane.png", false);
    starter_->setWindowIcon(QIcon(icon));
    tray_ = std::make_unique<QSystemTrayIcon>(QIcon(icon));
    tray_->setToolTip("Talvane");
    // Only the right button's release opens the menu; other clicks do nothing.
    QObject::connect(tray_.get(), &QSystemTrayIcon::activated, [this](QSystemTrayIcon::ActivationReason why) {
      if (why == QSystemTrayIcon::Context) shell_->launcher.OnTrayMessage(kTrayRightButtonUp);
    });
  }
  return starter_.get();
}

QWidget* QtWindows::Screen(Form f) const {
  const auto it = screens_.find(f);
  return it == screens_.end() ? nullptr : it->second.get();
}

QWidget* QtWindows::DefaultScreen(Form f) {
  switch (f) {
    case Form::frm_Home:
      return new HomeScreen(*shell_);
    case Form::frm_LC:
      return new HelpScreen(*shell_);
    case Form::frm_Modify:
      return new ChecklistEditorForm(*shell_);
    case Form::frm_Assign:
      return new AssignmentForm(*shell_);
    case Form::frm_Configure:
      return new ConfigurationForm(*shell_);
    case Form::frm_Script:
      return new ScriptForm(*shell_);
    case Form::frm_Test:
      return new TestForm(*shell_);
    case Form::frm_VoiceTraining:
      return new VoiceTrainingForm(*shell_);
    default:
      return new PlainScreen(*shell_, f, "\\Media\\Forms\\Sub_BG.bmp");
  }
}

QWidget* QtWindows::Window(Form f) const {
  switch (f) {
    case Form::frm_Parent:
      return main_.get();
    case Form::frm_Splash:
      return splash_.get();
    case Form::frm_Starter:
      return starter_.get();
    case Form::frm_Message:
    case Form::frm_Input:
    case Form::frm_Progress:
      return ui_.ExistingForm(f);
    default:
      return Screen(f);
  }
}

void QtWindows::ShowSplash() {
  splash_ = std::make_unique<SplashWindow>(*shell_);
  splash_->show();
  splash_->raise();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtWindows::HideSplash() {
  if (splash_) splash_->hide();
}

void QtWindows::ShowMainWindow() {
  MainWindow* w = mainWindow();
  w->setWindowIcon(QIcon(LoadMedia(shell_->p.ctx.program_folder, "\\Media\\Icons\\Talvane.png", false)));
  w->show();
  w->raise();
  w->activateWindow();
  shell_->nav.ShowScreen(Form::frm_Home);
  SetTip(kHomeTip);
}

void QtWindows::StartTrayStarter() { shell_->launcher.LaunchSimulator(); }

void QtWindows::LoadAssignScreen() { LoadScreen(Form::frm_Assign); }

void QtWindows::RemoveTrayIcon() {
  if (tray_) tray_->hide();
}

void QtWindows::ReleaseFormButtons(Form f) { shell_->buttons.ReleaseFormButtons(f); }

void QtWindows::ReleaseForm(Form f) {
  if (QWidget* w = Window(f)) w->hide();
}

void QtWindows::LoadScreen(Form f) {
  if (screens_.count(f)) return;
  QWidget* w = make_screen ? make_screen(f) : nullptr;
  if (!w) w = DefaultScreen(f);
  screens_[f].reset(w);
  shell_->p.Loaded(f) = true;
}

bool QtWindows::IsScreenVisible(Form f) const {
  const QWidget* w = Screen(f);
  return w && w->isVisible();
}

void QtWindows::PlaceScreen(Form f, int left, int top) {
  QWidget* w = Screen(f);
  if (!w) return;
  QWidget* host = mainWindow();
  if (w->parentWidget() != host) {
    previous_parent_[f] = w->parentWidget();
    w->setParent(host);
  }
  w->move(left, top);
  w->show();
  w->raise();
}

void QtWindows::ReleaseScreen(Form f) {
  QWidget* w = Screen(f);
  if (!w) return;
  const auto it = previous_parent_.find(f);
  if (it != previous_parent_.end() && w->parentWidget() != it->second) w->setParent(it->second);
  w->hide();
}

void QtWindows::SetTip(const std::string& text) {
  QString tip = FromAnsi(text);
  tip.replace('\r', '\n');
  mainWindow()->SetTip(tip.trimmed());
}

bool QtWindows::IsWindowVisible(Form f) const {
  const QWidget* w = Window(f);
  return w && w->isVisible();
}

void QtWindows::HideWindow(Form f) {
  if (QWidget* w = Window(f)) w->hide();
}

void QtWindows::MinimiseMainWindow() { mainWindow()->showMinimized(); }

void QtWindows::ShowStarter() {
  StarterWindow* s = Starter();
  s->show();
  s->raise();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool QtWindows::IsStarterMinimised() const { return starter_ && starter_->isMinimized(); }

void QtWindows::MinimiseStarter() { Starter()->showMinimized(); }

void QtWindows::HideStarter() { Starter()->hide(); }

void QtWindows::SetStarterNormal() { Starter()->setWindowState(Qt::WindowNoState); }

bool QtWindows::AddTrayIcon() {
  Starter();
  if (QSystemTrayIcon::isSystemTrayAvailable()) {
    tray_->show();
    starter_->fallback->hide();
    return true;
  }
  // No notification area: the starter stays up with Restore and Exit.
  starter_->fallback->show();
  starter_->showNormal();
  return false;
}

void QtWindows::ShowTrayMenu() { Starter()->menu->popup(QCursor::pos()); }

void QtWindows::SetTimer(ProgramTimer t, bool enabled) {
  if (enabled)
    timer(t).start();
  else
    timer(t).stop();
}

}  // namespace talvane::ui
