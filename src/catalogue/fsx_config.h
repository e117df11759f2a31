// Locating the simulator's configuration file fsx.cfg.
#pragma once

#include <string>

#include "catalogue/settings.h"
#include "common/context.h"

namespace talvane {

// The path of fsx.cfg below the shell's application-data folder (per user or
// for all users), or "NOT FOUND".
std::string FindFSXConfig(bool perUser);
// 1 for the Windows 95/98/Me family; Linux answers as the NT family.
int GetWindowsPlatform();
// Leaves PathFSXConfig naming an existing fsx.cfg and written back to the
// settings file; returns false when the program was ended.
bool LocateFSXConfig(Context& ctx, Settings& s);

}  // namespace talvane
