#include "framework/ui/Controls.h"

#include <algorithm>
#include <unordered_map>

#include "framework/core/Consts.h"
#include "framework/core/Filer.h"
#include "framework/core/Text.h"
#include "framework/core/TypInfo.h"
#include "framework/ui/Forms.h"
#include "framework/ui/Menus.h"
#include "framework/ui/WidgetSet.h"

namespace fw {

namespace {

TControl* gCapture = nullptr;
TWinControl* gFocus = nullptr;

std::unordered_map<THandle, TWinControl*>& Handles() {
  static std::unordered_map<THandle, TWinControl*> map;
  return map;
}

struct TCursorName {
  TCursor Cursor;
  const char* Name;
};
const TCursorName kCursorNames[] = {
    {crDefault, "crDefault"}, {crNone, "crNone"}, {crArrow, "crArrow"}, {crCross, "crCross"},
    {crIBeam, "crIBeam"}, {crSizeNESW, "crSizeNESW"}, {crSizeNS, "crSizeNS"},
    {crSizeNWSE, "crSizeNWSE"}, {crSizeWE, "crSizeWE"}, {crUpArrow, "crUpArrow"},
    {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"}, {crNoDrop, "crNoDrop"},
    {crHSplit, "crHSplit"}, {crVSplit, "crVSplit"}, {crMultiDrag, "crMultiDrag"},
    {crSQLWait, "crSQLWait"}, {crNo, "crNo"}, {crAppStart, "crAppStart"}, {crHelp, "crHelp"},
    {crHandPoint, "crHandPoint"}, {crSizeAll, "crSizeAll"},
};

}  // namespace

std::string CursorToIdent(TCursor cursor) {
  for (const auto& n : kCursorNames)
    if (n.Cursor == cursor) return n.Name;
  return {};
}

bool IdentToCursor(const std::string& ident, TCursor& cursor) {
  for (const auto& n : kCursorNames)
    if (SameText(n.Name, ident)) {
      cursor = n.Cursor;
      return true;
    }
  return false;
}

TWinControl* FindControl(THandle handle) {
  auto it = Handles().find(handle);
  return it == Handles().end() ? nullptr : it->second;
}

TControl* GetCaptureControl() { return gCapture; }

void SetCaptureControl(TControl* control) {
  if (control == gCapture) return;
  gCapture = control;
  if (!control) {
    WidgetSet()->ReleaseCapture();
    return;
  }
  TWinControl* window = dynamic_cast<TWinControl*>(control);
  if (!window) window = control->GetParent();
  if (window && window->HandleAllocated()) WidgetSet()->SetCapture(window->GetHandle());
}

TWinControl* FindFocusedControl() { return gFocus; }

void SetNativeFocus(TWinControl* control) {
  if (control == gFocus) return;
  TWinControl* old = gFocus;
  gFocus = control;
  if (old) old->Perform(WM_KILLFOCUS, 0, 0);
  if (gFocus != control || !control) return;  // a handler moved the focus on
  auto alive = control->AliveToken();
  control->Perform(WM_SETFOCUS, 0, 0);
  if (!alive.expired() && gFocus == control && control->HandleAllocated())
    WidgetSet()->SetFocus(control->GetHandle());
}

TCustomForm* GetParentForm(const TControl* control) {
  const TControl* c = control;
  while (c && c->GetParent()) c = c->GetParent();
  return const_cast<TCustomForm*>(dynamic_cast<const TCustomForm*>(c));
}

TCustomForm* ValidParentForm(const TControl* control) {
  TCustomForm* form = GetParentForm(control);
  if (!form) throw EInvalidOperation(Format(SParentRequired, {control ? control->GetName() : ""}));
  return form;
}

TKeyChar KeyToChar(std::uint16_t key, TShiftState shift) {
  if (shift.Contains(ssAlt)) return 0;
  bool ctrl = shift.Contains(ssCtrl), sh = shift.Contains(ssShift);
  if (key >= 'A' && key <= 'Z') {
    if (ctrl) return static_cast<TKeyChar>(key - 'A' + 1);
    return static_cast<TKeyChar>(sh ? key : key - 'A' + 'a');
  }
  if (key == VK_RETURN) return ctrl ? 10 : 13;
  if (ctrl) return 0;
  if (key >= '0' && key <= '9') return sh ? 0 : static_cast<TKeyChar>(key);
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD0 + 9) return static_cast<TKeyChar>('0' + key - VK_NUMPAD0);
  switch (key) {
    case VK_SPACE: return ' ';
    case VK_TAB: return 9;
    case VK_ESCAPE: return 27;
    case VK_BACK: return 8;
    case VK_MULTIPLY: return '*';
    case VK_ADD: return '+';
    case VK_SUBTRACT: return '-';
    case VK_DECIMAL: return '.';
    case VK_DIVIDE: return '/';
    default: return 0;
  }
}

bool PostMessage(TWinControl* control, unsigned msg, std::uintptr_t wParam, std::intptr_t lParam) {
  if (!control) return false;
  THandle h = control->GetHandle();
  if (!h) return false;
  TMessage m;
  m.Msg = msg;
  m.WParam = wParam;
  m.LParam = lParam;
  WidgetSet()->PostMessage(h, m);
  return true;
}

bool PostMessage(THandle handle, unsigned msg, std::uintptr_t wParam, std::intptr_t lParam) {
  TWinControl* control = FindControl(handle);
  return control && PostMessage(control, msg, wParam, lParam);
}

std::intptr_t SendMessage(TWinControl* control, unsigned msg, std::uintptr_t wParam, std::intptr_t lParam) {
  return control ? control->Perform(msg, wParam, lParam) : 0;
}

std::intptr_t SendMessage(THandle handle, unsigned msg, std::uintptr_t wParam, std::intptr_t lParam) {
  return SendMessage(FindControl(handle), msg, wParam, lParam);
}

// ------------------------------------------------------------------ TControl


const TClassInfo& TControl::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TControl>("TControl", &TComponent::StaticClass())
          .Prop("Left", &TControl::GetLeft, &TControl::SetLeft)
          .Prop("Top", &TControl::GetTop, &TControl::SetTop)
          .Prop("Width", &TControl::GetWidth, &TControl::SetWidth)
          .Prop("Height", &TControl::GetHeight, &TControl::SetHeight)
          .Prop("Align", &TControl::GetAlign, &TControl::SetAlign).Default(alNone)
          .Prop("Anchors", &TControl::GetAnchors, &TControl::SetAnchors).Default(3)
          .Prop("Color", &TControl::GetColor, &TControl::SetColor).Stored(false)
          .Prop("Cursor", &TControl::GetCursor, &TControl::SetCursor).Stored(false)
          .Prop("Enabled", &TControl::GetEnabled, &TControl::SetEnabled).Default(1)
          .Prop("Font", &TControl::GetFont, &TControl::SetFont).Stored(&TControl::IsFontStored)
          .Prop("Hint", &TControl::GetHint, &TControl::SetHint)
          .Prop("ParentColor", &TControl::GetParentColor, &TControl::SetParentColor).Default(0)
          .Prop("ParentFont", &TControl::GetParentFont, &TControl::SetParentFont).Default(1)
          .Prop("PopupMenu", &TControl::GetPopupMenu, &TControl::SetPopupMenu)
          .Prop("ShowHint", &TControl::GetShowHint, &TControl::SetShowHint).Default(0)
          .Prop("Visible", &TControl::GetVisible, &TControl::SetVisible).Default(1)
          .Prop("OnClick", &TControl::GetOnClick, &TControl::SetOnClick)
          .Prop("OnContextPopup", &TControl::GetOnContextPopup, &TControl::SetOnContextPopup)
          .Prop("OnDblClick", &TControl::GetOnDblClick, &TControl::SetOnDblClick)
          .Prop("OnMouseDown", &TControl::GetOnMouseDown, &TControl::SetOnMouseDown)
          .Prop("OnMouseMove", &TControl::GetOnMouseMove, &TControl::SetOnMouseMove)
          .Prop("OnMouseUp", &TControl::GetOnMouseUp, &TControl::SetOnMouseUp)
          .Prop("OnResize", &TControl::GetOnResize, &TControl::SetOnResize)
          .Build();
  return info;
}

