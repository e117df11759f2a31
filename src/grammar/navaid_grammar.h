// The navaid grammars NAVAID_IDS, NAVAID_NAMES and NAVAID_ILS, which export
// the rules NAV_ID, NAV_NAME and RWY_APT_ID imported by the radios grammar.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "common/context.h"
#include "grammar/navaid_lists.h"

namespace talvane {

// The spoken alternatives of one station: its identifier in the phonetic
// alphabet and spelled letter by letter. nullopt when the identifier is
// empty or longer than 4 characters.
std::optional<std::string> NavIdPhrase(const NavaidRecord& rec);

// The spoken form of one ILS approach: runway words, the ILS words, then the
// airport identifier (phonetic or spelled). nullopt when the airport is empty
// or the airport or runway is longer than 4 characters.
std::optional<std::string> ILSPhrase(const ILSRecord& rec);
std::optional<std::string> ILSPhrase(const NavaidLists& lists, int index);

enum class NavaidGrammar { kIds, kNames, kILSs };

// The grammar source text (Windows-1252, CR LF). `percent` is called with
// the progress percentage as the records go by. nullopt when a record cannot
// be written.
std::optional<std::string> ComposeNavaidGrammar(NavaidGrammar which, const NavaidLists& lists,
                                                const std::function<void(double)>& percent = {});

// Write Grammars\Navaid_IDs.bnf, Navaid_Names.bnf, Navaid_ILSs.bnf (in
// Grammars\Test with `test`), advancing the progress dialog the caller has
// opened. 0 on success, 1 when a record cannot be written,
// kGrammarFileUnwritable when the file cannot.
int SaveNavaidIDs(Context& ctx, const NavaidLists& lists, bool test);
int SaveNavaidNames(Context& ctx, const NavaidLists& lists, bool test);
int SaveNavaidILSs(Context& ctx, const NavaidLists& lists, bool test);
// The three in that order, stopping at the first failure, whose result it returns.
int SaveNavaidGrammars(Context& ctx, const NavaidLists& lists, bool test);

}  // namespace talvane
