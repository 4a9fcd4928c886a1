// The form-file syntax: a scanner and a recursive-descent parser that build the tree with
// positions, and the printer that writes a tree back in normal form.
#include "framework/stream/FormSyntax.h"

#include <charconv>
#include <cmath>
#include <string_view>
#include <system_error>
#include <utility>

#include "framework/core/Consts.h"
#include "framework/core/Exceptions.h"
#include "framework/core/Text.h"

namespace fw {

namespace {

std::string PositionPrefix(int line, int col) {
  if (line <= 0) return {};
  return Format(SFormPosition, {line, col});
}

}  // namespace

EFormSyntaxError::EFormSyntaxError(int line, int col, const std::string& message)
    : std::runtime_error(PositionPrefix(line, col) + VisibleNul(message)),
      FLine(line),
      FCol(col),
      FDetail(VisibleNul(message)) {}

namespace {

// ---------------------------------------------------------------------------------------
// Character classes and small helpers shared by the parser and the printer. Identifiers
// are ASCII; everything beyond ASCII lives only inside quoted strings.

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }
bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || IsDigit(c); }

int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

std::string AsciiLowerCase(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

bool IsObjectKeyword(std::string_view s) {
  return SameAscii(s, "object") || SameAscii(s, "inherited") || SameAscii(s, "inline");
}

bool IsPlainIdent(std::string_view s) {
  if (s.empty() || !IsIdentStart(s[0])) return false;
  for (char c : s)
    if (!IsIdentChar(c)) return false;
  return true;
}

// Identifier parts joined by dots: "A", "DM1.DSQLang", "Font.Name".
bool IsDottedIdent(std::string_view s) {
  std::size_t start = 0;
  for (;;) {
    std::size_t dot = s.find('.', start);
    if (!IsPlainIdent(s.substr(start, dot == std::string_view::npos ? dot : dot - start)))
      return false;
    if (dot == std::string_view::npos) return true;
    start = dot + 1;
  }
}

bool IsSurrogateOrBeyond(std::uint32_t cp) { return cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF); }

// Source text quoted for a message, cut short when it is long.
std::string Quoted(std::string_view text) {
  constexpr std::size_t MaxShown = 32;
  if (text.size() <= MaxShown) return "'" + std::string(text) + "'";
  return "'" + Utf8Left(text, MaxShown) + "...'";
}

std::string NestingMessage() {
  return Format(SNestingTooDeep, {MaxFormNesting});
}

// ---------------------------------------------------------------------------------------
// Scanner and parser.

enum class TTokenKind { EndOfFile, Ident, Integer, Float, String, Symbol, Invalid };

struct TToken {
  TTokenKind Kind = TTokenKind::EndOfFile;
  std::string Text;  // source text: identifier, number, symbol or the offending character
  std::string Str;   // decoded value of a string token
  std::int64_t Int = 0;
  double Float = 0;
  bool Dotted = false;  // an identifier with dots between its parts
  std::size_t End = 0;  // byte offset just past the token
  int Line = 0, Col = 0;
};

/*
** TFormParser reads one form file. It keeps one token of lookahead in FTok; Next() scans
** the following token. The scanner reports bad numbers, strings and character codes itself
** (raising at the offending place); characters that start no token come back as Invalid
** tokens so that the parser can say what it expected instead. Every recursion (objects,
** lists, collections) carries its depth and stops at MaxFormNesting.
*/
class TFormParser {
 public:
  explicit TFormParser(const std::string& text) : FText(text), FData(text.data()), FSize(text.size()) {}

  TFormObject Parse() {
    if (FText.substr(0, 3) == "\xEF\xBB\xBF") FPos = FLineStart = FColOff = 3;  // UTF-8 BOM
    Next();
    if (!IsObjectStart()) Fail(FTok, Format(SFormExpected, {"'object'", Describe(FTok)}));
    TFormObject root;
    ParseObject(root, 1);
    if (FTok.Kind != TTokenKind::EndOfFile) Fail(FTok, Format(SFormExpected, {"end of file", Describe(FTok)}));
    return root;
  }

