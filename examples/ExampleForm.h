// The example form of the window layer (ExampleForm.dfm, built into the program): two
// edits with a popup menu and its shortcuts, OK and Cancel buttons with modal results, and
// a button that asks before it clears both edits. Its handlers write what they do into Log.
#pragma once

#include <string>
#include <vector>

#include "framework/ui/Forms.h"

namespace fw {
class TEdit;
class TPopupMenu;
}  // namespace fw

namespace examples {

class TExampleForm : public fw::TForm {
  FW_CLASS(TExampleForm)
 public:
  explicit TExampleForm(fw::TComponent* owner) : fw::TForm(owner) {}
  /// Reads the built-in form file into the form (once, on a form without components).
  void LoadForm();

  fw::TEdit* CodeEdit() const;
  fw::TEdit* NameEdit() const;
  fw::TPopupMenu* EditMenu() const;

  // Published handlers, bound by name from the form file.
  void FormCreate(fw::TObject* sender);
  void OkClick(fw::TObject* sender);
  void AskClick(fw::TObject* sender);
  void NameKeyPress(fw::TObject* sender, fw::TKeyChar& key);
  void EditMenuPopup(fw::TObject* sender);
  void UpperClick(fw::TObject* sender);
  void ClearClick(fw::TObject* sender);
  /// The menu's shortcut step: the shortcut acts on the focused edit.
  void MenuShortCut(fw::TObject* sender);

  std::vector<std::string> Log;

 private:
  fw::TEdit* MenuTarget() const;
};

/// The text of ExampleForm.dfm as it was when the program was built.
const std::string& ExampleFormText();

/// Makes the example's form class, the window layer's classes and the standard controls known
/// to form files.
void RegisterExampleClasses();

}  // namespace examples
