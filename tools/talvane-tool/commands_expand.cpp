// Phrase expansion, Roman numerals, the grammar script, and the encoding of
// grammar sources.
#include <charconv>
#include <cstdio>
#include <stdexcept>

#include "catalogue/command_catalogue.h"
#include "common/files.h"
#include "common/text.h"
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
  std::string out = "\xFF\xFE";
  auto unit = [&out](char32_t u) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>((u >> 8) & 0xFF);
  };
  for (std::size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    const int len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    char32_t cp = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
    for (int k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += static_cast<std::size_t>(len);
    if (cp == '\r') continue;  // line ends are rebuilt from the LFs
    if (cp == '\n') {
      unit('\r');
      unit('\n');
    } else if (cp >= 0x10000) {
      cp -= 0x10000;
      unit(0xD800 + (cp >> 10));
      unit(0xDC00 + (cp & 0x3FF));
    } else {
      unit(cp);
    }
  }
  if (out.size() > 2 && !out.ends_with(std::string("\r\0\n\0", 4))) {
    unit('\r');
    unit('\n');
  }
  return out;
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
