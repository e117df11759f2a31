// The grammar compiler's front end and the compiled-grammar reader.
// Input beginning with FF FE is a grammar file as it lies on disk; input
// beginning with the .bgm magic goes to the reader; anything else is taken as
// text (one byte per character) so mutations reach the parser quickly. A
// source that passes every check is compiled, written, read back and
// compared.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "grisk/bgm_format.h"
#include "grisk/bnf_source.h"
#include "grisk/confusability.h"
#include "grisk/grammar_check.h"
#include "grisk/rule_graph.h"

using namespace talvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (bytes.substr(0, 5) == "TVBGM") {
    auto r = bgm::Read(bytes);
    if (r.grammar) {
      auto again = bgm::Read(bgm::Write(*r.grammar));
      if (!again.grammar || !(*again.grammar == *r.grammar)) std::abort();
    }
    return 0;
  }
  grisk::Diagnostics diag;
  std::u16string text;
  if (bytes.substr(0, 2) == "\xFF\xFE") {
    auto decoded = grisk::DecodeSource(bytes, "F.bnf", diag);
    if (!decoded) return 0;
    text = std::move(*decoded);
  } else {
    for (unsigned char c : bytes) text += static_cast<char16_t>(c);
  }
  grisk::GrammarSet set;
  set.grammars.push_back(grisk::ParseSource(text, "F.bnf", diag));
  grisk::CheckGrammars(set, diag, false);
  if (diag.errors() > 0) return 0;
  auto compiled = grisk::BuildGraphs(set);
  for (auto& w : compiled[0].words) w.pronunciations = {"AH"};
  auto back = bgm::Read(bgm::Write(compiled[0]));
  if (!back.grammar || !(*back.grammar == compiled[0])) std::abort();
  grisk::FindConfusions(compiled, 20, 5000);
  return 0;
}
