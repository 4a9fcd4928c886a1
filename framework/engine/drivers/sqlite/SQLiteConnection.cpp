// The SQLite driver's connection: opening a database file (or a connection without one,
// for table files), transactions, attaching table files, the catalogue of tables and
// indexes, and the SQL text of table operations in SQLite's dialect.
#include "framework/engine/drivers/sqlite/SQLiteDriver.h"

#include <algorithm>

#include "framework/core/Consts.h"
#include "framework/core/Exceptions.h"
#include "framework/core/Text.h"
#include "framework/engine/Session.h"
#include "framework/engine/drivers/sqlite/SQLite.h"

namespace fw {

namespace {

/// One statement of the driver's own, finalized when the scope ends.
struct TOwnStatement {
  sqlite3_stmt* Stmt = nullptr;
  ~TOwnStatement() { sqlite3_finalize(Stmt); }
};

std::string Text(sqlite3_stmt* stmt, int column) {
  const unsigned char* text = sqlite3_column_text(stmt, column);
  return text ? reinterpret_cast<const char*>(text) : "";
}

/// The SQL text of a column as a table is created with it.
std::string ColumnDecl(const TColumnDesc& c) {
  switch (c.DataType) {
    case ftString: return "VARCHAR(" + std::to_string(c.Size > 0 ? c.Size : 20) + ")";
    case ftMemo: return c.Size > 0 ? "MEMO(" + std::to_string(c.Size) + ")" : "MEMO";
    case ftUnknown: DatabaseErrorFmt(SFieldNoDataType, {c.Name});
    default: return SQLiteDeclOfType(c.DataType);
  }
}

class TSQLiteDriver final : public TDriver {
 public:
  std::unique_ptr<TDriverConnection> Connect(const TConnectParams& params, TDriverError& error) const override {
    sqlite3* db = nullptr;
    // One thread uses a connection: SQLite need not lock around each call.
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    int rc = sqlite3_open_v2(params.Path.empty() ? ":memory:" : params.Path.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
      error = {rc, db ? sqlite3_errmsg(db) : SOutOfMemory, false};
      sqlite3_close(db);
      return nullptr;
    }
    sqlite3_busy_timeout(db, params.BusyTimeout);
    return std::make_unique<TSQLiteConnection>(db);
  }
};

}  // namespace

std::vector<std::pair<std::string, std::shared_ptr<const TDriver>>> SQLiteDrivers() {
  auto driver = std::make_shared<const TSQLiteDriver>();
  return {{"SQLITE", driver}, {szCFGDBSTANDARD, driver}};
}

// ---- TSQLiteConnection --------------------------------------------------------------

TSQLiteConnection::~TSQLiteConnection() { sqlite3_close_v2(FDb); }

void TSQLiteConnection::SetError(int code, const std::string& message) {
  int primary = code & 0xFF;
  FError = {code, message, primary == SQLITE_BUSY || primary == SQLITE_LOCKED};
}

bool TSQLiteConnection::Failed() {
  SetError(sqlite3_extended_errcode(FDb), sqlite3_errmsg(FDb));
  return false;
}

std::unique_ptr<TDriverStatement> TSQLiteConnection::Prepare(const std::string& sql) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(FDb, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
    Failed();
    return nullptr;
  }
  return std::make_unique<TSQLiteStatement>(*this, stmt);
}

bool TSQLiteConnection::Execute(const std::string& sql) {
  char* err = nullptr;
  int rc = sqlite3_exec(FDb, sql.c_str(), nullptr, nullptr, &err);
  if (rc == SQLITE_OK) return true;
  SetError(rc, err ? err : sqlite3_errmsg(FDb));
  sqlite3_free(err);
  return false;
}

void TSQLiteConnection::Rollback() { sqlite3_exec(FDb, "rollback", nullptr, nullptr, nullptr); }

