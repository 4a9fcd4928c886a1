// The data-aware edit, memo and image bound to an engine table, driven by real keys and
// mouse through Qt: showing the record, typing that puts the dataset into edit state,
// posting and moving, Esc, a value the field does not take refused with the focus back and
// nothing stored lost, read-only fields and datasets, the field's edit mask, pictures and
// the clipboard, the data source's removal, and the controls in a form file.
#include <QImage>
#include <QTest>

#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "framework/controls/ComCtrls.h"
#include "framework/controls/ControlsRegister.h"
#include "framework/controls/ExtCtrls.h"
#include "framework/core/Exceptions.h"
#include "framework/data/DataSource.h"
#include "framework/dbctrls/DBCtrls.h"
#include "framework/engine/DBDataSet.h"
#include "framework/engine/Session.h"
#include "framework/stream/FormReader.h"
#include "framework/stream/FormWriter.h"
#include "framework/ui/Clipbrd.h"
#include "framework/ui/Forms.h"
#include "tests/support/ExpectError.h"
#include "tests/support/UiTestSupport.h"

using namespace fw;
using namespace uitest;
namespace fs = std::filesystem;

namespace {

/// A PNG of a w x h bitmap in one colour.
std::string PngOf(int w, int h, TColor color) {
  TBitmap b;
  b.SetSize(w, h);
  b.GetCanvas()->GetBrush()->SetColor(color);
  b.GetCanvas()->FillRect({0, 0, w, h});
  return b.SaveToData("PNG");
}

/// People.db (id, Name, Age, Phone with an edit mask, Info memo, Photo picture) with three
/// rows, in a directory of its own behind the alias "CtlData"; Form1 shows NameEdit,
/// AgeEdit, PhoneEdit, InfoMemo, PhotoImage and a plain edit Other, bound through Source.
class DBCtrlsTest : public TUiTest {
 protected:
  void SetUp() override {
    TUiTest::SetUp();
    std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    Dir = fs::temp_directory_path() / ("qor_dbctrls_" + std::to_string(::getpid()) + "_" + test);
    fs::remove_all(Dir);
    fs::create_directories(Dir);
    setenv("QOR_ALIAS_STORE", (Dir / "aliases.conf").c_str(), 1);
    Session()->SetConfigMode({cfmSession});
    if (Session()->IsAlias("CtlData")) Session()->DeleteAlias("CtlData");
    Session()->AddStandardAlias("CtlData", Dir.string(), "PARADOX");
    Table = new TTable(Owner.get());
    Table->SetName("People");
    Table->SetDatabaseName("CtlData");
    Table->SetTableName("People.db");
    auto* d = Table->GetFieldDefs();
    d->Add("id", ftInteger);
    d->Add("Name", ftString, 20);
    d->Add("Age", ftInteger);
    d->Add("Phone", ftString, 10);
    d->Add("Info", ftMemo);
    d->Add("Photo", ftGraphic);
    Table->GetIndexDefs()->Add("", "id", {ixPrimary});
    Table->CreateTable();
    Table->Open();
    struct Row {
      int Id;
      const char* Name;
      int Age;
      const char* Phone;
      const char* Info;
    } rows[] = {{1, "Anna", 42, "5551234567", "Likes tea\r\nand cake"},
                {2, "Boris", 35, "5559876543", "Plays chess"},
                {3, "Clara", 28, "", ""}};
    for (const Row& r : rows) {
      Table->Append();
      Table->FieldByName("id")->SetAsInteger(r.Id);
      Table->FieldByName("Name")->SetAsString(r.Name);
      Table->FieldByName("Age")->SetAsInteger(r.Age);
      Table->FieldByName("Phone")->SetAsString(r.Phone);
      Table->FieldByName("Info")->SetAsString(r.Info);
      if (r.Id == 1) Table->FieldByName("Photo")->SetBlob(PngOf(8, 6, clRed));
      Table->Post();
    }
    Table->FieldByName("Phone")->SetEditMask("(999) 000-0000;0;_");
    Table->First();

    Form = new TForm(nullptr);
    Form->SetName("Form1");
    Form->SetBounds(100, 50, 400, 300);
    Source = new TDataSource(Form);
    Source->SetName("Source");
    Source->SetDataSet(Table);
    NameEdit = Bind<TDBEdit>("NameEdit", "Name", 10, 10, 150, 21);
    AgeEdit = Bind<TDBEdit>("AgeEdit", "Age", 10, 40, 150, 21);
    PhoneEdit = Bind<TDBEdit>("PhoneEdit", "Phone", 10, 70, 150, 21);
    InfoMemo = Bind<TDBMemo>("InfoMemo", "Info", 10, 100, 150, 60);
    PhotoImage = Bind<TDBImage>("PhotoImage", "Photo", 200, 10, 60, 60);
    Other = new TEdit(Form);
    Other->SetName("Other");
    Other->SetBounds(10, 200, 150, 21);
    Other->SetParent(Form);
    Form->Show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(WidgetOf(Form)));
    Clipboard()->Clear();
  }
  void TearDown() override {
    TUiTest::TearDown();
    Owner.reset();
    if (Session()->IsAlias("CtlData")) Session()->DeleteAlias("CtlData");
    Session()->SetConfigMode({cfmVirtual, cfmPersistent, cfmSession});
    fs::remove_all(Dir);
  }
  template <class T>
  T* Bind(const char* name, const char* field, int l, int t, int w, int h) {
    auto* c = new T(Form);
    c->SetName(name);
    c->SetBounds(l, t, w, h);
    c->SetParent(Form);
    c->SetDataSource(Source);
    c->SetDataField(field);
    return c;
  }
  /// A field of the stored row with that id, read by a table of its own.
  std::string Stored(int id, const char* field) {
    TTable check(nullptr);
    check.SetDatabaseName("CtlData");
    check.SetTableName("People.db");
    check.Open();
    EXPECT_TRUE(check.Locate("id", Variant(id), {}));
    TField* f = check.FieldByName(field);
    return f->IsNull() ? "null" : f->GetAsString();
  }

