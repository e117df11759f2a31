// The demo simulator without its window: the cockpit, the protocol server
// that changes it, and the two files that let tests and scripts follow it
// (the state as JSON, rewritten whole after every change, and a log with one
// line per received event beside it). The host polls it from its event loop.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "cockpit_state.h"
#include "simlink/simconnect_server.h"
#include "state_json.h"

namespace talvane::demosim {

inline constexpr const char* kServerName = "Demo Simulator";

class DemoSimulator {
 public:
  // The event log goes beside `state_file`.
  DemoSimulator(std::string title, std::filesystem::path state_file);
  ~DemoSimulator();
  DemoSimulator(const DemoSimulator&) = delete;
  DemoSimulator& operator=(const DemoSimulator&) = delete;

  // Starts the server; false when it cannot listen there (link() says why).
  // Writes the first state either way.
  bool Listen(const simlink::Endpoint& endpoint);
  // No server: the state and the window say why.
  void NoLink(const std::string& why);

  // Serves the clients, waiting up to `wait` for them.
  void Poll(std::chrono::milliseconds wait);
  // Tells the clients the simulator quits and closes the server.
  void Shutdown();

  // Applies one received event: state, log line, state file, Changed.
  void Receive(const std::string& event, std::uint32_t data);

  const CockpitState& state() const { return state_; }
  const LinkStatus& link() const { return link_; }
  // "HEADING_BUG_SET 270 applied", for the window.
  const std::string& last_event() const { return last_event_; }
  const std::filesystem::path& state_file() const { return state_file_; }
  const std::filesystem::path& event_log() const { return log_file_; }
  // Why the state file could not be written the last time, or empty.
  const std::string& write_error() const { return write_error_; }

  // Called after every change the window should show.
  std::function<void()> Changed;

 private:
  void Log(const std::string& line);
  void Publish();

  CockpitState state_;
  LinkStatus link_;
  std::string last_event_;
  std::filesystem::path state_file_;
  std::filesystem::path log_file_;
  std::FILE* log_ = nullptr;
  std::string write_error_;
  simlink::SimConnectServer server_;
};

}  // namespace talvane::demosim
