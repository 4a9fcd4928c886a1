// Controls: bounds and the control tree, native windows on demand, focus with its enter
// and exit order, tab order, the key path for typed, posted and sent keys, virtual keys and
// shift states, mouse events, capture, the cancel-mode message and exceptions of handlers.
#include <QTest>
#include <QWidget>

#include "framework/controls/StdCtrls.h"
#include "framework/core/Exceptions.h"
#include "framework/ui/Forms.h"
#include "framework/ui/Menus.h"
#include "framework/ui/WidgetSet.h"
#include "tests/support/ExpectError.h"
#include "tests/support/UiTestSupport.h"

using namespace fw;
using namespace uitest;

namespace {

/// An edit that also writes its focus messages into the trace.
class TTraceEdit : public TEdit {
 public:
  TTraceEdit(TComponent* owner, TTrace& trace) : TEdit(owner), FTrace(trace) {}
  void WMSetFocus() override {
    FTrace.Add("setfocus " + GetName());
    TEdit::WMSetFocus();
  }
  void WMKillFocus() override {
    FTrace.Add("killfocus " + GetName());
    TEdit::WMKillFocus();
  }
  void CMCancelMode(TControl* sender) override { FTrace.Add("cancelmode " + GetName() + " by " + NameOf(sender)); }

 private:
  TTrace& FTrace;
};

/// Form1 at (100, 50) holding Edit1, then Panel (a plain window control at 10, 40) with
/// Edit2 and Edit3, then Button1; every control reports enter, exit and its keys.
class ControlsTest : public TUiTest {
 protected:
  void SetUp() override {
    TUiTest::SetUp();
    Form = new TForm(nullptr);
    Form->SetName("Form1");
    Form->SetBounds(100, 50, 300, 200);
    Edit1 = Make<TTraceEdit>("Edit1", Form, 10, 10);
    Panel = new TWinControl(Form);
    Panel->SetName("Panel");
    Panel->SetBounds(10, 40, 200, 80);
    Panel->SetParent(Form);
    Edit2 = Make<TTraceEdit>("Edit2", Panel, 5, 5);
    Edit3 = Make<TTraceEdit>("Edit3", Panel, 5, 40);
    Button1 = new TButton(Form);
    Button1->SetName("Button1");
    Button1->SetBounds(10, 150, 75, 25);
    Button1->SetParent(Form);
    for (TWinControl* c : std::initializer_list<TWinControl*>{Edit1, Panel, Edit2, Edit3, Button1}) {
      c->SetOnEnter(Method<&TTrace::Enter>(&Trace));
      c->SetOnExit(Method<&TTrace::Exit>(&Trace));
    }
    Form->SetOnActivate(Method<&TTrace::Activate>(&Trace));
    Form->SetOnDeactivate(Method<&TTrace::Deactivate>(&Trace));
  }
  template <class T>
  T* Make(const char* name, TWinControl* parent, int left, int top) {
    auto* e = new T(Form, Trace);
    e->SetName(name);
    e->SetBounds(left, top, 100, 21);
    e->SetParent(parent);
    return e;
  }
  void ShowForm() {
    Form->Show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(WidgetOf(Form)));
    Trace.Clear();
  }
  void TraceKeys(TWinControl* c) {
    c->SetOnKeyDown(Method<&TTrace::KeyDown>(&Trace));
    c->SetOnKeyPress(Method<&TTrace::KeyPress>(&Trace));
    c->SetOnKeyUp(Method<&TTrace::KeyUp>(&Trace));
  }

  TTrace Trace;
  TForm* Form = nullptr;
  TTraceEdit *Edit1 = nullptr, *Edit2 = nullptr, *Edit3 = nullptr;
  TWinControl* Panel = nullptr;
  TButton* Button1 = nullptr;
};

