// The launch from the home screen, the starter window and its menu, and the
// way back where the desktop has no notification area (the offscreen
// platform has none).
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QtTest>

#include "qt_test_support.h"

using namespace talvane;
using namespace talvane::test;

class LauncherTrayTest : public QObject {
  Q_OBJECT
 private slots:
  void launchHidesEverythingAndStartsWhatIsMissing() {
    ProgramUnderTest t;
    t.Start();
    t->shell.dispatch.Release(*t->shell.nav.HomeButton("launch_fsx"));
    QCOMPARE(t.started, (std::vector<std::string>{"fsx.exe", "quarrowr.exe"}));
    QVERIFY(!t->windows.mainWindow()->isVisible());
    QVERIFY(t->windows.starter()->isVisible());
    QCOMPARE(t->shell.nav.HomeButton("launch_fsx")->state, std::string(kStateDisabled));
    QVERIFY(t->windows.timer(ProgramTimer::StarterLaunch).isActive());

    // 2.5 s later: no notification area here, so the starter stays with its
    // own Restore and Exit, and the watchdog runs.
    t.probe.simulator = t.probe.voice_module = true;
    QTRY_VERIFY_WITH_TIMEOUT(!t->windows.timer(ProgramTimer::StarterLaunch).isActive(), 4000);
    QVERIFY(t->windows.timer(ProgramTimer::StarterWatchdog).isActive());
    QCOMPARE(t->windows.timer(ProgramTimer::StarterWatchdog).interval(), 25000);
    QCOMPARE(QSystemTrayIcon::isSystemTrayAvailable(), false);
    QVERIFY(t->windows.starter()->isVisible());
    auto* restore = t->windows.starter()->findChild<QPushButton*>("btn_Restore");
    QVERIFY(restore && restore->isVisible());

    restore->click();
    QVERIFY(t->windows.mainWindow()->isVisible());
    QVERIFY(!t->windows.starter()->isVisible());
    QVERIFY(t->windows.Screen(Form::frm_Home)->isVisible());
    QVERIFY(!t->windows.timer(ProgramTimer::StarterWatchdog).isActive());
    QVERIFY(t->windows.timer(ProgramTimer::ParentCheck).isActive());
    QCOMPARE(t->windows.timer(ProgramTimer::ParentCheck).interval(), 5000);
  }

  void menuHasRestoreAndExit() {
    ProgramUnderTest t;
    t.probe.simulator = true;
    t.Start();
    QMenu* menu = t->windows.starter()->menu;
    QCOMPARE(menu->title(), QString("File"));
    const auto actions = menu->actions();
    QCOMPARE(actions.size(), 3);
    QCOMPARE(actions[0]->text(), QString("Restore"));
    QVERIFY(actions[1]->isSeparator());
    QCOMPARE(actions[2]->text(), QString("Exit"));
    t.probe.voice_module = true;
    actions[2]->trigger();
    QCOMPARE(t.probe.close_requests, 1);
    QCOMPARE(t.exits, 1);
  }

  void closeButtonClosesTheVoiceModuleAndExits() {
    ProgramUnderTest t;
    t.Start();
    t.probe.voice_module = true;
    t->shell.dispatch.Release(t->shell.nav.MainButton("close"));
    QCOMPARE(t.probe.close_requests, 1);
    QCOMPARE(t.exits, 1);
  }
};

QTEST_MAIN(LauncherTrayTest)
#include "tst_launcher_tray.moc"
