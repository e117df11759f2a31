#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "vocon/decoder.h"
#include "vocon/network.h"

namespace talvane::vocon {
namespace {

DecoderOptions Options(std::vector<std::pair<std::string, std::string>> settings) {
  DecoderOptions o;
  o.acoustic_model = "/usr/share/pocketsphinx/model/en-us/en-us";
  o.settings = std::move(settings);
  o.phones = {"AA", "AH", "B", "D", "IY", "K", "N", "OW", "S", "T", "XX"};
  return o;
}

TEST(vocon_Decoder, OwnSettingsAreCheckedAndNotHandedOn) {
  std::string error;
  // Probabilities only; the decoder proper would refuse the unknown names.
  for (const char* bad : {"1", "1.5", "-0.1", "x", "0.1x", ""}) {
    error.clear();
    EXPECT_EQ(Decoder::Create(Options({{"garbage", bad}}), &error), nullptr) << bad;
    EXPECT_NE(error.find("garbage"), std::string::npos) << bad;
  }
  // A short or partly unreadable mean start keeps the model's values where
  // it says nothing usable.
  for (const char* start : {"60,1,2", "a,b", "60.5,-0.7,-0.7,14,-16,2.5,-9.8,-8.2,-6.2,-2.5,0,-1.2,0.9,99"}) {
    error.clear();
    EXPECT_NE(Decoder::Create(Options({{"cmninit", start}, {"garbage", "0.02"}}), &error), nullptr)
        << start << ": " << error;
  }
}

// One utterance of loud noise and then `silence_frames` of faint noise,
// through a one-word grammar; the cepstral mean after it.
std::vector<float> MeanAfter(int silence_frames) {
  auto g = std::make_shared<bgm::Grammar>();
  g->name = "G";
  g->words = {{"stop", bgm::PronunciationSource::kDictionary, {"S T AA P"}}};
  g->rules = {bgm::Rule{"STOP", 2, {{0, 1, bgm::ArcKind::kWord, false, 0}}}};
  g->starts = {0};
  std::string error;
  auto net = Network::Link({g}, &error);
  auto d = Decoder::Create(Options({}), &error);
  if (!net || !d) return {};
  std::vector<std::string> unusable;
  if (!d->Load(*net, net->Build({true}), &unusable, &error) || !d->Start()) return {};
  std::uint32_t seed = 7;
  auto noise = [&](int amplitude) {
    std::vector<std::int16_t> frame(160);
    for (auto& v : frame) {
      seed = seed * 1664525u + 1013904223u;
      v = static_cast<std::int16_t>(static_cast<int>((seed >> 16) % (2 * amplitude + 1)) - amplitude);
    }
    return frame;
  };
  for (int i = 0; i < 60; ++i) {
    const auto f = noise(8000);
    d->Process(f.data(), f.size());
    d->MarkSpeech();
  }
  for (int i = 0; i < silence_frames; ++i) {
    const auto f = noise(3);
    d->Process(f.data(), f.size());
  }
  d->End();
  return d->CepstralMean();
}

TEST(vocon_Decoder, TheMeanTakesInTheSameSilenceHoweverLongTheWait) {
  const auto short_wait = MeanAfter(18), long_wait = MeanAfter(200), no_wait = MeanAfter(0);
  ASSERT_EQ(short_wait.size(), 13u);
  ASSERT_EQ(long_wait.size(), 13u);
  ASSERT_EQ(no_wait.size(), 13u);
  // Energy (the first coefficient) follows the silence taken in: 18 frames
  // of it, after a wait of 18 frames or of 200 (without the limit the
  // longer wait pulls it down by eight).
  EXPECT_NEAR(long_wait[0], short_wait[0], 0.5);
  EXPECT_GT(no_wait[0] - short_wait[0], 0.5);
}

}  // namespace
}  // namespace talvane::vocon
