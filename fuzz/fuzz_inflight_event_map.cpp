// The rule -> simulator event mapping file: a file either reads or is refused
// with a FormatError, and every rule read says what to do.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/binary.h"
#include "inflight/event_map.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  talvane::EventMap map;
  try {
    map = talvane::ParseEventMap(text, "fuzz.txt");
  } catch (const talvane::FormatError&) {
    return 0;
  }
  static const talvane::ListValue value = talvane::AssembleValue("COMM_FREQ", {"1", "2", "1", ".", "5", "00"});
  for (const auto& r : map.rules) {
    if (!r.checklistSection && r.unable.empty() && r.events.empty()) std::abort();
    if (map.Find(r.rule) != &r) std::abort();  // each rule once
    (void)talvane::EncodeValue(r.encoding, value);
  }
  return 0;
}
