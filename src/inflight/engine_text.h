// The command text the recognition engine returns for a recognised command:
// the action tag "|" + function number, ":" when list values follow, then the
// value tags, all separated by spaces ("|120: 3 5 0 00", "|100").
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace talvane {

struct EngineCommand {
  int functionNumber = 0;
  bool valuesFollow = false;      // the ':' after the number
  std::vector<std::string> tags;  // the value tags, in order
};

// Throws FormatError naming what is wrong with the text.
EngineCommand ParseEngineText(std::string_view text);

}  // namespace talvane