 private:
  std::string_view FText;
  const char* FData;  // FText's characters, for the scanning loops
  std::size_t FSize;
  std::size_t FPos = 0;
  int FLine = 1;
  std::size_t FLineStart = 0;
  // The column of FColOff on the current line, so that columns cost linear time overall.
  std::size_t FColOff = 0;
  int FColVal = 1;
  TToken FTok;

  [[noreturn]] static void Fail(int line, int col, const std::string& message) {
    throw EFormSyntaxError(line, col, message);
  }
  [[noreturn]] static void Fail(const TToken& tok, const std::string& message) {
    Fail(tok.Line, tok.Col, message);
  }
  [[noreturn]] void FailAt(std::size_t offset, const std::string& message) {
    Fail(FLine, Column(offset), message);
  }

  char At(std::size_t i) const { return i < FSize ? FData[i] : '\0'; }

  // Column (from 1, in characters) of a byte offset on the current line.
  int Column(std::size_t offset) {
    if (FColOff < FLineStart || offset < FColOff) {
      FColOff = FLineStart;
      FColVal = 1;
    }
    while (FColOff < offset) {
      if (static_cast<unsigned char>(FData[FColOff]) < 0x80)
        ++FColOff;
      else
        Utf8Next(FText, FColOff);
      ++FColVal;
    }
    return FColVal;
  }

  void SkipBlanks() {
    while (FPos < FSize && IsBlank(FData[FPos])) {
      char c = FData[FPos++];
      if (c == '\n' || (c == '\r' && At(FPos) != '\n')) {
        ++FLine;
        FLineStart = FPos;
      }
    }
  }

  static std::string Describe(const TToken& tok) {
    switch (tok.Kind) {
      case TTokenKind::EndOfFile:
        return "end of file";
      case TTokenKind::String:
        return "a string";
      case TTokenKind::Invalid: {
        std::size_t i = 0;
        char32_t c = Utf8Next(tok.Text, i);
        if (c >= 32 && c < 127) return "'" + tok.Text + "'";
        return "character #" + std::to_string(static_cast<std::uint32_t>(c));
      }
      default:
        return Quoted(tok.Text);
    }
  }

  void Next() {
    SkipBlanks();
    // The token is reset in place: its strings keep their buffers from one token to the next.
    TToken& tok = FTok;
    tok.Text.clear();
    tok.Str.clear();
    tok.Dotted = false;
    tok.Line = FLine;
    tok.Col = Column(FPos);
    std::size_t start = FPos;
    char c = At(FPos);
    if (FPos >= FSize) {
      tok.Kind = TTokenKind::EndOfFile;
    } else if (IsIdentStart(c)) {
      ScanIdent(tok);
    } else if (IsDigit(c) || c == '$' ||
               ((c == '-' || c == '+') && (IsDigit(At(FPos + 1)) || At(FPos + 1) == '$'))) {
      ScanNumber(tok);
    } else if (c == '\'' || c == '#') {
      ScanString(tok);
    } else if (std::string_view("=:[](),<>{}+").find(c) != std::string_view::npos) {
      tok.Kind = TTokenKind::Symbol;
      ++FPos;
    } else {
      tok.Kind = TTokenKind::Invalid;
      Utf8Next(FText, FPos);
    }
    if (tok.Kind != TTokenKind::String) tok.Text.assign(FData + start, FPos - start);
    tok.End = FPos;
  }

  void ScanIdent(TToken& tok) {
    tok.Kind = TTokenKind::Ident;
    for (;;) {
      while (IsIdentChar(At(FPos))) ++FPos;
      if (At(FPos) != '.') break;
      if (!IsIdentStart(At(FPos + 1))) FailAt(FPos, SFormIdentAfterDot);
      tok.Dotted = true;
      ++FPos;
    }
  }

