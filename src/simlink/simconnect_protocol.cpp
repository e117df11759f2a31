#include "simlink/simconnect_protocol.h"

#include <bit>
#include <initializer_list>

#include "common/binary.h"

namespace talvane::simlink {

namespace {

// What follows the name in every Open of this protocol generation: a
// reserved DWORD, then the alias bytes 0 'X' 'S' 'F'.
constexpr std::string_view kOpenFiller("\0\0\0\0\0XSF", 8);
constexpr std::string_view kTwoReserved("\0\0\0\0\0\0\0\0", 8);

// Each message's fields in wire order, listed once; the visitors below size,
// write and read them.
template <class V>
void Fields(V& v, OpenRequest& m) {
  v.Text(m.application_name);
  v.Filler(kOpenFiller);
  v.Dwords({&m.version_major, &m.version_minor, &m.build_major, &m.build_minor});
}
template <class V>
void Fields(V& v, MapEventRequest& m) {
  v.Dwords({&m.event_id});
  v.Text(m.event_name);
}
template <class V>
void Fields(V& v, TransmitEventRequest& m) {
  v.Dwords({&m.object_id, &m.event_id, &m.data, &m.group_id, &m.flags});
}
template <class V>
void Fields(V& v, AddToGroupRequest& m) {
  v.Dwords({&m.group_id, &m.event_id, &m.maskable});
}
template <class V>
void Fields(V& v, GroupPriorityRequest& m) {
  v.Dwords({&m.group_id, &m.priority});
}
template <class V>
void Fields(V& v, AddToDataDefinitionRequest& m) {
  v.Dwords({&m.define_id});
  v.Text(m.datum_name);
  v.Text(m.units_name);
  v.Dwords({&m.data_type});
  v.Float(m.epsilon);
  v.Dwords({&m.datum_id});
}
template <class V>
void Fields(V& v, RequestDataRequest& m) {
  v.Dwords({&m.request_id, &m.define_id, &m.object_id, &m.period, &m.flags, &m.origin, &m.interval, &m.limit});
}
template <class V>
void Fields(V&, OtherClientMessage&) {}
template <class V>
void Fields(V& v, OpenReply& m) {
  v.Text(m.application_name);
  for (auto& d : m.application_version) v.Dwords({&d});
  for (auto& d : m.simconnect_version) v.Dwords({&d});
  v.Filler(kTwoReserved);
}
template <class V>
void Fields(V& v, ExceptionReply& m) {
  v.Dwords({&m.exception, &m.send_id, &m.index});
}
template <class V>
void Fields(V&, QuitReply&) {}
template <class V>
void Fields(V& v, SimObjectDataReply& m) {
  v.Dwords({&m.request_id, &m.object_id, &m.define_id, &m.flags, &m.entry_number, &m.out_of, &m.define_count});
  v.Rest(m.data);
}
template <class V>
void Fields(V&, OtherServerMessage&) {}

// The message type on the wire, and its name for errors.
struct Kind {
  constexpr Kind(ClientMessageType t, const char* n) : type(static_cast<std::uint32_t>(t)), name(n) {}
  constexpr Kind(ServerMessageType t, const char* n) : type(static_cast<std::uint32_t>(t)), name(n) {}
  std::uint32_t type;
  const char* name;
};
constexpr Kind KindOf(const OpenRequest&) { return {ClientMessageType::Open, "Open"}; }
constexpr Kind KindOf(const MapEventRequest&) {
  return {ClientMessageType::MapClientEventToSimEvent, "MapClientEventToSimEvent"};
}
constexpr Kind KindOf(const TransmitEventRequest&) {
  return {ClientMessageType::TransmitClientEvent, "TransmitClientEvent"};
}
constexpr Kind KindOf(const AddToGroupRequest&) {
  return {ClientMessageType::AddClientEventToNotificationGroup, "AddClientEventToNotificationGroup"};
}
constexpr Kind KindOf(const GroupPriorityRequest&) {
  return {ClientMessageType::SetNotificationGroupPriority, "SetNotificationGroupPriority"};
}
constexpr Kind KindOf(const AddToDataDefinitionRequest&) {
  return {ClientMessageType::AddToDataDefinition, "AddToDataDefinition"};
}
constexpr Kind KindOf(const RequestDataRequest&) {
  return {ClientMessageType::RequestDataOnSimObject, "RequestDataOnSimObject"};
}
constexpr Kind KindOf(const OpenReply&) { return {ServerMessageType::Open, "Open reply"}; }
constexpr Kind KindOf(const ExceptionReply&) { return {ServerMessageType::Exception, "Exception"}; }
constexpr Kind KindOf(const QuitReply&) { return {ServerMessageType::Quit, "Quit"}; }
constexpr Kind KindOf(const SimObjectDataReply&) { return {ServerMessageType::SimObjectData, "SimObjectData"}; }

std::uint32_t TypeOf(const OtherClientMessage& m) { return m.type; }
std::uint32_t TypeOf(const OtherServerMessage& m) { return m.type; }
template <class T>
std::uint32_t TypeOf(const T& m) {
  return KindOf(m).type;
}

// The smallest payload the fields fit in.
struct Sizer {
  std::size_t size = 0;
  void Dwords(std::initializer_list<std::uint32_t*> d) { size += 4 * d.size(); }
  void Text(std::string&) { size += kStringSize; }
  void Float(float&) { size += 4; }
  void Filler(std::string_view bytes) { size += bytes.size(); }
  void Rest(std::string&) {}
};

struct Writer {
  ByteWriter w;
  void Dwords(std::initializer_list<std::uint32_t*> d) {
    for (auto* v : d) w.U32(*v);
  }
  void Text(std::string& s) { w.Bytes(StringField(s)); }
  void Float(float& f) { w.U32(std::bit_cast<std::uint32_t>(f)); }
  void Filler(std::string_view bytes) { w.Bytes(bytes); }
  void Rest(std::string& s) { w.Bytes(s); }
};

// Reads a payload the Sizer has found long enough.
struct Reader {
  ByteReader r;
  void Dwords(std::initializer_list<std::uint32_t*> d) {
    for (auto* v : d) r.ReadU32(*v);
  }
  void Text(std::string& s) {
    std::string_view field;
    r.ReadBytes(kStringSize, field);
    s = ReadStringField(field);
  }
  void Float(float& f) {
    std::uint32_t bits = 0;
    r.ReadU32(bits);
    f = std::bit_cast<float>(bits);
  }
  void Filler(std::string_view bytes) {
    std::string_view skipped;
    r.ReadBytes(bytes.size(), skipped);
  }
  void Rest(std::string& s) {
    std::string_view rest;
    r.ReadBytes(r.remaining(), rest);
    s = std::string(rest);
  }
};

template <class T>
std::string Payload(T message) {
  Writer w;
  Fields(w, message);
  return w.w.take();
}

template <class T, class Variant>
bool DecodeAs(const Packet& packet, Variant& message, std::string& error) {
  T m;
  Sizer need;
  Fields(need, m);
  if (packet.payload.size() < need.size) {
    error = std::string(KindOf(m).name) + " message of " + std::to_string(packet.payload.size()) +
            " payload bytes is shorter than the " + std::to_string(need.size) + " it needs";
    return false;
  }
  Reader r{ByteReader(packet.payload)};
  Fields(r, m);
  message = std::move(m);
  return true;
}

}  // namespace

std::string ExceptionName(std::uint32_t code) {
  switch (static_cast<ExceptionCode>(code)) {
    case ExceptionCode::None:
      return "NONE";
    case ExceptionCode::Error:
      return "ERROR";
    case ExceptionCode::SizeMismatch:
      return "SIZE_MISMATCH";
    case ExceptionCode::UnrecognizedId:
      return "UNRECOGNIZED_ID";
    case ExceptionCode::Unopened:
      return "UNOPENED";
    case ExceptionCode::VersionMismatch:
      return "VERSION_MISMATCH";
    case ExceptionCode::NameUnrecognized:
      return "NAME_UNRECOGNIZED";
    case ExceptionCode::EventIdDuplicate:
      return "EVENT_ID_DUPLICATE";
  }
  return "exception " + std::to_string(code);
}

std::string ReadStringField(std::string_view field) {
  const auto nul = field.find('\0');
  return std::string(field.substr(0, nul));
}

std::string StringField(std::string_view text) {
  std::string field(text.substr(0, kStringSize - 1));
  field.resize(kStringSize, '\0');
  return field;
}

PacketReader::Result PacketReader::Next(Packet& packet, std::string& error) {
  if (broken_) {
    error = "the packet stream is already broken";
    return Result::Error;
  }
  const std::size_t header = sender_ == Sender::Client ? kClientHeaderSize : kServerHeaderSize;
  const std::size_t available = buffer_.size() - start_;
  if (available < 4) return Result::NeedMore;
  const char* p = buffer_.data() + start_;
  const std::uint32_t size = LoadU32(p);
  if (size < header) {
    broken_ = true;
    error = "packet size " + std::to_string(size) + " is smaller than its " + std::to_string(header) + "-byte header";
    return Result::Error;
  }
  if (size > kMaxPacketSize) {
    broken_ = true;
    error = "packet size " + std::to_string(size) + " is larger than the limit of " + std::to_string(kMaxPacketSize) +
            " bytes";
    return Result::Error;
  }
  if (available < size) return Result::NeedMore;

  packet.version = LoadU32(p + 4);
  packet.type = LoadU32(p + 8);
  packet.send_id = 0;
  if (sender_ == Sender::Client) {
    if ((packet.type & kClientTypeMark) != kClientTypeMark) {
      broken_ = true;
      error = "client packet type " + std::to_string(packet.type) + " lacks the client mark";
      return Result::Error;
    }
    packet.type &= ~kClientTypeMark;
    packet.send_id = LoadU32(p + 12);
  }
  packet.payload.assign(p + header, size - header);
  start_ += size;
  // Drop consumed bytes once they outweigh what is left, so the buffer stays
  // small without moving bytes on every packet.
  if (start_ == buffer_.size()) {
    buffer_.clear();
    start_ = 0;
  } else if (start_ > 4096 && start_ * 2 > buffer_.size()) {
    buffer_.erase(0, start_);
    start_ = 0;
  }
  return Result::Packet;
}

std::string EncodeClientMessage(const ClientMessage& message, std::uint32_t send_id, std::uint32_t version) {
  const std::string payload = std::visit([](const auto& m) { return Payload(m); }, message);
  ByteWriter out;
  out.Reserve(kClientHeaderSize + payload.size());
  out.U32(static_cast<std::uint32_t>(kClientHeaderSize + payload.size()));
  out.U32(version);
  out.U32(kClientTypeMark | std::visit([](const auto& m) { return TypeOf(m); }, message));
  out.U32(send_id);
  out.Bytes(payload);
  return out.take();
}

std::string EncodeServerMessage(const ServerMessage& message, std::uint32_t version) {
  const std::string payload = std::visit([](const auto& m) { return Payload(m); }, message);
  ByteWriter out;
  out.Reserve(kServerHeaderSize + payload.size());
  out.U32(static_cast<std::uint32_t>(kServerHeaderSize + payload.size()));
  out.U32(version);
  out.U32(std::visit([](const auto& m) { return TypeOf(m); }, message));
  out.Bytes(payload);
  return out.take();
}

bool DecodeClientMessage(const Packet& packet, ClientMessage& message, std::string& error) {
  switch (static_cast<ClientMessageType>(packet.type)) {
    case ClientMessageType::Open:
      return DecodeAs<OpenRequest>(packet, message, error);
    case ClientMessageType::MapClientEventToSimEvent:
      return DecodeAs<MapEventRequest>(packet, message, error);
    case ClientMessageType::TransmitClientEvent:
      return DecodeAs<TransmitEventRequest>(packet, message, error);
    case ClientMessageType::AddClientEventToNotificationGroup:
      return DecodeAs<AddToGroupRequest>(packet, message, error);
    case ClientMessageType::SetNotificationGroupPriority:
      return DecodeAs<GroupPriorityRequest>(packet, message, error);
    case ClientMessageType::AddToDataDefinition:
      return DecodeAs<AddToDataDefinitionRequest>(packet, message, error);
    case ClientMessageType::RequestDataOnSimObject:
      return DecodeAs<RequestDataRequest>(packet, message, error);
  }
  message = OtherClientMessage{packet.type};
  return true;
}

bool DecodeServerMessage(const Packet& packet, ServerMessage& message, std::string& error) {
  switch (static_cast<ServerMessageType>(packet.type)) {
    case ServerMessageType::Open:
      return DecodeAs<OpenReply>(packet, message, error);
    case ServerMessageType::Exception:
      return DecodeAs<ExceptionReply>(packet, message, error);
    case ServerMessageType::Quit:
      return DecodeAs<QuitReply>(packet, message, error);
    case ServerMessageType::SimObjectData:
      return DecodeAs<SimObjectDataReply>(packet, message, error);
    case ServerMessageType::Null:
    case ServerMessageType::Event:
      break;
  }
  message = OtherServerMessage{packet.type};
  return true;
}

}  // namespace talvane::simlink
