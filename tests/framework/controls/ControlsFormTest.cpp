// The standard controls in a form read from its form file: every control with its
// published properties (written back the same), the label's accelerator focusing its
// FocusControl, a label with a hand cursor and OnClick, the buttons' ModalResult and
// accelerators, the page control changed by clicks and keys with OnChanging and OnChange,
// the panel's client area, the scroll bar, and where an image draws its picture.
#include <QTest>
#include <QWidget>

#include "framework/controls/ComCtrls.h"
#include "framework/controls/ControlsRegister.h"
#include "framework/controls/ExtCtrls.h"
#include "framework/controls/Mask.h"
#include "framework/controls/StdCtrls.h"
#include "framework/stream/Classes.h"
#include "framework/stream/FormReader.h"
#include "framework/stream/FormWriter.h"
#include "framework/ui/Forms.h"
#include "tests/support/UiTestSupport.h"

using namespace fw;
using namespace uitest;

namespace {

/// The form class of kControlsForm: its handlers write into Log.
class TControlsForm : public TForm {
  FW_CLASS(TControlsForm)
 public:
  explicit TControlsForm(TComponent* owner) : TForm(owner) {}
  void LinkClick(TObject* sender) { Log.push_back("link " + NameOf(sender)); }
  void OkClick(TObject*) { Log.push_back("ok " + std::to_string(GetModalResult())); }
  void PagesChanging(TObject* sender, bool& allow) {
    auto* pages = static_cast<TPageControl*>(sender);
    Log.push_back("changing from " + NameOf(pages->GetActivePage()));
    allow = !RefuseChange;
  }
  void PagesChange(TObject* sender) {
    Log.push_back("change to " + NameOf(static_cast<TPageControl*>(sender)->GetActivePage()));
  }
  template <class T>
  T* Get(const char* name) const {
    return dynamic_cast<T*>(FindComponent(name));
  }
  std::vector<std::string> Log;
  bool RefuseChange = false;
};

const TClassInfo& TControlsForm::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TControlsForm>("TControlsForm", &TForm::StaticClass())
                                      .Method<&TControlsForm::LinkClick>("LinkClick")
                                      .Method<&TControlsForm::OkClick>("OkClick")
                                      .Method<&TControlsForm::PagesChanging>("PagesChanging")
                                      .Method<&TControlsForm::PagesChange>("PagesChange")
                                      .Build();
  return info;
}

