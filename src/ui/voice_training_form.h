// frm_VoiceTraining on the screen: the profile's name, the prompt to read in
// large type, where it stands, a live level meter while recording, and the
// screen's buttons, drawn from the screen logic (app/voice_training_screen.h).
// The microphone's level and end arrive on the capture thread and are
// brought to the window thread here.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>

#include "ui/program_forms.h"

namespace talvane::ui {

class VoiceTrainingForm : public BackgroundForm {
 public:
  explicit VoiceTrainingForm(ProgramShell& shell);
  ~VoiceTrainingForm() override;

  QComboBox* comboProfile;
  QLabel* lbl_ActiveProfile;
  QLabel* lbl_PromptNumber;
  QLabel* lbl_Recorded;
  QLabel* lbl_Prompt;
  QProgressBar* prgLevel;
  QLabel* lbl_Status;
  // The highest level the meter has shown since the form was made.
  int highest_level = 0;

  // Shows the logic's state as it is now.
  void Render();

 private:
  void ShowLevel();
};

}  // namespace talvane::ui
