// The program's user-interface logic on recording hosts: screens, dialogs,
// the launcher's windows and timers, a fake window probe and a recording
// program starter. Time passes only when a test says so.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "app/program_shell.h"
#include "support/fake_window_probe.h"
#include "support/test_support.h"

namespace talvane::test {

struct RecordedHosts : ScreenHost, DialogHost, LauncherHost {
  std::vector<std::string> log;
  std::set<Form> visible;
  std::map<Form, std::pair<int, int>> placed;
  std::string tip;
  std::string input_text;
  std::vector<InputRequest> inputs;
  bool capture = false, tray_available = true, tray_icon = false, starter_minimised = false;
  std::set<ProgramTimer> timers;
  std::map<ProgramTimer, int> elapsed;
  Program* p = nullptr;

  // ScreenHost
  void LoadScreen(Form f) override { p->Loaded(f) = true; }
  bool IsScreenVisible(Form f) const override { return visible.count(f) > 0; }
  void PlaceScreen(Form f, int left, int top) override {
    visible.insert(f);
    placed[f] = {left, top};
    log.push_back(std::string("place ") + FormName(f));
  }
  void ReleaseScreen(Form f) override {
    visible.erase(f);
    log.push_back(std::string("release ") + FormName(f));
  }
  void SetTip(const std::string& t) override { tip = t; }
  // DialogHost
  void ShowInput(const InputRequest& r) override {
    inputs.push_back(r);
    visible.insert(Form::frm_Input);
  }
  void HideMessage() override {
    visible.erase(Form::frm_Message);
    log.push_back("hide message");
  }
  void HideInput() override {
    visible.erase(Form::frm_Input);
    log.push_back("hide input");
  }
  std::string InputText() const override { return input_text; }
  void SetCaptureTimer(bool on) override { capture = on; }
  // LauncherHost
  bool IsWindowVisible(Form f) const override { return visible.count(f) > 0; }
  void HideWindow(Form f) override {
    visible.erase(f);
    log.push_back(std::string("hide ") + FormName(f));
  }
  void ShowMainWindow() override {
    visible.insert(Form::frm_Parent);
    log.push_back("show main");
  }
  void MinimiseMainWindow() override { log.push_back("minimise main"); }
  void ShowStarter() override {
    visible.insert(Form::frm_Starter);
    log.push_back("show starter");
  }
  bool IsStarterMinimised() const override { return starter_minimised; }
  void MinimiseStarter() override { starter_minimised = true; }
  void HideStarter() override { visible.erase(Form::frm_Starter); }
  void SetStarterNormal() override { starter_minimised = false; }
  bool AddTrayIcon() override {
    tray_icon = tray_available;
    return tray_available;
  }
  void RemoveTrayIcon() override { tray_icon = false; }
  void ShowTrayMenu() override { log.push_back("tray menu"); }
  void SetTimer(ProgramTimer t, bool enabled) override {
    if (enabled) {
      if (timers.insert(t).second) elapsed[t] = 0;
    } else {
      timers.erase(t);
    }
  }
};

// A copy of the shipped program folder (settings, catalogue, checklists),
// the logic over recording hosts, and a clock.
class ShellTest : public ::testing::Test {
 protected:
  ShellTest();
  // Lets `ms` pass: every enabled timer fires each time its interval is up.
  void Advance(int ms);
  void ClickHome(const char* word) { shell.dispatch.Release(*shell.nav.HomeButton(word)); }
  SkinnedButton& Bar(int n) { return shell.nav.ActionButton(n); }

  TempFolder root;
  fs::path fsx = root / "FSX";
  fs::path program = fsx / "Brevantix" / "Talvane";
  RecordingUserInterface ui;
  Program p{program, ui};
  RecordedHosts hosts;
  FakeWindowProbe probe;
  std::vector<std::pair<fs::path, std::string>> started;
  bool start_fails = false;
  ProgramShell shell{p, ShellHosts{hosts, hosts, hosts, probe, [this](const fs::path& f, const std::string& exe) {
                                     started.emplace_back(f, exe);
                                     return !start_fails;
                                   }}};
};

}  // namespace talvane::test
