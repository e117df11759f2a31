// Compiling a folder of grammar sources: read, check, build the rule graphs,
// pronounce every word, then replace the compiled grammars and the rule list
// all together, or nothing at all.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace talvane::grisk {

inline constexpr const char* kLogName = "grmcmplog.txt";
inline constexpr const char* kRuleListName = "RuleList.dat";
inline constexpr const char* kChecklistGrammar = "ChecklistResponses.bnf";
// The engine's rule list reader takes lines of at most 49 characters.
inline constexpr std::size_t kMaxRuleListName = 47;

struct CompileOptions {
  std::filesystem::path grammar_folder;  // sources in, .bgm and the log out
  std::filesystem::path manifest;        // the language model manifest
  std::filesystem::path rule_list;       // Data/RuleList.dat; empty: not written
  std::filesystem::path phonemizer;      // the grisk-g2p helper
};

struct CompileResult {
  int status = 0;  // GRISK_OK or a GRISK_ERR_ code
  int grammars = 0;
  int errors = 0;
  int warnings = 0;
  int words = 0;
  int phonemized = 0;
  int confusions = 0;
  double seconds = 0;
  std::string summary;  // the log's last line
};

CompileResult CompileFolder(const CompileOptions& options);

// The options the library uses for the program folder `program` (value2 0:
// Grammars, 1: Grammars/Test).
CompileOptions ProgramCompileOptions(const std::filesystem::path& program, bool test,
                                     const std::filesystem::path& phonemizer);

// The text of RuleList.dat: each name as "<NAME>" and LF, UTF-16LE, no mark.
std::string RuleListBytes(const std::vector<std::string>& names);

}  // namespace talvane::grisk
