// The simulator's add-on protocol over TCP: the messages the voice module and
// the demo simulator exchange, written and read as bytes.
//
// What this relies on, as the protocol's open client implementations
// describe it:
// - Every integer is a 32-bit little-endian DWORD; text fields are fixed
//   256-byte, NUL-padded Windows-1252 strings.
// - A client packet starts with a 16-byte header: total size (header
//   included), protocol version, message type OR'ed with 0xF0000000, and a
//   send id the client numbers its packets with. The server quotes that send
//   id (and the index of the offending parameter, counted from 1) in an
//   Exception reply when a packet was refused.
// - A server packet starts with a 12-byte header: total size, protocol
//   version, message id.
// - The simulator of the 2007 service packs (service pack 2 and the expansion
//   pack) speaks protocol version 4 and expects an Open naming client version
//   10.0.61259.0 with the alias bytes 0 'X' 'S' 'F'; older protocol numbers
//   (2, 3) are still accepted by it, so our server takes 2 to 4.
// - Client message types: Open 0x01, MapClientEventToSimEvent 0x04,
//   TransmitClientEvent 0x05, AddClientEventToNotificationGroup 0x07,
//   SetNotificationGroupPriority 0x09, AddToDataDefinition 0x0C,
//   RequestDataOnSimObject 0x0E. Each carries its arguments in call order.
// - Server message ids: Null 0, Exception 1, Open 2, Quit 3, Event 4,
//   SimObjectData 8. Anything else is skipped by its size.
// - Successful requests other than Open are not acknowledged; a refused one
//   comes back as an Exception.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace talvane::simlink {

inline constexpr std::uint32_t kProtocolVersion = 4;
inline constexpr std::uint32_t kOldestProtocolVersion = 2;
inline constexpr std::size_t kClientHeaderSize = 16;
inline constexpr std::size_t kServerHeaderSize = 12;
// No packet of this subset comes near it; a larger size means a broken stream.
inline constexpr std::uint32_t kMaxPacketSize = 1u << 20;
inline constexpr std::uint32_t kClientTypeMark = 0xF0000000u;
inline constexpr std::size_t kStringSize = 256;

// Ids with a fixed meaning.
inline constexpr std::uint32_t kObjectIdUser = 0;
inline constexpr std::uint32_t kUnused = 0xFFFFFFFFu;
inline constexpr std::uint32_t kGroupPriorityHighest = 1;
inline constexpr std::uint32_t kEventFlagGroupIdIsPriority = 0x10;
inline constexpr std::uint32_t kDataTypeString256 = 9;
inline constexpr std::uint32_t kPeriodNever = 0;
inline constexpr std::uint32_t kPeriodOnce = 1;
inline constexpr std::uint32_t kPeriodSecond = 4;
inline constexpr std::uint32_t kDataRequestFlagChanged = 0x1;

enum class ClientMessageType : std::uint32_t {
  Open = 0x01,
  MapClientEventToSimEvent = 0x04,
  TransmitClientEvent = 0x05,
  AddClientEventToNotificationGroup = 0x07,
  SetNotificationGroupPriority = 0x09,
  AddToDataDefinition = 0x0C,
  RequestDataOnSimObject = 0x0E,
};

enum class ServerMessageType : std::uint32_t {
  Null = 0,
  Exception = 1,
  Open = 2,
  Quit = 3,
  Event = 4,
  SimObjectData = 8,
};

// The exception codes this subset raises or names in its messages.
enum class ExceptionCode : std::uint32_t {
  None = 0,
  Error = 1,
  SizeMismatch = 2,
  UnrecognizedId = 3,
  Unopened = 4,
  VersionMismatch = 5,
  NameUnrecognized = 7,
  EventIdDuplicate = 9,
};

// "UNRECOGNIZED_ID" and the like, or "exception N" for a code we do not name.
std::string ExceptionName(std::uint32_t code);

// One whole packet as framed on the wire. `send_id` is only carried by client
// packets; `type` is the bare message type (the client mark removed).
struct Packet {
  std::uint32_t version = 0;
  std::uint32_t type = 0;
  std::uint32_t send_id = 0;
  std::string payload;
};

// Cuts a byte stream into whole packets. Which header it expects depends on
// the side that sent them.
class PacketReader {
 public:
  enum class Sender { Client, Server };
  enum class Result { Packet, NeedMore, Error };

