// Tests of TStrings / TStringList: editing, index errors, case-insensitive search, the
// Text property in both directions, assignment and the change events.
#include "framework/core/Strings.h"

#include <gtest/gtest.h>

#include "tests/support/ExpectError.h"

#include <functional>
#include <string>
#include <vector>

#include "framework/core/Events.h"
#include "framework/core/Exceptions.h"

namespace {

using Lines = std::vector<std::string>;

TEST(StringListTest, Editing) {
  struct Case {
    const char* name;
    std::function<void(fw::TStringList&)> act;
    Lines expected;
  };
  const std::vector<Case> cases = {
      {"Add", [](fw::TStringList& l) { EXPECT_EQ(l.Add("d"), 3); }, {"a", "b", "c", "d"}},
      {"Insert first", [](fw::TStringList& l) { l.Insert(0, "x"); }, {"x", "a", "b", "c"}},
      {"Insert at Count", [](fw::TStringList& l) { l.Insert(3, "x"); }, {"a", "b", "c", "x"}},
      {"Delete middle", [](fw::TStringList& l) { l.Delete(1); }, {"a", "c"}},
      {"Put", [](fw::TStringList& l) { l.Put(2, "x"); }, {"a", "b", "x"}},
      {"Clear", [](fw::TStringList& l) { l.Clear(); }, {}},
      {"AddStrings",
       [](fw::TStringList& l) {
         fw::TStringList more({"d", "e"});
         l.AddStrings(more);
       },
       {"a", "b", "c", "d", "e"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fw::TStringList list({"a", "b", "c"});
    c.act(list);
    EXPECT_EQ(list.ToVector(), c.expected);
    EXPECT_EQ(list.GetCount(), static_cast<int>(c.expected.size()));
  }
}

TEST(StringListTest, IndexOutsideTheListRaisesListError) {
  fw::TStringList list({"a", "b", "c"});
  struct Case {
    const char* name;
    int index;
    std::function<void()> call;
  };
  const std::vector<Case> cases = {
      {"Get -1", -1, [&] { list.Get(-1); }},
      {"Get Count", 3, [&] { list.Get(3); }},
      {"operator[]", 7, [&] { (void)list[7]; }},
      {"Put Count", 3, [&] { list.Put(3, "x"); }},
      {"Insert past Count", 4, [&] { list.Insert(4, "x"); }},
      {"Insert -1", -1, [&] { list.Insert(-1, "x"); }},
      {"Delete Count", 3, [&] { list.Delete(3); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectError<fw::EListError>(c.call,
                                "List index out of bounds (" + std::to_string(c.index) + ")");
    EXPECT_EQ(list.ToVector(), (Lines{"a", "b", "c"}));
  }
}

TEST(StringListTest, IndexOfIgnoresCaseInAnyScript) {
  const fw::TStringList list({"Name", "язык", "Ёлка", "name", "", "Straße"});
  struct Case {
    std::string s;
    int expected;
  };
  const std::vector<Case> cases = {
      {"Name", 0}, {"NAME", 0},  // the first of equal lines
      {"ЯЗЫК", 1}, {"Язык", 1}, {"ёЛКА", 2}, {"ЁЛКА", 2},
      {"", 4},     {"straße", 5}, {"Nam", -1}, {"Names", -1}, {"язы", -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.s);
    EXPECT_EQ(list.IndexOf(c.s), c.expected);
  }
  EXPECT_EQ(fw::TStringList().IndexOf(""), -1);
}

TEST(StringListTest, TextJoinsLinesWithCrLf) {
  struct Case {
    Lines lines;
    std::string text;
  };
  const std::vector<Case> cases = {
      {{}, ""},
      {{"a"}, "a"},
      {{"a", "b"}, "a\r\nb"},
      {{""}, ""},
      {{"a", ""}, "a\r\n"},
      {{"", ""}, "\r\n"},
      {{"Язык", "x y"}, "Язык\r\nx y"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    EXPECT_EQ(fw::TStringList(c.lines).GetText(), c.text);
  }
}

TEST(StringListTest, SetTextSplitsAtCrLfLfOrCr) {
  struct Case {
    std::string text;
    Lines lines;
  };
  const std::vector<Case> cases = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"a\nb", {"a", "b"}},
      {"a\rb", {"a", "b"}},
      {"a\r\n", {"a"}},
      {"a\n", {"a"}},
      {"a\r", {"a"}},
      {"\r\n", {""}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"a\n\nb", {"a", "", "b"}},
      {"a\n\rb", {"a", "", "b"}},  // LF CR is two breaks
      {"a\r\r\nb", {"a", "", "b"}},
      {"a\r\n\r\n", {"a", ""}},
      {" a \tb\r\nЯзык", {" a \tb", "Язык"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    fw::TStringList list({"old"});
    list.SetText(c.text);
    EXPECT_EQ(list.ToVector(), c.lines);
  }
}

TEST(StringListTest, AssignCopiesTheLinesOfAnotherList) {
  fw::TStringList source({"x", "y"});
  fw::TStringList dest({"a", "b", "c"});
  dest.Assign(&source);
  EXPECT_EQ(dest.ToVector(), (Lines{"x", "y"}));
  EXPECT_TRUE(dest.Equals(source));
  source.Put(0, "z");  // a copy, not shared
  EXPECT_EQ(dest.Get(0), "x");
  dest.Assign(&dest);
  EXPECT_EQ(dest.ToVector(), (Lines{"x", "y"}));
}

// ---------------------------------------------------------------------------- events

class TChangeSpy : public fw::TObject {
 public:
  void Changing(fw::TObject* sender) { FTrace.push_back("changing"); }
  void Changed(fw::TObject* sender) { FTrace.push_back("change"); }
  Lines FTrace;
};

TEST(StringListEventTest, OneChangeNotificationPerChangeOrPerUpdateBlock) {
  const Lines once = {"changing", "change"};
  struct Case {
    const char* name;
    std::function<void(fw::TStringList&)> act;
    Lines expected;
  };
  const std::vector<Case> cases = {
      {"Add", [](fw::TStringList& l) { l.Add("d"); }, once},
      {"Insert", [](fw::TStringList& l) { l.Insert(1, "d"); }, once},
      {"Delete", [](fw::TStringList& l) { l.Delete(1); }, once},
      {"Put", [](fw::TStringList& l) { l.Put(1, "x"); }, once},
      {"Clear", [](fw::TStringList& l) { l.Clear(); }, once},
      {"failed Delete", [](fw::TStringList& l) { EXPECT_ANY_THROW(l.Delete(9)); }, {}},
      {"update block",
       [](fw::TStringList& l) {
         l.BeginUpdate();
         l.Add("d");
         l.Delete(0);
         l.Put(0, "x");
         l.EndUpdate();
       },
       once},
      {"nested update blocks",
       [](fw::TStringList& l) {
         l.BeginUpdate();
         l.Add("d");
         l.BeginUpdate();
         l.Add("e");
         l.EndUpdate();
         l.Add("f");
         l.EndUpdate();
       },
       once},
      {"SetText", [](fw::TStringList& l) { l.SetText("x\r\ny\r\nz"); }, once},
      {"Assign",
       [](fw::TStringList& l) {
         fw::TStringList other({"x", "y"});
         l.Assign(&other);
       },
       once},
      {"AddStrings",
       [](fw::TStringList& l) {
         fw::TStringList other({"x", "y"});
         l.AddStrings(other);
       },
       once},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TChangeSpy spy;
    fw::TStringList list({"a", "b", "c"});
    list.SetOnChanging(fw::Method<&TChangeSpy::Changing>(&spy));
    list.SetOnChange(fw::Method<&TChangeSpy::Changed>(&spy));
    c.act(list);
    EXPECT_EQ(spy.FTrace, c.expected);
  }
}

/// Lines in memory whose Insert refuses the line "bad" (a list that raises half-way).
class TRefusingStrings : public fw::TStrings {
 public:
  Lines FLines{"a", "b"};
  int GetCount() const override { return static_cast<int>(FLines.size()); }
  std::string Get(int index) const override { return FLines.at(static_cast<std::size_t>(index)); }
  void Insert(int index, const std::string& s) override {
    if (s == "bad") throw fw::EListError("refused");
    FLines.insert(FLines.begin() + index, s);
  }
  void Delete(int index) override { FLines.erase(FLines.begin() + index); }
  void Clear() override { FLines.clear(); }
};

TEST(StringListEventTest, AnUpdateBlockThatRaisesStillEnds) {
  const fw::TStringList withBad({"x", "bad"});
  struct Case {
    const char* name;
    std::function<void(fw::TStrings&)> act;
  };
  const std::vector<Case> cases = {
      {"Put", [](fw::TStrings& l) { l.Put(0, "bad"); }},
      {"SetText", [](fw::TStrings& l) { l.SetText("x\r\nbad"); }},
      {"AddStrings", [&](fw::TStrings& l) { l.AddStrings(withBad); }},
      {"Assign", [&](fw::TStrings& l) { l.Assign(&withBad); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TRefusingStrings list;
    EXPECT_THROW(c.act(list), fw::EListError);
    EXPECT_FALSE(list.Updating());
  }
}

}  // namespace
