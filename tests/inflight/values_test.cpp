// Value assembly from the engine's tags and the values as the copilot says
// them, for every list of the generic lists.
#include <gtest/gtest.h>

#include <sstream>

#include "common/binary.h"
#include "inflight/spoken_values.h"
#include "inflight/value_lists.h"

namespace talvane {
namespace {

std::vector<std::string> Tags(const std::string& spaced) {
  std::istringstream in(spaced);
  std::vector<std::string> out;
  for (std::string t; in >> t;) out.push_back(t);
  return out;
}

struct Case {
  const char* list;
  const char* tags;
  const char* value;
  const char* spoken;
};

// What the grammar returns for what a pilot says, the value it makes and
// how the copilot reads it back.
const Case kCases[] = {
    {"SPD", "2 5 0", "250", "two five zero"},
    {"SPD", "2 50", "250", "two five zero"},
    {"SPD", "1 20", "120", "one two zero"},
    {"SPD", "8 5", "85", "eight five"},
    {"ALT", "3 5 0 00", "35000", "flight level three five zero"},
    {"ALT", "0 5 0 00", "5000", "flight level five zero"},  // a leading zero said
    {"ALT", "1 0 000", "10000", "one zero thousand"},
    {"ALT", "3 5 00", "3500", "three thousand five hundred"},
    {"ALT", "1 2 5 00", "12500", "one two thousand five hundred"},  // or flight level 125: the same tags
    {"ALT", "2 5 5 00", "25500", "flight level two five five"},
    {"ALT", "8 00", "800", "eight hundred"},
    {"ALT", "15 00", "1500", "one thousand five hundred"},
    {"ALT", "1 50", "150", "one five zero"},  // not whole hundreds: digits
    {"HDG", "2 7 0", "270", "two seven zero"},
    {"HDG", "0 0 5", "005", "zero zero five"},
    {"HDG", "3 6 0", "360", "three six zero"},
    {"HDG", "0 0 0", "360", "three six zero"},  // north is said three six zero
    {"CRS", "0 9 0", "090", "zero niner zero"},
    {"MACH", "0. 7 8", "0.78", "point seven eight"},
    {"MACH", "0. 8 0", "0.80", "point eight"},
    {"DEGREES", "2 5", "25", "two five"},
    {"DEGREES", "0 5", "5", "five"},
    {"N1REF", "9 2 . 5", "92.5", "niner two decimal five"},
    {"N1REF", "100", "100", "one zero zero"},
    {"VS", "1 5 00", "1500", "one thousand five hundred"},
    {"VS", "1 5 0 0", "1500", "one thousand five hundred"},
    {"VS", "0", "0", "zero"},
    {"VSNEG", "- 8 00", "-800", "minus eight hundred"},
    {"VSNEG", "- 1 000", "-1000", "minus one thousand"},
    {"TRANSPARENCY", "5 0", "50", "five zero"},
    {"TRANSPARENCY", "100", "100", "one zero zero"},
    {"ALT_PRESS", "2 9 . 9 2", "29.92", "two niner niner two"},
    {"ALT_PRESS", "1 0 1 3", "1013", "one zero one three"},
    {"ALT_PRESS", "9 8 7", "987", "niner eight seven"},
    {"DH_ALT", "2 00", "200", "two hundred"},
    {"DH_ALT", "2 50", "250", "two five zero"},
    {"EGT_VAL", "14 50", "1450", "one four five zero"},
    {"ADF_FREQ", "3 5 2", "352", "three five two"},
    {"ADF_FREQ", "1 0 2 6 . 5", "1026.5", "one zero two six decimal five"},
    {"COMM_FREQ", "1 2 1 . 5 00", "121.500", "one two one decimal five"},
    {"COMM_FREQ", "1 2 1 . 2 7 5", "121.275", "one two one decimal two seven five"},
    {"COMM_FREQ", "1 3 2 . 0 0 5", "132.005", "one three two decimal zero zero five"},  // 8.33 kHz
    {"COMM_FREQ", "1 1 8 . 0 5 0", "118.050", "one one eight decimal zero five zero"},
    {"NAV_FREQ", "1 1 0 . 3 0", "110.30", "one one zero decimal three"},
    {"NAV_FREQ", "1 1 0 . 3 5", "110.35", "one one zero decimal three five"},
    {"NAV_FREQ", "1 0 8 . 0 0", "108.00", "one zero eight decimal zero"},
    {"XPNDR_CODE", "7 0 0 0", "7000", "seven zero zero zero"},
    {"XPNDR_CODE", "7 000", "7000", "seven zero zero zero"},
    {"XPNDR_CODE", "0 0 1 7", "0017", "zero zero one seven"},
    {"SIM_RATE", "0.25", "0.25", "one quarter"},
    {"SIM_RATE", "16", "16", "sixteen"},
    {"FLAP_SETTING", "1 5", "15", "one five"},
    {"NAV_ID", "111.45", "111.45", "one one one decimal four five"},
    {"NAV_NAME", "373", "373", "three seven three"},
    {"RWY_APT_ID", "KSEA:16L", "KSEA:16L", "kilo sierra echo alpha runway one six left"},
    {"NUM_7", "", "7", "seven"},
    {"PHONETIC_Q", "", "Q", "quebec"},
};

TEST(ValueLists, AssembleAndSayEveryList) {
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(c.list) + " \"" + c.tags + "\"");
    const ListValue v = AssembleValue(c.list, Tags(c.tags));
    EXPECT_EQ(v.text, c.value);
    EXPECT_EQ(SpokenValue(v), c.spoken);
  }
}