TEST_F(ControlsTest, BoundsAndTreeAndHandlesOnDemand) {
  EXPECT_EQ(Panel->GetControlCount(), 2);
  EXPECT_EQ(Edit3->GetParent(), Panel);
  EXPECT_TRUE(Panel->ContainsControl(Edit3));
  EXPECT_FALSE(Panel->ContainsControl(Edit1));
  EXPECT_EQ(GetParentForm(Edit3), Form);
  EXPECT_EQ(Edit3->ClientToScreen({1, 2}), (TPoint{100 + 10 + 5 + 1, 50 + 40 + 40 + 2}));
  EXPECT_EQ(Edit3->ScreenToClient({116, 132}), (TPoint{1, 2}));
  EXPECT_EQ(Edit1->GetClientRect(), (TRect{0, 0, 100, 21}));
  // Nothing native exists until something needs it; showing the form makes every window.
  EXPECT_FALSE(Form->HandleAllocated());
  EXPECT_FALSE(Edit2->HandleAllocated());
  ShowForm();
  EXPECT_TRUE(Edit2->HandleAllocated());
  EXPECT_TRUE(WidgetOf(Edit2)->isVisible());
  EXPECT_EQ(WidgetOf(Edit2)->parentWidget(), WidgetOf(Panel));
  EXPECT_EQ(WidgetOf(Edit3)->geometry(), QRect(5, 40, 100, 21));
  Edit3->SetBounds(6, 41, 90, 20);
  EXPECT_EQ(WidgetOf(Edit3)->geometry(), QRect(6, 41, 90, 20));
  Panel->SetVisible(false);
  EXPECT_FALSE(WidgetOf(Edit2)->isVisible());
  EXPECT_FALSE(Edit2->IsShowing());
  // Moving a control to another parent moves its window; freeing a parent frees its children.
  Edit2->SetParent(Form);
  EXPECT_EQ(WidgetOf(Edit2)->parentWidget(), WidgetOf(Form));
  EXPECT_TRUE(WidgetOf(Edit2)->isVisible());
  auto edit3Alive = Edit3->AliveToken();
  delete Panel;
  EXPECT_TRUE(edit3Alive.expired());
  EXPECT_EQ(Form->FindComponent("Edit3"), nullptr);
}

TEST_F(ControlsTest, AlignAndAnchors) {
  TWinControl* top = new TWinControl(Form);
  top->SetHeight(30);
  top->SetAlign(alTop);
  top->SetParent(Form);
  EXPECT_EQ(top->GetBoundsRect(), (TRect{0, 0, 300, 30}));
  TWinControl* client = new TWinControl(Form);
  client->SetAlign(alClient);
  client->SetParent(Form);
  EXPECT_EQ(client->GetBoundsRect(), (TRect{0, 30, 300, 200}));
  Button1->SetAnchors({akRight, akBottom});
  Form->SetBounds(100, 50, 340, 220);
  EXPECT_EQ(client->GetBoundsRect(), (TRect{0, 30, 340, 220}));
  EXPECT_EQ(Button1->GetLeft(), 50);
  EXPECT_EQ(Button1->GetTop(), 170);
  EXPECT_EQ(Edit1->GetLeft(), 10);
}

TEST_F(ControlsTest, FocusLeavesBeforeItEnters) {
  ShowForm();
  // Showing activated the form and focused the first tab stop.
  EXPECT_EQ(Screen->GetActiveForm(), Form);
  EXPECT_TRUE(Edit1->Focused());
  struct Case {
    std::function<void()> Act;
    std::string Trace;
    TWinControl* Focused;
  };
  const Case cases[] = {
      {[&] { Edit3->SetFocus(); },
       "killfocus Edit1;setfocus Edit3;exit Edit1;enter Panel;enter Edit3", Edit3},
      {[&] { Edit2->SetFocus(); }, "killfocus Edit3;setfocus Edit2;exit Edit3;enter Edit2", Edit2},
      {[&] { Button1->SetFocus(); }, "killfocus Edit2;exit Edit2;exit Panel;enter Button1", Button1},
      {[&] { Button1->SetFocus(); }, "", Button1},
      {[&] { TypeKey(Button1, Qt::Key_Tab); }, "setfocus Edit1;exit Button1;enter Edit1", Edit1},
      {[&] { TypeKey(Edit1, Qt::Key_Tab); }, "killfocus Edit1;setfocus Edit2;exit Edit1;enter Panel;enter Edit2", Edit2},
      {[&] { TypeKey(Edit2, Qt::Key_Tab, Qt::ShiftModifier); },
       "killfocus Edit2;setfocus Edit1;exit Edit2;exit Panel;enter Edit1", Edit1},
      {[&] { TypeKey(Edit1, Qt::Key_Backtab, Qt::ShiftModifier); }, "killfocus Edit1;exit Edit1;enter Button1", Button1},
  };
  for (const Case& c : cases) {
    Trace.Clear();
    c.Act();
    EXPECT_EQ(Trace.Str(), c.Trace);
    EXPECT_TRUE(c.Focused->Focused()) << c.Trace;
    EXPECT_EQ(Screen->GetActiveControl(), c.Focused);
    EXPECT_EQ(Form->GetActiveControl(), c.Focused);
  }
}

