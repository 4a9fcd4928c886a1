#include "framework/data/DataSet.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "framework/core/Consts.h"
#include "framework/core/Exceptions.h"
#include "framework/core/Scoped.h"
#include "framework/core/Text.h"
#include "framework/data/DataSource.h"
#include "framework/data/FilterExpr.h"

namespace fw {

const TClassInfo& TDataSet::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TDataSet>("TDataSet", &TComponent::StaticClass())
          .Prop("Active", &TDataSet::GetActive, &TDataSet::SetActive).Default(0)
          .Prop("AutoCalcFields", &TDataSet::GetAutoCalcFields, &TDataSet::SetAutoCalcFields).Default(1)
          .Prop("Filter", &TDataSet::GetFilter, &TDataSet::SetFilter)
          .Prop("Filtered", &TDataSet::GetFiltered, &TDataSet::SetFiltered).Default(0)
          .Prop("FilterOptions", &TDataSet::GetFilterOptions, &TDataSet::SetFilterOptions).Default(0)
          .Prop("BeforeOpen", &TDataSet::GetBeforeOpen, &TDataSet::SetBeforeOpen)
          .Prop("AfterOpen", &TDataSet::GetAfterOpen, &TDataSet::SetAfterOpen)
          .Prop("BeforeClose", &TDataSet::GetBeforeClose, &TDataSet::SetBeforeClose)
          .Prop("AfterClose", &TDataSet::GetAfterClose, &TDataSet::SetAfterClose)
          .Prop("BeforeInsert", &TDataSet::GetBeforeInsert, &TDataSet::SetBeforeInsert)
          .Prop("AfterInsert", &TDataSet::GetAfterInsert, &TDataSet::SetAfterInsert)
          .Prop("BeforeEdit", &TDataSet::GetBeforeEdit, &TDataSet::SetBeforeEdit)
          .Prop("AfterEdit", &TDataSet::GetAfterEdit, &TDataSet::SetAfterEdit)
          .Prop("BeforePost", &TDataSet::GetBeforePost, &TDataSet::SetBeforePost)
          .Prop("AfterPost", &TDataSet::GetAfterPost, &TDataSet::SetAfterPost)
          .Prop("BeforeCancel", &TDataSet::GetBeforeCancel, &TDataSet::SetBeforeCancel)
          .Prop("AfterCancel", &TDataSet::GetAfterCancel, &TDataSet::SetAfterCancel)
          .Prop("BeforeDelete", &TDataSet::GetBeforeDelete, &TDataSet::SetBeforeDelete)
          .Prop("AfterDelete", &TDataSet::GetAfterDelete, &TDataSet::SetAfterDelete)
          .Prop("BeforeScroll", &TDataSet::GetBeforeScroll, &TDataSet::SetBeforeScroll)
          .Prop("AfterScroll", &TDataSet::GetAfterScroll, &TDataSet::SetAfterScroll)
          .Prop("OnCalcFields", &TDataSet::GetOnCalcFields, &TDataSet::SetOnCalcFields)
          .Prop("OnFilterRecord", &TDataSet::GetOnFilterRecord, &TDataSet::SetOnFilterRecord)
          .Prop("OnNewRecord", &TDataSet::GetOnNewRecord, &TDataSet::SetOnNewRecord)
          .Build();
  return info;
}

TDataSet::TDataSet(TComponent* owner)
    : TComponent(owner), FFieldDefs(std::make_unique<TFieldDefs>(this)) {}

TDataSet::~TDataSet() {
  CloseOnDestroy();
  while (!FDataSources.empty()) FDataSources.back()->SetDataSet(nullptr);
  // Fields owned by others leave; default fields (owned by us) go with our components.
  for (TField* f : std::vector<TField*>(FFields)) f->FDataSet = nullptr;
  FFields.clear();
}

void TDataSet::CloseOnDestroy() noexcept {
  Destroying();
  try {
    SetActive(false);
  } catch (...) {
  }
}

void TDataSet::CheckActive() const {
  if (FState == dsInactive) DatabaseError(SDataSetClosed, this);
}

void TDataSet::CheckInactive() const {
  if (FState != dsInactive && !HasState(csDestroying)) DatabaseError(SDataSetOpen, this);
}

void TDataSet::SetState(TDataSetState state) {
  if (state == FState) return;
  FState = state;
  FModified = false;
  DataEvent(deUpdateState, 0);
}

// ---- opening and closing ---------------------------------------------------------

/*
** While a form file is read, Active is only remembered: the dataset opens in Loaded, once
** every property and reference of the file is in place, whatever the order of the file.
** During Loaded the dataset opens at once, so that another component's Loaded (a dataset
** whose lookup fields need it) may open it before its own Loaded runs.
**
** Opening a dataset again while it opens (a lookup dataset that needs the dataset itself)
** raises "Circular datalinks are not allowed" before anything of the first opening is
** touched.
*/
void TDataSet::SetActive(bool value) {
  if (HasState(csReading)) {
    FStreamedActive = value;
    return;
  }
  if (value == GetActive()) return;
  if (value) {
    if (FOpening) DatabaseError(SCircularDataLink, this);
    DoBeforeOpen();
    try {
      TRestore<bool> opening(FOpening, true);
      OpenCursor();
    } catch (...) {
      CloseCursor();
      FState = dsInactive;
      throw;
    }
    FBOF = true;
    SetState(dsBrowse);
    FillWindow(0, 0);
    FEOF = GetViewCount() == 0;
    DataEvent(deLayoutChange, 0);
    DoAfterOpen();
  } else {
    if (!HasState(csDestroying)) DoBeforeClose();
    SetState(dsInactive);
    CloseCursor();
    if (!HasState(csDestroying)) DoAfterClose();
  }
}

