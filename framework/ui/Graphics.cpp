#include "framework/ui/Graphics.h"

#include <algorithm>
#include <cmath>

#include "framework/core/Consts.h"
#include "framework/core/Filer.h"
#include "framework/core/Text.h"
#include "framework/core/TypInfo.h"
#include "framework/ui/Clipbrd.h"
#include "framework/ui/WidgetSet.h"

namespace fw {

namespace {

// The system palette (the desktop defaults of a current Windows), by system colour index.
TColor gSystemColors[25] = {
    RGB(200, 200, 200),  // clScrollBar
    RGB(0, 0, 0),        // clBackground
    RGB(153, 180, 209),  // clActiveCaption
    RGB(191, 205, 219),  // clInactiveCaption
    RGB(240, 240, 240),  // clMenu
    RGB(255, 255, 255),  // clWindow
    RGB(100, 100, 100),  // clWindowFrame
    RGB(0, 0, 0),        // clMenuText
    RGB(0, 0, 0),        // clWindowText
    RGB(0, 0, 0),        // clCaptionText
    RGB(180, 180, 180),  // clActiveBorder
    RGB(244, 247, 252),  // clInactiveBorder
    RGB(171, 171, 171),  // clAppWorkSpace
    RGB(0, 120, 215),    // clHighlight
    RGB(255, 255, 255),  // clHighlightText
    RGB(240, 240, 240),  // clBtnFace
    RGB(160, 160, 160),  // clBtnShadow
    RGB(109, 109, 109),  // clGrayText
    RGB(0, 0, 0),        // clBtnText
    RGB(0, 0, 0),        // clInactiveCaptionText
    RGB(255, 255, 255),  // clBtnHighlight
    RGB(105, 105, 105),  // cl3DDkShadow
    RGB(227, 227, 227),  // cl3DLight
    RGB(0, 0, 0),        // clInfoText
    RGB(255, 255, 225),  // clInfoBk
};

struct TColorName {
  TColor Color;
  const char* Name;
};

const TColorName kColorNames[] = {
    {clBlack, "clBlack"}, {clMaroon, "clMaroon"}, {clGreen, "clGreen"}, {clOlive, "clOlive"},
    {clNavy, "clNavy"}, {clPurple, "clPurple"}, {clTeal, "clTeal"}, {clGray, "clGray"},
    {clSilver, "clSilver"}, {clRed, "clRed"}, {clLime, "clLime"}, {clYellow, "clYellow"},
    {clBlue, "clBlue"}, {clFuchsia, "clFuchsia"}, {clAqua, "clAqua"}, {clWhite, "clWhite"},
    {clNone, "clNone"}, {clDefault, "clDefault"},
    {clScrollBar, "clScrollBar"}, {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"}, {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"}, {clWindow, "clWindow"}, {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"}, {clWindowText, "clWindowText"}, {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"}, {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"}, {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"}, {clBtnFace, "clBtnFace"}, {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"}, {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"}, {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"}, {cl3DLight, "cl3DLight"}, {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
};

int MulDiv(int a, int b, int c) {
  return static_cast<int>(std::lround(static_cast<double>(a) * b / c));
}

}  // namespace

TColor ColorToRGB(TColor color) {
  if (color < 0) {
    int index = color & 0xFF;
    if (index < 25) return gSystemColors[index];
  }
  return color;
}

TColor SetSystemColor(int index, TColor rgb) {
  if (index < 0 || index >= 25) return clNone;
  TColor old = gSystemColors[index];
  gSystemColors[index] = rgb;
  return old;
}

TColor ReadColor(TReader& r) {
  if (r.ReadValue() == TValueType::vaIdent) {
    std::string ident = r.ReadIdent();
    TColor c;
    if (!IdentToColor(ident, c)) throw EConvertError(Format(SInvalidColor, {ident}));
    return c;
  }
  return static_cast<TColor>(r.ReadInteger());
}

void WriteColor(TWriter& w, TColor c) {
  std::string ident = ColorToIdent(c);
  if (!ident.empty())
    w.WriteIdent(ident);
  else
    w.WriteInteger(c);
}

std::string ColorToIdent(TColor color) {
  for (const auto& n : kColorNames)
    if (n.Color == color) return n.Name;
  return {};
}

bool IdentToColor(const std::string& ident, TColor& color) {
  for (const auto& n : kColorNames)
    if (SameText(n.Name, ident)) {
      color = n.Color;
      return true;
    }
  return false;
}

// ------------------------------------------------------------------ fonts, pens, brushes

const TClassInfo& TGraphicsObject::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TGraphicsObject>("TGraphicsObject", &TPersistent::StaticClass()).Build();
  return info;
}

void TGraphicsObject::Changed() {
  if (FOnChange) FOnChange(this);
}

TDefaultFont& DefFontData() {
  static TDefaultFont data;
  return data;
}

const TClassInfo& TFont::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TFont>("TFont", &TGraphicsObject::StaticClass())
          .Prop("Charset", &TFont::GetCharset, &TFont::SetCharset).Default(1)
          .Prop("Color", &TFont::GetColor, &TFont::SetColor).Stored(false)
          .Prop("Height", &TFont::GetHeight, &TFont::SetHeight)
          .Prop("Name", &TFont::GetName, &TFont::SetName)
          .Prop("Size", &TFont::GetSize, &TFont::SetSize).Stored(false)
          .Prop("Style", &TFont::GetStyle, &TFont::SetStyle).Default(0)
          .Build();
  return info;
}

