// The server's reader of client packets on arbitrary streams: no crash, a
// clear error for what cannot be read, and every message it reads written
// back the same way twice (nothing read is lost or invented on the way).
#include <cstddef>
#include <cstdint>
#include <string>

#include "simlink/simconnect_protocol.h"

using namespace talvane::simlink;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  PacketReader reader(PacketReader::Sender::Client);
  reader.Append(std::string_view(reinterpret_cast<const char*>(data), size));
  for (;;) {
    Packet packet;
    std::string error;
    const auto r = reader.Next(packet, error);
    if (r == PacketReader::Result::NeedMore) break;
    if (r == PacketReader::Result::Error) {
      if (error.empty()) __builtin_trap();
      break;
    }
    ClientMessage message;
    if (!DecodeClientMessage(packet, message, error)) {
      if (error.empty()) __builtin_trap();
      continue;
    }
    const std::string once = EncodeClientMessage(message, packet.send_id, packet.version);
    PacketReader again(PacketReader::Sender::Client);
    again.Append(once);
    Packet back;
    if (again.Next(back, error) != PacketReader::Result::Packet) __builtin_trap();
    ClientMessage reread;
    if (!DecodeClientMessage(back, reread, error)) __builtin_trap();
    if (EncodeClientMessage(reread, back.send_id, back.version) != once) __builtin_trap();
  }
  return 0;
}
