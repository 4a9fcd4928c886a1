// Data-aware edit, memo and image: a standard control plus a TFieldDataLink. The protocol
// each follows:
//   - DataChange shows the field of the current record (a DB edit its edit text while it
//     has the focus and may change it, its display text otherwise);
//   - the user's first change puts the dataset into edit state (EditCanModify asks the
//     link's Edit) and is refused when the field or the dataset cannot be modified, or the
//     control is ReadOnly;
//   - the link's UpdateData writes the control's value into the field (at Post and when the
//     control is left); a value the field does not take ("abc" into an integer field) raises
//     the field's conversion error, the focus comes back with the text selected, and the
//     record keeps what it had;
//   - Esc puts the field's value back into the control (Reset);
//   - Notification clears the data source when it is freed.
#pragma once

#include <memory>
#include <string>

#include "framework/controls/Mask.h"
#include "framework/controls/StdCtrls.h"
#include "framework/data/DataSource.h"
#include "framework/ui/Controls.h"
#include "framework/ui/Graphics.h"

namespace fw {

/// The field link of a data-aware control: as TFieldDataLink, and a request of the dataset
/// to focus the link's field (TField::FocusControl) focuses the control.
class TControlFieldDataLink : public TFieldDataLink {
  FW_CLASS(TControlFieldDataLink)
 public:
  explicit TControlFieldDataLink(TWinControl* control) { SetControl(control); }

 protected:
  void FocusControl(TField* field) override;
};

/// An edit of one field; the field's EditMask is its mask.
class TDBEdit : public TCustomMaskEdit {
  FW_CLASS(TDBEdit)
 public:
  explicit TDBEdit(TComponent* owner);
  ~TDBEdit() override;

  TDataSource* GetDataSource() const { return FDataLink->GetDataSource(); }
  void SetDataSource(TDataSource* source);
  const std::string& GetDataField() const { return FDataLink->GetFieldName(); }
  void SetDataField(const std::string& name) { FDataLink->SetFieldName(name); }
  TField* GetField() const { return FDataLink->GetField(); }
  /// The link's ReadOnly: the edit never changes its field.
  bool GetReadOnly() const { return FDataLink->GetReadOnly(); }
  void SetReadOnly(bool v) { FDataLink->SetReadOnly(v); }
  TFieldDataLink* GetDataLink() const { return FDataLink.get(); }

  void KeyPress(TKeyChar& key) override;
  void DoEnter() override;
  /// Writes the value into the record (UpdateRecord) before OnExit; when the field does
  /// not take it, the focus comes back with the text selected and the error goes on.
  void DoExit() override;
  void Notification(TComponent* component, TOperation operation) override;

 protected:
  bool EditCanModify() override;
  void Change() override;
  bool WantsEscape() const override { return GetModified(); }
  TAlignment DisplayAlignment() const override;

 private:
  void DataChange(TObject* sender);
  void UpdateData(TObject* sender);
  void SetFocused(bool focused);
  std::unique_ptr<TControlFieldDataLink> FDataLink;
  bool FFocused = false;
};

/// A memo of one field (a memo field, or the text of any other). Without AutoDisplay it
/// shows the field's label in brackets until LoadMemo (a double click or Enter).
class TDBMemo : public TCustomMemo {
  FW_CLASS(TDBMemo)
 public:
  explicit TDBMemo(TComponent* owner);
  ~TDBMemo() override;

  TDataSource* GetDataSource() const { return FDataLink->GetDataSource(); }
  void SetDataSource(TDataSource* source);
  const std::string& GetDataField() const { return FDataLink->GetFieldName(); }
  void SetDataField(const std::string& name) { FDataLink->SetFieldName(name); }
  TField* GetField() const { return FDataLink->GetField(); }
  bool GetReadOnly() const { return FDataLink->GetReadOnly(); }
  void SetReadOnly(bool v) { FDataLink->SetReadOnly(v); }
  bool GetAutoDisplay() const { return FAutoDisplay; }
  void SetAutoDisplay(bool v);
  /// Shows the field's text (when AutoDisplay is off).
  void LoadMemo();
  TFieldDataLink* GetDataLink() const { return FDataLink.get(); }

