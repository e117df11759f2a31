// libkelo: the voice table, and the library itself through its entry point,
// speaking into WAV files.
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>

#include "common/wav_file.h"
#include "kelo/kelo.h"
#include "kelo/kelo_voices.h"
#include "support/test_support.h"

namespace talvane::kelo {
namespace {

using talvane::test::ReadFile;
using talvane::test::TempFolder;

TEST(kelo_Voices, ScalesMapOntoEspeak) {
  EXPECT_EQ(EspeakRate(50), 175);
  EXPECT_EQ(EspeakRate(0), 80);
  EXPECT_EQ(EspeakRate(100), 350);
  EXPECT_EQ(EspeakRate(-20), 80);
  EXPECT_EQ(EspeakRate(1000), 350);
  for (int i = 1; i <= 100; ++i) EXPECT_GE(EspeakRate(i), EspeakRate(i - 1));
  EXPECT_EQ(EspeakVolume(100), 100);
  EXPECT_EQ(EspeakVolume(250), 100);
  EXPECT_EQ(EspeakVolume(-5), 0);
}

TEST(kelo_Voices, FourDistinctVoices) {
  ASSERT_EQ(Voices().size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(Voices()[i].number, static_cast<int>(i) + 1);
    for (std::size_t j = i + 1; j < 4; ++j) EXPECT_NE(EspeakVoiceName(Voices()[i]), EspeakVoiceName(Voices()[j]));
  }
  EXPECT_EQ(FindVoice(3)->title, "Daniel (UK English)");
  EXPECT_FALSE(FindVoice(0));
  EXPECT_FALSE(FindVoice(5));
}

// The library as the program loads it, from the built program folder.
class kelo_Library : public ::testing::Test {
 protected:
  using Call = int (*)(int, int, int, int, const char*);

  static void SetUpTestSuite() {
    handle_ = dlopen(TALVANE_PROGRAM_DIR "/libkelo.so", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle_, nullptr) << dlerror();
    call_ = reinterpret_cast<Call>(dlsym(handle_, "fnKELOspeak_Call"));
    ASSERT_NE(call_, nullptr);
  }

  void SetUp() override {
    ASSERT_NE(call_, nullptr);
    old_dir_ = fs::current_path();
    fs::current_path(folder_.path());
    ASSERT_EQ(call_(KELO_INITIALISE, 0, 0, 0, "0"), KELO_OK);
  }
  void TearDown() override {
    unsetenv("KELO_WAV");
    fs::current_path(old_dir_);
  }

  // Speaks into a WAV file and reads it back.
  std::optional<MonoAudio> SpeakToWav(int voice, const char* text, const std::string& name, int volume = 100,
                                    int rate = 50) {
    const fs::path wav = folder_ / name;
    setenv("KELO_WAV", wav.c_str(), 1);
    EXPECT_EQ(call_(KELO_SPEAK, voice, volume, rate, text), KELO_OK);
    EXPECT_EQ(call_(KELO_WAIT, 0, 20000, 0, "0"), KELO_OK);
    if (!fs::exists(wav)) return std::nullopt;
    return ReadWav(ReadFile(wav));
  }

  static double Rms(const MonoAudio& w) {
    double sum = 0;
    for (auto v : w.samples) sum += static_cast<double>(v) * v;
    return w.samples.empty() ? 0 : std::sqrt(sum / static_cast<double>(w.samples.size()));
  }

  // Median fundamental frequency of the voiced frames, by autocorrelation:
  // enough to tell a female voice from a male one.
  static double MedianPitch(const MonoAudio& w) {
    const std::size_t frame = w.sample_rate / 25;
    const std::size_t min_lag = w.sample_rate / 400, max_lag = w.sample_rate / 60;
    std::vector<double> pitches;
    for (std::size_t at = 0; at + frame + max_lag <= w.samples.size(); at += frame) {
      double energy = 0;
      for (std::size_t i = at; i < at + frame; ++i) energy += static_cast<double>(w.samples[i]) * w.samples[i];
      if (energy / static_cast<double>(frame) < 1e6) continue;
      double best = 0;
      std::size_t best_lag = 0;
      for (std::size_t lag = min_lag; lag <= max_lag; ++lag) {
        double c = 0;
        for (std::size_t i = at; i < at + frame; ++i) c += static_cast<double>(w.samples[i]) * w.samples[i + lag];
        if (c > best) best = c, best_lag = lag;
      }
      if (best > 0.5 * energy) pitches.push_back(static_cast<double>(w.sample_rate) / static_cast<double>(best_lag));
    }
    if (pitches.empty()) return 0;
    std::sort(pitches.begin(), pitches.end());
    return pitches[pitches.size() / 2];
  }

