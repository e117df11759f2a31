// The guard against inverted commands: the pairs file, the swaps it
// searches for a result, the manifest keys that switch it
// on, and a recognition of synthesised speech with the shipped pairs.
#include <gtest/gtest.h>

#include "common/files.h"
#include "common/split.h"
#include "common/text.h"
#include "grisk/language_model.h"
#include "support/test_support.h"
#include "vocon/antonym_guard.h"

namespace talvane::vocon {
namespace {

using Words = std::vector<std::string>;

AntonymPairs Pairs() { return AntonymPairs::Parse("on off\nup down\nincrease decrease\nincrease reduce\n"); }

TEST(vocon_AntonymGuard, ReadsPairsSkippingCommentsAndMalformedLines) {
  std::vector<int> skipped;
  const auto p = AntonymPairs::Parse(
      "# a comment\n"
      "  # an indented one\n"
      "\n"
      "ON\tOff\r\n"             // 4: case and tabs, Windows line end
      "up\n"                    // 5: one word
      "up down left\n"          // 6: three
      "same same\n"             // 7: a word with itself
      "increase decrease\n"     // 8
      "reduce increase\n"       // 9: the word in a second pair
      "on off\n"                // 10: listed again
      "arm disarm",             // 11: no line end
      &skipped);
  EXPECT_EQ(skipped, (std::vector<int>{5, 6, 7}));
  EXPECT_EQ(p.Of("on"), Words{"off"});  // once, though listed twice
  EXPECT_EQ(p.Of("Off"), Words{"on"});
  EXPECT_EQ(p.Of("increase"), (Words{"decrease", "reduce"}));
  EXPECT_EQ(p.Of("reduce"), Words{"increase"});
  EXPECT_TRUE(p.ArePair("disarm", "ARM"));
  EXPECT_FALSE(p.ArePair("decrease", "reduce"));  // both pair with increase, not with each other
  EXPECT_TRUE(p.Of("up").empty());
  EXPECT_TRUE(p.Of("same").empty());
  EXPECT_TRUE(AntonymPairs::Parse("# nothing\n\nup\n").Empty());
}

TEST(vocon_AntonymGuard, SwapsEachOccurrenceAndPartnerTheGrammarAllows) {
  const auto pairs = Pairs();
  std::vector<Words> asked;
  auto all = [&](const Words& s) {
    asked.push_back(s);
    return true;
  };
  const auto swaps = AntonymSwaps(pairs, {"on", "increase", "on"}, all);
  EXPECT_EQ(swaps, (std::vector<Words>{
                       {"off", "increase", "on"},
                       {"on", "decrease", "on"},
                       {"on", "reduce", "on"},
                       {"on", "increase", "off"},
                   }));
  EXPECT_EQ(asked, swaps);
  // Only the sentences of the grammar.
  const auto some = AntonymSwaps(pairs, {"gear", "up", "on"}, [](const Words& s) { return s[1] == "down"; });
  EXPECT_EQ(some, (std::vector<Words>{{"gear", "down", "on"}}));
  asked.clear();
  EXPECT_TRUE(AntonymSwaps(pairs, {"heading", "two"}, all).empty());
  EXPECT_TRUE(asked.empty());  // nothing to swap, nothing asked
}

TEST(vocon_AntonymGuard, TheManifestSwitchesTheGuardOnWithBothKeys) {
  test::TempFolder program;
  const fs::path grammars = program / "Grammars", test = grammars / "Test";
  fs::create_directories(test);
  fs::create_directories(program / "Data");
  test::WriteFile(program / "Data" / "antonyms.txt", "on off\n");
  const std::string head =
      "format = talvane-language-model 1\n"
      "acoustic_model = /m\n"
      "dictionary = /d\n"
      "phone_set = AA B\n";
  std::string error;
  // Found in the program folder's Data from Grammars and from Grammars/Test.
  for (const fs::path& folder : {grammars, test}) {
    auto m = bgm::ParseLanguageModel(head + "antonyms = antonyms.txt\nantonym_margin = 0.0005\n", folder, &error);
    ASSERT_TRUE(m) << error;
    EXPECT_EQ(m->antonyms, program / "Data" / "antonyms.txt");
    ASSERT_TRUE(m->antonym_margin);
    EXPECT_DOUBLE_EQ(*m->antonym_margin, 0.0005);
    m = bgm::ParseLanguageModel(head + "antonyms = antonyms.txt\nantonym_margin = -0.0001\n", folder, &error);
    ASSERT_TRUE(m) << error;
    EXPECT_DOUBLE_EQ(*m->antonym_margin, -0.0001);
  }
  // One beside the manifest comes first.
  test::WriteFile(grammars / "antonyms.txt", "up down\n");
  auto m = bgm::ParseLanguageModel(head + "antonyms = antonyms.txt\n", grammars, &error);
  ASSERT_TRUE(m) << error;
  EXPECT_EQ(m->antonyms, grammars / "antonyms.txt");
  EXPECT_FALSE(m->antonym_margin);  // no margin: no guard
  m = bgm::ParseLanguageModel(head, grammars, &error);
  ASSERT_TRUE(m);
  EXPECT_TRUE(m->antonyms.empty());
  for (const char* bad : {"", "x", "-1", "1", "0.001x", "nan"}) {
    error.clear();
    EXPECT_FALSE(bgm::ParseLanguageModel(head + "antonym_margin = " + bad + "\n", grammars, &error)) << bad;
    EXPECT_NE(error.find("line 5: antonym_margin"), std::string::npos) << bad;
  }
}

// The shipped program folder compiled (navaids off), the phrase spoken, and
// one recognition through the engine with the guard's measurements logged.
TEST(vocon_AntonymGuard, AClearCommandIsStillAcceptedAfterTheGuardScoredItsOpposite) {
  test::TempFolder program, work;
  fs::copy(TALVANE_PROGRAM_DIR, program.path(), fs::copy_options::recursive);
  std::string cfg = test::ReadFile(program / "TV_Information.cfg");
  if (const auto at = cfg.find("compileNavaids=1"); at != std::string::npos) cfg.replace(at, 16, "compileNavaids=0");
  test::WriteFile(program / "TV_Information.cfg", cfg);
  test::WriteFile(work / "drive_c/ProgramData/Microsoft/FSX/fsx.cfg", "[Main]\r\n");
  const std::string prefix = "WINEPREFIX=" + work.path().string();
  auto r = test::RunTool({"--program-folder", program.path().string(), "compile"}, {prefix});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  const fs::path wav = work / "said.wav", log = work / "guard.log";
  r = test::RunTool({"--program-folder", program.path().string(), "speak", "--voice", "2", "--rate", "50",
                     "landing lights on"},
                    {"KELO_WAV=" + wav.string()});
  ASSERT_EQ(r.status, 0) << r.err;
  r = test::RunTool({"--program-folder", program.path().string(), "recognize", "--wav", wav.string()},
                    {prefix, "TALVANE_ANTONYM_LOG=" + log.string()});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("text=|300"), std::string::npos) << r.out;  // Landing Lights On
  const std::string logged = ReadWholeFile(log).value_or("");
  const auto lines = SplitLines(logged);
  // One swap scored: kept, the result "landing light(s) on", the swap the
  // same with "off".
  ASSERT_EQ(lines.size(), 1u);
  const auto fields = SplitAt(lines[0], "\t");
  ASSERT_GE(fields.size(), 3u) << lines[0];
  EXPECT_EQ(fields[0], "keep");
  EXPECT_TRUE(fields[1].starts_with("landing light") && fields[1].ends_with(" on")) << lines[0];
  EXPECT_EQ(fields[2], fields[1].substr(0, fields[1].size() - 2) + "off");
}

}  // namespace
}  // namespace talvane::vocon
