#include "grisk_support.h"

#include <functional>
#include <stdexcept>

#include "common/text.h"
#include "common/unicode_file.h"

namespace talvane::grisk::test {

std::string Utf16File(std::string_view s) {
  std::string crlf;
  for (char c : s) {
    if (c == '\n' && (crlf.empty() || crlf.back() != '\r')) crlf += '\r';
    crlf += c;
  }
  return UnicodeFileBytes(Utf8ToUtf16(crlf));
}

std::string GenericListsSource() {
  return talvane::test::ReadFile(std::filesystem::path(TALVANE_SOURCE_DIR) / "data" / "Generic Lists.bnf");
}

SourceGrammar Parse(std::string_view utf8, Diagnostics& diag, const std::string& file) {
  auto text = DecodeSource(Utf16File(utf8), file, diag);
  if (!text) throw std::runtime_error("not decodable");
  return ParseSource(*text, file, diag);
}

namespace {

struct Entry {
  std::string text;
  bool ignore;
};

class Walker {
 public:
  Walker(const std::vector<bgm::Grammar>& g, std::vector<std::string> words) : g_(g), words_(std::move(words)) {}

  // Every way rule r of grammar gi can consume words from `at`; calls `done`
  // with the position after it and the entries it produced.
  void Rule(std::size_t gi, std::uint32_t r, std::size_t at, bool ignore, std::vector<Entry>& out,
            const std::function<void(std::size_t)>& done, int depth) {
    if (depth > 50) throw std::runtime_error("too deep");
    Node(gi, r, 0, at, ignore, out, done, depth);
  }

  void Node(std::size_t gi, std::uint32_t r, std::uint32_t n, std::size_t at, bool ignore, std::vector<Entry>& out,
            const std::function<void(std::size_t)>& done, int depth) {
    const bgm::Grammar& g = g_[gi];
    if (n == 1) done(at);
    for (const auto& a : g.rules[r].arcs) {
      if (a.from != n) continue;
      switch (a.kind) {
        case bgm::ArcKind::kEpsilon:
          Node(gi, r, a.to, at, ignore, out, done, depth);
          break;
        case bgm::ArcKind::kTag:
          out.push_back({g.tags[a.label], false});
          Node(gi, r, a.to, at, ignore, out, done, depth);
          out.pop_back();
          break;
        case bgm::ArcKind::kWord:
          if (at < words_.size() && words_[at] == g.words[a.label].text) {
            out.push_back({words_[at], ignore || a.ignore});
            Node(gi, r, a.to, at + 1, ignore, out, done, depth);
            out.pop_back();
          }
          break;
        case bgm::ArcKind::kRule: {
          std::size_t tg = gi;
          std::uint32_t tr = 0;
          if (!Find(gi, a.label, tg, tr)) throw std::runtime_error("unresolved reference");
          const std::uint32_t to = a.to;
          Rule(tg, tr, at, ignore || a.ignore, out,
               [&, to](std::size_t after) { Node(gi, r, to, after, ignore, out, done, depth); }, depth + 1);
          break;
        }
      }
    }
  }

  bool Find(std::size_t gi, std::uint32_t label, std::size_t& tg, std::uint32_t& tr) const {
    if (auto local = g_[gi].LocalRule(label)) {
      tg = gi, tr = *local;
      return true;
    }
    const std::string_view name = g_[gi].ReferenceName(label);
    for (std::size_t k = 0; k < g_.size(); ++k)
      for (auto e : g_[k].exports)
        if (g_[k].rules[e].name == name) {
          tg = k, tr = e;
          return true;
        }
    return false;
  }

  const std::vector<bgm::Grammar>& g_;
  std::vector<std::string> words_;
};

}  // namespace

std::set<std::string> Recognise(const std::vector<bgm::Grammar>& grammars, const std::string& start_rule,
                                const std::string& words) {
  std::vector<std::string> w;
  std::size_t at = 0;
  while (at < words.size()) {
    std::size_t end = words.find(' ', at);
    if (end == std::string::npos) end = words.size();
    if (end > at) w.push_back(LowerWord(words.substr(at, end - at)));
    at = end + 1;
  }
  std::set<std::string> texts;
  Walker walker(grammars, w);
  for (std::size_t gi = 0; gi < grammars.size(); ++gi)
    for (auto s : grammars[gi].starts) {
      if (grammars[gi].rules[s].name != start_rule) continue;
      std::vector<Entry> entries;
      walker.Rule(gi, s, 0, false, entries, [&](std::size_t after) {
        if (after != w.size()) return;
        std::string text;
        for (std::size_t i = 0; i < entries.size(); ++i) {
          if (entries[i].ignore) continue;
          text += entries[i].text;
          if (i + 1 < entries.size()) text += ' ';
        }
        texts.insert(text);
      }, 0);
    }
  return texts;
}

}  // namespace talvane::grisk::test
