#include "framework/stream/FormWriter.h"

#include "framework/core/Collection.h"
#include "framework/core/Component.h"
#include "framework/core/Exceptions.h"
#include "framework/core/Filer.h"
#include "framework/core/TypInfo.h"

namespace fw {

namespace {

TFormValue Ident(const std::string& s) {
  TFormValue v;
  v.Type = TValueType::vaIdent;
  v.Str = s;
  return v;
}

class TTreeWriter;

/// Collects the value of one defined property.
class TValueWriter : public TWriter {
 public:
  TValueWriter(TTreeWriter& owner, TFormValue& value) : FOwner(owner), FValue(value) {}
  void WriteInteger(std::int64_t value) override {
    FValue.Type = TValueType::vaInteger;
    FValue.Int = value;
  }
  void WriteFloat(double value) override {
    FValue.Type = TValueType::vaFloat;
    FValue.Float = value;
  }
  void WriteString(const std::string& value) override {
    FValue.Type = TValueType::vaString;
    FValue.Str = value;
  }
  void WriteIdent(const std::string& value) override { FValue = Ident(value); }
  void WriteBoolean(bool value) override { FValue = Ident(value ? "True" : "False"); }
  void WriteStringList(const std::vector<std::string>& lines) override {
    FValue.Type = TValueType::vaList;
    FValue.List.clear();
    for (const auto& line : lines) {
      TFormValue v;
      v.Type = TValueType::vaString;
      v.Str = line;
      FValue.List.push_back(std::move(v));
    }
  }
  void WriteBinary(const std::vector<std::uint8_t>& data) override {
    FValue.Type = TValueType::vaBinary;
    FValue.Str.assign(data.begin(), data.end());
  }
  void WriteCollection(const TCollection* collection) override;
  TComponent* GetRoot() const override;

 private:
  TTreeWriter& FOwner;
  TFormValue& FValue;
};

/// The filer handed to DefineProperties while writing: writes each defined property.
class TCollectFiler : public TFiler {
 public:
  TCollectFiler(TTreeWriter& owner, std::vector<TFormProperty>& props, std::string prefix)
      : FOwner(owner), FProps(props), FPrefix(std::move(prefix)) {}
  void DefineProperty(const std::string& name, const std::function<void(TReader&)>&,
                      const std::function<void(TWriter&)>& write, bool hasData) override {
    if (!hasData || !write) return;
    TFormProperty p;
    p.Name = FPrefix + name;
    TValueWriter writer(FOwner, p.Value);
    write(writer);
    if (p.Value.Type != TValueType::vaNull) FProps.push_back(std::move(p));
  }
  TComponent* GetRoot() const override;

 private:
  TTreeWriter& FOwner;
  std::vector<TFormProperty>& FProps;
  std::string FPrefix;
};

class TTreeWriter {
 public:
  TTreeWriter(const TComponent* root, bool all) : FRoot(root), FAll(all) {}

  TFormObject WriteObject(const TComponent* c) {
    TFormObject obj;
    obj.Name = c->GetName();
    obj.ClassName = c->ClassName();
    WriteProperties(c, obj.Props, "");
    c->GetChildren([&](TComponent* child) { obj.Children.push_back(WriteObject(child)); },
                   const_cast<TComponent*>(FRoot));
    return obj;
  }

