// Parallel sort and search on the thread pool: the same order as the
// single-threaded sort, the try-lock fallback, and exceptions of work items.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "lib/core/dxCoreClasses.h"
#include "lib/core/dxThreading.h"
#include "platform/rtl/except.h"
#include "platform/rtl/threads.h"
#include "platform/rtl/ustring.h"
#include "platform/ui/forms.h"

namespace core {
namespace {

int compareKeys(void* a, void* b) {
  const int x = *static_cast<int*>(a), y = *static_cast<int*>(b);
  return x < y ? -1 : (x > y ? 1 : 0);
}

std::vector<int> keysOf(const std::vector<void*>& items) {
  std::vector<int> out;
  out.reserve(items.size());
  for (void* p : items) out.push_back(*static_cast<int*>(p));
  return out;
}

class ParallelWork : public ::testing::Test {
 protected:
  void SetUp() override {
    dxThreadingInitialization();
    ASSERT_NE(dxSortHelper(), nullptr) << "the tests need more than one processor";
  }
  void TearDown() override {
    dxEnableMultiThreading = true;
    dxThreadingFinalization();
  }
};

class ParallelSortSizes : public ParallelWork, public ::testing::WithParamInterface<int> {};

TEST_P(ParallelSortSizes, GivesTheSingleThreadedOrder) {
  const int n = GetParam();
  std::mt19937 gen(static_cast<unsigned>(n));
  std::uniform_int_distribution<int> dist(0, n / 3 + 1);  // plenty of ties
  std::vector<int> keys(static_cast<size_t>(n));
  for (int& k : keys) k = dist(gen);
  std::vector<void*> single, parallel;
  for (int& k : keys) {
    single.push_back(&k);
    parallel.push_back(&k);
  }
  dxQuickSortList(single.data(), n, &compareKeys, false);
  dxQuickSortList(parallel.data(), n, TdxListSortCompareMethod::fromFunction(&compareKeys), true);
  EXPECT_EQ(keysOf(parallel), keysOf(single));
  std::sort(parallel.begin(), parallel.end());
  std::sort(single.begin(), single.end());
  EXPECT_EQ(parallel, single);  // the same items, each once
}

INSTANTIATE_TEST_SUITE_P(Core, ParallelSortSizes,
                         ::testing::Values(1, 2, 31, 32, 33, 34, 100, 1023, 4099, 100000));

TEST_F(ParallelWork, ThirtyThreeItemsMakeSixteenChunksAndUseThePool) {
  TdxMultithreadedSort* sorter = dxSortHelper();
  EXPECT_EQ(sorter->CalculateChunkCount(31), 1);
  EXPECT_EQ(sorter->CalculateChunkCount(33), 16);
  EXPECT_EQ(TdxMultithreadedSort(1).CalculateChunkCount(1000), 1);
  EXPECT_EQ(TdxMultithreadedSort(3).CalculateChunkCount(1000), 8);

  std::vector<int> keys(33);
  for (int i = 0; i < 33; ++i) keys[static_cast<size_t>(i)] = 33 - i;
  std::vector<void*> items;
  for (int& k : keys) items.push_back(&k);
  std::mutex m;
  std::set<std::thread::id> threads;
  int token = 0;
  auto compare = TdxListSortCompareMethod::fromClosure(&token, [&](void* a, void* b) {
    std::lock_guard lock(m);
    threads.insert(std::this_thread::get_id());
    return compareKeys(a, b);
  });
  dxQuickSortList(items.data(), 33, compare, true);
  std::vector<int> expected(33);
  for (int i = 0; i < 33; ++i) expected[static_cast<size_t>(i)] = i + 1;
  EXPECT_EQ(keysOf(items), expected);
  EXPECT_EQ(threads.count(std::this_thread::get_id()), 0u) << "the chunks run on the pool";
}

// Whether every comparison of one sort ran on the calling thread.
bool sortsOnCallingThread(bool multiThreaded) {
  std::vector<int> keys(500);
  for (int i = 0; i < 500; ++i) keys[static_cast<size_t>(i)] = (i * 7919) % 500;
  std::vector<void*> items;
  for (int& k : keys) items.push_back(&k);
  std::atomic<bool> elsewhere{false};
  const auto caller = std::this_thread::get_id();
  int token = 0;
  auto compare = TdxListSortCompareMethod::fromClosure(&token, [&](void* a, void* b) {
    if (std::this_thread::get_id() != caller) elsewhere = true;
    return compareKeys(a, b);
  });
  dxQuickSortList(items.data(), 500, compare, multiThreaded);
  std::vector<int> sorted = keysOf(items);
  EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end()));
  return !elsewhere;
}

