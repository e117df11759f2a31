// Adapting a model: the transcripts, a failing or cancelled adaptation that
// must leave the model in use alone, the helper the program runs, and one
// whole adaptation on synthesised speech that the engine then recognises with.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

#include "common/files.h"
#include "common/text.h"
#include "common/wav_file.h"
#include "engine/engine_support.h"
#include "support/test_support.h"
#include "training/adaptation.h"
#include "training/adaptation_run.h"

namespace talvane::training {
namespace {

using test::TempFolder;
using test::WriteFile;

void Executable(const fs::path& p, const std::string& script) {
  WriteFile(p, script);
  ::chmod(p.c_str(), 0755);
}

std::string Tone(double seconds) {
  std::vector<std::int16_t> s(static_cast<std::size_t>(16000 * seconds));
  for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<std::int16_t>(8000 * std::sin(i * 0.07));
  return WavBytes(s, 16000);
}

TEST(Transcripts, NameTabWordsPerLine) {
  TempFolder f;
  WriteFile(f / "001.wav", "x");
  WriteFile(f / "two words.wav", "x");
  WriteFile(f / "t.txt", "# comment\n\n001.wav\tThe pilot, checked.\r\ntwo words.wav\tok\n");
  std::string e;
  auto u = ReadTranscripts(f / "t.txt", f.path(), &e);
  ASSERT_EQ(u.size(), 2u) << e;
  EXPECT_EQ(u[0].wav, f / "001.wav");
  EXPECT_EQ(u[0].words, "The pilot, checked.");
  EXPECT_EQ(u[1].wav, f / "two words.wav");

  struct Bad {
    const char* text;
    const char* says;
  } bad[] = {
      {"001.wav the words\n", "line 1: expected a file name"},
      {"\n002.wav\twords\n", "line 2: 002.wav does not exist"},
      {"../001.wav\twords\n", "not a file of the folder"},
      {"001.wav\t ... \n", "no words"},
      {"# nothing\n", "lists no recordings"},
  };
  for (const auto& b : bad) {
    WriteFile(f / "t.txt", b.text);
    EXPECT_TRUE(ReadTranscripts(f / "t.txt", f.path(), &e).empty()) << b.text;
    EXPECT_NE(e.find(b.says), std::string::npos) << e;
  }
  EXPECT_TRUE(ReadTranscripts(f / "missing.txt", f.path(), &e).empty());
}

// A program folder with the shipped manifest, a profile "jane" in use, and
// training tools that do what a test wants.
struct Adaptation : ::testing::Test {
  TempFolder program, tools;
  std::string manifest_before;
  AdaptOptions o;
  void SetUp() override {
    fs::create_directories(program / "Grammars");
    fs::copy_file(fs::path(TALVANE_PROGRAM_DIR) / "Grammars/vocon3200lngenu_full.dat",
                  ManifestFile(program.path()));
    const fs::path model = ModelFolder(program.path(), "jane");
    fs::create_directories(model);
    for (const char* f : {"mdef", "means", "variances", "transition_matrices", "sendump", "feat.params",
                          "noisedict", "phone.lm.bin"})
      WriteFile(model / f, "old");
    std::string e;
    ASSERT_TRUE(UseProfile(program.path(), "jane", &e)) << e;
    manifest_before = test::ReadFile(ManifestFile(program.path()));
    for (int i = 0; i < 3; ++i) {
      const fs::path wav = program / ("r" + std::to_string(i) + ".wav");
      WriteFile(wav, Tone(1.0));
      o.speech.push_back(Utterance{wav, "the pilot checked the weather"});
    }
    o.program_folder = program.path();
    o.profile = "jane";
    ::setenv("TALVANE_SPHINXTRAIN", tools.path().c_str(), 1);
  }
  void TearDown() override { ::unsetenv("TALVANE_SPHINXTRAIN"); }
  void ExpectModelInUseUnchanged() {
    EXPECT_EQ(test::ReadFile(ManifestFile(program.path())), manifest_before);
    EXPECT_EQ(test::ReadFile(ModelFolder(program.path(), "jane") / "means"), "old");
    // No staging folder is left behind.
    EXPECT_EQ(ListFolder(program / "Models", true), std::vector<std::string>{"jane"});
  }
};

TEST_F(Adaptation, AFailingToolKeepsTheModelInUseAndSaysWhy) {
  if (::access("/usr/bin/sphinx_fe", X_OK) != 0) GTEST_SKIP() << "sphinx_fe is not installed";
  Executable(tools / "bw", "#!/bin/sh\necho 'FATAL: the statistics went wrong' >&2\nexit 3\n");
  std::vector<std::string> steps;
  o.progress = [&](const Progress& p) { steps.push_back(p.text); };
  std::string e;
  EXPECT_FALSE(AdaptProfile(o, &e));
  EXPECT_NE(e.find("collecting the statistics failed"), std::string::npos) << e;
  EXPECT_NE(e.find("the statistics went wrong"), std::string::npos) << e;
  EXPECT_EQ(steps.back(), "Collecting statistics");
  ExpectModelInUseUnchanged();
}

TEST_F(Adaptation, AMissingToolIsNamed) {
  std::string e;
  EXPECT_FALSE(AdaptProfile(o, &e));  // the tools folder is empty
  EXPECT_NE(e.find("is not installed"), std::string::npos) << e;
  ExpectModelInUseUnchanged();
}

TEST_F(Adaptation, CancelStopsTheRunningToolAtOnce) {
  if (::access("/usr/bin/sphinx_fe", X_OK) != 0) GTEST_SKIP() << "sphinx_fe is not installed";
  Executable(tools / "bw", "#!/bin/sh\nsleep 30\n");
  std::atomic<bool> cancel{false};
  o.cancel = &cancel;
  o.progress = [&](const Progress& p) {
    if (p.text == "Collecting statistics")
      std::thread([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        cancel = true;
      }).detach();
  };
  const auto t0 = std::chrono::steady_clock::now();
  std::string e;
  EXPECT_FALSE(AdaptProfile(o, &e));
  EXPECT_EQ(e, "cancelled");
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(10));
  ExpectModelInUseUnchanged();
}

TEST_F(Adaptation, BadRequestsAreRefusedBeforeAnythingIsWritten) {
  std::string e;
  o.profile = "../x";
  EXPECT_FALSE(AdaptProfile(o, &e));
  o.profile = "jane";
  o.speech.clear();
  EXPECT_FALSE(AdaptProfile(o, &e));
  ExpectModelInUseUnchanged();
}

// The helper the program runs, replaced by scripts that answer as it does.
TEST(AdaptationRunner, ReportsProgressSuccessErrorsAndCancel) {
  TempFolder f;
  const fs::path helper = f / "talvane-adapt";
  std::vector<Progress> seen;
  auto progress = [&](const Progress& p) { seen.push_back(p); };
  std::string e;

  Executable(helper, "#!/bin/sh\necho 'progress 0 8 Preparing'\necho 'progress 3 8 Collecting statistics'\n"
                     "echo done\n");
  EXPECT_TRUE(AdaptationRun(helper, f.path(), "jane").Run(progress, &e)) << e;
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].step, 3);
  EXPECT_EQ(seen[1].steps, 8);
  EXPECT_EQ(seen[1].text, "Collecting statistics");

  Executable(helper, "#!/bin/sh\necho \"progress 0 8 $2 in $1\"\necho 'error there are no recordings'\nexit 1\n");
  seen.clear();
  EXPECT_FALSE(AdaptationRun(helper, f.path(), "jane").Run(progress, &e));
  EXPECT_EQ(e, "there are no recordings");
  EXPECT_EQ(seen.at(0).text, "jane in " + f.path().string());

  Executable(helper, "#!/bin/sh\nexit 0\n");  // ended without saying it was done
  EXPECT_FALSE(AdaptationRun(helper, f.path(), "jane").Run(progress, &e));
  EXPECT_NE(e.find("ended unexpectedly"), std::string::npos);

  // The real helper cleans up when told to stop; this one says so.
  Executable(helper, "#!/bin/sh\ntrap 'echo error cancelled; exit 1' TERM\necho 'progress 0 8 Preparing'\n"
                     "while true; do sleep 0.05; done\n");
  AdaptationRun run(helper, f.path(), "jane");
  seen.clear();
  std::atomic<bool> started{false};
  std::thread canceller([&] {
    while (!started) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    run.Cancel();
  });
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_FALSE(run.Run([&](const Progress&) { started = true; }, &e));
  canceller.join();
  EXPECT_EQ(e, "cancelled");
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));

  AdaptationRun early(helper, f.path(), "jane");
  early.Cancel();  // before it started: it never starts
  EXPECT_FALSE(early.Run(progress, &e));
  EXPECT_EQ(e, "cancelled");
  EXPECT_FALSE(AdaptationRun(f / "missing", f.path(), "jane").Run(progress, &e));
  EXPECT_NE(e.find("missing"), std::string::npos);
}

