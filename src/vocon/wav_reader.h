// Reading a WAV file for the audio-in device, and bringing it to the
// recogniser's sample rate.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talvane::vocon {

struct MonoAudio {
  std::uint32_t sample_rate = 0;
  std::vector<std::int16_t> samples;
};

// RIFF/WAVE with integer PCM of 8, 16, 24 or 32 bits or 32/64-bit float,
// any number of channels (mixed down to one), plain or extensible format
// chunk. A data chunk whose size runs past the end of the image (as
// streaming writers leave it) is taken up to the end. nullopt with `error`
// for anything else.
std::optional<MonoAudio> ReadWav(std::string_view image, std::string* error);

// Windowed-sinc conversion from `from` to `to` hertz (both 1000-384000).
std::vector<std::int16_t> Resample(const std::vector<std::int16_t>& in, std::uint32_t from, std::uint32_t to);

}  // namespace talvane::vocon
