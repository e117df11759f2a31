// Phrase expansion, Roman numerals, the grammar script, and the encoding of
// grammar sources.
#include <charconv>
#include <cstdio>
#include <stdexcept>

#include "catalogue/command_catalogue.h"
#include "common/files.h"
#include "common/text.h"
#include "common/unicode_file.h"
#include "grammar/category_list.h"
#include "grammar/phrase_expansion.h"
#include "grammar/grammar_script.h"
#include "tool.h"

namespace talvane::tool {

namespace {

bool ParseIndex(const std::string& a, int& v) {
  auto [p, ec] = std::from_chars(a.data(), a.data() + a.size(), v);
  return ec == std::errc() && p == a.data() + a.size() && v >= 0;
}

int PrintExpansion(Invocation& inv, const CommandCatalogue& c, int command, int phrase) {
  ExpansionList list;
  ExpandCommandPhrase(inv.ctx, c, command, phrase, list);
  if (list.ExpansionUpper == kExpansionInvalid) return 1;
  for (const auto& e : list.entries) Out(Utf8(e));  // trailing spaces kept, as held
  return Status(inv, true);
}

int Expand(Invocation& inv) {
  int command = 0, phrase = 0;
  if (!ParseIndex(inv.args[0], command) || !ParseIndex(inv.args[1], phrase))
    return UsageError("the command and the phrase are indices from 0");
  CommandCatalogue c;
  if (!LoadCommandList(inv.ctx, c)) return 1;
  if (static_cast<std::size_t>(command) >= c.CommandList.size())
    return UsageError("no command " + inv.args[0] + " (the catalogue holds " +
                      std::to_string(c.CommandList.size()) + ")");
  if (static_cast<std::size_t>(phrase) >= c.CommandList[static_cast<std::size_t>(command)].grammars.size())
    return UsageError("command " + inv.args[0] + " has no phrase " + inv.args[1]);
  return PrintExpansion(inv, c, command, phrase);
}

int ExpandPhraseText(Invocation& inv) {
  const std::string phrase = Utf8ToCp1252(inv.args[0]);
  if (phrase.size() > FixedText<256>::kWidth) return UsageError("a phrase holds at most 256 characters");
  CommandCatalogue c;
  CommandRecord cmd;
  cmd.category = "Command Line";
  cmd.commandName = "Phrase";
  cmd.grammars.emplace_back(phrase);
  c.CommandList.push_back(std::move(cmd));
  return PrintExpansion(inv, c, 0, 0);
}

int Roman(Invocation& inv) {
  const std::string r = ToRoman(inv.args[0]);
  if (r.empty()) return UsageError("N is a whole number in decimal digits, below a million");
  Out(r);
  return 0;
}

int Script(Invocation& inv) {
  CommandCatalogue c;
  if (!LoadCommandList(inv.ctx, c)) return 1;
  CategoryList categories;
  BuildCategoryList(c, categories);
  std::string document;
  if (!CreateGrammarScript(inv.ctx, c, categories, document)) return 1;
  if (inv.args[0] == "-") {
    std::fwrite(document.data(), 1, document.size(), stdout);
  } else {
    std::string error;
    if (!WriteGrammarScript(inv.args[0], document, &error)) throw std::runtime_error(error);
  }
  return Status(inv, true);
}

// UTF-8 text -> a grammar source: byte-order mark FF FE, UTF-16LE, CR LF
// after every line, the last one included.
std::string EncodeGrammarSource(std::string_view utf8) {
  if (!IsValidUtf8(utf8)) throw std::runtime_error("the input is not UTF-8 text");
  if (utf8.starts_with("\xEF\xBB\xBF")) utf8.remove_prefix(3);
  std::u16string text;
  for (char16_t u : Utf8ToUtf16(utf8)) {
    if (u == u'\r') continue;  // line ends are rebuilt from the LFs
    if (u == u'\n') text += u'\r';
    text += u;
  }
  if (!text.empty() && !text.ends_with(u"\r\n")) text += u"\r\n";
  return UnicodeFileBytes(text);
}

int BnfEncode(Invocation& inv) {
  auto text = ReadWholeFile(inv.args[0]);
  if (!text) throw std::runtime_error("cannot read " + inv.args[0]);
  std::string error;
  if (!AtomicWriteFile(inv.args[1], EncodeGrammarSource(*text), &error)) throw std::runtime_error(error);
  return 0;
}

const Registrar kRegistrar({
    {"expand", "C P", "list every phrase that phrase P of command C stands for", 2, 2, Expand},
    {"expand-phrase", "TEXT", "list every phrase that a phrase typed here stands for", 1, 1, ExpandPhraseText},
    {"roman", "N", "print the Roman numeral of N", 1, 1, Roman},
    {"script", "FILE", "write the grammar script of the catalogue to FILE (- for stdout)", 1, 1, Script},
    {"bnf-encode", "IN OUT", "turn a UTF-8 grammar source into UTF-16LE with CR LF line ends", 2, 2, BnfEncode},
});

}  // namespace

}  // namespace talvane::tool
