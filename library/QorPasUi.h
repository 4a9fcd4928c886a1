// The part of unit QorPas that needs windows: EnterToTab.
#pragma once

#include <cstdint>

#include "framework/ui/UiTypes.h"

namespace fw {
class TWinControl;
}

namespace qor {

/// For the Enter key (13): posts a key-down of Tab (WM_KEYDOWN, virtual key 9, key data 0)
/// to the control's window, so that the focus moves on to the next control after the
/// Enter is handled. The key code is left as it is and the shift state plays no part;
/// any other key does nothing.
void EnterToTab(fw::TWinControl* control, std::uint16_t& key, fw::TShiftState shift);

}  // namespace qor
