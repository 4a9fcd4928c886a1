// The registration of the alias "QorExample" for the running session.
#include "demo/InitAlias.h"

#include "framework/engine/Session.h"

namespace demo {

namespace {

/// Puts the session's configuration mode to all three modes when the scope ends.
struct TAllModesOnExit {
  ~TAllModesOnExit() { fw::Session()->SetConfigMode({fw::cfmVirtual, fw::cfmPersistent, fw::cfmSession}); }
};

}  // namespace

void InitAlias(const std::string& dir) {
  fw::TSession* session = fw::Session();
  if (session->IsAlias(DemoAliasName)) return;
  session->SetConfigMode({fw::cfmSession});
  TAllModesOnExit allModes;
  session->AddStandardAlias(DemoAliasName, dir, "PARADOX");
}

}  // namespace demo
