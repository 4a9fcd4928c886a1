#include "framework/core/Variant.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <ostream>
#include <system_error>

#include "framework/core/Consts.h"
#include "framework/core/Exceptions.h"
#include "framework/core/Text.h"

namespace fw {

namespace {

// ---------------------------------------------------------------------------------------
// Numbers

constexpr double kTwo63 = 9223372036854775808.0;  // 2^63
constexpr double kTwo53 = 9007199254740992.0;     // 2^53
constexpr std::int64_t kCurrencyScale = 10000;

/// Round half to even (Delphi's Round of variants), independent of the FPU rounding mode.
double RoundHalfEven(double x) {
  double fl = std::floor(x);
  double diff = x - fl;  // exact
  if (diff > 0.5) return fl + 1;
  if (diff < 0.5) return fl;
  return std::fmod(fl, 2.0) == 0 ? fl : fl + 1;
}

/// Whether a finite double fits in int64 (after it has been made integral).
bool FitsInt64(double d) { return d >= -kTwo63 && d < kTwo63; }

std::string AsciiUpper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

/// Shortest text that reads back to the same double, '.' as decimal separator: plain digits
/// for 1e-7 <= |d| < 1e21 (as JavaScript writes numbers), else "1.5e+300"; "NAN", "INF",
/// "-INF" for the special values.
std::string FloatToText(double d) {
  if (std::isnan(d)) return "NAN";
  if (std::isinf(d)) return d < 0 ? "-INF" : "INF";
  char buf[400];  // the fixed form of 1e21 minus a bit, or of 1e-7 with 17 digits, fits easily
  double a = std::fabs(d);
  auto format = a == 0 || (a >= 1e-7 && a < 1e21) ? std::chars_format::fixed
                                                   : std::chars_format::scientific;
  auto r = std::to_chars(buf, buf + sizeof buf, d, format);
  return std::string(buf, r.ptr);
}

bool TryParseInt64(std::string_view text, std::int64_t& out) {
  std::string t = Trim(text);
  std::string_view s = t;
  if (!s.empty() && s[0] == '+') {
    s.remove_prefix(1);
    if (!s.empty() && s[0] == '-') return false;
  }
  if (s.empty()) return false;
  auto r = std::from_chars(s.data(), s.data() + s.size(), out);
  return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool TryParseDouble(std::string_view text, double& out) {
  std::string t = Trim(text);
  std::string_view s = t;
  bool negative = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  if (s.empty() || s[0] == '+' || s[0] == '-') return false;
  std::string upper = AsciiUpper(s);
  if (upper == "INF" || upper == "INFINITY") {
    out = negative ? -std::numeric_limits<double>::infinity()
                   : std::numeric_limits<double>::infinity();
    return true;
  }
  if (upper == "NAN") {
    out = std::numeric_limits<double>::quiet_NaN();
    return true;
  }
  // Only digits, one '.', and an exponent: from_chars would also take "nan(...)" and such.
  for (char c : s)
    if (!((c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-'))
      return false;
  double v = 0;
  auto r = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return false;
  out = negative ? -v : v;
  return true;
}

/// Currency as text: up to 4 decimals, no trailing zeros.
std::string CurrencyToText(std::int64_t c) {
  std::uint64_t mag = c < 0 ? 0 - static_cast<std::uint64_t>(c) : static_cast<std::uint64_t>(c);
  std::string out = c < 0 ? "-" : "";
  out += std::to_string(mag / kCurrencyScale);
  auto frac = static_cast<unsigned>(mag % kCurrencyScale);
  if (frac != 0) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04u", frac);
    std::string digits(buf);
    while (digits.back() == '0') digits.pop_back();
    out += '.';
    out += digits;
  }
  return out;
}

/// The double nearest to the currency's value (no allocation: used by == and Hash).
double CurrencyToDouble(std::int64_t c) {
  if (c > -static_cast<std::int64_t>(kTwo53) && c < static_cast<std::int64_t>(kTwo53))
    return static_cast<double>(c) / kCurrencyScale;  // exact operands: one rounding
  // "<digits>e-4" read back rounds once, to the nearest double.
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf - 3, c);
  std::memcpy(r.ptr, "e-4", 3);
  double d = 0;
  std::from_chars(buf, r.ptr + 3, d);
  return d;
}

bool DoubleToCurrency(double d, std::int64_t& out) {
  if (!std::isfinite(d)) return false;
  double r = RoundHalfEven(d * kCurrencyScale);
  if (!FitsInt64(r)) return false;
  out = static_cast<std::int64_t>(r);
  return true;
}

/// Exact decimal text to currency (a fifth decimal and beyond round half to even).
bool TryParseCurrency(std::string_view text, std::int64_t& out) {
  std::string t = Trim(text);
  std::string_view s = t;
  if (s.find_first_of("eEnNiI") != std::string_view::npos) {
    double d = 0;
    return TryParseDouble(s, d) && DoubleToCurrency(d, out);
  }
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  constexpr std::uint64_t kLimit = 9223372036854775808ULL;  // 2^63
  std::uint64_t whole = 0;
  int digits = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i, ++digits) {
    whole = whole * 10 + static_cast<unsigned>(s[i] - '0');
    if (whole > kLimit / kCurrencyScale) return false;
  }
  std::uint64_t frac = 0;
  int fracDigits = 0, roundDigit = 0;
  bool sticky = false;
  if (i < s.size() && s[i] == '.') {
    for (++i; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i, ++digits, ++fracDigits) {
      int d = s[i] - '0';
      if (fracDigits < 4)
        frac = frac * 10 + static_cast<unsigned>(d);
      else if (fracDigits == 4)
        roundDigit = d;
      else if (d != 0)
        sticky = true;
    }
  }
  if (digits == 0 || i != s.size()) return false;
  for (int k = fracDigits; k < 4; ++k) frac *= 10;
  std::uint64_t mag = whole * kCurrencyScale + frac;
  if (roundDigit > 5 || (roundDigit == 5 && (sticky || (mag & 1)))) ++mag;
  if (mag > (negative ? kLimit : kLimit - 1)) return false;
  out = negative ? static_cast<std::int64_t>(0 - mag) : static_cast<std::int64_t>(mag);
  return true;
}

/// Currency to an integer, rounding half to even.
std::int64_t CurrencyToInt64(std::int64_t c) {
  std::int64_t q = c / kCurrencyScale, r = c % kCurrencyScale;
  std::int64_t sign = c < 0 ? -1 : 1;
  std::int64_t absR = r < 0 ? -r : r;
  if (absR > kCurrencyScale / 2 || (absR == kCurrencyScale / 2 && (q & 1))) q += sign;
  return q;
}

// ---------------------------------------------------------------------------------------
// Dates (proleptic Gregorian; H. Hinnant's civil-day algorithms)

constexpr std::int64_t kMSecsPerDay = 86400000;

constexpr std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

constexpr std::int64_t kEpoch = DaysFromCivil(1899, 12, 30);
constexpr std::int64_t kMinDays = DaysFromCivil(1, 1, 1) - kEpoch;        // -693593
constexpr std::int64_t kMaxDays = DaysFromCivil(9999, 12, 31) - kEpoch;   // 2958465

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

bool ValidDate(int year, int month, int day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInMonth(year, month);
}

/// A day (relative to 1899-12-30) and the milliseconds of the time of day, as Delphi does.
TDateTime Compose(std::int64_t days, std::int64_t msecOfDay) {
  double time = static_cast<double>(msecOfDay) / kMSecsPerDay;
  double d = static_cast<double>(days);
  return TDateTime{days >= 0 ? d + time : d - time};
}

/// Splits into day and milliseconds of the day; false out of years 1..9999.
bool Split(double value, std::int64_t& days, std::int64_t& msecOfDay) {
  if (!(value > static_cast<double>(kMinDays - 1) && value < static_cast<double>(kMaxDays + 1)))
    return false;
  auto ms = static_cast<std::int64_t>(std::llround(value * kMSecsPerDay));
  days = ms / kMSecsPerDay;
  msecOfDay = (ms < 0 ? -ms : ms) % kMSecsPerDay;
  return days >= kMinDays && days <= kMaxDays;
}

std::string DateTimeToText(TDateTime dt) {
  TDateTime::Parts p = dt.Decode();
  char buf[48];
  if (p.MSec)
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", p.Year, p.Month, p.Day,
                  p.Hour, p.Minute, p.Second, p.MSec);
  else if (p.Hour || p.Minute || p.Second)
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", p.Year, p.Month, p.Day,
                  p.Hour, p.Minute, p.Second);
  else
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", p.Year, p.Month, p.Day);
  return buf;
}

bool ReadDigits(std::string_view s, std::size_t& i, int minCount, int maxCount, int& out) {
  int count = 0;
  out = 0;
  while (i < s.size() && count < maxCount && s[i] >= '0' && s[i] <= '9') {
    out = out * 10 + (s[i++] - '0');
    ++count;
  }
  return count >= minCount;
}

bool ReadChar(std::string_view s, std::size_t& i, char c) {
  if (i < s.size() && s[i] == c) {
    ++i;
    return true;
  }
  return false;
}

/// "HH:MM[:SS[.fraction]]" up to the end; the fraction rounds to milliseconds (which may give
/// 86400000 at 23:59:59.9995 and beyond: the caller carries it into the next day).
bool ReadTime(std::string_view s, std::size_t& i, std::int64_t& msec) {
  int h = 0, m = 0, sec = 0, ms = 0;
  if (!ReadDigits(s, i, 1, 2, h) || !ReadChar(s, i, ':') || !ReadDigits(s, i, 2, 2, m))
    return false;
  if (ReadChar(s, i, ':')) {
    if (!ReadDigits(s, i, 2, 2, sec)) return false;
    if (ReadChar(s, i, '.')) {
      int count = 0;
      bool roundUp = false;
      for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i, ++count) {
        if (count < 3)
          ms = ms * 10 + (s[i] - '0');
        else if (count == 3)
          roundUp = s[i] >= '5';
      }
      if (count == 0) return false;
      for (int k = count; k < 3; ++k) ms *= 10;
      if (roundUp) ++ms;
    }
  }
  if (i != s.size() || h > 23 || m > 59 || sec > 59) return false;
  msec = ((h * 60 + m) * 60 + sec) * std::int64_t{1000} + ms;
  return true;
}

