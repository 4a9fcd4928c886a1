// Forms, the screen and the application: showing and activation with the active-form
// change, positions, modal forms and their results and close actions, forms read from
// form files with their handlers, the message loop, data modules on the screen, and the
// message service's boxes and file dialogs in real Qt windows and through the recorder.
#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <QTest>
#include <QWidget>

#include <filesystem>

#include "framework/controls/ControlsRegister.h"
#include "framework/controls/StdCtrls.h"
#include "framework/core/DataModule.h"
#include "framework/core/Exceptions.h"
#include "framework/stream/Classes.h"
#include "framework/stream/FormReader.h"
#include "framework/ui/Forms.h"
#include "framework/ui/Menus.h"
#include "framework/ui/UiDialogs.h"
#include "tests/support/ExpectError.h"
#include "tests/support/UiTestSupport.h"

using namespace fw;
using namespace uitest;

namespace {

class FormsTest : public TUiTest {
 protected:
  /// A form with one edit and one button, every event traced.
  TForm* MakeForm(const std::string& name, int left = 0) {
    auto* form = new TForm(nullptr);
    form->SetName(name);
    form->SetBounds(left, 10, 200, 120);
    auto* edit = new TEdit(form);
    edit->SetName(name + "Edit");
    edit->SetParent(form);
    auto* button = new TButton(form);
    button->SetName(name + "Button");
    button->SetBounds(10, 60, 75, 25);
    button->SetParent(form);
    form->SetOnActivate(Method<&TTrace::Activate>(&Trace));
    form->SetOnDeactivate(Method<&TTrace::Deactivate>(&Trace));
    form->SetOnShow(Method<&TTrace::Show>(&Trace));
    form->SetOnHide(Method<&TTrace::Hide>(&Trace));
    edit->SetOnEnter(Method<&TTrace::Enter>(&Trace));
    edit->SetOnExit(Method<&TTrace::Exit>(&Trace));
    button->SetOnClick(Method<&TTrace::Click>(&Trace));
    return form;
  }
  void WatchScreen() {
    struct TSink : TObject {
      TTrace* T;
      void Changed(TObject*) { T->Add("activeform " + NameOf(Screen->GetActiveForm())); }
    };
    static TSink sink;
    sink.T = &Trace;
    Screen->SetOnActiveFormChange(Method<&TSink::Changed>(&sink));
  }
  TTrace Trace;
};

TEST_F(FormsTest, ShowingActivatesAndTheScreenFollows) {
  WatchScreen();
  TForm* a = MakeForm("A");
  TForm* b = MakeForm("B", 300);
  EXPECT_EQ(Screen->GetActiveForm(), nullptr);
  a->Show();
  EXPECT_EQ(Trace.Str(), "show A;activate A;enter AEdit;activeform A");
  EXPECT_TRUE(WidgetOf(a)->isVisible());
  EXPECT_EQ(Screen->GetActiveControl(), a->FindComponent("AEdit"));
  Trace.Clear();
  b->Show();
  EXPECT_EQ(Trace.Str(), "show B;deactivate A;activate B;enter BEdit;activeform B");
  EXPECT_EQ(Screen->GetForm(0), b);  // most recently active first
  EXPECT_EQ(Screen->GetForm(1), a);
  // A click into the other form activates it, its focused control keeps its place.
  Trace.Clear();
  ClickAt(static_cast<TControl*>(a->FindComponent("AButton")));
  EXPECT_EQ(Trace.Str(), "deactivate B;activate A;activeform A;exit AEdit;click AButton");
  EXPECT_EQ(Screen->GetActiveForm(), a);
  Trace.Clear();
  a->Hide();
  EXPECT_EQ(Trace.Str(), "hide A;deactivate A;activate B;activeform B");
  EXPECT_FALSE(WidgetOf(a)->isVisible());
  Trace.Clear();
  b->Hide();
  EXPECT_EQ(Trace.Str(), "hide B;deactivate B;activeform nil");
  EXPECT_EQ(Screen->GetActiveForm(), nullptr);
  EXPECT_EQ(FindFocusedControl(), nullptr);
}

TEST_F(FormsTest, PositionAndBorderAndCaption) {
  TForm* a = MakeForm("A");
  a->SetCaption("Qor Lookup Example");
  a->SetPosition(poScreenCenter);
  a->SetBorderStyle(bsDialog);
  a->Show();
  EXPECT_GT(Screen->GetWidth(), 300);
  EXPECT_EQ(a->GetLeft(), (Screen->GetWidth() - 200) / 2);
  EXPECT_EQ(a->GetTop(), (Screen->GetHeight() - 120) / 2);
  EXPECT_EQ(WidgetOf(a)->windowTitle(), QString("Qor Lookup Example"));
  EXPECT_EQ(WidgetOf(a)->windowType(), Qt::Dialog);
  a->SetBorderStyle(bsSizeable);  // a new window of the other kind, still shown
  EXPECT_EQ(WidgetOf(a)->windowType(), Qt::Window);
  EXPECT_TRUE(WidgetOf(a)->isVisible());
  a->SetClientWidth(250);
  EXPECT_EQ(WidgetOf(a)->width(), 250);
}

TEST_F(FormsTest, ModalResultClosesAfterTheButtonsClickHandler) {
  TForm* main = MakeForm("Main");
  main->Show();
  TForm* dialog = MakeForm("Dlg", 50);
  auto* ok = static_cast<TButton*>(dialog->FindComponent("DlgButton"));
  ok->SetModalResult(mrOk);
  struct TSink : TObject {
    TTrace* T;
    TForm* Form;
    void Click(TObject*) { T->Add("click sees " + std::to_string(Form->GetModalResult())); }
    void Close(TObject*, TCloseAction& action) { T->Add("close " + std::to_string(action)); }
  } sink;
  sink.T = &Trace;
  sink.Form = dialog;
  ok->SetOnClick(Method<&TSink::Click>(&sink));
  dialog->SetOnClose(Method<&TSink::Close>(&sink));
  Trace.Clear();
  Later([&] {
    Trace.Add("modal loop");
    ClickAt(ok);
  });
  TModalResult result = dialog->ShowModal();
  EXPECT_EQ(result, mrOk);
  EXPECT_EQ(Trace.Str(),
            "show Dlg;deactivate Main;activate Dlg;enter DlgEdit;modal loop;exit DlgEdit;click sees 1;"
            "close 1;deactivate Dlg;hide Dlg;activate Main");
  EXPECT_FALSE(dialog->GetVisible());
  EXPECT_EQ(Screen->GetActiveForm(), main);
  EXPECT_EQ(Application->GetModalLevel(), 0);
  ExpectError<EInvalidOperation>([&] { main->ShowModal(); }, "Cannot make a visible window modal");
}

TEST_F(FormsTest, ModalFormsCloseAlsoWhenTheClickHandlerFailsAndFreeThemselves) {
  TForm* main = MakeForm("Main");
  main->Show();
  TForm* dialog = MakeForm("Dlg", 50);
  auto* ok = static_cast<TButton*>(dialog->FindComponent("DlgButton"));
  ok->SetModalResult(mrOk);
  struct TSink : TObject {
    void Click(TObject*) { throw EDatabaseError("Tab: Field 'x' not found"); }
    void Close(TObject*, TCloseAction& action) { action = caFree; }
  } sink;
  ok->SetOnClick(Method<&TSink::Click>(&sink));
  dialog->SetOnClose(Method<&TSink::Close>(&sink));
  auto alive = dialog->AliveToken();
  Later([&] { ClickAt(ok); });
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_EQ(Messages.Log, std::vector<std::string>{"dialog: Tab: Field 'x' not found"});
  EXPECT_FALSE(alive.expired()) << "freed by the message loop, not under the caller's feet";
  ProcessEvents();
  EXPECT_TRUE(alive.expired());
}

TEST_F(FormsTest, CloseQueryCloseActionsAndTheCloseBox) {
  TForm* main = MakeForm("Main");
  main->Show();
  TForm* dialog = MakeForm("Dlg", 50);
  struct TSink : TObject {
    std::vector<TCloseAction> Actions;
    int Queries = 0;
    void Query(TObject*, bool& canClose) { canClose = ++Queries > 1; }
    void Close(TObject*, TCloseAction& action) {
      if (!Actions.empty()) {
        action = Actions.front();
        Actions.erase(Actions.begin());
      }
    }
  } sink;
  dialog->SetOnCloseQuery(Method<&TSink::Query>(&sink));
  dialog->SetOnClose(Method<&TSink::Close>(&sink));
  // Modal: Close sets mrCancel; the first query refuses, the caNone action keeps it open,
  // the third close is accepted.
  sink.Actions = {caNone, caHide};
  Later([&] {
    dialog->Close();
    Later([&] {
      dialog->Close();
      Later([&] { WidgetOf(dialog)->close(); });  // the window's close box
    });
  });
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  EXPECT_EQ(sink.Queries, 3);
  EXPECT_FALSE(dialog->GetVisible());
  // Modeless: caHide hides, caNone keeps, caFree frees from the message loop.
  dialog->Show();
  sink.Actions = {caNone};
  dialog->Close();
  EXPECT_TRUE(dialog->GetVisible());
  sink.Actions = {caHide};
  dialog->Close();
  EXPECT_FALSE(dialog->GetVisible());
  dialog->Show();
  auto alive = dialog->AliveToken();
  sink.Actions = {caFree};
  dialog->Close();
  ProcessEvents();
  EXPECT_TRUE(alive.expired());
  EXPECT_EQ(Screen->GetActiveForm(), main);
}

TEST_F(FormsTest, RunEndsWhenTheMainFormCloses) {
  TApplication* saved = Application;
  Application = new TApplication(nullptr);
  TForm* first = nullptr;
  TForm* second = nullptr;
  Application->CreateForm(first);
  Application->CreateForm(second);
  EXPECT_EQ(Application->GetMainForm(), first);
  EXPECT_TRUE(first->HandleAllocated());
  EXPECT_FALSE(second->HandleAllocated());
  first->SetName("First");
  TTrace trace;
  first->SetOnShow(Method<&TTrace::Show>(&trace));
  Later([&] {
    second->Show();
    Later([&] {
      second->Close();  // not the main form: only hidden
      Later([&] { first->Close(); });
    });
  });
  Application->Run();
  EXPECT_TRUE(Application->GetTerminated());
  EXPECT_EQ(trace.Str(), "show First");
  EXPECT_TRUE(first->GetVisible()) << "the main form's close ends the loop, it does not hide it";
  EXPECT_FALSE(second->GetVisible());
  auto alive = second->AliveToken();
  delete Application;  // frees the forms it created
  EXPECT_TRUE(alive.expired());
  Application = saved;
}

std::vector<std::string>* gHeard = nullptr;

/// A form class with published handlers, read from a form file.
class TLoadedForm : public TForm {
  FW_CLASS(TLoadedForm)
 public:
  explicit TLoadedForm(TComponent* owner) : TForm(owner) {}
  std::vector<std::string> Calls;
  void FormCreate(TObject*) { Calls.push_back("create " + std::to_string(GetComponentCount())); }
  void OkClick(TObject* sender) { Calls.push_back("click " + NameOf(sender)); }
  void NameKeyPress(TObject*, TKeyChar& key) {
    if (key >= 'a' && key <= 'z') key = key - 'a' + 'A';
  }
  void ClearClick(TObject* sender) { Calls.push_back("menu " + NameOf(sender)); }
  void FormDestroy(TObject*) { gHeard->push_back("destroy after " + std::to_string(Calls.size()) + " calls"); }
};

const TClassInfo& TLoadedForm::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TLoadedForm>("TLoadedForm", &TForm::StaticClass())
                                      .Method<&TLoadedForm::FormCreate>("FormCreate")
                                      .Method<&TLoadedForm::OkClick>("OkClick")
                                      .Method<&TLoadedForm::NameKeyPress>("NameKeyPress")
                                      .Method<&TLoadedForm::ClearClick>("ClearClick")
                                      .Method<&TLoadedForm::FormDestroy>("FormDestroy")
                                      .Build();
  return info;
}

