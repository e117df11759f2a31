// Voice profiles: a pilot's own adapted acoustic model. The recordings of a
// profile live in Training/<profile>/ of the program folder, its model in
// Models/<profile>/; the language-model manifest (Grammars/
// vocon3200lngenu_full.dat) names the profile in use with a "profile = NAME"
// line, and without one the recogniser uses the standard model.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "grisk/language_model.h"

namespace talvane::training {

namespace fs = std::filesystem;

using bgm::IsValidProfileName;

fs::path TrainingFolder(const fs::path& program_folder, std::string_view profile);
fs::path ModelFolder(const fs::path& program_folder, std::string_view profile);
fs::path ManifestFile(const fs::path& program_folder);

// The profiles with a complete model in Models/, sorted.
std::vector<std::string> ListProfiles(const fs::path& program_folder);

// The profile the manifest names; "" for the standard model (also when the
// manifest cannot be read).
std::string ActiveProfile(const fs::path& program_folder);

// Names `profile` in the manifest ("" switches back to the standard model).
// The manifest is replaced atomically; everything else in it is kept. A
// profile without a complete model is refused.
bool UseProfile(const fs::path& program_folder, std::string_view profile, std::string* error);

// The manifest text with its profile line set to `profile` ("": removed).
std::string WithProfileLine(std::string_view manifest, std::string_view profile);

// Whether `folder` holds every file the recogniser loads from a model.
bool IsCompleteModel(const fs::path& folder);

// Puts the finished model in `staged` (a folder inside Models/) in place as
// Models/<profile>, in one step: an engine that starts meanwhile loads either
// the old model or the new one, never a mixture. The old model, if any, is
// removed afterwards.
bool InstallModel(const fs::path& program_folder, std::string_view profile, const fs::path& staged,
                  std::string* error);

// A new empty folder in Models/ for building a model; its name starts with
// '.', so it is never taken for a profile. Left-over ones of processes that
// have ended are removed first.
fs::path StagingFolder(const fs::path& program_folder, std::string_view profile, std::string* error);

}  // namespace talvane::training
