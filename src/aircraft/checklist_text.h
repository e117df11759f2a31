// The readable forms of checklists and of the assignment list
// (see docs/data-formats.md).
#pragma once

#include <string>
#include <string_view>

#include "aircraft/assignments.h"
#include "aircraft/checklist.h"

namespace talvane {

std::string ChecklistToText(const ChecklistSections& sections);
// Throws FormatError naming the line.
ChecklistSections ChecklistFromText(std::string_view utf8);

std::string AssignmentsToText(const AssignmentList& a);
AssignmentList AssignmentsFromText(std::string_view utf8);

}  // namespace talvane
