// Tests of unit QorDB: property values by name, the record cloner on an in-memory dataset,
// the application service's refresh lock and message box, the browse-mode checks over the
// session's datasets and the data module's destroy hook, and the registered classes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "framework/core/DataModule.h"
#include "framework/core/Dialogs.h"
#include "framework/core/Exceptions.h"
#include "framework/core/TypInfo.h"
#include "framework/data/DataSource.h"
#include "framework/data/Field.h"
#include "framework/data/MemDataSet.h"
#include "framework/engine/DBDataSet.h"
#include "framework/engine/Session.h"
#include "framework/stream/Classes.h"
#include "library/QorDB.h"
#include "library/QorRegister.h"
#include "library/QorTable.h"

namespace {

namespace fs = std::filesystem;
using fw::TDataSet;
using fw::TField;
using fw::Variant;

Variant Address(const void* p) { return Variant(static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(p))); }

// ---------------------------------------------------------------- GetOrdPropByName

TEST(QorDBTest, GetOrdPropByNameGivesOrdinalsAndObjectAddresses) {
  fw::TComponent root(nullptr);
  auto* table = new qor::TQorTable(&root);
  auto* source = new fw::TDataSource(&root);
  auto* detail = new qor::TQorTable(&root);
  auto* query = new fw::TQuery(&root);
  table->SetTag(7);
  table->SetActions({qor::daDelete, qor::daUserAction3});
  detail->SetMasterSource(source);
  struct Case {
    const fw::TObject* component;
    const char* prop;
    Variant expected;  // unassigned: no value
  };
  const Case cases[] = {
      {table, "Tag", Variant(std::int64_t{7})},
      {table, "tag", Variant(std::int64_t{7})},
      {table, "Actions", Variant(std::int64_t{0x82})},
      {table, "Active", Variant(std::int64_t{0})},
      {detail, "MasterSource", Address(source)},
      {table, "MasterSource", Address(nullptr)},
      {query, "SQL", Address(query->GetSQL())},
      {table, "Caption", Variant::Unassigned()},
      {table, "OnAction", Variant::Unassigned()},
      {table, "NoSuchProperty", Variant::Unassigned()},
      {nullptr, "Tag", Variant::Unassigned()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.prop);
    Variant v = qor::GetOrdPropByName(c.component, c.prop);
    if (c.expected.IsEmpty()) {
      EXPECT_TRUE(v.IsEmpty()) << v;
    } else {
      EXPECT_EQ(v.VarType(), fw::varInt64);
      EXPECT_EQ(v, c.expected);
    }
  }
}

TEST(QorDBTest, LibraryClassesAreRegisteredAndCreatable) {
  qor::RegisterLibraryClasses();
  for (const char* name : {"TQorTable", "TQorQuery", "TQorDMInfo", "TFieldReturn", "TTable", "TQuery", "TDatabase"}) {
    SCOPED_TRACE(name);
    const fw::TClassInfo* cls = fw::FindClass(name);
    ASSERT_NE(cls, nullptr);
    ASSERT_TRUE(cls->CreateComponent);
    std::unique_ptr<fw::TComponent> c(cls->CreateComponent(nullptr));
    EXPECT_EQ(c->ClassName(), name);
  }
  qor::TQorDMInfo info(nullptr);
  fw::SetStrProp(&info, "Caption", "People and places");
  EXPECT_EQ(info.GetCaption(), "People and places");
}

// ---------------------------------------------------------------- record cloner

/// Handlers hung on the cloned dataset.
class TCloneEvents : public fw::TObject {
 public:
  void NewRecord(TDataSet* ds) {
    ++NewRecords;
    NameSeen = ds->FieldByName("Name")->GetAsVariant();
    ds->FieldByName("Count")->SetAsInteger(5);
  }
  void AbortInsert(TDataSet*) { fw::Abort(); }
  void CalcFields(TDataSet* ds) { ds->FieldByName("Calc")->SetAsString(ds->FieldByName("Name")->GetAsString() + "!"); }
  void RefuseName(TField*) { throw fw::EDatabaseError("refused"); }
  int NewRecords = 0;
  Variant NameSeen;
};

