#include "app/help_centre.h"

#include "common/files.h"
#include "common/text.h"

namespace talvane {

namespace {

constexpr HelpTopic kTopics[] = {
    {1, "Welcome", "KEY_Welcome"},
    {2, "Why Use Talvane", "KEY_WhyUse"},
    {2, "System Requirements", "KEY_SysReq"},
    {2, "Help Using Talvane", "KEY_HelpUse"},
    {1, "Using the Interface", "KEY_InterfaceMain"},
    {2, "Speech Configuration", "KEY_ConfigurationOverview"},
    {3, "Configuration Screen", "KEY_ConfigurationMain"},
    {3, "Testing Grammar", "KEY_ConfigurationTest"},
    {3, "Grammar Script", "KEY_ConfigurationScript"},
    {2, "Checklist Assignments", "KEY_ChecklistAssignments"},
    {2, "Checklist Modification", "KEY_ChecklistModification"},
    {1, "Grammar Scripting", "KEY_ScriptingOverview"},
    {2, "Scripting Language", "KEY_Scripting"},
    {1, "Tutorials", "KEY_Tutorials"},
    {2, "Creating a New Checklist", "KEY_TutorialsNewChecklist"},
    {1, "Use in Flight Simulator X", "KEY_UseOverview"},
    {2, "Using Checklists in FSX", "KEY_ChecklistUseInFSX"},
    {2, "Generic Phrases in FSX", "KEY_GenericUseInFSX"},
    {2, "Special Phrases in FSX", "KEY_SpecialUseInFSX"},
    {1, "Technical Reference", "KEY_TechRef"},
    {2, "Setting Up Your Microphone", "KEY_Microphone"},
    {1, "Legal Information", "KEY_Legal"},
    {2, "EULA", "KEY_EULA"},
    {2, "Credits", "KEY_Credits"},
    {1, "Company Information", "KEY_CompanyInfo"},
};

}  // namespace

std::span<const HelpTopic> HelpTopics() { return kTopics; }

std::optional<std::filesystem::path> HelpPage(const std::filesystem::path& programFolder, std::string_view key) {
  const std::string name = ReplaceNoCase(key, "KEY_", "") + ".htm";
  // A key is ours, but a name that could climb out of the folder is refused.
  if (name.find_first_of("/\\") != std::string::npos || name == ".htm") return std::nullopt;
  const auto folder = FindCaseInsensitive(programFolder, kHelpFolder, true);
  if (!folder) return std::nullopt;
  auto page = FindCaseInsensitive(*folder, name, false);
  if (!page || !FileExists(*page)) return std::nullopt;
  return page;
}

void HelpCentre::Load() {
  // The title reads "Welcome" even when its page is missing.
  page.clear();
  Select(kWelcomeKey, "Welcome");
  title = "Welcome";
}

bool HelpCentre::Select(std::string_view key, std::string_view text) {
  const auto found = HelpPage(folder_, key);
  if (!found) return false;
  page = *found;
  title = std::string(text);
  return true;
}

}  // namespace talvane
