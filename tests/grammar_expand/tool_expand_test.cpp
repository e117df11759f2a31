// The talvane-tool commands of phrase expansion, the script and grammar encoding.
#include <gtest/gtest.h>

#include "support/test_support.h"

namespace talvane {
namespace {

TEST(ToolExpand, PhraseEntriesAsHeld) {
  auto r = test::RunTool({"expand-phrase", "flaps [up|down|]"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "flaps \nflaps down\nflaps up\n");

  r = test::RunTool({"expand-phrase", "gear (down]"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("Grammar Error: Error in "), std::string::npos);

  EXPECT_EQ(test::RunTool({"expand-phrase", std::string(257, 'a')}).status, 2);
  r = test::RunTool({"roman", "1994"});
  EXPECT_EQ(r.out, "MCMXCIV\n");
  EXPECT_EQ(test::RunTool({"roman", "x"}).status, 2);
}

TEST(ToolExpand, ShippedCatalogueExpandsAndScripts) {
  auto r = test::RunTool({"--program-folder", TALVANE_PROGRAM_DIR, "expand", "0", "0"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(r.out.empty());
  EXPECT_EQ(test::RunTool({"--program-folder", TALVANE_PROGRAM_DIR, "expand", "0", "999"}).status, 2);

  test::TempFolder tmp;
  r = test::RunTool({"--program-folder", TALVANE_PROGRAM_DIR, "script", (tmp / "s.rtf").string()});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string doc = test::ReadFile(tmp / "s.rtf");
  EXPECT_EQ(doc.rfind("{\\rtf1\\ansi", 0), 0u);
  EXPECT_TRUE(doc.ends_with("\\pard\n}\n"));
  EXPECT_NE(doc.find("\\b\\fs28 I.  "), std::string::npos);
}

TEST(ToolExpand, BnfEncodeWritesUtf16WithCrLf) {
  test::TempFolder tmp;
  test::WriteFile(tmp / "in.bnf", "\xEF\xBB\xBF!grammar \"G\xC3\xA9\";\r\n\n<A>: x;");
  ASSERT_EQ(test::RunTool({"bnf-encode", (tmp / "in.bnf").string(), (tmp / "out.bnf").string()}).status, 0);
  const std::string expected("\xFF\xFE!\0g\0r\0a\0m\0m\0a\0r\0 \0\"\0G\0\xE9\0\"\0;\0\r\0\n\0\r\0\n\0<\0A\0>\0:\0 \0x\0;\0\r\0\n\0",
                             2 + 2 * 27);
  EXPECT_EQ(test::ReadFile(tmp / "out.bnf"), expected);

  test::WriteFile(tmp / "bad.bnf", "\xE9");
  EXPECT_EQ(test::RunTool({"bnf-encode", (tmp / "bad.bnf").string(), (tmp / "x.bnf").string()}).status, 1);
}

}  // namespace
}  // namespace talvane
