#include "framework/data/MemDataSet.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/core/Consts.h"
#include "framework/core/Exceptions.h"
#include "framework/core/Text.h"
#include "framework/core/TypInfo.h"

namespace fw {

// ---- index definitions ------------------------------------------------------------------

const TClassInfo& TIndexDef::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TIndexDef>("TIndexDef", &TCollectionItem::StaticClass())
                                      .Prop("Name", &TIndexDef::GetName, &TIndexDef::SetName)
                                      .Prop("Fields", &TIndexDef::GetFields, &TIndexDef::SetFields)
                                      .Prop("Options", &TIndexDef::GetOptions, &TIndexDef::SetOptions).Default(0)
                                      .Build();
  return info;
}

void TIndexDef::Assign(const TPersistent* source) {
  if (auto* d = dynamic_cast<const TIndexDef*>(source)) {
    FName = d->FName;
    FFields = d->FFields;
    FOptions = d->FOptions;
    return;
  }
  TCollectionItem::Assign(source);
}

const TClassInfo& TIndexDefs::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TIndexDefs>("TIndexDefs", &TOwnedCollection::StaticClass()).Build();
  return info;
}

TIndexDef* TIndexDefs::Add(const std::string& name, const std::string& fields, TIndexOptions options) {
  auto* d = static_cast<TIndexDef*>(TCollection::Add());
  d->SetName(name);
  d->SetFields(fields);
  d->SetOptions(options);
  return d;
}

TIndexDef* TIndexDefs::Find(const std::string& name) const {
  for (int i = 0; i < GetCount(); ++i)
    if (SameText(GetItem(i)->GetName(), name)) return GetItem(i);
  return nullptr;
}

void TIndexDefs::Update() {
  if (FUpdater) FUpdater(*this);
}

// ---- hash index -----------------------------------------------------------------------------

/// Key values → the first row of the view holding them.
/// Integer keys in a narrow range are kept in a plain array indexed by the key.
struct TMemDataSet::THashIndex {
  std::unordered_map<Variant, std::int64_t> Rows;
  bool Dense = false;
  std::int64_t Base = 0;
  std::vector<std::int64_t> DenseRows;
  std::int64_t NullRow = -1;

  /// The row holding the key, or -1.
  std::int64_t Find(const Variant& key) const {
    if (!Dense) {
      auto it = Rows.find(key);
      return it == Rows.end() ? -1 : it->second;
    }
    if (key.IsNull()) return NullRow;
    std::int64_t k;
    if (key.IsOrdinal()) {
      k = key.AsInt64();
    } else if (key.IsNumeric()) {
      // Only a whole number within the integer range can be a key (NaN fails both tests).
      double d = key.AsFloat();
      if (!(d >= -9223372036854775808.0 && d < 9223372036854775808.0) || d != std::trunc(d)) return -1;
      k = static_cast<std::int64_t>(d);
    } else {
      return -1;
    }
    if (k < Base || k - Base >= static_cast<std::int64_t>(DenseRows.size())) return -1;
    return DenseRows[static_cast<std::size_t>(k - Base)];
  }
};

namespace {

bool IsIntegerField(const TField* f) {
  switch (f->GetDataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint: return true;
    default: return false;
  }
}

}  // namespace

// ---- TMemDataSet --------------------------------------------------------------------------

const TClassInfo& TMemDataSet::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TMemDataSet>("TMemDataSet", &TDataSet::StaticClass())
          .Prop("IndexFieldNames", &TMemDataSet::GetIndexFieldNames, &TMemDataSet::SetIndexFieldNames)
          .ReadOnlyProp("IndexDefs", &TMemDataSet::GetIndexDefs).Stored(false)
          .Prop("ReadOnly", &TMemDataSet::GetReadOnly, &TMemDataSet::SetReadOnly).Default(0)
          .Build();
  return info;
}

TMemDataSet::TMemDataSet(TComponent* owner)
    : TDataSet(owner), FIndexDefs(std::make_unique<TIndexDefs>(this)) {}

TMemDataSet::~TMemDataSet() { CloseOnDestroy(); }

