// The control tree: TControl (bounds, visibility, colour and font, mouse, painting
// requests), TWinControl (a native window created on demand, children, tab order, focus,
// the key path) with TCustomControl (a canvas and Paint) and TGraphicControl (painted on its
// parent's window), and the focus and capture state shared by all controls.
//
// Key path (typed keys and posted WM_KEYDOWN/WM_CHAR alike; see TWinControl::KeyMessage):
//   1. the key-down notification CNKeyDown: shortcuts of the popup menus of the control and
//      its parents (the root item's click first), then accelerators (Alt with a letter or
//      digit, DialogChar), then the form's dialog keys (Tab and Shift+Tab move the focus in
//      tab order unless the control wants them);
//      a key consumed here goes no further and types no character;
//   2. KeyDown: the form's when it has KeyPreview, then the control's (OnKeyDown); a
//      handler may consume the key by setting it to 0; a key left goes to the control's
//      DefaultKeyDown (its own editing);
//   3. the character the key types, even when step 2 consumed the key: KeyPress (form
//      first with KeyPreview, then the control, OnKeyPress), then the control's own
//      character handling when the character was not set to 0.
// Focus moves (SetFocus): the leaving control's kill-focus handler, the new one's set-focus
// handler, then OnExit of the leaving control and of each container it leaves, then
// OnEnter of each container entered and of the new control.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/Component.h"
#include "framework/core/Events.h"
#include "framework/core/Exceptions.h"
#include "framework/ui/Graphics.h"
#include "framework/ui/UiTypes.h"

namespace fw {

class TWinControl;
class TPopupMenu;
class TCustomForm;
struct TCreateParams;
enum class TWindowKind;
class TPainterBackend;

/// Misuse of a control ("Cannot focus a disabled or invisible window", ...).
class EInvalidOperation : public Exception {
 public:
  using Exception::Exception;
};

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
FW_ENUM_INFO(TAlign, "alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom")

enum TAnchorKind { akLeft, akTop, akRight, akBottom };
FW_ENUM_INFO(TAnchorKind, "akLeft", "akTop", "akRight", "akBottom")
using TAnchors = TSet<TAnchorKind>;

/// Transient states of a control.
enum TControlStateFlag { csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded,
                         csFocusing, csCreating, csPaintCopy, csCustomPaint, csDestroyingHandle,
                         csDocking };
FW_ENUM_INFO(TControlStateFlag, "csLButtonDown", "csClicked", "csPalette", "csReadingState",
             "csAlignmentNeeded", "csFocusing", "csCreating", "csPaintCopy", "csCustomPaint",
             "csDestroyingHandle", "csDocking")
using TControlState = TSet<TControlStateFlag>;

/// What a control class does by nature.
enum TControlStyleFlag { csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents,
                         csFramed, csSetCaption, csOpaque, csDoubleClicks, csFixedWidth,
                         csFixedHeight, csNoDesignVisible, csReplicatable, csNoStdEvents };
FW_ENUM_INFO(TControlStyleFlag, "csAcceptsControls", "csCaptureMouse", "csDesignInteractive",
             "csClickEvents", "csFramed", "csSetCaption", "csOpaque", "csDoubleClicks",
             "csFixedWidth", "csFixedHeight", "csNoDesignVisible", "csReplicatable",
             "csNoStdEvents")
using TControlStyle = TSet<TControlStyleFlag>;

/// A typed character: a Unicode code point (the 8-bit range 0..255 is Latin-1).
using TKeyChar = char32_t;

using TKeyEvent = TEvent<void(TObject* sender, std::uint16_t& key, TShiftState shift)>;
using TKeyPressEvent = TEvent<void(TObject* sender, TKeyChar& key)>;
using TMouseEvent =
    TEvent<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = TEvent<void(TObject* sender, TShiftState shift, int x, int y)>;
using TContextPopupEvent = TEvent<void(TObject* sender, TPoint mousePos, bool& handled)>;

// What a window asks of the key path (its answer to the dialog-code question).
inline constexpr unsigned DLGC_WANTARROWS = 0x01, DLGC_WANTTAB = 0x02, DLGC_WANTALLKEYS = 0x04,
                          DLGC_WANTCHARS = 0x80;

class TControl : public TComponent {
  FW_CLASS(TControl)
 public:
  explicit TControl(TComponent* owner);
  /// Leaves the parent, gives up the mouse capture and any pending focus role.
  ~TControl() override;

