#include "app/dialog_actions.h"

namespace talvane {

void DialogActions::OnMessageOk(std::string id, std::function<void()> action) {
  message_ok_[std::move(id)] = std::move(action);
}

void DialogActions::OnInputOk(std::string id, std::function<void(const std::string&)> action) {
  input_ok_[std::move(id)] = std::move(action);
}

void DialogActions::ShowInput(const InputRequest& r) {
  CurrentInputId = r.id;
  host_.ShowInput(r);
}

void DialogActions::MessageOk() {
  const auto it = message_ok_.find(CurrentMessageId);
  if (it == message_ok_.end()) {
    host_.HideMessage();
    return;
  }
  const auto action = it->second;  // the action may show another message
  action();
}

void DialogActions::MessageCancel() { host_.HideMessage(); }

void DialogActions::InputOk(const std::string& text) {
  const auto it = input_ok_.find(CurrentInputId);
  if (it == input_ok_.end()) {
    host_.SetCaptureTimer(false);
    host_.HideInput();
    return;
  }
  const auto action = it->second;
  action(text);
}

void DialogActions::InputCancel() {
  host_.SetCaptureTimer(false);
  host_.HideInput();
}

}  // namespace talvane
