// Tests of filter expressions: results over records of named values, nulls, partial and
// case-insensitive compare, conversions of literals, parse errors with their positions,
// binding, and robustness against arbitrary text.
#include "framework/data/FilterExpr.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "framework/core/Exceptions.h"
#include "framework/core/Text.h"
#include "framework/core/Variant.h"

namespace fw {
namespace {

using TFields = std::vector<std::pair<std::string, Variant>>;

int Resolve(const TFields& fields, const std::string& name) {
  for (std::size_t i = 0; i < fields.size(); ++i)
    if (SameText(fields[i].first, name)) return static_cast<int>(i);
  return -1;
}

/// Parses, binds to `fields` by name (ignoring case) and evaluates over their values.
bool Eval(const std::string& text, const TFields& fields, TFilterExprOptions options = {}) {
  TFilterExpression e(text, options);
  e.Bind([&](const std::string& name) { return Resolve(fields, name); });
  return e.Evaluate([&](int i) { return fields.at(static_cast<std::size_t>(i)).second; });
}

/// Runs `f`, expects EDatabaseError and returns its message.
template <class F>
std::string ErrorOf(F f) {
  try {
    f();
  } catch (const EDatabaseError& e) {
    return e.what();
  } catch (const std::exception& e) {
    ADD_FAILURE() << "unexpected exception type: " << e.what();
    return "";
  }
  ADD_FAILURE() << "no exception";
  return "";
}

struct Case {
  std::string Expr;
  TFields Fields;
  bool Expected;
};

void RunCases(const std::vector<Case>& cases, TFilterExprOptions options = {}) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Expr);
    std::string fields;
    for (const auto& [name, value] : c.Fields) fields += name + "=" + DebugString(value) + " ";
    SCOPED_TRACE(fields);
    try {
      EXPECT_EQ(Eval(c.Expr, c.Fields, options), c.Expected);
    } catch (const std::exception& e) {
      ADD_FAILURE() << "raised: " << e.what();
    }
  }
}

Variant Date(int y, int m, int d, int h = 0, int mi = 0) {
  return Variant(TDateTime::Encode(y, m, d, h, mi));
}
Variant Cur(std::int64_t units) { return Variant(TCurrency{units}); }
Variant Blob(const std::string& s) { return Variant::FromBytes(TBytes(s.begin(), s.end())); }

// -----------------------------------------------------------------------------------------
// Results

