#include "grammar/phrase_expansion.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <utility>

#include "common/text.h"

namespace talvane {

namespace {

bool Allowed(char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  switch (c) {
    case ' ': case '\'': case '(': case ')': case ',': case '-': case '.':
    case '<': case '>': case '[': case ']': case '_': case '|':
      return true;
    default:
      return false;
  }
}

// True when some `open` has a `close` after it: the test that sends a phrase
// to the optional or the alternatives step. Such a text always holds at least
// one matched pair, so every step makes progress.
bool HasPair(std::string_view t, char open, char close) {
  const auto o = t.find(open);
  return o != std::string_view::npos && t.find(close, o + 1) != std::string_view::npos;
}

// The outermost matched pairs of brackets (positions of open and close), left
// to right. Brackets of the other kind are ordinary text here; an unmatched
// bracket never encloses anything.
std::vector<std::pair<std::size_t, std::size_t>> OuterPairs(std::string_view t, char open, char close) {
  std::vector<std::pair<std::size_t, std::size_t>> pairs;
  std::vector<std::size_t> stack;
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i] == open) {
      stack.push_back(i);
    } else if (t[i] == close && !stack.empty()) {
      const std::size_t o = stack.back();
      stack.pop_back();
      // Pairs close inner-first, so an earlier pair inside this one is dropped.
      while (!pairs.empty() && pairs.back().first > o) pairs.pop_back();
      pairs.emplace_back(o, i);
    }
  }
  return pairs;
}

// Every non-overlapping pair of spaces becomes one space, left to right.
std::string HalveDoubleSpaces(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    out += s[i];
    if (s[i] == ' ' && i + 1 < s.size() && s[i + 1] == ' ') ++i;
  }
  return out;
}

// The UTF-16 code unit of each Windows-1252 byte: the list is ordered by them.
const std::array<std::uint16_t, 256>& CodeUnits() {
  static const std::array<std::uint16_t, 256> table = [] {
    std::array<std::uint16_t, 256> t{};
    for (int b = 0; b < 256; ++b) t[b] = static_cast<std::uint16_t>(Cp1252ToCodePoint(static_cast<unsigned char>(b)));
    return t;
  }();
  return table;
}

std::string Key(std::string_view s) { return Upper(Trim(s)); }

void ReportPhrase(Context& ctx, const CommandRecord& cmd, const std::string& phrase, std::string_view reason) {
  const std::string head = "Error in " + cmd.category.trimmed() + " - " + cmd.commandName.trimmed();
  if (reason.empty())
    ctx.Tell("Grammar Error", Paragraphs({head, Trim(phrase), "Please press OK to continue..."}), kIconError);
  else
    ctx.Tell("Grammar Error", Paragraphs({head, Trim(phrase), reason, "Please press OK to continue..."}), kIconError);
}

}  // namespace

bool CheckPhraseSyntax(std::string_view phrase) {
  const std::string t = Trim(phrase);
  for (char c : t)
    if (!Allowed(c)) return false;
  std::vector<char> stack;
  for (char c : t) {
    if (c == '[' || c == '(') {
      stack.push_back(c);
    } else if (c == ']' || c == ')') {
      if (stack.empty() || stack.back() != (c == ']' ? '[' : '(')) return false;
      stack.pop_back();
    }
  }
  return stack.empty();
}

std::vector<std::string> ExpandOptionalParts(std::string_view t) {
  const auto parts = OuterPairs(t, '(', ')');
  const std::size_t n = parts.size();
  if (n > kMaxOptionalParts) return {};
  std::vector<std::string> results;
  results.reserve(std::size_t{1} << n);
  for (std::size_t c = 0; c < (std::size_t{1} << n); ++c) {
    std::string s;
    std::size_t at = 0;
    for (std::size_t j = 0; j < n; ++j) {
      const auto [o, e] = parts[j];
      s.append(t, at, o - at);
      if (c & (std::size_t{1} << (n - 1 - j))) s.append(t, o + 1, e - o - 1);
      at = e + 1;
    }
    s.append(t, at);
    results.push_back(Trim(HalveDoubleSpaces(Trim(s))));
  }
  return results;
}

