#include "framework/controls/Mask.h"

#include <algorithm>

#include "framework/controls/Utf32.h"
#include "framework/core/Scoped.h"
#include "framework/core/TypInfo.h"

namespace fw {

const TClassInfo& TCustomMaskEdit::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TCustomMaskEdit>("TCustomMaskEdit", &TCustomEdit::StaticClass()).Build();
  return info;
}

TCustomMaskEdit::TCustomMaskEdit(TComponent* owner) : TCustomEdit(owner) {}

void TCustomMaskEdit::SetEditMask(const std::string& v) {
  if (v == FMask.GetEditMask()) return;
  std::string value = GetText();
  FMask = TEditMask(v);
  TControl::SetText(IsMasked() ? FMask.EditTextOf(value) : value);
  Invalidate();
}

std::string TCustomMaskEdit::GetText() const { return IsMasked() ? FMask.TextOf(FText) : FText; }

void TCustomMaskEdit::SetText(const std::string& v) { TControl::SetText(IsMasked() ? FMask.EditTextOf(v) : v); }

void TCustomMaskEdit::SetEditText(const std::string& v) {
  if (!IsMasked()) {
    TControl::SetText(v);
    return;
  }
  std::u32string text = ToUtf32(v), empty = FMask.EmptyEditText();
  text.resize(std::min(text.size(), empty.size()));
  text += empty.substr(text.size());
  TControl::SetText(ToUtf8(text));
}

void TCustomMaskEdit::TextChanged() {
  // Text set by code as a value (of another length than the mask's) is shown through the mask.
  if (IsMasked() && !FUserChange) {
    std::u32string chars = Chars();
    if (static_cast<int>(chars.size()) != FMask.Length()) FText = ToUtf8(FMask.EditTextOf(chars));
  }
  TCustomEdit::TextChanged();
  if (IsMasked() && !FUserChange) FAnchor = FCaret = FMask.NextInput(0) < FMask.Length() ? FMask.NextInput(0) : 0;
}

void TCustomMaskEdit::ValidateEdit() {
  if (!IsMasked()) return;
  std::u32string chars = Chars();
  int bad = FMask.FirstInvalid(chars);
  if (bad < 0) return;
  if (!Focused() && CanFocus()) {
    FReEnter = true;
    SetFocus();
  }
  SetSelection(bad, bad + 1);
  FMask.Validate(chars);
}

void TCustomMaskEdit::Reset() {
  if (!GetModified()) return;
  TControl::SetText(FOldValue);
  SelectAll();
}

void TCustomMaskEdit::DoEnter() {
  bool reEnter = FReEnter;
  FReEnter = false;
  if (!reEnter) FOldValue = FText;
  if (reEnter) {
    TCustomControl::DoEnter();  // keeps the caret where the check put it
    return;
  }
  TCustomEdit::DoEnter();
}

void TCustomMaskEdit::DoExit() {
  if (IsMasked() && GetModified()) ValidateEdit();
  TCustomEdit::DoExit();
}

void TCustomMaskEdit::CNKeyDown(std::uint16_t& key, TShiftState shift) {
  if (key == VK_ESCAPE && shift.Empty() && WantsEscape()) {
    // Not a dialog key: the control takes it back (only menu shortcuts come first).
    if (IsMenuKey(key, shift)) key = 0;
    return;
  }
  TCustomEdit::CNKeyDown(key, shift);
}

void TCustomMaskEdit::DefaultKeyDown(std::uint16_t key, TShiftState shift) {
  if (!IsMasked() || shift.Contains(ssShift) || shift.Contains(ssCtrl)) {
    TCustomEdit::DefaultKeyDown(key, shift);
    return;
  }
  switch (key) {
    case VK_RIGHT: {
      int next = FMask.NextInput(std::max(FAnchor, FCaret) + (GetSelLength() > 0 ? 0 : 1));
      MoveCaret(std::min(next, FMask.Length()), false);
      return;
    }
    case VK_LEFT: {
      int prior = GetSelLength() > 0 ? GetSelStart() : FMask.PriorInput(FCaret);
      if (prior >= 0) MoveCaret(prior, false);
      return;
    }
    default: TCustomEdit::DefaultKeyDown(key, shift); return;
  }
}

