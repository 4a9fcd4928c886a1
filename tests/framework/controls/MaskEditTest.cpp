// The masked edit driven by real keys through Qt: typing into the input positions, the
// literals, Backspace and Delete, pasting, EditText against Text, the value checked when
// the control is left (the error shown and the focus put back), and Esc.
#include <QTest>

#include "framework/controls/Mask.h"
#include "framework/controls/StdCtrls.h"
#include "framework/ui/Clipbrd.h"
#include "framework/ui/Forms.h"
#include "tests/support/UiTestSupport.h"

using namespace fw;
using namespace uitest;

namespace {

/// Form1 with Date (a masked edit for dates), Next (an edit) and a Cancel button.
class MaskEditTest : public TUiTest {
 protected:
  void SetUp() override {
    TUiTest::SetUp();
    Form = new TForm(nullptr);
    Form->SetName("Form1");
    Form->SetBounds(100, 50, 300, 150);
    Date = new TMaskEdit(Form);
    Date->SetName("Date");
    Date->SetBounds(10, 10, 120, 21);
    Date->SetEditMask("!99/99/0000;1;_");
    Date->SetParent(Form);
    Next = new TEdit(Form);
    Next->SetName("Next");
    Next->SetBounds(10, 40, 120, 21);
    Next->SetParent(Form);
    Cancel = new TButton(Form);
    Cancel->SetName("Cancel");
    Cancel->SetBounds(200, 10, 75, 25);
    Cancel->SetCancel(true);
    Cancel->SetParent(Form);
    for (TWinControl* c : std::initializer_list<TWinControl*>{Date, Next}) {
      c->SetOnEnter(Method<&TTrace::Enter>(&Trace));
      c->SetOnExit(Method<&TTrace::Exit>(&Trace));
    }
    Cancel->SetOnClick(Method<&TTrace::Click>(&Trace));
    Form->Show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(WidgetOf(Form)));
    Date->SetFocus();
    Trace.Clear();
  }

  TTrace Trace;
  TForm* Form = nullptr;
  TMaskEdit* Date = nullptr;
  TEdit* Next = nullptr;
  TButton* Cancel = nullptr;
};

TEST_F(MaskEditTest, TypingFillsTheInputPositions) {
  EXPECT_EQ(Date->GetEditText(), "__/__/____");
  EXPECT_EQ(Date->GetText(), "");
  TypeText(Date, "12x05");  // "x" fits no position and is dropped
  EXPECT_EQ(Date->GetEditText(), "12/05/____");
  EXPECT_EQ(Date->GetSelStart(), 6);  // past the literal
  EXPECT_EQ(Date->GetText(), "12/05/    ");
  TypeText(Date, "2024");
  EXPECT_EQ(Date->GetEditText(), "12/05/2024");
  EXPECT_EQ(Date->GetText(), "12/05/2024");
  EXPECT_TRUE(Date->GetModified());
  // Backspace blanks the input position before the caret, stepping over literals.
  for (int i = 0; i < 4; ++i) TypeKey(Date, Qt::Key_Left);
  EXPECT_EQ(Date->GetSelStart(), 6);
  TypeKey(Date, Qt::Key_Left);
  EXPECT_EQ(Date->GetSelStart(), 4);  // Left skips the literal at 5
  TypeKey(Date, Qt::Key_Right);
  EXPECT_EQ(Date->GetSelStart(), 6);
  TypeKey(Date, Qt::Key_Backspace);
  EXPECT_EQ(Date->GetEditText(), "12/0_/2024");
  EXPECT_EQ(Date->GetSelStart(), 4);
  TypeKey(Date, Qt::Key_Home);
  TypeKey(Date, Qt::Key_Delete);
  EXPECT_EQ(Date->GetEditText(), "_2/0_/2024");
  // A selection typed over is blanked, the character goes to its first input position.
  Date->SelectAll();
  TypeText(Date, "3");
  EXPECT_EQ(Date->GetEditText(), "3_/__/____");
  // Typing the literal that comes next moves past it.
  TypeText(Date, "/");
  EXPECT_EQ(Date->GetSelStart(), 3);
  TypeText(Date, "4/1999");
  EXPECT_EQ(Date->GetEditText(), "3_/4_/1999");
  // Pasting fills the input positions; characters that fit nowhere are dropped.
  Clipboard()->SetAsText("31/12/2023");
  Date->SelectAll();
  Date->PasteFromClipboard();
  EXPECT_EQ(Date->GetEditText(), "31/12/2023");
  Clipboard()->SetAsText("0a7");
  Date->SetSelStart(3);
  Date->SetSelLength(2);
  Date->PasteFromClipboard();
  EXPECT_EQ(Date->GetEditText(), "31/07/2023");
}

