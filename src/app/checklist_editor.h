// The checklist editor screen's logic: one checklist at a time, a section
// at a time, its steps shown 20 to a page. Typing into the three text boxes
// changes the open step at once; the chosen valid responses are stored when
// the user moves to another step, page or section, inserts a step or saves.
// Only "save" writes the file.
//
// Every step stays reachable however long a section is: the pages go on for
// as long as the section has steps (the first five pages are exactly the
// ones a 100-step section has).
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "aircraft/checklist.h"

namespace talvane {

class ProgramShell;
class SkinnedButton;

inline constexpr int kStepsPerPage = 20;

class ChecklistEditor {
 public:
  // Registers the editor's actions and dialog answers with the shell.
  explicit ChecklistEditor(ProgramShell& shell);
  ChecklistEditor(const ChecklistEditor&) = delete;
  ChecklistEditor& operator=(const ChecklistEditor&) = delete;

  // Screen load: the skinned buttons, the response list, section 0.
  void Load();
  // Back to no checklist, as each opening from the home screen leaves it.
  void Reset();

  // What the screen shows (texts in Windows-1252).
  // The three text boxes and the valid responses, as the user left them.
  EditedStep fields;
  std::string ChecklistLabel;  // lbl_ChecklistName
  std::string SectionLabel;    // lbl_ChecklistSection
  std::string PageLabel = "Page 1 of 1";
  bool NextPageVisible = false, PrevPageVisible = false;
  // The rows of the page on show: challenge and response, upper-cased.
  std::vector<std::pair<std::string, std::string>> Rows;
  // The row of the current step on this page, -1 for none.
  int HighlightedRow = -1;
  // Set while the editor fills the text boxes: their change handlers then
  // take the new text as no edit.
  bool Loading = false;
  // Unsaved edits: the main window's save button follows it.
  bool Modified = false;

  // The user's events.
  void SelectSection(int index);
  void NextPage();
  void PrevPage();
  void ClickRow(int row);  // 0-based on the page on show
  void ChallengeChanged(const std::string& text);
  void PronunciationChanged(const std::string& text);
  void ResponseChanged(const std::string& text);
  void ResponsesClicked(const std::vector<bool>& selected);

  // The button actions (also reached through the dispatch tables).
  void New();
  void NewChecklistNamed(const std::string& typed);  // the "new_checklist" answer
  void LoadFile();
  void Insert();
  void Delete();
  void Play();
  void Save();

  // Set by the form: redraw the page (rows and labels), the step (boxes,
  // response selection and highlight; run with Loading set) or one row.
  std::function<void()> on_page_shown;
  std::function<void()> on_step_shown;
  std::function<void(int row)> on_row_changed;

 private:
  ChecklistModel& model();
  ChecklistSection& section();
  SkinnedButton* Button(const char* word);
  void SetButton(const char* word, bool enabled);
  void SetModified(bool modified);
  // Stores the open step before a move when it has unsaved edits; a failure
  // is reported and the move goes ahead.
  void StoreBeforeMove();
  void ShowPage();
  void ShowStep();
  // A checklist replaced by "new" or "load": its first section on show.
  void Opened(const std::string& name);
  void RefreshRow();
  // A text box typed into: the box's text kept, and the open step to
  // change, or nullptr while the box is being filled or there is no step.
  ChecklistStep* Typed(std::string& box, const std::string& text);

  ProgramShell& shell_;
  ChecklistSection none_;  // what is on show while no checklist is open
};

}  // namespace talvane
