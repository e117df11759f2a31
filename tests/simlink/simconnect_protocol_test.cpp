// The bytes each message is written as, built here field by field from the
// protocol's published layout, and the packet reader on broken streams.
#include "simlink/simconnect_protocol.h"

#include <gtest/gtest.h>

#include "wire_bytes.h"

namespace talvane::simlink {
namespace {

using test::Dwords;
using test::Text256;

TEST(SimConnectBytes, ClientMessagesMatchTheWireLayout) {
  // Open: 16-byte header, name, reserved DWORD, alias 0 'X' 'S' 'F', version 10.0.61259.0.
  std::string open = Dwords({296, 4, 0xF0000001, 1}) + Text256("Talvane") + Dwords({0}) + std::string("\0XSF", 4) +
                     Dwords({10, 0, 61259, 0});
  EXPECT_EQ(EncodeClientMessage(OpenRequest{"Talvane"}, 1), open);

  EXPECT_EQ(EncodeClientMessage(MapEventRequest{3, "AP_ALT_VAR_SET_ENGLISH"}, 2),
            Dwords({276, 4, 0xF0000004, 2, 3}) + Text256("AP_ALT_VAR_SET_ENGLISH"));

  TransmitEventRequest send;
  send.event_id = 3;
  send.data = 10000;
  EXPECT_EQ(EncodeClientMessage(send, 3), Dwords({36, 4, 0xF0000005, 3, 0, 3, 10000, 1, 0x10}));

  EXPECT_EQ(EncodeClientMessage(AddToGroupRequest{7, 3, 1}, 4), Dwords({28, 4, 0xF0000007, 4, 7, 3, 1}));
  EXPECT_EQ(EncodeClientMessage(GroupPriorityRequest{7, 1}, 5), Dwords({24, 4, 0xF0000009, 5, 7, 1}));

  AddToDataDefinitionRequest def;
  def.define_id = 1;
  def.datum_name = "TITLE";
  def.epsilon = 0.5f;  // 0x3F000000
  EXPECT_EQ(EncodeClientMessage(def, 6),
            Dwords({544, 4, 0xF000000C, 6, 1}) + Text256("TITLE") + Text256("") + Dwords({9, 0x3F000000, 0xFFFFFFFF}));

  RequestDataRequest req;
  req.request_id = 1;
  req.define_id = 1;
  req.period = kPeriodSecond;
  req.flags = kDataRequestFlagChanged;
  EXPECT_EQ(EncodeClientMessage(req, 7), Dwords({48, 4, 0xF000000E, 7, 1, 1, 0, 4, 1, 0, 0, 0}));
}

TEST(SimConnectBytes, DataValuesKeepEveryBit) {
  // Event data is one DWORD whatever it encodes: feet, a BCD frequency, a
  // squawk code, a negative vertical speed as two's complement.
  for (std::uint32_t data : {0u, 35000u, 0x2150u, 0x1200u, 0x7700u, static_cast<std::uint32_t>(-1500), 0xFFFFFFFFu}) {
    TransmitEventRequest send;
    send.event_id = 9;
    send.data = data;
    const std::string bytes = EncodeClientMessage(send, 1);
    EXPECT_EQ(bytes.substr(24, 4), Dwords({data}));
    PacketReader reader(PacketReader::Sender::Client);
    reader.Append(bytes);
    Packet packet;
    std::string error;
    ASSERT_EQ(reader.Next(packet, error), PacketReader::Result::Packet);
    ClientMessage decoded;
    ASSERT_TRUE(DecodeClientMessage(packet, decoded, error));
    EXPECT_EQ(std::get<TransmitEventRequest>(decoded).data, data);
  }
}

TEST(SimConnectBytes, ServerMessagesMatchTheWireLayout) {
  OpenReply open;
  open.application_name = "Demo";
  open.application_version[0] = 10;
  open.simconnect_version[2] = 61259;
  EXPECT_EQ(EncodeServerMessage(open),
            Dwords({308, 4, 2}) + Text256("Demo") + Dwords({10, 0, 0, 0, 0, 0, 61259, 0, 0, 0}));
  EXPECT_EQ(EncodeServerMessage(ExceptionReply{3, 17, 2}), Dwords({24, 4, 1, 3, 17, 2}));
  EXPECT_EQ(EncodeServerMessage(QuitReply{}), Dwords({12, 4, 3}));
  SimObjectDataReply data{1, 0, 1, 0, 1, 1, 1, StringField("Trainer")};
  EXPECT_EQ(EncodeServerMessage(data), Dwords({296, 4, 8, 1, 0, 1, 0, 1, 1, 1}) + Text256("Trainer"));
}

TEST(SimConnectBytes, LongNamesAreCutToLeaveTheTerminator) {
  const std::string field = StringField(std::string(300, 'A'));
  ASSERT_EQ(field.size(), 256u);
  EXPECT_EQ(field[255], '\0');
  EXPECT_EQ(ReadStringField(field), std::string(255, 'A'));
  // A field without any NUL (from a careless peer) still reads as its bytes.
  EXPECT_EQ(ReadStringField(std::string(256, 'B')).size(), 256u);
}

// Feeds `bytes` to a reader of server packets and collects what it yields.
struct ServerStream {
  PacketReader reader{PacketReader::Sender::Server};
  std::vector<ServerMessage> messages;
  std::string error;