void TDataSet::Loaded() {
  TComponent::Loaded();
  if (FStreamedActive) {
    FStreamedActive = false;
    SetActive(true);
  }
}

void TDataSet::OpenCursor() {
  InternalInitFieldDefs();
  if (FFields.empty()) CreateDefaultFields();
  BindFields(true);
  // A filter set while the dataset was closed is bound to the fields of this opening.
  if (FFiltered && FFilterExpr) BindFilter(*FFilterExpr);
  InternalOpen();
  OpenCursorComplete();
}

void TDataSet::CloseCursor() {
  try {
    InternalClose();
  } catch (...) {
  }
  BindFields(false);
  if (FDefaultFields) {
    for (TField* f : std::vector<TField*>(FFields)) delete f;
    FFields.clear();
    FDefaultFields = false;
  }
  FBuffers.clear();
  FSlotPos.clear();
  FRecordCount = 0;
  FActiveRecord = 0;
  FCursorPos = -1;
  FCurrent = nullptr;
  FBOF = FEOF = true;
}

void TDataSet::CreateDefaultFields() {
  for (int i = 0; i < FFieldDefs->GetCount(); ++i) FFieldDefs->GetItem(i)->CreateField(this, this);
  FDefaultFields = true;
}

void TDataSet::BindFields(bool binding) {
  FDataFieldList.clear();
  FCalcFieldList.clear();
  if (!binding) {
    FDataAreaSize = FRecordSize = FBlobCount = 0;
    return;
  }
  // Data fields first (their area is what the rows store), then calculated and lookup.
  int offset = 0;
  int blobs = 0;
  int fieldNo = 0;
  for (TField* f : FFields) {
    if (f->GetFieldKind() != fkData) continue;
    int defIndex = FFieldDefs->IndexOf(f->GetFieldName());
    if (defIndex < 0 && FFieldDefs->GetCount() > 0)
      DatabaseErrorFmt(SUnknownField, {f->GetFieldName()}, this);
    f->SetFieldNo(++fieldNo);
    int blobIndex = f->IsBlob() ? blobs++ : -1;
    f->SetOffset(offset, blobIndex);
    f->PrepareLayout();
    offset += 1 + std::max(0, f->GetDataSize());
    FDataFieldList.push_back(f);
  }
  FDataAreaSize = offset;
  for (TField* f : FFields) {
    if (f->GetFieldKind() == fkData) continue;
    f->SetFieldNo(0);
    int blobIndex = f->IsBlob() ? blobs++ : -1;
    f->SetOffset(offset, blobIndex);
    f->PrepareLayout();
    offset += 1 + std::max(0, f->GetDataSize());
    FCalcFieldList.push_back(f);
  }
  FRecordSize = offset;
  FBlobCount = blobs;
  for (TField* f : FCalcFieldList)
    if (f->GetFieldKind() == fkLookup) f->BindLookup();
}

// ---- buffers ------------------------------------------------------------------------

void TDataSet::InitBuffer(TRecordBuffer& buffer) const {
  buffer.Data.assign(static_cast<std::size_t>(FRecordSize), 0);
  buffer.Blobs.assign(static_cast<std::size_t>(FBlobCount), std::string());
  buffer.RowId = -1;
}

void TDataSet::UpdateBufferCount() {
  int count = 1;
  for (TDataSource* s : FDataSources)
    for (TDataLink* l : s->GetDataLinks()) count = std::max(count, l->GetBufferCount());
  if (count == FBufferCount) return;
  FBufferCount = count;
  if (GetActive() && FState == dsBrowse) {
    Resync({});
  }
}

int TDataSet::CursorPosition() const {
  if (FRecordCount == 0) return -1;
  return FSlotPos[static_cast<std::size_t>(FActiveRecord)];
}

void TDataSet::FillBuffer(int index, int position) {
  TRecordBuffer& buf = FBuffers[static_cast<std::size_t>(index)];
  if (buf.Data.size() != static_cast<std::size_t>(FRecordSize)) InitBuffer(buf);
  std::int64_t row = GetViewRow(position);
  LoadRow(row, buf);
  buf.RowId = row;
  FSlotPos[static_cast<std::size_t>(index)] = position;
  if (!FCalcFieldList.empty()) CalculateFields(buf);
}

