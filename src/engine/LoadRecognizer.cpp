// LoadContextOnRecognizer: one context from all loaded grammars, loaded
// into the recogniser and activated.
#include "engine/engine.h"

namespace talvane::ondrix {

namespace {

int Load(RecogObject& r) {
  r.hCtx = spapiGetNullHandle();
  if (IsNull(r.hSpeech) || IsNull(r.hRec)) return kNullHandle;
  // Not tested here: without a context the next call fails.
  lhs_asrCreateCtxFromGrammarHandles(r.hSpeech, r.GrammarHandles, static_cast<std::size_t>(r.GrammarCount), nullptr,
                                     nullptr, 0, &r.hCtx);
  LHS_CHECK(lhs_asrRecLoadContext(r.hRec, r.hCtx, LH_TRUE, ASRREC_DYNPROG_AUTOMATIC, nullptr));
  LHS_CHECK(lhs_asrCtxActivate(r.hCtx, r.hRec));
  return 0;
}

}  // namespace

int LoadContextOnRecognizer(RecogObject& r) {
  TRACE(L"Entering function LoadContextOnRecognizer()... \n");
  const int rc = Load(r);
  TRACE(rc == 0 ? L"Exiting function LoadContextOnRecognizer(Success) \n"
                : L"Exiting function LoadContextOnRecognizer(FAIL) \n");
  return rc;
}

}  // namespace talvane::ondrix
