// The demo simulator's cockpit against the shipped rule -> event mapping:
// every event the voice module can send is known, and values encoded the way
// the voice module encodes them show up in the state as a pilot reads them.
#include <gtest/gtest.h>

#include "cockpit_state.h"
#include "common/split.h"
#include "inflight/event_map.h"
#include "support/test_support.h"

namespace talvane::demosim {
namespace {

EventMap ShippedMap() { return LoadEventMap(fs::path(TALVANE_SOURCE_DIR) / "data" / "sim_events.txt"); }

// Sends the events of `rule` as the voice module would for the spoken tags.
void Say(CockpitState& s, const EventMap& map, const std::string& rule, const std::string& list = {},
         const std::string& tags = {}) {
  const EventRule* r = map.Find(rule);
  ASSERT_NE(r, nullptr) << rule;
  ASSERT_FALSE(r->events.empty()) << rule;
  EncodedValue v;
  if (!list.empty()) {
    v = EncodeValue(r->encoding, AssembleValue(list, SplitAt(tags, " ")));
    ASSERT_TRUE(v.unable.empty()) << rule << ": " << v.unable;
  }
  for (const auto& e : r->events) {
    std::string problem;
    ASSERT_TRUE(s.Apply(e.event, e.fixed.value_or(v.data), &problem)) << e.event;
    EXPECT_EQ(problem, "") << rule << " " << e.event;
  }
}

TEST(Cockpit, KnowsEveryEventTheShippedMappingSends) {
  const EventMap map = ShippedMap();
  int events = 0;
  for (const auto& rule : map.rules)
    for (const auto& e : rule.events) {
      ++events;
      EXPECT_TRUE(KnownEventNames().count(e.event)) << rule.rule << " sends " << e.event;
    }
  EXPECT_GT(events, 150);
  // Fixed data in the file is data the cockpit accepts.
  CockpitState s;
  for (const auto& rule : map.rules)
    for (const auto& e : rule.events)
      if (e.fixed) {
        std::string problem;
        EXPECT_TRUE(s.Apply(e.event, *e.fixed, &problem));
        EXPECT_EQ(problem, "") << rule.rule;
      }
}

TEST(Cockpit, UnknownEventsAreRefusedAndChangeNothing) {
  CockpitState s;
  std::string problem;
  EXPECT_FALSE(s.Apply("NO_SUCH_EVENT", 1, &problem));
  EXPECT_EQ(problem, "unknown event");
  EXPECT_FALSE(s.Apply("autopilot_on", 0));  // event names are exact
  EXPECT_FALSE(s.Apply("", 0));
  EXPECT_FALSE(s.autopilot.master);
  EXPECT_EQ(s.events_applied, 0);
}

TEST(Cockpit, RadiosShowTheFrequenciesSpoken) {
  const EventMap map = ShippedMap();
  CockpitState s;
  Say(s, map, "RADIO_COM1_SET", "COMM_FREQ", "1 2 1 . 5 00");
  EXPECT_EQ(ComText(s.com1.active), "121.500");
  Say(s, map, "RADIO_COM1_STBY_SET", "COMM_FREQ", "1 1 8 . 0 2 5");
  EXPECT_EQ(ComText(s.com1.standby), "118.025");
  // An 8.33 kHz channel tunes the 25 kHz frequency it stands for.
  Say(s, map, "RADIO_COM2_SET", "COMM_FREQ", "1 3 2 . 0 3 0");
  EXPECT_EQ(ComText(s.com2.active), "132.025");
  Say(s, map, "RADIO_COM2_STBY_SET", "COMM_FREQ", "1 3 6 . 9 7 5");
  EXPECT_EQ(ComText(s.com2.standby), "136.975");
  Say(s, map, "RADIO_COM1_SWAP");
  EXPECT_EQ(ComText(s.com1.active), "118.025");
  EXPECT_EQ(ComText(s.com1.standby), "121.500");

  Say(s, map, "RADIO_NAV1_SET", "NAV_FREQ", "1 1 0 . 3 5");
  EXPECT_EQ(NavText(s.nav1.active), "110.35");
  Say(s, map, "RADIO_NAV2_STBY_SET", "NAV_FREQ", "1 0 8 . 0 0");
  EXPECT_EQ(NavText(s.nav2.standby), "108.00");
  Say(s, map, "RADIO_NAV2_SELECT_VOR", "NAV_ID", "111.45");
  EXPECT_EQ(NavText(s.nav2.active), "111.45");
  Say(s, map, "RADIO_ADF_SET", "ADF_FREQ", "1 0 2 6 . 5");
  EXPECT_EQ(AdfText(s.adf_hz), "1026.5");
  Say(s, map, "RADIO_ADF_SET", "ADF_FREQ", "3 5 2");
  EXPECT_EQ(AdfText(s.adf_hz), "352.0");

  Say(s, map, "RADIO_XPNDR_SET", "XPNDR_CODE", "7 0 0 0");
  EXPECT_EQ(SquawkText(s.transponder), "7000");
  Say(s, map, "RADIO_XPNDR_SET", "XPNDR_CODE", "7 7 0 0");
  EXPECT_EQ(SquawkText(s.transponder), "7700");
  Say(s, map, "RADIO_XPNDR_SET", "XPNDR_CODE", "0 0 1 7");  // leading zeros kept
  EXPECT_EQ(SquawkText(s.transponder), "0017");
}

TEST(Cockpit, AutopilotBugsShowTheValuesSpoken) {
  const EventMap map = ShippedMap();
  CockpitState s;
  Say(s, map, "AP_ALT_SET", "ALT", "3 5 0 00");
  EXPECT_EQ(s.autopilot.altitude, 35000);
  Say(s, map, "AP_VS_SET_DESCENT", "VSNEG", "- 1 5 00");
  EXPECT_EQ(s.autopilot.vertical_speed, -1500);
  Say(s, map, "AP_VS_SET", "VS", "8 00");
  EXPECT_EQ(s.autopilot.vertical_speed, 800);
  Say(s, map, "AP_HDG_SET", "HDG", "2 7 0");
  EXPECT_EQ(s.autopilot.heading, 270);
  Say(s, map, "AP_HDG_SET", "HDG", "3 6 0");  // north
  EXPECT_EQ(s.autopilot.heading, 0);
  Say(s, map, "AP_CRS1_SET", "CRS", "0 9 0");
  EXPECT_EQ(s.autopilot.course1, 90);
  Say(s, map, "AP_SPD_SET", "SPD", "2 5 0");
  EXPECT_EQ(s.autopilot.airspeed, 250);
  Say(s, map, "AP_MACH_SET", "MACH", "0. 7 8");
  EXPECT_EQ(MachText(s.autopilot.mach_hundredths), "0.78");

  Say(s, map, "AP_ALTIMETER_SET", "ALT_PRESS", "2 9 . 9 2");
  EXPECT_EQ(InchesText(s.altimeter16), "29.92");
  Say(s, map, "AP_ALTIMETER_SET", "ALT_PRESS", "1 0 1 3");
  EXPECT_EQ(MillibarsText(s.altimeter16), "1013.0");
  Say(s, map, "AP_ALTIMETER_STD");
  EXPECT_EQ(MillibarsText(s.altimeter16), "1013.3");
  EXPECT_EQ(InchesText(s.altimeter16), "29.92");

  Say(s, map, "FLAPS_SET", "FLAP_SETTING", "1 5");
  EXPECT_EQ(FlapDegrees(s.flaps), 15);
}

TEST(Cockpit, ModesSwitchesAndToggles) {
  const EventMap map = ShippedMap();
  CockpitState s;
  Say(s, map, "AP_MASTER_ON");
  Say(s, map, "AP_FD_ON");
  Say(s, map, "AP_APR_HOLD_ON");
  EXPECT_TRUE(s.autopilot.master && s.autopilot.flight_director && s.autopilot.approach_hold);
  Say(s, map, "AP_GS_HOLD_OFF");  // localizer alone
  EXPECT_TRUE(s.autopilot.localizer_hold);
  EXPECT_FALSE(s.autopilot.approach_hold);
  Say(s, map, "AP_FD_OFF");
  EXPECT_FALSE(s.autopilot.flight_director);

  // Where the simulator offers only a toggle, "on" then "off" ends where it began.
  Say(s, map, "LIGHTS_TAXI_ON");
  Say(s, map, "LIGHTS_BEACON_ON");
  Say(s, map, "LIGHTS_LANDING_ON");
  EXPECT_TRUE(s.lights.taxi && s.lights.beacon && s.lights.landing);
  Say(s, map, "LIGHTS_TAXI_OFF");
  EXPECT_FALSE(s.lights.taxi);

  Say(s, map, "GEAR_UP");
  EXPECT_FALSE(s.gear_down);
  Say(s, map, "GEAR_EMERGENCY_EXTEND");
  EXPECT_TRUE(s.gear_down);
  const bool brake = s.parking_brake;
  Say(s, map, "PARKING_BRAKE_RELEASE");
  EXPECT_NE(s.parking_brake, brake);
  Say(s, map, "AUTOBRAKE_MED");
  EXPECT_EQ(s.autobrake, 3);
  Say(s, map, "ELEC_AVIONICS_ON");
  EXPECT_TRUE(s.electrical.avionics);

  // An engine starts with fuel and a spark, and stops at idle cutoff.
  Say(s, map, "ENG1_START");
  EXPECT_FALSE(s.engines.running[0]);  // magnetos off
  Say(s, map, "ENG_MAGS_BOTH");
  Say(s, map, "ENG1_START");
  Say(s, map, "ENG1_START");
  EXPECT_TRUE(s.engines.running[0]);
  Say(s, map, "ENG_MIXTURE_CUTOFF");
  EXPECT_FALSE(s.engines.running[0]);
}

TEST(Cockpit, FlapStepsGoToTheNextDetentAndStopAtTheEnds) {
  CockpitState s;
  ASSERT_TRUE(s.Apply("FLAPS_DECR", 0));
  EXPECT_EQ(s.flaps, 0);
  ASSERT_TRUE(s.Apply("FLAPS_INCR", 0));
  EXPECT_EQ(FlapDegrees(s.flaps), 10);
  // From between detents (15 degrees) a step goes to the next one, not past it.
  ASSERT_TRUE(s.Apply("FLAPS_SET", 6144));
  ASSERT_TRUE(s.Apply("FLAPS_INCR", 0));
  EXPECT_EQ(FlapDegrees(s.flaps), 20);
  ASSERT_TRUE(s.Apply("FLAPS_SET", 6144));
  ASSERT_TRUE(s.Apply("FLAPS_DECR", 0));
  EXPECT_EQ(FlapDegrees(s.flaps), 10);
  ASSERT_TRUE(s.Apply("FLAPS_DOWN", 0));
  ASSERT_TRUE(s.Apply("FLAPS_INCR", 0));
  EXPECT_EQ(s.flaps, kFullTravel);
}

TEST(Cockpit, DataThatCannotBeRightIsIgnoredAndSaidSo) {
  struct Case {
    const char* event;
    std::uint32_t data;
  };
  const Case cases[] = {
      {"COM_RADIO_SET", 0x2151},         // off the 25 kHz raster
      {"COM_RADIO_SET", 0x21A0},         // not BCD
      {"COM_RADIO_SET", 0x1750},         // 117.50 is below the COM band
      {"COM_STBY_RADIO_SET", 0x12150},   // more than four digits
      {"NAV1_RADIO_SET", 0x1036},        // not a 50 kHz step
      {"NAV1_STBY_SET", 0x1800},         // 118.00 is above the NAV band
      {"XPNDR_SET", 0x7800},             // 8 is not an octal digit
      {"ADF_COMPLETE_SET", 0x00010000},  // 10 kHz
      {"KOHLSMAN_SET", 0},
      {"AP_ALT_VAR_SET_ENGLISH", 0x80000000},
      {"FLAPS_SET", 20000},
      {"SET_AUTOBRAKE_CONTROL", 6},
      {"CLOCK_HOURS_SET", 24},
  };
  for (const auto& c : cases) {
    CockpitState s;
    const CockpitState before = s;
    std::string problem;
    EXPECT_TRUE(s.Apply(c.event, c.data, &problem)) << c.event;
    EXPECT_NE(problem, "") << c.event << " " << c.data;
    EXPECT_EQ(s.events_applied, 0);
    EXPECT_EQ(s.com1.active, before.com1.active);
    EXPECT_EQ(s.com1.standby, before.com1.standby);
    EXPECT_EQ(s.nav1.active, before.nav1.active);
    EXPECT_EQ(s.nav1.standby, before.nav1.standby);
    EXPECT_EQ(s.transponder, before.transponder);
    EXPECT_EQ(s.adf_hz, before.adf_hz);
    EXPECT_EQ(s.altimeter16, before.altimeter16);
    EXPECT_EQ(s.autopilot.altitude, before.autopilot.altitude);
    EXPECT_EQ(s.flaps, before.flaps);
    EXPECT_EQ(s.autobrake, before.autobrake);
    EXPECT_EQ(s.simulation.clock_hour, before.simulation.clock_hour);
  }
}

}  // namespace
}  // namespace talvane::demosim
