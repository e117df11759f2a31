// An aircraft configuration on arbitrary bytes: its sections become entries,
// the entries a tree. Every page must stay inside the aircraft folder, every
// level must be sorted and merged without regard to case, and every node key
// must decode back to its node.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "aircraft/aircraft_tree.h"
#include "kneeboard/kneeboard.h"
#include "aircraft/tree_keys.h"
#include "common/text.h"

namespace {

using namespace talvane;

const fs::path kFolder = "/nonexistent-talvane-fuzz/SimObjects/Airplanes/Aircraft";

AircraftFolderListing Listing() {
  AircraftFolderListing l;
  for (const char* f : {"model.air", "Model.AIR", "check.htm", "aircraft.cfg", "\xC3\xA9t\xC3\xA9.air"})
    l.entries.push_back({f, Utf8ToCp1252(f), false});
  for (const char* d : {"Texture", "texture.1", "TEXTURE.Red Blue"}) l.entries.push_back({d, d, true});
  return l;
}

void Check(bool ok) {
  if (!ok) std::abort();
}

template <typename Level>
void CheckLevel(const std::vector<Level>& items) {
  for (std::size_t i = 1; i < items.size(); ++i) {
    Check(Lower(items[i - 1].levelName.str()) != Lower(items[i].levelName.str()));
    Check(Cp1252ToUtf16(items[i - 1].levelName.str()) < Cp1252ToUtf16(items[i].levelName.str()));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const AircraftFolderListing listing = Listing();
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const IniDocument cfg = IniDocument::Parse(bytes);
  std::vector<AircraftEntry> entries;
  std::vector<RefusedAircraft> refused;
  ReadAircraftEntries(cfg, kFolder, listing, entries, refused);

  for (const auto& e : entries) {
    Check(!Trim(e.title).empty());
    const std::string page = e.kneeboardPage.lexically_normal().string();
    Check(page.starts_with(kFolder.string() + "/"));
    Check(e.textureFolder.string().starts_with(kFolder.string() + "/"));
    Check(KneeboardBackupPath(e.kneeboardPage).parent_path() == e.kneeboardPage.parent_path());
  }

  AircraftTree tree = BuildAircraftTree(entries);
  AssignmentList assignments;
  LinkAircraftAssignments(tree, assignments);
  CheckLevel(tree.manufacturers);
  std::size_t variations = 0;
  for (std::size_t m = 0; m < tree.manufacturers.size(); ++m) {
    const auto& man = tree.manufacturers[m];
    CheckLevel(man.types);
    Check(DecodeTreeNodeKey(TreeNodeKey(static_cast<int>(m))) == (TreeSelection{static_cast<int>(m), -1, -1}));
    for (std::size_t t = 0; t < man.types.size(); ++t) {
      CheckLevel(man.types[t].variations);
      for (std::size_t v = 0; v < man.types[t].variations.size(); ++v, ++variations) {
        const TreeSelection sel{static_cast<int>(m), static_cast<int>(t), static_cast<int>(v)};
        Check(DecodeTreeNodeKey(TreeNodeKey(sel.manufacturer, sel.type, sel.variation)) == sel);
        const auto& var = man.types[t].variations[v];
        Check(var.assignmentIndex >= 0 && static_cast<std::size_t>(var.assignmentIndex) < assignments.records.size());
        Check(SameName(assignments.records[static_cast<std::size_t>(var.assignmentIndex)].aircraftTitle.str(),
                       var.title.str()));
      }
    }
  }
  Check(variations <= entries.size());
  Check(assignments.records.size() <= variations);
  return 0;
}
