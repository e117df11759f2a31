#include "app/program.h"

#include "app/screen_navigation.h"

namespace talvane {

namespace {

constexpr std::array<const char*, kFormCount> kFormNames = {
    "frm_Parent", "frm_Home", "frm_Modify", "frm_Assign", "frm_Configure", "frm_Message", "frm_Input",
    "frm_Script", "frm_Progress", "frm_Test", "frm_LC", "frm_Splash", "frm_Starter", "frm_VoiceTraining"};

// The sets each set is built from.
unsigned WithPrerequisites(unsigned sets) {
  if (sets & kAircraftData) sets |= kSimObjectPathsData | kAssignmentsData;
  if (sets & kSimObjectPathsData) sets |= kSettingsData;
  if (sets & kCategoryData) sets |= kCommandListData;
  return sets;
}

}  // namespace

const char* FormName(Form f) { return kFormNames[static_cast<std::size_t>(f)]; }

Program::Program(std::filesystem::path programFolder, UserInterface& ui)
    : ctx{std::move(programFolder), ui}, libraries(ctx) {}

bool Program::Load(unsigned sets) {
  sets = WithPrerequisites(sets) & ~loaded_;
  // The loaders in the order the program starts: settings, simulator
  // configuration, assignments, aircraft, then the rest of a normal start.
  const auto step = [&](unsigned set, auto&& load) {
    if (!(sets & set)) return true;
    if (!load()) return false;
    loaded_ |= set;
    return true;
  };
  return step(kSettingsData, [&] { return LoadSettings(ctx, settings); }) &&
         step(kSimObjectPathsData, [&] { return LoadSimObjectPaths(ctx, settings, SimObjectPaths); }) &&
         step(kAssignmentsData, [&] { return LoadChecklistAssignments(ctx, assignments); }) &&
         step(kAircraftData,
              [&] {
                LoadFSXAircraft(ctx, SimObjectPaths, assignments, aircraft);
                return true;
              }) &&
         step(kChecklistNamesData,
              [&] {
                LoadChecklistNames(ctx, checklists);
                return true;
              }) &&
         step(kScreenTipData,
              [&] {
                screenTips = BuildScreenTips();
                return true;
              }) &&
         step(kCommandListData, [&] { return LoadCommandList(ctx, catalogue); }) &&
         step(kILSData, [&] { return LoadILSList(ctx, navaids); }) &&
         step(kNavaidData, [&] { return LoadNavaidList(ctx, navaids); }) &&
         step(kCategoryData, [&] {
           BuildCategoryList(catalogue, categories);
           return true;
         });
}

}  // namespace talvane
