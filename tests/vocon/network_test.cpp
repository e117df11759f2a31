// Linking compiled grammars into one network, the word automaton the decoder
// searches, and the parse that gives a word sequence back its tags.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <set>

#include "vocon/network.h"

namespace talvane::vocon {
namespace {

using bgm::Arc;
using bgm::ArcKind;

// A rule graph from a list of (from, to, kind, label, ignore).
bgm::Rule RuleOf(std::string name, std::uint32_t nodes, std::vector<Arc> arcs) {
  return bgm::Rule{std::move(name), nodes, std::move(arcs)};
}

bgm::Word W(std::string t, std::string p = "AH") { return {std::move(t), bgm::PronunciationSource::kDictionary, {p}}; }

// "Lists": <DIGIT> exported: (one -> tag "1" | two -> tag "2").
std::shared_ptr<const bgm::Grammar> Lists() {
  auto g = std::make_shared<bgm::Grammar>();
  g->name = "Lists";
  g->words = {W("one"), W("two")};
  g->tags = {"1", "2"};
  g->rules = {RuleOf("DIGIT", 4,
                     {{0, 2, ArcKind::kWord, false, 0}, {2, 1, ArcKind::kTag, false, 0},
                      {0, 3, ArcKind::kWord, false, 1}, {3, 1, ArcKind::kTag, false, 1}})};
  g->exports = {0};
  return g;
}

// "Commands": <SET> = !action("|7:") !ignore(set <DIGIT> <DIGIT>); <STOP> = stop (activatable).
std::shared_ptr<const bgm::Grammar> Commands() {
  auto g = std::make_shared<bgm::Grammar>();
  g->name = "Commands";
  g->words = {W("set"), W("stop")};
  g->tags = {"|7:"};
  g->imports = {"DIGIT"};
  // label 2 = the first import (two rules)
  g->rules = {RuleOf("SET", 5,
                     {{0, 2, ArcKind::kTag, false, 0}, {2, 3, ArcKind::kWord, true, 0},
                      {3, 4, ArcKind::kRule, true, 2}, {4, 1, ArcKind::kRule, true, 2}}),
              RuleOf("STOP", 2, {{0, 1, ArcKind::kWord, false, 1}})};
  g->starts = {0, 1};
  g->activatable = {1};
  return g;
}

std::vector<std::uint32_t> Ids(Network& n, std::initializer_list<const char*> words) {
  std::vector<std::uint32_t> out;
  for (auto w : words) out.push_back(*n.WordId(w));
  return out;
}

TEST(vocon_Network, LinksParsesAndCarriesIgnoreIntoReferences) {
  std::string error;
  auto net = Network::Link({Commands(), Lists()}, &error);
  ASSERT_TRUE(net) << error;
  ASSERT_EQ(net->Starts().size(), 2u);
  EXPECT_TRUE(net->Starts()[1].activatable);
  const std::vector<bool> all{true, true};
  auto p = net->Parse(Ids(*net, {"set", "two", "one"}), all);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->start_rule, 0u);
  const std::vector<ParsedEntry> want{{"|7:", false, true}, {"set", true, false}, {"two", true, false},
                                      {"2", false, true},   {"one", true, false}, {"1", false, true}};
  EXPECT_EQ(p->entries, want);  // words ignored through the reference, tags never
  EXPECT_EQ(net->AllTexts(Ids(*net, {"set", "two", "one"}), all), std::vector<std::string>{"|7: 2 1"});
  EXPECT_FALSE(net->Parse(Ids(*net, {"set", "two"}), all));

  // A switched-off start rule is neither searched nor parsed.
  const std::vector<bool> no_stop{true, false};
  EXPECT_TRUE(net->Parse(Ids(*net, {"stop"}), all));
  EXPECT_FALSE(net->Parse(Ids(*net, {"stop"}), no_stop));
  EXPECT_TRUE(net->Build(all).Accepts(Ids(*net, {"stop"})));
  EXPECT_FALSE(net->Build(no_stop).Accepts(Ids(*net, {"stop"})));
  EXPECT_TRUE(net->Build({false, false}).Empty());
}

TEST(vocon_Network, LinkRefusals) {
  std::string error;
  EXPECT_FALSE(Network::Link({Commands()}, &error));
  EXPECT_NE(error.find("imports <DIGIT>"), std::string::npos) << error;
  EXPECT_FALSE(Network::Link({Commands(), Lists(), Lists()}, &error));
  EXPECT_NE(error.find("exported by both"), std::string::npos) << error;
  // Two grammars whose rules reach each other.
  auto a = std::make_shared<bgm::Grammar>(*Lists());
  a->name = "A";
  a->imports = {"B"};
  a->rules[0].arcs.push_back({0, 1, ArcKind::kRule, false, 1});
  auto b = std::make_shared<bgm::Grammar>();
  b->name = "B";
  b->words = {W("x")};
  b->imports = {"DIGIT"};
  b->rules = {RuleOf("B", 2, {{0, 1, ArcKind::kRule, false, 1}})};
  b->exports = {0};
  EXPECT_FALSE(Network::Link({a, b}, &error));
  EXPECT_NE(error.find("reaches itself"), std::string::npos) << error;
}

TEST(vocon_Network, SamplesAreSentencesOfTheirRule) {
  auto net = Network::Link({Commands(), Lists()}, nullptr);
  std::mt19937 rng(3);
  for (int i = 0; i < 20; ++i) {
    const auto words = net->Sample(0, rng);
    EXPECT_EQ(words.size(), 3u);
    EXPECT_TRUE(net->Parse(words, {true, true}));
  }
}

}  // namespace
}  // namespace talvane::vocon