const char* kLoadedForm = R"(object LoadedForm: TLoadedForm
  Left = 40
  Top = 30
  Caption = 'Loaded'
  ClientHeight = 100
  ClientWidth = 220
  ActiveControl = Code
  OnCreate = FormCreate
  object Name: TEdit
    Left = 8
    Top = 8
    Width = 100
    Height = 21
    TabOrder = 1
    OnKeyPress = NameKeyPress
  end
  object Code: TEdit
    Left = 8
    Top = 36
    Width = 100
    Height = 21
    PopupMenu = Menu
    TabOrder = 0
  end
  object Ok: TButton
    Left = 120
    Top = 8
    Width = 75
    Height = 25
    Caption = '&OK'
    Default = True
    ModalResult = 1
    TabOrder = 2
    OnClick = OkClick
  end
  object Menu: TPopupMenu
    object Clear: TMenuItem
      Caption = '&Clear'
      ShortCut = 16460
      OnClick = ClearClick
    end
  end
end
)";

TEST_F(FormsTest, FormsFromFormFilesWithTheirHandlers) {
  RegisterControlsClasses();
  RegisterClass(TLoadedForm::StaticClass());
  auto* form = new TLoadedForm(nullptr);
  ReadComponentInto(kLoadedForm, form);
  EXPECT_EQ(form->Calls, std::vector<std::string>{"create 5"});
  EXPECT_EQ(form->GetClientWidth(), 220);
  EXPECT_EQ(FindGlobalComponent("LoadedForm"), form);
  auto* name = static_cast<TEdit*>(form->FindComponent("Name"));
  auto* code = static_cast<TEdit*>(form->FindComponent("Code"));
  auto* ok = static_cast<TButton*>(form->FindComponent("Ok"));
  EXPECT_EQ(code->GetTabOrder(), 0);
  EXPECT_EQ(name->GetTabOrder(), 1);
  EXPECT_EQ(ok->GetParent(), form);
  form->Show();
  EXPECT_TRUE(code->Focused());  // ActiveControl from the file
  TypeKey(code, Qt::Key_Tab);
  EXPECT_TRUE(name->Focused());
  TypeText(name, "kiev");
  EXPECT_EQ(name->GetText(), "KIEV");
  TypeKey(name, Qt::Key_Return);  // the default button
  TypeKey(code, Qt::Key_L, Qt::ControlModifier);  // the menu of Code, not focused: nothing
  EXPECT_EQ(form->Calls, (std::vector<std::string>{"create 5", "click Ok"}));
  EXPECT_EQ(form->GetModalResult(), mrOk);
}

