// The backend interface of the window layer (the widget set): native windows, painting,
// text measurement, images, the message queue, menus, clipboard, dialogs and the desktop.
// The control classes call only this; framework/ui/qt implements it on Qt 6 Widgets. The
// default widget set has no native windows: handles are plain numbers, posted messages wait
// in a queue of its own, and text is measured in a fixed grid, so control logic runs
// without a display.
//
// The widget set calls back into the controls through the entry points at the end of this
// file; every call from a native event runs inside RunGuarded, so that an exception never
// unwinds through the native toolkit.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/core/Dialogs.h"
#include "framework/core/Types.h"
#include "framework/ui/Graphics.h"
#include "framework/ui/UiTypes.h"

namespace fw {

class TWinControl;
class TMenuItem;

/// What a native window looks like.
enum class TWindowKind {
  Child,       // inside its parent's window
  TopLevel,    // a framed, sizeable top-level window
  Dialog,      // a framed top-level window that cannot be resized
  ToolWindow,  // a small-caption top-level window
  NoBorder,    // a top-level window without frame
  Popup,       // a frameless top-level window that never takes activation (drop-down lists)
};

struct TCreateParams {
  TWindowKind Kind = TWindowKind::Child;
  THandle Parent = 0;       // the parent window (Child), or the owner window (Popup)
  TRect Bounds;             // in the parent's client area; on the screen for top-level windows
  std::string Caption;
};

/// Draws on one surface: a window while it paints, or an image. Coordinates are logical
/// pixels; the surface's device pixel ratio is the painter's business. Colours are RGB.
class TPainterBackend {
 public:
  virtual ~TPainterBackend() = default;
  virtual void FillRect(const TRect& r, TColor rgb) = 0;
  /// A line of pixels from `a` towards `b`, `b` itself not drawn.
  virtual void Line(TPoint a, TPoint b, TColor rgb, int width, TPenStyle style) = 0;
  /// A closed polygon, filled unless `fill` is clNone, outlined unless `pen` is clNone.
  virtual void Polygon(const std::vector<TPoint>& points, TColor pen, int penWidth, TColor fill) = 0;
  /// Text with its top-left corner at (x, y), clipped to `clip` when given.
  virtual void Text(int x, int y, const std::string& text, const TFontData& font,
                    const TRect* clip) = 0;
  /// Inverts every other pixel along the rectangle's edges.
  virtual void FocusRect(const TRect& r) = 0;
  /// The image scaled into the rectangle.
  virtual void Image(const TRect& r, const TNativeImage& image) = 0;
  /// Pixel access (images only; clNone elsewhere).
  virtual TColor Pixel(int x, int y) const { return clNone; }
  virtual void SetPixel(int x, int y, TColor rgb) {}
  /// Nested state: Save, then translate the origin and narrow the clip, then Restore.
  virtual void Save() = 0;
  virtual void Restore() = 0;
  virtual void Translate(int dx, int dy) = 0;
  virtual void IntersectClip(const TRect& r) = 0;
};

/// An image of 32-bit pixels held by the widget set.
class TNativeImage {
 public:
  virtual ~TNativeImage() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  /// Resizes; the pixels that the old image covers are kept, new ones are white.
  virtual void SetSize(int w, int h) = 0;
  virtual TColor Pixel(int x, int y) const = 0;
  virtual std::unique_ptr<TNativeImage> Clone() const = 0;
  /// A painter on the image (one at a time).
  virtual std::unique_ptr<TPainterBackend> BeginPaint() = 0;
  /// Reads a file or bytes of any format the codecs know; raises EInvalidGraphic.
  virtual void LoadFromFile(const std::string& fileName) = 0;
  virtual void LoadFromData(const std::string& data) = 0;
  /// Writes in the format of the file's extension, or in a named format ("BMP", "PNG").
  virtual void SaveToFile(const std::string& fileName) const = 0;
  virtual std::string SaveToData(const std::string& format) const = 0;
};

class TWidgetSet {
 public:
  virtual ~TWidgetSet() = default;

