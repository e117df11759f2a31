#include "state_json.h"

#include <cstdio>
#include <type_traits>
#include <vector>

#include "common/text.h"

namespace talvane::demosim {

namespace {

// Writes nested objects, one member a line, indented by depth.
class JsonWriter {
 public:
  JsonWriter() { Open(); }

  void Open(std::string_view key = {}) {
    if (!firsts_.empty()) Key(key);
    out_ += "{";
    firsts_.push_back(true);
  }
  void Close() {
    firsts_.pop_back();
    out_ += "\n" + std::string(2 * firsts_.size(), ' ') + "}";
  }
  void Field(std::string_view key, bool v) { Raw(key, v ? "true" : "false"); }
  void Field(std::string_view key, int v) { Raw(key, std::to_string(v)); }
  void Field(std::string_view key, double v) {
    char s[32];
    std::snprintf(s, sizeof s, "%g", v);
    Raw(key, s);
  }
  void Field(std::string_view key, std::string_view v) { Raw(key, JsonQuoted(v)); }
  void Field(std::string_view key, const char* v) { Field(key, std::string_view(v)); }
  void Field(std::string_view key, const std::string& v) { Field(key, std::string_view(v)); }
  // A number written from its display text ("1013.3").
  void Number(std::string_view key, const std::string& text) { Raw(key, text); }
  template <typename T, std::size_t N>
  void Array(std::string_view key, const std::array<T, N>& values) {
    std::string a = "[";
    for (std::size_t i = 0; i < N; ++i) {
      if (i) a += ", ";
      if constexpr (std::is_same_v<T, bool>)
        a += values[i] ? "true" : "false";
      else
        a += std::to_string(values[i]);
    }
    Raw(key, a + "]");
  }

  std::string Finish() {
    while (!firsts_.empty()) Close();
    return out_ + "\n";
  }

 private:
  void Key(std::string_view key) {
    out_ += firsts_.back() ? "\n" : ",\n";
    firsts_.back() = false;
    out_ += std::string(2 * firsts_.size(), ' ') + JsonQuoted(key) + ": ";
  }
  void Raw(std::string_view key, std::string_view value) {
    Key(key);
    out_ += value;
  }

