// The start and end of the library's units, in link order: QorDB, QorLook, QorTable.
// The units start themselves on first use of any library class, and end at exit.
#include <cstdlib>

#include "framework/engine/Session.h"
#include "library/QorDB.h"
#include "library/QorLook.h"
#include "library/QorTable.h"

namespace qor {

namespace {

bool gStarted = false;
bool gEndAtExit = false;

}  // namespace

void InitializeUnits() {
  if (gStarted) return;
  gStarted = true;
  ValueReturned = false;  // QorDB
  InitQorLookUnit();      // QorLook: DataSetOpenedHook := PrepareLookupFields
  InitQorTableUnit();     // QorTable: AutoIncQuery
  if (!gEndAtExit) {
    // Handlers registered with atexit run before the destruction of the statics that
    // were complete when they were registered: the session, which AutoIncQuery's
    // database goes back to, and everything the units made above outlive the end.
    gEndAtExit = true;
    fw::Session();
    std::atexit(&FinalizeUnits);
  }
}

void FinalizeUnits() {
  if (!gStarted) return;
  gStarted = false;
  DoneQorTableUnit();
  DoneQorLookUnit();
  FreeQorApp();
}

void EnsureUnitsStarted() {
  if (!gStarted) InitializeUnits();
}

}  // namespace qor
