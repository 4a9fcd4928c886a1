// The standard controls, drawn by their own code on a canvas: the label, the push button,
// the single-line edit (TCustomEdit, TEdit), the multi-line edit (TCustomMemo, TMemo) and
// the scroll bar, with the scroll-bar drawing that controls with bars of their own share.
//
// Editing (edits and memos): every key reaches OnKeyDown and OnKeyPress (and the KeyDown and
// KeyPress overrides) before the control edits; what a handler consumed is not edited.
// A change the user makes asks EditCanModify first (a data-aware edit puts its dataset into
// edit state there) and is refused when it answers false or the control is ReadOnly; then
// the text changes, Modified becomes true and OnChange fires. A change made by code
// (Text, Lines, SelText) fires OnChange too and leaves Modified false.
// Positions (SelStart, SelLength) count characters; a memo's line break is two (CR LF).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/Strings.h"
#include "framework/ui/Controls.h"

namespace fw {

enum TTextLayout { tlTop, tlCenter, tlBottom };
FW_ENUM_INFO(TTextLayout, "tlTop", "tlCenter", "tlBottom")

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
FW_ENUM_INFO(TEditCharCase, "ecNormal", "ecUpperCase", "ecLowerCase")

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
FW_ENUM_INFO(TScrollStyle, "ssNone", "ssHorizontal", "ssVertical", "ssBoth")

enum TScrollBarKind { sbHorizontal, sbVertical };
FW_ENUM_INFO(TScrollBarKind, "sbHorizontal", "sbVertical")

enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom,
                   scEndScroll };
FW_ENUM_INFO(TScrollCode, "scLineUp", "scLineDown", "scPageUp", "scPageDown", "scPosition", "scTrack",
             "scTop", "scBottom", "scEndScroll")

using TScrollEvent = TEvent<void(TObject* sender, TScrollCode scrollCode, int& scrollPos)>;

/// Whether `key` (the virtual key of a letter or digit) is the accelerator of a caption:
/// the character after a single "&" ("&&" is a plain "&").
bool IsAccel(std::uint16_t key, const std::string& caption);

// ---- Scroll bars drawn by their controls ---------------------------------------------

/// The range and position of a scroll bar. With a Page the thumb shows the part of the
/// range in view and Pos goes up to Max - Page + 1; without one it goes up to Max.
struct TScrollInfo {
  int Min = 0, Max = 100, Page = 0, Pos = 0;
  int MaxPos() const { return Page > 0 ? std::max(Min, Max - Page + 1) : Max; }
};

/// The part of a scroll bar at a point.
enum class TScrollHit { None, LineUp, LineDown, PageUp, PageDown, Thumb };

/// The width of a vertical bar (the height of a horizontal one).
inline constexpr int ScrollBarSize = 16;

/// Draws a scroll bar into the rectangle: two arrow buttons, the track and the thumb;
/// `pressed` sinks that part.
void PaintScrollBar(TCanvas* canvas, const TRect& r, bool vertical, const TScrollInfo& info, bool enabled,
                    TScrollHit pressed = TScrollHit::None);
/// The thumb's rectangle (empty when the bar has no room for one or nothing to scroll).
TRect ScrollBarThumb(const TRect& r, bool vertical, const TScrollInfo& info);
TScrollHit ScrollBarHitTest(const TRect& r, bool vertical, const TScrollInfo& info, TPoint p);
/// The position of a thumb whose leading edge lies at `thumbStart` (a coordinate along the bar).
int ScrollBarPosAt(const TRect& r, bool vertical, const TScrollInfo& info, int thumbStart);

// ---- Label ------------------------------------------------------------------------------

/// A caption drawn on its parent's window: alignment, vertical layout, word wrap, an
/// accelerator ("&N") that focuses FocusControl, and a size that follows the text.
class TCustomLabel : public TGraphicControl {
  FW_CLASS(TCustomLabel)
 public:
  explicit TCustomLabel(TComponent* owner);

