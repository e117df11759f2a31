#include "ui/voice_training_form.h"

#include <QLineEdit>
#include <QSignalBlocker>

#include "ui/dialog_forms.h"

namespace talvane::ui {

VoiceTrainingForm::VoiceTrainingForm(ProgramShell& shell)
    : BackgroundForm(shell, Form::frm_VoiceTraining, "\\Media\\Forms\\Sub_BG.bmp", QSize(790, 447)) {
  VoiceTrainingScreen& screen = shell.voiceTraining;
  Label(this, "lbl_Profile", QRect(15, 40, 500, 20), kPanelText, false, "Voice profile (type a new name to start one):");
  comboProfile = new QComboBox(this);
  comboProfile->setObjectName("comboProfile");
  comboProfile->setGeometry(15, 60, 300, 26);
  comboProfile->setEditable(true);
  comboProfile->setInsertPolicy(QComboBox::NoInsert);
  lbl_ActiveProfile = Label(this, "lbl_ActiveProfile", QRect(330, 60, 445, 26), kLinkText);

  lbl_PromptNumber = Label(this, "lbl_PromptNumber", QRect(15, 100, 200, 20), kPanelText);
  lbl_Recorded = Label(this, "lbl_Recorded", QRect(215, 100, 560, 20), kPanelText);
  lbl_Recorded->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  lbl_Prompt = Label(this, "lbl_Prompt", QRect(15, 124, 760, 96), Qt::white, true);
  lbl_Prompt->setAlignment(Qt::AlignCenter);
  lbl_Prompt->setFrameShape(QFrame::StyledPanel);
  lbl_Prompt->setAutoFillBackground(true);
  QPalette panel = lbl_Prompt->palette();
  panel.setColor(QPalette::Window, QColor(20, 26, 34));
  lbl_Prompt->setPalette(panel);
  QFont large = lbl_Prompt->font();
  large.setPointSizeF(large.pointSizeF() * 1.6);
  large.setBold(true);
  lbl_Prompt->setFont(large);

  Label(this, "lbl_Level", QRect(15, 232, 60, 18), kPanelText, false, "Level:");
  prgLevel = new QProgressBar(this);
  prgLevel->setObjectName("prgLevel");
  prgLevel->setGeometry(75, 234, 700, 14);
  prgLevel->setRange(0, 100);
  prgLevel->setTextVisible(false);
  lbl_Status = Label(this, "lbl_Status", QRect(15, 256, 760, 36), kPanelText, true);
  lbl_Status->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  screen.on_changed = [this] { Render(); };
  // Both come from the capture thread.
  screen.on_level = [this] { QMetaObject::invokeMethod(this, [this] { ShowLevel(); }, Qt::QueuedConnection); };
  screen.on_capture_end = [this](const std::string& error) {
    QMetaObject::invokeMethod(this, [this, error] { shell_.voiceTraining.CaptureEnded(error); }, Qt::QueuedConnection);
  };
  screen.SetUpButtons();
  for (SkinnedButton* b : shell.buttons.OnForm(Form::frm_VoiceTraining)) AddButtonWidget(*b);

  connect(comboProfile, &QComboBox::activated, this,
          [this, &screen](int i) { screen.ChooseProfile(ToAnsi(comboProfile->itemText(i))); });
  connect(comboProfile->lineEdit(), &QLineEdit::returnPressed, this,
          [this, &screen] { screen.ChooseProfile(ToAnsi(comboProfile->currentText())); });
  connect(comboProfile, &QComboBox::editTextChanged, this,
          [&screen](const QString& text) { screen.SetProfileText(ToAnsi(text)); });
  Render();
}

VoiceTrainingForm::~VoiceTrainingForm() {
  VoiceTrainingScreen& screen = shell_.voiceTraining;
  // No capture thread may call into this form once it is gone.
  screen.Discard();
  screen.on_changed = nullptr;
  screen.on_level = nullptr;
  screen.on_capture_end = nullptr;
}

void VoiceTrainingForm::ShowLevel() {
  const int level = shell_.voiceTraining.LevelPercent();
  highest_level = std::max(highest_level, level);
  prgLevel->setValue(level);
}

void VoiceTrainingForm::Render() {
  const VoiceTrainingScreen& screen = shell_.voiceTraining;
  {
    const QSignalBlocker quiet(comboProfile);
    QStringList names;
    for (const std::string& name : screen.profiles) names << FromAnsi(name);
    QStringList current;
    for (int i = 0; i < comboProfile->count(); ++i) current << comboProfile->itemText(i);
    if (current != names) {
      comboProfile->clear();
      comboProfile->addItems(names);
    }
    const QString text = FromAnsi(screen.profile_text);
    if (comboProfile->currentText() != text) comboProfile->setEditText(text);
    comboProfile->setEnabled(!screen.Recording() && !screen.Adapting());
  }
  lbl_ActiveProfile->setText(FromAnsi(screen.lbl_ActiveProfile));
  lbl_PromptNumber->setText(FromAnsi(screen.lbl_PromptNumber));
  lbl_Recorded->setText(FromAnsi(screen.lbl_Recorded));
  lbl_Prompt->setText(FromAnsi(screen.lbl_Prompt));
  lbl_Status->setText(FromAnsi(screen.lbl_Status));
  if (!screen.Recording()) prgLevel->setValue(0);
}

}  // namespace talvane::ui
