#include "library/QorLookUi.h"

#include "framework/core/TypInfo.h"
#include "framework/stream/Classes.h"
#include "library/QorLook.h"

namespace qor {

const fw::TClassInfo& TQorDBText::StaticClass() {
  static const fw::TClassInfo& info =
      fw::TClassBuilder<TQorDBText>("TQorDBText", &fw::TDBText::StaticClass())
          .Prop("LookField", &TQorDBText::GetLookField, &TQorDBText::SetLookField)
          .Build();
  return info;
}

TQorDBText::TQorDBText(fw::TComponent* owner) : fw::TDBText(owner) {}

void TQorDBText::SetLookField(const std::string& value) {
  FLookField = value;
  AdjustBounds();
  Invalidate();
}

std::string TQorDBText::GetLabelText() {
  if (auto* field = dynamic_cast<TQorLookField*>(GetField())) return LookFieldsText(field, FLookField);
  return fw::TDBText::GetLabelText();
}

void RegisterQorLookUiClasses() {
  fw::RegisterDBMiscClasses();
  fw::RegisterClasses({&TQorDBText::StaticClass()});
}

}  // namespace qor
