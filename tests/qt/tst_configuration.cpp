// The speech configuration screen in the main window, driven through its
// widgets: choose a command, add a phrase (a bad one first), edit one by
// double click, pick the copilot voice, save, compile.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QtTest>

#include "common/ini.h"
#include "common/text.h"
#include "qt_test_support.h"
#include "ui/configuration_form.h"

using namespace talvane;
using namespace talvane::test;

namespace {

ui::SkinnedButtonWidget* ButtonFor(QWidget* in, const char* word) {
  for (auto* b : in->findChildren<ui::SkinnedButtonWidget*>())
    if (b->button().button_type == word && b->isVisible()) return b;
  return nullptr;
}

// Answers the input dialog each time it comes up with the next text (an
// empty optional: Cancel), noting the text it found there. The answer is
// clicked from the event loop, not from the timer: an answer may bring the
// dialog back, and a timer does not fire again inside its own handler.
class InputAnswerer {
 public:
  InputAnswerer(ui::ProgramMain& m, std::vector<std::optional<QString>> answers) : answers_(std::move(answers)) {
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, [this, &m] {
      if (pending_ || !m.program.IsLoaded(Form::frm_Input) || next_ >= answers_.size()) return;
      ui::InputForm* form = m.ui.inputForm();
      if (!form->isVisible()) return;
      found.push_back(form->edit->text());
      const auto answer = answers_[next_++];
      if (answer) form->edit->setText(*answer);
      pending_ = true;
      QMetaObject::invokeMethod(
          form,
          [this, form, ok = answer.has_value()] {
            pending_ = false;
            (ok ? form->ok : form->cancel)->Click();
          },
          Qt::QueuedConnection);
    });
    timer_.start();
  }
  std::vector<QString> found;

 private:
  std::vector<std::optional<QString>> answers_;
  std::size_t next_ = 0;
  bool pending_ = false;
  QTimer timer_;
};

QPoint Centre(QListWidget* list, int row) { return list->visualItemRect(list->item(row)).center(); }

}  // namespace

