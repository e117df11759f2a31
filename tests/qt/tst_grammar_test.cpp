// The grammar test screen in the main window: a phrase spoken into the
// engine (a recorded WAV) comes back as the command text, the listening
// icon is on screen while the engine listens, and return goes back to the
// speech configuration.
#include <QtTest>
#include <cstdlib>

#include "qt_test_support.h"
#include "ui/test_form.h"

using namespace talvane;
using namespace talvane::test;

namespace {

ui::SkinnedButtonWidget* ButtonWidget(QWidget* in, const char* name) {
  return in->findChild<ui::SkinnedButtonWidget*>(name);
}

int CommandIndex(const Program& p, const std::string& rule) {
  for (std::size_t i = 0; i < p.catalogue.CommandList.size(); ++i)
    if (p.catalogue.CommandList[i].ruleName.trimmed() == rule) return static_cast<int>(i);
  return -1;
}

}  // namespace

class GrammarTestScreenTest : public QObject {
  Q_OBJECT
 private slots:
  void cleanup() { ::unsetenv("AUDIOIN_WAV"); }

  void aSpokenPhraseShowsItsCommandText() {
    ProgramUnderTest t;
    t.Start();
    QVERIFY(t->program.libraries.SpeechLibrariesReady);
    TempFolder speech;
    const fs::path wav = speech / "gear.wav";
    const ToolRun said = RunTool({"--program-folder", t.program.string(), "speak", "--voice", "3", "--rate", "50",
                                  "landing gear down"},
                                 {"KELO_WAV=" + wav.string()});
    QVERIFY2(said.status == 0 && fs::exists(wav), said.err.c_str());
    ::setenv("AUDIOIN_WAV", wav.c_str(), 1);

    QWidget* main = t->windows.mainWindow();
    ButtonWidget(main->findChild<QWidget*>("frm_Home"), "btn_speech_config")->Click();
    QCOMPARE(t->shell.nav.CurrentScreenName, std::string("frm_Configure"));
    t->shell.configuration.CurrentCommand = CommandIndex(t->program, "GEAR_DOWN");
    t->shell.configuration.CurrentGrammar = 0;
    QVERIFY(t->shell.configuration.CurrentCommand >= 0);
    // The configuration screen's TEST button.
    SkinnedButton& test = t->shell.buttons.Add(ButtonKind::SmallButton, Form::frm_Configure, "btn_Test");
    test.button_type = "test_grammar";
    DialogAnswerer answers(*t);
    t->shell.dispatch.Release(test);
    QVERIFY2(answers.seen.empty(), answers.seen.empty() ? "" : answers.seen[0].text.c_str());

    auto* form = main->findChild<ui::TestForm*>("frm_Test");
    QVERIFY(form && form->isVisible());
    const QString listed = form->phrases->toPlainText();
    QVERIFY2(listed.startsWith("1.  ") && listed.contains("Landing gear down"), qPrintable(listed));
    QCOMPARE(form->statusIcon, QString("\\Media\\Icons\\icon_ready.bmp"));
    QVERIFY(!form->status->pixmap().isNull());

    // While the engine listens the window paints, with the listening icon,
    // and START cannot be pressed again.
    ui::SkinnedButtonWidget* start = ButtonWidget(main, "btn_Action1");
    QVERIFY(start->isVisible());
    int ticks = 0;
    bool listeningSeen = false, secondStartRefused = true;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
      ++ticks;
      if (form->statusIcon.endsWith("icon_Begin.bmp")) listeningSeen = true;
      if (t->shell.test_screen.Listening() && !start->button().disabled()) secondStartRefused = false;
    });
    watch.start(20);
    start->Click();
    watch.stop();
    QVERIFY2(ticks >= 3, qPrintable(QString::number(ticks)));
    QVERIFY(listeningSeen);
    QVERIFY(secondStartRefused);
    QVERIFY2(answers.seen.empty(), answers.seen.empty() ? "" : answers.seen[0].text.c_str());
    QCOMPARE(form->result->text(), QString("landing gear down"));
    QCOMPARE(form->statusIcon, QString("\\Media\\Icons\\icon_Result.bmp"));

    // Silence is nothing valid.
    const fs::path quiet = speech / "quiet.wav";
    QCOMPARE(RunTool({"--program-folder", t.program.string(), "speak", "--voice", "3", "--rate", "50", "thank you"},
                     {"KELO_WAV=" + quiet.string()})
                 .status,
             0);
    ::setenv("AUDIOIN_WAV", quiet.c_str(), 1);
    start->Click();
    QCOMPARE(form->result->text(), QString("NO VALID RECOGNITION RESULT"));
    QCOMPARE(form->statusIcon, QString("\\Media\\Icons\\icon_Problem.bmp"));

    ButtonWidget(main, "btn_Action2")->Click();
    QVERIFY(!form->isVisible());
    QCOMPARE(t->shell.nav.CurrentScreenName, std::string("frm_Configure"));
    QCOMPARE(ButtonWidget(main, "btn_Action1")->button().button_type, std::string("save"));
  }
};

QTEST_MAIN(GrammarTestScreenTest)
#include "tst_grammar_test.moc"
