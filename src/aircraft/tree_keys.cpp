#include "aircraft/tree_keys.h"

#include <charconv>
#include <limits>

namespace talvane {

namespace {

constexpr std::string_view kPrefix = "KEY_";

bool ParseNumber(std::string_view s, long long& v) {
  if (s.empty()) return false;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  return ec == std::errc() && p == s.data() + s.size() && v >= 0;
}

bool FitsIndex(long long oneBased) { return oneBased >= 1 && oneBased - 1 <= std::numeric_limits<std::int32_t>::max(); }

}  // namespace

std::string TreeNodeKey(int manufacturer, int type, int variation) {
  const long long m = manufacturer + 1LL, t = type + 1LL, v = variation + 1LL;
  if (t > kMaxKeyedChildren || v > kMaxKeyedChildren) {
    std::string key = std::string(kPrefix) + std::to_string(m) + "." + std::to_string(t);
    if (variation >= 0) key += "." + std::to_string(v);
    return key;
  }
  long long n = m * 1000000;
  if (type >= 0) n += t * 1000;
  if (type >= 0 && variation >= 0) n += v;
  return std::string(kPrefix) + std::to_string(n);
}

TreeSelection DecodeTreeNodeKey(std::string_view key) {
  TreeSelection none;
  if (!key.starts_with(kPrefix)) return none;
  key.remove_prefix(kPrefix.size());

  if (key.find('.') != std::string_view::npos) {
    long long part[3] = {0, 0, 0};
    int count = 0;
    while (count < 3) {
      const std::size_t dot = key.find('.');
      if (!ParseNumber(key.substr(0, dot), part[count]) || !FitsIndex(part[count])) return none;
      ++count;
      if (dot == std::string_view::npos) break;
      key.remove_prefix(dot + 1);
      if (count == 3) return none;
    }
    if (count < 2) return none;
    return {static_cast<std::int32_t>(part[0] - 1), static_cast<std::int32_t>(part[1] - 1),
            count == 3 ? static_cast<std::int32_t>(part[2] - 1) : -1};
  }

  long long n = 0;
  if (!ParseNumber(key, n) || n < 1000000) return none;
  const long long m = n / 1000000;
  if (!FitsIndex(m)) return none;
  const long long rest = n - m * 1000000;
  TreeSelection s;
  s.manufacturer = static_cast<std::int32_t>(m - 1);
  s.type = static_cast<std::int32_t>(rest / 1000 - 1);
  s.variation = static_cast<std::int32_t>(rest % 1000 - 1);
  // A variation needs its type: "KEY_1000005" names no node.
  if (s.type < 0 && s.variation >= 0) return none;
  return s;
}

}  // namespace talvane
