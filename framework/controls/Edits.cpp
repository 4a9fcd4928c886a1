// TCustomEdit and TEdit: the single-line editing control (see StdCtrls.h).
#include <algorithm>

#include "framework/controls/StdCtrls.h"
#include "framework/controls/Utf32.h"
#include "framework/core/Scoped.h"
#include "framework/core/Text.h"
#include "framework/core/TypInfo.h"
#include "framework/ui/Clipbrd.h"
#include "framework/ui/WidgetSet.h"

namespace fw {

namespace {

bool IsSpace(char32_t c) { return c == U' ' || c == U'\t' || c == U'\r' || c == U'\n'; }

}  // namespace

const TClassInfo& TCustomEdit::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TCustomEdit>("TCustomEdit", &TCustomControl::StaticClass()).Build();
  return info;
}

TCustomEdit::TCustomEdit(TComponent* owner) : TCustomControl(owner) {
  InitColor(clWindow);
  FTabStop = true;
  FWidth = 121;
  FHeight = 21;
}

void TCustomEdit::CreateWnd() {
  TCustomControl::CreateWnd();
  // The text cursor unless the control has a cursor of its own.
  if (FCursor == crDefault) WidgetSet()->SetCursor(FHandle, crIBeam);
}

std::u32string TCustomEdit::Chars() const { return ToUtf32(FText); }

int TCustomEdit::CharCount() const { return static_cast<int>(Utf8Length(FText)); }

std::u32string TCustomEdit::DisplayChars() const {
  std::u32string chars = Chars();
  if (FPasswordChar) std::fill(chars.begin(), chars.end(), FPasswordChar);
  return chars;
}

std::string TCustomEdit::GetPasswordChar() const { return FPasswordChar ? ToUtf8(FPasswordChar) : std::string(); }

void TCustomEdit::SetPasswordChar(const std::string& v) {
  std::u32string chars = ToUtf32(v);
  FPasswordChar = chars.empty() ? 0 : chars[0];
  Invalidate();
}

void TCustomEdit::SetHideSelection(bool v) {
  FHideSelection = v;
  Invalidate();
}

void TCustomEdit::SetReadOnly(bool v) {
  FReadOnly = v;
  Invalidate();
}

std::u32string TCustomEdit::ApplyCharCase(const std::u32string& text) const {
  if (FCharCase == ecNormal) return text;
  std::string s = ToUtf8(text);
  return ToUtf32(FCharCase == ecUpperCase ? UpperCase(s) : LowerCase(s));
}

void TCustomEdit::SetCharCase(TEditCharCase v) {
  if (v == FCharCase) return;
  FCharCase = v;
  if (v != ecNormal) {
    std::string converted = ToUtf8(ApplyCharCase(Chars()));
    if (converted != FText) {
      int anchor = FAnchor, caret = FCaret;
      SetText(converted);
      SetSelection(anchor, caret);
    }
  }
}

// ---- selection --------------------------------------------------------------------------

void TCustomEdit::SetSelection(int anchor, int caret) {
  int n = CharCount();
  FAnchor = FixPosition(std::clamp(anchor, 0, n), false);
  FCaret = FixPosition(std::clamp(caret, 0, n), true);
  ScrollCaretIntoView();
  Invalidate();
}

void TCustomEdit::MoveCaret(int pos, bool extend) {
  int n = CharCount();
  pos = std::clamp(pos, 0, n);
  SetSelection(extend ? FAnchor : pos, pos);
}

void TCustomEdit::SetSelStart(int v) { SetSelection(v, v); }

void TCustomEdit::SetSelLength(int v) {
  int start = GetSelStart();
  SetSelection(start, start + std::max(0, v));
}

std::string TCustomEdit::GetSelText() const {
  std::u32string chars = Chars();
  int a = GetSelStart(), b = a + GetSelLength();
  return ToUtf8(chars.substr(static_cast<std::size_t>(a), static_cast<std::size_t>(b - a)));
}

