// The entry points through which a widget set hands native events to the controls.
#include "framework/core/Text.h"
#include "framework/ui/Forms.h"
#include "framework/ui/WidgetSet.h"

namespace fw {

namespace {

/// Whether a click into the control's window leaves the activation where it is (a
/// drop-down list and what lies in it).
bool IsPopupWindow(TWinControl* control) {
  for (TWinControl* c = control; c; c = c->GetParent())
    if (c->WindowKind() == TWindowKind::Popup) return true;
  return false;
}

bool HostsGraphicControls(TWinControl* control) {
  for (int i = 0; i < control->GetControlCount(); ++i)
    if (!dynamic_cast<TWinControl*>(control->GetControl(i))) return true;
  return false;
}

}  // namespace

void HandleNativeKey(TWinControl* receiver, bool down, std::uint16_t vk, TShiftState shift,
                     const std::string& text) {
  TWinControl* target = FindFocusedControl();
  if (!target) {
    TCustomForm* form = GetParentForm(receiver);
    target = form ? static_cast<TWinControl*>(form) : receiver;
  }
  if (!down) {
    target->KeyMessage(shift.Contains(ssAlt) ? WM_SYSKEYUP : WM_KEYUP, vk, shift, 0);
    return;
  }
  TKeyChar typed = 0;
  if (!shift.Contains(ssAlt)) {
    std::size_t i = 0;
    TKeyChar fromText = text.empty() ? 0 : Utf8Next(text, i);
    if (fromText >= 32 && fromText != 127 && !shift.Contains(ssCtrl))
      typed = fromText;  // printable: as the keyboard layout gives it
    else
      typed = KeyToChar(vk, shift);
  }
  target->KeyMessage(shift.Contains(ssAlt) ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, shift, typed);
}

void HandleNativeMouse(TWinControl* receiver, TNativeMouse kind, TMouseButton button,
                       TShiftState shift, int x, int y) {
  TControl* target = receiver;
  TPoint offset = receiver->GetClientOffset();  // window to client coordinates
  TPoint p{x - offset.X, y - offset.Y};
  if (TControl* capture = GetCaptureControl()) {
    target = capture;
    p = capture->ScreenToClient(receiver->ClientToScreen(p));
  } else if (TControl* child = receiver->ControlAtPos(p, true);
             child && !dynamic_cast<TWinControl*>(child)) {
    target = child;
    p = {p.X - child->GetLeft(), p.Y - child->GetTop()};
  }
  if (!target->IsEnabledInTree()) return;
  auto alive = target->AliveToken();
  switch (kind) {
    case TNativeMouse::Down:
    case TNativeMouse::DoubleClick: {
      TCustomForm* form = GetParentForm(receiver);
      if (form && Screen && Screen->GetFocusedForm() != form && form->GetVisible() && form->GetEnabled() &&
          !IsPopupWindow(receiver)) {
        form->SetFocus();
        if (alive.expired()) return;
      }
      target->DoMouseDown(button, shift, p.X, p.Y, kind == TNativeMouse::DoubleClick);
      break;
    }
    case TNativeMouse::Up: target->DoMouseUp(button, shift, p.X, p.Y); break;
    case TNativeMouse::Move:
      // A graphic control shows its own cursor over its parent's window, which shows its
      // own again elsewhere.
      if (!GetCaptureControl() && receiver->HandleAllocated() && HostsGraphicControls(receiver)) {
        TCursor cursor = target != receiver && target->GetCursor() != crDefault ? target->GetCursor()
                                                                                 : receiver->GetCursor();
        WidgetSet()->SetCursor(receiver->GetHandle(), cursor);
      }
      target->MouseMove(shift, p.X, p.Y);
      break;
  }
}

void HandleNativePaint(TWinControl* receiver, TPainterBackend& painter) { receiver->PaintHandler(painter); }

void HandleNativeBounds(TWinControl* receiver, const TRect& bounds) {
  receiver->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
}

bool HandleNativeClose(TWinControl* receiver) {
  if (auto* form = dynamic_cast<TCustomForm*>(receiver)) {
    form->Close();
    return false;
  }
  return true;
}

void HandleNativeActivate(TWinControl* receiver) {
  auto* form = dynamic_cast<TCustomForm*>(receiver);
  if (!form || !Screen || Screen->GetFocusedForm() == form) return;
  if (form->GetVisible() && form->GetEnabled()) form->SetFocus();
}

}  // namespace fw
