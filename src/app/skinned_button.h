// The state of a skinned button, kept apart from its drawing so the button's
// behaviour (hover, leave, press, the reset of its siblings) is the same in
// the Qt program and in the tests. A button carries no handler of its own:
// its action word and the screen it acts for choose the action when it is
// released (button_actions.h).
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/program.h"

namespace talvane {

enum class ButtonKind { FormButton, SmallButton, MediumButton, LargeButton };

// The four states; the text is what the program reads and writes.
inline constexpr const char* kStateEnabled = "enabled";
inline constexpr const char* kStateHighlight = "highlight";
inline constexpr const char* kStateDown = "down";
inline constexpr const char* kStateDisabled = "disabled";

struct ButtonSize {
  int width, height;
};
ButtonSize SizeOf(ButtonKind kind);
// The top of the state's frame in the button's bitmap strip (0 or negative:
// the strip is moved up behind the button). Unknown states show frame 0.
int FrameOffset(ButtonKind kind, std::string_view state);
// Whether hovering a button of this kind returns its siblings to "enabled".
bool ResetsSiblings(ButtonKind kind);

class SkinnedButton {
 public:
  SkinnedButton(ButtonKind kind, Form owner, std::string name) : kind_(kind), owner_(owner), name_(std::move(name)) {}

  ButtonKind kind() const { return kind_; }
  Form owner() const { return owner_; }              // the window the control sits on
  const std::string& name() const { return name_; }  // its control name

  // The properties the rest of the program reads and writes.
  std::string state = kStateEnabled;
  std::string picture;
  std::string ToolTip;
  std::string HelpText;
  std::string button_type;
  Form form_name = Form::frm_Parent;
  bool visible = true;
  int left = 0, top = 0;  // in the owner window

  bool disabled() const { return state == kStateDisabled; }
  // Sets the state and tells the drawing.
  void SetState(std::string_view s);
  // Tells the drawing that properties changed (after several are set).
  void Changed() const {
    if (on_changed) on_changed();
  }
  // Set by the drawing to follow the properties.
  std::function<void()> on_changed;

  // Leave tracking: true between the first move over the button and the
  // leave that follows.
  bool tracking = false;

 private:
  ButtonKind kind_;
  Form owner_;
  std::string name_;
};

// A button as a window lays it out: its kind, name (also its picture's),
// the word its clicks send, tooltip and place.
struct ButtonPlace {
  ButtonKind kind;
  const char* name;
  const char* word;
  const char* tip;
  int left, top;
};

// Every skinned button of the program, by the window it sits on, in the
// order the window holds them.
class ButtonBoard {
 public:
  SkinnedButton& Add(ButtonKind kind, Form owner, std::string name);
  void AddAll(Form owner, std::span<const ButtonPlace> places);
  std::vector<SkinnedButton*> OnForm(Form f) const;
  SkinnedButton* Find(Form owner, std::string_view name) const;
  // Ends the buttons of a form (their drawing lets go of them) before exit.
  void ReleaseFormButtons(Form f);

 private:
  std::vector<std::unique_ptr<SkinnedButton>> buttons_;
};

// Mouse behaviour. `board` supplies the siblings: the buttons of the same
// kind on the window that the button's form_name names.
void MouseMove(SkinnedButton& b, ButtonBoard& board);
void MouseLeave(SkinnedButton& b);
void MousePress(SkinnedButton& b);

}  // namespace talvane