bool TryParseDateTime(std::string_view text, TDateTime& out) {
  std::string t = Trim(text);
  std::string_view s = t;
  std::size_t i = 0;
  int y = 0, mo = 0, d = 0;
  std::int64_t days = 0, msec = 0;
  if (ReadDigits(s, i, 4, 4, y) && ReadChar(s, i, '-') && ReadDigits(s, i, 1, 2, mo) &&
      ReadChar(s, i, '-') && ReadDigits(s, i, 1, 2, d)) {
    if (!ValidDate(y, mo, d)) return false;
    days = DaysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d)) - kEpoch;
    if (i != s.size()) {
      if (!ReadChar(s, i, ' ') && !ReadChar(s, i, 'T')) return false;
      if (!ReadTime(s, i, msec)) return false;
    }
  } else {
    i = 0;  // a time of day alone: on 1899-12-30
    if (!ReadTime(s, i, msec)) return false;
  }
  if (msec >= kMSecsPerDay) {
    msec -= kMSecsPerDay;
    ++days;
  }
  if (days > kMaxDays) return false;
  out = Compose(days, msec);
  return true;
}

// ---------------------------------------------------------------------------------------
// Hashing

std::uint64_t Mix(std::uint64_t x) {
  x ^= x >> 33;
  x *= 0xff51afd7ed558ccdULL;
  x ^= x >> 33;
  x *= 0xc4ceb9fe1a85ec53ULL;
  x ^= x >> 33;
  return x;
}

