#include "common/user_interface.h"

namespace talvane {

void RecordingUserInterface::ShowMessage(const Message& m) {
  messages.push_back(m);
  if (on_message) on_message(m);
}

std::optional<std::string> RecordingUserInterface::BrowseForFile(const FileDialog& d) {
  dialogs.push_back(d);
  if (browse_answers.empty()) return std::nullopt;
  auto a = browse_answers.front();
  browse_answers.pop_front();
  return a;
}

void RecordingUserInterface::ShowProgress(const std::string& title, const std::string& text) {
  progress_title = title;
  progress.push_back({text, 0.0});
  progress_visible = true;
  progress_cancel = false;
}

void RecordingUserInterface::UpdateProgress(const std::string& text, double percent) {
  progress.push_back({text, percent});
}

void RecordingUserInterface::HideProgress() {
  progress_visible = false;
  progress_cancel = false;
}

void RecordingUserInterface::SetSplashStatus(const std::string& text) { splash.push_back(text); }

void RecordingUserInterface::ExitProgram() { exit_requested = true; }

}  // namespace talvane
