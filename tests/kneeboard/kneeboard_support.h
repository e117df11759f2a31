// A simulator with assigned aircraft, checklists and a catalogue, for the
// kneeboard tests.
#pragma once

#include <map>

#include "aircraft/checklist.h"
#include "kneeboard/kneeboard.h"
#include "aircraft_discovery/sim_tree.h"
#include "catalogue/command_catalogue.h"
#include "common/ini.h"
#include "grammar/category_list.h"

namespace talvane::test {

inline ChecklistStep Step(const std::string& challenge, const std::string& response) {
  ChecklistStep s = NewChecklistStep();
  s.challenge = challenge;
  s.pronunciation = challenge;
  s.responseText = response;
  return s;
}

inline CommandRecord Command(const std::string& category, const std::string& name,
                             const std::vector<std::string>& phrases) {
  CommandRecord c;
  c.category = category;
  c.commandName = name;
  for (const auto& p : phrases) c.grammars.emplace_back(p);
  c.readbacks.emplace_back("Roger");
  return c;
}

// Every file below a folder, by path relative to it.
inline std::map<std::string, std::string> Snapshot(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(folder))
    if (e.is_regular_file()) files[fs::relative(e.path(), folder).string()] = ReadFile(e.path());
  return files;
}

// Installed aircraft:
//   Cessna_C172: "C172 Blue" and "C172 Red" share C172_Check.htm
//   Piper: the configuration names Cherokee_Check, the disk has cherokee_check.HTM
//   NoPage: names a page that does not exist
//   Glider: has a page and no checklist assigned
struct KneeboardSim : SimTree {
  CommandCatalogue catalogue;
  CategoryList categories;
  ChecklistModel checklist;
  GrammarScriptLines script;
  KneeboardSources sources{checklist, catalogue, categories, script};
  AssignmentList assignments;
  AircraftTree tree;

  static constexpr const char* kC172Page = "ORIGINAL C172 CHECKLIST\r\n<p>Mixture rich</p>\r\n";
  static constexpr const char* kPiperPage = "<html><body>Cherokee original</body></html>";
  static constexpr const char* kGliderPage = "glider page";

  KneeboardSim() {
    WriteFile(program / "TV_Information.cfg", "[Main]\r\ncopilotVoice=1\r\nchecklistBackups=-1\r\n");
    const std::string sim = "sim=model\r\n";
    Aircraft("Cessna_C172", "aircraft.cfg",
             Fltsim(0, "C172 Red", "Cessna", "C172", "Red", sim + "kb_checklists=C172_Check\r\n") +
                 Fltsim(1, "C172 Blue", "Cessna", "C172", "Blue", sim + "kb_checklists=C172_Check\r\n"),
             {"model.air"});
    WriteFile(airplanes / "Cessna_C172" / "C172_Check.htm", kC172Page);
    Aircraft("Piper", "Aircraft.cfg",
             Fltsim(0, "Cherokee", "Piper", "PA-28", "Std", sim + "kb_checklists=Cherokee_Check\r\n"), {"model.air"});
    WriteFile(airplanes / "Piper" / "cherokee_check.HTM", kPiperPage);
    Aircraft("NoPage", "aircraft.cfg",
             Fltsim(0, "Nopage", "Zlin", "Z-526", "Std", sim + "kb_checklists=nopage_check\r\n"), {"model.air"});
    Aircraft("Glider", "aircraft.cfg", Fltsim(0, "Glider", "Schleicher", "ASK 21", "Std", sim + "kb_checklists=g\r\n"),
             {"model.air", "g.htm"});
    WriteFile(airplanes / "Glider" / "g.htm", kGliderPage);

    ChecklistSections light;
    light[0].steps = {Step("Parking brake", "SET"), Step("Fuel quantity", "CHECKED")};
    light[11].steps = {Step("Master switch", "OFF")};
    WriteChecklistFile(ctx, light, "Light Single");
    ChecklistSections twin;
    twin[4].steps = {Step("Flaps", "SET")};
    WriteChecklistFile(ctx, twin, "Twin");

    catalogue.CommandList = {Command("Autopilot", "Altitude hold", {"(set) altitude <ALT>"}),
                             Command("Radios", "Com one", {"[set|tune] com one (to) <FREQ>"}),
                             Command("Radios", "Nav one", {"[set|tune] nav one (to) <FREQ>"}),
                             Command("Radios", "Transponder", {"(set) [squawk|transponder] <SQUAWK>"}),
                             Command("Lights", "Landing lights", {"landing lights [on|off]", "(turn) lights [on|off]"})};
    BuildCategoryList(catalogue, categories);

    assignments.records.resize(4);
    assignments.records[0].aircraftTitle = "C172 Red";
    assignments.records[0].checklistName = "Light Single";
    assignments.records[1].aircraftTitle = "C172 Blue";
    assignments.records[1].checklistName = "Twin";
    assignments.records[2].aircraftTitle = "Cherokee";
    assignments.records[2].checklistName = "Light Single";
    assignments.records[3].aircraftTitle = "Nopage";
    assignments.records[3].checklistName = "Light Single";
    Reload();
  }

  void Reload() { tree = Load(assignments); }

  // Tree indices of a variation by title.
  TreeSelection Find(const std::string& title) const {
    for (std::size_t m = 0; m < tree.manufacturers.size(); ++m)
      for (std::size_t t = 0; t < tree.manufacturers[m].types.size(); ++t)
        for (std::size_t v = 0; v < tree.manufacturers[m].types[t].variations.size(); ++v)
          if (tree.manufacturers[m].types[t].variations[v].title.trimmed() == title)
            return {static_cast<int>(m), static_cast<int>(t), static_cast<int>(v)};
    return {};
  }
  const AssignmentRecord& Record(const std::string& title) const {
    for (const auto& r : assignments.records)
      if (r.aircraftTitle.trimmed() == title) return r;
    throw std::runtime_error("no record " + title);
  }
  int Write(const std::string& title, std::string* error = nullptr) {
    const auto s = Find(title);
    return WriteKneeboardChecklist(ctx, tree, assignments, sources, s.manufacturer, s.type, s.variation, error);
  }
  int Restore(const std::string& title) {
    const auto s = Find(title);
    return RestoreKneeboardChecklist(ctx, tree, assignments, s.manufacturer, s.type, s.variation);
  }
  std::string Setting() const { return ReadIniString("Main", "checklistBackups", program / "TV_Information.cfg"); }
  fs::path Page(const std::string& rel) const { return airplanes / rel; }
};

}  // namespace talvane::test
