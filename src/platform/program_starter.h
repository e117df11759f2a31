// Starting the simulator and the in-flight voice module. Their files come
// from Windows: a Windows program runs through Wine, a native one directly.
#pragma once

#include <filesystem>
#include <string>

namespace talvane::platform {

class ProgramStarter {
 public:
  virtual ~ProgramStarter() = default;
  // Starts the program `exeName` (found in `folder` without regard to letter
  // case) with `folder` as its working folder, and does not wait for it.
  // False when there is no such file, it is no program we can run, or the
  // start fails.
  virtual bool Start(const std::filesystem::path& folder, const std::string& exeName) = 0;
};

// Starts programs as child processes. A Windows program (a file beginning
// with "MZ") is started as `wine <file>` with the `wine` found on PATH; a
// native one (an ELF file or a "#!" script with the execute bit) directly.
// The child inherits the environment, gets a session of its own (so it
// outlives a terminal that closes on this program) and default signal
// handling; this process's working folder never changes.
class SpawnProgramStarter : public ProgramStarter {
 public:
  bool Start(const std::filesystem::path& folder, const std::string& exeName) override;
};

}  // namespace talvane::platform
