#include "ui/test_form.h"

#include "ui/dialog_forms.h"
#include "ui/media.h"

namespace talvane::ui {

TestForm::TestForm(ProgramShell& shell)
    : BackgroundForm(shell, Form::frm_Test, "\\Media\\Forms\\Test_BG.bmp", QSize(790, 447)) {
  Label(this, "lbl_Phrases", QRect(20, 46, 480, 20), kPanelText, false, "Phrases this grammar accepts:");
  phrases = new QPlainTextEdit(this);
  phrases->setObjectName("txt_Phrases");
  phrases->setGeometry(20, 68, 480, 364);
  phrases->setReadOnly(true);
  phrases->setLineWrapMode(QPlainTextEdit::NoWrap);

  Label(this, "lbl_Status", QRect(524, 46, 246, 20), kPanelText, false, "Recognition status:");
  status = new QLabel(this);
  status->setObjectName("img_Status");
  status->setGeometry(524, 70, 48, 48);
  Label(this, "lbl_Hint", QRect(584, 70, 186, 60), kPanelText, true, "Press START, then say one of the phrases.");

  Label(this, "lbl_ResultCaption", QRect(524, 146, 246, 20), kPanelText, false, "Recognised command:");
  result = Label(this, "lbl_Result", QRect(524, 168, 246, 120), kLinkText);
  result->setWordWrap(true);
  result->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  QFont bold = result->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.2);
  result->setFont(bold);

  shell.test_screen.on_changed = [this] {
    Refresh();
    // Painted now: the engine may be about to listen on the speech thread.
    repaint();
  };
  Refresh();
}

TestForm::~TestForm() { shell_.test_screen.on_changed = nullptr; }

void TestForm::Refresh() {
  const TestScreen& s = shell_.test_screen;
  QString list = FromAnsi(s.PhraseList);
  list.replace("\r\n", "\n");
  if (phrases->toPlainText() != list) phrases->setPlainText(list);
  result->setText(FromAnsi(s.ResultText));
  const QString icon = QString::fromStdString(s.StatusIcon);
  if (icon != statusIcon) {
    statusIcon = icon;
    status->setPixmap(LoadMedia(shell_.p.ctx.program_folder, s.StatusIcon));
  }
}

}  // namespace talvane::ui
