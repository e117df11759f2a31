// RIFF/WAVE audio: the reader behind the recogniser's file input and the
// tool's measurements, and the writer of the copilot voice's WAV output.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace talvane {

struct MonoAudio {
  std::uint32_t sample_rate = 0;
  std::uint16_t channels = 0;         // in the file; `samples` are their mix
  std::vector<std::int16_t> samples;  // 16-bit PCM, one channel
};

// Integer PCM of 8, 16, 24 or 32 bits or 32/64-bit float, any number of
// channels (mixed down to one), plain or extensible format chunk. A data
// chunk whose size runs past the end of the image (as streaming writers
// leave it) is taken up to the end. nullopt with `error` for anything else.
std::optional<MonoAudio> ReadWav(std::string_view image, std::string* error = nullptr);

// The plain 44-byte-header image of 16-bit mono PCM.
std::string WavBytes(std::span<const std::int16_t> samples, std::uint32_t sample_rate);

}  // namespace talvane