/// An open in-memory dataset with the fields
///   Id (automatic number), Name, Count, Price, Info (memo), Picture (graphic),
///   Fixed (read-only), Calc (calculated: Name + "!")
/// and one record: 7, "Smith", null, 2.5, two lines, bytes with zeros, "keep".
class QorCloneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FData = new fw::TMemDataSet(&FRoot);
    auto* defs = FData->GetFieldDefs();
    defs->Add("Id", fw::ftAutoInc);
    defs->Add("Name", fw::ftString, 20);
    defs->Add("Count", fw::ftInteger);
    defs->Add("Price", fw::ftFloat);
    defs->Add("Info", fw::ftMemo);
    defs->Add("Picture", fw::ftGraphic);
    defs->Add("Fixed", fw::ftString, 10);
    for (int i = 0; i < defs->GetCount(); ++i) defs->GetItem(i)->CreateField(&FRoot, FData);
    auto* calc = new fw::TStringField(&FRoot);
    calc->SetFieldName("Calc");
    calc->SetSize(30);
    calc->SetFieldKind(fw::fkCalculated);
    calc->SetDataSet(FData);
    FData->SetOnCalcFields(fw::Method<&TCloneEvents::CalcFields>(&FEvents));
    FData->CreateDataSet();
    FData->Append();
    F("Id")->SetAsInteger(7);
    F("Name")->SetAsString("Smith");
    F("Price")->SetAsFloat(2.5);
    F("Info")->SetAsString(kInfo);
    F("Picture")->SetBlob(kPicture);
    F("Fixed")->SetAsString("keep");
    FData->Post();
    F("Fixed")->SetReadOnly(true);
  }
  TField* F(const char* name) const { return FData->FieldByName(name); }

  const std::string kInfo = "line 1\r\nline 2";
  const std::string kPicture = std::string("\x89PNG\0\x01\xff\0", 8);
  fw::TComponent FRoot{nullptr};
  fw::TMemDataSet* FData = nullptr;
  TCloneEvents FEvents;
};

TEST_F(QorCloneTest, CloneCopiesModifiableFieldsIntoANewRecord) {
  qor::CloneRecord(FData);
  ASSERT_EQ(FData->GetState(), fw::dsInsert);
  EXPECT_EQ(F("Name")->GetAsString(), "Smith");
  EXPECT_TRUE(F("Count")->IsNull());
  EXPECT_EQ(F("Price")->GetAsFloat(), 2.5);
  EXPECT_EQ(F("Info")->GetBlob(), kInfo);
  EXPECT_EQ(F("Picture")->GetBlob(), kPicture);
  EXPECT_TRUE(F("Id")->IsNull());      // automatic numbers are not copied
  EXPECT_TRUE(F("Fixed")->IsNull());   // nor are read-only fields
  EXPECT_EQ(F("Calc")->GetAsString(), "Smith!");  // computed anew
  FData->Post();
  EXPECT_EQ(FData->GetRecordCount(), 2);
}

