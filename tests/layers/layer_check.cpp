#include "layers/layer_check.h"

#include <fstream>
#include <regex>
#include <sstream>

namespace talvane::layers {

namespace fs = std::filesystem;

namespace {

bool IsSource(const fs::path& p) {
  const auto ext = p.extension();
  return ext == ".cpp" || ext == ".h";
}

fs::path FolderOf(const fs::path& root, const std::string& layer) {
  return layer.find('/') == std::string::npos ? root / "src" / layer : root / layer;
}

}  // namespace

LayerTable ParseLayerTable(std::string_view text) {
  LayerTable table;
  std::istringstream in{std::string(text)};
  std::string line;
  while (std::getline(in, line)) {
    const auto colon = line.find(':');
    if (colon == std::string::npos) continue;
    auto& allowed = table[line.substr(0, colon)];
    std::istringstream words(line.substr(colon + 1));
    for (std::string w; words >> w;) allowed.insert(w);
  }
  return table;
}

std::vector<Violation> CheckLayers(const fs::path& root, const LayerTable& table) {
  std::vector<Violation> found;
  // Folders of src/ with sources must have a layer, or they could include anything.
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(root / "src", ec)) {
    if (!e.is_directory()) continue;
    const std::string name = e.path().filename().string();
    bool hasSources = false;
    for (const auto& f : fs::recursive_directory_iterator(e.path(), ec)) hasSources = hasSources || IsSource(f.path());
    if (hasSources && !table.count(name)) found.push_back({"src/" + name, 0, "folder has no layer"});
  }

  static const std::regex kInclude(R"(^\s*#\s*include\s*"([^"/]+)/[^"]*")");
  for (const auto& [layer, allowed] : table) {
    const fs::path folder = FolderOf(root, layer);
    if (!fs::is_directory(folder, ec)) continue;
    for (const auto& f : fs::recursive_directory_iterator(folder, ec)) {
      if (!f.is_regular_file() || !IsSource(f.path())) continue;
      std::ifstream in(f.path());
      std::string text;
      int number = 0;
      while (std::getline(in, text)) {
        ++number;
        std::smatch m;
        if (!std::regex_search(text, m, kInclude)) continue;
        const std::string target = m[1];
        // Only project folders count; "support/..." and the like are not layers.
        if (!table.count(target) && !fs::is_directory(root / "src" / target, ec)) continue;
        if (allowed.count(target)) continue;
        found.push_back({fs::relative(f.path(), root).string(), number,
                         "layer " + layer + " includes from " + target + ", which it does not link"});
      }
    }
  }
  return found;
}

}  // namespace talvane::layers
