// Lookup and calculated fields: binding at open in its order of calls, per-record values
// from the lookup dataset or the lookup list, recomputation when a key changes, and the
// errors of incomplete lookups. Persistent fields from form files.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/core/DataModule.h"
#include "framework/core/Exceptions.h"
#include "framework/data/DataClasses.h"
#include "framework/data/MemDataSet.h"
#include "framework/stream/FormReader.h"
#include "framework/stream/FormWriter.h"

namespace {

using namespace fw;

std::vector<std::string> gCalls;

/// A lookup field that records when the dataset asks for its size and binds it.
class TTracedLookupField : public TStringField {
 public:
  explicit TTracedLookupField(TComponent* owner) : TStringField(owner) {}
  int GetDataSize() const override {
    if (GetDataSet() && GetDataSet()->GetState() == dsInactive) gCalls.push_back("size");
    return TStringField::GetDataSize();
  }
  void BindLookup() override {
    gCalls.push_back(std::string("bind, lookup open ") +
                     (GetLookupDataSet() && GetLookupDataSet()->GetActive() ? "yes" : "no"));
    TStringField::BindLookup();
  }
};

class TTracedDataSet : public TMemDataSet {
 public:
  explicit TTracedDataSet(TComponent* owner) : TMemDataSet(owner) {}
  void AfterOpen(TDataSet* ds) { gCalls.push_back("after open, browse " + std::to_string(ds->GetState() == dsBrowse)); }

 protected:
  void OpenCursorComplete() override {
    gCalls.push_back("cursor complete, inactive " + std::to_string(GetState() == dsInactive));
  }
};

class LookupFieldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gCalls.clear();
    Langs = new TMemDataSet(&Owner);
    Langs->SetName("QLang");
    Langs->GetFieldDefs()->Add("Id", ftSmallint);
    Langs->GetFieldDefs()->Add("Name", ftString, 20);
    Langs->CreateDataSet();
    for (auto [id, name] : std::vector<std::pair<int, std::string>>{{1, "English"}, {2, "Русский"}, {3, "Deutsch"}}) {
      Langs->Append();
      Langs->FieldByName("Id")->SetAsInteger(id);
      Langs->FieldByName("Name")->SetAsString(name);
      Langs->Post();
    }
    Langs->Close();  // the lookup binding opens it

    People = new TTracedDataSet(&Owner);
    People->SetName("TbPeople");
    auto* id = new TIntegerField(&Owner);
    id->SetFieldName("id");
    id->SetDataSet(People);
    auto* lang = new TSmallintField(&Owner);
    lang->SetFieldName("Lang");
    lang->SetDataSet(People);
    LangName = new TTracedLookupField(&Owner);
    LangName->SetFieldName("LangName");
    LangName->SetDisplayLabel("Language");
    LangName->SetFieldKind(fkLookup);
    LangName->SetKeyFields("Lang");
    LangName->SetLookupDataSet(Langs);
    LangName->SetLookupKeyFields("Id");
    LangName->SetLookupResultField("Name");
    LangName->SetDataSet(People);
    People->SetAfterOpen(Method<&TTracedDataSet::AfterOpen>(People));
  }
  void AddPeople() {
    int rows[][2] = {{1, 2}, {2, 1}, {3, 99}, {4, 3}};
    for (auto& r : rows) {
      People->Append();
      People->FieldByName("id")->SetAsInteger(r[0]);
      People->FieldByName("Lang")->SetAsInteger(r[1]);
      People->Post();
    }
    People->First();
  }

  TComponent Owner{nullptr};
  TMemDataSet* Langs = nullptr;
  TTracedDataSet* People = nullptr;
  TTracedLookupField* LangName = nullptr;
};

TEST_F(LookupFieldTest, OpeningSizesThenBindsThenCompletesThenBrowses) {
  People->Open();
  EXPECT_EQ(gCalls, (std::vector<std::string>{"size", "bind, lookup open no", "cursor complete, inactive 1",
                                              "after open, browse 1"}));
  EXPECT_TRUE(Langs->GetActive());
}

TEST_F(LookupFieldTest, ValuesComeFromTheLookupDataSetOrTheLookupList) {
  for (bool cache : {false, true}) {
    SCOPED_TRACE(cache ? "LookupCache" : "Lookup");
    People->Close();
    LangName->SetLookupCache(cache);
    People->Open();
    if (People->IsEmpty()) AddPeople();
    People->First();
    std::vector<std::string> names;
    for (; !People->GetEOF(); People->Next()) names.push_back(LangName->GetAsString());
    EXPECT_EQ(names, (std::vector<std::string>{"Русский", "English", "", "Deutsch"}));
    People->SetRecNo(3);
    EXPECT_TRUE(LangName->IsNull());
    EXPECT_EQ(LangName->GetLookupList().Count(), cache ? 3u : 0u);
    // Changing the key recomputes the value at once.
    People->Edit();
    People->FieldByName("Lang")->SetAsInteger(1);
    EXPECT_EQ(LangName->GetAsString(), "English");
    People->Cancel();
    EXPECT_TRUE(LangName->IsNull());
  }
}

