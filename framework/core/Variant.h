// Variant: the framework's value type (null, unassigned, booleans, integers, doubles,
// currency, date-time, UTF-8 strings, byte blobs and arrays of variants), with Delphi's
// variant type codes, strict conversions, cross-kind numeric comparison and hashing.
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

namespace fw {

/// Delphi's variant type code. Other code stores these numbers in records: never renumber.
using TVarType = std::uint16_t;

inline constexpr TVarType varEmpty = 0x0000;
inline constexpr TVarType varNull = 0x0001;
inline constexpr TVarType varSmallint = 0x0002;
inline constexpr TVarType varInteger = 0x0003;
inline constexpr TVarType varSingle = 0x0004;  // not a kind of its own: converts as varDouble
inline constexpr TVarType varDouble = 0x0005;
inline constexpr TVarType varCurrency = 0x0006;
inline constexpr TVarType varDate = 0x0007;
inline constexpr TVarType varOleStr = 0x0008;
inline constexpr TVarType varDispatch = 0x0009;
inline constexpr TVarType varError = 0x000A;
inline constexpr TVarType varBoolean = 0x000B;
inline constexpr TVarType varVariant = 0x000C;
inline constexpr TVarType varUnknown = 0x000D;
inline constexpr TVarType varShortInt = 0x0010;
inline constexpr TVarType varByte = 0x0011;
inline constexpr TVarType varWord = 0x0012;
inline constexpr TVarType varLongWord = 0x0013;
inline constexpr TVarType varInt64 = 0x0014;
inline constexpr TVarType varUInt64 = 0x0015;
inline constexpr TVarType varString = 0x0100;
inline constexpr TVarType varTypeMask = 0x0FFF;
inline constexpr TVarType varArray = 0x2000;
/// A byte blob: varArray | varByte.
inline constexpr TVarType varByteArray = varArray | varByte;  // 0x2011
/// An array of variants: varArray | varVariant.
inline constexpr TVarType varVariantArray = varArray | varVariant;  // 0x200C

/// Fixed-point money: an integer count of 1/10000 units (Delphi's Currency).
struct TCurrency {
  std::int64_t Value = 0;

  friend constexpr bool operator==(TCurrency, TCurrency) = default;
  friend constexpr auto operator<=>(TCurrency, TCurrency) = default;
};

/// Delphi's TDateTime: days since 1899-12-30; the fraction is the time of day. Before
/// 1899-12-30 the value is the (negative) day minus the time fraction, as in Delphi.
struct TDateTime {
  double Value = 0;

  struct Parts {
    int Year = 1899, Month = 12, Day = 30, Hour = 0, Minute = 0, Second = 0, MSec = 0;
  };

  /// Composes a date-time; false for an invalid date or time (years 1..9999).
  static bool TryEncode(int year, int month, int day, int hour, int minute, int second, int msec,
                        TDateTime& result);
  /// Composes a date-time; raises EConvertError (SDateEncodeError) for invalid arguments.
  static TDateTime Encode(int year, int month, int day, int hour = 0, int minute = 0,
                          int second = 0, int msec = 0);
  /// The parts, rounded to the millisecond; EConvertError (SInvalidDateTime) out of range.
  Parts Decode() const;
  /// Whether the value is a date-time of years 1..9999 (what Decode accepts); false for
  /// NaN, infinities and day counts beyond that range.
  bool IsValid() const;
  /// Raises EConvertError (SInvalidDateTime) unless IsValid.
  void CheckValid() const;

  friend constexpr bool operator==(TDateTime, TDateTime) = default;
  friend constexpr auto operator<=>(TDateTime, TDateTime) = default;
};

using TBytes = std::vector<std::uint8_t>;

class Variant {
 public:
  /// Null.
  Variant() noexcept = default;
  static Variant Null() noexcept { return Variant(); }
  /// Unassigned (varEmpty): converts to 0, False, "" and no bytes; compares like Null.
  static Variant Unassigned() noexcept;

