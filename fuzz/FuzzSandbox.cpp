#include "fuzz/FuzzSandbox.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
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

void RemoveSandbox() {
  std::error_code ec;
  fs::remove_all(SandboxDir(), ec);
}

}  // namespace

const std::string& SandboxDir() {
  static const std::string dir = [] {
    std::string templ = (fs::temp_directory_path() / "qorfuzz-XXXXXX").string();
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
