#include "framework/engine/Database.h"

#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <filesystem>

#include "framework/core/Consts.h"
#include "framework/core/Exceptions.h"
#include "framework/core/Text.h"
#include "framework/core/TypInfo.h"
#include "framework/engine/DBDataSet.h"
#include "framework/engine/Session.h"

namespace fw {

namespace fs = std::filesystem;

namespace {

std::string ParamValue(const std::vector<std::string>& params, const std::string& name) {
  for (const auto& p : params) {
    auto eq = p.find('=');
    if (eq != std::string::npos && SameText(Trim(p.substr(0, eq)), name)) return Trim(p.substr(eq + 1));
  }
  return {};
}

std::string Quote(const std::string& id) {
  std::string out = "\"";
  for (char c : id) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

/// Schema and table of a table file: People.db is the table "db" of the schema "People".
void SplitTableName(const std::string& tableName, std::string& schema, std::string& table) {
  std::string base = fs::path(tableName).filename().string();
  auto dot = base.rfind('.');
  if (dot == std::string::npos || dot == 0) {
    schema = base;
    table = "data";
  } else {
    schema = base.substr(0, dot);
    table = LowerCase(base.substr(dot + 1));
  }
}

// A table name names a file directly inside the database directory.
bool IsPlainTableName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

}  // namespace

const TClassInfo& TDatabase::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TDatabase>("TDatabase", &TComponent::StaticClass())
          .Prop("AliasName", &TDatabase::GetAliasName, &TDatabase::SetAliasName)
          .Prop("Connected", &TDatabase::GetConnected, &TDatabase::SetConnected).Default(0)
          .Prop("DatabaseName", &TDatabase::GetDatabaseName, &TDatabase::SetDatabaseName)
          .Prop("DriverName", &TDatabase::GetDriverName, &TDatabase::SetDriverName)
          .Prop("Params", &TDatabase::GetParams, &TDatabase::SetParams)
          .Build();
  return info;
}

TDatabase::TDatabase(TComponent* owner) : TComponent(owner), FParams(std::make_unique<TStringList>()) {
  Session()->AddDatabase(this);
}

TDatabase::~TDatabase() {
  for (TDBDataSet* ds : std::vector<TDBDataSet*>(FDataSets)) {
    try {
      ds->Close();
    } catch (...) {
    }
  }
  Disconnect();
  Session()->RemoveDatabase(this);
}

void TDatabase::SetDatabaseName(const std::string& name) {
  if (GetConnected()) DatabaseError("Cannot change the name of a connected database", this);
  FDatabaseName = name;
}

void TDatabase::SetAliasName(const std::string& name) {
  if (GetConnected()) DatabaseError("Cannot change the alias of a connected database", this);
  FAliasName = name;
  if (!name.empty()) FDriverName.clear();
}

void TDatabase::SetDriverName(const std::string& name) {
  if (GetConnected()) DatabaseError("Cannot change the driver of a connected database", this);
  FDriverName = name;
  if (!name.empty()) FAliasName.clear();
}

void TDatabase::SetParams(TStrings* params) { FParams->Assign(params); }

void TDatabase::SetConnected(bool value) {
  if (HasState(csReading) || HasState(csLoading)) {
    // Connecting needs the alias or Params, which a form file may list after Connected.
    FConnectPending = value;
    if (value) return;
  }
  if (value == GetConnected()) return;
  if (value)
    Connect();
  else
    Disconnect();
}

void TDatabase::Loaded() {
  TComponent::Loaded();
  if (FConnectPending) {
    FConnectPending = false;
    SetConnected(true);
  }
}

bool TDatabase::ParseBusyTimeout(std::string_view text, int& milliseconds) {
  if (text.empty() || text.size() > 10) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  long long value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value > INT_MAX) return false;
  milliseconds = static_cast<int>(value);
  return true;
}

std::string TDatabase::DisplayName() const {
  if (!FDatabaseName.empty()) return FDatabaseName;
  if (!FAliasName.empty()) return FAliasName;
  return FPath;
}

bool TDatabase::IsSQLBased() const {
  if (GetConnected()) return FSQLBased;
  std::string driver = FAliasName.empty() ? FDriverName : Session()->GetAliasDriverName(FAliasName);
  return !driver.empty() && !SameText(driver, szCFGDBSTANDARD);
}

