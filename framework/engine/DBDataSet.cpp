#include "framework/engine/DBDataSet.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "framework/core/Consts.h"
#include "framework/core/Exceptions.h"
#include "framework/core/Scoped.h"
#include "framework/core/Text.h"
#include "framework/core/TypInfo.h"
#include "framework/data/DataClasses.h"
#include "framework/engine/Database.h"
#include "framework/engine/Driver.h"
#include "framework/engine/Session.h"
#include "framework/stream/Classes.h"

namespace fw {

namespace fs = std::filesystem;

namespace {

/// One write transaction: rolled back unless committed. `what` names the table in the
/// error of a transaction that cannot begin (another connection holds the lock).
class TTransaction {
 public:
  TTransaction(TDatabase* db, const std::string& what) : FDb(db), FConnection(db->Connection()) {
    if (!FConnection.BeginTransaction()) db->Fail(what);
  }
  ~TTransaction() {
    if (!FDone) FConnection.Rollback();
  }
  TTransaction(const TTransaction&) = delete;
  TTransaction& operator=(const TTransaction&) = delete;
  void Commit() {
    if (!FConnection.Commit()) FDb->Fail(Format(SStatementFailed, {"commit"}));
    FDone = true;
  }

 private:
  TDatabase* FDb;
  TDriverConnection& FConnection;
  bool FDone = false;
};

/// Runs a prepared statement that returns no rows; raises naming `what`.
void Run(TDatabase* db, TDriverStatement& stmt, const std::string& what) {
  if (stmt.Step() != srDone) db->Fail(what);
}

/// The first column of the first row of a query, as a whole number; raises naming `what`.
std::int64_t QueryInteger(TDatabase* db, const std::string& sql, const std::string& what) {
  std::unique_ptr<TDriverStatement> stmt = db->Prepare(sql, what);
  if (stmt->Step() != srRow) db->Fail(what);
  return stmt->GetInteger(0);
}

/// The value of a data field in a record buffer as it is written: Null, the field's
/// value, a memo's text or a blob's bytes.
Variant FieldValue(const TField* f, const TRecordBuffer& buf) {
  const std::uint8_t* p = buf.Data.data() + f->GetOffset();
  if (!p[0]) return Variant();
  if (!f->IsBlob()) return f->NativeToVariant(p + 1);
  const std::string& b = buf.Blobs[static_cast<std::size_t>(f->GetBlobIndex())];
  if (f->GetDataType() == ftMemo) return Variant(b);
  return Variant::FromBytes(TBytes(b.begin(), b.end()));
}

}  // namespace

// ---- TMasterDataLink --------------------------------------------------------------------

/// The link of a detail dataset to its master's data source: the master opening,
/// closing, scrolling or changing its records calls the detail's MasterChanged; so does
/// a change of the master's record as a whole when the detail FollowsMasterRecord.
class TMasterDataLink : public TDataLink {
 public:
  explicit TMasterDataLink(TDBDataSet* detail) : FDetail(detail) {}

 protected:
  void ActiveChanged() override { FDetail->MasterChanged(); }
  void DataSetChanged() override { FDetail->MasterChanged(); }
  void DataSetScrolled(int) override { FDetail->MasterChanged(); }
  void RecordChanged(TField* field) override {
    if (!field && FDetail->FollowsMasterRecord()) FDetail->MasterChanged();
  }

 private:
  TDBDataSet* FDetail;
};

// ---- TRowTarget -------------------------------------------------------------------------

TRowTarget::TRowTarget(TDBDataSet& dataSet, std::vector<TField*> columns, int rowIdColumn, std::string what)
    : FDataSet(dataSet), FColumns(std::move(columns)), FRowIdColumn(rowIdColumn), FWhat(std::move(what)) {}

void TRowTarget::FailValue(const std::string& column, std::int64_t row, const std::string& message) {
  FDataSet.ClearRows();
  DatabaseErrorFmt(SColumnValueError, {FWhat, column, static_cast<long long>(row), message}, &FDataSet);
}

// ---- TDBDataSet -------------------------------------------------------------------------

const TClassInfo& TDBDataSet::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TDBDataSet>("TDBDataSet", &TMemDataSet::StaticClass())
          .Prop("DatabaseName", &TDBDataSet::GetDatabaseName, &TDBDataSet::SetDatabaseName)
          .Build();
  return info;
}

