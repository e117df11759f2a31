// CreateRecognizer: the recogniser instance from the language model, and the
// chain audio source -> front end -> jump-back buffer -> recogniser.
#include "engine/engine.h"

namespace talvane::ondrix {

namespace {

int Build(RecogObject& r, const char* image, std::size_t size) {
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

}  // namespace

int CreateRecognizer(RecogObject& r, const char* image, std::size_t size) {
  TRACE(L"Entering function CreateRecognizer()... \n");
  const int rc = Build(r, image, size);
  TRACE(rc == 0 ? L"Exiting function CreateRecognizer(Success) \n" : L"Exiting function CreateRecognizer(FAIL) \n");
  return rc;
}

}  // namespace talvane::ondrix
