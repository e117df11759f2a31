// The checklist assignment file Data/Checklist_Assignments.dat.
#include "aircraft/assignments.h"

#include "catalogue/settings.h"
#include "common/binary.h"
#include "common/text.h"

namespace talvane {

std::string SerializeAssignments(const AssignmentList& a) {
  ByteWriter w;
  w.LastIndex(a.records.size());
  for (const auto& rec : a.records) {
    w.Text(rec.aircraftTitle.str(), 256);
    w.Text(rec.checklistName.str(), 256);
    w.I16(rec.writeToKneeboard);
  }
  return w.take();
}

AssignmentList ParseAssignments(std::string_view bytes) {
  ByteReader r(bytes);
  const int count = r.LastIndex() + 1;
  if (r.remaining() < 514u * static_cast<std::size_t>(count)) throw FormatError("file ends before its records do");
  AssignmentList a;
  a.records.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    AssignmentRecord rec;
    rec.aircraftTitle = r.Text(256);
    rec.checklistName = r.Text(256);
    rec.writeToKneeboard = r.I16();
    a.records.push_back(std::move(rec));
  }
  return a;
}

bool LoadChecklistAssignments(Context& ctx, AssignmentList& a) {
  ctx.ui.SetSplashStatus("Loading Checklist Assignments, standby...");
  try {
    auto bytes = ReadWholeFile(ctx.File(kAssignmentsFile));
    if (!bytes) throw FormatError("missing");
    a = ParseAssignments(*bytes);
    return true;
  } catch (const std::exception&) {
    ctx.Tell("Talvane Error",
             Paragraphs({"There was an error in loading the Checklist_Assignments.dat file.",
                         "Please contact Brevantix Support", "Please press OK to continue..."}),
             kIconError);
    ctx.ui.ExitProgram();
    return false;
  }
}

int SaveChecklistAssignments(Context& ctx, const AssignmentList& a) {
  bool ok = false;
  try {
    ok = WriteWithBackup(ctx.File(kAssignmentsFile), ctx.File(kAssignmentsBackup), SerializeAssignments(a),
                         [&] { ctx.ui.ProcessEvents(); });
  } catch (const std::exception&) {
    ok = false;
  }
  if (ok) return 0;
  ctx.Tell("Talvane Error",
           Paragraphs({"There was an error in writing out the Checklist_Assignments.dat file.",
                       "Please contact Brevantix Support", "Please press OK to continue..."}),
           kIconError);
  return 1;
}

void SaveChecklistBackups(Context& ctx, const AssignmentList& assignments) {
  bool any = false;
  for (const auto& a : assignments.records) any = any || a.writeToKneeboard == 1;
  SaveSettingsKey(ctx, "checklistBackups", any ? "1" : "0",
               "Talvane will not be able to save your kneeboard checklist setting.");
}


}  // namespace talvane
