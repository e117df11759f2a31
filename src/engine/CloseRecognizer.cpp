// CloseRecognizer: the chain taken down back to front, then the instance.
#include "engine/engine.h"

namespace talvane::ondrix {

namespace {

int Close(RecogObject& r) {
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

int CloseRecognizer(RecogObject& r) {
  TRACE(L"Entering function CloseRecognizer()... \n");
  const int rc = Close(r);
  TRACE(rc == 0 ? L"Exiting function CloseRecognizer(Success) \n" : L"Exiting function CloseRecognizer(FAIL) \n");
  return rc;
}

}  // namespace talvane::ondrix
