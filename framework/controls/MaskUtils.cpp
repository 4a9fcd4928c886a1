#include "framework/controls/MaskUtils.h"

#include "framework/controls/Utf32.h"
#include "framework/core/Consts.h"
#include "framework/core/Text.h"

namespace fw {

namespace {

bool IsDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

/// A letter: ASCII letters, and beyond ASCII every character that has an upper and a lower
/// case (Latin, Cyrillic, Greek and the other cased alphabets).
bool IsLetter(char32_t c) {
  if ((c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z')) return true;
  if (c < 0x80) return false;
  std::string s = ToUtf8(c);
  return UpperCase(s) != LowerCase(s);
}

char32_t ApplyCase(char32_t c, TMaskCase mode) {
  if (mode == TMaskCase::None || c < U'A') return c;
  std::string s = ToUtf8(c);
  std::u32string converted = ToUtf32(mode == TMaskCase::Upper ? UpperCase(s) : LowerCase(s));
  return converted.size() == 1 ? converted[0] : c;
}

bool Fits(const TMaskPosition& p, char32_t c) {
  switch (p.Kind) {
    case TMaskCharKind::Digit: return IsDigit(c);
    case TMaskCharKind::DigitOrSign: return IsDigit(c) || c == U'+' || c == U'-';
    case TMaskCharKind::Letter: return IsLetter(c);
    case TMaskCharKind::LetterOrDigit: return IsLetter(c) || IsDigit(c);
    case TMaskCharKind::Any: return c >= 32 && c != 127;
    case TMaskCharKind::Literal: return c == p.Literal;
  }
  return false;
}

}  // namespace

TEditMask::TEditMask(std::string_view editMask) : FEditMask(editMask) {
  std::u32string text = ToUtf32(editMask);
  // The mask section ends at the first ";" that is not a literal.
  std::size_t end = 0;
  while (end < text.size() && text[end] != U';') end += text[end] == U'\\' ? 2 : 1;
  end = std::min(end, text.size());
  if (end < text.size()) {
    std::size_t saveEnd = text.find(U';', end + 1);
    std::u32string save = text.substr(end + 1, saveEnd == std::u32string::npos ? std::u32string::npos : saveEnd - end - 1);
    FSaveLiterals = save.empty() || save[0] != U'0';
    if (saveEnd != std::u32string::npos && saveEnd + 1 < text.size()) FBlank = text[saveEnd + 1];
  }
  TMaskCase mode = TMaskCase::None;
  auto input = [&](TMaskCharKind kind, bool required) {
    TMaskPosition p;
    p.Kind = kind;
    p.Required = required;
    p.Case = mode;
    FPositions.push_back(p);
  };
  auto literal = [&](char32_t c) {
    TMaskPosition p;
    p.Literal = c;
    FPositions.push_back(p);
  };
  for (std::size_t i = 0; i < end; ++i) {
    char32_t c = text[i];
    switch (c) {
      case U'\\':
        if (i + 1 < end) literal(text[++i]);
        break;
      case U'!': FReverse = true; break;
      case U'>': mode = TMaskCase::Upper; break;
      case U'<':
        if (i + 1 < end && text[i + 1] == U'>') {
          mode = TMaskCase::None;
          ++i;
        } else {
          mode = TMaskCase::Lower;
        }
        break;
      case U'0': input(TMaskCharKind::Digit, true); break;
      case U'9': input(TMaskCharKind::Digit, false); break;
      case U'#': input(TMaskCharKind::DigitOrSign, false); break;
      case U'L': input(TMaskCharKind::Letter, true); break;
      case U'l': input(TMaskCharKind::Letter, false); break;
      case U'A': input(TMaskCharKind::LetterOrDigit, true); break;
      case U'a': input(TMaskCharKind::LetterOrDigit, false); break;
      case U'C': input(TMaskCharKind::Any, true); break;
      case U'c': input(TMaskCharKind::Any, false); break;
      case U'_': literal(U' '); break;
      default: literal(c); break;
    }
  }
}

std::u32string TEditMask::EmptyEditText() const {
  std::u32string out;
  out.reserve(FPositions.size());
  for (const auto& p : FPositions) out.push_back(p.Kind == TMaskCharKind::Literal ? p.Literal : FBlank);
  return out;
}

std::u32string TEditMask::EditTextOf(std::u32string_view value) const {
  std::u32string out = EmptyEditText();
  int n = Length();
  int count = static_cast<int>(value.size());
  auto store = [&](int i, char32_t c) {
    const TMaskPosition& p = FPositions[static_cast<std::size_t>(i)];
    out[static_cast<std::size_t>(i)] = c == U' ' ? FBlank : ApplyCase(c, p.Case);
  };
  // One walk over the positions (forwards, or backwards when right-aligned) taking the
  // value's characters from the same end.
  int step = FReverse ? -1 : 1;
  int i = FReverse ? n - 1 : 0;
  int j = FReverse ? count - 1 : 0;
  for (; i >= 0 && i < n && j >= 0 && j < count; i += step) {
    const TMaskPosition& p = FPositions[static_cast<std::size_t>(i)];
    char32_t c = value[static_cast<std::size_t>(j)];
    if (p.Kind == TMaskCharKind::Literal) {
      if (FSaveLiterals && c == p.Literal) j += step;
      continue;
    }
    // A literal of the value that stands further on in the mask leaves this position
    // blank ("1/5" in "99/99" is "_1/_5" right-aligned, "1_/5_" left-aligned).
    if (FSaveLiterals && c != U' ' && !Fits(p, ApplyCase(c, p.Case)) && LiteralAhead(i, step, c)) continue;
    store(i, c);
    j += step;
  }
  return out;
}

bool TEditMask::LiteralAhead(int from, int step, char32_t c) const {
  for (int i = from; i >= 0 && i < Length(); i += step)
    if (IsLiteral(i) && Position(i).Literal == c) return true;
  return false;
}

std::u32string TEditMask::TextOf(std::u32string_view editText) const {
  auto at = [&](int i) -> char32_t {
    return static_cast<std::size_t>(i) < editText.size() ? editText[static_cast<std::size_t>(i)] : FBlank;
  };
  bool empty = true;
  for (int i = 0; i < Length(); ++i)
    if (!IsLiteral(i) && !IsBlank(at(i))) empty = false;
  if (empty) return {};
  std::u32string out;
  for (int i = 0; i < Length(); ++i) {
    const TMaskPosition& p = FPositions[static_cast<std::size_t>(i)];
    if (p.Kind == TMaskCharKind::Literal) {
      if (FSaveLiterals) out.push_back(p.Literal);
      continue;
    }
    char32_t c = at(i);
    out.push_back(IsBlank(c) ? U' ' : c);
  }
  if (!FSaveLiterals) {
    if (FReverse) {
      std::size_t first = out.find_first_not_of(U' ');
      out.erase(0, first);
    } else {
      std::size_t last = out.find_last_not_of(U' ');
      out.erase(last == std::u32string::npos ? 0 : last + 1);
    }
  }
  return out;
}

bool TEditMask::Accepts(int index, char32_t& ch) const {
  if (index < 0 || index >= Length()) return false;
  const TMaskPosition& p = FPositions[static_cast<std::size_t>(index)];
  if (p.Kind == TMaskCharKind::Literal) return false;
  if (ch == U' ') {
    if (p.Required) return false;
    ch = FBlank;
    return true;
  }
  char32_t c = ApplyCase(ch, p.Case);
  if (!Fits(p, c)) return false;
  ch = c;
  return true;
}

int TEditMask::FirstInvalid(std::u32string_view editText) const {
  for (int i = 0; i < Length(); ++i) {
    const TMaskPosition& p = FPositions[static_cast<std::size_t>(i)];
    if (p.Kind == TMaskCharKind::Literal) continue;
    char32_t c = static_cast<std::size_t>(i) < editText.size() ? editText[static_cast<std::size_t>(i)] : FBlank;
    if (IsBlank(c)) {
      if (p.Required) return i;
      continue;
    }
    if (!Fits(p, c)) return i;
  }
  return -1;
}

int TEditMask::NextInput(int index) const {
  int i = std::max(0, index);
  while (i < Length() && IsLiteral(i)) ++i;
  return i;
}

int TEditMask::PriorInput(int index) const {
  int i = std::min(index, Length()) - 1;
  while (i >= 0 && IsLiteral(i)) --i;
  return i;
}

std::string TEditMask::Describe(int index) const {
  switch (Position(index).Kind) {
    case TMaskCharKind::Digit: return SMaskDigit;
    case TMaskCharKind::DigitOrSign: return SMaskDigitOrSign;
    case TMaskCharKind::Letter: return SMaskLetter;
    case TMaskCharKind::LetterOrDigit: return SMaskLetterOrDigit;
    case TMaskCharKind::Any: return SMaskAnyChar;
    case TMaskCharKind::Literal: return "'" + ToUtf8(Position(index).Literal) + "'";
  }
  return {};
}

void TEditMask::Validate(std::u32string_view editText) const {
  int bad = FirstInvalid(editText);
  if (bad < 0) return;
  throw EDBEditError(Format(SMaskEditErr, {ToUtf8(editText), FEditMask, bad + 1, Describe(bad)}));
}

std::string TEditMask::EditTextOf(std::string_view value) const { return ToUtf8(EditTextOf(ToUtf32(value))); }

std::string TEditMask::TextOf(std::string_view editText) const { return ToUtf8(TextOf(ToUtf32(editText))); }

std::string FormatMaskText(std::string_view editMask, std::string_view value) {
  TEditMask mask(editMask);
  if (!mask.IsMasked()) return std::string(value);
  std::u32string text = mask.EditTextOf(ToUtf32(value));
  for (int i = 0; i < mask.Length(); ++i)
    if (!mask.IsLiteral(i) && text[static_cast<std::size_t>(i)] == mask.GetBlank()) text[static_cast<std::size_t>(i)] = U' ';
  return ToUtf8(text);
}

}  // namespace fw