TControl::TControl(TComponent* owner) : TComponent(owner), FFont(std::make_unique<TFont>()) {
  FFont->SetOnChange(Method<&TControl::FontChangedHandler>(this));
}

TControl::~TControl() {
  if (gCapture == this) SetCaptureControl(nullptr);
  if (FParent) FParent->RemoveControl(this);
  FFont->SetOnChange(nullptr);
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == FParent) return;
  if (parent == this) throw EInvalidOperation(Format(SControlParentSelf, {GetName()}));
  if (FParent) FParent->RemoveControl(this);
  if (parent) {
    parent->InsertControl(this);
    if (FParentFont) ParentFontChanged();
    if (FParentColor) ParentColorChanged();
    if (FAlign != alNone) parent->Realign();
  }
}

void TControl::SetBounds(int left, int top, int width, int height) {
  width = std::max(0, width);
  height = std::max(0, height);
  if (left == FLeft && top == FTop && width == FWidth && height == FHeight) return;
  bool sized = width != FWidth || height != FHeight;
  InvalidateControl();
  FLeft = left;
  FTop = top;
  FWidth = width;
  FHeight = height;
  InvalidateControl();
  if (sized) Resize();
  if (FParent && FAlign != alNone) FParent->Realign();
}

TRect TControl::GetClientRect() const { return {0, 0, FWidth, FHeight}; }

void TControl::SetClientSize(int width, int height) {
  TRect r = GetClientRect();
  SetBounds(FLeft, FTop, FWidth + width - r.Width(), FHeight + height - r.Height());
}

TPoint TControl::GetClientOrigin() const {
  if (!FParent) return {FLeft, FTop};
  TPoint p = FParent->GetClientOrigin();
  return {p.X + FLeft, p.Y + FTop};
}

