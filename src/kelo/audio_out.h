// Playing samples on the default audio output.
#pragma once

#include <atomic>
#include <cstdint>
#include <span>
#include <string>

namespace talvane::kelo {

// Plays mono 16-bit samples on ALSA's default device; returns when they have
// been played or `cancel` was set. False (with `error`) when there is no
// usable output.
bool PlaySamples(std::span<const std::int16_t> samples, std::uint32_t sample_rate, const std::atomic<bool>& cancel,
                 std::string* error);

}  // namespace talvane::kelo
