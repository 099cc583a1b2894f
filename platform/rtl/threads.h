#pragma once
// Threads with hand-over to the main thread, events, critical sections and
// atomics, with the platform's names and behaviour.
//
// Hand-overs: Synchronize (blocking) and Queue (not blocking) go into one
// queue that the main thread serves first in, first out through
// CheckSynchronize; the main loop (mainloop.h) and TThread::WaitFor on the
// main thread call it, so nested loops keep serving workers.
#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>
#include <utility>

#include "platform/rtl/types.h"

namespace rtl {

constexpr Cardinal INFINITE = 0xFFFFFFFF;

// --- identity of threads -------------------------------------------------------
using TThreadID = LongWord;

LongWord GetCurrentThreadId();  // the kernel's thread id
// The id of the process's initial thread, which runs the windows and the loop.
TThreadID MainThreadID();
bool IsMainThread();

int ProcessorCount();        // processors this process may run on
void Sleep(Cardinal ms);     // real time; 0 gives up the rest of the time slice
bool SwitchToThread();

// --- hand-overs ------------------------------------------------------------------
// Serves the pending hand-overs, first in, first out, waiting up to
// `timeoutMs` (real time) for the first one. Main thread only (EThread
// otherwise). A hand-over queued while serving waits for the next call.
// Returns whether any ran. An exception from a Queue'd method propagates; the
// rest stay queued.
bool CheckSynchronize(Cardinal timeoutMs = 0);

// Called (from any thread) whenever a hand-over is queued or the main thread
// should look at its work; the main loop installs its own hook. nullptr
// removes it.
using TWakeMainThreadProc = void (*)();
void SetWakeMainThread(TWakeMainThreadProc hook);
void WakeMainThread();

// Program shutdown: from now on Queue drops its method and Synchronize
// returns at once without running it; pending hand-overs are dropped and
// their waiting workers released.
void BeginShutdown();
bool ShuttingDown();
// Tests only: leaves the shutdown state again.
void ResetShutdownForTests();

// --- TThread -------------------------------------------------------------------
class TThread;
using TThreadMethod = std::function<void()>;
using TThreadNotifyEvent = std::function<void(TThread* sender)>;

class TThread {
 public:
  // A thread created running starts when construction is complete: build it
  // with NewThread<T>(...) or call AfterConstruction() yourself. A thread
  // created suspended starts with Start().
  explicit TThread(bool createSuspended = false);
  // Not on a FreeOnTerminate thread. If the thread still runs, asks it to
  // terminate and waits (serving hand-overs on the main thread). A subclass
  // whose Execute uses its own members must stop the thread in its own
  // destructor, before those members go. Methods it queued and that have
  // not run yet are dropped.
  virtual ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  void AfterConstruction();  // starts a thread not created suspended
  void Start();              // EThread if already started

  // Sets Terminated and ends a Pause early. Execute must look at Terminated.
  void Terminate();
  bool Terminated() const { return terminated_.load(std::memory_order_acquire); }

  // Waits until the thread has ended (after OnTerminate) and returns
  // ReturnValue. On the main thread, hand-overs are served meanwhile, so a
  // worker blocked in Synchronize can finish. EThread for a FreeOnTerminate
  // thread, a thread that waits for itself, or one never started.
  int WaitFor();
  // The same within `realTimeoutMs` of real time; true when the thread ended.
  bool WaitFor(Int64 realTimeoutMs);

  bool Started() const { return started_.load(); }
  // Execute has returned (OnTerminate may still be running).
  bool Finished() const { return finished_.load(std::memory_order_acquire); }
  // The exception that escaped Execute, if any; it is kept, not propagated.
  std::exception_ptr FatalException() const;
  int ReturnValue() const { return returnValue_.load(std::memory_order_acquire); }
  TThreadID ThreadID() const { return threadId_.load(std::memory_order_acquire); }
  bool ExternalThread() const { return external_; }

  // When true the thread deletes itself after OnTerminate; nobody may touch
  // the object once it runs. Set it before Start.
  bool FreeOnTerminate() const { return freeOnTerminate_; }
  void SetFreeOnTerminate(bool value) { freeOnTerminate_ = value; }
  // Runs on the main thread through Synchronize when Execute has ended.
  TThreadNotifyEvent OnTerminate;

  // Pauses the calling worker for `ms` of the one clock (a test clock's
  // Advance ends it); ends early when this thread is asked to terminate.
  // Returns false when it ended early.
  bool Pause(Int64 ms);

  // The TThread object of the calling thread; threads not made by TThread
  // (the main thread too) get an external object of their own.
  static TThread* Current();
  static TThread* CurrentThread() { return Current(); }
  static bool CheckTerminated();  // Current()->Terminated()
  static void NameThreadForDebugging(const char* name);
  static int ProcessorCount() { return rtl::ProcessorCount(); }

