// TField and its classes by data type, field definitions, the fields list of a dataset and
// the lookup list. A field reads and writes its value in the dataset's current record
// buffer in a native binary form of DataSize bytes (GetData/SetData); calculated and
// lookup fields live in the buffer's calculated area.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "framework/core/Collection.h"
#include "framework/core/Component.h"
#include "framework/core/Events.h"
#include "framework/core/TypInfo.h"
#include "framework/core/Types.h"
#include "framework/core/Variant.h"

namespace fw {

class TDataSet;
struct TRecordBuffer;
class TField;

enum TFieldType {
  ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency,
  ftDate, ftTime, ftDateTime, ftAutoInc, ftBlob, ftMemo, ftGraphic, ftLargeint
};
FW_ENUM_INFO(TFieldType, "ftUnknown", "ftString", "ftSmallint", "ftInteger", "ftWord", "ftBoolean",
             "ftFloat", "ftCurrency", "ftDate", "ftTime", "ftDateTime", "ftAutoInc", "ftBlob",
             "ftMemo", "ftGraphic", "ftLargeint")

enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc };
FW_ENUM_INFO(TFieldKind, "fkData", "fkCalculated", "fkLookup", "fkInternalCalc")


using TFieldNotifyEvent = TEvent<void(TField* sender)>;
using TFieldGetTextEvent = TEvent<void(TField* sender, std::string& text, bool displayText)>;
using TFieldSetTextEvent = TEvent<void(TField* sender, const std::string& text)>;

/// Key values → result values of a lookup field, filled when LookupCache is on.
class TLookupList {
 public:
  void Clear() {
    FMap.clear();
    ++FVersion;
  }
  void Add(const Variant& key, const Variant& value) {
    FMap.emplace(key, value);
    ++FVersion;
  }
  /// The value for a key, or null.
  Variant ValueOfKey(const Variant& key) const;
  /// The value for a key read in place (valid until the list changes), or null when the
  /// key is not in the list.
  const Variant* Find(const Variant& key) const {
    auto it = FMap.find(key);
    return it == FMap.end() ? nullptr : &it->second;
  }
  std::size_t Count() const { return FMap.size(); }
  /// Changes with every Clear and Add: a value found before stays valid while it is the same.
  std::uint64_t Version() const { return FVersion; }

 private:
  std::unordered_map<Variant, Variant> FMap;
  std::uint64_t FVersion = 0;
};

/// A field of a dataset. Persistent fields are components created from form files,
/// owned by the form or data module and attached to their dataset through `DataSet`.
class TField : public TComponent {
  FW_CLASS(TField)
 public:
  explicit TField(TComponent* owner);
  ~TField() override;

  // ---- identity and layout
  TDataSet* GetDataSet() const { return FDataSet; }
  /// Attaches the field to a dataset (appended to its fields); the dataset must be closed.
  /// Raises "Circular datalinks are not allowed" when the field's lookup dataset is that
  /// dataset or leads back to it through lookup datasets of its own fields.
  virtual void SetDataSet(TDataSet* dataSet);
  const std::string& GetFieldName() const { return FFieldName; }
  void SetFieldName(const std::string& name);
  TFieldKind GetFieldKind() const { return FFieldKind; }
  void SetFieldKind(TFieldKind kind);
  TFieldType GetDataType() const { return FDataType; }
  std::int32_t GetSize() const { return FSize; }
  void SetSize(std::int32_t size);
  /// Bytes of the field's native form in a record buffer (Size + 1 for a string, 2 for a
  /// smallint, 4 for an integer, 8 for a float or a date-time, 0 for a blob).
  virtual int GetDataSize() const { return 0; }
  bool IsBlob() const;
  bool GetCalculated() const { return FFieldKind == fkCalculated || FFieldKind == fkInternalCalc; }
  bool GetLookup() const { return FFieldKind == fkLookup; }
  int GetFieldNo() const { return FFieldNo; }
  int GetIndex() const;
  int GetOffset() const { return FOffset; }
  int GetBlobIndex() const { return FBlobIndex; }

