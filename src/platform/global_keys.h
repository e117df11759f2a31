// One key of the keyboard watched wherever the input focus is, without
// taking it from the window that has it: the voice module's microphone
// switch, pressed while the simulator has the focus. The X11 watcher opens a
// display connection of its own and selects X Input 2 raw key events on the
// root windows, which the server sends besides the normal events. No X
// server, or a server that goes away, means no presses (the watcher tries
// again every few seconds), never a crash.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace talvane::platform {

// A key of the main block as the switch names it: 'a' to 'z' or '0' to '9',
// with Shift held or not. A digit is the digit row's key.
struct WatchedKey {
  char key = 0;
  bool shift = false;
};

class GlobalKeys {
 public:
  virtual ~GlobalKeys() = default;
  // The presses of the watched key since the last call; never waits. A key
  // held down counts once, however long the keyboard repeats it.
  virtual int TakePresses() = 0;
  // True while the key can be watched.
  virtual bool Watching() const = 0;
  // Why it is not watched, for the window.
  virtual std::string NotWatchingReason() const = 0;
};

class X11GlobalKeys : public GlobalKeys {
 public:
  // `display` empty: the DISPLAY of the environment.
  explicit X11GlobalKeys(WatchedKey key, std::string display = {});
  ~X11GlobalKeys() override;
  X11GlobalKeys(const X11GlobalKeys&) = delete;
  X11GlobalKeys& operator=(const X11GlobalKeys&) = delete;

  int TakePresses() override;
  bool Watching() const override { return display_ != nullptr && !lost_; }
  std::string NotWatchingReason() const override { return "no X server answers"; }

  // How long after a failed or lost connection the next one is tried.
  static constexpr std::chrono::seconds kRetry{3};

 private:
  bool Open();
  void Close();
  static int ConnectionLost(void* display, void* self);

  WatchedKey key_;
  std::string name_;
  void* display_ = nullptr;  // Display*
  int opcode_ = 0;           // the X Input extension's major opcode
  unsigned keycode_ = 0;
  unsigned shift_keycodes_[2] = {0, 0};
  int shift_down_ = 0;
  bool key_down_ = false;
  bool lost_ = false;
  std::chrono::steady_clock::time_point next_try_{};
};

// Where no X server answers (a Wayland session without XWayland, a
// console): the kernel's keyboard devices, /dev/input/event*, read without
// grabbing them, so the key still reaches the simulator. Reading them needs
// the "input" group; the reason says so when none can be opened. Devices
// plugged in later are found at the next rescan.
class EvdevGlobalKeys : public GlobalKeys {
 public:
  explicit EvdevGlobalKeys(WatchedKey key, std::string folder = "/dev/input",
                           std::chrono::milliseconds rescan = std::chrono::seconds(3));
  ~EvdevGlobalKeys() override;
  EvdevGlobalKeys(const EvdevGlobalKeys&) = delete;
  EvdevGlobalKeys& operator=(const EvdevGlobalKeys&) = delete;

  int TakePresses() override;
  bool Watching() const override { return !devices_.empty(); }
  std::string NotWatchingReason() const override { return reason_; }

 private:
  struct Device {
    std::string path;
    int fd = -1;
  };
  void Scan();
  int Read(Device& d);

  WatchedKey key_;
  unsigned code_ = 0;  // the key's code in the kernel's numbering; 0: none
  std::string folder_;
  std::chrono::milliseconds rescan_;
  std::chrono::steady_clock::time_point next_scan_{};
  std::vector<Device> devices_;
  std::string reason_;
  int shift_down_ = 0;
  bool key_down_ = false;
};

// The X server's raw key events where one answers, else the kernel's
// keyboard devices; with neither, the X watcher (it tries again).
std::unique_ptr<GlobalKeys> WatchKey(WatchedKey key);

}  // namespace talvane::platform
