#include "grisk/automaton.h"

#include <algorithm>
#include <unordered_map>

namespace talvane::grisk {

namespace {

struct VectorHash {
  std::size_t operator()(const std::vector<std::uint32_t>& v) const {
    std::uint64_t h = 1469598103934665603ull;
    for (auto x : v) h = (h ^ x) * 1099511628211ull;
    return static_cast<std::size_t>(h ^ (h >> 29));
  }
};

// One state, not final, no arcs.
WordDfa AcceptsNothing() {
  WordDfa out;
  out.first = {0, 0};
  out.final = {0};
  return out;
}

}  // namespace

bool WordDfa::Empty() const {
  for (std::size_t s = 0; s < final.size(); ++s)
    if (final[s]) return false;
  return true;
}

std::optional<std::uint32_t> WordDfa::Next(std::uint32_t state, std::uint32_t word) const {
  if (state + 1 >= first.size()) return std::nullopt;
  auto b = arcs.begin() + first[state], e = arcs.begin() + first[state + 1];
  auto it = std::lower_bound(b, e, word, [](const Arc& a, std::uint32_t w) { return a.word < w; });
  if (it == e || it->word != word) return std::nullopt;
  return it->to;
}

std::optional<std::uint32_t> WordDfa::Walk(std::span<const std::uint32_t> words) const {
  if (final.empty()) return std::nullopt;
  std::uint32_t s = 0;
  for (auto w : words) {
    auto n = Next(s, w);
    if (!n) return std::nullopt;
    s = *n;
  }
  return s;
}

void Splice(const WordDfa& dfa, std::uint32_t base, std::uint32_t entry, std::uint32_t exit,
            std::vector<NfaArc>& arcs) {
  arcs.push_back({entry, base, kEpsilonWord});
  for (std::uint32_t s = 0; s < dfa.StateCount(); ++s) {
    for (auto k = dfa.first[s]; k < dfa.first[s + 1]; ++k)
      arcs.push_back({base + s, base + dfa.arcs[k].to, dfa.arcs[k].word});
    if (dfa.final[s]) arcs.push_back({base + s, exit, kEpsilonWord});
  }
}

WordDfa Determinise(std::uint32_t state_count, const std::vector<NfaArc>& arcs, const std::vector<std::uint8_t>& final,
                    std::vector<std::uint32_t> starts, std::vector<std::pair<std::uint32_t, std::uint32_t>>* found_by,
                    const SubsetVisit& visit) {
  const ArcsBySource by(state_count, arcs);
  const auto& first = by.first;
  auto arc = [&](std::uint32_t k) -> const NfaArc& { return arcs[by.order[k]]; };
  std::vector<std::uint32_t> stamp(state_count, 0);
  std::uint32_t epoch = 0;
  std::vector<std::uint32_t> stack;
  auto closure = [&](std::vector<std::uint32_t>& set) {
    ++epoch;
    stack.clear();
    for (auto s : set) {
      if (stamp[s] != epoch) {
        stamp[s] = epoch;
        stack.push_back(s);
      }
    }
    set.clear();
    while (!stack.empty()) {
      const auto s = stack.back();
      stack.pop_back();
      set.push_back(s);
      for (auto k = first[s]; k < first[s + 1]; ++k) {
        const auto& a = arc(k);
        if (a.word == kEpsilonWord && stamp[a.to] != epoch) {
          stamp[a.to] = epoch;
          stack.push_back(a.to);
        }
      }
    }
    std::sort(set.begin(), set.end());
  };

  WordDfa out;
  if (state_count == 0) return AcceptsNothing();
  std::unordered_map<std::vector<std::uint32_t>, std::uint32_t, VectorHash> ids;
  std::vector<std::vector<std::uint32_t>> sets;
  std::vector<std::vector<WordDfa::Arc>> dfa_arcs;
  closure(starts);
  ids.emplace(starts, 0);
  sets.push_back(std::move(starts));
  if (found_by) found_by->assign(1, {kEpsilonWord, kEpsilonWord});
  std::vector<std::pair<std::uint32_t, std::uint32_t>> moves;  // (word, target)
  for (std::size_t d = 0; d < sets.size(); ++d) {
    if (visit && !visit(static_cast<std::uint32_t>(d), sets[d])) break;
    moves.clear();
    bool is_final = false;
    for (auto s : sets[d]) {
      is_final = is_final || (!final.empty() && final[s]);
      for (auto k = first[s]; k < first[s + 1]; ++k)
        if (arc(k).word != kEpsilonWord) moves.emplace_back(arc(k).word, arc(k).to);
    }
    std::sort(moves.begin(), moves.end());
    std::vector<WordDfa::Arc> these;
    for (std::size_t i = 0; i < moves.size();) {
      std::size_t j = i;
      std::vector<std::uint32_t> target;
      while (j < moves.size() && moves[j].first == moves[i].first) target.push_back(moves[j++].second);
      closure(target);
      auto [it, added] = ids.try_emplace(target, static_cast<std::uint32_t>(sets.size()));
      if (added) {
        sets.push_back(std::move(target));
        if (found_by) found_by->emplace_back(static_cast<std::uint32_t>(d), moves[i].first);
      }
      these.push_back({moves[i].first, it->second});
      i = j;
    }
    dfa_arcs.push_back(std::move(these));
    out.final.push_back(is_final ? 1 : 0);
    // The sets are only needed while their state is expanded.
    std::vector<std::uint32_t>().swap(sets[d]);
  }
  while (dfa_arcs.size() < sets.size()) {  // found, but stopped before expanded
    dfa_arcs.emplace_back();
    out.final.push_back(0);
  }
  out.first.assign(1, 0);
  for (auto& v : dfa_arcs) {
    out.arcs.insert(out.arcs.end(), v.begin(), v.end());
    out.first.push_back(static_cast<std::uint32_t>(out.arcs.size()));
  }
  return out;
}

WordDfa Minimise(const WordDfa& dfa) {
  const std::uint32_t n = static_cast<std::uint32_t>(dfa.StateCount());
  WordDfa out;
  if (n == 0) return AcceptsNothing();
  // Post-order from the start: successors before the states that lead to
  // them (the automaton is acyclic).
  constexpr std::uint32_t kDead = 0xFFFFFFFFu, kUnseen = 0xFFFFFFFEu;
  std::vector<std::uint32_t> cls(n, kUnseen);
  std::vector<std::pair<std::uint32_t, std::uint32_t>> stack{{0, dfa.first[0]}};
  std::unordered_map<std::vector<std::uint32_t>, std::uint32_t, VectorHash> classes;
  std::vector<std::vector<std::uint32_t>> signatures;
  cls[0] = kDead;  // in progress
  std::vector<std::uint32_t> sig;
  while (!stack.empty()) {
    auto& [s, k] = stack.back();
    if (k < dfa.first[s + 1]) {
      const auto to = dfa.arcs[k++].to;
      if (cls[to] == kUnseen) {
        cls[to] = kDead;
        stack.emplace_back(to, dfa.first[to]);
      }
      continue;
    }
    sig.clear();
    sig.push_back(dfa.final[s]);
    for (auto a = dfa.first[s]; a < dfa.first[s + 1]; ++a) {
      const auto c = cls[dfa.arcs[a].to];
      if (c == kDead) continue;
      sig.push_back(dfa.arcs[a].word);
      sig.push_back(c);
    }
    const std::uint32_t state = s;
    stack.pop_back();
    if (sig.size() == 1 && !dfa.final[state]) continue;  // leads nowhere: stays dead
    auto [it, added] = classes.try_emplace(sig, static_cast<std::uint32_t>(signatures.size()));
    if (added) signatures.push_back(sig);
    cls[state] = it->second;
  }
  if (cls[0] == kDead) return AcceptsNothing();
  // Number the classes breadth-first from the start's.
  std::vector<std::uint32_t> number(signatures.size(), kUnseen), order{cls[0]};
  number[cls[0]] = 0;
  for (std::size_t i = 0; i < order.size(); ++i) {
    const auto& sg = signatures[order[i]];
    for (std::size_t j = 1; j + 1 < sg.size(); j += 2)
      if (number[sg[j + 1]] == kUnseen) {
        number[sg[j + 1]] = static_cast<std::uint32_t>(order.size());
        order.push_back(sg[j + 1]);
      }
  }
  out.first.assign(1, 0);
  for (auto c : order) {
    const auto& sg = signatures[c];
    out.final.push_back(static_cast<std::uint8_t>(sg[0]));
    for (std::size_t j = 1; j + 1 < sg.size(); j += 2) out.arcs.push_back({sg[j], number[sg[j + 1]]});
    out.first.push_back(static_cast<std::uint32_t>(out.arcs.size()));
  }
  return out;
}

}  // namespace talvane::grisk