constexpr std::uint64_t kNumberSeed = 0x9e3779b97f4a7c15ULL;

std::uint64_t HashInt(std::int64_t i) { return Mix(static_cast<std::uint64_t>(i) ^ kNumberSeed); }

std::uint64_t HashDouble(double d) {
  if (std::isnan(d)) return Mix(0x7ff8000000000000ULL ^ kNumberSeed);
  if (std::isfinite(d) && d == std::trunc(d) && FitsInt64(d))
    return HashInt(static_cast<std::int64_t>(d));  // also turns -0.0 into 0
  std::uint64_t bits = 0;
  std::memcpy(&bits, &d, sizeof bits);
  return Mix(bits ^ (kNumberSeed << 1));
}

}  // namespace

// -----------------------------------------------------------------------------------------
// TDateTime

bool TDateTime::TryEncode(int year, int month, int day, int hour, int minute, int second,
                          int msec, TDateTime& result) {
  if (!ValidDate(year, month, day) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
      second < 0 || second > 59 || msec < 0 || msec > 999)
    return false;
  std::int64_t days =
      DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kEpoch;
  result = Compose(days, ((hour * 60 + minute) * 60 + second) * std::int64_t{1000} + msec);
  return true;
}

TDateTime TDateTime::Encode(int year, int month, int day, int hour, int minute, int second,
                            int msec) {
  TDateTime result;
  if (!TryEncode(year, month, day, hour, minute, second, msec, result))
    throw EConvertError(SDateEncodeError);
  return result;
}

