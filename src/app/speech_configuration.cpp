#include "app/speech_configuration.h"

#include "common/text.h"

namespace talvane {

namespace {

template <class List>
bool Valid(const List& list, int i) {
  return i >= 0 && static_cast<std::size_t>(i) < list.size();
}

}  // namespace

CommandRecord* SpeechConfiguration::Command() {
  return Valid(catalogue_.CommandList, CurrentCommand) ? &catalogue_.CommandList[CurrentCommand] : nullptr;
}

bool SpeechConfiguration::Edited(bool grammars) {
  ConfigChanged = true;
  const auto& refill = grammars ? on_grammars_changed : on_readbacks_changed;
  if (refill) refill();
  if (on_changed) on_changed();
  return true;
}

bool SpeechConfiguration::AddGrammar(const std::string& text) {
  CommandRecord* c = Command();
  const std::string t = Trim(text);
  if (!c || t.empty()) return false;
  c->grammars.emplace_back(t);
  return Edited(true);
}

bool SpeechConfiguration::EditGrammar(const std::string& text) {
  CommandRecord* c = Command();
  const std::string t = Trim(text);
  if (!c || t.empty() || !Valid(c->grammars, CurrentGrammar)) return false;
  c->grammars[CurrentGrammar] = t;
  return Edited(true);
}

bool SpeechConfiguration::DeleteGrammar() {
  CommandRecord* c = Command();
  if (!c || c->grammars.size() < 2 || !Valid(c->grammars, CurrentGrammar)) return false;
  c->grammars.erase(c->grammars.begin() + CurrentGrammar);
  return Edited(true);
}

bool SpeechConfiguration::AddReadback(const std::string& text) {
  CommandRecord* c = Command();
  const std::string t = Trim(text);
  if (!c || t.empty() || c->readbacks.size() >= kMaxReadbacks) return false;
  c->readbacks.emplace_back(t);
  return Edited(false);
}

bool SpeechConfiguration::EditReadback(const std::string& text) {
  CommandRecord* c = Command();
  const std::string t = Trim(text);
  if (!c || t.empty() || !Valid(c->readbacks, CurrentReadback)) return false;
  c->readbacks[CurrentReadback] = t;
  return Edited(false);
}

bool SpeechConfiguration::DeleteReadback() {
  CommandRecord* c = Command();
  if (!c || c->readbacks.size() < 2 || !Valid(c->readbacks, CurrentReadback)) return false;
  c->readbacks.erase(c->readbacks.begin() + CurrentReadback);
  return Edited(false);
}

}  // namespace talvane