  void WriteProperties(const TObject* instance, std::vector<TFormProperty>& props,
                       const std::string& prefix) {
    for (const TPropInfo* prop : instance->ClassType().Props()) {
      if (prop->Kind == TTypeKind::tkClass && !prop->IsReference) {
        if (!FAll && (!prop->StoredConst || (prop->StoredFn && !prop->StoredFn(instance)))) continue;
        TObject* sub = prop->GetObj(instance);
        if (!sub) continue;
        if (auto* coll = dynamic_cast<const TCollection*>(sub)) {
          if (coll->GetCount() == 0 && !FAll) continue;
          TFormProperty p;
          p.Name = prefix + prop->Name;
          p.Value = CollectionValue(coll);
          props.push_back(std::move(p));
        } else {
          WriteProperties(sub, props, prefix + prop->Name + ".");
        }
        continue;
      }
      if (!FAll && !prop->IsStored(instance)) continue;
      TFormValue v;
      if (!ValueOf(instance, prop, v)) {
        if (!FAll) continue;
        v = Ident("nil");
      }
      TFormProperty p;
      p.Name = prefix + prop->Name;
      p.Value = std::move(v);
      props.push_back(std::move(p));
    }
    if (auto* persistent = dynamic_cast<const TPersistent*>(instance)) {
      TCollectFiler filer(*this, props, prefix);
      const_cast<TPersistent*>(persistent)->DefineProperties(&filer);
    }
  }

  TFormValue CollectionValue(const TCollection* coll) {
    TFormValue v;
    v.Type = TValueType::vaCollection;
    for (int i = 0; i < coll->GetCount(); ++i) {
      TFormItem item;
      WriteProperties(coll->GetItem(i), item.Props, "");
      v.Items.push_back(std::move(item));
    }
    return v;
  }

  const TComponent* Root() const { return FRoot; }

 private:
  bool ValueOf(const TObject* instance, const TPropInfo* prop, TFormValue& v) {
    switch (prop->Kind) {
      case TTypeKind::tkInteger:
        v.Type = TValueType::vaInteger;
        v.Int = prop->GetOrd(instance);
        return true;
      case TTypeKind::tkEnumeration: {
        auto ord = prop->GetOrd(instance);
        const auto& names = prop->EnumType->Names;
        if (ord < 0 || ord >= static_cast<std::int64_t>(names.size())) return false;
        v = Ident(names[static_cast<std::size_t>(ord)]);
        return true;
      }
      case TTypeKind::tkSet: {
        auto bits = static_cast<std::uint64_t>(prop->GetOrd(instance));
        v.Type = TValueType::vaSet;
        const auto& names = prop->EnumType->Names;
        for (std::size_t i = 0; i < names.size() && i < 64; ++i)
          if (bits & (std::uint64_t{1} << i)) v.Elements.push_back(names[i]);
        return true;
      }
      case TTypeKind::tkFloat:
        v.Type = TValueType::vaFloat;
        v.Float = prop->GetFloat(instance);
        return true;
      case TTypeKind::tkString:
        v.Type = TValueType::vaString;
        v.Str = prop->GetStr(instance);
        return true;
      case TTypeKind::tkMethod: {
        std::string name = GetMethodName(prop->GetMethod(instance), FRoot);
        if (name.empty()) return false;
        v = Ident(name);
        return true;
      }
      case TTypeKind::tkClass: {
        auto* target = dynamic_cast<const TComponent*>(prop->GetObj(instance));
        if (!target || target->GetName().empty()) return false;
        v = Ident(ReferenceName(target));
        return true;
      }
    }
    return false;
  }

  std::string ReferenceName(const TComponent* target) const {
    if (target == FRoot || target->GetOwner() == FRoot || !target->GetOwner())
      return target->GetName();
    return target->GetOwner()->GetName() + "." + target->GetName();
  }

  const TComponent* FRoot;
  bool FAll;
};

void TValueWriter::WriteCollection(const TCollection* collection) {
  FValue = FOwner.CollectionValue(collection);
}

TComponent* TValueWriter::GetRoot() const { return const_cast<TComponent*>(FOwner.Root()); }
TComponent* TCollectFiler::GetRoot() const { return const_cast<TComponent*>(FOwner.Root()); }

}  // namespace

TFormObject WriteComponentTree(const TComponent* root, bool allProperties) {
  TTreeWriter writer(root, allProperties);
  return writer.WriteObject(root);
}

std::string WriteComponentText(const TComponent* root) {
  return PrintForm(WriteComponentTree(root, false));
}

}  // namespace fw
