// The three speech libraries' boundary: each exports its entry point alone,
// unloads completely when closed, and works again when loaded anew. The
// checks are shown to catch a library linked without the version script.
#include <dlfcn.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>

#if defined(__has_include)
#if __has_include(<sanitizer/lsan_interface.h>) && defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#define TALVANE_HAS_LSAN 1
#endif
#endif

#include "engine/ondrix.h"
#include "outside/outside_libraries.h"
#include "outside/speech_thread.h"
#include "support/test_support.h"

namespace talvane {
namespace {

namespace fs = std::filesystem;

// The symbols a shared library defines in its dynamic symbol table.
std::set<std::string> DefinedDynamicSymbols(const fs::path& library) {
  std::set<std::string> names;
  const std::string command = "nm -D --defined-only '" + library.string() + "' 2>&1";
  FILE* nm = ::popen(command.c_str(), "r");
  if (!nm) return {"(nm could not be run)"};
  char line[4096];
  while (std::fgets(line, sizeof line, nm)) {
    std::istringstream in(line);
    std::string address, type, name;
    if (!(in >> address >> type >> name)) continue;
    if (type == "A") continue;  // a version node, not a symbol
    names.insert(name);
  }
  if (::pclose(nm) != 0) names.insert("(nm failed)");
  return names;
}

// Loads the library, calls it through `use`, closes it, and says what kept
// it in memory, if anything did; then loads it anew and calls it again.
template <class Use>
std::string UnloadAndReload(const fs::path& library, const char* entry, Use use) {
  for (int round = 0; round < 2; ++round) {
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) return std::string("dlopen: ") + dlerror();
    void* fn = dlsym(handle, entry);
    if (!fn) return std::string("no ") + entry;
    if (const std::string failed = use(fn); !failed.empty())
      return (round ? "after the reload: " : "") + failed;
    dlclose(handle);
    if (void* still = dlopen(library.c_str(), RTLD_NOW | RTLD_NOLOAD)) {
      dlclose(still);
      return "still loaded after dlclose";
    }
  }
  return "";
}

// What is allocated meanwhile on this thread is no leak to LeakSanitizer.
struct LeaksIgnored {
#ifdef TALVANE_HAS_LSAN
  LeaksIgnored() { __lsan_disable(); }
  ~LeaksIgnored() { __lsan_enable(); }
#else
  LeaksIgnored() {}  // nothing to tell
#endif
};

fs::path InProgramFolder(const char* file) { return fs::path(TALVANE_PROGRAM_DIR) / file; }

TEST(libraries_Boundary, EachLibraryExportsItsEntryPointAlone) {
  const struct {
    const char* file;
    const char* entry;
  } libraries[] = {{kGriskLibrary, "fnBinCompile_Call"},
                   {kKeloLibrary, "fnKELOspeak_Call"},
                   {kOndrixLibrary, "fnOndrixDLL_Call"}};
  for (const auto& l : libraries)
    EXPECT_EQ(DefinedDynamicSymbols(InProgramFolder(l.file)), std::set<std::string>{l.entry}) << l.file;
}

TEST(libraries_Boundary, EachLibraryUnloadsAndWorksWhenLoadedAgain) {
  test::TempFolder program;  // where the libraries keep their logs
  SpeechThread speech(program.path());
  const auto answers = [](int got, int expected) {
    return got == expected ? std::string() : "answered " + std::to_string(got) + ", not " + std::to_string(expected);
  };
  speech.Call([&] {
    EXPECT_EQ(UnloadAndReload(InProgramFolder(kGriskLibrary), "fnBinCompile_Call",
                              [&](void* fn) {
                                auto* call = reinterpret_cast<int (*)(int, int, int)>(fn);
                                return answers(call(0, 0, 0), 0) + answers(call(2, 0, 0), 0);  // start, shut down
                              }),
              "");
    EXPECT_EQ(UnloadAndReload(InProgramFolder(kKeloLibrary), "fnKELOspeak_Call",
                              [&](void* fn) {
                                auto* call = reinterpret_cast<int (*)(int, int, int, int, const char*)>(fn);
                                // espeak-ng keeps a few blocks after its shutdown, which
                                // are lost when it is unloaded with libkelo.so.
                                const LeaksIgnored espeak_blocks;
                                return answers(call(0, 0, 0, 0, "0"), 0);  // initialise, voices found
                              }),
              "");
    // A fresh engine each time: RECOGNIZE before INIT is refused.
    EXPECT_EQ(UnloadAndReload(InProgramFolder(kOndrixLibrary), "fnOndrixDLL_Call",
                              [&](void* fn) {
                                auto* call = reinterpret_cast<std::int32_t (*)(SREC_COMMAND_OBJECT*)>(fn);
                                SREC_COMMAND_OBJECT recognize{SR_RECOGNIZE, 0, nullptr};
                                SREC_COMMAND_OBJECT terminate{SR_TERMINATE, 0, nullptr};
                                return answers(call(&recognize), SR_WRONG_STATE) + answers(call(&terminate), SR_OK);
                              }),
              "");
  });
}

TEST(libraries_Boundary, TheChecksFindALibraryLinkedWithoutTheScript) {
  const fs::path planted = TALVANE_PLANTED_LIBRARY;
  const auto symbols = DefinedDynamicSymbols(planted);
  EXPECT_TRUE(symbols.count("fnPlanted_Call"));
  EXPECT_TRUE(symbols.count("planted_helper")) << "the extra export is reported";
  EXPECT_NE(symbols, std::set<std::string>{"fnPlanted_Call"});
  // Its unique symbol keeps it loaded after dlclose (which also keeps this
  // test's copy in memory for the rest of the program).
  EXPECT_EQ(UnloadAndReload(planted, "fnPlanted_Call",
                            [](void* fn) {
                              return reinterpret_cast<int (*)(int)>(fn)(1) == 2 ? std::string() : "wrong answer";
                            }),
            "still loaded after dlclose");
}

// The engine moves the current directory as it looks for its folders; with
// every call on the speech thread, the host's directory stays where it was.
TEST(libraries_Boundary, TheEngineMovesOnlyTheSpeechThreadsDirectory) {
  test::ProgramFixture f;
  ASSERT_TRUE(fs::copy_file(InProgramFolder(kOndrixLibrary), f.folder / kOndrixLibrary));
  const fs::path here = fs::current_path();
  OutsideLibraries libs(f.ctx);
  libs.SpeechLibrariesReady = true;
  SREC_COMMAND_OBJECT init{SR_INIT, 0, nullptr};
  fs::create_directories(f.folder / "Grammars");
  EXPECT_EQ(libs.fnOndrixDLL_Call(&init), SR_NO_MODEL);  // it went into Grammars to look for the model
  EXPECT_EQ(fs::current_path(), here);
  EXPECT_EQ(libs.Speech().Call([] { return fs::current_path(); }), fs::canonical(f.folder.path()));
  EXPECT_EQ(libs.fnOndrixDLL_Call(&init, f.folder / "missing"), OutsideLibraries::kNotCalled);
  EXPECT_EQ(libs.OndrixTerminateNow(), SR_OK);
  EXPECT_TRUE(f.ui.messages.empty());
}

}  // namespace
}  // namespace talvane
