// A benchmark program for the guard that runs benchmarks once in CI
// (benchmark_once.py): one benchmark that runs and one that stops with an
// error, as a broken benchmark does, without changing the exit status.
#include <benchmark/benchmark.h>

namespace {

void GuardProbeRuns(benchmark::State& state) {
  int x = 0;
  for (auto _ : state) benchmark::DoNotOptimize(++x);
}

void GuardProbeBroken(benchmark::State& state) {
  state.SkipWithError("a probe that always breaks");
  for (auto _ : state) {
  }
}

}  // namespace

BENCHMARK(GuardProbeRuns);
BENCHMARK(GuardProbeBroken);
BENCHMARK_MAIN();
