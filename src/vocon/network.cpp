#include "vocon/network.h"

#include <algorithm>
#include <functional>

namespace talvane::vocon {

namespace {


}  // namespace

std::string NameKey(std::string_view name) {
  std::string out;
  bool space = false;
  for (unsigned char c : name) {
    if (c == ' ' || c == '\t') {
      space = !out.empty();
      continue;
    }
    if (space) out += ' ';
    space = false;
    out += static_cast<char>((c >= 'a' && c <= 'z') ? c - 32 : c);
  }
  return out;
}

// ---- linking ----

std::unique_ptr<Network> Network::Link(std::vector<std::shared_ptr<const bgm::Grammar>> grammars,
                                       std::string* error) {
  auto fail = [&](std::string e) -> std::unique_ptr<Network> {
    if (error) *error = std::move(e);
    return nullptr;
  };
  std::unique_ptr<Network> net(new Network());
  net->grammars_ = std::move(grammars);
  const auto& gs = net->grammars_;
  std::unordered_map<std::string, Target> exports;
  for (std::uint32_t g = 0; g < gs.size(); ++g) {
    if (!gs[g]) return fail("a grammar is missing");
    for (auto r : gs[g]->exports) {
      auto [it, added] = exports.try_emplace(NameKey(gs[g]->rules[r].name), Target{g, r});
      if (!added)
        return fail("the rule <" + gs[g]->rules[r].name + "> is exported by both \"" + gs[it->second.grammar]->name +
                    "\" and \"" + gs[g]->name + "\"");
    }
  }
  net->imports_.resize(gs.size());
  net->word_ids_.resize(gs.size());
  for (std::uint32_t g = 0; g < gs.size(); ++g) {
    for (const auto& name : gs[g]->imports) {
      auto it = exports.find(NameKey(name));
      if (it == exports.end()) return fail("\"" + gs[g]->name + "\" imports <" + name + ">, which no grammar exports");
      net->imports_[g].push_back(it->second);
    }
    for (const auto& w : gs[g]->words) {
      auto [it, added] = net->word_index_.try_emplace(w.text, static_cast<std::uint32_t>(net->words_.size()));
      if (added) net->words_.push_back({w.text, {}});
      auto& prons = net->words_[it->second].pronunciations;
      for (const auto& p : w.pronunciations)
        if (std::find(prons.begin(), prons.end(), p) == prons.end()) prons.push_back(p);
      net->word_ids_[g].push_back(it->second);
    }
    for (auto r : gs[g]->starts) {
      const bool act = std::find(gs[g]->activatable.begin(), gs[g]->activatable.end(), r) != gs[g]->activatable.end();
      net->starts_.push_back({g, r, gs[g]->rules[r].name, act});
    }
  }
  if (!net->CheckAcyclic(error)) return nullptr;
  return net;
}

Network::Target Network::Resolve(std::uint32_t g, std::uint32_t label) const {
  const auto& gr = *grammars_[g];
  if (label < gr.rules.size()) return {g, label};
  return imports_[g][label - gr.rules.size()];
}

bool Network::CheckAcyclic(std::string* error) {
  // Colours per rule: 0 unseen, 1 on the path, 2 done.
  std::vector<std::vector<std::uint8_t>> colour(grammars_.size());
  for (std::size_t g = 0; g < grammars_.size(); ++g) colour[g].assign(grammars_[g]->rules.size(), 0);
  struct Frame {
    Target t;
    std::size_t arc;
  };
  for (std::uint32_t g = 0; g < grammars_.size(); ++g)
    for (std::uint32_t r = 0; r < grammars_[g]->rules.size(); ++r) {
      if (colour[g][r]) continue;
      std::vector<Frame> stack{{{g, r}, 0}};
      colour[g][r] = 1;
      while (!stack.empty()) {
        Frame& f = stack.back();
        const auto& arcs = grammars_[f.t.grammar]->rules[f.t.rule].arcs;
        if (f.arc == arcs.size()) {
          colour[f.t.grammar][f.t.rule] = 2;
          stack.pop_back();
          continue;
        }
        const auto& a = arcs[f.arc++];
        if (a.kind != bgm::ArcKind::kRule) continue;
        const Target t = Resolve(f.t.grammar, a.label);
        if (colour[t.grammar][t.rule] == 1) {
          if (error)
            *error = "the rule <" + grammars_[t.grammar]->rules[t.rule].name + "> of \"" + grammars_[t.grammar]->name +
                     "\" reaches itself";
          return false;
        }
        if (colour[t.grammar][t.rule] == 0) {
          colour[t.grammar][t.rule] = 1;
          stack.push_back({t, 0});
        }
      }
    }
  return true;
}

std::optional<std::uint32_t> Network::WordId(std::string_view text) const {
  auto it = word_index_.find(std::string(text));
  if (it == word_index_.end()) return std::nullopt;
  return it->second;
}

bool Network::AddPronunciation(std::uint32_t word, const std::string& phones) {
  if (word >= words_.size() || phones.empty()) return false;
  auto& prons = words_[word].pronunciations;
  if (std::find(prons.begin(), prons.end(), phones) != prons.end()) return false;
  prons.push_back(phones);
  return true;
}

const WordDfa& Network::RuleDfa(std::uint32_t grammar, std::uint32_t rule) {
  const auto key = std::make_pair(grammar, rule);
  if (auto it = dfa_.find(key); it != dfa_.end()) return *it->second;
  const auto& r = grammars_[grammar]->rules[rule];
  std::uint32_t states = r.node_count;
  std::vector<NfaArc> arcs;
  arcs.reserve(r.arcs.size());
  for (const auto& a : r.arcs) {
    switch (a.kind) {
      case bgm::ArcKind::kEpsilon:
      case bgm::ArcKind::kTag:
        arcs.push_back({a.from, a.to, kEpsilonWord});
        break;
      case bgm::ArcKind::kWord:
        arcs.push_back({a.from, a.to, word_ids_[grammar][a.label]});
        break;
      case bgm::ArcKind::kRule: {
        const Target t = Resolve(grammar, a.label);
        const WordDfa& child = RuleDfa(t.grammar, t.rule);  // acyclic: checked when linked
        grisk::Splice(child, states, a.from, a.to, arcs);
        states += static_cast<std::uint32_t>(child.StateCount());
        break;
      }
    }
  }
  std::vector<std::uint8_t> final(states, 0);
  if (states > 1) final[1] = 1;
  auto dfa = std::make_unique<WordDfa>(grisk::Minimise(grisk::Determinise(states, arcs, final)));
  return *dfa_.emplace(key, std::move(dfa)).first->second;
}

WordDfa Network::Build(const std::vector<bool>& active) {
  // State 0 enters every active start rule's automaton; one final state,
  // after them all, leaves them.
  std::vector<const WordDfa*> parts;
  std::uint32_t states = 1;
  for (std::size_t i = 0; i < starts_.size(); ++i) {
    if (i >= active.size() || !active[i]) continue;
    parts.push_back(&RuleDfa(starts_[i].grammar, starts_[i].rule));
    states += static_cast<std::uint32_t>(parts.back()->StateCount());
  }
  const std::uint32_t end = states++;
  std::vector<NfaArc> arcs;
  std::uint32_t base = 1;
  for (const WordDfa* d : parts) {
    grisk::Splice(*d, base, 0, end, arcs);
    base += static_cast<std::uint32_t>(d->StateCount());
  }
  std::vector<std::uint8_t> final(states, 0);
  final[end] = 1;
  return grisk::Minimise(grisk::Determinise(states, arcs, final));
}

// ---- sampling ----

bool Network::SampleRule(Target r, std::mt19937& rng, std::vector<std::uint32_t>& out, int depth) {
  if (depth > 64) return false;
  const auto& rule = grammars_[r.grammar]->rules[r.rule];
  // Only ways that lead out of the rule: nodes from which node 1 is reachable.
  std::vector<std::vector<std::uint32_t>> from(rule.node_count);
  for (std::uint32_t i = 0; i < rule.arcs.size(); ++i) from[rule.arcs[i].from].push_back(i);
  std::uint32_t node = 0;
  for (std::size_t steps = 0; node != 1; ++steps) {
    if (from[node].empty() || steps > rule.arcs.size()) return false;
    std::uniform_int_distribution<std::size_t> pick(0, from[node].size() - 1);
    const auto& a = rule.arcs[from[node][pick(rng)]];
    if (a.kind == bgm::ArcKind::kWord) out.push_back(word_ids_[r.grammar][a.label]);
    if (a.kind == bgm::ArcKind::kRule && !SampleRule(Resolve(r.grammar, a.label), rng, out, depth + 1)) return false;
    node = a.to;
  }
  return true;
}

std::vector<std::uint32_t> Network::Sample(std::uint32_t start, std::mt19937& rng) {
  std::vector<std::uint32_t> words;
  if (start >= starts_.size()) return words;
  for (int attempt = 0; attempt < 16; ++attempt) {
    words.clear();
    if (SampleRule({starts_[start].grammar, starts_[start].rule}, rng, words, 0)) return words;
  }
  words.clear();
  return words;
}

// ---- parsing ----

bool Network::Match(Target r, std::size_t from, std::size_t to, std::span<const std::uint32_t> words, bool ignored,
                    std::vector<ParsedEntry>& out, std::vector<std::vector<ParsedEntry>>* all, std::size_t limit) {
  const auto& g = *grammars_[r.grammar];
  const auto& rule = g.rules[r.rule];
  const grisk::ArcsBySource by(rule.node_count, rule.arcs);
  const auto& first = by.first;
  const auto& order = by.order;
  const std::size_t span_len = to - from + 1;
  // (node, position) pairs from which no completion exists.
  std::vector<std::uint8_t> dead(static_cast<std::size_t>(rule.node_count) * span_len, 0);
  std::size_t found = 0;

  std::function<bool(std::uint32_t, std::size_t)> walk = [&](std::uint32_t node, std::size_t pos) -> bool {
    bool any = false;
    if (node == 1 && pos == to) {
      ++found;
      if (all) all->push_back(out);
      if (!all || found >= limit) return true;
      any = true;
    }
    const std::size_t cell = node * span_len + (pos - from);
    if (dead[cell]) return false;
    for (auto k = first[node]; k < first[node + 1]; ++k) {
      const auto& a = rule.arcs[order[k]];
      bool ok = false;
      switch (a.kind) {
        case bgm::ArcKind::kEpsilon:
          ok = walk(a.to, pos);
          break;
        case bgm::ArcKind::kTag:
          out.push_back({g.tags[a.label], false, true});
          ok = walk(a.to, pos);
          out.pop_back();
          break;
        case bgm::ArcKind::kWord:
          if (pos < to && words[pos] == word_ids_[r.grammar][a.label]) {
            out.push_back({words_[words[pos]].text, ignored || a.ignore, false});
            ok = walk(a.to, pos + 1);
            out.pop_back();
          }
          break;
        case bgm::ArcKind::kRule: {
          const Target t = Resolve(r.grammar, a.label);
          const WordDfa& d = RuleDfa(t.grammar, t.rule);
          std::uint32_t s = 0;
          for (std::size_t q = pos;; ++q) {
            if (d.final[s]) {
              std::vector<std::vector<ParsedEntry>> subs;
              std::vector<ParsedEntry> scratch;
              Match(t, pos, q, words, ignored || a.ignore, scratch, &subs, all ? limit : 1);
              for (const auto& sub : subs) {
                const std::size_t keep = out.size();
                out.insert(out.end(), sub.begin(), sub.end());
                const bool done = walk(a.to, q);
                out.resize(keep);
                if (done && (!all || found >= limit)) return true;
                ok = ok || done || found > 0;
              }
            }
            if (q == to) break;
            auto n = d.Next(s, words[q]);
            if (!n) break;
            s = *n;
          }
          break;
        }
      }
      if (ok && (!all || found >= limit)) return true;
      any = any || ok;
    }
    if (!any) dead[cell] = 1;
    return any;
  };
  return walk(0, from);
}

std::vector<std::vector<ParsedEntry>> Network::Readings(std::uint32_t start, std::span<const std::uint32_t> words,
                                                        const std::vector<bool>& active, std::size_t limit) {
  std::vector<std::vector<ParsedEntry>> readings;
  if (start >= active.size() || !active[start]) return readings;
  const Target t{starts_[start].grammar, starts_[start].rule};
  if (!RuleDfa(t.grammar, t.rule).Accepts(words)) return readings;
  std::vector<ParsedEntry> scratch;
  Match(t, 0, words.size(), words, false, scratch, &readings, limit);
  return readings;
}

std::optional<ParseResult> Network::Parse(std::span<const std::uint32_t> words, const std::vector<bool>& active) {
  for (std::uint32_t i = 0; i < starts_.size(); ++i) {
    auto readings = Readings(i, words, active, 1);
    if (!readings.empty()) return ParseResult{i, std::move(readings.front())};
  }
  return std::nullopt;
}

std::vector<std::string> Network::AllTexts(std::span<const std::uint32_t> words, const std::vector<bool>& active,
                                           std::size_t limit) {
  std::vector<std::string> texts;
  for (std::uint32_t i = 0; i < starts_.size(); ++i) {
    const auto subs = Readings(i, words, active, limit);
    for (const auto& entries : subs) {
      std::string text;
      bool first = true;
      for (const auto& e : entries) {
        if (e.ignore) continue;
        if (!first) text += ' ';
        text += e.text;
        first = false;
      }
      if (std::find(texts.begin(), texts.end(), text) == texts.end()) texts.push_back(text);
    }
  }
  return texts;
}

}  // namespace talvane::vocon
