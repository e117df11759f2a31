// The checklist editor driven as its buttons and controls drive it: opened
// from the home screen, then through the dispatcher by action word.
#include "common/text.h"
#include "shell_fixture.h"

namespace talvane::test {
namespace {

class ChecklistEditorTest : public ShellTest {
 protected:
  ChecklistEditorTest() {
    editor.Load();  // what the form does when the screen is first shown
    ClickHome("checklist_modification");
  }
  SkinnedButton& Button(const char* name) { return *shell.buttons.Find(Form::frm_Modify, name); }
  void Click(const char* name) { shell.dispatch.Release(Button(name)); }
  void Answer(const std::string& text) {
    hosts.input_text = text;
    shell.dialogs.InputOk(text);
  }
  void NewChecklist(const std::string& name) {
    Click("btn_New");
    Answer(name);
  }
  // A checklist whose first section has `steps` steps named "step N".
  void WithSteps(int steps) {
    NewChecklist("Test");
    auto& s = p.checklists.ChecklistSection[0].steps;
    for (int i = 0; i < steps; ++i) {
      s.push_back(NewChecklistStep());
      s.back().challenge = "step " + ToDecimal(i);
    }
    editor.SelectSection(0);
  }
  ChecklistSection& Section() { return p.checklists.ChecklistSection[0]; }

  ChecklistEditor& editor = shell.checklist_editor;
};

TEST_F(ChecklistEditorTest, OpensEmptyAndNewNamesAChecklistWithoutWritingIt) {
  EXPECT_TRUE(Button("btn_Insert").disabled());
  EXPECT_TRUE(Button("btn_Delete").disabled());
  EXPECT_EQ(Button("btn_Play").kind(), ButtonKind::FormButton);
  EXPECT_TRUE(Bar(1).disabled());
  EXPECT_EQ(editor.PageLabel, "Page 1 of 1");
  EXPECT_EQ(editor.fields.validResponses.size(), p.settings.ChecklistResponses.size());
  EXPECT_EQ(editor.fields.validResponses[0].text, "SET");
  EXPECT_EQ(editor.fields.validResponses[0].functionNumber, 50002);

  p.checklists.ChecklistSection[3].steps.push_back(NewChecklistStep());
  Click("btn_New");
  ASSERT_EQ(hosts.inputs.size(), 1u);
  EXPECT_EQ(hosts.inputs[0].title, "New Checklist");
  EXPECT_EQ(hosts.inputs[0].prompt, "Enter the file name for your new checklist file in the space provided below");
  EXPECT_EQ(hosts.inputs[0].field, "File Name");
  EXPECT_EQ(hosts.inputs[0].id, "new_checklist");

  Answer("   ");  // blank: nothing happens
  EXPECT_EQ(p.checklists.CurrentChecklistName, "");
  EXPECT_EQ(p.checklists.ChecklistSection[3].steps.size(), 1u);

  // A name that would leave the Checklists folder is refused and said so.
  for (const char* bad : {"../Data/CommandList", "a\\b", ".."}) {
    NewChecklist(bad);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().title, "Invalid Checklist Name");
    EXPECT_NE(ui.messages.back().text.find("cannot be used as a checklist file name"), std::string::npos);
    EXPECT_EQ(p.checklists.CurrentChecklistName, "");
  }