TEST(FilterExprTest, EvaluatesComparisonsAndLogic) {
  RunCases({
      {"(X=1) and (Continent=3)", {{"X", 1}, {"Continent", 3}}, true},
      {"(X=1) and (Continent=3)", {{"X", 1}, {"Continent", 2}}, false},
      {"(IdUp=5) and (IdUp<>null)", {{"IdUp", 5}}, true},
      {"(IdUp=5) and (IdUp<>null)", {{"IdUp", 6}}, false},
      {"Name>'B'", {{"Name", "Bob"}}, true},
      {"Name>'B'", {{"Name", "B"}}, false},
      {"Name>'B'", {{"Name", "Abe"}}, false},
      {"Continent = 1", {{"Continent", std::int16_t{1}}}, true},
      {"not (A = 2) or B >= 'x'", {{"A", 2}, {"B", "y"}}, true},
      {"not (A = 2) or B >= 'x'", {{"A", 2}, {"B", "a"}}, false},
      {"not (A = 2) or B >= 'x'", {{"A", 3}, {"B", "a"}}, true},
      {"Name = 'O''Brien'", {{"Name", "O'Brien"}}, true},
      {"Name = 'O''Brien'", {{"Name", "OBrien"}}, false},
      {"[Last Name] = 'Smith'", {{"Last Name", "Smith"}}, true},
      {"\"Last Name\" = 'Smith'", {{"Last Name", "Smith"}}, true},
      {"\"Say \"\"Hi\"\"\" = 1", {{"Say \"Hi\"", 1}}, true},
      {"Born >= '1990-01-31'", {{"Born", Date(1990, 1, 31)}}, true},
      {"Born >= '1990-01-31'", {{"Born", Date(1990, 1, 30, 23, 59)}}, false},
      {"Born < '1990-01-31 12:00'", {{"Born", Date(1990, 1, 31, 11, 59)}}, true},
      {"Flag = True", {{"Flag", true}}, true},
      {"Flag = True", {{"Flag", false}}, false},
      {"Flag = 'false'", {{"Flag", false}}, true},
      {"Flag", {{"Flag", true}}, true},
      {"not Flag", {{"Flag", false}}, true},
      {"(Flag) and X = 1", {{"Flag", true}, {"X", 1}}, true},
      {"True", {}, true},
      {"FALSE or X = 1", {{"X", 1}}, true},
      // A field named True wins over the literal; in brackets it is always a field.
      {"True", {{"True", false}}, false},
      {"[True] = 1", {{"True", 1}}, true},
      // Keywords in any case; NOT binds tighter than AND, AND tighter than OR.
      {"x = 1 AnD NOT y = 2 oR z iS nOt NuLl", {{"X", 1}, {"Y", 2}, {"Z", Variant()}}, false},
      {"A = 1 or B = 1 and C = 1", {{"A", 1}, {"B", 0}, {"C", 0}}, true},
      {"(A = 1 or B = 1) and C = 1", {{"A", 1}, {"B", 0}, {"C", 0}}, false},
      {"not A = 1 or B = 1", {{"A", 1}, {"B", 1}}, true},
      {"not A = 1 and B = 1", {{"A", 2}, {"B", 1}}, true},
      {"not not A = 1", {{"A", 1}}, true},
      // Every operator, with the literal on either side.
      {"X <> 5", {{"X", 4}}, true},
      {"X <= 5", {{"X", 5}}, true},
      {"X < 5", {{"X", 5}}, false},
      {"X >= 5", {{"X", 4}}, false},
      {"X > 5", {{"X", 6}}, true},
      {"5 < X", {{"X", 6}}, true},
      {"5 < X", {{"X", 5}}, false},
      {"5 >= X", {{"X", 5}}, true},
      {"'B*' = Name", {{"Name", "Bob"}}, true},
      // Numbers compare by value across kinds; strings convert to numbers.
      {"Price < 10.5", {{"Price", 10.25}}, true},
      {"Price < 10.5", {{"Price", Cur(105000)}}, false},
      {"Price < 10.5", {{"Price", Cur(104999)}}, true},
      {"Price < 10.5", {{"Price", 10}}, true},
      {"X = 5", {{"X", std::int64_t{5}}}, true},
      {"X = 5", {{"X", 5.0}}, true},
      {"X = 5", {{"X", Cur(50000)}}, true},
      {"X = 5", {{"X", std::uint16_t{5}}}, true},
      {"X = '5'", {{"X", 5}}, true},
      {"X > ' 4.5 '", {{"X", 5}}, true},
      {"X = '100000'", {{"X", std::int16_t{-1}}}, false},
      {"X > -3", {{"X", -2}}, true},
      {"X < 99999999999999999999", {{"X", std::int64_t{INT64_MAX}}}, true},
      {"Price = 0.1", {{"Price", Cur(1000)}}, true},
      {"Born > 0", {{"Born", Date(1990, 1, 1)}}, true},
      // A number against a string compares as written; blobs compare by bytes.
      {"Code = 007", {{"Code", "007"}}, true},
      {"Code = 7", {{"Code", "007"}}, false},
      {"Data = 'ab'", {{"Data", Blob("ab")}}, true},
      {"Data < 'ab'", {{"Data", Blob("aa")}}, true},
      // Two fields, two literals.
      {"A = B", {{"A", 1}, {"B", 1.0}}, true},
      {"A < B", {{"A", "a"}, {"B", "b"}}, true},
      {"A >= B", {{"A", Date(2000, 1, 1)}, {"B", 30000}}, true},
      {"1 = 1", {}, true},
      {"'a' = 'b'", {}, false},
      {"5 = '5'", {}, true},
      // Non-ASCII names and values.
      {"Имя = 'Пётр'", {{"Имя", "Пётр"}}, true},
  });
}

