#include <fcntl.h>
#include <linux/joystick.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/joystick.h"

namespace talvane::platform {

LinuxJoysticks::LinuxJoysticks(std::filesystem::path folder) : folder_(std::move(folder)) {}

LinuxJoysticks::~LinuxJoysticks() {
  for (Device& d : devices_) Close(d);
}

void LinuxJoysticks::Close(Device& d) {
  if (d.fd >= 0) ::close(d.fd);
  d.fd = -1;
  d.held = 0;
}

std::optional<std::uint32_t> LinuxJoysticks::HeldButtons(int n) {
  if (n < 0 || n >= kJoystickCount) return std::nullopt;
  Device& d = devices_[static_cast<std::size_t>(n)];
  if (d.fd < 0) {
    const std::string path = (folder_ / ("js" + std::to_string(n))).string();
    d.fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (d.fd < 0) return std::nullopt;
  }
  js_event e{};
  for (;;) {
    const ssize_t got = ::read(d.fd, &e, sizeof e);
    if (got == static_cast<ssize_t>(sizeof e)) {
      // The state sent on opening carries JS_EVENT_INIT as well.
      if ((e.type & ~JS_EVENT_INIT) == JS_EVENT_BUTTON && e.number < 32) {
        const std::uint32_t bit = 1u << e.number;
        d.held = e.value ? (d.held | bit) : (d.held & ~bit);
      }
      continue;
    }
    if (got < 0 && errno == EINTR) continue;
    // A recorded file still being written may end in part of a record: it
    // is read again whole next time.
    if (got > 0) ::lseek(d.fd, -got, SEEK_CUR);
    // Nothing more queued (EAGAIN) or the end of a recorded file: what is
    // held stands.
    if (got >= 0 || errno == EAGAIN) break;
    // The device went away (unplugged: ENODEV).
    Close(d);
    return std::nullopt;
  }
  return d.held;
}

}  // namespace talvane::platform
