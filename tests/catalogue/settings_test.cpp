#include <gtest/gtest.h>
#include <stdlib.h>

#include "aircraft/assignments.h"
#include "catalogue/fsx_config.h"
#include "catalogue/settings.h"
#include "common/ini.h"
#include "support/test_support.h"

namespace talvane {
namespace {

using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

const char* kExitText = "Talvane will not be able to load.\r\rPress OK to Exit.";

// Each test gets its own Wine prefix, so the search for fsx.cfg is ours to set.
class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("WINEPREFIX", prefix.path().c_str(), 1); }
  void TearDown() override { ::unsetenv("WINEPREFIX"); }

  std::filesystem::path Cfg() const { return p.folder / "TV_Information.cfg"; }
  std::filesystem::path SimConfig() {
    auto f = p.folder / "fsx.cfg";
    WriteFile(f, "[Main]\r\n");
    return f;
  }
  void WriteSettings(const std::string& main_extra, const std::string& rest = "") {
    WriteFile(Cfg(), "[Main]\r\ncopilotVoice=2\r\nmicrophone=  Key 32  \r\nnumLists=1\r\nnumChecklistResponse=1\r\n"
                     "compileNavaids=1\r\nchecklistBackups=-1\r\n" + main_extra + rest);
  }

  TempFolder prefix;
  test::ProgramFixture p;
  Settings s;
};

TEST_F(SettingsTest, ReadsEveryValue) {
  const auto cfg = SimConfig();
  WriteSettings("PathFSXConfig=" + cfg.string() + "\r\n",
                "[List.0]\r\nname=[ALT]\r\ndescription=Altitude\r\nkeloExample=one zero thousand\r\n"
                "[List.1]\r\nname= [HDG] \r\n[checklistResponse.0]\r\nresponse=SET\r\nfunctionNumber=50002\r\n"
                "[checklistResponse.1]\r\nresponse=On\r\nfunctionNumber=50004\r\n");
  ASSERT_TRUE(LoadSettings(p.ctx, s));
  EXPECT_EQ(s.copilotVoice, 2);
  EXPECT_EQ(s.microphone, "Key 32");
  EXPECT_EQ(s.checklistBackups, -1);
  ASSERT_EQ(s.GenericLists.size(), 2u);
  EXPECT_EQ(s.GenericLists[0].keloExample, "one zero thousand");
  EXPECT_EQ(s.GenericLists[1].name, "[HDG]");
  EXPECT_EQ(s.GenericLists[1].description, "");  // a missing key is empty
  ASSERT_EQ(s.ChecklistResponses.size(), 2u);
  EXPECT_EQ(s.ChecklistResponses[1].response, "On");
  EXPECT_EQ(s.ChecklistResponses[1].functionNumber, 50004);
  EXPECT_EQ(s.PathFSXConfig, cfg.string());
  EXPECT_EQ(p.ui.splash.front(), "Loading Settings, standby...");
  EXPECT_TRUE(p.ui.messages.empty());
  EXPECT_FALSE(p.ui.exit_requested);
}

TEST_F(SettingsTest, ZeroListsStillReadsListZeroAndArraysAreRebuilt) {
  const auto cfg = SimConfig();
  s.GenericLists.resize(9);
  WriteFile(Cfg(), "[Main]\r\nnumLists=0\r\nPathFSXConfig=" + cfg.string() + "\r\n");
  ASSERT_TRUE(LoadSettings(p.ctx, s));
  EXPECT_EQ(s.GenericLists.size(), 1u);
  EXPECT_EQ(s.ChecklistResponses.size(), 1u);
  EXPECT_EQ(s.ChecklistResponses[0].functionNumber, 0);
}