TEST(FilterExprTest, NullsMatchOnlyNullComparisons) {
  const Variant null;
  RunCases({
      {"X = null", {{"X", null}}, true},
      {"X = null", {{"X", 1}}, false},
      {"X <> null", {{"X", null}}, false},
      {"X <> null", {{"X", 1}}, true},
      {"X is null", {{"X", Variant::Unassigned()}}, true},
      {"X is not null", {{"X", ""}}, true},
      {"null = X", {{"X", null}}, true},
      {"null <> X", {{"X", 0}}, true},
      {"X < null", {{"X", 1}}, false},
      {"X >= null", {{"X", null}}, false},
      {"X = 1", {{"X", null}}, false},
      {"X <> 1", {{"X", null}}, false},
      {"X < 1", {{"X", null}}, false},
      // NOT negates the false comparison.
      {"not (X = 1)", {{"X", null}}, true},
      {"not (X <> 1)", {{"X", null}}, true},
      {"A = B", {{"A", null}, {"B", null}}, false},
      {"A <> B", {{"A", 1}, {"B", null}}, false},
      {"Name = 'B*'", {{"Name", null}}, false},
      {"Name <> 'B*'", {{"Name", null}}, false},
      {"Flag", {{"Flag", null}}, false},
      // A literal that fits no kind is harmless until it meets a value.
      {"Qty = 'abc'", {{"Qty", null}}, false},
      {"null = null", {}, true},
      {"null <> 5", {}, true},
  });
}

TEST(FilterExprTest, PartialCompareMatchesPrefixes) {
  const std::vector<Case> byDefault = {
      {"Name = 'Jo*'", {{"Name", "John"}}, true},
      {"Name = 'Jo*'", {{"Name", "Jo"}}, true},
      {"Name = 'Jo*'", {{"Name", "J"}}, false},
      {"Name = 'Jo*'", {{"Name", "john"}}, false},
      {"Name = 'Jo*'", {{"Name", "Jp"}}, false},
      {"Name <> 'Jo*'", {{"Name", "John"}}, false},
      {"Name <> 'Jo*'", {{"Name", "Ann"}}, true},
      {"Name = '*'", {{"Name", ""}}, true},
      {"Name = 'a*b'", {{"Name", "a*b"}}, true},
      {"Name = 'a*b'", {{"Name", "axb"}}, false},
      // Only = and <> match by prefix; other operators compare the text as written.
      {"Name > 'B*'", {{"Name", "B"}}, false},
      {"Name > 'B*'", {{"Name", "Ba"}}, true},
      // Byte prefixes that end in 0xFF bytes.
      {"Name = 'a\xFF*'", {{"Name", "a\xFF\x01"}}, true},
      {"Name = 'a\xFF*'", {{"Name", "a\xFF"}}, true},
      {"Name = 'a\xFF*'", {{"Name", "b"}}, false},
      {"Name = 'a\xFF*'", {{"Name", "a\xFE\xFF"}}, false},
      {"Name = '\xFF\xFF*'", {{"Name", "\xFF\xFF\xFF"}}, true},
      {"Name = '\xFF\xFF*'", {{"Name", "\xFF"}}, false},
      // Other kinds match by their text.
      {"Id = '12*'", {{"Id", 123}}, true},
      {"Id = '12*'", {{"Id", 312}}, false},
      {"Born = '1990-01*'", {{"Born", Date(1990, 1, 5)}}, true},
      {"Born <> '1990-01*'", {{"Born", Date(1990, 2, 5)}}, true},
  };
  RunCases(byDefault);

  RunCases(
      {
          {"Name = 'Jo*'", {{"Name", "JOHN"}}, true},
          {"Name = 'иван*'", {{"Name", "ИВАНОВ"}}, true},
          {"Name <> 'иван*'", {{"Name", "ИВАНОВ"}}, false},
          {"Name = 'иван*'", {{"Name", "ПЕТРОВ"}}, false},
      },
      TFilterExprOptions{true, false});

  RunCases(
      {
          {"Name = 'Jo*'", {{"Name", "John"}}, false},
          {"Name = 'Jo*'", {{"Name", "Jo*"}}, true},
          {"Name <> 'Jo*'", {{"Name", "John"}}, true},
          {"Id = '12*'", {{"Id", "12*"}}, true},
      },
      TFilterExprOptions{false, true});
}

