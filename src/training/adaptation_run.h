// Runs an adaptation from the program: the helper talvane-adapt (beside the
// program) in a process of its own, so that a cancel can stop it at once
// and the program itself never loads the recogniser. Its progress lines
// come back through the callback.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>

#include "training/adaptation.h"

namespace talvane::training {

class AdaptationRun {
 public:
  // `helper`: the talvane-adapt executable.
  AdaptationRun(fs::path helper, fs::path program_folder, std::string profile);
  ~AdaptationRun();
  AdaptationRun(const AdaptationRun&) = delete;
  AdaptationRun& operator=(const AdaptationRun&) = delete;

  // Blocks until the helper ends (call it on a worker thread). true when the
  // model was built and made active; false with `error` otherwise
  // ("cancelled" after Cancel).
  bool Run(const std::function<void(const Progress&)>& progress, std::string* error);
  // Stops a running adaptation; safe from any thread, also before Run.
  void Cancel();

 private:
  fs::path helper_, program_folder_;
  std::string profile_;
  std::mutex mutex_;
  pid_t pid_ = 0;
  std::atomic<bool> cancelled_{false};
};

}  // namespace talvane::training
