#include "grisk/bnf_source.h"

#include <cstdio>

#include "common/binary.h"
#include "common/text.h"

namespace talvane::grisk {

namespace {

enum class Tok { kSemicolon, kColon, kBar, kOpen, kClose, kReference, kDirective, kQuoted, kWord, kEnd };

struct Token {
  Tok kind;
  Position pos;
  std::string text;
};

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
bool IsControl(char16_t c) { return (c < 0x20 && !IsSpace(c)) || c == 0x7F; }
// Inside <...>: the checklist-response writer puts response words there as
// the user typed them ("ON AND CHECKED"), so a name may hold inner spaces and
// any character that is not punctuation of the dialect.
bool IsNameChar(char16_t c) {
  switch (c) {
    case u';': case u':': case u'|': case u'(': case u')': case u'<': case u'>': case u'!': case u'"':
    case u'\t': case u'\r': case u'\n':
      return false;
    default:
      return !IsControl(c);
  }
}
bool EndsWord(char16_t c) {
  switch (c) {
    case u';': case u':': case u'|': case u'(': case u')': case u'<': case u'>': case u'!': case u'"':
      return true;
    default:
      return IsSpace(c) || IsControl(c);
  }
}

// Names compare without regard to case: upper case for ASCII and Latin-1
// letters, runs of spaces as one.
std::string UpperName(std::u16string_view s) {
  std::u16string u;
  u.reserve(s.size());
  for (char16_t c : s) {
    if (c == u' ' && !u.empty() && u.back() == u' ') continue;
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) c = static_cast<char16_t>(c - 32);
    u += c;
  }
  return Utf16ToUtf8(u);
}

std::string Hex(char16_t c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(c));
  return buf;
}

class Lexer {
 public:
  Lexer(std::u16string_view text, const std::string& file, Diagnostics& diag)
      : s_(text), file_(file), diag_(diag) {}

  std::vector<Token> Run() {
    std::vector<Token> out;
    out.reserve(s_.size() / 4);
    for (;;) {
      SkipSpaceAndComments();
      const Position pos = Here();
      if (at_ >= s_.size()) {
        out.push_back({Tok::kEnd, pos, {}});
        return out;
      }
      const char16_t c = s_[at_];
      switch (c) {
        case u';': Single(out, Tok::kSemicolon, pos); continue;
        case u':': Single(out, Tok::kColon, pos); continue;
        case u'|': Single(out, Tok::kBar, pos); continue;
        case u'(': Single(out, Tok::kOpen, pos); continue;
        case u')': Single(out, Tok::kClose, pos); continue;
        case u'<': Reference(out, pos); continue;
        case u'>':
          Error(pos, "unexpected \">\": rule names are written <NAME>");
          Advance();
          continue;
        case u'!': Directive(out, pos); continue;
        case u'"': Quoted(out, pos); continue;
        default: break;
      }
      if (IsControl(c)) {
        Error(pos, "unexpected control character " + Hex(c));
        Advance();
        continue;
      }
      const std::size_t start = at_;
      while (at_ < s_.size() && !EndsWord(s_[at_])) Advance();
      out.push_back({Tok::kWord, pos, Utf16ToUtf8(s_.substr(start, at_ - start))});
    }
  }

