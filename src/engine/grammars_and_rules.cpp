// Grammars and rules: LoadStaticGrammar reads every compiled grammar (*.bgm)
// of the current directory, in name order, into the grammar table;
// LoadContextOnRecognizer makes one context of them, loaded into the
// recogniser, and ActivateContext builds its search network once the rules
// are set; UnLoadContextOnRecognizer takes it out again and
// closes it and every grammar. DeActivateRules reads the rule list (mode 0,
// INIT) and switches its rules off; mode 1 switches them all on, mode 2 all
// off.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "common/text.h"
#include "engine/engine.h"

namespace talvane::ondrix {

namespace {

namespace fs = std::filesystem;

// The recogniser takes the image's length from its own header; a file whose
// length disagrees with it is refused before the recogniser sees it.
bool WholeGrammar(const char* image, std::size_t size) {
  if (size < 20) return false;
  const auto* b = reinterpret_cast<const unsigned char*>(image);
  const std::uint32_t body = b[12] | (b[13] << 8) | (b[14] << 16) | (static_cast<std::uint32_t>(b[15]) << 24);
  return static_cast<std::uint64_t>(body) + 20 == size;
}

int LoadGrammarFiles(RecogObject& r) {
  std::error_code ec;
  std::vector<std::string> files;
  for (const auto& e : fs::directory_iterator(".", ec)) {
    const std::string name = e.path().filename().string();
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".bgm") == 0 && e.is_regular_file(ec)) files.push_back(name);
  }
  if (ec) {
    TRACE(L"ERROR EINVAL: invalid argument passed to _findfirst(). \n");
    return kNoFile;
  }
  if (files.empty()) {
    TRACE(L"ERROR ENOENT: NO files matching specification found. \n");
    return kNoFile;
  }
  // The rule list belongs to one of them; name order makes which one stable.
  std::sort(files.begin(), files.end());
  if (files.size() > static_cast<std::size_t>(kMaxGrammars)) {
    TRACE(L"ERROR: %d grammar files found, at most %d can be loaded.\n", static_cast<int>(files.size()), kMaxGrammars);
    return kTooManyGrammars;
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    TRACE(L"# [%d] loading binary grammar file: [%s] \n", static_cast<int>(i), files[i].c_str());
    std::size_t size = 0;
    char* image = ReadFileToBuffer(Utf8ToUtf16(files[i]).c_str(), &size);
    if (!image) return kGrammarUnreadable;
    const bool whole = WholeGrammar(image, size);
    const LH_ERROR rc =
        whole ? lhs_asrCreateGrmFromBinary(r.hSpeech, image, 0, 0, &r.GrammarHandles[i]) : LH_ERROR{LH_E_FORMAT};
    std::memset(image, 0, size);
    std::free(image);
    if (rc != LH_OK) {
      TraceCallError("lhs_asrCreateGrmFromBinary(r.hSpeech, image, 0, 0, &r.GrammarHandles[i])", __LINE__, __FILE__,
                     lhs_asrErrGetString(rc), false);
      return kGrammarRefused;
    }
    r.GrammarCount = static_cast<std::int32_t>(i + 1);
  }
  TRACE(L"[%d] total grammar files loaded into memory.\n", r.GrammarCount);
  return 0;
}

int Lexicon(RecogObject& r, LH_OBJECT& g2p, LH_OBJECT& lex) {
  LHS_CHECK(lhs_asrCreateG2P(r.hSpeech, &g2p));
  LHS_CHECK(lhs_asrCreateLex(r.hSpeech, &lex));
  LHS_CHECK(lhs_asrLexSetG2P(lex, g2p));
  return 0;
}

int CloseLexicon(LH_OBJECT& g2p, LH_OBJECT& lex) {
  if (!IsNull(lex)) {
    LHS_CHECK(lhs_asrLexClearG2P(lex));
    LHS_CHECK(lhs_asrLexClose(&lex));
  }
  if (!IsNull(g2p)) LHS_CHECK(lhs_asrG2PClose(&g2p));
  return 0;
}

// ---- the context ----