bool TDateTime::IsValid() const {
  std::int64_t days = 0, msec = 0;
  return Split(Value, days, msec);
}

void TDateTime::CheckValid() const {
  if (!IsValid()) throw EConvertError(Format(SInvalidDateTime, {FloatToText(Value)}));
}

TDateTime::Parts TDateTime::Decode() const {
  std::int64_t days = 0, msec = 0;
  if (!Split(Value, days, msec)) throw EConvertError(Format(SInvalidDateTime, {FloatToText(Value)}));
  Parts p;
  CivilFromDays(days + kEpoch, p.Year, p.Month, p.Day);
  p.MSec = static_cast<int>(msec % 1000);
  p.Second = static_cast<int>(msec / 1000 % 60);
  p.Minute = static_cast<int>(msec / 60000 % 60);
  p.Hour = static_cast<int>(msec / 3600000);
  return p;
}

// -----------------------------------------------------------------------------------------
// Variant: construction, type

Variant Variant::Unassigned() noexcept {
  Variant v;
  v.FValue.emplace<kEmpty>();
  return v;
}

Variant Variant::FromBytes(TBytes bytes) noexcept {
  Variant v;
  v.FValue.emplace<kBytes>(std::move(bytes));
  return v;
}

Variant Variant::FromText(std::string_view text, TVarType type) {
  return Variant(text).AsType(type);
}

void Variant::RaiseUnsignedOverflow(std::uint64_t v) {
  throw EVariantError(Format(SVarOverflow, {std::to_string(v), "UInt64", TypeName(varInt64)}));
}

TVarType Variant::VarType() const noexcept {
  static constexpr TVarType kCodes[] = {varNull,     varEmpty,   varBoolean, varSmallint, varWord,
                                        varInteger,  varInt64,   varDouble,  varCurrency, varDate,
                                        varString,   varByteArray, varVariantArray};
  static_assert(sizeof kCodes / sizeof kCodes[0] == std::variant_size_v<Storage>);
  return kCodes[FValue.index()];
}

std::string Variant::TypeName(TVarType type) {
  if (type == varVariantArray) return "Array";
  if (type & varArray) return "Array " + TypeName(static_cast<TVarType>(type & varTypeMask));
  switch (type) {
    case varEmpty: return "Empty";
    case varNull: return "Null";
    case varSmallint: return "Smallint";
    case varInteger: return "Integer";
    case varSingle: return "Single";
    case varDouble: return "Double";
    case varCurrency: return "Currency";
    case varDate: return "Date";
    case varOleStr: return "OleStr";
    case varDispatch: return "Dispatch";
    case varError: return "Error";
    case varBoolean: return "Boolean";
    case varVariant: return "Variant";
    case varUnknown: return "Unknown";
    case varShortInt: return "ShortInt";
    case varByte: return "Byte";
    case varWord: return "Word";
    case varLongWord: return "LongWord";
    case varInt64: return "Int64";
    case varUInt64: return "UInt64";
    case varString: return "String";
    default: break;
  }
  char buf[8];
  std::snprintf(buf, sizeof buf, "$%04X", static_cast<unsigned>(type));
  return buf;
}

// -----------------------------------------------------------------------------------------
// Arrays

std::size_t Variant::ArrayCount() const { return AsArray().size(); }

const std::vector<Variant>& Variant::AsArray() const {
  if (FValue.index() != kArray) RaiseCast(varVariantArray);
  return std::get<kArray>(FValue);
}

const Variant& Variant::operator[](std::size_t index) const {
  const auto& items = AsArray();
  if (index >= items.size()) throw EVariantError(Format(SVarArrayBounds, {index}));
  return items[index];
}

// -----------------------------------------------------------------------------------------
// Conversions

void Variant::RaiseCast(TVarType target) const {
  throw EVariantError(Format(SInvalidVarCast, {TypeName(), TypeName(target)}));
}

