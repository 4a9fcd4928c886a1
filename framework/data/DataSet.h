// TDataSet: the cursor, record buffers, states, editing protocol, events, fields and data
// links of a dataset whose rows are held by a subclass (TMemDataSet and the engine's
// tables and queries). The cursor walks the subclass's filtered, ordered view of its rows.
//
// Record buffers: data links see a window of BufferCount buffered records (the largest
// BufferCount any link asks for), with the active record inside it. Scrolling moves the
// window as little as needed; Resync with rmCenter places the active record in the middle.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/Component.h"
#include "framework/core/Events.h"
#include "framework/core/Sets.h"
#include "framework/core/TypInfo.h"
#include "framework/core/Variant.h"
#include "framework/data/Field.h"

namespace fw {

class TDataSource;
class TDataLink;
class TFilterExpression;

enum TDataSetState {
  dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter, dsNewValue,
  dsOldValue, dsCurValue, dsBlockRead, dsInternalCalc, dsOpening
};
FW_ENUM_INFO(TDataSetState, "dsInactive", "dsBrowse", "dsEdit", "dsInsert", "dsSetKey",
             "dsCalcFields", "dsFilter", "dsNewValue", "dsOldValue", "dsCurValue", "dsBlockRead",
             "dsInternalCalc", "dsOpening")

enum TDataEvent {
  deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deLayoutChange,
  deUpdateRecord, deUpdateState, deCheckBrowseMode, dePropertyChange, deFieldListChange,
  deFocusControl
};

enum TLocateOption { loCaseInsensitive, loPartialKey };
using TLocateOptions = TSet<TLocateOption>;

enum TResyncModeItem { rmExact, rmCenter };
using TResyncMode = TSet<TResyncModeItem>;

enum TFilterOption { foCaseInsensitive, foNoPartialCompare };
FW_ENUM_INFO(TFilterOption, "foCaseInsensitive", "foNoPartialCompare")
using TFilterOptions = TSet<TFilterOption>;

/// A bookmark names a stored record; it stays valid while that record exists.
using TBookmark = std::int64_t;
inline constexpr TBookmark NoBookmark = -1;

using TDataSetNotifyEvent = TEvent<void(TDataSet* dataSet)>;
using TFilterRecordEvent = TEvent<void(TDataSet* dataSet, bool& accept)>;

/// One buffered record: the native data of every field (a presence byte, then DataSize
/// bytes, at the field's offset: data fields first, then calculated and lookup fields),
/// the contents of blob fields, and the stored row it came from (-1 for a new record).
struct TRecordBuffer {
  std::vector<std::uint8_t> Data;
  std::vector<std::string> Blobs;
  std::int64_t RowId = -1;
};

class TDataSet : public TComponent {
  FW_CLASS(TDataSet)
 public:
  explicit TDataSet(TComponent* owner);
  /// Closes the dataset, detaches its data sources and frees its default fields.
  ~TDataSet() override;

  // ---- opening and state
  bool GetActive() const { return FState != dsInactive; }
  /// Opens or closes the dataset. While a form file is read the value is remembered and
  /// applied in Loaded; opening a dataset that is opening raises "Circular datalinks are
  /// not allowed".
  void SetActive(bool value);
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }
  TDataSetState GetState() const { return FState; }
  bool CanModify() const { return GetActive() && !GetReadOnlyDataSet(); }
  bool IsEmpty() const;
  bool GetBOF() const { return FBOF; }
  bool GetEOF() const { return FEOF; }
  bool GetModified() const { return FModified; }
  void CheckActive() const;
  void CheckInactive() const;
  void CheckBrowseMode();

  // ---- navigation
  void First();
  void Last();
  void Next() { MoveBy(1); }
  void Prior() { MoveBy(-1); }
  /// Moves the cursor; returns the distance actually moved.
  int MoveBy(int distance);
  /// Position of the current record in the view, from 1 (0 when empty or inserting).
  int GetRecNo() const;
  void SetRecNo(int recNo);
  int GetRecordCount() const;

  // ---- editing
  void Insert();
  void Append();
  void Edit();
  /// Stores the record being edited or inserted. Required fields and the filter are checked
  /// on the record first: when either raises, nothing is stored and the state stays.
  void Post();
  /// Drops the edit or the new record; after an insert the cursor returns to the record the
  /// new one was placed at (the current one for Insert, the last one for Append).
  void Cancel();
  void Delete();
  /// Tells the links to write pending edits into the record (deUpdateRecord).
  void UpdateRecord();