  fs::path Dir;
  std::unique_ptr<TComponent> Owner = std::make_unique<TComponent>(nullptr);
  TTable* Table = nullptr;
  TForm* Form = nullptr;
  TDataSource* Source = nullptr;
  TDBEdit *NameEdit = nullptr, *AgeEdit = nullptr, *PhoneEdit = nullptr;
  TDBMemo* InfoMemo = nullptr;
  TDBImage* PhotoImage = nullptr;
  TEdit* Other = nullptr;
};

TEST_F(DBCtrlsTest, ShowsTheRecordTypesPostsAndMoves) {
  EXPECT_EQ(NameEdit->GetText(), "Anna");
  EXPECT_EQ(AgeEdit->GetText(), "42");
  EXPECT_EQ(PhoneEdit->GetEditText(), "(555) 123-4567");
  EXPECT_EQ(InfoMemo->GetText(), "Likes tea\r\nand cake");
  EXPECT_EQ(PhotoImage->GetPicture()->GetWidth(), 8);
  EXPECT_EQ(NameEdit->GetMaxLength(), 20);  // from the string field's size

  // Typing puts the dataset into edit state; leaving writes the field, Post stores it.
  NameEdit->SetFocus();
  EXPECT_EQ(NameEdit->GetSelText(), "Anna");
  TypeKey(NameEdit, Qt::Key_End);
  EXPECT_EQ(Table->GetState(), dsBrowse);
  TypeText(NameEdit, "bel");
  EXPECT_EQ(Table->GetState(), dsEdit);
  EXPECT_EQ(Table->FieldByName("Name")->GetAsString(), "Anna");  // not written yet
  TypeKey(NameEdit, Qt::Key_Tab);
  EXPECT_EQ(Table->FieldByName("Name")->GetAsString(), "Annabel");
  EXPECT_EQ(Stored(1, "Name"), "Anna");
  Table->Post();
  EXPECT_EQ(Stored(1, "Name"), "Annabel");

  // Moving while a control holds a change posts it first (the dataset's browse check).
  InfoMemo->SetFocus();
  TypeKey(InfoMemo, Qt::Key_End, Qt::ControlModifier);
  TypeKey(InfoMemo, Qt::Key_Return);
  TypeText(InfoMemo, "and jam");
  Table->Next();
  EXPECT_EQ(Stored(1, "Info"), "Likes tea\r\nand cake\r\nand jam");
  EXPECT_EQ(NameEdit->GetText(), "Boris");
  EXPECT_EQ(InfoMemo->GetText(), "Plays chess");
  EXPECT_EQ(PhotoImage->GetPicture()->GetWidth(), 0);  // no picture in this record
  EXPECT_EQ(PhoneEdit->GetEditText(), "(555) 987-6543");
  Table->Next();
  EXPECT_EQ(PhoneEdit->GetEditText(), "(___) ___-____");
  EXPECT_EQ(InfoMemo->GetText(), "");
}

