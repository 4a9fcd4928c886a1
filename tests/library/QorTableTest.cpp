// Tests of TQorTable and TQorQuery on the engine: published properties and their defaults,
// SortingList copies and form files, the master check before a detail insert, automatic
// numbering before a post on SQL and standard aliases, the hook that runs after the cursor
// opens, and the query's sorting list taken from its table's indexes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/core/Exceptions.h"
#include "framework/core/Strings.h"
#include "framework/core/TypInfo.h"
#include "framework/data/DataSource.h"
#include "framework/data/Field.h"
#include "framework/engine/DBDataSet.h"
#include "framework/engine/Session.h"
#include "framework/stream/FormReader.h"
#include "framework/stream/FormWriter.h"
#include "library/QorDB.h"
#include "library/QorLook.h"
#include "library/QorRegister.h"
#include "library/QorTable.h"
#include "tests/support/ExpectError.h"

namespace {

namespace fs = std::filesystem;
using fw::TDataSet;
using fw::TTable;
using qor::TQorQuery;
using qor::TQorTable;

/// Aliases "QtFiles" (a directory of table files) and "QtSql" (one SQLite database) in a
/// temporary directory, and the library's units running.
class QorTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    for (char& c : test)
      if (c == '/') c = '_';
    Dir = fs::temp_directory_path() / ("qor_qortable_" + std::to_string(::getpid()) + "_" + test);
    fs::remove_all(Dir);
    fs::create_directories(Dir / "tables");
    setenv("QOR_ALIAS_STORE", (Dir / "aliases.conf").c_str(), 1);
    fw::Session()->SetConfigMode({fw::cfmSession});
    DropAliases();
    fw::Session()->AddStandardAlias("QtFiles", (Dir / "tables").string(), "PARADOX");
    fw::Session()->AddAlias("QtSql", "SQLITE", {"PATH=" + (Dir / "data.sqlite").string()});
    qor::InitializeUnits();
  }
  void TearDown() override {
    Owner.reset();
    DropAliases();
    fw::Session()->SetConfigMode({fw::cfmVirtual, fw::cfmPersistent, fw::cfmSession});
    fs::remove_all(Dir);
  }
  static void DropAliases() {
    for (auto name : {"QtFiles", "QtSql"})
      if (fw::Session()->IsAlias(name)) fw::Session()->DeleteAlias(name);
  }

  template <class T = TQorTable>
  T* NewTable(const std::string& db, const std::string& name) {
    auto* t = new T(Owner.get());
    t->SetDatabaseName(db);
    t->SetTableName(name);
    return t;
  }
  /// A table "id" (automatic number), "Name" with rows of the given ids.
  void MakeItems(const std::string& db, const std::string& name, const std::vector<int>& ids) {
    TTable* t = NewTable<TTable>(db, name);
    t->GetFieldDefs()->Add("id", fw::ftAutoInc);
    t->GetFieldDefs()->Add("Name", fw::ftString, 20);
    t->GetIndexDefs()->Add("", "id", {fw::ixPrimary});
    t->CreateTable();
    t->Open();
    for (int id : ids) {
      t->Append();
      t->FieldByName("id")->SetAsInteger(id);
      t->FieldByName("Name")->SetAsString("n" + std::to_string(id));
      t->Post();
    }
    delete t;
  }
  /// People.db: Id (primary index), Name (secondary index "ByName").
  void MakePeople() {
    TTable* t = NewTable<TTable>("QtFiles", "People.db");
    t->GetFieldDefs()->Add("Id", fw::ftSmallint);
    t->GetFieldDefs()->Add("Name", fw::ftString, 20);
    t->GetIndexDefs()->Add("", "Id", {fw::ixPrimary});
    t->GetIndexDefs()->Add("ByName", "Name", {});
    t->CreateTable();
    delete t;
  }

  fs::path Dir;
  std::unique_ptr<fw::TComponent> Owner = std::make_unique<fw::TComponent>(nullptr);
};