  std::string out_;
  std::vector<bool> firsts_;
};

void Radio(JsonWriter& w, std::string_view key, const RadioPair& r, std::string (*text)(std::uint16_t)) {
  w.Open(key);
  w.Field("active", text(r.active));
  w.Field("standby", text(r.standby));
}

}  // namespace

std::string StateJson(const CockpitState& s, const LinkStatus& link) {
  JsonWriter w;
  w.Field("title", s.title);
  w.Field("events_applied", s.events_applied);

  w.Open("link");
  w.Field("endpoint", link.endpoint);
  w.Field("status", link.message);
  w.Field("clients", link.clients);
  w.Close();

  const auto& ap = s.autopilot;
  w.Open("autopilot");
  w.Field("master", ap.master);
  w.Field("flight_director", ap.flight_director);
  w.Field("heading_hold", ap.heading_hold);
  w.Field("nav_hold", ap.nav_hold);
  w.Field("approach_hold", ap.approach_hold);
  w.Field("localizer_hold", ap.localizer_hold);
  w.Field("back_course_hold", ap.back_course_hold);
  w.Field("altitude_hold", ap.altitude_hold);
  w.Field("airspeed_hold", ap.airspeed_hold);
  w.Field("mach_hold", ap.mach_hold);
  w.Field("yaw_damper", ap.yaw_damper);
  w.Field("autothrottle", ap.autothrottle);
  w.Field("takeoff_go_around", ap.takeoff_go_around);
  w.Field("heading", ap.heading);
  w.Field("altitude", ap.altitude);
  w.Field("vertical_speed", ap.vertical_speed);
  w.Field("airspeed", ap.airspeed);
  w.Number("mach", MachText(ap.mach_hundredths));
  w.Field("n1", ap.n1);
  w.Field("course1", ap.course1);
  w.Field("course2", ap.course2);
  w.Close();

  w.Open("altimeter");
  w.Number("millibars", MillibarsText(s.altimeter16));
  w.Number("inhg", InchesText(s.altimeter16));
  w.Close();

  Radio(w, "com1", s.com1, ComText);
  w.Field("transmit", s.com_transmit == 1);
  w.Close();
  Radio(w, "com2", s.com2, ComText);
  w.Field("transmit", s.com_transmit == 2);
  w.Close();
  Radio(w, "nav1", s.nav1, NavText);
  w.Field("ident", s.nav1_ident);
  w.Close();
  Radio(w, "nav2", s.nav2, NavText);
  w.Field("ident", s.nav2_ident);
  w.Close();
  w.Open("adf");
  w.Field("frequency", AdfText(s.adf_hz));
  w.Field("ident", s.adf_ident);
  w.Close();
  w.Field("transponder", SquawkText(s.transponder));

  const auto& l = s.lights;
  w.Open("lights");
  w.Field("landing", l.landing);
  w.Field("taxi", l.taxi);
  w.Field("nav", l.nav);
  w.Field("beacon", l.beacon);
  w.Field("strobe", l.strobe);
  w.Field("logo", l.logo);
  w.Field("wing", l.wing);
  w.Field("recognition", l.recognition);
  w.Field("panel", l.panel);
  w.Field("cabin", l.cabin);
  w.Close();

  w.Open("gear");
  w.Field("down", s.gear_down);
  w.Field("tailwheel_locked", s.tailwheel_locked);
  w.Close();
  w.Open("flaps");
  w.Field("position", s.flaps);
  w.Field("degrees", FlapDegrees(s.flaps));
  w.Close();
  w.Open("spoilers");
  w.Field("armed", s.spoilers_armed);
  w.Field("deployed", s.spoilers_deployed);
  w.Close();
  w.Open("brakes");
  w.Field("parking", s.parking_brake);
  w.Field("autobrake", s.autobrake);
  w.Close();
  w.Open("trim");
  w.Field("elevator", s.elevator_trim);
  w.Field("rudder", s.rudder_trim);
  w.Close();

  const auto& e = s.engines;
  w.Open("engines");
  w.Array("running", e.running);
  w.Array("starter", e.starter);
  w.Field("magnetos", e.magnetos);
  w.Field("throttle", e.throttle);
  w.Array("mixture", e.mixture);
  w.Field("propeller", e.propeller);
  w.Field("feathered", e.feathered);
  w.Field("ignition", e.ignition);
  w.Array("anti_ice", e.anti_ice);
  w.Array("cowl_flaps", e.cowl_flaps);
  w.Field("egt_reference", e.egt_reference);
  w.Field("primer_strokes", e.primer_strokes);
  w.Close();

  w.Open("fuel");
  w.Field("selector", s.fuel.selector);
  w.Field("pump", s.fuel.pump);
  w.Field("crossfeed", s.fuel.crossfeed);
  w.Close();

  const auto& el = s.electrical;
  w.Open("electrical");
  w.Field("battery", el.battery);
  w.Field("alternator", el.alternator);
  w.Array("generator", el.generator);
  w.Field("avionics", el.avionics);
  w.Field("apu_running", el.apu_running);
  w.Field("apu_generator", el.apu_generator);
  w.Field("bleed_air_source", el.bleed_air_source);
  w.Field("pitot_heat", el.pitot_heat);
  w.Field("structural_deice", el.structural_deice);
  w.Field("seatbelt_sign", el.seatbelt_sign);
  w.Field("no_smoking_sign", el.no_smoking_sign);
  w.Close();

  const auto& sim = s.simulation;
  w.Open("simulation");
  w.Field("paused", sim.paused);
  w.Field("rate", sim.rate);
  w.Field("clock_hour", sim.clock_hour);
  w.Field("sound", sim.sound);
  w.Field("view", sim.view);
  w.Field("look", sim.look);
  w.Field("zoom", sim.zoom);
  w.Field("map_shown", sim.map_shown);
  w.Field("panel_alpha", sim.panel_alpha);
  w.Field("saves", sim.saves);
  w.Close();
  return w.Finish();
}

}  // namespace talvane::demosim
