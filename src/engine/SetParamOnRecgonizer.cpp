// SetParamsRecognizer: the front end's and the recogniser's parameter lists.
#include "engine/engine.h"

namespace talvane::ondrix {

namespace {

// Endpointing on, gain requests on, a 5 s no-speech timeout, 500 ms of
// silence after an unfinished phrase, no noise suppression.
const LH_PARAM_PAIR kFxParam[] = {{0, 1}, {1, 1}, {9, 5000}, {6, 500}, {7, 0}};
// One hypothesis, whole phrases only, rejection below confidence 3500.
const LH_PARAM_PAIR kRecParam[] = {{0, 1}, {4, 1}, {10, 3500}};

int Set(RecogObject& r) {
  LHS_CHECK(lhs_asrRecSetAllOptimalValues(r.hRec));
  LHS_CHECK(lhs_asrFxSetParamList(r.hFx, kFxParam, 5));
  LHS_CHECK(lhs_asrRecSetParamList(r.hRec, kRecParam, 3));
  return 0;
}

}  // namespace

int SetParamsRecognizer(RecogObject& r) {
  TRACE(L"Entering function SetParamsRecognizer()... \n");
  const int rc = Set(r);
  TRACE(rc == 0 ? L"Exiting function SetParamsRecognizer(Success) \n"
                : L"Exiting function SetParamsRecognizer(FAIL) \n");
  return rc;
}

}  // namespace talvane::ondrix