/// Handlers that the tests hang on datasets.
class TRecorder : public fw::TObject {
 public:
  void BeforeInsert(TDataSet*) { ++Inserts; }
  /// The "id" value and read-only flag at the moment the BeforePost event fires.
  void BeforePost(TDataSet* ds) {
    fw::TField* f = ds->FindField("id");
    if (f) {
      IdAtPost = f->GetAsVariant();
      ReadOnlyAtPost = f->GetReadOnly();
    }
    if (FailPost) fw::DatabaseError("post refused");
  }
  int Inserts = 0;
  fw::Variant IdAtPost;
  bool ReadOnlyAtPost = false;
  bool FailPost = false;
};

std::vector<std::string> Lines(const fw::TStrings* s) { return s->ToVector(); }

// ---------------------------------------------------------------- properties

TEST_F(QorTableTest, NewComponentsHaveDefaultsAndPublishTheirPropertiesInOrder) {
  struct Case {
    fw::TDataSet* ds;
    std::vector<std::string> own;
  };
  auto* table = new TQorTable(Owner.get());
  auto* query = new TQorQuery(Owner.get());
  const Case cases[] = {
      {table, {"Actions", "Caption", "SortingList", "UniqueFields", "OnEditData", "OnAction"}},
      {query, {"Actions", "Caption", "SortingList", "TableName", "UniqueFields", "OnEditData", "OnAction"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ds->ClassName());
    std::vector<std::string> names;
    for (const fw::TPropInfo* p : fw::GetPropList(c.ds)) names.push_back(p->Name);
    auto first = std::find(names.begin(), names.end(), "Actions");
    ASSERT_NE(first, names.end());
    EXPECT_EQ(std::vector<std::string>(first, names.end()), c.own);

    const fw::TPropInfo* actions = fw::GetPropInfo(c.ds, "Actions");
    EXPECT_EQ(actions->Kind, fw::TTypeKind::tkSet);
    EXPECT_TRUE(actions->HasDefault);
    EXPECT_EQ(actions->Default, 31);
    EXPECT_EQ(fw::GetOrdProp(c.ds, "Actions"), 31);
    EXPECT_TRUE(actions->IsDefaultValue(c.ds));
    EXPECT_EQ(fw::GetStrProp(c.ds, "Caption"), "");
    EXPECT_EQ(fw::GetStrProp(c.ds, "UniqueFields"), "");
    EXPECT_EQ(static_cast<fw::TStrings*>(fw::GetObjectProp(c.ds, "SortingList"))->GetCount(), 0);
    EXPECT_FALSE(fw::GetMethodProp(c.ds, "OnEditData").Assigned());
    EXPECT_FALSE(fw::GetMethodProp(c.ds, "OnAction").Assigned());
  }
  EXPECT_EQ(table->GetActions(), (qor::TQorDataSetActions{qor::daInsert, qor::daDelete, qor::daClone,
                                                           qor::daPrint, qor::daPrintRecord}));
  EXPECT_EQ(query->GetTableName(), "");
}

// A tiny link that counts how often its dataset says it changed.
class TCountingLink : public fw::TDataLink {
 public:
  int Changes = 0;

 protected:
  void DataSetChanged() override { ++Changes; }
  void LayoutChanged() override {}
};

TEST_F(QorTableTest, SortingListIsCopiedAndOpenDataSetsTellTheirLinks) {
  MakeItems("QtSql", "Items", {1});
  auto* table = NewTable("QtSql", "Items");
  fw::TStringList given({"Name", "id;Name"});
  table->SetSortingList(&given);
  given.Clear();
  given.Add("other");
  EXPECT_EQ(Lines(table->GetSortingList()), (std::vector<std::string>{"Name", "id;Name"}));
  EXPECT_NE(table->GetSortingList(), &given);

  fw::TDataSource source(nullptr);
  source.SetDataSet(table);
  TCountingLink link;
  link.SetDataSource(&source);
  table->Open();
  link.Changes = 0;
  table->SetSortingList(&given);
  EXPECT_EQ(Lines(table->GetSortingList()), (std::vector<std::string>{"other"}));
  EXPECT_EQ(link.Changes, 1);
  table->SetSortingList(nullptr);
  EXPECT_EQ(table->GetSortingList()->GetCount(), 0);
  link.SetDataSource(nullptr);
  source.SetDataSet(nullptr);
}

TEST_F(QorTableTest, FormFilesKeepActionsAndAStoredSortingList) {
  MakePeople();
  qor::RegisterLibraryClasses();
  const std::string text =
      "object DM: TDataModule\n"
      "  OldCreateOrder = False\n"
      "  object QPeople: TQorQuery\n"
      "    DatabaseName = 'QtFiles'\n"
      "    SQL.Strings = (\n"
      "      'select * from People.db')\n"
      "    Actions = [daInsert, daClone, daUserAction3]\n"
      "    Caption = 'People'\n"
      "    SortingList.Strings = (\n"
      "      'Name;Id')\n"
      "    TableName = 'People.db'\n"
      "    UniqueFields = 'Id'\n"
      "  end\n"
      "  object TbPeople: TQorTable\n"
      "    DatabaseName = 'QtFiles'\n"
      "    TableName = 'People.db'\n"
      "  end\n"
      "end\n";
  std::unique_ptr<fw::TComponent> root(fw::ReadComponentText(text, nullptr));
  auto* query = dynamic_cast<TQorQuery*>(root->FindComponent("QPeople"));
  auto* table = dynamic_cast<TQorTable*>(root->FindComponent("TbPeople"));
  ASSERT_TRUE(query && table);
  EXPECT_EQ(query->GetActions(), (qor::TQorDataSetActions{qor::daInsert, qor::daClone, qor::daUserAction3}));
  EXPECT_EQ(query->GetActions().ToInt(), 0x85u);
  EXPECT_EQ(table->GetActions().ToInt(), 31u);
  EXPECT_EQ(fw::WriteComponentText(root.get()), text);

  // The stored lines stay when the query opens at run time.
  query->Open();
  EXPECT_EQ(Lines(query->GetSortingList()), (std::vector<std::string>{"Name;Id"}));
}

// ---------------------------------------------------------------- master check

class QorMasterDetailTest : public QorTableTest {
 protected:
  void SetUp() override {
    QorTableTest::SetUp();
    TTable* cont = NewTable<TTable>("QtFiles", "Cont.db");
    cont->GetFieldDefs()->Add("Id", fw::ftSmallint);
    cont->GetFieldDefs()->Add("Name", fw::ftString, 20);
    cont->GetIndexDefs()->Add("", "Id", {fw::ixPrimary});
    cont->CreateTable();
    TTable* country = NewTable<TTable>("QtFiles", "Country.db");
    country->GetFieldDefs()->Add("Id", fw::ftSmallint);
    country->GetFieldDefs()->Add("Cont", fw::ftSmallint);
    country->GetFieldDefs()->Add("Name", fw::ftString, 20);
    country->CreateTable();
    delete cont;
    delete country;

    Master = NewTable<TTable>("QtFiles", "Cont.db");
    Source = new fw::TDataSource(Owner.get());
    Source->SetDataSet(Master);
    Detail = NewTable("QtFiles", "Country.db");
    Detail->SetIndexFieldNames("Cont");
    Detail->SetMasterSource(Source);
    Detail->SetMasterFields("Id");
    Detail->SetBeforeInsert(fw::Method<&TRecorder::BeforeInsert>(&DetailEvents));
    Master->Open();
    Detail->Open();
  }
  int StoredMasters() {
    TTable* t = NewTable<TTable>("QtFiles", "Cont.db");
    t->Open();
    int n = t->GetRecordCount();
    delete t;
    return n;
  }

  TTable* Master = nullptr;
  fw::TDataSource* Source = nullptr;
  TQorTable* Detail = nullptr;
  TRecorder DetailEvents;
};

TEST_F(QorMasterDetailTest, InsertUnderAnEmptyMasterAbortsSilently) {
  EXPECT_THROW(Detail->Insert(), fw::EAbort);
  EXPECT_EQ(Detail->GetState(), fw::dsBrowse);
  EXPECT_THROW(Detail->Append(), fw::EAbort);
  EXPECT_EQ(Detail->GetState(), fw::dsBrowse);
  EXPECT_EQ(Detail->GetRecordCount(), 0);
  EXPECT_EQ(DetailEvents.Inserts, 0);  // the abort comes before the BeforeInsert event
}

TEST_F(QorMasterDetailTest, MasterBeingInsertedIsPostedFirst) {
  Master->Insert();
  Master->FieldByName("Id")->SetAsInteger(5);
  Master->FieldByName("Name")->SetAsString("Oceania");
  Detail->Insert();
  EXPECT_EQ(Master->GetState(), fw::dsBrowse);
  EXPECT_EQ(StoredMasters(), 1);
  ASSERT_EQ(Detail->GetState(), fw::dsInsert);
  EXPECT_EQ(DetailEvents.Inserts, 1);
  EXPECT_EQ(Detail->FieldByName("Cont")->GetAsInteger(), 5);  // under the posted master
  Detail->FieldByName("Name")->SetAsString("Fiji");
  Detail->Post();

  // A master record that is browsed lets details in without more ado.
  Detail->Append();
  EXPECT_EQ(Detail->GetState(), fw::dsInsert);
  Detail->Cancel();
  EXPECT_EQ(Detail->GetRecordCount(), 1);
}

TEST_F(QorMasterDetailTest, MasterThatCannotBePostedStopsTheInsert) {
  TRecorder masterEvents;
  masterEvents.FailPost = true;
  Master->SetBeforePost(fw::Method<&TRecorder::BeforePost>(&masterEvents));
  Master->Insert();
  Master->FieldByName("Id")->SetAsInteger(5);
  EXPECT_THROW(Detail->Insert(), fw::EDatabaseError);
  EXPECT_EQ(Master->GetState(), fw::dsInsert);
  EXPECT_EQ(Detail->GetState(), fw::dsBrowse);
  EXPECT_EQ(DetailEvents.Inserts, 0);
  Master->Cancel();
}

// ---------------------------------------------------------------- automatic numbering

TEST_F(QorTableTest, PostedInsertsAreNumberedOnlyOnSqlAliases) {
  struct Case {
    const char* alias;
    std::vector<int> stored;
    int explicitId;            // 0: the record brings no id
    fw::Variant idAtPost;      // the id when the BeforePost event fires
    int idAfterPost;
  };
  const Case cases[] = {
      {"QtSql", {}, 0, fw::Variant(1), 1},
      {"QtSql", {41}, 0, fw::Variant(42), 42},
      {"QtSql", {3, 41, 7}, 0, fw::Variant(42), 42},
      {"QtSql", {41}, 100, fw::Variant(42), 42},  // every new record takes the next number
      // Standard aliases are left alone: a given id stays, a missing one is the engine's.
      {"QtFiles", {41}, 100, fw::Variant(100), 100},
      {"QtFiles", {41}, 0, fw::Variant(), 42},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.alias) + " case " + std::to_string(n));
    std::string name = std::string("Items") + std::to_string(n++) + (std::string(c.alias) == "QtFiles" ? ".db" : "");
    MakeItems(c.alias, name, c.stored);
    auto* t = NewTable(c.alias, name);
    TRecorder events;
    t->SetBeforePost(fw::Method<&TRecorder::BeforePost>(&events));
    t->Open();
    t->Insert();
    if (c.explicitId) t->FieldByName("id")->SetAsInteger(c.explicitId);
    t->FieldByName("Name")->SetAsString("new");
    t->Post();
    EXPECT_EQ(events.IdAtPost, c.idAtPost);
    EXPECT_EQ(t->FieldByName("id")->GetAsInteger(), c.idAfterPost);
    EXPECT_FALSE(qor::AutoIncQuery()->GetActive());
    EXPECT_EQ(qor::AutoIncQuery()->GetSQL()->GetCount(), 0);
  }
}

