#include "framework/data/Field.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/core/Consts.h"
#include "framework/core/Exceptions.h"
#include "framework/core/Scoped.h"
#include "framework/core/Text.h"
#include "framework/core/TypInfo.h"
#include "framework/data/DataSet.h"

namespace fw {

TRecordBuffer* TField::CurrentRecordBuffer() const {
  return FDataSet ? FDataSet->GetCurrentBuffer() : nullptr;
}

namespace {

constexpr double kDateDelta = 0;  // date fields store whole days since 1899-12-30

template <class T>
T Load(const void* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

template <class T>
void Store(void* p, T v) {
  std::memcpy(p, &v, sizeof v);
}

}  // namespace

// ---- TLookupList -------------------------------------------------------------------

Variant TLookupList::ValueOfKey(const Variant& key) const {
  auto it = FMap.find(key);
  return it == FMap.end() ? Variant() : it->second;
}

// ---- TField --------------------------------------------------------------------------

const TClassInfo& TField::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TField>("TField", &TComponent::StaticClass())
          .Prop("Alignment", &TField::GetAlignment, &TField::SetAlignment).Stored(&TField::IsAlignmentStored)
          .Prop("DataSet", &TField::GetDataSet, &TField::SetDataSet).Stored(false)
          .Prop("DisplayLabel", &TField::GetDisplayLabel, &TField::SetDisplayLabel).Stored(&TField::IsDisplayLabelStored)
          .Prop("DisplayWidth", &TField::GetDisplayWidth, &TField::SetDisplayWidth).Stored(&TField::IsDisplayWidthStored)
          .Prop("EditMask", &TField::GetEditMask, &TField::SetEditMask)
          .Prop("FieldKind", &TField::GetFieldKind, &TField::SetFieldKind).Default(fkData)
          .Prop("FieldName", &TField::GetFieldName, &TField::SetFieldName)
          .Prop("KeyFields", &TField::GetKeyFields, &TField::SetKeyFields)
          .Prop("LookupCache", &TField::GetLookupCache, &TField::SetLookupCache).Default(0)
          .Prop("LookupDataSet", &TField::GetLookupDataSet, &TField::SetLookupDataSet)
          .Prop("LookupKeyFields", &TField::GetLookupKeyFields, &TField::SetLookupKeyFields)
          .Prop("LookupResultField", &TField::GetLookupResultField, &TField::SetLookupResultField)
          .Prop("ReadOnly", &TField::GetReadOnly, &TField::SetReadOnly).Default(0)
          .Prop("Required", &TField::GetRequired, &TField::SetRequired).Default(0)
          .Prop("Visible", &TField::GetVisible, &TField::SetVisible).Default(1)
          .Prop("OnChange", &TField::GetOnChange, &TField::SetOnChange)
          .Prop("OnGetText", &TField::GetOnGetText, &TField::SetOnGetText)
          .Prop("OnSetText", &TField::GetOnSetText, &TField::SetOnSetText)
          .Prop("OnValidate", &TField::GetOnValidate, &TField::SetOnValidate)
          .Build();
  return info;
}

TField::TField(TComponent* owner) : TComponent(owner) {}

TField::TField(TComponent* owner, TFieldType type, std::int32_t size)
    : TComponent(owner), FDataType(type), FSize(size) {}

TField::~TField() {
  if (FDataSet) FDataSet->RemoveField(this);
}

namespace {

/// Whether opening `lookup` needs `dataSet` through lookup datasets: `lookup` is `dataSet`,
/// or a field of `lookup` looks up in a dataset that leads to `dataSet` in the same way.
bool LookupLeadsTo(const TDataSet* lookup, const TDataSet* dataSet) {
  std::vector<const TDataSet*> pending{lookup}, seen;
  while (!pending.empty()) {
    const TDataSet* ds = pending.back();
    pending.pop_back();
    if (ds == dataSet) return true;
    if (std::find(seen.begin(), seen.end(), ds) != seen.end()) continue;
    seen.push_back(ds);
    for (const TField* f : ds->GetFields())
      if (f->GetLookupDataSet()) pending.push_back(f->GetLookupDataSet());
  }
  return false;
}

}  // namespace

void TField::SetDataSet(TDataSet* dataSet) {
  if (dataSet == FDataSet) return;
  if (FDataSet) FDataSet->CheckInactive();
  if (dataSet) dataSet->CheckInactive();
  if (dataSet && FLookupDataSet && LookupLeadsTo(FLookupDataSet, dataSet))
    throw EDatabaseError(SCircularDataLink);
  if (FDataSet) FDataSet->RemoveField(this);
  if (dataSet) dataSet->AddField(this);
}

TComponent* TField::GetParentComponent() const { return FDataSet; }

void TField::SetParentComponent(TComponent* parent) {
  if (!HasState(csLoading) && !HasState(csReading)) {
    SetDataSet(dynamic_cast<TDataSet*>(parent));
    return;
  }
  if (auto* ds = dynamic_cast<TDataSet*>(parent)) SetDataSet(ds);
}

void TField::SetFieldName(const std::string& name) {
  CheckInactive();
  FFieldName = name;
}

void TField::SetFieldKind(TFieldKind kind) {
  CheckInactive();
  FFieldKind = kind;
}

void TField::SetSize(std::int32_t size) {
  CheckInactive();
  if (size < 0) throw EDatabaseError(Format(SInvalidFieldSize, {size}));
  FSize = size;
}

bool TField::IsBlob() const {
  return FDataType == ftBlob || FDataType == ftMemo || FDataType == ftGraphic;
}

int TField::GetIndex() const {
  if (!FDataSet) return -1;
  const auto& f = FDataSet->GetFields();
  for (std::size_t i = 0; i < f.size(); ++i)
    if (f[i] == this) return static_cast<int>(i);
  return -1;
}

std::int32_t TField::GetDisplayWidth() const {
  return FDisplayWidth > 0 ? FDisplayWidth : DefaultDisplayWidth();
}

void TField::PropertyChanged(bool layoutAffected) {
  if (FDataSet && FDataSet->GetActive())
    FDataSet->DataEvent(layoutAffected ? deLayoutChange : deDataSetChange, 0);
}

void TField::CheckInactive() const {
  if (FDataSet) FDataSet->CheckInactive();
}

void TField::SetKeyFields(const std::string& v) {
  CheckInactive();
  FKeyFields = v;
}

void TField::SetLookupDataSet(TDataSet* v) {
  if (v == FLookupDataSet) return;
  CheckInactive();
  if (v && FDataSet && LookupLeadsTo(v, FDataSet)) throw EDatabaseError(SCircularDataLink);
  FLookupDataSet = v;
  if (v) v->FreeNotification(this);
}

void TField::SetLookupKeyFields(const std::string& v) {
  CheckInactive();
  FLookupKeyFields = v;
}

void TField::SetLookupResultField(const std::string& v) {
  CheckInactive();
  FLookupResultField = v;
}

void TField::SetLookupCache(bool v) {
  if (v == FLookupCache) return;
  if (v && FDataSet && FDataSet->GetActive() && FFieldKind == fkLookup) {
    FLookupCache = true;
    RefreshLookupList();
    return;
  }
  FLookupCache = v;
}

void TField::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == FLookupDataSet) FLookupDataSet = nullptr;
}

