// The engine's driver interface: what TDatabase and the datasets ask of a kind of database
// (connecting, statements with parameters and typed column values, transactions, the
// catalogue of tables and indexes, quoting and the SQL text of table operations, errors
// with their code and message), and the registry that finds a driver by an alias's driver
// name. Drivers live in drivers/, the only place that includes a database's own headers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/data/Field.h"

namespace fw {

class TDBDataSet;

/// An error of a driver: the database's own code and message. Locked is set when another
/// connection held a lock that did not clear in time.
struct TDriverError {
  int Code = 0;
  std::string Message;
  bool Locked = false;
};

/// A table as a driver addresses it: Schema names an attached table file (empty for the
/// connection's own database), Table the table in it.
struct TTableRef {
  std::string Schema, Table;
};

/// A column of a result or of a table to create: its name, and the field type and size
/// that hold its values.
struct TColumnDesc {
  std::string Name;
  TFieldType DataType = ftUnknown;
  int Size = 0;
  bool Required = false;
};

/// An index of a table. Fields lists its columns in key order, separated by ";". Name is
/// empty for an index that the database made itself for a constraint.
struct TIndexDesc {
  std::string Name, Fields;
  bool Primary = false, Unique = false;
};

/// The kind of a value as the database holds it.
enum TStorageType { stNull, stInteger, stFloat, stText, stBlob };

/// What a step of a statement came to.
enum TStepResult { srRow, srDone, srError };

/// Where a statement's rows go: the field that each column fills and the dataset's row
/// store. A driver's ReadRows puts each value into its field's native slot (DBDataSet.h
/// defines the calls made for every row).
class TRowTarget {
 public:
  /// `columns` has a field, or null for a column not read, for each column of the result;
  /// `rowIdColumn` is the column of each row's id (-1 when there is none). `what`
  /// ("Table 'People.db'") starts the message of a value that cannot be read.
  TRowTarget(TDBDataSet& dataSet, std::vector<TField*> columns, int rowIdColumn, std::string what);

  const std::vector<TField*>& GetColumns() const { return FColumns; }
  int GetRowIdColumn() const { return FRowIdColumn; }
  /// Appends a row with every field null and the driver's id of the row (-1 when it has
  /// none); returns the row's data area, where each field's slot starts at its offset
  /// with a "not null" byte followed by the native value.
  std::uint8_t* AppendRow(std::int64_t rowId);
  /// The bytes of a blob field of the row appended last.
  std::string& Blob(int blobIndex);
  /// Raises EDatabaseError for a stored value that its field cannot hold as it is, naming
  /// the column and the row (counted from 1); no row stays loaded.
  [[noreturn]] void FailValue(const std::string& column, std::int64_t row, const std::string& message);

 private:
  TDBDataSet& FDataSet;
  std::vector<TField*> FColumns;
  int FRowIdColumn;
  std::string FWhat;
  std::int64_t FLastRow = -1;
};

/// A prepared statement. Parameters and columns are numbered as the SQL text lists them:
/// parameters from 1, columns from 0. A failed call leaves its reason in the
/// connection's GetLastError.
class TDriverStatement {
 public:
  virtual ~TDriverStatement() = default;

  virtual int GetParamCount() const = 0;
  /// A parameter's name without its ":" prefix; empty for a "?" parameter.
  virtual std::string GetParamName(int index) const = 0;
  /// Binds Null, a number, a date and time, a currency (read back exactly), text or bytes.
  virtual bool Bind(int index, const Variant& value) = 0;

  /// Runs the statement to its next row.
  virtual TStepResult Step() = 0;
  virtual int GetColumnCount() const = 0;
  virtual std::string GetColumnName(int index) const = 0;
  /// The kind of a column's value in the current row.
  virtual TStorageType GetColumnType(int index) = 0;
  virtual std::int64_t GetInteger(int index) = 0;
  virtual double GetFloat(int index) = 0;
  /// A text value, or a blob's bytes; valid until the next step.
  virtual std::string_view GetText(int index) = 0;

  /// The name, field type and size of each column; a column without a declared type is
  /// typed by its first value (the statement starts again afterwards).
  virtual bool DescribeColumns(std::vector<TColumnDesc>& columns) = 0;
  /// Reads every row into the target in one call (the engine's hot path). False when a
  /// step fails; a value that its field cannot hold raises through the target.
  virtual bool ReadRows(TRowTarget& target) = 0;
};

/// A connection to one database. Calls that return false (or null) leave the reason in
/// GetLastError. The SQL text methods build the statements of table operations in the
/// database's own dialect; they do not run them.
class TDriverConnection {
 public:
  virtual ~TDriverConnection() = default;

