// frm_Modify: the checklist editor's controls over its logic
// (app/checklist_editor.h). The form shows what the logic holds and passes
// the user's events on; it decides nothing itself.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTreeWidget>
#include <functional>

#include "ui/program_forms.h"

namespace talvane::ui {

class ChecklistEditorForm : public BackgroundForm {
 public:
  explicit ChecklistEditorForm(ProgramShell& shell);
  ~ChecklistEditorForm() override;

  QComboBox* comboSection;
  QTreeWidget* lstview_Checklist;
  QLineEdit* txt_Challenge;
  QLineEdit* txt_Pronunciation;
  QLineEdit* txt_Response;
  QListWidget* lst_Responses;
  QLabel* lbl_ChecklistName;
  QLabel* lbl_ChecklistSection;
  QLabel* lbl_PageNumber;
  ClickableLabel* lbl_NextPage;
  ClickableLabel* lbl_PrevPage;

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void ShowPage();
  void ShowStep();
  void ShowRow(int row);

  ChecklistEditor& editor_;
  bool filling_ = false;  // the form itself is changing the step list
};

}  // namespace talvane::ui