  TWinControl* GetParent() const { return FParent; }
  /// Moves the control into another parent (null takes it out of its parent).
  virtual void SetParent(TWinControl* parent);

  int GetLeft() const { return FLeft; }
  int GetTop() const { return FTop; }
  int GetWidth() const { return FWidth; }
  int GetHeight() const { return FHeight; }
  void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
  void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
  void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
  void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
  /// Moves and sizes the control (in its parent's client coordinates; on the screen for a
  /// form); repaints what it covered and what it covers, realigns its children.
  virtual void SetBounds(int left, int top, int width, int height);
  TRect GetBoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
  void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
  virtual TRect GetClientRect() const;
  int GetClientWidth() const { return GetClientRect().Width(); }
  int GetClientHeight() const { return GetClientRect().Height(); }
  void SetClientWidth(int v) { SetClientSize(v, GetClientHeight()); }
  void SetClientHeight(int v) { SetClientSize(GetClientWidth(), v); }
  virtual void SetClientSize(int width, int height);
  /// The screen position of the client area's top-left corner.
  virtual TPoint GetClientOrigin() const;
  TPoint ClientToScreen(TPoint p) const;
  TPoint ScreenToClient(TPoint p) const;

  bool GetVisible() const { return FVisible; }
  virtual void SetVisible(bool v);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  /// Visible itself and inside visible parents up to a shown window.
  bool IsShowing() const;
  bool GetEnabled() const { return FEnabled; }
  virtual void SetEnabled(bool v);
  /// Enabled itself and inside enabled parents.
  bool IsEnabledInTree() const;

  TColor GetColor() const { return FColor; }
  void SetColor(TColor v);
  bool GetParentColor() const { return FParentColor; }
  void SetParentColor(bool v);
  TFont* GetFont() const { return FFont.get(); }
  void SetFont(const TFont* font) { FFont->Assign(font); }
  bool GetParentFont() const { return FParentFont; }
  void SetParentFont(bool v);
  /// Form files hold the font when it is the control's own.
  bool IsFontStored() const { return !FParentFont; }

  /// Caption and Text are one string.
  const std::string& GetCaption() const { return FText; }
  void SetCaption(const std::string& v) { SetText(v); }
  const std::string& GetText() const { return FText; }
  void SetText(const std::string& v);
  const std::string& GetHint() const { return FHint; }
  void SetHint(const std::string& v) { FHint = v; }
  bool GetShowHint() const { return FShowHint; }
  void SetShowHint(bool v) { FShowHint = v; }
  TCursor GetCursor() const { return FCursor; }
  void SetCursor(TCursor v);
  TAlign GetAlign() const { return FAlign; }
  void SetAlign(TAlign v);
  TAnchors GetAnchors() const { return FAnchors; }
  void SetAnchors(TAnchors v) { FAnchors = v; }
  TPopupMenu* GetPopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* menu);
  TControlState GetControlState() const { return FControlState; }
  void SetControlState(TControlState s) { FControlState = s; }
  TControlStyle GetControlStyle() const { return FControlStyle; }
  void SetControlStyle(TControlStyle s) { FControlStyle = s; }

