#include "simlink/simconnect_client.h"

namespace talvane::simlink {

namespace {

using Clock = std::chrono::steady_clock;

// Ids this client gives its title definition and request.
constexpr std::uint32_t kTitleDefinition = 1;
constexpr std::uint32_t kTitleRequest = 1;
// How long a send may wait for room in the socket before the link counts as stuck.
constexpr std::chrono::milliseconds kSendTimeout{2000};
// How many sent packets are remembered to name a refused one.
constexpr std::size_t kRememberedSends = 256;

}  // namespace

SimConnectClient::SimConnectClient(std::string application_name, ClientHandlers handlers)
    : application_name_(std::move(application_name)), handlers_(std::move(handlers)) {}

bool SimConnectClient::Connect(const Endpoint& endpoint, std::chrono::milliseconds timeout) {
  if (connected()) Close("reconnecting");
  const auto deadline = Clock::now() + timeout;
  reader_ = PacketReader(PacketReader::Sender::Server);
  server_ = {};
  open_answered_ = false;
  event_ids_.clear();
  title_defined_ = false;
  sent_.clear();
  next_send_id_ = 1;

  std::string error;
  socket_ = ConnectTcp(endpoint, timeout, error);
  if (!socket_.valid()) {
    close_reason_ = error;
    return false;
  }
  close_reason_.clear();
  if (!Send(OpenRequest{application_name_}, "Open")) return false;
  while (!open_answered_) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
      Close("the simulator at " + endpoint.host + ":" + std::to_string(endpoint.port) +
            " did not answer the open request");
      return false;
    }
    if (!Receive(left)) return false;
  }
  return true;
}

void SimConnectClient::Close(const std::string& reason) {
  if (!socket_.valid()) return;
  socket_.reset();
  close_reason_ = reason;
  if (handlers_.on_closed) handlers_.on_closed(reason);
}

bool SimConnectClient::Send(const ClientMessage& message, std::string description) {
  if (!connected()) return false;
  const std::uint32_t id = next_send_id_++;
  std::string error;
  if (!SendAll(socket_.get(), EncodeClientMessage(message, id), kSendTimeout, error)) {
    Close("the link to the simulator broke: " + error);
    return false;
  }
  sent_.emplace_back(id, std::move(description));
  if (sent_.size() > kRememberedSends) sent_.pop_front();
  return true;
}

bool SimConnectClient::MapEvent(std::string_view name) {
  if (!connected()) return false;
  const std::string key(name);
  if (event_ids_.count(key)) return true;
  const auto id = static_cast<std::uint32_t>(event_ids_.size() + 1);
  if (!Send(MapEventRequest{id, key}, "MapClientEventToSimEvent " + key)) return false;
  event_ids_.emplace(key, id);
  return true;
}

bool SimConnectClient::Transmit(std::string_view name, std::uint32_t data) {
  if (!MapEvent(name)) return false;
  // The request's defaults send to the user aircraft with the highest
  // priority as its group, which needs no notification group of our own.
  TransmitEventRequest m;
  m.event_id = event_ids_.find(std::string(name))->second;
  m.data = data;
  return Send(m, "TransmitClientEvent " + std::string(name) + " " + std::to_string(data));
}

bool SimConnectClient::RequestAircraftTitle(bool follow) {
  if (!connected()) return false;
  if (!title_defined_) {
    AddToDataDefinitionRequest d;
    d.define_id = kTitleDefinition;
    d.datum_name = "TITLE";
    if (!Send(d, "AddToDataDefinition TITLE")) return false;
    title_defined_ = true;
  }
  RequestDataRequest r;
  r.request_id = kTitleRequest;
  r.define_id = kTitleDefinition;
  r.period = follow ? kPeriodSecond : kPeriodOnce;
  r.flags = follow ? kDataRequestFlagChanged : 0;
  return Send(r, "RequestDataOnSimObject TITLE");
}

bool SimConnectClient::Poll(std::chrono::milliseconds wait) {
  if (!connected()) return false;
  return Receive(wait);
}

bool SimConnectClient::Receive(std::chrono::milliseconds wait) {
  if (!WaitReadable(socket_.get(), wait)) return true;
  std::string bytes, error;
  switch (ReadAvailable(socket_.get(), bytes, error)) {
    case ReadStatus::NothingYet:
      return true;
    case ReadStatus::Closed:
      Close("the simulator closed the connection");
      return false;
    case ReadStatus::Failed:
      Close("the link to the simulator broke: " + error);
      return false;
    case ReadStatus::Data:
      break;
  }
  reader_.Append(bytes);
  for (;;) {
    Packet packet;
    switch (reader_.Next(packet, error)) {
      case PacketReader::Result::NeedMore:
        return true;
      case PacketReader::Result::Error:
        Close("bad packet from the simulator: " + error);
        return false;
      case PacketReader::Result::Packet:
        break;
    }
    ServerMessage message;
    if (!DecodeServerMessage(packet, message, error)) {
      Close("bad packet from the simulator: " + error);
      return false;
    }
    Handle(message);
    if (!connected()) return false;
  }
}

void SimConnectClient::Handle(const ServerMessage& message) {
  if (const auto* open = std::get_if<OpenReply>(&message)) {
    server_ = *open;
    open_answered_ = true;
  } else if (const auto* ex = std::get_if<ExceptionReply>(&message)) {
    std::string request = "packet " + std::to_string(ex->send_id);
    for (const auto& [id, what] : sent_)
      if (id == ex->send_id) request = what;
    if (ex->index != 0 && ex->index != kUnused) request += " (parameter " + std::to_string(ex->index) + ")";
    if (!open_answered_) {
      Close("the simulator refused to open the link: " + ExceptionName(ex->exception) + " for " + request);
      return;
    }
    if (handlers_.on_exception) handlers_.on_exception(ExceptionName(ex->exception), request);
  } else if (std::holds_alternative<QuitReply>(message)) {
    Close("the simulator quit");
  } else if (const auto* data = std::get_if<SimObjectDataReply>(&message)) {
    if (data->request_id != kTitleRequest) return;
    if (data->data.size() < kStringSize) {
      Close("bad packet from the simulator: the aircraft title holds " + std::to_string(data->data.size()) +
            " bytes instead of " + std::to_string(kStringSize));
      return;
    }
    if (handlers_.on_title) handlers_.on_title(ReadStringField(std::string_view(data->data).substr(0, kStringSize)));
  }
}

}  // namespace talvane::simlink
