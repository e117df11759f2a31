// The microphone switch capture: which key or joystick button becomes which
// switch text, and the dialog around it, driven as the buttons drive it.
#include "app/microphone_capture.h"
#include "common/ini.h"
#include "shell_fixture.h"

namespace talvane::test {
namespace {

CaptureKey Key(char32_t text, bool shift = false, bool ctrl = false, bool alt = false) {
  CaptureKey k;
  k.text = text;
  k.shift = shift;
  k.ctrl = ctrl;
  k.alt = alt;
  return k;
}

TEST(MicrophoneKeys, LettersAndDigitsWithAndWithoutShift) {
  EXPECT_EQ(KeySwitchText(Key('Q', true)), "shift+q");
  EXPECT_EQ(KeySwitchText(Key('Q')), "q");
  EXPECT_EQ(KeySwitchText(Key('q')), "q");
  EXPECT_EQ(KeySwitchText(Key('Q', false, true)), "q");       // Ctrl+Q
  EXPECT_EQ(KeySwitchText(Key('Q', true, true)), "q");        // Ctrl+Shift+Q is not "shift"
  EXPECT_EQ(KeySwitchText(Key('7', true, false, true)), "7");  // Alt+Shift+7
  EXPECT_EQ(KeySwitchText(Key('0')), "0");
  EXPECT_EQ(KeySwitchText(Key('9', true)), "shift+9");
  // Shift+7 types a symbol; the key is still the digit row's 7.
  CaptureKey ampersand = Key('&', true);
  EXPECT_EQ(KeySwitchText(ampersand), std::nullopt);
  ampersand.digit_row = 7;
  EXPECT_EQ(KeySwitchText(ampersand), "shift+7");
}

TEST(MicrophoneKeys, KeypadFunctionAndOtherKeysAreRefused) {
  CaptureKey keypad1 = Key('1');
  keypad1.keypad = true;
  EXPECT_EQ(KeySwitchText(keypad1), std::nullopt);  // not "a"
  EXPECT_EQ(KeySwitchText(Key(0)), std::nullopt);    // F1 types nothing: not "p"
  EXPECT_EQ(KeySwitchText(Key(' ')), std::nullopt);
  EXPECT_EQ(KeySwitchText(Key(U'é')), std::nullopt);
  EXPECT_EQ(KeySwitchText(Key('[', true)), std::nullopt);
}

// Joysticks as tests set them: the buttons held on each.
struct HeldJoysticks : platform::Joysticks {
  std::map<int, std::uint32_t> held;
  std::vector<int> asked;
  std::optional<std::uint32_t> HeldButtons(int n) override {
    asked.push_back(n);
    const auto it = held.find(n);
    if (it == held.end()) return std::nullopt;
    return it->second;
  }
};

class MicrophoneDialog : public ShellTest {
 protected:
  MicrophoneDialog() {
    auto j = std::make_unique<HeldJoysticks>();
    joysticks = j.get();
    shell.microphone.UseJoysticks(std::move(j));
    p.settings.microphone = "m";
    ClickHome("speech_config");
  }
  void ClickMicrophone() {
    SkinnedButton& b = shell.buttons.Add(ButtonKind::MediumButton, Form::frm_Configure, "btn_Microphone");
    b.button_type = "microphone_setup";
    shell.dispatch.Release(b);
  }
  std::vector<std::string> Ticks(int n) {
    std::vector<std::string> shown;
    for (int i = 0; i < n; ++i)
      if (auto t = shell.microphone.Tick()) shown.push_back(*t);
    return shown;
  }
  std::string SavedSwitch() { return ReadIniString("Main", "microphone", program / "TV_Information.cfg"); }

