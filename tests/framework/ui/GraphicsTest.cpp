// Painting: colours and the system palette, fonts with their change notification, the
// canvas drawn into bitmaps and checked pixel by pixel, text metrics of the pinned font,
// the combo button frame control, and bitmaps and pictures through files and the clipboard.
#include <QImage>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "framework/controls/ControlsRegister.h"
#include "framework/controls/StdCtrls.h"
#include "framework/core/Exceptions.h"
#include "framework/stream/FormReader.h"
#include "framework/ui/Clipbrd.h"
#include "framework/ui/Forms.h"
#include "framework/ui/Graphics.h"
#include "tests/support/ExpectError.h"
#include "tests/support/UiTestSupport.h"

using namespace fw;
using namespace uitest;

namespace {

TEST(ColorsTest, SystemColoursNamesAndRGB) {
  struct Case {
    const char* Name;
    TColor Color;
    TColor Rgb;
  } cases[] = {
      {"clBtnFace", static_cast<TColor>(0x8000000F), RGB(240, 240, 240)},
      {"clBtnShadow", static_cast<TColor>(0x80000010), RGB(160, 160, 160)},
      {"clGrayText", static_cast<TColor>(0x80000011), RGB(109, 109, 109)},
      {"clHighlight", static_cast<TColor>(0x8000000D), RGB(0, 120, 215)},
      {"clHighlightText", static_cast<TColor>(0x8000000E), RGB(255, 255, 255)},
      {"clWindow", static_cast<TColor>(0x80000005), RGB(255, 255, 255)},
      {"clWindowText", static_cast<TColor>(0x80000008), RGB(0, 0, 0)},
      {"clBtnText", static_cast<TColor>(0x80000012), RGB(0, 0, 0)},
      {"clInfoBk", static_cast<TColor>(0x80000018), RGB(255, 255, 225)},
      {"clInfoText", static_cast<TColor>(0x80000017), RGB(0, 0, 0)},
      {"clBlue", 0xFF0000, 0xFF0000},
      {"clRed", 255, 255},
      {"clNavy", 0x800000, 0x800000},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ColorToRGB(c.Color), c.Rgb) << c.Name;
    EXPECT_EQ(ColorToIdent(c.Color), c.Name);
    TColor back = 0;
    EXPECT_TRUE(IdentToColor(c.Name, back));
    EXPECT_EQ(back, c.Color);
  }
  EXPECT_EQ(ColorToRGB(RGB(1, 2, 3)), RGB(1, 2, 3));
  EXPECT_EQ(ColorToIdent(RGB(1, 2, 3)), "");
  TColor old = SetSystemColor(15, RGB(192, 192, 192));
  EXPECT_EQ(ColorToRGB(clBtnFace), RGB(192, 192, 192));
  SetSystemColor(15, old);
}

TEST(FontTest, SizeHeightAndChangeNotification) {
  const std::pair<int, int> sizes[] = {{8, -11}, {9, -12}, {10, -13}, {12, -16}};
  TFont f;
  for (auto [size, height] : sizes) {
    f.SetSize(size);
    EXPECT_EQ(f.GetHeight(), height);
    EXPECT_EQ(f.GetSize(), size);
  }
  struct TCount : TObject {
    int N = 0;
    void Changed(TObject*) { ++N; }
  } count;
  f.SetOnChange(Method<&TCount::Changed>(&count));
  f.SetName("DejaVu Sans Mono");
  f.SetSize(9);
  f.SetStyle({fsBold});
  f.SetColor(clRed);
  EXPECT_EQ(count.N, 4);
  f.SetName("DejaVu Sans Mono");
  f.SetColor(clRed);
  EXPECT_EQ(count.N, 4);  // an unchanged value says nothing
  TFont other;
  f.Assign(&other);
  EXPECT_EQ(count.N, 5);
  EXPECT_TRUE(f.Equals(other));
}

class GraphicsTest : public TUiTest {};

TEST_F(GraphicsTest, ControlFontsFollowTheirParent) {
  TForm form(nullptr);
  auto* edit = new TEdit(&form);
  edit->SetParent(&form);
  form.GetFont()->SetSize(12);
  EXPECT_EQ(edit->GetFont()->GetSize(), 12);
  EXPECT_TRUE(edit->GetParentFont());
  edit->GetFont()->SetStyle({fsBold});
  EXPECT_FALSE(edit->GetParentFont());
  form.GetFont()->SetSize(10);
  EXPECT_EQ(edit->GetFont()->GetSize(), 12);
  edit->SetParentFont(true);
  EXPECT_EQ(edit->GetFont()->GetSize(), 10);
  EXPECT_FALSE(edit->GetFont()->GetStyle().Contains(fsBold));
  form.SetColor(clInfoBk);
  edit->SetParentColor(true);
  EXPECT_EQ(edit->GetColor(), clInfoBk);
}