TPoint TControl::ClientToScreen(TPoint p) const {
  TPoint o = GetClientOrigin();
  return {p.X + o.X, p.Y + o.Y};
}

TPoint TControl::ScreenToClient(TPoint p) const {
  TPoint o = GetClientOrigin();
  return {p.X - o.X, p.Y - o.Y};
}

void TControl::SetVisible(bool v) {
  if (v == FVisible) return;
  FVisible = v;
  VisibleChanged();
}

void TControl::VisibleChanged() {
  if (FParent) {
    FParent->InvalidateRect(GetBoundsRect());
    if (FAlign != alNone) FParent->Realign();
  }
}

bool TControl::IsShowing() const {
  if (!FVisible) return false;
  if (FParent) return FParent->IsShowing();
  if (auto* w = dynamic_cast<const TWinControl*>(this)) return w->HandleAllocated();
  return false;
}

void TControl::SetEnabled(bool v) {
  if (v == FEnabled) return;
  FEnabled = v;
  EnabledChanged();
}

void TControl::EnabledChanged() { Invalidate(); }

bool TControl::IsEnabledInTree() const {
  for (const TControl* c = this; c; c = c->FParent)
    if (!c->FEnabled) return false;
  return true;
}

void TControl::SetColor(TColor v) {
  if (v == FColor && !FParentColor) return;
  FColor = v;
  FParentColor = false;
  ColorChanged();
}

void TControl::SetParentColor(bool v) {
  if (v == FParentColor) return;
  FParentColor = v;
  if (v && FParent) ParentColorChanged();
}

void TControl::ParentColorChanged() {
  if (!FParentColor || !FParent) return;
  if (FColor != FParent->FColor) {
    FColor = FParent->FColor;
    ColorChanged();
  }
}

void TControl::ColorChanged() { Invalidate(); }

void TControl::SetParentFont(bool v) {
  if (v == FParentFont) return;
  FParentFont = v;
  if (v && FParent) ParentFontChanged();
}

void TControl::ParentFontChanged() {
  if (!FParentFont || !FParent) return;
  FChangingFont = true;
  try {
    FFont->Assign(FParent->FFont.get());
  } catch (...) {
    FChangingFont = false;
    throw;
  }
  FChangingFont = false;
}

void TControl::FontChangedHandler(TObject*) {
  if (!FChangingFont) FParentFont = false;
  FontChanged();
}

void TControl::FontChanged() { Invalidate(); }

void TControl::SetText(const std::string& v) {
  if (v == FText) return;
  FText = v;
  TextChanged();
}

void TControl::SetCursor(TCursor v) {
  if (v == FCursor) return;
  FCursor = v;
  if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
    WidgetSet()->SetCursor(w->GetHandle(), v);
}

void TControl::SetAlign(TAlign v) {
  if (v == FAlign) return;
  FAlign = v;
  if (FParent) FParent->Realign();
}

void TControl::SetPopupMenu(TPopupMenu* menu) {
  if (menu == FPopupMenu) return;
  if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = menu;
  if (menu) menu->FreeNotification(this);
}

void TControl::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == FPopupMenu) FPopupMenu = nullptr;
}

void TControl::Click() {
  if (FOnClick) FOnClick(this);
}

void TControl::DblClick() {
  if (FOnDblClick) FOnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (FOnMouseDown) FOnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (FOnMouseUp) FOnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
  if (FOnMouseMove) FOnMouseMove(this, shift, x, y);
}

void TControl::Resize() {
  if (FOnResize) FOnResize(this);
}

void TControl::InvalidateControl() {
  if (FParent && FVisible) FParent->InvalidateRect(GetBoundsRect());
}

void TControl::Invalidate() { InvalidateControl(); }

void TControl::Update() {
  if (FParent) FParent->Update();
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

void TControl::BringToFront() {
  if (FParent) {
    auto& list = FParent->FControls;
    list.erase(std::find(list.begin(), list.end(), this));
    list.push_back(this);
  }
  if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
    WidgetSet()->BringToFront(w->GetHandle());
  Invalidate();
}

void TControl::SendToBack() {
  if (FParent) {
    auto& list = FParent->FControls;
    list.erase(std::find(list.begin(), list.end(), this));
    list.insert(list.begin(), this);
  }
  Invalidate();
}

bool TControl::GetMouseCapture() const { return gCapture == this; }

void TControl::SetMouseCapture(bool capture) {
  if (capture)
    SetCaptureControl(this);
  else if (gCapture == this)
    SetCaptureControl(nullptr);
}

std::intptr_t TControl::Perform(unsigned msg, std::uintptr_t wParam, std::intptr_t lParam) {
  TMessage m;
  m.Msg = msg;
  m.WParam = wParam;
  m.LParam = lParam;
  WndProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CM_CANCELMODE: CMCancelMode(reinterpret_cast<TControl*>(m.LParam)); break;
    case WM_CANCELMODE:
      if (GetMouseCapture()) SetMouseCapture(false);
      break;
    case WM_CONTEXTMENU:
      ContextMenu({static_cast<int>(static_cast<std::int16_t>(m.LParam & 0xFFFF)),
                   static_cast<int>(static_cast<std::int16_t>((m.LParam >> 16) & 0xFFFF))});
      break;
    default: break;
  }
}