TEST_F(DBCtrlsTest, EscPutsTheFieldBack) {
  AgeEdit->SetFocus();
  TypeText(AgeEdit, "77");
  EXPECT_EQ(AgeEdit->GetText(), "77");
  EXPECT_EQ(Table->GetState(), dsEdit);
  TypeKey(AgeEdit, Qt::Key_Escape);
  EXPECT_EQ(AgeEdit->GetText(), "42");
  EXPECT_EQ(AgeEdit->GetSelText(), "42");
  EXPECT_FALSE(AgeEdit->GetModified());
  TypeKey(AgeEdit, Qt::Key_Tab);  // nothing to write
  Table->Post();
  EXPECT_EQ(Stored(1, "Age"), "42");
  // The memo likewise.
  InfoMemo->SetFocus();
  TypeText(InfoMemo, "xyz");
  TypeKey(InfoMemo, Qt::Key_Escape);
  EXPECT_EQ(InfoMemo->GetText(), "Likes tea\r\nand cake");
}

TEST_F(DBCtrlsTest, AValueTheFieldDoesNotTakeIsRefusedWithTheFocusBack) {
  AgeEdit->SetFocus();
  TypeText(AgeEdit, "abc");
  TypeKey(AgeEdit, Qt::Key_Tab);
  ASSERT_EQ(Messages.Log.size(), 1u);
  EXPECT_EQ(Messages.Log[0], "dialog: People: Invalid value for field 'Age': 'abc' is not a valid integer value");
  EXPECT_TRUE(AgeEdit->Focused());
  EXPECT_EQ(AgeEdit->GetText(), "abc");      // what was typed stays to be corrected
  EXPECT_EQ(AgeEdit->GetSelText(), "abc");
  EXPECT_EQ(Table->FieldByName("Age")->GetAsInteger(), 42);  // the record keeps its value
  // The mouse going elsewhere meets the same answer.
  ClickAt(Other);
  EXPECT_EQ(Messages.Log.size(), 2u);
  EXPECT_TRUE(AgeEdit->Focused());
  // Posting by code fails the same way and stores nothing.
  ExpectError<EDatabaseError>([&] { Table->Post(); },
                              "People: Invalid value for field 'Age': 'abc' is not a valid integer value");
  EXPECT_EQ(Table->GetState(), dsEdit);
  EXPECT_EQ(Stored(1, "Age"), "42");
  // Corrected, it goes through.
  AgeEdit->SelectAll();
  TypeText(AgeEdit, "43");
  TypeKey(AgeEdit, Qt::Key_Tab);
  EXPECT_TRUE(PhoneEdit->Focused());
  Table->Post();
  EXPECT_EQ(Stored(1, "Age"), "43");
}

