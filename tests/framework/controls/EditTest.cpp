// The edit and the memo driven by real keys and mouse through Qt: typing, caret moves and
// selection, keys reaching the handlers before the editing, the clipboard, ReadOnly,
// MaxLength, CharCase and PasswordChar, and the memo's lines, rows and scroll bar.
#include <QTest>

#include "framework/controls/StdCtrls.h"
#include "framework/ui/Clipbrd.h"
#include "framework/ui/Forms.h"
#include "tests/support/UiTestSupport.h"

using namespace fw;
using namespace uitest;

namespace {

/// Counts OnChange calls and notes Modified at each.
struct TChangeLog : TObject {
  int Count = 0;
  std::vector<bool> ModifiedAt;
  void Changed(TObject* sender) {
    ++Count;
    ModifiedAt.push_back(static_cast<TCustomEdit*>(sender)->GetModified());
  }
};

/// Form1 with Edit1 and Edit2 (150 wide), Memo1 and an OK button that is the default.
class EditTest : public TUiTest {
 protected:
  void SetUp() override {
    TUiTest::SetUp();
    Form = new TForm(nullptr);
    Form->SetName("Form1");
    Form->SetBounds(100, 50, 400, 300);
    Edit1 = Add<TEdit>("Edit1", 10, 10, 150, 21);
    Edit2 = Add<TEdit>("Edit2", 10, 40, 150, 21);
    Memo1 = Add<TMemo>("Memo1", 10, 70, 200, 100);
    Ok = Add<TButton>("Ok", 250, 10, 75, 25);
    Ok->SetDefault(true);
    Ok->SetOnClick(Method<&TTrace::Click>(&Trace));
    Form->Show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(WidgetOf(Form)));
    Clipboard()->Clear();
  }
  template <class T>
  T* Add(const char* name, int l, int t, int w, int h) {
    auto* c = new T(Form);
    c->SetName(name);
    c->SetBounds(l, t, w, h);
    c->SetParent(Form);
    return c;
  }
  void Keys(TWinControl* c, std::initializer_list<Qt::Key> keys, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    for (Qt::Key k : keys) TypeKey(c, k, mods);
  }

  TTrace Trace;
  TForm* Form = nullptr;
  TEdit *Edit1 = nullptr, *Edit2 = nullptr;
  TMemo* Memo1 = nullptr;
  TButton* Ok = nullptr;
};

