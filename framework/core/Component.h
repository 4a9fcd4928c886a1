// TComponent: named objects owned by other components, freed by their owner, with free
// notification that keeps references between components valid; and the list of global
// roots (forms, data modules) that form files may refer to across roots ("DM1.DSQLang").
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/core/Persistent.h"
#include "framework/core/Sets.h"

namespace fw {

enum class TOperation { opInsert, opRemove };

enum TComponentStateFlag {
  csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor, csUpdating,
  csFixups, csFreeNotification, csInline, csDesignInstance
};
using TComponentState = TSet<TComponentStateFlag>;

class TComponent : public TPersistent {
  FW_CLASS(TComponent)
 public:
  /// Creates the component and inserts it into `owner`, which will free it.
  explicit TComponent(TComponent* owner);
  /// Notifies every component that asked (FreeNotification), frees the owned
  /// components (last created first) and leaves the owner.
  ~TComponent() override;

  TComponent* GetOwner() const override { return FOwner; }
  std::string GetNamePath() const override { return FName; }
  const std::string& GetName() const { return FName; }
  /// Renames the component: the name must be empty or a valid identifier, unique (ignoring
  /// case) among the owner's components; raises EComponentError otherwise.
  virtual void SetName(const std::string& name);
  std::int32_t GetTag() const { return FTag; }
  void SetTag(std::int32_t tag) { FTag = tag; }

  int GetComponentCount() const { return static_cast<int>(FComponents.size()); }
  /// The owned component at an index, in creation order; "List index out of bounds".
  TComponent* GetComponent(int index) const;
  int GetComponentIndex() const;
  /// The owned component of that name (case-insensitive), or null.
  TComponent* FindComponent(const std::string& name) const;
  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);
  /// Frees every owned component, last created first.
  void DestroyComponents();

  TComponentState GetComponentState() const { return FComponentState; }
  bool HasState(TComponentStateFlag flag) const { return FComponentState.Contains(flag); }
  void SetDesigning(bool value);
  /// Marks the component as being destroyed (csDestroying) and tells the owned ones.
  void Destroying();

  /// Asks `component` to call this->Notification(component, opRemove) when it is freed
  /// (and the other way round).
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);
  /// Told when a component is inserted or removed; passes the news to owned components.
  virtual void Notification(TComponent* component, TOperation operation);

  /// Called once a form file has been read completely; clears csLoading.
  virtual void Loaded();

  // Streaming hooks used by the form-file reader and writer.
  /// Calls `proc` for each child that the writer writes inside this component.
  virtual void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) const;
  /// The component that a nested object of a form file lies in, or null.
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual bool HasParent() const { return false; }
  /// Puts the component into its parent when read nested in a form file.
  virtual void SetParentComponent(TComponent* parent) {}

  // Used by the form-file reader only.
  void SetLoadingState(bool loading);
  void SetReadingState(bool reading);

 protected:
  void ChangeName(const std::string& name) { FName = name; }
  virtual void ValidateRename(TComponent* component, const std::string& curName,
                              const std::string& newName);
  virtual void ValidateInsert(TComponent* component) {}

 private:
  void Insert(TComponent* component);
  void Remove(TComponent* component);

  TComponent* FOwner = nullptr;
  std::string FName;
  std::int32_t FTag = 0;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  TComponentState FComponentState;
};

/// Roots that form files may refer to by their name ("DM1.DSQLang").
void AddGlobalRoot(TComponent* root);
void RemoveGlobalRoot(TComponent* root);
/// The global root of that name (case-insensitive), or null.
TComponent* FindGlobalComponent(const std::string& name);
/// The global roots in the order they were added (the screen lists data modules from it).
std::vector<TComponent*> GlobalRoots();

}  // namespace fw
