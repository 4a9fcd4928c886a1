// The SQLite driver's statement: binding values so that they read back as written,
// stepping, typed column values, and reading a result's rows straight into the native
// slots of their fields. SQLite keeps any value in any column: a value that its field
// cannot hold as it is raises, naming the column and the row, instead of being read as
// something else that a later post would write back.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "framework/core/Consts.h"
#include "framework/core/Exceptions.h"
#include "framework/core/Text.h"
#include "framework/engine/DBDataSet.h"
#include "framework/engine/drivers/sqlite/SQLite.h"

namespace fw {

namespace {

constexpr std::int64_t kCurrencyScale = 10000;

/// The currency of a stored REAL (currency units); false for a value out of its range.
bool CurrencyFromReal(double d, TCurrency& c) {
  double scaled = d * static_cast<double>(kCurrencyScale);
  // -2^63 <= scaled < 2^63; NaN and infinities fail both tests.
  if (!(scaled >= -9223372036854775808.0 && scaled < 9223372036854775808.0)) return false;
  c.Value = std::llround(scaled);
  return true;
}

/// The currency of a stored INTEGER (whole currency units).
bool CurrencyFromInteger(std::int64_t i, TCurrency& c) {
  constexpr std::int64_t limit = INT64_MAX / kCurrencyScale;
  if (i > limit || i < -limit) return false;
  c.Value = i * kCurrencyScale;
  return true;
}

/// The exact decimal text of a currency value: "-12.5", "922337203685477.5807".
std::string CurrencyText(TCurrency c) {
  bool negative = c.Value < 0;
  // The magnitude as unsigned, so that the minimum has one too.
  std::uint64_t m = negative ? 0 - static_cast<std::uint64_t>(c.Value) : static_cast<std::uint64_t>(c.Value);
  std::string text = (negative ? "-" : "") + std::to_string(m / kCurrencyScale);
  if (std::uint64_t frac = m % kCurrencyScale) {
    char digits[5];
    std::snprintf(digits, sizeof digits, "%04u", static_cast<unsigned>(frac));
    std::string f = digits;
    f.erase(f.find_last_not_of('0') + 1);
    text += "." + f;
  }
  return text;
}

/// Reads decimal text ("-12.5", "922337203685477.5807") exactly; more than four decimals
/// round half away from zero. False for anything else or a value out of range.
bool CurrencyFromText(std::string_view s, TCurrency& c) {
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  std::uint64_t whole = 0;
  std::size_t digits = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i, ++digits) {
    if (whole > (UINT64_MAX - 9) / 10) return false;
    whole = whole * 10 + static_cast<std::uint64_t>(s[i] - '0');
  }
  std::uint64_t frac = 0;
  int fracDigits = 0;
  bool roundUp = false;
  if (i < s.size() && s[i] == '.') {
    for (++i; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i, ++digits) {
      if (fracDigits < 4) {
        frac = frac * 10 + static_cast<std::uint64_t>(s[i] - '0');
        ++fracDigits;
      } else if (fracDigits == 4) {
        roundUp = s[i] >= '5';
        ++fracDigits;
      }
    }
  }
  if (digits == 0 || i != s.size()) return false;
  for (; fracDigits < 4; ++fracDigits) frac *= 10;
  constexpr std::uint64_t maxMagnitude = static_cast<std::uint64_t>(INT64_MAX) + 1;
  if (whole > maxMagnitude / kCurrencyScale) return false;
  std::uint64_t m = whole * kCurrencyScale + frac + (roundUp ? 1 : 0);
  if (m > maxMagnitude || (!negative && m == maxMagnitude)) return false;
  c.Value = negative ? static_cast<std::int64_t>(0 - m) : static_cast<std::int64_t>(m);
  return true;
}

/// Binds a currency so that it reads back exactly: whole units as an INTEGER, a value
/// that the nearest double gives back exactly as a REAL (both what other programs expect
/// of a MONEY column), and anything else (beyond 2^53 units of 1/10000) as its decimal
/// text in a BLOB, which SQLite keeps as written (a NUMERIC column would round text to
/// fifteen digits).
int BindCurrency(sqlite3_stmt* stmt, int index, TCurrency c) {
  if (c.Value % kCurrencyScale == 0) return sqlite3_bind_int64(stmt, index, c.Value / kCurrencyScale);
  // Below 2^53 units the count converts to a double exactly and the division rounds
  // once, so the REAL is the double nearest to the decimal value.
  constexpr std::int64_t exactUnits = std::int64_t{1} << 53;
  if (c.Value > -exactUnits && c.Value < exactUnits) {
    double d = static_cast<double>(c.Value) / static_cast<double>(kCurrencyScale);
    TCurrency back;
    if (CurrencyFromReal(d, back) && back == c) return sqlite3_bind_double(stmt, index, d);
  }
  std::string text = CurrencyText(c);
  return sqlite3_bind_blob(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

/// Shortest text that reads back as the same double.
std::string DoubleText(double d) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, d);
  return std::string(buf, r.ptr);
}

/// A whole number written in decimal digits with an optional sign, nothing else.
bool IntegerFromText(std::string_view s, std::int64_t& value) {
  if (!s.empty() && s[0] == '+') s.remove_prefix(1);
  if (s.empty() || s[0] == '+') return false;
  auto r = std::from_chars(s.data(), s.data() + s.size(), value);
  return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

/// A number in the usual decimal or exponent notation, nothing else.
bool FloatFromText(std::string_view s, double& value) {
  if (!s.empty() && s[0] == '+') s.remove_prefix(1);
  if (s.empty() || s[0] == '+') return false;
  auto r = std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::general);
  return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

/// The days of a date and time within years 1..9999 (the range that date fields convert).
bool InDateRange(double d) { return d > -693594.0 && d < 2958466.0; }

/// A stored value as a message shows it.
std::string StoredValueText(sqlite3_stmt* stmt, int i) {
  switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_INTEGER: return std::to_string(sqlite3_column_int64(stmt, i));
    case SQLITE_FLOAT: return DoubleText(sqlite3_column_double(stmt, i));
    case SQLITE_BLOB: return "(BLOB of " + std::to_string(sqlite3_column_bytes(stmt, i)) + " bytes)";
    default: {
      const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
      std::string_view all(text ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(stmt, i)));
      std::size_t fit = Utf8FitBytes(all, 80);
      return std::string(all.substr(0, fit)) + (fit < all.size() ? "..." : "");
    }
  }
}

