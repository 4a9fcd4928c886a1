#include "framework/stream/FormReader.h"

#include <memory>
#include <vector>

#include "framework/core/Collection.h"
#include "framework/core/Component.h"
#include "framework/core/Consts.h"
#include "framework/core/Exceptions.h"
#include "framework/core/Filer.h"
#include "framework/core/Scoped.h"
#include "framework/core/Text.h"
#include "framework/core/TypInfo.h"
#include "framework/stream/Classes.h"

namespace fw {

namespace {

const char* ValueTypeName(TValueType t) {
  switch (t) {
    case TValueType::vaNull: return "nothing";
    case TValueType::vaInteger: return "an integer";
    case TValueType::vaFloat: return "a float";
    case TValueType::vaString: return "a string";
    case TValueType::vaIdent: return "an identifier";
    case TValueType::vaSet: return "a set";
    case TValueType::vaList: return "a list";
    case TValueType::vaCollection: return "a collection";
    case TValueType::vaBinary: return "binary data";
  }
  return "a value";
}

[[noreturn]] void Fail(int line, int col, const std::string& message) {
  throw EReadError(line, col, message);
}

[[noreturn]] void WrongKind(const TFormValue& v, const std::string& prop, const std::string& wanted) {
  Fail(v.Line, v.Col, Format(SFormWrongKind, {prop, wanted, ValueTypeName(v.Type)}));
}

/// One reference to resolve once the whole tree is read.
struct TFixup {
  TObject* Instance;
  const TPropInfo* Prop;
  std::string Name;
  int Line, Col;
};

/// The filer handed to DefineProperties while reading: finds the definition of one name.
class TLookupFiler : public TFiler {
 public:
  TLookupFiler(std::string name, TComponent* root) : FName(std::move(name)), FRoot(root) {}
  void DefineProperty(const std::string& name, const std::function<void(TReader&)>& read,
                      const std::function<void(TWriter&)>&, bool) override {
    if (!FFound && SameText(name, FName)) {
      FFound = true;
      FRead = read;
    }
  }
  TComponent* GetRoot() const override { return FRoot; }
  bool Found() const { return FFound; }
  const std::function<void(TReader&)>& Read() const { return FRead; }

 private:
  std::string FName;
  TComponent* FRoot;
  bool FFound = false;
  std::function<void(TReader&)> FRead;
};

class TTreeReader;

/// Reads the value of one defined property.
class TValueReader : public TReader {
 public:
  TValueReader(TTreeReader& owner, const TFormValue& value, std::string prop)
      : FOwner(owner), FValue(value), FProp(std::move(prop)) {}
  TValueType ReadValue() override { return FValue.Type; }
  std::int64_t ReadInteger() override {
    Expect(TValueType::vaInteger, "an integer");
    return FValue.Int;
  }
  double ReadFloat() override {
    if (FValue.Type == TValueType::vaInteger) return static_cast<double>(FValue.Int);
    Expect(TValueType::vaFloat, "a float");
    return FValue.Float;
  }
  std::string ReadString() override {
    Expect(TValueType::vaString, "a string");
    return FValue.Str;
  }
  std::string ReadIdent() override {
    Expect(TValueType::vaIdent, "an identifier");
    return FValue.Str;
  }
  bool ReadBoolean() override {
    Expect(TValueType::vaIdent, "True or False");
    int v = BooleanInfo().ValueOf(FValue.Str);
    if (v < 0) WrongKind(FValue, FProp, "True or False");
    return v == 1;
  }
  std::vector<std::string> ReadStringList() override {
    Expect(TValueType::vaList, "a list of strings");
    std::vector<std::string> out;
    for (const auto& v : FValue.List) {
      if (v.Type != TValueType::vaString) WrongKind(v, FProp, "a string");
      out.push_back(v.Str);
    }
    return out;
  }
  std::vector<std::uint8_t> ReadBinary() override {
    Expect(TValueType::vaBinary, "binary data");
    return {FValue.Str.begin(), FValue.Str.end()};
  }
  void ReadCollection(TCollection* collection) override;
  TComponent* GetRoot() const override;

