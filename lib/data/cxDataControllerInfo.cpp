// The record list of a data controller: load, filter, sort and group, with
// the rows, focus and selection kept over it. The list holds record indexes;
// every rebuild starts from the storage order, so a pipeline step never has
// to undo another.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>
#include <utility>

#include "lib/core/dxThreading.h"
#include "lib/data/cxCustomData.h"
#include "lib/data/cxDataStrs.h"
#include "lib/data/cxDataSummary.h"
#include "lib/data/cxFilterLike.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/sortkey.h"
#include "platform/rtl/threads.h"
#include "platform/rtl/ustring.h"

namespace data {

using rtl::String;
using rtl::Variant;

namespace {

[[noreturn]] void rowIndexError() {
  TcxCustomDataController::InvalidOperation(core::cxGetResourceString(&cxSDataRowIndexError));
}

// A bottom-up merge sort over positions. It only ever reads inside the
// ranges it merges, so a comparison that contradicts itself (mixed variant
// types, a careless OnCompare handler) yields some order, never a stray
// read; and it is stable, which the tie by record index makes moot anyway.
template <class T, class Less>
void insertionSortRange(T* first, T* last, Less& less) {
  for (T* i = first + 1; i < last; ++i) {
    const T value = *i;
    T* j = i;
    while (j > first && less(value, *(j - 1))) {
      *j = *(j - 1);
      --j;
    }
    *j = value;
  }
}

template <class T, class Less>
void mergeRuns(const T* a, const T* aEnd, const T* b, const T* bEnd, T* out, Less& less) {
  // Without a branch on the comparison, which random keys would mispredict
  // half of the time.
  while (a < aEnd && b < bEnd) {
    const bool fromB = less(*b, *a);
    *out++ = fromB ? *b : *a;
    b += fromB;
    a += !fromB;
  }
  out = std::copy(a, aEnd, out);
  std::copy(b, bEnd, out);
}

// Scratch space that every pass writes before it reads: not zeroed first,
// which for a million slots is a serial pass of its own.
template <class T>
std::unique_ptr<T[]> sortScratch(int count) {
  static_assert(std::is_trivially_default_constructible_v<T>);
  return std::unique_ptr<T[]>(new T[static_cast<size_t>(count)]);
}

template <class T, class Less>
void mergeSort(T* data, int count, Less& less) {
  constexpr int kRun = 24;
  for (int start = 0; start < count; start += kRun)
    insertionSortRange(data + start, data + std::min(count, start + kRun), less);
  if (count <= kRun) return;
  const std::unique_ptr<T[]> scratch = sortScratch<T>(count);
  T* from = data;
  T* to = scratch.get();
  for (int width = kRun; width < count; width *= 2) {
    for (int start = 0; start < count; start += 2 * width) {
      const int middle = std::min(count, start + width);
      const int end = std::min(count, start + 2 * width);
      mergeRuns(from + start, from + middle, from + middle, from + end, to + start, less);
    }
    std::swap(from, to);
  }
  if (from != data) std::copy(from, from + count, data);
}

// The processors this process may run on (its CPU affinity), not all the
// machine has: more chunks than that only queue behind each other.
int threadCountForWork() { return std::clamp(rtl::ProcessorCount(), 1, 16); }

// The first exception a worker raised, carried back to the calling thread
// after every chunk has finished.
class WorkerFailure {
 public:
  void Capture() {
    std::lock_guard lock(FLock);
    if (!FException) FException = std::current_exception();
  }
  bool Failed() {
    std::lock_guard lock(FLock);
    return FException != nullptr;
  }
  void Rethrow() {
    if (FException) std::rethrow_exception(FException);
  }

 private:
  std::mutex FLock;
  std::exception_ptr FException;
};

// At most this many pieces of merging are queued in one round.
constexpr int dxMaxUserWorkItemsForMerge = core::dxMaxUserWorkItems;

// A part of one merge: the items of two sorted runs that fill out..out+n.
template <class T, class Less>
struct MergePiece {
  const T* a;
  const T* aEnd;
  const T* b;
  const T* bEnd;
  T* out;
  Less* less;
  WorkerFailure* failure;
};

// How many of the first `k` merged items come from run a, as mergeRuns
// takes them (a's item first on a tie): the smallest i at which a[i] no
// longer goes before b[k - i - 1].
template <class T, class Less>
int mergeSplit(const T* a, int aCount, const T* b, int bCount, int k, Less& less) {
  int low = std::max(0, k - bCount), high = std::min(k, aCount);
  while (low < high) {
    const int i = low + (high - low) / 2;
    if (!less(b[k - i - 1], a[i]))
      low = i + 1;
    else
      high = i;
  }
  return low;
}

// Cuts the merge of from[begin, middle) and from[middle, end) into `parts`
// pieces of about equal output. Each cut is clamped between its neighbours,
// so that comparisons that contradict each other still give pieces that
// read and write inside their ranges.
template <class T, class Less>
void appendMergePieces(T* from, int begin, int middle, int end, T* to, Less& less, int parts,
                       std::vector<MergePiece<T, Less>>& pieces) {
  const T* a = from + begin;
  const T* b = from + middle;
  const int aCount = middle - begin, bCount = end - middle, total = end - begin;
  int previousK = 0, previousI = 0;
  for (int part = 1; part <= parts; ++part) {
    const int k = static_cast<int>(static_cast<long long>(total) * part / parts);
    int i = part == parts ? aCount : mergeSplit(a, aCount, b, bCount, k, less);
    i = std::clamp(i, std::max(previousI, k - bCount), std::min(previousI + (k - previousK), aCount));
    pieces.push_back(MergePiece<T, Less>{a + previousI, a + i, b + (previousK - previousI), b + (k - i),
                                      to + begin + previousK, &less, nullptr});
    previousK = k;
    previousI = i;
  }
}

// Sorts chunks on the pool, then merges them pairwise on the pool, round by
// round; every round waits for all its items before the next starts.
template <class T, class Less>
void parallelMergeSort(T* data, int count, Less& less, int threadCount) {
  const int chunkCount = std::min(threadCount, count / 16 + 1);
  std::vector<int> bounds(static_cast<size_t>(chunkCount) + 1);
  for (int i = 0; i <= chunkCount; ++i)
    bounds[static_cast<size_t>(i)] = static_cast<int>(static_cast<long long>(count) * i / chunkCount);
  WorkerFailure failure;
  struct Item {
    T* data;
    int begin, middle, end;
    T* scratch;
    Less* less;
    WorkerFailure* failure;
  };
  std::vector<Item> items(static_cast<size_t>(chunkCount));
  {
    core::TdxThreadPoolHelper helper;
    helper.Initialize(chunkCount);
    for (int i = 0; i < chunkCount; ++i) {
      Item& item = items[static_cast<size_t>(i)];
      item = Item{data, bounds[static_cast<size_t>(i)], 0, bounds[static_cast<size_t>(i) + 1], nullptr, &less, &failure};
      helper.QueueWorkItem(&item, [](void* p) {
        auto* it = static_cast<Item*>(p);
        try {
          mergeSort(it->data + it->begin, it->end - it->begin, *it->less);
        } catch (...) {
          it->failure->Capture();
        }
      });
    }
    helper.WaitForThreads(true);
  }
  failure.Rethrow();
  const std::unique_ptr<T[]> scratch = sortScratch<T>(count);
  T* from = data;
  T* to = scratch.get();
  std::vector<int> runs(bounds);
  while (runs.size() > 2) {
    std::vector<int> next;
    const int pairs = static_cast<int>((runs.size() - 1) / 2);
    // Each merge is cut into pieces so that every round, the last one with
    // its single merge too, keeps about threadCount workers busy.
    const int piecesPerMerge = std::max(1, std::min(threadCount, dxMaxUserWorkItemsForMerge) / pairs);
    std::vector<MergePiece<T, Less>> pieces;
    for (size_t i = 0; i + 2 < runs.size(); i += 2) {
      appendMergePieces(from, runs[i], runs[i + 1], runs[i + 2], to, less, piecesPerMerge, pieces);
      next.push_back(runs[i]);
    }
    if ((runs.size() - 1) % 2 == 1) {  // an odd run is copied across unchanged
      const int b = runs[runs.size() - 2], e = runs.back();
      std::copy(from + b, from + e, to + b);
      next.push_back(b);
    }
    next.push_back(count);
    core::TdxThreadPoolHelper helper;
    helper.Initialize(static_cast<int>(pieces.size()));
    for (MergePiece<T, Less>& piece : pieces) {
      piece.failure = &failure;
      helper.QueueWorkItem(&piece, [](void* p) {
        auto* it = static_cast<MergePiece<T, Less>*>(p);
        try {
          mergeRuns(it->a, it->aEnd, it->b, it->bEnd, it->out, *it->less);
        } catch (...) {
          it->failure->Capture();
        }
      });
    }
    helper.WaitForThreads(true);
    failure.Rethrow();
    std::swap(from, to);
    runs = std::move(next);
  }
  if (from != data) std::copy(from, from + count, data);
}

}  // namespace

namespace {
struct SingleIntegerLess {
  const long long* values;
  bool descending;
  bool operator()(int i, int j) const {
    const long long a = values[i], b = values[j];
    if (a != b) return descending ? a > b : a < b;
    return i < j;
  }
};

// One integer column whose values span less than 2^32, sorted as one 64-bit
// key per position: the value's offset in that span (from the top when
// descending) above the position. A comparison is then one compare of two
// neighbouring slots instead of two reads of scattered values, and equal
// values still order by position, as SingleIntegerLess orders them.
struct PackedIntegerLess {
  bool operator()(std::uint64_t a, std::uint64_t b) const { return a < b; }
};

class PackedIntegerKeys {
 public:
  // The span of the values and the lowest position over part of the list.
  struct Range {
    long long low = 0, high = 0;
    int lowestPosition = 0;
    bool empty = true;
    void Join(const Range& ARange) {
      if (ARange.empty) return;
      low = empty ? ARange.low : std::min(low, ARange.low);
      high = empty ? ARange.high : std::max(high, ARange.high);
      lowestPosition = empty ? ARange.lowestPosition : std::min(lowestPosition, ARange.lowestPosition);
      empty = false;
    }
  };
  static Range Scan(const int* AData, int ABegin, int AEnd, const long long* AValues) {
    Range range;
    if (ABegin >= AEnd) return range;
    range.empty = false;
    range.low = range.high = AValues[AData[ABegin]];
    range.lowestPosition = AData[ABegin];
    for (int k = ABegin; k < AEnd; ++k) {
      const long long value = AValues[AData[k]];
      range.low = std::min(range.low, value);
      range.high = std::max(range.high, value);
      range.lowestPosition = std::min(range.lowestPosition, AData[k]);
    }
    return range;
  }
  // False when the values span too much or a position is negative: the
  // caller sorts with the comparison then.
  bool Prepare(const Range& ARange, int ACount, const SingleIntegerLess& ALess) {
    if (ARange.empty || ARange.lowestPosition < 0 ||
        static_cast<unsigned long long>(ARange.high) - static_cast<unsigned long long>(ARange.low) > 0xFFFFFFFFull)
      return false;
    FValues = ALess.values;
    FBase = static_cast<unsigned long long>(ALess.descending ? ARange.high : ARange.low);
    FDescending = ALess.descending;
    FKeys = sortScratch<std::uint64_t>(ACount);
    return true;
  }
  void Pack(const int* AData, int ABegin, int AEnd) {
    for (int k = ABegin; k < AEnd; ++k) {
      const auto value = static_cast<unsigned long long>(FValues[AData[k]]);
      const std::uint64_t offset = FDescending ? FBase - value : value - FBase;
      FKeys[static_cast<size_t>(k)] = (offset << 32) | static_cast<std::uint32_t>(AData[k]);
    }
  }
  void Unpack(int* AData, int ABegin, int AEnd) const {
    for (int k = ABegin; k < AEnd; ++k) AData[k] = static_cast<int>(FKeys[static_cast<size_t>(k)] & 0xFFFFFFFFu);
  }
  std::uint64_t* Keys() { return FKeys.get(); }

