// One key of the keyboard watched wherever the input focus is, without
// taking it from the window that has it: the voice module's microphone
// switch, pressed while the simulator has the focus. The X11 watcher opens a
// display connection of its own and selects X Input 2 raw key events on the
// root windows, which the server sends besides the normal events. No X
// server, or a server that goes away, means no presses (the watcher tries
// again every few seconds), never a crash.
#pragma once

#include <chrono>
#include <string>

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
  // True while the X server answers and the key can be watched.
  virtual bool Watching() const = 0;
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

}  // namespace talvane::platform
