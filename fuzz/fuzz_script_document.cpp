// The grammar script screen's reader of its rich-text subset, on arbitrary
// bytes: whatever a hand-edited or truncated document holds, it reads
// without a crash, and reading is stable (the same bytes, the same
// paragraphs).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/script_screen.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view rtf(reinterpret_cast<const char*>(data), size);
  const auto first = talvane::ReadScriptDocument(rtf);
  const auto second = talvane::ReadScriptDocument(rtf);
  if (first.size() != second.size()) __builtin_trap();
  std::size_t text = 0;
  for (std::size_t i = 0; i < first.size(); ++i) {
    if (first[i].Text() != second[i].Text() || first[i].bullet != second[i].bullet) __builtin_trap();
    text += first[i].Text().size();
  }
  // Every character shown comes from the input: \'hh and \tab take more
  // bytes than they give.
  if (text > size) __builtin_trap();
  return 0;
}