  TNotifyEvent GetOnClick() const { return FOnClick; }
  void SetOnClick(TNotifyEvent e) { FOnClick = e; }
  TNotifyEvent GetOnDblClick() const { return FOnDblClick; }
  void SetOnDblClick(TNotifyEvent e) { FOnDblClick = e; }
  TMouseEvent GetOnMouseDown() const { return FOnMouseDown; }
  void SetOnMouseDown(TMouseEvent e) { FOnMouseDown = e; }
  TMouseEvent GetOnMouseUp() const { return FOnMouseUp; }
  void SetOnMouseUp(TMouseEvent e) { FOnMouseUp = e; }
  TMouseMoveEvent GetOnMouseMove() const { return FOnMouseMove; }
  void SetOnMouseMove(TMouseMoveEvent e) { FOnMouseMove = e; }
  TContextPopupEvent GetOnContextPopup() const { return FOnContextPopup; }
  void SetOnContextPopup(TContextPopupEvent e) { FOnContextPopup = e; }
  TNotifyEvent GetOnResize() const { return FOnResize; }
  void SetOnResize(TNotifyEvent e) { FOnResize = e; }

  /// Fires OnClick.
  virtual void Click();
  /// An accelerator key (Alt with a letter or digit, `key` its virtual key) offered to
  /// the controls of the form; true when the control took it (a label focuses its
  /// FocusControl, a button clicks). Default: not taken.
  virtual bool DialogChar(std::uint16_t key, TShiftState shift) { return false; }
  virtual void DblClick();
  /// The mouse handlers: each fires its event. Positions are client coordinates.
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);

  /// Asks for a repaint of the whole control (later, by the message loop).
  virtual void Invalidate();
  /// Paints what is invalid now.
  virtual void Update();
  /// Invalidate, then Update.
  void Repaint();
  void BringToFront();
  void SendToBack();

  bool GetMouseCapture() const;
  /// Takes the mouse: every mouse event goes to this control until it lets go.
  void SetMouseCapture(bool capture);

  /// Sends a message straight to the control's handler (WndProc).
  std::intptr_t Perform(unsigned msg, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
  /// The control's message handler; the default one dispatches the messages it knows
  /// (CM_CANCELMODE, CM_ENTER/CM_EXIT, WM_KEYDOWN, WM_CHAR, WM_KEYUP, CM_RELEASE, ...).
  virtual void WndProc(TMessage& message);

  /// The cancel-mode message: a modal action or a click elsewhere starts; `sender` is the
  /// control that caused it (or null). Default: nothing.
  virtual void CMCancelMode(TControl* sender) {}
  /// Tells the active control of every form around this control that a modal action
  /// starts (CM_CANCELMODE with `sender`).
  void SendCancelMode(TControl* sender);

  /// A context-menu request at a screen position ((-1, -1) from the keyboard): OnContextPopup,
  /// then the popup menu of this control or the nearest parent that has one with AutoPopup.
  void ContextMenu(TPoint screenPos);

  /// Whether the control or one of its children paints in this control's window.
  bool HasParent() const override { return FParent != nullptr; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* parent) override;
  void Loaded() override;
  void DefineProperties(TFiler* filer) override;
  void Notification(TComponent* component, TOperation operation) override;

  /// Mouse buttons as the widget set delivers them: the cancel-mode message to the form's
  /// active control, the mouse capture and the click state, the double click, then the
  /// handler; on release the click (inside the control), the handler, and after the right
  /// button the context menu.
  void DoMouseDown(TMouseButton button, TShiftState shift, int x, int y, bool doubleClick);
  void DoMouseUp(TMouseButton button, TShiftState shift, int x, int y);

  /// A token that expires when the control is destroyed (for code that calls handlers
  /// that may free the control).
  std::weak_ptr<void> AliveToken() const { return FAlive; }

 protected:
  friend class TWinControl;
  /// Paints the control on its canvas (graphic controls and custom controls).
  virtual void Paint() {}
  virtual void FontChanged();
  virtual void ColorChanged();
  virtual void TextChanged() { Invalidate(); }
  virtual void VisibleChanged();
  virtual void EnabledChanged();
  /// After a change of size: fires OnResize.
  virtual void Resize();
  void ParentFontChanged();
  void ParentColorChanged();
  /// The part of the parent's window that the control covers, as the parent paints it.
  void InvalidateControl();
  void FontChangedHandler(TObject* sender);
  /// Sets the colour that the class starts with (form files leave it out).
  void InitColor(TColor c) { FColor = FDefaultColor = c; }

  TWinControl* FParent = nullptr;
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  bool FVisible = true;
  bool FEnabled = true;
  TColor FColor = clWindow;
  TColor FDefaultColor = clWindow;
  bool FParentColor = false;
  std::unique_ptr<TFont> FFont;
  bool FParentFont = true;
  std::string FText;
  std::string FHint;
  bool FShowHint = false;
  TCursor FCursor = crDefault;
  TAlign FAlign = alNone;
  TAnchors FAnchors{akLeft, akTop};
  TPopupMenu* FPopupMenu = nullptr;
  TControlState FControlState;
  TControlStyle FControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  TNotifyEvent FOnClick, FOnDblClick, FOnResize;
  TMouseEvent FOnMouseDown, FOnMouseUp;
  TMouseMoveEvent FOnMouseMove;
  TContextPopupEvent FOnContextPopup;

 private:
  std::shared_ptr<int> FAlive = std::make_shared<int>(0);
  bool FChangingFont = false;
};

