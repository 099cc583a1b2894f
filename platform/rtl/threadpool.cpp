#include "platform/rtl/threadpool.h"

#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/rtl/except.h"
#include "platform/rtl/threads.h"

namespace rtl {
namespace {

// Deliberately never destroyed: the exit handler uses it after other static
// objects may be gone.
struct Pool {
  std::mutex mutex;
  std::condition_variable work;
  std::deque<std::function<void()>> items;
  std::vector<std::thread> workers;
  bool stopping = false;
  bool exiting = false;
  bool exitHandlerSet = false;
};

Pool& pool() {
  static Pool* p = new Pool;
  return *p;
}

thread_local bool isPoolWorker = false;

void workerLoop() {
  isPoolWorker = true;
  TThread::NameThreadForDebugging("work item");
  Pool& p = pool();
  std::unique_lock<std::mutex> lock(p.mutex);
  for (;;) {
    p.work.wait(lock, [&] { return p.stopping || !p.items.empty(); });
    if (p.items.empty()) return;  // stopping and drained
    std::function<void()> item = std::move(p.items.front());
    p.items.pop_front();
    lock.unlock();
    item();
    item = nullptr;
    lock.lock();
  }
}

void atExit() {
  {
    Pool& p = pool();
    std::lock_guard<std::mutex> lock(p.mutex);
    p.exiting = true;
  }
  // The main thread is going: an item handing over to it must not wait for
  // a loop that will never run again.
  BeginShutdown();
  ShutdownThreadPool();
}

}  // namespace

bool QueueUserWorkItem(std::function<void()> item, Cardinal flags) {
  if (!item) return false;
  Pool& p = pool();
  std::lock_guard<std::mutex> lock(p.mutex);
  if (p.stopping || p.exiting) return false;
  if (p.workers.empty()) {
    if (!p.exitHandlerSet) {
      std::atexit(&atExit);
      p.exitHandlerSet = true;
    }
    const int n = ProcessorCount();
    for (int i = 0; i < n; ++i) p.workers.emplace_back(&workerLoop);
  }
  p.items.push_back(std::move(item));
  p.work.notify_one();
  return true;
}

bool QueueUserWorkItem(LPTHREAD_START_ROUTINE function, void* context, Cardinal flags) {
  if (!function) return false;
  return QueueUserWorkItem([function, context] { function(context); }, flags);
}

void ShutdownThreadPool() {
  if (isPoolWorker) throw EThread(u"ShutdownThreadPool called from a pool worker");
  Pool& p = pool();
  std::vector<std::thread> workers;
  {
    std::lock_guard<std::mutex> lock(p.mutex);
    if (p.stopping) return;  // another thread is shutting it down
    p.stopping = true;
    workers.swap(p.workers);
    p.work.notify_all();
  }
  for (std::thread& t : workers) t.join();
  std::lock_guard<std::mutex> lock(p.mutex);
  p.stopping = false;
}

int ThreadPoolSize() { return ProcessorCount(); }

}  // namespace rtl