/// A white bitmap of the size, its canvas ready.
std::unique_ptr<TBitmap> Blank(int w, int h) {
  auto b = std::make_unique<TBitmap>();
  b->SetSize(w, h);
  return b;
}

TEST_F(GraphicsTest, CanvasShapesOnABitmap) {
  auto bmp = Blank(40, 30);
  TCanvas* c = bmp->GetCanvas();
  c->GetBrush()->SetColor(clBlue);
  c->FillRect({2, 3, 6, 5});
  EXPECT_EQ(c->GetPixel(2, 3), clBlue);
  EXPECT_EQ(c->GetPixel(5, 4), clBlue);
  EXPECT_EQ(c->GetPixel(6, 4), clWhite);  // right and bottom edges lie outside
  EXPECT_EQ(c->GetPixel(5, 5), clWhite);
  c->GetPen()->SetColor(clRed);
  c->GetBrush()->SetColor(clLime);
  c->Rectangle(10, 10, 16, 15);
  EXPECT_EQ(c->GetPixel(10, 10), clRed);
  EXPECT_EQ(c->GetPixel(15, 14), clRed);
  EXPECT_EQ(c->GetPixel(12, 12), clLime);
  EXPECT_EQ(c->GetPixel(16, 12), clWhite);
  c->MoveTo(20, 2);
  c->LineTo(25, 2);  // the end point is not drawn
  EXPECT_EQ(c->GetPixel(20, 2), clRed);
  EXPECT_EQ(c->GetPixel(24, 2), clRed);
  EXPECT_EQ(c->GetPixel(25, 2), clWhite);
  EXPECT_EQ(c->GetPenPos(), (TPoint{25, 2}));
  c->LineTo(25, 6);
  EXPECT_EQ(c->GetPixel(25, 5), clRed);
  EXPECT_EQ(c->GetPixel(25, 6), clWhite);
  c->GetBrush()->SetColor(clYellow);
  c->GetPen()->SetStyle(psClear);
  c->Polygon({{30, 20}, {38, 20}, {34, 28}});
  EXPECT_EQ(c->GetPixel(34, 22), clYellow);
  EXPECT_EQ(c->GetPixel(30, 27), clWhite);
  // The focus frame inverts: drawn twice, it leaves nothing behind.
  QImage before = QImage();
  TColor p0 = c->GetPixel(0, 20);
  c->DrawFocusRect({0, 20, 10, 30});
  EXPECT_EQ(c->GetPixel(0, 20), clBlack);
  EXPECT_EQ(c->GetPixel(1, 20), clWhite);
  EXPECT_EQ(c->GetPixel(2, 20), clBlack);
  c->DrawFocusRect({0, 20, 10, 30});
  EXPECT_EQ(c->GetPixel(0, 20), p0);
  // A bitmap drawn at its size and stretched.
  auto small = Blank(2, 2);
  small->GetCanvas()->SetPixel(0, 0, clRed);
  small->GetCanvas()->SetPixel(1, 1, clBlue);
  c->Draw(30, 0, small.get());
  EXPECT_EQ(c->GetPixel(30, 0), clRed);
  EXPECT_EQ(c->GetPixel(31, 1), clBlue);
  c->StretchDraw({30, 2, 34, 6}, small.get());
  EXPECT_EQ(c->GetPixel(31, 3), clRed);
  EXPECT_EQ(c->GetPixel(33, 5), clBlue);
  EXPECT_EQ(c->GetPixel(34, 5), clWhite);
  // A clear brush fills nothing.
  c->GetBrush()->SetStyle(bsClear);
  c->FillRect({0, 0, 40, 30});
  EXPECT_EQ(c->GetPixel(0, 0), clWhite);
}

/// The columns in which a row of the bitmap has dark pixels, as "first-last", or "" when none.
std::string DarkSpan(TCanvas* c, int y0, int y1, int x0, int x1) {
  int first = -1, last = -1;
  for (int x = x0; x < x1; ++x)
    for (int y = y0; y < y1; ++y)
      if (GetRValue(c->GetPixel(x, y)) < 128) {
        if (first < 0) first = x;
        last = x;
      }
  return first < 0 ? "" : std::to_string(first) + "-" + std::to_string(last);
}

