// Tests of the QorDBFun routines that order and position datasets: GetUniqueFields,
// SetDataSetOrder, GetDataSetOrder, RefreshDataSet and LocateKey, on tables and queries of
// a standard alias over a temporary directory and on in-memory datasets.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/Exceptions.h"
#include "framework/core/Strings.h"
#include "framework/core/TypInfo.h"
#include "framework/data/DataSource.h"
#include "framework/data/MemDataSet.h"
#include "framework/engine/DBDataSet.h"
#include "framework/engine/Session.h"
#include "library/QorDBFun.h"

namespace {

namespace fs = std::filesystem;
using fw::TDataSet;
using fw::TMemDataSet;
using fw::TQuery;
using fw::TTable;

constexpr const char* kAlias = "QorOrderData";

// A query that says which table it reads and which fields identify its records.
class TKeyedQuery : public TQuery {
  FW_CLASS(TKeyedQuery)
 public:
  using TQuery::TQuery;
  const std::string& GetTableName() const { return FTableName; }
  void SetTableName(const std::string& v) { FTableName = v; }
  const std::string& GetUniqueFields() const { return FUniqueFields; }
  void SetUniqueFields(const std::string& v) { FUniqueFields = v; }

 private:
  std::string FTableName, FUniqueFields;
};

const fw::TClassInfo& TKeyedQuery::StaticClass() {
  static const fw::TClassInfo& info =
      fw::TClassBuilder<TKeyedQuery>("TKeyedQuery", &TQuery::StaticClass())
          .Prop("TableName", &TKeyedQuery::GetTableName, &TKeyedQuery::SetTableName)
          .Prop("UniqueFields", &TKeyedQuery::GetUniqueFields, &TKeyedQuery::SetUniqueFields)
          .Build();
  return info;
}

// An in-memory dataset whose query text is a plain string property.
class TTextQuery : public TMemDataSet {
  FW_CLASS(TTextQuery)
 public:
  using TMemDataSet::TMemDataSet;
  const std::string& GetSQL() const { return FSQL; }
  void SetSQL(const std::string& v) { FSQL = v; }

 private:
  std::string FSQL;
};

const fw::TClassInfo& TTextQuery::StaticClass() {
  static const fw::TClassInfo& info = fw::TClassBuilder<TTextQuery>("TTextQuery", &TMemDataSet::StaticClass())
                                          .Prop("SQL", &TTextQuery::GetSQL, &TTextQuery::SetSQL)
                                          .Build();
  return info;
}

// Counts what a control would hear: whole-dataset changes and scrolls.
class TTraceLink : public fw::TDataLink {
 public:
  int Changed = 0, Scrolled = 0;
  void Reset() { Changed = Scrolled = 0; }

