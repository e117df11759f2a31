// What the voice module asks of the command interpretation: the engine's
// command text in, a plan out. The interpretation (the catalogue, the value
// lists, the rule -> simulator event mapping, the readback wording) lives
// elsewhere; the module carries the plan out and logs it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace talvane::quarrowr {

struct SimulatorEvent {
  std::string name;
  std::uint32_t data = 0;
};

// One value as it was assembled, for the log: its list ("[ALT]"), the tags
// the engine returned ("1 0 000") and the value they make ("10000").
struct AssembledValue {
  std::string list;
  std::string tags;
  std::string value;
  std::string spoken;  // as the readback says it ("flight level three five zero")
};

struct CommandPlan {
  enum class Kind {
    kNothing,    // no command in the text (nothing heard, rejected speech)
    kAct,        // send `events`, then speak `readback`
    kChecklist,  // run section `checklistSection` of the aircraft's checklist
    kUnable,     // not carried out: `reason` says why, `readback` may answer it
  };
  Kind kind = Kind::kNothing;
  std::int32_t functionNumber = 0;
  std::string command;  // the command's name, for the window and the log
  std::vector<SimulatorEvent> events;
  std::string readback;       // Windows-1252; empty: nothing to say
  int checklistSection = -1;  // 0 to 11 with kChecklist
  std::string reason;
  std::vector<AssembledValue> values;
};

class CommandPort {
 public:
  virtual ~CommandPort() = default;
  // `engineText` is the engine's result as it gave it ("|104",
  // "|120: 1 0 000"), in Windows-1252.
  virtual CommandPlan Interpret(std::string_view engineText) = 0;
};

}  // namespace talvane::quarrowr
