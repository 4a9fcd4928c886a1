// The demonstration's start-up without windows: the alias, the tables and their data, the
// data module read from its built-in form file with all its datasets open, the lookup
// fields on the module's own data, and the edit-data handlers behind published events.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "demo/DModLk.h"
#include "demo/DemoData.h"
#include "demo/InitAlias.h"
#include "framework/core/Exceptions.h"
#include "framework/core/TypInfo.h"
#include "framework/data/DataSet.h"
#include "framework/data/DataSource.h"
#include "framework/engine/DBDataSet.h"
#include "framework/engine/Session.h"
#include "framework/stream/FormWriter.h"
#include "library/QorDB.h"
#include "library/QorLook.h"

namespace {

using namespace fw;
namespace fs = std::filesystem;

const TConfigMode AllModes{cfmVirtual, cfmPersistent, cfmSession};

/// A temporary directory for the tables and the alias store, and no "QorExample" alias
/// in the session before or after the test.
class DemoFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    Dir = fs::temp_directory_path() / ("qor_demo_" + std::to_string(::getpid()) + "_" + test);
    fs::remove_all(Dir);
    fs::create_directories(Dir);
    TablesDir = (Dir / "tables").string();
    setenv("QOR_ALIAS_STORE", (Dir / "aliases.conf").c_str(), 1);
    qor::InitializeUnits();
    demo::RegisterDemoClasses();
    ForgetAlias();
  }
  void TearDown() override {
    ForgetAlias();
    fs::remove_all(Dir);
  }
  void ForgetAlias() {
    Session()->SetConfigMode({cfmSession});
    if (Session()->IsAlias(demo::DemoAliasName)) Session()->DeleteAlias(demo::DemoAliasName);
    Session()->SetConfigMode(AllModes);
  }
  std::string AliasPath() const {
    for (const std::string& p : Session()->GetAliasParams(demo::DemoAliasName))
      if (p.rfind("PATH=", 0) == 0) return p.substr(5);
    return {};
  }

  fs::path Dir;
  std::string TablesDir;
};

// ---- the alias --------------------------------------------------------------------

using InitAliasTest = DemoFixture;

