// A data grid on the engine's People.db of 1,000,000 rows (the table of the engine
// benchmark): the table opened under a shown grid and painted, and the grid scrolled to the
// last record by Ctrl+End and painted, each against SQLite's C API copying the same rows
// into memory in the same run. It also prints how many records the grid read into its
// controls (the dataset's record buffers, counted where the dataset fills them): at
// opening and at Ctrl+End that must be the rows the grid shows, not the table's rows.
#include <benchmark/benchmark.h>

#include "bench/BenchSupport.h"

#include <QApplication>

#include <sqlite3.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "framework/dbctrls/DBGrids.h"
#include "framework/engine/DBDataSet.h"
#include "framework/engine/Session.h"
#include "framework/ui/Forms.h"
#include "framework/ui/qt/QtWidgetSet.h"

namespace {

using namespace fw;
namespace fs = std::filesystem;

constexpr int kPeople = 1000000;

void Exec(sqlite3* db, const char* sql) {
  char* err = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
    std::fprintf(stderr, "%s: %s\n", sql, err);
    std::exit(1);
  }
}

/// People.db as the engine benchmark makes it, once per run in a temporary directory known
/// to the session as the alias "GridBench".
const fs::path& Tables() {
  static fs::path dir = [] {
    fs::path d = fs::temp_directory_path() / ("qor_grid_bench_" + std::to_string(::getpid()));
    fs::remove_all(d);
    fs::create_directories(d);
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
      sqlite3_bind_int(ins, 3, i % 10000 + 1);
      sqlite3_bind_int(ins, 4, (i / 3) % 10000 + 1);
      sqlite3_bind_int(ins, 5, (i / 7) % 10000 + 1);
      sqlite3_step(ins);
      sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    Exec(db, "commit");
    sqlite3_close(db);
    Session()->SetConfigMode({cfmSession});
    Session()->AddStandardAlias("GridBench", d.string(), "PARADOX");
    return d;
  }();
  return dir;
}

/// The people table, counting the records it reads into its record buffers (the only way
/// rows reach data links and the controls on them).
class TCountingTable : public TTable {
 public:
  explicit TCountingTable(TComponent* owner) : TTable(owner) {}
  mutable std::int64_t Loads = 0;

 protected:
  void LoadRow(std::int64_t rowId, TRecordBuffer& buffer) const override {
    ++Loads;
    TTable::LoadRow(rowId, buffer);
  }
};

/// A shown form with a grid on the people table (closed until a benchmark opens it).
struct TGridForm {
  TForm* Form = nullptr;
  TCountingTable* Table = nullptr;
  TDBGrid* Grid = nullptr;

  TGridForm() {
    Tables();
    Form = new TForm(nullptr);
    Form->SetBounds(0, 0, 640, 480);
    Table = new TCountingTable(Form);
    Table->SetDatabaseName("GridBench");
    Table->SetTableName("People.db");
    auto* source = new TDataSource(Form);
    source->SetDataSet(Table);
    Grid = new TDBGrid(Form);
    Grid->SetBounds(8, 8, 620, 460);
    Grid->SetParent(Form);
    Grid->SetDataSource(source);
    Form->Show();
    // The window paints once the platform has exposed it.
    for (int i = 0; i < 5; ++i) Application->ProcessMessages();
  }
  ~TGridForm() { delete Form; }
  void Key(std::uint16_t key, TShiftState shift) {
    Grid->KeyDown(key, shift);
    Grid->Repaint();
  }
};

TGridForm* gForm = nullptr;

TGridForm& GridForm() {
  if (!gForm) gForm = new TGridForm;
  return *gForm;
}

std::int64_t gOpenLoads = -1, gEndLoads = -1, gHomeLoads = -1;

