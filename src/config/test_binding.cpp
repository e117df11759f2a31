#include "config/test_binding.h"

#include <unistd.h>

#include <filesystem>
#include <vector>

#include "common/files.h"
#include "common/text.h"

namespace talvane {

namespace {

namespace fs = std::filesystem;

constexpr std::int32_t kEngineInit = 0, kEngineRecognize = 1, kEngineTerminate = 5;
constexpr std::int32_t kEngineWrongState = -98;

// The engine finds its folders from the current directory; the program's
// own directory is given back afterwards.
class InFolder {
 public:
  explicit InFolder(const fs::path& folder) {
    std::error_code ec;
    old_ = fs::current_path(ec);
    if (ec) old_.clear();
    fs::current_path(folder, ec);
    changed_ = !ec;
  }
  ~InFolder() {
    std::error_code ec;
    if (!old_.empty()) fs::current_path(old_, ec);
  }
  bool changed() const { return changed_; }

 private:
  fs::path old_;
  bool changed_ = false;
};

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

std::int32_t TestScreenEngine::Send(std::int32_t code, char16_t* buffer) {
  SREC_COMMAND_OBJECT record{code, 0, buffer};
  const std::int32_t rc = call_(&record);
  confidence_ = record.CmdConfidence;
  return rc;
}

std::int16_t TestScreenEngine::Call(std::int16_t code, std::string& engine_text) {
  if (!call_) return kTestEngineError;
  switch (code) {
    case kTestOpen: {
      // INIT loads the compiled grammars of the folder it is started in.
      InFolder here(ctx_.File("\\Grammars\\Test"));
      if (!here.changed()) return kTestEngineError;
      std::int32_t rc = Send(kEngineInit, nullptr);
      if (rc == kEngineWrongState) {  // an earlier test was not ended: end it now
        Send(kEngineTerminate, nullptr);
        rc = Send(kEngineInit, nullptr);
      }
      return rc == 0 ? 0 : kTestEngineError;
    }
    case kTestStart: {
      std::vector<char16_t> buffer(SR_AGGREGATE_SIZE, u'\0');
      if (Send(kEngineRecognize, buffer.data()) != 0) return kTestEngineError;
      std::u16string text(buffer.data());
      engine_text = Utf16ToCp1252(text);
      const std::string trimmed = Trim(engine_text);
      if (trimmed.empty() || trimmed == "|0000") return kTestNothingValid;
      return 0;
    }
    case kTestReturn:
      // The next test starts a fresh engine on its own grammar.
      return static_cast<std::int16_t>(Send(kEngineTerminate, nullptr));
    default:
      return 0;
  }
}

}  // namespace talvane