void TDataSet::FillWindow(int first, int activePosition) {
  int count = GetViewCount();
  FBuffers.resize(static_cast<std::size_t>(FBufferCount));
  FSlotPos.assign(static_cast<std::size_t>(FBufferCount), -1);
  if (count == 0) {
    FRecordCount = 0;
    FActiveRecord = 0;
    FCursorPos = -1;
    FCurrent = nullptr;
    return;
  }
  first = std::clamp(first, 0, std::max(0, count - 1));
  FRecordCount = std::min(FBufferCount, count - first);
  for (int i = 0; i < FRecordCount; ++i) FillBuffer(i, first + i);
  FActiveRecord = std::clamp(activePosition - first, 0, FRecordCount - 1);
  FCursorPos = first + FActiveRecord;
  FCurrent = &FBuffers[static_cast<std::size_t>(FActiveRecord)];
  assert(CheckWindow());
}

/*
** The record window's invariants, asserted wherever the window is rebuilt or moved (Debug
** and sanitizer builds; the call sits inside assert). There is a slot position per buffer;
** the valid records are the first FRecordCount buffers and stand for consecutive view
** positions, except the new record (-1) of an insert, which is the active one; the active
** record is a valid one and FCurrent points at it; in browse state the window holds
** BufferCount buffers and the cursor is the active stored record's position.
*/
bool TDataSet::CheckWindow() const {
#ifndef NDEBUG
  assert(FSlotPos.size() == FBuffers.size());
  assert(FRecordCount >= 0 && FRecordCount <= static_cast<int>(FBuffers.size()));
  if (FState == dsBrowse) assert(static_cast<int>(FBuffers.size()) == FBufferCount);
  if (FRecordCount == 0) {
    assert(FCurrent == nullptr);
    return true;
  }
  assert(FActiveRecord >= 0 && FActiveRecord < FRecordCount);
  assert(FCurrent == &FBuffers[static_cast<std::size_t>(FActiveRecord)]);
  const int count = GetViewCount();
  int previous = -1;
  for (int i = 0; i < FRecordCount; ++i) {
    const int pos = FSlotPos[static_cast<std::size_t>(i)];
    if (pos < 0) {
      assert(i == FActiveRecord);
      continue;
    }
    assert(pos < count);
    assert(previous < 0 || pos == previous + 1);
    previous = pos;
  }
  const int active = FSlotPos[static_cast<std::size_t>(FActiveRecord)];
  if (FState == dsBrowse && active >= 0) assert(FCursorPos == active);
#endif
  return true;
}

TRecordBuffer* TDataSet::GetCurrentBuffer() const {
  if (FState == dsCalcFields || FInCalc) return const_cast<TRecordBuffer*>(&FCalcBuffer);
  return FCurrent;
}

void TDataSet::SetActiveRecord(int index) {
  if (index < 0 || index >= static_cast<int>(FBuffers.size())) ListIndexError(index);
  FActiveRecord = index;
  FCurrent = &FBuffers[static_cast<std::size_t>(index)];
}

std::int64_t TDataSet::BufferRowId(int index) const {
  if (index < 0 || index >= FRecordCount) return -1;
  return FBuffers[static_cast<std::size_t>(index)].RowId;
}

void TDataSet::CalculateFields(TRecordBuffer& buffer) { ComputeCalcFields(buffer, true); }

/*
** Computes the lookup fields of `buffer` and, with `all`, clears the calculated area first
** and fires OnCalcFields. Fields read the buffer being computed: it is swapped into
** FCalcBuffer and the state is dsCalcFields until the end, whatever a handler raises.
*/
void TDataSet::ComputeCalcFields(TRecordBuffer& buffer, bool all) {
  std::swap(FCalcBuffer, buffer);
  TRestore<TDataSetState> state(FState, dsCalcFields);
  TScopeExit swapBack([&] { std::swap(FCalcBuffer, buffer); });
  if (all)
    for (TField* f : FCalcFieldList) {
      auto* p = FCalcBuffer.Data.data() + f->GetOffset();
      std::memset(p, 0, static_cast<std::size_t>(1 + std::max(0, f->GetDataSize())));
    }
  for (TField* f : FCalcFieldList)
    if (f->GetFieldKind() == fkLookup) f->CalcLookupValue();
  if (all) DoOnCalcFields();
}

// ---- navigation -----------------------------------------------------------------------

bool TDataSet::IsEmpty() const { return !GetActive() || (FRecordCount == 0 && FState != dsInsert); }

int TDataSet::GetRecordCount() const { return GetActive() ? GetViewCount() : 0; }

int TDataSet::GetRecNo() const {
  if (!GetActive() || FState == dsInsert) return 0;
  int pos = CursorPosition();
  return pos < 0 ? 0 : pos + 1;
}

void TDataSet::SetRecNo(int recNo) {
  CheckBrowseMode();
  int count = GetViewCount();
  if (recNo < 1 || recNo > count) return;
  DoBeforeScroll();
  FCursorPos = recNo - 1;
  Resync({rmCenter});
  DoAfterScroll();
}

void TDataSet::First() {
  CheckBrowseMode();
  DoBeforeScroll();
  FillWindow(0, 0);
  FBOF = true;
  FEOF = GetViewCount() == 0;
  DataEvent(deDataSetChange, 0);
  DoAfterScroll();
}

void TDataSet::Last() {
  CheckBrowseMode();
  DoBeforeScroll();
  int count = GetViewCount();
  FillWindow(count - FBufferCount, count - 1);
  FEOF = true;
  FBOF = count == 0;
  DataEvent(deDataSetChange, 0);
  DoAfterScroll();
}

