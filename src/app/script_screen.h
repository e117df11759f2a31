// The grammar script screen (frm_Script) without its widgets: the document
// the "script" action builds, what the screen shows of it, and its "save"
// and "cancel". Qt reads no rich text, so the document's own subset of it
// (the control words the script is written with) is read here into
// paragraphs the form draws; what is saved is the document itself.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace talvane {

class ProgramShell;

// A stretch of text in one look; text in Windows-1252.
struct ScriptRun {
  std::string text;  // a tab is kept as '\t'
  bool bold = false;
  bool italic = false;
  int halfPoints = 24;  // the font size, as \fs gives it
};

struct ScriptParagraph {
  std::vector<ScriptRun> runs;
  bool bullet = false;  // drawn with a bullet in front
  int leftIndent = 0;   // twips, as \li gives it
  std::string Text() const;  // the runs' texts joined
};

// The paragraphs of a document written in the script's subset: groups,
// \b \i \fs \par \pard \tab \li \'hh, escaped \ { }, bullet text groups;
// destinations (font table, generator, numbering) are skipped and other
// control words ignored. Text after the last \par makes a last paragraph.
std::vector<ScriptParagraph> ReadScriptDocument(std::string_view rtf);

class ScriptScreen {
 public:
  explicit ScriptScreen(ProgramShell& shell);
  ScriptScreen(const ScriptScreen&) = delete;
  ScriptScreen& operator=(const ScriptScreen&) = delete;

  // What the rich-text box holds, and what "save" writes unchanged.
  std::string document;
  // The document as shown.
  std::vector<ScriptParagraph> shown;

  // The form draws the document again.
  std::function<void()> on_document_changed;

  // The "script" action after the configuration screen kept its positions:
  // builds the document (a phrase that fails the check stops the build and
  // the previous document stays), then shows this screen with its bar.
  void Open();
  void Save();
  // Back to the configuration screen with its positions.
  void Cancel();

 private:
  ProgramShell& shell_;
};

}  // namespace talvane