TEST(FilterExprTest, CaseInsensitiveOptionFoldsUnicode) {
  const std::vector<Case> cases = {
      {"Name = 'smith'", {{"Name", "SMITH"}}, true},
      {"Name < 'b'", {{"Name", "B"}}, false},
      {"Name < 'b'", {{"Name", "a"}}, true},
      {"Name = 'ёлка'", {{"Name", "ЁЛКА"}}, true},
      {"Name = 'Пётр'", {{"Name", "пётр"}}, true},
      {"Name < 'Б'", {{"Name", "а"}}, true},
      {"Name >= 'Б'", {{"Name", "б"}}, true},
      {"A = B", {{"A", "ДОМ"}, {"B", "дом"}}, true},
      {"Code = 7", {{"Code", "7"}}, true},
      {"Flag = TRUE", {{"Flag", "true"}}, true},
  };
  RunCases(cases, TFilterExprOptions{true, false});

  // The same texts compare by bytes without the option.
  RunCases({
      {"Name = 'smith'", {{"Name", "SMITH"}}, false},
      {"Name < 'b'", {{"Name", "B"}}, true},
      {"Name = 'ёлка'", {{"Name", "ЁЛКА"}}, false},
      {"A = B", {{"A", "ДОМ"}, {"B", "дом"}}, false},
  });
}

TEST(FilterExprTest, LongChainsAndDeepNestingWithinTheLimit) {
  std::string chain;
  for (int i = 0; i < 50000; ++i) chain += "X = 1 or ";
  chain += "X = 2";
  EXPECT_TRUE(Eval(chain, {{"X", 2}}));
  EXPECT_FALSE(Eval(chain, {{"X", 3}}));

  std::string nested = std::string(200, '(') + "X = 1" + std::string(200, ')');
  EXPECT_TRUE(Eval(nested, {{"X", 1}}));

  std::string nots;
  for (int i = 0; i < 199; ++i) nots += "not ";
  EXPECT_TRUE(Eval(nots + "X = 2", {{"X", 1}}));  // an odd count negates
}

// -----------------------------------------------------------------------------------------
// Errors

