// Loading the outside libraries from the program folder: the guard, missing
// and broken libraries, and real calls into both.
#include <gtest/gtest.h>

#include "common/files.h"
#include "outside/outside_libraries.h"
#include "support/test_support.h"

namespace talvane {
namespace {

using test::WriteFile;

TEST(compile_OutsideLibraries, NothingIsCalledBeforeTheLibrariesAreReady) {
  test::ProgramFixture f;
  OutsideLibraries libs(f.ctx);
  EXPECT_EQ(libs.fnBinCompile_Call(0, 0, 0), OutsideLibraries::kNotCalled);
  EXPECT_EQ(libs.fnKELOspeak_Call(0, 0, 0, 0, "0"), OutsideLibraries::kNotCalled);
  SREC_COMMAND_OBJECT terminate{SR_TERMINATE, 0, nullptr};
  EXPECT_EQ(libs.fnOndrixDLL_Call(&terminate), OutsideLibraries::kNotCalled);
  EXPECT_EQ(libs.OndrixTerminateNow(), OutsideLibraries::kNotCalled);
  EXPECT_TRUE(f.ui.messages.empty());  // not even an attempt to load
}

TEST(compile_OutsideLibraries, MissingAndBrokenLibrariesAreReportedOnce) {
  test::ProgramFixture f;
  WriteFile(f.folder / "libkelo.so", "this is not a shared library");
  OutsideLibraries libs(f.ctx);
  libs.SpeechLibrariesReady = true;
  EXPECT_EQ(libs.fnBinCompile_Call(0, 0, 0), OutsideLibraries::kNotCalled);
  EXPECT_EQ(libs.fnBinCompile_Call(1, 0, 1), OutsideLibraries::kNotCalled);
  ASSERT_EQ(f.ui.messages.size(), 1u);
  const Message& m = f.ui.messages[0];
  EXPECT_EQ(m.title, "Talvane Error");
  EXPECT_EQ(m.icon, kIconError);
  EXPECT_EQ(m.text.find("The speech library libgrisk.so could not be loaded from the program folder "), 0u) << m.text;
  EXPECT_NE(m.text.find("libgrisk.so: cannot open shared object file"), std::string::npos) << m.text;

  for (int v = 1; v <= 4; ++v) EXPECT_EQ(libs.fnKELOspeak_Call(5, v, 0, 0, "0"), OutsideLibraries::kNotCalled);
  ASSERT_EQ(f.ui.messages.size(), 2u);
  EXPECT_NE(f.ui.messages[1].text.find("libkelo.so"), std::string::npos);
  SREC_COMMAND_OBJECT terminate{SR_TERMINATE, 0, nullptr};
  EXPECT_EQ(libs.fnOndrixDLL_Call(&terminate), OutsideLibraries::kNotCalled);
  EXPECT_EQ(libs.OndrixTerminateNow(), OutsideLibraries::kNotCalled);
  EXPECT_EQ(f.ui.messages.size(), 3u);

  // A library without the entry point is refused by name too.
  test::ProgramFixture g;
  CopyFileAtomic(TALVANE_PROGRAM_DIR "/libkelo.so", g.folder / "libgrisk.so");
  OutsideLibraries other(g.ctx);
  other.SpeechLibrariesReady = true;
  EXPECT_EQ(other.fnBinCompile_Call(0, 0, 0), OutsideLibraries::kNotCalled);
  ASSERT_EQ(g.ui.messages.size(), 1u);
  EXPECT_NE(g.ui.messages[0].text.find("it has no entry point fnBinCompile_Call"), std::string::npos);
}

TEST(compile_OutsideLibraries, CallsReachTheLibrariesInTheProgramFolder) {
  test::ProgramFixture f;
  for (const char* file : {"libkelo.so", "libgrisk.so", "grisk-g2p"})
    ASSERT_TRUE(CopyFileAtomic(fs::path(TALVANE_PROGRAM_DIR) / file, f.folder / file));
  fs::permissions(f.folder / "grisk-g2p", fs::perms::owner_exec, fs::perm_options::add);
  const fs::path elsewhere = fs::current_path();
  OutsideLibraries libs(f.ctx);
  libs.SpeechLibrariesReady = true;
  EXPECT_EQ(libs.fnKELOspeak_Call(0, 0, 0, 0, "0"), 0);
  EXPECT_TRUE(FileExists(f.folder / "kelolog_utf.txt"));  // the library works in the program folder
  EXPECT_EQ(libs.fnKELOspeak_Call(5, 2, 0, 0, "0"), 0);
  EXPECT_EQ(libs.fnBinCompile_Call(0, 0, 0), 0);
  EXPECT_NE(libs.fnBinCompile_Call(1, 0, 1), 0);  // no grammar sources
  EXPECT_TRUE(FileExists(f.folder / "Grammars" / "grmcmplog.txt"));
  EXPECT_EQ(fs::current_path(), elsewhere);
  EXPECT_TRUE(f.ui.messages.empty());
}

}  // namespace
}  // namespace talvane