TEST_F(MaskEditTest, EditTextAndTextThroughTheMask) {
  TMaskEdit phone(nullptr);
  phone.SetEditMask("(999) 000-0000;0;_");
  phone.SetText("5551234567");
  EXPECT_EQ(phone.GetEditText(), "(555) 123-4567");
  EXPECT_EQ(phone.GetText(), "5551234567");
  EXPECT_EQ(static_cast<TControl&>(phone).GetText(), "(555) 123-4567");  // the control shows the edit text
  phone.SetEditMask("(999) 000-0000;1;_");  // the value is kept, now with its literals
  EXPECT_EQ(phone.GetText(), "(555) 123-4567");
  phone.SetEditText("(1");
  EXPECT_EQ(phone.GetEditText(), "(1__) ___-____");
  phone.SetEditMask("");  // no mask: the text is the value
  EXPECT_EQ(phone.GetText(), "(1  )    -    ");
  EXPECT_FALSE(phone.IsMasked());
  phone.SetText("free text");
  EXPECT_EQ(phone.GetText(), "free text");
  phone.SetEditMask(">LL-000;0;*");
  phone.SetText("ab123");
  EXPECT_EQ(phone.GetEditText(), "AB-123");
  phone.Clear();
  EXPECT_EQ(phone.GetEditText(), "**-***");
  EXPECT_EQ(phone.GetText(), "");
}

TEST_F(MaskEditTest, LeavingWithAValueThatDoesNotFitPutsTheFocusBack) {
  TypeText(Date, "120");
  TypeKey(Date, Qt::Key_Tab);
  ASSERT_EQ(Messages.Log.size(), 1u);
  EXPECT_EQ(Messages.Log[0],
            "dialog: Invalid input value '12/0_/____' for the edit mask '!99/99/0000;1;_': character 7 must be a "
            "digit. Press Esc to abandon the changes");
  EXPECT_TRUE(Date->Focused());
  EXPECT_EQ(Form->GetActiveControl(), Date);
  EXPECT_EQ(Date->GetSelStart(), 6);  // the first position that does not fit
  EXPECT_EQ(Date->GetSelLength(), 1);
  EXPECT_EQ(Date->GetEditText(), "12/0_/____");  // nothing typed is lost
  // Neither OnExit of Date nor OnEnter of Next: the focus comes back into Date.
  EXPECT_EQ(Trace.Str(), "enter Date");
  // The same when the mouse takes the focus elsewhere.
  ClickAt(Next);
  EXPECT_EQ(Messages.Log.size(), 2u);
  EXPECT_TRUE(Date->Focused());
  // Completed, the value passes.
  Trace.Clear();
  TypeText(Date, "1999");
  TypeKey(Date, Qt::Key_Tab);
  EXPECT_EQ(Messages.Log.size(), 2u);
  EXPECT_TRUE(Next->Focused());
  EXPECT_EQ(Trace.Str(), "exit Date;enter Next");
  // A value set by code is not the user's: leaving does not check it.
  Date->SetText("1");
  Date->SetFocus();
  TypeKey(Date, Qt::Key_Tab);
  EXPECT_EQ(Messages.Log.size(), 2u);
  EXPECT_TRUE(Next->Focused());
}

TEST_F(MaskEditTest, EscTakesBackTheChangesBeforeTheCancelButton) {
  Date->SetText("01/02/2003");
  Next->SetFocus();
  Date->SetFocus();
  TypeKey(Date, Qt::Key_End);
  TypeKey(Date, Qt::Key_Backspace);
  TypeText(Date, "9");
  EXPECT_EQ(Date->GetEditText(), "01/02/2009");
  TypeKey(Date, Qt::Key_Escape);
  EXPECT_EQ(Date->GetEditText(), "01/02/2003");
  EXPECT_FALSE(Date->GetModified());
  EXPECT_EQ(Trace.Str(), "exit Date;enter Next;exit Next;enter Date");
  // Nothing left to take back: Esc is the Cancel button's.
  TypeKey(Date, Qt::Key_Escape);
  EXPECT_EQ(Trace.Items.back(), "click Cancel");
}

}  // namespace
