#include "library/QorLook.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "framework/core/Component.h"
#include "framework/core/Consts.h"
#include "framework/core/Dialogs.h"
#include "framework/core/Exceptions.h"
#include "framework/core/Filer.h"
#include "framework/core/Scoped.h"
#include "framework/core/Text.h"
#include "framework/core/TypInfo.h"
#include "framework/data/DataSet.h"
#include "library/QorConst.h"
#include "library/QorDBFun.h"
#include "library/QorPas.h"

namespace qor {

// ------------------------------------------------------------------ lookup levels

const fw::TClassInfo& TQorLookupLevelItem::StaticClass() {
  static const fw::TClassInfo& info =
      fw::TClassBuilder<TQorLookupLevelItem>("TQorLookupLevelItem", &fw::TCollectionItem::StaticClass())
          .Prop("DataSet", &TQorLookupLevelItem::GetDataSet, &TQorLookupLevelItem::SetDataSet)
          .Prop("FilterField", &TQorLookupLevelItem::GetFilterField, &TQorLookupLevelItem::SetFilterField)
          .Prop("KeyField", &TQorLookupLevelItem::GetKeyField, &TQorLookupLevelItem::SetKeyField)
          .Prop("ResultFields", &TQorLookupLevelItem::GetResultFields, &TQorLookupLevelItem::SetResultFields)
          .Build();
  return info;
}

void TQorLookupLevelItem::SetDataSet(fw::TDataSet* value) {
  if (value == FDataSet) return;
  FDataSet = value;
  if (!value || !GetCollection()) return;
  if (auto* owner = dynamic_cast<fw::TComponent*>(GetCollection()->GetOwner()))
    value->FreeNotification(owner);
}

void TQorLookupLevelItem::Assign(const fw::TPersistent* source) {
  if (auto* level = dynamic_cast<const TQorLookupLevelItem*>(source)) {
    SetDataSet(level->FDataSet);
    FFilterField = level->FFilterField;
    FKeyField = level->FKeyField;
    FResultFields = level->FResultFields;
    return;
  }
  fw::TCollectionItem::Assign(source);
}

const fw::TClassInfo& TQorLookupLevelCol::StaticClass() {
  static const fw::TClassInfo& info =
      fw::TClassBuilder<TQorLookupLevelCol>("TQorLookupLevelCol", &fw::TCollection::StaticClass()).Build();
  return info;
}

TQorLookupLevelCol::TQorLookupLevelCol(fw::TComponent* owner)
    : fw::TCollection(TQorLookupLevelItem::StaticClass()), FOwner(owner) {
  EnsureUnitsStarted();
}

fw::TPersistent* TQorLookupLevelCol::GetOwner() const { return FOwner; }

// The index is compared with Count as a signed number, so a negative index goes on to
// GetItem and raises its index error.

fw::TDataSet* TQorLookupLevelCol::LevelDataSet(int index) const {
  if (index >= GetCount()) return nullptr;
  return GetItem(index)->GetDataSet();
}

void TQorLookupLevelCol::SetLevelDataSet(int index, fw::TDataSet* value) {
  if (index >= GetCount()) return;
  GetItem(index)->SetDataSet(value);
}

std::string TQorLookupLevelCol::LevelKeyField(int index) const {
  if (index >= GetCount()) return {};
  return GetItem(index)->GetKeyField();
}

std::string TQorLookupLevelCol::LevelResultFields(int index) const {
  if (index >= GetCount()) return {};
  return GetItem(index)->GetResultFields();
}

std::string LevelFilterField(const TQorLookupLevelCol* c, int index) {
  if (!c || index >= c->GetCount()) return {};
  return c->GetItem(index)->GetFilterField();
}

// ------------------------------------------------------------------ lookup field

namespace {

int CountNames(const std::string& list) {
  int n = 0;
  std::size_t pos = 1;
  while (pos <= list.size()) {
    fw::ExtractFieldName(list, pos);
    ++n;
  }
  return n;
}

bool IsTextField(const fw::TField* f) {
  auto t = f->GetDataType();
  return t == fw::ftString || t == fw::ftMemo || t == fw::ftBlob || t == fw::ftGraphic;
}

bool IsDateTimeField(const fw::TField* f) {
  auto t = f->GetDataType();
  return t == fw::ftDate || t == fw::ftTime || t == fw::ftDateTime;
}

/// How a result value is kept in its slot: text (zero-terminated), a date-time as an
/// 8-byte float, an integer in the field's own binary form (read without a variant), or
/// any other binary form of the field.
enum TSlotKind : std::uint8_t { skText, skDateTime, skInt16, skWord, skInt32, skInt64, skOther };

TSlotKind SlotKindOf(const fw::TField* f) {
  if (IsTextField(f)) return skText;
  if (IsDateTimeField(f)) return skDateTime;
  switch (f->GetDataType()) {
    case fw::ftSmallint: return skInt16;
    case fw::ftWord: return skWord;
    case fw::ftInteger:
    case fw::ftAutoInc: return skInt32;
    case fw::ftLargeint: return skInt64;
    default: return skOther;
  }
}

/// The variant type code of a field's values, 0 when only a value tells it.
std::uint16_t VarTypeOfField(const fw::TField* f) {
  switch (f->GetDataType()) {
    case fw::ftString: return fw::varString;
    case fw::ftSmallint: return fw::varSmallint;
    case fw::ftInteger:
    case fw::ftAutoInc: return fw::varInteger;
    case fw::ftWord: return fw::varWord;
    case fw::ftLargeint: return fw::varInt64;
    case fw::ftBoolean: return fw::varBoolean;
    case fw::ftFloat: return fw::varDouble;
    case fw::ftCurrency: return fw::varCurrency;
    case fw::ftDate:
    case fw::ftTime:
    case fw::ftDateTime: return fw::varDate;
    default: return 0;
  }
}

/// The working buffer in which a stored lookup record is put together: at least 8193
/// bytes, the record's `size` bytes zeroed.
std::vector<std::uint8_t>& WorkingBuffer(int size) {
  static thread_local std::vector<std::uint8_t> buffer;
  buffer.resize(static_cast<std::size_t>(std::max(size, MaxLookupRecordSize + 1)));
  std::memset(buffer.data(), 0, static_cast<std::size_t>(std::max(size, 0)));
  return buffer;
}

/// Writes a slot's type code (16-bit, little-endian).
void StoreTypeCode(std::uint8_t* slot, std::uint16_t code) {
  slot[0] = static_cast<std::uint8_t>(code & 0xFF);
  slot[1] = static_cast<std::uint8_t>(code >> 8);
}

/// Writes text as a slot's value: the whole characters that fit with the zero byte.
void StoreSlotText(std::uint8_t* slot, std::string_view text, int valueSize) {
  if (valueSize > 0)
    std::memcpy(slot + 2, text.data(), fw::Utf8FitBytes(text, static_cast<std::size_t>(valueSize - 1)));
}

/// Writes a date and time as a slot's value (the double of TDateTime).
void StoreSlotDateTime(std::uint8_t* slot, double value) { std::memcpy(slot + 2, &value, 8); }

std::uint16_t TypeCodeOf(const std::uint8_t* slot) {
  return static_cast<std::uint16_t>(slot[0] | (slot[1] << 8));
}

template <class T>
T LoadNative(const std::uint8_t* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

/// Writes an integer in decimal, as its variant's text gives it, at `at` (room for 20
/// characters); returns the number written.
std::size_t FormatInteger(char* at, std::int64_t value) {
  std::size_t n = 0;
  if (value < 0) at[n++] = '-';
  std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  std::size_t digits = 1;
  for (std::uint64_t limit = 10; digits < 20 && magnitude >= limit; limit *= 10) ++digits;
  n += digits;
  char* p = at + n;
  if (magnitude <= 0xFFFFFFFFu) {
    // Codes and counts: the digits of a 32-bit number, cheaper to divide.
    auto small = static_cast<std::uint32_t>(magnitude);
    do {
      *--p = static_cast<char>('0' + small % 10);
      small /= 10;
    } while (small != 0);
  } else {
    do {
      *--p = static_cast<char>('0' + magnitude % 10);
      magnitude /= 10;
    } while (magnitude != 0);
  }
  return n;
}

/// Appends an integer in decimal, as its variant's text gives it.
void AppendInteger(std::string& out, std::int64_t value) {
  char digits[20];
  out.append(digits, FormatInteger(digits, value));
}

/// The value of an integer slot kind's binary form; false for other kinds.
bool NativeInteger(std::uint8_t kind, const std::uint8_t* native, std::int64_t& value) {
  switch (kind) {
    case skInt16: value = LoadNative<std::int16_t>(native); return true;
    case skWord: value = LoadNative<std::uint16_t>(native); return true;
    case skInt32: value = LoadNative<std::int32_t>(native); return true;
    case skInt64: value = LoadNative<std::int64_t>(native); return true;
    default: return false;
  }
}

/// Appends the text of an integer slot kind's binary form; false for other kinds.
bool AppendNativeInteger(std::uint8_t kind, const std::uint8_t* native, std::string& out) {
  std::int64_t value;
  if (!NativeInteger(kind, native, value)) return false;
  AppendInteger(out, value);
  return true;
}

/// Copies a value's binary form of `size` bytes, the usual sizes without a library call.
void CopyValue(std::uint8_t* to, const std::uint8_t* from, int size) {
  switch (size) {
    case 2: std::memcpy(to, from, 2); break;
    case 4: std::memcpy(to, from, 4); break;
    case 8: std::memcpy(to, from, 8); break;
    default: std::memcpy(to, from, static_cast<std::size_t>(size)); break;
  }
}

/// Marks the keys not searched yet among a lookup field's kept rows.
const std::uint8_t kNotSearched = 0;

/// Copies text of at most `limit` bytes, up to its first zero byte, to `to`; returns the
/// number of bytes copied.
std::size_t CopyText(char* to, const char* from, std::size_t limit) {
  const std::size_t n = strnlen(from, limit);
  std::memcpy(to, from, n);
  return n;
}

/// Adds a text of at most `limit` bytes to the characters gathered on the stack; when it
/// does not fit there, the gathered characters and the text go to `out` at once.
template <std::size_t N>
void GatherText(char (&gathered)[N], std::size_t& n, std::string& out, const char* value, std::size_t limit) {
  if (n + limit <= N) {
    n += CopyText(gathered + n, value, limit);
  } else {
    out.append(gathered, n).append(value, strnlen(value, limit));
    n = 0;
  }
}

/// Whether two key values are equal (numbers of every kind and dates by value), as the
/// record search compares them; null keys match nothing.
bool SameKey(const fw::Variant& a, const fw::Variant& b) { return !a.IsNullOrEmpty() && a == b; }

}  // namespace

const fw::TClassInfo& TQorLookField::StaticClass() {
  static const fw::TClassInfo& info =
      fw::TClassBuilder<TQorLookField>("TQorLookField", &fw::TStringField::StaticClass())
          .Prop("ListFieldIndex", &TQorLookField::GetListFieldIndex, &TQorLookField::SetListFieldIndex)
          .ReadOnlyProp("LookupLevels", &TQorLookField::GetLookupLevels).Stored(false)
          .Prop("LookupFilterField", &TQorLookField::GetLookupFilterField, &TQorLookField::SetLookupFilterField)
          .Prop("LookupLevelUp", &TQorLookField::GetLookupLevelUp, &TQorLookField::SetLookupLevelUp)
          .Prop("LookupFilterKey", &TQorLookField::GetLookupFilterKey, &TQorLookField::SetLookupFilterKey)
          .Prop("LookupLevelDown", &TQorLookField::GetLookupLevelDown, &TQorLookField::SetLookupLevelDown)
          .Prop("LookupAddFields", &TQorLookField::GetLookupAddFields, &TQorLookField::SetLookupAddFields)
          .Prop("LookupGridFields", &TQorLookField::GetLookupGridFields, &TQorLookField::SetLookupGridFields)
          .Prop("LookupResultIndex", &TQorLookField::GetLookupResultIndex, &TQorLookField::SetLookupResultIndex).Default(0)
          .Prop("HeadLine", &TQorLookField::GetHeadLine, &TQorLookField::SetHeadLine)
          .Prop("HeadColor", &TQorLookField::GetHeadColor, &TQorLookField::SetHeadColor)
          .Prop("Options", &TQorLookField::GetOptions, &TQorLookField::SetOptions).Default(DefaultLookFieldOptions)
          .Prop("OnEditData", &TQorLookField::GetOnEditData, &TQorLookField::SetOnEditData)
          .Prop("OnFilter", &TQorLookField::GetOnFilter, &TQorLookField::SetOnFilter)
          .Prop("SetEditValue", &TQorLookField::GetSetEditValue, &TQorLookField::SetSetEditValue)
          .Prop("OnlyEqualInFilter", &TQorLookField::GetOnlyEqualInFilter, &TQorLookField::SetOnlyEqualInFilter).Default(0)
          .Prop("StoreLookupData", &TQorLookField::GetStoreLookupData, &TQorLookField::SetStoreLookupData).Default(0)
          .Build();
  return info;
}

TQorLookField::TQorLookField(fw::TComponent* owner)
    : fw::TStringField(owner), FLookupLevels(std::make_unique<TQorLookupLevelCol>(this)) {
  EnsureUnitsStarted();
}

TQorLookField::~TQorLookField() {
  FResultFieldList.clear();
  FLookupLevels.reset();
}

std::string TQorLookField::GetLookupResultField() const {
  if (FOwnLookupResultField.empty() && !GetLookupResultFieldMember().empty())
    FOwnLookupResultField = GetLookupResultFieldMember();
  return FOwnLookupResultField;
}

void TQorLookField::SetLookupResultField(const std::string& v) {
  fw::TStringField::SetLookupResultField(v);
  FOwnLookupResultField = v;
}

void TQorLookField::SetLookupAddFields(const std::string& v) {
  if (GetDataSet()) GetDataSet()->CheckInactive();
  FLookupAddFields = v;
}

void TQorLookField::SetLookupGridFields(const std::string& v) {
  if (GetDataSet()) GetDataSet()->CheckInactive();
  FLookupGridFields = v;
}

void TQorLookField::SetStoreLookupData(bool v) {
  if (GetDataSet()) GetDataSet()->CheckInactive();
  FStoreLookupData = v;
}

std::string TQorLookField::AllResultFields() const {
  std::string list = GetLookupResultField();
  if (!FLookupAddFields.empty()) list += ";" + FLookupAddFields;
  const std::string before = list;
  std::size_t pos = 1;
  while (pos <= FLookupGridFields.size()) {
    std::string name = fw::ExtractFieldName(FLookupGridFields, pos);
    bool known = false;
    std::size_t p = 1;
    while (!known && p <= before.size()) known = fw::SameText(fw::ExtractFieldName(before, p), name);
    if (!known) list += ";" + name;
  }
  return list;
}

void TQorLookField::BuildResultFields() {
  FResultFieldList.clear();
  FLookupKeyList.clear();
  FDisplayFieldCount = 0;
  // While the master is open its record keeps the size it was opened with.
  fw::TDataSet* ds = GetDataSet();
  const int recordSize = ds && ds->GetActive() ? FStoredSize : -1;
  fw::TScopeExit slots([this, recordSize] { BuildSlots(recordSize); });
  std::string display = GetLookupResultField();
  fw::TDataSet* lookup = GetLookupDataSet();
  if (!lookup || display.empty()) return;
  FDisplayFieldCount = CountNames(display);
  FResultFieldList = lookup->GetFieldList(AllResultFields());
  std::size_t pos = 1;
  const std::string& keys = GetLookupKeyFields();
  while (pos <= keys.size()) {
    fw::TField* key = lookup->FindField(fw::ExtractFieldName(keys, pos));
    if (!key) {
      FLookupKeyList.clear();
      break;
    }
    FLookupKeyList.push_back(key);
  }
  // The lists hold fields of the lookup dataset (made anew at each of its openings when
  // they are its default fields): their freeing empties the lists (Notification).
  for (fw::TField* f : FResultFieldList) FreeNotification(f);
  for (fw::TField* f : FLookupKeyList) FreeNotification(f);
}

void TQorLookField::BuildSlots(int recordSize) const {
  FKeptRowsVersion = 0;
  FMasterKey = nullptr;
  FSlots.clear();
  FSlots.reserve(FResultFieldList.size());
  FSlotsFromRow = !FResultFieldList.empty();
  std::uint16_t sum = 0;  // the record's size, in 16 bits
  for (fw::TField* f : FResultFieldList) {
    TSlot slot;
    slot.Field = f;
    slot.ValueSize = StoredValueSize(f);
    slot.Kind = SlotKindOf(f);
    slot.VarType = VarTypeOfField(f);
    slot.WholeText = slot.Kind == skText && slot.ValueSize > 0 && slot.ValueSize == f->GetDataSize();
    FSlots.push_back(slot);
    sum = static_cast<std::uint16_t>(sum + slot.ValueSize + 2);
    if (f->GetFieldKind() != fw::fkData || f->IsBlob()) FSlotsFromRow = false;
  }
  const int limit = std::min(recordSize < 0 ? static_cast<int>(sum) : recordSize, MaxLookupRecordSize + 1);
  // Offsets are the running sum in full: a slot past a size that wrapped lies beyond.
  int offset = 0;
  for (TSlot& slot : FSlots) {
    slot.Offset = offset;
    slot.Fits = offset + 2 + slot.ValueSize <= limit;
    offset += 2 + slot.ValueSize;
  }
}

fw::TField* TQorLookField::ResultField(int index) const {
  if (index < 0 || index >= static_cast<int>(FResultFieldList.size())) fw::ListIndexError(index);
  return FResultFieldList[static_cast<std::size_t>(index)];
}

int TQorLookField::StoredValueSize(const fw::TField* field) {
  return IsDateTimeField(field) ? 8 : std::max(0, field->GetDataSize());
}

const std::uint8_t* TQorLookField::Slot(int index) const {
  if (index < 0 || index >= static_cast<int>(FSlots.size())) fw::ListIndexError(index);
  const TSlot& slot = FSlots[static_cast<std::size_t>(index)];
  if (!slot.Fits) return nullptr;
  const std::uint8_t* record = DataInRecord();
  return record ? record + slot.Offset : nullptr;
}

// Runs while the master dataset opens (its state still inactive): the dataset's lookup
// member becomes the first display name, the cache waits, the result fields are built.
void TQorLookField::Prepare() const {
  auto* self = const_cast<TQorLookField*>(this);
  const std::string member = GetLookupResultFieldMember();
  if (!member.empty()) {
    std::size_t n = std::min(member.size(), FOwnLookupResultField.size());
    if (FOwnLookupResultField.empty() || member.compare(0, n, FOwnLookupResultField, 0, n) != 0)
      FOwnLookupResultField = member;
  }
  std::size_t pos = 1;
  self->SetLookupResultFieldMember(fw::ExtractFieldName(FOwnLookupResultField, pos));
  FSavedLookupCache = GetLookupCache();
  if (FSavedLookupCache) self->SetLookupCache(false);
  self->BuildResultFields();
}

// Run by the opening dataset right before it asks for the field's size: a lookup field is
// prepared, and a size above the limit is told, for every field of this class.
void TQorLookField::PrepareLayout() {
  if (GetLookup()) Prepare();
  if (GetDataSize() > MaxLookupRecordSize) fw::ShowMessage(SOutLimit);
}

// While the dataset is closed or opening the size follows the slots; an open dataset's
// records keep the size they were opened with.
int TQorLookField::GetDataSize() const {
  fw::TDataSet* ds = GetDataSet();
  const bool sizing = ds && ds->GetState() == fw::dsInactive;
  const bool stored = GetLookup() && FStoreLookupData;
  if (!sizing && stored && FStoredSize >= 0) return FStoredSize;
  int size;
  if (stored) {
    std::uint16_t sum = 0;
    for (const TSlot& slot : FSlots) sum = static_cast<std::uint16_t>(sum + slot.ValueSize + 2);
    size = sum;
    FStoredSize = size;
  } else {
    size = fw::TStringField::GetDataSize();
  }
  return size;
}

void TQorLookField::SetAsVariant(const fw::Variant& v) {
  if (!GetLookup()) {
    fw::TStringField::SetAsVariant(v);
    return;
  }
  if (!FStoreLookupData || v.IsNullOrEmpty()) {
    Clear();
    return;
  }
  // Slots are written only where they fit both the record and the working buffer.
  LookupFieldsCurrent();
  std::vector<std::uint8_t>& buffer = WorkingBuffer(GetDataSize());
  for (std::size_t i = 0; i < FSlots.size(); ++i) {
    const TSlot& slot = FSlots[i];
    if (!slot.Fits) break;
    fw::TField* f = slot.Field;
    static const fw::Variant none;
    const fw::Variant& value = v.IsArray() ? (i < v.ArrayCount() ? v[i] : none) : (i == 0 ? v : none);
    std::uint8_t* p = buffer.data() + slot.Offset;
    std::uint16_t code = value.IsNullOrEmpty() ? fw::varNull : value.VarType();
    if (code != fw::varNull) {
      try {
        if (slot.Kind == skText) {
          StoreSlotText(p, value.IsBytes() ? std::string() : value.AsString(), slot.ValueSize);
        } else if (slot.Kind == skDateTime) {
          StoreSlotDateTime(p, value.AsDateTime().Value);
        } else if (slot.ValueSize > 0 && f) {
          f->VariantToNative(value, p + 2);
        } else if (slot.ValueSize > 0) {
          code = fw::varNull;  // the field that knows the binary form is gone
        }
      } catch (const fw::Exception&) {
        code = fw::varNull;  // a value that does not fit its result field is kept as null
        std::memset(p + 2, 0, static_cast<std::size_t>(slot.ValueSize));
      }
    }
    StoreTypeCode(p, code);
  }
  SetData(buffer.data());
}

fw::Variant TQorLookField::MasterKeyValues() const {
  const auto& keys = LookupKeyFieldList();
  if (keys.empty() || !GetDataSet()) return {};
  return LookupKeyValues();
}

bool TQorLookField::LookupFieldsCurrent() const {
  if (!FResultFieldList.empty() && !FLookupKeyList.empty()) return true;
  // Built anew only when every field is there again, so that the stored records keep
  // their layout meanwhile.
  fw::TDataSet* lookup = GetLookupDataSet();
  if (!lookup || !lookup->GetActive() || GetLookupResultField().empty()) return false;
  try {
    lookup->GetFieldList(AllResultFields());
    lookup->GetFieldList(GetLookupKeyFields());
  } catch (const fw::Exception&) {
    return false;
  }
  const_cast<TQorLookField*>(this)->BuildResultFields();
  return !FResultFieldList.empty() && !FLookupKeyList.empty();
}

bool TQorLookField::LookupStandsOn(const fw::Variant& keys) const {
  fw::TDataSet* lookup = GetLookupDataSet();
  if (lookup->GetState() != fw::dsBrowse || lookup->IsEmpty()) return false;
  if (FLookupKeyList.size() == 1) return SameKey(FLookupKeyList[0]->GetAsVariant(), keys);
  if (!keys.IsArray() || keys.ArrayCount() != FLookupKeyList.size()) return false;
  for (std::size_t i = 0; i < FLookupKeyList.size(); ++i)
    if (!SameKey(FLookupKeyList[i]->GetAsVariant(), keys[i])) return false;
  return true;
}

const fw::TField* TQorLookField::MasterIntegerKeyField() const {
  const auto& master = LookupKeyFieldList();
  if (master.size() != 1) return nullptr;
  if (master[0] != FMasterKey) {
    FMasterKey = master[0];
    FMasterKeyKind = SlotKindOf(FMasterKey);
  }
  return FMasterKeyKind >= skInt16 && FMasterKeyKind <= skInt64 ? FMasterKey : nullptr;
}

bool TQorLookField::MasterIntegerKey(std::int64_t& key) const {
  const fw::TField* field = MasterIntegerKeyField();
  const std::uint8_t* native = field ? field->DataInRecord() : nullptr;
  return native && NativeInteger(FMasterKeyKind, native, key);
}

int TQorLookField::LookupStandsOnMasterKey() const {
  // One key field of the same integer type on both sides: the binary forms tell.
  const fw::TField* m = MasterIntegerKeyField();
  if (!m || FLookupKeyList.size() != 1 || FLookupKeyList[0]->GetDataType() != m->GetDataType()) return -1;
  const std::uint8_t* a = m->DataInRecord();
  if (!a) return -1;
  fw::TDataSet* lookup = GetLookupDataSet();
  if (lookup->GetState() != fw::dsBrowse || lookup->IsEmpty()) return 0;
  const std::uint8_t* b = FLookupKeyList[0]->DataInRecord();
  if (!b) return 0;
  std::int64_t x = 0, y = 0;
  NativeInteger(FMasterKeyKind, a, x);
  NativeInteger(FMasterKeyKind, b, y);
  return x == y ? 1 : 0;
}

bool TQorLookField::LocateLookupRecord(const fw::Variant& keys) const {
  const int stands = LookupStandsOnMasterKey();
  if (stands == 1 || (stands < 0 && LookupStandsOn(keys))) return true;
  return GetLookupDataSet()->Locate(GetLookupKeyFields(), keys, {});
}

const fw::Variant* TQorLookField::CachedValues(const fw::Variant& keys) const {
  if (!GetLookupCache()) return nullptr;
  const fw::TLookupList& list = GetLookupList();
  if (!FDenseValues.empty() && FDenseVersion == list.Version() && keys.IsOrdinal()) {
    const std::int64_t k = keys.AsInt64();
    if (k < FDenseBase || static_cast<std::uint64_t>(k - FDenseBase) >= FDenseValues.size()) return nullptr;
    return FDenseValues[static_cast<std::size_t>(k - FDenseBase)];
  }
  if (FFoundValues && FFoundVersion == list.Version() && FFoundKey == keys) return FFoundValues;
  FFoundValues = list.Find(keys);
  FFoundVersion = list.Version();
  FFoundKey = keys;
  return FFoundValues;
}

bool TQorLookField::HasLookupRecord() const {
  fw::TDataSet* lookup = GetLookupDataSet();
  if (!GetDataSet() || !lookup) return false;
  if (!GetLookupCache() && lookup->GetActive() && LookupFieldsCurrent() && LookupStandsOnMasterKey() == 1) return true;
  fw::Variant keys = MasterKeyValues();
  if (keys.IsNull()) return false;
  if (GetLookupCache()) return CachedValues(keys) != nullptr;
  if (!lookup->GetActive() || !LookupFieldsCurrent()) return false;
  if (LookupStandsOnMasterKey() < 0 && LookupStandsOn(keys)) return true;
  return lookup->LocateRecord(GetLookupKeyFields(), keys, {}, false);
}

bool TQorLookField::FindLookupRecord(TFound& found) const {
  if (found.Looked) return found.Found;
  found.Looked = true;
  fw::TDataSet* lookup = GetLookupDataSet();
  if (!GetDataSet() || !lookup) return false;
  if (GetLookupCache()) {
    // The values come from the cache; the lookup dataset still follows the read.
    std::int64_t k;
    if (!FDenseValues.empty() && FDenseVersion == GetLookupList().Version() && MasterIntegerKey(k)) {
      if (k < FDenseBase || static_cast<std::uint64_t>(k - FDenseBase) >= FDenseValues.size()) return false;
      const auto at = static_cast<std::size_t>(k - FDenseBase);
      found.Values = FDenseValues[at];
      found.Text = &FDenseTexts[at];
    } else {
      const fw::Variant keys = MasterKeyValues();
      if (keys.IsNull()) return false;
      found.Values = CachedValues(keys);
    }
    if (!found.Values) return false;
    if (lookup->GetActive() && LookupFieldsCurrent() && LookupStandsOnMasterKey() != 1) {
      const fw::Variant keys = MasterKeyValues();
      if (!keys.IsNull()) LocateLookupRecord(keys);
    }
    return found.Found = true;
  }
  if (!lookup->GetActive() || !LookupFieldsCurrent()) return false;
  if (LookupStandsOnMasterKey() == 1) return found.Found = true;  // no key values to build
  const fw::Variant keys = MasterKeyValues();
  if (keys.IsNull()) return false;
  return found.Found = LocateLookupRecord(keys);
}

const fw::Variant* TQorLookField::CachedValue(int index, const TFound& found) const {
  const fw::Variant* values = found.Values;
  if (!values->IsArray()) return index == 0 ? values : nullptr;
  return static_cast<std::size_t>(index) < values->ArrayCount() ? &(*values)[static_cast<std::size_t>(index)]
                                                                : nullptr;
}

fw::Variant TQorLookField::GetAsVariant() const {
  fw::TDataSet* ds = GetDataSet();
  if (!GetLookup() || (ds && ds->GetState() == fw::dsSetKey)) return fw::TStringField::GetAsVariant();
  const int index = CurrentResultIndex < 0 ? FLookupResultIndex : CurrentResultIndex;
  if (index < 0) {
    // All display values as one text: GetAsString walks them and puts the index back.
    return fw::Variant(GetAsString());
  }
  if (FStoreLookupData) {
    const std::uint8_t* p = Slot(index);
    if (!p) return {};
    const TSlot& slot = FSlots[static_cast<std::size_t>(index)];
    std::uint16_t code = TypeCodeOf(p);
    if (code == fw::varNull || code == fw::varEmpty) return {};
    if (slot.Kind == skText) {
      const char* text = reinterpret_cast<const char*>(p + 2);
      return fw::Variant(std::string(text, strnlen(text, static_cast<std::size_t>(slot.ValueSize))));
    }
    fw::Variant value;
    if (slot.Kind == skDateTime) {
      double d;
      std::memcpy(&d, p + 2, 8);
      value = fw::Variant(fw::TDateTime{d});
    } else if (slot.Field || LookupFieldsCurrent()) {
      value = FSlots[static_cast<std::size_t>(index)].Field->NativeToVariant(p + 2);
    } else {
      return {};  // the field that knows the binary form is gone
    }
    if (value.VarType() != code) {
      try {
        value = value.AsType(code);
      } catch (const fw::Exception&) {
      }
    }
    return value;
  }
  LookupFieldsCurrent();
  ResultField(index);  // an index beyond the result fields raises
  TFound found;
  if (!FindLookupRecord(found)) return {};
  if (found.Values) {
    const fw::Variant* value = CachedValue(index, found);
    return value ? *value : fw::Variant();
  }
  return ResultField(index)->GetValue();
}

bool TQorLookField::AppendValueText(int index, std::string& out, TFound& found) const {
  fw::TDataSet* ds = GetDataSet();
  if (FStoreLookupData && !(ds && ds->GetState() == fw::dsSetKey)) {
    const std::uint8_t* p = Slot(index);
    if (!p) return false;
    const TSlot& slot = FSlots[static_cast<std::size_t>(index)];
    const std::uint16_t code = TypeCodeOf(p);
    if (code == fw::varNull || code == fw::varEmpty) return false;
    // Text and integers are read from the slot in place.
    if (slot.Kind == skText) {
      const char* text = reinterpret_cast<const char*>(p + 2);
      out.append(text, strnlen(text, static_cast<std::size_t>(slot.ValueSize)));
      return true;
    }
    if (code == slot.VarType && AppendNativeInteger(slot.Kind, p + 2, out)) return true;
  } else if (!(ds && ds->GetState() == fw::dsSetKey)) {
    LookupFieldsCurrent();
    fw::TField* f = ResultField(index);  // an index beyond the result fields raises
    if (!FindLookupRecord(found)) return false;
    if (found.Values) {
      const fw::Variant* value = CachedValue(index, found);
      if (!value || value->IsNullOrEmpty()) return false;
      if (value->IsOrdinal())
        AppendInteger(out, value->AsInt64());
      else
        out += value->AsString();
      return true;
    }
    // Text and integers of the lookup record are read in place.
    if (f->GetFieldKind() == fw::fkData && !f->IsBlob()) {
      const std::uint8_t* native = f->DataInRecord();
      if (!native) return false;
      const std::uint8_t kind = SlotKindOf(f);
      if (kind == skText) {
        const char* text = reinterpret_cast<const char*>(native);
        out.append(text, strnlen(text, static_cast<std::size_t>(f->GetSize())));
        return true;
      }
      if (AppendNativeInteger(kind, native, out)) return true;
    }
    fw::Variant v = f->GetValue();
    if (v.IsNullOrEmpty()) return false;
    out += v.AsString();
    return true;
  }
  fw::Variant v;
  {
    fw::TRestore<int> current(const_cast<TQorLookField*>(this)->CurrentResultIndex, index);
    v = GetAsVariant();
  }
  if (v.IsNullOrEmpty()) return false;
  out += v.AsString();
  return true;
}

void TQorLookField::AppendResultText(int index, std::string& out, TFound& found) const {
  if (AppendValueText(index, out, found)) return;
  // A key that the lookup dataset does not hold still shows in the key column.
  if (!GetKeyFields().empty() && LookupFieldsCurrent() && index < static_cast<int>(FResultFieldList.size()) &&
      fw::SameText(ResultField(index)->GetFieldName(), GetLookupKeyFields()))
    out += GetDataSet()->FieldByName(GetKeyFields())->GetAsString();
}

std::string TQorLookField::GetAsString() const {
  if (!GetLookup()) return fw::TStringField::GetAsString();
  std::string text;
  AppendText(text);
  return text;
}

void TQorLookField::AppendText(std::string& text) const {
  fw::TDataSet* ds = GetDataSet();
  if (FStoreLookupData && CurrentResultIndex < 0 && ds && ds->GetState() != fw::dsSetKey &&
      FDisplayFieldCount <= static_cast<int>(FSlots.size())) {
    // The display values straight from the stored record: text and integers in place,
    // gathered on the stack and handed over at once.
    const std::uint8_t* record = DataInRecord();
    TFound found;
    char gathered[256];
    std::size_t n = 0;
    for (int i = 0; i < FDisplayFieldCount; ++i) {
      const TSlot& slot = FSlots[static_cast<std::size_t>(i)];
      const std::uint8_t* p = record && slot.Fits ? record + slot.Offset : nullptr;
      const std::uint16_t code = p ? TypeCodeOf(p) : fw::varNull;
      std::int64_t integer;
      if (n + 1 + 20 > sizeof gathered) {
        text.append(gathered, n);
        n = 0;
      }
      if (i > 0) gathered[n++] = ' ';
      if (p && code == fw::varString && slot.Kind == skText) {
        GatherText(gathered, n, text, reinterpret_cast<const char*>(p + 2),
                   static_cast<std::size_t>(slot.ValueSize));
      } else if (p && code == slot.VarType && NativeInteger(slot.Kind, p + 2, integer)) {
        n += FormatInteger(gathered + n, integer);
      } else {
        text.append(gathered, n);
        n = 0;
        AppendResultText(i, text, found);
      }
    }
    text.append(gathered, n);
    return;
  }
  // The lookup record is found once for all the values of this read.
  TFound found;
  if (!FStoreLookupData && CurrentResultIndex < 0 && ds && ds->GetState() != fw::dsSetKey &&
      FDisplayFieldCount <= static_cast<int>(FSlots.size()) && GetLookupCache() && FindLookupRecord(found)) {
    // The display values from the cache, as one text when it was made with the cache.
    if (found.Text) {
      text += *found.Text;
      return;
    }
    for (int i = 0; i < FDisplayFieldCount; ++i) {
      if (i > 0) text += ' ';
      const fw::Variant* value = CachedValue(i, found);
      if (value && value->IsOrdinal())
        AppendInteger(text, value->AsInt64());
      else if (value && value->IsString())
        text += value->AsString();
      else
        AppendResultText(i, text, found);
    }
    return;
  }
  if (!FStoreLookupData && CurrentResultIndex < 0 && ds && ds->GetState() != fw::dsSetKey &&
      FDisplayFieldCount <= static_cast<int>(FSlots.size()) && !GetLookupCache() && FindLookupRecord(found)) {
    // The display values straight from the lookup record: text and integers in place,
    // gathered on the stack and handed over at once.
    char gathered[256];
    std::size_t n = 0;
    for (int i = 0; i < FDisplayFieldCount; ++i) {
      const TSlot& slot = FSlots[static_cast<std::size_t>(i)];
      const std::uint8_t* native = FSlotsFromRow ? slot.Field->DataInRecord() : nullptr;
      std::int64_t integer;
      if (n + 1 + 20 > sizeof gathered) {
        text.append(gathered, n);
        n = 0;
      }
      if (i > 0) gathered[n++] = ' ';
      if (native && slot.WholeText) {
        GatherText(gathered, n, text, reinterpret_cast<const char*>(native),
                   static_cast<std::size_t>(slot.ValueSize));
      } else if (native && NativeInteger(slot.Kind, native, integer)) {
        n += FormatInteger(gathered + n, integer);
      } else {
        text.append(gathered, n);
        n = 0;
        AppendResultText(i, text, found);
      }
    }
    text.append(gathered, n);
    return;
  }
  if (CurrentResultIndex >= 0) {
    AppendResultText(CurrentResultIndex, text, found);
    return;
  }
  for (int i = 0; i < FDisplayFieldCount; ++i) {
    if (i > 0) text += ' ';
    AppendResultText(i, text, found);
  }
}

void TQorLookField::SetAsString(const std::string& v) {
  if (GetLookup()) return;  // the value never changes through text
  fw::TStringField::SetAsString(v);
}

void TQorLookField::GetText(std::string& text, bool displayText) const {
  if (!GetLookup()) {
    fw::TStringField::GetText(text, displayText);
    return;
  }
  auto* self = const_cast<TQorLookField*>(this);
  fw::TRestore<int> current(self->CurrentResultIndex);
  if (displayText && CurrentResultIndex < 0) self->CurrentResultIndex = FLookupResultIndex;
  // The text is built in the caller's string: a caller that reads many records into one
  // string makes no copies.
  text.clear();
  AppendText(text);
  if (displayText && CurrentResultIndex >= 0) {
    fw::TField* f = ResultField(CurrentResultIndex);
    text = PadText(text, f->GetDisplayWidth(), f->GetAlignment());
  }
}

// Without StoreLookupData the record holds nothing for the field: it is null when the
// lookup finds no record for the master's key, as its values read then are.
bool TQorLookField::GetIsNull() const {
  fw::TDataSet* ds = GetDataSet();
  bool null;
  if (GetLookup() && !FStoreLookupData && ds && ds->GetState() != fw::dsSetKey)
    null = !HasLookupRecord();
  else
    null = fw::TStringField::GetIsNull();
  if (null && GetLookup() && FOptions.Contains(foValueNotInLookup) && !GetKeyFields().empty() && ds)
    return ds->FieldByName(GetKeyFields())->IsNull();
  return null;
}

void TQorLookField::StoreFromRow(const std::uint8_t* row, std::uint8_t* record) const {
  for (const TSlot& slot : FSlots) {
    if (!slot.Fits) break;
    std::uint8_t* p = record + slot.Offset;
    const std::uint8_t* src = row + slot.Field->GetOffset();
    if (!src[0]) {
      StoreTypeCode(p, fw::varNull);
      continue;
    }
    const std::uint8_t* native = src + 1;
    StoreTypeCode(p, slot.VarType ? slot.VarType : slot.Field->NativeToVariant(native).VarType());
    if (slot.WholeText) {
      // The text with its zero byte, as the row keeps it, is the slot's value.
      std::memcpy(p + 2, native, static_cast<std::size_t>(slot.ValueSize));
    } else if (slot.Kind == skText) {
      const char* text = reinterpret_cast<const char*>(native);
      StoreSlotText(p, std::string_view(text, strnlen(text, static_cast<std::size_t>(slot.Field->GetSize()))),
                    slot.ValueSize);
    } else if (slot.Kind == skDateTime) {
      StoreSlotDateTime(p, slot.Field->NativeToVariant(native).AsDateTime().Value);
    } else {
      CopyValue(p + 2, native, slot.ValueSize);
    }
  }
}

bool TQorLookField::FindLookupRow(fw::TDataSet* lookup, const std::uint8_t*& row) const {
  // A single integer key: the rows found are kept by key while the lookup dataset's rows
  // stay as they are, so each key is searched once.
  std::int64_t k = -1;
  if (!MasterIntegerKey(k)) k = -1;
  const std::uint64_t version = k >= 0 && k < kMaxKeptRows ? lookup->GetStoredRowsVersion() : 0;
  if (version != 0) {
    if (version != FKeptRowsVersion || lookup != FKeptRowsOf) {
      FKeptRows.clear();
      FKeptRowsVersion = version;
      FKeptRowsOf = lookup;
    }
    const auto at = static_cast<std::size_t>(k);
    if (at < FKeptRows.size() && FKeptRows[at] != &kNotSearched) {
      row = FKeptRows[at];
      return true;
    }
  }
  const fw::Variant keys = LookupKeyValues();
  row = nullptr;
  if (keys.IsNull()) return true;
  if (!lookup->FindStoredRow(GetLookupKeyFields(), keys, row)) return false;
  if (version != 0) {
    const auto at = static_cast<std::size_t>(k);
    if (at >= FKeptRows.size()) FKeptRows.resize(at + 1, &kNotSearched);
    FKeptRows[at] = row;
  }
  return true;
}

void TQorLookField::CalcLookupValue() {
  if (!GetLookup()) {
    fw::TStringField::CalcLookupValue();
    return;
  }
  // Without stored data the record keeps nothing: the values are read when asked for.
  if (!FStoreLookupData) return;
  fw::TDataSet* lookup = GetLookupDataSet();
  fw::TDataSet* ds = GetDataSet();
  const std::uint8_t* row = nullptr;
  if (GetLookupCache() || !lookup || !lookup->GetActive() || !LookupFieldsCurrent() || !FSlotsFromRow ||
      !FindLookupRow(lookup, row)) {
    fw::TStringField::CalcLookupValue();
    return;
  }
  if (!row) {
    Clear();
    return;
  }
  const int size = FStoredSize >= 0 ? FStoredSize : GetDataSize();
  fw::TRecordBuffer* rec = CurrentRecordBuffer();
  if (ds->GetState() == fw::dsCalcFields && !GetOnValidate() && rec &&
      rec->Data.size() >= static_cast<std::size_t>(GetOffset() + 1 + size)) {
    // Computing the record's lookup values: the slots are written into the record itself.
    // A field marked absent has zeros behind the mark (the calculation clears the area,
    // and so does Clear), so only a present one is cleared first.
    std::uint8_t* base = rec->Data.data() + GetOffset();
    if (base[0]) std::memset(base + 1, 0, static_cast<std::size_t>(size));
    base[0] = 1;
    StoreFromRow(row, base + 1);
    return;
  }
  std::vector<std::uint8_t>& buffer = WorkingBuffer(size);
  StoreFromRow(row, buffer.data());
  SetData(buffer.data());
}

std::uint16_t TQorLookField::DisplayFieldsWidth() {
  BuildResultFields();
  if (!GetLookupDataSet()) return 0;
  std::uint16_t sum = 0;
  for (int i = 0; i < FDisplayFieldCount && i < static_cast<int>(FResultFieldList.size()); ++i)
    sum = static_cast<std::uint16_t>(sum + FResultFieldList[static_cast<std::size_t>(i)]->GetDisplayWidth());
  return sum;
}

void TQorLookField::CheckLookupInfo() {
  fw::TDataSet* lookup = GetLookupDataSet();
  if (!lookup) fw::DatabaseErrorFmt(fw::SLookupInfoError, {GetDisplayName()});
  CheckFieldNames(lookup, AllResultFields());
  if (!FLookupLevelUp.empty()) lookup->FieldByName(FLookupLevelUp);
  if (!FLookupLevelDown.empty()) lookup->FieldByName(FLookupLevelDown);
  for (int i = 0; i < FLookupLevels->GetCount(); ++i) {
    TQorLookupLevelItem* level = FLookupLevels->GetItem(i);
    if (!level->GetDataSet() || level->GetKeyField().empty() || level->GetResultFields().empty())
      fw::DatabaseErrorFmt(fw::SLookupInfoError, {GetDisplayName()});
    if (!level->GetDataSet()->GetActive()) level->GetDataSet()->Open();
    level->GetDataSet()->FieldByName(level->GetKeyField());
    CheckFieldNames(level->GetDataSet(), level->GetResultFields());
  }
}

void TQorLookField::FillLookupCache() {
  fw::TDataSet* lookup = GetLookupDataSet();
  if (!lookup) return;
  const bool wasActive = lookup->GetActive();
  CheckLookupInfo();
  bool disabled = false;
  fw::TScopeExit restore([lookup, wasActive, &disabled] {
    if (disabled) lookup->EnableControls();
    try {
      lookup->SetActive(wasActive);
    } catch (...) {
    }
  });
  GetLookupList().Clear();
  lookup->Open();
  lookup->DisableControls();
  disabled = true;
  const std::string keys = GetLookupKeyFields();
  const std::string results = AllResultFields();
  std::vector<std::int64_t> ordinals;
  bool allOrdinal = true;
  lookup->First();
  while (!lookup->GetEOF()) {
    fw::Variant key = lookup->GetFieldValues(keys);
    if (allOrdinal && key.IsOrdinal())
      ordinals.push_back(key.AsInt64());
    else
      allOrdinal = false;
    GetLookupList().Add(key, lookup->GetFieldValues(results));
    lookup->Next();
  }
  // Narrow integer keys (codes) find their values through an array, while the list stays
  // as it was filled here.
  FDenseValues.clear();
  FDenseTexts.clear();
  if (!allOrdinal || ordinals.empty()) return;
  const auto [lo, hi] = std::minmax_element(ordinals.begin(), ordinals.end());
  const std::uint64_t span = static_cast<std::uint64_t>(*hi) - static_cast<std::uint64_t>(*lo);
  if (span >= 4 * ordinals.size() + 1024) return;
  FDenseBase = *lo;
  FDenseValues.assign(static_cast<std::size_t>(span) + 1, nullptr);
  for (std::int64_t k : ordinals)
    FDenseValues[static_cast<std::size_t>(k - FDenseBase)] = GetLookupList().Find(fw::Variant(k));
  // With each entry its display text, as the field's text gives it.
  FDenseTexts.assign(FDenseValues.size(), std::string());
  for (std::size_t at = 0; at < FDenseValues.size(); ++at) {
    const fw::Variant* values = FDenseValues[at];
    if (!values) continue;
    std::string& text = FDenseTexts[at];
    for (int i = 0; i < FDisplayFieldCount; ++i) {
      if (i > 0) text += ' ';
      const fw::Variant* value = values->IsArray()
                                     ? (static_cast<std::size_t>(i) < values->ArrayCount() ? &(*values)[static_cast<std::size_t>(i)] : nullptr)
                                     : (i == 0 ? values : nullptr);
      if (!value || value->IsNullOrEmpty()) continue;
      if (value->IsOrdinal())
        AppendInteger(text, value->AsInt64());
      else
        text += value->AsString();
    }
  }
  FDenseVersion = GetLookupList().Version();
}

void TQorLookField::DefineProperties(fw::TFiler* filer) {
  fw::TStringField::DefineProperties(filer);
  filer->DefineProperty(
      "LookupLevelsData",
      [this](fw::TReader& reader) {
        if (reader.ReadValue() != fw::TValueType::vaCollection)
          throw fw::EConvertError(fw::Format(SLookupLevelsDataNotCollection, {GetName()}));
        reader.ReadCollection(FLookupLevels.get());
      },
      [this](fw::TWriter& writer) { writer.WriteCollection(FLookupLevels.get()); },
      FLookupLevels->GetCount() > 0);
}

void TQorLookField::Notification(fw::TComponent* component, fw::TOperation operation) {
  fw::TStringField::Notification(component, operation);
  if (operation != fw::TOperation::opRemove || !FLookupLevels) return;
  for (int i = 0; i < FLookupLevels->GetCount(); ++i)
    if (FLookupLevels->LevelDataSet(i) == component) FLookupLevels->SetLevelDataSet(i, nullptr);
  // A result or key field that goes takes the lists with it; they are built anew from
  // the lookup dataset when they are needed.
  const auto gone = [component](const fw::TField* f) { return f == component; };
  if (std::any_of(FResultFieldList.begin(), FResultFieldList.end(), gone) ||
      std::any_of(FLookupKeyList.begin(), FLookupKeyList.end(), gone)) {
    FResultFieldList.clear();
    FLookupKeyList.clear();
    // The stored records keep their layout; only the fields behind it are gone.
    for (TSlot& slot : FSlots) slot.Field = nullptr;
    FSlotsFromRow = false;
    FKeptRowsVersion = 0;
  }
}

std::string LookFieldsText(TQorLookField* field, const std::string& names) {
  std::string result;
  fw::TRestore<int> current(field->CurrentResultIndex);
  const auto& list = field->GetResultFieldList();
  std::size_t pos = 1;
  while (pos <= names.size()) {
    std::string name = fw::ExtractFieldName(names, pos);
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (!fw::SameText(list[i]->GetFieldName(), name)) continue;
      field->CurrentResultIndex = static_cast<int>(i);
      if (!result.empty()) result += ' ';
      result += field->GetAsString();
      break;
    }
  }
  return result;
}

void PrepareLookupFields(fw::TDataSet* dataSet) {
  for (fw::TField* f : dataSet->GetFields()) {
    auto* field = dynamic_cast<TQorLookField*>(f);
    if (!field || !field->GetLookup()) continue;
    field->SetLookupResultFieldMember(field->AllResultFields());
    if (field->GetSavedLookupCache()) {
      field->SetLookupCache(true);
      field->SetSavedLookupCache(false);
      field->FillLookupCache();
    } else {
      field->CheckLookupInfo();
    }
  }
}

bool ValuesEqual(const fw::Variant& a, const fw::Variant& b) {
  try {
    return fw::Variant::Compare(a, b) == 0;
  } catch (...) {
    return false;
  }
}

void InitQorLookUnit() { DataSetOpenedHook = &PrepareLookupFields; }

void DoneQorLookUnit() {
  if (DataSetOpenedHook == &PrepareLookupFields) DataSetOpenedHook = nullptr;
}

}  // namespace qor
