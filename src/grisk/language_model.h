// The language-model manifest (Grammars/vocon3200lngenu_full.dat): which
// acoustic model and pronouncing dictionary the recogniser uses, its phone
// set, and decoder settings. A small text file of "key = value" lines; "#"
// starts a comment line. Relative paths are relative to the manifest's folder.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace talvane::bgm {

inline constexpr const char* kManifestName = "vocon3200lngenu_full.dat";
inline constexpr const char* kManifestFormat = "talvane-language-model 1";

struct LanguageModel {
  std::filesystem::path acoustic_model;
  std::filesystem::path dictionary;
  std::vector<std::string> phone_set;  // the phones the acoustic model knows
  int sample_rate = 16000;
  // "decoder.NAME = VALUE" lines, in file order, NAME without the prefix.
  std::vector<std::pair<std::string, std::string>> decoder;
};

// Debian's pocketsphinx-en-us model, what the shipped manifest names.
LanguageModel DefaultLanguageModel();

// Parses the manifest text; `folder` resolves relative paths. nullopt with
// `error` ("line 3: ...") when it is malformed.
std::optional<LanguageModel> ParseLanguageModel(std::string_view text, const std::filesystem::path& folder,
                                                std::string* error);
std::optional<LanguageModel> ReadLanguageModel(const std::filesystem::path& file, std::string* error);

}  // namespace talvane::bgm
