// The settings file: the start-up loader and the single-key writers.
#include "catalogue/settings.h"

#include <limits>

#include "catalogue/fsx_config.h"
#include "common/binary.h"
#include "common/ini.h"
#include "common/text.h"

namespace talvane {

namespace {

constexpr std::string_view kExitParagraphs[] = {"Talvane will not be able to load.", "Press OK to Exit."};

// The settings hold 16-bit values; a file value outside that range is an error.
std::int16_t Narrow16(std::int32_t v) {
  if (v < std::numeric_limits<std::int16_t>::min() || v > std::numeric_limits<std::int16_t>::max())
    throw FormatError("setting out of range");
  return static_cast<std::int16_t>(v);
}

void FatalSettings(Context& ctx, std::string_view first) {
  ctx.Tell("Talvane Fatal Error", Paragraphs({first, kExitParagraphs[0], kExitParagraphs[1]}), kIconError);
  ctx.ui.ExitProgram();
}

}  // namespace

bool LoadSettings(Context& ctx, Settings& s) {
  ctx.ui.SetSplashStatus("Loading Settings, standby...");
  return ReadSettingsFile(ctx, s) && LocateFSXConfig(ctx, s);
}

bool ReadSettingsFile(Context& ctx, Settings& s) {
  const fs::path file = ctx.File(kSettingsFile);
  if (!FileExists(file)) {
    FatalSettings(ctx, "Your TV_Information.cfg file has not been found.");
    return false;
  }
  try {
    auto doc = IniDocument::Load(file);
    if (!doc) throw FormatError("unreadable");
    s.copilotVoice = Narrow16(doc->ReadInt("Main", "copilotVoice"));
    s.microphone = doc->ReadString("Main", "microphone");
    s.numLists = Narrow16(doc->ReadInt("Main", "numLists"));
    s.numChecklistResponse = Narrow16(doc->ReadInt("Main", "numChecklistResponse"));
    s.compileNavaids = Narrow16(doc->ReadInt("Main", "compileNavaids"));
    s.checklistBackups = Narrow16(doc->ReadInt("Main", "checklistBackups"));
    // Both arrays are indexed 0..highest index: a negative index cannot size them.
    if (s.numLists < 0 || s.numChecklistResponse < 0) throw FormatError("negative list index");
    s.GenericLists.assign(static_cast<std::size_t>(s.numLists) + 1, GenericList{});
    s.ChecklistResponses.assign(static_cast<std::size_t>(s.numChecklistResponse) + 1, ChecklistResponse{});
    for (int i = 0; i <= s.numLists; ++i) {
      const std::string sec = "List." + ToDecimal(i);
      auto& l = s.GenericLists[static_cast<std::size_t>(i)];
      l.name = doc->ReadString(sec, "name");
      l.description = doc->ReadString(sec, "description");
      l.keloExample = doc->ReadString(sec, "keloExample");
    }
    for (int i = 0; i <= s.numChecklistResponse; ++i) {
      const std::string sec = "checklistResponse." + ToDecimal(i);
      auto& r = s.ChecklistResponses[static_cast<std::size_t>(i)];
      r.response = doc->ReadString(sec, "response");
      r.functionNumber = doc->ReadInt(sec, "functionNumber");
    }
    s.PathFSXConfig = doc->ReadString("Main", "PathFSXConfig");
  } catch (const std::exception&) {
    FatalSettings(ctx, "There was an error in your TV_Information.cfg file.");
    return false;
  }
  return true;
}

void SaveSettingsKey(Context& ctx, std::string_view key, const std::string& value, std::string_view what) {
  const fs::path file = ctx.File(kSettingsFile);
  if (!FileExists(file)) {
    ctx.Tell("Talvane Error",
             Paragraphs({"Your TV_Information.cfg file has not been found.", what, "Please press OK to continue..."}),
             kIconError);
    return;
  }
  WriteIniValue("Main", key, value, file);
}


void SaveCopilotVoice(Context& ctx, const Settings& s) {
  SaveSettingsKey(ctx, "copilotVoice", ToDecimal(s.copilotVoice),
               "Talvane will not be able to save your copilot setting.");
}

void SaveMicrophone(Context& ctx, const Settings& s) {
  SaveSettingsKey(ctx, "microphone", s.microphone, "Talvane will not be able to save your microphone switch setting.");
}

void SavePathFSXConfig(Context& ctx, const Settings& s) {
  WriteIniValue("Main", "PathFSXConfig", s.PathFSXConfig, ctx.File(kSettingsFile));
}

}  // namespace talvane
