// The microphone and the loudspeaker for recording the pilot's voice: ALSA's
// "default" device, as the recogniser records it. AUDIOIN_WAV=file.wav (the
// recogniser's own test switch) makes the capture play that file instead,
// paced as a microphone would deliver it, so that tests and machines without
// a sound card can record; TALVANE_AUDIO_OUT=none turns playback off.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace talvane::platform {

// Every recording is 16 kHz 16-bit mono.
inline constexpr std::uint32_t kCaptureRate = 16000;

// A block's loudness in dB relative to full scale (-120 for silence).
struct AudioLevel {
  double peak_dbfs = -120;
  double rms_dbfs = -120;
};

AudioLevel MeasureLevel(std::span<const std::int16_t> samples);

class AudioCapture {
 public:
  // Called on the capture thread, never after Stop has returned.
  struct Callbacks {
    std::function<void(std::span<const std::int16_t> block)> on_block;
    std::function<void(const AudioLevel& level)> on_level;
    // The input ended by itself: the test file ran out, or the device
    // failed (`error` says how; empty for the end of a file).
    std::function<void(const std::string& error)> on_end;
  };

  virtual ~AudioCapture() = default;
  // Opens the device (or reads the test file). false with a message for
  // the pilot in `error`.
  virtual bool Open(std::string* error) = 0;
  // Starts the capture thread; false when not open.
  virtual bool Start(Callbacks callbacks) = 0;
  // Ends the capture thread; what it captured has been delivered when this
  // returns. Safe when not started.
  virtual void Stop() = 0;
  virtual void Close() = 0;
};

class AudioPlayback {
 public:
  virtual ~AudioPlayback() = default;
  // Plays 16-bit mono samples on a thread of its own, replacing what plays.
  // false with a message for the pilot when there is no output device.
  virtual bool Play(std::vector<std::int16_t> samples, std::uint32_t rate, std::string* error) = 0;
  virtual void Stop() = 0;
  virtual bool Playing() const = 0;
};

// The message when no capture device can be opened.
inline constexpr const char* kNoMicrophoneText =
    "No microphone was found.  Please connect a microphone (or headset) and check that it is selected as the "
    "default recording device of the system, then try again.";
inline constexpr const char* kNoSpeakerText =
    "No sound output device was found, so the recording cannot be played.  Please connect speakers or a headset "
    "and try again.";

// ALSA, or the test file AUDIOIN_WAV names.
std::unique_ptr<AudioCapture> MakeAudioCapture();
std::unique_ptr<AudioPlayback> MakeAudioPlayback();

}  // namespace talvane::platform
