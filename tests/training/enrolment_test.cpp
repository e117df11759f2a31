// Enrolment: the prompts, the files a session leaves in the profile's
// training folder after each action, resuming, and the recording checks on
// made-up signals.
#include "training/enrolment.h"

#include <gtest/gtest.h>

#include <set>

#include "common/files.h"
#include "common/wav_file.h"
#include "support/test_support.h"
#include "synthetic_audio.h"
#include "training/voice_profiles.h"

namespace talvane::test {
namespace {

using training::EnrolmentSession;
using training::LevelProblem;

TEST(TrainingPrompts, CommentsBlankLinesAndLineEndsAreNotPrompts) {
  EXPECT_EQ(training::ParsePrompts("# about\r\n  First one.  \r\n\r\n\t\nSecond one.\n#last\nThird"),
            (std::vector<std::string>{"First one.", "Second one.", "Third"}));
}

TEST(TrainingPrompts, MissingOrEmptyFileIsAnErrorNamingIt) {
  TempFolder t;
  std::string error;
  EXPECT_TRUE(training::ReadPrompts(t / "none.txt", &error).empty());
  EXPECT_NE(error.find("none.txt"), std::string::npos);
  WriteFile(t / "empty.txt", "# only a comment\n\n");
  error.clear();
  EXPECT_TRUE(training::ReadPrompts(t / "empty.txt", &error).empty());
  EXPECT_NE(error.find("no prompt"), std::string::npos);
}

TEST(TrainingPrompts, ProgramFolderShipsEnoughOfThem) {
  std::string error;
  const auto prompts = training::ReadPrompts(training::PromptsFile(TALVANE_PROGRAM_DIR), &error);
  EXPECT_GE(prompts.size(), 30u) << error;
}

TEST(TrainingPrompts, RecordingNamesCountFromOneInThreeDigits) {
  EXPECT_EQ(training::RecordingName(0), "001.wav");
  EXPECT_EQ(training::RecordingName(41), "042.wav");
  EXPECT_EQ(training::RecordingName(99), "100.wav");
}

class Enrolment : public ::testing::Test {
 protected:
  std::optional<EnrolmentSession> OpenSession(const std::string& name = "Alice") {
    std::string error;
    auto s = EnrolmentSession::Open(root.path(), name, prompts, &error);
    EXPECT_TRUE(s) << error;
    return s;
  }
  void Record(EnrolmentSession& s, const Samples& samples = GoodRecording()) {
    std::string error;
    ASSERT_TRUE(s.Record(samples, &error)) << error;
  }
  std::string Transcripts() const { return ReadWholeFile(folder / "transcripts.txt").value_or("<none>"); }

