// The window probe where no simulator can run: the tests say which of the
// two programs "runs", and a close request ends the voice module.
#pragma once

#include "platform/window_probe.h"

namespace talvane::test {

struct FakeWindowProbe : platform::WindowProbe {
  bool simulator = false, voice_module = false;
  int close_requests = 0;
  bool IsSimulatorRunning() const override { return simulator; }
  bool IsVoiceModuleRunning() const override { return voice_module; }
  bool CloseVoiceModule() override {
    ++close_requests;
    const bool was = voice_module;
    voice_module = false;
    return was;
  }
};

}  // namespace talvane::test