std::vector<std::string> ExpandAlternatives(std::string_view t) {
  const auto groups = OuterPairs(t, '[', ']');
  if (groups.empty()) return {std::string(t)};
  const auto [o, e] = groups.front();
  const std::string_view prefix = t.substr(0, o), suffix = t.substr(e + 1);
  std::vector<std::string> results;
  std::size_t start = o + 1;
  int depth = 0;
  for (std::size_t i = o + 1; i <= e; ++i) {
    const char c = t[i];
    if (c == '[') {
      ++depth;
    } else if (c == ']' && depth > 0) {
      --depth;
    } else if ((c == '|' && depth == 0) || i == e) {
      std::string r;
      r.reserve(prefix.size() + (i - start) + suffix.size());
      r.append(prefix).append(t.substr(start, i - start)).append(suffix);
      results.push_back(std::move(r));
      start = i + 1;
    }
  }
  return results;
}

namespace {

bool Append(ExpansionList& list, std::string_view s) {
  if (list.entries.size() >= kMaxExpansionEntries) return false;
  list.entries.emplace_back(s);
  list.ExpansionUpper = static_cast<std::int16_t>(list.entries.size() - 1);
  return true;
}

// Resolves the groups of a phrase without optional parts, leftmost group
// first, trimming the phrase before each step and appending each final
// phrase untrimmed: the results of applying ExpandAlternatives over and over,
// in the same order. Instead of rebuilding the phrase at every step it keeps
// the text already final (head_) and a stack of spans of the phrase still to
// read, so a phrase costs its length per result rather than length times the
// number of groups.
class GroupWalk {
 public:
  GroupWalk(std::string_view t, ExpansionList& list) : src_(t), list_(list), match_(t.size(), kNone) {
    std::vector<std::size_t> stack;
    for (std::size_t i = 0; i < t.size(); ++i) {
      if (t[i] == '[') {
        stack.push_back(i);
      } else if (t[i] == ']' && !stack.empty()) {
        match_[stack.back()] = i;
        stack.pop_back();
      }
    }
  }

  bool Run() {
    head_.clear();
    pending_.assign(1, Span{0, src_.size()});
    return Step();
  }

 private:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  struct Span {
    std::size_t a, b;  // [a, b) of the phrase
  };

  bool Step() {
    for (;;) {
      // Move plain text into head_ up to the next group. A span never ends
      // inside a group: alternatives and what follows a group are balanced.
      std::size_t open = kNone;
      while (!pending_.empty()) {
        Span& top = pending_.back();
        std::size_t p = top.a;
        while (p < top.b && !(src_[p] == '[' && match_[p] != kNone)) ++p;
        head_.append(src_.substr(top.a, p - top.a));
        if (p < top.b) {
          open = p;
          top.a = match_[p] + 1;
          break;
        }
        pending_.pop_back();
      }
      if (open == kNone) return Append(list_, head_);

      // The phrase is trimmed before the group is resolved: its leading
      // spaces are all in head_, its trailing ones at the bottom of the stack.
      head_.erase(0, std::min(head_.find_first_not_of(' '), head_.size()));
      while (!pending_.empty()) {
        Span& last = pending_.front();
        while (last.b > last.a && src_[last.b - 1] == ' ') --last.b;
        if (last.b > last.a) break;
        pending_.erase(pending_.begin());
      }

      const std::size_t close = match_[open];
      const std::size_t bar = NextBar(open + 1, close);
      if (bar == close) {  // one alternative: nothing to branch on
        pending_.push_back({open + 1, close});
        continue;
      }
      std::vector<Span> alternatives;
      for (std::size_t start = open + 1, end = bar;; start = end + 1, end = NextBar(start, close)) {
        alternatives.push_back({start, end});
        if (end == close) break;
      }
      if (list_.entries.size() + alternatives.size() > kMaxExpansionEntries) return false;
      const std::string head = head_;
      const std::vector<Span> pending = pending_;
      for (const Span& alt : alternatives) {
        head_ = head;
        pending_ = pending;
        pending_.push_back(alt);
        if (!Step()) return false;
      }
      return true;
    }
  }

  // The next bar of the group from `from` on, skipping inner groups; `close` if none.
  std::size_t NextBar(std::size_t from, std::size_t close) const {
    for (std::size_t i = from; i < close; ++i) {
      if (src_[i] == '[' && match_[i] != kNone)
        i = match_[i];
      else if (src_[i] == '|')
        return i;
    }
    return close;
  }

  std::string_view src_;
  ExpansionList& list_;
  std::vector<std::size_t> match_;  // the closing bracket of each matched '['
  std::string head_;
  std::vector<Span> pending_;  // back() is read next
};

}  // namespace

