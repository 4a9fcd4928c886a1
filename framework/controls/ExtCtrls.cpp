#include "framework/controls/ExtCtrls.h"

#include <algorithm>

#include "framework/core/TypInfo.h"
#include "framework/ui/Menus.h"

namespace fw {

void Frame3D(TCanvas* canvas, TRect& rect, TColor topLeft, TColor bottomRight, int width) {
  TBrush saved;
  saved.Assign(canvas->GetBrush());
  canvas->GetBrush()->SetStyle(bsSolid);
  for (int i = 0; i < width && !rect.IsEmpty(); ++i) {
    canvas->GetBrush()->SetColor(topLeft);
    canvas->FillRect({rect.Left, rect.Top, rect.Right, rect.Top + 1});
    canvas->FillRect({rect.Left, rect.Top, rect.Left + 1, rect.Bottom});
    canvas->GetBrush()->SetColor(bottomRight);
    canvas->FillRect({rect.Left, rect.Bottom - 1, rect.Right, rect.Bottom});
    canvas->FillRect({rect.Right - 1, rect.Top, rect.Right, rect.Bottom});
    rect = {rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1};
  }
  canvas->SetBrush(&saved);
}

// ------------------------------------------------------------------ TCustomPanel

const TClassInfo& TCustomPanel::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TCustomPanel>("TCustomPanel", &TCustomControl::StaticClass()).Build();
  return info;
}

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {
  InitColor(clBtnFace);
  FControlStyle.Include(csAcceptsControls);
  FWidth = 185;
  FHeight = 41;
}

void TCustomPanel::Changed() {
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelOuter(TBevelCut v) {
  FBevelOuter = v;
  Changed();
}

void TCustomPanel::SetBevelInner(TBevelCut v) {
  FBevelInner = v;
  Changed();
}

void TCustomPanel::SetBevelWidth(int v) {
  FBevelWidth = std::max(1, v);
  Changed();
}

void TCustomPanel::SetBorderWidth(int v) {
  FBorderWidth = std::max(0, v);
  Changed();
}

void TCustomPanel::SetAlignment(TAlignment v) {
  FAlignment = v;
  Invalidate();
}

void TCustomPanel::AdjustClientRect(TRect& rect) const {
  int inset = FBorderWidth;
  if (FBevelOuter != bvNone) inset += FBevelWidth;
  if (FBevelInner != bvNone) inset += FBevelWidth;
  rect = {rect.Left + inset, rect.Top + inset, std::max(rect.Left + inset, rect.Right - inset),
          std::max(rect.Top + inset, rect.Bottom - inset)};
}

void TCustomPanel::Paint() {
  TCanvas* c = GetCanvas();
  TRect r = GetClientRect();
  auto bevel = [&](TBevelCut cut) {
    if (cut == bvNone) return;
    TColor tl = cut == bvLowered ? clBtnShadow : cut == bvRaised ? clBtnHighlight : FColor;
    TColor br = cut == bvLowered ? clBtnHighlight : cut == bvRaised ? clBtnShadow : FColor;
    Frame3D(c, r, tl, br, FBevelWidth);
  };
  bevel(FBevelOuter);
  Frame3D(c, r, FColor, FColor, FBorderWidth);
  bevel(FBevelInner);
  c->GetBrush()->SetStyle(bsSolid);
  c->GetBrush()->SetColor(FColor);
  c->FillRect(r);
  std::string caption = StripHotkey(FText);
  if (caption.empty()) return;
  c->SetFont(GetFont());
  if (!IsEnabledInTree()) c->GetFont()->SetColor(clGrayText);
  TSize size = c->TextExtent(caption);
  int x = FAlignment == taLeftJustify ? r.Left + 2 : FAlignment == taRightJustify ? r.Right - 2 - size.cx
                                                                                   : (r.Left + r.Right - size.cx) / 2;
  int y = (r.Top + r.Bottom - size.cy) / 2;
  c->GetBrush()->SetStyle(bsClear);
  c->TextRect(r, x, y, caption);
  c->GetBrush()->SetStyle(bsSolid);
}

const TClassInfo& TPanel::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TPanel>("TPanel", &TCustomPanel::StaticClass())
          .Prop("Alignment", &TCustomPanel::GetAlignment, &TCustomPanel::SetAlignment).Default(taCenter)
          .Prop("BevelInner", &TCustomPanel::GetBevelInner, &TCustomPanel::SetBevelInner).Default(bvNone)
          .Prop("BevelOuter", &TCustomPanel::GetBevelOuter, &TCustomPanel::SetBevelOuter).Default(bvRaised)
          .Prop("BevelWidth", &TCustomPanel::GetBevelWidth, &TCustomPanel::SetBevelWidth).Default(1)
          .Prop("BorderWidth", &TCustomPanel::GetBorderWidth, &TCustomPanel::SetBorderWidth).Default(0)
          .Prop("Caption", &TControl::GetCaption, &TControl::SetCaption)
          .Build();
  return info;
}

// ------------------------------------------------------------------ TBevel

