// The recognition engine from the command line: one recognition through
// libondrix.so on the program folder's compiled grammars, the test screen's
// path for one phrase, switching the checklist responses, and the
// recognition benchmark.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "catalogue/command_catalogue.h"
#include "catalogue/settings.h"
#include "common/files.h"
#include "common/split.h"
#include "common/text.h"
#include "app/test_screen_engine.h"
#include "engine/ondrix.h"
#include "grammar/category_list.h"
#include "grammar/grammar_writer.h"
#include "grammar/navaid_lists.h"
#include "grisk/bgm_format.h"
#include "outside/outside_libraries.h"
#include "app/program.h"
#include "tool.h"
#include "training/voice_profiles.h"
#include "vocon/network.h"
#include "common/wav_file.h"

namespace talvane::tool {

namespace {

namespace fs = std::filesystem;

constexpr int kKeloInitialise = 0, kKeloSpeak = 1, kKeloWait = 6;
constexpr int kGriskInitialise = 0, kGriskShutdown = 2;

// --wav FILE anywhere in the arguments: the audio-in device reads it.
bool TakeWav(std::vector<std::string>& args) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] != "--wav") continue;
    if (i + 1 >= args.size()) throw std::runtime_error("--wav needs a file");
    if (!FileExists(args[i + 1])) throw std::runtime_error("no such file: " + args[i + 1]);
    ::setenv("AUDIOIN_WAV", fs::absolute(args[i + 1]).c_str(), 1);
    args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
    return true;
  }
  return false;
}

std::string Text(const char16_t* s) {
  std::string out;
  for (; s && *s; ++s) {
    if (*s < 0x80) {
      out += static_cast<char>(*s);
    } else {
      std::string tmp;
      AppendUtf8(tmp, *s);
      out += tmp;
    }
  }
  return out;
}

struct Engine {
  OndrixCall call;
  std::int32_t Send(std::int32_t code, char16_t* buffer = nullptr, std::uint32_t* confidence = nullptr) {
    SREC_COMMAND_OBJECT r{code, 0, buffer};
    const std::int32_t rc = call(&r, {});
    if (confidence) *confidence = r.CmdConfidence;
    return rc;
  }
};

// The engine's calls run on the libraries' speech thread, in the program
// folder; a library that cannot be loaded is reported at the first call.
OndrixCall LoadEngine(OutsideLibraries& libs) {
  libs.SpeechLibrariesReady = true;
  return [&libs](SREC_COMMAND_OBJECT* c, const fs::path& from) { return libs.fnOndrixDLL_Call(c, from); };
}

// INIT, then `before` (a rule command or nothing), one RECOGNIZE, TERMINATE.
int RecognizeOnce(Invocation& inv, std::int32_t before) {
  OutsideLibraries libs(inv.ctx);
  Engine e{LoadEngine(libs)};
  std::int32_t rc = e.Send(SR_INIT);
  if (rc == 0 && before >= 0) rc = e.Send(before);
  std::vector<char16_t> buffer(SR_AGGREGATE_SIZE, u'\0');
  std::uint32_t confidence = 0;
  if (rc == 0) rc = e.Send(SR_RECOGNIZE, buffer.data(), &confidence);
  e.Send(SR_TERMINATE);
  Out("result=" + std::to_string(rc) + " confidence=" + std::to_string(confidence) + " text=" + Text(buffer.data()));
  return Status(inv, rc == 0);
}

int Recognize(Invocation& inv) {
  TakeWav(inv.args);
  if (!inv.args.empty()) return UsageError("usage: talvane-tool recognize [--wav FILE]");
  return RecognizeOnce(inv, -1);
}

int Rules(Invocation& inv) {
  TakeWav(inv.args);
  if (inv.args.size() != 1 || (inv.args[0] != "on" && inv.args[0] != "off"))
    return UsageError("usage: talvane-tool rules on|off [--wav FILE]");
  return RecognizeOnce(inv, inv.args[0] == "on" ? SR_ACTIVATE_RULES : SR_DEACTIVATE_RULES);
}

