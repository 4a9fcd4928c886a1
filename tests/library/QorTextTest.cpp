// Tests of the pure text routines: PadText (QorPas) and the query-text routines of
// QorDBFun (FindOrderBy, GetOrderByFields, ReplaceOrderBy, AndFilters).
#include <gtest/gtest.h>

#include <cstddef>
#include <random>
#include <string>
#include <vector>

#include "framework/core/Component.h"
#include "framework/core/TypInfo.h"
#include "framework/core/Types.h"
#include "library/QorDBFun.h"
#include "library/QorPas.h"

namespace {

using qor::AndFilters;
using qor::FindOrderBy;
using qor::GetOrderByFields;
using qor::PadText;
using qor::ReplaceOrderBy;

// ---------------------------------------------------------------------------- PadText

struct PadCase {
  std::string text;
  int width;
  int alignment;
  std::string expected;
};

TEST(QorTextTest, PadText) {
  const std::vector<PadCase> cases = {
      {"abc", 5, fw::taLeftJustify, "abc  "},
      {"abc", 5, fw::taRightJustify, "  abc"},
      {"abc", 5, fw::taCenter, " abc "},
      {"ab", 5, fw::taCenter, " ab  "},  // odd surplus: extra blank on the right
      {"ab", 6, fw::taCenter, "  ab  "},
      {"a", 2, fw::taCenter, "a "},
      {"abcdef", 4, fw::taLeftJustify, "abcd"},
      {"abcdef", 4, fw::taRightJustify, "abcd"},
      {"abcdef", 4, fw::taCenter, "abcd"},
      {"abcdef", 4, 7, "abcd"},
      {"abcd", 4, fw::taRightJustify, "abcd"},  // exact length
      {"abcd", 4, 99, "abcd"},
      {"abc", 0, fw::taLeftJustify, ""},
      {"abc", 0, fw::taCenter, ""},
      {"", 0, fw::taLeftJustify, ""},
      {"abc", -1, fw::taLeftJustify, ""},
      {"abc", -5, fw::taRightJustify, ""},
      {"", 3, fw::taLeftJustify, "   "},
      {"", 3, fw::taRightJustify, "   "},
      {"", 3, fw::taCenter, "   "},
      {"", 3, 5, "   "},
      {"abc", 5, 3, "     "},   // unknown alignment: all blanks
      {"abc", 5, -1, "     "},
      {"Язык", 6, fw::taRightJustify, "  Язык"},
      {"Язык", 6, fw::taLeftJustify, "Язык  "},
      {"Язык", 7, fw::taCenter, " Язык  "},
      {"Язык", 2, fw::taLeftJustify, "Яз"},
      {"Язык", 4, fw::taCenter, "Язык"},
      {"日本語", 2, fw::taRightJustify, "日本"},
      {"a😀b", 2, fw::taLeftJustify, "a😀"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("text=\"" + c.text + "\" width=" + std::to_string(c.width) +
                 " alignment=" + std::to_string(c.alignment));
    EXPECT_EQ(PadText(c.text, c.width, c.alignment), c.expected);
  }
}

// ------------------------------------------------------------------------ FindOrderBy

struct FindCase {
  std::string sql;
  int start;  // FindOrderBy(sql, true)
  int end;    // FindOrderBy(sql, false)
};

TEST(QorTextTest, FindOrderBy) {
  const std::vector<FindCase> cases = {
      {"select * from Lang.db\r\norder by id", 24, 32},
      {"order by x", 1, 9},
      {"ORDER BY x", 1, 9},
      {"Order By x", 1, 9},
      {"oRdEr bY x", 1, 9},
      {"order   by x", 1, 11},
      {"order\tby x", 1, 9},
      {"order\r\n\t  by x", 1, 13},
      {"order\nby", 1, 9},
      {"orderby x", 1, 8},     // no blank needed between the words
      {"reorder by x", 3, 11},  // not checked to stand alone as words
      {"order, by x", 0, 0},
      {"order b y", 0, 0},
      {"order", 0, 0},
      {"order ", 0, 0},
      {"order b", 0, 0},
      {"orde by", 0, 0},
      {"", 0, 0},
      {"select * from t", 0, 0},
      // Quoted literals hide the words.
      {"select * from t where Note = 'order by x'", 0, 0},
      {"select \"order by\" from t", 0, 0},
      {"select * from t where Note = 'order by x' order by Name", 43, 51},
      {"select \"order\" from t order by a", 23, 31},
      // An apostrophe inside a quoted name and a double quote inside a literal are
      // plain characters of their name or literal.
      {"select \"it's\" from t order by a", 22, 30},
      {"select \"it's\" from t where n = 'a\"b' or m = 'order by x'", 0, 0},
      {"select 'a\"b' from t order by a", 21, 29},
      {"select * from t where n = 'it''s order by x'", 0, 0},
      {"select `order by`, [order by] from t", 0, 0},
      {"select [a] from t order by a", 19, 27},
      // Comments hide the words, to the end of the line or to "*/".
      {"select * from t -- order by x\nwhere a = 1", 0, 0},
      {"select * from t /* order by x */ where a = 1", 0, 0},
      {"select * from t /* order by x", 0, 0},
      {"select * from t -- note\norder by a", 25, 33},
      {"select * from t /* note */ order by a", 28, 36},
      {"select * from t where a = 1 -- it's\norder by a", 37, 45},
      // So do parentheses: a subquery's clause is not the query's own.
      {"select * from (select * from u order by v) x", 0, 0},
      {"select * from t where a in (select b from u order by b) order by c", 57, 65},
      {"select count(*) from t order by a", 24, 32},
      {"select * from t where (a = 1 order by a", 0, 0},
      {"select a) from t order by a", 18, 26},  // an unmatched ")" is passed over
      // A candidate whose "by" is missing does not stop the search.
      {"order x order by y", 9, 17},
      {"select order from t order by a", 21, 29},
      // Character 0 counts as a blank.
      {std::string("order\0by x", 10), 1, 9},
      // Non-ASCII text before the clause: positions are byte positions ("Язык" is 8 bytes).
      {"select Язык from t order by Язык", 24, 32},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("sql=\"" + c.sql + "\"");
    EXPECT_EQ(FindOrderBy(c.sql, true), c.start);
    EXPECT_EQ(FindOrderBy(c.sql, false), c.end);
  }
}

// The procedure step by step, rescanning the text from the start for every candidate
// to tell whether it lies in the statement's own text (outside literals, quoted names,
// comments and parentheses); the real routine must give the same answers.
bool ReferencePlainAt(const std::string& sql, std::size_t at) {
  char quote = 0;  // the closing character of the literal or name we are in
  bool lineComment = false, blockComment = false;
  int depth = 0;
  for (std::size_t i = 0; i < at; ++i) {
    const char c = sql[i];
    const char next = i + 1 < sql.size() ? sql[i + 1] : '\0';
    if (quote) {
      if (c == quote) quote = 0;
    } else if (lineComment) {
      if (c == '\n') lineComment = false;
    } else if (blockComment) {
      if (c == '*' && next == '/') {
        blockComment = false;
        ++i;
      }
    } else if (c == '\'' || c == '"' || c == '`') {
      quote = c;
    } else if (c == '[') {
      quote = ']';
    } else if (c == '-' && next == '-') {
      lineComment = true;
      ++i;
    } else if (c == '/' && next == '*') {
      blockComment = true;
      ++i;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')' && depth > 0) {
      --depth;
    }
  }
  return !quote && !lineComment && !blockComment && depth == 0;
}

int ReferenceFindOrderBy(const std::string& sql, bool returnStart) {
  std::string low = sql;
  for (char& ch : low)
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch + 32);
  std::size_t start = 1;
  while (start <= sql.size()) {
    std::size_t found = low.find("order", start - 1);
    if (found == std::string::npos) return 0;
    std::size_t p = found + 1;
    start = p + 5;
    if (!ReferencePlainAt(sql, p - 1)) continue;
    while (start <= sql.size() && static_cast<unsigned char>(sql[start - 1]) <= 32) ++start;
    if (start + 1 <= sql.size() && low[start - 1] == 'b' && low[start] == 'y')
      return static_cast<int>(returnStart ? p : start + 2);
  }
  return 0;
}

std::string RandomText(std::mt19937& rng, const std::vector<std::string>& pieces, int maxPieces) {
  std::uniform_int_distribution<int> count(0, maxPieces);
  std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
  std::string s;
  for (int n = count(rng); n > 0; --n) s += pieces[pick(rng)];
  return s;
}

const std::vector<std::string> kPieces = {
    "order", "ORDER", "by", "BY", "b", "y", "or", "der", " ", "\t", "\r\n", ",", ";",
    "'", "\"", "a", "Name", "desc", "Я", ".", "x", "--", "-", "/*", "*/", "*", "/", "\n",
    "(", ")", "`", "[", "]"};

TEST(QorTextTest, FindOrderByMatchesReference) {
  std::mt19937 rng(20240601);
  for (int iter = 0; iter < 20000; ++iter) {
    const std::string sql = RandomText(rng, kPieces, 16);
    SCOPED_TRACE("sql=\"" + sql + "\"");
    ASSERT_EQ(FindOrderBy(sql, true), ReferenceFindOrderBy(sql, true));
    ASSERT_EQ(FindOrderBy(sql, false), ReferenceFindOrderBy(sql, false));
  }
}

TEST(QorTextTest, FindOrderBySkipsManyQuotedCandidates) {
  // Many quoted candidates before the real clause (a rescan from position 1 for each one
  // would make this run for hours).
  std::string sql = "select * from t where ";
  for (int i = 0; i < 200000; ++i) sql += "N = 'order by' or ";
  sql += "1=1 order by Name";
  EXPECT_EQ(FindOrderBy(sql, true), static_cast<int>(sql.size()) - 13 + 1);
  EXPECT_EQ(GetOrderByFields(sql), "Name");
}

// ------------------------------------------------------------------- GetOrderByFields

struct FieldsCase {
  std::string sql;
  std::string expected;
};

TEST(QorTextTest, GetOrderByFields) {
  const std::vector<FieldsCase> cases = {
      {"select * from Lang.db\r\norder by id", "id"},
      {"select * from t where Note = 'order by x' order by Name", "Name"},
      {"select * from t order by a desc, b asc", "a;b"},
      {"select * from t order by Name desc, Id", "Name;Id"},
      {"select * from t order by a,b,c", "a;b;c"},
      {"select * from t order by a , b", "a;b"},
      {"select * from t order by\r\n  a,\r\n  b\r\n", "a;b"},
      {"select * from t order by t.Name", "t.Name"},
      {"select * from t order by Язык desc, Имя", "Язык;Имя"},
      {"select * from t", ""},
      {"", ""},
      {"select * from t where x = 'order by y'", ""},
      {"select * from t order by", ""},
      {"select * from t order by   ", ""},
      // A trailing comma leaves an empty last item, as the walk gives it.
      {"select * from t order by a,", "a;"},
      // Semicolons: the statement, and so the clause, ends there.
      {"select * from t order by Name;", "Name"},
      {"select * from t order by Name ;", "Name"},
      {"select * from t order by Name desc;", "Name"},
      {"select * from t order by a, b;", "a;b"},
      {"select * from t order by a;b", "a"},
      {"select * from t order by a; select 1", "a"},
      {"select * from t order by ;", ""},
      // Double-quoted names: the quotes are stripped, the quoted part is taken whole.
      {"select * from t order by \"Name\",\"Id\"", "Name;Id"},
      {"select * from t order by \"Name\", \"Id\"", "Name;Id"},
      {"select * from t order by \"Name\" desc, \"Id\" asc", "Name;Id"},
      {"select * from t order by \"Name\";", "Name"},
      {"select * from t order by \"Last Name\", Id", "Last Name;Id"},
      {"select * from t order by \"a,b\", c", "a,b;c"},
      {"select * from t order by t.\"Name\"", "t.Name"},
      {"select * from t order by a collate \"x\", b", "a;b"},
      {"select * from t order by \"Name", "Name"},  // unterminated quote: takes the rest
      {"select * from t order by \"", ""},
      {"select * from t order by \"\"", ""},
      {"select * from t order by \"\"\"\";;\",;", ""},
      // Comments count as blanks; a parenthesised part stays whole; the clause of a
      // subquery or of a comment is not the query's.
      {"select * from t -- order by x\nwhere a = 1", ""},
      {"select * from t order by a -- then b, c", "a"},
      {"select * from t order by a /* , x */, b", "a;b"},
      {"select * from t order by a/*x*/, b--y\n, c", "a;b;c"},
      {"select * from t order by coalesce(a, b) desc, c", "coalesce(a, b);c"},
      {"select * from t order by f(a, ')'), c", "f(a, ')');c"},
      {"select * from (select * from u order by v) x order by w", "w"},
      {"select * from (select * from u order by v) x", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("sql=\"" + c.sql + "\"");
    EXPECT_EQ(GetOrderByFields(c.sql), c.expected);
  }
}

TEST(QorTextTest, GetOrderByFieldsEndsOnAnyInput) {
  std::mt19937 rng(777);
  for (int iter = 0; iter < 20000; ++iter) {
    const std::string sql = "order by " + RandomText(rng, kPieces, 20);
    SCOPED_TRACE("sql=\"" + sql + "\"");
    const std::string fields = GetOrderByFields(sql);  // must return
    EXPECT_LE(fields.size(), sql.size());
  }
}

// --------------------------------------------------------------------- ReplaceOrderBy

struct ReplaceCase {
  std::string sql;
  std::string fields;
  bool quote;
  std::string expected;
};

TEST(QorTextTest, ReplaceOrderBy) {
  const std::vector<ReplaceCase> cases = {
      {"select * from Lang.db\r\norder by id", "Name;Id", false,
       "select * from Lang.db\r\n\r\norder by Name,Id"},
      {"select * from Lang.db\r\norder by id", "Name;Id", true,
       "select * from Lang.db\r\n\r\norder by \"Name\",\"Id\""},
      {"select * from Lang.db\r\norder by id", "", false, "select * from Lang.db\r\n"},
      {"select * from Lang.db\r\norder by id", "", true, "select * from Lang.db\r\n"},
      {"select * from Cont.db", "Name", true, "select * from Cont.db\r\norder by \"Name\""},
      {"select * from Cont.db", "Name", false, "select * from Cont.db\r\norder by Name"},
      {"select * from t;", "", false, "select * from t"},
      {"select * from t;", "a", false, "select * from t\r\norder by a"},
      {"  select * from t ;\r\n", "a", false, "select * from t \r\norder by a"},
      {"select * from t;;", "", false, "select * from t;"},  // only one ";" goes
      {"", "", false, ""},
      {"", "", true, ""},
      {"   ", "", false, ""},
      {"", "A", false, "\r\norder by A"},
      {"   ", "A", false, "\r\norder by A"},
      {"", "A", true, "\r\norder by \"A\""},
      // Quoted: names are trimmed by the field-list step; unquoted: the list is kept.
      {"select * from t", " a ; b ", true, "select * from t\r\norder by \"a\",\"b\""},
      {"select * from t", " a ; b ", false, "select * from t\r\norder by  a , b "},
      {"select * from t", "a;b;", true, "select * from t\r\norder by \"a\",\"b\""},
      {"select * from t", "a;b;", false, "select * from t\r\norder by a,b,"},
      {"select * from t", "Язык;Имя", true, "select * from t\r\norder by \"Язык\",\"Имя\""},
      // Everything from the old clause on goes, and a quoted "order by" is kept.
      {"select * from t where n = 'order by' order by a; -- end", "b", false,
       "select * from t where n = 'order by' \r\norder by b"},
      {"select * from t ORDER\r\nBY a desc", "b", false, "select * from t \r\norder by b"},
      // A clause inside a comment, a subquery, a literal or after a quoted name holding
      // an apostrophe is not the query's own: nothing of the query is lost.
      {"select * from t -- order by x\nwhere a = 1", "Name", false,
       "select * from t -- order by x\nwhere a = 1\r\norder by Name"},
      {"select * from t /* order by x */ where a = 1", "Name", false,
       "select * from t /* order by x */ where a = 1\r\norder by Name"},
      {"select * from t -- sorted\norder by a", "b", false, "select * from t -- sorted\n\r\norder by b"},
      {"select * from (select * from u order by v) x where a = 1", "b", false,
       "select * from (select * from u order by v) x where a = 1\r\norder by b"},
      {"select * from t where a in (select b from u order by b) order by c", "d", false,
       "select * from t where a in (select b from u order by b) \r\norder by d"},
      {"select \"it's\" from t order by a", "b", false, "select \"it's\" from t \r\norder by b"},
      {"select \"it's\" from t where n = 'a\"b' or m = 'order by x'", "b", false,
       "select \"it's\" from t where n = 'a\"b' or m = 'order by x'\r\norder by b"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("sql=\"" + c.sql + "\" fields=\"" + c.fields + "\" quote=" +
                 std::to_string(c.quote));
    EXPECT_EQ(ReplaceOrderBy(c.sql, c.fields, c.quote), c.expected);
  }
}

TEST(QorTextTest, ReplaceThenGetRoundTrip) {
  const std::string sql = "select * from Country.db\r\norder by Name desc";
  EXPECT_EQ(GetOrderByFields(ReplaceOrderBy(sql, "Continent;Name", false)), "Continent;Name");
  EXPECT_EQ(GetOrderByFields(ReplaceOrderBy(sql, "Continent;Name", true)), "Continent;Name");
  EXPECT_EQ(GetOrderByFields(ReplaceOrderBy(sql, "", true)), "");
}

// ------------------------------------------------------------------------- AndFilters

struct AndCase {
  std::string a, b, expected;
};

TEST(QorTextTest, AndFilters) {
  const std::vector<AndCase> cases = {
      {"", "", ""},
      {"", "x", "x"},
      {"a", "", "a"},
      {"Continent=1", "Name>'B'", "(Continent=1) and (Name>'B')"},
      {"a or b", "c", "(a or b) and (c)"},
      {" ", "x", "( ) and (x)"},  // only an empty filter is dropped
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("a=\"" + c.a + "\" b=\"" + c.b + "\"");
    EXPECT_EQ(AndFilters(c.a, c.b), c.expected);
  }
}

}  // namespace

namespace {

class TNamed : public fw::TComponent {
  FW_CLASS(TNamed)
 public:
  explicit TNamed(fw::TComponent* owner) : fw::TComponent(owner) {}
  std::string GetTableName() const { return FTableName; }
  void SetTableName(std::string v) { FTableName = std::move(v); }

 private:
  std::string FTableName;
};

const fw::TClassInfo& TNamed::StaticClass() {
  static const fw::TClassInfo& info =
      fw::TClassBuilder<TNamed>("TNamed", &fw::TComponent::StaticClass())
          .Prop("TableName", &TNamed::GetTableName, &TNamed::SetTableName)
          .Build();
  return info;
}

TEST(GetStrPropByName, ReadsStringPropertiesOfUnknownClassesAndNeverRaises) {
  TNamed c(nullptr);
  c.SetTableName("People.db");
  c.SetName("TbPeople");
  EXPECT_EQ(qor::GetStrPropByName(&c, "TableName"), "People.db");
  EXPECT_EQ(qor::GetStrPropByName(&c, "tablename"), "People.db");
  EXPECT_EQ(qor::GetStrPropByName(&c, "Name"), "TbPeople");
  EXPECT_EQ(qor::GetStrPropByName(&c, "UniqueFields"), "");  // no such property
  EXPECT_EQ(qor::GetStrPropByName(&c, "Tag"), "");           // not a string property
  EXPECT_EQ(qor::GetStrPropByName(nullptr, "TableName"), "");
}

}  // namespace
