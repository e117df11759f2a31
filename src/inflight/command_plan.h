// What the voice module does with a recognised command: the simulator events
// with their data, or the checklist section to run, or "unable" and why; and
// the readback the copilot says.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/command_catalogue.h"
#include "inflight/event_map.h"
#include "inflight/value_lists.h"

namespace talvane {

struct SimEvent {
  std::string name;
  std::uint32_t data = 0;
  bool operator==(const SimEvent&) const = default;
};

// One value as the event log records it.
struct LogValue {
  std::string list;    // "ALT"
  std::string token;   // "[ALT]"
  std::string tags;    // "3 5 0", as the engine returned them
  std::string value;   // "35000"
  std::string spoken;  // "flight level three five zero"
};

struct CommandPlan {
  int command = -1;  // index in the catalogue; -1 when no command has the number
  int functionNumber = -1;
  std::string ruleName;
  std::vector<SimEvent> events;
  std::optional<int> checklistSection;  // 0-11: run it instead of sending events
  std::string readback;                 // Windows-1252 as stored; empty when unable
  std::string unable;                   // non-empty: nothing is done, and why
  std::vector<LogValue> values;
};

// Which readback each command says next: they are said in turn.
class ReadbackTurns {
 public:
  // The next non-blank readback of the command (trimmed), or "".
  std::string Next(const CommandRecord& command);

 private:
  std::map<int, std::size_t> next_;  // by function number
};

// The values of a command from its tags: the tags are shared out among the
// lists its phrases name, in the order of the first phrase whose lists take
// them. Throws FormatError when no phrase does.
std::vector<ListValue> CommandValues(const CommandRecord& command, const std::vector<std::string>& tags);

// Reads the engine's command text and plans it. Never throws: a malformed
// text, an unknown number or a rule without a mapping comes back as unable.
CommandPlan PlanCommand(const CommandCatalogue& catalogue, const EventMap& events, ReadbackTurns& turns,
                        std::string_view engineText);

}  // namespace talvane
