#include "library/QorPas.h"

#include <cstddef>

#include "framework/core/Text.h"
#include "framework/core/TypInfo.h"

namespace qor {

std::string PadText(const std::string& text, int width, int alignment) {
  if (width <= 0) return {};
  const auto w = static_cast<std::size_t>(width);
  const std::size_t len = fw::Utf8Length(text);
  if (len >= w) return fw::Utf8Left(text, w);

  // Here 0 <= len < w, so the text fits whole: `before` blanks, the text, then the rest.
  const std::size_t surplus = w - len;
  std::size_t before = 0;
  switch (alignment) {
    case fw::taLeftJustify: before = 0; break;
    case fw::taRightJustify: before = surplus; break;
    case fw::taCenter: before = surplus / 2; break;
    default: return std::string(w, ' ');
  }
  if (text.empty()) return std::string(w, ' ');

  std::string out;
  out.reserve(text.size() + surplus);
  out.append(before, ' ');
  out.append(text);
  out.append(surplus - before, ' ');
  return out;
}

std::string GetStrPropByName(const fw::TObject* component, const std::string& propName) {
  const fw::TPropInfo* prop = fw::GetPropInfo(component, propName);
  if (!prop || prop->Kind != fw::TTypeKind::tkString) return {};
  return fw::GetStrProp(component, prop);
}

}  // namespace qor
