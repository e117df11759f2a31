// What the voice module asks of the link to the simulator. The link itself
// (its protocol, where it connects) lives elsewhere; the module only sends
// events, asks for the loaded aircraft and shows how the link stands.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace talvane::quarrowr {

class SimulatorPort {
 public:
  virtual ~SimulatorPort() = default;
  virtual bool Connected() const = 0;
  // Tries once to open the link when it is down; never waits long. The
  // module calls it again every few seconds while the link stays down.
  virtual void Connect() = 0;
  // Sends one simulator event ("AP_MASTER", "COM_RADIO_SET") with its data.
  // False when it could not be sent (the link is then down).
  virtual bool Transmit(const std::string& event, std::uint32_t data) = 0;
  // The title of the aircraft loaded in the simulator (Windows-1252), or
  // nullopt when the simulator did not answer.
  virtual std::optional<std::string> AircraftTitle() = 0;
  // One line for the window: "connected to 127.0.0.1:500", "no simulator at
  // ...", and why.
  virtual std::string Status() const = 0;
  // Closes the link; nothing is sent after it.
  virtual void Close() = 0;
};

}  // namespace talvane::quarrowr
