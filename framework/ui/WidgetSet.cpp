#include "framework/ui/WidgetSet.h"

#include <algorithm>

#include "framework/core/Consts.h"
#include "framework/core/Text.h"
#include "framework/ui/Controls.h"

namespace fw {

namespace {

TNullWidgetSet gNullWidgetSet;
TWidgetSet* gWidgetSet = &gNullWidgetSet;

/// An image in memory without codecs: pixels can be filled and read, text is not drawn.
class TMemoryImage : public TNativeImage {
 public:
  TMemoryImage(int w, int h) { SetSize(w, h); }
  int Width() const override { return FW; }
  int Height() const override { return FH; }
  void SetSize(int w, int h) override {
    std::vector<TColor> pixels(static_cast<std::size_t>(std::max(0, w) * std::max(0, h)), clWhite);
    for (int y = 0; y < std::min(h, FH); ++y)
      for (int x = 0; x < std::min(w, FW); ++x) pixels[static_cast<std::size_t>(y * w + x)] = Pixel(x, y);
    FPixels = std::move(pixels);
    FW = std::max(0, w);
    FH = std::max(0, h);
  }
  TColor Pixel(int x, int y) const override {
    if (x < 0 || y < 0 || x >= FW || y >= FH) return clNone;
    return FPixels[static_cast<std::size_t>(y * FW + x)];
  }
  void Set(int x, int y, TColor c) {
    if (x >= 0 && y >= 0 && x < FW && y < FH) FPixels[static_cast<std::size_t>(y * FW + x)] = c;
  }
  std::unique_ptr<TNativeImage> Clone() const override { return std::make_unique<TMemoryImage>(*this); }
  std::unique_ptr<TPainterBackend> BeginPaint() override;
  void LoadFromFile(const std::string&) override { throw EInvalidGraphic(SNoImageCodecs); }
  void LoadFromData(const std::string&) override { throw EInvalidGraphic(SNoImageCodecs); }
  void SaveToFile(const std::string&) const override { throw EInvalidGraphic(SNoImageCodecs); }
  std::string SaveToData(const std::string&) const override { throw EInvalidGraphic(SNoImageCodecs); }

 private:
  int FW = 0, FH = 0;
  std::vector<TColor> FPixels;
};

/// Paints rectangles and pixels into a memory image, with origin and clip.
class TMemoryPainter : public TPainterBackend {
 public:
  explicit TMemoryPainter(TMemoryImage& image) : FImage(image) {
    FState.Clip = {0, 0, image.Width(), image.Height()};
  }
  void FillRect(const TRect& r, TColor rgb) override {
    TRect a{r.Left + FState.DX, r.Top + FState.DY, r.Right + FState.DX, r.Bottom + FState.DY};
    a.Left = std::max(a.Left, FState.Clip.Left);
    a.Top = std::max(a.Top, FState.Clip.Top);
    a.Right = std::min(a.Right, FState.Clip.Right);
    a.Bottom = std::min(a.Bottom, FState.Clip.Bottom);
    for (int y = a.Top; y < a.Bottom; ++y)
      for (int x = a.Left; x < a.Right; ++x) FImage.Set(x, y, rgb);
  }
  void Line(TPoint a, TPoint b, TColor rgb, int, TPenStyle) override {
    if (a.X == b.X)
      FillRect({a.X, std::min(a.Y, b.Y + 1), a.X + 1, std::max(a.Y + 1, b.Y)}, rgb);
    else if (a.Y == b.Y)
      FillRect({std::min(a.X, b.X + 1), a.Y, std::max(a.X + 1, b.X), a.Y + 1}, rgb);
  }
  void Polygon(const std::vector<TPoint>&, TColor, int, TColor) override {}
  void Text(int, int, const std::string&, const TFontData&, const TRect*) override {}
  void FocusRect(const TRect&) override {}
  void Image(const TRect&, const TNativeImage&) override {}
  TColor Pixel(int x, int y) const override { return FImage.Pixel(x + FState.DX, y + FState.DY); }
  void SetPixel(int x, int y, TColor rgb) override { FillRect({x, y, x + 1, y + 1}, rgb); }
  void Save() override { FStack.push_back(FState); }
  void Restore() override {
    if (FStack.empty()) return;
    FState = FStack.back();
    FStack.pop_back();
  }
  void Translate(int dx, int dy) override {
    FState.DX += dx;
    FState.DY += dy;
  }
  void IntersectClip(const TRect& r) override {
    TRect a{r.Left + FState.DX, r.Top + FState.DY, r.Right + FState.DX, r.Bottom + FState.DY};
    FState.Clip = {std::max(a.Left, FState.Clip.Left), std::max(a.Top, FState.Clip.Top),
                   std::min(a.Right, FState.Clip.Right), std::min(a.Bottom, FState.Clip.Bottom)};
  }

