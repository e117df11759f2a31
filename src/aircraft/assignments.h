// Which checklist belongs to which aircraft title.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/context.h"
#include "common/fixed_text.h"

namespace talvane {

struct AssignmentRecord {
  FixedText<256> aircraftTitle;
  FixedText<256> checklistName;  // all spaces: no checklist assigned
  std::int16_t writeToKneeboard = 0;
  bool operator==(const AssignmentRecord&) const = default;
};

struct AssignmentList {
  std::vector<AssignmentRecord> records;  // 0..last index
};

inline constexpr const char* kAssignmentsFile = "\\Data\\Checklist_Assignments.dat";
inline constexpr const char* kAssignmentsBackup = "\\Data\\Checklist_Assignments.bak";

std::string SerializeAssignments(const AssignmentList& a);
// Throws FormatError; a last index of -1 is an empty list.
AssignmentList ParseAssignments(std::string_view bytes);

// Start-up loader; on a missing or corrupt file reports it, ends the program
// and returns false (the list is left as it was).
bool LoadChecklistAssignments(Context& ctx, AssignmentList& a);
// Writes the list with its .bak copy; reports a failure. 0 or 1.
int SaveChecklistAssignments(Context& ctx, const AssignmentList& a);

// The settings key checklistBackups: "1" when any record has
// writeToKneeboard 1, else "0".
void SaveChecklistBackups(Context& ctx, const AssignmentList& assignments);

}  // namespace talvane
