// The dataset protocol: navigation, record windows of data links, editing with its events,
// bookmarks, DisableControls, filters, searching, ordering, and the errors that leave the
// dataset as it was. One suite, several backends: every test program that compiles this
// file runs it on the backends it defines in SuiteBackends() (the data tests on the
// in-memory dataset, the engine tests on tables of both kinds of database).
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/Exceptions.h"
#include "framework/data/DataSource.h"
#include "framework/data/MemDataSet.h"
#include "tests/support/DataSetBackends.h"
#include "tests/support/ExpectError.h"

namespace {

using namespace fw;

/// Records what a data link is told, as one trace.
class TTraceLink : public TDataLink {
 public:
  std::vector<std::string> Trace;

 protected:
  void ActiveChanged() override { Trace.push_back("active " + std::to_string(GetActive())); }
  void DataSetChanged() override { Trace.push_back("changed"); }
  void DataSetScrolled(int distance) override { Trace.push_back("scrolled " + std::to_string(distance)); }
  void LayoutChanged() override { Trace.push_back("layout"); }
  void RecordChanged(TField* field) override {
    Trace.push_back(std::string("record ") + (field ? field->GetFieldName() : "*"));
  }
  void EditingChanged() override { Trace.push_back("editing " + std::to_string(GetEditing())); }
};

/// Records the dataset's events in order.
class TEventTrace : public TComponent {
 public:
  explicit TEventTrace(TComponent* owner) : TComponent(owner) {}
  std::vector<std::string> Trace;
  void BeforeInsert(TDataSet*) { Trace.push_back("BeforeInsert"); }
  void AfterInsert(TDataSet*) { Trace.push_back("AfterInsert"); }
  void BeforeScroll(TDataSet*) { Trace.push_back("BeforeScroll"); }
  void AfterScroll(TDataSet*) { Trace.push_back("AfterScroll"); }
  void NewRecord(TDataSet* ds) {
    Trace.push_back("NewRecord");
    ds->FieldByName("Lang")->SetAsInteger(1);
  }
  void BeforePost(TDataSet*) { Trace.push_back("BeforePost"); }
  void AfterPost(TDataSet*) { Trace.push_back("AfterPost"); }
  void BeforeCancel(TDataSet*) { Trace.push_back("BeforeCancel"); }
  void AfterCancel(TDataSet*) { Trace.push_back("AfterCancel"); }
  void Attach(TDataSet* ds) {
    ds->SetBeforeInsert(Method<&TEventTrace::BeforeInsert>(this));
    ds->SetAfterInsert(Method<&TEventTrace::AfterInsert>(this));
    ds->SetBeforeScroll(Method<&TEventTrace::BeforeScroll>(this));
    ds->SetAfterScroll(Method<&TEventTrace::AfterScroll>(this));
    ds->SetOnNewRecord(Method<&TEventTrace::NewRecord>(this));
    ds->SetBeforePost(Method<&TEventTrace::BeforePost>(this));
    ds->SetAfterPost(Method<&TEventTrace::AfterPost>(this));
    ds->SetBeforeCancel(Method<&TEventTrace::BeforeCancel>(this));
    ds->SetAfterCancel(Method<&TEventTrace::AfterCancel>(this));
  }
};

class DataSetTest : public fwtest::TBackendTest {
 protected:
  void SetUp() override {
    TBackendTest::SetUp();
    People = NewDataSet("People", {{"id", ftInteger}, {"Name", ftString, 20}, {"Lang", ftSmallint}});
    for (int i = 1; i <= 20; ++i) AddPerson(i, "P" + std::string(i < 10 ? "0" : "") + std::to_string(i), i % 3);
    People->First();
  }
  void AddPerson(int id, const std::string& name, int lang) {
    People->Append();
    People->FieldByName("id")->SetAsInteger(id);
    People->FieldByName("Name")->SetAsString(name);
    People->FieldByName("Lang")->SetAsInteger(lang);
    People->Post();
  }
  int Id() const { return People->FieldByName("id")->GetAsInteger(); }
  std::vector<int> Ids() {
    std::vector<int> ids;
    for (People->First(); !People->GetEOF(); People->Next()) ids.push_back(Id());
    return ids;
  }