  /*
  ** Numbers: [sign] digits [. digits] [E [sign] digits] [s|c|d after a float], or
  ** [sign] $ hexdigits. Letters, digits or dots glued to a number make the whole run an
  ** invalid number rather than a number followed by an identifier.
  */
  void ScanNumber(TToken& tok) {
    std::size_t start = FPos;
    bool negative = At(FPos) == '-';
    if (At(FPos) == '-' || At(FPos) == '+') ++FPos;
    bool hex = At(FPos) == '$';
    bool isFloat = false;
    std::size_t digitsStart;
    if (hex) {
      digitsStart = ++FPos;
      while (IsHexDigit(At(FPos))) ++FPos;
    } else {
      digitsStart = FPos;
      while (IsDigit(At(FPos))) ++FPos;
      if (At(FPos) == '.' && IsDigit(At(FPos + 1))) {
        isFloat = true;
        for (++FPos; IsDigit(At(FPos));) ++FPos;
      }
      if (At(FPos) == 'e' || At(FPos) == 'E') {
        std::size_t q = FPos + 1;
        if (At(q) == '+' || At(q) == '-') ++q;
        if (IsDigit(At(q))) {
          isFloat = true;
          for (FPos = q; IsDigit(At(FPos));) ++FPos;
        }
      }
    }
    std::size_t numberEnd = FPos;
    if (isFloat && std::string_view("sScCdD").find(At(FPos)) != std::string_view::npos &&
        !IsIdentChar(At(FPos + 1)) && At(FPos + 1) != '.')
      ++FPos;
    bool bad = numberEnd == digitsStart;
    if (IsIdentChar(At(FPos)) || At(FPos) == '.') {
      bad = true;
      while (IsIdentChar(At(FPos)) || At(FPos) == '.' ||
             ((At(FPos) == '+' || At(FPos) == '-') && !hex &&
              (At(FPos - 1) == 'e' || At(FPos - 1) == 'E')))
        ++FPos;
    }
    std::string_view text(FData + start, FPos - start);
    if (bad) Fail(tok, Format(SFormInvalidNumber, {Quoted(text)}));

    std::string_view digits(FData + digitsStart, numberEnd - digitsStart);
    if (isFloat) {
      double value = 0;
      auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
      if (ec != std::errc() || ptr != digits.data() + digits.size() || !std::isfinite(value))
        Fail(tok, Format(SFormFloatRange, {Quoted(text)}));
      tok.Kind = TTokenKind::Float;
      tok.Float = negative ? -value : value;
      return;
    }
    // Magnitude up to 2^63 (only a negative number may reach it).
    constexpr std::uint64_t Limit = std::uint64_t(1) << 63;
    std::uint64_t magnitude = 0;
    unsigned base = hex ? 16 : 10;
    for (char d : digits) {
      unsigned v = static_cast<unsigned>(HexValue(d));
      if (magnitude > (Limit - v) / base) Fail(tok, Format(SFormIntegerRange, {Quoted(text)}));
      magnitude = magnitude * base + v;
    }
    if (!negative && magnitude == Limit) Fail(tok, Format(SFormIntegerRange, {Quoted(text)}));
    tok.Kind = TTokenKind::Integer;
    tok.Int = negative ? static_cast<std::int64_t>(~magnitude + 1)  // two's complement
                       : static_cast<std::int64_t>(magnitude);
  }