// Six recordings of one voice in Training/<profile>, with their transcripts.
fs::path RecordSix(const fs::path& program, const std::string& profile) {
  const fs::path training = TrainingFolder(program, profile);
  fs::create_directories(training);
  const char* const prompts[] = {
      "The pilot checked the weather before the long flight to the coast.",
      "Thick fog covered the valley while the children slept.",
      "She enjoyed the royal voyage across the quiet blue ocean.",
      "The judge pushed the heavy chair toward the shining window.",
      "We kept the heading steady while the autopilot held the speed.",
      "The runway numbers were two seven left and zero niner right.",
  };
  std::string transcripts;
  for (std::size_t i = 0; i < std::size(prompts); ++i) {
    const std::string name = "00" + std::to_string(i + 1) + ".wav";
    fs::copy_file(test::Speech(prompts[i], 4, 45 + 5 * static_cast<int>(i % 3)), training / name);
    transcripts += name + "\t" + prompts[i] + "\n";
  }
  WriteFile(training / "transcripts.txt", transcripts);
  return training;
}

// The engine's result for `text` said in voice 4, in the program folder.
std::string Heard(const fs::path& program, const std::string& text) {
  test::InDirectory here(program);
  const fs::path wav = test::Speech(text, 4, 50);
  test::UseWav(&wav);
  const int rc = test::Send(SR_INIT);
  const auto r = rc == SR_OK ? test::Recognize() : test::EngineResult{};
  test::UseWav(nullptr);
  if (rc == SR_OK) test::Send(SR_TERMINATE);
  return rc == SR_OK ? std::string(Trim(r.text)) : "init failed " + std::to_string(rc);
}

