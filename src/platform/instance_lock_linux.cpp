#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/instance_lock.h"

namespace talvane::platform {

FileInstanceLock::FileInstanceLock(std::filesystem::path programFolder, const char* lockFile)
    : file_(std::move(programFolder) / lockFile) {}

FileInstanceLock::~FileInstanceLock() {
  if (fd_ >= 0) ::close(fd_);
}

bool FileInstanceLock::Acquire() {
  if (fd_ >= 0) return true;
  const int fd = ::open(file_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return true;
  // flock belongs to the open file, so a second open in this same process
  // is refused as well: one program object, one lock.
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    const bool held = errno == EWOULDBLOCK;
    ::close(fd);
    return !held;
  }
  fd_ = fd;
  return true;
}

}  // namespace talvane::platform
