#include "app/microphone_capture.h"

namespace talvane {

namespace {

// The switch is stored with buttons 0 to 15; a higher button is left out
// rather than read as a set of lower ones.
constexpr std::uint32_t kSwitchButtons = 0xFFFF;

}  // namespace

std::optional<std::string> KeySwitchText(const CaptureKey& key) {
  if (key.keypad) return std::nullopt;
  char base = 0;
  const char32_t c = key.text;
  if (c >= U'A' && c <= U'Z')
    base = static_cast<char>(c - U'A' + 'a');
  else if ((c >= U'a' && c <= U'z') || (c >= U'0' && c <= U'9'))
    base = static_cast<char>(c);
  else if (key.digit_row >= 0 && key.digit_row <= 9)
    base = static_cast<char>('0' + key.digit_row);
  else
    return std::nullopt;
  // Shift combined with Ctrl or Alt is not a shifted key: the switch is
  // the plain key, as with Ctrl or Alt alone.
  const bool shiftOnly = key.shift && !key.ctrl && !key.alt;
  return (shiftOnly ? "shift+" : "") + std::string(1, base);
}

InputRequest MicrophoneRequest(const std::string& current) {
  InputRequest r;
  r.title = "Microphone Switch";
  r.prompt =
      "Enter a Keypress or Joystick button for use as the microphone switch.  Just press the key or button to "
      "register it for use as the microphone switch.";
  r.field = "Press Key or Button";
  r.initial = current;
  r.id = kMicSwitchId;
  return r;
}

void MicrophoneCapture::Begin() { key_text_ = microphone_; }

bool MicrophoneCapture::KeyDown(const CaptureKey& key) {
  const auto text = KeySwitchText(key);
  if (!text) return false;
  key_text_ = *text;
  microphone_ = key_text_;
  return true;
}

std::optional<std::string> MicrophoneCapture::Tick() {
  JoystickNumber = JoystickNumber >= platform::kJoystickCount - 1 ? 0 : JoystickNumber + 1;
  // The system's joysticks are opened only once the dialog scans for them.
  if (!joysticks_) joysticks_ = std::make_unique<platform::LinuxJoysticks>();
  const auto held = joysticks_->HeldButtons(JoystickNumber);
  if (!held) return std::nullopt;
  const std::uint32_t buttons = *held & kSwitchButtons;
  if (buttons == 0) return std::nullopt;
  int highest = 15;
  while (!(buttons & (1u << highest))) --highest;
  microphone_ = "joystick:" + std::to_string(JoystickNumber) + ":button:" + std::to_string(highest);
  return microphone_;
}

}  // namespace talvane
