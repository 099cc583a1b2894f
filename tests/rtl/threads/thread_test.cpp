// TThread life cycle, pauses on the one clock, events, locks and atomics.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/rtl/clock.h"
#include "platform/rtl/except.h"
#include "platform/rtl/mainloop.h"
#include "platform/rtl/threads.h"
#include "tests/rtl/threads/test_threads.h"

using namespace rtl;
using rtl_test::FnThread;
using rtl_test::kLimitMs;

namespace {

TEST(Thread, CreatedSuspendedRunsOnlyAfterStart) {
  std::atomic<bool> ran{false};
  auto t = std::make_unique<FnThread>([&](FnThread&) { ran = true; }, true);
  t->AfterConstruction();  // does not start a suspended thread
  EXPECT_FALSE(t->Started());
  EXPECT_THROW(t->WaitFor(), EThread);
  t->Start();
  EXPECT_NE(t->ThreadID(), 0u);
  EXPECT_NE(t->ThreadID(), MainThreadID());
  ASSERT_TRUE(t->WaitFor(kLimitMs));
  EXPECT_TRUE(ran);
  EXPECT_TRUE(t->Finished());
  EXPECT_THROW(t->Start(), EThread);
}

TEST(Thread, WaitForReturnsTheReturnValue) {
  auto t = std::unique_ptr<FnThread>(NewThread<FnThread>([](FnThread& self) { self.SetReturnValue(42); }));
  EXPECT_EQ(t->WaitFor(), 42);
  EXPECT_EQ(t->ReturnValue(), 42);
}

TEST(Thread, ExceptionEscapingExecuteIsKeptAsFatalException) {
  auto t = std::unique_ptr<FnThread>(
      NewThread<FnThread>([](FnThread&) { throw EConvertError(u"not a number"); }));
  ASSERT_NO_THROW(t->WaitFor());
  EXPECT_TRUE(t->Finished());
  ASSERT_TRUE(t->FatalException());
  try {
    std::rethrow_exception(t->FatalException());
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "not a number");
  }
}

TEST(Thread, CurrentNamesTheRunningThreadAndAnExternalOneElsewhere) {
  TThread* seen = nullptr;
  bool workerIsMain = true;
  auto t = std::unique_ptr<FnThread>(NewThread<FnThread>([&](FnThread&) {
    seen = TThread::Current();
    workerIsMain = IsMainThread();
  }));
  ASSERT_TRUE(t->WaitFor(kLimitMs));
  EXPECT_EQ(seen, t.get());
  EXPECT_FALSE(workerIsMain);

  TThread* main = TThread::Current();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(main->ExternalThread());
  EXPECT_EQ(main->ThreadID(), MainThreadID());
  EXPECT_EQ(TThread::Current(), main);
  EXPECT_TRUE(IsMainThread());
  EXPECT_THROW(main->WaitFor(), EThread);
}

TEST(Thread, WaitForItselfRaises) {
  bool raised = false;
  auto t = std::unique_ptr<FnThread>(NewThread<FnThread>([&](FnThread& self) {
    try {
      self.WaitFor();
    } catch (const EThread&) {
      raised = true;
    }
  }));
  ASSERT_TRUE(t->WaitFor(kLimitMs));
  EXPECT_TRUE(raised);
}

// Tells the test when it has been destroyed, which happens on its own thread.
class SelfFreeingThread : public TThread {
 public:
  explicit SelfFreeingThread(TEvent& destroyed) : TThread(true), destroyed_(destroyed) {}
  ~SelfFreeingThread() override {
    freedOnOwnThread = TThread::Current() == this;
    destroyed_.SetEvent();
  }
  static inline std::atomic<bool> freedOnOwnThread{false};

 protected:
  void Execute() override {}

 private:
  TEvent& destroyed_;
};

TEST(Thread, FreeOnTerminateRunsOnTerminateOnTheMainThreadThenFreesItself) {
  TEvent destroyed;
  bool onTerminateOnMain = false;
  bool onTerminateRan = false;
  auto* t = new SelfFreeingThread(destroyed);
  t->SetFreeOnTerminate(true);
  EXPECT_THROW(t->WaitFor(), EThread);
  t->OnTerminate = [&](TThread* sender) {
    onTerminateRan = true;
    onTerminateOnMain = IsMainThread() && sender == t;
  };
  t->Start();
  // t may be gone from here on.
  ASSERT_TRUE(RunUntil([&] { return onTerminateRan; }, kLimitMs));
  EXPECT_TRUE(onTerminateOnMain);
  ASSERT_EQ(destroyed.WaitFor(kLimitMs), wrSignaled);
  EXPECT_TRUE(SelfFreeingThread::freedOnOwnThread);
}

TEST(Thread, AnonymousThreadRunsItsProcAndFreesItself) {
  TEvent ran;
  TThread* t = TThread::CreateAnonymousThread([&] { ran.SetEvent(); });
  EXPECT_TRUE(t->FreeOnTerminate());
  t->Start();
  EXPECT_EQ(ran.WaitFor(kLimitMs), wrSignaled);
}

