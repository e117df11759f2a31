// Turns checked grammar sources into rule graphs (the compiled form of
// bgm_format.h), words still without pronunciations.
#pragma once

#include "grisk/bgm_format.h"
#include "grisk/grammar_check.h"

namespace talvane::grisk {

// One compiled grammar per source of the (error-free) set, in the same order.
// Word texts are lower case; each word appears once per grammar.
std::vector<bgm::Grammar> BuildGraphs(const GrammarSet& set);

}  // namespace talvane::grisk
