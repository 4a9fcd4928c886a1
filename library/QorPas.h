// General-purpose text routines of the lookup library.
#pragma once

#include <string>

#include "framework/core/Types.h"

namespace fw {
class TObject;
}

namespace qor {

/// The text fitted into a field of `width` characters (code points, UTF-8):
/// - width 0 or less gives the empty string;
/// - a text of at least `width` characters gives its first `width` characters;
/// - otherwise `width` blanks with the text placed left (fw::taLeftJustify), right
///   (fw::taRightJustify) or centred (fw::taCenter; an odd surplus puts the extra blank on
///   the right). Any other alignment value, and an empty text, give only blanks.
std::string PadText(const std::string& text, int width, int alignment);

/// The value of the published string property `propName` of the object's class, or the
/// empty string when there is no such string property (never raises for a missing one).
std::string GetStrPropByName(const fw::TObject* component, const std::string& propName);

}  // namespace qor
