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
#include "tests/support/ExpectError.h"

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

/// Three closed datasets A, B and C, each with an Id field, and lookup fields made on demand.
class CircularLookupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"A", "B", "C"}) {
      auto* ds = new TMemDataSet(&Owner);
      ds->SetName(name);
      auto* id = new TIntegerField(&Owner);
      id->SetFieldName("Id");
      id->SetDataSet(ds);
      Ds.push_back(ds);
    }
  }
  /// A lookup field of `ds` (null: not attached yet) that looks up in `lookup`.
  TField* Lookup(TDataSet* ds, TDataSet* lookup) {
    auto* f = new TIntegerField(&Owner);
    f->SetFieldName("Ref" + std::to_string(++FCount));
    f->SetFieldKind(fkLookup);
    f->SetKeyFields("Id");
    f->SetLookupKeyFields("Id");
    f->SetLookupResultField("Id");
    Made.push_back(f);
    if (lookup) f->SetLookupDataSet(lookup);
    if (ds) f->SetDataSet(ds);
    return f;
  }
  /// Frees the lookup fields made after the first `keep`.
  void FreeLookups(std::size_t keep) {
    while (Made.size() > keep) {
      delete Made.back();
      Made.pop_back();
    }
  }

  TComponent Owner{nullptr};
  std::vector<TMemDataSet*> Ds;
  std::vector<TField*> Made;
  int FCount = 0;
};

TEST_F(CircularLookupTest, RingsOfLookupDataSetsAreRefusedOnEveryPath) {
  TMemDataSet *a = Ds[0], *b = Ds[1], *c = Ds[2];
  struct Case {
    const char* what;
    std::function<void()> closeRing;
  };
  const Case cases[] = {
      {"own dataset, DataSet last", [&] { Lookup(nullptr, a)->SetDataSet(a); }},
      {"own dataset, LookupDataSet last", [&] { Lookup(a, nullptr)->SetLookupDataSet(a); }},
      {"two, DataSet last", [&] { Lookup(nullptr, a)->SetDataSet(b); }},
      {"two, LookupDataSet last", [&] { Lookup(b, nullptr)->SetLookupDataSet(a); }},
      {"three, DataSet last", [&] { Lookup(nullptr, a)->SetDataSet(c); }},
      {"three, LookupDataSet last", [&] { Lookup(c, nullptr)->SetLookupDataSet(a); }},
  };
  Lookup(a, b);  // A looks up in B
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    if (std::string(k.what).rfind("three", 0) == 0) Lookup(b, c);  // B looks up in C
    ExpectError<EDatabaseError>(k.closeRing, "Circular datalinks are not allowed");
    TField* refused = Made.back();  // kept its dataset or its lookup dataset, not both
    EXPECT_TRUE(!refused->GetDataSet() || !refused->GetLookupDataSet());
    FreeLookups(1);
    // Nothing of the ring is left: A opens, with B that it needs.
    a->Open();
    EXPECT_TRUE(b->GetActive());
    a->Close();
    b->Close();
    c->Close();
  }
  // A chain without a ring is no error.
  Lookup(b, c);
  a->Open();
  EXPECT_TRUE(c->GetActive());
}

/// A lookup field that opens its own dataset while it is bound: the ring that no setter
/// can see.
class TSelfOpeningField : public TIntegerField {
 public:
  explicit TSelfOpeningField(TComponent* owner) : TIntegerField(owner) {}
  void BindLookup() override { GetDataSet()->Open(); }
};

TEST_F(CircularLookupTest, OpeningADataSetWhileItOpensIsRefused) {
  auto* f = new TSelfOpeningField(&Owner);
  f->SetFieldName("Self");
  f->SetFieldKind(fkLookup);
  f->SetDataSet(Ds[0]);
  ExpectError<EDatabaseError>([&] { Ds[0]->Open(); }, "A: Circular datalinks are not allowed");
  EXPECT_FALSE(Ds[0]->GetActive());
  delete f;
  Ds[0]->Open();
  EXPECT_EQ(Ds[0]->GetFieldCount(), 1);
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
