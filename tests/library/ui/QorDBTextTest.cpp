// The lookup text label on the language model of the demonstration: people whose
// language is looked up in a languages table ("id;Name" shown, "Font" added, stored in the
// record); the label shows chosen result values of the person's language, follows the
// record, repaints when LookField changes, behaves as the framework's label on other
// fields, and is read from form files.
#include <QImage>
#include <QTest>

#include <string>
#include <vector>

#include "framework/core/DataModule.h"
#include "framework/data/DataSource.h"
#include "framework/data/MemDataSet.h"
#include "framework/stream/FormReader.h"
#include "framework/stream/FormWriter.h"
#include "framework/ui/Forms.h"
#include "library/QorLook.h"
#include "library/QorLookUi.h"
#include "tests/support/UiTestSupport.h"

using namespace fw;
using namespace uitest;
using qor::TQorDBText;
using qor::TQorLookField;

namespace {

/// An in-memory dataset that prepares its lookup fields right after its cursor opens, as
/// the library's tables and queries do.
class THookedDataSet : public TMemDataSet {
 public:
  explicit THookedDataSet(TComponent* owner) : TMemDataSet(owner) {}

 protected:
  void OpenCursorComplete() override { qor::PrepareLookupFields(this); }
};

TField* AddField(TComponent* owner, TDataSet* ds, const TClassInfo& cls, const std::string& name, int size = 0) {
  auto* f = static_cast<TField*>(cls.CreateComponent(owner));
  if (size) f->SetSize(size);
  f->SetFieldName(name);
  f->SetDataSet(ds);
  return f;
}

/// A data module "TxDM" with the languages (Id, Name, Font) and the people (Id, Name,
/// Lang, the lookup field LangName and Note, a TQorLookField used as a plain data field);
/// people: Anna speaks Русский, Boris a language that is not in the table, Clara English.
class QorDBTextTest : public TUiTest {
 protected:
  void SetUp() override {
    TUiTest::SetUp();
    qor::RegisterQorLookUiClasses();
    DM = new TDataModule(nullptr);
    DM->SetName("TxDM");
    auto* langs = new THookedDataSet(DM);
    langs->SetName("QLang");
    AddField(DM, langs, TSmallintField::StaticClass(), "Id")->SetDisplayLabel("id");
    AddField(DM, langs, TStringField::StaticClass(), "Name", 20);
    AddField(DM, langs, TStringField::StaticClass(), "Font", 20);
    langs->Open();
    for (auto [id, name, font] : std::vector<std::tuple<int, const char*, const char*>>{
             {1, "English", "Arial"}, {2, "Русский", "Times New Roman"}, {3, "Deutsch", "DejaVu Sans"}}) {
      langs->Append();
      langs->FieldByName("Id")->SetAsInteger(id);
      langs->FieldByName("Name")->SetAsString(name);
      langs->FieldByName("Font")->SetAsString(font);
      langs->Post();
    }
    People = new THookedDataSet(DM);
    People->SetName("TbPeople");
    AddField(DM, People, TIntegerField::StaticClass(), "Id");
    AddField(DM, People, TStringField::StaticClass(), "Name", 20);
    AddField(DM, People, TSmallintField::StaticClass(), "Lang");
    AddField(DM, People, TQorLookField::StaticClass(), "Note", 20);
    auto* langName = new TQorLookField(DM);
    langName->SetFieldName("LangName");
    langName->SetSize(25);
    langName->SetFieldKind(fkLookup);
    langName->SetLookupDataSet(langs);
    langName->SetLookupKeyFields("Id");
    langName->SetKeyFields("Lang");
    langName->SetLookupResultField("id;Name");
    langName->SetLookupAddFields("Font");
    langName->SetStoreLookupData(true);
    langName->SetDataSet(People);
    People->Open();
    for (auto [id, name, lang] : std::vector<std::tuple<int, const char*, int>>{
             {1, "Anna", 2}, {2, "Boris", 99}, {3, "Clara", 1}}) {
      People->Append();
      People->FieldByName("Id")->SetAsInteger(id);
      People->FieldByName("Name")->SetAsString(name);
      People->FieldByName("Lang")->SetAsInteger(lang);
      People->FieldByName("Note")->SetAsString("note " + std::string(name));
      People->Post();
    }
    People->First();
    Source = new TDataSource(DM);
    Source->SetName("DSPeople");
    Source->SetDataSet(People);
    Form = new TForm(nullptr);
    Form->SetBounds(100, 60, 300, 120);
    Label = new TQorDBText(Form);
    Label->SetName("LangFont");
    Label->SetBounds(10, 10, 250, 17);
    Label->SetParent(Form);
    Label->SetDataSource(Source);
    Label->SetDataField("LangName");
    Label->SetLookField("Font");
  }
  void TearDown() override {
    TUiTest::TearDown();
    delete DM;
  }
  /// The label's text for each person, in the table's order.
  std::vector<std::string> TextPerPerson() {
    std::vector<std::string> seen;
    for (People->First(); !People->GetEOF(); People->Next()) seen.push_back(Label->GetLabelText());
    People->First();
    return seen;
  }
  /// Pixels of the label's area that are much darker than the form's background.
  int DarkPixels() {
    ProcessEvents();
    QImage image = Grab(Form);
    int n = 0;
    for (int y = Label->GetTop(); y < Label->GetTop() + Label->GetHeight(); ++y)
      for (int x = Label->GetLeft(); x < Label->GetLeft() + Label->GetWidth(); ++x)
        if (image.pixelColor(x, y).lightness() < 100) ++n;
    return n;
  }

