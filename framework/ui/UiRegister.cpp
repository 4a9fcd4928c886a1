#include "framework/ui/UiRegister.h"

#include "framework/stream/Classes.h"
#include "framework/ui/Forms.h"
#include "framework/ui/Menus.h"
#include "framework/ui/UiDialogs.h"

namespace fw {

void RegisterUiClasses() {
  RegisterCoreClasses();
  RegisterClasses({&TForm::StaticClass(), &TPopupMenu::StaticClass(), &TMenuItem::StaticClass(),
                   &TOpenDialog::StaticClass(), &TSaveDialog::StaticClass()});
}

}  // namespace fw
