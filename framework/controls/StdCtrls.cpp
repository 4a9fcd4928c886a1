// The label, the push button, the scroll-bar drawing and the scroll bar control; the edits
// and memos are in Edits.cpp and Memo.cpp.
#include "framework/controls/StdCtrls.h"

#include <algorithm>

#include "framework/controls/Utf32.h"
#include "framework/core/Text.h"
#include "framework/core/TypInfo.h"
#include "framework/ui/Forms.h"
#include "framework/ui/Menus.h"

namespace fw {

bool IsAccel(std::uint16_t key, const std::string& caption) {
  std::u32string text = ToUtf32(caption);
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != U'&') continue;
    if (text[i + 1] == U'&') {
      ++i;
      continue;
    }
    std::u32string upper = ToUtf32(UpperCase(ToUtf8(text[i + 1])));
    return !upper.empty() && upper[0] == static_cast<char32_t>(key);
  }
  return false;
}

// ------------------------------------------------------------------ scroll-bar drawing

namespace {

struct TBarParts {
  TRect Up, Down, Track;
  int TrackStart = 0, TrackLength = 0;
};

TBarParts BarParts(const TRect& r, bool vertical) {
  TBarParts p;
  if (vertical) {
    int b = std::min(r.Width(), r.Height() / 2);
    p.Up = {r.Left, r.Top, r.Right, r.Top + b};
    p.Down = {r.Left, r.Bottom - b, r.Right, r.Bottom};
    p.Track = {r.Left, p.Up.Bottom, r.Right, p.Down.Top};
    p.TrackStart = p.Track.Top;
    p.TrackLength = p.Track.Height();
  } else {
    int b = std::min(r.Height(), r.Width() / 2);
    p.Up = {r.Left, r.Top, r.Left + b, r.Bottom};
    p.Down = {r.Right - b, r.Top, r.Right, r.Bottom};
    p.Track = {p.Up.Right, r.Top, p.Down.Left, r.Bottom};
    p.TrackStart = p.Track.Left;
    p.TrackLength = p.Track.Width();
  }
  return p;
}

/// The thumb's start and length along the track; length 0 when there is no thumb.
std::pair<int, int> ThumbSpan(const TBarParts& p, bool vertical, const TScrollInfo& info) {
  int maxPos = info.MaxPos();
  if (maxPos <= info.Min || p.TrackLength <= 0) return {p.TrackStart, 0};
  int breadth = vertical ? p.Track.Width() : p.Track.Height();
  int length = breadth;
  if (info.Page > 0) {
    long long range = static_cast<long long>(info.Max) - info.Min + 1;
    length = static_cast<int>(std::max<long long>(8, p.TrackLength * static_cast<long long>(info.Page) / range));
  }
  if (length >= p.TrackLength) return {p.TrackStart, 0};
  int pos = std::clamp(info.Pos, info.Min, maxPos);
  int start = p.TrackStart + static_cast<int>(static_cast<long long>(p.TrackLength - length) * (pos - info.Min) /
                                              (maxPos - info.Min));
  return {start, length};
}

TRect SpanRect(const TBarParts& p, bool vertical, std::pair<int, int> span) {
  if (span.second <= 0) return {};
  return vertical ? TRect{p.Track.Left, span.first, p.Track.Right, span.first + span.second}
                  : TRect{span.first, p.Track.Top, span.first + span.second, p.Track.Bottom};
}

}  // namespace

void PaintScrollBar(TCanvas* canvas, const TRect& r, bool vertical, const TScrollInfo& info, bool enabled,
                    TScrollHit pressed) {
  if (!canvas || r.IsEmpty()) return;
  TBarParts p = BarParts(r, vertical);
  bool active = enabled && info.MaxPos() > info.Min;
  unsigned inactive = active ? 0 : DFCS_INACTIVE;
  DrawFrameControl(canvas, p.Up, DFC_SCROLL,
                   (vertical ? DFCS_SCROLLUP : DFCS_SCROLLLEFT) | inactive | (pressed == TScrollHit::LineUp ? DFCS_PUSHED : 0));
  DrawFrameControl(canvas, p.Down, DFC_SCROLL,
                   (vertical ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT) | inactive |
                       (pressed == TScrollHit::LineDown ? DFCS_PUSHED : 0));
  TBrush saved;
  saved.Assign(canvas->GetBrush());
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(cl3DLight);
  canvas->FillRect(p.Track);
  TRect thumb = active ? SpanRect(p, vertical, ThumbSpan(p, vertical, info)) : TRect{};
  if (!thumb.IsEmpty() && (pressed == TScrollHit::PageUp || pressed == TScrollHit::PageDown)) {
    TRect part = p.Track;
    if (pressed == TScrollHit::PageUp)
      (vertical ? part.Bottom : part.Right) = vertical ? thumb.Top : thumb.Left;
    else
      (vertical ? part.Top : part.Left) = vertical ? thumb.Bottom : thumb.Right;
    canvas->GetBrush()->SetColor(clBtnShadow);
    canvas->FillRect(part);
  }
  canvas->SetBrush(&saved);
  if (!thumb.IsEmpty()) DrawFrameControl(canvas, thumb, DFC_BUTTON, DFCS_BUTTONPUSH);
}

