#include "app/button_labels.h"

#include <utility>

namespace talvane {

std::string_view ButtonLabel(std::string_view picture) {
  static constexpr std::pair<std::string_view, std::string_view> kLabels[] = {
      {"btn_Minimize", "Minimize"},
      {"btn_Close", "Close"},
      {"btn_smlPlay", "Play"},
      {"btn_ParentOK", "OK"},
      {"btn_ParentCancel", "CANCEL"},
      {"btn_ParentCompile", "COMPILE"},
      {"btn_ParentHome", "HOME"},
      {"btn_ParentReturn", "RETURN"},
      {"btn_ParentSave", "SAVE"},
      {"btn_ParentStart", "START"},
      {"btn_New", "NEW"},
      {"btn_Load", "LOAD"},
      {"btn_Insert", "INSERT"},
      {"btn_Delete", "DELETE"},
      {"btn_Add", "ADD"},
      {"btn_Edit", "EDIT"},
      {"btn_Test", "TEST"},
      {"btn_Script", "SCRIPT"},
      {"btn_Play", "PLAY"},
      {"btn_Assign", "ASSIGN"},
      {"btn_Microphone", "MICROPHONE SETUP"},
      {"btn_VoiceTraining", "VOICE TRAINING"},
      {"btn_Record", "RECORD"},
      {"btn_Rerecord", "RE-RECORD"},
      {"btn_Stop", "STOP"},
      {"btn_Previous", "PREVIOUS"},
      {"btn_Next", "NEXT"},
      {"btn_Skip", "SKIP"},
      {"btn_StartOver", "START OVER"},
      {"btn_Adapt", "ADAPT MODEL"},
      {"btn_UseProfile", "USE THIS PROFILE"},
      {"btn_StandardModel", "USE STANDARD MODEL"},
      {"btn_LearningCenter", "LEARNING CENTER"},
      {"btn_Configuration", "SPEECH CONFIGURATION"},
      {"btn_ChecklistAssignments", "CHECKLIST ASSIGNMENTS"},
      {"btn_ChecklistModification", "CHECKLIST MODIFICATION"},
      {"btn_Launch", "LAUNCH FSX"},
  };
  for (const auto& [name, label] : kLabels)
    if (name == picture) return label;
  return {};
}

}  // namespace talvane
