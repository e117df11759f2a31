// The program's entry: the windows, the user-interface logic and the start,
// put together. Split from main() so the tests can start the program as it
// starts for the user, with their own window probe, program starter and
// exit.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/program_shell.h"
#include "app/start_up.h"
#include "ui/qt_user_interface.h"
#include "ui/qt_windows.h"

namespace talvane::ui {

class ProgramMain {
 public:
  // `exit` ends the process after the exit steps have run.
  ProgramMain(std::filesystem::path programFolder, platform::WindowProbe& windows, StartProgramCall start,
              std::function<void()> exit);
  ~ProgramMain();

  StartOutcome Start(std::string_view commandLine, platform::InstanceLock& instance);

  QtUserInterface ui;
  Program program;
  QtWindows windows;
  ProgramShell shell;

 private:
  platform::WindowProbe& probe_;
};

// The command line as one string, as the program compares it.
std::string CommandLine(int argc, char** argv);

}  // namespace talvane::ui