TFont::TFont() : FName(DefFontData().Name), FHeight(DefFontData().Height) {}

void TFont::SetName(const std::string& v) {
  if (v == FName) return;
  FName = v;
  Changed();
}

void TFont::SetHeight(int v) {
  if (v == FHeight) return;
  FHeight = v;
  Changed();
}

int TFont::GetSize() const { return -MulDiv(FHeight, 72, GetPixelsPerInch()); }

void TFont::SetSize(int v) { SetHeight(-MulDiv(v, GetPixelsPerInch(), 72)); }

void TFont::SetStyle(TFontStyles v) {
  if (v == FStyle) return;
  FStyle = v;
  Changed();
}

void TFont::SetColor(TColor v) {
  if (v == FColor) return;
  FColor = v;
  Changed();
}

void TFont::SetCharset(int v) {
  if (v == FCharset) return;
  FCharset = v;
  Changed();
}

void TFont::Assign(const TPersistent* source) {
  if (auto* f = dynamic_cast<const TFont*>(source)) {
    if (Equals(*f) && FCharset == f->FCharset) return;
    FName = f->FName;
    FHeight = f->FHeight;
    FStyle = f->FStyle;
    FColor = f->FColor;
    FCharset = f->FCharset;
    Changed();
    return;
  }
  TGraphicsObject::Assign(source);
}

void TFont::DefineProperties(TFiler* filer) {
  TGraphicsObject::DefineProperties(filer);
  filer->DefineProperty(
      "Color", [this](TReader& r) { SetColor(ReadColor(r)); },
      [this](TWriter& w) { WriteColor(w, FColor); }, FColor != clWindowText);
}

bool TFont::Equals(const TFont& o) const {
  return FName == o.FName && FHeight == o.FHeight && FStyle == o.FStyle && FColor == o.FColor;
}

TFontData FontDataOf(const TFont& font) {
  return {font.GetName(), font.GetHeight(), font.GetStyle(), ColorToRGB(font.GetColor())};
}

TTextMetric GetTextMetrics(const TFont& font) { return WidgetSet()->TextMetrics(FontDataOf(font)); }

