// The program folders the engine works in, found from the current directory
// (SetAccessDirectory), and the whole-file reader.
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/text.h"
#include "engine/engine.h"

namespace talvane::ondrix {

namespace fs = std::filesystem;

int SetAccessDirectory(int mode) {
  TRACE(L"PelmarSRec CWD cmd [%d]\n", mode);
  if (mode < 0 || mode > 3) return 0;
  static const char* const kFolders[] = {"", "Grammars", "Data", "Checklists"};
  std::error_code ec;
  const fs::path cwd = fs::current_path(ec);
  if (ec) return 4;
  // Run from the simulator's folder: the program is two folders below it.
  bool in_simulator = false;
  for (const auto& e : fs::directory_iterator(cwd, ec)) {
    std::string name = e.path().filename().string();
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (name == "fsx.exe") {
      in_simulator = true;
      break;
    }
  }
  if (in_simulator) {
    fs::path target = fs::path(".") / "Brevantix" / "Talvane";
    if (mode) target /= kFolders[mode];
    if (::chdir(target.c_str()) != 0) return 4;
    TRACE(L"\tCWD SET TO grammar directory [0].\n");
    return 0;
  }
  // Otherwise the folders are found by name among the path's components.
  std::vector<std::string> parts;
  for (const auto& p : cwd) parts.push_back(p.string());
  auto deepest = [&](std::initializer_list<const char*> names) -> int {
    for (int i = static_cast<int>(parts.size()) - 1; i >= 0; --i)
      for (const char* n : names)
        if (parts[static_cast<std::size_t>(i)] == n) return i;
    return -1;
  };
  if (mode == 0) {
    const int at = deepest({"Grammars", "Checklists", "Data"});
    if (at < 0) return 0;
    // Up to the folder that holds it (also from Grammars/Test).
    fs::path up = cwd;
    for (int i = static_cast<int>(parts.size()) - 1; i >= at; --i) up = up.parent_path();
    if (::chdir(up.c_str()) != 0) return 4;
    TRACE(L"\tCWD SET TO grammar directory [1].\n");
    return 0;
  }
  if (deepest({kFolders[mode]}) >= 0) return 0;
  if (::chdir((fs::path(".") / kFolders[mode]).c_str()) == 0 ||
      ::chdir((fs::path("..") / kFolders[mode]).c_str()) == 0)
    TRACE(L"\tCWD SET TO grammar directory [1].\n");
  return 0;
}

char* ReadFileToBuffer(const char16_t* path, std::size_t* size) {
  if (size) *size = 0;
  if (!path) return nullptr;
  FILE* f = std::fopen(Utf16ToUtf8(path).c_str(), "rb");
  if (!f) return nullptr;
  char* buffer = nullptr;
  long length = -1;
  if (std::fseek(f, 0, SEEK_END) == 0) length = std::ftell(f);
  if (length >= 0 && std::fseek(f, 0, SEEK_SET) == 0) {
    buffer = static_cast<char*>(std::malloc(static_cast<std::size_t>(length) + 1));
    if (buffer && std::fread(buffer, 1, static_cast<std::size_t>(length), f) != static_cast<std::size_t>(length)) {
      std::free(buffer);  // a short read is no whole file
      buffer = nullptr;
    }
  }
  std::fclose(f);
  if (!buffer) return nullptr;
  buffer[length] = '\0';
  if (size) *size = static_cast<std::size_t>(length);
  return buffer;
}

}  // namespace talvane::ondrix
