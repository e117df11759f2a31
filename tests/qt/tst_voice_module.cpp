// The voice module's window: its title, the module's state as it changes,
// text in the program's code page, and the close that ends the module.
#include <QApplication>
#include <QtTest>

#include "../quarrowr/module_fakes.h"
#include "quarrowr/module_window.h"
#include "support/test_support.h"

using namespace talvane;
using namespace talvane::quarrowr;

class VoiceModuleWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void followsTheModuleAndEndsItOnClose() {
    talvane::test::TempFolder folder;
    EventLog log(folder / "quarrowr.log");
    quarrowr::test::FakeSpeech speech;
    quarrowr::test::FakeCommands commands;
    quarrowr::test::FakeSimulator simulator;
    simulator.up = simulator.comesUp = false;
    AssignmentList assignments;
    std::vector<ChecklistResponse> responses;
    ChecklistFlow flow(assignments, responses, [](const std::string&) { return ChecklistSections{}; });
    VoiceModule module({speech, commands, simulator, log}, flow, 1, false);

    ModuleWindow window;
    module.Changed = [&] { window.Show(module.View()); };
    window.Closing = [&] { module.Shutdown(); };
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.windowTitle(), QString("BX Quarrow"));

    module.SetMicrophoneStatus("Microphone switch: key Q");
    module.Start({});
    QCOMPARE(window.Line(0), QString("Ready: press the microphone switch"));
    QCOMPARE(window.Line(4), QString("Link down: no simulator"));
    QCOMPARE(window.Line(5), QString("Microphone switch: key Q"));

    module.SwitchPressed();
    QCOMPARE(window.Line(0), QString("Listening..."));
    CommandPlan plan;
    plan.kind = CommandPlan::Kind::kAct;
    plan.command = "Caf\xe9 Lights";  // Windows-1252, as the catalogue holds it
    commands.plans["|300"] = plan;
    speech.Answer("|300");
    QCOMPARE(window.Line(1), QString::fromUtf8("Caf\xc3\xa9 Lights"));
    QCOMPARE(window.Line(2), QString("No simulator connection"));

    window.close();
    QCOMPARE(speech.stops, 1);
    QCOMPARE(simulator.closes, 1);
  }
};

QTEST_MAIN(VoiceModuleWindowTest)
#include "tst_voice_module.moc"
