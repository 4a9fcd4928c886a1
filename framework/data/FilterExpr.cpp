#include "framework/data/FilterExpr.h"

#include <cstdint>
#include <string_view>
#include <utility>

#include "framework/core/Consts.h"
#include "framework/core/Exceptions.h"
#include "framework/core/Text.h"
#include "framework/core/Variant.h"

namespace fw {

namespace {

/// Parentheses and NOTs nested deeper than this are refused, so that the recursive parser
/// stays far from the end of the stack whatever the input.
constexpr int kMaxDepth = 200;

enum TCompareOp : std::uint8_t { opEq, opNe, opLt, opGt, opLe, opGe, opIsTrue };

/// The kinds a literal is converted to, one per kind of value it may meet.
enum TSlot : std::uint8_t { sBoolean, sNumber, sDate, sString, sBytes, kSlotCount };

enum class TTokenKind : std::uint8_t { End, LParen, RParen, Op, Name, String, Number };

struct TToken {
  TTokenKind Kind = TTokenKind::End;
  std::size_t Start = 0, Stop = 0;  // byte range in the text
  std::string Value;                 // a name or the contents of a string
  TCompareOp Op = opEq;
  bool Bare = false;  // a name written without brackets or quotes (may be a keyword)
};

/// A string literal ending in '*' (when partial compare is on): = and <> match by prefix.
struct TPartial {
  std::string Prefix;
  Variant Low, High;  // Prefix <= s < High in byte order: s starts with Prefix
  bool HasHigh = false;
};

struct TLiteral {
  enum TKind : std::uint8_t { kString, kNumber, kBoolean, kNull } Kind = kNull;
  bool Ok[kSlotCount] = {};
  int Partial = -1;                         // index of its TPartial
  std::uint32_t SourceStart = 0, SourceStop = 0;  // as written (byte range), for messages
  std::string Text;  // contents of a string, digits of a number, "True"/"False"; it is also
                     // the literal's form when compared with a string
  Variant Value;
  Variant Conv[kSlotCount];
};

struct TName {
  std::string Name;
  int Literal = -1;  // TRUE or FALSE written bare: the literal it is when no field has the name
};

/// One side of a comparison as parsed: a name or a literal.
struct TSide {
  int Name = -1;
  int Literal = -1;
};

/// One side once bound: a field index or a literal index, and the name for messages.
struct TBound {
  bool IsField = false;
  int Index = -1;
  int Name = -1;
};

struct TTest {
  TCompareOp Op = opEq;
  TSide Left, Right;
  // Bound form: a literal, if any, on the right (a null literal last of all).
  TCompareOp BoundOp = opEq;
  TBound A, B;
};

struct TInstr {
  enum TKind : std::uint8_t { iTest, iNot, iJumpIfTrue, iJumpIfFalse } Kind = iTest;
  std::uint32_t Arg = 0;  // the test, or the jump target
};

bool IsIdentStart(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
}
bool IsIdentChar(unsigned char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool SameAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

TCompareOp Mirror(TCompareOp op) {
  switch (op) {
    case opLt: return opGt;
    case opGt: return opLt;
    case opLe: return opGe;
    case opGe: return opLe;
    default: return op;
  }
}

bool Holds(TCompareOp op, int c) {
  switch (op) {
    case opEq: return c == 0;
    case opNe: return c != 0;
    case opLt: return c < 0;
    case opGt: return c > 0;
    case opLe: return c <= 0;
    default: return c >= 0;
  }
}

/// The slot of the literal conversion that a value of this kind compares with, or -1.
int SlotOf(const Variant& v) {
  if (v.IsNumeric()) return sNumber;
  if (v.IsString()) return sString;
  if (v.IsDateTime()) return sDate;
  if (v.IsBoolean()) return sBoolean;
  if (v.IsBytes()) return sBytes;
  return -1;
}

/// Whether Variant::Compare can order values of these two slots.
bool Comparable(int a, int b) {
  if (a < 0 || b < 0) return false;
  bool an = a == sNumber || a == sDate, bn = b == sNumber || b == sDate;
  return a == b || (an && bn);
}

template <class F>
bool TryConvert(Variant& out, F make) {
  try {
    out = make();
    return true;
  } catch (const Exception&) {
    return false;
  }
}

Variant BytesOf(std::string_view s) { return Variant::FromBytes(TBytes(s.begin(), s.end())); }

/// A number as written in the expression or in a string: an Int64 when it is a whole number
/// that fits, a Double otherwise.
Variant NumberFromText(const std::string& text) {
  try {
    return Variant::FromText(text, varInt64);
  } catch (const Exception&) {
    return Variant::FromText(text, varDouble);
  }
}

void PrepareConversions(TLiteral& lit) {
  switch (lit.Kind) {
    case TLiteral::kString:
      lit.Value = Variant(lit.Text);
      lit.Ok[sString] = TryConvert(lit.Conv[sString], [&] { return lit.Value; });
      lit.Ok[sBoolean] = TryConvert(lit.Conv[sBoolean], [&] { return lit.Value.AsType(varBoolean); });
      lit.Ok[sNumber] = TryConvert(lit.Conv[sNumber], [&] { return NumberFromText(lit.Text); });
      lit.Ok[sDate] = TryConvert(lit.Conv[sDate], [&] { return lit.Value.AsType(varDate); });
      lit.Ok[sBytes] = TryConvert(lit.Conv[sBytes], [&] { return BytesOf(lit.Text); });
      break;
    case TLiteral::kNumber:
      lit.Value = NumberFromText(lit.Text);
      lit.Ok[sNumber] = TryConvert(lit.Conv[sNumber], [&] { return lit.Value; });
      lit.Ok[sDate] = lit.Ok[sNumber];  // dates compare with numbers as day counts
      lit.Conv[sDate] = lit.Value;
      lit.Ok[sBoolean] = TryConvert(lit.Conv[sBoolean], [&] { return lit.Value.AsType(varBoolean); });
      lit.Ok[sString] = TryConvert(lit.Conv[sString], [&] { return Variant(lit.Text); });
      lit.Ok[sBytes] = TryConvert(lit.Conv[sBytes], [&] { return BytesOf(lit.Text); });
      break;
    case TLiteral::kBoolean:
      lit.Ok[sBoolean] = TryConvert(lit.Conv[sBoolean], [&] { return lit.Value; });
      lit.Ok[sString] = TryConvert(lit.Conv[sString], [&] { return Variant(lit.Text); });
      break;
    case TLiteral::kNull: break;
  }
}

TPartial MakePartial(const std::string& text) {
  TPartial p;
  p.Prefix = text.substr(0, text.size() - 1);
  p.Low = Variant(p.Prefix);
  // The smallest string above every string that starts with the prefix: drop trailing 0xFF
  // bytes and count the last byte up. A prefix of 0xFF bytes only has no such bound.
  std::string high = p.Prefix;
  while (!high.empty() && static_cast<unsigned char>(high.back()) == 0xFF) high.pop_back();
  if (!high.empty()) {
    high.back() = static_cast<char>(static_cast<unsigned char>(high.back()) + 1);
    p.High = Variant(std::move(high));
    p.HasHigh = true;
  }
  return p;
}

/// The parsed expression: a flat program of tests and jumps over tables of tests, literals
/// and names.
struct TProgram {
  std::string Text;
  TFilterExprOptions Options;
  std::vector<TInstr> Code;
  std::vector<TTest> Tests;
  std::vector<TLiteral> Literals;
  std::vector<TPartial> Partials;
  std::vector<TName> Names;
  std::vector<int> FieldIndexes;
  bool Bound = false;
};

}  // namespace

// -----------------------------------------------------------------------------------------
// The compiled expression

struct TFilterExpression::TImpl : TProgram {

