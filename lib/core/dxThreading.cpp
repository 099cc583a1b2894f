#include "lib/core/dxThreading.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "platform/rtl/except.h"
#include "platform/rtl/threadpool.h"
#include "platform/rtl/threads.h"
#include "platform/rtl/ustring.h"
#include "platform/ui/forms.h"

namespace core {

std::atomic<bool> dxEnableMultiThreading{true};

namespace {

bool FCanUseMultiThreading = false;
std::unique_ptr<TdxMultithreadedSort> sortHelperInstance;
std::unique_ptr<TdxMultithreadedListIterator> listIteratorInstance;

// A copy that outlives the work item: the same message and help context, and
// an abort stays an abort so that it is not shown.
std::exception_ptr copyOfCurrentException() {
  try {
    throw;
  } catch (const rtl::EAbort& e) {
    return std::make_exception_ptr(rtl::EAbort(e.Message(), e.HelpContext()));
  } catch (const rtl::Exception& e) {
    return std::make_exception_ptr(rtl::Exception(e.Message(), e.HelpContext()));
  } catch (const std::exception& e) {
    return std::make_exception_ptr(rtl::Exception(rtl::Utf8ToString(e.what())));
  } catch (...) {
    return std::make_exception_ptr(rtl::Exception(u"Unknown exception"));
  }
}

bool isAbort(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const rtl::EAbort&) {
    return true;
  } catch (...) {
    return false;
  }
}

// Shown when the main thread next serves its hand-overs; queued rather than
// synchronised so that no pool worker waits for the main thread (which may be
// the very caller waiting for this item).
void showOnMainThread(std::exception_ptr error) {
  if (!error || isAbort(error)) return;
  rtl::TThread::Queue(nullptr, [error] { ui::Application->HandleException(error, nullptr); });
}

void yieldProcessor() {
  if (!rtl::SwitchToThread()) rtl::Sleep(0);
}

}  // namespace

bool dxCanUseMultiThreading() {
  return FCanUseMultiThreading && dxEnableMultiThreading.load(std::memory_order_relaxed);
}

// --- TdxThreadPoolHelper -----------------------------------------------------------------------
void TdxThreadPoolHelper::Initialize(int count, bool) {
  FPendingCount.store(std::min(count, dxMaxUserWorkItems));
  FQueuedCount = 0;
  std::lock_guard lock(FLock);
  FSignalled = false;
}

void TdxThreadPoolHelper::QueueWorkItem(void* sender, void* data, TdxThreadPoolObjectProc proc,
                                        rtl::Cardinal flags) {
  if (!proc.assigned()) return;
  TUserWorkItem item;
  item.sender = sender;
  item.data = data;
  item.objectProc = proc;
  queue(std::move(item), flags);
}

void TdxThreadPoolHelper::QueueWorkItem(void* data, TdxThreadPoolProc proc, rtl::Cardinal flags) {
  if (!proc) return;
  TUserWorkItem item;
  item.data = data;
  item.proc = proc;
  queue(std::move(item), flags);
}

void TdxThreadPoolHelper::queue(TUserWorkItem item, rtl::Cardinal flags) {
  if (FQueuedCount >= dxMaxUserWorkItems) throw rtl::EInvalidOperation(u"Too many work items");
  TUserWorkItem& slot = FWorkItems[static_cast<size_t>(FQueuedCount++)];
  slot = std::move(item);
  slot.helper = this;
  // The pool refuses only while the program shuts down; the item then runs
  // here, so that the waiting caller is still released.
  if (!rtl::QueueUserWorkItem(&threadFunction, &slot, flags)) threadFunction(&slot);
}

rtl::LongWord TdxThreadPoolHelper::threadFunction(void* parameter) {
  auto* item = static_cast<TUserWorkItem*>(parameter);
  TdxThreadPoolHelper* helper = item->helper;
  helper->runItem(*item);
  helper->itemFinished();  // the helper may be gone once this returns
  yieldProcessor();
  return 0;
}

void TdxThreadPoolHelper::runItem(TUserWorkItem& item) {
  try {
    if (item.proc)
      item.proc(item.data);
    else
      item.objectProc(item.sender, item.data);
  } catch (...) {
    // An escaping exception would end the process from the pool thread.
    std::exception_ptr copy = copyOfCurrentException();
    std::lock_guard lock(FLock);
    FException = std::move(copy);  // a later failing item replaces an earlier copy
  }
}