TEST_F(EditTest, TypingCaretMovesAndSelection) {
  TChangeLog log;
  Edit1->SetOnChange(Method<&TChangeLog::Changed>(&log));
  Edit1->SetFocus();
  TypeText(Edit1, "Hello world");
  EXPECT_EQ(Edit1->GetText(), "Hello world");
  EXPECT_EQ(Edit1->GetSelStart(), 11);
  EXPECT_EQ(log.Count, 11);
  EXPECT_TRUE(Edit1->GetModified());
  EXPECT_EQ(log.ModifiedAt.front(), true);

  TypeKey(Edit1, Qt::Key_Home);
  Keys(Edit1, {Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right}, Qt::ShiftModifier);
  EXPECT_EQ(Edit1->GetSelText(), "Hello");
  TypeText(Edit1, "Howdy");  // typing replaces the selection
  EXPECT_EQ(Edit1->GetText(), "Howdy world");
  TypeKey(Edit1, Qt::Key_End);
  TypeKey(Edit1, Qt::Key_Left, Qt::ControlModifier);
  EXPECT_EQ(Edit1->GetSelStart(), 6);
  TypeKey(Edit1, Qt::Key_End, Qt::ShiftModifier);
  EXPECT_EQ(Edit1->GetSelText(), "world");
  TypeKey(Edit1, Qt::Key_Left);  // collapses to the start of the selection
  EXPECT_EQ(Edit1->GetSelStart(), 6);
  EXPECT_EQ(Edit1->GetSelLength(), 0);
  TypeKey(Edit1, Qt::Key_Backspace);
  TypeKey(Edit1, Qt::Key_Delete);
  EXPECT_EQ(Edit1->GetText(), "Howdyorld");
  TypeKey(Edit1, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(Edit1->GetSelLength(), 9);

  // Text set by code: OnChange, not Modified, the caret at the start.
  int before = log.Count;
  Edit1->SetText("by code");
  EXPECT_EQ(log.Count, before + 1);
  EXPECT_FALSE(Edit1->GetModified());
  EXPECT_EQ(Edit1->GetSelStart(), 0);
  Edit1->SetSelStart(3);
  Edit1->SetSelLength(4);
  EXPECT_EQ(Edit1->GetSelText(), "code");
  Edit1->SetSelText("CODE!");
  EXPECT_EQ(Edit1->GetText(), "by CODE!");
  EXPECT_EQ(Edit1->GetSelStart(), 8);

  // Tab leaves; entering by the keyboard selects all (AutoSelect).
  TypeKey(Edit1, Qt::Key_Tab);
  EXPECT_TRUE(Edit2->Focused());
  Edit2->SetText("abc");
  TypeKey(Edit2, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_TRUE(Edit1->Focused());
  EXPECT_EQ(Edit1->GetSelText(), "by CODE!");
}

TEST_F(EditTest, KeysReachTheHandlersBeforeTheEditing) {
  Edit1->SetFocus();
  Edit1->SetText("abc");
  Edit1->SetSelStart(1);
  Edit1->SetOnKeyDown(Method<&TTrace::KeyDown>(&Trace));
  Edit1->SetOnKeyPress(Method<&TTrace::KeyPress>(&Trace));
  Trace.Consume = {'x', VK_DELETE, VK_LEFT};
  TypeText(Edit1, "yx");
  TypeKey(Edit1, Qt::Key_Delete);
  TypeKey(Edit1, Qt::Key_Left);
  EXPECT_EQ(Trace.Str(), "down Edit1 89;press Edit1 121;down Edit1 88;press Edit1 120;down Edit1 46;down Edit1 37");
  // "y" typed, "x" consumed by OnKeyPress, Delete and Left by OnKeyDown.
  EXPECT_EQ(Edit1->GetText(), "aybc");
  EXPECT_EQ(Edit1->GetSelStart(), 2);
  // A KeyPress handler may change the character.
  struct TUpper : TObject {
    void Press(TObject*, TKeyChar& key) {
      if (key >= 'a' && key <= 'z') key -= 32;
    }
  } upper;
  Edit1->SetOnKeyDown(nullptr);
  Edit1->SetOnKeyPress(Method<&TUpper::Press>(&upper));
  TypeText(Edit1, "q");
  EXPECT_EQ(Edit1->GetText(), "ayQbc");
  // Enter is the form's (the default button); the edit types nothing for it.
  TypeKey(Edit1, Qt::Key_Return);
  EXPECT_EQ(Trace.Items.back(), "click Ok");
  EXPECT_EQ(Edit1->GetText(), "ayQbc");
}

TEST_F(EditTest, ClipboardReadOnlyMaxLengthCharCaseAndPassword) {
  Edit1->SetFocus();
  TypeText(Edit1, "one two");
  TypeKey(Edit1, Qt::Key_Left, Qt::ControlModifier);
  TypeKey(Edit1, Qt::Key_End, Qt::ShiftModifier);
  TypeKey(Edit1, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(Clipboard()->GetAsText(), "two");
  TypeKey(Edit1, Qt::Key_Home);
  TypeKey(Edit1, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Edit1->GetText(), "twoone two");
  TypeKey(Edit1, Qt::Key_Home, Qt::ShiftModifier);
  TypeKey(Edit1, Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(Edit1->GetText(), "one two");
  EXPECT_EQ(Clipboard()->GetAsText(), "two");
  TypeKey(Edit1, Qt::Key_End);
  TypeKey(Edit1, Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(Edit1->GetText(), "one twotwo");
  Edit1->SelectAll();
  TypeKey(Edit1, Qt::Key_Insert, Qt::ControlModifier);
  EXPECT_EQ(Clipboard()->GetAsText(), "one twotwo");
  TypeKey(Edit1, Qt::Key_Delete, Qt::ShiftModifier);
  EXPECT_EQ(Edit1->GetText(), "");
  // Pasting a line break into a single line keeps what comes before it.
  Clipboard()->SetAsText("first\r\nsecond");
  Edit1->PasteFromClipboard();
  EXPECT_EQ(Edit1->GetText(), "first");

  // ReadOnly: copying works, the user's changes are refused, code still sets the text.
  Edit1->SetModified(false);
  Edit1->SetReadOnly(true);
  Edit1->SelectAll();
  Edit1->CopyToClipboard();
  EXPECT_EQ(Clipboard()->GetAsText(), "first");
  TypeText(Edit1, "zz");
  TypeKey(Edit1, Qt::Key_Backspace);
  Edit1->CutToClipboard();
  Edit1->PasteFromClipboard();
  EXPECT_EQ(Edit1->GetText(), "first");
  EXPECT_FALSE(Edit1->GetModified());
  Edit1->SetText("set by code");
  EXPECT_EQ(Edit1->GetText(), "set by code");
  Edit1->SetReadOnly(false);

  // MaxLength limits typing and pasting; CharCase converts both and text set by code.
  Edit1->SetText("");
  Edit1->SetMaxLength(5);
  TypeText(Edit1, "abcdefg");
  EXPECT_EQ(Edit1->GetText(), "abcde");
  Edit1->SetText("");
  Clipboard()->SetAsText("123456789");
  Edit1->PasteFromClipboard();
  EXPECT_EQ(Edit1->GetText(), "12345");
  Edit1->SetMaxLength(0);
  Edit1->SetCharCase(ecUpperCase);
  Edit1->SetText("mixed Ёж");
  EXPECT_EQ(Edit1->GetText(), "MIXED ЁЖ");
  Edit1->SetSelStart(5);
  TypeText(Edit1, "ly");
  EXPECT_EQ(Edit1->GetText(), "MIXEDLY ЁЖ");
  Edit1->SetCharCase(ecLowerCase);
  EXPECT_EQ(Edit1->GetText(), "mixedly ёж");
  Edit1->SetCharCase(ecNormal);

  // A password edit shows its character and gives nothing to the clipboard.
  Clipboard()->SetAsText("before");
  Edit1->SetPasswordChar("*");
  Edit1->SetText("secret");
  Edit1->SelectAll();
  Edit1->CopyToClipboard();
  Edit1->CutToClipboard();
  EXPECT_EQ(Clipboard()->GetAsText(), "before");
  EXPECT_EQ(Edit1->GetText(), "secret");
  EXPECT_EQ(Edit1->GetPasswordChar(), "*");
}

TEST_F(EditTest, MousePlacesTheCaretAndSelects) {
  // DejaVu Sans 8 pt: a digit is 7 pixels wide; the text starts 3 pixels in.
  Edit1->SetText("0123456789 abc");
  ClickAt(Edit1, Qt::LeftButton, QPoint(3 + 7 * 4 + 2, 10));
  EXPECT_TRUE(Edit1->Focused());
  EXPECT_EQ(Edit1->GetSelStart(), 4);
  EXPECT_EQ(Edit1->GetSelLength(), 0);  // a click does not select all
  ClickAt(Edit1, Qt::LeftButton, QPoint(3 + 7 * 7 + 1, 10), Qt::ShiftModifier);
  EXPECT_EQ(Edit1->GetSelText(), "456");
  QTest::mousePress(WidgetOf(Edit1), Qt::LeftButton, Qt::NoModifier, QPoint(3 + 7 * 1, 10));
  QTest::mouseMove(WidgetOf(Edit1), QPoint(3 + 7 * 3, 10));
  QTest::mouseRelease(WidgetOf(Edit1), Qt::LeftButton, Qt::NoModifier, QPoint(3 + 7 * 3, 10));
  EXPECT_EQ(Edit1->GetSelText(), "12");
  QTest::mouseDClick(WidgetOf(Edit1), Qt::LeftButton, Qt::NoModifier, QPoint(3 + 7 * 5, 10));
  EXPECT_EQ(Edit1->GetSelText(), "0123456789");
}

TEST_F(EditTest, MemoLinesRowsAndKeys) {
  TChangeLog log;
  Memo1->SetOnChange(Method<&TChangeLog::Changed>(&log));
  Memo1->SetFocus();
  TypeText(Memo1, "abc");
  TypeKey(Memo1, Qt::Key_Return);  // a line break, not the default button
  TypeText(Memo1, "defgh");
  EXPECT_EQ(Memo1->GetText(), "abc\r\ndefgh");
  EXPECT_TRUE(Trace.Items.empty());
  ASSERT_EQ(Memo1->GetLines()->GetCount(), 2);
  EXPECT_EQ(Memo1->GetLines()->Get(1), "defgh");
  EXPECT_EQ(Memo1->GetCaretPos(), (TPoint{5, 1}));
  // Up keeps the column as far as the shorter line allows; Down finds it again.
  TypeKey(Memo1, Qt::Key_Up);
  EXPECT_EQ(Memo1->GetCaretPos(), (TPoint{3, 0}));
  TypeKey(Memo1, Qt::Key_Down);
  EXPECT_EQ(Memo1->GetCaretPos(), (TPoint{5, 1}));
  // Backspace at the start of a line takes the whole line break.
  TypeKey(Memo1, Qt::Key_Home);
  TypeKey(Memo1, Qt::Key_Backspace);
  EXPECT_EQ(Memo1->GetText(), "abcdefgh");
  TypeKey(Memo1, Qt::Key_Return);
  EXPECT_EQ(Memo1->GetText(), "abc\r\ndefgh");
  // The caret never stands inside a line break: Left from the next line's start lands
  // at the end of the line before.
  TypeKey(Memo1, Qt::Key_Left);
  EXPECT_EQ(Memo1->GetSelStart(), 3);
  TypeKey(Memo1, Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(Memo1->GetSelText(), "\r\n");
  // Pasted line breaks of any kind become CR LF.
  Clipboard()->SetAsText("x\ny");
  TypeKey(Memo1, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Memo1->GetText(), "abcx\r\nydefgh");
  EXPECT_GT(log.Count, 0);

  // Lines by code.
  Memo1->GetLines()->Clear();
  EXPECT_EQ(Memo1->GetText(), "");
  Memo1->GetLines()->Add("first");
  Memo1->GetLines()->Add("second");
  Memo1->GetLines()->Insert(1, "middle");
  EXPECT_EQ(Memo1->GetText(), "first\r\nmiddle\r\nsecond");
  Memo1->GetLines()->Delete(0);
  Memo1->GetLines()->Put(0, "MIDDLE");
  EXPECT_EQ(Memo1->GetText(), "MIDDLE\r\nsecond");
  TStringList many;
  for (int i = 0; i < 30; ++i) many.Add("line " + std::to_string(i));
  int before = log.Count;
  Memo1->GetLines()->Assign(&many);
  EXPECT_EQ(log.Count, before + 1);  // one change for the whole assignment
  EXPECT_EQ(Memo1->GetLines()->GetCount(), 30);

  // Ctrl+End scrolls the last line into view; PageUp moves by the rows in view.
  Memo1->SetFocus();
  TypeKey(Memo1, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(Memo1->GetCaretPos(), (TPoint{7, 29}));
  int visible = Memo1->VisibleRows();
  EXPECT_EQ(visible, (100 - 4) / 13);
  EXPECT_EQ(Memo1->GetTopRow(), 30 - visible);
  TypeKey(Memo1, Qt::Key_PageUp);
  EXPECT_EQ(Memo1->GetCaretPos().Y, 29 - visible);
  TypeKey(Memo1, Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(Memo1->GetTopRow(), 0);
}

TEST_F(EditTest, MemoWordWrapScrollBarAndSpecialKeys) {
  Memo1->SetScrollBars(ssVertical);
  // Width 200: 4 pixels of frame, 16 of scroll bar, 3 of margin leave 177 for text.
  Memo1->SetText("aaaa bbbb cccc dddd eeee ffff gggg hhhh iiii jjjj kkkk llll mmmm nnnn oooo");
  int rows = Memo1->GetRowCount();
  EXPECT_GT(rows, 1);
  Memo1->SetWordWrap(false);
  EXPECT_EQ(Memo1->GetRowCount(), 1);
  Memo1->SetWordWrap(true);
  EXPECT_EQ(Memo1->GetRowCount(), rows);

  TStringList many;
  for (int i = 0; i < 20; ++i) many.Add(std::to_string(i));
  Memo1->GetLines()->Assign(&many);
  EXPECT_EQ(Memo1->GetTopRow(), 0);
  // The scroll bar's down arrow scrolls by a row, its track below the thumb by a page.
  ClickAt(Memo1, Qt::LeftButton, QPoint(200 - 2 - 8, 100 - 2 - 8));
  EXPECT_EQ(Memo1->GetTopRow(), 1);
  ClickAt(Memo1, Qt::LeftButton, QPoint(200 - 2 - 8, 100 - 2 - 20));
  EXPECT_EQ(Memo1->GetTopRow(), 1 + Memo1->VisibleRows());
  ClickAt(Memo1, Qt::LeftButton, QPoint(200 - 2 - 8, 2 + 8));
  EXPECT_EQ(Memo1->GetTopRow(), Memo1->VisibleRows());

  // Without WantReturns Enter is the form's again; Ctrl+Enter still breaks the line.
  Memo1->SetText("");
  Memo1->SetWantReturns(false);
  Memo1->SetFocus();
  TypeKey(Memo1, Qt::Key_Return);
  EXPECT_EQ(Trace.Str(), "click Ok");
  TypeText(Memo1, "a");
  TypeKey(Memo1, Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(Memo1->GetText(), "a\r\n");
  // Tab moves on unless WantTabs.
  TypeKey(Memo1, Qt::Key_Tab);
  EXPECT_FALSE(Memo1->Focused());
  Memo1->SetWantTabs(true);
  Memo1->SetFocus();
  TypeKey(Memo1, Qt::Key_End, Qt::ControlModifier);
  TypeKey(Memo1, Qt::Key_Tab);
  EXPECT_TRUE(Memo1->Focused());
  EXPECT_EQ(Memo1->GetText(), "a\r\n\t");
}

}  // namespace