std::string_view StoredText(sqlite3_stmt* stmt, int i) {
  const void* data = sqlite3_column_type(stmt, i) == SQLITE_BLOB ? sqlite3_column_blob(stmt, i)
                                                                  : static_cast<const void*>(sqlite3_column_text(stmt, i));
  return {static_cast<const char*>(data ? data : ""), static_cast<std::size_t>(sqlite3_column_bytes(stmt, i))};
}

template <class T>
void PutNative(std::uint8_t* slot, std::int64_t value) {
  T native = static_cast<T>(value);
  std::memcpy(slot + 1, &native, sizeof native);
}

}  // namespace

bool TSQLiteStatement::Checked(int rc) {
  if (rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE) return true;
  FConnection.SetError(rc, sqlite3_errmsg(FConnection.Handle()));
  return false;
}

std::string TSQLiteStatement::GetParamName(int index) const {
  const char* name = sqlite3_bind_parameter_name(FStmt, index);
  return name ? std::string(name + 1) : std::string();
}

bool TSQLiteStatement::Bind(int index, const Variant& v) {
  int rc;
  if (v.IsNull()) {
    rc = sqlite3_bind_null(FStmt, index);
  } else if (v.VarType() == varCurrency) {
    rc = BindCurrency(FStmt, index, v.AsCurrency());
  } else if (v.IsOrdinal() || v.IsBoolean()) {
    rc = sqlite3_bind_int64(FStmt, index, v.AsInt64());
  } else if (v.IsNumeric() || v.IsDateTime()) {
    rc = sqlite3_bind_double(FStmt, index, v.AsFloat());
  } else if (v.IsBytes()) {
    TBytes b = v.AsBytes();
    rc = sqlite3_bind_blob(FStmt, index, b.data(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
  } else {
    std::string s = v.AsString();
    rc = sqlite3_bind_text(FStmt, index, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
  }
  return Checked(rc);
}

TStepResult TSQLiteStatement::Step() {
  int rc = sqlite3_step(FStmt);
  if (rc == SQLITE_ROW) return srRow;
  if (rc == SQLITE_DONE) return srDone;
  Checked(rc);
  return srError;
}

TStorageType TSQLiteStatement::GetColumnType(int index) {
  switch (sqlite3_column_type(FStmt, index)) {
    case SQLITE_INTEGER: return stInteger;
    case SQLITE_FLOAT: return stFloat;
    case SQLITE_TEXT: return stText;
    case SQLITE_BLOB: return stBlob;
    default: return stNull;
  }
}

std::string_view TSQLiteStatement::GetText(int index) { return StoredText(FStmt, index); }

bool TSQLiteStatement::DescribeColumns(std::vector<TColumnDesc>& columns) {
  columns.clear();
  int n = sqlite3_column_count(FStmt);
  bool stepped = false;
  for (int i = 0; i < n; ++i) {
    TColumnDesc c;
    c.Name = sqlite3_column_name(FStmt, i);
    c.DataType = SQLiteTypeOfDecl(sqlite3_column_decltype(FStmt, i), c.Size);
    if (c.DataType == ftUnknown) {
      // A computed column: its first value tells the type.
      if (!stepped) {
        stepped = true;
        int rc = sqlite3_step(FStmt);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) return Checked(rc);
      }
      switch (sqlite3_column_type(FStmt, i)) {
        case SQLITE_FLOAT: c.DataType = ftFloat; break;
        case SQLITE_TEXT: c.DataType = ftString; c.Size = 255; break;
        case SQLITE_BLOB: c.DataType = ftBlob; break;
        default: c.DataType = ftLargeint; break;
      }
    }
    columns.push_back(std::move(c));
  }
  if (stepped) sqlite3_reset(FStmt);
  return true;
}

/*
** Reads the rows. Each stored value goes into its field's native slot as it is: a value
** that the field cannot hold (text or a fraction in an integer column, a word in a
** boolean one, a number beyond the field's range) raises through the target, naming the
** column and the row.
*/
bool TSQLiteStatement::ReadRows(TRowTarget& target) {
  sqlite3_stmt* const stmt = FStmt;
  const std::vector<TField*>& columns = target.GetColumns();
  const int n = static_cast<int>(columns.size());
  const int rowIdColumn = target.GetRowIdColumn();
  std::int64_t rowNo = 0;
  int column = 0;
  // Raises for the value of the current column and row.
  auto fail = [&](const std::string& message) { target.FailValue(sqlite3_column_name(stmt, column), rowNo, message); };
  auto outOfRange = [&](const TField* f) {
    fail(Format(SColumnOutOfRange, {StoredValueText(stmt, column), SQLiteDeclOfType(f->GetDataType())}));
  };
  auto integerOf = [&](int type, std::int64_t& value) {
    if (type == SQLITE_INTEGER) {
      value = sqlite3_column_int64(stmt, column);
      return true;
    }
    if (type == SQLITE_FLOAT) {
      double d = sqlite3_column_double(stmt, column);
      if (std::isfinite(d) && d == std::trunc(d)) {
        if (!(d >= -9223372036854775808.0 && d < 9223372036854775808.0)) return false;
        value = static_cast<std::int64_t>(d);
        return true;
      }
    } else if (type == SQLITE_TEXT && IntegerFromText(StoredText(stmt, column), value)) {
      return true;
    }
    fail(Format(SInvalidInteger, {StoredValueText(stmt, column)}));
    return false;
  };
  auto storeInteger = [&](TField* f, std::uint8_t* p, int type, std::int64_t min, std::int64_t max) {
    std::int64_t value = 0;
    if (!integerOf(type, value) || value < min || value > max) outOfRange(f);
    switch (f->GetDataType()) {
      case ftSmallint: PutNative<std::int16_t>(p, value); break;
      case ftWord: PutNative<std::uint16_t>(p, value); break;
      case ftLargeint: PutNative<std::int64_t>(p, value); break;
      default: PutNative<std::int32_t>(p, value); break;
    }
  };
  std::vector<std::uint8_t> native;
  auto storeVariant = [&](TField* f, std::uint8_t* p, const Variant& v) {
    native.assign(static_cast<std::size_t>(std::max(1, f->GetDataSize())), 0);
    try {
      f->VariantToNative(v, native.data());
    } catch (const Exception& e) {
      fail(e.Message());
    }
    std::memcpy(p + 1, native.data(), native.size());
  };

  int rc;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    ++rowNo;
    std::uint8_t* data = target.AppendRow(rowIdColumn >= 0 ? sqlite3_column_int64(stmt, rowIdColumn) : -1);
    for (column = 0; column < n; ++column) {
      TField* f = columns[static_cast<std::size_t>(column)];
      if (!f) continue;
      int type = sqlite3_column_type(stmt, column);
      if (type == SQLITE_NULL) continue;
      std::uint8_t* p = data + f->GetOffset();
      if (f->IsBlob()) {
        const void* b = sqlite3_column_blob(stmt, column);
        int len = sqlite3_column_bytes(stmt, column);
        target.Blob(f->GetBlobIndex()).assign(static_cast<const char*>(b), static_cast<std::size_t>(len));
        p[0] = 1;
        continue;
      }
      switch (f->GetDataType()) {
        case ftString: {
          const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
          std::size_t len = static_cast<std::size_t>(sqlite3_column_bytes(stmt, column));
          std::size_t size = static_cast<std::size_t>(f->GetSize());
          len = Utf8FitBytes(std::string_view(text, len), size);
          std::memset(p + 1, 0, size + 1);
          std::memcpy(p + 1, text, len);
          break;
        }
        case ftSmallint: storeInteger(f, p, type, INT16_MIN, INT16_MAX); break;
        case ftWord: storeInteger(f, p, type, 0, UINT16_MAX); break;
        case ftInteger:
        case ftAutoInc: storeInteger(f, p, type, INT32_MIN, INT32_MAX); break;
        case ftLargeint: storeInteger(f, p, type, INT64_MIN, INT64_MAX); break;
        case ftBoolean: {
          bool value = false;
          bool ok = true;
          if (type == SQLITE_INTEGER) {
            value = sqlite3_column_int64(stmt, column) != 0;
          } else if (type == SQLITE_FLOAT) {
            double d = sqlite3_column_double(stmt, column);
            ok = d == 0.0 || d == 1.0;
            value = d == 1.0;
          } else if (type == SQLITE_TEXT) {
            std::string_view t = StoredText(stmt, column);
            ok = t == "0" || t == "1" || SameText(t, "true") || SameText(t, "false");
            value = t == "1" || SameText(t, "true");
          } else {
            ok = false;
          }
          if (!ok) fail(Format(SInvalidBoolean, {StoredValueText(stmt, column)}));
          PutNative<std::int16_t>(p, value ? 1 : 0);
          break;
        }
        case ftCurrency: {
          TCurrency c;
          bool ok;
          if (type == SQLITE_INTEGER) {
            ok = CurrencyFromInteger(sqlite3_column_int64(stmt, column), c);
          } else if (type == SQLITE_FLOAT) {
            ok = CurrencyFromReal(sqlite3_column_double(stmt, column), c);
          } else {
            // Decimal text exactly (the engine's own BLOBs); other numbers as a double.
            std::string_view t = StoredText(stmt, column);
            ok = CurrencyFromText(t, c);
            double d = 0;
            if (!ok) {
              if (type == SQLITE_BLOB || !FloatFromText(t, d)) fail(Format(SInvalidFloat, {StoredValueText(stmt, column)}));
              ok = CurrencyFromReal(d, c);
            }
          }
          if (!ok) outOfRange(f);
          storeVariant(f, p, Variant(c));
          break;
        }
        case ftFloat: {
          double d = 0;
          if (type == SQLITE_INTEGER || type == SQLITE_FLOAT)
            d = sqlite3_column_double(stmt, column);
          else if (type == SQLITE_BLOB || !FloatFromText(StoredText(stmt, column), d))
            fail(Format(SInvalidFloat, {StoredValueText(stmt, column)}));
          storeVariant(f, p, Variant(d));
          break;
        }
        case ftDate:
        case ftTime:
        case ftDateTime: {
          double d = 0;
          if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
            d = sqlite3_column_double(stmt, column);
          } else if (type == SQLITE_TEXT) {
            try {
              d = Variant(std::string(StoredText(stmt, column))).AsDateTime().Value;
            } catch (const Exception& e) {
              fail(e.Message());
            }
          } else {
            fail(Format(SInvalidDateTime, {StoredValueText(stmt, column)}));
          }
          if (!InDateRange(d)) outOfRange(f);
          storeVariant(f, p, Variant(TDateTime{d}));
          break;
        }
        default: storeVariant(f, p, Variant(std::string(StoredText(stmt, column)))); break;
      }
      p[0] = 1;
    }
  }
  return rc == SQLITE_DONE || Checked(rc);
}

}  // namespace fw
