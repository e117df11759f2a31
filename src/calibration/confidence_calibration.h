// The rejection of an adapted model, checked on the speaker's own talk. The
// recogniser's confidence compares the grammar's best path with a free
// phone loop over the same audio; adapted to one voice, the model scores
// that voice's speech differently, and the one rejection threshold could
// let more of the pilot's other talk be taken for commands. The enrolment
// recordings are such talk (ordinary sentences, never commands): they are
// decoded against the compiled catalogue, and if the adapted model takes
// more of them for commands than the standard model does, the score is
// shifted down (the model's calibration.txt) until it takes no more.
#pragma once

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "training/adaptation.h"

namespace talvane::calibration {

namespace fs = std::filesystem;

struct Scores {
  // Per recording: the best command path's score minus the phone loop's,
  // per frame; NaN where the search found no command (it rejected the
  // speech) or the model was not needed.
  std::vector<double> standard, adapted;
  double shift = 0;
  int accepted_standard = 0, accepted_adapted = 0;  // at the threshold, after the shift
  bool standard_run = false;
};

// Recordings whose confidence reaches the engine's threshold after `shift`.
int Accepted(const std::vector<double>& scores, double shift);

// The smallest shift (steps of 1e-4, at most 2e-3: a sentence that happens
// to be a near command cannot be told apart) at which `adapted` takes no
// more recordings for commands than `standard` does at 0.
double ShiftFor(const std::vector<double>& standard, const std::vector<double>& adapted);

// Decodes the recordings (at most 16, spread over the prompts) against the
// program folder's compiled grammars, checklist responses off as after the
// engine starts: first with `adapted_model`, and only if it takes any of
// them for a command also with the standard model.
bool MeasureShift(const fs::path& program_folder, const fs::path& adapted_model,
                  const std::vector<training::Utterance>& speech, const std::atomic<bool>* cancel, Scores* out,
                  std::string* error);

// The calibration as the adaptation calls it.
training::Calibrate Calibrator(const std::atomic<bool>* cancel);

}  // namespace talvane::calibration