void TControl::SendCancelMode(TControl* sender) {
  for (TControl* c = this; c; c = c->FParent)
    if (auto* form = dynamic_cast<TCustomForm*>(c)) form->SendCancelMode(sender);
}

void TControl::DoMouseDown(TMouseButton button, TShiftState shift, int x, int y, bool doubleClick) {
  auto alive = AliveToken();
  SendCancelMode(this);
  if (alive.expired()) return;
  if (button == mbLeft) {
    if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
    if (FControlStyle.Contains(csClickEvents)) FControlState.Include(csClicked);
    if (doubleClick && FControlStyle.Contains(csDoubleClicks)) {
      DblClick();
      if (alive.expired()) return;
    }
  }
  if (doubleClick) shift.Include(ssDouble);
  MouseDown(button, shift, x, y);
}

void TControl::DoMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  auto alive = AliveToken();
  if (button == mbLeft) {
    if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(false);
    if (FControlState.Contains(csClicked)) {
      FControlState.Exclude(csClicked);
      if (PtInRect(GetClientRect(), {x, y})) Click();
      if (alive.expired()) return;
    }
  }
  MouseUp(button, shift, x, y);
  if (button == mbRight && !alive.expired()) ContextMenu(ClientToScreen({x, y}));
}

void TControl::ContextMenu(TPoint screenPos) {
  auto alive = AliveToken();
  bool fromKeyboard = screenPos.X == -1 && screenPos.Y == -1;
  TPoint client = fromKeyboard ? screenPos : ScreenToClient(screenPos);
  bool handled = false;
  if (FOnContextPopup) FOnContextPopup(this, client, handled);
  if (handled || alive.expired()) return;
  if (FPopupMenu && FPopupMenu->GetAutoPopup()) {
    SendCancelMode(nullptr);
    if (alive.expired() || !FPopupMenu) return;
    FPopupMenu->SetPopupComponent(this);
    TPoint p = fromKeyboard ? ClientToScreen({0, 0}) : screenPos;
    FPopupMenu->Popup(p.X, p.Y);
    return;
  }
  if (FParent) FParent->ContextMenu(screenPos);
}

TComponent* TControl::GetParentComponent() const { return FParent; }

void TControl::SetParentComponent(TComponent* parent) {
  if (auto* w = dynamic_cast<TWinControl*>(parent)) SetParent(w);
}

void TControl::Loaded() {
  TComponent::Loaded();
  if (FParentFont) ParentFontChanged();
  if (FParentColor) ParentColorChanged();
}

void TControl::DefineProperties(TFiler* filer) {
  TComponent::DefineProperties(filer);
  filer->DefineProperty(
      "Color", [this](TReader& r) { SetColor(ReadColor(r)); }, [this](TWriter& w) { WriteColor(w, FColor); },
      !FParentColor && FColor != FDefaultColor);
  filer->DefineProperty(
      "Cursor",
      [this](TReader& r) {
        if (r.ReadValue() == TValueType::vaIdent) {
          std::string ident = r.ReadIdent();
          TCursor c;
          if (!IdentToCursor(ident, c)) throw EConvertError(Format(SInvalidCursor, {ident}));
          SetCursor(c);
        } else {
          SetCursor(static_cast<TCursor>(r.ReadInteger()));
        }
      },
      [this](TWriter& w) {
        std::string ident = CursorToIdent(FCursor);
        if (ident.empty())
          w.WriteInteger(FCursor);
        else
          w.WriteIdent(ident);
      },
      FCursor != crDefault);
}

// ------------------------------------------------------------------ TWinControl

const TClassInfo& TWinControl::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TWinControl>("TWinControl", &TControl::StaticClass())
          .Prop("TabOrder", &TWinControl::GetTabOrder, &TWinControl::SetTabOrder)
          .Prop("TabStop", &TWinControl::GetTabStop, &TWinControl::SetTabStop).Default(0)
          .Prop("OnEnter", &TWinControl::GetOnEnter, &TWinControl::SetOnEnter)
          .Prop("OnExit", &TWinControl::GetOnExit, &TWinControl::SetOnExit)
          .Prop("OnKeyDown", &TWinControl::GetOnKeyDown, &TWinControl::SetOnKeyDown)
          .Prop("OnKeyPress", &TWinControl::GetOnKeyPress, &TWinControl::SetOnKeyPress)
          .Prop("OnKeyUp", &TWinControl::GetOnKeyUp, &TWinControl::SetOnKeyUp)
          .Build();
  return info;
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  Destroying();
  if (!dynamic_cast<TCustomForm*>(this))
    if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(this, true);
  if (gFocus && ContainsControl(gFocus)) gFocus = nullptr;
  if (gCapture && ContainsControl(gCapture)) SetCaptureControl(nullptr);
  DestroyHandle();
  while (!FControls.empty()) {
    TControl* c = FControls.back();
    RemoveControl(c);
    delete c;
  }
  if (FParent) FParent->RemoveControl(this);
}