TEST(FilterExprTest, MalformedExpressionsNameThePlaceAndWhatWasExpected) {
  struct Bad {
    std::string Expr;
    int Position;
    std::string Fragment;
  };
  const std::vector<Bad> cases = {
      {"(X=1) and", 10, "is incomplete: expected a value"},
      {"(X= )", 5, "is invalid: unexpected ')' at position 5; expected a value"},
      {"", 1, "is incomplete: expected a value"},
      {"   ", 4, "is incomplete: expected a value"},
      {"X =", 4, "is incomplete: expected a value"},
      {"(X = 1", 7, "is incomplete: expected AND, OR or ')'"},
      {"X = 1)", 6, "unexpected ')' at position 6; expected AND, OR or the end of the expression"},
      {"X = 1 Y = 2", 7, "unexpected 'Y'"},
      {"Flag Y", 6, "expected a comparison operator, AND, OR or the end of the expression"},
      {"5", 2, "is incomplete: expected a comparison operator"},
      {"'abc' and X = 1", 7, "unexpected 'and' at position 7; expected a comparison operator"},
      {"null", 5, "expected a comparison operator"},
      {"X = 'a' 'b'", 9, "unexpected string 'b'"},
      {"and X = 1", 1, "unexpected 'and' at position 1; expected a value"},
      {"not", 4, "is incomplete: expected a value"},
      {"X = 1 and or Y = 2", 11, "unexpected 'or'"},
      {"X == 1", 4, "unexpected '=' at position 4; expected a value"},
      {"X = 1 = 2", 7, "unexpected '='"},
      {"X is 1", 6, "unexpected '1' at position 6; expected NULL or NOT NULL"},
      {"X is not", 9, "is incomplete: expected NULL"},
      {"Name = 'abc", 8, "unterminated string at position 8"},
      {"Name = 'it''s", 8, "unterminated string"},
      {"[Last Name = 1", 1, "unterminated field name at position 1"},
      {"\"Last Name = 1", 1, "unterminated field name"},
      {"[] = 1", 1, "empty field name"},
      {"\"\" = 1", 1, "empty field name"},
      {"X = 1 # 2", 7, "unexpected character '#'"},
      {"X != 1", 3, "unexpected character '!'"},
      {"X = 1.", 6, "unexpected character '.'"},
      {"X = -", 5, "unexpected character '-'"},
      {"X = 1 and ()", 12, "unexpected ')' at position 12; expected a value"},
      // Positions count characters, not bytes.
      {"Имя = 'ё' )", 11, "unexpected ')' at position 11"},
      {"Имя = 'ё", 7, "unterminated string at position 7"},
  };
  for (const Bad& c : cases) {
    SCOPED_TRACE(c.Expr);
    std::string message = ErrorOf([&] { TFilterExpression e(c.Expr); });
    EXPECT_EQ(message.rfind("Filter expression \"" + c.Expr + "\" is ", 0), 0u) << message;
    EXPECT_NE(message.find("at position " + std::to_string(c.Position)), std::string::npos)
        << message;
    EXPECT_NE(message.find(c.Fragment), std::string::npos) << message;
  }
}

TEST(FilterExprTest, MessagesKeepTheWholeTextAndThePlace) {
  // A number beyond the range of a double, NUL bytes (shown as #0) and what follows them.
  const std::string huge = "1" + std::string(400, '0');
  struct Bad {
    std::string Expr;
    std::string Message;
  };
  const std::vector<Bad> cases = {
      {"X = " + huge, "Filter expression \"X = " + huge + "\" is invalid: number out of range at position 5"},
      {"(X = 1) or (Y < -" + huge + ")",
       "Filter expression \"(X = 1) or (Y < -" + huge + ")\" is invalid: number out of range at position 17"},
      {std::string("Name = 'a\0b' and", 16),
       "Filter expression \"Name = 'a#0b' and\" is incomplete: expected a value at position 17"},
      {std::string("X = 1 \0 Y", 9),
       "Filter expression \"X = 1 #0 Y\" is invalid: unexpected 'Y' at position 9; expected AND, OR "
       "or the end of the expression"},
  };
  for (const Bad& c : cases) {
    SCOPED_TRACE(c.Message);
    EXPECT_EQ(ErrorOf([&] { TFilterExpression e(c.Expr); }), c.Message);
  }
  // A number that a double holds is no error, however long.
  EXPECT_TRUE(Eval("X < " + std::string(300, '9'), {{"X", 1}}));
}

TEST(FilterExprTest, NestingBeyondTheLimitIsAnError) {
  for (const std::string& text :
       {std::string(201, '(') + "X = 1" + std::string(201, ')'),
        [] {
          std::string s;
          for (int i = 0; i < 201; ++i) s += "not ";
          return s + "X = 1";
        }(),
        std::string(100000, '(')}) {
    SCOPED_TRACE(text.substr(0, 20));
    std::string message = ErrorOf([&] { TFilterExpression e(text); });
    EXPECT_NE(message.find("nesting deeper than 200 levels"), std::string::npos) << message.substr(0, 300);
  }
}