  /// The size follows the text (the width too unless WordWrap); the edge that Alignment
  /// names stays where it is.
  bool GetAutoSize() const { return FAutoSize; }
  void SetAutoSize(bool v);
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);
  TTextLayout GetLayout() const { return FLayout; }
  void SetLayout(TTextLayout v);
  bool GetWordWrap() const { return FWordWrap; }
  void SetWordWrap(bool v);
  /// Without a background of its own the parent shows through.
  bool GetTransparent() const { return FTransparent; }
  void SetTransparent(bool v);
  bool GetShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool v);
  /// The control that the accelerator focuses.
  TWinControl* GetFocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* control);

  bool DialogChar(std::uint16_t key, TShiftState shift) override;
  void Notification(TComponent* component, TOperation operation) override;
  void Loaded() override;

 protected:
  /// The text shown (the caption; a data-aware label shows its field).
  virtual std::string GetLabelText() const { return FText; }
  void Paint() override;
  void TextChanged() override;
  void FontChanged() override;
  /// Applies AutoSize after a change of text, font or layout.
  void AdjustBounds();

 private:
  bool FAutoSize = true;
  TAlignment FAlignment = taLeftJustify;
  TTextLayout FLayout = tlTop;
  bool FWordWrap = false;
  bool FTransparent = false;
  bool FShowAccelChar = true;
  TWinControl* FFocusControl = nullptr;
};

class TLabel : public TCustomLabel {
  FW_CLASS(TLabel)
 public:
  explicit TLabel(TComponent* owner) : TCustomLabel(owner) {}
};

// ---- Button -----------------------------------------------------------------------------

/// A push button. Clicking it sets the form's ModalResult to its own before OnClick runs
/// (a modal form closes when the click is over); Enter clicks the focused button, or the
/// Default one, Esc the Cancel one, Space the focused one, Alt with its accelerator any.
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
  bool DialogChar(std::uint16_t key, TShiftState shift) override;
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

// ---- Edit -------------------------------------------------------------------------------

/// The editing control behind TEdit, the masked edits and the memos (see the file comment):
/// text, caret and selection, typing, the clipboard, the mouse, and a single line drawn in
/// a sunken frame, scrolled sideways to keep the caret in view.
class TCustomEdit : public TCustomControl {
  FW_CLASS(TCustomEdit)
 public:
  explicit TCustomEdit(TComponent* owner);

  /// Entering the control by the keyboard selects all its text.
  bool GetAutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool v) { FAutoSelect = v; }
  /// The selection is shown only while the control has the focus.
  bool GetHideSelection() const { return FHideSelection; }
  void SetHideSelection(bool v);
  bool GetReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v);
  /// The most characters the user may type or paste (0: no limit).
  int GetMaxLength() const { return FMaxLength; }
  void SetMaxLength(int v) { FMaxLength = std::max(0, v); }
  /// Letters typed, pasted or set are converted to this case.
  TEditCharCase GetCharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase v);
  /// One character shown in place of each character of the text ("" for none); the text
  /// of such an edit cannot be copied or cut.
  std::string GetPasswordChar() const;
  void SetPasswordChar(const std::string& v);
  /// Whether the user changed the text since it was last set by code.
  bool GetModified() const { return FModified; }
  void SetModified(bool v) { FModified = v; }

  /// Caret position and selection, in characters.
  int GetSelStart() const { return std::min(FAnchor, FCaret); }
  void SetSelStart(int v);
  int GetSelLength() const { return std::abs(FCaret - FAnchor); }
  void SetSelLength(int v);
  std::string GetSelText() const;
  /// Replaces the selection by the text (as code: ReadOnly does not stop it).
  void SetSelText(const std::string& text);
  void SelectAll();
  /// Deletes the selection (as the user).
  void ClearSelection();
  void Clear() { SetText(""); }
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  TNotifyEvent GetOnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent e) { FOnChange = e; }

  unsigned GetDlgCode() const override { return DLGC_WANTARROWS | DLGC_WANTCHARS; }
  void DefaultKeyDown(std::uint16_t key, TShiftState shift) override;
  void DefaultChar(TKeyChar key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void DblClick() override;
  void WMSetFocus() override;
  void WMKillFocus() override;
  void DoEnter() override;

 protected:
  void CreateWnd() override;
  /// Asked before every change by the user; false refuses it. Default: true.
  virtual bool EditCanModify() { return true; }
  /// Fires OnChange.
  virtual void Change();
  void TextChanged() override;
  void Resize() override;
  void FontChanged() override;
  void Paint() override;

  /// Replaces the characters [from, to) by text from the user (typed or pasted): asks
  /// ReadOnly and EditCanModify, applies CharCase and MaxLength; the caret ends after the
  /// new text. False when refused.
  virtual bool UserReplaceRange(int from, int to, std::u32string text);
  /// The same for the selection.
  bool UserReplace(const std::u32string& text) { return UserReplaceRange(GetSelStart(), GetSelStart() + GetSelLength(), text); }
  /// Sets text and caret together as the user's change (Modified, OnChange).
  void UserSetText(const std::u32string& text, int anchor, int caret);
  /// Whether the user may change the text now (ReadOnly, EditCanModify).
  bool CanUserEdit();
  /// Moves the caret (keeping the anchor when `extend`), scrolls it into view, repaints.
  void MoveCaret(int pos, bool extend);
  void SetSelection(int anchor, int caret);
  /// The text as characters.
  std::u32string Chars() const;
  int CharCount() const;
  /// What the control shows for its text (the password characters).
  std::u32string DisplayChars() const;
  /// The character position nearest to a client point.
  virtual int CharAtPoint(int x, int y);
  /// Scrolls so that the caret is in view.
  virtual void ScrollCaretIntoView();
  /// Converts the text's letters to CharCase.
  std::u32string ApplyCharCase(const std::u32string& text) const;
  /// A position moved off the inside of a line break.
  virtual int FixPosition(int pos, bool forward) const { return pos; }
  /// The word boundaries around a position (Ctrl+arrows, double clicks).
  int WordStart(int pos) const;
  int WordEnd(int pos) const;
  /// The text area inside the frame.
  TRect TextArea() const;
  /// How a single line stands in the text area while the control has no focus (a
  /// data-aware edit aligns its field's value). Default: left.
  virtual TAlignment DisplayAlignment() const { return taLeftJustify; }

  int FAnchor = 0, FCaret = 0;
  int FScrollX = 0;
  bool FReadOnly = false;
  bool FModified = false;
  bool FUserChange = false;

 private:
  bool FAutoSelect = true;
  bool FHideSelection = true;
  bool FSelecting = false;
  int FMaxLength = 0;
  TEditCharCase FCharCase = ecNormal;
  char32_t FPasswordChar = 0;
  TNotifyEvent FOnChange;
};

