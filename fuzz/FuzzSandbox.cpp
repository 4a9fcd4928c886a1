#include "fuzz/FuzzSandbox.h"

#include <sqlite3.h>

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace fuzz {

namespace {

namespace fs = std::filesystem;

sqlite3_vfs* BaseVfs = nullptr;
sqlite3_vfs ConfinedVfs;
std::string ConfinedDir;  // absolute, without a trailing '/'

/// Whether a path lies below the confined directory, after ".." and "." are resolved.
/// The directory holds no links (nothing can create one), so the text decides.
bool Inside(const char* path) {
  std::string norm = fs::path(path).lexically_normal().string();
  return norm.size() > ConfinedDir.size() + 1 && norm.compare(0, ConfinedDir.size(), ConfinedDir) == 0 &&
         norm[ConfinedDir.size()] == '/';
}

int ConfinedOpen(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
  if (name) {
    if (!Inside(name)) return SQLITE_CANTOPEN;
    flags &= ~(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_DELETEONCLOSE);
    flags |= SQLITE_OPEN_READONLY;
  }
  return BaseVfs->xOpen(BaseVfs, name, file, flags, outFlags);
}

int ConfinedDelete(sqlite3_vfs*, const char*, int) { return SQLITE_IOERR_DELETE; }

constexpr const char* SandboxPrefix = "qorfuzz-";

void RemoveSandbox() {
  std::error_code ec;
  fs::remove_all(SandboxDir(), ec);
}

/// Removes the sandboxes of runs that ended without cleaning up (a crash ends a run by a
/// signal): "qorfuzz-PID-XXXXXX" whose process no longer exists.
void RemoveStaleSandboxes(const fs::path& tmp) {
  std::error_code ec;
  for (fs::directory_iterator it(tmp, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.rfind(SandboxPrefix, 0) != 0) continue;
    const std::size_t dash = name.find('-', std::char_traits<char>::length(SandboxPrefix));
    if (dash == std::string::npos) continue;
    const std::string digits = name.substr(std::char_traits<char>::length(SandboxPrefix),
                                           dash - std::char_traits<char>::length(SandboxPrefix));
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) continue;
    const long pid = std::strtol(digits.c_str(), nullptr, 10);
    if (pid <= 0 || ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    std::error_code ignored;
    fs::remove_all(it->path(), ignored);
  }
}

}  // namespace

const std::string& SandboxDir() {
  static const std::string dir = [] {
    const fs::path tmp = fs::temp_directory_path();
    RemoveStaleSandboxes(tmp);
    std::string templ = (tmp / (SandboxPrefix + std::to_string(::getpid()) + "-XXXXXX")).string();
    if (!::mkdtemp(templ.data())) {
      std::perror("qorfuzz: mkdtemp");
      std::abort();
    }
    std::string path = fs::canonical(templ).string();
    return path;
  }();
  static const bool cleaned = (std::atexit(RemoveSandbox), true);
  (void)cleaned;
  return dir;
}

void ConfineSQLite(const std::string& dir) {
  ConfinedDir = fs::canonical(dir).string();
  BaseVfs = sqlite3_vfs_find(nullptr);
  ConfinedVfs = *BaseVfs;
  ConfinedVfs.zName = "qorfuzz-confined";
  ConfinedVfs.pNext = nullptr;
  ConfinedVfs.xOpen = ConfinedOpen;
  ConfinedVfs.xDelete = ConfinedDelete;
  if (sqlite3_vfs_register(&ConfinedVfs, 1) != SQLITE_OK) {
    std::fputs("qorfuzz: cannot register the confined SQLite VFS\n", stderr);
    std::abort();
  }
}

}  // namespace fuzz
