// The masked edit: an edit whose text follows an edit mask (MaskUtils.h). The control shows
// the edit text (literals in place, blanks as the blank character); Text is the value it
// stands for. Typing puts a character that fits into the next input position and skips
// the literals; Backspace and Delete blank positions; Esc puts back the text the control
// had when it was entered. Leaving the control after a change checks the whole edit text:
// a value that does not fit puts the focus back, places the caret on the first position
// that does not fit and raises EDBEditError.
#pragma once

#include <string>

#include "framework/controls/MaskUtils.h"
#include "framework/controls/StdCtrls.h"

namespace fw {

class TCustomMaskEdit : public TCustomEdit {
  FW_CLASS(TCustomMaskEdit)
 public:
  explicit TCustomMaskEdit(TComponent* owner);

  const std::string& GetEditMask() const { return FMask.GetEditMask(); }
  /// Sets the mask; the current value is shown through the new mask.
  void SetEditMask(const std::string& v);
  bool IsMasked() const { return FMask.IsMasked(); }
  const TEditMask& GetMask() const { return FMask; }
  /// The text as shown (with literals and blanks).
  const std::string& GetEditText() const { return FText; }
  /// Sets the text as shown (cut or padded to the mask's length).
  void SetEditText(const std::string& v);
  /// The value: the edit text through the mask (TEditMask::TextOf), or the plain text.
  std::string GetText() const;
  /// Shows a value through the mask.
  void SetText(const std::string& v);

  /// Checks the edit text against the mask; when it does not fit, puts the focus back
  /// (when it is elsewhere), selects the first position that does not fit and raises
  /// EDBEditError.
  virtual void ValidateEdit();
  /// Puts back the edit text the control had when it was entered (when modified).
  void Reset();

  void CNKeyDown(std::uint16_t& key, TShiftState shift) override;
  void DefaultKeyDown(std::uint16_t key, TShiftState shift) override;
  void DefaultChar(TKeyChar key) override;
  void DoEnter() override;
  /// Validates a changed value first (see ValidateEdit), then fires OnExit.
  void DoExit() override;

 protected:
  /// Whether Esc belongs to the control (it has a change to take back) rather than to the
  /// form's Cancel button.
  virtual bool WantsEscape() const { return IsMasked() && GetModified(); }
  void TextChanged() override;
  bool UserReplaceRange(int from, int to, std::u32string text) override;
  /// Puts a typed character into the next input position.
  void MaskInput(char32_t ch);

  TEditMask FMask;
  std::string FOldValue;
  bool FReEnter = false;
};

class TMaskEdit : public TCustomMaskEdit {
  FW_CLASS(TMaskEdit)
 public:
  explicit TMaskEdit(TComponent* owner) : TCustomMaskEdit(owner) {}
};

}  // namespace fw