TEST_F(QorCloneTest, NullValuesStayNull) {
  FData->Edit();
  for (const char* name : {"Name", "Price", "Info", "Picture"}) F(name)->Clear();
  FData->Post();
  qor::CloneRecord(FData);
  for (const char* name : {"Name", "Count", "Price", "Info", "Picture"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(F(name)->IsNull());
  }
}

TEST_F(QorCloneTest, OwnNewRecordHandlerRunsAfterTheCopyAndIsPutBack) {
  auto handler = fw::Method<&TCloneEvents::NewRecord>(&FEvents);
  FData->SetOnNewRecord(handler);
  FData->Edit();
  F("Count")->SetAsInteger(3);
  FData->Post();
  qor::CloneRecord(FData);
  EXPECT_EQ(FEvents.NewRecords, 1);
  EXPECT_EQ(FEvents.NameSeen, Variant("Smith"));  // the copy was already there
  EXPECT_EQ(F("Count")->GetAsInteger(), 5);        // the handler's default wins
  EXPECT_TRUE(FData->GetOnNewRecord() == handler);
}

TEST_F(QorCloneTest, RefusedInsertKeepsTheDataSetsOwnHandler) {
  for (bool withHandler : {true, false}) {
    SCOPED_TRACE(withHandler);
    fw::TDataSetNotifyEvent own;
    if (withHandler) own = fw::Method<&TCloneEvents::NewRecord>(&FEvents);
    FData->SetOnNewRecord(own);
    FData->SetBeforeInsert(fw::Method<&TCloneEvents::AbortInsert>(&FEvents));
    EXPECT_THROW(qor::CloneRecord(FData), fw::EAbort);
    EXPECT_EQ(FData->GetState(), fw::dsBrowse);
    EXPECT_EQ(FData->GetRecordCount(), 1);
    EXPECT_TRUE(FData->GetOnNewRecord() == own);
  }
  EXPECT_EQ(FEvents.NewRecords, 0);
}

TEST_F(QorCloneTest, PendingEditIsPostedBeforeTheCopy) {
  FData->Edit();
  F("Name")->SetAsString("Jones");
  qor::CloneRecord(FData);
  EXPECT_EQ(F("Name")->GetAsString(), "Jones");
  FData->Cancel();
  EXPECT_EQ(FData->GetRecordCount(), 1);
  EXPECT_EQ(F("Name")->GetAsString(), "Jones");  // posted before the clone
}

TEST_F(QorCloneTest, CancelledCloneLeavesTheSourceAlone) {
  qor::CloneRecord(FData);
  F("Name")->SetAsString("Other");
  FData->Cancel();
  EXPECT_EQ(FData->GetState(), fw::dsBrowse);
  EXPECT_EQ(FData->GetRecordCount(), 1);
  EXPECT_EQ(F("Name")->GetAsString(), "Smith");
  EXPECT_EQ(F("Id")->GetAsInteger(), 7);
  EXPECT_EQ(F("Picture")->GetBlob(), kPicture);
}

TEST_F(QorCloneTest, FieldThatCannotBeWrittenIsSkippedAndTheOthersCopied) {
  F("Name")->SetOnValidate(fw::Method<&TCloneEvents::RefuseName>(&FEvents));
  qor::CloneRecord(FData);
  ASSERT_EQ(FData->GetState(), fw::dsInsert);
  EXPECT_TRUE(F("Name")->IsNull());
  EXPECT_EQ(F("Price")->GetAsFloat(), 2.5);
  EXPECT_EQ(F("Info")->GetBlob(), kInfo);
}

TEST_F(QorCloneTest, ClosedDataSetRaisesAndInsertsNothing) {
  auto handler = fw::Method<&TCloneEvents::NewRecord>(&FEvents);
  FData->SetOnNewRecord(handler);
  FData->Close();
  EXPECT_THROW(qor::CloneRecord(FData), fw::EDatabaseError);
  EXPECT_TRUE(FData->GetOnNewRecord() == handler);
  EXPECT_EQ(FEvents.NewRecords, 0);
}

// ---------------------------------------------------------------- refresh lock, messages

/// Records messages with the refresh lock at the time; may fail instead.
class TRecordingMessages : public fw::TMessageService {
 public:
  void ShowMessage(const std::string& message) override {
    Messages.push_back(message);
    LockWhileShown = qor::QorApp()->GetRefreshLock();
    if (Fail) throw std::runtime_error("no screen");
  }
  bool Confirm(const std::string&) override { return true; }
  std::vector<std::string> Messages;
  int LockWhileShown = -1;
  bool Fail = false;
};

class QorAppTest : public ::testing::Test {
 protected:
  void SetUp() override { FOldService = fw::SetMessageService(&FMessages); }
  void TearDown() override {
    fw::SetMessageService(FOldService);
    qor::FreeQorApp();
  }
  TRecordingMessages FMessages;
  fw::TMessageService* FOldService = nullptr;
};

TEST_F(QorAppTest, RefreshLockNeverGoesBelowZero) {
  qor::TQorApp* app = qor::QorApp();
  EXPECT_EQ(qor::QorApp(), app);
  app->DisableRefresh();
  app->DisableRefresh();
  for (int i = 0; i < 3; ++i) app->EnableRefresh();
  EXPECT_EQ(app->GetRefreshLock(), 0);
  app->DisableRefresh();
  EXPECT_EQ(app->GetRefreshLock(), 1);
  qor::FreeQorApp();
  EXPECT_EQ(qor::QorApp()->GetRefreshLock(), 0);  // a new service
}

TEST_F(QorAppTest, MessageIsShownWhileTheRefreshIsHeld) {
  for (bool fail : {false, true}) {
    SCOPED_TRACE(fail);
    FMessages.Fail = fail;
    if (fail)
      EXPECT_THROW(qor::QorApp()->ShowMessageNoRefresh("Incorrect value"), std::runtime_error);
    else
      qor::QorApp()->ShowMessageNoRefresh("Incorrect value");
    EXPECT_EQ(FMessages.Messages.back(), "Incorrect value");
    EXPECT_EQ(FMessages.LockWhileShown, 1);
    EXPECT_EQ(qor::QorApp()->GetRefreshLock(), 0);
  }
}

// ---------------------------------------------------------------- browse-mode checks

/// Tables of two aliases ("QdFiles" standard, "QdSql" SQL) in a temporary directory.
class QorBrowseModeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    Dir = fs::temp_directory_path() / ("qor_qordb_" + std::to_string(::getpid()) + "_" + test);
    fs::remove_all(Dir);
    fs::create_directories(Dir / "tables");
    setenv("QOR_ALIAS_STORE", (Dir / "aliases.conf").c_str(), 1);
    fw::Session()->SetConfigMode({fw::cfmSession});
    DropAliases();
    fw::Session()->AddStandardAlias("QdFiles", (Dir / "tables").string(), "PARADOX");
    fw::Session()->AddAlias("QdSql", "SQLITE", {"PATH=" + (Dir / "data.sqlite").string()});
    const std::pair<const char*, const char*> tables[] = {
        {"QdFiles", "A.db"}, {"QdFiles", "B.db"}, {"QdFiles", "C.db"}, {"QdFiles", "D.db"}, {"QdSql", "E"}};
    for (auto [db, name] : tables) MakeTable(db, name);
  }
  void TearDown() override {
    Owner.reset();
    qor::FreeQorApp();
    DropAliases();
    fw::Session()->SetConfigMode({fw::cfmVirtual, fw::cfmPersistent, fw::cfmSession});
    fs::remove_all(Dir);
  }
  static void DropAliases() {
    for (auto name : {"QdFiles", "QdSql"})
      if (fw::Session()->IsAlias(name)) fw::Session()->DeleteAlias(name);
  }
  /// A table (Id, Name) with the record 1, "old".
  void MakeTable(const std::string& db, const std::string& name) {
    fw::TTable t(nullptr);
    t.SetDatabaseName(db);
    t.SetTableName(name);
    t.GetFieldDefs()->Add("Id", fw::ftInteger);
    t.GetFieldDefs()->Add("Name", fw::ftString, 20);
    t.CreateTable();
    t.Open();
    t.Append();
    t.FieldByName("Id")->SetAsInteger(1);
    t.FieldByName("Name")->SetAsString("old");
    t.Post();
  }
  fw::TTable* Open(const std::string& db, const std::string& name, fw::TComponent* owner = nullptr) {
    auto* t = new fw::TTable(owner ? owner : Owner.get());
    t->SetDatabaseName(db);
    t->SetTableName(name);
    t->Open();
    return t;
  }
  /// The stored names of a table, in stored order.
  std::vector<std::string> Stored(const std::string& db, const std::string& name) {
    fw::TTable t(nullptr);
    t.SetDatabaseName(db);
    t.SetTableName(name);
    t.Open();
    std::vector<std::string> names;
    for (t.First(); !t.GetEOF(); t.Next()) names.push_back(t.FieldByName("Name")->GetAsString());
    return names;
  }

  fs::path Dir;
  std::unique_ptr<fw::TComponent> Owner = std::make_unique<fw::TComponent>(nullptr);
};

