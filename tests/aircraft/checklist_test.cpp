#include <gtest/gtest.h>

#include <algorithm>

#include "aircraft/assignments.h"
#include "aircraft/checklist.h"
#include "aircraft/checklist_text.h"
#include "common/binary.h"
#include "support/raw_formats.h"
#include "support/test_support.h"

namespace talvane {
namespace {

using test::ReadFile;
using test::WriteFile;

std::string RawChecklist(std::mt19937& rng) { return test::RandomRawChecklist(rng); }

EditedStep Fields(std::vector<EditedStep::Entry> entries) {
  EditedStep f;
  f.challenge = "  Parking brake  ";
  f.pronunciation = "Parking brake";
  f.responseText = "Set";
  f.validResponses = std::move(entries);
  return f;
}

TEST(ChecklistFile, SizesFollowTheLayout) {
  ChecklistSections empty;
  const std::string bytes = SerializeChecklist(empty);
  EXPECT_EQ(bytes, std::string(24, '\xFF'));
  ChecklistSections one;
  ChecklistStep step;
  step.responses = {StepResponse{"Ignore", kResponseIgnore}, StepResponse{"Skip", kResponseSkip}};
  one[3].steps.push_back(step);
  EXPECT_EQ(SerializeChecklist(one).size(), 930u);
  EXPECT_EQ(ParseChecklist(SerializeChecklist(one)), one);
}

TEST(ChecklistFile, RandomFilesRoundTripByteForByte) {
  std::mt19937 rng(42);
  for (int i = 0; i < 60; ++i) {
    const std::string raw = RawChecklist(rng);
    auto sections = ParseChecklist(raw);
    ASSERT_EQ(SerializeChecklist(sections), raw);
    ASSERT_EQ(SerializeChecklist(ChecklistFromText(ChecklistToText(sections))), raw);
  }
}

TEST(ChecklistFile, ShortOrInconsistentFilesAreRefused) {
  std::mt19937 rng(5);
  std::string raw;
  do raw = RawChecklist(rng);
  while (raw.size() < 2000);
  for (std::size_t cut : {std::size_t{0}, std::size_t{23}, std::size_t{24}, std::size_t{700}, raw.size() - 1})
    EXPECT_THROW(ParseChecklist(raw.substr(0, cut)), FormatError) << cut;
  std::string bad(24, '\xFF');
  bad[0] = '\xFE';
  EXPECT_THROW(ParseChecklist(bad), FormatError);
}

TEST(ChecklistEditing, StoreRebuildsResponsesInListOrder) {
  ChecklistModel m;
  m.ChecklistSection[2].steps = {NewChecklistStep(), NewChecklistStep()};
  m.CurrentSectionIndex = 2;
  m.CurrentStepIndex = 1;
  auto f = Fields({{"SET", 50002, false}, {"CHECKED", 50003, true}, {"On", 50004, true}});
  ASSERT_EQ(StoreEditedStep(m, f), 0);
  const auto& step = m.ChecklistSection[2].steps[1];
  EXPECT_EQ(step.challenge.trimmed(), "Parking brake");
  EXPECT_EQ(step.challenge.str().size(), 256u);
  ASSERT_EQ(step.lastResponse(), 3);
  EXPECT_EQ(step.responses[0], (StepResponse{"Ignore", 50000}));
  EXPECT_EQ(step.responses[1], (StepResponse{"Skip", 50001}));
  EXPECT_EQ(step.responses[2], (StepResponse{"CHECKED", 50003}));
  EXPECT_EQ(step.responses[3], (StepResponse{"On", 50004}));
  EXPECT_EQ(m.ChecklistSection[2].steps[0], NewChecklistStep());  // the other step is untouched

  m.CurrentSectionIndex = 5;  // an empty section: nothing stored, no error
  EXPECT_EQ(StoreEditedStep(m, f), 0);
  EXPECT_TRUE(m.ChecklistSection[5].steps.empty());
  m.CurrentSectionIndex = 2;
  m.CurrentStepIndex = 7;
  EXPECT_EQ(StoreEditedStep(m, f), 1);
}

class ChecklistFiles : public ::testing::Test {
 protected:
  test::ProgramFixture p;
};

TEST_F(ChecklistFiles, SaveReplacesTheWholeFile) {
  ChecklistModel m;
  m.CurrentChecklistName = "  Twin Jet  ";
  for (int i = 0; i < 5; ++i) m.ChecklistSection[0].steps.push_back(NewChecklistStep());
  ASSERT_EQ(SaveChecklistFile(p.ctx, m, Fields({})), 0);
  const auto file = p.folder / "Checklists/Twin Jet.dat";
  EXPECT_EQ(ReadFile(file).size(), 24u + (642u + 2u * 132u) + 4u * (642u + 3u * 132u));  // step 0 was stored
  m.ChecklistSection[0].steps.resize(1);
  m.CurrentStepIndex = 0;
  ASSERT_EQ(SaveChecklistFile(p.ctx, m, Fields({{"SET", 50002, true}})), 0);
  EXPECT_EQ(ReadFile(file).size(), 24u + 642u + 3u * 132u);  // no bytes of the longer file remain

  ChecklistModel loaded;
  LoadChecklistFile(p.ctx, loaded, "Twin Jet.dat");
  EXPECT_EQ(loaded.ChecklistSection, m.ChecklistSection);
  EXPECT_FALSE(std::filesystem::exists(p.folder / "Checklists/Twin Jet.bak"));
}

TEST_F(ChecklistFiles, NamesListEveryDatFileWithoutItsExtension) {
  WriteFile(p.folder / "Checklists/A.DAT", "");
  WriteFile(p.folder / "Checklists/Twin Jet.dat", "");
  WriteFile(p.folder / "Checklists/notes.txt", "");
  std::filesystem::create_directories(p.folder / "Checklists/folder.dat");
  ChecklistModel m;
  m.ChecklistNames = {"stale"};
  LoadChecklistNames(p.ctx, m);
  std::sort(m.ChecklistNames.begin(), m.ChecklistNames.end());
  EXPECT_EQ(m.ChecklistNames, (std::vector<std::string>{"A", "Twin Jet"}));
  EXPECT_EQ(p.ui.splash.back(), "Loading Checklist Files, standby...");
  // A.DAT is found again under the name the list gives it.
  WriteFile(p.folder / "Checklists/A.DAT", std::string(24, '\xFF'));
  EXPECT_NO_THROW(LoadChecklistFile(p.ctx, m, "A.dat"));
}

TEST_F(ChecklistFiles, BadFilesAndNamesRaiseAndKeepTheModel) {
  ChecklistModel m;
  m.ChecklistSection[1].steps.push_back(NewChecklistStep());
  const auto before = m.ChecklistSection;
  WriteFile(p.folder / "Checklists/Short.dat", std::string(30, '\0'));
  WriteFile(p.folder / "secret.dat", std::string(24, '\xFF'));
  EXPECT_THROW(LoadChecklistFile(p.ctx, m, "Missing.dat"), ChecklistFileError);
  EXPECT_THROW(LoadChecklistFile(p.ctx, m, "Short.dat"), ChecklistFileError);
  EXPECT_THROW(LoadChecklistFile(p.ctx, m, "../secret.dat"), ChecklistFileError);
  EXPECT_EQ(m.ChecklistSection, before);
  EXPECT_EQ(WriteChecklistFile(p.ctx, before, "../escape"), 1);
  EXPECT_FALSE(std::filesystem::exists(p.folder / "escape.dat"));
}

TEST(ChecklistText, SectionsByNameOrIndex) {
  auto s = ChecklistFromText(
      "[section runup]\n[step]\nchallenge = Mags\nresponse = 50000 Ignore\nresponse = 50001 Skip\n"
      "response = 50010 \" both \"\n[section 11]\n[step]\nchallenge = Master\n");
  ASSERT_EQ(s[3].steps.size(), 1u);
  EXPECT_EQ(s[3].steps[0].responses[2].response.trimmed(), "both");
  EXPECT_EQ(s[3].steps[0].responses[2].functionNumber, 50010);
  EXPECT_EQ(s[11].steps.size(), 1u);
  EXPECT_THROW(ChecklistFromText("[section Taxi]\n"), FormatError);
  EXPECT_THROW(ChecklistFromText("[step]\nchallenge = x\n"), FormatError);
  EXPECT_THROW(ChecklistFromText("[section 0]\n[step]\nresponse = SET\n"), FormatError);
}

TEST(AssignmentsFile, LayoutAndLimits) {
  AssignmentList a;
  a.records.push_back({"Cessna Skyhawk 172SP Paint1", "Light Single Piston", 1});
  const std::string bytes = SerializeAssignments(a);
  ASSERT_EQ(bytes.size(), 516u);
  EXPECT_EQ(bytes.substr(0, 2), std::string("\0\0", 2));
  EXPECT_EQ(bytes.substr(514, 2), std::string("\1\0", 2));
  EXPECT_EQ(ParseAssignments(bytes).records, a.records);
  EXPECT_TRUE(ParseAssignments("\xFF\xFF").records.empty());
  EXPECT_EQ(SerializeAssignments(AssignmentList{}), "\xFF\xFF");
  EXPECT_THROW(ParseAssignments(bytes.substr(0, 515)), FormatError);
  EXPECT_THROW(ParseAssignments(""), FormatError);
  AssignmentList longer;
  longer.records.push_back({std::string(300, 't'), "", 0});
  EXPECT_EQ(ParseAssignments(SerializeAssignments(longer)).records[0].aircraftTitle.str(), std::string(256, 't'));
}

TEST(AssignmentsFile, SaveRotatesTheBackupAndReportsFailures) {
  test::ProgramFixture p;
  AssignmentList a;
  a.records.push_back({"A", "", 0});
  ASSERT_EQ(SaveChecklistAssignments(p.ctx, a), 0);
  const std::string first = ReadFile(p.folder / "Data/Checklist_Assignments.dat");
  a.records.push_back({"B", "Twin Jet", 1});
  ASSERT_EQ(SaveChecklistAssignments(p.ctx, a), 0);
  EXPECT_EQ(ReadFile(p.folder / "Data/Checklist_Assignments.bak"), first);
  AssignmentList loaded;
  ASSERT_TRUE(LoadChecklistAssignments(p.ctx, loaded));
  EXPECT_EQ(loaded.records, a.records);

  std::filesystem::remove_all(p.folder / "Data");
  EXPECT_EQ(SaveChecklistAssignments(p.ctx, a), 1);
  ASSERT_EQ(p.ui.messages.size(), 1u);
  EXPECT_EQ(p.ui.messages[0].title, "Talvane Error");
  EXPECT_EQ(p.ui.messages[0].text,
            "There was an error in writing out the Checklist_Assignments.dat file.\r\rPlease contact Brevantix "
            "Support\r\rPlease press OK to continue...");
  EXPECT_FALSE(LoadChecklistAssignments(p.ctx, loaded));
  EXPECT_TRUE(p.ui.exit_requested);
  EXPECT_EQ(loaded.records, a.records);
}

}  // namespace
}  // namespace talvane
