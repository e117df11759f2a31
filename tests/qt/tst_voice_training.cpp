// The voice training screen in the main window, reached from the speech
// configuration: a prompt recorded from a spoken WAV (the microphone's test
// file) moves the level meter and leaves its recording and transcript line,
// skip moves on, play without a loudspeaker says so, and return goes back.
#include <QLineEdit>
#include <QtTest>
#include <cstdlib>

#include "common/files.h"
#include "qt_test_support.h"
#include "ui/voice_training_form.h"

using namespace talvane;
using namespace talvane::test;

namespace {

ui::SkinnedButtonWidget* ButtonWidget(QWidget* in, const char* name) {
  return in->findChild<ui::SkinnedButtonWidget*>(name);
}

}  // namespace

class VoiceTrainingScreenTest : public QObject {
  Q_OBJECT
 private slots:
  void cleanup() {
    ::unsetenv("AUDIOIN_WAV");
    ::unsetenv("TALVANE_AUDIO_OUT");
  }

  void aPromptIsRecordedFromTheMicrophone() {
    ProgramUnderTest t;
    t.Start();
    TempFolder speech;
    const fs::path wav = speech / "prompt.wav";
    const ToolRun said = RunTool({"--program-folder", t.program.string(), "speak", "--voice", "3", "--rate", "50",
                                  "the pilot checked the weather before the long flight to the coast"},
                                 {"KELO_WAV=" + wav.string()});
    QVERIFY2(said.status == 0 && fs::exists(wav), said.err.c_str());
    ::setenv("AUDIOIN_WAV", wav.c_str(), 1);
    ::setenv("TALVANE_AUDIO_OUT", "none", 1);

    QWidget* main = t->windows.mainWindow();
    ButtonWidget(main->findChild<QWidget*>("frm_Home"), "btn_speech_config")->Click();
    ui::SkinnedButtonWidget* open = ButtonWidget(main->findChild<QWidget*>("frm_Configure"), "btn_VoiceTraining");
    QVERIFY(open && open->isVisible());
    DialogAnswerer answers(*t);
    open->Click();
    auto* form = main->findChild<ui::VoiceTrainingForm*>("frm_VoiceTraining");
    QVERIFY(form && form->isVisible());
    QVERIFY(form->lbl_PromptNumber->text().startsWith("Prompt 1 of "));
    QVERIFY(!form->lbl_Prompt->text().isEmpty());

    form->comboProfile->lineEdit()->setFocus();
    QTest::keyClicks(form->comboProfile->lineEdit(), "Pilot One");
    QCOMPARE(t->shell.voiceTraining.profile_text, std::string("Pilot One"));
    ui::SkinnedButtonWidget* record = ButtonWidget(form, "btn_Record");
    record->Click();
    QVERIFY(t->shell.voiceTraining.Recording());
    QCOMPARE(record->button().picture, std::string("btn_Stop"));
    // The file ends by itself, as if the pilot pressed STOP.
    QTRY_VERIFY_WITH_TIMEOUT(!t->shell.voiceTraining.Recording(), 15000);
    QVERIFY2(answers.seen.empty(), answers.seen.empty() ? "" : answers.seen[0].text.c_str());
    QVERIFY2(form->highest_level > 30, qPrintable(QString::number(form->highest_level)));
    QCOMPARE(form->prgLevel->value(), 0);
    const fs::path folder = t.program / "Training" / "Pilot One";
    QVERIFY(FileExists(folder / "001.wav"));
    const std::string transcripts = ReadWholeFile(folder / "transcripts.txt").value_or("");
    QVERIFY2(transcripts.starts_with("001.wav\t") && transcripts.ends_with("\n"), transcripts.c_str());
    QVERIFY(form->lbl_PromptNumber->text().startsWith("Prompt 2 of "));
    QVERIFY(form->lbl_Recorded->text().startsWith("1 of "));

    ButtonWidget(form, "btn_Skip")->Click();
    QVERIFY(form->lbl_PromptNumber->text().startsWith("Prompt 3 of "));
    QVERIFY(!fs::exists(folder / "002.wav"));

    ButtonWidget(form, "btn_Previous")->Click();
    ButtonWidget(form, "btn_Previous")->Click();
    QCOMPARE(record->button().picture, std::string("btn_Rerecord"));
    ButtonWidget(form, "btn_Play")->Click();
    QTRY_COMPARE(answers.seen.size(), std::size_t{1});
    QCOMPARE(answers.seen[0].title, std::string("No Sound Output"));

    ButtonWidget(main, "btn_Action2")->Click();
    QVERIFY(!form->isVisible());
    QCOMPARE(t->shell.nav.CurrentScreenName, std::string("frm_Configure"));
  }
};

QTEST_MAIN(VoiceTrainingScreenTest)
#include "tst_voice_training.moc"