TEST_F(SettingsTest, MissingFileIsFatal) {
  EXPECT_FALSE(LoadSettings(p.ctx, s));
  ASSERT_EQ(p.ui.messages.size(), 1u);
  const Message& m = p.ui.messages[0];
  EXPECT_EQ(m.title, "Talvane Fatal Error");
  EXPECT_EQ(m.text, std::string("Your TV_Information.cfg file has not been found.\r\r") + kExitText);
  EXPECT_EQ(m.icon, kIconError);
  EXPECT_TRUE(m.ok);
  EXPECT_FALSE(m.cancel);
  EXPECT_EQ(m.id, "");
  EXPECT_TRUE(p.ui.exit_requested);
}

TEST_F(SettingsTest, ValuesThatCannotBeHeldAreFatal) {
  for (const char* bad : {"numLists=-1\r\n", "numLists=40000\r\n", "copilotVoice=70000\r\n",
                          "numChecklistResponse=-5\r\n"}) {
    test::ProgramFixture q;
    WriteFile(q.folder / "TV_Information.cfg", std::string("[Main]\r\n") + bad);
    Settings t;
    EXPECT_FALSE(LoadSettings(q.ctx, t)) << bad;
    ASSERT_EQ(q.ui.messages.size(), 1u) << bad;
    EXPECT_EQ(q.ui.messages[0].text, std::string("There was an error in your TV_Information.cfg file.\r\r") + kExitText);
    EXPECT_TRUE(q.ui.exit_requested);
  }
}

TEST_F(SettingsTest, SingleKeyWritersKeepTheRestOfTheFile) {
  const auto cfg = SimConfig();
  WriteSettings("PathFSXConfig=" + cfg.string() + "\r\n", "[List.0]\r\nname = [ALT]\r\n");
  const std::string before = ReadFile(Cfg());
  ASSERT_TRUE(LoadSettings(p.ctx, s));
  EXPECT_EQ(ReadFile(Cfg()), before);  // the stored path is written back unchanged
  s.copilotVoice = 4;
  SaveCopilotVoice(p.ctx, s);
  s.microphone = "Joystick 1 Button 3";
  SaveMicrophone(p.ctx, s);
  AssignmentList a;
  a.records.resize(2);
  a.records[1].writeToKneeboard = 1;
  SaveChecklistBackups(p.ctx, a);
  std::string expected = before;
  auto replace = [&](const std::string& from, const std::string& to) {
    expected.replace(expected.find(from), from.size(), to);
  };
  replace("copilotVoice=2", "copilotVoice=4");
  replace("microphone=  Key 32  ", "microphone=Joystick 1 Button 3");
  replace("checklistBackups=-1", "checklistBackups=1");
  EXPECT_EQ(ReadFile(Cfg()), expected);
  a.records[1].writeToKneeboard = 0;
  SaveChecklistBackups(p.ctx, a);
  EXPECT_EQ(ReadIniInt("Main", "checklistBackups", Cfg()), 0);
}

TEST_F(SettingsTest, WritersReportAMissingFileAndWriteNothing) {
  SaveCopilotVoice(p.ctx, s);
  SaveMicrophone(p.ctx, s);
  ASSERT_EQ(p.ui.messages.size(), 2u);
  EXPECT_EQ(p.ui.messages[0].title, "Talvane Error");
  EXPECT_EQ(p.ui.messages[0].text,
            "Your TV_Information.cfg file has not been found.\r\rTalvane will not be able to save your copilot "
            "setting.\r\rPlease press OK to continue...");
  EXPECT_EQ(p.ui.messages[1].text,
            "Your TV_Information.cfg file has not been found.\r\rTalvane will not be able to save your microphone "
            "switch setting.\r\rPlease press OK to continue...");
  EXPECT_FALSE(std::filesystem::exists(Cfg()));
  EXPECT_FALSE(p.ui.exit_requested);
}

