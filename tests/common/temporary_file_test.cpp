// WriteTemporaryBeside, the first half of an atomic replacement for writers
// that land several files together: the target is untouched until the
// caller renames, and a failure leaves nothing behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "common/files.h"
#include "support/test_support.h"

namespace talvane {
namespace {

using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

TEST(TemporaryFile, WrittenBesideTheTargetWhichStaysAsItWas) {
  TempFolder t;
  const fs::path target = t / "Autopilot.bgm";
  WriteFile(target, "old");
  ::chmod(target.c_str(), 0600);
  std::string error;
  const auto tmp = WriteTemporaryBeside(target, "new", &error);
  ASSERT_TRUE(tmp) << error;
  EXPECT_EQ(tmp->parent_path(), target.parent_path());
  EXPECT_NE(*tmp, target);
  EXPECT_EQ(ReadFile(*tmp), "new");
  EXPECT_EQ(ReadFile(target), "old");
  // It takes the target's permissions, so the rename changes only the bytes.
  struct stat st {};
  ASSERT_EQ(::stat(tmp->c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  // A second one never reuses the first's name.
  const auto other = WriteTemporaryBeside(target, "newer");
  ASSERT_TRUE(other);
  EXPECT_NE(*other, *tmp);
}

TEST(TemporaryFile, FailureLeavesNothingAndSaysWhy) {
  TempFolder t;
  std::string error;
  EXPECT_FALSE(WriteTemporaryBeside(t / "missing" / "x.bgm", "bytes", &error));
  EXPECT_NE(error.find("cannot create a file in"), std::string::npos) << error;
  EXPECT_TRUE(fs::is_empty(t.path()));
}

}  // namespace
}  // namespace talvane
