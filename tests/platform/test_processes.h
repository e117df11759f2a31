// Child processes for the platform tests: a private X server, the windows
// shown on it, and environment variables changed for one test.
#pragma once

#include <sys/types.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace talvane::test {

using namespace std::chrono_literals;

// A program run with the environment of this process, DISPLAY replaced when
// `display` is given; its standard output comes through a pipe, its error
// output is dropped when `quiet`. It is killed when the thread that started
// it ends (start it from the test's own thread), so a crashed test leaves
// nothing running.
class ChildProcess {
 public:
  ChildProcess(const std::vector<std::string>& args, const std::string& display = {}, bool quiet = false);
  ~ChildProcess();  // ends it (SIGKILL) if it still runs
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return pid_ > 0; }
  // The next line of its output without the '\n'; nullopt at the end of the
  // output or after `timeout`.
  std::optional<std::string> ReadLine(std::chrono::milliseconds timeout = 10s);
  // Its exit status (128 + signal when killed), or nullopt if it still runs
  // after `timeout`.
  std::optional<int> Wait(std::chrono::milliseconds timeout = 10s);
  void Kill(int signal);

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string buffer_;
};

// Where `program` is found on PATH, or empty text.
std::string FindOnPath(const std::string& program);

// An Xvfb server of its own (1024x768, 24 bits), on the first free display.
class XServer {
 public:
  XServer();
  ~XServer() { Stop(); }
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;
  // ":N", or empty text when the server did not start.
  const std::string& display() const { return display_; }
  void Stop();

 private:
  std::optional<ChildProcess> process_;
  std::string display_;
};

// A test with an X server of its own (skipped where Xvfb is not installed)
// and the test-window program to show windows on it.
class XServerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  const std::string& display() const { return server_->display(); }
  // Starts test-window with the arguments and waits until its window is
  // mapped; `id` receives the window's id.
  std::unique_ptr<ChildProcess> Window(std::vector<std::string> args, unsigned long* id = nullptr);

  std::optional<XServer> server_;
};

// Sets (or, given nullopt, removes) an environment variable until the end
// of the scope.
class ScopedEnv {
 public:
  ScopedEnv(std::string name, const std::optional<std::string>& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

}  // namespace talvane::test
