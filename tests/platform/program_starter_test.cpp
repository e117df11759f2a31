// Starting the simulator and the voice module: which files run and how, in
// which working folder, and what refuses to start.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <thread>

#include "common/files.h"
#include "platform/program_starter.h"
#include "support/test_support.h"
#include "test_processes.h"

namespace talvane::platform {
namespace {

using test::ReadFile;
using test::TempFolder;
using test::WriteFile;
using namespace std::chrono_literals;

void WriteProgram(const fs::path& p, const std::string& text, bool executable = true) {
  WriteFile(p, text);
  ::chmod(p.c_str(), executable ? 0755 : 0644);
}

// What a started program left in `file`, once it has written it whole (the
// programs end their report with a line "end").
std::string WaitForReport(const fs::path& file) {
  for (const auto end = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < end;) {
    if (const auto text = ReadWholeFile(file); text && text->ends_with("end\n")) return *text;
    std::this_thread::sleep_for(20ms);
  }
  return {};
}

std::string Cwd() {
  char buffer[4096];
  return ::getcwd(buffer, sizeof buffer) ? buffer : "";
}

// A program that writes its working folder and arguments into "report" there.
constexpr const char* kReportingScript = "#!/bin/sh\nprintf '%s\\n' \"$(pwd)\" \"$@\" end > report\n";

TEST(ProgramStarter, NativeProgramRunsInItsFolderAndLeavesOursAlone) {
  TempFolder sim;
  // Files of the simulator keep the letter case of a case-insensitive world.
  WriteProgram(sim / "FSX.EXE", kReportingScript);
  const std::string before = Cwd();
  SpawnProgramStarter starter;
  ASSERT_TRUE(starter.Start(sim.path(), "fsx.exe"));
  EXPECT_EQ(Cwd(), before);
  EXPECT_EQ(WaitForReport(sim / "report"), fs::canonical(sim.path()).string() + "\nend\n");
}

// Processes (running or ended but not yet waited for) whose parent we are.
int ChildCount() {
  int count = 0;
  for (const auto& e : fs::directory_iterator("/proc")) {
    const auto stat = ReadWholeFile(e.path() / "stat");
    if (!stat) continue;
    // "pid (name) state ppid ...": the name may hold spaces and parentheses.
    const auto close = stat->rfind(')');
    if (close == std::string::npos) continue;
    char state = 0;
    int ppid = 0;
    if (std::sscanf(stat->c_str() + close + 1, " %c %d", &state, &ppid) == 2 && ppid == ::getpid()) ++count;
  }
  return count;
}

TEST(ProgramStarter, NativeElfProgramStartsAndIsWaitedFor) {
  TempFolder sim;
  fs::copy_file("/bin/true", sim / "quarrow");
  ASSERT_EQ(ChildCount(), 0);
  SpawnProgramStarter starter;
  ASSERT_TRUE(starter.Start(sim.path(), "Quarrow"));
  // It ends at once; no zombie may stay behind.
  int left = 1;
  for (int i = 0; i < 250 && (left = ChildCount()) != 0; ++i) std::this_thread::sleep_for(20ms);
  EXPECT_EQ(left, 0);
}

TEST(ProgramStarter, WhatCannotRunIsRefused) {
  TempFolder sim;
  WriteProgram(sim / "notes.txt", "#!/bin/sh\ntouch ran\n", false);   // no execute bit
  WriteProgram(sim / "plain.sh", "touch ran\n");                       // executable, but no program
  WriteProgram(sim / "empty", "");
  fs::create_directories(sim / "folder.exe");
  SpawnProgramStarter starter;
  for (const char* name : {"notes.txt", "plain.sh", "empty", "folder.exe", "missing.exe", "", "../x", "."}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(starter.Start(sim.path(), name));
  }
  EXPECT_FALSE(starter.Start(sim / "no such folder", "notes.txt"));
  std::this_thread::sleep_for(100ms);
  EXPECT_FALSE(fs::exists(sim / "ran"));
}

// Windows programs run through Wine, which is not installed here: a stand-in
// on PATH records how it was called.
TEST(ProgramStarter, WindowsProgramRunsThroughWineOnPath) {
  TempFolder sim, bin;
  WriteProgram(sim / "Fsx.exe", std::string("MZ\x90\0\3\0", 6), false);
  SpawnProgramStarter starter;
  {
    test::ScopedEnv path("PATH", bin.path().string());
    EXPECT_FALSE(starter.Start(sim.path(), "fsx.exe")) << "no wine";
    WriteProgram(bin / "wine", kReportingScript, false);
    EXPECT_FALSE(starter.Start(sim.path(), "fsx.exe")) << "a wine that cannot run";
  }
  {
    WriteProgram(bin / "wine", kReportingScript);
    test::ScopedEnv path("PATH", ":relative:" + bin.path().string());
    ASSERT_TRUE(starter.Start(sim.path(), "FSX.EXE"));
  }
  const std::string folder = fs::canonical(sim.path()).string();
  EXPECT_EQ(WaitForReport(sim / "report"), folder + "\n" + (sim / "Fsx.exe").string() + "\nend\n");
}

}  // namespace
}  // namespace talvane::platform
