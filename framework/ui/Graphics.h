// Colours (with the system colours and ColorToRGB), fonts, pens and brushes with change
// notification, the canvas that controls and bitmaps paint on, the combo button frame
// control, and the graphic classes (TGraphic, TBitmap, TPicture) loaded and saved by file
// extension through the widget set's image codecs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/Events.h"
#include "framework/core/Exceptions.h"
#include "framework/core/Persistent.h"
#include "framework/core/Sets.h"
#include "framework/core/Types.h"
#include "framework/ui/UiTypes.h"

namespace fw {

class TPainterBackend;
class TNativeImage;
class TReader;
class TWriter;

/// A picture that cannot be read, written or converted.
class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
};

// ---- Colours ------------------------------------------------------------------------

inline constexpr TColor RGB(int r, int g, int b) {
  return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
inline constexpr int GetRValue(TColor c) { return c & 0xFF; }
inline constexpr int GetGValue(TColor c) { return (c >> 8) & 0xFF; }
inline constexpr int GetBValue(TColor c) { return (c >> 16) & 0xFF; }

inline constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000,
                        clOlive = 0x008080, clNavy = 0x800000, clPurple = 0x800080,
                        clTeal = 0x808000, clGray = 0x808080, clSilver = 0xC0C0C0,
                        clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                        clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00,
                        clWhite = 0xFFFFFF, clNone = 0x1FFFFFFF, clDefault = 0x20000000;

/// A system colour: 0x80000000 plus the index of the colour in the system palette.
inline constexpr TColor SystemColor(int index) {
  return static_cast<TColor>(0x80000000u | static_cast<unsigned>(index));
}
inline constexpr TColor clScrollBar = SystemColor(0), clBackground = SystemColor(1),
                        clActiveCaption = SystemColor(2), clInactiveCaption = SystemColor(3),
                        clMenu = SystemColor(4), clWindow = SystemColor(5),
                        clWindowFrame = SystemColor(6), clMenuText = SystemColor(7),
                        clWindowText = SystemColor(8), clCaptionText = SystemColor(9),
                        clActiveBorder = SystemColor(10), clInactiveBorder = SystemColor(11),
                        clAppWorkSpace = SystemColor(12), clHighlight = SystemColor(13),
                        clHighlightText = SystemColor(14), clBtnFace = SystemColor(15),
                        clBtnShadow = SystemColor(16), clGrayText = SystemColor(17),
                        clBtnText = SystemColor(18), clInactiveCaptionText = SystemColor(19),
                        clBtnHighlight = SystemColor(20), cl3DDkShadow = SystemColor(21),
                        cl3DLight = SystemColor(22), clInfoText = SystemColor(23),
                        clInfoBk = SystemColor(24);

/// The RGB value of a colour: a system colour is looked up in the system palette, any
/// other colour is returned as it is.
TColor ColorToRGB(TColor color);
/// Changes one colour of the system palette (index 0..24); returns the old RGB value.
TColor SetSystemColor(int index, TColor rgb);
/// The name of a colour ("clBtnFace"), or empty when it has none.
std::string ColorToIdent(TColor color);
/// The colour of a name (case-insensitive); false when the name is unknown.
bool IdentToColor(const std::string& ident, TColor& color);
/// A colour property's value in a form file: a name ("clBtnFace") or a number. Reading an
/// unknown name raises EConvertError.
TColor ReadColor(TReader& reader);
void WriteColor(TWriter& writer, TColor color);

// ---- Fonts, pens and brushes ----------------------------------------------------------

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
FW_ENUM_INFO(TFontStyle, "fsBold", "fsItalic", "fsUnderline", "fsStrikeOut")
using TFontStyles = TSet<TFontStyle>;

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
FW_ENUM_INFO(TPenStyle, "psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear",
             "psInsideFrame")

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross,
                   bsDiagCross };
FW_ENUM_INFO(TBrushStyle, "bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal",
             "bsBDiagonal", "bsCross", "bsDiagCross")

/// A font, pen or brush: a persistent object that tells its owner of every change.
class TGraphicsObject : public TPersistent {
  FW_CLASS(TGraphicsObject)
 public:
  TNotifyEvent GetOnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent e) { FOnChange = e; }

 protected:
  /// Fires OnChange.
  virtual void Changed();

 private:
  TNotifyEvent FOnChange;
};

