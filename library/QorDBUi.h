// The part of the application service that needs windows: refreshing the datasets of a
// form (RefreshDataOnForm), starting the service (StartQorApp) and the screen's
// active-form hook that refreshes a form whose Tag is 9 each time it becomes active unless
// the refresh lock of QorApp is held (a message box shown through ShowMessageNoRefresh, a
// delete confirmation).
#pragma once

#include "framework/core/Object.h"

namespace fw {
class TComponent;
}

namespace qor {

/// The message StartQorApp shows when there is no screen object.
inline constexpr const char* SScreenNotInitialized = "Screen dont initialize";

/// Opens and refreshes the datasets that a form shows. With no form, the screen's active
/// form (nothing without one). The work list holds, without repeats, the dataset of each
/// component's published "ListSource" (in front) and "DataSource" (at the end), each
/// preceded by the lookup datasets of its fields (and theirs). Then, each dataset inside
/// its own silent error trap: a closed one is opened unless its Tag's tens digit is 8 (and
/// not `force`); an open one is re-read (RefreshDataSet) when `force`, or when that digit is
/// 9 and it is in neither edit nor insert state, unless it is the detail of a query in the
/// work list that is re-read itself (through "MasterSource", or a query's parameter source).
void RefreshDataOnForm(fw::TComponent* form, bool force);

/// Installs the service: the screen's active-form change handler becomes the service's
/// (a handler set before is replaced); with `openDataSets` the datasets of the screen's data
/// modules whose Tag ends in 9 are opened (errors swallowed); the application's main form
/// is refreshed; the data module created last gets the service's destroy hook (its old
/// OnDestroy runs after the browse-mode checks). Without a screen it shows
/// SScreenNotInitialized through ShowMessageNoRefresh and installs no hook.
void StartQorApp(bool openDataSets);

/// The screen's active-form handler of the service: refreshes the new active form when its
/// Tag is exactly 9 and the refresh lock is 0.
class TQorAppHooks : public fw::TObject {
 public:
  void ActiveFormChanged(fw::TObject* sender);
};

/// The one hooks object (lives as long as the program).
TQorAppHooks* QorAppHooks();

}  // namespace qor
