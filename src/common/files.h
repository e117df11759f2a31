// File helpers: whole-file reads, atomic replacement, and the case-insensitive
// path lookup that the simulator's content (written for Windows) needs.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talvane {

namespace fs = std::filesystem;

// Text held in Windows-1252 <-> a native (UTF-8) file-system name.
fs::path PathFromAnsi(std::string_view ansi);
std::string AnsiFromPath(const fs::path& p);

bool FileExists(const fs::path& p);      // a regular file (or a link to one)
bool FolderExists(const fs::path& p);

// Reads a whole file; nullopt when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const fs::path& p);

// Writes `bytes` to a temporary file beside `target`, flushes it and renames it
// over `target`, so the target is either the old or the new file, never half
// of one. Keeps the permission bits of an existing target. On failure the
// temporary file is removed, `error` (if given) says why, and false is returned.
bool AtomicWriteFile(const fs::path& target, std::string_view bytes, std::string* error = nullptr);

// The first half of AtomicWriteFile, for writers that land several files
// together: writes `bytes` to a new temporary file beside `target`, flushed
// and with the permission bits AtomicWriteFile gives it, and returns its
// path. The caller renames it over `target` or removes it. nullopt on
// failure, with nothing left behind and `error` (if given) saying why.
std::optional<fs::path> WriteTemporaryBeside(const fs::path& target, std::string_view bytes,
                                             std::string* error = nullptr);

// Copies `from` over `to` through AtomicWriteFile.
bool CopyFileAtomic(const fs::path& from, const fs::path& to, std::string* error = nullptr);

// Deletes the file and repeats while it is still there, calling `yield`
// between attempts so pending events can run. Errors are ignored. Gives up
// after a bounded number of attempts (about two seconds) rather than hang on
// a file that cannot be deleted.
void DeleteFileUntilGone(const fs::path& p, const std::function<void()>& yield = {});

// Finds `relative` below `base`, matching each component without regard to
// letter case when the exact name is not there. `relative` may use '\' or '/'
// as separators; empty components, "." are skipped. ".." is followed only
// when `allow_parent` is true. Returns the path as it exists on disk, or
// nullopt when some component is missing.
std::optional<fs::path> FindCaseInsensitive(const fs::path& base, std::string_view relative,
                                            bool allow_parent = true);

// Turns a path written by or for the simulator (Windows drive path such as
// "C:\Program Files\FSX\fsx.cfg", or a Linux path, either with any letter
// case) into the existing file-system path it names. Drive letters are mapped
// through the Wine prefix (WINEPREFIX, default ~/.wine): its dosdevices links,
// and drive_c for C:. A relative path is found below `relativeTo`, never
// below the process's current directory. Returns nullopt when nothing exists
// there.
std::optional<fs::path> ResolveSimulatorPath(std::string_view path, const fs::path& relativeTo);

// The Wine prefix folder in use.
fs::path WinePrefix();

// The regular files or folders directly inside `folder`, in the order the
// file system returns them (no sorting), names only.
std::vector<std::string> ListFolder(const fs::path& folder, bool folders);

// True when `name` is usable as one file name component inside a folder:
// not empty, not "." or "..", no separator, no NUL.
bool IsPlainFileName(std::string_view name);

}  // namespace talvane

namespace talvane {

// Replaces `file` with `bytes`, first keeping the current file as `backup`
// (an older backup is deleted). The new file lands atomically, so a failure
// leaves the current file in place. Returns false on failure with `error` set.
bool WriteWithBackup(const fs::path& file, const fs::path& backup, std::string_view bytes,
                     const std::function<void()>& yield = {}, std::string* error = nullptr);

}  // namespace talvane
