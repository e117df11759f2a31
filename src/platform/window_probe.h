// Whether the simulator and the in-flight voice module are running, as the
// program finds out by looking for their top-level windows, and the close
// request the program sends the voice module. The X11 probes
// implement it; tests use a fake.
#pragma once

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

}  // namespace talvane::platform