 protected:
  void DataSetChanged() override { ++Changed; }
  void DataSetScrolled(int) override { ++Scrolled; }
};

// Counts the scroll and open/close events of a dataset.
class TEventCounter : public fw::TObject {
 public:
  int BeforeScroll = 0, AfterScroll = 0, BeforeClose = 0, AfterOpen = 0;
  void Watch(TDataSet* ds) {
    ds->SetBeforeScroll(fw::Method<&TEventCounter::OnBeforeScroll>(this));
    ds->SetAfterScroll(fw::Method<&TEventCounter::OnAfterScroll>(this));
    ds->SetBeforeClose(fw::Method<&TEventCounter::OnBeforeClose>(this));
    ds->SetAfterOpen(fw::Method<&TEventCounter::OnAfterOpen>(this));
  }
  void OnBeforeScroll(TDataSet*) { ++BeforeScroll; }
  void OnAfterScroll(TDataSet*) { ++AfterScroll; }
  void OnBeforeClose(TDataSet*) { ++BeforeClose; }
  void OnAfterOpen(TDataSet*) { ++AfterOpen; }
};

// A data source with a link that buffers five records, as a grid would.
struct TGrid {
  explicit TGrid(TDataSet* ds) {
    Source.SetDataSet(ds);
    Link.SetDataSource(&Source);
    Link.SetBufferCount(5);
  }
  fw::TDataSource Source{nullptr};
  TTraceLink Link;
};

// The standard alias kAlias over a temporary directory with
//   Lang.db    Id, Name, Font, FontSize, Layout; no index; 8 languages (Id 1..8)
//   People.db  id, Name, Lang; primary index on id, secondary index ByName; 10 people
//   Country.db Id, Name, Continent; primary index on Id
class QorDBFunOrderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FDir = fs::temp_directory_path() /
           ("qor_order_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(FDir);
    fs::create_directories(FDir / "tables");
    setenv("QOR_ALIAS_STORE", (FDir / "aliases.conf").c_str(), 1);
    fw::Session()->SetConfigMode({fw::cfmSession});
    if (fw::Session()->IsAlias(kAlias)) fw::Session()->DeleteAlias(kAlias);
    fw::Session()->AddStandardAlias(kAlias, (FDir / "tables").string(), "PARADOX");

    struct LangRow {
      int id;
      const char *name, *font;
      int size;
      const char* layout;
    };
    const LangRow langs[] = {{1, "English", "Arial", 10, "en"},   {2, "Russian", "Arial", 10, "ru"},
                             {3, "German", "Tahoma", 9, "de"},    {4, "French", "Tahoma", 9, "fr"},
                             {5, "Bulgarian", "Verdana", 11, "bg"}, {6, "Czech", "Verdana", 11, "cs"},
                             {7, "Spanish", "Arial", 10, "es"},   {8, "Arabic", "Tahoma", 12, "ar"}};
    MakeTable("Lang.db",
              {{"Id", fw::ftSmallint, 0}, {"Name", fw::ftString, 20}, {"Font", fw::ftString, 20},
               {"FontSize", fw::ftSmallint, 0}, {"Layout", fw::ftString, 8}},
              {}, [&](TTable* t) {
                for (const auto& l : langs) {
                  t->Append();
                  t->FieldByName("Id")->SetAsInteger(l.id);
                  t->FieldByName("Name")->SetAsString(l.name);
                  t->FieldByName("Font")->SetAsString(l.font);
                  t->FieldByName("FontSize")->SetAsInteger(l.size);
                  t->FieldByName("Layout")->SetAsString(l.layout);
                  t->Post();
                }
              });

    const char* people[] = {"Smith", "Jones", "Brown", "Adams", "Young",
                            "Clark", "Evans", "Moore", "Baker", "White"};
    MakeTable("People.db", {{"id", fw::ftInteger, 0}, {"Name", fw::ftString, 40}, {"Lang", fw::ftSmallint, 0}},
              {{"", "id", {fw::ixPrimary}}, {"ByName", "Name", {}}}, [&](TTable* t) {
                for (int i = 0; i < 10; ++i) {
                  t->Append();
                  t->FieldByName("id")->SetAsInteger(i + 1);
                  t->FieldByName("Name")->SetAsString(people[i]);
                  t->FieldByName("Lang")->SetAsInteger(i % 8 + 1);
                  t->Post();
                }
              });

    MakeTable("Country.db",
              {{"Id", fw::ftSmallint, 0}, {"Name", fw::ftString, 30}, {"Continent", fw::ftSmallint, 0}},
              {{"", "Id", {fw::ixPrimary}}}, [](TTable* t) {
                const char* names[] = {"France", "Japan", "Kenya"};
                for (int i = 0; i < 3; ++i) {
                  t->Append();
                  t->FieldByName("Id")->SetAsInteger(i + 1);
                  t->FieldByName("Name")->SetAsString(names[i]);
                  t->FieldByName("Continent")->SetAsInteger(i + 1);
                  t->Post();
                }
              });
  }

  void TearDown() override {
    FRoot.reset();
    if (fw::Session()->IsAlias(kAlias)) fw::Session()->DeleteAlias(kAlias);
    fw::Session()->SetConfigMode({fw::cfmVirtual, fw::cfmPersistent, fw::cfmSession});
    fs::remove_all(FDir);
  }

  struct FieldSpec {
    const char* name;
    fw::TFieldType type;
    int size;
  };
  struct IndexSpec {
    const char* name;
    const char* fields;
    fw::TIndexOptions options;
  };
  void MakeTable(const std::string& name, const std::vector<FieldSpec>& fields,
                 const std::vector<IndexSpec>& indexes, const std::function<void(TTable*)>& fill) {
    TTable t(nullptr);
    t.SetDatabaseName(kAlias);
    t.SetTableName(name);
    for (const auto& f : fields) t.GetFieldDefs()->Add(f.name, f.type, f.size);
    for (const auto& x : indexes) t.GetIndexDefs()->Add(x.name, x.fields, x.options);
    t.CreateTable();
    t.Open();
    fill(&t);
    t.Close();
  }