bool Number(const std::string& a, int lo, int hi, int& v) {
  auto [p, ec] = std::from_chars(a.data(), a.data() + a.size(), v);
  return ec == std::errc() && p == a.data() + a.size() && v >= lo && v <= hi;
}

// The test screen's path: test grammar, INIT in Grammars/Test, one
// recognition, the return button.
int RecognizeTest(Invocation& inv) {
  TakeWav(inv.args);
  if (inv.args.size() != 2) return UsageError("usage: talvane-tool recognize-test COMMAND PHRASE [--wav FILE]");
  Program p(inv.ctx.program_folder, inv.ui);
  if (!p.Load(kGrammarData)) return 1;
  const auto& list = p.catalogue.CommandList;
  int command = -1, phrase = -1;
  if (!Number(inv.args[0], 0, static_cast<int>(list.size()) - 1, command)) {
    for (std::size_t i = 0; i < list.size(); ++i)
      if (EqualsNoCase(list[i].ruleName.trimmed(), inv.args[0])) command = static_cast<int>(i);
    if (command < 0) return UsageError("no command " + inv.args[0] + " (give its index or its rule name)");
  }
  if (!Number(inv.args[1], 0, list[static_cast<std::size_t>(command)].lastGrammar(), phrase))
    return UsageError("the command has no phrase " + inv.args[1]);
  OutsideLibraries& libs = p.libraries;
  OndrixCall call = LoadEngine(libs);
  libs.fnBinCompile_Call(kGriskInitialise, 0, 0);
  TestScreenEngine engine(inv.ctx, call);
  const int prepared = engine.PrepareTestGrammar(
      p.grammarInputs(), command, phrase, [&](int c, int v2, int v3) { return libs.fnBinCompile_Call(c, v2, v3); });
  libs.fnBinCompile_Call(kGriskShutdown, 0, 0);
  if (prepared != 0) {
    std::fprintf(stderr, "talvane-tool: the test grammar could not be written or compiled\n");
    return 1;
  }
  std::string text;
  std::int16_t rc = engine.Call(kTestOpen, text);
  if (rc == 0) rc = engine.Call(kTestStart, text);
  const std::uint32_t confidence = engine.LastConfidence();
  std::string ignored;
  engine.Call(kTestReturn, ignored);
  Out("result=" + std::to_string(rc) + " confidence=" + std::to_string(confidence) + " text=" + Utf8(Trim(text)));
  return Status(inv, rc == 0 || rc == kTestNothingValid);
}

// ---- the benchmark ----

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Sentences no grammar of the catalogue holds: everyday speech, radio calls
// and near misses of real commands.
const char* const kOutOfGrammar[] = {
    "what time is it in london",
    "could you bring me a cup of coffee",
    "the weather looks good for the flight today",
    "request taxi to the active runway",
    "cleared for takeoff runway two seven",
    "we are starting our descent now",
    "please fasten your seat belts",
    "how much fuel do we have left",
    "i think we should go around",
    "contact approach on one two four",
    "say again please",
    "traffic in sight",
    "my name is john and i am the captain",
    "the passengers are all on board",
    "let us review the approach briefing",
    "turn left heading",
    "open the cabin door",
    "can you hear me now",
    "this is a test of the radio",
    "check the oil pressure gauge",
    "maintain present speed",
    "we have a problem with the hydraulics",
    "the tower says to hold short",
    "put the kettle on",
    "what is our ground speed",
    "good morning ladies and gentlemen",
    "i would like a window seat",
    "send the weather report to dispatch",
    "read back the clearance",
    "expect vectors for the approach",
    "the sun is very bright today",
    "increase the cabin temperature",
    "where is the nearest airport",
    "reduce power and descend",
    "call the flight attendant",
    "remind me in ten minutes",
    "the crosswind is getting stronger",
    "switch to the backup frequency",
    "tell me a joke",
    "everything looks normal",
};

struct Sample {
  std::string text;                  // what is spoken
  std::vector<std::string> expected;  // acceptable command texts; empty: out of grammar
  int voice = 1, rate = 50;
  fs::path wav;
  double seconds = 0;
  double speech_end = 0;  // seconds from the start of the file to the end of the speech
};