TEST_F(InitAliasTest, AddsTheAliasForTheSessionOnlyWhenAbsent) {
  struct Case {
    const char* what;
    bool storedElsewhere;  // the store already holds "QorExample" pointing elsewhere
    TConfigMode modeBefore;
    std::string dir;
    bool raises;
    std::string path;  // the alias's path afterwards ("" when there is none)
  };
  const std::string elsewhere = (Dir / "elsewhere").string();
  const Case cases[] = {
      {"absent", false, {cfmPersistent}, TablesDir, false, TablesDir},
      {"stored elsewhere", true, AllModes, TablesDir, false, elsewhere},
      {"adding fails", false, {cfmSession}, "bad\npath", true, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(Dir / "aliases.conf");
    if (c.storedElsewhere) Session()->AddStandardAlias(demo::DemoAliasName, elsewhere, "PARADOX");
    Session()->SetConfigMode(c.modeBefore);
    if (c.raises) {
      EXPECT_THROW(demo::InitAlias(c.dir), EDatabaseError);
    } else {
      demo::InitAlias(c.dir);
    }
    // Adding leaves all three modes set, even after a failure.
    EXPECT_EQ(Session()->GetConfigMode(), AllModes);
    Session()->SetConfigMode(AllModes);
    EXPECT_EQ(Session()->IsAlias(demo::DemoAliasName), !c.path.empty());
    if (!c.path.empty()) {
      EXPECT_EQ(AliasPath(), c.path);
      EXPECT_EQ(Session()->GetAliasDriverName(demo::DemoAliasName), szCFGDBSTANDARD);
    }
    // Only what the test stored is in the store: InitAlias adds to the session.
    Session()->SetConfigMode({cfmPersistent});
    EXPECT_EQ(Session()->IsAlias(demo::DemoAliasName), c.storedElsewhere);
    if (c.storedElsewhere) Session()->DeleteAlias(demo::DemoAliasName);
    ForgetAlias();
  }
}

TEST_F(InitAliasTest, AnAliasOfThisSessionIsKept) {
  demo::InitAlias(TablesDir);
  demo::InitAlias((Dir / "other").string());
  EXPECT_EQ(AliasPath(), TablesDir);
}

// ---- the tables -------------------------------------------------------------------

using DemoTablesTest = DemoFixture;

TEST_F(DemoTablesTest, TablesAreCreatedOnceAndKeptWhenPresent) {
  const std::vector<std::string> all{"People.db", "Cont.db", "Prof.db", "Country.DB", "Lang.DB"};
  EXPECT_EQ(demo::CreateDemoTables(TablesDir), all);
  for (const std::string& name : all) EXPECT_TRUE(fs::is_regular_file(fs::path(TablesDir) / name)) << name;

  Session()->SetConfigMode({cfmSession});
  Session()->AddStandardAlias("DemoTables", TablesDir, "PARADOX");
  Session()->SetConfigMode(AllModes);
  TComponent owner(nullptr);
  auto table = [&](const std::string& name) {
    auto* t = new TTable(&owner);
    t->SetDatabaseName("DemoTables");
    t->SetTableName(name);
    return t;
  };

  // The indexes that the data module's orders need.
  struct IndexCase {
    const char* table;
    std::vector<std::string> indexFields;
  };
  const IndexCase indexCases[] = {
      {"People.db", {"id", "Name"}}, {"Cont.db", {"Id"}}, {"Prof.db", {"Id"}},
      {"Country.DB", {"Id"}},        {"Lang.DB", {}},
  };
  for (const auto& c : indexCases) {
    SCOPED_TRACE(c.table);
    TTable* t = table(c.table);
    t->Open();
    EXPECT_GT(t->GetRecordCount(), 0);
    t->GetIndexDefs()->Update();
    std::vector<std::string> fields;
    for (int i = 0; i < t->GetIndexDefs()->GetCount(); ++i) fields.push_back(t->GetIndexDefs()->GetItem(i)->GetFields());
    EXPECT_EQ(fields, c.indexFields);
    t->Close();
  }

  TTable* people = table("People.db");
  people->Open();
  ASSERT_TRUE(people->Locate("id", Variant(1), {}));
  people->Edit();
  people->FieldByName("Name")->SetAsString("Changed by the test");
  people->Post();
  const int count = people->GetRecordCount();
  people->Close();

  // Present tables stay as they are; a missing one is made again.
  EXPECT_TRUE(demo::CreateDemoTables(TablesDir).empty());
  fs::remove(fs::path(TablesDir) / "Lang.DB");
  EXPECT_EQ(demo::CreateDemoTables(TablesDir), std::vector<std::string>{"Lang.DB"});
  people->Open();
  EXPECT_EQ(people->GetRecordCount(), count);
  ASSERT_TRUE(people->Locate("id", Variant(1), {}));
  EXPECT_EQ(people->FieldByName("Name")->GetAsString(), "Changed by the test");
  people->Close();
  Session()->SetConfigMode({cfmSession});
  Session()->DeleteAlias("DemoTables");
  Session()->SetConfigMode(AllModes);
}

// ---- the data module --------------------------------------------------------------

/// The module read from its form file over fresh demonstration tables, its datasets
/// opened as at start-up (Tag ending in 9, component order). The tables are made once
/// for the suite and copied for each test.
class DemoModuleTest : public DemoFixture {
 protected:
  static void SetUpTestSuite() {
    Template = fs::temp_directory_path() / ("qor_demo_" + std::to_string(::getpid()) + "_tables");
    fs::remove_all(Template);
    demo::CreateDemoTables(Template.string());
  }
  static void TearDownTestSuite() { fs::remove_all(Template); }

  void SetUp() override {
    DemoFixture::SetUp();
    fs::copy(Template, TablesDir);
    demo::InitAlias(TablesDir);
    DM = std::make_unique<demo::TDM1>(nullptr);
    DM->LoadForm();
    for (int i = 0; i < DM->GetComponentCount(); ++i) {
      auto* ds = dynamic_cast<TDataSet*>(DM->GetComponent(i));
      if (ds && ds->GetTag() % 10 == 9) {
        ds->Open();
        Opened.push_back(ds->GetName());
      }
    }
  }
  void TearDown() override {
    DM.reset();
    DemoFixture::TearDown();
  }
  TDataSet* DataSet(const std::string& name) const { return DM->ComponentAs<TDataSet>(name); }
  qor::TQorLookField* LookField(const std::string& name) const { return DM->ComponentAs<qor::TQorLookField>(name); }

  static inline fs::path Template;
  std::unique_ptr<demo::TDM1> DM;
  std::vector<std::string> Opened;
};

TEST_F(DemoModuleTest, AllNineDataSetsOpenInComponentOrder) {
  EXPECT_EQ(DM->GetName(), "DM1");
  EXPECT_EQ(Opened, (std::vector<std::string>{"TbPeople", "TbCont", "TbProf", "TbCountry", "QCont", "QProf",
                                              "QCountry", "TbLang", "QLang"}));
  for (const std::string& name : Opened) {
    SCOPED_TRACE(name);
    EXPECT_EQ(DataSet(name)->GetState(), dsBrowse);
    EXPECT_GT(DataSet(name)->GetRecordCount(), 0);
  }
  EXPECT_EQ(DataSet("QCont")->GetRecordCount(), DataSet("TbCont")->GetRecordCount());
  EXPECT_EQ(DM->ComponentAs<TDataSource>("DSQLang")->GetDataSet(), DataSet("QLang"));
}

TEST_F(DemoModuleTest, QLangIsOrderedByIdAndPeopleByName) {
  struct Case {
    const char* dataSet;
    const char* field;
    bool strictly;
  };
  const Case cases[] = {{"QLang", "Id", true}, {"TbPeople", "Name", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dataSet);
    TDataSet* ds = DataSet(c.dataSet);
    ds->First();
    Variant previous = ds->FieldByName(c.field)->GetValue();
    for (ds->Next(); !ds->GetEOF(); ds->Next()) {
      Variant value = ds->FieldByName(c.field)->GetValue();
      int order = Variant::Compare(previous, value);
      EXPECT_TRUE(c.strictly ? order < 0 : order <= 0) << previous.AsString() << " before " << value.AsString();
      previous = value;
    }
  }
  EXPECT_EQ(DataSet("QLang")->GetRecordCount(), DataSet("TbLang")->GetRecordCount());
  // The table itself keeps the order in which the languages were written.
  DataSet("TbLang")->First();
  DataSet("QLang")->First();
  EXPECT_NE(DataSet("TbLang")->FieldByName("Id")->GetAsInteger(), DataSet("QLang")->FieldByName("Id")->GetAsInteger());
}

TEST_F(DemoModuleTest, LanguageFieldShowsCodeNameAndFontOfThePersonsLanguage) {
  TDataSet* people = DataSet("TbPeople");
  TDataSet* languages = DataSet("TbLang");
  qor::TQorLookField* field = LookField("TbPeopleLangName");
  EXPECT_EQ(field->GetDataSize(), 50);  // Id 2+2, Name 2+21, Font 2+21
  EXPECT_EQ(field->GetLookupResultField(), "id;Name");
  int withLanguage = 0, without = 0;
  for (people->First(); !people->GetEOF(); people->Next()) {
    SCOPED_TRACE(people->FieldByName("Name")->GetAsString());
    Variant lang = people->FieldByName("Lang")->GetValue();
    if (lang.IsNull()) {
      ++without;
      EXPECT_TRUE(field->IsNull());
      continue;
    }
    ++withLanguage;
    Variant expected = languages->Lookup("Id", lang, "Name;Font");
    ASSERT_TRUE(expected.IsArray());
    EXPECT_EQ(field->GetAsString(), lang.AsString() + " " + expected[0].AsString());
    EXPECT_EQ(qor::LookFieldsText(field, "Font"), expected[1].AsString());
    EXPECT_FALSE(expected[1].AsString().empty());
  }
  EXPECT_GE(withLanguage, 20);
  EXPECT_GE(without, 1);
}

TEST_F(DemoModuleTest, AMissingCountryShowsItsKey) {
  TDataSet* people = DataSet("TbPeople");
  ASSERT_TRUE(people->Locate("id", Variant(1), {}));
  const std::string known = LookField("TbPeopleCountryName1")->GetAsString();
  EXPECT_NE(known.find(' '), std::string::npos);
  EXPECT_NE(known.back(), ' ');  // the key and the country's name

  people->Edit();
  people->FieldByName("Country")->SetAsInteger(999);
  people->Post();
  people->Close();
  people->Open();
  ASSERT_TRUE(people->Locate("id", Variant(1), {}));
  for (const char* name : {"TbPeopleCountryName1", "TbPeopleCountryName2"}) {
    SCOPED_TRACE(name);
    qor::TQorLookField* field = LookField(name);
    EXPECT_EQ(field->GetAsString(), "999 ");
    EXPECT_EQ(field->GetDisplayText(), "  999");
  }
}

TEST_F(DemoModuleTest, ProfessionsCountTheirSubordinates) {
  TDataSet* prof = DataSet("TbProf");
  std::map<int, int> subordinates, up, amountDown;
  for (prof->First(); !prof->GetEOF(); prof->Next()) {
    int id = prof->FieldByName("Id")->GetAsInteger();
    TField* idUp = prof->FieldByName("IdUp");
    up[id] = idUp->IsNull() ? 0 : idUp->GetAsInteger();
    if (!idUp->IsNull()) ++subordinates[idUp->GetAsInteger()];
    ASSERT_FALSE(prof->FieldByName("AmountDown")->IsNull()) << id;
    amountDown[id] = prof->FieldByName("AmountDown")->GetAsInteger();
  }
  int deepest = 0;
  for (const auto& [id, count] : amountDown) {
    SCOPED_TRACE(id);
    EXPECT_EQ(count, subordinates[id]);
    int depth = 1;
    for (int p = up[id]; p != 0; p = up[p]) {
      ASSERT_TRUE(up.count(p)) << "superior " << p << " missing";
      ++depth;
    }
    deepest = std::max(deepest, depth);
  }
  EXPECT_EQ(deepest, 3);
}

TEST_F(DemoModuleTest, EditDataHandlersAreReachedThroughPublishedEvents) {
  struct Case {
    const char* component;
    const char* handler;  // "" when the component has no handler
    const char* call;
  };
  const Case cases[] = {
      {"QCont", "TbContEditData", "TbContEditData: TbCont"},
      {"TbCont", "TbContEditData", "TbContEditData: TbCont"},
      {"QProf", "TbProfEditData", "TbProfEditData: TbProf"},
      {"TbProf", "TbProfEditData", "TbProfEditData: TbProf"},
      {"QCountry", "TbCountryEditData", "TbCountryEditData: TbCountry"},
      {"TbCountry", "TbCountryEditData", "TbCountryEditData: TbCountry"},
      {"TbPeopleLangName", "TbPeopleLangNameEditData", "TbPeopleLangNameEditData: TbLang"},
      {"TbLang", "", ""},
      {"QLang", "", ""},
      {"TbPeople", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.component);
    TComponent* component = DM->FindComponent(c.component);
    ASSERT_NE(component, nullptr);
    TMethod method = GetMethodProp(component, "OnEditData");
    EXPECT_EQ(GetMethodName(method, DM.get()), c.handler);
    if (!method.Assigned()) continue;
    DM->EditDataCalls.clear();
    qor::TFieldReturn fieldReturn(nullptr);
    fieldReturn.FieldName = "Id";
    qor::TOnEditDataEvent::FromMethod(method)(component, qor::tsEditLookup, &fieldReturn);
    EXPECT_EQ(DM->EditDataCalls, std::vector<std::string>{c.call});
  }
}

// ---- the form file ----------------------------------------------------------------

using DemoFormTest = DemoFixture;

TEST_F(DemoFormTest, TheFormFileRoundTrips) {
  demo::TDM1 dm(nullptr);
  dm.LoadForm();
  EXPECT_EQ(WriteComponentText(&dm), demo::DModLkFormText());
  EXPECT_THROW(dm.LoadForm(), EComponentError);  // read once only
  EXPECT_THROW(dm.ComponentAs<TDataSet>("DSQLang"), EComponentError);
  EXPECT_THROW(dm.ComponentAs<TDataSet>("Nothing"), EComponentError);
}

}  // namespace
