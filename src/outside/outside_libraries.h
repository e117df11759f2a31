// The outside libraries the program calls: text-to-speech (libkelo.so), the
// grammar compiler (libgrisk.so) and the recognition engine (libondrix.so).
// Each is loaded from the program folder at its first call and stays loaded
// for the life of the process: the engine may run threads of its own, and
// espeak-ng, below libkelo.so, keeps a few blocks after its shutdown that
// would be lost with it. No call is made before SpeechLibrariesReady is set;
// a library that is missing or lacks its entry point is reported in the
// message dialog (once per library), and its calls then answer kNotCalled.
//
// Every call runs on this object's speech thread, in the program folder, and
// the caller waits for it. A host that must not wait posts the call to
// Speech() (a call made from there runs at once, and a library that cannot
// be loaded is then reported from the speech thread).
#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>

#include "common/context.h"
#include "engine/ondrix.h"
#include "outside/speech_thread.h"

namespace talvane {

inline constexpr const char* kKeloLibrary = "libkelo.so";
inline constexpr const char* kGriskLibrary = "libgrisk.so";
inline constexpr const char* kOndrixLibrary = "libondrix.so";

class OutsideLibraries {
 public:
  // The result of a call that was not made (libraries not ready, or the
  // library could not be loaded). Never a success code of either library.
  static constexpr int kNotCalled = -1;

  explicit OutsideLibraries(Context& ctx) : ctx_(ctx) {}
  OutsideLibraries(const OutsideLibraries&) = delete;
  OutsideLibraries& operator=(const OutsideLibraries&) = delete;

  // Set by start-up just before the two initialisations; never cleared.
  bool SpeechLibrariesReady = false;

  // `text` is Windows-1252, as the program holds it.
  int fnKELOspeak_Call(int command, int voice, int value3, int value4, std::string_view text);
  int fnBinCompile_Call(int command, int value2, int value3);
  // `start_folder`, when given, is the current directory the call starts in
  // instead of the program folder (INIT finds its grammars from there); a
  // folder that cannot be entered answers kNotCalled.
  std::int32_t fnOndrixDLL_Call(SREC_COMMAND_OBJECT* command, const std::filesystem::path& start_folder = {});
  // The engine's TERMINATE on the calling thread, without queueing: it stops
  // a recognition running on the speech thread, and returns once that has
  // ended and the recogniser is released.
  std::int32_t OndrixTerminateNow();

  SpeechThread& Speech() { return speech_; }

 private:
  struct Library {
    const char* file;
    const char* symbol;
    void* handle = nullptr;
    void* entry = nullptr;
    bool failed = false;
  };
  void* Entry(Library& lib);

  Context& ctx_;
  std::mutex loading_;  // Entry runs on the caller's thread, and TERMINATE may come from another
  Library kelo_{kKeloLibrary, "fnKELOspeak_Call"};
  Library grisk_{kGriskLibrary, "fnBinCompile_Call"};
  Library ondrix_{kOndrixLibrary, "fnOndrixDLL_Call"};
  SpeechThread speech_{ctx_.program_folder};
};

}  // namespace talvane