  TTable* NewTable(const std::string& name, const std::string& indexFieldNames = {}) {
    auto* t = new TTable(FRoot.get());
    t->SetDatabaseName(kAlias);
    t->SetTableName(name);
    t->SetIndexFieldNames(indexFieldNames);
    return t;
  }
  template <class Q = TQuery>
  Q* NewQuery(const std::string& sql) {
    auto* q = new Q(FRoot.get());
    q->SetDatabaseName(kAlias);
    q->GetSQL()->SetText(sql);
    return q;
  }
  /// A closed in-memory dataset of the given fields.
  TMemDataSet* NewMem(const std::vector<FieldSpec>& fields) {
    auto* m = new TMemDataSet(FRoot.get());
    for (const auto& f : fields) m->GetFieldDefs()->Add(f.name, f.type, f.size);
    return m;
  }
  /// Changes a stored table through a table of its own (as another program would).
  void EditTable(const std::string& name, const std::function<void(TTable&)>& edit) {
    TTable t(nullptr);
    t.SetDatabaseName(kAlias);
    t.SetTableName(name);
    t.Open();
    edit(t);
  }

  static std::vector<std::string> Lines(TQuery* q) { return q->GetSQL()->ToVector(); }
  static int IntOf(TDataSet* ds, const char* field) { return ds->FieldByName(field)->GetAsInteger(); }
  static std::string TextOf(TDataSet* ds, const char* field) { return ds->FieldByName(field)->GetAsString(); }

  fs::path FDir;
  std::unique_ptr<fw::TComponent> FRoot = std::make_unique<fw::TComponent>(nullptr);
};

// ------------------------------------------------------------------ order of a query

TEST_F(QorDBFunOrderTest, AnOpenQueryIsReopenedWithItsNewSortClause) {
  TQuery* q = NewQuery("select * from Lang.db\r\norder by id");
  q->Open();
  EXPECT_EQ(qor::GetDataSetOrder(q), "id");
  TEventCounter events;
  events.Watch(q);

  qor::SetDataSetOrder(q, "Name", false, false);
  EXPECT_EQ(Lines(q), (std::vector<std::string>{"select * from Lang.db", "", "order by Name"}));
  EXPECT_EQ(events.BeforeClose, 1);
  EXPECT_EQ(events.AfterOpen, 1);
  ASSERT_TRUE(q->GetActive());
  EXPECT_EQ(TextOf(q, "Name"), "Arabic");
  EXPECT_EQ(qor::GetDataSetOrder(q), "Name");

  // Keeping the position: the same language after the reorder, centred for the grid,
  // which hears of it once.
  TGrid grid(q);
  ASSERT_TRUE(q->Locate("Id", 5, {}));  // Bulgarian, second by name
  grid.Link.Reset();
  events.BeforeScroll = 0;
  qor::SetDataSetOrder(q, "Layout;Name", true, false);  // ar bg cs de en es fr ru
  EXPECT_EQ(Lines(q).back(), "order by Layout,Name");
  EXPECT_EQ(IntOf(q, "Id"), 5);
  EXPECT_EQ(q->GetRecNo(), 2);
  EXPECT_EQ(events.BeforeScroll, 1);  // the Locate
  EXPECT_EQ(grid.Link.Changed, 1);
  EXPECT_EQ(grid.Link.Scrolled, 0);
  EXPECT_FALSE(q->ControlsDisabled());

  // Without keeping it the reopened query stands on its first record.
  qor::SetDataSetOrder(q, "Font,Name", false, false);  // Arial: English, Russian, Spanish
  EXPECT_EQ(TextOf(q, "Name"), "English");
}