void TCustomEdit::SetSelText(const std::string& text) {
  std::u32string chars = Chars();
  int a = GetSelStart(), b = a + GetSelLength();
  std::u32string inserted = ApplyCharCase(ToUtf32(text));
  if (FMaxLength > 0) {
    int room = std::max(0, FMaxLength - (static_cast<int>(chars.size()) - (b - a)));
    if (static_cast<int>(inserted.size()) > room) inserted.resize(static_cast<std::size_t>(room));
  }
  chars.replace(static_cast<std::size_t>(a), static_cast<std::size_t>(b - a), inserted);
  int caret = a + static_cast<int>(inserted.size());
  UserSetText(chars, caret, caret);
}

void TCustomEdit::SelectAll() { SetSelection(0, CharCount()); }

void TCustomEdit::ClearSelection() {
  if (GetSelLength() > 0) UserReplace(U"");
}

void TCustomEdit::CopyToClipboard() {
  if (FPasswordChar || GetSelLength() == 0) return;
  Clipboard()->SetAsText(GetSelText());
}

void TCustomEdit::CutToClipboard() {
  if (FPasswordChar || GetSelLength() == 0) return;
  if (!CanUserEdit()) return;
  Clipboard()->SetAsText(GetSelText());
  UserReplace(U"");
}

void TCustomEdit::PasteFromClipboard() {
  std::u32string text = ToUtf32(Clipboard()->GetAsText());
  if (text.empty()) return;
  UserReplace(text);
}

// ---- changes ----------------------------------------------------------------------------

bool TCustomEdit::CanUserEdit() {
  if (FReadOnly) return false;
  auto alive = AliveToken();
  bool can = EditCanModify();
  return can && !alive.expired();
}

bool TCustomEdit::UserReplaceRange(int from, int to, std::u32string text) {
  // A single line keeps what comes before the first line break.
  std::size_t brk = text.find_first_of(U"\r\n");
  if (brk != std::u32string::npos) text.resize(brk);
  if (!CanUserEdit()) return false;
  std::u32string chars = Chars();
  int n = static_cast<int>(chars.size());
  from = std::clamp(from, 0, n);
  to = std::clamp(to, from, n);
  text = ApplyCharCase(text);
  if (FMaxLength > 0) {
    int room = std::max(0, FMaxLength - (n - (to - from)));
    if (static_cast<int>(text.size()) > room) text.resize(static_cast<std::size_t>(room));
    if (text.empty() && from == to) return false;
  }
  chars.replace(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from), text);
  int caret = from + static_cast<int>(text.size());
  UserSetText(chars, caret, caret);
  return true;
}

void TCustomEdit::UserSetText(const std::u32string& text, int anchor, int caret) {
  FAnchor = anchor;
  FCaret = caret;
  FModified = true;
  {
    TRestore<bool> user(FUserChange, true);
    SetText(ToUtf8(text));
  }
  SetSelection(anchor, caret);
}

void TCustomEdit::TextChanged() {
  if (!FUserChange) {
    FModified = false;
    if (FCharCase != ecNormal) FText = ToUtf8(ApplyCharCase(Chars()));
    FAnchor = FCaret = 0;
    FScrollX = 0;
  } else {
    int n = CharCount();
    FAnchor = std::min(FAnchor, n);
    FCaret = std::min(FCaret, n);
  }
  Invalidate();
  if (HasState(csLoading)) return;
  Change();
}

void TCustomEdit::Change() {
  if (FOnChange) FOnChange(this);
}

// ---- keys and mouse ---------------------------------------------------------------------

int TCustomEdit::WordStart(int pos) const {
  std::u32string chars = Chars();
  int i = std::min(pos, static_cast<int>(chars.size()));
  while (i > 0 && IsSpace(chars[static_cast<std::size_t>(i - 1)])) --i;
  while (i > 0 && !IsSpace(chars[static_cast<std::size_t>(i - 1)])) --i;
  return i;
}

int TCustomEdit::WordEnd(int pos) const {
  std::u32string chars = Chars();
  int n = static_cast<int>(chars.size());
  int i = std::max(0, pos);
  while (i < n && !IsSpace(chars[static_cast<std::size_t>(i)])) ++i;
  while (i < n && IsSpace(chars[static_cast<std::size_t>(i)])) ++i;
  return i;
}

