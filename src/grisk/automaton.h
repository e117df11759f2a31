// Word automata over rule graphs: the primitives that the .bgm reader's
// cycle check, the compiler's confusability search and the recogniser's
// network share. Words are numbers; kEpsilonWord moves without speech.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace talvane::grisk {

inline constexpr std::uint32_t kEpsilonWord = 0xFFFFFFFFu;

struct NfaArc {
  std::uint32_t from, to, word;
};

// The arcs of a graph grouped by the node they leave: node n's arcs are
// arcs[order[k]] for k from first[n] to first[n + 1] - 1, in list order.
// `Arc` is any record with `from` (below `nodes`).
struct ArcsBySource {
  std::vector<std::uint32_t> first, order;

  template <class Arc>
  ArcsBySource(std::uint32_t nodes, const std::vector<Arc>& arcs) : first(nodes + 1, 0), order(arcs.size()) {
    for (const auto& a : arcs) ++first[a.from + 1];
    for (std::uint32_t i = 0; i < nodes; ++i) first[i + 1] += first[i];
    std::vector<std::uint32_t> fill(first.begin(), first.end() - 1);
    for (std::uint32_t i = 0; i < arcs.size(); ++i) order[fill[arcs[i].from]++] = i;
  }
};

// True when the arcs (records with `from` and `to` below `nodes`) form no
// cycle (Kahn's algorithm).
template <class Arc>
bool IsAcyclic(std::uint32_t nodes, const std::vector<Arc>& arcs) {
  const ArcsBySource by(nodes, arcs);
  std::vector<std::uint32_t> indegree(nodes, 0), ready;
  for (const auto& a : arcs) ++indegree[a.to];
  for (std::uint32_t i = 0; i < nodes; ++i)
    if (indegree[i] == 0) ready.push_back(i);
  std::uint32_t seen = 0;
  while (!ready.empty()) {
    const std::uint32_t n = ready.back();
    ready.pop_back();
    ++seen;
    for (auto k = by.first[n]; k < by.first[n + 1]; ++k)
      if (--indegree[arcs[by.order[k]].to] == 0) ready.push_back(arcs[by.order[k]].to);
  }
  return seen == nodes;
}

// An acyclic deterministic word automaton; state 0 is the start.
struct WordDfa {
  struct Arc {
    std::uint32_t word;
    std::uint32_t to;
  };
  std::vector<std::uint32_t> first;  // arcs of state s: arcs[first[s]] .. arcs[first[s + 1]], sorted by word
  std::vector<Arc> arcs;
  std::vector<std::uint8_t> final;

  std::size_t StateCount() const { return final.size(); }
  bool Empty() const;  // accepts nothing
  // The state reached from `state` by `word`, or nullopt.
  std::optional<std::uint32_t> Next(std::uint32_t state, std::uint32_t word) const;
  // The state after the whole sequence from the start, or nullopt.
  std::optional<std::uint32_t> Walk(std::span<const std::uint32_t> words) const;
  bool Accepts(std::span<const std::uint32_t> words) const {
    auto s = Walk(words);
    return s && final[*s];
  }
};

// Adds `dfa` to an automaton under construction as states base ..
// base + StateCount() - 1: entered from `entry` and, from each of its final
// states, left to `exit`, both without a word.
void Splice(const WordDfa& dfa, std::uint32_t base, std::uint32_t entry, std::uint32_t exit,
            std::vector<NfaArc>& arcs);

// Subset construction over states 0..state_count-1 entered at `starts`
// (`final` may be empty: nothing is final). The states of the result are
// numbered breadth first, in the order they are found, each state's words
// tried in ascending order, so the first way found to a state is a shortest
// one; `found_by` (if given) receives, per state, the (state, word) it was
// first reached by ((kEpsilonWord, kEpsilonWord) for the start). `visit`
// (if given) sees each state's sorted set of automaton states before its
// moves are made, and stops the construction by returning false; states
// not yet expanded then have no arcs.
using SubsetVisit = std::function<bool(std::uint32_t state, const std::vector<std::uint32_t>& set)>;
WordDfa Determinise(std::uint32_t state_count, const std::vector<NfaArc>& arcs, const std::vector<std::uint8_t>& final,
                    std::vector<std::uint32_t> starts = {0},
                    std::vector<std::pair<std::uint32_t, std::uint32_t>>* found_by = nullptr,
                    const SubsetVisit& visit = {});

// The minimal automaton of the same language (the input must be acyclic).
WordDfa Minimise(const WordDfa& dfa);

}  // namespace talvane::grisk