TEST_F(GraphicsTest, TextMetricsAndTextDrawing) {
  auto bmp = Blank(100, 40);
  TCanvas* c = bmp->GetCanvas();
  // The pinned test font: DejaVu Sans, 8 points.
  EXPECT_EQ(c->GetFont()->GetName(), "DejaVu Sans");
  EXPECT_EQ(c->TextWidth("0"), 7);
  EXPECT_EQ(c->TextWidth("000"), 21);
  EXPECT_EQ(c->TextHeight("0"), 13);
  TTextMetric tm = c->GetTextMetrics();
  EXPECT_EQ(tm.tmHeight, 13);
  EXPECT_EQ(tm.tmAscent + tm.tmDescent, 13);
  EXPECT_GT(tm.tmAveCharWidth, 3);
  EXPECT_LT(tm.tmAveCharWidth, 9);
  c->GetFont()->SetSize(9);
  EXPECT_EQ(c->TextWidth("0"), 8);
  EXPECT_EQ(c->GetTextMetrics().tmHeight, 14);
  c->GetFont()->SetSize(8);
  // TextOut fills the text cell with the brush and moves the pen to its end.
  c->GetBrush()->SetColor(clYellow);
  c->TextOut(10, 5, "00");
  EXPECT_EQ(c->GetPenPos(), (TPoint{24, 5}));
  EXPECT_EQ(c->GetPixel(10, 5), clYellow);
  EXPECT_EQ(c->GetPixel(23, 17), clYellow);
  EXPECT_EQ(c->GetPixel(24, 5), clWhite);
  std::string span = DarkSpan(c, 5, 18, 0, 100);
  EXPECT_FALSE(span.empty());
  EXPECT_GE(std::stoi(span), 10);
  // TextRect clips the text to its rectangle and fills all of it.
  c->GetBrush()->SetColor(clWhite);
  c->TextRect({40, 20, 54, 33}, 40, 20, "00000000");
  EXPECT_EQ(DarkSpan(c, 20, 33, 30, 100).empty(), false);
  EXPECT_LT(std::stoi(DarkSpan(c, 20, 33, 30, 100).substr(DarkSpan(c, 20, 33, 30, 100).find('-') + 1)), 54);
}