void TCustomEdit::DefaultKeyDown(std::uint16_t key, TShiftState shift) {
  bool extend = shift.Contains(ssShift), ctrl = shift.Contains(ssCtrl);
  int n = CharCount();
  switch (key) {
    case VK_LEFT:
      if (!extend && GetSelLength() > 0 && !ctrl)
        MoveCaret(GetSelStart(), false);
      else
        MoveCaret(ctrl ? WordStart(FCaret) : FixPosition(FCaret - 1, false), extend);
      break;
    case VK_RIGHT:
      if (!extend && GetSelLength() > 0 && !ctrl)
        MoveCaret(GetSelStart() + GetSelLength(), false);
      else
        MoveCaret(ctrl ? WordEnd(FCaret) : FixPosition(FCaret + 1, true), extend);
      break;
    case VK_HOME: MoveCaret(0, extend); break;
    case VK_END: MoveCaret(n, extend); break;
    case VK_DELETE:
      if (extend) {
        CutToClipboard();
      } else if (GetSelLength() > 0) {
        UserReplace(U"");
      } else if (FCaret < n) {
        UserReplaceRange(FCaret, FixPosition(FCaret + 1, true), U"");
      }
      break;
    case VK_INSERT:
      if (ctrl)
        CopyToClipboard();
      else if (extend)
        PasteFromClipboard();
      break;
    default: break;
  }
}

void TCustomEdit::DefaultChar(TKeyChar key) {
  switch (key) {
    case 1: SelectAll(); return;                // Ctrl+A
    case 3: CopyToClipboard(); return;          // Ctrl+C
    case 22: PasteFromClipboard(); return;      // Ctrl+V
    case 24: CutToClipboard(); return;          // Ctrl+X
    case 8:                                     // Backspace
      if (GetSelLength() > 0)
        UserReplace(U"");
      else if (FCaret > 0)
        UserReplaceRange(FixPosition(FCaret - 1, false), FCaret, U"");
      return;
    default: break;
  }
  if (key < 32 || key == 127) return;
  UserReplace(std::u32string(1, key));
}

TRect TCustomEdit::TextArea() const { return {2, 2, FWidth - 2, FHeight - 2}; }

int TCustomEdit::CharAtPoint(int x, int y) {
  TCanvas* canvas = GetCanvas();
  canvas->SetFont(GetFont());
  std::u32string chars = DisplayChars();
  int origin = TextArea().Left + 1 - FScrollX;
  int left = 0;
  for (std::size_t i = 0; i < chars.size(); ++i) {
    int right = canvas->TextWidth(ToUtf8(chars.substr(0, i + 1)));
    if (x - origin < (left + right) / 2) return static_cast<int>(i);
    left = right;
  }
  return static_cast<int>(chars.size());
}

void TCustomEdit::ScrollCaretIntoView() {
  TCanvas* canvas = GetCanvas();
  canvas->SetFont(GetFont());
  std::u32string chars = DisplayChars();
  int room = std::max(1, TextArea().Width() - 3);
  int cx = canvas->TextWidth(ToUtf8(chars.substr(0, static_cast<std::size_t>(std::clamp(FCaret, 0, static_cast<int>(chars.size()))))));
  int total = canvas->TextWidth(ToUtf8(chars));
  if (cx - FScrollX > room) FScrollX = cx - room;
  if (cx < FScrollX) FScrollX = std::max(0, cx - room / 4);
  if (total - FScrollX < room) FScrollX = std::max(0, total - room);
}

void TCustomEdit::Resize() {
  TCustomControl::Resize();
  ScrollCaretIntoView();
}

void TCustomEdit::FontChanged() {
  TCustomControl::FontChanged();
  ScrollCaretIntoView();
}

void TCustomEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    auto alive = AliveToken();
    if (!Focused() && CanFocus()) SetFocus();
    if (alive.expired()) return;
    if (!shift.Contains(ssDouble)) {
      int pos = CharAtPoint(x, y);
      MoveCaret(pos, shift.Contains(ssShift));
      FSelecting = true;
    }
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomEdit::MouseMove(TShiftState shift, int x, int y) {
  if (FSelecting && shift.Contains(ssLeft)) MoveCaret(CharAtPoint(x, y), true);
  TCustomControl::MouseMove(shift, x, y);
}

void TCustomEdit::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) FSelecting = false;
  TCustomControl::MouseUp(button, shift, x, y);
}

