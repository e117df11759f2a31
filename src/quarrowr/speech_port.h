// The recognition engine and the copilot voice as the voice module uses
// them. The real one (engine_speech.h) runs every call on the speech thread;
// tests script the results.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace talvane::quarrowr {

struct Recognition {
  std::int32_t result = 0;  // the engine's code: 0, or SR_FAILED and the others
  std::uint32_t confidence = 0;
  std::string text;  // the command text, Windows-1252; empty when nothing was recognised
};

class SpeechPort {
 public:
  virtual ~SpeechPort() = default;
  // Starts the engine on the program's compiled grammars. False when it
  // could not be started; `why` says so.
  virtual bool Start(std::string& why) = 0;
  // Starts one recognition and returns at once; `done` runs later on the
  // module's own thread with the result. The engine ends the utterance at
  // the end of speech.
  virtual void Recognize(std::function<void(Recognition)> done) = 0;
  // Switches the checklist responses named (rule names "<SET>") on, and
  // the others off, before the next recognition; none named: all off.
  virtual void SwitchResponses(const std::vector<std::string>& rules) = 0;
  // Speaks `text` (Windows-1252) with copilot voice `voice`; a recognition
  // asked for after it starts once the speech has ended, so the copilot is
  // never heard as the pilot.
  virtual void Speak(int voice, std::string_view text) = 0;
  // Ends a recognition that runs and stops the engine.
  virtual void Stop() = 0;
};

}  // namespace talvane::quarrowr