 private:
  Position Here() const { return {line_, column_}; }
  void Advance() {
    const char16_t c = s_[at_++];
    if (c == u'\n') {
      ++line_;
      column_ = 1;
    } else if (!(c >= 0xDC00 && c <= 0xDFFF)) {  // a pair counts as one character
      ++column_;
    }
  }
  void Error(Position pos, std::string text) { diag_.Error(file_, pos, std::move(text)); }
  void Single(std::vector<Token>& out, Tok kind, Position pos) {
    Advance();
    out.push_back({kind, pos, {}});
  }
  void SkipSpaceAndComments() {
    while (at_ < s_.size()) {
      if (IsSpace(s_[at_])) {
        Advance();
      } else if (s_[at_] == u'/' && at_ + 1 < s_.size() && s_[at_ + 1] == u'/') {
        while (at_ < s_.size() && s_[at_] != u'\n') Advance();
      } else {
        return;
      }
    }
  }
  void Reference(std::vector<Token>& out, Position pos) {
    Advance();
    const std::size_t start = at_;
    while (at_ < s_.size() && IsNameChar(s_[at_])) Advance();
    const std::size_t end = at_;
    if (end == start || at_ >= s_.size() || s_[at_] != u'>') {
      Error(pos, "a \"<\" must begin a rule name written <NAME>, closed by \">\" on the same line");
      return;
    }
    if (s_[start] == u' ' || s_[end - 1] == u' ') {
      Error(pos, "a rule name may not begin or end with a space");
      Advance();
      return;
    }
    Advance();
    out.push_back({Tok::kReference, pos, UpperName(s_.substr(start, end - start))});
  }
  void Directive(std::vector<Token>& out, Position pos) {
    Advance();
    const std::size_t start = at_;
    while (at_ < s_.size() && ((s_[at_] >= u'a' && s_[at_] <= u'z') || (s_[at_] >= u'A' && s_[at_] <= u'Z')))
      Advance();
    const std::string word = Utf16ToUtf8(s_.substr(start, at_ - start));
    static const char* const kKeywords[] = {"grammar", "import", "export", "start",
                                            "activatable", "optional", "ignore", "action"};
    for (const char* k : kKeywords)
      if (word == k) {
        out.push_back({Tok::kDirective, pos, word});
        return;
      }
    Error(pos, word.empty() ? "\"!\" must be followed by a directive such as !start or !optional"
                            : "unknown directive !" + word);
  }
  void Quoted(std::vector<Token>& out, Position pos) {
    Advance();
    const std::size_t start = at_;
    while (at_ < s_.size() && s_[at_] != u'"' && s_[at_] != u'\r' && s_[at_] != u'\n') Advance();
    if (at_ >= s_.size() || s_[at_] != u'"') {
      Error(pos, "the quoted text is not closed on its line");
      return;
    }
    const std::u16string_view text = s_.substr(start, at_ - start);
    Advance();
    for (char16_t c : text)
      if (IsControl(c)) {
        Error(pos, "unexpected control character " + Hex(c) + " in quoted text");
        return;
      }
    out.push_back({Tok::kQuoted, pos, Utf16ToUtf8(text)});
  }

  std::u16string_view s_;
  const std::string& file_;
  Diagnostics& diag_;
  std::size_t at_ = 0;
  int line_ = 1, column_ = 1;
};

class Parser {
 public:
  Parser(std::vector<Token> tokens, const std::string& file, Diagnostics& diag)
      : t_(std::move(tokens)), file_(file), diag_(diag), first_error_count_(diag.errors()) {}

  SourceGrammar Run() {
    g_.file = file_;
    bool first = true;
    while (Peek().kind != Tok::kEnd) {
      if (diag_.errors() - first_error_count_ >= kMaxErrorsPerFile) {
        diag_.Warning(file_, Peek().pos, "too many errors; the rest of the file was not read");
        break;
      }
      const Token& t = Peek();
      if (first && !(t.kind == Tok::kDirective && t.text == "grammar"))
        Error(t.pos, "a grammar source must begin with !grammar \"NAME\";");
      first = false;
      Statement();
    }
    if (first && diag_.errors() == first_error_count_)
      diag_.Error(file_, {}, "the file holds no grammar (it has no !grammar \"NAME\"; statement)");
    return std::move(g_);
  }

 private:
  const Token& Peek() const { return t_[at_]; }
  const Token& Next() { return t_[at_ < t_.size() - 1 ? at_++ : at_]; }
  void Error(Position pos, std::string text) { diag_.Error(file_, pos, std::move(text)); }
  void SkipPastSemicolon() {
    while (Peek().kind != Tok::kEnd && Peek().kind != Tok::kSemicolon) Next();
    if (Peek().kind == Tok::kSemicolon) Next();
  }
  bool ExpectSemicolon(const std::string& what) {
    if (Peek().kind == Tok::kSemicolon) {
      Next();
      return true;
    }
    Error(Peek().pos, "expected \";\" to end " + what);
    SkipPastSemicolon();
    return false;
  }

