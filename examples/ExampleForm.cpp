#include "examples/ExampleForm.h"

#include "framework/controls/ControlsRegister.h"
#include "framework/controls/StdCtrls.h"
#include "framework/core/Dialogs.h"
#include "framework/core/Text.h"
#include "framework/core/TypInfo.h"
#include "framework/stream/Classes.h"
#include "framework/stream/FormReader.h"
#include "framework/ui/Menus.h"

namespace examples {

const fw::TClassInfo& TExampleForm::StaticClass() {
  static const fw::TClassInfo& info =
      fw::TClassBuilder<TExampleForm>("TExampleForm", &fw::TForm::StaticClass())
          .Method<&TExampleForm::FormCreate>("FormCreate")
          .Method<&TExampleForm::OkClick>("OkClick")
          .Method<&TExampleForm::AskClick>("AskClick")
          .Method<&TExampleForm::NameKeyPress>("NameKeyPress")
          .Method<&TExampleForm::EditMenuPopup>("EditMenuPopup")
          .Method<&TExampleForm::UpperClick>("UpperClick")
          .Method<&TExampleForm::ClearClick>("ClearClick")
          .Build();
  return info;
}

void TExampleForm::LoadForm() {
  RegisterExampleClasses();
  if (GetComponentCount() == 0) fw::ReadComponentInto(ExampleFormText(), this);
}

fw::TEdit* TExampleForm::CodeEdit() const { return dynamic_cast<fw::TEdit*>(FindComponent("CodeEdit")); }
fw::TEdit* TExampleForm::NameEdit() const { return dynamic_cast<fw::TEdit*>(FindComponent("NameEdit")); }
fw::TPopupMenu* TExampleForm::EditMenu() const { return dynamic_cast<fw::TPopupMenu*>(FindComponent("EditMenu")); }

void TExampleForm::FormCreate(fw::TObject*) {
  EditMenu()->GetItems()->SetOnClick(fw::Method<&TExampleForm::MenuShortCut>(this));
  Log.push_back("create");
}

void TExampleForm::OkClick(fw::TObject*) {
  Log.push_back("ok " + CodeEdit()->GetText() + " " + NameEdit()->GetText() + " result " +
                std::to_string(GetModalResult()));
}

void TExampleForm::AskClick(fw::TObject*) {
  if (!fw::Confirm("Clear both fields?")) return;
  CodeEdit()->SetText("");
  NameEdit()->SetText("");
  Log.push_back("cleared");
}

void TExampleForm::NameKeyPress(fw::TObject*, fw::TKeyChar& key) {
  // Names start with a capital letter.
  if (NameEdit()->GetSelStart() == 0 && key >= 'a' && key <= 'z') key = key - 'a' + 'A';
}

void TExampleForm::EditMenuPopup(fw::TObject*) {
  fw::TEdit* edit = MenuTarget();
  Log.push_back("popup " + (edit ? edit->GetName() : std::string("none")));
  EditMenu()->GetItems()->Find("Clear")->SetEnabled(edit && !edit->GetText().empty());
}

void TExampleForm::MenuShortCut(fw::TObject*) {
  fw::TEdit* edit = fw::Screen ? dynamic_cast<fw::TEdit*>(fw::Screen->GetActiveControl()) : nullptr;
  if (edit && edit->GetPopupMenu() == EditMenu()) EditMenu()->SetPopupComponent(edit);
  EditMenuPopup(this);
}

fw::TEdit* TExampleForm::MenuTarget() const { return dynamic_cast<fw::TEdit*>(EditMenu()->GetPopupComponent()); }

void TExampleForm::UpperClick(fw::TObject*) {
  if (fw::TEdit* edit = MenuTarget()) edit->SetText(fw::UpperCase(edit->GetText()));
  Log.push_back("upper");
}

void TExampleForm::ClearClick(fw::TObject*) {
  if (fw::TEdit* edit = MenuTarget()) edit->SetText("");
  Log.push_back("clear");
}

void RegisterExampleClasses() {
  fw::RegisterControlsClasses();
  fw::RegisterClass(TExampleForm::StaticClass());
}

}  // namespace examples
