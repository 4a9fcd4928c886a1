// Datasets in memory at scale: a master of 1,000,000 rows with three lookup fields into
// lookup datasets of 10,000 rows, opened and visited with every lookup value read (with
// and without LookupCache); a partial, case-insensitive Locate of the last row against a
// plain C loop over the same names; a filter that keeps 10 %; memory per row.
// Prints Google Benchmark's table, then each figure as a ratio to its floor.
#include <benchmark/benchmark.h>

#include "bench/BenchSupport.h"

#include <strings.h>

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/data/MemDataSet.h"

namespace {

using namespace fw;

constexpr int kLookupRows = 10000;

/// A dataset whose rows are made when it opens, as an engine loads them from a file.
class TGenDataSet : public TMemDataSet {
 public:
  TGenDataSet(TComponent* owner, int rows, int lookups) : TMemDataSet(owner), FRows(rows), FLookups(lookups) {}
  int FRows, FLookups;

 protected:
  void InternalOpen() override {
    TMemDataSet::InternalOpen();
    ClearStoredRows();
    ReserveRows(FRows);
    const auto& fields = GetFields();
    char name[32];
    for (int i = 0; i < FRows; ++i) {
      std::int64_t row = AppendStoredRow();
      std::uint8_t* data = StoredRowData(row);
      for (TField* f : fields) {
        if (f->GetFieldKind() != fkData) continue;
        std::uint8_t* p = data + f->GetOffset();
        p[0] = 1;
        if (f->GetFieldName() == "id") {
          std::int32_t v = i + 1;
          std::memcpy(p + 1, &v, 4);
        } else if (f->GetFieldName() == "Name") {
          std::snprintf(name, sizeof name, "Name%07d", FRows - i);  // the last row sorts first
          std::memcpy(p + 1, name, std::strlen(name) + 1);
        } else {  // lookup keys L1..L3
          std::int32_t v = static_cast<std::int32_t>((static_cast<std::uint32_t>(i) * 2654435761u) % kLookupRows) + 1;
          std::memcpy(p + 1, &v, 4);
        }
      }
    }
    BuildView();
  }
};

TField* AddField(TComponent* owner, TDataSet* ds, const TClassInfo& cls, const std::string& name, int size = 0) {
  auto* f = static_cast<TField*>(cls.CreateComponent(owner));
  if (size) f->SetSize(size);
  f->SetFieldName(name);
  f->SetDataSet(ds);
  return f;
}

struct TWorld {
  TComponent Owner{nullptr};
  std::vector<TGenDataSet*> Lookups;
  TGenDataSet* Master = nullptr;
  std::vector<TField*> LookupFields;

