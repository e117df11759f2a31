#include "quarrowr/catalogue_commands.h"

#include "aircraft/checklist.h"
#include "common/text.h"
#include "quarrowr/checklist_flow.h"

namespace talvane::quarrowr {

CommandPlan CatalogueCommands::Interpret(std::string_view engineText) {
  CommandPlan out;
  const auto number = ActionNumber(engineText);
  if (!number || *number == 0) return out;  // nothing recognised
  out.functionNumber = *number;
  out.command = Trim(engineText);
  if (*number == kResponseSkip || *number == kResponseIgnore) {
    // A checklist word with no checklist running: the flow takes it otherwise.
    out.kind = CommandPlan::Kind::kUnable;
    out.command = *number == kResponseSkip ? "Skip" : "Ignore";
    out.reason = "no checklist is running";
    out.readback = "No checklist is running";
    return out;
  }
  if (!mapError_.empty()) {
    out.kind = CommandPlan::Kind::kUnable;
    out.reason = mapError_;
    return out;
  }
  const talvane::CommandPlan plan = PlanCommand(catalogue_, events_, turns_, engineText);
  if (plan.command >= 0) out.command = Trim(catalogue_.CommandList[static_cast<std::size_t>(plan.command)].commandName.str());
  for (const auto& v : plan.values) out.values.push_back({v.token, v.tags, v.value, v.spoken});
  if (!plan.unable.empty()) {
    out.kind = CommandPlan::Kind::kUnable;
    out.reason = plan.unable;
    return out;
  }
  out.readback = plan.readback;
  if (plan.checklistSection) {
    out.kind = CommandPlan::Kind::kChecklist;
    out.checklistSection = *plan.checklistSection;
    return out;
  }
  out.kind = CommandPlan::Kind::kAct;
  for (const auto& e : plan.events) out.events.push_back({e.name, e.data});
  return out;
}

}  // namespace talvane::quarrowr
