#include "training/voice_profiles.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/files.h"
#include "common/split.h"

namespace talvane::training {

namespace {

// The key of a manifest line ("" for comments and blank lines).
std::string_view LineKey(std::string_view line) { return bgm::SplitSettingLine(line).first; }

// Staging folders are ".<profile>.<pid>.tmp".
bool IsStagingOfDeadProcess(const std::string& name) {
  if (name.size() < 6 || name.front() != '.' || !name.ends_with(".tmp")) return false;
  const std::string stem = name.substr(0, name.size() - 4);
  const auto dot = stem.rfind('.');
  if (dot == std::string::npos || dot == 0) return false;
  const std::string digits = stem.substr(dot + 1);
  if (digits.empty() || digits.size() > 9 || !std::all_of(digits.begin(), digits.end(), ::isdigit)) return false;
  const pid_t pid = static_cast<pid_t>(std::stol(digits));
  return pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH;
}

}  // namespace

fs::path TrainingFolder(const fs::path& program_folder, std::string_view profile) {
  return program_folder / "Training" / std::string(profile);
}

fs::path ModelFolder(const fs::path& program_folder, std::string_view profile) {
  return program_folder / bgm::kModelsFolder / std::string(profile);
}

fs::path ManifestFile(const fs::path& program_folder) { return program_folder / "Grammars" / bgm::kManifestName; }

bool IsCompleteModel(const fs::path& folder) {
  for (const char* f : {"mdef", "means", "variances", "transition_matrices", "sendump", "feat.params", "noisedict",
                        "phone.lm.bin"})
    if (!FileExists(folder / f)) return false;
  return true;
}

std::vector<std::string> ListProfiles(const fs::path& program_folder) {
  std::vector<std::string> out;
  for (const std::string& name : ListFolder(program_folder / bgm::kModelsFolder, true))
    if (IsValidProfileName(name) && IsCompleteModel(ModelFolder(program_folder, name))) out.push_back(name);
  std::sort(out.begin(), out.end());
  return out;
}

std::string ActiveProfile(const fs::path& program_folder) {
  const auto text = ReadWholeFile(ManifestFile(program_folder));
  if (!text) return {};
  std::string profile;
  for (const std::string& line : SplitAt(*text, "\n"))
    if (const auto [key, value] = bgm::SplitSettingLine(line); key == "profile") profile = std::string(value);
  return IsValidProfileName(profile) ? profile : std::string();
}

std::string WithProfileLine(std::string_view manifest, std::string_view profile) {
  std::string out;
  std::size_t at = 0;
  while (at < manifest.size()) {
    std::size_t end = manifest.find('\n', at);
    end = end == std::string_view::npos ? manifest.size() : end + 1;
    const std::string_view line = manifest.substr(at, end - at);
    if (LineKey(line) != "profile") out.append(line);
    at = end;
  }
  if (!profile.empty()) {
    if (!out.empty() && out.back() != '\n') out += '\n';
    out += "profile = ";
    out += profile;
    out += '\n';
  }
  return out;
}

bool UseProfile(const fs::path& program_folder, std::string_view profile, std::string* error) {
  auto fail = [&](const std::string& e) {
    if (error) *error = e;
    return false;
  };
  if (!profile.empty()) {
    if (!IsValidProfileName(profile)) return fail("\"" + std::string(profile) + "\" is not a valid profile name");
    if (!IsCompleteModel(ModelFolder(program_folder, profile)))
      return fail("the voice profile \"" + std::string(profile) + "\" has no adapted model");
  }
  const fs::path manifest = ManifestFile(program_folder);
  const auto text = ReadWholeFile(manifest);
  if (!text) return fail("cannot read " + manifest.string());
  std::string e;
  if (!AtomicWriteFile(manifest, WithProfileLine(*text, profile), &e)) return fail(e);
  return true;
}

fs::path StagingFolder(const fs::path& program_folder, std::string_view profile, std::string* error) {
  const fs::path models = program_folder / bgm::kModelsFolder;
  std::error_code ec;
  fs::create_directories(models, ec);
  for (const std::string& name : ListFolder(models, true))
    if (IsStagingOfDeadProcess(name)) fs::remove_all(models / name, ec);
  const fs::path staged = models / ("." + std::string(profile) + "." + std::to_string(::getpid()) + ".tmp");
  fs::remove_all(staged, ec);
  if (!fs::create_directories(staged, ec)) {
    if (error) *error = "cannot create " + staged.string() + ": " + ec.message();
    return {};
  }
  return staged;
}

bool InstallModel(const fs::path& program_folder, std::string_view profile, const fs::path& staged,
                  std::string* error) {
  auto fail = [&](const std::string& e) {
    if (error) *error = e;
    return false;
  };
  if (!IsValidProfileName(profile)) return fail("\"" + std::string(profile) + "\" is not a valid profile name");
  if (!IsCompleteModel(staged)) return fail("the new model in " + staged.string() + " is incomplete");
  const fs::path target = ModelFolder(program_folder, profile);
  std::error_code ec;
  if (!fs::exists(target, ec)) {
    if (::rename(staged.c_str(), target.c_str()) != 0)
      return fail("cannot move the new model to " + target.string() + ": " + std::strerror(errno));
    return true;
  }
  // Swap the two folders in one step; the old model ends up in `staged`.
  if (::renameat2(AT_FDCWD, staged.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) != 0) {
    // File systems without the exchange: move the old one aside first.
    const fs::path aside = staged.string() + ".old";
    if (::rename(target.c_str(), aside.c_str()) != 0)
      return fail("cannot replace the model in " + target.string() + ": " + std::strerror(errno));
    if (::rename(staged.c_str(), target.c_str()) != 0) {
      const std::string why = std::strerror(errno);
      ::rename(aside.c_str(), target.c_str());  // put the old model back
      return fail("cannot move the new model to " + target.string() + ": " + why);
    }
    fs::remove_all(aside, ec);
    return true;
  }
  fs::remove_all(staged, ec);
  return true;
}

}  // namespace talvane::training
