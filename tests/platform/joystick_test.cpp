// The Linux joysticks read from recorded js_event records: the state sent on
// opening, later presses and releases, and devices that are not there.
#include <gtest/gtest.h>
#include <linux/joystick.h>

#include <fstream>

#include "platform/joystick.h"
#include "support/test_support.h"

namespace talvane::test {
namespace {

js_event Event(std::uint8_t type, std::uint8_t number, std::int16_t value) {
  js_event e{};
  e.type = type;
  e.number = number;
  e.value = value;
  return e;
}

void Append(const fs::path& file, std::initializer_list<js_event> events, std::size_t cut = 0) {
  std::ofstream out(file, std::ios::binary | std::ios::app);
  std::string bytes;
  for (const js_event& e : events) bytes.append(reinterpret_cast<const char*>(&e), sizeof e);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size() - cut));
}

TEST(LinuxJoysticks, ButtonsFollowTheRecordedEvents) {
  TempFolder dev;
  const fs::path js1 = dev / "js1";
  // The driver's opening state: button 0 up, button 3 down, an axis.
  Append(js1, {Event(JS_EVENT_BUTTON | JS_EVENT_INIT, 0, 0), Event(JS_EVENT_BUTTON | JS_EVENT_INIT, 3, 1),
               Event(JS_EVENT_AXIS | JS_EVENT_INIT, 3, 1)});
  platform::LinuxJoysticks joysticks(dev.path());
  EXPECT_EQ(joysticks.HeldButtons(0), std::nullopt);
  EXPECT_EQ(joysticks.HeldButtons(1), 1u << 3);  // the axis is not button 3 again
  EXPECT_EQ(joysticks.HeldButtons(1), 1u << 3);  // nothing new: still held

  Append(js1, {Event(JS_EVENT_BUTTON, 5, 1), Event(JS_EVENT_BUTTON, 3, 0), Event(JS_EVENT_BUTTON, 31, 1),
               Event(JS_EVENT_BUTTON, 40, 1)});
  EXPECT_EQ(joysticks.HeldButtons(1), (1u << 5) | (1u << 31));  // button 40 has no bit: left out

  // A record written in part is read once it is whole.
  Append(js1, {Event(JS_EVENT_BUTTON, 5, 0)}, 3);
  EXPECT_EQ(joysticks.HeldButtons(1), (1u << 5) | (1u << 31));
  {
    std::ofstream out(js1, std::ios::binary | std::ios::app);
    const js_event e = Event(JS_EVENT_BUTTON, 5, 0);
    out.write(reinterpret_cast<const char*>(&e) + sizeof e - 3, 3);
  }
  EXPECT_EQ(joysticks.HeldButtons(1), 1u << 31);
}

TEST(LinuxJoysticks, OnlyJoysticksZeroToFourAndThoseThatExist) {
  TempFolder dev;
  for (const char* name : {"js4", "js5"}) Append(dev / name, {Event(JS_EVENT_BUTTON | JS_EVENT_INIT, 1, 1)});
  platform::LinuxJoysticks joysticks(dev.path());
  EXPECT_EQ(joysticks.HeldButtons(4), 2u);
  EXPECT_EQ(joysticks.HeldButtons(5), std::nullopt);
  EXPECT_EQ(joysticks.HeldButtons(-1), std::nullopt);
  // A joystick plugged in later is found.
  EXPECT_EQ(joysticks.HeldButtons(2), std::nullopt);
  Append(dev / "js2", {});
  EXPECT_EQ(joysticks.HeldButtons(2), 0u);
  // A folder that does not exist has no joysticks.
  platform::LinuxJoysticks none(dev / "missing");
  for (int n = 0; n < platform::kJoystickCount; ++n) EXPECT_EQ(none.HeldButtons(n), std::nullopt);
}

}  // namespace
}  // namespace talvane::test
