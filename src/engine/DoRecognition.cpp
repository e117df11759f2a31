// DoRecognition: one recognition, pumping audio-in frames through the audio
// source until it has finished.
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
      r.EngineState = kAudioFailure;
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
        if (const int rc = HandleEvent(event, cmd, r); rc != 0) return Fail(r, rc);
      }
    }
    if (finished) break;
  }
  if (finished == ASRAUDIO_FINISHED_TIMEOUT) TRACE(L"The audio source finished on its no-speech timeout.\n");
  r.EngineState = kStopped;
  return 0;
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

}  // namespace talvane::ondrix
