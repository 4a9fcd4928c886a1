#include "library/QorDBUi.h"

#include <algorithm>
#include <vector>

#include "framework/core/DataModule.h"
#include "framework/core/TypInfo.h"
#include "framework/data/DataSet.h"
#include "framework/data/DataSource.h"
#include "framework/data/Field.h"
#include "framework/engine/DBDataSet.h"
#include "framework/ui/Forms.h"
#include "library/QorDB.h"
#include "library/QorDBFun.h"

namespace qor {

namespace {

/// The tens digit of a Tag, taken with truncating division (negative tags have no 8 or 9).
int TensDigit(const fw::TComponent* c) { return c->GetTag() % 100 / 10; }

/// The dataset of the data source in a published property, or null.
fw::TDataSet* SourceDataSet(const fw::TObject* component, const char* propName) {
  const fw::TPropInfo* prop = fw::GetPropInfo(component, propName);
  if (!prop || prop->Kind != fw::TTypeKind::tkClass) return nullptr;
  auto* source = dynamic_cast<fw::TDataSource*>(fw::GetObjectProp(component, prop));
  return source ? source->GetDataSet() : nullptr;
}

class TWorkList {
 public:
  void Add(fw::TDataSet* ds, bool atFront) {
    if (!ds || Contains(ds)) return;
    if (atFront)
      FList.insert(FList.begin(), ds);
    else
      FList.push_back(ds);
    for (fw::TField* field : std::vector<fw::TField*>(ds->GetFields()))
      if (fw::TDataSet* lookup = field->GetLookupDataSet()) Add(lookup, true);
  }
  bool Contains(const fw::TDataSet* ds) const { return std::find(FList.begin(), FList.end(), ds) != FList.end(); }
  const std::vector<fw::TDataSet*>& Items() const { return FList; }

 private:
  std::vector<fw::TDataSet*> FList;
};

/// Whether `m` is in the work list and is re-read in this pass (forced, or tens digit 9).
bool ReReadMaster(const TWorkList& work, fw::TDataSet* m, bool force) {
  return m && work.Contains(m) && (force || TensDigit(m) == 9);
}

void ProcessDataSet(const TWorkList& work, fw::TDataSet* x, bool force) {
  if (!x->GetActive()) {
    if (force || TensDigit(x) != 8) x->Open();
    return;
  }
  fw::TDataSetState state = x->GetState();
  bool editing = state == fw::dsEdit || state == fw::dsInsert;
  if (!force && !(TensDigit(x) == 9 && !editing)) return;
  fw::TDataSet* master = SourceDataSet(x, "MasterSource");
  if (dynamic_cast<fw::TQuery*>(master) && ReReadMaster(work, master, force)) return;
  if (dynamic_cast<fw::TQuery*>(x)) {
    fw::TDataSource* params = static_cast<fw::TQuery*>(x)->GetDataSource();
    if (params && ReReadMaster(work, params->GetDataSet(), force)) return;
  }
  RefreshDataSet(x);
}

}  // namespace

void RefreshDataOnForm(fw::TComponent* form, bool force) {
  if (!form && fw::Screen) form = fw::Screen->GetActiveForm();
  if (!form) return;
  TWorkList work;
  for (int i = 0; i < form->GetComponentCount(); ++i) {
    fw::TComponent* c = form->GetComponent(i);
    fw::TDataSet* data = SourceDataSet(c, "DataSource");
    fw::TDataSet* list = SourceDataSet(c, "ListSource");
    work.Add(list, true);
    work.Add(data, false);
  }
  for (fw::TDataSet* x : work.Items()) {
    try {
      ProcessDataSet(work, x, force);
    } catch (...) {
      // One dataset's failure leaves it as it was; the others are still processed.
    }
  }
}

void TQorAppHooks::ActiveFormChanged(fw::TObject*) {
  fw::TCustomForm* form = fw::Screen ? fw::Screen->GetActiveForm() : nullptr;
  if (form && form->GetTag() == 9 && QorApp()->GetRefreshLock() == 0) RefreshDataOnForm(form, false);
}

TQorAppHooks* QorAppHooks() {
  static TQorAppHooks hooks;
  return &hooks;
}

void StartQorApp(bool openDataSets) {
  if (fw::Screen) {
    fw::Screen->SetOnActiveFormChange(fw::Method<&TQorAppHooks::ActiveFormChanged>(QorAppHooks()));
    if (openDataSets) {
      for (int i = 0; i < fw::Screen->GetDataModuleCount(); ++i) {
        fw::TDataModule* dm = fw::Screen->GetDataModule(i);
        for (int k = 0; k < dm->GetComponentCount(); ++k) {
          auto* ds = dynamic_cast<fw::TDataSet*>(dm->GetComponent(k));
          if (!ds || ds->GetTag() % 10 != 9) continue;
          try {
            ds->Open();
          } catch (...) {
            // A dataset that cannot be opened stays closed; the others are opened.
          }
        }
      }
    }
  } else {
    QorApp()->ShowMessageNoRefresh(SScreenNotInitialized);
  }
  if (fw::Application) {
    if (fw::TCustomForm* main = fw::Application->GetMainForm()) RefreshDataOnForm(main, false);
    if (fw::Screen && fw::Screen->GetDataModuleCount() > 0) {
      fw::TDataModule* dm = fw::Screen->GetDataModule(fw::Screen->GetDataModuleCount() - 1);
      QorApp()->OldDataModuleDestroy = dm->GetOnDestroy();
      dm->SetOnDestroy(fw::Method<&TQorApp::DataModuleDestroy>(QorApp()));
    }
  }
}

}  // namespace qor
