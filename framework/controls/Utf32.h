// Conversions between UTF-8 text and code points, for the editing controls and the edit
// masks, which place carets and selections by character.
#pragma once

#include <string>
#include <string_view>

#include "framework/core/Text.h"

namespace fw {

/// The code points of a UTF-8 text.
inline std::u32string ToUtf32(std::string_view s) {
  std::u32string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) out.push_back(Utf8Next(s, i));
  return out;
}

/// The UTF-8 text of code points.
inline std::string ToUtf8(std::u32string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char32_t c : s) Utf8Append(out, c);
  return out;
}

/// The UTF-8 text of one code point.
inline std::string ToUtf8(char32_t c) {
  std::string out;
  Utf8Append(out, c);
  return out;
}

}  // namespace fw