TEST_F(ControlsTest, TabOrderSkipsWhatCannotTakeTheFocus) {
  ShowForm();
  auto order = [&] {
    std::string out;
    TWinControl* c = Edit1;
    c->SetFocus();
    for (int i = 0; i < 5; ++i) {
      TypeKey(c, Qt::Key_Tab);
      c = FindFocusedControl();
      out += (out.empty() ? "" : ",") + c->GetName();
    }
    return out;
  };
  EXPECT_EQ(order(), "Edit2,Edit3,Button1,Edit1,Edit2");
  Edit3->SetTabOrder(0);
  EXPECT_EQ(Edit2->GetTabOrder(), 1);
  EXPECT_EQ(order(), "Edit3,Edit2,Button1,Edit1,Edit3");
  Edit2->SetTabStop(false);
  Button1->SetEnabled(false);
  EXPECT_EQ(order(), "Edit3,Edit1,Edit3,Edit1,Edit3");
  Panel->SetVisible(false);
  EXPECT_EQ(order(), "Edit1,Edit1,Edit1,Edit1,Edit1");
  EXPECT_FALSE(Edit3->CanFocus());
  ExpectError<EInvalidOperation>([&] { Edit3->SetFocus(); }, "Cannot focus a disabled or invisible window");
}

TEST_F(ControlsTest, HidingOrFreeingTheFocusedControlMovesTheFocusToTheForm) {
  ShowForm();
  Edit2->SetFocus();
  Trace.Clear();
  Edit2->SetVisible(false);
  EXPECT_EQ(Trace.Str(), "killfocus Edit2;exit Edit2;exit Panel");
  EXPECT_EQ(Form->GetActiveControl(), nullptr);
  EXPECT_EQ(FindFocusedControl(), Form);
  Edit3->SetFocus();
  Trace.Clear();
  delete Edit3;
  EXPECT_EQ(Trace.Str(), "exit Panel");  // a control being freed hears nothing more
  EXPECT_EQ(FindFocusedControl(), Form);
}

