// Start-up loaders of the settings file and the command catalogue.
#include <limits>

#include "aircraft/fsx_config.h"
#include "catalogue/command_catalogue.h"
#include "catalogue/settings.h"
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
  return LocateFSXConfig(ctx, s);
}

CommandCatalogue ParseCommandList(std::string_view bytes) {
  ByteReader r(bytes);
  CommandCatalogue c;
  const std::int16_t last = r.LastIndex();
  c.CommandList.reserve(static_cast<std::size_t>(last + 1));
  for (int i = 0; i <= last; ++i) {
    CommandRecord rec;
    rec.category = r.Text(32);
    rec.commandName = r.Text(128);
    rec.ruleName = r.Text(128);
    rec.commandText = r.Text(256);
    rec.commandValue = r.I16();
    const std::int16_t lastGrammar = r.LastIndex();
    const std::int16_t lastReadback = r.LastIndex();
    // Check the announced size before allocating for it.
    if (r.remaining() < 256u * static_cast<std::size_t>(lastGrammar + 1 + lastReadback + 1))
      throw FormatError("file ends before its phrases do");
    for (int g = 0; g <= lastGrammar; ++g) rec.grammars.emplace_back(r.Text(256));
    for (int b = 0; b <= lastReadback; ++b) rec.readbacks.emplace_back(r.Text(256));
    c.CommandList.push_back(std::move(rec));
  }
  return c;
}

bool LoadCommandList(Context& ctx, CommandCatalogue& c) {
  ctx.ui.SetSplashStatus("Loading Command List, standby...");
  std::optional<std::string> bytes = ReadWholeFile(ctx.File(kCommandListFile));
  try {
    if (!bytes) throw FormatError("missing");
    c = ParseCommandList(*bytes);
    return true;
  } catch (const std::exception&) {
    ctx.Tell("Talvane Error",
             Paragraphs({"There was an error in loading the CommandList.dat file.", "Please contact Brevantix Support",
                         "Please press OK to continue..."}),
             kIconError);
    ctx.ui.ExitProgram();
    return false;
  }
}

}  // namespace talvane