TEST_F(QorTableTest, EditedRecordsKeepTheirNumbers) {
  MakeItems("QtSql", "Items", {5, 41});
  auto* t = NewTable("QtSql", "Items");
  TRecorder events;
  t->SetBeforePost(fw::Method<&TRecorder::BeforePost>(&events));
  t->Open();
  ASSERT_TRUE(t->Locate("id", fw::Variant(5), {}));
  t->Edit();
  t->FieldByName("Name")->SetAsString("changed");
  t->Post();
  EXPECT_EQ(events.IdAtPost, fw::Variant(5));
  EXPECT_EQ(t->FieldByName("id")->GetAsInteger(), 5);
}

TEST_F(QorTableTest, ReadOnlyNumberFieldGetsItsNumberAndStaysReadOnly) {
  MakeItems("QtSql", "Items", {41});
  auto* t = NewTable("QtSql", "Items");
  TRecorder events;
  t->SetBeforePost(fw::Method<&TRecorder::BeforePost>(&events));
  t->Open();
  t->FieldByName("id")->SetReadOnly(true);
  t->Insert();
  t->FieldByName("Name")->SetAsString("new");
  t->Post();
  EXPECT_EQ(events.IdAtPost, fw::Variant(42));
  EXPECT_TRUE(events.ReadOnlyAtPost);
  EXPECT_TRUE(t->FieldByName("id")->GetReadOnly());
  EXPECT_EQ(t->FieldByName("id")->GetAsInteger(), 42);
}

