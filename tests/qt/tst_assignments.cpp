// The assignment screen in the main window, driven through its real
// widgets: an aircraft chosen in the tree, a checklist assigned and written
// to its kneeboard page, then the aircraft's own page restored.
#include <QApplication>
#include <QtTest>

#include "aircraft_discovery/sim_tree.h"
#include "qt_test_support.h"
#include "ui/assignment_form.h"

using namespace talvane;
using namespace talvane::test;

namespace {

ui::SkinnedButtonWidget* ButtonWidget(QWidget* in, const char* name) {
  return in->findChild<ui::SkinnedButtonWidget*>(name);
}

void ClickItem(QTreeWidget* tree, QTreeWidgetItem* item) {
  tree->scrollToItem(item);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
}

void ClickRow(QListWidget* list, int row) {
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

constexpr const char* kOriginalPage = "ORIGINAL C172 CHECKLIST\r\n";

}  // namespace

class AssignmentScreenTest : public QObject {
  Q_OBJECT
 private slots:
  void assignWithWriteThenRestoreTheOriginalPage() {
    ProgramUnderTest t;
    const fs::path folder = t.fsx / "SimObjects" / "Airplanes" / "Cessna_C172";
    const std::string page = "sim=model\r\nkb_checklists=C172_Check\r\n";
    fs::create_directories(folder / "texture");
    WriteFile(folder / "aircraft.cfg", Fltsim(0, "C172 Red", "Cessna", "C172", "Red", page) +
                                           Fltsim(1, "C172 Blue", "Cessna", "C172", "Blue", page));
    WriteFile(folder / "model.air", "air");
    WriteFile(folder / "C172_Check.htm", kOriginalPage);
    QImage thumbnail(40, 30, QImage::Format_RGB32);
    thumbnail.fill(Qt::red);
    QVERIFY(thumbnail.save(QString::fromStdString((folder / "texture" / "Thumbnail.JPG").string()), "JPG"));
    t.Start();
    DialogAnswerer answers(*t);

    QTest::mouseClick(ButtonWidget(t->windows.Screen(Form::frm_Home), "btn_checklist_assignments"), Qt::LeftButton);
    auto* form = dynamic_cast<ui::AssignmentForm*>(t->windows.Screen(Form::frm_Assign));
    QVERIFY(form && form->isVisible());
    QCOMPARE(form->lstChecklists->item(0)->text(), QString("-- Restore Default --"));
    ui::SkinnedButtonWidget* assign = ButtonWidget(form, "btn_Assign");
    QVERIFY(assign->button().disabled());

    form->acftTV->expandAll();
    QTreeWidgetItem* red = form->Node("KEY_1001002");
    QVERIFY(red);
    QCOMPARE(red->text(0), QString("Red"));
    ClickItem(form->acftTV, red);
    QCOMPARE(form->lbl_Manufacturer->text(), QString("Cessna"));
    QCOMPARE(form->lbl_Variation->text(), QString("Red"));
    QVERIFY(!form->Image1->pixmap().isNull());

    const QList<QListWidgetItem*> light = form->lstChecklists->findItems("Light Single Piston", Qt::MatchExactly);
    QCOMPARE(light.size(), 1);
    ClickRow(form->lstChecklists, form->lstChecklists->row(light[0]));
    QVERIFY(!assign->button().disabled());
    QTest::mouseClick(form->lbl_Written, Qt::LeftButton);
    QVERIFY(form->chk_Written->isChecked());
    QTest::mouseClick(assign, Qt::LeftButton);
    const std::string written = ReadFile(folder / "C172_Check.htm");
    QVERIFY(written != kOriginalPage);
    QVERIFY(written.find("Light Single Piston") != std::string::npos);
    QCOMPARE(form->lbl_Checklist->text(), QString("Light Single Piston"));
    QVERIFY(!ButtonWidget(t->windows.mainWindow(), "btn_Action1")->button().disabled());

    // Restore default: the original page is back.
    ClickRow(form->lstChecklists, 0);
    QTest::mouseClick(assign, Qt::LeftButton);
    QCOMPARE(ReadFile(folder / "C172_Check.htm"), std::string(kOriginalPage));
    QCOMPARE(form->lbl_Checklist->text(), QString());

    QTest::mouseClick(ButtonWidget(t->windows.mainWindow(), "btn_Action1"), Qt::LeftButton);
    QTRY_VERIFY(!answers.seen.empty());
    QCOMPARE(answers.seen.back().title, std::string("Checklist Assignments Saved"));
  }
};

QTEST_MAIN(AssignmentScreenTest)
#include "tst_assignments.moc"