  /*
  ** A string token: quoted parts and #nnn / #$hex character codes written without blanks
  ** between them. Quoted text is raw UTF-8 with '' for a quote, on one line; the decoded
  ** value goes to tok.Str.
  */
  void ScanString(TToken& tok) {
    tok.Kind = TTokenKind::String;
    for (;;) {
      char c = At(FPos);
      if (c == '\'') {
        std::size_t partStart = FPos++;
        for (;;) {
          // A run of plain ASCII goes in as a whole.
          std::size_t run = FPos;
          while (run < FSize && FData[run] != '\'' && static_cast<unsigned char>(FData[run]) >= 32 &&
                 static_cast<unsigned char>(FData[run]) < 0x80)
            ++run;
          tok.Str.append(FData + FPos, run - FPos);
          FPos = run;
          if (FPos >= FSize || FData[FPos] == '\n' || FData[FPos] == '\r')
            FailAt(partStart, SUnterminatedString);
          unsigned char b = static_cast<unsigned char>(FData[FPos]);
          if (b == '\'') {
            if (At(FPos + 1) != '\'') break;
            tok.Str.push_back('\'');
            FPos += 2;
          } else if (b < 0x80) {
            if (b != '\t') FailAt(FPos, Format(SFormStringChar, {b}));
            tok.Str.push_back('\t');
            ++FPos;
          } else {
            std::size_t charStart = FPos;
            Utf8Next(FText, FPos);
            if (FPos - charStart == 1) FailAt(charStart, SFormStringUtf8);
            tok.Str.append(FData + charStart, FPos - charStart);
          }
        }
        ++FPos;  // the closing quote
      } else if (c == '#') {
        std::size_t codeStart = FPos++;
        bool hex = At(FPos) == '$';
        if (hex) ++FPos;
        std::size_t digitsStart = FPos;
        std::uint32_t cp = 0;
        bool tooBig = false;
        while (hex ? IsHexDigit(At(FPos)) : IsDigit(At(FPos))) {
          cp = cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(HexValue(At(FPos)));
          if (cp > 0x10FFFF) {
            tooBig = true;
            cp = 0;
          }
          ++FPos;
        }
        if (FPos == digitsStart) FailAt(codeStart, SFormCharCodeMissing);
        if (tooBig || IsSurrogateOrBeyond(cp)) {
          std::string_view code(FData + codeStart, FPos - codeStart);
          FailAt(codeStart, Format(SFormCharCode, {code.size() > 20 ? std::string(code.substr(0, 20)) + "..."
                                                                    : std::string(code)}));
        }
        Utf8Append(tok.Str, cp);
      } else {
        return;
      }
    }
  }

  bool IsSymbol(char c) const {
    return FTok.Kind == TTokenKind::Symbol && FTok.Text.size() == 1 && FTok.Text[0] == c;
  }
  bool IsWord(std::string_view word) const {
    return FTok.Kind == TTokenKind::Ident && SameAscii(FTok.Text, word);
  }
  bool IsObjectStart() const { return FTok.Kind == TTokenKind::Ident && IsObjectKeyword(FTok.Text); }
  bool IsValueStart() const {
    switch (FTok.Kind) {
      case TTokenKind::Ident:
      case TTokenKind::Integer:
      case TTokenKind::Float:
      case TTokenKind::String:
        return true;
      case TTokenKind::Symbol:
        return std::string_view("[(<{").find(FTok.Text[0]) != std::string_view::npos;
      default:
        return false;
    }
  }

  std::string ExpectPlainIdent(const char* what) {
    if (FTok.Kind != TTokenKind::Ident || FTok.Dotted)
      Fail(FTok, Format(SFormExpected, {what, Describe(FTok)}));
    std::string text = std::move(FTok.Text);
    Next();
    return text;
  }

  void ExpectSymbol(char c) {
    if (!IsSymbol(c)) Fail(FTok, Format(SFormExpected, {"'" + std::string(1, c) + "'", Describe(FTok)}));
    Next();
  }

  // An object whose keyword is the current token; `depth` counts the root as 1.
  void ParseObject(TFormObject& obj, int depth) {
    if (depth > MaxFormNesting) Fail(FTok, NestingMessage());
    obj.Line = FTok.Line;
    obj.Col = FTok.Col;
    obj.Keyword = AsciiLowerCase(FTok.Text);
    Next();
    std::string first = ExpectPlainIdent("object name or class name");
    if (IsSymbol(':')) {
      Next();
      obj.Name = std::move(first);
      obj.ClassName = ExpectPlainIdent("class name");
    } else {
      obj.ClassName = std::move(first);
    }
    while (FTok.Kind == TTokenKind::Ident && !IsObjectStart() && !IsWord("end"))
      ParseProperty(obj.Props.emplace_back(), depth);
    while (IsObjectStart()) ParseObject(obj.Children.emplace_back(), depth + 1);
    if (!IsWord("end")) Fail(FTok, Format(SFormExpected, {"'end'", Describe(FTok)}));
    Next();
  }

  // `Name = value`, the name being the current identifier token.
  void ParseProperty(TFormProperty& prop, int depth) {
    prop.Line = FTok.Line;
    prop.Col = FTok.Col;
    prop.Name = std::move(FTok.Text);
    Next();
    ExpectSymbol('=');
    ParseValue(prop.Value, depth);
  }

