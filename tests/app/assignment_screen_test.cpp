// The assignment screen driven as its controls and buttons drive it, over
// installed aircraft in a simulator folder.
#include <algorithm>

#include "aircraft_discovery/sim_tree.h"
#include "common/text.h"
#include "shell_fixture.h"

namespace talvane::test {
namespace {

constexpr const char* kOriginalPage = "ORIGINAL C172 CHECKLIST\r\n";

// Installed: Cessna C172 "Blue" and "Red" (one folder, one kneeboard page,
// a thumbnail spelt in capitals) and Piper PA-28 "Std" (no thumbnail).
class AssignmentScreenTest : public ShellTest {
 protected:
  AssignmentScreenTest() {
    const fs::path planes = fsx / "SimObjects" / "Airplanes";
    const std::string page = "sim=model\r\nkb_checklists=C172_Check\r\n";
    fs::create_directories(planes / "Cessna_C172" / "Texture");
    WriteFile(planes / "Cessna_C172" / "aircraft.cfg",
              Fltsim(0, "C172 Red", "Cessna", "C172", "Red", page) + Fltsim(1, "C172 Blue", "Cessna", "C172", "Blue", page));
    WriteFile(planes / "Cessna_C172" / "model.air", "air");
    WriteFile(planes / "Cessna_C172" / "C172_Check.htm", kOriginalPage);
    WriteFile(planes / "Cessna_C172" / "Texture" / "THUMBNAIL.JPG", "jpeg");
    fs::create_directories(planes / "Piper");
    WriteFile(planes / "Piper" / "aircraft.cfg", Fltsim(0, "Cherokee", "Piper", "PA-28", "Std"));
    WriteFile(planes / "Piper" / "model.air", "air");
    EXPECT_TRUE(p.Load(kAircraftData));
    screen.Load();
    ClickHome("checklist_assignments");
  }

  const AssignmentRecord& Record(const std::string& title) {
    for (const auto& r : p.assignments.records)
      if (r.aircraftTitle.trimmed() == title) return r;
    throw std::runtime_error("no record for " + title);
  }
  int Image(const std::string& key) {
    for (const auto& n : screen.Nodes)
      if (n.key == key) return n.image;
    return 0;
  }
  int ListPosition(const std::string& name) {
    for (std::size_t i = 0; i < screen.Checklists.size(); ++i)
      if (screen.Checklists[i].text == name) return static_cast<int>(i);
    return -1;
  }
  SkinnedButton& AssignButton() { return *shell.buttons.Find(Form::frm_Assign, "btn_Assign"); }
  void AssignTo(const char* key, const std::string& checklist, bool written) {
    screen.ClickNode(key);
    screen.TreeSelectionChanged();
    screen.ClickChecklist(ListPosition(checklist));
    screen.Written = written;
    shell.dispatch.Release(AssignButton());
  }
  fs::path Page() { return fsx / "SimObjects" / "Airplanes" / "Cessna_C172" / "C172_Check.htm"; }

  AssignmentScreen& screen = shell.assignment_screen;
  static constexpr const char* kBlue = "KEY_1001001";
  static constexpr const char* kRed = "KEY_1001002";
  static constexpr const char* kChecklist = "Light Single Piston";
};

TEST(AssignmentTreeImages, ParentsShowTheMixOfTheirVariations) {
  EXPECT_EQ(MixedTreeImage({}), 1);
  EXPECT_EQ(MixedTreeImage({1, 1}), 1);
  EXPECT_EQ(MixedTreeImage({2, 2}), 2);
  EXPECT_EQ(MixedTreeImage({1, 2}), 3);
  EXPECT_EQ(MixedTreeImage({4}), 4);
  EXPECT_EQ(MixedTreeImage({4, 2, 2}), 5);
  EXPECT_EQ(MixedTreeImage({4, 1}), 6);
  EXPECT_EQ(MixedTreeImage({2, 1, 4}), 7);
}

TEST_F(AssignmentScreenTest, TreeNodesCarryTheirKeysInTreeOrder) {
  std::vector<std::string> keys, parents, texts;
  for (const auto& n : screen.Nodes) {
    keys.push_back(n.key);
    parents.push_back(n.parentKey);
    texts.push_back(n.text);
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"KEY_1000000", "KEY_1001000", kBlue, kRed, "KEY_2000000", "KEY_2001000",
                                            "KEY_2001001"}));
  EXPECT_EQ(parents, (std::vector<std::string>{"", "KEY_1000000", "KEY_1001000", "KEY_1001000", "", "KEY_2000000",
                                               "KEY_2001000"}));
  EXPECT_EQ(texts, (std::vector<std::string>{"Cessna", "C172", "Blue", "Red", "Piper", "PA-28", "Std"}));
  for (const auto& n : screen.Nodes) EXPECT_EQ(n.image, 1) << n.key;