const TClassInfo& TBevel::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TBevel>("TBevel", &TGraphicControl::StaticClass())
          .Prop("Shape", &TBevel::GetShape, &TBevel::SetShape).Default(bsBox)
          .Prop("Style", &TBevel::GetStyle, &TBevel::SetStyle).Default(bsLowered)
          .Build();
  return info;
}

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) {
  InitColor(clBtnFace);
  FWidth = 50;
  FHeight = 50;
}

void TBevel::SetShape(TBevelShape v) {
  FShape = v;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle v) {
  FStyle = v;
  Invalidate();
}

void TBevel::Paint() {
  TCanvas* c = GetCanvas();
  TColor dark = FStyle == bsLowered ? clBtnShadow : clBtnHighlight;
  TColor light = FStyle == bsLowered ? clBtnHighlight : clBtnShadow;
  int w = FWidth, h = FHeight;
  auto fill = [&](TColor color, TRect r) {
    c->GetBrush()->SetColor(color);
    c->FillRect(r);
  };
  c->GetBrush()->SetStyle(bsSolid);
  switch (FShape) {
    case bsBox: {
      TRect r = GetClientRect();
      Frame3D(c, r, dark, light, 1);
      break;
    }
    case bsFrame: {
      // Two offset rings: an etched (or embossed) groove.
      TRect outer{0, 0, w - 1, h - 1}, inner{1, 1, w, h};
      Frame3D(c, inner, light, light, 1);
      Frame3D(c, outer, dark, dark, 1);
      break;
    }
    case bsTopLine:
      fill(dark, {0, 0, w, 1});
      fill(light, {0, 1, w, 2});
      break;
    case bsBottomLine:
      fill(dark, {0, h - 2, w, h - 1});
      fill(light, {0, h - 1, w, h});
      break;
    case bsLeftLine:
      fill(dark, {0, 0, 1, h});
      fill(light, {1, 0, 2, h});
      break;
    case bsRightLine:
      fill(dark, {w - 2, 0, w - 1, h});
      fill(light, {w - 1, 0, w, h});
      break;
    case bsSpacer: break;
  }
}

// ------------------------------------------------------------------ TImage

TRect PictureRect(int w, int h, const TRect& client, bool stretch, bool center, bool proportional) {
  int cw = client.Width(), ch = client.Height();
  if (w <= 0 || h <= 0) return {client.Left, client.Top, client.Left, client.Top};
  if (proportional && (stretch || w > cw || h > ch)) {
    // The largest size of the picture's shape that fits.
    if (static_cast<long long>(cw) * h <= static_cast<long long>(ch) * w) {
      h = static_cast<int>(static_cast<long long>(h) * cw / w);
      w = cw;
    } else {
      w = static_cast<int>(static_cast<long long>(w) * ch / h);
      h = ch;
    }
  } else if (stretch) {
    w = cw;
    h = ch;
  }
  int x = client.Left, y = client.Top;
  if (center) {
    x += (cw - w) / 2;
    y += (ch - h) / 2;
  }
  return Bounds(x, y, w, h);
}

const TClassInfo& TImage::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TImage>("TImage", &TGraphicControl::StaticClass())
          .Prop("AutoSize", &TImage::GetAutoSize, &TImage::SetAutoSize).Default(0)
          .Prop("Center", &TImage::GetCenter, &TImage::SetCenter).Default(0)
          .Prop("Picture", &TImage::GetPicture, &TImage::SetPicture)
          .Prop("Proportional", &TImage::GetProportional, &TImage::SetProportional).Default(0)
          .Prop("Stretch", &TImage::GetStretch, &TImage::SetStretch).Default(0)
          .Build();
  return info;
}

TImage::TImage(TComponent* owner) : TGraphicControl(owner), FPicture(std::make_unique<TPicture>()) {
  FControlStyle.Include(csOpaque);
  FPicture->SetOnChange(Method<&TImage::PictureChanged>(this));
  FWidth = 105;
  FHeight = 105;
}

TImage::~TImage() { FPicture->SetOnChange(nullptr); }

void TImage::PictureChanged(TObject*) {
  if (FAutoSize && FPicture->GetWidth() > 0 && FPicture->GetHeight() > 0)
    SetBounds(FLeft, FTop, FPicture->GetWidth(), FPicture->GetHeight());
  Invalidate();
}

void TImage::SetStretch(bool v) {
  FStretch = v;
  Invalidate();
}

void TImage::SetCenter(bool v) {
  FCenter = v;
  Invalidate();
}

void TImage::SetProportional(bool v) {
  FProportional = v;
  Invalidate();
}

void TImage::SetAutoSize(bool v) {
  FAutoSize = v;
  if (v) PictureChanged(this);
}

TRect TImage::DestRect() const {
  return PictureRect(FPicture->GetWidth(), FPicture->GetHeight(), GetClientRect(), FStretch, FCenter, FProportional);
}

void TImage::Paint() {
  if (TGraphic* g = FPicture->GetGraphic(); g && !g->GetEmpty()) GetCanvas()->StretchDraw(DestRect(), g);
}

}  // namespace fw
