#include "grisk/confusability.h"

#include <algorithm>
#include <set>
#include <unordered_map>

#include "grisk/automaton.h"

namespace talvane::grisk {

namespace {

// The start rules' phrases as one automaton: word and list-name symbols,
// every start rule between an entry node and an exit node of its own.
struct Nfa {
  std::uint32_t nodes = 0;
  std::vector<NfaArc> arcs;
  std::vector<int> owner;  // for a start rule's exit node: its index, else -1
  std::vector<std::string> symbols;
  std::unordered_map<std::string, std::uint32_t> symbol_ids;

  std::uint32_t Node() {
    owner.push_back(-1);
    return nodes++;
  }
  std::uint32_t Symbol(const std::string& s) {
    auto [it, added] = symbol_ids.try_emplace(s, static_cast<std::uint32_t>(symbols.size()));
    if (added) symbols.push_back(s);
    return it->second;
  }
};

// Copies rule `r` of `g` between `entry` and `exit`, inlining the grammar's
// private rules (the set is free of recursion, so this ends).
void Instantiate(Nfa& nfa, const bgm::Grammar& g, std::uint32_t r, std::uint32_t entry, std::uint32_t exit,
                 const std::vector<bool>& exported, int depth) {
  const bgm::Rule& rule = g.rules[r];
  std::vector<std::uint32_t> map(rule.node_count);
  map[0] = entry;
  map[1] = exit;
  for (std::uint32_t n = 2; n < rule.node_count; ++n) map[n] = nfa.Node();
  for (const auto& a : rule.arcs) {
    const std::uint32_t from = map[a.from], to = map[a.to];
    switch (a.kind) {
      case bgm::ArcKind::kEpsilon:
      case bgm::ArcKind::kTag:
        nfa.arcs.push_back({from, to, kEpsilonWord});
        break;
      case bgm::ArcKind::kWord:
        nfa.arcs.push_back({from, to, nfa.Symbol(g.words[a.label].text)});
        break;
      case bgm::ArcKind::kRule: {
        const auto local = g.LocalRule(a.label);
        if (local && !exported[*local] && depth < 64) {
          const std::uint32_t in = nfa.Node(), outn = nfa.Node();
          nfa.arcs.push_back({from, in, kEpsilonWord});
          nfa.arcs.push_back({outn, to, kEpsilonWord});
          Instantiate(nfa, g, *local, in, outn, exported, depth + 1);
        } else {
          nfa.arcs.push_back({from, to, nfa.Symbol("<" + std::string(g.ReferenceName(a.label)) + ">")});
        }
        break;
      }
    }
  }
}

}  // namespace

ConfusabilityReport FindConfusions(const std::vector<bgm::Grammar>& grammars, std::size_t max_reported,
                                   std::size_t max_states) {
  ConfusabilityReport report;
  Nfa nfa;
  struct Owner {
    std::size_t grammar;
    std::uint32_t rule;
  };
  std::vector<Owner> owners;
  std::vector<std::uint32_t> entries;
  for (std::size_t gi = 0; gi < grammars.size(); ++gi) {
    const auto& g = grammars[gi];
    std::vector<bool> exported(g.rules.size(), false);
    for (auto e : g.exports) exported[e] = true;
    for (auto s : g.starts) {
      const std::uint32_t entry = nfa.Node(), exit = nfa.Node();
      nfa.owner[exit] = static_cast<int>(owners.size());
      owners.push_back({gi, s});
      entries.push_back(entry);
      Instantiate(nfa, g, s, entry, exit, exported, 0);
    }
  }
  if (owners.size() < 2) return report;

  // Two start rules are confused where one state of the subset construction
  // holds both their exits; breadth first, the first phrase found for a
  // pair is a shortest one.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> found_by;  // (state, symbol)
  std::set<std::pair<int, int>> reported;
  auto visit = [&](std::uint32_t at, const std::vector<std::uint32_t>& set) {
    if (found_by.size() > max_states) {
      report.complete = false;
      return false;
    }
    std::vector<int> here;
    for (auto n : set)
      if (nfa.owner[n] >= 0) here.push_back(nfa.owner[n]);
    for (std::size_t i = 0; i < here.size(); ++i)
      for (std::size_t j = i + 1; j < here.size(); ++j) {
        const auto key = std::minmax(here[i], here[j]);
        if (!reported.insert(key).second) continue;
        if (report.confusions.size() >= max_reported) {
          report.complete = false;
          continue;
        }
        std::vector<std::string> words;
        for (std::uint32_t s = at; found_by[s].second != kEpsilonWord; s = found_by[s].first)
          words.push_back(nfa.symbols[found_by[s].second]);
        std::reverse(words.begin(), words.end());
        std::string phrase;
        for (const auto& w : words) phrase += (phrase.empty() ? "" : " ") + w;
        const Owner& a = owners[static_cast<std::size_t>(key.first)];
        const Owner& b = owners[static_cast<std::size_t>(key.second)];
        report.confusions.push_back({grammars[a.grammar].source_file, grammars[a.grammar].rules[a.rule].name,
                                     grammars[b.grammar].source_file, grammars[b.grammar].rules[b.rule].name,
                                     phrase});
      }
    return true;
  };
  Determinise(nfa.nodes, nfa.arcs, {}, std::move(entries), &found_by, visit);
  return report;
}

}  // namespace talvane::grisk
