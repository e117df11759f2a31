// The assignment screen's logic: the installed aircraft as a manufacturer ->
// type -> variation tree, the checklists on offer, and "assign", which names
// a variation's checklist (writing it onto the kneeboard at once when asked)
// or puts the aircraft's own kneeboard page back ("-- Restore Default --").
// Only "save" writes the assignment file.
//
// Tree pictures (1 to 7): a variation shows 1 without a checklist, 2 with one
// assigned and 4 with one also written to its kneeboard. A type or
// manufacturer shows which of those three states occur among the variations
// below it: 1, 2 or 4 when they all agree, 3 for none + assigned, 5 for
// assigned + written, 6 for none + written and 7 when all three occur.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "aircraft/tree_keys.h"

namespace talvane {

class ProgramShell;

inline constexpr const char* kRestoreDefault = "-- Restore Default --";

// One node of the aircraft tree; parents come before their children.
struct AircraftNode {
  std::string key;        // "KEY_1003005"
  std::string parentKey;  // empty for a manufacturer
  std::string text;       // the trimmed name (Windows-1252)
  int image = 1;          // 1..7
};

// The picture of a type or manufacturer node from the pictures of the
// variations below it.
int MixedTreeImage(const std::vector<int>& variationImages);

class AssignmentScreen {
 public:
  // Registers the screen's actions with the shell.
  explicit AssignmentScreen(ProgramShell& shell);
  AssignmentScreen(const AssignmentScreen&) = delete;
  AssignmentScreen& operator=(const AssignmentScreen&) = delete;

  // Screen load: the assign button, the tree and the checklist list.
  void Load();
  // Opened from the home screen: the checklists and the tree's pictures
  // again (a checklist may have been saved in the editor meanwhile).
  void Refresh();

  // What the screen shows (texts in Windows-1252).
  std::vector<AircraftNode> Nodes;
  struct ListEntry {
    std::string text;
    int data;  // -1 for "-- Restore Default --", else the index in ChecklistNames
  };
  std::vector<ListEntry> Checklists;
  int SelectedChecklist = -1;  // position in Checklists, -1 for none
  bool Written = false;        // chk_Written
  std::string ManufacturerLabel, TypeLabel, VariationLabel, ChecklistLabel;
  // The selected aircraft's thumbnail file; empty when it has none (the
  // picture is then cleared, not left showing the previous aircraft).
  std::string Thumbnail;
  TreeSelection selection;

  // The user's events.
  void ClickNode(const std::string& key);
  void TreeSelectionChanged();  // any other change of the tree's selection
  void ClickChecklist(int position);
  void ClickWrittenLabel() { Written = !Written; }

  // The button actions (also reached through the dispatch tables).
  void Assign();
  void Save();

  // Set by the form: rebuild the tree, redraw its pictures, refill the list,
  // show the selected aircraft.
  std::function<void()> on_tree_filled;
  std::function<void()> on_marks_changed;
  std::function<void()> on_list_filled;
  std::function<void()> on_aircraft_shown;

 private:
  void FillAircraftTree();
  void FillChecklistList();
  void MarkAircraftTree();
  void SetAssignEnabled(bool enabled);

  ProgramShell& shell_;
};

}  // namespace talvane