TEST(ValueLists, RefusesWhatTheListCannotSay) {
  const Case kBad[] = {
      {"SPD", "5", "", ""},                    // below 10 knots
      {"ALT", "1 2 3 4 5 6", "", ""},          // too long
      {"HDG", "3 6 1", "", ""},                // past north
      {"HDG", "9 0", "", ""},                  // headings are three digits
      {"MACH", "7 8", "", ""},                 // no point
      {"VSNEG", "8 00", "", ""},               // a descent without its minus
      {"VS", "- 8 00", "", ""},                // a climb with one
      {"ALT_PRESS", "3 2 . 0 0", "", ""},      // outside the inches range
      {"ALT_PRESS", "1 1 0 0", "", ""},        // outside the hectopascal range
      {"COMM_FREQ", "1 2 1 . 2 0 2", "", ""},  // no such channel
      {"COMM_FREQ", "1 4 0 . 0 00", "", ""},   // outside the band
      {"COMM_FREQ", "1 2 1 . 5", "", ""},      // three decimals always
      {"NAV_FREQ", "1 1 0 . 3 3", "", ""},     // not a 50 kHz channel
      {"NAV_FREQ", "1 1 8 . 0 0", "", ""},     // a COM frequency
      {"ADF_FREQ", "3 5 2 . 3", "", ""},       // only half a kilohertz
      {"XPNDR_CODE", "7 8 0 0", "", ""},       // 8 is not an octal digit
      {"XPNDR_CODE", "7 0 0", "", ""},         // three digits
      {"SIM_RATE", "3", "", ""},
      {"FLAP_SETTING", "5 0", "", ""},
      {"NAV_ID", "111.45 1", "", ""},          // one tag only
      {"RWY_APT_ID", "KSEA", "", ""},          // no runway
      {"SPD", "2 x 0", "", ""},
      {"SPD", "", "", ""},                     // nothing heard
      {"NUM_7", "7", "", ""},                  // a tagless list given a tag
      {"NOT_A_LIST", "1", "", ""},
  };
  for (const auto& c : kBad)
    EXPECT_THROW(AssembleValue(c.list, Tags(c.tags)), FormatError) << c.list << " \"" << c.tags << "\"";
}

TEST(ValueLists, EveryCom833ChannelOfOneMegahertzIsTaken) {
  // 40 channels per MHz: 16 endings per 100 kHz (the 25 kHz channels and the
  // 8.33 kHz ones between them).
  int taken = 0;
  for (int k = 0; k < 1000; k += 5) {
    const std::string d = std::to_string(k / 100) + " " + std::to_string(k / 10 % 10) + " " + std::to_string(k % 10);
    try {
      AssembleValue("COMM_FREQ", Tags("1 2 1 . " + d));
      ++taken;
    } catch (const FormatError&) {
    }
  }
  EXPECT_EQ(taken, 160);
}

TEST(ValueLists, ListsOfAPhraseInSpokenOrder) {
  EXPECT_EQ(ListsOfPhrase("set [the|] heading <HDG> and altitude <ALT> (feet)"),
            (std::vector<std::string>{"HDG", "ALT"}));
  EXPECT_EQ(ListsOfPhrase("engine <NUM_1> <WORD_ON> <UNKNOWN>"), (std::vector<std::string>{"NUM_1", "WORD_ON"}));
  EXPECT_TRUE(ListsOfPhrase("gear up <").empty());
}

TEST(Readbacks, TokensTakeTheirValuesInOrder) {
  const std::vector<ListValue> values = {AssembleValue("HDG", Tags("2 7 0")), AssembleValue("ALT", Tags("8 00")),
                                         AssembleValue("HDG", Tags("0 9 0"))};
  EXPECT_EQ(FillReadback("Heading [HDG] then [hdg], altitude [ALT] set", values),
            "Heading two seven zero then zero niner zero, altitude eight hundred set");
  // A token without a value is left out rather than read aloud.
  EXPECT_EQ(FillReadback("Squawk [SQUAWK] now", values), "Squawk now");
  EXPECT_EQ(FillReadback("Gear [up", {}), "Gear [up");
}

}  // namespace
}  // namespace talvane
