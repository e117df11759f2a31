// LoadStaticGrammar: every compiled grammar (*.bgm) of the current
// directory, in name order, into the grammar table.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>

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

int Load(RecogObject& r) {
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
    std::u16string wide;
    for (unsigned char c : files[i]) wide += static_cast<char16_t>(c);  // byte by byte, as the names are passed on
    std::size_t size = 0;
    char* image = ReadFileToBuffer(wide.c_str(), &size);
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

}  // namespace

int LoadStaticGrammar(RecogObject& r) {
  TRACE(L"Entering function LoadStaticGrammar()... \n");
  LH_OBJECT g2p = spapiGetNullHandle(), lex = spapiGetNullHandle();
  int rc = Lexicon(r, g2p, lex);
  if (rc == 0) rc = Load(r);
  const int closed = CloseLexicon(g2p, lex);
  if (rc == 0) rc = closed;
  TRACE(rc == 0 ? L"Exiting function LoadStaticGrammar(Success) \n" : L"Exiting function LoadStaticGrammar(FAIL) \n");
  return rc;
}

}  // namespace talvane::ondrix
