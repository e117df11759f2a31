// The one thread that calls into the speech libraries (libkelo.so,
// libgrisk.so, libondrix.so). The libraries find the program folder from
// the current directory, and the engine changes it; so every call runs here,
// one at a time, and each job starts with the program folder as the current
// directory. The thread has a current directory of its own, so nothing a
// library does to it reaches the rest of the process (nor does the rest of
// the process depend on it). A host waits for a job (Call) or posts it and
// goes on (Post), so that a compile or a recognition never holds up a window.
//
// The one call that must not queue behind the others is the engine's
// TERMINATE while a recognition runs: the engine takes it from any thread
// (OutsideLibraries::OndrixTerminateNow).
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>

namespace talvane {

class SpeechThread {
 public:
  explicit SpeechThread(std::filesystem::path program_folder);
  // Runs what is still queued, then ends the thread.
  ~SpeechThread();
  SpeechThread(const SpeechThread&) = delete;
  SpeechThread& operator=(const SpeechThread&) = delete;

  const std::filesystem::path& ProgramFolder() const { return folder_; }
  // True on the speech thread itself.
  bool OnThread() const { return std::this_thread::get_id() == id_; }

  // Runs `job` on the speech thread and waits for it; what it throws is
  // thrown here. A job that calls this runs the inner job at once.
  template <class F>
  std::invoke_result_t<F&> Call(F&& job) {
    if (OnThread()) {
      EnterProgramFolder();
      return job();
    }
    auto result = Post(std::forward<F>(job));
    if (wait_hook_ && std::this_thread::get_id() == hook_thread_)
      while (result.wait_for(std::chrono::milliseconds(15)) != std::future_status::ready) wait_hook_();
    return result.get();
  }

  // Run over and over while a caller waits in Call: a window host repaints
  // and runs its timers there, so a long compile never freezes a window.
  // Set once, before calls are made, from the thread that will wait.
  void SetWaitHook(std::function<void()> hook) {
    wait_hook_ = std::move(hook);
    hook_thread_ = std::this_thread::get_id();
  }

  // Queues `job` and returns at once; the future gives its result, or
  // throws what it threw.
  template <class F>
  std::future<std::invoke_result_t<F&>> Post(F&& job) {
    using R = std::invoke_result_t<F&>;
    auto task = std::make_shared<std::packaged_task<R()>>(std::forward<F>(job));
    std::future<R> result = task->get_future();
    Queue([task] { (*task)(); });
    return result;
  }

  // Queues `job`; `done` then runs on the speech thread with the job's
  // ready future (get() gives the result or throws). A window host hands it
  // on to its own thread from there.
  template <class F, class Done>
  void Post(F&& job, Done&& done) {
    using R = std::invoke_result_t<F&>;
    auto task = std::make_shared<std::packaged_task<R()>>(std::forward<F>(job));
    Queue([task, done = std::forward<Done>(done)]() mutable {
      (*task)();
      done(task->get_future());
    });
  }

 private:
  void Queue(std::function<void()> job);
  void Run();
  // Back to the program folder: a library may have left the directory
  // elsewhere.
  void EnterProgramFolder() const;

  const std::filesystem::path folder_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  bool ending_ = false;
  std::thread::id id_;
  std::function<void()> wait_hook_;
  std::thread::id hook_thread_;  // only this thread's waits run the hook
  std::thread thread_;  // last: it starts once everything above is ready
};

}  // namespace talvane
