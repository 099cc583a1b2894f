#include "platform/rtl/mainloop.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/rtl/clock.h"
#include "platform/rtl/except.h"
#include "platform/rtl/threads.h"

namespace rtl {
namespace {

struct TimerRec {
  Int64 intervalMs;
  Int64 dueMs;
  // Shared so that KillTimer inside the callback does not destroy the
  // callable while it runs.
  std::shared_ptr<const std::function<void()>> callback;
  bool firing = false;
};

// Deliberately never destroyed (see threads.cpp).
struct Loop {
  std::mutex mutex;  // guards timers and nextId
  std::map<TTimerID, TimerRec> timers;
  TTimerID nextId = 1;
  std::atomic<bool> quit{false};
  std::atomic<int> exitCode{0};
  std::vector<MainLoopSource*> sources;  // main thread only
};

std::atomic<int> wakeFd{-1};

void signalWake() {
  int fd = wakeFd.load(std::memory_order_acquire);
  if (fd < 0) return;
  const std::uint64_t one = 1;
  // A full counter (EAGAIN) still leaves the descriptor readable.
  [[maybe_unused]] ssize_t n = ::write(fd, &one, sizeof one);
}

void drainWake() {
  std::uint64_t value = 0;
  [[maybe_unused]] ssize_t n = ::read(wakeFd.load(std::memory_order_acquire), &value, sizeof value);
}

Loop& loop() {
  static Loop* l = [] {
    auto* created = new Loop;
    wakeFd.store(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC), std::memory_order_release);
    SetWakeMainThread(&signalWake);
    return created;
  }();
  return *l;
}

void requireMainThread(const char16_t* what) {
  if (!IsMainThread()) throw EThread(String(what) + u" called from a thread that is not the main thread");
}

// Re-arms a timer after its callback, also when the callback throws.
class TimerFiring {
 public:
  TimerFiring(TTimerID id, Int64 fireTimeMs) : id_(id), fireTimeMs_(fireTimeMs) {}
  ~TimerFiring() {
    Loop& l = loop();
    std::lock_guard<std::mutex> lock(l.mutex);
    auto it = l.timers.find(id_);
    if (it == l.timers.end()) return;  // killed meanwhile
    it->second.firing = false;
    it->second.dueMs = fireTimeMs_ + it->second.intervalMs;
  }

 private:
  TTimerID id_;
  Int64 fireTimeMs_;
};

}  // namespace

// --- timers ------------------------------------------------------------------------

TTimerID SetTimer(Cardinal intervalMs, std::function<void()> callback) {
  if (!callback) return 0;
  Loop& l = loop();
  const Int64 interval = std::max<Int64>(intervalMs, USER_TIMER_MINIMUM);
  TTimerID id;
  {
    std::lock_guard<std::mutex> lock(l.mutex);
    id = l.nextId++;
    l.timers.emplace(id, TimerRec{interval, CurrentClock().MonotonicMs() + interval,
                                  std::make_shared<const std::function<void()>>(std::move(callback))});
  }
  if (!IsMainThread()) WakeMainThread();  // the loop's poll time-out changes
  return id;
}

bool KillTimer(TTimerID id) {
  Loop& l = loop();
  std::shared_ptr<const std::function<void()>> callback;  // released outside the lock
  std::lock_guard<std::mutex> lock(l.mutex);
  auto it = l.timers.find(id);
  if (it == l.timers.end()) return false;
  callback = std::move(it->second.callback);
  l.timers.erase(it);
  return true;
}

bool NextTimerDueMs(Int64* dueMs) {
  Loop& l = loop();
  std::lock_guard<std::mutex> lock(l.mutex);
  bool found = false;
  for (const auto& [id, timer] : l.timers) {
    if (timer.firing) continue;
    if (!found || timer.dueMs < *dueMs) *dueMs = timer.dueMs;
    found = true;
  }
  return found;
}

void ShiftTimers(Int64 deltaMs) {
  Loop& l = loop();
  std::lock_guard<std::mutex> lock(l.mutex);
  for (auto& entry : l.timers) entry.second.dueMs += deltaMs;
}