const TClassInfo& TPen::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TPen>("TPen", &TGraphicsObject::StaticClass())
          .Prop("Color", &TPen::GetColor, &TPen::SetColor).Default(clBlack)
          .Prop("Style", &TPen::GetStyle, &TPen::SetStyle).Default(psSolid)
          .Prop("Width", &TPen::GetWidth, &TPen::SetWidth).Default(1)
          .Build();
  return info;
}

void TPen::SetColor(TColor v) {
  if (v == FColor) return;
  FColor = v;
  Changed();
}

void TPen::SetWidth(int v) {
  if (v == FWidth) return;
  FWidth = v;
  Changed();
}

void TPen::SetStyle(TPenStyle v) {
  if (v == FStyle) return;
  FStyle = v;
  Changed();
}

void TPen::Assign(const TPersistent* source) {
  if (auto* p = dynamic_cast<const TPen*>(source)) {
    FColor = p->FColor;
    FWidth = p->FWidth;
    FStyle = p->FStyle;
    Changed();
    return;
  }
  TGraphicsObject::Assign(source);
}

const TClassInfo& TBrush::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TBrush>("TBrush", &TGraphicsObject::StaticClass())
          .Prop("Color", &TBrush::GetColor, &TBrush::SetColor).Default(clWhite)
          .Prop("Style", &TBrush::GetStyle, &TBrush::SetStyle).Default(bsSolid)
          .Build();
  return info;
}

void TBrush::SetColor(TColor v) {
  if (v == FColor && FStyle != bsClear) return;
  FColor = v;
  if (FStyle == bsClear) FStyle = bsSolid;  // a colour makes a clear brush solid again
  Changed();
}

void TBrush::SetStyle(TBrushStyle v) {
  if (v == FStyle) return;
  FStyle = v;
  Changed();
}

void TBrush::Assign(const TPersistent* source) {
  if (auto* b = dynamic_cast<const TBrush*>(source)) {
    FColor = b->FColor;
    FStyle = b->FStyle;
    Changed();
    return;
  }
  TGraphicsObject::Assign(source);
}

// ------------------------------------------------------------------ canvas

const TClassInfo& TCanvas::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TCanvas>("TCanvas", &TPersistent::StaticClass()).Build();
  return info;
}

TCanvas::TCanvas()
    : FFont(std::make_unique<TFont>()), FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>()) {}

TCanvas::~TCanvas() = default;

bool TCanvas::Ready() {
  if (!FPainter) RequiredState();
  return FPainter != nullptr;
}

void TCanvas::FillRect(const TRect& r) {
  if (FBrush->GetStyle() == bsClear || !Ready()) return;
  FPainter->FillRect(r, ColorToRGB(FBrush->GetColor()));
  Changed();
}

void TCanvas::FrameRect(const TRect& r) {
  if (r.IsEmpty() || !Ready()) return;
  TColor c = ColorToRGB(FBrush->GetColor());
  FPainter->FillRect({r.Left, r.Top, r.Right, r.Top + 1}, c);
  FPainter->FillRect({r.Left, r.Bottom - 1, r.Right, r.Bottom}, c);
  FPainter->FillRect({r.Left, r.Top, r.Left + 1, r.Bottom}, c);
  FPainter->FillRect({r.Right - 1, r.Top, r.Right, r.Bottom}, c);
  Changed();
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
  if (!Ready()) return;
  if (FBrush->GetStyle() != bsClear)
    FPainter->FillRect({left, top, right, bottom}, ColorToRGB(FBrush->GetColor()));
  if (FPen->GetStyle() != psClear && right > left && bottom > top) {
    TColor c = ColorToRGB(FPen->GetColor());
    int w = std::max(1, FPen->GetWidth());
    FPainter->FillRect({left, top, right, top + w}, c);
    FPainter->FillRect({left, bottom - w, right, bottom}, c);
    FPainter->FillRect({left, top, left + w, bottom}, c);
    FPainter->FillRect({right - w, top, right, bottom}, c);
  }
  Changed();
}

