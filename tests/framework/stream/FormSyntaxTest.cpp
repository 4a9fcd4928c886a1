// Tests of the form-file syntax: every value kind, positions, the normal form printed and
// read back, malformed files refused with their position, and arbitrary damage survived.
#include "framework/stream/FormSyntax.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

using namespace fw;
using namespace std::string_literals;

namespace {

// A canonical dump of a tree's content (no positions), independent of PrintForm, so that
// two trees compare as a whole and a difference shows where it is.
std::string Dump(const TFormValue& v);

std::string DumpProps(const std::vector<TFormProperty>& props) {
  std::string out;
  for (const auto& p : props) out += p.Name + "=" + Dump(p.Value) + ";";
  return out;
}

std::string Dump(const TFormValue& v) {
  std::string out;
  switch (v.Type) {
    case TValueType::vaNull:
      return "null";
    case TValueType::vaInteger:
      return "i:" + std::to_string(v.Int);
    case TValueType::vaFloat: {
      char buf[40];
      std::snprintf(buf, sizeof buf, "f:%.17g", v.Float);
      return buf;
    }
    case TValueType::vaString:
    case TValueType::vaBinary:
      out = v.Type == TValueType::vaString ? "s:'" : "b:'";
      for (unsigned char c : v.Str) {
        if (c >= 32 && c < 127) {
          out += static_cast<char>(c);
        } else {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\x%02X", c);
          out += buf;
        }
      }
      return out + "'";
    case TValueType::vaIdent:
      return "id:" + v.Str;
    case TValueType::vaSet:
      out = "[";
      for (const auto& e : v.Elements) out += e + ",";
      return out + "]";
    case TValueType::vaList:
      out = "(";
      for (const auto& e : v.List) out += Dump(e) + " ";
      return out + ")";
    case TValueType::vaCollection:
      out = "<";
      for (const auto& item : v.Items) out += "item{" + DumpProps(item.Props) + "}";
      return out + ">";
  }
  return "?";
}

std::string Dump(const TFormObject& o) {
  std::string out = o.Keyword + " " + o.Name + ":" + o.ClassName + "{" + DumpProps(o.Props);
  for (const auto& c : o.Children) out += Dump(c);
  return out + "}";
}

TFormValue ParseValueText(const std::string& text) {
  TFormObject root = ParseForm("object A: T\n  P = " + text + "\nend\n");
  EXPECT_EQ(root.Props.size(), 1u);
  return root.Props.at(0).Value;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Values

TEST(FormSyntaxValues, EveryKindParsesToItsTypeAndValue) {
  struct Case {
    std::string Text;
    TValueType Type;
    std::string Expected;  // Dump of the value
  };
  const Case cases[] = {
      {"10", TValueType::vaInteger, "i:10"},
      {"-5", TValueType::vaInteger, "i:-5"},
      {"+7", TValueType::vaInteger, "i:7"},
      {"$00A6CAF0", TValueType::vaInteger, "i:10930928"},
      {"$ff", TValueType::vaInteger, "i:255"},
      {"-$10", TValueType::vaInteger, "i:-16"},
      {"9223372036854775807", TValueType::vaInteger, "i:9223372036854775807"},
      {"-9223372036854775808", TValueType::vaInteger, "i:-9223372036854775808"},
      {"$7FFFFFFFFFFFFFFF", TValueType::vaInteger, "i:9223372036854775807"},
      {"1.5", TValueType::vaFloat, "f:1.5"},
      {"1.5E10", TValueType::vaFloat, "f:15000000000"},
      {"2.0", TValueType::vaFloat, "f:2"},
      {"1E3", TValueType::vaFloat, "f:1000"},
      {"-2.5e-3", TValueType::vaFloat, "f:-0.0025000000000000001"},
      {"1e+2", TValueType::vaFloat, "f:100"},
      {"1.5s", TValueType::vaFloat, "f:1.5"},
      {"2.0C", TValueType::vaFloat, "f:2"},
      {"3.25d", TValueType::vaFloat, "f:3.25"},
      {"-0.0", TValueType::vaFloat, "f:-0"},
      {"4.9E-324", TValueType::vaFloat, "f:4.9406564584124654e-324"},
      {"'It'#39's a test '#1069#1090#1086", TValueType::vaString,
       "s:'It's a test \\xD0\\xAD\\xD1\\x82\\xD0\\xBE'"},
      {"''", TValueType::vaString, "s:''"},
      {"''''", TValueType::vaString, "s:'''"},
      {"'a'#13#10'b'", TValueType::vaString, "s:'a\\x0D\\x0Ab'"},
      {"#$41#66", TValueType::vaString, "s:'AB'"},
      {"#0", TValueType::vaString, "s:'\\x00'"},
      {"#128512", TValueType::vaString, "s:'\\xF0\\x9F\\x98\\x80'"},
      {"#1114111", TValueType::vaString, "s:'\\xF4\\x8F\\xBF\\xBF'"},
      {"'\xD0\xAD\xD1\x82\xD0\xBE'", TValueType::vaString, "s:'\\xD0\\xAD\\xD1\\x82\\xD0\\xBE'"},
      {"'tab\there'", TValueType::vaString, "s:'tab\\x09here'"},
      {"'first ' +\n    'second'", TValueType::vaString, "s:'first second'"},
      {"'x' + #65 +'y'+\r\n\r\n 'z'", TValueType::vaString, "s:'xAyz'"},
      {"True", TValueType::vaIdent, "id:True"},
      {"DM1.QLang", TValueType::vaIdent, "id:DM1.QLang"},
      {"_x1.y_2.Z", TValueType::vaIdent, "id:_x1.y_2.Z"},
      {"end", TValueType::vaIdent, "id:end"},
      {"[foEditWindow, foKeyFieldEdit]", TValueType::vaSet, "[foEditWindow,foKeyFieldEdit,]"},
      {"[]", TValueType::vaSet, "[]"},
      {"[ a ,b\n,c ]", TValueType::vaSet, "[a,b,c,]"},
      {"(\n  'select * from Lang.db'\n  'order by id')", TValueType::vaList,
       "(s:'select * from Lang.db' s:'order by id' )"},
      {"()", TValueType::vaList, "()"},
      {"(1 2.5 'x' + 'y' id [a] (()) <> {00})", TValueType::vaList,
       "(i:1 f:2.5 s:'xy' id:id [a,] (() ) <> b:'\\x00' )"},
      {"<\n  item\n    DataSet = QCont\n    KeyField = 'Id'\n  end\n  item\n  end>",
       TValueType::vaCollection, "<item{DataSet=id:QCont;KeyField=s:'Id';}item{}>"},
      {"<>", TValueType::vaCollection, "<>"},
      {"<ITEM [3] A = 1 End item[0]end>", TValueType::vaCollection, "<item{A=i:1;}item{}>"},
      {"<item L = (<item end>) end>", TValueType::vaCollection, "<item{L=(<item{}> );}>"},
      {"{\n    0A0B0C0D}", TValueType::vaBinary, "b:'\\x0A\\x0B\\x0C\\x0D'"},
      {"{}", TValueType::vaBinary, "b:''"},
      {"{ 0a 0B\n 0c\tff }", TValueType::vaBinary, "b:'\\x0A\\x0B\\x0C\\xFF'"},
      {"{0 1}", TValueType::vaBinary, "b:'\\x01'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    TFormValue v;
    ASSERT_NO_THROW(v = ParseValueText(c.Text));
    EXPECT_EQ(v.Type, c.Type);
    EXPECT_EQ(Dump(v), c.Expected);
  }
}

TEST(FormSyntaxValues, FloatsKeepEveryBitThroughPrintAndParse) {
  const double values[] = {0.1, 1.0 / 3, -0.0, 2.0, 1e20, 1e-5, 5e-324, 2.2250738585072014e-308,
                           std::numeric_limits<double>::max(), 123456789012345678.0, -1e16, 1e15};
  for (double d : values) {
    SCOPED_TRACE(d);
    TFormObject root;
    root.ClassName = "T";
    TFormProperty p;
    p.Name = "F";
    p.Value.Type = TValueType::vaFloat;
    p.Value.Float = d;
    root.Props.push_back(p);
    std::string text = PrintForm(root);
    TFormValue back = ParseForm(text).Props.at(0).Value;
    EXPECT_EQ(back.Type, TValueType::vaFloat) << text;
    EXPECT_EQ(std::signbit(back.Float), std::signbit(d));
    EXPECT_EQ(back.Float, d) << text;
  }
}

// ---------------------------------------------------------------------------------------
// Structure and positions

TEST(FormSyntaxStructure, HeadersBodiesAndPositions) {
  const std::string text =
      "\xEF\xBB\xBF"
      "Object DM1: TDM1\r\n"
      "  Left = 10\r\n"
      "  SQL.Strings = (\r\n"
      "    '\xD0\xAD\xD1\x82\xD0\xBE' 'x')\r\n"
      "  object TbPeople: TQorTable\r\n"
      "    Tag = 99\r\n"
      "  end\r\n"
      "  INLINE TFrame1 end\r\n"
      "  inherited Btn: TButton\r\n"
      "  end\r\n"
      "end\r\n";
  TFormObject root = ParseForm(text);
  EXPECT_EQ(Dump(root),
            "object DM1:TDM1{Left=i:10;SQL.Strings=(s:'\\xD0\\xAD\\xD1\\x82\\xD0\\xBE' s:'x' );"
            "object TbPeople:TQorTable{Tag=i:99;}inline :TFrame1{}inherited Btn:TButton{}}");
  EXPECT_EQ(root.Line, 1);
  EXPECT_EQ(root.Col, 1);  // the byte-order mark takes no column
  ASSERT_EQ(root.Props.size(), 2u);
  EXPECT_EQ(root.Props[0].Line, 2);
  EXPECT_EQ(root.Props[0].Col, 3);
  EXPECT_EQ(root.Props[0].Value.Col, 10);
  const TFormValue& list = root.Props[1].Value;
  EXPECT_EQ(list.Line, 3);
  EXPECT_EQ(list.Col, 17);
  ASSERT_EQ(list.List.size(), 2u);
  EXPECT_EQ(list.List[1].Line, 4);
  EXPECT_EQ(list.List[1].Col, 11);  // columns count characters, not bytes
  ASSERT_EQ(root.Children.size(), 3u);
  EXPECT_EQ(root.Children[0].Line, 5);
  EXPECT_EQ(root.Children[0].Col, 3);
  EXPECT_EQ(root.Children[0].Props[0].Line, 6);
  EXPECT_EQ(root.Children[0].Props[0].Col, 5);
  EXPECT_EQ(root.Children[1].Line, 8);
  EXPECT_EQ(root.Children[2].Line, 9);

  TFormValue coll = ParseValueText("<\n  item\n    A = 1\n  end>");
  ASSERT_EQ(coll.Items.size(), 1u);
  EXPECT_EQ(coll.Items[0].Line, 3);
  EXPECT_EQ(coll.Items[0].Col, 3);
  EXPECT_EQ(coll.Items[0].Props[0].Line, 4);
  EXPECT_EQ(coll.Items[0].Props[0].Col, 5);
}

TEST(FormSyntaxStructure, NestingUpToTheLimitIsAccepted) {
  // Objects: the root and MaxFormNesting - 1 levels of children.
  std::string objects;
  for (int i = 0; i < MaxFormNesting; ++i) objects += "object A: T\n";
  for (int i = 0; i < MaxFormNesting; ++i) objects += "end\n";
  EXPECT_NO_THROW(ParseForm(objects));
  // Lists and collections count with the object that holds them.
  std::string lists = "object A: T\n  L = " + std::string(MaxFormNesting - 1, '(') +
                      std::string(MaxFormNesting - 1, ')') + "\nend\n";
  TFormObject root;
  ASSERT_NO_THROW(root = ParseForm(lists));
  EXPECT_EQ(PrintForm(ParseForm(PrintForm(root))), PrintForm(root));
  std::string colls = "object A: T\n  L = <item L = (<item end>) end>\nend\n";
  EXPECT_NO_THROW(ParseForm(colls));
}

// ---------------------------------------------------------------------------------------
// Normal form and round trip

namespace {

const char* const RichInput =
    "OBJECT DM1: TDM1\n"
    "  Left = 10\n"
    "  Top=-5\n"
    "  Color = $00A6CAF0\n"
    "  Caption = 'It'#39's a test '#1069#1090#1086\n"
    "  Ratio = 1.5\n"
    "  Big = 1.5E10\n"
    "  Whole = 2.0s\n"
    "  Tiny = 1e-5\n"
    "  Visible = False\n"
    "  DataSet = DM1.QLang\n"
    "  OnEditData = TbContEditData\n"
    "  Options = [foEditWindow,foKeyFieldEdit]\n"
    "  Empty = [ ]\n"
    "  Lines = #13#10'x'#9\n"
    "  SQL.Strings = (\n"
    "    'select * from Lang.db'\n"
    "    'order by id')\n"
    "  Mixed = (1 (2 3) () [a] <>   {})\n"
    "  LookupLevelsData = <\n"
    "    item [0]\n"
    "      DataSet = QCont\n"
    "      KeyField = 'Id'\n"
    "    end\n"
    "    item\n"
    "    end>\n"
    "  Data = {\n"
    "    0a0b0C0D}\n"
    "  LongText = 'first part of a long text ' +\n"
    "    'and its second part, ' + 'and a third part that makes it longer than sixty-four'\n"
    "  object TbPeople: TQorTable\n"
    "    Tag = 99\n"
    "    inline TFrame1\n"
    "    end\n"
    "  end\n"
    "  Inherited Child: TChild end\n"
    "end\n";

const char* const RichGolden =
    "object DM1: TDM1\n"
    "  Left = 10\n"
    "  Top = -5\n"
    "  Color = 10930928\n"
    "  Caption = 'It''s a test '#1069#1090#1086\n"
    "  Ratio = 1.5\n"
    "  Big = 1.5E10\n"
    "  Whole = 2.0\n"
    "  Tiny = 1E-5\n"
    "  Visible = False\n"
    "  DataSet = DM1.QLang\n"
    "  OnEditData = TbContEditData\n"
    "  Options = [foEditWindow, foKeyFieldEdit]\n"
    "  Empty = []\n"
    "  Lines = #13#10'x'#9\n"
    "  SQL.Strings = (\n"
    "    'select * from Lang.db'\n"
    "    'order by id')\n"
    "  Mixed = (\n"
    "    1\n"
    "    (\n"
    "      2\n"
    "      3)\n"
    "    ()\n"
    "    [a]\n"
    "    <>\n"
    "    {})\n"
    "  LookupLevelsData = <\n"
    "    item\n"
    "      DataSet = QCont\n"
    "      KeyField = 'Id'\n"
    "    end\n"
    "    item\n"
    "    end>\n"
    "  Data = {\n"
    "    0A0B0C0D}\n"
    "  LongText = 'first part of a long text and its second part, and a third par' +\n"
    "    't that makes it longer than sixty-four'\n"
    "  object TbPeople: TQorTable\n"
    "    Tag = 99\n"
    "    inline TFrame1\n"
    "    end\n"
    "  end\n"
    "  inherited Child: TChild\n"
    "  end\n"
    "end\n";

TFormProperty Prop(const std::string& name, TFormValue v) {
  TFormProperty p;
  p.Name = name;
  p.Value = std::move(v);
  return p;
}

TFormValue Str(const std::string& s) {
  TFormValue v;
  v.Type = TValueType::vaString;
  v.Str = s;
  return v;
}

TFormValue Int(std::int64_t i) {
  TFormValue v;
  v.Type = TValueType::vaInteger;
  v.Int = i;
  return v;
}

}  // namespace

TEST(FormSyntaxPrint, RichFileReachesNormalFormAndStaysThere) {
  TFormObject tree = ParseForm(RichInput);
  std::string printed = PrintForm(tree);
  EXPECT_EQ(printed, RichGolden);
  TFormObject back = ParseForm(printed);
  EXPECT_EQ(Dump(back), Dump(tree));
  EXPECT_EQ(PrintForm(back), printed);
}

TEST(FormSyntaxPrint, BuiltTreeLongStringsBinaryAndLimits) {
  TFormObject root;
  root.Keyword = "Inherited";
  root.ClassName = "TForm1";
  root.Props.push_back(Prop("A100", Str(std::string(100, 'a'))));
  std::string cyr;
  for (int i = 0; i < 30; ++i) cyr += "\xD0\x96";  // U+0416
  root.Props.push_back(Prop("Cyr", Str(cyr)));
  root.Props.push_back(Prop("Quotes", Str(std::string(40, '\''))));
  root.Props.push_back(Prop("Odd", Str("\0\x7F"s "\xF4\x8F\xBF\xBF" "'")));
  root.Props.push_back(Prop("Empty", Str("")));
  root.Props.push_back(Prop("Min", Int(std::numeric_limits<std::int64_t>::min())));
  TFormValue bin;
  bin.Type = TValueType::vaBinary;
  for (int i = 0; i < 40; ++i) bin.Str.push_back(static_cast<char>(i * 7));
  root.Props.push_back(Prop("Bin", bin));
  TFormValue list;
  list.Type = TValueType::vaList;
  list.List.push_back(Str(std::string(70, 'b')));
  TFormValue coll;
  coll.Type = TValueType::vaCollection;
  coll.Items.emplace_back();
  coll.Items[0].Props.push_back(Prop("S", Str(std::string(65, 'c'))));
  coll.Items[0].Props.push_back(Prop("Object", Int(1)));  // only 'end' is reserved in an item
  list.List.push_back(coll);
  root.Props.push_back(Prop("Nested", list));
  TFormObject child;
  child.ClassName = "TNoName";
  root.Children.push_back(child);

  const std::string golden =
      "inherited TForm1\n"
      "  A100 = 'aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa' +\n"
      "    'aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa'\n"
      "  Cyr = #1046#1046#1046#1046#1046#1046#1046#1046#1046#1046#1046#1046 +\n"
      "    #1046#1046#1046#1046#1046#1046#1046#1046#1046#1046#1046#1046 +\n"
      "    #1046#1046#1046#1046#1046#1046\n"
      "  Quotes = '''''''''''''''''''''''''''''''''''''''''''''''''''''''''''''''' +\n"
      "    ''''''''''''''''''''\n"
      "  Odd = #0#127#1114111''''\n"
      "  Empty = ''\n"
      "  Min = -9223372036854775808\n"
      "  Bin = {\n"
      "    00070E151C232A31383F464D545B626970777E858C939AA1A8AFB6BDC4CBD2D9\n"
      "    E0E7EEF5FC030A11}\n"
      "  Nested = (\n"
      "    'bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb' +\n"
      "      'bbbbbbbb'\n"
      "    <\n"
      "      item\n"
      "        S = 'cccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccc' +\n"
      "          'ccc'\n"
      "        Object = 1\n"
      "      end>)\n"
      "  object TNoName\n"
      "  end\n"
      "end\n";
  std::string printed = PrintForm(root);
  EXPECT_EQ(printed, golden);
  TFormObject back = ParseForm(printed);
  root.Keyword = "inherited";  // keywords read back in lower case
  EXPECT_EQ(Dump(back), Dump(root));
  EXPECT_EQ(PrintForm(back), printed);
}

TEST(FormSyntaxPrint, TreesThatCannotBeWrittenAreRefused) {
  auto base = [] {
    TFormObject o;
    o.ClassName = "T";
    return o;
  };
  struct Case {
    const char* What;
    TFormObject Tree;
    const char* Fragment;
  };
  std::vector<Case> cases;
  {
    auto o = base();
    o.ClassName = "";
    cases.push_back({"empty class", o, "invalid class name"});
  }
  {
    auto o = base();
    o.Name = "a b";
    cases.push_back({"bad name", o, "invalid object name 'a b'"});
  }
  {
    auto o = base();
    o.Name = std::string("a\0b", 3);
    cases.push_back({"NUL in a name", o, "invalid object name 'a#0b'"});
  }
  {
    auto o = base();
    o.Keyword = "thing";
    cases.push_back({"bad keyword", o, "invalid object keyword"});
  }
  {
    auto o = base();
    o.Props.push_back(Prop("end", Int(1)));
    cases.push_back({"property named end", o, "invalid property name 'end'"});
  }
  {
    auto o = base();
    o.Props.push_back(Prop("Inline", Int(1)));
    cases.push_back({"property named inline", o, "invalid property name"});
  }
  {
    auto o = base();
    o.Props.push_back(Prop("A..B", Int(1)));
    cases.push_back({"empty path part", o, "invalid property name"});
  }
  {
    auto o = base();
    TFormValue v;
    v.Type = TValueType::vaIdent;
    v.Str = "1abc";
    o.Props.push_back(Prop("P", v));
    cases.push_back({"bad identifier", o, "invalid identifier '1abc'"});
  }
  {
    auto o = base();
    TFormValue v;
    v.Type = TValueType::vaSet;
    v.Elements = {"a", "b.c"};
    o.Props.push_back(Prop("P", v));
    cases.push_back({"bad set element", o, "invalid set element 'b.c'"});
  }
  {
    auto o = base();
    o.Props.push_back(Prop("P", TFormValue()));
    cases.push_back({"null value", o, "without a type"});
  }
  {
    auto o = base();
    TFormValue v;
    v.Type = TValueType::vaFloat;
    v.Float = std::numeric_limits<double>::quiet_NaN();
    o.Props.push_back(Prop("P", v));
    cases.push_back({"NaN", o, "not finite"});
  }
  {
    auto o = base();
    TFormValue v;
    v.Type = TValueType::vaList;
    for (int i = 1; i < MaxFormNesting; ++i) {  // one level too deep with the root
      TFormValue outer;
      outer.Type = TValueType::vaList;
      outer.List.push_back(std::move(v));
      v = std::move(outer);
    }
    o.Props.push_back(Prop("P", v));
    cases.push_back({"deep lists", o, "nesting deeper than 200 levels"});
  }
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    try {
      PrintForm(c.Tree);
      ADD_FAILURE() << "no error";
    } catch (const EFormSyntaxError& e) {
      EXPECT_NE(e.Detail().find(c.Fragment), std::string::npos) << e.Detail();
    }
  }
}

// ---------------------------------------------------------------------------------------
// Malformed files

TEST(FormSyntaxErrors, RefusedWithLineColumnAndWhatWasExpected) {
  struct Case {
    std::string Text;
    int Line, Col;
    const char* Fragment;
  };
  const std::string h = "object A: T\n  P = ";  // a value starts at line 2, column 7
  const Case cases[] = {
      // Empty and truncated files.
      {"", 1, 1, "expected 'object' but found end of file"},
      {"  \n\t ", 2, 3, "expected 'object' but found end of file"},
      {"object", 1, 7, "expected object name or class name but found end of file"},
      {"object A:", 1, 10, "expected class name but found end of file"},
      {"object A: T", 1, 12, "expected 'end' but found end of file"},
      {"object A: T\n  Left\nend", 3, 1, "expected '=' but found 'end'"},
      {h, 2, 7, "expected value but found end of file"},
      {h + "10\n", 3, 1, "expected 'end' but found end of file"},
      {"object A: T\n  object B: T\nend", 3, 4, "expected 'end' but found end of file"},
      {"object A: T\r\n  Left\r\nend", 3, 1, "expected '=' but found 'end'"},
      {"object A: T\r  Left\rend", 3, 1, "expected '=' but found 'end'"},
      // Wrong structure.
      {"item A: T end", 1, 1, "expected 'object' but found 'item'"},
      {"object A: T\nend\nend", 3, 1, "expected end of file but found 'end'"},
      {"object A: T\nend\n  )", 3, 3, "expected end of file but found ')'"},
      {"object A: T\nend\0"s, 2, 4, "expected end of file but found character #0"},
      {"object A: T\n\0"s, 2, 1, "expected 'end' but found character #0"},
      {"object A: T\n  object B: T\n  end\n  X = 1\nend", 4, 3, "expected 'end' but found 'X'"},
      {"object A.B: T\nend", 1, 8, "expected object name or class name but found 'A.B'"},
      {"object A: 5\nend", 1, 11, "expected class name but found '5'"},
      {"object \xC3\x84: T\nend", 1, 8, "found character #196"},
      {"object A: T\n  X = 'a' = 1\nend", 2, 11, "expected 'end' but found '='"},
      {"object A: T\n  S = '\xD0\xAD\xD1\x82\xD0\xBE' = \nend", 2, 13, "expected 'end' but found '='"},
      {"object A: T\n  A. = 1\nend", 2, 4, "expected identifier after '.'"},
      {"object A: T\n  @ = 1\nend", 2, 3, "expected 'end' but found '@'"},
      {h + ")", 2, 7, "expected value but found ')'"},
      {h + "-x", 2, 7, "expected value but found '-'"},
      // Strings.
      {h + "'abc\nend", 2, 7, "unterminated string"},
      {h + "'abc", 2, 7, "unterminated string"},
      {h + "'ab'#13'cd\nend", 2, 14, "unterminated string"},
      {h + "'abc' + 'd\nend", 2, 15, "unterminated string"},
      {h + "'abc' +\nend", 3, 1, "expected string after '+' but found 'end'"},
      {h + "'abc' +", 2, 14, "expected string after '+' but found end of file"},
      {h + "'a' + 5\nend", 2, 13, "expected string after '+' but found '5'"},
      {h + "'a\0b'"s, 2, 9, "invalid character #0 in string"},
      {h + "'a\x01'", 2, 9, "invalid character #1 in string"},
      {h + "'a\xFF'", 2, 9, "invalid UTF-8 in string"},
      {h + "'\xD0'", 2, 8, "invalid UTF-8 in string"},
      {h + "'a\xED\xA0\x80'", 2, 9, "invalid UTF-8 in string"},
      // Character codes.
      {h + "#1114112", 2, 7, "invalid character code #1114112"},
      {h + "'ok'#55296", 2, 11, "invalid character code #55296"},
      {h + "#$DFFF", 2, 7, "invalid character code #$DFFF"},
      {h + "#$110000", 2, 7, "invalid character code #$110000"},
      {h + "#99999999999999999999999999", 2, 7, "invalid character code #9999999"},
      {h + "#", 2, 7, "expected character code after '#'"},
      {h + "'a'#$", 2, 10, "expected character code after '#'"},
      // Numbers.
      {h + "12ab", 2, 7, "invalid number '12ab'"},
      {h + "1.5.3", 2, 7, "invalid number '1.5.3'"},
      {h + "1.", 2, 7, "invalid number '1.'"},
      {h + "1E", 2, 7, "invalid number '1E'"},
      {h + "1E+", 2, 7, "invalid number '1E+'"},
      {h + "1.5x", 2, 7, "invalid number '1.5x'"},
      {h + "12s", 2, 7, "invalid number '12s'"},
      {h + "$", 2, 7, "invalid number '$'"},
      {h + "-$", 2, 7, "invalid number '-$'"},
      {h + "$FG", 2, 7, "invalid number '$FG'"},
      {h + "99999999999999999999", 2, 7, "integer out of range"},
      {h + "9223372036854775808", 2, 7, "integer out of range"},
      {h + "-9223372036854775809", 2, 7, "integer out of range"},
      {h + "$8000000000000000", 2, 7, "integer out of range"},
      {h + "1E999", 2, 7, "float out of range"},
      {h + "1E-999", 2, 7, "float out of range"},
      // Sets.
      {h + "[a, ]", 2, 11, "expected identifier but found ']'"},
      {h + "[a b]", 2, 10, "expected ',' or ']' but found 'b'"},
      {h + "[a", 2, 9, "expected ',' or ']' but found end of file"},
      {h + "[1]", 2, 8, "expected identifier but found '1'"},
      {h + "[a.b]", 2, 8, "expected identifier but found 'a.b'"},
      // Lists.
      {h + "(", 2, 8, "expected value or ')' but found end of file"},
      {h + "('a'\n  'b'\nend", 4, 4, "expected value or ')' but found end of file"},  // 'end' is a value
      {h + "( 'a' = )", 2, 13, "expected value or ')' but found '='"},
      {h + "(((", 2, 10, "expected value or ')' but found end of file"},
      {h + "(]", 2, 8, "expected value or ')' but found ']'"},
      // Collections.
      {h + "<item A = 1>", 2, 18, "expected 'end' but found '>'"},
      {h + "< foo >", 2, 9, "expected 'item' or '>' but found 'foo'"},
      {h + "<item", 2, 12, "expected 'end' but found end of file"},
      {h + "<item end", 2, 16, "expected 'item' or '>' but found end of file"},
      {h + "<item [x] end>", 2, 14, "expected integer but found 'x'"},
      {h + "<item [1 end>", 2, 16, "expected ']' but found 'end'"},
      {h + "<item object B: T end end>", 2, 20, "expected '=' but found 'B'"},
      // Binary.
      {h + "{ 0A0 }", 2, 7, "odd number of hex digits in binary value"},
      {h + "{\n    0A0B0\n    }", 2, 7, "odd number of hex digits in binary value"},
      {h + "{ 0G }", 2, 10, "expected hex digit or '}' but found 'G'"},
      {h + "{ 0A\n  0B", 3, 5, "expected '}' but found end of file"},
      {h + "{ 0A \xD0\x96 }", 2, 12, "expected hex digit or '}' but found character #1046"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    try {
      ParseForm(c.Text);
      ADD_FAILURE() << "no error";
    } catch (const EFormSyntaxError& e) {
      EXPECT_EQ(e.Line(), c.Line) << e.what();
      EXPECT_EQ(e.Col(), c.Col) << e.what();
      EXPECT_NE(e.Detail().find(c.Fragment), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.Fragment), std::string::npos);
    }
  }
}

TEST(FormSyntaxErrors, AbsurdNestingStopsAtTheLimit) {
  const std::string h = "object A: T\n  P = ";
  std::string deepObjects;
  for (int i = 0; i < 100000; ++i) deepObjects += "object A: T\n";
  std::string deepItems = h;
  for (int i = 0; i < 100000; ++i) deepItems += "<item P = ";
  struct Case {
    std::string What, Text;
    int Line, Col;
  };
  const Case cases[] = {
      // The root is level 1, so the 200th '(' opens level 201.
      {"lists", h + std::string(100000, '('), 2, 7 + MaxFormNesting - 1},
      {"closed lists", h + std::string(MaxFormNesting, '(') + std::string(MaxFormNesting, ')'), 2,
       7 + MaxFormNesting - 1},
      {"objects", deepObjects, MaxFormNesting + 1, 1},
      {"collections", deepItems, 2, 7 + 10 * (MaxFormNesting - 1)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    try {
      ParseForm(c.Text);
      ADD_FAILURE() << "no error";
    } catch (const EFormSyntaxError& e) {
      EXPECT_EQ(e.Line(), c.Line);
      EXPECT_EQ(e.Col(), c.Col);
      EXPECT_EQ(e.Detail(), "nesting deeper than 200 levels");
    }
  }
}

// ---------------------------------------------------------------------------------------
// Damaged input: every outcome is a tree or an EFormSyntaxError, quickly.

TEST(FormSyntaxErrors, TruncatedFlippedAndRandomInputNeverEscapes) {
  enum TOutcome { Refused, Parsed, Unstable };
  // ParseForm may only return or raise EFormSyntaxError; what it returns must print and
  // read back to the same normal form.
  auto attempt = [](const std::string& text) {
    try {
      std::string printed = PrintForm(ParseForm(text));
      return PrintForm(ParseForm(printed)) == printed ? Parsed : Unstable;
    } catch (const EFormSyntaxError&) {
      return Refused;
    }
  };
  const std::string rich = RichInput;
  for (std::size_t n = 0; n < rich.size(); ++n)
    ASSERT_NE(attempt(rich.substr(0, n)), Unstable) << "cut at " << n;
  // Every byte of a small file with every kind of value, replaced and flipped.
  const std::string valid =
      "object A: T\n"
      "  I = -$1F\n"
      "  F = 1.5E3\n"
      "  S = 'a'''#13#1069 +\n"
      "    '\xD0\x96'\n"
      "  D = X.Y\n"
      "  E = [a, b]\n"
      "  L = ('x' 1 ())\n"
      "  C = <item [0] K = 1 end item end>\n"
      "  B = {0A0B}\n"
      "  object B: T end\n"
      "end\n";
  ASSERT_EQ(attempt(valid), Parsed);
  const char replacements[] = {'\0', '\'', '(', ')', '<', '>', '{', '#', '.', '+', ' ', '\n', 'x', '9'};
  int parsed = 0;
  for (std::size_t i = 0; i < valid.size(); ++i) {
    std::string text = valid;
    for (char r : replacements) {
      text[i] = r;
      auto outcome = attempt(text);
      ASSERT_NE(outcome, Unstable) << text;
      parsed += outcome == Parsed;
    }
    text[i] = static_cast<char>(valid[i] ^ 0x80);
    ASSERT_NE(attempt(text), Unstable) << text;
  }
  EXPECT_GT(parsed, 0);  // some damage still parses and goes through the printer
  std::mt19937 random(12345);
  const std::vector<std::string> pieces = {
      "object ", "end ", "item ", "A", "T",  ": ", " = ", "1",  "$F",       "-",
      ".",       "'",    "'x'",   "#65", "+", "[",  "]",   "(",  ")",        ",",
      "<",       ">",    "{",     "}",   "0A", "E", " ",   "\n", "\xD0\x96", "1.5",
      "P = ",    "P = (", "P = <item ", "\0"s};
  parsed = 0;
  for (int i = 0; i < 3000; ++i) {
    std::string text = "object A: T\n";
    for (std::size_t k = random() % 12; k > 0; --k) text += pieces[random() % pieces.size()];
    text += "\nend\n";
    auto outcome = attempt(text);
    ASSERT_NE(outcome, Unstable) << text;
    parsed += outcome == Parsed;
  }
  EXPECT_GT(parsed, 0);
}