  void KeyPress(TKeyChar& key) override;
  void DblClick() override;
  void DoExit() override;
  void Notification(TComponent* component, TOperation operation) override;

 protected:
  bool EditCanModify() override;
  void Change() override;

 private:
  void DataChange(TObject* sender);
  void UpdateData(TObject* sender);
  std::unique_ptr<TControlFieldDataLink> FDataLink;
  bool FAutoDisplay = true;
  bool FMemoLoaded = false;
};

/// The picture of a blob field. Stretch, Center and Proportional place it (QuickDraw
/// is kept for form files; every picture is drawn the same way). Without AutoDisplay it
/// shows the field's label in brackets until LoadPicture (a double click or Enter).
/// The clipboard keys: Ctrl+C and Ctrl+Insert copy, Ctrl+X and Shift+Delete cut, Ctrl+V
/// and Shift+Insert paste. A changed picture is stored in the field as PNG.
class TDBImage : public TCustomControl {
  FW_CLASS(TDBImage)
 public:
  explicit TDBImage(TComponent* owner);
  ~TDBImage() override;

  TDataSource* GetDataSource() const { return FDataLink->GetDataSource(); }
  void SetDataSource(TDataSource* source);
  const std::string& GetDataField() const { return FDataLink->GetFieldName(); }
  void SetDataField(const std::string& name) { FDataLink->SetFieldName(name); }
  TField* GetField() const { return FDataLink->GetField(); }
  bool GetReadOnly() const { return FDataLink->GetReadOnly(); }
  void SetReadOnly(bool v) { FDataLink->SetReadOnly(v); }
  bool GetStretch() const { return FStretch; }
  void SetStretch(bool v);
  bool GetCenter() const { return FCenter; }
  void SetCenter(bool v);
  bool GetProportional() const { return FProportional; }
  void SetProportional(bool v);
  bool GetQuickDraw() const { return FQuickDraw; }
  void SetQuickDraw(bool v) { FQuickDraw = v; }
  bool GetAutoDisplay() const { return FAutoDisplay; }
  void SetAutoDisplay(bool v);
  TPicture* GetPicture() const { return FPicture.get(); }
  void SetPicture(const TPicture* picture) { FPicture->Assign(picture); }
  TFieldDataLink* GetDataLink() const { return FDataLink.get(); }

  /// Reads the picture from the field (an empty or null blob: no picture).
  void LoadPicture();
  void CopyToClipboard();
  /// Copies, then takes the picture out (the dataset goes into edit state).
  void CutToClipboard();
  /// Takes the clipboard's picture (the dataset goes into edit state).
  void PasteFromClipboard();

  unsigned GetDlgCode() const override { return DLGC_WANTARROWS; }
  void DefaultKeyDown(std::uint16_t key, TShiftState shift) override;
  void DefaultChar(TKeyChar key) override;
  void KeyPress(TKeyChar& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void DblClick() override;
  void WMSetFocus() override;
  void WMKillFocus() override;
  void DoExit() override;
  void Notification(TComponent* component, TOperation operation) override;

 protected:
  void Paint() override;

 private:
  void DataChange(TObject* sender);
  void UpdateData(TObject* sender);
  void PictureChanged(TObject* sender);
  bool CanChange();
  std::unique_ptr<TControlFieldDataLink> FDataLink;
  std::unique_ptr<TPicture> FPicture;
  bool FStretch = false, FCenter = true, FProportional = false, FQuickDraw = true, FAutoDisplay = true;
  bool FPictureLoaded = false;
  bool FLoading = false;
};

/// Registers every data-aware control: edit, memo, image, text, check box, navigator, grid
/// and the lookup controls (with the data classes and the standard controls).
void RegisterDBCtrlsClasses();

}  // namespace fw
