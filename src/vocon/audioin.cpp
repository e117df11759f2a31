// The audio-in device: ALSA capture from the default device, or a WAV file
// named by AUDIOIN_WAV (for tests, benchmarks and machines without a sound
// card).
#include <alsa/asoundlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <cstdlib>
#include <thread>
#include <memory>
#include <string>
#include <vector>

#include "common/files.h"
#include "common/wav_file.h"
#include "common/resample.h"
#include "vocon/vocon3200.h"

namespace {

struct Device {
  std::uint32_t hz = 16000;
  snd_pcm_t* pcm = nullptr;  // null in file mode
  std::string wav_path;
  std::vector<std::int16_t> file;  // file mode: the whole file at `hz`
  std::size_t position = 0;
  std::uint64_t delivered = 0;  // samples handed out since the start, silence included
  std::vector<std::int16_t> frame;
  bool lent = false, started = false;
  // AUDIOIN_REALTIME=1: a file's frames come no faster than it would be
  // spoken, so that times measured against it are those of a microphone.
  bool realtime = false;
  std::chrono::steady_clock::time_point started_at;
};

bool LoadWav(Device& d, const std::string& path) {
  const auto image = talvane::ReadWholeFile(path);
  if (!image) return false;
  std::string error;
  auto audio = talvane::ReadWav(*image, &error);
  if (!audio) return false;
  d.file = talvane::Resample(audio->samples, audio->sample_rate, d.hz);
  d.wav_path = path;
  return true;
}

// ALSA reports a missing card on standard error; the caller gets the code.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

const char* WavVariable() {
  const char* v = std::getenv("AUDIOIN_WAV");
  return v && *v ? v : nullptr;
}

// AUDIOIN_WAV may name a list (*.lst): one WAV file a line, relative to the
// list's folder, played one per recognition in turn and silence after the
// last, so that a scripted session (a command, then a checklist's
// responses) needs no one to swap files between recognitions. The place in
// the list is the process's, so that an engine started again goes on.
bool IsList(const std::string& path) {
  return path.size() > 4 && path.compare(path.size() - 4, 4, ".lst") == 0;
}

struct ListPlace {
  std::string list;
  std::size_t next = 0;
};

ListPlace& Place() {
  static ListPlace place;
  return place;
}

// The next file of the list, or "" past its end. False when the list
// cannot be read.
bool NextInList(const std::string& list, std::string& wav) {
  const auto text = talvane::ReadWholeFile(list);
  if (!text) return false;
  ListPlace& place = Place();
  if (place.list != list) place = {list, 0};
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < text->size()) {
    std::size_t end = text->find('\n', at);
    if (end == std::string::npos) end = text->size();
    std::string line = text->substr(at, end - at);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (!line.empty() && line[0] != '#') lines.push_back(line);
    at = end + 1;
  }
  wav.clear();
  if (place.next >= lines.size()) return true;
  const std::filesystem::path file = lines[place.next++];
  wav = file.is_absolute() ? file.string() : (std::filesystem::path(list).parent_path() / file).string();
  return true;
}

// Loads what this recognition plays: the named file again (it may have been
// rewritten since), or the list's next file.
bool LoadForStart(Device& d, const std::string& name) {
  if (!IsList(name)) return LoadWav(d, name);
  std::string wav;
  if (!NextInList(name, wav)) return false;
  if (wav.empty()) {
    d.file.clear();
    d.wav_path = name;
    return true;
  }
  return LoadWav(d, wav);
}

}  // namespace

