#include "app/script_screen.h"

#include <cctype>

#include "app/program_shell.h"
#include "grammar/grammar_script.h"

namespace talvane {

namespace {

struct GroupState {
  bool bold = false;
  bool italic = false;
  int halfPoints = 24;
  bool skip = false;  // a destination whose text is not shown
};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

class Reader {
 public:
  std::vector<ScriptParagraph> Read(std::string_view rtf) {
    s_ = rtf;
    while (i_ < s_.size()) {
      const char c = s_[i_++];
      if (c == '{') {
        stack_.push_back(state_);
        group_start_ = true;
        continue;
      }
      const bool first = group_start_;
      group_start_ = false;
      if (c == '}') {
        if (!stack_.empty()) {
          state_ = stack_.back();
          stack_.pop_back();
        }
      } else if (c == '\\') {
        ControlWord(first);
      } else if (c != '\n' && c != '\r') {
        Text(c);
      }
    }
    if (!paragraph_.runs.empty()) EndParagraph();
    return std::move(out_);
  }

 private:
  void ControlWord(bool firstInGroup) {
    if (i_ >= s_.size()) return;
    const char c = s_[i_];
    if (!IsLetter(c)) {
      ++i_;
      if (c == '\\' || c == '{' || c == '}') {
        Text(c);
      } else if (c == '\'' && i_ + 1 < s_.size() && HexDigit(s_[i_]) >= 0 && HexDigit(s_[i_ + 1]) >= 0) {
        Text(static_cast<char>(HexDigit(s_[i_]) * 16 + HexDigit(s_[i_ + 1])));
        i_ += 2;
      } else if (c == '*' && firstInGroup) {
        state_.skip = true;
      }
      return;
    }
    std::string word;
    while (i_ < s_.size() && IsLetter(s_[i_])) word += s_[i_++];
    bool hasValue = false;
    int value = 0, sign = 1;
    if (i_ < s_.size() && s_[i_] == '-') {
      sign = -1;
      ++i_;
    }
    while (i_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i_]))) {
      hasValue = true;
      if (value < 1000000) value = value * 10 + (s_[i_] - '0');
      ++i_;
    }
    value *= sign;
    if (i_ < s_.size() && s_[i_] == ' ') ++i_;  // the delimiter belongs to the word

    if (word == "fonttbl" || word == "colortbl" || word == "stylesheet" || word == "info") {
      state_.skip = true;
    } else if (word == "pntext") {
      // The bullet's own text: the paragraph is drawn with a bullet instead.
      state_.skip = true;
      paragraph_.bullet = true;
    } else if (state_.skip) {
      return;
    } else if (word == "par") {
      EndParagraph();
    } else if (word == "pard") {
      indent_ = 0;
    } else if (word == "li") {
      indent_ = value;
    } else if (word == "b") {
      state_.bold = !hasValue || value != 0;
    } else if (word == "i") {
      state_.italic = !hasValue || value != 0;
    } else if (word == "fs" && hasValue && value > 0) {
      state_.halfPoints = value;
    } else if (word == "tab") {
      Text('\t');
    }
  }

  void Text(char c) {
    if (state_.skip) return;
    auto& runs = paragraph_.runs;
    if (runs.empty() || runs.back().bold != state_.bold || runs.back().italic != state_.italic ||
        runs.back().halfPoints != state_.halfPoints)
      runs.push_back({{}, state_.bold, state_.italic, state_.halfPoints});
    runs.back().text += c;
  }

  void EndParagraph() {
    paragraph_.leftIndent = indent_;
    out_.push_back(std::move(paragraph_));
    paragraph_ = {};
  }

  std::string_view s_;
  std::size_t i_ = 0;
  GroupState state_;
  std::vector<GroupState> stack_;
  bool group_start_ = false;
  int indent_ = 0;
  ScriptParagraph paragraph_;
  std::vector<ScriptParagraph> out_;
};

}  // namespace

std::string ScriptParagraph::Text() const {
  std::string t;
  for (const ScriptRun& r : runs) t += r.text;
  return t;
}

std::vector<ScriptParagraph> ReadScriptDocument(std::string_view rtf) { return Reader().Read(rtf); }

ScriptScreen::ScriptScreen(ProgramShell& shell) : shell_(shell) {
  ActionTable& small = shell.dispatch.Table(ButtonKind::SmallButton);
  small.Set(Form::frm_Script, "save", [this](SkinnedButton&) { Save(); });
  small.Set(Form::frm_Script, "cancel", [this](SkinnedButton&) { Cancel(); });
}

void ScriptScreen::Open() {
  Program& p = shell_.p;
  std::string built = document;
  if (CreateGrammarScript(p.ctx, p.catalogue, p.categories, built)) {
    document = std::move(built);
    shown = ReadScriptDocument(document);
    if (on_document_changed) on_document_changed();
  }
  ScreenNavigation& nav = shell_.nav;
  nav.ShowScreen(Form::frm_Script);
  nav.SetReturnOnlyBar(Form::frm_Script, "Click to return to the Configuration screen of Talvane");
  nav.SetBarButton(1, "save", Form::frm_Script, "btn_ParentSave", true, "Click to save the generated script to a file.",
                   true, kActionColumn2);
  // The compile button stays in sight, disabled: nothing here compiles.
  SkinnedButton& compile = nav.ActionButton(3);
  compile.form_name = Form::frm_Script;
  compile.state = kStateDisabled;
  compile.visible = true;
  compile.Changed();
}

void ScriptScreen::Save() { SaveGrammarScript(shell_.p.ctx, document); }

void ScriptScreen::Cancel() { shell_.configurationScreen.ReturnFromSubScreen(); }

}  // namespace talvane
