#include "grisk/grammar_check.h"

#include <algorithm>
#include <functional>

namespace talvane::grisk {

namespace {

std::string At(Position p) { return "line " + std::to_string(p.line); }

// Every reference in an expression, in order (nesting is bounded by the parser).
void References(const Expression& e, std::vector<const Item*>& out) {
  for (const auto& seq : e)
    for (const auto& item : seq) {
      if (item.kind == ItemKind::kReference) out.push_back(&item);
      if (!item.body.empty()) References(item.body, out);
    }
}

void CheckOne(GrammarSet& set, std::size_t gi, Diagnostics& diag) {
  const SourceGrammar& g = set.grammars[gi];
  auto& index = set.rule_index[gi];
  auto& imported = set.imported[gi];

  std::unordered_map<std::string, Position> seen_import;
  for (const auto& i : g.imports) {
    if (auto [it, added] = seen_import.try_emplace(i.name, i.pos); !added)
      diag.Warning(g.file, i.pos, "<" + i.name + "> is imported twice (also on " + At(it->second) + ")");
    imported.insert(i.name);
  }
  for (std::size_t r = 0; r < g.rules.size(); ++r) {
    const auto& rule = g.rules[r];
    if (auto [it, added] = index.try_emplace(rule.name, r); !added)
      diag.Error(g.file, rule.pos,
                 "the rule <" + rule.name + "> is defined twice (first on " + At(g.rules[it->second].pos) + ")");
    if (imported.count(rule.name))
      diag.Error(g.file, rule.pos,
                 "the rule <" + rule.name + "> is imported, so this grammar may not define it as well");
  }
  if (g.has_header && g.rules.empty()) diag.Warning(g.file, g.name_pos, "the grammar defines no rules");

  auto declared = [&](const std::vector<NameUse>& list, const char* what) {
    std::unordered_map<std::string, Position> seen;
    for (const auto& u : list) {
      if (auto [it, added] = seen.try_emplace(u.name, u.pos); !added)
        diag.Warning(g.file, u.pos, "<" + u.name + "> is listed by !" + what + " twice (also on " + At(it->second) + ")");
      if (!index.count(u.name))
        diag.Error(g.file, u.pos, "!" + std::string(what) + " names <" + u.name + ">, which this grammar does not define");
    }
  };
  declared(g.exports, "export");
  declared(g.starts, "start");
  declared(g.activatable, "activatable");
  std::unordered_set<std::string> starts;
  for (const auto& s : g.starts) starts.insert(s.name);
  for (const auto& a : g.activatable)
    if (index.count(a.name) && !starts.count(a.name))
      diag.Error(g.file, a.pos, "<" + a.name + "> is activatable but not a start rule (!start<" + a.name + ">; is missing)");

  for (const auto& rule : g.rules) {
    std::vector<const Item*> refs;
    References(rule.body, refs);
    for (const Item* ref : refs)
      if (!index.count(ref->text) && !imported.count(ref->text))
        diag.Error(g.file, ref->pos, "the rule <" + ref->text + "> is used here but neither defined in this grammar nor imported");
  }
}

// Rules that reach themselves through references, each cycle reported once.
// Iterative, so a long chain of rules cannot exhaust the stack.
void CheckRecursion(const GrammarSet& set, Diagnostics& diag, std::vector<RuleId>& postorder, bool& cyclic) {
  std::vector<std::vector<int>> color(set.grammars.size());
  std::vector<std::vector<std::vector<RuleId>>> edges(set.grammars.size());
  for (std::size_t g = 0; g < set.grammars.size(); ++g) {
    const auto& rules = set.grammars[g].rules;
    color[g].assign(rules.size(), 0);
    edges[g].resize(rules.size());
    for (std::size_t r = 0; r < rules.size(); ++r) {
      std::vector<const Item*> refs;
      References(rules[r].body, refs);
      for (const Item* ref : refs) {
        RuleId to;
        if (set.Resolve(g, ref->text, to)) edges[g][r].push_back(to);
      }
    }
  }
  struct Frame {
    RuleId id;
    std::size_t next;
  };
  for (std::size_t g = 0; g < set.grammars.size(); ++g)
    for (std::size_t r = 0; r < set.grammars[g].rules.size(); ++r) {
      if (color[g][r] != 0) continue;
      std::vector<Frame> stack{{{g, r}, 0}};
      color[g][r] = 1;
      while (!stack.empty()) {
        Frame& f = stack.back();
        const auto& out = edges[f.id.grammar][f.id.rule];
        if (f.next == out.size()) {
          color[f.id.grammar][f.id.rule] = 2;
          postorder.push_back(f.id);
          stack.pop_back();
          continue;
        }
        const RuleId to = out[f.next++];
        int& c = color[to.grammar][to.rule];
        if (c == 0) {
          c = 1;
          stack.push_back({to, 0});
        } else if (c == 1) {
          cyclic = true;
          std::string path;
          std::size_t k = stack.size();
          while (k > 0 && !(stack[k - 1].id == to)) --k;
          for (std::size_t i = k - 1; i < stack.size(); ++i) {
            const auto& s = stack[i].id;
            path += "<" + set.grammars[s.grammar].rules[s.rule].name + "> -> ";
          }
          path += "<" + set.grammars[to.grammar].rules[to.rule].name + ">";
          const auto& head = set.grammars[to.grammar];
          diag.Error(head.file, head.rules[to.rule].pos,
                     "the rule <" + head.rules[to.rule].name + "> refers back to itself (" + path +
                         "); the recogniser needs a finite network, so rules may not be recursive");
        }
      }
    }
}

bool Nullable(const Expression& e, const GrammarSet& set, std::size_t g);

bool NullableItem(const Item& item, const GrammarSet& set, std::size_t g) {
  switch (item.kind) {
    case ItemKind::kWord:
      return false;
    case ItemKind::kAction:
    case ItemKind::kOptional:
      return true;
    case ItemKind::kReference: {
      RuleId to;
      return set.Resolve(g, item.text, to) && set.nullable[to.grammar][to.rule];
    }
    case ItemKind::kGroup:
    case ItemKind::kIgnore:
      return Nullable(item.body, set, g);
  }
  return false;
}

bool Nullable(const Expression& e, const GrammarSet& set, std::size_t g) {
  for (const auto& seq : e)
    if (std::all_of(seq.begin(), seq.end(), [&](const Item& i) { return NullableItem(i, set, g); })) return true;
  return false;
}

}  // namespace

bool GrammarSet::Resolve(std::size_t g, const std::string& name, RuleId& out) const {
  if (auto it = rule_index[g].find(name); it != rule_index[g].end()) {
    out = {g, it->second};
    return true;
  }
  if (!imported[g].count(name)) return false;
  auto it = exported.find(name);
  if (it == exported.end()) return false;
  out = it->second;
  return true;
}

void CheckGrammars(GrammarSet& set, Diagnostics& diag, bool all_sources) {
  const std::size_t n = set.grammars.size();
  set.rule_index.assign(n, {});
  set.imported.assign(n, {});
  set.exported.clear();
  for (std::size_t g = 0; g < n; ++g) CheckOne(set, g, diag);

  std::unordered_map<std::string, std::size_t> names;
  for (std::size_t g = 0; g < n; ++g) {
    const auto& src = set.grammars[g];
    if (!src.has_header) continue;
    if (auto [it, added] = names.try_emplace(src.name, g); !added)
      diag.Warning(src.file, src.name_pos,
                   "the grammar name \"" + src.name + "\" is also used by " + set.grammars[it->second].file);
  }
  for (std::size_t g = 0; g < n; ++g)
    for (const auto& e : set.grammars[g].exports) {
      auto r = set.rule_index[g].find(e.name);
      if (r == set.rule_index[g].end()) continue;
      if (auto [it, added] = set.exported.try_emplace(e.name, RuleId{g, r->second}); !added && it->second.grammar != g)
        diag.Error(set.grammars[g].file, e.pos,
                   "<" + e.name + "> is already exported by " + set.grammars[it->second.grammar].file +
                       "; an exported name must be unique among the grammars");
    }
  for (std::size_t g = 0; g < n; ++g)
    for (const auto& i : set.grammars[g].imports) {
      auto it = set.exported.find(i.name);
      if (it == set.exported.end() && all_sources)
        diag.Error(set.grammars[g].file, i.pos, "<" + i.name + "> is imported, but no grammar exports it");
    }

  std::vector<RuleId> postorder;
  bool cyclic = false;
  CheckRecursion(set, diag, postorder, cyclic);

  // Rules come after everything they refer to in the post-order, so one
  // pass settles which of them can match without a word.
  set.nullable.assign(n, {});
  for (std::size_t g = 0; g < n; ++g) set.nullable[g].assign(set.grammars[g].rules.size(), false);
  if (cyclic) return;
  for (const RuleId& id : postorder)
    set.nullable[id.grammar][id.rule] = Nullable(set.grammars[id.grammar].rules[id.rule].body, set, id.grammar);
  for (std::size_t g = 0; g < n; ++g) {
    const auto& src = set.grammars[g];
    for (const auto& s : src.starts) {
      auto r = set.rule_index[g].find(s.name);
      if (r != set.rule_index[g].end() && set.nullable[g][r->second])
        diag.Error(src.file, src.rules[r->second].pos,
                   "the start rule <" + s.name + "> can be recognised without a word being spoken "
                   "(all of it is optional, empty or a tag); it needs at least one word that must be said");
    }
  }
}

}  // namespace talvane::grisk