TEST_F(ControlsTest, KeyPathWithConsumedKeys) {
  ShowForm();
  TraceKeys(Edit1);
  TraceKeys(Edit2);
  TraceKeys(Form);
  struct Case {
    const char* Name;
    bool Preview;
    std::vector<unsigned> Consume;
    Qt::Key Key;
    std::string Trace;
    std::string Text;
  };
  const Case cases[] = {
      {"plain", false, {}, Qt::Key_A, "down Edit1 65;press Edit1 97;up Edit1 65", "a"},
      // A key consumed in KeyDown still types its character, as the window system
      // translated it before the handler ran; a consumed character types nothing.
      {"down consumed", false, {65}, Qt::Key_A, "down Edit1 65;press Edit1 97;up Edit1 65", "a"},
      {"press consumed", false, {97}, Qt::Key_A, "down Edit1 65;press Edit1 97;up Edit1 65", ""},
      {"preview", true, {}, Qt::Key_A,
       "down Form1 65;down Edit1 65;press Form1 97;press Edit1 97;up Form1 65;up Edit1 65", "a"},
      {"preview consumes", true, {65, 97}, Qt::Key_A, "down Form1 65;press Form1 97;up Form1 65;up Edit1 65", ""},
      {"function key", false, {}, Qt::Key_F2, "down Edit1 113;up Edit1 113", ""},
      {"enter", false, {}, Qt::Key_Return, "down Edit1 13;press Edit1 13;up Edit1 13", ""},
      {"tab moves on", false, {}, Qt::Key_Tab,
       "killfocus Edit1;setfocus Edit2;exit Edit1;enter Panel;enter Edit2;up Edit2 9", ""},
  };
  for (const Case& c : cases) {
    Edit1->SetText("");
    Edit1->SetFocus();
    Form->SetKeyPreview(c.Preview);
    Trace.Consume = c.Consume;
    Trace.Clear();
    TypeKey(Edit1, c.Key);
    EXPECT_EQ(Trace.Str(), c.Trace) << c.Name;
    EXPECT_EQ(Edit1->GetText(), c.Text) << c.Name;
  }
}

TEST_F(ControlsTest, PostedAndSentKeysTakeTheTypedPath) {
  ShowForm();
  TraceKeys(Edit1);
  TraceKeys(Edit2);
  const std::pair<Qt::Key, std::uint16_t> keys[] = {
      {Qt::Key_A, 'A'}, {Qt::Key_Return, VK_RETURN}, {Qt::Key_Escape, VK_ESCAPE}, {Qt::Key_F2, VK_F2},
      {Qt::Key_Tab, VK_TAB}, {Qt::Key_Space, VK_SPACE}, {Qt::Key_7, '7'}};
  for (auto [qtKey, vk] : keys) {
    Edit1->SetFocus();
    Edit1->SetText("");
    Trace.Clear();
    QTest::keyPress(WidgetOf(Edit1), qtKey);
    std::string typed = Trace.Str();
    std::string typedText = Edit1->GetText();
    Edit1->SetFocus();
    Edit1->SetText("");
    Trace.Clear();
    ASSERT_TRUE(PostMessage(Edit1, WM_KEYDOWN, vk, 0));
    EXPECT_EQ(Trace.Str(), "") << "a posted key waits for the message loop";
    ProcessEvents();
    EXPECT_EQ(Trace.Str(), typed) << vk;
    EXPECT_EQ(Edit1->GetText(), typedText) << vk;
    Edit1->SetFocus();
    Edit1->SetText("");
    Trace.Clear();
    SendMessage(Edit1, WM_KEYDOWN, vk, 0);
    EXPECT_EQ(Trace.Str(), typed) << vk;
  }
  // A posted character goes through KeyPress and types; a posted Tab moves the focus.
  Edit1->SetFocus();
  Edit1->SetText("ab");
  Edit1->SetSelStart(2);
  PostMessage(Edit1->GetHandle(), WM_CHAR, 'c', 0);
  PostMessage(Edit1->GetHandle(), WM_KEYDOWN, VK_TAB, 0);
  Trace.Clear();
  ProcessEvents();
  EXPECT_EQ(Trace.Str(), "press Edit1 99;killfocus Edit1;setfocus Edit2;exit Edit1;enter Panel;enter Edit2");
  EXPECT_EQ(Edit1->GetText(), "abc");
  EXPECT_TRUE(Edit2->Focused());
}

