#include "grisk/bgm_format.h"

#include <array>
#include <unordered_map>

#include "common/text.h"

namespace talvane::bgm {

namespace {

constexpr std::string_view kMagic("TVBGM\r\n\x1A", 8);
constexpr std::size_t kHeaderSize = 20;

constexpr std::uint8_t kFlagIgnore = 1;

// ---- writing ----

class Out {
 public:
  void U8(std::uint8_t v) { s_ += static_cast<char>(v); }
  void U16(std::uint16_t v) {
    U8(static_cast<std::uint8_t>(v));
    U8(static_cast<std::uint8_t>(v >> 8));
  }
  void U32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) U8(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  void Bytes(std::string_view b) { s_ += b; }
  std::string& str() { return s_; }

 private:
  std::string s_;
};

class StringTable {
 public:
  std::uint32_t Id(const std::string& s) {
    auto [it, added] = ids_.try_emplace(s, static_cast<std::uint32_t>(list_.size()));
    if (added) list_.push_back(&it->first);
    return it->second;
  }
  void WriteTo(Out& o) const {
    o.U32(static_cast<std::uint32_t>(list_.size()));
    for (const std::string* s : list_) {
      o.U32(static_cast<std::uint32_t>(s->size()));
      o.Bytes(*s);
    }
  }

 private:
  std::unordered_map<std::string, std::uint32_t> ids_;
  std::vector<const std::string*> list_;
};

void Chunk(Out& body, const char (&id)[5], Out& payload) {
  body.Bytes(std::string_view(id, 4));
  body.U32(static_cast<std::uint32_t>(payload.str().size()));
  body.Bytes(payload.str());
}

void IndexList(Out& o, const std::vector<std::uint32_t>& v) {
  o.U32(static_cast<std::uint32_t>(v.size()));
  for (auto i : v) o.U32(i);
}

// ---- reading ----

class In {
 public:
  explicit In(std::string_view b) : b_(b) {}
  bool U8(std::uint8_t& v) {
    if (b_.size() - at_ < 1) return false;
    v = static_cast<std::uint8_t>(b_[at_++]);
    return true;
  }
  bool U16(std::uint16_t& v) {
    std::uint8_t a, b;
    if (!U8(a) || !U8(b)) return false;
    v = static_cast<std::uint16_t>(a | (b << 8));
    return true;
  }
  bool U32(std::uint32_t& v) {
    if (b_.size() - at_ < 4) return false;
    v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b_[at_ + static_cast<std::size_t>(i)]);
    at_ += 4;
    return true;
  }
  bool Bytes(std::size_t n, std::string_view& out) {
    if (b_.size() - at_ < n) return false;
    out = b_.substr(at_, n);
    at_ += n;
    return true;
  }
  // A count of items each at least `min_size` bytes long: refused when the
  // rest of the input cannot hold that many, before anything is allocated.
  bool Count(std::uint32_t& n, std::size_t min_size) {
    return U32(n) && static_cast<std::uint64_t>(n) * min_size <= b_.size() - at_;
  }
  bool AtEnd() const { return at_ == b_.size(); }

 private:
  std::string_view b_;
  std::size_t at_ = 0;
};

struct Reader {
  std::vector<std::string> strings;
  std::string error;

