#include "cockpit_state.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>

namespace talvane::demosim {

namespace {

// What a handler is given: the event's data, and a place to say why it
// cannot be used. A handler that rejects its data changes nothing.
struct EventData {
  std::uint32_t raw = 0;
  std::string problem;

  std::int32_t Signed() const { return static_cast<std::int32_t>(raw); }
  void Reject(std::string why) { problem = std::move(why); }
};

using Handler = void (*)(CockpitState&, EventData&);

// The decimal number of `nibbles` BCD digits, or nullopt when one is not a digit.
std::optional<std::uint32_t> FromBcd(std::uint32_t value, int nibbles) {
  std::uint32_t n = 0;
  for (int i = nibbles - 1; i >= 0; --i) {
    const std::uint32_t digit = (value >> (4 * i)) & 0xF;
    if (digit > 9) return std::nullopt;
    n = n * 10 + digit;
  }
  return n;
}

std::string Hex(std::uint32_t v) {
  char s[16];
  std::snprintf(s, sizeof s, "0x%04X", v);
  return s;
}

// A COM frequency in BCD (121.275 MHz is 0x2127): 118.000-136.975 on the
// 25 kHz raster, whose last BCD digit is 0, 2, 5 or 7.
bool ValidCom(std::uint32_t bcd, EventData& d) {
  const auto n = bcd <= 0xFFFF ? FromBcd(bcd, 4) : std::nullopt;
  const std::uint32_t last = bcd & 0xF;
  if (!n || *n < 1800 || *n > 3697 || !(last == 0 || last == 2 || last == 5 || last == 7)) {
    d.Reject(Hex(bcd) + " is not a COM frequency");
    return false;
  }
  return true;
}

// A NAV frequency in BCD (110.35 MHz is 0x1035): 108.00-117.95, 50 kHz steps.
bool ValidNav(std::uint32_t bcd, EventData& d) {
  const auto n = bcd <= 0xFFFF ? FromBcd(bcd, 4) : std::nullopt;
  const std::uint32_t last = bcd & 0xF;
  if (!n || *n < 800 || *n > 1795 || !(last == 0 || last == 5)) {
    d.Reject(Hex(bcd) + " is not a NAV frequency");
    return false;
  }
  return true;
}

void SetCom(std::uint16_t& slot, EventData& d) {
  if (ValidCom(d.raw, d)) slot = static_cast<std::uint16_t>(d.raw);
}
void SetNav(std::uint16_t& slot, EventData& d) {
  if (ValidNav(d.raw, d)) slot = static_cast<std::uint16_t>(d.raw);
}
void Swap(RadioPair& r) { std::swap(r.active, r.standby); }

// A number the event must carry within [low, high].
bool InRange(EventData& d, long long low, long long high, const char* what) {
  const long long v = d.Signed();
  if (v >= low && v <= high) return true;
  d.Reject(std::to_string(v) + " is not " + what);
  return false;
}

int Clamp(int v, int low, int high) { return std::clamp(v, low, high); }

// Flap detents: up, then quarters of the travel. A step goes to the next
// detent beyond the handle, wherever FLAPS_SET left it.
constexpr int kFlapDetents = 4;
int FlapDetent(int position, int step) {
  int i = step > 0 ? 0 : kFlapDetents;
  const auto at = [](int d) { return static_cast<int>(std::lround(static_cast<double>(d) * kFullTravel / kFlapDetents)); };
  if (step > 0) {
    while (i < kFlapDetents && at(i) <= position) ++i;
  } else {
    while (i > 0 && at(i) >= position) --i;
  }
  return at(i);
}

constexpr int kTrimStep = 512;
constexpr int kThrottleStep = 10;
constexpr int kMixtureStep = 10;
constexpr double kFastestRate = 128, kSlowestRate = 0.25;
constexpr double kZoomStep = 1.25, kMostZoom = 32, kLeastZoom = 0.25;

// Cycled by the next and previous view events.
constexpr std::array<const char*, 4> kViews = {"cockpit", "virtual cockpit", "tower", "spot"};
void StepView(CockpitState& s, int step) {
  const auto at = std::find(kViews.begin(), kViews.end(), s.simulation.view);
  const int i = at == kViews.end() ? 0 : static_cast<int>(at - kViews.begin());
  const int n = static_cast<int>(kViews.size());
  s.simulation.view = kViews[static_cast<std::size_t>(((i + step) % n + n) % n)];
}

// An engine runs once its starter turns with fuel and a spark.
void Crank(CockpitState& s, std::size_t engine) {
  auto& e = s.engines;
  e.starter[engine] = !e.starter[engine];
  if (e.starter[engine] && e.magnetos != "OFF" && e.mixture[engine] > 0 && s.fuel.selector != "OFF")
    e.running[engine] = true;
}

void SetMixture(CockpitState& s, std::size_t engine, int percent) {
  s.engines.mixture[engine] = Clamp(percent, 0, 100);
  if (s.engines.mixture[engine] == 0) s.engines.running[engine] = false;
}

void SetMixtures(CockpitState& s, int percent) {
  SetMixture(s, 0, percent);
  SetMixture(s, 1, percent);
}

void Magnetos(CockpitState& s, const char* position) {
  s.engines.magnetos = position;
  if (s.engines.magnetos == "OFF") s.engines.running = {false, false};
}

const std::map<std::string, Handler, std::less<>>& Table() {
  using S = CockpitState;
  using D = EventData;
  static const std::map<std::string, Handler, std::less<>> table = {
      // Autopilot modes
      {"AUTOPILOT_ON", [](S& s, D&) { s.autopilot.master = true; }},
      {"AUTOPILOT_OFF", [](S& s, D&) { s.autopilot.master = false; }},
      {"TOGGLE_FLIGHT_DIRECTOR", [](S& s, D&) { s.autopilot.flight_director = !s.autopilot.flight_director; }},
      {"AP_HDG_HOLD_ON", [](S& s, D&) { s.autopilot.heading_hold = true; }},
      {"AP_HDG_HOLD_OFF", [](S& s, D&) { s.autopilot.heading_hold = false; }},
      {"AP_NAV1_HOLD_ON", [](S& s, D&) { s.autopilot.nav_hold = true; }},
      {"AP_NAV1_HOLD_OFF", [](S& s, D&) { s.autopilot.nav_hold = false; }},
      // Approach hold tracks localizer and glide slope; localizer hold the
      // localizer alone, so each replaces the other.
      {"AP_APR_HOLD_ON", [](S& s, D&) { s.autopilot.approach_hold = true, s.autopilot.localizer_hold = false; }},
      {"AP_APR_HOLD_OFF", [](S& s, D&) { s.autopilot.approach_hold = false; }},
      {"AP_LOC_HOLD_ON", [](S& s, D&) { s.autopilot.localizer_hold = true, s.autopilot.approach_hold = false; }},
      {"AP_LOC_HOLD_OFF", [](S& s, D&) { s.autopilot.localizer_hold = false; }},
      {"AP_BC_HOLD_ON", [](S& s, D&) { s.autopilot.back_course_hold = true; }},
      {"AP_BC_HOLD_OFF", [](S& s, D&) { s.autopilot.back_course_hold = false; }},
      {"AP_ALT_HOLD_ON", [](S& s, D&) { s.autopilot.altitude_hold = true; }},
      {"AP_ALT_HOLD_OFF", [](S& s, D&) { s.autopilot.altitude_hold = false; }},
      {"AP_AIRSPEED_ON", [](S& s, D&) { s.autopilot.airspeed_hold = true, s.autopilot.mach_hold = false; }},
      {"AP_AIRSPEED_OFF", [](S& s, D&) { s.autopilot.airspeed_hold = false; }},
      {"AP_MACH_ON", [](S& s, D&) { s.autopilot.mach_hold = true, s.autopilot.airspeed_hold = false; }},
      {"AP_MACH_OFF", [](S& s, D&) { s.autopilot.mach_hold = false; }},
      {"YAW_DAMPER_ON", [](S& s, D&) { s.autopilot.yaw_damper = true; }},
      {"YAW_DAMPER_OFF", [](S& s, D&) { s.autopilot.yaw_damper = false; }},
      {"AUTO_THROTTLE_ARM",
       [](S& s, D&) {
         s.autopilot.autothrottle = !s.autopilot.autothrottle;
         if (!s.autopilot.autothrottle) s.autopilot.takeoff_go_around = false;
       }},
      {"AUTO_THROTTLE_TO_GA", [](S& s, D&) { s.autopilot.takeoff_go_around = s.autopilot.autothrottle = true; }},
      // Autopilot bugs
      {"HEADING_BUG_SET", [](S& s, D& d) { s.autopilot.heading = static_cast<int>(d.raw % 360); }},
      {"VOR1_SET", [](S& s, D& d) { s.autopilot.course1 = static_cast<int>(d.raw % 360); }},
      {"VOR2_SET", [](S& s, D& d) { s.autopilot.course2 = static_cast<int>(d.raw % 360); }},
      {"AP_ALT_VAR_SET_ENGLISH",
       [](S& s, D& d) {
         if (InRange(d, -2000, 99000, "an altitude in feet")) s.autopilot.altitude = d.Signed();
       }},
      {"AP_VS_VAR_SET_ENGLISH",
       [](S& s, D& d) {
         if (InRange(d, -9900, 9900, "a vertical speed in feet per minute")) s.autopilot.vertical_speed = d.Signed();
       }},
      {"AP_SPD_VAR_SET",
       [](S& s, D& d) {
         if (InRange(d, 0, 999, "an airspeed in knots")) s.autopilot.airspeed = d.Signed();
       }},
      {"AP_MACH_VAR_SET",
       [](S& s, D& d) {
         if (InRange(d, 0, 500, "a Mach number in hundredths")) s.autopilot.mach_hundredths = d.Signed();
       }},
      {"AP_N1_REF_SET",
       [](S& s, D& d) {
         if (InRange(d, 0, 110, "an N1 percentage")) s.autopilot.n1 = d.Signed();
       }},
      {"KOHLSMAN_SET",
       [](S& s, D& d) {
         if (InRange(d, 850 * 16, 1100 * 16, "an altimeter setting in millibars x 16")) s.altimeter16 = d.Signed();
       }},
      // Radios
      {"COM_RADIO_SET", [](S& s, D& d) { SetCom(s.com1.active, d); }},
      {"COM_STBY_RADIO_SET", [](S& s, D& d) { SetCom(s.com1.standby, d); }},
      {"COM_STBY_RADIO_SWAP", [](S& s, D&) { Swap(s.com1); }},
      {"COM2_RADIO_SET", [](S& s, D& d) { SetCom(s.com2.active, d); }},
      {"COM2_STBY_RADIO_SET", [](S& s, D& d) { SetCom(s.com2.standby, d); }},
      {"COM2_RADIO_SWAP", [](S& s, D&) { Swap(s.com2); }},
      {"NAV1_RADIO_SET", [](S& s, D& d) { SetNav(s.nav1.active, d); }},
      {"NAV1_STBY_SET", [](S& s, D& d) { SetNav(s.nav1.standby, d); }},
      {"NAV1_RADIO_SWAP", [](S& s, D&) { Swap(s.nav1); }},
      {"NAV2_RADIO_SET", [](S& s, D& d) { SetNav(s.nav2.active, d); }},
      {"NAV2_STBY_SET", [](S& s, D& d) { SetNav(s.nav2.standby, d); }},
      {"NAV2_RADIO_SWAP", [](S& s, D&) { Swap(s.nav2); }},
      {"COM1_TRANSMIT_SELECT", [](S& s, D&) { s.com_transmit = 1; }},
      {"COM2_TRANSMIT_SELECT", [](S& s, D&) { s.com_transmit = 2; }},
      {"RADIO_VOR1_IDENT_ENABLE", [](S& s, D&) { s.nav1_ident = true; }},
      {"RADIO_VOR1_IDENT_DISABLE", [](S& s, D&) { s.nav1_ident = false; }},
      {"RADIO_VOR2_IDENT_ENABLE", [](S& s, D&) { s.nav2_ident = true; }},
      {"RADIO_VOR2_IDENT_DISABLE", [](S& s, D&) { s.nav2_ident = false; }},
      {"RADIO_ADF_IDENT_ENABLE", [](S& s, D&) { s.adf_ident = true; }},
      {"RADIO_ADF_IDENT_DISABLE", [](S& s, D&) { s.adf_ident = false; }},
      {"ADF_COMPLETE_SET",
       [](S& s, D& d) {
         // Hz, one decimal digit a nibble: 352.5 kHz is 0x00352500.
         const auto hz = FromBcd(d.raw, 8);
         if (!hz || *hz < 190000 || *hz > 1799900) return d.Reject(Hex(d.raw) + " is not an ADF frequency");
         s.adf_hz = *hz;
       }},
      {"XPNDR_SET",
       [](S& s, D& d) {
         bool octal = d.raw <= 0xFFFF;
         for (int i = 0; i < 4; ++i) octal = octal && ((d.raw >> (4 * i)) & 0xF) <= 7;
         if (!octal) return d.Reject(Hex(d.raw) + " is not a transponder code");
         s.transponder = static_cast<std::uint16_t>(d.raw);
       }},
      // Lights
      {"LANDING_LIGHTS_ON", [](S& s, D&) { s.lights.landing = true; }},
      {"LANDING_LIGHTS_OFF", [](S& s, D&) { s.lights.landing = false; }},
      {"TOGGLE_TAXI_LIGHTS", [](S& s, D&) { s.lights.taxi = !s.lights.taxi; }},
      {"TOGGLE_NAV_LIGHTS", [](S& s, D&) { s.lights.nav = !s.lights.nav; }},
      {"TOGGLE_BEACON_LIGHTS", [](S& s, D&) { s.lights.beacon = !s.lights.beacon; }},
      {"STROBES_ON", [](S& s, D&) { s.lights.strobe = true; }},
      {"STROBES_OFF", [](S& s, D&) { s.lights.strobe = false; }},
      {"TOGGLE_LOGO_LIGHTS", [](S& s, D&) { s.lights.logo = !s.lights.logo; }},
      {"TOGGLE_WING_LIGHTS", [](S& s, D&) { s.lights.wing = !s.lights.wing; }},
      {"TOGGLE_RECOGNITION_LIGHTS", [](S& s, D&) { s.lights.recognition = !s.lights.recognition; }},
      {"PANEL_LIGHTS_ON", [](S& s, D&) { s.lights.panel = true; }},
      {"PANEL_LIGHTS_OFF", [](S& s, D&) { s.lights.panel = false; }},
      {"TOGGLE_CABIN_LIGHTS", [](S& s, D&) { s.lights.cabin = !s.lights.cabin; }},
      // Engines
      {"TOGGLE_STARTER1", [](S& s, D&) { Crank(s, 0); }},
      {"TOGGLE_STARTER2", [](S& s, D&) { Crank(s, 1); }},
      {"ENGINE_AUTO_START",
       [](S& s, D&) {
         s.engines.magnetos = "BOTH";
         s.engines.mixture = {100, 100};
         if (s.fuel.selector == "OFF") s.fuel.selector = "ALL";
         s.engines.running = {true, true};
       }},
      {"ENGINE_AUTO_SHUTDOWN", [](S& s, D&) { s.engines.running = {false, false}; }},
      {"MAGNETO_OFF", [](S& s, D&) { Magnetos(s, "OFF"); }},
      {"MAGNETO_LEFT", [](S& s, D&) { Magnetos(s, "LEFT"); }},
      {"MAGNETO_RIGHT", [](S& s, D&) { Magnetos(s, "RIGHT"); }},
      {"MAGNETO_BOTH", [](S& s, D&) { Magnetos(s, "BOTH"); }},
      {"MAGNETO_START", [](S& s, D&) { Magnetos(s, "START"); }},
      {"MIXTURE_RICH", [](S& s, D&) { SetMixtures(s, 100); }},
      {"MIXTURE_LEAN", [](S& s, D&) { SetMixtures(s, 0); }},
      {"MIXTURE_DECR",
       [](S& s, D&) {
         SetMixture(s, 0, s.engines.mixture[0] - kMixtureStep);
         SetMixture(s, 1, s.engines.mixture[1] - kMixtureStep);
       }},
      {"MIXTURE1_LEAN", [](S& s, D&) { SetMixture(s, 0, 0); }},
      {"MIXTURE2_LEAN", [](S& s, D&) { SetMixture(s, 1, 0); }},
      {"THROTTLE_CUT", [](S& s, D&) { s.engines.throttle = 0; }},
      {"THROTTLE_FULL", [](S& s, D&) { s.engines.throttle = 100; }},
      {"THROTTLE_INCR", [](S& s, D&) { s.engines.throttle = Clamp(s.engines.throttle + kThrottleStep, 0, 100); }},
      {"THROTTLE_DECR", [](S& s, D&) { s.engines.throttle = Clamp(s.engines.throttle - kThrottleStep, 0, 100); }},
      {"PROP_PITCH_LO", [](S& s, D&) { s.engines.propeller = 100; }},
      {"PROP_PITCH_HI", [](S& s, D&) { s.engines.propeller = 0; }},
      {"TOGGLE_FEATHER_SWITCHES", [](S& s, D&) { s.engines.feathered = !s.engines.feathered; }},
      {"ANTI_ICE_ON", [](S& s, D&) { s.engines.anti_ice = {true, true}; }},
      {"ANTI_ICE_OFF", [](S& s, D&) { s.engines.anti_ice = {false, false}; }},
      {"ANTI_ICE_SET_ENG1", [](S& s, D& d) { s.engines.anti_ice[0] = d.raw != 0; }},
      {"ANTI_ICE_SET_ENG2", [](S& s, D& d) { s.engines.anti_ice[1] = d.raw != 0; }},
      {"COWLFLAP1_SET",
       [](S& s, D& d) {
         if (InRange(d, 0, kFullTravel, "a cowl flap position")) s.engines.cowl_flaps[0] = d.Signed();
       }},
      {"COWLFLAP2_SET",
       [](S& s, D& d) {
         if (InRange(d, 0, kFullTravel, "a cowl flap position")) s.engines.cowl_flaps[1] = d.Signed();
       }},
      {"TOGGLE_MASTER_IGNITION_SWITCH", [](S& s, D&) { s.engines.ignition = !s.engines.ignition; }},
      {"EGT_SET",
       [](S& s, D& d) {
         if (InRange(d, 0, 2000, "an exhaust gas temperature")) s.engines.egt_reference = d.Signed();
       }},
      {"ENGINE_PRIMER", [](S& s, D&) { ++s.engines.primer_strokes; }},
      // Flight controls
      {"FLAPS_UP", [](S& s, D&) { s.flaps = 0; }},
      {"FLAPS_DOWN", [](S& s, D&) { s.flaps = kFullTravel; }},
      {"FLAPS_INCR", [](S& s, D&) { s.flaps = FlapDetent(s.flaps, 1); }},
      {"FLAPS_DECR", [](S& s, D&) { s.flaps = FlapDetent(s.flaps, -1); }},
      {"FLAPS_SET",
       [](S& s, D& d) {
         if (InRange(d, 0, kFullTravel, "a flap position")) s.flaps = d.Signed();
       }},
      {"SPOILERS_ARM_ON", [](S& s, D&) { s.spoilers_armed = true; }},
      {"SPOILERS_ARM_OFF", [](S& s, D&) { s.spoilers_armed = false; }},
      {"SPOILERS_ON", [](S& s, D&) { s.spoilers_deployed = true; }},
      {"SPOILERS_OFF", [](S& s, D&) { s.spoilers_deployed = false; }},
      {"ELEV_TRIM_UP", [](S& s, D&) { s.elevator_trim = Clamp(s.elevator_trim + kTrimStep, -kFullTravel, kFullTravel); }},
      {"ELEV_TRIM_DN", [](S& s, D&) { s.elevator_trim = Clamp(s.elevator_trim - kTrimStep, -kFullTravel, kFullTravel); }},
      {"AXIS_ELEV_TRIM_SET",
       [](S& s, D& d) {
         if (InRange(d, -kFullTravel, kFullTravel, "a trim position")) s.elevator_trim = d.Signed();
       }},
      {"RUDDER_TRIM_LEFT", [](S& s, D&) { s.rudder_trim = Clamp(s.rudder_trim - kTrimStep, -kFullTravel, kFullTravel); }},
      {"RUDDER_TRIM_RIGHT", [](S& s, D&) { s.rudder_trim = Clamp(s.rudder_trim + kTrimStep, -kFullTravel, kFullTravel); }},
      {"PARKING_BRAKES", [](S& s, D&) { s.parking_brake = !s.parking_brake; }},
      {"SET_AUTOBRAKE_CONTROL",
       [](S& s, D& d) {
         if (InRange(d, 0, 5, "an autobrake position")) s.autobrake = d.Signed();
       }},
      // Fuel
      {"FUEL_SELECTOR_ALL", [](S& s, D&) { s.fuel.selector = "ALL"; }},
      {"FUEL_SELECTOR_LEFT", [](S& s, D&) { s.fuel.selector = "LEFT"; }},
      {"FUEL_SELECTOR_RIGHT", [](S& s, D&) { s.fuel.selector = "RIGHT"; }},
      {"FUEL_SELECTOR_CENTER", [](S& s, D&) { s.fuel.selector = "CENTER"; }},
      {"FUEL_SELECTOR_OFF", [](S& s, D&) { s.fuel.selector = "OFF"; }},
      {"FUEL_PUMP", [](S& s, D&) { s.fuel.pump = !s.fuel.pump; }},
      {"CROSS_FEED_OPEN", [](S& s, D&) { s.fuel.crossfeed = true; }},
      {"CROSS_FEED_OFF", [](S& s, D&) { s.fuel.crossfeed = false; }},
      // Landing gear
      {"GEAR_UP", [](S& s, D&) { s.gear_down = false; }},
      {"GEAR_DOWN", [](S& s, D&) { s.gear_down = true; }},
      {"GEAR_PUMP", [](S& s, D&) { s.gear_down = true; }},  // the emergency extension
      {"TOGGLE_TAILWHEEL_LOCK", [](S& s, D&) { s.tailwheel_locked = !s.tailwheel_locked; }},
      // Electrical
      {"TOGGLE_MASTER_BATTERY", [](S& s, D&) { s.electrical.battery = !s.electrical.battery; }},
      {"TOGGLE_MASTER_ALTERNATOR", [](S& s, D&) { s.electrical.alternator = !s.electrical.alternator; }},
      {"TOGGLE_ALTERNATOR1", [](S& s, D&) { s.electrical.generator[0] = !s.electrical.generator[0]; }},
      {"TOGGLE_ALTERNATOR2", [](S& s, D&) { s.electrical.generator[1] = !s.electrical.generator[1]; }},
      {"AVIONICS_MASTER_SET", [](S& s, D& d) { s.electrical.avionics = d.raw != 0; }},
      {"APU_STARTER", [](S& s, D&) { s.electrical.apu_running = true; }},
      {"APU_OFF_SWITCH",
       [](S& s, D&) {
         s.electrical.apu_running = false;
         s.electrical.apu_generator = false;
       }},
      {"APU_GENERATOR_SWITCH_SET", [](S& s, D& d) { s.electrical.apu_generator = d.raw != 0; }},
      {"BLEED_AIR_SOURCE_CONTROL_SET",
       [](S& s, D& d) {
         if (InRange(d, 0, 3, "a bleed air source")) s.electrical.bleed_air_source = d.Signed();
       }},
      {"PITOT_HEAT_ON", [](S& s, D&) { s.electrical.pitot_heat = true; }},
      {"PITOT_HEAT_OFF", [](S& s, D&) { s.electrical.pitot_heat = false; }},
      {"TOGGLE_STRUCTURAL_DEICE", [](S& s, D&) { s.electrical.structural_deice = !s.electrical.structural_deice; }},
      {"CABIN_SEATBELTS_ALERT_SWITCH_TOGGLE",
       [](S& s, D&) { s.electrical.seatbelt_sign = !s.electrical.seatbelt_sign; }},
      {"CABIN_NO_SMOKING_ALERT_SWITCH_TOGGLE",
       [](S& s, D&) { s.electrical.no_smoking_sign = !s.electrical.no_smoking_sign; }},
      // Simulation
      {"PAUSE_ON", [](S& s, D&) { s.simulation.paused = true; }},
      {"PAUSE_OFF", [](S& s, D&) { s.simulation.paused = false; }},
      {"SIM_RATE_INCR", [](S& s, D&) { s.simulation.rate = std::min(s.simulation.rate * 2, kFastestRate); }},
      {"SIM_RATE_DECR", [](S& s, D&) { s.simulation.rate = std::max(s.simulation.rate / 2, kSlowestRate); }},
      {"CLOCK_HOURS_SET",
       [](S& s, D& d) {
         if (InRange(d, 0, 23, "an hour of the day")) s.simulation.clock_hour = d.Signed();
       }},
      {"SITUATION_SAVE", [](S& s, D&) { ++s.simulation.saves; }},
      {"SOUND_ON", [](S& s, D&) { s.simulation.sound = true; }},
      {"SOUND_OFF", [](S& s, D&) { s.simulation.sound = false; }},
      // Views
      {"VIEW_COCKPIT_FORWARD", [](S& s, D&) { s.simulation.view = "cockpit", s.simulation.look = "forward"; }},
      {"VIEW_VIRTUAL_COCKPIT_FORWARD",
       [](S& s, D&) { s.simulation.view = "virtual cockpit", s.simulation.look = "forward"; }},
      {"NEXT_VIEW", [](S& s, D&) { StepView(s, 1); }},
      {"PREV_VIEW", [](S& s, D&) { StepView(s, -1); }},
      {"VIEW_FORWARD", [](S& s, D&) { s.simulation.look = "forward"; }},
      {"VIEW_LEFT", [](S& s, D&) { s.simulation.look = "left"; }},
      {"VIEW_RIGHT", [](S& s, D&) { s.simulation.look = "right"; }},
      {"VIEW_REAR", [](S& s, D&) { s.simulation.look = "rear"; }},
      {"ZOOM_IN", [](S& s, D&) { s.simulation.zoom = std::min(s.simulation.zoom * kZoomStep, kMostZoom); }},
      {"ZOOM_OUT", [](S& s, D&) { s.simulation.zoom = std::max(s.simulation.zoom / kZoomStep, kLeastZoom); }},
      {"ZOOM_1X", [](S& s, D&) { s.simulation.zoom = 1; }},
      {"FLIGHT_MAP", [](S& s, D&) { s.simulation.map_shown = true; }},
      {"VIEW_PANEL_ALPHA_SET",
       [](S& s, D& d) {
         if (InRange(d, 0, 255, "a panel alpha")) s.simulation.panel_alpha = d.Signed();
       }},
  };
  return table;
}

std::string Format(const char* format, double value) {
  char s[32];
  std::snprintf(s, sizeof s, format, value);
  return s;
}

}  // namespace

bool CockpitState::Apply(std::string_view event, std::uint32_t data, std::string* problem) {
  const auto& table = Table();
  const auto found = table.find(event);
  if (found == table.end()) {
    if (problem) *problem = "unknown event";
    return false;
  }
  // Handlers check their data before they change anything.
  EventData d{data, {}};
  found->second(*this, d);
  if (d.problem.empty()) ++events_applied;
  if (problem) *problem = d.problem;
  return true;
}

const std::set<std::string>& KnownEventNames() {
  static const std::set<std::string> names = [] {
    std::set<std::string> n;
    for (const auto& [name, handler] : Table()) n.insert(name);
    return n;
  }();
  return names;
}

std::string ComText(std::uint16_t bcd) {
  // The leading 1 is implied and the last digit follows from the 25 kHz raster.
  const unsigned last = bcd & 0xF;
  const char third = (last == 2 || last == 7) ? '5' : '0';
  char s[16];
  std::snprintf(s, sizeof s, "1%02X.%02X%c", bcd >> 8, bcd & 0xFF, third);
  return s;
}

std::string NavText(std::uint16_t bcd) {
  char s[16];
  std::snprintf(s, sizeof s, "1%02X.%02X", bcd >> 8, bcd & 0xFF);
  return s;
}

std::string AdfText(std::uint32_t hz) { return Format("%.1f", hz / 1000.0); }

std::string SquawkText(std::uint16_t bcd) {
  char s[8];
  std::snprintf(s, sizeof s, "%04X", bcd);
  return s;
}

std::string MillibarsText(int altimeter16) {
  // Rounded half up: 16212 (1013.25) shows as 1013.3.
  return Format("%.1f", static_cast<double>(std::lround(altimeter16 * 10 / 16.0)) / 10);
}

std::string InchesText(int altimeter16) {
  constexpr double kMillibarsPerInch = 33.8639;
  return Format("%.2f", altimeter16 / 16.0 / kMillibarsPerInch);
}

std::string MachText(int hundredths) { return Format("%.2f", hundredths / 100.0); }

int FlapDegrees(int position) {
  constexpr double kFullDegrees = 40;
  return static_cast<int>(std::lround(position * kFullDegrees / kFullTravel));
}

}  // namespace talvane::demosim