void TCustomEdit::DblClick() {
  std::u32string chars = Chars();
  int n = static_cast<int>(chars.size());
  int a = std::clamp(FCaret, 0, n), b = a;
  while (a > 0 && !IsSpace(chars[static_cast<std::size_t>(a - 1)])) --a;
  while (b < n && !IsSpace(chars[static_cast<std::size_t>(b)])) ++b;
  SetSelection(a, b);
  TCustomControl::DblClick();
}

void TCustomEdit::WMSetFocus() {
  TCustomControl::WMSetFocus();
  Invalidate();
}

void TCustomEdit::WMKillFocus() {
  TCustomControl::WMKillFocus();
  FSelecting = false;
  Invalidate();
}

void TCustomEdit::DoEnter() {
  if (FAutoSelect) SelectAll();
  TCustomControl::DoEnter();
}

// ---- painting ---------------------------------------------------------------------------

void TCustomEdit::Paint() {
  TCanvas* c = GetCanvas();
  TRect r = GetClientRect();
  c->GetBrush()->SetStyle(bsSolid);
  c->GetBrush()->SetColor(FColor);
  c->FillRect(r);
  Frame3D(c, r, true);
  TRect inner = TextArea();
  c->SetFont(GetFont());
  if (!IsEnabledInTree()) c->GetFont()->SetColor(clGrayText);
  int th = c->TextHeight("0");
  int ty = std::max(inner.Top, (r.Height() - th) / 2);
  std::u32string chars = DisplayChars();
  auto width = [&](int count) {
    return c->TextWidth(ToUtf8(chars.substr(0, static_cast<std::size_t>(std::clamp(count, 0, static_cast<int>(chars.size()))))));
  };
  int x0 = inner.Left + 1 - FScrollX;
  if (TAlignment align = Focused() ? taLeftJustify : DisplayAlignment(); align != taLeftJustify) {
    int room = inner.Width() - 3 - width(static_cast<int>(chars.size()));
    if (room > 0) x0 += align == taRightJustify ? room : room / 2;
  }
  c->TextRect(inner, x0, ty, ToUtf8(chars));
  int a = GetSelStart(), b = a + GetSelLength();
  if (a != b && (Focused() || !FHideSelection)) {
    int x1 = x0 + width(a), x2 = x0 + width(b);
    c->GetBrush()->SetColor(clHighlight);
    c->GetFont()->SetColor(clHighlightText);
    c->TextRect({std::max(x1, inner.Left), ty, std::min(x2, inner.Right), std::min(ty + th, inner.Bottom)}, x1, ty,
                ToUtf8(chars.substr(static_cast<std::size_t>(a), static_cast<std::size_t>(b - a))));
  }
  if (Focused()) {
    int cx = x0 + width(FCaret);
    if (cx >= inner.Left && cx < inner.Right) {
      c->GetBrush()->SetColor(clWindowText);
      c->FillRect({cx, ty, cx + 1, std::min(ty + th, inner.Bottom)});
    }
  }
}

// ---- TEdit ------------------------------------------------------------------------------

const TClassInfo& TEdit::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TEdit>("TEdit", &TCustomEdit::StaticClass())
          .Prop("AutoSelect", &TCustomEdit::GetAutoSelect, &TCustomEdit::SetAutoSelect).Default(1)
          .Prop("CharCase", &TCustomEdit::GetCharCase, &TCustomEdit::SetCharCase).Default(ecNormal)
          .Prop("HideSelection", &TCustomEdit::GetHideSelection, &TCustomEdit::SetHideSelection).Default(1)
          .Prop("MaxLength", &TCustomEdit::GetMaxLength, &TCustomEdit::SetMaxLength).Default(0)
          .Prop("PasswordChar", &TCustomEdit::GetPasswordChar, &TCustomEdit::SetPasswordChar)
          .Prop("ReadOnly", &TCustomEdit::GetReadOnly, &TCustomEdit::SetReadOnly).Default(0)
          .Prop("Text", &TControl::GetText, &TControl::SetText)
          .Prop("OnChange", &TCustomEdit::GetOnChange, &TCustomEdit::SetOnChange)
          .Build();
  return info;
}

}  // namespace fw
