// Message boxes and file dialogs of the window layer: ShowMessage, MessageDlg and the open
// and save dialog components, all through the replaceable message service of
// framework/core; the service that shows them in real windows (TUiMessageService); and
// opening a document or address with the desktop's program.
#pragma once

#include <string>

#include "framework/core/Component.h"
#include "framework/core/Dialogs.h"
#include "framework/ui/UiTypes.h"

namespace fw {

/// A message dialog with buttons (bits of MsgDlgButton); the pressed button's modal result.
TModalResult MessageDlg(const std::string& message, TMsgDlgType type, TMsgDlgButtonBits buttons,
                        int helpContext);

/// The message service of the window layer: every box and dialog is modal and shown by
/// the widget set; while it is up the screen's active form is left (BeginModalBox) and it
/// gets the activation and focus back before the call returns.
class TUiMessageService : public TMessageService {
 public:
  void ShowMessage(const std::string& message) override;
  bool Confirm(const std::string& message) override;
  int MessageDlg(const std::string& message, TMsgDlgType type, TMsgDlgButtonBits buttons) override;
  bool ExecuteFileDialog(TFileDialogParams& params) override;
};

/// Settings shared by the open and save dialogs.
class TOpenDialog : public TComponent {
  FW_CLASS(TOpenDialog)
 public:
  explicit TOpenDialog(TComponent* owner) : TComponent(owner) {}
  const std::string& GetDefaultExt() const { return FParams.DefaultExt; }
  void SetDefaultExt(const std::string& v) { FParams.DefaultExt = v; }
  const std::string& GetFileName() const { return FParams.FileName; }
  void SetFileName(const std::string& v) { FParams.FileName = v; }
  const std::string& GetFilter() const { return FParams.Filter; }
  void SetFilter(const std::string& v) { FParams.Filter = v; }
  int GetFilterIndex() const { return FParams.FilterIndex; }
  void SetFilterIndex(int v) { FParams.FilterIndex = v; }
  const std::string& GetInitialDir() const { return FParams.InitialDir; }
  void SetInitialDir(const std::string& v) { FParams.InitialDir = v; }
  const std::string& GetTitle() const { return FParams.Title; }
  void SetTitle(const std::string& v) { FParams.Title = v; }
  /// Shows the dialog through the message service; true when the user chose a file
  /// (FileName is then the chosen one).
  virtual bool Execute();

 protected:
  TFileDialogParams FParams;
};

class TSaveDialog : public TOpenDialog {
  FW_CLASS(TSaveDialog)
 public:
  explicit TSaveDialog(TComponent* owner) : TOpenDialog(owner) { FParams.Save = true; }
};

/// Opens a document or address ("mailto:...", "http://...", a file) with the desktop's
/// program for it; false when none answered.
bool OpenDocument(const std::string& url);

}  // namespace fw