class TFailingPost : public fw::TObject {
 public:
  void BeforePost(TDataSet*) { fw::DatabaseError("post refused"); }
};

TEST_F(QorBrowseModeTest, PendingEditsOfEverySessionDataSetArePostedOrCancelled) {
  TFailingPost refuse;
  fw::TTable* c = Open("QdFiles", "C.db");  // first in line, and its post fails
  c->SetBeforePost(fw::Method<&TFailingPost::BeforePost>(&refuse));
  c->Edit();
  c->FieldByName("Name")->SetAsString("refused");
  fw::TTable* a = Open("QdFiles", "A.db");
  a->Edit();
  a->FieldByName("Name")->SetAsString("edited");
  fw::TTable* b = Open("QdFiles", "B.db");
  b->Insert();  // unmodified: cancelled
  fw::TTable* d = Open("QdFiles", "D.db");
  d->Close();
  fw::TTable* e = Open("QdSql", "E");
  e->Append();
  e->FieldByName("Name")->SetAsString("added");
  fw::TMemDataSet outside(nullptr);  // not a dataset of the session
  outside.GetFieldDefs()->Add("Name", fw::ftString, 10);
  outside.CreateDataSet();
  outside.Append();
  outside.FieldByName("Name")->SetAsString("x");

  qor::QorApp()->CheckBrowseModeAll();

  EXPECT_EQ(c->GetState(), fw::dsEdit);
  EXPECT_EQ(a->GetState(), fw::dsBrowse);
  EXPECT_EQ(b->GetState(), fw::dsBrowse);
  EXPECT_FALSE(d->GetActive());
  EXPECT_EQ(e->GetState(), fw::dsBrowse);
  EXPECT_EQ(outside.GetState(), fw::dsInsert);
  EXPECT_EQ(Stored("QdFiles", "A.db"), (std::vector<std::string>{"edited"}));
  EXPECT_EQ(Stored("QdFiles", "B.db"), (std::vector<std::string>{"old"}));
  EXPECT_EQ(Stored("QdFiles", "C.db"), (std::vector<std::string>{"old"}));
  EXPECT_EQ(Stored("QdSql", "E"), (std::vector<std::string>{"old", "added"}));
  c->Cancel();
}

