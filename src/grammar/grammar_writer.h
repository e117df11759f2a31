// The grammar sources the recogniser reads: one per command category, the
// checklist responses, and the one-rule test grammar of the test screen.
#pragma once

#include <string>
#include <string_view>

#include "catalogue/command_catalogue.h"
#include "catalogue/settings.h"
#include "common/context.h"
#include "grammar/category_list.h"
#include "grammar/navaid_lists.h"

namespace talvane {

// Everything the writers read; owned by the program.
struct GrammarInputs {
  const Settings& settings;
  const CommandCatalogue& catalogue;
  const CategoryList& categories;
  const NavaidLists& navaids;
};

// What the grammar writers return when a grammar file could not be written.
// Nothing has been shown then: the caller shows GrammarFileWriteError() and
// ends the program, as a half-replaced set of grammars must not be compiled.
inline constexpr int kGrammarFileUnwritable = 2;
Message GrammarFileWriteError();

// Writes Grammars\Generic Lists.bnf (copied from Data when missing), one
// grammar per category, ChecklistResponses.bnf and, with compileNavaids 1,
// the navaid grammars. 0 on success, 1 on a failure already reported,
// kGrammarFileUnwritable (files already written stay written).
int SaveGrammarFiles(Context& ctx, const GrammarInputs& in);
int SaveChecklistResponses(Context& ctx, const Settings& settings);
// The test grammar for phrase `phrase` of command `command`, in Grammars\Test.
int SaveTestGrammar(Context& ctx, const GrammarInputs& in, int command, int phrase);

// The texts of the files (Windows-1252, CR LF), for the writers above and
// for tests. Only 1 switches the navaid grammars on.
std::string ComposeCategoryGrammar(std::string_view category, const CommandCatalogue& catalogue,
                                   std::int16_t compileNavaids);
std::string ComposeChecklistResponses(const Settings& settings);
std::string ComposeTestGrammar(const CommandRecord& command, std::size_t phrase);

// A stored phrase (padded to its field width) in grammar syntax.
std::string CategoryPhrase(std::string_view stored);
std::string TestPhrase(std::string_view stored);

}  // namespace talvane
