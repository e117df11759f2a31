#include "grisk/rule_graph.h"

#include <unordered_map>

namespace talvane::grisk {

namespace {

class Builder {
 public:
  Builder(const SourceGrammar& src, bgm::Grammar& out) : src_(src), out_(out) {}

  void Run() {
    out_.name = src_.name;
    out_.source_file = src_.file;
    // Rules in source order (the first of a duplicate; there are none once checked).
    std::unordered_map<std::string, std::uint32_t> local;
    for (const auto& r : src_.rules)
      if (local.try_emplace(r.name, static_cast<std::uint32_t>(out_.rules.size())).second)
        out_.rules.push_back({r.name, 2, {}});
    for (const auto& i : src_.imports)
      if (import_index_.try_emplace(i.name, static_cast<std::uint32_t>(out_.imports.size())).second)
        out_.imports.push_back(i.name);
    local_ = std::move(local);

    for (const auto& r : src_.rules) {
      bgm::Rule& rule = out_.rules[local_.at(r.name)];
      if (!rule.arcs.empty() || rule.node_count != 2) continue;
      rule_ = &rule;
      Expr(r.body, 0, 1, false);
    }
    auto indices = [&](const std::vector<NameUse>& list, std::vector<std::uint32_t>& into) {
      for (const auto& u : list) {
        const std::uint32_t i = local_.at(u.name);
        bool dup = false;
        for (auto j : into) dup = dup || j == i;
        if (!dup) into.push_back(i);
      }
    };
    indices(src_.exports, out_.exports);
    indices(src_.starts, out_.starts);
    indices(src_.activatable, out_.activatable);
  }

 private:
  std::uint32_t NewNode() { return rule_->node_count++; }
  void Arc(std::uint32_t from, std::uint32_t to, bgm::ArcKind kind, bool ignore, std::uint32_t label) {
    rule_->arcs.push_back({from, to, kind, ignore, label});
  }

  // Alternatives all run from `from` to `to`; the graph is series-parallel,
  // so no cycle can arise.
  void Expr(const Expression& e, std::uint32_t from, std::uint32_t to, bool ignore) {
    for (const auto& seq : e) Seq(seq, from, to, ignore);
  }

  void Seq(const Sequence& seq, std::uint32_t from, std::uint32_t to, bool ignore) {
    if (seq.empty()) {
      Arc(from, to, bgm::ArcKind::kEpsilon, false, 0);
      return;
    }
    std::uint32_t at = from;
    for (std::size_t i = 0; i < seq.size(); ++i) {
      const std::uint32_t next = i + 1 == seq.size() ? to : NewNode();
      Item(seq[i], at, next, ignore);
      at = next;
    }
  }

  void Item(const grisk::Item& item, std::uint32_t from, std::uint32_t to, bool ignore) {
    switch (item.kind) {
      case ItemKind::kWord:
        Arc(from, to, bgm::ArcKind::kWord, ignore, Word(item.text));
        return;
      case ItemKind::kAction:
        Arc(from, to, bgm::ArcKind::kTag, false, Tag(item.text));
        return;
      case ItemKind::kReference: {
        auto it = local_.find(item.text);
        const std::uint32_t label = it != local_.end()
                                        ? it->second
                                        : static_cast<std::uint32_t>(out_.rules.size()) + import_index_.at(item.text);
        Arc(from, to, bgm::ArcKind::kRule, ignore, label);
        return;
      }
      case ItemKind::kGroup:
        Expr(item.body, from, to, ignore);
        return;
      case ItemKind::kOptional:
        Expr(item.body, from, to, ignore);
        Arc(from, to, bgm::ArcKind::kEpsilon, false, 0);
        return;
      case ItemKind::kIgnore:
        Expr(item.body, from, to, true);
        return;
    }
  }

  std::uint32_t Word(const std::string& text) {
    auto [it, added] = words_.try_emplace(LowerWord(text), static_cast<std::uint32_t>(out_.words.size()));
    if (added) out_.words.push_back({it->first, bgm::PronunciationSource::kDictionary, {}});
    return it->second;
  }
  std::uint32_t Tag(const std::string& text) {
    auto [it, added] = tags_.try_emplace(text, static_cast<std::uint32_t>(out_.tags.size()));
    if (added) out_.tags.push_back(text);
    return it->second;
  }

  const SourceGrammar& src_;
  bgm::Grammar& out_;
  bgm::Rule* rule_ = nullptr;
  std::unordered_map<std::string, std::uint32_t> local_, import_index_, words_, tags_;
};

}  // namespace

std::vector<bgm::Grammar> BuildGraphs(const GrammarSet& set) {
  std::vector<bgm::Grammar> out(set.grammars.size());
  for (std::size_t g = 0; g < set.grammars.size(); ++g) Builder(set.grammars[g], out[g]).Run();
  return out;
}

}  // namespace talvane::grisk