/// The old OnDestroy handler of a data module: what it saw when it ran.
class TOldDestroy : public fw::TObject {
 public:
  void Destroy(fw::TObject* sender) {
    ++Calls;
    Sender = sender;
    StateSeen = Table ? Table->GetState() : fw::dsInactive;
  }
  fw::TTable* Table = nullptr;
  int Calls = 0;
  fw::TObject* Sender = nullptr;
  fw::TDataSetState StateSeen = fw::dsInactive;
};

TEST_F(QorBrowseModeTest, DataModuleDestroyPostsEditsThenCallsTheOldHandler) {
  for (bool withOld : {true, false}) {
    SCOPED_TRACE(withOld);
    auto* module = new fw::TDataModule(nullptr);
    fw::TTable* a = Open("QdFiles", "A.db", module);
    a->Edit();
    a->FieldByName("Name")->SetAsString(withOld ? "with old" : "without old");
    TOldDestroy old;
    old.Table = a;
    qor::TQorApp* app = qor::QorApp();
    app->OldDataModuleDestroy = withOld ? fw::Method<&TOldDestroy::Destroy>(&old) : fw::TNotifyEvent();
    module->SetOnDestroy(fw::Method<&qor::TQorApp::DataModuleDestroy>(app));
    delete module;
    EXPECT_EQ(old.Calls, withOld ? 1 : 0);
    if (withOld) {
      EXPECT_EQ(old.Sender, module);
      EXPECT_EQ(old.StateSeen, fw::dsBrowse);  // the edit was posted first
    }
    EXPECT_EQ(Stored("QdFiles", "A.db"), (std::vector<std::string>{withOld ? "with old" : "without old"}));
  }
}

}  // namespace
