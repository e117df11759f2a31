#include "app/checklist_editor.h"

#include <algorithm>

#include "app/program_shell.h"
#include "common/files.h"
#include "common/text.h"
#include "grammar/compile_pipeline.h"

namespace talvane {

namespace {

constexpr const char* kPressOkToContinue = "Please press OK to continue...";

struct ButtonSetUp {
  ButtonKind kind;
  const char* name;
  const char* word;
  const char* picture;
  bool enabled;
  const char* tip;
  int left, top;
};

// Where the buttons sit on the 790 x 447 screen: the four step and file
// buttons under the step list, "play" beside the pronunciation box.
constexpr ButtonSetUp kButtons[] = {
    {ButtonKind::FormButton, "btn_Play", "play", "btn_smlPlay", true, "Click to test the pronunciation", 743, 105},
    {ButtonKind::SmallButton, "btn_Load", "load", "btn_Load", true,
     "Click to load a checklist file to modify for Talvane", 116, 398},
    {ButtonKind::SmallButton, "btn_New", "new", "btn_New", true,
     "Click to create a new checklist file to use in Talvane", 14, 398},
    {ButtonKind::SmallButton, "btn_Insert", "insert", "btn_Insert", false,
     "Click to insert a new step into the checklist below the highlighted step", 218, 398},
    {ButtonKind::SmallButton, "btn_Delete", "delete", "btn_Delete", false,
     "Click to delete the currently highlighted step in the checklist", 320, 398},
};

std::string Row(const FixedText<256>& text) { return Upper(text.trimmed()); }
std::string Row(const FixedText<128>& text) { return Upper(text.trimmed()); }

}  // namespace

ChecklistEditor::ChecklistEditor(ProgramShell& shell) : shell_(shell) {
  ActionTable& small = shell.dispatch.Table(ButtonKind::SmallButton);
  small.Set(Form::frm_Modify, "new", [this](SkinnedButton&) { New(); });
  small.Set(Form::frm_Modify, "load", [this](SkinnedButton&) { LoadFile(); });
  small.Set(Form::frm_Modify, "insert", [this](SkinnedButton&) { Insert(); });
  small.Set(Form::frm_Modify, "delete", [this](SkinnedButton&) { Delete(); });
  small.Set(Form::frm_Modify, "save", [this](SkinnedButton&) { Save(); });
  shell.dispatch.Table(ButtonKind::FormButton).Set(Form::frm_Modify, "play", [this](SkinnedButton&) { Play(); });
  shell.dialogs.OnInputOk("new_checklist", [this](const std::string& text) {
    shell_.dialogs.host().HideInput();
    NewChecklistNamed(text);
  });
  shell.on_screen_opened[static_cast<std::size_t>(Form::frm_Modify)] = [this] { Reset(); };
}

ChecklistModel& ChecklistEditor::model() { return shell_.p.checklists; }

ChecklistSection& ChecklistEditor::section() {
  ChecklistModel& m = model();
  // Until "new" or "load" names a checklist the sections in memory are the
  // last one's (or the kneeboard writer's): they are not on show, and no
  // edit can reach them.
  if (m.CurrentChecklistName.empty()) {
    none_.steps.clear();
    return none_;
  }
  return m.ChecklistSection[static_cast<std::size_t>(std::clamp<int>(m.CurrentSectionIndex, 0, kSectionCount - 1))];
}

SkinnedButton* ChecklistEditor::Button(const char* word) {
  for (SkinnedButton* b : shell_.buttons.OnForm(Form::frm_Modify))
    if (b->button_type == word) return b;
  return nullptr;
}

void ChecklistEditor::SetButton(const char* word, bool enabled) {
  if (SkinnedButton* b = Button(word)) b->SetState(enabled ? kStateEnabled : kStateDisabled);
}

void ChecklistEditor::SetModified(bool modified) {
  Modified = modified;
  if (shell_.nav.CurrentScreenName == FormName(Form::frm_Modify))
    shell_.nav.ActionButton(1).SetState(modified ? kStateEnabled : kStateDisabled);
}

void ChecklistEditor::Load() {
  if (!Button("play")) {
    for (const ButtonSetUp& s : kButtons) {
      SkinnedButton& b = shell_.buttons.Add(s.kind, Form::frm_Modify, s.name);
      b.button_type = s.word;
      b.form_name = Form::frm_Modify;
      b.picture = s.picture;
      b.state = s.enabled ? kStateEnabled : kStateDisabled;
      b.ToolTip = s.tip;
      b.left = s.left;
      b.top = s.top;
    }
  }
  fields.validResponses.clear();
  for (const ChecklistResponse& r : shell_.p.settings.ChecklistResponses)
    fields.validResponses.push_back({Trim(r.response), r.functionNumber, false});
  SelectSection(0);
}

void ChecklistEditor::Reset() {
  ChecklistModel& m = model();
  Loading = true;
  fields.challenge.clear();
  fields.pronunciation.clear();
  fields.responseText.clear();
  for (auto& e : fields.validResponses) e.selected = false;
  HighlightedRow = -1;
  if (on_step_shown) on_step_shown();
  Loading = false;
  SetButton("insert", false);
  SetButton("delete", false);
  m.CurrentChecklistName.clear();
  ChecklistLabel.clear();
  m.CurrentSectionIndex = m.CurrentPage = m.LastPage = m.CurrentStepIndex = 0;
  SectionLabel = kSectionEditorNames[0];
  ShowPage();
  SetModified(false);
}

void ChecklistEditor::StoreBeforeMove() {
  if (!Modified || StoreEditedStep(model(), fields) == 0) return;
  shell_.p.ctx.Tell("Checklist Modification Error",
                    Paragraphs({"There was an error while updating the checklist modifications.  Please be sure to "
                                "press the SAVE button to save all of your modifications.",
                                kPressOkToContinue}),
                    kIconInformation);
}

void ChecklistEditor::ShowPage() {
  ChecklistModel& m = model();
  const ChecklistSection& sec = section();
  const int first = m.CurrentPage * kStepsPerPage;
  Rows.clear();
  for (int s = first; s < first + kStepsPerPage && s < static_cast<int>(sec.steps.size()); ++s) {
    const ChecklistStep& step = sec.steps[static_cast<std::size_t>(s)];
    Rows.emplace_back(Row(step.challenge), Row(step.responseText));
  }
  // Pages go on past the fifth, so no step of a long section is out of reach.
  m.LastPage = static_cast<std::int16_t>(std::max<int>(sec.lastStep(), 0) / kStepsPerPage);
  NextPageVisible = m.CurrentPage < m.LastPage;
  PrevPageVisible = m.CurrentPage >= 1;
  PageLabel = "Page " + ToDecimal(m.CurrentPage + 1) + " of " + ToDecimal(m.LastPage + 1);
  if (on_page_shown) on_page_shown();
}

void ChecklistEditor::ShowStep() {
  ChecklistModel& m = model();
  const ChecklistSection& sec = section();
  Loading = true;
  if (sec.steps.empty()) {
    fields.challenge.clear();
    fields.pronunciation.clear();
    fields.responseText.clear();
    for (auto& e : fields.validResponses) e.selected = false;
    HighlightedRow = -1;
  } else {
    // The kneeboard writer may have loaded a shorter checklist meanwhile.
    m.CurrentStepIndex = std::clamp<std::int16_t>(m.CurrentStepIndex, 0, sec.lastStep());
    const ChecklistStep& step = sec.steps[static_cast<std::size_t>(m.CurrentStepIndex)];
    fields.challenge = step.challenge.trimmed();
    fields.pronunciation = step.pronunciation.trimmed();
    fields.responseText = step.responseText.trimmed();
    for (auto& e : fields.validResponses)
      e.selected = std::any_of(step.responses.begin(), step.responses.end(),
                               [&](const StepResponse& r) { return r.functionNumber == e.functionNumber; });
    HighlightedRow = m.CurrentStepIndex - m.CurrentPage * kStepsPerPage;
  }
  if (on_step_shown) on_step_shown();
  Loading = false;
  // Steps can only be added to a checklist that has a name to save it under.
  SetButton("insert", !m.CurrentChecklistName.empty());
  SetButton("delete", !sec.steps.empty());
  SetButton("play", !Trim(fields.pronunciation).empty());
}

void ChecklistEditor::SelectSection(int index) {
  if (index < 0 || index >= kSectionCount) return;
  StoreBeforeMove();
  ChecklistModel& m = model();
  m.CurrentSectionIndex = static_cast<std::int16_t>(index);
  m.CurrentStepIndex = 0;
  m.CurrentPage = 0;
  SectionLabel = kSectionEditorNames[static_cast<std::size_t>(index)];
  ShowPage();
  ShowStep();
}

void ChecklistEditor::NextPage() {
  ChecklistModel& m = model();
  if (m.CurrentPage >= m.LastPage) return;
  StoreBeforeMove();
  ++m.CurrentPage;
  m.CurrentStepIndex = static_cast<std::int16_t>(m.CurrentPage * kStepsPerPage);
  ShowPage();
  ShowStep();
}

void ChecklistEditor::PrevPage() {
  ChecklistModel& m = model();
  if (m.CurrentPage < 1) return;
  StoreBeforeMove();
  --m.CurrentPage;
  m.CurrentStepIndex = static_cast<std::int16_t>(m.CurrentPage * kStepsPerPage);
  ShowPage();
  ShowStep();
}

void ChecklistEditor::ClickRow(int row) {
  if (row < 0 || row >= static_cast<int>(Rows.size())) return;
  StoreBeforeMove();
  ChecklistModel& m = model();
  m.CurrentStepIndex = static_cast<std::int16_t>(m.CurrentPage * kStepsPerPage + row);
  ShowStep();
}

void ChecklistEditor::RefreshRow() {
  const ChecklistStep& step = section().steps[static_cast<std::size_t>(model().CurrentStepIndex)];
  const int row = model().CurrentStepIndex - model().CurrentPage * kStepsPerPage;
  if (row < 0 || row >= static_cast<int>(Rows.size())) return;
  Rows[static_cast<std::size_t>(row)] = {Row(step.challenge), Row(step.responseText)};
  if (on_row_changed) on_row_changed(row);
}

ChecklistStep* ChecklistEditor::Typed(std::string& box, const std::string& text) {
  box = text;
  if (Loading || section().steps.empty()) return nullptr;
  SetModified(true);
  return &section().steps[static_cast<std::size_t>(model().CurrentStepIndex)];
}

void ChecklistEditor::ChallengeChanged(const std::string& text) {
  if (ChecklistStep* step = Typed(fields.challenge, text)) {
    step->challenge = Trim(text);
    RefreshRow();
  }
}

void ChecklistEditor::ResponseChanged(const std::string& text) {
  if (ChecklistStep* step = Typed(fields.responseText, text)) {
    step->responseText = Trim(text);
    RefreshRow();
  }
}

void ChecklistEditor::PronunciationChanged(const std::string& text) {
  if (ChecklistStep* step = Typed(fields.pronunciation, text)) {
    step->pronunciation = Trim(text);
    SetButton("play", !Trim(text).empty());
  }
}

void ChecklistEditor::ResponsesClicked(const std::vector<bool>& selected) {
  if (Loading || model().CurrentChecklistName.empty()) return;
  for (std::size_t i = 0; i < fields.validResponses.size() && i < selected.size(); ++i)
    fields.validResponses[i].selected = selected[i];
  SetModified(true);
}

void ChecklistEditor::New() {
  InputRequest r;
  r.title = "New Checklist";
  r.prompt = "Enter the file name for your new checklist file in the space provided below";
  r.field = "File Name";
  r.id = "new_checklist";
  shell_.dialogs.ShowInput(r);
}

void ChecklistEditor::NewChecklistNamed(const std::string& typed) {
  const std::string name = Trim(typed);
  if (name.empty()) return;
  // The name becomes a file of the Checklists folder: it may not lead elsewhere.
  if (!IsPlainFileName(name)) {
    shell_.p.ctx.Tell("Invalid Checklist Name",
                      Paragraphs({"\"" + name + "\" cannot be used as a checklist file name.  A name may not "
                                  "contain \\ or /, and may not be . or ..",
                                  kPressOkToContinue}),
                      kIconWarning);
    return;
  }
  for (ChecklistSection& s : model().ChecklistSection) s.steps.clear();
  Opened(name);
}

void ChecklistEditor::LoadFile() {
  FileDialog d;
  d.title = "Select Checklist File to Modify";
  d.filter = "Checklist Files (*.dat)|*.dat";
  d.initial_folder = shell_.p.ctx.File("\\Checklists").string();
  const std::optional<std::string> chosen = shell_.p.ctx.ui.BrowseForFile(d);
  if (!chosen) return;
  // Only the file name counts: the file is read from the Checklists folder.
  const std::string file = AnsiFromPath(fs::path(*chosen).filename());
  try {
    LoadChecklistFile(shell_.p.ctx, model(), file);
  } catch (const ChecklistFileError& e) {
    shell_.p.ctx.Tell("Checklist Not Loaded",
                      Paragraphs({"The checklist file could not be loaded.", e.what(), kPressOkToContinue}),
                      kIconWarning);
    return;
  }
  Opened(Trim(ReplaceNoCase(file, ".dat", "")));
}

void ChecklistEditor::Opened(const std::string& name) {
  model().CurrentChecklistName = name;
  ChecklistLabel = name;
  // The text boxes still hold the step of the checklist just replaced: they
  // must not be stored into the new one.
  SetModified(false);
  SelectSection(0);
}

void ChecklistEditor::Insert() {
  ChecklistModel& m = model();
  if (m.CurrentChecklistName.empty()) return;
  ChecklistSection& sec = section();
  if (sec.steps.empty()) {
    sec.steps.push_back(NewChecklistStep());
    m.CurrentStepIndex = 0;
  } else {
    StoreBeforeMove();
    sec.steps.insert(sec.steps.begin() + m.CurrentStepIndex + 1, NewChecklistStep());
    ++m.CurrentStepIndex;
  }
  // A step added below the last row of a page opens the next page, so the
  // new step is on show and highlighted.
  m.CurrentPage = static_cast<std::int16_t>(m.CurrentStepIndex / kStepsPerPage);
  ShowPage();
  ShowStep();
  SetModified(true);
}

void ChecklistEditor::Delete() {
  ChecklistModel& m = model();
  ChecklistSection& sec = section();
  if (sec.steps.empty()) return;
  sec.steps.erase(sec.steps.begin() + m.CurrentStepIndex);
  if (sec.steps.empty()) {
    m.CurrentStepIndex = 0;
  } else if (m.CurrentStepIndex > sec.lastStep()) {
    m.CurrentStepIndex = sec.lastStep();
  }
  m.CurrentPage = static_cast<std::int16_t>(m.CurrentStepIndex / kStepsPerPage);
  ShowPage();
  ShowStep();
  SetModified(true);
}

void ChecklistEditor::Play() {
  const std::string text = Trim(fields.pronunciation);
  if (text.empty()) return;
  shell_.p.libraries.fnKELOspeak_Call(1, shell_.p.settings.copilotVoice, 100, 50, text);
}

void ChecklistEditor::Save() {
  Program& p = shell_.p;
  if (SaveChecklistFile(p.ctx, model(), fields) != 0) {
    p.ctx.Tell("Checklist Modification Error",
               Paragraphs({"There was an error while saving the checklist modifications.  Please contact Brevantix "
                           "support at " +
                               std::string(kSupportWebAddress),
                           kPressOkToContinue}),
               kIconInformation);
    return;
  }
  SetModified(false);
  // The assignment screen lists the new file too.
  LoadChecklistNames(p.ctx, model());
  shell_.ShowSaved("Checklist Modifications Saved", "The checklist modifications have been saved.",
                   "The checklist modifications have been saved.  In order to use these changes in FSX, the Speech "
                   "Recognition engine needs to be restarted.",
                   "cmod_restart");
}

}  // namespace talvane