TEST_F(DBCtrlsTest, TheFieldsEditMask) {
  PhoneEdit->SetFocus();
  EXPECT_EQ(PhoneEdit->GetEditMask(), "(999) 000-0000;0;_");
  PhoneEdit->SelectAll();
  TypeText(PhoneEdit, "555111");
  EXPECT_EQ(PhoneEdit->GetEditText(), "(555) 111-____");
  TypeKey(PhoneEdit, Qt::Key_Tab);
  ASSERT_EQ(Messages.Log.size(), 1u);
  EXPECT_EQ(Messages.Log[0],
            "dialog: Invalid input value '(555) 111-____' for the edit mask '(999) 000-0000;0;_': character 11 must "
            "be a digit. Press Esc to abandon the changes");
  EXPECT_TRUE(PhoneEdit->Focused());
  EXPECT_EQ(PhoneEdit->GetSelStart(), 10);  // on the first position that does not fit
  EXPECT_EQ(Table->FieldByName("Phone")->GetAsString(), "5551234567");
  TypeText(PhoneEdit, "2222");
  TypeKey(PhoneEdit, Qt::Key_Tab);
  EXPECT_EQ(Table->FieldByName("Phone")->GetAsString(), "5551112222");  // stored without the literals
  Table->Post();
  EXPECT_EQ(Stored(1, "Phone"), "5551112222");
}

TEST_F(DBCtrlsTest, ReadOnlyFieldsDatasetsAndControlsRefuseInput) {
  Table->FieldByName("Name")->SetReadOnly(true);
  NameEdit->SetFocus();
  TypeText(NameEdit, "zz");
  TypeKey(NameEdit, Qt::Key_Backspace);
  Clipboard()->SetAsText("pasted");
  NameEdit->PasteFromClipboard();
  EXPECT_EQ(NameEdit->GetText(), "Anna");
  EXPECT_EQ(Table->GetState(), dsBrowse);
  Table->FieldByName("Name")->SetReadOnly(false);

  AgeEdit->SetReadOnly(true);
  AgeEdit->SetFocus();
  TypeText(AgeEdit, "1");
  EXPECT_EQ(AgeEdit->GetText(), "42");
  EXPECT_EQ(Table->GetState(), dsBrowse);
  AgeEdit->SetReadOnly(false);

  Table->SetReadOnly(true);
  for (TWinControl* c : std::initializer_list<TWinControl*>{NameEdit, InfoMemo}) {
    c->SetFocus();
    TypeText(c, "q");
  }
  EXPECT_EQ(NameEdit->GetText(), "Anna");
  EXPECT_EQ(InfoMemo->GetText(), "Likes tea\r\nand cake");
  Clipboard()->SetAsText("x");
  PhotoImage->CutToClipboard();
  EXPECT_EQ(PhotoImage->GetPicture()->GetWidth(), 8);
  EXPECT_EQ(Table->GetState(), dsBrowse);
  EXPECT_TRUE(Messages.Log.empty());
}

