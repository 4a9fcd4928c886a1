#include "framework/core/Component.h"

#include <algorithm>

#include "framework/core/Consts.h"
#include "framework/core/Exceptions.h"
#include "framework/core/Text.h"
#include "framework/core/TypInfo.h"

namespace fw {

namespace {

std::vector<TComponent*>& GlobalRootList() {
  static std::vector<TComponent*> roots;
  return roots;
}

void Erase(std::vector<TComponent*>& list, TComponent* c) {
  auto it = std::find(list.begin(), list.end(), c);
  if (it != list.end()) list.erase(it);
}

}  // namespace

const TClassInfo& TComponent::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TComponent>("TComponent", &TPersistent::StaticClass())
          .Prop("Name", &TComponent::GetName, &TComponent::SetName).Stored(false)
          .Prop("Tag", &TComponent::GetTag, &TComponent::SetTag).Default(0)
          .Build();
  return info;
}

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  // Tell everyone who asked; each one removes us from its own list in Notification.
  while (!FFreeNotifies.empty()) {
    TComponent* other = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    Erase(other->FFreeNotifies, this);
    other->Notification(this, TOperation::opRemove);
  }
  DestroyComponents();
  if (FOwner) FOwner->RemoveComponent(this);
  RemoveGlobalRoot(this);
}

void TComponent::SetName(const std::string& name) {
  if (name == FName) return;
  if (!name.empty() && !IsValidIdent(name))
    throw EComponentError(Format(SInvalidName, {name}));
  if (FOwner)
    FOwner->ValidateRename(this, FName, name);
  else
    ValidateRename(nullptr, FName, name);
  ChangeName(name);
}

void TComponent::ValidateRename(TComponent* component, const std::string& curName,
                                const std::string& newName) {
  if (!component || newName.empty() || SameText(curName, newName)) return;
  TComponent* other = FindComponent(newName);
  if (other && other != component) throw EComponentError(Format(SDuplicateName, {newName}));
}

TComponent* TComponent::GetComponent(int index) const {
  if (index < 0 || index >= GetComponentCount()) ListIndexError(index);
  return FComponents[static_cast<std::size_t>(index)];
}

int TComponent::GetComponentIndex() const {
  if (!FOwner) return -1;
  auto& list = FOwner->FComponents;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(const std::string& name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : FComponents)
    if (SameText(c->FName, name)) return c;
  return nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
  ValidateInsert(component);
  ValidateRename(component, {}, component->FName);
  if (component->FOwner) component->FOwner->RemoveComponent(component);
  Insert(component);
  Notification(component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  Notification(component, TOperation::opRemove);
  Remove(component);
}

void TComponent::Insert(TComponent* component) {
  FComponents.push_back(component);
  component->FOwner = this;
}

void TComponent::Remove(TComponent* component) {
  component->FOwner = nullptr;
  Erase(FComponents, component);
}

void TComponent::DestroyComponents() {
  // A component may free a sibling while it is destroyed: take the last one each time.
  while (!FComponents.empty()) {
    TComponent* instance = FComponents.back();
    RemoveComponent(instance);
    delete instance;
  }
}

void TComponent::Destroying() {
  if (HasState(csDestroying)) return;
  FComponentState.Include(csDestroying);
  for (TComponent* c : FComponents) c->Destroying();
}

void TComponent::SetDesigning(bool value) {
  if (value)
    FComponentState.Include(csDesigning);
  else
    FComponentState.Exclude(csDesigning);
  for (TComponent* c : FComponents) c->SetDesigning(value);
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  FComponentState.Include(csFreeNotification);
  // Components of one owner hear of each other's removal through the owner.
  if (FOwner && component->FOwner == FOwner) return;
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component) == FFreeNotifies.end())
    FFreeNotifies.push_back(component);
  if (std::find(component->FFreeNotifies.begin(), component->FFreeNotifies.end(), this) ==
      component->FFreeNotifies.end())
    component->FFreeNotifies.push_back(this);
  FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (!component) return;
  Erase(FFreeNotifies, component);
  Erase(component->FFreeNotifies, this);
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == TOperation::opRemove && component) RemoveFreeNotification(component);
  // Walk by index from the end: a handler may free owned components.
  for (std::size_t i = FComponents.size(); i-- > 0;) {
    if (i >= FComponents.size()) continue;
    FComponents[i]->Notification(component, operation);
  }
}

void TComponent::Loaded() { FComponentState.Exclude(csLoading); }

void TComponent::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) const {
  if (root != this) return;
  for (TComponent* c : FComponents)
    if (!c->HasParent()) proc(c);
}

void TComponent::SetLoadingState(bool loading) {
  if (loading)
    FComponentState.Include(csLoading);
  else
    FComponentState.Exclude(csLoading);
}

void TComponent::SetReadingState(bool reading) {
  if (reading)
    FComponentState.Include(csReading);
  else
    FComponentState.Exclude(csReading);
}

void AddGlobalRoot(TComponent* root) {
  auto& roots = GlobalRootList();
  if (root && std::find(roots.begin(), roots.end(), root) == roots.end()) roots.push_back(root);
}

void RemoveGlobalRoot(TComponent* root) { Erase(GlobalRootList(), root); }

std::vector<TComponent*> GlobalRoots() { return GlobalRootList(); }

TComponent* FindGlobalComponent(const std::string& name) {
  for (TComponent* c : GlobalRootList())
    if (SameText(c->GetName(), name)) return c;
  return nullptr;
}

}  // namespace fw