const char* kControlsForm = R"(object ControlsForm: TControlsForm
  Left = 60
  Top = 40
  Caption = 'Standard controls'
  ClientHeight = 320
  ClientWidth = 440
  Color = clBtnFace
  object NameLabel: TLabel
    Left = 8
    Top = 12
    Width = 40
    Height = 13
    Caption = '&Name:'
    FocusControl = NameEdit
  end
  object Link: TLabel
    Left = 8
    Top = 40
    Width = 100
    Height = 13
    Cursor = crHandPoint
    Caption = 'www.example.org'
    Font.Color = clBlue
    Font.Height = -11
    Font.Name = 'DejaVu Sans'
    Font.Style = [fsUnderline]
    ParentFont = False
    OnClick = LinkClick
  end
  object NameEdit: TEdit
    Left = 80
    Top = 8
    Width = 121
    Height = 21
    TabOrder = 0
    Text = 'Kiev'
  end
  object Phone: TMaskEdit
    Left = 80
    Top = 60
    Width = 121
    Height = 21
    EditMask = '!(999) 000-0000;0;_'
    TabOrder = 1
    Text = '5551234567'
  end
  object Notes: TMemo
    Left = 8
    Top = 90
    Width = 193
    Height = 60
    Lines.Strings = (
      'first line'
      'second line')
    ScrollBars = ssVertical
    TabOrder = 2
  end
  object OkButton: TButton
    Left = 352
    Top = 8
    Width = 75
    Height = 25
    Caption = '&OK'
    Default = True
    ModalResult = 1
    TabOrder = 3
    OnClick = OkClick
  end
  object Pages: TPageControl
    Left = 216
    Top = 40
    Width = 216
    Height = 120
    ActivePage = Sheet2
    TabOrder = 4
    OnChange = PagesChange
    OnChanging = PagesChanging
    object Sheet1: TTabSheet
      Caption = 'First'
      object Edit1: TEdit
        Left = 8
        Top = 8
        Width = 100
        Height = 21
        TabOrder = 0
      end
    end
    object Sheet2: TTabSheet
      Caption = 'Second'
      object Edit2: TEdit
        Left = 8
        Top = 8
        Width = 100
        Height = 21
        TabOrder = 0
      end
    end
    object Sheet3: TTabSheet
      Caption = 'Hidden'
      TabVisible = False
    end
  end
  object Bar: TScrollBar
    Left = 8
    Top = 160
    Width = 193
    Height = 16
    LargeChange = 10
    Max = 50
    Position = 5
    TabOrder = 5
  end
  object Panel1: TPanel
    Left = 0
    Top = 279
    Width = 440
    Height = 41
    Align = alBottom
    BevelInner = bvLowered
    Caption = 'Panel caption'
    TabOrder = 6
    object Inner: TPanel
      Left = 300
      Top = 0
      Width = 100
      Height = 41
      Align = alRight
      BevelOuter = bvNone
      TabOrder = 0
    end
  end
  object Bevel1: TBevel
    Left = 216
    Top = 170
    Width = 216
    Height = 4
    Shape = bsTopLine
  end
  object Picture: TImage
    Left = 216
    Top = 180
    Width = 64
    Height = 64
    Center = True
    Proportional = True
  end
end
)";

class ControlsFormTest : public TUiTest {
 protected:
  void SetUp() override {
    TUiTest::SetUp();
    RegisterControlsClasses();
    RegisterClass(TControlsForm::StaticClass());
    Form = new TControlsForm(nullptr);
    ReadComponentInto(kControlsForm, Form);
  }
  void ShowForm() {
    Form->Show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(WidgetOf(Form)));
  }
  TControlsForm* Form = nullptr;
};

TEST_F(ControlsFormTest, EveryControlFromItsFormFileAndBack) {
  auto* label = Form->Get<TLabel>("NameLabel");
  EXPECT_EQ(label->GetFocusControl(), Form->Get<TEdit>("NameEdit"));
  // AutoSize: the label measures its caption without the "&" (DejaVu Sans 8 pt).
  EXPECT_EQ(label->GetWidth(), label->GetCanvas()->TextWidth("Name:"));
  EXPECT_EQ(label->GetHeight(), 13);
  EXPECT_EQ(Form->Get<TLabel>("Link")->GetCursor(), crHandPoint);
  EXPECT_EQ(Form->Get<TMaskEdit>("Phone")->GetEditText(), "(555) 123-4567");
  EXPECT_EQ(Form->Get<TMaskEdit>("Phone")->GetText(), "5551234567");
  EXPECT_EQ(Form->Get<TMemo>("Notes")->GetText(), "first line\r\nsecond line");
  EXPECT_EQ(Form->Get<TMemo>("Notes")->GetScrollBars(), ssVertical);
  auto* pages = Form->Get<TPageControl>("Pages");
  ASSERT_EQ(pages->GetPageCount(), 3);
  EXPECT_EQ(pages->GetActivePage(), Form->Get<TTabSheet>("Sheet2"));
  EXPECT_EQ(pages->GetActivePageIndex(), 1);
  EXPECT_FALSE(Form->Get<TTabSheet>("Sheet1")->GetVisible());
  EXPECT_TRUE(Form->Get<TTabSheet>("Sheet2")->GetVisible());
  EXPECT_EQ(Form->Get<TTabSheet>("Sheet3")->GetTabIndex(), -1);
  EXPECT_EQ(Form->Get<TTabSheet>("Sheet2")->GetTabIndex(), 1);
  EXPECT_EQ(Form->Get<TEdit>("Edit2")->GetParent(), Form->Get<TTabSheet>("Sheet2"));
  EXPECT_EQ(Form->Get<TTabSheet>("Sheet1")->GetBoundsRect(), pages->DisplayRect());
  EXPECT_EQ(Form->Get<TScrollBar>("Bar")->GetPosition(), 5);
  // Aligned children of a panel keep its bevels free: outer and inner bevel, one pixel each.
  EXPECT_EQ(Form->Get<TPanel>("Inner")->GetBoundsRect(), (TRect{440 - 2 - 100, 2, 440 - 2, 41 - 2}));
  EXPECT_EQ(Form->Get<TBevel>("Bevel1")->GetShape(), bsTopLine);
  EXPECT_TRUE(Form->Get<TImage>("Picture")->GetProportional());

  // Written back and read again, the form file is the same.
  std::string written = WriteComponentText(Form);
  auto* again = new TControlsForm(nullptr);
  again->SetName("Again");
  std::string renamed = written;
  renamed.replace(renamed.find("ControlsForm:"), 12, "Again");
  ReadComponentInto(renamed, again);
  std::string rewritten = WriteComponentText(again);
  rewritten.replace(rewritten.find("Again:"), 5, "ControlsForm");
  EXPECT_EQ(rewritten, written);
  EXPECT_NE(written.find("EditMask = '!(999) 000-0000;0;_'"), std::string::npos);
  EXPECT_NE(written.find("ActivePage = Sheet2"), std::string::npos);
  EXPECT_NE(written.find("TabVisible = False"), std::string::npos);
}

