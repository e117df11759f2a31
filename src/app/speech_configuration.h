// The speech configuration's edits of the catalogue: the answers of its add,
// edit and delete dialogs for grammar phrases and copilot readbacks, and the
// selection they act on. A command keeps at least one phrase and one
// readback and has at most 20 readbacks; text longer than its 256-character
// field is cut when stored.
#pragma once

#include <functional>
#include <string>

#include "catalogue/command_catalogue.h"

namespace talvane {

inline constexpr int kMaxReadbacks = 20;

class SpeechConfiguration {
 public:
  explicit SpeechConfiguration(CommandCatalogue& catalogue) : catalogue_(catalogue) {}

  int CurrentCommand = -1;
  int CurrentGrammar = -1;
  int CurrentReadback = -1;
  // Set by every edit; cleared by save and compile.
  bool ConfigChanged = false;

  // Each returns true when the catalogue changed (blank text changes nothing;
  // the last phrase or readback cannot be deleted).
  bool AddGrammar(const std::string& text);
  bool EditGrammar(const std::string& text);
  bool DeleteGrammar();
  bool AddReadback(const std::string& text);
  bool EditReadback(const std::string& text);
  bool DeleteReadback();

  // Refill the screen's lists after an edit.
  std::function<void()> on_grammars_changed;
  std::function<void()> on_readbacks_changed;
  // Turn the main window's save and compile buttons on after an edit.
  std::function<void()> on_changed;

 private:
  CommandRecord* Command();
  bool Edited(bool grammars);

  CommandCatalogue& catalogue_;
};

}  // namespace talvane