  // ---- bookmarks and refreshing
  TBookmark GetBookmark() const;
  void GotoBookmark(TBookmark bookmark);
  void FreeBookmark(TBookmark) {}
  bool BookmarkValid(TBookmark bookmark) const;
  /// Order of two bookmarks in the view: -1, 0 or 1 (a missing one sorts first).
  int CompareBookmarks(TBookmark a, TBookmark b) const;
  /// Re-reads the rows (the subclass's InternalRefresh) and stays on the current record.
  void Refresh();
  /// Refills the buffers around the cursor (rmCenter centres the active record; with
  /// rmExact a record that is gone raises "Record not found").
  void Resync(TResyncMode mode);

  // ---- controls
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return FDisableCount > 0; }

  // ---- fields
  TFieldDefs* GetFieldDefs() const { return FFieldDefs.get(); }
  int GetFieldCount() const { return static_cast<int>(FFields.size()); }
  TField* GetField(int index) const;
  const std::vector<TField*>& GetFields() const { return FFields; }
  /// The field of that name (case-insensitive), or null.
  TField* FindField(const std::string& name) const;
  /// The field of that name; raises "%s: Field '%s' not found" with the dataset's name.
  TField* FieldByName(const std::string& name) const;
  /// The fields of a ";" field list, in list order; raises on an unknown name.
  std::vector<TField*> GetFieldList(const std::string& fieldNames) const;
  /// One value for one name, an array of values for several.
  Variant GetFieldValues(const std::string& fieldNames) const;
  void SetFieldValues(const std::string& fieldNames, const Variant& values);
  bool GetDefaultFields() const { return FDefaultFields; }
  bool GetAutoCalcFields() const { return FAutoCalcFields; }
  void SetAutoCalcFields(bool v) { FAutoCalcFields = v; }

  // ---- searching
  /// Moves to the first record whose fields equal the values (case-insensitive and
  /// prefix matches with the options); false (position unchanged) when none.
  bool Locate(const std::string& keyFields, const Variant& keyValues, TLocateOptions options);
  /// The result fields of the record whose key fields equal the values, without moving;
  /// null when none.
  virtual Variant Lookup(const std::string& keyFields, const Variant& keyValues,
                         const std::string& resultFields);
  /// The stored data area of the row whose key fields equal the values, read in place
  /// (null when there is none); false when the dataset cannot answer this way.
  virtual bool FindStoredRow(const std::string& keyFields, const Variant& keyValues,
                             const std::uint8_t*& row) {
    return false;
  }
  /// Changes whenever the stored rows or the view over them change, so that what was
  /// found through FindStoredRow stays valid while it is the same; 0 when the dataset
  /// does not tell.
  virtual std::uint64_t GetStoredRowsVersion() const { return 0; }
  /// The engine's record search: finds the record and moves the cursor to it without
  /// refilling the buffers (follow with Resync).
  virtual bool LocateRecord(const std::string& keyFields, const Variant& keyValues,
                            TLocateOptions options, bool syncCursor);

  // ---- filtering
  const std::string& GetFilter() const { return FFilterText; }
  void SetFilter(const std::string& text);
  bool GetFiltered() const { return FFiltered; }
  void SetFiltered(bool v);
  TFilterOptions GetFilterOptions() const { return FFilterOptions; }
  void SetFilterOptions(TFilterOptions v);

  // ---- events
#define FW_DATASET_EVENT(Name)                                       \
  TDataSetNotifyEvent Get##Name() const { return F##Name; }          \
  void Set##Name(TDataSetNotifyEvent e) { F##Name = e; }
  FW_DATASET_EVENT(BeforeOpen)
  FW_DATASET_EVENT(AfterOpen)
  FW_DATASET_EVENT(BeforeClose)
  FW_DATASET_EVENT(AfterClose)
  FW_DATASET_EVENT(BeforeInsert)
  FW_DATASET_EVENT(AfterInsert)
  FW_DATASET_EVENT(BeforeEdit)
  FW_DATASET_EVENT(AfterEdit)
  FW_DATASET_EVENT(BeforePost)
  FW_DATASET_EVENT(AfterPost)
  FW_DATASET_EVENT(BeforeCancel)
  FW_DATASET_EVENT(AfterCancel)
  FW_DATASET_EVENT(BeforeDelete)
  FW_DATASET_EVENT(AfterDelete)
  FW_DATASET_EVENT(BeforeScroll)
  FW_DATASET_EVENT(AfterScroll)
  FW_DATASET_EVENT(OnNewRecord)
  FW_DATASET_EVENT(OnCalcFields)