/// A control with a native window of its own (created on demand), children, a place in
/// the tab order, the keyboard focus and the key path.
class TWinControl : public TControl {
  FW_CLASS(TWinControl)
 public:
  explicit TWinControl(TComponent* owner);
  /// Destroys the children (owned or not, they leave), then the native window.
  ~TWinControl() override;

  /// The native window, created (with its parents') when there is none yet.
  THandle GetHandle();
  bool HandleAllocated() const { return FHandle != 0; }
  void HandleNeeded() { GetHandle(); }
  /// Destroys the native window (children's first); the next GetHandle makes a new one.
  void DestroyHandle();
  /// Makes the native window anew (after a change of its kind).
  void RecreateWnd();
  /// The kind of native window the control has or will have.
  TWindowKind WindowKind() const;

  int GetControlCount() const { return static_cast<int>(FControls.size()); }
  /// The children in painting order (the last one on top).
  TControl* GetControl(int index) const;
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  /// Whether `control` is this control or lies inside it.
  bool ContainsControl(const TControl* control) const;
  /// The topmost visible child at a client position (disabled ones only with
  /// `allowDisabled`), or null.
  TControl* ControlAtPos(TPoint p, bool allowDisabled) const;

  int GetTabOrder() const;
  /// Moves the control to that place among its siblings' tab order (later ones move up).
  void SetTabOrder(int order);
  bool GetTabStop() const { return FTabStop; }
  void SetTabStop(bool v) { FTabStop = v; }
  /// This control's window controls and theirs, depth first, each level in tab order.
  void GetTabOrderList(std::vector<TWinControl*>& list) const;
  /// The next (or previous) control of the tab order list after `current` (from the
  /// start when null), cycling, that can take the focus; with `checkTabStop` only tab
  /// stops, with `checkParent` only direct children.
  TWinControl* FindNextControl(TWinControl* current, bool forward, bool checkTabStop,
                               bool checkParent) const;
  /// Focuses FindNextControl(current, forward, checkTabStop, false), if any.
  void SelectNext(TWinControl* current, bool forward, bool checkTabStop);

  /// Whether the control has the keyboard focus.
  bool Focused() const;
  /// Visible and enabled up to a visible, enabled form.
  virtual bool CanFocus() const;
  /// Gives the control the focus (activating its form); raises EInvalidOperation
  /// "Cannot focus a disabled or invisible window" when it cannot take it.
  virtual void SetFocus();

