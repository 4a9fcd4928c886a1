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

int MessageDlg(const std::string& message, TMsgDlgType type, TMsgDlgButtonBits buttons) {
  return gService->MessageDlg(message, type, buttons);
}

int TMessageService::MessageDlg(const std::string& message, TMsgDlgType, TMsgDlgButtonBits buttons) {
  auto has = [buttons](TMsgDlgBtn b) { return (buttons & MsgDlgButton(b)) != 0; };
  if (buttons == MsgDlgButton(mbOK) || buttons == 0) {
    ShowMessage(message);
    return idOk;
  }
  if (Confirm(message)) return has(mbYes) ? idYes : idOk;
  return has(mbNo) ? idNo : idCancel;
}

}  // namespace fw