bool FireDueTimers() {
  requireMainThread(u"FireDueTimers");
  Loop& l = loop();
  const Int64 now = CurrentClock().MonotonicMs();
  std::vector<std::pair<Int64, TTimerID>> due;
  {
    std::lock_guard<std::mutex> lock(l.mutex);
    for (const auto& [id, timer] : l.timers) {
      if (!timer.firing && timer.dueMs <= now) due.emplace_back(timer.dueMs, id);
    }
  }
  // Equal deadlines fire in the order the timers were set.
  std::sort(due.begin(), due.end());
  bool fired = false;
  for (const auto& entry : due) {
    const TTimerID id = entry.second;
    std::shared_ptr<const std::function<void()>> callback;
    Int64 fireTime;
    {
      std::lock_guard<std::mutex> lock(l.mutex);
      auto it = l.timers.find(id);
      if (it == l.timers.end() || it->second.firing) continue;  // killed by an earlier callback
      it->second.firing = true;
      callback = it->second.callback;
      fireTime = CurrentClock().MonotonicMs();
    }
    TimerFiring rearm(id, fireTime);
    fired = true;
    (*callback)();
  }
  return fired;
}

// --- the loop ------------------------------------------------------------------------

bool ProcessPending() {
  requireMainThread(u"ProcessPending");
  Loop& l = loop();
  drainWake();
  bool any = CheckSynchronize(0);
  const std::vector<MainLoopSource*> sources = l.sources;
  for (MainLoopSource* source : sources) {
    // A source removed by an earlier dispatch is skipped.
    if (std::find(l.sources.begin(), l.sources.end(), source) == l.sources.end()) continue;
    if (source->DispatchNativeEvents()) any = true;
  }
  // Timers last: like the platform's timer messages they yield to the rest.
  if (FireDueTimers()) any = true;
  return any;
}

void WaitForMainThreadWork(Int64 realTimeoutMs) {
  requireMainThread(u"WaitForMainThreadWork");
  Loop& l = loop();
  if (l.quit.load()) return;
  Int64 timeout = realTimeoutMs < 0 ? -1 : realTimeoutMs;
  for (MainLoopSource* source : l.sources) {
    if (source->HasPendingEvents()) return;
  }
  Int64 due = 0;
  if (NextTimerDueMs(&due)) {
    Clock& clock = CurrentClock();
    const Int64 now = clock.MonotonicMs();
    if (due <= now) return;
    // A test clock moves only when told, and whoever moves it wakes us.
    if (!clock.IsManual()) timeout = timeout < 0 ? due - now : std::min(timeout, due - now);
  }
  std::vector<pollfd> fds;
  fds.push_back(pollfd{wakeFd.load(std::memory_order_acquire), POLLIN, 0});
  for (MainLoopSource* source : l.sources) {
    int fd = source->FileDescriptor();
    if (fd >= 0) fds.push_back(pollfd{fd, POLLIN, 0});
  }
  const int pollTimeout = timeout < 0 ? -1 : static_cast<int>(std::min<Int64>(timeout, INT_MAX));
  // EINTR simply ends the wait; the caller's loop looks again.
  ::poll(fds.data(), fds.size(), pollTimeout);
}

bool RunUntil(const std::function<bool()>& done, Int64 realTimeoutMs) {
  requireMainThread(u"RunUntil");
  Loop& l = loop();
  using Steady = std::chrono::steady_clock;
  const auto start = Steady::now();
  for (;;) {
    if (done && done()) return true;
    if (l.quit.load()) return false;
    const bool worked = ProcessPending();
    if (done && done()) return true;
    if (l.quit.load()) return false;
    Int64 remaining = -1;
    if (realTimeoutMs >= 0) {
      const auto elapsed =
          std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - start).count();
      remaining = realTimeoutMs - elapsed;
      if (remaining <= 0) return false;
    }
    // After work, look again before sleeping: a timer fires once per pass.
    if (!worked) WaitForMainThreadWork(remaining);
  }
}

int Run() {
  RunUntil(nullptr);
  Loop& l = loop();
  const int code = l.exitCode.load();
  l.quit.store(false);
  return code;
}

void Quit(int exitCode) {
  Loop& l = loop();
  l.exitCode.store(exitCode);
  l.quit.store(true);
  WakeMainThread();
}

void PostQuit(int exitCode) { Quit(exitCode); }

bool QuitRequested() { return loop().quit.load(); }

void ClearQuit() { loop().quit.store(false); }

// --- sources -----------------------------------------------------------------------

void AddMainLoopSource(MainLoopSource* source) {
  requireMainThread(u"AddMainLoopSource");
  Loop& l = loop();
  if (source && std::find(l.sources.begin(), l.sources.end(), source) == l.sources.end()) {
    l.sources.push_back(source);
  }
}

void RemoveMainLoopSource(MainLoopSource* source) {
  requireMainThread(u"RemoveMainLoopSource");
  Loop& l = loop();
  l.sources.erase(std::remove(l.sources.begin(), l.sources.end(), source), l.sources.end());
}

}  // namespace rtl