  bool Fail(std::string e) {
    if (error.empty()) error = std::move(e);
    return false;
  }
  bool String(In& in, std::string& out, const char* what) {
    std::uint32_t id;
    if (!in.U32(id)) return Fail(std::string("truncated ") + what);
    if (id >= strings.size()) return Fail(std::string("string index out of range in ") + what);
    out = strings[id];
    return true;
  }
  bool Strings(In& in) {
    std::uint32_t n;
    if (!in.Count(n, 4)) return Fail("bad string count");
    strings.reserve(n);
    for (std::uint32_t i = 0; i < n; ++i) {
      std::uint32_t len;
      std::string_view s;
      if (!in.U32(len) || !in.Bytes(len, s)) return Fail("truncated string table");
      if (!IsValidUtf8(s)) return Fail("a string is not UTF-8");
      strings.emplace_back(s);
    }
    return true;
  }
  bool Indices(In& in, std::vector<std::uint32_t>& out, std::size_t limit, const char* what) {
    std::uint32_t n;
    if (!in.Count(n, 4)) return Fail(std::string("bad count in ") + what);
    out.resize(n);
    for (auto& i : out)
      if (!in.U32(i) || i >= limit) return Fail(std::string("index out of range in ") + what);
    return true;
  }
};

// Kahn's algorithm: true when the arcs form no cycle.
bool Acyclic(std::uint32_t nodes, const std::vector<Arc>& arcs) {
  std::vector<std::uint32_t> indegree(nodes, 0), first(nodes + 1, 0), order(arcs.size());
  for (const auto& a : arcs) ++indegree[a.to], ++first[a.from + 1];
  for (std::uint32_t i = 0; i < nodes; ++i) first[i + 1] += first[i];
  std::vector<std::uint32_t> fill(first.begin(), first.end() - 1);
  for (std::uint32_t i = 0; i < arcs.size(); ++i) order[fill[arcs[i].from]++] = i;
  std::vector<std::uint32_t> ready;
  for (std::uint32_t i = 0; i < nodes; ++i)
    if (indegree[i] == 0) ready.push_back(i);
  std::uint32_t seen = 0;
  while (!ready.empty()) {
    const std::uint32_t n = ready.back();
    ready.pop_back();
    ++seen;
    for (std::uint32_t k = first[n]; k < first[n + 1]; ++k)
      if (--indegree[arcs[order[k]].to] == 0) ready.push_back(arcs[order[k]].to);
  }
  return seen == nodes;
}

}  // namespace

std::uint32_t Crc32(std::string_view bytes) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char b : bytes) crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

std::string Write(const Grammar& g) {
  StringTable strings;
  Out gram, words, tags, rules, imports, exports, starts, activatable;

  gram.U32(strings.Id(g.name));
  gram.U32(strings.Id(g.source_file));
  gram.U32(strings.Id(g.phone_set));

  words.U32(static_cast<std::uint32_t>(g.words.size()));
  for (const auto& w : g.words) {
    words.U32(strings.Id(w.text));
    words.U8(static_cast<std::uint8_t>(w.source));
    words.U8(0);
    words.U16(static_cast<std::uint16_t>(w.pronunciations.size()));
    for (const auto& p : w.pronunciations) words.U32(strings.Id(p));
  }
  tags.U32(static_cast<std::uint32_t>(g.tags.size()));
  for (const auto& t : g.tags) tags.U32(strings.Id(t));

  rules.U32(static_cast<std::uint32_t>(g.rules.size()));
  for (const auto& r : g.rules) {
    rules.U32(strings.Id(r.name));
    rules.U32(r.node_count);
    rules.U32(static_cast<std::uint32_t>(r.arcs.size()));
    for (const auto& a : r.arcs) {
      rules.U32(a.from);
      rules.U32(a.to);
      rules.U8(static_cast<std::uint8_t>(a.kind));
      rules.U8(a.ignore ? kFlagIgnore : 0);
      rules.U16(0);
      rules.U32(a.label);
    }
  }
  imports.U32(static_cast<std::uint32_t>(g.imports.size()));
  for (const auto& i : g.imports) imports.U32(strings.Id(i));
  IndexList(exports, g.exports);
  IndexList(starts, g.starts);
  IndexList(activatable, g.activatable);

  Out strs;
  strings.WriteTo(strs);
  Out body;
  Chunk(body, "STRS", strs);
  Chunk(body, "GRAM", gram);
  Chunk(body, "WORD", words);
  Chunk(body, "TAGS", tags);
  Chunk(body, "RULE", rules);
  Chunk(body, "IMPT", imports);
  Chunk(body, "EXPT", exports);
  Chunk(body, "STRT", starts);
  Chunk(body, "ACTV", activatable);

  Out file;
  file.Bytes(kMagic);
  file.U16(kVersionMajor);
  file.U16(kVersionMinor);
  file.U32(static_cast<std::uint32_t>(body.str().size()));
  file.U32(Crc32(body.str()));
  file.Bytes(body.str());
  return std::move(file.str());
}

