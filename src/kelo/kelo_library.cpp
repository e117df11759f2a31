// The entry point of libkelo.so.
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "common/text.h"
#include "kelo/kelo.h"
#include "kelo/speaker.h"

namespace {

talvane::kelo::Speaker& TheSpeaker() {
  static talvane::kelo::Speaker speaker(talvane::kelo::TheSynthesizer());
  return speaker;
}

// KELO_WAV names the file each speech is written to, or a folder that keeps
// them all in turn (0001.wav, 0002.wav, ...), for a session's readbacks.
std::filesystem::path WavTarget(const char* named) {
  static int written = 0;
  std::error_code ec;
  const std::filesystem::path path = std::filesystem::absolute(named, ec);
  if (!std::filesystem::is_directory(path, ec)) return path;
  char name[16];
  std::snprintf(name, sizeof name, "%04d.wav", ++written);
  return path / name;
}

int Call(int command, int voice, int value3, int value4, const char* text) {
  using namespace talvane::kelo;
  Speaker& s = TheSpeaker();
  switch (command) {
    case KELO_INITIALISE: {
      std::error_code ec;
      const auto here = std::filesystem::current_path(ec);
      return s.Initialise(ec ? std::filesystem::path(".") : here);
    }
    case KELO_VOICE_PRESENT:
      return s.VoicePresent(voice);
    case KELO_SPEAK: {
      if (!text) return KELO_ERR_ARGUMENT;
      SpeakRequest r;
      r.text_utf8 = talvane::Cp1252ToUtf8(text);
      r.voice = voice;
      r.volume = value3;
      r.rate = value4;
      if (const char* wav = std::getenv("KELO_WAV"); wav && *wav) r.wav = WavTarget(wav);
      return s.Speak(std::move(r));
    }
    case KELO_WAIT:
      return s.WaitIdle(value3) ? KELO_OK : KELO_ERR_TIMEOUT;
    default:
      return KELO_ERR_ARGUMENT;
  }
}

}  // namespace

extern "C" TALVANE_EXPORT int fnKELOspeak_Call(int command, int voice, int value3, int value4, const char* text) {
  try {
    return Call(command, voice, value3, value4, text);
  } catch (...) {
    return KELO_ERR_INTERNAL;
  }
}