TEST_F(DBCtrlsTest, PictureOfTheBlobFieldAndTheClipboard) {
  TPicture* picture = PhotoImage->GetPicture();
  ASSERT_EQ(picture->GetWidth(), 8);
  EXPECT_EQ(picture->GetHeight(), 6);
  EXPECT_EQ(picture->GetBitmap()->GetCanvas()->GetPixel(3, 3), clRed);
  PhotoImage->SetFocus();
  TypeKey(PhotoImage, Qt::Key_C, Qt::ControlModifier);
  EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
  EXPECT_EQ(Table->GetState(), dsBrowse);  // copying changes nothing
  TypeKey(PhotoImage, Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(picture->GetWidth(), 0);
  EXPECT_EQ(Table->GetState(), dsEdit);
  Table->Post();
  EXPECT_EQ(Stored(1, "Photo"), "null");
  // Another picture on the clipboard, pasted and stored as PNG.
  TBitmap blue;
  blue.LoadFromData(PngOf(5, 4, clBlue));
  Clipboard()->Assign(&blue);
  TypeKey(PhotoImage, Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(picture->GetWidth(), 5);
  Table->Post();
  std::string stored = Stored(1, "Photo");
  EXPECT_EQ(stored.substr(1, 3), "PNG");
  // Another record, then back: the picture is read from the field again.
  Table->Next();
  EXPECT_EQ(picture->GetWidth(), 0);
  Table->Prior();
  EXPECT_EQ(picture->GetWidth(), 5);
  EXPECT_EQ(picture->GetBitmap()->GetCanvas()->GetPixel(1, 1), clBlue);
  // Esc takes back a change that is not posted.
  PhotoImage->CutToClipboard();
  EXPECT_EQ(picture->GetWidth(), 0);
  TypeKey(PhotoImage, Qt::Key_Escape);
  EXPECT_EQ(picture->GetWidth(), 5);
  // Without AutoDisplay the field's label stands in until LoadPicture.
  Table->Cancel();
  PhotoImage->SetAutoDisplay(false);
  Table->Next();
  Table->Prior();
  EXPECT_EQ(picture->GetWidth(), 0);
  PhotoImage->LoadPicture();
  EXPECT_EQ(picture->GetWidth(), 5);
}

TEST_F(DBCtrlsTest, MemoWithoutAutoDisplayAndFocusControl) {
  InfoMemo->SetAutoDisplay(false);
  Table->Next();
  EXPECT_EQ(InfoMemo->GetText(), "(Info)");
  InfoMemo->SetFocus();
  TypeText(InfoMemo, "x");
  EXPECT_EQ(InfoMemo->GetText(), "(Info)");  // nothing to edit before it is loaded
  EXPECT_EQ(Table->GetState(), dsBrowse);
  TypeKey(InfoMemo, Qt::Key_Return);
  EXPECT_EQ(InfoMemo->GetText(), "Plays chess");
  // The dataset asks for the control of a field (a required field left empty, say).
  Other->SetFocus();
  Table->FieldByName("Age")->FocusControl();
  EXPECT_TRUE(AgeEdit->Focused());
}

TEST_F(DBCtrlsTest, FreeingTheDataSourceClearsTheControls) {
  delete Source;
  EXPECT_EQ(NameEdit->GetDataSource(), nullptr);
  EXPECT_EQ(InfoMemo->GetDataSource(), nullptr);
  EXPECT_EQ(PhotoImage->GetDataSource(), nullptr);
  EXPECT_EQ(NameEdit->GetText(), "");
  EXPECT_EQ(NameEdit->GetField(), nullptr);
  NameEdit->SetFocus();
  TypeText(NameEdit, "q");  // no field: nothing to edit
  EXPECT_EQ(NameEdit->GetText(), "");
}

TEST_F(DBCtrlsTest, ControlsFromAFormFile) {
  RegisterDBCtrlsClasses();
  const char* text = R"(object DBForm: TForm
  Left = 0
  Top = 0
  Caption = 'DB'
  ClientHeight = 200
  ClientWidth = 300
  object Src: TDataSource
  end
  object E: TDBEdit
    Left = 8
    Top = 8
    Width = 121
    Height = 21
    DataField = 'Name'
    DataSource = Src
    TabOrder = 0
  end
  object M: TDBMemo
    Left = 8
    Top = 40
    Width = 121
    Height = 60
    AutoDisplay = False
    DataField = 'Info'
    DataSource = Src
    ScrollBars = ssVertical
    TabOrder = 1
  end
  object I: TDBImage
    Left = 140
    Top = 8
    Width = 80
    Height = 80
    DataField = 'Photo'
    DataSource = Src
    Proportional = True
    Stretch = True
    TabOrder = 2
  end
end
)";
  // Written and read back, the file is the same.
  TComponent* first = ReadComponentText(text, nullptr);
  std::string written = WriteComponentText(first);
  delete first;
  auto* form = static_cast<TForm*>(ReadComponentText(written, nullptr));
  EXPECT_EQ(WriteComponentText(form), written);
  EXPECT_NE(written.find("    DataField = 'Info'\n    DataSource = Src\n"), std::string::npos);
  auto* src = static_cast<TDataSource*>(form->FindComponent("Src"));
  src->SetDataSet(Table);
  EXPECT_EQ(static_cast<TDBEdit*>(form->FindComponent("E"))->GetText(), "Anna");
  EXPECT_EQ(static_cast<TDBMemo*>(form->FindComponent("M"))->GetText(), "(Info)");
  EXPECT_EQ(static_cast<TDBImage*>(form->FindComponent("I"))->GetPicture()->GetWidth(), 8);
}

}  // namespace

