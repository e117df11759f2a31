// The outside libraries the program calls: text-to-speech (libkelo.so), the
// grammar compiler (libgrisk.so) and the recognition engine (libondrix.so).
// Each is loaded from the program folder at its first call and stays loaded
// until this object goes. No call is made before SpeechLibrariesReady is set;
// a library that is missing or lacks its entry point is reported in the
// message dialog (once per library), and its calls then answer kNotCalled.
#pragma once

#include <string>
#include <string_view>

#include "common/context.h"

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
  ~OutsideLibraries();
  OutsideLibraries(const OutsideLibraries&) = delete;
  OutsideLibraries& operator=(const OutsideLibraries&) = delete;

  // Set by start-up just before the two initialisations; never cleared.
  bool SpeechLibrariesReady = false;

  // `text` is Windows-1252, as the program holds it.
  int fnKELOspeak_Call(int command, int voice, int value3, int value4, std::string_view text);
  int fnBinCompile_Call(int command, int value2, int value3);
  // The engine's entry point fnOndrixDLL_Call, for its caller to cast to the
  // engine's signature; nullptr when the call may not be made.
  void* OndrixEntry();

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
  Library kelo_{kKeloLibrary, "fnKELOspeak_Call"};
  Library grisk_{kGriskLibrary, "fnBinCompile_Call"};
  Library ondrix_{kOndrixLibrary, "fnOndrixDLL_Call"};
};

}  // namespace talvane
