// Fuzz target of the form-file reader and writer. Each input is read as a form file into a
// fresh data module with every registered class of the framework, the library and the
// demonstration; its datasets reach the demonstration tables (alias "QorExample", a
// standard alias, and "QorExampleSQL", an SQL alias on one of the table files) in a
// private temporary directory that SQLite may only read.
//
// Checked for every input:
// - reading either succeeds or raises a framework error (an exception of any other kind
//   escapes and stops the run), and a failed read leaves no component in the root;
// - what was read is written, and the written text reads again into a new root and is
//   written as the same text (the writer's output is a normal form);
// - no crash, no leak, no undefined behaviour (the sanitizers).
// With QORFUZZ_VERBOSE=1 in the environment each input's outcome is printed (the error
// that refused it, or the written text), to see what a seed reaches.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "demo/DModLk.h"
#include "demo/DemoData.h"
#include "framework/core/Dialogs.h"
#include "framework/core/Exceptions.h"
#include "framework/engine/Session.h"
#include "framework/stream/FormReader.h"
#include "framework/stream/FormWriter.h"
#include "fuzz/FuzzSandbox.h"

namespace {

/// Messages and confirmations of loaded components go nowhere; confirmations say no.
class TQuietMessages : public fw::TMessageService {
 public:
  void ShowMessage(const std::string&) override {}
  bool Confirm(const std::string&) override { return false; }
};

[[noreturn]] void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "fuzz_form: %s\n%s\n", what, detail.c_str());
  std::abort();
}

/// Reads `text` into a new data module; null when the file is refused with a framework
/// error (the root must then hold no component).
std::unique_ptr<demo::TDM1> Read(const std::string& text, std::string* error) {
  auto root = std::make_unique<demo::TDM1>(nullptr);
  try {
    fw::ReadComponentInto(text, root.get());
    return root;
  } catch (const fw::EFormSyntaxError& e) {
    *error = e.what();
  } catch (const fw::Exception& e) {
    *error = e.what();
  }
  if (root->GetComponentCount() != 0)
    Fail("a refused file left components in the root", *error);
  return nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const std::string& dir = fuzz::SandboxDir();
  // The persistent alias store is never consulted; were it, it would be the sandbox's.
  ::setenv("QOR_ALIAS_STORE", (dir + "/aliases.conf").c_str(), 1);
  static TQuietMessages quiet;
  fw::SetMessageService(&quiet);
  demo::RegisterDemoClasses();

  const std::string data = dir + "/data";
  demo::CreateDemoTables(data);
  fuzz::ConfineSQLite(dir);
  fw::TSession* session = fw::Session();
  session->SetConfigMode({fw::cfmSession});
  session->AddStandardAlias("QorExample", data, "PARADOX");
  session->AddAlias("QorExampleSQL", "SQLITE", {"PATH=" + data + "/Lang.DB"});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool verbose = [] {
    const char* v = std::getenv("QORFUZZ_VERBOSE");
    return v && *v && *v != '0';
  }();
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string error;
  std::string written;
  {
    std::unique_ptr<demo::TDM1> root = Read(text, &error);
    if (!root) {
      if (verbose) std::fprintf(stderr, "refused: %s\n", error.c_str());
      return 0;
    }
    written = fw::WriteComponentText(root.get());
  }
  if (verbose) std::fprintf(stderr, "read and written:\n%s", written.c_str());
  std::unique_ptr<demo::TDM1> again = Read(written, &error);
  if (!again) Fail("the writer's output does not read back", error + "\n--- written:\n" + written);
  const std::string rewritten = fw::WriteComponentText(again.get());
  if (rewritten != written)
    Fail("the writer's output is not a normal form",
         "--- written:\n" + written + "--- read back and written again:\n" + rewritten);
  return 0;
}
