// Phrase checking and expansion on arbitrary phrases of up to 256 bytes: no
// crash, no hang, and a checked phrase expands to a sorted list without
// brackets or neighbouring duplicates.
#include <cstdint>
#include <cstdlib>

#include "common/text.h"
#include "grammar/phrase_expansion.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace talvane;
  if (size > 256) size = 256;
  const std::string phrase(reinterpret_cast<const char*>(data), size);

  // The expansion itself must cope with any text, balanced or not.
  ExpansionList raw;
  ExpandPhrase(phrase, raw);
  if (raw.entries.size() > kMaxExpansionEntries || raw.ExpansionUpper != static_cast<int>(raw.entries.size()) - 1)
    std::abort();

  const bool valid = CheckPhraseSyntax(phrase);
  RecordingUserInterface ui;
  Context ctx{".", ui};
  CommandCatalogue c;
  c.CommandList.emplace_back();
  c.CommandList[0].grammars.emplace_back(phrase);
  ExpansionList list;
  ExpandCommandPhrase(ctx, c, 0, 0, list);
  if (!valid && (list.ExpansionUpper != kExpansionInvalid || ui.messages.size() != 1)) std::abort();
  if (list.ExpansionUpper == kExpansionInvalid) {
    if (!list.entries.empty() || ui.messages.size() != 1) std::abort();
    return 0;
  }
  if (list.ExpansionUpper != static_cast<int>(list.entries.size()) - 1 || !ui.messages.empty()) std::abort();
  std::string before;
  for (std::size_t i = 0; i < list.entries.size(); ++i) {
    const std::string& e = list.entries[i];
    if (e.find_first_of("()[]") != std::string::npos) std::abort();
    if (i > 0 && ExpansionLess(e, list.entries[i - 1])) std::abort();
    const std::string key = Upper(Trim(e));
    if (key == before) std::abort();
    before = key;
  }
  return 0;
}
