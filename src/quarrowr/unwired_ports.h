// Stand-ins for the command interpretation and the simulator link where a
// build has none: every command is answered "unable", and the link is
// always down. The window and the loop work the same either way.
#pragma once

#include "quarrowr/checklist_flow.h"
#include "quarrowr/command_port.h"
#include "quarrowr/simulator_port.h"

namespace talvane::quarrowr {

class UnwiredCommands : public CommandPort {
 public:
  CommandPlan Interpret(std::string_view engineText) override {
    CommandPlan plan;
    const auto number = ActionNumber(engineText);
    if (!number || *number == 0) return plan;
    plan.kind = CommandPlan::Kind::kUnable;
    plan.functionNumber = *number;
    plan.command = std::string(engineText);
    plan.reason = "commands are not interpreted in this build";
    return plan;
  }
};

class UnwiredSimulator : public SimulatorPort {
 public:
  bool Connected() const override { return false; }
  void Connect() override {}
  bool Transmit(const std::string&, std::uint32_t) override { return false; }
  std::optional<std::string> AircraftTitle() override { return std::nullopt; }
  std::string Status() const override { return "no simulator link in this build"; }
  void Close() override {}
};

}  // namespace talvane::quarrowr
