// The example form as a person uses it, offscreen: read through the form reader into its
// class, shown in a real window, typed into, tabbed through, its popup menu and shortcuts
// used, answered as a modal dialog; and screenshots at device pixel ratio 1 and 2.
#include <QImage>
#include <QMenu>
#include <QTest>

#include <filesystem>
#include <iostream>

#include "examples/ExampleForm.h"
#include "framework/controls/StdCtrls.h"
#include "framework/ui/Menus.h"
#include "framework/ui/qt/QtWidgetSet.h"
#include "tests/support/UiTestSupport.h"

using namespace fw;
using namespace uitest;

namespace {

class ExampleFormTest : public TUiTest {
 protected:
  void SetUp() override {
    TUiTest::SetUp();
    Form = new examples::TExampleForm(nullptr);
    Form->LoadForm();
  }
  /// The focused control's name after a key.
  std::string After(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    TypeKey(FindFocusedControl(), key, mods);
    return FindFocusedControl()->GetName();
  }
  examples::TExampleForm* Form = nullptr;
};

TEST_F(ExampleFormTest, ShownTypedIntoTabbedThroughAndItsMenuUsed) {
  EXPECT_EQ(Form->Log, std::vector<std::string>{"create"});
  EXPECT_EQ(Form->GetCaption(), "Qor window layer");
  Form->Show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(WidgetOf(Form)));
  EXPECT_EQ(Form->GetLeft(), (Screen->GetWidth() - 328) / 2);
  EXPECT_TRUE(Form->CodeEdit()->Focused());
  // Tab order from the file, around and back.
  std::string order;
  for (int i = 0; i < 5; ++i) order += After(Qt::Key_Tab) + ",";
  EXPECT_EQ(order, "NameEdit,OkButton,CancelButton,AskButton,CodeEdit,");
  EXPECT_EQ(After(Qt::Key_Tab, Qt::ShiftModifier), "AskButton");
  // Typing: the name's handler capitalises its first letter.
  Form->NameEdit()->SetFocus();
  TypeText(Form->NameEdit(), "odessa");
  EXPECT_EQ(Form->NameEdit()->GetText(), "Odessa");
  // The shortcut acts on the focused edit: the root item's click finds it first.
  TypeKey(Form->NameEdit(), Qt::Key_U, Qt::ControlModifier);
  EXPECT_EQ(Form->NameEdit()->GetText(), "ODESSA");
  EXPECT_EQ(Form->CodeEdit()->GetText(), "Kiev");
  // The popup menu on the other edit, chosen with the mouse and the keyboard.
  Later([&] {
    auto* menu = qobject_cast<QMenu*>(ActiveModalOrPopup());
    ASSERT_NE(menu, nullptr);
    menu->setActiveAction(menu->actions().last());  // "C&lear"
    QTest::keyClick(menu, Qt::Key_Return);
  });
  ClickAt(Form->CodeEdit(), Qt::RightButton);
  EXPECT_EQ(Form->CodeEdit()->GetText(), "");
  EXPECT_EQ(Form->Log, (std::vector<std::string>{"create", "popup NameEdit", "upper", "popup CodeEdit", "clear"}));
  // "Clear" is disabled for an empty edit, so its shortcut types on.
  Form->CodeEdit()->SetFocus();
  TypeKey(Form->CodeEdit(), Qt::Key_L, Qt::ControlModifier);
  EXPECT_EQ(Form->Log.back(), "popup CodeEdit");
  // The asking button goes through the message service.
  Messages.Answers = {idNo, idYes};
  ClickAt(static_cast<TControl*>(Form->FindComponent("AskButton")));
  EXPECT_EQ(Form->NameEdit()->GetText(), "ODESSA");
  ClickAt(static_cast<TControl*>(Form->FindComponent("AskButton")));
  EXPECT_EQ(Form->NameEdit()->GetText(), "");
  EXPECT_EQ(Messages.Log, (std::vector<std::string>{"confirm: Clear both fields?", "confirm: Clear both fields?"}));
}