void TCanvas::LineTo(int x, int y) {
  if (Ready() && FPen->GetStyle() != psClear) {
    FPainter->Line(FPenPos, {x, y}, ColorToRGB(FPen->GetColor()), FPen->GetWidth(), FPen->GetStyle());
    Changed();
  }
  FPenPos = {x, y};
}

void TCanvas::Polygon(const std::vector<TPoint>& points) {
  if (points.size() < 2 || !Ready()) return;
  TColor pen = FPen->GetStyle() == psClear ? clNone : ColorToRGB(FPen->GetColor());
  TColor fill = FBrush->GetStyle() == bsClear ? clNone : ColorToRGB(FBrush->GetColor());
  FPainter->Polygon(points, pen, FPen->GetWidth(), fill);
  Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
  if (points.empty()) return;
  MoveTo(points[0].X, points[0].Y);
  for (std::size_t i = 1; i < points.size(); ++i) LineTo(points[i].X, points[i].Y);
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
  TSize size = TextExtent(text);
  if (Ready()) {
    if (FBrush->GetStyle() != bsClear)
      FPainter->FillRect(Bounds(x, y, size.cx, size.cy), ColorToRGB(FBrush->GetColor()));
    FPainter->Text(x, y, text, FontDataOf(*FFont), nullptr);
    Changed();
  }
  FPenPos = {x + size.cx, y};
}

void TCanvas::TextRect(const TRect& r, int x, int y, const std::string& text) {
  if (!Ready()) return;
  if (FBrush->GetStyle() != bsClear) FPainter->FillRect(r, ColorToRGB(FBrush->GetColor()));
  if (!text.empty()) FPainter->Text(x, y, text, FontDataOf(*FFont), &r);
  Changed();
}

TSize TCanvas::TextExtent(const std::string& text) const {
  return WidgetSet()->TextExtent(FontDataOf(*FFont), text);
}

TTextMetric TCanvas::GetTextMetrics() const { return WidgetSet()->TextMetrics(FontDataOf(*FFont)); }

void TCanvas::DrawFocusRect(const TRect& r) {
  if (r.IsEmpty() || !Ready()) return;
  FPainter->FocusRect(r);
  Changed();
}

void TCanvas::Draw(int x, int y, const TGraphic* graphic) {
  if (!graphic || graphic->GetEmpty()) return;
  StretchDraw(Bounds(x, y, graphic->GetWidth(), graphic->GetHeight()), graphic);
}

void TCanvas::StretchDraw(const TRect& r, const TGraphic* graphic) {
  if (!graphic || graphic->GetEmpty() || !Ready()) return;
  graphic->Draw(this, r);
  Changed();
}

TColor TCanvas::GetPixel(int x, int y) const {
  auto* self = const_cast<TCanvas*>(this);
  if (!self->Ready()) return clNone;
  return FPainter->Pixel(x, y);
}

void TCanvas::SetPixel(int x, int y, TColor color) {
  if (!Ready()) return;
  FPainter->SetPixel(x, y, ColorToRGB(color));
  Changed();
}

// ------------------------------------------------------------------ frame controls

