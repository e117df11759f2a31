// ProcessResult: an accepted result as the command text, its unignored
// entries joined by spaces, and its confidence.
#include <algorithm>
#include <string>

#include "engine/engine.h"

namespace talvane::ondrix {

namespace {

std::string Narrow(const char16_t* s) {
  std::string out;
  for (; s && *s; ++s) out += *s < 0x80 ? static_cast<char>(*s) : '?';
  return out;
}

// Appends without passing the buffer's end: a longer text is cut, and the
// buffer always ends with a zero.
void Append(char16_t* buffer, std::size_t& length, const char16_t* text) {
  for (; text && *text && length + 1 < SR_AGGREGATE_SIZE; ++text) buffer[length++] = *text;
  buffer[length] = u'\0';
}

int Process(SREC_COMMAND_OBJECT& cmd, RecogObject& r) {
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
        TRACE(L"| %6d | %6u | '%s' [%s] %ls%ls\n", static_cast<int>(j), info->conf, Narrow(e.szWord).c_str(),
              Narrow(info->szStartRule).c_str(), e.bTag == 1 ? L" TAG " : L"", e.bIgnore == 1 ? L" !IGNORE " : L"");
      if (e.bIgnore == 0) Append(cmd.CmdAggregate, length, e.szWord);
      if (j + 1 < info->nEntries && e.bIgnore == 0) Append(cmd.CmdAggregate, length, u" ");
    }
    cmd.CmdConfidence = info->conf;
  }
  if (trace) {
    TRACE(L"|--------|--------|-------------------------------------\n");
    TRACE(L"\tFINAL COMMAND AGGREGATE [%s] CONFIDENCE [%u]\n", Narrow(cmd.CmdAggregate).c_str(), cmd.CmdConfidence);
  }
  return 0;
}

}  // namespace

int ProcessResult(SREC_COMMAND_OBJECT& cmd, RecogObject& r) { return Process(cmd, r); }

}  // namespace talvane::ondrix