  ASSERT_FALSE(screen.Checklists.empty());
  EXPECT_EQ(screen.Checklists[0].text, kRestoreDefault);
  EXPECT_EQ(screen.Checklists[0].data, -1);
  EXPECT_EQ(screen.Checklists.size(), p.checklists.ChecklistNames.size() + 1);
  const int light = ListPosition(kChecklist);
  ASSERT_GT(light, 0);
  EXPECT_EQ(p.checklists.ChecklistNames[static_cast<std::size_t>(screen.Checklists[static_cast<std::size_t>(light)].data)],
            kChecklist);
  EXPECT_EQ(screen.SelectedChecklist, 0);
  EXPECT_TRUE(AssignButton().disabled());
}

TEST_F(AssignmentScreenTest, ClickingAnAircraftShowsItsNamesChecklistAndThumbnail) {
  AssignmentRecord& red = p.assignments.records[static_cast<std::size_t>(p.aircraft.Variation(0, 0, 1)->assignmentIndex)];
  red.checklistName = " light single PISTON ";
  screen.ClickNode(kRed);
  EXPECT_EQ(screen.selection, (TreeSelection{0, 0, 1}));
  EXPECT_EQ(screen.ManufacturerLabel, "Cessna");
  EXPECT_EQ(screen.TypeLabel, "C172");
  EXPECT_EQ(screen.VariationLabel, "Red");
  EXPECT_EQ(screen.ChecklistLabel, "light single PISTON");
  EXPECT_EQ(screen.SelectedChecklist, ListPosition(kChecklist));  // matched without regard to case
  EXPECT_EQ(fs::path(screen.Thumbnail).filename(), "THUMBNAIL.JPG");

  // No checklist and no thumbnail: nothing selected, the picture cleared.
  screen.ClickNode("KEY_2001001");
  EXPECT_EQ(screen.ChecklistLabel, "");
  EXPECT_EQ(screen.SelectedChecklist, -1);
  EXPECT_EQ(screen.Thumbnail, "");
}

TEST_F(AssignmentScreenTest, AssignIsEnabledOnlyForAVariation) {
  screen.ClickNode("KEY_1000000");
  screen.TreeSelectionChanged();
  screen.ClickChecklist(ListPosition(kChecklist));
  EXPECT_TRUE(AssignButton().disabled());
  shell.dispatch.Release(AssignButton());
  EXPECT_TRUE(Record("C172 Red").checklistName.trimmed().empty());

  screen.ClickNode(kRed);
  screen.TreeSelectionChanged();
  EXPECT_TRUE(AssignButton().disabled());
  screen.ClickChecklist(ListPosition(kChecklist));
  EXPECT_FALSE(AssignButton().disabled());
}

