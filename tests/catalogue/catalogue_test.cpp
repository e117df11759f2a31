#include <gtest/gtest.h>

#include "catalogue/catalogue_text.h"
#include "catalogue/command_catalogue.h"
#include "common/binary.h"
#include "support/raw_formats.h"
#include "support/test_support.h"

namespace talvane {
namespace {

using test::ReadFile;
using test::WriteFile;

using test::RawCommand;

std::string RawFile(const std::vector<RawCommand>& cmds) { return test::RawCommandList(cmds); }
std::vector<RawCommand> RandomCommands(std::mt19937& rng, int n) { return test::RandomRawCommands(rng, n); }

TEST(CommandList, EmptyCommandIs550Bytes) {
  CommandCatalogue c;
  c.CommandList.resize(1);
  c.CommandList[0].ruleName = "AP_MASTER_ON";
  const std::string bytes = SerializeCommandList(c);
  EXPECT_EQ(bytes.size(), 2u + 550u);
  EXPECT_EQ(bytes.substr(0, 2), std::string("\0\0", 2));
  EXPECT_EQ(bytes.substr(2 + 544, 6), std::string("\0\0\xFF\xFF\xFF\xFF", 6));
  EXPECT_EQ(bytes.substr(2 + 160, 12), "AP_MASTER_ON");
  EXPECT_EQ(ParseCommandList(bytes).CommandList, c.CommandList);
}

TEST(CommandList, RandomFilesRoundTripByteForByte) {
  std::mt19937 rng(1234);
  for (int round = 0; round < 40; ++round) {
    const std::string raw = RawFile(RandomCommands(rng, static_cast<int>(rng() % 30)));
    CommandCatalogue c = ParseCommandList(raw);
    ASSERT_EQ(SerializeCommandList(c), raw);
    // The readable form carries every byte too.
    CommandCatalogue again;
    AppendCatalogueText(again, CatalogueToText(c));
    ASSERT_EQ(SerializeCommandList(again), raw);
  }
}

TEST(CommandList, LongTextsAreCutAndShortOnesPadded) {
  CommandCatalogue c;
  CommandRecord r;
  r.category = std::string(40, 'c');
  r.grammars.emplace_back("gear down");
  r.readbacks.emplace_back(std::string(300, 'r'));
  c.CommandList.push_back(r);
  CommandCatalogue back = ParseCommandList(SerializeCommandList(c));
  EXPECT_EQ(back.CommandList[0].category.str(), std::string(32, 'c'));
  EXPECT_EQ(back.CommandList[0].grammars[0].str(), "gear down" + std::string(247, ' '));
  EXPECT_EQ(back.CommandList[0].readbacks[0].str(), std::string(256, 'r'));
}

TEST(CommandList, DamagedFilesAreRefused) {
  std::mt19937 rng(99);
  const std::string good = RawFile(RandomCommands(rng, 3));
  for (std::size_t cut : {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{100}, good.size() - 1})
    EXPECT_THROW(ParseCommandList(good.substr(0, cut)), FormatError) << cut;
  std::string negative = good;
  negative[0] = '\xFE';  // last index -2
  EXPECT_THROW(ParseCommandList(negative), FormatError);
  std::string huge = RawFile({{"c", "n", "r", "t", 1, {"p"}, {}}});
  huge[2 + 546] = '\xFF';
  huge[2 + 547] = '\x7F';  // 32767 phrases announced
  EXPECT_THROW(ParseCommandList(huge), FormatError);
  EXPECT_TRUE(ParseCommandList("\xFF\xFF").CommandList.empty());
}

class CatalogueFiles : public ::testing::Test {
 protected:
  test::ProgramFixture p;
  std::filesystem::path Dat() const { return p.folder / "Data/CommandList.dat"; }
  std::filesystem::path Bak() const { return p.folder / "Data/CommandList.bak"; }
};

TEST_F(CatalogueFiles, SaveKeepsOnlyTheStateBeforeTheLastSave) {
  CommandCatalogue c;
  c.CommandList.resize(1);
  c.CommandList[0].commandValue = 1;
  ASSERT_EQ(SaveCommandList(p.ctx, c), 0);
  EXPECT_FALSE(std::filesystem::exists(Bak()));
  const std::string first = ReadFile(Dat());
  c.CommandList[0].commandValue = 2;
  ASSERT_EQ(SaveCommandList(p.ctx, c), 0);
  c.CommandList[0].commandValue = 3;
  const std::string second = ReadFile(Dat());
  ASSERT_EQ(SaveCommandList(p.ctx, c), 0);
  EXPECT_EQ(ReadFile(Bak()), second);
  EXPECT_NE(ReadFile(Bak()), first);
  CommandCatalogue loaded;
  ASSERT_TRUE(LoadCommandList(p.ctx, loaded));
  EXPECT_EQ(loaded.CommandList[0].commandValue, 3);
  EXPECT_EQ(p.ui.splash.back(), "Loading Command List, standby...");
}

TEST_F(CatalogueFiles, LoadFailureIsReportedAndEndsTheProgram) {
  for (const std::string& content : {std::string(), std::string("\x05\x00garbage", 9)}) {
    test::ProgramFixture q;
    if (!content.empty()) WriteFile(q.folder / "Data/CommandList.dat", content);
    CommandCatalogue c;
    c.CommandList.resize(2);
    EXPECT_FALSE(LoadCommandList(q.ctx, c));
    ASSERT_EQ(q.ui.messages.size(), 1u);
    EXPECT_EQ(q.ui.messages[0].title, "Talvane Error");
    EXPECT_EQ(q.ui.messages[0].text,
              "There was an error in loading the CommandList.dat file.\r\rPlease contact Brevantix Support\r\rPlease "
              "press OK to continue...");
    EXPECT_EQ(q.ui.messages[0].icon, kIconError);
    EXPECT_TRUE(q.ui.exit_requested);
    EXPECT_EQ(c.CommandList.size(), 2u);  // what was loaded before stays
  }
}

TEST_F(CatalogueFiles, WriteFailureWarnsAndKeepsTheOldFile) {
  CommandCatalogue c;
  c.CommandList.resize(1);
  ASSERT_EQ(SaveCommandList(p.ctx, c), 0);
  const std::string before = ReadFile(Dat());
  c.CommandList.resize(50);
  {
    test::DiskLimit full(before.size() + 10);
    EXPECT_EQ(SaveCommandList(p.ctx, c), 1);
  }
  ASSERT_EQ(p.ui.messages.size(), 1u);
  EXPECT_EQ(p.ui.messages[0].text,
            "There was an error in writing out the CommandList.dat file.\r\rPlease contact Brevantix Support\r\rPlease "
            "press OK to continue...");
  EXPECT_EQ(p.ui.messages[0].icon, kIconWarning);
  EXPECT_EQ(ReadFile(Dat()), before);
  EXPECT_EQ(ReadFile(Bak()), before);
}

TEST(CatalogueText, ReadableFormIsParsedWithClearErrors) {
  CommandCatalogue c;
  AppendCatalogueText(c,
                      "[command]\ncategory = Autopilot\nname = Altitude\nrule = AP_ALT_SET\nvalue = 65\n"
                      "phrase = set altitude (to) <ALT>\nphrase = altitude <ALT> [feet|foot]\nreadback = Altitude [ALT]\n");
  ASSERT_EQ(c.CommandList.size(), 1u);
  EXPECT_EQ(c.CommandList[0].commandValue, 65);
  EXPECT_EQ(c.CommandList[0].grammars[1].trimmed(), "altitude <ALT> [feet|foot]");
  EXPECT_EQ(c.CommandList[0].lastReadback(), 0);
  EXPECT_THROW(AppendCatalogueText(c, "[command]\nvalue = 40000\n"), FormatError);
  EXPECT_THROW(AppendCatalogueText(c, "[command]\ncolour = red\n"), FormatError);
  EXPECT_THROW(AppendCatalogueText(c, "[step]\n"), FormatError);
}

}  // namespace
}  // namespace talvane
