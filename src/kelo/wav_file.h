// A plain RIFF/WAVE image: 16-bit signed little-endian PCM, mono.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace talvane::kelo {

std::string WavBytes(std::span<const std::int16_t> samples, std::uint32_t sample_rate);

struct WavData {
  std::uint32_t sample_rate = 0;
  std::uint16_t channels = 0;
  std::uint16_t bits = 0;
  std::vector<std::int16_t> samples;  // 16-bit PCM only
};
// Reads back what WavBytes writes (and any 16-bit PCM file); nullopt when
// the image is not one.
std::optional<WavData> ReadWav(std::string_view bytes);

}  // namespace talvane::kelo
