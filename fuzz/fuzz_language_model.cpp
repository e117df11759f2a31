// The language-model manifest reader on arbitrary text: a manifest it
// accepts names the model, the dictionary and at least one phone.
#include <cstddef>
#include <cstdint>
#include <string>

#include "grisk/language_model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string error;
  const auto m = talvane::bgm::ParseLanguageModel(std::string_view(reinterpret_cast<const char*>(data), size),
                                                  "/program/Grammars", &error);
  if (m && (m->acoustic_model.empty() || m->dictionary.empty() || m->phone_set.empty())) __builtin_trap();
  if (!m && error.rfind("line ", 0) != 0) __builtin_trap();  // every refusal says where
  return 0;
}