  // A value inside a container at nesting level `depth`.
  void ParseValue(TFormValue& v, int depth) {
    v.Line = FTok.Line;
    v.Col = FTok.Col;
    switch (FTok.Kind) {
      case TTokenKind::Integer:
        v.Type = TValueType::vaInteger;
        v.Int = FTok.Int;
        Next();
        return;
      case TTokenKind::Float:
        v.Type = TValueType::vaFloat;
        v.Float = FTok.Float;
        Next();
        return;
      case TTokenKind::Ident:
        v.Type = TValueType::vaIdent;
        v.Str = std::move(FTok.Text);
        Next();
        return;
      case TTokenKind::String:
        v.Type = TValueType::vaString;
        v.Str = std::move(FTok.Str);
        Next();
        while (IsSymbol('+')) {
          Next();
          if (FTok.Kind != TTokenKind::String)
            Fail(FTok, Format(SFormExpected, {"string after '+'", Describe(FTok)}));
          v.Str += FTok.Str;
          Next();
        }
        return;
      case TTokenKind::Symbol:
        switch (FTok.Text[0]) {
          case '[':
            ParseSet(v);
            return;
          case '(':
            ParseList(v, depth + 1);
            return;
          case '<':
            ParseCollection(v, depth + 1);
            return;
          case '{':
            ParseBinary(v);
            return;
        }
        break;
      default:
        break;
    }
    Fail(FTok, Format(SFormExpected, {"value", Describe(FTok)}));
  }

  void ParseSet(TFormValue& v) {
    v.Type = TValueType::vaSet;
    Next();
    if (IsSymbol(']')) {
      Next();
      return;
    }
    for (;;) {
      v.Elements.push_back(ExpectPlainIdent("identifier"));
      if (IsSymbol(']')) break;
      if (!IsSymbol(',')) Fail(FTok, Format(SFormExpected, {"',' or ']'", Describe(FTok)}));
      Next();
    }
    Next();
  }

  void ParseList(TFormValue& v, int depth) {
    if (depth > MaxFormNesting) Fail(FTok, NestingMessage());
    v.Type = TValueType::vaList;
    Next();
    while (!IsSymbol(')')) {
      if (!IsValueStart()) Fail(FTok, Format(SFormExpected, {"value or ')'", Describe(FTok)}));
      ParseValue(v.List.emplace_back(), depth);
    }
    Next();
  }

  void ParseCollection(TFormValue& v, int depth) {
    if (depth > MaxFormNesting) Fail(FTok, NestingMessage());
    v.Type = TValueType::vaCollection;
    Next();
    while (!IsSymbol('>')) {
      if (!IsWord("item")) Fail(FTok, Format(SFormExpected, {"'item' or '>'", Describe(FTok)}));
      TFormItem& item = v.Items.emplace_back();
      item.Line = FTok.Line;
      item.Col = FTok.Col;
      Next();
      if (IsSymbol('[')) {  // an item index: accepted and ignored
        Next();
        if (FTok.Kind != TTokenKind::Integer) Fail(FTok, Format(SFormExpected, {"integer", Describe(FTok)}));
        Next();
        ExpectSymbol(']');
      }
      while (FTok.Kind == TTokenKind::Ident && !IsWord("end")) ParseProperty(item.Props.emplace_back(), depth);
      if (!IsWord("end")) Fail(FTok, Format(SFormExpected, {"'end'", Describe(FTok)}));
      Next();
    }
    Next();
  }

