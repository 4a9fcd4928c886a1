// TCollection and TCollectionItem: an ordered list of items of one class that the
// collection creates, owns and frees; TOwnedCollection knows the persistent that owns it.
#pragma once

#include <string>
#include <vector>

#include "framework/core/Persistent.h"

namespace fw {

class TCollection;

class TCollectionItem : public TPersistent {
  FW_CLASS(TCollectionItem)
 public:
  /// Creates the item at the end of `collection` (which then owns it).
  explicit TCollectionItem(TCollection* collection);
  /// Leaves the collection.
  ~TCollectionItem() override;

  TCollection* GetCollection() const { return FCollection; }
  void SetCollection(TCollection* collection);
  int GetIndex() const;
  void SetIndex(int index);
  int GetID() const { return FID; }
  virtual std::string GetDisplayName() const { return ClassName(); }
  std::string GetNamePath() const override;
  TPersistent* GetOwner() const override;

 protected:
  /// Tells the collection that the item changed.
  void Changed(bool allItems);

 private:
  friend class TCollection;
  TCollection* FCollection = nullptr;
  int FID = 0;
};

class TCollection : public TPersistent {
  FW_CLASS(TCollection)
 public:
  /// A collection of items of `itemClass` (which must be creatable in a collection).
  explicit TCollection(const TClassInfo& itemClass);
  ~TCollection() override;

  const TClassInfo& GetItemClass() const { return *FItemClass; }
  int GetCount() const { return static_cast<int>(FItems.size()); }
  /// The item at an index; "List index out of bounds (%d)" outside 0..Count-1.
  TCollectionItem* GetItem(int index) const;
  TCollectionItem* Add();
  TCollectionItem* Insert(int index);
  void Delete(int index);
  void Clear();
  /// Copies a whole collection: empty, then one new item per source item, each assigned.
  void Assign(const TPersistent* source) override;
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  std::string GetNamePath() const override;
  /// The name of the property under which the owner publishes or streams the collection.
  virtual std::string GetPropName() const;

 protected:
  /// Called when items change (null: the whole collection).
  virtual void Update(TCollectionItem* item) {}
  void Changed();

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* item);
  void RemoveItem(TCollectionItem* item);

  const TClassInfo* FItemClass;
  std::vector<TCollectionItem*> FItems;
  int FNextID = 0;
  int FUpdateCount = 0;
};

/// A collection that knows its owner (for naming and streaming).
class TOwnedCollection : public TCollection {
  FW_CLASS(TOwnedCollection)
 public:
  TOwnedCollection(TPersistent* owner, const TClassInfo& itemClass)
      : TCollection(itemClass), FOwner(owner) {}
  TPersistent* GetOwner() const override { return FOwner; }

 private:
  TPersistent* FOwner;
};

}  // namespace fw
