#include "demo_simulator.h"

#include <ctime>

#include "common/files.h"
#include "demo_options.h"

namespace talvane::demosim {

namespace {

std::string TimeStamp() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t t = std::chrono::system_clock::to_time_t(now);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm tm{};
  ::localtime_r(&t, &tm);
  char s[64];
  std::snprintf(s, sizeof s, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(ms));
  return s;
}

}  // namespace

DemoSimulator::DemoSimulator(std::string title, std::filesystem::path state_file)
    : state_file_(std::move(state_file)),
      log_file_(state_file_.parent_path() / kEventLogFile),
      server_(kServerName, simlink::ServerHandlers{
                               [this](const std::string& event, std::uint32_t data) { Receive(event, data); },
                               [this](const std::string& line) { Log("# " + line); },
                           }) {
  state_.title = std::move(title);
  log_ = std::fopen(log_file_.c_str(), "a");
  server_.SetKnownEvents(KnownEventNames());
  server_.SetTitle(state_.title);
}

DemoSimulator::~DemoSimulator() {
  Shutdown();
  if (log_) std::fclose(log_);
}

bool DemoSimulator::Listen(const simlink::Endpoint& endpoint) {
  std::string error;
  const bool ok = server_.Listen(endpoint.host, endpoint.port, error);
  if (ok) {
    link_.endpoint = endpoint.host + ":" + std::to_string(server_.port());
    link_.message = "listening";
  } else {
    link_.endpoint.clear();
    link_.message = "cannot listen on " + endpoint.host + ":" + std::to_string(endpoint.port) + ": " + error;
  }
  Log("# " + (ok ? "listening on " + link_.endpoint : link_.message));
  Publish();
  return ok;
}

void DemoSimulator::NoLink(const std::string& why) {
  link_.endpoint.clear();
  link_.message = why;
  Log("# no link: " + why);
  Publish();
}

void DemoSimulator::Poll(std::chrono::milliseconds wait) {
  server_.Poll(wait);
  const int clients = static_cast<int>(server_.client_count());
  if (clients != link_.clients) {
    link_.clients = clients;
    Publish();
  }
}

void DemoSimulator::Shutdown() { server_.Shutdown(true); }

void DemoSimulator::Receive(const std::string& event, std::uint32_t data) {
  std::string problem;
  const bool known = state_.Apply(event, data, &problem);
  char value[40];
  std::snprintf(value, sizeof value, "%u (0x%08X)", data, data);
  last_event_ = event + " " + value + " " + (!known ? "unknown" : problem.empty() ? "applied" : "ignored: " + problem);
  Log(last_event_);
  Publish();
}

void DemoSimulator::Log(const std::string& line) {
  if (!log_) log_ = std::fopen(log_file_.c_str(), "a");  // the folder may have become writable
  if (!log_) return;
  std::fprintf(log_, "%s %s\n", TimeStamp().c_str(), line.c_str());
  std::fflush(log_);
}

void DemoSimulator::Publish() {
  write_error_.clear();
  AtomicWriteFile(state_file_, StateJson(state_, link_), &write_error_);
  if (Changed) Changed();
}

}  // namespace talvane::demosim
