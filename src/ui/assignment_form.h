// frm_Assign: the assignment screen's controls over its logic
// (app/assignment_screen.h): the aircraft tree, the aircraft's names and
// thumbnail, the checklists on offer and the kneeboard check box.
#pragma once

#include <QCheckBox>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QTreeWidget>
#include <array>

#include "ui/checklist_editor_form.h"

namespace talvane::ui {

class AssignmentForm : public BackgroundForm {
 public:
  explicit AssignmentForm(ProgramShell& shell);
  ~AssignmentForm() override;

  QTreeWidget* acftTV;
  QListWidget* lstChecklists;
  QCheckBox* chk_Written;
  ClickableLabel* lbl_Written;
  QLabel* lbl_Manufacturer;
  QLabel* lbl_Type;
  QLabel* lbl_Variation;
  QLabel* lbl_Checklist;
  QLabel* Image1;

  // The tree's item of a node key, or nullptr.
  QTreeWidgetItem* Node(const QString& key) const;

 private:
  void FillTree();
  void ShowMarks();
  void FillList();
  void ShowAircraft();

  AssignmentScreen& screen_;
  std::array<QIcon, 7> ImageList1;  // the tree's pictures 1..7
};

}  // namespace talvane::ui