 private:
  void Expect(TValueType t, const char* wanted) {
    if (FValue.Type != t) WrongKind(FValue, FProp, wanted);
  }
  TTreeReader& FOwner;
  const TFormValue& FValue;
  std::string FProp;
};

/// Reads one tree into a root, remembering what it created so that a failure can undo it.
class TTreeReader {
 public:
  explicit TTreeReader(TComponent* root) : FRoot(root) {}

  /*
  ** Reads the root's properties and children, resolves the references, then finishes every
  ** component read (Loaded) in the order they were read. An error of Loaded (a dataset that
  ** cannot open, say) is raised at the place of that component's object in the file.
  */
  void ReadRootBody(const TFormObject& tree) {
    FLoaded.push_back({FRoot, tree.Line, tree.Col});
    FRoot->SetLoadingState(true);
    FRoot->SetReadingState(true);
    ReadBody(FRoot, tree);
    for (const TFixup& f : FFixups) Resolve(f);
    for (const TLoadedAt& l : FLoaded) l.Component->SetReadingState(false);
    for (const TLoadedAt& l : FLoaded) Guard(l.Line, l.Col, [&] { l.Component->Loaded(); });
  }

  /// Frees what the read created (last first) and clears the root's loading state.
  void Undo() {
    for (auto it = FCreated.rbegin(); it != FCreated.rend(); ++it) delete *it;
    FCreated.clear();
    FRoot->SetReadingState(false);
    FRoot->SetLoadingState(false);
  }

  TComponent* Root() const { return FRoot; }

  void ReadCollectionItems(TCollection* collection, const TFormValue& value) {
    collection->BeginUpdate();
    TScopeExit endUpdate([collection] { collection->EndUpdate(); });
    collection->Clear();
    for (const TFormItem& item : value.Items) {
      TCollectionItem* obj = Guard(item.Line, item.Col, [&] { return collection->Add(); });
      for (const TFormProperty& p : item.Props) ReadProperty(obj, p);
    }
  }

 private:
  template <class F>
  auto Guard(int line, int col, F&& f) -> decltype(f()) {
    try {
      return f();
    } catch (const EFormSyntaxError&) {
      throw;
    } catch (const std::exception& e) {
      Fail(line, col, e.what());
    }
  }

  void ReadBody(TComponent* instance, const TFormObject& obj) {
    for (const TFormProperty& p : obj.Props) ReadProperty(instance, p);
    for (const TFormObject& child : obj.Children) ReadChild(instance, child);
  }

  void ReadChild(TComponent* parent, const TFormObject& obj) {
    if (++FDepth > MaxFormNesting) Fail(obj.Line, obj.Col, SFormObjectsTooDeep);
    const TClassInfo* cls = FindClass(obj.ClassName);
    if (!cls) Fail(obj.Line, obj.Col, Format(SFormUnknownClass, {obj.ClassName}));
    if (!cls->CreateComponent) Fail(obj.Line, obj.Col, Format(SFormNotComponentClass, {obj.ClassName}));
    TComponent* c = nullptr;
    if (!SameText(obj.Keyword, "object")) c = FRoot->FindComponent(obj.Name);
    if (!c) {
      std::unique_ptr<TComponent> guard(Guard(obj.Line, obj.Col, [&] { return cls->CreateComponent(nullptr); }));
      guard->SetLoadingState(true);
      guard->SetReadingState(true);
      Guard(obj.Line, obj.Col, [&] {
        guard->SetName(obj.Name);
        FRoot->InsertComponent(guard.get());
      });
      c = guard.release();
      FCreated.push_back(c);
      FLoaded.push_back({c, obj.Line, obj.Col});
      if (parent != FRoot) Guard(obj.Line, obj.Col, [&] { c->SetParentComponent(parent); });
    }
    ReadBody(c, obj);
    --FDepth;
  }

