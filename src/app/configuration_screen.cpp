#include "app/configuration_screen.h"

#include <chrono>

#include "app/program_shell.h"
#include "common/files.h"
#include "common/text.h"
#include "grammar/phrase_expansion.h"

namespace talvane {

namespace fs = std::filesystem;

// The add and edit dialogs of phrases and readbacks.
struct ConfigurationScreen::PhraseDialog {
  const char* id;
  const char* title;
  const char* prompt;  // followed by the command's name
  const char* field;
  bool grammar;
  bool (SpeechConfiguration::*store)(const std::string&);
};

// The delete confirmations, and the refusals of the last entry.
struct ConfigurationScreen::DeleteTexts {
  bool grammar;
  const char* title;
  const char* about;
  const char* last;  // why the last one stays
  const char* id;
};

namespace {

using PhraseDialog = ConfigurationScreen::PhraseDialog;
using DeleteTexts = ConfigurationScreen::DeleteTexts;

const PhraseDialog kAddGrammar{"add_grammar", "Add New Grammar", "Enter a new grammar for the command: ",
                               "Enter Grammar:", true, &SpeechConfiguration::AddGrammar};
const PhraseDialog kEditGrammar{"edit_grammar", "Edit Existing Grammar",
                                "Edit the existing grammar for the command: ", "Edit Grammar:", true,
                                &SpeechConfiguration::EditGrammar};
const PhraseDialog kAddReadback{"add_readback", "Add New Readback", "Enter a new readback for the command: ",
                                "Enter Readback:", false, &SpeechConfiguration::AddReadback};
const PhraseDialog kEditReadback{"edit_readback", "Edit Existing Readback",
                                 "Edit the existing readback for the command: ", "Edit Readback:", false,
                                 &SpeechConfiguration::EditReadback};

const DeleteTexts kDeleteGrammar{true, "Delete Selected Grammar?", "You are about to delete the selected grammar.",
                                 "You may not delete the last available grammar for a command.", "delete_grammar"};
const DeleteTexts kDeleteReadback{false, "Delete Selected Readback?",
                                  "You are about to delete the selected readback.",
                                  "You may not delete the last available readback for a grammar.", "delete_readback"};

constexpr const char* kVoiceNames[] = {"Samantha (US English)", "Tom (US English)", "Daniel (UK English)",
                                       "Emily (UK English)"};
constexpr const char* kSaveTip = "Click to save current changes made to the speech recognition configuration.";
constexpr const char* kContinue = "Please press OK to continue...";

std::string Lead(std::string_view text) { return std::string(1, kCR) + std::string(text); }

std::string Quoted(char c) { return std::string("\"") + c + "\""; }

std::string At(std::size_t i) { return " at position " + ToDecimal(static_cast<long long>(i) + 1); }

// The list's entries: each phrase or readback trimmed, with its index.
void FillEntries(ListControl& c, const std::vector<FixedText<256>>* entries) {
  c.Clear();
  if (!entries) return;
  for (std::size_t j = 0; j < entries->size(); ++j) c.items.push_back({(*entries)[j].trimmed(), static_cast<int>(j)});
}

// The first bracket that does not pair, described.
std::string BracketProblem(std::string_view t) {
  std::vector<std::size_t> open;
  for (std::size_t i = 0; i < t.size(); ++i) {
    const char c = t[i];
    if (c == '(' || c == '[') {
      open.push_back(i);
    } else if (c == ')' || c == ']') {
      if (open.empty()) return "The " + Quoted(c) + At(i) + " closes no bracket.";
      const char expected = t[open.back()] == '(' ? ')' : ']';
      if (c != expected)
        return "The " + Quoted(c) + At(i) + " closes the " + Quoted(t[open.back()]) + At(open.back()) +
               "; it needs " + Quoted(expected) + ".";
      open.pop_back();
    }
  }
  if (!open.empty()) return "The " + Quoted(t[open.back()]) + At(open.back()) + " is never closed.";
  return {};
}

}  // namespace

int ListControl::SelectedData(int none) const { return Has(selected) ? items[selected].data : none; }

std::string SpeakableReadback(const Settings& settings, const CommandCatalogue& catalogue, int command,
                              int readback) {
  const CommandRecord& cmd = catalogue.CommandList.at(static_cast<std::size_t>(command));
  std::string text = cmd.readbacks.at(static_cast<std::size_t>(readback)).trimmed();
  for (const GenericList& list : settings.GenericLists) {
    const std::string name = Trim(list.name);
    if (name.empty()) continue;
    text = ReplaceNoCase(text, Upper(name), Trim(list.keloExample));
  }
  return Trim(text);
}

std::string PhraseProblem(std::string_view phrase) {
  const std::string t = Trim(phrase);
  if (!CheckPhraseSyntax(t)) {
    // A character on its own passes the check exactly when it may be used
    // (brackets on their own never pass, so they are left to the pairing).
    for (std::size_t i = 0; i < t.size(); ++i) {
      const char c = t[i];
      if (std::string_view("()[]").find(c) == std::string_view::npos && !CheckPhraseSyntax(std::string(1, c)))
        return "The character " + Quoted(c) + At(i) +
               " may not be used in a phrase.  A phrase holds letters, digits, spaces, the signs ' , - . _ "
               "and ( ) for optional words, [a|b] for alternatives and <NAME> for a list.";
    }
    const std::string brackets = BracketProblem(t);
    return brackets.empty() ? std::string("The brackets of the phrase do not pair.") : brackets;
  }
  ExpansionList list;
  if (!ExpandPhrase(t, list))
    return "This phrase stands for more than 32,768 spoken phrases, too many to list.  Please split it into "
           "several phrases.";
  return {};
}

std::string CompilerErrorsText(const fs::path& log, fs::file_time_type since) {
  std::error_code ec;
  const auto written = fs::last_write_time(log, ec);
  // File times may run a little behind the clock.
  if (ec || written + std::chrono::seconds(2) < since) return {};
  const auto bytes = ReadWholeFile(log);
  if (!bytes) return {};
  std::vector<std::string> errors;
  std::size_t total = 0;
  std::size_t from = 0;
  while (from < bytes->size()) {
    std::size_t end = bytes->find('\n', from);
    if (end == std::string::npos) end = bytes->size();
    const std::string line = Trim(std::string_view(*bytes).substr(from, end - from));
    from = end + 1;
    if (line.find(": error: ") == std::string::npos) continue;
    if (++total <= kCompileErrorsShown) errors.push_back(Utf8ToCp1252(line));
  }
  std::string text(kParagraph);
  if (!errors.empty()) {
    text += "The grammar compiler reported:";
    for (const std::string& e : errors) text += std::string(1, kCR) + e;
    if (total > errors.size())
      text += std::string(1, kCR) + "... and " + ToDecimal(static_cast<long long>(total - errors.size())) +
              " more.";
    text += kParagraph;
  }
  text += "The compiler's full log is " + Utf8ToCp1252(log.string()) + ".";
  return text;
}

ConfigurationScreen::ConfigurationScreen(ProgramShell& shell) : shell_(shell) {
  Program& p = shell.p;
  voice_present = [&p](int voice) { return p.libraries.fnKELOspeak_Call(5, voice, 0, 0, ""); };
  speak = [&p](int voice, const std::string& text) { p.libraries.fnKELOspeak_Call(1, voice, 100, 50, text); };
  compile = [&p](int command, int value2, int value3) {
    return p.libraries.fnBinCompile_Call(command, value2, value3);
  };
  Register();
}

void ConfigurationScreen::Register() {
  ActionTable& small = shell_.dispatch.Table(ButtonKind::SmallButton);
  const auto row = [&](const char* word, void (ConfigurationScreen::*action)()) {
    small.Set(Form::frm_Configure, word, [this, action](SkinnedButton&) { (this->*action)(); });
  };
  row("add_grammar", &ConfigurationScreen::AddGrammar);
  row("edit_grammar", &ConfigurationScreen::EditGrammar);
  row("delete_grammar", &ConfigurationScreen::DeleteGrammar);
  row("add_readback", &ConfigurationScreen::AddReadback);
  row("edit_readback", &ConfigurationScreen::EditReadback);
  row("delete_readback", &ConfigurationScreen::DeleteReadback);
  row("play_readback", &ConfigurationScreen::PlayReadback);
  row("save", &ConfigurationScreen::Save);
  row("compile", &ConfigurationScreen::Compile);
  row("script", &ConfigurationScreen::Script);

  DialogActions& dialogs = shell_.dialogs;
  for (const PhraseDialog* d : {&kAddGrammar, &kEditGrammar, &kAddReadback, &kEditReadback})
    dialogs.OnInputOk(d->id, [this, d](const std::string& text) { AnswerPhrase(*d, text); });
  dialogs.OnMessageOk("delete_grammar", [this] {
    shell_.configuration.DeleteGrammar();
    shell_.dialogs.host().HideMessage();
  });
  dialogs.OnMessageOk("delete_readback", [this] {
    shell_.configuration.DeleteReadback();
    shell_.dialogs.host().HideMessage();
  });

  SpeechConfiguration& c = shell_.configuration;
  c.on_grammars_changed = [this] {
    FillGrammarList(shell_.configuration.CurrentCommand);
    Refresh();
  };
  c.on_readbacks_changed = [this] {
    FillReadbackList(shell_.configuration.CurrentCommand);
    Refresh();
  };
  shell_.on_screen_opened[static_cast<std::size_t>(Form::frm_Configure)] = [this] { BuildCategoryList(); };
}

void ConfigurationScreen::Refresh() const {
  if (on_refresh) on_refresh();
}

void ConfigurationScreen::SetUpButtons() {
  ButtonBoard& board = shell_.buttons;
  if (board.Find(Form::frm_Configure, "btn_Script")) return;
  // Phrases on the right above, readbacks below, each list with its row of
  // buttons; the microphone and the script on the left under the voice.
  static constexpr ButtonPlace kRows[] = {
      {ButtonKind::SmallButton, "btn_Add", "add_grammar", "Click to add a grammar rule for this command.", 400, 176},
      {ButtonKind::SmallButton, "btn_Edit", "edit_grammar", "Click to edit the selected grammar rule.", 495, 176},
      {ButtonKind::SmallButton, "btn_Delete", "delete_grammar", "Click to delete the selected grammar rule.", 590,
       176},
      {ButtonKind::SmallButton, "btn_Test", "test_grammar", "Click to test the selected grammar rule.", 685, 176},
      {ButtonKind::SmallButton, "btn_Add", "add_readback", "Click to add a new copilot readback for this command.",
       400, 400},
      {ButtonKind::SmallButton, "btn_Edit", "edit_readback", "Click to edit the selected readback for this command.",
       495, 400},
      {ButtonKind::SmallButton, "btn_Delete", "delete_readback",
       "Click to delete the selected readback for this command.", 590, 400},
      {ButtonKind::SmallButton, "btn_Play", "play_readback", "Click to play the selected readback for this command.",
       685, 400},
      {ButtonKind::SmallButton, "btn_Script", "script", "Click to view complete grammar script for Talvane", 15,
       400},
      {ButtonKind::MediumButton, "btn_Microphone", "microphone_setup",
       "Click to access the microphone setup options.", 15, 340},
      {ButtonKind::MediumButton, "btn_VoiceTraining", "voice_training",
       "Click to train the speech recognition to your voice.", 203, 340},
  };
  board.AddAll(Form::frm_Configure, kRows);
}

void ConfigurationScreen::LoadScreen() {
  SetUpButtons();
  FillCopilotVoices();
  BuildCategoryList();
}

void ConfigurationScreen::FillCopilotVoices() {
  filling_voices_ = true;
  combo_Copilot.Clear();
  combo_Copilot.items.push_back({"**NONE**", 0});
  for (int voice = 1; voice <= 4; ++voice)
    if (voice_present && voice_present(voice) == 0) combo_Copilot.items.push_back({kVoiceNames[voice - 1], voice});
  // A saved voice that is no longer installed shows as none; the setting stays.
  combo_Copilot.selected = 0;
  for (std::size_t i = 0; i < combo_Copilot.items.size(); ++i)
    if (combo_Copilot.items[i].data == shell_.p.settings.copilotVoice) combo_Copilot.selected = static_cast<int>(i);
  filling_voices_ = false;
  Refresh();
}

void ConfigurationScreen::BuildCategoryList() {
  Program& p = shell_.p;
  talvane::BuildCategoryList(p.catalogue, p.categories);
  comboCategory.Clear();
  for (std::size_t i = 0; i < p.categories.CategoryNames.size(); ++i)
    comboCategory.items.push_back({p.categories.CategoryNames[i], static_cast<int>(i)});
  if (!comboCategory.items.empty()) SelectCategory(0);
  Refresh();
}

void ConfigurationScreen::FillCommandList(const std::string& category) {
  const CommandCatalogue& catalogue = shell_.p.catalogue;
  comboCommand.Clear();
  for (std::size_t i = 0; i < catalogue.CommandList.size(); ++i)
    if (InCategory(catalogue.CommandList[i], category))
      comboCommand.items.push_back({catalogue.CommandList[i].commandName.trimmed(), static_cast<int>(i)});
  if (!comboCommand.items.empty()) SelectCommand(0);
  lbl_TotalCommands = "Total Number of Commands: " + ToDecimal(catalogue.LastCommandIndex() + 1);
  lbl_CategoryCommands = "Number of Commands in Category: " + ToDecimal(static_cast<long long>(comboCommand.items.size()));
}

const CommandRecord* ConfigurationScreen::CommandAt(int command) const {
  const auto& list = shell_.p.catalogue.CommandList;
  return command >= 0 && static_cast<std::size_t>(command) < list.size() ? &list[static_cast<std::size_t>(command)]
                                                                         : nullptr;
}

void ConfigurationScreen::FillGrammarList(int command) {
  const CommandRecord* cmd = CommandAt(command);
  FillEntries(listGrammar, cmd ? &cmd->grammars : nullptr);
  shell_.configuration.CurrentGrammar = -1;
  SelectGrammar(0);
}

void ConfigurationScreen::FillReadbackList(int command) {
  const CommandRecord* cmd = CommandAt(command);
  FillEntries(listReadback, cmd ? &cmd->readbacks : nullptr);
  shell_.configuration.CurrentReadback = -1;
  SelectReadback(0);
}

void ConfigurationScreen::SelectCategory(int position) {
  if (!comboCategory.Has(position)) return;
  comboCategory.selected = position;
  FillCommandList(comboCategory.items[position].text);
  Refresh();
}

void ConfigurationScreen::SelectCommand(int position) {
  if (!comboCommand.Has(position)) return;
  comboCommand.selected = position;
  const int command = comboCommand.items[position].data;
  shell_.configuration.CurrentCommand = command;
  lbl_Description = shell_.p.catalogue.CommandList[static_cast<std::size_t>(command)].commandText.trimmed() + ".";
  FillGrammarList(command);
  FillReadbackList(command);
  Refresh();
}

void ConfigurationScreen::SelectGrammar(int position) {
  if (!listGrammar.Has(position)) return;
  listGrammar.selected = position;
  shell_.configuration.CurrentGrammar = listGrammar.items[position].data;
}

void ConfigurationScreen::SelectReadback(int position) {
  if (!listReadback.Has(position)) return;
  listReadback.selected = position;
  shell_.configuration.CurrentReadback = listReadback.items[position].data;
}

void ConfigurationScreen::SelectVoice(int position) {
  if (!combo_Copilot.Has(position)) return;
  combo_Copilot.selected = position;
  if (filling_voices_) return;
  Program& p = shell_.p;
  p.settings.copilotVoice = static_cast<std::int16_t>(combo_Copilot.items[position].data);
  SaveCopilotVoice(p.ctx, p.settings);
}

void ConfigurationScreen::ShowPhraseDialog(const PhraseDialog& d, const std::string& initial) {
  const CommandRecord* cmd = CommandAt(shell_.configuration.CurrentCommand);
  if (!cmd) return;
  InputRequest r;
  r.title = d.title;
  r.prompt = Lead(d.prompt + cmd->commandName.trimmed());
  r.field = d.field;
  r.initial = initial;
  r.id = d.id;
  shell_.dialogs.ShowInput(r);
}

void ConfigurationScreen::AnswerPhrase(const PhraseDialog& d, const std::string& text) {
  Program& p = shell_.p;
  shell_.dialogs.host().HideInput();
  const std::string typed = Trim(text);
  const CommandRecord* cmd = CommandAt(shell_.configuration.CurrentCommand);
  if (typed.empty() || !cmd) return;
  const std::string stored = typed.substr(0, kPhraseFieldWidth);
  if (d.grammar) {
    std::string problem = PhraseProblem(stored);
    if (!problem.empty()) {
      if (stored.size() < typed.size())
        problem += "  (Only the first " + ToDecimal(kPhraseFieldWidth) + " characters of a phrase are kept.)";
      p.ctx.Tell("Grammar Error",
                 Paragraphs({"Error in " + cmd->category.trimmed() + " - " + cmd->commandName.trimmed(), stored,
                             problem, kContinue}),
                 kIconError);
      // The pilot mends what was typed, or cancels.
      ShowPhraseDialog(d, text);
      return;
    }
  }
  if (!(shell_.configuration.*d.store)(typed)) return;
  if (stored.size() < typed.size())
    p.ctx.Tell("Text Shortened",
               Lead(Paragraphs({"The text you entered is longer than " + ToDecimal(kPhraseFieldWidth) +
                                    " characters.  Only its first " + ToDecimal(kPhraseFieldWidth) +
                                    " characters have been kept.",
                                kContinue})),
               kIconInformation);
}

void ConfigurationScreen::AddGrammar() { ShowPhraseDialog(kAddGrammar, ""); }

void ConfigurationScreen::EditGrammar() { EditSelected(kEditGrammar, listGrammar); }

void ConfigurationScreen::AddReadback() {
  const CommandRecord* cmd = CommandAt(shell_.configuration.CurrentCommand);
  if (!cmd) return;
  if (cmd->readbacks.size() >= kMaxReadbacks) {
    shell_.p.ctx.Tell("Limit Exceeded",
                      "You have reached the maximum allowable number of readbacks for a given command.",
                      kIconWarning);
    return;
  }
  ShowPhraseDialog(kAddReadback, "");
}

void ConfigurationScreen::EditReadback() { EditSelected(kEditReadback, listReadback); }

void ConfigurationScreen::DeleteGrammar() { AskDelete(kDeleteGrammar, listGrammar); }

void ConfigurationScreen::DeleteReadback() { AskDelete(kDeleteReadback, listReadback); }

// With nothing selected the edit and delete buttons do nothing.
void ConfigurationScreen::EditSelected(const PhraseDialog& d, const ListControl& list) {
  SpeechConfiguration& c = shell_.configuration;
  const int j = list.SelectedData();
  const CommandRecord* selected = CommandAt(c.CurrentCommand);
  if (j < 0 || !selected) return;
  const CommandRecord& cmd = *selected;
  (d.grammar ? c.CurrentGrammar : c.CurrentReadback) = j;
  ShowPhraseDialog(d, (d.grammar ? cmd.grammars : cmd.readbacks).at(static_cast<std::size_t>(j)).trimmed());
}

void ConfigurationScreen::AskDelete(const DeleteTexts& texts, const ListControl& list) {
  SpeechConfiguration& c = shell_.configuration;
  const int j = list.SelectedData();
  const CommandRecord* selected = CommandAt(c.CurrentCommand);
  if (j < 0 || !selected) return;
  const CommandRecord& cmd = *selected;
  (texts.grammar ? c.CurrentGrammar : c.CurrentReadback) = j;
  Message m;
  m.icon = kIconWarning;
  if ((texts.grammar ? cmd.grammars : cmd.readbacks).size() >= 2) {
    m.title = texts.title;
    m.text = Lead(Paragraphs({texts.about, "Do you wish to continue?"}));
    m.cancel = true;
    m.id = texts.id;
  } else {
    m.title = "Can Not Delete";
    m.text = Lead(Paragraphs({texts.last, "Please press OK to continue."}));
  }
  shell_.p.ctx.ui.ShowMessage(m);
}

void ConfigurationScreen::PlayReadback() {
  const int j = listReadback.SelectedData();
  if (j < 0 || !speak || !CommandAt(shell_.configuration.CurrentCommand)) return;
  Program& p = shell_.p;
  speak(p.settings.copilotVoice, SpeakableReadback(p.settings, p.catalogue, shell_.configuration.CurrentCommand, j));
}

void ConfigurationScreen::Save() {
  Program& p = shell_.p;
  SaveCommandList(p.ctx, p.catalogue);
  p.ctx.Tell("Changes Saved",
             Lead(Paragraphs({"All changes to the readbacks have been saved.  You still need to compile the grammar "
                              "files to be able to use the changes.",
                              kContinue})),
             kIconInformation);
  shell_.configuration.ConfigChanged = false;
  shell_.nav.ActionButton(1).SetState(kStateDisabled);
}

void ConfigurationScreen::Compile() {
  Program& p = shell_.p;
  const auto started = fs::file_time_type::clock::now();
  const CompileOutcome outcome = SaveAndCompileGrammars(p.ctx, p.grammarInputs(), compile);
  Message m = CompileOutcomeMessage(outcome, shell_.windows);
  if (outcome == CompileOutcome::kCompileFailed)
    m.text += CompilerErrorsText(p.ctx.File("\\Grammars\\grmcmplog.txt"), started);
  p.ctx.ui.ShowMessage(m);
  if (outcome == CompileOutcome::kGrammarFileUnwritable) {
    // Nothing may follow the end of the program.
    p.ctx.ui.ExitProgram();
    return;
  }
  shell_.configuration.ConfigChanged = false;
  shell_.nav.ActionButton(1).SetState(kStateDisabled);
  shell_.nav.ActionButton(3).SetState(kStateDisabled);
}

void ConfigurationScreen::Script() {
  SaveConfigureSelection();
  shell_.scriptScreen.Open();
}

void ConfigurationScreen::SaveConfigureSelection() {
  saved_[0] = comboCategory.selected;
  saved_[1] = comboCommand.selected;
  saved_[2] = listGrammar.selected;
  saved_[3] = listReadback.selected;
}

void ConfigurationScreen::RestoreConfigureSelection() {
  // A position that no longer exists is skipped.
  SelectCategory(saved_[0]);
  SelectCommand(saved_[1]);
  SelectGrammar(saved_[2]);
  SelectReadback(saved_[3]);
  Refresh();
}

void ConfigurationScreen::ReturnFromSubScreen() {
  ScreenNavigation& nav = shell_.nav;
  nav.HideScreen(nav.CurrentScreenName);
  nav.ShowScreen(Form::frm_Configure);
  BuildCategoryList();
  nav.SetEditScreenBar(Form::frm_Configure, kSaveTip, true, shell_.configuration.ConfigChanged);
  RestoreConfigureSelection();
}

}  // namespace talvane