THandle TWinControl::GetHandle() {
  if (!FHandle) {
    if (FParent) {
      TCreateParams p;
      CreateParams(p);
      if (p.Kind == TWindowKind::Child || p.Kind == TWindowKind::Popup) FParent->HandleNeeded();
    }
    if (!FHandle) CreateWnd();
  }
  return FHandle;
}

void TWinControl::CreateParams(TCreateParams& params) {
  params.Kind = FParent ? TWindowKind::Child : TWindowKind::TopLevel;
  params.Parent = FParent ? FParent->FHandle : 0;
  params.Bounds = GetBoundsRect();
  params.Caption = FText;
}

TWindowKind TWinControl::WindowKind() const {
  TCreateParams p;
  const_cast<TWinControl*>(this)->CreateParams(p);
  return p.Kind;
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if (params.Kind == TWindowKind::Popup && FParent) {
    TCustomForm* form = GetParentForm(this);
    params.Parent = form && form->HandleAllocated() ? form->FHandle : 0;
  }
  FControlState.Include(csCreating);
  FHandle = WidgetSet()->CreateWindow(this, params);
  Handles()[FHandle] = this;
  FControlState.Exclude(csCreating);
  if (!FEnabled) WidgetSet()->SetEnabled(FHandle, false);
  if (FCursor != crDefault) WidgetSet()->SetCursor(FHandle, FCursor);
  for (TControl* c : std::vector<TControl*>(FControls))
    if (auto* w = dynamic_cast<TWinControl*>(c); w && !w->FHandle) {
      TCreateParams cp;
      w->CreateParams(cp);
      if (cp.Kind == TWindowKind::Child) w->CreateWnd();
    }
  UpdateNativeVisible();
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  FControlState.Include(csDestroyingHandle);
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it)
    if (auto* w = dynamic_cast<TWinControl*>(*it)) w->DestroyHandle();
  DestroyWnd();
  FControlState.Exclude(csDestroyingHandle);
}

void TWinControl::DestroyWnd() {
  if (!FHandle) return;
  if (gCapture == this) SetCaptureControl(nullptr);
  THandle h = FHandle;
  FHandle = 0;
  Handles().erase(h);
  WidgetSet()->DestroyWindow(h);
}

void HandleNativeDestroyed(TWinControl* receiver) {
  if (!receiver || !receiver->FHandle) return;
  Handles().erase(receiver->FHandle);
  receiver->FHandle = 0;
}

void TWinControl::RecreateWnd() {
  if (!FHandle) return;
  DestroyHandle();
  HandleNeeded();
}

void TWinControl::UpdateNativeVisible() {
  if (FHandle) WidgetSet()->SetVisible(FHandle, NativeVisible());
}

TControl* TWinControl::GetControl(int index) const {
  if (index < 0 || index >= GetControlCount()) ListIndexError(index);
  return FControls[static_cast<std::size_t>(index)];
}

void TWinControl::InsertControl(TControl* control) {
  if (!control || control->FParent == this) return;
  if (auto* w = dynamic_cast<TWinControl*>(control); w && w->ContainsControl(this))
    throw EInvalidOperation(Format(SControlParentSelf, {control->GetName()}));
  FControls.push_back(control);
  control->FParent = this;
  if (auto* w = dynamic_cast<TWinControl*>(control)) {
    FTabList.push_back(w);
    if (FHandle) {
      TCreateParams cp;
      w->CreateParams(cp);
      if (w->FHandle && cp.Kind == TWindowKind::Child) {
        WidgetSet()->SetParentWindow(w->FHandle, FHandle);
        WidgetSet()->SetBounds(w->FHandle, w->GetBoundsRect());
        w->UpdateNativeVisible();
      } else if (!w->FHandle && cp.Kind == TWindowKind::Child) {
        w->CreateWnd();
      }
    }
  }
  control->InvalidateControl();
}

void TWinControl::RemoveControl(TControl* control) {
  auto it = std::find(FControls.begin(), FControls.end(), control);
  if (it == FControls.end()) return;
  control->InvalidateControl();
  if (auto* w = dynamic_cast<TWinControl*>(control)) {
    if (TCustomForm* form = GetParentForm(this); form && form != w) form->DefocusControl(w, true);
    TCreateParams cp;
    w->CreateParams(cp);
    if (w->FHandle && cp.Kind == TWindowKind::Child) w->DestroyHandle();
  }
  FControls.erase(std::find(FControls.begin(), FControls.end(), control));
  auto t = std::find(FTabList.begin(), FTabList.end(), control);
  if (t != FTabList.end()) FTabList.erase(t);
  control->FParent = nullptr;
}

bool TWinControl::ContainsControl(const TControl* control) const {
  for (const TControl* c = control; c; c = c->FParent)
    if (c == this) return true;
  return false;
}