TDBDataSet::TDBDataSet(TComponent* owner) : TMemDataSet(owner), FMasterLink(std::make_unique<TMasterDataLink>(this)) {}

TDBDataSet::~TDBDataSet() {
  CloseOnDestroy();
  FMasterLink->SetDataSource(nullptr);
  CloseDatabase();
}

void TDBDataSet::SetDatabaseName(const std::string& name) {
  if (name == FDatabaseName) return;
  CheckInactive();
  CloseDatabase();
  FDatabaseName = name;
}

TDatabase* TDBDataSet::OpenDatabase() {
  if (FDatabase) return FDatabase;
  if (FDatabaseName.empty()) DatabaseError(SMissingDatabaseName, this);
  TDatabase* db = nullptr;
  try {
    db = Session()->OpenDatabase(FDatabaseName);
  } catch (const EDatabaseError& e) {
    DatabaseError(e.Message(), this);
  }
  FDatabase = db;
  FDatabase->AddDataSet(this);
  FDatabase->FreeNotification(this);
  return FDatabase;
}

void TDBDataSet::CloseDatabase() {
  if (!FDatabase) return;
  TDatabase* db = FDatabase;
  FDatabase = nullptr;
  db->RemoveDataSet(this);
  RemoveFreeNotification(db);
  Session()->CloseDatabase(db);
}

void TDBDataSet::Notification(TComponent* component, TOperation operation) {
  TMemDataSet::Notification(component, operation);
  if (operation == TOperation::opRemove && component == FDatabase) FDatabase = nullptr;
}

void TDBDataSet::InternalClose() {
  TMemDataSet::InternalClose();
  ClearRows();
  CloseDatabase();
}

void TDBDataSet::ClearRows() {
  ClearStoredRows();
  FRowIds.clear();
}

TDataSource* TDBDataSet::GetMasterLinkSource() const { return FMasterLink->GetDataSource(); }

void TDBDataSet::SetMasterLinkSource(TDataSource* source) {
  if (source == GetMasterLinkSource()) return;
  if (source && source->IsLinkedTo(this)) DatabaseError(SCircularDataLink, this);
  FMasterLink->SetDataSource(source);
  if (source) source->FreeNotification(this);
}

TDataSet* TDBDataSet::GetMasterDataSet() const { return FMasterLink->GetDataSet(); }

void TDBDataSet::FieldDefsFromStatement(TDriverStatement& stmt) {
  GetFieldDefs()->Clear();
  std::vector<TColumnDesc> columns;
  if (!stmt.DescribeColumns(columns)) DatabaseError(GetDatabase()->Connection().GetLastError().Message, this);
  for (const TColumnDesc& c : columns)
    if (GetFieldDefs()->IndexOf(c.Name) < 0) GetFieldDefs()->Add(c.Name, c.DataType, c.Size);
}

void TDBDataSet::LoadRows(TDriverStatement& stmt, const std::string& what, int rowIdColumn) {
  int n = stmt.GetColumnCount();
  std::vector<TField*> columns(static_cast<std::size_t>(n), nullptr);
  for (int i = 0; i < n; ++i) {
    if (i == rowIdColumn) continue;
    TField* f = FindField(stmt.GetColumnName(i));
    if (f && f->GetFieldKind() == fkData && std::find(columns.begin(), columns.end(), f) == columns.end())
      columns[static_cast<std::size_t>(i)] = f;
  }
  for (TField* f : GetFields())
    if (f->GetFieldKind() == fkData && std::find(columns.begin(), columns.end(), f) == columns.end())
      DatabaseErrorFmt(SFieldNotInResult, {f->GetFieldName(), what}, this);
  ClearRows();
  TRowTarget target(*this, std::move(columns), rowIdColumn, what);
  if (!stmt.ReadRows(target)) {
    ClearRows();
    GetDatabase()->Fail(what);
  }
}

// ---- TTable ------------------------------------------------------------------------------