class ConfigurationTest : public QObject {
  Q_OBJECT
 private slots:
  void addSaveAndCompileThroughTheWidgets() {
    ProgramUnderTest t;
    QCOMPARE(t.Start(), StartOutcome::kMainWindow);
    t->shell.dispatch.Release(*t->shell.nav.HomeButton("speech_config"));
    auto* form = static_cast<ui::ConfigurationForm*>(t->windows.Screen(Form::frm_Configure));
    QVERIFY(form && form->isVisible());
    QCOMPARE(form->findChild<QComboBox*>("comboCategory"), form->comboCategory);
    QVERIFY(form->comboCategory->count() > 3);
    QVERIFY(form->lbl_TotalCommands->text().startsWith("Total Number of Commands: "));
    QVERIFY(form->lbl_Description->text().endsWith("."));
    QCOMPARE(form->combo_Copilot->itemText(0), QString("**NONE**"));
    QVERIFY(ButtonFor(form, "test_grammar") && ButtonFor(form, "microphone_setup"));

    // The second category's first command.
    form->comboCategory->setCurrentIndex(1);
    const std::string category = ui::ToAnsi(form->comboCategory->currentText());
    const int command = t->shell.configuration.CurrentCommand;
    const CommandRecord& record = t->program.catalogue.CommandList[command];
    QVERIFY(InCategory(record, category));
    QCOMPARE(form->comboCommand->currentText(), ui::FromAnsi(record.commandName.trimmed()));
    QCOMPARE(form->listGrammar->count(), static_cast<int>(record.grammars.size()));
    const std::size_t phrases = record.grammars.size();

    // A phrase with an open bracket comes back to be mended, then is stored.
    {
      DialogAnswerer messages(*t);
      InputAnswerer typing(*t, {QString("say (again"), QString("say (again) please")});
      QTest::mouseClick(ButtonFor(form, "add_grammar"), Qt::LeftButton);
      QCOMPARE(typing.found, (std::vector<QString>{"", "say (again"}));
      QCOMPARE(messages.seen.size(), std::size_t{1});
      QCOMPARE(messages.seen[0].title, std::string("Grammar Error"));
    }
    QCOMPARE(record.grammars.size(), phrases + 1);
    QCOMPARE(form->listGrammar->item(static_cast<int>(phrases))->text(), QString("say (again) please"));
    QVERIFY(t->shell.configuration.ConfigChanged);

    // A double click edits the phrase clicked.
    {
      InputAnswerer typing(*t, {QString("say it again please")});
      QListWidget* list = form->listGrammar;
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, Centre(list, static_cast<int>(phrases)));
      QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, Centre(list, static_cast<int>(phrases)));
      QCOMPARE(typing.found, (std::vector<QString>{"say (again) please"}));
    }
    QCOMPARE(record.grammars[phrases].trimmed(), std::string("say it again please"));

    // The copilot voice is saved as soon as it is chosen.
    if (form->combo_Copilot->count() > 1) {
      form->combo_Copilot->setCurrentIndex(1);
      const int voice = t->shell.configurationScreen.combo_Copilot.items[1].data;
      QCOMPARE(ReadIniInt("Main", "copilotVoice", t.program / "TV_Information.cfg"), voice);
    }

    // Save, then compile from the action bar.
    {
      DialogAnswerer messages(*t);
      auto* main = t->windows.mainWindow();
      QTest::mouseClick(ButtonFor(main, "save"), Qt::LeftButton);
      QCOMPARE(messages.seen.back().title, std::string("Changes Saved"));
      CommandCatalogue saved;
      QVERIFY(LoadCommandList(t->program.ctx, saved));
      QCOMPARE(saved.CommandList[command].grammars.back().trimmed(), std::string("say it again please"));

      QTest::mouseClick(ButtonFor(main, "compile"), Qt::LeftButton);
      QCOMPARE(messages.seen.back().title, std::string("Grammars and Readbacks Saved"));
    }
    QVERIFY(!t->shell.configuration.ConfigChanged);
    QCOMPARE(t->shell.nav.ActionButton(3).state, std::string(kStateDisabled));
    QVERIFY(fs::exists(t.program / "Grammars" / "grmcmplog.txt"));
  }

  void deleteAndPlayFromTheReadbackList() {
    ProgramUnderTest t;
    QCOMPARE(t.Start(), StartOutcome::kMainWindow);
    t->shell.dispatch.Release(*t->shell.nav.HomeButton("speech_config"));
    auto* form = static_cast<ui::ConfigurationForm*>(t->windows.Screen(Form::frm_Configure));
    const CommandRecord& record = t->program.catalogue.CommandList[t->shell.configuration.CurrentCommand];
    {
      InputAnswerer typing(*t, {QString("copy, %1").arg(QString(300, 'x'))});
      DialogAnswerer messages(*t);
      QTest::mouseClick(ButtonFor(form, "add_readback"), Qt::LeftButton);
      QCOMPARE(messages.seen.size(), std::size_t{1});
      QCOMPARE(messages.seen[0].title, std::string("Text Shortened"));
    }
    const std::size_t readbacks = record.readbacks.size();
    QCOMPARE(form->listReadback->count(), static_cast<int>(readbacks));
    QCOMPARE(record.readbacks.back().str().substr(0, 6), std::string("copy, "));

    form->listReadback->setCurrentRow(static_cast<int>(readbacks) - 1);
    {
      DialogAnswerer messages(*t);
      QTest::mouseClick(ButtonFor(form, "delete_readback"), Qt::LeftButton);
      QCOMPARE(messages.seen.back().title, std::string("Delete Selected Readback?"));
    }
    QCOMPARE(record.readbacks.size(), readbacks - 1);
    QCOMPARE(form->listReadback->currentRow(), 0);
    // The readback is spoken (into a file here).
    const fs::path wav = t.root / "readback.wav";
    qputenv("KELO_WAV", QByteArray::fromStdString(wav.string()));
    QTest::mouseClick(ButtonFor(form, "play_readback"), Qt::LeftButton);
    t->program.libraries.fnKELOspeak_Call(6, 0, 10000, 0, "");
    qunsetenv("KELO_WAV");
    QVERIFY(fs::exists(wav) && fs::file_size(wav) > 44);
  }
};

QTEST_MAIN(ConfigurationTest)
#include "tst_configuration.moc"
