// Menus: shortcut codes and texts, the item tree, shortcuts of the focused control's popup
// menu (and its parents') routed before the form's keys with the root item's click first,
// pop-up menus on right click and on the context-menu key shown through QMenu, and menus
// in form files.
#include <QAction>
#include <QMenu>
#include <QTest>

#include "framework/controls/ControlsRegister.h"
#include "framework/controls/StdCtrls.h"
#include "framework/stream/FormReader.h"
#include "framework/stream/FormWriter.h"
#include "framework/ui/Forms.h"
#include "framework/ui/Menus.h"
#include "tests/support/ExpectError.h"
#include "tests/support/UiTestSupport.h"

using namespace fw;
using namespace uitest;

namespace {

TEST(ShortCutTest, CodesAndTexts) {
  struct Case {
    std::uint16_t Key;
    TShiftState Shift;
    TShortCut Code;
    const char* Text;
  } cases[] = {
      {'S', {ssCtrl}, 16467, "Ctrl+S"},
      {VK_ADD, {ssCtrl}, 16491, "Ctrl+Num +"},
      {VK_SUBTRACT, {ssCtrl}, 16493, "Ctrl+Num -"},
      {VK_HOME, {ssCtrl}, 16420, "Ctrl+Home"},
      {VK_PRIOR, {ssCtrl}, 16417, "Ctrl+PgUp"},
      {VK_NEXT, {ssCtrl}, 16418, "Ctrl+PgDn"},
      {VK_END, {ssCtrl}, 16419, "Ctrl+End"},
      {VK_F5, {}, 116, "F5"},
      {'A', {ssShift}, 0x2041, "Shift+A"},
      {VK_F1, {ssShift, ssCtrl, ssAlt}, 0xE070, "Shift+Ctrl+Alt+F1"},
      {VK_DELETE, {ssAlt}, 0x802E, "Alt+Del"},
      {'7', {ssCtrl}, 0x4037, "Ctrl+7"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShortCut(c.Key, c.Shift), c.Code) << c.Text;
    EXPECT_EQ(ShortCutToText(c.Code), c.Text);
    EXPECT_EQ(TextToShortCut(c.Text), c.Code);
    std::uint16_t key;
    TShiftState shift;
    ShortCutToKey(c.Code, key, shift);
    EXPECT_EQ(key, c.Key);
    EXPECT_EQ(shift, c.Shift);
  }
  EXPECT_EQ(ShortCutToText(0), "");
  EXPECT_EQ(TextToShortCut("Ctrl+Nothing"), 0);
  EXPECT_EQ(StripHotkey("&Save && close"), "Save & close");
}

TEST(MenuItemTest, TheItemTree) {
  TPopupMenu menu(nullptr);
  TMenuItem* root = menu.GetItems();
  auto* a = new TMenuItem(nullptr);
  a->SetCaption("&Insert");
  auto* b = new TMenuItem(nullptr);
  b->SetCaption("-");
  auto* c = new TMenuItem(nullptr);
  c->SetCaption("De&lete");
  root->Add(a);
  root->Add(c);
  root->Insert(1, b);
  EXPECT_EQ(root->GetCount(), 3);
  EXPECT_EQ(root->IndexOf(b), 1);
  EXPECT_TRUE(b->IsLine());
  EXPECT_EQ(c->GetParent(), root);
  EXPECT_EQ(c->GetMenu(), &menu);
  EXPECT_EQ(root->Find("delete"), c);
  EXPECT_EQ(root->Find("Clone"), nullptr);
  c->SetMenuIndex(0);
  EXPECT_EQ(root->GetItem(0), c);
  EXPECT_EQ(a->GetMenuIndex(), 1);
  root->Remove(b);  // taken out, not freed
  EXPECT_EQ(b->GetParent(), nullptr);
  EXPECT_EQ(root->GetCount(), 2);
  a->Add(b);
  EXPECT_EQ(b->GetMenu(), &menu);
  ExpectError<EMenuError>([&] { b->Add(a); }, "Menu inserted twice");
  ExpectError<EListError>([&] { root->GetItem(5); }, "List index out of bounds (5)");
  delete c;  // a freed item leaves its parent
  EXPECT_EQ(root->GetCount(), 1);
  auto* r1 = new TMenuItem(nullptr);
  auto* r2 = new TMenuItem(nullptr);
  for (TMenuItem* r : {r1, r2}) {
    r->SetRadioItem(true);
    r->SetGroupIndex(3);
    root->Add(r);
  }
  r1->SetChecked(true);
  r2->SetChecked(true);
  EXPECT_FALSE(r1->GetChecked());
  root->Clear();
  EXPECT_EQ(root->GetCount(), 0);
}

/// Form1: Edit1 with Menu1 (Save Ctrl+S, Post Ctrl+P, Hidden Ctrl+H invisible, a
/// separator and a sub-menu with Deep Ctrl+D), Panel with Menu2 (Refresh F5) holding Edit2.
class MenusTest : public TUiTest, public TObject {
 protected:
  void SetUp() override {
    TUiTest::SetUp();
    Form = new TForm(nullptr);
    Form->SetName("Form1");
    Form->SetBounds(20, 20, 300, 200);
    Edit1 = AddEdit("Edit1", Form, 10);
    Panel = new TWinControl(Form);
    Panel->SetName("Panel");
    Panel->SetBounds(10, 60, 200, 100);
    Panel->SetParent(Form);
    Edit2 = AddEdit("Edit2", Panel, 10);
    Menu1 = new TPopupMenu(Form);
    Menu1->SetName("Menu1");
    Menu1->GetItems()->SetName("Root1");
    Menu1->GetItems()->SetOnClick(Method<&MenusTest::RootClick>(this));
    Menu1->SetOnPopup(Method<&MenusTest::Popup>(this));
    Save = AddItem(Menu1->GetItems(), "Save", "&Save", ShortCut('S', {ssCtrl}));
    Post = AddItem(Menu1->GetItems(), "Post", "&Post", ShortCut('P', {ssCtrl}));
    Hidden = AddItem(Menu1->GetItems(), "Hidden", "Hidden", ShortCut('H', {ssCtrl}));
    Hidden->SetVisible(false);
    AddItem(Menu1->GetItems(), "Line", "-", 0);
    TMenuItem* sub = AddItem(Menu1->GetItems(), "Sub", "Sub", 0);
    Deep = AddItem(sub, "Deep", "Deep", ShortCut('D', {ssCtrl}));
    Menu2 = new TPopupMenu(Form);
    Menu2->SetName("Menu2");
    Menu2->SetOnPopup(Method<&MenusTest::Popup>(this));
    Refresh = AddItem(Menu2->GetItems(), "Refresh", "Refresh", VK_F5);
    Edit1->SetPopupMenu(Menu1);
    Panel->SetPopupMenu(Menu2);
    for (TWinControl* c : {static_cast<TWinControl*>(Edit1), static_cast<TWinControl*>(Edit2)})
      c->SetOnKeyDown(Method<&TTrace::KeyDown>(&Trace));
    Form->SetOnKeyDown(Method<&TTrace::KeyDown>(&Trace));
    Form->SetKeyPreview(true);
    Form->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(WidgetOf(Form)));
  }
  TEdit* AddEdit(const char* name, TWinControl* parent, int top) {
    auto* e = new TEdit(Form);
    e->SetName(name);
    e->SetBounds(10, top, 100, 21);
    e->SetParent(parent);
    return e;
  }
  TMenuItem* AddItem(TMenuItem* parent, const char* name, const char* caption, TShortCut sc) {
    auto* i = new TMenuItem(Form);
    i->SetName(name);
    i->SetCaption(caption);
    i->SetShortCut(sc);
    i->SetOnClick(Method<&TTrace::Click>(&Trace));
    parent->Add(i);
    return i;
  }
  void RootClick(TObject* sender) {
    Trace.Add("root " + NameOf(sender));
    if (EnableOnRootClick) Post->SetEnabled(true);
  }
  void Popup(TObject* sender) {
    auto* menu = static_cast<TPopupMenu*>(sender);
    Trace.Add("popup " + NameOf(menu) + " for " + NameOf(menu->GetPopupComponent()));
  }
  /// The texts of the shown menu's entries ("" for separators, "(off)" after disabled ones).
  static std::string Entries(QMenu* menu) {
    std::string out;
    for (QAction* a : menu->actions()) {
      if (!out.empty()) out += "|";
      out += a->isSeparator() ? "" : a->text().toStdString() + (a->isEnabled() ? "" : "(off)");
    }
    return out;
  }