TEST_F(ParallelWork, FallsBackToTheCallingThread) {
  struct Case {
    const char* what;
    bool enable;
    bool busy;
    bool multiThreaded;
    bool onCaller;
  };
  const Case cases[] = {
      {"parallel", true, false, true, false},
      {"not asked", true, false, false, true},
      {"switched off", false, false, true, true},
      {"sorter busy", true, true, true, true},
  };
  for (const Case& c : cases) {
    dxEnableMultiThreading = c.enable;
    if (c.busy) { ASSERT_TRUE(dxSortHelper()->Lock()); }
    EXPECT_EQ(sortsOnCallingThread(c.multiThreaded), c.onCaller) << c.what;
    if (c.busy) dxSortHelper()->Unlock();
  }
}

TEST_F(ParallelWork, IterateFindsMatchesInEitherDirection) {
  TdxMultithreadedListIterator* it = dxListIterator();
  std::atomic<int> calls{0};
  int token = 0;
  const auto caller = std::this_thread::get_id();
  std::atomic<bool> elsewhere{false};
  auto multipleOf = [&](int divisor) {
    return TdxIteratorItemFunc::fromClosure(&token, [&, divisor](void*, int index) {
      ++calls;
      if (std::this_thread::get_id() != caller) elsewhere = true;
      return divisor > 0 && index % divisor == 0 && index > 0;
    });
  };
  EXPECT_EQ(it->Iterate(nullptr, 0, false, multipleOf(1)), -1);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(it->Iterate(nullptr, 1, false, multipleOf(0)), -1);
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(elsewhere) << "one item is checked on the calling thread";
  EXPECT_EQ(it->Iterate(nullptr, 100000, false, multipleOf(0)), -1);
  EXPECT_EQ(calls, 100001);  // a search that finds nothing visits every item once
  EXPECT_EQ(it->Iterate(nullptr, 100000, true, multipleOf(99991)), 99991);
  const int found = it->Iterate(nullptr, 1000, false, multipleOf(100));
  EXPECT_TRUE(found > 0 && found % 100 == 0) << found;
}

// Records what the application is asked to show.
struct ShownErrors {
  std::vector<std::string> messages;
  void onException(rtl::TObject*, rtl::Exception* e) {
    messages.push_back(rtl::StringToUtf8(e->Message()));
  }
};

class WorkItemErrors : public ParallelWork {
 protected:
  void SetUp() override {
    ParallelWork::SetUp();
    ui::Application->SetOnException(ui::TExceptionEvent::bind<&ShownErrors::onException>(&shown));
  }
  void TearDown() override {
    ui::Application->SetOnException(ui::TExceptionEvent());
    ParallelWork::TearDown();
  }
  ShownErrors shown;
};

struct Failing {
  int round;
  int failAt;  // the item that raises, or -1
  bool abort;
};
void failingItem(void* data) {
  const auto* f = static_cast<const Failing*>(data);
  if (f->failAt < 0) return;
  if (f->abort) rtl::Abort();
  throw rtl::EConvertError(rtl::S("round " + std::to_string(f->round)));
}

// Each round's error is taken out of the helper before its caller goes on,
// so the next round, started at once on the same helper, can neither lose it
// nor show it twice; an abort is never shown.
TEST_F(WorkItemErrors, EachRoundShowsItsOwnErrorOnce) {
  TdxThreadPoolHelper helper;
  std::vector<std::string> expected;
  constexpr int kRounds = 300;
  std::vector<Failing> items(kRounds * 4);
  for (int round = 0; round < kRounds; ++round) {
    const bool fails = round % 3 != 2;
    const bool abort = round % 7 == 0;
    helper.Initialize(4);
    for (int i = 0; i < 4; ++i) {
      Failing& f = items[static_cast<size_t>(round * 4 + i)];
      f = Failing{round, fails && i == round % 4 ? i : -1, abort};
      helper.QueueWorkItem(&f, &failingItem);
    }
    helper.WaitForThreads();
    if (fails && !abort) expected.push_back("round " + std::to_string(round));
  }
  while (rtl::CheckSynchronize(0)) {
  }
  EXPECT_EQ(shown.messages, expected);
}

TEST_F(WorkItemErrors, ASortWhoseComparatorRaisesStillReturns) {
  std::vector<int> keys(1000);
  for (int i = 0; i < 1000; ++i) keys[static_cast<size_t>(i)] = 1000 - i;
  std::vector<void*> items;
  for (int& k : keys) items.push_back(&k);
  int token = 0;
  auto compare = TdxListSortCompareMethod::fromClosure(&token, [](void* a, void* b) -> int {
    if (*static_cast<int*>(a) == 500 || *static_cast<int*>(b) == 500)
      throw rtl::Exception(u"cannot compare 500");
    return compareKeys(a, b);
  });
  dxQuickSortList(items.data(), 1000, compare, true);
  while (rtl::CheckSynchronize(0)) {
  }
  ASSERT_FALSE(shown.messages.empty());
  EXPECT_EQ(shown.messages.front(), "cannot compare 500");
  std::vector<void*> after = items;
  std::sort(after.begin(), after.end());
  std::vector<void*> before;
  for (int& k : keys) before.push_back(&k);
  std::sort(before.begin(), before.end());
  EXPECT_EQ(after, before);  // no item lost or doubled
}

}  // namespace
}  // namespace core