TEST_F(ExampleFormTest, AnsweredAsAModalDialog) {
  Later([&] {
    TypeText(Form->CodeEdit(), "12");
    TypeKey(Form->CodeEdit(), Qt::Key_Tab);
    TypeText(Form->NameEdit(), "lviv");
    TypeKey(Form->NameEdit(), Qt::Key_Return);  // the default button
  });
  EXPECT_EQ(Form->ShowModal(), mrOk);
  EXPECT_EQ(Form->Log.back(), "ok 12 Lviv result 1");
  EXPECT_FALSE(Form->GetVisible());
  Later([&] { TypeKey(Form->CodeEdit(), Qt::Key_Escape); });  // the cancel button
  EXPECT_EQ(Form->ShowModal(), mrCancel);
}

/// Dark pixels (text, frames) inside a rectangle of the image.
int DarkPixels(const QImage& image, QRect r) {
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (qGray(image.pixel(x, y)) < 100) ++n;
  return n;
}

TEST_F(ExampleFormTest, ScreenshotsAtDevicePixelRatioOneAndTwo) {
  Form->Show();
  Form->NameEdit()->SetText("Odessa");
  ProcessEvents();
  std::string dir = QOR_BINARY_DIR;
  std::string plain = dir + "/example-form.png", hidpi = dir + "/example-form@2x.png";
  ASSERT_TRUE(qt::SaveWindowImage(Form, 1, plain));
  ASSERT_TRUE(qt::SaveWindowImage(Form, 2, hidpi));
  std::cout << "screenshots: " << plain << " " << hidpi << "\n";
  QImage one(QString::fromStdString(plain)), two(QString::fromStdString(hidpi));
  ASSERT_EQ(one.size(), QSize(328, 146));
  ASSERT_EQ(two.size(), QSize(656, 292));
  for (double ratio : {1.0, 2.0}) {
    const QImage& image = ratio == 1 ? one : two;
    auto at = [&](int x, int y) { return image.pixelColor(static_cast<int>(x * ratio), static_cast<int>(y * ratio)); };
    EXPECT_EQ(at(200, 80), QColor(240, 240, 240)) << ratio;  // the form's face
    EXPECT_EQ(at(100, 20), QColor(255, 255, 255)) << ratio;  // inside the code edit
    EXPECT_EQ(at(12, 16), QColor(160, 160, 160)) << ratio;   // the edit's sunken frame
    EXPECT_EQ(at(240, 30), QColor(240, 240, 240)) << ratio;  // a button's face
    auto scaled = [&](QRect r) {
      return QRect(static_cast<int>(r.x() * ratio), static_cast<int>(r.y() * ratio),
                   static_cast<int>(r.width() * ratio), static_cast<int>(r.height() * ratio));
    };
    // Text in the edits and on the buttons, and none where there is none.
    EXPECT_GT(DarkPixels(image, scaled(QRect(15, 18, 60, 16))), 10) << "Kiev " << ratio;
    EXPECT_GT(DarkPixels(image, scaled(QRect(15, 50, 60, 16))), 10) << "Odessa " << ratio;
    EXPECT_GT(DarkPixels(image, scaled(QRect(255, 18, 40, 16))), 5) << "OK " << ratio;
    EXPECT_EQ(DarkPixels(image, scaled(QRect(100, 20, 55, 14))), 0) << ratio;
  }
  // At twice the pixels, the text has about four times as many dark pixels: drawn anew at
  // the higher resolution, not scaled up from the plain one.
  int d1 = DarkPixels(one, QRect(15, 18, 60, 16)), d2 = DarkPixels(two, QRect(30, 36, 120, 32));
  EXPECT_GT(d2, 3 * d1);
  EXPECT_LT(d2, 5 * d1);
}

}  // namespace