void TMemDataSet::CreateDataSet() {
  CheckInactive();
  ClearStoredRows();
  Open();
}

void TMemDataSet::EmptyDataSet() {
  if (GetActive()) CheckBrowseMode();
  ClearStoredRows();
  if (GetActive()) {
    BuildView();
    Resync({});
  }
}

void TMemDataSet::ClearStoredRows() {
  FRowData.clear();
  FDeleted.clear();
  FBlobs.clear();
  FLiveRows = 0;
  FView.clear();
  FRowPos.clear();
  InvalidateIndexes();
}

void TMemDataSet::ReserveRows(std::int64_t count) {
  FRowData.reserve(static_cast<std::size_t>(count) * static_cast<std::size_t>(FStride));
  FDeleted.reserve(static_cast<std::size_t>(count));
}

void TMemDataSet::CheckLayout() {
  if (GetDataAreaSize() != FStride) {
    ClearStoredRows();
    FStride = GetDataAreaSize();
  }
}

void TMemDataSet::InternalOpen() {
  FFieldLists.clear();
  FRecentLists = {};
  CheckLayout();
  FIndexFields.clear();
  if (!FIndexFieldNames.empty()) FIndexFields = GetFieldList(FIndexFieldNames);
  BuildView();
}

void TMemDataSet::InternalClose() {
  FFieldLists.clear();
  FRecentLists = {};
  FView.clear();
  FRowPos.clear();
  FIndexFields.clear();
  InvalidateIndexes();
}

std::int64_t TMemDataSet::AppendStoredRow() {
  std::int64_t row = static_cast<std::int64_t>(FDeleted.size());
  FRowData.resize(FRowData.size() + static_cast<std::size_t>(FStride), 0);
  FDeleted.push_back(false);
  ++FLiveRows;
  return row;
}

std::string& TMemDataSet::StoredBlob(std::int64_t rowId, int blobIndex) {
  auto& blobs = FBlobs[rowId];
  if (blobs.size() <= static_cast<std::size_t>(blobIndex)) blobs.resize(static_cast<std::size_t>(blobIndex) + 1);
  return blobs[static_cast<std::size_t>(blobIndex)];
}

void TMemDataSet::LoadRow(std::int64_t rowId, TRecordBuffer& buffer) const {
  if (FStride > 0)
    std::memcpy(buffer.Data.data(), FRowData.data() + static_cast<std::size_t>(rowId) * static_cast<std::size_t>(FStride),
                static_cast<std::size_t>(FStride));
  if (!buffer.Blobs.empty()) {
    auto it = FBlobs.find(rowId);
    for (std::size_t i = 0; i < buffer.Blobs.size(); ++i)
      buffer.Blobs[i] = it != FBlobs.end() && i < it->second.size() ? it->second[i] : std::string();
  }
  buffer.RowId = rowId;
}

int TMemDataSet::FindViewPosition(std::int64_t rowId) const {
  if (rowId < 0 || rowId >= static_cast<std::int64_t>(FRowPos.size())) return -1;
  return FRowPos[static_cast<std::size_t>(rowId)];
}

void TMemDataSet::RebuildPositions(std::size_t from) {
  FRowPos.resize(FDeleted.size(), -1);
  for (std::size_t i = from; i < FView.size(); ++i) FRowPos[static_cast<std::size_t>(FView[i])] = static_cast<int>(i);
}

void TMemDataSet::InvalidateIndexes() {
  // Every change of the stored rows or of the view comes through here.
  FHashIndexes.clear();
  FLastIndex = nullptr;
  ++FStoredRowsVersion;
}

