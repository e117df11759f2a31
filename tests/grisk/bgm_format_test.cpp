// The compiled-grammar file: random round trips, and refusal of damaged or
// inconsistent images.
#include <gtest/gtest.h>

#include <random>

#include "grisk/bgm_format.h"
#include "grisk/language_model.h"

namespace talvane::bgm {
namespace {

std::string RandomText(std::mt19937& rng, std::size_t max) {
  static const char* pieces[] = {"a", "Z", "0", " ", "_", "\xC3\xA9", "|", ":", "\xE2\x82\xAC"};
  std::string s;
  const std::size_t n = 1 + rng() % max;
  for (std::size_t i = 0; i < n; ++i) s += pieces[rng() % 9];
  return s;
}

// A random grammar that satisfies every rule the reader checks.
Grammar RandomGrammar(std::mt19937& rng) {
  Grammar g;
  g.name = RandomText(rng, 8);
  g.source_file = RandomText(rng, 8) + ".bnf";
  g.phone_set = "AA B";
  for (std::size_t i = rng() % 5; i > 0; --i) g.imports.push_back(RandomText(rng, 6));
  for (std::size_t i = rng() % 6; i > 0; --i) {
    Word w{RandomText(rng, 6), static_cast<PronunciationSource>(rng() % 3), {}};
    for (std::size_t p = 1 + rng() % 3; p > 0; --p) w.pronunciations.push_back("AA B");
    g.words.push_back(w);
  }
  for (std::size_t i = rng() % 4; i > 0; --i) g.tags.push_back(RandomText(rng, 5));
  const std::size_t rules = 1 + rng() % 4;
  for (std::size_t r = 0; r < rules; ++r) {
    Rule rule{RandomText(rng, 6), static_cast<std::uint32_t>(2 + rng() % 6), {}};
    for (std::size_t a = rng() % 10; a > 0; --a) {
      // Arcs only go from a lower to a higher numbered node (1 before all
      // others but 0), so there is no cycle.
      std::uint32_t x = static_cast<std::uint32_t>(rng() % rule.node_count),
                    y = static_cast<std::uint32_t>(rng() % rule.node_count);
      auto rank = [](std::uint32_t n) { return n == 0 ? 0u : n == 1 ? 1000u : n; };
      if (rank(x) == rank(y)) continue;
      if (rank(x) > rank(y)) std::swap(x, y);
      Arc arc{x, y, ArcKind::kEpsilon, false, 0};
      const int kind = static_cast<int>(rng() % 4);
      if (kind == 1 && !g.words.empty()) arc = {x, y, ArcKind::kWord, rng() % 2 == 0, static_cast<std::uint32_t>(rng() % g.words.size())};
      if (kind == 2 && !g.tags.empty()) arc = {x, y, ArcKind::kTag, false, static_cast<std::uint32_t>(rng() % g.tags.size())};
      if (kind == 3) arc = {x, y, ArcKind::kRule, rng() % 2 == 0, static_cast<std::uint32_t>(rng() % (rules + g.imports.size()))};
      rule.arcs.push_back(arc);
    }
    g.rules.push_back(rule);
  }
  for (std::uint32_t r = 0; r < rules; ++r) {
    if (rng() % 2) g.exports.push_back(r);
    if (rng() % 2) {
      g.starts.push_back(r);
      if (rng() % 2) g.activatable.push_back(r);
    }
  }
  return g;
}

TEST(grisk_BgmFormat, RandomRoundTrips) {
  std::mt19937 rng(1234);
  for (int i = 0; i < 500; ++i) {
    const Grammar g = RandomGrammar(rng);
    const std::string image = Write(g);
    auto r = Read(image);
    ASSERT_TRUE(r.grammar) << r.error;
    EXPECT_EQ(*r.grammar, g);
    EXPECT_EQ(Write(*r.grammar), image);
    // The header the recogniser reads before it knows the image's length.
    const auto h = ReadHeader(image);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->body_size, image.size() - kHeaderSize);
    EXPECT_EQ(h->crc, Crc32(image.substr(kHeaderSize)));
  }
  EXPECT_FALSE(ReadHeader(Write(RandomGrammar(rng)).substr(0, kHeaderSize - 1)));
}

TEST(grisk_BgmFormat, DamagedImagesAreRefused) {
  std::mt19937 rng(99);
  const std::string image = Write(RandomGrammar(rng));
  EXPECT_NE(Read(image.substr(0, image.size() - 1)).error, "");
  EXPECT_NE(Read(image + "x").error, "");
  EXPECT_NE(Read("").error, "");
  for (std::size_t at = 0; at < image.size(); ++at) {
    if (at == 10 || at == 11) continue;  // the minor version: any is read
    std::string bad = image;
    bad[at] = static_cast<char>(bad[at] ^ 0x41);
    EXPECT_FALSE(Read(bad).grammar) << "byte " << at;
  }
  std::string newer = image;
  newer[8] = 2;  // major version 2
  EXPECT_NE(Read(newer).error.find("version 2"), std::string::npos);
  std::string minor = image;
  minor[10] = 7;  // a later minor version of the same major one is read
  EXPECT_TRUE(Read(minor).grammar);
}

// Images with a correct checksum whose content does not hold together.
TEST(grisk_BgmFormat, InconsistentContentIsRefused) {
  Grammar g;
  g.name = "G";
  g.source_file = "G.bnf";
  g.words = {{"up", PronunciationSource::kDictionary, {"AH P"}}};
  g.rules = {{"A", 3, {{0, 2, ArcKind::kWord, false, 0}, {2, 1, ArcKind::kEpsilon, false, 0}}}};
  g.starts = {0};
  ASSERT_TRUE(Read(Write(g)).grammar);

  auto refused = [](Grammar bad, const char* why) {
    auto r = Read(Write(bad));
    EXPECT_FALSE(r.grammar) << why;
    EXPECT_NE(r.error.find(why), std::string::npos) << r.error;
  };
  Grammar bad = g;
  bad.rules[0].arcs[0].label = 1;
  refused(bad, "label out of range");
  bad = g;
  bad.rules[0].arcs[1].to = 3;
  refused(bad, "node out of range");
  bad = g;
  bad.rules[0].arcs.push_back({2, 0, ArcKind::kEpsilon, false, 0});
  refused(bad, "cycle");
  bad = g;
  bad.rules[0].arcs[1].ignore = true;
  refused(bad, "ignore flag");
  bad = g;
  bad.activatable = {0};
  bad.starts.clear();
  refused(bad, "not a start rule");
  bad = g;
  bad.words[0].pronunciations.clear();
  refused(bad, "without text or pronunciation");
  bad = g;
  bad.tags = {""};
  refused(bad, "empty tag");
}

TEST(grisk_LanguageModelManifest, ShippedManifestAndErrors) {
  std::string error;
  auto m = ReadLanguageModel(std::filesystem::path(TALVANE_SOURCE_DIR) / "data" / kManifestName, &error);
  ASSERT_TRUE(m) << error;
  const LanguageModel d = DefaultLanguageModel();
  EXPECT_EQ(m->dictionary, d.dictionary);
  EXPECT_EQ(m->acoustic_model, d.acoustic_model);
  EXPECT_EQ(m->phone_set, d.phone_set);
  EXPECT_EQ(m->phone_set.size(), 39u);
  EXPECT_FALSE(m->decoder.empty());

  auto rel = ParseLanguageModel("format = talvane-language-model 1\nacoustic_model = am\ndictionary = d.dict\n"
                                "phone_set = A B\n",
                                "/models", &error);
  ASSERT_TRUE(rel) << error;
  EXPECT_EQ(rel->dictionary, std::filesystem::path("/models/d.dict"));
  EXPECT_FALSE(ParseLanguageModel("acoustic_model = am\n", "/", &error));
  EXPECT_FALSE(ParseLanguageModel("format = talvane-language-model 1\nbogus = 1\n", "/", &error));
  EXPECT_EQ(error, "line 2: unknown key \"bogus\"");
}

}  // namespace
}  // namespace talvane::bgm
