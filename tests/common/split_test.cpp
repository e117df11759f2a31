// Cutting text at separators and into lines: empty pieces between
// separators vanish, empty lines do not.
#include <gtest/gtest.h>

#include "common/split.h"

namespace talvane {
namespace {

using Pieces = std::vector<std::string>;
using Lines = std::vector<std::string_view>;

TEST(Split, SeparatorRunsAndEndsGiveNoEmptyPieces) {
  EXPECT_EQ(SplitAt("", " \t"), Pieces{});
  EXPECT_EQ(SplitAt(" \t ", " \t"), Pieces{});
  EXPECT_EQ(SplitAt("\tK  AE1 T ", " \t"), (Pieces{"K", "AE1", "T"}));
  EXPECT_EQ(SplitAt("x-ray", "-_.,"), (Pieces{"x", "ray"}));
  EXPECT_EQ(SplitAt("..a_,b.", "-_.,"), (Pieces{"a", "b"}));
  EXPECT_EQ(SplitAt("abc", ""), Pieces{"abc"});
}

TEST(Split, LinesKeepEmptyOnesButNotAFinalEnd) {
  EXPECT_EQ(SplitLines(""), Lines{});
  EXPECT_EQ(SplitLines("\n"), Lines{""});
  EXPECT_EQ(SplitLines("a\n\nb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(SplitLines("a\r\nb\n"), (Lines{"a\r", "b"}));
}

}  // namespace
}  // namespace talvane
