// The four copilot voices and how the caller's volume and rate scales map
// onto espeak-ng's.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace talvane::kelo {

struct Voice {
  int number;                 // as the program stores it (copilotVoice)
  std::string_view title;     // what the program shows
  std::string_view language;  // espeak-ng voice file name
  std::string_view variant;   // espeak-ng variant (!v/...)
};

std::span<const Voice> Voices();
// Voice 1-4, or nullopt.
std::optional<Voice> FindVoice(int number);
// Used for voice 0 and for numbers that name no voice.
Voice DefaultVoice();
// "en-us+f3": the name espeak_SetVoiceByName takes.
std::string EspeakVoiceName(const Voice& v);

// Percent (clamped to 0-100) to espeak-ng's volume, where 100 is normal.
int EspeakVolume(int percent);
// 0-100 (clamped), 50 = normal, to words per minute: 0 is the slowest
// espeak-ng speaks, 50 its normal 175, 100 twice normal.
int EspeakRate(int scale);

}  // namespace talvane::kelo
