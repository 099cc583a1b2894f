// The main loop on a test clock: timers fire in due order as time is
// advanced, hand-overs are never starved, the loop quits on request, and a
// native event source is served.
#include <gtest/gtest.h>

#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/rtl/clock.h"
#include "platform/rtl/except.h"
#include "platform/rtl/mainloop.h"
#include "platform/rtl/threads.h"

using namespace rtl;

namespace {

constexpr Int64 kLimitMs = 10000;

// Kills the timers a test set, also when it fails half-way.
class Timers {
 public:
  ~Timers() {
    for (TTimerID id : ids_) KillTimer(id);
  }
  TTimerID Set(Cardinal ms, std::function<void()> callback) {
    TTimerID id = SetTimer(ms, std::move(callback));
    ids_.push_back(id);
    return id;
  }

 private:
  std::vector<TTimerID> ids_;
};

// Test time since the test began.
struct Elapsed {
  Int64 start = CurrentClock().MonotonicMs();
  Int64 operator()() const { return CurrentClock().MonotonicMs() - start; }
};

TEST(Timers, FireInDueOrderAtTheirDueTimesOnAdvance) {
  TestClockScope time;
  Timers timers;
  Elapsed elapsed;
  std::vector<std::string> fired;
  auto record = [&](const char* name) {
    return [&, name] { fired.push_back(name + std::to_string(elapsed())); };
  };
  timers.Set(300, record("A@"));
  timers.Set(200, record("B@"));
  timers.Set(500, record("C@"));
  time.Advance(1000);
  // Equal deadlines go in the order the timers were set (A before B at 600).
  EXPECT_EQ(fired, (std::vector<std::string>{"B@200", "A@300", "B@400", "C@500", "A@600", "B@600",
                                             "B@800", "A@900", "B@1000", "C@1000"}));
}

TEST(Timers, FireOnlyWhenTheClockReachesThem) {
  TestClockScope time;
  Timers timers;
  int fired = 0;
  timers.Set(300, [&] { ++fired; });
  time.Advance(299);
  EXPECT_EQ(fired, 0);
  EXPECT_FALSE(ProcessPending()) << "no time passed, nothing is due";
  time.Advance(1);
  EXPECT_EQ(fired, 1);
  EXPECT_FALSE(ProcessPending());
  EXPECT_EQ(fired, 1);
}

TEST(Timers, KillTimerInsideItsOwnCallback) {
  TestClockScope time;
  Timers timers;
  int fired = 0;
  TTimerID id = 0;
  id = timers.Set(100, [&] {
    ++fired;
    EXPECT_TRUE(KillTimer(id));
  });
  time.Advance(1000);
  EXPECT_EQ(fired, 1);
  EXPECT_FALSE(KillTimer(id));
}

TEST(Timers, KillingATimerDueAtTheSameTimeStopsIt) {
  TestClockScope time;
  Timers timers;
  std::vector<std::string> fired;
  TTimerID second = 0;
  timers.Set(100, [&] {
    fired.push_back("first");
    KillTimer(second);
  });
  second = timers.Set(100, [&] { fired.push_back("second"); });
  time.Advance(300);
  EXPECT_EQ(fired, (std::vector<std::string>{"first", "first", "first"}));
}

TEST(Timers, TimerSetInACallbackCountsFromThatMoment) {
  TestClockScope time;
  Timers timers;
  Elapsed elapsed;
  std::vector<Int64> innerFired;
  bool started = false;
  TTimerID outer = 0;
  outer = timers.Set(100, [&] {
    if (started) return;
    started = true;
    KillTimer(outer);
    timers.Set(50, [&] { innerFired.push_back(elapsed()); });
  });
  time.Advance(260);
  EXPECT_EQ(innerFired, (std::vector<Int64>{150, 200, 250}));
}

TEST(Timers, ShortIntervalsAreRaisedToTheMinimum) {
  TestClockScope time;
  Timers timers;
  int fired = 0;
  timers.Set(0, [&] { ++fired; });
  time.Advance(USER_TIMER_MINIMUM - 1);
  EXPECT_EQ(fired, 0);
  time.Advance(1);
  EXPECT_EQ(fired, 1);
  time.Advance(3 * USER_TIMER_MINIMUM);
  EXPECT_EQ(fired, 4);
  EXPECT_EQ(SetTimer(100, nullptr), 0u);
  EXPECT_FALSE(KillTimer(0));
}

TEST(Timers, KeepTheirRemainingTimeWhenTheClockIsReplaced) {
  Timers timers;
  int fired = 0;
  timers.Set(1000, [&] { ++fired; });  // on the system clock
  TestClockScope time;
  time.Advance(990);  // a few real milliseconds may have gone before the swap
  EXPECT_EQ(fired, 0);
  time.Advance(10);
  EXPECT_EQ(fired, 1);
}

TEST(Timers, ExceptionFromACallbackPropagatesAndTheTimerGoesOn) {
  TestClockScope time;
  Timers timers;
  int fired = 0;
  timers.Set(100, [&] {
    if (++fired == 1) throw EAbort(u"first tick fails");
  });
  EXPECT_THROW(time.Advance(100), EAbort);
  time.Advance(100);
  EXPECT_EQ(fired, 2);
}

TEST(Timers, AdvanceInsideACallbackDoesNotReenterThatTimer) {
  TestClockScope time;
  Timers timers;
  int depth = 0;
  int maxDepth = 0;
  int fired = 0;
  timers.Set(100, [&] {
    ++depth;
    maxDepth = std::max(maxDepth, depth);
    if (++fired < 3) time.Advance(100);
    --depth;
  });
  time.Advance(100);
  EXPECT_EQ(maxDepth, 1);
}

TEST(Timers, ATimerThatIsAlwaysDueDoesNotStarveHandOvers) {
  TestClockScope time;
  Timers timers;
  int fired = 0;
  int firedWhenServed = -1;
  TTimerID id = 0;
  id = timers.Set(10, [&] {
    ++fired;
    // Its callback outlasts its interval, so it is due again at once.
    time.Advance(20);
    if (fired == 5) TThread::ForceQueue(nullptr, [&] { firedWhenServed = fired; });
    if (fired == 1000) KillTimer(id);  // ends a wrong loop instead of hanging
  });
  time.Advance(10);
  ASSERT_TRUE(RunUntil([&] { return firedWhenServed >= 0; }, kLimitMs));
  EXPECT_LE(firedWhenServed, 6) << "the hand-over waited behind the timer";
}

TEST(MainLoop, QuitEndsRunWithItsExitCode) {
  TestClockScope time;
  Timers timers;
  int fired = 0;
  timers.Set(100, [&] {
    if (++fired == 3) Quit(5);
  });
  TThread::ForceQueue(nullptr, [&] { time.Advance(1000); });
  EXPECT_EQ(rtl::Run(), 5);
  EXPECT_FALSE(QuitRequested()) << "Run consumes the request";
  // Quit is sticky for nested loops until Run consumes it.
  Quit(1);
  EXPECT_FALSE(RunUntil([] { return false; }, kLimitMs));
  EXPECT_FALSE(RunUntil([] { return false; }, kLimitMs));
  ClearQuit();
}

TEST(MainLoop, RunUntilEndsAtItsRealTimeLimit) {
  TestClockScope time;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(RunUntil([] { return false; }, 30));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
}

TEST(MainLoop, NestedLoopInsideAHandOverServesTheNextOnes) {
  std::vector<std::string> ran;
  TThread::ForceQueue(nullptr, [&] {
    ran.push_back("outer begins");
    // A modal box would run a nested loop here.
    RunUntil([&] { return ran.size() == 3; }, kLimitMs);
    ran.push_back("outer ends");
  });
  TThread::ForceQueue(nullptr, [&] { ran.push_back("second"); });
  TThread::ForceQueue(nullptr, [&] { ran.push_back("third"); });
  ASSERT_TRUE(RunUntil([&] { return ran.size() == 4; }, kLimitMs));
  EXPECT_EQ(ran, (std::vector<std::string>{"outer begins", "second", "third", "outer ends"}));
}

// A stand-in for a window backend: an eventfd for its connection and a count
// of events it has already read into its own queue.
class FakeSource : public MainLoopSource {
 public:
  FakeSource() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
  ~FakeSource() override { close(fd_); }
  int FileDescriptor() override { return fd_; }
  bool HasPendingEvents() override { return buffered > 0; }
  bool DispatchNativeEvents() override {
    std::uint64_t value = 0;
    bool any = false;
    if (read(fd_, &value, sizeof value) == sizeof value) {
      fromFd += static_cast<int>(value);
      any = true;
    }
    if (buffered > 0) {
      --buffered;  // one at a time, as a backend that dispatches one event
      ++fromBuffer;
      any = true;
    }
    return any;
  }
  void Post() {
    const std::uint64_t one = 1;
    ASSERT_EQ(write(fd_, &one, sizeof one), static_cast<ssize_t>(sizeof one));
  }
  int buffered = 0;
  int fromFd = 0;
  int fromBuffer = 0;

 private:
  int fd_;
};

struct SourceGuard {
  MainLoopSource* source;
  ~SourceGuard() { RemoveMainLoopSource(source); }
};

TEST(MainLoop, NativeSourceIsDispatchedAndItsBufferedEventsKeepTheLoopAwake) {
  TestClockScope time;
  FakeSource source;
  AddMainLoopSource(&source);
  SourceGuard guard{&source};
  source.Post();
  ASSERT_TRUE(RunUntil([&] { return source.fromFd == 1; }, kLimitMs));

  // Nothing is readable on the descriptor; only HasPendingEvents stops the
  // loop from sleeping until the limit.
  source.buffered = 3;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(RunUntil([&] { return source.fromBuffer == 3; }, kLimitMs));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kLimitMs / 2));

  RemoveMainLoopSource(&source);
  source.Post();
  ProcessPending();
  EXPECT_EQ(source.fromFd, 1) << "a removed source is not dispatched";
}

}  // namespace
