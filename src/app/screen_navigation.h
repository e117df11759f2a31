// The main window hosts one screen at a time. Screens are windows of their
// own that are placed into the main window while they are shown and given
// back their own parent when hidden. The main window's three action buttons
// are rewritten on every screen change, so their action words always mean
// something for the screen on show.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "app/program.h"
#include "app/skinned_button.h"

namespace talvane {

// What the screens need of the windowing system. The Qt program places real
// windows; the tests record.
class ScreenHost {
 public:
  virtual ~ScreenHost() = default;
  // Creates the screen's window on first use (its load marks it loaded).
  virtual void LoadScreen(Form f) = 0;
  virtual bool IsScreenVisible(Form f) const = 0;
  // Moves the screen to (left, top) of the main window, shows it on top and
  // makes the main window its parent, remembering the previous parent.
  virtual void PlaceScreen(Form f, int left, int top) = 0;
  // Gives the screen its previous parent back and hides it.
  virtual void ReleaseScreen(Form f) = 0;
  // The main window's tip line.
  virtual void SetTip(const std::string& text) = 0;
};

// Where a screen sits in the main window.
inline constexpr int kScreenLeft = 5, kScreenTop = 101;
// The action bar's places: button 2 at the first, buttons 1 and 3 at the
// second column; button 3 on the row below.
inline constexpr int kActionColumn1 = 581, kActionColumn2 = 686;
inline constexpr int kActionRow1 = 556, kActionRow2 = 598;

// The screens in the order ShowScreen hides them.
inline constexpr Form kScreens[] = {Form::frm_Home,   Form::frm_Modify, Form::frm_Assign, Form::frm_Configure,
                                    Form::frm_Script, Form::frm_Test,   Form::frm_LC,
                                    Form::frm_VoiceTraining};

// The tip line on the home screen, which has no tip of its own.
inline constexpr const char* kHomeTip = "Choose a task below, or launch FSX with speech recognition.";

// The tip line's text for each screen, built once at start-up; empty for the
// windows without one.
using ScreenTips = std::array<std::string, kFormCount>;
ScreenTips BuildScreenTips();

class ScreenNavigation {
 public:
  ScreenNavigation(Program& p, ScreenHost& host, ButtonBoard& board);

  // The main window's five buttons and the home screen's five, as the
  // windows are loaded.
  void SetUpMainWindowButtons();
  void SetUpHomeButtons();

  void ShowScreen(Form f);
  // Names are compared without regard to case; other names do nothing.
  void HideScreen(std::string_view name);

  // The name of the screen last shown ("frm_Modify"), empty before any.
  std::string CurrentScreenName;

  SkinnedButton& ActionButton(int n);  // 1, 2 or 3
  SkinnedButton& MainButton(std::string_view action_word);  // "minimize", "close"
  SkinnedButton* HomeButton(std::string_view action_word);

  // Action bar set-ups of the screen changes.
  // The checklist editor, the assignments and the speech configuration:
  // save (button 1) and return (button 2); compile (button 3) only for the
  // configuration, enabled with save when `unsaved` says so.
  void SetEditScreenBar(Form screen, const std::string& saveTip, bool compileVisible, bool unsaved);
  // Only the return button (help centre, and the script and test screens'
  // own bars start from it).
  void SetReturnOnlyBar(Form screen, const std::string& returnTip);
  void HideActionBar();
  void ShowTipFor(Form screen);
  // Back to the home screen: hides the current screen, shows home, hides the bar.
  void ReturnHome();
  // Sets one of the action bar's buttons and shows it as set.
  void SetBarButton(int n, const char* word, Form screen, const char* picture, bool enabled, const std::string& tip,
                    bool visible, int left);

 private:

  Program& p_;
  ScreenHost& host_;
  ButtonBoard& board_;
  SkinnedButton* bar_[3] = {};
};

// The form whose name matches without regard to case.
std::optional<Form> FormByName(std::string_view name);

}  // namespace talvane
