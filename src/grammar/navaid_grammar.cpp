// Navaid grammar writers and the spoken forms of stations and ILS approaches.
#include "grammar/navaid_grammar.h"

#include <algorithm>

#include "common/text.h"
#include "common/unicode_file.h"
#include "grammar/grammar_writer.h"

namespace talvane {

namespace {

constexpr std::size_t kMaxIdLength = 4;
constexpr std::string_view kCRLF = "\r\n";

bool IsLetter(char u) { return u >= 'A' && u <= 'Z'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string Phonetic(char u) { return std::string("<PHONETIC_") + u + "> "; }
std::string Num(char d) { return std::string("<NUM_") + d + "> "; }

// "(phonetic | spelled)". A text without letters (or digits, for airports)
// has no phonetic form; an empty alternative would let the rule match
// silence, so only the spelled one is given then.
std::string Alternatives(const std::string& phonetic, const std::string& spelled) {
  if (phonetic.empty()) return "(" + spelled + ")";
  return "(" + phonetic + " | " + spelled + ")";
}

std::string RunwayWords(std::string_view runway) {
  std::string out;
  for (std::size_t i = 0; i < runway.size(); ++i) {
    const char c = UpperChar(runway[i]);
    if (c == '0')
      out += i == 0 ? "!optional(<NUM_0>) " : "<NUM_0> ";  // a leading zero may be left unsaid
    else if (IsDigit(c))
      out += Num(c);
    else if (c == 'C')
      out += "(center|senner|sunner) ";
    else if (c == 'L')
      out += "(left|lef)  ";
    else if (c == 'R')
      out += "(right|ry) ";
  }
  return out;
}

struct GrammarLayout {
  const char* name;
  const char* rule;
  const char* file;
  const char* progress_label;
  double first_percent;
  int steps;
};

constexpr GrammarLayout kLayouts[] = {
    {"NAVAID_IDS", "NAV_ID", "Navaid_IDs.bnf", "(Navaid IDs)", 10, 20},
    {"NAVAID_NAMES", "NAV_NAME", "Navaid_Names.bnf", "(Navaid Names)", 30, 20},
    {"NAVAID_ILS", "RWY_APT_ID", "Navaid_ILSs.bnf", "(Navaid ILS's)", 50, 30},
};

const GrammarLayout& Layout(NavaidGrammar which) { return kLayouts[static_cast<int>(which)]; }

void AppendImports(std::string& out, NavaidGrammar which) {
  if (which == NavaidGrammar::kILSs) {
    for (char d = '0'; d <= '9'; ++d) out += std::string("!import<NUM_") + d + ">;\r\n";
    out += "!import<WORD_ON>;\r\n";
  }
  if (which != NavaidGrammar::kNames)
    for (char c = 'A'; c <= 'Z'; ++c) out += std::string("!import<PHONETIC_") + c + ">;\r\n";
}

// The alternative of record i, without the TAB and the leading bar.
std::optional<std::string> Alternative(NavaidGrammar which, const NavaidLists& lists, std::size_t i) {
  switch (which) {
    case NavaidGrammar::kIds: {
      const auto& r = lists.NavaidList[i];
      auto phrase = NavIdPhrase(r);
      if (!phrase) return std::nullopt;
      return "!ignore" + *phrase + "!action(\"" + Trim(r.navTag) + "\")";
    }
    case NavaidGrammar::kNames: {
      const auto& r = lists.NavaidList[i];
      std::string name = Lower(Trim(r.navName));
      if (name.empty()) return std::nullopt;  // an empty alternative would match silence
      return "!ignore(" + name + ")!action(\"" + Trim(r.navTag) + "\")";
    }
    case NavaidGrammar::kILSs: {
      const auto& r = lists.ILSList[i];
      auto phrase = ILSPhrase(r);
      if (!phrase) return std::nullopt;
      return "!ignore(" + *phrase + ")!action(\"" + Trim(r.ilsTagA) + ":" + Trim(r.ilsTagB) + "\")";
    }
  }
  return std::nullopt;
}

std::string ProgressText(NavaidGrammar which, bool test) {
  const GrammarLayout& l = Layout(which);
  if (test) return std::string("Writing Grammar Files ") + l.progress_label;
  return std::string("Saving and compiling your grammar files.  This process will take a few minutes. ") +
         l.progress_label + std::string(kParagraph) + "Please standby...";
}

int SaveNavaidGrammar(Context& ctx, const NavaidLists& lists, bool test, NavaidGrammar which) {
  const std::string text = ProgressText(which, test);
  auto text_grammar =
      ComposeNavaidGrammar(which, lists, [&](double percent) { ctx.ui.UpdateProgress(text, percent); });
  if (!text_grammar) return 1;
  const std::string folder = test ? "\\Grammars\\Test\\" : "\\Grammars\\";
  return WriteUnicodeFile(*text_grammar, ctx.File(folder + Layout(which).file)) ? 0 : kGrammarFileUnwritable;
}

}  // namespace

std::optional<std::string> NavIdPhrase(const NavaidRecord& rec) {
  const std::string id = Trim(rec.navId);
  if (id.empty() || id.size() > kMaxIdLength) return std::nullopt;
  std::string phonetic, spelled;
  for (char c : id) {
    const char u = UpperChar(c);
    if (IsLetter(u)) phonetic += Phonetic(u);
    spelled += u;
    spelled += ' ';
  }
  return Alternatives(Trim(phonetic), Trim(spelled));
}

std::optional<std::string> ILSPhrase(const ILSRecord& rec) {
  const std::string airport = Trim(rec.airportId);
  const std::string runway = Trim(rec.runway);
  if (airport.empty() || airport.size() > kMaxIdLength || runway.size() > kMaxIdLength) return std::nullopt;
  std::string phonetic, spelled;
  for (char c : airport) {
    const char u = UpperChar(c);
    if (IsLetter(u))
      phonetic += Phonetic(u);
    else if (IsDigit(u))
      phonetic += Num(u);
    spelled += u;
    spelled += ' ';
  }
  return Trim(RunwayWords(runway)) + "(I L S|i'll less|i elle-ess|tileless) !optional(at) " +
         Alternatives(Upper(Trim(phonetic)), Upper(Trim(spelled)));
}

std::optional<std::string> ILSPhrase(const NavaidLists& lists, int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= lists.ILSList.size()) return std::nullopt;
  return ILSPhrase(lists.ILSList[static_cast<std::size_t>(index)]);
}

std::optional<std::string> ComposeNavaidGrammar(NavaidGrammar which, const NavaidLists& lists,
                                                const std::function<void(double)>& percent) {
  const GrammarLayout& l = Layout(which);
  const std::size_t count = which == NavaidGrammar::kILSs ? lists.ILSList.size() : lists.NavaidList.size();
  std::string out;
  out.reserve(1024 + count * (which == NavaidGrammar::kILSs ? 240 : 100));
  out += std::string("!grammar \"") + l.name + "\";\r\n\r\n";
  AppendImports(out, which);
  out += std::string("!export<") + l.rule + ">;\r\n\r\n\r\n";
  out += std::string("<") + l.rule + ">:\r\n\t(\r\n";

  // The bar moves by one percent each time the index passes another
  // step-th of the list.
  double shown = l.first_percent;
  if (percent) percent(shown);
  const std::size_t step = std::max<std::size_t>(1, count == 0 ? 1 : (count - 1) / static_cast<std::size_t>(l.steps));
  std::size_t next = step;
  for (std::size_t i = 0; i < count; ++i) {
    if (i == next) {
      next += step;
      if (percent) percent(++shown);
    }
    auto alt = Alternative(which, lists, i);
    if (!alt) return std::nullopt;
    out += i == 0 ? "\t" : "\t| ";
    out += *alt;
    out += kCRLF;
  }
  out += "\t)\r\n;\r\n\r\n";
  return out;
}

int SaveNavaidIDs(Context& ctx, const NavaidLists& lists, bool test) {
  return SaveNavaidGrammar(ctx, lists, test, NavaidGrammar::kIds);
}

int SaveNavaidNames(Context& ctx, const NavaidLists& lists, bool test) {
  return SaveNavaidGrammar(ctx, lists, test, NavaidGrammar::kNames);
}

int SaveNavaidILSs(Context& ctx, const NavaidLists& lists, bool test) {
  return SaveNavaidGrammar(ctx, lists, test, NavaidGrammar::kILSs);
}

int SaveNavaidGrammars(Context& ctx, const NavaidLists& lists, bool test) {
  for (auto which : {NavaidGrammar::kIds, NavaidGrammar::kNames, NavaidGrammar::kILSs})
    if (const int r = SaveNavaidGrammar(ctx, lists, test, which); r != 0) return r;
  return 0;
}

}  // namespace talvane
