#include "library/QorLook.h"

#include <cstring>

#include "framework/core/Component.h"
#include "framework/core/Consts.h"
#include "framework/core/Dialogs.h"
#include "framework/core/Exceptions.h"
#include "framework/core/Filer.h"
#include "framework/core/Text.h"
#include "framework/core/TypInfo.h"
#include "framework/data/DataSet.h"
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

/// The variant type code of a stored field's value, without building the value.
std::uint16_t VarTypeOf(const fw::TField* f, const std::uint8_t* native) {
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
    default: return f->NativeToVariant(native).VarType();
  }
}

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
  FDisplayFieldCount = 0;
  std::string display = GetLookupResultField();
  if (!GetLookupDataSet() || display.empty()) return;
  FDisplayFieldCount = CountNames(display);
  FResultFieldList = GetLookupDataSet()->GetFieldList(AllResultFields());
}

fw::TField* TQorLookField::ResultField(int index) const {
  if (index < 0 || index >= static_cast<int>(FResultFieldList.size())) fw::ListIndexError(index);
  return FResultFieldList[static_cast<std::size_t>(index)];
}

int TQorLookField::StoredValueSize(const fw::TField* field) {
  return IsDateTimeField(field) ? 8 : std::max(0, field->GetDataSize());
}

const std::uint8_t* TQorLookField::Slot(int index) const {
  const std::uint8_t* record = DataInRecord();
  if (!record) return nullptr;
  const int size = GetDataSize();
  const int offset = SlotOffset(index);
  if (offset + 2 + StoredValueSize(ResultField(index)) > std::min(size, MaxLookupRecordSize + 1)) return nullptr;
  return record + offset;
}

