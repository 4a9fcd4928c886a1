// Writing component trees as form files: every stored published property that differs
// from its default, then the defined properties, then the children, in normal form.
#pragma once

#include <string>

#include "framework/stream/FormSyntax.h"

namespace fw {

class TComponent;

/// The form-file tree of a root and everything written inside it. With `allProperties`
/// every published property is listed, defaults and unassigned ones (nil) included.
TFormObject WriteComponentTree(const TComponent* root, bool allProperties = false);
/// The form-file text of a root (normal form).
std::string WriteComponentText(const TComponent* root);

}  // namespace fw