#undef FW_DATASET_EVENT
  TFilterRecordEvent GetOnFilterRecord() const { return FOnFilterRecord; }
  void SetOnFilterRecord(TFilterRecordEvent e);
  void DoBeforeScroll();
  void DoAfterScroll();

  // ---- record buffers, as data links and fields see them
  int GetBufferCount() const { return FBufferCount; }
  /// Valid buffered records in the window.
  int GetBufferedRecordCount() const { return FRecordCount; }
  int GetActiveRecord() const { return FActiveRecord; }
  /// Stored row of a buffered record (-1 for a new one).
  std::int64_t BufferRowId(int index) const;

  // Used by data sources, links and fields.
  void AddDataSource(TDataSource* source);
  void RemoveDataSource(TDataSource* source);
  void UpdateBufferCount();
  void AddField(TField* field);
  void RemoveField(TField* field);
  /// Whether the dataset's data can change through the given field now.
  void CheckFieldCanModify(const TField* field) const;
  /// Computes the calculated and lookup fields of the current buffer.
  void CalculateFields(TRecordBuffer& buffer);
  int GetDataAreaSize() const { return FDataAreaSize; }
  int GetBlobCount() const { return FBlobCount; }
  /// Whether the dataset and its master chain link back to `source` (circular links).
  virtual bool IsLinkedTo(TDataSource* source) const;
  /// The data source of a master, when the dataset follows one.
  virtual TDataSource* GetDataSource() const { return nullptr; }

  void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) const override;
  void Loaded() override;

 protected:
  // ---- steps that subclasses extend (the "Do" steps fire the events)
  virtual void DoBeforeOpen();
  virtual void DoAfterOpen();
  virtual void DoBeforeClose();
  virtual void DoAfterClose();
  virtual void DoBeforeInsert();
  virtual void DoAfterInsert();
  virtual void DoBeforeEdit();
  virtual void DoAfterEdit();
  virtual void DoBeforePost();
  virtual void DoAfterPost();
  virtual void DoBeforeCancel();
  virtual void DoAfterCancel();
  virtual void DoBeforeDelete();
  virtual void DoAfterDelete();
  virtual void DoOnNewRecord();
  virtual void DoOnCalcFields();

  // ---- storage: implemented by the subclass that holds the rows
  /// Fills FieldDefs from the storage when it has a structure of its own.
  virtual void InternalInitFieldDefs() {}
  /// Loads the rows and builds the view; the fields are bound when it is called.
  virtual void InternalOpen() = 0;
  /// Runs once the cursor is complete, before the dataset enters browse state.
  virtual void OpenCursorComplete() {}
  virtual void InternalClose() = 0;
  virtual int GetViewCount() const = 0;
  virtual std::int64_t GetViewRow(int position) const = 0;
  /// The view position of a stored row, or -1 when it is not in the view.
  virtual int FindViewPosition(std::int64_t rowId) const = 0;
  /// Copies the stored row's data area and blobs into the buffer.
  virtual void LoadRow(std::int64_t rowId, TRecordBuffer& buffer) const = 0;
  /// Stores a posted record: a new row (inserting, placed in the view at `position` when
  /// the view has no order) or the row it came from. Returns the row.
  virtual std::int64_t InternalPost(TRecordBuffer& buffer, bool inserting, int position) = 0;
  virtual void InternalDelete(std::int64_t rowId) = 0;
  /// Re-reads the rows from where they come from (nothing for rows held only in memory);
  /// returns the stored row that `currentRow` has become (-1 when it is gone).
  virtual std::int64_t InternalRefresh(std::int64_t currentRow) { return currentRow; }
  /// Rebuilds the view after the filter changed.
  virtual void FilterChanged() {}
  /// The default fields' owner (the dataset).
  virtual bool GetReadOnlyDataSet() const { return false; }
  /// Whether a stored row passes Filter and OnFilterRecord (for the subclass's view).
  bool RecordAccepted(std::int64_t rowId);
  /// Whether a record buffer's data (a record about to be posted) passes them; raises as
  /// the filter does, before anything is stored.
  bool BufferAccepted(const TRecordBuffer& record);
  bool HasFilter() const;
  void SetState(TDataSetState state);
  /// Tells the data sources and their links of an event; deFieldChange (info: the field)
  /// also marks the record modified and recomputes its lookup fields. While controls are
  /// disabled the event is only remembered.
  void DataEvent(TDataEvent event, std::intptr_t info);
  /// Moves the cursor to a bookmark without refilling the buffers (follow with Resync);
  /// raises "Record not found" when the record is not in the view.
  void InternalGotoBookmark(TBookmark bookmark);
  /// The first statement of the destructor of every dataset class that overrides a step of
  /// closing (InternalClose, DoBeforeClose, ...): marks the dataset as being destroyed and
  /// closes it, dropping errors. TDataSet's own destructor cannot close for them: once a
  /// C++ destructor runs, virtual calls no longer reach the overrides of derived classes.
  void CloseOnDestroy() noexcept;

 private:
  // Used by the links and fields only.
  /// Makes another buffered record the one that fields read (a link walking its rows).
  void SetActiveRecord(int index);
  /// The buffer that fields read and write now.
  TRecordBuffer* GetCurrentBuffer() const;

  void OpenCursor();
  void CloseCursor();
  void CreateDefaultFields();
  void BindFields(bool binding);
  void InitBuffer(TRecordBuffer& buffer) const;
  void FillWindow(int first, int activePosition);
  void FillBuffer(int index, int position);
  int CursorPosition() const;
  /// Asserts the invariants of the record window; true, so that it can be called in assert.
  bool CheckWindow() const;
  void BeginInsertAppend(bool append);
  void CheckRequiredFields();
  void ComputeCalcFields(TRecordBuffer& buffer, bool all);
  void CheckCanModify() const;
  void NotifyLinks(TDataEvent event, std::intptr_t info);
  void RebuildFilter();
  /// Runs Filter and OnFilterRecord on FCalcBuffer.
  bool FilterCalcBuffer();
  void BindFilter(TFilterExpression& expr);

  TDataSetState FState = dsInactive;
  std::unique_ptr<TFieldDefs> FFieldDefs;
  std::vector<TField*> FFields;
  std::vector<TField*> FDataFieldList;
  std::vector<TField*> FCalcFieldList;  // calculated and lookup fields
  bool FDefaultFields = false;
  bool FAutoCalcFields = true;
  int FDataAreaSize = 0;
  int FRecordSize = 0;
  int FBlobCount = 0;

  std::vector<TDataSource*> FDataSources;
  int FBufferCount = 1;
  std::vector<TRecordBuffer> FBuffers;
  std::vector<int> FSlotPos;  // view position of each buffered record, -1 for a new one
  int FRecordCount = 0;
  int FActiveRecord = 0;
  int FCursorPos = -1;
  int FInsertPos = 0;  // view position a new record takes when posted
  std::int64_t FInsertFromRow = -1;  // the row a new record was placed at, for Cancel
  TRecordBuffer FCalcBuffer;
  TRecordBuffer FSavedBuffer;  // the record as it was before Edit, for Cancel
  TRecordBuffer* FCurrent = nullptr;
  bool FBOF = true, FEOF = true;
  bool FModified = false;
  int FDisableCount = 0;
  TDataSetState FDisableState = dsInactive;
  TDataEvent FDisabledEvent = deDataSetChange;
  bool FInCalc = false;
  bool FStreamedActive = false;  // Active as read from a form file, applied in Loaded
  bool FOpening = false;         // set while OpenCursor runs

  std::string FFilterText;
  bool FFiltered = false;
  TFilterOptions FFilterOptions;
  std::unique_ptr<TFilterExpression> FFilterExpr;

  TDataSetNotifyEvent FBeforeOpen, FAfterOpen, FBeforeClose, FAfterClose, FBeforeInsert,
      FAfterInsert, FBeforeEdit, FAfterEdit, FBeforePost, FAfterPost, FBeforeCancel, FAfterCancel,
      FBeforeDelete, FAfterDelete, FBeforeScroll, FAfterScroll, FOnNewRecord, FOnCalcFields;
  TFilterRecordEvent FOnFilterRecord;
  friend class TDataLink;
  friend class TField;
};

}  // namespace fw