TEST(FilterExprTest, UnknownFieldsFailToBind) {
  TFields fields = {{"Name", "x"}, {"Flag", true}};
  for (std::string text : {"Nme = 'x'", "Name = 'x' or [True] = 1", "Name = Other"}) {
    SCOPED_TRACE(text);
    TFilterExpression e(text);
    std::string message = ErrorOf([&] { e.Bind([&](const std::string& n) { return Resolve(fields, n); }); });
    EXPECT_NE(message.find("Field '"), std::string::npos) << message;
    EXPECT_NE(message.find("' not found in filter \"" + text + "\""), std::string::npos) << message;
    EXPECT_FALSE(e.IsBound());
    EXPECT_NE(ErrorOf([&] { e.Evaluate([](int) { return Variant(); }); }).find("not bound"),
              std::string::npos);
  }
  EXPECT_NE(ErrorOf([&] { Eval("Nme = 'x'", fields); }).find("Field 'Nme' not found"),
            std::string::npos);
}

TEST(FilterExprTest, LiteralsThatDoNotFitTheValueRaise) {
  struct Bad {
    std::string Expr;
    TFields Fields;
    std::string Fragment;
  };
  const std::vector<Bad> cases = {
      {"Qty = 'abc'", {{"Qty", 5}}, "Cannot compare field 'Qty' (Integer) with 'abc' in filter \"Qty = 'abc'\""},
      {"'abc' < Qty", {{"Qty", 5.5}}, "Cannot compare field 'Qty' (Double) with 'abc'"},
      {"Born = 'yesterday'", {{"Born", Date(2000, 1, 1)}}, "field 'Born' (Date) with 'yesterday'"},
      {"Flag = 'maybe'", {{"Flag", true}}, "field 'Flag' (Boolean) with 'maybe'"},
      {"Qty = True", {{"Qty", 1}}, "field 'Qty' (Integer) with True"},
      {"A = B", {{"A", 1}, {"B", "1"}}, "Cannot compare field 'A' (Integer) with field 'B' (String)"},
      {"A < B", {{"A", true}, {"B", 1}}, "field 'A' (Boolean) with field 'B' (Integer)"},
      {"X = 1", {{"X", Variant::Array({1})}}, "field 'X' (Array) with 1"},
      {"X = '1*'", {{"X", Variant::Array({1})}}, "field 'X' (Array) with '1*'"},
      {"1 = 'abc'", {}, "Cannot compare 1 with 'abc'"},
      {"Name", {{"Name", "x"}}, "field 'Name' (String) is not a Boolean condition in filter \"Name\""},
  };
  for (const Bad& c : cases) {
    SCOPED_TRACE(c.Expr);
    std::string message = ErrorOf([&] { Eval(c.Expr, c.Fields); });
    EXPECT_NE(message.find(c.Fragment), std::string::npos) << message;
  }
}

// -----------------------------------------------------------------------------------------
// Binding

