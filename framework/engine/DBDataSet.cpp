#include "framework/engine/DBDataSet.h"

#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "framework/core/Consts.h"
#include "framework/core/Exceptions.h"
#include "framework/core/Text.h"
#include "framework/core/TypInfo.h"
#include "framework/data/DataClasses.h"
#include "framework/engine/Database.h"
#include "framework/engine/Session.h"
#include "framework/stream/Classes.h"

namespace fw {

namespace fs = std::filesystem;

namespace {

std::string Quote(const std::string& id) {
  std::string out = "\"";
  for (char c : id) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

/// The field type and size of a declared column type ("VARCHAR(40)", "SMALLINT", ...).
TFieldType TypeOfDecl(const char* decl, int& size) {
  size = 0;
  if (!decl) return ftUnknown;
  std::string d = UpperCase(Trim(decl));
  auto paren = d.find('(');
  std::string base = Trim(d.substr(0, paren));
  if (paren != std::string::npos) size = std::atoi(d.c_str() + paren + 1);
  if (base == "SMALLINT" || base == "SHORT") return ftSmallint;
  if (base == "WORD") return ftWord;
  if (base == "INT" || base == "INTEGER" || base == "LONG") return ftInteger;
  if (base == "BIGINT" || base == "LARGEINT") return ftLargeint;
  if (base == "AUTOINC") return ftAutoInc;
  if (base == "BOOLEAN" || base == "LOGICAL" || base == "BOOL") return ftBoolean;
  if (base == "FLOAT" || base == "DOUBLE" || base == "REAL" || base == "NUMERIC" || base == "NUMBER") return ftFloat;
  if (base == "MONEY" || base == "CURRENCY") return ftCurrency;
  if (base == "DATE") return ftDate;
  if (base == "TIME") return ftTime;
  if (base == "TIMESTAMP" || base == "DATETIME") return ftDateTime;
  if (base == "MEMO" || base == "TEXT" || base == "CLOB") {
    if (base == "TEXT" && size > 0) return ftString;
    return ftMemo;
  }
  if (base == "GRAPHIC") return ftGraphic;
  if (base == "BLOB" || base == "BINARY") return ftBlob;
  if (base == "VARCHAR" || base == "CHAR" || base == "ALPHA" || base == "STRING" || base == "NVARCHAR") {
    if (size <= 0) size = 255;
    return ftString;
  }
  return ftUnknown;
}

/// The column type that a field type is created with (without its size).
const char* DeclOfType(TFieldType type) {
  switch (type) {
    case ftString: return "VARCHAR";
    case ftSmallint: return "SMALLINT";
    case ftInteger: return "INT";
    case ftWord: return "WORD";
    case ftBoolean: return "BOOLEAN";
    case ftFloat: return "FLOAT";
    case ftCurrency: return "MONEY";
    case ftDate: return "DATE";
    case ftTime: return "TIME";
    case ftDateTime: return "TIMESTAMP";
    case ftAutoInc: return "AUTOINC";
    case ftBlob: return "BLOB";
    case ftMemo: return "MEMO";
    case ftGraphic: return "GRAPHIC";
    case ftLargeint: return "BIGINT";
    case ftUnknown: break;
  }
  return "";
}

std::string DeclOfField(const TFieldDef* d) {
  switch (d->GetDataType()) {
    case ftString: return "VARCHAR(" + std::to_string(d->GetSize() > 0 ? d->GetSize() : 20) + ")";
    case ftSmallint: return "SMALLINT";
    case ftInteger: return "INT";
    case ftWord: return "WORD";
    case ftBoolean: return "BOOLEAN";
    case ftFloat: return "FLOAT";
    case ftCurrency: return "MONEY";
    case ftDate: return "DATE";
    case ftTime: return "TIME";
    case ftDateTime: return "TIMESTAMP";
    case ftAutoInc: return "AUTOINC";
    case ftBlob: return "BLOB";
    case ftMemo: return d->GetSize() > 0 ? "MEMO(" + std::to_string(d->GetSize()) + ")" : "MEMO";
    case ftGraphic: return "GRAPHIC";
    case ftLargeint: return "BIGINT";
    case ftUnknown: break;
  }
  DatabaseErrorFmt("Field '%s' has no data type", {d->GetName()});
}

/// A prepared statement that is finalized when the scope ends.
class TStatement {
 public:
  TStatement(TDatabase* db, const std::string& sql, const std::string& what) : FDb(db) {
    if (sqlite3_prepare_v2(db->Handle(), sql.c_str(), -1, &FStmt, nullptr) != SQLITE_OK) db->Fail(what);
  }
  ~TStatement() { sqlite3_finalize(FStmt); }
  sqlite3_stmt* get() const { return FStmt; }
  sqlite3_stmt* release() {
    auto* s = FStmt;
    FStmt = nullptr;
    return s;
  }

 private:
  TDatabase* FDb;
  sqlite3_stmt* FStmt = nullptr;
};

/// One write transaction: rolled back unless committed. `what` names the table in the
/// error of a transaction that cannot begin (another connection holds the lock).
class TTransaction {
 public:
  TTransaction(TDatabase* db, const std::string& what) : FDb(db) {
    if (sqlite3_exec(db->Handle(), "begin immediate", nullptr, nullptr, nullptr) != SQLITE_OK) db->Fail(what);
  }
  ~TTransaction() {
    if (!FDone) sqlite3_exec(FDb->Handle(), "rollback", nullptr, nullptr, nullptr);
  }
  void Commit() {
    FDb->Execute("commit");
    FDone = true;
  }

 private:
  TDatabase* FDb;
  bool FDone = false;
};

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

void BindField(sqlite3_stmt* stmt, int index, TField* f, const TRecordBuffer& buf) {
  const std::uint8_t* p = buf.Data.data() + f->GetOffset();
  if (!p[0]) {
    sqlite3_bind_null(stmt, index);
    return;
  }
  if (f->IsBlob()) {
    const std::string& b = buf.Blobs[static_cast<std::size_t>(f->GetBlobIndex())];
    if (f->GetDataType() == ftMemo)
      sqlite3_bind_text(stmt, index, b.data(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
    else
      sqlite3_bind_blob(stmt, index, b.data(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
    return;
  }
  Variant v = f->NativeToVariant(p + 1);
  switch (f->GetDataType()) {
    case ftString: {
      std::string s = v.AsString();
      sqlite3_bind_text(stmt, index, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
      break;
    }
    case ftFloat: sqlite3_bind_double(stmt, index, v.AsFloat()); break;
    case ftCurrency: BindCurrency(stmt, index, v.AsCurrency()); break;
    case ftDate:
    case ftTime:
    case ftDateTime: sqlite3_bind_double(stmt, index, v.AsDateTime().Value); break;
    case ftBoolean: sqlite3_bind_int(stmt, index, v.AsBoolean() ? 1 : 0); break;
    default: sqlite3_bind_int64(stmt, index, v.AsInt64()); break;
  }
}

}  // namespace

// ---- TDBDataSet -------------------------------------------------------------------------

const TClassInfo& TDBDataSet::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TDBDataSet>("TDBDataSet", &TMemDataSet::StaticClass())
          .Prop("DatabaseName", &TDBDataSet::GetDatabaseName, &TDBDataSet::SetDatabaseName)
          .Build();
  return info;
}

TDBDataSet::TDBDataSet(TComponent* owner) : TMemDataSet(owner) {}

TDBDataSet::~TDBDataSet() {
  Destroying();
  try {
    SetActive(false);
  } catch (...) {
  }
  CloseDatabase();
}

void TDBDataSet::SetDatabaseName(const std::string& name) {
  if (name == FDatabaseName) return;
  CheckInactive();
  CloseDatabase();
  FDatabaseName = name;
}

TDatabase* TDBDataSet::OpenDatabase() {
  if (FDatabase) return FDatabase;
  if (FDatabaseName.empty()) DatabaseError("Missing DatabaseName", this);
  TDatabase* db = nullptr;
  try {
    db = Session()->OpenDatabase(FDatabaseName);
  } catch (const EDatabaseError& e) {
    DatabaseError(e.Message(), this);
  }
  FDatabase = db;
  FDatabase->AddDataSet(this);
  FDatabase->FreeNotification(this);
  return FDatabase;
}

void TDBDataSet::CloseDatabase() {
  if (!FDatabase) return;
  TDatabase* db = FDatabase;
  FDatabase = nullptr;
  db->RemoveDataSet(this);
  RemoveFreeNotification(db);
  Session()->CloseDatabase(db);
}

void TDBDataSet::Notification(TComponent* component, TOperation operation) {
  TMemDataSet::Notification(component, operation);
  if (operation == TOperation::opRemove && component == FDatabase) FDatabase = nullptr;
}

void TDBDataSet::InternalClose() {
  TMemDataSet::InternalClose();
  ClearStoredRows();
  FRowIds.clear();
  CloseDatabase();
}

void TDBDataSet::FieldDefsFromStatement(sqlite3_stmt* stmt) {
  GetFieldDefs()->Clear();
  int n = sqlite3_column_count(stmt);
  bool stepped = false;
  for (int i = 0; i < n; ++i) {
    std::string name = sqlite3_column_name(stmt, i);
    int size = 0;
    TFieldType type = TypeOfDecl(sqlite3_column_decltype(stmt, i), size);
    if (type == ftUnknown) {
      // A computed column: its first value tells the type.
      if (!stepped) {
        stepped = true;
        int rc = sqlite3_step(stmt);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) DatabaseError(sqlite3_errmsg(sqlite3_db_handle(stmt)), this);
      }
      switch (sqlite3_column_type(stmt, i)) {
        case SQLITE_FLOAT: type = ftFloat; break;
        case SQLITE_TEXT: type = ftString; size = 255; break;
        case SQLITE_BLOB: type = ftBlob; break;
        default: type = ftLargeint; break;
      }
    }
    if (GetFieldDefs()->IndexOf(name) < 0) GetFieldDefs()->Add(name, type, size);
  }
  if (stepped) sqlite3_reset(stmt);
}

namespace {

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

/*
** Reads the rows. Each stored value goes into its field's native slot as it is: a value
** that the field cannot hold (text or a fraction in an integer column, a word in a
** boolean one, a number beyond the field's range) raises, naming the column and the
** row, instead of being read as something else that a later post would write back.
*/
void TDBDataSet::LoadRows(sqlite3_stmt* stmt, const std::string& what, int rowIdColumn) {
  int n = sqlite3_column_count(stmt);
  std::vector<TField*> columns(static_cast<std::size_t>(n), nullptr);
  for (int i = 0; i < n; ++i) {
    if (i == rowIdColumn) continue;
    std::string name = sqlite3_column_name(stmt, i);
    TField* f = FindField(name);
    if (f && f->GetFieldKind() == fkData && std::find(columns.begin(), columns.end(), f) == columns.end())
      columns[static_cast<std::size_t>(i)] = f;
  }
  for (TField* f : GetFields())
    if (f->GetFieldKind() == fkData && std::find(columns.begin(), columns.end(), f) == columns.end())
      DatabaseErrorFmt("Field '%s' not found in %s", {f->GetFieldName(), what}, this);
  ClearStoredRows();
  FRowIds.clear();
  std::int64_t rowNo = 0;
  int column = 0;
  // Raises for the value of the current column and row, keeping no half-read rows.
  auto fail = [&](const std::string& message) {
    ClearStoredRows();
    FRowIds.clear();
    DatabaseErrorFmt(SColumnValueError, {what, sqlite3_column_name(stmt, column), static_cast<long long>(rowNo), message},
                     this);
  };
  auto outOfRange = [&](const TField* f) {
    fail(Format(SColumnOutOfRange, {StoredValueText(stmt, column), DeclOfType(f->GetDataType())}));
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
    std::int64_t row = AppendStoredRow();
    FRowIds.push_back(rowIdColumn >= 0 ? sqlite3_column_int64(stmt, rowIdColumn) : -1);
    std::uint8_t* data = StoredRowData(row);
    for (column = 0; column < n; ++column) {
      TField* f = columns[static_cast<std::size_t>(column)];
      if (!f) continue;
      int type = sqlite3_column_type(stmt, column);
      if (type == SQLITE_NULL) continue;
      std::uint8_t* p = data + f->GetOffset();
      if (f->IsBlob()) {
        const void* b = sqlite3_column_blob(stmt, column);
        int len = sqlite3_column_bytes(stmt, column);
        StoredBlob(row, f->GetBlobIndex()).assign(static_cast<const char*>(b), static_cast<std::size_t>(len));
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
  if (rc != SQLITE_DONE) {
    std::string reason = sqlite3_errmsg(sqlite3_db_handle(stmt));
    ClearStoredRows();
    FRowIds.clear();
    if (TDatabase* db = GetDatabase()) db->Fail(what);
    DatabaseError(what + ": " + reason, this);
  }
}

// ---- TTable ------------------------------------------------------------------------------

class TTable::TMasterLink : public TDataLink {
 public:
  explicit TMasterLink(TTable* table) : FTable(table) {}

 protected:
  void ActiveChanged() override { FTable->MasterChanged(); }
  void DataSetChanged() override { FTable->MasterChanged(); }
  void DataSetScrolled(int) override { FTable->MasterChanged(); }
  void RecordChanged(TField* field) override {
    if (!field) FTable->MasterChanged();
  }

 private:
  TTable* FTable;
};

const TClassInfo& TTable::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TTable>("TTable", &TDBDataSet::StaticClass())
          .Prop("IndexName", &TTable::GetIndexName, &TTable::SetIndexName)
          .Prop("MasterFields", &TTable::GetMasterFields, &TTable::SetMasterFields)
          .Prop("MasterSource", &TTable::GetMasterSource, &TTable::SetMasterSource)
          .Prop("TableName", &TTable::GetTableName, &TTable::SetTableName)
          .Build();
  return info;
}

TTable::TTable(TComponent* owner) : TDBDataSet(owner), FMasterLink(std::make_unique<TMasterLink>(this)) {
  GetIndexDefs()->SetUpdater([this](TIndexDefs&) { UpdateIndexDefs(); });
}

TTable::~TTable() {
  Destroying();
  try {
    SetActive(false);
  } catch (...) {
  }
  FMasterLink->SetDataSource(nullptr);
}

void TTable::SetTableName(const std::string& name) {
  if (name == FTableName) return;
  CheckInactive();
  FTableName = name;
}

TDataSource* TTable::GetMasterSource() const { return FMasterLink->GetDataSource(); }

void TTable::SetMasterSource(TDataSource* source) {
  if (source == GetMasterSource()) return;
  if (source && source->IsLinkedTo(this)) DatabaseError(SCircularDataLink, this);
  FMasterLink->SetDataSource(source);
  if (source) source->FreeNotification(this);
  MasterChanged();
}

void TTable::SetMasterFields(const std::string& fields) {
  FMasterFields = fields;
  MasterChanged();
}

void TTable::SetIndexName(const std::string& name) {
  if (name.empty()) {
    FIndexName.clear();
    return;
  }
  if (HasState(csReading) || HasState(csLoading)) {
    // The index definitions need DatabaseName and TableName, which a form file may list
    // later: Loaded applies the name.
    FIndexName = name;
    return;
  }
  ApplyIndexName(name);
}

void TTable::ApplyIndexName(const std::string& name) {
  if (GetIndexDefs()->GetCount() == 0) UpdateIndexDefs();
  TIndexDef* def = GetIndexDefs()->Find(name);
  if (!def) DatabaseErrorFmt("Index '%s' not found", {name}, this);
  SetIndexFieldNames(def->GetFields());
  FIndexName = name;
}

void TTable::Loaded() {
  // Before the base class opens a table read as Active, so that it opens in index order.
  if (!FIndexName.empty()) ApplyIndexName(FIndexName);
  TDBDataSet::Loaded();
}

std::string TTable::SQLName(bool mustExist) {
  if (FTableName.empty()) DatabaseError("Missing TableName", this);
  return OpenDatabase()->TableSQLName(FTableName, mustExist);
}

// The row id comes first and is told by its position. SQLite names that column after an
// "integer primary key" column ("id"), and an ordinary column may be named rowid: the
// first of SQLite's three names of the row id that no column has is the one read.
// Updates and deletes address the row by the same name.
std::string TTable::SelectRowsSQL(const std::string& sqlName) {
  for (const char* rowid : {"rowid", "_rowid_", "oid"})
    if (GetFieldDefs()->IndexOf(rowid) < 0) {
      FRowIdName = rowid;
      return "select " + FRowIdName + " as \"qor$rowid\", * from " + sqlName;
    }
  DatabaseErrorFmt(SNoRowIdColumn, {FTableName}, this);
}

bool TTable::GetReadOnlyDataSet() const { return GetReadOnly(); }

void TTable::InternalInitFieldDefs() {
  std::string name = SQLName(true);
  std::string what = "Table '" + FTableName + "'";
  TStatement stmt(GetDatabase(), "select * from " + name + " limit 0", what);
  FieldDefsFromStatement(stmt.get());
}

bool TTable::RowInRange(std::int64_t rowId) { return FMasterInRange ? FMasterInRange(rowId) : true; }

void TTable::InternalOpen() {
  TMemDataSet::InternalOpen();
  std::string name = SQLName(true);
  std::string what = "Table '" + FTableName + "'";
  {
    // Room for all rows at once: the row store does not grow and copy while loading.
    TStatement count(GetDatabase(), "select count(*) from " + name, what);
    if (sqlite3_step(count.get()) != SQLITE_ROW) GetDatabase()->Fail(what);
    std::int64_t rows = sqlite3_column_int64(count.get(), 0);
    ReserveRows(rows);
    FRowIds.reserve(static_cast<std::size_t>(rows));
  }
  TStatement stmt(GetDatabase(), SelectRowsSQL(name), what);
  LoadRows(stmt.get(), what, 0);
  SetupRange();
  BuildView();
}

std::int64_t TTable::InternalRefresh(std::int64_t currentRow) {
  // The current record is found again by its SQLite rowid.
  std::int64_t rowid = currentRow >= 0 && currentRow < static_cast<std::int64_t>(FRowIds.size())
                           ? FRowIds[static_cast<std::size_t>(currentRow)]
                           : -1;
  std::string name = SQLName(true);
  std::string what = "Table '" + FTableName + "'";
  try {
    TStatement stmt(GetDatabase(), SelectRowsSQL(name), what);
    LoadRows(stmt.get(), what, 0);
  } catch (...) {
    // The rows may be gone: the view and the buffers must not point at them.
    BuildView();
    Resync({});
    throw;
  }
  SetupRange();
  BuildView();
  if (rowid < 0) return -1;
  auto it = std::find(FRowIds.begin(), FRowIds.end(), rowid);
  return it == FRowIds.end() ? -1 : static_cast<std::int64_t>(it - FRowIds.begin());
}

void TTable::SetupRange() {
  FMasterInRange = nullptr;
  FRangeActive = false;
  TDataSet* master = FMasterLink->GetDataSet();
  if (!master || !master->GetActive() || FMasterFields.empty()) return;
  auto masterFields = master->GetFieldList(FMasterFields);
  std::vector<TField*> detail;
  if (GetIndexFieldCount() > 0) {
    for (int i = 0; i < GetIndexFieldCount() && detail.size() < masterFields.size(); ++i) detail.push_back(GetIndexField(i));
  } else {
    for (TField* m : masterFields) detail.push_back(FieldByName(m->GetFieldName()));
  }
  if (detail.size() != masterFields.size())
    DatabaseErrorFmt("MasterFields '%s' do not match the detail's fields", {FMasterFields}, this);
  std::vector<Variant> values;
  for (TField* m : masterFields) values.push_back(master->IsEmpty() ? Variant() : m->GetAsVariant());
  FRangeActive = true;
  FMasterInRange = [this, detail, values](std::int64_t row) {
    const std::uint8_t* data = StoredRowData(row);
    for (std::size_t i = 0; i < detail.size(); ++i) {
      const TField* f = detail[i];
      if (values[i].IsNull()) return false;
      if (!data[f->GetOffset()]) return false;
      if (!(f->NativeToVariant(data + f->GetOffset() + 1) == values[i])) return false;
    }
    return true;
  };
}

void TTable::MasterChanged() {
  if (!GetActive() || GetState() == dsInactive) return;
  if (GetState() == dsEdit || GetState() == dsInsert) {
    // The detail follows the master only in browse state.
    return;
  }
  SetupRange();
  BuildView();
  First();
}

void TTable::DoOnNewRecord() {
  TDataSet* master = FMasterLink->GetDataSet();
  if (FRangeActive && master && master->GetActive() && !FMasterFields.empty() && !master->IsEmpty()) {
    auto masterFields = master->GetFieldList(FMasterFields);
    for (std::size_t i = 0; i < masterFields.size(); ++i) {
      TField* d = GetIndexFieldCount() > static_cast<int>(i) ? GetIndexField(static_cast<int>(i))
                                                             : FieldByName(masterFields[i]->GetFieldName());
      d->SetAsVariant(masterFields[i]->GetAsVariant());
    }
  }
  TDBDataSet::DoOnNewRecord();
}

void TTable::FilterChanged() { BuildView(); }

void TTable::StoreRow(std::int64_t rowId, TRecordBuffer& buffer, bool inserting) {
  if (GetReadOnly()) DatabaseError("Cannot modify a read-only dataset", this);
  std::string name = SQLName(true);
  TDatabase* db = GetDatabase();
  std::vector<TField*> fields;
  for (TField* f : GetFields())
    if (f->GetFieldKind() == fkData) fields.push_back(f);
  std::string what = "Cannot post to table '" + FTableName + "'";
  TTransaction transaction(db, what);
  if (inserting) {
    // Automatic numbers that the record does not bring come from the engine.
    for (TField* f : fields) {
      if (f->GetDataType() != ftAutoInc || buffer.Data[static_cast<std::size_t>(f->GetOffset())]) continue;
      TStatement max(db, "select coalesce(max(" + Quote(f->GetFieldName()) + "), 0) + 1 from " + name, what);
      if (sqlite3_step(max.get()) != SQLITE_ROW) db->Fail(what);
      auto next = static_cast<std::int32_t>(sqlite3_column_int64(max.get(), 0));
      buffer.Data[static_cast<std::size_t>(f->GetOffset())] = 1;
      std::memcpy(buffer.Data.data() + f->GetOffset() + 1, &next, 4);
    }
  }
  std::string sql;
  if (inserting) {
    std::string cols, marks;
    for (std::size_t i = 0; i < fields.size(); ++i) {
      cols += (i ? ", " : "") + Quote(fields[i]->GetFieldName());
      marks += i ? ", ?" : "?";
    }
    sql = "insert into " + name + " (" + cols + ") values (" + marks + ")";
  } else {
    std::string sets;
    for (std::size_t i = 0; i < fields.size(); ++i) sets += (i ? ", " : "") + Quote(fields[i]->GetFieldName()) + " = ?";
    sql = "update " + name + " set " + sets + " where " + FRowIdName + " = ?";
  }
  TStatement stmt(db, sql, what);
  for (std::size_t i = 0; i < fields.size(); ++i) BindField(stmt.get(), static_cast<int>(i) + 1, fields[i], buffer);
  if (!inserting) {
    std::int64_t rowid = rowId < static_cast<std::int64_t>(FRowIds.size()) ? FRowIds[static_cast<std::size_t>(rowId)] : -1;
    sqlite3_bind_int64(stmt.get(), static_cast<int>(fields.size()) + 1, rowid);
  }
  if (sqlite3_step(stmt.get()) != SQLITE_DONE) db->Fail(what);
  if (!inserting && sqlite3_changes(db->Handle()) == 0)
    DatabaseError(what + ": the record was deleted by another user", this);
  std::int64_t newRowid = sqlite3_last_insert_rowid(db->Handle());
  transaction.Commit();
  if (inserting) {
    if (FRowIds.size() <= static_cast<std::size_t>(rowId)) FRowIds.resize(static_cast<std::size_t>(rowId) + 1, -1);
    FRowIds[static_cast<std::size_t>(rowId)] = newRowid;
  }
}

void TTable::RemoveRow(std::int64_t rowId) {
  std::string name = SQLName(true);
  TDatabase* db = GetDatabase();
  std::string what = "Cannot delete from table '" + FTableName + "'";
  TTransaction transaction(db, what);
  TStatement stmt(db, "delete from " + name + " where " + FRowIdName + " = ?", what);
  sqlite3_bind_int64(stmt.get(), 1, FRowIds[static_cast<std::size_t>(rowId)]);
  if (sqlite3_step(stmt.get()) != SQLITE_DONE) db->Fail(what);
  transaction.Commit();
}

bool TTable::Exists() {
  TDatabase* db = OpenDatabase();
  struct Close {
    TTable* t;
    ~Close() {
      if (!t->GetActive()) t->CloseDatabase();
    }
  } close{this};
  if (!db->IsSQLBased()) {
    std::error_code ec;
    return fs::is_regular_file(db->TableFilePath(FTableName), ec);
  }
  TStatement stmt(db, "select count(*) from sqlite_master where type = 'table' and name = ?", "Exists");
  sqlite3_bind_text(stmt.get(), 1, FTableName.c_str(), -1, SQLITE_TRANSIENT);
  return sqlite3_step(stmt.get()) == SQLITE_ROW && sqlite3_column_int(stmt.get(), 0) > 0;
}

void TTable::CreateTable() {
  CheckInactive();
  if (Exists()) DatabaseErrorFmt("Table '%s' already exists", {FTableName}, this);
  if (GetFieldDefs()->GetCount() == 0) {
    // Persistent fields describe the table when no definitions were given.
    for (TField* f : GetFields())
      if (f->GetFieldKind() == fkData) GetFieldDefs()->Add(f->GetFieldName(), f->GetDataType(), f->GetSize(), f->GetRequired());
  }
  if (GetFieldDefs()->GetCount() == 0) DatabaseErrorFmt("Table '%s' has no fields", {FTableName}, this);
  std::string name = SQLName(false);
  TDatabase* db = GetDatabase();
  struct Close {
    TTable* t;
    ~Close() { t->CloseDatabase(); }
  } close{this};
  std::string cols;
  for (int i = 0; i < GetFieldDefs()->GetCount(); ++i) {
    TFieldDef* d = GetFieldDefs()->GetItem(i);
    cols += (i ? ", " : "") + Quote(d->GetName()) + " " + DeclOfField(d) + (d->GetRequired() ? " not null" : "");
  }
  for (int i = 0; i < GetIndexDefs()->GetCount(); ++i) {
    TIndexDef* x = GetIndexDefs()->GetItem(i);
    if (!x->GetOptions().Contains(ixPrimary)) continue;
    std::string keys;
    std::size_t pos = 1;
    while (pos <= x->GetFields().size()) keys += (keys.empty() ? "" : ", ") + Quote(ExtractFieldName(x->GetFields(), pos));
    cols += ", primary key (" + keys + ")";
  }
  TTransaction transaction(db, "Cannot create table '" + FTableName + "'");
  db->Execute("create table " + name + " (" + cols + ")");
  auto split = name.find("\".\"");
  std::string schemaPrefix = split == std::string::npos ? "" : name.substr(0, split + 2);
  std::string bare = name.substr(schemaPrefix.size());
  for (int i = 0; i < GetIndexDefs()->GetCount(); ++i) {
    TIndexDef* x = GetIndexDefs()->GetItem(i);
    if (x->GetOptions().Contains(ixPrimary)) continue;
    std::string keys;
    std::size_t pos = 1;
    while (pos <= x->GetFields().size()) keys += (keys.empty() ? "" : ", ") + Quote(ExtractFieldName(x->GetFields(), pos));
    std::string idx = x->GetName().empty() ? FTableName + "_" + std::to_string(i) : x->GetName();
    db->Execute(std::string("create ") + (x->GetOptions().Contains(ixUnique) ? "unique " : "") + "index " +
                schemaPrefix + Quote(idx) + " on " + bare + " (" + keys + ")");
  }
  transaction.Commit();
}

void TTable::EmptyTable() {
  std::string name = SQLName(true);
  TTransaction transaction(GetDatabase(), "Cannot empty table '" + FTableName + "'");
  GetDatabase()->Execute("delete from " + name);
  transaction.Commit();
  if (GetActive()) {
    ClearStoredRows();
    FRowIds.clear();
    BuildView();
    Resync({});
  } else {
    CloseDatabase();
  }
}

void TTable::DeleteTable() {
  CheckInactive();
  TDatabase* db = OpenDatabase();
  struct Close {
    TTable* t;
    ~Close() { t->CloseDatabase(); }
  } close{this};
  if (db->IsSQLBased()) {
    db->Execute("drop table " + Quote(FTableName));
    return;
  }
  std::string file = db->TableFilePath(FTableName);
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) DatabaseErrorFmt("Table '%s' does not exist: no file '%s'", {FTableName, file}, this);
  // The file must not stay attached while it is removed.
  db->Close();
  if (!fs::remove(file, ec) || ec) DatabaseErrorFmt("Cannot delete table file '%s': %s", {file, ec.message()}, this);
}

void TTable::UpdateIndexDefs() {
  std::string name = SQLName(true);
  TDatabase* db = GetDatabase();
  struct Close {
    TTable* t;
    ~Close() {
      if (!t->GetActive()) t->CloseDatabase();
    }
  } close{this};
  std::string schema, table;
  auto dot = name.find("\".\"");
  if (dot != std::string::npos) {
    schema = name.substr(0, dot + 1) + ".";
    table = name.substr(dot + 2);
  } else {
    table = name;
  }
  std::string bareTable = table.substr(1, table.size() - 2);
  GetIndexDefs()->Clear();
  TStatement list(db, "select name, sql from " + schema + "sqlite_master where type = 'index' and tbl_name = ? collate nocase order by rowid",
                  "Index definitions of '" + FTableName + "'");
  sqlite3_bind_text(list.get(), 1, bareTable.c_str(), -1, SQLITE_TRANSIENT);
  struct Index {
    std::string name;
    bool autoIndex;
  };
  std::vector<Index> indexes;
  while (sqlite3_step(list.get()) == SQLITE_ROW)
    indexes.push_back({reinterpret_cast<const char*>(sqlite3_column_text(list.get(), 0)),
                       sqlite3_column_type(list.get(), 1) == SQLITE_NULL});
  // Unique flags and origins (primary key, unique constraint, created index).
  std::vector<std::pair<std::string, std::pair<bool, std::string>>> flags;
  {
    TStatement info(db, "pragma " + schema + "index_list(" + table + ")", "Index list");
    while (sqlite3_step(info.get()) == SQLITE_ROW)
      flags.push_back({reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 1)),
                       {sqlite3_column_int(info.get(), 2) != 0,
                        reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 3))}});
  }
  // The primary index first, as the engine lists it.
  std::stable_sort(indexes.begin(), indexes.end(), [&](const Index& a, const Index& b) {
    auto pk = [&](const Index& x) {
      for (auto& f : flags)
        if (f.first == x.name) return f.second.second == "pk";
      return false;
    };
    return pk(a) && !pk(b);
  });
  for (const Index& x : indexes) {
    bool unique = false;
    std::string origin = "c";
    for (auto& f : flags)
      if (f.first == x.name) {
        unique = f.second.first;
        origin = f.second.second;
      }
    std::string fields;
    TStatement cols(db, "pragma " + schema + "index_info(" + Quote(x.name) + ")", "Index columns");
    std::vector<std::pair<int, std::string>> parts;
    while (sqlite3_step(cols.get()) == SQLITE_ROW) {
      const unsigned char* colName = sqlite3_column_text(cols.get(), 2);
      parts.push_back({sqlite3_column_int(cols.get(), 0), colName ? reinterpret_cast<const char*>(colName) : ""});
    }
    std::sort(parts.begin(), parts.end());
    for (auto& p : parts) fields += (fields.empty() ? "" : ";") + p.second;
    TIndexOptions options;
    if (origin == "pk") options.Include(ixPrimary).Include(ixUnique);
    if (unique) options.Include(ixUnique);
    GetIndexDefs()->Add(x.autoIndex ? "" : x.name, fields, options);
  }
}

// ---- TParam, TParams --------------------------------------------------------------------

const TClassInfo& TParam::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TParam>("TParam", &TCollectionItem::StaticClass())
                                      .Prop("Name", &TParam::GetName, &TParam::SetName)
                                      .Prop("DataType", &TParam::GetDataType, &TParam::SetDataType).Default(ftUnknown)
                                      .Build();
  return info;
}

void TParam::Assign(const TPersistent* source) {
  if (auto* p = dynamic_cast<const TParam*>(source)) {
    FName = p->FName;
    FDataType = p->FDataType;
    FValue = p->FValue;
    return;
  }
  TCollectionItem::Assign(source);
}

const TClassInfo& TParams::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TParams>("TParams", &TOwnedCollection::StaticClass()).Build();
  return info;
}

TParam* TParams::FindParam(const std::string& name) const {
  for (int i = 0; i < GetCount(); ++i)
    if (SameText(GetItem(i)->GetName(), name)) return GetItem(i);
  return nullptr;
}

TParam* TParams::ParamByName(const std::string& name) const {
  TParam* p = FindParam(name);
  if (!p) DatabaseErrorFmt("Parameter '%s' not found", {name});
  return p;
}

void TParams::ParseSQL(const std::string& sql) {
  std::vector<std::pair<std::string, Variant>> names;
  std::size_t i = 0, n = sql.size();
  while (i < n) {
    char c = sql[i];
    if (c == '\'' || c == '"') {
      ++i;
      while (i < n && sql[i] != c) ++i;
      ++i;
      continue;
    }
    if (c == ':' && i + 1 < n && (std::isalpha(static_cast<unsigned char>(sql[i + 1])) || sql[i + 1] == '_') &&
        (i == 0 || sql[i - 1] != ':')) {
      std::size_t start = ++i;
      while (i < n && (std::isalnum(static_cast<unsigned char>(sql[i])) || sql[i] == '_')) ++i;
      std::string name = sql.substr(start, i - start);
      bool seen = false;
      for (auto& p : names) seen = seen || SameText(p.first, name);
      if (!seen) {
        TParam* old = FindParam(name);
        names.push_back({name, old ? old->GetValue() : Variant::Unassigned()});
      }
      continue;
    }
    ++i;
  }
  Clear();
  for (auto& [name, value] : names) {
    auto* p = static_cast<TParam*>(Add());
    p->SetName(name);
    p->SetValue(value);
  }
}

// ---- TQuery ------------------------------------------------------------------------------

class TQuery::TMasterLink : public TDataLink {
 public:
  explicit TMasterLink(TQuery* query) : FQuery(query) {}