int LoadContext(RecogObject& r) {
  r.hCtx = spapiGetNullHandle();
  if (IsNull(r.hSpeech) || IsNull(r.hRec)) return kNullHandle;
  // Not tested here: without a context the next call fails.
  lhs_asrCreateCtxFromGrammarHandles(r.hSpeech, r.GrammarHandles, static_cast<std::size_t>(r.GrammarCount), nullptr,
                                     nullptr, 0, &r.hCtx);
  // Loaded, not yet activated: the search network is built once the rule
  // list has switched the checklist responses off (DeActivateRules), not
  // twice.
  LHS_CHECK(lhs_asrRecLoadContext(r.hRec, r.hCtx, LH_FALSE, ASRREC_DYNPROG_AUTOMATIC, nullptr));
  return 0;
}

int UnloadContext(RecogObject& r) {
  if (!IsNull(r.hRec) && !IsNull(r.hCtx) && IsNull(r.hRes)) LHS_CHECK(lhs_asrRecUnloadContext(r.hRec));
  if (!IsNull(r.hCtx)) LHS_CHECK(lhs_asrCtxClose(&r.hCtx));
  // All of them: the grammars past the second would outlive the engine otherwise.
  for (int i = 0; r.GrammarHandles && i < r.GrammarCount; ++i) {
    if (IsNull(r.GrammarHandles[i])) {
      TRACE(L"NULL HANDLE found for Grammar handle [%d] on attempted unload .\n", i);
      continue;
    }
    LHS_CHECK(lhs_asrGrmClose(&r.GrammarHandles[i]));
    TRACE(L"Grammar handle [%d] successfully unloaded at address %p \n", i,
          static_cast<void*>(&r.GrammarHandles[i]));
  }
  return 0;
}

// ---- the rule list ----

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
    TRACE(L"\tRULE: [%d] [%s] \n", static_cast<int>(rules.size() - 1), TraceText(line.c_str()).c_str());
  }
  return 0;
}

int LoadRuleList(RecogObject& r) {
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

std::vector<std::u16string>& RulesArray() {
  static std::vector<std::u16string> rules;
  return rules;
}

int LoadStaticGrammar(RecogObject& r) {
  return TracedStep(L"LoadStaticGrammar", [&] {
    LH_OBJECT g2p = spapiGetNullHandle(), lex = spapiGetNullHandle();
    int rc = Lexicon(r, g2p, lex);
    if (rc == 0) rc = LoadGrammarFiles(r);
    const int closed = CloseLexicon(g2p, lex);
    return rc == 0 ? closed : rc;
  });
}

int LoadContextOnRecognizer(RecogObject& r) {
  return TracedStep(L"LoadContextOnRecognizer", [&] { return LoadContext(r); });
}

int ActivateContext(RecogObject& r) {
  // Built now rather than when the next recognition starts: that start would
  // otherwise wait for the build (two seconds for the whole catalogue), and
  // a pilot's first words with it.
  if (IsNull(r.hCtx) || IsNull(r.hRec)) return kNullHandle;
  const LH_ERROR rc = lhs_asrCtxActivate(r.hCtx, r.hRec);
  if (rc != LH_OK) {
    TraceCallError("lhs_asrCtxActivate(r.hCtx, r.hRec)", __LINE__, __FILE__, lhs_asrErrGetString(rc), false);
    return static_cast<int>(rc);
  }
  return 0;
}

int UnLoadContextOnRecognizer(RecogObject& r) {
  return TracedStep(L"UnLoadContextOnRecognizer", [&] { return UnloadContext(r); });
}

int DeActivateRules(RecogObject& r, int mode) {
  TRACE(L"Entering function DeActivateRules(%d)... \n", mode);
  int rc = 0;
  if (mode == 0)
    rc = LoadRuleList(r);
  else if (mode == 1 || mode == 2)
    rc = ApplyAll(r, mode == 1);
  // Switched by the host: the network follows at once (see ActivateContext).
  if (rc == 0 && mode != 0) rc = ActivateContext(r);
  TRACE(rc == 0 ? L"Exiting function DeActivateRules(Success) \n" : L"Exiting function DeActivateRules(FAIL) \n");
  return rc;
}

}  // namespace talvane::ondrix
