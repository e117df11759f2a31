// The library's state: a log, one speech thread and the request it works
// on. Speak returns at once; the thread synthesises and plays (or writes the
// WAV file), and a newer request cuts an older one short.
#pragma once

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "kelo/synthesizer.h"

namespace talvane::kelo {

struct SpeakRequest {
  std::string text_utf8;
  int voice = 0;
  int volume = 100;
  int rate = 50;
  std::optional<std::filesystem::path> wav;  // write here instead of playing
};

class KeloLog {
 public:
  // Starts a fresh log at `path`.
  void Open(const std::filesystem::path& path);
  void Line(const std::string& utf8);

 private:
  std::mutex mutex_;
  std::filesystem::path path_;
};

class Speaker {
 public:
  explicit Speaker(Synthesizer& synth) : synth_(synth) {}
  ~Speaker();
  Speaker(const Speaker&) = delete;
  Speaker& operator=(const Speaker&) = delete;

  // Starts the log in `folder` and the speech engine; 0 or a KELO_ERR_ code.
  int Initialise(const std::filesystem::path& folder);
  int VoicePresent(int voice);
  int Speak(SpeakRequest r);
  // True when idle before `timeout_ms` passed (<= 0: wait as long as it takes).
  bool WaitIdle(int timeout_ms);

  KeloLog& log() { return log_; }

 private:
  void Run();
  void Perform(const SpeakRequest& r);

  Synthesizer& synth_;
  KeloLog log_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::optional<SpeakRequest> pending_;
  bool busy_ = false;
  bool stopping_ = false;
  std::atomic<bool> cancel_{false};
  std::thread thread_;
};

}  // namespace talvane::kelo