void TDatabase::Connect() {
  std::string driver;
  std::vector<std::string> params = FParams->ToVector();
  if (!FAliasName.empty()) {
    if (!Session()->IsAlias(FAliasName))
      DatabaseErrorFmt("Alias '%s' not found", {FAliasName}, this);
    driver = Session()->GetAliasDriverName(FAliasName);
    auto aliasParams = Session()->GetAliasParams(FAliasName);
    params.insert(params.begin(), aliasParams.begin(), aliasParams.end());
  } else {
    driver = FDriverName.empty() ? szCFGDBSTANDARD : FDriverName;
  }
  FPath = ParamValue(params, "PATH");
  std::string timeout = ParamValue(params, "BUSY TIMEOUT");
  FBusyTimeout = 5000;
  if (!timeout.empty() && !ParseBusyTimeout(timeout, FBusyTimeout))
    DatabaseErrorFmt(SInvalidBusyTimeout, {timeout, "database '" + DisplayName() + "'"}, this);
  FSQLBased = !SameText(driver, szCFGDBSTANDARD);
  std::string what = FAliasName.empty() ? FDatabaseName : "alias '" + FAliasName + "'";
  if (FPath.empty()) DatabaseErrorFmt("No PATH for %s", {what}, this);
  if (FSQLBased && !SameText(driver, "SQLITE"))
    DatabaseErrorFmt("Unknown driver '%s' for %s", {driver, what}, this);
  std::error_code ec;
  if (!FSQLBased && !fs::is_directory(FPath, ec))
    DatabaseErrorFmt("Directory '%s' of %s does not exist", {FPath, what}, this);
  sqlite3* db = nullptr;
  // One thread uses a connection: SQLite need not lock around each call.
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
  int rc = sqlite3_open_v2(FSQLBased ? FPath.c_str() : ":memory:", &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    std::string msg = db ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_close(db);
    DatabaseErrorFmt("Cannot open '%s': %s", {FPath, msg}, this);
  }
  sqlite3_busy_timeout(db, FBusyTimeout);
  FConnection = db;
  FAttached.clear();
  if (FSQLBased) {
    // A file that is not a database shows at the first read.
    int check = sqlite3_exec(db, "select count(*) from sqlite_master", nullptr, nullptr, nullptr);
    if (check != SQLITE_OK) {
      std::string msg = sqlite3_errmsg(db);
      Disconnect();
      DatabaseErrorFmt("Cannot open '%s': %s", {FPath, msg}, this);
    }
  }
}

void TDatabase::Disconnect() {
  for (TDBDataSet* ds : std::vector<TDBDataSet*>(FDataSets)) {
    try {
      ds->Close();
    } catch (...) {
    }
  }
  if (FConnection) sqlite3_close_v2(FConnection);
  FConnection = nullptr;
  FAttached.clear();
}

sqlite3* TDatabase::Handle() {
  if (!FConnection) Connect();
  return FConnection;
}

void TDatabase::Fail(const std::string& what) const {
  if (!FConnection) DatabaseError(what + ": not connected", this);
  FailWith(what, sqlite3_errcode(FConnection), sqlite3_errmsg(FConnection));
}

void TDatabase::FailWith(const std::string& what, int code, const std::string& reason) const {
  if ((code & 0xFF) == SQLITE_BUSY || (code & 0xFF) == SQLITE_LOCKED)
    DatabaseErrorFmt(SDatabaseLocked, {what, DisplayName(), reason}, this);
  DatabaseError(what + ": " + reason, this);
}

void TDatabase::Execute(const std::string& sql) {
  char* err = nullptr;
  int rc = sqlite3_exec(Handle(), sql.c_str(), nullptr, nullptr, &err);
  if (rc != SQLITE_OK) {
    std::string reason = err ? err : sqlite3_errmsg(FConnection);
    sqlite3_free(err);
    FailWith("Statement \"" + sql + "\" failed", rc, reason);
  }
}