TEST_F(FormsTest, OnDestroyFiresBeforeTheComponentsGo) {
  TForm* form = MakeForm("Gone");
  form->Show();
  struct TSink : TObject {
    std::string Seen;
    void Destroyed(TObject* sender) {
      auto* f = static_cast<TCustomForm*>(sender);
      Seen = std::to_string(f->GetComponentCount()) + " " + NameOf(Screen->GetActiveForm());
    }
  } sink;
  form->SetOnDestroy(Method<&TSink::Destroyed>(&sink));
  delete form;
  EXPECT_EQ(sink.Seen, "2 Gone");
  EXPECT_EQ(Screen->GetActiveForm(), nullptr);
  EXPECT_EQ(FindGlobalComponent("Gone"), nullptr);
}

// OnDestroy runs while the derived form is whole when the form is released or freed by the
// application (a handler of the derived class may use its members).
TEST_F(FormsTest, ReleasedAndApplicationOwnedFormsHearOnDestroyWhole) {
  std::vector<std::string> heard;
  gHeard = &heard;
  auto* released = new TLoadedForm(nullptr);
  released->Calls = {"one"};
  released->SetOnDestroy(Method<&TLoadedForm::FormDestroy>(released));
  released->Release();
  ProcessEvents();
  TApplication* saved = Application;
  Application = new TApplication(nullptr);
  TLoadedForm* owned = nullptr;
  Application->CreateForm(owned);
  owned->Calls = {"one", "two"};
  owned->SetOnDestroy(Method<&TLoadedForm::FormDestroy>(owned));
  delete Application;
  Application = saved;
  EXPECT_EQ(heard, (std::vector<std::string>{"destroy after 1 calls", "destroy after 2 calls"}));
}

