// Cutting text into the pieces between separator characters, or into lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace talvane {

// The non-empty pieces of `s` between any of the `separators`, in order.
std::vector<std::string> SplitAt(std::string_view s, std::string_view separators);

// The lines of `text` without their '\n' (empty ones too); a last line
// needs no '\n', and nothing after a final '\n' is a line.
std::vector<std::string_view> SplitLines(std::string_view text);

}  // namespace talvane
