// How much higher an adapted model scores a speaker's speech than the
// standard model does. The recogniser's confidence compares the grammar's
// best path with a free phone loop; an adapted model raises both, but not
// equally, so the one rejection threshold would let more of the speaker's
// other talk through. The shift measured here is subtracted before the
// confidence is taken (the model's calibration.txt).
#pragma once

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "training/adaptation.h"

namespace talvane::calibration {

namespace fs = std::filesystem;

struct Scores {
  // Per recording: the grammar path's score minus the phone loop's, per
  // frame; NaN where the search found no command (it rejected the speech).
  std::vector<double> standard, adapted;
  double shift = 0;
  int accepted_standard = 0, accepted_adapted = 0;  // at the threshold, after the shift
};

// Decodes the recordings against the program folder's compiled grammars
// (checklist responses off, as after the engine starts) with the standard
// model and with `adapted_model`, and sets the shift: the median by which
// the adapted model's scores lie higher, never below 0 (a calibration only
// ever makes rejection stricter), raised further while the adapted model
// would accept more of these recordings than the standard model does.
bool MeasureShift(const fs::path& program_folder, const fs::path& adapted_model,
                  const std::vector<training::Utterance>& speech, const std::atomic<bool>* cancel, Scores* out,
                  std::string* error);

// The calibration as the adaptation calls it.
training::Calibrate Calibrator(const std::atomic<bool>* cancel);

}  // namespace talvane::calibration