ReadResult Read(std::string_view image) {
  ReadResult result;
  Reader r;
  auto fail = [&](std::string e) {
    result.error = std::move(e);
    return result;
  };
  if (image.size() < kHeaderSize || image.substr(0, kMagic.size()) != kMagic)
    return fail("not a compiled grammar (bad magic)");
  In head(image.substr(kMagic.size(), kHeaderSize - kMagic.size()));
  std::uint16_t major = 0, minor = 0;
  std::uint32_t size = 0, crc = 0;
  head.U16(major);
  head.U16(minor);
  head.U32(size);
  head.U32(crc);
  if (major != kVersionMajor) return fail("compiled grammar version " + std::to_string(major) + " is not supported");
  const std::string_view body = image.substr(kHeaderSize);
  if (size != body.size()) return fail("the file is truncated or has bytes after its end");
  if (Crc32(body) != crc) return fail("checksum mismatch: the file is damaged");

  // Chunks by id; each known one exactly once, unknown ones skipped.
  constexpr std::array<std::string_view, 9> kIds = {"STRS", "GRAM", "WORD", "TAGS", "RULE",
                                                     "IMPT", "EXPT", "STRT", "ACTV"};
  std::array<std::optional<std::string_view>, 9> chunks;
  In in(body);
  while (!in.AtEnd()) {
    std::string_view id, payload;
    std::uint32_t len;
    if (!in.Bytes(4, id) || !in.U32(len) || !in.Bytes(len, payload)) return fail("truncated chunk");
    for (std::size_t i = 0; i < kIds.size(); ++i) {
      if (id != kIds[i]) continue;
      if (chunks[i]) return fail("chunk " + std::string(id) + " appears twice");
      chunks[i] = payload;
    }
  }
  for (std::size_t i = 0; i < kIds.size(); ++i)
    if (!chunks[i]) return fail("chunk " + std::string(kIds[i]) + " is missing");

  Grammar g;
  auto done = [&](In& c, const char* what) {
    if (!r.error.empty()) return false;
    if (!c.AtEnd()) return r.Fail(std::string("extra bytes in ") + what);
    return true;
  };
  {
    In c(*chunks[0]);
    if (!r.Strings(c) || !done(c, "STRS")) return fail(r.error);
  }
  {
    In c(*chunks[1]);
    if (!r.String(c, g.name, "GRAM") || !r.String(c, g.source_file, "GRAM") || !r.String(c, g.phone_set, "GRAM") ||
        !done(c, "GRAM"))
      return fail(r.error);
  }
  {
    In c(*chunks[2]);
    std::uint32_t n;
    if (!c.Count(n, 8)) return fail("bad word count");
    g.words.resize(n);
    for (auto& w : g.words) {
      std::uint8_t source, reserved;
      std::uint16_t prons;
      if (!r.String(c, w.text, "WORD")) return fail(r.error);
      if (!c.U8(source) || !c.U8(reserved) || !c.U16(prons)) return fail("truncated word");
      if (source > static_cast<std::uint8_t>(PronunciationSource::kPhonemizer) || reserved != 0)
        return fail("bad word source");
      if (w.text.empty() || prons == 0) return fail("a word without text or pronunciation");
      w.source = static_cast<PronunciationSource>(source);
      w.pronunciations.resize(prons);
      for (auto& p : w.pronunciations)
        if (!r.String(c, p, "WORD")) return fail(r.error);
    }
    if (!done(c, "WORD")) return fail(r.error);
  }
  {
    In c(*chunks[3]);
    std::uint32_t n;
    if (!c.Count(n, 4)) return fail("bad tag count");
    g.tags.resize(n);
    for (auto& t : g.tags) {
      if (!r.String(c, t, "TAGS")) return fail(r.error);
      if (t.empty()) return fail("an empty tag");
    }
    if (!done(c, "TAGS")) return fail(r.error);
  }
  {
    In c(*chunks[5]);  // imports first: arc labels are checked against them
    std::uint32_t n;
    if (!c.Count(n, 4)) return fail("bad import count");
    g.imports.resize(n);
    for (auto& i : g.imports)
      if (!r.String(c, i, "IMPT")) return fail(r.error);
    if (!done(c, "IMPT")) return fail(r.error);
  }
  {
    In c(*chunks[4]);
    std::uint32_t n;
    if (!c.Count(n, 12)) return fail("bad rule count");
    g.rules.resize(n);
    const std::uint64_t references = static_cast<std::uint64_t>(n) + g.imports.size();
    for (auto& rule : g.rules) {
      std::uint32_t arcs;
      if (!r.String(c, rule.name, "RULE")) return fail(r.error);
      if (rule.name.empty()) return fail("a rule without a name");
      if (!c.U32(rule.node_count) || !c.Count(arcs, 16)) return fail("truncated rule");
      if (rule.node_count < 2) return fail("rule " + rule.name + " has fewer than two nodes");
      rule.arcs.resize(arcs);
      for (auto& a : rule.arcs) {
        std::uint8_t kind = 0, flags = 0;
        std::uint16_t reserved = 0;
        c.U32(a.from);
        c.U32(a.to);
        c.U8(kind);
        c.U8(flags);
        c.U16(reserved);
        c.U32(a.label);
        if (a.from >= rule.node_count || a.to >= rule.node_count) return fail("arc node out of range in " + rule.name);
        if (kind > static_cast<std::uint8_t>(ArcKind::kRule) || (flags & ~kFlagIgnore) || reserved)
          return fail("bad arc in " + rule.name);
        a.kind = static_cast<ArcKind>(kind);
        a.ignore = flags & kFlagIgnore;
        const bool labelled = a.kind != ArcKind::kEpsilon;
        const std::uint64_t limit = a.kind == ArcKind::kWord  ? g.words.size()
                                    : a.kind == ArcKind::kTag ? g.tags.size()
                                    : a.kind == ArcKind::kRule ? references
                                                               : 1;
        if (a.label >= limit || (!labelled && a.label != 0)) return fail("arc label out of range in " + rule.name);
        if (a.ignore && a.kind != ArcKind::kWord && a.kind != ArcKind::kRule)
          return fail("ignore flag on a tag or empty arc in " + rule.name);
      }
      if (!Acyclic(rule.node_count, rule.arcs)) return fail("rule " + rule.name + " has a cycle");
    }
    if (!done(c, "RULE")) return fail(r.error);
  }
  const struct {
    int chunk;
    std::vector<std::uint32_t>* list;
    const char* what;
  } lists[] = {{6, &g.exports, "EXPT"}, {7, &g.starts, "STRT"}, {8, &g.activatable, "ACTV"}};
  for (const auto& l : lists) {
    In c(*chunks[static_cast<std::size_t>(l.chunk)]);
    if (!r.Indices(c, *l.list, g.rules.size(), l.what) || !done(c, l.what)) return fail(r.error);
  }
  for (auto a : g.activatable) {
    bool start = false;
    for (auto s : g.starts) start = start || s == a;
    if (!start) return fail("activatable rule " + g.rules[a].name + " is not a start rule");
  }
  result.grammar = std::move(g);
  return result;
}

}  // namespace talvane::bgm