TEST(Thread, TerminateBeforeStartSkipsExecute) {
  std::atomic<bool> ran{false};
  auto t = std::make_unique<FnThread>([&](FnThread&) { ran = true; }, true);
  t->Terminate();
  t->Start();
  ASSERT_TRUE(t->WaitFor(kLimitMs));
  EXPECT_FALSE(ran);
}

// A derived thread stops itself in its own destructor: once that has run, its
// Execute must not be running any more (its members are gone). The base
// destructor's own terminate-and-wait is the safety net behind it.
class PausingThread : public TThread {
 public:
  explicit PausingThread(std::atomic<bool>& sawTerminate) : sawTerminate_(sawTerminate) {}
  ~PausingThread() override {
    Terminate();
    WaitFor();
  }

 protected:
  void Execute() override {
    Pause(3600 * 1000);  // an hour of real time
    sawTerminate_ = Terminated();
  }

 private:
  std::atomic<bool>& sawTerminate_;
};

TEST(Thread, DestroyingARunningThreadTerminatesAndWaits) {
  std::atomic<bool> sawTerminate{false};
  {
    std::unique_ptr<PausingThread> t(NewThread<PausingThread>(sawTerminate));
    ASSERT_TRUE(WaitForClockWaiters(1, kLimitMs));
  }
  EXPECT_TRUE(sawTerminate);
}

// --- the worker pause -----------------------------------------------------------

TEST(ThreadPause, TerminateEndsThePauseEarly) {
  std::atomic<int> result{-1};
  auto t = std::unique_ptr<FnThread>(NewThread<FnThread>([&](FnThread& self) {
    result = self.Pause(3600 * 1000) ? 1 : 0;  // an hour of real time
  }));
  ASSERT_TRUE(WaitForClockWaiters(1, kLimitMs));
  EXPECT_FALSE(t->WaitFor(Int64{20}));
  t->Terminate();
  ASSERT_TRUE(t->WaitFor(kLimitMs));
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(t->Pause(10)) << "a terminated thread does not pause";
}

TEST(ThreadPause, TestClockAdvanceEndsThePauseAtItsDeadline) {
  TestClockScope time;
  const Int64 start = CurrentClock().MonotonicMs();
  std::atomic<int> result{-1};
  std::atomic<Int64> endedAt{0};
  auto t = std::unique_ptr<FnThread>(NewThread<FnThread>([&](FnThread& self) {
    result = self.Pause(5000) ? 1 : 0;
    endedAt = CurrentClock().MonotonicMs();
  }));
  ASSERT_TRUE(WaitForClockWaiters(1, kLimitMs));
  time.Advance(4999);
  EXPECT_FALSE(t->WaitFor(Int64{30})) << "released before its deadline";
  time.Advance(1);
  ASSERT_TRUE(t->WaitFor(kLimitMs));
  EXPECT_EQ(result, 1);
  EXPECT_EQ(endedAt, start + 5000);
}

TEST(ThreadPause, WaitUntilWokenByItsCondition) {
  TestClockScope time;
  std::atomic<bool> flag{false};
  std::atomic<int> result{-1};
  auto t = std::unique_ptr<FnThread>(NewThread<FnThread>([&](FnThread&) {
    result = WaitUntil(CurrentClock().MonotonicMs() + 1000, [&] { return flag.load(); }) ? 1 : 0;
  }));
  ASSERT_TRUE(WaitForClockWaiters(1, kLimitMs));
  flag = true;
  NotifyClockWaiters();
  ASSERT_TRUE(t->WaitFor(kLimitMs));
  EXPECT_EQ(result, 1);
  EXPECT_EQ(ClockWaiters(), 0);
}

// --- events ------------------------------------------------------------------------

struct EventCase {
  const char* name;
  bool manualReset;
  bool initialState;
  bool setFirst;
  TWaitResult first;
  TWaitResult second;
};

TEST(Event, ResetModes) {
  const EventCase cases[] = {
      {"manual, set", true, false, true, wrSignaled, wrSignaled},
      {"auto, set", false, false, true, wrSignaled, wrTimeout},
      {"manual, initially set", true, true, false, wrSignaled, wrSignaled},
      {"auto, initially set", false, true, false, wrSignaled, wrTimeout},
      {"manual, not set", true, false, false, wrTimeout, wrTimeout},
  };
  for (const EventCase& c : cases) {
    TEvent e(c.manualReset, c.initialState);
    if (c.setFirst) e.SetEvent();
    EXPECT_EQ(e.WaitFor(0), c.first) << c.name;
    EXPECT_EQ(e.WaitFor(0), c.second) << c.name;
    e.SetEvent();
    e.ResetEvent();
    EXPECT_EQ(e.WaitFor(0), wrTimeout) << c.name;
  }
  TSimpleEvent simple;
  EXPECT_EQ(simple.WaitFor(0), wrTimeout);
  simple.SetEvent();
  EXPECT_EQ(simple.WaitFor(0), wrSignaled);
  EXPECT_EQ(simple.WaitFor(0), wrSignaled);
}

