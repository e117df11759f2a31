// The engine's command text, read and planned against a small catalogue whose
// phrases share tags among several lists: never a crash, and an unable plan
// sends nothing.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/binary.h"
#include "inflight/command_plan.h"
#include "inflight/engine_text.h"

namespace {

talvane::CommandRecord Command(const char* rule, std::int16_t value, const char* phrase, const char* readback) {
  talvane::CommandRecord c;
  c.ruleName = rule;
  c.commandValue = value;
  c.grammars.emplace_back(phrase);
  c.readbacks.emplace_back(readback);
  return c;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const talvane::CommandCatalogue catalogue = [] {
    talvane::CommandCatalogue c;
    c.CommandList = {Command("ALT", 1, "altitude <ALT>", "Altitude [ALT]"),
                     Command("MANY", 2, "<HDG> <ALT> <SPD> <COMM_FREQ> <NUM_3> <VSNEG> <XPNDR_CODE> <NAV_ID>",
                             "[HDG] [ALT] [SPD] [COM] [NUM] [VSNEG] [SQUAWK] [NAVAID]"),
                     Command("RADIO", 3, "com <COMM_FREQ> nav <NAV_FREQ> adf <ADF_FREQ>", "[COM] [NAV] [ADF]"),
                     Command("ILS", 4, "ils <RWY_APT_ID>", "[RWY]"), Command("CHECK", 5, "checklist", "Checklist")};
    return c;
  }();
  static const talvane::EventMap map = talvane::ParseEventMap(
      "ALT feet A\nMANY heading B C=1\nRADIO com-bcd16 D\nILS nav-bcd16 E\nCHECK checklist Landing\n", "fuzz");
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    (void)talvane::ParseEngineText(text);
  } catch (const talvane::FormatError&) {
  }
  talvane::ReadbackTurns turns;
  const auto plan = talvane::PlanCommand(catalogue, map, turns, text);
  if (!plan.unable.empty() && (!plan.events.empty() || plan.checklistSection || !plan.readback.empty())) std::abort();
  return 0;
}