void Variant::RaiseOverflow(TVarType target) const {
  std::string value =
      IsDateTime() ? FloatToText(std::get<kDate>(FValue).Value) : AsString();
  throw EVariantError(Format(SVarOverflow, {value, TypeName(), TypeName(target)}));
}

std::int64_t Variant::ToOrdinal(TVarType target, std::int64_t lo, std::int64_t hi) const {
  std::int64_t v = 0;
  switch (FValue.index()) {
    case kEmpty: return 0;
    case kBoolean: v = std::get<kBoolean>(FValue) ? 1 : 0; break;
    case kSmallint: v = std::get<kSmallint>(FValue); break;
    case kWord: v = std::get<kWord>(FValue); break;
    case kInteger: v = std::get<kInteger>(FValue); break;
    case kInt64: v = std::get<kInt64>(FValue); break;
    case kDouble:
    case kDate: {
      double d = FValue.index() == kDouble ? std::get<kDouble>(FValue) : std::get<kDate>(FValue).Value;
      if (!std::isfinite(d)) RaiseOverflow(target);
      double r = RoundHalfEven(d);
      if (!FitsInt64(r)) RaiseOverflow(target);
      v = static_cast<std::int64_t>(r);
      break;
    }
    case kCurrency: v = CurrencyToInt64(std::get<kCurrency>(FValue).Value); break;
    case kString: {
      const std::string& s = std::get<kString>(FValue);
      if (!TryParseInt64(s, v) || v < lo || v > hi)
        throw EConvertError(Format(SInvalidInteger, {s}));
      return v;
    }
    default: RaiseCast(target);
  }
  if (v < lo || v > hi) RaiseOverflow(target);
  return v;
}

bool Variant::AsBoolean() const {
  switch (FValue.index()) {
    case kEmpty: return false;
    case kBoolean: return std::get<kBoolean>(FValue);
    case kSmallint: return std::get<kSmallint>(FValue) != 0;
    case kWord: return std::get<kWord>(FValue) != 0;
    case kInteger: return std::get<kInteger>(FValue) != 0;
    case kInt64: return std::get<kInt64>(FValue) != 0;
    case kDouble: return std::get<kDouble>(FValue) != 0;
    case kCurrency: return std::get<kCurrency>(FValue).Value != 0;
    case kString: {
      const std::string& s = std::get<kString>(FValue);
      std::string upper = AsciiUpper(Trim(s));
      if (upper == "TRUE") return true;
      if (upper == "FALSE") return false;
      double d = 0;
      if (TryParseDouble(s, d)) return d != 0;
      throw EConvertError(Format(SInvalidBoolean, {s}));
    }
    default: RaiseCast(varBoolean);
  }
}

std::int16_t Variant::AsSmallint() const {
  return static_cast<std::int16_t>(ToOrdinal(varSmallint, INT16_MIN, INT16_MAX));
}

std::uint16_t Variant::AsWord() const {
  return static_cast<std::uint16_t>(ToOrdinal(varWord, 0, UINT16_MAX));
}

std::int32_t Variant::AsInteger() const {
  return static_cast<std::int32_t>(ToOrdinal(varInteger, INT32_MIN, INT32_MAX));
}

std::int64_t Variant::AsInt64() const { return ToOrdinal(varInt64, INT64_MIN, INT64_MAX); }

double Variant::AsFloat() const {
  switch (FValue.index()) {
    case kEmpty: return 0;
    case kBoolean: return std::get<kBoolean>(FValue) ? 1 : 0;
    case kSmallint: return std::get<kSmallint>(FValue);
    case kWord: return std::get<kWord>(FValue);
    case kInteger: return std::get<kInteger>(FValue);
    case kInt64: return static_cast<double>(std::get<kInt64>(FValue));
    case kDouble: return std::get<kDouble>(FValue);
    case kCurrency: return CurrencyToDouble(std::get<kCurrency>(FValue).Value);
    case kDate: return std::get<kDate>(FValue).Value;
    case kString: {
      const std::string& s = std::get<kString>(FValue);
      double d = 0;
      if (!TryParseDouble(s, d)) throw EConvertError(Format(SInvalidFloat, {s}));
      return d;
    }
    default: RaiseCast(varDouble);
  }
}

