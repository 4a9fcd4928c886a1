// The driver interface as the seam between the engine and its databases: drivers are found
// by the alias's driver name, a database and its tables work over any registered driver,
// an unknown name is refused with a clear error, and values bound through the interface
// come back as the kinds of value they were.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/core/Exceptions.h"
#include "framework/engine/Database.h"
#include "framework/engine/Driver.h"
#include "tests/framework/engine/EngineFixture.h"
#include "tests/support/ExpectError.h"

namespace {

/// A driver that passes every connection on to the SQLite driver and counts them.
class TCountingDriver : public TDriver {
 public:
  std::unique_ptr<TDriverConnection> Connect(const TConnectParams& params, TDriverError& error) const override {
    ++Connections;
    return FindDriver("SQLITE")->Connect(params, error);
  }
  mutable int Connections = 0;
};

class DriverTest : public EngineFixture {
 protected:
  TDatabase* NewDatabase(const std::string& name, const std::string& driver) {
    auto* db = new TDatabase(Owner.get());
    db->SetDatabaseName(name);
    db->SetDriverName(driver);
    db->GetParams()->Add("PATH=" + (Dir / "data.sqlite").string());
    return db;
  }
};

TEST_F(DriverTest, DriversAreFoundByNameIgnoringCase) {
  EXPECT_NE(FindDriver("SQLITE"), nullptr);
  EXPECT_EQ(FindDriver("sqlite"), FindDriver("SQLITE"));
  EXPECT_NE(FindDriver("Standard"), nullptr);
  EXPECT_EQ(FindDriver("NOSUCHDRIVER"), nullptr);
}

TEST_F(DriverTest, AnUnknownDriverNameIsRefusedByName) {
  TDatabase* db = NewDatabase("Odd", "NOSUCHDRIVER");
  ExpectError<EDatabaseError>([&] { db->Open(); }, "Unknown driver 'NOSUCHDRIVER' for Odd");
  EXPECT_FALSE(db->GetConnected());
}

TEST_F(DriverTest, TablesWorkOverARegisteredDriver) {
  auto counting = std::make_shared<TCountingDriver>();
  RegisterDriver("COUNTING", counting);
  TDatabase* db = NewDatabase("Counted", "Counting");
  db->Open();
  EXPECT_EQ(counting->Connections, 1);
  EXPECT_TRUE(db->IsSQLBased());

  MakeContinents("Counted");
  TTable* t = NewTable("Counted", "Cont.db");
  t->Open();
  EXPECT_EQ(t->GetRecordCount(), 3);
  t->Close();
  EXPECT_EQ(counting->Connections, 1);  // the database keeps its connection
  RegisterDriver("COUNTING", nullptr);
}

TEST_F(DriverTest, BoundValuesComeBackAsTheKindsOfValueTheyWere) {
  TDatabase* db = NewDatabase("Values", "SQLITE");
  struct Case {
    const char* name;
    Variant value;
    TStorageType type;
    std::string text;
  };
  const Case cases[] = {
      {"null", Variant(), stNull, ""},
      {"boolean", Variant(true), stInteger, "1"},
      {"integer", Variant(std::int64_t{-42}), stInteger, "-42"},
      {"float", Variant(2.5), stFloat, "2.5"},
      {"date", Variant(TDateTime{45000.5}), stFloat, "45000.5"},
      {"whole currency", Variant(TCurrency{120000}), stInteger, "12"},
      {"currency a double holds", Variant(TCurrency{125000}), stFloat, "12.5"},
      {"currency beyond a double", Variant(TCurrency{INT64_MAX}), stBlob, "922337203685477.5807"},
      {"text", Variant("Grüße"), stText, "Grüße"},
      {"bytes", Variant::FromBytes({'a', 0, 'b'}), stBlob, std::string("a\0b", 3)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<TDriverStatement> stmt = db->Prepare("select :value", "Select");
    ASSERT_EQ(stmt->GetParamCount(), 1);
    EXPECT_EQ(stmt->GetParamName(1), "value");
    ASSERT_TRUE(stmt->Bind(1, c.value));
    ASSERT_EQ(stmt->Step(), srRow);
    EXPECT_EQ(stmt->GetColumnType(0), c.type);
    EXPECT_EQ(std::string(stmt->GetText(0)), c.text);
    EXPECT_EQ(stmt->Step(), srDone);
  }
}

TEST_F(DriverTest, AStatementTheDatabaseRefusesNamesItAndTheReason) {
  TDatabase* db = NewDatabase("Refusing", "SQLITE");
  ExpectError<EDatabaseError>([&] { db->Prepare("select x from nowhere", "Reading nowhere"); },
                              "Reading nowhere: no such table: nowhere");
}

}  // namespace
