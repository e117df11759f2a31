// The checklist editor in the main window, driven through its real widgets:
// a new checklist, a step inserted and typed, saved, and loaded again.
#include <memory>

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QtTest>

#include "common/text.h"
#include "qt_test_support.h"
#include "ui/checklist_editor_form.h"
#include "ui/dialog_forms.h"

using namespace talvane;
using namespace talvane::test;

namespace {

ui::SkinnedButtonWidget* ButtonWidget(QWidget* in, const char* name) {
  return in->findChild<ui::SkinnedButtonWidget*>(name);
}

// Answers the next input dialog with `text` once it is up. Polls rather
// than firing once, so a slow machine cannot click OK before the dialog
// runs and leave it waiting forever.
void AnswerInput(talvane::ui::ProgramMain& m, const QString& text) {
  auto* poll = new QTimer(qApp);  // the application owns it should the test end first
  QObject::connect(poll, &QTimer::timeout, [poll, &m, text] {
    ui::InputForm* f = m.ui.inputForm();
    if (!f->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    f->edit->setText(text);
    f->ok->Click();
  });
  poll->start(20);
}

// Chooses `file` in the next file dialog once it is up, typing its name as
// a user would. The dialog's own selectFile leaves the name box alone while
// it has the focus, and the dialog checks the choice against a model that
// fills on a thread: so the name is typed on every tick until the dialog
// has gone, and a complaint it raises is closed so the retry can run.
void ChooseFile(const QString& file) {
  auto* poll = new QTimer(qApp);  // the application owns it should the test end first
  auto seen = std::make_shared<bool>(false);
  QObject::connect(poll, &QTimer::timeout, [poll, file, seen] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* complaint = qobject_cast<QMessageBox*>(modal)) {
      complaint->reject();
      return;
    }
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    if (!dialog) {
      if (*seen) {
        poll->stop();
        poll->deleteLater();
      }
      return;
    }
    *seen = true;
    const QFileInfo info(file);
    dialog->setDirectory(info.absolutePath());
    if (auto* name = dialog->findChild<QLineEdit*>("fileNameEdit"))
      name->setText(info.fileName());
    else
      dialog->selectFile(file);
    static_cast<QDialog*>(dialog)->accept();  // protected on the file dialog
  });
  poll->start(20);
}

}  // namespace

class ChecklistEditorScreenTest : public QObject {
  Q_OBJECT
 private slots:
  void newInsertTypeSaveAndLoadAgain() {
    ProgramUnderTest t;
    t.Start();
    DialogAnswerer answers(*t);
    ui::MainWindow* main = t->windows.mainWindow();
    QTest::mouseClick(ButtonWidget(t->windows.Screen(Form::frm_Home), "btn_checklist_modification"), Qt::LeftButton);
    auto* form = dynamic_cast<ui::ChecklistEditorForm*>(t->windows.Screen(Form::frm_Modify));
    QVERIFY(form && form->isVisible());
    QCOMPARE(form->parentWidget(), main);
    QCOMPARE(form->comboSection->count(), kSectionCount);
    QCOMPARE(form->lst_Responses->count(), static_cast<int>(t->program.settings.ChecklistResponses.size()));
    QCOMPARE(form->lbl_PageNumber->text(), QString("Page 1 of 1"));
    QVERIFY(ButtonWidget(form, "btn_Insert")->button().disabled());

    AnswerInput(*t, "Glider");
    QTest::mouseClick(ButtonWidget(form, "btn_New"), Qt::LeftButton);
    QCOMPARE(form->lbl_ChecklistName->text(), QString("Glider"));

    QTest::mouseClick(ButtonWidget(form, "btn_Insert"), Qt::LeftButton);
    QCOMPARE(form->lstview_Checklist->topLevelItemCount(), 1);
    QCOMPARE(form->txt_Challenge->text(), QString("New Item"));
    form->txt_Challenge->clear();
    QTest::keyClicks(form->txt_Challenge, "Canopy closed");
    QCOMPARE(form->lstview_Checklist->topLevelItem(0)->text(0), QString("CANOPY CLOSED"));
    form->lst_Responses->clearSelection();
    form->lst_Responses->item(1)->setSelected(true);  // CHECKED
    ui::SkinnedButtonWidget* save = ButtonWidget(main, "btn_Action1");
    QVERIFY(!save->button().disabled());

    QTest::mouseClick(save, Qt::LeftButton);
    QVERIFY(fs::exists(t.program / "Checklists" / "Glider.dat"));
    QTRY_VERIFY(!answers.seen.empty());
    QCOMPARE(answers.seen.back().title, std::string("Checklist Modifications Saved"));
    QVERIFY(save->button().disabled());

    // Another checklist, then the saved one loaded again from its file.
    AnswerInput(*t, "Scratch");
    QTest::mouseClick(ButtonWidget(form, "btn_New"), Qt::LeftButton);
    QCOMPARE(form->lstview_Checklist->topLevelItemCount(), 0);
    ChooseFile(QString::fromStdString((t.program / "Checklists" / "Glider.dat").string()));
    QTest::mouseClick(ButtonWidget(form, "btn_Load"), Qt::LeftButton);
    QCOMPARE(form->lbl_ChecklistName->text(), QString("Glider"));
    QCOMPARE(form->lstview_Checklist->topLevelItemCount(), 1);
    QCOMPARE(form->lstview_Checklist->topLevelItem(0)->text(0), QString("CANOPY CLOSED"));
    QCOMPARE(form->txt_Challenge->text(), QString("Canopy closed"));
    QVERIFY(form->lst_Responses->item(1)->isSelected());
    QVERIFY(!form->lst_Responses->item(0)->isSelected());
    QVERIFY(save->button().disabled());  // filling the boxes is no edit
  }
};

QTEST_MAIN(ChecklistEditorScreenTest)
#include "tst_checklist_editor.moc"