namespace {

void Fill(TPainterBackend* p, const TRect& r, TColor color) {
  if (!r.IsEmpty()) p->FillRect(r, ColorToRGB(color));
}

/// One-pixel lines along the top and left edges in `tl`, bottom and right in `br`.
void Edge(TPainterBackend* p, const TRect& r, TColor tl, TColor br) {
  Fill(p, {r.Left, r.Top, r.Right - 1, r.Top + 1}, tl);
  Fill(p, {r.Left, r.Top, r.Left + 1, r.Bottom - 1}, tl);
  Fill(p, {r.Left, r.Bottom - 1, r.Right, r.Bottom}, br);
  Fill(p, {r.Right - 1, r.Top, r.Right, r.Bottom}, br);
}

/// A filled triangle pointing in a direction (0 up, 1 down, 2 left, 3 right), drawn row by
/// row so that its edges are crisp. `size` is the base length (odd).
void Arrow(TPainterBackend* p, int cx, int cy, int size, int dir, TColor color) {
  int h = (size + 1) / 2;
  for (int i = 0; i < h; ++i) {
    int len = size - 2 * i;  // the base row first
    switch (dir) {
      case 1: Fill(p, Bounds(cx - size / 2 + i, cy - h / 2 + i, len, 1), color); break;
      case 0: Fill(p, Bounds(cx - size / 2 + i, cy + (h - 1) - h / 2 - i, len, 1), color); break;
      case 3: Fill(p, Bounds(cx - h / 2 + i, cy - size / 2 + i, 1, len), color); break;
      default: Fill(p, Bounds(cx + (h - 1) - h / 2 - i, cy - size / 2 + i, 1, len), color); break;
    }
  }
}

}  // namespace

void Frame3D(TCanvas* canvas, const TRect& r, bool sunken) {
  if (!canvas || r.IsEmpty() || !canvas->HandleNeeded()) return;
  TPainterBackend* p = canvas->GetPainter();
  if (sunken) {
    Edge(p, r, clBtnShadow, clBtnHighlight);
    Edge(p, {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1}, cl3DDkShadow, cl3DLight);
  } else {
    Edge(p, r, cl3DLight, cl3DDkShadow);
    Edge(p, {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1}, clBtnHighlight, clBtnShadow);
  }
}

void DrawFrameControl(TCanvas* canvas, const TRect& r, unsigned type, unsigned state) {
  if (!canvas || r.IsEmpty() || !canvas->HandleNeeded()) return;
  TPainterBackend* p = canvas->GetPainter();
  bool pushed = state & DFCS_PUSHED;
  bool flat = state & DFCS_FLAT;
  Fill(p, r, clBtnFace);
  if (flat)
    Edge(p, r, clBtnShadow, clBtnShadow);
  else if (pushed)
    Edge(p, r, clBtnShadow, clBtnShadow);
  else
    Frame3D(canvas, r, false);
  if (type != DFC_SCROLL) return;
  int dir;
  switch (state & 0xFF) {
    case DFCS_SCROLLUP: dir = 0; break;
    case DFCS_SCROLLLEFT: dir = 2; break;
    case DFCS_SCROLLRIGHT: dir = 3; break;
    default: dir = 1; break;  // down and the combo box button
  }
  int extent = std::min(r.Width(), r.Height());
  int size = std::max(3, (extent * 7 / 16) | 1);
  int cx = r.Left + r.Width() / 2, cy = r.Top + r.Height() / 2;
  if (pushed) ++cx, ++cy;
  if (state & DFCS_INACTIVE) {
    Arrow(p, cx + 1, cy + 1, size, dir, clBtnHighlight);
    Arrow(p, cx, cy, size, dir, clBtnShadow);
  } else {
    Arrow(p, cx, cy, size, dir, clBtnText);
  }
}

// ------------------------------------------------------------------ graphics

const TClassInfo& TGraphic::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TGraphic>("TGraphic", &TPersistent::StaticClass()).Build();
  return info;
}

void TGraphic::Changed() {
  if (FOnChange) FOnChange(this);
}

/// The canvas of a bitmap: binds a painter on the bitmap's image when first drawn on.
class TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap* bitmap) : FBitmap(bitmap) {}
  ~TBitmapCanvas() override { End(); }
  void End() {
    SetPainter(nullptr);
    FPaint.reset();
  }

 protected:
  void RequiredState() override {
    TNativeImage* image = FBitmap->GetImage();
    if (image->Width() == 0 || image->Height() == 0) return;
    FPaint = image->BeginPaint();
    SetPainter(FPaint.get());
  }
  void Changed() override { FBitmap->CanvasChanged(); }

 private:
  TBitmap* FBitmap;
  std::unique_ptr<TPainterBackend> FPaint;
};

