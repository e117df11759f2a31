// The talvane-tool commands of phrase expansion, the script and grammar encoding.
#include <gtest/gtest.h>

#include "support/test_support.h"

namespace talvane {
namespace {

namespace fs = std::filesystem;

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

  // The shipped source: the installed copy, once laid out, is its encoding.
  const std::string source = std::string(TALVANE_SOURCE_DIR) + "/data/Generic Lists.bnf";
  ASSERT_EQ(test::RunTool({"bnf-encode", source, (tmp / "gl.bnf").string()}).status, 0);
  const std::string encoded = test::ReadFile(tmp / "gl.bnf");
  std::string ascii;
  for (std::size_t i = 2; i + 1 < encoded.size(); i += 2) ascii += encoded[i];
  EXPECT_EQ(ascii.substr(ascii.size() - 3), ";\r\n");
  EXPECT_EQ(ascii.find("\n\n"), std::string::npos);
  const fs::path installed = fs::path(TALVANE_PROGRAM_DIR) / "Data" / "Generic Lists.bnf";
  if (fs::exists(installed)) {
    EXPECT_EQ(test::ReadFile(installed), encoded);
  }

  test::WriteFile(tmp / "bad.bnf", "\xE9");
  EXPECT_EQ(test::RunTool({"bnf-encode", (tmp / "bad.bnf").string(), (tmp / "x.bnf").string()}).status, 1);
}

}  // namespace
}  // namespace talvane
