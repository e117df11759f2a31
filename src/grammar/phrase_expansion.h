// Checks a grammar phrase in the editor's notation and lists every word
// sequence it stands for; also the Roman numerals of the script and the
// kneeboard pages.
//
// Notation: "( )" an optional part, "[a|b]" one of the alternatives (an empty
// alternative means nothing is said), "<NAME>" a list, kept as written.
// Optional parts and groups may be nested to any depth.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/command_catalogue.h"
#include "common/context.h"

namespace talvane {

// The expanded phrases of one grammar phrase. ExpansionUpper is the last
// index: -1 when there is nothing to list, kExpansionInvalid when the phrase
// was refused (the list is then empty). Entries may carry spaces at either
// end; consumers trim them.
struct ExpansionList {
  std::vector<std::string> entries;
  std::int16_t ExpansionUpper = -1;
};

inline constexpr std::int16_t kExpansionInvalid = -99;
// ExpansionUpper is 16-bit, so the list holds the entries 0 to 32,767. A
// phrase standing for more sequences than that is refused.
inline constexpr std::size_t kMaxExpansionEntries = 32768;
// 2^15 combinations fill the list; more optional parts at one level cannot fit.
inline constexpr std::size_t kMaxOptionalParts = 15;

// True when the trimmed phrase uses only the notation's characters and its
// round and square brackets are balanced and properly nested.
bool CheckPhraseSyntax(std::string_view phrase);

// Fills `list` with the sorted expansions of phrase `phrase` of command
// `command`, duplicates removed. A phrase that fails the syntax check, or that
// stands for more sequences than the list can hold, is reported with the
// "Grammar Error" message and marks the list kExpansionInvalid. Indices out of
// range throw std::out_of_range.
void ExpandCommandPhrase(Context& ctx, const CommandCatalogue& catalogue, int command, int phrase,
                         ExpansionList& list);

// Appends the expansions of `s` to the list, in generation order, unsorted,
// and keeps ExpansionUpper in step. Returns false, leaving the entries
// appended so far, when the list would outgrow kMaxExpansionEntries. Safe on
// any text, balanced or not.
bool ExpandPhrase(std::string_view s, ExpansionList& list);

// The phrases obtained from `t` by keeping or dropping each outermost optional
// part, for c = 0 .. 2^n-1 where the leftmost binary digit of c decides the
// first part; each trimmed, double spaces halved. Inner brackets stay for the
// next step. Empty when `t` has more than kMaxOptionalParts outermost parts.
std::vector<std::string> ExpandOptionalParts(std::string_view t);

// prefix + alternative + suffix for each alternative of the first outermost
// group of `t`, untrimmed. Groups nested inside an alternative stay for the
// next step. Without a group, `t` itself.
std::vector<std::string> ExpandAlternatives(std::string_view t);

// The Roman numeral of a whole number written in decimal digits. "0", any
// run of zeros and the empty text give "No Roman value For 0"; each thousand
// is one "M". Text that is not digits, or a number of a million or more,
// gives the empty text.
std::string ToRoman(std::string_view digits);

// The ordering of the expansion list: ordinal on the UTF-16 code units of the
// Windows-1252 characters.
bool ExpansionLess(std::string_view a, std::string_view b);
// Removes, in one pass, what the restarting walk of the list removes: each
// entry equal (trimmed, upper-cased) to the entry left before it, the first
// entry being compared with the empty text.
void RemoveDuplicateExpansions(std::vector<std::string>& entries);

}  // namespace talvane
