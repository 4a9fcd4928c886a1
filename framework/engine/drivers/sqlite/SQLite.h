// Inside the SQLite driver: its connection and statement on SQLite's C API, and the
// mapping between SQLite's declared column types and field types. Only the driver's own
// files include this header.
#pragma once

#include <sqlite3.h>

#include <string>
#include <vector>

#include "framework/engine/Driver.h"

namespace fw {

/// The field type and size of a declared column type ("VARCHAR(40)", "SMALLINT", ...);
/// ftUnknown for no or another declared type.
TFieldType SQLiteTypeOfDecl(const char* decl, int& size);
/// The column type that a field type is created with, without its size ("VARCHAR").
const char* SQLiteDeclOfType(TFieldType type);

class TSQLiteConnection final : public TDriverConnection {
 public:
  /// Takes over an open connection.
  explicit TSQLiteConnection(sqlite3* db) : FDb(db) {}
  ~TSQLiteConnection() override;
  sqlite3* Handle() const { return FDb; }
  /// Keeps the error of a call that failed with `code` and `message`.
  void SetError(int code, const std::string& message);

  TDriverError GetLastError() const override { return FError; }
  std::unique_ptr<TDriverStatement> Prepare(const std::string& sql) override;
  bool Execute(const std::string& sql) override;
  std::int64_t GetChanges() override { return sqlite3_changes(FDb); }
  std::int64_t GetLastInsertId() override { return sqlite3_last_insert_rowid(FDb); }
  bool BeginTransaction() override { return Execute("begin immediate"); }
  bool Commit() override { return Execute("commit"); }
  void Rollback() override;
  int GetMaxAttached() override { return sqlite3_limit(FDb, SQLITE_LIMIT_ATTACHED, -1); }
  bool Attach(const std::string& schema, const std::string& file) override;
  bool Detach(const std::string& schema) override;
  bool CheckSchema(const std::string& schema) override;
  bool TableExists(const TTableRef& table, bool& exists) override;
  bool ReadIndexes(const TTableRef& table, std::vector<TIndexDesc>& indexes) override;

  std::string Quote(const std::string& identifier) const override;
  std::string TableSQL(const TTableRef& table) const override;
  std::string RowIdName(const std::vector<std::string>& columns) const override;
  std::string SelectSQL(const TTableRef& table, const std::string& rowIdName) const override;
  std::string ColumnsSQL(const TTableRef& table) const override;
  std::string CountSQL(const TTableRef& table) const override;
  std::string NextValueSQL(const TTableRef& table, const std::string& column) const override;
  std::string InsertSQL(const TTableRef& table, const std::vector<std::string>& columns) const override;
  std::string UpdateSQL(const TTableRef& table, const std::vector<std::string>& columns,
                        const std::string& rowIdName) const override;
  std::string DeleteSQL(const TTableRef& table, const std::string& rowIdName) const override;
  std::string EmptySQL(const TTableRef& table) const override;
  std::string CreateTableSQL(const TTableRef& table, const std::vector<TColumnDesc>& columns,
                             const std::vector<std::string>& primaryKey) const override;
  std::string CreateIndexSQL(const TTableRef& table, const TIndexDesc& index) const override;
  std::string DropTableSQL(const TTableRef& table) const override;

 private:
  /// Keeps the connection's own error after a call that failed.
  bool Failed();
  /// "schema". before a name of that schema; nothing for the connection's own database.
  std::string SchemaPrefix(const std::string& schema) const;

  sqlite3* FDb;
  TDriverError FError;
};

class TSQLiteStatement final : public TDriverStatement {
 public:
  TSQLiteStatement(TSQLiteConnection& connection, sqlite3_stmt* stmt) : FConnection(connection), FStmt(stmt) {}
  ~TSQLiteStatement() override { sqlite3_finalize(FStmt); }
  TSQLiteStatement(const TSQLiteStatement&) = delete;
  TSQLiteStatement& operator=(const TSQLiteStatement&) = delete;

  int GetParamCount() const override { return sqlite3_bind_parameter_count(FStmt); }
  std::string GetParamName(int index) const override;
  bool Bind(int index, const Variant& value) override;
  TStepResult Step() override;
  int GetColumnCount() const override { return sqlite3_column_count(FStmt); }
  std::string GetColumnName(int index) const override { return sqlite3_column_name(FStmt, index); }
  TStorageType GetColumnType(int index) override;
  std::int64_t GetInteger(int index) override { return sqlite3_column_int64(FStmt, index); }
  double GetFloat(int index) override { return sqlite3_column_double(FStmt, index); }
  std::string_view GetText(int index) override;
  bool DescribeColumns(std::vector<TColumnDesc>& columns) override;
  bool ReadRows(TRowTarget& target) override;

 private:
  /// Keeps the connection's error after a call that failed with `rc`.
  bool Checked(int rc);

  TSQLiteConnection& FConnection;
  sqlite3_stmt* FStmt;
};

}  // namespace fw
