// The word-automaton primitives: determinising and minimising keep the
// language, the breadth-first subset construction's bookkeeping, and the
// cycle check, each against brute force on random graphs.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <set>

#include "grisk/automaton.h"

namespace talvane::grisk {
namespace {

// A random acyclic graph: arcs only go forward.
std::vector<NfaArc> ForwardArcs(std::mt19937& rng, std::uint32_t n) {
  std::vector<NfaArc> arcs;
  for (std::uint32_t from = 0; from < n; ++from)
    for (int k = static_cast<int>(rng() % 4); k > 0; --k) {
      if (from + 1 >= n) break;
      const std::uint32_t to = from + 1 + rng() % (n - from - 1);
      arcs.push_back({from, to, rng() % 4 == 0 ? kEpsilonWord : static_cast<std::uint32_t>(rng() % 3)});
    }
  return arcs;
}

// Every word sequence of an acyclic automaton (with epsilons), by brute force.
std::set<std::vector<std::uint32_t>> Language(std::uint32_t n, const std::vector<NfaArc>& arcs,
                                              const std::vector<std::uint8_t>& final) {
  std::set<std::vector<std::uint32_t>> out;
  std::vector<std::uint32_t> path;
  std::function<void(std::uint32_t)> walk = [&](std::uint32_t s) {
    if (final[s]) out.insert(path);
    for (const auto& a : arcs) {
      if (a.from != s) continue;
      if (a.word != kEpsilonWord) path.push_back(a.word);
      walk(a.to);
      if (a.word != kEpsilonWord) path.pop_back();
    }
  };
  if (n) walk(0);
  return out;
}

std::set<std::vector<std::uint32_t>> Language(const WordDfa& d) {
  std::vector<NfaArc> arcs;
  for (std::uint32_t s = 0; s < d.StateCount(); ++s)
    for (auto k = d.first[s]; k < d.first[s + 1]; ++k) arcs.push_back({s, d.arcs[k].to, d.arcs[k].word});
  return Language(static_cast<std::uint32_t>(d.StateCount()), arcs, d.final);
}

TEST(grisk_Automaton, DeterminisedAndMinimisedAutomataKeepTheirLanguage) {
  std::mt19937 rng(7);
  for (int round = 0; round < 300; ++round) {
    const std::uint32_t n = 2 + rng() % 9;
    const std::vector<NfaArc> arcs = ForwardArcs(rng, n);
    std::vector<std::uint8_t> final(n, 0);
    for (auto& f : final) f = rng() % 3 == 0;
    const auto want = Language(n, arcs, final);
    const WordDfa d = Determinise(n, arcs, final);
    const WordDfa m = Minimise(d);
    EXPECT_EQ(Language(d), want) << round;
    EXPECT_EQ(Language(m), want) << round;
    EXPECT_LE(m.StateCount(), d.StateCount());
    for (std::uint32_t s = 0; s < m.StateCount(); ++s)  // deterministic: sorted, no word twice
      for (auto k = m.first[s] + 1; k < m.first[s + 1]; ++k) EXPECT_LT(m.arcs[k - 1].word, m.arcs[k].word);
  }
  // Two copies of one suffix become one.
  const std::vector<NfaArc> arcs{{0, 1, 0, }, {0, 2, 1}, {1, 3, 2}, {2, 4, 2}};
  const WordDfa m = Minimise(Determinise(5, arcs, {0, 0, 0, 1, 1}));
  EXPECT_EQ(m.StateCount(), 3u);
}

TEST(grisk_Automaton, SubsetConstructionFindsShortestWaysAndStopsWhenAsked) {
  std::mt19937 rng(11);
  for (int round = 0; round < 200; ++round) {
    const std::uint32_t n = 2 + rng() % 9;
    const auto arcs = ForwardArcs(rng, n);
    // Entered at two states at once: the language is that of both.
    std::vector<std::uint8_t> final(n, 0);
    final[n - 1] = 1;
    std::vector<NfaArc> joined = arcs;
    joined.push_back({n, 0, kEpsilonWord});
    joined.push_back({n, n / 2, kEpsilonWord});
    std::vector<std::uint8_t> joined_final = final;
    joined_final.push_back(0);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> found_by;
    std::vector<std::uint32_t> depth;
    const WordDfa d = Determinise(n, arcs, final, {0, n / 2}, &found_by,
                                  [&](std::uint32_t state, const std::vector<std::uint32_t>& set) {
                                    EXPECT_TRUE(std::is_sorted(set.begin(), set.end()));
                                    depth.push_back(state == 0 ? 0 : depth[found_by[state].first] + 1);
                                    return true;
                                  });
    EXPECT_EQ(d.final, Determinise(n + 1, joined, joined_final, {n}).final) << round;
    ASSERT_EQ(found_by.size(), d.StateCount());
    // Each state is reached by the way it was found by, and breadth first
    // means no state is found deeper than a later one.
    for (std::uint32_t s = 1; s < d.StateCount(); ++s) {
      EXPECT_EQ(d.Next(found_by[s].first, found_by[s].second), s);
      EXPECT_LE(depth[s - 1], depth[s]);
    }
    // Stopped after the start: every state found so far exists, only the
    // start has arcs.
    const WordDfa cut = Determinise(n, arcs, final, {0}, nullptr, [](std::uint32_t s, const auto&) { return s == 0; });
    for (std::uint32_t s = 1; s < cut.StateCount(); ++s) EXPECT_EQ(cut.first[s], cut.first[s + 1]);
  }
}

TEST(grisk_Automaton, CyclesAreFound) {
  std::mt19937 rng(5);
  for (int round = 0; round < 200; ++round) {
    const std::uint32_t n = 2 + rng() % 9;
    auto arcs = ForwardArcs(rng, n);
    EXPECT_TRUE(IsAcyclic(n, arcs));
    if (arcs.empty()) continue;
    const NfaArc a = arcs[rng() % arcs.size()];
    arcs.push_back({a.to, a.from, 0});  // back along an arc
    EXPECT_FALSE(IsAcyclic(n, arcs));
  }
  EXPECT_FALSE(IsAcyclic(1, std::vector<NfaArc>{{0, 0, 0}}));
}

}  // namespace
}  // namespace talvane::grisk
