// DeActivateRules: reads the rule list (mode 0, INIT) and switches its
// rules off; mode 1 switches them all on, mode 2 all off.
#include <cstdio>
#include <string>

#include "engine/engine.h"

namespace talvane::ondrix {

namespace {

// One rule on or off in the grammar that holds it: the second grammar
// first, as the list was made for it, then the others.
LH_ERROR Apply(RecogObject& r, const char16_t* name, bool on) {
  const LH_WCHAR* names[] = {name};
  LH_ERROR first = LH_E_HANDLE;
  for (int k = 0; k < r.GrammarCount; ++k) {
    const int i = r.GrammarCount > 1 && k < 2 ? 1 - k : k;  // 1, 0, 2, 3, ...
    if (IsNull(r.GrammarHandles[i])) continue;
    const LH_ERROR rc = on ? lhs_asrGrmActivateRules(r.GrammarHandles[i], r.hRec, names, 1)
                           : lhs_asrGrmDeactivateRules(r.GrammarHandles[i], r.hRec, names, 1);
    if (rc == LH_OK) return LH_OK;
    if (k == 0) first = rc;
  }
  return first;
}

int ApplyAll(RecogObject& r, bool on) {
  for (const auto& name : RulesArray()) {
    const LH_ERROR rc = Apply(r, name.c_str(), on);
    if (rc != LH_OK) {
      TraceCallError(on ? "lhs_asrGrmActivateRules(grammar, r.hRec, &name, 1)"
                        : "lhs_asrGrmDeactivateRules(grammar, r.hRec, &name, 1)",
                     __LINE__, __FILE__, lhs_asrErrGetString(rc), false);
      return static_cast<int>(rc);
    }
  }
  return 0;
}

// UTF-16LE code units, read as they are; a line is at most 49 of them and
// its line feed, so a longer one goes on as the next entry.
int ReadList(FILE* f) {
  std::u16string all;
  int lo;
  while ((lo = std::fgetc(f)) != EOF) {
    const int hi = std::fgetc(f);
    if (hi == EOF) break;  // half a code unit at the end
    all += static_cast<char16_t>(lo | (hi << 8));
  }
  auto& rules = RulesArray();
  std::size_t at = 0;
  while (at < all.size() && rules.size() < static_cast<std::size_t>(kMaxRules)) {
    std::size_t end = at;
    while (end < all.size() && end - at < static_cast<std::size_t>(kRuleLineLimit - 1) && all[end] != u'\n') ++end;
    if (end < all.size() && all[end] == u'\n' && end - at < static_cast<std::size_t>(kRuleLineLimit - 1)) ++end;
    std::u16string line = all.substr(at, end - at);
    at = end;
    const auto gt = line.rfind(u'>');
    if (gt != std::u16string::npos && gt + 1 < line.size())
      line.pop_back();  // the line feed after the name
    else if (gt == std::u16string::npos && !line.empty() && line.back() == u'\n')
      line.pop_back();  // a line without a name in brackets: kept, but not its line feed
    if (line.empty()) continue;
    if (line.size() > static_cast<std::size_t>(kRuleNameLimit)) line.resize(kRuleNameLimit);
    rules.push_back(line);
    std::string narrow;
    for (char16_t c : line) narrow += c < 0x80 ? static_cast<char>(c) : '?';
    TRACE(L"\tRULE: [%d] [%s] \n", static_cast<int>(rules.size() - 1), narrow.c_str());
  }
  return 0;
}

int Load(RecogObject& r) {
  if (SetAccessDirectory(2) != 0) return kNoDirectory;
  FILE* f = std::fopen("RuleList.dat", "rbe");  // not inherited by child processes
  if (!f) {
    SetAccessDirectory(0);
    return kNoFile;
  }
  ReadList(f);
  const int rc = ApplyAll(r, false);
  std::fclose(f);
  if (SetAccessDirectory(0) != 0) return kNoDirectory;
  if (rc == 0)
    TRACE(L"\t[%d] De/activateable rules loaded. Default status is DEactivated.\n",
          static_cast<int>(RulesArray().size()));
  return rc;
}

}  // namespace

int DeActivateRules(RecogObject& r, int mode) {
  TRACE(L"Entering function DeActivateRules(%d)... \n", mode);
  int rc = 0;
  if (mode == 0)
    rc = Load(r);
  else if (mode == 1 || mode == 2)
    rc = ApplyAll(r, mode == 1);
  TRACE(rc == 0 ? L"Exiting function DeActivateRules(Success) \n" : L"Exiting function DeActivateRules(FAIL) \n");
  return rc;
}

}  // namespace talvane::ondrix
