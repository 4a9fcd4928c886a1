#include "framework/core/Variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <type_traits>
#include <unordered_set>
#include <vector>

#include "framework/core/Consts.h"
#include "framework/core/Exceptions.h"

namespace fw {
namespace {

static_assert(std::is_nothrow_move_constructible_v<Variant>);
static_assert(std::is_nothrow_move_assignable_v<Variant>);
static_assert(std::is_nothrow_default_constructible_v<Variant>);
static_assert(!std::is_constructible_v<Variant, char>);

TDateTime Dt(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  return TDateTime::Encode(y, mo, d, h, mi, s, ms);
}
TCurrency Cur(std::int64_t units) { return TCurrency{units}; }
Variant Arr(std::vector<Variant> items) { return Variant::Array(std::move(items)); }
Variant Blob(std::string s) { return Variant::FromBytes(TBytes(s.begin(), s.end())); }

/// Runs `f`, expects exception E and returns its message ("" and a failure otherwise).
template <class E, class F>
std::string MessageOf(F f) {
  try {
    f();
  } catch (const E& e) {
    return e.what();
  } catch (const std::exception& e) {
    ADD_FAILURE() << "unexpected exception type: " << e.what();
    return "";
  }
  ADD_FAILURE() << "no exception";
  return "";
}

// ---------------------------------------------------------------------------------------
// Type codes (stored in records by other code: the numbers are part of the format)

TEST(VariantTest, TypeCodesAreDelphis) {
  EXPECT_EQ(varEmpty, 0);
  EXPECT_EQ(varNull, 1);
  EXPECT_EQ(varSmallint, 2);
  EXPECT_EQ(varInteger, 3);
  EXPECT_EQ(varSingle, 4);
  EXPECT_EQ(varDouble, 5);
  EXPECT_EQ(varCurrency, 6);
  EXPECT_EQ(varDate, 7);
  EXPECT_EQ(varBoolean, 11);
  EXPECT_EQ(varVariant, 0x0C);
  EXPECT_EQ(varByte, 0x11);
  EXPECT_EQ(varWord, 18);
  EXPECT_EQ(varInt64, 20);
  EXPECT_EQ(varString, 0x0100);
  EXPECT_EQ(varArray, 0x2000);
  EXPECT_EQ(varByteArray, 0x2011);
  EXPECT_EQ(varVariantArray, 0x200C);
}

TEST(VariantTest, VarTypeAndTypeNameOfEachKind) {
  struct Case {
    Variant value;
    TVarType type;
    const char* name;
  };
  const std::vector<Case> cases = {
      {Variant(), varNull, "Null"},
      {Variant::Null(), varNull, "Null"},
      {Variant::Unassigned(), varEmpty, "Empty"},
      {Variant(true), varBoolean, "Boolean"},
      {Variant(std::int16_t{-3}), varSmallint, "Smallint"},
      {Variant(std::uint16_t{3}), varWord, "Word"},
      {Variant(3), varInteger, "Integer"},
      {Variant(std::int64_t{3}), varInt64, "Int64"},
      {Variant(3LL), varInt64, "Int64"},
      {Variant(3U), varInt64, "Int64"},
      {Variant(std::size_t{3}), varInt64, "Int64"},
      {Variant(std::int8_t{3}), varInteger, "Integer"},
      {Variant(std::uint8_t{3}), varInteger, "Integer"},
      {Variant(1.5), varDouble, "Double"},
      {Variant(1.5f), varDouble, "Double"},
      {Variant(Cur(15000)), varCurrency, "Currency"},
      {Variant(Dt(2024, 1, 2)), varDate, "Date"},
      {Variant("abc"), varString, "String"},
      {Variant(std::string("abc")), varString, "String"},
      {Variant(std::string_view("abc")), varString, "String"},
      {Blob("ab"), varByteArray, "Array Byte"},
      {Arr({1, "x"}), varVariantArray, "Array"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(DebugString(c.value));
    EXPECT_EQ(c.value.VarType(), c.type);
    EXPECT_EQ(c.value.TypeName(), c.name);
    EXPECT_EQ(Variant::TypeName(c.type), c.name);
  }
  EXPECT_EQ(Variant::TypeName(varSingle), "Single");
  EXPECT_EQ(Variant::TypeName(0x0FFF), "$0FFF");
}

TEST(VariantTest, KindPredicates) {
  EXPECT_TRUE(Variant().IsNull());
  EXPECT_FALSE(Variant().IsEmpty());
  EXPECT_TRUE(Variant::Unassigned().IsEmpty());
  EXPECT_FALSE(Variant::Unassigned().IsNull());
  EXPECT_TRUE(Variant().IsNullOrEmpty());
  EXPECT_TRUE(Variant::Unassigned().IsNullOrEmpty());
  EXPECT_TRUE(Variant(1).IsNumeric());
  EXPECT_TRUE(Variant(1.0).IsNumeric());
  EXPECT_TRUE(Variant(Cur(1)).IsNumeric());
  EXPECT_FALSE(Variant(true).IsNumeric());
  EXPECT_FALSE(Variant(Dt(2000, 1, 1)).IsNumeric());
  EXPECT_FALSE(Variant("1").IsNumeric());
  EXPECT_TRUE(Variant(std::uint16_t{1}).IsOrdinal());
  EXPECT_FALSE(Variant(1.0).IsOrdinal());
  EXPECT_TRUE(Arr({}).IsArray());
  EXPECT_FALSE(Blob("").IsArray());
  EXPECT_TRUE(Blob("").IsBytes());
  EXPECT_TRUE(Variant("").IsString());
  EXPECT_TRUE(Variant(false).IsBoolean());
  EXPECT_TRUE(Variant(Dt(2000, 1, 1)).IsDateTime());
}

// ---------------------------------------------------------------------------------------
// Null is distinct from every value

TEST(VariantTest, NullIsDistinctFromEmptyStringZeroAndFalse) {
  const Variant null;
  for (const Variant& v : {Variant(""), Variant(0), Variant(0.0), Variant(false), Variant(Cur(0)),
                           Blob(""), Arr({}), Variant::Unassigned()}) {
    SCOPED_TRACE(DebugString(v));
    EXPECT_FALSE(null == v);
    EXPECT_FALSE(v == null);
    EXPECT_TRUE(null != v);
  }
  EXPECT_TRUE(null == Variant::Null());
  EXPECT_TRUE(Variant::Unassigned() == Variant::Unassigned());
  EXPECT_EQ(Variant::Compare(null, Variant::Null()), 0);
  EXPECT_EQ(Variant::Compare(null, Variant::Unassigned()), 0);  // both "no value" when sorting
  EXPECT_EQ(Variant::Compare(null, Variant("")), -1);
  EXPECT_EQ(Variant::Compare(Variant(0), null), 1);
  EXPECT_EQ(Variant::Compare(Variant::Unassigned(), Variant(-1e300)), -1);
  EXPECT_EQ(Variant::Compare(Arr({}), Variant::Unassigned()), 1);
}

// ---------------------------------------------------------------------------------------
// Conversions to text

TEST(VariantTest, AsString) {
  struct Case {
    Variant value;
    const char* text;
  };
  const std::vector<Case> cases = {
      {Variant(), ""},
      {Variant::Unassigned(), ""},
      {Variant(true), "True"},
      {Variant(false), "False"},
      {Variant(std::int16_t{-32768}), "-32768"},
      {Variant(std::uint16_t{65535}), "65535"},
      {Variant(-42), "-42"},
      {Variant(std::int64_t{INT64_MIN}), "-9223372036854775808"},
      {Variant(1.5), "1.5"},
      {Variant(2.0), "2"},
      {Variant(-0.25), "-0.25"},
      {Variant(0.1), "0.1"},
      {Variant(1.0 / 3), "0.3333333333333333"},
      {Variant(123456789.0), "123456789"},
      {Variant(1e300), "1e+300"},
      {Variant(1e20), "100000000000000000000"},
      {Variant(1e21), "1e+21"},
      {Variant(1.5e-7), "0.00000015"},
      {Variant(1.5e-8), "1.5e-08"},
      {Variant(std::numeric_limits<double>::infinity()), "INF"},
      {Variant(-std::numeric_limits<double>::infinity()), "-INF"},
      {Variant(std::numeric_limits<double>::quiet_NaN()), "NAN"},
      {Variant(Cur(0)), "0"},
      {Variant(Cur(15000)), "1.5"},
      {Variant(Cur(12345)), "1.2345"},
      {Variant(Cur(-1)), "-0.0001"},
      {Variant(Cur(-30000)), "-3"},
      {Variant(Cur(INT64_MIN)), "-922337203685477.5808"},
      {Variant(Dt(2024, 2, 29)), "2024-02-29"},
      {Variant(Dt(2024, 2, 29, 13, 5, 9)), "2024-02-29 13:05:09"},
      {Variant(Dt(2024, 2, 29, 0, 0, 0, 7)), "2024-02-29 00:00:00.007"},
      {Variant(Dt(1899, 12, 30)), "1899-12-30"},
      {Variant(Dt(1899, 12, 29, 6)), "1899-12-29 06:00:00"},
      {Variant(Dt(1, 1, 1)), "0001-01-01"},
      {Variant(Dt(9999, 12, 31, 23, 59, 59, 999)), "9999-12-31 23:59:59.999"},
      {Variant("Grüße"), "Grüße"},
      {Blob("ab"), "ab"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(DebugString(c.value));
    EXPECT_EQ(c.value.AsString(), c.text);
  }
  EXPECT_EQ(Blob(std::string("a\0b", 3)).AsString(), std::string("a\0b", 3));
}

// ---------------------------------------------------------------------------------------
// Conversions from text, and the round trip text -> value -> text

TEST(VariantTest, FromText) {
  struct Case {
    const char* text;
    TVarType type;
    Variant expected;
  };
  const std::vector<Case> cases = {
      {"True", varBoolean, true},
      {"false", varBoolean, false},
      {" TRUE ", varBoolean, true},
      {"0", varBoolean, false},
      {"-2.5", varBoolean, true},
      {"-32768", varSmallint, std::int16_t{-32768}},
      {"65535", varWord, std::uint16_t{65535}},
      {" 42 ", varInteger, 42},
      {"+7", varInteger, 7},
      {"-2147483648", varInteger, INT32_MIN},
      {"9223372036854775807", varInt64, std::int64_t{INT64_MAX}},
      {"1.5", varDouble, 1.5},
      {"-1e-3", varDouble, -0.001},
      {"2", varDouble, 2.0},
      {".5", varDouble, 0.5},
      {"INF", varDouble, std::numeric_limits<double>::infinity()},
      {"-inf", varDouble, -std::numeric_limits<double>::infinity()},
      {"1.5", varSingle, 1.5},
      {"1.2345", varCurrency, Cur(12345)},
      {"-0.0001", varCurrency, Cur(-1)},
      {"0.00005", varCurrency, Cur(0)},        // half to even
      {"0.00015", varCurrency, Cur(2)},        // half to even
      {"0.000051", varCurrency, Cur(1)},
      {"1e2", varCurrency, Cur(1000000)},
      {"-922337203685477.5808", varCurrency, Cur(INT64_MIN)},
      {"2024-02-29", varDate, Dt(2024, 2, 29)},
      {"2024-2-9", varDate, Dt(2024, 2, 9)},
      {"2024-02-29 13:05:09", varDate, Dt(2024, 2, 29, 13, 5, 9)},
      {"2024-02-29T13:05", varDate, Dt(2024, 2, 29, 13, 5)},
      {"2024-02-29 13:05:09.5", varDate, Dt(2024, 2, 29, 13, 5, 9, 500)},
      {"2024-02-29 13:05:09.1234", varDate, Dt(2024, 2, 29, 13, 5, 9, 123)},
      {"2024-02-29 23:59:59.9999", varDate, Dt(2024, 3, 1)},
      {"06:30:00", varDate, Dt(1899, 12, 30, 6, 30)},
      {"abc", varString, "abc"},
      {"", varString, ""},
      {"ab", varByteArray, Blob("ab")},
      {"anything", varNull, Variant::Null()},
      {"anything", varEmpty, Variant::Unassigned()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " as " + Variant::TypeName(c.type));
    Variant v = Variant::FromText(c.text, c.type);
    EXPECT_EQ(v, c.expected) << DebugString(v);
    EXPECT_EQ(v.VarType(), c.expected.VarType());
  }
}

TEST(VariantTest, TextRoundTripKeepsValueAndType) {
  const std::vector<Variant> values = {
      true,
      false,
      std::int16_t{-32768},
      std::int16_t{32767},
      std::uint16_t{65535},
      INT32_MIN,
      INT32_MAX,
      std::int64_t{INT64_MIN},
      std::int64_t{INT64_MAX},
      0.0,
      -0.0,
      0.1,
      1.0 / 3,
      -2.5e-300,
      4.9406564584124654e-324,
      1.7976931348623157e308,
      9007199254740993.0,
      std::numeric_limits<double>::infinity(),
      Cur(0),
      Cur(1),
      Cur(-123456789),
      Cur(INT64_MAX),
      Cur(INT64_MIN),
      Dt(2024, 2, 29),
      Dt(2024, 2, 29, 23, 59, 59, 999),
      Dt(1899, 12, 30, 12),
      Dt(1899, 12, 29, 6, 0, 0, 1),
      Dt(1, 1, 1),
      Dt(1600, 2, 29, 1, 2, 3),
      Dt(9999, 12, 31, 23, 59, 59, 999),
      "",
      "Grüße, мир",
      Blob("\x01\xff"),
  };
  for (const Variant& v : values) {
    SCOPED_TRACE(DebugString(v));
    Variant back = Variant::FromText(v.AsString(), v.VarType());
    EXPECT_EQ(back, v) << DebugString(back);
    EXPECT_EQ(back.VarType(), v.VarType());
    EXPECT_EQ(back.AsString(), v.AsString());
  }
  // NaN reads back as NaN (and NaN equals NaN as a Variant, so that hashing works).
  Variant nan = Variant::FromText("NAN", varDouble);
  EXPECT_TRUE(std::isnan(nan.AsFloat()));
  EXPECT_EQ(nan, Variant(std::numeric_limits<double>::quiet_NaN()));
}

// ---------------------------------------------------------------------------------------
// Conversions between kinds

TEST(VariantTest, NumericConversions) {
  struct Case {
    Variant value;
    std::int64_t asInt64;
    double asFloat;
    std::int64_t asCurrency;
    bool asBoolean;
  };
  const std::vector<Case> cases = {
      {Variant::Unassigned(), 0, 0, 0, false},
      {true, 1, 1, 10000, true},
      {false, 0, 0, 0, false},
      {std::int16_t{-5}, -5, -5, -50000, true},
      {std::uint16_t{65535}, 65535, 65535, 655350000, true},
      {7, 7, 7, 70000, true},
      {std::int64_t{1} << 40, std::int64_t{1} << 40, 1099511627776.0, 10995116277760000, true},
      {2.5, 2, 2.5, 25000, true},        // to integers: half to even
      {3.5, 4, 3.5, 35000, true},
      {-2.5, -2, -2.5, -25000, true},
      {-2.6, -3, -2.6, -26000, true},
      {0.0, 0, 0, 0, false},
      {Cur(25000), 2, 2.5, 25000, true},
      {Cur(35000), 4, 3.5, 35000, true},
      {Cur(-15001), -2, -1.5001, -15001, true},
      {Cur(0), 0, 0, 0, false},
      {" 12 ", 12, 12, 120000, true},
      {"-3", -3, -3, -30000, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(DebugString(c.value));
    EXPECT_EQ(c.value.AsInt64(), c.asInt64);
    EXPECT_EQ(c.value.AsFloat(), c.asFloat);
    EXPECT_EQ(c.value.AsCurrency().Value, c.asCurrency);
    EXPECT_EQ(c.value.AsBoolean(), c.asBoolean);
  }
  EXPECT_EQ(Variant(std::int64_t{70000}).AsInteger(), 70000);
  EXPECT_EQ(Variant(-32768.0).AsSmallint(), -32768);
  EXPECT_EQ(Variant(65535).AsWord(), 65535);
  EXPECT_EQ(Variant(Dt(2000, 1, 1, 18)).AsInteger(), 36527);  // 36526.75 rounds up
  EXPECT_EQ(Variant(36526.5).AsDateTime(), Dt(2000, 1, 1, 12));
  EXPECT_EQ(Variant(Cur(365265000)).AsDateTime(), Dt(2000, 1, 1, 12));
  EXPECT_EQ(Variant("2000-01-01 12:00").AsDateTime().Value, 36526.5);
  EXPECT_EQ(Variant("2000-01-01").AsBytes(), TBytes({'2', '0', '0', '0', '-', '0', '1', '-', '0', '1'}));
  EXPECT_EQ(Blob("xy").AsBytes(), TBytes({'x', 'y'}));
  EXPECT_EQ(Variant::Unassigned().AsBytes(), TBytes());
  EXPECT_EQ(Variant(0.1).AsCurrency().Value, 1000);
  EXPECT_EQ(Variant(Cur(1000)).AsFloat(), 0.1);
  EXPECT_EQ(Variant(Cur(INT64_MAX)).AsFloat(), 922337203685477.5807);
}

TEST(VariantTest, AsType) {
  struct Case {
    Variant value;
    TVarType type;
    Variant expected;
  };
  const std::vector<Case> cases = {
      {42, varString, "42"},
      {"42", varSmallint, std::int16_t{42}},
      {1.5, varCurrency, Cur(15000)},
      {Cur(15000), varDouble, 1.5},
      {true, varInteger, 1},
      {7, varBoolean, true},
      {Variant::Unassigned(), varInteger, 0},
      {Variant::Unassigned(), varString, ""},
      {"xy", varByteArray, Blob("xy")},
      {Blob("xy"), varString, "xy"},
      {Arr({1}), varVariantArray, Arr({1})},
      {5, varNull, Variant::Null()},
      {5, varEmpty, Variant::Unassigned()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(DebugString(c.value) + " as " + Variant::TypeName(c.type));
    Variant v = c.value.AsType(c.type);
    EXPECT_EQ(v, c.expected) << DebugString(v);
    EXPECT_EQ(v.VarType(), c.expected.VarType());
  }
}

// ---------------------------------------------------------------------------------------
// Errors, each message text checked

TEST(VariantTest, ConversionErrorsAndTheirMessages) {
  struct Case {
    const char* what;
    std::function<void()> run;
    bool isConvertError;  // EConvertError, else EVariantError
    std::string message;
  };
  const Variant null;
  const std::vector<Case> cases = {
      // Impossible kinds.
      {"null to Integer", [&] { null.AsInteger(); }, false,
       "Could not convert variant of type (Null) into type (Integer)"},
      {"null to Double", [&] { null.AsFloat(); }, false,
       "Could not convert variant of type (Null) into type (Double)"},
      {"null to Boolean", [&] { null.AsBoolean(); }, false,
       "Could not convert variant of type (Null) into type (Boolean)"},
      {"null as String type", [&] { null.AsType(varString); }, false,
       "Could not convert variant of type (Null) into type (String)"},
      {"array to Int64", [] { Arr({1}).AsInt64(); }, false,
       "Could not convert variant of type (Array) into type (Int64)"},
      {"array to String", [] { Arr({1}).AsString(); }, false,
       "Could not convert variant of type (Array) into type (String)"},
      {"blob to Currency", [] { Blob("1").AsCurrency(); }, false,
       "Could not convert variant of type (Array Byte) into type (Currency)"},
      {"boolean to Date", [] { Variant(true).AsDateTime(); }, false,
       "Could not convert variant of type (Boolean) into type (Date)"},
      {"date to Boolean", [] { Variant(Dt(2000, 1, 1)).AsBoolean(); }, false,
       "Could not convert variant of type (Date) into type (Boolean)"},
      {"number to Bytes", [] { Variant(1).AsBytes(); }, false,
       "Could not convert variant of type (Integer) into type (Array Byte)"},
      {"string to array type", [] { Variant::FromText("1", varVariantArray); }, false,
       "Could not convert variant of type (String) into type (Array)"},
      // Text that does not parse.
      {"12abc", [] { Variant("12abc").AsInteger(); }, true, "'12abc' is not a valid integer value"},
      {"NUL in text", [] { Variant(std::string("12\0x", 4)).AsInteger(); }, true,
       "'12#0x' is not a valid integer value"},
      {"empty integer", [] { Variant("").AsInt64(); }, true, "'' is not a valid integer value"},
      {"blank integer", [] { Variant(" ").AsInteger(); }, true, "' ' is not a valid integer value"},
      {"fraction integer", [] { Variant("1.5").AsInteger(); }, true,
       "'1.5' is not a valid integer value"},
      {"+-1", [] { Variant("+-1").AsInteger(); }, true, "'+-1' is not a valid integer value"},
      {"hex integer", [] { Variant("0x10").AsInteger(); }, true,
       "'0x10' is not a valid integer value"},
      {"integer text out of range", [] { Variant("2147483648").AsInteger(); }, true,
       "'2147483648' is not a valid integer value"},
      {"smallint text out of range", [] { Variant::FromText("32768", varSmallint); }, true,
       "'32768' is not a valid integer value"},
      {"int64 text out of range", [] { Variant("9223372036854775808").AsInt64(); }, true,
       "'9223372036854775808' is not a valid integer value"},
      {"1,5", [] { Variant("1,5").AsFloat(); }, true, "'1,5' is not a valid floating point value"},
      {"empty float", [] { Variant("").AsFloat(); }, true, "'' is not a valid floating point value"},
      {"1e", [] { Variant("1e").AsFloat(); }, true, "'1e' is not a valid floating point value"},
      {"1e999", [] { Variant("1e999").AsFloat(); }, true,
       "'1e999' is not a valid floating point value"},
      {"nan(1)", [] { Variant("nan(1)").AsFloat(); }, true,
       "'nan(1)' is not a valid floating point value"},
      {"currency text", [] { Variant("1.2.3").AsCurrency(); }, true,
       "'1.2.3' is not a valid floating point value"},
      {"currency text out of range", [] { Variant("922337203685477.5808").AsCurrency(); }, true,
       "'922337203685477.5808' is not a valid floating point value"},
      {"yes", [] { Variant("yes").AsBoolean(); }, true, "'yes' is not a valid boolean value"},
      {"empty boolean", [] { Variant("").AsBoolean(); }, true, "'' is not a valid boolean value"},
      {"bad date", [] { Variant("2023-02-29").AsDateTime(); }, true,
       "'2023-02-29' is not a valid date and time"},
      {"bad time", [] { Variant("2024-01-01 24:00:00").AsDateTime(); }, true,
       "'2024-01-01 24:00:00' is not a valid date and time"},
      {"trailing text", [] { Variant("2024-01-01x").AsDateTime(); }, true,
       "'2024-01-01x' is not a valid date and time"},
      {"empty date", [] { Variant("").AsDateTime(); }, true, "'' is not a valid date and time"},
      {"date out of range", [] { Variant(TDateTime{1e9}).AsString(); }, true,
       "'1000000000' is not a valid date and time"},
      {"encode", [] { TDateTime::Encode(2024, 13, 1); }, true, "Invalid argument to date encode"},
      // Narrowing out of range: never wraps.
      {"1e12 to Integer", [] { Variant(1e12).AsInteger(); }, false,
       "Overflow while converting variant value 1000000000000 of type (Double) into type (Integer)"},
      {"int64 to Integer", [] { Variant(std::int64_t{1} << 31).AsInteger(); }, false,
       "Overflow while converting variant value 2147483648 of type (Int64) into type (Integer)"},
      {"integer to Smallint", [] { Variant(32768).AsSmallint(); }, false,
       "Overflow while converting variant value 32768 of type (Integer) into type (Smallint)"},
      {"negative to Word", [] { Variant(std::int16_t{-1}).AsWord(); }, false,
       "Overflow while converting variant value -1 of type (Smallint) into type (Word)"},
      {"1e19 to Int64", [] { Variant(1e19).AsInt64(); }, false,
       "Overflow while converting variant value 10000000000000000000 of type (Double) into type "
       "(Int64)"},
      {"NaN to Int64", [] { Variant(std::numeric_limits<double>::quiet_NaN()).AsInt64(); }, false,
       "Overflow while converting variant value NAN of type (Double) into type (Int64)"},
      {"currency to Smallint", [] { Variant(Cur(400000000)).AsSmallint(); }, false,
       "Overflow while converting variant value 40000 of type (Currency) into type (Smallint)"},
      {"int64 to Currency", [] { Variant(std::int64_t{INT64_MAX}).AsCurrency(); }, false,
       "Overflow while converting variant value 9223372036854775807 of type (Int64) into type "
       "(Currency)"},
      {"1e300 to Currency", [] { Variant(1e300).AsCurrency(); }, false,
       "Overflow while converting variant value 1e+300 of type (Double) into type (Currency)"},
      {"date to Smallint", [] { Variant(Dt(2000, 1, 1)).AsSmallint(); }, false,
       "Overflow while converting variant value 36526 of type (Date) into type (Smallint)"},
      {"uint64 to Int64", [] { Variant v(std::uint64_t{1} << 63); }, false,
       "Overflow while converting variant value 9223372036854775808 of type (UInt64) into type "
       "(Int64)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.isConvertError)
      EXPECT_EQ(MessageOf<EConvertError>(c.run), c.message);
    else
      EXPECT_EQ(MessageOf<EVariantError>(c.run), c.message);
  }
}

// ---------------------------------------------------------------------------------------
// Equality and order across kinds

TEST(VariantTest, EqualityAndOrder) {
  struct Case {
    Variant a, b;
    int order;  // Compare(a, b)
  };
  const std::int64_t big = (std::int64_t{1} << 53) + 1;  // not a double
  const std::vector<Case> cases = {
      // Numbers of every kind by value.
      {5, std::int64_t{5}, 0},
      {5, 5.0, 0},
      {5, Cur(50000), 0},
      {std::int16_t{5}, std::uint16_t{5}, 0},
      {std::uint16_t{65535}, std::int16_t{-1}, 1},
      {5.0, Cur(50000), 0},
      {0.1, Cur(1000), 0},
      {0.10000001, Cur(1000), 1},
      {5, 5.5, -1},
      {5, Cur(50001), -1},
      {-5, Cur(-50001), 1},
      {Cur(-1), 0, -1},
      {Cur(-1), -1, 1},
      {-0.0, 0, 0},
      {big, static_cast<double>(big), 1},  // the double is 2^53
      {std::int64_t{INT64_MAX}, 9223372036854775808.0, -1},
      {std::int64_t{INT64_MIN}, -9223372036854775808.0, 0},
      {std::int64_t{INT64_MIN}, -1e300, 1},
      {1, std::numeric_limits<double>::infinity(), -1},
      {std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::infinity(), -1},
      {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN(), 0},
      // Dates are numbers of days.
      {Dt(2000, 1, 1), 36526, 0},
      {Dt(2000, 1, 1, 12), 36526.5, 0},
      {Dt(2000, 1, 1, 12), Dt(2000, 1, 1, 12, 0, 0, 1), -1},
      {Dt(1899, 12, 29, 6), Dt(1899, 12, 29, 12), 1},  // before 1899-12-30 values run backwards
      // Booleans with booleans.
      {false, true, -1},
      {true, true, 0},
      // Strings by bytes (code point order).
      {"a", "b", -1},
      {"a", "ab", -1},
      {"B", "a", -1},
      {"z", "é", -1},
      {"é", "é", 0},
      {"", "", 0},
      // Blobs by bytes.
      {Blob("\x01"), Blob("\xff"), -1},
      {Blob("ab"), Blob("a"), 1},
      {Blob(""), Blob(""), 0},
      // Arrays element by element.
      {Arr({1, "a"}), Arr({1.0, "a"}), 0},
      {Arr({1, "a"}), Arr({1, "b"}), -1},
      {Arr({1}), Arr({1, Variant()}), -1},
      {Arr({Variant(), 2}), Arr({0, 1}), -1},
      {Arr({Arr({1})}), Arr({Arr({Cur(10000)})}), 0},
      {Arr({}), Arr({}), 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(DebugString(c.a) + " vs " + DebugString(c.b));
    EXPECT_EQ(Variant::Compare(c.a, c.b), c.order);
    EXPECT_EQ(Variant::Compare(c.b, c.a), -c.order);
    EXPECT_EQ(c.a == c.b, c.order == 0);
    EXPECT_EQ(c.b == c.a, c.order == 0);
    if (c.order == 0) {
      EXPECT_EQ(c.a.Hash(), c.b.Hash());
    }
  }
}

TEST(VariantTest, IncomparableKindsRaiseOnCompareAndAreUnequal) {
  struct Case {
    Variant a, b;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"5", 5, "Cannot compare a variant of type (String) with one of type (Integer)"},
      {5.0, "5", "Cannot compare a variant of type (Double) with one of type (String)"},
      {true, 1, "Cannot compare a variant of type (Boolean) with one of type (Integer)"},
      {Cur(0), false, "Cannot compare a variant of type (Currency) with one of type (Boolean)"},
      {true, "True", "Cannot compare a variant of type (Boolean) with one of type (String)"},
      {Dt(2000, 1, 1), "2000-01-01",
       "Cannot compare a variant of type (Date) with one of type (String)"},
      {Blob("a"), "a", "Cannot compare a variant of type (Array Byte) with one of type (String)"},
      {Blob("a"), Arr({"a"}), "Cannot compare a variant of type (Array Byte) with one of type (Array)"},
      {Arr({1}), 1, "Cannot compare a variant of type (Array) with one of type (Integer)"},
      {std::int64_t{1}, Arr({1}), "Cannot compare a variant of type (Int64) with one of type (Array)"},
      // Arrays compare their elements, which may be incomparable.
      {Arr({1, 2}), Arr({1, "2"}), "Cannot compare a variant of type (Integer) with one of type (String)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(DebugString(c.a) + " vs " + DebugString(c.b));
    EXPECT_EQ(MessageOf<EVariantError>([&] { Variant::Compare(c.a, c.b); }), c.message);
    EXPECT_FALSE(c.a == c.b);
    EXPECT_FALSE(c.b == c.a);
    EXPECT_TRUE(c.a != c.b);
  }
  // Element-wise equality stops at the first difference without raising.
  EXPECT_FALSE(Arr({1, "x"}) == Arr({"1", "x"}));
}

// ---------------------------------------------------------------------------------------
// Hash consistent with ==

TEST(VariantTest, EqualValuesHashEqually) {
  const std::vector<std::vector<Variant>> groups = {
      {5, std::int16_t{5}, std::uint16_t{5}, std::int64_t{5}, 5.0, Cur(50000), Dt(1900, 1, 4),
       Variant("5").AsType(varInteger)},
      {0, 0.0, -0.0, Cur(0), std::int16_t{0}},
      {1.5, Cur(15000), Dt(1899, 12, 31, 12)},
      {0.1, Cur(1000)},
      {std::int64_t{1} << 60, static_cast<double>(std::int64_t{1} << 60)},
      {Cur(INT64_MAX), Variant(Cur(INT64_MAX)).AsFloat()},
      {std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN()},
      {"abc", std::string("abc"), Variant::FromText("abc", varString)},
      {Blob("abc"), Variant::FromText("abc", varByteArray)},
      {Arr({1, "a", Variant()}), Arr({1.0, "a", Variant::Null()}), Arr({Cur(10000), "a", Variant()})},
      {Variant(), Variant::Null()},
      {true, Variant("true").AsType(varBoolean)},
  };
  for (const auto& group : groups) {
    for (const Variant& a : group) {
      for (const Variant& b : group) {
        SCOPED_TRACE(DebugString(a) + " vs " + DebugString(b));
        EXPECT_TRUE(a == b);
        EXPECT_EQ(a.Hash(), b.Hash());
        EXPECT_EQ(std::hash<Variant>()(a), b.Hash());
      }
    }
  }
  // In a hash set, equal values of different kinds are one key.
  std::unordered_set<Variant> set;
  for (const auto& group : groups)
    for (const Variant& v : group) set.insert(v);
  EXPECT_EQ(set.size(), groups.size());
  // Unequal values of different kinds stay apart.
  std::unordered_set<Variant> apart = {Variant(), Variant::Unassigned(), "", 0, false, "0", Blob(""),
                                       Arr({}), Arr({0})};
  EXPECT_EQ(apart.size(), 9u);
}

// ---------------------------------------------------------------------------------------
// Arrays

TEST(VariantTest, ArraysAndIndexErrors) {
  Variant a = Arr({1, "two", Arr({3.0, Variant()}), Blob("4")});
  ASSERT_EQ(a.ArrayCount(), 4u);
  EXPECT_EQ(a[0], 1);
  EXPECT_EQ(a[1].AsString(), "two");
  EXPECT_EQ(a[2].ArrayCount(), 2u);
  EXPECT_EQ(a[2][0], 3);
  EXPECT_TRUE(a[2][1].IsNull());
  EXPECT_EQ(a[3].AsBytes(), TBytes({'4'}));
  EXPECT_EQ(a.AsArray().size(), 4u);
  EXPECT_EQ(Variant(std::vector<Variant>{}).ArrayCount(), 0u);

  EXPECT_EQ(MessageOf<EVariantError>([&] { a[4]; }), "Variant array index out of bounds (4)");
  EXPECT_EQ(MessageOf<EVariantError>([&] { a[2][2]; }), "Variant array index out of bounds (2)");
  EXPECT_EQ(MessageOf<EVariantError>([] { Variant(5).ArrayCount(); }),
            "Could not convert variant of type (Integer) into type (Array)");
  EXPECT_EQ(MessageOf<EVariantError>([] { Blob("x")[0]; }),
            "Could not convert variant of type (Array Byte) into type (Array)");

  // Copies are independent values.
  Variant b = a;
  EXPECT_EQ(a, b);
  Variant moved = std::move(b);
  EXPECT_EQ(moved, a);
  b = Variant(1);
  EXPECT_EQ(b, 1);
}

// ---------------------------------------------------------------------------------------
// Date-time encoding

TEST(VariantTest, DateTimeEncodeDecode) {
  EXPECT_EQ(Dt(1899, 12, 30).Value, 0);
  EXPECT_EQ(Dt(1900, 1, 1).Value, 2);
  EXPECT_EQ(Dt(2000, 1, 1).Value, 36526);
  EXPECT_EQ(Dt(1899, 12, 30, 6).Value, 0.25);
  EXPECT_EQ(Dt(1899, 12, 29, 6).Value, -1.25);  // Delphi: day minus time before the epoch
  EXPECT_EQ(Dt(1, 1, 1).Value, -693593);
  EXPECT_EQ(Dt(9999, 12, 31).Value, 2958465);

  TDateTime::Parts p = Dt(2024, 2, 29, 23, 59, 58, 999).Decode();
  EXPECT_EQ(p.Year, 2024);
  EXPECT_EQ(p.Month, 2);
  EXPECT_EQ(p.Day, 29);
  EXPECT_EQ(p.Hour, 23);
  EXPECT_EQ(p.Minute, 59);
  EXPECT_EQ(p.Second, 58);
  EXPECT_EQ(p.MSec, 999);

  p = TDateTime{-1.25}.Decode();
  EXPECT_EQ(p.Day, 29);
  EXPECT_EQ(p.Hour, 6);

  // Every day of a few centuries decodes back to itself.
  for (int y : {1, 4, 100, 400, 1600, 1899, 1900, 2000, 2100, 9999})
    for (int m = 1; m <= 12; ++m)
      for (int d : {1, 28, 29, 30, 31}) {
        TDateTime dt;
        if (!TDateTime::TryEncode(y, m, d, 12, 34, 56, 789, dt)) continue;
        TDateTime::Parts q = dt.Decode();
        EXPECT_EQ(q.Year, y);
        EXPECT_EQ(q.Month, m);
        EXPECT_EQ(q.Day, d);
        EXPECT_EQ(q.MSec, 789);
      }
  TDateTime dt;
  EXPECT_FALSE(TDateTime::TryEncode(1900, 2, 29, 0, 0, 0, 0, dt));
  EXPECT_TRUE(TDateTime::TryEncode(2000, 2, 29, 0, 0, 0, 0, dt));
  EXPECT_FALSE(TDateTime::TryEncode(0, 1, 1, 0, 0, 0, 0, dt));
  EXPECT_FALSE(TDateTime::TryEncode(2000, 1, 1, 0, 0, 60, 0, dt));
  EXPECT_FALSE(TDateTime::TryEncode(2000, 1, 1, 0, 0, 0, 1000, dt));
}

TEST(VariantTest, DateTimeValidityIsWhatDecodeAccepts) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    double value;
    bool valid;
  };
  const Case cases[] = {
      {0, true},         {2958465.999, true}, {2958466, false}, {-693593, true},
      {-693594.5, false}, {1e300, false},      {-3e9, false},    {-1e300, false},
      {inf, false},      {-inf, false},       {std::numeric_limits<double>::quiet_NaN(), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    TDateTime dt{c.value};
    EXPECT_EQ(dt.IsValid(), c.valid);
    if (c.valid) {
      EXPECT_NO_THROW(dt.Decode());
      EXPECT_NO_THROW(dt.CheckValid());
    } else {
      EXPECT_THROW(dt.Decode(), EConvertError);
      EXPECT_THROW(dt.CheckValid(), EConvertError);
    }
  }
}

TEST(VariantTest, DebugString) {
  EXPECT_EQ(DebugString(Variant()), "Null");
  EXPECT_EQ(DebugString(Variant::Unassigned()), "Empty");
  EXPECT_EQ(DebugString(Variant(5)), "Integer(5)");
  EXPECT_EQ(DebugString(Variant("a")), "String(\"a\")");
  EXPECT_EQ(DebugString(Blob("\x01\xab")), "Array Byte(01AB)");
  EXPECT_EQ(DebugString(Arr({1, Variant()})), "Array(Integer(1), Null)");
  EXPECT_EQ(DebugString(Variant(TDateTime{1e9})), "Date(1000000000)");
}

}  // namespace
}  // namespace fw
