#include "vocon/front_end.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "vocon/vocon3200.h"

namespace talvane::vocon {

namespace {

constexpr double kOnsetAboveFloor = 12, kSpeechAboveFloor = 7;
constexpr double kOnsetMinimum = -58, kSpeechMinimum = -62;
constexpr double kTooQuietPeak = -30, kTargetPeak = -10;
constexpr double kPoorSnr = 12;
constexpr double kFirstFloor = -55;
constexpr int kOverloadSamples = 20;
constexpr std::uint16_t kMinGain = 25, kMaxGain = 1600;

}  // namespace

void FrontEnd::Reset() {
  in_speech_ = false;
  peak_db_ = -100;
  speech_energy_ = 0;
  speech_frames_ = clipped_ = dead_frames_ = 0;
  no_signal_told_ = false;
}

void FrontEnd::SetGain(std::uint16_t percent) {
  gain_ = std::clamp<std::uint16_t>(percent, kMinGain, kMaxGain);
  requested_ = gain_;
}

FrontEnd::Frame FrontEnd::Process(std::span<std::int16_t> frame) {
  Frame f;
  int peak_in = 0, clipped = 0;
  double sum = 0;
  for (auto& s : frame) {
    peak_in = std::max(peak_in, std::abs(static_cast<int>(s)));
    long v = gain_ == 100 ? s : std::lround(s * (gain_ / 100.0));
    if (v >= 32767 || v <= -32768) ++clipped;
    v = std::clamp<long>(v, -32768, 32767);
    s = static_cast<std::int16_t>(v);
    sum += static_cast<double>(v) * static_cast<double>(v);
  }
  const double mean = frame.empty() ? 0 : sum / static_cast<double>(frame.size());
  f.level_db = mean > 0 ? 10 * std::log10(mean / (32768.0 * 32768.0)) : -100;
  f.silent_input = peak_in <= 2;
  if (f.silent_input) ++dead_frames_;

  // The first frame may already be speech: it sets the floor no higher
  // than a quiet room's.
  if (floor_db_ < -150) floor_db_ = std::min(f.level_db, kFirstFloor);
  f.onset = f.level_db > std::max(floor_db_ + kOnsetAboveFloor, kOnsetMinimum);
  f.speech = f.level_db > std::max(floor_db_ + kSpeechAboveFloor, kSpeechMinimum);
  if (!f.speech) {
    // The floor follows quiet frames down at once and creeps up slowly, so a
    // rising background is learnt but speech never becomes the floor.
    if (f.level_db < floor_db_)
      floor_db_ = 0.7 * floor_db_ + 0.3 * f.level_db;
    else
      floor_db_ = std::min(f.level_db, floor_db_ + 0.05);
  }
  if (f.speech) {
    peak_db_ = std::max(peak_db_, 20 * std::log10(std::max(1, std::min(32767, peak_in * gain_ / 100)) / 32768.0));
    speech_energy_ += f.level_db;
    ++speech_frames_;
    clipped_ += clipped;
  }
  return f;
}

bool FrontEnd::NoSignal(int frames_listened) {
  if (no_signal_told_ || speech_frames_ > 0 || frames_listened < 100) return false;
  if (dead_frames_ < frames_listened * 9 / 10) return false;
  no_signal_told_ = true;
  condition_ = ASRFX_NOSIGNAL;
  return true;
}

FrontEnd::Verdict FrontEnd::EndOfUtterance() {
  Verdict v;
  if (speech_frames_ == 0) return v;
  const double snr = speech_energy_ / speech_frames_ - floor_db_;
  double want = gain_;
  if (clipped_ >= kOverloadSamples) {
    v.condition = ASRFX_OVERLOAD;
    want = gain_ * 0.7;
  } else if (peak_db_ < kTooQuietPeak) {
    v.condition = ASRFX_TOOQUIET;
    want = gain_ * std::pow(10.0, (kTargetPeak - peak_db_) / 20);
  } else if (snr < kPoorSnr) {
    v.condition = ASRFX_BADSNR;
  }
  if (v.condition) condition_ = *v.condition;
  const auto wanted = static_cast<std::uint16_t>(std::clamp<double>(std::round(want), kMinGain, kMaxGain));
  if (settings.auto_gain && std::abs(static_cast<int>(wanted) - gain_) * 10 > gain_) {
    requested_ = wanted;
    v.requested_gain = wanted;
  }
  return v;
}

}  // namespace talvane::vocon