 protected:
  void ActiveChanged() override { FQuery->MasterChanged(); }
  void DataSetChanged() override { FQuery->MasterChanged(); }
  void DataSetScrolled(int) override { FQuery->MasterChanged(); }

 private:
  TQuery* FQuery;
};

const TClassInfo& TQuery::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TQuery>("TQuery", &TDBDataSet::StaticClass())
          .Prop("DataSource", &TQuery::GetDataSource, &TQuery::SetDataSource)
          .Prop("SQL", &TQuery::GetSQL, &TQuery::SetSQL)
          .ReadOnlyProp("Params", &TQuery::GetParams).Stored(false)
          .Build();
  return info;
}

TQuery::TQuery(TComponent* owner)
    : TDBDataSet(owner),
      FSQL(std::make_unique<TStringList>()),
      FParams(std::make_unique<TParams>(this)),
      FMasterLink(std::make_unique<TMasterLink>(this)) {
  FSQL->SetOnChange(Method<&TQuery::SQLChanged>(this));
}

TQuery::~TQuery() {
  Destroying();
  try {
    SetActive(false);
  } catch (...) {
  }
  FSQL->SetOnChange(nullptr);
  FMasterLink->SetDataSource(nullptr);
}

void TQuery::SetSQL(TStrings* sql) { FSQL->Assign(sql); }

