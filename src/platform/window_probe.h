// Whether the simulator and the in-flight voice module are running, as the
// program finds out by looking for their top-level windows, and the close
// request the program sends the voice module. The X11 probes
// implement it; tests use a fake.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace talvane::platform {

// The simulator's main window class and the voice module's window title.
inline constexpr const char* kSimulatorWindowClass = "FS98MAIN";
inline constexpr const char* kVoiceModuleWindowTitle = "BX Quarrow";

class WindowProbe {
 public:
  virtual ~WindowProbe() = default;
  virtual bool IsSimulatorRunning() const = 0;
  virtual bool IsVoiceModuleRunning() const = 0;
  // Asks the voice module's window to close (the window close message);
  // false when no such window answers.
  virtual bool CloseVoiceModule() = 0;
};

// The probes over an X server. A window counts when it is a child of the root
// window, a child of one (a reparenting window manager wraps each client in a
// frame), or on the window manager's client list. The simulator's window is
// known by its WM_CLASS class, the voice module's by its title (_NET_WM_NAME
// or WM_NAME); both compare without regard to letter case, as the window
// search on Windows does. Each call opens its own
// connection, so a server that comes or goes later is seen; without a server
// nothing is running and nothing is closed. Call from one thread only (the
// X error handler is process-wide while a call runs).
class X11WindowProbe : public WindowProbe {
 public:
  // How long CloseVoiceModule waits for the window to go.
  static constexpr std::chrono::milliseconds kDefaultCloseWait{5000};

  // An empty display name means $DISPLAY.
  explicit X11WindowProbe(std::string displayName = {},
                          std::chrono::milliseconds closeWait = kDefaultCloseWait);

  bool IsSimulatorRunning() const override;
  bool IsVoiceModuleRunning() const override;
  // True when a voice-module window was asked to close, whether or not it
  // went within the wait; CloseAndWait tells the two apart.
  bool CloseVoiceModule() override;

  enum class CloseOutcome { kNoWindow, kClosed, kStillOpen };
  CloseOutcome CloseAndWait();

 private:
  std::string displayName_;
  std::chrono::milliseconds closeWait_;
};

// The id of a top-level window (as the probes count them) with that title,
// or 0 when there is none or no server. An empty display name means $DISPLAY.
unsigned long FindTopLevelWindowByTitle(const std::string& displayName, std::string_view title);

// Sends `window` the close request a window manager sends for its close
// button. False when the display cannot be opened.
bool SendCloseRequest(const std::string& displayName, unsigned long window);

}  // namespace talvane::platform
