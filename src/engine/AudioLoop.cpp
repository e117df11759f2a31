// The entry point and the engine's state machine, the working-directory
// routine that finds the program folders, and the whole-file reader.
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <thread>

#include "engine/engine.h"

namespace talvane::ondrix {

namespace {

namespace fs = std::filesystem;

RecogObject g_rec;
// The language-model image the recogniser instance is built from; it must
// outlive the instance.
char* g_model = nullptr;
std::size_t g_model_size = 0;

// Commands run one at a time. A TERMINATE from another thread first breaks
// the running recognition (without the lock), then waits here for it.
std::mutex g_command;
std::atomic<int> g_terminate_pending{0};
std::atomic<bool> g_recognising{false};
std::atomic<std::uint64_t> g_break_source{0};

std::uint64_t Pack(LH_OBJECT h) { return (static_cast<std::uint64_t>(h.pObj) << 32) | h.pStamp; }
LH_OBJECT Unpack(std::uint64_t v) { return LH_OBJECT{static_cast<std::uint32_t>(v >> 32), static_cast<std::uint32_t>(v)}; }

void ReleaseModel() {
  std::free(g_model);
  g_model = nullptr;
  g_model_size = 0;
}

void ResetVars(RecogObject& r) {
  const LH_OBJECT null = spapiGetNullHandle();
  r.hSpeech = r.hCtx = r.hAudioSource = r.hFx = r.hJumpBackBuf = r.hRec = r.hRes = null;
  r.ulFrequency = r.ulFrameShift = 0;
  g_model_size = 0;
}

// Closes whatever is open, so that nothing outlives a failed or ended
// engine: the recogniser instance and the audio-in device included.
void ReleaseAll(RecogObject& r) {
  if (!IsNull(r.hRes)) lhs_asrResClose(&r.hRes);
  if (!IsNull(r.hRec) && !IsNull(r.hCtx)) lhs_asrRecUnloadContext(r.hRec);
  if (!IsNull(r.hCtx)) lhs_asrCtxClose(&r.hCtx);
  if (r.GrammarHandles)
    for (int i = 0; i < kMaxGrammars; ++i)
      if (!IsNull(r.GrammarHandles[i])) lhs_asrGrmClose(&r.GrammarHandles[i]);
  if (!IsNull(r.hJumpBackBuf)) lhs_asrJumpBackBufReleaseConsumer(r.hJumpBackBuf);
  if (!IsNull(r.hFx)) lhs_asrFxReleaseJumpbackConsumer(r.hFx);
  if (!IsNull(r.hAudioSource)) lhs_asrAudioSourceReleaseConsumer(r.hAudioSource);
  if (!IsNull(r.hRec)) lhs_asrRecClose(&r.hRec);
  if (!IsNull(r.hJumpBackBuf)) lhs_asrJumpBackBufClose(&r.hJumpBackBuf);
  if (!IsNull(r.hFx)) lhs_asrFxClose(&r.hFx);
  if (!IsNull(r.hAudioSource)) lhs_asrAudioSourceClose(&r.hAudioSource);
  if (r.hAudioIn) {
    lhs_audioinStop(r.hAudioIn);
    lhs_audioinClose(&r.hAudioIn);
  }
  if (!IsNull(r.hSpeech)) lhs_UnInitialize(&r.hSpeech);
  std::free(r.GrammarHandles);
  r.GrammarHandles = nullptr;
  r.GrammarCount = 0;
  ReleaseModel();  // the instance built from it is gone
}

int FailureTeardown(RecogObject& r) {
  r.EngineState = kTerminated;
  TRACE(L"Failure teardown: the recognizer is released.\n");
  ReleaseAll(r);
  return SR_FAILED;
}

int Init(RecogObject& r) {
  const int state = r.EngineState;
  if (state != kNotInitialised && state != kTerminated) {
    TRACE(L"ERROR: speech recognizer already in an initialized state: [%d]. Can not re-initialize when active.\n",
          state);
    return SR_WRONG_STATE;
  }
  ReleaseAll(r);  // nothing is left from before; this is a no-op after TERMINATE
  const LH_OBJECT null = spapiGetNullHandle();
  r.hSpeech = r.hCtx = r.hAudioSource = r.hFx = r.hJumpBackBuf = r.hRec = r.hRes = null;
  r.hAudioIn = nullptr;
  r.ulFrequency = r.ulFrameShift = r.ulFrameSize = 0;
  r.GrammarCount = 0;
  r.EngineState = kNotInitialised;
  // Each INIT reads the rule list afresh rather than appending to it.
  RulesArray().clear();

  r.GrammarHandles = static_cast<LH_OBJECT*>(std::calloc(kMaxGrammars, sizeof(LH_OBJECT)));
  if (!r.GrammarHandles) return FailureTeardown(r);
  if (SetAccessDirectory(1) != 0) return FailureTeardown(r);

  std::size_t size = 0;
  char* image = ReadFileToBuffer(u"vocon3200lngenu_full.dat", &size);
  if (!image) {
    TRACE(L"ERROR: the language model vocon3200lngenu_full.dat cannot be read.\n");
    std::free(r.GrammarHandles);
    r.GrammarHandles = nullptr;
    return SR_NO_MODEL;  // state stays 0: INIT may be tried again
  }
  g_model = image;
  g_model_size = size;

  if (CreateRecognizer(r, g_model, g_model_size) != 0) return FailureTeardown(r);
  if (lhs_GetFrequency(r.hSpeech, &r.ulFrequency) != LH_OK) return FailureTeardown(r);
  if (lhs_GetFrameShift(r.hSpeech, &r.ulFrameShift) != LH_OK) return FailureTeardown(r);
  if (LoadStaticGrammar(r) != 0) return FailureTeardown(r);
  if (LoadContextOnRecognizer(r) != 0) return FailureTeardown(r);
  if (SetParamsRecognizer(r) != 0) return FailureTeardown(r);
  if (AudioSrcCtrl(r, 1) != 0) return FailureTeardown(r);
  if (SetAccessDirectory(0) != 0) return FailureTeardown(r);

  if (const int rc = DeActivateRules(r, 0); rc != 0)
    TRACE(L"WARNING: *** Unable to load selectively activateable checklist rules [%x]\n", rc);
  r.EngineState = kIdle;
  return SR_OK;
}

int Recognize(SREC_COMMAND_OBJECT& work, SREC_COMMAND_OBJECT* caller, RecogObject& r) {
  const int state = r.EngineState;
  if (state == kNotInitialised || state == kRecognising || state == kTerminated) {
    TRACE(L"ERROR: speech recognizer in improper state: [%d]. Unable to start.\n", state);
    return SR_WRONG_STATE;
  }
  if (state == kAudioFailure) return SR_OK;
  r.EngineState = kRecognising;
  g_break_source = Pack(r.hAudioSource);
  g_recognising = true;
  const int rc = DoRecognition(work, r);
  g_recognising = false;
  if (rc != 0) return FailureTeardown(r);
  // The loop leaves state 3; a teardown may have set 5 meanwhile.
  for (int i = 0; i < 50 && r.EngineState == kRecognising; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  if (!work.CmdAggregate) {
    auto* none = static_cast<char16_t*>(std::malloc(7 * sizeof(char16_t)));
    if (!none) return SR_COPY_BACK_FAILED;
    std::memcpy(none, u"|0000", 6 * sizeof(char16_t));
    none[6] = u'\0';
    work.CmdAggregate = none;  // the caller's from now on
    work.CmdConfidence = 0;
  }
  r.EngineState = kComplete;
  *caller = work;
  return SR_OK;
}

int Rules(RecogObject& r, int mode) {
  const int state = r.EngineState;
  if (state != kIdle && state != kStopped && state != kComplete) {
    TRACE(mode == 1 ? L"INAPPROPRIATE STATE unable to activate rules.\n"
                    : L"INAPPROPRIATE STATE unable to DEactivate rules.\n");
    return SR_WRONG_STATE;
  }
  return DeActivateRules(r, mode) == 0 ? SR_OK : SR_RULES_FAILED;
}

int Terminate(RecogObject& r) {
  int state = r.EngineState;
  if (state == kRecognising) {
    // Only reached when a recognition failed to leave its loop; the
    // cross-thread case waits for RECOGNIZE to return before coming here.
    if (!IsNull(r.hAudioSource) && lhs_asrAudioSourceBreak(r.hAudioSource) != LH_OK) return FailureTeardown(r);
    r.EngineState = state = kStopped;
  }
  if (state == kIdle || state == kStopped || state == kComplete) {
    // Everything INIT built is released, not only in state 3: the next INIT
    // builds anew, and the audio device must be free for it.
    if (UnLoadContextOnRecognizer(r) != 0) return FailureTeardown(r);
    if (CloseRecognizer(r) != 0) return FailureTeardown(r);
    if (r.hAudioIn && AudioSrcCtrl(r, 0) != 0) return FailureTeardown(r);
  }
  ReleaseAll(r);
  r.EngineState = kTerminated;
  ResetVars(r);
  return SR_OK;
}

int Dispatch(SREC_COMMAND_OBJECT& work, SREC_COMMAND_OBJECT* caller) {
  switch (work.CmdCode) {
    case SR_INIT:
      return Init(g_rec);
    case SR_RECOGNIZE:
      return Recognize(work, caller, g_rec);
    case SR_ACTIVATE_RULES:
      return Rules(g_rec, 1);
    case SR_DEACTIVATE_RULES:
      return Rules(g_rec, 2);
    case SR_TERMINATE:
      return Terminate(g_rec);
    default:
      return SR_OK;  // 2, and anything else: nothing to do
  }
}

}  // namespace

bool TerminatePending() { return g_terminate_pending.load() > 0; }

std::vector<std::u16string>& RulesArray() {
  static std::vector<std::u16string> rules;
  return rules;
}

int SetAccessDirectory(int mode) {
  TRACE(L"PelmarSRec CWD cmd [%d]\n", mode);
  if (mode < 0 || mode > 3) return 0;
  static const char* const kFolders[] = {"", "Grammars", "Data", "Checklists"};
  std::error_code ec;
  const fs::path cwd = fs::current_path(ec);
  if (ec) return 4;
  // Run from the simulator's folder: the program is two folders below it.
  bool in_simulator = false;
  for (const auto& e : fs::directory_iterator(cwd, ec)) {
    std::string name = e.path().filename().string();
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (name == "fsx.exe") {
      in_simulator = true;
      break;
    }
  }
  if (in_simulator) {
    fs::path target = fs::path(".") / "Brevantix" / "Talvane";
    if (mode) target /= kFolders[mode];
    if (::chdir(target.c_str()) != 0) return 4;
    TRACE(L"\tCWD SET TO grammar directory [0].\n");
    return 0;
  }
  // Otherwise the folders are found by name among the path's components.
  std::vector<std::string> parts;
  for (const auto& p : cwd) parts.push_back(p.string());
  auto deepest = [&](std::initializer_list<const char*> names) -> int {
    for (int i = static_cast<int>(parts.size()) - 1; i >= 0; --i)
      for (const char* n : names)
        if (parts[static_cast<std::size_t>(i)] == n) return i;
    return -1;
  };
  if (mode == 0) {
    const int at = deepest({"Grammars", "Checklists", "Data"});
    if (at < 0) return 0;
    // Up to the folder that holds it (also from Grammars/Test).
    fs::path up = cwd;
    for (int i = static_cast<int>(parts.size()) - 1; i >= at; --i) up = up.parent_path();
    if (::chdir(up.c_str()) != 0) return 4;
    TRACE(L"\tCWD SET TO grammar directory [1].\n");
    return 0;
  }
  if (deepest({kFolders[mode]}) >= 0) return 0;
  if (::chdir((fs::path(".") / kFolders[mode]).c_str()) == 0 ||
      ::chdir((fs::path("..") / kFolders[mode]).c_str()) == 0)
    TRACE(L"\tCWD SET TO grammar directory [1].\n");
  return 0;
}

char* ReadFileToBuffer(const char16_t* path, std::size_t* size) {
  if (size) *size = 0;
  if (!path) return nullptr;
  std::string name;
  for (const char16_t* p = path; *p; ++p) {
    if (*p < 0x80) {
      name += static_cast<char>(*p);
    } else {  // file names outside ASCII: UTF-8, one code unit at a time
      const char32_t cp = *p;
      if (cp < 0x800) {
        name += static_cast<char>(0xC0 | (cp >> 6));
      } else {
        name += static_cast<char>(0xE0 | (cp >> 12));
        name += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      }
      name += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  FILE* f = std::fopen(name.c_str(), "rb");
  if (!f) return nullptr;
  char* buffer = nullptr;
  long length = -1;
  if (std::fseek(f, 0, SEEK_END) == 0) length = std::ftell(f);
  if (length >= 0 && std::fseek(f, 0, SEEK_SET) == 0) {
    buffer = static_cast<char*>(std::malloc(static_cast<std::size_t>(length) + 1));
    if (buffer && std::fread(buffer, 1, static_cast<std::size_t>(length), f) != static_cast<std::size_t>(length)) {
      std::free(buffer);  // a short read is no whole file
      buffer = nullptr;
    }
  }
  std::fclose(f);
  if (!buffer) return nullptr;
  buffer[length] = '\0';
  if (size) *size = static_cast<std::size_t>(length);
  return buffer;
}

}  // namespace talvane::ondrix

extern "C" TALVANE_EXPORT int32_t fnOndrixDLL_Call(SREC_COMMAND_OBJECT* command) {
  using namespace talvane::ondrix;
  if (!command) return SR_NO_MODEL;  // no record to work on
  SREC_COMMAND_OBJECT work = *command;
  try {
    if (work.CmdCode == SR_TERMINATE) {
      ++g_terminate_pending;
      if (g_recognising) lhs_asrAudioSourceBreak(Unpack(g_break_source));
      int rc;
      {
        std::lock_guard lock(g_command);
        rc = Dispatch(work, command);
      }
      --g_terminate_pending;
      return rc;
    }
    std::lock_guard lock(g_command);
    return Dispatch(work, command);
  } catch (...) {
    // Nothing may unwind into the host.
    std::lock_guard lock(g_command);
    return FailureTeardown(g_rec);
  }
}
