// The engine's session: aliases of this process and of the persistent alias store (a
// small text file of "[Name]" sections written atomically), and the list of databases.
#include "framework/engine/Session.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <unordered_set>

#include "framework/core/Consts.h"
#include "framework/core/Exceptions.h"
#include "framework/core/Scoped.h"
#include "framework/core/Strings.h"
#include "framework/core/Text.h"
#include "framework/engine/Database.h"

namespace fw {

namespace {

constexpr const char* SDriverKey = "DRIVER";
constexpr const char* SBusyTimeoutKey = "BUSY TIMEOUT";

bool HasLineBreak(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }

// A name that the store can hold as a "[Name]" section and give back unchanged.
bool IsValidAliasName(const std::string& name) {
  return !name.empty() && Trim(name) == name && name.find_first_of("=[]\r\n") == std::string::npos;
}

void CheckAliasName(const std::string& name) {
  if (!IsValidAliasName(name)) DatabaseErrorFmt(SInvalidAliasName, {name});
}

// Splits "NAME=VALUE" into its trimmed parts; false without '=' or without a name.
bool SplitParam(const std::string& line, std::string& key, std::string& value) {
  std::size_t eq = line.find('=');
  if (eq == std::string::npos) return false;
  key = Trim(std::string_view(line).substr(0, eq));
  value = Trim(std::string_view(line).substr(eq + 1));
  return !key.empty();
}

// The parameters as the store writes them ("NAME=VALUE", both trimmed). A parameter must
// not read back as something else: a comment, a section, the DRIVER line or two lines.
std::vector<std::string> CheckedParams(const std::string& alias, const std::vector<std::string>& params) {
  std::vector<std::string> out;
  out.reserve(params.size());
  for (const std::string& p : params) {
    std::string key, value;
    if (HasLineBreak(p) || !SplitParam(p, key, value) || key[0] == ';' || key[0] == '#' ||
        key[0] == '[' || SameText(key, SDriverKey))
      DatabaseErrorFmt(SInvalidAliasParam, {p, alias});
    int ms = 0;
    if (SameText(key, SBusyTimeoutKey) && !value.empty() && !TDatabase::ParseBusyTimeout(value, ms))
      DatabaseErrorFmt(SInvalidBusyTimeout, {value, Format(SAliasWhat, {alias})});
    out.push_back(key + "=" + value);
  }
  return out;
}

std::string CheckedDriver(const std::string& alias, const std::string& driver) {
  std::string d = Trim(driver);
  if (d.empty() || HasLineBreak(d)) DatabaseErrorFmt(SInvalidAliasDriver, {driver, alias});
  return d;
}

// Where AddAlias and DeleteAlias act: the store unless the mode is exactly [cfmSession]
// or leaves cfmPersistent out.
bool ActsOnStore(TConfigMode mode) {
  return !(mode == TConfigMode{cfmSession}) && mode.Contains(cfmPersistent);
}
bool SeesStore(TConfigMode mode) { return mode.Contains(cfmPersistent) || mode.Contains(cfmVirtual); }
bool SeesSession(TConfigMode mode) { return mode.Contains(cfmSession) || mode.Contains(cfmVirtual); }

std::string ErrnoText(int err) { return std::strerror(err); }

// What tells one version of the store file from another: a file replaced by rename has
// another inode, a file rewritten in place another size or modification time.
struct TFileIdentity {
  bool Exists = false;
  std::uint64_t Device = 0, Inode = 0;
  std::int64_t Size = 0, MTimeSec = 0, MTimeNSec = 0;

  static TFileIdentity Of(const struct stat& st) {
    return {true,
            static_cast<std::uint64_t>(st.st_dev),
            static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::int64_t>(st.st_size),
            static_cast<std::int64_t>(st.st_mtim.tv_sec),
            static_cast<std::int64_t>(st.st_mtim.tv_nsec)};
  }
  friend bool operator==(const TFileIdentity&, const TFileIdentity&) = default;
};

// The identity of the file now; Exists is false when there is none. Any other failure
// to look at it gives an identity that matches nothing cached, so the read that follows
// reports the error.
bool StatStoreFile(const std::string& path, TFileIdentity& id) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return false;
    id = TFileIdentity::Of(st);
    return true;
  }
  if (errno != ENOENT) return false;
  id = TFileIdentity{};
  return true;
}

