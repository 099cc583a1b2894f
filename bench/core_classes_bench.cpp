// Class-registry lookups: TcxRegisteredClassList.FindClass over 300
// registered classes against an unordered_map of the exact classes.
#include <benchmark/benchmark.h>

#include <deque>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "bench/ratio_report.h"
#include "lib/core/cxClasses.h"

namespace {

constexpr int kClasses = 300;
constexpr int kLookups = 1000000;

// 300 classes in a tree (each under the one at (i - 1) / 2, so about eight
// levels deep, as an editor or view hierarchy), the class each is registered
// to, and a million random keys.
struct Hierarchy {
  std::deque<std::string> names;
  std::deque<rtl::ClassInfo> classes;
  std::deque<rtl::ClassInfo> leaves;  // unregistered descendants, one per class
  std::vector<const rtl::ClassInfo*> registered;
  std::vector<const rtl::ClassInfo*> keys;
  std::vector<const rtl::ClassInfo*> leafKeys;

  Hierarchy() {
    for (int i = 0; i < kClasses; ++i) {
      const rtl::ClassInfo* parent = i == 0 ? &rtl::TObject::classInfo() : &classes[(i - 1) / 2];
      names.push_back("TBenchItem" + std::to_string(i));
      classes.emplace_back(names.back().c_str(), parent, nullptr, nullptr, nullptr, nullptr);
      names.push_back("TBenchLeaf" + std::to_string(i));
      leaves.emplace_back(names.back().c_str(), &classes.back(), nullptr, nullptr, nullptr, nullptr);
      registered.push_back(&rtl::TComponent::classInfo());
    }
    std::mt19937 random(14);
    std::uniform_int_distribution<int> pick(0, kClasses - 1);
    for (int i = 0; i < kLookups; ++i) {
      const int k = pick(random);
      keys.push_back(&classes[static_cast<size_t>(k)]);
      leafKeys.push_back(&leaves[static_cast<size_t>(k)]);
    }
  }
};

const Hierarchy& hierarchy() {
  static const Hierarchy h;
  return h;
}

void BM_UnorderedMapOfExactClasses(benchmark::State& state) {
  const Hierarchy& h = hierarchy();
  std::unordered_map<const rtl::ClassInfo*, const rtl::ClassInfo*> map;
  for (int i = 0; i < kClasses; ++i) map[&h.classes[static_cast<size_t>(i)]] = h.registered[static_cast<size_t>(i)];
  for (auto _ : state) {
    std::size_t found = 0;
    for (const rtl::ClassInfo* key : h.keys) {
      auto it = map.find(key);
      found += it != map.end() && it->second;
    }
    benchmark::DoNotOptimize(found);
  }
  state.SetItemsProcessed(state.iterations() * kLookups);
}
BENCHMARK(BM_UnorderedMapOfExactClasses)->Unit(benchmark::kMillisecond);

void BM_RegisteredClassListFindClass(benchmark::State& state) {
  const Hierarchy& h = hierarchy();
  core::TcxRegisteredClassList list;
  for (int i = 0; i < kClasses; ++i)
    list.Register(&h.classes[static_cast<size_t>(i)], h.registered[static_cast<size_t>(i)]);
  for (auto _ : state) {
    std::size_t found = 0;
    for (const rtl::ClassInfo* key : h.keys) found += list.FindClass(key) != nullptr;
    benchmark::DoNotOptimize(found);
  }
  state.SetItemsProcessed(state.iterations() * kLookups);
}
BENCHMARK(BM_RegisteredClassListFindClass)->Unit(benchmark::kMillisecond);

// Unregistered descendants, answered through their nearest registered
// ancestor (which the map cannot answer at all).
void BM_RegisteredClassListFindAncestor(benchmark::State& state) {
  const Hierarchy& h = hierarchy();
  core::TcxRegisteredClassList list;
  for (int i = 0; i < kClasses; ++i)
    list.Register(&h.classes[static_cast<size_t>(i)], h.registered[static_cast<size_t>(i)]);
  for (auto _ : state) {
    std::size_t found = 0;
    for (const rtl::ClassInfo* key : h.leafKeys) found += list.FindClass(key) != nullptr;
    benchmark::DoNotOptimize(found);
  }
  state.SetItemsProcessed(state.iterations() * kLookups);
}
BENCHMARK(BM_RegisteredClassListFindAncestor)->Unit(benchmark::kMillisecond);

// The first lookup of each class after a change scans the list: a fresh
// list per iteration, 300 first lookups of the registered classes.
void BM_RegisteredClassListFirstLookups(benchmark::State& state) {
  const Hierarchy& h = hierarchy();
  for (auto _ : state) {
    core::TcxRegisteredClassList list;
    for (int i = 0; i < kClasses; ++i)
      list.Register(&h.classes[static_cast<size_t>(i)], h.registered[static_cast<size_t>(i)]);
    std::size_t found = 0;
    for (int i = 0; i < kClasses; ++i) found += list.FindClass(&h.classes[static_cast<size_t>(i)]) != nullptr;
    benchmark::DoNotOptimize(found);
  }
  state.SetItemsProcessed(state.iterations() * kClasses);
}
BENCHMARK(BM_RegisteredClassListFirstLookups)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return bench::RunWithRatios(
      argc, argv,
      {{"FindClass vs map", "BM_UnorderedMapOfExactClasses", "BM_RegisteredClassListFindClass"},
       {"FindClass(ancestor) vs map", "BM_UnorderedMapOfExactClasses",
        "BM_RegisteredClassListFindAncestor"}});
}
