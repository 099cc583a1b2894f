// The one clock: system time by default, a test clock that moves only when
// told, and waits on it.
#include <gtest/gtest.h>

#include <ctime>
#include <memory>

#include "platform/rtl/clock.h"
#include "platform/rtl/except.h"

using namespace rtl;

namespace {

TEST(Clock, SystemClockIsTheDefault) {
  Clock& clock = CurrentClock();
  EXPECT_FALSE(clock.IsManual());
  const Int64 wall = clock.UnixTimeMs();
  const Int64 expected = static_cast<Int64>(std::time(nullptr)) * 1000;
  EXPECT_NEAR(static_cast<double>(wall), static_cast<double>(expected), 5000.0);
  const Int64 a = clock.MonotonicMs();
  const Int64 b = clock.MonotonicMs();
  EXPECT_LE(a, b);
}

TEST(Clock, TestClockMovesOnlyWhenTold) {
  TestClock clock;
  EXPECT_TRUE(clock.IsManual());
  EXPECT_EQ(clock.UnixTimeMs(), TestClock::kDefaultUnixTimeMs);
  const Int64 mono = clock.MonotonicMs();
  EXPECT_GT(mono, 0);
  EXPECT_EQ(clock.MonotonicMs(), mono);

  clock.Advance(1500);
  EXPECT_EQ(clock.MonotonicMs(), mono + 1500);
  EXPECT_EQ(clock.UnixTimeMs(), TestClock::kDefaultUnixTimeMs + 1500);

  // Setting the wall time (a test that needs a given date) leaves the
  // monotonic time alone, as a change of the system time would.
  clock.SetUnixTimeMs(0);
  EXPECT_EQ(clock.UnixTimeMs(), 0);
  EXPECT_EQ(clock.MonotonicMs(), mono + 1500);

  clock.Advance(0);
  EXPECT_EQ(clock.MonotonicMs(), mono + 1500);
  EXPECT_THROW(clock.Advance(-1), EArgumentOutOfRangeException);
}

TEST(Clock, ScopeInstallsAndRestores) {
  {
    TestClockScope time(1000);
    EXPECT_TRUE(CurrentClock().IsManual());
    EXPECT_EQ(CurrentClock().UnixTimeMs(), 1000);
    time.Advance(250);
    EXPECT_EQ(CurrentClock().UnixTimeMs(), 1250);
    EXPECT_EQ(&CurrentClock(), &time.clock());
  }
  EXPECT_FALSE(CurrentClock().IsManual());
}

TEST(Clock, SetClockAcceptsAnyClock) {
  struct FixedClock final : Clock {
    Int64 UnixTimeMs() override { return 42; }
    Int64 MonotonicMs() override { return 7; }
  };
  SetClock(std::make_shared<FixedClock>());
  EXPECT_EQ(CurrentClock().UnixTimeMs(), 42);
  EXPECT_EQ(CurrentClock().MonotonicMs(), 7);
  SetClock(nullptr);
  EXPECT_NE(CurrentClock().UnixTimeMs(), 42);
}

TEST(Clock, WaitUntilEndsAtOnceWhenDueOrWoken) {
  TestClockScope time;
  const Int64 now = CurrentClock().MonotonicMs();
  EXPECT_FALSE(WaitUntil(now, nullptr)) << "a deadline already reached";
  EXPECT_FALSE(WaitUntil(now - 10, [] { return false; }));
  EXPECT_TRUE(WaitUntil(now + 1000000, [] { return true; })) << "a condition already true";
  EXPECT_EQ(ClockWaiters(), 0);
}

}  // namespace