void BM_SQLiteSelectFloor(benchmark::State& state) {
  Tables();
  for (auto _ : state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2((Tables() / "People.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "select * from db", -1, &stmt, nullptr);
    struct TRow {
      int Id, Lang, Prof, Country;
      std::string Name;
    };
    std::vector<TRow> rows;
    while (sqlite3_step(stmt) == SQLITE_ROW)
      rows.push_back({sqlite3_column_int(stmt, 0), sqlite3_column_int(stmt, 2), sqlite3_column_int(stmt, 3),
                      sqlite3_column_int(stmt, 4), reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1))});
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    benchmark::DoNotOptimize(rows.data());
    if (rows.size() != static_cast<std::size_t>(kPeople)) state.SkipWithError("rows missing");
  }
}
BENCHMARK(BM_SQLiteSelectFloor)->Unit(benchmark::kMillisecond)->Iterations(2);

/// The table opened under the shown grid, and the grid painted.
void BM_GridOpen(benchmark::State& state) {
  TGridForm& f = GridForm();
  for (auto _ : state) {
    state.PauseTiming();
    f.Table->Close();
    state.ResumeTiming();
    f.Table->Loads = 0;
    f.Table->Open();
    f.Grid->Repaint();
    gOpenLoads = f.Table->Loads;
    if (f.Table->GetRecordCount() != kPeople) state.SkipWithError("rows missing");
  }
}
BENCHMARK(BM_GridOpen)->Unit(benchmark::kMillisecond)->Iterations(2);

/// Ctrl+End on the open grid, painted; Ctrl+Home (not timed) goes back between runs.
void BM_GridScrollToEnd(benchmark::State& state) {
  TGridForm& f = GridForm();
  if (!f.Table->GetActive()) f.Table->Open();
  for (auto _ : state) {
    state.PauseTiming();
    f.Table->Loads = 0;
    f.Key(VK_HOME, {ssCtrl});
    gHomeLoads = f.Table->Loads;
    f.Table->Loads = 0;
    state.ResumeTiming();
    f.Key(VK_END, {ssCtrl});
    gEndLoads = f.Table->Loads;
    if (f.Table->GetRecNo() != kPeople) state.SkipWithError("not at the end");
  }
}
BENCHMARK(BM_GridScrollToEnd)->Unit(benchmark::kMicrosecond)->Iterations(50);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int qtArgc = 1;
  char* qtArgv[] = {argv[0], nullptr};
  QApplication app(qtArgc, qtArgv);
  qt::InstallQtWidgetSet();
  benchmark::Initialize(&argc, argv);
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  TGridForm& f = GridForm();
  int visible = f.Grid->GetVisibleRowCount();
  double floor = reporter.Get("BM_SQLiteSelectFloor"), open = reporter.Get("BM_GridOpen");
  double end = reporter.Get("BM_GridScrollToEnd");  // microseconds
  std::printf("\nA grid on %d people showing %d rows (its data link's BufferCount %d)\n", kPeople, visible,
              f.Grid->GetDataLink()->GetBufferCount());
  std::printf("records read into the grid's controls: at opening %lld, by Ctrl+End %lld, by Ctrl+Home %lld\n",
              static_cast<long long>(gOpenLoads), static_cast<long long>(gEndLoads),
              static_cast<long long>(gHomeLoads));
  if (floor > 0 && open > 0)
    std::printf("%-44s %10.1f ms, SQLite floor %8.1f ms, ratio %.2f\n", "table open under the grid + paint", open,
                floor, open / floor);
  if (floor > 0 && end > 0)
    std::printf("%-44s %10.1f us, SQLite floor %8.1f ms, ratio %.6f\n", "Ctrl+End to the last record + paint", end,
                floor, end / 1000.0 / floor);
  bool ok = gOpenLoads == visible && gEndLoads == visible;
  if (!ok) std::printf("FAILED: the grid read other than its %d visible rows\n", visible);
  std::fflush(stdout);
  delete gForm;
  qt::UninstallQtWidgetSet();
  fs::remove_all(Tables());
  return ok ? 0 : 1;
}
