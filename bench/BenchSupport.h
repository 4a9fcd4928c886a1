// Shared by the benchmark programs: a reporter that keeps each run's time so that a
// program can print its figures as ratios at the end, and the process's resident memory.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

/// Prints Google Benchmark's table and keeps every run's CPU time in milliseconds (the
/// machines that run the benchmarks are shared: the time a run waits for the processor is
/// no part of its cost, so ratios compare processor time).
class TRatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> Ms;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& r : runs) Ms[r.benchmark_name()] = r.GetAdjustedCPUTime();
    ConsoleReporter::ReportRuns(runs);
  }
  /// The time of the first run whose name starts with `prefix`, 0 when none ran.
  double Get(const std::string& prefix) const {
    for (const auto& [name, ms] : Ms)
      if (name.rfind(prefix, 0) == 0) return ms;
    return 0.0;
  }
};

/// The process's resident memory in KiB.
inline long RssKiB() {
  FILE* f = std::fopen("/proc/self/status", "r");
  char line[256];
  long kib = 0;
  while (f && std::fgets(line, sizeof line, f))
    if (std::sscanf(line, "VmRSS: %ld", &kib) == 1) break;
  if (f) std::fclose(f);
  return kib;
}
