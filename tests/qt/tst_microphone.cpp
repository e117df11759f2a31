// The microphone switch capture in the input dialog: keys pressed in its
// text box and a joystick button held on a recorded joystick become the
// switch; OK saves it, Cancel writes nothing.
#include <linux/joystick.h>

#include <QtTest>

#include "common/ini.h"
#include "qt_test_support.h"

using namespace talvane;
using namespace talvane::test;

namespace {

void HoldButton(const fs::path& device, std::uint8_t button) {
  js_event e{};
  e.type = JS_EVENT_BUTTON | JS_EVENT_INIT;
  e.number = button;
  e.value = 1;
  WriteFile(device, std::string(reinterpret_cast<const char*>(&e), sizeof e));
}

class Microphone {
 public:
  explicit Microphone(ProgramUnderTest& t) : t_(t) {
    t.Start();
    auto joysticks = std::make_unique<platform::LinuxJoysticks>(devices.path());
    t->shell.microphone.UseJoysticks(std::move(joysticks));
    button = &t->shell.buttons.Add(ButtonKind::MediumButton, Form::frm_Configure, "btn_Microphone");
    button->button_type = "microphone_setup";
  }
  // Opens the dialog and runs `steps` inside it.
  void Open(std::function<void(ui::InputForm*)> steps) {
    QTimer::singleShot(30, [this, steps] { steps(t_->ui.inputForm()); });
    t_->shell.dispatch.Release(*button);
  }
  std::string Saved() const { return ReadIniString("Main", "microphone", t_.program / "TV_Information.cfg"); }

  TempFolder devices;
  SkinnedButton* button = nullptr;

 private:
  ProgramUnderTest& t_;
};

}  // namespace

class MicrophoneTest : public QObject {
  Q_OBJECT
 private slots:
  void keysAreCapturedAndRefusedKeysKeepTheText() {
    ProgramUnderTest t;
    Microphone mic(t);
    const std::string before = mic.Saved();
    QStringList shown;
    bool timerOn = false;
    mic.Open([&](ui::InputForm* f) {
      timerOn = f->capture.isActive();
      shown << f->edit->text();
      QTest::keyClick(f->edit, Qt::Key_Q, Qt::ShiftModifier);
      shown << f->edit->text();
      QTest::keyClick(f->edit, Qt::Key_Q, Qt::ControlModifier);
      shown << f->edit->text();
      QTest::keyClick(f->edit, Qt::Key_F1);
      shown << f->edit->text();
      QTest::keyClick(f->edit, Qt::Key_1, Qt::KeypadModifier);
      shown << f->edit->text();
      QTest::keyClick(f->edit, Qt::Key_7, Qt::ShiftModifier);
      shown << f->edit->text();
      QTest::keyClick(f->edit, Qt::Key_Return);  // no special meaning here
      shown << f->edit->text() << (f->isVisible() ? "open" : "closed");
      f->cancel->Click();
    });
    QVERIFY(timerOn);
    QCOMPARE(shown, (QStringList{QString::fromStdString(before), "shift+q", "q", "q", "q", "shift+7", "shift+7",
                                 "open"}));
    QVERIFY(!t->ui.inputForm()->capture.isActive());
    QCOMPARE(mic.Saved(), before);  // Cancel writes nothing

    // The next dialog shows what was captured.
    QString next;
    mic.Open([&](ui::InputForm* f) {
      next = f->edit->text();
      f->cancel->Click();
    });
    QCOMPARE(next, QString("shift+7"));
  }

  void aHeldJoystickButtonIsFoundAndOkSavesIt() {
    ProgramUnderTest t;
    Microphone mic(t);
    HoldButton(mic.devices / "js1", 3);
    DialogAnswerer answers(*t);
    QString shown;
    mic.Open([&](ui::InputForm* f) {
      // Five ticks of 100 ms visit the five joysticks.
      QTRY_COMPARE_WITH_TIMEOUT(f->edit->text(), QString("joystick:1:button:3"), 700);
      shown = f->edit->text();
      f->ok->Click();
    });
    QCOMPARE(shown, QString("joystick:1:button:3"));
    QCOMPARE(mic.Saved(), std::string("joystick:1:button:3"));
    QTRY_COMPARE(answers.seen.size(), std::size_t(1));
    QCOMPARE(answers.seen[0].title, std::string("Microphone Setting Changed"));
    QVERIFY(!t->ui.inputForm()->capture.isActive());
  }
};

QTEST_MAIN(MicrophoneTest)
#include "tst_microphone.moc"