  /// `nameFields`: per name, the field index, or -1 for TRUE/FALSE taken as a literal.
  void BindTests(const std::vector<int>& nameFields);
  bool Run(const std::function<Variant(int)>& value) const;
  bool RunTest(const TTest& t, const std::function<Variant(int)>& value) const;
  bool MatchPrefix(const Variant& a, const TPartial& p, const TTest& t) const;

  std::string Describe(const TBound& side, const Variant* value) const;
  [[noreturn]] void RaiseCannotCompare(const TTest& t, const Variant& a, const Variant* b) const;
};

// -----------------------------------------------------------------------------------------
// Parsing

namespace {

class TParser {
 public:
  TParser(TProgram& out, const std::string& text)
      : FOut(out), FText(text) {}

  void Parse();

 private:
  TProgram& FOut;
  const std::string& FText;
  std::size_t FPos = 0;
  TToken FTok;
  bool FLastLone = false;

  std::size_t CharPos(std::size_t byteOffset) const {
    return Utf8Length(std::string_view(FText).substr(0, byteOffset)) + 1;
  }
  [[noreturn]] void RaiseAt(const std::string& what, std::size_t byteOffset) const {
    throw EDatabaseError(Format(SFilterInvalid,
                                {FText, what, static_cast<long long>(CharPos(byteOffset))}));
  }
  [[noreturn]] void Unexpected(const std::string& expected) const {
    if (FTok.Kind == TTokenKind::End)
      throw EDatabaseError(Format(SFilterIncomplete,
                                  {FText, expected, static_cast<long long>(CharPos(FTok.Start))}));
    std::string source = FText.substr(FTok.Start, FTok.Stop - FTok.Start);
    std::string what = FTok.Kind == TTokenKind::String ? Format(SFilterStringToken, {source}) : "'" + source + "'";
    throw EDatabaseError(Format(SFilterUnexpected,
                                {FText, what, static_cast<long long>(CharPos(FTok.Start)), expected}));
  }