  // `{ hex digits }`, scanned directly from the text after the '{' token; blanks and line
  // breaks may stand anywhere between the digits.
  void ParseBinary(TFormValue& v) {
    v.Type = TValueType::vaBinary;
    TToken open = FTok;
    FPos = open.End;
    int high = -1;
    for (;;) {
      SkipBlanks();
      if (FPos >= FSize) FailAt(FPos, Format(SFormExpected, {"'}'", "end of file"}));
      char c = FData[FPos];
      if (c == '}') break;
      if (!IsHexDigit(c)) {
        TToken bad;
        bad.Kind = TTokenKind::Invalid;
        std::size_t start = FPos;
        Utf8Next(FText, FPos);
        bad.Text.assign(FData + start, FPos - start);
        FailAt(start, Format(SFormExpected, {"hex digit or '}'", Describe(bad)}));
      }
      if (high < 0) {
        high = HexValue(c);
      } else {
        v.Str.push_back(static_cast<char>(high * 16 + HexValue(c)));
        high = -1;
      }
      ++FPos;
    }
    if (high >= 0) Fail(open, SFormOddHexDigits);
    ++FPos;  // the '}'
    Next();
  }
};

// ---------------------------------------------------------------------------------------
// Printer.

constexpr std::size_t MaxPieceLength = 64;  // printed characters of one string piece
constexpr std::size_t BytesPerLine = 32;    // binary bytes per line (64 hex digits)

[[noreturn]] void PrintFail(int line, int col, const std::string& message) {
  throw EFormSyntaxError(line, col, message);
}

void Indent(std::string& out, int indent) { out.append(static_cast<std::size_t>(indent), ' '); }

std::string FloatText(const TFormValue& v) {
  if (!std::isfinite(v.Float)) PrintFail(v.Line, v.Col, SFormNotFinite);
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v.Float);  // shortest exact form
  std::string raw(buf, end);
  std::size_t e = raw.find('e');
  std::string out = raw.substr(0, e);
  if (e == std::string::npos) {
    if (out.find('.') == std::string::npos) out += ".0";  // "2" would read back as an integer
    return out;
  }
  // "1e+20" -> "1E20", "1e-05" -> "1E-5"
  out += 'E';
  std::size_t i = e + 1;
  if (raw[i] == '-') out += '-';
  if (raw[i] == '+' || raw[i] == '-') ++i;
  while (i + 1 < raw.size() && raw[i] == '0') ++i;
  out.append(raw, i, std::string::npos);
  return out;
}

/*
** The pieces of a string: printable ASCII in quotes ('' for a quote), every other code
** point as #nnn; each piece at most MaxPieceLength printed characters. A byte that is not
** UTF-8 prints as the code of its value, the way the text helpers read it.
*/
std::vector<std::string> StringPieces(const std::string& s) {
  std::vector<std::string> pieces;
  std::string piece;
  bool quoted = false;  // piece currently ends inside an open quote
  auto flush = [&] {
    if (quoted) piece += '\'';
    pieces.push_back(std::move(piece));
    piece.clear();
    quoted = false;
  };
  for (std::size_t i = 0; i < s.size();) {
    char32_t c = Utf8Next(s, i);
    std::string atom;
    bool printable = c >= 32 && c < 127;
    if (printable)
      atom = c == '\'' ? "''" : std::string(1, static_cast<char>(c));
    else
      atom = "#" + std::to_string(static_cast<std::uint32_t>(c));
    // Printed length after adding the atom, counting the quotes it opens or closes.
    std::size_t length = piece.size() + atom.size();
    if (printable) length += quoted ? 1 : 2;
    else if (quoted) length += 1;
    if (!piece.empty() && length > MaxPieceLength) flush();
    if (printable && !quoted) {
      piece += '\'';
      quoted = true;
    } else if (!printable && quoted) {
      piece += '\'';
      quoted = false;
    }
    piece += atom;
  }
  if (!piece.empty() || pieces.empty()) {
    if (piece.empty()) piece = "''";
    flush();
  }
  return pieces;
}

void CheckName(bool ok, int line, int col, const char* what, const std::string& name) {
  if (!ok) PrintFail(line, col, Format(SFormInvalidName, {what, Quoted(name)}));
}

void PrintValue(std::string& out, const TFormValue& v, int indent, int depth);

void PrintProps(std::string& out, const std::vector<TFormProperty>& props, int indent, int depth,
                bool inObject) {
  for (const TFormProperty& p : props) {
    bool keyword = SameAscii(p.Name, "end") || (inObject && IsObjectKeyword(p.Name));
    CheckName(IsDottedIdent(p.Name) && !keyword, p.Line, p.Col, "property name", p.Name);
    Indent(out, indent);
    out += p.Name;
    out += " = ";
    PrintValue(out, p.Value, indent, depth);
    out += '\n';
  }
}