TRect ScrollBarThumb(const TRect& r, bool vertical, const TScrollInfo& info) {
  TBarParts p = BarParts(r, vertical);
  return SpanRect(p, vertical, ThumbSpan(p, vertical, info));
}

TScrollHit ScrollBarHitTest(const TRect& r, bool vertical, const TScrollInfo& info, TPoint pt) {
  if (!PtInRect(r, pt)) return TScrollHit::None;
  TBarParts p = BarParts(r, vertical);
  if (PtInRect(p.Up, pt)) return TScrollHit::LineUp;
  if (PtInRect(p.Down, pt)) return TScrollHit::LineDown;
  auto span = ThumbSpan(p, vertical, info);
  if (span.second <= 0) return TScrollHit::None;
  int at = vertical ? pt.Y : pt.X;
  if (at < span.first) return TScrollHit::PageUp;
  if (at >= span.first + span.second) return TScrollHit::PageDown;
  return TScrollHit::Thumb;
}

int ScrollBarPosAt(const TRect& r, bool vertical, const TScrollInfo& info, int thumbStart) {
  TBarParts p = BarParts(r, vertical);
  auto span = ThumbSpan(p, vertical, info);
  int free = p.TrackLength - span.second;
  int maxPos = info.MaxPos();
  if (span.second <= 0 || free <= 0) return info.Pos;
  long long offset = std::clamp(thumbStart - p.TrackStart, 0, free);
  return info.Min + static_cast<int>((offset * (maxPos - info.Min) + free / 2) / free);
}

// ------------------------------------------------------------------ TCustomLabel

namespace {

/// One line of a label: its text and the character to underline as the accelerator.
struct TLabelLine {
  std::string Text;
  int Accel = -1;
};

/// The lines of a caption: accelerators taken out, broken at line breaks and, with a
/// width, wrapped at spaces (a word longer than the width is broken where it must).
std::vector<TLabelLine> LabelLines(const TCanvas* canvas, const std::string& caption, bool showAccel, int wrapWidth) {
  std::u32string src = ToUtf32(caption), text;
  int accel = -1;
  for (std::size_t i = 0; i < src.size(); ++i) {
    if (showAccel && src[i] == U'&') {
      if (i + 1 < src.size() && src[i + 1] == U'&') {
        text.push_back(U'&');
        ++i;
      } else if (i + 1 < src.size() && accel < 0) {
        accel = static_cast<int>(text.size());
      }
      continue;
    }
    text.push_back(src[i]);
  }
  auto width = [&](int from, int to) {
    return canvas->TextWidth(ToUtf8(text.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from))));
  };
  std::vector<TLabelLine> lines;
  auto emit = [&](int from, int to) {
    TLabelLine line;
    line.Text = ToUtf8(text.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from)));
    if (accel >= from && accel < to) line.Accel = accel - from;
    lines.push_back(std::move(line));
  };
  int n = static_cast<int>(text.size());
  int start = 0;
  while (true) {
    int end = start;
    while (end < n && text[static_cast<std::size_t>(end)] != U'\r' && text[static_cast<std::size_t>(end)] != U'\n') ++end;
    // The paragraph [start, end).
    if (wrapWidth <= 0 || start == end) {
      emit(start, end);
    } else {
      int s = start;
      while (s < end) {
        int e = s, lastSpace = -1;
        while (e < end && (e == s || width(s, e + 1) <= wrapWidth)) {
          if (text[static_cast<std::size_t>(e)] == U' ') lastSpace = e;
          ++e;
        }
        if (e < end && text[static_cast<std::size_t>(e)] != U' ' && lastSpace > s) e = lastSpace;
        emit(s, e);
        s = e;
        while (s < end && text[static_cast<std::size_t>(s)] == U' ') ++s;
      }
    }
    if (end >= n) break;
    start = end + (text[static_cast<std::size_t>(end)] == U'\r' && end + 1 < n && text[static_cast<std::size_t>(end + 1)] == U'\n' ? 2 : 1);
  }
  return lines;
}

}  // namespace

