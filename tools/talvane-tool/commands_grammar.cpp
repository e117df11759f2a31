// Grammar sources: writing them from the catalogue, the test grammar, and the
// writer's benchmark.
#include <chrono>
#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "catalogue/command_catalogue.h"
#include "catalogue/settings.h"
#include "common/files.h"
#include "common/text.h"
#include "grammar/category_list.h"
#include "grammar/grammar_writer.h"
#include "grammar/navaid_lists.h"
#include "app/program.h"
#include "tool.h"

namespace talvane::tool {

namespace {

bool ParseIndex(const std::string& a, int& v) {
  auto [p, ec] = std::from_chars(a.data(), a.data() + a.size(), v);
  return ec == std::errc() && p == a.data() + a.size() && v >= 0 && v <= 32767;
}

// A grammar writer's failure: an unwritable file ends the program as it does
// in the program; other failures have been reported by the writer.
int Failed(const Invocation& inv, const char* what, int result) {
  if (result == kGrammarFileUnwritable) {
    inv.ui.ShowMessage(GrammarFileWriteError());
    inv.ui.ExitProgram();
  }
  if (!inv.ui.exit_requested) std::fprintf(stderr, "talvane-tool: %s failed\n", what);
  return 1;
}

int WriteGrammars(Invocation& inv) {
  Program p(inv.ctx.program_folder, inv.ui);
  if (!p.Load(kGrammarData)) return 1;
  if (const int r = SaveGrammarFiles(inv.ctx, p.grammarInputs()); r != 0) return Failed(inv, "writing the grammar files", r);
  return Status(inv, true);
}

int WriteTestGrammar(Invocation& inv) {
  int command = 0, phrase = 0;
  if (!ParseIndex(inv.args[0], command) || !ParseIndex(inv.args[1], phrase))
    return UsageError("the command and phrase indices are whole numbers from 0");
  Program p(inv.ctx.program_folder, inv.ui);
  if (!p.Load(kGrammarData)) return 1;
  if (const int r = SaveTestGrammar(inv.ctx, p.grammarInputs(), command, phrase); r != 0)
    return Failed(inv, "writing the test grammar", r);
  return Status(inv, true);
}

// Writes every grammar source, navaid grammars included, into a scratch
// program folder N times, so the installed grammars are left alone.
int BenchGrammarWrite(Invocation& inv) {
  int runs = 10;
  if (!inv.args.empty() && (!ParseIndex(inv.args[0], runs) || runs == 0))
    return UsageError("the number of runs is a whole number from 1");
  Program p(inv.ctx.program_folder, inv.ui);
  if (!p.Load(kGrammarData)) return 1;
  p.settings.compileNavaids = 1;

  ScratchFolder folder;
  const fs::path scratch = folder.ProgramFolder();
  const fs::path lists = inv.ctx.File("\\Data\\Generic Lists.bnf");
  if (!CopyFileAtomic(lists, scratch / "Data" / "Generic Lists.bnf") &&
      !AtomicWriteFile(scratch / "Data" / "Generic Lists.bnf", ""))
    throw std::runtime_error("cannot prepare the scratch folder");
  Context ctx{scratch, inv.ui};

  using Clock = std::chrono::steady_clock;
  double best = 1e30, total = 0;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    if (const int r = SaveGrammarFiles(ctx, p.grammarInputs()); r != 0) return Failed(inv, "writing the grammar files", r);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    best = std::min(best, ms);
    total += ms;
  }
  std::uintmax_t bytes = 0;
  for (const auto& e : fs::directory_iterator(scratch / "Grammars"))
    if (e.is_regular_file()) bytes += e.file_size();
  char line[256];
  std::snprintf(line, sizeof line,
                "bench-grammar-write: %d runs, %zu categories, %zu commands, %zu navaids, %zu ILS; "
                "%.1f ms per run (best %.1f ms), %ju bytes of grammar per run",
                runs, p.categories.CategoryNames.size(), p.catalogue.CommandList.size(), p.navaids.NavaidList.size(),
                p.navaids.ILSList.size(), total / runs, best, bytes);
  Out(line);
  return Status(inv, true);
}

const Registrar kRegistrar({
    {"write-grammars", "", "write every grammar source into Grammars", 0, 0, WriteGrammars},
    {"write-test-grammar", "C P", "write Grammars/Test/Test.bnf for phrase P of command C", 2, 2, WriteTestGrammar},
    {"bench-grammar-write", "[N]", "time writing all grammar sources with navaids, N runs (default 10)", 0, 1,
     BenchGrammarWrite},
});

}  // namespace

}  // namespace talvane::tool
