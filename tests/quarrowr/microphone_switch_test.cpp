// The microphone switch: the settings' text and presses from keys and
// joystick buttons.
#include <gtest/gtest.h>

#include "quarrowr/microphone_switch.h"

namespace talvane::quarrowr {
namespace {

using Kind = SwitchSetting::Kind;

TEST(MicrophoneSwitchTest, ReadsEveryFormTheCaptureWrites) {
  auto s = ParseMicrophoneSwitch("q");
  EXPECT_EQ(s.kind, Kind::kKey);
  EXPECT_EQ(s.key.key, 'q');
  EXPECT_FALSE(s.key.shift);
  s = ParseMicrophoneSwitch(" Shift+7 ");
  EXPECT_EQ(s.kind, Kind::kKey);
  EXPECT_EQ(s.key.key, '7');
  EXPECT_TRUE(s.key.shift);
  EXPECT_EQ(DescribeSwitch(s), "Shift+7");
  EXPECT_EQ(DescribeSwitch(ParseMicrophoneSwitch("Z")), "key Z");
  s = ParseMicrophoneSwitch("joystick:4:button:15");
  EXPECT_EQ(s.kind, Kind::kJoystick);
  EXPECT_EQ(s.joystick, 4);
  EXPECT_EQ(s.button, 15);
  EXPECT_EQ(DescribeSwitch(s), "joystick 4 button 15");
}

TEST(MicrophoneSwitchTest, AnythingElseMeansVoiceActivation) {
  for (const char* text : {"", "   ", "F1", "qq", "shift+", "ctrl+q", "shift+shift+q", "+", "joystick:5:button:1",
                           "joystick:1:button:16", "joystick:-1:button:1", "joystick:1:button:3x", "joystick:1:axis:1",
                           "joystick::button:1", "joystick:1"})
    EXPECT_EQ(ParseMicrophoneSwitch(text).kind, Kind::kVoiceActivation) << text;
  EXPECT_EQ(DescribeSwitch({}), "voice activation");
}

class ScriptedJoysticks : public platform::Joysticks {
 public:
  explicit ScriptedJoysticks(std::vector<std::optional<std::uint32_t>> states) : states_(std::move(states)) {}
  std::optional<std::uint32_t> HeldButtons(int n) override {
    asked = n;
    return at_ < states_.size() ? states_[at_++] : std::nullopt;
  }
  int asked = -1;

 private:
  std::vector<std::optional<std::uint32_t>> states_;
  std::size_t at_ = 0;
};

TEST(MicrophoneSwitchTest, AButtonCountsWhenItGoesDown) {
  // Button 3 of joystick 1: held over two polls, other buttons, released,
  // pressed again, then the joystick goes away.
  auto sticks = std::make_unique<ScriptedJoysticks>(std::vector<std::optional<std::uint32_t>>{
      0u, 0x8u, 0x8u, 0x7u, 0x0u, 0xFFu, std::nullopt});
  auto* js = sticks.get();
  MicrophoneSwitch sw(ParseMicrophoneSwitch("joystick:1:button:3"), nullptr, std::move(sticks));
  std::vector<int> presses;
  for (int i = 0; i < 7; ++i) presses.push_back(sw.TakePresses());
  EXPECT_EQ(presses, (std::vector<int>{0, 1, 0, 0, 0, 1, 0}));
  EXPECT_EQ(js->asked, 1);
  EXPECT_EQ(sw.Status(), "Microphone switch: joystick 1 button 3 (joystick not found)");
}

class CountedKeys : public platform::GlobalKeys {
 public:
  int TakePresses() override { return std::exchange(presses, 0); }
  bool Watching() const override { return watching; }
  std::string NotWatchingReason() const override { return "no X server answers"; }
  int presses = 0;
  bool watching = true;
};

TEST(MicrophoneSwitchTest, SaysWhetherTheKeyIsWatched) {
  auto keys = std::make_unique<CountedKeys>();
  auto* k = keys.get();
  MicrophoneSwitch sw(ParseMicrophoneSwitch("shift+q"), std::move(keys), nullptr);
  k->presses = 2;
  EXPECT_EQ(sw.TakePresses(), 2);
  EXPECT_EQ(sw.Status(), "Microphone switch: Shift+Q");
  k->watching = false;
  EXPECT_EQ(sw.Status(), "Microphone switch: Shift+Q (not watched: no X server answers)");
  MicrophoneSwitch none(ParseMicrophoneSwitch(""), nullptr, nullptr);
  EXPECT_TRUE(none.VoiceActivation());
  EXPECT_EQ(none.TakePresses(), 0);
  EXPECT_EQ(none.Status(), "No microphone switch: voice activation, listening continuously");
}

}  // namespace
}  // namespace talvane::quarrowr