  HeldJoysticks* joysticks = nullptr;
};

TEST_F(MicrophoneDialog, OpensInMicrophoneModeWithTheCurrentSwitch) {
  ClickMicrophone();
  ASSERT_EQ(hosts.inputs.size(), 1u);
  const InputRequest& r = hosts.inputs[0];
  EXPECT_EQ(r.id, kMicSwitchId);
  EXPECT_EQ(r.title, "Microphone Switch");
  EXPECT_EQ(r.field, "Press Key or Button");
  EXPECT_EQ(r.initial, "m");
  EXPECT_EQ(shell.dialogs.CurrentInputId, kMicSwitchId);
  EXPECT_EQ(shell.microphone.KeyText(), "m");

  // A disabled button opens nothing.
  SkinnedButton& b = shell.buttons.Add(ButtonKind::MediumButton, Form::frm_Configure, "btn_Microphone2");
  b.button_type = "microphone_setup";
  b.state = kStateDisabled;
  shell.dispatch.Release(b);
  EXPECT_EQ(hosts.inputs.size(), 1u);
}

TEST_F(MicrophoneDialog, KeysChangeTheSwitchAtOnceAndRefusedKeysChangeNothing) {
  ClickMicrophone();
  EXPECT_TRUE(shell.microphone.KeyDown(Key('Q', true)));
  EXPECT_EQ(shell.microphone.KeyText(), "shift+q");
  EXPECT_EQ(p.settings.microphone, "shift+q");
  EXPECT_FALSE(shell.microphone.KeyDown(Key(0)));  // F1
  EXPECT_EQ(shell.microphone.KeyText(), "shift+q");
  EXPECT_EQ(p.settings.microphone, "shift+q");

  // Cancel writes nothing; the next dialog shows the key captured.
  shell.dialogs.InputCancel();
  EXPECT_EQ(SavedSwitch(), "");
  ClickMicrophone();
  EXPECT_EQ(hosts.inputs.back().initial, "shift+q");
}

TEST_F(MicrophoneDialog, TheScanVisitsEachJoystickInTurn) {
  ClickMicrophone();
  Ticks(7);
  EXPECT_EQ(joysticks->asked, (std::vector<int>{1, 2, 3, 4, 0, 1, 2}));

  // Button 3 of joystick 1: found within five ticks, wherever the scan is.
  joysticks->held[1] = 1u << 3;
  EXPECT_EQ(Ticks(5), std::vector<std::string>{"joystick:1:button:3"});
  EXPECT_EQ(p.settings.microphone, "joystick:1:button:3");
}

TEST_F(MicrophoneDialog, HighestButtonWinsAndButtonsAbove15AreLeftOut) {
  ClickMicrophone();
  joysticks->held[0] = (1u << 2) | (1u << 5);
  EXPECT_EQ(Ticks(5), std::vector<std::string>{"joystick:0:button:5"});
  // Button 17 alone is no button 0..15; with button 1 it leaves button 1.
  joysticks->held[0] = 1u << 17;
  EXPECT_TRUE(Ticks(5).empty());
  EXPECT_EQ(p.settings.microphone, "joystick:0:button:5");
  joysticks->held[0] = (1u << 17) | (1u << 1);
  EXPECT_EQ(Ticks(5), std::vector<std::string>{"joystick:0:button:1"});
  joysticks->held[0] = 1u << 15;
  EXPECT_EQ(Ticks(5), std::vector<std::string>{"joystick:0:button:15"});
}

TEST_F(MicrophoneDialog, OkSavesWhatWasCaptured) {
  ClickMicrophone();
  joysticks->held[4] = 1u;
  Ticks(5);
  hosts.input_text = p.settings.microphone;  // the text box shows the tick's text
  SkinnedButton& ok = shell.buttons.Add(ButtonKind::SmallButton, Form::frm_Input, "btn_OK");
  ok.button_type = "ok";
  shell.dispatch.Release(ok);
  EXPECT_EQ(SavedSwitch(), "joystick:4:button:0");
  EXPECT_FALSE(hosts.capture);
}

}  // namespace
}  // namespace talvane::test
