// libondrix.so driven as its hosts drive it: the state machine, the program
// folders, grammar and rule loading, and recognitions of synthesised speech.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <future>
#include <thread>

#include "common/files.h"
#include "common/text.h"
#include "engine/engine_support.h"
#include "common/wav_file.h"
#include "outside/outside_libraries.h"

namespace talvane::test {
namespace {

// Every test ends with the engine terminated, whatever it did.
class engine_Engine : public ::testing::Test {
 protected:
  void SetUp() override {
    Send(SR_TERMINATE);
    UseWav(&silence_);
  }
  void TearDown() override {
    Send(SR_TERMINATE);
    UseWav(nullptr);
    ::unsetenv("AUDIOIN_REALTIME");
    ::unsetenv("ONDRIX_FAULT");
  }
  fs::path silence_ = Silence(1.0);
};

TEST_F(engine_Engine, StateMachineOfTheEntryPoint) {
  InDirectory here(CompiledProgram());
  EXPECT_EQ(Ondrix()(nullptr), SR_NO_MODEL);
  EXPECT_EQ(Recognize().rc, SR_WRONG_STATE);  // before INIT (state 5 after the set-up's TERMINATE)
  EXPECT_EQ(Send(SR_ACTIVATE_RULES), SR_WRONG_STATE);
  for (int code : {2, 6, 7, 100, -1}) EXPECT_EQ(Send(code), SR_OK) << code;
  ASSERT_EQ(Send(SR_INIT), SR_OK);
  EXPECT_EQ(fs::current_path(), fs::canonical(CompiledProgram()));  // INIT ends in the program folder
  EXPECT_EQ(Send(SR_INIT), SR_WRONG_STATE);  // twice: refused, and nothing changes
  EXPECT_EQ(Send(SR_ACTIVATE_RULES), SR_OK);
  EXPECT_EQ(Send(SR_DEACTIVATE_RULES), SR_OK);
  for (int code : {2, 6}) EXPECT_EQ(Send(code), SR_OK);
  EXPECT_EQ(Recognize().rc, SR_OK);
  EXPECT_EQ(Send(SR_TERMINATE), SR_OK);
  EXPECT_EQ(Recognize().rc, SR_WRONG_STATE);
  EXPECT_EQ(Send(SR_TERMINATE), SR_OK);  // in any state
  ASSERT_EQ(Send(SR_INIT), SR_OK);        // after TERMINATE: a new recogniser
  EXPECT_EQ(Recognize().rc, SR_OK);
}

TEST_F(engine_Engine, RecognisesCommandsWithTheirValues) {
  InDirectory here(CompiledProgram());
  ASSERT_EQ(Send(SR_INIT), SR_OK);
  struct Case {
    const char* said;
    int voice, rate;
    const char* text;
  } cases[] = {
      {"set altitude to flight level three five zero", 2, 50, "|120: 3 5 0 00"},
      {"heading two four zero", 3, 50, "|106: 2 4 0"},
      {"gear down", 3, 65, "|701"},
  };
  for (const auto& c : cases) {
    const fs::path wav = Speech(c.said, c.voice, c.rate);
    UseWav(&wav);
    const EngineResult r = Recognize();
    EXPECT_EQ(r.rc, SR_OK);
    EXPECT_EQ(Trim(r.text), c.text) << c.said;
    EXPECT_GT(r.confidence, 3500u) << c.said;
    EXPECT_LE(r.confidence, 10000u);
  }
}

TEST_F(engine_Engine, NothingValidLeavesNoCommand) {
  InDirectory here(CompiledProgram());
  ASSERT_EQ(Send(SR_INIT), SR_OK);
  // Speech that is no command (near misses of commands among it), and no
  // speech at all (the no-speech timeout).
  for (const fs::path& wav : {Speech("the weather looks good for the flight today", 1, 50),
                              Speech("send the weather report to dispatch", 2, 50), Speech("say again please", 3, 50),
                              Silence(6.0)}) {
    UseWav(&wav);
    const EngineResult r = Recognize();
    EXPECT_EQ(r.rc, SR_OK);
    EXPECT_EQ(r.text, "") << wav;
    EXPECT_EQ(r.confidence, 0u) << wav;
  }
}

TEST_F(engine_Engine, NullBufferGivesTheNoCommandText) {
  InDirectory here(CompiledProgram());
  ASSERT_EQ(Send(SR_INIT), SR_OK);
  // Nothing said, and a command said: with nowhere to put it, no command.
  for (const fs::path& wav : {Silence(1.0), Speech("gear down", 2, 50)}) {
    UseWav(&wav);
    SREC_COMMAND_OBJECT r{SR_RECOGNIZE, 77, nullptr};
    ASSERT_EQ(Ondrix()(&r), SR_OK);
    ASSERT_NE(r.CmdAggregate, nullptr);
    EXPECT_EQ(std::u16string(r.CmdAggregate), u"|0000");
    EXPECT_EQ(r.CmdConfidence, 0u);
    std::free(r.CmdAggregate);  // the caller's
  }
}

TEST_F(engine_Engine, ChecklistResponsesSwitchOnAndOff) {
  InDirectory here(CompiledProgram());
  ASSERT_EQ(Send(SR_INIT), SR_OK);
  const fs::path wav = Speech("checked", 2, 50);
  UseWav(&wav);
  ASSERT_EQ(Send(SR_ACTIVATE_RULES), SR_OK);
  EXPECT_EQ(Trim(Recognize().text), "|50003");
  ASSERT_EQ(Send(SR_DEACTIVATE_RULES), SR_OK);  // off again, as after INIT
  EXPECT_NE(Trim(Recognize().text), "|50003");
}

TEST_F(engine_Engine, LanguageModelMissingThenFound) {
  TempFolder f;
  CopyProgram(f.path());
  const fs::path model = f / "Grammars" / "vocon3200lngenu_full.dat";
  fs::rename(model, f / "model.keep");
  InDirectory here(f.path());
  EXPECT_EQ(Send(SR_INIT), SR_NO_MODEL);
  // State 0: INIT may be tried again, from where the failed one left off.
  fs::rename(f / "model.keep", model);
  EXPECT_EQ(Send(SR_INIT), SR_OK);
}

TEST_F(engine_Engine, GrammarFolderContents) {
  TempFolder f;
  CopyProgram(f.path());
  InDirectory here(f.path());
  std::vector<fs::path> bgm;
  for (const auto& e : fs::directory_iterator(f / "Grammars"))
    if (e.path().extension() == ".bgm") bgm.push_back(e.path());
  fs::create_directories(f / "keep");
  for (const auto& p : bgm) fs::rename(p, f / "keep" / p.filename());

  EXPECT_EQ(Send(SR_INIT), SR_FAILED) << "no grammar file";
  EXPECT_EQ(Recognize().rc, SR_WRONG_STATE);  // state 5

  // One grammar that needs no other: INIT works, the rule list names rules it lacks.
  fs::path lone = f / "keep" / "ChecklistResponses.bgm";
  fs::copy_file(f / "keep" / "Landing Gear.bgm", f / "Grammars" / "Lone.bgm");
  fs::current_path(f.path());
  EXPECT_EQ(Send(SR_INIT), SR_FAILED) << "its imports are exported by no grammar";
  fs::remove(f / "Grammars" / "Lone.bgm");
  fs::copy_file(lone, f / "Grammars" / "ChecklistResponses.bgm");
  fs::current_path(f.path());
  ASSERT_EQ(Send(SR_INIT), SR_OK);
  EXPECT_EQ(Send(SR_ACTIVATE_RULES), SR_OK) << "the rules are in the one grammar that holds them";
  Send(SR_TERMINATE);

  // More grammar files than the table holds: refused, nothing overrun.
  for (int i = 0; i < 21; ++i) fs::copy_file(lone, f / "Grammars" / ("C" + std::to_string(i) + ".bgm"));
  fs::current_path(f.path());
  EXPECT_EQ(Send(SR_INIT), SR_FAILED);
}

TEST_F(engine_Engine, RuleListOf300LinesKeepsTheFirst256) {
  TempFolder f;
  CopyProgram(f.path());
  // 256 lines of real rules, then 44 of a rule no grammar has.
  std::string list;
  auto line = [&](const std::string& s) {
    for (char c : s + "\n") list += std::string{c, '\0'};
  };
  for (int i = 0; i < 256; ++i) line(i % 2 ? "<SET>" : "<CHECKED>");
  for (int i = 0; i < 44; ++i) line("<NO SUCH RESPONSE>");
  WriteFile(f / "Data" / "RuleList.dat", list);
  InDirectory here(f.path());
  ASSERT_EQ(Send(SR_INIT), SR_OK);
  EXPECT_EQ(Send(SR_ACTIVATE_RULES), SR_OK);
  EXPECT_EQ(Send(SR_DEACTIVATE_RULES), SR_OK);
  Send(SR_TERMINATE);

  // A name the grammars lack within the first 256: the rule commands fail.
  list.clear();
  line("<SET>");
  line("<NO SUCH RESPONSE>");
  WriteFile(f / "Data" / "RuleList.dat", list);
  fs::current_path(f.path());
  ASSERT_EQ(Send(SR_INIT), SR_OK);  // only a warning
  EXPECT_EQ(Send(SR_ACTIVATE_RULES), SR_RULES_FAILED);
  Send(SR_TERMINATE);

  // An empty list: nothing to switch.
  WriteFile(f / "Data" / "RuleList.dat", "");
  fs::current_path(f.path());
  ASSERT_EQ(Send(SR_INIT), SR_OK);
  EXPECT_EQ(Send(SR_ACTIVATE_RULES), SR_OK);
}

TEST_F(engine_Engine, ProgramFoldersFromWhereverTheHostRuns) {
  const fs::path program = fs::canonical(CompiledProgram());
  for (const fs::path& from : {program, program / "Grammars", program / "Data"}) {
    InDirectory here(from);
    EXPECT_EQ(Send(SR_INIT), SR_OK) << from;
    EXPECT_EQ(fs::current_path(), program) << from;
    Send(SR_TERMINATE);
  }
  // The simulator's folder, with the program two folders below it.
  TempFolder sim;
  WriteFile(sim / "fsx.exe", "MZ");
  fs::create_directories(sim / "Brevantix");
  fs::create_directory_symlink(program, sim / "Brevantix" / "Talvane");
  InDirectory here(sim.path());
  EXPECT_EQ(Send(SR_INIT), SR_OK);
}

TEST_F(engine_Engine, NoCaptureDeviceFailsInit) {
  if (fs::exists("/dev/snd")) GTEST_SKIP() << "this machine has a sound card";
  InDirectory here(CompiledProgram());
  UseWav(nullptr);
  EXPECT_EQ(Send(SR_INIT), SR_FAILED);
  EXPECT_EQ(Recognize().rc, SR_WRONG_STATE);  // state 5
}

TEST_F(engine_Engine, TerminateFromAnotherThreadDuringRecognition) {
  InDirectory here(CompiledProgram());
  const fs::path wav = Silence(8.0);
  UseWav(&wav);
  ::setenv("AUDIOIN_REALTIME", "1", 1);  // the recognition would wait 5 s for speech
  ASSERT_EQ(Send(SR_INIT), SR_OK);
  EngineResult r;
  const auto t0 = std::chrono::steady_clock::now();
  std::thread recognising([&] { r = Recognize(); });
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  EXPECT_EQ(Send(SR_TERMINATE), SR_OK);
  recognising.join();
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(3));
  EXPECT_EQ(r.rc, SR_OK);
  EXPECT_EQ(r.text, "");
  EXPECT_EQ(Recognize().rc, SR_WRONG_STATE);  // terminated
  ::unsetenv("AUDIOIN_REALTIME");
  EXPECT_EQ(Send(SR_INIT), SR_OK);
}

TEST_F(engine_Engine, ATerminateThatFailsHalfWayStopsNoLaterRecognition) {
  InDirectory here(CompiledProgram());
  ASSERT_EQ(Send(SR_INIT), SR_OK);
  ::setenv("ONDRIX_FAULT", "terminate", 1);  // TERMINATE throws inside the library
  EXPECT_EQ(Send(SR_TERMINATE), SR_FAILED);  // torn down all the same
  ::unsetenv("ONDRIX_FAULT");
  EXPECT_EQ(Recognize().rc, SR_WRONG_STATE);
  // A TERMINATE still counted as pending would break this recognition at once.
  fs::current_path(CompiledProgram());
  ASSERT_EQ(Send(SR_INIT), SR_OK);
  const fs::path wav = Speech("gear down", 3, 65);
  UseWav(&wav);
  EXPECT_EQ(Trim(Recognize().text), "|701");
}

// A host's recognition runs on the speech thread; the host stops it from its
// own thread without waiting for it, as the test screen's return button does.
TEST_F(engine_Engine, TerminateNowStopsARecognitionOnTheSpeechThread) {
  TempFolder f;
  CopyProgram(f.path());
  RecordingUserInterface ui;
  Context ctx{f.path(), ui};
  OutsideLibraries libs(ctx);
  libs.SpeechLibrariesReady = true;
  const fs::path wav = Silence(8.0);
  UseWav(&wav);
  ::setenv("AUDIOIN_REALTIME", "1", 1);  // the recognition would wait 5 s for speech
  SREC_COMMAND_OBJECT init{SR_INIT, 0, nullptr};
  ASSERT_EQ(libs.fnOndrixDLL_Call(&init), SR_OK);
  std::vector<char16_t> buffer(SR_AGGREGATE_SIZE, u'\0');
  const auto t0 = std::chrono::steady_clock::now();
  std::future<std::int32_t> recognised = libs.Speech().Post([&] {
    SREC_COMMAND_OBJECT recognize{SR_RECOGNIZE, 0, buffer.data()};
    return libs.fnOndrixDLL_Call(&recognize);
  });
  EXPECT_EQ(recognised.wait_for(std::chrono::milliseconds(400)), std::future_status::timeout);
  EXPECT_EQ(libs.OndrixTerminateNow(), SR_OK);
  EXPECT_EQ(recognised.get(), SR_OK);
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(3));
  EXPECT_EQ(std::u16string(buffer.data()), u"");
  EXPECT_TRUE(ui.messages.empty());
}

