// The console report of a benchmark program, followed by the ratio of each
// benchmark to its twin: BM_<Name>_Adapter to BM_<Name>_Raw in CPU time by
// default, or whatever suffixes and clock a program chooses. With
// --benchmark_repetitions the fastest repetition counts: on a shared
// machine the others measure the neighbours too.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  struct Pairing {
    std::string ours = "_Adapter";
    std::string twin = "_Raw";
    std::string title = "adapter / raw SQLite:";
    // Wall time instead of CPU time: a round trip waits on other processes.
    bool realTime = false;
    // Prints twin time / our time with both rates in calls/s (higher is
    // better) instead of our time / twin time.
    bool asRates = false;
  };

  RatioReporter() = default;
  explicit RatioReporter(Pairing pairing) : pairing_(std::move(pairing)) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const auto& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      const double time = pairing_.realTime ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime();
      auto [it, first] = times_.try_emplace(run.run_name.function_name, time);
      if (!first) it->second = std::min(it->second, time);
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%s\n", pairing_.title.c_str());
    for (const auto& [name, time] : times_) {
      const auto at = name.find(pairing_.ours);
      if (at == std::string::npos || time <= 0) continue;
      const double twin = Time(name.substr(0, at) + pairing_.twin);
      if (twin <= 0) continue;
      const std::string shown = name.substr(3, at - 3);
      if (pairing_.asRates)
        std::printf("  %-14s %.2f  (%.0f vs %.0f calls/s)\n", shown.c_str(), twin / time, 1e9 / time, 1e9 / twin);
      else
        std::printf("  %-14s %.2fx\n", shown.c_str(), time / twin);
    }
  }

  // The fastest time of benchmark `name`; 0 when it did not run.
  double Time(const std::string& name) const {
    auto it = times_.find(name);
    return it == times_.end() ? 0 : it->second;
  }

 private:
  Pairing pairing_;
  std::map<std::string, double> times_;
};