  static inline void* handle_ = nullptr;
  static inline Call call_ = nullptr;
  TempFolder folder_;
  fs::path old_dir_;
};

TEST_F(kelo_Library, VoiceQueries) {
  for (int v = 1; v <= 4; ++v) EXPECT_EQ(call_(KELO_VOICE_PRESENT, v, 0, 0, "0"), KELO_OK) << v;
  EXPECT_NE(call_(KELO_VOICE_PRESENT, 0, 0, 0, "0"), KELO_OK);
  EXPECT_NE(call_(KELO_VOICE_PRESENT, 5, 0, 0, "0"), KELO_OK);
  EXPECT_NE(call_(KELO_VOICE_PRESENT, -1, 0, 0, "0"), KELO_OK);
  EXPECT_EQ(call_(99, 0, 0, 0, "0"), KELO_ERR_ARGUMENT);
  EXPECT_EQ(call_(KELO_SPEAK, 1, 100, 50, nullptr), KELO_ERR_ARGUMENT);
}

TEST_F(kelo_Library, FourVoicesSpeakAudiblyAndDiffer) {
  std::vector<MonoAudio> spoken;
  for (int v = 1; v <= 4; ++v) {
    auto w = SpeakToWav(v, "Gear down, three green. Flaps set to fifteen.", "voice" + std::to_string(v) + ".wav");
    ASSERT_TRUE(w) << "voice " << v;
    EXPECT_EQ(w->sample_rate, 22050u);
    EXPECT_EQ(w->channels, 1);
    EXPECT_GT(w->samples.size(), w->sample_rate) << "at least a second of speech";
    EXPECT_GT(Rms(*w), 500.0) << "voice " << v << " is silent";
    spoken.push_back(*w);
  }
  for (std::size_t i = 0; i < 4; ++i)
    for (std::size_t j = i + 1; j < 4; ++j) EXPECT_NE(spoken[i].samples, spoken[j].samples) << i + 1 << " " << j + 1;
  // Samantha and Emily are women, Tom and Daniel men.
  for (int i = 0; i < 4; ++i) std::printf("voice %d: %zu samples, median pitch %.0f Hz\n", i + 1, spoken[i].samples.size(), MedianPitch(spoken[i]));
  EXPECT_GT(MedianPitch(spoken[0]), 1.3 * MedianPitch(spoken[1]));
  EXPECT_GT(MedianPitch(spoken[3]), 1.3 * MedianPitch(spoken[2]));

  const std::string log = ReadFile(folder_ / "kelolog_utf.txt");
  EXPECT_NE(log.find("Samantha (US English)"), std::string::npos);
  EXPECT_NE(log.find("Gear down, three green"), std::string::npos);
}

TEST_F(kelo_Library, VolumeRateDefaultVoiceAndAnsiText) {
  auto normal = SpeakToWav(2, "Autopilot engaged", "normal.wav");
  auto slow = SpeakToWav(2, "Autopilot engaged", "slow.wav", 100, 0);
  auto fast = SpeakToWav(2, "Autopilot engaged", "fast.wav", 100, 100);
  auto quiet = SpeakToWav(2, "Autopilot engaged", "quiet.wav", 20, 50);
  ASSERT_TRUE(normal && slow && fast && quiet);
  EXPECT_GT(slow->samples.size(), normal->samples.size());
  EXPECT_LT(fast->samples.size(), normal->samples.size());
  EXPECT_LT(Rms(*quiet), Rms(*normal) * 0.5);

  // Voice 0 (none chosen) speaks with the default voice; Windows-1252 text
  // ("café", "naïve" with 0xE9 and 0xEF) is spoken, and lands in the UTF-8 log.
  auto def = SpeakToWav(0, "Caf\xE9 na\xEFve", "default.wav");
  ASSERT_TRUE(def);
  EXPECT_GT(Rms(*def), 500.0);
  EXPECT_NE(ReadFile(folder_ / "kelolog_utf.txt").find("Caf\xC3\xA9 na\xC3\xAFve"), std::string::npos);
}

TEST_F(kelo_Library, SpeakReturnsAtOnceAndANewRequestWins) {
  const fs::path first = folder_ / "first.wav", second = folder_ / "second.wav";
  std::string long_text;
  for (int i = 0; i < 40; ++i) long_text += "Before takeoff checklist complete, cleared for takeoff. ";
  setenv("KELO_WAV", first.c_str(), 1);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(call_(KELO_SPEAK, 1, 100, 50, long_text.c_str()), KELO_OK);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
  setenv("KELO_WAV", second.c_str(), 1);
  ASSERT_EQ(call_(KELO_SPEAK, 1, 100, 50, "Roger"), KELO_OK);
  ASSERT_EQ(call_(KELO_WAIT, 0, 20000, 0, "0"), KELO_OK);
  EXPECT_TRUE(fs::exists(second));
  // Cut short, the long speech leaves no file (never a partial one).
  if (fs::exists(first)) {
    EXPECT_TRUE(ReadWav(ReadFile(first)));
  }
}

TEST_F(kelo_Library, AFolderKeepsEverySpeechInTurn) {
  const fs::path readbacks = folder_ / "readbacks";
  fs::create_directories(readbacks);
  setenv("KELO_WAV", readbacks.c_str(), 1);
  for (const char* said : {"Autopilot on", "Heading two seven zero"}) {
    ASSERT_EQ(call_(KELO_SPEAK, 1, 100, 50, said), KELO_OK);
    ASSERT_EQ(call_(KELO_WAIT, 0, 20000, 0, "0"), KELO_OK);
  }
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(readbacks)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  ASSERT_EQ(names.size(), 2u);
  const auto first = ReadWav(ReadFile(readbacks / names[0])), second = ReadWav(ReadFile(readbacks / names[1]));
  ASSERT_TRUE(first && second);
  EXPECT_LT(first->samples.size(), second->samples.size());  // in the order spoken
}

TEST_F(kelo_Library, UnwritableWavIsLoggedNotFatal) {
  setenv("KELO_WAV", (folder_ / "no" / "such" / "folder.wav").c_str(), 1);
  EXPECT_EQ(call_(KELO_SPEAK, 1, 100, 50, "Check"), KELO_OK);
  EXPECT_EQ(call_(KELO_WAIT, 0, 20000, 0, "0"), KELO_OK);
  EXPECT_NE(ReadFile(folder_ / "kelolog_utf.txt").find("cannot write"), std::string::npos);
}

}  // namespace
}  // namespace talvane::kelo
