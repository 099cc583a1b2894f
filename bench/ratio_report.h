#pragma once
// A console report that ends with the ratio of each measured side to its
// floor: the median wall time per iteration of the floor's repetitions
// divided by the median of the measured side's (1.0 = as fast as the floor,
// 0.5 = twice as slow). Run with --benchmark_repetitions=N and
// --benchmark_enable_random_interleaving=true on a busy machine, so that
// both sides see the same load; a single repetition gives a ratio too.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace bench {

struct RatioPair {
  std::string label;
  // Run names as the console shows them, up to any "/iterations:" or
  // "/real_time" suffix.
  std::string floor;
  std::string measured;
};

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // Colours only on a terminal.
  explicit RatioReporter(std::vector<RatioPair> pairs)
      : ConsoleReporter(isatty(fileno(stdout)) ? OO_Defaults : OO_None), pairs_(std::move(pairs)) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred || run.iterations == 0) continue;
      // Per iteration, in seconds, whatever unit the console shows.
      const double seconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
      if (run.run_type == Run::RT_Iteration)
        seconds_[run.run_name.str()].push_back(seconds);
      else if (run.aggregate_name == "median")  // all that shows with aggregates only
        medians_[run.run_name.str()] = seconds;
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    bool header = false;
    for (const RatioPair& p : pairs_) {
      const std::vector<double>* floor = find(p.floor);
      const std::vector<double>* measured = find(p.measured);
      if (!floor || !measured) continue;
      if (!header) {
        std::printf("\nfloor/measured, medians of wall time per iteration:\n");
        header = true;
      }
      const double f = median(*floor), m = median(*measured);
      std::printf("  %-28s %7.3f  (floor %.4g s, measured %.4g s, %zu/%zu runs)\n", p.label.c_str(),
                  m > 0 ? f / m : 0.0, f, m, floor->size(), measured->size());
    }
    std::fflush(stdout);
  }

  static double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
  }

 private:
  // The runs of one benchmark: its name alone or followed by "/suffixes".
  static bool named(const std::string& run, const std::string& name) {
    return run.compare(0, name.size(), name) == 0 && (run.size() == name.size() || run[name.size()] == '/');
  }
  const std::vector<double>* find(const std::string& name) {
    for (const auto& [run, times] : seconds_)
      if (named(run, name)) return &times;
    for (const auto& [run, median] : medians_) {
      if (named(run, name)) return &(seconds_[name] = {median});
    }
    return nullptr;
  }

  std::vector<RatioPair> pairs_;
  std::map<std::string, std::vector<double>> seconds_;
  std::map<std::string, double> medians_;
};

// The body of a bench program's main: the given pairs' ratios follow the
// usual console report.
inline int RunWithRatios(int argc, char** argv, std::vector<RatioPair> pairs) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter(std::move(pairs));
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

}  // namespace bench
