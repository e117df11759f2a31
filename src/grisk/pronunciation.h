// The pronunciation of every word: from the pronouncing dictionary, joined
// from the entries of its parts (x-ray, elle-ess), or from espeak-ng's
// phonemizer mapped onto the acoustic model's phone set.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "grisk/bgm_format.h"
#include "grisk/language_model.h"

namespace talvane::grisk {

struct Pronunciation {
  bgm::PronunciationSource source = bgm::PronunciationSource::kDictionary;
  std::vector<std::string> phones;  // each "P H O N E S"
};

// The dictionary entries of `wanted` words (lower case) and of their parts.
// Reads the whole file once; only the entries asked for are kept.
class Dictionary {
 public:
  bool Load(const std::filesystem::path& file, const std::unordered_set<std::string>& wanted,
            const std::vector<std::string>& phone_set, std::string* error);
  // Adds an entry (tests, and words the caller already knows).
  void Add(const std::string& word, const std::string& phones) { entries_[word].push_back(phones); }
  const std::vector<std::string>* Find(const std::string& word) const;
  static std::string LowerWordAscii(std::string_view s);

 private:
  std::unordered_map<std::string, std::vector<std::string>> entries_;
};

// What the dictionary alone can say: the word as written, the word without
// surrounding punctuation, or its parts (split at - _ . ,) joined.
std::optional<Pronunciation> FromDictionary(const Dictionary& dict, const std::string& word);

// The pieces FromDictionary looks up besides the word itself.
std::vector<std::string> LookupKeys(const std::string& word);

// espeak-ng's IPA phonemes (separated by spaces, with stress and length
// marks) as phones of `phone_set`, "" when nothing maps.
std::string IpaToPhones(std::string_view ipa, const std::vector<std::string>& phone_set);

// The file `name` in the folder of the shared library (or program) whose
// code `code` points into: where the libraries find the phonemizer helper.
// Empty when that folder cannot be told.
std::filesystem::path BesideLibrary(const void* code, const char* name);

// Runs the phonemizer helper (g2p_helper.cpp) once for all `words`; returns
// the line of each, in order: its IPA as each of `voices` says it (the
// helper's default, American English, when none are given), separated by
// TABs. nullopt with `error` when it cannot be run.
std::optional<std::vector<std::string>> RunPhonemizer(const std::filesystem::path& helper,
                                                      const std::vector<std::string>& words, std::string* error,
                                                      const std::vector<std::string>& voices = {});

}  // namespace talvane::grisk
