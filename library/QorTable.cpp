// Unit QorTable: class information and steps of TQorTable and TQorQuery, the automatic
// numbering query and AssignAutoIncValues.
#include "library/QorTable.h"

#include <vector>

#include "framework/core/Dialogs.h"
#include "framework/core/Exceptions.h"
#include "framework/core/Scoped.h"
#include "framework/data/DataSource.h"
#include "framework/data/Field.h"
#include "framework/engine/Database.h"
#include "library/QorConst.h"

namespace qor {

namespace {

fw::TQuery* gAutoIncQuery = nullptr;
fw::TIntegerField* gMaxNumField = nullptr;

/// Numbering before a post, for a dataset of an SQL-based database.
void NumberBeforePost(fw::TDBDataSet* dataSet, const std::string& tableName) {
  fw::TDatabase* db = dataSet->GetDatabase();
  if (db && db->IsSQLBased()) AssignAutoIncValues(dataSet, tableName, dataSet->GetDatabaseName());
}

}  // namespace

// ------------------------------------------------------------------ TQorTable

const fw::TClassInfo& TQorTable::StaticClass() {
  static const fw::TClassInfo& info = [] () -> const fw::TClassInfo& {
    fw::TClassBuilder<TQorTable> builder("TQorTable", &fw::TTable::StaticClass());
    PublishProps(builder, [](fw::TClassBuilder<TQorTable>&) {});
    return builder.Build();
  }();
  return info;
}

TQorTable::TQorTable(fw::TComponent* owner)
    : TQorDataSetProps(owner) {
  EnsureUnitsStarted();
}

TQorTable::~TQorTable() {
  // Closed here, while the steps of this class still run.
  CloseOnDestroy();
}

void TQorTable::DoBeforeInsert() {
  fw::TDataSource* source = GetMasterSource();
  if (fw::TDataSet* master = source ? source->GetDataSet() : nullptr) {
    if (master->GetState() == fw::dsInsert) {
      master->Post();
      if (master->GetState() == fw::dsInsert) fw::Abort();
    }
    if (master->GetBOF() && master->GetEOF()) fw::Abort();
  }
  fw::TTable::DoBeforeInsert();
}

void TQorTable::DoBeforePost() {
  NumberBeforePost(this, GetTableName());
  fw::TTable::DoBeforePost();
}

void TQorTable::OpenCursorComplete() {
  fw::TTable::OpenCursorComplete();
  EnsureUnitsStarted();
  if (DataSetOpenedHook) DataSetOpenedHook(this);
}

// ------------------------------------------------------------------ TQorQuery

const fw::TClassInfo& TQorQuery::StaticClass() {
  static const fw::TClassInfo& info = [] () -> const fw::TClassInfo& {
    fw::TClassBuilder<TQorQuery> builder("TQorQuery", &fw::TQuery::StaticClass());
    PublishProps(builder, [](fw::TClassBuilder<TQorQuery>& b) {
      b.Prop("TableName", &TQorQuery::GetTableName, &TQorQuery::SetTableName);
    });
    return builder.Build();
  }();
  return info;
}

TQorQuery::TQorQuery(fw::TComponent* owner)
    : TQorDataSetProps(owner) {
  EnsureUnitsStarted();
}

TQorQuery::~TQorQuery() {
  CloseOnDestroy();
}

void TQorQuery::DoBeforePost() {
  NumberBeforePost(this, FTableName);
  fw::TQuery::DoBeforePost();
}

void TQorQuery::OpenCursorComplete() {
  fw::TQuery::OpenCursorComplete();
  EnsureUnitsStarted();
  if (DataSetOpenedHook) DataSetOpenedHook(this);
  if (FTableName.empty() || GetSortingList()->GetCount() > 0 || HasState(fw::csDesigning)) return;
  // A table of the same database, never opened: only its index definitions are read.
  auto table = std::make_unique<fw::TTable>(nullptr);
  table->SetDatabaseName(GetDatabaseName());
  table->SetTableName(FTableName);
  table->GetIndexDefs()->Update();
  fw::TIndexDefs* defs = table->GetIndexDefs();
  for (int i = 0; i < defs->GetCount(); ++i) GetSortingList()->Add(defs->GetItem(i)->GetFields());
}

// ------------------------------------------------------------------ automatic numbering

fw::TQuery* AutoIncQuery() { return gAutoIncQuery; }

void InitQorTableUnit() {
  if (gAutoIncQuery) return;
  try {
    auto query = std::make_unique<fw::TQuery>(nullptr);
    auto* field = new fw::TIntegerField(query.get());
    field->SetFieldName("MaxNumAutoIncQuery");
    field->SetDataSet(query.get());
    gAutoIncQuery = query.release();
    gMaxNumField = field;
  } catch (...) {
    gAutoIncQuery = nullptr;
    gMaxNumField = nullptr;
    fw::ShowMessage(SAutoIncQueryNotCreated);
  }
}

void DoneQorTableUnit() {
  delete gAutoIncQuery;  // frees the field it owns
  gAutoIncQuery = nullptr;
  gMaxNumField = nullptr;
}

void AssignAutoIncValues(fw::TDataSet* dataSet, const std::string& tableName,
                         const std::string& databaseName) {
  EnsureUnitsStarted();
  if (!dataSet || dataSet->GetState() != fw::dsInsert) return;
  fw::TQuery* query = gAutoIncQuery;
  if (!query || !gMaxNumField) return;
  for (fw::TField* field : std::vector<fw::TField*>(dataSet->GetFields())) {
    if (field->GetDataType() != fw::ftAutoInc) continue;
    // The query is left closed and empty whatever happens below.
    fw::TScopeExit reset([query] {
      try {
        query->Close();
      } catch (...) {
      }
      query->GetSQL()->Clear();
    });
    query->SetDatabaseName(databaseName);
    query->GetSQL()->Add("select max(" + field->GetFieldName() + ") as MaxNumAutoIncQuery from " + tableName);
    query->Open();
    std::int32_t next = gMaxNumField->GetAsInteger() + 1;
    if (field->GetReadOnly()) {
      field->SetReadOnly(false);
      fw::TScopeExit again([field] { field->SetReadOnly(true); });
      field->SetAsInteger(next);
    } else {
      field->SetAsInteger(next);
    }
  }
}

}  // namespace qor
