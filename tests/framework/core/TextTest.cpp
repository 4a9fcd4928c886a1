// Tests of the UTF-8 text helpers (case-insensitive comparison, counting and cutting by
// characters, trimming, the field-list step, identifiers) and of Format.
#include "framework/core/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "framework/core/Exceptions.h"

namespace {

int Sign(int v) { return (v > 0) - (v < 0); }

TEST(TextTest, CompareTextIgnoresCaseInLatinAndCyrillic) {
  struct Case {
    std::string a, b;
    int sign;
  };
  const std::vector<Case> cases = {
      {"abc", "ABC", 0},     {"Ёлка", "ёЛКА", 0},   {"ЯЗЫК", "язык", 0},
      {"Straße", "STRAßE", 0}, {"", "", 0},          {"a", "B", -1},
      {"A", "b", -1},        {"abc", "ab", 1},      {"", "a", -1},
      {"а", "Б", -1},        {"Я", "а", 1},         {"z", "а", -1},  // Latin before Cyrillic
      {"Ёж", "ЁЖИК", -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.a + " / " + c.b);
    EXPECT_EQ(Sign(fw::CompareText(c.a, c.b)), c.sign);
    EXPECT_EQ(Sign(fw::CompareText(c.b, c.a)), -c.sign);
    EXPECT_EQ(fw::SameText(c.a, c.b), c.sign == 0);
    EXPECT_EQ(fw::SameText(c.b, c.a), c.sign == 0);
  }
}

TEST(TextTest, ComparisonIsConsistentWhereCaseMappingChangesLength) {
  // Whatever the answer for these pairs, it must not depend on the order of the arguments.
  const std::vector<std::pair<std::string, std::string>> pairs = {
      {"Straße", "STRASSE"}, {"ß", "ss"}, {"ß", "ẞ"}, {"İ", "i"}, {"ς", "Σ"}, {"ﬁ", "FI"},
  };
  for (const auto& [a, b] : pairs) {
    SCOPED_TRACE(a + " / " + b);
    EXPECT_EQ(fw::SameText(a, b), fw::SameText(b, a));
    EXPECT_EQ(Sign(fw::CompareText(a, b)), -Sign(fw::CompareText(b, a)));
    EXPECT_EQ(fw::SameText(a, b), fw::CompareText(a, b) == 0);
    EXPECT_EQ(fw::SameText(a, b), fw::CaseFold(a) == fw::CaseFold(b));
  }
}

TEST(TextTest, StartsTextIgnoresCase) {
  struct Case {
    std::string prefix, s;
    bool expected;
  };
  const std::vector<Case> cases = {
      {"ЯЗ", "язык", true},    {"abc", "ABCdef", true}, {"", "x", true},
      {"", "", true},          {"Ё", "ёлка", true},     {"abc", "abc", true},
      {"abcd", "abc", false},  {"b", "abc", false},     {"я", "", false},
      {"язык", "ЯЗЫ", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.prefix + " / " + c.s);
    EXPECT_EQ(fw::StartsText(c.prefix, c.s), c.expected);
  }
}

TEST(TextTest, Utf8LengthAndLeftWorkInCharacters) {
  struct Case {
    std::string s;
    std::size_t length;
  };
  const std::vector<Case> cases = {
      {"", 0},     {"abc", 3}, {"Язык", 4}, {"ё", 1},     {"日本", 2},
      {"😀", 1},   {"aЯ😀", 3}, {"\xFF", 1}, {"a\xD0", 2},  // malformed bytes count one each
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.s));
    EXPECT_EQ(fw::Utf8Length(c.s), c.length);
    for (std::size_t n = 0; n <= c.length + 1; ++n) {
      std::string left = fw::Utf8Left(c.s, n);
      EXPECT_EQ(fw::Utf8Length(left), std::min(n, c.length)) << "n=" << n;
      EXPECT_EQ(c.s.compare(0, left.size(), left), 0) << "n=" << n;
    }
  }
  EXPECT_EQ(fw::Utf8Left("Язык", 2), "Яз");
  EXPECT_EQ(fw::Utf8Left("a😀b", 2), "a😀");
}

TEST(TextTest, TrimRemovesControlCharactersAndBlanksAtBothEnds) {
  struct Case {
    std::string s, expected;
  };
  const std::vector<Case> cases = {
      {"", ""},
      {"   ", ""},
      {" a b ", "a b"},
      {"\t\r\n\x01 x\x1F", "x"},
      {std::string("\0a\0", 3), "a"},
      {"\xC2\xA0x\xC2\xA0", "\xC2\xA0x\xC2\xA0"},  // a no-break space is not trimmed
      {" Язык ", "Язык"},
      {"!a!", "!a!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.s));
    EXPECT_EQ(fw::Trim(c.s), c.expected);
  }
}

TEST(TextTest, ExtractFieldNameWalksASemicolonList) {
  struct Case {
    std::string fields;
    std::vector<std::string> names;
    std::vector<std::size_t> positions;  // after each step
  };
  const std::vector<Case> cases = {
      {" id ; Name;;x", {"id", "Name", "", "x"}, {6, 12, 13, 14}},
      {"a;", {"a"}, {3}},
      {";", {""}, {2}},
      {"", {}, {}},
      {"Id", {"Id"}, {3}},
      {"Имя;Код", {"Имя", "Код"}, {8, 14}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fields);
    std::vector<std::string> names;
    std::vector<std::size_t> positions;
    std::size_t pos = 1;
    while (pos <= c.fields.size() && names.size() < 10) {
      names.push_back(fw::ExtractFieldName(c.fields, pos));
      positions.push_back(pos);
    }
    EXPECT_EQ(names, c.names);
    EXPECT_EQ(positions, c.positions);
  }
  std::size_t pos = 20;
  EXPECT_EQ(fw::ExtractFieldName("a;b", pos), "");
  pos = 3;
  EXPECT_EQ(fw::ExtractFieldName("a;b", pos), "b");
  EXPECT_EQ(pos, 4u);
}

TEST(TextTest, IsValidIdent) {
  struct Case {
    std::string s;
    bool expected;
  };
  const std::vector<Case> cases = {
      {"a", true},    {"_", true},     {"Table1", true}, {"_x_9", true},  {"", false},
      {"1a", false},  {"a b", false},  {"a-b", false},   {"a.b", false},  {"Поле", false},
      {" a", false},  {"a ", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.s);
    EXPECT_EQ(fw::IsValidIdent(c.s), c.expected);
  }
}

TEST(FormatTest, StringsIntegersAndPercent) {
  struct Case {
    std::string got, expected;
  };
  const std::vector<Case> cases = {
      {fw::Format("%s: Field '%s' not found", {"TbPeople", "X"}), "TbPeople: Field 'X' not found"},
      {fw::Format("List index out of bounds (%d)", {5}), "List index out of bounds (5)"},
      {fw::Format("%d", {-7}), "-7"},
      {fw::Format("%d", {std::int64_t{1} << 40}), "1099511627776"},
      {fw::Format("100%%", {}), "100%"},
      {fw::Format("%s%%%d", {"a", 5}), "a%5"},
      {fw::Format("%s and %s", {"one"}), "one and "},  // missing arguments stay empty
      {fw::Format("%s", {"x", "y"}), "x"},
      {fw::Format("50%", {}), "50%"},
      {fw::Format("%s", {std::string("Язык")}), "Язык"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(c.got, c.expected);
  }
}

}  // namespace