void TField::BindLookup() {
  if (!FLookupDataSet || FLookupKeyFields.empty() || FLookupResultField.empty() || FKeyFields.empty())
    DatabaseErrorFmt(SLookupInfoError, {GetDisplayName()});
  FKeyFieldList = FDataSet->GetFieldList(FKeyFields);
  if (!FLookupDataSet->GetActive()) FLookupDataSet->Open();
  FLookupDataSet->GetFieldList(FLookupKeyFields);
  if (FLookupCache)
    RefreshLookupList();
  else
    FLookupDataSet->GetFieldList(FLookupResultField);
}

void TField::RefreshLookupList() {
  if (!FLookupDataSet) return;
  TDataSet* lookup = FLookupDataSet;
  bool wasActive = lookup->GetActive();
  lookup->Open();
  lookup->DisableControls();
  TScopeExit restore([lookup, wasActive] {
    lookup->EnableControls();
    if (!wasActive) lookup->Close();
  });
  FLookupList.Clear();
  FLookupDataSet->GetFieldList(FLookupKeyFields);
  FLookupDataSet->GetFieldList(FLookupResultField);
  FLookupDataSet->First();
  while (!FLookupDataSet->GetEOF()) {
    FLookupList.Add(FLookupDataSet->GetFieldValues(FLookupKeyFields),
                    FLookupDataSet->GetFieldValues(FLookupResultField));
    FLookupDataSet->Next();
  }
}