  NewChecklist(" Glider ");
  EXPECT_EQ(p.checklists.CurrentChecklistName, "Glider");
  EXPECT_EQ(editor.ChecklistLabel, "Glider");
  EXPECT_EQ(editor.SectionLabel, kSectionEditorNames[0]);
  EXPECT_TRUE(p.checklists.ChecklistSection[3].steps.empty());
  EXPECT_FALSE(Button("btn_Insert").disabled());
  EXPECT_TRUE(Button("btn_Delete").disabled());
  EXPECT_EQ(hosts.visible.count(Form::frm_Input), 0u);
  EXPECT_FALSE(fs::exists(program / "Checklists" / "Glider.dat"));  // nothing written before SAVE
}

TEST_F(ChecklistEditorTest, PagesOfTwentyAndInsertBelowTheLastRowOfAPage) {
  NewChecklist("Test");
  for (int i = 0; i < 20; ++i) Click("btn_Insert");
  EXPECT_EQ(Section().steps.size(), 20u);
  EXPECT_EQ(editor.PageLabel, "Page 1 of 1");
  EXPECT_FALSE(editor.NextPageVisible);
  EXPECT_EQ(editor.HighlightedRow, 19);

  // The 21st step opens page 2, where it is highlighted.
  Click("btn_Insert");
  EXPECT_EQ(p.checklists.CurrentStepIndex, 20);
  EXPECT_EQ(editor.PageLabel, "Page 2 of 2");
  EXPECT_EQ(editor.Rows.size(), 1u);
  EXPECT_EQ(editor.HighlightedRow, 0);
  EXPECT_TRUE(editor.PrevPageVisible);
  EXPECT_FALSE(editor.NextPageVisible);

  editor.PrevPage();
  EXPECT_EQ(editor.PageLabel, "Page 1 of 2");
  EXPECT_TRUE(editor.NextPageVisible);
  EXPECT_FALSE(editor.PrevPageVisible);
  EXPECT_EQ(p.checklists.CurrentStepIndex, 0);

  // Inserting after row 20 of page 1 puts the new step at the top of page 2.
  editor.ClickRow(19);
  editor.ChallengeChanged("twentieth");
  Click("btn_Insert");
  EXPECT_EQ(Section().steps.size(), 22u);
  EXPECT_EQ(Trim(Section().steps[19].challenge.str()), "twentieth");
  EXPECT_EQ(Trim(Section().steps[20].challenge.str()), "New Item");
  EXPECT_EQ(editor.PageLabel, "Page 2 of 2");
  EXPECT_EQ(editor.HighlightedRow, 0);
}

TEST_F(ChecklistEditorTest, SectionsLongerThanAHundredStepsArePagedToTheEnd) {
  WithSteps(130);
  EXPECT_EQ(editor.PageLabel, "Page 1 of 7");
  for (int i = 0; i < 6; ++i) editor.NextPage();
  EXPECT_EQ(editor.PageLabel, "Page 7 of 7");
  ASSERT_EQ(editor.Rows.size(), 10u);
  EXPECT_EQ(editor.Rows.back().first, "STEP 129");
  editor.ClickRow(9);
  EXPECT_EQ(editor.fields.challenge, "step 129");
  editor.NextPage();  // there is no eighth page
  EXPECT_EQ(p.checklists.CurrentPage, 6);
}

TEST_F(ChecklistEditorTest, TypingChangesTheStepAndItsRowButFillingDoesNot) {
  WithSteps(2);
  std::vector<std::string> refreshedRows;
  editor.on_row_changed = [&](int row) { refreshedRows.push_back(editor.Rows[static_cast<std::size_t>(row)].first); };
  // The form's change handlers fire while the editor fills the boxes.
  editor.on_step_shown = [&] {
    editor.ChallengeChanged(editor.fields.challenge + " filled");
    editor.PronunciationChanged(editor.fields.pronunciation);
    editor.ResponsesClicked(std::vector<bool>(editor.fields.validResponses.size(), true));
  };
  editor.ClickRow(1);
  EXPECT_EQ(Trim(Section().steps[1].challenge.str()), "step 1");
  EXPECT_FALSE(editor.Modified);
  EXPECT_FALSE(editor.Loading);
  EXPECT_TRUE(refreshedRows.empty());
  editor.on_step_shown = nullptr;

  editor.ChallengeChanged("  mixture rich ");
  editor.ResponseChanged("rich");
  EXPECT_EQ(Section().steps[1].challenge.trimmed(), "mixture rich");  // stored as typed
  EXPECT_EQ(editor.Rows[1], std::make_pair(std::string("MIXTURE RICH"), std::string("RICH")));
  EXPECT_EQ(refreshedRows.back(), "MIXTURE RICH");
  EXPECT_TRUE(editor.Modified);
  EXPECT_FALSE(Bar(1).disabled());

  editor.PronunciationChanged("  ");
  EXPECT_TRUE(Button("btn_Play").disabled());
  editor.PronunciationChanged("mixture");
  EXPECT_FALSE(Button("btn_Play").disabled());
}

TEST_F(ChecklistEditorTest, ResponsesMarkModifiedAndAreStoredOnTheNextMove) {
  WithSteps(2);
  std::vector<bool> chosen(editor.fields.validResponses.size(), false);
  chosen[1] = chosen[3] = true;  // CHECKED, OFF
  editor.ResponsesClicked(chosen);
  EXPECT_TRUE(editor.Modified);
  EXPECT_EQ(Section().steps[0].responses.size(), 3u);  // not yet stored

  editor.ClickRow(1);
  const auto& responses = Section().steps[0].responses;
  ASSERT_EQ(responses.size(), 4u);
  EXPECT_EQ(responses[0].functionNumber, kResponseIgnore);
  EXPECT_EQ(responses[1].functionNumber, kResponseSkip);
  EXPECT_EQ(responses[2].functionNumber, 50003);
  EXPECT_EQ(responses[3].functionNumber, 50005);

  // Back on step 0 the list shows what was stored.
  editor.ClickRow(0);
  EXPECT_TRUE(editor.fields.validResponses[1].selected);
  EXPECT_TRUE(editor.fields.validResponses[3].selected);
  EXPECT_FALSE(editor.fields.validResponses[0].selected);
}

TEST_F(ChecklistEditorTest, DeleteOnlyLastAndMiddleSteps) {
  WithSteps(1);
  Click("btn_Delete");
  EXPECT_TRUE(Section().steps.empty());
  EXPECT_EQ(editor.PageLabel, "Page 1 of 1");
  EXPECT_EQ(editor.fields.challenge, "");
  EXPECT_EQ(editor.HighlightedRow, -1);
  EXPECT_TRUE(Button("btn_Delete").disabled());
  EXPECT_TRUE(editor.Modified);

  WithSteps(21);
  editor.NextPage();
  Click("btn_Delete");  // the last step, alone on page 2
  EXPECT_EQ(Section().steps.size(), 20u);
  EXPECT_EQ(p.checklists.CurrentStepIndex, 19);
  EXPECT_EQ(editor.PageLabel, "Page 1 of 1");
  EXPECT_EQ(editor.HighlightedRow, 19);

  editor.ClickRow(5);
  Click("btn_Delete");
  EXPECT_EQ(p.checklists.CurrentStepIndex, 5);
  EXPECT_EQ(editor.fields.challenge, "step 6");  // now names the next step
}

TEST_F(ChecklistEditorTest, SaveWritesTellsAndOffersTheRestartOnlyWhenBothRun) {
  NewChecklist("Glider");
  Click("btn_Insert");
  editor.ChallengeChanged("Canopy");
  shell.dispatch.Release(Bar(1));
  ASSERT_TRUE(fs::exists(program / "Checklists" / "Glider.dat"));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "Checklist Modifications Saved");
  EXPECT_EQ(ui.messages[0].text, "The checklist modifications have been saved.\r\rPlease press OK to continue...");
  EXPECT_FALSE(ui.messages[0].cancel);
  EXPECT_TRUE(Bar(1).disabled());
  EXPECT_FALSE(editor.Modified);
  // The new file is offered on the assignment screen.
  EXPECT_NE(std::find(p.checklists.ChecklistNames.begin(), p.checklists.ChecklistNames.end(), "Glider"),
            p.checklists.ChecklistNames.end());

