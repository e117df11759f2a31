#include "simlink/simconnect_server.h"

#include <poll.h>

#include <algorithm>

#include "common/text.h"

namespace talvane::simlink {

namespace {

// The version this server reports for itself and for its protocol library.
constexpr std::uint32_t kServerVersion[4] = {10, 0, 61259, 0};
constexpr std::chrono::milliseconds kReplyTimeout{2000};
constexpr std::uint32_t kInvalidDataType = 18;

}  // namespace

struct SimConnectServer::Client {
  SocketHandle socket;
  PacketReader reader{PacketReader::Sender::Client};
  std::uint32_t number = 0;
  std::string name;  // the application name of its Open
  bool opened = false;
  std::uint32_t version = kProtocolVersion;
  std::map<std::uint32_t, std::string> events;  // client event id -> simulator event name
  std::set<std::uint32_t> title_definitions;
  bool follows_title = false;
  std::uint32_t title_request = 0;
  std::uint32_t title_definition = 0;
};

SimConnectServer::SimConnectServer(std::string application_name, ServerHandlers handlers)
    : application_name_(std::move(application_name)), handlers_(std::move(handlers)) {}

SimConnectServer::~SimConnectServer() { Shutdown(false); }

bool SimConnectServer::Listen(const std::string& host, std::uint16_t port, std::string& error) {
  listener_ = ListenTcp(host == "0.0.0.0" ? std::string() : host, port, error);
  if (!listener_.valid()) return false;
  port_ = LocalPort(listener_.get());
  return true;
}

void SimConnectServer::SetKnownEvents(std::set<std::string> names) {
  std::lock_guard lock(mutex_);
  known_events_ = std::move(names);
}

void SimConnectServer::SetTitle(const std::string& title) {
  std::lock_guard lock(mutex_);
  if (title == title_) return;
  title_ = title;
  title_changed_ = true;
}

std::size_t SimConnectServer::client_count() const {
  std::lock_guard lock(mutex_);
  return clients_.size();
}

std::vector<std::string> SimConnectServer::MappedEventNames() const {
  std::lock_guard lock(mutex_);
  std::set<std::string> names;
  for (const auto& c : clients_)
    for (const auto& [id, name] : c->events) names.insert(name);
  return {names.begin(), names.end()};
}

void SimConnectServer::Shutdown(bool send_quit) {
  std::lock_guard lock(mutex_);
  for (auto& c : clients_) {
    std::string ignored;
    if (send_quit) SendAll(c->socket.get(), EncodeServerMessage(QuitReply{}, c->version), kReplyTimeout, ignored);
  }
  clients_.clear();
  listener_.reset();
}

void SimConnectServer::Poll(std::chrono::milliseconds wait) {
  std::vector<pollfd> fds;
  {
    std::lock_guard lock(mutex_);
    if (listener_.valid()) fds.push_back({listener_.get(), POLLIN, 0});
    for (const auto& c : clients_) fds.push_back({c->socket.get(), POLLIN, 0});
  }
  // With nothing to watch this still waits, so a polling loop never spins.
  ::poll(fds.data(), fds.size(), static_cast<int>(wait.count()));

  std::vector<std::pair<std::string, std::uint32_t>> events;
  std::vector<std::string> logs;
  {
    std::lock_guard lock(mutex_);
    if (listener_.valid()) Accept();
    for (auto it = clients_.begin(); it != clients_.end();) {
      Client& c = **it;
      std::string bytes, why;
      bool keep = true;
      switch (ReadAvailable(c.socket.get(), bytes, why)) {
        case ReadStatus::NothingYet:
          break;
        case ReadStatus::Closed:
          keep = false;
          why = "disconnected";
          break;
        case ReadStatus::Failed:
          keep = false;
          break;
        case ReadStatus::Data: {
          c.reader.Append(bytes);
          Packet packet;
          for (;;) {
            const auto r = c.reader.Next(packet, why);
            if (r == PacketReader::Result::NeedMore) break;
            if (r == PacketReader::Result::Error || !Serve(c, packet, events, why)) {
              keep = false;
              why = "dropped: " + why;
              break;
            }
          }
          break;
        }
      }
      if (keep && title_changed_ && c.follows_title && !SendTitle(c, why)) keep = false;
      if (keep) {
        ++it;
      } else {
        pending_logs_.push_back("client " + std::to_string(c.number) + " " + why);
        it = clients_.erase(it);
      }
    }
    title_changed_ = false;
    logs.swap(pending_logs_);
  }
  if (handlers_.on_log)
    for (const auto& line : logs) handlers_.on_log(line);
  if (handlers_.on_event)
    for (const auto& [name, data] : events) handlers_.on_event(name, data);
}

void SimConnectServer::Accept() {
  for (;;) {
    SocketHandle s = AcceptTcp(listener_.get());
    if (!s.valid()) return;
    auto c = std::make_unique<Client>();
    c->socket = std::move(s);
    c->number = next_client_number_++;
    pending_logs_.push_back("client " + std::to_string(c->number) + " connected");
    clients_.push_back(std::move(c));
  }
}

bool SimConnectServer::Reply(Client& client, const ServerMessage& message, std::string& why) {
  if (SendAll(client.socket.get(), EncodeServerMessage(message, client.version), kReplyTimeout, why)) return true;
  why = "could not be answered: " + why;
  return false;
}

bool SimConnectServer::SendTitle(Client& client, std::string& why) {
  SimObjectDataReply data;
  data.request_id = client.title_request;
  data.object_id = kObjectIdUser;
  data.define_id = client.title_definition;
  data.entry_number = 1;
  data.out_of = 1;
  data.define_count = 1;
  data.data = StringField(title_);
  return Reply(client, data, why);
}

bool SimConnectServer::Serve(Client& c, const Packet& packet,
                             std::vector<std::pair<std::string, std::uint32_t>>& events, std::string& why) {
  ClientMessage message;
  if (!DecodeClientMessage(packet, message, why)) return false;
  const auto refuse = [&](ExceptionCode code, std::uint32_t index) {
    return Reply(c, ExceptionReply{static_cast<std::uint32_t>(code), packet.send_id, index}, why);
  };

  if (const auto* open = std::get_if<OpenRequest>(&message)) {
    if (packet.version < kOldestProtocolVersion || packet.version > kProtocolVersion)
      return refuse(ExceptionCode::VersionMismatch, 0);
    c.version = packet.version;
    c.name = open->application_name;
    c.opened = true;
    pending_logs_.push_back("client " + std::to_string(c.number) + " opened as \"" + c.name + "\"");
    OpenReply reply;
    reply.application_name = application_name_;
    std::copy(std::begin(kServerVersion), std::end(kServerVersion), reply.application_version);
    std::copy(std::begin(kServerVersion), std::end(kServerVersion), reply.simconnect_version);
    return Reply(c, reply, why);
  }
  if (!c.opened) return refuse(ExceptionCode::Unopened, 0);

  if (const auto* map = std::get_if<MapEventRequest>(&message)) {
    if (c.events.count(map->event_id)) return refuse(ExceptionCode::EventIdDuplicate, 1);
    if (!known_events_.empty() && !known_events_.count(map->event_name))
      return refuse(ExceptionCode::NameUnrecognized, 2);
    c.events.emplace(map->event_id, map->event_name);
  } else if (const auto* send = std::get_if<TransmitEventRequest>(&message)) {
    const auto found = c.events.find(send->event_id);
    if (found == c.events.end()) return refuse(ExceptionCode::UnrecognizedId, 2);
    events.emplace_back(found->second, send->data);
  } else if (const auto* add = std::get_if<AddToDataDefinitionRequest>(&message)) {
    if (!EqualsNoCase(add->datum_name, "TITLE")) return refuse(ExceptionCode::NameUnrecognized, 2);
    if (add->data_type != kDataTypeString256) return Reply(c, ExceptionReply{kInvalidDataType, packet.send_id, 4}, why);
    c.title_definitions.insert(add->define_id);
  } else if (const auto* request = std::get_if<RequestDataRequest>(&message)) {
    if (!c.title_definitions.count(request->define_id)) return refuse(ExceptionCode::UnrecognizedId, 2);
    c.title_request = request->request_id;
    c.title_definition = request->define_id;
    c.follows_title = request->period != kPeriodNever && request->period != kPeriodOnce;
    if (request->period != kPeriodNever) return SendTitle(c, why);
  } else if (const auto* other = std::get_if<OtherClientMessage>(&message)) {
    pending_logs_.push_back("client " + std::to_string(c.number) + " sent message type " + std::to_string(other->type) +
                            ", which this server does not handle");
  }
  // Notification groups and their priorities need nothing from this server.
  return true;
}

}  // namespace talvane::simlink
