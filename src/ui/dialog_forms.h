// The program's three dialog windows: the message (modal), the one-line
// input (modal) and the progress window (modeless). They share the dialog
// background and the skinned OK and Cancel buttons.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTimer>
#include <QWidget>

#include "app/program_shell.h"
#include "ui/skinned_button_widget.h"

namespace talvane::ui {

QString FromAnsi(const std::string& s);
std::string ToAnsi(const QString& s);
// The program's paragraphs (joined by carriage returns) as lines.
QString DialogText(const std::string& ansi);

class DialogForm : public QWidget {
 public:
  DialogForm(ProgramShell& shell, Form form, const char* objectName);
  // Centred over the main window when it is visible, else on the screen.
  void Centre(const QWidget* mainWindow);

 protected:
  void paintEvent(QPaintEvent*) override;
  // Lays the form out for a text needing `textHeight` pixels.
  void FitHeight(int contentBottom);
  SkinnedButtonWidget* AddButton(const char* name, const char* word, const char* picture);

  ProgramShell& shell_;
  Form form_;
  QPixmap background_;
  QLabel* title_;
  QLabel* icon_;
};

class MessageForm : public DialogForm {
 public:
  explicit MessageForm(ProgramShell& shell);
  void SetUp(const Message& m);

  QLabel* text;
  SkinnedButtonWidget* ok;
  SkinnedButtonWidget* cancel;
};

class InputForm : public DialogForm {
 public:
  explicit InputForm(ProgramShell& shell);
  void SetUp(const InputRequest& r);

  QLabel* prompt;
  QLabel* field;
  QLineEdit* edit;
  SkinnedButtonWidget* ok;
  SkinnedButtonWidget* cancel;
  QTimer capture;  // 100 ms, for the microphone switch

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;
};

class ProgressForm : public DialogForm {
 public:
  explicit ProgressForm(ProgramShell& shell);
  void SetUp(const std::string& title, const std::string& text);
  void Update(const std::string& text, double percent);
  // The Cancel button, for work that can be stopped (hidden by SetUp).
  void ShowCancel(bool shown);

  QLabel* text;
  QLabel* percent;
  QProgressBar* bar;
  SkinnedButtonWidget* cancel;
};

}  // namespace talvane::ui
