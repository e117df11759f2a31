#include "ui/qt_user_interface.h"

#include <QApplication>
#include <QFileDialog>
#include <QThread>
#include <type_traits>

#include "common/text.h"

namespace talvane::ui {

namespace {

// Runs `f` on the window thread. Work on the speech thread (a kneeboard
// update, a library that cannot be loaded) may report: its dialogs are shown
// by the window thread while the speech thread waits for the answer. The
// window thread is then waiting for the speech thread's job, running events.
template <class F>
auto OnWindowThread(F&& f) {
  using R = std::invoke_result_t<F&>;
  if (QThread::currentThread() == QCoreApplication::instance()->thread()) return f();
  if constexpr (std::is_void_v<R>) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::forward<F>(f), Qt::BlockingQueuedConnection);
  } else {
    R result{};
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { result = f(); }, Qt::BlockingQueuedConnection);
    return result;
  }
}

}  // namespace

QtUserInterface::QtUserInterface(std::function<void()> exit)
    : exit_(std::move(exit)), thread_(QThread::currentThread()) {}

QtUserInterface::~QtUserInterface() = default;

QThread* QtUserInterface::thread() const { return thread_; }

void QtUserInterface::DestroyForms() {
  message_.reset();
  input_.reset();
  progress_.reset();
}

void QtUserInterface::Attach(ProgramShell& shell, const QWidget* mainWindow,
                             std::function<void(const std::string&)> splashStatus) {
  shell_ = &shell;
  main_window_ = mainWindow;
  splash_status_ = std::move(splashStatus);
}

QWidget* QtUserInterface::ExistingForm(Form f) const {
  switch (f) {
    case Form::frm_Message:
      return message_.get();
    case Form::frm_Input:
      return input_.get();
    case Form::frm_Progress:
      return progress_.get();
    default:
      return nullptr;
  }
}

MessageForm* QtUserInterface::messageForm() {
  if (!message_) message_ = std::make_unique<MessageForm>(*shell_);
  return message_.get();
}

InputForm* QtUserInterface::inputForm() {
  if (!input_) {
    input_ = std::make_unique<InputForm>(*shell_);
    QObject::connect(&input_->capture, &QTimer::timeout, [this] {
      if (on_capture_tick) on_capture_tick();
    });
  }
  return input_.get();
}

ProgressForm* QtUserInterface::progressForm() {
  if (!progress_) progress_ = std::make_unique<ProgressForm>(*shell_);
  return progress_.get();
}

void QtUserInterface::RunModal(QWidget* form, std::vector<QEventLoop*>& loops) {
  form->setWindowModality(Qt::ApplicationModal);
  form->show();
  form->raise();
  form->activateWindow();
  QEventLoop loop;
  loops.push_back(&loop);
  loop.exec(QEventLoop::DialogExec);
  loops.pop_back();
}

void QtUserInterface::EndModal(QWidget* form, std::vector<QEventLoop*>& loops) {
  form->hide();
  if (!loops.empty()) loops.back()->quit();
}

void QtUserInterface::ShowMessage(const Message& m) {
  if (QThread::currentThread() != thread()) return OnWindowThread([&] { ShowMessage(m); });
  MessageForm* form = messageForm();
  form->SetUp(m);
  form->Centre(main_window_);
  shell_->dialogs.CurrentMessageId = m.id;
  RunModal(form, message_loops_);
}

void QtUserInterface::ShowInput(const InputRequest& r) {
  InputForm* form = inputForm();
  form->SetUp(r);
  form->Centre(main_window_);
  shell_->dialogs.CurrentInputId = r.id;
  if (r.id == kMicSwitchId) SetCaptureTimer(true);
  form->edit->setFocus();
  RunModal(form, input_loops_);
}

void QtUserInterface::HideMessage() {
  if (message_) EndModal(message_.get(), message_loops_);
}

void QtUserInterface::HideInput() {
  if (input_) EndModal(input_.get(), input_loops_);
}

std::string QtUserInterface::InputText() const { return input_ ? ToAnsi(input_->edit->text()) : std::string(); }

void QtUserInterface::SetCaptureTimer(bool on) {
  InputForm* form = inputForm();
  if (on)
    form->capture.start();
  else
    form->capture.stop();
}

std::optional<std::string> QtUserInterface::BrowseForFile(const FileDialog& d) {
  if (QThread::currentThread() != thread()) return OnWindowThread([&] { return BrowseForFile(d); });
  // "Description|*.ext" becomes Qt's "Description (*.ext)" when the
  // description does not already name the pattern.
  QString filter = FromAnsi(d.filter);
  if (const int bar = filter.indexOf('|'); bar >= 0) {
    const QString description = filter.left(bar), pattern = filter.mid(bar + 1);
    filter = description.contains(pattern) ? description : description + " (" + pattern + ")";
  }
  const QString chosen = QFileDialog::getOpenFileName(nullptr, FromAnsi(d.title),
                                                      QString::fromStdString(d.initial_folder), filter);
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.toStdString();
}

void QtUserInterface::ShowProgress(const std::string& title, const std::string& text) {
  if (QThread::currentThread() != thread()) return OnWindowThread([&] { ShowProgress(title, text); });
  ProgressForm* form = progressForm();
  form->SetUp(title, text);
  form->Centre(main_window_);
  form->show();
  form->raise();
  ProcessEvents();
}

void QtUserInterface::UpdateProgress(const std::string& text, double percent) {
  if (QThread::currentThread() != thread()) return OnWindowThread([&] { UpdateProgress(text, percent); });
  progressForm()->Update(text, percent);
  ProcessEvents();
}

void QtUserInterface::HideProgress() {
  if (QThread::currentThread() != thread()) return OnWindowThread([&] { HideProgress(); });
  if (progress_) progress_->hide();
}

void QtUserInterface::SetSplashStatus(const std::string& text) {
  if (QThread::currentThread() != thread()) return OnWindowThread([&] { SetSplashStatus(text); });
  splash_texts.push_back(text);
  if (splash_status_) splash_status_(text);
  ProcessEvents();
}

void QtUserInterface::ExitProgram() {
  if (QThread::currentThread() != thread()) return OnWindowThread([&] { ExitProgram(); });
  // The exit steps run once, even where a fatal message's OK and its caller
  // both end the program.
  if (exiting_) return;
  exiting_ = true;
  if (exit_) exit_();
}

void QtUserInterface::ProcessEvents() {
  if (QThread::currentThread() != thread()) return;  // the window thread is running events already
  // Windows repaint and timers run; the user's input waits, as it would
  // behind a modal dialog.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace talvane::ui
