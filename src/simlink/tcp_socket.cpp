#include "simlink/tcp_socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace talvane::simlink {

namespace {

using Clock = std::chrono::steady_clock;

std::string SystemError(const std::string& what, int err) { return what + ": " + std::strerror(err); }

int MillisecondsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

bool MakeNonBlocking(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

bool Resolve(const std::string& host, std::uint16_t port, sockaddr_in& addr, std::string& error) {
  std::memset(&addr, 0, sizeof addr);
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  if (host.empty()) {
    addr.sin_addr.s_addr = htonl(INADDR_ANY);
    return true;
  }
  if (::inet_pton(AF_INET, host.c_str(), &addr.sin_addr) == 1) return true;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
  if (rc != 0 || !found) {
    error = "cannot resolve " + host + ": " + ::gai_strerror(rc);
    return false;
  }
  addr.sin_addr = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
  ::freeaddrinfo(found);
  return true;
}

}  // namespace

SocketHandle& SocketHandle::operator=(SocketHandle&& other) noexcept {
  if (this != &other) {
    reset();
    fd_ = other.release();
  }
  return *this;
}

int SocketHandle::release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

void SocketHandle::reset() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

SocketHandle ConnectTcp(const Endpoint& endpoint, std::chrono::milliseconds timeout, std::string& error) {
  const auto deadline = Clock::now() + timeout;
  const std::string where = endpoint.host + ":" + std::to_string(endpoint.port);
  sockaddr_in addr;
  if (!Resolve(endpoint.host, endpoint.port, addr, error)) return {};
  SocketHandle s(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!s.valid() || !MakeNonBlocking(s.get())) {
    error = SystemError("cannot create a socket", errno);
    return {};
  }
  const int one = 1;
  ::setsockopt(s.get(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  if (::connect(s.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
    if (errno != EINPROGRESS) {
      error = SystemError("cannot connect to " + where, errno);
      return {};
    }
    pollfd p{s.get(), POLLOUT, 0};
    int rc;
    do {
      rc = ::poll(&p, 1, MillisecondsLeft(deadline));
    } while (rc < 0 && errno == EINTR);
    if (rc == 0) {
      error = "no answer from " + where + " within " + std::to_string(timeout.count()) + " ms";
      return {};
    }
    int err = 0;
    socklen_t len = sizeof err;
    if (rc < 0 || ::getsockopt(s.get(), SOL_SOCKET, SO_ERROR, &err, &len) != 0) err = errno;
    if (err != 0) {
      error = SystemError("cannot connect to " + where, err);
      return {};
    }
  }
  return s;
}

SocketHandle ListenTcp(const std::string& host, std::uint16_t port, std::string& error) {
  sockaddr_in addr;
  if (!Resolve(host, port, addr, error)) return {};
  SocketHandle s(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!s.valid() || !MakeNonBlocking(s.get())) {
    error = SystemError("cannot create a socket", errno);
    return {};
  }
  const int one = 1;
  ::setsockopt(s.get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (::bind(s.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 || ::listen(s.get(), 16) != 0) {
    error = SystemError("cannot listen on " + host + ":" + std::to_string(port), errno);
    return {};
  }
  return s;
}

std::uint16_t LocalPort(int fd) {
  sockaddr_in addr{};
  socklen_t len = sizeof addr;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) return 0;
  return ntohs(addr.sin_port);
}

SocketHandle AcceptTcp(int listener) {
  SocketHandle s(::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
  if (s.valid()) {
    const int one = 1;
    ::setsockopt(s.get(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  }
  return s;
}

bool SendAll(int fd, std::string_view bytes, std::chrono::milliseconds timeout, std::string& error) {
  const auto deadline = Clock::now() + timeout;
  while (!bytes.empty()) {
    const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd p{fd, POLLOUT, 0};
      if (::poll(&p, 1, MillisecondsLeft(deadline)) <= 0 && Clock::now() >= deadline) {
        error = "sending timed out";
        return false;
      }
      continue;
    }
    error = SystemError("sending failed", errno);
    return false;
  }
  return true;
}

ReadStatus ReadAvailable(int fd, std::string& out, std::string& error) {
  char chunk[16384];
  bool got = false;
  // Bounded, so a peer that floods the socket cannot keep us here.
  for (int rounds = 0; rounds < 64; ++rounds) {
    const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
    if (n > 0) {
      out.append(chunk, static_cast<std::size_t>(n));
      got = true;
      continue;
    }
    if (n == 0) return got ? ReadStatus::Data : ReadStatus::Closed;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return got ? ReadStatus::Data : ReadStatus::NothingYet;
    error = SystemError("receiving failed", errno);
    return ReadStatus::Failed;
  }
  return ReadStatus::Data;
}

bool WaitReadable(int fd, std::chrono::milliseconds timeout) {
  pollfd p{fd, POLLIN, 0};
  int rc;
  do {
    rc = ::poll(&p, 1, static_cast<int>(timeout.count()));
  } while (rc < 0 && errno == EINTR);
  return rc > 0;
}

}  // namespace talvane::simlink