  TTrace Trace;
  bool EnableOnRootClick = false;
  TForm* Form = nullptr;
  TEdit *Edit1 = nullptr, *Edit2 = nullptr;
  TWinControl* Panel = nullptr;
  TPopupMenu *Menu1 = nullptr, *Menu2 = nullptr;
  TMenuItem *Save = nullptr, *Post = nullptr, *Hidden = nullptr, *Deep = nullptr, *Refresh = nullptr;
};

TEST_F(MenusTest, ShortcutsOfTheFocusedControlsMenusComeFirst) {
  struct Case {
    const char* Name;
    TEdit* Focus;
    Qt::Key Key;
    Qt::KeyboardModifiers Mods;
    bool PostEnabled, EnableOnRoot;
    std::string Trace;
  } cases[] = {
      // The root item's click runs first, then the item's; the key goes no further.
      {"item", Edit1, Qt::Key_S, Qt::ControlModifier, true, false, "root Root1;click Save"},
      {"deep item", Edit1, Qt::Key_D, Qt::ControlModifier, true, false, "root Root1;click Sub;click Deep"},
      {"invisible item", Edit1, Qt::Key_H, Qt::ControlModifier, true, false, "root Root1;click Hidden"},
      // A disabled item: the root runs, the key goes on to the form and the control.
      {"disabled item", Edit1, Qt::Key_P, Qt::ControlModifier, false, false,
       "root Root1;down Form1 80;down Edit1 80"},
      // The root's click may enable the item before it is looked at.
      {"enabled by the root", Edit1, Qt::Key_P, Qt::ControlModifier, false, true, "root Root1;click Post"},
      {"no such shortcut", Edit1, Qt::Key_Q, Qt::ControlModifier, true, false, "down Form1 81;down Edit1 81"},
      // The menus of the parents are searched too; the other control's menu is not.
      {"parent's menu", Edit2, Qt::Key_F5, Qt::NoModifier, true, false, "click Refresh"},
      {"other control's menu", Edit2, Qt::Key_S, Qt::ControlModifier, true, false,
       "down Form1 83;down Edit2 83"},
  };
  for (const Case& c : cases) {
    c.Focus->SetFocus();
    Post->SetEnabled(c.PostEnabled);
    EnableOnRootClick = c.EnableOnRoot;
    Trace.Clear();
    TypeKey(c.Focus, c.Key, c.Mods);
    std::string trace = Trace.Str();
    // Modifier key presses are not part of the case.
    for (const char* mod : {"down Form1 17;down Edit1 17;", "down Form1 17;down Edit2 17;"})
      if (trace.rfind(mod, 0) == 0) trace = trace.substr(std::string(mod).size());
    EXPECT_EQ(trace, c.Trace) << c.Name;
  }
}

