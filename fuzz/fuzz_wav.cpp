// The audio-in device's WAV reader, and the rate conversion after it, on
// arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "vocon/wav_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string error;
  auto audio = talvane::vocon::ReadWav(std::string_view(reinterpret_cast<const char*>(data), size), &error);
  if (audio && audio->samples.size() < 100000) {
    const auto out = talvane::vocon::Resample(audio->samples, audio->sample_rate, 16000);
    if (audio->sample_rate == 16000 && out.size() != audio->samples.size()) __builtin_trap();
  }
  return 0;
}
