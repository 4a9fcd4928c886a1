// The data text label and the data check box: following record movement, edits, closing
// and a data source that goes away; toggling by Space and click through the field, and
// the toggles that are refused; both read from a form file.
#include <gtest/gtest.h>

#include "framework/core/Exceptions.h"
#include "framework/dbctrls/DBMisc.h"
#include "framework/stream/FormReader.h"
#include "tests/framework/dbctrls/DataControlsFixture.h"

using namespace fw;
using namespace uitest;
using namespace dbtest;

namespace {

using DBTextTest = DataControlsTest;

TEST_F(DBTextTest, ShowsTheFieldOfTheCurrentRecordAsItMoves) {
  OpenPeople();
  auto* text = Place<TDBText>("NameText", 10, 10, 120, 17);
  text->SetCaption("no field");
  EXPECT_EQ(text->GetLabelText(), "no field");
  text->SetDataSource(Source);
  text->SetDataField("Name");
  std::vector<std::string> seen;
  for (People->First(); !People->GetEOF(); People->Next()) seen.push_back(text->GetLabelText());
  EXPECT_EQ(seen, (std::vector<std::string>{"Alice", "Boris", "Carla", "Dmitry", "Erik"}));
  People->Edit();
  People->FieldByName("Name")->SetAsString("Erika");
  EXPECT_EQ(text->GetLabelText(), "Erika");
  People->Cancel();
  EXPECT_EQ(text->GetLabelText(), "Erik");
  People->Close();
  EXPECT_EQ(text->GetField(), nullptr);
  EXPECT_EQ(text->GetLabelText(), "no field");
  People->Open();
  EXPECT_EQ(text->GetLabelText(), "Alice");
  // The data source goes away: the label lets go of it.
  delete Source;
  Source = nullptr;
  EXPECT_EQ(text->GetDataSource(), nullptr);
  EXPECT_EQ(text->GetLabelText(), "no field");
}

TEST_F(DBTextTest, ALookupFieldShowsItsTextAndAutoSizeFollowsTheText) {
  OpenPeople();
  auto* text = Place<TDBText>("LangText", 10, 10, 20, 17);
  text->SetDataSource(Source);
  text->SetDataField("LangName");
  text->SetAutoSize(true);
  std::vector<std::string> seen;
  std::vector<int> widths;
  for (People->First(); !People->GetEOF(); People->Next()) {
    seen.push_back(text->GetLabelText());
    widths.push_back(text->GetWidth());
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"English", "Русский", "Deutsch", "Русский", ""}));
  EXPECT_GT(widths[0], 30);
  EXPECT_EQ(widths[1], widths[3]);
  EXPECT_EQ(widths[4], 0);
  EXPECT_EQ(text->GetHeight(), 13);
}

TEST_F(DBTextTest, PaintsTheTextWithItsAlignment) {
  OpenPeople();
  ShowForm();
  auto* text = Place<TDBText>("NameText", 10, 10, 200, 17);
  text->SetDataSource(Source);
  text->SetDataField("Name");
  ProcessEvents();
  QImage left = Grab(Form);
  EXPECT_GT(DarkPixels(left, QRect(10, 10, 40, 17)), 10);
  EXPECT_EQ(DarkPixels(left, QRect(160, 10, 50, 17)), 0);
  text->SetAlignment(taRightJustify);
  ProcessEvents();
  QImage right = Grab(Form);
  EXPECT_EQ(DarkPixels(right, QRect(10, 10, 40, 17)), 0);
  EXPECT_GT(DarkPixels(right, QRect(160, 10, 50, 17)), 10);
}

// ---- the check box --------------------------------------------------------------------

using DBCheckBoxTest = DataControlsTest;

TEST_F(DBCheckBoxTest, TheStateFollowsTheFieldValue) {
  OpenPeople();
  auto* box = Place<TDBCheckBox>("ActiveBox", 10, 10, 100, 17);
  box->SetDataSource(Source);
  box->SetDataField("Active");
  std::vector<TCheckBoxState> states;
  for (People->First(); !People->GetEOF(); People->Next()) states.push_back(box->GetState());
  EXPECT_EQ(states, (std::vector<TCheckBoxState>{cbChecked, cbUnchecked, cbGrayed, cbChecked, cbUnchecked}));

  // A text field: its text among ValueChecked or ValueUnchecked (without case), else grey.
  box->SetDataField("Name");
  box->SetValueChecked("alice;Dmitry");
  box->SetValueUnchecked("Boris");
  states.clear();
  for (People->First(); !People->GetEOF(); People->Next()) states.push_back(box->GetState());
  EXPECT_EQ(states, (std::vector<TCheckBoxState>{cbChecked, cbUnchecked, cbGrayed, cbChecked, cbGrayed}));
}

