#include "grammar/compile_pipeline.h"

#include "common/text.h"

namespace talvane {

namespace {

constexpr int kCompileCommand = 1;

Message ErrorMessage(const char* title, const char* what) {
  Message m;
  m.title = title;
  m.text = std::string(1, kCR) + "There was an error while " + what +
           " your grammar files.  Please contact Brevantix support at " + kSupportWebAddress + "." +
           std::string(kParagraph) + "Please press OK to continue...";
  m.icon = kIconInformation;
  return m;
}

}  // namespace

std::string CompileProgressText() {
  return Paragraphs({"Saving and compiling your grammar files.  This process will take a few minutes", "Please standby..."});
}

CompileOutcome SaveAndCompileGrammars(Context& ctx, const GrammarInputs& in,
                                      const BinCompileCall& compile) {
  const std::string text = CompileProgressText();
  ctx.ui.ShowProgress(kCompileProgressTitle, text);
  // A failed catalogue save has been reported by its writer; the grammars
  // are written from memory all the same.
  SaveCommandList(ctx, in.catalogue);
  ctx.ui.UpdateProgress(text, 10);
  const int exported = SaveGrammarFiles(ctx, in);
  ctx.ui.HideProgress();
  if (exported == kGrammarFileUnwritable) return CompileOutcome::kGrammarFileUnwritable;
  if (exported != 0) return CompileOutcome::kExportFailed;
  return compile(kCompileCommand, 0, 1) == 0 ? CompileOutcome::kCompiled : CompileOutcome::kCompileFailed;
}

Message CompileOutcomeMessage(CompileOutcome outcome, const platform::WindowProbe& windows) {
  switch (outcome) {
    case CompileOutcome::kExportFailed:
      return ErrorMessage("Grammar Export Error", "exporting");
    case CompileOutcome::kCompileFailed:
      return ErrorMessage("Grammar Compile Error", "compiling");
    case CompileOutcome::kGrammarFileUnwritable:
      return GrammarFileWriteError();
    case CompileOutcome::kCompiled:
      break;
  }
  Message m;
  m.title = "Grammars and Readbacks Saved";
  m.icon = kIconInformation;
  if (windows.IsSimulatorRunning() && windows.IsVoiceModuleRunning()) {
    m.text = Paragraphs({"All changes to the grammars and readbacks have been saved.  In order to use these changes in "
                         "FSX, the Speech Recognition engine needs to be restarted.",
                         "Press OK to restart, Cancel to continue without restarting."});
    m.cancel = true;
    m.id = "gcompile_restart";
  } else {
    m.text = std::string(1, kCR) + "All changes to the grammars and readbacks have been saved." +
             std::string(kParagraph) + "Please press OK to continue...";
  }
  return m;
}

CompileOutcome CompileGrammarsAction(Context& ctx, const GrammarInputs& in,
                                     const BinCompileCall& compile, const platform::WindowProbe& windows,
                                     CompileScreens& screens) {
  const CompileOutcome outcome = SaveAndCompileGrammars(ctx, in, compile);
  ctx.ui.ShowMessage(CompileOutcomeMessage(outcome, windows));
  if (outcome == CompileOutcome::kGrammarFileUnwritable) {
    ctx.ui.ExitProgram();
    return outcome;
  }
  screens.ConfigChanged = false;
  if (screens.DisableSaveAndCompile) screens.DisableSaveAndCompile();
  return outcome;
}

}  // namespace talvane
