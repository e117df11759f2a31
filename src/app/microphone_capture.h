// Setting the microphone switch by pressing it: the input dialog's
// microphone mode turns a key press or a held joystick button into the
// switch's text ("q", "shift+7", "joystick:1:button:3"), which the voice
// module reads from the settings. The text in memory changes at once; only
// the dialog's OK saves it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/dialog_actions.h"
#include "platform/joystick.h"

namespace talvane {

// A key pressed in the dialog, as the window system reports it.
struct CaptureKey {
  // The character the key types ('Q', 'q', '7', '!'); 0 for keys that type
  // none (function keys, arrows, Shift itself).
  char32_t text = 0;
  // 0 to 9 when the key sits on the keyboard's digit row, whatever it types
  // with Shift held (Shift+7 types '&' on one layout and '/' on another);
  // -1 when not known.
  int digit_row = -1;
  bool keypad = false;  // a key of the numeric keypad
  bool shift = false, ctrl = false, alt = false;
};

// The switch text a key stands for, or nullopt for a key that cannot be a
// switch. Letters and digits only; with Shift alone held they get "shift+".
// Keypad keys are refused even where they type a digit: the voice module
// watches the digit row's key, and would never see the keypad's.
std::optional<std::string> KeySwitchText(const CaptureKey& key);

// The dialog that asks for the switch, showing `current`.
InputRequest MicrophoneRequest(const std::string& current);

class MicrophoneCapture {
 public:
  // `microphone` is the program's switch text (the settings' value).
  explicit MicrophoneCapture(std::string& microphone) : microphone_(microphone) {}

  // The joysticks scanned; the system's joysticks unless replaced (tests
  // give recorded ones).
  void UseJoysticks(std::unique_ptr<platform::Joysticks> joysticks) { joysticks_ = std::move(joysticks); }

  // The dialog opens: the key text starts from the switch as it is.
  void Begin();
  // A key goes down. False when it cannot be a switch: the caller beeps,
  // and the switch and the text shown stay as they were. True: the text box
  // is cleared until the key comes up.
  bool KeyDown(const CaptureKey& key);
  // What the text box shows when the key comes up.
  const std::string& KeyText() const { return key_text_; }

  // One tick of the 100 ms scan: looks at the next joystick (1, 2, 3, 4, 0,
  // 1, ...). When it has a button held, that button becomes the switch (the
  // highest one where several are held) and its text is returned for the
  // text box.
  std::optional<std::string> Tick();

  // The joystick looked at by the last tick.
  int JoystickNumber = 0;

 private:
  std::string& microphone_;
  std::string key_text_;
  std::unique_ptr<platform::Joysticks> joysticks_;
};

}  // namespace talvane
