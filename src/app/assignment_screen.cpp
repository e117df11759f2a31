#include "app/assignment_screen.h"

#include <optional>

#include "app/program_shell.h"
#include "common/files.h"
#include "common/text.h"

namespace talvane {

namespace {

// Variation states as bits, so a parent's mix is their union.
constexpr unsigned kNoChecklist = 1, kAssigned = 2, kWritten = 4;

unsigned StateOfImage(int image) {
  switch (image) {
    case 2:
      return kAssigned;
    case 4:
      return kWritten;
    default:
      return kNoChecklist;
  }
}

const AssignmentRecord* RecordOf(const AssignmentList& a, const AircraftVariation& v) {
  if (v.assignmentIndex < 0 || static_cast<std::size_t>(v.assignmentIndex) >= a.records.size()) return nullptr;
  return &a.records[static_cast<std::size_t>(v.assignmentIndex)];
}

int VariationImage(const AssignmentRecord* r) {
  if (!r || r->checklistName.trimmed().empty()) return 1;
  return r->writeToKneeboard == 1 ? 4 : 2;
}

}  // namespace

int MixedTreeImage(const std::vector<int>& variationImages) {
  unsigned states = 0;
  for (int image : variationImages) states |= StateOfImage(image);
  switch (states) {
    case kAssigned:
      return 2;
    case kNoChecklist | kAssigned:
      return 3;
    case kWritten:
      return 4;
    case kAssigned | kWritten:
      return 5;
    case kNoChecklist | kWritten:
      return 6;
    case kNoChecklist | kAssigned | kWritten:
      return 7;
    default:
      return 1;
  }
}

AssignmentScreen::AssignmentScreen(ProgramShell& shell) : shell_(shell) {
  ActionTable& small = shell.dispatch.Table(ButtonKind::SmallButton);
  small.Set(Form::frm_Assign, "assign", [this](SkinnedButton&) { Assign(); });
  small.Set(Form::frm_Assign, "save", [this](SkinnedButton&) { Save(); });
  shell.on_screen_opened[static_cast<std::size_t>(Form::frm_Assign)] = [this] { Refresh(); };
}

void AssignmentScreen::SetAssignEnabled(bool enabled) {
  if (SkinnedButton* b = shell_.buttons.Find(Form::frm_Assign, "btn_Assign"))
    b->SetState(enabled ? kStateEnabled : kStateDisabled);
}

void AssignmentScreen::Load() {
  if (!shell_.buttons.Find(Form::frm_Assign, "btn_Assign")) {
    SkinnedButton& b = shell_.buttons.Add(ButtonKind::SmallButton, Form::frm_Assign, "btn_Assign");
    b.button_type = "assign";
    b.form_name = Form::frm_Assign;
    b.picture = "btn_Assign";
    b.ToolTip = "Click to assign the selected checklist file to to the selected aircraft.";
    b.left = 681;
    b.top = 398;
  }
  SetAssignEnabled(false);
  FillAircraftTree();
  FillChecklistList();
}

void AssignmentScreen::Refresh() {
  FillChecklistList();
  MarkAircraftTree();
}

void AssignmentScreen::FillAircraftTree() {
  Nodes.clear();
  const AircraftTree& tree = shell_.p.aircraft;
  for (std::size_t m = 0; m < tree.manufacturers.size(); ++m) {
    const AircraftManufacturer& man = tree.manufacturers[m];
    const std::string manKey = TreeNodeKey(static_cast<int>(m));
    Nodes.push_back({manKey, "", man.levelName.trimmed()});
    for (std::size_t t = 0; t < man.types.size(); ++t) {
      const AircraftType& type = man.types[t];
      const std::string typeKey = TreeNodeKey(static_cast<int>(m), static_cast<int>(t));
      Nodes.push_back({typeKey, manKey, type.levelName.trimmed()});
      for (std::size_t v = 0; v < type.variations.size(); ++v)
        Nodes.push_back({TreeNodeKey(static_cast<int>(m), static_cast<int>(t), static_cast<int>(v)), typeKey,
                         type.variations[v].levelName.trimmed()});
    }
  }
  if (on_tree_filled) on_tree_filled();
  MarkAircraftTree();
}

void AssignmentScreen::MarkAircraftTree() {
  const AircraftTree& tree = shell_.p.aircraft;
  const AssignmentList& assignments = shell_.p.assignments;
  // Nodes are in tree order: manufacturer, its first type, that type's
  // variations, the next type, ... so one walk marks them all.
  std::size_t n = 0;
  for (const AircraftManufacturer& man : tree.manufacturers) {
    if (n >= Nodes.size()) break;
    AircraftNode& manNode = Nodes[n++];
    std::vector<int> below;
    for (const AircraftType& type : man.types) {
      if (n >= Nodes.size()) break;
      AircraftNode& typeNode = Nodes[n++];
      std::vector<int> images;
      for (const AircraftVariation& v : type.variations) {
        if (n >= Nodes.size()) break;
        images.push_back(Nodes[n++].image = VariationImage(RecordOf(assignments, v)));
      }
      typeNode.image = MixedTreeImage(images);
      below.insert(below.end(), images.begin(), images.end());
    }
    manNode.image = MixedTreeImage(below);
  }
  if (on_marks_changed) on_marks_changed();
}

void AssignmentScreen::FillChecklistList() {
  Checklists.clear();
  Checklists.push_back({kRestoreDefault, -1});
  const auto& names = shell_.p.checklists.ChecklistNames;
  for (std::size_t i = 0; i < names.size(); ++i) Checklists.push_back({Trim(names[i]), static_cast<int>(i)});
  SelectedChecklist = names.empty() ? -1 : 0;
  SetAssignEnabled(false);
  if (on_list_filled) on_list_filled();
}

void AssignmentScreen::ClickNode(const std::string& key) {
  selection = DecodeTreeNodeKey(key);
  const AircraftTree& tree = shell_.p.aircraft;
  const AircraftVariation* v = tree.Variation(selection.manufacturer, selection.type, selection.variation);
  if (!selection.IsVariation() || !v) return;
  const auto m = static_cast<std::size_t>(selection.manufacturer), t = static_cast<std::size_t>(selection.type);
  ManufacturerLabel = tree.manufacturers[m].levelName.trimmed();
  TypeLabel = tree.manufacturers[m].types[t].levelName.trimmed();
  VariationLabel = v->levelName.trimmed();
  const AssignmentRecord* r = RecordOf(shell_.p.assignments, *v);
  ChecklistLabel = r ? r->checklistName.trimmed() : std::string();
  SelectedChecklist = -1;
  const auto& names = shell_.p.checklists.ChecklistNames;
  for (std::size_t i = 0; r && i < names.size(); ++i)
    if (SameName(names[i], r->checklistName.str())) {
      SelectedChecklist = static_cast<int>(i) + 1;
      break;
    }
  // The picture's name is matched without regard to case, as the
  // simulator's own file system does.
  Thumbnail.clear();
  try {
    if (auto found = FindCaseInsensitive(v->textureFolder, "thumbnail.jpg", false)) Thumbnail = found->string();
  } catch (const std::exception&) {
    // An unreadable folder: no picture.
  }
  if (on_aircraft_shown) on_aircraft_shown();
}

void AssignmentScreen::TreeSelectionChanged() { SetAssignEnabled(false); }

void AssignmentScreen::ClickChecklist(int position) {
  if (position < 0 || position >= static_cast<int>(Checklists.size())) return;
  SelectedChecklist = position;
  // Only an aircraft (a variation) can be given a checklist.
  SetAssignEnabled(selection.IsVariation());
}

void AssignmentScreen::Assign() {
  if (!selection.IsVariation() || SelectedChecklist < 0 || SelectedChecklist >= static_cast<int>(Checklists.size()))
    return;
  Program& p = shell_.p;
  const ListEntry& entry = Checklists[static_cast<std::size_t>(SelectedChecklist)];
  std::optional<std::string> name;
  if (entry.data >= 0) name = entry.text;
  KneeboardSources sources = p.kneeboardSources();
  AssignChecklist(p.ctx, p.aircraft, p.assignments, sources, selection, name, Written);
  if (const AircraftVariation* v = p.aircraft.Variation(selection.manufacturer, selection.type, selection.variation))
    if (const AssignmentRecord* r = RecordOf(p.assignments, *v)) ChecklistLabel = r->checklistName.trimmed();
  if (on_aircraft_shown) on_aircraft_shown();
  MarkAircraftTree();
  shell_.nav.ActionButton(1).SetState(kStateEnabled);
}

void AssignmentScreen::Save() {
  Program& p = shell_.p;
  // A failure is told by the writer itself; the confirmation follows anyway.
  SaveChecklistAssignments(p.ctx, p.assignments);
  shell_.ShowSaved("Checklist Assignments Saved", "The checklist assignments have been saved.",
                   "The checklist assignments have been saved.  In order to use these changes in FSX, the Speech "
                   "Recognition engine needs to be restarted.",
                   "cassign_restart");
  shell_.nav.ActionButton(1).SetState(kStateDisabled);
}

}  // namespace talvane
