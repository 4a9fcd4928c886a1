// Classes of the lookup units: the levels of a multi-level lookup, where the user reaches
// the wanted record in steps, each upper dataset (a level) restricting the next one (a
// lookup field or lookup combo keeps its levels in a TQorLookupLevelCol); and the lookup
// field TQorLookField, which carries several values of the found lookup record at once.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/Collection.h"
#include "framework/core/Types.h"
#include "framework/data/Field.h"
#include "library/QorDB.h"

namespace fw {
class TComponent;
class TDataSet;
}  // namespace fw

namespace qor {

// ------------------------------------------------------------------ lookup levels

/// One level of a multi-level lookup: the dataset to choose from, the field that filters
/// it, its key field and the fields shown for its records.
class TQorLookupLevelItem : public fw::TCollectionItem {
  FW_CLASS(TQorLookupLevelItem)
 public:
  explicit TQorLookupLevelItem(fw::TCollection* collection) : fw::TCollectionItem(collection) {}

  fw::TDataSet* GetDataSet() const { return FDataSet; }
  /// Refers to another dataset and asks it to tell the collection's owner component when
  /// it is freed (the owner then clears the levels that refer to it). Setting the current
  /// dataset again does nothing.
  void SetDataSet(fw::TDataSet* value);
  const std::string& GetFilterField() const { return FFilterField; }
  void SetFilterField(const std::string& value) { FFilterField = value; }
  const std::string& GetKeyField() const { return FKeyField; }
  void SetKeyField(const std::string& value) { FKeyField = value; }
  const std::string& GetResultFields() const { return FResultFields; }
  void SetResultFields(const std::string& value) { FResultFields = value; }

  /// Copies another level (its DataSet through SetDataSet, so this collection's owner is
  /// notified of its freeing too); any other source raises fw::EConvertError.
  void Assign(const fw::TPersistent* source) override;

 private:
  fw::TDataSet* FDataSet = nullptr;
  std::string FFilterField;
  std::string FKeyField;
  std::string FResultFields;
};

/// The levels of a lookup field or lookup combo. The owner component is given at creation
/// and never changes; it must clear the levels of a freed dataset in its Notification
/// (SetLevelDataSet(i, nullptr) for every level i that refers to it).
///
/// The level accessors take an index from 0: an index at or above Count gives an empty
/// result (or, for SetLevelDataSet, does nothing); a negative index raises fw::EListError
/// "List index out of bounds (%d)".
class TQorLookupLevelCol : public fw::TCollection {
  FW_CLASS(TQorLookupLevelCol)
 public:
  explicit TQorLookupLevelCol(fw::TComponent* owner);

  /// The owner component.
  fw::TPersistent* GetOwner() const override;
  TQorLookupLevelItem* GetItem(int index) const {
    return static_cast<TQorLookupLevelItem*>(fw::TCollection::GetItem(index));
  }
  TQorLookupLevelItem* Add() { return static_cast<TQorLookupLevelItem*>(fw::TCollection::Add()); }

  fw::TDataSet* LevelDataSet(int index) const;
  void SetLevelDataSet(int index, fw::TDataSet* value);
  std::string LevelKeyField(int index) const;
  std::string LevelResultFields(int index) const;

