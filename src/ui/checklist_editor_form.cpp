#include "ui/checklist_editor_form.h"

#include <QEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QTimer>

#include "ui/dialog_forms.h"

namespace talvane::ui {

ChecklistEditorForm::ChecklistEditorForm(ProgramShell& shell)
    : BackgroundForm(shell, Form::frm_Modify, "\\Media\\Forms\\Modify_BG.bmp", QSize(790, 447)),
      editor_(shell.checklist_editor) {
  Label(this, "lbl_NameCaption", QRect(14, 42, 80, 20), kPanelText, false, "Checklist:");
  lbl_ChecklistName = Label(this, "lbl_ChecklistName", QRect(94, 42, 382, 20), kPanelText, false);
  QFont bold = lbl_ChecklistName->font();
  bold.setBold(true);
  lbl_ChecklistName->setFont(bold);
  comboSection = new QComboBox(this);
  comboSection->setObjectName("comboSection");
  comboSection->setGeometry(14, 66, 220, 26);
  for (int i = 0; i < kSectionCount; ++i)
    comboSection->addItem(FromAnsi(kSectionEditorNames[static_cast<std::size_t>(i)]), i);
  lbl_ChecklistSection = Label(this, "lbl_ChecklistSection", QRect(246, 66, 230, 26), kPanelText, false);
  lbl_ChecklistSection->setFont(bold);

  lstview_Checklist = new QTreeWidget(this);
  lstview_Checklist->setObjectName("lstview_Checklist");
  lstview_Checklist->setGeometry(14, 98, 462, 264);
  lstview_Checklist->setColumnCount(2);
  lstview_Checklist->setHeaderLabels({"Challenge", "Response"});
  lstview_Checklist->setRootIsDecorated(false);
  lstview_Checklist->setUniformRowHeights(true);
  lstview_Checklist->header()->resizeSection(0, 290);

  lbl_PrevPage = new ClickableLabel(this, "lbl_PrevPage", QRect(14, 368, 90, 20), "Prev Page");
  lbl_PageNumber = Label(this, "lbl_PageNumber", QRect(170, 368, 140, 20), kPanelText, false);
  lbl_PageNumber->setAlignment(Qt::AlignCenter);
  lbl_NextPage = new ClickableLabel(this, "lbl_NextPage", QRect(386, 368, 90, 20), "Next Page");
  lbl_NextPage->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  const auto edit = [this](const char* name, const char* caption, int top, int width) {
    Label(this, (std::string(name) + "_Caption").c_str(), QRect(492, top, 284, 18), kPanelText, false, caption);
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    e->setGeometry(492, top + 20, width, 26);
    e->installEventFilter(this);
    return e;
  };
  txt_Challenge = edit("txt_Challenge", "Challenge Viewable Text", 42, 284);
  txt_Pronunciation = edit("txt_Pronunciation", "Challenge Pronunciation", 88, 244);
  txt_Response = edit("txt_Response", "Response Viewable Text", 142, 284);
  Label(this, "lbl_ResponsesCaption", QRect(492, 190, 284, 18), kPanelText, false, "Valid Responses");
  lst_Responses = new QListWidget(this);
  lst_Responses->setObjectName("lst_Responses");
  lst_Responses->setGeometry(492, 210, 284, 224);
  lst_Responses->setSelectionMode(QAbstractItemView::MultiSelection);

  editor_.on_page_shown = [this] { ShowPage(); };
  editor_.on_step_shown = [this] { ShowStep(); };
  editor_.on_row_changed = [this](int row) { ShowRow(row); };
  editor_.Load();
  for (const auto& r : editor_.fields.validResponses) {
    auto* item = new QListWidgetItem(FromAnsi(r.text), lst_Responses);
    item->setData(Qt::UserRole, r.functionNumber);
  }
  ShowPage();
  ShowStep();
  for (SkinnedButton* b : shell.buttons.OnForm(Form::frm_Modify)) AddButtonWidget(*b);

  connect(comboSection, &QComboBox::activated, this,
          [this](int index) { editor_.SelectSection(comboSection->itemData(index).toInt()); });
  connect(lstview_Checklist, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    if (!filling_ && item) editor_.ClickRow(lstview_Checklist->indexOfTopLevelItem(item));
  });
  lbl_NextPage->on_click = [this] { editor_.NextPage(); };
  lbl_PrevPage->on_click = [this] { editor_.PrevPage(); };
  connect(txt_Challenge, &QLineEdit::textChanged, this,
          [this](const QString& t) { editor_.ChallengeChanged(ToAnsi(t)); });
  connect(txt_Pronunciation, &QLineEdit::textChanged, this,
          [this](const QString& t) { editor_.PronunciationChanged(ToAnsi(t)); });
  connect(txt_Response, &QLineEdit::textChanged, this,
          [this](const QString& t) { editor_.ResponseChanged(ToAnsi(t)); });
  connect(lst_Responses, &QListWidget::itemSelectionChanged, this, [this] {
    std::vector<bool> selected;
    for (int i = 0; i < lst_Responses->count(); ++i) selected.push_back(lst_Responses->item(i)->isSelected());
    editor_.ResponsesClicked(selected);
  });
}

