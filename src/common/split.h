// Cutting text into the pieces between separator characters.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace talvane {

// The non-empty pieces of `s` between any of the `separators`, in order.
std::vector<std::string> SplitAt(std::string_view s, std::string_view separators);

}  // namespace talvane
