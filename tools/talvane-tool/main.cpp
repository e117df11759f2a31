#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <iostream>

#include "common/text.h"
#include "tool.h"

namespace talvane::tool {

std::vector<Command>& Commands() {
  static std::vector<Command> all;
  return all;
}

Registrar::Registrar(std::vector<Command> cmds) {
  for (auto& c : cmds) Commands().push_back(std::move(c));
}

ScratchFolder::ScratchFolder() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "talvane-bench-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) throw std::runtime_error("cannot create a scratch folder");
  path_ = tmpl;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

const std::filesystem::path& ScratchFolder::ProgramFolder() {
  std::filesystem::create_directories(path_ / "Data");
  std::filesystem::create_directories(path_ / "Grammars" / "Test");
  return path_;
}

int UsageError(const std::string& text) {
  std::fprintf(stderr, "talvane-tool: %s\n", text.c_str());
  return 2;
}

void Out(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

std::string Utf8(std::string_view ansi) { return Cp1252ToUtf8(ansi); }

int Status(const Invocation& inv, bool ok) { return ok && !inv.ui.exit_requested ? 0 : 1; }

namespace {

void PrintMessage(const Message& m) {
  std::string text = Cp1252ToUtf8(m.text);
  for (char& c : text)
    if (c == '\r') c = '\n';
  std::string line = Cp1252ToUtf8(m.title) + ": " + text + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
}

void PrintHelp() {
  std::printf(
      "usage: talvane-tool [--program-folder DIR] COMMAND [ARGUMENTS]\n\n"
      "Works on the program folder DIR (default: the current directory). Messages\n"
      "go to standard error as TITLE: TEXT; the exit status is 0 on success and 1\n"
      "when the operation failed.\n\ncommands:\n");
  for (const auto& c : Commands()) {
    std::string head = std::string(c.name) + (c.usage[0] ? " " : "") + c.usage;
    std::printf("  %-34s %s\n", head.c_str(), c.summary);
  }
}

}  // namespace

}  // namespace talvane::tool

int main(int argc, char** argv) {
  using namespace talvane;
  using namespace talvane::tool;
  std::filesystem::path folder = std::filesystem::current_path();
  int i = 1;
  for (; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      PrintHelp();
      return 0;
    }
    if (a == "--program-folder") {
      if (i + 1 >= argc) return UsageError("--program-folder needs a folder");
      folder = argv[++i];
      continue;
    }
    if (a.rfind("--program-folder=", 0) == 0) {
      folder = a.substr(17);
      continue;
    }
    break;
  }
  if (i >= argc) {
    PrintHelp();
    return 2;
  }
  const std::string name = argv[i++];
  for (const auto& c : Commands()) {
    if (name != c.name) continue;
    std::vector<std::string> args(argv + i, argv + argc);
    const int n = static_cast<int>(args.size());
    if (n < c.min_args || (c.max_args >= 0 && n > c.max_args))
      return UsageError(std::string("usage: talvane-tool ") + c.name + " " + c.usage);
    RecordingUserInterface ui;
    ui.on_message = PrintMessage;
    Context ctx{std::filesystem::absolute(folder), ui};
    Invocation inv{ctx, ui, std::move(args)};
    try {
      return c.run(inv);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "talvane-tool: %s\n", e.what());
      return 1;
    }
  }
  return UsageError("unknown command `" + name + "` (see --help)");
}
