// The recognition network of a context: the compiled grammars linked
// (imports resolved to the exports of the other grammars), turned into the
// word automaton the decoder searches, and the parser that walks a decoded
// word sequence back through the rule graphs to recover its tags and ignore
// flags.
//
// The decoder only needs the language (which word sequences are allowed),
// so every rule becomes a minimal acyclic deterministic automaton, built
// bottom-up: a reference splices in the referenced rule's automaton, and
// the result is determinised and minimised again. Lists that several
// commands end with (the navaid lists) therefore exist once in the decoder's
// network, not once per reference.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "grisk/automaton.h"
#include "grisk/bgm_format.h"

namespace talvane::vocon {

using grisk::kEpsilonWord;
using grisk::NfaArc;
using grisk::WordDfa;

// A rule name as names are compared: upper case (ASCII letters), runs of
// spaces and tabs as one space, none at either end.
std::string NameKey(std::string_view name);

// Every word of the linked grammars, with all its pronunciations.
struct NetworkWord {
  std::string text;                         // lower case, UTF-8
  std::vector<std::string> pronunciations;  // phones separated by one space
};

// One entry of a parsed result: a spoken word or a tag.
struct ParsedEntry {
  std::string text;
  bool ignore = false;
  bool tag = false;
  bool operator==(const ParsedEntry&) const = default;
};

struct ParseResult {
  std::uint32_t start_rule = 0;  // index into Network::Starts()
  std::vector<ParsedEntry> entries;
};

class Network {
 public:
  struct StartRule {
    std::uint32_t grammar;  // index into the linked grammars
    std::uint32_t rule;     // index into that grammar's rules
    std::string name;       // upper case
    bool activatable;
  };

  // Resolves every import to the one rule of that name exported by another
  // grammar. nullptr with `error` when an import is missing or exported
  // twice, or when rules reach themselves across grammars.
  static std::unique_ptr<Network> Link(std::vector<std::shared_ptr<const bgm::Grammar>> grammars,
                                       std::string* error);

  const std::vector<StartRule>& Starts() const { return starts_; }
  const std::vector<NetworkWord>& Words() const { return words_; }
  const std::vector<std::shared_ptr<const bgm::Grammar>>& Grammars() const { return grammars_; }
  std::optional<std::uint32_t> WordId(std::string_view text) const;
  // Another way of saying a word (the lexicon's grapheme-to-phoneme
  // variants); false when the word already has it.
  bool AddPronunciation(std::uint32_t word, const std::string& phones);

  // The decoder's automaton for the start rules whose entry in `active` is
  // set (one entry per start rule).
  WordDfa Build(const std::vector<bool>& active);

  // The first active start rule (in grammar order, then declaration order)
  // that matches the whole word sequence, with its entries in path order.
  std::optional<ParseResult> Parse(std::span<const std::uint32_t> words, const std::vector<bool>& active);

  // Every distinct command text (unignored entries joined by spaces) the
  // word sequence can have through the active start rules. For checking
  // results where a sentence has several readings.
  std::vector<std::string> AllTexts(std::span<const std::uint32_t> words, const std::vector<bool>& active,
                                    std::size_t limit = 64);

  // A random sentence of start rule `start`: at every choice each way on is
  // equally likely. Word ids, in order.
  std::vector<std::uint32_t> Sample(std::uint32_t start, std::mt19937& rng);

  // The word automaton of one rule (memoised).
  const WordDfa& RuleDfa(std::uint32_t grammar, std::uint32_t rule);

 private:
  Network() = default;
  struct Target {
    std::uint32_t grammar, rule;
  };
  // The rule a reference arc of grammar g leads to.
  Target Resolve(std::uint32_t g, std::uint32_t label) const;
  bool CheckAcyclic(std::string* error);
  bool SampleRule(Target r, std::mt19937& rng, std::vector<std::uint32_t>& out, int depth);
  // The readings of the whole word sequence through start rule `start`
  // when it is active, at most `limit`.
  std::vector<std::vector<ParsedEntry>> Readings(std::uint32_t start, std::span<const std::uint32_t> words,
                                                 const std::vector<bool>& active, std::size_t limit);
  bool Match(Target r, std::size_t from, std::size_t to, std::span<const std::uint32_t> words, bool ignored,
             std::vector<ParsedEntry>& out, std::vector<std::vector<ParsedEntry>>* all, std::size_t limit);

  std::vector<std::shared_ptr<const bgm::Grammar>> grammars_;
  std::vector<std::vector<Target>> imports_;          // per grammar, per import
  std::vector<std::vector<std::uint32_t>> word_ids_;  // per grammar, its word index -> network word id
  std::vector<NetworkWord> words_;
  std::unordered_map<std::string, std::uint32_t> word_index_;
  std::vector<StartRule> starts_;
  std::map<std::pair<std::uint32_t, std::uint32_t>, std::unique_ptr<WordDfa>> dfa_;
};

}  // namespace talvane::vocon