const TClassInfo& TBitmap::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TBitmap>("TBitmap", &TGraphic::StaticClass())
          .Prop("Width", &TBitmap::GetWidth, &TBitmap::SetWidth).Stored(false)
          .Prop("Height", &TBitmap::GetHeight, &TBitmap::SetHeight).Stored(false)
          .Build();
  return info;
}

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() { FCanvas.reset(); }

TNativeImage* TBitmap::GetImage() const {
  if (!FImage) FImage = WidgetSet()->CreateImage(0, 0);
  return FImage.get();
}

void TBitmap::SetImage(std::unique_ptr<TNativeImage> image) {
  EndPaint();
  FImage = std::move(image);
  Changed();
}

void TBitmap::EndPaint() const {
  if (FCanvas) FCanvas->End();
}

void TBitmap::CanvasChanged() { Changed(); }

int TBitmap::GetWidth() const { return FImage ? FImage->Width() : 0; }
int TBitmap::GetHeight() const { return FImage ? FImage->Height() : 0; }
bool TBitmap::GetEmpty() const { return GetWidth() == 0 || GetHeight() == 0; }

void TBitmap::SetSize(int w, int h) {
  if (w == GetWidth() && h == GetHeight()) return;
  EndPaint();
  GetImage()->SetSize(std::max(0, w), std::max(0, h));
  Changed();
}

TCanvas* TBitmap::GetCanvas() {
  if (!FCanvas) FCanvas = std::make_unique<TBitmapCanvas>(this);
  return FCanvas.get();
}

void TBitmap::Draw(TCanvas* canvas, const TRect& r) const {
  if (GetEmpty() || !canvas || !canvas->GetPainter()) return;
  if (FCanvas && canvas == FCanvas.get()) return;
  EndPaint();
  canvas->GetPainter()->Image(r, *FImage);
}

void TBitmap::LoadFromFile(const std::string& fileName) {
  EndPaint();
  auto image = WidgetSet()->CreateImage(0, 0);
  image->LoadFromFile(fileName);
  FImage = std::move(image);
  Changed();
}

void TBitmap::SaveToFile(const std::string& fileName) const {
  EndPaint();
  GetImage()->SaveToFile(fileName);
}

std::string TBitmap::SaveToData(const std::string& format) const {
  EndPaint();
  return GetImage()->SaveToData(format);
}

void TBitmap::LoadFromData(const std::string& data) {
  EndPaint();
  auto image = WidgetSet()->CreateImage(0, 0);
  image->LoadFromData(data);
  FImage = std::move(image);
  Changed();
}

void TBitmap::Assign(const TPersistent* source) {
  if (auto* b = dynamic_cast<const TBitmap*>(source)) {
    if (b == this) return;
    EndPaint();
    b->EndPaint();
    FImage = b->FImage ? b->FImage->Clone() : nullptr;
    Changed();
    return;
  }
  if (auto* p = dynamic_cast<const TPicture*>(source)) {
    if (auto* g = dynamic_cast<const TBitmap*>(p->GetGraphic())) {
      Assign(g);
      return;
    }
    if (!p->GetGraphic()) {
      SetImage(nullptr);
      return;
    }
  }
  TGraphic::Assign(source);
}

std::string GraphicFilter(const TClassInfo& graphicClass) {
  if (graphicClass.InheritsFrom(TBitmap::StaticClass())) return "Bitmaps (*.bmp)|*.bmp";
  return "All files (*.*)|*.*";
}

std::string GraphicExtension(const TClassInfo& graphicClass) {
  if (graphicClass.InheritsFrom(TBitmap::StaticClass())) return "bmp";
  return {};
}

const TClassInfo& TPicture::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TPicture>("TPicture", &TPersistent::StaticClass()).Build();
  return info;
}

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed(TObject*) {
  if (FOnChange) FOnChange(this);
}