const TClassInfo& TTable::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TTable>("TTable", &TDBDataSet::StaticClass())
          .Prop("IndexName", &TTable::GetIndexName, &TTable::SetIndexName)
          .Prop("MasterFields", &TTable::GetMasterFields, &TTable::SetMasterFields)
          .Prop("MasterSource", &TTable::GetMasterSource, &TTable::SetMasterSource)
          .Prop("TableName", &TTable::GetTableName, &TTable::SetTableName)
          .Build();
  return info;
}

TTable::TTable(TComponent* owner) : TDBDataSet(owner) {
  GetIndexDefs()->SetUpdater([this](TIndexDefs&) { UpdateIndexDefs(); });
}

TTable::~TTable() {
  CloseOnDestroy();
}

void TTable::SetTableName(const std::string& name) {
  if (name == FTableName) return;
  CheckInactive();
  FTableName = name;
}

void TTable::SetMasterSource(TDataSource* source) {
  if (source == GetMasterSource()) return;
  SetMasterLinkSource(source);
  MasterChanged();
}

void TTable::SetMasterFields(const std::string& fields) {
  FMasterFields = fields;
  MasterChanged();
}

void TTable::SetIndexName(const std::string& name) {
  if (name.empty()) {
    FIndexName.clear();
    return;
  }
  if (HasState(csReading) || HasState(csLoading)) {
    // The index definitions need DatabaseName and TableName, which a form file may list
    // later: Loaded applies the name.
    FIndexName = name;
    return;
  }
  ApplyIndexName(name);
}

void TTable::ApplyIndexName(const std::string& name) {
  if (GetIndexDefs()->GetCount() == 0) UpdateIndexDefs();
  TIndexDef* def = GetIndexDefs()->Find(name);
  if (!def) DatabaseErrorFmt(SIndexNotFound, {name}, this);
  SetIndexFieldNames(def->GetFields());
  FIndexName = name;
}

void TTable::Loaded() {
  // Before the base class opens a table read as Active, so that it opens in index order.
  if (!FIndexName.empty()) ApplyIndexName(FIndexName);
  TDBDataSet::Loaded();
}

TTableRef TTable::Table(bool mustExist) {
  if (FTableName.empty()) DatabaseError(SMissingTableName, this);
  return OpenDatabase()->TableRef(FTableName, mustExist);
}

std::string TTable::SelectRowsSQL(const TTableRef& table) {
  std::vector<std::string> columns;
  for (int i = 0; i < GetFieldDefs()->GetCount(); ++i) columns.push_back(GetFieldDefs()->GetItem(i)->GetName());
  TDriverConnection& connection = GetDatabase()->Connection();
  FRowIdName = connection.RowIdName(columns);
  if (FRowIdName.empty()) DatabaseErrorFmt(SNoRowIdColumn, {FTableName}, this);
  return connection.SelectSQL(table, FRowIdName);
}

void TTable::ReadTable(const TTableRef& table) {
  std::string what = Format(STableWhat, {FTableName});
  std::unique_ptr<TDriverStatement> stmt = GetDatabase()->Prepare(SelectRowsSQL(table), what);
  LoadRows(*stmt, what, 0);
}

void TTable::InternalInitFieldDefs() {
  TTableRef table = Table(true);
  std::unique_ptr<TDriverStatement> stmt =
      GetDatabase()->Prepare(GetDatabase()->Connection().ColumnsSQL(table), Format(STableWhat, {FTableName}));
  FieldDefsFromStatement(*stmt);
}

bool TTable::RowInRange(std::int64_t rowId) { return FMasterInRange ? FMasterInRange(rowId) : true; }

void TTable::InternalOpen() {
  TMemDataSet::InternalOpen();
  TTableRef table = Table(true);
  // Room for all rows at once: the row store does not grow and copy while loading.
  TDatabase* db = GetDatabase();
  std::int64_t rows = QueryInteger(db, db->Connection().CountSQL(table), Format(STableWhat, {FTableName}));
  ReserveRows(rows);
  FRowIds.reserve(static_cast<std::size_t>(rows));
  ReadTable(table);
  SetupRange();
  BuildView();
}

