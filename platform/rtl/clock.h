#pragma once
// One clock serves the whole program: Now, timers, worker pauses and the
// embedded database's server clock all read it. Production uses the system
// clocks; tests install a TestClock and move time by hand, so that every
// timer and pause is exact and instant. I/O time-outs (HTTP, PostgreSQL) and
// the safety limits of waits stay in real time.
#include <functional>
#include <memory>

#include "platform/rtl/types.h"

namespace rtl {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since 1970-01-01 00:00:00 UTC (wall time).
  virtual Int64 UnixTimeMs() = 0;
  // Milliseconds on a clock that never goes back (timers, pauses).
  virtual Int64 MonotonicMs() = 0;
  // True for a clock that moves only when told: the main loop then never
  // sleeps towards a timer deadline, and waits on it need a nudge to end.
  virtual bool IsManual() const { return false; }
};

// The clock in use; the system clock unless a test clock is installed.
// Safe to call from any thread.
Clock& CurrentClock();
// Installs a clock (nullptr restores the system clock). Meant for the main
// thread while no worker waits; waiters are woken to re-read the clock, and
// running timers keep the time they had left. Replaced clocks are kept alive until the process ends, so a late reader
// never sees a freed clock.
void SetClock(std::shared_ptr<Clock> clock);

// The system clock: CLOCK_REALTIME and CLOCK_MONOTONIC.
class SystemClock final : public Clock {
 public:
  Int64 UnixTimeMs() override;
  Int64 MonotonicMs() override;
};

// A clock that only moves when told.
//  - Advance(ms) on the main thread (with this clock installed) steps through
//    every timer deadline up to the target and fires the due timers there, in
//    due order, so a 1000 ms timer fires ten times in Advance(10000).
//  - Advance from any thread releases the worker pauses whose deadline it
//    passes; from another thread it also wakes the main loop, which then
//    fires what became due.
class TestClock final : public Clock {
 public:
  static constexpr Int64 kDefaultUnixTimeMs = 1767225600000;  // 2026-01-01 00:00 UTC
  explicit TestClock(Int64 unixTimeMs = kDefaultUnixTimeMs);
  Int64 UnixTimeMs() override;
  Int64 MonotonicMs() override;
  bool IsManual() const override { return true; }
  // Sets the wall time only; the monotonic time and timers are untouched.
  void SetUnixTimeMs(Int64 unixTimeMs);
  // Moves both times forward; ms < 0 raises EArgumentOutOfRangeException.
  void Advance(Int64 ms);

 private:
  void moveTo(Int64 monotonicMs);
  struct State;
  std::shared_ptr<State> state_;
};

// Installs a fresh TestClock for the life of the object and restores the
// system clock afterwards. The usual way for a test to take control of time:
//   TestClockScope time;  ... time.Advance(5000);
class TestClockScope {
 public:
  explicit TestClockScope(Int64 unixTimeMs = TestClock::kDefaultUnixTimeMs);
  ~TestClockScope();
  TestClockScope(const TestClockScope&) = delete;
  TestClockScope& operator=(const TestClockScope&) = delete;
  TestClock& clock() { return *clock_; }
  void Advance(Int64 ms) { clock_->Advance(ms); }

 private:
  std::shared_ptr<TestClock> clock_;
};

// Waits until CurrentClock().MonotonicMs() reaches `deadlineMs` or until
// `wake` returns true (checked whenever NotifyClockWaiters is called).
// Returns true when woken, false when the deadline passed. With a test clock
// only Advance brings the deadline closer.
bool WaitUntil(Int64 deadlineMs, const std::function<bool()>& wake);
// Makes every WaitUntil re-check its wake condition and deadline. Call it
// after changing what a wake condition reads.
void NotifyClockWaiters();
// The number of threads inside WaitUntil now (worker pauses). Tests wait for
// a worker to be pausing before they advance a test clock past its pause.
int ClockWaiters();
// Blocks until at least `count` threads are inside WaitUntil, at most
// `realTimeoutMs` of real time; returns whether they are.
bool WaitForClockWaiters(int count, Int64 realTimeoutMs);

}  // namespace rtl