  TDataModule* DM = nullptr;
  THookedDataSet* People = nullptr;
  TDataSource* Source = nullptr;
  TForm* Form = nullptr;
  TQorDBText* Label = nullptr;
};

TEST_F(QorDBTextTest, ShowsTheChosenValuesOfThePersonsLanguageRecord) {
  struct Case {
    const char* LookField;
    std::vector<std::string> Texts;  // Anna, Boris (no such language), Clara
  };
  const Case cases[] = {
      {"Font", {"Times New Roman", "", "Arial"}},
      {"Font;Name", {"Times New Roman Русский", "", "Arial English"}},
      // Names ignore case and blanks; the key column of a missing language shows its code.
      {"name ; ID", {"Русский 2", "99", "English 1"}},
      {"Colour;Font;Size", {"Times New Roman", "", "Arial"}},  // unknown names are passed over
      {"", {"", "", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.LookField);
    Label->SetLookField(c.LookField);
    EXPECT_EQ(TextPerPerson(), c.Texts);
  }
}

TEST_F(QorDBTextTest, OtherFieldsShowAsTheFrameworkLabelShowsThem) {
  // A plain string field: its display text, whatever LookField says.
  Label->SetDataField("Name");
  EXPECT_EQ(TextPerPerson(), (std::vector<std::string>{"Anna", "Boris", "Clara"}));
  // A lookup field of the class that is used as a plain data field has no result fields.
  Label->SetDataField("Note");
  EXPECT_EQ(TextPerPerson(), (std::vector<std::string>{"", "", ""}));
  // No field: the caption.
  Label->SetCaption("no field");
  Label->SetDataField("");
  EXPECT_EQ(Label->GetLabelText(), "no field");
  Label->SetDataField("LangName");
  People->Close();
  EXPECT_EQ(Label->GetLabelText(), "no field");
}

TEST_F(QorDBTextTest, PaintsTheValuesAndRepaintsAtOnceWhenLookFieldChanges) {
  Form->Show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(WidgetOf(Form)));
  int font = DarkPixels();
  EXPECT_GT(font, 100);  // "Times New Roman"
  Label->SetLookField("");
  EXPECT_EQ(DarkPixels(), 0);
  Label->SetLookField("Name");
  int name = DarkPixels();
  EXPECT_GT(name, 20);  // "Русский"
  EXPECT_LT(name, font);
  // Moving to another person repaints through the data link.
  People->Next();
  EXPECT_EQ(DarkPixels(), 0);
  People->Next();
  EXPECT_GT(DarkPixels(), 20);  // "English"
  // With AutoSize the label takes the width of the new text.
  Label->SetAutoSize(true);
  int english = Label->GetWidth();
  Label->SetLookField("Font;Name");
  EXPECT_GT(Label->GetWidth(), english);
}

TEST_F(QorDBTextTest, LookFieldIsReadFromAndWrittenToFormFiles) {
  const char* text =
      "object TxForm: TForm\n"
      "  object LangFont: TQorDBText\n"
      "    Left = 10\n    Top = 10\n    Width = 200\n    Height = 17\n"
      "    DataField = 'LangName'\n    DataSource = TxDM.DSPeople\n    LookField = 'Font;Name'\n"
      "  end\n"
      "end\n";
  auto* form = new TForm(nullptr);
  ReadComponentInto(text, form);
  auto* label = dynamic_cast<TQorDBText*>(form->FindComponent("LangFont"));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->GetLookField(), "Font;Name");
  EXPECT_EQ(label->GetLabelText(), "Times New Roman Русский");
  std::string written = WriteComponentText(form);
  EXPECT_NE(written.find("    DataField = 'LangName'\n    DataSource = TxDM.DSPeople\n    LookField = 'Font;Name'\n"),
            std::string::npos)
      << written;
  delete form;
}

}  // namespace