TEST_F(FormsTest, ScreenListsDataModulesInCreationOrder) {
  int before = Screen->GetDataModuleCount();
  auto* dm1 = new TDataModule(nullptr);
  auto* dm2 = new TDataModule(nullptr);
  EXPECT_EQ(Screen->GetDataModuleCount(), before + 2);
  EXPECT_EQ(Screen->GetDataModule(before), dm1);
  EXPECT_EQ(Screen->GetDataModule(before + 1), dm2);
  delete dm1;
  EXPECT_EQ(Screen->GetDataModule(before), dm2);
  delete dm2;
  EXPECT_EQ(Screen->GetDataModuleCount(), before);
}

/// The real message service on Qt's boxes, answered by pressing a button of the box.
class RealBoxesTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    FRecorder = SetMessageService(&FBoxes);
  }
  void TearDown() override {
    SetMessageService(FRecorder);
    FormsTest::TearDown();
  }
  /// Presses the box's button with that text when the box is up.
  void AnswerBox(QMessageBox::StandardButton button) {
    Later([this, button] {
      auto* box = qobject_cast<QMessageBox*>(ActiveModalOrPopup());
      ASSERT_NE(box, nullptr);
      BoxText = box->text();
      Trace.Add("box up, active form " + NameOf(Screen->GetActiveForm()));
      box->button(button)->click();
    });
  }
  QString BoxText;

 private:
  TUiMessageService FBoxes;
  TMessageService* FRecorder = nullptr;
};