  bool IsKeyword(const char* word) const {
    return FTok.Kind == TTokenKind::Name && FTok.Bare && SameAscii(FTok.Value, word);
  }
  bool IsAnyKeyword() const {
    for (const char* w : {"AND", "OR", "NOT", "IS", "NULL", "TRUE", "FALSE"})
      if (IsKeyword(w)) return true;
    return false;
  }

  void Next();
  void ReadQuoted(char quote, TTokenKind kind);

  std::uint32_t Emit(TInstr::TKind kind, std::uint32_t arg = 0) {
    FOut.Code.push_back(TInstr{kind, arg});
    return static_cast<std::uint32_t>(FOut.Code.size() - 1);
  }
  void PatchJumps(const std::vector<std::uint32_t>& jumps) {
    for (std::uint32_t j : jumps) FOut.Code[j].Arg = static_cast<std::uint32_t>(FOut.Code.size());
  }
  int AddLiteral(TLiteral lit) {
    PrepareConversions(lit);
    if (lit.Kind == TLiteral::kString && !lit.Text.empty() && lit.Text.back() == '*' &&
        !FOut.Options.NoPartialCompare) {
      FOut.Partials.push_back(MakePartial(lit.Text));
      lit.Partial = static_cast<int>(FOut.Partials.size() - 1);
    }
    FOut.Literals.push_back(std::move(lit));
    return static_cast<int>(FOut.Literals.size() - 1);
  }
  void AddTest(TCompareOp op, TSide left, TSide right) {
    TTest t;
    t.Op = op;
    t.Left = left;
    t.Right = right;
    FOut.Tests.push_back(t);
    Emit(TInstr::iTest, static_cast<std::uint32_t>(FOut.Tests.size() - 1));
  }