  void Statement() {
    const Token& t = Peek();
    if (t.kind == Tok::kReference) {
      Rule();
      return;
    }
    if (t.kind == Tok::kSemicolon) {
      diag_.Warning(file_, t.pos, "a \";\" on its own is ignored");
      Next();
      return;
    }
    if (t.kind != Tok::kDirective) {
      Error(t.pos, t.kind == Tok::kWord ? "the word \"" + t.text + "\" stands outside any rule"
                                        : "expected a rule (<NAME>: ... ;) or a statement such as !start<NAME>;");
      SkipPastSemicolon();
      return;
    }
    const std::string kw = t.text;
    const Position pos = t.pos;
    Next();
    if (kw == "grammar") {
      if (g_.has_header) Error(pos, "!grammar may appear only once, at the start");
      if (Peek().kind != Tok::kQuoted) {
        Error(Peek().pos, "!grammar must be followed by the grammar's name in quotes");
        SkipPastSemicolon();
        return;
      }
      if (!g_.has_header) {
        g_.has_header = true;
        g_.name = Peek().text;
        g_.name_pos = pos;
        if (g_.name.empty()) Error(Peek().pos, "the grammar's name is empty");
      }
      Next();
      ExpectSemicolon("the !grammar statement");
    } else if (kw == "import" || kw == "export" || kw == "start") {
      if (Peek().kind != Tok::kReference) {
        Error(Peek().pos, "!" + kw + " must be followed by a rule name written <NAME>");
        SkipPastSemicolon();
        return;
      }
      auto& list = kw == "import" ? g_.imports : kw == "export" ? g_.exports : g_.starts;
      list.push_back({Peek().text, Peek().pos});
      Next();
      ExpectSemicolon("the !" + kw + " statement");
    } else if (kw == "activatable") {
      while (Peek().kind == Tok::kReference) {
        g_.activatable.push_back({Peek().text, Peek().pos});
        Next();
      }
      ExpectSemicolon("the !activatable list");
    } else {
      Error(pos, "!" + kw + " can only appear inside a rule");
      SkipPastSemicolon();
    }
  }

  void Rule() {
    RuleDefinition r;
    r.name = Peek().text;
    r.pos = Peek().pos;
    Next();
    if (Peek().kind != Tok::kColon) {
      Error(Peek().pos, "expected \":\" after <" + r.name + "> to define the rule");
      SkipPastSemicolon();
      return;
    }
    Next();
    abort_ = false;
    r.body = Parse(0, r.pos, false);
    if (abort_) {
      // Kept with what could be read, so its uses raise no further errors.
      abort_ = false;
      at_ = resume_;
      g_.rules.push_back(std::move(r));
      return;
    }
    if (Peek().kind == Tok::kEnd) {
      Error(Peek().pos, "the file ends inside the rule <" + r.name + ">: its \";\" is missing");
      return;
    }
    Next();  // the ';'
    g_.rules.push_back(std::move(r));
  }

  // Stops the statement; parsing goes on at token `resume`.
  void Abort(std::size_t resume) {
    abort_ = true;
    resume_ = resume;
  }

  Expression Parse(int depth, Position open, bool in_group) {
    Expression e(1);
    for (;;) {
      const Token& t = Peek();
      switch (t.kind) {
        case Tok::kBar:
          Next();
          e.emplace_back();
          continue;
        case Tok::kClose:
          if (in_group) return e;
          Error(t.pos, "\")\" closes no group");
          Next();
          continue;
        case Tok::kSemicolon:
        case Tok::kEnd:
          if (in_group) {
            Error(open, "the group opened here is not closed: a \")\" is missing");
            Abort(t.kind == Tok::kSemicolon ? at_ + 1 : at_);
          }
          return e;
        case Tok::kWord:
          e.back().push_back({ItemKind::kWord, t.pos, t.text, {}});
          Next();
          continue;
        case Tok::kReference:
          if (t_[at_ + 1].kind == Tok::kColon) {
            Error(t.pos, "expected \";\" before the definition of <" + t.text + ">");
            Abort(at_);
            return e;
          }
          e.back().push_back({ItemKind::kReference, t.pos, t.text, {}});
          Next();
          continue;
        case Tok::kOpen: {
          Item item{ItemKind::kGroup, t.pos, {}, {}};
          if (!Group(depth, item)) return e;
          e.back().push_back(std::move(item));
          continue;
        }
        case Tok::kDirective: {
          if (t.text == "optional" || t.text == "ignore") {
            Item item{t.text == "optional" ? ItemKind::kOptional : ItemKind::kIgnore, t.pos, {}, {}};
            Next();
            if (Peek().kind != Tok::kOpen) {
              Error(Peek().pos, "!" + std::string(item.kind == ItemKind::kOptional ? "optional" : "ignore") +
                                    " must be followed by \"(\"");
              Abort(SkipIndex());
              return e;
            }
            if (!Group(depth, item)) return e;
            e.back().push_back(std::move(item));
          } else if (t.text == "action") {
            Item item{ItemKind::kAction, t.pos, {}, {}};
            Next();
            if (Peek().kind != Tok::kOpen || t_[at_ + 1].kind != Tok::kQuoted || t_[at_ + 2].kind != Tok::kClose) {
              Error(item.pos, "!action must be written !action(\"TEXT\")");
              Abort(SkipIndex());
              return e;
            }
            item.text = t_[at_ + 1].text;
            if (item.text.empty()) Error(t_[at_ + 1].pos, "an !action tag may not be empty");
            at_ += 3;
            e.back().push_back(std::move(item));
          } else {
            Error(t.pos, "!" + t.text + " cannot appear inside a rule: is the \";\" before it missing?");
            Abort(at_);
            return e;
          }
          continue;
        }
        case Tok::kColon:
          Error(t.pos, "unexpected \":\"");
          Next();
          continue;
        case Tok::kQuoted:
          Error(t.pos, "quoted text belongs only in !grammar and !action");
          Next();
          continue;
      }
    }
  }

