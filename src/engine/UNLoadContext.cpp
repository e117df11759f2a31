// UnLoadContextOnRecognizer: the context out of the recogniser, then it and
// every grammar closed.
#include "engine/engine.h"

namespace talvane::ondrix {

namespace {

int Unload(RecogObject& r) {
  if (!IsNull(r.hRec) && !IsNull(r.hCtx) && IsNull(r.hRes)) LHS_CHECK(lhs_asrRecUnloadContext(r.hRec));
  if (!IsNull(r.hCtx)) LHS_CHECK(lhs_asrCtxClose(&r.hCtx));
  // All of them: the grammars past the second would outlive the engine otherwise.
  for (int i = 0; r.GrammarHandles && i < r.GrammarCount; ++i) {
    if (IsNull(r.GrammarHandles[i])) {
      TRACE(L"NULL HANDLE found for Grammar handle [%d] on attempted unload .\n", i);
      continue;
    }
    LHS_CHECK(lhs_asrGrmClose(&r.GrammarHandles[i]));
    TRACE(L"Grammar handle [%d] successfully unloaded at address %p \n", i,
          static_cast<void*>(&r.GrammarHandles[i]));
  }
  return 0;
}

}  // namespace

int UnLoadContextOnRecognizer(RecogObject& r) {
  TRACE(L"Entering function UnLoadContextOnRecognizer()... \n");
  const int rc = Unload(r);
  TRACE(rc == 0 ? L"Exiting function UnLoadContextOnRecognizer(Success) \n"
                : L"Exiting function UnLoadContextOnRecognizer(FAIL) \n");
  return rc;
}

}  // namespace talvane::ondrix
