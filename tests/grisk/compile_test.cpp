// Compiling: what the rule graphs accept and the command texts they give,
// pronunciations, and whole folders through CompileFolder and libgrisk.so.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "common/files.h"
#include "grisk/compiler.h"
#include "grisk/confusability.h"
#include "grisk/grammar_check.h"
#include "grisk/grisk.h"
#include "grisk/pronunciation.h"
#include "grisk/rule_graph.h"
#include "grisk_support.h"

namespace talvane::grisk {
namespace {

using talvane::test::ReadFile;
using talvane::test::TempFolder;
using talvane::test::WriteFile;
using test::Recognise;
using test::Utf16File;

std::vector<bgm::Grammar> Compile(const std::vector<std::pair<std::string, std::string>>& sources) {
  Diagnostics d;
  GrammarSet set;
  for (const auto& [file, text] : sources) set.grammars.push_back(test::Parse(text, d, file));
  CheckGrammars(set, d);
  if (d.errors()) throw std::runtime_error(Diagnostics::Format(d.all()[0]));
  return BuildGraphs(set);
}

const char* kCategory =
    "!grammar \"Autopilot\";\n!import<ALT>;\n!import<HDG>;\n!import<WORD_ON>;\n!start<AP_ALT_SET>;\n"
    "!start<AP_MASTER_ON>;\n!start<AP_HDG>;\n"
    "<AP_ALT_SET>:\n\t!action(\"|65:\")\n\t!ignore(\n\t\t(\n\t\tset altitude !optional(to) <ALT>\n"
    "\t\t| altitude <ALT> (feet|foot)\n\t\t)\n\t)\n;\n"
    "<AP_MASTER_ON>:\n\t!action(\"|12\")\n\t!ignore(\n\t\t(\n\t\tautopilot <WORD_ON>\n\t\t)\n\t)\n;\n"
    "<AP_HDG>:\n\t!action(\"|20:\")\n\t!ignore(\n\t\t(\n\t\theading <HDG>\n\t\t)\n\t)\n;\n";

TEST(grisk_CompiledGraphs, CommandTextsWithTheShippedLists) {
  auto g = Compile({{"Generic Lists.bnf", test::GenericListsSource()}, {"Autopilot.bnf", kCategory}});
  // The example of the dialect page: every word ignored, the tags spell the value.
  EXPECT_EQ(Recognise(g, "AP_ALT_SET", "set altitude to flight level three five zero"),
            std::set<std::string>{"|65: 3 5 0 00"});
  EXPECT_EQ(Recognise(g, "AP_ALT_SET", "SET Altitude flight level tree five zero"),
            std::set<std::string>{"|65: 3 5 0 00"});
  EXPECT_FALSE(Recognise(g, "AP_ALT_SET", "altitude ten thousand feet").empty());
  EXPECT_TRUE(Recognise(g, "AP_ALT_SET", "set altitude to").empty());
  EXPECT_TRUE(Recognise(g, "AP_ALT_SET", "altitude flight level three five zero").empty());  // feet|foot missing
  EXPECT_EQ(Recognise(g, "AP_MASTER_ON", "autopilot awn"), std::set<std::string>{"|12 "});
  EXPECT_EQ(Recognise(g, "AP_HDG", "heading two seven zero"), std::set<std::string>{"|20: 2 7 0"});
}

TEST(grisk_CompiledGraphs, IgnoreScopesAndTags) {
  auto g = Compile({{"L.bnf", "!grammar \"L\";\n!export<N>;\n<N>: one !action(\"1\") | two !action(\"2\");\n"},
                    {"T.bnf", "!grammar \"T\";\n!import<N>;\n!start<A>;\n!start<B>;\n"
                              "<A>: say <N> please;\n<B>: !ignore(say <P>) please;\n<P>: <N> !action(\"p\");\n"}});
  // Not ignored: the words are in the text (the test grammar's form).
  EXPECT_EQ(Recognise(g, "A", "say two please"), std::set<std::string>{"say two 2 please"});
  // Words inside an ignore group are dropped at any depth; tags never are.
  EXPECT_EQ(Recognise(g, "B", "say one please"), std::set<std::string>{"1 p please"});
  const auto& t = g[1];
  ASSERT_EQ(t.imports, std::vector<std::string>{"N"});
  EXPECT_EQ(t.words.size(), 2u);  // say, please: each once
  EXPECT_EQ(t.tags, std::vector<std::string>{"p"});
}

TEST(grisk_CompiledGraphs, ConfusablePhrasesOfDifferentCommands) {
  auto g = Compile({{"L.bnf", "!grammar \"L\";\n!export<N>;\n<N>: one | two;\n"},
                    {"A.bnf", "!grammar \"A\";\n!import<N>;\n!start<GEAR_UP>;\n!start<FLAPS>;\n"
                              "<GEAR_UP>: !optional(please) gear up | gear <N>;\n<FLAPS>: flaps <N> | flaps up;\n"},
                    {"B.bnf", "!grammar \"B\";\n!import<N>;\n!start<RAISE>;\n!start<FLAPS2>;\n"
                              "<RAISE>: (gear | wheels) up;\n<FLAPS2>: flaps <N>;\n"}});
  const auto report = FindConfusions(g);
  ASSERT_EQ(report.confusions.size(), 2u);
  std::set<std::string> found;
  for (const auto& c : report.confusions) found.insert(c.phrase + " = " + c.first_rule + "/" + c.second_rule);
  EXPECT_EQ(found, (std::set<std::string>{"flaps <N> = FLAPS/FLAPS2", "gear up = GEAR_UP/RAISE"}));
}

TEST(grisk_Pronunciations, DictionaryPartsAndPhonemizerMapping) {
  Dictionary dict;
  dict.Add("x", "EH K S");
  dict.Add("ray", "R EY");
  dict.Add("st", "S T R IY T");
  dict.Add("up", "AH P");
  dict.Add("up", "UH P");
  EXPECT_EQ(FromDictionary(dict, "up")->phones.size(), 2u);
  auto xray = FromDictionary(dict, "x-ray");
  ASSERT_TRUE(xray);
  EXPECT_EQ(xray->source, bgm::PronunciationSource::kComposed);
  EXPECT_EQ(xray->phones, std::vector<std::string>{"EH K S R EY"});
  EXPECT_EQ(FromDictionary(dict, "st.")->phones.front(), "S T R IY T");
  EXPECT_FALSE(FromDictionary(dict, "x-rays"));
  EXPECT_FALSE(FromDictionary(dict, ","));

  const auto phones = bgm::DefaultLanguageModel().phone_set;
  EXPECT_EQ(IpaToPhones("k ˈɛ n ɪ b ˌʌ ŋ k", phones), "K EH N IH B AH NG K");
  EXPECT_EQ(IpaToPhones("tʃ ˈɜː tʃ", phones), "CH ER CH");
  EXPECT_EQ(IpaToPhones("dʒ ˈʌ dʒ", phones), "JH AH JH");
  EXPECT_EQ(IpaToPhones("b ˈʌ ʔ n̩", phones), "B AH T AH N");
  EXPECT_EQ(IpaToPhones("w ˈɪ l k s b ˈɑːɹ", phones), "W IH L K S B AA R");
  EXPECT_EQ(IpaToPhones("f ˈaʊ ɚ ɹ", phones), "F AW ER");
  EXPECT_EQ(IpaToPhones("", phones), "");

  std::string error;
  auto ipa = RunPhonemizer(GRISK_G2P, {"kennebunk", "x-ray", ",", "fower"}, &error);
  ASSERT_TRUE(ipa) << error;
  ASSERT_EQ(ipa->size(), 4u);
  EXPECT_EQ(IpaToPhones((*ipa)[0], phones), "K EH N IH B AH NG K");
  EXPECT_EQ(IpaToPhones((*ipa)[2], phones), "");
  EXPECT_EQ(IpaToPhones((*ipa)[3], phones), "F AW ER");
  EXPECT_FALSE(RunPhonemizer("/nonexistent/grisk-g2p", {"a"}, &error));
}

// A program folder with the shipped generic lists and manifest.
class grisk_CompileFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(folder / "Grammars" / "Test");
    fs::create_directories(folder / "Data");
    Source("Generic Lists.bnf", test::GenericListsSource());
    Source("Autopilot.bnf", kCategory);
    Source("ChecklistResponses.bnf",
           "!grammar \"ChecklistResponses\";\n!start<SET>;\n!start<ON AND CHECKED>;\n"
           "!activatable <SET> <ON AND CHECKED> ;\n<SET>: !action(\"|50002\") !ignore(SET);\n"
           "<ON AND CHECKED>: !action(\"|50003\") !ignore(ON AND CHECKED);\n");
    CopyFileAtomic(fs::path(TALVANE_SOURCE_DIR) / "data" / bgm::kManifestName, folder / "Grammars" / bgm::kManifestName);
    options = ProgramCompileOptions(folder.path(), false, GRISK_G2P);
  }
  void Source(const std::string& name, const std::string& text, const std::string& sub = "Grammars") {
    WriteFile(folder / sub / name, Utf16File(text));
  }
  std::string Log() { return ReadFile(folder / "Grammars" / kLogName); }

