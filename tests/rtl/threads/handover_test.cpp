// Hand-overs to the main thread: one first-in-first-out queue for
// Synchronize and Queue, served by the main loop and by WaitFor.
#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/rtl/except.h"
#include "platform/rtl/mainloop.h"
#include "platform/rtl/threads.h"
#include "tests/rtl/threads/test_threads.h"

using namespace rtl;
using rtl_test::FnThread;
using rtl_test::kLimitMs;

namespace {

// Leaves the shutdown state behind for the next test in this process.
struct ShutdownGuard {
  ~ShutdownGuard() { ResetShutdownForTests(); }
};

TEST(HandOver, FromSeveralThreadsRunInTheOrderMade) {
  constexpr int kThreads = 4;
  constexpr int kPerThread = 60;
  std::mutex ticketMutex;
  int nextTicket = 0;
  std::vector<int> ran;  // touched only on the main thread
  std::vector<std::unique_ptr<FnThread>> workers;
  for (int w = 0; w < kThreads; ++w) {
    workers.emplace_back(NewThread<FnThread>([&](FnThread& self) {
      for (int i = 0; i < kPerThread; ++i) {
        // The ticket and the hand-over are made under one lock, so the
        // ticket order is the order the hand-overs were made in.
        std::lock_guard<std::mutex> lock(ticketMutex);
        const int ticket = nextTicket++;
        if (ticket % 3 == 0) {
          self.Synchronize([&ran, ticket] { ran.push_back(ticket); });
        } else {
          self.Queue([&ran, ticket] { ran.push_back(ticket); });
        }
      }
    }));
  }
  ASSERT_TRUE(RunUntil([&] { return ran.size() == kThreads * kPerThread; }, kLimitMs));
  for (auto& w : workers) ASSERT_TRUE(w->WaitFor(kLimitMs));
  for (int i = 0; i < kThreads * kPerThread; ++i) ASSERT_EQ(ran[i], i) << "at position " << i;
}

TEST(HandOver, SynchronizeWaitsItsTurnBehindEarlierQueueCalls) {
  std::vector<std::string> ran;
  TEvent queued;
  auto t = std::unique_ptr<FnThread>(NewThread<FnThread>([&](FnThread& self) {
    self.Queue([&] { ran.push_back("queue 1"); });
    self.Queue([&] { ran.push_back("queue 2"); });
    queued.SetEvent();
    self.Synchronize([&] { ran.push_back("synchronize"); });
    // Runs on the worker after the main thread ran the method.
    self.Queue([&] { ran.push_back("queue 3"); });
  }));
  ASSERT_EQ(queued.WaitFor(kLimitMs), wrSignaled);
  ASSERT_TRUE(t->WaitFor(kLimitMs));  // serves the queue meanwhile
  CheckSynchronize(0);
  EXPECT_EQ(ran, (std::vector<std::string>{"queue 1", "queue 2", "synchronize", "queue 3"}));
}

TEST(HandOver, WaitForOnTheMainThreadServesABlockedSynchronize) {
  bool served = false;
  auto t = std::unique_ptr<FnThread>(NewThread<FnThread>([&](FnThread& self) {
    self.Synchronize([&] { served = IsMainThread(); });
    self.SetReturnValue(served ? 7 : -1);
  }));
  EXPECT_EQ(t->WaitFor(), 7);
  EXPECT_TRUE(served);
}

TEST(HandOver, ExceptionInSynchronizedMethodIsRaisedInTheWorker) {
  std::string caught;
  auto t = std::unique_ptr<FnThread>(NewThread<FnThread>([&](FnThread& self) {
    try {
      self.Synchronize([] { throw EConvertError(u"bad number"); });
    } catch (const EConvertError& e) {
      caught = std::string(e.ClassName()) + ": " + e.what();
    }
  }));
  ASSERT_TRUE(t->WaitFor(kLimitMs));
  EXPECT_EQ(caught, "EConvertError: bad number");
  EXPECT_FALSE(t->FatalException());
}

TEST(HandOver, ExceptionInQueuedMethodLeavesTheRestQueued) {
  std::vector<int> ran;
  auto t = std::unique_ptr<FnThread>(NewThread<FnThread>([&](FnThread& self) {
    self.Queue([&] { ran.push_back(1); });
    self.Queue([] { throw EAbort(u"stop"); });
    self.Queue([&] { ran.push_back(3); });
  }));
  TEvent never;
  // Wait for the worker without serving: a TEvent wait does not pump.
  for (Int64 i = 0; !t->Finished() && i < kLimitMs; ++i) never.WaitFor(1);
  ASSERT_TRUE(t->Finished());
  EXPECT_THROW(CheckSynchronize(0), EAbort);
  EXPECT_EQ(ran, std::vector<int>{1});
  EXPECT_TRUE(CheckSynchronize(0));
  EXPECT_EQ(ran, (std::vector<int>{1, 3}));
  ASSERT_TRUE(t->WaitFor(kLimitMs));
}

TEST(HandOver, OnTheMainThreadSynchronizeAndQueueRunAtOnceAndForceQueueWaits) {
  std::vector<std::string> ran;
  TThread::Synchronize(nullptr, [&] { ran.push_back("synchronize"); });
  TThread::Queue(nullptr, [&] { ran.push_back("queue"); });
  TThread::ForceQueue(nullptr, [&] { ran.push_back("force"); });
  EXPECT_EQ(ran, (std::vector<std::string>{"synchronize", "queue"}));
  EXPECT_TRUE(CheckSynchronize(0));
  EXPECT_EQ(ran.back(), "force");
  EXPECT_FALSE(CheckSynchronize(0));
}

TEST(HandOver, CheckSynchronizeOffTheMainThreadRaises) {
  bool raised = false;
  auto t = std::unique_ptr<FnThread>(NewThread<FnThread>([&](FnThread&) {
    try {
      CheckSynchronize(0);
    } catch (const EThread&) {
      raised = true;
    }
  }));
  ASSERT_TRUE(t->WaitFor(kLimitMs));
  EXPECT_TRUE(raised);
}

TEST(HandOver, HandOverFromAThreadNotMadeByTThread) {
  // Pool workers and plain threads hand over through the static calls.
  int ran = 0;
  std::thread plain([&] {
    TThread::Synchronize(nullptr, [&] { ++ran; });
    TThread::Queue(nullptr, [&] { ++ran; });
  });
  const bool done = RunUntil([&] { return ran == 2; }, kLimitMs);
  plain.join();
  EXPECT_TRUE(done);
}

TEST(HandOver, RemoveQueuedEventsDropsOnlyThatThreadsMethods) {
  std::vector<std::string> ran;
  TEvent queued;
  auto t = std::unique_ptr<FnThread>(NewThread<FnThread>([&](FnThread& self) {
    self.Queue([&] { ran.push_back("own"); });
    TThread::Queue(nullptr, [&] { ran.push_back("anonymous"); });
    self.Queue([&] { ran.push_back("own again"); });
    queued.SetEvent();
  }));
  ASSERT_EQ(queued.WaitFor(kLimitMs), wrSignaled);
  TThread::RemoveQueuedEvents(t.get());
  CheckSynchronize(0);
  EXPECT_EQ(ran, std::vector<std::string>{"anonymous"});
  ASSERT_TRUE(t->WaitFor(kLimitMs));
}

TEST(HandOver, ShutdownDropsQueueAndReleasesSynchronize) {
  ShutdownGuard guard;
  std::vector<std::string> ran;
  TEvent queued;
  bool synchronizeReturned = false;
  bool afterShutdownReturned = false;
  auto t = std::unique_ptr<FnThread>(NewThread<FnThread>([&](FnThread& self) {
    self.Queue([&] { ran.push_back("queued before"); });
    queued.SetEvent();
    // Made before or after BeginShutdown: either way it must return unrun.
    self.Synchronize([&] { ran.push_back("synchronize"); });
    synchronizeReturned = true;
    self.Queue([&] { ran.push_back("queued after"); });
    self.Synchronize([&] { ran.push_back("synchronize after"); });
    afterShutdownReturned = true;
  }));
  ASSERT_EQ(queued.WaitFor(kLimitMs), wrSignaled);
  BeginShutdown();
  EXPECT_TRUE(ShuttingDown());
  ASSERT_TRUE(t->WaitFor(kLimitMs)) << "a Synchronize stayed blocked after shutdown";
  EXPECT_FALSE(CheckSynchronize(0));
  EXPECT_TRUE(ran.empty());
  EXPECT_TRUE(synchronizeReturned);
  EXPECT_TRUE(afterShutdownReturned);
}

}  // namespace
