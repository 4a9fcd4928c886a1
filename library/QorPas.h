// General-purpose text routines of the lookup library.
#pragma once

#include <string>

#include "framework/core/Types.h"

namespace qor {

/// The text fitted into a field of `width` characters (code points, UTF-8):
/// - width 0 or less gives the empty string;
/// - a text of at least `width` characters gives its first `width` characters;
/// - otherwise `width` blanks with the text placed left (fw::taLeftJustify), right
///   (fw::taRightJustify) or centred (fw::taCenter; an odd surplus puts the extra blank on
///   the right). Any other alignment value, and an empty text, give only blanks.
std::string PadText(const std::string& text, int width, int alignment);

}  // namespace qor