  probe.simulator = true;  // the simulator alone: no restart offer
  editor.ChallengeChanged("Canopy closed");
  shell.dispatch.Release(Bar(1));
  EXPECT_EQ(ui.messages.back().id, "");

  probe.voice_module = true;
  editor.ChallengeChanged("Canopy locked");
  shell.dispatch.Release(Bar(1));
  EXPECT_EQ(ui.messages.back().id, "cmod_restart");
  EXPECT_TRUE(ui.messages.back().cancel);
  EXPECT_NE(ui.messages.back().text.find("Press OK to restart, Cancel to continue without restarting."),
            std::string::npos);

  // The file cannot be written: the error, and the edits stay unsaved.
  fs::remove_all(program / "Checklists");
  WriteFile(program / "Checklists", "a file where the folder was");
  editor.ChallengeChanged("Canopy open");
  shell.dispatch.Release(Bar(1));
  EXPECT_EQ(ui.messages.back().title, "Checklist Modification Error");
  EXPECT_NE(ui.messages.back().text.find("There was an error while saving the checklist modifications."),
            std::string::npos);
  EXPECT_TRUE(editor.Modified);
  EXPECT_FALSE(Bar(1).disabled());
}

TEST_F(ChecklistEditorTest, LoadReadsTheChosenNameFromTheChecklistsFolder) {
  WithSteps(3);
  editor.ChallengeChanged("unsaved edit");  // must not leak into the loaded checklist
  const ChecklistSections shipped = [&] {
    ChecklistModel m;
    LoadChecklistFile(p.ctx, m, "Light Single Piston.dat");
    return m.ChecklistSection;
  }();

  ui.browse_answers.push_back(std::nullopt);  // cancelled: nothing changes
  Click("btn_Load");
  EXPECT_EQ(p.checklists.CurrentChecklistName, "Test");
  ASSERT_EQ(ui.dialogs.size(), 1u);
  EXPECT_EQ(ui.dialogs[0].title, "Select Checklist File to Modify");
  EXPECT_EQ(ui.dialogs[0].filter, "Checklist Files (*.dat)|*.dat");
  EXPECT_EQ(fs::path(ui.dialogs[0].initial_folder), program / "Checklists");

  ui.browse_answers.push_back((root / "elsewhere" / "light single piston.DAT").string());
  Click("btn_Load");
  EXPECT_EQ(p.checklists.CurrentChecklistName, "light single piston");
  EXPECT_EQ(editor.ChecklistLabel, "light single piston");
  EXPECT_EQ(p.checklists.ChecklistSection, shipped);
  EXPECT_FALSE(editor.Modified);
  EXPECT_EQ(editor.SectionLabel, kSectionEditorNames[0]);
  EXPECT_FALSE(Button("btn_Delete").disabled());

  const std::size_t before = ui.messages.size();
  WriteFile(program / "Checklists" / "Broken.dat", "not a checklist");
  ui.browse_answers.push_back((program / "Checklists" / "Broken.dat").string());
  Click("btn_Load");
  ASSERT_EQ(ui.messages.size(), before + 1);
  EXPECT_EQ(ui.messages.back().title, "Checklist Not Loaded");
  EXPECT_EQ(p.checklists.CurrentChecklistName, "light single piston");
}

TEST_F(ChecklistEditorTest, OpeningAgainShowsNoChecklistButKeepsTheSectionsInMemory) {
  WithSteps(3);
  editor.ChallengeChanged("edited");
  shell.nav.ReturnHome();
  ClickHome("checklist_modification");
  EXPECT_EQ(p.checklists.CurrentChecklistName, "");
  EXPECT_FALSE(editor.Modified);
  EXPECT_EQ(editor.fields.challenge, "");
  EXPECT_TRUE(Button("btn_Insert").disabled());
  EXPECT_TRUE(Button("btn_Delete").disabled());
  EXPECT_EQ(Section().steps.size(), 3u);

  // The steps left in memory are neither shown nor edited before new or load.
  EXPECT_TRUE(editor.Rows.empty());
  editor.SelectSection(0);
  EXPECT_TRUE(editor.Rows.empty());
  editor.ChallengeChanged("stray");
  editor.ResponsesClicked(std::vector<bool>(editor.fields.validResponses.size(), true));
  editor.Insert();
  EXPECT_FALSE(editor.Modified);
  EXPECT_EQ(Section().steps.size(), 3u);
  EXPECT_EQ(Section().steps[0].challenge.trimmed(), "edited");
}

}  // namespace
}  // namespace talvane::test
