// The binary data files written independently of the program's writers, the
// layouts spelled out byte by byte, from random content.
#pragma once

#include <random>
#include <string>
#include <vector>

namespace talvane::test {

struct RawCommand {
  std::string category, name, rule, text;
  int value = 0;
  std::vector<std::string> phrases, readbacks;
};

std::string RawCommandList(const std::vector<RawCommand>& cmds);
// Texts run past their field widths now and then, with any byte.
std::vector<RawCommand> RandomRawCommands(std::mt19937& rng, int count);
std::string RandomRawChecklist(std::mt19937& rng);
std::string RandomRawAssignments(std::mt19937& rng, int count);

}  // namespace talvane::test
