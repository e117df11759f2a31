// Navaid and ILS lists: reading, spoken forms, grammar files, progress.
#include "common/binary.h"
#include "grammar/grammar_writer.h"
#include "grammar/navaid_grammar.h"
#include "grammar_test_support.h"

namespace talvane::test {
namespace {

std::string Id(const std::string& id) { return NavIdPhrase({id, "x", "1"}).value_or("<nullopt>"); }
std::string Ils(const std::string& airport, const std::string& rwy) {
  return ILSPhrase(ILSRecord{airport, rwy, "a", "b"}).value_or("<nullopt>");
}
const std::string kIlsWords = "(I L S|i'll less|i elle-ess|tileless) !optional(at) ";

TEST(NavaidPhrases, Identifiers) {
  EXPECT_EQ(Id("SEA"), "(<PHONETIC_S> <PHONETIC_E> <PHONETIC_A> | S E A)");
  EXPECT_EQ(Id(" AB1 "), "(<PHONETIC_A> <PHONETIC_B> | A B 1)");
  EXPECT_EQ(Id("sea"), Id("SEA"));
  EXPECT_EQ(Id("ABCD"), "(<PHONETIC_A> <PHONETIC_B> <PHONETIC_C> <PHONETIC_D> | A B C D)");
  // No letters: no phonetic alternative, rather than an empty one that matches silence.
  EXPECT_EQ(Id("12"), "(1 2)");
  EXPECT_EQ(Id("ABCDE"), "<nullopt>");
  EXPECT_EQ(Id("   "), "<nullopt>");
}

TEST(NavaidPhrases, Approaches) {
  EXPECT_EQ(Ils("KSEA", "09L"),
            "!optional(<NUM_0>) <NUM_9> (left|lef)" + kIlsWords +
                "(<PHONETIC_K> <PHONETIC_S> <PHONETIC_E> <PHONETIC_A> | K S E A)");
  const std::string sea = "(<PHONETIC_K> <PHONETIC_S> <PHONETIC_E> <PHONETIC_A> | K S E A)";
  EXPECT_EQ(Ils("KSEA", "27R"), "<NUM_2> <NUM_7> (right|ry)" + kIlsWords + sea);
  EXPECT_EQ(Ils("KSEA", "04"), "!optional(<NUM_0>) <NUM_4>" + kIlsWords + sea);
  EXPECT_EQ(Ils("KSEA", "10"), "<NUM_1> <NUM_0>" + kIlsWords + sea);
  EXPECT_EQ(Ils("ksea", "16c"), "<NUM_1> <NUM_6> (center|senner|sunner)" + kIlsWords + sea);
  // The two spaces after (left|lef) disappear in the trim only at the end.
  EXPECT_EQ(Ils("KSEA", "LR"), "(left|lef)  (right|ry)" + kIlsWords + sea);
  EXPECT_EQ(Ils("KSEA", ""), kIlsWords + sea);
  EXPECT_EQ(Ils("K2S9", "1"),
            "<NUM_1>" + kIlsWords + "(<PHONETIC_K> <NUM_2> <PHONETIC_S> <NUM_9> | K 2 S 9)");
  EXPECT_EQ(Ils("KSEAX", "01"), "<nullopt>");
  EXPECT_EQ(Ils("KSEA", "01LX"), "!optional(<NUM_0>) <NUM_1> (left|lef)" + kIlsWords + sea);
  EXPECT_EQ(Ils("KSEA", "01LXY"), "<nullopt>");
  EXPECT_EQ(Ils(" ", "01"), "<nullopt>");

  NavaidLists lists;
  lists.ILSList.push_back({"KSEA", "04", "", ""});
  EXPECT_EQ(ILSPhrase(lists, 0), Ils("KSEA", "04"));
  EXPECT_EQ(ILSPhrase(lists, 1), std::nullopt);
  EXPECT_EQ(ILSPhrase(lists, -1), std::nullopt);
}

NavaidLists TwoOfEach() {
  NavaidLists l;
  l.NavaidList.push_back({" PAE", "Paine ", " 110.60 "});
  l.NavaidList.push_back({"SEA", " Seattle", "116.80"});
  l.ILSList.push_back({"KSEA ", "16L", " KSEA", "16L "});
  l.ILSList.push_back({"KBFI", "31", "KBFI", "31"});
  return l;
}

TEST(NavaidGrammars, Files) {
  GrammarFixture f;
  const NavaidLists l = TwoOfEach();
  ASSERT_EQ(SaveNavaidIDs(f.ctx, l, false), 0);
  ASSERT_EQ(SaveNavaidNames(f.ctx, l, false), 0);
  ASSERT_EQ(SaveNavaidILSs(f.ctx, l, false), 0);

  std::vector<std::string> phonetic, num;
  for (char c = 'A'; c <= 'Z'; ++c) phonetic.push_back(std::string("!import<PHONETIC_") + c + ">;");
  for (char d = '0'; d <= '9'; ++d) num.push_back(std::string("!import<NUM_") + d + ">;");

  std::vector<std::string> ids = {"!grammar \"NAVAID_IDS\";", ""};
  ids.insert(ids.end(), phonetic.begin(), phonetic.end());
  for (const char* s : {"!export<NAV_ID>;", "", "", "<NAV_ID>:", "\t(",
                        "\t!ignore(<PHONETIC_P> <PHONETIC_A> <PHONETIC_E> | P A E)!action(\"110.60\")",
                        "\t| !ignore(<PHONETIC_S> <PHONETIC_E> <PHONETIC_A> | S E A)!action(\"116.80\")", "\t)", ";",
                        ""})
    ids.push_back(s);
  EXPECT_EQ(Lines(ReadGrammar(f.Grammars("Navaid_IDs.bnf"))), ids);

  EXPECT_EQ(Lines(ReadGrammar(f.Grammars("Navaid_Names.bnf"))),
            (std::vector<std::string>{"!grammar \"NAVAID_NAMES\";", "", "!export<NAV_NAME>;", "", "", "<NAV_NAME>:",
                                      "\t(", "\t!ignore(paine)!action(\"110.60\")",
                                      "\t| !ignore(seattle)!action(\"116.80\")", "\t)", ";", ""}));

  std::vector<std::string> ils = {"!grammar \"NAVAID_ILS\";", ""};
  ils.insert(ils.end(), num.begin(), num.end());
  ils.push_back("!import<WORD_ON>;");
  ils.insert(ils.end(), phonetic.begin(), phonetic.end());
  for (const std::string& s :
       {std::string("!export<RWY_APT_ID>;"), std::string(), std::string(), std::string("<RWY_APT_ID>:"),
        std::string("\t("),
        "\t!ignore(<NUM_1> <NUM_6> (left|lef)" + kIlsWords +
            "(<PHONETIC_K> <PHONETIC_S> <PHONETIC_E> <PHONETIC_A> | K S E A))!action(\"KSEA:16L\")",
        "\t| !ignore(<NUM_3> <NUM_1>" + kIlsWords +
            "(<PHONETIC_K> <PHONETIC_B> <PHONETIC_F> <PHONETIC_I> | K B F I))!action(\"KBFI:31\")",
        std::string("\t)"), std::string(";"), std::string()})
    ils.push_back(s);
  EXPECT_EQ(Lines(ReadGrammar(f.Grammars("Navaid_ILSs.bnf"))), ils);
}

TEST(NavaidGrammars, NamesAreLowerCasedAndOtherwiseKept) {
  NavaidLists l;
  l.NavaidList.push_back({"X", "  Val d'Or  SAINT-\xC9tienne ", "1"});
  const auto lines = Lines(*ComposeNavaidGrammar(NavaidGrammar::kNames, l));
  EXPECT_EQ(lines[7], "\t!ignore(val d'or  saint-\xE9tienne)!action(\"1\")");
}

TEST(NavaidGrammars, UnwritableRecordsFailTheWriter) {
  GrammarFixture f;
  NavaidLists l = TwoOfEach();
  l.NavaidList.push_back({"ABCDE", "Long", "1"});
  l.ILSList.push_back({"KSEA", "16LXX", "KSEA", "16L"});
  EXPECT_EQ(SaveNavaidIDs(f.ctx, l, false), 1);
  EXPECT_EQ(SaveNavaidNames(f.ctx, l, false), 0);  // the name is fine
  EXPECT_EQ(SaveNavaidILSs(f.ctx, l, false), 1);
  EXPECT_FALSE(FileExists(f.Grammars("Navaid_IDs.bnf")));
  EXPECT_FALSE(FileExists(f.Grammars("Navaid_ILSs.bnf")));
  l.NavaidList.back() = {"ABC", "   ", "1"};
  EXPECT_EQ(SaveNavaidNames(f.ctx, l, false), 1);
  EXPECT_TRUE(f.ui.messages.empty());
  EXPECT_FALSE(f.ui.exit_requested);
}

TEST(NavaidGrammars, EmptyListsGiveARuleWithoutAlternatives) {
  const auto lines = Lines(*ComposeNavaidGrammar(NavaidGrammar::kNames, NavaidLists{}));
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 5, lines.end()),
            (std::vector<std::string>{"<NAV_NAME>:", "\t(", "\t)", ";", ""}));
}