// The whole file and the identity of what was read; false when it does not exist.
// Raises when it exists but cannot be read.
bool ReadStoreFile(const std::string& path, std::string& text, TFileIdentity& id) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return false;
    DatabaseErrorFmt(SStoreUnreadable, {path, ErrnoText(errno)});
  }
  TScopeExit close([fd] { ::close(fd); });
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode))
    DatabaseErrorFmt(SStoreUnreadable, {path, ErrnoText(S_ISDIR(st.st_mode) ? EISDIR : errno)});
  id = TFileIdentity::Of(st);
  text.clear();
  text.reserve(static_cast<std::size_t>(st.st_size));
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      DatabaseErrorFmt(SStoreUnreadable, {path, ErrnoText(errno)});
    }
    text.append(buf, static_cast<std::size_t>(n));
  }
  return true;
}

std::string DirectoryOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Creates a directory and its missing parents (mode 0700 for the ones created).
bool MakeDirectories(const std::string& dir, int& err) {
  struct stat st {};
  if (::stat(dir.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return true;
    err = ENOTDIR;
    return false;
  }
  std::string parent = DirectoryOf(dir);
  if (parent != dir && !MakeDirectories(parent, err)) return false;
  if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
    err = errno;
    return false;
  }
  return true;
}

// Writes the text to a new file beside `path` and renames it over `path`, so that readers
// see either the old store or the new one. A new store gets mode 0600; an existing one
// keeps its mode. Returns the identity of the file written (a rename keeps it).
TFileIdentity WriteStoreFile(const std::string& path, const std::string& text) {
  int err = 0;
  std::string dir = DirectoryOf(path);
  if (!MakeDirectories(dir, err)) DatabaseErrorFmt(SStoreUnwritable, {path, ErrnoText(err)});

  std::string name = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
  std::string temp = (dir == "/" ? "/" : dir + "/") + "." + name + ".XXXXXX";
  int fd = ::mkstemp(temp.data());  // creates the file with mode 0600
  if (fd < 0) DatabaseErrorFmt(SStoreUnwritable, {path, ErrnoText(errno)});

  auto fail = [&](int e) {
    ::close(fd);
    ::unlink(temp.c_str());
    DatabaseErrorFmt(SStoreUnwritable, {path, ErrnoText(e)});
  };
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && ::fchmod(fd, st.st_mode & 07777) != 0) fail(errno);
  std::size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(errno);
    }
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0) fail(errno);
  struct stat written {};
  if (::fstat(fd, &written) != 0) fail(errno);
  if (::close(fd) != 0) {
    err = errno;
    ::unlink(temp.c_str());
    DatabaseErrorFmt(SStoreUnwritable, {path, ErrnoText(err)});
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    err = errno;
    ::unlink(temp.c_str());
    DatabaseErrorFmt(SStoreUnwritable, {path, ErrnoText(err)});
  }
  return TFileIdentity::Of(written);
}

std::string EnvValue(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

}  // namespace

const TClassInfo& TSession::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TSession>("TSession", &TComponent::StaticClass()).Build();
  return info;
}

// The store as last read: the aliases in file order and an index by folded name.
struct TSession::TStoreCache {
  bool Valid = false;
  std::string Path;
  TFileIdentity Identity;
  std::vector<TAlias> Aliases;
  std::unordered_map<std::string, std::size_t> Index;

  void Set(std::string path, const TFileIdentity& identity, std::vector<TAlias> aliases) {
    Valid = false;
    Index.clear();
    Index.reserve(aliases.size());
    for (std::size_t i = 0; i < aliases.size(); ++i) Index.emplace(CaseFold(aliases[i].Name), i);
    Aliases = std::move(aliases);
    Path = std::move(path);
    Identity = identity;
    Valid = true;
  }
};

TSession::TSession(TComponent* owner) : TComponent(owner), FStore(std::make_unique<TStoreCache>()) {}

TSession::~TSession() {
  // Free the databases the session owns while the list is still here: each one leaves
  // the list through RemoveDatabase as it is freed. Whatever is left belongs to others.
  Destroying();
  DestroyComponents();
  FDatabases.clear();
}

// ---- Aliases --------------------------------------------------------------------

std::string TSession::AliasStorePath() {
  std::string path = EnvValue("QOR_ALIAS_STORE");
  if (!path.empty()) return path;
  std::string config = EnvValue("XDG_CONFIG_HOME");
  if (config.empty()) {
    std::string home = EnvValue("HOME");
    if (home.empty()) {
      if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) home = pw->pw_dir;
    }
    config = home + "/.config";
  }
  return config + "/qorlookup/aliases.conf";
}

