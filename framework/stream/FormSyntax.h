// The text form-file format as a syntax tree: parsing text into objects, properties and
// values with their line and column, and printing a tree back as text in normal form.
// Nothing here knows classes or properties; the reader and writer map trees to components.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/core/Filer.h"

namespace fw {


struct TFormProperty;

/// One item of a collection value: its properties in file order.
struct TFormItem {
  std::vector<TFormProperty> Props;
  int Line = 0, Col = 0;
};

/// A property value. Only the members of its type are used.
struct TFormValue {
  TValueType Type = TValueType::vaNull;
  int Line = 0, Col = 0;
  std::int64_t Int = 0;                // vaInteger
  double Float = 0;                    // vaFloat
  std::string Str;                     // vaString, vaIdent, vaBinary (raw bytes)
  std::vector<std::string> Elements;   // vaSet: element identifiers
  std::vector<TFormValue> List;        // vaList
  std::vector<TFormItem> Items;        // vaCollection
};

/// `Name = value`; Name may be a dotted path into sub-objects ("SQL.Strings", "Font.Name").
struct TFormProperty {
  std::string Name;
  TFormValue Value;
  int Line = 0, Col = 0;
};

/// `object Name: TClass ... end` (or `inherited`, `inline`), with properties and children.
struct TFormObject {
  std::string Keyword = "object";
  std::string Name;       // may be empty
  std::string ClassName;
  std::vector<TFormProperty> Props;
  std::vector<TFormObject> Children;
  int Line = 0, Col = 0;
};

/// A form file error with its position (line and column from 1; 0 when unknown). NUL bytes
/// of quoted input show as #0, so that what() holds the whole message.
class EFormSyntaxError : public std::runtime_error {
 public:
  EFormSyntaxError(int line, int col, const std::string& message);
  int Line() const { return FLine; }
  int Col() const { return FCol; }
  /// The message without the position.
  const std::string& Detail() const { return FDetail; }

 private:
  int FLine, FCol;
  std::string FDetail;
};

/// Deepest nesting of objects, collections and lists that a form file may have.
constexpr int MaxFormNesting = 200;

/// Parses a whole form file holding one root object. Raises EFormSyntaxError naming the
/// line, the column and what was expected; never crashes on any input.
TFormObject ParseForm(const std::string& text);

/// Prints a tree as form-file text in normal form (two blanks of indent per level,
/// LF line ends, long strings split with " +", binary 32 bytes a line, a final LF).
std::string PrintForm(const TFormObject& root);

}  // namespace fw