  void ReadProperty(TObject* instance, const TFormProperty& p) {
    // Walk a dotted path through owned sub-objects ("SQL.Strings", "Font.Name").
    TObject* target = instance;
    std::string path = p.Name;
    std::size_t dot;
    while ((dot = path.find('.')) != std::string::npos) {
      std::string head = path.substr(0, dot);
      const TPropInfo* sub = GetPropInfo(target, head);
      if (!sub) Fail(p.Line, p.Col, Format(SFormUnknownProperty, {head, target->ClassName()}));
      if (sub->Kind != TTypeKind::tkClass || sub->IsReference)
        Fail(p.Line, p.Col, Format(SFormNoSubProperties, {head, target->ClassName()}));
      target = sub->GetObj(target);
      if (!target) Fail(p.Line, p.Col, Format(SFormNoObject, {head}));
      path = path.substr(dot + 1);
    }

    if (auto* persistent = dynamic_cast<TPersistent*>(target)) {
      TLookupFiler filer(path, FRoot);
      persistent->DefineProperties(&filer);
      if (filer.Found()) {
        TValueReader reader(*this, p.Value, p.Name);
        Guard(p.Line, p.Col, [&] { filer.Read()(reader); });
        return;
      }
    }

    const TPropInfo* prop = GetPropInfo(target, path);
    if (!prop) Fail(p.Line, p.Col, Format(SFormUnknownProperty, {path, target->ClassName()}));
    SetValue(target, prop, p.Value, p.Name);
  }

  void SetValue(TObject* target, const TPropInfo* prop, const TFormValue& v, const std::string& name) {
    switch (prop->Kind) {
      case TTypeKind::tkInteger:
        if (v.Type != TValueType::vaInteger) WrongKind(v, name, "an integer");
        Guard(v.Line, v.Col, [&] { SetOrdProp(target, prop, v.Int); });
        return;
      case TTypeKind::tkEnumeration: {
        if (v.Type != TValueType::vaIdent) WrongKind(v, name, "one of " + Names(prop->EnumType));
        int ord = prop->EnumType->ValueOf(v.Str);
        if (ord < 0) Fail(v.Line, v.Col, Format(SFormWrongKind, {name, "one of " + Names(prop->EnumType), v.Str}));
        Guard(v.Line, v.Col, [&] { SetOrdProp(target, prop, ord); });
        return;
      }
      case TTypeKind::tkSet: {
        if (v.Type != TValueType::vaSet) WrongKind(v, name, "a set of " + Names(prop->EnumType));
        std::uint64_t bits = 0;
        for (const std::string& e : v.Elements) {
          int ord = prop->EnumType->ValueOf(e);
          if (ord < 0 || ord >= 64) Fail(v.Line, v.Col, Format(SFormNoElement, {name, e}));
          bits |= std::uint64_t{1} << ord;
        }
        Guard(v.Line, v.Col, [&] { SetOrdProp(target, prop, static_cast<std::int64_t>(bits)); });
        return;
      }
      case TTypeKind::tkFloat: {
        double d;
        if (v.Type == TValueType::vaFloat)
          d = v.Float;
        else if (v.Type == TValueType::vaInteger)
          d = static_cast<double>(v.Int);
        else
          WrongKind(v, name, "a number");
        Guard(v.Line, v.Col, [&] { SetFloatProp(target, prop, d); });
        return;
      }
      case TTypeKind::tkString:
        if (v.Type != TValueType::vaString) WrongKind(v, name, "a string");
        Guard(v.Line, v.Col, [&] { SetStrProp(target, prop, v.Str); });
        return;
      case TTypeKind::tkMethod:
        if (v.Type != TValueType::vaIdent) WrongKind(v, name, "a handler name");
        if (SameText(v.Str, "nil")) {
          Guard(v.Line, v.Col, [&] { SetMethodProp(target, prop, TMethod{}); });
          return;
        }
        Guard(v.Line, v.Col, [&] { SetMethodPropByName(target, prop, FRoot, v.Str); });
        return;
      case TTypeKind::tkClass:
        if (prop->IsReference) {
          if (v.Type != TValueType::vaIdent) WrongKind(v, name, "a component name");
          if (SameText(v.Str, "nil")) {
            Guard(v.Line, v.Col, [&] { SetObjectProp(target, prop, nullptr); });
            return;
          }
          if (!prop->IsWritable()) Fail(v.Line, v.Col, Format(SFormReadOnly, {name}));
          FFixups.push_back({target, prop, v.Str, v.Line, v.Col});
          return;
        }
        if (v.Type == TValueType::vaCollection) {
          auto* coll = dynamic_cast<TCollection*>(prop->GetObj(target));
          if (!coll) WrongKind(v, name, "sub-properties");
          ReadCollectionItems(coll, v);
          return;
        }
        WrongKind(v, name, "sub-properties");
    }
  }

