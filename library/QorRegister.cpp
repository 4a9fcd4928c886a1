#include "library/QorRegister.h"

#include "framework/stream/Classes.h"

namespace qor {

void RegisterLibraryClasses() { fw::RegisterCoreClasses(); }

}  // namespace qor
