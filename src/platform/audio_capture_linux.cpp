#include <alsa/asoundlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "common/files.h"
#include "common/resample.h"
#include "common/wav_file.h"
#include "platform/audio_capture.h"

namespace talvane::platform {

namespace {

// 50 ms: the level meter moves smoothly and a stop is quick.
constexpr std::size_t kBlockSamples = kCaptureRate / 20;
// A device that delivers nothing for this long has failed.
constexpr int kSilentDeviceMs = 2000;

const char* Variable(const char* name) {
  const char* v = std::getenv(name);
  return v && *v ? v : nullptr;
}

// ALSA reports a missing card on standard error; the caller gets the code.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

double Decibels(double amplitude) { return amplitude > 0 ? 20.0 * std::log10(amplitude / 32768.0) : -120.0; }

// The capture thread's common part: delivery and the end report.
class CaptureBase : public AudioCapture {
 public:
  ~CaptureBase() override { Stop(); }

  bool Start(Callbacks callbacks) override {
    if (!IsOpen() || thread_.joinable()) return false;
    callbacks_ = std::move(callbacks);
    stop_ = false;
    thread_ = std::thread([this] { Run(); });
    return true;
  }

  void Stop() override {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }

 protected:
  virtual bool IsOpen() const = 0;
  virtual void Run() = 0;

  void Deliver(std::span<const std::int16_t> block) {
    if (callbacks_.on_block) callbacks_.on_block(block);
    if (callbacks_.on_level) callbacks_.on_level(MeasureLevel(block));
  }
  void End(const std::string& error) {
    if (callbacks_.on_end) callbacks_.on_end(error);
  }

  std::atomic<bool> stop_{false};

 private:
  Callbacks callbacks_;
  std::thread thread_;
};

class AlsaCapture : public CaptureBase {
 public:
  ~AlsaCapture() override {
    Stop();
    Close();
  }

  bool Open(std::string* error) override {
    Close();
    snd_lib_error_set_handler(QuietAlsa);
    // Non-blocking, so the thread can look at the stop flag between waits
    // even when the device delivers nothing.
    if (snd_pcm_open(&pcm_, "default", SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK) < 0) {
      pcm_ = nullptr;
      if (error) *error = kNoMicrophoneText;
      return false;
    }
    // ALSA converts when the card cannot record 16 kHz mono itself.
    if (snd_pcm_set_params(pcm_, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 1, kCaptureRate, 1, 500000) <
        0) {
      Close();
      if (error) *error = kNoMicrophoneText;
      return false;
    }
    return true;
  }

  void Close() override {
    Stop();
    if (pcm_) snd_pcm_close(pcm_);
    pcm_ = nullptr;
  }

 protected:
  bool IsOpen() const override { return pcm_ != nullptr; }

  void Run() override {
    if (snd_pcm_prepare(pcm_) < 0 || snd_pcm_start(pcm_) < 0) return End("The microphone could not be started.");
    std::vector<std::int16_t> block(kBlockSamples);
    std::size_t got = 0;
    int quiet_ms = 0;
    while (!stop_) {
      const int ready = snd_pcm_wait(pcm_, 100);
      if (ready == 0) {
        if ((quiet_ms += 100) >= kSilentDeviceMs) return Failed("The microphone stopped delivering sound.");
        continue;
      }
      const snd_pcm_sframes_t n = snd_pcm_readi(pcm_, block.data() + got, block.size() - got);
      if (n == -EAGAIN || n == -EINTR) continue;
      if (n < 0) {
        // An overrun loses samples, but the recording goes on.
        if (snd_pcm_recover(pcm_, static_cast<int>(n), 1) == 0 && snd_pcm_start(pcm_) >= 0) continue;
        return Failed(std::string("The microphone failed: ") + snd_strerror(static_cast<int>(n)));
      }
      quiet_ms = 0;
      got += static_cast<std::size_t>(n);
      if (got == block.size()) {
        Deliver(block);
        got = 0;
      }
    }
    if (got > 0) Deliver(std::span(block.data(), got));
    snd_pcm_drop(pcm_);
  }

 private:
  void Failed(const std::string& error) {
    snd_pcm_drop(pcm_);
    End(error);
  }