  // Usable from any thread; `thread` may be nullptr. On the main thread both
  // run the method at once. Synchronize blocks until the main thread ran it
  // and re-raises its exception here.
  static void Synchronize(TThread* thread, TThreadMethod method);
  static void Queue(TThread* thread, TThreadMethod method);
  // Queues even on the main thread (runs on a later CheckSynchronize).
  static void ForceQueue(TThread* thread, TThreadMethod method);
  // Drops the queued, not yet run, methods queued for `thread`.
  static void RemoveQueuedEvents(TThread* thread);

  // An unstarted FreeOnTerminate thread that runs `proc`.
  static TThread* CreateAnonymousThread(std::function<void()> proc);

 protected:
  virtual void Execute() = 0;
  // Calls OnTerminate through Synchronize when it is set.
  virtual void DoTerminate();
  // Called by Terminate after Terminated is set (on the calling thread).
  virtual void TerminatedSet() {}

  void Synchronize(TThreadMethod method) { Synchronize(this, std::move(method)); }
  void Queue(TThreadMethod method) { Queue(this, std::move(method)); }
  void SetReturnValue(int value) { returnValue_.store(value, std::memory_order_release); }

 private:
  friend struct ThreadAccess;
  void run();
  void markExternal();

  std::thread thread_;
  std::mutex joinMutex_;
  mutable std::mutex stateMutex_;
  std::exception_ptr fatal_;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  std::atomic<bool> done_{false};  // the thread proc is past OnTerminate
  std::atomic<int> returnValue_{0};
  std::atomic<TThreadID> threadId_{0};
  bool createSuspended_;
  std::atomic<bool> started_{false};
  bool freeOnTerminate_ = false;
  bool external_ = false;
};

// Builds a thread and, unless created suspended, starts it once it is fully
// constructed.
template <class T, class... Args>
T* NewThread(Args&&... args) {
  static_assert(std::is_base_of_v<TThread, T>);
  T* t = new T(std::forward<Args>(args)...);
  t->AfterConstruction();
  return t;
}

// --- events and locks -------------------------------------------------------------
enum TWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError, wrIOCompletion };

// Timeouts are real time, like the platform's kernel objects. WaitFor gives
// wrSignaled or wrTimeout; the other results exist for callers' switches.
class TEvent {
 public:
  explicit TEvent(bool manualReset = true, bool initialState = false);
  ~TEvent();
  TEvent(const TEvent&) = delete;
  TEvent& operator=(const TEvent&) = delete;
  void SetEvent();
  void ResetEvent();
  // An auto-reset event lets one waiter through and resets itself.
  TWaitResult WaitFor(Cardinal timeoutMs = INFINITE);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// A manual-reset event, initially not set.
class TSimpleEvent : public TEvent {
 public:
  TSimpleEvent() : TEvent(true, false) {}
};

// Re-entrant by the owning thread, as the platform's critical section.
class TCriticalSection {
 public:
  TCriticalSection() = default;
  explicit TCriticalSection(Cardinal spinCount) {}  // spinning is left to the mutex
  void Enter() { mutex_.lock(); }
  void Leave() { mutex_.unlock(); }
  bool TryEnter() { return mutex_.try_lock(); }
  void Acquire() { Enter(); }
  void Release() { Leave(); }
  // BasicLockable, for std::lock_guard.
  void lock() { Enter(); }
  void unlock() { Leave(); }

 private:
  std::recursive_mutex mutex_;
};

// --- atomics on plain variables -----------------------------------------------
// Increment/Decrement return the new value; the others return the old one.
template <class T>
T InterlockedIncrement(T& target) {
  static_assert(std::is_integral_v<T>);
  return std::atomic_ref<T>(target).fetch_add(1) + 1;
}
template <class T>
T InterlockedDecrement(T& target) {
  static_assert(std::is_integral_v<T>);
  return std::atomic_ref<T>(target).fetch_sub(1) - 1;
}
template <class T>
T InterlockedExchangeAdd(T& target, std::type_identity_t<T> value) {
  static_assert(std::is_integral_v<T>);
  return std::atomic_ref<T>(target).fetch_add(value);
}
template <class T>
T InterlockedExchange(T& target, std::type_identity_t<T> value) {
  return std::atomic_ref<T>(target).exchange(value);
}
// Stores `exchange` when the target equals `comparand`; returns the old value.
template <class T>
T InterlockedCompareExchange(T& target, std::type_identity_t<T> exchange,
                             std::type_identity_t<T> comparand) {
  std::atomic_ref<T>(target).compare_exchange_strong(comparand, exchange);
  return comparand;
}

}  // namespace rtl