namespace {

/// A form with every standard control and the data-aware edit, memo and image on the
/// first record, written to controls-form.png in the build directory.
TEST_F(DBCtrlsTest, ScreenshotOfEveryControl) {
  RegisterDBCtrlsClasses();
  Form->SetBounds(100, 50, 600, 430);
  Form->SetCaption("Controls");
  Form->SetColor(clBtnFace);
  auto place = [&](TControl* c, const char* name, int l, int t, int w, int h, TWinControl* parent = nullptr) {
    c->SetName(name);
    c->SetBounds(l, t, w, h);
    c->SetParent(parent ? parent : Form);
  };
  // The bound controls of the fixture move to the right-hand column.
  NameEdit->SetBounds(400, 30, 180, 21);
  AgeEdit->SetBounds(400, 60, 80, 21);
  PhoneEdit->SetBounds(400, 90, 180, 21);
  InfoMemo->SetBounds(400, 120, 180, 60);
  InfoMemo->SetScrollBars(ssVertical);
  PhotoImage->SetBounds(400, 190, 80, 60);
  PhotoImage->SetStretch(true);
  Other->SetBounds(490, 190, 90, 21);
  Other->SetText("plain edit");
  auto* dbLabel = new TLabel(Form);
  place(dbLabel, "DBLabel", 400, 10, 0, 0);
  dbLabel->SetCaption("Bound to People.db:");
  dbLabel->GetFont()->SetStyle({fsBold});

  auto* nameLabel = new TLabel(Form);
  place(nameLabel, "NameLabel", 10, 14, 0, 0);
  nameLabel->SetCaption("&Name:");
  auto* edit = new TEdit(Form);
  place(edit, "Edit", 80, 10, 150, 21);
  edit->SetText("Selected text");
  nameLabel->SetFocusControl(edit);
  auto* link = new TLabel(Form);
  place(link, "Link", 10, 40, 0, 0);
  link->SetCaption("www.example.org");
  link->GetFont()->SetColor(clBlue);
  link->GetFont()->SetStyle({fsUnderline});
  link->SetCursor(crHandPoint);
  auto* wrapped = new TLabel(Form);
  place(wrapped, "Wrapped", 240, 10, 140, 40);
  wrapped->SetWordWrap(true);
  wrapped->SetAlignment(taCenter);
  wrapped->SetCaption("A centred label that wraps its words");
  auto* mask = new TMaskEdit(Form);
  place(mask, "Mask", 80, 60, 150, 21);
  mask->SetEditMask("!99/99/0000;1;_");
  mask->SetText("1/5/2024");
  auto* memo = new TMemo(Form);
  place(memo, "Memo", 10, 90, 220, 70);
  memo->SetScrollBars(ssVertical);
  for (int i = 1; i <= 8; ++i) memo->GetLines()->Add("Memo line " + std::to_string(i) + " with some words");
  auto* ok = new TButton(Form);
  place(ok, "Ok", 240, 60, 75, 25);
  ok->SetCaption("&OK");
  ok->SetDefault(true);
  auto* cancel = new TButton(Form);
  place(cancel, "Cancel", 240, 92, 75, 25);
  cancel->SetCaption("Cancel");
  cancel->SetEnabled(false);
  auto* hbar = new TScrollBar(Form);
  place(hbar, "HBar", 10, 170, 220, 16);
  hbar->SetPosition(30);
  auto* vbar = new TScrollBar(Form);
  vbar->SetKind(sbVertical);
  place(vbar, "VBar", 330, 60, 16, 120);
  vbar->SetPageSize(25);
  vbar->SetPosition(60);
  auto* pages = new TPageControl(Form);
  place(pages, "Pages", 10, 195, 230, 120);
  const char* captions[] = {"General", "Details", "Hidden"};
  for (int i = 0; i < 3; ++i) {
    auto* sheet = new TTabSheet(Form);
    sheet->SetName(std::string("Sheet") + std::to_string(i + 1));
    sheet->SetCaption(captions[i]);
    sheet->SetPageControl(pages);
    auto* onPage = new TLabel(Form);
    place(onPage, (std::string("PageLabel") + std::to_string(i + 1)).c_str(), 8, 8, 0, 0, sheet);
    onPage->SetCaption(std::string("Page: ") + captions[i]);
  }
  pages->GetPage(2)->SetTabVisible(false);
  pages->SetActivePageIndex(1);
  auto* bevel = new TBevel(Form);
  place(bevel, "Bevel", 250, 195, 130, 120);
  bevel->SetShape(bsFrame);
  auto* image = new TImage(Form);
  place(image, "Image", 260, 205, 110, 70);
  TBitmap picture;
  picture.SetSize(40, 20);
  TCanvas* pc = picture.GetCanvas();
  pc->GetBrush()->SetColor(clYellow);
  pc->FillRect({0, 0, 40, 20});
  pc->GetBrush()->SetColor(clGreen);
  pc->FillRect({0, 0, 20, 10});
  pc->FillRect({20, 10, 40, 20});
  image->GetPicture()->Assign(&picture);
  image->SetStretch(true);
  image->SetProportional(true);
  image->SetCenter(true);
  auto* line = new TBevel(Form);
  place(line, "Line", 10, 325, 570, 2);
  line->SetShape(bsTopLine);
  auto* panel = new TPanel(Form);
  place(panel, "Panel", 0, 0, 600, 41);
  panel->SetAlign(alBottom);
  panel->SetBevelInner(bvLowered);
  panel->SetCaption("Panel with a raised and a lowered bevel");
  edit->SetFocus();
  edit->SetSelStart(0);
  edit->SetSelLength(8);
  ProcessEvents();

  QImage shot = Grab(Form);
  std::string file = std::string(QOR_BINARY_DIR) + "/controls-form.png";
  ASSERT_TRUE(shot.save(QString::fromStdString(file), "PNG"));
  std::printf("screenshot: %s\n", file.c_str());
  auto rgb = [&](int x, int y) {
    QRgb c = shot.pixel(x, y);
    return RGB(qRed(c), qGreen(c), qBlue(c));
  };
  // A sunken edit frame: its outer top-left in the shadow colour, the inside white.
  EXPECT_EQ(rgb(80, 10), ColorToRGB(clBtnShadow));
  EXPECT_EQ(rgb(80 + 140, 10 + 10), ColorToRGB(clWindow));
  // The selection of the focused edit is highlighted.
  EXPECT_EQ(rgb(80 + 4, 10 + 5), ColorToRGB(clHighlight));
  // The bound picture (red) fills the stretched image; the plain image shows green.
  EXPECT_EQ(rgb(400 + 40, 190 + 30), clRed);
  EXPECT_EQ(rgb(260 + 30, 205 + 20), clGreen);
  // The panel lies along the bottom with its raised bevel.
  EXPECT_EQ(rgb(0, 430 - 41), ColorToRGB(clBtnHighlight));
}

}  // namespace
