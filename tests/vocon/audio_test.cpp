// The rate conversion of the audio-in device, and the front end's speech
// detection, gain requests and abnormal conditions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "common/files.h"
#include "common/wav_file.h"
#include "support/test_support.h"
#include "vocon/front_end.h"
#include "common/resample.h"
#include "vocon/vocon3200.h"

namespace talvane::vocon {
namespace {

TEST(vocon_Wav, ResamplingKeepsPitchAndLevel) {
  // A 1 kHz tone at 22050 Hz to 16 kHz: same frequency, same level, no
  // energy folded back from above the new Nyquist frequency.
  std::vector<std::int16_t> tone(22050);
  for (std::size_t i = 0; i < tone.size(); ++i)
    tone[i] = static_cast<std::int16_t>(10000 * std::sin(2 * std::numbers::pi * 1000 * i / 22050.0));
  const auto out = Resample(tone, 22050, 16000);
  ASSERT_EQ(out.size(), 16000u);
  double dot_s = 0, dot_c = 0, energy = 0;
  for (std::size_t i = 1000; i < 15000; ++i) {
    dot_s += out[i] * std::sin(2 * std::numbers::pi * 1000 * i / 16000.0);
    dot_c += out[i] * std::cos(2 * std::numbers::pi * 1000 * i / 16000.0);
    energy += static_cast<double>(out[i]) * out[i];
  }
  const double amplitude = 2 * std::hypot(dot_s, dot_c) / 14000;
  EXPECT_NEAR(amplitude, 10000, 200);
  EXPECT_NEAR(energy / 14000, amplitude * amplitude / 2, amplitude * amplitude / 2 * 0.02);  // nothing else in it
  std::vector<std::int16_t> high(22050);
  for (std::size_t i = 0; i < high.size(); ++i)
    high[i] = static_cast<std::int16_t>(10000 * std::sin(2 * std::numbers::pi * 10000 * i / 22050.0));
  double rest = 0;
  const auto gone = Resample(high, 22050, 16000);
  for (std::size_t i = 100; i + 100 < gone.size(); ++i) rest = std::max(rest, std::abs(static_cast<double>(gone[i])));
  EXPECT_LT(rest, 300);  // 10 kHz cannot exist at 16 kHz: filtered, not aliased
}

// The first sample each recognition gets from the audio-in device.
std::int16_t FirstSample(LH_AUDIOIN_HANDLE device) {
  EXPECT_EQ(lhs_audioinStart(device), LHAUDIOIN_OK);
  std::uint32_t count = 160, status = 0;
  std::int16_t* frame = nullptr;
  EXPECT_EQ(lhs_audioinGetFrame(device, &count, &frame, &status), LHAUDIOIN_OK);
  const std::int16_t first = frame && count > 0 ? frame[0] : -1;
  lhs_audioinReturnFrame(device, frame);
  lhs_audioinStop(device);
  return first;
}

TEST(vocon_Wav, AFileIsReadAgainAtEachStartAndAListPlaysInTurn) {
  talvane::test::TempFolder dir;
  const auto level = [](std::int16_t v) { return WavBytes(std::vector<std::int16_t>(1600, v), 16000); };
  ASSERT_TRUE(AtomicWriteFile(dir.path() / "one.wav", level(1000)));
  ASSERT_TRUE(AtomicWriteFile(dir.path() / "two.wav", level(2000)));
  const std::string one = (dir.path() / "one.wav").string();
  ::setenv("AUDIOIN_WAV", one.c_str(), 1);
  LH_AUDIOIN_HANDLE device = nullptr;
  ASSERT_EQ(lhs_audioinOpen(WAVE_MAPPER, 16000, &device), LHAUDIOIN_OK);
  EXPECT_EQ(FirstSample(device), 1000);
  ASSERT_TRUE(AtomicWriteFile(dir.path() / "one.wav", level(3000)));  // rewritten between two recognitions
  EXPECT_EQ(FirstSample(device), 3000);
  lhs_audioinClose(&device);

  // Relative names, a comment and a blank line; then silence past the end,
  // also for an engine started again.
  ASSERT_TRUE(AtomicWriteFile(dir.path() / "turns.lst", "two.wav\r\n# the next\n\n" + one + "\n"));
  const std::string list = (dir.path() / "turns.lst").string();
  ::setenv("AUDIOIN_WAV", list.c_str(), 1);
  ASSERT_EQ(lhs_audioinOpen(WAVE_MAPPER, 16000, &device), LHAUDIOIN_OK);
  EXPECT_EQ(FirstSample(device), 2000);
  EXPECT_EQ(FirstSample(device), 3000);
  lhs_audioinClose(&device);
  ASSERT_EQ(lhs_audioinOpen(WAVE_MAPPER, 16000, &device), LHAUDIOIN_OK);
  EXPECT_EQ(FirstSample(device), 0);
  lhs_audioinClose(&device);

  // A list naming a file that is not there fails the start, not the process.
  ASSERT_TRUE(AtomicWriteFile(dir.path() / "bad.lst", "missing.wav\n"));
  const std::string bad = (dir.path() / "bad.lst").string();
  ::setenv("AUDIOIN_WAV", bad.c_str(), 1);
  ASSERT_EQ(lhs_audioinOpen(WAVE_MAPPER, 16000, &device), LHAUDIOIN_OK);
  EXPECT_NE(lhs_audioinStart(device), LHAUDIOIN_OK);
  lhs_audioinClose(&device);
  ::unsetenv("AUDIOIN_WAV");
}

std::vector<std::int16_t> Tone(double amplitude) {
  std::vector<std::int16_t> f(160);
  for (std::size_t i = 0; i < f.size(); ++i)
    f[i] = static_cast<std::int16_t>(
        std::clamp(amplitude * std::sin(2 * std::numbers::pi * 300 * i / 16000.0), -32767.0, 32767.0));
  return f;
}

TEST(vocon_FrontEnd, SpeechDetectionGainAndConditions) {
  FrontEnd fe;
  fe.Reset();
  std::vector<std::int16_t> quiet(160, 0);
  for (int i = 0; i < 50; ++i) {
    quiet.assign(160, static_cast<std::int16_t>(i % 2 ? 3 : -3));  // faint background
    EXPECT_FALSE(fe.Process(quiet).onset);
  }
  auto loud = Tone(8000);
  EXPECT_TRUE(fe.Process(loud).onset);
  EXPECT_FALSE(fe.EndOfUtterance().requested_gain);  // a good level asks for nothing

  // Quiet speech: too quiet, and more gain asked for.
  fe.Reset();
  for (int i = 0; i < 30; ++i) {
    auto soft = Tone(400);
    EXPECT_TRUE(fe.Process(soft).speech);
  }
  auto v = fe.EndOfUtterance();
  ASSERT_TRUE(v.condition);
  EXPECT_EQ(*v.condition, static_cast<std::uint32_t>(ASRFX_TOOQUIET));
  ASSERT_TRUE(v.requested_gain);
  EXPECT_GT(*v.requested_gain, 100);
  fe.SetGain(*v.requested_gain);
  auto soft = Tone(400);
  fe.Process(soft);
  EXPECT_GT(std::abs(soft[13]), 1000);  // the gain is applied to what follows

  // Clipped speech: overload, less gain.
  FrontEnd hot;
  hot.Reset();
  for (int i = 0; i < 10; ++i) {
    auto f = Tone(40000);  // saturates
    hot.Process(f);
  }
  v = hot.EndOfUtterance();
  ASSERT_TRUE(v.condition);
  EXPECT_EQ(*v.condition, static_cast<std::uint32_t>(ASRFX_OVERLOAD));
  ASSERT_TRUE(v.requested_gain);
  EXPECT_LT(*v.requested_gain, 100);

  // A dead line: no signal, said once.
  FrontEnd dead;
  dead.Reset();
  int told = 0;
  for (int i = 1; i <= 300; ++i) {
    std::vector<std::int16_t> zero(160, 0);
    dead.Process(zero);
    told += dead.NoSignal(i);
  }
  EXPECT_EQ(told, 1);
  EXPECT_EQ(dead.Condition(), static_cast<std::uint32_t>(ASRFX_NOSIGNAL));
}

}  // namespace
}  // namespace talvane::vocon
