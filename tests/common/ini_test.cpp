#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/ini.h"
#include "support/test_support.h"

namespace talvane {
namespace {

using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

IniDocument Doc(const std::string& text) { return IniDocument::Parse(text); }

TEST(IniRead, NamesAreTrimmedAndCaseInsensitive) {
  auto d = Doc("[Main]\r\n  copilotVoice  =   3  \r\n[List.0]\r\nname=[ALT]\r\n");
  EXPECT_EQ(d.ReadInt("MAIN", " COPILOTVOICE "), 3);
  EXPECT_EQ(d.ReadInt(" main ", "copilotvoice"), 3);
  EXPECT_EQ(d.ReadString("list.0", "NAME"), "[ALT]");
  // Spaces inside the brackets are forgiven too: simulator files have them.
  EXPECT_EQ(Doc("[ fltsim.0 ]\ntitle=A\n").ReadString("fltsim.0", "title"), "A");
}

TEST(IniRead, MissingKeysAndSectionsReadEmptyOrZero) {
  auto d = Doc("[Main]\nmicrophone=\nbare\nspaces=     \n");
  EXPECT_EQ(d.ReadString("Main", "nothing"), "");
  EXPECT_EQ(d.ReadString("Nowhere", "microphone"), "");
  EXPECT_EQ(d.ReadInt("Nowhere", "x"), 0);
  EXPECT_EQ(d.ReadString("Main", "microphone"), "");
  EXPECT_EQ(d.ReadString("Main", "bare"), "");  // a key without '=' has no value
  EXPECT_EQ(d.ReadString("Main", "spaces"), "");
  EXPECT_FALSE(d.Lookup("Main", "bare").has_value());
  // Keys above the first section belong to no section.
  EXPECT_EQ(Doc("x=1\n[Main]\n").ReadString("Main", "x"), "");
}

TEST(IniRead, FirstDuplicateWinsAndOnlyTheFirstSectionIsSearched) {
  auto d = Doc("[Main]\nk=first\nk=second\n[Main]\nk=third\nother=4\n");
  EXPECT_EQ(d.ReadString("Main", "k"), "first");
  EXPECT_EQ(d.ReadString("Main", "other"), "");
}

TEST(IniRead, ValuesAreTrimmedUnquotedAndLimited) {
  auto d = Doc(std::string("[S]\nq=\"  x  \"\ns='y'\nm=\"x'\nlone=\"\ntab=\t v \t\nnul=a") + '\0' +
               "b\nlong=" + std::string(600, 'v') + "\nqlong=\"" + std::string(600, 'w') + "\"\n");
  EXPECT_EQ(d.Lookup("S", "q").value(), "  x  ");
  EXPECT_EQ(d.ReadString("S", "q"), "x");
  EXPECT_EQ(d.ReadString("S", "s"), "y");
  EXPECT_EQ(d.ReadString("S", "m"), "\"x'");
  EXPECT_EQ(d.ReadString("S", "lone"), "\"");
  EXPECT_EQ(d.ReadString("S", "tab"), "v");
  EXPECT_EQ(d.ReadString("S", "nul"), "a b");
  EXPECT_EQ(d.ReadString("S", "long"), std::string(511, 'v'));
  EXPECT_EQ(d.ReadString("S", "qlong"), std::string(511, 'w'));
}

TEST(IniRead, IntegersAreReadAsThePlatformReadsThem) {
  struct Case {
    const char* text;
    std::int32_t value;
  } cases[] = {{"1", 1},           {"-1", -1},          {"+1", 1},         {"  12", 12},
               {"4294967296", 0},  {"4294967297", 1},   {"-4294967297", -1}, {"42A94967297", 42},
               {"B4294967297", 0}, {"0x10", 0},         {"\"7\"", 7},      {"", 0},
               {"2147483648", INT32_MIN}, {"000000000000000000000000000001", 0}, {"-", 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(Doc(std::string("[S]\nk=") + c.text + "\n").ReadInt("S", "k"), c.value) << c.text;
  }
}

TEST(IniRead, ByteOrderMarksAreUnderstood) {
  EXPECT_EQ(Doc("\xEF\xBB\xBF[Main]\nname=caf\xC3\xA9\n").ReadString("Main", "name"), "caf\xE9");
  std::string u16 = "\xFF\xFE";
  for (char c : std::string("[M]\r\nk=v\r\n")) {
    u16 += c;
    u16 += '\0';
  }
  EXPECT_EQ(Doc(u16).ReadString("M", "k"), "v");
}

TEST(IniWrite, ChangesOnlyTheKeyLine) {
  const std::string before = "; comment\r\n[Main]\r\n  CopilotVoice = 1\r\nmicrophone=x\r\n\r\n[List.0]\r\nname=[A]";
  const std::string after = SetIniValue(before, "main", "copilotVoice", "3");
  EXPECT_EQ(after, "; comment\r\n[Main]\r\nCopilotVoice=3\r\nmicrophone=x\r\n\r\n[List.0]\r\nname=[A]");
  // LF files keep LF; the last line keeps its missing line end.
  EXPECT_EQ(SetIniValue("[a]\nk=1", "a", "k", "2"), "[a]\nk=2");
}

TEST(IniWrite, AddsMissingKeysSectionsAndFiles) {
  EXPECT_EQ(SetIniValue("[Main]\r\na=1\r\n\r\n[Other]\r\nb=2\r\n", "Main", "c", "3"),
            "[Main]\r\na=1\r\nc=3\r\n\r\n[Other]\r\nb=2\r\n");
  EXPECT_EQ(SetIniValue("[Main]\r\na=1", "Main", "c", "3"), "[Main]\r\na=1\r\nc=3\r\n");
  EXPECT_EQ(SetIniValue("[Main]\r\na=1\r\n", "New", "k", "v"), "[Main]\r\na=1\r\n\r\n[New]\r\nk=v\r\n");
  EXPECT_EQ(SetIniValue("", "Main", "k", "v"), "[Main]\r\nk=v\r\n");
  // Only the first of two sections of a name is written, as it is the one read.
  EXPECT_EQ(SetIniValue("[M]\nx=1\n[M]\nk=2\n", "M", "k", "3"), "[M]\nx=1\nk=3\n[M]\nk=2\n");
}

TEST(IniWrite, ValuesCannotBreakTheFile) {
  auto text = SetIniValue("[Main]\r\nk=1\r\nnext=2\r\n", "Main", "k", "a\r\n[Evil]\r\nnext=9");
  auto d = Doc(text);
  EXPECT_EQ(d.ReadString("Main", "next"), "2");
  EXPECT_EQ(d.ReadString("Evil", "next"), "");
}

TEST(IniWrite, FileIsReplacedWholeOrNotAtAll) {
  TempFolder t;
  const auto file = t / "TV_Information.cfg";
  EXPECT_TRUE(WriteIniValue("Main", "copilotVoice", "2", file));
  EXPECT_EQ(ReadIniInt("Main", "copilotVoice", file), 2);
  EXPECT_EQ(ReadIniString("main", "COPILOTVOICE", file), "2");
  ::chmod(file.c_str(), 0640);
  EXPECT_TRUE(WriteIniValue("Main", "microphone", "Key 32", file));
  EXPECT_EQ(ReadFile(file), "[Main]\r\ncopilotVoice=2\r\nmicrophone=Key 32\r\n");
  struct stat st {};
  ::stat(file.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);

  if (::geteuid() != 0) {  // root writes into read-only folders anyway
    ::chmod(t.path().c_str(), 0555);
    std::string error;
    EXPECT_FALSE(WriteIniValue("Main", "copilotVoice", "9", file, &error));
    EXPECT_FALSE(error.empty());
    ::chmod(t.path().c_str(), 0755);
    EXPECT_EQ(ReadIniInt("Main", "copilotVoice", file), 2);
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(t.path()), {}), 1);  // no temporary left
  EXPECT_EQ(ReadIniString("Main", "copilotVoice", t / "missing.cfg"), "");
}

}  // namespace
}  // namespace talvane
