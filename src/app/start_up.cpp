#include "app/start_up.h"

#include "common/text.h"
#include "kneeboard/kneeboard.h"

namespace talvane {

namespace {

// The windows whose skinned buttons are released, in the exit's order.
constexpr Form kFormsWithButtons[] = {Form::frm_Parent,    Form::frm_Home,    Form::frm_Modify,   Form::frm_Assign,
                                      Form::frm_Configure, Form::frm_Message, Form::frm_Input,    Form::frm_Script,
                                      Form::frm_Progress,  Form::frm_Test,    Form::frm_LC,
                                      Form::frm_VoiceTraining};

// The simulator's executable lies two folders above the program folder; the
// simulator's files come from a case-insensitive world, so any letter case.
bool InstalledBelowSimulator(const Context& ctx) {
  const auto exe = FindCaseInsensitive(FSXFolder(ctx), "fsx.exe", false);
  return exe && FileExists(*exe);
}

}  // namespace

Message InstallPathMessage() {
  Message m;
  m.title = "Installation Path Incorrect";
  m.text = Paragraphs({"Talvane is not installed in the correct directory.",
                       "It should be installed in <FSXDirectory>\\Brevantix\\Talvane.  Talvane will now shutdown."});
  m.icon = kIconError;
  m.id = kFatalExitId;
  return m;
}

Message KneeboardOfferMessage() {
  Message m;
  m.title = "Update FSX Checklists";
  m.text = Paragraphs({"Talvane would like to update the kneeboard checklists on default FSX aircraft.  This process is "
                       "completely reversible.",
                       "Please press OK to continue..."});
  m.icon = kIconInformation;
  m.id = kKneeboardOfferId;
  return m;
}

int StartState(const platform::WindowProbe& windows) {
  return (windows.IsSimulatorRunning() ? 1 : 0) + (windows.IsVoiceModuleRunning() ? 10 : 0);
}

StartOutcome ChooseStartScreen(platform::WindowProbe& windows, ProgramWindows& shown) {
  switch (StartState(windows)) {
    case 10:
      windows.CloseVoiceModule();
      [[fallthrough]];
    case 0:
      shown.ShowMainWindow();
      return StartOutcome::kMainWindow;
    default:
      shown.StartTrayStarter();
      return StartOutcome::kTrayStarter;
  }
}

StartOutcome StartProgram(Program& p, std::string_view commandLine, platform::InstanceLock& instance,
                          platform::WindowProbe& windows, ProgramWindows& shown) {
  if (!instance.Acquire()) return StartOutcome::kAlreadyRunning;
  const auto end = [&] {
    p.ctx.ui.ExitProgram();
    return StartOutcome::kEnded;
  };

  if (!InstalledBelowSimulator(p.ctx)) {
    p.ctx.ui.ShowMessage(InstallPathMessage());
    return end();
  }

  shown.ShowSplash();
  p.Loaded(Form::frm_Splash) = true;
  p.libraries.SpeechLibrariesReady = true;
  p.libraries.fnKELOspeak_Call(0, 0, 0, 0, "0");
  p.libraries.fnBinCompile_Call(0, 0, 0);

  const bool restore = commandLine == kRestoreCommandLine;
  if (!p.Load(restore ? kRestoreStartData : kNormalStartData)) return end();
  shown.HideSplash();

  if (restore) {
    RestoreAllKneeboardChecklists(p.ctx, p.aircraft, p.assignments);
    return end();
  }

  const StartOutcome outcome = ChooseStartScreen(windows, shown);
  if (p.settings.checklistBackups == -1) {
    shown.LoadAssignScreen();
    p.Loaded(Form::frm_Assign) = true;
    p.ctx.ui.ShowMessage(KneeboardOfferMessage());
  }
  return outcome;
}

void RunExitSteps(Program& p, ProgramWindows& shown) {
  try {
    if (p.HasLoaded(kSettingsData)) SaveCopilotVoice(p.ctx, p.settings);
  } catch (...) {
  }
  if (p.IsLoaded(Form::frm_Starter)) shown.RemoveTrayIcon();
  for (Form f : kFormsWithButtons)
    if (p.IsLoaded(f)) shown.ReleaseFormButtons(f);
  for (Form f : kFormsWithButtons)
    if (p.IsLoaded(f)) shown.ReleaseForm(f);
  for (Form f : {Form::frm_Splash, Form::frm_Starter})
    if (p.IsLoaded(f)) shown.ReleaseForm(f);
  if (p.libraries.SpeechLibrariesReady) p.libraries.fnBinCompile_Call(2, 0, 0);
}

}  // namespace talvane