  TNotifyEvent GetOnEnter() const { return FOnEnter; }
  void SetOnEnter(TNotifyEvent e) { FOnEnter = e; }
  TNotifyEvent GetOnExit() const { return FOnExit; }
  void SetOnExit(TNotifyEvent e) { FOnExit = e; }
  TKeyEvent GetOnKeyDown() const { return FOnKeyDown; }
  void SetOnKeyDown(TKeyEvent e) { FOnKeyDown = e; }
  TKeyPressEvent GetOnKeyPress() const { return FOnKeyPress; }
  void SetOnKeyPress(TKeyPressEvent e) { FOnKeyPress = e; }
  TKeyEvent GetOnKeyUp() const { return FOnKeyUp; }
  void SetOnKeyUp(TKeyEvent e) { FOnKeyUp = e; }

  /// One key event through the whole key path (see the file comment): WM_KEYDOWN,
  /// WM_SYSKEYDOWN (WParam the virtual key), WM_CHAR (WParam the character) or WM_KEYUP.
  /// `typed` is the character a key-down types (0 for none). Typed keys, posted and sent
  /// messages all come here.
  void KeyMessage(unsigned msg, std::uint16_t key, TShiftState shift, TKeyChar typed);

  /// The key-down notification: menu shortcuts, then dialog keys. Sets `key` to 0 when it
  /// consumed the key.
  virtual void CNKeyDown(std::uint16_t& key, TShiftState shift);
  /// Which special keys the control handles itself (DLGC_* flags); the others are dialog
  /// keys of the form. Default: none.
  virtual unsigned GetDlgCode() const { return 0; }
  /// A dialog key (Enter, Esc, Tab, arrows) that the focused control does not want; true
  /// when handled. Default: offered to the children.
  virtual bool DialogKey(std::uint16_t key, TShiftState shift);
  /// Offers the accelerator to the visible, enabled children, topmost first.
  bool DialogChar(std::uint16_t key, TShiftState shift) override;
  /// Whether a shortcut of a popup menu of this control or its parents (or of the form)
  /// is the key; runs it.
  bool IsMenuKey(std::uint16_t key, TShiftState shift);
  /// Fires OnKeyDown.
  virtual void KeyDown(std::uint16_t& key, TShiftState shift);
  /// Fires OnKeyPress.
  virtual void KeyPress(TKeyChar& key);
  /// Fires OnKeyUp.
  virtual void KeyUp(std::uint16_t& key, TShiftState shift);
  /// What the control does with a typed character nobody consumed. Default: nothing.
  virtual void DefaultChar(TKeyChar key) {}
  /// What the control does with a key-down that KeyDown left (the native editing of edit
  /// controls runs here, after every KeyDown override and OnKeyDown). Default: nothing.
  virtual void DefaultKeyDown(std::uint16_t key, TShiftState shift) {}
  /// The window's focus messages: the control gets or loses the keyboard focus.
  virtual void WMSetFocus();
  virtual void WMKillFocus() {}
  /// Fire OnEnter and OnExit (CM_ENTER, CM_EXIT).
  virtual void DoEnter();
  virtual void DoExit();

