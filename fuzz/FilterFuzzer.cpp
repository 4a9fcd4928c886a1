// Fuzz target of the filter language. The first byte of an input chooses the options
// (bit 0: case-insensitive, bit 1: no partial compare); the rest is the expression.
// It is evaluated two ways over the same small table of values of every field type
// (nulls, Cyrillic text, large and negative numbers):
// - as a TFilterExpression, bound to the column names and evaluated row by row; where it
//   evaluates, `not (expression)` must evaluate to the opposite;
// - as the Filter of an in-memory dataset holding those rows, walked from first to last
//   (every field read as text); where the direct evaluation gave an answer for every row,
//   the dataset must show exactly the rows it accepted. An append under the filter follows.
// Errors must be EDatabaseError (or another framework error for values a field refuses);
// any other exception escapes and stops the run, as does a crash, a leak or undefined
// behaviour. With QORFUZZ_VERBOSE=1 in the environment each input's outcome is printed.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "framework/core/Exceptions.h"
#include "framework/core/Text.h"
#include "framework/core/Variant.h"
#include "framework/data/DataSet.h"
#include "framework/data/Field.h"
#include "framework/data/FilterExpr.h"
#include "framework/data/MemDataSet.h"

namespace {

bool Verbose() {
  static const bool verbose = [] {
    const char* v = std::getenv("QORFUZZ_VERBOSE");
    return v && *v && *v != '0';
  }();
  return verbose;
}

struct TColumn {
  const char* Name;
  fw::TFieldType Type;
  int Size;
};

const TColumn Columns[] = {
    {"Id", fw::ftInteger, 0},      {"Name", fw::ftString, 20},   {"Last Name", fw::ftString, 20},
    {"Price", fw::ftFloat, 0},     {"Cost", fw::ftCurrency, 0},  {"Born", fw::ftDate, 0},
    {"Seen", fw::ftDateTime, 0},   {"Active", fw::ftBoolean, 0}, {"Big", fw::ftLargeint, 0},
    {"Small", fw::ftSmallint, 0},  {"Count", fw::ftWord, 0},     {"Note", fw::ftMemo, 0},
};
constexpr int ColumnCount = static_cast<int>(sizeof Columns / sizeof Columns[0]);

using TRow = std::vector<fw::Variant>;

fw::Variant Date(int y, int m, int d, int h = 0, int mi = 0) {
  return fw::Variant(fw::TDateTime::Encode(y, m, d, h, mi));
}

const std::vector<TRow>& Rows() {
  using fw::Variant;
  static const std::vector<TRow> rows = {
      {Variant(1), Variant("Smith"), Variant("Ann Lee"), Variant(10.5), Variant(fw::TCurrency{105000}),
       Date(1990, 1, 31), Date(2020, 2, 29, 13, 45), Variant(true), Variant(std::int64_t{1} << 40),
       Variant(std::int16_t{-3}), Variant(std::uint16_t{7}), Variant("first\nline")},
      {Variant(2), Variant("Иванов"), Variant("ёлка"), Variant(-0.25), Variant(fw::TCurrency{-1}),
       Date(1, 1, 1), Date(9999, 12, 31, 23, 59), Variant(false), Variant(std::int64_t{-9007199254740993}),
       Variant(std::int16_t{32767}), Variant(std::uint16_t{65535}), Variant("")},
      {Variant(3), Variant(), Variant("o'Brien"), Variant(), Variant(), Variant(), Variant(), Variant(),
       Variant(), Variant(), Variant(), Variant()},
      {Variant(-2147483647 - 1), Variant("ab*"), Variant("AB"), Variant(1e300),
       Variant(fw::TCurrency{922337203685477}), Date(1899, 12, 30), Date(1899, 12, 29, 6), Variant(true),
       Variant(std::int64_t{0}), Variant(std::int16_t{-32768}), Variant(std::uint16_t{0}), Variant("ab*")},
      {Variant(2147483647), Variant(" 12 "), Variant("12"), Variant(12.0), Variant(fw::TCurrency{120000}),
       Date(2000, 2, 29), Date(1970, 1, 1), Variant(false), Variant(std::int64_t{12}), Variant(std::int16_t{12}),
       Variant(std::uint16_t{12}), Variant("12")},
  };
  return rows;
}

int Resolve(const std::string& name) {
  for (int i = 0; i < ColumnCount; ++i)
    if (fw::SameText(Columns[i].Name, name)) return i;
  return -1;
}

[[noreturn]] void Fail(const char* what, const std::string& expr) {
  std::fprintf(stderr, "fuzz_filter: %s\nexpression: %s\n", what, expr.c_str());
  std::abort();
}

/// The expression's answer for every row, or nothing when it does not parse, does not
/// bind or raises for some row. Checks `not (...)` against it on the way.
std::optional<std::vector<bool>> EvaluateDirectly(const std::string& text, fw::TFilterExprOptions options) {
  std::optional<fw::TFilterExpression> expr, negated;
  try {
    expr.emplace(text, options);
    expr->Bind(Resolve);
  } catch (const fw::EDatabaseError& e) {
    if (Verbose()) std::fprintf(stderr, "refused: %s\n", e.what());
    return std::nullopt;
  }
  // A whole expression in parentheses is an operand of NOT.
  try {
    negated.emplace("not (" + text + ")", options);
    negated->Bind(Resolve);
  } catch (const fw::EDatabaseError& e) {
    Fail("the negation of a valid expression does not parse", text + "\nerror: " + e.what());
  }

  std::vector<bool> result;
  bool complete = true;
  for (const TRow& row : Rows()) {
    auto value = [&row](int index) { return row.at(static_cast<std::size_t>(index)); };
    std::optional<bool> plain, opposite;
    try {
      plain = expr->Evaluate(value);
    } catch (const fw::EDatabaseError& e) {
      if (Verbose()) std::fprintf(stderr, "raised: %s\n", e.what());
    }
    try {
      opposite = negated->Evaluate(value);
    } catch (const fw::EDatabaseError&) {
    }
    if (plain.has_value() != opposite.has_value())
      Fail("an expression and its negation disagree on raising", text);
    if (plain && *plain == *opposite) Fail("not (expression) has the value of the expression", text);
    if (!plain) complete = false;
    result.push_back(plain.value_or(false));
  }
  if (!complete) return std::nullopt;
  return result;
}

/// An in-memory dataset holding Rows().
struct TFixture {
  fw::TMemDataSet Data{nullptr};

