// talvane-tool: the command-line face of the program's core.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/context.h"

namespace talvane::tool {

struct Invocation {
  Context& ctx;
  RecordingUserInterface& ui;
  std::vector<std::string> args;  // after the command word, as given (UTF-8)
};

struct Command {
  const char* name;
  const char* usage;  // arguments, for --help
  const char* summary;
  int min_args;
  int max_args;  // -1: any number
  std::function<int(Invocation&)> run;
};

// Every command group adds its commands here.
std::vector<Command>& Commands();

struct Registrar {
  explicit Registrar(std::vector<Command> cmds);
};

// A temporary folder for benchmarks, removed with everything in it when the
// object goes. ProgramFolder() lays out Data and Grammars/Test in it.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }
  const std::filesystem::path& ProgramFolder();

 private:
  std::filesystem::path path_;
};

// Failure of a command with a message of the tool's own (bad arguments).
int UsageError(const std::string& text);
// Prints a line of output (UTF-8) to standard output.
void Out(const std::string& line);
// Windows-1252 text for output.
std::string Utf8(std::string_view ansi);
// The program ended, or the operation failed: status 1.
int Status(const Invocation& inv, bool ok);

}  // namespace talvane::tool
