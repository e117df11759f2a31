// Shared helpers of the test programs: temporary folders, files, running
// talvane-tool, random texts.
#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "common/context.h"

namespace talvane::test {

namespace fs = std::filesystem;

// A fresh folder below the system's temporary folder, removed afterwards.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const fs::path& path() const { return path_; }
  fs::path operator/(const std::string& rel) const { return path_ / rel; }

 private:
  fs::path path_;
};

// A program folder with a recording user interface.
struct ProgramFixture {
  TempFolder folder;
  RecordingUserInterface ui;
  Context ctx{folder.path(), ui};
  ProgramFixture();
};

void WriteFile(const fs::path& p, const std::string& bytes);
std::string ReadFile(const fs::path& p);

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};
// Runs talvane-tool with the arguments (no shell) and collects its output.
ToolRun RunTool(const std::vector<std::string>& args, const std::vector<std::string>& env = {});

// While alive, no file may grow beyond `bytes` (writes fail with EFBIG, as
// on a full disk). Works for root too, unlike a read-only folder.
class DiskLimit {
 public:
  explicit DiskLimit(unsigned long bytes);
  ~DiskLimit();

 private:
  unsigned long old_cur_, old_max_;
};

// Random Windows-1252 text of the given length; `printable` keeps to bytes
// that have a character.
std::string RandomAnsi(std::mt19937& rng, std::size_t length, bool printable = false);

}  // namespace talvane::test