  Variant(bool v) noexcept : FValue(std::in_place_index<kBoolean>, v) {}
  Variant(std::int16_t v) noexcept : FValue(std::in_place_index<kSmallint>, v) {}
  Variant(std::uint16_t v) noexcept : FValue(std::in_place_index<kWord>, v) {}
  Variant(std::int32_t v) noexcept : FValue(std::in_place_index<kInteger>, v) {}
  Variant(std::int64_t v) noexcept : FValue(std::in_place_index<kInt64>, v) {}
  Variant(double v) noexcept : FValue(std::in_place_index<kDouble>, v) {}
  Variant(TCurrency v) noexcept : FValue(std::in_place_index<kCurrency>, v) {}
  Variant(TDateTime v) noexcept : FValue(std::in_place_index<kDate>, v) {}
  Variant(std::string v) noexcept : FValue(std::in_place_index<kString>, std::move(v)) {}
  Variant(std::string_view v) : FValue(std::in_place_index<kString>, v) {}
  Variant(const char* v) : FValue(std::in_place_index<kString>, v ? v : "") {}
  /// An array of variants.
  Variant(std::vector<Variant> items) noexcept
      : FValue(std::in_place_index<kArray>, std::move(items)) {}

  /// Other integer types (long long, unsigned, size_t, int8_t, ...): signed up to 32 bits and
  /// unsigned up to 8 bits become Integer, the rest Int64 (EVariantError if they don't fit).
  template <class T,
            std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool> &&
                                 !std::is_same_v<T, std::int16_t> &&
                                 !std::is_same_v<T, std::uint16_t> &&
                                 !std::is_same_v<T, std::int32_t> && !std::is_same_v<T, std::int64_t>,
                             int> = 0>
  Variant(T v) {
    static_assert(!std::is_same_v<T, wchar_t> && !std::is_same_v<T, char8_t> &&
                      !std::is_same_v<T, char16_t> && !std::is_same_v<T, char32_t>,
                  "a character is not a Variant: make a string of it");
    if constexpr (std::is_signed_v<T> ? sizeof(T) <= 4 : sizeof(T) < 2) {
      FValue.template emplace<kInteger>(static_cast<std::int32_t>(v));
    } else if constexpr (std::is_signed_v<T> || sizeof(T) < 8) {
      FValue.template emplace<kInt64>(static_cast<std::int64_t>(v));
    } else {
      if (v > static_cast<T>(INT64_MAX)) RaiseUnsignedOverflow(static_cast<std::uint64_t>(v));
      FValue.template emplace<kInt64>(static_cast<std::int64_t>(v));
    }
  }
  Variant(char) = delete;  // a character is not a Variant: make a string of it
  Variant(std::nullptr_t) = delete;

  /// A byte blob (varByteArray).
  static Variant FromBytes(TBytes bytes) noexcept;
  /// An array of variants (varVariantArray).
  static Variant Array(std::vector<Variant> items) noexcept { return Variant(std::move(items)); }
  /// The value of the given type read from text (the inverse of AsString): EConvertError with
  /// SInvalidInteger, SInvalidFloat, SInvalidBoolean or SInvalidDateTime for bad text,
  /// EVariantError (SInvalidVarCast) for a type that cannot come from text.
  static Variant FromText(std::string_view text, TVarType type);

  Variant(const Variant&) = default;
  Variant(Variant&&) noexcept = default;
  Variant& operator=(const Variant&) = default;
  Variant& operator=(Variant&&) noexcept = default;
  ~Variant() = default;

  TVarType VarType() const noexcept;
  /// Delphi's names: "Empty", "Null", "Smallint", "Integer", "Double", "Currency", "Date",
  /// "Boolean", "Word", "Int64", "String", "Array Byte" (blob), "Array" (of variants), ...
  static std::string TypeName(TVarType type);
  std::string TypeName() const { return TypeName(VarType()); }