  TempFolder folder;
  CompileOptions options;
};

TEST_F(grisk_CompileFolderTest, WritesGrammarsRuleListAndLog) {
  WriteFile(folder / "Grammars" / "Gone.bgm", "stale");
  const CompileResult r = CompileFolder(options);
  ASSERT_EQ(r.status, GRISK_OK) << Log();
  EXPECT_EQ(r.grammars, 3);
  EXPECT_FALSE(fs::exists(folder / "Grammars" / "Gone.bgm"));  // its source is gone
  for (const char* name : {"Generic Lists.bgm", "Autopilot.bgm", "ChecklistResponses.bgm"}) {
    auto g = bgm::Read(ReadFile(folder / "Grammars" / name));
    ASSERT_TRUE(g.grammar) << name << ": " << g.error;
    for (const auto& w : g.grammar->words) EXPECT_FALSE(w.pronunciations.empty()) << w.text;
  }
  auto responses = *bgm::Read(ReadFile(folder / "Grammars" / "ChecklistResponses.bgm")).grammar;
  EXPECT_EQ(responses.activatable.size(), 2u);
  EXPECT_EQ(responses.rules[responses.activatable[1]].name, "ON AND CHECKED");
  EXPECT_EQ(ReadFile(folder / "Data" / kRuleListName), std::string("<\0S\0E\0T\0>\0\n\0", 12) +
                                                           RuleListBytes({"ON AND CHECKED"}));
  const std::string log = Log();
  EXPECT_NE(log.find("Autopilot.bnf -> Autopilot.bgm: grammar \"Autopilot\", 3 rules (3 start"), std::string::npos) << log;
  EXPECT_NE(log.find("Gone.bgm: removed, its source is gone"), std::string::npos);
  EXPECT_NE(log.find("fower: F AW ER (Generic Lists.bnf)"), std::string::npos) << log;
  EXPECT_EQ(log.substr(log.rfind("Summary:"), 30), "Summary: 3 grammars compiled, ");
}