std::int64_t TTable::InternalRefresh(std::int64_t currentRow) {
  // The current record is found again by its row id.
  std::int64_t rowid = currentRow >= 0 && currentRow < static_cast<std::int64_t>(FRowIds.size())
                           ? FRowIds[static_cast<std::size_t>(currentRow)]
                           : -1;
  TTableRef table = Table(true);
  try {
    ReadTable(table);
  } catch (...) {
    // The rows may be gone: the view and the buffers must not point at them.
    BuildView();
    Resync({});
    throw;
  }
  SetupRange();
  BuildView();
  if (rowid < 0) return -1;
  auto it = std::find(FRowIds.begin(), FRowIds.end(), rowid);
  return it == FRowIds.end() ? -1 : static_cast<std::int64_t>(it - FRowIds.begin());
}

void TTable::SetupRange() {
  FMasterInRange = nullptr;
  FRangeActive = false;
  TDataSet* master = GetMasterDataSet();
  if (!master || !master->GetActive() || FMasterFields.empty()) return;
  auto masterFields = master->GetFieldList(FMasterFields);
  std::vector<TField*> detail;
  if (GetIndexFieldCount() > 0) {
    for (int i = 0; i < GetIndexFieldCount() && detail.size() < masterFields.size(); ++i) detail.push_back(GetIndexField(i));
  } else {
    for (TField* m : masterFields) detail.push_back(FieldByName(m->GetFieldName()));
  }
  if (detail.size() != masterFields.size()) DatabaseErrorFmt(SMasterFieldsMismatch, {FMasterFields}, this);
  std::vector<Variant> values;
  for (TField* m : masterFields) values.push_back(master->IsEmpty() ? Variant() : m->GetAsVariant());
  FRangeActive = true;
  FMasterInRange = [this, detail, values](std::int64_t row) {
    const std::uint8_t* data = StoredRowData(row);
    for (std::size_t i = 0; i < detail.size(); ++i) {
      const TField* f = detail[i];
      if (values[i].IsNull()) return false;
      if (!data[f->GetOffset()]) return false;
      if (!(f->NativeToVariant(data + f->GetOffset() + 1) == values[i])) return false;
    }
    return true;
  };
}

void TTable::MasterChanged() {
  // The detail follows the master only in browse state.
  if (!GetActive() || GetState() == dsInactive || GetState() == dsEdit || GetState() == dsInsert) return;
  SetupRange();
  BuildView();
  First();
}

void TTable::DoOnNewRecord() {
  TDataSet* master = GetMasterDataSet();
  if (FRangeActive && master && master->GetActive() && !FMasterFields.empty() && !master->IsEmpty()) {
    auto masterFields = master->GetFieldList(FMasterFields);
    for (std::size_t i = 0; i < masterFields.size(); ++i) {
      TField* d = GetIndexFieldCount() > static_cast<int>(i) ? GetIndexField(static_cast<int>(i))
                                                             : FieldByName(masterFields[i]->GetFieldName());
      d->SetAsVariant(masterFields[i]->GetAsVariant());
    }
  }
  TDBDataSet::DoOnNewRecord();
}

/*
** Writes a posted record as one transaction: an insert, or an update of the row by its
** row id. A new record's automatic numbers that it does not bring are filled into the
** buffer from the table first. An update that finds no row (another connection deleted
** it) raises and the transaction rolls back.
*/
void TTable::StoreRow(std::int64_t rowId, TRecordBuffer& buffer, bool inserting) {
  if (GetReadOnly()) DatabaseError(SReadOnlyTable, this);
  TTableRef table = Table(true);
  TDatabase* db = GetDatabase();
  TDriverConnection& connection = db->Connection();
  std::vector<TField*> fields;
  std::vector<std::string> names;
  for (TField* f : GetFields())
    if (f->GetFieldKind() == fkData) {
      fields.push_back(f);
      names.push_back(f->GetFieldName());
    }
  std::string what = Format(SCannotPostTo, {FTableName});
  TTransaction transaction(db, what);
  if (inserting) {
    for (TField* f : fields) {
      if (f->GetDataType() != ftAutoInc || buffer.Data[static_cast<std::size_t>(f->GetOffset())]) continue;
      auto next = static_cast<std::int32_t>(QueryInteger(db, connection.NextValueSQL(table, f->GetFieldName()), what));
      buffer.Data[static_cast<std::size_t>(f->GetOffset())] = 1;
      std::memcpy(buffer.Data.data() + f->GetOffset() + 1, &next, 4);
    }
  }
  std::unique_ptr<TDriverStatement> stmt = db->Prepare(
      inserting ? connection.InsertSQL(table, names) : connection.UpdateSQL(table, names, FRowIdName), what);
  for (std::size_t i = 0; i < fields.size(); ++i)
    if (!stmt->Bind(static_cast<int>(i) + 1, FieldValue(fields[i], buffer))) db->Fail(what);
  if (!inserting) {
    std::int64_t rowid = rowId < static_cast<std::int64_t>(FRowIds.size()) ? FRowIds[static_cast<std::size_t>(rowId)] : -1;
    if (!stmt->Bind(static_cast<int>(fields.size()) + 1, Variant(rowid))) db->Fail(what);
  }
  Run(db, *stmt, what);
  if (!inserting && connection.GetChanges() == 0) DatabaseErrorFmt(SRecordDeletedByOther, {what}, this);
  std::int64_t newRowid = connection.GetLastInsertId();
  transaction.Commit();
  if (inserting) {
    if (FRowIds.size() <= static_cast<std::size_t>(rowId)) FRowIds.resize(static_cast<std::size_t>(rowId) + 1, -1);
    FRowIds[static_cast<std::size_t>(rowId)] = newRowid;
  }
}