void TMemDataSet::BuildView() {
  InvalidateIndexes();
  FView.clear();
  FView.reserve(static_cast<std::size_t>(FLiveRows));
  bool filtered = HasFilter();
  for (std::size_t r = 0; r < FDeleted.size(); ++r) {
    if (FDeleted[r]) continue;
    if (!RowInRange(static_cast<std::int64_t>(r))) continue;
    if (filtered && !RecordAccepted(static_cast<std::int64_t>(r))) continue;
    FView.push_back(static_cast<std::int64_t>(r));
  }
  if (!FIndexFields.empty()) {
    // Sort keys are taken once per row, then the rows are ordered by them.
    std::vector<std::vector<Variant>> keys(FDeleted.size());
    TRecordBuffer buf;
    buf.Data.assign(static_cast<std::size_t>(GetDataAreaSize()) + 1024, 0);
    buf.Data.resize(static_cast<std::size_t>(std::max(GetDataAreaSize(), 1)));
    for (std::int64_t row : FView) {
      auto& k = keys[static_cast<std::size_t>(row)];
      const std::uint8_t* data = FRowData.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(FStride);
      for (TField* f : FIndexFields) {
        if (f->GetFieldKind() != fkData || f->IsBlob() || !data[f->GetOffset()]) {
          k.emplace_back();
          continue;
        }
        k.push_back(f->NativeToVariant(data + f->GetOffset() + 1));
      }
    }
    std::stable_sort(FView.begin(), FView.end(), [&](std::int64_t a, std::int64_t b) {
      const auto& ka = keys[static_cast<std::size_t>(a)];
      const auto& kb = keys[static_cast<std::size_t>(b)];
      for (std::size_t i = 0; i < ka.size(); ++i) {
        int c;
        try {
          c = Variant::Compare(ka[i], kb[i]);
        } catch (const Exception&) {
          c = 0;
        }
        if (c != 0) return c < 0;
      }
      return false;
    });
  }
  FRowPos.assign(FDeleted.size(), -1);
  RebuildPositions(0);
}

void TMemDataSet::SetIndexFieldNames(const std::string& names) {
  if (names == FIndexFieldNames) return;
  if (GetActive()) {
    auto fields = names.empty() ? std::vector<TField*>{} : GetFieldList(names);
    CheckBrowseMode();
    FIndexFieldNames = names;
    FIndexFields = std::move(fields);
    std::int64_t row = GetBookmark();
    BuildView();
    if (row != NoBookmark) InternalGotoBookmark(row);
    Resync({});
    return;
  }
  FIndexFieldNames = names;
}

int TMemDataSet::GetIndexFieldCount() const { return static_cast<int>(FIndexFields.size()); }

TField* TMemDataSet::GetIndexField(int index) const {
  if (index < 0 || index >= GetIndexFieldCount()) ListIndexError(index);
  return FIndexFields[static_cast<std::size_t>(index)];
}

std::int64_t TMemDataSet::InternalPost(TRecordBuffer& buffer, bool inserting, int position) {
  std::int64_t row = inserting ? static_cast<std::int64_t>(FDeleted.size()) : buffer.RowId;
  StoreRow(row, buffer, inserting);
  if (inserting) AppendStoredRow();
  if (FStride > 0)
    std::memcpy(StoredRowData(row), buffer.Data.data(), static_cast<std::size_t>(FStride));
  if (GetBlobCount() > 0) {
    bool any = false;
    for (const auto& b : buffer.Blobs) any = any || !b.empty();
    if (any)
      FBlobs[row] = buffer.Blobs;
    else
      FBlobs.erase(row);
  }
  InvalidateIndexes();
  if (!FIndexFields.empty() || HasFilter() || FRangeActive) {
    BuildView();
  } else if (inserting) {
    position = std::clamp(position, 0, static_cast<int>(FView.size()));
    FView.insert(FView.begin() + position, row);
    RebuildPositions(static_cast<std::size_t>(position));
  }
  return row;
}

void TMemDataSet::InternalDelete(std::int64_t rowId) {
  RemoveRow(rowId);
  FDeleted[static_cast<std::size_t>(rowId)] = true;
  FBlobs.erase(rowId);
  --FLiveRows;
  InvalidateIndexes();
  int pos = FindViewPosition(rowId);
  if (pos >= 0) {
    FView.erase(FView.begin() + pos);
    FRowPos[static_cast<std::size_t>(rowId)] = -1;
    RebuildPositions(static_cast<std::size_t>(pos));
  }
}

namespace {

/// Equality of two short field lists, without a call to the library for a few bytes.
bool SameNames(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) return false;
  return true;
}

}  // namespace

