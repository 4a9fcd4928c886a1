// The engine's datasets: TDBDataSet (a dataset of a database, whose rows are read into
// memory when it opens), TTable (one table: index definitions, master-detail, writing
// every post, delete and insert through as one transaction) and TQuery (SQL text with
// :name parameters, optionally taken from a master data source). They reach the database
// only through its driver's interface.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/Collection.h"
#include "framework/core/Strings.h"
#include "framework/data/DataSource.h"
#include "framework/data/MemDataSet.h"
#include "framework/engine/Driver.h"

namespace fw {

class TDatabase;
class TMasterDataLink;

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
  /// name; the column at `rowIdColumn` (when not -1) is the driver's row id of each row.
  /// `what` ("Table 'People.db'") starts every error. A stored value that its field
  /// cannot hold as it is raises EDatabaseError naming the column and the row, and no
  /// row stays loaded.
  void LoadRows(TDriverStatement& stmt, const std::string& what, int rowIdColumn = -1);
  /// Field definitions from a prepared statement's columns.
  void FieldDefsFromStatement(TDriverStatement& stmt);
  /// Forgets the stored rows and their row ids.
  void ClearRows();

  // The master of a detail dataset (TTable's MasterSource, TQuery's DataSource).
  TDataSource* GetMasterLinkSource() const;
  /// Links the dataset to a master's data source; raises for a circular link.
  void SetMasterLinkSource(TDataSource* source);
  /// The master's dataset, or null.
  TDataSet* GetMasterDataSet() const;
  /// The master opened, closed, scrolled or changed: the detail follows it.
  virtual void MasterChanged() {}
  /// Whether a change of the master's record as a whole counts as a master change.
  virtual bool FollowsMasterRecord() const { return false; }

  std::vector<std::int64_t> FRowIds;  // the driver's id of each stored row (-1 when unknown)

 private:
  friend class TMasterDataLink;
  friend class TRowTarget;
  std::string FDatabaseName;
  TDatabase* FDatabase = nullptr;
  std::unique_ptr<TMasterDataLink> FMasterLink;
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
  TDataSource* GetMasterSource() const { return GetMasterLinkSource(); }
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
  bool RowInRange(std::int64_t rowId) override;
  void DoOnNewRecord() override;
  void MasterChanged() override;
  bool FollowsMasterRecord() const override { return true; }

 private:
  void SetupRange();
  /// The table in the database (attached when it is a table file); raises without a
  /// TableName, and with `mustExist` for a missing table file.
  TTableRef Table(bool mustExist);
  /// Orders by the fields of the named index definition; raises when there is none.
  void ApplyIndexName(const std::string& name);
  /// Every row of the table with its row id first, addressed by a name that no column of
  /// the table has (kept in FRowIdName for updates and deletes).
  std::string SelectRowsSQL(const TTableRef& table);
  /// Reads the table's rows into memory.
  void ReadTable(const TTableRef& table);
  std::function<bool(std::int64_t)> FMasterInRange;

  std::string FTableName, FIndexName, FMasterFields;
  std::string FRowIdName;
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
  TDataSource* GetDataSource() const override { return GetMasterLinkSource(); }
  void SetDataSource(TDataSource* source) { SetMasterLinkSource(source); }
  /// Checks the SQL text with the engine.
  void Prepare();
  /// Runs an SQL text that returns no rows.
  void ExecSQL();
  int GetRowsAffected() const { return FRowsAffected; }

 protected:
  void InternalInitFieldDefs() override;
  void InternalOpen() override;
  bool GetReadOnlyDataSet() const override { return true; }
  void MasterChanged() override;

 private:
  void SQLChanged(TObject* sender);
  /// The statement of the SQL text with its parameters bound (from the master's fields of
  /// the same names, else from Params); `sql` receives the text as it ran.
  std::unique_ptr<TDriverStatement> PrepareStatement(std::string& sql);

  std::unique_ptr<TStringList> FSQL;
  std::unique_ptr<TParams> FParams;
  int FRowsAffected = 0;
};

// A driver's row reading calls these for every row: inline, so that they cost what the
// row store's own calls cost.
inline std::uint8_t* TRowTarget::AppendRow(std::int64_t rowId) {
  FLastRow = FDataSet.AppendStoredRow();
  FDataSet.FRowIds.push_back(rowId);
  return FDataSet.StoredRowData(FLastRow);
}

inline std::string& TRowTarget::Blob(int blobIndex) { return FDataSet.StoredBlob(FLastRow, blobIndex); }

/// Registers the engine's classes (and the data layer's) with the form-file reader.
void RegisterEngineClasses();

}  // namespace fw