// The whole way: recordings of one voice, the real tools, the helper the
// program runs, and the engine recognising with the adapted model.
TEST(AdaptationEndToEnd, TheEngineRecognisesWithTheAdaptedModel) {
  if (::access("/usr/lib/sphinxtrain/bw", X_OK) != 0) GTEST_SKIP() << "the sphinxtrain tools are not installed";
  TempFolder program;
  test::CopyProgram(program.path());
  const fs::path training = RecordSix(program.path(), "Test Pilot");

  std::vector<Progress> seen;
  std::string e;
  ASSERT_TRUE(AdaptationRun(program / "talvane-adapt", program.path(), "Test Pilot")
                  .Run([&](const Progress& p) { seen.push_back(p); }, &e))
      << e;
  EXPECT_EQ(seen.back().step, seen.back().steps);
  EXPECT_EQ(ActiveProfile(program.path()), "Test Pilot");
  EXPECT_TRUE(IsCompleteModel(ModelFolder(program.path(), "Test Pilot")));
  EXPECT_NE(test::ReadFile(ModelFolder(program.path(), "Test Pilot") / "calibration.txt").find("confidence_shift = "),
            std::string::npos);
  EXPECT_TRUE(fs::exists(training / "adaptation.log"));
  // Only the model is left in Models: no work files, no staging folder.
  EXPECT_EQ(ListFolder(program / "Models", true), std::vector<std::string>{"Test Pilot"});

  EXPECT_EQ(Heard(program.path(), "gear down"), "|701");

  // And back to the standard model: the engine no longer names the profile.
  auto run = test::RunTool({"--program-folder", program.path().string(), "use-profile", "-"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ActiveProfile(program.path()), "");
  run = test::RunTool({"--program-folder", program.path().string(), "profiles"});
  EXPECT_EQ(run.out, "  Test Pilot\n* (standard model)\n");
}

// The speaker transform on top: written into the model folder and applied
// by the engine with the model (a transform it cannot read stops it).
TEST(AdaptationEndToEnd, TheTransformGoesWithTheModel) {
  if (::access("/usr/lib/sphinxtrain/mllr_solve", X_OK) != 0) GTEST_SKIP() << "the sphinxtrain tools are not installed";
  TempFolder program;
  test::CopyProgram(program.path());
  const fs::path training = RecordSix(program.path(), "Transformed");
  const auto run = test::RunTool({"--program-folder", program.path().string(), "train", "Transformed",
                                  training.string(), "--mllr"});
  ASSERT_EQ(run.status, 0) << run.err;
  const fs::path matrix = ModelFolder(program.path(), "Transformed") / "mllr_matrix";
  ASSERT_TRUE(fs::exists(matrix));
  EXPECT_EQ(Heard(program.path(), "gear down"), "|701");

  WriteFile(matrix, "1\n3\n13\n1.0 0.5\n");
  EXPECT_EQ(Heard(program.path(), "gear down").rfind("init failed", 0), 0u);
}

}  // namespace
}  // namespace talvane::training
