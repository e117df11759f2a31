#include "outside/outside_libraries.h"

#include <dlfcn.h>
#include <unistd.h>

#include "common/text.h"

namespace talvane {

void* OutsideLibraries::Entry(Library& lib) {
  if (!SpeechLibrariesReady) return nullptr;
  std::lock_guard lock(loading_);
  if (lib.failed) return nullptr;
  if (lib.entry) return lib.entry;
  const std::filesystem::path path = speech_.ProgramFolder() / lib.file;
  std::string why;
  dlerror();
  lib.handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!lib.handle) {
    const char* e = dlerror();
    why = e ? e : "unknown error";
  } else if (!(lib.entry = dlsym(lib.handle, lib.symbol))) {
    why = std::string("it has no entry point ") + lib.symbol;
    dlclose(lib.handle);
    lib.handle = nullptr;
  }
  if (lib.entry) return lib.entry;
  lib.failed = true;
  ctx_.Tell("Talvane Error",
            Paragraphs({"The speech library " + std::string(lib.file) + " could not be loaded from the program folder " +
                            Utf8ToCp1252(ctx_.program_folder.string()) + ".",
                        Utf8ToCp1252(why), "Please press OK to continue..."}),
            kIconError);
  return nullptr;
}

int OutsideLibraries::fnKELOspeak_Call(int command, int voice, int value3, int value4, std::string_view text) {
  auto* call = reinterpret_cast<int (*)(int, int, int, int, const char*)>(Entry(kelo_));
  if (!call) return kNotCalled;
  const std::string z(text);  // zero-terminated
  return speech_.Call([&] { return call(command, voice, value3, value4, z.c_str()); });
}

int OutsideLibraries::fnBinCompile_Call(int command, int value2, int value3) {
  auto* call = reinterpret_cast<int (*)(int, int, int)>(Entry(grisk_));
  if (!call) return kNotCalled;
  return speech_.Call([&] { return call(command, value2, value3); });
}

std::int32_t OutsideLibraries::fnOndrixDLL_Call(SREC_COMMAND_OBJECT* command, const std::filesystem::path& start_folder) {
  auto* call = reinterpret_cast<std::int32_t (*)(SREC_COMMAND_OBJECT*)>(Entry(ondrix_));
  if (!call) return kNotCalled;
  return speech_.Call([&]() -> std::int32_t {
    if (!start_folder.empty() && ::chdir(start_folder.c_str()) != 0) return kNotCalled;
    return call(command);
  });
}

std::int32_t OutsideLibraries::OndrixTerminateNow() {
  auto* call = reinterpret_cast<std::int32_t (*)(SREC_COMMAND_OBJECT*)>(Entry(ondrix_));
  if (!call) return kNotCalled;
  SREC_COMMAND_OBJECT terminate{SR_TERMINATE, 0, nullptr};
  return call(&terminate);
}

}  // namespace talvane