  TMemDataSet* People = nullptr;
};

TEST_P(DataSetTest, NavigatesAndReportsBoundaries) {
  EXPECT_EQ(People->GetRecordCount(), 20);
  EXPECT_TRUE(People->GetBOF());
  EXPECT_EQ(Id(), 1);
  People->Next();
  EXPECT_FALSE(People->GetBOF());
  EXPECT_EQ(People->MoveBy(5), 5);
  EXPECT_EQ(People->GetRecNo(), 7);
  EXPECT_EQ(People->MoveBy(100), 13);
  EXPECT_TRUE(People->GetEOF());
  EXPECT_EQ(Id(), 20);
  EXPECT_EQ(People->MoveBy(1), 0);
  People->Prior();
  EXPECT_EQ(Id(), 19);
  People->SetRecNo(3);
  EXPECT_EQ(Id(), 3);

  auto owned = OwnDataSet("", {{"x", ftInteger}});
  TMemDataSet& empty = *owned;
  EXPECT_TRUE(empty.GetBOF());
  EXPECT_TRUE(empty.GetEOF());
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_EQ(empty.GetRecNo(), 0);
}

TEST_P(DataSetTest, InsertFiresItsEventsInOrderAndOnNewRecordOnce) {
  auto* trace = new TEventTrace(Owner.get());
  trace->Attach(People);
  People->SetRecNo(5);
  trace->Trace.clear();
  People->Insert();
  EXPECT_EQ(trace->Trace, (std::vector<std::string>{"BeforeInsert", "BeforeScroll", "NewRecord",
                                                    "AfterInsert", "AfterScroll"}));
  EXPECT_EQ(People->GetState(), dsInsert);
  EXPECT_EQ(People->FieldByName("Lang")->GetAsInteger(), 1);
  EXPECT_FALSE(People->GetModified());  // the new record's defaults do not count
  People->FieldByName("id")->SetAsInteger(100);
  People->Post();
  EXPECT_EQ(People->GetState(), dsBrowse);
  EXPECT_EQ(Id(), 100);
  EXPECT_EQ(People->GetRecNo(), 5);  // inserted before the fifth record
  EXPECT_EQ(People->GetRecordCount(), 21);
}

TEST_P(DataSetTest, EditCancelRestoresAndCheckBrowseModePostsOnlyModifiedRecords) {
  People->SetRecNo(2);
  People->Edit();
  People->FieldByName("Name")->SetAsString("Changed");
  People->Cancel();
  EXPECT_EQ(People->FieldByName("Name")->GetAsString(), "P02");

  People->Edit();
  People->FieldByName("Name")->SetAsString("Changed");
  People->CheckBrowseMode();
  EXPECT_EQ(People->GetState(), dsBrowse);
  EXPECT_EQ(People->FieldByName("Name")->GetAsString(), "Changed");

  People->Insert();  // unmodified: cancelled
  People->CheckBrowseMode();
  EXPECT_EQ(People->GetRecordCount(), 20);
  EXPECT_EQ(People->GetState(), dsBrowse);
}

TEST_P(DataSetTest, BadInputRaisesNamedErrorsAndKeepsStateAndData) {
  struct Case {
    const char* what;
    std::function<void()> act;
    const char* fragment;
  };
  People->FieldByName("Name")->SetRequired(true);
  const Case cases[] = {
      {"unknown field", [&] { People->FieldByName("Nope"); }, "People: Field 'Nope' not found"},
      {"field list", [&] { People->GetFieldList("id;Nope"); }, "People: Field 'Nope' not found"},
      {"bad integer", [&] { People->FieldByName("id")->SetAsString("12x"); }, "id"},
      {"smallint range", [&] { People->FieldByName("Lang")->SetAsInteger(70000); }, "Lang"},
      {"required", [&] { People->FieldByName("Name")->Clear(); People->Post(); }, "Field 'Name' must have a value"},
      {"bad filter", [&] { People->SetFilter("(id = 1"); }, "(id = 1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    People->SetRecNo(4);
    People->Edit();
    People->FieldByName("Name")->SetAsString("Kept");
    try {
      c.act();
      ADD_FAILURE() << "no error";
    } catch (const EDatabaseError& e) {
      EXPECT_NE(std::string(e.what()).find(c.fragment), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("People"), std::string::npos) << e.what();
    }
    EXPECT_EQ(People->GetState(), dsEdit);
    EXPECT_EQ(People->GetRecordCount(), 20);
    People->Cancel();
    EXPECT_EQ(People->FieldByName("Name")->GetAsString(), "P04");
  }
  EXPECT_EQ(People->GetFilter(), "");
}

TEST_P(DataSetTest, BookmarksSurviveDeletesOfOtherRecords) {
  People->SetRecNo(10);
  TBookmark ten = People->GetBookmark();
  People->SetRecNo(3);
  TBookmark three = People->GetBookmark();
  EXPECT_EQ(People->CompareBookmarks(three, ten), -1);
  People->Delete();  // deletes the third record
  EXPECT_EQ(Id(), 4);
  EXPECT_FALSE(People->BookmarkValid(three));
  EXPECT_TRUE(People->BookmarkValid(ten));
  People->GotoBookmark(ten);
  EXPECT_EQ(Id(), 10);
  EXPECT_EQ(People->GetRecNo(), 9);
  EXPECT_THROW(People->GotoBookmark(three), EDatabaseError);
  EXPECT_EQ(Id(), 10);
}

TEST_P(DataSetTest, LinksSeeAWindowThatScrollsAndResyncCentres) {
  TDataSource source(nullptr);
  source.SetDataSet(People);
  TTraceLink link;
  link.SetBufferCount(5);
  link.SetDataSource(&source);
  People->First();
  EXPECT_EQ(link.GetRecordCount(), 5);
  EXPECT_EQ(link.GetActiveRecord(), 0);

  struct Step {
    std::function<void()> act;
    int activeRecord;
    int firstId;  // id of the link's first buffered row
    const char* event;
  };
  const Step steps[] = {
      {[&] { People->MoveBy(3); }, 3, 1, "scrolled 0"},
      {[&] { People->Next(); }, 4, 1, "scrolled 0"},
      {[&] { People->Next(); }, 4, 2, "scrolled 1"},
      {[&] { People->MoveBy(10); }, 4, 12, "scrolled 10"},
      {[&] { People->Prior(); }, 3, 12, "scrolled 0"},
      {[&] { People->SetRecNo(10); }, 2, 8, "changed"},  // centred
      {[&] { People->Last(); }, 4, 16, "changed"},
      {[&] { People->First(); }, 0, 1, "changed"},
      {[&] { People->MoveBy(9); }, 4, 6, "scrolled 5"},  // past every buffer: all refilled
  };
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    SCOPED_TRACE(i);
    link.Trace.clear();
    steps[i].act();
    EXPECT_EQ(link.GetActiveRecord(), steps[i].activeRecord);
    ASSERT_FALSE(link.Trace.empty());
    EXPECT_EQ(link.Trace.back(), steps[i].event);
    int active = link.GetActiveRecord();
    link.SetActiveRecord(0);
    EXPECT_EQ(Id(), steps[i].firstId);
    link.SetActiveRecord(active);
  }
}

TEST_P(DataSetTest, NestedDisableControlsTellLinksOnceAtTheEnd) {
  TDataSource source(nullptr);
  source.SetDataSet(People);
  TTraceLink link;
  link.SetDataSource(&source);
  link.Trace.clear();
  People->DisableControls();
  People->DisableControls();
  People->Next();
  People->Edit();
  People->FieldByName("Name")->SetAsString("x");
  People->Post();
  People->EnableControls();
  EXPECT_TRUE(People->ControlsDisabled());
  People->Last();
  EXPECT_TRUE(link.Trace.empty());
  link.Trace.clear();
  People->EnableControls();
  EXPECT_EQ(link.Trace, std::vector<std::string>{"changed"});
  EXPECT_FALSE(People->ControlsDisabled());
}

TEST_P(DataSetTest, FiltersInTheClassicLanguage) {
  struct Case {
    const char* filter;
    std::vector<int> ids;
  };
  const Case cases[] = {
      {"(Lang=1) and (id<8)", {1, 4, 7}},
      {"(id=5) and (id<>null)", {5}},
      {"Name>'P18'", {19, 20}},
      {"Name='P1*'", {10, 11, 12, 13, 14, 15, 16, 17, 18, 19}},
  };
  People->SetFiltered(true);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.filter);
    People->SetFilter(c.filter);
    EXPECT_EQ(Ids(), c.ids);
    EXPECT_EQ(People->GetRecordCount(), static_cast<int>(c.ids.size()));
  }
  People->SetFiltered(false);
  EXPECT_EQ(People->GetRecordCount(), 20);
}

