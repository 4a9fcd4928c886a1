// The start and end of the library's units, in link order: QorDB, QorLook, QorTable.
#include "library/QorDB.h"
#include "library/QorLook.h"
#include "library/QorTable.h"

namespace qor {

namespace {
bool gStarted = false;
}

void InitializeUnits() {
  if (gStarted) return;
  gStarted = true;
  ValueReturned = false;  // QorDB
  InitQorLookUnit();      // QorLook: DataSetOpenedHook := PrepareLookupFields
  InitQorTableUnit();     // QorTable: AutoIncQuery
}

void FinalizeUnits() {
  if (!gStarted) return;
  gStarted = false;
  DoneQorTableUnit();
  DoneQorLookUnit();
  FreeQorApp();
}

}  // namespace qor
