#include "app/button_actions.h"

namespace talvane {

void ActionTable::Set(Form screen, std::string word, ButtonAction action) {
  actions_[{FormName(screen), std::move(word)}] = std::move(action);
}

const ButtonAction* ActionTable::Find(std::string_view screen, std::string_view word) const {
  const auto it = actions_.find(std::pair<std::string, std::string>(screen, word));
  return it == actions_.end() ? nullptr : &it->second;
}

void ButtonDispatch::Run(SkinnedButton& b) {
  // The table is looked up before the action runs: an action may rewrite
  // the button's properties (the action bar changes with the screen).
  const ButtonAction* action = Table(b.kind()).Find(FormName(b.form_name), b.button_type);
  if (action) {
    const ButtonAction run = *action;  // the action may change the tables
    run(b);
  }
}

void ButtonDispatch::Release(SkinnedButton& b) {
  if (b.disabled()) return;
  switch (b.kind()) {
    case ButtonKind::SmallButton:
      b.SetState(kStateHighlight);
      RecognitionResult.assign(kRecognitionBufferSize, ' ');
      Run(b);
      if (!b.disabled()) b.SetState(kStateEnabled);
      return;
    case ButtonKind::LargeButton:
    case ButtonKind::MediumButton:
      b.SetState(kStateHighlight);
      Run(b);
      return;
    case ButtonKind::FormButton:
      Run(b);
      return;
  }
}

}  // namespace talvane