int TDataSet::MoveBy(int distance) {
  CheckBrowseMode();
  if (distance == 0 || (distance > 0 && FEOF) || (distance < 0 && FBOF)) return 0;
  FBOF = FEOF = false;
  DoBeforeScroll();
  int count = GetViewCount();
  int cur = CursorPosition();
  long long target = static_cast<long long>(cur) + distance;
  if (target >= count) {
    target = count - 1;
    FEOF = true;
  }
  if (target < 0) {
    target = 0;
    FBOF = true;
  }
  int moved = static_cast<int>(target) - cur;
  int first = FSlotPos.empty() ? 0 : FSlotPos[0];
  int shift = 0;
  if (target >= first && target < first + FRecordCount) {
    FActiveRecord = static_cast<int>(target) - first;
    FCursorPos = static_cast<int>(target);
    FCurrent = &FBuffers[static_cast<std::size_t>(FActiveRecord)];
  } else {
    int newFirst = target >= first + FRecordCount ? static_cast<int>(target) - (FBufferCount - 1)
                                                   : static_cast<int>(target);
    newFirst = std::max(0, newFirst);
    shift = newFirst - first;
    if (shift > 0 && shift <= FRecordCount && static_cast<int>(FBuffers.size()) >= FBufferCount) {
      // Keep the buffers that stay in the window (none when it moves by all of them, as a
      // Next does with one buffer); fetch only the new ones.
      std::rotate(FBuffers.begin(), FBuffers.begin() + shift, FBuffers.begin() + FRecordCount);
      std::rotate(FSlotPos.begin(), FSlotPos.begin() + shift, FSlotPos.begin() + FRecordCount);
      int kept = FRecordCount - shift;
      FRecordCount = std::min(FBufferCount, count - newFirst);
      for (int i = kept; i < FRecordCount; ++i) FillBuffer(i, newFirst + i);
      FActiveRecord = static_cast<int>(target) - newFirst;
      FCursorPos = static_cast<int>(target);
      FCurrent = &FBuffers[static_cast<std::size_t>(FActiveRecord)];
    } else {
      FillWindow(newFirst, static_cast<int>(target));
    }
  }
  assert(CheckWindow());
  if (shift == 0 && moved == 0) {
    DoAfterScroll();
    return 0;
  }
  DataEvent(deDataSetScroll, shift);
  DoAfterScroll();
  return moved;
}

// ---- bookmarks, refresh, resync ------------------------------------------------------

TBookmark TDataSet::GetBookmark() const {
  if (!GetActive() || FRecordCount == 0 || !FCurrent || FState == dsInsert) return NoBookmark;
  return FCurrent->RowId;
}

bool TDataSet::BookmarkValid(TBookmark bookmark) const {
  return GetActive() && bookmark != NoBookmark && FindViewPosition(bookmark) >= 0;
}

int TDataSet::CompareBookmarks(TBookmark a, TBookmark b) const {
  int pa = a == NoBookmark ? -1 : FindViewPosition(a);
  int pb = b == NoBookmark ? -1 : FindViewPosition(b);
  return pa < pb ? -1 : (pa > pb ? 1 : 0);
}

void TDataSet::InternalGotoBookmark(TBookmark bookmark) {
  int pos = FindViewPosition(bookmark);
  if (pos < 0) DatabaseError(SRecordNotFound, this);
  FCursorPos = pos;
}

void TDataSet::GotoBookmark(TBookmark bookmark) {
  if (bookmark == NoBookmark) return;
  CheckBrowseMode();
  DoBeforeScroll();
  InternalGotoBookmark(bookmark);
  Resync({rmExact, rmCenter});
  DoAfterScroll();
}

void TDataSet::Resync(TResyncMode mode) {
  int count = GetViewCount();
  if (count == 0) {
    FillWindow(0, 0);
    FBOF = FEOF = true;
    DataEvent(deDataSetChange, 0);
    return;
  }
  int pos = FCursorPos;
  if (mode.Contains(rmExact) && (pos < 0 || pos >= count))
    DatabaseError(SRecordNotFound, this);
  pos = std::clamp(pos, 0, count - 1);
  int first;
  if (mode.Contains(rmCenter)) {
    first = pos - (FBufferCount - 1) / 2;
  } else {
    first = pos - std::min(FActiveRecord, FBufferCount - 1);
  }
  if (first + FBufferCount > count) first = count - FBufferCount;
  first = std::max(0, first);
  FillWindow(first, pos);
  FBOF = FEOF = false;
  DataEvent(deDataSetChange, 0);
}

void TDataSet::Refresh() {
  CheckBrowseMode();
  std::int64_t row = FCurrent ? FCurrent->RowId : -1;
  row = InternalRefresh(row);
  int pos = row >= 0 ? FindViewPosition(row) : -1;
  if (pos >= 0) FCursorPos = pos;
  Resync({});
}

// ---- controls -------------------------------------------------------------------------

void TDataSet::DisableControls() {
  if (FDisableCount++ == 0) {
    FDisableState = FState;
    FDisabledEvent = deDataSetChange;
  }
}

