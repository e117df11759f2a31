// The speech configuration screen's tests: the screen opened as the home
// screen opens it, and its buttons and dialogs pressed as the user does.
#pragma once

#include "common/text.h"
#include "shell_fixture.h"

namespace talvane::test {

// A command of `category` with these phrases and readbacks.
inline CommandRecord Command(const char* category, const char* name, std::vector<const char*> grammars,
                            std::vector<const char*> readbacks = {"roger"}) {
  CommandRecord c;
  c.category = category;
  c.commandName = name;
  c.ruleName = name;
  c.commandText = std::string("Does ") + name;
  for (const char* g : grammars) c.grammars.emplace_back(g);
  for (const char* r : readbacks) c.readbacks.emplace_back(r);
  return c;
}

// The shipped program's logic with the configuration screen's speech calls
// recorded; the home screen on show.
class ConfigurationScreenTest : public ShellTest {
 protected:
  ConfigurationScreenTest() {
    screen.voice_present = [this](int voice) { return installed.count(voice) ? 0 : 2; };
    screen.speak = [this](int voice, const std::string& text) { spoken.emplace_back(voice, text); };
    shell.nav.ShowScreen(Form::frm_Home);
  }
  // The screen as the home screen opens it, its form loaded.
  void Open() {
    screen.LoadScreen();
    ClickHome("speech_config");
  }
  void Press(const char* word) {
    for (SkinnedButton* b : shell.buttons.OnForm(Form::frm_Configure))
      if (b->button_type == word) return shell.dispatch.Release(*b);
    FAIL() << "no button " << word;
  }
  // OK (or Cancel) on the message last shown.
  void AnswerMessage(bool ok = true) {
    ASSERT_FALSE(ui.messages.empty());
    shell.dialogs.CurrentMessageId = ui.messages.back().id;
    SkinnedButton& b = shell.buttons.Add(ButtonKind::SmallButton, Form::frm_Message, "btn");
    b.button_type = ok ? "ok" : "cancel";
    shell.dispatch.Release(b);
  }
  // Types `text` into the input dialog on show and presses OK (or Cancel).
  void Type(const std::string& text, bool ok = true) {
    SkinnedButton& b = shell.buttons.Add(ButtonKind::SmallButton, Form::frm_Input, "btn");
    b.button_type = ok ? "ok" : "cancel";
    hosts.input_text = text;
    shell.dispatch.Release(b);
  }
  const CommandRecord& Current() const { return p.catalogue.CommandList.at(shell.configuration.CurrentCommand); }
  std::vector<std::string> Texts(const ListControl& c) const {
    std::vector<std::string> t;
    for (const auto& item : c.items) t.push_back(item.text);
    return t;
  }

  ConfigurationScreen& screen = shell.configurationScreen;
  std::set<int> installed;
  std::vector<std::pair<int, std::string>> spoken;
};

}  // namespace talvane::test
