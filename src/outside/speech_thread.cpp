#include "outside/speech_thread.h"

#include <sched.h>
#include <unistd.h>

#include <utility>

namespace talvane {

SpeechThread::SpeechThread(std::filesystem::path program_folder)
    : folder_(std::filesystem::absolute(std::move(program_folder))), thread_([this] { Run(); }) {
  id_ = thread_.get_id();
}

SpeechThread::~SpeechThread() {
  {
    std::lock_guard lock(mutex_);
    ending_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void SpeechThread::Queue(std::function<void()> job) {
  {
    std::lock_guard lock(mutex_);
    jobs_.push_back(std::move(job));
  }
  wake_.notify_one();
}

void SpeechThread::EnterProgramFolder() const {
  // Failing, the call goes ahead where it is; a library reports a folder
  // without its files in its own words.
  (void)::chdir(folder_.c_str());
}

void SpeechThread::Run() {
  // A current directory of the thread's own (and of the threads and
  // processes the libraries start from it): the rest of the process keeps
  // its own.
  (void)::unshare(CLONE_FS);
  for (;;) {
    std::function<void()> job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return ending_ || !jobs_.empty(); });
      if (jobs_.empty()) return;  // ending, and nothing left to run
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    EnterProgramFolder();
    try {
      job();
    } catch (...) {
      // A job's own exceptions reach its future; this is a throwing
      // completion callback, which must not end the thread.
    }
  }
}

}  // namespace talvane