bool ExpandPhrase(std::string_view s, ExpansionList& list) {
  const std::string t = Trim(s);
  if (HasPair(t, '(', ')')) {
    const std::vector<std::string> next = ExpandOptionalParts(t);
    if (next.empty()) return false;  // too many optional parts at one level
    // Each phrase yields at least one entry: refuse before the work is done.
    if (list.entries.size() + next.size() > kMaxExpansionEntries) return false;
    for (const auto& p : next)
      if (!ExpandPhrase(p, list)) return false;
    return true;
  }
  if (HasPair(t, '[', ']')) return GroupWalk(t, list).Run();
  return Append(list, s);
}

bool ExpansionLess(std::string_view a, std::string_view b) {
  const auto& units = CodeUnits();
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = units[static_cast<unsigned char>(a[i])], y = units[static_cast<unsigned char>(b[i])];
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

// The walk compares each entry with its predecessor and restarts after a
// removal; everything before the removed entry was already free of matches,
// so the walk amounts to comparing each entry with the last one kept.
void RemoveDuplicateExpansions(std::vector<std::string>& entries) {
  std::vector<std::string> kept;
  kept.reserve(entries.size());
  std::string last;  // key of the entry before: the empty text at the start
  for (auto& e : entries) {
    std::string key = Key(e);
    if (key == last) continue;
    last = std::move(key);
    kept.push_back(std::move(e));
  }
  entries = std::move(kept);
}

void ExpandCommandPhrase(Context& ctx, const CommandCatalogue& catalogue, int command, int phrase,
                         ExpansionList& list) {
  if (command < 0 || static_cast<std::size_t>(command) >= catalogue.CommandList.size())
    throw std::out_of_range("no command " + std::to_string(command));
  const CommandRecord& cmd = catalogue.CommandList[static_cast<std::size_t>(command)];
  if (phrase < 0 || static_cast<std::size_t>(phrase) >= cmd.grammars.size())
    throw std::out_of_range("no phrase " + std::to_string(phrase));
  const std::string& stored = cmd.grammars[static_cast<std::size_t>(phrase)].str();

  list.entries.clear();
  if (!CheckPhraseSyntax(stored)) {
    list.ExpansionUpper = kExpansionInvalid;
    ReportPhrase(ctx, cmd, stored, {});
    return;
  }
  list.ExpansionUpper = -1;
  if (!ExpandPhrase(stored, list)) {
    list.entries.clear();
    list.ExpansionUpper = kExpansionInvalid;
    ReportPhrase(ctx, cmd, stored,
                 "This phrase stands for more than 32,768 spoken phrases, too many to list. "
                 "Please split it into several phrases.");
    return;
  }
  // Equal keys are identical texts, so any correct sort gives the same list.
  std::sort(list.entries.begin(), list.entries.end(),
            [](const std::string& a, const std::string& b) { return ExpansionLess(a, b); });
  RemoveDuplicateExpansions(list.entries);
  list.ExpansionUpper = static_cast<std::int16_t>(static_cast<int>(list.entries.size()) - 1);
}

std::string ToRoman(std::string_view digits) {
  static constexpr char kSymbols[] = {'I', 'V', 'X', 'L', 'C', 'D', 'M'};
  for (char c : digits)
    if (c < '0' || c > '9') return {};
  // Leading zeros add nothing; a number of zeros is zero.
  const std::size_t first = digits.find_first_not_of('0');
  if (first == std::string_view::npos) return "No Roman value For 0";
  const std::string_view s = digits.substr(first);
  if (s.size() > 6) return {};  // a million or more: thousands of M's help nobody

  std::string out;
  const std::size_t n = s.size();
  if (n > 3) {
    int thousands = 0;
    for (char c : s.substr(0, n - 3)) thousands = thousands * 10 + (c - '0');
    out.append(static_cast<std::size_t>(thousands), 'M');
  }
  const int offsets[] = {4, 2, 0};
  for (int place = 0; place < 3; ++place) {
    const std::size_t back = static_cast<std::size_t>(3 - place);  // third-last, second-last, last
    if (n < back) continue;
    const int d = s[n - back] - '0';
    const int k = offsets[place];
    if (d >= 1 && d <= 3) {
      out.append(static_cast<std::size_t>(d), kSymbols[k]);
    } else if (d == 4) {
      out += kSymbols[k];
      out += kSymbols[k + 1];
    } else if (d == 5) {
      out += kSymbols[k + 1];
    } else if (d >= 6 && d <= 8) {
      out += kSymbols[k + 1];
      out.append(static_cast<std::size_t>(d - 5), kSymbols[k]);
    } else if (d == 9) {
      out += kSymbols[k];
      out += kSymbols[k + 2];
    }
  }
  return out;
}

}  // namespace talvane
