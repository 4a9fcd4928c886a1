// The engine at scale: a People.db of 1,000,000 rows with three lookup tables of 10,000
// rows in a directory of table files. Our table and query (with "order by") opened and
// visited, and the people-and-languages lookup (three lookup fields) read from the files,
// each against SQLite's C API copying the same plain select or left join into memory:
// into std::vector rows with std::string names, and, as the lowest floor, the plain
// select into malloc'd columns (what a C program does). Every figure is printed as a
// ratio to that plain-array floor and to the std::vector floor of the same rows.
#include <benchmark/benchmark.h>

#include "bench/BenchSupport.h"

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "framework/engine/DBDataSet.h"
#include "framework/engine/Session.h"
#include "library/QorLook.h"
#include "library/QorTable.h"

namespace {

using namespace fw;
namespace fs = std::filesystem;

constexpr int kPeople = 1000000;
constexpr int kLookupRows = 10000;
/// Each figure is the fastest of this many runs (see TRatioReporter).
constexpr int kRepetitions = 5;

void Exec(sqlite3* db, const char* sql) {
  char* err = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
    std::fprintf(stderr, "%s: %s\n", sql, err);
    std::exit(1);
  }
}

/// Makes the table files once per run in a temporary directory.
const fs::path& Tables() {
  static fs::path dir = [] {
    fs::path d = fs::temp_directory_path() / ("qor_engine_bench_" + std::to_string(::getpid()));
    fs::remove_all(d);
    fs::create_directories(d);
    for (const char* name : {"Lang", "Prof", "Country"}) {
      sqlite3* db = nullptr;
      sqlite3_open((d / (std::string(name) + ".db")).c_str(), &db);
      Exec(db, "create table db (Id SMALLINT, Name VARCHAR(20), primary key (Id))");
      Exec(db, "begin");
      sqlite3_stmt* ins = nullptr;
      sqlite3_prepare_v2(db, "insert into db values (?, ?)", -1, &ins, nullptr);
      for (int i = 1; i <= kLookupRows; ++i) {
        std::string n = std::string(name) + " " + std::to_string(i);
        sqlite3_bind_int(ins, 1, i);
        sqlite3_bind_text(ins, 2, n.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(ins);
        sqlite3_reset(ins);
      }
      sqlite3_finalize(ins);
      Exec(db, "commit");
      sqlite3_close(db);
    }
    sqlite3* db = nullptr;
    sqlite3_open((d / "People.db").c_str(), &db);
    Exec(db, "create table db (id INT, Name VARCHAR(40), Lang SMALLINT, Prof SMALLINT, Country SMALLINT, "
             "primary key (id))");
    Exec(db, "begin");
    sqlite3_stmt* ins = nullptr;
    sqlite3_prepare_v2(db, "insert into db values (?, ?, ?, ?, ?)", -1, &ins, nullptr);
    char name[48];
    for (int i = 1; i <= kPeople; ++i) {
      std::snprintf(name, sizeof name, "Person %07lld", static_cast<long long>(i) * 7919 % kPeople);
      sqlite3_bind_int(ins, 1, i);
      sqlite3_bind_text(ins, 2, name, -1, SQLITE_TRANSIENT);
      sqlite3_bind_int(ins, 3, i % kLookupRows + 1);
      sqlite3_bind_int(ins, 4, (i / 3) % kLookupRows + 1);
      sqlite3_bind_int(ins, 5, (i / 7) % kLookupRows + 1);
      sqlite3_step(ins);
      sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    Exec(db, "commit");
    sqlite3_close(db);
    Session()->SetConfigMode({cfmSession});
    Session()->AddStandardAlias("Bench", d.string(), "PARADOX");
    return d;
  }();
  return dir;
}

struct TPersonRow {
  int Id, Lang, Prof, Country;
  std::string Name;
};

/// SQLite's C API copying a select into memory: the floor our datasets are measured by.
void CopySelect(benchmark::State& state, const char* sql, int nameColumns) {
  Tables();
  for (auto _ : state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2((Tables() / "People.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    for (const char* n : {"Lang", "Prof", "Country"}) {
      std::string attach = "attach database '" + (Tables() / (std::string(n) + ".db")).string() + "' as " + n;
      Exec(db, attach.c_str());
    }
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    std::vector<TPersonRow> rows;
    std::vector<std::string> names;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      rows.push_back({sqlite3_column_int(stmt, 0), sqlite3_column_int(stmt, 2), sqlite3_column_int(stmt, 3),
                      sqlite3_column_int(stmt, 4), reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1))});
      for (int k = 0; k < nameColumns; ++k) {
        const unsigned char* t = sqlite3_column_text(stmt, 5 + k);
        names.emplace_back(t ? reinterpret_cast<const char*>(t) : "");
      }
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    benchmark::DoNotOptimize(rows.data());
    if (rows.size() != static_cast<std::size_t>(kPeople)) state.SkipWithError("rows missing");
  }
}

/// The same plain select copied into plain C arrays: malloc'd columns of integers and one
/// growing buffer of zero-terminated names with an offset per row.
void BM_SQLitePlainArrayFloor(benchmark::State& state) {
  Tables();
  for (auto _ : state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2((Tables() / "People.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "select * from main.db", -1, &stmt, nullptr);
    std::size_t capacity = 1024, rows = 0, textCapacity = 16384, textUsed = 0;
    auto* ids = static_cast<std::int32_t*>(std::malloc(capacity * sizeof(std::int32_t)));
    auto* langs = static_cast<std::int16_t*>(std::malloc(capacity * sizeof(std::int16_t)));
    auto* profs = static_cast<std::int16_t*>(std::malloc(capacity * sizeof(std::int16_t)));
    auto* countries = static_cast<std::int16_t*>(std::malloc(capacity * sizeof(std::int16_t)));
    auto* nameAt = static_cast<std::uint32_t*>(std::malloc(capacity * sizeof(std::uint32_t)));
    auto* text = static_cast<char*>(std::malloc(textCapacity));
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      if (rows == capacity) {
        capacity *= 2;
        ids = static_cast<std::int32_t*>(std::realloc(ids, capacity * sizeof(std::int32_t)));
        langs = static_cast<std::int16_t*>(std::realloc(langs, capacity * sizeof(std::int16_t)));
        profs = static_cast<std::int16_t*>(std::realloc(profs, capacity * sizeof(std::int16_t)));
        countries = static_cast<std::int16_t*>(std::realloc(countries, capacity * sizeof(std::int16_t)));
        nameAt = static_cast<std::uint32_t*>(std::realloc(nameAt, capacity * sizeof(std::uint32_t)));
      }
      ids[rows] = sqlite3_column_int(stmt, 0);
      const unsigned char* name = sqlite3_column_text(stmt, 1);
      const std::size_t length = static_cast<std::size_t>(sqlite3_column_bytes(stmt, 1));
      if (textUsed + length + 1 > textCapacity) {
        while (textUsed + length + 1 > textCapacity) textCapacity *= 2;
        text = static_cast<char*>(std::realloc(text, textCapacity));
      }
      if (length) std::memcpy(text + textUsed, name, length);
      text[textUsed + length] = '\0';
      nameAt[rows] = static_cast<std::uint32_t>(textUsed);
      textUsed += length + 1;
      langs[rows] = static_cast<std::int16_t>(sqlite3_column_int(stmt, 2));
      profs[rows] = static_cast<std::int16_t>(sqlite3_column_int(stmt, 3));
      countries[rows] = static_cast<std::int16_t>(sqlite3_column_int(stmt, 4));
      ++rows;
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    benchmark::DoNotOptimize(ids);
    benchmark::DoNotOptimize(text);
    if (rows != static_cast<std::size_t>(kPeople)) state.SkipWithError("rows missing");
    for (void* p : {static_cast<void*>(ids), static_cast<void*>(langs), static_cast<void*>(profs),
                    static_cast<void*>(countries), static_cast<void*>(nameAt), static_cast<void*>(text)})
      std::free(p);
  }
}
BENCHMARK(BM_SQLitePlainArrayFloor)->Unit(benchmark::kMillisecond)->Iterations(2)->Repetitions(kRepetitions);

void BM_SQLiteSelectFloor(benchmark::State& state) { CopySelect(state, "select * from main.db", 0); }
BENCHMARK(BM_SQLiteSelectFloor)->Unit(benchmark::kMillisecond)->Iterations(2)->Repetitions(kRepetitions);

void BM_SQLiteOrderByFloor(benchmark::State& state) { CopySelect(state, "select * from main.db order by Name", 0); }
BENCHMARK(BM_SQLiteOrderByFloor)->Unit(benchmark::kMillisecond)->Iterations(2)->Repetitions(kRepetitions);

void BM_SQLiteJoinFloor(benchmark::State& state) {
  CopySelect(state,
             "select p.*, l.Name, r.Name, c.Name from main.db p left join Lang.db l on l.Id = p.Lang "
             "left join Prof.db r on r.Id = p.Prof left join Country.db c on c.Id = p.Country",
             3);
}
BENCHMARK(BM_SQLiteJoinFloor)->Unit(benchmark::kMillisecond)->Iterations(2)->Repetitions(kRepetitions);

void Visit(benchmark::State& state, TDataSet* ds, const std::vector<TField*>& read) {
  std::size_t sum = 0;
  for (auto _ : state) {
    ds->Open();
    for (ds->First(); !ds->GetEOF(); ds->Next())
      for (TField* f : read) sum += f->GetAsString().size();
    if (ds->GetRecordCount() != kPeople) state.SkipWithError("rows missing");
    ds->Close();
  }
  benchmark::DoNotOptimize(sum);
}

/// Opens the dataset, reads every row's Name, closes it; the fields are made at each opening.
void OpenAndVisitNames(benchmark::State& state, TDataSet& ds) {
  std::size_t sum = 0;
  for (auto _ : state) {
    ds.Open();
    TField* name = ds.FieldByName("Name");
    for (ds.First(); !ds.GetEOF(); ds.Next()) sum += name->GetAsString().size();
    ds.Close();
  }
  benchmark::DoNotOptimize(sum);
}

void BM_TableOpenVisit(benchmark::State& state) {
  Tables();
  TTable t(nullptr);
  t.SetDatabaseName("Bench");
  t.SetTableName("People.db");
  OpenAndVisitNames(state, t);
}
BENCHMARK(BM_TableOpenVisit)->Unit(benchmark::kMillisecond)->Iterations(2)->Repetitions(kRepetitions);

void BM_QueryOrderByOpenVisit(benchmark::State& state) {
  Tables();
  TQuery q(nullptr);
  q.SetDatabaseName("Bench");
  q.GetSQL()->SetText("select * from People.db\r\norder by Name");
  OpenAndVisitNames(state, q);
}
BENCHMARK(BM_QueryOrderByOpenVisit)->Unit(benchmark::kMillisecond)->Iterations(2)->Repetitions(kRepetitions);

void BM_LookupFromFiles(benchmark::State& state) {
  Tables();
  TComponent owner(nullptr);
  auto* people = new TTable(&owner);
  people->SetDatabaseName("Bench");
  people->SetTableName("People.db");
  std::vector<TField*> names;
  const char* keys[] = {"Lang", "Prof", "Country"};
  for (const char* col : {"id", "Name", "Lang", "Prof", "Country"}) {
    TField* f = static_cast<TField*>((std::string(col) == "Name" ? TStringField::StaticClass()
                                      : std::string(col) == "id" ? TIntegerField::StaticClass()
                                                                 : TSmallintField::StaticClass())
                                         .CreateComponent(&owner));
    if (std::string(col) == "Name") f->SetSize(40);
    f->SetFieldName(col);
    f->SetDataSet(people);
  }
  for (const char* key : keys) {
    auto* lookup = new TTable(&owner);
    lookup->SetDatabaseName("Bench");
    lookup->SetTableName(std::string(key) + ".db");
    auto* f = new TStringField(&owner);
    f->SetFieldName(std::string(key) + "Name");
    f->SetFieldKind(fkLookup);
    f->SetKeyFields(key);
    f->SetLookupDataSet(lookup);
    f->SetLookupKeyFields("Id");
    f->SetLookupResultField("Name");
    f->SetLookupCache(state.range(0) != 0);
    f->SetDataSet(people);
    names.push_back(f);
  }
  Visit(state, people, names);
}
BENCHMARK(BM_LookupFromFiles)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(2)->Repetitions(kRepetitions);


std::map<std::string, double> gMemMiB;

/// The people with LangName, ProfName and CountryName1 as the library's lookup fields
/// ("id;Name" shown), each over a query of its lookup table: stored in the record
/// (argument 1), or read from the lookup query at each read (0), with LookupCache (second
/// argument 1) or without it; each field's text read as a new string (GetAsString, third
/// argument 0) or into one string that the reader keeps (GetText, 1).
void BM_QorLookFromFiles(benchmark::State& state) {
  Tables();
  const bool store = state.range(0) != 0;
  const bool cache = state.range(1) != 0;
  const bool intoOneString = state.range(2) != 0;
  TComponent owner(nullptr);
  auto* people = new qor::TQorTable(&owner);
  people->SetDatabaseName("Bench");
  people->SetTableName("People.db");
  for (const char* col : {"id", "Name", "Lang", "Prof", "Country"}) {
    TField* f = static_cast<TField*>((std::string(col) == "Name" ? TStringField::StaticClass()
                                      : std::string(col) == "id" ? TIntegerField::StaticClass()
                                                                 : TSmallintField::StaticClass())
                                         .CreateComponent(&owner));
    if (std::string(col) == "Name") f->SetSize(40);
    f->SetFieldName(col);
    f->SetDataSet(people);
  }
  std::vector<qor::TQorLookField*> fields;
  const char* keys[] = {"Lang", "Prof", "Country"};
  const char* names[] = {"LangName", "ProfName", "CountryName1"};
  for (int k = 0; k < 3; ++k) {
    auto* query = new qor::TQorQuery(&owner);
    query->SetDatabaseName("Bench");
    query->GetSQL()->SetText(std::string("select * from ") + keys[k] + ".db");
    query->Open();  // its fields exist before the people's lookup fields are sized
    auto* f = new qor::TQorLookField(&owner);
    f->SetFieldName(names[k]);
    f->SetSize(35);
    f->SetFieldKind(fkLookup);
    f->SetKeyFields(keys[k]);
    f->SetLookupDataSet(query);
    f->SetLookupKeyFields("Id");
    f->SetLookupResultField("id;Name");
    f->SetStoreLookupData(store);
    f->SetLookupCache(cache);
    f->SetDataSet(people);
    fields.push_back(f);
  }
  std::size_t sum = 0;
  std::string text;
  for (auto _ : state) {
    long before = RssKiB();
    people->Open();
    for (people->First(); !people->GetEOF(); people->Next())
      for (qor::TQorLookField* f : fields) {
        if (intoOneString)
          f->GetText(text, false);
        else
          text = f->GetAsString();
        sum += text.size();
      }
    if (people->GetRecordCount() != kPeople) state.SkipWithError("rows missing");
    if (!store && fields[0]->GetLookupDataSet()->FieldByName("Id")->GetAsInteger() != kPeople % kLookupRows + 1)
      state.SkipWithError("the lookup query did not follow the reads");
    double& mem = gMemMiB[store ? "stored" : cache ? "located, cached" : "located"];
    mem = std::max(mem, (RssKiB() - before) / 1024.0);
    people->Close();
  }
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_QorLookFromFiles)
    ->Args({1, 0, 0})
    ->Args({0, 0, 0})
    ->Args({0, 1, 0})
    ->Args({1, 0, 1})
    ->Args({0, 0, 1})
    ->Args({0, 1, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(kRepetitions);


}  // namespace

int main(int argc, char** argv) {
  // The repetitions of all benchmarks are run in a random order, so that a spell of load
  // from other processes falls on the floors and on ours alike.
  std::vector<char*> args(argv, argv + argc);
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, interleave.data());
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto get = [&](const std::string& prefix) { return reporter.Get(prefix); };
  const double plain = get("BM_SQLitePlainArrayFloor");
  auto ratio = [&](const char* what, const std::string& ours, const std::string& floor) {
    double a = get(ours), b = get(floor);
    if (a <= 0 || b <= 0 || plain <= 0) return;
    std::printf("%-40s %7.0f ms  %5.2f x plain arrays  %5.2f x %s\n", what, a, a / plain, a / b,
                floor == "BM_SQLiteJoinFloor" ? "vector join" : floor == "BM_SQLiteOrderByFloor" ? "vector order by"
                                                                                                : "vector select");
  };
  std::printf("\nRatios to SQLite's C API copying the rows into memory (1,000,000 people): to the plain\n"
              "select copied into malloc'd arrays (%.0f ms), and to the same rows copied into std::vector\n"
              "rows with std::string names (processor time, the fastest of %d runs)\n",
              plain, kRepetitions);
  ratio("SQLite select into std::vector", "BM_SQLiteSelectFloor", "BM_SQLiteSelectFloor");
  ratio("table open + visit", "BM_TableOpenVisit", "BM_SQLiteSelectFloor");
  ratio("query with order by, open + visit", "BM_QueryOrderByOpenVisit", "BM_SQLiteOrderByFloor");
  ratio("three lookups from files, open + visit", "BM_LookupFromFiles/0", "BM_SQLiteJoinFloor");
  ratio("the same with LookupCache", "BM_LookupFromFiles/1", "BM_SQLiteJoinFloor");
  ratio("TQorLookField x3 stored", "BM_QorLookFromFiles/1/0/0", "BM_SQLiteSelectFloor");
  ratio("TQorLookField x3 located", "BM_QorLookFromFiles/0/0/0", "BM_SQLiteSelectFloor");
  ratio("TQorLookField x3 located, LookupCache", "BM_QorLookFromFiles/0/1/0", "BM_SQLiteSelectFloor");
  std::printf("the same, each text read into one string (GetText):\n");
  ratio("TQorLookField x3 stored", "BM_QorLookFromFiles/1/0/1", "BM_SQLiteSelectFloor");
  ratio("TQorLookField x3 located", "BM_QorLookFromFiles/0/0/1", "BM_SQLiteSelectFloor");
  ratio("TQorLookField x3 located, LookupCache", "BM_QorLookFromFiles/0/1/1", "BM_SQLiteSelectFloor");
  double stored = get("BM_QorLookFromFiles/1/0/0");
  if (stored > 0) std::printf("TQorLookField x3 stored: %.0f ns per row\n", stored * 1e6 / kPeople);
  for (auto& [what, mib] : gMemMiB) std::printf("TQorLookField x3 %s: memory held while open %.0f MiB\n", what.c_str(), mib);
  fs::remove_all(Tables());
  return 0;
}
