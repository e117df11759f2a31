#include "common/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <thread>

#include "common/text.h"

namespace talvane {

namespace {

std::string Utf8Valid(const std::string& s) {
  // A native name that is not UTF-8 is taken byte for byte as Windows-1252.
  return IsValidUtf8(s) ? Utf8ToCp1252(s) : s;
}

bool WriteAll(int fd, std::string_view bytes) {
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

std::vector<std::string> SplitComponents(std::string_view relative) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : relative) {
    if (c == '\\' || c == '/') {
      if (!cur.empty()) parts.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) parts.push_back(cur);
  return parts;
}

}  // namespace

fs::path PathFromAnsi(std::string_view ansi) { return fs::path(Cp1252ToUtf8(ansi)); }

std::string AnsiFromPath(const fs::path& p) { return Utf8Valid(p.string()); }

bool FileExists(const fs::path& p) {
  std::error_code ec;
  return fs::is_regular_file(p, ec);
}

bool FolderExists(const fs::path& p) {
  std::error_code ec;
  return fs::is_directory(p, ec);
}

std::optional<std::string> ReadWholeFile(const fs::path& p) {
  if (!FileExists(p)) return std::nullopt;
  std::ifstream in(p, std::ios::binary);
  if (!in) return std::nullopt;
  // The standard library throws from the stream buffer on a read error
  // (EIO, a /proc file whose process ended): that is "cannot be read" too.
  try {
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return data;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

std::optional<fs::path> WriteTemporaryBeside(const fs::path& target, std::string_view bytes, std::string* error) {
  auto fail = [&](const std::string& why) -> std::optional<fs::path> {
    if (error) *error = why;
    return std::nullopt;
  };
  fs::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  std::string tmpl = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  int fd = ::mkstemp(tmpl.data());
  if (fd < 0) return fail(std::string("cannot create a file in ") + folder.string() + ": " + std::strerror(errno));
  struct stat st {};
  mode_t mode = 0644;
  if (::stat(target.c_str(), &st) == 0) mode = st.st_mode & 07777;
  ::fchmod(fd, mode);
  bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  int saved = errno;
  ok = (::close(fd) == 0) && ok;
  if (!ok) {
    ::unlink(tmpl.c_str());
    return fail(std::string("cannot write ") + target.string() + ": " + std::strerror(saved ? saved : errno));
  }
  return fs::path(tmpl);
}

bool AtomicWriteFile(const fs::path& target, std::string_view bytes, std::string* error) {
  const std::optional<fs::path> tmp = WriteTemporaryBeside(target, bytes, error);
  if (!tmp) return false;
  if (::rename(tmp->c_str(), target.c_str()) != 0) {
    const int saved = errno;
    ::unlink(tmp->c_str());
    if (error) *error = std::string("cannot replace ") + target.string() + ": " + std::strerror(saved);
    return false;
  }
  return true;
}

bool CopyFileAtomic(const fs::path& from, const fs::path& to, std::string* error) {
  auto data = ReadWholeFile(from);
  if (!data) {
    if (error) *error = "cannot read " + from.string();
    return false;
  }
  return AtomicWriteFile(to, *data, error);
}

void DeleteFileUntilGone(const fs::path& p, const std::function<void()>& yield) {
  for (int attempt = 0; attempt < 200; ++attempt) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(p, ec))) return;
    if (fs::is_directory(fs::symlink_status(p, ec))) return;  // not a file: nothing we may delete
    ::unlink(p.c_str());
    if (!fs::exists(fs::symlink_status(p, ec))) return;
    if (yield) yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

std::optional<fs::path> FindCaseInsensitive(const fs::path& base, std::string_view relative,
                                            bool allow_parent) {
  fs::path cur = base;
  for (const std::string& part : SplitComponents(relative)) {
    if (part == ".") continue;
    if (part == "..") {
      if (!allow_parent) return std::nullopt;
      cur /= "..";
      continue;
    }
    std::error_code ec;
    fs::path exact = cur / part;
    if (fs::exists(exact, ec)) {
      cur = exact;
      continue;
    }
    // The simulator's content names files in any letter case.
    std::optional<fs::path> found;
    DIR* dir = ::opendir(cur.c_str());
    if (!dir) return std::nullopt;
    const std::string want = Utf8ToCp1252(part);
    while (dirent* e = ::readdir(dir)) {
      std::string name = e->d_name;
      if (name == "." || name == "..") continue;
      if (EqualsNoCase(Utf8Valid(name), want)) {
        found = cur / name;
        break;
      }
    }
    ::closedir(dir);
    if (!found) return std::nullopt;
    cur = *found;
  }
  return cur;
}

fs::path WinePrefix() {
  if (const char* p = std::getenv("WINEPREFIX"); p && *p) return fs::path(p);
  const char* home = std::getenv("HOME");
  return fs::path(home && *home ? home : "/root") / ".wine";
}

std::optional<fs::path> ResolveSimulatorPath(std::string_view path, const fs::path& relativeTo) {
  std::string p = Trim(path);
  if (p.empty()) return std::nullopt;
  bool drive = p.size() >= 2 && p[1] == ':' &&
               ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'));
  if (drive) {
    char letter = LowerChar(p[0]);
    std::string rest = p.substr(2);
    fs::path prefix = WinePrefix();
    std::vector<fs::path> roots;
    roots.push_back(prefix / "dosdevices" / (std::string(1, letter) + ":"));
    if (letter == 'c') roots.push_back(prefix / "drive_c");
    for (const auto& root : roots) {
      if (!FolderExists(root)) continue;
      if (auto found = FindCaseInsensitive(root, rest)) return found;
    }
    return std::nullopt;
  }
  if (p[0] == '/' || p[0] == '\\') return FindCaseInsensitive("/", p);
  return FindCaseInsensitive(relativeTo, p);
}

std::vector<std::string> ListFolder(const fs::path& folder, bool folders) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return names;
  while (dirent* e = ::readdir(dir)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    std::error_code ec;
    fs::file_status st = fs::status(folder / name, ec);
    if (ec) continue;
    if (folders ? fs::is_directory(st) : fs::is_regular_file(st)) names.push_back(name);
  }
  ::closedir(dir);
  return names;
}

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name)
    if (c == '/' || c == '\\' || c == '\0') return false;
  return true;
}

}  // namespace talvane

namespace talvane {

bool WriteWithBackup(const fs::path& file, const fs::path& backup, std::string_view bytes,
                     const std::function<void()>& yield, std::string* error) {
  if (FileExists(file)) {
    DeleteFileUntilGone(backup, yield);
    if (!CopyFileAtomic(file, backup, error)) return false;
  }
  return AtomicWriteFile(file, bytes, error);
}

}  // namespace talvane
