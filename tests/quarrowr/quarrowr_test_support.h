// Reading the voice module's event log back in tests.
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "quarrowr/event_log.h"

namespace talvane::quarrowr {

inline std::vector<std::string> LogLines(const std::filesystem::path& file) {
  std::vector<std::string> lines;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

inline std::vector<std::string> LogLines(EventLog& log) {
  log.Flush();
  return LogLines(log.File());
}

// A line of event `event` that holds `part`.
inline bool HasLine(const std::vector<std::string>& lines, const std::string& event, const std::string& part) {
  for (const auto& l : lines)
    if (l.find("\"event\":\"" + event + "\"") != std::string::npos && l.find(part) != std::string::npos) return true;
  return false;
}

}  // namespace talvane::quarrowr
