// The program's start and its main window: the splash texts in order, the
// windows each start state shows, the home screen and its buttons, the
// keyboard, dragging, and what happens when files are missing.
#include <QAccessible>
#include <QApplication>
#include <QtTest>

#include "common/ini.h"
#include "qt_test_support.h"
#include "ui/media.h"

using namespace talvane;
using namespace talvane::test;

namespace {

ui::SkinnedButtonWidget* ButtonWidget(QWidget* in, const char* name) {
  return in->findChild<ui::SkinnedButtonWidget*>(name);
}

// Distinct colours in a picture: a blank window has one or two.
int Colours(const QImage& image) {
  QSet<QRgb> seen;
  for (int y = 0; y < image.height(); y += 3)
    for (int x = 0; x < image.width(); x += 3) seen.insert(image.pixel(x, y));
  return seen.size();
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void startUpShowsSplashTextsInOrderThenHome() {
    ProgramUnderTest t;
    QCOMPARE(t.Start(), StartOutcome::kMainWindow);
    const std::vector<std::string> expected = {
        "Loading Settings, standby...",        "Loading Checklist Assignments, standby...",
        "Loading FSX Aircraft, standby...",    "Loading Checklist Files, standby...",
        "Loading Command List, standby...",    "Loading ILS Information, standby...",
        "Loading Navaid Information, standby..."};
    QCOMPARE(t->ui.splash_texts, expected);
    QVERIFY(!t->windows.splash()->isVisible());
    ui::MainWindow* main = t->windows.mainWindow();
    QVERIFY(main->isVisible());
    QVERIFY(main->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(main->size(), QSize(800, 640));
    QCOMPARE(main->findChild<QLabel*>("lbl_Version")->text(), QString("Version: ") + TALVANE_VERSION_TEXT);
    QWidget* home = t->windows.Screen(Form::frm_Home);
    QCOMPARE(home->parentWidget(), main);
    QCOMPARE(home->pos(), QPoint(5, 101));
    QVERIFY(t->program.libraries.SpeechLibrariesReady);
    for (const char* name : {"btn_learning_center", "btn_speech_config", "btn_checklist_assignments",
                             "btn_checklist_modification", "btn_launch_fsx"})
      QVERIFY2(ButtonWidget(home, name) && ButtonWidget(home, name)->isVisible(), name);
    QCOMPARE(ButtonWidget(home, "btn_launch_fsx")->accessibleName(), QString("LAUNCH FSX"));

    // A picture of the window: its size, and not blank.
    const QImage shot = main->grab().toImage();
    QCOMPARE(shot.size(), QSize(800, 640));
    QVERIFY(Colours(shot) > 50);
  }

  void homeButtonsChangeScreensAndTheKeyboardReachesEveryButton() {
    ProgramUnderTest t;
    t.Start();
    ui::MainWindow* main = t->windows.mainWindow();
    QWidget* home = t->windows.Screen(Form::frm_Home);
    QTest::mouseClick(ButtonWidget(home, "btn_learning_center"), Qt::LeftButton);
    QCOMPARE(t->shell.nav.CurrentScreenName, std::string("frm_LC"));
    QVERIFY(!home->isVisible());
    QVERIFY(home->parentWidget() == nullptr);  // given back its own parent
    QWidget* help = t->windows.Screen(Form::frm_LC);
    QVERIFY(help->isVisible());
    QCOMPARE(help->parentWidget(), main);
    QVERIFY(main->findChild<QLabel*>("lbl_Tip")->text().startsWith("The learning center"));
    ui::SkinnedButtonWidget* back = ButtonWidget(main, "btn_Action2");
    QVERIFY(back->isVisible());
    QVERIFY(!ButtonWidget(main, "btn_Action1")->isVisible());

    // Enter on the focused return button goes home.
    back->setFocus();
    QTest::keyClick(back, Qt::Key_Return);
    QCOMPARE(t->shell.nav.CurrentScreenName, std::string("frm_Home"));
    QVERIFY(home->isVisible());

    // Tab walks through every visible button of the window.
    main->activateWindow();
    ButtonWidget(main, "btn_Minimize")->setFocus();
    QSet<QString> reached;
    for (int i = 0; i < 12; ++i) {
      if (auto* b = qobject_cast<ui::SkinnedButtonWidget*>(QApplication::focusWidget())) reached.insert(b->objectName());
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    for (const char* name : {"btn_Minimize", "btn_Close", "btn_learning_center", "btn_speech_config",
                             "btn_checklist_assignments", "btn_checklist_modification", "btn_launch_fsx"})
      QVERIFY2(reached.contains(name), name);

    // Space presses too; a disabled button does nothing.
    ui::SkinnedButtonWidget* launch = ButtonWidget(home, "btn_launch_fsx");
    launch->button().SetState(kStateDisabled);
    launch->setFocus();
    QTest::keyClick(launch, Qt::Key_Space);
    QVERIFY(t.started.empty());
    QCOMPARE(launch->button().state, std::string(kStateDisabled));
    ui::SkinnedButtonWidget* config = ButtonWidget(home, "btn_speech_config");
    config->setFocus();
    QTest::keyClick(config, Qt::Key_Space);
    QCOMPARE(t->shell.nav.CurrentScreenName, std::string("frm_Configure"));
    QVERIFY(ButtonWidget(main, "btn_Action3")->isVisible());

    // Every screen's tip fits its box whole, the long ones in a smaller font.
    QLabel* tip = main->findChild<QLabel*>("lbl_Tip");
    int shrunk = 0;
    for (const std::string& text : t->program.screenTips) {
      t->windows.SetTip(text);
      const QRect needed =
          QFontMetrics(tip->font()).boundingRect(QRect(0, 0, tip->width(), 10000), Qt::TextWordWrap, tip->text());
      QVERIFY2(needed.height() <= tip->height(), text.c_str());
      if (tip->font().pointSizeF() < main->font().pointSizeF()) ++shrunk;
    }
    QVERIFY(shrunk > 0);
  }

  void theBackgroundDragsTheWindow() {
    ProgramUnderTest t;
    t.Start();
    ui::MainWindow* main = t->windows.mainWindow();
    main->move(100, 100);
    const QPoint before = main->pos();
    QTest::mousePress(main, Qt::LeftButton, {}, QPoint(200, 40));
    QMouseEvent move(QEvent::MouseMove, QPointF(260, 70), main->mapToGlobal(QPointF(260, 70)), Qt::LeftButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(main, &move);
    QTest::mouseRelease(main, Qt::LeftButton, {}, QPoint(260, 70));
    QCOMPARE(main->pos(), before + QPoint(60, 30));
  }

  void startStates() {
    {  // The simulator runs: the tray starter, never the main window.
      ProgramUnderTest t;
      t.probe.simulator = true;
      QCOMPARE(t.Start(), StartOutcome::kTrayStarter);
      QVERIFY(!t->program.IsLoaded(Form::frm_Parent) || !t->windows.mainWindow()->isVisible());
      QVERIFY(t->windows.starter()->isVisible());
      QCOMPARE(t.started, std::vector<std::string>{"quarrowr.exe"});
      QVERIFY(t->windows.timer(ProgramTimer::StarterLaunch).isActive());
      QCOMPARE(t->windows.timer(ProgramTimer::StarterLaunch).interval(), 2500);
    }
    {  // Only the voice module: it is closed and the main window shown.
      ProgramUnderTest t;
      t.probe.voice_module = true;
      QCOMPARE(t.Start(), StartOutcome::kMainWindow);
      QCOMPARE(t.probe.close_requests, 1);
      QVERIFY(t->windows.mainWindow()->isVisible());
    }
  }

  void secondInstanceEndsSilently() {
    ProgramUnderTest first;
    QCOMPARE(first.Start(), StartOutcome::kMainWindow);
    const std::string settings = ReadFile(first.program / "TV_Information.cfg");
    ui::ProgramMain second(first.program, first.probe, nullptr, nullptr);
    platform::FileInstanceLock lock(first.program);
    QCOMPARE(second.Start("", lock), StartOutcome::kAlreadyRunning);
    QVERIFY(!second.program.IsLoaded(Form::frm_Splash));
    QVERIFY(!second.program.libraries.SpeechLibrariesReady);
    QCOMPARE(ReadFile(first.program / "TV_Information.cfg"), settings);
  }

  void wrongInstallLocationEndsWithItsMessage() {
    ProgramUnderTest t(true, false);
    DialogAnswerer answers(*t);
    QCOMPARE(t.Start(), StartOutcome::kEnded);
    QCOMPARE(answers.seen.size(), std::size_t(1));
    QCOMPARE(answers.seen[0].title, std::string("Installation Path Incorrect"));
    QVERIFY(answers.seen[0].text.find("Talvane is not installed in the correct directory.\n\nIt should be") == 0);
    QCOMPARE(t.exits, 1);
    QVERIFY(!t->program.IsLoaded(Form::frm_Splash));
  }

  void onlyTheExactRestoreCommandRestores() {
    for (const char* line : {"/RESTORE", " /restore", "/restore "}) {
      ProgramUnderTest t;
      QCOMPARE(t.Start(line), StartOutcome::kMainWindow);
    }
    ProgramUnderTest t;
    DialogAnswerer answers(*t);
    QCOMPARE(t.Start("/restore"), StartOutcome::kEnded);
    QCOMPARE(t.exits, 1);
    QVERIFY(!t->program.IsLoaded(Form::frm_Parent) || !t->windows.mainWindow()->isVisible());
    QVERIFY(!answers.seen.empty());
    QCOMPARE(answers.seen.back().title, std::string("Checklists Restored"));
  }

  void kneeboardQuestionIsAskedOnlyWhenNeverAnswered() {
    ProgramUnderTest t;
    WriteIniValue("Main", "checklistBackups", "-1", t.program / "TV_Information.cfg");
    DialogAnswerer answers(*t, false);
    QCOMPARE(t.Start(), StartOutcome::kMainWindow);
    QCOMPARE(answers.seen.size(), std::size_t(1));
    QCOMPARE(answers.seen[0].title, std::string("Update FSX Checklists"));
    QVERIFY(t->program.IsLoaded(Form::frm_Assign));
  }

  void missingFilesAreReportedNotFatal() {
    {  // No Media folder: the buttons draw their labels on plain frames.
      ProgramUnderTest t(false);
      QCOMPARE(t.Start(), StartOutcome::kMainWindow);
      QVERIFY(ui::MissingMediaReports() > 0);
      QWidget* home = t->windows.Screen(Form::frm_Home);
      const QImage shot = home->grab().toImage();
      QVERIFY(Colours(shot) > 2);  // labels drawn
    }
    {  // An unreadable settings file: its message, then the end.
      ProgramUnderTest t;
      fs::remove(t.program / "TV_Information.cfg");
      fs::create_directory(t.program / "TV_Information.cfg");
      DialogAnswerer answers(*t);
      QCOMPARE(t.Start(), StartOutcome::kEnded);
      QVERIFY(!answers.seen.empty());
      QCOMPARE(t.exits, 1);
    }
    {  // A missing speech library is reported and the program still comes up.
      ProgramUnderTest t;
      fs::remove(t.program / "libkelo.so");
      DialogAnswerer answers(*t);
      QCOMPARE(t.Start(), StartOutcome::kMainWindow);
      QVERIFY(!answers.seen.empty());
      QVERIFY(answers.seen[0].text.find("libkelo.so") != std::string::npos);
    }
  }
};

QTEST_MAIN(MainWindowTest)
#include "tst_main_window.moc"