void TDataSet::EnableControls() {
  if (FDisableCount == 0 || --FDisableCount > 0) return;
  // Everything that happened while disabled, told once.
  if (FDisableState != FState) NotifyLinks(deUpdateState, 0);
  if (FDisableState != dsInactive && FState != dsInactive) NotifyLinks(FDisabledEvent, 0);
}

void TDataSet::DataEvent(TDataEvent event, std::intptr_t info) {
  if (event == deFieldChange) {
    auto* field = reinterpret_cast<TField*>(info);
    if (field->GetFieldKind() == fkData && (FState == dsEdit || FState == dsInsert)) {
      FModified = true;
      if (!FCalcFieldList.empty() && FCurrent) {
        // AutoCalcFields off: only the lookup values follow the edit at once.
        ComputeCalcFields(*FCurrent, FAutoCalcFields);
      }
    }
    field->Change();
  }
  if (FDisableCount > 0) {
    if (event == deLayoutChange || (event == deUpdateState && FState == dsInactive))
      FDisabledEvent = deLayoutChange;
    return;
  }
  NotifyLinks(event, info);
}

void TDataSet::NotifyLinks(TDataEvent event, std::intptr_t info) {
  if (FDataSources.empty()) return;  // nothing listens: no copy of the list to walk
  for (TDataSource* s : std::vector<TDataSource*>(FDataSources)) s->DataEvent(event, info);
}

void TDataSet::AddDataSource(TDataSource* source) {
  FDataSources.push_back(source);
  UpdateBufferCount();
}

void TDataSet::RemoveDataSource(TDataSource* source) {
  FDataSources.erase(std::remove(FDataSources.begin(), FDataSources.end(), source), FDataSources.end());
  UpdateBufferCount();
}

bool TDataSet::IsLinkedTo(TDataSource* source) const {
  for (const TDataSet* ds = this; ds;) {
    TDataSource* master = ds->GetDataSource();
    if (!master) return false;
    if (master == source) return true;
    ds = master->GetDataSet();
    if (ds == this) return true;
  }
  return false;
}

// ---- editing --------------------------------------------------------------------------

void TDataSet::CheckCanModify() const {
  if (!CanModify()) DatabaseError(SDataSetReadOnly, this);
}

void TDataSet::CheckFieldCanModify(const TField* field) const {
  if (FState == dsCalcFields || FInCalc) {
    if (field->GetFieldKind() == fkData)
      DatabaseErrorFmt(SFieldReadOnly, {field->GetDisplayName()}, this);
    return;
  }
  if (FState != dsEdit && FState != dsInsert && FState != dsSetKey)
    DatabaseError(SNotEditing, this);
  if (field->GetReadOnly() || field->GetFieldKind() != fkData)
    DatabaseErrorFmt(SFieldReadOnly, {field->GetDisplayName()}, this);
}

void TDataSet::BeginInsertAppend(bool append) {
  CheckBrowseMode();
  CheckCanModify();
  DoBeforeInsert();
  DoBeforeScroll();
  int count = GetViewCount();
  FInsertPos = append ? count : std::max(0, CursorPosition());
  if (append) {
    // The window ends with the last record, followed by the new one.
    int first = std::max(0, count - (FBufferCount - 1));
    FillWindow(first, count - 1);
    FInsertFromRow = FRecordCount > 0 ? FBuffers[static_cast<std::size_t>(FActiveRecord)].RowId : -1;
    int index = FRecordCount < FBufferCount ? FRecordCount : FBufferCount - 1;
    if (FRecordCount == FBufferCount && FRecordCount > 0) {
      std::rotate(FBuffers.begin(), FBuffers.begin() + 1, FBuffers.end());
      std::rotate(FSlotPos.begin(), FSlotPos.begin() + 1, FSlotPos.end());
    } else {
      ++FRecordCount;
    }
    FActiveRecord = index;
    FEOF = true;
  } else {
    FInsertFromRow = FRecordCount > 0 && FCurrent ? FCurrent->RowId : -1;
    if (FRecordCount == 0) {
      FBuffers.resize(static_cast<std::size_t>(FBufferCount));
      FSlotPos.assign(static_cast<std::size_t>(FBufferCount), -1);
      FRecordCount = 1;
      FActiveRecord = 0;
    } else {
      // The new record takes the active slot; the ones after it move down one.
      int last = std::min(FRecordCount, FBufferCount - 1);
      std::rotate(FBuffers.begin() + FActiveRecord, FBuffers.begin() + last, FBuffers.begin() + last + 1);
      std::rotate(FSlotPos.begin() + FActiveRecord, FSlotPos.begin() + last, FSlotPos.begin() + last + 1);
      if (FRecordCount < FBufferCount) ++FRecordCount;
    }
  }
  TRecordBuffer& buf = FBuffers[static_cast<std::size_t>(FActiveRecord)];
  InitBuffer(buf);
  FSlotPos[static_cast<std::size_t>(FActiveRecord)] = -1;
  FCurrent = &buf;
  assert(CheckWindow());
  if (!FCalcFieldList.empty()) CalculateFields(buf);
  SetState(dsInsert);
  DoOnNewRecord();
  FModified = false;
  DataEvent(deDataSetChange, 0);
  DoAfterInsert();
  DoAfterScroll();
}

