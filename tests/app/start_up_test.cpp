// The program's start and exit, driven through the program object as every
// host drives it: a copy of the shipped program folder installed two folders
// below a simulator folder, recorded windows and a fake window probe.
#include <gtest/gtest.h>

#include "app/start_up.h"
#include "common/ini.h"
#include "support/fake_window_probe.h"
#include "support/test_support.h"

namespace talvane {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

// A copy of the shipped program folder whose speech libraries are links to
// the shipped ones: a library stays loaded for the life of the process, so
// every test of this program must find the same files.
void CopyProgramFolder(const fs::path& to) {
  fs::create_directories(to);
  for (const auto& e : fs::directory_iterator(TALVANE_PROGRAM_DIR)) {
    const fs::path target = to / e.path().filename();
    if (e.path().extension() == ".so")
      fs::create_symlink(e.path(), target);
    else
      fs::copy(e.path(), target, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  }
}

struct RecordedWindows : ProgramWindows {
  std::vector<std::string> calls;
  void ShowSplash() override { calls.push_back("ShowSplash"); }
  void HideSplash() override { calls.push_back("HideSplash"); }
  void ShowMainWindow() override { calls.push_back("ShowMainWindow"); }
  void StartTrayStarter() override { calls.push_back("StartTrayStarter"); }
  void LoadAssignScreen() override { calls.push_back("LoadAssignScreen"); }
  void RemoveTrayIcon() override { calls.push_back("RemoveTrayIcon"); }
  void ReleaseFormButtons(Form f) override { calls.push_back(std::string("ReleaseFormButtons ") + FormName(f)); }
  void ReleaseForm(Form f) override { calls.push_back(std::string("ReleaseForm ") + FormName(f)); }
};

class Start : public ::testing::Test {
 protected:
  void SetUp() override {
    CopyProgramFolder(program);
    WriteFile(fsx / "fsx.exe", "stand-in");
    WriteFile(fsx / "fsx.cfg", "[MAIN]\r\nSimObjectPaths.0=SimObjects\\Airplanes\r\n");
    fs::create_directories(fsx / "SimObjects" / "Airplanes");
    Setting("PathFSXConfig", (fsx / "fsx.cfg").string());
  }

  void Setting(const char* key, const std::string& value) {
    ASSERT_TRUE(WriteIniValue("Main", key, value, program / "TV_Information.cfg"));
  }

  StartOutcome Run(std::string_view commandLine) {
    platform::FileInstanceLock lock(program);
    return StartProgram(p, commandLine, lock, probe, windows);
  }

  test::TempFolder root;
  fs::path fsx = root / "FSX";
  fs::path program = fsx / "Brevantix" / "Talvane";
  RecordingUserInterface ui;
  Program p{program, ui};
  test::FakeWindowProbe probe;
  RecordedWindows windows;
};

const std::vector<std::string> kNormalSplash = {
    "Loading Settings, standby...",        "Loading Checklist Assignments, standby...",
    "Loading FSX Aircraft, standby...",    "Loading Checklist Files, standby...",
    "Loading Command List, standby...",    "Loading ILS Information, standby...",
    "Loading Navaid Information, standby..."};

TEST_F(Start, NormalStartLoadsEverythingInOrderAndShowsTheMainWindow) {
  Setting("checklistBackups", "0");
  EXPECT_EQ(Run(""), StartOutcome::kMainWindow);
  EXPECT_EQ(ui.splash, kNormalSplash);
  EXPECT_EQ(windows.calls, (std::vector<std::string>{"ShowSplash", "HideSplash", "ShowMainWindow"}));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_FALSE(ui.exit_requested);
  EXPECT_TRUE(p.libraries.SpeechLibrariesReady);
  EXPECT_TRUE(p.HasLoaded(kNormalStartData));
  EXPECT_FALSE(p.catalogue.CommandList.empty());
  EXPECT_FALSE(p.categories.CategoryNames.empty());
  EXPECT_FALSE(p.navaids.NavaidList.empty());
  EXPECT_FALSE(p.navaids.ILSList.empty());
}

TEST_F(Start, OnlyTheExactRestoreLineRestores) {
  Setting("checklistBackups", "1");
  for (const char* line : {"/RESTORE", " /restore", "/restore "}) {
    RecordingUserInterface otherUi;
    Program other{program, otherUi};
    platform::FileInstanceLock lock(program);
    RecordedWindows shown;
    EXPECT_EQ(StartProgram(other, line, lock, probe, shown), StartOutcome::kMainWindow) << line;
    EXPECT_FALSE(otherUi.exit_requested) << line;
  }
  EXPECT_EQ(Run("/restore"), StartOutcome::kEnded);
  // Only what the restore needs is loaded, and no screen is shown.
  EXPECT_EQ(ui.splash, std::vector<std::string>(kNormalSplash.begin(), kNormalSplash.begin() + 3));
  EXPECT_EQ(windows.calls, (std::vector<std::string>{"ShowSplash", "HideSplash"}));
  ASSERT_FALSE(ui.messages.empty());
  EXPECT_EQ(ui.messages.back().title, "Checklists Restored");
  EXPECT_TRUE(ui.exit_requested);
  EXPECT_TRUE(p.catalogue.CommandList.empty());
}

TEST_F(Start, RunningWindowsChooseTheFirstScreen) {
  struct Case {
    bool simulator, voice;
    StartOutcome outcome;
    int closes;
  };
  for (const Case& c : {Case{false, false, StartOutcome::kMainWindow, 0}, Case{false, true, StartOutcome::kMainWindow, 1},
                        Case{true, false, StartOutcome::kTrayStarter, 0}, Case{true, true, StartOutcome::kTrayStarter, 0}}) {
    test::FakeWindowProbe probe;
    probe.simulator = c.simulator;
    probe.voice_module = c.voice;
    RecordedWindows shown;
    EXPECT_EQ(StartState(probe), (c.simulator ? 1 : 0) + (c.voice ? 10 : 0));
    EXPECT_EQ(ChooseStartScreen(probe, shown), c.outcome);
    EXPECT_EQ(probe.close_requests, c.closes);
    EXPECT_EQ(shown.calls.size(), 1u);
  }
}

TEST_F(Start, KneeboardOfferOnlyWhenNeverAnswered) {
  // Shipped settings have never been answered (-1): asked once the first
  // screen is up, even when that is the tray starter.
  probe.simulator = true;
  EXPECT_EQ(Run(""), StartOutcome::kTrayStarter);
  EXPECT_EQ(windows.calls, (std::vector<std::string>{"ShowSplash", "HideSplash", "StartTrayStarter",
                                                     "LoadAssignScreen"}));
  ASSERT_EQ(ui.messages.size(), 1u);
  const Message& m = ui.messages[0];
  EXPECT_EQ(m.title, "Update FSX Checklists");
  EXPECT_EQ(m.text,
            "Talvane would like to update the kneeboard checklists on default FSX aircraft.  This process is "
            "completely reversible.\r\rPlease press OK to continue...");
  EXPECT_EQ(m.id, "checklist_backup");
  EXPECT_EQ(m.icon, kIconInformation);
  EXPECT_TRUE(p.IsLoaded(Form::frm_Assign));

  for (const char* answered : {"0", "1"}) {
    Setting("checklistBackups", answered);
    RecordingUserInterface otherUi;
    Program other{program, otherUi};
    platform::FileInstanceLock lock(program);
    RecordedWindows shown;
    StartProgram(other, "", lock, probe, shown);
    EXPECT_TRUE(otherUi.messages.empty()) << answered;
  }
}

TEST_F(Start, WrongInstallLocationEndsBeforeAnythingElse) {
  const fs::path elsewhere = root / "Talvane";
  fs::rename(program, elsewhere);
  const std::string settings = ReadFile(elsewhere / "TV_Information.cfg");
  Program q{elsewhere, ui};
  platform::FileInstanceLock lock(elsewhere);
  EXPECT_EQ(StartProgram(q, "", lock, probe, windows), StartOutcome::kEnded);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "Installation Path Incorrect");
  EXPECT_EQ(ui.messages[0].text,
            "Talvane is not installed in the correct directory.\r\rIt should be installed in "
            "<FSXDirectory>\\Brevantix\\Talvane.  Talvane will now shutdown.");
  EXPECT_EQ(ui.messages[0].icon, kIconError);
  EXPECT_EQ(ui.messages[0].id, "fatal_exit");
  EXPECT_TRUE(ui.exit_requested);
  EXPECT_TRUE(windows.calls.empty());
  EXPECT_FALSE(q.libraries.SpeechLibrariesReady);

  // The exit that follows leaves the user's settings alone: they were never read.
  RunExitSteps(q, windows);
  EXPECT_EQ(ReadFile(elsewhere / "TV_Information.cfg"), settings);
}

TEST_F(Start, SimulatorExecutableInAnyLetterCase) {
  fs::rename(fsx / "fsx.exe", fsx / "FSX.EXE");
  Setting("checklistBackups", "0");
  EXPECT_EQ(Run(""), StartOutcome::kMainWindow);
}

TEST_F(Start, SecondInstanceEndsSilently) {
  const std::string settings = ReadFile(program / "TV_Information.cfg");
  platform::FileInstanceLock first(program);
  ASSERT_TRUE(first.Acquire());
  EXPECT_EQ(Run(""), StartOutcome::kAlreadyRunning);
  EXPECT_TRUE(windows.calls.empty());
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_FALSE(ui.exit_requested);
  EXPECT_FALSE(p.libraries.SpeechLibrariesReady);
  EXPECT_EQ(ReadFile(program / "TV_Information.cfg"), settings);
}

TEST_F(Start, MissingSettingsStopsAfterTheSpeechLibraries) {
  fs::remove(program / "TV_Information.cfg");
  EXPECT_EQ(Run(""), StartOutcome::kEnded);
  EXPECT_EQ(ui.splash, std::vector<std::string>{"Loading Settings, standby..."});
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "Talvane Fatal Error");
  EXPECT_TRUE(ui.exit_requested);
  EXPECT_TRUE(p.libraries.SpeechLibrariesReady);
  EXPECT_EQ(windows.calls, std::vector<std::string>{"ShowSplash"});
  // The exit does not write a settings file back, nor report it missing.
  RunExitSteps(p, windows);
  EXPECT_FALSE(FileExists(program / "TV_Information.cfg"));
  EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(Start, CorruptCatalogueStopsTheLoadsAfterIt) {
  WriteFile(program / "Data" / "CommandList.dat", "\x05");
  EXPECT_EQ(Run(""), StartOutcome::kEnded);
  EXPECT_EQ(ui.splash, std::vector<std::string>(kNormalSplash.begin(), kNormalSplash.begin() + 5));
  EXPECT_EQ(ui.messages.back().text.substr(0, 55), "There was an error in loading the CommandList.dat file.");
  EXPECT_FALSE(p.HasLoaded(kILSData));
}

TEST_F(Start, ExitStepsRunInOrderForWhatWasLoaded) {
  Setting("checklistBackups", "0");
  ASSERT_EQ(Run(""), StartOutcome::kMainWindow);
  p.Loaded(Form::frm_Parent) = p.Loaded(Form::frm_Home) = p.Loaded(Form::frm_Test) = true;
  p.Loaded(Form::frm_Starter) = true;
  p.settings.copilotVoice = 3;
  windows.calls.clear();
  RunExitSteps(p, windows);
  EXPECT_EQ(windows.calls,
            (std::vector<std::string>{"RemoveTrayIcon", "ReleaseFormButtons frm_Parent", "ReleaseFormButtons frm_Home",
                                      "ReleaseFormButtons frm_Test", "ReleaseForm frm_Parent", "ReleaseForm frm_Home",
                                      "ReleaseForm frm_Test", "ReleaseForm frm_Splash", "ReleaseForm frm_Starter"}));
  EXPECT_EQ(ReadIniString("Main", "copilotVoice", program / "TV_Information.cfg"), "3");
}

TEST(ProgramLoad, PrerequisitesComeFirstAndNothingLoadsTwice) {
  test::ProgramFixture f;
  CopyProgramFolder(f.folder.path());
  WriteFile(f.folder / "fsx.cfg", "[MAIN]\r\n");
  ASSERT_TRUE(WriteIniValue("Main", "PathFSXConfig", (f.folder / "fsx.cfg").string(), f.folder / "TV_Information.cfg"));
  Program p{f.folder.path(), f.ui};
  ASSERT_TRUE(p.Load(kCategoryData));
  EXPECT_EQ(f.ui.splash, std::vector<std::string>{"Loading Command List, standby..."});
  EXPECT_TRUE(p.HasLoaded(kCommandListData | kCategoryData));
  EXPECT_FALSE(p.HasLoaded(kSettingsData));
  ASSERT_TRUE(p.Load(kGrammarData));
  EXPECT_EQ(f.ui.splash, (std::vector<std::string>{"Loading Command List, standby...", "Loading Settings, standby...",
                                                   "Loading ILS Information, standby...",
                                                   "Loading Navaid Information, standby..."}));
}

}  // namespace
}  // namespace talvane
