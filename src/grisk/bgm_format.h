// The compiled grammar (.bgm): one grammar source after checking, as rule
// graphs over words, tags and rule references, with the pronunciation of
// every word. docs/bgm-format.md gives the file layout. The compiler writes
// it; the recognition engine reads it and links the grammars of a folder
// into one network.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talvane::bgm {

inline constexpr std::uint16_t kVersionMajor = 1;
inline constexpr std::uint16_t kVersionMinor = 0;

// Every image begins with this fixed header: the magic, then (little-endian)
// the version, the size of the body that follows and the body's CRC-32.
inline constexpr std::string_view kMagic{"TVBGM\r\n\x1A", 8};
inline constexpr std::size_t kHeaderSize = 20;
struct Header {
  std::uint16_t major = kVersionMajor;
  std::uint16_t minor = kVersionMinor;
  std::uint32_t body_size = 0;
  std::uint32_t crc = 0;
};
// The header at the start of `image`; nullopt when the image is shorter than
// a header or does not begin with the magic.
std::optional<Header> ReadHeader(std::string_view image);

enum class ArcKind : std::uint8_t {
  kEpsilon = 0,  // moves without speech
  kWord = 1,     // label: index into Grammar::words
  kTag = 2,      // label: index into Grammar::tags
  kRule = 3,     // label: index into Grammar::rules, then Grammar::imports
};

struct Arc {
  std::uint32_t from = 0;
  std::uint32_t to = 0;
  ArcKind kind = ArcKind::kEpsilon;
  // Words of this arc (a word arc, or every word of the referenced rule, at
  // any depth) are reported ignored. Never set on tag or epsilon arcs.
  bool ignore = false;
  std::uint32_t label = 0;
  bool operator==(const Arc&) const = default;
};

// A rule's graph: node 0 is where it is entered, node 1 where it is left.
// The graph has no cycle.
struct Rule {
  std::string name;  // upper case, without brackets
  std::uint32_t node_count = 2;
  std::vector<Arc> arcs;
  bool operator==(const Rule&) const = default;
};

enum class PronunciationSource : std::uint8_t {
  kDictionary = 0,  // the pronouncing dictionary, as written
  kComposed = 1,    // joined from the dictionary entries of its parts (x-ray)
  kPhonemizer = 2,  // espeak-ng's phonemizer, mapped to the phone set
};

struct Word {
  std::string text;  // lower case, UTF-8
  PronunciationSource source = PronunciationSource::kDictionary;
  std::vector<std::string> pronunciations;  // phones separated by one space; at least one
  bool operator==(const Word&) const = default;
};

struct Grammar {
  std::string name;         // from !grammar
  std::string source_file;  // the .bnf it came from (file name only)
  std::string phone_set;    // the phones pronunciations use, space-separated
  std::vector<Rule> rules;  // defined here, in source order
  std::vector<std::string> imports;            // upper case
  std::vector<std::uint32_t> exports;          // indices into rules
  std::vector<std::uint32_t> starts;           // indices into rules
  std::vector<std::uint32_t> activatable;      // indices into rules; each also a start rule
  std::vector<Word> words;
  std::vector<std::string> tags;  // UTF-8, never empty
  bool operator==(const Grammar&) const = default;

  // The rule index a kRule arc names, or nullopt for an import.
  std::optional<std::uint32_t> LocalRule(std::uint32_t label) const {
    if (label < rules.size()) return label;
    return std::nullopt;
  }
  std::string_view ReferenceName(std::uint32_t label) const {
    return label < rules.size() ? std::string_view(rules[label].name)
                                : std::string_view(imports[label - rules.size()]);
  }
};

std::string Write(const Grammar& g);

struct ReadResult {
  std::optional<Grammar> grammar;
  std::string error;  // why the image was refused
};
// Checks the image whole (magic, version, size, checksum, every index and
// count) before anything of it is used; refuses rather than guesses.
ReadResult Read(std::string_view image);

std::uint32_t Crc32(std::string_view bytes);

}  // namespace talvane::bgm