class TEdit : public TCustomEdit {
  FW_CLASS(TEdit)
 public:
  explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
};

// ---- Memo -------------------------------------------------------------------------------

class TCustomMemo;

/// A memo's Lines: the lines of its text, read and written through the text.
class TMemoStrings : public TStrings {
  FW_CLASS(TMemoStrings)
 public:
  explicit TMemoStrings(TCustomMemo* memo) : FMemo(memo) {}
  int GetCount() const override;
  std::string Get(int index) const override;
  void Put(int index, const std::string& s) override;
  void Insert(int index, const std::string& s) override;
  void Delete(int index) override;
  void Clear() override;

 protected:
  /// Between BeginUpdate and EndUpdate the lines are kept aside and written into the
  /// memo's text once, at the end.
  void SetUpdateState(bool updating) override;

 private:
  std::vector<std::string> Lines() const;
  void Store(std::vector<std::string> lines);
  TCustomMemo* FMemo;
  std::vector<std::string> FPending;
  bool FUpdating = false;
};

/// A multi-line edit: Lines, word wrap, scroll bars drawn at its edges, Enter and (with
/// WantTabs) Tab typed into the text, Up, Down, PageUp and PageDown by visible lines.
class TCustomMemo : public TCustomEdit {
  FW_CLASS(TCustomMemo)
 public:
  explicit TCustomMemo(TComponent* owner);
  ~TCustomMemo() override;

