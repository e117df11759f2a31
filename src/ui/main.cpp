// talvane: the program's window. Run from its program folder, installed two
// folders below the simulator's.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "platform/instance_lock.h"
#include "platform/program_starter.h"
#include "platform/window_probe.h"
#include "ui/program_main.h"
#include "ui/skinned_button_widget.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Talvane");
  // The program lives on in the tray with no window shown.
  QApplication::setQuitOnLastWindowClosed(false);
  talvane::ui::ApplyTooltipLook();

  const std::filesystem::path folder = QCoreApplication::applicationDirPath().toStdString();
  talvane::platform::X11WindowProbe probe;
  talvane::platform::SpawnProgramStarter starter;
  talvane::ui::ProgramMain program(
      folder, probe, [&starter](const std::filesystem::path& f, const std::string& exe) { return starter.Start(f, exe); },
      [] {
        // Nothing runs after the exit: the process ends here.
        std::fflush(nullptr);
        std::_Exit(0);
      });
  talvane::platform::FileInstanceLock lock(folder);
  switch (program.Start(talvane::ui::CommandLine(argc, argv), lock)) {
    case talvane::StartOutcome::kAlreadyRunning:
    case talvane::StartOutcome::kEnded:
      return 0;
    default:
      return app.exec();
  }
}