TEST_F(QorTableTest, NumberingErrorLeavesTheRecordInInsertAndTheQueryEmpty) {
  MakeItems("QtSql", "Items", {41});
  auto* t = NewTable("QtSql", "Items");
  t->Open();
  t->FieldByName("id")->SetReadOnly(true);
  t->Insert();
  try {
    qor::AssignAutoIncValues(t, "Missing", "QtSql");
    FAIL() << "no error";
  } catch (const fw::EDatabaseError& e) {
    // The statement is quoted in the engine's message.
    EXPECT_NE(e.Message().find("select max(id) as MaxNumAutoIncQuery from Missing"), std::string::npos)
        << e.Message();
  }
  EXPECT_EQ(t->GetState(), fw::dsInsert);
  EXPECT_TRUE(t->FieldByName("id")->IsNull());
  EXPECT_TRUE(t->FieldByName("id")->GetReadOnly());
  EXPECT_FALSE(qor::AutoIncQuery()->GetActive());
  EXPECT_EQ(qor::AutoIncQuery()->GetSQL()->GetCount(), 0);

  // Outside insert state nothing is asked.
  t->Cancel();
  qor::AssignAutoIncValues(t, "Missing", "QtSql");
  EXPECT_EQ(t->GetState(), fw::dsBrowse);
}