TEST_F(ControlsFormTest, LabelsAcceleratorsAndTheHandCursor) {
  ShowForm();
  auto* name = Form->Get<TEdit>("NameEdit");
  Form->Get<TMemo>("Notes")->SetFocus();
  // Alt+N: the label's accelerator focuses its FocusControl.
  TypeKey(Form->Get<TMemo>("Notes"), Qt::Key_N, Qt::AltModifier);
  EXPECT_TRUE(name->Focused());
  EXPECT_EQ(name->GetText(), "Kiev");  // the key typed nothing
  // Alt+O: the button's accelerator clicks it.
  TypeKey(name, Qt::Key_O, Qt::AltModifier);
  EXPECT_EQ(Form->Log, std::vector<std::string>{"ok 1"});

  // Over the address label the form's window shows the hand; elsewhere the arrow.
  auto* link = Form->Get<TLabel>("Link");
  QWidget* window = WidgetOf(Form);
  QTest::mouseMove(window, QPoint(link->GetLeft() + 5, link->GetTop() + 5));
  EXPECT_EQ(window->cursor().shape(), Qt::PointingHandCursor);
  QTest::mouseMove(window, QPoint(link->GetLeft() + 5, link->GetTop() + 30));
  EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);
  ClickAt(link);
  EXPECT_EQ(Form->Log.back(), "link Link");
  EXPECT_TRUE(name->Focused());  // a label takes no focus
}

TEST_F(ControlsFormTest, ButtonModalResultClosesTheModalFormAfterTheClick) {
  auto* ok = Form->Get<TButton>("OkButton");
  Later([&] { ClickAt(ok); });
  EXPECT_EQ(Form->ShowModal(), mrOk);
  EXPECT_EQ(Form->Log, std::vector<std::string>{"ok 1"});  // the handler saw the result set
  EXPECT_FALSE(Form->GetVisible());
  // Enter clicks the default button when the focus is on an edit.
  Form->SetModalResult(mrNone);
  Later([&] { TypeKey(Form->Get<TEdit>("NameEdit"), Qt::Key_Return); });
  EXPECT_EQ(Form->ShowModal(), mrOk);
}