// Parses the store in one pass; every check is a lookup, so a large store is read in
// time proportional to its size. A corrupt store raises and is not cached.
const std::vector<TSession::TAlias>& TSession::LoadStore() const {
  std::string path = AliasStorePath();
  TFileIdentity now;
  if (FStore->Valid && FStore->Path == path && StatStoreFile(path, now) && now == FStore->Identity)
    return FStore->Aliases;

  std::string text;
  TFileIdentity identity;
  if (!ReadStoreFile(path, text, identity)) {
    FStore->Set(path, TFileIdentity{}, {});
    return FStore->Aliases;
  }
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);

  std::vector<TAlias> aliases;
  std::unordered_set<std::string> names;
  int sectionLine = 0;   // line of the current section's header
  bool hasDriver = false;
  auto corrupt = [&](int line, const std::string& what) {
    DatabaseErrorFmt(SStoreCorrupt, {path, line, what});
  };
  auto endSection = [&]() {
    if (!aliases.empty() && !hasDriver)
      corrupt(sectionLine, Format(SStoreNoDriver, {aliases.back().Name}));
  };

  int lineNo = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string t = Trim(std::string_view(text).substr(pos, end - pos));
    pos = end + 1;
    ++lineNo;
    if (t.empty() || t[0] == ';' || t[0] == '#') continue;

    if (t[0] == '[') {
      endSection();
      if (t.back() != ']') corrupt(lineNo, SStoreOpenSection);
      std::string name = Trim(std::string_view(t).substr(1, t.size() - 2));
      if (!IsValidAliasName(name)) corrupt(lineNo, Format(SStoreInvalidName, {name}));
      if (!names.insert(CaseFold(name)).second) corrupt(lineNo, Format(SStoreDuplicateAlias, {name}));
      aliases.push_back({name, {}, {}});
      sectionLine = lineNo;
      hasDriver = false;
      continue;
    }

    if (aliases.empty()) corrupt(lineNo, SStoreOutsideSection);
    std::string key, value;
    if (t.find('=') == std::string::npos) corrupt(lineNo, SStoreNoEquals);
    if (!SplitParam(t, key, value)) corrupt(lineNo, SStoreNoParamName);
    TAlias& alias = aliases.back();
    if (SameText(key, SDriverKey)) {
      if (hasDriver) corrupt(lineNo, Format(SStoreSecondDriver, {alias.Name}));
      if (value.empty()) corrupt(lineNo, Format(SStoreEmptyDriver, {alias.Name}));
      alias.Driver = value;
      hasDriver = true;
    } else {
      int ms = 0;
      if (SameText(key, SBusyTimeoutKey) && !value.empty() && !TDatabase::ParseBusyTimeout(value, ms))
        corrupt(lineNo, Format(SStoreBadBusyTimeout, {value, alias.Name}));
      alias.Params.push_back(key + "=" + value);
    }
  }
  endSection();
  FStore->Set(path, identity, std::move(aliases));
  return FStore->Aliases;
}

const TSession::TAlias* TSession::FindStoredAlias(const std::string& name) const {
  const std::vector<TAlias>& aliases = LoadStore();
  auto it = FStore->Index.find(CaseFold(name));
  return it == FStore->Index.end() ? nullptr : &aliases[it->second];
}

void TSession::SaveStore(std::vector<TAlias> aliases) const {
  std::string text;
  for (const TAlias& a : aliases) {
    if (!text.empty()) text += '\n';
    text += "[" + a.Name + "]\n";
    text += std::string(SDriverKey) + "=" + a.Driver + "\n";
    for (const std::string& p : a.Params) text += p + "\n";
  }
  std::string path = AliasStorePath();
  FStore->Valid = false;
  TFileIdentity identity = WriteStoreFile(path, text);
  FStore->Set(path, identity, std::move(aliases));
}

const TSession::TAlias* TSession::FindSessionAlias(const std::string& name) const {
  for (const TAlias& a : FSessionAliases)
    if (SameText(a.Name, name)) return &a;
  return nullptr;
}

bool TSession::FindAlias(const std::string& name, TAlias& out) const {
  // A session alias hides a stored one of the same name, so the store is read only when
  // the session has none.
  if (SeesSession(FConfigMode)) {
    if (const TAlias* a = FindSessionAlias(name)) {
      out = *a;
      return true;
    }
  }
  if (SeesStore(FConfigMode)) {
    if (const TAlias* a = FindStoredAlias(name)) {
      out = *a;
      return true;
    }
  }
  return false;
}

bool TSession::IsAlias(const std::string& name) const {
  TAlias alias;
  return FindAlias(name, alias);
}

void TSession::AddStandardAlias(const std::string& name, const std::string& path,
                                const std::string& defaultDriver) {
  AddAlias(name, szCFGDBSTANDARD, {"PATH=" + path, "DEFAULT DRIVER=" + defaultDriver});
}