  // ---- native windows
  virtual THandle CreateWindow(TWinControl* control, const TCreateParams& params) = 0;
  virtual void DestroyWindow(THandle handle) = 0;
  virtual void SetParentWindow(THandle handle, THandle parent) = 0;
  virtual void SetBounds(THandle handle, const TRect& bounds) = 0;
  virtual void SetVisible(THandle handle, bool visible) = 0;
  virtual void SetEnabled(THandle handle, bool enabled) = 0;
  virtual void SetCaption(THandle handle, const std::string& caption) = 0;
  virtual void SetCursor(THandle handle, TCursor cursor) = 0;
  /// Makes a top-level window modal (before it is shown) or not.
  virtual void SetModal(THandle handle, bool modal) = 0;
  virtual void Invalidate(THandle handle, const TRect* r) = 0;
  /// Paints what is invalid now.
  virtual void Update(THandle handle) = 0;
  virtual void SetFocus(THandle handle) = 0;
  virtual void ActivateWindow(THandle handle) = 0;
  virtual void BringToFront(THandle handle) = 0;
  /// The screen position of the window's client origin.
  virtual TPoint ClientOrigin(THandle handle) = 0;
  virtual void SetCapture(THandle handle) = 0;
  virtual void ReleaseCapture() = 0;

  // ---- message queue
  /// Queues a message for the window; it is delivered through HandlePostedMessage.
  virtual void PostMessage(THandle handle, const TMessage& message) = 0;
  /// Delivers everything that is waiting, then returns.
  virtual void ProcessMessages() = 0;
  /// Waits for at least one event and delivers it.
  virtual void HandleMessage() = 0;
  /// Makes a HandleMessage that is waiting return.
  virtual void WakeUp() = 0;
  /// The modifier keys and mouse buttons held now.
  virtual TShiftState KeyboardState() = 0;
  virtual TPoint CursorPos() = 0;

  // ---- screen, text and images
  virtual TSize ScreenSize() = 0;
  virtual TSize TextExtent(const TFontData& font, const std::string& text) = 0;
  virtual TTextMetric TextMetrics(const TFontData& font) = 0;
  virtual std::unique_ptr<TNativeImage> CreateImage(int width, int height) = 0;

