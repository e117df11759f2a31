// The value lists of the command grammars: which list a phrase names, and the
// value its tags spell once the engine has recognised a command.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talvane {

enum class ValueList {
  kSpeed,           // SPD, knots
  kAltitude,        // ALT, feet
  kCourse,          // CRS, degrees 001-360
  kHeading,         // HDG, degrees 001-360
  kMach,            // MACH
  kDegrees,         // DEGREES, an angle 0-99
  kN1,              // N1REF, percent
  kClimbRate,       // VS, feet per minute
  kDescentRate,     // VSNEG, feet per minute, negative
  kTransparency,    // TRANSPARENCY, percent
  kAltimeter,       // ALT_PRESS, inches of mercury or hectopascals
  kDecisionHeight,  // DH_ALT, feet
  kEgt,             // EGT_VAL, degrees
  kAdf,             // ADF_FREQ, kHz
  kCom,             // COMM_FREQ, MHz with three decimals
  kNav,             // NAV_FREQ, MHz with two decimals
  kSquawk,          // XPNDR_CODE, four octal digits
  kSimRate,         // SIM_RATE
  kFlaps,           // FLAP_SETTING
  kNavaid,          // NAV_ID, NAV_NAME: the station's frequency
  kIlsRunway,       // RWY_APT_ID: airport and runway
  kDigit,           // NUM_0 .. NUM_9: the digit itself, no tag
  kLetter,          // PHONETIC_A .. PHONETIC_Z: the letter itself, no tag
  kWordOn,          // WORD_ON: no value at all
};

struct ListValue {
  ValueList list = ValueList::kSpeed;
  std::string grammarName;  // "ALT", "NUM_3"
  std::string token;        // the readback token: "[ALT]"
  // The value in a fixed form: "35000", "121.500", "-800", "090", "0.78",
  // "29.92", "1013", "352.5", "7000", "111.45", "KSEA:16L".
  std::string text;
  std::string tags;          // the engine's tags it was made of, joined by spaces ("1 0 000")
  double number = 0;         // the numeric value where there is one
  bool flightLevel = false;  // ALT said as "flight level ..."
  bool inches = false;       // ALT_PRESS in inches of mercury (else hectopascals)
  bool kilohertz = false;    // a navaid tag that is an NDB's frequency
};

// The list a phrase's `<NAME>` refers to; nullopt for names that are not
// value lists (a navaid list counts as one).
std::optional<ValueList> ListNamed(std::string_view grammarName);

// Whether the list returns tags; the others are known from their name.
bool CarriesTags(ValueList list);

// The lists a stored phrase names, in the order they are spoken.
std::vector<std::string> ListsOfPhrase(std::string_view phrase);

// Joins the tags of one list into its value and checks it against what the
// list can say. Throws FormatError saying what is wrong.
ListValue AssembleValue(std::string_view grammarName, const std::vector<std::string>& tags);

}  // namespace talvane
