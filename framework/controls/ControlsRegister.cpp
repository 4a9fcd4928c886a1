#include "framework/controls/ControlsRegister.h"

#include "framework/controls/ComCtrls.h"
#include "framework/controls/ExtCtrls.h"
#include "framework/controls/Mask.h"
#include "framework/controls/StdCtrls.h"
#include "framework/stream/Classes.h"
#include "framework/ui/UiRegister.h"

namespace fw {

void RegisterControlsClasses() {
  RegisterUiClasses();
  RegisterClasses({&TLabel::StaticClass(), &TButton::StaticClass(), &TEdit::StaticClass(), &TMaskEdit::StaticClass(),
                   &TMemo::StaticClass(), &TScrollBar::StaticClass(), &TPanel::StaticClass(), &TBevel::StaticClass(),
                   &TImage::StaticClass(), &TPageControl::StaticClass(), &TTabSheet::StaticClass()});
}

}  // namespace fw