  PacketReader::Result Feed(std::string_view bytes) {
    reader.Append(bytes);
    for (;;) {
      Packet packet;
      const auto r = reader.Next(packet, error);
      if (r != PacketReader::Result::Packet) return r;
      ServerMessage m;
      if (!DecodeServerMessage(packet, m, error)) return PacketReader::Result::Error;
      messages.push_back(m);
    }
  }
};

TEST(SimConnectReader, ReassemblesPacketsSplitAnywhere) {
  const std::string stream = EncodeServerMessage(ExceptionReply{7, 2, 2}) + EncodeServerMessage(OtherServerMessage{4}) +
                             EncodeServerMessage(QuitReply{});
  ServerStream byte_by_byte;
  for (char c : stream) ASSERT_EQ(byte_by_byte.Feed(std::string_view(&c, 1)), PacketReader::Result::NeedMore);
  ASSERT_EQ(byte_by_byte.messages.size(), 3u);
  EXPECT_EQ(std::get<ExceptionReply>(byte_by_byte.messages[0]).send_id, 2u);
  EXPECT_EQ(std::get<OtherServerMessage>(byte_by_byte.messages[1]).type, 4u);
  EXPECT_TRUE(std::holds_alternative<QuitReply>(byte_by_byte.messages[2]));
  EXPECT_EQ(byte_by_byte.reader.buffered(), 0u);

  ServerStream at_once;
  EXPECT_EQ(at_once.Feed(stream), PacketReader::Result::NeedMore);
  EXPECT_EQ(at_once.messages.size(), 3u);
}

TEST(SimConnectReader, UnknownMessagesAreSkippedByTheirSize) {
  ServerStream s;
  // An event of 28 bytes this subset never asked for, then an exception.
  EXPECT_EQ(s.Feed(Dwords({28, 4, 4, 0, 1, 2, 3}) + Dwords({24, 4, 1, 3, 9, 2})), PacketReader::Result::NeedMore);
  ASSERT_EQ(s.messages.size(), 2u);
  EXPECT_EQ(std::get<ExceptionReply>(s.messages[1]).send_id, 9u);
}

TEST(SimConnectReader, BrokenFramingIsAnErrorWithItsReason) {
  struct Case {
    std::string bytes;
    const char* reason;
  };
  const Case cases[] = {
      {Dwords({11, 4, 2}), "smaller than its 12-byte header"},
      {Dwords({0, 0, 0}), "smaller than its 12-byte header"},
      {Dwords({0x7FFFFFFF, 4, 2}), "larger than the limit"},
      {Dwords({20, 4, 2, 0, 0}), "Open reply message of 8 payload bytes is shorter than the 296"},
      {Dwords({20, 4, 1, 5, 6}), "Exception message of 8 payload bytes"},
      {Dwords({16, 4, 8, 1}), "SimObjectData message of 4 payload bytes"},
  };
  for (const auto& c : cases) {
    ServerStream s;
    EXPECT_EQ(s.Feed(c.bytes), PacketReader::Result::Error) << c.reason;
    EXPECT_NE(s.error.find(c.reason), std::string::npos) << s.error;
  }
  // Once broken, the stream stays broken even if good bytes follow.
  ServerStream s;
  s.Feed(Dwords({4, 4, 2}));
  EXPECT_EQ(s.Feed(EncodeServerMessage(QuitReply{})), PacketReader::Result::Error);
  EXPECT_TRUE(s.messages.empty());
}

TEST(SimConnectReader, ClientPacketsNeedTheirHeaderAndMark) {
  PacketReader reader(PacketReader::Sender::Client);
  Packet packet;
  std::string error;
  reader.Append(Dwords({12, 4, 0xF0000001}));
  EXPECT_EQ(reader.Next(packet, error), PacketReader::Result::Error);
  EXPECT_NE(error.find("16-byte header"), std::string::npos);

  PacketReader unmarked(PacketReader::Sender::Client);
  unmarked.Append(Dwords({16, 4, 5, 1}));
  EXPECT_EQ(unmarked.Next(packet, error), PacketReader::Result::Error);
  EXPECT_NE(error.find("client mark"), std::string::npos);

  // A transmit cut short of its five DWORDs is refused by its decoder.
  PacketReader shortened(PacketReader::Sender::Client);
  shortened.Append(Dwords({28, 4, 0xF0000005, 1, 0, 1, 2}));
  ASSERT_EQ(shortened.Next(packet, error), PacketReader::Result::Packet);
  ClientMessage message;
  EXPECT_FALSE(DecodeClientMessage(packet, message, error));
  EXPECT_NE(error.find("TransmitClientEvent"), std::string::npos);
}

TEST(SimConnectReader, EveryClientMessageSurvivesARoundTrip) {
  AddToDataDefinitionRequest def;
  def.define_id = 4;
  def.datum_name = "TITLE";
  def.units_name = "";
  def.epsilon = 0.25f;
  const std::vector<ClientMessage> messages = {
      OpenRequest{"Talvane voice", 10, 0, 61259, 0},
      MapEventRequest{12, "COM_RADIO_SET"},
      TransmitEventRequest{0, 12, 0x2150, 1, 0x10},
      AddToGroupRequest{1, 12, 0},
      GroupPriorityRequest{1, 1},
      def,
      RequestDataRequest{2, 4, 0, 1, 0, 0, 0, 0},
      OtherClientMessage{0x17},
  };
  for (std::size_t i = 0; i < messages.size(); ++i) {
    PacketReader reader(PacketReader::Sender::Client);
    reader.Append(EncodeClientMessage(messages[i], 100 + static_cast<std::uint32_t>(i), 3));
    Packet packet;
    std::string error;
    ASSERT_EQ(reader.Next(packet, error), PacketReader::Result::Packet);
    EXPECT_EQ(packet.send_id, 100 + i);
    EXPECT_EQ(packet.version, 3u);
    ClientMessage back;
    ASSERT_TRUE(DecodeClientMessage(packet, back, error)) << error;
    ASSERT_EQ(back.index(), messages[i].index());
    // Re-encoding what was read gives the same bytes.
    EXPECT_EQ(EncodeClientMessage(back, packet.send_id, 3), EncodeClientMessage(messages[i], packet.send_id, 3));
  }
}

}  // namespace
}  // namespace talvane::simlink