TControl* TWinControl::ControlAtPos(TPoint p, bool allowDisabled) const {
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
    TControl* c = *it;
    if (!c->FVisible || (!allowDisabled && !c->FEnabled)) continue;
    if (PtInRect(c->GetBoundsRect(), p)) return c;
  }
  return nullptr;
}

int TWinControl::GetTabOrder() const {
  if (HasState(csLoading) && FLoadedTabOrder >= 0) return FLoadedTabOrder;
  if (!FParent) return -1;
  auto& list = FParent->FTabList;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int order) {
  if (HasState(csLoading)) {
    FLoadedTabOrder = order;
    return;
  }
  if (!FParent) return;
  auto& list = FParent->FTabList;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  int n = static_cast<int>(list.size());
  if (order < 0 || order > n) order = n;
  list.insert(list.begin() + order, this);
}

void TWinControl::FixupTabList() {
  std::stable_sort(FTabList.begin(), FTabList.end(), [](TWinControl* a, TWinControl* b) {
    int x = a->FLoadedTabOrder < 0 ? 1 << 30 : a->FLoadedTabOrder;
    int y = b->FLoadedTabOrder < 0 ? 1 << 30 : b->FLoadedTabOrder;
    return x < y;
  });
  for (TWinControl* c : FTabList) c->FLoadedTabOrder = -1;
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
  for (TWinControl* c : FTabList) {
    list.push_back(c);
    c->GetTabOrderList(list);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool forward, bool checkTabStop,
                                          bool checkParent) const {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  int count = static_cast<int>(list.size());
  auto it = std::find(list.begin(), list.end(), current);
  int start = it == list.end() ? (forward ? count - 1 : 0) : static_cast<int>(it - list.begin());
  int i = start;
  do {
    if (forward) {
      if (++i == count) i = 0;
    } else {
      if (i == 0) i = count;
      --i;
    }
    TWinControl* c = list[static_cast<std::size_t>(i)];
    if (c->CanFocus() && (!checkTabStop || c->FTabStop) && (!checkParent || c->FParent == this))
      return c;
  } while (i != start);
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool forward, bool checkTabStop) {
  if (TWinControl* next = FindNextControl(current, forward, checkTabStop, false)) next->SetFocus();
}

bool TWinControl::Focused() const { return FHandle != 0 && gFocus == this; }

bool TWinControl::CanFocus() const {
  TCustomForm* form = GetParentForm(this);
  if (!form) return false;
  for (const TControl* c = this; c != form; c = c->FParent)
    if (!c->FVisible || !c->FEnabled) return false;
  return true;
}

void TWinControl::SetFocus() {
  if (TCustomForm* form = GetParentForm(this)) {
    bool wasActive = form->GetActive();
    form->SetActiveControl(this);
    if (!wasActive) form->SetFocus();
    return;
  }
  TCreateParams p;
  CreateParams(p);
  if (p.Kind == TWindowKind::Child) ValidParentForm(this);
  HandleNeeded();
  SetNativeFocus(this);
}

void TWinControl::WMSetFocus() {
  if (TCustomForm* form = GetParentForm(this)) form->SetFocusedControl(this);
}

void TWinControl::DoEnter() {
  if (FOnEnter) FOnEnter(this);
}

void TWinControl::DoExit() {
  if (FOnExit) FOnExit(this);
}

void TWinControl::KeyDown(std::uint16_t& key, TShiftState shift) {
  if (FOnKeyDown) FOnKeyDown(this, key, shift);
}

void TWinControl::KeyPress(TKeyChar& key) {
  if (FOnKeyPress) FOnKeyPress(this, key);
}

void TWinControl::KeyUp(std::uint16_t& key, TShiftState shift) {
  if (FOnKeyUp) FOnKeyUp(this, key, shift);
}

bool TWinControl::IsMenuKey(std::uint16_t key, TShiftState shift) {
  auto alive = AliveToken();
  for (TControl* c = this; c; c = c->FParent) {
    TPopupMenu* menu = c->FPopupMenu;
    if (menu && menu->IsShortCut(key, shift)) return true;
    if (alive.expired()) return true;
  }
  if (TCustomForm* form = GetParentForm(this)) return form->IsShortCut(key, shift);
  return false;
}

void TWinControl::CNKeyDown(std::uint16_t& key, TShiftState shift) {
  if (key == 0) return;
  auto alive = AliveToken();
  if (IsMenuKey(key, shift)) {
    key = 0;
    return;
  }
  if (alive.expired()) {
    key = 0;
    return;
  }
  if (shift.Contains(ssAlt) && !shift.Contains(ssCtrl) && ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')))
    if (TCustomForm* form = GetParentForm(this); form && form->DialogChar(key, shift)) {
      key = 0;
      return;
    }
  unsigned mask = 0;
  switch (key) {
    case VK_TAB: mask = DLGC_WANTTAB; break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: mask = DLGC_WANTARROWS; break;
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
    default: break;
  }
  if (mask && !(GetDlgCode() & mask))
    if (TCustomForm* form = GetParentForm(this); form && form->DialogKey(key, shift)) key = 0;
}

bool TWinControl::DialogChar(std::uint16_t key, TShiftState shift) {
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
    TControl* c = *it;
    if (c->FVisible && c->FEnabled && c->DialogChar(key, shift)) return true;
  }
  return false;
}

bool TWinControl::DialogKey(std::uint16_t key, TShiftState shift) {
  for (TControl* c : std::vector<TControl*>(FControls))
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->FVisible && w->DialogKey(key, shift)) return true;
  return false;
}

