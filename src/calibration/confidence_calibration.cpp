#include "calibration/confidence_calibration.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <map>
#include <thread>

#include "common/files.h"
#include "common/resample.h"
#include "common/split.h"
#include "common/wav_file.h"
#include "grisk/bgm_format.h"
#include "grisk/language_model.h"
#include "training/voice_profiles.h"
#include "vocon/decoder.h"
#include "vocon/network.h"

namespace talvane::calibration {

namespace {

// Recordings aligned at most, spread over the prompts.
constexpr std::size_t kMostRecordings = 20;

// Speech as the recogniser sees it: at its rate, with the faint noise floor
// its input adds.
std::vector<std::int16_t> AsHeard(const MonoAudio& audio, int rate) {
  std::vector<std::int16_t> s = Resample(audio.samples, audio.sample_rate, static_cast<std::uint32_t>(rate));
  std::uint32_t seed = 1;
  for (auto& x : s) {
    seed = seed * 1664525u + 1013904223u;
    x = static_cast<std::int16_t>(std::clamp(x + static_cast<int>((seed >> 16) % 61) - 30, -32768, 32767));
  }
  return s;
}

// A grammar of exactly one sentence: the words in a row.
std::shared_ptr<const bgm::Grammar> Sentence(const std::vector<std::string>& words,
                                             const std::map<std::string, std::string>& say,
                                             const std::string& phone_set) {
  auto g = std::make_shared<bgm::Grammar>();
  g->name = "ALIGN";
  g->source_file = "align.bnf";
  g->phone_set = phone_set;
  bgm::Rule rule;
  rule.name = "SENTENCE";
  rule.node_count = static_cast<std::uint32_t>(words.size() + 1);
  // Node 0 enters, node 1 leaves; the nodes between are 2, 3, ...
  std::uint32_t from = 0;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::uint32_t to = i + 1 == words.size() ? 1 : static_cast<std::uint32_t>(i + 2);
    std::uint32_t label = 0;
    while (label < g->words.size() && g->words[label].text != words[i]) ++label;
    if (label == g->words.size()) g->words.push_back(bgm::Word{words[i], {}, {say.at(words[i])}});
    rule.arcs.push_back(bgm::Arc{from, to, bgm::ArcKind::kWord, false, label});
    from = to;
  }
  g->rules.push_back(std::move(rule));
  g->starts = {0};
  return g;
}

}  // namespace

double ShiftFrom(const std::vector<double>& standard, const std::vector<double>& adapted) {
  std::vector<double> raised;
  for (std::size_t i = 0; i < standard.size() && i < adapted.size(); ++i)
    if (std::isfinite(standard[i]) && std::isfinite(adapted[i])) raised.push_back(adapted[i] - standard[i]);
  if (raised.empty()) return 0;
  const auto mid = raised.begin() + static_cast<std::ptrdiff_t>(raised.size() / 2);
  std::nth_element(raised.begin(), mid, raised.end());
  double median = *mid;
  if (raised.size() % 2 == 0) median = (median + *std::max_element(raised.begin(), mid)) / 2;
  return std::max(0.0, median);
}

