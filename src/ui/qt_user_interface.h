// The program's dialogs on the screen: what core code asks of the user
// interface (messages, file choice, progress, the splash status, the end of
// the program) and what the dialogs' answers need (hiding, the input text,
// the capture timer). Each modal dialog runs an event loop of its own, so a
// dialog's OK action may show the next dialog while the first is closing.
#pragma once

#include <QEventLoop>
#include <QThread>
#include <functional>
#include <memory>
#include <vector>

#include "app/program_shell.h"
#include "common/user_interface.h"
#include "ui/dialog_forms.h"

namespace talvane::ui {

class QtUserInterface : public UserInterface, public DialogHost {
 public:
  // `exit` ends the process (the program's exit steps run first).
  // Made on the window thread. The UserInterface calls may come from any
  // thread: they are carried out on the window thread.
  explicit QtUserInterface(std::function<void()> exit);
  ~QtUserInterface() override;

  // The shell and the main window exist once the program object does.
  void Attach(ProgramShell& shell, const QWidget* mainWindow, std::function<void(const std::string&)> splashStatus);

  // UserInterface
  void ShowMessage(const Message& m) override;
  std::optional<std::string> BrowseForFile(const FileDialog& d) override;
  void ShowProgress(const std::string& title, const std::string& text) override;
  void UpdateProgress(const std::string& text, double percent) override;
  void HideProgress() override;
  void ShowProgressCancel(bool shown) override;
  void SetSplashStatus(const std::string& text) override;
  void ExitProgram() override;
  void ProcessEvents() override;

  // DialogHost
  void ShowInput(const InputRequest& r) override;
  void HideMessage() override;
  void HideInput() override;
  std::string InputText() const override;
  void SetCaptureTimer(bool on) override;

  // Deletes the dialogs while the shell their buttons belong to still lives.
  void DestroyForms();

  // The dialog window of that form once it exists, else null.
  QWidget* ExistingForm(Form f) const;

  MessageForm* messageForm();
  InputForm* inputForm();
  ProgressForm* progressForm();

  // Every splash status shown, in order (the start-up benchmark and tests read it).
  std::vector<std::string> splash_texts;

  // Runs on every tick of the input dialog's capture timer.
  std::function<void()> on_capture_tick;

 private:
  void RunModal(QWidget* form, std::vector<QEventLoop*>& loops);
  static void EndModal(QWidget* form, std::vector<QEventLoop*>& loops);

  QThread* thread() const;

  std::function<void()> exit_;
  QThread* thread_;
  bool exiting_ = false;
  ProgramShell* shell_ = nullptr;
  const QWidget* main_window_ = nullptr;
  std::function<void(const std::string&)> splash_status_;
  std::unique_ptr<MessageForm> message_;
  std::unique_ptr<InputForm> input_;
  std::unique_ptr<ProgressForm> progress_;
  std::vector<QEventLoop*> message_loops_, input_loops_;
};

}  // namespace talvane::ui