const std::vector<TField*>& TMemDataSet::CachedFieldList(const std::string& names) {
  // Lookups ask for the same two lists over and over: remember the last ones.
  for (auto& recent : FRecentLists)
    if (recent.first && SameNames(*recent.first, names)) return *recent.second;
  auto it = FFieldLists.find(names);
  if (it == FFieldLists.end()) it = FFieldLists.emplace(names, GetFieldList(names)).first;
  FRecentLists[FNextRecent] = {&it->first, &it->second};
  FNextRecent = (FNextRecent + 1) % FRecentLists.size();
  return it->second;
}

TMemDataSet::THashIndex& TMemDataSet::HashIndexFor(const std::string& keyFields,
                                                   const std::vector<TField*>& fields) {
  if (FLastIndex && SameNames(FLastIndexKey, keyFields)) return *FLastIndex;
  auto& index = FHashIndexes[keyFields];
  FLastIndexKey = keyFields;
  struct Remember {
    THashIndex*& last;
    std::unique_ptr<THashIndex>& index;
    ~Remember() { last = index.get(); }
  } remember{FLastIndex, index};
  if (index) return *index;
  index = std::make_unique<THashIndex>();
  if (fields.size() == 1 && IsIntegerField(fields[0])) {
    // Narrow integer keys (codes of lookup tables) go into an array.
    const TField* f = fields[0];
    std::int64_t lo = 0, hi = -1, count = 0;
    for (std::int64_t row : FView) {
      const std::uint8_t* p = FRowData.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(FStride) + f->GetOffset();
      if (!p[0]) continue;
      std::int64_t k = f->NativeToVariant(p + 1).AsInt64();
      if (count++ == 0) lo = hi = k;
      lo = std::min(lo, k);
      hi = std::max(hi, k);
    }
    if (count == 0 || (hi - lo) < 4 * count + 1024) {
      index->Dense = true;
      index->Base = lo;
      index->DenseRows.assign(static_cast<std::size_t>(count == 0 ? 0 : hi - lo + 1), -1);
      for (std::int64_t row : FView) {
        const std::uint8_t* p = FRowData.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(FStride) + f->GetOffset();
        if (!p[0]) {
          if (index->NullRow < 0) index->NullRow = row;
          continue;
        }
        auto& slot = index->DenseRows[static_cast<std::size_t>(f->NativeToVariant(p + 1).AsInt64() - lo)];
        if (slot < 0) slot = row;
      }
      return *index;
    }
  }
  index->Rows.reserve(FView.size());
  for (std::int64_t row : FView) {
    const std::uint8_t* data = FRowData.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(FStride);
    Variant k;
    if (fields.size() == 1) {
      TField* f = fields[0];
      if (data[f->GetOffset()]) k = f->NativeToVariant(data + f->GetOffset() + 1);
    } else {
      std::vector<Variant> values;
      for (TField* f : fields)
        values.push_back(data[f->GetOffset()] ? f->NativeToVariant(data + f->GetOffset() + 1) : Variant());
      k = Variant(std::move(values));
    }
    index->Rows.emplace(std::move(k), row);
  }
  return *index;
}

namespace {

/// Compares stored UTF-8 text with a key: ASCII bytes directly, other characters through
/// Unicode case folding. `key` is already folded when `caseInsensitive`.
bool TextMatches(const char* text, std::string_view key, bool partial, bool caseInsensitive) {
  std::size_t i = 0, j = 0;
  std::string_view t(text);
  while (j < key.size()) {
    if (i >= t.size()) return false;
    unsigned char a = static_cast<unsigned char>(t[i]), b = static_cast<unsigned char>(key[j]);
    if (a < 0x80 && b < 0x80) {
      if (caseInsensitive && a >= 'A' && a <= 'Z') a = static_cast<unsigned char>(a + 32);
      if (a != b) return false;
      ++i;
      ++j;
      continue;
    }
    if (!caseInsensitive) {
      if (a != b) return false;
      ++i;
      ++j;
      continue;
    }
    std::size_t i0 = i;
    Utf8Next(t, i);
    std::string folded = CaseFold(t.substr(i0, i - i0));
    if (key.compare(j, folded.size(), folded) != 0) return false;
    j += folded.size();
  }
  return partial || i == t.size();
}

}  // namespace