void TWinControl::KeyMessage(unsigned msg, std::uint16_t key, TShiftState shift, TKeyChar typed) {
  auto alive = AliveToken();
  TCustomForm* form = GetParentForm(this);
  bool preview = form && form != this && form->GetKeyPreview();
  if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) {
    if (key != 0) {
      std::uint16_t k = key;
      CNKeyDown(k, shift);
      if (k == 0 || alive.expired()) return;
      if (preview) {
        form->KeyDown(k, shift);
        if (alive.expired()) return;
      }
      if (k != 0) KeyDown(k, shift);
      if (alive.expired()) return;
      if (k == VK_APPS || (k == VK_F10 && shift == TShiftState{ssShift})) {
        ContextMenu({-1, -1});
        return;
      }
      if (k != 0) {
        DefaultKeyDown(k, shift);
        if (alive.expired()) return;
      }
    }
    if (typed != 0 && msg == WM_KEYDOWN) KeyMessage(WM_CHAR, 0, shift, typed);
    return;
  }
  if (msg == WM_CHAR) {
    TKeyChar ch = typed;
    if (preview) {
      form->KeyPress(ch);
      if (alive.expired()) return;
    }
    if (ch != 0) KeyPress(ch);
    if (ch != 0 && !alive.expired()) DefaultChar(ch);
    return;
  }
  if (msg == WM_KEYUP || msg == WM_SYSKEYUP) {
    std::uint16_t k = key;
    if (preview) {
      form->KeyUp(k, shift);
      if (alive.expired()) return;
    }
    if (k != 0) KeyUp(k, shift);
  }
}

void TWinControl::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      TShiftState shift = WidgetSet()->KeyboardState() * TShiftState{ssShift, ssCtrl};
      if (m.Msg == WM_SYSKEYDOWN || m.Msg == WM_SYSKEYUP || (m.LParam & (1 << 29))) shift.Include(ssAlt);
      auto key = static_cast<std::uint16_t>(m.WParam);
      KeyMessage(m.Msg, key, shift, m.Msg == WM_KEYDOWN ? KeyToChar(key, shift) : 0);
      break;
    }
    case WM_CHAR: KeyMessage(WM_CHAR, 0, WidgetSet()->KeyboardState(), static_cast<TKeyChar>(m.WParam)); break;
    case WM_SETFOCUS: WMSetFocus(); break;
    case WM_KILLFOCUS: WMKillFocus(); break;
    case CM_ENTER: DoEnter(); break;
    case CM_EXIT: DoExit(); break;
    default: TControl::WndProc(m); break;
  }
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  int oldW = FWidth, oldH = FHeight;
  TControl::SetBounds(left, top, width, height);
  if (FHandle) WidgetSet()->SetBounds(FHandle, GetBoundsRect());
  if (oldW != FWidth || oldH != FHeight) {
    AnchorChildren(oldW, oldH);
    Realign();
  }
}

void TWinControl::AnchorChildren(int oldWidth, int oldHeight) {
  if (HasState(csLoading) || HasState(csReading)) return;
  int dx = FWidth - oldWidth, dy = FHeight - oldHeight;
  for (TControl* c : std::vector<TControl*>(FControls)) {
    if (c->FAlign != alNone) continue;
    TAnchors a = c->FAnchors;
    int l = c->FLeft, t = c->FTop, w = c->FWidth, h = c->FHeight;
    if (a.Contains(akRight)) {
      if (a.Contains(akLeft))
        w += dx;
      else
        l += dx;
    }
    if (a.Contains(akBottom)) {
      if (a.Contains(akTop))
        h += dy;
      else
        t += dy;
    }
    c->SetBounds(l, t, w, h);
  }
}

void TWinControl::Realign() {
  if (FAligning || HasState(csLoading)) return;
  FAligning = true;
  TRect r = GetClientRect();
  AdjustClientRect(r);
  for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
    for (TControl* c : std::vector<TControl*>(FControls)) {
      if (c->FAlign != align || !c->FVisible) continue;
      switch (align) {
        case alTop:
          c->SetBounds(r.Left, r.Top, r.Width(), c->FHeight);
          r.Top += c->FHeight;
          break;
        case alBottom:
          c->SetBounds(r.Left, r.Bottom - c->FHeight, r.Width(), c->FHeight);
          r.Bottom -= c->FHeight;
          break;
        case alLeft:
          c->SetBounds(r.Left, r.Top, c->FWidth, r.Height());
          r.Left += c->FWidth;
          break;
        case alRight:
          c->SetBounds(r.Right - c->FWidth, r.Top, c->FWidth, r.Height());
          r.Right -= c->FWidth;
          break;
        default: c->SetBounds(r.Left, r.Top, r.Width(), r.Height()); break;
      }
    }
  }
  FAligning = false;
}