TEST_P(DataSetTest, LocateAndLookup) {
  People->Edit();
  People->FieldByName("Name")->SetAsString("Язык");
  People->Post();
  People->Last();
  EXPECT_TRUE(People->Locate("Name", "яЗЫ", {loCaseInsensitive, loPartialKey}));
  EXPECT_EQ(Id(), 1);
  EXPECT_FALSE(People->Locate("Name", "язык", {}));
  EXPECT_TRUE(People->Locate("Name", "язык", {loCaseInsensitive}));
  EXPECT_TRUE(People->Locate("Lang;id", Variant(std::vector<Variant>{Variant(2), Variant(14)}), {}));
  EXPECT_EQ(Id(), 14);
  EXPECT_FALSE(People->Locate("id", 99, {}));
  EXPECT_EQ(Id(), 14);
  EXPECT_EQ(People->Lookup("id", 7, "Name").AsString(), "P07");
  EXPECT_TRUE(People->Lookup("id", 99, "Name").IsNull());
  EXPECT_EQ(Id(), 14);  // Lookup does not move
  Variant both = People->Lookup("id", 8, "Name;Lang");
  ASSERT_TRUE(both.IsArray());
  EXPECT_EQ(both[0].AsString(), "P08");
  EXPECT_EQ(both[1].AsInteger(), 2);
  // The search index follows changes of the data.
  People->Edit();
  People->FieldByName("id")->SetAsInteger(99);
  People->Post();
  EXPECT_EQ(People->Lookup("id", 99, "Name").AsString(), "P14");
}