void TSession::AddAlias(const std::string& name, const std::string& driver,
                        const std::vector<std::string>& params) {
  CheckAliasName(name);
  TAlias alias{name, CheckedDriver(name, driver), CheckedParams(name, params)};
  if (ActsOnStore(FConfigMode)) {
    if (FindStoredAlias(name)) DatabaseErrorFmt(SAliasExists, {name});
    std::vector<TAlias> stored = LoadStore();
    stored.push_back(std::move(alias));
    SaveStore(std::move(stored));
  } else {
    if (FindSessionAlias(name)) DatabaseErrorFmt(SAliasExists, {name});
    FSessionAliases.push_back(std::move(alias));
  }
}

void TSession::DeleteAlias(const std::string& name) {
  auto same = [&](const TAlias& a) { return SameText(a.Name, name); };
  if (ActsOnStore(FConfigMode)) {
    std::vector<TAlias> stored = LoadStore();
    auto it = std::find_if(stored.begin(), stored.end(), same);
    if (it == stored.end()) DatabaseErrorFmt(SAliasNotFound, {name});
    stored.erase(it);
    SaveStore(std::move(stored));
  } else {
    auto it = std::find_if(FSessionAliases.begin(), FSessionAliases.end(), same);
    if (it == FSessionAliases.end()) DatabaseErrorFmt(SAliasNotFound, {name});
    FSessionAliases.erase(it);
  }
}

std::vector<std::string> TSession::GetAliasNames() const {
  std::vector<std::string> names;
  std::unordered_set<std::string> own;
  if (SeesSession(FConfigMode))
    for (const TAlias& a : FSessionAliases) {
      names.push_back(a.Name);
      own.insert(CaseFold(a.Name));
    }
  if (SeesStore(FConfigMode)) {
    const std::vector<TAlias>& stored = LoadStore();
    names.reserve(names.size() + stored.size());
    for (const TAlias& a : stored)
      if (own.empty() || !own.count(CaseFold(a.Name))) names.push_back(a.Name);
  }
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
  return names;
}

void TSession::GetAliasNames(TStrings* list) const {
  std::vector<std::string> names = GetAliasNames();  // may raise: leave the list alone then
  list->BeginUpdate();
  TScopeExit endUpdate([list] { list->EndUpdate(); });
  list->Clear();
  for (const std::string& n : names) list->Add(n);
}

std::string TSession::GetAliasDriverName(const std::string& name) const {
  TAlias alias;
  if (!FindAlias(name, alias)) DatabaseErrorFmt(SAliasNotFound, {name});
  return alias.Driver;
}

std::vector<std::string> TSession::GetAliasParams(const std::string& name) const {
  TAlias alias;
  if (!FindAlias(name, alias)) DatabaseErrorFmt(SAliasNotFound, {name});
  return alias.Params;
}

// ---- Databases ------------------------------------------------------------------

TDatabase* TSession::GetDatabase(int index) const {
  if (index < 0 || index >= GetDatabaseCount()) ListIndexError(index);
  return FDatabases[static_cast<std::size_t>(index)];
}

TDatabase* TSession::FindDatabase(const std::string& name) const {
  if (name.empty()) return nullptr;
  for (TDatabase* db : FDatabases)
    if (SameText(db->GetDatabaseName(), name)) return db;
  return nullptr;
}

TDatabase* TSession::OpenDatabase(const std::string& name) {
  TDatabase* db = FindDatabase(name);
  if (db) {
    db->Open();
  } else {
    if (!IsAlias(name)) DatabaseErrorFmt(SAliasNotFound, {name});
    // Held until it is connected, so that a failure frees it again.
    std::unique_ptr<TDatabase> created(new TDatabase(this));
    db = created.get();
    AddDatabase(db);  // databases register with the default session; this may be another
    try {
      db->SetDatabaseName(name);
      db->SetAliasName(name);
      db->SetTemporary(true);
      db->Open();
    } catch (...) {
      RemoveDatabase(db);
      throw;
    }
    created.release();
  }
  ++db->FUseCount;
  return db;
}

void TSession::CloseDatabase(TDatabase* database) {
  if (!database) return;
  if (database->FUseCount > 0) --database->FUseCount;
  if (database->FUseCount == 0 && database->GetTemporary()) {
    RemoveDatabase(database);
    delete database;
  }
}

void TSession::AddDatabase(TDatabase* database) {
  if (database && std::find(FDatabases.begin(), FDatabases.end(), database) == FDatabases.end())
    FDatabases.push_back(database);
}

void TSession::RemoveDatabase(TDatabase* database) {
  auto it = std::find(FDatabases.begin(), FDatabases.end(), database);
  if (it != FDatabases.end()) FDatabases.erase(it);
}

TSession* Session() {
  static const std::unique_ptr<TSession> session = [] {
    auto s = std::make_unique<TSession>(nullptr);
    s->SetName("Session");
    return s;
  }();
  return session.get();
}

}  // namespace fw