void TTable::RemoveRow(std::int64_t rowId) {
  TTableRef table = Table(true);
  TDatabase* db = GetDatabase();
  std::string what = Format(SCannotDeleteFrom, {FTableName});
  TTransaction transaction(db, what);
  std::unique_ptr<TDriverStatement> stmt = db->Prepare(db->Connection().DeleteSQL(table, FRowIdName), what);
  if (!stmt->Bind(1, Variant(FRowIds[static_cast<std::size_t>(rowId)]))) db->Fail(what);
  Run(db, *stmt, what);
  transaction.Commit();
}

bool TTable::Exists() {
  TDatabase* db = OpenDatabase();
  TScopeExit close([this] {
    if (!GetActive()) CloseDatabase();
  });
  if (!db->IsSQLBased()) {
    std::error_code ec;
    return fs::is_regular_file(db->TableFilePath(FTableName), ec);
  }
  bool exists = false;
  if (!db->Connection().TableExists({"", FTableName}, exists)) db->Fail(Format(STableWhat, {FTableName}));
  return exists;
}

void TTable::CreateTable() {
  CheckInactive();
  if (Exists()) DatabaseErrorFmt(STableExists, {FTableName}, this);
  if (GetFieldDefs()->GetCount() == 0) {
    // Persistent fields describe the table when no definitions were given.
    for (TField* f : GetFields())
      if (f->GetFieldKind() == fkData) GetFieldDefs()->Add(f->GetFieldName(), f->GetDataType(), f->GetSize(), f->GetRequired());
  }
  if (GetFieldDefs()->GetCount() == 0) DatabaseErrorFmt(STableNoFields, {FTableName}, this);
  std::vector<TColumnDesc> columns;
  for (int i = 0; i < GetFieldDefs()->GetCount(); ++i) {
    TFieldDef* d = GetFieldDefs()->GetItem(i);
    columns.push_back({d->GetName(), d->GetDataType(), d->GetSize(), d->GetRequired()});
  }
  std::vector<std::string> primaryKey;
  std::vector<TIndexDesc> indexes;
  for (int i = 0; i < GetIndexDefs()->GetCount(); ++i) {
    TIndexDef* x = GetIndexDefs()->GetItem(i);
    if (x->GetOptions().Contains(ixPrimary)) {
      if (!primaryKey.empty()) DatabaseErrorFmt(STwoPrimaryIndexes, {FTableName}, this);
      std::size_t pos = 1;
      while (pos <= x->GetFields().size()) primaryKey.push_back(ExtractFieldName(x->GetFields(), pos));
    } else {
      std::string name = x->GetName().empty() ? FTableName + "_" + std::to_string(i) : x->GetName();
      indexes.push_back({name, x->GetFields(), false, x->GetOptions().Contains(ixUnique)});
    }
  }
  TScopeExit close([this] { CloseDatabase(); });
  TTableRef table = Table(false);
  TDatabase* db = GetDatabase();
  TDriverConnection& connection = db->Connection();
  std::string createTable = connection.CreateTableSQL(table, columns, primaryKey);
  TTransaction transaction(db, Format(SCannotCreateTable, {FTableName}));
  db->Execute(createTable);
  for (const TIndexDesc& index : indexes) db->Execute(connection.CreateIndexSQL(table, index));
  transaction.Commit();
}

