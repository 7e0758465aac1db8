// The console report of a benchmark program, followed by the ratio of each
// BM_<Name>_Adapter to its BM_<Name>_Raw twin, in CPU time. With
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
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const auto& run : runs) {
      if (run.run_type != Run::RT_Iteration) continue;
      const double time = run.GetAdjustedCPUTime();
      auto [it, first] = times_.try_emplace(run.run_name.function_name, time);
      if (!first) it->second = std::min(it->second, time);
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nadapter / raw SQLite:\n");
    for (const auto& [name, time] : times_) {
      const auto at = name.find("_Adapter");
      if (at == std::string::npos) continue;
      std::string raw = name;
      raw.replace(at, 8, "_Raw");
      if (const double twin = Time(raw); twin > 0)
        std::printf("  %-14s %.2fx\n", name.substr(3, at - 3).c_str(), time / twin);
    }
  }

  // The fastest CPU time of benchmark `name`; 0 when it did not run.
  double Time(const std::string& name) const {
    auto it = times_.find(name);
    return it == times_.end() ? 0 : it->second;
  }

 private:
  std::map<std::string, double> times_;
};