std::vector<double> Percentages(const RecordingUserInterface& ui, const std::string& text) {
  std::vector<double> out;
  for (const auto& p : ui.progress) {
    EXPECT_EQ(p.text, text);
    out.push_back(p.percent);
  }
  return out;
}

TEST(NavaidGrammars, Progress) {
  NavaidLists l;
  for (int i = 0; i < 1001; ++i) {
    l.NavaidList.push_back({"A", "Alpha", std::to_string(i)});
    l.ILSList.push_back({"KSEA", "16L", "KSEA", "16L"});
  }
  const std::string ids =
      "Saving and compiling your grammar files.  This process will take a few minutes. (Navaid IDs)\r\r"
      "Please standby...";
  {
    GrammarFixture f;
    ASSERT_EQ(SaveNavaidIDs(f.ctx, l, false), 0);
    // Last index 1000, step 50: one percent at 50, 100, ... 1000.
    const auto p = Percentages(f.ui, ids);
    ASSERT_EQ(p.size(), 21u);
    EXPECT_EQ(p.front(), 10);
    EXPECT_EQ(p.back(), 30);
  }
  {
    GrammarFixture f;
    ASSERT_EQ(SaveNavaidNames(f.ctx, l, false), 0);
    const auto p = Percentages(f.ui,
                               "Saving and compiling your grammar files.  This process will take a few minutes. "
                               "(Navaid Names)\r\rPlease standby...");
    EXPECT_EQ(p.front(), 30);
    EXPECT_EQ(p.back(), 50);
  }
  {
    GrammarFixture f;
    ASSERT_EQ(SaveNavaidILSs(f.ctx, l, false), 0);
    // Step 1000 / 30 = 33: 30 steps reach 990.
    const auto p = Percentages(f.ui,
                               "Saving and compiling your grammar files.  This process will take a few minutes. "
                               "(Navaid ILS's)\r\rPlease standby...");
    EXPECT_EQ(p.front(), 50);
    EXPECT_EQ(p.back(), 80);
  }
  {
    GrammarFixture f;
    ASSERT_EQ(SaveNavaidNames(f.ctx, l, true), 0);
    EXPECT_EQ(Percentages(f.ui, "Writing Grammar Files (Navaid Names)").back(), 50);
    EXPECT_TRUE(FileExists(f.folder / "Grammars" / "Test" / "Navaid_Names.bnf"));
    EXPECT_FALSE(FileExists(f.Grammars("Navaid_Names.bnf")));
  }
  {
    // A short list still moves the bar and never divides by zero.
    GrammarFixture f;
    NavaidLists small;
    small.NavaidList.push_back({"A", "Alpha", "1"});
    ASSERT_EQ(SaveNavaidIDs(f.ctx, small, true), 0);
    EXPECT_EQ(Percentages(f.ui, "Writing Grammar Files (Navaid IDs)"), std::vector<double>{10});
  }
}

