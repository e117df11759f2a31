// What core code asks of the user interface: modal messages, the file-open
// dialog, progress, the splash status line, and ending the program. The Qt
// program shows real dialogs; the command-line tool and the tests record.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace talvane {

// Icon kinds of the message dialog.
enum MessageIcon : int { kIconInformation = 0, kIconWarning = 1, kIconError = 2 };

// One message dialog, texts in Windows-1252.
struct Message {
  std::string title;
  std::string text;  // paragraphs joined by two carriage returns
  int icon = kIconInformation;
  bool ok = true;
  bool cancel = false;
  std::string id;  // chooses the OK action
};

struct FileDialog {
  std::string title;
  std::string filter;          // "Description|*.ext"
  std::string initial_folder;  // native path
};

class UserInterface {
 public:
  virtual ~UserInterface() = default;
  // Modal: returns when the dialog has been closed.
  virtual void ShowMessage(const Message& m) = 0;
  // The chosen file's full native path, or nullopt when nothing was chosen.
  virtual std::optional<std::string> BrowseForFile(const FileDialog& d) = 0;
  virtual void ShowProgress(const std::string& title, const std::string& text) = 0;
  virtual void UpdateProgress(const std::string& text, double percent) = 0;
  virtual void HideProgress() = 0;
  // Shows or hides a Cancel button on the progress dialog (hidden by each
  // ShowProgress); its press is the frm_Progress "cancel" action.
  virtual void ShowProgressCancel(bool /*shown*/) {}
  virtual void SetSplashStatus(const std::string& text) = 0;
  // Ends the program. Core code returns at once after calling it; the
  // program's implementation does not come back.
  virtual void ExitProgram() = 0;
  // Lets pending events run during a wait.
  virtual void ProcessEvents() {}
};

// Records every request. Used by the tests and by the command-line tool.
class RecordingUserInterface : public UserInterface {
 public:
  struct Progress {
    std::string text;
    double percent;
  };

  void ShowMessage(const Message& m) override;
  std::optional<std::string> BrowseForFile(const FileDialog& d) override;
  void ShowProgress(const std::string& title, const std::string& text) override;
  void UpdateProgress(const std::string& text, double percent) override;
  void HideProgress() override;
  void ShowProgressCancel(bool shown) override { progress_cancel = shown; }
  void SetSplashStatus(const std::string& text) override;
  void ExitProgram() override;

  // Answers for the coming file dialogs, in order; none left means "nothing chosen".
  std::deque<std::optional<std::string>> browse_answers;

  std::vector<Message> messages;
  std::vector<FileDialog> dialogs;
  std::vector<std::string> splash;
  std::vector<Progress> progress;
  std::string progress_title;
  bool progress_visible = false;
  bool progress_cancel = false;
  bool exit_requested = false;
  // Called for each message as it is shown (the tool prints it).
  void (*on_message)(const Message&) = nullptr;
};

}  // namespace talvane