const TClassInfo& TCustomLabel::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TCustomLabel>("TCustomLabel", &TGraphicControl::StaticClass()).Build();
  return info;
}

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
  InitColor(clBtnFace);
  FParentColor = true;
  FWidth = 65;
  FHeight = 17;
}

void TCustomLabel::SetAutoSize(bool v) {
  if (v == FAutoSize) return;
  FAutoSize = v;
  AdjustBounds();
}

void TCustomLabel::SetAlignment(TAlignment v) {
  if (v == FAlignment) return;
  FAlignment = v;
  Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout v) {
  if (v == FLayout) return;
  FLayout = v;
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool v) {
  if (v == FWordWrap) return;
  FWordWrap = v;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetTransparent(bool v) {
  if (v == FTransparent) return;
  FTransparent = v;
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool v) {
  if (v == FShowAccelChar) return;
  FShowAccelChar = v;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* control) {
  if (control == FFocusControl) return;
  if (FFocusControl) FFocusControl->RemoveFreeNotification(this);
  FFocusControl = control;
  if (control) control->FreeNotification(this);
}

void TCustomLabel::Notification(TComponent* component, TOperation operation) {
  TGraphicControl::Notification(component, operation);
  if (operation == TOperation::opRemove && component == FFocusControl) FFocusControl = nullptr;
}

bool TCustomLabel::DialogChar(std::uint16_t key, TShiftState shift) {
  if (!FFocusControl || !FShowAccelChar || !IsAccel(key, GetLabelText()) || !FFocusControl->CanFocus()) return false;
  FFocusControl->SetFocus();
  return true;
}

void TCustomLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TCustomLabel::TextChanged() {
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::FontChanged() {
  TGraphicControl::FontChanged();
  AdjustBounds();
}

void TCustomLabel::AdjustBounds() {
  if (!FAutoSize || HasState(csLoading) || HasState(csReading)) return;
  TCanvas* c = GetCanvas();
  c->SetFont(GetFont());
  auto lines = LabelLines(c, GetLabelText(), FShowAccelChar, FWordWrap ? FWidth : 0);
  int lineHeight = c->TextHeight("0");
  int w = 0;
  for (const auto& l : lines) w = std::max(w, c->TextWidth(l.Text));
  int h = lineHeight * static_cast<int>(lines.size());
  if (FWordWrap) w = FWidth;
  int left = FLeft;
  if (FAlignment == taRightJustify) left = FLeft + FWidth - w;
  if (FAlignment == taCenter) left = FLeft + (FWidth - w) / 2;
  SetBounds(left, FTop, w, h);
}

void TCustomLabel::Paint() {
  TCanvas* c = GetCanvas();
  TRect r = GetClientRect();
  if (!FTransparent) {
    c->GetBrush()->SetStyle(bsSolid);
    c->GetBrush()->SetColor(FColor);
    c->FillRect(r);
  }
  c->SetFont(GetFont());
  if (!IsEnabledInTree()) c->GetFont()->SetColor(clGrayText);
  auto lines = LabelLines(c, GetLabelText(), FShowAccelChar, FWordWrap ? r.Width() : 0);
  int lineHeight = c->TextHeight("0");
  int total = lineHeight * static_cast<int>(lines.size());
  int y = FLayout == tlTop ? 0 : FLayout == tlCenter ? (r.Height() - total) / 2 : r.Height() - total;
  int ascent = c->GetTextMetrics().tmAscent;
  c->GetBrush()->SetStyle(bsClear);
  for (const auto& line : lines) {
    int tw = c->TextWidth(line.Text);
    int x = FAlignment == taLeftJustify ? 0 : FAlignment == taRightJustify ? r.Width() - tw : (r.Width() - tw) / 2;
    c->TextOut(x, y, line.Text);
    if (line.Accel >= 0) {
      std::u32string chars = ToUtf32(line.Text);
      int ux = x + c->TextWidth(ToUtf8(chars.substr(0, static_cast<std::size_t>(line.Accel))));
      int uw = c->TextWidth(ToUtf8(chars[static_cast<std::size_t>(line.Accel)]));
      c->GetBrush()->SetStyle(bsSolid);
      c->GetBrush()->SetColor(c->GetFont()->GetColor());
      c->FillRect({ux, y + ascent + 1, ux + uw, y + ascent + 2});
      c->GetBrush()->SetStyle(bsClear);
    }
    y += lineHeight;
  }
  c->GetBrush()->SetStyle(bsSolid);
}

const TClassInfo& TLabel::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TLabel>("TLabel", &TCustomLabel::StaticClass())
          .Prop("Alignment", &TCustomLabel::GetAlignment, &TCustomLabel::SetAlignment).Default(taLeftJustify)
          .Prop("AutoSize", &TCustomLabel::GetAutoSize, &TCustomLabel::SetAutoSize).Default(1)
          .Prop("Caption", &TControl::GetCaption, &TControl::SetCaption)
          .Prop("FocusControl", &TCustomLabel::GetFocusControl, &TCustomLabel::SetFocusControl)
          .Prop("Layout", &TCustomLabel::GetLayout, &TCustomLabel::SetLayout).Default(tlTop)
          .Prop("ShowAccelChar", &TCustomLabel::GetShowAccelChar, &TCustomLabel::SetShowAccelChar).Default(1)
          .Prop("Transparent", &TCustomLabel::GetTransparent, &TCustomLabel::SetTransparent).Default(0)
          .Prop("WordWrap", &TCustomLabel::GetWordWrap, &TCustomLabel::SetWordWrap).Default(0)
          .Build();
  return info;
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

bool TButton::DialogChar(std::uint16_t key, TShiftState shift) {
  if (!IsAccel(key, FText) || !CanFocus()) return false;
  Click();
  return true;
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
  auto lines = LabelLines(c, FText, true, 0);
  const TLabelLine& line = lines.front();
  TSize size = c->TextExtent(line.Text);
  int x = (r.Width() - size.cx) / 2 + (FPressed ? 1 : 0);
  int y = (r.Height() - size.cy) / 2 + (FPressed ? 1 : 0);
  c->GetBrush()->SetStyle(bsClear);
  c->TextOut(x, y, line.Text);
  if (line.Accel >= 0) {
    std::u32string chars = ToUtf32(line.Text);
    int ux = x + c->TextWidth(ToUtf8(chars.substr(0, static_cast<std::size_t>(line.Accel))));
    int uw = c->TextWidth(ToUtf8(chars[static_cast<std::size_t>(line.Accel)]));
    int uy = y + c->GetTextMetrics().tmAscent + 1;
    c->GetBrush()->SetStyle(bsSolid);
    c->GetBrush()->SetColor(c->GetFont()->GetColor());
    c->FillRect({ux, uy, ux + uw, uy + 1});
  }
  c->GetBrush()->SetStyle(bsSolid);
  if (Focused()) c->DrawFocusRect({4, 4, r.Right - 4, r.Bottom - 4});
}

// ------------------------------------------------------------------ TScrollBar

const TClassInfo& TScrollBar::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TScrollBar>("TScrollBar", &TCustomControl::StaticClass())
          .Prop("Kind", &TScrollBar::GetKind, &TScrollBar::SetKind).Default(sbHorizontal)
          .Prop("LargeChange", &TScrollBar::GetLargeChange, &TScrollBar::SetLargeChange).Default(1)
          .Prop("Max", &TScrollBar::GetMax, &TScrollBar::SetMax).Default(100)
          .Prop("Min", &TScrollBar::GetMin, &TScrollBar::SetMin).Default(0)
          .Prop("PageSize", &TScrollBar::GetPageSize, &TScrollBar::SetPageSize).Default(0)
          .Prop("Position", &TScrollBar::GetPosition, &TScrollBar::SetPosition).Default(0)
          .Prop("SmallChange", &TScrollBar::GetSmallChange, &TScrollBar::SetSmallChange).Default(1)
          .Prop("OnChange", &TScrollBar::GetOnChange, &TScrollBar::SetOnChange)
          .Prop("OnScroll", &TScrollBar::GetOnScroll, &TScrollBar::SetOnScroll)
          .Build();
  return info;
}

TScrollBar::TScrollBar(TComponent* owner) : TCustomControl(owner) {
  InitColor(clBtnFace);
  FTabStop = true;
  FWidth = 121;
  FHeight = ScrollBarSize;
}

void TScrollBar::SetKind(TScrollBarKind v) {
  if (v == FKind) return;
  FKind = v;
  if (!HasState(csLoading) && !HasState(csReading)) SetBounds(FLeft, FTop, FHeight, FWidth);
  Invalidate();
}

void TScrollBar::SetPageSize(int v) {
  FInfo.Page = std::max(0, v);
  SetParams(FInfo.Pos, FInfo.Min, FInfo.Max);
  Invalidate();
}

void TScrollBar::SetParams(int position, int min, int max) {
  if (max < min && !HasState(csLoading) && !HasState(csReading)) max = min;
  FInfo.Min = min;
  FInfo.Max = max;
  int pos = HasState(csLoading) || HasState(csReading) ? position : std::clamp(position, min, std::max(min, FInfo.MaxPos()));
  bool changed = pos != FInfo.Pos;
  FInfo.Pos = pos;
  Invalidate();
  if (changed) Change();
}

void TScrollBar::Change() {
  if (FOnChange) FOnChange(this);
}

void TScrollBar::Scroll(TScrollCode code, int pos) {
  auto alive = AliveToken();
  if (FOnScroll) FOnScroll(this, code, pos);
  if (alive.expired() || code == scEndScroll) return;
  SetPosition(pos);
}

void TScrollBar::Step(TScrollHit hit) {
  switch (hit) {
    case TScrollHit::LineUp: Scroll(scLineUp, FInfo.Pos - FSmallChange); break;
    case TScrollHit::LineDown: Scroll(scLineDown, FInfo.Pos + FSmallChange); break;
    case TScrollHit::PageUp: Scroll(scPageUp, FInfo.Pos - FLargeChange); break;
    case TScrollHit::PageDown: Scroll(scPageDown, FInfo.Pos + FLargeChange); break;
    default: break;
  }
}

void TScrollBar::DefaultKeyDown(std::uint16_t key, TShiftState shift) {
  switch (key) {
    case VK_LEFT:
    case VK_UP: Step(TScrollHit::LineUp); break;
    case VK_RIGHT:
    case VK_DOWN: Step(TScrollHit::LineDown); break;
    case VK_PRIOR: Step(TScrollHit::PageUp); break;
    case VK_NEXT: Step(TScrollHit::PageDown); break;
    case VK_HOME: Scroll(scTop, FInfo.Min); break;
    case VK_END: Scroll(scBottom, FInfo.MaxPos()); break;
    default: break;
  }
}

void TScrollBar::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    auto alive = AliveToken();
    if (FTabStop && !Focused() && CanFocus()) SetFocus();
    if (alive.expired()) return;
    bool vertical = FKind == sbVertical;
    TScrollHit hit = ScrollBarHitTest(GetClientRect(), vertical, FInfo, {x, y});
    FPressed = hit;
    if (hit == TScrollHit::Thumb) {
      TRect thumb = ScrollBarThumb(GetClientRect(), vertical, FInfo);
      FThumbGrab = vertical ? y - thumb.Top : x - thumb.Left;
    } else {
      Step(hit);
      if (alive.expired()) return;
    }
    Invalidate();
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TScrollBar::MouseMove(TShiftState shift, int x, int y) {
  if (FPressed == TScrollHit::Thumb && shift.Contains(ssLeft)) {
    bool vertical = FKind == sbVertical;
    int pos = ScrollBarPosAt(GetClientRect(), vertical, FInfo, (vertical ? y : x) - FThumbGrab);
    if (pos != FInfo.Pos) Scroll(scTrack, pos);
  }
  TCustomControl::MouseMove(shift, x, y);
}

void TScrollBar::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && FPressed != TScrollHit::None) {
    auto alive = AliveToken();
    bool thumb = FPressed == TScrollHit::Thumb;
    FPressed = TScrollHit::None;
    Invalidate();
    if (thumb) Scroll(scPosition, FInfo.Pos);
    if (alive.expired()) return;
    Scroll(scEndScroll, FInfo.Pos);
    if (alive.expired()) return;
  }
  TCustomControl::MouseUp(button, shift, x, y);
}

void TScrollBar::Paint() {
  TRect r = GetClientRect();
  bool vertical = FKind == sbVertical;
  PaintScrollBar(GetCanvas(), r, vertical, FInfo, IsEnabledInTree(), FPressed);
  if (Focused()) {
    TRect thumb = ScrollBarThumb(r, vertical, FInfo);
    if (!thumb.IsEmpty()) GetCanvas()->DrawFocusRect({thumb.Left + 3, thumb.Top + 3, thumb.Right - 3, thumb.Bottom - 3});
  }
}

}  // namespace fw
