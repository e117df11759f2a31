// Voice profiles from the command line: adapting the acoustic model to
// recordings already made, listing the profiles and choosing the one in use.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "common/files.h"
#include "common/wav_file.h"

#include "calibration/confidence_calibration.h"
#include "tool.h"
#include "training/adaptation.h"
#include "training/voice_profiles.h"

namespace talvane::tool {

namespace {

int Train(Invocation& inv) {
  const std::string profile = inv.args[0];
  const fs::path folder = fs::absolute(inv.args[1]);
  fs::path transcripts = folder / "transcripts.txt";
  bool activate = true, mllr = false;
  for (std::size_t i = 2; i < inv.args.size(); ++i) {
    if (inv.args[i] == "--transcripts" && i + 1 < inv.args.size())
      transcripts = fs::absolute(inv.args[++i]);
    else if (inv.args[i] == "--keep-active")
      activate = false;
    else if (inv.args[i] == "--mllr")
      mllr = true;
    else
      return UsageError("usage: talvane-tool train PROFILE WAV_FOLDER [--transcripts FILE] [--keep-active] [--mllr]");
  }
  std::string error;
  training::AdaptOptions o;
  o.program_folder = fs::absolute(inv.ctx.program_folder);
  o.profile = profile;
  o.activate = activate;
  o.mllr = mllr;
  o.speech = training::ReadTranscripts(transcripts, folder, &error);
  if (o.speech.empty()) {
    std::fprintf(stderr, "Voice Training: %s\n", error.c_str());
    return 1;
  }
  o.calibrate = calibration::Calibrator(nullptr);
  const auto start = std::chrono::steady_clock::now();
  auto stamp = start;
  o.progress = [&](const training::Progress& p) {
    const auto now = std::chrono::steady_clock::now();
    std::fprintf(stderr, "[%d/%d] %s (%.1f s)\n", p.step, p.steps, p.text.c_str(),
                 std::chrono::duration<double>(now - stamp).count());
    stamp = now;
  };
  if (!training::AdaptProfile(o, &error)) {
    std::fprintf(stderr, "Voice Training: %s\n", error.c_str());
    return 1;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  Out("profile " + profile + " adapted from " + std::to_string(o.speech.size()) + " recordings in " +
      std::to_string(static_cast<int>(seconds * 10 + 0.5) / 10.0).substr(0, 5) + " s" +
      (activate ? "; now in use" : ""));
  return 0;
}

int Profiles(Invocation& inv) {
  const std::string active = training::ActiveProfile(inv.ctx.program_folder);
  for (const std::string& p : training::ListProfiles(inv.ctx.program_folder)) Out((p == active ? "* " : "  ") + p);
  if (active.empty()) Out("* (standard model)");
  return 0;
}

int UseProfileCommand(Invocation& inv) {
  const std::string profile = inv.args[0] == "-" ? std::string() : inv.args[0];
  std::string error;
  if (!training::UseProfile(inv.ctx.program_folder, profile, &error)) {
    std::fprintf(stderr, "Voice Training: %s\n", error.c_str());
    return 1;
  }
  Out(profile.empty() ? "using the standard model" : "using the voice profile " + profile);
  return 0;
}

// Cockpit noise: a low rumble (brown noise) under the engine's hum, whose
// harmonics waver slowly, as a propeller's do.
std::vector<double> EngineNoise(std::size_t n, std::uint32_t rate, std::mt19937& rng) {
  std::normal_distribution<double> white(0, 1);
  std::vector<double> out(n);
  double brown = 0, wobble = 0;
  const double two_pi = 2 * 3.14159265358979;
  double phase[4] = {0, 0, 0, 0};
  for (std::size_t i = 0; i < n; ++i) {
    brown = 0.995 * brown + 0.1 * white(rng);
    wobble = 0.9995 * wobble + 0.0005 * white(rng);
    double hum = 0;
    for (int h = 0; h < 4; ++h) {
      phase[h] += two_pi * 95.0 * (h + 1) * (1 + 0.02 * wobble) / rate;
      hum += std::sin(phase[h]) / (h + 1);
    }
    out[i] = brown + 0.6 * hum + 0.05 * white(rng);
  }
  return out;
}

// The power of the speech: the mean square over its loud frames (within
// 30 dB of the loudest), so that pauses do not lower it.
double SpeechPower(const std::vector<std::int16_t>& s, std::uint32_t rate) {
  const std::size_t frame = rate / 100;
  std::vector<double> powers;
  for (std::size_t at = 0; at + frame <= s.size(); at += frame) {
    double p = 0;
    for (std::size_t i = at; i < at + frame; ++i) p += static_cast<double>(s[i]) * s[i];
    powers.push_back(p / static_cast<double>(frame));
  }
  if (powers.empty()) return 0;
  const double loudest = *std::max_element(powers.begin(), powers.end());
  double sum = 0;
  int n = 0;
  for (const double p : powers)
    if (p >= loudest / 1000) {
      sum += p;
      ++n;
    }
  return n ? sum / n : 0;
}

int NoisyCopy(Invocation& inv) {
  const fs::path from = inv.args[0], to = inv.args[1];
  double snr = 10;
  if (inv.args.size() == 4 && inv.args[2] == "--snr") {
    snr = std::atof(inv.args[3].c_str());
  } else if (inv.args.size() != 2) {
    return UsageError("usage: talvane-tool noisy-copy WAV_FOLDER OUT_FOLDER [--snr DB]");
  }
  std::error_code ec;
  fs::create_directories(to, ec);
  std::mt19937 rng(11);
  int copied = 0;
  for (const std::string& name : ListFolder(from, false)) {
    const fs::path src = from / name;
    if (src.extension() != ".wav") {
      if (!CopyFileAtomic(src, to / name)) return Status(inv, false);
      continue;
    }
    std::string e;
    auto audio = ReadWav(ReadWholeFile(src).value_or(""), &e);
    if (!audio) {
      std::fprintf(stderr, "Noisy Copy: %s: %s\n", src.c_str(), e.c_str());
      return 1;
    }
    const auto noise = EngineNoise(audio->samples.size(), audio->sample_rate, rng);
    double noise_power = 0;
    for (const double v : noise) noise_power += v * v;
    noise_power /= std::max<std::size_t>(1, noise.size());
    const double gain = std::sqrt(SpeechPower(audio->samples, audio->sample_rate) /
                                  (std::max(noise_power, 1e-12) * std::pow(10.0, snr / 10)));
    std::vector<std::int16_t> mixed(audio->samples.size());
    for (std::size_t i = 0; i < mixed.size(); ++i)
      mixed[i] = static_cast<std::int16_t>(std::clamp(audio->samples[i] + gain * noise[i], -32768.0, 32767.0));
    if (!AtomicWriteFile(to / name, WavBytes(mixed, audio->sample_rate))) return Status(inv, false);
    ++copied;
  }
  Out(std::to_string(copied) + " recordings copied with engine noise at " + std::to_string(std::lround(snr)) + " dB");
  return 0;
}

const Registrar kTraining({
    {"train", "PROFILE WAV_FOLDER [--transcripts FILE] [--keep-active] [--mllr]",
     "adapt the acoustic model to recordings (transcripts: NAME.wav TAB words; default WAV_FOLDER/transcripts.txt)",
     2, 6, Train},
    {"profiles", "", "list the voice profiles (* the one in use)", 0, 0, Profiles},
    {"use-profile", "PROFILE|-", "use a voice profile's model (- the standard model)", 1, 1, UseProfileCommand},
    {"noisy-copy", "WAV_FOLDER OUT_FOLDER [--snr DB]",
     "copy a folder of recordings with cockpit engine noise added (default 10 dB below the speech)", 2, 4,
     NoisyCopy},
});

}  // namespace

}  // namespace talvane::tool
