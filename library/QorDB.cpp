// Unit QorDB: the shared flag and hook of the edit-data protocol and of the library's
// datasets, the class information of its components, property access by name, the record
// cloner and the application service's refresh lock, message box and browse-mode checks.
#include "library/QorDB.h"

#include <algorithm>
#include <memory>

#include "framework/core/Dialogs.h"
#include "framework/core/Scoped.h"
#include "framework/data/DataSet.h"
#include "framework/data/Field.h"
#include "framework/engine/DBDataSet.h"
#include "framework/engine/Database.h"
#include "framework/engine/Session.h"

namespace qor {

bool ValueReturned = false;
TDataSetOpenedHook DataSetOpenedHook = nullptr;

// ------------------------------------------------------------------ class information

const fw::TClassInfo& TFieldReturn::StaticClass() {
  static const fw::TClassInfo& info =
      fw::TClassBuilder<TFieldReturn>("TFieldReturn", &fw::TComponent::StaticClass()).Build();
  return info;
}

const fw::TClassInfo& TQorDMInfo::StaticClass() {
  static const fw::TClassInfo& info =
      fw::TClassBuilder<TQorDMInfo>("TQorDMInfo", &fw::TComponent::StaticClass())
          .Prop("Caption", &TQorDMInfo::GetCaption, &TQorDMInfo::SetCaption)
          .Build();
  return info;
}

const fw::TClassInfo& TQorApp::StaticClass() {
  static const fw::TClassInfo& info =
      fw::TClassBuilder<TQorApp>("TQorApp", &fw::TComponent::StaticClass()).Build();
  return info;
}

// ------------------------------------------------------------------ property access

fw::Variant GetOrdPropByName(const fw::TObject* component, const std::string& propName) {
  if (!component) return fw::Variant::Unassigned();
  try {
    const fw::TPropInfo* prop = fw::GetPropInfo(component, propName);
    if (!prop) return fw::Variant::Unassigned();
    switch (prop->Kind) {
      case fw::TTypeKind::tkInteger:
      case fw::TTypeKind::tkEnumeration:
      case fw::TTypeKind::tkSet:
        return fw::Variant(fw::GetOrdProp(component, prop));
      case fw::TTypeKind::tkClass: {
        fw::TObject* obj = fw::GetObjectProp(component, prop);
        return fw::Variant(static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(obj)));
      }
      default:
        return fw::Variant::Unassigned();
    }
  } catch (...) {
    return fw::Variant::Unassigned();
  }
}

// ------------------------------------------------------------------ record cloner

namespace {

/// Whether the cloner copies the field: a field that can be modified now and is not an
/// automatic number. Reading and writing use the same test, so the k-th saved value
/// belongs to the k-th copied field.
bool IsCopied(const fw::TField* field) {
  return field->CanModify() && !dynamic_cast<const fw::TAutoIncField*>(field);
}

}  // namespace

void CloneRecord(fw::TDataSet* dataSet) {
  auto cloner = std::make_unique<TRecordCloner>();
  cloner->Clone(dataSet);
}

void TRecordCloner::Clone(fw::TDataSet* dataSet) {
  std::vector<std::string> values;
  ReadValues(dataSet, values);
  InsertClone(dataSet, values);
  Values = nullptr;
}

void TRecordCloner::ReadValues(fw::TDataSet* dataSet, std::vector<std::string>& values) {
  dataSet->CheckBrowseMode();
  for (fw::TField* field : dataSet->GetFields()) {
    if (!IsCopied(field)) continue;
    if (field->IsBlob()) {
      values.push_back(field->GetBlob());
    } else if (field->IsNull()) {
      values.emplace_back();
    } else {
      std::string raw(static_cast<std::size_t>(field->GetDataSize()), '\0');
      field->GetData(raw.data());
      values.push_back(std::move(raw));
    }
  }
}

void TRecordCloner::InsertClone(fw::TDataSet* dataSet, std::vector<std::string>& values) {
  Values = &values;
  OldOnNewRecord = dataSet->GetOnNewRecord();
  dataSet->SetOnNewRecord(fw::Method<&TRecordCloner::CloneNewRecord>(this));
  // The dataset gets its own handler back however the insertion ends.
  fw::TEventRestorer restore([dataSet](fw::TDataSetNotifyEvent e) { dataSet->SetOnNewRecord(e); },
                             OldOnNewRecord);
  dataSet->Insert();
}

void TRecordCloner::CloneNewRecord(fw::TDataSet* dataSet) {
  std::size_t k = 0;
  for (fw::TField* field : std::vector<fw::TField*>(dataSet->GetFields())) {
    if (!IsCopied(field)) continue;
    if (Values && k < Values->size()) {
      const std::string& value = (*Values)[k];
      try {
        // An empty saved value stands for null: a blob without content is left null too.
        if (value.empty())
          field->Clear();
        else if (field->IsBlob())
          field->SetBlob(value);
        else if (value.size() == static_cast<std::size_t>(field->GetDataSize()))
          field->SetData(value.data());
      } catch (...) {
        // The field keeps what the insertion gave it; the others are still copied.
      }
    }
    ++k;
  }
  if (OldOnNewRecord) OldOnNewRecord(dataSet);
}

// ------------------------------------------------------------------ application service

namespace {

TQorApp* gQorApp = nullptr;

}  // namespace

TQorApp* QorApp() {
  if (!gQorApp) gQorApp = new TQorApp(nullptr);
  return gQorApp;
}

void FreeQorApp() {
  delete gQorApp;
  gQorApp = nullptr;
}

void TQorApp::ShowMessageNoRefresh(const std::string& message) {
  TQorApp* app = QorApp();
  app->DisableRefresh();
  fw::TScopeExit release([app] { app->EnableRefresh(); });
  fw::ShowMessage(message);
}

void TQorApp::CheckBrowseModeAll() {
  // The datasets are taken first: a post may close and reopen datasets (a detail query
  // follows its master), which changes the lists of the databases and may even free a
  // temporary database. So each dataset is looked up again right before its check.
  std::vector<fw::TDBDataSet*> dataSets;
  fw::TSession* session = fw::Session();
  for (int i = 0; i < session->GetDatabaseCount(); ++i)
    for (fw::TDBDataSet* ds : session->GetDatabase(i)->GetDataSets()) dataSets.push_back(ds);
  auto stillAttached = [session](fw::TDBDataSet* ds) {
    for (int i = 0; i < session->GetDatabaseCount(); ++i) {
      const auto& list = session->GetDatabase(i)->GetDataSets();
      if (std::find(list.begin(), list.end(), ds) != list.end()) return true;
    }
    return false;
  };
  for (fw::TDBDataSet* ds : dataSets) {
    if (!stillAttached(ds)) continue;
    try {
      if (ds->GetActive()) ds->CheckBrowseMode();
    } catch (...) {
      // One dataset's failure does not stop the others.
    }
  }
}

void TQorApp::DataModuleDestroy(fw::TObject* sender) {
  CheckBrowseModeAll();
  if (OldDataModuleDestroy) OldDataModuleDestroy(sender);
}

}  // namespace qor