TEST(FilterExprTest, BindingResolvesNamesAndCanBeRedone) {
  TFilterExpression e("B = 1 and (A = 2 or B = A) and True");
  EXPECT_FALSE(e.IsBound());
  EXPECT_TRUE(e.FieldIndexes().empty());
  EXPECT_NE(ErrorOf([&] { e.Evaluate([](int) { return Variant(1); }); }).find("not bound"),
            std::string::npos);

  std::vector<std::string> names = {"A", "x", "y", "B"};
  std::vector<std::string> asked;
  e.Bind([&](const std::string& n) {
    asked.push_back(n);
    for (std::size_t i = 0; i < names.size(); ++i)
      if (names[i] == n) return static_cast<int>(i);
    return -1;
  });
  EXPECT_TRUE(e.IsBound());
  EXPECT_EQ(e.FieldIndexes(), (std::vector<int>{3, 0}));
  EXPECT_EQ(asked, (std::vector<std::string>{"B", "A", "B", "A", "True"}));
  std::vector<Variant> row = {2, Variant(), Variant(), 1};
  EXPECT_TRUE(e.Evaluate([&](int i) { return row.at(static_cast<std::size_t>(i)); }));

  // Another layout: the same names at other indexes, and a field named True.
  names = {"True", "B", "A"};
  e.Bind([&](const std::string& n) {
    for (std::size_t i = 0; i < names.size(); ++i)
      if (names[i] == n) return static_cast<int>(i);
    return -1;
  });
  EXPECT_EQ(e.FieldIndexes(), (std::vector<int>{1, 2, 0}));
  row = {false, 1, 2};
  EXPECT_FALSE(e.Evaluate([&](int i) { return row.at(static_cast<std::size_t>(i)); }));
  row = {true, 1, 2};
  EXPECT_TRUE(e.Evaluate([&](int i) { return row.at(static_cast<std::size_t>(i)); }));
}

TEST(FilterExprTest, ExpressionsWithoutNamesNeedNoBinding) {
  TFilterExpression e("1 < 2 and not 'a' = 'b'");
  EXPECT_TRUE(e.IsBound());
  EXPECT_TRUE(e.Evaluate([](int) -> Variant { throw std::logic_error("no field is read"); }));
  EXPECT_EQ(e.Text(), "1 < 2 and not 'a' = 'b'");
}

TEST(FilterExprTest, RightSideIsSkippedWhenTheLeftDecides) {
  // B holds a value that cannot be compared with its literal: reading it would raise.
  TFields fields = {{"A", 1}, {"B", 5}};
  EXPECT_TRUE(Eval("A = 1 or B = 'abc'", fields));
  EXPECT_FALSE(Eval("A = 2 and B = 'abc'", fields));
  EXPECT_FALSE(ErrorOf([&] { Eval("A = 2 or B = 'abc'", fields); }).empty());
}

// -----------------------------------------------------------------------------------------
// Robustness: any text parses or raises EDatabaseError, and what parses evaluates.

void CheckArbitrary(const std::string& text) {
  std::optional<TFilterExpression> e;
  try {
    e.emplace(text);
  } catch (const EDatabaseError&) {
    return;
  } catch (const std::exception& ex) {
    ADD_FAILURE() << "parse of \"" << text << "\" raised " << ex.what();
    return;
  }
  try {
    e->Bind([](const std::string& name) { return static_cast<int>(name.size() % 3); });
    const Variant row[] = {Variant(1), Variant("1"), Variant()};
    e->Evaluate([&](int i) { return row[i]; });
  } catch (const EDatabaseError&) {
  } catch (const std::exception& ex) {
    ADD_FAILURE() << "evaluation of \"" << text << "\" raised " << ex.what();
  }
}

TEST(FilterExprTest, ArbitraryTextParsesOrRaises) {
  const std::vector<std::string> pieces = {
      "(", ")", "'", "\"", "[", "]", "=", "<", ">", "-", "1", ".", "*", " ", "X", "and ",
      "or ", "not ", "is ", "null ", "true ", "\xD0\x98", "\xFF", std::string(1, '\0')};
  // Every text of up to three pieces.
  std::vector<std::string> texts = {""};
  for (int len = 0; len < 3; ++len) {
    std::vector<std::string> longer;
    for (const std::string& t : texts)
      for (const std::string& p : pieces) longer.push_back(t + p);
    for (const std::string& t : longer) CheckArbitrary(t);
    texts = std::move(longer);
  }
  // And longer random ones.
  std::mt19937 rng(20240531);
  for (int n = 0; n < 3000; ++n) {
    std::string text;
    std::size_t len = rng() % 40;
    for (std::size_t k = 0; k < len; ++k) text += pieces[rng() % pieces.size()];
    CheckArbitrary(text);
  }
}

}  // namespace
}  // namespace fw