  // ---- display
  std::string GetDisplayLabel() const { return FDisplayLabel.empty() ? FFieldName : FDisplayLabel; }
  void SetDisplayLabel(const std::string& v) { FDisplayLabel = v; PropertyChanged(true); }
  bool IsDisplayLabelStored() const { return !FDisplayLabel.empty(); }
  std::string GetDisplayName() const { return GetDisplayLabel(); }
  std::int32_t GetDisplayWidth() const;
  void SetDisplayWidth(std::int32_t v) { FDisplayWidth = v; PropertyChanged(true); }
  bool IsDisplayWidthStored() const { return FDisplayWidth > 0; }
  TAlignment GetAlignment() const { return FAlignmentSet ? FAlignment : DefaultAlignment(); }
  void SetAlignment(TAlignment v) {
    FAlignment = v;
    FAlignmentSet = true;
    PropertyChanged(false);
  }
  bool IsAlignmentStored() const { return FAlignmentSet && FAlignment != DefaultAlignment(); }
  const std::string& GetEditMask() const { return FEditMask; }
  void SetEditMask(const std::string& v) { FEditMask = v; }
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool v) { FVisible = v; PropertyChanged(true); }
  bool GetReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v) { FReadOnly = v; }
  bool GetRequired() const { return FRequired; }
  void SetRequired(bool v) { FRequired = v; }

  // ---- lookup definition
  const std::string& GetKeyFields() const { return FKeyFields; }
  void SetKeyFields(const std::string& v);
  TDataSet* GetLookupDataSet() const { return FLookupDataSet; }
  /// Raises "Circular datalinks are not allowed" for the field's own dataset and for a
  /// dataset whose lookup fields lead back to it (directly or through others).
  void SetLookupDataSet(TDataSet* v);
  const std::string& GetLookupKeyFields() const { return FLookupKeyFields; }
  void SetLookupKeyFields(const std::string& v);
  /// The lookup's result member (several names give an array of values).
  virtual std::string GetLookupResultField() const { return FLookupResultField; }
  virtual void SetLookupResultField(const std::string& v);
  /// Writes the result member without the open-dataset check.
  void SetLookupResultFieldMember(const std::string& v) { FLookupResultField = v; }
  const std::string& GetLookupResultFieldMember() const { return FLookupResultField; }
  bool GetLookupCache() const { return FLookupCache; }
  void SetLookupCache(bool v);
  TLookupList& GetLookupList() { return FLookupList; }
  const TLookupList& GetLookupList() const { return FLookupList; }
  /// Fills the lookup list from the lookup dataset (LookupCache).
  virtual void RefreshLookupList();

  // ---- value access (virtual so that a subclass can take them over)
  Variant GetValue() const { return GetAsVariant(); }
  void SetValue(const Variant& v) { SetAsVariant(v); }
  virtual Variant GetAsVariant() const;
  virtual void SetAsVariant(const Variant& v);
  virtual std::string GetAsString() const;
  virtual void SetAsString(const std::string& v);
  virtual std::int32_t GetAsInteger() const;
  virtual void SetAsInteger(std::int32_t v);
  virtual double GetAsFloat() const;
  virtual void SetAsFloat(double v);
  virtual TDateTime GetAsDateTime() const;
  virtual void SetAsDateTime(TDateTime v);
  virtual bool GetAsBoolean() const;
  virtual void SetAsBoolean(bool v);
  /// The value as fixed-point money, exact for currency fields.
  virtual TCurrency GetAsCurrency() const;
  virtual void SetAsCurrency(TCurrency v);
  virtual bool GetIsNull() const;
  bool IsNull() const { return GetIsNull(); }
  /// Makes the field null in the current record.
  void Clear() { SetData(nullptr); }
  /// The text shown by controls (OnGetText, else GetText(true)).
  std::string GetDisplayText() const;
  /// The text edited by controls (OnGetText, else GetText(text, false)).
  std::string GetText() const;
  /// The edit (false) or display (true) text of the value.
  virtual void GetText(std::string& text, bool displayText) const;
  /// Sets the value from edited text (OnSetText, else SetAsString).
  void SetText(const std::string& text);
  bool CanModify() const;

  /// Copies the field's native data of the current record into `buffer` (DataSize bytes);
  /// false (nothing copied) when the record holds no value for the field.
  bool GetData(void* buffer) const;
  /// The field's native data in the current record (DataSize bytes), read in place;
  /// null when the record holds no value for the field.
  const std::uint8_t* DataInRecord() const;
  /// Stores DataSize bytes as the field's native data in the current record (editing
  /// state required for data fields); a null buffer makes the field null.
  void SetData(const void* buffer);
  /// The value of the field's native data (DataSize bytes), whatever the current record.
  Variant NativeToVariant(const void* data) const { return FromNative(data); }
  /// Writes a value as the field's native data (DataSize bytes); conversion errors raise.
  void VariantToNative(const Variant& v, void* data) const { ToNative(v, data); }
  /// Blob content (blob fields).
  std::string GetBlob() const;
  void SetBlob(const std::string& data);

  void FocusControl();
  void Validate(const void* buffer);

  // ---- events
  TFieldNotifyEvent GetOnChange() const { return FOnChange; }
  void SetOnChange(TFieldNotifyEvent e) { FOnChange = e; }
  TFieldNotifyEvent GetOnValidate() const { return FOnValidate; }
  void SetOnValidate(TFieldNotifyEvent e) { FOnValidate = e; }
  TFieldGetTextEvent GetOnGetText() const { return FOnGetText; }
  void SetOnGetText(TFieldGetTextEvent e) { FOnGetText = e; }
  TFieldSetTextEvent GetOnSetText() const { return FOnSetText; }
  void SetOnSetText(TFieldSetTextEvent e) { FOnSetText = e; }

  // ---- component plumbing
  bool HasParent() const override { return FDataSet != nullptr; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* parent) override;
  void Notification(TComponent* component, TOperation operation) override;

  // Used by the dataset.
  void SetFieldNo(int n) { FFieldNo = n; }
  void SetOffset(int offset, int blobIndex) {
    FOffset = offset;
    FBlobIndex = blobIndex;
  }
  /// Called by the dataset when the value changed (fires OnChange).
  void Change();
  /// The datasets' binding of a lookup field at opening (validation, lookup list).
  virtual void BindLookup();
  /// A step of the dataset's opening, run for each field right before its place in the
  /// record is laid out (before its data size is asked for): a field class whose record
  /// data follows its settings gets ready here. Nothing by default.
  virtual void PrepareLayout() {}
  /// The value of a lookup field for the current record: from the lookup list or the
  /// lookup dataset; null when nothing matches.
  Variant ComputeLookupValue() const;
  /// The master's key values of a lookup field (an array for several), null when one is null.
  Variant LookupKeyValues() const;
  /// Computes the lookup value of the current record and stores it (SetAsVariant).
  virtual void CalcLookupValue();
  /// The key fields of the master, resolved at binding.
  const std::vector<TField*>& LookupKeyFieldList() const { return FKeyFieldList; }

 protected:
  virtual TAlignment DefaultAlignment() const { return taLeftJustify; }
  virtual std::int32_t DefaultDisplayWidth() const { return 10; }
  /// Native data → value and back (fields of each data type).
  virtual Variant FromNative(const void* data) const;
  virtual void ToNative(const Variant& v, void* data) const;
  void CheckInactive() const;
  /// The display or edit text: OnGetText when assigned, else GetText(text, displayText).
  std::string TextFor(bool displayText) const;
  /// Raises "Cannot convert" style errors naming the field.
  [[noreturn]] void AccessError(const std::string& typeName) const;
  void PropertyChanged(bool layoutAffected);
  /// The dataset's buffer that fields read and write now; null without a dataset. For
  /// field classes that lay out data of their own in the record.
  TRecordBuffer* CurrentRecordBuffer() const;
  TField(TComponent* owner, TFieldType type, std::int32_t size);

 private:
  TDataSet* FDataSet = nullptr;
  std::string FFieldName;
  TFieldKind FFieldKind = fkData;
  TFieldType FDataType = ftUnknown;
  std::int32_t FSize = 0;
  int FFieldNo = 0;
  int FOffset = 0;
  int FBlobIndex = -1;
  std::string FDisplayLabel;
  std::int32_t FDisplayWidth = 0;
  TAlignment FAlignment = taLeftJustify;
  bool FAlignmentSet = false;
  std::string FEditMask;
  bool FVisible = true;
  bool FReadOnly = false;
  bool FRequired = false;
  std::string FKeyFields;
  TDataSet* FLookupDataSet = nullptr;
  std::string FLookupKeyFields;
  std::string FLookupResultField;
  bool FLookupCache = false;
  TLookupList FLookupList;
  std::vector<TField*> FKeyFieldList;
  TFieldNotifyEvent FOnChange, FOnValidate;
  TFieldGetTextEvent FOnGetText;
  TFieldSetTextEvent FOnSetText;
  friend class TDataSet;
};

