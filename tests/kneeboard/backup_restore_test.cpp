#include <gtest/gtest.h>

#include "common/text.h"
#include "kneeboard/kneeboard_support.h"

namespace talvane {
namespace {

using test::KneeboardSim;
using test::ReadFile;
using test::Snapshot;
using test::WriteFile;

bool Generated(const fs::path& p) { return FileExists(p) && IsGeneratedKneeboardPage(ReadFile(p)); }

TEST(Kneeboard, UpdateAllThenRestoreAllLeavesEveryPageAsItWas) {
  KneeboardSim k;
  const auto before = Snapshot(k.airplanes);
  const fs::path c172 = k.Page("Cessna_C172/C172_Check.htm");
  const fs::path piper = k.Page("Piper/cherokee_check.HTM");

  EXPECT_TRUE(UpdateAllKneeboardChecklists(k.ctx, k.tree, k.assignments, k.sources));
  // "C172 Blue" comes first in the tree: its checklist is on the shared page,
  // and both variations are marked.
  EXPECT_NE(ReadFile(c172).find("<title>Twin Checklist</title>"), std::string::npos);
  EXPECT_EQ(ReadFile(k.Page("Cessna_C172/c172_check.ccb")), KneeboardSim::kC172Page);
  EXPECT_TRUE(Generated(piper));  // the name of the configuration in another case
  EXPECT_EQ(ReadFile(k.Page("Piper/cherokee_check.ccb")), KneeboardSim::kPiperPage);
  EXPECT_TRUE(Generated(k.Page("NoPage/nopage_check.htm")));
  EXPECT_FALSE(FileExists(k.Page("NoPage/nopage_check.ccb")));
  EXPECT_EQ(ReadFile(k.Page("Glider/g.htm")), KneeboardSim::kGliderPage);
  for (const char* t : {"C172 Red", "C172 Blue", "Cherokee", "Nopage"}) EXPECT_EQ(k.Record(t).writeToKneeboard, 1) << t;
  EXPECT_EQ(k.Record("Glider").writeToKneeboard, 0);
  EXPECT_EQ(k.Setting(), "1");
  EXPECT_EQ(ParseAssignments(ReadFile(k.program / "Data/Checklist_Assignments.dat")).records,
            k.assignments.records);
  ASSERT_EQ(k.ui.messages.size(), 1u);
  EXPECT_EQ(k.ui.messages[0].title, "Checklists Updated");
  EXPECT_EQ(k.ui.messages[0].text,
            "All FSX aircraft kneeboard checklists have been updated and the originals have been backed up.\r\r"
            "Please press OK to continue...");

  // Nothing is left to update; a second run changes no page.
  const auto written = Snapshot(k.airplanes);
  EXPECT_TRUE(UpdateAllKneeboardChecklists(k.ctx, k.tree, k.assignments, k.sources));
  EXPECT_EQ(Snapshot(k.airplanes), written);

  EXPECT_TRUE(RestoreAllKneeboardChecklists(k.ctx, k.tree, k.assignments));
  EXPECT_EQ(Snapshot(k.airplanes), before);
  for (const auto& r : k.assignments.records) EXPECT_EQ(r.writeToKneeboard, 0);
  EXPECT_EQ(k.Setting(), "0");
  EXPECT_EQ(k.ui.messages.back().title, "Checklists Restored");
  EXPECT_EQ(k.ui.progress_title, "Restoring Checklists");
  EXPECT_FALSE(k.ui.exit_requested);  // ending is the caller's

  // A restore after a restore has nothing left to do.
  EXPECT_TRUE(RestoreAllKneeboardChecklists(k.ctx, k.tree, k.assignments));
  for (const char* t : {"C172 Red", "Cherokee"}) EXPECT_EQ(k.Restore(t), 0);
  EXPECT_EQ(Snapshot(k.airplanes), before);
}

TEST(Kneeboard, TheBackupIsTheInstalledPageNeverAGeneratedOne) {
  KneeboardSim k;
  const fs::path page = k.Page("Piper/cherokee_check.HTM");
  const fs::path backup = k.Page("Piper/cherokee_check.ccb");
  ASSERT_EQ(k.Write("Cherokee"), 0);
  k.assignments.records[2].checklistName = "Twin";
  ASSERT_EQ(k.Write("Cherokee"), 0);
  EXPECT_NE(ReadFile(page).find("Twin Checklist"), std::string::npos);
  EXPECT_EQ(ReadFile(backup), KneeboardSim::kPiperPage);
  // The flags are the callers' business; the setting follows them.
  EXPECT_EQ(k.Record("Cherokee").writeToKneeboard, 0);
  EXPECT_EQ(k.Setting(), "0");

  // Backup lost: the next write must not take our own page for the original.
  fs::remove(backup);
  ASSERT_EQ(k.Write("Cherokee"), 0);
  EXPECT_FALSE(FileExists(backup));
  // Restoring without a backup removes only a page of ours.
  EXPECT_EQ(k.Restore("Cherokee"), 0);
  EXPECT_FALSE(FileExists(page));
  EXPECT_EQ(k.Restore("Glider"), 0);
  EXPECT_EQ(ReadFile(k.Page("Glider/g.htm")), KneeboardSim::kGliderPage);
}

TEST(Kneeboard, AMissingOrDamagedChecklistLeavesTheInstalledPage) {
  KneeboardSim k;
  WriteFile(k.program / "Checklists" / "Broken.dat", std::string(30, '\x01'));
  const auto before = Snapshot(k.airplanes);
  k.assignments.records[2].checklistName = "Gone";
  k.assignments.records[1].checklistName = "Broken";
  std::string why;
  EXPECT_EQ(k.Write("Cherokee", &why), 1);
  EXPECT_NE(why.find("Gone"), std::string::npos);
  EXPECT_EQ(k.Write("C172 Blue", &why), 1);
  EXPECT_NE(why.find("Broken"), std::string::npos);
  EXPECT_EQ(Snapshot(k.airplanes), before);

  // The update reports them, leaves them unmarked and writes the rest.
  EXPECT_FALSE(UpdateAllKneeboardChecklists(k.ctx, k.tree, k.assignments, k.sources));
  EXPECT_EQ(k.Record("Cherokee").writeToKneeboard, 0);
  EXPECT_EQ(k.Record("C172 Blue").writeToKneeboard, 1);  // "C172 Red" wrote the shared page
  EXPECT_NE(ReadFile(k.Page("Cessna_C172/C172_Check.htm")).find("Light Single Checklist"), std::string::npos);
  ASSERT_EQ(k.ui.messages.size(), 2u);
  EXPECT_EQ(k.ui.messages[0].title, "Kneeboard Checklists Not Written");
  EXPECT_NE(k.ui.messages[0].text.find("C172 Blue: checklist file Broken.dat is damaged"), std::string::npos);
  EXPECT_NE(k.ui.messages[0].text.find("Cherokee: checklist file not found: Gone.dat"), std::string::npos);
  EXPECT_EQ(k.ui.messages[1].title, "Checklists Updated");
  EXPECT_EQ(ReadFile(k.Page("Piper/cherokee_check.HTM")), KneeboardSim::kPiperPage);
}

TEST(Kneeboard, AFullDiskLosesNoFileAndAFinishedRunRestoresEverything) {
  KneeboardSim k;
  // An installed page too large to be backed up under the limit.
  const std::string bigPage = "<html>" + std::string(6000, 'x') + "</html>";
  WriteFile(k.Page("Piper/cherokee_check.HTM"), bigPage);
  const auto before = Snapshot(k.airplanes);
  {
    test::DiskLimit full(3000);  // pages (about 4 KB) cannot be written, small backups can
    EXPECT_FALSE(UpdateAllKneeboardChecklists(k.ctx, k.tree, k.assignments, k.sources));
  }
  for (const auto& [name, bytes] : Snapshot(k.airplanes)) {
    if (name.ends_with(".ccb")) continue;  // backups of the installed pages may be there already
    EXPECT_EQ(bytes, before.at(name)) << name;
  }
  EXPECT_FALSE(FileExists(k.Page("Piper/cherokee_check.ccb")));
  EXPECT_EQ(ReadFile(k.Page("Cessna_C172/c172_check.ccb")), KneeboardSim::kC172Page);
  for (const auto& r : k.assignments.records) EXPECT_EQ(r.writeToKneeboard, 0);
  EXPECT_EQ(k.Setting(), "0");
  for (const auto& e : fs::recursive_directory_iterator(k.airplanes))  // no temporary file left behind
    EXPECT_FALSE(e.path().filename().string().starts_with(".")) << e.path();

  EXPECT_TRUE(UpdateAllKneeboardChecklists(k.ctx, k.tree, k.assignments, k.sources));
  EXPECT_TRUE(Generated(k.Page("Piper/cherokee_check.HTM")));
  ASSERT_GT(ReadFile(k.Page("Cessna_C172/C172_Check.htm")).size(), 3000u);  // the limit did stop the pages
  {
    test::DiskLimit full(3000);  // the large original cannot be put back yet
    EXPECT_FALSE(RestoreAllKneeboardChecklists(k.ctx, k.tree, k.assignments));
  }
  EXPECT_TRUE(Generated(k.Page("Piper/cherokee_check.HTM")));
  EXPECT_EQ(ReadFile(k.Page("Piper/cherokee_check.ccb")), bigPage);
  EXPECT_EQ(k.Record("Cherokee").writeToKneeboard, 1);  // retried by the next restore
  EXPECT_EQ(k.Record("C172 Red").writeToKneeboard, 0);
  EXPECT_EQ(k.Setting(), "1");
  EXPECT_EQ(k.ui.messages[k.ui.messages.size() - 2].title, "Kneeboard Checklists Not Restored");

  EXPECT_TRUE(RestoreAllKneeboardChecklists(k.ctx, k.tree, k.assignments));
  EXPECT_EQ(Snapshot(k.airplanes), before);
  EXPECT_EQ(k.Setting(), "0");
}

TEST(Kneeboard, AssignActionWritesMarksAndRestoresSharedPages) {
  KneeboardSim k;
  const auto before = Snapshot(k.airplanes);
  const fs::path c172 = k.Page("Cessna_C172/C172_Check.htm");

  // Unchecked: the name changes, nothing else.
  ASSERT_EQ(AssignChecklist(k.ctx, k.tree, k.assignments, k.sources, k.Find("Glider"), "Twin", false), 0);
  EXPECT_EQ(k.Record("Glider").checklistName.trimmed(), "Twin");
  EXPECT_EQ(k.Record("Glider").writeToKneeboard, 0);
  EXPECT_EQ(Snapshot(k.airplanes), before);

  ASSERT_EQ(AssignChecklist(k.ctx, k.tree, k.assignments, k.sources, k.Find("C172 Red"), "Twin", true), 0);
  EXPECT_NE(ReadFile(c172).find("Twin Checklist"), std::string::npos);
  EXPECT_EQ(k.Record("C172 Red").writeToKneeboard, 1);
  EXPECT_EQ(k.Record("C172 Blue").writeToKneeboard, 1);
  EXPECT_EQ(k.Setting(), "0");  // rewritten by the write, before the flags were set

  // "-- Restore Default --" on the other variation restores and unmarks both.
  ASSERT_EQ(AssignChecklist(k.ctx, k.tree, k.assignments, k.sources, k.Find("C172 Blue"), std::nullopt, false), 0);
  EXPECT_EQ(ReadFile(c172), KneeboardSim::kC172Page);
  EXPECT_FALSE(FileExists(k.Page("Cessna_C172/c172_check.ccb")));
  EXPECT_EQ(k.Record("C172 Blue").checklistName.trimmed(), "");
  EXPECT_EQ(k.Record("C172 Red").checklistName.trimmed(), "Twin");
  EXPECT_EQ(k.Record("C172 Red").writeToKneeboard, 0);
  EXPECT_EQ(k.Record("C172 Blue").writeToKneeboard, 0);

  // A failed write is reported and marks nothing.
  k.assignments.records[2].checklistName = "Gone";
  ASSERT_EQ(AssignChecklist(k.ctx, k.tree, k.assignments, k.sources, k.Find("Cherokee"), "Gone", true), 1);
  EXPECT_EQ(k.Record("Cherokee").writeToKneeboard, 0);
  EXPECT_EQ(k.ui.messages.back().title, "Kneeboard Checklist Not Written");

  // Manufacturer and type nodes are no aircraft.
  const auto records = k.assignments.records;
  EXPECT_EQ(AssignChecklist(k.ctx, k.tree, k.assignments, k.sources, {0, -1, -1}, "Twin", true), 1);
  EXPECT_EQ(AssignChecklist(k.ctx, k.tree, k.assignments, k.sources, {0, 0, 7}, "Twin", true), 1);
  EXPECT_EQ(k.assignments.records, records);
  EXPECT_EQ(Snapshot(k.airplanes), before);
}

// The tool as the checks drive it: update, assign, restore through the
// command line on a simulator in a Wine prefix.
TEST(KneeboardTool, UpdateAssignAndRestoreFromTheCommandLine) {
  KneeboardSim k;
  test::TempFolder prefix;
  WriteFile(prefix / "drive_c/ProgramData/Microsoft/FSX/fsx.cfg", "[Main]\r\nSimObjectPaths.0=SimObjects\\Airplanes\r\n");
  WriteFile(k.program / "Data/CommandList.dat", SerializeCommandList(k.catalogue));
  WriteFile(k.program / "Data/Checklist_Assignments.dat", SerializeAssignments(k.assignments));
  const auto before = Snapshot(k.airplanes);
  auto run = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"--program-folder", k.program.string()});
    return test::RunTool(args, {"WINEPREFIX=" + prefix.path().string()});
  };

  auto r = run({"kneeboard-update"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err,
            "Checklists Updated: All FSX aircraft kneeboard checklists have been updated and the originals have been "
            "backed up.\n\nPlease press OK to continue...\n");
  EXPECT_TRUE(Generated(k.Page("Piper/cherokee_check.HTM")));
  EXPECT_EQ(k.Setting(), "1");

  // The glider gets a checklist written at once; its key is that of the
  // only variation of the third manufacturer.
  r = run({"assign", "KEY_3001001", "light single", "--write"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Generated(k.Page("Glider/g.htm")));
  auto saved = ParseAssignments(ReadFile(k.program / "Data/Checklist_Assignments.dat"));
  ASSERT_EQ(saved.records.size(), 5u);  // "Glider" was appended by the discovery
  EXPECT_EQ(saved.records[4].checklistName.trimmed(), "Light Single");
  EXPECT_EQ(saved.records[4].writeToKneeboard, 1);

  r = run({"assign", "KEY_1001001", "-"});  // "C172 Blue": restore default
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(k.Page("Cessna_C172/C172_Check.htm")), KneeboardSim::kC172Page);

  EXPECT_EQ(run({"assign", "KEY_1000000", "Twin"}).status, 2);
  EXPECT_EQ(run({"assign", "KEY_1001001", "No Such"}).status, 2);
  EXPECT_EQ(run({"assign", "KEY_1001001", "Twin", "--now"}).status, 2);

  r = run({"kneeboard-restore"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("Checklists Restored: "), std::string::npos);
  EXPECT_EQ(Snapshot(k.airplanes), before);
  EXPECT_EQ(k.Setting(), "0");
}

}  // namespace
}  // namespace talvane
