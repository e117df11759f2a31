#include "kelo/speaker.h"

#include <chrono>
#include <cstdio>

#include "common/files.h"
#include "common/local_time.h"
#include "common/wav_file.h"
#include "kelo/audio_out.h"
#include "kelo/kelo.h"

namespace talvane::kelo {

void KeloLog::Open(const std::filesystem::path& path) {
  std::lock_guard lock(mutex_);
  path_ = path;
  // A fresh log per session keeps it from growing without end.
  if (std::FILE* f = std::fopen(path_.c_str(), "wb")) std::fclose(f);
}

void KeloLog::Line(const std::string& utf8) {
  std::lock_guard lock(mutex_);
  if (path_.empty()) return;
  if (std::FILE* f = std::fopen(path_.c_str(), "ab")) {
    const std::string line = LocalTimeStamp() + " " + utf8 + "\n";
    std::fwrite(line.data(), 1, line.size(), f);
    std::fclose(f);
  }
}

Speaker::~Speaker() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    pending_.reset();
  }
  cancel_ = true;
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

int Speaker::Initialise(const std::filesystem::path& folder) {
  log_.Open(folder / "kelolog_utf.txt");
  std::string error;
  if (!synth_.Start(&error)) {
    log_.Line("initialise: " + error);
    return KELO_ERR_ENGINE;
  }
  log_.Line("initialise: espeak-ng " + synth_.Version());
  return KELO_OK;
}

int Speaker::VoicePresent(int voice) {
  const auto v = FindVoice(voice);
  if (!v) {
    log_.Line("voice " + std::to_string(voice) + ": no such voice");
    return KELO_ERR_NO_VOICE;
  }
  const bool has = synth_.HasVoice(*v);
  log_.Line("voice " + std::to_string(voice) + " " + std::string(v->title) + " (" + EspeakVoiceName(*v) + "): " +
            (has ? "present" : "missing"));
  return has ? KELO_OK : KELO_ERR_NO_VOICE;
}

int Speaker::Speak(SpeakRequest r) {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return KELO_ERR_INTERNAL;
    pending_ = std::move(r);
    if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
    if (busy_) cancel_ = true;  // the running speech gives way; the worker clears it as it takes the next
  }
  wake_.notify_all();
  return KELO_OK;
}

bool Speaker::WaitIdle(int timeout_ms) {
  std::unique_lock lock(mutex_);
  auto idle = [this] { return !busy_ && !pending_; };
  if (timeout_ms <= 0) {
    idle_.wait(lock, idle);
    return true;
  }
  return idle_.wait_for(lock, std::chrono::milliseconds(timeout_ms), idle);
}

void Speaker::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || pending_.has_value(); });
    if (stopping_) break;
    SpeakRequest r = std::move(*pending_);
    pending_.reset();
    busy_ = true;
    cancel_ = false;
    lock.unlock();
    Perform(r);
    lock.lock();
    busy_ = false;
    if (!pending_) idle_.notify_all();
  }
  busy_ = false;
  idle_.notify_all();
}

void Speaker::Perform(const SpeakRequest& r) {
  const auto found = FindVoice(r.voice);
  const Voice v = found ? *found : DefaultVoice();
  log_.Line("speak: voice " + std::to_string(r.voice) + " " + std::string(v.title) + ", volume " +
            std::to_string(r.volume) + ", rate " + std::to_string(r.rate) + ": \"" + r.text_utf8 + "\"");
  Speech speech;
  std::string error;
  if (!synth_.Synthesize(r.text_utf8, v, r.volume, r.rate, cancel_, speech, &error)) {
    log_.Line("speak failed: " + error);
    return;
  }
  if (cancel_) {
    log_.Line("speak: cut short by a newer request");
    return;
  }
  if (r.wav) {
    if (!AtomicWriteFile(*r.wav, WavBytes(speech.samples, speech.sample_rate), &error))
      log_.Line("speak: cannot write " + r.wav->string() + ": " + error);
    else
      log_.Line("speak: wrote " + std::to_string(speech.samples.size()) + " samples at " +
                std::to_string(speech.sample_rate) + " Hz to " + r.wav->string());
    return;
  }
  if (!PlaySamples(speech.samples, speech.sample_rate, cancel_, &error)) log_.Line("speak: " + error);
}

}  // namespace talvane::kelo
