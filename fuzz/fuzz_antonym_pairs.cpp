// The guard's word pairs file, and the swaps it builds from them, on
// arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "vocon/antonym_guard.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<int> skipped;
  const auto pairs = talvane::vocon::AntonymPairs::Parse(text, &skipped);
  for (std::size_t i = 1; i < skipped.size(); ++i)
    if (skipped[i] <= skipped[i - 1]) __builtin_trap();  // line numbers in order
  // Every partner pairs back, and never with itself.
  const std::vector<std::string> words{"on", "off", "up", "down", "gear"};
  for (const auto& w : words)
    for (const auto& p : pairs.Of(w))
      if (p == w || !pairs.ArePair(p, w)) __builtin_trap();
  const auto swaps = talvane::vocon::AntonymSwaps(pairs, words, [](const std::vector<std::string>&) { return true; });
  for (const auto& s : swaps)
    if (s.size() != words.size()) __builtin_trap();
  return 0;
}