int TQorLookField::SlotOffset(int index) const {
  int offset = 0;
  for (int i = 0; i < index; ++i) offset += 2 + StoredValueSize(FResultFieldList[static_cast<std::size_t>(i)]);
  return offset;
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

int TQorLookField::GetDataSize() const {
  fw::TDataSet* ds = GetDataSet();
  bool preparing = GetLookup() && ds && ds->GetState() == fw::dsInactive;
  if (preparing) Prepare();
  if (!preparing && FStoredSize >= 0 && GetLookup() && FStoreLookupData) return FStoredSize;
  int size;
  if (GetLookup() && FStoreLookupData) {
    std::uint16_t sum = 0;
    for (fw::TField* f : FResultFieldList) sum = static_cast<std::uint16_t>(sum + StoredValueSize(f) + 2);
    size = sum;
    FStoredSize = size;
  } else {
    size = fw::TStringField::GetDataSize();
  }
  if (preparing && size > MaxLookupRecordSize) fw::ShowMessage("Out Limit");
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
  const int size = GetDataSize();
  const int limit = std::min(size, MaxLookupRecordSize + 1);
  std::vector<std::uint8_t>& buffer = WorkingBuffer(size);
  int offset = 0;
  for (std::size_t i = 0; i < FResultFieldList.size(); ++i) {
    fw::TField* f = FResultFieldList[i];
    const int valueSize = StoredValueSize(f);
    const int slot = 2 + valueSize;
    if (offset + slot > limit) break;
    static const fw::Variant none;
    const fw::Variant& value = v.IsArray() ? (i < v.ArrayCount() ? v[i] : none) : (i == 0 ? v : none);
    std::uint8_t* p = buffer.data() + offset;
    std::uint16_t code = value.IsNullOrEmpty() ? fw::varNull : value.VarType();
    if (code != fw::varNull) {
      try {
        if (IsTextField(f)) {
          std::string text = value.IsBytes() ? std::string() : value.AsString();
          if (valueSize > 0) {
            // The text with its zero byte fits the slot, never cut inside a character.
            std::size_t keep = fw::Utf8FitBytes(text, static_cast<std::size_t>(valueSize - 1));
            std::memcpy(p + 2, text.data(), keep);
          }
        } else if (IsDateTimeField(f)) {
          double d = value.AsDateTime().Value;
          std::memcpy(p + 2, &d, 8);
        } else if (valueSize > 0) {
          f->VariantToNative(value, p + 2);
        }
      } catch (const fw::Exception&) {
        code = fw::varNull;  // a value that does not fit its result field is kept as null
        std::memset(p + 2, 0, static_cast<std::size_t>(valueSize));
      }
    }
    StoreTypeCode(p, code);
    offset += slot;
  }
  SetData(buffer.data());
}

fw::Variant TQorLookField::GetAsVariant() const {
  fw::TDataSet* ds = GetDataSet();
  if (!GetLookup() || (ds && ds->GetState() == fw::dsSetKey)) return fw::TStringField::GetAsVariant();
  auto* self = const_cast<TQorLookField*>(this);
  const int saved = CurrentResultIndex;
  struct Restore {
    TQorLookField* f;
    int saved;
    ~Restore() { f->CurrentResultIndex = saved; }
  } restore{self, saved};
  int index = saved < 0 ? FLookupResultIndex : saved;
  if (index < 0) return fw::Variant(GetAsString());
  if (FStoreLookupData) {
    fw::TField* f = ResultField(index);
    const int valueSize = StoredValueSize(f);
    const std::uint8_t* p = Slot(index);
    if (!p) return {};
    std::uint16_t code = static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    if (code == fw::varNull || code == fw::varEmpty) return {};
    if (IsTextField(f)) {
      const char* text = reinterpret_cast<const char*>(p + 2);
      return fw::Variant(std::string(text, strnlen(text, static_cast<std::size_t>(valueSize))));
    }
    fw::Variant value;
    if (IsDateTimeField(f)) {
      double d;
      std::memcpy(&d, p + 2, 8);
      value = fw::Variant(fw::TDateTime{d});
    } else {
      value = f->NativeToVariant(p + 2);
    }
    if (value.VarType() != code) {
      try {
        value = value.AsType(code);
      } catch (const fw::Exception&) {
      }
    }
    return value;
  }
  fw::TDataSet* lookup = GetLookupDataSet();
  if (!ds || !lookup) return {};
  fw::Variant keys = ds->GetFieldValues(GetKeyFields());
  if (lookup->Locate(GetLookupKeyFields(), keys, {})) return ResultField(index)->GetValue();
  return {};
}

std::string TQorLookField::GetAsString() const {
  if (!GetLookup()) return fw::TStringField::GetAsString();
  auto* self = const_cast<TQorLookField*>(this);
  if (CurrentResultIndex >= 0) {
    if (FStoreLookupData && IsTextField(ResultField(CurrentResultIndex))) {
      // Text slots are read in place.
      const std::uint8_t* p = Slot(CurrentResultIndex);
      if (p && (p[0] | (p[1] << 8)) != fw::varNull && (p[0] | (p[1] << 8)) != fw::varEmpty) {
        const char* text = reinterpret_cast<const char*>(p + 2);
        return std::string(text, strnlen(text, static_cast<std::size_t>(StoredValueSize(ResultField(CurrentResultIndex)))));
      }
    }
    fw::Variant v = GetAsVariant();
    if (!v.IsNullOrEmpty()) return v.AsString();
    if (!GetKeyFields().empty() && fw::SameText(ResultField(CurrentResultIndex)->GetFieldName(), GetLookupKeyFields()))
      return GetDataSet()->FieldByName(GetKeyFields())->GetAsString();
    return {};
  }
  std::string text;
  for (int i = 0; i < FDisplayFieldCount; ++i) {
    self->CurrentResultIndex = i;
    if (i > 0) text += ' ';
    try {
      text += GetAsString();
    } catch (...) {
      self->CurrentResultIndex = -1;
      throw;
    }
  }
  self->CurrentResultIndex = -1;
  return text;
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
  const int saved = CurrentResultIndex;
  struct Restore {
    TQorLookField* f;
    int saved;
    ~Restore() { f->CurrentResultIndex = saved; }
  } restore{self, saved};
  if (displayText && CurrentResultIndex < 0) self->CurrentResultIndex = FLookupResultIndex;
  text = GetAsString();
  if (displayText && CurrentResultIndex >= 0) {
    fw::TField* f = ResultField(CurrentResultIndex);
    text = PadText(text, f->GetDisplayWidth(), f->GetAlignment());
  }
}

bool TQorLookField::GetIsNull() const {
  bool null = fw::TStringField::GetIsNull();
  if (null && GetLookup() && FOptions.Contains(foValueNotInLookup) && !GetKeyFields().empty() && GetDataSet())
    return GetDataSet()->FieldByName(GetKeyFields())->IsNull();
  return null;
}

void TQorLookField::CalcLookupValue() {
  fw::TDataSet* lookup = GetLookupDataSet();
  if (!GetLookup() || !FStoreLookupData || GetLookupCache() || !lookup || !lookup->GetActive()) {
    fw::TStringField::CalcLookupValue();
    return;
  }
  for (fw::TField* f : FResultFieldList)
    if (f->GetFieldKind() != fw::fkData || f->IsBlob() || f->GetDataSet() != lookup) {
      fw::TStringField::CalcLookupValue();
      return;
    }
  fw::Variant keys = LookupKeyValues();
  const std::uint8_t* row = nullptr;
  if (keys.IsNull()) {
    Clear();
    return;
  }
  if (!lookup->FindStoredRow(GetLookupKeyFields(), keys, row)) {
    fw::TStringField::CalcLookupValue();
    return;
  }
  if (!row) {
    Clear();
    return;
  }
  const int size = GetDataSize();
  const int limit = std::min(size, MaxLookupRecordSize + 1);
  std::vector<std::uint8_t>& buffer = WorkingBuffer(size);
  int offset = 0;
  for (fw::TField* f : FResultFieldList) {
    const int valueSize = StoredValueSize(f);
    if (offset + 2 + valueSize > limit) break;
    std::uint8_t* p = buffer.data() + offset;
    const std::uint8_t* src = row + f->GetOffset();
    std::uint16_t code = fw::varNull;
    if (src[0]) {
      const std::uint8_t* native = src + 1;
      code = VarTypeOf(f, native);
      if (IsTextField(f)) {
        const char* text = reinterpret_cast<const char*>(native);
        std::string_view view(text, strnlen(text, static_cast<std::size_t>(f->GetSize())));
        if (valueSize > 0)
          std::memcpy(p + 2, view.data(), fw::Utf8FitBytes(view, static_cast<std::size_t>(valueSize - 1)));
      } else if (IsDateTimeField(f)) {
        double d = f->NativeToVariant(native).AsDateTime().Value;
        std::memcpy(p + 2, &d, 8);
      } else {
        std::memcpy(p + 2, native, static_cast<std::size_t>(valueSize));
      }
    }
    StoreTypeCode(p, code);
    offset += 2 + valueSize;
  }
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
  struct Restore {
    fw::TDataSet* ds;
    bool active;
    bool enabled = false;
    ~Restore() {
      if (enabled) ds->EnableControls();
      try {
        ds->SetActive(active);
      } catch (...) {
      }
    }
  } restore{lookup, wasActive};
  GetLookupList().Clear();
  lookup->Open();
  lookup->DisableControls();
  restore.enabled = true;
  const std::string keys = GetLookupKeyFields();
  const std::string results = AllResultFields();
  lookup->First();
  while (!lookup->GetEOF()) {
    GetLookupList().Add(lookup->GetFieldValues(keys), lookup->GetFieldValues(results));
    lookup->Next();
  }
}

void TQorLookField::DefineProperties(fw::TFiler* filer) {
  fw::TStringField::DefineProperties(filer);
  filer->DefineProperty(
      "LookupLevelsData",
      [this](fw::TReader& reader) {
        if (reader.ReadValue() != fw::TValueType::vaCollection)
          throw fw::EConvertError("LookupLevelsData of " + GetName() + " is not a collection");
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
  for (fw::TField*& f : FResultFieldList)
    if (f == component) FResultFieldList.clear();
}

std::string LookFieldsText(TQorLookField* field, const std::string& names) {
  std::string result;
  const int saved = field->CurrentResultIndex;
  const auto& list = field->GetResultFieldList();
  std::size_t pos = 1;
  while (pos <= names.size()) {
    std::string name = fw::ExtractFieldName(names, pos);
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (!fw::SameText(list[i]->GetFieldName(), name)) continue;
      field->CurrentResultIndex = static_cast<int>(i);
      if (!result.empty()) result += ' ';
      try {
        result += field->GetAsString();
      } catch (...) {
        field->CurrentResultIndex = saved;
        throw;
      }
      break;
    }
    field->CurrentResultIndex = saved;
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
