// The client's reader of server packets on arbitrary streams: no crash, no
// read past a packet, and the same packets whether the stream arrives whole
// or cut into pieces (the first byte picks the piece size).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "simlink/simconnect_protocol.h"

namespace {

using talvane::simlink::PacketReader;

struct Outcome {
  std::vector<std::string> packets;  // type, then payload
  bool failed = false;
};

Outcome Read(std::string_view stream, std::size_t piece) {
  PacketReader reader(PacketReader::Sender::Server);
  Outcome out;
  for (std::size_t at = 0; at < stream.size() && !out.failed; at += piece) {
    reader.Append(stream.substr(at, piece));
    for (;;) {
      talvane::simlink::Packet packet;
      std::string error;
      const auto r = reader.Next(packet, error);
      if (r == PacketReader::Result::NeedMore) break;
      if (r == PacketReader::Result::Error) {
        if (error.empty()) __builtin_trap();
        out.failed = true;
        break;
      }
      talvane::simlink::ServerMessage message;
      if (!talvane::simlink::DecodeServerMessage(packet, message, error) && error.empty()) __builtin_trap();
      out.packets.push_back(std::to_string(packet.type) + ":" + packet.payload);
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t piece = 1 + data[0] % 32;
  const std::string_view stream(reinterpret_cast<const char*>(data) + 1, size - 1);
  const Outcome whole = Read(stream, stream.size() + 1);
  const Outcome cut = Read(stream, piece);
  if (whole.failed != cut.failed || whole.packets != cut.packets) __builtin_trap();
  return 0;
}
