#include "platform/rtl/threads.h"

#include <pthread.h>
#include <sched.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <future>

#include "platform/rtl/clock.h"
#include "platform/rtl/except.h"

namespace rtl {
namespace {

// One blocking hand-over; lives on the waiting worker's stack.
struct SyncCall {
  std::condition_variable doneChanged;
  bool done = false;
  std::exception_ptr error;
};

struct HandOver {
  TThread* thread;
  TThreadMethod method;
  SyncCall* sync;  // nullptr for Queue
};

// Deliberately never destroyed: workers may hand over while static objects
// are being torn down at exit.
struct HandOvers {
  std::mutex mutex;
  // Signalled when a hand-over is queued or a thread ends.
  std::condition_variable mainWork;
  std::deque<HandOver> queue;
  bool shuttingDown = false;
};

HandOvers& handOvers() {
  static HandOvers* h = new HandOvers;
  return *h;
}

std::atomic<TWakeMainThreadProc> wakeHook{nullptr};

thread_local TThread* currentThread = nullptr;

// Releases a worker blocked in Synchronize; call with the mutex held.
void finishCall(SyncCall* call, std::exception_ptr error) {
  call->error = std::move(error);
  call->done = true;
  call->doneChanged.notify_one();
}

// Queues a hand-over; false when shutdown has begun.
bool enqueue(std::unique_lock<std::mutex>& lock, HandOver entry) {
  HandOvers& h = handOvers();
  if (h.shuttingDown) return false;
  h.queue.push_back(std::move(entry));
  h.mainWork.notify_all();
  lock.unlock();
  WakeMainThread();
  lock.lock();
  return true;
}

class TExternalThread final : public TThread {
 public:
  TExternalThread() : TThread(true) {}

 protected:
  void Execute() override {}
};

class TAnonymousThread final : public TThread {
 public:
  explicit TAnonymousThread(std::function<void()> proc) : TThread(true), proc_(std::move(proc)) {}

 protected:
  void Execute() override { proc_(); }

 private:
  std::function<void()> proc_;
};

}  // namespace

// Lets the external-thread factory reach the private set-up.
struct ThreadAccess {
  static void markExternal(TThread* t) { t->markExternal(); }
};

// --- identity ------------------------------------------------------------------

LongWord GetCurrentThreadId() {
  thread_local const LongWord id = static_cast<LongWord>(::gettid());
  return id;
}

// The process's initial thread has the process id as its thread id, which
// needs no start-up order between static objects. Kept once: getpid() is a
// system call, and the thread ids above are kept once too.
TThreadID MainThreadID() {
  static const TThreadID id = static_cast<TThreadID>(::getpid());
  return id;
}

bool IsMainThread() { return GetCurrentThreadId() == MainThreadID(); }

int ProcessorCount() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof(set), &set) == 0) {
    int n = CPU_COUNT(&set);
    if (n > 0) return n;
  }
  unsigned n = std::thread::hardware_concurrency();
  return n > 0 ? static_cast<int>(n) : 1;
}

