// The compile action: progress, the three outcomes with their messages, and
// the change flag and buttons after each; the compiler and the window probes
// are fakes here.
#include <gtest/gtest.h>

#include "catalogue/command_catalogue.h"
#include "common/files.h"
#include "common/text.h"
#include "grammar/category_list.h"
#include "grammar/compile_pipeline.h"
#include "support/fake_window_probe.h"
#include "support/test_support.h"

namespace talvane {
namespace {

using test::ReadFile;
using test::WriteFile;

// Remembers whether the progress dialog was still up when a message came.
struct UiProbe : RecordingUserInterface {
  std::vector<bool> progress_up_at_message;
  void ShowMessage(const Message& m) override {
    progress_up_at_message.push_back(progress_visible);
    RecordingUserInterface::ShowMessage(m);
  }
  std::size_t messages_at_exit = 0;
  void ExitProgram() override {
    messages_at_exit = messages.size();
    RecordingUserInterface::ExitProgram();
  }
};

class compile_CompileAction : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(folder / "Data");
    fs::create_directories(folder / "Grammars" / "Test");
    WriteFile(folder / "Data" / "Generic Lists.bnf", "\xFF\xFE");
    CommandRecord c;
    c.category = "Autopilot";
    c.ruleName = "AP_MASTER";
    c.commandValue = 12;
    c.grammars.emplace_back("autopilot on");
    c.readbacks.emplace_back("Autopilot on");
    catalogue.CommandList.push_back(c);
    BuildCategoryList(catalogue, categories);
    settings.ChecklistResponses.push_back({"SET", 50002});
  }

  CompileOutcome Run(int compile_result) {
    BinCompileCall compile = [&](int c, int v2, int v3) {
      calls.push_back({c, v2, v3});
      // The sources are written before the compiler is called.
      EXPECT_TRUE(FileExists(folder / "Grammars" / "Autopilot.bnf"));
      return compile_result;
    };
    ConfigChanged = true;
    disabled = 0;
    CompileScreens screens{ConfigChanged, [&] { ++disabled; }};
    return CompileGrammarsAction(ctx, {settings, catalogue, categories, navaids}, compile, windows, screens);
  }

  test::TempFolder folder;
  UiProbe ui;
  Context ctx{folder.path(), ui};
  Settings settings;
  CommandCatalogue catalogue;
  CategoryList categories;
  NavaidLists navaids;
  test::FakeWindowProbe windows;
  std::vector<std::array<int, 3>> calls;
  bool ConfigChanged = true;
  int disabled = 0;
};

const std::string kConfirmation =
    "\rAll changes to the grammars and readbacks have been saved.\r\rPlease press OK to continue...";

TEST_F(compile_CompileAction, SuccessWithoutTheSimulator) {
  EXPECT_EQ(Run(0), CompileOutcome::kCompiled);
  EXPECT_EQ(ui.progress_title, "Compiling Grammar Files");
  const std::string text = "Saving and compiling your grammar files.  This process will take a few minutes\r\rPlease standby...";
  ASSERT_EQ(ui.progress.size(), 2u);
  EXPECT_EQ(ui.progress[0].text, text);
  EXPECT_EQ(ui.progress[1].text, text);
  EXPECT_EQ(ui.progress[1].percent, 10);
  EXPECT_TRUE(FileExists(folder / "Data" / "CommandList.dat"));  // the catalogue is saved first
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], (std::array<int, 3>{1, 0, 1}));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.progress_up_at_message, std::vector<bool>{false});
  const Message& m = ui.messages[0];
  EXPECT_EQ(m.title, "Grammars and Readbacks Saved");
  EXPECT_EQ(m.text, kConfirmation);
  EXPECT_EQ(m.icon, kIconInformation);
  EXPECT_TRUE(m.ok);
  EXPECT_FALSE(m.cancel);
  EXPECT_EQ(m.id, "");
  EXPECT_FALSE(ConfigChanged);
  EXPECT_EQ(disabled, 1);
}

TEST_F(compile_CompileAction, RestartQuestionOnlyWhenBothRun) {
  windows.simulator = true;
  Run(0);
  EXPECT_EQ(ui.messages.back().text, kConfirmation);
  windows.simulator = false;
  windows.voice_module = true;
  Run(0);
  EXPECT_EQ(ui.messages.back().text, kConfirmation);
  windows.simulator = true;
  Run(0);
  const Message& m = ui.messages.back();
  EXPECT_EQ(m.title, "Grammars and Readbacks Saved");
  EXPECT_EQ(m.text,
            "All changes to the grammars and readbacks have been saved.  In order to use these changes in FSX, the "
            "Speech Recognition engine needs to be restarted.\r\rPress OK to restart, Cancel to continue without "
            "restarting.");
  EXPECT_TRUE(m.ok);
  EXPECT_TRUE(m.cancel);
  EXPECT_EQ(m.id, "gcompile_restart");
  EXPECT_EQ(m.icon, kIconInformation);
}

TEST_F(compile_CompileAction, CompileFailure) {
  windows.simulator = windows.voice_module = true;
  EXPECT_EQ(Run(3), CompileOutcome::kCompileFailed);
  ASSERT_EQ(ui.messages.size(), 1u);
  const Message& m = ui.messages[0];
  EXPECT_EQ(m.title, "Grammar Compile Error");
  EXPECT_EQ(m.text, std::string("\rThere was an error while compiling your grammar files.  Please contact Brevantix "
                                "support at ") + kSupportWebAddress + ".\r\rPlease press OK to continue...");
  EXPECT_EQ(m.icon, kIconInformation);
  EXPECT_FALSE(m.cancel);
  EXPECT_FALSE(ConfigChanged);
  EXPECT_EQ(disabled, 1);
}

TEST_F(compile_CompileAction, ExportFailureSkipsTheCompiler) {
  fs::remove(folder / "Data" / "Generic Lists.bnf");  // the generic lists cannot be provided
  EXPECT_EQ(Run(0), CompileOutcome::kExportFailed);
  EXPECT_TRUE(calls.empty());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.progress_up_at_message, std::vector<bool>{false});
  EXPECT_EQ(ui.messages[0].title, "Grammar Export Error");
  EXPECT_EQ(ui.messages[0].text, std::string("\rThere was an error while exporting your grammar files.  Please contact "
                                             "Brevantix support at ") + kSupportWebAddress +
                                     ".\r\rPlease press OK to continue...");
  EXPECT_FALSE(ConfigChanged);
  EXPECT_EQ(disabled, 1);
  EXPECT_TRUE(FileExists(folder / "Data" / "CommandList.dat"));
}

TEST_F(compile_CompileAction, UnwritableGrammarEndsTheProgramAfterOneMessage) {
  fs::create_directories(folder / "Grammars" / "Autopilot.bnf");  // a folder where the file should go
  BinCompileCall compile = [&](int c, int v2, int v3) {
    calls.push_back({c, v2, v3});
    return 0;
  };
  ConfigChanged = true;
  CompileScreens screens{ConfigChanged, [&] { ++disabled; }};
  EXPECT_EQ(CompileGrammarsAction(ctx, {settings, catalogue, categories, navaids}, compile, windows, screens),
            CompileOutcome::kGrammarFileUnwritable);
  EXPECT_TRUE(calls.empty());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, GrammarFileWriteError().text);
  EXPECT_TRUE(ui.exit_requested);
  EXPECT_EQ(ui.messages_at_exit, 1u);  // nothing is shown after the exit
}

}  // namespace
}  // namespace talvane