void TQuery::SQLChanged(TObject*) {
  if (GetActive() && !HasState(csDestroying)) Close();
  FParams->ParseSQL(FSQL->GetText());
}

TDataSource* TQuery::GetDataSource() const { return FMasterLink->GetDataSource(); }

void TQuery::SetDataSource(TDataSource* source) {
  if (source == GetDataSource()) return;
  if (source && source->IsLinkedTo(this)) DatabaseError(SCircularDataLink, this);
  FMasterLink->SetDataSource(source);
  if (source) source->FreeNotification(this);
}

void TQuery::MasterChanged() {
  if (!GetActive() || GetState() != dsBrowse) return;
  TDataSet* master = FMasterLink->GetDataSet();
  if (!master || !master->GetActive()) return;
  DisableControls();
  struct Enable {
    TQuery* q;
    ~Enable() { q->EnableControls(); }
  } enable{this};
  Close();
  Open();
}

sqlite3_stmt* TQuery::PrepareStatement(std::string* shownSQL) {
  std::string sql = Trim(FSQL->GetText());
  if (sql.empty()) DatabaseError("No SQL statement available", this);
  if (shownSQL) *shownSQL = sql;
  TDatabase* db = OpenDatabase();
  db->AttachTablesOf(sql);
  sqlite3_stmt* raw = nullptr;
  const char* tail = nullptr;
  if (sqlite3_prepare_v2(db->Handle(), sql.c_str(), -1, &raw, &tail) != SQLITE_OK)
    db->Fail("Statement \"" + sql + "\" is refused");
  TDataSet* master = FMasterLink->GetDataSet();
  for (int i = 1; i <= sqlite3_bind_parameter_count(raw); ++i) {
    const char* pname = sqlite3_bind_parameter_name(raw, i);
    std::string name = pname ? std::string(pname + 1) : std::string();
    Variant v;
    TParam* p = name.empty() ? nullptr : FParams->FindParam(name);
    TField* mf = master && master->GetActive() && !name.empty() ? master->FindField(name) : nullptr;
    if (mf)
      v = mf->GetAsVariant();
    else if (p && !p->GetValue().IsEmpty())
      v = p->GetValue();
    else {
      sqlite3_finalize(raw);
      DatabaseErrorFmt("No value for parameter '%s'", {name}, this);
    }
    int rc = SQLITE_OK;
    if (v.IsNull())
      rc = sqlite3_bind_null(raw, i);
    else if (v.VarType() == varCurrency)
      rc = BindCurrency(raw, i, v.AsCurrency());
    else if (v.IsOrdinal() || v.IsBoolean())
      rc = sqlite3_bind_int64(raw, i, v.AsInt64());
    else if (v.IsNumeric() || v.IsDateTime())
      rc = sqlite3_bind_double(raw, i, v.AsFloat());
    else if (v.IsBytes()) {
      auto b = v.AsBytes();
      rc = sqlite3_bind_blob(raw, i, b.data(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
    } else {
      std::string s = v.AsString();
      rc = sqlite3_bind_text(raw, i, s.c_str(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    }
    if (rc != SQLITE_OK) {
      sqlite3_finalize(raw);
      db->Fail("Parameter '" + name + "'");
    }
  }
  return raw;
}

void TQuery::Prepare() {
  sqlite3_stmt* stmt = PrepareStatement(nullptr);
  sqlite3_finalize(stmt);
}

void TQuery::InternalInitFieldDefs() {
  std::string sql;
  sqlite3_stmt* raw = PrepareStatement(&sql);
  struct Fin {
    sqlite3_stmt* s;
    ~Fin() { sqlite3_finalize(s); }
  } fin{raw};
  if (sqlite3_column_count(raw) == 0) DatabaseError("Statement \"" + sql + "\" returns no rows", this);
  FieldDefsFromStatement(raw);
}

void TQuery::InternalOpen() {
  TMemDataSet::InternalOpen();
  std::string sql;
  sqlite3_stmt* raw = PrepareStatement(&sql);
  struct Fin {
    sqlite3_stmt* s;
    ~Fin() { sqlite3_finalize(s); }
  } fin{raw};
  LoadRows(raw, "Statement \"" + sql + "\"");
  BuildView();
}

void TQuery::ExecSQL() {
  CheckInactive();
  std::string sql;
  sqlite3_stmt* raw = PrepareStatement(&sql);
  struct Fin {
    sqlite3_stmt* s;
    ~Fin() { sqlite3_finalize(s); }
  } fin{raw};
  TDatabase* db = GetDatabase();
  int rc;
  while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
  }
  FRowsAffected = sqlite3_changes(db->Handle());
  if (rc != SQLITE_DONE) db->Fail("Statement \"" + sql + "\" failed");
  CloseDatabase();
}

void RegisterEngineClasses() {
  RegisterDataClasses();
  RegisterClasses({&TTable::StaticClass(), &TQuery::StaticClass(), &TDatabase::StaticClass()});
}

}  // namespace fw