  TFixture() {
    for (const TColumn& c : Columns) Data.GetFieldDefs()->Add(c.Name, c.Type, c.Size);
    Data.CreateDataSet();
    for (const TRow& row : Rows()) {
      Data.Append();
      for (int i = 0; i < ColumnCount; ++i)
        if (!row[static_cast<std::size_t>(i)].IsNull()) Data.GetField(i)->SetAsVariant(row[static_cast<std::size_t>(i)]);
      Data.Post();
    }
  }

  /// Walks the view from the first record, reading every field; returns the Ids seen.
  std::vector<int> Walk() {
    std::vector<int> ids;
    Data.First();
    while (!Data.GetEOF()) {
      for (int i = 0; i < Data.GetFieldCount(); ++i) (void)Data.GetField(i)->GetDisplayText();
      ids.push_back(Data.GetField(0)->GetAsInteger());
      Data.Next();
    }
    return ids;
  }
};

void FilterDataSet(const std::string& text, bool caseInsensitive, bool noPartial,
                   const std::optional<std::vector<bool>>& expected) {
  TFixture f;
  fw::TFilterOptions options;
  if (caseInsensitive) options.Include(fw::foCaseInsensitive);
  if (noPartial) options.Include(fw::foNoPartialCompare);
  f.Data.SetFilterOptions(options);
  std::vector<int> ids;
  try {
    f.Data.SetFilter(text);
    f.Data.SetFiltered(true);
    ids = f.Walk();
  } catch (const fw::EDatabaseError& e) {
    if (Verbose()) std::fprintf(stderr, "dataset refused: %s\n", e.what());
    return;
  }
  if (Verbose()) {
    std::string shown;
    for (int id : ids) shown += " " + std::to_string(id);
    std::fprintf(stderr, "dataset shows:%s\n", shown.c_str());
  }
  if (expected) {
    std::vector<int> want;
    for (std::size_t r = 0; r < Rows().size(); ++r)
      if ((*expected)[r]) want.push_back(Rows()[r][0].AsInteger());
    std::vector<int> got = ids;
    std::sort(got.begin(), got.end());
    std::sort(want.begin(), want.end());
    if (got != want) Fail("the filtered dataset shows other rows than the expression accepts", text);
  }

  // A record appended under the filter: posted or refused, never half-done.
  try {
    f.Data.Append();
    f.Data.FieldByName("Id")->SetAsInteger(100);
    f.Data.FieldByName("Name")->SetAsString("Smith");
    f.Data.FieldByName("Price")->SetAsFloat(10.5);
    f.Data.Post();
  } catch (const fw::EDatabaseError&) {
    if (f.Data.GetState() == fw::dsInsert) f.Data.Cancel();
  }
  try {
    (void)f.Walk();
  } catch (const fw::EDatabaseError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool caseInsensitive = data[0] & 1;
  const bool noPartial = data[0] & 2;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

  fw::TFilterExprOptions options;
  options.CaseInsensitive = caseInsensitive;
  options.NoPartialCompare = noPartial;
  const std::optional<std::vector<bool>> expected = EvaluateDirectly(text, options);
  FilterDataSet(text, caseInsensitive, noPartial, expected);
  return 0;
}
