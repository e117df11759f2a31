#include "kelo/audio_out.h"

#include <alsa/asoundlib.h>

#include <algorithm>

namespace talvane::kelo {

bool PlaySamples(std::span<const std::int16_t> samples, std::uint32_t sample_rate, const std::atomic<bool>& cancel,
                 std::string* error) {
  snd_pcm_t* pcm = nullptr;
  int r = snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, 0);
  if (r < 0) {
    if (error) *error = std::string("no audio output: ") + snd_strerror(r);
    return false;
  }
  r = snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 1, sample_rate, 1,
                         200000 /* us of latency */);
  if (r < 0) {
    if (error) *error = std::string("audio output refuses the format: ") + snd_strerror(r);
    snd_pcm_close(pcm);
    return false;
  }
  // Small chunks, so a cancel takes effect within a few milliseconds.
  const std::size_t chunk = std::max<std::size_t>(sample_rate / 50, 64);
  std::size_t at = 0;
  bool ok = true;
  while (at < samples.size() && !cancel.load()) {
    const std::size_t n = std::min(chunk, samples.size() - at);
    snd_pcm_sframes_t written = snd_pcm_writei(pcm, samples.data() + at, n);
    if (written < 0) written = snd_pcm_recover(pcm, static_cast<int>(written), 1);
    if (written < 0) {
      if (error) *error = std::string("audio output failed: ") + snd_strerror(static_cast<int>(written));
      ok = false;
      break;
    }
    at += static_cast<std::size_t>(written);
  }
  if (cancel.load() || !ok)
    snd_pcm_drop(pcm);
  else
    snd_pcm_drain(pcm);
  snd_pcm_close(pcm);
  return ok;
}

}  // namespace talvane::kelo
