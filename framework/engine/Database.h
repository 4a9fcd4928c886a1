// TDatabase: a connection to the data of an alias, through the driver that the alias's
// driver name finds. A standard alias is a directory of table files, one SQLite file per
// table named as the table ("People.db"); such a database is not SQL-based. An SQL alias
// (driver "SQLITE") is one SQLite database file and is SQL-based. Table files are
// attached to the connection on demand.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/core/Component.h"
#include "framework/core/Strings.h"

namespace fw {

class TDBDataSet;
class TDriverConnection;
class TDriverStatement;
class TSession;
struct TDriverError;
struct TTableRef;

class TDatabase : public TComponent {
  FW_CLASS(TDatabase)
 public:
  explicit TDatabase(TComponent* owner);
  ~TDatabase() override;

  const std::string& GetDatabaseName() const { return FDatabaseName; }
  void SetDatabaseName(const std::string& name);
  const std::string& GetAliasName() const { return FAliasName; }
  void SetAliasName(const std::string& name);
  const std::string& GetDriverName() const { return FDriverName; }
  void SetDriverName(const std::string& name);
  TStrings* GetParams() const { return FParams.get(); }
  void SetParams(TStrings* params);
  bool GetConnected() const { return FConnection != nullptr; }
  /// While a form file is read, connecting waits until Loaded (Params may follow).
  void SetConnected(bool value);
  void Open() { SetConnected(true); }
  void Close() { SetConnected(false); }
  /// True for an SQL alias (one SQLite database), false for a directory of table files.
  bool IsSQLBased() const;
  bool GetTemporary() const { return FTemporary; }
  void SetTemporary(bool v) { FTemporary = v; }

  /// The directory of a standard database, or the database file of an SQL one.
  const std::string& GetPath() const { return FPath; }
  /// The driver's connection (connects first).
  TDriverConnection& Connection();
  /// A prepared statement; raises EDatabaseError naming `what` and the reason.
  std::unique_ptr<TDriverStatement> Prepare(const std::string& sql, const std::string& what);
  /// The full path of a table's file in a standard database: an existing file whose name
  /// matches ignoring case, else the path as given. A table name is the name of a file
  /// directly inside the directory: a path ("../x.db", "/tmp/x.db", "sub/x.db") raises.
  std::string TableFilePath(const std::string& tableName) const;
  /// A table of the database: the table "db" of the schema "People" for the file People.db
  /// of a standard database (attaching the file when needed; with `mustExist`, a missing
  /// file raises), the table of that name in an SQL database.
  TTableRef TableRef(const std::string& tableName, bool mustExist);
  /// Attaches the table files that an SQL text names (standard databases).
  void AttachTablesOf(const std::string& sql);
  /// Runs SQL without results; raises EDatabaseError quoting the statement and the reason.
  void Execute(const std::string& sql);
  /// Raises EDatabaseError for the connection's last error, naming `what` and the
  /// driver's reason; a lock held by another connection also names the database.
  [[noreturn]] void Fail(const std::string& what) const;
  /// The name of the database in messages: DatabaseName, else the alias, else the path.
  std::string DisplayName() const;
  /// Reads a BUSY TIMEOUT parameter: a whole number of milliseconds, 0 to INT_MAX,
  /// nothing else around it; false for anything else.
  static bool ParseBusyTimeout(std::string_view text, int& milliseconds);
  void Loaded() override;

  // Datasets that use the database.
  const std::vector<TDBDataSet*>& GetDataSets() const { return FDataSets; }
  int GetDataSetCount() const { return static_cast<int>(FDataSets.size()); }
  void AddDataSet(TDBDataSet* ds);
  void RemoveDataSet(TDBDataSet* ds);
  /// Users through TSession::OpenDatabase, which alone counts them.
  int GetUseCount() const { return FUseCount; }

 private:
  friend class TSession;
  void Connect();
  void Disconnect();
  void Attach(const std::string& schema, const std::string& file);
  /// Raises for a failed call: the message, with the lock's database when it is one.
  [[noreturn]] void FailWith(const std::string& what, const TDriverError& error) const;

  std::string FDatabaseName, FAliasName, FDriverName;
  std::unique_ptr<TStringList> FParams;
  bool FTemporary = false;
  bool FSQLBased = false;
  bool FConnectPending = false;  // Connected = True read from a form file
  std::string FPath;
  int FUseCount = 0;
  std::unique_ptr<TDriverConnection> FConnection;
  std::vector<std::string> FAttached;  // schemas, oldest first
  std::vector<TDBDataSet*> FDataSets;
};

}  // namespace fw