Variant TField::LookupKeyValues() const {
  if (FKeyFieldList.size() == 1) return FKeyFieldList[0]->GetAsVariant();
  std::vector<Variant> values;
  values.reserve(FKeyFieldList.size());
  for (TField* f : FKeyFieldList) {
    values.push_back(f->GetAsVariant());
    if (values.back().IsNull()) return {};
  }
  return Variant(std::move(values));
}

void TField::CalcLookupValue() { SetAsVariant(ComputeLookupValue()); }

Variant TField::ComputeLookupValue() const {
  Variant keys = LookupKeyValues();
  if (keys.IsNull()) return {};
  if (FLookupCache) return FLookupList.ValueOfKey(keys);
  if (FLookupDataSet && FLookupDataSet->GetActive())
    return FLookupDataSet->Lookup(FLookupKeyFields, keys, FLookupResultField);
  return {};
}

const std::uint8_t* TField::DataInRecord() const {
  TRecordBuffer* rec = FDataSet ? FDataSet->GetCurrentBuffer() : nullptr;
  if (!rec || rec->Data.empty() || !rec->Data[static_cast<std::size_t>(FOffset)]) return nullptr;
  return rec->Data.data() + FOffset + 1;
}

bool TField::GetData(void* buffer) const {
  const std::uint8_t* data = DataInRecord();
  if (!data) return false;
  if (buffer && GetDataSize() > 0) std::memcpy(buffer, data, static_cast<std::size_t>(GetDataSize()));
  return true;
}

void TField::SetData(const void* buffer) {
  if (!FDataSet) throw EDatabaseError(Format(SFieldNoDataSet, {GetDisplayName()}));
  FDataSet->CheckFieldCanModify(this);
  TRecordBuffer* rec = FDataSet->GetCurrentBuffer();
  if (!rec || rec->Data.empty()) DatabaseError(SDataSetClosed, FDataSet);
  Validate(buffer);
  auto* base = rec->Data.data() + FOffset;
  int size = GetDataSize();
  if (buffer) {
    base[0] = 1;
    if (size > 0) std::memcpy(base + 1, buffer, static_cast<std::size_t>(size));
  } else {
    base[0] = 0;
    if (size > 0) std::memset(base + 1, 0, static_cast<std::size_t>(size));
    if (FBlobIndex >= 0) rec->Blobs[static_cast<std::size_t>(FBlobIndex)].clear();
  }
  if (FDataSet->GetState() != dsCalcFields) FDataSet->DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(this));
}

std::string TField::GetBlob() const {
  TRecordBuffer* rec = FDataSet ? FDataSet->GetCurrentBuffer() : nullptr;
  if (!rec || FBlobIndex < 0 || rec->Data.empty() || !rec->Data[static_cast<std::size_t>(FOffset)]) return {};
  return rec->Blobs[static_cast<std::size_t>(FBlobIndex)];
}

void TField::SetBlob(const std::string& data) {
  if (!IsBlob()) AccessError("Blob");
  if (!FDataSet) return;
  FDataSet->CheckFieldCanModify(this);
  TRecordBuffer* rec = FDataSet->GetCurrentBuffer();
  if (!rec || rec->Data.empty()) DatabaseError(SDataSetClosed, FDataSet);
  rec->Blobs[static_cast<std::size_t>(FBlobIndex)] = data;
  rec->Data[static_cast<std::size_t>(FOffset)] = 1;
  if (FDataSet->GetState() != dsCalcFields) FDataSet->DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(this));
}

void TField::Validate(const void* buffer) {
  if (FOnValidate) FOnValidate(this);
}

void TField::Change() {
  if (FOnChange) FOnChange(this);
}

void TField::FocusControl() {
  if (FDataSet && FDataSet->GetActive())
    FDataSet->DataEvent(deFocusControl, reinterpret_cast<std::intptr_t>(this));
}

bool TField::CanModify() const {
  if (FReadOnly || !FDataSet || !FDataSet->CanModify()) return false;
  return FFieldKind == fkData;
}

bool TField::GetIsNull() const {
  if (IsBlob()) return GetBlob().empty() && !GetData(nullptr);
  return !GetData(nullptr);
}

Variant TField::FromNative(const void*) const { return {}; }
void TField::ToNative(const Variant&, void*) const {}

