#include "grisk/bgm_format.h"

#include <array>
#include <unordered_map>

#include "common/binary.h"
#include "common/text.h"
#include "grisk/automaton.h"

namespace talvane::bgm {

namespace {

constexpr std::uint8_t kFlagIgnore = 1;

// ---- writing ----

class StringTable {
 public:
  std::uint32_t Id(const std::string& s) {
    auto [it, added] = ids_.try_emplace(s, static_cast<std::uint32_t>(list_.size()));
    if (added) list_.push_back(&it->first);
    return it->second;
  }
  void WriteTo(ByteWriter& o) const {
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

void Chunk(ByteWriter& body, const char (&id)[5], const ByteWriter& payload) {
  body.Bytes(std::string_view(id, 4));
  body.U32(static_cast<std::uint32_t>(payload.bytes().size()));
  body.Bytes(payload.bytes());
}

void IndexList(ByteWriter& o, const std::vector<std::uint32_t>& v) {
  o.U32(static_cast<std::uint32_t>(v.size()));
  for (auto i : v) o.U32(i);
}

// ---- reading ----

// A count of items each at least `min_size` bytes long: refused when the
// rest of the input cannot hold that many, before anything is allocated.
bool Count(ByteReader& in, std::uint32_t& n, std::size_t min_size) {
  return in.ReadU32(n) && static_cast<std::uint64_t>(n) * min_size <= in.remaining();
}

struct Reader {
  std::vector<std::string> strings;
  std::string error;

  bool Fail(std::string e) {
    if (error.empty()) error = std::move(e);
    return false;
  }
  bool String(ByteReader& in, std::string& out, const char* what) {
    std::uint32_t id;
    if (!in.ReadU32(id)) return Fail(std::string("truncated ") + what);
    if (id >= strings.size()) return Fail(std::string("string index out of range in ") + what);
    out = strings[id];
    return true;
  }
  bool Strings(ByteReader& in) {
    std::uint32_t n;
    if (!Count(in, n, 4)) return Fail("bad string count");
    strings.reserve(n);
    for (std::uint32_t i = 0; i < n; ++i) {
      std::uint32_t len;
      std::string_view s;
      if (!in.ReadU32(len) || !in.ReadBytes(len, s)) return Fail("truncated string table");
      if (!IsValidUtf8(s)) return Fail("a string is not UTF-8");
      strings.emplace_back(s);
    }
    return true;
  }
  bool Indices(ByteReader& in, std::vector<std::uint32_t>& out, std::size_t limit, const char* what) {
    std::uint32_t n;
    if (!Count(in, n, 4)) return Fail(std::string("bad count in ") + what);
    out.resize(n);
    for (auto& i : out)
      if (!in.ReadU32(i) || i >= limit) return Fail(std::string("index out of range in ") + what);
    return true;
  }
};

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

std::optional<Header> ReadHeader(std::string_view image) {
  if (image.size() < kHeaderSize || image.substr(0, kMagic.size()) != kMagic) return std::nullopt;
  ByteReader in(image.substr(kMagic.size(), kHeaderSize - kMagic.size()));
  Header h;
  in.ReadU16(h.major);
  in.ReadU16(h.minor);
  in.ReadU32(h.body_size);
  in.ReadU32(h.crc);
  return h;
}

std::string Write(const Grammar& g) {
  StringTable strings;
  ByteWriter gram, words, tags, rules, imports, exports, starts, activatable;

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

  ByteWriter strs;
  strings.WriteTo(strs);
  ByteWriter body;
  Chunk(body, "STRS", strs);
  Chunk(body, "GRAM", gram);
  Chunk(body, "WORD", words);
  Chunk(body, "TAGS", tags);
  Chunk(body, "RULE", rules);
  Chunk(body, "IMPT", imports);
  Chunk(body, "EXPT", exports);
  Chunk(body, "STRT", starts);
  Chunk(body, "ACTV", activatable);

  const Header header{kVersionMajor, kVersionMinor, static_cast<std::uint32_t>(body.bytes().size()),
                      Crc32(body.bytes())};
  ByteWriter file;
  file.Reserve(kHeaderSize + body.bytes().size());
  file.Bytes(kMagic);
  file.U16(header.major);
  file.U16(header.minor);
  file.U32(header.body_size);
  file.U32(header.crc);
  file.Bytes(body.bytes());
  return file.take();
}

ReadResult Read(std::string_view image) {
  ReadResult result;
  Reader r;
  auto fail = [&](std::string e) {
    result.error = std::move(e);
    return result;
  };
  const std::optional<Header> header = ReadHeader(image);
  if (!header) return fail("not a compiled grammar (bad magic)");
  if (header->major != kVersionMajor)
    return fail("compiled grammar version " + std::to_string(header->major) + " is not supported");
  const std::string_view body = image.substr(kHeaderSize);
  if (header->body_size != body.size()) return fail("the file is truncated or has bytes after its end");
  if (Crc32(body) != header->crc) return fail("checksum mismatch: the file is damaged");

  // Chunks by id; each known one exactly once, unknown ones skipped.
  constexpr std::array<std::string_view, 9> kIds = {"STRS", "GRAM", "WORD", "TAGS", "RULE",
                                                     "IMPT", "EXPT", "STRT", "ACTV"};
  std::array<std::optional<std::string_view>, 9> chunks;
  ByteReader in(body);
  while (!in.AtEnd()) {
    std::string_view id, payload;
    std::uint32_t len;
    if (!in.ReadBytes(4, id) || !in.ReadU32(len) || !in.ReadBytes(len, payload)) return fail("truncated chunk");
    for (std::size_t i = 0; i < kIds.size(); ++i) {
      if (id != kIds[i]) continue;
      if (chunks[i]) return fail("chunk " + std::string(id) + " appears twice");
      chunks[i] = payload;
    }
  }
  for (std::size_t i = 0; i < kIds.size(); ++i)
    if (!chunks[i]) return fail("chunk " + std::string(kIds[i]) + " is missing");

  Grammar g;
  auto done = [&](ByteReader& c, const char* what) {
    if (!r.error.empty()) return false;
    if (!c.AtEnd()) return r.Fail(std::string("extra bytes in ") + what);
    return true;
  };
  {
    ByteReader c(*chunks[0]);
    if (!r.Strings(c) || !done(c, "STRS")) return fail(r.error);
  }
  {
    ByteReader c(*chunks[1]);
    if (!r.String(c, g.name, "GRAM") || !r.String(c, g.source_file, "GRAM") || !r.String(c, g.phone_set, "GRAM") ||
        !done(c, "GRAM"))
      return fail(r.error);
  }
  {
    ByteReader c(*chunks[2]);
    std::uint32_t n;
    if (!Count(c, n, 8)) return fail("bad word count");
    g.words.resize(n);
    for (auto& w : g.words) {
      std::uint8_t source, reserved;
      std::uint16_t prons;
      if (!r.String(c, w.text, "WORD")) return fail(r.error);
      if (!c.ReadU8(source) || !c.ReadU8(reserved) || !c.ReadU16(prons)) return fail("truncated word");
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
    ByteReader c(*chunks[3]);
    std::uint32_t n;
    if (!Count(c, n, 4)) return fail("bad tag count");
    g.tags.resize(n);
    for (auto& t : g.tags) {
      if (!r.String(c, t, "TAGS")) return fail(r.error);
      if (t.empty()) return fail("an empty tag");
    }
    if (!done(c, "TAGS")) return fail(r.error);
  }
  {
    ByteReader c(*chunks[5]);  // imports first: arc labels are checked against them
    std::uint32_t n;
    if (!Count(c, n, 4)) return fail("bad import count");
    g.imports.resize(n);
    for (auto& i : g.imports)
      if (!r.String(c, i, "IMPT")) return fail(r.error);
    if (!done(c, "IMPT")) return fail(r.error);
  }
  {
    ByteReader c(*chunks[4]);
    std::uint32_t n;
    if (!Count(c, n, 12)) return fail("bad rule count");
    g.rules.resize(n);
    const std::uint64_t references = static_cast<std::uint64_t>(n) + g.imports.size();
    for (auto& rule : g.rules) {
      std::uint32_t arcs;
      if (!r.String(c, rule.name, "RULE")) return fail(r.error);
      if (rule.name.empty()) return fail("a rule without a name");
      if (!c.ReadU32(rule.node_count) || !Count(c, arcs, 16)) return fail("truncated rule");
      if (rule.node_count < 2) return fail("rule " + rule.name + " has fewer than two nodes");
      rule.arcs.resize(arcs);
      for (auto& a : rule.arcs) {
        std::uint8_t kind = 0, flags = 0;
        std::uint16_t reserved = 0;
        c.ReadU32(a.from);
        c.ReadU32(a.to);
        c.ReadU8(kind);
        c.ReadU8(flags);
        c.ReadU16(reserved);
        c.ReadU32(a.label);
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
      if (!grisk::IsAcyclic(rule.node_count, rule.arcs)) return fail("rule " + rule.name + " has a cycle");
    }
    if (!done(c, "RULE")) return fail(r.error);
  }
  const struct {
    int chunk;
    std::vector<std::uint32_t>* list;
    const char* what;
  } lists[] = {{6, &g.exports, "EXPT"}, {7, &g.starts, "STRT"}, {8, &g.activatable, "ACTV"}};
  for (const auto& l : lists) {
    ByteReader c(*chunks[static_cast<std::size_t>(l.chunk)]);
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
