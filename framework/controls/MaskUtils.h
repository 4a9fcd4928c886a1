// Edit masks in the classic syntax, without windows: parsing a mask and its sections, the
// edit text a masked edit shows for a value (Text) and back, whether a character may stand
// at a position, and the check of a whole edit text with the error it raises.
//
// Syntax. A mask has up to three sections separated by ";": the mask itself, whether the
// value keeps the literal characters ("0": no; anything else or nothing: yes) and the
// character that shows a blank position (default "_"). In the mask:
//   0  a digit, required          9  a digit, optional         #  a digit, + or -, optional
//   L  a letter, required         l  a letter, optional
//   A  a letter or digit, required  a  a letter or digit, optional
//   C  any character, required    c  any character, optional
//   >  upper case from here on    <  lower case from here on   <>  no case conversion
//   !  optional positions left blank are leading (values are right-aligned), not trailing
//   \  the next character is a literal    _  a literal space    :  /  separators (literals)
// Every other character is a literal.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "framework/core/Exceptions.h"

namespace fw {

/// A masked edit's value that does not fit its edit mask.
class EDBEditError : public Exception {
 public:
  using Exception::Exception;
};

/// What one position of the edit text takes.
enum class TMaskCharKind { Literal, Digit, DigitOrSign, Letter, LetterOrDigit, Any };
enum class TMaskCase { None, Upper, Lower };

struct TMaskPosition {
  TMaskCharKind Kind = TMaskCharKind::Literal;
  bool Required = false;
  TMaskCase Case = TMaskCase::None;
  char32_t Literal = 0;  // the character of a literal position
};

/// A parsed edit mask. Positions count characters of the edit text (code points).
class TEditMask {
 public:
  /// The empty mask: nothing is masked.
  TEditMask() = default;
  explicit TEditMask(std::string_view editMask);

  const std::string& GetEditMask() const { return FEditMask; }
  /// Whether there is anything to mask (a mask without positions masks nothing).
  bool IsMasked() const { return !FPositions.empty(); }
  /// Whether the value (Text) keeps the literal characters.
  bool GetSaveLiterals() const { return FSaveLiterals; }
  /// The character that shows a blank position.
  char32_t GetBlank() const { return FBlank; }
  /// Whether values are right-aligned ("!").
  bool GetReverse() const { return FReverse; }
  int Length() const { return static_cast<int>(FPositions.size()); }
  const TMaskPosition& Position(int index) const { return FPositions[static_cast<std::size_t>(index)]; }
  bool IsLiteral(int index) const { return Position(index).Kind == TMaskCharKind::Literal; }

  /// The edit text of an empty value: the literals in place, blanks elsewhere.
  std::u32string EmptyEditText() const;
  /// The edit text that shows a value. With literals saved, a literal of the value is
  /// matched against the mask's literal at its place (a value without them fills the
  /// positions around them, and input positions before a literal the value reaches
  /// early stay blank); otherwise the value's characters fill the input positions in
  /// order. Right-aligned ("!") from the end. Spaces become blanks; characters beyond
  /// the mask are dropped; the case conversions apply.
  std::u32string EditTextOf(std::u32string_view value) const;
  /// The value an edit text stands for: "" when every input position is blank; with
  /// literals saved, every position with blanks as spaces; otherwise the input positions
  /// only, blanks as spaces, without the trailing (with "!": leading) ones.
  std::u32string TextOf(std::u32string_view editText) const;
  /// Whether the character may be typed at an input position; `ch` becomes the character
  /// stored there (case converted; a space at an optional position becomes the blank).
  bool Accepts(int index, char32_t& ch) const;
  /// The first position of the edit text that does not fit (a required one blank, or a
  /// character of the wrong kind), or -1 when the whole text fits.
  int FirstInvalid(std::u32string_view editText) const;
  /// The first input position at or after `index` (Length() when none).
  int NextInput(int index) const;
  /// The last input position before `index` (-1 when none).
  int PriorInput(int index) const;
  /// What an input position takes, in words ("a digit", "a letter or a digit").
  std::string Describe(int index) const;
  /// Raises EDBEditError naming the value, the mask and the position when the edit text
  /// does not fit.
  void Validate(std::u32string_view editText) const;

  // The same on UTF-8 text.
  std::string EditTextOf(std::string_view value) const;
  std::string TextOf(std::string_view editText) const;

 private:
  bool IsBlank(char32_t c) const { return c == FBlank || c == U' '; }
  /// Whether a literal `c` stands at `from` or beyond it, walking by `step`.
  bool LiteralAhead(int from, int step, char32_t c) const;
  std::string FEditMask;
  std::vector<TMaskPosition> FPositions;
  bool FSaveLiterals = true;
  bool FReverse = false;
  char32_t FBlank = U'_';
};

/// The value shown through the mask: its edit text with blank positions as spaces.
std::string FormatMaskText(std::string_view editMask, std::string_view value);

}  // namespace fw