TEST_F(ControlsTest, VirtualKeysAndShiftStates) {
  ShowForm();
  std::vector<std::pair<unsigned, unsigned>> seen;  // key, shift bits
  struct TSink : TObject {
    std::vector<std::pair<unsigned, unsigned>>* Seen;
    void Down(TObject*, std::uint16_t& key, TShiftState shift) {
      Seen->push_back({key, static_cast<unsigned>(shift.ToInt())});
    }
  } sink;
  sink.Seen = &seen;
  Edit1->SetOnKeyDown(Method<&TSink::Down>(&sink));
  Edit1->SetFocus();
  const unsigned S = 1u << ssShift, A = 1u << ssAlt, C = 1u << ssCtrl;
  struct Case {
    Qt::Key Key;
    Qt::KeyboardModifiers Mods;
    unsigned Vk, Shift;
  } cases[] = {
      {Qt::Key_Return, Qt::NoModifier, 13, 0}, {Qt::Key_Escape, Qt::NoModifier, 27, 0},
      {Qt::Key_Space, Qt::NoModifier, 32, 0},  {Qt::Key_PageUp, Qt::NoModifier, 33, 0},
      {Qt::Key_PageDown, Qt::NoModifier, 34, 0}, {Qt::Key_End, Qt::NoModifier, 35, 0},
      {Qt::Key_Home, Qt::NoModifier, 36, 0},   {Qt::Key_Left, Qt::NoModifier, 37, 0},
      {Qt::Key_Up, Qt::NoModifier, 38, 0},     {Qt::Key_Right, Qt::NoModifier, 39, 0},
      {Qt::Key_Down, Qt::AltModifier, 40, A},  {Qt::Key_Delete, Qt::NoModifier, 46, 0},
      {Qt::Key_F1, Qt::AltModifier, 112, A},   {Qt::Key_F2, Qt::NoModifier, 113, 0},
      {Qt::Key_Z, Qt::ControlModifier, 90, C}, {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, 90, C | S},
      {Qt::Key_7, Qt::NoModifier, 55, 0},
      {Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier, 0x6B, C},
      {Qt::Key_Minus, Qt::ControlModifier | Qt::KeypadModifier, 0x6D, C},
  };
  for (const Case& c : cases) {
    seen.clear();
    TypeKey(Edit1, c.Key, c.Mods);
    ASSERT_FALSE(seen.empty()) << c.Vk;
    EXPECT_EQ(seen.back(), std::make_pair(c.Vk, c.Shift)) << c.Vk;
  }
  EXPECT_EQ(KeyToChar('A', {ssShift}), U'A');
  EXPECT_EQ(KeyToChar('A', {ssCtrl}), 1u);
  EXPECT_EQ(KeyToChar(VK_RETURN, {ssCtrl}), 10u);
  EXPECT_EQ(KeyToChar(VK_F2, {}), 0u);
}

TEST_F(ControlsTest, MouseEventsClickAndCapture) {
  ShowForm();
  struct TSink : TObject {
    TTrace* T;
    void Down(TObject* s, TMouseButton b, TShiftState, int x, int y) {
      T->Add("mousedown " + NameOf(s) + " " + std::to_string(b) + " " + std::to_string(x) + "," + std::to_string(y));
    }
    void Up(TObject* s, TMouseButton b, TShiftState, int x, int y) {
      T->Add("mouseup " + NameOf(s) + " " + std::to_string(b) + " " + std::to_string(x) + "," + std::to_string(y));
    }
    void Move(TObject* s, TShiftState shift, int x, int y) {
      if (shift.Contains(ssLeft)) T->Add("move " + NameOf(s) + " " + std::to_string(x) + "," + std::to_string(y));
    }
  } sink;
  sink.T = &Trace;
  for (TControl* c : std::initializer_list<TControl*>{Edit1, Edit2, Button1}) {
    c->SetOnMouseDown(Method<&TSink::Down>(&sink));
    c->SetOnMouseUp(Method<&TSink::Up>(&sink));
    c->SetOnMouseMove(Method<&TSink::Move>(&sink));
    c->SetOnClick(Method<&TTrace::Click>(&Trace));
  }
  ClickAt(Button1, Qt::LeftButton, QPoint(5, 6));
  EXPECT_EQ(Trace.Str(),
            "cancelmode Edit1 by Button1;killfocus Edit1;exit Edit1;enter Button1;"
            "mousedown Button1 0 5,6;click Button1;mouseup Button1 0 5,6");
  // A press that leaves the control keeps the mouse (capture): the move and the release go
  // to it, in its coordinates, and no click follows a release outside.
  Trace.Clear();
  QWidget* w = WidgetOf(Edit2);
  QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
  EXPECT_TRUE(Edit2->GetMouseCapture());
  QTest::mouseMove(WidgetOf(Form), QPoint(290, 190));
  QTest::mouseRelease(WidgetOf(Form), Qt::LeftButton, Qt::NoModifier, QPoint(290, 190));
  EXPECT_FALSE(Edit2->GetMouseCapture());
  EXPECT_EQ(Trace.Str(),
            "setfocus Edit2;exit Button1;enter Panel;enter Edit2;mousedown Edit2 0 3,3;"
            "move Edit2 275,145;mouseup Edit2 0 275,145");
  // The right button clicks nothing.
  Trace.Clear();
  ClickAt(Edit1, Qt::RightButton, QPoint(4, 4));
  EXPECT_EQ(Trace.Str(), "cancelmode Edit2 by Edit1;mousedown Edit1 1 4,4;mouseup Edit1 1 4,4");
}