TEST_F(LookupFieldTest, IncompleteOrWrongLookupsFailToOpen) {
  struct Case {
    std::function<void()> spoil;
    const char* message;
  };
  const Case cases[] = {
      {[&] { LangName->SetKeyFields(""); }, "Lookup information for field 'Language' is incomplete"},
      {[&] { LangName->SetLookupDataSet(nullptr); }, "Lookup information for field 'Language' is incomplete"},
      {[&] { LangName->SetLookupResultField("Nope"); }, "QLang: Field 'Nope' not found"},
      {[&] { LangName->SetLookupKeyFields("Code"); }, "QLang: Field 'Code' not found"},
      {[&] { LangName->SetKeyFields("Language"); }, "TbPeople: Field 'Language' not found"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    LangName->SetKeyFields("Lang");
    LangName->SetLookupDataSet(Langs);
    LangName->SetLookupKeyFields("Id");
    LangName->SetLookupResultField("Name");
    c.spoil();
    try {
      People->Open();
      ADD_FAILURE() << "opened";
    } catch (const EDatabaseError& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
    EXPECT_FALSE(People->GetActive());
  }
}

TEST_F(LookupFieldTest, FreeingTheLookupDataSetClearsTheReference) {
  delete Langs;
  EXPECT_EQ(LangName->GetLookupDataSet(), nullptr);
  EXPECT_THROW(People->Open(), EDatabaseError);
}

class TCalcOwner : public TComponent {
 public:
  explicit TCalcOwner(TComponent* owner) : TComponent(owner) {}
  void Calc(TDataSet* ds) {
    ds->FieldByName("Upper")->SetAsString(ds->FieldByName("Name")->GetAsString() + "!");
  }
};

TEST(CalculatedFieldTest, OnCalcFieldsFillsCalculatedFieldsOfEveryRecord) {
  TComponent owner(nullptr);
  auto* ds = new TMemDataSet(&owner);
  auto* name = new TStringField(&owner);
  name->SetFieldName("Name");
  name->SetDataSet(ds);
  auto* upper = new TStringField(&owner);
  upper->SetFieldName("Upper");
  upper->SetFieldKind(fkCalculated);
  upper->SetDataSet(ds);
  auto* calc = new TCalcOwner(&owner);
  ds->SetOnCalcFields(Method<&TCalcOwner::Calc>(calc));
  ds->Open();
  ds->Append();
  name->SetAsString("ab");
  EXPECT_EQ(upper->GetAsString(), "ab!");
  ds->Post();
  EXPECT_EQ(upper->GetAsString(), "ab!");
  EXPECT_THROW(upper->SetAsString("x"), EDatabaseError);  // outside the calculation
}

TEST(PersistentFieldTest, FieldsReadFromAFormFileBindByName) {
  RegisterDataClasses();
  const std::string form =
      "object DM1: TDataModule\n"
      "  OldCreateOrder = False\n"
      "  object TbCont: TMemDataSet\n"
      "    IndexFieldNames = 'Name'\n"
      "    object TbContId: TSmallintField\n"
      "      DisplayLabel = 'id'\n"
      "      DisplayWidth = 5\n"
      "      FieldName = 'Id'\n"
      "    end\n"
      "    object TbContName: TStringField\n"
      "      FieldName = 'Name'\n"
      "    end\n"
      "  end\n"
      "  object DSCont: TDataSource\n"
      "    DataSet = TbCont\n"
      "  end\n"
      "end\n";
  std::unique_ptr<TComponent> dm(ReadComponentText(form, nullptr));
  auto* cont = static_cast<TMemDataSet*>(dm->FindComponent("TbCont"));
  ASSERT_EQ(cont->GetFieldCount(), 2);
  EXPECT_EQ(cont->GetField(0), dm->FindComponent("TbContId"));
  EXPECT_EQ(cont->GetField(1)->GetSize(), 20);
  EXPECT_EQ(cont->GetField(0)->GetDataSize(), 2);
  EXPECT_EQ(cont->GetField(1)->GetDataSize(), 21);
  EXPECT_EQ(WriteComponentText(dm.get()), form);
  cont->Open();
  cont->Append();
  cont->FieldByName("Id")->SetAsInteger(3);
  cont->FieldByName("Name")->SetAsString("Asia");
  cont->Post();
  EXPECT_EQ(cont->FieldByName("name")->GetDisplayText(), "Asia");
}

}  // namespace