TCurrency Variant::AsCurrency() const {
  std::int64_t c = 0;
  switch (FValue.index()) {
    case kEmpty: return TCurrency{0};
    case kBoolean: return TCurrency{std::get<kBoolean>(FValue) ? kCurrencyScale : 0};
    case kSmallint:
    case kWord:
    case kInteger:
    case kInt64: {
      std::int64_t v = AsInt64();
      if (v > INT64_MAX / kCurrencyScale || v < INT64_MIN / kCurrencyScale)
        RaiseOverflow(varCurrency);
      return TCurrency{v * kCurrencyScale};
    }
    case kDouble:
    case kDate:
      if (!DoubleToCurrency(AsFloat(), c)) RaiseOverflow(varCurrency);
      return TCurrency{c};
    case kCurrency: return std::get<kCurrency>(FValue);
    case kString: {
      const std::string& s = std::get<kString>(FValue);
      if (!TryParseCurrency(s, c)) throw EConvertError(Format(SInvalidFloat, {s}));
      return TCurrency{c};
    }
    default: RaiseCast(varCurrency);
  }
}

TDateTime Variant::AsDateTime() const {
  switch (FValue.index()) {
    case kEmpty: return TDateTime{0};
    case kSmallint:
    case kWord:
    case kInteger:
    case kInt64:
    case kDouble:
    case kCurrency: return TDateTime{AsFloat()};
    case kDate: return std::get<kDate>(FValue);
    case kString: {
      const std::string& s = std::get<kString>(FValue);
      TDateTime dt;
      if (!TryParseDateTime(s, dt)) throw EConvertError(Format(SInvalidDateTime, {s}));
      return dt;
    }
    default: RaiseCast(varDate);
  }
}

std::string Variant::AsString() const {
  switch (FValue.index()) {
    case kNull:
    case kEmpty: return std::string();
    case kBoolean: return std::get<kBoolean>(FValue) ? "True" : "False";
    case kSmallint: return std::to_string(std::get<kSmallint>(FValue));
    case kWord: return std::to_string(std::get<kWord>(FValue));
    case kInteger: return std::to_string(std::get<kInteger>(FValue));
    case kInt64: return std::to_string(std::get<kInt64>(FValue));
    case kDouble: return FloatToText(std::get<kDouble>(FValue));
    case kCurrency: return CurrencyToText(std::get<kCurrency>(FValue).Value);
    case kDate: return DateTimeToText(std::get<kDate>(FValue));
    case kString: return std::get<kString>(FValue);
    case kBytes: {
      const TBytes& b = std::get<kBytes>(FValue);
      return std::string(b.begin(), b.end());
    }
    default: RaiseCast(varString);
  }
}

TBytes Variant::AsBytes() const {
  switch (FValue.index()) {
    case kEmpty: return TBytes();
    case kString: {
      const std::string& s = std::get<kString>(FValue);
      return TBytes(s.begin(), s.end());
    }
    case kBytes: return std::get<kBytes>(FValue);
    default: RaiseCast(varByteArray);
  }
}

Variant Variant::AsType(TVarType type) const {
  if (type == VarType()) return *this;
  switch (type) {
    case varEmpty: return Unassigned();
    case varNull: return Null();
    case varBoolean: return AsBoolean();
    case varSmallint: return AsSmallint();
    case varWord: return AsWord();
    case varInteger: return AsInteger();
    case varInt64: return AsInt64();
    case varSingle:
    case varDouble: return AsFloat();
    case varCurrency: return AsCurrency();
    case varDate: return AsDateTime();
    case varString:
      if (IsNull()) RaiseCast(varString);  // as Delphi's VarAsType: only VarToStr makes "" of Null
      return AsString();
    case varByteArray: return FromBytes(AsBytes());
    default: RaiseCast(type);
  }
}

// -----------------------------------------------------------------------------------------
// Comparison and hashing

struct VariantAccess {
  enum Class { cNull, cBoolean, cNumber, cString, cBytes, cArray };

  /// A number: an integer, a currency (int64 / 10000) or a double.
  struct Number {
    enum Kind { Int, Cur, Dbl } kind = Int;
    std::int64_t i = 0;
    double d = 0;
  };

  static Class ClassOf(const Variant& v) {
    switch (v.FValue.index()) {
      case Variant::kNull:
      case Variant::kEmpty: return cNull;
      case Variant::kBoolean: return cBoolean;
      case Variant::kString: return cString;
      case Variant::kBytes: return cBytes;
      case Variant::kArray: return cArray;
      default: return cNumber;
    }
  }

