// The clipboard: text and pictures, through the widget set.
#pragma once

#include <string>

#include "framework/core/Persistent.h"

namespace fw {

// Clipboard formats (the classic numbers).
inline constexpr unsigned CF_TEXT = 1, CF_BITMAP = 2, CF_UNICODETEXT = 13, CF_PICTURE = 0xC000;

class TClipboard : public TPersistent {
  FW_CLASS(TClipboard)
 public:
  std::string GetAsText() const;
  void SetAsText(const std::string& text);
  /// Whether the clipboard holds text (CF_TEXT, CF_UNICODETEXT) or a picture (CF_BITMAP,
  /// CF_PICTURE).
  bool HasFormat(unsigned format) const;
  void Clear();
  /// Puts a picture or bitmap on the clipboard (anything else raises the conversion error).
  void Assign(const TPersistent* source) override;

 protected:
  /// Gives the clipboard's picture to a TPicture or TBitmap.
  void AssignTo(TPersistent* dest) const override;
};

/// The one clipboard object.
TClipboard* Clipboard();

}  // namespace fw
