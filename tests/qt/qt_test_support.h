// The program as the QtTest programs start it: a copy of the shipped program
// folder installed two folders below a simulator folder, a fake window probe
// (no simulator can run here), recorded program starts, and an exit that is
// recorded instead of ending the test.
#pragma once

#include <QTimer>
#include <functional>
#include <memory>

#include "platform/instance_lock.h"
#include "support/fake_window_probe.h"
#include "support/test_support.h"
#include "ui/program_main.h"

namespace talvane::test {

// Copies the shipped program folder; the speech libraries are linked, not
// copied (a library stays loaded for the life of the process).
void CopyProgramFolder(const fs::path& to, bool withMedia = true);

class ProgramUnderTest {
 public:
  explicit ProgramUnderTest(bool withMedia = true, bool installed = true);
  ~ProgramUnderTest();

  StartOutcome Start(std::string_view commandLine = "");

  TempFolder root;
  fs::path fsx = root / "FSX";
  fs::path program = fsx / "Brevantix" / "Talvane";
  FakeWindowProbe probe;
  std::unique_ptr<platform::FileInstanceLock> lock;
  std::vector<std::string> started;
  int exits = 0;
  std::unique_ptr<ui::ProgramMain> main;
  ui::ProgramMain& operator*() { return *main; }
  ui::ProgramMain* operator->() { return main.get(); }
};

// Answers every message dialog that comes up with OK (or Cancel), noting
// its title, while it lives.
class DialogAnswerer {
 public:
  explicit DialogAnswerer(ui::ProgramMain& m, bool ok = true);
  std::vector<Message> seen;  // title and text as shown

 private:
  QTimer timer_;
};

}  // namespace talvane::test