 private:
  struct TState {
    int DX = 0, DY = 0;
    TRect Clip;
  };
  TMemoryImage& FImage;
  TState FState;
  std::vector<TState> FStack;
};

std::unique_ptr<TPainterBackend> TMemoryImage::BeginPaint() { return std::make_unique<TMemoryPainter>(*this); }

}  // namespace

TWidgetSet* WidgetSet() { return gWidgetSet; }

TWidgetSet* SetWidgetSet(TWidgetSet* widgetSet) {
  TWidgetSet* old = gWidgetSet;
  gWidgetSet = widgetSet ? widgetSet : &gNullWidgetSet;
  return old == &gNullWidgetSet ? nullptr : old;
}

THandle TNullWidgetSet::CreateWindow(TWinControl*, const TCreateParams&) {
  THandle h = FNext++;
  FLive.push_back(h);
  return h;
}

void TNullWidgetSet::DestroyWindow(THandle handle) {
  FLive.erase(std::remove(FLive.begin(), FLive.end(), handle), FLive.end());
  FQueue.erase(std::remove_if(FQueue.begin(), FQueue.end(), [handle](const auto& m) { return m.first == handle; }),
               FQueue.end());
}

TPoint TNullWidgetSet::ClientOrigin(THandle handle) {
  TWinControl* c = FindControl(handle);
  return c ? c->GetClientOrigin() : TPoint{};
}

void TNullWidgetSet::PostMessage(THandle handle, const TMessage& message) {
  FQueue.emplace_back(handle, message);
}

void TNullWidgetSet::ProcessMessages() {
  // Only what is waiting now: messages posted while delivering wait for the next call.
  std::size_t n = FQueue.size();
  for (std::size_t i = 0; i < n && !FQueue.empty(); ++i) {
    auto posted = FQueue.front();
    FQueue.pop_front();
    if (TWinControl* c = FindControl(posted.first)) RunGuarded(c, [&] { HandlePostedMessage(c, posted.second); });
  }
}

TSize TNullWidgetSet::TextExtent(const TFontData&, const std::string& text) {
  return {static_cast<int>(Utf8Length(text)) * 7, 13};
}

TTextMetric TNullWidgetSet::TextMetrics(const TFontData&) {
  TTextMetric tm;
  tm.tmHeight = 13;
  tm.tmAscent = 10;
  tm.tmDescent = 3;
  tm.tmAveCharWidth = 7;
  tm.tmMaxCharWidth = 13;
  return tm;
}

std::unique_ptr<TNativeImage> TNullWidgetSet::CreateImage(int width, int height) {
  return std::make_unique<TMemoryImage>(width, height);
}

TModalResult TNullWidgetSet::MessageBox(const std::string&, const std::string&, TMsgDlgType,
                                        TMsgDlgButtonBits buttons) {
  // Nobody can answer: the first of the usual affirmative buttons.
  if (buttons & MsgDlgButton(mbOK)) return mrOk;
  if (buttons & MsgDlgButton(mbYes)) return mrYes;
  return mrCancel;
}

void HandlePostedMessage(TWinControl* receiver, TMessage& message) {
  receiver->WndProc(message);
}

}  // namespace fw