  TStrings* GetLines() const { return FLines.get(); }
  void SetLines(const TStrings* lines) { FLines->Assign(lines); }
  TScrollStyle GetScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle v);
  bool GetWordWrap() const { return FWordWrap; }
  void SetWordWrap(bool v);
  bool GetWantReturns() const { return FWantReturns; }
  void SetWantReturns(bool v) { FWantReturns = v; }
  bool GetWantTabs() const { return FWantTabs; }
  void SetWantTabs(bool v) { FWantTabs = v; }
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);
  /// The first row in view and the rows that fit (rows are lines after wrapping).
  int GetTopRow() const { return FTopRow; }
  void SetTopRow(int row);
  int GetRowCount();
  int VisibleRows() const;
  /// The caret's line and column (as the classic CaretPos).
  TPoint GetCaretPos() const;

  unsigned GetDlgCode() const override;
  void DefaultKeyDown(std::uint16_t key, TShiftState shift) override;
  void DefaultChar(TKeyChar key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 protected:
  struct TRow {
    int Start = 0, End = 0;  // characters of the text; End before the line break
  };
  void TextChanged() override;
  void Resize() override;
  void FontChanged() override;
  void Paint() override;
  bool UserReplaceRange(int from, int to, std::u32string text) override;
  int CharAtPoint(int x, int y) override;
  void ScrollCaretIntoView() override;
  int FixPosition(int pos, bool forward) const override;
  const std::vector<TRow>& Rows();
  int RowOf(int pos);
  int LineHeight();
  TRect TextRectArea() const;
  TRect VertBarRect() const;
  TRect HorzBarRect() const;
  bool HasVertBar() const { return FScrollBars == ssVertical || FScrollBars == ssBoth; }
  bool HasHorzBar() const { return !FWordWrap && (FScrollBars == ssHorizontal || FScrollBars == ssBoth); }

 private:
  void InvalidateRows();
  int RowX(const TRow& row, int pos);
  int RowWidth(const TRow& row);
  int LongestRowWidth();
  void ScrollBarMouse(bool vertical, TScrollHit hit);

  std::unique_ptr<TMemoStrings> FLines;
  TScrollStyle FScrollBars = ssNone;
  bool FWordWrap = true;
  bool FWantReturns = true;
  bool FWantTabs = false;
  TAlignment FAlignment = taLeftJustify;
  int FTopRow = 0;
  int FCaretX = -1;  // the column kept by Up and Down
  std::vector<TRow> FRows;
  bool FRowsValid = false;
  // Scroll-bar mouse tracking.
  TScrollHit FBarPressed = TScrollHit::None;
  bool FBarVertical = true;
  int FThumbGrab = 0;
};

class TMemo : public TCustomMemo {
  FW_CLASS(TMemo)
 public:
  explicit TMemo(TComponent* owner) : TCustomMemo(owner) {}
};

// ---- Scroll bar -------------------------------------------------------------------------

/// A scroll bar control: arrows and the track scroll by SmallChange and LargeChange, the
/// thumb drags; the arrow keys, PageUp, PageDown, Home and End when it has the focus.
/// Every move asks OnScroll (which may change the position), then sets Position, which
/// fires OnChange.
class TScrollBar : public TCustomControl {
  FW_CLASS(TScrollBar)
 public:
  explicit TScrollBar(TComponent* owner);

  TScrollBarKind GetKind() const { return FKind; }
  void SetKind(TScrollBarKind v);
  int GetMin() const { return FInfo.Min; }
  void SetMin(int v) { SetParams(FInfo.Pos, v, FInfo.Max); }
  int GetMax() const { return FInfo.Max; }
  void SetMax(int v) { SetParams(FInfo.Pos, FInfo.Min, v); }
  int GetPosition() const { return FInfo.Pos; }
  void SetPosition(int v) { SetParams(v, FInfo.Min, FInfo.Max); }
  int GetPageSize() const { return FInfo.Page; }
  void SetPageSize(int v);
  int GetSmallChange() const { return FSmallChange; }
  void SetSmallChange(int v) { FSmallChange = v; }
  int GetLargeChange() const { return FLargeChange; }
  void SetLargeChange(int v) { FLargeChange = v; }
  /// Sets position and range at once (the position kept inside the range); OnChange
  /// when the position changed.
  void SetParams(int position, int min, int max);
  TNotifyEvent GetOnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent e) { FOnChange = e; }
  TScrollEvent GetOnScroll() const { return FOnScroll; }
  void SetOnScroll(TScrollEvent e) { FOnScroll = e; }

  /// One scroll step as the user makes it: OnScroll, then the position.
  void Scroll(TScrollCode code, int pos);

  unsigned GetDlgCode() const override { return DLGC_WANTARROWS; }
  void DefaultKeyDown(std::uint16_t key, TShiftState shift) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 protected:
  virtual void Change();
  void Paint() override;

 private:
  void Step(TScrollHit hit);
  TScrollBarKind FKind = sbHorizontal;
  TScrollInfo FInfo;
  int FSmallChange = 1, FLargeChange = 1;
  TScrollHit FPressed = TScrollHit::None;
  int FThumbGrab = 0;
  TNotifyEvent FOnChange;
  TScrollEvent FOnScroll;
};

}  // namespace fw
