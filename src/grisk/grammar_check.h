// The checks a set of grammar sources must pass before it is compiled: each
// grammar on its own (duplicate and undefined rules, declarations naming
// nothing), and the set as a whole, as the engine loads it (imports that
// nothing exports, names exported twice, rules reaching themselves, start
// rules that match silence).
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "grisk/bnf_source.h"

namespace talvane::grisk {

struct RuleId {
  std::size_t grammar;
  std::size_t rule;
  bool operator==(const RuleId&) const = default;
};

struct GrammarSet {
  std::vector<SourceGrammar> grammars;
  // Filled by CheckGrammars:
  std::vector<std::unordered_map<std::string, std::size_t>> rule_index;  // per grammar: name -> first definition
  std::vector<std::unordered_set<std::string>> imported;                 // per grammar
  std::unordered_map<std::string, RuleId> exported;                      // first exporter of each name
  std::vector<std::vector<bool>> nullable;                               // per grammar, per rule

  // Where a reference from grammar g leads; false when it leads nowhere.
  bool Resolve(std::size_t g, const std::string& name, RuleId& out) const;
};

// Runs every check; errors and warnings go to `diag`. When some sources of
// the folder could not be read (`all_sources` false), imports are not held
// against the exports of the others: the missing source may hold them.
void CheckGrammars(GrammarSet& set, Diagnostics& diag, bool all_sources = true);

}  // namespace talvane::grisk
