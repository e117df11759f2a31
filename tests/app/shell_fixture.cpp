#include "shell_fixture.h"

#include "common/ini.h"

namespace talvane::test {

ShellTest::ShellTest() {
  fs::create_directories(program);
  for (const auto& e : fs::directory_iterator(TALVANE_PROGRAM_DIR))
    if (e.path().extension() != ".so" && e.path().filename() != "Grammars")
      fs::copy(e.path(), program / e.path().filename(), fs::copy_options::recursive);
  WriteFile(fsx / "fsx.cfg", "[MAIN]\r\nSimObjectPaths.0=SimObjects\\Airplanes\r\n");
  fs::create_directories(fsx / "SimObjects" / "Airplanes");
  WriteIniValue("Main", "PathFSXConfig", (fsx / "fsx.cfg").string(), program / "TV_Information.cfg");
  hosts.p = &p;
  EXPECT_TRUE(p.Load(kSettingsData | kCommandListData | kCategoryData | kChecklistNamesData | kScreenTipData)) << (ui.messages.empty() ? "" : ui.messages[0].text);
  shell.nav.SetUpMainWindowButtons();
  shell.nav.SetUpHomeButtons();
}

void ShellTest::Advance(int ms) {
  for (int t = 0; t < ms; t += 100) {
    for (ProgramTimer timer : {ProgramTimer::StarterLaunch, ProgramTimer::StarterWatchdog, ProgramTimer::ParentCheck}) {
      if (!hosts.timers.count(timer)) continue;
      if ((hosts.elapsed[timer] += 100) >= TimerInterval(timer)) {
        hosts.elapsed[timer] = 0;
        shell.launcher.OnTimer(timer);
      }
    }
  }
}

}  // namespace talvane::test