TEST_F(RealBoxesTest, AMessageBoxTakesTheActivationAndGivesItBack) {
  TForm* a = MakeForm("A");
  a->Show();
  WatchScreen();
  Trace.Clear();
  AnswerBox(QMessageBox::No);
  EXPECT_FALSE(Confirm("Delete record?"));
  EXPECT_EQ(BoxText, QString("Delete record?"));
  EXPECT_EQ(Trace.Str(),
            "deactivate A;activeform nil;box up, active form nil;activate A;activeform A");
  EXPECT_TRUE(a->FindComponent("AEdit") == FindFocusedControl());
  AnswerBox(QMessageBox::Yes);
  EXPECT_EQ(MessageDlg("Save?", mtConfirmation, MsgDlgButton(mbYes) | MsgDlgButton(mbNo), 0), mrYes);
  AnswerBox(QMessageBox::Ok);
  ShowMessage("Incorrect value");
  EXPECT_EQ(BoxText, QString("Incorrect value"));
}

TEST_F(RealBoxesTest, FileDialogs) {
  std::string file = (std::filesystem::temp_directory_path() / "qor_ui_dialog.bmp").string();
  std::filesystem::remove(file);
  Later([&] {
    auto* dialog = qobject_cast<QFileDialog*>(ActiveModalOrPopup());
    ASSERT_NE(dialog, nullptr);
    Trace.Add(dialog->nameFilters().join("|").toStdString());
    dialog->selectFile(QString::fromStdString(file));
    static_cast<QDialog*>(dialog)->accept();
  });
  TSaveDialog save(nullptr);
  save.SetFilter("Bitmaps (*.bmp)|*.bmp|All files|*");
  save.SetDefaultExt("bmp");
  EXPECT_TRUE(save.Execute());
  EXPECT_EQ(save.GetFileName(), file);
  EXPECT_EQ(Trace.Str(), "Bitmaps (*.bmp)|All files (*)");
}

TEST_F(FormsTest, DialogComponentsThroughTheRecorder) {
  TOpenDialog open(nullptr);
  open.SetFilter("Bitmaps (*.bmp)|*.bmp");
  EXPECT_FALSE(open.Execute());
  Messages.FileToChoose = "/tmp/x.bmp";
  EXPECT_TRUE(open.Execute());
  EXPECT_EQ(open.GetFileName(), "/tmp/x.bmp");
  EXPECT_EQ(Messages.Log, (std::vector<std::string>{"open: Bitmaps (*.bmp)|*.bmp", "open: Bitmaps (*.bmp)|*.bmp"}));
}

}  // namespace
