#include "framework/core/Collection.h"

#include <algorithm>

#include "framework/core/Consts.h"
#include "framework/core/Exceptions.h"
#include "framework/core/Scoped.h"
#include "framework/core/TypInfo.h"

namespace fw {

const TClassInfo& TCollectionItem::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TCollectionItem>("TCollectionItem", &TPersistent::StaticClass()).Build();
  return info;
}

TCollectionItem::TCollectionItem(TCollection* collection) { SetCollection(collection); }

TCollectionItem::~TCollectionItem() { SetCollection(nullptr); }

void TCollectionItem::SetCollection(TCollection* collection) {
  if (collection == FCollection) return;
  if (FCollection) FCollection->RemoveItem(this);
  if (collection) collection->InsertItem(this);
}

int TCollectionItem::GetIndex() const {
  if (!FCollection) return -1;
  auto& items = FCollection->FItems;
  auto it = std::find(items.begin(), items.end(), this);
  return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void TCollectionItem::SetIndex(int index) {
  int cur = GetIndex();
  if (cur < 0 || index == cur) return;
  auto& items = FCollection->FItems;
  if (index < 0 || index >= static_cast<int>(items.size())) ListIndexError(index);
  items.erase(items.begin() + cur);
  items.insert(items.begin() + index, this);
  Changed(true);
}

std::string TCollectionItem::GetNamePath() const {
  if (!FCollection) return ClassName();
  return FCollection->GetNamePath() + "[" + std::to_string(GetIndex()) + "]";
}

TPersistent* TCollectionItem::GetOwner() const { return FCollection; }

void TCollectionItem::Changed(bool allItems) {
  if (FCollection && FCollection->FUpdateCount == 0) FCollection->Update(allItems ? nullptr : this);
}

const TClassInfo& TCollection::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TCollection>("TCollection", &TPersistent::StaticClass()).Build();
  return info;
}

TCollection::TCollection(const TClassInfo& itemClass) : FItemClass(&itemClass) {}

TCollection::~TCollection() {
  FUpdateCount = 1;  // no Update calls into a half-destroyed derived object
  Clear();
}

TCollectionItem* TCollection::GetItem(int index) const {
  if (index < 0 || index >= GetCount()) ListIndexError(index);
  return FItems[static_cast<std::size_t>(index)];
}

TCollectionItem* TCollection::Add() {
  if (!FItemClass->CreateItem)
    throw EConvertError(Format(SCollectionItemClass, {FItemClass->Name()}));
  TCollectionItem* item = FItemClass->CreateItem(this);
  Changed();
  return item;
}

TCollectionItem* TCollection::Insert(int index) {
  if (index < 0 || index > GetCount()) ListIndexError(index);
  TCollectionItem* item = Add();
  item->SetIndex(index);
  return item;
}

void TCollection::Delete(int index) { delete GetItem(index); }

void TCollection::Clear() {
  if (FItems.empty()) return;
  BeginUpdate();
  while (!FItems.empty()) delete FItems.back();
  EndUpdate();
}

void TCollection::Assign(const TPersistent* source) {
  auto* other = dynamic_cast<const TCollection*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  BeginUpdate();
  TScopeExit endUpdate([this] { EndUpdate(); });
  Clear();
  for (TCollectionItem* item : other->FItems) Add()->Assign(item);
}

void TCollection::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) Changed();
}

void TCollection::Changed() {
  if (FUpdateCount == 0) Update(nullptr);
}

std::string TCollection::GetPropName() const {
  TPersistent* owner = GetOwner();
  if (!owner) return {};
  for (const TPropInfo* p : owner->ClassType().Props())
    if (p->Kind == TTypeKind::tkClass && !p->IsReference && p->GetObj(owner) == this) return p->Name;
  return {};
}

std::string TCollection::GetNamePath() const {
  TPersistent* owner = GetOwner();
  if (!owner) return ClassName();
  std::string name = GetPropName();
  if (name.empty()) name = ClassName();
  std::string ownerPath = owner->GetNamePath();
  return ownerPath.empty() ? name : ownerPath + "." + name;
}

void TCollection::InsertItem(TCollectionItem* item) {
  FItems.push_back(item);
  item->FCollection = this;
  item->FID = FNextID++;
}

void TCollection::RemoveItem(TCollectionItem* item) {
  auto it = std::find(FItems.begin(), FItems.end(), item);
  if (it != FItems.end()) FItems.erase(it);
  item->FCollection = nullptr;
  Changed();
}

const TClassInfo& TOwnedCollection::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TOwnedCollection>("TOwnedCollection", &TCollection::StaticClass()).Build();
  return info;
}

}  // namespace fw
