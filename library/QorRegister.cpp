#include "library/QorRegister.h"

#include "framework/data/DataClasses.h"
#include "framework/stream/Classes.h"
#include "library/QorLook.h"

namespace qor {

void RegisterLibraryClasses() {
  fw::RegisterDataClasses();
  fw::RegisterClasses({&TQorLookupLevelItem::StaticClass(), &TQorLookupLevelCol::StaticClass()});
}

}  // namespace qor