void TDataSet::Insert() { BeginInsertAppend(false); }
void TDataSet::Append() { BeginInsertAppend(true); }

void TDataSet::Edit() {
  if (FState == dsEdit || FState == dsInsert) return;
  if (IsEmpty()) {
    Insert();
    return;
  }
  CheckBrowseMode();
  CheckCanModify();
  DoBeforeEdit();
  FSavedBuffer = *FCurrent;
  SetState(dsEdit);
  DataEvent(deRecordChange, 0);
  DoAfterEdit();
}

void TDataSet::UpdateRecord() {
  if (FState != dsEdit && FState != dsInsert && FState != dsSetKey)
    DatabaseError(SNotEditing, this);
  DataEvent(deUpdateRecord, 0);
}

void TDataSet::CheckRequiredFields() {
  for (TField* f : FDataFieldList)
    if (f->GetRequired() && !f->GetReadOnly() && f->GetFieldKind() == fkData && f->IsNull()) {
      f->FocusControl();
      DatabaseErrorFmt(SFieldRequired, {f->GetDisplayName()}, this);
    }
}

void TDataSet::Post() {
  UpdateRecord();
  if (FState != dsEdit && FState != dsInsert) return;
  DataEvent(deCheckBrowseMode, 0);
  DoBeforePost();
  CheckRequiredFields();
  // The filter is evaluated on the record before it is stored: an expression that cannot be
  // evaluated for it raises while nothing is written, and the record stays in edit.
  if (HasFilter()) BufferAccepted(*FCurrent);
  bool inserting = FState == dsInsert;
  int insertPos = FInsertPos;
  std::int64_t row = InternalPost(*FCurrent, inserting, insertPos);
  FSavedBuffer = TRecordBuffer();
  int pos = FindViewPosition(row);
  FState = dsBrowse;
  FModified = false;
  if (pos >= 0) FCursorPos = pos;
  else FCursorPos = std::min(FCursorPos < 0 ? 0 : FCursorPos, GetViewCount() - 1);
  FEOF = FBOF = false;
  DataEvent(deUpdateState, 0);
  Resync({});
  DoAfterPost();
}

void TDataSet::Cancel() {
  if (FState != dsEdit && FState != dsInsert) return;
  DataEvent(deCheckBrowseMode, 0);
  DoBeforeCancel();
  bool inserting = FState == dsInsert;
  if (!inserting && FCurrent) *FCurrent = FSavedBuffer;
  FSavedBuffer = TRecordBuffer();
  FState = dsBrowse;
  FModified = false;
  DataEvent(deUpdateState, 0);
  if (inserting) {
    // Back to the record the new one was placed at (the current one for Insert, the last
    // one for Append); when that one is gone, to a neighbour in the window.
    int pos = FInsertFromRow >= 0 ? FindViewPosition(FInsertFromRow) : -1;
    for (int i = FActiveRecord + 1; i < FRecordCount && pos < 0; ++i) pos = FSlotPos[static_cast<std::size_t>(i)];
    for (int i = FActiveRecord - 1; i >= 0 && pos < 0; --i) pos = FSlotPos[static_cast<std::size_t>(i)];
    FCursorPos = pos;
  }
  Resync({});
  DoAfterCancel();
}

void TDataSet::Delete() {
  CheckActive();
  if (FState == dsInsert) {
    Cancel();
    return;
  }
  if (IsEmpty()) DatabaseError(SDataSetEmpty, this);
  DataEvent(deCheckBrowseMode, 0);
  if (FState == dsEdit) Cancel();
  CheckCanModify();
  DoBeforeDelete();
  DoBeforeScroll();
  int pos = CursorPosition();
  InternalDelete(FCurrent->RowId);
  FCursorPos = std::min(pos, GetViewCount() - 1);
  Resync({});
  if (GetViewCount() == 0) FBOF = FEOF = true;
  DoAfterDelete();
  DoAfterScroll();
}

void TDataSet::CheckBrowseMode() {
  CheckActive();
  DataEvent(deCheckBrowseMode, 0);
  if (FState == dsEdit || FState == dsInsert) {
    UpdateRecord();
    if (FModified)
      Post();
    else
      Cancel();
  } else if (FState == dsSetKey) {
    Post();
  }
}

// ---- fields ---------------------------------------------------------------------------

void TDataSet::AddField(TField* field) {
  FFields.push_back(field);
  field->FDataSet = this;
  if (GetActive()) DataEvent(deFieldListChange, 0);
}

void TDataSet::RemoveField(TField* field) {
  FFields.erase(std::remove(FFields.begin(), FFields.end(), field), FFields.end());
  field->FDataSet = nullptr;
}

TField* TDataSet::GetField(int index) const {
  if (index < 0 || index >= GetFieldCount()) ListIndexError(index);
  return FFields[static_cast<std::size_t>(index)];
}

TField* TDataSet::FindField(const std::string& name) const {
  for (TField* f : FFields)
    if (SameText(f->GetFieldName(), name)) return f;
  return nullptr;
}

TField* TDataSet::FieldByName(const std::string& name) const {
  TField* f = FindField(name);
  if (!f) {
    if (GetName().empty()) DatabaseErrorFmt(SUnknownField, {name});
    DatabaseErrorFmt(SFieldNotFound, {GetName(), name});
  }
  return f;
}