TEST_F(ControlsFormTest, PageControlChangedByClicksAndKeys) {
  ShowForm();
  auto* pages = Form->Get<TPageControl>("Pages");
  auto* sheet1 = Form->Get<TTabSheet>("Sheet1");
  auto* sheet2 = Form->Get<TTabSheet>("Sheet2");
  auto* sheet3 = Form->Get<TTabSheet>("Sheet3");
  // A click on the first tab: OnChanging sees the old page, OnChange the new one.
  TRect tab1 = pages->TabRect(sheet1);
  ClickAt(pages, Qt::LeftButton, QPoint(CenterPoint(tab1).X, CenterPoint(tab1).Y));
  EXPECT_EQ(Form->Log, (std::vector<std::string>{"changing from Sheet2", "change to Sheet1"}));
  EXPECT_EQ(pages->GetActivePage(), sheet1);
  EXPECT_TRUE(sheet1->GetVisible());
  EXPECT_FALSE(sheet2->GetVisible());
  EXPECT_TRUE(pages->Focused());
  EXPECT_TRUE(WidgetOf(Form->Get<TEdit>("Edit1"))->isVisible());
  EXPECT_FALSE(WidgetOf(Form->Get<TEdit>("Edit2"))->isVisible());
  // OnChanging may refuse.
  Form->Log.clear();
  Form->RefuseChange = true;
  TRect tab2 = pages->TabRect(sheet2);
  ClickAt(pages, Qt::LeftButton, QPoint(CenterPoint(tab2).X, CenterPoint(tab2).Y));
  EXPECT_EQ(Form->Log, std::vector<std::string>{"changing from Sheet1"});
  EXPECT_EQ(pages->GetActivePage(), sheet1);
  Form->RefuseChange = false;
  // The arrow keys on the focused page control; the page without a tab is skipped.
  Form->Log.clear();
  TypeKey(pages, Qt::Key_Right);
  EXPECT_EQ(pages->GetActivePage(), sheet2);
  TypeKey(pages, Qt::Key_Right);
  EXPECT_EQ(pages->GetActivePage(), sheet1);
  EXPECT_EQ(Form->Log.size(), 4u);
  // Ctrl+Tab from a control on a page: the next page, the focus on its first control.
  Form->Get<TEdit>("Edit1")->SetFocus();
  TypeKey(Form->Get<TEdit>("Edit1"), Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(pages->GetActivePage(), sheet2);
  EXPECT_TRUE(Form->Get<TEdit>("Edit2")->Focused());
  // Ctrl+Tab outside the page control belongs to nobody.
  Form->Get<TEdit>("NameEdit")->SetFocus();
  TypeKey(Form->Get<TEdit>("NameEdit"), Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(pages->GetActivePage(), sheet2);
  // Set by code: no events; a page without a tab can be shown this way.
  Form->Log.clear();
  pages->SetActivePage(sheet3);
  EXPECT_TRUE(sheet3->GetVisible());
  pages->SetActivePageIndex(0);
  EXPECT_EQ(pages->GetActivePage(), sheet1);
  EXPECT_TRUE(Form->Log.empty());
  // A page freed leaves the control; the next page becomes active.
  delete sheet1;
  EXPECT_EQ(pages->GetPageCount(), 2);
  EXPECT_EQ(pages->GetActivePage(), sheet2);
  sheet3->SetPageIndex(0);
  EXPECT_EQ(pages->GetPage(0), sheet3);
  sheet3->SetPageControl(nullptr);
  EXPECT_EQ(pages->GetPageCount(), 1);
  delete sheet3;
}

TEST_F(ControlsFormTest, ScrollBarByMouseAndKeys) {
  ShowForm();
  auto* bar = Form->Get<TScrollBar>("Bar");
  struct TLog : TObject {
    std::vector<std::string> Items;
    void Scroll(TObject*, TScrollCode code, int& pos) {
      Items.push_back(EnumName(code) + " " + std::to_string(pos));
      if (pos > 40) pos = 40;  // a handler may hold the position back
    }
    void Change(TObject* sender) { Items.push_back("change " + std::to_string(static_cast<TScrollBar*>(sender)->GetPosition())); }
  } log;
  bar->SetOnScroll(Method<&TLog::Scroll>(&log));
  bar->SetOnChange(Method<&TLog::Change>(&log));
  ClickAt(bar, Qt::LeftButton, QPoint(193 - 8, 8));  // the right arrow
  ClickAt(bar, Qt::LeftButton, QPoint(8, 8));        // the left arrow
  EXPECT_EQ(log.Items, (std::vector<std::string>{"scLineDown 6", "change 6", "scEndScroll 6", "scLineUp 5", "change 5",
                                                 "scEndScroll 5"}));
  log.Items.clear();
  EXPECT_TRUE(bar->Focused());
  TypeKey(bar, Qt::Key_PageDown);
  TypeKey(bar, Qt::Key_End);
  EXPECT_EQ(log.Items, (std::vector<std::string>{"scPageDown 15", "change 15", "scBottom 50", "change 40"}));
  EXPECT_EQ(bar->GetPosition(), 40);
  bar->SetPosition(100);  // kept inside the range
  EXPECT_EQ(bar->GetPosition(), 50);
  // Dragging the thumb to the start.
  log.Items.clear();
  TRect thumb = ScrollBarThumb(bar->GetClientRect(), false, {0, 50, 0, 50});
  QTest::mousePress(WidgetOf(bar), Qt::LeftButton, Qt::NoModifier, QPoint(thumb.Left + 2, 8));
  QTest::mouseMove(WidgetOf(bar), QPoint(2, 8));
  QTest::mouseRelease(WidgetOf(bar), Qt::LeftButton, Qt::NoModifier, QPoint(2, 8));
  EXPECT_EQ(bar->GetPosition(), 0);
  EXPECT_EQ(log.Items.front(), "scTrack 0");
  EXPECT_EQ(log.Items.back(), "scEndScroll 0");
}

TEST_F(ControlsFormTest, AnImagesPictureInTheFormFile) {
  TBitmap bitmap;
  bitmap.SetSize(4, 3);
  bitmap.GetCanvas()->GetBrush()->SetColor(clTeal);
  bitmap.GetCanvas()->FillRect({0, 0, 4, 3});
  Form->Get<TImage>("Picture")->GetPicture()->Assign(&bitmap);
  std::string written = WriteComponentText(Form);
  EXPECT_NE(written.find("    Picture.Data = {"), std::string::npos);
  EXPECT_NE(written.find("07544269746D6170"), std::string::npos);  // "TBitmap" with its length
  delete Form;
  Form = new TControlsForm(nullptr);
  ReadComponentInto(written, Form);
  TPicture* picture = Form->Get<TImage>("Picture")->GetPicture();
  EXPECT_EQ(picture->GetWidth(), 4);
  EXPECT_EQ(picture->GetHeight(), 3);
  EXPECT_EQ(picture->GetBitmap()->GetCanvas()->GetPixel(2, 1), clTeal);
  EXPECT_EQ(WriteComponentText(Form), written);
}

TEST(ImagePlacementTest, WhereThePictureGoes) {
  // picture w x h in a 100 x 50 control | stretch center proportional | rectangle
  struct Case {
    int W, H;
    bool Stretch, Center, Proportional;
    TRect Expected;
  } cases[] = {
      {40, 20, false, false, false, {0, 0, 40, 20}},
      {40, 20, false, true, false, {30, 15, 70, 35}},
      {40, 20, true, false, false, {0, 0, 100, 50}},
      {40, 20, true, false, true, {0, 0, 100, 50}},      // the same shape as the control
      {40, 40, true, true, true, {25, 0, 75, 50}},       // scaled up keeping its shape
      {200, 50, false, false, true, {0, 0, 100, 25}},    // too large: scaled down
      {200, 50, false, true, true, {0, 12, 100, 37}},
      {20, 10, false, false, true, {0, 0, 20, 10}},      // small enough: its own size
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.W) + "x" + std::to_string(c.H));
    EXPECT_EQ(PictureRect(c.W, c.H, {0, 0, 100, 50}, c.Stretch, c.Center, c.Proportional), c.Expected);
  }
}

}  // namespace
