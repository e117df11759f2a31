// The entry point of libgrisk.so.
#include <dlfcn.h>

#include <filesystem>

#include "grisk/compiler.h"
#include "grisk/grisk.h"

namespace {

// The helper lives beside the library.
std::filesystem::path Phonemizer() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&fnBinCompile_Call), &info) && info.dli_fname)
    return std::filesystem::absolute(info.dli_fname).parent_path() / "grisk-g2p";
  return "grisk-g2p";
}

int Call(int command, int value2, int /*value3*/) {
  using namespace talvane::grisk;
  switch (command) {
    case GRISK_INITIALISE:
    case GRISK_SHUTDOWN:
      return GRISK_OK;
    case GRISK_COMPILE: {
      if (value2 != 0 && value2 != 1) return GRISK_ERR_ARGUMENT;
      std::error_code ec;
      const auto program = std::filesystem::current_path(ec);
      if (ec) return GRISK_ERR_IO;
      return CompileFolder(ProgramCompileOptions(program, value2 == 1, Phonemizer())).status;
    }
    default:
      return GRISK_ERR_ARGUMENT;
  }
}

}  // namespace

extern "C" TALVANE_EXPORT int fnBinCompile_Call(int command, int value2, int value3) {
  try {
    return Call(command, value2, value3);
  } catch (...) {
    return GRISK_ERR_INTERNAL;
  }
}
