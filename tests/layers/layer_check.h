// The layer rule of the source tree: a source may include headers only from
// its own folder and from the folders its library is declared to sit on
// (src/CMakeLists.txt writes that table to layers.txt at configure time).
#pragma once

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace talvane::layers {

// Folder -> the folders its sources may include ("common", "grammar", or a
// host such as "tools/talvane-tool"). Folders without a slash live in src/.
using LayerTable = std::map<std::string, std::set<std::string>, std::less<>>;

// Lines "folder: allowed allowed ..."; blank lines are skipped.
LayerTable ParseLayerTable(std::string_view text);

struct Violation {
  std::string file;  // relative to the source root
  int line = 0;
  std::string what;
};

// Every include of a project header that crosses a layer, and every folder
// of src/ that holds sources but has no layer.
std::vector<Violation> CheckLayers(const std::filesystem::path& sourceRoot, const LayerTable& table);

}  // namespace talvane::layers