long ResidentKb() {
  std::ifstream in("/proc/self/statm");
  long pages = 0, resident = 0;
  in >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

TEST_F(engine_Engine, HundredInitTerminateCyclesLeakNothing) {
  TempFolder f;
  CopyProgram(f.path());
  // The smallest grammar set, so that a cycle is quick.
  for (const auto& e : fs::directory_iterator(f / "Grammars"))
    if (e.path().extension() == ".bgm" && e.path().filename() != "ChecklistResponses.bgm") fs::remove(e.path());
  InDirectory here(f.path());
  long after_warm_up = 0;
  for (int i = 0; i < 100; ++i) {
    fs::current_path(f.path());
    ASSERT_EQ(Send(SR_INIT), SR_OK) << i;
    ASSERT_EQ(Send(SR_TERMINATE), SR_OK) << i;
    if (i == 9) after_warm_up = ResidentKb();
  }
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  // The sanitizers keep freed memory in quarantine, so the resident size says
  // nothing here; LeakSanitizer checks for leaks when the program ends.
  (void)after_warm_up;
#else
  EXPECT_LT(ResidentKb() - after_warm_up, 8 * 1024) << "kB grown over 90 cycles";
#endif
}

TEST_F(engine_Engine, HeldOutSpeechThroughTheTool) {
  // Voices and sentences that no tuning saw.
  struct Case {
    const char* said;
    const char* voice;
    int wpm;
    const char* text;
  } cases[] = {
      {"select heading one two five", "en-us", 160, "result=0 confidence="},
      {"landing gear up", "en-gb-x-rp", 170, "result=0 confidence="},
  };
  const char* texts[] = {"text=|106: 1 2 5", "text=|700"};
  for (int i = 0; i < 2; ++i) {
    const fs::path wav = HeldOutSpeech(cases[i].said, cases[i].voice, cases[i].wpm);
    auto r = RunTool({"--program-folder", CompiledProgram().string(), "recognize", "--wav", wav.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind(cases[i].text, 0), 0u) << r.out;
    EXPECT_NE(r.out.find(texts[i]), std::string::npos) << cases[i].said << ": " << r.out;
  }
}

// Seconds of audio in a 16-bit PCM WAV file.
double WavSeconds(const fs::path& wav) {
  const auto audio = ReadWav(ReadFile(wav));
  // The samples are the channels' mix: one per frame.
  return audio && audio->sample_rate ? static_cast<double>(audio->samples.size()) / audio->sample_rate : -1;
}

TEST_F(engine_Engine, ResultsComeSoonAfterTheSpeechEnds) {
  // The result's sample position, from the trace, against the end of the file
  // (after it only silence follows). A whole command waits for a short
  // silence; speech that fits no command at all not for the long one (half
  // a second) that a pause within a command gets.
  const struct {
    fs::path wav;
    double wait;
  } cases[] = {{Speech("landing gear up", 2, 50), 0.3},
               {Speech("the weather looks good for the flight today", 1, 50), 0.4},
               {Speech("say again please", 3, 50), 0.4}};
  for (const auto& [wav, wait] : cases) {
    TempFolder io;
    auto r = RunTool({"--program-folder", CompiledProgram().string(), "recognize", "--wav", wav.string()},
                     {"ONDRIX_TRACE=" + (io / "trace").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string trace = ReadFile(io / "trace");
    const auto at = trace.find("Result at sample ");
    ASSERT_NE(at, std::string::npos) << trace;
    const double result_s = std::stod(trace.substr(at + 17)) / 16000.0, speech_s = WavSeconds(wav);
    ASSERT_GT(speech_s, 0.5) << wav;
    EXPECT_LT(result_s - speech_s, wait) << wav << ": " << r.out;
  }
}

}  // namespace
}  // namespace talvane::test