  snd_pcm_t* pcm_ = nullptr;
};

// AUDIOIN_WAV: the file's samples at the pace a microphone delivers them,
// then the end.
class FileCapture : public CaptureBase {
 public:
  explicit FileCapture(std::string path) : path_(std::move(path)) {}
  ~FileCapture() override { Stop(); }

  bool Open(std::string* error) override {
    const auto image = ReadWholeFile(path_);
    std::string why;
    const auto audio = image ? ReadWav(*image, &why) : std::nullopt;
    if (!audio) {
      if (error) *error = "The test recording " + path_ + " cannot be read" + (why.empty() ? "" : ": " + why) + ".";
      return false;
    }
    samples_ = audio->sample_rate == kCaptureRate ? audio->samples
                                                  : Resample(audio->samples, audio->sample_rate, kCaptureRate);
    open_ = true;
    return true;
  }

  void Close() override {
    Stop();
    open_ = false;
  }

 protected:
  bool IsOpen() const override { return open_; }

  void Run() override {
    const auto start = std::chrono::steady_clock::now();
    std::size_t at = 0;
    while (!stop_ && at < samples_.size()) {
      const std::size_t n = std::min(kBlockSamples, samples_.size() - at);
      at += n;
      std::this_thread::sleep_until(start + std::chrono::microseconds(at * 1000000 / kCaptureRate));
      Deliver(std::span(samples_.data() + at - n, n));
    }
    if (!stop_) End("");
  }

 private:
  std::string path_;
  std::vector<std::int16_t> samples_;
  bool open_ = false;
};

class AlsaPlayback : public AudioPlayback {
 public:
  ~AlsaPlayback() override { Stop(); }

  bool Play(std::vector<std::int16_t> samples, std::uint32_t rate, std::string* error) override {
    Stop();
    const char* out = Variable("TALVANE_AUDIO_OUT");
    snd_pcm_t* pcm = nullptr;
    snd_lib_error_set_handler(QuietAlsa);
    if ((out && std::string(out) == "none") || snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, 0) < 0) {
      if (error) *error = kNoSpeakerText;
      return false;
    }
    if (snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 1, rate, 1, 200000) < 0) {
      snd_pcm_close(pcm);
      if (error) *error = kNoSpeakerText;
      return false;
    }
    cancel_ = false;
    playing_ = true;
    thread_ = std::thread([this, pcm, samples = std::move(samples), rate] {
      // Small chunks, so that a stop takes effect at once.
      const std::size_t chunk = std::max<std::size_t>(rate / 50, 64);
      std::size_t at = 0;
      while (at < samples.size() && !cancel_) {
        const std::size_t n = std::min(chunk, samples.size() - at);
        snd_pcm_sframes_t written = snd_pcm_writei(pcm, samples.data() + at, n);
        if (written < 0) written = snd_pcm_recover(pcm, static_cast<int>(written), 1);
        if (written < 0) break;
        at += static_cast<std::size_t>(written);
      }
      if (cancel_)
        snd_pcm_drop(pcm);
      else
        snd_pcm_drain(pcm);
      snd_pcm_close(pcm);
      playing_ = false;
    });
    return true;
  }

  void Stop() override {
    cancel_ = true;
    if (thread_.joinable()) thread_.join();
    playing_ = false;
  }

  bool Playing() const override { return playing_; }

 private:
  std::thread thread_;
  std::atomic<bool> cancel_{false}, playing_{false};
};

}  // namespace

AudioLevel MeasureLevel(std::span<const std::int16_t> samples) {
  AudioLevel level;
  if (samples.empty()) return level;
  int peak = 0;
  double energy = 0;
  for (const std::int16_t s : samples) {
    peak = std::max(peak, std::abs(static_cast<int>(s)));
    energy += static_cast<double>(s) * s;
  }
  level.peak_dbfs = Decibels(peak);
  level.rms_dbfs = Decibels(std::sqrt(energy / static_cast<double>(samples.size())));
  return level;
}

std::unique_ptr<AudioCapture> MakeAudioCapture() {
  if (const char* wav = Variable("AUDIOIN_WAV")) return std::make_unique<FileCapture>(wav);
  return std::make_unique<AlsaCapture>();
}

std::unique_ptr<AudioPlayback> MakeAudioPlayback() { return std::make_unique<AlsaPlayback>(); }

}  // namespace talvane::platform