 private:
  fw::TComponent* const FOwner;
};

/// The FilterField of level `index` of the collection (same index rule as the
/// collection's accessors; a null collection gives the empty string).
std::string LevelFilterField(const TQorLookupLevelCol* c, int index);

// ------------------------------------------------------------------ lookup field

enum TQorLookFieldOption {
  foAutoCodeName, foAutoDropDown, foAutoDropDownWidth, foEditWindow, foEditOnEnter,
  foKeyFieldEdit, foUpDownInClose, foValueNotInLookup, foUserOption
};
FW_ENUM_INFO(TQorLookFieldOption, "foAutoCodeName", "foAutoDropDown", "foAutoDropDownWidth",
             "foEditWindow", "foEditOnEnter", "foKeyFieldEdit", "foUpDownInClose",
             "foValueNotInLookup", "foUserOption")
/// Held in 2 bytes, bit n for the member of ordinal n.
using TQorLookFieldOptions = fw::TSet<TQorLookFieldOption>;
/// [foEditWindow, foKeyFieldEdit, foUpDownInClose]
inline constexpr std::uint16_t DefaultLookFieldOptions = 104;

/// Asked for an extra filter expression of a bound combo's lookup list.
using TOnFieldFilterEvent = fw::TEvent<std::string(fw::TObject* sender)>;
/// Called with the text typed into a bound combo's code edit window when it is left.
using TOnFieldSetEditEvent = fw::TEvent<void(fw::TField* field, const std::string& text)>;

/// Largest stored lookup record; larger ones show SOutLimit.
inline constexpr int MaxLookupRecordSize = 8192;

/// A string field that, used as a lookup field, carries several values of the found record
/// of its lookup dataset: the display result fields (LookupResultField), the additional
/// fields (LookupAddFields) and the grid fields (LookupGridFields). With StoreLookupData all
/// of them are copied into the master record as slots (a 2-byte variant type code, then the
/// value in StoredValueSize bytes) and read back without searching the lookup dataset.
/// Without it the record keeps nothing: each read takes the values of the lookup record of
/// the master's key (from the lookup cache when LookupCache is on) and puts the lookup
/// dataset on that record, moving it only when it stands elsewhere; the field is null
/// when there is no such record (see GetIsNull for foValueNotInLookup).
/// It also carries the settings of the lookup combos bound to it.
class TQorLookField : public fw::TStringField {
  FW_CLASS(TQorLookField)
 public:
  explicit TQorLookField(fw::TComponent* owner);
  ~TQorLookField() override;
  using fw::TField::GetText;

  // ---- published settings
  /// The display result fields; the field's own list, kept apart from the member that the
  /// dataset's lookup uses (see PrepareLookupFields).
  std::string GetLookupResultField() const override;
  void SetLookupResultField(const std::string& v) override;
  std::int32_t GetListFieldIndex() const { return FListFieldIndex; }
  void SetListFieldIndex(std::int32_t v) { FListFieldIndex = v; }
  TQorLookupLevelCol* GetLookupLevels() const { return FLookupLevels.get(); }
  const std::string& GetLookupFilterField() const { return FLookupFilterField; }
  void SetLookupFilterField(const std::string& v) { FLookupFilterField = v; }
  const std::string& GetLookupLevelUp() const { return FLookupLevelUp; }
  void SetLookupLevelUp(const std::string& v) { FLookupLevelUp = v; }
  const std::string& GetLookupFilterKey() const { return FLookupFilterKey; }
  void SetLookupFilterKey(const std::string& v) { FLookupFilterKey = v; }
  const std::string& GetLookupLevelDown() const { return FLookupLevelDown; }
  void SetLookupLevelDown(const std::string& v) { FLookupLevelDown = v; }
  const std::string& GetLookupAddFields() const { return FLookupAddFields; }
  void SetLookupAddFields(const std::string& v);
  const std::string& GetLookupGridFields() const { return FLookupGridFields; }
  void SetLookupGridFields(const std::string& v);
  std::int16_t GetLookupResultIndex() const { return FLookupResultIndex; }
  void SetLookupResultIndex(std::int16_t v) { FLookupResultIndex = v; }
  bool GetHeadLine() const { return FHeadLine; }
  void SetHeadLine(bool v) { FHeadLine = v; }
  fw::TColor GetHeadColor() const { return FHeadColor; }
  void SetHeadColor(fw::TColor v) { FHeadColor = v; }
  TQorLookFieldOptions GetOptions() const { return FOptions; }
  void SetOptions(TQorLookFieldOptions v) { FOptions = v; }
  TOnEditDataEvent GetOnEditData() const { return FOnEditData; }
  void SetOnEditData(TOnEditDataEvent e) { FOnEditData = e; }
  TOnFieldFilterEvent GetOnFilter() const { return FOnFilter; }
  void SetOnFilter(TOnFieldFilterEvent e) { FOnFilter = e; }
  TOnFieldSetEditEvent GetSetEditValue() const { return FSetEditValue; }
  void SetSetEditValue(TOnFieldSetEditEvent e) { FSetEditValue = e; }
  bool GetOnlyEqualInFilter() const { return FOnlyEqualInFilter; }
  void SetOnlyEqualInFilter(bool v) { FOnlyEqualInFilter = v; }
  bool GetStoreLookupData() const { return FStoreLookupData; }
  void SetStoreLookupData(bool v);

  // ---- state
  int GetDisplayFieldCount() const { return FDisplayFieldCount; }
  const std::vector<fw::TField*>& GetResultFieldList() const { return FResultFieldList; }
  bool GetSavedLookupCache() const { return FSavedLookupCache; }
  void SetSavedLookupCache(bool v) { FSavedLookupCache = v; }
  /// Which result value the value operations give: 0 and up an index into the result
  /// fields, negative all display values. Callers that set it put it back.
  int CurrentResultIndex = -1;

