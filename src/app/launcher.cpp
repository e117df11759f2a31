#include "app/launcher.h"

#include "aircraft/aircraft_tree.h"
#include "common/text.h"

namespace talvane {

namespace {

// HideAllWindows, in its order.
constexpr Form kHiddenOnLaunch[] = {Form::frm_Home,   Form::frm_Assign,   Form::frm_Configure, Form::frm_Input,
                                    Form::frm_LC,     Form::frm_Message,  Form::frm_Modify,    Form::frm_Parent,
                                    Form::frm_Progress, Form::frm_Script, Form::frm_Splash,    Form::frm_Test,
                                    Form::frm_VoiceTraining};

Message LaunchError(const char* title, const char* what) {
  Message m;
  m.title = title;
  m.text = Paragraphs({std::string("Talvane encoutered an error while attempting to start ") + what + ".",
                       "Talvane will need to shutdown."});
  m.icon = kIconError;
  m.id = "fatal_exit";
  return m;
}

}  // namespace

int TimerInterval(ProgramTimer t) {
  switch (t) {
    case ProgramTimer::StarterLaunch:
      return 2500;
    case ProgramTimer::StarterWatchdog:
      return 25000;
    case ProgramTimer::ParentCheck:
      return 5000;
  }
  return 0;
}

bool Launcher::StartSimulator() {
  if (start_(FSXFolder(p_.ctx), kSimulatorExe)) return true;
  p_.ctx.ui.ShowMessage(LaunchError("Launch FSX Error", "FSX"));
  return false;
}

bool Launcher::StartVoiceModule() {
  if (start_(p_.ctx.program_folder, kVoiceModuleExe)) return true;
  p_.ctx.ui.ShowMessage(LaunchError("Launch QuarrowR Error", "QuarrowR"));
  return false;
}

void Launcher::StartMissingPrograms() {
  const bool simulator = windows_.IsSimulatorRunning();
  const bool voice = windows_.IsVoiceModuleRunning();
  if (!simulator && !StartSimulator()) return;
  if (!voice) StartVoiceModule();
}

void Launcher::HideAllWindows() {
  for (Form f : kHiddenOnLaunch)
    if (host_.IsWindowVisible(f)) host_.HideWindow(f);
}

void Launcher::SetLaunchButton(const char* state) {
  if (SkinnedButton* b = nav_.HomeButton("launch_fsx")) b->SetState(state);
}

void Launcher::LaunchSimulator() {
  host_.ShowStarter();
  p_.Loaded(Form::frm_Starter) = true;
  SetLaunchButton(kStateDisabled);
  StartMissingPrograms();
  host_.SetTimer(ProgramTimer::StarterLaunch, true);
}

void Launcher::RestartVoiceModule() {
  windows_.CloseVoiceModule();
  LaunchSimulator();
}

void Launcher::LaunchFromHome() {
  nav_.HideScreen("frm_Home");
  HideAllWindows();
  LaunchSimulator();
}

void Launcher::Minimise() {
  if (!windows_.IsVoiceModuleRunning()) {
    host_.MinimiseMainWindow();
    return;
  }
  host_.SetTimer(ProgramTimer::ParentCheck, false);
  nav_.HideScreen(nav_.CurrentScreenName);
  HideAllWindows();
  host_.ShowStarter();
  p_.Loaded(Form::frm_Starter) = true;
  const bool inTray = host_.AddTrayIcon();
  if (inTray) host_.MinimiseStarter();
  host_.SetTimer(ProgramTimer::StarterWatchdog, true);
  if (inTray) host_.HideStarter();
}

void Launcher::Close() {
  if (windows_.IsVoiceModuleRunning()) windows_.CloseVoiceModule();
  p_.ctx.ui.ExitProgram();
}

void Launcher::OnTimer(ProgramTimer t) {
  switch (t) {
    case ProgramTimer::StarterLaunch: {
      // Without a notification area the starter stays up as the way back.
      if (host_.AddTrayIcon() && !host_.IsStarterMinimised()) {
        host_.MinimiseStarter();
        host_.HideStarter();
      }
      host_.SetTimer(ProgramTimer::StarterLaunch, false);
      host_.SetTimer(ProgramTimer::StarterWatchdog, true);
      return;
    }
    case ProgramTimer::StarterWatchdog:
      if (!windows_.IsSimulatorRunning()) {
        windows_.CloseVoiceModule();
        p_.ctx.ui.ExitProgram();
        return;
      }
      if (!windows_.IsVoiceModuleRunning()) p_.ctx.ui.ExitProgram();
      return;
    case ProgramTimer::ParentCheck:
      if (!windows_.IsVoiceModuleRunning()) SetLaunchButton(kStateEnabled);
      return;
  }
}

void Launcher::OnTrayMessage(int mouseMessage) {
  if (mouseMessage == kTrayRightButtonUp) host_.ShowTrayMenu();
}

void Launcher::MenuRestore() {
  host_.SetStarterNormal();
  host_.HideStarter();
  host_.RemoveTrayIcon();
  host_.SetTimer(ProgramTimer::StarterWatchdog, false);
  host_.SetTimer(ProgramTimer::ParentCheck, true);
  host_.ShowMainWindow();
  p_.Loaded(Form::frm_Parent) = true;
  nav_.ShowScreen(Form::frm_Home);
  nav_.HideActionBar();
}

void Launcher::MenuClose() {
  windows_.CloseVoiceModule();
  p_.ctx.ui.ExitProgram();
}

}  // namespace talvane