void TTable::EmptyTable() {
  TTableRef table = Table(true);
  TDatabase* db = GetDatabase();
  TTransaction transaction(db, Format(SCannotEmptyTable, {FTableName}));
  db->Execute(db->Connection().EmptySQL(table));
  transaction.Commit();
  if (GetActive()) {
    ClearRows();
    BuildView();
    Resync({});
  } else {
    CloseDatabase();
  }
}

void TTable::DeleteTable() {
  CheckInactive();
  TDatabase* db = OpenDatabase();
  TScopeExit close([this] { CloseDatabase(); });
  if (db->IsSQLBased()) {
    db->Execute(db->Connection().DropTableSQL({"", FTableName}));
    return;
  }
  std::string file = db->TableFilePath(FTableName);
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) DatabaseErrorFmt(STableNoFile, {FTableName, file}, this);
  // The file must not stay attached while it is removed.
  db->Close();
  if (!fs::remove(file, ec) || ec) DatabaseErrorFmt(SCannotDeleteTableFile, {file, ec.message()}, this);
}

void TTable::UpdateIndexDefs() {
  TTableRef table = Table(true);
  TScopeExit close([this] {
    if (!GetActive()) CloseDatabase();
  });
  GetIndexDefs()->Clear();
  std::vector<TIndexDesc> indexes;
  if (!GetDatabase()->Connection().ReadIndexes(table, indexes))
    GetDatabase()->Fail(Format(SIndexDefsWhat, {FTableName}));
  for (const TIndexDesc& x : indexes) {
    TIndexOptions options;
    if (x.Primary) options.Include(ixPrimary);
    if (x.Unique) options.Include(ixUnique);
    GetIndexDefs()->Add(x.Name, x.Fields, options);
  }
}

// ---- TParam, TParams --------------------------------------------------------------------

const TClassInfo& TParam::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TParam>("TParam", &TCollectionItem::StaticClass())
                                      .Prop("Name", &TParam::GetName, &TParam::SetName)
                                      .Prop("DataType", &TParam::GetDataType, &TParam::SetDataType).Default(ftUnknown)
                                      .Build();
  return info;
}

void TParam::Assign(const TPersistent* source) {
  if (auto* p = dynamic_cast<const TParam*>(source)) {
    FName = p->FName;
    FDataType = p->FDataType;
    FValue = p->FValue;
    return;
  }
  TCollectionItem::Assign(source);
}

const TClassInfo& TParams::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TParams>("TParams", &TOwnedCollection::StaticClass()).Build();
  return info;
}

TParam* TParams::FindParam(const std::string& name) const {
  for (int i = 0; i < GetCount(); ++i)
    if (SameText(GetItem(i)->GetName(), name)) return GetItem(i);
  return nullptr;
}

TParam* TParams::ParamByName(const std::string& name) const {
  TParam* p = FindParam(name);
  if (!p) DatabaseErrorFmt(SParamNotFound, {name});
  return p;
}

void TParams::ParseSQL(const std::string& sql) {
  std::vector<std::pair<std::string, Variant>> names;
  std::size_t i = 0, n = sql.size();
  while (i < n) {
    char c = sql[i];
    if (c == '\'' || c == '"') {
      ++i;
      while (i < n && sql[i] != c) ++i;
      ++i;
      continue;
    }
    if (c == ':' && i + 1 < n && (std::isalpha(static_cast<unsigned char>(sql[i + 1])) || sql[i + 1] == '_') &&
        (i == 0 || sql[i - 1] != ':')) {
      std::size_t start = ++i;
      while (i < n && (std::isalnum(static_cast<unsigned char>(sql[i])) || sql[i] == '_')) ++i;
      std::string name = sql.substr(start, i - start);
      bool seen = false;
      for (auto& p : names) seen = seen || SameText(p.first, name);
      if (!seen) {
        TParam* old = FindParam(name);
        names.push_back({name, old ? old->GetValue() : Variant::Unassigned()});
      }
      continue;
    }
    ++i;
  }
  Clear();
  for (auto& [name, value] : names) {
    auto* p = static_cast<TParam*>(Add());
    p->SetName(name);
    p->SetValue(value);
  }
}

