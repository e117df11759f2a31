#include "quarrowr/microphone_switch.h"

#include <charconv>

#include "common/text.h"

namespace talvane::quarrowr {

namespace {

bool Number(std::string_view s, int lo, int hi, int& v) {
  const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  return ec == std::errc() && p == s.data() + s.size() && v >= lo && v <= hi;
}

bool SwitchKey(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

}  // namespace

SwitchSetting ParseMicrophoneSwitch(std::string_view text) {
  const std::string t = Lower(Trim(text));
  SwitchSetting s;
  std::string_view key = t;
  const bool shift = key.starts_with("shift+");
  if (shift) key.remove_prefix(6);
  if (key.size() == 1 && SwitchKey(key[0])) {
    s.kind = SwitchSetting::Kind::kKey;
    s.key = {key[0], shift};
    return s;
  }
  // joystick:N:button:B, with the joysticks and buttons the capture offers.
  constexpr std::string_view kJoystick = "joystick:";
  const auto colon = t.find(':', kJoystick.size());
  if (t.starts_with(kJoystick) && colon != std::string::npos) {
    std::string_view rest = std::string_view(t).substr(colon);
    int n = -1, b = -1;
    if (Number(std::string_view(t).substr(kJoystick.size(), colon - kJoystick.size()), 0, platform::kJoystickCount - 1,
               n) &&
        rest.starts_with(":button:") && Number(rest.substr(8), 0, 15, b)) {
      s.kind = SwitchSetting::Kind::kJoystick;
      s.joystick = n;
      s.button = b;
    }
  }
  return s;
}

std::string DescribeSwitch(const SwitchSetting& s) {
  switch (s.kind) {
    case SwitchSetting::Kind::kKey:
      return std::string(s.key.shift ? "Shift+" : "key ") + UpperChar(s.key.key);
    case SwitchSetting::Kind::kJoystick:
      return "joystick " + std::to_string(s.joystick) + " button " + std::to_string(s.button);
    default:
      return "voice activation";
  }
}

MicrophoneSwitch::MicrophoneSwitch(SwitchSetting setting, std::unique_ptr<platform::GlobalKeys> keys,
                                   std::unique_ptr<platform::Joysticks> joysticks)
    : setting_(setting), keys_(std::move(keys)), joysticks_(std::move(joysticks)) {}

int MicrophoneSwitch::TakePresses() {
  if (setting_.kind == SwitchSetting::Kind::kKey && keys_) return keys_->TakePresses();
  if (setting_.kind != SwitchSetting::Kind::kJoystick || !joysticks_) return 0;
  const auto held = joysticks_->HeldButtons(setting_.joystick);
  joystick_present_ = held.has_value();
  const bool down = held && (*held >> setting_.button) & 1u;
  const bool pressed = down && !button_held_;
  button_held_ = down;
  return pressed ? 1 : 0;
}

std::string MicrophoneSwitch::Status() const {
  const std::string name = DescribeSwitch(setting_);
  switch (setting_.kind) {
    case SwitchSetting::Kind::kKey:
      if (!keys_) return "Microphone switch: " + name + " (not watched)";
      return keys_->Watching() ? "Microphone switch: " + name
                               : "Microphone switch: " + name + " (not watched: " + keys_->NotWatchingReason() + ")";
    case SwitchSetting::Kind::kJoystick:
      return joystick_present_ && joysticks_ ? "Microphone switch: " + name
                                             : "Microphone switch: " + name + " (joystick not found)";
    default:
      return "No microphone switch: voice activation, listening continuously";
  }
}

}  // namespace talvane::quarrowr
