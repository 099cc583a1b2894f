#pragma once
// Parallel sort and search on the process's thread pool. A large list is cut
// into chunks that run as pool work items while the calling thread waits.
// Each shared worker serves one operation at a time; a caller that finds it
// busy does the work alone on its own thread.
#include <array>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>

#include "lib/core/dxCoreClasses.h"
#include "lib/core/forward.h"
#include "platform/rtl/object.h"
#include "platform/rtl/types.h"

namespace core {

// The largest number of work items one helper queues at a time.
inline constexpr int dxMaxUserWorkItems = 32;

// The application may clear it to forbid parallel work.
extern std::atomic<bool> dxEnableMultiThreading;
// The machine has more than one processor and parallel work is allowed.
bool dxCanUseMultiThreading();

using TdxThreadPoolObjectProc = rtl::Method<void(void* sender, void* data)>;
using TdxThreadPoolProc = void (*)(void* data);

// Runs up to 32 work items of one operation and lets the caller wait for all
// of them. An exception inside an item is copied, taken out of the helper
// before the caller is released, and shown once on the main thread through
// the application (EAbort silently dropped).
class TdxThreadPoolHelper {
 public:
  TdxThreadPoolHelper() = default;
  TdxThreadPoolHelper(const TdxThreadPoolHelper&) = delete;
  TdxThreadPoolHelper& operator=(const TdxThreadPoolHelper&) = delete;

  // `count` must equal the number of items queued afterwards (at most 32).
  void Initialize(int count, bool createEvent = true);
  void QueueWorkItem(void* sender, void* data, TdxThreadPoolObjectProc proc, rtl::Cardinal flags = 0);
  void QueueWorkItem(void* data, TdxThreadPoolProc proc, rtl::Cardinal flags = 0);
  // Waits for every queued item; the event is kept for the next round
  // whatever `destroyEvent` says.
  void WaitForThreads(bool destroyEvent = false);

 private:
  struct TUserWorkItem {
    TdxThreadPoolHelper* helper = nullptr;
    void* sender = nullptr;
    void* data = nullptr;
    TdxThreadPoolObjectProc objectProc;
    TdxThreadPoolProc proc = nullptr;
  };
  static rtl::LongWord threadFunction(void* parameter);
  void queue(TUserWorkItem item, rtl::Cardinal flags);
  void runItem(TUserWorkItem& item);
  void itemFinished();

  std::atomic<int> FPendingCount{0};
  int FQueuedCount = 0;
  std::exception_ptr FException;  // guarded by FLock
  std::mutex FLock;
  std::condition_variable FEvent;
  bool FSignalled = false;  // guarded by FLock
  std::array<TUserWorkItem, dxMaxUserWorkItems> FWorkItems;
};

class TdxMultithreadOperation {
 public:
  // The processor count.
  TdxMultithreadOperation();
  explicit TdxMultithreadOperation(int threadCount);  // capped at 32
  virtual ~TdxMultithreadOperation();
  TdxMultithreadOperation(const TdxMultithreadOperation&) = delete;
  TdxMultithreadOperation& operator=(const TdxMultithreadOperation&) = delete;

  bool Lock();  // true when this caller took the worker
  void Unlock();
  int ThreadCount() const { return FThreadCount; }

 protected:
  TdxThreadPoolHelper& ThreadPoolHelper() { return FThreadPoolHelper; }

 private:
  int FLocked = 0;
  int FThreadCount;
  TdxThreadPoolHelper FThreadPoolHelper;
};

class TdxMultithreadedSort : public TdxMultithreadOperation {
 public:
  using TdxMultithreadOperation::TdxMultithreadOperation;

  void Sort(void** list, int count, TdxListSortCompareMethod compare);
  void Sort(void** list, int count, TdxListSortCompareFunc compare);
  // 1 below 32 items; otherwise 1, 8 or 16 by the thread count.
  int CalculateChunkCount(int count) const;

 private:
  struct TSortWorkItem {
    void** list = nullptr;
    int startIndex = 0;
    int endIndex = 0;  // inclusive
  };
  struct TMergeWorkItem {
    TdxMultithreadedSort* sorter = nullptr;
    int start = 0;
    int middle = 0;
    int end = 0;
  };
  void sortParallel(void** list, int count);
  void sortChunks(void** list);
  void mergeChunks(void** list);
  void sortChunk(void* sender, void* data);
  void mergeRuns(void* sender, void* data);
  int compare(void* a, void* b) const {
    return FCompareFunc ? FCompareFunc(a, b) : FCompareClassFunc(a, b);
  }
  void sortRange(void** list, int count) const;

  TdxListSortCompareMethod FCompareClassFunc;
  TdxListSortCompareFunc FCompareFunc = nullptr;
  int FCount = 0;
  int FSortChunkCount = 0;
  std::array<TSortWorkItem, 16> FSortChunks;
  std::array<TMergeWorkItem, 8> FMergeItems;
  void** FList = nullptr;
  void** FScratch = nullptr;
};

// Answers whether an item index satisfies the search.
using TdxIteratorItemFunc = rtl::Method<bool(void* context, int index)>;

class TdxCustomMultithreadedIterator : public TdxMultithreadOperation {
 public:
  using TdxMultithreadOperation::TdxMultithreadOperation;

 protected:
  virtual void* GetChunkContext(int index, void* context) { return context; }
  virtual void InitializeChunksEnvironment() {}

  // Index found by some chunk, or -1; written only by atomic exchange.
  std::atomic<int> FFinishedIndex{-1};
  int FCount = 0;
  int FStartIndex = 0;
  int FEndIndex = 0;
  int FChunkCount = 0;
  bool FReverse = false;
  struct TIterateChunkWorkItem {
    void* context = nullptr;
    int startIndex = 0;
    int endIndex = 0;  // inclusive
    bool reverse = false;
  };
  std::array<TIterateChunkWorkItem, dxMaxUserWorkItems> FChunks;
};

class TdxMultithreadedClassMethodIterator : public TdxCustomMultithreadedIterator {
 public:
  using TdxCustomMultithreadedIterator::TdxCustomMultithreadedIterator;
  // The index of an item in start .. end for which `itemFunc` is true, not
  // necessarily the first in scan order; -1 when none is.
  int IterateItems(int startIndex, int endIndex, bool reverse, TdxIteratorItemFunc itemFunc,
                   void* context);

 private:
  void iterateChunk(void* sender, void* data);
  TdxIteratorItemFunc FItemObjectFunc;
};

class TdxMultithreadedListIterator : public TdxMultithreadedClassMethodIterator {
 public:
  using TdxMultithreadedClassMethodIterator::TdxMultithreadedClassMethodIterator;
  // Runs alone on the calling thread for one item or when the iterator is busy.
  int Iterate(void* context, int count, bool reverse, TdxIteratorItemFunc itemFunc);
};

// The shared workers; nullptr unless parallel work is possible on this
// machine and the unit has started.
TdxMultithreadedSort* dxSortHelper();
TdxMultithreadedListIterator* dxListIterator();

void dxThreadingInitialization();
void dxThreadingFinalization();

}  // namespace core
