#include "framework/stream/Classes.h"

#include <algorithm>

#include "framework/core/Collection.h"
#include "framework/core/Component.h"
#include "framework/core/DataModule.h"
#include "framework/core/Strings.h"
#include "framework/core/Text.h"
#include "framework/core/TypInfo.h"

namespace fw {

namespace {

std::vector<const TClassInfo*>& Registry() {
  static std::vector<const TClassInfo*> classes;
  return classes;
}

}  // namespace

void RegisterClass(const TClassInfo& cls) {
  auto& reg = Registry();
  if (std::find(reg.begin(), reg.end(), &cls) == reg.end()) reg.push_back(&cls);
}

void RegisterClasses(std::initializer_list<const TClassInfo*> classes) {
  for (const TClassInfo* c : classes) RegisterClass(*c);
}

const TClassInfo* FindClass(std::string_view name) {
  for (const TClassInfo* c : Registry())
    if (SameText(c->Name(), name)) return c;
  return nullptr;
}

std::vector<const TClassInfo*> RegisteredClasses() { return Registry(); }

void RegisterCoreClasses() {
  RegisterClasses({&TComponent::StaticClass(), &TDataModule::StaticClass(), &TStringList::StaticClass(),
                   &TCollection::StaticClass(), &TCollectionItem::StaticClass()});
}

}  // namespace fw
