#include "quarrowr/simconnect_simulator.h"

namespace talvane::quarrowr {

namespace {
constexpr const char* kApplicationName = "BX Quarrow";
}

SimConnectSimulator::SimConnectSimulator(Locate locate, std::vector<std::string> events,
                                         std::function<void(const std::string&)> log)
    : locate_(std::move(locate)),
      events_(std::move(events)),
      log_(std::move(log)),
      client_(kApplicationName, simlink::ClientHandlers{
                                    [this](const std::string& title) { title_ = title; },
                                    [this](const std::string& exception, const std::string& request) {
                                      if (log_) log_("the simulator refused " + request + ": " + exception);
                                    },
                                    [this](const std::string& reason) {
                                      status_ = "link to " + where_ + " closed: " + reason;
                                      title_.reset();
                                      if (log_) log_(status_);
                                    }}) {}

void SimConnectSimulator::Connect() {
  if (client_.connected()) return;
  simlink::Endpoint endpoint;
  std::string why;
  if (!locate_(endpoint, why)) {
    status_ = "no simulator address: " + why;
    return;
  }
  where_ = endpoint.host + ":" + std::to_string(endpoint.port);
  title_.reset();
  if (!client_.Connect(endpoint, kConnectTimeout)) {
    status_ = "no simulator at " + where_ + ": " + client_.close_reason();
    return;
  }
  for (const auto& e : events_)
    if (!client_.MapEvent(e)) break;
  if (client_.connected()) client_.RequestAircraftTitle(true);
  if (!client_.connected()) {
    status_ = "link to " + where_ + " closed: " + client_.close_reason();
    return;
  }
  const auto& server = client_.server();
  status_ = "connected to " + where_ + (server.application_name.empty() ? "" : " (" + server.application_name + ")");
}

bool SimConnectSimulator::Transmit(const std::string& event, std::uint32_t data) {
  return client_.connected() && client_.Transmit(event, data);
}

std::optional<std::string> SimConnectSimulator::AircraftTitle() {
  // The title follows the link; right after it opens the first answer may
  // still be on its way.
  const auto until = std::chrono::steady_clock::now() + kTitleWait;
  while (!title_ && client_.connected() && std::chrono::steady_clock::now() < until)
    client_.Poll(std::chrono::milliseconds(50));
  return title_;
}

void SimConnectSimulator::Poll() {
  if (client_.connected()) client_.Poll(std::chrono::milliseconds(0));
}

void SimConnectSimulator::Close() {
  if (client_.connected()) client_.Close("the voice module ended");
  status_ = "closed";
}

}  // namespace talvane::quarrowr
