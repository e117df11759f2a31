// The joysticks as the microphone switch capture reads them: joysticks 0 to
// 4, each present or not, and which of its buttons are held. The Linux
// joystick interface implements it; its device folder can be pointed at
// files of recorded events, so tests need no device.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>

namespace talvane::platform {

inline constexpr int kJoystickCount = 5;

class Joysticks {
 public:
  virtual ~Joysticks() = default;
  // The buttons held on joystick `n` (0 to 4), bit b set for button b
  // (buttons 0 to 31); nullopt when there is no such joystick.
  virtual std::optional<std::uint32_t> HeldButtons(int n) = 0;
};

// /dev/input/js0 to js4, opened non-blocking on first use. Every call reads
// the events queued since the last one (the driver sends the state of each
// button when the device is opened), so a call never waits. A device that
// goes away is closed and looked for again on the next call.
class LinuxJoysticks : public Joysticks {
 public:
  explicit LinuxJoysticks(std::filesystem::path folder = "/dev/input");
  ~LinuxJoysticks() override;
  LinuxJoysticks(const LinuxJoysticks&) = delete;
  LinuxJoysticks& operator=(const LinuxJoysticks&) = delete;

  std::optional<std::uint32_t> HeldButtons(int n) override;

 private:
  struct Device {
    int fd = -1;
    std::uint32_t held = 0;
  };
  void Close(Device& d);

  std::filesystem::path folder_;
  std::array<Device, kJoystickCount> devices_;
};

}  // namespace talvane::platform
