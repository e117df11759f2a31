#include "outside/outside_libraries.h"

#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>

#include "common/text.h"

namespace talvane {

namespace {

// The libraries work on the current directory as the program folder, as
// they always have; a caller started elsewhere (talvane-tool) gets it set
// for the length of the call.
class InProgramFolder {
 public:
  explicit InProgramFolder(const std::filesystem::path& folder) {
    std::error_code ec;
    old_ = std::filesystem::current_path(ec);
    if (ec) old_.clear();
    std::filesystem::current_path(folder, ec);
    changed_ = !ec;
  }
  ~InProgramFolder() {
    std::error_code ec;
    if (changed_ && !old_.empty()) std::filesystem::current_path(old_, ec);
  }

 private:
  std::filesystem::path old_;
  bool changed_ = false;
};

}  // namespace

OutsideLibraries::~OutsideLibraries() {
  // The engine may still run threads of its own; the speech and compiler
  // libraries end theirs when unloaded.
  for (Library* lib : {&kelo_, &grisk_})
    if (lib->handle) dlclose(lib->handle);
}

void* OutsideLibraries::Entry(Library& lib) {
  if (!SpeechLibrariesReady || lib.failed) return nullptr;
  if (lib.entry) return lib.entry;
  const std::filesystem::path path = ctx_.program_folder / lib.file;
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
  if (command != 0) return call(command, voice, value3, value4, z.c_str());
  InProgramFolder here(ctx_.program_folder);  // where the library keeps its log
  return call(command, voice, value3, value4, z.c_str());
}

int OutsideLibraries::fnBinCompile_Call(int command, int value2, int value3) {
  auto* call = reinterpret_cast<int (*)(int, int, int)>(Entry(grisk_));
  if (!call) return kNotCalled;
  InProgramFolder here(ctx_.program_folder);
  return call(command, value2, value3);
}

void* OutsideLibraries::OndrixEntry() { return Entry(ondrix_); }

}  // namespace talvane
