// The engine's datasets: TDBDataSet (a dataset of a database, whose rows are read into
// memory when it opens), TTable (one table: index definitions, master-detail, writing
// every post, delete and insert through as one SQLite transaction) and TQuery (SQL text
// with :name parameters, optionally taken from a master data source).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/Collection.h"
#include "framework/core/Strings.h"
#include "framework/data/DataSource.h"
#include "framework/data/MemDataSet.h"

struct sqlite3_stmt;

namespace fw {

class TDatabase;

/// A dataset whose rows come from a database of the engine.
class TDBDataSet : public TMemDataSet {
  FW_CLASS(TDBDataSet)
 public:
  explicit TDBDataSet(TComponent* owner);
  ~TDBDataSet() override;

  const std::string& GetDatabaseName() const { return FDatabaseName; }
  void SetDatabaseName(const std::string& name);
  /// The database while the dataset is open (or after OpenDatabase), else null.
  TDatabase* GetDatabase() const { return FDatabase; }
  /// Finds or opens the dataset's database through the session.
  TDatabase* OpenDatabase();
  void CloseDatabase();
  void Notification(TComponent* component, TOperation operation) override;

 protected:
  void InternalClose() override;
  /// Reads the rows of a prepared statement into memory, binding columns to fields by
  /// name; the column at `rowIdColumn` (when not -1) is the SQLite rowid of each row.
  /// `what` ("Table 'People.db'") starts every error. A stored value that its field
  /// cannot hold as it is raises EDatabaseError naming the column and the row, and no
  /// row stays loaded.
  void LoadRows(sqlite3_stmt* stmt, const std::string& what, int rowIdColumn = -1);
  /// Field definitions from a prepared statement's columns.
  void FieldDefsFromStatement(sqlite3_stmt* stmt);
  std::vector<std::int64_t> FRowIds;  // SQLite rowid of each stored row (-1 when unknown)

 private:
  std::string FDatabaseName;
  TDatabase* FDatabase = nullptr;
};

/// One table of a database.
class TTable : public TDBDataSet {
  FW_CLASS(TTable)
 public:
  explicit TTable(TComponent* owner);
  ~TTable() override;

  const std::string& GetTableName() const { return FTableName; }
  void SetTableName(const std::string& name);
  const std::string& GetIndexName() const { return FIndexName; }
  /// Orders by the fields of a named index (IndexFieldNames is cleared).
  void SetIndexName(const std::string& name);
  TDataSource* GetMasterSource() const;
  void SetMasterSource(TDataSource* source);
  const std::string& GetMasterFields() const { return FMasterFields; }
  void SetMasterFields(const std::string& fields);
  TDataSource* GetDataSource() const override { return GetMasterSource(); }
  /// Applies an IndexName read from a form file, then opens a table read as Active.
  void Loaded() override;

  /// Whether the table's file (standard) or table (SQL database) exists.
  bool Exists();
  /// Creates the table from FieldDefs and IndexDefs; raises when it exists.
  void CreateTable();
  /// Removes every record of the table.
  void EmptyTable();
  /// Removes the table (its file in a standard database).
  void DeleteTable();
  /// Reads the index definitions of the table from the engine into IndexDefs.
  void UpdateIndexDefs();

 protected:
  void InternalInitFieldDefs() override;
  void InternalOpen() override;
  /// Reads the table's rows again (the view keeps its order, filter and range).
  std::int64_t InternalRefresh(std::int64_t currentRow) override;
  void StoreRow(std::int64_t rowId, TRecordBuffer& buffer, bool inserting) override;
  void RemoveRow(std::int64_t rowId) override;
  void FilterChanged() override;
  bool GetReadOnlyDataSet() const override;
  bool RowInRange(std::int64_t rowId) override;
  void DoOnNewRecord() override;

 private:
  class TMasterLink;
  void MasterChanged();
  void SetupRange();
  std::string SQLName(bool mustExist);
  /// Orders by the fields of the named index definition; raises when there is none.
  void ApplyIndexName(const std::string& name);
  /// "select <rowid> as ..., * from <table>" with a name of the row id that no column of
  /// the table has (kept in FRowIdName for updates and deletes).
  std::string SelectRowsSQL(const std::string& sqlName);
  std::function<bool(std::int64_t)> FMasterInRange;

  std::string FTableName, FIndexName, FMasterFields;
  std::string FRowIdName = "rowid";
  std::unique_ptr<TMasterLink> FMasterLink;
};

/// A parameter of a query (":name" in the SQL text).
class TParam : public TCollectionItem {
  FW_CLASS(TParam)
 public:
  explicit TParam(TCollection* c) : TCollectionItem(c) {}
  const std::string& GetName() const { return FName; }
  void SetName(const std::string& v) { FName = v; }
  TFieldType GetDataType() const { return FDataType; }
  void SetDataType(TFieldType v) { FDataType = v; }
  const Variant& GetValue() const { return FValue; }
  void SetValue(const Variant& v) { FValue = v; }
  std::string GetDisplayName() const override { return FName; }
  void Assign(const TPersistent* source) override;

 private:
  std::string FName;
  TFieldType FDataType = ftUnknown;
  Variant FValue = Variant::Unassigned();  // no value until one is given
};

class TParams : public TOwnedCollection {
  FW_CLASS(TParams)
 public:
  explicit TParams(TPersistent* owner) : TOwnedCollection(owner, TParam::StaticClass()) {}
  TParam* GetItem(int i) const { return static_cast<TParam*>(TCollection::GetItem(i)); }
  TParam* FindParam(const std::string& name) const;
  /// The parameter of that name; raises EDatabaseError when there is none.
  TParam* ParamByName(const std::string& name) const;
  /// Rebuilds the list from the ":name" parameters of an SQL text, keeping known values.
  void ParseSQL(const std::string& sql);
};

class TQuery : public TDBDataSet {
  FW_CLASS(TQuery)
 public:
  explicit TQuery(TComponent* owner);
  ~TQuery() override;

  TStrings* GetSQL() const { return FSQL.get(); }
  void SetSQL(TStrings* sql);
  TParams* GetParams() const { return FParams.get(); }
  TParam* ParamByName(const std::string& name) const { return FParams->ParamByName(name); }
  /// The master whose current record gives values to parameters of the same names.
  TDataSource* GetDataSource() const override;
  void SetDataSource(TDataSource* source);
  /// Checks the SQL text with the engine.
  void Prepare();
  void Unprepare() {}
  /// Runs an SQL text that returns no rows.
  void ExecSQL();
  int GetRowsAffected() const { return FRowsAffected; }

 protected:
  void InternalInitFieldDefs() override;
  void InternalOpen() override;
  bool GetReadOnlyDataSet() const override { return true; }

 private:
  class TMasterLink;
  class TSQLChange;
  void SQLChanged(TObject* sender);
  sqlite3_stmt* PrepareStatement(std::string* shownSQL);
  void MasterChanged();

  std::unique_ptr<TStringList> FSQL;
  std::unique_ptr<TParams> FParams;
  std::unique_ptr<TMasterLink> FMasterLink;
  int FRowsAffected = 0;
};

/// Registers the engine's classes (and the data layer's) with the form-file reader.
void RegisterEngineClasses();

}  // namespace fw
