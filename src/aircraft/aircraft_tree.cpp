// Aircraft discovery: the object folders fsx.cfg names and the aircraft
// below them, as the manufacturer -> type -> variation tree.
#include "aircraft/aircraft_tree.h"

#include <dirent.h>

#include <algorithm>
#include <unordered_map>

#include "common/text.h"

namespace talvane {


namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool HasSeparator(std::string_view s) { return s.find_first_of("\\/") != std::string_view::npos; }

bool IsDrivePath(std::string_view s) {
  return s.size() >= 2 && s[1] == ':' && ((s[0] >= 'A' && s[0] <= 'Z') || (s[0] >= 'a' && s[0] <= 'z'));
}

// The order of names in a listing of the simulator's own (case-insensitive)
// file system: upper-cased, by UTF-16 code unit.
bool ListingLess(const std::string& a, const std::string& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const char32_t x = Cp1252ToCodePoint(static_cast<unsigned char>(UpperChar(a[i])));
    const char32_t y = Cp1252ToCodePoint(static_cast<unsigned char>(UpperChar(b[i])));
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

// Ordinal comparison of the padded level names.
bool OrdinalLess(const std::string& a, const std::string& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const char32_t x = Cp1252ToCodePoint(static_cast<unsigned char>(a[i]));
    const char32_t y = Cp1252ToCodePoint(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

std::string AnsiName(const std::string& native) { return IsValidUtf8(native) ? Utf8ToCp1252(native) : native; }

bool IsFolderEntry(const fs::path& parent, const dirent* e) {
  if (e->d_type == DT_DIR) return true;
  if (e->d_type != DT_LNK && e->d_type != DT_UNKNOWN) return false;
  std::error_code ec;
  return fs::is_directory(parent / e->d_name, ec);
}

// A kneeboard page name must stay inside the aircraft folder: no absolute
// path, no drive, no parent step.
bool IsInsideFolder(std::string_view kb) {
  if (!kb.empty() && IsSeparator(kb.front())) return false;
  if (IsDrivePath(kb)) return false;
  std::size_t start = 0;
  while (start <= kb.size()) {
    std::size_t end = kb.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = kb.size();
    if (kb.substr(start, end - start) == "..") return false;
    start = end + 1;
  }
  return true;
}

bool IsWithin(const fs::path& inner, const fs::path& outer) {
  std::error_code ec;
  const fs::path a = fs::weakly_canonical(inner, ec);
  if (ec) return false;
  const fs::path b = fs::weakly_canonical(outer, ec);
  if (ec) return false;
  auto ai = a.begin();
  for (auto bi = b.begin(); bi != b.end(); ++bi, ++ai) {
    if (bi->empty()) continue;  // the trailing separator of a folder
    if (ai == a.end() || *ai != *bi) return false;
  }
  return true;
}

// folder + the relative name, "\" read as a separator.
fs::path JoinAnsi(const fs::path& folder, std::string_view relative) {
  fs::path p = folder;
  std::size_t start = 0;
  while (start <= relative.size()) {
    std::size_t end = relative.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = relative.size();
    std::string_view part = relative.substr(start, end - start);
    if (!part.empty() && part != ".") p /= PathFromAnsi(part);
    start = end + 1;
  }
  return p;
}

}  // namespace

const AircraftVariation* AircraftTree::Variation(int m, int t, int v) const {
  if (m < 0 || static_cast<std::size_t>(m) >= manufacturers.size()) return nullptr;
  const auto& man = manufacturers[static_cast<std::size_t>(m)];
  if (t < 0 || static_cast<std::size_t>(t) >= man.types.size()) return nullptr;
  const auto& type = man.types[static_cast<std::size_t>(t)];
  if (v < 0 || static_cast<std::size_t>(v) >= type.variations.size()) return nullptr;
  return &type.variations[static_cast<std::size_t>(v)];
}

AircraftFolderListing AircraftFolderListing::Read(const fs::path& folder) {
  AircraftFolderListing l;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return l;
  while (const dirent* e = ::readdir(dir)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    Entry entry;
    entry.folder = IsFolderEntry(folder, e);
    entry.ansi = AnsiName(name);
    entry.native = std::move(name);
    l.entries.push_back(std::move(entry));
  }
  ::closedir(dir);
  return l;
}

const AircraftFolderListing::Entry* AircraftFolderListing::Find(std::string_view ansi, bool folder) const {
  const Entry* found = nullptr;
  for (const auto& e : entries) {
    if (e.folder != folder || !EqualsNoCase(e.ansi, ansi)) continue;
    if (e.ansi == ansi) return &e;
    if (!found) found = &e;
  }
  return found;
}

fs::path FSXFolder(const Context& ctx) {
  std::error_code ec;
  const fs::path up = fs::absolute(ctx.program_folder, ec) / ".." / "..";
  fs::path lexical = up.lexically_normal();
  if (!lexical.empty() && lexical.filename().empty()) lexical = lexical.parent_path();
  // ".." means the parent on disk; a symbolic link in the program folder's
  // path makes that differ from the parent in the text.
  if (fs::exists(up, ec) && !fs::equivalent(lexical, up, ec)) return fs::weakly_canonical(up, ec);
  return lexical;
}

fs::path ResolveSimObjectPath(const fs::path& fsxFolder, std::string_view entry) {
  const std::string e = Trim(entry);
  if (e.empty()) return {};
  std::optional<fs::path> found;
  if (IsDrivePath(e) || IsSeparator(e.front()))
    found = ResolveSimulatorPath(e, fsxFolder);
  else
    found = FindCaseInsensitive(fsxFolder, e, true);
  if (!found || !FolderExists(*found)) return {};
  return found->lexically_normal();
}

bool LoadSimObjectPaths(Context& ctx, const Settings& s, std::vector<std::string>& SimObjectPaths) {
  SimObjectPaths.clear();
  std::optional<IniDocument> doc;
  if (auto file = ResolveSimulatorPath(s.PathFSXConfig, ctx.program_folder); file && FileExists(*file)) doc = IniDocument::Load(*file);
  if (!doc) {
    ctx.Tell("FSX.cfg Read Error",
             Paragraphs({"Talvane encountered an error while attempting to read your FSX.cfg file.",
                         "Talvane must now shut down.", "Please press OK to continue..."}),
             kIconError);
    ctx.ui.ExitProgram();
    return false;
  }
  for (int i = 0; i < kMaxSimObjectPaths; ++i) {
    std::string v = doc->ReadString("MAIN", "SimObjectPaths." + ToDecimal(i));
    if (v.empty()) break;
    SimObjectPaths.push_back(std::move(v));
  }
  return true;
}

int HasFlightModel(const fs::path& folder, std::string_view simValue) {
  try {
    auto found = FindCaseInsensitive(folder, Trim(simValue) + ".air", true);
    return found && FileExists(*found) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

void ReadAircraftEntries(const IniDocument& cfg, const fs::path& folder, const AircraftFolderListing& listing,
                         std::vector<AircraftEntry>& out, std::vector<RefusedAircraft>& refused) {
  for (int n = 0; n < kMaxFltsimSections; ++n) {
    const std::string section = "fltsim." + ToDecimal(n);
    std::string title = cfg.ReadString(section, "title");
    if (title.empty()) break;  // a gap in the numbering ends the folder
    const std::string sim = cfg.ReadString(section, "sim");
    const std::string airFile = sim + ".air";
    const bool flightModel =
        HasSeparator(sim) ? HasFlightModel(folder, sim) == 1 : listing.Find(airFile, false) != nullptr;
    if (!flightModel) continue;

    const std::string kb = cfg.ReadString(section, "kb_checklists");
    if (!IsInsideFolder(kb)) {
      refused.push_back({std::move(title), kb, folder});
      continue;
    }
    AircraftEntry e;
    e.manufacturer = cfg.ReadString(section, "ui_manufacturer");
    e.type = cfg.ReadString(section, "ui_type");
    e.variation = cfg.ReadString(section, "ui_variation");

    const std::string texture = cfg.ReadString(section, "texture");
    const std::string textureName = texture.empty() ? std::string("Texture") : "Texture." + texture;
    const auto* tex = HasSeparator(textureName) ? nullptr : listing.Find(textureName, true);
    e.textureFolder = (tex ? folder / tex->native : JoinAnsi(folder, textureName)) / "";

    const std::string page = kb + ".htm";
    if (HasSeparator(page)) {
      auto found = FindCaseInsensitive(folder, page, false);
      e.kneeboardPage = found ? *found : JoinAnsi(folder, page);
      // A linked sub-folder could still lead elsewhere.
      if (!IsWithin(e.kneeboardPage.parent_path(), folder)) {
        refused.push_back({std::move(title), kb, folder});
        continue;
      }
    } else {
      const auto* file = listing.Find(page, false);
      e.kneeboardPage = folder / (file ? fs::path(file->native) : PathFromAnsi(page));
    }
    e.title = std::move(title);
    out.push_back(std::move(e));
  }
}

std::vector<fs::path> ListAircraftFolders(const fs::path& base) {
  std::vector<std::pair<std::string, std::string>> names;  // ansi, native
  DIR* dir = ::opendir(base.c_str());
  if (!dir) return {};
  while (const dirent* e = ::readdir(dir)) {
    std::string name = e->d_name;
    if (name == "." || name == ".." || !IsFolderEntry(base, e)) continue;
    names.emplace_back(AnsiName(name), std::move(name));
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) {
    if (ListingLess(a.first, b.first)) return true;
    if (ListingLess(b.first, a.first)) return false;
    return a.second < b.second;  // names that differ only in case: any fixed order
  });
  std::vector<fs::path> folders;
  folders.reserve(names.size());
  for (auto& n : names) folders.push_back(base / n.second);
  return folders;
}

AircraftTree BuildAircraftTree(const std::vector<AircraftEntry>& entries) {
  // The case-insensitive lookups of each level, beside the tree.
  struct TypeIndex {
    std::unordered_map<std::string, std::size_t> variations;
  };
  struct ManufacturerIndex {
    std::unordered_map<std::string, std::size_t> types;
    std::vector<TypeIndex> typeIndex;
  };
  AircraftTree tree;
  std::unordered_map<std::string, std::size_t> manufacturers;
  std::vector<ManufacturerIndex> index;

  for (const auto& e : entries) {
    const FixedText<50> manName(e.manufacturer);
    auto [mi, newMan] = manufacturers.try_emplace(Lower(manName.str()), tree.manufacturers.size());
    if (newMan) {
      tree.manufacturers.push_back(AircraftManufacturer{manName, {}});
      index.emplace_back();
    }
    auto& man = tree.manufacturers[mi->second];
    auto& manIndex = index[mi->second];

    const FixedText<100> typeName(e.type);
    auto [ti, newType] = manIndex.types.try_emplace(Lower(typeName.str()), man.types.size());
    if (newType) {
      man.types.push_back(AircraftType{typeName, {}});
      manIndex.typeIndex.emplace_back();
    }
    auto& type = man.types[ti->second];

    const FixedText<100> variationName(e.variation);
    auto [vi, newVariation] =
        manIndex.typeIndex[ti->second].variations.try_emplace(Lower(variationName.str()), type.variations.size());
    if (!newVariation) continue;  // the first entry of a variation wins
    AircraftVariation v;
    v.levelName = variationName;
    v.title = e.title;
    v.textureFolder = e.textureFolder;
    v.kneeboardPage = e.kneeboardPage;
    type.variations.push_back(std::move(v));
  }

  // Names are unique at each level (merging is case-insensitive), so the
  // order is fully defined.
  auto byName = [](const auto& a, const auto& b) { return OrdinalLess(a.levelName.str(), b.levelName.str()); };
  std::sort(tree.manufacturers.begin(), tree.manufacturers.end(), byName);
  for (auto& man : tree.manufacturers) {
    std::sort(man.types.begin(), man.types.end(), byName);
    for (auto& type : man.types) std::sort(type.variations.begin(), type.variations.end(), byName);
  }
  return tree;
}

void LinkAircraftAssignments(AircraftTree& tree, AssignmentList& assignments) {
  std::unordered_map<std::string, std::size_t> byTitle;
  for (std::size_t i = 0; i < assignments.records.size(); ++i)
    byTitle.try_emplace(Upper(assignments.records[i].aircraftTitle.trimmed()), i);
  for (auto& man : tree.manufacturers)
    for (auto& type : man.types)
      for (auto& v : type.variations) {
        const std::string title = v.title.trimmed();
        auto [it, added] = byTitle.try_emplace(Upper(title), assignments.records.size());
        if (added) {
          if (assignments.records.size() >= kMaxAssignmentRecords) {
            byTitle.erase(it);
            v.assignmentIndex = -1;
            continue;
          }
          AssignmentRecord r;
          r.aircraftTitle = title;
          assignments.records.push_back(r);
        }
        v.assignmentIndex = static_cast<std::int16_t>(it->second);
      }
}

void LoadFSXAircraft(Context& ctx, const std::vector<std::string>& SimObjectPaths, AssignmentList& assignments,
                     AircraftTree& tree) {
  ctx.ui.SetSplashStatus("Loading FSX Aircraft, standby...");
  std::vector<AircraftEntry> entries;
  std::vector<RefusedAircraft> refused;
  const fs::path fsx = FSXFolder(ctx);
  for (const auto& entry : SimObjectPaths) {
    const fs::path base = ResolveSimObjectPath(fsx, entry);
    if (base.empty()) continue;
    // The listing is complete before any aircraft folder is read.
    const std::vector<fs::path> folders = ListAircraftFolders(base);
    for (const auto& folder : folders) {
      const AircraftFolderListing listing = AircraftFolderListing::Read(folder);
      const auto* cfg = listing.Find("Aircraft.cfg", false);
      if (!cfg) cfg = listing.Find("Sim.cfg", false);
      if (!cfg) continue;
      auto doc = IniDocument::Load(folder / cfg->native);
      if (!doc) continue;
      ReadAircraftEntries(*doc, folder, listing, entries, refused);
    }
  }
  tree = BuildAircraftTree(entries);
  LinkAircraftAssignments(tree, assignments);

  if (!refused.empty()) {
    constexpr std::size_t kShown = 20;
    std::string list;
    for (std::size_t i = 0; i < refused.size() && i < kShown; ++i) {
      if (!list.empty()) list += kCR;
      list += refused[i].title + " (kb_checklists=" + refused[i].kbChecklists + ", in " +
              AnsiFromPath(refused[i].folder) + ")";
    }
    if (refused.size() > kShown) list += std::string(1, kCR) + "... and " + ToDecimal(static_cast<long long>(refused.size() - kShown)) + " more";
    ctx.Tell("Kneeboard Page Refused",
             Paragraphs({"These aircraft name a kneeboard page outside their own folder and have been left out of "
                         "the aircraft list:",
                         list, "Please press OK to continue..."}),
             kIconWarning);
  }
}

}  // namespace talvane