/// The font that new controls take: "DejaVu Sans", 8 points.
struct TDefaultFont {
  std::string Name = "DejaVu Sans";
  int Height = -11;  // 8 points at 96 pixels per inch
};
TDefaultFont& DefFontData();

/// A font. Height in pixels (negative: the height of the characters without the internal
/// leading, as Windows counts it); Size in points at 96 pixels per inch; setting one
/// changes the other.
class TFont : public TGraphicsObject {
  FW_CLASS(TFont)
 public:
  TFont();
  const std::string& GetName() const { return FName; }
  void SetName(const std::string& v);
  int GetHeight() const { return FHeight; }
  void SetHeight(int v);
  int GetSize() const;
  void SetSize(int v);
  TFontStyles GetStyle() const { return FStyle; }
  void SetStyle(TFontStyles v);
  TColor GetColor() const { return FColor; }
  void SetColor(TColor v);
  int GetCharset() const { return FCharset; }
  void SetCharset(int v);
  int GetPixelsPerInch() const { return 96; }

  void Assign(const TPersistent* source) override;
  void DefineProperties(TFiler* filer) override;
  bool Equals(const TFont& other) const;

 private:
  std::string FName;
  int FHeight;
  TFontStyles FStyle;
  TColor FColor = clWindowText;
  int FCharset = 1;  // DEFAULT_CHARSET
};

class TPen : public TGraphicsObject {
  FW_CLASS(TPen)
 public:
  TColor GetColor() const { return FColor; }
  void SetColor(TColor v);
  int GetWidth() const { return FWidth; }
  void SetWidth(int v);
  TPenStyle GetStyle() const { return FStyle; }
  void SetStyle(TPenStyle v);
  void Assign(const TPersistent* source) override;

 private:
  TColor FColor = clBlack;
  int FWidth = 1;
  TPenStyle FStyle = psSolid;
};

class TBrush : public TGraphicsObject {
  FW_CLASS(TBrush)
 public:
  TColor GetColor() const { return FColor; }
  void SetColor(TColor v);
  TBrushStyle GetStyle() const { return FStyle; }
  void SetStyle(TBrushStyle v);
  void Assign(const TPersistent* source) override;

 private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
};

/// What a font measures on the screen, in pixels.
struct TTextMetric {
  int tmHeight = 0;           // ascent + descent: the line height
  int tmAscent = 0;
  int tmDescent = 0;
  int tmInternalLeading = 0;
  int tmExternalLeading = 0;
  int tmAveCharWidth = 0;
  int tmMaxCharWidth = 0;
};

/// A font as the widget set draws and measures it.
struct TFontData {
  std::string Name;
  int Height = -11;
  TFontStyles Style;
  TColor Color = clBlack;  // RGB
};
TFontData FontDataOf(const TFont& font);

struct TSize {
  int cx = 0, cy = 0;
  friend bool operator==(const TSize&, const TSize&) = default;
};

/// The text metrics of a font on the screen device.
TTextMetric GetTextMetrics(const TFont& font);

// ---- Canvas ------------------------------------------------------------------------------

class TGraphic;

/// A drawing surface: a control while it paints, or a bitmap. It keeps its Font, Pen,
/// Brush and pen position; measuring works at any time, drawing only while the canvas is
/// bound to a painter (outside it every drawing call does nothing).
class TCanvas : public TPersistent {
  FW_CLASS(TCanvas)
 public:
  TCanvas();
  ~TCanvas() override;

  TFont* GetFont() const { return FFont.get(); }
  void SetFont(const TFont* font) { FFont->Assign(font); }
  TPen* GetPen() const { return FPen.get(); }
  void SetPen(const TPen* pen) { FPen->Assign(pen); }
  TBrush* GetBrush() const { return FBrush.get(); }
  void SetBrush(const TBrush* brush) { FBrush->Assign(brush); }
  TPoint GetPenPos() const { return FPenPos; }
  void SetPenPos(TPoint p) { FPenPos = p; }
  /// Whether drawing reaches a surface now.
  bool HandleAllocated() const { return FPainter != nullptr; }
  /// Binds a bitmap's canvas to its image when it is not yet; whether drawing reaches a
  /// surface now.
  bool HandleNeeded() { return Ready(); }

