// Grammar sources (docs/grammar-dialect.md): decoding, tokens and the syntax
// tree. Parsing reports every error it can find, each with its position,
// and recovers at the next ";".
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "grisk/diagnostics.h"

namespace talvane::grisk {

enum class ItemKind { kWord, kReference, kGroup, kOptional, kIgnore, kAction };

struct Item;
using Sequence = std::vector<Item>;
using Expression = std::vector<Sequence>;  // alternatives; one empty sequence matches nothing spoken

struct Item {
  ItemKind kind = ItemKind::kWord;
  Position pos;
  std::string text;  // word as written (UTF-8), reference name (upper case), or tag text
  Expression body;   // group, optional, ignore
};

struct NameUse {
  std::string name;  // upper case
  Position pos;
};

struct RuleDefinition {
  std::string name;  // upper case
  Position pos;
  Expression body;
};

struct SourceGrammar {
  std::string file;  // file name, for messages
  bool has_header = false;
  std::string name;
  Position name_pos;
  std::vector<NameUse> imports, exports, starts, activatable;
  std::vector<RuleDefinition> rules;
};

// Groups may nest this deep; deeper is refused rather than risk the stack.
inline constexpr int kMaxNesting = 100;
// A file stops being read after this many errors.
inline constexpr int kMaxErrorsPerFile = 50;

// The text of a grammar file: UTF-16LE after the byte-order mark FF FE.
// nullopt (with an error) for anything else: no mark, an odd byte count, or
// an unpaired surrogate.
std::optional<std::u16string> DecodeSource(std::string_view bytes, const std::string& file, Diagnostics& diag);

// Parses the text; errors go to `diag`. The tree holds what could be read.
SourceGrammar ParseSource(std::u16string_view text, const std::string& file, Diagnostics& diag);

// Lower case for the Latin letters (ASCII and Latin-1), which is all the
// words of the grammars need for comparison; UTF-8 in and out.
std::string LowerWord(std::string_view utf8);

}  // namespace talvane::grisk
