// Values as the copilot says them in a readback, following radio
// phraseology: digits one by one ("niner" for 9), "decimal" for the point,
// altitudes and rates in thousands and hundreds.
#pragma once

#include <string>
#include <vector>

#include "inflight/value_lists.h"

namespace talvane {

// The words for one value, in lower case:
//  SPD, HDG, CRS, DEG, EGT, FLAPS, SQUAWK, TRANS: digit by digit ("two seven zero")
//  ALT: "flight level three five zero" when said so, else "one zero thousand",
//       "three thousand five hundred"; a value that is not whole hundreds by digits
//  VS, DH: in thousands and hundreds like ALT; VSNEG the same after "minus"
//  MACH: "point seven eight" (a final zero dropped: "point eight")
//  N1, ADF, NAV navaids: digit by digit with "decimal"
//  BARO: its digits without the point ("two niner niner two", "one zero one three")
//  COM: "one two one decimal five"; all three decimals unless the last two are zeros
//  NAV: "one one zero decimal three", the final zero dropped
//  RATE: "one quarter", "one half", "four", "sixteen"
//  RWY: the airport in the phonetic alphabet, "runway", its number and side
//  NUM: the digit; LETTER: its phonetic word
std::string SpokenValue(const ListValue& v);

// The readback with each list token replaced by the spoken value of the
// first not yet used value that has that token. A token without a value is
// left out, so the copilot never reads a bracket aloud.
std::string FillReadback(std::string_view readback, const std::vector<ListValue>& values);

}  // namespace talvane
