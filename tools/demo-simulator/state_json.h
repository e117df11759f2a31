// The cockpit as one JSON object with stable key names, written after every
// change so that tests and scripts can follow the demo simulator:
//   {"title": ..., "events_applied": N, "link": {...}, "autopilot": {...},
//    "altimeter": {...}, "com1": {"active": "121.500", "standby": ...}, ...}
#pragma once

#include <string>
#include <string_view>

#include "cockpit_state.h"

namespace talvane::demosim {

// What the window's link line says, for the state file too.
struct LinkStatus {
  std::string endpoint;  // "127.0.0.1:50500"; empty when the server does not listen
  std::string message;   // why it does not listen, or "listening"
  int clients = 0;
};

std::string StateJson(const CockpitState& state, const LinkStatus& link);

}  // namespace talvane::demosim
