// Two small data-aware controls: TDBText, a label that shows its field's display text, and
// TDBCheckBox, a check box that edits a boolean (or a two-valued text) field.
#pragma once

#include <memory>
#include <string>

#include "framework/data/DataSource.h"
#include "framework/ui/Controls.h"

namespace fw {

/// A label that shows the display text of its field in the current record. It takes no
/// input; it follows record movement, edits and state changes through its data link.
class TDBText : public TGraphicControl {
  FW_CLASS(TDBText)
 public:
  explicit TDBText(TComponent* owner);
  ~TDBText() override;

  TDataSource* GetDataSource() const { return FDataLink->GetDataSource(); }
  void SetDataSource(TDataSource* source);
  const std::string& GetDataField() const { return FDataLink->GetFieldName(); }
  void SetDataField(const std::string& name) { FDataLink->SetFieldName(name); }
  /// The bound field while the link is active, else null.
  TField* GetField() const { return FDataLink->GetField(); }
  TFieldDataLink* GetDataLink() const { return FDataLink.get(); }

  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);
  /// The label takes the size of its text at every data change.
  bool GetAutoSize() const { return FAutoSize; }
  void SetAutoSize(bool v);
  /// The parent shows through (no background is painted).
  bool GetTransparent() const { return FTransparent; }
  void SetTransparent(bool v);
  /// Lines break at blanks to fit the width.
  bool GetWordWrap() const { return FWordWrap; }
  void SetWordWrap(bool v);

  /// The text that the label paints and measures: the field's display text when a field
  /// is bound, else the caption.
  virtual std::string GetLabelText();

  void Notification(TComponent* component, TOperation operation) override;
  void Loaded() override;

 protected:
  void Paint() override;
  /// Sizes the label to its text (AutoSize).
  void AdjustBounds();

 private:
  void DataChange(TObject* sender);

  std::unique_ptr<TFieldDataLink> FDataLink;
  TAlignment FAlignment = taLeftJustify;
  bool FAutoSize = false;
  bool FTransparent = false;
  bool FWordWrap = false;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
FW_ENUM_INFO(TCheckBoxState, "cbUnchecked", "cbChecked", "cbGrayed")

/// A check box bound to a field. The field's value decides the state: a boolean field's
/// value, or for other fields its text found among ValueChecked or ValueUnchecked (each a
/// ";" list, compared without case); a null value or any other text shows grey. Space and
/// a click toggle it: the dataset goes into edit state and the field takes True/False (the
/// first value of ValueChecked/ValueUnchecked for a text field) at once. A read-only check
/// box, field or dataset refuses the toggle and keeps its state.
class TDBCheckBox : public TCustomControl {
  FW_CLASS(TDBCheckBox)
 public:
  explicit TDBCheckBox(TComponent* owner);
  ~TDBCheckBox() override;

  TDataSource* GetDataSource() const { return FDataLink->GetDataSource(); }
  void SetDataSource(TDataSource* source);
  const std::string& GetDataField() const { return FDataLink->GetFieldName(); }
  void SetDataField(const std::string& name) { FDataLink->SetFieldName(name); }
  TField* GetField() const { return FDataLink->GetField(); }
  TFieldDataLink* GetDataLink() const { return FDataLink.get(); }

  bool GetReadOnly() const { return FDataLink->GetReadOnly(); }
  void SetReadOnly(bool v) { FDataLink->SetReadOnly(v); }
  const std::string& GetValueChecked() const { return FValueChecked; }
  void SetValueChecked(const std::string& v);
  const std::string& GetValueUnchecked() const { return FValueUnchecked; }
  void SetValueUnchecked(const std::string& v);
  bool IsValueCheckedStored() const { return FValueChecked != "True"; }
  bool IsValueUncheckedStored() const { return FValueUnchecked != "False"; }
  TCheckBoxState GetState() const { return FState; }
  bool GetChecked() const { return FState == cbChecked; }
  TAlignment GetAlignment() const { return FAlignment; }
  /// taLeftJustify puts the caption left of the box, anything else right of it.
  void SetAlignment(TAlignment v);

  /// Flips the state through the field (see the class comment); false when refused.
  bool Toggle();

  unsigned GetDlgCode() const override { return DLGC_WANTCHARS; }
  /// Space toggles.
  void KeyPress(TKeyChar& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  /// A click toggles; OnClick fires when the toggle was taken.
  void Click() override;
  void WMSetFocus() override;
  void WMKillFocus() override;
  void Notification(TComponent* component, TOperation operation) override;

 protected:
  void Paint() override;

 private:
  void DataChange(TObject* sender);
  /// The state that the field's current value shows.
  TCheckBoxState StateOfField() const;

  std::unique_ptr<TFieldDataLink> FDataLink;
  std::string FValueChecked = "True";
  std::string FValueUnchecked = "False";
  TCheckBoxState FState = cbUnchecked;
  TAlignment FAlignment = taRightJustify;
};

/// Registers TDBText and TDBCheckBox for form files.
void RegisterDBMiscClasses();

}  // namespace fw
