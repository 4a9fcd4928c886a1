// UTF-8 text helpers: counting and cutting by characters, Unicode case-insensitive
// comparison (Latin, Cyrillic and the rest, through utf8proc), trimming and the
// field-list step shared by every routine that walks a ";"-separated list of names.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace fw {

/// Decodes the character at byte offset `i` and moves `i` past it. A malformed byte
/// counts as one character of its own (its value is returned as is).
char32_t Utf8Next(std::string_view s, std::size_t& i);

/// Appends the UTF-8 form of a code point.
void Utf8Append(std::string& out, char32_t cp);

/// Number of characters (code points) in the text.
std::size_t Utf8Length(std::string_view s);

/// The first `count` characters of the text (never splits a character).
std::string Utf8Left(std::string_view s, std::size_t count);

/// The length in bytes of the longest start of the text that fits in `maxBytes` bytes
/// without splitting a character.
std::size_t Utf8FitBytes(std::string_view s, std::size_t maxBytes);

/// Case-folded form of the text, for comparisons that ignore case.
std::string CaseFold(std::string_view s);

/// Lower-cased and upper-cased forms of the text (Unicode simple case mapping).
std::string LowerCase(std::string_view s);
std::string UpperCase(std::string_view s);

/// Case-insensitive comparison: <0, 0 or >0.
int CompareText(std::string_view a, std::string_view b);
/// Case-insensitive equality.
bool SameText(std::string_view a, std::string_view b);
/// Whether `s` starts with `prefix`, ignoring case.
bool StartsText(std::string_view prefix, std::string_view s);

/// The text with characters of code 0 to 32 removed at both ends.
std::string Trim(std::string_view s);

/// The field-list step: the name from 1-based position `pos` up to the next ";" or the
/// end, trimmed of characters 0..32; `pos` moves past that ";". A position past the end
/// gives an empty name.
std::string ExtractFieldName(std::string_view fields, std::size_t& pos);

/// Whether the text is a valid identifier (a letter or "_", then letters, digits, "_").
bool IsValidIdent(std::string_view s);

}  // namespace fw