TEST_F(SettingsTest, SimulatorConfigIsFoundInTheWinePrefix) {
  // The all-users folder is searched before the user's own.
  WriteFile(prefix / "drive_c/users/someone/AppData/Roaming/Microsoft/FSX/fsx.cfg", "x");
  ::setenv("USER", "someone", 1);
  WriteSettings("PathFSXConfig=\r\n");
  ASSERT_TRUE(LoadSettings(p.ctx, s));
  EXPECT_EQ(s.PathFSXConfig, (prefix / "drive_c/users/someone/AppData/Roaming/Microsoft/FSX/fsx.cfg").string());
  WriteFile(prefix / "drive_c/ProgramData/microsoft/fsx/FSX.CFG", "x");
  WriteSettings("PathFSXConfig=\r\n");
  s = {};
  ASSERT_TRUE(LoadSettings(p.ctx, s));
  EXPECT_EQ(s.PathFSXConfig, (prefix / "drive_c/ProgramData/microsoft/fsx/FSX.CFG").string());
  EXPECT_EQ(ReadIniString("Main", "PathFSXConfig", Cfg()), s.PathFSXConfig);
  EXPECT_TRUE(p.ui.messages.empty());
}

TEST_F(SettingsTest, StoredWindowsPathIsKeptWhenItExists) {
  WriteFile(prefix / "drive_c/Games/FSX/fsx.cfg", "x");
  WriteSettings("PathFSXConfig=C:\\games\\fsx\\FSX.cfg\r\n");
  ASSERT_TRUE(LoadSettings(p.ctx, s));
  EXPECT_EQ(s.PathFSXConfig, "C:\\games\\fsx\\FSX.cfg");
  EXPECT_TRUE(p.ui.messages.empty());
}

TEST_F(SettingsTest, UserIsAskedToBrowseWhenNothingIsFound) {
  WriteSettings("PathFSXConfig=/no/such/fsx.cfg\r\n");
  const auto chosen = p.folder / "elsewhere" / "FSX.CFG";
  WriteFile(chosen, "x");
  p.ui.browse_answers.push_back(chosen.string());
  ASSERT_TRUE(LoadSettings(p.ctx, s));
  ASSERT_EQ(p.ui.messages.size(), 1u);
  EXPECT_EQ(p.ui.messages[0].title, "FSX CFG File Not Found");
  EXPECT_EQ(p.ui.messages[0].icon, kIconWarning);
  EXPECT_EQ(p.ui.messages[0].text,
            "Talvane is unable to find your FSX.cfg file.  This file should be in C:\\Documents and Settings\\*User "
            "Name*\\Application Data\\Microsoft\\FSX\r\rPlease use the Dialog box to Browse to and select your "
            "FSX.cfg file");
  ASSERT_EQ(p.ui.dialogs.size(), 1u);
  EXPECT_EQ(p.ui.dialogs[0].filter, "Configuration File |*.cfg");
  EXPECT_EQ(p.ui.dialogs[0].initial_folder, p.folder.path().string());
  EXPECT_EQ(s.PathFSXConfig, chosen.string());
  EXPECT_EQ(ReadIniString("Main", "PathFSXConfig", Cfg()), chosen.string());
}

TEST_F(SettingsTest, AnotherFileOrNoChoiceEndsTheProgram) {
  for (bool choose_other : {true, false}) {
    test::ProgramFixture q;
    WriteFile(q.folder / "TV_Information.cfg", "[Main]\r\n");
    if (choose_other) {
      WriteFile(q.folder / "scenery.cfg", "x");
      q.ui.browse_answers.push_back((q.folder / "scenery.cfg").string());
    }
    Settings t;
    EXPECT_FALSE(LoadSettings(q.ctx, t));
    ASSERT_EQ(q.ui.messages.size(), 2u);
    EXPECT_EQ(q.ui.messages[1].title, "FSX CFG File Not Recognized");
    EXPECT_EQ(q.ui.messages[1].icon, kIconError);
    EXPECT_EQ(q.ui.messages[1].text,
              "Talvane did not recognize the path to the FSX.cfg file and you will be unable to access "
              "Talvane.\r\rPlease press OK to EXIT...");
    EXPECT_TRUE(q.ui.exit_requested);
    // The failed searches are not written to the file.
    EXPECT_EQ(ReadIniString("Main", "PathFSXConfig", q.folder / "TV_Information.cfg"), "");
  }
}

}  // namespace
}  // namespace talvane
