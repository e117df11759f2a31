// The navaid and ILS list readers on arbitrary bytes, and the navaid
// grammars composed from whatever they accept. A list written back in the
// file's own format must read back unchanged.
#include <cstdint>
#include <cstdlib>

#include "common/binary.h"
#include "grammar/navaid_grammar.h"
#include "grammar/navaid_lists.h"

namespace {

template <typename Record, typename Fields>
std::string Rewrite(const std::vector<Record>& list, Fields fields) {
  std::string out;
  for (const auto& r : list) {
    bool first = true;
    for (const std::string* f : fields(r)) {
      if (!first) out += '|';
      out += *f;
      first = false;
    }
    out += "\r\n";
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace talvane;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  NavaidLists lists;
  try {
    lists.NavaidList = ParseNavaidList(bytes);
    const std::string again = Rewrite(lists.NavaidList, [](const NavaidRecord& r) {
      return std::vector<const std::string*>{&r.navId, &r.navName, &r.navTag};
    });
    if (ParseNavaidList(again) != lists.NavaidList) std::abort();
  } catch (const FormatError&) {
  }
  try {
    lists.ILSList = ParseILSList(bytes);
    const std::string again = Rewrite(lists.ILSList, [](const ILSRecord& r) {
      return std::vector<const std::string*>{&r.airportId, &r.runway, &r.ilsTagA, &r.ilsTagB};
    });
    if (ParseILSList(again) != lists.ILSList) std::abort();
  } catch (const FormatError&) {
  }
  for (auto which : {NavaidGrammar::kIds, NavaidGrammar::kNames, NavaidGrammar::kILSs}) {
    auto text = ComposeNavaidGrammar(which, lists);
    if (text && (text->size() < 2 || text->substr(text->size() - 2) != "\r\n")) std::abort();
  }
  return 0;
}
