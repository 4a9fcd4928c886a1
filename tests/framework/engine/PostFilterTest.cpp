// The dataset's post protocol on engine tables: a post whose filter cannot be evaluated
// writes nothing to the file (a retry writes no duplicate), and a cancelled insert returns
// to the record it was placed at. Over a directory of table files and over one SQLite file.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/core/Exceptions.h"
#include "tests/framework/engine/EngineFixture.h"
#include "tests/support/ExpectError.h"

namespace {

class PostProtocolTest : public EngineFixture, public ::testing::WithParamInterface<const char*> {
 protected:
  /// A table (Id, Name) with the given rows (Id 0: none).
  TTable* MakeItems(const std::string& name, const std::vector<std::pair<int, const char*>>& rows) {
    TTable* t = Table(name);
    t->GetFieldDefs()->Add("Id", ftInteger);
    t->GetFieldDefs()->Add("Name", ftString, 10);
    t->CreateTable();
    t->Open();
    for (auto [id, name] : rows) {
      t->Append();
      if (id) t->FieldByName("Id")->SetAsInteger(id);
      t->FieldByName("Name")->SetAsString(name);
      t->Post();
    }
    return t;
  }
  TTable* Table(const std::string& name) {
    auto* t = new TTable(Owner.get());
    t->SetName("Items");
    t->SetDatabaseName(GetParam());
    t->SetTableName(name + ".db");
    return t;
  }
  /// The rows of a table's file as "Id:Name", read by a table of their own.
  std::vector<std::string> RowsInFile(const std::string& name) {
    std::unique_ptr<TComponent> owner = std::make_unique<TComponent>(nullptr);
    auto* t = new TTable(owner.get());
    t->SetDatabaseName(GetParam());
    t->SetTableName(name + ".db");
    t->Open();
    std::vector<std::string> rows;
    for (; !t->GetEOF(); t->Next())
      rows.push_back(t->FieldByName("Id")->GetAsString() + ":" + t->FieldByName("Name")->GetAsString());
    return rows;
  }
};

TEST_P(PostProtocolTest, APostTheFilterCannotEvaluateWritesNothing) {
  // "Id = 'abc'" cannot compare an integer: every record with an Id makes the filter raise.
  const std::string filter = "(Name = 'keep') or (Id = 'abc')";
  for (bool inserting : {true, false}) {
    SCOPED_TRACE(inserting ? "insert" : "edit");
    const std::string name = inserting ? "Inserts" : "Edits";
    Owner = std::make_unique<TComponent>(nullptr);
    TTable* t = MakeItems(name, {{0, "keep"}});
    t->SetFilter(filter);
    t->SetFiltered(true);
    if (inserting)
      t->Append();
    else
      t->Edit();
    t->FieldByName("Id")->SetAsInteger(7);
    t->FieldByName("Name")->SetAsString("new");
    for (int attempt = 1; attempt <= 2; ++attempt) {
      SCOPED_TRACE(attempt);
      ExpectError<EDatabaseError>([&] { t->Post(); },
                                  "Items: Cannot compare field 'Id' (Integer) with 'abc' in filter \"" + filter + "\"");
      EXPECT_EQ(t->GetState(), inserting ? dsInsert : dsEdit);
      EXPECT_EQ(RowsInFile(name), std::vector<std::string>{":keep"});
    }
    t->Cancel();
    EXPECT_EQ(t->FieldByName("Name")->GetAsString(), "keep");
  }
}

TEST_P(PostProtocolTest, ACancelledInsertReturnsToTheRecordItWasPlacedAt) {
  TTable* t = MakeItems("Items", {{1, "a"}, {2, "b"}, {3, "c"}, {4, "d"}, {5, "e"}});
  for (int recNo : {1, 3, 5}) {
    SCOPED_TRACE(recNo);
    t->SetRecNo(recNo);
    t->Insert();
    t->FieldByName("Id")->SetAsInteger(99);
    t->Cancel();
    EXPECT_EQ(t->FieldByName("Id")->GetAsInteger(), recNo);
    EXPECT_EQ(t->GetRecNo(), recNo);
  }
  EXPECT_EQ(RowsInFile("Items").size(), 5u);
}

INSTANTIATE_TEST_SUITE_P(Aliases, PostProtocolTest, ::testing::Values("Files", "Sql"));

}  // namespace
