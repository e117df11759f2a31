// frm_Test: the grammar test screen. It shows what the test screen logic
// holds (the accepted phrases, the status icon, the result) and is redrawn
// at once when that changes, so the listening icon is on screen while the
// engine listens.
#pragma once

#include <QLabel>
#include <QPlainTextEdit>

#include "ui/program_forms.h"

namespace talvane::ui {

class TestForm : public BackgroundForm {
 public:
  explicit TestForm(ProgramShell& shell);
  ~TestForm() override;

  QLabel* status;          // img_Status
  QPlainTextEdit* phrases;  // txt_Phrases
  QLabel* result;          // lbl_Result
  // The icon last shown ("\Media\Icons\icon_Begin.bmp").
  QString statusIcon;

 private:
  void Refresh();
};

}  // namespace talvane::ui