double SpeechEnd(const MonoAudio& a) {
  std::size_t last = 0;
  for (std::size_t i = 0; i < a.samples.size(); ++i)
    if (std::abs(static_cast<int>(a.samples[i])) > 300) last = i;
  return static_cast<double>(last) / a.sample_rate;
}

int BenchRecognition(Invocation& inv) {
  int commands = 200, seed = 1, latency_runs = 20;
  bool navaids = true;
  fs::path keep;  // --folder: the scratch folder is kept, and its speech reused
  int only_voice = 0;   // --voice: every sentence in this voice (0: the four in turn)
  std::string profile;  // --profile: this voice profile's model ("-": the standard model)
  for (std::size_t i = 0; i < inv.args.size(); ++i) {
    const std::string& a = inv.args[i];
    auto value = [&](int lo, int hi, int& v) {
      if (i + 1 >= inv.args.size() || !Number(inv.args[i + 1], lo, hi, v))
        throw std::runtime_error(a + " needs a number from " + std::to_string(lo) + " to " + std::to_string(hi));
      ++i;
    };
    if (a == "--commands")
      value(1, 100000, commands);
    else if (a == "--seed")
      value(0, 1 << 30, seed);
    else if (a == "--latency")
      value(0, 10000, latency_runs);
    else if (a == "--no-navaids")
      navaids = false;
    else if (a == "--folder" && i + 1 < inv.args.size())
      keep = inv.args[++i];
    else if (a == "--voice")
      value(1, 4, only_voice);
    else if (a == "--profile" && i + 1 < inv.args.size())
      profile = inv.args[++i];
    else
      return UsageError(
          "usage: talvane-tool bench-recognition [--commands N] [--seed S] [--latency N] [--no-navaids] "
          "[--folder DIR] [--voice N] [--profile NAME|-]");
  }
  Program p(inv.ctx.program_folder, inv.ui);
  if (!p.Load(kGrammarData)) return 1;
  p.settings.compileNavaids = navaids ? 1 : 0;

  // A scratch program folder with the whole catalogue compiled.
  // With --folder the folder stays, so that a second run can compare decoder
  // settings (edit its language model) on the same speech.
  std::string tmpl = (fs::temp_directory_path() / "talvane-bench-XXXXXX").string();
  if (keep.empty() && !::mkdtemp(tmpl.data())) throw std::runtime_error("cannot create a scratch folder");
  const fs::path scratch = fs::absolute(keep.empty() ? fs::path(tmpl) : keep);
  struct Cleanup {
    fs::path p;
    ~Cleanup() {
      std::error_code ec;
      if (!p.empty()) fs::remove_all(p, ec);
    }
  } cleanup{keep.empty() ? scratch : fs::path()};
  fs::create_directories(scratch / "Data");
  fs::create_directories(scratch / "Grammars" / "Test");
  fs::create_directories(scratch / "wav");
  for (const char* f : {"\\Data\\Generic Lists.bnf", "\\Grammars\\vocon3200lngenu_full.dat", "\\libgrisk.so",
                        "\\grisk-g2p", "\\libondrix.so", "\\ondrix-g2p", "\\libkelo.so"}) {
    const fs::path from = inv.ctx.File(f), to = Context{scratch, inv.ui}.File(f);
    if (!keep.empty() && fs::exists(to) && std::string_view(f).ends_with(".dat")) continue;
    if (!CopyFileAtomic(from, to)) throw std::runtime_error("cannot copy " + from.string() + " for the benchmark");
  }
  for (const char* exe : {"grisk-g2p", "ondrix-g2p"})
    fs::permissions(scratch / exe, fs::perms::owner_exec, fs::perm_options::add);
  // The voice profiles are the program folder's: the scratch folder's
  // manifest may name one.
  {
    std::error_code ec;
    const fs::path models = fs::absolute(inv.ctx.program_folder) / bgm::kModelsFolder;
    fs::remove(scratch / bgm::kModelsFolder, ec);
    if (fs::exists(models, ec)) fs::create_directory_symlink(models, scratch / bgm::kModelsFolder, ec);
    const fs::path manifest = scratch / "Grammars" / bgm::kManifestName;
    if (!profile.empty()) {
      const std::string name = profile == "-" ? std::string() : profile;
      if (!name.empty() && !training::IsCompleteModel(models / name))
        throw std::runtime_error("the voice profile " + name + " has no model in " + models.string());
      if (!AtomicWriteFile(manifest, training::WithProfileLine(ReadWholeFile(manifest).value_or(""), name)))
        throw std::runtime_error("cannot write " + manifest.string());
    }
  }
  Context ctx{scratch, inv.ui};
  OutsideLibraries libs(ctx);
  libs.SpeechLibrariesReady = true;
  libs.fnBinCompile_Call(kGriskInitialise, 0, 0);
  if (SaveGrammarFiles(ctx, p.grammarInputs()) != 0 || libs.fnBinCompile_Call(1, 0, 1) != 0)
    throw std::runtime_error("the grammars could not be written and compiled");
  libs.fnBinCompile_Call(kGriskShutdown, 0, 0);
  // RuleList.dat was written by the compile: the checklist responses are off.

  // The same network the engine builds, to draw sentences and to know every
  // command text a sentence may have.
  std::vector<std::shared_ptr<const bgm::Grammar>> grammars;
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(scratch / "Grammars"))
    if (e.path().extension() == ".bgm") files.push_back(e.path());
  std::sort(files.begin(), files.end());
  for (const auto& f : files) {
    auto r = bgm::Read(*ReadWholeFile(f));
    if (!r.grammar) throw std::runtime_error(f.string() + ": " + r.error);
    grammars.push_back(std::make_shared<bgm::Grammar>(std::move(*r.grammar)));
  }
  std::string error;
  auto net = vocon::Network::Link(grammars, &error);
  if (!net) throw std::runtime_error(error);
  std::vector<bool> active;
  std::vector<std::uint32_t> command_starts;
  for (std::uint32_t i = 0; i < net->Starts().size(); ++i) {
    active.push_back(!net->Starts()[i].activatable);
    if (!net->Starts()[i].activatable) command_starts.push_back(i);
  }

  std::mt19937 rng(static_cast<unsigned>(seed));
  const int rates[] = {35, 50, 65};  // slower than normal, normal, faster
  std::vector<Sample> samples;
  for (int i = 0; i < commands; ++i) {
    const auto start = command_starts[rng() % command_starts.size()];
    const auto words = net->Sample(start, rng);
    Sample s;
    for (auto w : words) s.text += (s.text.empty() ? "" : " ") + net->Words()[w].text;
    s.expected = net->AllTexts(words, active);
    samples.push_back(std::move(s));
  }
  for (const char* oog : kOutOfGrammar) {
    Sample s;
    s.text = oog;
    samples.push_back(std::move(s));
  }
  for (std::size_t i = 0; i < samples.size(); ++i) {
    samples[i].voice = only_voice ? only_voice : static_cast<int>(i % 4) + 1;  // all four voices in turn
    samples[i].rate = rates[rng() % 3];
  }

  // Speech from the copilot voice library, written as WAV files.
  libs.fnKELOspeak_Call(kKeloInitialise, 0, 0, 0, "0");
  for (std::size_t i = 0; i < samples.size(); ++i) {
    Sample& s = samples[i];
    s.wav = scratch / "wav" / (std::to_string(i) + ".wav");
    // A kept folder's speech is reused when it says the same thing.
    const fs::path said = fs::path(s.wav).replace_extension(".txt");
    const std::string label = std::to_string(s.voice) + " " + std::to_string(s.rate) + " " + s.text + "\n";
    const bool reuse = !keep.empty() && fs::exists(s.wav) && ReadWholeFile(said).value_or("") == label;
    ::setenv("KELO_WAV", s.wav.c_str(), 1);
    if (!reuse && (libs.fnKELOspeak_Call(kKeloSpeak, s.voice, 100, s.rate, Utf8ToCp1252(s.text)) != 0 ||
                   libs.fnKELOspeak_Call(kKeloWait, 0, 120000, 0, "0") != 0))
      throw std::runtime_error("speaking \"" + s.text + "\" failed");
    if (!keep.empty() && !reuse && !AtomicWriteFile(said, label))
      throw std::runtime_error("cannot write " + said.string());
    std::string e;
    auto audio = ReadWav(ReadWholeFile(s.wav).value_or(""), &e);
    if (!audio) throw std::runtime_error("the speech of \"" + s.text + "\" cannot be read: " + e);
    s.seconds = static_cast<double>(audio->samples.size()) / audio->sample_rate;
    s.speech_end = SpeechEnd(*audio);
  }
  ::unsetenv("KELO_WAV");

  // The guard against inverted commands logs every sentence it scores
  // against a result (one line per swap: verdict, result, swap, difference
  // per frame, frames, ms); each recognition's lines tell whether it checked,
  // and whether what it rejected was said or was the inverted command.
  struct GuardCount {
    int checks = 0, right_lost = 0, caught = 0, other = 0;
    double ms = 0;
    std::size_t read = 0;
    std::vector<double> right_diffs, inverted_diffs;
  } guard;
  const fs::path guard_log = scratch / "antonym-guard.log";
  if (const fs::path pairs = inv.ctx.File("\\Data\\antonyms.txt"); fs::exists(pairs))
    CopyFileAtomic(pairs, scratch / "Data" / "antonyms.txt");
  fs::remove(guard_log);
  ::setenv("TALVANE_ANTONYM_LOG", guard_log.c_str(), 1);
  auto guard_after = [&](const Sample& s) {
    const std::string text = ReadWholeFile(guard_log).value_or("");
    const std::string fresh = text.substr(std::min(guard.read, text.size()));
    guard.read = text.size();
    auto said = [&](const std::string& sentence) {
      std::vector<std::uint32_t> ids;
      for (const auto& w : SplitAt(sentence, " "))
        if (auto id = net->WordId(w)) ids.push_back(*id);
      for (const auto& t : net->AllTexts(ids, active))
        if (std::find(s.expected.begin(), s.expected.end(), t) != s.expected.end()) return true;
      return false;
    };
    bool rejected = false, best_said = false, swap_said = false;
    double ms = -1;  // the same on every line of one recognition
    for (const auto line : SplitLines(fresh)) {
      const auto f = SplitAt(line, "\t");
      if (f.size() < 6) continue;
      rejected = rejected || f[0] == "reject";
      ms = std::strtod(f[5].c_str(), nullptr);
      const double diff = std::strtod(f[3].c_str(), nullptr);
      best_said = said(f[1]);
      if (best_said) guard.right_diffs.push_back(diff);
      if (!best_said && said(f[2])) {
        swap_said = true;
        guard.inverted_diffs.push_back(diff);
      }
    }
    if (ms < 0) return;
    ++guard.checks;
    guard.ms += ms;
    if (rejected) ++(best_said ? guard.right_lost : swap_said ? guard.caught : guard.other);
  };

  Engine engine{LoadEngine(libs)};
  ::setenv("AUDIOIN_WAV", samples.front().wav.c_str(), 1);  // the device reads files, no sound card
  const auto t_init = std::chrono::steady_clock::now();
  if (const int rc = engine.Send(SR_INIT); rc != 0) throw std::runtime_error("INIT failed: " + std::to_string(rc));
  const double init_ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t_init).count();

  int right = 0, in_grammar = 0, false_accepts = 0, oog = 0;
  double cpu = 0, audio_seconds = 0;
  std::vector<char16_t> buffer(SR_AGGREGATE_SIZE);
  std::vector<std::string> errors;
  for (const Sample& s : samples) {
    ::setenv("AUDIOIN_WAV", s.wav.c_str(), 1);
    std::fill(buffer.begin(), buffer.end(), u'\0');
    std::uint32_t confidence = 0;
    const double c0 = CpuSeconds();
    const int rc = engine.Send(SR_RECOGNIZE, buffer.data(), &confidence);
    cpu += CpuSeconds() - c0;
    audio_seconds += s.seconds;
    const std::string got = Trim(Text(buffer.data()));
    if (rc != 0) throw std::runtime_error("RECOGNIZE failed: " + std::to_string(rc));
    guard_after(s);
    if (s.expected.empty()) {
      ++oog;
      if (!got.empty()) {
        ++false_accepts;
        errors.push_back("false accept: \"" + s.text + "\" -> " + got + " (" + std::to_string(confidence) + ")");
      }
    } else {
      ++in_grammar;
      if (std::find(s.expected.begin(), s.expected.end(), got) != s.expected.end())
        ++right;
      else
        errors.push_back("wrong: \"" + s.text + "\" (voice " + std::to_string(s.voice) + ", rate " +
                         std::to_string(s.rate) + ") -> \"" + got + "\" (" + std::to_string(confidence) +
                         "), expected \"" + s.expected.front() + "\"");
    }
  }

  // Latency: audio paced as a microphone would deliver it; the time from
  // the end of the speech to the result.
  std::vector<double> latencies;
  ::setenv("AUDIOIN_REALTIME", "1", 1);
  for (int i = 0; i < latency_runs && i < commands; ++i) {
    const Sample& s = samples[static_cast<std::size_t>(i)];
    ::setenv("AUDIOIN_WAV", s.wav.c_str(), 1);
    const auto t0 = std::chrono::steady_clock::now();
    engine.Send(SR_RECOGNIZE, buffer.data());
    const double total = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    latencies.push_back((total - s.speech_end) * 1000);
  }
  ::unsetenv("AUDIOIN_REALTIME");
  ::unsetenv("AUDIOIN_WAV");
  engine.Send(SR_TERMINATE);

  for (const auto& e : errors) Out("  " + e);
  std::sort(latencies.begin(), latencies.end());
  double mean = 0;
  for (double v : latencies) mean += v;
  if (!latencies.empty()) mean /= static_cast<double>(latencies.size());
  char line[600];
  std::snprintf(line, sizeof line,
                "bench-recognition: %zu grammars (navaids %s), INIT %.0f ms; %d commands: accuracy %.1f%% (%d right); "
                "%d out-of-grammar sentences: false accepts %.1f%% (%d); real-time factor %.3f; end of speech to "
                "result: mean %.0f ms, median %.0f ms, worst %.0f ms (%zu runs)",
                files.size(), navaids ? "on" : "off", init_ms, in_grammar,
                in_grammar ? 100.0 * right / in_grammar : 0.0, right, oog, oog ? 100.0 * false_accepts / oog : 0.0,
                false_accepts, audio_seconds > 0 ? cpu / audio_seconds : 0.0, mean,
                latencies.empty() ? 0.0 : latencies[latencies.size() / 2], latencies.empty() ? 0.0 : latencies.back(),
                latencies.size());
  Out(line);
  auto list = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    std::string out;
    for (double d : v) out += " " + std::to_string(d * 1000).substr(0, 6);
    return out;
  };
  Out("antonym guard: " + std::to_string(guard.checks) + " results checked (" +
      std::to_string(guard.checks ? guard.ms / guard.checks : 0.0) + " ms each); rejected " +
      std::to_string(guard.right_lost) + " right commands, " + std::to_string(guard.caught) + " inverted ones, " +
      std::to_string(guard.other) + " other; differences per frame (x1000), right results:" +
      list(guard.right_diffs) + "; inverted results:" + list(guard.inverted_diffs));
  ::unsetenv("TALVANE_ANTONYM_LOG");
  return Status(inv, true);
}

const Registrar kRegistrar({
    {"recognize", "[--wav FILE]",
     "one recognition through libondrix.so on the compiled grammars (INIT, RECOGNIZE, TERMINATE)", 0, 2, Recognize},
    {"recognize-test", "COMMAND PHRASE [--wav FILE]",
     "the test screen's path: test grammar for one phrase (command index or rule), INIT, RECOGNIZE, return", 2, 4,
     RecognizeTest},
    {"rules", "on|off [--wav FILE]", "one recognition with the checklist responses switched on or off", 1, 3, Rules},
    {"bench-recognition", "[--commands N] [--seed S] [--latency N] [--no-navaids] [--folder DIR]",
     "synthesised commands and other speech through the engine: accuracy, false accepts, real-time factor, latency", 0,
     -1, BenchRecognition},
});

}  // namespace

}  // namespace talvane::tool
