// Shared by the benchmark programs: a reporter that keeps each run's time so that a
// program can print its figures as ratios at the end, and the process's resident memory.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

/// Prints Google Benchmark's table and keeps every benchmark's CPU time in milliseconds,
/// the fastest of its repetitions. The machines that run the benchmarks are shared: the
/// time a run waits for the processor is no part of its cost, and the fastest repetition
/// is the one least disturbed, so ratios compare that.
class TRatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> Ms;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& r : runs) {
      if (r.run_type != Run::RT_Iteration || r.error_occurred) continue;
      const std::string name = r.run_name.str();
      const double ms = r.GetAdjustedCPUTime();
      auto it = Ms.find(name);
      if (it == Ms.end() || ms < it->second) Ms[name] = ms;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  /// The time of the first benchmark whose name starts with `prefix`, 0 when none ran.
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
