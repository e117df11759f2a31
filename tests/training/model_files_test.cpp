// The packaged model's 8-bit mixture weights, expanded for the training
// tools: read from the real model where it is installed.
#include <gtest/gtest.h>

#include <cmath>
#include <unistd.h>

#include "common/binary.h"
#include "common/files.h"
#include "support/test_support.h"
#include "training/model_files.h"

namespace talvane::training {
namespace {

const fs::path kModel = "/usr/share/pocketsphinx/model/en-us/en-us";

std::string DumpImage(std::uint32_t features, std::uint32_t codewords, std::uint32_t senones,
                      const std::vector<std::uint8_t>& values) {
  ByteWriter w;
  for (const std::string& s : {std::string("BEGIN FILE FORMAT DESCRIPTION"), std::string("cluster_count 0"),
                              "feature_count " + std::to_string(features)}) {
    w.U32(static_cast<std::uint32_t>(s.size() + 1));
    w.Bytes(s);
    w.U8(0);
  }
  w.U32(0);
  w.U32(codewords);
  w.U32(senones);
  for (auto v : values) w.U8(v);
  return w.take();
}

TEST(Sendump, ReadsHeaderCountsAndValuesInTheirOrder) {
  std::vector<std::uint8_t> values;
  for (int i = 0; i < 2 * 3 * 4; ++i) values.push_back(static_cast<std::uint8_t>(i));
  std::string e;
  auto d = ParseSendump(DumpImage(2, 3, 4, values), &e);
  ASSERT_TRUE(d) << e;
  EXPECT_EQ(d->features, 2u);
  EXPECT_EQ(d->codewords, 3u);
  EXPECT_EQ(d->senones, 4u);
  EXPECT_EQ(d->At(0, 0, 3), 3);
  EXPECT_EQ(d->At(1, 2, 1), 1 * 12 + 2 * 4 + 1);
}

TEST(Sendump, RefusesDamagedImages) {
  const std::string good = DumpImage(1, 2, 2, {1, 2, 3, 4});
  std::string e;
  ASSERT_TRUE(ParseSendump(good, &e));
  for (std::size_t cut : {std::size_t{0}, std::size_t{3}, std::size_t{20}, good.size() - 1}) {
    EXPECT_FALSE(ParseSendump(good.substr(0, cut), &e)) << cut;
    EXPECT_FALSE(e.empty());
  }
  EXPECT_FALSE(ParseSendump(good + "x", &e));  // values beyond the counts
  EXPECT_FALSE(ParseSendump(DumpImage(1, 0, 2, {}), &e));
  EXPECT_FALSE(ParseSendump(DumpImage(99, 1, 1, {1}), &e));
  // A header string that claims more bytes than there are.
  std::string huge = good;
  huge[0] = '\xff';
  huge[1] = '\xff';
  EXPECT_FALSE(ParseSendump(huge, &e));
}

TEST(Sendump, EachWeightStoresAsTheValueItCameFrom) {
  // -log base 1.0001, shifted right by 10 bits: what the tools store.
  for (int v = 0; v < 255; ++v) {
    const double w = WeightOfSendumpValue(static_cast<std::uint8_t>(v));
    const long log_units = std::lround(-std::log(w) / std::log(1.0001));
    EXPECT_EQ(log_units >> 10, v) << v;
  }
  EXPECT_GT(WeightOfSendumpValue(0), WeightOfSendumpValue(1));
}

TEST(MixtureWeights, ChecksumIsTheOneTheModelFilesCarry) {
  // The packaged transition matrices end with the checksum of every word
  // after their byte-order mark.
  const auto image = ReadWholeFile(kModel / "transition_matrices");
  if (!image) GTEST_SKIP() << "no acoustic model installed";
  const auto body = image->find("endhdr\n") + 7 + 4;
  std::vector<std::uint32_t> words;
  for (std::size_t at = body; at + 4 < image->size(); at += 4) words.push_back(LoadU32(image->data() + at));
  EXPECT_EQ(ParameterChecksum(words), LoadU32(image->data() + image->size() - 4));
}

TEST(MixtureWeights, ExpandedModelConvertsBackToTheSameBytes) {
  const auto dump_image = ReadWholeFile(kModel / "sendump");
  if (!dump_image || ::access("/usr/lib/sphinxtrain/mk_s2sendump", X_OK) != 0 ||
      ::access("/usr/bin/pocketsphinx_mdef_convert", X_OK) != 0)
    GTEST_SKIP() << "the model or the training tools are not installed";
  std::string e;
  auto d = ParseSendump(*dump_image, &e);
  ASSERT_TRUE(d) << e;
  EXPECT_EQ(d->features, 3u);
  test::TempFolder tmp;
  test::WriteFile(tmp / "mixture_weights", MixtureWeightsImage(*d));
  const std::string cmd = "pocketsphinx_mdef_convert -text " + (kModel / "mdef").string() + " " +
                          (tmp / "mdef.txt").string() + " >/dev/null 2>&1 && /usr/lib/sphinxtrain/mk_s2sendump " +
                          "-pocketsphinx yes -moddeffn " + (tmp / "mdef.txt").string() + " -mixwfn " +
                          (tmp / "mixture_weights").string() + " -sendumpfn " + (tmp / "sendump").string() +
                          " -mwfloor 1e-8 >/dev/null 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  EXPECT_TRUE(test::ReadFile(tmp / "sendump") == *dump_image);
}

}  // namespace
}  // namespace talvane::training
