#include "ui/program_main.h"

#include <QCoreApplication>

namespace talvane::ui {

ProgramMain::ProgramMain(std::filesystem::path programFolder, platform::WindowProbe& probe, StartProgramCall start,
                         std::function<void()> exit)
    : ui([this, exit = std::move(exit)] {
        RunExitSteps(program, windows);
        if (exit) exit();
      }),
      program(std::move(programFolder), ui),
      windows(ui),
      shell(program, ShellHosts{windows, ui, windows, probe, std::move(start)}),
      probe_(probe) {
  windows.Attach(shell);
  ui.Attach(shell, windows.mainWindow(), [this](const std::string& text) {
    if (SplashWindow* s = windows.splash()) {
      s->status->setText(FromAnsi(text));
      s->repaint();
    }
  });
  // A compile or a recognition waits on the speech thread while the windows
  // keep repainting.
  program.libraries.Speech().SetWaitHook(
      [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10); });
}

ProgramMain::~ProgramMain() {
  // The windows draw the shell's buttons: they go before the shell does.
  windows.DestroyWindows();
  ui.DestroyForms();
}

StartOutcome ProgramMain::Start(std::string_view commandLine, platform::InstanceLock& instance) {
  return StartProgram(program, commandLine, instance, probe_, windows);
}

std::string CommandLine(int argc, char** argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    line += argv[i];
  }
  return line;
}

}  // namespace talvane::ui
