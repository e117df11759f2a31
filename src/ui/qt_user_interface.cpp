#include "ui/qt_user_interface.h"

#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
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

// The input dialog's text box in the microphone mode: a key pressed is
// captured as the switch, not typed.
class MicrophoneKeys : public QObject {
 public:
  MicrophoneKeys(ProgramShell& shell, QLineEdit* edit) : QObject(edit), shell_(shell), edit_(edit) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (watched != edit_ || (e->type() != QEvent::KeyPress && e->type() != QEvent::KeyRelease)) return false;
    if (Lower(Trim(shell_.dialogs.CurrentInputId)) != kMicSwitchId) return false;
    const auto* k = static_cast<QKeyEvent*>(e);
    // Shift, Ctrl and Alt are waited past: they go with the key pressed next.
    switch (k->key()) {
      case Qt::Key_Shift:
      case Qt::Key_Control:
      case Qt::Key_Alt:
      case Qt::Key_AltGr:
      case Qt::Key_Meta:
        return true;
      default:
        break;
    }
    if (e->type() == QEvent::KeyRelease) {
      if (!k->isAutoRepeat()) edit_->setText(FromAnsi(shell_.microphone.KeyText()));
      return true;
    }
    CaptureKey key;
    if (k->key() > ' ' && k->key() < 0x7f) key.text = static_cast<char32_t>(k->key());
    // X11 key codes 10 to 19 are the digit row's 1 to 9 and 0 on every
    // layout: Shift with a digit types a symbol that differs by layout.
    if (QGuiApplication::platformName() == "xcb" && k->nativeScanCode() >= 10 && k->nativeScanCode() <= 19)
      key.digit_row = static_cast<int>(k->nativeScanCode() - 9) % 10;
    const Qt::KeyboardModifiers m = k->modifiers();
    key.keypad = m.testFlag(Qt::KeypadModifier);
    key.shift = m.testFlag(Qt::ShiftModifier);
    key.ctrl = m.testFlag(Qt::ControlModifier);
    key.alt = m.testFlag(Qt::AltModifier);
    if (shell_.microphone.KeyDown(key))
      edit_->clear();
    else
      QApplication::beep();
    return true;
  }

 private:
  ProgramShell& shell_;
  QLineEdit* edit_;
};

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
  // The microphone switch capture scans the joysticks on each tick.
  on_capture_tick = [this] {
    if (const auto text = shell_->microphone.Tick(); text && input_) input_->edit->setText(FromAnsi(*text));
  };
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
    input_->edit->installEventFilter(new MicrophoneKeys(*shell_, input_->edit));
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

void QtUserInterface::ShowProgressCancel(bool shown) {
  if (QThread::currentThread() != thread()) return OnWindowThread([&] { ShowProgressCancel(shown); });
  progressForm()->ShowCancel(shown);
  ProcessEvents();
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