bool TSQLiteConnection::Attach(const std::string& schema, const std::string& file) {
  TOwnStatement attach;
  if (sqlite3_prepare_v2(FDb, "attach database ? as ?", -1, &attach.Stmt, nullptr) != SQLITE_OK) return Failed();
  sqlite3_bind_text(attach.Stmt, 1, file.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(attach.Stmt, 2, schema.c_str(), -1, SQLITE_TRANSIENT);
  return sqlite3_step(attach.Stmt) == SQLITE_DONE || Failed();
}

bool TSQLiteConnection::Detach(const std::string& schema) { return Execute("detach database " + Quote(schema)); }

bool TSQLiteConnection::CheckSchema(const std::string& schema) {
  return Execute("select count(*) from " + SchemaPrefix(schema) + "sqlite_master");
}

bool TSQLiteConnection::TableExists(const TTableRef& table, bool& exists) {
  TOwnStatement count;
  std::string sql = "select count(*) from " + SchemaPrefix(table.Schema) + "sqlite_master where type = 'table' and name = ?";
  if (sqlite3_prepare_v2(FDb, sql.c_str(), -1, &count.Stmt, nullptr) != SQLITE_OK) return Failed();
  sqlite3_bind_text(count.Stmt, 1, table.Table.c_str(), -1, SQLITE_TRANSIENT);
  exists = sqlite3_step(count.Stmt) == SQLITE_ROW && sqlite3_column_int(count.Stmt, 0) > 0;
  return true;
}

/*
** The indexes of a table from the schema's catalogue, in the order of creation, with
** their unique flags and origins from "pragma index_list" (pk for the primary key, u for
** a unique constraint, c for a created index) and their columns from "pragma
** index_info". An index that SQLite made for a constraint has no SQL text: it has no
** name of its own for the engine.
*/
bool TSQLiteConnection::ReadIndexes(const TTableRef& table, std::vector<TIndexDesc>& indexes) {
  indexes.clear();
  std::string schema = SchemaPrefix(table.Schema);
  TOwnStatement list;
  std::string sql = "select name, sql from " + schema +
                    "sqlite_master where type = 'index' and tbl_name = ? collate nocase order by rowid";
  if (sqlite3_prepare_v2(FDb, sql.c_str(), -1, &list.Stmt, nullptr) != SQLITE_OK) return Failed();
  sqlite3_bind_text(list.Stmt, 1, table.Table.c_str(), -1, SQLITE_TRANSIENT);
  std::vector<std::pair<std::string, bool>> named;  // name, made for a constraint
  while (sqlite3_step(list.Stmt) == SQLITE_ROW)
    named.push_back({Text(list.Stmt, 0), sqlite3_column_type(list.Stmt, 1) == SQLITE_NULL});

  struct TFlags {
    std::string Name, Origin;
    bool Unique;
  };
  std::vector<TFlags> flags;
  TOwnStatement info;
  sql = "pragma " + schema + "index_list(" + Quote(table.Table) + ")";
  if (sqlite3_prepare_v2(FDb, sql.c_str(), -1, &info.Stmt, nullptr) != SQLITE_OK) return Failed();
  while (sqlite3_step(info.Stmt) == SQLITE_ROW)
    flags.push_back({Text(info.Stmt, 1), Text(info.Stmt, 3), sqlite3_column_int(info.Stmt, 2) != 0});

  for (const auto& [name, automatic] : named) {
    TIndexDesc index;
    index.Name = automatic ? "" : name;
    for (const TFlags& f : flags)
      if (f.Name == name) {
        index.Unique = f.Unique;
        index.Primary = f.Origin == "pk";
      }
    if (index.Primary) index.Unique = true;
    TOwnStatement cols;
    sql = "pragma " + schema + "index_info(" + Quote(name) + ")";
    if (sqlite3_prepare_v2(FDb, sql.c_str(), -1, &cols.Stmt, nullptr) != SQLITE_OK) return Failed();
    std::vector<std::pair<int, std::string>> parts;  // position in the key, column
    while (sqlite3_step(cols.Stmt) == SQLITE_ROW) parts.push_back({sqlite3_column_int(cols.Stmt, 0), Text(cols.Stmt, 2)});
    std::sort(parts.begin(), parts.end());
    for (const auto& part : parts) index.Fields += (index.Fields.empty() ? "" : ";") + part.second;
    indexes.push_back(std::move(index));
  }
  std::stable_sort(indexes.begin(), indexes.end(),
                   [](const TIndexDesc& a, const TIndexDesc& b) { return a.Primary && !b.Primary; });
  return true;
}

// ---- SQL text -----------------------------------------------------------------------

std::string TSQLiteConnection::Quote(const std::string& identifier) const {
  std::string out = "\"";
  for (char c : identifier) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string TSQLiteConnection::SchemaPrefix(const std::string& schema) const {
  return schema.empty() ? "" : Quote(schema) + ".";
}

std::string TSQLiteConnection::TableSQL(const TTableRef& table) const {
  return SchemaPrefix(table.Schema) + Quote(table.Table);
}

// SQLite names the row id column after an "integer primary key" column ("id"), and an
// ordinary column may be named rowid: the first of SQLite's three names of the row id
// that no column has is the one that addresses rows.
std::string TSQLiteConnection::RowIdName(const std::vector<std::string>& columns) const {
  for (const char* rowid : {"rowid", "_rowid_", "oid"}) {
    auto same = [&](const std::string& c) { return SameText(c, rowid); };
    if (std::none_of(columns.begin(), columns.end(), same)) return rowid;
  }
  return {};
}

std::string TSQLiteConnection::SelectSQL(const TTableRef& table, const std::string& rowIdName) const {
  // The row id comes first and is told by its position.
  std::string rowid = rowIdName.empty() ? "" : rowIdName + " as \"qor$rowid\", ";
  return "select " + rowid + "* from " + TableSQL(table);
}

std::string TSQLiteConnection::ColumnsSQL(const TTableRef& table) const {
  return "select * from " + TableSQL(table) + " limit 0";
}

std::string TSQLiteConnection::CountSQL(const TTableRef& table) const {
  return "select count(*) from " + TableSQL(table);
}

std::string TSQLiteConnection::NextValueSQL(const TTableRef& table, const std::string& column) const {
  return "select coalesce(max(" + Quote(column) + "), 0) + 1 from " + TableSQL(table);
}

std::string TSQLiteConnection::InsertSQL(const TTableRef& table, const std::vector<std::string>& columns) const {
  std::string names, marks;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    names += (i ? ", " : "") + Quote(columns[i]);
    marks += i ? ", ?" : "?";
  }
  return "insert into " + TableSQL(table) + " (" + names + ") values (" + marks + ")";
}

std::string TSQLiteConnection::UpdateSQL(const TTableRef& table, const std::vector<std::string>& columns,
                                         const std::string& rowIdName) const {
  std::string sets;
  for (std::size_t i = 0; i < columns.size(); ++i) sets += (i ? ", " : "") + Quote(columns[i]) + " = ?";
  return "update " + TableSQL(table) + " set " + sets + " where " + rowIdName + " = ?";
}

std::string TSQLiteConnection::DeleteSQL(const TTableRef& table, const std::string& rowIdName) const {
  return EmptySQL(table) + " where " + rowIdName + " = ?";
}

std::string TSQLiteConnection::EmptySQL(const TTableRef& table) const { return "delete from " + TableSQL(table); }

std::string TSQLiteConnection::CreateTableSQL(const TTableRef& table, const std::vector<TColumnDesc>& columns,
                                              const std::vector<std::string>& primaryKey) const {
  std::string cols;
  for (const TColumnDesc& c : columns)
    cols += (cols.empty() ? "" : ", ") + Quote(c.Name) + " " + ColumnDecl(c) + (c.Required ? " not null" : "");
  if (!primaryKey.empty()) {
    std::string keys;
    for (const std::string& k : primaryKey) keys += (keys.empty() ? "" : ", ") + Quote(k);
    cols += ", primary key (" + keys + ")";
  }
  return "create table " + TableSQL(table) + " (" + cols + ")";
}

std::string TSQLiteConnection::CreateIndexSQL(const TTableRef& table, const TIndexDesc& index) const {
  std::string keys;
  std::size_t pos = 1;
  while (pos <= index.Fields.size()) keys += (keys.empty() ? "" : ", ") + Quote(ExtractFieldName(index.Fields, pos));
  // The index lives in the table's schema and names the table without it.
  return std::string("create ") + (index.Unique ? "unique " : "") + "index " + SchemaPrefix(table.Schema) +
         Quote(index.Name) + " on " + Quote(table.Table) + " (" + keys + ")";
}

std::string TSQLiteConnection::DropTableSQL(const TTableRef& table) const { return "drop table " + TableSQL(table); }

}  // namespace fw
