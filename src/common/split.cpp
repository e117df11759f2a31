#include "common/split.h"

#include <algorithm>

namespace talvane {

std::vector<std::string> SplitAt(std::string_view s, std::string_view separators) {
  std::vector<std::string> out;
  std::size_t at = 0;
  while (at < s.size()) {
    at = s.find_first_not_of(separators, at);
    if (at == std::string_view::npos) break;
    const std::size_t end = std::min(s.find_first_of(separators, at), s.size());
    out.emplace_back(s.substr(at, end - at));
    at = end;
  }
  return out;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}

}  // namespace talvane
