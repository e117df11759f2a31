#include "app/screen_navigation.h"

#include "common/text.h"

namespace talvane {

namespace {



std::string Tip(std::string_view first, std::string_view second, std::string_view lead = "") {
  return std::string(lead) + std::string(first) + std::string(2, kCR) + std::string(second);
}

constexpr const char* kReturnHomeTip = "Click to return to the main Talvane screen";

}  // namespace

ScreenTips BuildScreenTips() {
  ScreenTips t;
  const auto at = [&](Form f) -> std::string& { return t[static_cast<std::size_t>(f)]; };
  at(Form::frm_Modify) =
      Tip("Select checklist to modify from the list below, or press the NEW button to create a new checklist "
          "file, then INSERT for a new checklist item.",
          "Highlight a step in the checklist to modify it.  INSERT will add a step below the highlighted step or at "
          "the bottom when no steps are currently in the checklist.");
  at(Form::frm_Assign) = Tip("Select the aircraft you would like to assign a checklist to from the list provided.",
                             "Highlight an available checklist from the bottom list then press the assign button.  "
                             "Be sure to save your changes.");
  at(Form::frm_Configure) =
      Tip("Modify the grammar you speak or the readback your copilot will say with the options below.",
          "You may add, edit, or delete grammars and readbacks to customize your experience with Talvane.");
  at(Form::frm_Script) =
      Tip("The information below displays all of the possible phrases you may speak to Flight Simulator using "
          "Talvane.  This list will change as you make changes on the Configuration screen.",
          "You can save the script to a file for later printing.");
  at(Form::frm_Test) =
      Tip("Use this screen to test speech recognition for a grammar command.  Press the START button to begin "
          "speaking the correct phrase.",
          "The recognition engine will display what it hears from your speech.");
  at(Form::frm_VoiceTraining) =
      Tip("Train Talvane to your voice: choose or name a voice profile, press RECORD and read each prompt aloud, "
          "then press STOP.",
          "After at least 10 prompts, ADAPT MODEL tunes the speech recognition to your voice and puts the profile "
          "in use.");
  at(Form::frm_LC) = Tip(
      "The learning center is your integrated help system for Talvane.  Use the list on the left side of the "
      "screen to select the topic you would like to receive help with.",
      "The RETURN button will return you to the main Talvane screen.", std::string(1, kCR));
  return t;
}

std::optional<Form> FormByName(std::string_view name) {
  for (std::size_t i = 0; i < kFormCount; ++i) {
    const Form f = static_cast<Form>(i);
    if (EqualsNoCase(name, FormName(f))) return f;
  }
  return std::nullopt;
}

ScreenNavigation::ScreenNavigation(Program& p, ScreenHost& host, ButtonBoard& board)
    : p_(p), host_(host), board_(board) {}

void ScreenNavigation::SetUpMainWindowButtons() {
  const auto add = [&](ButtonKind kind, const char* name, const char* word, const char* picture, const char* tip) {
    SkinnedButton& b = board_.Add(kind, Form::frm_Parent, name);
    b.button_type = word;
    b.picture = picture;
    b.ToolTip = tip;
    return &b;
  };
  add(ButtonKind::FormButton, "btn_Minimize", "minimize", "btn_Minimize", "Click to minimize the Talvane inteface");
  add(ButtonKind::FormButton, "btn_Close", "close", "btn_Close", "Click to exit the Talvane inteface");
  bar_[0] = add(ButtonKind::SmallButton, "btn_Action1", "ok", "btn_ParentOK", kReturnHomeTip);
  bar_[1] = add(ButtonKind::SmallButton, "btn_Action2", "cancel", "btn_ParentHome", kReturnHomeTip);
  bar_[2] = add(ButtonKind::SmallButton, "btn_Action3", "compile", "btn_ParentCompile",
                "Click to compile the speech recognition grammar files");
  MainButton("minimize").left = 722;
  MainButton("close").left = 760;
  MainButton("minimize").top = MainButton("close").top = 10;
  bar_[0]->left = kActionColumn2;
  bar_[1]->left = kActionColumn1;
  bar_[2]->left = kActionColumn2;
  bar_[0]->top = bar_[1]->top = kActionRow1;
  bar_[2]->top = kActionRow2;
  // Nothing on the home screen uses the bar.
  for (SkinnedButton* b : bar_) b->visible = false;
}

void ScreenNavigation::SetUpHomeButtons() {
  struct Row {
    const char* word;
    const char* picture;
    const char* tip;
    int left, top;
  };
  static constexpr Row kRows[] = {
      {"learning_center", "btn_LearningCenter", "Click to access the learning center, to learn how to use Talvane.",
       40, 40},
      {"speech_config", "btn_Configuration", "Click to modify the existing speech configuration files for Talvane.",
       40, 120},
      {"checklist_assignments", "btn_ChecklistAssignments",
       "Click to change or add checklist assignments to aircraft in FSX.", 40, 200},
      {"checklist_modification", "btn_ChecklistModification",
       "Click to create new or modify existing verbal checklists in FSX", 40, 280},
      {"launch_fsx", "btn_Launch", "Click to close the Talvane interface and start FSX with speech recognition", 442,
       360},
  };
  for (const Row& r : kRows) {
    SkinnedButton& b = board_.Add(ButtonKind::LargeButton, Form::frm_Home, std::string("btn_") + r.word);
    b.button_type = r.word;
    b.picture = r.picture;
    b.ToolTip = r.tip;
    b.left = r.left;
    b.top = r.top;
  }
}

SkinnedButton& ScreenNavigation::ActionButton(int n) { return *bar_[n - 1]; }

SkinnedButton& ScreenNavigation::MainButton(std::string_view word) {
  return *board_.Find(Form::frm_Parent, word == "minimize" ? "btn_Minimize" : "btn_Close");
}

SkinnedButton* ScreenNavigation::HomeButton(std::string_view word) {
  return board_.Find(Form::frm_Home, "btn_" + std::string(word));
}

void ScreenNavigation::ShowScreen(Form f) {
  for (Form s : kScreens)
    if (p_.IsLoaded(s) && host_.IsScreenVisible(s)) HideScreen(FormName(s));
  host_.LoadScreen(f);
  host_.PlaceScreen(f, kScreenLeft, kScreenTop);
  CurrentScreenName = FormName(f);
}

void ScreenNavigation::HideScreen(std::string_view name) {
  for (Form s : kScreens)
    if (EqualsNoCase(name, FormName(s))) {
      if (p_.IsLoaded(s)) host_.ReleaseScreen(s);
      return;
    }
}

void ScreenNavigation::ShowTipFor(Form screen) { host_.SetTip(p_.screenTips[static_cast<std::size_t>(screen)]); }

void ScreenNavigation::SetBarButton(int n, const char* word, Form screen, const char* picture, bool enabled,
                                    const std::string& tip, bool visible, int left) {
  SkinnedButton& b = ActionButton(n);
  b.button_type = word;
  b.form_name = screen;
  b.picture = picture;
  b.state = enabled ? kStateEnabled : kStateDisabled;
  b.ToolTip = tip;
  b.visible = visible;
  b.left = left;
  b.Changed();
}

void ScreenNavigation::SetEditScreenBar(Form screen, const std::string& saveTip, bool compileVisible, bool unsaved) {
  SetBarButton(1, "save", screen, "btn_ParentSave", unsaved, saveTip, true, kActionColumn2);
  SetBarButton(2, "cancel", screen, "btn_ParentHome", true, kReturnHomeTip, true, kActionColumn1);
  SetBarButton(3, "compile", screen, "btn_ParentCompile", compileVisible && unsaved,
               "Click to compile the speech recognition grammar files", compileVisible, kActionColumn2);
  ShowTipFor(screen);
}

void ScreenNavigation::SetReturnOnlyBar(Form screen, const std::string& returnTip) {
  SetBarButton(2, "cancel", screen, "btn_ParentReturn", true, returnTip, true, kActionColumn1);
  for (int n : {1, 3}) {
    ActionButton(n).visible = false;
    ActionButton(n).Changed();
  }
  ShowTipFor(screen);
}

void ScreenNavigation::HideActionBar() {
  for (SkinnedButton* b : bar_) {
    b->visible = false;
    b->Changed();
  }
}

void ScreenNavigation::ReturnHome() {
  HideScreen(CurrentScreenName);
  ShowScreen(Form::frm_Home);
  HideActionBar();
  host_.SetTip(kHomeTip);
}

}  // namespace talvane
