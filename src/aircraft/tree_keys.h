// The keys of the aircraft tree's nodes and the selection they stand for.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace talvane {

// The selected manufacturer, type and variation (0-based); -1 where the
// selected node is a level above.
struct TreeSelection {
  std::int32_t manufacturer = -1;
  std::int32_t type = -1;
  std::int32_t variation = -1;
  bool IsVariation() const { return manufacturer >= 0 && type >= 0 && variation >= 0; }
  bool operator==(const TreeSelection&) const = default;
};

// Types and variations the decimal key can tell apart at one level.
inline constexpr int kMaxKeyedChildren = 999;

// "KEY_" + (m+1)*1000000 [+ (t+1)*1000 [+ (v+1)]]; pass -1 for the levels
// below the node. A type or variation beyond the 999 the number can hold
// gets the key "KEY_M.T.V" (1-based) instead, so no two nodes share a key.
std::string TreeNodeKey(int manufacturer, int type = -1, int variation = -1);

// The selection a node key stands for; all -1 for text that is not a key.
TreeSelection DecodeTreeNodeKey(std::string_view key);

}  // namespace talvane
