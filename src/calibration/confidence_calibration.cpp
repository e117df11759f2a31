#include "calibration/confidence_calibration.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <thread>

#include "common/files.h"
#include "common/resample.h"
#include "common/wav_file.h"
#include "grisk/bgm_format.h"
#include "grisk/language_model.h"
#include "training/voice_profiles.h"
#include "vocon/decoder.h"
#include "vocon/network.h"
#include "vocon/objects.h"

namespace talvane::calibration {

namespace {

// The engine's threshold (its recogniser's rejection parameter).
constexpr std::uint32_t kThreshold = 3500;
constexpr std::size_t kMostRecordings = 16;

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

int Accepted(const std::vector<double>& scores, double shift) {
  int n = 0;
  for (const double s : scores)
    if (!std::isnan(s) && vocon::ConfidenceFromScores(s - shift) >= kThreshold) ++n;
  return n;
}

}  // namespace

bool MeasureShift(const fs::path& program_folder, const fs::path& adapted_model,
                  const std::vector<training::Utterance>& speech, const std::atomic<bool>* cancel, Scores* out,
                  std::string* error) {
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

  // The compiled grammars, as the engine links them.
  std::vector<fs::path> files;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(program_folder / "Grammars", ec))
    if (entry.path().extension() == ".bgm") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  if (files.empty()) return true;  // nothing compiled yet: nothing to compare on
  std::vector<std::shared_ptr<const bgm::Grammar>> grammars;
  for (const auto& f : files) {
    const auto image = ReadWholeFile(f);
    if (!image) return fail("cannot read " + f.string());
    auto r = bgm::Read(*image);
    if (!r.grammar) return fail(f.string() + ": " + r.error);
    grammars.push_back(std::make_shared<bgm::Grammar>(std::move(*r.grammar)));
  }
  auto net = vocon::Network::Link(grammars, &e);
  if (!net) return fail(e);
  std::vector<bool> active;
  for (const auto& s : net->Starts()) active.push_back(!s.activatable);
  const vocon::WordDfa dfa = net->Build(active);

  // At most kMostRecordings of them, spread over the prompts: each costs a
  // search of the whole catalogue with each model.
  std::vector<training::Utterance> chosen;
  for (std::size_t i = 0; i < kMostRecordings && i < speech.size(); ++i)
    chosen.push_back(speech[i * speech.size() / std::min(speech.size(), kMostRecordings)]);
  std::vector<std::vector<std::int16_t>> audio;
  for (const auto& u : chosen) {
    const auto image = ReadWholeFile(u.wav);
    auto wav = image ? ReadWav(*image, &e) : std::nullopt;
    if (!wav) return fail("cannot read " + u.wav.string());
    audio.push_back(AsHeard(*wav, lm->sample_rate));
  }

  std::mutex parse_mutex;  // the network is shared by both searches
  auto score_all = [&](const fs::path& model, const fs::path& phone_lm, std::vector<double>& scores,
                       std::string& e) {
    vocon::DecoderOptions options;
    options.acoustic_model = model;
    options.sample_rate = lm->sample_rate;
    options.settings = lm->decoder;
    options.phones = lm->phone_set;
    options.phone_lm = phone_lm;
    auto decoder = vocon::Decoder::Create(options, &e);
    if (!decoder || !decoder->Load(*net, dfa, nullptr, &e)) return false;
    for (const auto& samples : audio) {
      if (cancel && cancel->load()) {
        e = "cancelled";
        return false;
      }
      double score = std::numeric_limits<double>::quiet_NaN();
      if (decoder->Start() && decoder->Process(samples.data(), samples.size(), true)) {
        decoder->MarkSpeech();
        const auto o = decoder->End();
        std::lock_guard lock(parse_mutex);
        if (o.complete && !o.words.empty() && o.has_loop && o.frames > 0 && net->Parse(o.words, active))
          score = (o.grammar_score - o.loop_score) / o.frames;
      }
      scores.push_back(score);
    }
    return true;
  };
  // The two models on two threads: each decoder is a search of its own.
  std::string standard_error;
  bool standard_ok = false;
  std::thread standard_search([&] {
    standard_ok = score_all(lm->acoustic_model, lm->acoustic_model.string() + "-phone.lm.bin", out->standard,
                            standard_error);
  });
  std::string adapted_error;
  const bool adapted_ok = score_all(adapted_model, adapted_model / "phone.lm.bin", out->adapted, adapted_error);
  standard_search.join();
  if (!standard_ok) return fail(standard_error);
  if (!adapted_ok) return fail(adapted_error);

  std::vector<double> raised;
  for (std::size_t i = 0; i < audio.size(); ++i)
    if (!std::isnan(out->standard[i]) && !std::isnan(out->adapted[i]))
      raised.push_back(out->adapted[i] - out->standard[i]);
  double shift = 0;
  if (!raised.empty()) {
    std::nth_element(raised.begin(), raised.begin() + static_cast<std::ptrdiff_t>(raised.size() / 2), raised.end());
    shift = std::max(0.0, raised[raised.size() / 2]);
  }
  const int standard = Accepted(out->standard, 0);
  // No more of this talk may pass than passed the standard model; bounded,
  // since a sentence that happens to be a near command cannot be told apart.
  while (Accepted(out->adapted, shift) > standard && shift < 2e-3) shift += 1e-4;
  out->shift = shift;
  out->accepted_standard = standard;
  out->accepted_adapted = Accepted(out->adapted, shift);
  return true;
}

training::Calibrate Calibrator(const std::atomic<bool>* cancel) {
  return [cancel](const fs::path& program_folder, const fs::path& adapted_model,
                  const std::vector<training::Utterance>& speech, training::Calibration* result, std::string* error) {
    Scores scores;
    if (!MeasureShift(program_folder, adapted_model, speech, cancel, &scores, error)) return false;
    result->shift = scores.shift;
    char note[200];
    std::snprintf(note, sizeof note,
                  "%zu recordings; taken for commands at the threshold: %d with the standard model, %d with this "
                  "one (after the shift)",
                  scores.standard.size(), scores.accepted_standard, scores.accepted_adapted);
    result->note = note;
    if (const char* dump = std::getenv("TALVANE_CALIBRATION_DUMP"); dump && *dump) {
      for (std::size_t i = 0; i < scores.standard.size(); ++i)
        std::fprintf(stderr, "calibration %zu: standard %.5f adapted %.5f\n", i + 1, scores.standard[i],
                     scores.adapted[i]);
    }
    return true;
  };
}

}  // namespace talvane::calibration
