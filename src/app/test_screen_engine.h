// The grammar test screen's binding to the engine library. The screen sends
// a command code and a text and expects 16-bit results (-3 for an engine
// failure, -2 for nothing valid recognised); the engine takes a command
// record with its own result buffer and answers -96 to -100. The test
// grammar is compiled in Grammars/Test, and the engine is started there, so
// it loads exactly the test grammar and its lists.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "common/context.h"
#include "engine/ondrix.h"
#include "grammar/compile_pipeline.h"
#include "grammar/grammar_writer.h"

namespace talvane {

// The engine's entry point as the host reaches it (OutsideLibraries::
// fnOndrixDLL_Call): the command, and the folder the call starts in (empty:
// the program folder).
using OndrixCall = std::function<std::int32_t(SREC_COMMAND_OBJECT*, const std::filesystem::path& start_folder)>;

// The screen's codes: 0 opens the test, 1 is the start button, 3 the return
// button.
inline constexpr std::int16_t kTestOpen = 0, kTestStart = 1, kTestReturn = 3;
inline constexpr std::int16_t kTestEngineError = -3, kTestNothingValid = -2;

class TestScreenEngine {
 public:
  TestScreenEngine(Context& ctx, OndrixCall call) : ctx_(ctx), call_(std::move(call)) {}

  // Writes the test grammar for phrase `phrase` of command `command` into
  // Grammars\Test (nothing else is left there), compiles it with the
  // compiler library (command 1, value2 1) and puts the language model
  // beside it. 0 on success, 1 on failure (an unwritable grammar file has
  // then been reported and the program ended).
  int PrepareTestGrammar(const GrammarInputs& in, int command, int phrase, const BinCompileCall& compile);

  // One engine call of the screen. `engine_text` receives the command text
  // (Windows-1252) after a recognition.
  std::int16_t Call(std::int16_t code, std::string& engine_text);

  std::uint32_t LastConfidence() const { return confidence_; }

 private:
  std::int32_t Send(std::int32_t code, char16_t* buffer, const std::filesystem::path& start_folder = {});

  Context& ctx_;
  OndrixCall call_;
  std::uint32_t confidence_ = 0;
};

}  // namespace talvane