std::vector<TField*> TDataSet::GetFieldList(const std::string& fieldNames) const {
  std::vector<TField*> out;
  std::size_t pos = 1;
  while (pos <= fieldNames.size()) out.push_back(FieldByName(ExtractFieldName(fieldNames, pos)));
  return out;
}

Variant TDataSet::GetFieldValues(const std::string& fieldNames) const {
  auto fields = GetFieldList(fieldNames);
  if (fields.size() == 1) return fields[0]->GetAsVariant();
  std::vector<Variant> values;
  values.reserve(fields.size());
  for (TField* f : fields) values.push_back(f->GetAsVariant());
  return Variant(std::move(values));
}

void TDataSet::SetFieldValues(const std::string& fieldNames, const Variant& values) {
  auto fields = GetFieldList(fieldNames);
  if (fields.size() == 1) {
    fields[0]->SetAsVariant(values);
    return;
  }
  for (std::size_t i = 0; i < fields.size(); ++i) fields[i]->SetAsVariant(values[i]);
}

void TDataSet::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) const {
  for (TField* f : FFields)
    if (!FDefaultFields && f->GetOwner() == root) proc(f);
}

// ---- searching --------------------------------------------------------------------------

bool TDataSet::LocateRecord(const std::string& keyFields, const Variant& keyValues,
                            TLocateOptions options, bool syncCursor) {
  CheckBrowseMode();
  auto fields = GetFieldList(keyFields);
  std::vector<Variant> keys;
  if (fields.size() == 1)
    keys.push_back(keyValues);
  else
    for (std::size_t i = 0; i < fields.size(); ++i) keys.push_back(keyValues[i]);
  bool partial = options.Contains(loPartialKey);
  bool nocase = options.Contains(loCaseInsensitive);
  std::vector<std::string> keyText(keys.size());
  for (std::size_t i = 0; i < keys.size(); ++i)
    if (!keys[i].IsNull() && fields[i]->GetDataType() == ftString) keyText[i] = keys[i].AsString();
  TRecordBuffer buf;
  InitBuffer(buf);
  TRestore<TRecordBuffer*> current(FCurrent, &buf);
  int count = GetViewCount();
  for (int pos = 0; pos < count; ++pos) {
    LoadRow(GetViewRow(pos), buf);
    bool match = true;
    for (std::size_t i = 0; i < fields.size() && match; ++i) {
      TField* f = fields[i];
      if (keys[i].IsNull()) {
        match = f->IsNull();
      } else if (f->GetDataType() == ftString && (partial || nocase)) {
        std::string v = f->GetAsString();
        if (partial)
          match = nocase ? StartsText(keyText[i], v) : v.compare(0, keyText[i].size(), keyText[i]) == 0;
        else
          match = SameText(v, keyText[i]);
      } else {
        Variant v = f->GetAsVariant();
        match = v == keys[i] || (!v.IsNull() && [&] {
                  try {
                    return Variant::Compare(v, keys[i]) == 0;
                  } catch (const Exception&) {
                    return false;
                  }
                }());
      }
    }
    if (match) {
      if (syncCursor) FCursorPos = pos;
      return true;
    }
  }
  return false;
}

bool TDataSet::Locate(const std::string& keyFields, const Variant& keyValues, TLocateOptions options) {
  if (FState == dsBrowse && FDataSources.empty() && !FBeforeScroll && !FAfterScroll) {
    // Nothing listens (readers that follow a key, as lookup fields do): the search, and
    // the window around the record found refilled without telling anybody; a window of
    // one record is just that record.
    if (!LocateRecord(keyFields, keyValues, options, true)) return false;
    if (FBufferCount == 1 && FBuffers.size() == 1 && FSlotPos.size() == 1 && FCursorPos >= 0 &&
        FCursorPos < GetViewCount()) {
      FillBuffer(0, FCursorPos);
      FRecordCount = 1;
      FActiveRecord = 0;
      FCurrent = &FBuffers[0];
      FBOF = FEOF = false;
    } else {
      Resync({rmExact, rmCenter});
    }
    return true;
  }
  CheckBrowseMode();
  DoBeforeScroll();
  bool found = LocateRecord(keyFields, keyValues, options, true);
  if (found) {
    Resync({rmExact, rmCenter});
    DoAfterScroll();
  }
  return found;
}

Variant TDataSet::Lookup(const std::string& keyFields, const Variant& keyValues,
                         const std::string& resultFields) {
  CheckActive();
  TRecordBuffer buf;
  {
    TRestore<int> cursor(FCursorPos);
    if (!LocateRecord(keyFields, keyValues, {}, true)) return {};
    InitBuffer(buf);
    LoadRow(GetViewRow(FCursorPos), buf);
  }
  TRestore<TRecordBuffer*> current(FCurrent, &buf);
  if (!FCalcFieldList.empty()) CalculateFields(buf);
  return GetFieldValues(resultFields);
}

// ---- filtering ------------------------------------------------------------------------------

