// Where the simulator's configuration file fsx.cfg is: the stored path, the
// shell's application-data folders, or a file the user browses to.
#include "catalogue/fsx_config.h"

#include "catalogue/settings.h"
#include "common/text.h"
#include "platform/shell_folders.h"

namespace talvane {

namespace {

constexpr const char* kNotFound = "NOT FOUND";

// A relative path counts from the program folder.
bool IsExistingFile(const Context& ctx, const std::string& stored) {
  auto p = ResolveSimulatorPath(stored, ctx.program_folder);
  return p && FileExists(*p);
}

}  // namespace

std::string FindFSXConfig(bool perUser) {
  std::string folder =
      platform::SpecialFolderPath(perUser ? platform::kCsidlAppData : platform::kCsidlCommonAppData);
  if (auto nul = folder.find('\0'); nul != std::string::npos) folder.resize(nul);
  if (folder.empty()) return kNotFound;
  auto found = FindCaseInsensitive(folder, "\\Microsoft\\FSX\\fsx.cfg", false);
  if (found && FileExists(*found)) return AnsiFromPath(*found);
  return kNotFound;
}

int GetWindowsPlatform() { return platform::WindowsPlatformId(); }

bool LocateFSXConfig(Context& ctx, Settings& s) {
  if (GetWindowsPlatform() != 1 && Trim(s.PathFSXConfig).empty()) {
    for (bool perUser : {false, true}) {
      s.PathFSXConfig = FindFSXConfig(perUser);
      if (Upper(Trim(s.PathFSXConfig)) != kNotFound) {
        SavePathFSXConfig(ctx, s);
        return true;
      }
    }
  }
  const std::string stored = Trim(s.PathFSXConfig);
  if (!stored.empty() && stored != kNotFound && IsExistingFile(ctx, stored)) {
    SavePathFSXConfig(ctx, s);
    return true;
  }

  ctx.Tell("FSX CFG File Not Found",
           Paragraphs({"Talvane is unable to find your FSX.cfg file.  This file should be in C:\\Documents and "
                       "Settings\\*User Name*\\Application Data\\Microsoft\\FSX",
                       "Please use the Dialog box to Browse to and select your FSX.cfg file"}),
           kIconWarning);
  FileDialog dialog;
  dialog.title = "Open";
  dialog.filter = "Configuration File |*.cfg";
  dialog.initial_folder = ctx.program_folder.string();
  std::optional<std::string> chosen = ctx.ui.BrowseForFile(dialog);
  if (chosen) {
    const std::string ansi = AnsiFromPath(fs::path(*chosen));
    const std::string name = AnsiFromPath(fs::path(*chosen).filename());
    if (Lower(Trim(name)) == "fsx.cfg") {
      s.PathFSXConfig = ansi;
      SavePathFSXConfig(ctx, s);
      return true;
    }
  }
  ctx.Tell("FSX CFG File Not Recognized",
           Paragraphs({"Talvane did not recognize the path to the FSX.cfg file and you will be unable to access "
                       "Talvane.",
                       "Please press OK to EXIT..."}),
           kIconError);
  ctx.ui.ExitProgram();
  return false;
}

}  // namespace talvane
