// Signals made up for the recording checks: background hiss, a steady tone
// standing in for a voice, and their sequences, at 16 kHz.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

namespace talvane::test {

using Samples = std::vector<std::int16_t>;

// Low random noise (a quiet room) of peak about `amplitude`.
inline void AddHiss(Samples& s, double seconds, int amplitude) {
  std::uint32_t state = 12345u + static_cast<std::uint32_t>(s.size());
  for (int i = 0; i < static_cast<int>(seconds * 16000); ++i) {
    state = state * 1664525u + 1013904223u;
    s.push_back(static_cast<std::int16_t>(static_cast<int>(state >> 16) % (2 * amplitude + 1) - amplitude));
  }
}

// A 220 Hz tone of peak `amplitude`.
inline void AddTone(Samples& s, double seconds, double amplitude) {
  for (int i = 0; i < static_cast<int>(seconds * 16000); ++i)
    s.push_back(static_cast<std::int16_t>(std::lround(amplitude * std::sin(2 * 3.14159265358979 * 220 * i / 16000.0))));
}

// A good recording: a moment of quiet, a second and a half of "speech"
// at about -8 dBFS, quiet again.
inline Samples GoodRecording() {
  Samples s;
  AddHiss(s, 0.4, 40);
  AddTone(s, 1.5, 13000);
  AddHiss(s, 0.4, 40);
  return s;
}

}  // namespace talvane::test
