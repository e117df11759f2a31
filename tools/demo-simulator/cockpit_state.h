// The demo simulator's cockpit: every switch, bug, radio and light that the
// voice module can reach through simulator events, and what each event does
// to it. No Qt: the window draws this state and the tests drive it.
//
// Event data arrives as the protocol carries it: frequencies in binary-coded
// decimal, the altimeter in millibars x 16, flaps and cowl flaps as 0..16383,
// negative numbers in two's complement. Toggle events flip their switch.
#pragma once

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

namespace talvane::demosim {

// A radio's frequencies as the events carry them (BCD, see the *Text helpers).
struct RadioPair {
  std::uint16_t active = 0;
  std::uint16_t standby = 0;
};

inline constexpr int kFullTravel = 16383;  // flaps, cowl flaps, trim axis

struct CockpitState {
  std::string title;
  int events_applied = 0;

  struct Autopilot {
    bool master = false;
    bool flight_director = false;
    bool heading_hold = false;
    bool nav_hold = false;
    bool approach_hold = false;
    bool localizer_hold = false;
    bool back_course_hold = false;
    bool altitude_hold = false;
    bool airspeed_hold = false;
    bool mach_hold = false;
    bool yaw_damper = false;
    bool autothrottle = false;
    bool takeoff_go_around = false;
    int heading = 0;          // bug, degrees 0-359
    int altitude = 0;         // feet
    int vertical_speed = 0;   // feet per minute
    int airspeed = 0;         // knots
    int mach_hundredths = 0;  // 78 is Mach 0.78
    int n1 = 0;               // percent
    int course1 = 0;
    int course2 = 0;
  } autopilot;

  int altimeter16 = 16212;  // millibars x 16; 1013.25 mb

  RadioPair com1{0x2280, 0x2190};
  RadioPair com2{0x2450, 0x2140};
  RadioPair nav1{0x1080, 0x1130};
  RadioPair nav2{0x1130, 0x1090};
  int com_transmit = 1;  // which COM radio the microphone keys
  bool nav1_ident = false;
  bool nav2_ident = false;
  std::uint32_t adf_hz = 350000;
  bool adf_ident = false;
  std::uint16_t transponder = 0x1200;  // four octal digits in BCD

  struct Lights {
    bool landing = false, taxi = false, nav = false, beacon = false, strobe = false;
    bool logo = false, wing = false, recognition = false, panel = false, cabin = false;
  } lights;

  bool gear_down = true;
  bool tailwheel_locked = false;
  int flaps = 0;  // 0..kFullTravel
  bool spoilers_armed = false;
  bool spoilers_deployed = false;
  bool parking_brake = true;
  int autobrake = 1;  // 0 RTO, 1 off, 2 low, 3 medium, 4 high, 5 maximum
  int elevator_trim = 0;  // -kFullTravel..kFullTravel, nose up positive
  int rudder_trim = 0;    // right positive

  struct Engines {
    std::array<bool, 2> running{false, false};
    std::array<bool, 2> starter{false, false};
    std::string magnetos = "OFF";  // OFF, LEFT, RIGHT, BOTH, START
    int throttle = 0;               // percent
    std::array<int, 2> mixture{100, 100};  // percent
    int propeller = 100;            // percent of the RPM range
    bool feathered = false;
    bool ignition = false;
    std::array<bool, 2> anti_ice{false, false};
    std::array<int, 2> cowl_flaps{0, 0};  // 0..kFullTravel
    int egt_reference = 0;
    int primer_strokes = 0;
  } engines;

  struct Fuel {
    std::string selector = "ALL";  // ALL, LEFT, RIGHT, CENTER, OFF
    bool pump = false;
    bool crossfeed = false;
  } fuel;

  struct Electrical {
    bool battery = false;
    bool alternator = false;
    std::array<bool, 2> generator{false, false};
    bool avionics = false;
    bool apu_running = false;
    bool apu_generator = false;
    int bleed_air_source = 0;  // 0 automatic, 1 off, 2 APU, 3 engines
    bool pitot_heat = false;
    bool structural_deice = false;
    bool seatbelt_sign = false;
    bool no_smoking_sign = false;
  } electrical;

  struct Simulation {
    bool paused = false;
    double rate = 1;
    int clock_hour = 12;
    bool sound = true;
    std::string view = "virtual cockpit";
    std::string look = "forward";
    double zoom = 1;
    bool map_shown = false;
    int panel_alpha = 255;
    int saves = 0;
  } simulation;

  // Applies one event with its data. False when the event is not one this
  // cockpit knows; data it cannot use leaves the state as it was and says
  // why in `problem` (when given), the event still counting as known.
  bool Apply(std::string_view event, std::uint32_t data, std::string* problem = nullptr);
};

// Every event name Apply knows.
const std::set<std::string>& KnownEventNames();

// Display forms: "121.500", "110.35", "352.5" (kHz), "7000", "1013.3" (mb),
// "29.92" (inHg), "0.78".
std::string ComText(std::uint16_t bcd);
std::string NavText(std::uint16_t bcd);
std::string AdfText(std::uint32_t hz);
std::string SquawkText(std::uint16_t bcd);
std::string MillibarsText(int altimeter16);
std::string InchesText(int altimeter16);
std::string MachText(int hundredths);
int FlapDegrees(int position);  // of a 40-degree travel

}  // namespace talvane::demosim
