// HandleEvent: what an audio source event asks for, in the order gain,
// abnormal condition, result.
#include "engine/engine.h"

namespace talvane::ondrix {

namespace {

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

int Handle(const LH_ASR_EVENT& event, SREC_COMMAND_OBJECT& cmd, RecogObject& r) {
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

}  // namespace

int HandleEvent(const LH_ASR_EVENT& event, SREC_COMMAND_OBJECT& cmd, RecogObject& r) {
  const int rc = Handle(event, cmd, r);
  // A failing call leaves no result open.
  if (rc != 0 && !IsNull(r.hRes)) lhs_asrResClose(&r.hRes);
  return rc;
}

}  // namespace talvane::ondrix
