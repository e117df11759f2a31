#include "training/adaptation_run.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

extern char** environ;

namespace talvane::training {

AdaptationRun::AdaptationRun(fs::path helper, fs::path program_folder, std::string profile)
    : helper_(std::move(helper)), program_folder_(std::move(program_folder)), profile_(std::move(profile)) {}

AdaptationRun::~AdaptationRun() { Cancel(); }

void AdaptationRun::Cancel() {
  std::lock_guard lock(mutex_);
  cancelled_ = true;
  // The helper stops its tool and removes its half-built model itself.
  if (pid_ > 0) ::kill(pid_, SIGTERM);
}

bool AdaptationRun::Run(const std::function<void(const Progress&)>& progress, std::string* error) {
  auto fail = [&](const std::string& e) {
    if (error) *error = e;
    return false;
  };
  if (::access(helper_.c_str(), X_OK) != 0) return fail("the adaptation helper " + helper_.string() + " is missing");
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return fail(std::string("cannot create a pipe: ") + std::strerror(errno));
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  std::string helper = helper_.string(), folder = program_folder_.string(), profile = profile_;
  char* argv[] = {helper.data(), folder.data(), profile.data(), nullptr};
  pid_t pid = 0;
  {
    std::lock_guard lock(mutex_);
    if (cancelled_) {
      posix_spawn_file_actions_destroy(&actions);
      ::close(out[0]);
      ::close(out[1]);
      return fail("cancelled");
    }
    const int rc = posix_spawn(&pid, helper.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (rc != 0) {
      ::close(out[0]);
      return fail("cannot run " + helper + ": " + std::strerror(rc));
    }
    pid_ = pid;
  }
  // Its lines, as they come.
  std::string pending, last_error;
  bool done = false;
  char buf[4096];
  for (;;) {
    const ssize_t n = ::read(out[0], buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    pending.append(buf, static_cast<std::size_t>(n));
    for (std::size_t nl; (nl = pending.find('\n')) != std::string::npos;) {
      const std::string line = pending.substr(0, nl);
      pending.erase(0, nl + 1);
      if (line == "done") {
        done = true;
      } else if (line.rfind("error ", 0) == 0) {
        last_error = line.substr(6);
      } else if (line.rfind("progress ", 0) == 0 && progress) {
        Progress p;
        int used = 0;
        if (std::sscanf(line.c_str() + 9, "%d %d %n", &p.step, &p.steps, &used) >= 2 && used > 0) {
          p.text = line.substr(9 + static_cast<std::size_t>(used));
          progress(p);
        }
      }
    }
  }
  ::close(out[0]);
  int status = 0;
  // A helper that closed its output but lingers after a cancel is stopped.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  for (;;) {
    const pid_t r = ::waitpid(pid, &status, WNOHANG);
    if (r == pid || (r < 0 && errno != EINTR)) break;
    if (std::chrono::steady_clock::now() > deadline) ::kill(pid, SIGKILL);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  {
    std::lock_guard lock(mutex_);
    pid_ = 0;
  }
  // Finished before the cancel reached it: the new model is in use.
  if (done && WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  if (cancelled_) return fail("cancelled");
  if (!last_error.empty()) return fail(last_error);
  return fail("the adaptation helper ended unexpectedly (status " + std::to_string(status) + ")");
}

}  // namespace talvane::training
