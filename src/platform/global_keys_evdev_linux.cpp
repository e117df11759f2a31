#include <fcntl.h>
#include <linux/input.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <utility>

#include "platform/global_keys.h"

namespace talvane::platform {

namespace {

// The kernel numbers keys by their place on a US keyboard, not by letter.
unsigned KernelCode(char c) {
  static constexpr std::pair<char, unsigned> kKeys[] = {
      {'a', KEY_A}, {'b', KEY_B}, {'c', KEY_C}, {'d', KEY_D}, {'e', KEY_E}, {'f', KEY_F}, {'g', KEY_G},
      {'h', KEY_H}, {'i', KEY_I}, {'j', KEY_J}, {'k', KEY_K}, {'l', KEY_L}, {'m', KEY_M}, {'n', KEY_N},
      {'o', KEY_O}, {'p', KEY_P}, {'q', KEY_Q}, {'r', KEY_R}, {'s', KEY_S}, {'t', KEY_T}, {'u', KEY_U},
      {'v', KEY_V}, {'w', KEY_W}, {'x', KEY_X}, {'y', KEY_Y}, {'z', KEY_Z}, {'0', KEY_0}, {'1', KEY_1},
      {'2', KEY_2}, {'3', KEY_3}, {'4', KEY_4}, {'5', KEY_5}, {'6', KEY_6}, {'7', KEY_7}, {'8', KEY_8},
      {'9', KEY_9}};
  for (const auto& [ch, code] : kKeys)
    if (ch == c) return code;
  return 0;
}

}  // namespace

EvdevGlobalKeys::EvdevGlobalKeys(WatchedKey key, std::string folder, std::chrono::milliseconds rescan)
    : key_(key), code_(KernelCode(key.key)), folder_(std::move(folder)), rescan_(rescan) {
  Scan();
}

EvdevGlobalKeys::~EvdevGlobalKeys() {
  for (auto& d : devices_) ::close(d.fd);
}

void EvdevGlobalKeys::Scan() {
  next_scan_ = std::chrono::steady_clock::now() + rescan_;
  std::error_code ec;
  int refused = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder_, ec)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("event", 0) != 0) continue;
    const std::string path = entry.path().string();
    if (std::any_of(devices_.begin(), devices_.end(), [&](const Device& d) { return d.path == path; })) continue;
    // Not grabbed: the focused window gets the key as well.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      refused += errno == EACCES || errno == EPERM;
      continue;
    }
    // Whatever a file held before the watch began is not a press (a device
    // cannot seek and has nothing old to give).
    (void)::lseek(fd, 0, SEEK_END);
    devices_.push_back({path, fd});
  }
  if (!devices_.empty())
    reason_.clear();
  else if (refused > 0)
    reason_ = "no X server answers, and " + folder_ + " may not be read: join the \"input\" group";
  else
    reason_ = "no X server answers, and there is no keyboard in " + folder_;
}

int EvdevGlobalKeys::Read(Device& d) {
  int presses = 0;
  input_event events[64];
  for (;;) {
    const ssize_t n = ::read(d.fd, events, sizeof events);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return presses;
    if (n < 0) {  // unplugged
      ::close(d.fd);
      d.fd = -1;
      return presses;
    }
    if (n == 0) return presses;
    for (std::size_t i = 0; i < static_cast<std::size_t>(n) / sizeof(input_event); ++i) {
      const input_event& e = events[i];
      if (e.type != EV_KEY) continue;
      // 1 down, 0 up, 2 the keyboard's repeat (not a new press).
      if (e.code == KEY_LEFTSHIFT || e.code == KEY_RIGHTSHIFT) {
        if (e.value == 1) ++shift_down_;
        if (e.value == 0 && shift_down_ > 0) --shift_down_;
      } else if (code_ != 0 && e.code == code_) {
        if (e.value == 1 && !key_down_ && (shift_down_ > 0) == key_.shift) ++presses;
        if (e.value != 2) key_down_ = e.value == 1;
      }
    }
    if (static_cast<std::size_t>(n) < sizeof events) return presses;
  }
}

int EvdevGlobalKeys::TakePresses() {
  if (std::chrono::steady_clock::now() >= next_scan_) Scan();
  int presses = 0;
  for (auto& d : devices_) presses += Read(d);
  std::erase_if(devices_, [](const Device& d) { return d.fd < 0; });
  return presses;
}

std::unique_ptr<GlobalKeys> WatchKey(WatchedKey key) {
  auto x11 = std::make_unique<X11GlobalKeys>(key);
  if (x11->Watching()) return x11;
  auto evdev = std::make_unique<EvdevGlobalKeys>(key);
  if (evdev->Watching()) return evdev;
  return x11;
}

}  // namespace talvane::platform
