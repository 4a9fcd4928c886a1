// Run-time type information: class information with published properties and published
// methods, registered through TClassBuilder, and the by-name property access that library
// code uses to couple to classes it does not know (GetPropInfo, GetStrProp, SetStrProp,
// GetOrdProp, SetOrdProp, GetObjectProp, SetObjectProp, GetMethodProp, SetMethodProp).
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeinfo>
#include <vector>

#include "framework/core/Events.h"
#include "framework/core/Object.h"
#include "framework/core/Sets.h"

namespace fw {

class TComponent;
class TCollection;
class TCollectionItem;
class TPersistent;

enum class TTypeKind { tkInteger, tkEnumeration, tkSet, tkFloat, tkString, tkClass, tkMethod };

/// Names of the members of an enumeration, by ordinal (sets use their element type's).
struct TEnumInfo {
  std::string Name;
  std::vector<std::string> Names;
  /// The ordinal of a name (case-insensitive), or -1.
  int ValueOf(std::string_view name) const;
};

const TEnumInfo& BooleanInfo();

/// Gives an enumeration its member names for run-time type information. Use it in the
/// namespace of the enumeration: FW_ENUM_INFO(TAlignment, "taLeftJustify", ...).
#define FW_ENUM_INFO(E, ...)                                          \
  inline const ::fw::TEnumInfo& FwEnumInfo(E*) {                      \
    static const ::fw::TEnumInfo info{#E, {__VA_ARGS__}};             \
    return info;                                                      \
  }

template <class E>
const TEnumInfo& EnumInfoOf() {
  return FwEnumInfo(static_cast<E*>(nullptr));
}

/// The name of a value of an enumeration with FW_ENUM_INFO.
template <class E>
std::string EnumName(E value) {
  const auto& names = EnumInfoOf<E>().Names;
  auto i = static_cast<std::size_t>(value);
  return i < names.size() ? names[i] : std::to_string(i);
}

/// A published method of a root class (a handler that form files name).
struct TMethodInfo {
  std::string Name;
  TMethod::CodePtr Code = nullptr;
  const std::type_info* Signature = nullptr;
};

/// One published property with its accessors. Ordinal kinds (integer, enumeration, set)
/// go through GetOrd/SetOrd, floats through GetFloat/SetFloat, strings through GetStr/SetStr,
/// objects through GetObj/SetObj and events through GetMethod/SetMethod.
struct TPropInfo {
  std::string Name;
  TTypeKind Kind = TTypeKind::tkInteger;
  const TClassInfo* Owner = nullptr;
  const TEnumInfo* EnumType = nullptr;              // enumeration and set element names
  const TClassInfo& (*ClassType)() = nullptr;       // declared class of an object property
  bool IsReference = false;                         // component reference (not owned)
  const std::type_info* EventSignature = nullptr;   // event properties
  std::int64_t MinValue = std::numeric_limits<std::int64_t>::min();
  std::int64_t MaxValue = std::numeric_limits<std::int64_t>::max();
  bool HasDefault = false;
  std::int64_t Default = 0;
  bool StoredConst = true;
  std::function<bool(const TObject*)> StoredFn;

  std::function<std::int64_t(const TObject*)> GetOrd;
  std::function<void(TObject*, std::int64_t)> SetOrd;
  std::function<double(const TObject*)> GetFloat;
  std::function<void(TObject*, double)> SetFloat;
  std::function<std::string(const TObject*)> GetStr;
  std::function<void(TObject*, const std::string&)> SetStr;
  std::function<TObject*(const TObject*)> GetObj;
  std::function<void(TObject*, TObject*)> SetObj;
  std::function<TMethod(const TObject*)> GetMethod;
  std::function<void(TObject*, const TMethod&)> SetMethod;

  bool IsWritable() const;
  /// Whether the writer stores the property of this instance (stored flag, then default).
  bool IsStored(const TObject* instance) const;
  /// Whether the instance's value equals the property's default (never for no-default).
  bool IsDefaultValue(const TObject* instance) const;
};

/// The class information of one class: its name, parent, factory, own published
/// properties in declaration order and published methods.
class TClassInfo {
 public:
  TClassInfo(std::string name, const TClassInfo* parent);

  const std::string& Name() const { return FName; }
  const TClassInfo* Parent() const { return FParent; }
  bool InheritsFrom(const TClassInfo& other) const;

  /// The property of that name (case-insensitive), searching the parents too; or null.
  const TPropInfo* FindProp(std::string_view name) const;
  /// All published properties, base class first, each in declaration order.
  std::vector<const TPropInfo*> Props() const;
  /// The published method of that name (case-insensitive), searching the parents; or null.
  const TMethodInfo* FindMethod(std::string_view name) const;
  /// The published method with that code, searching the parents; or null.
  const TMethodInfo* FindMethodByCode(TMethod::CodePtr code) const;

  /// Creates an instance of a component class with its owner (null when not creatable).
  std::function<TComponent*(TComponent* owner)> CreateComponent;
  /// Creates an item of a collection-item class in its collection.
  std::function<TCollectionItem*(TCollection* collection)> CreateItem;

  std::vector<std::unique_ptr<TPropInfo>> OwnProps;
  std::vector<TMethodInfo> OwnMethods;

 private:
  std::string FName;
  const TClassInfo* FParent;
};

// ---- By-name access --------------------------------------------------------------

const TPropInfo* GetPropInfo(const TClassInfo& cls, std::string_view name);
/// The published property of that name of the instance's class, or null (never raises).
const TPropInfo* GetPropInfo(const TObject* instance, std::string_view name);
/// All published properties of the instance's class, base class first.
std::vector<const TPropInfo*> GetPropList(const TObject* instance);

/// Accessors by property information. A property of another kind raises EPropertyError;
/// an ordinal out of the property's range raises EConvertError.
std::string GetStrProp(const TObject* instance, const TPropInfo* prop);
void SetStrProp(TObject* instance, const TPropInfo* prop, const std::string& value);
std::int64_t GetOrdProp(const TObject* instance, const TPropInfo* prop);
void SetOrdProp(TObject* instance, const TPropInfo* prop, std::int64_t value);
double GetFloatProp(const TObject* instance, const TPropInfo* prop);
void SetFloatProp(TObject* instance, const TPropInfo* prop, double value);
TObject* GetObjectProp(const TObject* instance, const TPropInfo* prop);
void SetObjectProp(TObject* instance, const TPropInfo* prop, TObject* value);
TMethod GetMethodProp(const TObject* instance, const TPropInfo* prop);
void SetMethodProp(TObject* instance, const TPropInfo* prop, const TMethod& value);
std::string GetEnumProp(const TObject* instance, const TPropInfo* prop);
void SetEnumProp(TObject* instance, const TPropInfo* prop, std::string_view name);

/// The same by name; an unknown property raises EPropertyError.
std::string GetStrProp(const TObject* instance, std::string_view name);
void SetStrProp(TObject* instance, std::string_view name, const std::string& value);
std::int64_t GetOrdProp(const TObject* instance, std::string_view name);
void SetOrdProp(TObject* instance, std::string_view name, std::int64_t value);
TObject* GetObjectProp(const TObject* instance, std::string_view name);
void SetObjectProp(TObject* instance, std::string_view name, TObject* value);
TMethod GetMethodProp(const TObject* instance, std::string_view name);
void SetMethodProp(TObject* instance, std::string_view name, const TMethod& value);

/// Assigns a root's published method, found by name, to an event property. Raises
/// EPropertyError when the root has no such method or its signature differs.
void SetMethodPropByName(TObject* instance, const TPropInfo* prop, TObject* root,
                         std::string_view handlerName);
/// The name of the root's published method that an event property holds, or empty.
std::string GetMethodName(const TMethod& method, const TObject* root);

// ---- Registration ----------------------------------------------------------------

namespace detail {

template <class V>
struct IsEvent : std::false_type {};
template <class Sig>
struct IsEvent<TEvent<Sig>> : std::true_type {};

template <class V>
struct IsSet : std::false_type {};
template <class E>
struct IsSet<TSet<E>> : std::true_type {
  using Element = E;
};

bool IsComponentClass(const TClassInfo& cls);

}  // namespace detail

/// Builds the class information of T inside T::StaticClass():
///   static TClassInfo* info = TClassBuilder<TFoo>("TFoo", &TBar::StaticClass())
///       .Prop("Tag", &TFoo::GetTag, &TFoo::SetTag).Default(0)
///       .Build();
/// The property's kind follows from the getter's type: bool (enumeration False/True),
/// integers, enumerations with FW_ENUM_INFO, TSet<E>, floating point, std::string,
/// pointers to components (references), pointers to other persistent objects (owned
/// sub-objects, read-only without a setter) and TEvent<...>.
template <class T>
class TClassBuilder {
 public:
  TClassBuilder(const char* name, const TClassInfo* parent)
      : FInfo(std::make_unique<TClassInfo>(name, parent)) {
    if constexpr (std::is_base_of_v<TComponent, T> && !std::is_abstract_v<T> &&
                  std::is_constructible_v<T, TComponent*>) {
      FInfo->CreateComponent = [](TComponent* owner) -> TComponent* { return new T(owner); };
    }
    if constexpr (std::is_base_of_v<TCollectionItem, T> && !std::is_abstract_v<T> &&
                  std::is_constructible_v<T, TCollection*>) {
      FInfo->CreateItem = [](TCollection* c) -> TCollectionItem* { return new T(c); };
    }
  }

  template <class C, class R, class C2, class A>
  TClassBuilder& Prop(const char* name, R (C::*get)() const, void (C2::*set)(A)) {
    AddProp<std::decay_t<R>>(name, get);
    SetSetter<std::decay_t<R>>(set);
    return *this;
  }

  template <class C, class R>
  TClassBuilder& ReadOnlyProp(const char* name, R (C::*get)() const) {
    AddProp<std::decay_t<R>>(name, get);
    return *this;
  }

  /// The default value of the last ordinal property (not stored when equal).
  TClassBuilder& Default(std::int64_t value) {
    FLast->HasDefault = true;
    FLast->Default = value;
    return *this;
  }
  TClassBuilder& Stored(bool stored) {
    FLast->StoredConst = stored;
    return *this;
  }
  template <class C>
  TClassBuilder& Stored(bool (C::*isStored)() const) {
    FLast->StoredFn = [isStored](const TObject* o) {
      return (static_cast<const C*>(static_cast<const T*>(o))->*isStored)();
    };
    return *this;
  }

  /// A published method that form files may name as a handler.
  template <auto M>
  TClassBuilder& Method(const char* name) {
    using Traits = TMemberTraits<decltype(M)>;
    FInfo->OwnMethods.push_back(
        {name, reinterpret_cast<TMethod::CodePtr>(&Traits::template Call<M>),
         &typeid(typename Traits::Signature)});
    return *this;
  }

  /// Hands the finished class information over (kept for the life of the program).
  const TClassInfo& Build() { return *FInfo.release(); }

 private:
  static const T* Self(const TObject* o) { return static_cast<const T*>(o); }
  static T* Self(TObject* o) { return static_cast<T*>(o); }

  template <class V, class G>
  void AddProp(const char* name, G get) {
    auto p = std::make_unique<TPropInfo>();
    p->Name = name;
    p->Owner = FInfo.get();
    if constexpr (std::is_same_v<V, bool>) {
      p->Kind = TTypeKind::tkEnumeration;
      p->EnumType = &BooleanInfo();
      p->GetOrd = [get](const TObject* o) -> std::int64_t { return (Self(o)->*get)() ? 1 : 0; };
    } else if constexpr (std::is_enum_v<V>) {
      p->Kind = TTypeKind::tkEnumeration;
      p->EnumType = &EnumInfoOf<V>();
      p->GetOrd = [get](const TObject* o) -> std::int64_t {
        return static_cast<std::int64_t>((Self(o)->*get)());
      };
    } else if constexpr (std::is_integral_v<V>) {
      p->Kind = TTypeKind::tkInteger;
      p->MinValue = static_cast<std::int64_t>(std::numeric_limits<V>::min());
      p->MaxValue = std::numeric_limits<V>::max() > static_cast<std::uint64_t>(
                                                         std::numeric_limits<std::int64_t>::max())
                        ? std::numeric_limits<std::int64_t>::max()
                        : static_cast<std::int64_t>(std::numeric_limits<V>::max());
      p->GetOrd = [get](const TObject* o) -> std::int64_t {
        return static_cast<std::int64_t>((Self(o)->*get)());
      };
    } else if constexpr (detail::IsSet<V>::value) {
      p->Kind = TTypeKind::tkSet;
      p->EnumType = &EnumInfoOf<typename detail::IsSet<V>::Element>();
      p->GetOrd = [get](const TObject* o) -> std::int64_t {
        return static_cast<std::int64_t>((Self(o)->*get)().ToInt());
      };
    } else if constexpr (std::is_floating_point_v<V>) {
      p->Kind = TTypeKind::tkFloat;
      p->GetFloat = [get](const TObject* o) -> double { return (Self(o)->*get)(); };
    } else if constexpr (std::is_same_v<V, std::string>) {
      p->Kind = TTypeKind::tkString;
      p->GetStr = [get](const TObject* o) -> std::string { return (Self(o)->*get)(); };
    } else if constexpr (detail::IsEvent<V>::value) {
      p->Kind = TTypeKind::tkMethod;
      p->EventSignature = &typeid(typename V::Signature);
      p->GetMethod = [get](const TObject* o) { return (Self(o)->*get)().GetMethod(); };
    } else if constexpr (std::is_pointer_v<V>) {
      using Obj = std::remove_cv_t<std::remove_pointer_t<V>>;
      static_assert(std::is_base_of_v<TObject, Obj>, "object properties hold TObject descendants");
      p->Kind = TTypeKind::tkClass;
      p->ClassType = &Obj::StaticClass;
      p->IsReference = std::is_base_of_v<TComponent, Obj>;
      p->GetObj = [get](const TObject* o) -> TObject* {
        return const_cast<Obj*>((Self(o)->*get)());
      };
    } else {
      static_assert(sizeof(V) == 0, "unsupported published property type");
    }
    FLast = p.get();
    FInfo->OwnProps.push_back(std::move(p));
  }

  template <class V, class C2, class A>
  void SetSetter(void (C2::*set)(A)) {
    TPropInfo* p = FLast;
    if constexpr (std::is_same_v<V, bool>) {
      p->SetOrd = [set](TObject* o, std::int64_t v) { (Self(o)->*set)(v != 0); };
    } else if constexpr (std::is_enum_v<V> || std::is_integral_v<V>) {
      p->SetOrd = [set](TObject* o, std::int64_t v) { (Self(o)->*set)(static_cast<V>(v)); };
    } else if constexpr (detail::IsSet<V>::value) {
      p->SetOrd = [set](TObject* o, std::int64_t v) {
        (Self(o)->*set)(V::FromInt(static_cast<std::uint64_t>(v)));
      };
    } else if constexpr (std::is_floating_point_v<V>) {
      p->SetFloat = [set](TObject* o, double v) { (Self(o)->*set)(static_cast<V>(v)); };
    } else if constexpr (std::is_same_v<V, std::string>) {
      p->SetStr = [set](TObject* o, const std::string& v) { (Self(o)->*set)(v); };
    } else if constexpr (detail::IsEvent<V>::value) {
      p->SetMethod = [set](TObject* o, const TMethod& m) { (Self(o)->*set)(V::FromMethod(m)); };
    } else if constexpr (std::is_pointer_v<V>) {
      using Obj = std::remove_cv_t<std::remove_pointer_t<V>>;
      p->SetObj = [set](TObject* o, TObject* v) { (Self(o)->*set)(static_cast<Obj*>(v)); };
    }
  }

  std::unique_ptr<TClassInfo> FInfo;
  TPropInfo* FLast = nullptr;
};

}  // namespace fw