  explicit TWorld(int masterRows) {
    for (int k = 0; k < 3; ++k) {
      auto* l = new TGenDataSet(&Owner, kLookupRows, 0);
      l->SetName("Lookup" + std::to_string(k + 1));
      AddField(&Owner, l, TIntegerField::StaticClass(), "id");
      AddField(&Owner, l, TStringField::StaticClass(), "Name", 20);
      l->Open();
      Lookups.push_back(l);
    }
    Master = new TGenDataSet(&Owner, masterRows, 3);
    Master->SetName("Master");
    AddField(&Owner, Master, TIntegerField::StaticClass(), "id");
    AddField(&Owner, Master, TStringField::StaticClass(), "Name", 30);
    for (int k = 0; k < 3; ++k) AddField(&Owner, Master, TIntegerField::StaticClass(), "L" + std::to_string(k + 1));
    for (int k = 0; k < 3; ++k) {
      TField* f = AddField(&Owner, Master, TStringField::StaticClass(), "LName" + std::to_string(k + 1), 20);
      f->SetFieldKind(fkLookup);
      f->SetKeyFields("L" + std::to_string(k + 1));
      f->SetLookupDataSet(Lookups[static_cast<std::size_t>(k)]);
      f->SetLookupKeyFields("id");
      f->SetLookupResultField("Name");
      LookupFields.push_back(f);
    }
  }
};


std::map<std::string, double> gMemPerRow;

void BM_OpenAndVisit(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  const bool cache = state.range(1) != 0;
  TWorld world(rows);
  for (TField* f : world.LookupFields) f->SetLookupCache(cache);
  std::size_t chars = 0;
  for (auto _ : state) {
    long before = RssKiB();
    world.Master->Open();
    for (world.Master->First(); !world.Master->GetEOF(); world.Master->Next())
      for (TField* f : world.LookupFields) chars += f->GetAsString().size();
    long after = RssKiB();
    double& mem = gMemPerRow[std::to_string(rows) + (cache ? " rows, LookupCache" : " rows")];
    mem = std::max(mem, (after - before) * 1024.0 / rows);
    state.PauseTiming();
    world.Master->Close();
    state.ResumeTiming();
  }
  benchmark::DoNotOptimize(chars);
  state.counters["ns/row"] = benchmark::Counter(static_cast<double>(rows),
                                                benchmark::Counter::kIsIterationInvariantRate |
                                                    benchmark::Counter::kInvert);
}
BENCHMARK(BM_OpenAndVisit)->Args({250000, 0})->Args({500000, 0})->Args({1000000, 0})->Args({1000000, 1})
    ->Unit(benchmark::kMillisecond)->Iterations(2);

TWorld& LocateWorld() {
  static TWorld* world = [] {
    auto* w = new TWorld(1000000);
    w->Master->Open();
    return w;
  }();
  return *world;
}

void BM_LocatePartialCaseInsensitive(benchmark::State& state) {
  TWorld& world = LocateWorld();
  std::string key = "name0000001";  // only the last row starts with it
  for (auto _ : state) {
    world.Master->First();
    bool found = world.Master->Locate("Name", Variant(key), {loCaseInsensitive, loPartialKey});
    if (!found || world.Master->GetRecNo() != 1000000) state.SkipWithError("not found");
  }
}
BENCHMARK(BM_LocatePartialCaseInsensitive)->Unit(benchmark::kMillisecond);

void BM_CLoopPrefixFloor(benchmark::State& state) {
  std::vector<std::string> names;
  names.reserve(1000000);
  char name[32];
  for (int i = 0; i < 1000000; ++i) {
    std::snprintf(name, sizeof name, "Name%07d", 1000000 - i);
    names.emplace_back(name);
  }
  const char* key = "name0000001";
  std::size_t len = std::strlen(key);
  for (auto _ : state) {
    int at = -1;
    for (std::size_t i = 0; i < names.size(); ++i)
      if (strncasecmp(names[i].c_str(), key, len) == 0) {
        at = static_cast<int>(i);
        break;
      }
    benchmark::DoNotOptimize(at);
  }
}
BENCHMARK(BM_CLoopPrefixFloor)->Unit(benchmark::kMillisecond);

void BM_FilterTenPercent(benchmark::State& state) {
  TWorld& world = LocateWorld();
  for (auto _ : state) {
    world.Master->SetFilter("L1 <= 1000");
    world.Master->SetFiltered(true);
    benchmark::DoNotOptimize(world.Master->GetRecordCount());
    state.PauseTiming();
    world.Master->SetFiltered(false);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_FilterTenPercent)->Unit(benchmark::kMillisecond);


}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto get = [&](const std::string& prefix) { return reporter.Get(prefix); };
  std::printf("\nFigures\n");
  double n250 = get("BM_OpenAndVisit/250000/0"), n500 = get("BM_OpenAndVisit/500000/0"),
         n1m = get("BM_OpenAndVisit/1000000/0"), n1mc = get("BM_OpenAndVisit/1000000/1");
  if (n250 > 0 && n1m > 0) {
    std::printf("open+visit, 3 lookups, per row: %.0f ns (250k), %.0f ns (500k), %.0f ns (1M); with LookupCache %.0f ns\n",
                n250 * 1e6 / 250000, n500 * 1e6 / 500000, n1m * 1e6 / 1000000, n1mc * 1e6 / 1000000);
    std::printf("growth 250k -> 1M: x%.2f for x4 rows (linear is x4)\n", n1m / n250);
  }
  for (auto& [name, bytes] : gMemPerRow) std::printf("memory per row, %s: %.0f bytes\n", name.c_str(), bytes);
  double locate = get("BM_LocatePartialCaseInsensitive"), floor = get("BM_CLoopPrefixFloor");
  if (locate > 0 && floor > 0)
    std::printf("Locate partial case-insensitive over 1M names: %.2f ms, C loop %.2f ms, ratio %.2f\n", locate, floor,
                locate / floor);
  std::printf("filter keeping 10%% of 1M rows: %.1f ms\n", get("BM_FilterTenPercent"));
  return 0;
}