void TdxThreadPoolHelper::itemFinished() {
  if (FPendingCount.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
  std::lock_guard lock(FLock);
  // The last item takes the exception out and hands its display to the main
  // thread before it releases the caller, which may start the next operation
  // on this helper at once: no later run's error can be cleared or shown in
  // its place, and errors are shown in the order of the runs.
  showOnMainThread(std::exchange(FException, nullptr));
  FSignalled = true;
  FEvent.notify_all();
}

void TdxThreadPoolHelper::WaitForThreads(bool) {
  std::unique_lock lock(FLock);
  FEvent.wait(lock, [this] { return FSignalled; });
  FSignalled = false;
}

// --- TdxMultithreadOperation --------------------------------------------------------------------
TdxMultithreadOperation::TdxMultithreadOperation() : TdxMultithreadOperation(rtl::ProcessorCount()) {}

TdxMultithreadOperation::TdxMultithreadOperation(int threadCount)
    : FThreadCount(std::clamp(threadCount, 1, dxMaxUserWorkItems)) {}

TdxMultithreadOperation::~TdxMultithreadOperation() = default;

bool TdxMultithreadOperation::Lock() { return rtl::InterlockedCompareExchange(FLocked, 1, 0) == 0; }

void TdxMultithreadOperation::Unlock() { rtl::InterlockedCompareExchange(FLocked, 0, 1); }

namespace {
struct UnlockGuard {
  TdxMultithreadOperation& operation;
  ~UnlockGuard() { operation.Unlock(); }
};
}  // namespace

// --- TdxMultithreadedSort ------------------------------------------------------------------------
int TdxMultithreadedSort::CalculateChunkCount(int count) const {
  if (count < 32) return 1;
  if (ThreadCount() == 1) return 1;
  if (ThreadCount() <= 3) return 8;
  return 16;
}

void TdxMultithreadedSort::Sort(void** list, int count, TdxListSortCompareMethod compare) {
  if (!Lock()) {
    dxInternalQuickSortList(list, count, compare);
    return;
  }
  UnlockGuard unlock{*this};
  FCompareClassFunc = compare;
  FCompareFunc = nullptr;
  sortParallel(list, count);
}

void TdxMultithreadedSort::Sort(void** list, int count, TdxListSortCompareFunc compare) {
  if (!Lock()) {
    dxInternalQuickSortList(list, count, compare);
    return;
  }
  UnlockGuard unlock{*this};
  FCompareClassFunc = nullptr;
  FCompareFunc = compare;
  sortParallel(list, count);
}

void TdxMultithreadedSort::sortRange(void** list, int count) const {
  if (FCompareFunc)
    dxInternalQuickSortList(list, count, FCompareFunc);
  else
    dxInternalQuickSortList(list, count, FCompareClassFunc);
}

void TdxMultithreadedSort::sortParallel(void** list, int count) {
  FCount = count;
  FList = list;
  FSortChunkCount = CalculateChunkCount(count);
  const int size = count / FSortChunkCount;
  const int remainder = count % FSortChunkCount;
  int start = 0;
  for (int i = 0; i < FSortChunkCount; ++i) {
    const int length = size + (i < remainder ? 1 : 0);
    FSortChunks[static_cast<size_t>(i)] = TSortWorkItem{list, start, start + length - 1};
    start += length;
  }
  sortChunks(list);
  mergeChunks(list);
}

void TdxMultithreadedSort::sortChunks(void**) {
  TdxThreadPoolHelper& helper = ThreadPoolHelper();
  helper.Initialize(FSortChunkCount);
  const auto proc = TdxThreadPoolObjectProc::bind<&TdxMultithreadedSort::sortChunk>(this);
  for (int i = 0; i < FSortChunkCount; ++i)
    helper.QueueWorkItem(this, &FSortChunks[static_cast<size_t>(i)], proc);
  helper.WaitForThreads();
}

void TdxMultithreadedSort::sortChunk(void*, void* data) {
  const auto* chunk = static_cast<TSortWorkItem*>(data);
  sortRange(chunk->list + chunk->startIndex, chunk->endIndex - chunk->startIndex + 1);
}

void TdxMultithreadedSort::mergeChunks(void** list) {
  if (FSortChunkCount < 2) return;
  std::vector<void*> scratch(static_cast<size_t>(FCount));
  FScratch = scratch.data();
  TdxThreadPoolHelper& helper = ThreadPoolHelper();
  const auto proc = TdxThreadPoolObjectProc::bind<&TdxMultithreadedSort::mergeRuns>(this);
  for (int pairs = FSortChunkCount / 2; pairs > 0; pairs /= 2) {
    helper.Initialize(pairs);
    for (int i = 0; i < pairs; ++i) {
      const TSortWorkItem& left = FSortChunks[static_cast<size_t>(2 * i)];
      const TSortWorkItem& right = FSortChunks[static_cast<size_t>(2 * i + 1)];
      FMergeItems[static_cast<size_t>(i)] = TMergeWorkItem{this, left.startIndex, left.endIndex,
                                                           right.endIndex};
    }
    for (int i = 0; i < pairs; ++i) {
      const TMergeWorkItem& m = FMergeItems[static_cast<size_t>(i)];
      FSortChunks[static_cast<size_t>(i)] = TSortWorkItem{list, m.start, m.end};
      helper.QueueWorkItem(this, &FMergeItems[static_cast<size_t>(i)], proc);
    }
    helper.WaitForThreads();
  }
  FScratch = nullptr;
}

void TdxMultithreadedSort::mergeRuns(void*, void* data) {
  const auto* m = static_cast<TMergeWorkItem*>(data);
  void** list = FList;
  void** scratch = FScratch;
  std::copy(list + m->start, list + m->end + 1, scratch + m->start);
  // A comparison that raises leaves the range as it was before the merge
  // (two sorted runs) instead of half merged with items doubled.
  struct Restore {
    void** list;
    void** scratch;
    int start, end;
    int unwinding = std::uncaught_exceptions();
    ~Restore() {
      if (std::uncaught_exceptions() > unwinding)
        std::copy(scratch + start, scratch + end + 1, list + start);
    }
  } restore{list, scratch, m->start, m->end};
  int left = m->start;
  int right = m->middle + 1;
  int out = m->start;
  while (left <= m->middle && right <= m->end) {
    // Equal items: the right run's goes first.
    if (compare(scratch[left], scratch[right]) >= 0)
      list[out++] = scratch[right++];
    else
      list[out++] = scratch[left++];
  }
  while (left <= m->middle) list[out++] = scratch[left++];
  while (right <= m->end) list[out++] = scratch[right++];
}

// --- iterators -------------------------------------------------------------------------------------
int TdxMultithreadedClassMethodIterator::IterateItems(int startIndex, int endIndex, bool reverse,
                                                      TdxIteratorItemFunc itemFunc, void* context) {
  FFinishedIndex.store(-1);
  if (endIndex < startIndex) return -1;
  FStartIndex = startIndex;
  FEndIndex = endIndex;
  FReverse = reverse;
  FItemObjectFunc = itemFunc;
  FCount = endIndex - startIndex + 1;
  FChunkCount = std::min({FCount, ThreadCount(), dxMaxUserWorkItems});
  InitializeChunksEnvironment();
  const int size = FCount / FChunkCount;
  const int remainder = FCount % FChunkCount;
  int start = startIndex;
  for (int i = 0; i < FChunkCount; ++i) {
    const int length = size + (i < remainder ? 1 : 0);
    FChunks[static_cast<size_t>(i)] =
        TIterateChunkWorkItem{GetChunkContext(i, context), start, start + length - 1, reverse};
    start += length;
  }
  TdxThreadPoolHelper& helper = ThreadPoolHelper();
  helper.Initialize(FChunkCount);
  const auto proc =
      TdxThreadPoolObjectProc::bind<&TdxMultithreadedClassMethodIterator::iterateChunk>(this);
  for (int i = 0; i < FChunkCount; ++i)
    helper.QueueWorkItem(this, &FChunks[static_cast<size_t>(i)], proc);
  helper.WaitForThreads(true);
  return FFinishedIndex.load();
}

void TdxMultithreadedClassMethodIterator::iterateChunk(void*, void* data) {
  const auto* chunk = static_cast<TIterateChunkWorkItem*>(data);
  const int step = chunk->reverse ? -1 : 1;
  const int first = chunk->reverse ? chunk->endIndex : chunk->startIndex;
  const int last = chunk->reverse ? chunk->startIndex : chunk->endIndex;
  for (int i = first;; i += step) {
    if (FFinishedIndex.load(std::memory_order_relaxed) >= 0) return;
    if (FItemObjectFunc(chunk->context, i)) {
      FFinishedIndex.exchange(i);
      return;
    }
    if (i == last) return;
  }
}

int TdxMultithreadedListIterator::Iterate(void* context, int count, bool reverse,
                                          TdxIteratorItemFunc itemFunc) {
  if (count <= 0) return -1;
  if (count > 1 && Lock()) {
    UnlockGuard unlock{*this};
    return IterateItems(0, count - 1, reverse, itemFunc, context);
  }
  if (reverse) {
    for (int i = count - 1; i >= 0; --i)
      if (itemFunc(context, i)) return i;
  } else {
    for (int i = 0; i < count; ++i)
      if (itemFunc(context, i)) return i;
  }
  return -1;
}

// --- the shared workers ----------------------------------------------------------------------------
TdxMultithreadedSort* dxSortHelper() { return sortHelperInstance.get(); }
TdxMultithreadedListIterator* dxListIterator() { return listIteratorInstance.get(); }

void dxThreadingInitialization() {
  const int processors = rtl::ProcessorCount();
  FCanUseMultiThreading = processors > 1;
  if (!FCanUseMultiThreading) return;
  sortHelperInstance = std::make_unique<TdxMultithreadedSort>(4 * processors);
  listIteratorInstance = std::make_unique<TdxMultithreadedListIterator>(processors);
}

void dxThreadingFinalization() {
  sortHelperInstance.reset();
  listIteratorInstance.reset();
  FCanUseMultiThreading = false;
}

}  // namespace core