/// The base of a field class by data type: `explicit Cls(owner)` makes a field of `Type`
/// and `Size`, and the (owner, type, size) constructor stays for Cls's own subclasses. A
/// field class takes both with `using`:
///
///   class TIntegerField : public TFieldOfType<TNumericField, ftInteger> {
///     FW_CLASS(TIntegerField)
///    public:
///     using TFieldOfType::TFieldOfType;
template <class Base, TFieldType Type, std::int32_t Size = 0>
class TFieldOfType : public Base {
 public:
  explicit TFieldOfType(TComponent* owner) : Base(owner, Type, Size) {}

 protected:
  TFieldOfType(TComponent* owner, TFieldType type, std::int32_t size) : Base(owner, type, size) {}
};

/// Text of at most Size bytes of UTF-8 (never split inside a character); DataSize Size + 1.
class TStringField : public TFieldOfType<TField, ftString, 20> {
  FW_CLASS(TStringField)
 public:
  using TFieldOfType::TFieldOfType;
  int GetDataSize() const override { return GetSize() + 1; }
  std::int32_t DefaultDisplayWidth() const override { return GetSize(); }
  Variant FromNative(const void* data) const override;
  void ToNative(const Variant& v, void* data) const override;
};

/// Integer numbers: smallint (2 bytes), integer (4), word (2), auto-increment (4), largeint (8).
class TNumericField : public TFieldOfType<TField, ftUnknown> {
  FW_CLASS(TNumericField)
 public:
  using TFieldOfType::TFieldOfType;
  TAlignment DefaultAlignment() const override { return taRightJustify; }
};

