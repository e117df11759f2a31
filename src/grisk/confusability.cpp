#include "grisk/confusability.h"

#include <algorithm>
#include <map>
#include <set>
#include <unordered_map>

namespace talvane::grisk {

namespace {

constexpr std::uint32_t kEpsilon = 0xFFFFFFFFu;

struct Nfa {
  struct Edge {
    std::uint32_t to, symbol;  // kEpsilon: no word
  };
  std::vector<std::vector<Edge>> out;
  std::vector<int> owner;  // for a start rule's exit node: its index, else -1
  std::vector<std::string> symbols;
  std::unordered_map<std::string, std::uint32_t> symbol_ids;

  std::uint32_t Node() {
    out.emplace_back();
    owner.push_back(-1);
    return static_cast<std::uint32_t>(out.size() - 1);
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
        nfa.out[from].push_back({to, kEpsilon});
        break;
      case bgm::ArcKind::kWord:
        nfa.out[from].push_back({to, nfa.Symbol(g.words[a.label].text)});
        break;
      case bgm::ArcKind::kRule: {
        const auto local = g.LocalRule(a.label);
        if (local && !exported[*local] && depth < 64) {
          const std::uint32_t in = nfa.Node(), outn = nfa.Node();
          nfa.out[from].push_back({in, kEpsilon});
          nfa.out[outn].push_back({to, kEpsilon});
          Instantiate(nfa, g, *local, in, outn, exported, depth + 1);
        } else {
          nfa.out[from].push_back({to, nfa.Symbol("<" + std::string(g.ReferenceName(a.label)) + ">")});
        }
        break;
      }
    }
  }
}

std::vector<std::uint32_t> Closure(const Nfa& nfa, std::vector<std::uint32_t> set) {
  std::vector<std::uint32_t> stack = set;
  std::set<std::uint32_t> seen(set.begin(), set.end());
  while (!stack.empty()) {
    const std::uint32_t n = stack.back();
    stack.pop_back();
    for (const auto& e : nfa.out[n])
      if (e.symbol == kEpsilon && seen.insert(e.to).second) stack.push_back(e.to);
  }
  return {seen.begin(), seen.end()};
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

  // Subset construction, breadth first, so the first phrase found for a pair
  // is a shortest one.
  std::map<std::vector<std::uint32_t>, std::uint32_t> ids;
  std::vector<std::vector<std::uint32_t>> states;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> parent;  // (state, symbol)
  std::set<std::pair<int, int>> reported;
  auto add = [&](std::vector<std::uint32_t> set, std::uint32_t from, std::uint32_t symbol) {
    auto [it, added] = ids.try_emplace(std::move(set), static_cast<std::uint32_t>(states.size()));
    if (added) {
      states.push_back(it->first);
      parent.push_back({from, symbol});
    }
  };
  add(Closure(nfa, entries), kEpsilon, kEpsilon);
  for (std::size_t at = 0; at < states.size(); ++at) {
    if (states.size() > max_states) {
      report.complete = false;
      break;
    }
    const auto set = states[at];
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
        for (std::uint32_t s = static_cast<std::uint32_t>(at); parent[s].second != kEpsilon; s = parent[s].first)
          words.push_back(nfa.symbols[parent[s].second]);
        std::reverse(words.begin(), words.end());
        std::string phrase;
        for (const auto& w : words) phrase += (phrase.empty() ? "" : " ") + w;
        const Owner& a = owners[static_cast<std::size_t>(key.first)];
        const Owner& b = owners[static_cast<std::size_t>(key.second)];
        report.confusions.push_back({grammars[a.grammar].source_file, grammars[a.grammar].rules[a.rule].name,
                                     grammars[b.grammar].source_file, grammars[b.grammar].rules[b.rule].name,
                                     phrase});
      }
    std::map<std::uint32_t, std::vector<std::uint32_t>> moves;
    for (auto n : set)
      for (const auto& e : nfa.out[n])
        if (e.symbol != kEpsilon) moves[e.symbol].push_back(e.to);
    for (auto& [symbol, targets] : moves) add(Closure(nfa, std::move(targets)), static_cast<std::uint32_t>(at), symbol);
  }
  return report;
}

}  // namespace talvane::grisk