TEST_F(QorTableTest, WithoutAutoIncQueryNothingIsNumbered) {
  qor::DoneQorTableUnit();
  struct Restart {
    ~Restart() { qor::InitQorTableUnit(); }
  } restart;
  EXPECT_EQ(qor::AutoIncQuery(), nullptr);
  MakeItems("QtSql", "Items", {41});
  auto* t = NewTable("QtSql", "Items");
  TRecorder events;
  t->SetBeforePost(fw::Method<&TRecorder::BeforePost>(&events));
  t->Open();
  t->Insert();
  t->Post();
  EXPECT_TRUE(events.IdAtPost.IsNull());
}

// A program that never calls InitializeUnits: the first library class starts the units,
// so lookup fields are prepared after opening (all their values, the cache setting kept,
// incomplete information reported) and new records are numbered.
TEST_F(QorTableTest, UnitsThatWereNeverStartedStartOnFirstUse) {
  qor::FinalizeUnits();
  MakeItems("QtSql", "Items", {41});
  {
    std::unique_ptr<TTable> t(NewTable<TTable>("QtSql", "Lang"));
    t->GetFieldDefs()->Add("Id", fw::ftSmallint);
    t->GetFieldDefs()->Add("Name", fw::ftString, 20);
    t->GetIndexDefs()->Add("", "Id", {fw::ixPrimary});
    t->CreateTable();
    t->Open();
    t->Append();
    t->FieldByName("Id")->SetAsInteger(1);
    t->FieldByName("Name")->SetAsString("English");
    t->Post();
    std::unique_ptr<TTable> p(NewTable<TTable>("QtSql", "People"));
    p->GetFieldDefs()->Add("id", fw::ftInteger);
    p->GetFieldDefs()->Add("Lang", fw::ftSmallint);
    p->CreateTable();
    p->Open();
    p->Append();
    p->FieldByName("id")->SetAsInteger(1);
    p->FieldByName("Lang")->SetAsInteger(1);
    p->Post();
  }
  EXPECT_EQ(qor::DataSetOpenedHook, nullptr);  // nothing of the library used so far

  auto* lang = new TQorQuery(Owner.get());
  lang->SetDatabaseName("QtSql");
  lang->GetSQL()->SetText("select * from Lang");
  lang->Open();  // its default fields exist before the lookup field is sized
  auto* people = NewTable("QtSql", "People");
  for (const char* name : {"id", "Lang"}) {
    auto* f = new fw::TIntegerField(Owner.get());
    f->SetFieldName(name);
    f->SetDataSet(people);
  }
  auto* langName = new qor::TQorLookField(Owner.get());
  langName->SetFieldName("LangName");
  langName->SetFieldKind(fw::fkLookup);
  langName->SetKeyFields("Lang");
  langName->SetLookupDataSet(lang);
  langName->SetLookupKeyFields("Id");
  langName->SetLookupResultField("Id;Name");
  langName->SetLookupCache(true);
  langName->SetDataSet(people);
  people->Open();
  EXPECT_EQ(langName->GetLookupResultFieldMember(), "Id;Name");
  EXPECT_TRUE(langName->GetLookupCache());
  EXPECT_EQ(langName->GetLookupList().Count(), 1u);
  EXPECT_EQ(langName->GetAsString(), "1 English");
  people->Close();

  auto* level = langName->GetLookupLevels()->Add();
  level->SetDataSet(lang);
  level->SetResultFields("Id");
  ExpectError<fw::EDatabaseError>([&] { people->Open(); },
                                  "Lookup information for field 'LangName' is incomplete");

  auto* items = NewTable("QtSql", "Items");
  items->Open();
  items->Insert();
  items->Post();
  EXPECT_EQ(items->FieldByName("id")->GetAsInteger(), 42);
}