TEST_F(GraphicsTest, ComboButtonFrameControl) {
  auto bmp = Blank(17, 21);
  TCanvas* c = bmp->GetCanvas();
  auto arrowBox = [&](TColor color) {
    int l = 99, t = 99, r = -1, b = -1;
    for (int y = 0; y < 21; ++y)
      for (int x = 0; x < 17; ++x)
        if (c->GetPixel(x, y) == color && x > 1 && y > 1 && x < 15 && y < 19) {
          l = std::min(l, x), t = std::min(t, y), r = std::max(r, x), b = std::max(b, y);
        }
    return TRect{l, t, r + 1, b + 1};
  };
  TRect r{0, 0, 17, 21};
  DrawFrameControl(c, r, DFC_SCROLL, DFCS_SCROLLCOMBOBOX);
  EXPECT_EQ(c->GetPixel(0, 0), ColorToRGB(cl3DLight));
  EXPECT_EQ(c->GetPixel(16, 20), ColorToRGB(cl3DDkShadow));
  EXPECT_EQ(c->GetPixel(1, 1), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(c->GetPixel(15, 19), ColorToRGB(clBtnShadow));
  EXPECT_EQ(c->GetPixel(3, 3), ColorToRGB(clBtnFace));
  TRect normal = arrowBox(clBlack);
  EXPECT_EQ(normal.Width(), 7);  // an odd base, pointing down: 7, 5, 3, 1 pixels
  EXPECT_EQ(normal.Height(), 4);
  EXPECT_EQ(normal.Left, 5);
  // Inactive: the arrow engraved in grey with a white shadow, no black left.
  DrawFrameControl(c, r, DFC_SCROLL, 0x105);
  EXPECT_EQ(arrowBox(clBlack).Right, 0);
  EXPECT_EQ(arrowBox(ColorToRGB(clBtnShadow)), normal);
  TRect shadow = arrowBox(ColorToRGB(clBtnHighlight));
  EXPECT_EQ(shadow.Right, normal.Right + 1);
  // Flat and pushed: a one-pixel shadow border, the arrow one pixel down and right.
  DrawFrameControl(c, r, DFC_SCROLL, 0x4205);
  EXPECT_EQ(c->GetPixel(0, 0), ColorToRGB(clBtnShadow));
  EXPECT_EQ(c->GetPixel(16, 20), ColorToRGB(clBtnShadow));
  EXPECT_EQ(c->GetPixel(1, 1), ColorToRGB(clBtnFace));
  TRect pushed = arrowBox(clBlack);
  EXPECT_EQ(pushed.Left, normal.Left + 1);
  EXPECT_EQ(pushed.Top, normal.Top + 1);
  // The canvas's brush and pen are left as they were.
  c->GetBrush()->SetColor(clRed);
  DrawFrameControl(c, r, DFC_SCROLL, DFCS_SCROLLCOMBOBOX);
  EXPECT_EQ(c->GetBrush()->GetColor(), clRed);
}

struct TTempDir {
  TTempDir() {
    Path = std::filesystem::temp_directory_path() / ("qor_ui_" + std::to_string(::getpid()));
    std::filesystem::create_directories(Path);
  }
  ~TTempDir() { std::filesystem::remove_all(Path); }
  std::string File(const std::string& name) const { return (Path / name).string(); }
  std::filesystem::path Path;
};

TEST_F(GraphicsTest, BitmapsAndPicturesThroughFilesAndTheClipboard) {
  TTempDir dir;
  auto bmp = Blank(8, 6);
  bmp->GetCanvas()->GetBrush()->SetColor(RGB(10, 200, 30));
  bmp->GetCanvas()->FillRect({0, 0, 4, 6});
  for (const char* name : {"a.png", "a.bmp"}) {
    bmp->SaveToFile(dir.File(name));
    TPicture picture;
    picture.LoadFromFile(dir.File(name));
    ASSERT_EQ(picture.GetWidth(), 8) << name;
    EXPECT_EQ(picture.GetBitmap()->GetCanvas()->GetPixel(1, 1), RGB(10, 200, 30)) << name;
    EXPECT_EQ(picture.GetBitmap()->GetCanvas()->GetPixel(6, 1), clWhite) << name;
  }
  // The format follows the extension.
  std::ifstream png(dir.File("a.png"), std::ios::binary), bmpFile(dir.File("a.bmp"), std::ios::binary);
  char sig[4] = {};
  png.read(sig, 4);
  EXPECT_EQ(std::string(sig + 1, 3), "PNG");
  bmpFile.read(sig, 2);
  EXPECT_EQ(std::string(sig, 2), "BM");
  std::ofstream(dir.File("junk.bmp")) << "not a picture";
  TPicture junk;
  ExpectError<EInvalidGraphic>([&] { junk.LoadFromFile(dir.File("junk.bmp")); },
                               "Cannot read the image " + dir.File("junk.bmp"));
  EXPECT_EQ(junk.GetGraphic(), nullptr);
  EXPECT_EQ(GraphicFilter(TBitmap::StaticClass()), "Bitmaps (*.bmp)|*.bmp");
  EXPECT_EQ(GraphicExtension(TBitmap::StaticClass()), "bmp");

  Clipboard()->SetAsText("Kiev");
  EXPECT_TRUE(Clipboard()->HasFormat(CF_TEXT));
  EXPECT_EQ(Clipboard()->GetAsText(), "Kiev");
  TPicture source;
  source.SetGraphic(bmp.get());
  Clipboard()->Assign(&source);
  EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
  TPicture pasted;
  pasted.Assign(Clipboard());
  ASSERT_EQ(pasted.GetWidth(), 8);
  EXPECT_EQ(pasted.GetBitmap()->GetCanvas()->GetPixel(0, 5), RGB(10, 200, 30));
  Clipboard()->Clear();
  EXPECT_FALSE(Clipboard()->HasFormat(CF_BITMAP));
  ExpectError<EInvalidGraphic>([&] { pasted.Assign(Clipboard()); }, "The clipboard holds no picture");
}

TEST_F(GraphicsTest, ColoursAndFontsFromFormFiles) {
  RegisterControlsClasses();
  std::unique_ptr<TComponent> root(ReadComponentText(
      "object F: TForm\n  Color = clInfoBk\n  Font.Color = clNavy\n  Font.Height = -12\n"
      "  Font.Name = 'DejaVu Sans'\n  Font.Style = [fsBold]\n"
      "  object E: TEdit\n    Left = 1\n    Top = 2\n    Width = 50\n    Height = 21\n"
      "    Color = 12345\n    Cursor = crHandPoint\n    TabOrder = 0\n  end\nend\n",
      nullptr));
  auto* form = static_cast<TForm*>(root.get());
  EXPECT_EQ(form->GetColor(), clInfoBk);
  EXPECT_EQ(form->GetFont()->GetColor(), clNavy);
  EXPECT_EQ(form->GetFont()->GetSize(), 9);
  auto* edit = static_cast<TEdit*>(form->FindComponent("E"));
  EXPECT_EQ(edit->GetParent(), form);
  EXPECT_EQ(edit->GetColor(), 12345);
  EXPECT_EQ(edit->GetCursor(), crHandPoint);
  EXPECT_TRUE(edit->GetParentFont());
  EXPECT_EQ(edit->GetFont()->GetColor(), clNavy);
  ExpectError<EReadError>([] { delete ReadComponentText("object F: TForm\n  Color = clPlaid\nend\n", nullptr); },
                          "line 2, column 3: 'clPlaid' is not a colour");
}

}  // namespace
