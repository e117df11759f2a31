// frm_Script on the screen: the grammar script drawn from the paragraphs the
// screen logic reads out of the document (app/script_screen.h).
#pragma once

#include <QTextEdit>

#include "ui/program_forms.h"

namespace talvane::ui {

class ScriptForm : public BackgroundForm {
 public:
  explicit ScriptForm(ProgramShell& shell);
  ~ScriptForm() override;

  QTextEdit* rtfScript;  // read-only

  void Render();
};

}  // namespace talvane::ui
