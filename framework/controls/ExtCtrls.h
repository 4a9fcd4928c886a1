// More standard controls: the panel (a container with bevels and a caption), the bevel (a
// frame or a line) and the image (a picture drawn at its size, stretched or centred).
#pragma once

#include <memory>

#include "framework/ui/Controls.h"
#include "framework/ui/Graphics.h"

namespace fw {

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
FW_ENUM_INFO(TBevelCut, "bvNone", "bvLowered", "bvRaised", "bvSpace")

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
FW_ENUM_INFO(TBevelShape, "bsBox", "bsFrame", "bsTopLine", "bsBottomLine", "bsLeftLine", "bsRightLine", "bsSpacer")

enum TBevelStyle { bsLowered, bsRaised };
FW_ENUM_INFO(TBevelStyle, "bsLowered", "bsRaised")

/// Draws `width` one-pixel rings inside the rectangle, top and left edges in `topLeft`,
/// bottom and right ones in `bottomRight`; the rectangle shrinks by what was drawn.
void Frame3D(TCanvas* canvas, TRect& rect, TColor topLeft, TColor bottomRight, int width);

/// A container with an outer and an inner bevel, a border between them, and a caption
/// drawn in the middle. Aligned children share what the bevels and the border leave.
class TCustomPanel : public TCustomControl {
  FW_CLASS(TCustomPanel)
 public:
  explicit TCustomPanel(TComponent* owner);

  TBevelCut GetBevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut v);
  TBevelCut GetBevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut v);
  int GetBevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int v);
  int GetBorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int v);
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);

  void AdjustClientRect(TRect& rect) const override;

 protected:
  void Paint() override;

 private:
  void Changed();
  TBevelCut FBevelOuter = bvRaised;
  TBevelCut FBevelInner = bvNone;
  int FBevelWidth = 1;
  int FBorderWidth = 0;
  TAlignment FAlignment = taCenter;
};

class TPanel : public TCustomPanel {
  FW_CLASS(TPanel)
 public:
  explicit TPanel(TComponent* owner) : TCustomPanel(owner) {}
};

/// A lowered or raised frame or line, drawn on the parent's window.
class TBevel : public TGraphicControl {
  FW_CLASS(TBevel)
 public:
  explicit TBevel(TComponent* owner);

  TBevelShape GetShape() const { return FShape; }
  void SetShape(TBevelShape v);
  TBevelStyle GetStyle() const { return FStyle; }
  void SetStyle(TBevelStyle v);

 protected:
  void Paint() override;

 private:
  TBevelShape FShape = bsBox;
  TBevelStyle FStyle = bsLowered;
};

/// A picture on the parent's window: at its own size from the top-left corner, centred,
/// stretched to the control, or (Proportional) scaled down to fit keeping its shape.
/// With AutoSize the control takes the picture's size.
class TImage : public TGraphicControl {
  FW_CLASS(TImage)
 public:
  explicit TImage(TComponent* owner);
  ~TImage() override;

  TPicture* GetPicture() const { return FPicture.get(); }
  void SetPicture(const TPicture* picture) { FPicture->Assign(picture); }
  bool GetStretch() const { return FStretch; }
  void SetStretch(bool v);
  bool GetCenter() const { return FCenter; }
  void SetCenter(bool v);
  bool GetProportional() const { return FProportional; }
  void SetProportional(bool v);
  bool GetAutoSize() const { return FAutoSize; }
  void SetAutoSize(bool v);
  /// Where the picture is drawn, in client coordinates.
  TRect DestRect() const;

 protected:
  void Paint() override;

 private:
  void PictureChanged(TObject* sender);
  std::unique_ptr<TPicture> FPicture;
  bool FStretch = false, FCenter = false, FProportional = false, FAutoSize = false;
};

/// Where a picture of size w x h goes in a client rectangle (shared by the image controls).
TRect PictureRect(int w, int h, const TRect& client, bool stretch, bool center, bool proportional);

}  // namespace fw
