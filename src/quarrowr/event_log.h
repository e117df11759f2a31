// quarrowr.log in the program folder: one JSON object a line for each thing
// the voice module does (a recognition, a value, a simulator event, a
// readback, a checklist step), for support and for tests that follow a run.
// Each line is written through at once, so a crash loses nothing. At the
// size limit the file becomes quarrowr.log.1 (one previous file is kept).
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace talvane::quarrowr {

inline constexpr const char* kEventLogFile = "quarrowr.log";

// One "key": value of a line. Text is Windows-1252, as the program holds it.
struct LogField {
  std::string_view key;
  std::variant<std::string_view, long long, bool> value;
  LogField(std::string_view k, std::string_view v) : key(k), value(v) {}
  LogField(std::string_view k, const std::string& v) : key(k), value(std::string_view(v)) {}
  LogField(std::string_view k, const char* v) : key(k), value(std::string_view(v)) {}
  LogField(std::string_view k, long long v) : key(k), value(v) {}
  LogField(std::string_view k, int v) : key(k), value(static_cast<long long>(v)) {}
  LogField(std::string_view k, unsigned v) : key(k), value(static_cast<long long>(v)) {}
  LogField(std::string_view k, bool v) : key(k), value(v) {}
};

// `text` (Windows-1252) as a JSON string in UTF-8, quotes included.
std::string JsonString(std::string_view text);

class EventLog {
 public:
  static constexpr std::uintmax_t kDefaultLimit = 1024 * 1024;

  explicit EventLog(std::filesystem::path file, std::uintmax_t limit = kDefaultLimit);
  ~EventLog();
  EventLog(const EventLog&) = delete;
  EventLog& operator=(const EventLog&) = delete;

  // {"time": ..., "event": `event`, fields...}. A log that cannot be
  // written loses the line and nothing else.
  void Write(std::string_view event, std::initializer_list<LogField> fields);
  void Flush();

  const std::filesystem::path& File() const { return file_; }

 private:
  void Open();

  std::filesystem::path file_;
  std::uintmax_t limit_;
  std::FILE* out_ = nullptr;
  std::uintmax_t size_ = 0;
};

}  // namespace talvane::quarrowr
