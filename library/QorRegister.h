// Registration of the library's classes (and the framework's) with the form-file reader.
#pragma once

namespace qor {

/// Makes every class of the non-visual library and of the framework below it known to
/// form files. Calling it again does nothing more.
void RegisterLibraryClasses();

}  // namespace qor
