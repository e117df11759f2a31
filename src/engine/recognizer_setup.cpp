// Setting the recogniser up and tearing it down: CreateRecognizer,
// SetParamsRecognizer, AudioSrcCtrl and CloseRecognizer.
#include "engine/engine.h"

namespace talvane::ondrix {

namespace {

// The recogniser instance from the language model, and the chain
// audio source -> front end -> jump-back buffer -> recogniser.
int BuildChain(RecogObject& r, const char* image, std::size_t size) {
  LHS_CHECK(lhs_Initialize(nullptr, image, size, &r.hSpeech));
  LHS_CHECK(lhs_asrCreateAudioSource(r.hSpeech, &r.hAudioSource));
  LHS_CHECK(lhs_asrCreateFx(r.hSpeech, &r.hFx));
  LHS_CHECK(lhs_asrCreateJumpBackBuf(r.hSpeech, &r.hJumpBackBuf));
  LHS_CHECK(lhs_asrCreateRec(r.hSpeech, &r.hRec));
  LHS_CHECK(lhs_asrAudioSourceSetConsumer(r.hAudioSource, r.hFx));
  LHS_CHECK(lhs_asrFxSetJumpbackConsumer(r.hFx, r.hJumpBackBuf));
  LHS_CHECK(lhs_asrJumpBackBufSetConsumer(r.hJumpBackBuf, r.hRec));
  return 0;
}

// Endpointing on, gain requests on, a 5 s no-speech timeout, 500 ms of
// silence after an unfinished phrase, no noise suppression.
const LH_PARAM_PAIR kFxParam[] = {{0, 1}, {1, 1}, {9, 5000}, {6, 500}, {7, 0}};
// One hypothesis, whole phrases only, rejection below confidence 3500.
const LH_PARAM_PAIR kRecParam[] = {{0, 1}, {4, 1}, {10, 3500}};

int SetParams(RecogObject& r) {
  LHS_CHECK(lhs_asrRecSetAllOptimalValues(r.hRec));
  LHS_CHECK(lhs_asrFxSetParamList(r.hFx, kFxParam, 5));
  LHS_CHECK(lhs_asrRecSetParamList(r.hRec, kRecParam, 3));
  return 0;
}

int OpenDevice(RecogObject& r) {
  std::uint32_t bytes = 0;
  LHS_CHECK(lhs_asrAudioSourceGetFrameSize(r.hAudioSource, &bytes));
  // One audio-in frame carries ten recogniser frames, counted in samples.
  r.ulFrameSize = (bytes * 10u) / 2u;
  LHSAUDIO_CHECK(lhs_audioinOpen(WAVE_MAPPER, r.ulFrequency, &r.hAudioIn));
  return 0;
}

int CloseDevice(RecogObject& r) {
  LHSAUDIO_CHECK(lhs_audioinStop(r.hAudioIn));
  LHSAUDIO_CHECK(lhs_audioinClose(&r.hAudioIn));
  return 0;
}

// The chain taken down back to front, then the instance.
int CloseChain(RecogObject& r) {
  if (!IsNull(r.hJumpBackBuf)) LHS_CHECK(lhs_asrJumpBackBufReleaseConsumer(r.hJumpBackBuf));
  if (!IsNull(r.hFx)) LHS_CHECK(lhs_asrFxReleaseJumpbackConsumer(r.hFx));
  if (!IsNull(r.hAudioSource)) LHS_CHECK(lhs_asrAudioSourceReleaseConsumer(r.hAudioSource));
  if (!IsNull(r.hRec)) LHS_CHECK(lhs_asrRecClose(&r.hRec));
  if (!IsNull(r.hJumpBackBuf)) LHS_CHECK(lhs_asrJumpBackBufClose(&r.hJumpBackBuf));
  if (!IsNull(r.hFx)) LHS_CHECK(lhs_asrFxClose(&r.hFx));
  if (!IsNull(r.hAudioSource)) LHS_CHECK(lhs_asrAudioSourceClose(&r.hAudioSource));
  if (!IsNull(r.hSpeech)) LHS_CHECK(lhs_UnInitialize(&r.hSpeech));
  return 0;
}

}  // namespace

int CreateRecognizer(RecogObject& r, const char* image, std::size_t size) {
  return TracedStep(L"CreateRecognizer", [&] { return BuildChain(r, image, size); });
}

int SetParamsRecognizer(RecogObject& r) {
  return TracedStep(L"SetParamsRecognizer", [&] { return SetParams(r); });
}

// Mode 1 opens the audio-in device, mode 0 stops and closes it.
int AudioSrcCtrl(RecogObject& r, int mode) {
  TRACE(L"Entering function AudioSrcCtrl(%d)... \n", mode);
  int rc = 0;
  if (mode == 1)
    rc = OpenDevice(r);
  else if (mode == 0)
    rc = CloseDevice(r);
  TRACE(rc == 0 ? L"Exiting function AudioSrcCtrl(Success) \n" : L"Exiting function AudioSrcCtrl(FAIL) \n");
  return rc;
}

int CloseRecognizer(RecogObject& r) {
  return TracedStep(L"CloseRecognizer", [&] { return CloseChain(r); });
}

}  // namespace talvane::ondrix
