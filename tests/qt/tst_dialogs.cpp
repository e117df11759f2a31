// The message, input and progress dialogs: what they show, where they sit,
// that a dialog's OK may open the next dialog, and that long work on the
// speech thread leaves the windows painting.
#include <QApplication>
#include <QScreen>
#include <QtTest>
#include <chrono>
#include <thread>

#include "common/text.h"
#include "qt_test_support.h"

using namespace talvane;
using namespace talvane::test;

namespace {

// Runs `step` once the event loop turns (inside a modal dialog's loop).
void Soon(std::function<void()> step) { QTimer::singleShot(30, std::move(step)); }

Message Msg(const char* title, const char* text) {
  Message m;
  m.title = title;
  m.text = text;
  return m;
}

}  // namespace

class DialogsTest : public QObject {
  Q_OBJECT
 private slots:
  void messageShowsParagraphsIconAndButtons() {
    ProgramUnderTest t;
    t.Start();
    Message m;
    m.title = "Changes Saved";
    m.text = Paragraphs({"All changes have been saved.", "Please press OK to continue..."});
    m.icon = kIconWarning;
    m.cancel = true;
    QString shown;
    bool okVisible = false, cancelVisible = false, iconSet = false;
    Soon([&] {
      ui::MessageForm* f = t->ui.messageForm();
      shown = f->text->text();
      okVisible = f->ok->isVisible();
      cancelVisible = f->cancel->isVisible();
      iconSet = !f->findChild<QLabel*>("img_Icon")->pixmap().isNull();
      QVERIFY(f->isModal());
      f->cancel->Click();
    });
    t->ui.ShowMessage(m);
    QCOMPARE(shown, QString("All changes have been saved.\n\nPlease press OK to continue..."));
    QVERIFY(okVisible && cancelVisible);
    QVERIFY(iconSet);
    QVERIFY(!t->ui.messageForm()->isVisible());

    // A kind outside 0..2 leaves the picture as it was.
    const qint64 before = t->ui.messageForm()->findChild<QLabel*>("img_Icon")->pixmap().cacheKey();
    m.icon = 7;
    m.cancel = false;
    Soon([&] {
      cancelVisible = t->ui.messageForm()->cancel->isVisible();
      t->ui.messageForm()->ok->Click();
    });
    t->ui.ShowMessage(m);
    QVERIFY(!cancelVisible);
    QCOMPARE(t->ui.messageForm()->findChild<QLabel*>("img_Icon")->pixmap().cacheKey(), before);
  }

  void messageIsCentredOverTheMainWindowOrTheScreen() {
    ProgramUnderTest t;
    t.Start();
    ui::MainWindow* main = t->windows.mainWindow();
    main->move(40, 30);
    QPoint centre;
    Soon([&] {
      centre = t->ui.messageForm()->frameGeometry().center();
      t->ui.messageForm()->ok->Click();
    });
    t->ui.ShowMessage(Msg("Title", "Text"));
    QVERIFY((centre - main->frameGeometry().center()).manhattanLength() <= 2);

    main->hide();
    Soon([&] {
      centre = t->ui.messageForm()->frameGeometry().center();
      t->ui.messageForm()->ok->Click();
    });
    t->ui.ShowMessage(Msg("Title", "Text"));
    QVERIFY((centre - QGuiApplication::primaryScreen()->availableGeometry().center()).manhattanLength() <= 2);
  }

  void anOkActionMayShowTheNextMessage() {
    ProgramUnderTest t;
    t.Start();
    std::vector<std::string> order;
    t->shell.dialogs.OnMessageOk("first", [&] {
      t->ui.HideMessage();
      order.push_back("first ok");
      Soon([&] { t->ui.messageForm()->ok->Click(); });
      Message second = Msg("Second", "text");
      t->ui.ShowMessage(second);
      order.push_back("second closed");
    });
    Soon([&] { t->ui.messageForm()->ok->Click(); });
    Message first = Msg("First", "text");
    first.id = "first";
    t->ui.ShowMessage(first);
    order.push_back("first returned");
    QCOMPARE(order, (std::vector<std::string>{"first ok", "second closed", "first returned"}));
    QCOMPARE(t->shell.dialogs.CurrentMessageId, std::string(""));  // the newest message's id
  }

