// How much higher an adapted model scores a speaker's speech than the
// standard model does. The recogniser's confidence compares the grammar's
// best path with a free phone loop over the same audio. Adapted to one
// voice, the model fits that voice's words better than the loop gains, so
// every utterance of the speaker (near misses of commands included) comes
// out more confident, and the one rejection threshold would let more of
// the pilot's other talk through. The shift measured here is taken off the
// score before the confidence (the model's calibration.txt), which puts the
// speaker's confidences back where the standard model had them.
#pragma once

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "training/adaptation.h"

namespace talvane::calibration {

namespace fs = std::filesystem;

struct Scores {
  // Per recording used: its own words aligned to it, their score minus the
  // phone loop's, per frame; NaN where the alignment failed.
  std::vector<double> standard, adapted;
  double shift = 0;
};

// Aligns each recording's transcript (pronunciations from `dictionary`,
// "word PHONES" lines) with the standard model and with `adapted_model`,
// and sets the shift: the median by which the adapted model's scores lie
// higher, never below 0 (a calibration only ever makes rejection stricter).
bool MeasureShift(const fs::path& program_folder, const fs::path& adapted_model,
                  const std::vector<training::Utterance>& speech, const fs::path& dictionary,
                  const std::atomic<bool>* cancel, Scores* out, std::string* error);

// The median of the differences adapted - standard where both are numbers,
// not below 0; 0 when there is none.
double ShiftFrom(const std::vector<double>& standard, const std::vector<double>& adapted);

// The calibration as the adaptation calls it.
training::Calibrate Calibrator(const std::atomic<bool>* cancel);

}  // namespace talvane::calibration