  // Reads "( expression )" into item.body. False when the statement was aborted.
  bool Group(int depth, Item& item) {
    const Position open = Peek().pos;
    if (depth + 1 > kMaxNesting) {
      Error(open, "groups are nested more than " + std::to_string(kMaxNesting) + " deep");
      Abort(SkipIndex());
      return false;
    }
    Next();
    item.body = Parse(depth + 1, open, true);
    if (abort_) return false;
    Next();  // the ')'
    return true;
  }

  // The token after the next ";" (where a broken statement ends).
  std::size_t SkipIndex() const {
    std::size_t i = at_;
    while (t_[i].kind != Tok::kEnd && t_[i].kind != Tok::kSemicolon) ++i;
    return t_[i].kind == Tok::kSemicolon ? i + 1 : i;
  }

  std::vector<Token> t_;
  const std::string& file_;
  Diagnostics& diag_;
  int first_error_count_;
  std::size_t at_ = 0;
  bool abort_ = false;
  std::size_t resume_ = 0;
  SourceGrammar g_;
};

}  // namespace

std::optional<std::u16string> DecodeSource(std::string_view bytes, const std::string& file, Diagnostics& diag) {
  if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xFF || static_cast<unsigned char>(bytes[1]) != 0xFE) {
    diag.Error(file, {}, "the file is not UTF-16LE text beginning with the byte-order mark FF FE");
    return std::nullopt;
  }
  if (bytes.size() % 2 != 0) {
    diag.Error(file, {}, "the file ends in the middle of a character (odd number of bytes)");
    return std::nullopt;
  }
  std::u16string s((bytes.size() - 2) / 2, u'\0');
  for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<char16_t>(LoadU16(bytes.data() + 2 + 2 * i));
  int line = 1, column = 1;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char16_t c = s[i];
    const bool high = c >= 0xD800 && c <= 0xDBFF, low = c >= 0xDC00 && c <= 0xDFFF;
    if (high && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      ++i;
      ++column;
      continue;
    }
    if (high || low) {
      diag.Error(file, {line, column}, "the text holds a broken UTF-16 character (" + Hex(c) + ")");
      return std::nullopt;
    }
    if (c == u'\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return s;
}

SourceGrammar ParseSource(std::u16string_view text, const std::string& file, Diagnostics& diag) {
  Lexer lexer(text, file, diag);
  Parser parser(lexer.Run(), file, diag);
  return parser.Run();
}

std::string LowerWord(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c >= 'A' && c <= 'Z') {
      out += static_cast<char>(c + 32);
    } else if (c == 0xC3 && i + 1 < utf8.size()) {
      // U+00C0..U+00DE (but not U+00D7, the multiplication sign) -> +0x20
      const unsigned char d = static_cast<unsigned char>(utf8[i + 1]);
      out += static_cast<char>(c);
      out += static_cast<char>(d >= 0x80 && d <= 0x9E && d != 0x97 ? d + 0x20 : d);
      ++i;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace talvane::grisk