std::string TDatabase::TableFilePath(const std::string& tableName) const {
  if (!IsPlainTableName(tableName)) DatabaseErrorFmt(SInvalidTableName, {tableName, FPath}, this);
  fs::path direct = fs::path(FPath) / tableName;
  std::error_code ec;
  if (fs::exists(direct, ec)) return direct.string();
  fs::path dir = direct.parent_path();
  std::string file = direct.filename().string();
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
    if (SameText(it->path().filename().string(), file)) return it->path().string();
  return direct.string();
}

void TDatabase::Attach(const std::string& schema, const std::string& file) {
  for (const auto& s : FAttached)
    if (SameText(s, schema)) return;
  // SQLite attaches a limited number of files to one connection: let the oldest go.
  int limit = sqlite3_limit(Handle(), SQLITE_LIMIT_ATTACHED, -1);
  while (!FAttached.empty() && static_cast<int>(FAttached.size()) >= limit) {
    Execute("detach database " + Quote(FAttached.front()));
    FAttached.erase(FAttached.begin());
  }
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(FConnection, "attach database ? as ?", -1, &stmt, nullptr) != SQLITE_OK)
    Fail("Cannot attach '" + file + "'");
  sqlite3_bind_text(stmt, 1, file.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(stmt, 2, schema.c_str(), -1, SQLITE_TRANSIENT);
  int rc = sqlite3_step(stmt);
  sqlite3_finalize(stmt);
  if (rc != SQLITE_DONE) Fail("Cannot attach table file '" + file + "'");
  FAttached.push_back(schema);
  // A file that is not a database shows at its first read.
  std::string probe = "select count(*) from " + Quote(schema) + ".sqlite_master";
  char* err = nullptr;
  int probed = sqlite3_exec(FConnection, probe.c_str(), nullptr, nullptr, &err);
  if (probed != SQLITE_OK) {
    std::string reason = err ? err : sqlite3_errmsg(FConnection);
    sqlite3_free(err);
    sqlite3_exec(FConnection, ("detach database " + Quote(schema)).c_str(), nullptr, nullptr, nullptr);
    FAttached.pop_back();
    FailWith("Table file '" + file + "' cannot be read", probed, reason);
  }
}

std::string TDatabase::TableSQLName(const std::string& tableName, bool mustExist) {
  Handle();
  if (FSQLBased) return Quote(tableName);
  std::string schema, table;
  SplitTableName(tableName, schema, table);
  std::string file = TableFilePath(tableName);
  std::error_code ec;
  if (mustExist && !fs::exists(file, ec))
    DatabaseErrorFmt("Table '%s' does not exist: no file '%s'", {tableName, file}, this);
  Attach(schema, file);
  return Quote(schema) + "." + Quote(table);
}

void TDatabase::AttachTablesOf(const std::string& sql) {
  Handle();
  if (FSQLBased) return;
  // Names written as File.ext outside quotes that name a table file of the directory.
  std::size_t i = 0, n = sql.size();
  auto identChar = [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
  };
  while (i < n) {
    char c = sql[i];
    if (c == '\'' || c == '"' || c == '`' || c == '[') {
      char close = c == '[' ? ']' : c;
      ++i;
      while (i < n && sql[i] != close) ++i;
      ++i;
      continue;
    }
    if (!identChar(c)) {
      ++i;
      continue;
    }
    std::size_t start = i;
    while (i < n && identChar(sql[i])) ++i;
    if (i + 1 < n && sql[i] == '.' && identChar(sql[i + 1])) {
      std::size_t j = i + 1;
      while (j < n && identChar(sql[j])) ++j;
      std::string name = sql.substr(start, j - start);
      std::error_code ec;
      std::string file = TableFilePath(name);
      if (fs::is_regular_file(file, ec)) {
        std::string schema, table;
        SplitTableName(name, schema, table);
        Attach(schema, file);
      }
      i = j;
    }
  }
}

void TDatabase::AddDataSet(TDBDataSet* ds) {
  if (std::find(FDataSets.begin(), FDataSets.end(), ds) == FDataSets.end()) FDataSets.push_back(ds);
}

void TDatabase::RemoveDataSet(TDBDataSet* ds) {
  FDataSets.erase(std::remove(FDataSets.begin(), FDataSets.end(), ds), FDataSets.end());
}

}  // namespace fw
