#include "calibration/confidence_calibration.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
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

}  // namespace

int Accepted(const std::vector<double>& scores, double shift) {
  int n = 0;
  for (const double s : scores)
    if (std::isfinite(s) && vocon::ConfidenceFromScores(s - shift) >= kThreshold) ++n;
  return n;
}

double ShiftFor(const std::vector<double>& standard, const std::vector<double>& adapted) {
  const int allowed = Accepted(standard, 0);
  double shift = 0;
  while (Accepted(adapted, shift) > allowed && shift < 2e-3 - 1e-9) shift += 1e-4;
  return shift;
}

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

  // The compiled grammars, linked as the engine links them.
  std::vector<fs::path> files;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(program_folder / "Grammars", ec))
    if (entry.path().extension() == ".bgm") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  if (files.empty()) return true;  // nothing compiled yet: nothing to check against
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

  std::vector<std::vector<std::int16_t>> audio;
  const std::size_t n = std::min(speech.size(), kMostRecordings);
  for (std::size_t k = 0; k < n; ++k) {
    const auto& u = speech[k * speech.size() / n];
    const auto image = ReadWholeFile(u.wav);
    auto wav = image ? ReadWav(*image, &e) : std::nullopt;
    if (!wav) return fail("cannot read " + u.wav.string());
    audio.push_back(AsHeard(*wav, lm->sample_rate));
  }

  std::mutex parse_mutex;  // the network is shared by the searches
  // One model's scores, the recordings shared out between two searches.
  auto score_all = [&](const fs::path& model, const fs::path& phone_lm, std::vector<double>& scores) {
    scores.assign(audio.size(), std::numeric_limits<double>::quiet_NaN());
    std::string errors[2];
    bool ok[2] = {false, false};
    auto search = [&](int half) {
      vocon::DecoderOptions options;
      options.acoustic_model = model;
      options.sample_rate = lm->sample_rate;
      options.settings = lm->decoder;
      options.phones = lm->phone_set;
      options.phone_lm = phone_lm;
      auto decoder = vocon::Decoder::Create(options, &errors[half]);
      if (!decoder || !decoder->Load(*net, dfa, nullptr, &errors[half])) return;
      for (std::size_t i = static_cast<std::size_t>(half); i < audio.size(); i += 2) {
        if (cancel && cancel->load()) {
          errors[half] = "cancelled";
          return;
        }
        if (!decoder->Start() || !decoder->Process(audio[i].data(), audio[i].size(), true)) continue;
        decoder->MarkSpeech();
        const auto o = decoder->End();
        std::lock_guard lock(parse_mutex);
        if (o.complete && !o.words.empty() && o.has_loop && o.frames > 0 && net->Parse(o.words, active))
          scores[i] = (o.grammar_score - o.loop_score) / o.frames;
      }
      ok[half] = true;
    };
    std::thread second(search, 1);
    search(0);
    second.join();
    for (int h = 0; h < 2; ++h)
      if (!ok[h]) return fail(errors[h]);
    return true;
  };
  if (!score_all(adapted_model, adapted_model / "phone.lm.bin", out->adapted)) return false;
  out->standard.assign(out->adapted.size(), std::numeric_limits<double>::quiet_NaN());
  // None taken for a command: no model could take fewer.
  if (Accepted(out->adapted, 0) > 0) {
    if (!score_all(lm->acoustic_model, lm->acoustic_model.string() + "-phone.lm.bin", out->standard)) return false;
    out->standard_run = true;
  }
  out->shift = ShiftFor(out->standard, out->adapted);
  out->accepted_standard = Accepted(out->standard, 0);
  out->accepted_adapted = Accepted(out->adapted, out->shift);
  return true;
}

training::Calibrate Calibrator(const std::atomic<bool>* cancel) {
  return [cancel](const fs::path& program_folder, const fs::path& adapted_model,
                  const std::vector<training::Utterance>& speech, training::Calibration* result,
                  std::string* error) {
    Scores scores;
    if (!MeasureShift(program_folder, adapted_model, speech, cancel, &scores, error)) return false;
    result->shift = scores.shift;
    char note[240];
    if (scores.standard_run)
      std::snprintf(note, sizeof note,
                    "of %zu recordings of other talk, taken for commands: %d by the standard model, %d by this one "
                    "(after the shift)",
                    scores.adapted.size(), scores.accepted_standard, scores.accepted_adapted);
    else
      std::snprintf(note, sizeof note, "of %zu recordings of other talk, none was taken for a command",
                    scores.adapted.size());
    result->note = note;
    return true;
  };
}

}  // namespace talvane::calibration
