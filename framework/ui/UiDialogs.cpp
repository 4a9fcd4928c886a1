#include "framework/ui/UiDialogs.h"

#include "framework/core/TypInfo.h"
#include "framework/ui/Forms.h"
#include "framework/ui/WidgetSet.h"

namespace fw {

namespace {

/// While a box is up: the screen's active form is left, the application counts one more
/// modal level; both come back when the box closes, also when it fails.
class TModalBoxScope {
 public:
  TModalBoxScope() {
    if (Screen) Screen->BeginModalBox();
  }
  ~TModalBoxScope() {
    if (Screen) RunGuarded(Screen, [] { Screen->EndModalBox(); });
  }
  TModalBoxScope(const TModalBoxScope&) = delete;
  TModalBoxScope& operator=(const TModalBoxScope&) = delete;
};

std::string BoxCaption() { return Application && !Application->GetTitle().empty() ? Application->GetTitle() : ""; }

}  // namespace

TModalResult MessageDlg(const std::string& message, TMsgDlgType type, TMsgDlgButtonBits buttons, int) {
  return fw::MessageDlg(message, type, buttons);
}

void TUiMessageService::ShowMessage(const std::string& message) {
  MessageDlg(message, mtCustom, MsgDlgButton(mbOK));
}

bool TUiMessageService::Confirm(const std::string& message) {
  return MessageDlg(message, mtConfirmation, MsgDlgButton(mbYes) | MsgDlgButton(mbNo)) == idYes;
}

int TUiMessageService::MessageDlg(const std::string& message, TMsgDlgType type, TMsgDlgButtonBits buttons) {
  TModalBoxScope scope;
  return WidgetSet()->MessageBox(message, BoxCaption(), type, buttons);
}

bool TUiMessageService::ExecuteFileDialog(TFileDialogParams& params) {
  TModalBoxScope scope;
  return WidgetSet()->FileDialog(params);
}

const TClassInfo& TOpenDialog::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TOpenDialog>("TOpenDialog", &TComponent::StaticClass())
          .Prop("DefaultExt", &TOpenDialog::GetDefaultExt, &TOpenDialog::SetDefaultExt)
          .Prop("FileName", &TOpenDialog::GetFileName, &TOpenDialog::SetFileName)
          .Prop("Filter", &TOpenDialog::GetFilter, &TOpenDialog::SetFilter)
          .Prop("FilterIndex", &TOpenDialog::GetFilterIndex, &TOpenDialog::SetFilterIndex).Default(1)
          .Prop("InitialDir", &TOpenDialog::GetInitialDir, &TOpenDialog::SetInitialDir)
          .Prop("Title", &TOpenDialog::GetTitle, &TOpenDialog::SetTitle)
          .Build();
  return info;
}

const TClassInfo& TSaveDialog::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TSaveDialog>("TSaveDialog", &TOpenDialog::StaticClass()).Build();
  return info;
}

bool TOpenDialog::Execute() {
  TFileDialogParams params = FParams;
  if (!GetMessageService()->ExecuteFileDialog(params)) return false;
  FParams.FileName = params.FileName;
  FParams.FilterIndex = params.FilterIndex;
  return true;
}

bool OpenDocument(const std::string& url) { return WidgetSet()->OpenDocument(url); }

}  // namespace fw
