// Small enums shared by the framework and the lookup library.
#pragma once

#include <cstdint>

#include "framework/core/TypInfo.h"

namespace fw {

/// A colour as 0x00BBGGRR.
using TColor = std::int32_t;

/// Horizontal alignment of a text in a field of fixed width.
enum TAlignment { taLeftJustify = 0, taRightJustify = 1, taCenter = 2 };
FW_ENUM_INFO(TAlignment, "taLeftJustify", "taRightJustify", "taCenter")

}  // namespace fw
