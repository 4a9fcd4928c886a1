#include "library/QorLook.h"

#include "framework/core/Component.h"
#include "framework/core/TypInfo.h"
#include "framework/data/DataSet.h"

namespace qor {

// ------------------------------------------------------------------ lookup levels

const fw::TClassInfo& TQorLookupLevelItem::StaticClass() {
  static const fw::TClassInfo& info =
      fw::TClassBuilder<TQorLookupLevelItem>("TQorLookupLevelItem", &fw::TCollectionItem::StaticClass())
          .Prop("DataSet", &TQorLookupLevelItem::GetDataSet, &TQorLookupLevelItem::SetDataSet)
          .Prop("FilterField", &TQorLookupLevelItem::GetFilterField, &TQorLookupLevelItem::SetFilterField)
          .Prop("KeyField", &TQorLookupLevelItem::GetKeyField, &TQorLookupLevelItem::SetKeyField)
          .Prop("ResultFields", &TQorLookupLevelItem::GetResultFields, &TQorLookupLevelItem::SetResultFields)
          .Build();
  return info;
}

void TQorLookupLevelItem::SetDataSet(fw::TDataSet* value) {
  if (value == FDataSet) return;
  FDataSet = value;
  if (!value || !GetCollection()) return;
  if (auto* owner = dynamic_cast<fw::TComponent*>(GetCollection()->GetOwner()))
    value->FreeNotification(owner);
}

void TQorLookupLevelItem::Assign(const fw::TPersistent* source) {
  if (auto* level = dynamic_cast<const TQorLookupLevelItem*>(source)) {
    SetDataSet(level->FDataSet);
    FFilterField = level->FFilterField;
    FKeyField = level->FKeyField;
    FResultFields = level->FResultFields;
    return;
  }
  fw::TCollectionItem::Assign(source);
}

const fw::TClassInfo& TQorLookupLevelCol::StaticClass() {
  static const fw::TClassInfo& info =
      fw::TClassBuilder<TQorLookupLevelCol>("TQorLookupLevelCol", &fw::TCollection::StaticClass()).Build();
  return info;
}

TQorLookupLevelCol::TQorLookupLevelCol(fw::TComponent* owner)
    : fw::TCollection(TQorLookupLevelItem::StaticClass()), FOwner(owner) {}

fw::TPersistent* TQorLookupLevelCol::GetOwner() const { return FOwner; }

// The index is compared with Count as a signed number, so a negative index goes on to
// GetItem and raises its index error.

fw::TDataSet* TQorLookupLevelCol::LevelDataSet(int index) const {
  if (index >= GetCount()) return nullptr;
  return GetItem(index)->GetDataSet();
}

void TQorLookupLevelCol::SetLevelDataSet(int index, fw::TDataSet* value) {
  if (index >= GetCount()) return;
  GetItem(index)->SetDataSet(value);
}

std::string TQorLookupLevelCol::LevelKeyField(int index) const {
  if (index >= GetCount()) return {};
  return GetItem(index)->GetKeyField();
}

std::string TQorLookupLevelCol::LevelResultFields(int index) const {
  if (index >= GetCount()) return {};
  return GetItem(index)->GetResultFields();
}

std::string LevelFilterField(const TQorLookupLevelCol* c, int index) {
  if (!c || index >= c->GetCount()) return {};
  return c->GetItem(index)->GetFilterField();
}

}  // namespace qor
