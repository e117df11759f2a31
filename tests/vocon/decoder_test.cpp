#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "vocon/decoder.h"

namespace talvane::vocon {
namespace {

DecoderOptions Options(std::vector<std::pair<std::string, std::string>> settings) {
  DecoderOptions o;
  o.acoustic_model = "/usr/share/pocketsphinx/model/en-us/en-us";
  o.settings = std::move(settings);
  o.phones = {"AA", "AH", "B", "D", "IY", "K", "N", "OW", "S", "T", "XX"};
  return o;
}

TEST(vocon_Decoder, OwnSettingsAreCheckedAndNotHandedOn) {
  std::string error;
  // Probabilities only; the decoder proper would refuse the unknown names.
  for (const char* bad : {"1", "1.5", "-0.1", "x", "0.1x", ""}) {
    error.clear();
    EXPECT_EQ(Decoder::Create(Options({{"garbage", bad}}), &error), nullptr) << bad;
    EXPECT_NE(error.find("garbage"), std::string::npos) << bad;
  }
  // A short or partly unreadable mean start keeps the model's values where
  // it says nothing usable.
  for (const char* start : {"60,1,2", "a,b", "60.5,-0.7,-0.7,14,-16,2.5,-9.8,-8.2,-6.2,-2.5,0,-1.2,0.9,99"}) {
    error.clear();
    EXPECT_NE(Decoder::Create(Options({{"cmninit", start}, {"garbage", "0.02"}}), &error), nullptr)
        << start << ": " << error;
  }
}

}  // namespace
}  // namespace talvane::vocon
