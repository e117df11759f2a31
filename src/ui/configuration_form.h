// frm_Configure on the screen: the category, command and voice combo boxes,
// the phrase and readback lists, the count and description labels and the
// screen's buttons, drawn from the screen logic (app/configuration_screen.h)
// and passing the user's choices back to it.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QListWidget>

#include "ui/program_forms.h"

namespace talvane::ui {

class ConfigurationForm : public BackgroundForm {
 public:
  explicit ConfigurationForm(ProgramShell& shell);
  ~ConfigurationForm() override;

  QComboBox* comboCategory;
  QComboBox* comboCommand;
  QComboBox* combo_Copilot;
  QListWidget* listGrammar;
  QListWidget* listReadback;
  QLabel* lbl_TotalCommands;
  QLabel* lbl_CategoryCommands;
  QLabel* lbl_Description;

  // Shows the logic's controls as they are now.
  void Render();
};

}  // namespace talvane::ui
