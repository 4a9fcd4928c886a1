// Small value types of the window layer: points and rectangles, shift states and mouse
// buttons, virtual-key codes, window messages, modal results and cursors.
#pragma once

#include <cstdint>
#include <string>

#include "framework/core/Sets.h"
#include "framework/core/TypInfo.h"

namespace fw {

/// An opaque native window handle; 0 when none.
using THandle = std::uintptr_t;

struct TPoint {
  int X = 0, Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

/// A rectangle by its edges; Right and Bottom lie just outside it.
struct TRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

inline TPoint Point(int x, int y) { return {x, y}; }
inline TRect Rect(int left, int top, int right, int bottom) { return {left, top, right, bottom}; }
inline TRect Bounds(int left, int top, int width, int height) {
  return {left, top, left + width, top + height};
}
/// Whether the point lies in the rectangle (left and top edges inside, right and bottom outside).
inline bool PtInRect(const TRect& r, TPoint p) {
  return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}
inline TPoint CenterPoint(const TRect& r) { return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }

/// The keys and mouse buttons held during an input event.
enum TShiftStateFlag { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
FW_ENUM_INFO(TShiftStateFlag, "ssShift", "ssAlt", "ssCtrl", "ssLeft", "ssRight", "ssMiddle", "ssDouble")
using TShiftState = TSet<TShiftStateFlag>;

enum TMouseButton { mbLeft, mbRight, mbMiddle };
FW_ENUM_INFO(TMouseButton, "mbLeft", "mbRight", "mbMiddle")

// Virtual-key codes. Letters and digits are their upper-case character codes ('A' = 65,
// '0' = 48).
inline constexpr std::uint16_t VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_CANCEL = 0x03,
                               VK_MBUTTON = 0x04, VK_BACK = 0x08, VK_TAB = 0x09, VK_CLEAR = 0x0C,
                               VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12,
                               VK_PAUSE = 0x13, VK_CAPITAL = 0x14, VK_ESCAPE = 0x1B, VK_SPACE = 0x20,
                               VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24,
                               VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28,
                               VK_PRINT = 0x2A, VK_SNAPSHOT = 0x2C, VK_INSERT = 0x2D, VK_DELETE = 0x2E,
                               VK_HELP = 0x2F, VK_LWIN = 0x5B, VK_RWIN = 0x5C, VK_APPS = 0x5D,
                               VK_NUMPAD0 = 0x60, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B,
                               VK_SEPARATOR = 0x6C, VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E,
                               VK_DIVIDE = 0x6F, VK_F1 = 0x70, VK_F2 = 0x71, VK_F3 = 0x72,
                               VK_F4 = 0x73, VK_F5 = 0x74, VK_F6 = 0x75, VK_F7 = 0x76, VK_F8 = 0x77,
                               VK_F9 = 0x78, VK_F10 = 0x79, VK_F11 = 0x7A, VK_F12 = 0x7B,
                               VK_NUMLOCK = 0x90, VK_SCROLL = 0x91;

// Window messages. WM_* carry the classic numbers; CM_* are the framework's own.
inline constexpr unsigned WM_NULL = 0x0000, WM_SETFOCUS = 0x0007, WM_KILLFOCUS = 0x0008,
                          WM_CLOSE = 0x0010, WM_CANCELMODE = 0x001F, WM_CONTEXTMENU = 0x007B,
                          WM_KEYDOWN = 0x0100, WM_KEYUP = 0x0101, WM_CHAR = 0x0102,
                          WM_SYSKEYDOWN = 0x0104, WM_SYSKEYUP = 0x0105, WM_SYSCHAR = 0x0106,
                          WM_MOUSEMOVE = 0x0200, WM_LBUTTONDOWN = 0x0201, WM_LBUTTONUP = 0x0202,
                          WM_RBUTTONDOWN = 0x0204, WM_RBUTTONUP = 0x0205, WM_MBUTTONDOWN = 0x0207,
                          WM_MBUTTONUP = 0x0208, WM_USER = 0x0400;
inline constexpr unsigned CM_BASE = 0xB000, CM_ACTIVATE = CM_BASE + 0, CM_DEACTIVATE = CM_BASE + 1,
                          CM_ENTER = CM_BASE + 10, CM_EXIT = CM_BASE + 11,
                          CM_CANCELMODE = CM_BASE + 4, CM_RELEASE = CM_BASE + 33,
                          CM_INVOKE = CM_BASE + 90;

/// A window message: its number, two parameters and the answer of its handler.
struct TMessage {
  unsigned Msg = 0;
  std::uintptr_t WParam = 0;
  std::intptr_t LParam = 0;
  std::intptr_t Result = 0;
};

/// The result of a modal form or message box.
using TModalResult = int;
inline constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4,
                              mrIgnore = 5, mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9,
                              mrYesToAll = 10, mrClose = 11;

/// Mouse cursors (the classic numbers; negative for the built-in shapes).
using TCursor = std::int16_t;
inline constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4,
                         crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9,
                         crUpArrow = -10, crHourGlass = -11, crDrag = -12, crNoDrop = -13,
                         crHSplit = -14, crVSplit = -15, crMultiDrag = -16, crSQLWait = -17,
                         crNo = -18, crAppStart = -19, crHelp = -20, crHandPoint = -21,
                         crSizeAll = -22;

/// The name of a cursor ("crHandPoint"), or empty for a number without a name.
std::string CursorToIdent(TCursor cursor);
/// The cursor of a name (case-insensitive); false when the name is unknown.
bool IdentToCursor(const std::string& ident, TCursor& cursor);

}  // namespace fw
