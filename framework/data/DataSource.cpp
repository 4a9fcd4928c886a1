#include "framework/data/DataSource.h"

#include <algorithm>

#include "framework/core/Consts.h"
#include "framework/core/Exceptions.h"
#include "framework/core/TypInfo.h"

namespace fw {

// ---- TDataSource ------------------------------------------------------------------------

const TClassInfo& TDataSource::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TDataSource>("TDataSource", &TComponent::StaticClass())
          .Prop("AutoEdit", &TDataSource::GetAutoEdit, &TDataSource::SetAutoEdit).Default(1)
          .Prop("DataSet", &TDataSource::GetDataSet, &TDataSource::SetDataSet)
          .Prop("Enabled", &TDataSource::GetEnabled, &TDataSource::SetEnabled).Default(1)
          .Prop("OnDataChange", &TDataSource::GetOnDataChange, &TDataSource::SetOnDataChange)
          .Prop("OnStateChange", &TDataSource::GetOnStateChange, &TDataSource::SetOnStateChange)
          .Prop("OnUpdateData", &TDataSource::GetOnUpdateData, &TDataSource::SetOnUpdateData)
          .Build();
  return info;
}

TDataSource::TDataSource(TComponent* owner) : TComponent(owner) {}

TDataSource::~TDataSource() {
  FOnStateChange = nullptr;
  FOnDataChange = nullptr;
  while (!FDataLinks.empty()) FDataLinks.back()->SetDataSource(nullptr);
  SetDataSet(nullptr);
}

void TDataSource::SetDataSet(TDataSet* dataSet) {
  if (dataSet == FDataSet) return;
  if (dataSet && dataSet->IsLinkedTo(this)) DatabaseError(SCircularDataLink, this);
  if (FDataSet) {
    FDataSet->RemoveDataSource(this);
    RemoveFreeNotification(FDataSet);
    // The links let go of the old dataset before they meet the new one: an active link
    // turns inactive here and active again below, so it binds to the new dataset's fields.
    FDataSet = nullptr;
    UpdateState();
  }
  FDataSet = dataSet;
  if (FDataSet) {
    FDataSet->FreeNotification(this);
    FDataSet->AddDataSource(this);
  }
  UpdateState();
}

void TDataSource::SetEnabled(bool v) {
  if (v == FEnabled) return;
  FEnabled = v;
  UpdateState();
}

void TDataSource::UpdateState() {
  TDataSetState state = FEnabled && FDataSet ? FDataSet->GetState() : dsInactive;
  if (state == FState) return;
  bool activeChanged = (state == dsInactive) != (FState == dsInactive);
  FState = state;
  for (TDataLink* l : std::vector<TDataLink*>(FDataLinks)) l->UpdateState();
  (void)activeChanged;
  if (FOnStateChange) FOnStateChange(this);
}

void TDataSource::Edit() {
  if (FAutoEdit && FState == dsBrowse && FDataSet) FDataSet->Edit();
}

bool TDataSource::IsLinkedTo(TDataSet* dataSet) const {
  return FDataSet && (FDataSet == dataSet || FDataSet->IsLinkedTo(const_cast<TDataSource*>(this)));
}

void TDataSource::AddDataLink(TDataLink* link) {
  FDataLinks.push_back(link);
  link->FDataSource = this;
  if (FDataSet) FDataSet->UpdateBufferCount();
  link->UpdateState();
}

void TDataSource::RemoveDataLink(TDataLink* link) {
  FDataLinks.erase(std::remove(FDataLinks.begin(), FDataLinks.end(), link), FDataLinks.end());
  link->FDataSource = nullptr;
  link->UpdateState();
  if (FDataSet) FDataSet->UpdateBufferCount();
}

void TDataSource::DataEvent(TDataEvent event, std::intptr_t info) {
  if (event == deUpdateState) {
    UpdateState();
    for (TDataLink* l : std::vector<TDataLink*>(FDataLinks)) l->DataEvent(event, info);
    return;
  }
  if (FState == dsInactive) return;
  for (TDataLink* l : std::vector<TDataLink*>(FDataLinks)) l->DataEvent(event, info);
  switch (event) {
    case deFieldChange:
      if (FOnDataChange) FOnDataChange(this, reinterpret_cast<TField*>(info));
      break;
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
      if (FOnDataChange) FOnDataChange(this, nullptr);
      break;
    case deUpdateRecord:
      if (FOnUpdateData) FOnUpdateData(this);
      break;
    default:
      break;
  }
}

void TDataSource::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == FDataSet) SetDataSet(nullptr);
}

// ---- TDataLink ------------------------------------------------------------------------

const TClassInfo& TDataLink::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TDataLink>("TDataLink", &TPersistent::StaticClass()).Build();
  return info;
}

TDataLink::TDataLink() = default;

TDataLink::~TDataLink() {
  if (FDataSource) FDataSource->RemoveDataLink(this);
}

void TDataLink::SetDataSource(TDataSource* source) {
  if (source == FDataSource) return;
  if (FDataSource) FDataSource->RemoveDataLink(this);
  if (source) source->AddDataLink(this);
}