void TCustomMaskEdit::DefaultChar(TKeyChar key) {
  if (!IsMasked()) {
    TCustomEdit::DefaultChar(key);
    return;
  }
  switch (key) {
    case 8:  // Backspace blanks the input position before the caret
      if (GetSelLength() > 0) {
        UserReplace(U"");
      } else {
        int prior = FMask.PriorInput(FCaret);
        if (prior >= 0 && UserReplaceRange(prior, prior + 1, U"")) MoveCaret(prior, false);
      }
      return;
    case 27: Reset(); return;
    default: break;
  }
  if (key < 32 || key == 127) {
    TCustomEdit::DefaultChar(key);  // the clipboard keys
    return;
  }
  MaskInput(key);
}

void TCustomMaskEdit::MaskInput(char32_t ch) {
  int a = GetSelStart();
  int pos = FMask.NextInput(a);
  char32_t c = ch;
  if (pos >= FMask.Length() || !FMask.Accepts(pos, c)) {
    // A literal typed where it stands (or the next one ahead) moves past it.
    int lit = a;
    while (lit < FMask.Length() && !FMask.IsLiteral(lit)) ++lit;
    if (lit < FMask.Length() && FMask.Position(lit).Literal == ch) MoveCaret(FMask.NextInput(lit + 1), false);
    return;
  }
  // Asking may change the text (a data-aware edit shows its record anew): read it after.
  if (!CanUserEdit()) return;
  std::u32string text = Chars(), empty = FMask.EmptyEditText();
  if (static_cast<int>(text.size()) != FMask.Length()) return;
  a = GetSelStart();
  int b = a + GetSelLength();
  pos = FMask.NextInput(a);
  c = ch;
  if (pos >= FMask.Length() || !FMask.Accepts(pos, c)) return;
  for (int i = a; i < b; ++i) text[static_cast<std::size_t>(i)] = empty[static_cast<std::size_t>(i)];
  text[static_cast<std::size_t>(pos)] = c;
  int caret = FMask.NextInput(pos + 1);
  UserSetText(text, caret, caret);
}

bool TCustomMaskEdit::UserReplaceRange(int from, int to, std::u32string text) {
  if (!IsMasked()) return TCustomEdit::UserReplaceRange(from, to, std::move(text));
  if (!CanUserEdit() || !IsMasked()) return false;
  std::u32string chars = Chars(), empty = FMask.EmptyEditText();
  int n = FMask.Length();
  if (static_cast<int>(chars.size()) != n) return false;
  from = std::clamp(from, 0, n);
  to = std::clamp(to, from, n);
  for (int i = from; i < to; ++i) chars[static_cast<std::size_t>(i)] = empty[static_cast<std::size_t>(i)];
  // The new characters fill the input positions from `from` on; literals of the text
  // that stand where the mask has them are skipped, characters that fit nowhere dropped.
  int pos = from;
  for (char32_t ch : text) {
    if (pos < n && FMask.IsLiteral(pos) && FMask.Position(pos).Literal == ch) {
      ++pos;
      continue;
    }
    int at = FMask.NextInput(pos);
    if (at >= n) break;
    char32_t c = ch;
    if (!FMask.Accepts(at, c)) continue;
    chars[static_cast<std::size_t>(at)] = c;
    pos = at + 1;
  }
  int caret = text.empty() ? from : std::min(FMask.NextInput(pos), n);
  UserSetText(chars, caret, caret);
  return true;
}

const TClassInfo& TMaskEdit::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TMaskEdit>("TMaskEdit", &TCustomMaskEdit::StaticClass())
          .Prop("AutoSelect", &TCustomEdit::GetAutoSelect, &TCustomEdit::SetAutoSelect).Default(1)
          .Prop("CharCase", &TCustomEdit::GetCharCase, &TCustomEdit::SetCharCase).Default(ecNormal)
          .Prop("EditMask", &TCustomMaskEdit::GetEditMask, &TCustomMaskEdit::SetEditMask)
          .Prop("HideSelection", &TCustomEdit::GetHideSelection, &TCustomEdit::SetHideSelection).Default(1)
          .Prop("MaxLength", &TCustomEdit::GetMaxLength, &TCustomEdit::SetMaxLength).Default(0)
          .Prop("PasswordChar", &TCustomEdit::GetPasswordChar, &TCustomEdit::SetPasswordChar)
          .Prop("ReadOnly", &TCustomEdit::GetReadOnly, &TCustomEdit::SetReadOnly).Default(0)
          .Prop("Text", &TCustomMaskEdit::GetText, &TCustomMaskEdit::SetText)
          .Prop("OnChange", &TCustomEdit::GetOnChange, &TCustomEdit::SetOnChange)
          .Build();
  return info;
}

}  // namespace fw
