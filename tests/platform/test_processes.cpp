#include "test_processes.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "common/split.h"

extern char** environ;

namespace talvane::test {

ChildProcess::ChildProcess(const std::vector<std::string>& args, const std::string& display, bool quiet) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e)
    if (display.empty() || !std::string_view(*e).starts_with("DISPLAY=")) env.emplace_back(*e);
  if (!display.empty()) env.push_back("DISPLAY=" + display);
  std::vector<char*> argv, envp;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  argv.push_back(nullptr);
  envp.push_back(nullptr);

  int pipe[2];
  if (::pipe2(pipe, O_CLOEXEC) != 0) return;
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0) {
    // Only calls that are safe between fork and exec. A test that crashes
    // must not leave its X server and windows running: they end with it.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(127);
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, 0);
    ::dup2(pipe[1], 1);
    if (quiet) ::dup2(null, 2);
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
  if (pid > 0) pid_ = pid;
  ::close(pipe[1]);
  out_ = pipe[0];
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !Wait(0ms)) {
    Kill(SIGKILL);
    Wait();
  }
  if (out_ >= 0) ::close(out_);
}

std::optional<std::string> ChildProcess::ReadLine(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (const auto end = buffer_.find('\n'); end != std::string::npos) {
      std::string line = buffer_.substr(0, end);
      buffer_.erase(0, end + 1);
      return line;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd p{out_, POLLIN, 0};
    if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) return std::nullopt;
    char chunk[256];
    const ssize_t got = ::read(out_, chunk, sizeof chunk);
    if (got <= 0) return std::nullopt;
    buffer_.append(chunk, static_cast<std::size_t>(got));
  }
}

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds timeout) {
  if (pid_ <= 0) return std::nullopt;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(10ms);
  }
}

void ChildProcess::Kill(int signal) {
  if (pid_ > 0) ::kill(pid_, signal);
}

std::string FindOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  for (const auto& folder : SplitAt(path ? path : "", ":")) {
    const std::string candidate = folder + "/" + program;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

XServer::XServer() {
  const std::string xvfb = FindOnPath("Xvfb");
  if (xvfb.empty()) return;
  // -displayfd picks a free display and writes its number to our pipe.
  process_.emplace(std::vector<std::string>{xvfb, "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"},
                   std::string{}, true);
  if (const auto number = process_->ReadLine(20s); number && !number->empty()) display_ = ":" + *number;
}

void XServer::Stop() {
  if (!process_) return;
  process_->Kill(SIGTERM);
  process_->Wait();
  process_.reset();
}

void XServerTest::SetUp() {
  if (FindOnPath("Xvfb").empty()) GTEST_SKIP() << "Xvfb is not installed";
  server_.emplace();
  ASSERT_FALSE(server_->display().empty()) << "Xvfb did not start";
}

std::unique_ptr<ChildProcess> XServerTest::Window(std::vector<std::string> args, unsigned long* id) {
  args.insert(args.begin(), TALVANE_TEST_WINDOW);
  auto window = std::make_unique<ChildProcess>(args, display(), true);
  const auto line = window->ReadLine();
  EXPECT_TRUE(line.has_value()) << "the test window did not appear";
  if (id) *id = line ? std::stoul(*line) : 0;
  return window;
}

ScopedEnv::ScopedEnv(std::string name, const std::optional<std::string>& value) : name_(std::move(name)) {
  if (const char* old = std::getenv(name_.c_str())) old_ = old;
  if (value) ::setenv(name_.c_str(), value->c_str(), 1);
  else ::unsetenv(name_.c_str());
}

ScopedEnv::~ScopedEnv() {
  if (old_) ::setenv(name_.c_str(), old_->c_str(), 1);
  else ::unsetenv(name_.c_str());
}

}  // namespace talvane::test