TEST_F(QorDBFunOrderTest, AClosedQueryOnlyGetsItsTextChanged) {
  struct Case {
    const char* what;
    const char* sql;
    const char* fields;
    bool quote;
    std::vector<std::string> lines;
    const char* order;
    const char* firstName;  // once opened
  };
  const Case cases[] = {
      {"replaced", "select * from Lang.db\r\norder by id", "Name;Id", false,
       {"select * from Lang.db", "", "order by Name,Id"}, "Name;Id", "Arabic"},
      {"removed", "select * from Lang.db\r\norder by id", "", false, {"select * from Lang.db"}, "", "English"},
      {"appended on a new line", "select * from Lang.db", "Font,Name", false,
       {"select * from Lang.db", "order by Font,Name"}, "Font;Name", "English"},
      {"appended after the statement's ;", "select * from Lang.db;", "Name", false,
       {"select * from Lang.db", "order by Name"}, "Name", "Arabic"},
      {"quoted", "select * from Lang.db where Id > 1", "Layout;Name", true,
       {"select * from Lang.db where Id > 1", "order by \"Layout\",\"Name\""}, "Layout;Name", "Arabic"},
      {"clause after a blank", "select * from Lang.db order by Id desc", "FontSize", false,
       {"select * from Lang.db ", "order by FontSize"}, "FontSize", "German"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TQuery* q = NewQuery(c.sql);
    qor::SetDataSetOrder(q, c.fields, true, c.quote);
    EXPECT_FALSE(q->GetActive());
    EXPECT_EQ(Lines(q), c.lines);
    EXPECT_EQ(qor::GetDataSetOrder(q), c.order);
    q->Open();
    EXPECT_EQ(TextOf(q, "Name"), c.firstName);
  }
}

TEST_F(QorDBFunOrderTest, AFailedReorderReachesTheCallerWithControlsEnabled) {
  TQuery* q = NewQuery("select * from Lang.db\r\norder by id");
  q->Open();
  TGrid queryGrid(q);
  EXPECT_THROW(qor::SetDataSetOrder(q, "Nope", true, false), fw::EDatabaseError);
  EXPECT_FALSE(q->GetActive());
  EXPECT_EQ(Lines(q), (std::vector<std::string>{"select * from Lang.db", "", "order by Nope"}));
  EXPECT_FALSE(q->ControlsDisabled());

  TTable* t = NewTable("People.db", "Name");
  t->Open();
  TGrid tableGrid(t);
  EXPECT_THROW(qor::SetDataSetOrder(t, "id,Nope", true, false), fw::EDatabaseError);
  EXPECT_TRUE(t->GetActive());
  EXPECT_EQ(t->GetIndexFieldNames(), "Name");
  EXPECT_FALSE(t->ControlsDisabled());
}

// ------------------------------------------------------------------ order of a table

TEST_F(QorDBFunOrderTest, ATableIsOrderedByItsIndexFieldNames) {
  TTable* t = NewTable("People.db", "Name");
  t->Open();
  EXPECT_EQ(qor::GetDataSetOrder(t), "Name");
  TGrid grid(t);
  ASSERT_TRUE(t->Locate("id", 7, {}));  // Evans, fifth by name
  ASSERT_EQ(t->GetRecNo(), 5);
  grid.Link.Reset();

  qor::SetDataSetOrder(t, "id,Name", true, false);
  EXPECT_EQ(t->GetIndexFieldNames(), "id;Name");
  EXPECT_EQ(qor::GetDataSetOrder(t), "id;Name");
  EXPECT_EQ(IntOf(t, "id"), 7);
  EXPECT_EQ(t->GetRecNo(), 7);
  EXPECT_EQ(grid.Link.GetActiveRecord(), 2);
  EXPECT_EQ(grid.Link.Changed, 1);
  EXPECT_EQ(grid.Link.Scrolled, 0);

  // The order in use names the fields as the table has them; a closed table answers with
  // its IndexFieldNames as written.
  t->Close();
  qor::SetDataSetOrder(t, "name,ID", true, false);
  EXPECT_FALSE(t->GetActive());
  EXPECT_EQ(t->GetIndexFieldNames(), "name;ID");
  EXPECT_EQ(qor::GetDataSetOrder(t), "name;ID");
  t->Open();
  EXPECT_EQ(qor::GetDataSetOrder(t), "Name;id");
  EXPECT_EQ(TextOf(t, "Name"), "Adams");
}

TEST_F(QorDBFunOrderTest, OrderOfOtherDataSets) {
  // A query ordered in memory answers with its IndexFieldNames before its sort clause.
  TQuery* q = NewQuery("select * from Lang.db order by Id");
  q->SetIndexFieldNames("Layout");
  q->Open();
  EXPECT_EQ(qor::GetDataSetOrder(q), "Layout");

  // A query text held as a plain string property.
  auto* text = new TTextQuery(FRoot.get());
  text->SetSQL("select * from T order by A, \"B C\" desc");
  EXPECT_EQ(qor::GetDataSetOrder(text), "A;B C");
  qor::SetDataSetOrder(text, "X;Y", false, true);
  EXPECT_EQ(text->GetSQL(), "select * from T \r\norder by \"X\",\"Y\"");
  EXPECT_EQ(text->GetIndexFieldNames(), "");

  EXPECT_EQ(qor::GetDataSetOrder(NewMem({{"Id", fw::ftInteger, 0}})), "");
  EXPECT_EQ(qor::GetDataSetOrder(nullptr), "");
  qor::SetDataSetOrder(nullptr, "Id", true, true);
}

// ------------------------------------------------------------------ unique fields

TEST_F(QorDBFunOrderTest, UniqueFieldsTakeTheFirstAnswer) {
  struct Case {
    const char* what;
    std::function<TDataSet*()> make;
    std::string expected;
  };
  const Case cases[] = {
      {"table with a primary index", [&] { return NewTable("People.db"); }, "id"},
      {"open table with a primary index",
       [&] {
         TTable* t = NewTable("People.db");
         t->Open();
         return t;
       },
       "id"},
      {"table without a unique index: its fields",
       [&] {
         TTable* t = NewTable("Lang.db");
         t->Open();
         return t;
       },
       "Id;Name;Font;FontSize;Layout"},
      {"query without TableName: its fields",
       [&] {
         TQuery* q = NewQuery("select * from Country.db");
         q->Open();
         return q;
       },
       "Id;Name;Continent"},
      {"UniqueFields first",
       [&] {
         auto* q = NewQuery<TKeyedQuery>("select * from People.db");
         q->SetTableName("People.db");
         q->SetUniqueFields("Name;Lang");
         return q;
       },
       "Name;Lang"},
      {"indexes of the TableName",
       [&] {
         auto* q = NewQuery<TKeyedQuery>("select Name, id from People.db");
         q->SetTableName("People.db");
         return q;
       },
       "id"},
      {"TableName without a unique index",
       [&] {
         auto* q = NewQuery<TKeyedQuery>("select Name, Layout from Lang.db");
         q->SetTableName("Lang.db");
         q->Open();
         return q;
       },
       "Name;Layout"},
      {"missing TableName file",
       [&] {
         auto* q = NewQuery<TKeyedQuery>("select Id, Name from Country.db");
         q->SetTableName("Missing.db");
         q->Open();
         return q;
       },
       "Id;Name"},
      {"first unique in-memory definition",
       [&] {
         TMemDataSet* m = NewMem({{"Id", fw::ftInteger, 0}, {"Code", fw::ftString, 4}, {"Sub", fw::ftInteger, 0}});
         m->GetIndexDefs()->Add("ByCode", "Code", {fw::ixCaseInsensitive});
         m->GetIndexDefs()->Add("ByCodeSub", "Code;Sub", {fw::ixUnique});
         m->GetIndexDefs()->Add("", "Id", {fw::ixPrimary});
         return m;
       },
       "Code;Sub"},
      {"blob fields only",
       [&] {
         TMemDataSet* m = NewMem({{"Info", fw::ftMemo, 0}, {"Picture", fw::ftGraphic, 0}});
         m->CreateDataSet();
         return m;
       },
       ""},
      {"no dataset", [] { return nullptr; }, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TDataSet* ds = c.make();
    const int databases = fw::Session()->GetDatabaseCount();
    EXPECT_EQ(qor::GetUniqueFields(ds), c.expected);
    // The temporary table leaves no database open behind it.
    EXPECT_EQ(fw::Session()->GetDatabaseCount(), databases);
  }
}

TEST_F(QorDBFunOrderTest, KeepingThePositionNeedsKeyFields) {
  // In memory: no Locate, so the cursor stays where it is.
  TMemDataSet* m = NewMem({{"Info", fw::ftMemo, 0}});
  m->CreateDataSet();
  for (const char* s : {"one", "two", "three"}) {
    m->Append();
    m->FieldByName("Info")->SetAsString(s);
    m->Post();
  }
  m->First();
  m->Next();
  TEventCounter memEvents;
  memEvents.Watch(m);
  qor::SetDataSetOrder(m, "", true, false);
  EXPECT_EQ(m->GetRecNo(), 2);
  EXPECT_EQ(memEvents.BeforeScroll, 0);

  // A query of blobs only is reopened on its first record.
  MakeTable("Notes.db", {{"Info", fw::ftMemo, 0}}, {}, [](TTable* t) {
    for (const char* s : {"b", "a", "c"}) {
      t->Append();
      t->FieldByName("Info")->SetAsString(s);
      t->Post();
    }
  });
  TQuery* q = NewQuery("select * from Notes.db");
  q->Open();
  q->Last();
  TEventCounter queryEvents;
  queryEvents.Watch(q);
  qor::SetDataSetOrder(q, "Info", true, false);
  EXPECT_TRUE(q->GetActive());
  EXPECT_EQ(q->GetRecNo(), 1);
  EXPECT_EQ(TextOf(q, "Info"), "a");
  EXPECT_EQ(queryEvents.BeforeScroll, 0);
}

// ------------------------------------------------------------------ refreshing

TEST_F(QorDBFunOrderTest, RefreshingAQueryRereadsItAndReturnsToItsRecord) {
  TQuery* q = NewQuery("select * from Lang.db\r\norder by Id");
  q->Open();
  TGrid grid(q);
  q->MoveBy(4);
  ASSERT_EQ(IntOf(q, "Id"), 5);
  EditTable("Lang.db", [](TTable& t) {
    ASSERT_TRUE(t.Locate("Id", 5, {}));
    t.Edit();
    t.FieldByName("Name")->SetAsString("Balgarski");
    t.Post();
  });
  TEventCounter events;
  events.Watch(q);
  grid.Link.Reset();

  qor::RefreshDataSet(q);
  EXPECT_EQ(events.BeforeClose, 1);
  EXPECT_EQ(events.AfterOpen, 1);
  EXPECT_EQ(events.BeforeScroll, 1);
  EXPECT_EQ(events.AfterScroll, 1);
  EXPECT_EQ(q->GetRecNo(), 5);
  EXPECT_EQ(TextOf(q, "Name"), "Balgarski");
  EXPECT_EQ(grid.Link.GetActiveRecord(), 2);
  EXPECT_EQ(grid.Link.Changed, 1);  // once, when controls are enabled again
  EXPECT_EQ(grid.Link.Scrolled, 0);
  EXPECT_FALSE(q->ControlsDisabled());

  // The row it stood on is no longer there (a row before it is gone, so the last row
  // read is one short): no error, the query stays on a neighbour, the new last record.
  q->Last();
  EditTable("Lang.db", [](TTable& t) {
    ASSERT_TRUE(t.Locate("Id", 3, {}));
    t.Delete();
  });
  EXPECT_NO_THROW(qor::RefreshDataSet(q));
  EXPECT_EQ(q->GetRecordCount(), 7);
  EXPECT_EQ(q->GetRecNo(), 7);
  EXPECT_EQ(IntOf(q, "Id"), 8);
  EXPECT_EQ(grid.Link.GetActiveRecord(), 4);
  EXPECT_FALSE(q->ControlsDisabled());

  // Closed or missing: nothing happens.
  q->Close();
  events.AfterOpen = 0;
  qor::RefreshDataSet(q);
  EXPECT_FALSE(q->GetActive());
  EXPECT_EQ(events.AfterOpen, 0);
  EXPECT_NO_THROW(qor::RefreshDataSet(nullptr));
}

// When the current record vanishes, a refresh leaves the dataset on a neighbouring record:
// the one after it, or the new last one when it was the last.
TEST_F(QorDBFunOrderTest, RefreshingAfterTheCurrentRecordVanishedStaysOnANeighbour) {
  struct Case {
    const char* name;
    const char* filter;
    int standOn, remove;
    int expectedId, expectedRecNo;
  };
  const Case cases[] = {
      {"the last one vanished", "", 8, 8, 7, 7},
      {"one in the middle vanished", "", 5, 5, 6, 5},
      {"the first one vanished", "", 1, 1, 2, 1},
      {"the last one vanished, the one before is filtered out", "Id <> 7", 8, 8, 6, 6},
  };
  for (bool query : {true, false}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(query ? "query: " : "table: ") + c.name);
      TDataSet* ds = query ? static_cast<TDataSet*>(NewQuery("select * from Lang.db order by Id"))
                           : static_cast<TDataSet*>(NewTable("Lang.db", "Id"));
      ds->Open();
      ds->SetFilter(c.filter);
      ds->SetFiltered(*c.filter != 0);
      auto grid = std::make_unique<TGrid>(ds);
      ASSERT_TRUE(ds->Locate("Id", c.standOn, {}));
      fw::Variant removed;
      EditTable("Lang.db", [&](TTable& t) {
        ASSERT_TRUE(t.Locate("Id", c.remove, {}));
        removed = t.GetFieldValues("Id;Name;Font;FontSize;Layout");
        t.Delete();
      });
      EXPECT_NO_THROW(qor::RefreshDataSet(ds));
      EXPECT_EQ(IntOf(ds, "Id"), c.expectedId);
      EXPECT_EQ(ds->GetRecNo(), c.expectedRecNo);
      EXPECT_FALSE(ds->GetEOF());
      EditTable("Lang.db", [&](TTable& t) {
        t.Append();
        t.SetFieldValues("Id;Name;Font;FontSize;Layout", removed);
        t.Post();
      });
      grid.reset();
      delete ds;
    }
  }
}

