// The microphone switch of the settings (key `microphone`): a key ("q",
// "7", "shift+q"), watched globally, or a joystick button
// ("joystick:1:button:3"). Empty or unreadable text means no switch: the
// module then listens continuously (voice activation).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/global_keys.h"
#include "platform/joystick.h"

namespace talvane::quarrowr {

struct SwitchSetting {
  enum class Kind { kVoiceActivation, kKey, kJoystick };
  Kind kind = Kind::kVoiceActivation;
  platform::WatchedKey key;
  int joystick = -1;
  int button = -1;
};

SwitchSetting ParseMicrophoneSwitch(std::string_view text);
// For the window: "key Q", "Shift+7", "joystick 1 button 3", "voice activation".
std::string DescribeSwitch(const SwitchSetting& s);

// Turns the switch into presses. The host polls it every few tens of
// milliseconds; a press is counted when the key or button goes down.
class MicrophoneSwitch {
 public:
  // `keys` is used for a key switch, `joysticks` for a button; either may be
  // null when the switch is not of its kind.
  MicrophoneSwitch(SwitchSetting setting, std::unique_ptr<platform::GlobalKeys> keys,
                   std::unique_ptr<platform::Joysticks> joysticks);

  const SwitchSetting& Setting() const { return setting_; }
  bool VoiceActivation() const { return setting_.kind == SwitchSetting::Kind::kVoiceActivation; }
  int TakePresses();
  // What the window shows about the switch.
  std::string Status() const;

 private:
  SwitchSetting setting_;
  std::unique_ptr<platform::GlobalKeys> keys_;
  std::unique_ptr<platform::Joysticks> joysticks_;
  bool button_held_ = false;
  bool joystick_present_ = true;
};

}  // namespace talvane::quarrowr
