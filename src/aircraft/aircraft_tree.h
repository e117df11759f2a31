// The simulator's aircraft: the object folders of fsx.cfg, every aircraft
// configuration below them, and the manufacturer -> type -> variation tree
// that the assignment screen shows and the kneeboard writer walks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "aircraft/assignments.h"
#include "catalogue/settings.h"
#include "common/context.h"
#include "common/fixed_text.h"
#include "common/ini.h"

namespace talvane {

namespace fs = std::filesystem;

inline constexpr int kMaxSimObjectPaths = 1000;
inline constexpr int kMaxFltsimSections = 1000;
// The assignment file's 16-bit last index holds this many records at most.
inline constexpr std::size_t kMaxAssignmentRecords = 32768;

struct AircraftVariation {
  FixedText<100> levelName;
  FixedText<255> title;
  std::int16_t assignmentIndex = -1;  // -1 only when the assignment list is full
  fs::path textureFolder;             // ends with a separator; "thumbnail.jpg" is appended
  fs::path kneeboardPage;
};

struct AircraftType {
  FixedText<100> levelName;
  std::vector<AircraftVariation> variations;  // 0..lastVariation
  std::int16_t lastVariation() const { return static_cast<std::int16_t>(variations.size() - 1); }
};

struct AircraftManufacturer {
  FixedText<50> levelName;
  std::vector<AircraftType> types;  // 0..lastType
  std::int16_t lastType() const { return static_cast<std::int16_t>(types.size() - 1); }
};

struct AircraftTree {
  std::vector<AircraftManufacturer> manufacturers;  // 0..last index
  std::int32_t lastManufacturer() const { return static_cast<std::int32_t>(manufacturers.size()) - 1; }
  // The variation at the indices, or nullptr when they name none.
  const AircraftVariation* Variation(int m, int t, int v) const;
};

// One "fltsim." section that passed the checks (the working list).
struct AircraftEntry {
  std::string title;
  std::string manufacturer;
  std::string type;
  std::string variation;
  fs::path textureFolder;
  fs::path kneeboardPage;
};

// A section left out because its kneeboard page would lie outside its folder.
struct RefusedAircraft {
  std::string title;
  std::string kbChecklists;
  fs::path folder;
};

// The entries of one aircraft folder, read once so that every name the
// configuration mentions can be matched without regard to letter case.
struct AircraftFolderListing {
  struct Entry {
    std::string native;  // the name on disk
    std::string ansi;    // the same in Windows-1252, for comparing with configuration values
    bool folder = false;
  };
  std::vector<Entry> entries;

  static AircraftFolderListing Read(const fs::path& folder);
  // The first file (or folder) whose name equals `ansi` without regard to
  // case, preferring the exact spelling; nullptr when there is none.
  const Entry* Find(std::string_view ansi, bool folder) const;
};

// The FSX folder: two levels above the program folder.
fs::path FSXFolder(const Context& ctx);

// Where an object folder of fsx.cfg is on disk: relative entries below the
// FSX folder, Windows drive paths through the Wine prefix, Linux paths as
// they are; any letter case. Empty when it does not exist.
fs::path ResolveSimObjectPath(const fs::path& fsxFolder, std::string_view entry);

// Reads the "SimObjectPaths.N" keys of section "MAIN" of fsx.cfg, up to the
// first empty one. An unreadable file is reported and ends the program:
// false is returned then.
bool LoadSimObjectPaths(Context& ctx, const Settings& s, std::vector<std::string>& SimObjectPaths);

// 1 when folder/<simValue trimmed>.air exists (any letter case), else 0.
int HasFlightModel(const fs::path& folder, std::string_view simValue);

// The sections of one aircraft configuration, appended to `out` in section
// order; sections whose kneeboard page would leave the folder go to `refused`.
void ReadAircraftEntries(const IniDocument& cfg, const fs::path& folder, const AircraftFolderListing& listing,
                         std::vector<AircraftEntry>& out, std::vector<RefusedAircraft>& refused);

// The sub-folders of an object folder, in the order the simulator's own file
// system lists them (by name, without regard to case).
std::vector<fs::path> ListAircraftFolders(const fs::path& base);

// The tree of the working list: case-insensitive merging at each level (the
// first spelling wins, the first entry of a variation wins), each level sorted.
AircraftTree BuildAircraftTree(const std::vector<AircraftEntry>& entries);

// Gives every variation the index of its title's assignment record, appending
// a record (empty checklist, flag 0) for each title that has none.
void LinkAircraftAssignments(AircraftTree& tree, AssignmentList& assignments);

// Walks the object folders and builds the tree, then links it to the
// assignments. Aircraft refused for their kneeboard page are reported in one
// warning. No aircraft gives an empty tree.
void LoadFSXAircraft(Context& ctx, const std::vector<std::string>& SimObjectPaths, AssignmentList& assignments,
                     AircraftTree& tree);

}  // namespace talvane
