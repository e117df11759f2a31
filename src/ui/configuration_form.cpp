#include "ui/configuration_form.h"

#include <QSignalBlocker>

#include "ui/dialog_forms.h"

namespace talvane::ui {

namespace {

// A caption above a control.
QLabel* Caption(QWidget* parent, const char* name, QRect where, const char* text) {
  return Label(parent, name, where, kPanelText, false, text);
}

template <class W>
W* Control(QWidget* parent, const char* name, QRect where) {
  auto* w = new W(parent);
  w->setObjectName(name);
  w->setGeometry(where);
  return w;
}

QStringList Texts(const ListControl& c) {
  QStringList texts;
  for (const auto& item : c.items) texts << FromAnsi(item.text);
  return texts;
}

// Entries are rebuilt only when they differ: a combo box is not emptied
// while its own selection signal runs.
void Show(QComboBox* box, const ListControl& c) {
  const QSignalBlocker quiet(box);
  const QStringList texts = Texts(c);
  QStringList current;
  for (int i = 0; i < box->count(); ++i) current << box->itemText(i);
  if (current != texts) {
    box->clear();
    box->addItems(texts);
  }
  box->setCurrentIndex(c.selected);
  box->setEnabled(c.enabled);
}

void Show(QListWidget* list, const ListControl& c) {
  const QSignalBlocker quiet(list);
  const QStringList texts = Texts(c);
  QStringList current;
  for (int i = 0; i < list->count(); ++i) current << list->item(i)->text();
  if (current != texts) {
    list->clear();
    list->addItems(texts);
  }
  list->setCurrentRow(c.selected);
  list->setEnabled(c.enabled);
}

}  // namespace

ConfigurationForm::ConfigurationForm(ProgramShell& shell)
    : BackgroundForm(shell, Form::frm_Configure, "\\Media\\Forms\\Sub_BG.bmp", QSize(790, 447)) {
  ConfigurationScreen& screen = shell.configurationScreen;
  // Below the background's title tab: the choice of command on the left,
  // its phrases and readbacks on the right, each list over its buttons.
  Caption(this, "lbl_Category", QRect(15, 40, 370, 20), "Command Category:");
  comboCategory = Control<QComboBox>(this, "comboCategory", QRect(15, 60, 370, 26));
  Caption(this, "lbl_Command", QRect(15, 94, 370, 20), "Command:");
  comboCommand = Control<QComboBox>(this, "comboCommand", QRect(15, 114, 370, 26));
  comboCommand->setMaxVisibleItems(20);
  lbl_TotalCommands = Label(this, "lbl_TotalCommands", QRect(15, 148, 370, 20), kPanelText);
  lbl_CategoryCommands = Label(this, "lbl_CategoryCommands", QRect(15, 168, 370, 20), kPanelText);
  lbl_Description = Label(this, "lbl_Description", QRect(15, 194, 370, 66), kPanelText);
  lbl_Description->setWordWrap(true);
  lbl_Description->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Caption(this, "lbl_Copilot", QRect(15, 270, 370, 20), "Copilot Voice:");
  combo_Copilot = Control<QComboBox>(this, "combo_Copilot", QRect(15, 290, 250, 26));
  Caption(this, "lbl_Grammar", QRect(400, 40, 375, 20), "Grammar Phrases (what you may say):");
  listGrammar = Control<QListWidget>(this, "listGrammar", QRect(400, 60, 375, 110));
  Caption(this, "lbl_Readback", QRect(400, 230, 375, 20), "Copilot Readbacks (what your copilot answers):");
  listReadback = Control<QListWidget>(this, "listReadback", QRect(400, 250, 375, 144));

  screen.on_refresh = [this] { Render(); };
  screen.LoadScreen();
  for (SkinnedButton* b : shell.buttons.OnForm(Form::frm_Configure)) AddButtonWidget(*b);

  connect(comboCategory, &QComboBox::currentIndexChanged, this, [&screen](int i) { screen.SelectCategory(i); });
  connect(comboCommand, &QComboBox::currentIndexChanged, this, [&screen](int i) { screen.SelectCommand(i); });
  connect(combo_Copilot, &QComboBox::currentIndexChanged, this, [&screen](int i) { screen.SelectVoice(i); });
  connect(listGrammar, &QListWidget::currentRowChanged, this, [&screen](int i) { screen.SelectGrammar(i); });
  connect(listReadback, &QListWidget::currentRowChanged, this, [&screen](int i) { screen.SelectReadback(i); });
  // A double click edits the entry clicked.
  connect(listGrammar, &QListWidget::itemDoubleClicked, this, [this, &screen](QListWidgetItem* item) {
    screen.SelectGrammar(listGrammar->row(item));
    screen.EditGrammar();
  });
  connect(listReadback, &QListWidget::itemDoubleClicked, this, [this, &screen](QListWidgetItem* item) {
    screen.SelectReadback(listReadback->row(item));
    screen.EditReadback();
  });
  Render();
}

ConfigurationForm::~ConfigurationForm() { shell_.configurationScreen.on_refresh = nullptr; }

void ConfigurationForm::Render() {
  const ConfigurationScreen& screen = shell_.configurationScreen;
  Show(comboCategory, screen.comboCategory);
  Show(comboCommand, screen.comboCommand);
  Show(combo_Copilot, screen.combo_Copilot);
  Show(listGrammar, screen.listGrammar);
  Show(listReadback, screen.listReadback);
  lbl_TotalCommands->setText(FromAnsi(screen.lbl_TotalCommands));
  lbl_CategoryCommands->setText(FromAnsi(screen.lbl_CategoryCommands));
  lbl_Description->setText(FromAnsi(screen.lbl_Description));
}

}  // namespace talvane::ui
