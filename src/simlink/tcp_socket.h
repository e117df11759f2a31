// Non-blocking IPv4 TCP sockets for the simulator link: connecting with a
// timeout, listening, sending whole buffers and reading what has arrived.
// Every call reports failure as text; nothing throws.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "simlink/simconnect_config.h"

namespace talvane::simlink {

// A socket descriptor closed when the owner goes.
class SocketHandle {
 public:
  SocketHandle() = default;
  explicit SocketHandle(int fd) : fd_(fd) {}
  SocketHandle(SocketHandle&& other) noexcept : fd_(other.release()) {}
  SocketHandle& operator=(SocketHandle&& other) noexcept;
  SocketHandle(const SocketHandle&) = delete;
  SocketHandle& operator=(const SocketHandle&) = delete;
  ~SocketHandle() { reset(); }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release();
  void reset();

 private:
  int fd_ = -1;
};

// A connected, non-blocking socket with Nagle's delay off (each event is one
// small packet that should leave at once). Invalid with `error` set when the
// host cannot be resolved or nothing answers within `timeout`.
SocketHandle ConnectTcp(const Endpoint& endpoint, std::chrono::milliseconds timeout, std::string& error);

// A non-blocking listening socket on `host` (numeric IPv4, empty for every
// address) and `port` (0 picks a free one). Invalid with `error` set.
SocketHandle ListenTcp(const std::string& host, std::uint16_t port, std::string& error);
std::uint16_t LocalPort(int fd);

// Accepts one pending connection as a non-blocking socket; invalid when none
// is waiting.
SocketHandle AcceptTcp(int listener);

// Sends all of `bytes`, waiting at most `timeout` for room in the socket.
bool SendAll(int fd, std::string_view bytes, std::chrono::milliseconds timeout, std::string& error);

enum class ReadStatus { Data, NothingYet, Closed, Failed };
// Appends whatever has arrived to `out` without waiting.
ReadStatus ReadAvailable(int fd, std::string& out, std::string& error);

// Waits up to `timeout` until `fd` is readable (or has hung up).
bool WaitReadable(int fd, std::chrono::milliseconds timeout);

}  // namespace talvane::simlink
