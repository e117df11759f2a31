#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/files.h"
#include "common/wav_file.h"
#include "support/test_support.h"
#include "vocon/decoder.h"
#include "vocon/network.h"
#include "common/resample.h"

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

// Paths as the decoders gave them for three utterances in a row: the
// grammar's opens with a null step a frame before the speech; the phone
// loop's with silence at the first frame.
TEST(vocon_Decoder, PathsCountFromTheUtterancesFirstFrame) {
  using S = Decoder::Segment;
  std::vector<S> first{{-1, -1, 0, false}, {0, 57, -4121, true}, {58, 92, -1284, true}, {92, 92, 0, false}};
  const auto unchanged = first;
  Decoder::CountFromStart(first);
  EXPECT_EQ(first[1].sf, 0);  // already from the start: a null step moves nothing
  EXPECT_EQ(first[2].ef, unchanged[2].ef);

  std::vector<S> later{{88, 88, 0, false}, {89, 146, -3985, true}, {147, 181, -1295, true}, {181, 181, 0, false}};
  Decoder::CountFromStart(later);
  EXPECT_EQ(later[1].sf, 0);
  EXPECT_EQ(later[2].ef, 92);
  std::vector<S> loop{{89, 91, -300, false}, {92, 98, -700, true}};
  Decoder::CountFromStart(loop);
  EXPECT_EQ(loop[0].sf, 0);  // the loop's speech starts where the grammar's does, counted alike
  EXPECT_EQ(loop[1].sf, 3);

  std::vector<S> empty{{5, 5, 0, false}};
  Decoder::CountFromStart(empty);
  EXPECT_EQ(empty[0].sf, 5);
}

// "gear up" and "gear down", and the recognition of one utterance.
struct GearGrammar {
  std::unique_ptr<Network> net;
  std::unique_ptr<Decoder> decoder;
  std::vector<std::uint32_t> up, down;

  GearGrammar() {
    auto g = std::make_shared<bgm::Grammar>();
    g->name = "G";
    g->words = {{"gear", bgm::PronunciationSource::kDictionary, {"G IH R"}},
                {"up", bgm::PronunciationSource::kDictionary, {"AH P"}},
                {"down", bgm::PronunciationSource::kDictionary, {"D AW N"}}};
    g->rules = {bgm::Rule{"GEAR", 3,
                          {{0, 2, bgm::ArcKind::kWord, false, 0},
                           {2, 1, bgm::ArcKind::kWord, false, 1},
                           {2, 1, bgm::ArcKind::kWord, false, 2}}}};
    g->starts = {0};
    std::string error;
    net = Network::Link({g}, &error);
    auto o = Options({});
    o.phone_lm = "/usr/share/pocketsphinx/model/en-us/en-us-phone.lm.bin";
    decoder = Decoder::Create(o, &error);
    if (!net || !decoder || !decoder->Load(*net, net->Build({true}), nullptr, &error)) throw std::runtime_error(error);
    up = {*net->WordId("gear"), *net->WordId("up")};
    down = {*net->WordId("gear"), *net->WordId("down")};
  }
  Decoder::Outcome Recognise(const std::vector<std::int16_t>& audio) {
    decoder->Start();
    for (std::size_t at = 0; at < audio.size(); at += 160) {
      decoder->Process(audio.data() + at, std::min<std::size_t>(160, audio.size() - at));
      decoder->MarkSpeech();
    }
    return decoder->End();
  }
};

// Synthesised speech at the decoder's rate, with a floor of faint noise.
std::vector<std::int16_t> Said(const std::string& text) {
  test::TempFolder dir;
  const auto wav = dir / "said.wav";
  const auto r = test::RunTool({"--program-folder", TALVANE_PROGRAM_DIR, "speak", text}, {"KELO_WAV=" + wav.string()});
  if (r.status != 0) throw std::runtime_error(r.err);
  auto audio = ReadWav(ReadWholeFile(wav).value_or(""));
  if (!audio) throw std::runtime_error("no speech");
  auto samples = Resample(audio->samples, audio->sample_rate, 16000);
  samples.insert(samples.begin(), 3200, 0);
  samples.insert(samples.end(), 3200, 0);
  std::uint32_t seed = 1;
  for (auto& v : samples) {
    seed = seed * 1664525u + 1013904223u;
    v = static_cast<std::int16_t>(std::clamp(v + static_cast<int>((seed >> 16) % 61) - 30, -32768, 32767));
  }
  return samples;
}

TEST(vocon_Decoder, SentencesScoredAgainLeaveTheNextUtteranceAsItWouldBe) {
  const auto audio = Said("gear up");
  GearGrammar scored, plain;
  const auto first = scored.Recognise(audio);
  ASSERT_EQ(first.words, scored.up);
  ASSERT_GT(first.frames, 50);
  EXPECT_EQ(plain.Recognise(audio).frames, first.frames);

  const auto mean = scored.decoder->CepstralMean();
  auto& d = *scored.decoder;
  const auto& net = *scored.net;
  // What was said wins against its opposite, from either side, until the
  // handicap outweighs how much better it fits; a handicap below zero helps.
  EXPECT_EQ(d.SwapWins(net, scored.up, scored.down, 0), false);
  EXPECT_EQ(d.SwapWins(net, scored.down, scored.up, 0), true);
  EXPECT_EQ(d.SwapWins(net, scored.up, scored.down, 1000.0), true);
  EXPECT_EQ(d.SwapWins(net, scored.down, scored.up, -1000.0), false);
  EXPECT_EQ(d.SwapWins(net, scored.up, {}, 0), std::nullopt);  // no words, no search
  // The search scored the audio from the mean the utterance started with,
  // and left the mean the next one starts from.
  EXPECT_EQ(d.CepstralMean(), mean);
  EXPECT_EQ(d.SwapWins(net, scored.up, scored.down, 0), false);

  // The next utterance: the same words, frames and scores as in a decoder
  // that scored nothing again (its frames count from its own start).
  const auto again = scored.Recognise(audio), reference = plain.Recognise(audio);
  EXPECT_EQ(again.words, reference.words);
  EXPECT_EQ(again.frames, reference.frames);
  EXPECT_DOUBLE_EQ(again.grammar_score, reference.grammar_score);
  EXPECT_DOUBLE_EQ(again.loop_score, reference.loop_score);
}

}  // namespace
}  // namespace talvane::vocon
