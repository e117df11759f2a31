// The grammar script: a printable rich-text document listing, category by
// category and command by command, every phrase the pilot may speak.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "catalogue/command_catalogue.h"
#include "common/context.h"
#include "grammar/category_list.h"

namespace talvane {

inline constexpr const char* kGrammarScriptFile = "\\TalvaneScript.rtf";

// Text (Windows-1252) as it must appear in the document: "\", "{" and "}"
// get a backslash, and every byte outside printable ASCII is written as
// \'hh, so a name can never end a group or start a control word.
std::string RtfText(std::string_view ansi);

// The listing both scripts share (this document and the command script of
// the kneeboard pages): category by category, with the progress dialog
// advanced before each, the commands of the category in catalogue order,
// numbered from 1, and every phrase each of their stored phrases stands for.
struct ScriptListing {
  std::function<void(int index, const std::string& category)> category;  // trimmed name
  std::function<void(int number, const CommandRecord& command)> command;
  std::function<void(const std::string& phrase)> phrase;  // as expanded
  std::function<void()> commandEnd;
  std::function<void()> categoryEnd;
};
// False when a phrase cannot be expanded (already reported): the walk stops
// there, inside the category and command it had reached.
bool ListScript(Context& ctx, const CommandCatalogue& catalogue, const CategoryList& categories,
                const ScriptListing& listing);

// Builds the document into `document` and advances the progress dialog
// before each category. A phrase that cannot be expanded is reported (the
// "Grammar Error" message) and the build stops: false, `document` untouched.
bool BuildGrammarScript(Context& ctx, const CommandCatalogue& catalogue, const CategoryList& categories,
                        std::string& document);

// The "script" action's work: the progress dialog around BuildGrammarScript,
// closed afterwards whatever the outcome.
bool CreateGrammarScript(Context& ctx, const CommandCatalogue& catalogue, const CategoryList& categories,
                         std::string& document);

// Writes the document unchanged, replacing `file` atomically.
bool WriteGrammarScript(const fs::path& file, std::string_view document, std::string* error = nullptr);

// The script screen's "save": TalvaneScript.rtf in the program folder, then
// the "Grammar Script Saved" message. A failed write is reported as
// "Talvane Error" instead and returns 1; 0 on success.
int SaveGrammarScript(Context& ctx, std::string_view document);

}  // namespace talvane