 private:
  const long long* FValues = nullptr;
  unsigned long long FBase = 0;
  bool FDescending = false;
  std::unique_ptr<std::uint64_t[]> FKeys;
};

void mergeSort(int* data, int count, SingleIntegerLess& less) {
  PackedIntegerKeys keys;
  if (!keys.Prepare(PackedIntegerKeys::Scan(data, 0, count, less.values), count, less)) {
    mergeSort<int, SingleIntegerLess>(data, count, less);
    return;
  }
  keys.Pack(data, 0, count);
  PackedIntegerLess packedLess;
  mergeSort(keys.Keys(), count, packedLess);
  keys.Unpack(data, 0, count);
}

// Runs AWork(slice, begin, end) over `parts` slices of 0..count on the pool.
template <class Work>
void runSlicesOnPool(int count, int parts, Work& AWork) {
  struct Slice {
    Work* work;
    int index, begin, end;
  };
  std::vector<Slice> slices(static_cast<size_t>(parts));
  core::TdxThreadPoolHelper helper;
  helper.Initialize(parts);
  for (int i = 0; i < parts; ++i) {
    Slice& slice = slices[static_cast<size_t>(i)];
    slice = Slice{&AWork, i, static_cast<int>(static_cast<long long>(count) * i / parts),
                  static_cast<int>(static_cast<long long>(count) * (i + 1) / parts)};
    helper.QueueWorkItem(&slice, [](void* p) {
      auto* it = static_cast<Slice*>(p);
      (*it->work)(it->index, it->begin, it->end);
    });
  }
  helper.WaitForThreads(true);
}

void parallelMergeSort(int* data, int count, SingleIntegerLess& less, int threadCount) {
  // Every pass over the list (the span, packing, unpacking) runs on the
  // pool as well: one left on the calling thread would bound the speed-up.
  const int parts = std::clamp(threadCount, 1, core::dxMaxUserWorkItems);
  std::vector<PackedIntegerKeys::Range> ranges(static_cast<size_t>(parts));
  auto scan = [&](int AIndex, int ABegin, int AEnd) {
    ranges[static_cast<size_t>(AIndex)] = PackedIntegerKeys::Scan(data, ABegin, AEnd, less.values);
  };
  runSlicesOnPool(count, parts, scan);
  PackedIntegerKeys::Range range;
  for (const PackedIntegerKeys::Range& part : ranges) range.Join(part);
  PackedIntegerKeys keys;
  if (!keys.Prepare(range, count, less)) {
    parallelMergeSort<int, SingleIntegerLess>(data, count, less, threadCount);
    return;
  }
  auto pack = [&](int, int ABegin, int AEnd) { keys.Pack(data, ABegin, AEnd); };
  runSlicesOnPool(count, parts, pack);
  PackedIntegerLess packedLess;
  parallelMergeSort(keys.Keys(), count, packedLess, threadCount);
  auto unpack = [&](int, int ABegin, int AEnd) { keys.Unpack(data, ABegin, AEnd); };
  runSlicesOnPool(count, parts, unpack);
}

// One Float or DateTime column without nulls, as the storage compares reals
// (a NaN equals anything).
struct SingleRealLess {
  const double* values;
  bool descending;
  bool operator()(int i, int j) const {
    const double a = values[i], b = values[j];
    if (a != b && !std::isnan(a) && !std::isnan(b)) return descending ? a > b : a < b;
    return i < j;
  }
};

// The same order as SingleRealLess on one thread, without comparisons: the
// reals become unsigned keys that order as the values do, and a stable
// radix sort over (key, position) pairs keeps ties in position order.
// Declines (false) when a NaN is present, which equals every value and so
// has no place in such an order.
std::uint64_t realSortKey(double AValue, bool ADescending) {
  const double value = AValue == 0 ? 0.0 : AValue;  // -0 equals +0
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  bits = (bits >> 63) != 0 ? ~bits : bits | (std::uint64_t{1} << 63);
  return ADescending ? ~bits : bits;
}

// Keys that differ only in a narrow band of bits (dates of a few years,
// small whole numbers: what grouping columns mostly hold) are ordered by
// one stable counting pass over that band, writing positions straight
// into the order.
constexpr int kRealKeyCountingBits = 16;

// Each non-empty bucket is a run of equal values; their first positions go
// to ARuns, so that the grouping pass needs no comparison at all.
void countingSortRealKeys(const std::vector<double>& AValues, bool ADescending, int ALowBit, int ABits,
                          std::vector<int>& AOrder, std::vector<int>& ARuns) {
  const size_t count = AValues.size();
  const std::uint64_t mask = (std::uint64_t{1} << ABits) - 1;
  std::vector<std::uint16_t> digits(count);
  std::vector<int> offsets((size_t{1} << ABits) + 1, 0);
  for (size_t i = 0; i < count; ++i) {
    const auto digit = static_cast<std::uint16_t>((realSortKey(AValues[i], ADescending) >> ALowBit) & mask);
    digits[i] = digit;
    ++offsets[size_t{digit} + 1];
  }
  for (size_t b = 1; b < offsets.size(); ++b) offsets[b] += offsets[b - 1];
  ARuns.clear();
  for (size_t b = 0; b + 1 < offsets.size(); ++b)
    if (offsets[b + 1] > offsets[b]) ARuns.push_back(offsets[b]);
  for (size_t i = 0; i < count; ++i) AOrder[static_cast<size_t>(offsets[digits[i]]++)] = static_cast<int>(i);
}

// ARuns: the first positions of the runs of equal values when the pass
// found them (left empty otherwise).
bool radixSortReals(const std::vector<double>& AValues, bool ADescending, std::vector<int>& AOrder,
                    std::vector<int>& ARuns) {
  struct Entry {
    std::uint64_t key;
    int position;
  };
  const size_t count = AValues.size();
  if (count == 0) return true;
  const std::uint64_t firstKey = realSortKey(AValues[0], ADescending);
  std::uint64_t differing = 0;  // the key bits that are not the same in every entry
  for (size_t i = 0; i < count; ++i) {
    if (std::isnan(AValues[i])) return false;
    differing |= realSortKey(AValues[i], ADescending) ^ firstKey;
  }
  if (differing == 0) {
    for (size_t i = 0; i < count; ++i) AOrder[i] = static_cast<int>(i);  // all equal: position order
    ARuns.assign(1, 0);
    return true;
  }
  const int lowBit = __builtin_ctzll(differing);
  const int bits = 64 - __builtin_clzll(differing) - lowBit;
  if (bits <= kRealKeyCountingBits) {
    countingSortRealKeys(AValues, ADescending, lowBit, bits, AOrder, ARuns);
    return true;
  }
  std::vector<Entry> entries(count);
  for (size_t i = 0; i < count; ++i) entries[i] = Entry{realSortKey(AValues[i], ADescending), static_cast<int>(i)};
  std::vector<Entry> scratch;
  for (unsigned shift = 0; shift < 64; shift += 8) {
    if (((differing >> shift) & 0xFF) == 0) continue;  // a digit that all keys share moves nothing
    scratch.resize(count);
    std::array<size_t, 257> offsets{};
    for (const Entry& entry : entries) ++offsets[((entry.key >> shift) & 0xFF) + 1];
    for (size_t b = 1; b < offsets.size(); ++b) offsets[b] += offsets[b - 1];
    for (const Entry& entry : entries) scratch[offsets[(entry.key >> shift) & 0xFF]++] = entry;
    entries.swap(scratch);
  }
  for (size_t i = 0; i < count; ++i) AOrder[i] = entries[i].position;
  return true;
}

// One case-insensitive text column without nulls: keys only.
struct SingleTextKeyLess {
  const rtl::TAnsiTextSortKeys* keys;
  bool descending;
  bool operator()(int i, int j) const {
    const int result = keys->Compare(static_cast<size_t>(i), static_cast<size_t>(j));
    if (result != 0) return descending ? result > 0 : result < 0;
    return i < j;
  }
};
}  // namespace

// --- columns the summary reads -------------------------------------------------------------------
// A record block is read whole from memory however few of its values are
// wanted: the Currency and Float values the coming summary adds up are read
// in the same pass as the first sort key, then handed to the summary.
struct TcxCustomDataControllerInfo::SummaryColumns {
  struct Column {
    TcxValueDef* valueDef = nullptr;
    std::vector<std::int64_t> bits;    // by record index; the value's 8 bytes
    std::vector<unsigned char> nulls;  // empty when no listed value is null
  };
  std::vector<Column> columns;
  bool read = false;   // the pass ran
  bool valid = true;   // every listed record had a slot
  void Read(const TcxDataStorage* AStorage, int ARecord) {
    const size_t slot = static_cast<size_t>(static_cast<unsigned>(ARecord));
    for (Column& column : columns) {
      if (slot >= column.bits.size()) {
        valid = false;
        return;
      }
      TcxPreparedValue prepared = nullptr;
      if (AStorage->GetCompareInfo(ARecord, column.valueDef, prepared)) {
        if (column.nulls.empty()) column.nulls.assign(column.bits.size(), 0);
        column.nulls[slot] = 1;
      } else {
        std::memcpy(&column.bits[slot], prepared, sizeof column.bits[slot]);
      }
    }
  }
};

// --- sort keys ---------------------------------------------------------------------------------
// The values of every sorting field read once per listed record, so that the
// sort compares in place instead of going through the storage (or building
// variants) on each of its n log n comparisons. Each column answers what
// CompareByField answers for the same two records.
struct TcxCustomDataControllerInfo::SortKeys {
  enum Kind { NativeInteger, NativeText, Native, Values, Generic, CaseText, NativeReal };
  // Integer-like values copied out of the record blocks, so that a
  // comparison reads two neighbouring array slots instead of two scattered
  // records.
  struct TextKey {
    const String* text;  // null for an empty reference
    unsigned char isNull;
  };
  struct Column {
    Kind kind = Generic;
    std::vector<long long> integers;
    std::vector<unsigned char> integerNulls;  // empty when no value is null (NativeReal too)
    std::vector<double> reals;                 // Float and DateTime values copied out
    std::vector<TextKey> textKeys;
    bool descending = false;
    TcxCustomDataField* field = nullptr;
    TcxValueDef* valueDef = nullptr;
    std::vector<TcxPreparedValue> prepared;
    std::vector<unsigned char> isNull;
    std::vector<Variant> values;
    std::vector<String> texts;
    std::vector<unsigned char> isText;
    // Case-insensitive texts: their collation keys, built once, stand in
    // for AnsiCompareText (empty otherwise).
    rtl::TAnsiTextSortKeys caseKeys;
  };
  // Integer-like and String values straight from the storage; the column
  // keeps the generic form for every other type.
  static void extractNative(Column& AColumn, const TcxDataStorage* AStorage, const std::vector<int>& AList,
                            SummaryColumns* AExtras = nullptr);
  // Stored String values compared ignoring case: read in place (no variant
  // or copy per record) with their collation keys; what Values would answer.
  static void extractCaseText(Column& AColumn, const TcxDataStorage* AStorage, const std::vector<int>& AList);
  // The column of one sorting field over the listed records, in the form
  // that field compares in.
  Column makeColumn(const TcxDataSortInfo& AEntry) const;

