// The engine's record, its steps and its trace, shared by the library's
// files: state_machine (entry point and state machine), program_folder
// (working directory, file reader), recognizer_setup (CreateRecognizer,
// SetParamsRecognizer, AudioSrcCtrl, CloseRecognizer), grammars_and_rules
// (LoadStaticGrammar, LoadContextOnRecognizer, UnLoadContextOnRecognizer,
// DeActivateRules), recognition (DoRecognition, HandleAudioEvent,
// ProcessResult) and trace.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/ondrix.h"
#include "vocon/vocon3200.h"

namespace talvane::ondrix {

inline constexpr int kMaxGrammars = 20;
inline constexpr int kMaxRules = 256;
inline constexpr int kRuleLineLimit = 50;  // wide characters per line read, terminator included
inline constexpr int kRuleNameLimit = 99;

// The library's own step codes.
inline constexpr int kNoFile = 4;
inline constexpr int kNoDirectory = 5;
inline constexpr int kNoRuleFileName = 262;
inline constexpr int kNoMemory = 264;
inline constexpr int kNullHandle = 268;
inline constexpr int kGrammarUnreadable = 5124;
inline constexpr int kGrammarRefused = 5132;
inline constexpr int kTooManyGrammars = 5136;

enum EngineStates {
  kNotInitialised = 0,
  kIdle = 1,
  kRecognising = 2,
  kStopped = 3,
  kTerminated = 5,
  kComplete = 6
};

struct RecogObject {
  LH_OBJECT hSpeech{};
  LH_OBJECT* GrammarHandles = nullptr;  // kMaxGrammars entries
  LH_OBJECT hCtx{};
  LH_OBJECT hAudioSource{};
  LH_AUDIOIN_HANDLE hAudioIn = nullptr;
  LH_OBJECT hFx{};
  LH_OBJECT hJumpBackBuf{};
  LH_OBJECT hRec{};
  LH_OBJECT hRes{};
  std::uint32_t ulFrequency = 0;
  std::uint32_t ulFrameShift = 0;
  std::uint32_t ulFrameSize = 0;
  std::int32_t GrammarCount = 0;
  // Read by a TERMINATE from another thread while a recognition runs.
  std::atomic<std::int32_t> EngineState{kNotInitialised};
};

inline bool IsNull(LH_OBJECT h) { return h.pObj == 0 && h.pStamp == 0; }

// program_folder
int SetAccessDirectory(int mode);
char* ReadFileToBuffer(const char16_t* path, std::size_t* size);
// state_machine: a TERMINATE is waiting for the running command.
bool TerminatePending();
// grammars_and_rules: the rule list of DeActivateRules, kept by the library
// across INITs.
std::vector<std::u16string>& RulesArray();

// The steps.
int CreateRecognizer(RecogObject& r, const char* image, std::size_t size);
int SetParamsRecognizer(RecogObject& r);
int AudioSrcCtrl(RecogObject& r, int mode);
int CloseRecognizer(RecogObject& r);
int LoadStaticGrammar(RecogObject& r);
int LoadContextOnRecognizer(RecogObject& r);
int ActivateContext(RecogObject& r);  // builds the search network for the rules as they are
int UnLoadContextOnRecognizer(RecogObject& r);
int DeActivateRules(RecogObject& r, int mode);
int DoRecognition(SREC_COMMAND_OBJECT& cmd, RecogObject& r);
int HandleAudioEvent(const LH_ASR_EVENT& event, SREC_COMMAND_OBJECT& cmd, RecogObject& r);
int ProcessResult(SREC_COMMAND_OBJECT& cmd, RecogObject& r);

// Trace: discarded unless ONDRIX_TRACE names "stderr" or a file.
FILE* TraceStream();
void TraceOut(FILE* stream, const wchar_t* format, ...);
void TraceCallError(const char* call, int line, const char* file, const char* text, bool audio);
// A recogniser text as the trace shows it: ASCII, '?' for anything else.
std::string TraceText(const char16_t* text);

// A step between its trace lines "Entering function NAME()... " and
// "Exiting function NAME(Success)" or "(FAIL)".
template <class Step>
int TracedStep(const wchar_t* name, Step step) {
  TraceOut(TraceStream(), L"Entering function %ls()... \n", name);
  const int rc = step();
  TraceOut(TraceStream(), rc == 0 ? L"Exiting function %ls(Success) \n" : L"Exiting function %ls(FAIL) \n", name);
  return rc;
}

}  // namespace talvane::ondrix

// Each routine stops at its first failing call and returns its code.
#define LHS_CHECK(call)                                                                                 \
  do {                                                                                                  \
    const LH_ERROR lhs_rc_ = (call);                                                                    \
    if (lhs_rc_ != LH_OK) {                                                                             \
      ::talvane::ondrix::TraceCallError(#call, __LINE__, __FILE__, lhs_asrErrGetString(lhs_rc_), false); \
      return static_cast<int>(lhs_rc_);                                                                 \
    }                                                                                                   \
  } while (0)

#define LHSAUDIO_CHECK(call)                                                                                 \
  do {                                                                                                       \
    const LH_ERROR lhs_rc_ = (call);                                                                         \
    if (lhs_rc_ != LHAUDIOIN_OK) {                                                                           \
      ::talvane::ondrix::TraceCallError(#call, __LINE__, __FILE__, lhs_audioinErrorGetString(lhs_rc_), true); \
      return static_cast<int>(lhs_rc_);                                                                      \
    }                                                                                                        \
  } while (0)

#define TRACE(...) ::talvane::ondrix::TraceOut(::talvane::ondrix::TraceStream(), __VA_ARGS__)