TEST_F(grisk_CompileFolderTest, AnErrorChangesNothing) {
  ASSERT_EQ(CompileFolder(options).status, GRISK_OK) << Log();
  const std::string before = ReadFile(folder / "Grammars" / "Autopilot.bgm");
  const std::string rules = ReadFile(folder / "Data" / kRuleListName);
  Source("Autopilot.bnf", std::string(kCategory) + "<BROKEN>: (one | two;\n");
  Source("Lights.bnf", "!grammar \"Lights\";\n!start<L>;\n<L>: lights <NOPE>;\n");
  const CompileResult r = CompileFolder(options);
  EXPECT_EQ(r.status, GRISK_ERR_GRAMMAR);
  EXPECT_EQ(r.errors, 2);
  EXPECT_EQ(ReadFile(folder / "Grammars" / "Autopilot.bgm"), before);
  EXPECT_FALSE(fs::exists(folder / "Grammars" / "Lights.bgm"));
  EXPECT_EQ(ReadFile(folder / "Data" / kRuleListName), rules);
  for (const auto& e : fs::directory_iterator(folder / "Grammars"))
    EXPECT_NE(e.path().filename().string()[0], '.') << "a temporary file was left: " << e.path();
  const std::string log = Log();
  EXPECT_NE(log.find("Autopilot.bnf, line 33, column 11: error: the group opened here is not closed"), std::string::npos) << log;
  EXPECT_NE(log.find("Lights.bnf, line 3, column 13: error: the rule <NOPE> is used here but neither defined"),
            std::string::npos);
  EXPECT_NE(log.find("Summary: compile FAILED (errors in the grammar sources); no compiled grammar was changed; 2 errors"),
            std::string::npos);
}