TEST_P(DataSetTest, CancelledInsertReturnsToTheRecordItWasPlacedAt) {
  struct Case {
    int bufferCount;  // 1: no data link
    int recNo;        // current before Insert or Append
    bool append;
    int id;  // current after Cancel
  };
  const Case cases[] = {
      {1, 5, false, 5},  {1, 1, false, 1},  {1, 20, false, 20}, {1, 5, true, 20},
      {5, 5, false, 5},  {5, 1, false, 1},  {5, 20, false, 20}, {5, 19, false, 19},
      {5, 5, true, 20},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.bufferCount) + (c.append ? " append after " : " insert at ") +
                 std::to_string(c.recNo));
    TDataSource source(nullptr);
    TTraceLink link;
    if (c.bufferCount > 1) {
      source.SetDataSet(People);
      link.SetBufferCount(c.bufferCount);
      link.SetDataSource(&source);
    }
    People->SetRecNo(c.recNo);  // centred: record 20 takes the window's last slot
    if (c.append)
      People->Append();
    else
      People->Insert();
    People->FieldByName("id")->SetAsInteger(99);
    People->Cancel();
    EXPECT_EQ(People->GetState(), dsBrowse);
    EXPECT_EQ(Id(), c.id);
    EXPECT_EQ(People->GetRecNo(), c.id);
    EXPECT_EQ(People->GetRecordCount(), 20);
    link.SetDataSource(nullptr);
  }
}

TEST_P(DataSetTest, AFilterSetWhileClosedIsBoundWhenTheDataSetOpens) {
  People->Close();
  People->SetFilter("(Lang = 1) and (id < 8)");
  People->SetFiltered(true);
  for (int round = 0; round < 2; ++round) {  // the default fields are made anew at each opening
    SCOPED_TRACE(round);
    People->Open();
    EXPECT_EQ(Ids(), (std::vector<int>{1, 4, 7}));
    People->Close();
  }
  People->SetFilter("Nope = 1");
  ExpectError<EDatabaseError>([&] { People->Open(); },
                              "People: Field 'Nope' not found in filter \"Nope = 1\"");
  EXPECT_FALSE(People->GetActive());
  People->SetFiltered(false);  // an unused filter is not bound
  People->Open();
  EXPECT_EQ(People->GetRecordCount(), 20);
}

