// The trace every routine reports through. Off unless ONDRIX_TRACE names
// "stderr" or a file (appended to); nothing the library does depends on it.
#include <cstdarg>
#include <cstdlib>
#include <cwchar>
#include <mutex>
#include <string>

#include "common/text.h"
#include "engine/engine.h"

namespace talvane::ondrix {

namespace {

std::string ToUtf8(const wchar_t* w) {
  std::string out;
  for (; *w; ++w) {
    const auto cp = static_cast<char32_t>(*w);
    talvane::AppendUtf8(out, cp);
  }
  return out;
}

}  // namespace

std::string TraceText(const char16_t* text) {
  std::string out;
  for (; text && *text; ++text) out += *text < 0x80 ? static_cast<char>(*text) : '?';
  return out;
}

FILE* TraceStream() {
  static FILE* stream = [] {
    const char* where = std::getenv("ONDRIX_TRACE");
    if (!where || !*where) return static_cast<FILE*>(nullptr);
    if (std::string(where) == "stderr") return stderr;
    return std::fopen(where, "a");
  }();
  return stream;
}

void TraceOut(FILE* stream, const wchar_t* format, ...) {
  if (!stream) return;  // the delivered behaviour: every line is discarded
  wchar_t buffer[4096];
  va_list args;
  va_start(args, format);
  const int n = std::vswprintf(buffer, sizeof buffer / sizeof buffer[0], format, args);
  va_end(args);
  if (n < 0) buffer[sizeof buffer / sizeof buffer[0] - 1] = L'\0';
  static std::mutex mutex;  // TERMINATE may trace from a second thread
  std::lock_guard lock(mutex);
  std::fputs(ToUtf8(buffer).c_str(), stream);
  std::fflush(stream);
}

void TraceCallError(const char* call, int line, const char* file, const char* text, bool audio) {
  FILE* s = TraceStream();
  if (!s) return;
  const wchar_t* bar = audio ? L"LHSAUDIO_CHECK_ERROR" : L"LHS_CHECK_FUNC_ERROR";
  TraceOut(s, L" _________________%ls________________v\n", bar);
  TraceOut(s, L"ERROR returned by the function call:\n%s\n", call);
  TraceOut(s, L"AT line (%d)\nWITHIN file: %s.\n", line, file);
  TraceOut(s, L"LHS ERR STRING: %s\n", text);
  TraceOut(s, L" _________________%ls________________^\n", bar);
}

}  // namespace talvane::ondrix
