// What the front end knows about the audio, frame by frame: the gain it
// applies, the noise floor, whether a frame is speech, and at the end of an
// utterance whether the level asks for another gain or shows a fault.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace talvane::vocon {

class FrontEnd {
 public:
  struct Settings {
    bool auto_gain = true;
  };

  // Starts a new recognition: speech and level statistics are cleared; the
  // noise floor and the gain carry over.
  void Reset();
  // Applies the gain to `frame` in place and classifies it. `onset` is the
  // stricter test that starts speech, `speech` the looser one that keeps it.
  struct Frame {
    bool onset = false;
    bool speech = false;
    bool silent_input = false;  // the captured samples are (almost) all zero
    double level_db = -100;     // after the gain, dB of full scale
  };
  Frame Process(std::span<std::int16_t> frame);

  // Called when an utterance ends: its level decides a gain request and an
  // abnormal condition (each nullopt when there is none).
  struct Verdict {
    std::optional<std::uint16_t> requested_gain;
    std::optional<std::uint32_t> condition;
  };
  Verdict EndOfUtterance();
  // After this many frames of dead input without speech, NOSIGNAL; once per
  // recognition.
  bool NoSignal(int frames_listened);

  void SetGain(std::uint16_t percent);
  std::uint16_t Gain() const { return gain_; }
  std::uint16_t RequestedGain() const { return requested_; }
  std::uint32_t Condition() const { return condition_; }
  void SetCondition(std::uint32_t c) { condition_ = c; }
  Settings settings;

 private:
  std::uint16_t gain_ = 100, requested_ = 100;
  std::uint32_t condition_ = 0;
  double floor_db_ = -200;  // not yet measured
  bool in_speech_ = false;
  // Statistics of the speech of the current utterance.
  double peak_db_ = -100, speech_energy_ = 0;
  int speech_frames_ = 0, clipped_ = 0, dead_frames_ = 0;
  bool no_signal_told_ = false;
};

}  // namespace talvane::vocon