bool MeasureShift(const fs::path& program_folder, const fs::path& adapted_model,
                  const std::vector<training::Utterance>& speech, const fs::path& dictionary,
                  const std::atomic<bool>* cancel, Scores* out, std::string* error) {
  auto fail = [&](const std::string& e) {
    if (error) *error = e;
    return false;
  };
  *out = Scores{};
  const fs::path manifest = training::ManifestFile(program_folder);
  const auto text = ReadWholeFile(manifest);
  if (!text) return fail("cannot read " + manifest.string());
  std::string e;
  auto lm = bgm::ParseLanguageModel(training::WithProfileLine(*text, ""), manifest.parent_path(), &e);
  if (!lm) return fail(manifest.filename().string() + " " + e);
  const auto dict_text = ReadWholeFile(dictionary);
  if (!dict_text) return fail("cannot read " + dictionary.string());
  std::map<std::string, std::string> say;
  for (const std::string& line : SplitAt(*dict_text, "\n")) {
    const auto space = line.find(' ');
    if (space != std::string::npos) say.emplace(line.substr(0, space), line.substr(space + 1));
  }
  std::string phone_set;
  for (const auto& p : lm->phone_set) phone_set += (phone_set.empty() ? "" : " ") + p;

  // The sentences and their audio; each sentence's network is the same for
  // both models.
  struct Item {
    std::unique_ptr<vocon::Network> net;
    vocon::WordDfa dfa;
    std::vector<std::int16_t> audio;
  };
  std::vector<Item> items;
  const std::size_t n = std::min(speech.size(), kMostRecordings);
  for (std::size_t k = 0; k < n; ++k) {
    const auto& u = speech[k * speech.size() / n];
    const auto words = training::TranscriptWords(u.words);
    if (words.empty() || !std::all_of(words.begin(), words.end(), [&](const auto& w) { return say.count(w); }))
      continue;
    Item item;
    item.net = vocon::Network::Link({Sentence(words, say, phone_set)}, &e);
    if (!item.net) return fail(e);
    item.dfa = item.net->Build({true});
    const auto image = ReadWholeFile(u.wav);
    auto wav = image ? ReadWav(*image, &e) : std::nullopt;
    if (!wav) return fail("cannot read " + u.wav.string());
    item.audio = AsHeard(*wav, lm->sample_rate);
    items.push_back(std::move(item));
  }

  auto score_all = [&](const fs::path& model, const fs::path& phone_lm, std::vector<double>& scores,
                       std::string& why) {
    vocon::DecoderOptions options;
    options.acoustic_model = model;
    options.sample_rate = lm->sample_rate;
    options.settings = lm->decoder;
    options.phones = lm->phone_set;
    options.phone_lm = phone_lm;
    auto decoder = vocon::Decoder::Create(options, &why);
    if (!decoder) return false;
    for (const Item& item : items) {
      if (cancel && cancel->load()) {
        why = "cancelled";
        return false;
      }
      double score = std::numeric_limits<double>::quiet_NaN();
      if (decoder->Load(*item.net, item.dfa, nullptr, &why) && decoder->Start() &&
          decoder->Process(item.audio.data(), item.audio.size(), true)) {
        decoder->MarkSpeech();
        const auto o = decoder->End();
        if (o.complete && o.has_loop && o.frames > 0) score = (o.grammar_score - o.loop_score) / o.frames;
      }
      scores.push_back(score);
    }
    return true;
  };
  // The two models on two threads: each decoder is a search of its own, and
  // the networks are only read.
  std::string standard_error, adapted_error;
  bool standard_ok = false;
  std::thread standard_search([&] {
    standard_ok = score_all(lm->acoustic_model, lm->acoustic_model.string() + "-phone.lm.bin", out->standard,
                            standard_error);
  });
  const bool adapted_ok = score_all(adapted_model, adapted_model / "phone.lm.bin", out->adapted, adapted_error);
  standard_search.join();
  if (!standard_ok) return fail(standard_error);
  if (!adapted_ok) return fail(adapted_error);
  out->shift = ShiftFrom(out->standard, out->adapted);
  return true;
}

training::Calibrate Calibrator(const std::atomic<bool>* cancel) {
  return [cancel](const fs::path& program_folder, const fs::path& adapted_model,
                  const std::vector<training::Utterance>& speech, const fs::path& dictionary,
                  training::Calibration* result, std::string* error) {
    Scores scores;
    if (!MeasureShift(program_folder, adapted_model, speech, dictionary, cancel, &scores, error)) return false;
    result->shift = scores.shift;
    int both = 0;
    double mean_standard = 0, mean_adapted = 0;
    for (std::size_t i = 0; i < scores.standard.size(); ++i)
      if (std::isfinite(scores.standard[i]) && std::isfinite(scores.adapted[i])) {
        ++both;
        mean_standard += scores.standard[i];
        mean_adapted += scores.adapted[i];
      }
    char note[200];
    std::snprintf(note, sizeof note,
                  "%d recordings aligned to their words; mean score against the phone loop per frame: "
                  "standard model %.5f, this model %.5f",
                  both, both ? mean_standard / both : 0.0, both ? mean_adapted / both : 0.0);
    result->note = note;
    if (const char* dump = std::getenv("TALVANE_CALIBRATION_DUMP"); dump && *dump)
      for (std::size_t i = 0; i < scores.standard.size(); ++i)
        std::fprintf(stderr, "calibration %zu: standard %.5f adapted %.5f\n", i + 1, scores.standard[i],
                     scores.adapted[i]);
    return true;
  };
}

}  // namespace talvane::calibration
