// The link to the simulator in flight: SimConnect over TCP, to where the
// simulator's SimConnect.xml (or the module's own setting) says it listens.
// Every event the mapping can send is mapped as soon as the link opens, so
// that a command costs one packet; the loaded aircraft's title is followed.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "quarrowr/simulator_port.h"
#include "simlink/simconnect_client.h"

namespace talvane::quarrowr {

class SimConnectSimulator : public SimulatorPort {
 public:
  // Finds the endpoint, or says why there is none; asked again at each try,
  // since the simulator may write its file after the module started.
  using Locate = std::function<bool(simlink::Endpoint&, std::string& why)>;
  // `log` gets one line for what the simulator refused or why the link
  // closed.
  SimConnectSimulator(Locate locate, std::vector<std::string> events, std::function<void(const std::string&)> log);

  bool Connected() const override { return client_.connected(); }
  void Connect() override;
  bool Transmit(const std::string& event, std::uint32_t data) override;
  std::optional<std::string> AircraftTitle() override;
  std::string Status() const override { return status_; }
  void Close() override;
  // Handles what the simulator sent since the last call (a new title, a
  // refusal, the simulator quitting). The module's timer calls it often.
  void Poll();

  static constexpr std::chrono::milliseconds kConnectTimeout{1500};
  static constexpr std::chrono::milliseconds kTitleWait{1000};

 private:
  Locate locate_;
  std::vector<std::string> events_;
  std::function<void(const std::string&)> log_;
  simlink::SimConnectClient client_;
  std::string where_;
  std::string status_ = "not connected yet";
  std::optional<std::string> title_;
};

}  // namespace talvane::quarrowr