TEST_F(DBCheckBoxTest, SpaceAndClickToggleThroughTheField) {
  OpenPeople();
  ShowForm();
  auto* box = Place<TDBCheckBox>("ActiveBox", 10, 10, 100, 17);
  box->SetCaption("Active");
  box->SetDataSource(Source);
  box->SetDataField("Active");
  TTrace trace;
  box->SetOnClick(Method<&TTrace::Click>(&trace));
  box->SetFocus();
  TypeKey(box, Qt::Key_Space);
  EXPECT_EQ(People->GetState(), dsEdit);
  EXPECT_FALSE(People->FieldByName("Active")->GetAsBoolean());
  EXPECT_EQ(box->GetState(), cbUnchecked);
  ClickAt(box);
  EXPECT_TRUE(People->FieldByName("Active")->GetAsBoolean());
  EXPECT_EQ(box->GetState(), cbChecked);
  EXPECT_EQ(trace.Str(), "click ActiveBox;click ActiveBox");
  People->Post();
  EXPECT_TRUE(People->FieldByName("Active")->GetAsBoolean());

  // A grey (null) value toggles to checked; a text field takes the first value of the list.
  People->Locate("Id", Variant(3), {});
  TypeKey(box, Qt::Key_Space);
  EXPECT_TRUE(People->FieldByName("Active")->GetAsBoolean());
  People->Cancel();
  box->SetDataField("Name");
  box->SetValueChecked("Yes;Y");
  box->SetValueUnchecked("No;N");
  TypeKey(box, Qt::Key_Space);
  EXPECT_EQ(Name(), "Yes");
  TypeKey(box, Qt::Key_Space);
  EXPECT_EQ(Name(), "No");
}

TEST_F(DBCheckBoxTest, ReadOnlyControlsFieldsAndDataSetsRefuseTheToggle) {
  struct Case {
    const char* what;
    bool boxReadOnly, fieldReadOnly, dataSetReadOnly, autoEdit;
  };
  const Case cases[] = {
      {"check box read-only", true, false, false, true},
      {"field read-only", false, true, false, true},
      {"dataset read-only", false, false, true, true},
      {"no AutoEdit", false, false, false, false},
  };
  OpenPeople();
  ShowForm();
  auto* box = Place<TDBCheckBox>("ActiveBox", 10, 10, 100, 17);
  box->SetDataSource(Source);
  box->SetDataField("Active");
  TTrace trace;
  box->SetOnClick(Method<&TTrace::Click>(&trace));
  box->SetFocus();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    box->SetReadOnly(c.boxReadOnly);
    People->FieldByName("Active")->SetReadOnly(c.fieldReadOnly);
    People->SetReadOnly(c.dataSetReadOnly);
    Source->SetAutoEdit(c.autoEdit);
    TypeKey(box, Qt::Key_Space);
    ClickAt(box);
    EXPECT_EQ(People->GetState(), dsBrowse);
    EXPECT_TRUE(People->FieldByName("Active")->GetAsBoolean());
    EXPECT_EQ(box->GetState(), cbChecked);
    EXPECT_EQ(trace.Str(), "");
  }
}

const char* const kMiscForm = R"(object MiscForm: TForm
  Left = 0
  Top = 0
  Width = 300
  Height = 120
  object NameText: TDBText
    Left = 8
    Top = 8
    Width = 120
    Height = 17
    DataField = 'Name'
    DataSource = DataDM.Source
    Alignment = taCenter
  end
  object ActiveBox: TDBCheckBox
    Left = 8
    Top = 32
    Width = 120
    Height = 17
    Caption = 'Active'
    DataField = 'Active'
    DataSource = DataDM.Source
    ValueChecked = 'T'
    TabOrder = 0
  end
end
)";

TEST_F(DBTextTest, BothComeFromAFormFile) {
  RegisterDBMiscClasses();
  OpenPeople();
  auto* form = static_cast<TForm*>(ReadComponentText(kMiscForm, nullptr));
  auto* text = static_cast<TDBText*>(form->FindComponent("NameText"));
  auto* box = static_cast<TDBCheckBox*>(form->FindComponent("ActiveBox"));
  ASSERT_TRUE(text && box);
  EXPECT_EQ(text->GetDataSource(), Source);
  EXPECT_EQ(text->GetAlignment(), taCenter);
  EXPECT_EQ(text->GetLabelText(), "Alice");
  EXPECT_EQ(box->GetValueChecked(), "T");
  EXPECT_EQ(box->GetState(), cbChecked);
  delete form;
}

}  // namespace
