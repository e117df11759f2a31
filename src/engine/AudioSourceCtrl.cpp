// AudioSrcCtrl: opens (mode 1) or stops and closes (mode 0) the audio-in
// device.
#include "engine/engine.h"

namespace talvane::ondrix {

namespace {

int Open(RecogObject& r) {
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

}  // namespace

int AudioSrcCtrl(RecogObject& r, int mode) {
  TRACE(L"Entering function AudioSrcCtrl(%d)... \n", mode);
  int rc = 0;
  if (mode == 1)
    rc = Open(r);
  else if (mode == 0)
    rc = CloseDevice(r);
  TRACE(rc == 0 ? L"Exiting function AudioSrcCtrl(Success) \n" : L"Exiting function AudioSrcCtrl(FAIL) \n");
  return rc;
}

}  // namespace talvane::ondrix
