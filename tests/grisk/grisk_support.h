// Helpers of the grammar compiler tests: grammar files from UTF-8 text, and
// a small recogniser that walks compiled grammars the way the engine links
// them, to see which phrases they accept and what command text they give.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "grisk/bgm_format.h"
#include "grisk/bnf_source.h"
#include "support/test_support.h"

namespace talvane::grisk::test {

// FF FE and the UTF-16LE code units of UTF-8 text; LF becomes CR LF.
std::string Utf16File(std::string_view utf8);

// The shipped "Generic Lists.bnf" source (UTF-8 text).
std::string GenericListsSource();

SourceGrammar Parse(std::string_view utf8, Diagnostics& diag, const std::string& file = "Test.bnf");

// The command texts a start rule gives for the spoken words (empty: the
// words are not accepted). Rules referenced by import are looked up among
// the exports of all `grammars`.
std::set<std::string> Recognise(const std::vector<bgm::Grammar>& grammars, const std::string& start_rule,
                                const std::string& words);

}  // namespace talvane::grisk::test
