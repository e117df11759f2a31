#include "inflight/engine_text.h"

#include <charconv>

#include "common/binary.h"
#include "common/split.h"

namespace talvane {

namespace {

// More tags than any list can give means the text is not a command's.
constexpr std::size_t kMaxTags = 64;

[[noreturn]] void Malformed(std::string_view text, std::string_view why) {
  throw FormatError("command text \"" + std::string(text.substr(0, 80)) + "\": " + std::string(why));
}

}  // namespace

EngineCommand ParseEngineText(std::string_view text) {
  // The engine joins its entries with spaces; tabs and line ends are not its own.
  auto pieces = SplitAt(text, " ");
  if (pieces.empty()) Malformed(text, "empty");
  std::string_view action = pieces.front();
  if (action.front() != '|') Malformed(text, "does not start with the action tag '|'");
  action.remove_prefix(1);

  EngineCommand cmd;
  if (!action.empty() && action.back() == ':') {
    cmd.valuesFollow = true;
    action.remove_suffix(1);
  }
  const auto [end, ec] = std::from_chars(action.data(), action.data() + action.size(), cmd.functionNumber);
  if (action.empty() || ec != std::errc() || end != action.data() + action.size() || cmd.functionNumber < 0)
    Malformed(text, "the action tag holds no function number");

  for (std::size_t i = 1; i < pieces.size(); ++i) {
    if (pieces[i].find_first_of("|\t\r\n") != std::string::npos) Malformed(text, "a second action tag or a control character");
    cmd.tags.push_back(std::move(pieces[i]));
  }
  if (cmd.tags.size() > kMaxTags) Malformed(text, "too many value tags");
  if (!cmd.valuesFollow && !cmd.tags.empty()) Malformed(text, "value tags after an action tag without ':'");
  return cmd;
}

}  // namespace talvane
