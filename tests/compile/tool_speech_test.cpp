// talvane-tool compile, voices and speak on a copy of the built program
// folder: the shipped catalogue with every navaid compiles cleanly.
#include <gtest/gtest.h>

#include "common/files.h"
#include "support/test_support.h"

namespace talvane::test {
namespace {

std::string Utf16File(const std::string& ascii_lf) {
  std::string out = "\xFF\xFE";
  for (char c : ascii_lf) {
    if (c == '\n') out += std::string("\r\0", 2);
    out += c;
    out += '\0';
  }
  return out;
}

class compile_ToolSpeech : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy(TALVANE_PROGRAM_DIR, folder.path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    // The shipped lists, when the build has not laid them out yet.
    const fs::path lists = folder / "Data" / "Generic Lists.bnf";
    if (!FileExists(lists)) {
      std::string text = ReadFile(fs::path(TALVANE_SOURCE_DIR) / "data" / "Generic Lists.bnf");
      std::string ascii;
      for (char c : text)
        if (c != '\r') ascii += c;
      WriteFile(lists, Utf16File(ascii));
    }
    WriteFile(prefix / "drive_c/ProgramData/Microsoft/FSX/fsx.cfg", "[Main]\r\n");
  }
  ToolRun Run(std::vector<std::string> args, std::vector<std::string> env = {}) {
    args.insert(args.begin(), {"--program-folder", folder.path().string()});
    env.push_back("WINEPREFIX=" + prefix.path().string());
    return RunTool(args, env);
  }
  TempFolder folder, prefix;
};

TEST_F(compile_ToolSpeech, CompileTheShippedCatalogueWithNavaids) {
  if (!FileExists(folder / "Data" / "Nav_Info.txt")) GTEST_SKIP() << "the build made no navaid lists";
  ASSERT_NE(ReadFile(folder / "TV_Information.cfg").find("compileNavaids=1"), std::string::npos);
  auto r = Run({"compile"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.err, "");
  // The program writes 16; the voice module ships its checklist words beside them.
  EXPECT_EQ(r.out.find("Summary: 17 grammars compiled"), 0u) << r.out;
  EXPECT_NE(r.out.find("; 0 errors, 0 warnings;"), std::string::npos) << r.out;
  for (const char* g : {"Autopilot", "Radios", "Checklists", "ChecklistControl", "Generic Lists", "ChecklistResponses", "Navaid_IDs", "Navaid_Names",
                        "Navaid_ILSs"})
    EXPECT_TRUE(FileExists(folder / "Grammars" / (std::string(g) + ".bgm"))) << g;
  EXPECT_TRUE(FileExists(folder / "Data" / "RuleList.dat"));
  EXPECT_TRUE(FileExists(folder / "Data" / "CommandList.bak"));  // the catalogue was saved first
}

TEST_F(compile_ToolSpeech, CompileErrorsAreReported) {
  // A source the writers did not make, left in the grammar folder.
  WriteFile(folder / "Grammars" / "Broken.bnf", Utf16File("!grammar \"Broken\";\n!start<B>;\n<B>: (one;\n"));
  auto r = Run({"compile"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("Broken.bnf, line 3, column 6: error: the group opened here is not closed"), std::string::npos)
      << r.out;
  EXPECT_NE(r.err.find("Grammar Compile Error: \nThere was an error while compiling your grammar files."),
            std::string::npos)
      << r.err;
}

TEST_F(compile_ToolSpeech, VoicesAndSpeak) {
  auto v = Run({"voices"});
  ASSERT_EQ(v.status, 0) << v.err;
  EXPECT_EQ(v.out, "1 Samantha (US English)\n2 Tom (US English)\n3 Daniel (UK English)\n4 Emily (UK English)\n");
  const fs::path wav = folder / "speech.wav";
  auto s = Run({"speak", "--voice", "4", "Before", "landing", "checklist"}, {"KELO_WAV=" + wav.string()});
  ASSERT_EQ(s.status, 0) << s.err;
  const std::string bytes = ReadFile(wav);
  ASSERT_GT(bytes.size(), 44u + 22050u);  // at least half a second
  EXPECT_EQ(bytes.substr(0, 4), "RIFF");
  EXPECT_EQ(Run({"speak", "--voice"}).status, 1);
  EXPECT_EQ(Run({"speak"}).status, 2);
}

}  // namespace
}  // namespace talvane::test