  void inputSelectsItsTextAndAnswersThroughItsId() {
    ProgramUnderTest t;
    t.Start();
    t->shell.configuration.CurrentCommand = 0;
    t->shell.configuration.CurrentReadback = 0;
    QString selected;
    Soon([&] {
      ui::InputForm* f = t->ui.inputForm();
      QApplication::processEvents();
      selected = f->edit->selectedText();
      f->edit->setText(QString::fromUtf8("set flaps fifteen caf\xc3\xa9"));
      f->ok->Click();
    });
    // A readback: its text is free, while a phrase with an accented letter is refused as it is entered.
    t->shell.dialogs.ShowInput({"Edit Existing Readback", "\rEdit the existing readback", "Edit Readback:", true, true,
                                "old phrase", "edit_readback"});
    QCOMPARE(selected, QString("old phrase"));
    QCOMPARE(Trim(t->program.catalogue.CommandList[0].readbacks[0].str()), std::string("set flaps fifteen caf\xe9"));
    QVERIFY(!t->ui.inputForm()->isVisible());

    // Cancel changes nothing and stops the microphone capture.
    Soon([&] {
      QVERIFY(t->ui.inputForm()->capture.isActive());
      QVERIFY(t->ui.inputForm()->edit->isReadOnly());
      t->ui.inputForm()->cancel->Click();
    });
    t->shell.dialogs.ShowInput({"Microphone Switch", "", "Press Key or Button", true, true, "m", kMicSwitchId});
    QVERIFY(!t->ui.inputForm()->capture.isActive());
    QCOMPARE(t->program.settings.microphone, std::string());
  }

  void progressShowsPercentWithoutBlocking() {
    ProgramUnderTest t;
    t.Start();
    t->ui.ShowProgress("Compiling Grammar", "Writing grammar files...");
    ui::ProgressForm* f = t->ui.progressForm();
    QVERIFY(f->isVisible());
    QVERIFY(!f->isModal());
    QCOMPARE(f->percent->text(), QString("0%"));
    t->ui.UpdateProgress("Compiling...", 42.6);
    QCOMPARE(f->percent->text(), QString("43%"));
    QCOMPARE(f->bar->value(), 43);
    QCOMPARE(f->text->text(), QString("Compiling..."));
    t->ui.HideProgress();
    QVERIFY(!f->isVisible());
  }

  void aReportFromTheSpeechThreadIsShownByTheWindowThread() {
    ProgramUnderTest t;
    t.Start();
    DialogAnswerer answers(*t);
    QThread* shownOn = nullptr;
    t->shell.dialogs.OnMessageOk("from_speech", [&] {
      shownOn = QThread::currentThread();
      t->ui.HideMessage();
    });
    Message m = Msg("Checklist Update Error", "a page could not be written");
    m.id = "from_speech";
    t->program.libraries.Speech().Call([&] {
      t->ui.ShowMessage(m);
      t->ui.ShowProgress("Working", "step");
      t->ui.UpdateProgress("step 2", 50);
      t->ui.HideProgress();
      return 0;
    });
    QCOMPARE(answers.seen.size(), std::size_t(1));
    QCOMPARE(answers.seen[0].title, std::string("Checklist Update Error"));
    QCOMPARE(shownOn, QCoreApplication::instance()->thread());
    QCOMPARE(t->ui.progressForm()->percent->text(), QString("50%"));
  }

  void longWorkOnTheSpeechThreadLeavesTheWindowsPainting() {
    ProgramUnderTest t;
    t.Start();
    int ticks = 0;
    QTimer painter;
    QObject::connect(&painter, &QTimer::timeout, [&] { ++ticks; });
    painter.start(20);
    const int result = t->program.libraries.Speech().Call([] {
      std::this_thread::sleep_for(std::chrono::milliseconds(400));
      return 7;
    });
    QCOMPARE(result, 7);
    QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
  }
};

QTEST_MAIN(DialogsTest)
#include "tst_dialogs.moc"
