// The shipped mapping from the catalogue's rule names to simulator events
// (Data/sim_events.txt, readable text; docs/data-formats.md), and the
// encodings that turn a spoken value into an event's data.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "inflight/value_lists.h"

namespace talvane {

enum class ValueEncoding {
  kNone,          // "-": the events carry 0 (or their fixed data)
  kWhole,         // feet, knots, feet per minute, degrees of an angle: the number (negative as two's complement)
  kHeading,       // degrees 0-359 (360 is sent as 0)
  kPercent,       // the number rounded
  kHundredths,    // Mach 0.78 -> 78
  kMillibars16,   // altimeter: millibars x 16 (inches converted)
  kComBcd16,      // 121.275 -> 0x2127 (25 kHz channels; 8.33 kHz ones on a 25 kHz frequency)
  kNavBcd16,      // 110.35 -> 0x1035; also a VOR's frequency from a navaid tag
  kSquawkBcd16,   // 7000 -> 0x7000
  kAdfBcd32,      // 352.5 kHz -> 0x00352500 (Hz, one decimal digit per nibble)
  kFlapPosition,  // degrees of a 40-degree travel -> 0..16383
  kOpacity255,    // window transparency percent -> panel alpha 255..0
};

struct EventTarget {
  std::string event;                   // simulator event name
  std::optional<std::uint32_t> fixed;  // data written in the file (EVENT=DATA)
};

struct EventRule {
  std::string rule;  // upper case, as the grammars name it
  int line = 0;
  ValueEncoding encoding = ValueEncoding::kNone;
  std::vector<EventTarget> events;      // in the order they are sent
  std::optional<int> checklistSection;  // "checklist": run this section instead
  std::string unable;                   // "unable": why nothing can be sent
};

struct EventMap {
  std::string file;
  std::vector<EventRule> rules;
  // The rule of that name (compared without regard to case), or nullptr.
  const EventRule* Find(std::string_view rule) const;
};

inline constexpr const char* kEventMapFile = "\\Data\\sim_events.txt";

// Throws FormatError "FILE:LINE: what" on a malformed line, an unknown
// encoding or section, or a rule given twice.
EventMap ParseEventMap(std::string_view text, std::string_view fileName);
// Reads and parses the file; FormatError also when it cannot be read.
EventMap LoadEventMap(const std::filesystem::path& file);

// The event data for a value, or the reason it cannot be sent.
struct EncodedValue {
  std::uint32_t data = 0;
  std::string unable;
};
EncodedValue EncodeValue(ValueEncoding encoding, const ListValue& value);

}  // namespace talvane