  bool IsNull() const noexcept { return FValue.index() == kNull; }
  bool IsEmpty() const noexcept { return FValue.index() == kEmpty; }
  /// Null or Unassigned.
  bool IsNullOrEmpty() const noexcept { return FValue.index() <= kEmpty; }
  bool IsBoolean() const noexcept { return FValue.index() == kBoolean; }
  /// Smallint, Word, Integer, Int64.
  bool IsOrdinal() const noexcept { return FValue.index() >= kSmallint && FValue.index() <= kInt64; }
  /// Ordinal, Double or Currency (not Boolean, not Date).
  bool IsNumeric() const noexcept { return FValue.index() >= kSmallint && FValue.index() <= kCurrency; }
  bool IsDateTime() const noexcept { return FValue.index() == kDate; }
  bool IsString() const noexcept { return FValue.index() == kString; }
  bool IsBytes() const noexcept { return FValue.index() == kBytes; }
  /// An array of variants (a blob is not: see IsBytes).
  bool IsArray() const noexcept { return FValue.index() == kArray; }

  /// Items of an array of variants: EVariantError (SInvalidVarCast) for another kind,
  /// SVarArrayBounds for an index out of range.
  std::size_t ArrayCount() const;
  const Variant& operator[](std::size_t index) const;
  const std::vector<Variant>& AsArray() const;

  // Conversions. Null raises EVariantError (SInvalidVarCast) except in AsString (""), and so
  // do arrays, blobs (except to String and Bytes) and other kinds without a meaning in the
  // target. Text that does not parse raises EConvertError; numbers out of the target's range
  // raise EVariantError (SVarOverflow); doubles and currency round half to even to integers.
  // Booleans convert to 1 and 0.
  bool AsBoolean() const;
  std::int16_t AsSmallint() const;
  std::uint16_t AsWord() const;
  std::int32_t AsInteger() const;
  std::int64_t AsInt64() const;
  double AsFloat() const;
  TCurrency AsCurrency() const;
  TDateTime AsDateTime() const;
  std::string AsString() const;
  TBytes AsBytes() const;
  /// Delphi's VarAsType: the value converted to another type (varEmpty and varNull clear it).
  Variant AsType(TVarType type) const;

  /// Never raises: values of incomparable kinds are unequal. Null equals only Null and
  /// Unassigned only Unassigned; numbers of every numeric kind and dates compare by value.
  friend bool operator==(const Variant& a, const Variant& b) noexcept;
  /// -1, 0 or 1. Null and Unassigned are equal and less than every value. Raises EVariantError
  /// (SVarCompare) for incomparable kinds (string and number, boolean and number, ...).
  static int Compare(const Variant& a, const Variant& b);
  /// Consistent with ==.
  std::size_t Hash() const noexcept;

 private:
  struct NullTag {};
  struct EmptyTag {};
  enum : std::size_t {
    kNull, kEmpty, kBoolean, kSmallint, kWord, kInteger, kInt64, kDouble, kCurrency, kDate,
    kString, kBytes, kArray
  };
  using Storage = std::variant<NullTag, EmptyTag, bool, std::int16_t, std::uint16_t, std::int32_t,
                               std::int64_t, double, TCurrency, TDateTime, std::string, TBytes,
                               std::vector<Variant>>;

  [[noreturn]] static void RaiseUnsignedOverflow(std::uint64_t v);
  [[noreturn]] void RaiseCast(TVarType target) const;
  [[noreturn]] void RaiseOverflow(TVarType target) const;
  std::int64_t ToOrdinal(TVarType target, std::int64_t lo, std::int64_t hi) const;

  Storage FValue;

  friend struct VariantAccess;
};

/// Readable form for test messages: Integer(5), String("abc"), Null, Array(Integer(1), ...).
std::string DebugString(const Variant& v);
std::ostream& operator<<(std::ostream& out, const Variant& v);

}  // namespace fw

template <>
struct std::hash<fw::Variant> {
  std::size_t operator()(const fw::Variant& v) const noexcept { return v.Hash(); }
};