class TIntegerField : public TFieldOfType<TNumericField, ftInteger> {
  FW_CLASS(TIntegerField)
 public:
  using TFieldOfType::TFieldOfType;
  int GetDataSize() const override { return 4; }
  Variant FromNative(const void* data) const override;
  void ToNative(const Variant& v, void* data) const override;
  std::int32_t DefaultDisplayWidth() const override { return 11; }
};

class TSmallintField : public TFieldOfType<TIntegerField, ftSmallint> {
  FW_CLASS(TSmallintField)
 public:
  using TFieldOfType::TFieldOfType;
  int GetDataSize() const override { return 2; }
  Variant FromNative(const void* data) const override;
  void ToNative(const Variant& v, void* data) const override;
  std::int32_t DefaultDisplayWidth() const override { return 6; }
};

class TWordField : public TFieldOfType<TIntegerField, ftWord> {
  FW_CLASS(TWordField)
 public:
  using TFieldOfType::TFieldOfType;
  int GetDataSize() const override { return 2; }
  Variant FromNative(const void* data) const override;
  void ToNative(const Variant& v, void* data) const override;
  std::int32_t DefaultDisplayWidth() const override { return 5; }
};

class TAutoIncField : public TFieldOfType<TIntegerField, ftAutoInc> {
  FW_CLASS(TAutoIncField)
 public:
  using TFieldOfType::TFieldOfType;
};

class TLargeintField : public TFieldOfType<TNumericField, ftLargeint> {
  FW_CLASS(TLargeintField)
 public:
  using TFieldOfType::TFieldOfType;
  int GetDataSize() const override { return 8; }
  Variant FromNative(const void* data) const override;
  void ToNative(const Variant& v, void* data) const override;
  std::int32_t DefaultDisplayWidth() const override { return 15; }
};

class TFloatField : public TFieldOfType<TNumericField, ftFloat> {
  FW_CLASS(TFloatField)
 public:
  using TFieldOfType::TFieldOfType;
  int GetDataSize() const override { return 8; }
  Variant FromNative(const void* data) const override;
  void ToNative(const Variant& v, void* data) const override;
};

/// Money in fixed point: the native form is the Currency's integer count of 1/10000 units
/// (8 bytes), so every value of the Currency range keeps its last digit; values beyond the
/// range raise a conversion error.
class TCurrencyField : public TFieldOfType<TFloatField, ftCurrency> {
  FW_CLASS(TCurrencyField)
 public:
  using TFieldOfType::TFieldOfType;
  Variant FromNative(const void* data) const override;
  void ToNative(const Variant& v, void* data) const override;
};