TDataSet* TDataLink::GetDataSet() const { return FDataSource ? FDataSource->GetDataSet() : nullptr; }

void TDataLink::UpdateState() {
  SetActive(FDataSource && FDataSource->GetState() != dsInactive);
  bool editing = FActive && !FReadOnly && FDataSource &&
                 (FDataSource->GetState() == dsEdit || FDataSource->GetState() == dsInsert);
  if (editing != FEditing) {
    FEditing = editing;
    EditingChanged();
  }
}

void TDataLink::SetActive(bool value) {
  if (value == FActive) return;
  FActive = value;
  if (value) {
    FFirstRecord = 0;
    AdjustRange(0);
  }
  ActiveChanged();
}

void TDataLink::SetReadOnly(bool v) {
  if (v == FReadOnly) return;
  FReadOnly = v;
  UpdateState();
}

int TDataLink::GetActiveRecord() const {
  TDataSet* ds = GetDataSet();
  return FActive && ds ? ds->GetActiveRecord() - FFirstRecord : -1;
}

void TDataLink::SetActiveRecord(int index) {
  TDataSet* ds = GetDataSet();
  if (FActive && ds) ds->SetActiveRecord(index + FFirstRecord);
}

void TDataLink::SetBufferCount(int count) {
  if (count < 1) count = 1;
  if (count == FBufferCount) return;
  FBufferCount = count;
  if (TDataSet* ds = GetDataSet()) {
    ds->UpdateBufferCount();
    if (FActive) AdjustRange(0);
  }
}

int TDataLink::GetRecordCount() const {
  TDataSet* ds = GetDataSet();
  if (!FActive || !ds) return 0;
  return std::max(0, std::min(ds->GetBufferedRecordCount() - FFirstRecord, FBufferCount));
}

bool TDataLink::Edit() {
  if (!FReadOnly && FDataSource) FDataSource->Edit();
  return FEditing;
}

void TDataLink::UpdateRecord() {
  FUpdating = true;
  struct Done {
    bool& b;
    ~Done() { b = false; }
  } done{FUpdating};
  UpdateData();
}

// Keeps the link's window over the same records after the dataset's window moved by
// `shift` records, then moves it as little as needed to hold the current record.
// Returns how many records the link's window moved.
int TDataLink::AdjustRange(int shift) {
  TDataSet* ds = GetDataSet();
  if (!ds) return 0;
  int old = FFirstRecord;
  int first = FFirstRecord - shift;
  int active = ds->GetActiveRecord();
  if (active > first + FBufferCount - 1) first = active - FBufferCount + 1;
  if (active < first) first = active;
  first = std::max(0, first);
  FFirstRecord = first;
  return first + shift - old;
}

void TDataLink::DataEvent(TDataEvent event, std::intptr_t info) {
  if (event == deUpdateState) {
    UpdateState();
    return;
  }
  if (!FActive) return;
  switch (event) {
    case deFieldChange:
    case deRecordChange:
      if (!FUpdating) RecordChanged(reinterpret_cast<TField*>(info));
      break;
    case deDataSetChange:
      AdjustRange(0);
      DataSetChanged();
      break;
    case deDataSetScroll:
      DataSetScrolled(AdjustRange(static_cast<int>(info)));
      break;
    case deLayoutChange:
      AdjustRange(0);
      LayoutChanged();
      break;
    case deUpdateRecord:
      UpdateRecord();
      break;
    case deCheckBrowseMode:
      CheckBrowseMode();
      break;
    case deFocusControl:
      FocusControl(reinterpret_cast<TField*>(info));
      break;
    default:
      break;
  }
}

// ---- TFieldDataLink -------------------------------------------------------------------

const TClassInfo& TFieldDataLink::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TFieldDataLink>("TFieldDataLink", &TDataLink::StaticClass()).Build();
  return info;
}

void TFieldDataLink::SetFieldName(const std::string& name) {
  if (name == FFieldName) return;
  FFieldName = name;
  UpdateField();
}

void TFieldDataLink::UpdateField() {
  TDataSet* ds = GetDataSet();
  TField* field = GetActive() && ds && !FFieldName.empty() ? ds->FieldByName(FFieldName) : nullptr;
  if (field != FField) {
    FField = field;
    EditingChanged();
    RecordChanged(nullptr);
  }
}

bool TFieldDataLink::GetCanModify() const { return !GetReadOnly() && FField && FField->CanModify(); }

void TFieldDataLink::Reset() { RecordChanged(nullptr); }

void TFieldDataLink::ActiveChanged() {
  UpdateField();
  if (FOnActiveChange) FOnActiveChange(this);
}

void TFieldDataLink::LayoutChanged() { UpdateField(); }

void TFieldDataLink::RecordChanged(TField* field) {
  if (!field || field == FField) {
    FModified = false;
    if (FOnDataChange) FOnDataChange(this);
  }
}

void TFieldDataLink::EditingChanged() {
  if (FOnEditingChange) FOnEditingChange(this);
}

void TFieldDataLink::UpdateData() {
  if (FModified) {
    if (FField && FOnUpdateData) FOnUpdateData(this);
    FModified = false;
  }
}

void TFieldDataLink::FocusControl(TField* field) {}

}  // namespace fw
