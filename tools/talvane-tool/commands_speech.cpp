// The outside speech libraries from the command line: compiling the
// grammars through libgrisk.so, speaking and listing voices through
// libkelo.so, and the compile benchmark.
#include <sys/resource.h>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "catalogue/command_catalogue.h"
#include "catalogue/settings.h"
#include "common/files.h"
#include "common/text.h"
#include "grammar/category_list.h"
#include "grammar/compile_pipeline.h"
#include "grammar/grammar_writer.h"
#include "grammar/navaid_lists.h"
#include "outside/outside_libraries.h"
#include "app/program.h"
#include "tool.h"

namespace talvane::tool {

namespace {

constexpr int kKeloInitialise = 0, kKeloSpeak = 1, kKeloVoicePresent = 5, kKeloWait = 6;
constexpr int kGriskInitialise = 0, kGriskShutdown = 2;

// The voices the program offers, by number.
constexpr const char* kVoiceNames[] = {"Samantha (US English)", "Tom (US English)", "Daniel (UK English)",
                                       "Emily (UK English)"};

bool ParseNumber(const std::string& a, int lo, int hi, int& v) {
  auto [p, ec] = std::from_chars(a.data(), a.data() + a.size(), v);
  return ec == std::errc() && p == a.data() + a.size() && v >= lo && v <= hi;
}

// The compiler's report, as far as a user needs it: its errors and warnings
// and the summary line.
void PrintCompileReport(const fs::path& log) {
  std::ifstream in(log);
  std::string line;
  bool in_errors = false;
  while (std::getline(in, line)) {
    if (line == "Errors and warnings:") in_errors = true;
    if (line.empty()) in_errors = false;
    if (in_errors || line.rfind("Summary:", 0) == 0) Out(line);
  }
}

CompileOutcome WriteAndCompile(Program& p) {
  OutsideLibraries& libs = p.libraries;
  libs.SpeechLibrariesReady = true;
  libs.fnBinCompile_Call(kGriskInitialise, 0, 0);
  const CompileOutcome outcome = SaveAndCompileGrammars(
      p.ctx, p.grammarInputs(), [&](int c, int v2, int v3) { return libs.fnBinCompile_Call(c, v2, v3); });
  libs.fnBinCompile_Call(kGriskShutdown, 0, 0);
  return outcome;
}

// Neither the simulator nor the voice module: the tool never offers a restart.
struct NoWindows : platform::WindowProbe {
  bool IsSimulatorRunning() const override { return false; }
  bool IsVoiceModuleRunning() const override { return false; }
  bool CloseVoiceModule() override { return false; }
};

int Compile(Invocation& inv) {
  Program p(inv.ctx.program_folder, inv.ui);
  if (!p.Load(kGrammarData)) return 1;
  const CompileOutcome outcome = WriteAndCompile(p);
  if (outcome == CompileOutcome::kCompiled || outcome == CompileOutcome::kCompileFailed)
    PrintCompileReport(inv.ctx.File("\\Grammars\\grmcmplog.txt"));
  if (outcome != CompileOutcome::kCompiled && !inv.ui.exit_requested)
    inv.ui.ShowMessage(CompileOutcomeMessage(outcome, NoWindows{}));
  if (outcome == CompileOutcome::kGrammarFileUnwritable) inv.ui.ExitProgram();
  return Status(inv, outcome == CompileOutcome::kCompiled);
}

int Speak(Invocation& inv) {
  int voice = 0, volume = 100, rate = 50;
  std::string text;
  for (std::size_t i = 0; i < inv.args.size(); ++i) {
    const std::string& a = inv.args[i];
    auto option = [&](const char* name, int lo, int hi, int& v) {
      if (a != name) return false;
      if (i + 1 >= inv.args.size() || !ParseNumber(inv.args[i + 1], lo, hi, v))
        throw std::runtime_error(std::string(name) + " needs a number from " + std::to_string(lo) + " to " +
                                 std::to_string(hi));
      ++i;
      return true;
    };
    if (option("--voice", 0, 32767, voice) || option("--volume", 0, 100, volume) || option("--rate", 0, 100, rate))
      continue;
    text += (text.empty() ? "" : " ") + a;
  }
  if (text.empty()) return UsageError("usage: talvane-tool speak [--voice N] [--volume P] [--rate R] TEXT");
  // The library works in the program folder: a relative KELO_WAV names a
  // file in the directory the tool was started from.
  if (const char* wav = std::getenv("KELO_WAV"); wav && *wav)
    ::setenv("KELO_WAV", std::filesystem::absolute(wav).c_str(), 1);
  OutsideLibraries libs(inv.ctx);
  libs.SpeechLibrariesReady = true;
  libs.fnKELOspeak_Call(kKeloInitialise, 0, 0, 0, "0");
  const int spoken = libs.fnKELOspeak_Call(kKeloSpeak, voice, volume, rate, Utf8ToCp1252(text));
  // The library speaks on a thread of its own; the tool waits for it before it exits.
  const int waited = spoken == 0 ? libs.fnKELOspeak_Call(kKeloWait, 0, 120000, 0, "0") : spoken;
  if (spoken != 0 || waited != 0) std::fprintf(stderr, "talvane-tool: speaking failed (%d)\n", spoken ? spoken : waited);
  return Status(inv, spoken == 0 && waited == 0);
}

int Voices(Invocation& inv) {
  OutsideLibraries libs(inv.ctx);
  libs.SpeechLibrariesReady = true;
  if (libs.fnKELOspeak_Call(kKeloInitialise, 0, 0, 0, "0") == OutsideLibraries::kNotCalled) return 1;
  for (int v = 1; v <= 4; ++v)
    if (libs.fnKELOspeak_Call(kKeloVoicePresent, v, 0, 0, "0") == 0)
      Out(std::to_string(v) + " " + kVoiceNames[v - 1]);
  return Status(inv, true);
}

double CpuSeconds() {
  double total = 0;
  for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
    rusage u{};
    getrusage(who, &u);
    total += static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
             static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
  }
  return total;
}

// Writes and compiles the catalogue with every navaid in a scratch copy of
// the program folder, N times, and reports the times.
int BenchCompile(Invocation& inv) {
  int runs = 3;
  if (!inv.args.empty() && !ParseNumber(inv.args[0], 1, 1000, runs))
    return UsageError("the number of runs is a whole number from 1");
  Program p(inv.ctx.program_folder, inv.ui);
  if (!p.Load(kGrammarData)) return 1;
  p.settings.compileNavaids = 1;

  ScratchFolder folder;
  const fs::path scratch = folder.ProgramFolder();
  for (const char* f : {"\\Data\\Generic Lists.bnf", "\\Grammars\\vocon3200lngenu_full.dat", "\\libgrisk.so",
                        "\\grisk-g2p"}) {
    const fs::path from = inv.ctx.File(f), to = Context{scratch, inv.ui}.File(f);
    if (!CopyFileAtomic(from, to)) throw std::runtime_error("cannot copy " + from.string() + " for the benchmark");
  }
  fs::permissions(scratch / "grisk-g2p", fs::perms::owner_exec, fs::perm_options::add);
  Context ctx{scratch, inv.ui};
  OutsideLibraries libs(ctx);
  libs.SpeechLibrariesReady = true;
  libs.fnBinCompile_Call(kGriskInitialise, 0, 0);

  using Clock = std::chrono::steady_clock;
  double write_total = 0, compile_total = 0, best = 1e30, cpu_total = 0;
  for (int i = 0; i < runs; ++i) {
    const double cpu0 = CpuSeconds();
    const auto t0 = Clock::now();
    if (SaveGrammarFiles(ctx, p.grammarInputs()) != 0) throw std::runtime_error("writing the grammar files failed");
    const auto t1 = Clock::now();
    if (libs.fnBinCompile_Call(1, 0, 1) != 0) {
      PrintCompileReport(scratch / "Grammars" / "grmcmplog.txt");
      throw std::runtime_error("compiling the grammar files failed");
    }
    const auto t2 = Clock::now();
    cpu_total += CpuSeconds() - cpu0;
    const double w = std::chrono::duration<double, std::milli>(t1 - t0).count();
    const double c = std::chrono::duration<double, std::milli>(t2 - t1).count();
    write_total += w;
    compile_total += c;
    best = std::min(best, w + c);
  }
  PrintCompileReport(scratch / "Grammars" / "grmcmplog.txt");
  char line[400];
  std::snprintf(line, sizeof line,
                "bench-compile: %d runs, %zu categories, %zu commands, %zu navaids, %zu ILS; per run: write %.0f ms, "
                "compile %.0f ms, total %.0f ms (best %.0f ms), CPU %.0f ms",
                runs, p.categories.CategoryNames.size(), p.catalogue.CommandList.size(), p.navaids.NavaidList.size(),
                p.navaids.ILSList.size(), write_total / runs, compile_total / runs, (write_total + compile_total) / runs,
                best, cpu_total * 1000 / runs);
  Out(line);
  return Status(inv, true);
}

const Registrar kRegistrar({
    {"compile", "", "write the catalogue and every grammar source, then compile them with libgrisk.so", 0, 0, Compile},
    {"speak", "[--voice N] [--volume P] [--rate R] TEXT", "speak TEXT with libkelo.so (KELO_WAV=FILE writes a WAV)", 1,
     -1, Speak},
    {"voices", "", "list the copilot voices libkelo.so has", 0, 0, Voices},
    {"bench-compile", "[N]", "time writing and compiling all grammars with navaids, N runs (default 3)", 0, 1,
     BenchCompile},
});

}  // namespace

}  // namespace talvane::tool
