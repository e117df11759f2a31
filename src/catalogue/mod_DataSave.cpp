// Writers of the command catalogue and of single settings keys.
#include "aircraft/assignments.h"
#include "catalogue/command_catalogue.h"
#include "catalogue/settings.h"
#include "common/binary.h"
#include "common/ini.h"
#include "common/text.h"

namespace talvane {

namespace {

// The writers' shared path: report a missing settings file, else write the key.
void WriteMainKey(Context& ctx, std::string_view key, const std::string& value, std::string_view what) {
  const fs::path file = ctx.File(kSettingsFile);
  if (!FileExists(file)) {
    ctx.Tell("Talvane Error",
             Paragraphs({"Your TV_Information.cfg file has not been found.", what, "Please press OK to continue..."}),
             kIconError);
    return;
  }
  WriteIniValue("Main", key, value, file);
}

}  // namespace

std::string SerializeCommandList(const CommandCatalogue& c) {
  ByteWriter w;
  w.LastIndex(c.CommandList.size());
  for (const CommandRecord& rec : c.CommandList) {
    w.Text(rec.category.str(), 32);
    w.Text(rec.commandName.str(), 128);
    w.Text(rec.ruleName.str(), 128);
    w.Text(rec.commandText.str(), 256);
    w.I16(rec.commandValue);
    w.LastIndex(rec.grammars.size());
    w.LastIndex(rec.readbacks.size());
    for (const auto& g : rec.grammars) w.Text(g.str(), 256);
    for (const auto& b : rec.readbacks) w.Text(b.str(), 256);
  }
  return w.take();
}

int SaveCommandList(Context& ctx, const CommandCatalogue& c) {
  std::string error;
  bool ok = false;
  try {
    ok = WriteWithBackup(ctx.File(kCommandListFile), ctx.File(kCommandListBackup), SerializeCommandList(c),
                         [&] { ctx.ui.ProcessEvents(); }, &error);
  } catch (const std::exception&) {
    ok = false;
  }
  if (ok) return 0;
  ctx.Tell("Talvane Error",
           Paragraphs({"There was an error in writing out the CommandList.dat file.", "Please contact Brevantix Support",
                       "Please press OK to continue..."}),
           kIconWarning);
  return 1;
}

void SaveCopilotVoice(Context& ctx, const Settings& s) {
  WriteMainKey(ctx, "copilotVoice", ToDecimal(s.copilotVoice),
               "Talvane will not be able to save your copilot setting.");
}

void SaveMicrophone(Context& ctx, const Settings& s) {
  WriteMainKey(ctx, "microphone", s.microphone, "Talvane will not be able to save your microphone switch setting.");
}

void SaveChecklistBackups(Context& ctx, const AssignmentList& assignments) {
  bool any = false;
  for (const auto& a : assignments.records) any = any || a.writeToKneeboard == 1;
  WriteMainKey(ctx, "checklistBackups", any ? "1" : "0",
               "Talvane will not be able to save your kneeboard checklist setting.");
}

void SavePathFSXConfig(Context& ctx, const Settings& s) {
  WriteIniValue("Main", "PathFSXConfig", s.PathFSXConfig, ctx.File(kSettingsFile));
}

}  // namespace talvane
