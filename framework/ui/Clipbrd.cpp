#include "framework/ui/Clipbrd.h"

#include "framework/core/Consts.h"
#include "framework/core/TypInfo.h"
#include "framework/ui/Graphics.h"
#include "framework/ui/WidgetSet.h"

namespace fw {

const TClassInfo& TClipboard::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TClipboard>("TClipboard", &TPersistent::StaticClass()).Build();
  return info;
}

std::string TClipboard::GetAsText() const { return WidgetSet()->ClipboardText(); }

void TClipboard::SetAsText(const std::string& text) { WidgetSet()->SetClipboardText(text); }

bool TClipboard::HasFormat(unsigned format) const {
  switch (format) {
    case CF_TEXT:
    case CF_UNICODETEXT: return WidgetSet()->ClipboardHasText();
    case CF_BITMAP:
    case CF_PICTURE: return WidgetSet()->ClipboardHasImage();
    default: return false;
  }
}

void TClipboard::Clear() { WidgetSet()->ClearClipboard(); }

void TClipboard::Assign(const TPersistent* source) {
  const TBitmap* bitmap = dynamic_cast<const TBitmap*>(source);
  if (auto* picture = dynamic_cast<const TPicture*>(source)) bitmap = dynamic_cast<const TBitmap*>(picture->GetGraphic());
  if (bitmap && !bitmap->GetEmpty()) {
    bitmap->EndPaint();
    WidgetSet()->SetClipboardImage(*bitmap->GetImage());
    return;
  }
  TPersistent::Assign(source);
}

void TClipboard::AssignTo(TPersistent* dest) const {
  TBitmap* bitmap = dynamic_cast<TBitmap*>(dest);
  TPicture* picture = dynamic_cast<TPicture*>(dest);
  if (!bitmap && !picture) {
    TPersistent::AssignTo(dest);
    return;
  }
  auto image = WidgetSet()->ClipboardImage();
  if (!image) throw EInvalidGraphic(SNoClipboardPicture);
  if (picture) bitmap = picture->GetBitmap();
  bitmap->SetImage(std::move(image));
}

TClipboard* Clipboard() {
  static TClipboard clipboard;
  return &clipboard;
}

}  // namespace fw