TEST(SaveGrammarFiles, NavaidsOnWritesTheThreeNavaidGrammarsAndStopsAtTheFirstFailure) {
  GrammarFixture f;
  const Settings s = SettingsWith({{"SET", 1}}, 1);
  CommandCatalogue cat;
  cat.CommandList.push_back(Command("radios", "RADIO_NAV1_SELECT_VOR", 11, {"nav one <NAV_ID>"}));
  CategoryList cats;
  BuildCategoryList(cat, cats);
  NavaidLists l = TwoOfEach();
  ASSERT_EQ(SaveGrammarFiles(f.ctx, {s, cat, cats, l}), 0);
  for (const char* name : {"radios.bnf", "Navaid_IDs.bnf", "Navaid_Names.bnf", "Navaid_ILSs.bnf"})
    EXPECT_TRUE(FileExists(f.Grammars(name))) << name;
  EXPECT_NE(ReadGrammar(f.Grammars("radios.bnf")).find("!import<RWY_APT_ID>;\r\n\r\n!start<RADIO_NAV1_SELECT_VOR>;"),
            std::string::npos);

  GrammarFixture g;
  l.NavaidList.push_back({"ABCDE", "Long", "1"});
  EXPECT_EQ(SaveGrammarFiles(g.ctx, {s, cat, cats, l}), 1);
  EXPECT_TRUE(FileExists(g.Grammars("ChecklistResponses.bnf")));
  EXPECT_FALSE(FileExists(g.Grammars("Navaid_Names.bnf")));
}

