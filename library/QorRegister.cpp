#include "library/QorRegister.h"

#include "framework/engine/DBDataSet.h"
#include "framework/stream/Classes.h"
#include "library/QorDB.h"
#include "library/QorLook.h"
#include "library/QorTable.h"

namespace qor {

void RegisterLibraryClasses() {
  fw::RegisterEngineClasses();
  fw::RegisterClasses({&TQorLookupLevelItem::StaticClass(), &TQorLookupLevelCol::StaticClass(),
                       &TQorLookField::StaticClass()});
  fw::RegisterClasses({&TQorTable::StaticClass(), &TQorQuery::StaticClass(), &TQorDMInfo::StaticClass(),
                       &TFieldReturn::StaticClass()});
}

}  // namespace qor