  TcxCustomDataControllerInfo* info = nullptr;
  const std::vector<int>* list = nullptr;
  // Read along with the first column when set (see SummaryColumns).
  SummaryColumns* extras = nullptr;
  // After a sort by one column that found them: the sorted positions where
  // a run of equal values of that column starts (empty when unknown).
  std::vector<int> firstColumnRuns;
  bool wholeRecords = false;  // editing anchors: compare through CompareRecords
  std::vector<Column> columns;

  int compareColumn(const Column& c, int i, int j) const {
    const size_t a = static_cast<size_t>(i), b = static_cast<size_t>(j);
    switch (c.kind) {
      case NativeInteger: {
        if (!c.integerNulls.empty() && (c.integerNulls[a] || c.integerNulls[b]))
          return c.integerNulls[a] == c.integerNulls[b] ? 0 : (c.integerNulls[a] ? -1 : 1);
        const long long x = c.integers[a], y = c.integers[b];
        return x < y ? -1 : (x > y ? 1 : 0);
      }
      case NativeReal: {
        if (!c.integerNulls.empty() && (c.integerNulls[a] || c.integerNulls[b]))
          return c.integerNulls[a] == c.integerNulls[b] ? 0 : (c.integerNulls[a] ? -1 : 1);
        // As the storage compares reals: a NaN equals anything.
        const double x = c.reals[a], y = c.reals[b];
        if (x == y || std::isnan(x) || std::isnan(y)) return 0;
        return x > y ? 1 : -1;
      }
      case NativeText: {
        const TextKey& x = c.textKeys[a];
        const TextKey& y = c.textKeys[b];
        if (x.isNull || y.isNull) return x.isNull == y.isNull ? 0 : (x.isNull ? -1 : 1);
        if (x.text == nullptr || y.text == nullptr) return x.text == y.text ? 0 : (x.text == nullptr ? -1 : 1);
        return rtl::CompareStr(*x.text, *y.text);
      }
      case Native:
        if (c.valueDef == nullptr) return 0;
        return c.valueDef->CompareValues(c.isNull[a] != 0, c.isNull[b] != 0, c.prepared[a], c.prepared[b]);
      case CaseText: {
        const TextKey& x = c.textKeys[a];
        const TextKey& y = c.textKeys[b];
        const bool xText = x.text != nullptr, yText = y.text != nullptr;
        if (xText && yText) return c.caseKeys.Compare(a, b);
        // A null (or an empty reference, which reads as null) against
        // anything: the variants Values would have held.
        return VarCompare(xText ? Variant(*x.text) : rtl::Null(), yText ? Variant(*y.text) : rtl::Null());
      }
      case Values:
        if (c.isText[a] && c.isText[b])
          return c.caseKeys.Count() != 0 ? c.caseKeys.Compare(a, b) : info->StringCompare(c.texts[a], c.texts[b]);
        return VarCompare(c.values[a], c.values[b]);
      default:
        return info->CompareByField((*list)[a], (*list)[b], c.field, dccmSorting);
    }
  }
  // Asks early for the key of a column index that a comparison will read
  // soon (the grouping pass reads them in sorted, not column, order).
  static void prefetch(const Column& c, int i) {
    const size_t a = static_cast<size_t>(i);
    switch (c.kind) {
      case NativeInteger: __builtin_prefetch(c.integers.data() + a); break;
      case NativeReal: __builtin_prefetch(c.reals.data() + a); break;
      case NativeText:
      case CaseText: __builtin_prefetch(c.textKeys.data() + a); break;
      default: break;
    }
  }
  // The list is in ascending record order when the sort starts, so a tie
  // between positions is the tie between record indexes.
  bool operator()(int i, int j) const {
    if (wholeRecords) return info->CompareRecords((*list)[static_cast<size_t>(i)], (*list)[static_cast<size_t>(j)]) < 0;
    for (const Column& c : columns) {
      const int result = compareColumn(c, i, j);
      if (result != 0) return c.descending ? result > 0 : result < 0;
    }
    return i < j;
  }
};

// --- construction and the update cycle ---------------------------------------------------------
TcxCustomDataControllerInfo::TcxCustomDataControllerInfo(TcxCustomDataController* ADataController)
    : FDataController(ADataController) {}

TcxCustomDataControllerInfo::~TcxCustomDataControllerInfo() = default;

void TcxCustomDataControllerInfo::EndUpdate() {
  --FLockCount;
  CheckUpdate();
}

void TcxCustomDataControllerInfo::Change(TcxDataControllerInfoChanges AChanges) {
  FChanges += AChanges;
  CheckUpdate();
}

void TcxCustomDataControllerInfo::CheckUpdate() {
  if (FLockCount != 0 || FInUpdate || FChanges.empty()) return;
  // A controller on its way out rebuilds nothing.
  if (FDataController->IsDestroying()) return;
  Update();
}

void TcxCustomDataControllerInfo::Refresh() {
  TcxDataControllerInfoChanges changes{dcicLoad};
  if (!FSortingFieldList.empty()) changes += dcicSorting;
  if (!FGroupingFieldList.empty()) changes += dcicGrouping;
  Change(changes);
}

void TcxCustomDataControllerInfo::Update() {
  {
    // The rebuild runs under the shared counter, so that what the controller
    // reports meanwhile waits for the forwarded set.
    rtl::ScopedValue<bool> inUpdate(FInUpdate, true);
    rtl::ScopedValue<bool> calculating(FInfoCalculation, true);
    ++FLockCount;
    rtl::ScopeExit unlock([this] { --FLockCount; });
    FDataController->CheckMode(FGridMode);
    // A change of what orders the groups sorts again; leaving the summary
    // order also rebuilds the groups and their values in the plain order.
    if (FDataController->FSortingBySummaryChangedFlag) {
      FChanges += dcicSorting;
      if (!IsSortingBySummary()) FChanges += TcxDataControllerInfoChanges{dcicSummary, dcicGrouping};
    }
    const bool ordering = FChanges.contains(dcicSorting) || FChanges.contains(dcicGrouping);
    // Summaries are owed for a reload, a summary change and new groups (the
    // groups carry their values); they read the finished list.
    const bool regrouping = FChanges.contains(dcicGrouping) ||
                            (IsGrouped() && (FChanges.contains(dcicLoad) || FChanges.contains(dcicSorting)));
    const bool summary = FDataController->IsSummaryCalculationNeeded(FChanges, regrouping);
    // Columns the sort read for the summary serve this update only.
    rtl::ScopedValue<bool> summaryOwed(FSummaryOwed, summary);
    rtl::ScopeExit dropColumns([this] {
      if (TcxDataSummary* owned = FDataController->SummaryIfCreated()) owned->DropPreparedColumns();
    });
    DoUpdate();
    if (summary) FDataController->CalculateSummaryOfRecordList();
    // The engine reads the group summaries just calculated.
    if ((ordering || summary) && IsGrouped() && IsSortingBySummary()) DoSortBySummary();
  }
  ForwardChanges();
}

void TcxCustomDataControllerInfo::DoUpdate() {
  const bool load = FChanges.contains(dcicLoad);
  const bool sorting = FChanges.contains(dcicSorting);
  const bool grouping = FChanges.contains(dcicGrouping);
  // The groups are rebuilt from scratch below: their expansion is saved by
  // group values first and restored by them afterwards.
  saveExpanding();
  if (load) {
    DoLoad();
    DoFilter();
  }
  if (sorting || grouping) DoSort();
  const bool regrouped = grouping || ((load || sorting) && IsGrouped());
  if (regrouped) {
    if (grouping) FDataController->BeforeGroupingNotification();
    DoGrouping();
    FGroupsFields.clear();
    for (const TcxDataSortInfo& entry : FGroupingFieldList) FGroupsFields.push_back(entry.Field);
    // A focused group row of the old grouping means nothing in the new one.
    if (grouping) FFocusedLevel = -1;
  }
  rebuildPositions();
  if (regrouped) restoreExpanding();
  rebuildRows();
  RecalcSelection();
  // A bookmarked record filtered out (or gone) is no longer a bookmark.
  FDataController->CheckBookmarkValid(-1);
  if (FDataController->NewItemRowFocused()) return;
  // A focused record that has gone focuses nothing.
  if (FFocusingInfo.RecordIndex >= FDataController->GetRecordCount()) FFocusingInfo.RecordIndex = -1;
  const bool focusTop = (sorting || grouping || FDataController->LoadedStorage()) &&
                        FDataController->GetFocusTopRowAfterSortingSetting() && !FDataController->InNotifyControl();
  checkFocusing(focusTop);
}

void TcxCustomDataControllerInfo::ForwardChanges() {
  TcxDataControllerInfoChanges changes = FChanges;
  FChanges = {};
  FDataController->ForwardInfoChanges(changes);
}

// --- load and filter ---------------------------------------------------------------------------
void TcxCustomDataControllerInfo::DoLoad() {
  const int count = FDataController->GetRecordCount();
  FRecordList.resize(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) FRecordList[static_cast<size_t>(i)] = i;
}

bool TcxCustomDataControllerInfo::acceptsRecord(int ARecordIndex) {
  if (FFilter != nullptr && FFilter->IsFiltering() && !FFilter->Accepts(ARecordIndex)) return false;
  if (!FGridMode && FDataController->FOnFilterRecord) {
    bool accept = true;
    FDataController->FOnFilterRecord(FDataController, ARecordIndex, accept);
    if (!accept) return false;
  }
  if (HasIncrementalFilter()) {
    const String text = rtl::AnsiUpperCase(FDataController->GetInternalDisplayText(ARecordIndex, FIncrementalFilterField));
    if (!DataCompareText(text, rtl::AnsiUpperCase(FIncrementalFilterText), true)) return false;
  }
  if (FFindFilter != nullptr && FFindFilter->IsFiltering() && !FFindFilter->Accepts(ARecordIndex)) return false;
  return true;
}

void TcxCustomDataControllerInfo::DoFilter() {
  if (FRecordList.empty()) return;
  const bool criteria = FFilter != nullptr && FFilter->IsFiltering();
  const bool findPanel = FFindFilter != nullptr && FFindFilter->IsFiltering();
  const bool recordFilter = !FGridMode && static_cast<bool>(FDataController->FOnFilterRecord);
  if (!criteria && !findPanel && !recordFilter && !HasIncrementalFilter()) return;
  const int editing = FDataController->Provider()->EditingRecordIndex();
  const size_t before = FRecordList.size();
  {
    // Packed even when a test raises: a half-marked list must not survive.
    rtl::ScopeExit pack([this] {
      FRecordList.erase(std::remove(FRecordList.begin(), FRecordList.end(), cxDeletedRecord), FRecordList.end());
    });
    auto test = [&](int index) {
      int& entry = FRecordList[static_cast<size_t>(index)];
      if (entry != editing && !acceptsRecord(entry)) entry = cxDeletedRecord;
    };
    TcxCustomDataSource* source = FDataController->GetCustomDataSource();
    core::TdxMultithreadedListIterator* iterator = core::dxListIterator();
    const bool threaded = FMultiThreadedFiltering && iterator != nullptr && core::dxCanUseMultiThreading() &&
                          (source == nullptr || source->IsMultiThreadingSupported()) &&
                          (!criteria || FFilter->SupportsMultiThreading()) &&
                          (!findPanel || FFindFilter->SupportsMultiThreading());
    if (threaded) {
      WorkerFailure failure;
      struct Context {
        decltype(test)* run;
        WorkerFailure* failure;
      } context{&test, &failure};
      auto item = [](void* AContext, int AIndex) -> bool {
        auto* c = static_cast<Context*>(AContext);
        try {
          (*c->run)(AIndex);
          return false;
        } catch (...) {
          c->failure->Capture();
          return true;  // the other chunks may stop early: the pass has failed
        }
      };
      using ItemFunc = bool (*)(void*, int);
      static_assert(std::is_convertible_v<decltype(item), ItemFunc>);
      iterator->Iterate(&context, static_cast<int>(FRecordList.size()), false,
                        core::TdxIteratorItemFunc::fromFunction(static_cast<ItemFunc>(item)));
      failure.Rethrow();
    } else {
      for (int i = 0, n = static_cast<int>(FRecordList.size()); i < n; ++i) test(i);
    }
  }
  if (FRecordList.size() < before) {
    CheckSelectedCount();
    if (FDataController->TakeCheckFocusingAfterFilterNeeded()) FDataController->SetFilterChangedFlag();
  }
}

void TcxCustomDataControllerInfo::SetFilter(TcxRecordListFilter* AFilter) {
  FFilter = AFilter;
  FDataController->SetCheckFocusingAfterFilterNeeded();
  Refresh();
}

void TcxCustomDataControllerInfo::SetFindFilter(TcxRecordListFilter* AFilter) {
  FFindFilter = AFilter;
  FDataController->SetCheckFocusingAfterFilterNeeded();
  FChanges += dcicFindFilter;
  Refresh();
}

int TcxCustomDataControllerInfo::SetIncrementalFilter(TcxCustomDataField* AField, const String& AText) {
  FIncrementalFilterField = AField;
  FIncrementalFilterText = AText;
  FDataController->SetCheckFocusingAfterFilterNeeded();
  Refresh();
  return FRecordList.empty() ? -1 : FRecordList.front();
}

void TcxCustomDataControllerInfo::ResetIncrementalFilter() {
  const bool active = HasIncrementalFilter();
  FIncrementalFilterField = nullptr;
  FIncrementalFilterText.clear();
  if (active && !FDataController->IsDestroying()) Refresh();
}

// --- comparison ----------------------------------------------------------------------------------
bool TcxCustomDataControllerInfo::editingAnchorsSet() const {
  const TcxCustomDataProvider* provider = FDataController->Provider();
  return provider->EditingRecordIndex1() != cxNullEditingRecordIndex ||
         provider->EditingRecordIndex2() != cxNullEditingRecordIndex;
}

int TcxCustomDataControllerInfo::StringCompare(const String& S1, const String& S2) const {
  if (FDataController->GetCaseInsensitiveSetting()) return rtl::AnsiCompareText(S1, S2);
  if (FDataController->GetAnsiSortSetting()) return rtl::AnsiCompareStr(S1, S2);
  return rtl::CompareStr(S1, S2);
}

namespace {
bool isSortByDisplayTextNeeded(const TcxCustomDataController* AController, TcxCustomDataField* AField) {
  if (AField->IsInternal()) return false;
  return AController->GetItemSortByDisplayText(AField->GetIndex(), AController->GetSortByDisplayTextSetting());
}

bool isStringConversionNeeded(const TcxCustomDataController* AController, TcxCustomDataField* AField) {
  if (!AController->GetAnsiSortSetting() && !AController->GetCaseInsensitiveSetting()) return false;
  const TcxValueTypeClass type = AField->GetValueTypeClass();
  return type != nullptr && type->IsString();
}
}  // namespace

bool TcxCustomDataControllerInfo::IsConversionNeededForCompare(TcxCustomDataField* AField) const {
  const int flag = AField->NeedConversionFlag();
  if (flag != cfUndefined) return flag == cfNeeded || flag == cfSortByDisplayText;
  if (AField->NeedConversion() || isStringConversionNeeded(FDataController, AField) ||
      isSortByDisplayTextNeeded(FDataController, AField))
    return true;
  TcxCustomDataSource* source = FDataController->GetCustomDataSource();
  return source != nullptr && !source->IsNativeCompare();
}

Variant TcxCustomDataControllerInfo::GetComparedValue(int ARecordIndex, TcxCustomDataField* AField) const {
  if (AField->NeedConversionFlag() == cfSortByDisplayText)
    return Variant(FDataController->GetInternalDisplayText(ARecordIndex, AField));
  return FDataController->GetInternalValue(ARecordIndex, AField);
}

int TcxCustomDataControllerInfo::CompareByField(int ARecordIndex1, int ARecordIndex2, TcxCustomDataField* AField,
                                                TcxDataControllerComparisonMode) {
  TcxCustomDataController& dc = *FDataController;
  const bool handler = static_cast<bool>(dc.FOnCompare) && !AField->IsInternal();
  if (handler || IsConversionNeededForCompare(AField)) {
    TcxCustomDataSource* source = dc.GetCustomDataSource();
    if (!handler && source != nullptr && source->IsNativeCompareFunc() && ARecordIndex1 >= 0 && ARecordIndex2 >= 0)
      return dc.Provider()->NativeCompareFunc(ARecordIndex1, ARecordIndex2, AField);
    const Variant v1 = GetComparedValue(ARecordIndex1, AField);
    const Variant v2 = GetComparedValue(ARecordIndex2, AField);
    if (handler) {
      int result = 0;
      dc.FOnCompare(&dc, ARecordIndex1, ARecordIndex2, AField->GetIndex(), v1, v2, result);
      return result;
    }
    if (rtl::VarIsStr(v1) && rtl::VarIsStr(v2)) return StringCompare(rtl::VarToStr(v1), rtl::VarToStr(v2));
    return VarCompare(v1, v2);
  }
  TcxValueDef* valueDef = AField->GetValueDef();
  if (dc.IsProviderMode()) return dc.Provider()->NativeCompare(ARecordIndex1, ARecordIndex2, AField);
  if (valueDef == nullptr) return 0;
  return dc.DataStorage()->CompareRecords(ARecordIndex1, ARecordIndex2, valueDef);
}

int TcxCustomDataControllerInfo::CompareRecords(int ARecordIndex1, int ARecordIndex2) {
  if (ARecordIndex1 == ARecordIndex2) return 0;
  if (editingAnchorsSet()) {
    const TcxCustomDataProvider* provider = FDataController->Provider();
    const int editing = provider->EditingRecordIndex();
    if (ARecordIndex1 == editing || ARecordIndex2 == editing) {
      if (provider->EditingRecordIndex1() != cxNullEditingRecordIndex) return ARecordIndex1 == editing ? 1 : -1;
      const int anchor = provider->EditingRecordIndex2();
      if (ARecordIndex1 == editing) {
        if (ARecordIndex2 == anchor) return -1;
        ARecordIndex1 = anchor;
      } else {
        if (ARecordIndex1 == anchor) return 1;
        ARecordIndex2 = anchor;
      }
    }
  }
  for (const TcxDataSortInfo& entry : FTotalSortingFieldList) {
    const int result = CompareByField(ARecordIndex1, ARecordIndex2, entry.Field, dccmSorting);
    if (result != 0) return entry.SortOrder == soDescending ? -result : result;
  }
  return ARecordIndex1 < ARecordIndex2 ? -1 : (ARecordIndex1 > ARecordIndex2 ? 1 : 0);
}

int TcxCustomDataControllerInfo::CompareGroupRecords(int ARecordIndex1, int ARecordIndex2, int ALevel) {
  if (ARecordIndex1 == ARecordIndex2) return 0;
  const TcxCustomDataProvider* provider = FDataController->Provider();
  const int editing = provider->EditingRecordIndex();
  if (provider->SavedRecordIndex() != 0) {
    // The edited record still belongs where its values before the edit put it.
    if (ARecordIndex1 == editing) ARecordIndex1 = provider->SavedRecordIndex();
    if (ARecordIndex2 == editing) ARecordIndex2 = provider->SavedRecordIndex();
  } else if (provider->IsInserting() && editingAnchorsSet() &&
             (ARecordIndex1 == editing || ARecordIndex2 == editing)) {
    if (provider->EditingRecordIndex1() != cxNullEditingRecordIndex) return 0;
    if (ARecordIndex1 == editing) ARecordIndex1 = provider->EditingRecordIndex2();
    if (ARecordIndex2 == editing) ARecordIndex2 = provider->EditingRecordIndex2();
  }
  const TcxDataSortInfo& entry = FTotalSortingFieldList.at(static_cast<size_t>(ALevel));
  const int result = CompareByField(ARecordIndex1, ARecordIndex2, entry.Field, dccmGrouping);
  return entry.SortOrder == soDescending ? -result : result;
}

void TcxCustomDataControllerInfo::PrepareSorting(TcxDataControllerComparisonMode) {
  for (const TcxDataSortInfo& entry : FTotalSortingFieldList) {
    TcxCustomDataField* field = entry.Field;
    field->ResetComparison();
    int flag = cfNotNeeded;
    if (IsConversionNeededForCompare(field))
      flag = isSortByDisplayTextNeeded(FDataController, field) ? cfSortByDisplayText : cfNeeded;
    field->PrepareComparison(flag);
  }
}

void TcxCustomDataControllerInfo::UnprepareSorting() {
  for (const TcxDataSortInfo& entry : FTotalSortingFieldList) entry.Field->ResetComparison();
}

// --- sorting -------------------------------------------------------------------------------------
namespace {
// The reader of a slot of an integer-like type; null for other types.
using IntegerRead = long long (*)(TcxPreparedValue);
template <class T>
long long readInteger(TcxPreparedValue p) {
  T value;
  std::memcpy(&value, p, sizeof value);
  return static_cast<long long>(value);
}

IntegerRead integerReader(TcxValueTypeClass AType) {
  if (AType == TcxIntegerValueType::Instance()) return &readInteger<std::int32_t>;
  if (AType == TcxSmallintValueType::Instance()) return &readInteger<std::int16_t>;
  if (AType == TcxWordValueType::Instance()) return &readInteger<std::uint16_t>;
  if (AType == TcxLargeIntValueType::Instance() || AType == TcxCurrencyValueType::Instance())
    return &readInteger<std::int64_t>;
  if (AType == TcxBooleanValueType::Instance()) return &readInteger<std::uint8_t>;
  return nullptr;
}
}  // namespace

void TcxCustomDataControllerInfo::SortKeys::extractNative(Column& AColumn, const TcxDataStorage* AStorage,
                                                          const std::vector<int>& AList, SummaryColumns* AExtras) {
  const TcxValueTypeClass type = AColumn.valueDef->ValueTypeClass();
  const size_t count = AList.size();
  // The summary's columns ride along in the same pass over the records.
  const bool walks = integerReader(type) != nullptr || type == TcxFloatValueType::Instance() ||
                     type == TcxDateTimeValueType::Instance() || type == TcxStringValueType::Instance();
  if (AExtras != nullptr && (AExtras->columns.empty() || !walks)) AExtras = nullptr;
  if (AExtras != nullptr) AExtras->read = true;
  if (const IntegerRead read = integerReader(type)) {
    AColumn.kind = SortKeys::NativeInteger;
    AColumn.integers.reserve(count);
    for (size_t i = 0; i < count; ++i) {
      if (AExtras != nullptr) AExtras->Read(AStorage, AList[i]);
      TcxPreparedValue prepared = nullptr;
      const bool isNull = AStorage->GetCompareInfo(AList[i], AColumn.valueDef, prepared);
      if (isNull && AColumn.integerNulls.empty()) AColumn.integerNulls.assign(count, 0);
      if (isNull) AColumn.integerNulls[i] = 1;
      AColumn.integers.push_back(isNull ? 0 : read(prepared));
    }
  } else if (type == TcxFloatValueType::Instance() || type == TcxDateTimeValueType::Instance()) {
    AColumn.kind = SortKeys::NativeReal;
    AColumn.reals.reserve(count);
    for (size_t i = 0; i < count; ++i) {
      if (AExtras != nullptr) AExtras->Read(AStorage, AList[i]);
      TcxPreparedValue prepared = nullptr;
      const bool isNull = AStorage->GetCompareInfo(AList[i], AColumn.valueDef, prepared);
      if (isNull && AColumn.integerNulls.empty()) AColumn.integerNulls.assign(count, 0);
      if (isNull) AColumn.integerNulls[i] = 1;
      double value = 0;
      if (!isNull) std::memcpy(&value, prepared, sizeof value);
      AColumn.reals.push_back(value);
    }
  } else if (type == TcxStringValueType::Instance()) {
    AColumn.kind = SortKeys::NativeText;
    AColumn.textKeys.resize(count);
    for (size_t i = 0; i < count; ++i) {
      if (AExtras != nullptr) AExtras->Read(AStorage, AList[i]);
      TcxPreparedValue prepared = nullptr;
      const bool isNull = AStorage->GetCompareInfo(AList[i], AColumn.valueDef, prepared);
      AColumn.textKeys[i] =
          SortKeys::TextKey{isNull ? nullptr : TcxStringValueType::StringOf(prepared), static_cast<unsigned char>(isNull)};
    }
  }
}

void TcxCustomDataControllerInfo::SortKeys::extractCaseText(Column& AColumn, const TcxDataStorage* AStorage,
                                                            const std::vector<int>& AList) {
  const size_t count = AList.size();
  AColumn.textKeys.resize(count);
  std::vector<rtl::StringView> views(count);
  for (size_t i = 0; i < count; ++i) {
    TcxPreparedValue prepared = nullptr;
    const bool isNull = AStorage->GetCompareInfo(AList[i], AColumn.valueDef, prepared);
    const String* text = isNull ? nullptr : TcxStringValueType::StringOf(prepared);
    AColumn.textKeys[i] = TextKey{text, static_cast<unsigned char>(isNull)};
    if (text != nullptr) views[i] = *text;
  }
  AColumn.caseKeys.Build(views.data(), views.size());
}

namespace {
// Whether a sorting field converts only because texts compare ignoring case:
// a stored String field of the storage, no display texts, no conversion of
// its own, listed records only.
bool isPlainCaseInsensitiveText(TcxCustomDataController& ADataController, TcxCustomDataField* AField,
                                const std::vector<int>& AList) {
  if (!ADataController.GetCaseInsensitiveSetting() || ADataController.IsProviderMode() || AField->NeedConversion() ||
      AField->NeedConversionFlag() == cfSortByDisplayText || isSortByDisplayTextNeeded(&ADataController, AField))
    return false;
  TcxCustomDataSource* source = ADataController.GetCustomDataSource();
  if (source != nullptr && !source->IsNativeCompare()) return false;
  const TcxValueDef* valueDef = AField->GetValueDef();
  if (valueDef == nullptr || valueDef->ValueTypeClass() != TcxStringValueType::Instance()) return false;
  return std::all_of(AList.begin(), AList.end(), [](int ARecord) { return ARecord >= 0; });
}
}  // namespace

TcxCustomDataControllerInfo::SortKeys::Column TcxCustomDataControllerInfo::SortKeys::makeColumn(
    const TcxDataSortInfo& AEntry) const {
  TcxCustomDataController& dc = *info->FDataController;
  const size_t count = list->size();
  Column column;
  column.field = AEntry.Field;
  column.descending = AEntry.SortOrder == soDescending;
  const bool handler = static_cast<bool>(dc.FOnCompare) && !AEntry.Field->IsInternal();
  if (handler || dc.IsProviderMode()) {
    column.kind = Generic;
  } else if (info->IsConversionNeededForCompare(AEntry.Field) && isPlainCaseInsensitiveText(dc, AEntry.Field, *list)) {
    column.kind = CaseText;
    column.valueDef = AEntry.Field->GetValueDef();
    extractCaseText(column, dc.DataStorage(), *list);
  } else if (info->IsConversionNeededForCompare(AEntry.Field)) {
    column.kind = Values;
    column.values.resize(count);
    column.texts.resize(count);
    column.isText.resize(count);
    for (size_t i = 0; i < count; ++i) {
      column.values[i] = info->GetComparedValue((*list)[i], AEntry.Field);
      if (rtl::VarIsStr(column.values[i])) {
        column.isText[i] = 1;
        column.texts[i] = rtl::VarToStr(column.values[i]);
      }
    }
    if (dc.GetCaseInsensitiveSetting()) {
      // Non-text entries compare as variants and never read their key.
      const std::vector<rtl::StringView> views(column.texts.begin(), column.texts.end());
      column.caseKeys.Build(views.data(), views.size());
    }
  } else {
    column.kind = Native;
    column.valueDef = AEntry.Field->GetValueDef();
    if (column.valueDef != nullptr) extractNative(column, dc.DataStorage(), *list, extras);
    if (column.valueDef != nullptr && column.kind == Native) {
      column.prepared.resize(count);
      column.isNull.resize(count);
      const TcxDataStorage* storage = dc.DataStorage();
      for (size_t i = 0; i < count; ++i) {
        TcxPreparedValue prepared = nullptr;
        column.isNull[i] = storage->GetCompareInfo((*list)[i], column.valueDef, prepared) ? 1 : 0;
        column.prepared[i] = prepared;
      }
    }
  }
  return column;
}

void TcxCustomDataControllerInfo::DoSort() {
  FGroupingKeys.reset();
  FGroupingKeyOrder.clear();
  FGroupingKeyOrderIsList = false;
  FTotalSortingFieldList = FGroupingFieldList;
  FTotalSortingFieldList.insert(FTotalSortingFieldList.end(), FSortingFieldList.begin(), FSortingFieldList.end());
  FLastSortThreaded = false;
  if (FGridMode || FRecordList.size() < 2) return;
  if (FTotalSortingFieldList.empty()) {
    // The last sorting field went away: back to the storage order.
    std::sort(FRecordList.begin(), FRecordList.end());
    return;
  }
  PrepareSorting(dccmSorting);
  rtl::ScopeExit unprepare([this] { UnprepareSorting(); });
  TcxCustomDataController& dc = *FDataController;
  if (dc.IsProviderMode() && dc.Provider()->IsCustomSorting()) {
    dc.Provider()->CustomSort();
    return;
  }
  // A re-sort starts from the storage order, as a fresh load would.
  if (!std::is_sorted(FRecordList.begin(), FRecordList.end())) std::sort(FRecordList.begin(), FRecordList.end());
  const int count = static_cast<int>(FRecordList.size());
  SortKeys keys;
  keys.info = this;
  keys.list = &FRecordList;
  keys.wholeRecords = editingAnchorsSet();
  // The summary that follows a sort of most of the records gets its columns
  // from the first key's pass.
  SummaryColumns summaryColumns;
  TcxDataSummary* summary = dc.SummaryIfCreated();
  const int recordCount = dc.GetRecordCount();
  if (summary != nullptr && FSummaryOwed && !keys.wholeRecords && count >= recordCount / 4)
    for (TcxValueDef* valueDef : summary->ColumnValueDefs())
      summaryColumns.columns.push_back({valueDef, summary->TakeColumnBuffer(static_cast<size_t>(recordCount)), {}});
  keys.extras = &summaryColumns;
  bool fieldsAllowThreads = true;
  for (const TcxDataSortInfo& entry : FTotalSortingFieldList) {
    fieldsAllowThreads = fieldsAllowThreads && entry.Field->SupportsMultiThreading();
    if (!keys.wholeRecords) keys.columns.push_back(keys.makeColumn(entry));
    keys.extras = nullptr;
  }
  if (summaryColumns.read && summaryColumns.valid)
    for (SummaryColumns::Column& column : summaryColumns.columns)
      summary->PrepareColumn(column.valueDef, std::move(column.bits), std::move(column.nulls));
  std::vector<int> order(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) order[static_cast<size_t>(i)] = i;
  TcxCustomDataSource* source = dc.GetCustomDataSource();
  const bool threaded = FMultiThreadedSorting && fieldsAllowThreads && count > 32 && core::dxCanUseMultiThreading() &&
                        (source == nullptr || source->IsMultiThreadingSupported());
  const int threads = threaded ? threadCountForWork() : 1;
  FLastSortThreaded = threads > 1;
  auto run = [&](auto& less) {
    if (threads > 1)
      parallelMergeSort(order.data(), count, less, threads);
    else
      mergeSort(order.data(), count, less);
  };
  if (keys.columns.size() == 1 && keys.columns[0].kind == SortKeys::NativeInteger &&
      keys.columns[0].integerNulls.empty()) {
    // The common case of one integer column without nulls compares plain
    // array values.
    SingleIntegerLess less{keys.columns[0].integers.data(), keys.columns[0].descending};
    run(less);
  } else if (keys.columns.size() == 1 && keys.columns[0].kind == SortKeys::NativeReal &&
             keys.columns[0].integerNulls.empty()) {
    SingleRealLess less{keys.columns[0].reals.data(), keys.columns[0].descending};
    if (threads > 1 || !radixSortReals(keys.columns[0].reals, keys.columns[0].descending, order, keys.firstColumnRuns))
      run(less);
  } else if (keys.columns.size() == 1 && keys.columns[0].kind == SortKeys::CaseText &&
             std::all_of(keys.columns[0].textKeys.begin(), keys.columns[0].textKeys.end(),
                         [](const SortKeys::TextKey& AKey) { return AKey.text != nullptr; })) {
    SingleTextKeyLess less{&keys.columns[0].caseKeys, keys.columns[0].descending};
    run(less);
  } else {
    run(keys);
  }
  // A list of every record in storage order (sorted above, so 0..count-1
  // when its ends are) is its own position map: the sorted positions are the
  // records, with no pass through the old list.
  const bool wholeStorage = FRecordList.front() == 0 && FRecordList.back() == count - 1;
  // The grouping pass that follows finds its boundaries on these keys.
  if (!FGroupingFieldList.empty() && keys.columns.size() >= FGroupingFieldList.size()) {
    if (!wholeStorage) FGroupingKeyOrder = order;
    FGroupingKeyOrderIsList = wholeStorage;
    FGroupingKeys = std::make_unique<SortKeys>(std::move(keys));
  }
  if (!wholeStorage)
    for (int& entry : order) entry = FRecordList[static_cast<size_t>(entry)];
  FRecordList = std::move(order);
}

// --- grouping ------------------------------------------------------------------------------------
void TcxCustomDataControllerInfo::DoGrouping() {
  // The sort's keys serve this pass only: they describe the list as it was sorted.
  std::unique_ptr<SortKeys> sortedKeys = std::move(FGroupingKeys);
  std::vector<int> sortedOrder = std::move(FGroupingKeyOrder);
  const bool orderIsList = FGroupingKeyOrderIsList;
  FGroupingKeys.reset();
  FGroupingKeyOrder.clear();
  FGroupingKeyOrderIsList = false;
  FDataGroups.clear();
  FTopLevelGroupCount = 0;
  const int levels = static_cast<int>(FGroupingFieldList.size());
  const int count = static_cast<int>(FRecordList.size());
  if (count == 0 || levels == 0) return;
  if (FTotalSortingFieldList.size() < static_cast<size_t>(levels)) {
    FTotalSortingFieldList = FGroupingFieldList;
    FTotalSortingFieldList.insert(FTotalSortingFieldList.end(), FSortingFieldList.begin(), FSortingFieldList.end());
  }
  PrepareSorting(dccmGrouping);
  rtl::ScopeExit unprepare([this] { UnprepareSorting(); });
  // The grouping values read once into columns over the list, so that each
  // boundary test compares two array slots instead of two stored records.
  // An edited record that stands in for another compares record by record.
  const TcxCustomDataProvider* provider = FDataController->Provider();
  SortKeys keys;
  keys.info = this;
  keys.list = &FRecordList;
  TcxCustomDataSource* source = FDataController->GetCustomDataSource();
  const bool keyed = provider->SavedRecordIndex() == 0 && !editingAnchorsSet() &&
                     (source == nullptr || !source->IsNativeCompareFunc());
  // The sort's own columns, when it made them for this very list; a column
  // that compares record by record (Generic) goes through the records.
  const bool reuse = keyed && sortedKeys != nullptr && sortedKeys->columns.size() >= static_cast<size_t>(levels) &&
                     (orderIsList || sortedOrder.size() == static_cast<size_t>(count));
  const int* keyOrder = orderIsList ? FRecordList.data() : sortedOrder.data();
  if (keyed && !reuse)
    for (int level = 0; level < levels; ++level)
      keys.columns.push_back(keys.makeColumn(FTotalSortingFieldList[static_cast<size_t>(level)]));
  auto differ = [&](int AFirst, int APosition, int ALevel) {
    if (reuse) {
      const SortKeys::Column& column = sortedKeys->columns[static_cast<size_t>(ALevel)];
      if (column.kind != SortKeys::Generic)
        return sortedKeys->compareColumn(column, keyOrder[AFirst], keyOrder[APosition]) != 0;
    } else if (keyed) {
      return keys.compareColumn(keys.columns[static_cast<size_t>(ALevel)], AFirst, APosition) != 0;
    }
    return CompareGroupRecords(FRecordList[static_cast<size_t>(AFirst)], FRecordList[static_cast<size_t>(APosition)],
                               ALevel) != 0;
  };
  std::vector<int> open(static_cast<size_t>(levels));  // group index open at each level
  auto openFrom = [&](int ALevel, int APosition) {
    for (int level = ALevel; level < levels; ++level) {
      open[static_cast<size_t>(level)] = static_cast<int>(FDataGroups.size());
      FDataGroups.push_back(TcxDataGroupInfo{level, APosition, APosition, false});
    }
    if (ALevel == 0) ++FTopLevelGroupCount;
  };
  auto closeFrom = [&](int ALevel, int APosition) {
    for (int level = levels - 1; level >= ALevel; --level)
      FDataGroups[static_cast<size_t>(open[static_cast<size_t>(level)])].EndRecordListIndex = APosition;
  };
  if (reuse && levels == 1 && !sortedKeys->firstColumnRuns.empty() && sortedKeys->firstColumnRuns.front() == 0 &&
      sortedKeys->firstColumnRuns.back() < count) {
    // The sort's buckets of equal values are the groups themselves.
    const std::vector<int>& runs = sortedKeys->firstColumnRuns;
    FDataGroups.reserve(runs.size());
    for (size_t r = 0; r < runs.size(); ++r) {
      const int end = r + 1 < runs.size() ? runs[r + 1] - 1 : count - 1;
      FDataGroups.push_back(TcxDataGroupInfo{0, runs[r], end, false});
    }
    FTopLevelGroupCount = static_cast<int>(runs.size());
    return;
  }
  openFrom(0, 0);
  constexpr int kGroupingReadAhead = 16;
  // The first level's key when it is a plain number column without nulls:
  // most records continue the open top group, and that test is then one
  // inline comparison (a NaN equals anything, as the column compares).
  const SortKeys::Column* top = reuse ? &sortedKeys->columns[0] : nullptr;
  const double* topReals = top != nullptr && top->kind == SortKeys::NativeReal && top->integerNulls.empty()
                               ? top->reals.data() : nullptr;
  const long long* topIntegers = top != nullptr && top->kind == SortKeys::NativeInteger && top->integerNulls.empty()
                                     ? top->integers.data() : nullptr;
  auto topContinues = [&](int AFirst, int APosition) {
    if (topReals != nullptr) {
      const double x = topReals[keyOrder[AFirst]], y = topReals[keyOrder[APosition]];
      return x == y || std::isnan(x) || std::isnan(y);
    }
    return topIntegers[keyOrder[AFirst]] == topIntegers[keyOrder[APosition]];
  };
  const bool fastTop = topReals != nullptr || topIntegers != nullptr;
  for (int position = 1; position < count; ++position) {
    if (reuse && position + kGroupingReadAhead < count)
      SortKeys::prefetch(sortedKeys->columns[0], keyOrder[position + kGroupingReadAhead]);
    for (int level = 0; level < levels; ++level) {
      const TcxDataGroupInfo& group = FDataGroups[static_cast<size_t>(open[static_cast<size_t>(level)])];
      const bool differs = level == 0 && fastTop ? !topContinues(group.BeginRecordListIndex, position)
                                                 : differ(group.BeginRecordListIndex, position, level);
      if (differs) {
        closeFrom(level, position - 1);
        openFrom(level, position);
        break;
      }
    }
  }
  closeFrom(0, count - 1);
}

// --- groups ordered by a summary -----------------------------------------------------------------
TcxCustomDataController* TcxSortingBySummaryEngine::GetDataController() const {
  return FDataControllerInfo->DataController();
}

bool TcxCustomDataControllerInfo::IsSortingBySummary() const {
  const TcxDataSummary* summary = FDataController->SummaryIfCreated();
  if (summary == nullptr) return false;
  const TcxSummaryOptions options = summary->Options();
  if (options.contains(soSelectedRecords) || options.contains(soMultipleSelectedRecords)) return false;
  for (int level = 0; level < static_cast<int>(FGroupingFieldList.size()); ++level) {
    const TcxDataGroupSummaryItems* items = summary->GetGroupSummaryItems(level);
    if (items != nullptr && items->SortedSummaryItem() != nullptr) return true;
  }
  return false;
}

void TcxCustomDataControllerInfo::DoSortBySummary() {
  if (const TcxSortingBySummaryEngineClass engineClass = FDataController->GetSortingBySummaryEngineClass())
    if (const std::unique_ptr<TcxSortingBySummaryEngine> engine = engineClass(this)) engine->Sort();
  checkInfoAfterReorder();
}

void TcxCustomDataControllerInfo::checkInfoAfterReorder() {
  rebuildPositions();
  rebuildRows();
  RecalcSelection();
  FDataController->CheckBookmarkValid(-1);
  if (FDataController->NewItemRowFocused()) return;
  checkFocusing(false);
}

void TcxCustomDataControllerInfo::ReorderChildGroups(int AParentGroup, const std::vector<int>& ANewOrder) {
  const int groupCount = static_cast<int>(FDataGroups.size());
  if (AParentGroup < -1 || AParentGroup >= groupCount)
    TcxCustomDataController::InvalidOperation(u"Group index out of range");
  // Pre-order: a group's subtree runs up to the next group of its level or above.
  const int childLevel = AParentGroup == -1 ? 0 : FDataGroups[static_cast<size_t>(AParentGroup)].Level + 1;
  const int first = AParentGroup + 1;
  int last = first;
  while (last < groupCount && FDataGroups[static_cast<size_t>(last)].Level >= childLevel) ++last;
  std::vector<int> children;
  for (int g = first; g < last; ++g)
    if (FDataGroups[static_cast<size_t>(g)].Level == childLevel) children.push_back(g);
  std::vector<char> taken(children.size(), 0);
  bool permutation = ANewOrder.size() == children.size();
  for (size_t k = 0; permutation && k < ANewOrder.size(); ++k) {
    const int child = ANewOrder[k];
    permutation = child >= 0 && static_cast<size_t>(child) < children.size() && taken[static_cast<size_t>(child)] == 0;
    if (permutation) taken[static_cast<size_t>(child)] = 1;
  }
  if (!permutation) TcxCustomDataController::InvalidOperation(u"The new group order is not one of the children");
  if (children.empty()) return;
  // The children cover their parent's records, one contiguous range each.
  const int recordBegin = FDataGroups[static_cast<size_t>(children.front())].BeginRecordListIndex;
  std::vector<TcxDataGroupInfo> groups;
  groups.reserve(static_cast<size_t>(last - first));
  std::vector<int> records;
  std::vector<int> oldIndexes(FDataGroups.size());
  for (size_t g = 0; g < oldIndexes.size(); ++g) oldIndexes[g] = static_cast<int>(g);
  for (const int k : ANewOrder) {
    const int child = children[static_cast<size_t>(k)];
    const int end = static_cast<size_t>(k) + 1 < children.size() ? children[static_cast<size_t>(k) + 1] : last;
    const TcxDataGroupInfo& head = FDataGroups[static_cast<size_t>(child)];
    const int shift = recordBegin + static_cast<int>(records.size()) - head.BeginRecordListIndex;
    records.insert(records.end(), FRecordList.begin() + head.BeginRecordListIndex,
                   FRecordList.begin() + head.EndRecordListIndex + 1);
    for (int g = child; g < end; ++g) {
      oldIndexes[static_cast<size_t>(first) + groups.size()] = g;
      TcxDataGroupInfo moved = FDataGroups[static_cast<size_t>(g)];
      moved.BeginRecordListIndex += shift;
      moved.EndRecordListIndex += shift;
      groups.push_back(moved);
    }
  }
  std::copy(groups.begin(), groups.end(), FDataGroups.begin() + first);
  std::copy(records.begin(), records.end(), FRecordList.begin() + recordBegin);
  if (TcxDataSummary* summary = FDataController->SummaryIfCreated()) summary->MoveGroupValues(oldIndexes);
}

int TcxCustomDataControllerInfo::FindGroupRecord(int ABufferRecordIndex, int AGroupItemCount,
                                                 bool AIsGroupDataSorted) {
  if (FRecordList.empty() || AGroupItemCount <= 0) return -1;
  AGroupItemCount = std::min<int>(AGroupItemCount, static_cast<int>(FGroupingFieldList.size()));
  if (FTotalSortingFieldList.size() < FGroupingFieldList.size()) {
    FTotalSortingFieldList = FGroupingFieldList;
    FTotalSortingFieldList.insert(FTotalSortingFieldList.end(), FSortingFieldList.begin(), FSortingFieldList.end());
  }
  PrepareSorting(dccmGrouping);
  rtl::ScopeExit unprepare([this] { UnprepareSorting(); });
  auto compare = [&](int ARecordIndex) {
    for (int level = 0; level < AGroupItemCount; ++level) {
      const int result = CompareGroupRecords(ARecordIndex, ABufferRecordIndex, level);
      if (result != 0) return result;
    }
    return 0;
  };
  if (AIsGroupDataSorted) {
    int low = 0, high = static_cast<int>(FRecordList.size()) - 1;
    while (low <= high) {
      const int middle = low + (high - low) / 2;
      const int record = FRecordList[static_cast<size_t>(middle)];
      const int result = compare(record);
      if (result == 0) return record;
      if (result < 0)
        low = middle + 1;
      else
        high = middle - 1;
    }
    return -1;
  }
  for (const int record : FRecordList)
    if (compare(record) == 0) return record;
  return -1;
}

int TcxCustomDataControllerInfo::FindRecordByFields(int ABufferRecordIndex,
                                                    const std::vector<TcxCustomDataField*>& AFields) {
  if (AFields.empty()) return -1;
  for (int record = 0, n = FDataController->GetRecordCount(); record < n; ++record) {
    bool equal = true;
    for (TcxCustomDataField* field : AFields)
      if (CompareByField(record, ABufferRecordIndex, field, dccmOther) != 0) {
        equal = false;
        break;
      }
    if (equal) return record;
  }
  return -1;
}

// --- sorting and grouping fields -----------------------------------------------------------------
namespace {
int indexOfField(const TcxSortingFieldList& AList, const TcxCustomDataField* AField) {
  for (size_t i = 0; i < AList.size(); ++i)
    if (AList[i].Field == AField) return static_cast<int>(i);
  return -1;
}
}  // namespace

TdxSortOrder TcxCustomDataControllerInfo::GetFieldSortOrder(TcxCustomDataField* AField) const {
  int index = indexOfField(FSortingFieldList, AField);
  if (index >= 0) return FSortingFieldList[static_cast<size_t>(index)].SortOrder;
  index = indexOfField(FGroupingFieldList, AField);
  return index >= 0 ? FGroupingFieldList[static_cast<size_t>(index)].SortOrder : soNone;
}

int TcxCustomDataControllerInfo::GetFieldSortingIndex(TcxCustomDataField* AField) const {
  return indexOfField(FSortingFieldList, AField);
}

int TcxCustomDataControllerInfo::GetFieldGroupIndex(TcxCustomDataField* AField) const {
  return indexOfField(FGroupingFieldList, AField);
}

void TcxCustomDataControllerInfo::syncGroupingOrders() {
  for (TcxDataSortInfo& entry : FGroupingFieldList) {
    const int index = indexOfField(FSortingFieldList, entry.Field);
    entry.SortOrder = index >= 0 ? FSortingFieldList[static_cast<size_t>(index)].SortOrder : soAscending;
  }
}

void TcxCustomDataControllerInfo::sortingFieldsChanged() {
  FDataController->SetSortingChangedFlag();
  syncGroupingOrders();
  Change({dcicSorting});
}

void TcxCustomDataControllerInfo::groupingFieldsChanged() {
  FDataController->SetGroupingChangedFlag();
  syncGroupingOrders();
  Change({dcicGrouping, dcicSorting, dcicSummary});
}

void TcxCustomDataControllerInfo::ChangeSorting(TcxCustomDataField* AField, TdxSortOrder ASortOrder) {
  const int index = indexOfField(FSortingFieldList, AField);
  const TdxSortOrder current = index >= 0 ? FSortingFieldList[static_cast<size_t>(index)].SortOrder : soNone;
  if (current == ASortOrder) return;
  if (ASortOrder == soNone)
    FSortingFieldList.erase(FSortingFieldList.begin() + index);
  else if (index >= 0)
    FSortingFieldList[static_cast<size_t>(index)].SortOrder = ASortOrder;
  else
    FSortingFieldList.push_back(TcxDataSortInfo{AField, ASortOrder});
  sortingFieldsChanged();
}

void TcxCustomDataControllerInfo::ChangeSortingIndex(TcxCustomDataField* AField, int AIndex) {
  int index = indexOfField(FSortingFieldList, AField);
  if (index == AIndex) return;
  const TdxSortOrder order = GetFieldSortOrder(AField);
  if (GetFieldGroupIndex(AField) >= 0 && order == soAscending && AIndex == -1) {
    ChangeSorting(AField, soNone);
    return;
  }
  if (index < 0) {
    if (order == soNone) return;
    FSortingFieldList.push_back(TcxDataSortInfo{AField, order});
    index = static_cast<int>(FSortingFieldList.size()) - 1;
  }
  const int target = std::clamp(AIndex, 0, static_cast<int>(FSortingFieldList.size()) - 1);
  const TcxDataSortInfo entry = FSortingFieldList[static_cast<size_t>(index)];
  FSortingFieldList.erase(FSortingFieldList.begin() + index);
  FSortingFieldList.insert(FSortingFieldList.begin() + target, entry);
  sortingFieldsChanged();
}

void TcxCustomDataControllerInfo::ClearSorting(bool AKeepGroupedItems) {
  const size_t before = FSortingFieldList.size();
  if (AKeepGroupedItems) {
    for (int i = static_cast<int>(FSortingFieldList.size()) - 1; i >= 0; --i)
      if (GetFieldGroupIndex(FSortingFieldList[static_cast<size_t>(i)].Field) < 0)
        FSortingFieldList.erase(FSortingFieldList.begin() + i);
  } else {
    FSortingFieldList.clear();
  }
  if (FSortingFieldList.size() != before) sortingFieldsChanged();
}

void TcxCustomDataControllerInfo::ChangeGrouping(TcxCustomDataField* AField, int AGroupIndex) {
  const int index = indexOfField(FGroupingFieldList, AField);
  const int count = static_cast<int>(FGroupingFieldList.size());
  if (AGroupIndex < 0) {
    if (index < 0) return;
    FGroupingFieldList.erase(FGroupingFieldList.begin() + index);
  } else if (index < 0) {
    FGroupingFieldList.insert(FGroupingFieldList.begin() + std::min(AGroupIndex, count),
                              TcxDataSortInfo{AField, soAscending});
  } else {
    const int target = std::min(AGroupIndex, count - 1);
    if (target == index) return;
    const TcxDataSortInfo entry = FGroupingFieldList[static_cast<size_t>(index)];
    FGroupingFieldList.erase(FGroupingFieldList.begin() + index);
    FGroupingFieldList.insert(FGroupingFieldList.begin() + target, entry);
  }
  groupingFieldsChanged();
}

void TcxCustomDataControllerInfo::ClearGrouping() {
  if (FGroupingFieldList.empty()) return;
  FGroupingFieldList.clear();
  groupingFieldsChanged();
}

void TcxCustomDataControllerInfo::UpdateField(TcxCustomDataField*) { Refresh(); }

void TcxCustomDataControllerInfo::RemoveField(TcxCustomDataField* AField) {
  // The field is going away: no list may keep a pointer to it.
  auto drop = [AField](TcxSortingFieldList& AList) {
    AList.erase(std::remove_if(AList.begin(), AList.end(), [AField](const TcxDataSortInfo& e) { return e.Field == AField; }),
                AList.end());
  };
  drop(FSortingFieldList);
  if (GetFieldGroupIndex(AField) >= 0) {
    FSelection->InternalClear();
    FChanges += dcicSelection;
    FChanges += dcicGrouping;
  }
  drop(FGroupingFieldList);
  drop(FTotalSortingFieldList);
  syncGroupingOrders();
  if (FIncrementalFilterField == AField) {
    FIncrementalFilterField = nullptr;
    FIncrementalFilterText.clear();
  }
  Refresh();
}

// --- rows ----------------------------------------------------------------------------------------
void TcxCustomDataControllerInfo::rebuildPositions() {
  FRecordPositions.assign(static_cast<size_t>(std::max(0, FDataController->GetRecordCount())), -1);
  for (size_t i = 0; i < FRecordList.size(); ++i) {
    const int record = FRecordList[i];
    if (record >= 0 && static_cast<size_t>(record) < FRecordPositions.size())
      FRecordPositions[static_cast<size_t>(record)] = static_cast<int>(i);
  }
}

void TcxCustomDataControllerInfo::rebuildRows() {
  FRows.clear();
  FRowGroups.clear();
  FDataRowToRow.clear();
  FGroupRows.assign(FDataGroups.size(), -1);
  rebuildGroupParents();
  if (!IsGrouped()) return;
  FDataRowToRow.assign(FRecordList.size(), -1);
  const int deepest = static_cast<int>(FGroupingFieldList.size()) - 1;
  std::vector<char> openAt(FGroupingFieldList.size(), 0);
  for (size_t g = 0; g < FDataGroups.size(); ++g) {
    const TcxDataGroupInfo& group = FDataGroups[g];
    const size_t level = static_cast<size_t>(group.Level);
    const bool visible = level == 0 || openAt[level - 1] != 0;
    openAt[level] = visible && group.Expanded ? 1 : 0;
    if (!visible) continue;
    FGroupRows[g] = static_cast<int>(FRows.size());
    FRows.push_back(static_cast<int>(g));
    FRowGroups.push_back(static_cast<int>(g));
    if (group.Level == deepest && group.Expanded)
      for (int d = group.BeginRecordListIndex; d <= group.EndRecordListIndex; ++d) {
        FDataRowToRow[static_cast<size_t>(d)] = static_cast<int>(FRows.size());
        FRows.push_back(-(d + 1));
        FRowGroups.push_back(static_cast<int>(g));
      }
  }
}

void TcxCustomDataControllerInfo::ChangeExpanding(int AGroupIndex, bool AExpanded) {
  TcxDataGroupInfo& group = FDataGroups.at(static_cast<size_t>(AGroupIndex));
  if (group.Expanded == AExpanded) return;
  group.Expanded = AExpanded;
  rebuildRows();
  if (!AExpanded) checkAfterCollapsing();
  Change({dcicExpanding});
}

void TcxCustomDataControllerInfo::setAllExpanded(bool AExpanded) {
  for (TcxDataGroupInfo& group : FDataGroups) group.Expanded = AExpanded;
  rebuildRows();
  if (!AExpanded) checkAfterCollapsing();
  Change({dcicExpanding});
}

int TcxCustomDataControllerInfo::GetRowCount() const {
  return IsGrouped() ? static_cast<int>(FRows.size()) : static_cast<int>(FRecordList.size());
}

int TcxCustomDataControllerInfo::recordAtRow(int ARowIndex) const {
  if (!IsGrouped()) return FRecordList[static_cast<size_t>(ARowIndex)];
  const int row = FRows[static_cast<size_t>(ARowIndex)];
  const int dataRow = row >= 0 ? FDataGroups[static_cast<size_t>(row)].BeginRecordListIndex : -row - 1;
  return FRecordList[static_cast<size_t>(dataRow)];
}

TcxRowInfo TcxCustomDataControllerInfo::GetRowInfo(int ARowIndex) const {
  if (ARowIndex < 0 || ARowIndex >= GetRowCount()) rowIndexError();
  TcxRowInfo result;
  result.RowIndex = ARowIndex;
  if (!IsGrouped()) {
    result.DataRowIndex = ARowIndex;
    result.RecordIndex = FRecordList[static_cast<size_t>(ARowIndex)];
    result.GroupIndex = 0;
    return result;
  }
  const int row = FRows[static_cast<size_t>(ARowIndex)];
  if (row >= 0) {
    const TcxDataGroupInfo& group = FDataGroups[static_cast<size_t>(row)];
    result.Level = group.Level;
    result.Expanded = group.Expanded;
    result.DataRowIndex = group.BeginRecordListIndex;
    result.GroupIndex = row;
  } else {
    result.Level = static_cast<int>(FGroupingFieldList.size());
    result.DataRowIndex = -row - 1;
    result.GroupIndex = FRowGroups[static_cast<size_t>(ARowIndex)];
  }
  result.RecordIndex = FRecordList[static_cast<size_t>(result.DataRowIndex)];
  return result;
}

int TcxCustomDataControllerInfo::GetFilteredIndexByRecordIndex(int ARecordIndex) const {
  if (ARecordIndex < 0 || static_cast<size_t>(ARecordIndex) >= FRecordPositions.size()) {
    // Internal records (negative) are listed only while being edited.
    const auto it = std::find(FRecordList.begin(), FRecordList.end(), ARecordIndex);
    return it == FRecordList.end() ? -1 : static_cast<int>(it - FRecordList.begin());
  }
  const int position = FRecordPositions[static_cast<size_t>(ARecordIndex)];
  // Positions are rebuilt once per pipeline run; a list changed since then
  // (never by this class) would be caught here.
  if (position >= 0 && static_cast<size_t>(position) < FRecordList.size() &&
      FRecordList[static_cast<size_t>(position)] == ARecordIndex)
    return position;
  return -1;
}

int TcxCustomDataControllerInfo::GetRowIndexByRecordIndex(int ARecordIndex) const {
  const int position = GetFilteredIndexByRecordIndex(ARecordIndex);
  if (position < 0 || !IsGrouped()) return position;
  return FDataRowToRow[static_cast<size_t>(position)];
}

// --- focus and selection -------------------------------------------------------------------------
void TcxCustomDataControllerInfo::ChangeFocusedRowIndex(int ARowIndex) {
  if (ARowIndex < -1 || ARowIndex >= GetRowCount()) rowIndexError();
  if (FDataController->NewItemRowFocused()) {
    FDataController->SetNewItemRowFocused(false);
    FFocusingInfo.Changed = true;
  }
  if (ARowIndex == FFocusingInfo.RowIndex && !FFocusingInfo.Changed) return;
  FFocusingInfo.RowIndex = ARowIndex;
  FFocusingInfo.RecordIndex = ARowIndex >= 0 ? recordAtRow(ARowIndex) : -1;
  FFocusedLevel = ARowIndex >= 0 ? GetRowInfo(ARowIndex).Level : -1;
  // With one selectable row, the row just focused is the selected one.
  FDataController->SyncSelected(true);
  Change({dcicFocusedRow});
}

void TcxCustomDataControllerInfo::ChangeFocusedRecordIndex(int ARecordIndex) {
  ChangeFocusedRowIndex(GetRowIndexByRecordIndex(ARecordIndex));
}

void TcxCustomDataControllerInfo::FocusNewItemRecord(int ARecordIndex) {
  FFocusingInfo.RowIndex = -1;
  FFocusingInfo.RecordIndex = ARecordIndex;
  FFocusingInfo.Changed = true;
  Change({dcicFocusedRecord});
}

// The selection's upkeep is in cxDataSelection.cpp.

}  // namespace data