void TDataSet::SetFilter(const std::string& text) {
  if (text == FFilterText) return;
  std::unique_ptr<TFilterExpression> expr;
  if (!text.empty()) {
    TFilterExprOptions opts;
    opts.CaseInsensitive = FFilterOptions.Contains(foCaseInsensitive);
    opts.NoPartialCompare = FFilterOptions.Contains(foNoPartialCompare);
    try {
      expr = std::make_unique<TFilterExpression>(text, opts);
    } catch (const EDatabaseError& e) {
      DatabaseError(e.Message(), this);
    }
  }
  if (GetActive() && FFiltered && expr) BindFilter(*expr);
  FFilterText = text;
  FFilterExpr = std::move(expr);
  if (GetActive() && FFiltered) RebuildFilter();
}

void TDataSet::BindFilter(TFilterExpression& expr) {
  try {
    expr.Bind([this](const std::string& name) {
      TField* f = FindField(name);
      return f ? f->GetIndex() : -1;
    });
  } catch (const EDatabaseError& e) {
    DatabaseError(e.Message(), this);
  }
}

void TDataSet::SetFiltered(bool v) {
  if (v == FFiltered) return;
  FFiltered = v;
  if (GetActive()) RebuildFilter();
}

void TDataSet::SetFilterOptions(TFilterOptions v) {
  if (v == FFilterOptions) return;
  FFilterOptions = v;
  std::string text = FFilterText;
  FFilterText.clear();
  FFilterExpr.reset();
  SetFilter(text);
}

void TDataSet::SetOnFilterRecord(TFilterRecordEvent e) {
  FOnFilterRecord = e;
  if (GetActive() && FFiltered) RebuildFilter();
}

bool TDataSet::HasFilter() const { return FFiltered && (FFilterExpr || FOnFilterRecord); }

void TDataSet::RebuildFilter() {
  CheckBrowseMode();
  if (FFilterExpr && FFiltered) BindFilter(*FFilterExpr);
  std::int64_t row = FCurrent ? FCurrent->RowId : -1;
  FilterChanged();
  int pos = row >= 0 ? FindViewPosition(row) : -1;
  FCursorPos = pos >= 0 ? pos : 0;
  if (pos >= 0)
    Resync({});
  else
    First();
}

bool TDataSet::RecordAccepted(std::int64_t rowId) {
  if (!HasFilter()) return true;
  TRecordBuffer& buf = FCalcBuffer;
  InitBuffer(buf);
  LoadRow(rowId, buf);
  buf.RowId = rowId;
  return FilterCalcBuffer();
}

bool TDataSet::BufferAccepted(const TRecordBuffer& record) {
  if (!HasFilter()) return true;
  // The stored part only, as a stored row is seen by RecordAccepted.
  TRecordBuffer& buf = FCalcBuffer;
  InitBuffer(buf);
  std::copy_n(record.Data.begin(), std::min<std::size_t>(record.Data.size(), static_cast<std::size_t>(FDataAreaSize)),
              buf.Data.begin());
  for (std::size_t i = 0; i < buf.Blobs.size() && i < record.Blobs.size(); ++i) buf.Blobs[i] = record.Blobs[i];
  buf.RowId = record.RowId;
  return FilterCalcBuffer();
}

bool TDataSet::FilterCalcBuffer() {
  TRestore<TDataSetState> state(FState, dsFilter);
  TRestore<bool> inCalc(FInCalc, true);
  bool accept = true;
  if (FFilterExpr) {
    try {
      accept = FFilterExpr->Evaluate([this](int index) { return FFields[static_cast<std::size_t>(index)]->GetAsVariant(); });
    } catch (const EDatabaseError& e) {
      DatabaseError(e.Message(), this);
    }
  }
  if (accept && FOnFilterRecord) FOnFilterRecord(this, accept);
  return accept;
}

// ---- events ---------------------------------------------------------------------------------

#define FW_DO_EVENT(Step, Event) \
  void TDataSet::Step() {        \
    if (Event) Event(this);      \
  }
FW_DO_EVENT(DoBeforeOpen, FBeforeOpen)
FW_DO_EVENT(DoAfterOpen, FAfterOpen)
FW_DO_EVENT(DoBeforeClose, FBeforeClose)
FW_DO_EVENT(DoAfterClose, FAfterClose)
FW_DO_EVENT(DoBeforeInsert, FBeforeInsert)
FW_DO_EVENT(DoAfterInsert, FAfterInsert)
FW_DO_EVENT(DoBeforeEdit, FBeforeEdit)
FW_DO_EVENT(DoAfterEdit, FAfterEdit)
FW_DO_EVENT(DoBeforePost, FBeforePost)
FW_DO_EVENT(DoAfterPost, FAfterPost)
FW_DO_EVENT(DoBeforeCancel, FBeforeCancel)
FW_DO_EVENT(DoAfterCancel, FAfterCancel)
FW_DO_EVENT(DoBeforeDelete, FBeforeDelete)
FW_DO_EVENT(DoAfterDelete, FAfterDelete)
FW_DO_EVENT(DoBeforeScroll, FBeforeScroll)
FW_DO_EVENT(DoAfterScroll, FAfterScroll)
FW_DO_EVENT(DoOnNewRecord, FOnNewRecord)
FW_DO_EVENT(DoOnCalcFields, FOnCalcFields)
#undef FW_DO_EVENT

}  // namespace fw