Variant TField::GetAsVariant() const {
  if (IsBlob()) {
    if (!GetData(nullptr)) return {};
    std::string b = GetBlob();
    if (FDataType == ftMemo) return Variant(std::move(b));
    return Variant::FromBytes(TBytes(b.begin(), b.end()));
  }
  const std::uint8_t* data = DataInRecord();
  return data ? FromNative(data) : Variant();
}

void TField::AccessError(const std::string& typeName) const {
  DatabaseErrorFmt(SFieldAccessError, {GetDisplayName(), typeName}, FDataSet);
}

void TField::SetAsVariant(const Variant& v) {
  if (v.IsNullOrEmpty()) {
    Clear();
    return;
  }
  if (IsBlob()) {
    if (v.IsBytes()) {
      auto b = v.AsBytes();
      SetBlob(std::string(b.begin(), b.end()));
    } else {
      SetBlob(v.AsString());
    }
    return;
  }
  std::vector<std::uint8_t> tmp(static_cast<std::size_t>(GetDataSize() > 0 ? GetDataSize() : 1));
  try {
    ToNative(v, tmp.data());
  } catch (const EDatabaseError&) {
    throw;
  } catch (const Exception& e) {
    DatabaseErrorFmt(SFieldValueError, {GetDisplayName(), e.Message()}, FDataSet);
  }
  SetData(tmp.data());
}

std::string TField::GetAsString() const {
  Variant v = GetAsVariant();
  if (v.IsBytes()) {
    auto b = v.AsBytes();
    return std::string(b.begin(), b.end());
  }
  return v.AsString();
}

void TField::SetAsString(const std::string& v) {
  if (v.empty() && FDataType != ftString && !IsBlob()) {
    Clear();
    return;
  }
  SetAsVariant(Variant(v));
}

#define FW_FIELD_ACCESS(Name, Type, VarConv)                                        \
  Type TField::GetAs##Name() const {                                                 \
    Variant v = GetAsVariant();                                                      \
    if (v.IsNull()) return Type{};                                                   \
    try {                                                                            \
      return v.VarConv();                                                            \
    } catch (const Exception& e) {                                                   \
      DatabaseErrorFmt(SFieldConvertError, {GetDisplayName(), e.Message()}, FDataSet); \
    }                                                                                \
  }                                                                                  \
  void TField::SetAs##Name(Type v) { SetAsVariant(Variant(v)); }

FW_FIELD_ACCESS(Integer, std::int32_t, AsInteger)
FW_FIELD_ACCESS(Float, double, AsFloat)
FW_FIELD_ACCESS(DateTime, TDateTime, AsDateTime)
FW_FIELD_ACCESS(Boolean, bool, AsBoolean)
FW_FIELD_ACCESS(Currency, TCurrency, AsCurrency)
#undef FW_FIELD_ACCESS

void TField::GetText(std::string& text, bool displayText) const { text = GetAsString(); }

std::string TField::TextFor(bool displayText) const {
  std::string text;
  if (FOnGetText)
    FOnGetText(const_cast<TField*>(this), text, displayText);
  else
    GetText(text, displayText);
  return text;
}

std::string TField::GetDisplayText() const { return TextFor(true); }

std::string TField::GetText() const { return TextFor(false); }

void TField::SetText(const std::string& text) {
  if (FOnSetText)
    FOnSetText(this, text);
  else
    SetAsString(text);
}

// ---- field classes -------------------------------------------------------------------

namespace {

/// The class information of a field class that publishes nothing beyond its base.
template <class Cls, class Base>
const TClassInfo& PlainFieldClass(const char* name) {
  static const TClassInfo& info = TClassBuilder<Cls>(name, &Base::StaticClass()).Build();
  return info;
}

/// The class information of a field class that publishes Size with a default of its own.
template <class Cls>
const TClassInfo& SizedFieldClass(const char* name, std::int32_t defaultSize) {
  static const TClassInfo& info = TClassBuilder<Cls>(name, &TField::StaticClass())
                                      .Prop("Size", &TField::GetSize, &TField::SetSize).Default(defaultSize)
                                      .Build();
  return info;
}

}  // namespace

