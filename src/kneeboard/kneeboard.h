// Kneeboard pages: the assigned checklist and the spoken-command script
// written as an aircraft's kneeboard page, the installed page kept as a
// backup beside it, and put back on request.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "aircraft/aircraft_tree.h"
#include "aircraft/assignments.h"
#include "aircraft/checklist.h"
#include "aircraft/tree_keys.h"
#include "catalogue/command_catalogue.h"
#include "common/context.h"
#include "grammar/category_list.h"

namespace talvane {

// The command-script part of every page, built on the first write of a run.
struct GrammarScriptLines {
  std::vector<std::string> lines;
  bool built = false;
};

// What a page is made from. The checklist model is the editor's: writing a
// page loads the assigned checklist into it.
struct KneeboardSources {
  ChecklistModel& checklist;
  const CommandCatalogue& catalogue;
  const CategoryList& categories;
  GrammarScriptLines& script;
};

// Text (Windows-1252) as page content: "&", "<" and ">" become entities.
std::string HtmlText(std::string_view ansi);

// The backup of a page: its file name lower-cased, ".htm" -> ".ccb", in the
// page's own folder.
fs::path KneeboardBackupPath(const fs::path& page);

// True for a page this program wrote (it must never become a backup).
bool IsGeneratedKneeboardPage(std::string_view bytes);

// Builds the script lines from the catalogue, category by category, with the
// progress dialog's text. A phrase that cannot be expanded (already reported)
// ends the build early; the lines stay well-formed and false is returned.
// Either way the lines count as built.
bool BuildGrammarScriptLines(Context& ctx, const CommandCatalogue& catalogue, const CategoryList& categories,
                             GrammarScriptLines& script);

// The page's bytes. `sectionDone` is told after each of the 12 sections.
std::string ComposeKneeboardPage(std::string_view checklistName, const ChecklistSections& sections,
                                 const std::vector<std::string>& scriptLines,
                                 const std::function<void(int section)>& sectionDone = {});

// Writes the page atomically (the old page stays whole on failure). 0 or 1.
int WriteKneeboardPage(Context& ctx, const fs::path& page, std::string_view checklistName,
                       const ChecklistSections& sections, const GrammarScriptLines& script,
                       std::string* error = nullptr);

// Writes the assigned checklist as the variation's page, backing up the
// installed page first (once). Leaves everything as it was when the checklist
// cannot be loaded or the backup or the page cannot be written. Does not
// touch writeToKneeboard. 0 on success, 1 with `error` set.
int WriteKneeboardChecklist(Context& ctx, const AircraftTree& tree, const AssignmentList& assignments,
                            KneeboardSources& sources, int manufacturer, int type, int variation,
                            std::string* error = nullptr);

// Puts the backup back and removes it; without a backup, a page this program
// generated (there was no page before) is removed and any other page is left.
// Does not touch writeToKneeboard. 0 on success, 1 when a file could not be
// replaced (nothing is lost then).
int RestoreKneeboardChecklist(Context& ctx, const AircraftTree& tree, const AssignmentList& assignments,
                              int manufacturer, int type, int variation, std::string* error = nullptr);

// Sets writeToKneeboard in the record of every variation whose page is
// `page` (variations of one aircraft folder share it).
void MarkVariationsSharingPage(const AircraftTree& tree, AssignmentList& assignments, const fs::path& page,
                               std::int16_t written);

// The accepted start-up offer: writes every assigned, unwritten aircraft,
// saves the assignments and reports. Pages that could not be written are
// listed in a warning first and stay unmarked (false is returned then).
// `refresh` redraws the tree.
bool UpdateAllKneeboardChecklists(Context& ctx, const AircraftTree& tree, AssignmentList& assignments,
                                  KneeboardSources& sources, const std::function<void()>& refresh = {});

// "/restore": restores every written aircraft, saves the assignments and
// reports; the caller then ends the program. Returns false when some page could not be
// restored (those keep their flag, so a later run retries).
bool RestoreAllKneeboardChecklists(Context& ctx, const AircraftTree& tree, AssignmentList& assignments);

// The assignment screen's "assign" for the selected variation: a checklist
// name, or nullopt for "-- Restore Default --". With `writeNow` the page is
// written at once. Failures are reported; 0 or 1 (also 1 when the selection
// is not a variation).
int AssignChecklist(Context& ctx, const AircraftTree& tree, AssignmentList& assignments, KneeboardSources& sources,
                    const TreeSelection& selection, const std::optional<std::string>& checklistName,
                    bool writeNow);

}  // namespace talvane
