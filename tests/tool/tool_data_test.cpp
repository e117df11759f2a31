// talvane-tool as scripts use it: output, exit status, and files on disk.
#include <gtest/gtest.h>

#include "support/raw_formats.h"
#include "support/test_support.h"

namespace talvane {
namespace {

using test::ReadFile;
using test::RunTool;
using test::TempFolder;
using test::WriteFile;

class Tool : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(folder / "Data");
    std::filesystem::create_directories(folder / "Checklists");
  }
  test::ToolRun Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--program-folder", folder.path().string()});
    return RunTool(args, {"WINEPREFIX=" + prefix.path().string()});
  }
  void Settings(const std::string& main) {
    WriteFile(prefix / "drive_c/ProgramData/Microsoft/FSX/fsx.cfg", "[Main]\r\n");
    WriteFile(folder / "TV_Information.cfg", main);
  }
  TempFolder folder, prefix;
  std::mt19937 rng{2024};
};

TEST_F(Tool, SettingsArePrintedInTheirOrder) {
  Settings("[Main]\r\ncopilotVoice=3\r\nmicrophone=Key 32\r\nnumLists=0\r\nnumChecklistResponse=1\r\ncompileNavaids=1\r\n"
           "checklistBackups=-1\r\n[List.0]\r\nname=[ALT]\r\ndescription= Altitude \r\nkeloExample=caf\xE9\r\n"
           "[checklistResponse.0]\r\nresponse=SET\r\nfunctionNumber=50002\r\n[checklistResponse.1]\r\nresponse=On\r\n"
           "functionNumber=50004\r\n");
  auto r = Run({"settings"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string path = (prefix / "drive_c/ProgramData/Microsoft/FSX/fsx.cfg").string();
  EXPECT_EQ(r.out,
            "copilotVoice=3\nmicrophone=Key 32\nnumLists=0\nnumChecklistResponse=1\ncompileNavaids=1\n"
            "checklistBackups=-1\nPathFSXConfig=" + path +
                "\nList.0.name=[ALT]\nList.0.description=Altitude\nList.0.keloExample=caf\xC3\xA9\n"
                "checklistResponse.0.response=SET\nchecklistResponse.0.functionNumber=50002\n"
                "checklistResponse.1.response=On\nchecklistResponse.1.functionNumber=50004\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(Tool, BrokenSettingsFailWithTheirMessage) {
  auto r = Run({"settings"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "Talvane Fatal Error: Your TV_Information.cfg file has not been found.\n\nTalvane will not be able to "
            "load.\n\nPress OK to Exit.\n");
  Settings("[Main]\r\nnumLists=99999\r\n");
  r = Run({"settings"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("There was an error in your TV_Information.cfg file."), std::string::npos);
  // Garbage is just a file without the keys: it loads, then fsx.cfg is the problem.
  WriteFile(folder / "TV_Information.cfg", std::string("\x00\x01\xFF garbage [", 12));
  std::filesystem::remove_all(prefix / "drive_c");
  r = Run({"settings"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("FSX CFG File Not Recognized: "), std::string::npos);
}

TEST_F(Tool, SingleKeysAreWritten) {
  Settings("[Main]\r\ncopilotVoice=1\r\nmicrophone=\r\n");
  ASSERT_EQ(Run({"set-copilot-voice", "4"}).status, 0);
  ASSERT_EQ(Run({"set-microphone", "Joystick 1 Button 2"}).status, 0);
  auto r = Run({"settings"});
  EXPECT_NE(r.out.find("copilotVoice=4\nmicrophone=Joystick 1 Button 2\n"), std::string::npos);
  EXPECT_EQ(Run({"set-copilot-voice", "x"}).status, 2);
}

TEST_F(Tool, CatalogueResaveKeepsBytesAndMakesTheBackup) {
  const std::string raw = test::RawCommandList(test::RandomRawCommands(rng, 300));
  WriteFile(folder / "Data/CommandList.dat", raw);
  auto r = Run({"catalogue-resave"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(folder / "Data/CommandList.dat"), raw);
  EXPECT_EQ(ReadFile(folder / "Data/CommandList.bak"), raw);

  ASSERT_EQ(Run({"catalogue-export", (folder / "cat.txt").string()}).status, 0);
  std::filesystem::remove(folder / "Data/CommandList.dat");
  ASSERT_EQ(Run({"catalogue-import", (folder / "cat.txt").string()}).status, 0);
  EXPECT_EQ(ReadFile(folder / "Data/CommandList.dat"), raw);
}

TEST_F(Tool, DamagedCatalogueFailsWithItsMessage) {
  const std::string raw = test::RawCommandList(test::RandomRawCommands(rng, 5));
  for (const std::string& bad : {std::string(), raw.substr(0, raw.size() - 1), std::string("\x10\x00junk", 6)}) {
    WriteFile(folder / "Data/CommandList.dat", bad);
    auto r = Run({"catalogue-resave"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "Talvane Error: There was an error in loading the CommandList.dat file.\n\nPlease contact Brevantix "
              "Support\n\nPlease press OK to continue...\n");
    EXPECT_EQ(ReadFile(folder / "Data/CommandList.dat"), bad);  // nothing written over it
  }
  WriteFile(folder / "bad.txt", "[command]\nvalue = lots\n");
  auto r = Run({"catalogue-import", (folder / "bad.txt").string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("line 2"), std::string::npos);
}

TEST_F(Tool, ChecklistsResaveExportAndImport) {
  const std::string raw = test::RandomRawChecklist(rng);
  WriteFile(folder / "Checklists/Twin Jet.dat", raw);
  ASSERT_EQ(Run({"checklist-resave", "Twin Jet"}).status, 0);
  EXPECT_EQ(ReadFile(folder / "Checklists/Twin Jet.dat"), raw);
  ASSERT_EQ(Run({"checklist-export", "Twin Jet", (folder / "tj.txt").string()}).status, 0);
  ASSERT_EQ(Run({"checklist-import", (folder / "tj.txt").string(), "Copy"}).status, 0);
  EXPECT_EQ(ReadFile(folder / "Checklists/Copy.dat"), raw);
  auto names = Run({"checklist-names"});
  EXPECT_TRUE(names.out == "Twin Jet\nCopy\n" || names.out == "Copy\nTwin Jet\n") << names.out;

  WriteFile(folder / "Checklists/Short.dat", raw.substr(0, 100));
  auto r = Run({"checklist-resave", "Short"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.err.starts_with("Talvane Error: There was an error in loading the checklist file Short.dat.\n\n"));
  EXPECT_EQ(ReadFile(folder / "Checklists/Short.dat"), raw.substr(0, 100));
  EXPECT_EQ(Run({"checklist-resave", "Absent"}).status, 1);
  EXPECT_EQ(Run({"checklist-import", (folder / "tj.txt").string(), "../../escape"}).status, 1);
}

TEST_F(Tool, AssignmentsArePrintedAndResaved) {
  const std::string raw = test::RandomRawAssignments(rng, 40);
  WriteFile(folder / "Data/Checklist_Assignments.dat", raw);
  ASSERT_EQ(Run({"assignments-resave"}).status, 0);
  EXPECT_EQ(ReadFile(folder / "Data/Checklist_Assignments.dat"), raw);
  EXPECT_EQ(ReadFile(folder / "Data/Checklist_Assignments.bak"), raw);

  WriteFile(folder / "a.txt",
            "[assignment]\ntitle = Cessna Skyhawk 172SP Paint1  \nchecklist = Light Single Piston\nwriteToKneeboard = 1\n"
            "[assignment]\ntitle = Boeing 737-800\n");
  ASSERT_EQ(Run({"assignments-import", (folder / "a.txt").string()}).status, 0);
  auto r = Run({"assignments"});
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "0\tCessna Skyhawk 172SP Paint1\tLight Single Piston\t1\n1\tBoeing 737-800\t\t0\n");

  WriteFile(folder / "Data/Checklist_Assignments.dat", "\xFF\xFF");
  r = Run({"assignments"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  WriteFile(folder / "Data/Checklist_Assignments.dat", raw.substr(0, 600));
  r = Run({"assignments"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.err.starts_with("Talvane Error: There was an error in loading the Checklist_Assignments.dat file."));
}

TEST_F(Tool, ShippedDataLoads) {
  const std::filesystem::path shipped = TALVANE_PROGRAM_DIR;
  for (const char* cmd : {"catalogue-export", "assignments-export"}) {
    auto r = RunTool({"--program-folder", shipped.string(), cmd, "-"});
    EXPECT_EQ(r.status, 0) << cmd << r.err;
  }
  auto names = RunTool({"--program-folder", shipped.string(), "checklist-names"});
  EXPECT_NE(names.out.find("Light Single Piston"), std::string::npos);
  EXPECT_EQ(RunTool({"--help"}).status, 0);
  EXPECT_EQ(RunTool({"no-such-command"}).status, 2);
}

}  // namespace
}  // namespace talvane
