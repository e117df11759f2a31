// Grammar source writers: category grammars, checklist responses, test grammar.
#include <array>

#include "common/files.h"
#include "common/text.h"
#include "common/unicode_file.h"
#include "grammar/grammar_writer.h"
#include "grammar/navaid_grammar.h"

namespace talvane {

namespace {

constexpr std::string_view kCRLF = "\r\n";
constexpr const char* kGenericListsSource = "\\Data\\Generic Lists.bnf";

// The lists of Generic Lists.bnf every category grammar imports, in order.
const std::vector<std::string>& GenericImports() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> v = {"SPD",          "ALT",       "CRS",       "HDG",      "MACH",      "DEGREES",
                                  "N1REF",        "VS",        "VSNEG",     "TRANSPARENCY", "ALT_PRESS", "DH_ALT",
                                  "EGT_VAL",      "ADF_FREQ",  "COMM_FREQ", "NAV_FREQ", "XPNDR_CODE", "SIM_RATE"};
    for (char d = '0'; d <= '9'; ++d) v.push_back(std::string("NUM_") + d);
    v.push_back("WORD_ON");
    for (char c = 'A'; c <= 'Z'; ++c) v.push_back(std::string("PHONETIC_") + c);
    v.push_back("FLAP_SETTING");
    return v;
  }();
  return names;
}

constexpr std::array<std::string_view, 3> kNavaidImports = {"NAV_ID", "NAV_NAME", "RWY_APT_ID"};

// The radio commands that need the navaid grammars.
constexpr std::array<std::string_view, 3> kNavaidCommands = {"RADIO_NAV1_SELECT_ILS", "RADIO_NAV1_SELECT_VOR",
                                                            "RADIO_NAV2_SELECT_VOR"};

// File names a category may not take: they belong to the other grammars.
constexpr std::array<std::string_view, 5> kReservedGrammars = {"Generic Lists", "ChecklistResponses", "Navaid_IDs",
                                                               "Navaid_Names", "Navaid_ILSs"};

void Line(std::string& out, std::string_view text = {}) {
  out += text;
  out += kCRLF;
}

void AppendImports(std::string& out, bool navaids) {
  for (const auto& name : GenericImports()) Line(out, "!import<" + name + ">;");
  if (navaids)
    for (auto name : kNavaidImports) Line(out, "!import<" + std::string(name) + ">;");
}

std::string RuleOf(const CommandRecord& c) { return Upper(c.ruleName.trimmed()); }

bool Written(const CommandRecord& c, std::string_view category, bool navaids) {
  if (!InCategory(c, category)) return false;
  if (navaids) return true;
  const std::string rule = RuleOf(c);
  for (auto skipped : kNavaidCommands)
    if (rule == skipped) return false;
  return true;
}

bool UsesSubRule(const CommandRecord& c) {
  for (const auto& g : c.grammars)
    if (g.str().find('<') != std::string::npos) return true;
  return false;
}

bool UsesNavaidList(std::string_view phrase) {
  for (auto name : kNavaidImports)
    if (phrase.find("<" + std::string(name) + ">") != std::string_view::npos) return true;
  return false;
}

// The grammar file of a category; nullopt when its name cannot be one.
std::optional<fs::path> CategoryFile(const Context& ctx, const std::string& category) {
  const std::string file = category + ".bnf";
  if (!IsPlainFileName(file)) return std::nullopt;
  for (auto reserved : kReservedGrammars)
    if (EqualsNoCase(category, reserved)) return std::nullopt;
  return ctx.File("\\Grammars") / PathFromAnsi(file);
}

// Copies Data\Generic Lists.bnf to `target` unless it is there already.
bool ProvideGenericLists(const Context& ctx, const fs::path& target) {
  if (!FileExists(target)) CopyFileAtomic(ctx.File(kGenericListsSource), target);
  return FileExists(target);
}

}  // namespace

std::string CategoryPhrase(std::string_view stored) {
  // The padding lets a final "on" match " on " as well.
  std::string s = ReplaceNoCase(stored, " on ", " <WORD_ON> ");
  return TestPhrase(s);
}

std::string TestPhrase(std::string_view stored) {
  std::string s = ReplaceNoCase(stored, "(", "!optional(");
  s = ReplaceNoCase(s, "[", "(");
  s = ReplaceNoCase(s, "]", ")");
  return Trim(s);
}

