// Test fixture of the engine: a fresh directory with a standard alias "Files" (a directory
// of table files) and an SQL alias "Sql" (one SQLite file), tables and queries owned by the
// test, and direct SQLite access to the files for writing what the engine would not.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/engine/DBDataSet.h"
#include "framework/engine/Session.h"

namespace {

using namespace fw;
namespace fs = std::filesystem;

class EngineFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    for (char& c : test)
      if (c == '/') c = '_';
    Dir = fs::temp_directory_path() / ("qor_engine_" + std::to_string(::getpid()) + "_" + test);
    fs::remove_all(Dir);
    fs::create_directories(Dir / "tables");
    setenv("QOR_ALIAS_STORE", (Dir / "aliases.conf").c_str(), 1);
    Session()->SetConfigMode({cfmSession});
    for (auto name : {"Files", "Sql"})
      if (Session()->IsAlias(name)) Session()->DeleteAlias(name);
    Session()->AddStandardAlias("Files", (Dir / "tables").string(), "PARADOX");
    Session()->AddAlias("Sql", "SQLITE", {"PATH=" + (Dir / "data.sqlite").string()});
  }
  void TearDown() override {
    Owner.reset();
    for (auto name : {"Files", "Sql"})
      if (Session()->IsAlias(name)) Session()->DeleteAlias(name);
    Session()->SetConfigMode({cfmVirtual, cfmPersistent, cfmSession});
    fs::remove_all(Dir);
  }

  TTable* NewTable(const std::string& db, const std::string& name) {
    auto* t = new TTable(Owner.get());
    t->SetDatabaseName(db);
    t->SetTableName(name);
    return t;
  }
  TQuery* NewQuery(const std::string& db, const std::string& sql) {
    auto* q = new TQuery(Owner.get());
    q->SetDatabaseName(db);
    q->GetSQL()->SetText(sql);
    return q;
  }
  /// Cont.db (Id, Name; primary on Id) with a few continents.
  void MakeContinents(const std::string& db, const std::string& name = "Cont.db") {
    TTable* t = NewTable(db, name);
    t->GetFieldDefs()->Add("Id", ftSmallint);
    t->GetFieldDefs()->Add("Name", ftString, 20);
    t->GetIndexDefs()->Add("", "Id", {ixPrimary});
    t->CreateTable();
    t->Open();
    for (auto [id, n] : std::vector<std::pair<int, const char*>>{{3, "Asia"}, {1, "Europe"}, {2, "Africa"}}) {
      t->Append();
      t->FieldByName("Id")->SetAsInteger(id);
      t->FieldByName("Name")->SetAsString(n);
      t->Post();
    }
    t->Close();
  }

  /// Runs SQL on the file that holds a table, bypassing the engine: "%T" in the text stands
  /// for the table (the table "db" of People.db in a standard alias, "People.db" in the
  /// SQL alias). Fails the test on an error.
  void RawExec(const std::string& db, const std::string& table, std::string sql) {
    bool files = db == "Files";
    std::string file = files ? (Dir / "tables" / table).string() : (Dir / "data.sqlite").string();
    std::string name = files ? "\"" + table.substr(table.rfind('.') + 1) + "\"" : "\"" + table + "\"";
    for (std::size_t at; (at = sql.find("%T")) != std::string::npos;) sql.replace(at, 2, name);
    sqlite3* h = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &h), SQLITE_OK);
    char* err = nullptr;
    int rc = sqlite3_exec(h, sql.c_str(), nullptr, nullptr, &err);
    EXPECT_EQ(rc, SQLITE_OK) << sql << ": " << (err ? err : "");
    sqlite3_free(err);
    sqlite3_close(h);
  }
  /// The first column of the first row of a query run on a table's file, as text
  /// ("integer:5", "real:1.2345", "blob:..."), bypassing the engine.
  std::string RawValue(const std::string& db, const std::string& table, std::string sql) {
    bool files = db == "Files";
    std::string file = files ? (Dir / "tables" / table).string() : (Dir / "data.sqlite").string();
    std::string name = files ? "\"" + table.substr(table.rfind('.') + 1) + "\"" : "\"" + table + "\"";
    for (std::size_t at; (at = sql.find("%T")) != std::string::npos;) sql.replace(at, 2, name);
    sqlite3* h = nullptr;
    sqlite3_stmt* stmt = nullptr;
    std::string out = "error";
    if (sqlite3_open(file.c_str(), &h) == SQLITE_OK && sqlite3_prepare_v2(h, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW) {
      static const char* const kinds[] = {"", "integer", "real", "text", "blob", "null"};
      int type = sqlite3_column_type(stmt, 0);  // before the text conversion below
      const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
      out = std::string(kinds[type]) + ":" + (text ? text : "");
    }
    sqlite3_finalize(stmt);
    sqlite3_close(h);
    return out;
  }

  fs::path Dir;
  std::unique_ptr<TComponent> Owner = std::make_unique<TComponent>(nullptr);
};

}  // namespace
