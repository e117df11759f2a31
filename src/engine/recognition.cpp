// The recognition: DoRecognition pumps audio-in frames through the audio
// source until it has finished; HandleAudioEvent does what an audio source
// event asks for, in the order gain, abnormal condition, result; and
// ProcessResult turns an accepted result into the command text, its
// unignored entries joined by spaces, and its confidence.
#include <string>

#include "engine/engine.h"

namespace talvane::ondrix {

namespace {

const wchar_t* StatusName(std::uint32_t s) {
  switch (s) {
    case AUDIOIN_TIMEOUT:
      return L"AUDIOIN_TIMEOUT";
    case AUDIOIN_HIGHWATERMARK:
      return L"AUDIOIN_HIGHWATERMARK";
    case AUDIOIN_FIFOOVERRUN:
      return L"AUDIOIN_FIFOOVERRUN";
    case AUDIOIN_FLUSHED:
      return L"AUDIOIN_FLUSHED";
    case AUDIOIN_HWOVERRUN:
      return L"AUDIOIN_HWOVERRUN";
    default:
      return nullptr;
  }
}

// The failure exit: the source stopped, the device stopped and closed.
int Fail(RecogObject& r, int code) {
  lhs_asrAudioSourceBreak(r.hAudioSource);
  if (r.hAudioIn) {
    lhs_audioinStop(r.hAudioIn);
    lhs_audioinClose(&r.hAudioIn);
  }
  return code;
}

int Loop(SREC_COMMAND_OBJECT& cmd, RecogObject& r) {
  std::uint32_t finished = 0;
  LH_BOOL no_more = LH_FALSE;
  LH_ASR_EVENT event{};
  for (;;) {
    std::uint32_t samples = r.ulFrameSize, status = 0;
    std::int16_t* frame = nullptr;
    if (const LH_ERROR rc = lhs_audioinGetFrame(r.hAudioIn, &samples, &frame, &status); rc != LHAUDIOIN_OK) {
      TraceCallError("lhs_audioinGetFrame(r.hAudioIn, &samples, &frame, &status)", __LINE__, __FILE__,
                     lhs_audioinErrorGetString(rc), true);
      return Fail(r, static_cast<int>(rc));
    }
    if (const wchar_t* name = StatusName(status)) TRACE(L"AudioIn component status information: %ls.\n", name);
    if (status == AUDIOIN_TIMEOUT || status == AUDIOIN_FIFOOVERRUN || status == AUDIOIN_HWOVERRUN) {
      TRACE(L"!!! An AudioIn component error was detected. \n");
      lhs_audioinReturnFrame(r.hAudioIn, frame);
      lhs_asrAudioSourceBreak(r.hAudioSource);
      lhs_audioinStop(r.hAudioIn);
      lhs_audioinClose(&r.hAudioIn);
      return 1;
    }
    if (const LH_ERROR rc = lhs_asrAudioSourceSupplyData(r.hAudioSource, frame, samples * 2); rc != LH_OK) {
      lhs_audioinReturnFrame(r.hAudioIn, frame);
      TraceCallError("lhs_asrAudioSourceSupplyData(r.hAudioSource, frame, samples * 2)", __LINE__, __FILE__,
                     lhs_asrErrGetString(rc), false);
      return Fail(r, static_cast<int>(rc));
    }
    no_more = LH_FALSE;
    while (!no_more) {
      if (finished) break;
      if (const LH_ERROR rc = lhs_asrAudioSourceAdvance(r.hAudioSource, &event, &finished, &no_more); rc != LH_OK) {
        lhs_audioinReturnFrame(r.hAudioIn, frame);
        TraceCallError("lhs_asrAudioSourceAdvance(r.hAudioSource, &event, &finished, &no_more)", __LINE__, __FILE__,
                       lhs_asrErrGetString(rc), false);
        return Fail(r, static_cast<int>(rc));
      }
      if (no_more || finished) {
        if (const LH_ERROR rc = lhs_audioinReturnFrame(r.hAudioIn, frame); rc != LHAUDIOIN_OK) return Fail(r, static_cast<int>(rc));
        if (finished) {
          if (const LH_ERROR rc = lhs_audioinStop(r.hAudioIn); rc != LHAUDIOIN_OK) return Fail(r, static_cast<int>(rc));
        }
      }
      if (event.flags != 0) {
        if (const int rc = HandleAudioEvent(event, cmd, r); rc != 0) return Fail(r, rc);
      }
    }
    if (finished) break;
  }
  if (finished == ASRAUDIO_FINISHED_TIMEOUT) TRACE(L"The audio source finished on its no-speech timeout.\n");
  r.EngineState = kStopped;
  return 0;
}

// ---- events and results ----

const wchar_t* ConditionName(std::uint32_t c) {
  switch (c) {
    case ASRFX_BADSNR:
      return L"ASRFX_BADSNR";
    case ASRFX_OVERLOAD:
      return L"ASRFX_OVERLOAD";
    case ASRFX_TOOQUIET:
      return L"ASRFX_TOOQUIET";
    case ASRFX_NOSIGNAL:
      return L"ASRFX_NOSIGNAL";
    case ASRFX_POORMIC:
      return L"ASRFX_POORMIC";
    default:
      return L"unknown";
  }
}

int HandleEvent(const LH_ASR_EVENT& event, SREC_COMMAND_OBJECT& cmd, RecogObject& r) {
  if (IsNull(r.hRec)) return 0;
  if (event.flags & ASRAUDIO_EVENT_GAIN) {
    std::uint16_t gain = 0;
    LHS_CHECK(lhs_asrFxGetRequestedGain(r.hFx, &gain));
    LHS_CHECK(lhs_asrFxSetGain(r.hFx, gain));
    TRACE(L"Gain set to %u.\n", static_cast<unsigned>(gain));
  }
  if (event.flags & ASRAUDIO_EVENT_ABNORMCOND) {
    std::uint32_t condition = 0;
    LHS_CHECK(lhs_asrFxGetAbnormCondition(r.hFx, &condition));
    TRACE(L"Abnormal condition: %ls.\n", ConditionName(condition));
  }
  if (event.flags & ASRAUDIO_EVENT_RESULT) {
    TRACE(L"Result at sample %u.\n", static_cast<unsigned>(event.samplePosition));
    LHS_CHECK(lhs_asrRecCreateResult(r.hRec, &r.hRes));
    std::uint32_t type = 0;
    LH_ERROR rc = lhs_asrResGetType(r.hRes, &type);
    int step = static_cast<int>(rc);
    if (rc == LH_OK) {
      if (type == ASRRES_ACCEPTED)
        step = ProcessResult(cmd, r);
      else if (type == ASRRES_REJECTED)
        cmd.CmdConfidence = 0;  // the text stays as it was
    }
    const LH_ERROR closed = lhs_asrResClose(&r.hRes);
    if (step != 0) return step;
    LHS_CHECK(closed);
  }
  return 0;
}

// Appends without passing the buffer's end: a longer text is cut, and the
// buffer always ends with a zero.
void Append(char16_t* buffer, std::size_t& length, const char16_t* text) {
  for (; text && *text && length + 1 < SR_AGGREGATE_SIZE; ++text) buffer[length++] = *text;
  buffer[length] = u'\0';
}

}  // namespace

int DoRecognition(SREC_COMMAND_OBJECT& cmd, RecogObject& r) {
  TRACE(L"Entering function DoRecognition()... \n");
  r.EngineState = kRecognising;
  cmd.CmdConfidence = 0;  // stays 0 unless a command is recognised
  lhs_asrAudioSourceBreak(r.hAudioSource);
  int rc = 0;
  if (const LH_ERROR e = lhs_asrAudioSourceStart(r.hAudioSource); e != LH_OK) {
    TraceCallError("lhs_asrAudioSourceStart(r.hAudioSource)", __LINE__, __FILE__, lhs_asrErrGetString(e), false);
    rc = Fail(r, static_cast<int>(e));
  }
  // A TERMINATE that came before the source was started stops it now.
  if (rc == 0 && TerminatePending()) lhs_asrAudioSourceBreak(r.hAudioSource);
  if (rc == 0) {
    lhs_audioinStop(r.hAudioIn);
    if (const LH_ERROR e = lhs_audioinStart(r.hAudioIn); e != LHAUDIOIN_OK) {
      TraceCallError("lhs_audioinStart(r.hAudioIn)", __LINE__, __FILE__, lhs_audioinErrorGetString(e), true);
      rc = Fail(r, static_cast<int>(e));
    }
  }
  if (rc == 0) rc = Loop(cmd, r);
  TRACE(rc == 0 ? L"Exiting function DoRecognition(Success) \n" : L"Exiting function DoRecognition(FAIL) \n");
  return rc;
}

int HandleAudioEvent(const LH_ASR_EVENT& event, SREC_COMMAND_OBJECT& cmd, RecogObject& r) {
  const int rc = HandleEvent(event, cmd, r);
  // A failing call leaves no result open.
  if (rc != 0 && !IsNull(r.hRes)) lhs_asrResClose(&r.hRes);
  return rc;
}

int ProcessResult(SREC_COMMAND_OBJECT& cmd, RecogObject& r) {
  cmd.CmdConfidence = 0;
  if (!cmd.CmdAggregate) return 0;  // nowhere to put it: no command
  cmd.CmdAggregate[0] = u'\0';
  std::size_t count = 0;
  LHS_CHECK(lhs_asrResGetNbrOfUtterances(r.hRes, &count));
  if (count == 0) return 0;
  FILE* trace = TraceStream();
  if (trace) {
    TRACE(L" __________RESULT_______________________________________\n");
    TRACE(L"| result | confi- | result string [start rule]\n");
    TRACE(L"| number | dence  |\n");
    TRACE(L"|--------|--------|-------------------------------------\n");
  }
  std::size_t length = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const LH_ASR_RESULT_INFO* info = nullptr;
    LHS_CHECK(lhs_asrResGetInfo(r.hRes, i, &info));
    for (std::size_t j = 0; j < info->nEntries; ++j) {
      const LH_ASR_WORD_ENTRY& e = info->pEntries[j];
      if (trace)
        TRACE(L"| %6d | %6u | '%s' [%s] %ls%ls\n", static_cast<int>(j), info->conf, TraceText(e.szWord).c_str(),
              TraceText(info->szStartRule).c_str(), e.bTag == 1 ? L" TAG " : L"", e.bIgnore == 1 ? L" !IGNORE " : L"");
      if (e.bIgnore == 0) Append(cmd.CmdAggregate, length, e.szWord);
      if (j + 1 < info->nEntries && e.bIgnore == 0) Append(cmd.CmdAggregate, length, u" ");
    }
    cmd.CmdConfidence = info->conf;
  }
  if (trace) {
    TRACE(L"|--------|--------|-------------------------------------\n");
    TRACE(L"\tFINAL COMMAND AGGREGATE [%s] CONFIDENCE [%u]\n", TraceText(cmd.CmdAggregate).c_str(), cmd.CmdConfidence);
  }
  return 0;
}

}  // namespace talvane::ondrix
