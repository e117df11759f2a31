#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "common/files.h"
#include "common/split.h"
#include "platform/program_starter.h"

extern char** environ;

namespace talvane::platform {

namespace {

enum class ProgramKind { kNone, kWindows, kNative };

std::string FirstBytes(const fs::path& file, std::size_t count) {
  std::string bytes(count, '\0');
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  const ssize_t got = ::read(fd, bytes.data(), count);
  ::close(fd);
  bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return bytes;
}

ProgramKind KindOf(const fs::path& file) {
  const std::string head = FirstBytes(file, 4);
  if (head.starts_with("MZ")) return ProgramKind::kWindows;
  const bool native = head.starts_with("\x7f" "ELF") || head.starts_with("#!");
  return native && ::access(file.c_str(), X_OK) == 0 ? ProgramKind::kNative : ProgramKind::kNone;
}

// `wine` in the folders of PATH. Relative entries (an empty one included)
// would name the current directory, which this process never relies on.
std::optional<fs::path> FindWine() {
  const char* path = std::getenv("PATH");
  if (!path) return std::nullopt;
  for (const std::string& folder : SplitAt(path, ":")) {
    const fs::path candidate = fs::path(folder) / "wine";
    if (candidate.is_absolute() && FileExists(candidate) && ::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return std::nullopt;
}

// Every child must be waited for, or it stays a zombie until this process
// ends. waitpid(-1) or a SIGCHLD handler would also take the exit status of
// children that others in this process wait for themselves (a QProcess, a
// test's X server), so each started program gets a small detached thread
// that waits for that one process id. Only the simulator and the voice module
// are started, so there are never more than a few.
void ReapWhenDone(pid_t pid) {
  try {
    std::thread([pid] {
      int status = 0;
      while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  } catch (const std::system_error&) {
    // No thread to spare: the program still runs; its exit status stays
    // unclaimed until this process ends.
  }
}

// posix_spawn with the working folder set in the child only (the speech
// thread relies on this process's own).
bool Spawn(const fs::path& folder, const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attributes);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  // A signal blocked or ignored here (the speech thread's, Qt's) must not
  // stay blocked or ignored in the program.
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);

  pid_t pid = 0;
  const int error = ::posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return false;
  ReapWhenDone(pid);
  return true;
}

}  // namespace

bool SpawnProgramStarter::Start(const std::filesystem::path& folder, const std::string& exeName) {
  if (!IsPlainFileName(exeName)) return false;
  const auto file = FindCaseInsensitive(folder, exeName, false);
  if (!file || !FileExists(*file)) return false;
  const fs::path program = fs::absolute(*file);
  switch (KindOf(program)) {
    case ProgramKind::kWindows: {
      const auto wine = FindWine();
      return wine && Spawn(program.parent_path(), {wine->string(), program.string()});
    }
    case ProgramKind::kNative:
      return Spawn(program.parent_path(), {program.string()});
    case ProgramKind::kNone:
      break;
  }
  return false;
}

}  // namespace talvane::platform
