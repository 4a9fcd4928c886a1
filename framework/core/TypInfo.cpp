#include "framework/core/TypInfo.h"

#include "framework/core/Component.h"
#include "framework/core/Consts.h"
#include "framework/core/Exceptions.h"

namespace fw {

namespace {

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

const TPropInfo* Require(const TObject* instance, std::string_view name) {
  const TPropInfo* p = GetPropInfo(instance, name);
  if (!p) throw EPropertyError(Format(SUnknownProperty, {std::string(name)}));
  return p;
}

void CheckKind(const TPropInfo* prop, bool ok, const char* wanted) {
  if (!prop) throw EPropertyError(Format(SUnknownProperty, {"(none)"}));
  if (!ok) throw EPropertyError(Format(SPropertyKind, {prop->Name, wanted}));
}

void CheckWritable(const TPropInfo* prop, bool hasSetter) {
  if (!hasSetter) throw EPropertyError(Format(SReadOnlyProperty, {prop->Name}));
}

bool IsOrdinal(const TPropInfo* p) {
  return p->Kind == TTypeKind::tkInteger || p->Kind == TTypeKind::tkEnumeration ||
         p->Kind == TTypeKind::tkSet;
}

}  // namespace

int TEnumInfo::ValueOf(std::string_view name) const {
  for (std::size_t i = 0; i < Names.size(); ++i)
    if (SameName(Names[i], name)) return static_cast<int>(i);
  return -1;
}

const TEnumInfo& BooleanInfo() {
  static const TEnumInfo info{"Boolean", {"False", "True"}};
  return info;
}

bool TPropInfo::IsWritable() const {
  switch (Kind) {
    case TTypeKind::tkInteger:
    case TTypeKind::tkEnumeration:
    case TTypeKind::tkSet: return static_cast<bool>(SetOrd);
    case TTypeKind::tkFloat: return static_cast<bool>(SetFloat);
    case TTypeKind::tkString: return static_cast<bool>(SetStr);
    case TTypeKind::tkClass: return static_cast<bool>(SetObj);
    case TTypeKind::tkMethod: return static_cast<bool>(SetMethod);
  }
  return false;
}

bool TPropInfo::IsStored(const TObject* instance) const {
  if (!StoredConst) return false;
  if (StoredFn && !StoredFn(instance)) return false;
  return !IsDefaultValue(instance);
}

bool TPropInfo::IsDefaultValue(const TObject* instance) const {
  switch (Kind) {
    case TTypeKind::tkInteger:
    case TTypeKind::tkEnumeration:
    case TTypeKind::tkSet: return HasDefault && GetOrd(instance) == Default;
    case TTypeKind::tkFloat: return GetFloat(instance) == 0.0;
    case TTypeKind::tkString: return GetStr(instance).empty();
    case TTypeKind::tkClass: return IsReference && GetObj(instance) == nullptr;
    case TTypeKind::tkMethod: return !GetMethod(instance).Assigned();
  }
  return false;
}

TClassInfo::TClassInfo(std::string name, const TClassInfo* parent)
    : FName(std::move(name)), FParent(parent) {}

bool TClassInfo::InheritsFrom(const TClassInfo& other) const {
  for (const TClassInfo* c = this; c; c = c->FParent)
    if (c == &other) return true;
  return false;
}

const TPropInfo* TClassInfo::FindProp(std::string_view name) const {
  for (const TClassInfo* c = this; c; c = c->FParent)
    for (const auto& p : c->OwnProps)
      if (SameName(p->Name, name)) return p.get();
  return nullptr;
}

std::vector<const TPropInfo*> TClassInfo::Props() const {
  std::vector<const TClassInfo*> chain;
  for (const TClassInfo* c = this; c; c = c->FParent) chain.push_back(c);
  std::vector<const TPropInfo*> out;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    for (const auto& p : (*it)->OwnProps) out.push_back(p.get());
  return out;
}

const TMethodInfo* TClassInfo::FindMethod(std::string_view name) const {
  for (const TClassInfo* c = this; c; c = c->FParent)
    for (const auto& m : c->OwnMethods)
      if (SameName(m.Name, name)) return &m;
  return nullptr;
}

const TMethodInfo* TClassInfo::FindMethodByCode(TMethod::CodePtr code) const {
  for (const TClassInfo* c = this; c; c = c->FParent)
    for (const auto& m : c->OwnMethods)
      if (m.Code == code) return &m;
  return nullptr;
}

const TPropInfo* GetPropInfo(const TClassInfo& cls, std::string_view name) {
  return cls.FindProp(name);
}

const TPropInfo* GetPropInfo(const TObject* instance, std::string_view name) {
  return instance ? instance->ClassType().FindProp(name) : nullptr;
}

std::vector<const TPropInfo*> GetPropList(const TObject* instance) {
  return instance ? instance->ClassType().Props() : std::vector<const TPropInfo*>{};
}

std::string GetStrProp(const TObject* instance, const TPropInfo* prop) {
  CheckKind(prop, prop && prop->Kind == TTypeKind::tkString, "string");
  return prop->GetStr(instance);
}

void SetStrProp(TObject* instance, const TPropInfo* prop, const std::string& value) {
  CheckKind(prop, prop && prop->Kind == TTypeKind::tkString, "string");
  CheckWritable(prop, static_cast<bool>(prop->SetStr));
  prop->SetStr(instance, value);
}

std::int64_t GetOrdProp(const TObject* instance, const TPropInfo* prop) {
  CheckKind(prop, prop && IsOrdinal(prop), "ordinal");
  return prop->GetOrd(instance);
}

void SetOrdProp(TObject* instance, const TPropInfo* prop, std::int64_t value) {
  CheckKind(prop, prop && IsOrdinal(prop), "ordinal");
  CheckWritable(prop, static_cast<bool>(prop->SetOrd));
  bool inRange = true;
  if (prop->Kind == TTypeKind::tkInteger) {
    inRange = value >= prop->MinValue && value <= prop->MaxValue;
  } else if (prop->Kind == TTypeKind::tkEnumeration) {
    inRange = value >= 0 && value < static_cast<std::int64_t>(prop->EnumType->Names.size());
  } else {
    auto n = prop->EnumType->Names.size();
    inRange = n >= 64 || (static_cast<std::uint64_t>(value) >> n) == 0;
  }
  if (!inRange)
    throw EConvertError(Format(SPropertyRange, {value, prop->Name}));
  prop->SetOrd(instance, value);
}

double GetFloatProp(const TObject* instance, const TPropInfo* prop) {
  CheckKind(prop, prop && prop->Kind == TTypeKind::tkFloat, "float");
  return prop->GetFloat(instance);
}

void SetFloatProp(TObject* instance, const TPropInfo* prop, double value) {
  CheckKind(prop, prop && prop->Kind == TTypeKind::tkFloat, "float");
  CheckWritable(prop, static_cast<bool>(prop->SetFloat));
  prop->SetFloat(instance, value);
}

TObject* GetObjectProp(const TObject* instance, const TPropInfo* prop) {
  CheckKind(prop, prop && prop->Kind == TTypeKind::tkClass, "class");
  return prop->GetObj(instance);
}

void SetObjectProp(TObject* instance, const TPropInfo* prop, TObject* value) {
  CheckKind(prop, prop && prop->Kind == TTypeKind::tkClass, "class");
  CheckWritable(prop, static_cast<bool>(prop->SetObj));
  if (value && !value->InheritsFrom(prop->ClassType()))
    throw EConvertError(Format(SAssignError, {value->ClassName(), prop->ClassType().Name()}));
  prop->SetObj(instance, value);
}

TMethod GetMethodProp(const TObject* instance, const TPropInfo* prop) {
  CheckKind(prop, prop && prop->Kind == TTypeKind::tkMethod, "method");
  return prop->GetMethod(instance);
}

void SetMethodProp(TObject* instance, const TPropInfo* prop, const TMethod& value) {
  CheckKind(prop, prop && prop->Kind == TTypeKind::tkMethod, "method");
  CheckWritable(prop, static_cast<bool>(prop->SetMethod));
  prop->SetMethod(instance, value);
}

std::string GetEnumProp(const TObject* instance, const TPropInfo* prop) {
  CheckKind(prop, prop && prop->Kind == TTypeKind::tkEnumeration, "enumeration");
  auto v = prop->GetOrd(instance);
  const auto& names = prop->EnumType->Names;
  return v >= 0 && v < static_cast<std::int64_t>(names.size()) ? names[v] : std::to_string(v);
}

void SetEnumProp(TObject* instance, const TPropInfo* prop, std::string_view name) {
  CheckKind(prop, prop && prop->Kind == TTypeKind::tkEnumeration, "enumeration");
  int v = prop->EnumType->ValueOf(name);
  if (v < 0)
    throw EConvertError(Format(SPropertyValue, {std::string(name), prop->Name}));
  SetOrdProp(instance, prop, v);
}

std::string GetStrProp(const TObject* instance, std::string_view name) {
  return GetStrProp(instance, Require(instance, name));
}
void SetStrProp(TObject* instance, std::string_view name, const std::string& value) {
  SetStrProp(instance, Require(instance, name), value);
}
std::int64_t GetOrdProp(const TObject* instance, std::string_view name) {
  return GetOrdProp(instance, Require(instance, name));
}
void SetOrdProp(TObject* instance, std::string_view name, std::int64_t value) {
  SetOrdProp(instance, Require(instance, name), value);
}
TObject* GetObjectProp(const TObject* instance, std::string_view name) {
  return GetObjectProp(instance, Require(instance, name));
}
void SetObjectProp(TObject* instance, std::string_view name, TObject* value) {
  SetObjectProp(instance, Require(instance, name), value);
}
TMethod GetMethodProp(const TObject* instance, std::string_view name) {
  return GetMethodProp(instance, Require(instance, name));
}
void SetMethodProp(TObject* instance, std::string_view name, const TMethod& value) {
  SetMethodProp(instance, Require(instance, name), value);
}

void SetMethodPropByName(TObject* instance, const TPropInfo* prop, TObject* root,
                         std::string_view handlerName) {
  CheckKind(prop, prop && prop->Kind == TTypeKind::tkMethod, "method");
  const TMethodInfo* m = root ? root->ClassType().FindMethod(handlerName) : nullptr;
  if (!m)
    throw EPropertyError(Format(SMethodNotFound,
                                {std::string(handlerName), root ? root->ClassName() : "(none)"}));
  if (*m->Signature != *prop->EventSignature)
    throw EPropertyError(Format(SMethodSignature, {m->Name, prop->Name}));
  SetMethodProp(instance, prop, TMethod{m->Code, root, nullptr});
}

std::string GetMethodName(const TMethod& method, const TObject* root) {
  if (!method.Assigned() || !root || method.Data != root) return {};
  const TMethodInfo* m = root->ClassType().FindMethodByCode(method.Code);
  return m ? m->Name : std::string();
}

namespace detail {
bool IsComponentClass(const TClassInfo& cls) { return cls.InheritsFrom(TComponent::StaticClass()); }
}  // namespace detail

}  // namespace fw