TEST_F(grisk_CompileFolderTest, OtherFailures) {
  Source("Odd.bnf", "!grammar \"Odd\";\n!start<P>;\n<P>: , ;\n");
  EXPECT_EQ(CompileFolder(options).status, GRISK_ERR_GRAMMAR);
  EXPECT_NE(Log().find("Odd.bnf, line 3, column 6: error: the word \",\" cannot be pronounced"), std::string::npos) << Log();
  fs::remove(folder / "Grammars" / "Odd.bnf");

  Source("Long.bnf", "!grammar \"ChecklistResponses\";\n");  // a second grammar of that name: a warning
  const std::string long_name(48, 'A');
  Source("ChecklistResponses.bnf", "!grammar \"ChecklistResponses\";\n!start<" + long_name + ">;\n!activatable <" +
                                       long_name + "> ;\n<" + long_name + ">: long;\n");
  EXPECT_EQ(CompileFolder(options).status, GRISK_ERR_GRAMMAR);
  EXPECT_NE(Log().find("is longer than the 47 characters"), std::string::npos);

  Source("ChecklistResponses.bnf", "!grammar \"ChecklistResponses\";\n");
  Source("ChecklistResponses.BNF", "!grammar \"Other\";\n");  // would land on ChecklistResponses.bgm too
  EXPECT_EQ(CompileFolder(options).status, GRISK_ERR_GRAMMAR);
  EXPECT_NE(Log().find("compiles to ChecklistResponses.bgm as well"), std::string::npos) << Log();
  fs::remove(folder / "Grammars" / "ChecklistResponses.BNF");

  options.grammar_folder = folder / "Grammars" / "Test";
  EXPECT_EQ(CompileFolder(options).status, GRISK_ERR_NO_SOURCES);
  WriteFile(folder / "Grammars" / bgm::kManifestName, "format = something else\n");
  EXPECT_EQ(CompileFolder(options).status, GRISK_ERR_MODEL);
}

TEST_F(grisk_CompileFolderTest, TheLibraryCompilesTheCurrentProgramFolder) {
  void* lib = dlopen(TALVANE_PROGRAM_DIR "/libgrisk.so", RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << dlerror();
  auto call = reinterpret_cast<int (*)(int, int, int)>(dlsym(lib, "fnBinCompile_Call"));
  ASSERT_NE(call, nullptr);
  Source("Test.bnf", "!grammar \"Test\";\n!import<ALT>;\n!start<T>;\n<T>: set altitude <ALT>;\n", "Grammars/Test");
  Source("Generic Lists.bnf", test::GenericListsSource(), "Grammars/Test");
  const fs::path old = fs::current_path();
  fs::current_path(folder.path());
  EXPECT_EQ(call(GRISK_INITIALISE, 0, 0), GRISK_OK);
  EXPECT_EQ(call(GRISK_COMPILE, 1, 1), GRISK_OK);  // the test grammar only: no rule list
  EXPECT_TRUE(fs::exists(folder / "Grammars" / "Test" / "Test.bgm"));
  EXPECT_FALSE(fs::exists(folder / "Data" / kRuleListName));
  EXPECT_EQ(call(GRISK_COMPILE, 0, 1), GRISK_OK);
  EXPECT_TRUE(fs::exists(folder / "Data" / kRuleListName));
  EXPECT_EQ(call(GRISK_COMPILE, 7, 1), GRISK_ERR_ARGUMENT);
  EXPECT_EQ(call(9, 0, 0), GRISK_ERR_ARGUMENT);
  EXPECT_EQ(call(GRISK_SHUTDOWN, 0, 0), GRISK_OK);
  fs::current_path(old);
  dlclose(lib);
}

}  // namespace
}  // namespace talvane::grisk
