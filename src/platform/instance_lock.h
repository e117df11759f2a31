// Whether another copy of the program already runs from the same program
// folder. The first copy holds a lock on a file in the program folder for as
// long as it lives; the system drops the lock when the process ends, however
// it ends, so a crashed copy never blocks the next start.
#pragma once

#include <filesystem>

namespace talvane::platform {

class InstanceLock {
 public:
  virtual ~InstanceLock() = default;
  // True when this process now holds the lock (or already did); false when
  // another process holds it. A lock file that cannot be made counts as no
  // other instance, so a read-only install still starts.
  virtual bool Acquire() = 0;
};

// The lock file is "talvane.lock" in the program folder; another program
// of the same folder (the voice module) holds a lock file of its own.
inline constexpr const char* kInstanceLockFile = "talvane.lock";

class FileInstanceLock : public InstanceLock {
 public:
  explicit FileInstanceLock(std::filesystem::path programFolder, const char* lockFile = kInstanceLockFile);
  ~FileInstanceLock() override;
  FileInstanceLock(const FileInstanceLock&) = delete;
  FileInstanceLock& operator=(const FileInstanceLock&) = delete;
  bool Acquire() override;

 private:
  std::filesystem::path file_;
  int fd_ = -1;
};

}  // namespace talvane::platform