void TWinControl::SetParent(TWinControl* parent) {
  if (parent == FParent) return;
  if (!parent && FHandle) {
    TCreateParams p;
    CreateParams(p);
    if (p.Kind == TWindowKind::Child) DestroyHandle();
  }
  TControl::SetParent(parent);
}

void TWinControl::Invalidate() {
  if (FHandle) WidgetSet()->Invalidate(FHandle, nullptr);
}

void TWinControl::InvalidateRect(const TRect& r) {
  if (!FHandle) return;
  TPoint off = GetClientOffset();
  TRect w{r.Left + off.X, r.Top + off.Y, r.Right + off.X, r.Bottom + off.Y};
  WidgetSet()->Invalidate(FHandle, &w);
}

void TWinControl::Update() {
  if (FHandle) WidgetSet()->Update(FHandle);
}

TPoint TWinControl::GetClientOrigin() const {
  TCreateParams p;
  const_cast<TWinControl*>(this)->CreateParams(p);
  TPoint off = GetClientOffset();
  if (p.Kind != TWindowKind::Child || !FParent) return {FLeft + off.X, FTop + off.Y};
  TPoint o = FParent->GetClientOrigin();
  return {o.X + FLeft + off.X, o.Y + FTop + off.Y};
}

void TWinControl::VisibleChanged() {
  if (!FVisible && FParent) {
    if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(this, false);
  }
  UpdateNativeVisible();
  TControl::VisibleChanged();
}

void TWinControl::EnabledChanged() {
  if (!FEnabled && FParent) {
    if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(this, false);
  }
  if (FHandle) WidgetSet()->SetEnabled(FHandle, FEnabled);
  TControl::EnabledChanged();
  Invalidate();
}

void TWinControl::TextChanged() {
  if (FHandle) WidgetSet()->SetCaption(FHandle, FText);
  Invalidate();
}

void TWinControl::FontChanged() {
  Invalidate();
  for (TControl* c : std::vector<TControl*>(FControls)) c->ParentFontChanged();
}

void TWinControl::ColorChanged() {
  Invalidate();
  for (TControl* c : std::vector<TControl*>(FControls)) c->ParentColorChanged();
}

void TWinControl::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) const {
  TComponent::GetChildren(proc, root);
  for (TControl* c : FControls)
    if (c->GetOwner() == root) proc(c);
}

void TWinControl::Loaded() {
  TControl::Loaded();
  FixupTabList();
  Realign();
}

TCanvas* TWinControl::GetWindowCanvas() {
  if (!FWindowCanvas) FWindowCanvas = std::make_unique<TCanvas>();
  return FWindowCanvas.get();
}

void TWinControl::PaintHandler(TPainterBackend& painter) {
  TCanvas* canvas = GetWindowCanvas();
  struct TUnbind {
    TCanvas* Canvas;
    ~TUnbind() { Canvas->SetPainter(nullptr); }
  } unbind{canvas};
  canvas->SetPainter(&painter);
  PaintWindow(canvas);
  canvas->SetPainter(nullptr);
  PaintControls(painter);
}

void TWinControl::PaintWindow(TCanvas* canvas) {
  canvas->GetPainter()->FillRect(GetClientRect(), ColorToRGB(FColor));
}

void TWinControl::PaintControls(TPainterBackend& painter) {
  for (TControl* c : std::vector<TControl*>(FControls)) {
    auto* g = dynamic_cast<TGraphicControl*>(c);
    if (!g || !g->FVisible || g->FWidth <= 0 || g->FHeight <= 0) continue;
    painter.Save();
    struct TRestore {
      TPainterBackend& P;
      TCanvas* Canvas;
      ~TRestore() {
        Canvas->SetPainter(nullptr);
        P.Restore();
      }
    } restore{painter, g->FCanvas.get()};
    painter.Translate(g->FLeft + GetClientOffset().X, g->FTop + GetClientOffset().Y);
    painter.IntersectClip({0, 0, g->FWidth, g->FHeight});
    g->FCanvas->SetPainter(&painter);
    g->Paint();
  }
}

// ------------------------------------------------------------------ TCustomControl, TGraphicControl

const TClassInfo& TCustomControl::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TCustomControl>("TCustomControl", &TWinControl::StaticClass()).Build();
  return info;
}

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {}

void TCustomControl::PaintWindow(TCanvas* canvas) {
  if (!FControlStyle.Contains(csOpaque)) canvas->GetPainter()->FillRect(GetClientRect(), ColorToRGB(FColor));
  Paint();
}

const TClassInfo& TGraphicControl::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TGraphicControl>("TGraphicControl", &TControl::StaticClass()).Build();
  return info;
}

TGraphicControl::TGraphicControl(TComponent* owner)
    : TControl(owner), FCanvas(std::make_unique<TCanvas>()) {}

TGraphicControl::~TGraphicControl() = default;

}  // namespace fw
