// espeak-ng behind a small interface: one process-wide engine, used under a
// lock, synthesising into memory.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "kelo/kelo_voices.h"

namespace talvane::kelo {

struct Speech {
  std::vector<std::int16_t> samples;
  std::uint32_t sample_rate = 0;
};

class Synthesizer {
 public:
  // Starts espeak-ng if it is not running yet. False (with `error`) when it
  // cannot be started.
  bool Start(std::string* error);
  // Whether espeak-ng has the voice's language and variant.
  bool HasVoice(const Voice& v);
  // Synthesises UTF-8 text; stops early (returning what was made so far)
  // once `cancel` is set. False with `error` when espeak-ng refuses.
  bool Synthesize(const std::string& utf8, const Voice& v, int volume_percent, int rate_scale,
                  const std::atomic<bool>& cancel, Speech& out, std::string* error);
  std::string Version();
  ~Synthesizer();

 private:
  std::mutex mutex_;
  bool started_ = false;
  int sample_rate_ = 0;
};

// The one engine of the process (espeak-ng keeps global state).
Synthesizer& TheSynthesizer();

}  // namespace talvane::kelo
