// The command catalogue: every spoken command with its phrases and readbacks.
#pragma once

#include <cstdint>
#include <vector>

#include "common/context.h"
#include "common/fixed_text.h"

namespace talvane {

struct CommandRecord {
  FixedText<32> category;
  FixedText<128> commandName;
  FixedText<128> ruleName;
  FixedText<256> commandText;
  std::int16_t commandValue = 0;
  // lastGrammar and lastReadback are the sizes of these minus one.
  std::vector<FixedText<256>> grammars;
  std::vector<FixedText<256>> readbacks;

  std::int16_t lastGrammar() const { return static_cast<std::int16_t>(grammars.size() - 1); }
  std::int16_t lastReadback() const { return static_cast<std::int16_t>(readbacks.size() - 1); }
  bool operator==(const CommandRecord&) const = default;
};

struct CommandCatalogue {
  std::vector<CommandRecord> CommandList;  // 0..LastCommandIndex
  std::int16_t LastCommandIndex() const { return static_cast<std::int16_t>(CommandList.size() - 1); }
};

inline constexpr const char* kCommandListFile = "\\Data\\CommandList.dat";
inline constexpr const char* kCommandListBackup = "\\Data\\CommandList.bak";

// The file image of a catalogue, and back. ParseCommandList throws
// FormatError on a short or inconsistent file.
std::string SerializeCommandList(const CommandCatalogue& c);
CommandCatalogue ParseCommandList(std::string_view bytes);

// Start-up loader. Returns false when the program was ended.
bool LoadCommandList(Context& ctx, CommandCatalogue& c);
// Writes the catalogue with its .bak copy; 0 on success, 1 after reporting.
int SaveCommandList(Context& ctx, const CommandCatalogue& c);

}  // namespace talvane
