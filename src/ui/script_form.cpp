#include "ui/script_form.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextList>

#include "ui/dialog_forms.h"

namespace talvane::ui {

namespace {

// Twips to pixels at 96 dots per inch.
constexpr double kPixelsPerTwip = 96.0 / 1440.0;

}  // namespace

ScriptForm::ScriptForm(ProgramShell& shell)
    : BackgroundForm(shell, Form::frm_Script, "\\Media\\Forms\\Sub_BG.bmp", QSize(790, 447)) {
  rtfScript = new QTextEdit(this);
  rtfScript->setObjectName("rtfScript");
  rtfScript->setGeometry(15, 38, 760, 396);  // below the background's title tab
  rtfScript->setReadOnly(true);
  rtfScript->setTabStopDistance(48);
  shell.scriptScreen.on_document_changed = [this] { Render(); };
  Render();
}

ScriptForm::~ScriptForm() { shell_.scriptScreen.on_document_changed = nullptr; }

void ScriptForm::Render() {
  QTextDocument* doc = rtfScript->document();
  doc->clear();
  QTextCursor cursor(doc);
  QTextListFormat bullets;
  bullets.setStyle(QTextListFormat::ListDisc);
  QTextList* list = nullptr;  // the bulleted list being written
  bool first = true;
  for (const ScriptParagraph& paragraph : shell_.scriptScreen.shown) {
    QTextBlockFormat block;
    block.setLeftMargin(paragraph.leftIndent * kPixelsPerTwip);
    if (first)
      cursor.setBlockFormat(block);
    else
      cursor.insertBlock(block);
    first = false;
    if (paragraph.bullet) {
      if (list)
        list->add(cursor.block());
      else
        list = cursor.createList(bullets);
    } else {
      list = nullptr;
    }
    for (const ScriptRun& run : paragraph.runs) {
      QTextCharFormat look;
      look.setFontFamilies({"Arial", "Liberation Sans", "DejaVu Sans"});
      look.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
      look.setFontItalic(run.italic);
      look.setFontPointSize(run.halfPoints / 2.0);
      cursor.insertText(FromAnsi(run.text), look);
    }
  }
  rtfScript->moveCursor(QTextCursor::Start);
}

}  // namespace talvane::ui
