#include <gtest/gtest.h>

#include "common/fixed_text.h"
#include "common/record_text.h"
#include "common/text.h"
#include "support/test_support.h"

namespace talvane {
namespace {

TEST(Text, TrimOnlyRemovesSpaces) {
  EXPECT_EQ(Trim("  a b  "), "a b");
  EXPECT_EQ(Trim("\tx\t"), "\tx\t");  // the program's Trim leaves tabs alone
  EXPECT_EQ(Trim("    "), "");
  EXPECT_EQ(TrimRight("  a  "), "  a");
}

TEST(Text, CaseMappingCoversTheCodePage) {
  EXPECT_EQ(Upper("radios"), "RADIOS");
  EXPECT_EQ(Upper("\xE9t\xE9"), "\xC9T\xC9");        // été
  EXPECT_EQ(Lower("\xC9T\xC9"), "\xE9t\xE9");
  EXPECT_EQ(Upper("\x9A\x9C\x9E\xFF"), "\x8A\x8C\x8E\x9F");  // š œ ž ÿ
  EXPECT_EQ(Upper("\xF7\xDF"), "\xF7\xDF");          // ÷ and ß have no capital here
  EXPECT_TRUE(SameName("  Autopilot ", "AUTOPILOT"));
  EXPECT_FALSE(SameName("Autopilot", "Auto pilot"));
}

TEST(Text, FixedFieldsPadAndCut) {
  EXPECT_EQ(FixedField("abc", 5), "abc  ");
  EXPECT_EQ(FixedField("abcdef", 3), "abc");
  FixedText<4> f("toolong");
  EXPECT_EQ(f.str(), "tool");
  f = FixedText<4>(" a");
  EXPECT_EQ(f.str(), " a  ");
  EXPECT_EQ(f.trimmed(), "a");
  EXPECT_EQ(FixedText<3>().str(), "   ");
}

TEST(Text, Cp1252RoundTripsThroughUnicode) {
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
  EXPECT_EQ(Utf16ToCp1252(Cp1252ToUtf16(all)), all);
  EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");  // euro sign
  EXPECT_EQ(Utf8ToCp1252("\xE2\x82\xAC"), "\x80");
  // Characters the code page cannot hold, and broken UTF-8, become '?'.
  EXPECT_EQ(Utf8ToCp1252("a\xE6\x97\xA5z"), "a?z");
  EXPECT_EQ(Utf8ToCp1252("a\xC3"), "a?");
  EXPECT_EQ(Utf8ToCp1252("\xFF"), "?");
  EXPECT_TRUE(IsValidUtf8("\xC3\xA9"));
  EXPECT_FALSE(IsValidUtf8("\xE9t\xE9"));
}

TEST(Text, ReplaceNoCaseAndParagraphs) {
  EXPECT_EQ(ReplaceNoCase("A.DAT.dat", ".dat", ""), "A");
  EXPECT_EQ(ReplaceNoCase("abc", "", "x"), "abc");
  EXPECT_EQ(Paragraphs({"a", "b", "c"}), "a\r\rb\r\rc");
}

TEST(RecordText, ValuesRoundTripExactly) {
  std::mt19937 rng(7);
  for (int i = 0; i < 2000; ++i) {
    std::string v = TrimRight(test::RandomAnsi(rng, rng() % 40));
    std::string line = RecordLine("k", v);
    auto blocks = ParseRecordText("[x]\n" + line);
    ASSERT_EQ(blocks.size(), 1u);
    ASSERT_EQ(blocks[0].fields.size(), 1u);
    EXPECT_EQ(DecodeRecordValue(blocks[0].fields[0].raw), v) << line;
  }
  EXPECT_EQ(EncodeRecordValue("plain text"), "plain text");
  EXPECT_EQ(EncodeRecordValue(" lead"), "\" lead\"");
  EXPECT_EQ(EncodeRecordValue("caf\xE9"), "caf\xC3\xA9");
}

TEST(RecordText, MalformedLinesNameTheLine) {
  try {
    ParseRecordText("[a]\nok = 1\n\nno equals sign\n");
    FAIL();
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()).find("line 4"), std::string::npos);
  }
  EXPECT_THROW(ParseRecordText("k = v\n"), std::exception);          // before any block
  EXPECT_THROW(ParseRecordText("[a]\nk = \"open\n"), std::exception);  // unclosed quote
  EXPECT_THROW(ParseRecordText("[a]\nk = \"\\q\"\n"), std::exception);
  auto b = ParseRecordText("# c\r\n[a]\r\n  k =  v  \r\n");
  EXPECT_EQ(DecodeRecordValue(b[0].fields[0].raw), "v");
}

}  // namespace
}  // namespace talvane
