// The speech configuration screen (frm_Configure) without its widgets: the
// category, command, phrase, readback and copilot voice lists as the form
// shows them, what each button's action word and each dialog answer does,
// and the list positions kept while the script or test screen is on show.
// The catalogue edits themselves are SpeechConfiguration's.
//
// Beyond the stored limits, a phrase is checked as it is entered (one bad
// phrase would break the compile of every command), text cut to its field is
// announced, and a failed compile names the compiler's first errors.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/settings.h"
#include "grammar/compile_pipeline.h"

namespace talvane {

class ProgramShell;

// Phrases and readbacks are kept in fields of this many characters.
inline constexpr std::size_t kPhraseFieldWidth = 256;
// How many of the compiler's errors a failed compile names.
inline constexpr std::size_t kCompileErrorsShown = 3;

// A combo box or list box: its entries (text in Windows-1252, item data) and
// the selected position (-1: none).
struct ListControl {
  struct Item {
    std::string text;
    int data = 0;
  };
  std::vector<Item> items;
  int selected = -1;
  bool enabled = false;

  int SelectedData(int none = -1) const;
  bool Has(int position) const { return position >= 0 && position < static_cast<int>(items.size()); }
  void Clear() {
    items.clear();
    selected = -1;
    enabled = true;
  }
};

// The text the copilot speaks for readback `readback` of command `command`:
// every generic list's name (any letter case) replaced by its example.
std::string SpeakableReadback(const Settings& settings, const CommandCatalogue& catalogue, int command,
                              int readback);

// Why a phrase fails the phrase check (not allowed characters, brackets that
// do not pair, too many spoken phrases), or the empty text when it passes.
std::string PhraseProblem(std::string_view phrase);

// The compiler's first errors from its log, and where the log is, as a
// paragraph to add to the compile failure message; empty when `log` was not
// written since `since` (a stale log describes another compile).
std::string CompilerErrorsText(const std::filesystem::path& log, std::filesystem::file_time_type since);

class ConfigurationScreen {
 public:
  // The add, edit and delete dialogs of phrases and readbacks (their texts,
  // and the edit their answer makes).
  struct PhraseDialog;
  struct DeleteTexts;

  explicit ConfigurationScreen(ProgramShell& shell);
  ConfigurationScreen(const ConfigurationScreen&) = delete;
  ConfigurationScreen& operator=(const ConfigurationScreen&) = delete;

  // The controls, named as on the form.
  ListControl comboCategory, comboCommand, combo_Copilot, listGrammar, listReadback;
  std::string lbl_TotalCommands, lbl_CategoryCommands, lbl_Description;

  // The speech library calls, replaceable by tests: whether a voice (1-4)
  // is installed (0: yes), speaking a text, and the compile (1, 0, 1).
  std::function<int(int voice)> voice_present;
  std::function<void(int voice, const std::string& text)> speak;
  BinCompileCall compile;

  // The form re-reads every control.
  std::function<void()> on_refresh;

  // The form's load: the screen's buttons, the copilot voices, the lists.
  void LoadScreen();
  void SetUpButtons();
  void FillCopilotVoices();

  void BuildCategoryList();
  void FillCommandList(const std::string& category);
  void FillGrammarList(int command);
  void FillReadbackList(int command);

  // The user's choices in the controls, by position.
  void SelectCategory(int position);
  void SelectCommand(int position);
  void SelectGrammar(int position);
  void SelectReadback(int position);
  void SelectVoice(int position);

  // The screen's actions, as the buttons dispatch them.
  void AddGrammar();
  void EditGrammar();
  void DeleteGrammar();
  void AddReadback();
  void EditReadback();
  void DeleteReadback();
  void PlayReadback();
  void Save();
  void Compile();
  void Script();

  void SaveConfigureSelection();
  void RestoreConfigureSelection();
  // Back from the script or the test screen: the lists rebuilt, the action
  // bar of this screen, and the kept positions put back.
  void ReturnFromSubScreen();

 private:
  void Register();
  void Refresh() const;
  // The command of that index, or null.
  const CommandRecord* CommandAt(int command) const;
  // The answer of an add or edit dialog: checked, stored, announced when cut.
  void ShowPhraseDialog(const PhraseDialog& d, const std::string& initial);
  void AnswerPhrase(const PhraseDialog& d, const std::string& text);
  void EditSelected(const PhraseDialog& d, const ListControl& list);
  void AskDelete(const DeleteTexts& texts, const ListControl& list);

  ProgramShell& shell_;
  bool filling_voices_ = false;
  int saved_[4] = {-1, -1, -1, -1};
};

}  // namespace talvane