  static Number NumberOf(const Variant& v) {
    Number n;
    switch (v.FValue.index()) {
      case Variant::kSmallint: n.i = std::get<Variant::kSmallint>(v.FValue); break;
      case Variant::kWord: n.i = std::get<Variant::kWord>(v.FValue); break;
      case Variant::kInteger: n.i = std::get<Variant::kInteger>(v.FValue); break;
      case Variant::kInt64: n.i = std::get<Variant::kInt64>(v.FValue); break;
      case Variant::kCurrency:
        n.kind = Number::Cur;
        n.i = std::get<Variant::kCurrency>(v.FValue).Value;
        break;
      case Variant::kDouble:
        n.kind = Number::Dbl;
        n.d = std::get<Variant::kDouble>(v.FValue);
        break;
      default:
        n.kind = Number::Dbl;
        n.d = std::get<Variant::kDate>(v.FValue).Value;
        break;
    }
    return n;
  }

  template <class T>
  static int Cmp(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
  }

  /// NaN equals NaN and is less than every other number.
  static int CompareDoubles(double a, double b) {
    bool an = std::isnan(a), bn = std::isnan(b);
    if (an || bn) return an && bn ? 0 : (an ? -1 : 1);
    return Cmp(a, b);
  }

  /// Exact comparison of a double with an int64.
  static int CompareDoubleInt(double d, std::int64_t i) {
    if (std::isnan(d)) return -1;
    if (d < -kTwo63) return -1;
    if (d >= kTwo63) return 1;
    double t = std::trunc(d);
    auto ti = static_cast<std::int64_t>(t);
    if (ti != i) return Cmp(ti, i);
    double frac = d - t;
    return frac > 0 ? 1 : (frac < 0 ? -1 : 0);
  }

  /// Exact comparison of an integer with a currency.
  static int CompareIntCurrency(std::int64_t i, std::int64_t c) {
    // c = q * 10000 + r with 0 <= r < 10000 (floor division).
    std::int64_t q = c / kCurrencyScale, r = c % kCurrencyScale;
    if (r < 0) {
      --q;
      r += kCurrencyScale;
    }
    if (i != q) return Cmp(i, q);
    return r > 0 ? -1 : 0;
  }

  static int CompareNumbers(const Number& a, const Number& b) {
    using K = Number::Kind;
    if (a.kind == K::Dbl) {
      if (b.kind == K::Dbl) return CompareDoubles(a.d, b.d);
      if (b.kind == K::Int) return CompareDoubleInt(a.d, b.i);
      return CompareDoubles(a.d, CurrencyToDouble(b.i));
    }
    if (b.kind == K::Dbl) return -CompareNumbers(b, a);
    if (a.kind == b.kind) return Cmp(a.i, b.i);
    if (a.kind == K::Int) return CompareIntCurrency(a.i, b.i);
    return -CompareIntCurrency(b.i, a.i);
  }

  static int CompareBytes(const void* a, std::size_t na, const void* b, std::size_t nb) {
    std::size_t n = na < nb ? na : nb;
    int c = n ? std::memcmp(a, b, n) : 0;
    if (c != 0) return c < 0 ? -1 : 1;
    return Cmp(na, nb);
  }

  [[noreturn]] static void RaiseCompare(const Variant& a, const Variant& b) {
    throw EVariantError(Format(SVarCompare, {a.TypeName(), b.TypeName()}));
  }

  static int Compare(const Variant& a, const Variant& b) {
    Class ca = ClassOf(a), cb = ClassOf(b);
    if (ca == cNull || cb == cNull) return ca == cb ? 0 : (ca == cNull ? -1 : 1);
    if (ca != cb) RaiseCompare(a, b);
    switch (ca) {
      case cBoolean: return Cmp(std::get<Variant::kBoolean>(a.FValue), std::get<Variant::kBoolean>(b.FValue));
      case cNumber: return CompareNumbers(NumberOf(a), NumberOf(b));
      case cString: {
        const std::string& x = std::get<Variant::kString>(a.FValue);
        const std::string& y = std::get<Variant::kString>(b.FValue);
        return CompareBytes(x.data(), x.size(), y.data(), y.size());
      }
      case cBytes: {
        const TBytes& x = std::get<Variant::kBytes>(a.FValue);
        const TBytes& y = std::get<Variant::kBytes>(b.FValue);
        return CompareBytes(x.data(), x.size(), y.data(), y.size());
      }
      default: {
        const auto& x = std::get<Variant::kArray>(a.FValue);
        const auto& y = std::get<Variant::kArray>(b.FValue);
        for (std::size_t k = 0; k < x.size() && k < y.size(); ++k)
          if (int c = Compare(x[k], y[k])) return c;
        return Cmp(x.size(), y.size());
      }
    }
  }