TEST_P(DataSetTest, IndexFieldNamesOrdersAndKeepsTheCurrentRecord) {
  People->SetRecNo(6);
  People->SetIndexFieldNames("Lang;id");
  EXPECT_EQ(Id(), 6);
  EXPECT_EQ(People->GetRecNo(), 2);  // Lang 0: 3, 6, 9, ...
  EXPECT_EQ(People->GetIndexFieldCount(), 2);
  EXPECT_EQ(Ids(), (std::vector<int>{3, 6, 9, 12, 15, 18, 1, 4, 7, 10, 13, 16, 19, 2, 5, 8, 11, 14, 17, 20}));
}

TEST_P(DataSetTest, APostTheFilterCannotEvaluateStoresNothing) {
  // "Id = 'abc'" cannot compare an integer: every record with an Id makes the filter raise.
  for (bool inserting : {true, false}) {
    SCOPED_TRACE(inserting ? "insert" : "edit");
    auto owned = OwnDataSet("Items", {{"Id", ftInteger}, {"Name", ftString, 10}});
    TMemDataSet& ds = *owned;
    ds.Append();
    ds.FieldByName("Name")->SetAsString("keep");
    ds.Post();
    ds.SetFilter("(Name = 'keep') or (Id = 'abc')");
    ds.SetFiltered(true);
    ASSERT_EQ(ds.GetRecordCount(), 1);
    if (inserting)
      ds.Append();
    else
      ds.Edit();
    ds.FieldByName("Id")->SetAsInteger(7);
    ds.FieldByName("Name")->SetAsString("new");
    for (int attempt = 1; attempt <= 2; ++attempt) {  // a retry stores nothing either
      SCOPED_TRACE(attempt);
      ExpectError<EDatabaseError>([&] { ds.Post(); },
                                  "Items: Cannot compare field 'Id' (Integer) with 'abc' in filter "
                                  "\"(Name = 'keep') or (Id = 'abc')\"");
      EXPECT_EQ(ds.GetState(), inserting ? dsInsert : dsEdit);
      EXPECT_EQ(ds.GetStoredRowCount(), 1);
      EXPECT_EQ(ds.FieldByName("Name")->GetAsString(), "new");
    }
    ds.Cancel();
    ds.SetFiltered(false);
    EXPECT_EQ(ds.GetRecordCount(), 1);
    EXPECT_EQ(ds.FieldByName("Name")->GetAsString(), "keep");
    EXPECT_TRUE(ds.FieldByName("Id")->IsNull());
  }
}

TEST_P(DataSetTest, ExactSearchesAgreeForNarrowAndWideIntegerKeys) {
  // Narrow keys are kept in an array, wide ones in a hash map: both answer alike.
  for (int spread : {1, 1000000}) {
    SCOPED_TRACE(spread);
    auto owned = OwnDataSet("", {{"Id", ftInteger}, {"Name", ftString, 10}});
    TMemDataSet& ds = *owned;
    for (int i : {3, 1, 2, 2}) {  // the second 2 is never found: the first one wins
      ds.Append();
      ds.FieldByName("Id")->SetAsInteger(i * spread);
      ds.FieldByName("Name")->SetAsString("n" + std::to_string(i) + (i == 2 && ds.GetRecordCount() == 3 ? "b" : ""));
      ds.Post();
    }
    ds.Append();  // a record without a key
    ds.FieldByName("Name")->SetAsString("none");
    ds.Post();
    struct Case {
      Variant key;
      const char* name;  // null: not found
    };
    const Case cases[] = {
        {Variant(2 * spread), "n2"},
        {Variant(static_cast<std::int64_t>(spread)), "n1"},
        {Variant(3.0 * spread), "n3"},
        {Variant(2.5 * spread + 0.25), nullptr},
        {Variant("2"), nullptr},
        {Variant(7 * spread), nullptr},
        {Variant(1e300), nullptr},
        {Variant(-9.3e18), nullptr},
        {Variant(std::numeric_limits<double>::quiet_NaN()), nullptr},
        {Variant(std::numeric_limits<double>::infinity()), nullptr},
        {Variant(), "none"},
    };
    for (const auto& c : cases) {
      SCOPED_TRACE(c.key.AsString());
      Variant found = ds.Lookup("Id", c.key, "Name");
      if (c.name)
        EXPECT_EQ(found.AsString(), c.name);
      else
        EXPECT_TRUE(found.IsNull());
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Backends, DataSetTest, ::testing::ValuesIn(fwtest::SuiteBackends()),
                         fwtest::BackendName);

}  // namespace
