// Classes of the lookup units. For now: the levels of a multi-level lookup, where the user
// reaches the wanted record in steps, each upper dataset (a level) restricting the next
// one; a lookup field or lookup combo keeps its levels in a TQorLookupLevelCol.
#pragma once

#include <string>

#include "framework/core/Collection.h"

namespace fw {
class TComponent;
class TDataSet;
}  // namespace fw

namespace qor {

// ------------------------------------------------------------------ lookup levels

/// One level of a multi-level lookup: the dataset to choose from, the field that filters
/// it, its key field and the fields shown for its records.
class TQorLookupLevelItem : public fw::TCollectionItem {
  FW_CLASS(TQorLookupLevelItem)
 public:
  explicit TQorLookupLevelItem(fw::TCollection* collection) : fw::TCollectionItem(collection) {}

  fw::TDataSet* GetDataSet() const { return FDataSet; }
  /// Refers to another dataset and asks it to tell the collection's owner component when
  /// it is freed (the owner then clears the levels that refer to it). Setting the current
  /// dataset again does nothing.
  void SetDataSet(fw::TDataSet* value);
  const std::string& GetFilterField() const { return FFilterField; }
  void SetFilterField(const std::string& value) { FFilterField = value; }
  const std::string& GetKeyField() const { return FKeyField; }
  void SetKeyField(const std::string& value) { FKeyField = value; }
  const std::string& GetResultFields() const { return FResultFields; }
  void SetResultFields(const std::string& value) { FResultFields = value; }

  /// Copies another level (its DataSet through SetDataSet, so this collection's owner is
  /// notified of its freeing too); any other source raises fw::EConvertError.
  void Assign(const fw::TPersistent* source) override;

 private:
  fw::TDataSet* FDataSet = nullptr;
  std::string FFilterField;
  std::string FKeyField;
  std::string FResultFields;
};

/// The levels of a lookup field or lookup combo. The owner component is given at creation
/// and never changes; it must clear the levels of a freed dataset in its Notification
/// (SetLevelDataSet(i, nullptr) for every level i that refers to it).
///
/// The level accessors take an index from 0: an index at or above Count gives an empty
/// result (or, for SetLevelDataSet, does nothing); a negative index raises fw::EListError
/// "List index out of bounds (%d)".
class TQorLookupLevelCol : public fw::TCollection {
  FW_CLASS(TQorLookupLevelCol)
 public:
  explicit TQorLookupLevelCol(fw::TComponent* owner);

  /// The owner component.
  fw::TPersistent* GetOwner() const override;
  TQorLookupLevelItem* GetItem(int index) const {
    return static_cast<TQorLookupLevelItem*>(fw::TCollection::GetItem(index));
  }
  TQorLookupLevelItem* Add() { return static_cast<TQorLookupLevelItem*>(fw::TCollection::Add()); }

  fw::TDataSet* LevelDataSet(int index) const;
  void SetLevelDataSet(int index, fw::TDataSet* value);
  std::string LevelKeyField(int index) const;
  std::string LevelResultFields(int index) const;

 private:
  fw::TComponent* const FOwner;
};

/// The FilterField of level `index` of the collection (same index rule as the
/// collection's accessors; a null collection gives the empty string).
std::string LevelFilterField(const TQorLookupLevelCol* c, int index);

}  // namespace qor