  /// The error of the call that failed last.
  virtual TDriverError GetLastError() const = 0;

  // ---- statements and transactions
  /// A prepared statement, or null when the database refuses the text.
  virtual std::unique_ptr<TDriverStatement> Prepare(const std::string& sql) = 0;
  /// Runs SQL text that returns no rows.
  virtual bool Execute(const std::string& sql) = 0;
  /// Rows written by the statement that ran last.
  virtual std::int64_t GetChanges() = 0;
  /// The row id of the row inserted last.
  virtual std::int64_t GetLastInsertId() = 0;
  /// Begins a write transaction that takes the write lock at once.
  virtual bool BeginTransaction() = 0;
  virtual bool Commit() = 0;
  virtual void Rollback() = 0;

  // ---- table files of a standard database, attached as schemas
  /// How many files the connection can attach at once.
  virtual int GetMaxAttached() = 0;
  virtual bool Attach(const std::string& schema, const std::string& file) = 0;
  virtual bool Detach(const std::string& schema) = 0;

  // ---- catalogue
  /// Reads the catalogue of a schema (the connection's own database when empty): false
  /// when its file is not a database.
  virtual bool CheckSchema(const std::string& schema) = 0;
  virtual bool TableExists(const TTableRef& table, bool& exists) = 0;
  /// The indexes of a table, the primary index first, then in the order of creation.
  virtual bool ReadIndexes(const TTableRef& table, std::vector<TIndexDesc>& indexes) = 0;

  // ---- SQL text
  /// An identifier quoted for SQL text.
  virtual std::string Quote(const std::string& identifier) const = 0;
  /// The table as SQL text names it.
  virtual std::string TableSQL(const TTableRef& table) const = 0;
  /// A name by which statements address a row, taken by none of `columns`; empty when
  /// every such name is taken.
  virtual std::string RowIdName(const std::vector<std::string>& columns) const = 0;
  /// Every row, with the row id first when `rowIdName` is not empty.
  virtual std::string SelectSQL(const TTableRef& table, const std::string& rowIdName) const = 0;
  /// The table's columns and no rows.
  virtual std::string ColumnsSQL(const TTableRef& table) const = 0;
  virtual std::string CountSQL(const TTableRef& table) const = 0;
  /// One more than the greatest value of a column (1 for an empty table).
  virtual std::string NextValueSQL(const TTableRef& table, const std::string& column) const = 0;
  /// An insert of the columns, one parameter each.
  virtual std::string InsertSQL(const TTableRef& table, const std::vector<std::string>& columns) const = 0;
  /// An update of the columns, one parameter each, of the row whose id is the last parameter.
  virtual std::string UpdateSQL(const TTableRef& table, const std::vector<std::string>& columns,
                                const std::string& rowIdName) const = 0;
  /// A delete of the row whose id is the parameter.
  virtual std::string DeleteSQL(const TTableRef& table, const std::string& rowIdName) const = 0;
  /// A delete of every row.
  virtual std::string EmptySQL(const TTableRef& table) const = 0;
  /// A table with the columns and a primary key of `primaryKey` (none when empty).
  virtual std::string CreateTableSQL(const TTableRef& table, const std::vector<TColumnDesc>& columns,
                                     const std::vector<std::string>& primaryKey) const = 0;
  virtual std::string CreateIndexSQL(const TTableRef& table, const TIndexDesc& index) const = 0;
  virtual std::string DropTableSQL(const TTableRef& table) const = 0;
};

/// What a driver is given to connect: the database file (empty for a connection without
/// a database of its own, to which table files are attached), how long to wait for a
/// lock, and every "NAME=VALUE" parameter of the alias and the database.
struct TConnectParams {
  std::string Path;
  int BusyTimeout = 5000;
  std::vector<std::string> Params;
};

/// A kind of database: opens connections.
class TDriver {
 public:
  virtual ~TDriver() = default;
  /// A new connection, or null with the reason in `error`.
  virtual std::unique_ptr<TDriverConnection> Connect(const TConnectParams& params, TDriverError& error) const = 0;
};

/// Registers a driver under a name (case-insensitive); it replaces one of the same name,
/// and a null driver removes it.
void RegisterDriver(const std::string& name, std::shared_ptr<const TDriver> driver);
/// The driver of that name, or null. The built-in drivers ("SQLITE", and "STANDARD" for
/// directories of table files) are registered before the first look-up.
const TDriver* FindDriver(const std::string& name);

}  // namespace fw
