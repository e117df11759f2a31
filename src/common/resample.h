// Bringing audio to the recogniser's sample rate.
#pragma once

#include <cstdint>
#include <vector>

namespace talvane {

// Windowed-sinc conversion from `from` to `to` hertz (both 1000-384000).
std::vector<std::int16_t> Resample(const std::vector<std::int16_t>& in, std::uint32_t from, std::uint32_t to);

}  // namespace talvane