  TempFolder root;
  fs::path folder = root / "Training" / "Alice";
  std::vector<std::string> prompts{"Gear down, three green.", "Flaps twenty.", "Heading two seven zero.",
                                   "Climb to eight thousand."};
};

TEST_F(Enrolment, NamesThatCannotBeProfilesAreRefused) {
  for (const char* name : {"", ".hidden", "a/b", "..", " lead"}) {
    std::string error;
    EXPECT_FALSE(EnrolmentSession::Open(root.path(), name, prompts, &error)) << name;
    EXPECT_NE(error.find("cannot be the name of a voice profile"), std::string::npos) << name;
  }
  std::string error;
  EXPECT_FALSE(EnrolmentSession::Open(root.path(), "Alice", {}, &error));
  EXPECT_FALSE(error.empty());
  // Opening alone leaves nothing on disk.
  EXPECT_FALSE(fs::exists(root / "Training"));
}

TEST_F(Enrolment, RecordWritesTheWaveAndItsTranscriptLineThenMovesOn) {
  auto s = OpenSession();
  const Samples samples = GoodRecording();
  Record(*s, samples);
  const auto wav = ReadWav(ReadWholeFile(folder / "001.wav").value());
  ASSERT_TRUE(wav);
  EXPECT_EQ(wav->sample_rate, 16000u);
  EXPECT_EQ(wav->channels, 1u);
  EXPECT_EQ(wav->samples, samples);
  EXPECT_EQ(Transcripts(), "001.wav\tGear down, three green.\n");
  EXPECT_EQ(s->Current(), 1u);
  EXPECT_EQ(s->RecordedCount(), 1u);
  // No temporary files are left beside them.
  EXPECT_EQ(ListFolder(folder, false).size(), 2u);
}

TEST_F(Enrolment, ReRecordReplacesSkipLeavesAGapInOrder) {
  auto s = OpenSession();
  Record(*s);                  // prompt 1, on to 2
  ASSERT_TRUE(s->Skip());      // 2 left out, on to 3
  EXPECT_EQ(s->Current(), 2u);
  Samples softer = GoodRecording();
  for (auto& x : softer) x = static_cast<std::int16_t>(x / 2);
  Record(*s);                  // prompt 3, on to 4
  EXPECT_EQ(s->Current(), 3u);
  ASSERT_TRUE(s->GoTo(0));
  EXPECT_TRUE(s->CurrentRecorded());
  Record(*s, softer);          // re-record prompt 1
  EXPECT_EQ(ReadWav(ReadWholeFile(folder / "001.wav").value())->samples, softer);
  EXPECT_EQ(Transcripts(), "001.wav\tGear down, three green.\n003.wav\tHeading two seven zero.\n");
  EXPECT_FALSE(fs::exists(folder / "002.wav"));
  EXPECT_EQ(s->Current(), 1u);
}

TEST_F(Enrolment, SkipWrapsToEarlierGapsAndStopsWhenNoneIsLeft) {
  auto s = OpenSession();
  s->GoTo(1);
  Record(*s);  // 2
  Record(*s);  // 3
  Record(*s);  // 4, then round to 1
  EXPECT_EQ(s->Current(), 0u);
  EXPECT_FALSE(s->Skip());  // every other prompt is recorded
  EXPECT_EQ(s->Current(), 0u);
  EXPECT_FALSE(s->Previous());
  s->GoTo(3);
  EXPECT_FALSE(s->Next());
  EXPECT_FALSE(s->GoTo(4));
}

TEST_F(Enrolment, ReopeningResumesAtTheFirstPromptNotRecorded) {
  {
    auto s = OpenSession();
    Record(*s);
    Record(*s);
    s->GoTo(3);
    Record(*s);
  }
  auto s = OpenSession();
  EXPECT_EQ(s->RecordedCount(), 3u);
  EXPECT_EQ(s->Current(), 2u);
  EXPECT_TRUE(s->IsRecorded(3));
  auto samples = s->ReadRecording(1);
  ASSERT_TRUE(samples);
  EXPECT_EQ(*samples, GoodRecording());
  EXPECT_FALSE(s->ReadRecording(2));
}

TEST_F(Enrolment, ReopeningMendsTranscriptsThatMissARecording) {
  {
    auto s = OpenSession();
    Record(*s);
    Record(*s);
  }
  // As if the program ended between a recording and its transcripts line.
  WriteFile(folder / "transcripts.txt", "001.wav\tGear down, three green.\n");
  OpenSession();
  EXPECT_EQ(Transcripts(), "001.wav\tGear down, three green.\n002.wav\tFlaps twenty.\n");
}

TEST_F(Enrolment, DeletingRecordingsUpdatesTheTranscripts) {
  auto s = OpenSession();
  Record(*s);
  Record(*s);
  s->GoTo(0);
  std::string error;
  ASSERT_TRUE(s->DeleteRecording(&error)) << error;
  EXPECT_FALSE(fs::exists(folder / "001.wav"));
  EXPECT_EQ(Transcripts(), "002.wav\tFlaps twenty.\n");
  s->GoTo(1);
  ASSERT_TRUE(s->DeleteRecording(&error)) << error;
  // No recording, no transcripts.
  EXPECT_FALSE(fs::exists(folder / "transcripts.txt"));
  EXPECT_EQ(s->RecordedCount(), 0u);
}

TEST_F(Enrolment, StartOverDeletesOnlyTheRecordingsAndTranscripts) {
  auto s = OpenSession();
  Record(*s);
  Record(*s);
  WriteFile(folder / "notes.txt", "mine");
  WriteFile(folder / "017.wav", "from a longer prompt list");
  std::string error;
  ASSERT_TRUE(s->StartOver(&error)) << error;
  EXPECT_EQ(ListFolder(folder, false), std::vector<std::string>{"notes.txt"});
  EXPECT_EQ(s->RecordedCount(), 0u);
  EXPECT_EQ(s->Current(), 0u);
  // With nothing else in it the folder goes too.
  fs::remove(folder / "notes.txt");
  Record(*s);
  ASSERT_TRUE(s->StartOver(&error));
  EXPECT_FALSE(fs::exists(folder));
}

TEST_F(Enrolment, AdaptingNeedsTenRecordings) {
  prompts.assign(12, "Say something.");
  auto s = OpenSession();
  for (int i = 0; i < 9; ++i) Record(*s);
  std::string why;
  EXPECT_FALSE(s->EnoughToAdapt(&why));
  EXPECT_NE(why.find("At least 10 prompts"), std::string::npos) << why;
  EXPECT_NE(why.find("recorded 9 so far; please record 1 more"), std::string::npos) << why;
  Record(*s);
  EXPECT_TRUE(s->EnoughToAdapt(&why));
}

TEST_F(Enrolment, KnownProfilesAreModelsAndTrainingFoldersOnce) {
  const fs::path model = training::ModelFolder(root.path(), "Bob");
  for (const char* f : {"mdef", "means", "variances", "transition_matrices", "sendump", "feat.params", "noisedict",
                        "phone.lm.bin"})
    WriteFile(model / f, "x");
  fs::create_directories(root / "Training" / "Bob");
  fs::create_directories(root / "Training" / "Alice");
  fs::create_directories(root / "Training" / ".scratch");
  fs::create_directories(root / "Models" / "Half");  // no complete model, no recordings
  EXPECT_EQ(training::KnownProfiles(root.path()), (std::vector<std::string>{"Alice", "Bob"}));
}

// The checks, each on a signal that has exactly that fault.
TEST(RecordingCheck, GoodRecordingPasses) {
  const auto c = training::CheckLevels(GoodRecording());
  EXPECT_TRUE(c.ok()) << static_cast<int>(c.problem);
  EXPECT_NEAR(c.speech_seconds, 1.5, 0.1);
  EXPECT_NEAR(c.peak_dbfs, -8, 1);
  EXPECT_GT(c.speech_dbfs - c.floor_dbfs, 30);
}

TEST(RecordingCheck, SilenceIsNoSignal) {
  EXPECT_EQ(training::CheckLevels(Samples(32000, 0)).problem, LevelProblem::kNoSignal);
  EXPECT_EQ(training::CheckLevels(Samples{}).problem, LevelProblem::kNoSignal);
  Samples dither;
  AddHiss(dither, 2, 1);
  EXPECT_EQ(training::CheckLevels(dither).problem, LevelProblem::kNoSignal);
}

TEST(RecordingCheck, QuietSpeechIsTooQuiet) {
  Samples s;
  AddHiss(s, 0.4, 4);
  AddTone(s, 1.5, 800);  // about -32 dBFS
  AddHiss(s, 0.4, 4);
  EXPECT_EQ(training::CheckLevels(s).problem, LevelProblem::kTooQuiet);
}

TEST(RecordingCheck, SpeechLittleAboveTheBackgroundIsNoisy) {
  Samples s;
  AddHiss(s, 0.5, 4000);
  for (int i = 0; i < 24000; ++i) s.push_back(0);
  Samples tone;
  AddTone(tone, 1.5, 9000);
  Samples hiss;
  AddHiss(hiss, 1.5, 4000);
  for (std::size_t i = 0; i < tone.size(); ++i) s[8000 + i] = static_cast<std::int16_t>(tone[i] + hiss[i]);
  AddHiss(s, 0.5, 4000);
  EXPECT_EQ(training::CheckLevels(s).problem, LevelProblem::kNoisy);
  // Speaking from the first moment to the last leaves no background to
  // compare with: the same advice holds.
  EXPECT_EQ(training::CheckLevels(tone).problem, LevelProblem::kNoisy);
}

TEST(RecordingCheck, ARunOfFullScaleSamplesIsClipped) {
  Samples s = GoodRecording();
  for (int i = 0; i < 20; ++i) s[10000 + i] = 32767;
  EXPECT_TRUE(training::CheckLevels(s).ok()) << "20 in a row is still allowed";
  s[10020] = -32768;
  const auto c = training::CheckLevels(s);
  EXPECT_EQ(c.problem, LevelProblem::kClipped);
  EXPECT_EQ(c.longest_clip, 21u);
}

TEST(RecordingCheck, LittleSpeechIsTooShort) {
  Samples s;
  AddHiss(s, 0.6, 40);
  AddTone(s, 0.3, 13000);
  AddHiss(s, 0.6, 40);
  EXPECT_EQ(training::CheckLevels(s).problem, LevelProblem::kTooShort);
  Samples clip;
  AddTone(clip, 0.3, 13000);
  EXPECT_EQ(training::CheckLevels(clip).problem, LevelProblem::kTooShort);
}

TEST(RecordingCheck, EveryProblemTellsThePilotWhatToDo) {
  std::set<std::string> texts;
  for (LevelProblem p : {LevelProblem::kNoSignal, LevelProblem::kClipped, LevelProblem::kTooShort,
                         LevelProblem::kTooQuiet, LevelProblem::kNoisy}) {
    const std::string text = training::LevelProblemText(p);
    EXPECT_NE(text.find("Please"), std::string::npos) << text;
    texts.insert(text);
  }
  EXPECT_EQ(texts.size(), 5u);
  EXPECT_TRUE(training::LevelProblemText(LevelProblem::kNone).empty());
}

}  // namespace
}  // namespace talvane::test
