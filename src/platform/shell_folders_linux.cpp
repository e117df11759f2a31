#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "common/files.h"
#include "platform/shell_folders.h"

namespace talvane::platform {

std::string LoginName() {
  if (const char* u = std::getenv("USER"); u && *u) return u;
  if (passwd* pw = ::getpwuid(::getuid())) return pw->pw_name;
  return "root";
}

std::string SpecialFolderPath(int csidl) {
  const fs::path drive_c = WinePrefix() / "drive_c";
  std::vector<std::string> candidates;
  if (csidl == kCsidlCommonAppData) {
    candidates = {"ProgramData", "users/Public/Application Data",
                  "Documents and Settings/All Users/Application Data"};
  } else if (csidl == kCsidlAppData) {
    const std::string user = LoginName();
    candidates = {"users/" + user + "/AppData/Roaming", "users/" + user + "/Application Data",
                  "Documents and Settings/" + user + "/Application Data"};
  } else {
    return {};
  }
  for (const auto& c : candidates)
    if (auto found = FindCaseInsensitive(drive_c, c)) return found->string();
  return (drive_c / candidates.front()).string();
}

int WindowsPlatformId() { return 2; }

}  // namespace talvane::platform
