// The replaceable message-box service: information messages and confirmations go through
// it. The default writes to standard error and answers confirmations with "yes"; the
// windows layer installs real dialogs and tests install a recorder.
#pragma once

#include <string>

namespace fw {

class TMessageService {
 public:
  virtual ~TMessageService() = default;
  /// An information message (OK only).
  virtual void ShowMessage(const std::string& message) = 0;
  /// A yes/no confirmation; true for yes.
  virtual bool Confirm(const std::string& message) = 0;
};

/// Installs a service (null restores the default); returns the one that was installed.
TMessageService* SetMessageService(TMessageService* service);
TMessageService* GetMessageService();

void ShowMessage(const std::string& message);
bool Confirm(const std::string& message);

}  // namespace fw