ChecklistEditorForm::~ChecklistEditorForm() {
  editor_.on_page_shown = nullptr;
  editor_.on_step_shown = nullptr;
  editor_.on_row_changed = nullptr;
}

bool ChecklistEditorForm::eventFilter(QObject* watched, QEvent* e) {
  // A text box that gets the focus selects its whole text, ready to be typed over.
  if (e->type() == QEvent::FocusIn)
    if (auto* edit = qobject_cast<QLineEdit*>(watched)) QTimer::singleShot(0, edit, &QLineEdit::selectAll);
  return BackgroundForm::eventFilter(watched, e);
}

void ChecklistEditorForm::ShowPage() {
  filling_ = true;
  lstview_Checklist->clear();
  for (const auto& [challenge, response] : editor_.Rows)
    new QTreeWidgetItem(lstview_Checklist, {FromAnsi(challenge), FromAnsi(response)});
  filling_ = false;
  comboSection->setCurrentIndex(shell_.p.checklists.CurrentSectionIndex);
  lbl_ChecklistName->setText(FromAnsi(editor_.ChecklistLabel));
  lbl_ChecklistSection->setText(FromAnsi(editor_.SectionLabel));
  lbl_PageNumber->setText(FromAnsi(editor_.PageLabel));
  lbl_NextPage->setVisible(editor_.NextPageVisible);
  lbl_PrevPage->setVisible(editor_.PrevPageVisible);
}

void ChecklistEditorForm::ShowStep() {
  const EditedStep& f = editor_.fields;
  txt_Challenge->setText(FromAnsi(f.challenge));
  txt_Pronunciation->setText(FromAnsi(f.pronunciation));
  txt_Response->setText(FromAnsi(f.responseText));
  for (int i = 0; i < lst_Responses->count() && i < static_cast<int>(f.validResponses.size()); ++i)
    lst_Responses->item(i)->setSelected(f.validResponses[static_cast<std::size_t>(i)].selected);
  filling_ = true;
  QTreeWidgetItem* row = lstview_Checklist->topLevelItem(editor_.HighlightedRow);
  lstview_Checklist->setCurrentItem(row);
  if (row) lstview_Checklist->scrollToItem(row);
  filling_ = false;
  lbl_ChecklistName->setText(FromAnsi(editor_.ChecklistLabel));
}

void ChecklistEditorForm::ShowRow(int row) {
  if (QTreeWidgetItem* item = lstview_Checklist->topLevelItem(row)) {
    const auto& [challenge, response] = editor_.Rows[static_cast<std::size_t>(row)];
    item->setText(0, FromAnsi(challenge));
    item->setText(1, FromAnsi(response));
  }
}

}  // namespace talvane::ui