// ---- TQuery ------------------------------------------------------------------------------

const TClassInfo& TQuery::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TQuery>("TQuery", &TDBDataSet::StaticClass())
          .Prop("DataSource", &TQuery::GetDataSource, &TQuery::SetDataSource)
          .Prop("SQL", &TQuery::GetSQL, &TQuery::SetSQL)
          .ReadOnlyProp("Params", &TQuery::GetParams).Stored(false)
          .Build();
  return info;
}

TQuery::TQuery(TComponent* owner)
    : TDBDataSet(owner), FSQL(std::make_unique<TStringList>()), FParams(std::make_unique<TParams>(this)) {
  FSQL->SetOnChange(Method<&TQuery::SQLChanged>(this));
}

TQuery::~TQuery() {
  CloseOnDestroy();
  FSQL->SetOnChange(nullptr);
}

void TQuery::SetSQL(TStrings* sql) { FSQL->Assign(sql); }

void TQuery::SQLChanged(TObject*) {
  if (GetActive() && !HasState(csDestroying)) Close();
  FParams->ParseSQL(FSQL->GetText());
}

void TQuery::MasterChanged() {
  if (!GetActive() || GetState() != dsBrowse) return;
  TDataSet* master = GetMasterDataSet();
  if (!master || !master->GetActive()) return;
  DisableControls();
  TScopeExit enable([this] { EnableControls(); });
  Close();
  Open();
}

std::unique_ptr<TDriverStatement> TQuery::PrepareStatement(std::string& sql) {
  sql = Trim(FSQL->GetText());
  if (sql.empty()) DatabaseError(SNoSQLStatement, this);
  TDatabase* db = OpenDatabase();
  db->AttachTablesOf(sql);
  std::unique_ptr<TDriverStatement> stmt = db->Prepare(sql, Format(SStatementRefused, {sql}));
  TDataSet* master = GetMasterDataSet();
  for (int i = 1; i <= stmt->GetParamCount(); ++i) {
    std::string name = stmt->GetParamName(i);
    TParam* p = name.empty() ? nullptr : FParams->FindParam(name);
    TField* mf = master && master->GetActive() && !name.empty() ? master->FindField(name) : nullptr;
    Variant v;
    if (mf)
      v = mf->GetAsVariant();
    else if (p && !p->GetValue().IsEmpty())
      v = p->GetValue();
    else
      DatabaseErrorFmt(SNoParamValue, {name}, this);
    if (!stmt->Bind(i, v)) db->Fail(Format(SParamWhat, {name}));
  }
  return stmt;
}

void TQuery::Prepare() {
  std::string sql;
  PrepareStatement(sql);
}

void TQuery::InternalInitFieldDefs() {
  std::string sql;
  std::unique_ptr<TDriverStatement> stmt = PrepareStatement(sql);
  if (stmt->GetColumnCount() == 0) DatabaseErrorFmt(SStatementNoRows, {sql}, this);
  FieldDefsFromStatement(*stmt);
}

void TQuery::InternalOpen() {
  TMemDataSet::InternalOpen();
  std::string sql;
  std::unique_ptr<TDriverStatement> stmt = PrepareStatement(sql);
  LoadRows(*stmt, Format(SStatementWhat, {sql}));
  BuildView();
}

void TQuery::ExecSQL() {
  CheckInactive();
  std::string sql;
  std::unique_ptr<TDriverStatement> stmt = PrepareStatement(sql);
  TDatabase* db = GetDatabase();
  TStepResult step;
  while ((step = stmt->Step()) == srRow) {
  }
  FRowsAffected = static_cast<int>(db->Connection().GetChanges());
  if (step != srDone) db->Fail(Format(SStatementFailed, {sql}));
  stmt.reset();
  CloseDatabase();
}

void RegisterEngineClasses() {
  RegisterDataClasses();
  RegisterClasses({&TTable::StaticClass(), &TQuery::StaticClass(), &TDatabase::StaticClass()});
}

}  // namespace fw