  // ---- menus, clipboard, dialogs, desktop
  /// Shows the items under `root` as a pop-up menu at a screen position and waits; the
  /// chosen item, or null when the menu was dismissed.
  virtual TMenuItem* TrackPopupMenu(TMenuItem* root, TPoint screenPos) = 0;
  virtual std::string ClipboardText() = 0;
  virtual void SetClipboardText(const std::string& text) = 0;
  virtual bool ClipboardHasText() = 0;
  virtual bool ClipboardHasImage() = 0;
  /// The image on the clipboard, or null.
  virtual std::unique_ptr<TNativeImage> ClipboardImage() = 0;
  virtual void SetClipboardImage(const TNativeImage& image) = 0;
  virtual void ClearClipboard() = 0;
  /// A modal message box; the button pressed as a modal result.
  virtual TModalResult MessageBox(const std::string& text, const std::string& caption,
                                  TMsgDlgType type, TMsgDlgButtonBits buttons) = 0;
  /// A modal file dialog; true when the user chose a file.
  virtual bool FileDialog(TFileDialogParams& params) = 0;
  /// Opens a document or address with the desktop's program for it.
  virtual bool OpenDocument(const std::string& url) = 0;
};

/// The widget set in use (the default one until another is installed).
TWidgetSet* WidgetSet();
/// Installs a widget set (not owned; null restores the default); returns the old one.
TWidgetSet* SetWidgetSet(TWidgetSet* widgetSet);

/// The widget set without native windows (see the file comment). Text is measured as
/// 7 pixels per character and 13 pixels per line, whatever the font.
class TNullWidgetSet : public TWidgetSet {
 public:
  THandle CreateWindow(TWinControl* control, const TCreateParams& params) override;
  void DestroyWindow(THandle handle) override;
  void SetParentWindow(THandle, THandle) override {}
  void SetBounds(THandle, const TRect&) override {}
  void SetVisible(THandle, bool) override {}
  void SetEnabled(THandle, bool) override {}
  void SetCaption(THandle, const std::string&) override {}
  void SetCursor(THandle, TCursor) override {}
  void SetModal(THandle, bool) override {}
  void Invalidate(THandle, const TRect*) override {}
  void Update(THandle) override {}
  void SetFocus(THandle) override {}
  void ActivateWindow(THandle) override {}
  void BringToFront(THandle) override {}
  TPoint ClientOrigin(THandle handle) override;
  void SetCapture(THandle) override {}
  void ReleaseCapture() override {}
  void PostMessage(THandle handle, const TMessage& message) override;
  void ProcessMessages() override;
  void HandleMessage() override { ProcessMessages(); }
  void WakeUp() override {}
  TShiftState KeyboardState() override { return {}; }
  TPoint CursorPos() override { return {}; }
  TSize ScreenSize() override { return {1024, 768}; }
  TSize TextExtent(const TFontData& font, const std::string& text) override;
  TTextMetric TextMetrics(const TFontData& font) override;
  std::unique_ptr<TNativeImage> CreateImage(int width, int height) override;
  TMenuItem* TrackPopupMenu(TMenuItem*, TPoint) override { return nullptr; }
  std::string ClipboardText() override { return FClipText; }
  void SetClipboardText(const std::string& text) override { FClipText = text; }
  bool ClipboardHasText() override { return !FClipText.empty(); }
  bool ClipboardHasImage() override { return false; }
  std::unique_ptr<TNativeImage> ClipboardImage() override { return nullptr; }
  void SetClipboardImage(const TNativeImage&) override {}
  void ClearClipboard() override { FClipText.clear(); }
  TModalResult MessageBox(const std::string&, const std::string&, TMsgDlgType,
                          TMsgDlgButtonBits) override;
  bool FileDialog(TFileDialogParams&) override { return false; }
  bool OpenDocument(const std::string&) override { return false; }

 private:
  THandle FNext = 1;
  std::deque<std::pair<THandle, TMessage>> FQueue;
  std::vector<THandle> FLive;
  std::string FClipText;
};

// ---- Entry points for widget sets ---------------------------------------------------------

/// The control of a native window, or null (also after the window was destroyed).
TWinControl* FindControl(THandle handle);

/// Runs `action`; an exception it throws goes to the application's exception handler
/// instead of to the caller. Widget sets wrap every call from a native event in it.
void RunGuarded(TObject* sender, const std::function<void()>& action);

/// A key arrived at a window: `vk` the virtual key, `text` the character(s) it types
/// (UTF-8, may be empty). Runs the whole key path of the control that has the focus.
void HandleNativeKey(TWinControl* receiver, bool down, std::uint16_t vk, TShiftState shift,
                     const std::string& text);
enum class TNativeMouse { Down, Up, Move, DoubleClick };
/// A mouse event at client position (x, y) of the window.
void HandleNativeMouse(TWinControl* receiver, TNativeMouse kind, TMouseButton button,
                       TShiftState shift, int x, int y);
/// The window needs painting; `painter` is bound to it for the duration of the call.
void HandleNativePaint(TWinControl* receiver, TPainterBackend& painter);
/// A top-level window was moved or resized by the user (new bounds on the screen).
void HandleNativeBounds(TWinControl* receiver, const TRect& bounds);
/// The user asked a top-level window to close; true when it may close natively (the
/// control has hidden or freed itself, or wants the toolkit to go on).
bool HandleNativeClose(TWinControl* receiver);
/// The user activated a top-level window (clicked it, switched to it).
void HandleNativeActivate(TWinControl* receiver);
/// A posted message reached its window.
void HandlePostedMessage(TWinControl* receiver, TMessage& message);
/// The native window went away without the control asking (its native parent was
/// destroyed); the control forgets the handle.
void HandleNativeDestroyed(TWinControl* receiver);

}  // namespace fw
