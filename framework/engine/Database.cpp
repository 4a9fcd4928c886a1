#include "framework/engine/Database.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <filesystem>

#include "framework/core/Consts.h"
#include "framework/core/Exceptions.h"
#include "framework/core/Text.h"
#include "framework/core/TypInfo.h"
#include "framework/engine/DBDataSet.h"
#include "framework/engine/Driver.h"
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

/// The table of a table file: People.db is the table "db" of the schema "People".
TTableRef TableOfFile(const std::string& tableName) {
  std::string base = fs::path(tableName).filename().string();
  auto dot = base.rfind('.');
  if (dot == std::string::npos || dot == 0) return {base, "data"};
  return {base.substr(0, dot), LowerCase(base.substr(dot + 1))};
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
  Disconnect();
  Session()->RemoveDatabase(this);
}

void TDatabase::SetDatabaseName(const std::string& name) {
  if (GetConnected()) DatabaseError(SConnectedDatabaseName, this);
  FDatabaseName = name;
}

void TDatabase::SetAliasName(const std::string& name) {
  if (GetConnected()) DatabaseError(SConnectedDatabaseAlias, this);
  FAliasName = name;
  if (!name.empty()) FDriverName.clear();
}

void TDatabase::SetDriverName(const std::string& name) {
  if (GetConnected()) DatabaseError(SConnectedDatabaseDriver, this);
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
    if (!Session()->IsAlias(FAliasName)) DatabaseErrorFmt(SAliasNotFound, {FAliasName}, this);
    driver = Session()->GetAliasDriverName(FAliasName);
    auto aliasParams = Session()->GetAliasParams(FAliasName);
    params.insert(params.begin(), aliasParams.begin(), aliasParams.end());
  } else {
    driver = FDriverName.empty() ? szCFGDBSTANDARD : FDriverName;
  }
  FPath = ParamValue(params, "PATH");
  std::string timeout = ParamValue(params, "BUSY TIMEOUT");
  int busyTimeout = 5000;
  if (!timeout.empty() && !ParseBusyTimeout(timeout, busyTimeout))
    DatabaseErrorFmt(SInvalidBusyTimeout, {timeout, Format(SDatabaseWhat, {DisplayName()})}, this);
  FSQLBased = !SameText(driver, szCFGDBSTANDARD);
  std::string what = FAliasName.empty() ? FDatabaseName : Format(SAliasWhat, {FAliasName});
  if (FPath.empty()) DatabaseErrorFmt(SNoPath, {what}, this);
  const TDriver* found = FindDriver(driver);
  if (!found) DatabaseErrorFmt(SUnknownDriver, {driver, what}, this);
  std::error_code ec;
  if (!FSQLBased && !fs::is_directory(FPath, ec)) DatabaseErrorFmt(SNoDirectory, {FPath, what}, this);
  // A standard database is a connection without a database of its own: its table files
  // are attached on demand.
  TDriverError error;
  std::unique_ptr<TDriverConnection> connection =
      found->Connect({FSQLBased ? FPath : std::string(), busyTimeout, params}, error);
  if (!connection) DatabaseErrorFmt(SCannotOpen, {FPath, error.Message}, this);
  FConnection = std::move(connection);
  FAttached.clear();
  // A file that is not a database shows at the first read.
  if (FSQLBased && !FConnection->CheckSchema("")) {
    std::string reason = FConnection->GetLastError().Message;
    Disconnect();
    DatabaseErrorFmt(SCannotOpen, {FPath, reason}, this);
  }
}

void TDatabase::Disconnect() {
  for (TDBDataSet* ds : std::vector<TDBDataSet*>(FDataSets)) {
    try {
      ds->Close();
    } catch (...) {
    }
  }
  FConnection.reset();
  FAttached.clear();
}

TDriverConnection& TDatabase::Connection() {
  if (!FConnection) Connect();
  return *FConnection;
}

std::unique_ptr<TDriverStatement> TDatabase::Prepare(const std::string& sql, const std::string& what) {
  std::unique_ptr<TDriverStatement> stmt = Connection().Prepare(sql);
  if (!stmt) Fail(what);
  return stmt;
}

void TDatabase::Fail(const std::string& what) const {
  if (!FConnection) DatabaseErrorFmt(SNotConnected, {what}, this);
  FailWith(what, FConnection->GetLastError());
}

void TDatabase::FailWith(const std::string& what, const TDriverError& error) const {
  if (error.Locked) DatabaseErrorFmt(SDatabaseLocked, {what, DisplayName(), error.Message}, this);
  DatabaseErrorFmt(SDriverFailure, {what, error.Message}, this);
}

void TDatabase::Execute(const std::string& sql) {
  if (!Connection().Execute(sql)) Fail(Format(SStatementFailed, {sql}));
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
  // A connection attaches a limited number of files: let the oldest go.
  TDriverConnection& connection = Connection();
  int limit = connection.GetMaxAttached();
  while (!FAttached.empty() && static_cast<int>(FAttached.size()) >= limit) {
    if (!connection.Detach(FAttached.front())) Fail(Format(SCannotDetach, {FAttached.front()}));
    FAttached.erase(FAttached.begin());
  }
  if (!connection.Attach(schema, file)) Fail(Format(SCannotAttach, {file}));
  // A file that is not a database shows at its first read.
  if (!connection.CheckSchema(schema)) {
    TDriverError error = connection.GetLastError();
    connection.Detach(schema);
    FailWith(Format(STableFileUnreadable, {file}), error);
  }
  FAttached.push_back(schema);
}

TTableRef TDatabase::TableRef(const std::string& tableName, bool mustExist) {
  Connection();
  if (FSQLBased) return {"", tableName};
  std::string file = TableFilePath(tableName);
  std::error_code ec;
  if (mustExist && !fs::exists(file, ec)) DatabaseErrorFmt(STableNoFile, {tableName, file}, this);
  TTableRef table = TableOfFile(tableName);
  Attach(table.Schema, file);
  return table;
}

void TDatabase::AttachTablesOf(const std::string& sql) {
  Connection();
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
      if (fs::is_regular_file(file, ec)) Attach(TableOfFile(name).Schema, file);
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