TEST_F(QorDBFunOrderTest, RefreshingATableIsItsOwnRefresh) {
  TTable* t = NewTable("People.db", "id");
  t->Open();
  TEventCounter events;
  events.Watch(t);
  ASSERT_TRUE(t->Locate("id", 4, {}));
  EditTable("People.db", [](TTable& other) {
    ASSERT_TRUE(other.Locate("id", 4, {}));
    other.Edit();
    other.FieldByName("Name")->SetAsString("Adamson");
    other.Post();
    other.Append();
    other.FieldByName("id")->SetAsInteger(11);
    other.FieldByName("Name")->SetAsString("Zimmer");
    other.Post();
  });

  qor::RefreshDataSet(t);
  EXPECT_EQ(events.AfterOpen, 0);  // not reopened
  EXPECT_EQ(t->GetRecordCount(), 11);
  EXPECT_EQ(IntOf(t, "id"), 4);
  EXPECT_EQ(TextOf(t, "Name"), "Adamson");
}

// ------------------------------------------------------------------ LocateKey

TEST_F(QorDBFunOrderTest, LocateKeyMovesAndCentresOnEngineDataSets) {
  TTable* t = NewTable("People.db", "id");
  t->Open();
  TGrid grid(t);
  TEventCounter events;
  events.Watch(t);

  struct Case {
    const char* what;
    const char* keyFields;
    fw::Variant keyValues;
    fw::TLocateOptions options;
    bool found;
    int id;  // the current person afterwards
  };
  const Case cases[] = {
      {"found", "Name", "Clark", {}, true, 6},
      {"no such key", "Name", "Nobody", {}, false, 6},
      {"case and prefix options", "Name", "mo", {fw::loCaseInsensitive, fw::loPartialKey}, true, 8},
      {"options matter", "Name", "mo", {}, false, 8},
      {"several fields", "Lang;Name", fw::Variant(std::vector<fw::Variant>{3, "Brown"}), {}, true, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const int afterBefore = events.AfterScroll;
    grid.Link.Reset();
    events.BeforeScroll = 0;
    EXPECT_EQ(qor::LocateKey(t, c.keyFields, c.keyValues, c.options), c.found);
    EXPECT_EQ(IntOf(t, "id"), c.id);
    EXPECT_EQ(events.BeforeScroll, 1);
    EXPECT_EQ(events.AfterScroll - afterBefore, c.found ? 1 : 0);
    EXPECT_EQ(grid.Link.Changed, c.found ? 1 : 0);
    if (c.found) {
      EXPECT_EQ(grid.Link.GetActiveRecord(), 2);
    }
  }

  // A query is an engine dataset too.
  TQuery* q = NewQuery("select * from Lang.db");
  q->Open();
  EXPECT_TRUE(qor::LocateKey(q, "Layout", "cs", {}));
  EXPECT_EQ(IntOf(q, "Id"), 6);

  // Not an engine dataset: false, without moving or events.
  TMemDataSet* m = NewMem({{"Id", fw::ftInteger, 0}});
  m->CreateDataSet();
  for (int i = 1; i <= 3; ++i) {
    m->Append();
    m->FieldByName("Id")->SetAsInteger(i);
    m->Post();
  }
  m->First();
  TEventCounter memEvents;
  memEvents.Watch(m);
  EXPECT_FALSE(qor::LocateKey(m, "Id", 3, {}));
  EXPECT_EQ(m->GetRecNo(), 1);
  EXPECT_EQ(memEvents.BeforeScroll, 0);
  EXPECT_FALSE(qor::LocateKey(nullptr, "Id", 3, {}));
}

}  // namespace