TEST(Event, AutoResetReleasesOneWaiterPerSet) {
  TEvent e(false, false);
  std::atomic<int> released{0};
  auto waiter = [&](FnThread&) {
    if (e.WaitFor(kLimitMs) == wrSignaled) ++released;
  };
  auto a = std::unique_ptr<FnThread>(NewThread<FnThread>(waiter));
  auto b = std::unique_ptr<FnThread>(NewThread<FnThread>(waiter));
  e.SetEvent();
  TEvent pause;
  for (Int64 i = 0; released == 0 && i < kLimitMs; ++i) pause.WaitFor(1);
  pause.WaitFor(30);
  EXPECT_EQ(released, 1);
  e.SetEvent();
  ASSERT_TRUE(a->WaitFor(kLimitMs));
  ASSERT_TRUE(b->WaitFor(kLimitMs));
  EXPECT_EQ(released, 2);
}

TEST(Event, ManualResetReleasesEveryWaiter) {
  TSimpleEvent e;
  std::atomic<int> released{0};
  std::vector<std::unique_ptr<FnThread>> waiters;
  for (int i = 0; i < 3; ++i) {
    waiters.emplace_back(NewThread<FnThread>([&](FnThread&) {
      if (e.WaitFor(kLimitMs) == wrSignaled) ++released;
    }));
  }
  e.SetEvent();
  for (auto& w : waiters) ASSERT_TRUE(w->WaitFor(kLimitMs));
  EXPECT_EQ(released, 3);
}

// --- locks and atomics -------------------------------------------------------------

TEST(CriticalSection, ReentrantForItsOwnerExclusiveForOthers) {
  TCriticalSection cs(4000);
  cs.Enter();
  EXPECT_TRUE(cs.TryEnter());  // re-entry by the owner
  bool otherGotIt = true;
  std::thread other([&] { otherGotIt = cs.TryEnter(); });
  other.join();
  EXPECT_FALSE(otherGotIt);
  cs.Leave();
  cs.Leave();
  std::thread again([&] {
    otherGotIt = cs.TryEnter();
    if (otherGotIt) cs.Leave();
  });
  again.join();
  EXPECT_TRUE(otherGotIt);
}

TEST(CriticalSection, GuardsACounterAcrossThreads) {
  TCriticalSection cs;
  int counter = 0;
  std::vector<std::unique_ptr<FnThread>> workers;
  for (int w = 0; w < 4; ++w) {
    workers.emplace_back(NewThread<FnThread>([&](FnThread&) {
      for (int i = 0; i < 5000; ++i) {
        std::lock_guard<TCriticalSection> lock(cs);
        ++counter;
      }
    }));
  }
  for (auto& w : workers) ASSERT_TRUE(w->WaitFor(kLimitMs));
  EXPECT_EQ(counter, 20000);
}

TEST(Interlocked, ReturnValuesAsThePlatformGivesThem) {
  Integer v = 5;
  EXPECT_EQ(InterlockedIncrement(v), 6);
  EXPECT_EQ(InterlockedDecrement(v), 5);
  EXPECT_EQ(InterlockedExchangeAdd(v, 10), 5);
  EXPECT_EQ(v, 15);
  EXPECT_EQ(InterlockedExchange(v, 3), 15);
  EXPECT_EQ(v, 3);
  EXPECT_EQ(InterlockedCompareExchange(v, 9, 4), 3);  // no match: unchanged
  EXPECT_EQ(v, 3);
  EXPECT_EQ(InterlockedCompareExchange(v, 9, 3), 3);  // match: stored
  EXPECT_EQ(v, 9);
  Int64 big = 1;
  EXPECT_EQ(InterlockedExchangeAdd(big, Int64{1} << 40), 1);
  EXPECT_EQ(big, (Int64{1} << 40) + 1);
}

TEST(Interlocked, IncrementsFromSeveralThreadsAreNotLost) {
  Integer counter = 0;
  std::vector<std::unique_ptr<FnThread>> workers;
  for (int w = 0; w < 4; ++w) {
    workers.emplace_back(NewThread<FnThread>([&](FnThread&) {
      for (int i = 0; i < 10000; ++i) InterlockedIncrement(counter);
    }));
  }
  for (auto& w : workers) ASSERT_TRUE(w->WaitFor(kLimitMs));
  EXPECT_EQ(InterlockedExchangeAdd(counter, 0), 40000);
}

TEST(ThreadInfo, ProcessorCountAndIds) {
  EXPECT_GE(ProcessorCount(), 1);
  EXPECT_EQ(TThread::ProcessorCount(), ProcessorCount());
  EXPECT_EQ(GetCurrentThreadId(), MainThreadID());
  LongWord other = 0;
  std::thread t([&] { other = GetCurrentThreadId(); });
  t.join();
  EXPECT_NE(other, 0u);
  EXPECT_NE(other, MainThreadID());
}

}  // namespace