extern "C" {

LH_ERROR lhs_audioinOpen(uint32_t deviceId, uint32_t hz, LH_AUDIOIN_HANDLE* phDevice) {
  if (!phDevice || hz < 8000 || hz > 48000) return LHAUDIOIN_E_ARG;
  *phDevice = nullptr;
  auto d = std::make_unique<Device>();
  d->hz = hz;
  if (const char* wav = WavVariable()) {
    // A list is only checked here; its first file is taken at the start.
    if (IsList(wav) ? !talvane::ReadWholeFile(wav) : !LoadWav(*d, wav)) return LHAUDIOIN_E_FILE;
  } else {
    if (deviceId != WAVE_MAPPER) return LHAUDIOIN_E_NODEVICE;  // only the default device is known
    snd_lib_error_set_handler(QuietAlsa);
    if (snd_pcm_open(&d->pcm, "default", SND_PCM_STREAM_CAPTURE, 0) < 0) return LHAUDIOIN_E_NODEVICE;
    // 16-bit mono at the recogniser's rate, converted by ALSA when the card
    // cannot; half a second of buffer.
    if (snd_pcm_set_params(d->pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 1, hz, 1, 500000) < 0) {
      snd_pcm_close(d->pcm);
      return LHAUDIOIN_E_NODEVICE;
    }
  }
  *phDevice = d.release();
  return LHAUDIOIN_OK;
}

LH_ERROR lhs_audioinStart(LH_AUDIOIN_HANDLE hDevice) {
  auto* d = static_cast<Device*>(hDevice);
  if (!d) return LHAUDIOIN_E_ARG;
  if (d->pcm) {
    if (snd_pcm_prepare(d->pcm) < 0 || snd_pcm_start(d->pcm) < 0) return LHAUDIOIN_E_DEVICE;
  } else {
    // Each recognition plays the file from its start, read again.
    if (const char* wav = WavVariable(); wav && !LoadForStart(*d, wav)) return LHAUDIOIN_E_FILE;
    d->position = 0;
    d->delivered = 0;
    const char* rt = std::getenv("AUDIOIN_REALTIME");
    d->realtime = rt && std::string(rt) == "1";
    d->started_at = std::chrono::steady_clock::now();
  }
  d->started = true;
  return LHAUDIOIN_OK;
}

LH_ERROR lhs_audioinStop(LH_AUDIOIN_HANDLE hDevice) {
  auto* d = static_cast<Device*>(hDevice);
  if (!d) return LHAUDIOIN_E_ARG;
  if (d->pcm && d->started) snd_pcm_drop(d->pcm);
  d->started = false;
  return LHAUDIOIN_OK;
}

LH_ERROR lhs_audioinGetFrame(LH_AUDIOIN_HANDLE hDevice, uint32_t* pSampleCount, int16_t** ppBuffer,
                             uint32_t* pStatus) {
  auto* d = static_cast<Device*>(hDevice);
  if (!d || !pSampleCount || !ppBuffer || !pStatus || *pSampleCount == 0 || *pSampleCount > 1u << 20)
    return LHAUDIOIN_E_ARG;
  if (!d->started || d->lent) return LHAUDIOIN_E_STATE;
  const std::size_t want = *pSampleCount;
  d->frame.assign(want, 0);
  *pStatus = AUDIOIN_OK;
  if (!d->pcm) {
    const std::size_t n = d->position < d->file.size() ? std::min(want, d->file.size() - d->position) : 0;
    std::copy_n(d->file.begin() + static_cast<std::ptrdiff_t>(d->position), n, d->frame.begin());
    d->position += n;  // after the end of the file: silence
    if (d->realtime) {
      d->delivered += want;
      std::this_thread::sleep_until(d->started_at + std::chrono::microseconds(d->delivered * 1000000 / d->hz));
    }
  } else {
    std::size_t got = 0;
    while (got < want) {
      const int ready = snd_pcm_wait(d->pcm, 2000);
      if (ready == 0) {
        *pStatus = AUDIOIN_TIMEOUT;  // the device delivers nothing
        break;
      }
      const snd_pcm_sframes_t n = snd_pcm_readi(d->pcm, d->frame.data() + got, want - got);
      if (n > 0) {
        got += static_cast<std::size_t>(n);
      } else if (n == -EAGAIN || n == -EINTR) {
        continue;
      } else if (snd_pcm_recover(d->pcm, static_cast<int>(n), 1) == 0) {
        // Samples were lost but capture goes on.
        *pStatus = AUDIOIN_FLUSHED;
      } else {
        *pStatus = AUDIOIN_HWOVERRUN;
        break;
      }
    }
  }
  d->lent = true;
  *ppBuffer = d->frame.data();
  return LHAUDIOIN_OK;
}

LH_ERROR lhs_audioinReturnFrame(LH_AUDIOIN_HANDLE hDevice, int16_t* pBuffer) {
  auto* d = static_cast<Device*>(hDevice);
  if (!d || !pBuffer) return LHAUDIOIN_E_ARG;
  if (!d->lent || pBuffer != d->frame.data()) return LHAUDIOIN_E_STATE;
  d->lent = false;
  return LHAUDIOIN_OK;
}

LH_ERROR lhs_audioinClose(LH_AUDIOIN_HANDLE* phDevice) {
  if (!phDevice || !*phDevice) return LHAUDIOIN_E_ARG;
  auto* d = static_cast<Device*>(*phDevice);
  if (d->pcm) snd_pcm_close(d->pcm);
  delete d;
  *phDevice = nullptr;
  return LHAUDIOIN_OK;
}

const char* lhs_audioinErrorGetString(LH_ERROR code) {
  switch (code) {
    case LHAUDIOIN_OK:
      return "no error";
    case LHAUDIOIN_E_ARG:
      return "invalid argument";
    case LHAUDIOIN_E_NODEVICE:
      return "no audio capture device (and AUDIOIN_WAV names no file)";
    case LHAUDIOIN_E_FILE:
      return "the file AUDIOIN_WAV names is not a readable WAV file";
    case LHAUDIOIN_E_STATE:
      return "the device is not started, or a frame is still lent";
    case LHAUDIOIN_E_DEVICE:
      return "the capture device failed";
    default:
      return "unknown audio-in error";
  }
}

}  // extern "C"