const TClassInfo& TStringField::StaticClass() { return SizedFieldClass<TStringField>("TStringField", 20); }
const TClassInfo& TNumericField::StaticClass() { return PlainFieldClass<TNumericField, TField>("TNumericField"); }
const TClassInfo& TIntegerField::StaticClass() { return PlainFieldClass<TIntegerField, TNumericField>("TIntegerField"); }
const TClassInfo& TSmallintField::StaticClass() { return PlainFieldClass<TSmallintField, TIntegerField>("TSmallintField"); }
const TClassInfo& TWordField::StaticClass() { return PlainFieldClass<TWordField, TIntegerField>("TWordField"); }
const TClassInfo& TAutoIncField::StaticClass() { return PlainFieldClass<TAutoIncField, TIntegerField>("TAutoIncField"); }
const TClassInfo& TLargeintField::StaticClass() { return PlainFieldClass<TLargeintField, TNumericField>("TLargeintField"); }
const TClassInfo& TFloatField::StaticClass() { return PlainFieldClass<TFloatField, TNumericField>("TFloatField"); }
const TClassInfo& TCurrencyField::StaticClass() { return PlainFieldClass<TCurrencyField, TFloatField>("TCurrencyField"); }
const TClassInfo& TBooleanField::StaticClass() { return PlainFieldClass<TBooleanField, TField>("TBooleanField"); }
const TClassInfo& TDateTimeField::StaticClass() { return PlainFieldClass<TDateTimeField, TField>("TDateTimeField"); }
const TClassInfo& TDateField::StaticClass() { return PlainFieldClass<TDateField, TDateTimeField>("TDateField"); }
const TClassInfo& TTimeField::StaticClass() { return PlainFieldClass<TTimeField, TDateTimeField>("TTimeField"); }
const TClassInfo& TBlobField::StaticClass() { return SizedFieldClass<TBlobField>("TBlobField", 0); }
const TClassInfo& TMemoField::StaticClass() { return PlainFieldClass<TMemoField, TBlobField>("TMemoField"); }
const TClassInfo& TGraphicField::StaticClass() { return PlainFieldClass<TGraphicField, TBlobField>("TGraphicField"); }

Variant TStringField::FromNative(const void* data) const {
  const char* p = static_cast<const char*>(data);
  return Variant(std::string(p, strnlen(p, static_cast<std::size_t>(GetSize()))));
}

void TStringField::ToNative(const Variant& v, void* data) const {
  std::string s = v.AsString();
  s.resize(Utf8FitBytes(s, static_cast<std::size_t>(GetSize())));
  std::memset(data, 0, static_cast<std::size_t>(GetSize()) + 1);
  std::memcpy(data, s.data(), s.size());
}

Variant TIntegerField::FromNative(const void* d) const { return Variant(Load<std::int32_t>(d)); }
void TIntegerField::ToNative(const Variant& v, void* d) const { Store(d, v.AsInteger()); }
Variant TSmallintField::FromNative(const void* d) const { return Variant(Load<std::int16_t>(d)); }
void TSmallintField::ToNative(const Variant& v, void* d) const { Store(d, v.AsSmallint()); }
Variant TWordField::FromNative(const void* d) const { return Variant(Load<std::uint16_t>(d)); }
void TWordField::ToNative(const Variant& v, void* d) const { Store(d, v.AsWord()); }
Variant TLargeintField::FromNative(const void* d) const { return Variant(Load<std::int64_t>(d)); }
void TLargeintField::ToNative(const Variant& v, void* d) const { Store(d, v.AsInt64()); }
Variant TFloatField::FromNative(const void* d) const { return Variant(Load<double>(d)); }
void TFloatField::ToNative(const Variant& v, void* d) const { Store(d, v.AsFloat()); }
Variant TCurrencyField::FromNative(const void* d) const { return Variant(TCurrency{Load<std::int64_t>(d)}); }
void TCurrencyField::ToNative(const Variant& v, void* d) const { Store(d, v.AsCurrency().Value); }
Variant TBooleanField::FromNative(const void* d) const { return Variant(Load<std::int16_t>(d) != 0); }
void TBooleanField::ToNative(const Variant& v, void* d) const {
  Store<std::int16_t>(d, v.AsBoolean() ? 1 : 0);
}
Variant TDateTimeField::FromNative(const void* d) const { return Variant(TDateTime{Load<double>(d)}); }
void TDateTimeField::ToNative(const Variant& v, void* d) const {
  TDateTime dt = v.AsDateTime();
  dt.CheckValid();
  Store(d, dt.Value);
}
Variant TDateField::FromNative(const void* d) const {
  return Variant(TDateTime{static_cast<double>(Load<std::int32_t>(d)) + kDateDelta});
}
void TDateField::ToNative(const Variant& v, void* d) const {
  TDateTime dt = v.AsDateTime();
  dt.CheckValid();  // a valid day count fits the 32-bit native form
  Store(d, static_cast<std::int32_t>(std::floor(dt.Value - kDateDelta)));
}
Variant TTimeField::FromNative(const void* d) const {
  return Variant(TDateTime{static_cast<double>(Load<std::int32_t>(d)) / 86400000.0});
}
void TTimeField::ToNative(const Variant& v, void* d) const {
  TDateTime dt = v.AsDateTime();
  dt.CheckValid();
  double t = dt.Value;
  t -= std::floor(t);
  Store(d, static_cast<std::int32_t>(std::llround(t * 86400000.0)) % 86400000);
}

