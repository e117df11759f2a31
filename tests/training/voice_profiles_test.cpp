// Voice profiles: the manifest's profile line, where the engine finds the
// model, and swapping models in without a half-written state.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "common/files.h"
#include "grisk/language_model.h"
#include "support/test_support.h"
#include "training/voice_profiles.h"

namespace talvane::training {
namespace {

const char* const kManifest =
    "format = talvane-language-model 1\n"
    "# the model\n"
    "acoustic_model = /usr/share/pocketsphinx/model/en-us/en-us\n"
    "dictionary = /usr/share/pocketsphinx/model/en-us/cmudict-en-us.dict\n"
    "phone_set = AA AE\n"
    "decoder.garbage = 0.015";  // no newline at the end, as an editor may leave it

void FakeModel(const fs::path& folder, const std::string& marker) {
  fs::create_directories(folder);
  for (const char* f : {"mdef", "means", "variances", "transition_matrices", "sendump", "feat.params", "noisedict",
                        "phone.lm.bin"})
    test::WriteFile(folder / f, marker);
}

struct ProfileFolder : ::testing::Test {
  test::TempFolder program;
  void SetUp() override {
    fs::create_directories(program / "Grammars/Test");
    test::WriteFile(ManifestFile(program.path()), kManifest);
  }
};

TEST(ProfileNames, OnlyPlainFolderNames) {
  for (const char* ok : {"pilot", "Jane Doe", "jd-2", "a.b_c"}) EXPECT_TRUE(IsValidProfileName(ok)) << ok;
  for (const char* bad : {"", ".", "..", ".hidden", " lead", "trail ", "a/b", "a\\b", "x\ny", "é"})
    EXPECT_FALSE(IsValidProfileName(bad)) << bad;
  EXPECT_TRUE(IsValidProfileName(std::string(40, 'a')));
  EXPECT_FALSE(IsValidProfileName(std::string(41, 'a')));
}

TEST(ProfileLine, IsSetReplacedAndRemovedKeepingTheRest) {
  const std::string with = WithProfileLine(kManifest, "jane");
  EXPECT_EQ(with, std::string(kManifest) + "\nprofile = jane\n");
  const std::string again = WithProfileLine(with, "tom");
  EXPECT_EQ(again.find("jane"), std::string::npos);
  EXPECT_NE(again.find("profile = tom\n"), std::string::npos);
  EXPECT_EQ(WithProfileLine(again, ""), std::string(kManifest) + "\n");
  // A commented-out profile is a comment, and stays one.
  EXPECT_EQ(WithProfileLine("# profile = old\nprofile=x\n", ""), "# profile = old\n");
}

TEST_F(ProfileFolder, UseProfileNeedsACompleteModelAndLeavesTheManifestAloneOtherwise) {
  std::string e;
  EXPECT_FALSE(UseProfile(program.path(), "jane", &e));
  EXPECT_NE(e.find("no adapted model"), std::string::npos);
  FakeModel(ModelFolder(program.path(), "jane"), "x");
  fs::remove(ModelFolder(program.path(), "jane") / "phone.lm.bin");  // without it, no rejection
  EXPECT_FALSE(UseProfile(program.path(), "jane", &e));
  EXPECT_FALSE(UseProfile(program.path(), "../jane", &e));
  EXPECT_EQ(test::ReadFile(ManifestFile(program.path())), kManifest);

  FakeModel(ModelFolder(program.path(), "jane"), "x");
  ASSERT_TRUE(UseProfile(program.path(), "jane", &e)) << e;
  EXPECT_EQ(ActiveProfile(program.path()), "jane");
  EXPECT_EQ(ListProfiles(program.path()), std::vector<std::string>{"jane"});
  ASSERT_TRUE(UseProfile(program.path(), "", &e)) << e;
  EXPECT_EQ(ActiveProfile(program.path()), "");
}

TEST_F(ProfileFolder, TheManifestFindsTheModelFromGrammarsAndFromTheTestFolder) {
  FakeModel(ModelFolder(program.path(), "jane"), "x");
  test::WriteFile(ModelFolder(program.path(), "jane") / "calibration.txt", "# note\nconfidence_shift = 0.0007\n");
  const std::string text = WithProfileLine(kManifest, "jane");
  std::string e;
  for (const fs::path& where : {program / "Grammars", program / "Grammars/Test"}) {
    auto lm = bgm::ParseLanguageModel(text, where, &e);
    ASSERT_TRUE(lm) << e;
    EXPECT_EQ(lm->profile, "jane");
    EXPECT_EQ(fs::weakly_canonical(lm->acoustic_model), fs::weakly_canonical(ModelFolder(program.path(), "jane")));
    EXPECT_DOUBLE_EQ(lm->confidence_shift, 0.0007);
  }
  // A profile whose model is gone names a folder the engine will not find,
  // rather than silently falling back to another model.
  auto lm = bgm::ParseLanguageModel(WithProfileLine(kManifest, "gone"), program / "Grammars", &e);
  ASSERT_TRUE(lm) << e;
  EXPECT_FALSE(fs::exists(lm->acoustic_model / "mdef"));
  EXPECT_FALSE(bgm::ParseLanguageModel(WithProfileLine(kManifest, "../etc"), program / "Grammars", &e));
  // Shifts that are no calibration are ignored.
  test::WriteFile(ModelFolder(program.path(), "jane") / "calibration.txt", "confidence_shift = 5\n");
  EXPECT_EQ(bgm::ReadConfidenceShift(ModelFolder(program.path(), "jane")), 0);
  test::WriteFile(ModelFolder(program.path(), "jane") / "calibration.txt", "confidence_shift = 0.001x\n");
  EXPECT_EQ(bgm::ReadConfidenceShift(ModelFolder(program.path(), "jane")), 0);
}

TEST_F(ProfileFolder, InstallingSwapsTheWholeModelOrNothing) {
  std::string e;
  fs::path staged = StagingFolder(program.path(), "jane", &e);
  ASSERT_FALSE(staged.empty()) << e;
  EXPECT_TRUE(ListProfiles(program.path()).empty());  // a staging folder is no profile
  FakeModel(staged, "first");
  ASSERT_TRUE(InstallModel(program.path(), "jane", staged, &e)) << e;
  EXPECT_EQ(test::ReadFile(ModelFolder(program.path(), "jane") / "means"), "first");
  EXPECT_FALSE(fs::exists(staged));

  // An incomplete new model is refused and the old one stays whole.
  staged = StagingFolder(program.path(), "jane", &e);
  FakeModel(staged, "second");
  fs::remove(staged / "sendump");
  EXPECT_FALSE(InstallModel(program.path(), "jane", staged, &e));
  EXPECT_EQ(test::ReadFile(ModelFolder(program.path(), "jane") / "means"), "first");

  FakeModel(staged, "second");
  ASSERT_TRUE(InstallModel(program.path(), "jane", staged, &e)) << e;
  EXPECT_EQ(test::ReadFile(ModelFolder(program.path(), "jane") / "means"), "second");
  EXPECT_EQ(test::ReadFile(ModelFolder(program.path(), "jane") / "noisedict"), "second");
  EXPECT_FALSE(fs::exists(staged));
  EXPECT_EQ(ListFolder(program / "Models", true), std::vector<std::string>{"jane"});
}

TEST_F(ProfileFolder, StagingLeftByAnEndedProcessIsCleared) {
  // A process that has ended, and one that still runs.
  const pid_t ended = ::fork();
  if (ended == 0) ::_exit(0);
  ::waitpid(ended, nullptr, 0);
  const fs::path dead = program / "Models" / (".jane." + std::to_string(ended) + ".tmp");
  const fs::path alive = program / "Models" / (".tom." + std::to_string(::getppid()) + ".tmp");
  fs::create_directories(dead / "work");
  fs::create_directories(alive);
  std::string e;
  ASSERT_FALSE(StagingFolder(program.path(), "jane", &e).empty()) << e;
  EXPECT_FALSE(fs::exists(dead));
  EXPECT_TRUE(fs::exists(alive));
}

}  // namespace
}  // namespace talvane::training
