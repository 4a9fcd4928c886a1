// The replaceable message-box service: information messages, confirmations, message
// dialogs with chosen buttons and file dialogs go through it. The default writes to
// standard error, answers confirmations with "yes" and chooses no file; the windows layer
// installs real dialogs and tests install a recorder.
#pragma once

#include <cstdint>
#include <string>

namespace fw {

/// A file dialog's settings and, after it, the chosen file.
struct TFileDialogParams {
  bool Save = false;         // a save dialog (else an open dialog)
  std::string Title;
  std::string Filter;        // "Bitmaps (*.bmp)|*.bmp|All files (*)|*"
  int FilterIndex = 1;       // counted from 1
  std::string DefaultExt;    // without the dot; added to a chosen name without extension
  std::string InitialDir;
  std::string FileName;      // in: proposed; out: chosen
};

// Message dialog kinds and buttons, and their answers (modal results).
enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll,
                  mbYesToAll, mbHelp };
/// A set of buttons: bit n for the button of ordinal n.
using TMsgDlgButtonBits = std::uint32_t;
inline constexpr TMsgDlgButtonBits MsgDlgButton(TMsgDlgBtn b) { return 1u << b; }
inline constexpr int idOk = 1, idCancel = 2, idAbort = 3, idRetry = 4, idIgnore = 5, idYes = 6,
                     idNo = 7, idAll = 8, idNoToAll = 9, idYesToAll = 10;

class TMessageService {
 public:
  virtual ~TMessageService() = default;
  /// An information message (OK only).
  virtual void ShowMessage(const std::string& message) = 0;
  /// A yes/no confirmation; true for yes.
  virtual bool Confirm(const std::string& message) = 0;
  /// A message dialog with a set of buttons; the answer is the pressed button's result
  /// (idOk, idYes, ...). By default a dialog with the OK button alone is ShowMessage and
  /// gives idOk; any other is Confirm: yes gives idYes (idOk without a Yes button), no gives
  /// idNo (idCancel without a No button).
  virtual int MessageDlg(const std::string& message, TMsgDlgType type, TMsgDlgButtonBits buttons);
  /// A file dialog; true when a file was chosen (its name in params.FileName). By default
  /// no file is chosen.
  virtual bool ExecuteFileDialog(TFileDialogParams& params) { return false; }
};

/// Installs a service (null restores the default); returns the one that was installed.
TMessageService* SetMessageService(TMessageService* service);
TMessageService* GetMessageService();

void ShowMessage(const std::string& message);
bool Confirm(const std::string& message);
int MessageDlg(const std::string& message, TMsgDlgType type, TMsgDlgButtonBits buttons);

}  // namespace fw