  // ---- operations
  /// The display list, then LookupAddFields, then the LookupGridFields not named before.
  std::string AllResultFields() const;
  /// Fills the result field list from the lookup dataset (an unknown name raises).
  void BuildResultFields();
  /// The result field at a position ("List index out of bounds" outside the list).
  fw::TField* ResultField(int index) const;
  /// 16-bit sum of the display widths of the display result fields.
  std::uint16_t DisplayFieldsWidth();
  /// Checks every field and level that the field names (levels' datasets are opened).
  void CheckLookupInfo();
  /// Fills the lookup list with all result values of every lookup record.
  void FillLookupCache();
  /// Bytes of a result field's slot value.
  static int StoredValueSize(const fw::TField* field);

  // ---- overridden operations
  int GetDataSize() const override;
  void PrepareLayout() override;
  fw::Variant GetAsVariant() const override;
  void SetAsVariant(const fw::Variant& v) override;
  std::string GetAsString() const override;
  void SetAsString(const std::string& v) override;
  /// The display or edit text, built in `text` (its storage is reused).
  void GetText(std::string& text, bool displayText) const override;
  /// Null when the record holds no lookup values (without StoreLookupData: when no lookup
  /// record matches the master's key, found without moving the lookup dataset); with
  /// foValueNotInLookup such a field is null only when the master's key is null.
  bool GetIsNull() const override;
  void DefineProperties(fw::TFiler* filer) override;
  void Notification(fw::TComponent* component, fw::TOperation operation) override;
  /// With StoreLookupData: stores the lookup record straight from the lookup dataset's
  /// stored row when it can (the same slots as SetAsVariant with the fetched values),
  /// else through SetAsVariant. Without it nothing is computed: the values are read
  /// from the lookup dataset (or the cache) when they are asked for.
  void CalcLookupValue() override;

 private:
  /// Where a result value lives in the stored record, worked out whenever the result
  /// fields are built.
  struct TSlot {
    fw::TField* Field = nullptr;
    int Offset = 0;          // of the slot in the stored record
    int ValueSize = 0;       // StoredValueSize of the field
    std::uint8_t Kind = 0;   // how the value is stored and read (a TSlotKind)
    std::uint16_t VarType = 0;  // the type code of the field's values, 0 when it varies
    bool Fits = false;       // the slot lies within the record and the working buffer
    bool WholeText = false;  // text kept in the field's own binary form, zero byte and all
  };

  void Prepare() const;
  /// Lays out the slots of the result fields; `recordSize` is the size of the stored
  /// record they must fit in (negative: the sum of the slots).
  void BuildSlots(int recordSize) const;
  /// The slot of a result value in the stored record, or null (no value, or beyond the
  /// record and the working buffer).
  const std::uint8_t* Slot(int index) const;
  /// What a read found of the lookup record of the master's current record (fields that
  /// do not store their data); the values of one read share it.
  struct TFound {
    bool Looked = false;
    bool Found = false;
    const fw::Variant* Values = nullptr;  // the cached values, with LookupCache
    const std::string* Text = nullptr;    // their display text, when the cache made it
  };
  /// Finds the lookup record once per `found`: its values in the cache, and the lookup
  /// dataset put on it; false when there is none.
  bool FindLookupRecord(TFound& found) const;
  /// Result value `index` of the cached values found, or null.
  const fw::Variant* CachedValue(int index, const TFound& found) const;
  /// Appends the text of result value `index` to `out`; false (nothing appended) when
  /// the value is null.
  bool AppendValueText(int index, std::string& out, TFound& found) const;
  /// The text of result value `index` as GetAsString gives it.
  void AppendResultText(int index, std::string& out, TFound& found) const;
  /// Appends GetAsString's text to `out`.
  void AppendText(std::string& out) const;
  /// The master's key values of the current record (an array for several), null when
  /// one of them is null or the field is not bound.
  fw::Variant MasterKeyValues() const;
  /// Whether the result and lookup key fields are known; builds them anew after their
  /// fields were freed (the default fields of a lookup dataset that was reopened).
  bool LookupFieldsCurrent() const;
  /// Whether the lookup dataset's current record holds the key values.
  bool LookupStandsOn(const fw::Variant& keys) const;
  /// Whether the lookup dataset's current record holds the master's key, told by their
  /// binary forms: 1 yes, 0 no, -1 when the binary forms cannot tell.
  int LookupStandsOnMasterKey() const;
  /// The master's one key field when it is an integer field, else null.
  const fw::TField* MasterIntegerKeyField() const;
  /// The master's key of the current record when it is one integer; false otherwise.
  bool MasterIntegerKey(std::int64_t& key) const;
  /// Moves the lookup dataset to the record of the key values unless it stands there
  /// already; false (left where it was) when there is none.
  bool LocateLookupRecord(const fw::Variant& keys) const;
  /// Whether the lookup finds a record for the master's key values, without moving the
  /// lookup dataset (fields that do not store their data).
  bool HasLookupRecord() const;
  /// The cached result values of the key values (LookupCache), or null.
  const fw::Variant* CachedValues(const fw::Variant& keys) const;
  /// The lookup dataset's stored row of the master's key values (null when there is
  /// none); false when the lookup dataset cannot be searched that way.
  bool FindLookupRow(fw::TDataSet* lookup, const std::uint8_t*& row) const;
  /// Writes the stored record from the lookup dataset's stored row, in place.
  void StoreFromRow(const std::uint8_t* row, std::uint8_t* record) const;

