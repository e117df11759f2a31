// Compiled grammars that passed the reader, linked into one network: the
// automata, parsing and sampling must hold for any of them.
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>

#include "grisk/bgm_format.h"
#include "vocon/network.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Two images: the first byte says where the first ends.
  if (size < 1) return 0;
  const std::size_t cut = 1 + (size - 1) * data[0] / 256;
  const std::string_view all(reinterpret_cast<const char*>(data), size);
  std::vector<std::shared_ptr<const talvane::bgm::Grammar>> grammars;
  for (auto part : {all.substr(1, cut - 1), all.substr(cut)}) {
    auto r = talvane::bgm::Read(part);
    if (r.grammar) grammars.push_back(std::make_shared<talvane::bgm::Grammar>(std::move(*r.grammar)));
  }
  if (grammars.empty()) return 0;
  std::string error;
  auto net = talvane::vocon::Network::Link(grammars, &error);
  if (!net) return 0;
  std::vector<bool> active(net->Starts().size(), true);
  const auto dfa = net->Build(active);
  std::mt19937 rng(size);
  for (std::uint32_t s = 0; s < net->Starts().size() && s < 8; ++s) {
    const auto words = net->Sample(s, rng);
    if (words.empty()) continue;
    // Every sentence of a start rule is in the network and parses.
    if (!dfa.Accepts(words) || !net->Parse(words, active)) __builtin_trap();
  }
  return 0;
}