/// A drop-down window: a pop-up of its parent control, at screen coordinates.
class TDropDown : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  std::vector<std::string> Log;

 protected:
  void CreateParams(TCreateParams& params) override {
    TCustomControl::CreateParams(params);
    params.Kind = TWindowKind::Popup;
  }
  void MouseDown(TMouseButton, TShiftState, int x, int y) override {
    Log.push_back("down " + std::to_string(x) + "," + std::to_string(y));
  }
  void MouseMove(TShiftState, int x, int y) override {
    Log.push_back("move " + std::to_string(x) + "," + std::to_string(y));
  }
  void Paint() override {
    GetCanvas()->GetBrush()->SetColor(clInfoBk);
    GetCanvas()->FillRect(GetClientRect());
  }
};

TEST_F(ControlsTest, PopupWindowsAndMouseCaptureInCode) {
  ShowForm();
  auto* list = new TDropDown(Edit1);
  list->SetName("List");
  list->SetVisible(false);
  list->SetParent(Edit1);
  TPoint below = Edit1->ClientToScreen({0, Edit1->GetHeight()});
  list->SetBounds(below.X, below.Y, 100, 60);
  list->SetVisible(true);
  QWidget* w = WidgetOf(list);
  EXPECT_TRUE(w->isWindow());
  EXPECT_TRUE(w->isVisible());
  EXPECT_TRUE(w->windowFlags() & Qt::WindowDoesNotAcceptFocus);
  EXPECT_EQ(w->geometry(), QRect(110, 81, 100, 60));
  EXPECT_EQ(list->ClientToScreen({1, 1}), (TPoint{111, 82}));
  EXPECT_EQ(Grab(list).pixelColor(5, 5), QColor(255, 255, 225));
  // A click into the pop-up leaves the focus and the activation where they are.
  Trace.Clear();
  ClickAt(list, Qt::LeftButton, QPoint(4, 5));
  EXPECT_EQ(list->Log, std::vector<std::string>{"down 4,5"});
  EXPECT_TRUE(Edit1->Focused());
  EXPECT_EQ(Trace.Str(), "cancelmode Edit1 by List");
  // The capture taken in code brings moves over other windows, in the capturing control's
  // coordinates, until it is given back.
  list->Log.clear();
  list->SetMouseCapture(true);
  QTest::mouseMove(WidgetOf(Edit2), QPoint(2, 3));
  EXPECT_EQ(list->Log, std::vector<std::string>{"move 7,17"});  // (117, 98) on the screen
  list->SetMouseCapture(false);
  list->Log.clear();
  QTest::mouseMove(WidgetOf(Edit2), QPoint(4, 3));
  EXPECT_TRUE(list->Log.empty());
  delete Edit1;  // its pop-up goes with it
  EXPECT_EQ(Form->FindComponent("List"), nullptr);
}

/// A graphic control that reports its clicks and paints a red square.
class TMark : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;
  void Paint() override {
    GetCanvas()->GetBrush()->SetColor(clRed);
    GetCanvas()->FillRect({0, 0, GetWidth(), GetHeight()});
  }
};

