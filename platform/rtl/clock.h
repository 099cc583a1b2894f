#pragma once
// One clock serves the whole program: Now, timers, worker pauses and the
// embedded database's server clock all read it. Production uses the system
// clocks; tests install a TestClock and move time by hand.
#include <chrono>
#include <cstdint>
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
};

// The clock in use; the system clock unless a test clock is installed.
Clock& CurrentClock();
// Installs a clock (nullptr restores the system clock). Call on the main
// thread while no worker runs.
void SetClock(std::shared_ptr<Clock> clock);

// The system clock: CLOCK_REALTIME and CLOCK_MONOTONIC.
class SystemClock final : public Clock {
 public:
  Int64 UnixTimeMs() override;
  Int64 MonotonicMs() override;
};

// A clock that only moves when told. Advancing it fires due timers on the
// main thread (when called there) and releases worker pauses whose deadline
// it passes.
class TestClock final : public Clock {
 public:
  explicit TestClock(Int64 unixTimeMs = 1767225600000 /* 2026-01-01 00:00 UTC */);
  Int64 UnixTimeMs() override;
  Int64 MonotonicMs() override;
  void SetUnixTimeMs(Int64 unixTimeMs);
  void Advance(Int64 ms);

 private:
  struct State;
  std::shared_ptr<State> state_;
};

// Waits until `deadlineMs` on CurrentClock().MonotonicMs() or until `wake`
// returns true; with a test clock only Advance moves the deadline closer.
// Returns true when woken, false when the deadline passed.
bool WaitUntil(Int64 deadlineMs, const std::function<bool()>& wake);
void NotifyClockWaiters();

}  // namespace rtl
