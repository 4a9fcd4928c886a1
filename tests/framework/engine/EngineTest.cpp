// The engine on SQLite: tables and queries over a directory of table files (standard
// alias) and over one SQLite database (SQL alias), every column type through a round
// trip, index definitions, master-detail, queries as the demonstration writes them, bad
// input that names what is wrong, and a writer killed in the middle of its posts.
#include <gtest/gtest.h>

#include <sqlite3.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/Exceptions.h"
#include "framework/engine/DBDataSet.h"
#include "framework/engine/Database.h"
#include "framework/engine/Session.h"
#include "framework/stream/FormReader.h"
#include "framework/stream/FormWriter.h"
#include "tests/framework/engine/EngineFixture.h"
#include "tests/support/ExpectError.h"

namespace {

using namespace fw;
namespace fs = std::filesystem;

class EngineTest : public EngineFixture, public ::testing::WithParamInterface<const char*> {};

TEST_P(EngineTest, EveryColumnTypeSurvivesARoundTrip) {
  const std::string db = GetParam();
  TTable* t = NewTable(db, "People.db");
  struct Col {
    const char* name;
    TFieldType type;
    int size;
    const char* fieldClass;
    int dataSize;
  };
  const Col cols[] = {
      {"id", ftAutoInc, 0, "TAutoIncField", 4},    {"Name", ftString, 40, "TStringField", 41},
      {"Lang", ftSmallint, 0, "TSmallintField", 2}, {"Count", ftInteger, 0, "TIntegerField", 4},
      {"W", ftWord, 0, "TWordField", 2},            {"Big", ftLargeint, 0, "TLargeintField", 8},
      {"Flag", ftBoolean, 0, "TBooleanField", 2},   {"Amount", ftFloat, 0, "TFloatField", 8},
      {"Price", ftCurrency, 0, "TCurrencyField", 8}, {"Born", ftDate, 0, "TDateField", 4},
      {"At", ftTime, 0, "TTimeField", 4},           {"Stamp", ftDateTime, 0, "TDateTimeField", 8},
      {"Info", ftMemo, 40, "TMemoField", 0},        {"Image", ftGraphic, 0, "TGraphicField", 0},
      {"Data", ftBlob, 0, "TBlobField", 0},
  };
  for (const auto& c : cols) t->GetFieldDefs()->Add(c.name, c.type, c.size);
  t->GetIndexDefs()->Add("", "id", {ixPrimary});
  t->GetIndexDefs()->Add("ByName", "Name", {});
  t->CreateTable();
  EXPECT_TRUE(t->Exists());
  t->Open();
  for (const auto& c : cols) {
    SCOPED_TRACE(c.name);
    TField* f = t->FieldByName(c.name);
    EXPECT_EQ(f->ClassName(), c.fieldClass);
    EXPECT_EQ(f->GetDataSize(), c.dataSize);
    if (c.type == ftString) {
      EXPECT_EQ(f->GetSize(), c.size);
    }
  }
  const TDateTime born = TDateTime::Encode(1990, 1, 31), at = TDateTime::Encode(1899, 12, 30, 13, 45, 10),
                  stamp = TDateTime::Encode(2026, 12, 11, 8, 30, 0, 250);
  for (int i = 0; i < 2; ++i) {
    t->Append();
    t->FieldByName("Name")->SetAsString(i ? "Ёлкин" : "Smith");
    t->FieldByName("Lang")->SetAsInteger(-7);
    t->FieldByName("Count")->SetAsInteger(2000000000);
    t->FieldByName("W")->SetAsInteger(65535);
    t->FieldByName("Big")->SetValue(Variant(std::int64_t{1} << 40));
    t->FieldByName("Flag")->SetAsBoolean(true);
    t->FieldByName("Amount")->SetAsFloat(0.1);
    t->FieldByName("Price")->SetValue(Variant(TCurrency{12345}));
    t->FieldByName("Born")->SetAsDateTime(born);
    t->FieldByName("At")->SetAsDateTime(at);
    t->FieldByName("Stamp")->SetAsDateTime(stamp);
    t->FieldByName("Info")->SetAsString("line 1\r\nline 2");
    t->FieldByName("Image")->SetBlob(std::string("\x89PNG\0\x01", 6));
    t->Post();
    EXPECT_EQ(t->FieldByName("id")->GetAsInteger(), i + 1);  // numbered by the engine
  }
  t->Close();
  t->Open();
  ASSERT_EQ(t->GetRecordCount(), 2);
  t->Last();
  EXPECT_EQ(t->FieldByName("id")->GetAsInteger(), 2);
  EXPECT_EQ(t->FieldByName("Name")->GetAsString(), "Ёлкин");
  EXPECT_EQ(t->FieldByName("Lang")->GetAsInteger(), -7);
  EXPECT_EQ(t->FieldByName("Count")->GetAsInteger(), 2000000000);
  EXPECT_EQ(t->FieldByName("W")->GetAsInteger(), 65535);
  EXPECT_EQ(t->FieldByName("Big")->GetValue().AsInt64(), std::int64_t{1} << 40);
  EXPECT_TRUE(t->FieldByName("Flag")->GetAsBoolean());
  EXPECT_DOUBLE_EQ(t->FieldByName("Amount")->GetAsFloat(), 0.1);
  EXPECT_EQ(t->FieldByName("Price")->GetValue().AsCurrency().Value, 12345);
  EXPECT_EQ(t->FieldByName("Born")->GetAsDateTime().Value, born.Value);
  EXPECT_EQ(t->FieldByName("At")->GetAsDateTime().Value, at.Value);
  EXPECT_EQ(t->FieldByName("Stamp")->GetAsDateTime().Value, stamp.Value);
  EXPECT_EQ(t->FieldByName("Info")->GetAsString(), "line 1\r\nline 2");
  EXPECT_EQ(t->FieldByName("Image")->GetBlob(), std::string("\x89PNG\0\x01", 6));
  EXPECT_TRUE(t->FieldByName("Data")->IsNull());

  // A query over the table reads the same field classes and values.
  TQuery* q = NewQuery(db, db == "Files" ? "select * from People.db" : "select * from \"People.db\"");
  q->Open();
  for (const auto& c : cols) {
    SCOPED_TRACE(std::string("query ") + c.name);
    EXPECT_EQ(q->FieldByName(c.name)->ClassName(), c.fieldClass);
  }
  q->Last();
  EXPECT_EQ(q->FieldByName("Name")->GetAsString(), "Ёлкин");
  EXPECT_EQ(q->FieldByName("Stamp")->GetAsDateTime().Value, stamp.Value);
  EXPECT_EQ(q->FieldByName("Price")->GetValue().AsCurrency().Value, 12345);
  EXPECT_EQ(q->FieldByName("Image")->GetBlob(), std::string("\x89PNG\0\x01", 6));
  q->Close();

  // Index definitions as the engine reports them.
  t->GetIndexDefs()->Update();
  ASSERT_EQ(t->GetIndexDefs()->GetCount(), 2);
  EXPECT_EQ(t->GetIndexDefs()->GetItem(0)->GetFields(), "id");
  EXPECT_TRUE(t->GetIndexDefs()->GetItem(0)->GetOptions().Contains(ixPrimary));
  EXPECT_EQ(t->GetIndexDefs()->GetItem(1)->GetName(), "ByName");
  EXPECT_EQ(t->GetIndexDefs()->GetItem(1)->GetFields(), "Name");
  EXPECT_FALSE(t->GetIndexDefs()->GetItem(1)->GetOptions().Contains(ixUnique));

  // Edits and deletes are written through.
  t->First();
  t->Edit();
  t->FieldByName("Name")->SetAsString("Jones");
  t->Post();
  t->Last();
  t->Delete();
  t->Close();
  t->Open();
  ASSERT_EQ(t->GetRecordCount(), 1);
  EXPECT_EQ(t->FieldByName("Name")->GetAsString(), "Jones");
  t->EmptyTable();
  EXPECT_EQ(t->GetRecordCount(), 0);
  t->Close();
  t->DeleteTable();
  EXPECT_FALSE(t->Exists());
}

TEST_P(EngineTest, IndexFieldNamesIndexNameAndMasterDetail) {
  const std::string db = GetParam();
  MakeContinents(db);
  TTable* country = NewTable(db, "Country.DB");
  country->GetFieldDefs()->Add("Id", ftSmallint);
  country->GetFieldDefs()->Add("Name", ftString, 30);
  country->GetFieldDefs()->Add("Continent", ftSmallint);
  country->GetIndexDefs()->Add("", "Id", {ixPrimary});
  country->GetIndexDefs()->Add("ByContinent", "Continent;Name", {});
  country->CreateTable();
  country->Open();
  int rows[][2] = {{1, 1}, {2, 1}, {3, 3}, {4, 2}, {5, 3}};
  const char* names[] = {"France", "Austria", "Japan", "Kenya", "China"};
  for (int i = 0; i < 5; ++i) {
    country->Append();
    country->FieldByName("Id")->SetAsInteger(rows[i][0]);
    country->FieldByName("Continent")->SetAsInteger(rows[i][1]);
    country->FieldByName("Name")->SetAsString(names[i]);
    country->Post();
  }
  country->Close();

  TTable* cont = NewTable(db, "Cont.db");
  cont->SetIndexFieldNames("Id");
  cont->Open();
  EXPECT_EQ(cont->FieldByName("Name")->GetAsString(), "Europe");
  TDataSource source(nullptr);
  source.SetDataSet(cont);
  country->SetIndexName("ByContinent");
  EXPECT_EQ(country->GetIndexFieldNames(), "Continent;Name");
  country->SetMasterSource(&source);
  country->SetMasterFields("Id");
  country->Open();
  auto namesNow = [&] {
    std::string s;
    for (country->First(); !country->GetEOF(); country->Next()) s += country->FieldByName("Name")->GetAsString() + " ";
    return s;
  };
  EXPECT_EQ(namesNow(), "Austria France ");
  cont->Last();  // Asia
  EXPECT_EQ(namesNow(), "China Japan ");
  country->Append();  // a new detail record takes the master's key
  country->FieldByName("Id")->SetAsInteger(6);
  country->FieldByName("Name")->SetAsString("India");
  country->Post();
  EXPECT_EQ(country->FieldByName("Continent")->GetAsInteger(), 3);
  EXPECT_EQ(namesNow(), "China India Japan ");
  country->SetMasterSource(nullptr);
}

// File names in SQL text belong to standard aliases.
class EngineFiles : public EngineFixture {};

TEST_F(EngineFiles, QueriesRunAsTheDemonstrationWritesThem) {
  const std::string db = "Files";
  MakeContinents(db);
  TQuery* q = NewQuery(db, "select * from Cont.db\r\norder by id");
  EXPECT_EQ(q->GetSQL()->GetCount(), 2);
  q->Open();
  std::string s;
  for (; !q->GetEOF(); q->Next()) s += q->FieldByName("Name")->GetAsString() + " ";
  EXPECT_EQ(s, "Europe Africa Asia ");
  EXPECT_FALSE(q->CanModify());
  EXPECT_EQ(q->FieldByName("Id")->ClassName(), "TSmallintField");

  TQuery* lower = NewQuery(db, "select * from cont.DB where Id > :MinId");
  lower->ParamByName("MinId")->SetValue(1);
  lower->Open();
  EXPECT_EQ(lower->GetRecordCount(), 2);

  TQuery* max = NewQuery(db, "select max(Id) as MaxNumAutoIncQuery from Cont.db");
  max->Open();
  EXPECT_EQ(max->FieldByName("MaxNumAutoIncQuery")->GetAsInteger(), 3);

  // A detail query takes its parameters from the master's current record.
  TTable* cont = NewTable(db, "Cont.db");
  cont->SetIndexFieldNames("Id");
  cont->Open();
  TDataSource source(nullptr);
  source.SetDataSet(cont);
  TQuery* detail = NewQuery(db, "select Name from Cont.db where Id = :Id");
  detail->SetDataSource(&source);
  detail->Open();
  EXPECT_EQ(detail->FieldByName("Name")->GetAsString(), "Europe");
  cont->Next();
  EXPECT_EQ(detail->FieldByName("Name")->GetAsString(), "Africa");
  detail->SetDataSource(nullptr);

  TQuery* exec = NewQuery(db, "update Cont.db set Name = upper(Name) where Id = :Id");
  exec->ParamByName("Id")->SetValue(1);
  exec->ExecSQL();
  EXPECT_EQ(exec->GetRowsAffected(), 1);
  q->Close();
  q->Open();
  EXPECT_EQ(q->FieldByName("Name")->GetAsString(), "EUROPE");
}

TEST_F(EngineFiles, ManyTableFilesAreAttachedOnDemand) {
  for (int i = 0; i < 14; ++i) MakeContinents("Files", "T" + std::to_string(i) + ".db");
  for (int round = 0; round < 2; ++round)
    for (int i = 0; i < 14; ++i) {
      TQuery* q = NewQuery("Files", "select count(*) as N from T" + std::to_string(i) + ".db");
      q->Open();
      EXPECT_EQ(q->FieldByName("N")->GetAsInteger(), 3);
      delete q;
    }
}

// Editing through the engine on tables whose row id has another name: an "integer
// primary key" column is the row id itself, and an ordinary column may be named after it.
TEST_P(EngineTest, EditsReachTheRowWhateverTheRowIdIsCalled) {
  const std::string db = GetParam();
  struct Case {
    const char* name;
    const char* columns;     // an "id" column and a Name column
    const char* fieldClass;  // of "id"
  };
  const Case cases[] = {
      {"primary key of its own", "id SMALLINT, Name VARCHAR(20), primary key (id)", "TSmallintField"},
      {"integer primary key", "id INTEGER PRIMARY KEY, Name VARCHAR(20)", "TIntegerField"},
      {"integer primary key autoincrement", "id INTEGER PRIMARY KEY AUTOINCREMENT, Name VARCHAR(20)", "TIntegerField"},
      // Every row holds the same value in a column named rowid: only the row's own id
      // tells the rows apart.
      {"column named rowid", "id INT, Name VARCHAR(20), rowid INT default 7", "TIntegerField"},
      {"columns named rowid and _rowid_", "id INT, Name VARCHAR(20), rowid INT default 7, _rowid_ INT default 7",
       "TIntegerField"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RawExec(db, "Keyed.db", std::string("drop table if exists %T; create table %T (") + c.columns + ")");
    TTable* t = NewTable(db, "Keyed.db");
    t->SetIndexFieldNames("id");
    t->Open();
    EXPECT_EQ(t->FieldByName("id")->ClassName(), c.fieldClass);
    for (auto [id, name] : std::vector<std::pair<int, const char*>>{{10, "Ann"}, {20, "Bob"}, {30, "Cid"}}) {
      t->Append();
      t->FieldByName("id")->SetAsInteger(id);
      t->FieldByName("Name")->SetAsString(name);
      t->Post();
    }
    ASSERT_TRUE(t->Locate("id", 20, {}));
    t->Edit();
    t->FieldByName("Name")->SetAsString("Bea");
    EXPECT_NO_THROW(t->Post());
    // Another writer changes a row; a refresh finds the current record again by its row id.
    RawExec(db, "Keyed.db", "update %T set Name = 'Ann2' where id = 10");
    t->Refresh();
    EXPECT_EQ(t->FieldByName("id")->GetAsInteger(), 20);
    t->First();
    EXPECT_EQ(t->FieldByName("Name")->GetAsString(), "Ann2");
    t->Last();
    t->Delete();
    t->Close();
    t->Open();
    std::string rows;
    for (t->First(); !t->GetEOF(); t->Next())
      rows += t->FieldByName("id")->GetAsString() + "=" + t->FieldByName("Name")->GetAsString() + " ";
    EXPECT_EQ(rows, "10=Ann2 20=Bea ");
    delete t;
  }

  // A table with columns under all three names of the row id cannot be edited safely.
  RawExec(db, "Keyed.db", "drop table %T; create table %T (rowid INT, _rowid_ INT, oid INT)");
  TTable* t = NewTable(db, "Keyed.db");
  ExpectError<EDatabaseError>([&] { t->Open(); },
                              "Table 'Keyed.db' has columns named rowid, _rowid_ and oid: its rows cannot be told apart");
}

INSTANTIATE_TEST_SUITE_P(Aliases, EngineTest, ::testing::Values("Files", "Sql"));

struct BadCase {
  const char* what;
  std::function<void(EngineFixture&)> act;
  std::vector<std::string> fragments;
};

class EngineErrors : public EngineFixture {
 public:
  using EngineFixture::MakeContinents;
  using EngineFixture::NewQuery;
  using EngineFixture::NewTable;
};

TEST_F(EngineErrors, BadInputNamesWhatIsWrongAndKeepsTheDataSet) {
  MakeContinents("Files");
  std::ofstream(Dir / "tables" / "Junk.db") << "this is not a table, just text that goes on for a while........";
  const BadCase cases[] = {
      {"missing table", [](EngineFixture& f) { static_cast<EngineErrors&>(f).NewTable("Files", "Nope.db")->Open(); },
       {"Nope.db", "does not exist"}},
      {"not a table", [](EngineFixture& f) { static_cast<EngineErrors&>(f).NewTable("Files", "Junk.db")->Open(); },
       {"Junk.db", "not a database"}},
      {"unknown alias", [](EngineFixture& f) { static_cast<EngineErrors&>(f).NewTable("Nowhere", "Cont.db")->Open(); },
       {"Nowhere"}},
      {"rejected SQL",
       [](EngineFixture& f) { static_cast<EngineErrors&>(f).NewQuery("Files", "select * form Cont.db")->Open(); },
       {"select * form Cont.db", "syntax error"}},
      {"unknown column",
       [](EngineFixture& f) { static_cast<EngineErrors&>(f).NewQuery("Files", "select Nope from Cont.db")->Open(); },
       {"select Nope from Cont.db", "no such column: Nope"}},
      {"two primary indexes",
       [](EngineFixture& f) {
         TTable* t = static_cast<EngineErrors&>(f).NewTable("Files", "Twice.db");
         t->GetFieldDefs()->Add("A", ftInteger);
         t->GetFieldDefs()->Add("B", ftInteger);
         t->GetIndexDefs()->Add("", "A", {ixPrimary});
         t->GetIndexDefs()->Add("", "B", {ixPrimary});
         t->CreateTable();
       },
       {"Twice.db", "more than one primary index"}},
      {"parameter without a value",
       [](EngineFixture& f) { static_cast<EngineErrors&>(f).NewQuery("Files", "select * from Cont.db where Id > :MinId")->Open(); },
       {"No value for parameter 'MinId'"}},
      // A parameter item made by hand (or read from a form file) has no value either: it
      // is not bound to null, or a query would open after reading a form file and fail
      // once the same query is written and read again.
      {"parameter item without a value",
       [](EngineFixture& f) {
         TQuery* q = static_cast<EngineErrors&>(f).NewQuery("Files", "select * from Cont.db where Id > :MinId");
         q->GetParams()->Clear();
         auto* p = static_cast<TParam*>(q->GetParams()->Add());
         p->SetName("MinId");
         p->SetDataType(ftInteger);
         q->Open();
       },
       {"No value for parameter 'MinId'"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      c.act(*this);
      ADD_FAILURE() << "no error";
    } catch (const EDatabaseError& e) {
      for (const auto& frag : c.fragments) EXPECT_NE(std::string(e.what()).find(frag), std::string::npos) << e.what();
    }
  }
  EXPECT_FALSE(fs::exists(Dir / "tables" / "Twice.db"));  // refused before its file was made

  // A post that violates the primary index fails and keeps the record being inserted.
  TTable* cont = NewTable("Files", "Cont.db");
  cont->Open();
  cont->Append();
  cont->FieldByName("Id")->SetAsInteger(1);
  cont->FieldByName("Name")->SetAsString("Again");
  try {
    cont->Post();
    ADD_FAILURE() << "posted a duplicate key";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("Cont.db"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("UNIQUE constraint failed"), std::string::npos) << e.what();
  }
  EXPECT_EQ(cont->GetState(), dsInsert);
  EXPECT_EQ(cont->FieldByName("Name")->GetAsString(), "Again");
  cont->FieldByName("Id")->SetAsInteger(9);
  cont->Post();
  EXPECT_EQ(cont->GetRecordCount(), 4);
}

TEST_F(EngineErrors, ATableLockedByAnotherWriterIsReportedAndNotCorrupted) {
  MakeContinents("Files");
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open((Dir / "tables" / "Cont.db").c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
  TDatabase* database = new TDatabase(Owner.get());
  database->SetDatabaseName("Quick");
  database->SetDriverName("STANDARD");
  database->GetParams()->Add("PATH=" + (Dir / "tables").string());
  database->GetParams()->Add("BUSY TIMEOUT=50");
  TTable* cont = NewTable("Quick", "Cont.db");
  ExpectError<EDatabaseError>([&] { cont->Open(); },
                              "Cannot attach table file '" + (Dir / "tables" / "Cont.db").string() +
                                  "': database 'Quick' is locked by another connection (database is locked)");
  EXPECT_FALSE(cont->GetActive());
  sqlite3_exec(other, "rollback", nullptr, nullptr, nullptr);
  cont->Open();
  EXPECT_EQ(cont->GetRecordCount(), 3);

  // A post while another connection writes names the table and the database, and keeps
  // the edit for a second try.
  ASSERT_EQ(sqlite3_exec(other, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
  cont->Edit();
  cont->FieldByName("Name")->SetAsString("Later");
  ExpectError<EDatabaseError>(
      [&] { cont->Post(); },
      "Cannot post to table 'Cont.db': database 'Quick' is locked by another connection (database is locked)");
  EXPECT_EQ(cont->GetState(), dsEdit);
  sqlite3_exec(other, "rollback", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  cont->Post();
  cont->Close();
  cont->Open();
  EXPECT_TRUE(cont->Locate("Name", "Later", {}));
}

TEST_F(EngineErrors, ABusyTimeoutThatIsNotANumberOfMillisecondsIsRefused) {
  const char* bad[] = {"abc", "12abc", "99999999999", "2147483648", "-5", "1.5", "0x10"};
  for (const char* value : bad) {
    SCOPED_TRACE(value);
    auto database = std::make_unique<TDatabase>(nullptr);
    database->SetDatabaseName("Quick");
    database->SetDriverName("STANDARD");
    database->GetParams()->Add("PATH=" + (Dir / "tables").string());
    database->GetParams()->Add(std::string("BUSY TIMEOUT=") + value);
    ExpectError<EDatabaseError>([&] { database->Open(); },
                                std::string("Invalid BUSY TIMEOUT '") + value +
                                    "' of database 'Quick': a number of milliseconds from 0 to 2147483647 is expected");
    EXPECT_FALSE(database->GetConnected());
  }
  for (const char* value : {"0", "250", "2147483647"}) {
    SCOPED_TRACE(value);
    TDatabase database(nullptr);
    database.SetDriverName("STANDARD");
    database.GetParams()->Add("PATH=" + (Dir / "tables").string());
    database.GetParams()->Add(std::string("BUSY TIMEOUT=") + value);
    EXPECT_NO_THROW(database.Open());
  }
}

TEST_F(EngineErrors, ATableNameIsAFileInsideTheDatabaseDirectory) {
  // A table file beside the directory, which no table name may reach.
  MakeContinents("Files");
  fs::copy_file(Dir / "tables" / "Cont.db", Dir / "Outside.db");
  fs::create_directories(Dir / "tables" / "sub");
  fs::copy_file(Dir / "tables" / "Cont.db", Dir / "tables" / "sub" / "Inner.db");
  const std::string tables = (Dir / "tables").string();
  const std::string names[] = {"../Outside.db", (Dir / "Outside.db").string(), "../New.db", "sub/Inner.db",
                               "sub/../Cont.db", "..", ".", "x\\Cont.db"};
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const std::string message =
        "Invalid table name '" + name + "': a table is a file directly inside the database directory " + tables;
    TTable* t = NewTable("Files", name);
    ExpectError<EDatabaseError>([&] { t->Open(); }, message);
    ExpectError<EDatabaseError>([&] { t->Exists(); }, message);
    ExpectError<EDatabaseError>([&] { t->DeleteTable(); }, message);
    t->GetFieldDefs()->Add("Id", ftInteger);
    ExpectError<EDatabaseError>([&] { t->CreateTable(); }, message);
    delete t;
  }
  // A name with a NUL byte would name another file once it reaches the system.
  TTable* t = NewTable("Files", std::string("Cont.db\0x", 9));
  EXPECT_THROW(t->Open(), EDatabaseError);
  EXPECT_THROW(t->DeleteTable(), EDatabaseError);

  std::vector<std::string> entries;
  for (const auto& e : fs::directory_iterator(Dir)) entries.push_back(e.path().filename().string());
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, (std::vector<std::string>{"Outside.db", "tables"}));
  EXPECT_TRUE(fs::exists(Dir / "tables" / "sub" / "Inner.db"));
  EXPECT_TRUE(fs::exists(Dir / "tables" / "Cont.db"));
}

// Connected and IndexName read from a form file take effect when the whole file is read,
// whatever the order of the properties in it.
TEST_F(EngineFiles, ADatabaseAndATableReadFromAFormFileConnectAndOpenWhenLoaded) {
  RegisterEngineClasses();
  RawExec("Files", "Country.DB",
          "create table %T (Id SMALLINT, Name VARCHAR(30), Continent SMALLINT, primary key (Id));"
          "create index ByContinent on %T (Continent, Name);"
          "insert into %T values (1, 'France', 1), (2, 'Austria', 1), (3, 'Japan', 3), (4, 'Kenya', 2)");
  const std::string database =
      "  object Db: TDatabase\n"
      "    Connected = True\n"
      "    DatabaseName = 'Loaded'\n"
      "    DriverName = 'STANDARD'\n"
      "    Params.Strings = (\n"
      "      'PATH=" + (Dir / "tables").string() + "'\n"
      "      'BUSY TIMEOUT=100')\n"
      "  end\n";
  const std::string table =
      "  object Countries: TTable\n"
      "    Active = True\n"
      "    IndexName = 'ByContinent'\n"
      "    DatabaseName = 'Loaded'\n"
      "    TableName = 'Country.DB'\n"
      "  end\n";
  for (bool tableFirst : {false, true}) {
    SCOPED_TRACE(tableFirst ? "table first" : "database first");
    const std::string text = "object DM: TDataModule\n" + (tableFirst ? table + database : database + table) + "end\n";
    std::unique_ptr<TComponent> root(ReadComponentText(text, nullptr));
    auto* db = dynamic_cast<TDatabase*>(root->FindComponent("Db"));
    auto* countries = dynamic_cast<TTable*>(root->FindComponent("Countries"));
    ASSERT_TRUE(db && countries);
    EXPECT_TRUE(db->GetConnected());
    ASSERT_TRUE(countries->GetActive());
    EXPECT_EQ(countries->GetIndexName(), "ByContinent");
    EXPECT_EQ(countries->GetIndexFieldNames(), "Continent;Name");
    EXPECT_EQ(countries->FieldByName("Name")->GetAsString(), "Austria");

    // What the writer saves of them reads back the same way.
    const std::string saved = WriteComponentText(root.get());
    root.reset();
    std::unique_ptr<TComponent> again(ReadComponentText(saved, nullptr));
    EXPECT_TRUE(dynamic_cast<TDatabase*>(again->FindComponent("Db"))->GetConnected());
    auto* reread = dynamic_cast<TTable*>(again->FindComponent("Countries"));
    ASSERT_TRUE(reread->GetActive());
    EXPECT_EQ(reread->GetIndexName(), "ByContinent");
    EXPECT_EQ(reread->FieldByName("Name")->GetAsString(), "Austria");
  }
}

TEST_F(EngineErrors, AWriterKilledInThePostLeavesWholeRecords) {
  TTable* t = NewTable("Files", "Log.db");
  t->GetFieldDefs()->Add("id", ftAutoInc);
  t->GetFieldDefs()->Add("Name", ftString, 30);
  t->GetFieldDefs()->Add("Twice", ftInteger);
  t->GetIndexDefs()->Add("", "id", {ixPrimary});
  t->CreateTable();
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The writer: posts until it is killed.
    try {
      TTable writer(nullptr);
      writer.SetDatabaseName("Files");
      writer.SetTableName("Log.db");
      writer.Open();
      for (int i = 1;; ++i) {
        writer.Append();
        writer.FieldByName("Name")->SetAsString("row " + std::to_string(i));
        writer.FieldByName("Twice")->SetAsInteger(2 * i);
        writer.Post();
      }
    } catch (...) {
    }
    _exit(1);
  }
  // Let it write for a while, then kill it wherever it is.
  for (int tries = 0; tries < 200; ++tries) {
    usleep(10000);
    std::error_code ec;
    if (fs::file_size(Dir / "tables" / "Log.db", ec) > 16384) break;
  }
  usleep(30000);
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);

  sqlite3* check = nullptr;
  ASSERT_EQ(sqlite3_open((Dir / "tables" / "Log.db").c_str(), &check), SQLITE_OK);
  sqlite3_stmt* stmt = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(check, "pragma integrity_check", -1, &stmt, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), "ok");
  sqlite3_finalize(stmt);
  sqlite3_close(check);

  t->Open();
  EXPECT_GT(t->GetRecordCount(), 0);
  for (t->First(); !t->GetEOF(); t->Next()) {
    int id = t->FieldByName("id")->GetAsInteger();
    ASSERT_EQ(t->FieldByName("Name")->GetAsString(), "row " + std::to_string(id));
    ASSERT_EQ(t->FieldByName("Twice")->GetAsInteger(), 2 * id);
  }
  t->Last();
  EXPECT_EQ(t->FieldByName("id")->GetAsInteger(), t->GetRecordCount());
}

}  // namespace