int TMemDataSet::ScanText(const TField* field, const std::string& key, bool partial,
                          bool caseInsensitive) const {
  std::string k = caseInsensitive ? CaseFold(key) : key;
  const std::size_t offset = static_cast<std::size_t>(field->GetOffset());
  const std::size_t stride = static_cast<std::size_t>(FStride);
  const std::uint8_t* base = FRowData.data();
  for (std::size_t pos = 0; pos < FView.size(); ++pos) {
    const std::uint8_t* p = base + static_cast<std::size_t>(FView[pos]) * stride + offset;
    if (!p[0]) continue;
    if (TextMatches(reinterpret_cast<const char*>(p + 1), k, partial, caseInsensitive))
      return static_cast<int>(pos);
  }
  return -1;
}

bool TMemDataSet::LocateRecord(const std::string& keyFields, const Variant& keyValues,
                               TLocateOptions options, bool syncCursor) {
  CheckActive();
  const auto& fields = CachedFieldList(keyFields);
  bool stored = true;
  for (TField* f : fields) stored = stored && f->GetFieldKind() == fkData && !f->IsBlob();
  if (stored && fields.size() == 1 && fields[0]->GetDataType() == ftString && !keyValues.IsNull() &&
      !keyValues.IsArray()) {
    if (GetState() == dsEdit || GetState() == dsInsert) CheckBrowseMode();
    int pos = ScanText(fields[0], keyValues.AsString(), options.Contains(loPartialKey),
                       options.Contains(loCaseInsensitive));
    if (pos < 0) return false;
    if (syncCursor) InternalGotoBookmark(FView[static_cast<std::size_t>(pos)]);
    return true;
  }
  if (!options.Empty() || !stored) return TDataSet::LocateRecord(keyFields, keyValues, options, syncCursor);
  if (GetState() == dsEdit || GetState() == dsInsert) CheckBrowseMode();
  THashIndex& index = HashIndexFor(keyFields, fields);
  std::int64_t found = index.Find(keyValues);
  if (found < 0) return false;
  if (syncCursor) InternalGotoBookmark(found);
  return true;
}

bool TMemDataSet::FindStoredRow(const std::string& keyFields, const Variant& keyValues,
                                const std::uint8_t*& row) {
  if (!GetActive()) return false;
  const auto& keys = CachedFieldList(keyFields);
  for (TField* f : keys)
    if (f->GetFieldKind() != fkData || f->IsBlob()) return false;
  THashIndex& index = HashIndexFor(keyFields, keys);
  std::int64_t found = index.Find(keyValues);
  row = found < 0 ? nullptr : FRowData.data() + static_cast<std::size_t>(found) * static_cast<std::size_t>(FStride);
  return true;
}

Variant TMemDataSet::Lookup(const std::string& keyFields, const Variant& keyValues,
                            const std::string& resultFields) {
  CheckActive();
  const auto& keys = CachedFieldList(keyFields);
  const auto& results = CachedFieldList(resultFields);
  bool stored = true;
  for (TField* f : keys) stored = stored && f->GetFieldKind() == fkData && !f->IsBlob();
  for (TField* f : results) stored = stored && f->GetFieldKind() == fkData && !f->IsBlob();
  if (!stored) return TDataSet::Lookup(keyFields, keyValues, resultFields);
  THashIndex& index = HashIndexFor(keyFields, keys);
  std::int64_t found = index.Find(keyValues);
  if (found < 0) return {};
  const std::uint8_t* data = FRowData.data() + static_cast<std::size_t>(found) * static_cast<std::size_t>(FStride);
  auto value = [&](TField* f) {
    return data[f->GetOffset()] ? f->NativeToVariant(data + f->GetOffset() + 1) : Variant();
  };
  if (results.size() == 1) return value(results[0]);
  std::vector<Variant> values;
  values.reserve(results.size());
  for (TField* f : results) values.push_back(value(f));
  return Variant(std::move(values));
}

}  // namespace fw