  void ParseOr(int depth);
  void ParseAnd(int depth);
  void ParseNot(int depth);
  void ParsePrimary(int depth);
  /// An operand; `lone` tells whether it may stand alone (a name or TRUE/FALSE).
  TSide ParseOperand(bool& lone);
  void CheckDepth(int depth) const {
    if (depth > kMaxDepth)
      RaiseAt(Format(SNestingTooDeep, {kMaxDepth}), FTok.Start);
  }
};

void TParser::Next() {
  const std::string& s = FText;
  std::size_t p = FPos;
  while (p < s.size() && static_cast<unsigned char>(s[p]) <= 32) ++p;
  FTok = TToken();
  FTok.Start = p;
  if (p >= s.size()) {
    FTok.Kind = TTokenKind::End;
    FTok.Stop = FPos = p;
    return;
  }
  char c = s[p];
  auto op = [&](TCompareOp o, std::size_t len) {
    FTok.Kind = TTokenKind::Op;
    FTok.Op = o;
    FTok.Stop = FPos = p + len;
  };
  auto next = [&](std::size_t k) { return p + k < s.size() ? s[p + k] : '\0'; };
  switch (c) {
    case '(':
    case ')':
      FTok.Kind = c == '(' ? TTokenKind::LParen : TTokenKind::RParen;
      FTok.Stop = FPos = p + 1;
      return;
    case '=': op(opEq, 1); return;
    case '<':
      if (next(1) == '>') return op(opNe, 2);
      if (next(1) == '=') return op(opLe, 2);
      return op(opLt, 1);
    case '>':
      if (next(1) == '=') return op(opGe, 2);
      return op(opGt, 1);
    case '\'':
      FPos = p;
      return ReadQuoted('\'', TTokenKind::String);
    case '"':
      FPos = p;
      return ReadQuoted('"', TTokenKind::Name);
    case '[': {
      std::size_t close = s.find(']', p + 1);
      if (close == std::string::npos) RaiseAt(SFilterUnterminatedName, p);
      if (close == p + 1) RaiseAt(SFilterEmptyName, p);
      FTok.Kind = TTokenKind::Name;
      FTok.Value = s.substr(p + 1, close - p - 1);
      FTok.Stop = FPos = close + 1;
      return;
    }
    default: break;
  }
  if (IsDigit(c) || (c == '-' && IsDigit(next(1)))) {
    std::size_t q = p + 1;
    while (q < s.size() && IsDigit(s[q])) ++q;
    if (q + 1 < s.size() && s[q] == '.' && IsDigit(s[q + 1])) {
      q += 2;
      while (q < s.size() && IsDigit(s[q])) ++q;
    }
    FTok.Kind = TTokenKind::Number;
    FTok.Value = s.substr(p, q - p);
    FTok.Stop = FPos = q;
    return;
  }
  if (IsIdentStart(static_cast<unsigned char>(c))) {
    std::size_t q = p + 1;
    while (q < s.size() && IsIdentChar(static_cast<unsigned char>(s[q]))) ++q;
    FTok.Kind = TTokenKind::Name;
    FTok.Bare = true;
    FTok.Value = s.substr(p, q - p);
    FTok.Stop = FPos = q;
    return;
  }
  RaiseAt(Format(SFilterUnexpectedChar, {std::string(1, c)}), p);
}

void TParser::ReadQuoted(char quote, TTokenKind kind) {
  const std::string& s = FText;
  std::size_t start = FPos, p = FPos + 1;
  std::string value;
  for (;;) {
    std::size_t q = s.find(quote, p);
    if (q == std::string::npos)
      RaiseAt(kind == TTokenKind::String ? SUnterminatedString : SFilterUnterminatedName, start);
    value.append(s, p, q - p);
    if (q + 1 < s.size() && s[q + 1] == quote) {  // a doubled quote stands for one
      value.push_back(quote);
      p = q + 2;
      continue;
    }
    p = q + 1;
    break;
  }
  if (kind == TTokenKind::Name && value.empty()) RaiseAt(SFilterEmptyName, start);
  FTok.Kind = kind;
  FTok.Value = std::move(value);
  FTok.Stop = FPos = p;
}

void TParser::Parse() {
  Next();
  ParseOr(0);
  if (FTok.Kind != TTokenKind::End)
    Unexpected(FLastLone ? "a comparison operator, AND, OR or the end of the expression"
                         : "AND, OR or the end of the expression");
}

void TParser::ParseOr(int depth) {
  ParseAnd(depth);
  std::vector<std::uint32_t> jumps;
  while (IsKeyword("OR")) {
    Next();
    jumps.push_back(Emit(TInstr::iJumpIfTrue));
    ParseAnd(depth);
  }
  PatchJumps(jumps);
}

void TParser::ParseAnd(int depth) {
  ParseNot(depth);
  std::vector<std::uint32_t> jumps;
  while (IsKeyword("AND")) {
    Next();
    jumps.push_back(Emit(TInstr::iJumpIfFalse));
    ParseNot(depth);
  }
  PatchJumps(jumps);
}

void TParser::ParseNot(int depth) {
  if (!IsKeyword("NOT")) return ParsePrimary(depth);
  CheckDepth(depth + 1);
  Next();
  ParseNot(depth + 1);
  Emit(TInstr::iNot);
}

void TParser::ParsePrimary(int depth) {
  if (FTok.Kind == TTokenKind::LParen) {
    CheckDepth(depth + 1);
    Next();
    ParseOr(depth + 1);
    if (FTok.Kind != TTokenKind::RParen)
      Unexpected(FLastLone ? "a comparison operator, AND, OR or ')'" : "AND, OR or ')'");
    Next();
    FLastLone = false;
    return;
  }
  bool lone = false;
  TSide left = ParseOperand(lone);
  FLastLone = false;
  if (FTok.Kind == TTokenKind::Op) {
    TCompareOp op = FTok.Op;
    Next();
    bool unused = false;
    TSide right = ParseOperand(unused);
    AddTest(op, left, right);
    return;
  }
  if (IsKeyword("IS")) {
    Next();
    bool negated = IsKeyword("NOT");
    if (negated) Next();
    if (!IsKeyword("NULL")) Unexpected(negated ? "NULL" : "NULL or NOT NULL");
    TLiteral null;
    null.Kind = TLiteral::kNull;
    null.SourceStart = static_cast<std::uint32_t>(FTok.Start);
    null.SourceStop = static_cast<std::uint32_t>(FTok.Stop);
    Next();
    TSide right;
    right.Literal = AddLiteral(std::move(null));
    AddTest(negated ? opNe : opEq, left, right);
    return;
  }
  if (!lone) Unexpected("a comparison operator");
  FLastLone = true;
  AddTest(opIsTrue, left, TSide());
}

TSide TParser::ParseOperand(bool& lone) {
  TSide side;
  TLiteral lit;
  lit.SourceStart = static_cast<std::uint32_t>(FTok.Start);
  lit.SourceStop = static_cast<std::uint32_t>(FTok.Stop);
  lone = false;
  switch (FTok.Kind) {
    case TTokenKind::Name:
      if (IsKeyword("TRUE") || IsKeyword("FALSE")) {
        // A field of that name wins over the literal: known at Bind.
        bool value = IsKeyword("TRUE");
        lit.Kind = TLiteral::kBoolean;
        lit.Value = Variant(value);
        lit.Text = value ? "True" : "False";
        TName name;
        name.Name = FTok.Value;
        name.Literal = AddLiteral(std::move(lit));
        FOut.Names.push_back(std::move(name));
        side.Name = static_cast<int>(FOut.Names.size() - 1);
        lone = true;
      } else if (IsKeyword("NULL")) {
        lit.Kind = TLiteral::kNull;
        side.Literal = AddLiteral(std::move(lit));
      } else if (IsAnyKeyword()) {
        Unexpected("a value");
      } else {
        TName name;
        name.Name = FTok.Value;
        FOut.Names.push_back(std::move(name));
        side.Name = static_cast<int>(FOut.Names.size() - 1);
        lone = true;
      }
      break;
    case TTokenKind::String:
      lit.Kind = TLiteral::kString;
      lit.Text = FTok.Value;
      side.Literal = AddLiteral(std::move(lit));
      break;
    case TTokenKind::Number:
      lit.Kind = TLiteral::kNumber;
      lit.Text = FTok.Value;
      // Digits beyond the range of a double are a fault of the text, told with its place.
      if (!TryConvert(lit.Value, [&] { return NumberFromText(lit.Text); }))
        RaiseAt(SFilterNumberRange, FTok.Start);
      side.Literal = AddLiteral(std::move(lit));
      break;
    default: Unexpected("a value");
  }
  Next();
  return side;
}

}  // namespace

// -----------------------------------------------------------------------------------------
// Binding

void TFilterExpression::TImpl::BindTests(const std::vector<int>& nameFields) {
  auto bound = [&](const TSide& side) {
    TBound b;
    if (side.Name >= 0) {
      b.Name = side.Name;
      int field = nameFields[static_cast<std::size_t>(side.Name)];
      b.IsField = field >= 0;
      b.Index = b.IsField ? field : Names[static_cast<std::size_t>(side.Name)].Literal;
    } else {
      b.Index = side.Literal;
    }
    return b;
  };
  auto isNull = [&](const TBound& b) {
    return !b.IsField && Literals[static_cast<std::size_t>(b.Index)].Kind == TLiteral::kNull;
  };
  std::vector<int> fields;
  for (TTest& t : Tests) {
    t.A = bound(t.Left);
    t.BoundOp = t.Op;
    if (t.Op == opIsTrue) {
      t.B = TBound();
    } else {
      t.B = bound(t.Right);
      bool swap = (!t.A.IsField && t.B.IsField) || (isNull(t.A) && !isNull(t.B));
      if (swap) {
        std::swap(t.A, t.B);
        t.BoundOp = Mirror(t.Op);
      }
    }
  }
  // Field indexes in order of first use: the tests are in the order they were written.
  for (const TTest& t : Tests) {
    for (const TSide* side : {&t.Left, &t.Right}) {
      if (side->Name < 0) continue;
      int f = nameFields[static_cast<std::size_t>(side->Name)];
      if (f < 0) continue;
      bool seen = false;
      for (int g : fields) seen = seen || g == f;
      if (!seen) fields.push_back(f);
    }
  }
  FieldIndexes = std::move(fields);
  Bound = true;
}

// -----------------------------------------------------------------------------------------
// Evaluation

std::string TFilterExpression::TImpl::Describe(const TBound& side, const Variant* value) const {
  if (side.IsField) {
    const std::string& name = Names[static_cast<std::size_t>(side.Name)].Name;
    return value ? Format(SFilterFieldOfType, {name, value->TypeName()}) : Format(SFilterField, {name});
  }
  const TLiteral& lit = Literals[static_cast<std::size_t>(side.Index)];
  return Text.substr(lit.SourceStart, lit.SourceStop - lit.SourceStart);
}

void TFilterExpression::TImpl::RaiseCannotCompare(const TTest& t, const Variant& a,
                                                 const Variant* b) const {
  throw EDatabaseError(Format(SFilterCompare,
                              {Describe(t.A, &a), Describe(t.B, b), Text}));
}

bool TFilterExpression::TImpl::MatchPrefix(const Variant& a, const TPartial& p,
                                           const TTest& t) const {
  if (a.IsString()) {
    if (Options.CaseInsensitive) return StartsText(p.Prefix, a.AsString());
    if (Variant::Compare(a, p.Low) < 0) return false;
    return !p.HasHigh || Variant::Compare(a, p.High) < 0;
  }
  if (a.IsArray()) RaiseCannotCompare(t, a, nullptr);
  std::string text;
  try {
    text = a.AsString();
  } catch (const Exception&) {
    RaiseCannotCompare(t, a, nullptr);
  }
  if (Options.CaseInsensitive) return StartsText(p.Prefix, text);
  return std::string_view(text).substr(0, p.Prefix.size()) == p.Prefix;
}

bool TFilterExpression::TImpl::RunTest(const TTest& t,
                                       const std::function<Variant(int)>& value) const {
  Variant fieldA;
  const Variant* a;
  if (t.A.IsField) {
    fieldA = value(t.A.Index);
    a = &fieldA;
  } else {
    a = &Literals[static_cast<std::size_t>(t.A.Index)].Value;
  }

  if (t.BoundOp == opIsTrue) {
    if (a->IsBoolean()) return a->AsBoolean();
    if (a->IsNullOrEmpty()) return false;
    throw EDatabaseError(Format(SFilterNotBoolean,
                                {Describe(t.A, a), Text}));
  }

  if (!t.B.IsField) {
    const TLiteral& lit = Literals[static_cast<std::size_t>(t.B.Index)];
    if (lit.Kind == TLiteral::kNull) {
      bool isNull = a->IsNullOrEmpty();
      return t.BoundOp == opEq ? isNull : t.BoundOp == opNe ? !isNull : false;
    }
    if (a->IsNullOrEmpty()) return false;
    if (lit.Partial >= 0 && t.BoundOp <= opNe) {
      bool match = MatchPrefix(*a, Partials[static_cast<std::size_t>(lit.Partial)], t);
      return t.BoundOp == opEq ? match : !match;
    }
    int slot = SlotOf(*a);
    if (slot < 0 || !lit.Ok[slot]) RaiseCannotCompare(t, *a, nullptr);
    const Variant& b = lit.Conv[slot];
    if (slot == sString && Options.CaseInsensitive)
      return Holds(t.BoundOp, CompareText(a->AsString(), lit.Text));
    return Holds(t.BoundOp, Variant::Compare(*a, b));
  }

  Variant b = value(t.B.Index);
  if (a->IsNullOrEmpty() || b.IsNullOrEmpty()) return false;
  int sa = SlotOf(*a), sb = SlotOf(b);
  if (!Comparable(sa, sb)) RaiseCannotCompare(t, *a, &b);
  if (sa == sString && Options.CaseInsensitive)
    return Holds(t.BoundOp, CompareText(a->AsString(), b.AsString()));
  return Holds(t.BoundOp, Variant::Compare(*a, b));
}

bool TFilterExpression::TImpl::Run(const std::function<Variant(int)>& value) const {
  // One accumulator: a test sets it, NOT flips it, and AND/OR skip their right side when the
  // left side already decides, leaving the accumulator as the result.
  bool acc = false;
  const TInstr* code = Code.data();
  const std::size_t n = Code.size();
  for (std::size_t pc = 0; pc < n;) {
    const TInstr& in = code[pc];
    switch (in.Kind) {
      case TInstr::iTest:
        acc = RunTest(Tests[in.Arg], value);
        ++pc;
        break;
      case TInstr::iNot:
        acc = !acc;
        ++pc;
        break;
      case TInstr::iJumpIfTrue: pc = acc ? in.Arg : pc + 1; break;
      case TInstr::iJumpIfFalse: pc = acc ? pc + 1 : in.Arg; break;
    }
  }
  return acc;
}

// -----------------------------------------------------------------------------------------
// TFilterExpression

TFilterExpression::TFilterExpression(const std::string& text, TFilterExprOptions options)
    : FImpl(std::make_unique<TImpl>()) {
  FImpl->Text = text;
  FImpl->Options = options;
  TParser(*FImpl, FImpl->Text).Parse();
  if (FImpl->Names.empty()) FImpl->BindTests({});
}

TFilterExpression::~TFilterExpression() = default;
TFilterExpression::TFilterExpression(TFilterExpression&&) noexcept = default;
TFilterExpression& TFilterExpression::operator=(TFilterExpression&&) noexcept = default;

void TFilterExpression::Bind(const std::function<int(const std::string& name)>& resolve) {
  std::vector<int> nameFields;
  nameFields.reserve(FImpl->Names.size());
  FImpl->Bound = false;
  for (const TName& name : FImpl->Names) {
    int field = resolve(name.Name);
    if (field < 0) {
      if (name.Literal < 0)
        throw EDatabaseError(
            Format(SFilterFieldNotFound, {name.Name, FImpl->Text}));
      field = -1;
    }
    nameFields.push_back(field);
  }
  FImpl->BindTests(nameFields);
}

bool TFilterExpression::IsBound() const { return FImpl->Bound; }

bool TFilterExpression::Evaluate(const std::function<Variant(int index)>& value) const {
  if (!FImpl->Bound)
    throw EDatabaseError(Format(SFilterNotBound, {FImpl->Text}));
  return FImpl->Run(value);
}

const std::string& TFilterExpression::Text() const { return FImpl->Text; }

const TFilterExprOptions& TFilterExpression::Options() const { return FImpl->Options; }

std::vector<int> TFilterExpression::FieldIndexes() const {
  return FImpl->Bound ? FImpl->FieldIndexes : std::vector<int>();
}

}  // namespace fw