  static std::string Names(const TEnumInfo* e) {
    std::string out;
    for (std::size_t i = 0; i < e->Names.size() && i < 12; ++i) {
      if (i) out += ", ";
      out += e->Names[i];
    }
    if (e->Names.size() > 12) out += ", ...";
    return out;
  }

  void Resolve(const TFixup& f) {
    TComponent* target = nullptr;
    std::size_t dot = f.Name.find('.');
    if (dot == std::string::npos) {
      if (SameText(f.Name, FRoot->GetName()))
        target = FRoot;
      else if (!(target = FRoot->FindComponent(f.Name)))
        target = FindGlobalComponent(f.Name);
    } else {
      std::string rootName = f.Name.substr(0, dot);
      std::string rest = f.Name.substr(dot + 1);
      TComponent* other = SameText(rootName, FRoot->GetName()) ? FRoot : FindGlobalComponent(rootName);
      if (other && rest.find('.') == std::string::npos) target = other->FindComponent(rest);
    }
    if (!target) Fail(f.Line, f.Col, Format(SFormUnresolved, {f.Name}));
    if (!target->InheritsFrom(f.Prop->ClassType()))
      Fail(f.Line, f.Col, Format(SFormReferenceClass, {f.Prop->Name, f.Prop->ClassType().Name(), f.Name,
                                                        target->ClassName()}));
    Guard(f.Line, f.Col, [&] { SetObjectProp(f.Instance, f.Prop, target); });
  }

  TComponent* FRoot;
  std::vector<TComponent*> FCreated;
  /// A component read from the file and the place of its object there.
  struct TLoadedAt {
    TComponent* Component;
    int Line, Col;
  };
  std::vector<TLoadedAt> FLoaded;
  std::vector<TFixup> FFixups;
  int FDepth = 0;
};

void TValueReader::ReadCollection(TCollection* collection) {
  Expect(TValueType::vaCollection, "a collection");
  FOwner.ReadCollectionItems(collection, FValue);
}

TComponent* TValueReader::GetRoot() const { return FOwner.Root(); }

void CheckRootClass(const TFormObject& tree, const TComponent* root) {
  const TClassInfo* cls = FindClass(tree.ClassName);
  if (!cls) Fail(tree.Line, tree.Col, Format(SFormUnknownClass, {tree.ClassName}));
  if (!root->InheritsFrom(*cls))
    Fail(tree.Line, tree.Col, Format(SFormRootClass, {tree.ClassName, root->ClassName()}));
}

}  // namespace

void ReadComponentTreeInto(const TFormObject& tree, TComponent* root) {
  CheckRootClass(tree, root);
  TTreeReader reader(root);
  try {
    if (!tree.Name.empty() && tree.Name != root->GetName()) {
      try {
        root->SetName(tree.Name);
      } catch (const std::exception& e) {
        Fail(tree.Line, tree.Col, e.what());
      }
    }
    reader.ReadRootBody(tree);
  } catch (...) {
    reader.Undo();
    throw;
  }
}

TComponent* ReadComponentTree(const TFormObject& tree, TComponent* owner) {
  const TClassInfo* cls = FindClass(tree.ClassName);
  if (!cls) Fail(tree.Line, tree.Col, Format(SFormUnknownClass, {tree.ClassName}));
  if (!cls->CreateComponent) Fail(tree.Line, tree.Col, Format(SFormNotComponentClass, {tree.ClassName}));
  std::unique_ptr<TComponent> root;
  try {
    root.reset(cls->CreateComponent(nullptr));
    if (!tree.Name.empty()) root->SetName(tree.Name);
    if (owner) owner->InsertComponent(root.get());
  } catch (const EFormSyntaxError&) {
    throw;
  } catch (const std::exception& e) {
    Fail(tree.Line, tree.Col, e.what());
  }
  ReadComponentTreeInto(tree, root.get());
  return root.release();
}

void ReadComponentInto(const std::string& text, TComponent* root) {
  ReadComponentTreeInto(ParseForm(text), root);
}

TComponent* ReadComponentText(const std::string& text, TComponent* owner) {
  return ReadComponentTree(ParseForm(text), owner);
}

}  // namespace fw
