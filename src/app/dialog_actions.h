// The program's own message and input dialogs answer through their ids: the
// caller shows a dialog with an id and carries on once it has closed, and the
// dialog's OK runs the action the id names. The ids are kept until the next
// dialog of the same kind replaces them, so OK always belongs to the dialog
// on show.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "common/user_interface.h"

namespace talvane {

// A one-line prompt; texts in Windows-1252.
struct InputRequest {
  std::string title;
  std::string prompt;
  std::string field;
  bool ok = true;
  bool cancel = true;
  std::string initial;
  std::string id;
};

inline constexpr const char* kMicSwitchId = "mic_switch";

// The dialog windows as the answers need them.
class DialogHost {
 public:
  virtual ~DialogHost() = default;
  // Modal: returns when the dialog has closed.
  virtual void ShowInput(const InputRequest& r) = 0;
  virtual void HideMessage() = 0;
  virtual void HideInput() = 0;
  // The input dialog's text box (Windows-1252).
  virtual std::string InputText() const = 0;
  // The input dialog's 100 ms capture of the microphone switch.
  virtual void SetCaptureTimer(bool on) = 0;
};

class DialogActions {
 public:
  explicit DialogActions(DialogHost& host) : host_(host) {}

  std::string CurrentMessageId;
  std::string CurrentInputId;

  // The OK action of a message id; every id without one just closes.
  void OnMessageOk(std::string id, std::function<void()> action);
  // The OK action of an input id, given the typed text (Windows-1252).
  void OnInputOk(std::string id, std::function<void(const std::string&)> action);

  // Shows the input dialog, keeping its id (what every caller uses).
  void ShowInput(const InputRequest& r);

  void MessageOk();
  void MessageCancel();
  void InputOk(const std::string& text);
  void InputCancel();

  DialogHost& host() { return host_; }

 private:
  DialogHost& host_;
  std::map<std::string, std::function<void()>, std::less<>> message_ok_;
  std::map<std::string, std::function<void(const std::string&)>, std::less<>> input_ok_;
};

}  // namespace talvane
