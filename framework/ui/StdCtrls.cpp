#include "framework/ui/StdCtrls.h"

#include <algorithm>

#include "framework/core/Text.h"
#include "framework/core/TypInfo.h"
#include "framework/ui/Clipbrd.h"
#include "framework/ui/Forms.h"
#include "framework/ui/Menus.h"

namespace fw {

namespace {

/// The byte offset of a character position of a UTF-8 text.
std::size_t ByteOf(const std::string& s, int chars) {
  std::size_t i = 0;
  for (int n = 0; n < chars && i < s.size(); ++n) Utf8Next(s, i);
  return i;
}

}  // namespace

// ------------------------------------------------------------------ TEdit

const TClassInfo& TEdit::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TEdit>("TEdit", &TCustomControl::StaticClass())
          .Prop("AutoSelect", &TEdit::GetAutoSelect, &TEdit::SetAutoSelect).Default(1)
          .Prop("MaxLength", &TEdit::GetMaxLength, &TEdit::SetMaxLength).Default(0)
          .Prop("ReadOnly", &TEdit::GetReadOnly, &TEdit::SetReadOnly).Default(0)
          .Prop("Text", &TEdit::GetText, &TEdit::SetText)
          .Prop("OnChange", &TEdit::GetOnChange, &TEdit::SetOnChange)
          .Build();
  return info;
}

TEdit::TEdit(TComponent* owner) : TCustomControl(owner) {
  InitColor(clWindow);
  FTabStop = true;
  FWidth = 121;
  FHeight = 21;
  FCursor = crIBeam;
}

int TEdit::CharCount() const { return static_cast<int>(Utf8Length(FText)); }

void TEdit::SetSelStart(int v) {
  FSelStart = std::clamp(v, 0, CharCount());
  FSelLength = 0;
  Invalidate();
}

void TEdit::SetSelLength(int v) {
  FSelLength = std::clamp(v, -FSelStart, CharCount() - FSelStart);
  Invalidate();
}

std::string TEdit::GetSelText() const {
  int a = std::min(FSelStart, FSelStart + FSelLength), b = std::max(FSelStart, FSelStart + FSelLength);
  std::size_t from = ByteOf(FText, a), to = ByteOf(FText, b);
  return FText.substr(from, to - from);
}

void TEdit::SetSelText(const std::string& text) {
  int a = std::min(FSelStart, FSelStart + FSelLength), b = std::max(FSelStart, FSelStart + FSelLength);
  std::size_t from = ByteOf(FText, a), to = ByteOf(FText, b);
  std::string inserted = text;
  if (FMaxLength > 0) {
    int room = FMaxLength - (CharCount() - (b - a));
    inserted = Utf8Left(inserted, static_cast<std::size_t>(std::max(0, room)));
  }
  std::string value = FText.substr(0, from) + inserted + FText.substr(to);
  FChanging = true;
  SetText(value);
  FChanging = false;
  FSelStart = a + static_cast<int>(Utf8Length(inserted));
  FSelLength = 0;
  Invalidate();
}

void TEdit::SelectAll() {
  FSelStart = 0;
  FSelLength = CharCount();
  Invalidate();
}

void TEdit::CopyToClipboard() const {
  if (FSelLength != 0) Clipboard()->SetAsText(GetSelText());
}

void TEdit::CutToClipboard() {
  CopyToClipboard();
  if (!FReadOnly) ClearSelection();
}

void TEdit::PasteFromClipboard() {
  if (!FReadOnly) SetSelText(Clipboard()->GetAsText());
}

void TEdit::TextChanged() {
  if (HasState(csLoading)) return;
  if (!FChanging) {
    FSelStart = std::min(FSelStart, CharCount());
    FSelLength = 0;
  }
  Invalidate();
  Change();
}

void TEdit::Change() {
  if (FOnChange) FOnChange(this);
}

void TEdit::KeyDown(std::uint16_t& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  int n = CharCount();
  switch (key) {
    case VK_LEFT: SetSelStart(std::min(FSelStart, FSelStart + FSelLength) - (FSelLength ? 0 : 1)); break;
    case VK_RIGHT: SetSelStart(std::max(FSelStart, FSelStart + FSelLength) + (FSelLength ? 0 : 1)); break;
    case VK_HOME: SetSelStart(0); break;
    case VK_END: SetSelStart(n); break;
    case VK_DELETE:
      if (FReadOnly) break;
      if (FSelLength == 0 && FSelStart < n) FSelLength = 1;
      ClearSelection();
      break;
    default: return;
  }
  key = 0;
}

void TEdit::DefaultChar(TKeyChar key) {
  if (FReadOnly) return;
  if (key == 8) {
    if (FSelLength == 0 && FSelStart > 0) {
      --FSelStart;
      FSelLength = 1;
    }
    ClearSelection();
    return;
  }
  if (key < 32 || key == 127) return;
  std::string s;
  Utf8Append(s, key);
  SetSelText(s);
}

int TEdit::CharAt(int x) {
  TCanvas* canvas = GetCanvas();
  canvas->SetFont(GetFont());
  int n = CharCount();
  for (int i = 0; i < n; ++i) {
    int left = canvas->TextWidth(Utf8Left(FText, static_cast<std::size_t>(i)));
    int right = canvas->TextWidth(Utf8Left(FText, static_cast<std::size_t>(i + 1)));
    if (x - 3 < (left + right) / 2) return i;
  }
  return n;
}

void TEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    auto alive = AliveToken();
    if (!Focused() && CanFocus()) SetFocus();
    if (alive.expired()) return;
    SetSelStart(CharAt(x));
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TEdit::WMSetFocus() {
  TCustomControl::WMSetFocus();
  Invalidate();
}

void TEdit::DoEnter() {
  if (FAutoSelect) SelectAll();
  TCustomControl::DoEnter();
}

void TEdit::WMKillFocus() {
  TCustomControl::WMKillFocus();
  Invalidate();
}

void TEdit::Paint() {
  TCanvas* c = GetCanvas();
  TRect r = GetClientRect();
  Frame3D(c, r, true);
  c->SetFont(GetFont());
  c->GetBrush()->SetColor(FColor);
  TRect inner{2, 2, r.Right - 2, r.Bottom - 2};
  int th = c->TextHeight("0");
  int ty = std::max(2, (r.Height() - th) / 2);
  if (!IsEnabledInTree()) c->GetFont()->SetColor(clGrayText);
  c->TextRect(inner, 3, ty, FText);
  int a = std::min(FSelStart, FSelStart + FSelLength), b = std::max(FSelStart, FSelStart + FSelLength);
  if (a != b && Focused()) {
    int x1 = 3 + c->TextWidth(Utf8Left(FText, static_cast<std::size_t>(a)));
    int x2 = 3 + c->TextWidth(Utf8Left(FText, static_cast<std::size_t>(b)));
    c->GetBrush()->SetColor(clHighlight);
    c->GetFont()->SetColor(clHighlightText);
    c->TextRect({x1, ty, std::min(x2, inner.Right), ty + th}, x1, ty, GetSelText());
  }
  if (Focused()) {
    int cx = 3 + c->TextWidth(Utf8Left(FText, static_cast<std::size_t>(FSelStart + FSelLength)));
    c->GetBrush()->SetColor(clWindowText);
    c->FillRect({cx, ty, cx + 1, ty + th});
  }
}

// ------------------------------------------------------------------ TButton

const TClassInfo& TButton::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TButton>("TButton", &TCustomControl::StaticClass())
          .Prop("Cancel", &TButton::GetCancel, &TButton::SetCancel).Default(0)
          .Prop("Caption", &TButton::GetCaption, &TButton::SetCaption)
          .Prop("Default", &TButton::GetDefault, &TButton::SetDefault).Default(0)
          .Prop("ModalResult", &TButton::GetModalResult, &TButton::SetModalResult).Default(0)
          .Build();
  return info;
}

TButton::TButton(TComponent* owner) : TCustomControl(owner) {
  InitColor(clBtnFace);
  FTabStop = true;
  FWidth = 75;
  FHeight = 25;
}

void TButton::SetDefault(bool v) {
  FDefault = v;
  Invalidate();
}

void TButton::Click() {
  if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
  TCustomControl::Click();
}

bool TButton::DialogKey(std::uint16_t key, TShiftState shift) {
  if (!shift.Empty() || !CanFocus() || !IsEnabledInTree()) return false;
  bool focusedButton = dynamic_cast<TButton*>(FindFocusedControl()) != nullptr;
  if ((key == VK_RETURN && (Focused() || (FDefault && !focusedButton))) || (key == VK_ESCAPE && FCancel)) {
    Click();
    return true;
  }
  return false;
}

void TButton::KeyDown(std::uint16_t& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (key == VK_SPACE && shift.Empty()) {
    key = 0;
    Click();
  }
}

void TButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    auto alive = AliveToken();
    if (!Focused() && CanFocus()) SetFocus();
    if (alive.expired()) return;
    FPressed = true;
    Repaint();
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && FPressed) {
    FPressed = false;
    Invalidate();
  }
  TCustomControl::MouseUp(button, shift, x, y);
}

void TButton::WMSetFocus() {
  TCustomControl::WMSetFocus();
  Invalidate();
}

void TButton::WMKillFocus() {
  TCustomControl::WMKillFocus();
  FPressed = false;
  Invalidate();
}

void TButton::Paint() {
  TCanvas* c = GetCanvas();
  TRect r = GetClientRect();
  c->GetBrush()->SetColor(FColor);
  c->FillRect(r);
  TRect face = r;
  if (FDefault || Focused()) {
    c->GetBrush()->SetColor(clWindowFrame);
    c->FrameRect(face);
    face = {face.Left + 1, face.Top + 1, face.Right - 1, face.Bottom - 1};
  }
  Frame3D(c, face, FPressed);
  c->SetFont(GetFont());
  if (!IsEnabledInTree()) c->GetFont()->SetColor(clGrayText);
  std::string text = StripHotkey(FText);
  TSize size = c->TextExtent(text);
  int x = (r.Width() - size.cx) / 2 + (FPressed ? 1 : 0);
  int y = (r.Height() - size.cy) / 2 + (FPressed ? 1 : 0);
  c->GetBrush()->SetStyle(bsClear);
  c->TextOut(x, y, text);
  c->GetBrush()->SetStyle(bsSolid);
  if (Focused()) c->DrawFocusRect({4, 4, r.Right - 4, r.Bottom - 4});
}

}  // namespace fw