std::string ComposeCategoryGrammar(std::string_view category, const CommandCatalogue& catalogue,
                                   std::int16_t compileNavaids) {
  const std::string name = Trim(category);
  const bool navaids = compileNavaids == 1;
  std::string out;
  Line(out, "!grammar \"" + name + "\";");
  Line(out);
  AppendImports(out, navaids && Lower(name) == "radios");
  Line(out);

  for (const auto& c : catalogue.CommandList)
    if (Written(c, name, navaids)) Line(out, "!start<" + RuleOf(c) + ">;");
  Line(out);

  for (const auto& c : catalogue.CommandList) {
    if (!Written(c, name, navaids)) continue;
    Line(out, "<" + RuleOf(c) + ">:");
    // A colon after the number tells the voice module that list values follow.
    Line(out, "\t!action(\"|" + ToDecimal(c.commandValue) + (UsesSubRule(c) ? ":" : "") + "\")");
    Line(out, "\t!ignore(");
    Line(out, "\t\t(");
    if (c.grammars.empty()) Line(out, "\t\tTest");
    for (std::size_t g = 0; g < c.grammars.size(); ++g)
      Line(out, (g == 0 ? "\t\t" : "\t\t| ") + CategoryPhrase(c.grammars[g].str()));
    Line(out, "\t\t)");
    Line(out, "\t)");
    Line(out, ";");
    Line(out);
  }
  return out;
}

std::string ComposeChecklistResponses(const Settings& settings) {
  std::vector<std::string> words;
  for (const auto& r : settings.ChecklistResponses) words.push_back(Upper(Trim(r.response)));

  std::string out;
  Line(out, "!grammar \"ChecklistResponses\";");
  Line(out);
  for (const auto& w : words) Line(out, "!start<" + w + ">;");
  std::string activatable = "!activatable ";
  for (const auto& w : words) activatable += "<" + w + "> ";
  Line(out, activatable + ";");
  Line(out);
  for (std::size_t i = 0; i < words.size(); ++i) {
    const auto& r = settings.ChecklistResponses[i];
    const std::string spoken = Trim(r.response);
    Line(out, "<" + words[i] + ">:");
    Line(out, "\t!action(\"|" + ToDecimal(r.functionNumber) + "\")");
    Line(out, "\t!ignore(");
    // "On" is often heard as "awn".
    Line(out, "\t\t" + (spoken == "On" ? std::string("(on|awn)") : spoken));
    Line(out, "\t)");
    Line(out, ";");
    Line(out);
  }
  return out;
}

std::string ComposeTestGrammar(const CommandRecord& command, std::size_t phrase) {
  const std::string& stored = command.grammars.at(phrase).str();
  const std::string rule = RuleOf(command);
  std::string out;
  Line(out, "!grammar \"Test\";");
  Line(out);
  AppendImports(out, UsesNavaidList(stored));
  Line(out);
  Line(out, "!start<" + rule + ">;");
  Line(out);
  Line(out, "<" + rule + ">:");
  Line(out, "\t(");
  Line(out, "\t\t" + TestPhrase(stored));
  Line(out, "\t)");
  Line(out, ";");
  Line(out);
  return out;
}

Message GrammarFileWriteError() {
  Message m;
  m.title = "Talvane Error";
  m.text = Paragraphs({"There was an error in trying to write a grammar file.", "Please contact Brevantix Support",
                       "Please press OK to continue..."});
  m.icon = kIconError;
  return m;
}

int SaveGrammarFiles(Context& ctx, const GrammarInputs& in) {
  if (!ProvideGenericLists(ctx, ctx.File("\\Grammars\\Generic Lists.bnf"))) return 1;

  // Refuse every unusable category name before anything is replaced.
  std::vector<fs::path> files;
  for (const auto& category : in.categories.CategoryNames) {
    auto file = CategoryFile(ctx, Trim(category));
    if (!file) return 1;
    files.push_back(std::move(*file));
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string text =
        ComposeCategoryGrammar(in.categories.CategoryNames[i], in.catalogue, in.settings.compileNavaids);
    if (!WriteUnicodeFile(text, files[i])) return kGrammarFileUnwritable;
  }

  if (const int r = SaveChecklistResponses(ctx, in.settings); r != 0) return r;

  if (in.settings.compileNavaids == 1) return SaveNavaidGrammars(ctx, in.navaids, false);
  return 0;
}

int SaveChecklistResponses(Context& ctx, const Settings& settings) {
  return WriteUnicodeFile(ComposeChecklistResponses(settings), ctx.File("\\Grammars\\ChecklistResponses.bnf"))
             ? 0
             : kGrammarFileUnwritable;
}

int SaveTestGrammar(Context& ctx, const GrammarInputs& in, int command, int phrase) {
  const auto& list = in.catalogue.CommandList;
  if (command < 0 || static_cast<std::size_t>(command) >= list.size()) return 1;
  const CommandRecord& c = list[static_cast<std::size_t>(command)];
  if (phrase < 0 || static_cast<std::size_t>(phrase) >= c.grammars.size()) return 1;
  const bool navaids = UsesNavaidList(c.grammars[static_cast<std::size_t>(phrase)].str());

  if (!ProvideGenericLists(ctx, ctx.File("\\Grammars\\Test\\Generic Lists.bnf"))) return 1;
  // The new file replaces the old one in a single rename.
  if (!WriteUnicodeFile(ComposeTestGrammar(c, static_cast<std::size_t>(phrase)),
                        ctx.File("\\Grammars\\Test\\Test.bnf")))
    return kGrammarFileUnwritable;

  return navaids ? SaveNavaidGrammars(ctx, in.navaids, true) : 0;
}

}  // namespace talvane