// ---------------------------------------------------------------- after opening

struct THookCall {
  TDataSet* DataSet;
  fw::TDataSetState State;
  int SortingLines;
  bool FieldsReady;
};
std::vector<THookCall> gHookCalls;
bool gHookFails = false;

void RecordingHook(TDataSet* ds) {
  const fw::TStrings* sorting = nullptr;
  if (auto* q = dynamic_cast<TQorQuery*>(ds)) sorting = q->GetSortingList();
  gHookCalls.push_back({ds, ds->GetState(), sorting ? sorting->GetCount() : -1, ds->FindField("Name") != nullptr});
  if (gHookFails) fw::DatabaseError("hook refused");
}

class QorOpenHookTest : public QorTableTest {
 protected:
  void SetUp() override {
    QorTableTest::SetUp();
    FOldHook = qor::DataSetOpenedHook;
    qor::DataSetOpenedHook = &RecordingHook;
    gHookCalls.clear();
    gHookFails = false;
  }
  void TearDown() override {
    qor::DataSetOpenedHook = FOldHook;
    QorTableTest::TearDown();
  }
  qor::TDataSetOpenedHook FOldHook = nullptr;
};

TEST_F(QorOpenHookTest, HookRunsOncePerOpenBeforeBrowseState) {
  MakePeople();
  auto* table = NewTable("QtFiles", "People.db");
  auto* query = new TQorQuery(Owner.get());
  query->SetDatabaseName("QtFiles");
  query->GetSQL()->SetText("select * from People.db");
  query->SetTableName("People.db");
  auto* plain = NewTable<TTable>("QtFiles", "People.db");
  for (TDataSet* ds : std::vector<TDataSet*>{table, query, plain}) {
    SCOPED_TRACE(ds->ClassName());
    gHookCalls.clear();
    ds->Open();
    ds->Close();
    ds->Open();
    bool library = ds != plain;
    ASSERT_EQ(gHookCalls.size(), library ? 2u : 0u);
    for (const auto& call : gHookCalls) {
      EXPECT_EQ(call.DataSet, ds);
      EXPECT_EQ(call.State, fw::dsInactive);
      EXPECT_TRUE(call.FieldsReady);
    }
    if (ds == query) {
      // The query's sorting list is filled after the hook.
      EXPECT_EQ(gHookCalls[0].SortingLines, 0);
      EXPECT_EQ(query->GetSortingList()->GetCount(), 2);
    }
  }
}