class TBooleanField : public TFieldOfType<TField, ftBoolean> {
  FW_CLASS(TBooleanField)
 public:
  using TFieldOfType::TFieldOfType;
  int GetDataSize() const override { return 2; }
  Variant FromNative(const void* data) const override;
  void ToNative(const Variant& v, void* data) const override;
  std::int32_t DefaultDisplayWidth() const override { return 5; }
};

/// Date and time: TDateTimeField 8 bytes (days as a double), TDateField 4 (whole days),
/// TTimeField 4 (milliseconds since midnight). Values outside years 1..9999 (and NaN or
/// infinities) raise a conversion error instead of being stored.
class TDateTimeField : public TFieldOfType<TField, ftDateTime> {
  FW_CLASS(TDateTimeField)
 public:
  using TFieldOfType::TFieldOfType;
  int GetDataSize() const override { return 8; }
  Variant FromNative(const void* data) const override;
  void ToNative(const Variant& v, void* data) const override;
  std::int32_t DefaultDisplayWidth() const override { return 18; }
};

class TDateField : public TFieldOfType<TDateTimeField, ftDate> {
  FW_CLASS(TDateField)
 public:
  using TFieldOfType::TFieldOfType;
  int GetDataSize() const override { return 4; }
  Variant FromNative(const void* data) const override;
  void ToNative(const Variant& v, void* data) const override;
};

class TTimeField : public TFieldOfType<TDateTimeField, ftTime> {
  FW_CLASS(TTimeField)
 public:
  using TFieldOfType::TFieldOfType;
  int GetDataSize() const override { return 4; }
  Variant FromNative(const void* data) const override;
  void ToNative(const Variant& v, void* data) const override;
};

/// Binary large objects: the content lives beside the record (DataSize 0).
class TBlobField : public TFieldOfType<TField, ftBlob> {
  FW_CLASS(TBlobField)
 public:
  using TFieldOfType::TFieldOfType;
  using TField::GetText;
  void GetText(std::string& text, bool displayText) const override;
};

class TMemoField : public TFieldOfType<TBlobField, ftMemo> {
  FW_CLASS(TMemoField)
 public:
  using TFieldOfType::TFieldOfType;
  using TField::GetText;
  void GetText(std::string& text, bool displayText) const override;
};

class TGraphicField : public TFieldOfType<TBlobField, ftGraphic> {
  FW_CLASS(TGraphicField)
 public:
  using TFieldOfType::TFieldOfType;
};

/// The field class of a data type (TStringField for ftString, ...).
const TClassInfo& FieldClassOf(TFieldType type);

/// The definition of a physical field of a dataset (from the engine or set by code).
class TFieldDef : public TCollectionItem {
  FW_CLASS(TFieldDef)
 public:
  explicit TFieldDef(TCollection* collection) : TCollectionItem(collection) {}
  const std::string& GetName() const { return FName; }
  void SetName(const std::string& v) { FName = v; }
  TFieldType GetDataType() const { return FDataType; }
  void SetDataType(TFieldType v) { FDataType = v; }
  std::int32_t GetSize() const { return FSize; }
  void SetSize(std::int32_t v) { FSize = v; }
  bool GetRequired() const { return FRequired; }
  void SetRequired(bool v) { FRequired = v; }
  std::string GetDisplayName() const override { return FName; }
  void Assign(const TPersistent* source) override;
  /// Creates a field of the definition's class for `dataSet`, owned by `owner`.
  TField* CreateField(TComponent* owner, TDataSet* dataSet) const;

 private:
  std::string FName;
  TFieldType FDataType = ftUnknown;
  std::int32_t FSize = 0;
  bool FRequired = false;
};

class TFieldDefs : public TOwnedCollection {
  FW_CLASS(TFieldDefs)
 public:
  explicit TFieldDefs(TPersistent* owner) : TOwnedCollection(owner, TFieldDef::StaticClass()) {}
  TFieldDef* Add(const std::string& name, TFieldType type, std::int32_t size = 0, bool required = false);
  TFieldDef* GetItem(int index) const { return static_cast<TFieldDef*>(TCollection::GetItem(index)); }
  /// The definition of that name (case-insensitive), or null.
  TFieldDef* Find(const std::string& name) const;
  int IndexOf(const std::string& name) const;
};

}  // namespace fw
