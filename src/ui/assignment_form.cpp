#include "ui/assignment_form.h"

#include <QHeaderView>
#include <algorithm>
#include <map>
#include <QPixmap>
#include <QSignalBlocker>

#include "ui/dialog_forms.h"
#include "ui/media.h"

namespace talvane::ui {

AssignmentForm::AssignmentForm(ProgramShell& shell)
    : BackgroundForm(shell, Form::frm_Assign, "\\Media\\Forms\\Assign_BG.bmp", QSize(790, 447)),
      screen_(shell.assignment_screen) {
  for (std::size_t i = 0; i < ImageList1.size(); ++i)
    ImageList1[i] = QIcon(LoadMedia(shell.p.ctx.program_folder, "\\Media\\Tree\\acft_" + std::to_string(i) + ".bmp"));

  acftTV = new QTreeWidget(this);
  acftTV->setObjectName("acftTV");
  acftTV->setGeometry(14, 42, 300, 392);
  acftTV->header()->hide();

  const auto caption = [this](const char* name, const char* text, int top) {
    Label(this, name, QRect(330, top, 170, 20), kPanelText, false, text);
    QLabel* value = Label(this, (std::string(name) + "_Value").c_str(), QRect(500, top, 276, 20), kPanelText, false);
    QFont bold = value->font();
    bold.setBold(true);
    value->setFont(bold);
    return value;
  };
  lbl_Manufacturer = caption("lbl_ManufacturerCaption", "Manufacturer:", 42);
  lbl_Manufacturer->setObjectName("lbl_Manufacturer");
  lbl_Type = caption("lbl_TypeCaption", "Type:", 64);
  lbl_Type->setObjectName("lbl_Type");
  lbl_Variation = caption("lbl_VariationCaption", "Variation:", 86);
  lbl_Variation->setObjectName("lbl_Variation");
  lbl_Checklist = caption("lbl_ChecklistCaption", "Assigned Checklist Name:", 108);
  lbl_Checklist->setObjectName("lbl_Checklist");

  Image1 = new QLabel(this);
  Image1->setObjectName("Image1");
  Image1->setGeometry(330, 140, 200, 150);
  Image1->setAlignment(Qt::AlignCenter);
  Image1->setFrameShape(QFrame::Box);

  Label(this, "lbl_ChecklistsCaption", QRect(546, 136, 230, 18), kPanelText, false, "Available Checklists");
  lstChecklists = new QListWidget(this);
  lstChecklists->setObjectName("lstChecklists");
  lstChecklists->setGeometry(546, 156, 230, 234);

  chk_Written = new QCheckBox(this);
  chk_Written->setObjectName("chk_Written");
  chk_Written->setGeometry(330, 306, 20, 20);
  lbl_Written = new ClickableLabel(this, "lbl_Written", QRect(354, 300, 180, 48),
                                   "Check to Write Checklist to the Aircraft's Kneeboard in FSX.");
  lbl_Written->setWordWrap(true);

  screen_.on_tree_filled = [this] { FillTree(); };
  screen_.on_marks_changed = [this] { ShowMarks(); };
  screen_.on_list_filled = [this] { FillList(); };
  screen_.on_aircraft_shown = [this] { ShowAircraft(); };
  screen_.Load();
  for (SkinnedButton* b : shell.buttons.OnForm(Form::frm_Assign)) AddButtonWidget(*b);

  const auto keyOf = [](QTreeWidgetItem* item) { return ToAnsi(item->data(0, Qt::UserRole).toString()); };
  connect(acftTV, &QTreeWidget::currentItemChanged, this, [this, keyOf](QTreeWidgetItem* item) {
    screen_.TreeSelectionChanged();
    // The keyboard moves the selection too: the aircraft follows it.
    if (item) screen_.ClickNode(keyOf(item));
  });
  connect(acftTV, &QTreeWidget::itemClicked, this, [this, keyOf](QTreeWidgetItem* item) { screen_.ClickNode(keyOf(item)); });
  const auto listClick = [this](QListWidgetItem* item) { screen_.ClickChecklist(lstChecklists->row(item)); };
  connect(lstChecklists, &QListWidget::itemClicked, this, listClick);
  connect(lstChecklists, &QListWidget::itemActivated, this, listClick);
  connect(chk_Written, &QCheckBox::toggled, this, [this](bool on) { screen_.Written = on; });
  lbl_Written->on_click = [this] {
    screen_.ClickWrittenLabel();
    chk_Written->setChecked(screen_.Written);
  };
}

AssignmentForm::~AssignmentForm() {
  screen_.on_tree_filled = nullptr;
  screen_.on_marks_changed = nullptr;
  screen_.on_list_filled = nullptr;
  screen_.on_aircraft_shown = nullptr;
}

QTreeWidgetItem* AssignmentForm::Node(const QString& key) const {
  for (QTreeWidgetItemIterator it(acftTV); *it; ++it)
    if ((*it)->data(0, Qt::UserRole).toString() == key) return *it;
  return nullptr;
}

void AssignmentForm::FillTree() {
  const QSignalBlocker quiet(acftTV);
  acftTV->clear();
  std::map<std::string, QTreeWidgetItem*> byKey;
  for (const AircraftNode& n : screen_.Nodes) {
    const auto parent = byKey.find(n.parentKey);
    auto* item = parent == byKey.end() ? new QTreeWidgetItem(acftTV) : new QTreeWidgetItem(parent->second);
    item->setText(0, FromAnsi(n.text));
    item->setData(0, Qt::UserRole, FromAnsi(n.key));
    byKey[n.key] = item;
  }
}

void AssignmentForm::ShowMarks() {
  std::size_t n = 0;
  for (QTreeWidgetItemIterator it(acftTV); *it && n < screen_.Nodes.size(); ++it, ++n)
    (*it)->setIcon(0, ImageList1[static_cast<std::size_t>(std::clamp(screen_.Nodes[n].image, 1, 7) - 1)]);
}

void AssignmentForm::FillList() {
  const QSignalBlocker quiet(lstChecklists);
  lstChecklists->clear();
  for (const auto& entry : screen_.Checklists) {
    auto* item = new QListWidgetItem(FromAnsi(entry.text), lstChecklists);
    item->setData(Qt::UserRole, entry.data);
  }
  lstChecklists->setCurrentRow(screen_.SelectedChecklist);
}

void AssignmentForm::ShowAircraft() {
  lbl_Manufacturer->setText(FromAnsi(screen_.ManufacturerLabel));
  lbl_Type->setText(FromAnsi(screen_.TypeLabel));
  lbl_Variation->setText(FromAnsi(screen_.VariationLabel));
  lbl_Checklist->setText(FromAnsi(screen_.ChecklistLabel));
  {
    const QSignalBlocker quiet(lstChecklists);
    lstChecklists->clearSelection();
    lstChecklists->setCurrentRow(screen_.SelectedChecklist);
  }
  // A picture that does not load leaves the frame empty, not the last aircraft's.
  QPixmap picture;
  if (!screen_.Thumbnail.empty()) picture.load(QString::fromStdString(screen_.Thumbnail));
  if (picture.isNull())
    Image1->clear();
  else
    Image1->setPixmap(picture.scaled(Image1->size() - QSize(4, 4), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

}  // namespace talvane::ui
