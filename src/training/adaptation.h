// Adapting the acoustic model to one speaker: features of the recordings,
// Baum-Welch statistics against the standard model and MAP re-estimation,
// with the sphinxtrain tools run as child processes, then the confidence
// calibration, and the result put in place as Models/<profile>.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "training/voice_profiles.h"

namespace talvane::training {

// One recording and the words said in it.
struct Utterance {
  fs::path wav;
  std::string words;
};

// Reads a transcripts file: per line the WAV file's name (relative to
// `folder`), a tab, the words said. Blank lines and lines starting with '#'
// are skipped. Empty with `error` naming the line when it is malformed or a
// named file is missing.
std::vector<Utterance> ReadTranscripts(const fs::path& file, const fs::path& folder, std::string* error);

struct Progress {
  int step = 0, steps = 0;  // done so far, of how many
  std::string text;         // what is being done
};

// What the confidence calibration found: the shift the adapted model needs
// (see docs/voice-training.md) and a line on what it was measured from.
struct Calibration {
  double shift = 0;
  std::string note;
};

// Scores recordings for the confidence calibration; supplied by hosts that
// can run the recogniser (the adaptation helper, talvane-tool). false with
// `error` when it cannot.
using Calibrate = std::function<bool(const fs::path& program_folder, const fs::path& adapted_model,
                                     const std::vector<Utterance>& speech, Calibration* result, std::string* error)>;

// The words of a transcript as the pronouncing dictionary spells them: lower
// case; letters, digits and inner apostrophes; anything else separates.
std::vector<std::string> TranscriptWords(std::string_view text);

struct AdaptOptions {
  fs::path program_folder;
  std::string profile;
  std::vector<Utterance> speech;
  bool activate = true;     // name the profile in the manifest when done
  bool mllr = false;        // also estimate a transform of the adapted means (MLLR)
  Calibrate calibrate;      // none: no calibration (shift 0)
  const std::atomic<bool>* cancel = nullptr;
  std::function<void(const Progress&)> progress;
};

// Builds Models/<profile> from the recordings. Nothing the recogniser uses
// changes unless it succeeds: the work happens in a staging folder that is
// removed on failure or cancel. false with `error` (cancelled: "cancelled").
bool AdaptProfile(const AdaptOptions& options, std::string* error);

}  // namespace talvane::training
