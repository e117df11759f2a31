// The command interpretation the voice module uses in flight: the shipped
// catalogue and the rule -> simulator event mapping of the program folder.
#pragma once

#include <string>
#include <string_view>

#include "catalogue/command_catalogue.h"
#include "inflight/command_plan.h"
#include "inflight/event_map.h"
#include "quarrowr/command_port.h"

namespace talvane::quarrowr {

class CatalogueCommands : public CommandPort {
 public:
  // `mapError` non-empty: the mapping could not be read, and every command
  // is answered unable with that reason rather than dropped.
  CatalogueCommands(const CommandCatalogue& catalogue, EventMap events, std::string mapError = {})
      : catalogue_(catalogue), events_(std::move(events)), mapError_(std::move(mapError)) {}
  CommandPlan Interpret(std::string_view engineText) override;

 private:
  const CommandCatalogue& catalogue_;
  EventMap events_;
  std::string mapError_;
  ReadbackTurns turns_;
};

}  // namespace talvane::quarrowr
