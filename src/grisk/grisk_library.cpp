// The entry point of libgrisk.so.
#include <filesystem>

#include "grisk/compiler.h"
#include "grisk/grisk.h"
#include "grisk/pronunciation.h"

namespace {

// The helper lives beside the library.
std::filesystem::path Phonemizer() {
  const auto beside = talvane::grisk::BesideLibrary(reinterpret_cast<const void*>(&fnBinCompile_Call), "grisk-g2p");
  return beside.empty() ? std::filesystem::path("grisk-g2p") : beside;
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
