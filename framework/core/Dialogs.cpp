#include "framework/core/Dialogs.h"

#include <iostream>

namespace fw {

namespace {

class TConsoleMessages : public TMessageService {
 public:
  void ShowMessage(const std::string& message) override { std::cerr << message << "\n"; }
  bool Confirm(const std::string& message) override {
    std::cerr << message << " (yes)\n";
    return true;
  }
};

TConsoleMessages gConsole;
TMessageService* gService = &gConsole;

}  // namespace

TMessageService* SetMessageService(TMessageService* service) {
  TMessageService* old = gService;
  gService = service ? service : &gConsole;
  return old;
}

TMessageService* GetMessageService() { return gService; }

void ShowMessage(const std::string& message) { gService->ShowMessage(message); }

bool Confirm(const std::string& message) { return gService->Confirm(message); }

}  // namespace fw