// Appends a value whose line is already begun at `indent`; continuation lines go two
// blanks deeper. `depth` is the nesting level of the container holding the value.
void PrintValue(std::string& out, const TFormValue& v, int indent, int depth) {
  switch (v.Type) {
    case TValueType::vaNull:
      PrintFail(v.Line, v.Col, SFormUntypedValue);
    case TValueType::vaInteger:
      out += std::to_string(v.Int);
      return;
    case TValueType::vaFloat:
      out += FloatText(v);
      return;
    case TValueType::vaString: {
      std::vector<std::string> pieces = StringPieces(v.Str);
      for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) {
          out += " +\n";
          Indent(out, indent + 2);
        }
        out += pieces[i];
      }
      return;
    }
    case TValueType::vaIdent:
      CheckName(IsDottedIdent(v.Str), v.Line, v.Col, "identifier", v.Str);
      out += v.Str;
      return;
    case TValueType::vaSet:
      out += '[';
      for (std::size_t i = 0; i < v.Elements.size(); ++i) {
        CheckName(IsPlainIdent(v.Elements[i]), v.Line, v.Col, "set element", v.Elements[i]);
        if (i > 0) out += ", ";
        out += v.Elements[i];
      }
      out += ']';
      return;
    case TValueType::vaList:
      if (depth + 1 > MaxFormNesting) PrintFail(v.Line, v.Col, NestingMessage());
      out += '(';
      for (const TFormValue& e : v.List) {
        out += '\n';
        Indent(out, indent + 2);
        PrintValue(out, e, indent + 2, depth + 1);
      }
      out += ')';
      return;
    case TValueType::vaCollection:
      if (depth + 1 > MaxFormNesting) PrintFail(v.Line, v.Col, NestingMessage());
      out += '<';
      for (std::size_t i = 0; i < v.Items.size(); ++i) {
        out += '\n';
        Indent(out, indent + 2);
        out += "item\n";
        PrintProps(out, v.Items[i].Props, indent + 4, depth + 1, false);
        Indent(out, indent + 2);
        out += "end";
      }
      out += '>';
      return;
    case TValueType::vaBinary: {
      static const char Hex[] = "0123456789ABCDEF";
      out += '{';
      for (std::size_t i = 0; i < v.Str.size(); ++i) {
        if (i % BytesPerLine == 0) {
          out += '\n';
          Indent(out, indent + 2);
        }
        auto b = static_cast<unsigned char>(v.Str[i]);
        out += Hex[b >> 4];
        out += Hex[b & 15];
      }
      out += '}';
      return;
    }
  }
  PrintFail(v.Line, v.Col, SFormUnknownValueType);
}

void PrintObject(std::string& out, const TFormObject& obj, int indent, int depth) {
  if (depth > MaxFormNesting) PrintFail(obj.Line, obj.Col, NestingMessage());
  CheckName(IsObjectKeyword(obj.Keyword), obj.Line, obj.Col, "object keyword", obj.Keyword);
  CheckName(obj.Name.empty() || IsPlainIdent(obj.Name), obj.Line, obj.Col, "object name", obj.Name);
  CheckName(IsPlainIdent(obj.ClassName), obj.Line, obj.Col, "class name", obj.ClassName);
  Indent(out, indent);
  out += AsciiLowerCase(obj.Keyword);
  out += ' ';
  if (!obj.Name.empty()) {
    out += obj.Name;
    out += ": ";
  }
  out += obj.ClassName;
  out += '\n';
  PrintProps(out, obj.Props, indent + 2, depth, true);
  for (const TFormObject& child : obj.Children) PrintObject(out, child, indent + 2, depth + 1);
  Indent(out, indent);
  out += "end\n";
}

}  // namespace

TFormObject ParseForm(const std::string& text) { return TFormParser(text).Parse(); }

std::string PrintForm(const TFormObject& root) {
  std::string out;
  PrintObject(out, root, 0, 1);
  return out;
}

}  // namespace fw
