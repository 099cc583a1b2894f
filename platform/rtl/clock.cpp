#include "platform/rtl/clock.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <mutex>
#include <vector>

#include "platform/rtl/except.h"
#include "platform/rtl/mainloop.h"
#include "platform/rtl/threads.h"

namespace rtl {
namespace {

Int64 readClockMs(clockid_t id) {
  timespec ts{};
  clock_gettime(id, &ts);
  return static_cast<Int64>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// Deliberately never destroyed: workers and exit handlers may read the clock
// while static objects are being torn down.
struct ClockSlot {
  std::mutex mutex;
  std::vector<std::shared_ptr<Clock>> installed;  // current last; old ones kept alive
  std::atomic<Clock*> current{nullptr};
};

ClockSlot& slot() {
  static ClockSlot* s = new ClockSlot;
  return *s;
}

SystemClock& systemClock() {
  static SystemClock* c = new SystemClock;
  return *c;
}

struct Waiters {
  std::mutex mutex;
  std::condition_variable changed;
  std::condition_variable countChanged;
  int count = 0;
};

Waiters& waiters() {
  static Waiters* w = new Waiters;
  return *w;
}

}  // namespace

Clock& CurrentClock() {
  Clock* c = slot().current.load(std::memory_order_acquire);
  return c ? *c : systemClock();
}

void SetClock(std::shared_ptr<Clock> clock) {
  {
    ClockSlot& s = slot();
    std::lock_guard<std::mutex> lock(s.mutex);
    const Int64 before = CurrentClock().MonotonicMs();
    Clock* raw = clock.get();
    if (clock) s.installed.push_back(std::move(clock));
    s.current.store(raw, std::memory_order_release);
    // Running timers keep the time they had left.
    ShiftTimers(CurrentClock().MonotonicMs() - before);
  }
  NotifyClockWaiters();
  WakeMainThread();
}

Int64 SystemClock::UnixTimeMs() { return readClockMs(CLOCK_REALTIME); }
Int64 SystemClock::MonotonicMs() { return readClockMs(CLOCK_MONOTONIC); }

// ---------------------------------------------------------------------------

struct TestClock::State {
  std::atomic<Int64> unixMs;
  std::atomic<Int64> monotonicMs{1000000};  // far from zero: "0" often means "never"
};

TestClock::TestClock(Int64 unixTimeMs) : state_(std::make_shared<State>()) {
  state_->unixMs.store(unixTimeMs);
}

Int64 TestClock::UnixTimeMs() { return state_->unixMs.load(std::memory_order_acquire); }
Int64 TestClock::MonotonicMs() { return state_->monotonicMs.load(std::memory_order_acquire); }

void TestClock::SetUnixTimeMs(Int64 unixTimeMs) {
  state_->unixMs.store(unixTimeMs, std::memory_order_release);
}

void TestClock::moveTo(Int64 monotonicMs) {
  Int64 old = state_->monotonicMs.load(std::memory_order_acquire);
  while (old < monotonicMs &&
         !state_->monotonicMs.compare_exchange_weak(old, monotonicMs, std::memory_order_acq_rel)) {
  }
  if (old < monotonicMs) state_->unixMs.fetch_add(monotonicMs - old, std::memory_order_acq_rel);
  NotifyClockWaiters();
}

void TestClock::Advance(Int64 ms) {
  if (ms < 0) throw EArgumentOutOfRangeException(u"TestClock::Advance: negative time");
  const Int64 target = MonotonicMs() + ms;
  if (IsMainThread() && &CurrentClock() == this) {
    // Step from deadline to deadline so that each timer sees the time it
    // was due at, and later timers see the effects of earlier ones.
    Int64 due = 0;
    while (NextTimerDueMs(&due) && due <= target) {
      moveTo(due);
      FireDueTimers();
    }
    moveTo(target);
  } else {
    moveTo(target);
    WakeMainThread();
  }
}

TestClockScope::TestClockScope(Int64 unixTimeMs)
    : clock_(std::make_shared<TestClock>(unixTimeMs)) {
  SetClock(clock_);
}

TestClockScope::~TestClockScope() { SetClock(nullptr); }

// ---------------------------------------------------------------------------

bool WaitUntil(Int64 deadlineMs, const std::function<bool()>& wake) {
  Waiters& w = waiters();
  std::unique_lock<std::mutex> lock(w.mutex);
  ++w.count;
  w.countChanged.notify_all();
  struct Leave {
    Waiters& w;
    ~Leave() {
      --w.count;
      w.countChanged.notify_all();
    }
  } leave{w};
  for (;;) {
    if (wake && wake()) return true;
    Clock& clock = CurrentClock();
    const Int64 now = clock.MonotonicMs();
    if (now >= deadlineMs) return false;
    if (clock.IsManual()) {
      w.changed.wait(lock);
    } else {
      w.changed.wait_for(lock, std::chrono::milliseconds(deadlineMs - now));
    }
  }
}

void NotifyClockWaiters() {
  Waiters& w = waiters();
  // Taking the lock orders the caller's change before the waiters' re-check,
  // so no wake-up is lost between a check and the wait.
  std::lock_guard<std::mutex> lock(w.mutex);
  w.changed.notify_all();
}

int ClockWaiters() {
  Waiters& w = waiters();
  std::lock_guard<std::mutex> lock(w.mutex);
  return w.count;
}

bool WaitForClockWaiters(int count, Int64 realTimeoutMs) {
  Waiters& w = waiters();
  std::unique_lock<std::mutex> lock(w.mutex);
  return w.countChanged.wait_for(lock, std::chrono::milliseconds(realTimeoutMs),
                                 [&] { return w.count >= count; });
}

}  // namespace rtl