TEST_F(QorOpenHookTest, HookErrorMakesTheOpeningFail) {
  MakePeople();
  auto* table = NewTable("QtFiles", "People.db");
  gHookFails = true;
  EXPECT_THROW(table->Open(), fw::EDatabaseError);
  EXPECT_FALSE(table->GetActive());
  gHookFails = false;
  table->Open();
  EXPECT_TRUE(table->GetActive());
}

// ---------------------------------------------------------------- query sorting list

TEST_F(QorTableTest, QuerySortingListComesFromItsTableIndexes) {
  MakePeople();
  struct Case {
    const char* name;
    std::string tableName;
    std::vector<std::string> stored;
    bool designing;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"filled from the indexes", "People.db", {}, false, {"Id", "Name"}},
      {"stored lines kept", "People.db", {"Name;Id", "Id"}, false, {"Name;Id", "Id"}},
      {"no table name", "", {}, false, {}},
      {"designing", "People.db", {}, true, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto* q = new TQorQuery(Owner.get());
    q->SetDatabaseName("QtFiles");
    q->GetSQL()->SetText("select * from People.db");
    q->SetTableName(c.tableName);
    fw::TStringList stored(c.stored);
    q->SetSortingList(&stored);
    if (c.designing) q->SetDesigning(true);
    q->Open();
    EXPECT_EQ(Lines(q->GetSortingList()), c.expected);
    q->Close();
    q->Open();  // a second opening changes nothing
    EXPECT_EQ(Lines(q->GetSortingList()), c.expected);
    delete q;
  }
}

TEST_F(QorTableTest, QueryOnAMissingTableDoesNotOpen) {
  MakePeople();
  auto* q = new TQorQuery(Owner.get());
  q->SetDatabaseName("QtFiles");
  q->GetSQL()->SetText("select * from People.db");
  q->SetTableName("Nothing.db");
  EXPECT_THROW(q->Open(), fw::EDatabaseError);
  EXPECT_FALSE(q->GetActive());
  EXPECT_EQ(q->GetSortingList()->GetCount(), 0);
}

}  // namespace
