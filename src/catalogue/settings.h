// The settings of TV_Information.cfg: user settings and the two vocabularies
// (generic value lists for readbacks, checklist response words).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/context.h"

namespace talvane {

struct GenericList {
  std::string name;         // the token inside readback texts, e.g. "[ALT]"
  std::string description;  // kept with the record; not shown
  std::string keloExample;  // spoken in place of the token
};

struct ChecklistResponse {
  std::string response;
  std::int32_t functionNumber = 0;
};

struct Settings {
  std::int16_t copilotVoice = 0;
  std::string microphone;
  std::int16_t numLists = 0;
  std::int16_t numChecklistResponse = 0;
  std::int16_t compileNavaids = 0;
  std::int16_t checklistBackups = 0;
  std::string PathFSXConfig;
  std::vector<GenericList> GenericLists;              // 0..numLists
  std::vector<ChecklistResponse> ChecklistResponses;  // 0..numChecklistResponse
};

inline constexpr const char* kSettingsFile = "\\TV_Information.cfg";

// Reads the whole settings file, then locates fsx.cfg. Returns false when
// the program was ended (after the fatal message).
bool LoadSettings(Context& ctx, Settings& s);
// The settings file alone, without locating fsx.cfg (the voice module reads
// no aircraft folders). False after the fatal message, as above.
bool ReadSettingsFile(Context& ctx, Settings& s);

// Writes one key of section "Main". A missing settings file is reported
// with `what` (what the user loses) and nothing is written; write errors are
// ignored.
void SaveSettingsKey(Context& ctx, std::string_view key, const std::string& value, std::string_view what);

// Single-key writers; errors are ignored, a missing file is reported.
void SaveCopilotVoice(Context& ctx, const Settings& s);
void SaveMicrophone(Context& ctx, const Settings& s);
void SavePathFSXConfig(Context& ctx, const Settings& s);

}  // namespace talvane
