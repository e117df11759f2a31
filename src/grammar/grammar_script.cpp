#include "grammar/grammar_script.h"

#include "common/files.h"
#include "common/text.h"
#include "grammar/phrase_expansion.h"

namespace talvane {

std::string RtfText(std::string_view ansi) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(ansi.size());
  for (char c : ansi) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\\' || c == '{' || c == '}') {
      out += '\\';
      out += c;
    } else if (u < 0x20 || u >= 0x7F) {
      out += "\\'";
      out += kHex[u >> 4];
      out += kHex[u & 0x0F];
    } else {
      out += c;
    }
  }
  return out;
}

bool ListScript(Context& ctx, const CommandCatalogue& catalogue, const CategoryList& categories,
                const ScriptListing& listing) {
  const std::size_t count = categories.CategoryNames.size();
  ExpansionList list;
  for (std::size_t c = 0; c < count; ++c) {
    const std::string category = Trim(categories.CategoryNames[c]);
    ctx.ui.UpdateProgress(Paragraphs({"Command Category - " + category, "Please standby..."}),
                          static_cast<double>(c) * 100.0 / static_cast<double>(count));
    if (listing.category) listing.category(static_cast<int>(c), category);
    int number = 0;
    for (std::size_t i = 0; i < catalogue.CommandList.size(); ++i) {
      const CommandRecord& cmd = catalogue.CommandList[i];
      if (!InCategory(cmd, category)) continue;
      if (listing.command) listing.command(++number, cmd);
      for (std::size_t p = 0; p < cmd.grammars.size(); ++p) {
        ExpandCommandPhrase(ctx, catalogue, static_cast<int>(i), static_cast<int>(p), list);
        if (list.ExpansionUpper == kExpansionInvalid) return false;
        if (listing.phrase)
          for (const auto& entry : list.entries) listing.phrase(entry);
      }
      if (listing.commandEnd) listing.commandEnd();
    }
    if (listing.categoryEnd) listing.categoryEnd();
  }
  return true;
}

bool BuildGrammarScript(Context& ctx, const CommandCatalogue& catalogue, const CategoryList& categories,
                        std::string& document) {
  const int count = static_cast<int>(categories.CategoryNames.size());
  std::string d;
  auto line = [&d](std::string_view s) {
    d += s;
    d += '\n';
  };
  line("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
       "{\\f1\\fnil\\fcharset2 Symbol;}}");
  line("{\\*\\generator Msftedit 5.41.15.1507;}\\viewkind4\\uc1\\pard\\b\\i\\f0\\fs44 Talvane\\par");
  line("\\i0\\fs32\\tab Grammar Script\\par");
  line("\\b0\\fs20\\par");
  line("The following is broken into command categories and the associated commands.  Each command includes "
       "the script that you may speak to control Flight Simulator.  If you make changes to your grammar phrases "
       "using the Talvane interface, generate a new script to show the changes in this document.  You may print "
       "this document in WordPad.\\par");
  line("\\par");
  line("\\b\\fs28 Number of Command Categories - " + ToDecimal(count) + "\\par");
  line("\\b0\\fs20\\par");

  const bool listed = ListScript(
      ctx, catalogue, categories,
      {.category =
           [&](int c, const std::string& category) {
             line("\\b\\fs28 " + ToRoman(ToDecimal(c + 1)) + ".  " + RtfText(category) + "\\par");
             line("\\b0\\fs20\\par");
             line("\\fs20\\par");
           },
       .command =
           [&](int number, const CommandRecord& cmd) {
             line("\\b\\fs24\\tab " + ToDecimal(number) + ".  " + RtfText(cmd.commandName.trimmed()) + "\\par");
             line("\\b0\\fs20\\par");
             line("\\pard{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}\\fi-360\\li1440");
           },
       .phrase =
           [&](const std::string& entry) {
             std::string text = Trim(entry);
             if (!text.empty()) text[0] = UpperChar(text[0]);
             // Valid phrases hold nothing to escape; escaping keeps that a fact.
             line("{\\pntext\\f1\\'B7\\tab}" + RtfText(text) + "\\par");
           },
       .commandEnd =
           [&] {
             line("\\pard\\li1080\\par");
             line("\\pard");
           },
       .categoryEnd = {}});
  if (!listed) return false;
  line("}");
  document = std::move(d);
  return true;
}

bool CreateGrammarScript(Context& ctx, const CommandCatalogue& catalogue, const CategoryList& categories,
                         std::string& document) {
  ctx.ui.ShowProgress("Creating Grammar Script",
                      Paragraphs({"Creating the complete grammar phrases script.", "Please standby..."}));
  const bool ok = BuildGrammarScript(ctx, catalogue, categories, document);
  ctx.ui.HideProgress();
  return ok;
}

bool WriteGrammarScript(const fs::path& file, std::string_view document, std::string* error) {
  return AtomicWriteFile(file, document, error);
}

int SaveGrammarScript(Context& ctx, std::string_view document) {
  std::string error;
  if (!WriteGrammarScript(ctx.File(kGrammarScriptFile), document, &error)) {
    ctx.Tell("Talvane Error",
             Paragraphs({"There was an error in trying to save the grammar script to TalvaneScript.rtf.", Utf8ToCp1252(error),
                         "Please press OK to continue..."}),
             kIconError);
    return 1;
  }
  ctx.Tell("Grammar Script Saved",
           Paragraphs({"The complete grammar script has been saved to a rich text file.  The file is found in the "
                       "Talvane main directory.",
                       "Please press OK to continue..."}),
           kIconInformation);
  return 0;
}

}  // namespace talvane