  static bool Equal(const Variant& a, const Variant& b) noexcept {
    Class ca = ClassOf(a), cb = ClassOf(b);
    if (ca != cb) return false;
    switch (ca) {
      case cNull: return a.FValue.index() == b.FValue.index();
      case cBoolean: return std::get<Variant::kBoolean>(a.FValue) == std::get<Variant::kBoolean>(b.FValue);
      case cNumber: return CompareNumbers(NumberOf(a), NumberOf(b)) == 0;
      case cString: return std::get<Variant::kString>(a.FValue) == std::get<Variant::kString>(b.FValue);
      case cBytes: return std::get<Variant::kBytes>(a.FValue) == std::get<Variant::kBytes>(b.FValue);
      default: {
        const auto& x = std::get<Variant::kArray>(a.FValue);
        const auto& y = std::get<Variant::kArray>(b.FValue);
        if (x.size() != y.size()) return false;
        for (std::size_t k = 0; k < x.size(); ++k)
          if (!Equal(x[k], y[k])) return false;
        return true;
      }
    }
  }

  static std::uint64_t Hash(const Variant& v) noexcept {
    switch (ClassOf(v)) {
      case cNull: return Mix(0x6e756c6cULL + v.FValue.index());
      case cBoolean: return Mix(0xb001ULL + (std::get<Variant::kBoolean>(v.FValue) ? 1 : 0));
      case cNumber: {
        Number n = NumberOf(v);
        if (n.kind == Number::Int) return HashInt(n.i);
        if (n.kind == Number::Dbl) return HashDouble(n.d);
        // A currency equals an integer when it has no fraction, and a double when that
        // double is its nearest one.
        if (n.i % kCurrencyScale == 0) return HashInt(n.i / kCurrencyScale);
        return HashDouble(CurrencyToDouble(n.i));
      }
      case cString: {
        const std::string& s = std::get<Variant::kString>(v.FValue);
        return Mix(std::hash<std::string_view>()(s) ^ 0x5354ULL);
      }
      case cBytes: {
        const TBytes& b = std::get<Variant::kBytes>(v.FValue);
        std::string_view s(reinterpret_cast<const char*>(b.data()), b.size());
        return Mix(std::hash<std::string_view>()(s) ^ 0xb7e5ULL);
      }
      default: {
        const auto& items = std::get<Variant::kArray>(v.FValue);
        std::uint64_t h = Mix(0xa77aULL + items.size());
        for (const Variant& item : items) h = Mix(h ^ (Hash(item) + kNumberSeed + (h << 6)));
        return h;
      }
    }
  }
};

bool operator==(const Variant& a, const Variant& b) noexcept { return VariantAccess::Equal(a, b); }

int Variant::Compare(const Variant& a, const Variant& b) { return VariantAccess::Compare(a, b); }

std::size_t Variant::Hash() const noexcept {
  return static_cast<std::size_t>(VariantAccess::Hash(*this));
}

// -----------------------------------------------------------------------------------------
// Printing

std::string DebugString(const Variant& v) {
  if (v.IsNullOrEmpty()) return v.TypeName();
  std::string out = v.TypeName() + "(";
  if (v.IsArray()) {
    for (std::size_t k = 0; k < v.ArrayCount(); ++k) out += (k ? ", " : "") + DebugString(v[k]);
  } else if (v.IsBytes()) {
    static const char* kHex = "0123456789ABCDEF";
    for (std::uint8_t b : v.AsBytes()) {
      out += kHex[b >> 4];
      out += kHex[b & 15];
    }
  } else if (v.IsString()) {
    out += '"' + v.AsString() + '"';
  } else if (v.IsDateTime()) {
    try {
      out += v.AsString();
    } catch (const Exception&) {
      out += FloatToText(v.AsDateTime().Value);
    }
  } else {
    out += v.AsString();
  }
  return out + ")";
}

std::ostream& operator<<(std::ostream& out, const Variant& v) { return out << DebugString(v); }

}  // namespace fw
