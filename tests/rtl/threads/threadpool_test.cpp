// The work-item queue: every item runs once, context reaches it, shutdown
// drains what was queued.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

#include "platform/rtl/mainloop.h"
#include "platform/rtl/threadpool.h"
#include "platform/rtl/threads.h"
#include "tests/rtl/threads/test_threads.h"

using namespace rtl;
using rtl_test::kLimitMs;

namespace {

struct Counts {
  std::vector<std::atomic<int>> perItem;
  std::atomic<int> total{0};
  TEvent allDone;
  int expected;
  explicit Counts(int n) : perItem(n), expected(n) {}
  // Nothing of the object is touched after the last item's increment: the
  // test may end and destroy it at once.
  void ran(int i) {
    const int last = expected;
    ++perItem[i];
    if (++total == last) allDone.SetEvent();
  }
};

TEST(ThreadPool, RunsEveryItemExactlyOnce) {
  constexpr int kItems = 2000;
  Counts counts(kItems);
  for (int i = 0; i < kItems; ++i) ASSERT_TRUE(QueueUserWorkItem([&counts, i] { counts.ran(i); }));
  ASSERT_EQ(counts.allDone.WaitFor(kLimitMs), wrSignaled);
  for (int i = 0; i < kItems; ++i) EXPECT_EQ(counts.perItem[i], 1) << "item " << i;
  EXPECT_EQ(ThreadPoolSize(), ProcessorCount());
}

struct Job {
  Counts* counts;
  int index;
  bool onWorker = false;
};

LongWord runJob(void* context) {
  auto* job = static_cast<Job*>(context);
  job->onWorker = !IsMainThread();
  job->counts->ran(job->index);
  return 0;
}

TEST(ThreadPool, PassesTheContextToTheRoutine) {
  Counts counts(3);
  std::vector<Job> jobs{{&counts, 0}, {&counts, 1}, {&counts, 2}};
  for (Job& job : jobs) ASSERT_TRUE(QueueUserWorkItem(&runJob, &job, WT_EXECUTELONGFUNCTION));
  ASSERT_EQ(counts.allDone.WaitFor(kLimitMs), wrSignaled);
  for (const Job& job : jobs) EXPECT_TRUE(job.onWorker);
  EXPECT_FALSE(QueueUserWorkItem(nullptr, nullptr, WT_EXECUTEDEFAULT));
}

TEST(ThreadPool, ShutdownDrainsTheQueueThenThePoolStartsAgain) {
  constexpr int kItems = 300;
  Counts counts(kItems);
  for (int i = 0; i < kItems; ++i) ASSERT_TRUE(QueueUserWorkItem([&counts, i] { counts.ran(i); }));
  ShutdownThreadPool();
  EXPECT_EQ(counts.total, kItems) << "shutdown returned before the queue was drained";

  Counts later(1);
  ASSERT_TRUE(QueueUserWorkItem([&later] { later.ran(0); }));
  EXPECT_EQ(later.allDone.WaitFor(kLimitMs), wrSignaled);
}

TEST(ThreadPool, ItemsHandOverToTheMainThread) {
  constexpr int kItems = 20;
  int onMain = 0;  // main thread only
  for (int i = 0; i < kItems; ++i) {
    ASSERT_TRUE(QueueUserWorkItem([&onMain] {
      TThread::Synchronize(nullptr, [&onMain] { onMain += IsMainThread() ? 1 : 1000; });
    }));
  }
  ASSERT_TRUE(RunUntil([&] { return onMain >= kItems; }, kLimitMs));
  EXPECT_EQ(onMain, kItems);
}

}  // namespace