  void SetBounds(int left, int top, int width, int height) override;
  void SetParent(TWinControl* parent) override;
  void Invalidate() override;
  void Update() override;
  TPoint GetClientOrigin() const override;
  /// Where the client area begins inside the native window: a control that draws a
  /// border of its own around its client area (a frame, a scroll bar) answers the width
  /// of that border on the left and at the top. Mouse positions, ClientToScreen, InvalidateRect
  /// and the painting of graphic children count from there; the control's own PaintWindow
  /// paints the whole window. Default (0, 0).
  virtual TPoint GetClientOffset() const { return {}; }
  /// Invalidates a part of the client area.
  void InvalidateRect(const TRect& r);
  /// Positions the children that have an Align, then moves anchored ones.
  void Realign();
  /// The part of the client area that aligned children share (a panel keeps its bevels
  /// free). Default: the whole client area.
  virtual void AdjustClientRect(TRect& rect) const {}
  void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) const override;
  void Loaded() override;
  void WndProc(TMessage& message) override;

  /// Paints the window: background, Paint, then the graphic children. Called by the
  /// widget set with a painter bound to the window.
  void PaintHandler(TPainterBackend& painter);
  /// The canvas of the window (painted on while PaintHandler runs).
  TCanvas* GetWindowCanvas();

 protected:
  friend class TControl;
  friend class TCustomForm;
  friend void HandleNativeDestroyed(TWinControl*);
  /// The native window's kind, caption and bounds.
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateWnd();
  virtual void DestroyWnd();
  /// Fills the background and paints what the control draws itself.
  virtual void PaintWindow(TCanvas* canvas);
  /// Paints the graphic children.
  void PaintControls(TPainterBackend& painter);
  /// Whether the native window is shown (visible up to a visible top-level window).
  virtual bool NativeVisible() const { return FVisible; }
  void UpdateNativeVisible();
  void VisibleChanged() override;
  void EnabledChanged() override;
  void TextChanged() override;
  void FontChanged() override;
  void ColorChanged() override;
  /// Tab-order list of the children (window controls only), kept in tab order.
  std::vector<TWinControl*> FTabList;
  std::vector<TControl*> FControls;
  THandle FHandle = 0;
  bool FTabStop = false;
  int FLoadedTabOrder = -1;
  TNotifyEvent FOnEnter, FOnExit;
  TKeyEvent FOnKeyDown, FOnKeyUp;
  TKeyPressEvent FOnKeyPress;

 private:
  void FixupTabList();
  void AnchorChildren(int oldWidth, int oldHeight);
  std::unique_ptr<TCanvas> FWindowCanvas;
  bool FAligning = false;
};

/// A window control that paints itself on its Canvas in Paint.
class TCustomControl : public TWinControl {
  FW_CLASS(TCustomControl)
 public:
  explicit TCustomControl(TComponent* owner);
  TCanvas* GetCanvas() { return GetWindowCanvas(); }

 protected:
  void PaintWindow(TCanvas* canvas) override;
};

/// A control without a window of its own, painted on its parent's window.
class TGraphicControl : public TControl {
  FW_CLASS(TGraphicControl)
 public:
  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;
  /// Its canvas: the parent's window, moved to the control's corner and clipped to it,
  /// while the parent paints.
  TCanvas* GetCanvas() const { return FCanvas.get(); }

 private:
  friend class TWinControl;
  std::unique_ptr<TCanvas> FCanvas;
};

/// The form that holds the control (the control itself when it is a form), or null.
TCustomForm* GetParentForm(const TControl* control);
/// The same; raises EInvalidOperation "Control '%s' has no parent window" when none.
TCustomForm* ValidParentForm(const TControl* control);

/// The control that has the mouse captured, or null.
TControl* GetCaptureControl();
void SetCaptureControl(TControl* control);
/// The window control that has the keyboard focus, or null.
TWinControl* FindFocusedControl();
/// Moves the keyboard focus to a window control (null: to no control of ours, as when a
/// message box or another program takes it): the old one's WMKillFocus, then the new
/// one's WMSetFocus (which tells its form). The native focus follows.
void SetNativeFocus(TWinControl* control);

/// Posts a message to the control's window (creating it when needed); it is delivered by
/// the message loop through the control's own dispatch, after what is already waiting.
/// False when the control cannot have a window.
bool PostMessage(TWinControl* control, unsigned msg, std::uintptr_t wParam, std::intptr_t lParam);
bool PostMessage(THandle handle, unsigned msg, std::uintptr_t wParam, std::intptr_t lParam);
/// Delivers a message at once, through the same dispatch as a posted one.
std::intptr_t SendMessage(TWinControl* control, unsigned msg, std::uintptr_t wParam,
                          std::intptr_t lParam);
std::intptr_t SendMessage(THandle handle, unsigned msg, std::uintptr_t wParam, std::intptr_t lParam);

/// The character a key-down of a virtual key types with that shift state, or 0 (letters,
/// digits, Space, Enter, Tab, Esc, Backspace, keypad digits and operators).
TKeyChar KeyToChar(std::uint16_t key, TShiftState shift);

}  // namespace fw
