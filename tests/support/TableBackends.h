// The engine's tables as backends of the dataset suite (see DataSetBackends.h): a table
// created through the engine in a temporary directory, over a directory of table files
// (standard alias) or over one SQLite file (SQL alias). The aliases live in the session
// only, for as long as the backend does.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "framework/engine/DBDataSet.h"
#include "framework/engine/Session.h"
#include "tests/support/DataSetBackends.h"

namespace fwtest {

class TTableBackend : public TDataSetBackend {
 public:
  /// `sql`: one SQLite file (SQL alias); otherwise a directory of table files.
  explicit TTableBackend(bool sql) : FSql(sql) {
    static int instance = 0;
    FDir = TempRoot() / ("qor_suite_" + std::to_string(::getpid()) + "_" + std::to_string(++instance));
    std::filesystem::remove_all(FDir);
    std::filesystem::create_directories(FDir / "tables");
    setenv("QOR_ALIAS_STORE", (FDir / "aliases.conf").c_str(), 1);
    fw::Session()->SetConfigMode({fw::cfmSession});
    if (fw::Session()->IsAlias(kAlias)) fw::Session()->DeleteAlias(kAlias);
    if (FSql)
      fw::Session()->AddAlias(kAlias, "SQLITE", {"PATH=" + (FDir / "data.sqlite").string()});
    else
      fw::Session()->AddStandardAlias(kAlias, (FDir / "tables").string(), "PARADOX");
  }
  /// The datasets must be gone first (the test's owner is freed before its backend).
  ~TTableBackend() override {
    if (fw::Session()->IsAlias(kAlias)) fw::Session()->DeleteAlias(kAlias);
    fw::Session()->SetConfigMode({fw::cfmVirtual, fw::cfmPersistent, fw::cfmSession});
    std::error_code ignored;
    std::filesystem::remove_all(FDir, ignored);
  }

  fw::TMemDataSet* NewDataSet(fw::TComponent* owner, const std::string& name,
                          const std::vector<TFieldSpec>& fields) override {
    auto* table = new fw::TTable(owner);
    if (!name.empty()) table->SetName(name);
    table->SetDatabaseName(kAlias);
    table->SetTableName("T" + std::to_string(++FTables) + ".db");
    for (const TFieldSpec& f : fields) table->GetFieldDefs()->Add(f.Name, f.Type, f.Size);
    table->CreateTable();
    table->Open();
    return table;
  }

  static TDataSetBackendKind FilesKind() {
    return {"TableFiles", [] { return std::make_unique<TTableBackend>(false); }};
  }
  static TDataSetBackendKind SqlKind() {
    return {"SqlTables", [] { return std::make_unique<TTableBackend>(true); }};
  }

 private:
  /// Memory-backed storage where the machine has it: the suite checks the dataset protocol,
  /// and every post of a table on disk waits for the disk (some 25 ms here).
  static std::filesystem::path TempRoot() {
    std::error_code error;
    if (std::filesystem::is_directory("/dev/shm", error) && ::access("/dev/shm", W_OK) == 0) return "/dev/shm";
    return std::filesystem::temp_directory_path();
  }

  static constexpr const char* kAlias = "DataSetSuite";
  bool FSql;
  std::filesystem::path FDir;
  int FTables = 0;
};

}  // namespace fwtest
