// Core library costs beside a baseline doing the same work in the same run.
// Pairs share a name prefix: <Work>/Baseline and <Work>/<Ours>.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "lib/core/dxCoreClasses.h"
#include "lib/core/dxThreading.h"

namespace {

constexpr int kItems = 1000000;

// Items point into one array of keys shuffled by a fixed generator.
struct SortInput {
  std::vector<int> keys;
  std::vector<void*> items;
  SortInput() : keys(kItems) {
    unsigned x = 2463534242u;
    for (int& k : keys) {
      x ^= x << 13;
      x ^= x >> 17;
      x ^= x << 5;
      k = static_cast<int>(x % 10000000u);
    }
    for (int& k : keys) items.push_back(&k);
  }
};
const SortInput& sortInput() {
  static const SortInput input;
  return input;
}

int compareKeys(void* a, void* b) {
  const int x = *static_cast<int*>(a), y = *static_cast<int*>(b);
  return x < y ? -1 : (x > y ? 1 : 0);
}
// The list sort calls its comparator through a method; the baseline calls
// the very same method.
const core::TdxListSortCompareMethod kCompare =
    core::TdxListSortCompareMethod::fromFunction(&compareKeys);

void fillList(core::TdxFastList& list) {
  const auto& items = sortInput().items;
  list.SetCount(kItems);
  std::copy(items.begin(), items.end(), list.List());
}

// 1,000,000 pointers: std::sort with the same comparator against the list
// sort on one thread (target: within 1.3x).
void FastListSort_Baseline(benchmark::State& state) {
  std::vector<void*> items;
  for (auto _ : state) {
    items = sortInput().items;
    std::sort(items.begin(), items.end(), [](void* a, void* b) { return kCompare(a, b) < 0; });
    benchmark::DoNotOptimize(items.data());
  }
}
void FastListSort_SingleThreaded(benchmark::State& state) {
  core::TdxFastList list(kItems);
  for (auto _ : state) {
    fillList(list);
    list.Sort(kCompare, false);
    benchmark::DoNotOptimize(list.List());
  }
}
// The same on the thread pool (report the speed-up over the single thread).
void FastListSort_MultiThreaded(benchmark::State& state) {
  core::dxThreadingInitialization();
  core::TdxFastList list(kItems);
  for (auto _ : state) {
    fillList(list);
    list.Sort(kCompare, true);
    benchmark::DoNotOptimize(list.List());
  }
  core::dxThreadingFinalization();
}

BENCHMARK(FastListSort_Baseline)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(FastListSort_SingleThreaded)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(FastListSort_MultiThreaded)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
