// The program object: everything the program holds in memory for as long as
// it runs, owned in one place and handed by reference to the routines that
// use it. The Qt program, talvane-tool and the voice module each make one.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "aircraft/aircraft_tree.h"
#include "aircraft/assignments.h"
#include "aircraft/checklist.h"
#include "catalogue/command_catalogue.h"
#include "catalogue/settings.h"
#include "common/context.h"
#include "grammar/category_list.h"
#include "grammar/grammar_writer.h"
#include "grammar/navaid_lists.h"
#include "kneeboard/kneeboard.h"
#include "outside/outside_libraries.h"

namespace talvane {

// The program's windows, in the order the exit releases them.
enum class Form : int {
  frm_Parent,
  frm_Home,
  frm_Modify,
  frm_Assign,
  frm_Configure,
  frm_Message,
  frm_Input,
  frm_Script,
  frm_Progress,
  frm_Test,
  frm_LC,
  frm_Splash,
  frm_Starter,
  frm_VoiceTraining,
};
inline constexpr std::size_t kFormCount = 14;
const char* FormName(Form f);

// The data sets of start-up, as bits. Load() runs their loaders in start-up
// order whatever order they are named in, and adds what a set is built from
// (the aircraft need the object folders, which need the settings).
enum DataSet : unsigned {
  kSettingsData = 1u << 0,        // TV_Information.cfg, and where fsx.cfg is
  kSimObjectPathsData = 1u << 1,  // the aircraft object folders fsx.cfg names
  kAssignmentsData = 1u << 2,     // Checklist_Assignments.dat
  kAircraftData = 1u << 3,        // the aircraft tree, linked to the assignments
  kChecklistNamesData = 1u << 4,  // the files of the Checklists folder
  kCommandListData = 1u << 5,     // CommandList.dat
  kILSData = 1u << 6,             // ILS_Info.txt
  kNavaidData = 1u << 7,          // Nav_Info.txt
  kCategoryData = 1u << 8,        // the categories of the catalogue
  kScreenTipData = 1u << 9,       // the tip line's text for each screen
};
// What every start loads, "/restore" included.
inline constexpr unsigned kRestoreStartData = kSettingsData | kSimObjectPathsData | kAssignmentsData | kAircraftData;
// What a normal start loads.
inline constexpr unsigned kNormalStartData = kRestoreStartData | kChecklistNamesData | kScreenTipData | kCommandListData | kILSData |
                                             kNavaidData | kCategoryData;
// What the grammar writers, the compiler and the test screen read.
inline constexpr unsigned kGrammarData = kSettingsData | kCommandListData | kILSData | kNavaidData | kCategoryData;

class Program {
 public:
  Program(std::filesystem::path programFolder, UserInterface& ui);
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  Context ctx;
  // The three speech libraries, called on their own thread.
  OutsideLibraries libraries;

  Settings settings;
  std::vector<std::string> SimObjectPaths;
  AssignmentList assignments;
  AircraftTree aircraft;
  ChecklistModel checklists;  // the checklist names, and the editor's open checklist
  CommandCatalogue catalogue;
  NavaidLists navaids;
  CategoryList categories;
  GrammarScriptLines kneeboardScript;  // built on the first kneeboard page of a run
  std::array<std::string, kFormCount> screenTips;  // the main window's tip line, per screen

  // Set by each window when it is first loaded; never cleared.
  std::array<bool, kFormCount> FormLoaded{};
  bool& Loaded(Form f) { return FormLoaded[static_cast<std::size_t>(f)]; }
  bool IsLoaded(Form f) const { return FormLoaded[static_cast<std::size_t>(f)]; }

  // Runs the loaders of `sets` in start-up order, each showing its splash
  // text. A set already loaded is not read again. False when a loader found
  // its file missing or corrupt: it has told the user and ended the program,
  // and the sets after it are not loaded.
  bool Load(unsigned sets);
  bool HasLoaded(unsigned sets) const { return (loaded_ & sets) == sets; }

  GrammarInputs grammarInputs() const { return {settings, catalogue, categories, navaids}; }
  KneeboardSources kneeboardSources() { return {checklists, catalogue, categories, kneeboardScript}; }

 private:
  unsigned loaded_ = 0;
};

}  // namespace talvane
