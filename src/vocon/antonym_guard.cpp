#include "vocon/antonym_guard.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "common/split.h"
#include "common/text.h"
#include "vocon/objects.h"

namespace talvane::vocon {

AntonymPairs AntonymPairs::Parse(std::string_view text, std::vector<int>* skipped) {
  AntonymPairs pairs;
  int line_no = 0;
  for (const std::string_view line : SplitLines(text)) {
    ++line_no;
    const auto first = line.find_first_not_of(" \t\r");
    if (first == std::string_view::npos || line[first] == '#') continue;
    const std::vector<std::string> words = SplitAt(Lower(line), " \t\r");
    if (words.size() != 2 || words[0] == words[1]) {
      if (skipped) skipped->push_back(line_no);
      continue;
    }
    pairs.Add(words[0], words[1]);
    pairs.Add(words[1], words[0]);
  }
  return pairs;
}

void AntonymPairs::Add(const std::string& a, const std::string& b) {
  auto& partners = of_[a];
  for (const auto& p : partners)
    if (p == b) return;  // listed twice
  partners.push_back(b);
}

const std::vector<std::string>& AntonymPairs::Of(std::string_view word) const {
  static const std::vector<std::string> kNone;
  const auto it = of_.find(Lower(word));
  return it == of_.end() ? kNone : it->second;
}

bool AntonymPairs::ArePair(std::string_view a, std::string_view b) const {
  const std::string lb = Lower(b);
  for (const auto& p : Of(a))
    if (p == lb) return true;
  return false;
}

std::vector<std::vector<std::string>> AntonymSwaps(
    const AntonymPairs& pairs, const std::vector<std::string>& words,
    const std::function<bool(const std::vector<std::string>&)>& allowed) {
  std::vector<std::vector<std::string>> out;
  for (std::size_t i = 0; i < words.size(); ++i) {
    for (const auto& partner : pairs.Of(words[i])) {
      std::vector<std::string> swapped = words;
      swapped[i] = partner;
      if (allowed(swapped)) out.push_back(std::move(swapped));
    }
  }
  return out;
}

namespace {

std::string Joined(const std::vector<std::string>& words) {
  std::string s;
  for (const auto& w : words) s += (s.empty() ? "" : " ") + w;
  return s;
}

}  // namespace

void Rec::GuardAntonyms(const std::vector<std::uint32_t>& words, int frames) {
  const auto& pairs = speech->antonyms;
  const auto margin = speech->model.antonym_margin;
  if (!pairs || pairs->Empty() || !margin || frames <= 0) return;
  const auto t0 = std::chrono::steady_clock::now();
  Network& net = *context->network;
  std::vector<std::string> texts;
  for (const auto w : words) texts.push_back(net.Words()[w].text);
  auto ids = [&](const std::vector<std::string>& sentence) {
    std::vector<std::uint32_t> out;
    for (const auto& t : sentence) {
      const auto id = net.WordId(t);
      if (!id) return std::vector<std::uint32_t>{};
      out.push_back(*id);
    }
    return out;
  };
  // A swap that reads as the same command (both words say the same thing
  // in some phrase) inverts nothing.
  const auto meaning = net.AllTexts(words, active_starts);
  const auto swaps = AntonymSwaps(*pairs, texts, [&](const std::vector<std::string>& s) {
    const auto alt = ids(s);
    return !alt.empty() && dfa.Accepts(alt) && net.AllTexts(alt, active_starts) != meaning;
  });
  if (swaps.empty()) return;
  ++antonym_checks;

  // The result and each swap searched together over the utterance's audio,
  // the result handicapped by the margin: the main search's own verdict
  // carries its pruning, which two sentences alone do not need.
  const double handicap = *margin * frames;
  std::vector<std::optional<bool>> wins;
  for (const auto& s : swaps) wins.push_back(decoder->SwapWins(net, words, ids(s), handicap));
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  const char* log_name = std::getenv("TALVANE_ANTONYM_LOG");
  std::FILE* log = log_name && *log_name ? std::fopen(log_name, "a") : nullptr;
  for (std::size_t i = 0; i < swaps.size(); ++i) {
    // A search that followed neither sentence through decides nothing.
    const bool reject = wins[i].value_or(false);
    if (reject) result.type = ASRRES_REJECTED;
    // For measurements: one line per swap, with how much better per frame
    // the result fits, found by halving the handicap's range (what a
    // margin would have to be to reject it); not timed.
    if (log) {
      double lo = -1.0, hi = 1.0;
      if (wins[i]) {
        for (int step = 0; step < 24; ++step) {
          const double mid = (lo + hi) / 2;
          (decoder->SwapWins(net, words, ids(swaps[i]), mid * frames).value_or(false) ? hi : lo) = mid;
        }
      }
      std::fprintf(log, "%s\t%s\t%s\t%.6g\t%d\t%.1f\n", reject ? "reject" : wins[i] ? "keep" : "unscored",
                   Joined(texts).c_str(), Joined(swaps[i]).c_str(), (lo + hi) / 2, frames, ms);
    }
  }
  if (log) std::fclose(log);
}

}  // namespace talvane::vocon
