// The test screen's binding: the test grammar compiled in Grammars/Test, the
// engine started on exactly it, results mapped to the screen's -2 and -3.
#include <cstdlib>

#include "catalogue/command_catalogue.h"
#include "catalogue/settings.h"
#include "common/files.h"
#include "common/text.h"
#include "app/test_screen_engine.h"
#include "engine/engine_support.h"
#include "grammar/category_list.h"
#include "grammar/navaid_lists.h"
#include "outside/outside_libraries.h"

namespace talvane::test {
namespace {

class engine_TestBinding : public ::testing::Test {
 protected:
  void SetUp() override {
    CopyProgram(folder.path());
    ::setenv("WINEPREFIX", WinePrefix().c_str(), 1);
    ASSERT_TRUE(LoadSettings(ctx, settings));
    ASSERT_TRUE(LoadCommandList(ctx, catalogue));
    BuildCategoryList(catalogue, categories);
    libs.SpeechLibrariesReady = true;
  }
  void TearDown() override {
    libs.OndrixTerminateNow();
    UseWav(nullptr);
  }
  // The engine of the program folder, called on the libraries' speech thread.
  OndrixCall Engine() {
    return [this](SREC_COMMAND_OBJECT* c, const fs::path& from) { return libs.fnOndrixDLL_Call(c, from); };
  }
  int IndexOf(const std::string& rule) {
    for (std::size_t i = 0; i < catalogue.CommandList.size(); ++i)
      if (catalogue.CommandList[i].ruleName.trimmed() == rule) return static_cast<int>(i);
    return -1;
  }
  int Prepare(TestScreenEngine& engine, const std::string& rule, int phrase) {
    return engine.PrepareTestGrammar({settings, catalogue, categories, navaids}, IndexOf(rule), phrase,
                                      [&](int c, int v2, int v3) { return libs.fnBinCompile_Call(c, v2, v3); });
  }

  TempFolder folder;
  RecordingUserInterface ui;
  Context ctx{folder.path(), ui};
  Settings settings;
  CommandCatalogue catalogue;
  CategoryList categories;
  NavaidLists navaids;
  OutsideLibraries libs{ctx};
};

TEST_F(engine_TestBinding, OnePhraseFromOpeningToReturn) {
  TestScreenEngine engine(ctx, Engine());
  // A stale grammar of an earlier test must not be loaded with this one.
  WriteFile(folder / "Grammars" / "Test" / "Old.bgm", "stale");
  ASSERT_EQ(Prepare(engine, "AP_HDG_SET", 0), 0);  // [set|select] heading [to|] <HDG>
  EXPECT_FALSE(FileExists(folder / "Grammars" / "Test" / "Old.bgm"));
  EXPECT_TRUE(FileExists(folder / "Grammars" / "Test" / "Test.bgm"));
  EXPECT_TRUE(FileExists(folder / "Grammars" / "Test" / "Generic Lists.bgm"));

  const fs::path here = fs::current_path();
  const fs::path said = Speech("set heading to two four zero", 3, 50);
  UseWav(&said);
  std::string text;
  ASSERT_EQ(engine.Call(kTestOpen, text), 0);
  EXPECT_EQ(fs::current_path(), here);  // the engine moves only the speech thread's directory
  ASSERT_EQ(engine.Call(kTestStart, text), 0);
  // The test grammar has no tags of its own: the words and the list's values.
  EXPECT_EQ(Trim(text), "set heading to 2 4 0");  // the list's words are ignored inside it

  // A command of another rule is nothing valid for this test.
  const fs::path other = Speech("gear down", 3, 50);
  UseWav(&other);
  EXPECT_EQ(engine.Call(kTestStart, text), kTestNothingValid);

  std::string ignored;
  engine.Call(kTestReturn, ignored);
  EXPECT_EQ(engine.Call(kTestStart, text), kTestEngineError);  // terminated: the next test starts afresh
}

TEST_F(engine_TestBinding, EngineFailuresAreMinusThree) {
  TestScreenEngine engine(ctx, Engine());
  ASSERT_EQ(Prepare(engine, "GEAR_DOWN", 0), 0);
  std::string text;
  UseWav(nullptr);  // no sound card, no file
  if (!fs::exists("/dev/snd")) {
    EXPECT_EQ(engine.Call(kTestOpen, text), kTestEngineError);
  }
  EXPECT_EQ(engine.Call(kTestStart, text), kTestEngineError);
  EXPECT_EQ(TestScreenEngine(ctx, nullptr).Call(kTestOpen, text), kTestEngineError);
}

}  // namespace
}  // namespace talvane::test