  explicit PacketReader(Sender sender) : sender_(sender) {}

  void Append(std::string_view bytes) { buffer_.append(bytes); }
  // Takes the next whole packet off the stream. Error (with `error` set)
  // when the stream cannot be framed any more; the reader is then useless.
  Result Next(Packet& packet, std::string& error);
  std::size_t buffered() const { return buffer_.size() - start_; }

 private:
  Sender sender_;
  std::string buffer_;
  std::size_t start_ = 0;
  bool broken_ = false;
};

// ---- Client -> server messages --------------------------------------------

struct OpenRequest {
  std::string application_name;
  std::uint32_t version_major = 10;
  std::uint32_t version_minor = 0;
  std::uint32_t build_major = 61259;
  std::uint32_t build_minor = 0;
};

struct MapEventRequest {
  std::uint32_t event_id = 0;
  std::string event_name;
};

struct TransmitEventRequest {
  std::uint32_t object_id = kObjectIdUser;
  std::uint32_t event_id = 0;
  std::uint32_t data = 0;
  std::uint32_t group_id = kGroupPriorityHighest;
  std::uint32_t flags = kEventFlagGroupIdIsPriority;
};

struct AddToGroupRequest {
  std::uint32_t group_id = 0;
  std::uint32_t event_id = 0;
  std::uint32_t maskable = 0;
};

struct GroupPriorityRequest {
  std::uint32_t group_id = 0;
  std::uint32_t priority = kGroupPriorityHighest;
};

struct AddToDataDefinitionRequest {
  std::uint32_t define_id = 0;
  std::string datum_name;
  std::string units_name;
  std::uint32_t data_type = kDataTypeString256;
  float epsilon = 0;
  std::uint32_t datum_id = kUnused;
};

struct RequestDataRequest {
  std::uint32_t request_id = 0;
  std::uint32_t define_id = 0;
  std::uint32_t object_id = kObjectIdUser;
  std::uint32_t period = kPeriodOnce;
  std::uint32_t flags = 0;
  std::uint32_t origin = 0;
  std::uint32_t interval = 0;
  std::uint32_t limit = 0;
};

// A client message of a type outside this subset: kept by type only.
struct OtherClientMessage {
  std::uint32_t type = 0;
};

using ClientMessage =
    std::variant<OpenRequest, MapEventRequest, TransmitEventRequest, AddToGroupRequest, GroupPriorityRequest,
                 AddToDataDefinitionRequest, RequestDataRequest, OtherClientMessage>;

// The whole packet, header included, for `send_id`.
std::string EncodeClientMessage(const ClientMessage& message, std::uint32_t send_id,
                                std::uint32_t version = kProtocolVersion);
// The message a client packet carries; false with `error` set when its
// payload is shorter than its type needs.
bool DecodeClientMessage(const Packet& packet, ClientMessage& message, std::string& error);

// ---- Server -> client messages --------------------------------------------

struct OpenReply {
  std::string application_name;
  std::uint32_t application_version[4] = {};
  std::uint32_t simconnect_version[4] = {};
};

struct ExceptionReply {
  std::uint32_t exception = 0;
  std::uint32_t send_id = 0;
  std::uint32_t index = 0;
};

struct QuitReply {};

struct SimObjectDataReply {
  std::uint32_t request_id = 0;
  std::uint32_t object_id = 0;
  std::uint32_t define_id = 0;
  std::uint32_t flags = 0;
  std::uint32_t entry_number = 0;
  std::uint32_t out_of = 0;
  std::uint32_t define_count = 0;
  std::string data;  // the values, laid out as the definition says
};

// A server message of a type outside this subset: kept by type only.
struct OtherServerMessage {
  std::uint32_t type = 0;
};

using ServerMessage = std::variant<OpenReply, ExceptionReply, QuitReply, SimObjectDataReply, OtherServerMessage>;

std::string EncodeServerMessage(const ServerMessage& message, std::uint32_t version = kProtocolVersion);
bool DecodeServerMessage(const Packet& packet, ServerMessage& message, std::string& error);

// A fixed 256-byte string field: the text up to its first NUL; and the field
// for `text` (cut to leave room for the NUL).
std::string ReadStringField(std::string_view field);
std::string StringField(std::string_view text);

}  // namespace talvane::simlink
