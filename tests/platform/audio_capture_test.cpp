// The microphone service in its test-file mode (AUDIOIN_WAV): the file's
// samples arrive at 16 kHz in order, paced, with levels, and then the end;
// a file of another rate is converted; a stop ends delivery; a missing file
// is a message, not a crash. Also the level measure, and playback turned off
// by TALVANE_AUDIO_OUT=none.
#include "platform/audio_capture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "common/wav_file.h"
#include "support/test_support.h"

namespace talvane::test {
namespace {

using Clock = std::chrono::steady_clock;

// Sets an environment variable for the life of the object.
struct Environment {
  Environment(const char* name, const std::string& value) : name(name) { ::setenv(name, value.c_str(), 1); }
  ~Environment() { ::unsetenv(name); }
  const char* name;
};

std::vector<std::int16_t> Ramp(std::size_t n) {
  std::vector<std::int16_t> s(n);
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<std::int16_t>(i % 2000);
  return s;
}

struct Received {
  std::mutex m;
  std::condition_variable cv;
  std::vector<std::int16_t> samples;
  std::vector<platform::AudioLevel> levels;
  bool ended = false;
  std::string error;

  platform::AudioCapture::Callbacks Callbacks() {
    platform::AudioCapture::Callbacks c;
    c.on_block = [this](std::span<const std::int16_t> b) {
      std::lock_guard l(m);
      samples.insert(samples.end(), b.begin(), b.end());
    };
    c.on_level = [this](const platform::AudioLevel& level) {
      std::lock_guard l(m);
      levels.push_back(level);
    };
    c.on_end = [this](const std::string& e) {
      std::lock_guard l(m);
      ended = true;
      error = e;
      cv.notify_all();
    };
    return c;
  }
  bool WaitForEnd() {
    std::unique_lock l(m);
    return cv.wait_for(l, std::chrono::seconds(5), [this] { return ended; });
  }
};

TEST(AudioLevels, PeakAndRmsInDecibelsOfFullScale) {
  std::vector<std::int16_t> tone(1600);
  for (std::size_t i = 0; i < tone.size(); ++i)
    tone[i] = static_cast<std::int16_t>(std::lround(16384 * std::sin(2 * 3.14159265358979 * 400 * i / 16000.0)));
  const auto level = platform::MeasureLevel(tone);
  EXPECT_NEAR(level.peak_dbfs, -6.02, 0.05);
  EXPECT_NEAR(level.rms_dbfs, -9.03, 0.05);
  EXPECT_EQ(platform::MeasureLevel(std::vector<std::int16_t>(100, 0)).peak_dbfs, -120);
  EXPECT_EQ(platform::MeasureLevel({}).rms_dbfs, -120);
}

TEST(AudioCaptureFile, DeliversTheFileAtMicrophonePaceThenEnds) {
  TempFolder t;
  const auto samples = Ramp(8000);  // half a second
  WriteFile(t / "in.wav", WavBytes(samples, 16000));
  Environment wav("AUDIOIN_WAV", (t / "in.wav").string());
  auto capture = platform::MakeAudioCapture();
  std::string error;
  ASSERT_TRUE(capture->Open(&error)) << error;
  Received got;
  const auto start = Clock::now();
  ASSERT_TRUE(capture->Start(got.Callbacks()));
  ASSERT_TRUE(got.WaitForEnd());
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(450));
  capture->Stop();
  EXPECT_EQ(got.samples, samples);
  EXPECT_EQ(got.error, "");
  EXPECT_EQ(got.levels.size(), 10u);  // 50 ms blocks
  // Started again, the file plays from its start.
  Received again;
  ASSERT_TRUE(capture->Start(again.Callbacks()));
  ASSERT_TRUE(again.WaitForEnd());
  capture->Close();
  EXPECT_EQ(again.samples, samples);
}

TEST(AudioCaptureFile, OtherRatesArriveAtSixteenKilohertz) {
  TempFolder t;
  WriteFile(t / "in.wav", WavBytes(Ramp(4410), 22050));
  Environment wav("AUDIOIN_WAV", (t / "in.wav").string());
  auto capture = platform::MakeAudioCapture();
  ASSERT_TRUE(capture->Open(nullptr));
  Received got;
  capture->Start(got.Callbacks());
  ASSERT_TRUE(got.WaitForEnd());
  capture->Close();
  EXPECT_EQ(got.samples.size(), 3200u);
}

TEST(AudioCaptureFile, StopEndsDeliveryWithoutAnEnd) {
  TempFolder t;
  WriteFile(t / "in.wav", WavBytes(Ramp(160000), 16000));  // ten seconds
  Environment wav("AUDIOIN_WAV", (t / "in.wav").string());
  auto capture = platform::MakeAudioCapture();
  ASSERT_TRUE(capture->Open(nullptr));
  Received got;
  capture->Start(got.Callbacks());
  std::this_thread::sleep_for(std::chrono::milliseconds(120));
  const auto before = Clock::now();
  capture->Stop();
  EXPECT_LT(Clock::now() - before, std::chrono::milliseconds(200));
  std::lock_guard l(got.m);
  EXPECT_FALSE(got.ended);
  EXPECT_GT(got.samples.size(), 0u);
  EXPECT_LT(got.samples.size(), 16000u);
}

TEST(AudioCaptureFile, AnUnreadableFileIsAMessage) {
  TempFolder t;
  WriteFile(t / "bad.wav", "RIFF but not really");
  for (const fs::path& file : {t / "bad.wav", t / "missing.wav"}) {
    Environment wav("AUDIOIN_WAV", file.string());
    auto capture = platform::MakeAudioCapture();
    std::string error;
    EXPECT_FALSE(capture->Open(&error));
    EXPECT_NE(error.find(file.filename().string()), std::string::npos) << error;
    // Not open: nothing starts, and a stop is harmless.
    EXPECT_FALSE(capture->Start({}));
    capture->Stop();
  }
}

TEST(AudioCaptureDevice, WithoutADeviceThePilotIsTold) {
  ::unsetenv("AUDIOIN_WAV");
  auto capture = platform::MakeAudioCapture();
  std::string error;
  if (capture->Open(&error)) GTEST_SKIP() << "this machine has a capture device";
  EXPECT_EQ(error, platform::kNoMicrophoneText);
  EXPECT_FALSE(capture->Start({}));
}

TEST(AudioPlayback, TurnedOffSaysThereIsNoDevice) {
  Environment off("TALVANE_AUDIO_OUT", "none");
  auto playback = platform::MakeAudioPlayback();
  std::string error;
  EXPECT_FALSE(playback->Play(Ramp(1600), 16000, &error));
  EXPECT_EQ(error, platform::kNoSpeakerText);
  EXPECT_FALSE(playback->Playing());
}

}  // namespace
}  // namespace talvane::test
