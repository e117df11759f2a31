// talvane-tool write-grammars / write-test-grammar, and the shipped navaid
// lists when the build has made them.
#include "catalogue/command_catalogue.h"
#include "grammar/navaid_grammar.h"
#include "grammar_test_support.h"

namespace talvane::test {
namespace {

class ToolGrammar : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(f.folder / "Grammars" / "Test");
    WriteFile(prefix / "drive_c/ProgramData/Microsoft/FSX/fsx.cfg", "[Main]\r\n");
    WriteFile(f.folder / "TV_Information.cfg",
              "[Main]\r\nnumLists=0\r\nnumChecklistResponse=1\r\ncompileNavaids=1\r\n[List.0]\r\nname=[ALT]\r\n"
              "[checklistResponse.0]\r\nresponse=SET\r\nfunctionNumber=50002\r\n"
              "[checklistResponse.1]\r\nresponse=On\r\nfunctionNumber=50004\r\n");
    CommandCatalogue c;
    c.CommandList.push_back(Command("Autopilot", "ap_alt_set", 65, {"set altitude (to) <ALT>"}));
    c.CommandList.push_back(Command("Radios", "RADIO_NAV1_SELECT_VOR", 11, {"nav one <NAV_ID>", "nav one <NAV_NAME>"}));
    WriteFile(f.folder / "Data" / "CommandList.dat", SerializeCommandList(c));
    WriteFile(f.folder / "Data" / "Nav_Info.txt", "SEA|Seattle|116.80\r\nPAE|Paine|110.60\r\n");
    WriteFile(f.folder / "Data" / "ILS_Info.txt", "KSEA|16L|KSEA|16L\r\n");
  }
  ToolRun Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--program-folder", f.folder.path().string()});
    return RunTool(args, {"WINEPREFIX=" + prefix.path().string()});
  }
  GrammarFixture f;
  TempFolder prefix;
};

TEST_F(ToolGrammar, WriteGrammars) {
  auto r = Run({"write-grammars"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  for (const char* name : {"Autopilot.bnf", "Radios.bnf", "ChecklistResponses.bnf", "Generic Lists.bnf",
                           "Navaid_IDs.bnf", "Navaid_Names.bnf", "Navaid_ILSs.bnf"})
    EXPECT_TRUE(FileExists(f.Grammars(name))) << name;
  EXPECT_NE(ReadGrammar(f.Grammars("ChecklistResponses.bnf")).find("\t\t(on|awn)\r\n"), std::string::npos);
  EXPECT_NE(ReadGrammar(f.Grammars("Navaid_Names.bnf")).find("\t| !ignore(paine)!action(\"110.60\")\r\n"),
            std::string::npos);
}

TEST_F(ToolGrammar, WriteTestGrammar) {
  auto r = Run({"write-test-grammar", "1", "1"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(ReadGrammar(f.folder / "Grammars" / "Test" / "Test.bnf").find("\t\tnav one <NAV_NAME>\r\n"),
            std::string::npos);
  EXPECT_TRUE(FileExists(f.folder / "Grammars" / "Test" / "Navaid_ILSs.bnf"));
  EXPECT_EQ(Run({"write-test-grammar", "1", "2"}).status, 1);
  EXPECT_EQ(Run({"write-test-grammar", "x", "0"}).status, 2);
}

TEST_F(ToolGrammar, Failures) {
  WriteFile(f.folder / "Data" / "Nav_Info.txt", "SEATTLE|Seattle|116.80\r\n");
  auto r = Run({"write-grammars"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "talvane-tool: writing the grammar files failed\n");
  // What was written before the failure stays written.
  EXPECT_TRUE(FileExists(f.Grammars("Autopilot.bnf")));
  EXPECT_FALSE(FileExists(f.Grammars("Navaid_IDs.bnf")));

  WriteFile(f.folder / "Data" / "ILS_Info.txt", "KSEA|16L\r\n");
  r = Run({"write-grammars"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "Talvane Fatal Error: There was an error in your ILS_Info.txt file.\n\nTalvane will not be able to "
            "load.\n\nPress OK to Exit.\n");
}

// The lists the build makes from the public navaid data must load and give
// grammars a recogniser can use: short identifiers, plain spoken names,
// tags that stay plain text inside their quotes.
TEST(ShippedNavaids, LoadAndComposeCleanly) {
  const fs::path data = fs::path(TALVANE_PROGRAM_DIR) / "Data";
  if (!FileExists(data / "Nav_Info.txt") || !FileExists(data / "ILS_Info.txt"))
    GTEST_SKIP() << "the build has no navaid lists (no navaid data beside the sources)";
  NavaidLists l;
  l.NavaidList = ParseNavaidList(ReadFile(data / "Nav_Info.txt"));
  l.ILSList = ParseILSList(ReadFile(data / "ILS_Info.txt"));
  EXPECT_GT(l.NavaidList.size(), 5000u);
  EXPECT_GT(l.ILSList.size(), 2000u);
  for (const auto& r : l.NavaidList) {
    ASSERT_TRUE(NavIdPhrase(r)) << r.navId;
    for (char c : r.navName)
      ASSERT_TRUE((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == ' ' || c == '\'') << r.navName;
    for (char c : r.navTag) ASSERT_TRUE((c >= '0' && c <= '9') || c == '.') << r.navTag;
  }
  for (const auto& r : l.ILSList) ASSERT_TRUE(ILSPhrase(r)) << r.airportId << " " << r.runway;
  for (auto which : {NavaidGrammar::kIds, NavaidGrammar::kNames, NavaidGrammar::kILSs})
    EXPECT_TRUE(ComposeNavaidGrammar(which, l));
}

}  // namespace
}  // namespace talvane::test
