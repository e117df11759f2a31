// The WAV reader, the writer on what it read, and the recogniser's rate
// conversion after it, on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/wav_file.h"
#include "common/resample.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string error;
  auto audio = talvane::ReadWav(std::string_view(reinterpret_cast<const char*>(data), size), &error);
  if (audio && talvane::ReadWav(talvane::WavBytes(audio->samples, audio->sample_rate))->samples != audio->samples)
    __builtin_trap();
  if (audio && audio->samples.size() < 100000) {
    const auto out = talvane::Resample(audio->samples, audio->sample_rate, 16000);
    if (audio->sample_rate == 16000 && out.size() != audio->samples.size()) __builtin_trap();
  }
  return 0;
}