void TPicture::SetGraphic(const TGraphic* graphic) {
  if (!graphic) {
    FGraphic.reset();
    Changed(this);
    return;
  }
  auto copy = std::make_unique<TBitmap>();
  copy->Assign(graphic);
  copy->SetOnChange(Method<&TPicture::Changed>(this));
  FGraphic = std::move(copy);
  Changed(this);
}

TBitmap* TPicture::GetBitmap() {
  if (auto* b = dynamic_cast<TBitmap*>(FGraphic.get())) return b;
  auto bitmap = std::make_unique<TBitmap>();
  if (FGraphic) bitmap->Assign(FGraphic.get());
  bitmap->SetOnChange(Method<&TPicture::Changed>(this));
  FGraphic = std::move(bitmap);
  return static_cast<TBitmap*>(FGraphic.get());
}

void TPicture::LoadFromFile(const std::string& fileName) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->LoadFromFile(fileName);
  bitmap->SetOnChange(Method<&TPicture::Changed>(this));
  FGraphic = std::move(bitmap);
  Changed(this);
}

void TPicture::SaveToFile(const std::string& fileName) const {
  if (FGraphic) FGraphic->SaveToFile(fileName);
}

void TPicture::Assign(const TPersistent* source) {
  if (!source) {
    SetGraphic(nullptr);
    return;
  }
  if (auto* p = dynamic_cast<const TPicture*>(source)) {
    if (p != this) SetGraphic(p->GetGraphic());
    return;
  }
  if (auto* g = dynamic_cast<const TGraphic*>(source)) {
    SetGraphic(g);
    return;
  }
  TPersistent::Assign(source);
}

void TPicture::DefineProperties(TFiler* filer) {
  TPersistent::DefineProperties(filer);
  filer->DefineProperty(
      "Data",
      [this](TReader& reader) {
        std::vector<std::uint8_t> data = reader.ReadBinary();
        if (data.empty()) {
          SetGraphic(nullptr);
          return;
        }
        std::size_t at = 1 + static_cast<std::size_t>(data[0]);
        if (at > data.size()) throw EInvalidGraphic(Format(SInvalidImage, {std::string("(Picture.Data)")}));
        if (data.size() - at >= 4) {
          std::uint32_t size = static_cast<std::uint32_t>(data[at]) | static_cast<std::uint32_t>(data[at + 1]) << 8 |
                               static_cast<std::uint32_t>(data[at + 2]) << 16 |
                               static_cast<std::uint32_t>(data[at + 3]) << 24;
          if (size == data.size() - at - 4) at += 4;
        }
        auto bitmap = std::make_unique<TBitmap>();
        bitmap->LoadFromData(std::string(data.begin() + static_cast<std::ptrdiff_t>(at), data.end()));
        bitmap->SetOnChange(Method<&TPicture::Changed>(this));
        FGraphic = std::move(bitmap);
        Changed(this);
      },
      [this](TWriter& writer) {
        std::string image = FGraphic->SaveToData("BMP");
        std::string name = "TBitmap";
        std::vector<std::uint8_t> data;
        data.push_back(static_cast<std::uint8_t>(name.size()));
        data.insert(data.end(), name.begin(), name.end());
        auto size = static_cast<std::uint32_t>(image.size());
        for (int i = 0; i < 4; ++i) data.push_back(static_cast<std::uint8_t>(size >> (8 * i)));
        data.insert(data.end(), image.begin(), image.end());
        writer.WriteBinary(data);
      },
      FGraphic && !FGraphic->GetEmpty());
}

void TPicture::AssignTo(TPersistent* dest) const {
  if (auto* g = dynamic_cast<TBitmap*>(dest)) {
    if (FGraphic)
      g->Assign(FGraphic.get());
    else
      g->SetImage(nullptr);
    return;
  }
  TPersistent::AssignTo(dest);
}

}  // namespace fw
