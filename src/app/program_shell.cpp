#include "app/program_shell.h"

#include "common/text.h"
#include "kneeboard/kneeboard.h"

namespace talvane {

ProgramShell::ProgramShell(Program& program, ShellHosts hosts)
    : p(program),
      windows(hosts.windows),
      nav(program, hosts.screens, buttons),
      dialogs(hosts.dialogs),
      launcher(program, nav, hosts.windows, std::move(hosts.start), hosts.launcher),
      help(program.ctx.program_folder),
      configuration(program.catalogue),
      test_screen(program, nav, configuration),
      microphone(program.settings.microphone),
      configurationScreen(*this),
      scriptScreen(*this) {
  configuration.on_changed = [this] {
    nav.ActionButton(1).SetState(kStateEnabled);
    nav.ActionButton(3).SetState(kStateEnabled);
  };
  AddMainWindowActions();
  AddHomeActions();
  AddDialogActions();
  AddTestAndMicrophoneActions();
}

void ProgramShell::AddTestAndMicrophoneActions() {
  ActionTable& small = dispatch.Table(ButtonKind::SmallButton);
  test_screen.before_open = [this] { configurationScreen.SaveConfigureSelection(); };
  test_screen.after_return = [this] { configurationScreen.ReturnFromSubScreen(); };
  small.Set(Form::frm_Configure, "test_grammar", [this](SkinnedButton&) { test_screen.Open(); });
  small.Set(Form::frm_Test, "start", [this](SkinnedButton&) { test_screen.Start(); });
  small.Set(Form::frm_Test, "cancel", [this](SkinnedButton&) { test_screen.Return(); });
  dispatch.Table(ButtonKind::MediumButton).Set(Form::frm_Configure, "microphone_setup", [this](SkinnedButton&) {
    microphone.Begin();
    dialogs.ShowInput(MicrophoneRequest(p.settings.microphone));
  });
  dispatch.Table(ButtonKind::MediumButton).Set(Form::frm_Configure, "voice_training",
                                               [this](SkinnedButton&) { voiceTraining.Open(); });
}

void ProgramShell::OpenScreen(Form screen) {
  nav.HideScreen(nav.CurrentScreenName);
  nav.ShowScreen(screen);
  if (const auto& opened = on_screen_opened[static_cast<std::size_t>(screen)]) opened();
}

void ProgramShell::AddMainWindowActions() {
  ActionTable& form = dispatch.Table(ButtonKind::FormButton);
  form.Set(Form::frm_Parent, "minimize", [this](SkinnedButton&) { launcher.Minimise(); });
  form.Set(Form::frm_Parent, "close", [this](SkinnedButton&) { launcher.Close(); });

  // "cancel" on the editing screens and the help centre goes home.
  ActionTable& small = dispatch.Table(ButtonKind::SmallButton);
  for (Form f : {Form::frm_Modify, Form::frm_Assign, Form::frm_Configure, Form::frm_LC})
    small.Set(f, "cancel", [this](SkinnedButton&) { nav.ReturnHome(); });
}

void ProgramShell::AddHomeActions() {
  ActionTable& large = dispatch.Table(ButtonKind::LargeButton);
  large.Set(Form::frm_Home, "checklist_modification", [this](SkinnedButton&) {
    OpenScreen(Form::frm_Modify);
    nav.SetEditScreenBar(Form::frm_Modify, "Click to save current changes made to the checklist.", false, false);
  });
  large.Set(Form::frm_Home, "checklist_assignments", [this](SkinnedButton&) {
    OpenScreen(Form::frm_Assign);
    nav.SetEditScreenBar(Form::frm_Assign, "Click to save current changes made to the checklist assignments.", false,
                         false);
  });
  large.Set(Form::frm_Home, "speech_config", [this](SkinnedButton&) {
    BuildCategoryList(p.catalogue, p.categories);
    OpenScreen(Form::frm_Configure);
    nav.SetEditScreenBar(Form::frm_Configure,
                         "Click to save current changes made to the speech recognition configuration.", true,
                         configuration.ConfigChanged);
  });
  large.Set(Form::frm_Home, "learning_center", [this](SkinnedButton&) {
    OpenScreen(Form::frm_LC);
    nav.SetReturnOnlyBar(Form::frm_LC, "Click to return to the main Talvane screen");
  });
  large.Set(Form::frm_Home, "launch_fsx", [this](SkinnedButton&) { launcher.LaunchFromHome(); });
}

void ProgramShell::AskRestart(Form screen) {
  dialogs.host().HideMessage();
  nav.HideScreen(FormName(screen));
  launcher.HideAllWindows();
  launcher.RestartVoiceModule();
}

void ProgramShell::ShowSaved(const std::string& title, const std::string& savedText, const std::string& restartText,
                             const char* restartId) {
  Message m;
  m.title = title;
  if (windows.IsSimulatorRunning() && windows.IsVoiceModuleRunning()) {
    m.text = Paragraphs({restartText, "Press OK to restart, Cancel to continue without restarting."});
    m.cancel = true;
    m.id = restartId;
  } else {
    m.text = Paragraphs({savedText, "Please press OK to continue..."});
  }
  p.ctx.ui.ShowMessage(m);
}

void ProgramShell::AddDialogActions() {
  ActionTable& small = dispatch.Table(ButtonKind::SmallButton);
  small.Set(Form::frm_Message, "ok", [this](SkinnedButton&) { dialogs.MessageOk(); });
  small.Set(Form::frm_Message, "cancel", [this](SkinnedButton&) { dialogs.MessageCancel(); });
  small.Set(Form::frm_Input, "ok", [this](SkinnedButton&) { dialogs.InputOk(dialogs.host().InputText()); });
  small.Set(Form::frm_Input, "cancel", [this](SkinnedButton&) { dialogs.InputCancel(); });

  dialogs.OnMessageOk("fatal_exit", [this] {
    p.ctx.ui.ExitProgram();
    // Only reached where the exit is recorded (tests): the dialog closes.
    dialogs.host().HideMessage();
  });
  dialogs.OnMessageOk("checklist_backup", [this] {
    dialogs.host().HideMessage();
    // Thousands of pages may be written: the speech thread does it while
    // the windows keep painting (its reports come back to the window thread).
    p.libraries.Speech().Call([this] {
      KneeboardSources sources = p.kneeboardSources();
      return UpdateAllKneeboardChecklists(p.ctx, p.aircraft, p.assignments, sources);
    });
  });
  dialogs.OnMessageOk("cmod_restart", [this] { AskRestart(Form::frm_Modify); });
  dialogs.OnMessageOk("cassign_restart", [this] { AskRestart(Form::frm_Assign); });
  dialogs.OnMessageOk("gcompile_restart", [this] { AskRestart(Form::frm_Configure); });

  dialogs.OnInputOk(kMicSwitchId, [this](const std::string& text) {
    p.settings.microphone = text;
    SaveMicrophone(p.ctx, p.settings);
    dialogs.host().SetCaptureTimer(false);
    dialogs.host().HideInput();
    ShowSaved("Microphone Setting Changed", "Microphone setting has been changed and saved.",
              "Microphone setting has been changed and saved.  In order to use this change in FSX, the Speech "
              "Recognition engine needs to be restarted.",
              "gcompile_restart");
  });
}

}  // namespace talvane