void TBlobField::GetText(std::string& text, bool displayText) const {
  text = displayText ? (GetIsNull() ? "(blob)" : "(BLOB)") : GetAsString();
}

void TMemoField::GetText(std::string& text, bool displayText) const {
  text = displayText ? (GetIsNull() ? "(memo)" : "(MEMO)") : GetAsString();
}

const TClassInfo& FieldClassOf(TFieldType type) {
  switch (type) {
    case ftString: return TStringField::StaticClass();
    case ftSmallint: return TSmallintField::StaticClass();
    case ftInteger: return TIntegerField::StaticClass();
    case ftWord: return TWordField::StaticClass();
    case ftBoolean: return TBooleanField::StaticClass();
    case ftFloat: return TFloatField::StaticClass();
    case ftCurrency: return TCurrencyField::StaticClass();
    case ftDate: return TDateField::StaticClass();
    case ftTime: return TTimeField::StaticClass();
    case ftDateTime: return TDateTimeField::StaticClass();
    case ftAutoInc: return TAutoIncField::StaticClass();
    case ftBlob: return TBlobField::StaticClass();
    case ftMemo: return TMemoField::StaticClass();
    case ftGraphic: return TGraphicField::StaticClass();
    case ftLargeint: return TLargeintField::StaticClass();
    case ftUnknown: break;
  }
  throw EDatabaseError(SUnknownFieldType);
}

// ---- field definitions ---------------------------------------------------------------

const TClassInfo& TFieldDef::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TFieldDef>("TFieldDef", &TCollectionItem::StaticClass())
                                      .Prop("Name", &TFieldDef::GetName, &TFieldDef::SetName)
                                      .Prop("DataType", &TFieldDef::GetDataType, &TFieldDef::SetDataType).Default(ftUnknown)
                                      .Prop("Size", &TFieldDef::GetSize, &TFieldDef::SetSize).Default(0)
                                      .Prop("Required", &TFieldDef::GetRequired, &TFieldDef::SetRequired).Default(0)
                                      .Build();
  return info;
}

void TFieldDef::Assign(const TPersistent* source) {
  if (auto* d = dynamic_cast<const TFieldDef*>(source)) {
    FName = d->FName;
    FDataType = d->FDataType;
    FSize = d->FSize;
    FRequired = d->FRequired;
    return;
  }
  TCollectionItem::Assign(source);
}

TField* TFieldDef::CreateField(TComponent* owner, TDataSet* dataSet) const {
  const TClassInfo& cls = FieldClassOf(FDataType);
  std::unique_ptr<TComponent> c(cls.CreateComponent(owner));
  auto* field = static_cast<TField*>(c.get());
  if (FDataType == ftString || FSize > 0) field->SetSize(FSize);
  field->SetFieldName(FName);
  field->SetRequired(FRequired);
  field->SetDataSet(dataSet);
  return static_cast<TField*>(c.release());
}

const TClassInfo& TFieldDefs::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TFieldDefs>("TFieldDefs", &TOwnedCollection::StaticClass()).Build();
  return info;
}

TFieldDef* TFieldDefs::Add(const std::string& name, TFieldType type, std::int32_t size, bool required) {
  auto* d = static_cast<TFieldDef*>(TCollection::Add());
  d->SetName(name);
  d->SetDataType(type);
  d->SetSize(size);
  d->SetRequired(required);
  return d;
}

TFieldDef* TFieldDefs::Find(const std::string& name) const {
  int i = IndexOf(name);
  return i < 0 ? nullptr : GetItem(i);
}

int TFieldDefs::IndexOf(const std::string& name) const {
  for (int i = 0; i < GetCount(); ++i)
    if (SameText(GetItem(i)->GetName(), name)) return i;
  return -1;
}

}  // namespace fw
