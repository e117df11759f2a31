// The engine library as its hosts load it (libondrix.so from the program
// folder), a compiled copy of the shipped program folder, and synthesised
// speech.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/ondrix.h"
#include "support/test_support.h"

namespace talvane::test {

// fnOndrixDLL_Call of the program folder's libondrix.so, loaded once.
using OndrixFn = std::int32_t (*)(SREC_COMMAND_OBJECT*);
OndrixFn Ondrix();

struct EngineResult {
  std::int32_t rc = 0;
  std::uint32_t confidence = 0;
  std::string text;
};
std::int32_t Send(std::int32_t code);
// RECOGNIZE with a fresh buffer.
EngineResult Recognize();

// A program folder compiled once per test program (navaids off, so INIT is
// quick), shared by the tests that only read it.
const fs::path& CompiledProgram();
// A fresh copy of it, for tests that change files.
void CopyProgram(const fs::path& to);
// The simulator folder the tools find through WINEPREFIX.
const fs::path& WinePrefix();

// Speech of `text` by copilot voice `voice` (1-4) at rate `rate` (0-100,
// 50 normal), written once per test program and reused.
fs::path Speech(const std::string& text, int voice = 2, int rate = 50);
// Speech straight from espeak-ng with a voice the benchmark never uses.
fs::path HeldOutSpeech(const std::string& text, const std::string& voice, int wpm);
// Silence of the given length.
fs::path Silence(double seconds);

// Makes the audio-in device read `wav` (nullptr: no file, a sound card is needed).
void UseWav(const fs::path* wav);

// Changes the current directory for its lifetime.
class InDirectory {
 public:
  explicit InDirectory(const fs::path& p);
  ~InDirectory();

 private:
  fs::path old_;
};

}  // namespace talvane::test
