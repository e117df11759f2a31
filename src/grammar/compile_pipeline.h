// The "compile" action of the speech configuration screen: save the
// catalogue, write every grammar source, have the compiler library compile
// them, and tell the user the outcome.
#pragma once

#include <functional>
#include <string>

#include "common/context.h"
#include "grammar/grammar_writer.h"
#include "platform/window_probe.h"

namespace talvane {

// Where the error messages send the user.
inline constexpr const char* kSupportWebAddress = "https://talvane.example/support";

// fnBinCompile_Call of the compiler library (command, value2, value3).
using BinCompileCall = std::function<int(int, int, int)>;

// kGrammarFileUnwritable: a grammar file could not be written; the program
// must end after telling the user.
enum class CompileOutcome { kExportFailed, kCompileFailed, kCompiled, kGrammarFileUnwritable };

// Steps 1-7 without the messages: progress, catalogue, grammar sources, and
// the compile call (1, 0, 1). The progress dialog is closed on return.
CompileOutcome SaveAndCompileGrammars(Context& ctx, const GrammarInputs& in,
                                      const BinCompileCall& compile);

// The message for an outcome: the export or compile error, or (compiled)
// the restart question when both the simulator and the voice module run,
// else the plain confirmation.
Message CompileOutcomeMessage(CompileOutcome outcome, const platform::WindowProbe& windows);

// What the action changes on the screens once it is over.
struct CompileScreens {
  bool& ConfigChanged;                             // the configuration screen's change flag
  std::function<void()> DisableSaveAndCompile;     // the parent window's save and compile buttons
};

// The whole action: steps 1-9, then the change flag is cleared and the
// buttons disabled whatever the outcome. An unwritable grammar file is
// reported and ends the program, and nothing follows it.
CompileOutcome CompileGrammarsAction(Context& ctx, const GrammarInputs& in,
                                     const BinCompileCall& compile, const platform::WindowProbe& windows,
                                     CompileScreens& screens);

// The texts the action shows, for the screens and the tests.
inline constexpr const char* kCompileProgressTitle = "Compiling Grammar Files";
std::string CompileProgressText();

}  // namespace talvane
