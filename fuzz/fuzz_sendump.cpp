// The packaged model's 8-bit mixture weights reader, and the training
// tools' parameter file written from what it read, on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "training/model_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string error;
  auto dump = talvane::training::ParseSendump(std::string_view(reinterpret_cast<const char*>(data), size), &error);
  if (!dump) return 0;
  if (dump->values.size() != static_cast<std::size_t>(dump->features) * dump->codewords * dump->senones)
    __builtin_trap();
  if (dump->values.size() < 100000) {
    const std::string image = talvane::training::MixtureWeightsImage(*dump);
    // Header, mark, four counts, the weights and the checksum.
    if (image.size() != 34 + 4 + 4 * 4 + 4 * dump->values.size() + 4) __builtin_trap();
  }
  return 0;
}
