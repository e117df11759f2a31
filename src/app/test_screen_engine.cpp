#include "app/test_screen_engine.h"

#include <filesystem>
#include <vector>

#include "common/files.h"
#include "common/text.h"

namespace talvane {

namespace {

namespace fs = std::filesystem;

}  // namespace

int TestScreenEngine::PrepareTestGrammar(const GrammarInputs& in, int command, int phrase,
                                         const BinCompileCall& compile) {
  const fs::path test = ctx_.File("\\Grammars\\Test");
  std::error_code ec;
  fs::create_directories(test, ec);
  // Only this test's grammar and its lists: sources and compiled grammars
  // of an earlier test (a navaid phrase's lists) would be loaded too.
  for (const auto& e : fs::directory_iterator(test, ec)) {
    const auto ext = Lower(e.path().extension().string());
    if (ext == ".bnf" || ext == ".bgm") fs::remove(e.path(), ec);
  }
  if (const int r = SaveTestGrammar(ctx_, in, command, phrase); r != 0) {
    if (r == kGrammarFileUnwritable) {
      ctx_.ui.ShowMessage(GrammarFileWriteError());
      ctx_.ui.ExitProgram();
    }
    return 1;
  }
  if (!CopyFileAtomic(ctx_.File("\\Grammars\\vocon3200lngenu_full.dat"), test / "vocon3200lngenu_full.dat"))
    return 1;
  return compile && compile(1, 1, 1) == 0 ? 0 : 1;
}

std::int32_t TestScreenEngine::Send(std::int32_t code, char16_t* buffer, const fs::path& start_folder) {
  SREC_COMMAND_OBJECT record{code, 0, buffer};
  const std::int32_t rc = call_(&record, start_folder);
  confidence_ = record.CmdConfidence;
  return rc;
}

std::int16_t TestScreenEngine::Call(std::int16_t code, std::string& engine_text) {
  if (!call_) return kTestEngineError;
  switch (code) {
    case kTestOpen: {
      // INIT loads the compiled grammars of the folder it is started in.
      const fs::path test = ctx_.File("\\Grammars\\Test");
      std::int32_t rc = Send(SR_INIT, nullptr, test);
      if (rc == SR_WRONG_STATE) {  // an earlier test was not ended: end it now
        Send(SR_TERMINATE, nullptr);
        rc = Send(SR_INIT, nullptr, test);
      }
      return rc == 0 ? 0 : kTestEngineError;
    }
    case kTestStart: {
      std::vector<char16_t> buffer(SR_AGGREGATE_SIZE, u'\0');
      if (Send(SR_RECOGNIZE, buffer.data()) != 0) return kTestEngineError;
      std::u16string text(buffer.data());
      engine_text = Utf16ToCp1252(text);
      const std::string trimmed = Trim(engine_text);
      if (trimmed.empty() || trimmed == "|0000") return kTestNothingValid;
      return 0;
    }
    case kTestReturn:
      // The next test starts a fresh engine on its own grammar.
      return static_cast<std::int16_t>(Send(SR_TERMINATE, nullptr));
    default:
      return 0;
  }
}

}  // namespace talvane
