#include "support/test_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <csignal>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "common/files.h"

extern char** environ;

namespace talvane::test {

TempFolder::TempFolder() {
  std::string tmpl = (fs::temp_directory_path() / "talvane-test-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
}

TempFolder::~TempFolder() {
  std::error_code ec;
  // A test may have made a folder read-only; give it back before removing.
  for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator(); ++it)
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

ProgramFixture::ProgramFixture() {
  fs::create_directories(folder / "Data");
  fs::create_directories(folder / "Checklists");
  fs::create_directories(folder / "Grammars" / "Test");
}

void WriteFile(const fs::path& p, const std::string& bytes) {
  fs::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + p.string());
}

std::string ReadFile(const fs::path& p) {
  auto data = ReadWholeFile(p);
  if (!data) throw std::runtime_error("cannot read " + p.string());
  return *data;
}

ToolRun RunTool(const std::vector<std::string>& args, const std::vector<std::string>& env) {
  TempFolder io;
  const std::string out_path = (io / "out").string(), err_path = (io / "err").string();
  std::vector<std::string> argv_s = {TALVANE_TOOL};
  argv_s.insert(argv_s.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argv_s) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> env_s;
  for (char** e = environ; *e; ++e) env_s.emplace_back(*e);
  env_s.insert(env_s.end(), env.begin(), env.end());
  std::vector<char*> envp;
  for (auto& e : env_s) envp.push_back(e.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&fa, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&fa, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = 0;
  ToolRun run;
  if (posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), envp.data()) == 0) {
    int st = 0;
    ::waitpid(pid, &st, 0);
    run.status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
  }
  posix_spawn_file_actions_destroy(&fa);
  run.out = ReadWholeFile(out_path).value_or("");
  run.err = ReadWholeFile(err_path).value_or("");
  return run;
}

DiskLimit::DiskLimit(unsigned long bytes) {
  ::signal(SIGXFSZ, SIG_IGN);
  rlimit r{};
  ::getrlimit(RLIMIT_FSIZE, &r);
  old_cur_ = r.rlim_cur;
  old_max_ = r.rlim_max;
  r.rlim_cur = bytes;
  ::setrlimit(RLIMIT_FSIZE, &r);
}

DiskLimit::~DiskLimit() {
  rlimit r{old_cur_, old_max_};
  ::setrlimit(RLIMIT_FSIZE, &r);
}

std::string RandomAnsi(std::mt19937& rng, std::size_t length, bool printable) {
  std::uniform_int_distribution<int> byte(printable ? 0x20 : 0, 255);
  std::string s;
  while (s.size() < length) {
    auto c = static_cast<unsigned char>(byte(rng));
    if (printable && (c == 0x7F || (c >= 0x80 && c <= 0x9F && c != 0x80 && c != 0x8A))) continue;
    s += static_cast<char>(c);
  }
  return s;
}

}  // namespace talvane::test