TEST_F(ControlsTest, GraphicControlsPaintAndClickThroughTheirParent) {
  auto* mark = new TMark(Form);
  mark->SetName("Mark");
  mark->SetBounds(250, 10, 20, 20);
  mark->SetParent(Form);
  mark->SetOnClick(Method<&TTrace::Click>(&Trace));
  ShowForm();
  QImage image = Grab(Form);
  EXPECT_EQ(image.pixelColor(255, 15), QColor(255, 0, 0));
  EXPECT_EQ(image.pixelColor(245, 15), QColor(240, 240, 240));  // the form's clBtnFace
  ClickAt(mark);
  EXPECT_EQ(Trace.Str(), "cancelmode Edit1 by Mark;click Mark");
  mark->SetVisible(false);
  ProcessEvents();
  EXPECT_EQ(Grab(Form).pixelColor(255, 15), QColor(240, 240, 240));
}

TEST_F(ControlsTest, ExceptionsOfHandlersReachTheApplicationHandler) {
  ShowForm();
  struct TSink : TObject {
    int Kind = 0;
    void Click(TObject*) {
      if (Kind == 0) throw EDatabaseError("Post failed");
      Abort();
    }
    std::string Handled;
    void OnException(TObject* sender, const std::exception& e) { Handled = NameOf(sender) + ": " + e.what(); }
  } sink;
  Button1->SetOnClick(Method<&TSink::Click>(&sink));
  ClickAt(Button1);
  EXPECT_EQ(Messages.Log, std::vector<std::string>{"dialog: Post failed"});
  sink.Kind = 1;  // the silent exception says nothing
  ClickAt(Button1);
  EXPECT_EQ(Messages.Log.size(), 1u);
  sink.Kind = 0;
  Application->SetOnException(Method<&TSink::OnException>(&sink));
  ClickAt(Button1);
  EXPECT_EQ(sink.Handled, "Button1: Post failed");
  EXPECT_EQ(Messages.Log.size(), 1u);
  // The same for a posted message whose handler raises.
  sink.Handled.clear();
  Button1->SetOnKeyDown(nullptr);
  struct TKeySink : TObject {
    void Down(TObject*, std::uint16_t&, TShiftState) { throw EConvertError("bad key"); }
  } keys;
  Edit1->SetOnKeyDown(Method<&TKeySink::Down>(&keys));
  PostMessage(Edit1, WM_KEYDOWN, 'Q', 0);
  ProcessEvents();
  EXPECT_EQ(sink.Handled, "Edit1: bad key");
}

}  // namespace

namespace {

// The control logic needs no display: with the default widget set, handles are numbers,
// posted messages wait in a queue of its own and the focus moves as with Qt.
TEST(NullWidgetSetTest, ControlsWorkWithoutNativeWindows) {
  TWidgetSet* qt = SetWidgetSet(nullptr);
  {
    TTrace trace;
    TForm form(nullptr);
    form.SetName("F");
    auto* a = new TEdit(&form);
    a->SetName("A");
    a->SetParent(&form);
    auto* b = new TEdit(&form);
    b->SetName("B");
    b->SetParent(&form);
    b->SetOnEnter(Method<&TTrace::Enter>(&trace));
    form.Show();
    EXPECT_NE(a->GetHandle(), 0u);
    EXPECT_EQ(FindControl(a->GetHandle()), a);
    EXPECT_TRUE(a->Focused());
    PostMessage(a, WM_CHAR, 'x', 0);
    PostMessage(a, WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(a->GetText(), "");
    WidgetSet()->ProcessMessages();
    EXPECT_EQ(a->GetText(), "x");
    EXPECT_TRUE(b->Focused());
    EXPECT_EQ(trace.Str(), "enter B");
    EXPECT_EQ(form.GetWindowCanvas()->TextWidth("000"), 21);
  }
  SetWidgetSet(qt);
}

}  // namespace
