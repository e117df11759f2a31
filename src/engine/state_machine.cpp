// The entry point and the engine's state machine: INIT, RECOGNIZE, the rule
// commands and TERMINATE, and the teardown after a failed step.
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <stdexcept>

#include "engine/engine.h"

namespace talvane::ondrix {

namespace {

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

// A TERMINATE from another thread breaks the audio source while this is set.
struct RecognitionUnderWay {
  explicit RecognitionUnderWay(LH_OBJECT source) {
    g_break_source = Pack(source);
    g_recognising = true;
  }
  ~RecognitionUnderWay() { g_recognising = false; }
  RecognitionUnderWay(const RecognitionUnderWay&) = delete;
  RecognitionUnderWay& operator=(const RecognitionUnderWay&) = delete;
};

struct PendingTerminate {
  PendingTerminate() { ++g_terminate_pending; }
  ~PendingTerminate() { --g_terminate_pending; }
  PendingTerminate(const PendingTerminate&) = delete;
  PendingTerminate& operator=(const PendingTerminate&) = delete;
};

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
  if (ActivateContext(r) != 0) return FailureTeardown(r);
  r.EngineState = kIdle;
  return SR_OK;
}

int Recognize(SREC_COMMAND_OBJECT& work, SREC_COMMAND_OBJECT* caller, RecogObject& r) {
  const int state = r.EngineState;
  if (state == kNotInitialised || state == kRecognising || state == kTerminated) {
    TRACE(L"ERROR: speech recognizer in improper state: [%d]. Unable to start.\n", state);
    return SR_WRONG_STATE;
  }
  r.EngineState = kRecognising;
  int rc;
  {
    const RecognitionUnderWay under_way(r.hAudioSource);
    rc = DoRecognition(work, r);
  }
  // A recognition that ended well has left state 3 (stopped); every other
  // outcome, an audio-in failure included, tears the recogniser down.
  if (rc != 0) return FailureTeardown(r);
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

// The test suite's way to make a command fail half-way: ONDRIX_FAULT names
// the command that throws ("terminate").
void InjectedFault(const char* where) {
  const char* fault = std::getenv("ONDRIX_FAULT");
  if (fault && std::strcmp(fault, where) == 0) throw std::runtime_error(where);
}

// TERMINATE takes the command lock, so it never sees a recognition under
// way: RECOGNIZE has always left state 2 before it returns.
int Terminate(RecogObject& r) {
  InjectedFault("terminate");
  const int state = r.EngineState;
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

}  // namespace talvane::ondrix

extern "C" TALVANE_EXPORT int32_t fnOndrixDLL_Call(SREC_COMMAND_OBJECT* command) {
  using namespace talvane::ondrix;
  if (!command) return SR_NO_MODEL;  // no record to work on
  SREC_COMMAND_OBJECT work = *command;
  try {
    if (work.CmdCode == SR_TERMINATE) {
      // Counted while it waits and runs, however it ends: a count left
      // behind would stop every later recognition at once.
      const PendingTerminate pending;
      if (g_recognising) lhs_asrAudioSourceBreak(Unpack(g_break_source));
      std::lock_guard lock(g_command);
      return Dispatch(work, command);
    }
    std::lock_guard lock(g_command);
    return Dispatch(work, command);
  } catch (...) {
    // Nothing may unwind into the host.
    std::lock_guard lock(g_command);
    return FailureTeardown(g_rec);
  }
}
