// A small server of the same protocol subset, for the demo simulator and for
// tests: accepts clients, answers Open, keeps each client's event mapping,
// hands every transmitted event to a handler and answers title requests.
// A client that sends a packet it cannot read is dropped; the others stay.
//
// Poll runs on one thread; SetTitle, MappedEventNames and client_count may be
// called from others. The handlers run on the polling thread, with no lock
// held.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "simlink/simconnect_protocol.h"
#include "simlink/tcp_socket.h"

namespace talvane::simlink {

struct ServerHandlers {
  // An event a client transmitted, by its simulator name, with its data.
  std::function<void(const std::string& event_name, std::uint32_t data)> on_event;
  // Something worth a log line: a client came, went, or was dropped and why.
  std::function<void(const std::string& line)> on_log;
};

class SimConnectServer {
 public:
  SimConnectServer(std::string application_name, ServerHandlers handlers);
  ~SimConnectServer();
  SimConnectServer(const SimConnectServer&) = delete;
  SimConnectServer& operator=(const SimConnectServer&) = delete;

  // Listens on `host` (numeric IPv4; empty or 0.0.0.0 for every address) and
  // `port` (0 picks a free one, see port()). False with `error` set.
  bool Listen(const std::string& host, std::uint16_t port, std::string& error);
  std::uint16_t port() const { return port_; }

  // The events the server knows; a map request for another name is refused
  // (NAME_UNRECOGNIZED). Empty (the default) accepts every name.
  void SetKnownEvents(std::set<std::string> names);
  // The user aircraft's title; clients following it get the new one.
  void SetTitle(const std::string& title);

  // Accepts new clients and handles what they sent, waiting up to `wait`
  // for something to happen.
  void Poll(std::chrono::milliseconds wait);

  std::size_t client_count() const;
  // Every event name mapped by a connected client, sorted, once each.
  std::vector<std::string> MappedEventNames() const;

  // Tells every client the simulator quits (when `send_quit`), then closes
  // all connections and the listening socket.
  void Shutdown(bool send_quit);

 private:
  struct Client;
  void Accept();
  // False when the client must be dropped, with `why`.
  bool Serve(Client& client, const Packet& packet, std::vector<std::pair<std::string, std::uint32_t>>& events,
             std::string& why);
  bool Reply(Client& client, const ServerMessage& message, std::string& why);
  bool SendTitle(Client& client, std::string& why);

  std::string application_name_;
  ServerHandlers handlers_;
  SocketHandle listener_;
  std::uint16_t port_ = 0;
  std::uint32_t next_client_number_ = 1;

  mutable std::mutex mutex_;
  std::set<std::string> known_events_;
  std::string title_;
  bool title_changed_ = false;
  std::vector<std::unique_ptr<Client>> clients_;
  // Log lines gathered under the lock, handed out after it.
  std::vector<std::string> pending_logs_;
};

}  // namespace talvane::simlink