TEST_F(AssignmentScreenTest, AssignWithoutWritingChangesTheNameOnly) {
  AssignTo(kRed, kChecklist, false);
  EXPECT_EQ(Record("C172 Red").checklistName.trimmed(), kChecklist);
  EXPECT_EQ(Record("C172 Red").writeToKneeboard, 0);
  EXPECT_EQ(ReadFile(Page()), kOriginalPage);
  EXPECT_EQ(screen.ChecklistLabel, kChecklist);
  EXPECT_EQ(Image(kRed), 2);
  EXPECT_EQ(Image(kBlue), 1);
  EXPECT_EQ(Image("KEY_1001000"), 3);
  EXPECT_EQ(Image("KEY_1000000"), 3);
  EXPECT_EQ(Image("KEY_2000000"), 1);
  EXPECT_FALSE(Bar(1).disabled());
}

TEST_F(AssignmentScreenTest, SharedPageIsMarkedAndRestoredForBothVariations) {
  AssignTo(kRed, kChecklist, true);
  EXPECT_NE(ReadFile(Page()), kOriginalPage);
  EXPECT_EQ(Record("C172 Red").writeToKneeboard, 1);
  EXPECT_EQ(Record("C172 Blue").writeToKneeboard, 1);
  EXPECT_EQ(Image(kRed), 4);

  AssignTo(kBlue, kChecklist, false);
  EXPECT_EQ(Image(kBlue), 4);  // its flag was already set by the shared page
  EXPECT_EQ(Image("KEY_1000000"), 4);

  // Restoring either one puts the original page back and unmarks both.
  AssignTo(kBlue, kRestoreDefault, false);
  EXPECT_EQ(ReadFile(Page()), kOriginalPage);
  EXPECT_EQ(Record("C172 Blue").writeToKneeboard, 0);
  EXPECT_EQ(Record("C172 Red").writeToKneeboard, 0);
  EXPECT_TRUE(Record("C172 Blue").checklistName.trimmed().empty());
  EXPECT_EQ(Record("C172 Red").checklistName.trimmed(), kChecklist);
  EXPECT_EQ(Image(kBlue), 1);
  EXPECT_EQ(Image(kRed), 2);
  EXPECT_EQ(Image("KEY_1001000"), 3);
}

TEST_F(AssignmentScreenTest, SaveWritesTheListAndOffersTheRestartOnlyWhenBothRun) {
  AssignTo(kRed, kChecklist, false);
  shell.dispatch.Release(Bar(1));
  AssignmentList saved = ParseAssignments(ReadFile(program / "Data" / "Checklist_Assignments.dat"));
  EXPECT_TRUE(std::any_of(saved.records.begin(), saved.records.end(), [](const AssignmentRecord& r) {
    return r.aircraftTitle.trimmed() == "C172 Red" && r.checklistName.trimmed() == kChecklist;
  }));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "Checklist Assignments Saved");
  EXPECT_EQ(ui.messages[0].text, "The checklist assignments have been saved.\r\rPlease press OK to continue...");
  EXPECT_TRUE(Bar(1).disabled());

  shell.dispatch.Release(Bar(1));  // nothing new to save
  EXPECT_EQ(ui.messages.size(), 1u);

  probe.voice_module = true;  // the voice module alone: no offer
  AssignTo(kBlue, kChecklist, false);
  shell.dispatch.Release(Bar(1));
  EXPECT_EQ(ui.messages.back().id, "");
  probe.simulator = true;
  AssignTo(kBlue, kRestoreDefault, false);
  shell.dispatch.Release(Bar(1));
  EXPECT_EQ(ui.messages.back().id, "cassign_restart");
  EXPECT_TRUE(ui.messages.back().cancel);
}

TEST_F(AssignmentScreenTest, OpeningAgainListsChecklistsSavedMeanwhile) {
  WriteChecklistFile(p.ctx, ChecklistSections{}, "Glider");
  LoadChecklistNames(p.ctx, p.checklists);
  EXPECT_EQ(ListPosition("Glider"), -1);
  shell.nav.ReturnHome();
  ClickHome("checklist_assignments");
  EXPECT_GT(ListPosition("Glider"), 0);
}

}  // namespace
}  // namespace talvane::test
