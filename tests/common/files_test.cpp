#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/files.h"
#include "support/test_support.h"

namespace talvane {
namespace {

using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

TEST(Files, CaseInsensitiveLookupFollowsBackslashes) {
  TempFolder t;
  WriteFile(t / "SimObjects/Airplanes/C172/Aircraft.CFG", "x");
  auto p = FindCaseInsensitive(t.path(), "simobjects\\AIRPLANES\\c172\\aircraft.cfg");
  ASSERT_TRUE(p);
  EXPECT_EQ(*p, t / "SimObjects/Airplanes/C172/Aircraft.CFG");
  EXPECT_FALSE(FindCaseInsensitive(t.path(), "SimObjects\\Helicopters"));
  EXPECT_TRUE(FindCaseInsensitive(t.path() / "SimObjects", "..\\simobjects"));
  EXPECT_FALSE(FindCaseInsensitive(t.path() / "SimObjects", "..\\simobjects", false));
}

TEST(Files, WindowsPathsResolveInsideTheWinePrefix) {
  TempFolder t;
  WriteFile(t / "drive_c/Program Files/FSX/fsx.cfg", "x");
  std::filesystem::create_directories(t / "dosdevices");
  std::filesystem::create_directory_symlink(t / "drive_c", t / "dosdevices/c:");
  std::filesystem::create_directories(t / "d_drive/Games");
  std::filesystem::create_directory_symlink(t / "d_drive", t / "dosdevices/d:");
  ::setenv("WINEPREFIX", t.path().c_str(), 1);
  const fs::path base = t / "d_drive";
  auto p = ResolveSimulatorPath("C:\\PROGRAM FILES\\fsx\\FSX.CFG", base);
  ASSERT_TRUE(p);
  EXPECT_TRUE(FileExists(*p));
  EXPECT_TRUE(ResolveSimulatorPath("d:\\games", base));
  EXPECT_FALSE(ResolveSimulatorPath("E:\\fsx.cfg", base));
  EXPECT_TRUE(ResolveSimulatorPath((t / "DRIVE_C/program files/FSX/fsx.cfg").string(), base));
  // A relative path is found below the folder given, whatever the current directory.
  EXPECT_EQ(ResolveSimulatorPath("GAMES", base), base / "Games");
  EXPECT_FALSE(ResolveSimulatorPath("Program Files", base));
  ::unsetenv("WINEPREFIX");
}

TEST(Files, BackupRotationKeepsThePreviousFile) {
  TempFolder t;
  const auto file = t / "CommandList.dat", bak = t / "CommandList.bak";
  ASSERT_TRUE(WriteWithBackup(file, bak, "one"));
  EXPECT_FALSE(FileExists(bak));  // nothing to keep yet
  ASSERT_TRUE(WriteWithBackup(file, bak, "two"));
  ASSERT_TRUE(WriteWithBackup(file, bak, "three"));
  EXPECT_EQ(ReadFile(file), "three");
  EXPECT_EQ(ReadFile(bak), "two");
}

TEST(Files, AFullDiskLeavesTheOldFile) {
  TempFolder t;
  const auto file = t / "CommandList.dat";
  WriteFile(file, "old contents");
  {
    test::DiskLimit full(16);  // writes beyond 16 bytes fail as on a full disk
    std::string error;
    EXPECT_FALSE(AtomicWriteFile(file, std::string(4096, 'n'), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(WriteWithBackup(file, t / "CommandList.bak", std::string(4096, 'n')));
  }
  EXPECT_EQ(ReadFile(file), "old contents");
  for (const auto& e : std::filesystem::directory_iterator(t.path()))
    EXPECT_EQ(e.path().filename().string().rfind(".CommandList", 0), std::string::npos) << "temporary left behind";
}

// A regular file whose read fails (this process's memory reads EIO at
// address 0) is "cannot be read", not an exception out of the reader.
TEST(Files, AReadErrorIsNoFileNotAnException) {
  std::optional<std::string> read = std::string("x");
  EXPECT_NO_THROW(read = ReadWholeFile("/proc/self/mem"));
  EXPECT_FALSE(read.has_value());
  TempFolder t;
  std::string error;
  EXPECT_FALSE(CopyFileAtomic("/proc/self/mem", t / "copy", &error));
  EXPECT_FALSE(std::filesystem::exists(t / "copy"));
}

TEST(Files, DeleteUntilGoneGivesUpOnFolders) {
  TempFolder t;
  WriteFile(t / "f", "x");
  int yields = 0;
  DeleteFileUntilGone(t / "f", [&] { ++yields; });
  EXPECT_FALSE(FileExists(t / "f"));
  std::filesystem::create_directory(t / "d");
  DeleteFileUntilGone(t / "d");  // returns rather than loop forever
  EXPECT_TRUE(FolderExists(t / "d"));
  EXPECT_TRUE(IsPlainFileName("Twin Jet.dat"));
  EXPECT_FALSE(IsPlainFileName("../x"));
  EXPECT_FALSE(IsPlainFileName(".."));
  EXPECT_FALSE(IsPlainFileName("a\\b"));
}

}  // namespace
}  // namespace talvane
