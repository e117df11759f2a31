// Phrases of different commands that the recogniser cannot tell apart: two
// start rules (of any of the grammars loaded together) that accept the same
// word sequence. Lists referred to across grammars (<ALT>, <NUM_1>) are
// compared by name, not by what they expand to.
#pragma once

#include <string>
#include <vector>

#include "grisk/bgm_format.h"

namespace talvane::grisk {

struct Confusion {
  std::string first_grammar, first_rule;    // file name, rule name
  std::string second_grammar, second_rule;
  std::string phrase;  // one phrase both accept, words and <LIST> names
};

struct ConfusabilityReport {
  std::vector<Confusion> confusions;
  bool complete = true;  // false when the search stopped at its size limit
};

ConfusabilityReport FindConfusions(const std::vector<bgm::Grammar>& grammars, std::size_t max_reported = 200,
                                   std::size_t max_states = 200000);

}  // namespace talvane::grisk