void Sleep(Cardinal ms) {
  if (ms == 0) {
    sched_yield();
    return;
  }
  if (ms == INFINITE) {
    for (;;) std::this_thread::sleep_for(std::chrono::hours(24));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool SwitchToThread() { return sched_yield() == 0; }

// --- hand-overs ------------------------------------------------------------------

void SetWakeMainThread(TWakeMainThreadProc hook) { wakeHook.store(hook); }

void WakeMainThread() {
  if (TWakeMainThreadProc hook = wakeHook.load()) hook();
}

bool CheckSynchronize(Cardinal timeoutMs) {
  if (!IsMainThread()) {
    throw EThread(u"CheckSynchronize called from a thread that is not the main thread");
  }
  HandOvers& h = handOvers();
  std::unique_lock<std::mutex> lock(h.mutex);
  if (timeoutMs > 0 && h.queue.empty()) {
    auto pending = [&] { return !h.queue.empty(); };
    if (timeoutMs == INFINITE) {
      h.mainWork.wait(lock, pending);
    } else {
      h.mainWork.wait_for(lock, std::chrono::milliseconds(timeoutMs), pending);
    }
  }
  // Items are taken one at a time so that a nested loop inside a hand-over
  // goes on with the next one in order; what arrives meanwhile waits for the
  // next call, so a stream of hand-overs cannot starve the caller.
  std::size_t budget = h.queue.size();
  bool ran = false;
  while (budget-- > 0 && !h.queue.empty()) {
    HandOver entry = std::move(h.queue.front());
    h.queue.pop_front();
    lock.unlock();
    ran = true;
    if (entry.sync) {
      std::exception_ptr error;
      try {
        entry.method();
      } catch (...) {
        error = std::current_exception();
      }
      entry.method = nullptr;  // captures may refer to the worker's stack
      lock.lock();
      finishCall(entry.sync, std::move(error));
    } else {
      entry.method();
      entry.method = nullptr;
      lock.lock();
    }
  }
  return ran;
}

void BeginShutdown() {
  std::deque<HandOver> dropped;
  {
    HandOvers& h = handOvers();
    std::lock_guard<std::mutex> lock(h.mutex);
    h.shuttingDown = true;
    for (HandOver& entry : h.queue) {
      if (entry.sync) finishCall(entry.sync, nullptr);
      entry.sync = nullptr;
    }
    dropped.swap(h.queue);
    h.mainWork.notify_all();
  }
  // The dropped methods are destroyed here, outside the lock.
}

bool ShuttingDown() {
  HandOvers& h = handOvers();
  std::lock_guard<std::mutex> lock(h.mutex);
  return h.shuttingDown;
}

void ResetShutdownForTests() {
  HandOvers& h = handOvers();
  std::lock_guard<std::mutex> lock(h.mutex);
  h.shuttingDown = false;
}

// --- TThread --------------------------------------------------------------------

TThread::TThread(bool createSuspended) : createSuspended_(createSuspended) {}

TThread::~TThread() {
  if (!external_) {
    if (currentThread == this) {
      // FreeOnTerminate: the thread deletes itself and cannot join itself.
      if (thread_.joinable()) thread_.detach();
    } else if (started_.load()) {
      if (!done_.load()) {
        Terminate();
        // A destructor must not throw: an exception from some other
        // hand-over served meanwhile is dropped and the wait goes on.
        for (;;) {
          try {
            WaitFor();
            break;
          } catch (...) {
          }
        }
      }
      std::lock_guard<std::mutex> lock(joinMutex_);
      if (thread_.joinable()) thread_.join();
    }
  }
  RemoveQueuedEvents(this);
}

void TThread::markExternal() {
  external_ = true;
  started_.store(true);
  threadId_.store(GetCurrentThreadId());
}

void TThread::AfterConstruction() {
  if (!createSuspended_ && !started_.load()) Start();
}

void TThread::Start() {
  if (external_ || started_.exchange(true)) {
    throw EThread(u"Cannot call Start on a running or finished thread");
  }
  std::promise<TThreadID> idReady;
  std::future<TThreadID> id = idReady.get_future();
  std::promise<void> go;
  // The new thread waits until thread_ is set: a FreeOnTerminate thread may
  // otherwise delete itself before the assignment is complete.
  thread_ = std::thread([this, idReady = std::move(idReady), go = go.get_future()]() mutable {
    idReady.set_value(GetCurrentThreadId());
    go.wait();
    run();
  });
  threadId_.store(id.get(), std::memory_order_release);
  go.set_value();
}

void TThread::run() {
  currentThread = this;
  try {
    if (!Terminated()) Execute();
  } catch (...) {
    std::lock_guard<std::mutex> lock(stateMutex_);
    fatal_ = std::current_exception();
  }
  const bool freeThread = freeOnTerminate_;
  finished_.store(true, std::memory_order_release);
  try {
    DoTerminate();
  } catch (...) {
    std::lock_guard<std::mutex> lock(stateMutex_);
    if (!fatal_) fatal_ = std::current_exception();
  }
  {
    HandOvers& h = handOvers();
    std::lock_guard<std::mutex> lock(h.mutex);
    done_.store(true, std::memory_order_release);
    h.mainWork.notify_all();
  }
  // A main loop waiting for this thread to end re-checks its condition.
  WakeMainThread();
  if (freeThread) delete this;
  currentThread = nullptr;
}

void TThread::DoTerminate() {
  if (OnTerminate) Synchronize([this] { OnTerminate(this); });
}

void TThread::Terminate() {
  terminated_.store(true, std::memory_order_release);
  TerminatedSet();
  NotifyClockWaiters();  // ends a Pause early
}

std::exception_ptr TThread::FatalException() const {
  std::lock_guard<std::mutex> lock(stateMutex_);
  return fatal_;
}

int TThread::WaitFor() {
  WaitFor(Int64{-1});
  return ReturnValue();
}

bool TThread::WaitFor(Int64 realTimeoutMs) {
  if (external_) throw EThread(u"Cannot wait for a thread not created by TThread");
  if (freeOnTerminate_) throw EThread(u"Cannot call WaitFor on a FreeOnTerminate thread");
  if (currentThread == this) throw EThread(u"A thread cannot wait for itself");
  if (!started_.load()) throw EThread(u"Cannot wait for a thread that was never started");

  using Steady = std::chrono::steady_clock;
  const auto deadline = Steady::now() + std::chrono::milliseconds(realTimeoutMs < 0 ? 0 : realTimeoutMs);
  HandOvers& h = handOvers();
  const bool main = IsMainThread();
  std::unique_lock<std::mutex> lock(h.mutex);
  for (;;) {
    if (done_.load(std::memory_order_acquire)) break;
    if (main && !h.queue.empty()) {
      lock.unlock();
      CheckSynchronize(0);
      lock.lock();
      continue;
    }
    auto ready = [&] { return done_.load() || (main && !h.queue.empty()); };
    if (realTimeoutMs < 0) {
      h.mainWork.wait(lock, ready);
    } else if (!h.mainWork.wait_until(lock, deadline, ready)) {
      return false;
    }
  }
  lock.unlock();
  std::lock_guard<std::mutex> join(joinMutex_);
  if (thread_.joinable()) thread_.join();
  return true;
}

bool TThread::Pause(Int64 ms) {
  if (Terminated()) return false;
  const Int64 deadline = CurrentClock().MonotonicMs() + (ms < 0 ? 0 : ms);
  return !WaitUntil(deadline, [this] { return Terminated(); });
}

TThread* TThread::Current() {
  if (currentThread) return currentThread;
  thread_local std::unique_ptr<TThread> external;
  if (!external) {
    external = std::make_unique<TExternalThread>();
    ThreadAccess::markExternal(external.get());
  }
  currentThread = external.get();
  return currentThread;
}

bool TThread::CheckTerminated() { return Current()->Terminated(); }

void TThread::NameThreadForDebugging(const char* name) {
  char shortName[16] = {};  // the kernel keeps 15 characters
  for (int i = 0; i < 15 && name && name[i]; ++i) shortName[i] = name[i];
  pthread_setname_np(pthread_self(), shortName);
}

void TThread::Synchronize(TThread* thread, TThreadMethod method) {
  if (!method) return;
  if (IsMainThread()) {
    method();
    return;
  }
  SyncCall call;
  HandOvers& h = handOvers();
  std::unique_lock<std::mutex> lock(h.mutex);
  if (!enqueue(lock, HandOver{thread, std::move(method), &call})) return;
  call.doneChanged.wait(lock, [&] { return call.done; });
  if (call.error) std::rethrow_exception(call.error);
}

void TThread::Queue(TThread* thread, TThreadMethod method) {
  if (!method) return;
  if (IsMainThread()) {
    method();
    return;
  }
  ForceQueue(thread, std::move(method));
}

void TThread::ForceQueue(TThread* thread, TThreadMethod method) {
  if (!method) return;
  HandOvers& h = handOvers();
  std::unique_lock<std::mutex> lock(h.mutex);
  enqueue(lock, HandOver{thread, std::move(method), nullptr});
}

void TThread::RemoveQueuedEvents(TThread* thread) {
  std::deque<HandOver> removed;
  HandOvers& h = handOvers();
  std::lock_guard<std::mutex> lock(h.mutex);
  for (auto it = h.queue.begin(); it != h.queue.end();) {
    if (it->thread == thread) {
      if (it->sync) finishCall(it->sync, nullptr);
      removed.push_back(std::move(*it));
      it = h.queue.erase(it);
    } else {
      ++it;
    }
  }
}

TThread* TThread::CreateAnonymousThread(std::function<void()> proc) {
  auto* t = new TAnonymousThread(std::move(proc));
  t->SetFreeOnTerminate(true);
  return t;
}

// --- TEvent ------------------------------------------------------------------------

struct TEvent::State {
  std::mutex mutex;
  std::condition_variable changed;
  bool manualReset;
  bool signaled;
};

TEvent::TEvent(bool manualReset, bool initialState) : state_(new State) {
  state_->manualReset = manualReset;
  state_->signaled = initialState;
}

TEvent::~TEvent() = default;

void TEvent::SetEvent() {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->signaled = true;
  if (state_->manualReset) {
    state_->changed.notify_all();
  } else {
    state_->changed.notify_one();
  }
}

void TEvent::ResetEvent() {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->signaled = false;
}

TWaitResult TEvent::WaitFor(Cardinal timeoutMs) {
  std::unique_lock<std::mutex> lock(state_->mutex);
  auto signaled = [&] { return state_->signaled; };
  if (timeoutMs == INFINITE) {
    state_->changed.wait(lock, signaled);
  } else if (!state_->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), signaled)) {
    return wrTimeout;
  }
  if (!state_->manualReset) state_->signaled = false;
  return wrSignaled;
}

}  // namespace rtl