TEST(NavaidLists, Parsing) {
  auto nav = ParseNavaidList("SEA|Seattle|116.80\r\n PAE |Paine|110.60|extra|fields\r\nX||\nY|y|1\rZ|z|2");
  ASSERT_EQ(nav.size(), 5u);
  EXPECT_EQ(nav[0], (NavaidRecord{"SEA", "Seattle", "116.80"}));
  EXPECT_EQ(nav[1], (NavaidRecord{" PAE ", "Paine", "110.60"}));  // kept as read
  EXPECT_EQ(nav[2], (NavaidRecord{"X", "", ""}));
  EXPECT_EQ(nav[4], (NavaidRecord{"Z", "z", "2"}));
  EXPECT_TRUE(ParseNavaidList("").empty());

  auto ils = ParseILSList("KSEA|16L|KSEA|16L\r\nKBFI|31|KBFI|31|more\r\n");
  ASSERT_EQ(ils.size(), 2u);
  EXPECT_EQ(ils[1], (ILSRecord{"KBFI", "31", "KBFI", "31"}));

  for (const char* bad : {"SEA|Seattle|1\r\n\r\nPAE|Paine|2\r\n", "SEA|Seattle|1\r\n\r\n", "\r\n", "SEA|Seattle\r\n",
                          "SEA\r\n", "   \r\n"})
    EXPECT_THROW(ParseNavaidList(bad), FormatError) << bad;
  EXPECT_THROW(ParseILSList("KSEA|16L|KSEA\r\n"), FormatError);
  EXPECT_NO_THROW(ParseILSList("KSEA|16L|KSEA|\r\n"));

  std::string many;
  for (int i = 0; i < 32768; ++i) many += "A|B|C\r\n";
  EXPECT_EQ(ParseNavaidList(many).size(), 32768u);
  EXPECT_THROW(ParseNavaidList(many + "A|B|C\r\n"), FormatError);
}

TEST(NavaidLists, Loaders) {
  GrammarFixture f;
  WriteFile(f.folder / "Data" / "Nav_Info.txt", "SEA|Seattle|116.80\r\n");
  WriteFile(f.folder / "Data" / "ILS_Info.txt", "KSEA|16L|KSEA|16L\r\n");
  NavaidLists l;
  ASSERT_TRUE(LoadILSList(f.ctx, l));
  ASSERT_TRUE(LoadNavaidList(f.ctx, l));
  EXPECT_EQ(l.LastNavaidIndex(), 0);
  EXPECT_EQ(l.LastILSIndex(), 0);
  EXPECT_EQ(f.ui.splash, (std::vector<std::string>{"Loading ILS Information, standby...",
                                                    "Loading Navaid Information, standby..."}));
  EXPECT_TRUE(f.ui.messages.empty());
  EXPECT_EQ(NavaidLists{}.LastNavaidIndex(), -1);
}

TEST(NavaidLists, BrokenFilesAreFatal) {
  struct Case {
    const char* nav;  // nullptr: no file
    const char* ils;
    const char* expected_file;
  };
  for (const Case& c : {Case{nullptr, "K|1|K|1\r\n", "Nav_Info.txt"}, Case{"A|B\r\n", "K|1|K|1\r\n", "Nav_Info.txt"},
                        Case{"A|B|C\r\n", nullptr, "ILS_Info.txt"}, Case{"A|B|C\r\n", "\r\n", "ILS_Info.txt"}}) {
    GrammarFixture f;
    if (c.nav) WriteFile(f.folder / "Data" / "Nav_Info.txt", c.nav);
    if (c.ils) WriteFile(f.folder / "Data" / "ILS_Info.txt", c.ils);
    NavaidLists l;
    l.NavaidList.push_back({"OLD", "Old", "1"});
    const bool ok = LoadNavaidList(f.ctx, l) && LoadILSList(f.ctx, l);
    EXPECT_FALSE(ok);
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_EQ(f.ui.messages[0].title, "Talvane Fatal Error");
    EXPECT_EQ(f.ui.messages[0].text, std::string("There was an error in your ") + c.expected_file +
                                         " file.\r\rTalvane will not be able to load.\r\rPress OK to Exit.");
    EXPECT_EQ(f.ui.messages[0].icon, kIconError);
    EXPECT_TRUE(f.ui.exit_requested);
    if (!c.nav || std::string(c.nav) == "A|B\r\n") {
      EXPECT_EQ(l.NavaidList[0].navId, "OLD");
    }
  }
}

}  // namespace
}  // namespace talvane::test
