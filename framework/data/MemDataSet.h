// TMemDataSet: a dataset that keeps its rows, field definitions and index definitions in
// memory, with a view ordered by IndexFieldNames and filtered by Filter/OnFilterRecord,
// and a hash index on the key fields of exact searches (Lookup, Locate without options).
// The engine's tables and queries extend it and fill its rows from their files.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "framework/core/Collection.h"
#include "framework/data/DataSet.h"

namespace fw {

enum TIndexOption { ixPrimary, ixUnique, ixDescending, ixCaseInsensitive, ixExpression };
FW_ENUM_INFO(TIndexOption, "ixPrimary", "ixUnique", "ixDescending", "ixCaseInsensitive", "ixExpression")
using TIndexOptions = TSet<TIndexOption>;

class TIndexDef : public TCollectionItem {
  FW_CLASS(TIndexDef)
 public:
  explicit TIndexDef(TCollection* c) : TCollectionItem(c) {}
  const std::string& GetName() const { return FName; }
  void SetName(const std::string& v) { FName = v; }
  const std::string& GetFields() const { return FFields; }
  void SetFields(const std::string& v) { FFields = v; }
  TIndexOptions GetOptions() const { return FOptions; }
  void SetOptions(TIndexOptions v) { FOptions = v; }
  std::string GetDisplayName() const override { return FName; }
  void Assign(const TPersistent* source) override;

 private:
  std::string FName, FFields;
  TIndexOptions FOptions;
};

class TIndexDefs : public TOwnedCollection {
  FW_CLASS(TIndexDefs)
 public:
  explicit TIndexDefs(TPersistent* owner) : TOwnedCollection(owner, TIndexDef::StaticClass()) {}
  TIndexDef* Add(const std::string& name, const std::string& fields, TIndexOptions options);
  TIndexDef* GetItem(int index) const { return static_cast<TIndexDef*>(TCollection::GetItem(index)); }
  TIndexDef* Find(const std::string& name) const;
  using TOwnedCollection::Update;
  /// Brings the definitions up to date with the storage (the engine reads its indexes).
  virtual void Update();
  void SetUpdater(std::function<void(TIndexDefs&)> updater) { FUpdater = std::move(updater); }

 private:
  std::function<void(TIndexDefs&)> FUpdater;
};

class TMemDataSet : public TDataSet {
  FW_CLASS(TMemDataSet)
 public:
  explicit TMemDataSet(TComponent* owner);
  ~TMemDataSet() override;

  /// Opens the dataset with its field definitions and no rows.
  void CreateDataSet();
  /// Removes every row.
  void EmptyDataSet();
  const std::string& GetIndexFieldNames() const { return FIndexFieldNames; }
  /// Orders the view by a ";" field list; an open dataset re-sorts itself.
  void SetIndexFieldNames(const std::string& names);
  TIndexDefs* GetIndexDefs() const { return FIndexDefs.get(); }
  /// The fields of the order in use.
  int GetIndexFieldCount() const;
  TField* GetIndexField(int index) const;
  bool GetReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v) { FReadOnly = v; }

  bool LocateRecord(const std::string& keyFields, const Variant& keyValues, TLocateOptions options,
                    bool syncCursor) override;
  bool FindStoredRow(const std::string& keyFields, const Variant& keyValues,
                     const std::uint8_t*& row) override;
  std::uint64_t GetStoredRowsVersion() const override { return FStoredRowsVersion; }
  /// Reads the result fields straight from the stored row found through the hash index.
  Variant Lookup(const std::string& keyFields, const Variant& keyValues,
                 const std::string& resultFields) override;
  /// Number of stored rows (deleted ones excluded), whatever the filter.
  std::int64_t GetStoredRowCount() const { return FLiveRows; }

 protected:
  void InternalOpen() override;
  void InternalClose() override;
  int GetViewCount() const override { return static_cast<int>(FView.size()); }
  std::int64_t GetViewRow(int position) const override { return FView[static_cast<std::size_t>(position)]; }
  int FindViewPosition(std::int64_t rowId) const override;
  void LoadRow(std::int64_t rowId, TRecordBuffer& buffer) const override;
  std::int64_t InternalPost(TRecordBuffer& buffer, bool inserting, int position) override;
  void InternalDelete(std::int64_t rowId) override;
  void FilterChanged() override { BuildView(); }
  bool GetReadOnlyDataSet() const override { return FReadOnly; }

  // Row storage, for subclasses that load rows.
  /// Appends an empty stored row (all fields null) and returns it.
  std::int64_t AppendStoredRow();
  std::uint8_t* StoredRowData(std::int64_t rowId) {
    return FRowData.data() + static_cast<std::size_t>(rowId) * static_cast<std::size_t>(FStride);
  }
  std::string& StoredBlob(std::int64_t rowId, int blobIndex);
  void ClearStoredRows();
  /// Rebuilds the filtered, ordered view and forgets the search indexes.
  void BuildView();
  /// Rows that the subclass will append: reserves room.
  void ReserveRows(std::int64_t count);
  /// Set while RowInRange restricts the view (posted records then rebuild it).
  bool FRangeActive = false;
  /// Whether a stored row belongs to the view (a detail's range); beside the filter.
  virtual bool RowInRange(std::int64_t rowId) { return true; }
  /// Called before a row is written or removed (engines write through here; a new
  /// record's automatic numbers may be filled into the buffer).
  virtual void StoreRow(std::int64_t rowId, TRecordBuffer& buffer, bool inserting) {}
  virtual void RemoveRow(std::int64_t rowId) {}

 private:
  void CheckLayout();
  /// The fields of a field list, resolved once per open.
  const std::vector<TField*>& CachedFieldList(const std::string& names);
  struct THashIndex;
  THashIndex& HashIndexFor(const std::string& keyFields, const std::vector<TField*>& fields);
  /// The view position of the first row whose text field matches, scanning stored text.
  int ScanText(const TField* field, const std::string& key, bool partial, bool caseInsensitive) const;
  void InvalidateIndexes();
  void RebuildPositions(std::size_t from);

  std::unique_ptr<TIndexDefs> FIndexDefs;
  std::string FIndexFieldNames;
  std::vector<TField*> FIndexFields;
  bool FReadOnly = false;

  int FStride = 0;  // bytes of one stored row: the data area
  std::vector<std::uint8_t> FRowData;
  std::vector<bool> FDeleted;
  std::unordered_map<std::int64_t, std::vector<std::string>> FBlobs;
  std::int64_t FLiveRows = 0;
  std::vector<std::int64_t> FView;
  std::vector<int> FRowPos;  // view position of each stored row, -1 when not in the view

  std::unordered_map<std::string, std::unique_ptr<THashIndex>> FHashIndexes;
  std::unordered_map<std::string, std::vector<TField*>> FFieldLists;
  std::array<std::pair<const std::string*, const std::vector<TField*>*>, 2> FRecentLists{};
  std::size_t FNextRecent = 0;
  THashIndex* FLastIndex = nullptr;
  std::uint64_t FStoredRowsVersion = 1;  // moves on with every InvalidateIndexes
  std::string FLastIndexKey;
};

}  // namespace fw