  /// Fills the rectangle with the brush (nothing for a clear brush).
  void FillRect(const TRect& r);
  /// A one-pixel frame in the brush colour.
  void FrameRect(const TRect& r);
  /// The rectangle filled with the brush and outlined with the pen.
  void Rectangle(int left, int top, int right, int bottom);
  void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  void MoveTo(int x, int y) { FPenPos = {x, y}; }
  /// A line from the pen position to (x, y), the end point itself not drawn.
  void LineTo(int x, int y);
  void Polygon(const std::vector<TPoint>& points);
  void Polyline(const std::vector<TPoint>& points);
  /// The text with its top-left corner at (x, y), its cell filled with the brush unless
  /// the brush is clear; the pen position moves to the end of the text.
  void TextOut(int x, int y, const std::string& text);
  /// The rectangle filled with the brush (unless clear) and the text drawn at (x, y),
  /// clipped to the rectangle.
  void TextRect(const TRect& r, int x, int y, const std::string& text);
  TSize TextExtent(const std::string& text) const;
  int TextWidth(const std::string& text) const { return TextExtent(text).cx; }
  int TextHeight(const std::string& text) const { return TextExtent(text).cy; }
  TTextMetric GetTextMetrics() const;
  /// The dotted focus frame, drawn by inverting (a second call takes it away).
  void DrawFocusRect(const TRect& r);
  /// The graphic at its own size with its top-left corner at (x, y).
  void Draw(int x, int y, const TGraphic* graphic);
  /// The graphic scaled to the rectangle.
  void StretchDraw(const TRect& r, const TGraphic* graphic);
  /// The RGB value of a pixel of a bitmap's canvas (clNone outside it or on a control).
  TColor GetPixel(int x, int y) const;
  void SetPixel(int x, int y, TColor color);

  /// Binds the canvas to a painter (not owned) or unbinds it (null).
  void SetPainter(TPainterBackend* painter) { FPainter = painter; }
  TPainterBackend* GetPainter() const { return FPainter; }

 protected:
  /// Called before drawing when no painter is bound; a bitmap's canvas binds one here.
  virtual void RequiredState() {}
  /// Called when the canvas changes pixels (a bitmap tells its picture).
  virtual void Changed() {}

 private:
  bool Ready();
  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TPen> FPen;
  std::unique_ptr<TBrush> FBrush;
  TPoint FPenPos;
  TPainterBackend* FPainter = nullptr;
};

// DrawFrameControl kinds and states (the classic values).
inline constexpr unsigned DFC_CAPTION = 1, DFC_MENU = 2, DFC_SCROLL = 3, DFC_BUTTON = 4;
inline constexpr unsigned DFCS_SCROLLUP = 0x0000, DFCS_SCROLLDOWN = 0x0001,
                          DFCS_SCROLLLEFT = 0x0002, DFCS_SCROLLRIGHT = 0x0003,
                          DFCS_SCROLLCOMBOBOX = 0x0005, DFCS_BUTTONPUSH = 0x0010,
                          DFCS_INACTIVE = 0x0100, DFCS_PUSHED = 0x0200, DFCS_CHECKED = 0x0400,
                          DFCS_FLAT = 0x4000;

/// Draws a standard frame control into the rectangle: for DFC_SCROLL with
/// DFCS_SCROLLCOMBOBOX (or DFCS_SCROLLDOWN) a button face with a raised 3-D border and a
/// downward arrow; DFCS_PUSHED sinks it (the arrow moves one pixel down and right),
/// DFCS_FLAT draws a flat one-pixel border, DFCS_INACTIVE an engraved grey arrow; the
/// other scroll directions turn the arrow. DFC_BUTTON with DFCS_BUTTONPUSH draws an empty
/// push button. The canvas's pen and brush are left as they were.
void DrawFrameControl(TCanvas* canvas, const TRect& r, unsigned type, unsigned state);

/// A raised (or, with `sunken`, lowered) two-pixel 3-D border just inside the rectangle.
void Frame3D(TCanvas* canvas, const TRect& r, bool sunken);

// ---- Graphics ------------------------------------------------------------------------------

