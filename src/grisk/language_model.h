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
  // "profile = NAME": the speaker's adapted model, Models/NAME of the program
  // folder, found from the manifest's folder (Grammars or Grammars/Test); it
  // takes the place of acoustic_model. Empty: the standard model.
  std::string profile;
  // How much higher the adapted model scores speech, in the decoder's score
  // units per frame; subtracted before the confidence is taken, so that
  // one rejection threshold holds for every model (Models/NAME/calibration.txt).
  double confidence_shift = 0;
  // "antonyms = FILE": the word pairs whose swap inverts a command (one pair
  // a line), looked for in the manifest's folder, then in the program
  // folder's Data (the manifest is in Grammars or Grammars/Test).
  // "antonym_margin = X": a result whose antonym-swapped sentence scores
  // within X per frame of it (natural log) is rejected. Without both, no
  // result is checked.
  std::filesystem::path antonyms;
  std::optional<double> antonym_margin;
};

inline constexpr const char* kModelsFolder = "Models";
inline constexpr const char* kCalibrationFile = "calibration.txt";
// An adapted model's transform of its means (MLLR), applied by the decoder
// whenever the model folder holds one.
inline constexpr const char* kMllrFile = "mllr_matrix";

// A profile name is a plain folder name: 1-40 letters, digits, spaces, '-',
// '_' or '.', not starting with '.' or a space, not ending with a space (so
// it never names a staging folder nor leads out of Models/).
bool IsValidProfileName(std::string_view name);

// The key and value of one "key = value" line, without the blanks around
// them; an empty key for comments, blank lines and lines without '='.
std::pair<std::string_view, std::string_view> SplitSettingLine(std::string_view line);

// The "confidence_shift = X" of a model's calibration file; 0 when there is
// none or it is malformed.
double ReadConfidenceShift(const std::filesystem::path& model_folder);

// Debian's pocketsphinx-en-us model, what the shipped manifest names.
LanguageModel DefaultLanguageModel();

// Parses the manifest text; `folder` resolves relative paths. nullopt with
// `error` ("line 3: ...") when it is malformed.
std::optional<LanguageModel> ParseLanguageModel(std::string_view text, const std::filesystem::path& folder,
                                                std::string* error);
std::optional<LanguageModel> ReadLanguageModel(const std::filesystem::path& file, std::string* error);

}  // namespace talvane::bgm
