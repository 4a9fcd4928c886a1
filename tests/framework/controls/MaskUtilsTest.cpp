// Edit masks without windows: the sections, the edit text of a value and the value of an
// edit text, the characters each position takes, and the check of a whole edit text.
#include <gtest/gtest.h>

#include "framework/controls/MaskUtils.h"
#include "framework/controls/Utf32.h"
#include "tests/support/ExpectError.h"

using namespace fw;

namespace {

TEST(EditMaskTest, Sections) {
  struct Case {
    const char* Mask;
    int Length;
    bool Save;
    char32_t Blank;
    bool Reverse;
  } cases[] = {
      {"000", 3, true, U'_', false},
      {"000;0", 3, false, U'_', false},
      {"000;1;*", 3, true, U'*', false},
      {"000;0; ", 3, false, U' ', false},
      {"!999;;#", 3, true, U'#', true},
      {"00\\;0", 4, true, U'_', false},   // an escaped ";" is a literal of the mask
      {"(999) 000-0000", 14, true, U'_', false},
      {">LL<ll<>cc", 6, true, U'_', false},  // case directives take no position
      {"", 0, true, U'_', false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Mask);
    TEditMask m(c.Mask);
    EXPECT_EQ(m.Length(), c.Length);
    EXPECT_EQ(m.IsMasked(), c.Length > 0);
    EXPECT_EQ(m.GetSaveLiterals(), c.Save);
    EXPECT_EQ(m.GetBlank(), c.Blank);
    EXPECT_EQ(m.GetReverse(), c.Reverse);
  }
  TEditMask escaped("\\0\\9_0");
  EXPECT_TRUE(escaped.IsLiteral(0));
  EXPECT_EQ(escaped.Position(0).Literal, U'0');
  EXPECT_EQ(escaped.Position(1).Literal, U'9');
  EXPECT_EQ(escaped.Position(2).Literal, U' ');  // "_" is a literal space
  EXPECT_FALSE(escaped.IsLiteral(3));
}

TEST(EditMaskTest, EditTextAndTextOfValues) {
  // mask | value set as Text | edit text shown | Text read back
  struct Case {
    const char* Mask;
    const char* Value;
    const char* EditText;
    const char* Text;
  } cases[] = {
      {"!99/99/0000;1;_", "12/05/2024", "12/05/2024", "12/05/2024"},
      {"!99/99/0000;1;_", "1/05/2024", "_1/05/2024", " 1/05/2024"},   // right-aligned
      {"!99/99/0000;1;_", "", "__/__/____", ""},                        // all blank: empty
      {"!99/99/0000;1;_", "1/5/2024", "_1/_5/2024", " 1/ 5/2024"},      // short parts
      {"99/99/0000;1;_", "1/5/2024", "1_/5_/2024", "1 /5 /2024"},
      {"(999) 000-0000;1;_", "(55) 123-4567", "(55_) 123-4567", "(55 ) 123-4567"},
      {"00000;0;_", "123", "123__", "123"},
      {"!00000;0;_", "123", "__123", "123"},
      {"(999) 000-0000;1;_", "(555) 123-4567", "(555) 123-4567", "(555) 123-4567"},
      {"(999) 000-0000;1;_", "5551234567", "(555) 123-4567", "(555) 123-4567"},  // literals put in
      {"(999) 000-0000;0;_", "5551234567", "(555) 123-4567", "5551234567"},
      {">LL-0000;1;*", "ab-1234", "AB-1234", "AB-1234"},
      {">LL-0000;1;*", "", "**-****", ""},
      {">LL-0000;1;*", "a", "A*-****", "A -    "},
      {"<LLL;0;_", "ABC", "abc", "abc"},
      {">L<LLL;0;_", "jOHN", "John", "John"},
      {"AAA-aaa;0;_", "x1", "x1_-___", "x1"},
      {"CCC;0;_", "a b", "a_b", "a b"},                                  // a space is a blank
      {"000;0;_", "12345", "123", "123"},                                // the rest is dropped
      {"\\0\\900;1;_", "0912", "0912", "0912"},
      {">LLL;0;_", "абв", "АБВ", "АБВ"},                                  // Cyrillic letters
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.Mask) + " <- '" + c.Value + "'");
    TEditMask m(c.Mask);
    std::string edit = m.EditTextOf(std::string(c.Value));
    EXPECT_EQ(edit, c.EditText);
    EXPECT_EQ(m.TextOf(edit), c.Text);
    // What Text gives back shows the same edit text again.
    EXPECT_EQ(m.EditTextOf(m.TextOf(edit)), edit);
  }
}