TEST_F(MenusTest, RightClickAndTheContextMenuKeyShowThePopupMenu) {
  Post->SetEnabled(false);
  Later([&] {
    auto* menu = qobject_cast<QMenu*>(ActiveModalOrPopup());
    ASSERT_NE(menu, nullptr);
    Trace.Add(Entries(menu));
    menu->setActiveAction(menu->actions()[0]);
    QTest::keyClick(menu, Qt::Key_Return);
  });
  ClickAt(Edit1, Qt::RightButton, QPoint(5, 7));
  EXPECT_EQ(Trace.Str(), "popup Menu1 for Edit1;&Save\tCtrl+S|&Post\tCtrl+P(off)||Sub;click Save");
  EXPECT_EQ(Menu1->GetPopupPoint(), (TPoint{20 + 10 + 5, 20 + 10 + 7}));
  // The context-menu key on the focused control; Esc dismisses the menu.
  Trace.Clear();
  Edit1->SetFocus();
  Later([&] { QTest::keyClick(ActiveModalOrPopup(), Qt::Key_Escape); });
  TypeKey(Edit1, Qt::Key_Menu);
  EXPECT_EQ(Trace.Str(), "down Form1 93;down Edit1 93;popup Menu1 for Edit1");
  EXPECT_EQ(Menu1->GetPopupPoint(), (TPoint{30, 30}));
  // A control without a menu of its own shows its parent's, for the parent.
  Trace.Clear();
  Later([&] { QTest::keyClick(ActiveModalOrPopup(), Qt::Key_Escape); });
  ClickAt(Edit2, Qt::RightButton);
  EXPECT_EQ(Trace.Str(), "popup Menu2 for Panel");
  // Without AutoPopup nothing is shown.
  Trace.Clear();
  Menu1->SetAutoPopup(false);
  ClickAt(Edit1, Qt::RightButton);
  EXPECT_EQ(Trace.Str(), "");
  // The menu forgets a freed control.
  delete Edit2;
  Menu1->SetPopupComponent(Edit1);
  delete Edit1;
  EXPECT_EQ(Menu1->GetPopupComponent(), nullptr);
}

TEST_F(MenusTest, MenusInFormFiles) {
  RegisterControlsClasses();
  const char* text =
      "object F: TForm\n"
      "  object E: TEdit\n    PopupMenu = M\n  end\n"
      "  object M: TPopupMenu\n    AutoPopup = False\n"
      "    object A: TMenuItem\n      Caption = '&Add'\n      ShortCut = 16449\n    end\n"
      "    object S: TMenuItem\n      Caption = 'Sort'\n"
      "      object S1: TMenuItem\n        Caption = 'By name'\n        Checked = True\n        RadioItem = True\n      end\n"
      "    end\n  end\nend\n";
  std::unique_ptr<TComponent> root(ReadComponentText(text, nullptr));
  auto* menu = static_cast<TPopupMenu*>(root->FindComponent("M"));
  ASSERT_EQ(menu->GetItems()->GetCount(), 2);
  EXPECT_EQ(menu->GetItems()->GetItem(1)->GetItem(0)->GetName(), "S1");
  EXPECT_EQ(static_cast<TEdit*>(root->FindComponent("E"))->GetPopupMenu(), menu);
  EXPECT_FALSE(menu->GetAutoPopup());
  std::string written = WriteComponentText(root.get());
  EXPECT_NE(written.find("  object M: TPopupMenu\n    AutoPopup = False\n    object A: TMenuItem\n"
                         "      Caption = '&Add'\n      ShortCut = 16449\n    end\n    object S: TMenuItem\n"
                         "      Caption = 'Sort'\n      object S1: TMenuItem\n"),
            std::string::npos)
      << written;
  std::unique_ptr<TComponent> again(ReadComponentText(written, nullptr));
  EXPECT_EQ(WriteComponentText(again.get()), written);
}

}  // namespace
