#include "quarrowr/event_log.h"

#include <chrono>
#include <cstdio>

#include "common/local_time.h"
#include "common/text.h"

namespace talvane::quarrowr {

namespace {

// Local time with milliseconds: the log is read beside the simulator's.
std::string TimeStamp() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count() % 1000;
  char tail[8];
  std::snprintf(tail, sizeof tail, ".%03d", static_cast<int>(ms));
  return LocalTimeStamp() + tail;
}

}  // namespace

std::string JsonString(std::string_view text) { return JsonQuoted(Cp1252ToUtf8(text)); }

EventLog::EventLog(std::filesystem::path file, std::uintmax_t limit) : file_(std::move(file)), limit_(limit) { Open(); }

EventLog::~EventLog() {
  if (out_) std::fclose(out_);
}

void EventLog::Open() {
  out_ = std::fopen(file_.c_str(), "abe");
  size_ = 0;
  if (out_ && std::fseek(out_, 0, SEEK_END) == 0) {
    const long at = std::ftell(out_);
    size_ = at > 0 ? static_cast<std::uintmax_t>(at) : 0;
  }
}

void EventLog::Write(std::string_view event, std::initializer_list<LogField> fields) {
  std::string line = "{\"time\":" + JsonString(TimeStamp()) + ",\"event\":" + JsonString(event);
  for (const auto& f : fields) {
    line += "," + JsonString(f.key) + ":";
    if (const auto* s = std::get_if<std::string_view>(&f.value))
      line += JsonString(*s);
    else if (const auto* n = std::get_if<long long>(&f.value))
      line += std::to_string(*n);
    else
      line += std::get<bool>(f.value) ? "true" : "false";
  }
  line += "}\n";

  if (size_ > 0 && size_ + line.size() > limit_) {
    if (out_) std::fclose(out_);
    std::error_code ec;
    std::filesystem::rename(file_, std::filesystem::path(file_.string() + ".1"), ec);
    Open();
  }
  if (!out_) {
    Open();  // the folder may have become writable
    if (!out_) return;
  }
  if (std::fwrite(line.data(), 1, line.size(), out_) == line.size()) size_ += line.size();
  std::fflush(out_);
}

void EventLog::Flush() {
  if (out_) std::fflush(out_);
}

}  // namespace talvane::quarrowr
