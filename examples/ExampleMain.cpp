// qor-example-form: shows the example form of the window layer in a real window.
//   qor-example-form                  shows the form until it is closed
//   qor-example-form --screenshot DIR writes example-form.png and example-form@2x.png
#include <cstring>
#include <iostream>
#include <string>

#include "examples/ExampleForm.h"
#include "framework/ui/qt/QtWidgetSet.h"

int main(int argc, char** argv) {
  fw::qt::StartQtApplication(argc, argv);
  examples::RegisterExampleClasses();
  examples::TExampleForm* form = nullptr;
  fw::Application->CreateForm(form);
  form->LoadForm();
  if (argc == 3 && std::strcmp(argv[1], "--screenshot") == 0) {
    form->Show();
    fw::Application->ProcessMessages();
    for (auto [ratio, name] : {std::pair{1.0, "example-form.png"}, std::pair{2.0, "example-form@2x.png"}}) {
      std::string file = std::string(argv[2]) + "/" + name;
      if (!fw::qt::SaveWindowImage(form, ratio, file)) {
        std::cerr << "cannot write " << file << "\n";
        return 1;
      }
      std::cout << file << "\n";
    }
    fw::qt::UninstallQtWidgetSet();
    return 0;
  }
  fw::Application->Run();
  fw::qt::UninstallQtWidgetSet();
  return 0;
}
