#include "library/QorPasUi.h"

#include "framework/ui/Controls.h"

namespace qor {

void EnterToTab(fw::TWinControl* control, std::uint16_t& key, fw::TShiftState) {
  if (key == fw::VK_RETURN && control) fw::PostMessage(control->GetHandle(), fw::WM_KEYDOWN, fw::VK_TAB, 0);
}

}  // namespace qor
