// The grammar script screen in the main window: opened from the
// configuration screen, it shows what the document holds, saves it
// unchanged, and returns to the configuration with its positions.
#include <QComboBox>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextList>
#include <QtTest>

#include "common/files.h"
#include "qt_test_support.h"
#include "ui/configuration_form.h"
#include "ui/script_form.h"

using namespace talvane;
using namespace talvane::test;

class ScriptTest : public QObject {
  Q_OBJECT
 private slots:
  void showSaveAndReturn() {
    ProgramUnderTest t;
    QCOMPARE(t.Start(), StartOutcome::kMainWindow);
    t->shell.dispatch.Release(*t->shell.nav.HomeButton("speech_config"));
    auto* config = static_cast<ui::ConfigurationForm*>(t->windows.Screen(Form::frm_Configure));
    config->comboCategory->setCurrentIndex(2);
    config->comboCommand->setCurrentIndex(config->comboCommand->count() - 1);
    const int command = t->shell.configuration.CurrentCommand;

    ui::SkinnedButtonWidget* scriptButton = nullptr;
    for (auto* b : config->findChildren<ui::SkinnedButtonWidget*>())
      if (b->button().button_type == "script") scriptButton = b;
    QVERIFY(scriptButton);
    QTest::mouseClick(scriptButton, Qt::LeftButton);
    auto* form = static_cast<ui::ScriptForm*>(t->windows.Screen(Form::frm_Script));
    QVERIFY(form && form->isVisible());
    QVERIFY(!config->isVisible());
    QCOMPARE(form->findChild<QTextEdit*>("rtfScript"), form->rtfScript);

    // What is shown is the document, paragraph by paragraph.
    const auto paragraphs = ReadScriptDocument(t->shell.scriptScreen.document);
    QTextDocument* shown = form->rtfScript->document();
    QCOMPARE(shown->blockCount(), static_cast<int>(paragraphs.size()));
    int bullets = 0, headings = 0;
    QTextBlock block = shown->begin();
    for (const ScriptParagraph& p : paragraphs) {
      QCOMPARE(block.text(), ui::FromAnsi(p.Text()));
      QCOMPARE(block.textList() != nullptr, p.bullet);
      if (p.bullet) ++bullets;
      if (!p.runs.empty() && p.runs[0].halfPoints == 28) {
        ++headings;
        QCOMPARE(block.begin().fragment().charFormat().fontWeight(), int(QFont::Bold));
      }
      block = block.next();
    }
    const int categories = static_cast<int>(t->program.categories.CategoryNames.size());
    QCOMPARE(headings, categories + 1);  // the count line and one per category
    QVERIFY(bullets > categories);
    QVERIFY(form->rtfScript->toPlainText().contains("II.  "));

    // Save writes the document as it is.
    {
      DialogAnswerer messages(*t);
      t->shell.dispatch.Release(t->shell.nav.ActionButton(1));
      QCOMPARE(messages.seen.back().title, std::string("Grammar Script Saved"));
    }
    QCOMPARE(*ReadWholeFile(t.program / "TalvaneScript.rtf"), t->shell.scriptScreen.document);

    // Return: the configuration screen with the same command chosen.
    t->shell.dispatch.Release(t->shell.nav.ActionButton(2));
    QVERIFY(!form->isVisible());
    QVERIFY(config->isVisible());
    QCOMPARE(config->comboCategory->currentIndex(), 2);
    QCOMPARE(t->shell.configuration.CurrentCommand, command);
    QCOMPARE(config->comboCommand->currentIndex(), config->comboCommand->count() - 1);
  }
};

QTEST_MAIN(ScriptTest)
#include "tst_script.moc"
