// The guard against inverted commands. Many commands come in pairs that
// differ in one word ("gear up" / "gear down", "... on" / "... off"); when
// the recogniser hears one and the other fits the speech almost as well,
// acting on the result risks doing the opposite of what the pilot said, and
// asking again is the better answer. The recogniser searches the result and
// the sentence with the word swapped for its opposite together over the same
// audio, the result handicapped by the margin, and rejects the result when
// the swap wins.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace talvane::vocon {

// Word pairs whose swap turns a command into its opposite. A word may be in
// several pairs ("increase decrease", "increase reduce").
class AntonymPairs {
 public:
  // One pair a line: two different words separated by blanks; '#' starts a
  // comment line; letters are compared in lower case. Other lines are
  // skipped, their numbers (from 1) listed in `skipped`.
  static AntonymPairs Parse(std::string_view text, std::vector<int>* skipped = nullptr);

  bool Empty() const { return of_.empty(); }
  // The words `word` pairs with; none when it is in no pair.
  const std::vector<std::string>& Of(std::string_view word) const;
  bool ArePair(std::string_view a, std::string_view b) const;

 private:
  void Add(const std::string& a, const std::string& b);
  std::unordered_map<std::string, std::vector<std::string>> of_;
};

// The sentences that differ from `words` in one word swapped for a word it
// pairs with (each occurrence and each partner on its own), as far as
// `allowed` accepts them (the grammar's sentences), in word order.
std::vector<std::vector<std::string>> AntonymSwaps(
    const AntonymPairs& pairs, const std::vector<std::string>& words,
    const std::function<bool(const std::vector<std::string>&)>& allowed);

}  // namespace talvane::vocon
