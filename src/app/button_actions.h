// What a released skinned button does. A button names its action by a word
// and the screen it acts for; one table per button kind maps the pair
// (screen name, action word) to the action, so the same button on the main
// window means "save the checklist" on one screen and "save the speech
// configuration" on another. A pair that is in no table does nothing.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>

#include "app/skinned_button.h"

namespace talvane {

using ButtonAction = std::function<void(SkinnedButton&)>;

class ActionTable {
 public:
  void Set(Form screen, std::string word, ButtonAction action);
  const ButtonAction* Find(std::string_view screen, std::string_view word) const;

 private:
  std::map<std::pair<std::string, std::string>, ButtonAction, std::less<>> actions_;
};

// The engine's answer is read into this buffer; the small buttons clear it
// before their action runs.
inline constexpr std::size_t kRecognitionBufferSize = 1024;

class ButtonDispatch {
 public:
  ActionTable& Table(ButtonKind kind) { return tables_[static_cast<int>(kind)]; }

  // The mouse button released over `b`: the dispatcher of its kind.
  void Release(SkinnedButton& b);

  // The shared recognition result buffer (Windows-1252).
  std::string RecognitionResult = std::string(kRecognitionBufferSize, ' ');

 private:
  void Run(SkinnedButton& b);
  ActionTable tables_[4];
};

}  // namespace talvane
