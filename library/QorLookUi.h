// The lookup unit's label: TQorDBText, a data-aware label that, bound to a TQorLookField,
// shows chosen result values of the field's current lookup record (for example the font
// of a person's language) instead of the field's own text.
#pragma once

#include <string>

#include "framework/dbctrls/DBMisc.h"

namespace qor {

/// A data label whose LookField names result fields of its TQorLookField (";"-separated):
/// their values in the current record are shown, in the order of LookField, separated by
/// one blank; names that are not result fields of the field are passed over. Bound to any
/// other field it is the framework's data label. The text is taken at every painting, so
/// the label follows record changes through the usual repaint on data change.
class TQorDBText : public fw::TDBText {
  FW_CLASS(TQorDBText)
 public:
  explicit TQorDBText(fw::TComponent* owner);

  const std::string& GetLookField() const { return FLookField; }
  /// Stores the list and has the label show the new values at once (resized first when
  /// AutoSize is on).
  void SetLookField(const std::string& value);

  /// With a TQorLookField bound: LookFieldsText(field, LookField); else the inherited
  /// text (the field's display text, or the caption).
  std::string GetLabelText() override;

 private:
  std::string FLookField;
};

/// Registers TQorDBText (and the framework's data controls below it) for form files.
void RegisterQorLookUiClasses();

}  // namespace qor
