// qorform: checks, shows and normalises form files.
//   qorform check [--syntax-only] FILE...   prints "FILE: ok" or "FILE:LINE:COL: message"
//   qorform tree  [--syntax-only] FILE      the component tree with every published property
//   qorform format [--syntax-only] FILE     the file in normal form, on standard output
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "framework/core/Component.h"
#include "framework/stream/Classes.h"
#include "framework/stream/FormReader.h"
#include "framework/stream/FormSyntax.h"
#include "framework/stream/FormWriter.h"
#include "library/QorRegister.h"
#ifdef QORFORM_WITH_UI
#include "examples/ExampleForm.h"
#endif
#ifdef QORFORM_WITH_DBCTRLS
#include "framework/dbctrls/DBCtrls.h"
#endif

namespace {

int Usage() {
  std::cerr << "usage: qorform check [--syntax-only] FILE...\n"
               "       qorform tree [--syntax-only] FILE\n"
               "       qorform format [--syntax-only] FILE\n";
  return 2;
}

bool ReadFile(const std::string& path, std::string& text, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open the file";
    return false;
  }
  std::ostringstream ss;
  ss << in.rdbuf();
  text = ss.str();
  return true;
}

/// Runs `action` on the file; prints a failure as FILE:LINE:COL: message.
template <class Action>
bool Process(const std::string& path, Action action) {
  std::string text, error;
  if (!ReadFile(path, text, error)) {
    std::cerr << path << ": " << error << "\n";
    return false;
  }
  try {
    action(text);
    return true;
  } catch (const fw::EFormSyntaxError& e) {
    std::cerr << path << ":" << e.Line() << ":" << e.Col() << ": " << e.Detail() << "\n";
  } catch (const std::exception& e) {
    std::cerr << path << ": " << e.what() << "\n";
  }
  return false;
}

/// Reads the file into a fresh root with the registered classes.
std::unique_ptr<fw::TComponent> Load(const std::string& text) {
  return std::unique_ptr<fw::TComponent>(fw::ReadComponentText(text, nullptr));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  std::string command = argv[1];
  bool syntaxOnly = false;
  std::vector<std::string> files;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--syntax-only") == 0)
      syntaxOnly = true;
    else
      files.push_back(argv[i]);
  }
  if (files.empty()) return Usage();
  qor::RegisterLibraryClasses();
#ifdef QORFORM_WITH_UI
  examples::RegisterExampleClasses();  // the window layer's classes with the example form
#endif
#ifdef QORFORM_WITH_DBCTRLS
  fw::RegisterDBCtrlsClasses();
#endif

  if (command == "check") {
    bool allOk = true;
    for (const auto& file : files) {
      bool ok = Process(file, [&](const std::string& text) {
        if (syntaxOnly)
          fw::ParseForm(text);
        else
          Load(text);
      });
      if (ok) std::cout << file << ": ok\n";
      allOk = allOk && ok;
    }
    return allOk ? 0 : 1;
  }
  if (files.size() != 1) return Usage();
  if (command == "tree") {
    return Process(files[0], [&](const std::string& text) {
             if (syntaxOnly)
               std::cout << fw::PrintForm(fw::ParseForm(text));
             else
               std::cout << fw::PrintForm(fw::WriteComponentTree(Load(text).get(), true));
           })
               ? 0
               : 1;
  }
  if (command == "format") {
    return Process(files[0], [&](const std::string& text) {
             if (syntaxOnly)
               std::cout << fw::PrintForm(fw::ParseForm(text));
             else
               std::cout << fw::WriteComponentText(Load(text).get());
           })
               ? 0
               : 1;
  }
  return Usage();
}