/// A picture of some kind that can draw itself and be loaded and saved.
class TGraphic : public TPersistent {
  FW_CLASS(TGraphic)
 public:
  virtual int GetWidth() const = 0;
  virtual int GetHeight() const = 0;
  virtual bool GetEmpty() const = 0;
  /// Draws the graphic scaled into the rectangle of the canvas.
  virtual void Draw(TCanvas* canvas, const TRect& r) const = 0;
  /// Loads a file, its format known by its content (raises EInvalidGraphic when it
  /// cannot be read).
  virtual void LoadFromFile(const std::string& fileName) = 0;
  /// Saves to a file in the format of its extension (bmp, png, jpg, ...).
  virtual void SaveToFile(const std::string& fileName) const = 0;
  /// The graphic in a file format, as bytes ("BMP", "PNG").
  virtual std::string SaveToData(const std::string& format) const = 0;
  virtual void LoadFromData(const std::string& data) = 0;
  TNotifyEvent GetOnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent e) { FOnChange = e; }

 protected:
  void Changed();

 private:
  TNotifyEvent FOnChange;
};

class TBitmapCanvas;

/// A bitmap of 32-bit pixels, with a canvas that draws on it.
class TBitmap : public TGraphic {
  FW_CLASS(TBitmap)
 public:
  TBitmap();
  ~TBitmap() override;

  int GetWidth() const override;
  int GetHeight() const override;
  void SetWidth(int w) { SetSize(w, GetHeight()); }
  void SetHeight(int h) { SetSize(GetWidth(), h); }
  /// Resizes the bitmap; new pixels are white.
  void SetSize(int w, int h);
  bool GetEmpty() const override;
  TCanvas* GetCanvas();
  void Draw(TCanvas* canvas, const TRect& r) const override;
  void LoadFromFile(const std::string& fileName) override;
  void SaveToFile(const std::string& fileName) const override;
  std::string SaveToData(const std::string& format) const override;
  void LoadFromData(const std::string& data) override;
  void Assign(const TPersistent* source) override;
  /// The widget set's image behind the bitmap (created on first use).
  TNativeImage* GetImage() const;
  void SetImage(std::unique_ptr<TNativeImage> image);
  /// Ends drawing on the canvas (the canvas binds its painter again when next used).
  void EndPaint() const;

 private:
  friend class TBitmapCanvas;
  void CanvasChanged();
  mutable std::unique_ptr<TNativeImage> FImage;
  std::unique_ptr<TBitmapCanvas> FCanvas;
};

/// The file-dialog filter and default extension of bitmaps ("Bitmaps (*.bmp)|*.bmp", "bmp").
std::string GraphicFilter(const TClassInfo& graphicClass);
std::string GraphicExtension(const TClassInfo& graphicClass);

/// Holds one graphic (owned), created by loading a file or by assignment.
class TPicture : public TPersistent {
  FW_CLASS(TPicture)
 public:
  TPicture();
  ~TPicture() override;
  TGraphic* GetGraphic() const { return FGraphic.get(); }
  /// A copy of the graphic becomes the picture's (null empties the picture).
  void SetGraphic(const TGraphic* graphic);
  /// The picture's graphic as a bitmap: an empty picture gets a new, empty bitmap; a
  /// graphic of another kind is converted.
  TBitmap* GetBitmap();
  int GetWidth() const { return FGraphic ? FGraphic->GetWidth() : 0; }
  int GetHeight() const { return FGraphic ? FGraphic->GetHeight() : 0; }
  /// Loads a file through the image codecs (by content); raises EInvalidGraphic.
  void LoadFromFile(const std::string& fileName);
  /// Saves the graphic in the format of the file's extension; nothing for an empty picture.
  void SaveToFile(const std::string& fileName) const;
  /// From another picture, a graphic, the clipboard, or null (empties it).
  void Assign(const TPersistent* source) override;
  TNotifyEvent GetOnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent e) { FOnChange = e; }
  /// Form files hold the picture as "Data": the graphic's class name (a length byte and
  /// the name), the length of the image as four bytes (little-endian), then the image in a
  /// file format (BMP when written here; reading takes any format the codecs know).
  void DefineProperties(TFiler* filer) override;

 protected:
  void AssignTo(TPersistent* dest) const override;

 private:
  void Changed(TObject* sender);
  std::unique_ptr<TGraphic> FGraphic;
  TNotifyEvent FOnChange;
};

}  // namespace fw