  mutable std::string FOwnLookupResultField;
  std::int32_t FListFieldIndex = 0;
  std::unique_ptr<TQorLookupLevelCol> FLookupLevels;
  std::string FLookupFilterField, FLookupLevelUp, FLookupFilterKey, FLookupLevelDown;
  std::string FLookupAddFields, FLookupGridFields;
  std::int16_t FLookupResultIndex = 0;
  bool FHeadLine = true;
  fw::TColor FHeadColor = 10930928;
  TQorLookFieldOptions FOptions = TQorLookFieldOptions::FromInt(DefaultLookFieldOptions);
  TOnEditDataEvent FOnEditData;
  TOnFieldFilterEvent FOnFilter;
  TOnFieldSetEditEvent FSetEditValue;
  bool FOnlyEqualInFilter = false;
  bool FStoreLookupData = false;
  mutable int FDisplayFieldCount = 0;
  mutable std::vector<fw::TField*> FResultFieldList;
  mutable bool FSavedLookupCache = false;
  mutable int FStoredSize = -1;
  mutable std::vector<TSlot> FSlots;
  mutable bool FSlotsFromRow = false;  // every result field is a stored field of its row
  mutable std::vector<fw::TField*> FLookupKeyList;  // the lookup dataset's key fields
  // The cached values last found, for the reads of the same record's other values.
  mutable std::uint64_t FFoundVersion = 0;
  mutable fw::Variant FFoundKey;
  mutable const fw::Variant* FFoundValues = nullptr;
  // The lookup rows found for the master's integer keys (by key; a mark where no search
  // was made yet, null where none was found), while the rows of FKeptRowsOf are
  // at version FKeptRowsVersion.
  static constexpr std::int64_t kMaxKeptRows = 1 << 18;
  mutable std::vector<const std::uint8_t*> FKeptRows;
  mutable std::uint64_t FKeptRowsVersion = 0;  // 0: nothing kept
  mutable const fw::TDataSet* FKeptRowsOf = nullptr;
  mutable const fw::TField* FMasterKey = nullptr;  // the master's one key field, and its kind
  mutable std::uint8_t FMasterKeyKind = 0;
  // The cached values of narrow integer keys, by key - FDenseBase, while the lookup list
  // is the one FillLookupCache made (its version FDenseVersion).
  std::vector<const fw::Variant*> FDenseValues;
  std::vector<std::string> FDenseTexts;  // their display texts
  std::int64_t FDenseBase = 0;
  std::uint64_t FDenseVersion = 0;
};

/// The values of the named result fields of a lookup field, joined by blanks (names that
/// are not among its result fields are passed over).
std::string LookFieldsText(TQorLookField* field, const std::string& names);

/// Prepares the TQorLookField lookup fields of a dataset that has just been opened: the
/// dataset's lookup fetches all result values at once from then on; the lookup cache is
/// filled, or the lookup information checked.
void PrepareLookupFields(fw::TDataSet* dataSet);

/// Two values compare equal; false when the comparison raises.
bool ValuesEqual(const fw::Variant& a, const fw::Variant& b);

/// Start and end of the lookup unit: installs and removes its hooks.
void InitQorLookUnit();
void DoneQorLookUnit();

}  // namespace qor