TEST(EditMaskTest, CharactersEachPositionTakes) {
  // mask | typed | taken | stored as
  struct Case {
    const char* Mask;
    char32_t Typed;
    bool Taken;
    char32_t Stored;
  } cases[] = {
      {"0", U'5', true, U'5'},   {"0", U'a', false, 0},     {"0", U' ', false, 0},  // required: no blank
      {"9", U'7', true, U'7'},   {"9", U' ', true, U'_'},   {"9", U'+', false, 0},
      {"#", U'+', true, U'+'},   {"#", U'-', true, U'-'},   {"#", U'x', false, 0},
      {"L", U'q', true, U'q'},   {"L", U'ж', true, U'ж'},   {"L", U'1', false, 0},
      {">l", U'q', true, U'Q'},  {"<L", U'Q', true, U'q'},  {"l", U' ', true, U'_'},
      {"A", U'7', true, U'7'},   {"A", U'é', true, U'é'},   {"A", U'-', false, 0},
      {"a", U'b', true, U'b'},   {"C", U'-', true, U'-'},   {"c", U'%', true, U'%'},
      {"-0", U'-', false, 0},  // a literal position takes nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.Mask) + " '" + ToUtf8(c.Typed) + "'");
    TEditMask m(c.Mask);
    char32_t ch = c.Typed;
    EXPECT_EQ(m.Accepts(0, ch), c.Taken);
    if (c.Taken) {
      EXPECT_EQ(ch, c.Stored);
    }
  }
}

TEST(EditMaskTest, CheckOfAWholeEditText) {
  // mask | edit text | first position that does not fit (-1: fits)
  struct Case {
    const char* Mask;
    const char* EditText;
    int Bad;
  } cases[] = {
      {"!99/99/0000;1;_", "12/05/2024", -1},
      {"!99/99/0000;1;_", "__/__/2024", -1},  // optional positions may stay blank
      {"!99/99/0000;1;_", "12/05/20_4", 8},
      {"00;1;_", "1x", 1},
      {"LL;1;_", "a1", 1},
      {"99;1;_", "__", -1},
      {"0;1;_", "", 0},                        // a short edit text counts as blank
      {"CC;1;*", "a*", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.Mask) + " '" + c.EditText + "'");
    EXPECT_EQ(TEditMask(c.Mask).FirstInvalid(ToUtf32(c.EditText)), c.Bad);
  }
  ExpectError<EDBEditError>([] { TEditMask("!99/99/0000;1;_").Validate(ToUtf32("12/05/20_4")); },
                            "Invalid input value '12/05/20_4' for the edit mask '!99/99/0000;1;_': character 9 must "
                            "be a digit. Press Esc to abandon the changes");
  ExpectError<EDBEditError>([] { TEditMask(">LL-0000;1;_").Validate(ToUtf32("A1-1234")); },
                            "Invalid input value 'A1-1234' for the edit mask '>LL-0000;1;_': character 2 must be a "
                            "letter. Press Esc to abandon the changes");
}

TEST(EditMaskTest, InputPositionsAndFormatMaskText) {
  TEditMask m("(999) 000-0000;1;_");
  EXPECT_EQ(m.NextInput(0), 1);
  EXPECT_EQ(m.NextInput(4), 6);
  EXPECT_EQ(m.PriorInput(6), 3);
  EXPECT_EQ(m.PriorInput(1), -1);
  EXPECT_EQ(m.NextInput(14), 14);
  EXPECT_EQ(FormatMaskText("(999) 000-0000;0;_", "5551234567"), "(555) 123-4567");
  EXPECT_EQ(FormatMaskText("00/00;1;_", "1"), "1 /  ");
  EXPECT_EQ(FormatMaskText("", "as is"), "as is");
}

}  // namespace
