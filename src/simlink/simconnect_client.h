// The voice module's link to the simulator: connect and open, map named
// simulator events once, transmit them with their data, ask for the loaded
// aircraft's title. One thread owns a client; nothing throws out of it.
//
// A link that breaks, or that receives a packet it cannot read, is closed and
// close_reason() says why, for the caller's log. The caller decides when to
// connect again (a new Connect on the same object starts afresh).
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "simlink/simconnect_config.h"
#include "simlink/simconnect_protocol.h"
#include "simlink/tcp_socket.h"

namespace talvane::simlink {

struct ClientHandlers {
  // The user aircraft's title, each time it arrives.
  std::function<void(const std::string& title)> on_title;
  // A request the simulator refused: the exception's name and what the
  // refused packet asked for (for example "MapClientEventToSimEvent
  // AP_ALT_VAR_SET_ENGLISH"), or its send id when it is no longer known.
  std::function<void(const std::string& exception, const std::string& request)> on_exception;
  // The link closed, with the reason.
  std::function<void(const std::string& reason)> on_closed;
};

class SimConnectClient {
 public:
  explicit SimConnectClient(std::string application_name, ClientHandlers handlers = {});
  ~SimConnectClient() = default;
  SimConnectClient(const SimConnectClient&) = delete;
  SimConnectClient& operator=(const SimConnectClient&) = delete;

  // Connects, sends Open and waits for the simulator's answer, all within
  // `timeout`. False (with close_reason() set) when that fails. Mappings of
  // an earlier link are forgotten: they belong to that link.
  bool Connect(const Endpoint& endpoint, std::chrono::milliseconds timeout);
  bool connected() const { return socket_.valid(); }
  // The simulator's name and version from its Open answer.
  const OpenReply& server() const { return server_; }

  // Closes the link; `reason` becomes close_reason() and goes to on_closed
  // when the link was open.
  void Close(const std::string& reason);
  const std::string& close_reason() const { return close_reason_; }

  // Maps the simulator event `name` to a client event id, sending the map
  // request the first time only. Map the events a command needs ahead of
  // time, so that Transmit sends one packet.
  bool MapEvent(std::string_view name);
  // Sends event `name` (mapped first when it is not yet) with `data` to the
  // user aircraft.
  bool Transmit(std::string_view name, std::uint32_t data);
  // Asks for the user aircraft's title: once, or also whenever it changes
  // (`follow`). The answer arrives through on_title during Poll.
  bool RequestAircraftTitle(bool follow = false);

  // Waits up to `wait` for packets and handles all that have arrived.
  // False when the link is (or becomes) closed.
  bool Poll(std::chrono::milliseconds wait);

 private:
  bool Send(const ClientMessage& message, std::string description);
  bool Receive(std::chrono::milliseconds wait);
  void Handle(const ServerMessage& message);

  std::string application_name_;
  ClientHandlers handlers_;
  SocketHandle socket_;
  PacketReader reader_{PacketReader::Sender::Server};
  OpenReply server_;
  bool open_answered_ = false;
  std::string close_reason_;
  std::uint32_t next_send_id_ = 1;
  std::unordered_map<std::string, std::uint32_t> event_ids_;
  bool title_defined_ = false;
  // What the last packets asked for, by send id, to name a refused one.
  std::deque<std::pair<std::uint32_t, std::string>> sent_;
};

}  // namespace talvane::simlink
