// Two small standard controls drawn by the window layer itself: a single-line edit and a
// push button. Enough for forms of examples and tests; the full standard controls
// (framework/controls) take their place.
#pragma once

#include <string>

#include "framework/ui/Controls.h"

namespace fw {

/// A single-line text edit: a caret, a selection, typing, Backspace and Delete, Home, End
/// and the arrows, the clipboard. Its text is Text; OnChange fires on every change.
class TEdit : public TCustomControl {
  FW_CLASS(TEdit)
 public:
  explicit TEdit(TComponent* owner);

  /// Entering the edit selects all its text (typing then replaces it).
  bool GetAutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool v) { FAutoSelect = v; }
  bool GetReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v) { FReadOnly = v; }
  int GetMaxLength() const { return FMaxLength; }
  void SetMaxLength(int v) { FMaxLength = v; }
  /// Caret position and selection, in characters.
  int GetSelStart() const { return FSelStart; }
  void SetSelStart(int v);
  int GetSelLength() const { return FSelLength; }
  void SetSelLength(int v);
  std::string GetSelText() const;
  /// Replaces the selection by the text (typing, pasting).
  void SetSelText(const std::string& text);
  void SelectAll();
  void ClearSelection() { SetSelText(""); }
  void CopyToClipboard() const;
  void CutToClipboard();
  void PasteFromClipboard();
  TNotifyEvent GetOnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent e) { FOnChange = e; }

  unsigned GetDlgCode() const override { return DLGC_WANTARROWS | DLGC_WANTCHARS; }
  void KeyDown(std::uint16_t& key, TShiftState shift) override;
  void DefaultChar(TKeyChar key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void WMSetFocus() override;
  void WMKillFocus() override;
  void DoEnter() override;

 protected:
  void Paint() override;
  void TextChanged() override;
  /// Fires OnChange.
  virtual void Change();

 private:
  int CharCount() const;
  int CharAt(int x);
  bool FReadOnly = false;
  bool FAutoSelect = true;
  int FMaxLength = 0;
  int FSelStart = 0, FSelLength = 0;
  bool FChanging = false;
  TNotifyEvent FOnChange;
};

/// A push button. Clicking it sets the form's ModalResult to its own (before OnClick runs);
/// Enter clicks the focused button, or the Default one, Esc the Cancel one.
class TButton : public TCustomControl {
  FW_CLASS(TButton)
 public:
  explicit TButton(TComponent* owner);

  TModalResult GetModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult v) { FModalResult = v; }
  bool GetDefault() const { return FDefault; }
  void SetDefault(bool v);
  bool GetCancel() const { return FCancel; }
  void SetCancel(bool v) { FCancel = v; }

  void Click() override;
  bool DialogKey(std::uint16_t key, TShiftState shift) override;
  void KeyDown(std::uint16_t& key, TShiftState shift) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void WMSetFocus() override;
  void WMKillFocus() override;

 protected:
  void Paint() override;

 private:
  TModalResult FModalResult = mrNone;
  bool FDefault = false, FCancel = false, FPressed = false;
};

}  // namespace fw
