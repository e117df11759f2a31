#include "kelo/kelo_voices.h"

#include <algorithm>
#include <array>

namespace talvane::kelo {

namespace {

// US English is espeak-ng's "en-us", British English its "en" (English
// (Great Britain)). The variants give each voice its own sex and timbre.
constexpr std::array<Voice, 4> kVoices{{
    {1, "Samantha (US English)", "en-us", "f3"},
    {2, "Tom (US English)", "en-us", "m3"},
    {3, "Daniel (UK English)", "en", "m1"},
    {4, "Emily (UK English)", "en", "f4"},
}};

constexpr int kSlowestWpm = 80;
constexpr int kNormalWpm = 175;
constexpr int kFastestWpm = 350;

}  // namespace

std::span<const Voice> Voices() { return kVoices; }

std::optional<Voice> FindVoice(int number) {
  for (const auto& v : kVoices)
    if (v.number == number) return v;
  return std::nullopt;
}

Voice DefaultVoice() { return {0, "default (US English)", "en-us", ""}; }

std::string EspeakVoiceName(const Voice& v) {
  std::string name(v.language);
  if (!v.variant.empty()) name += "+" + std::string(v.variant);
  return name;
}

int EspeakVolume(int percent) { return std::clamp(percent, 0, 100); }

int EspeakRate(int scale) {
  scale = std::clamp(scale, 0, 100);
  if (scale <= 50) return kSlowestWpm + (kNormalWpm - kSlowestWpm) * scale / 50;
  return kNormalWpm + (kFastestWpm - kNormalWpm) * (scale - 50) / 50;
}

}  // namespace talvane::kelo
