// The speech port over the program's speech libraries: libondrix.so for
// recognition and rule switching, libkelo.so for the copilot voice. Every
// call runs on the libraries' speech thread, in order, so a recognition
// asked for after a readback starts once the readback has been spoken.
#pragma once

#include <functional>

#include "outside/outside_libraries.h"
#include "quarrowr/speech_port.h"

namespace talvane::quarrowr {

class EngineSpeech : public SpeechPort {
 public:
  // `toModule` runs a job on the module's thread (the window's event loop).
  using Poster = std::function<void(std::function<void()>)>;
  EngineSpeech(OutsideLibraries& libraries, Poster toModule) : libs_(libraries), post_(std::move(toModule)) {}

  bool Start(std::string& why) override;
  void Recognize(std::function<void(Recognition)> done) override;
  void SwitchResponses(const std::vector<std::string>& rules) override;
  void Speak(int voice, std::string_view text) override;
  void Stop() override;

  // The longest a readback may hold up the next recognition.
  static constexpr int kSpeechWaitMs = 30000;

 private:
  OutsideLibraries& libs_;
  Poster post_;
  bool keloStarted_ = false;
};

}  // namespace talvane::quarrowr
