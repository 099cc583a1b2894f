// The record list of a data controller: load, filter, sort and group, with
// the rows, focus and selection kept over it. The list holds record indexes;
// every rebuild starts from the storage order, so a pipeline step never has
// to undo another.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <mutex>
#include <thread>
#include <type_traits>
#include <utility>

#include "lib/core/dxThreading.h"
#include "lib/data/cxCustomData.h"
#include "lib/data/cxDataStrs.h"
#include "lib/data/cxFilterLike.h"
#include "platform/rtl/scoped.h"
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
template <class Less>
void insertionSortRange(int* first, int* last, Less& less) {
  for (int* i = first + 1; i < last; ++i) {
    const int value = *i;
    int* j = i;
    while (j > first && less(value, *(j - 1))) {
      *j = *(j - 1);
      --j;
    }
    *j = value;
  }
}

template <class Less>
void mergeRuns(const int* a, const int* aEnd, const int* b, const int* bEnd, int* out, Less& less) {
  while (a < aEnd && b < bEnd) *out++ = less(*b, *a) ? *b++ : *a++;
  out = std::copy(a, aEnd, out);
  std::copy(b, bEnd, out);
}

template <class Less>
void mergeSort(int* data, int count, Less& less) {
  constexpr int kRun = 24;
  for (int start = 0; start < count; start += kRun)
    insertionSortRange(data + start, data + std::min(count, start + kRun), less);
  if (count <= kRun) return;
  std::vector<int> scratch(static_cast<size_t>(count));
  int* from = data;
  int* to = scratch.data();
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

int threadCountForWork() {
  const unsigned hardware = std::thread::hardware_concurrency();
  return static_cast<int>(std::clamp(hardware, 1u, 16u));
}

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

// Sorts chunks on the pool, then merges them pairwise on the pool, round by
// round; every round waits for all its items before the next starts.
template <class Less>
void parallelMergeSort(int* data, int count, Less& less, int threadCount) {
  const int chunkCount = std::min(threadCount, count / 16 + 1);
  std::vector<int> bounds(static_cast<size_t>(chunkCount) + 1);
  for (int i = 0; i <= chunkCount; ++i)
    bounds[static_cast<size_t>(i)] = static_cast<int>(static_cast<long long>(count) * i / chunkCount);
  WorkerFailure failure;
  struct Item {
    int* data;
    int begin, middle, end;
    int* scratch;
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
  std::vector<int> scratch(static_cast<size_t>(count));
  int* from = data;
  int* to = scratch.data();
  std::vector<int> runs(bounds);
  while (runs.size() > 2) {
    std::vector<int> next;
    const int pairs = static_cast<int>((runs.size() - 1) / 2);
    std::vector<Item> merges;
    for (size_t i = 0; i + 2 < runs.size(); i += 2) {
      merges.push_back(Item{from, runs[i], runs[i + 1], runs[i + 2], to, &less, &failure});
      next.push_back(runs[i]);
    }
    if ((runs.size() - 1) % 2 == 1) {  // an odd run is copied across unchanged
      const int b = runs[runs.size() - 2], e = runs.back();
      std::copy(from + b, from + e, to + b);
      next.push_back(b);
    }
    next.push_back(count);
    core::TdxThreadPoolHelper helper;
    helper.Initialize(pairs);
    for (Item& item : merges)
      helper.QueueWorkItem(&item, [](void* p) {
        auto* it = static_cast<Item*>(p);
        try {
          mergeRuns(it->data + it->begin, it->data + it->middle, it->data + it->middle, it->data + it->end,
                    it->scratch + it->begin, *it->less);
        } catch (...) {
          it->failure->Capture();
        }
      });
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
}  // namespace

// --- sort keys ---------------------------------------------------------------------------------
// The values of every sorting field read once per listed record, so that the
// sort compares in place instead of going through the storage (or building
// variants) on each of its n log n comparisons. Each column answers what
// CompareByField answers for the same two records.
struct TcxCustomDataControllerInfo::SortKeys {
  enum Kind { NativeInteger, NativeText, Native, Values, Generic };
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
    std::vector<unsigned char> integerNulls;  // empty when no value is null
    std::vector<TextKey> textKeys;
    bool descending = false;
    TcxCustomDataField* field = nullptr;
    TcxValueDef* valueDef = nullptr;
    std::vector<TcxPreparedValue> prepared;
    std::vector<unsigned char> isNull;
    std::vector<Variant> values;
    std::vector<String> texts;
    std::vector<unsigned char> isText;
  };
  // Integer-like and String values straight from the storage; the column
  // keeps the generic form for every other type.
  static void extractNative(Column& AColumn, const TcxDataStorage* AStorage, const std::vector<int>& AList);

  TcxCustomDataControllerInfo* info = nullptr;
  const std::vector<int>* list = nullptr;
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
      case Values:
        if (c.isText[a] && c.isText[b]) return info->StringCompare(c.texts[a], c.texts[b]);
        return VarCompare(c.values[a], c.values[b]);
      default:
        return info->CompareByField((*list)[a], (*list)[b], c.field, dccmSorting);
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
    DoUpdate();
  }
  ForwardChanges();
}

void TcxCustomDataControllerInfo::DoUpdate() {
  const bool load = FChanges.contains(dcicLoad);
  const bool sorting = FChanges.contains(dcicSorting);
  const bool grouping = FChanges.contains(dcicGrouping);
  if (load) {
    DoLoad();
    DoFilter();
  }
  if (sorting || grouping) DoSort();
  if (grouping || ((load || sorting) && IsGrouped())) {
    if (grouping) FDataController->BeforeGroupingNotification();
    DoGrouping();
  }
  rebuildPositions();
  rebuildRows();
  CheckSelectedCount();
  if (FDataController->NewItemRowFocused()) return;
  const int rows = GetRowCount();
  int row = FFocusingInfo.RowIndex;
  if (row >= rows) row = rows - 1;
  const int record = row >= 0 ? recordAtRow(row) : -1;
  if (row != FFocusingInfo.RowIndex) FChanges += dcicFocusedRow;
  if (record != FFocusingInfo.RecordIndex) FChanges += dcicFocusedRecord;
  FFocusingInfo.RowIndex = row;
  FFocusingInfo.RecordIndex = record;
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
    FDataController->SetFilterChangedFlag();
  }
}

void TcxCustomDataControllerInfo::SetFilter(TcxRecordListFilter* AFilter) {
  FFilter = AFilter;
  Refresh();
}

void TcxCustomDataControllerInfo::SetFindFilter(TcxRecordListFilter* AFilter) {
  FFindFilter = AFilter;
  FChanges += dcicFindFilter;
  Refresh();
}

int TcxCustomDataControllerInfo::SetIncrementalFilter(TcxCustomDataField* AField, const String& AText) {
  FIncrementalFilterField = AField;
  FIncrementalFilterText = AText;
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
                                                          const std::vector<int>& AList) {
  const TcxValueTypeClass type = AColumn.valueDef->ValueTypeClass();
  const size_t count = AList.size();
  if (const IntegerRead read = integerReader(type)) {
    AColumn.kind = SortKeys::NativeInteger;
    AColumn.integers.reserve(count);
    for (size_t i = 0; i < count; ++i) {
      TcxPreparedValue prepared = nullptr;
      const bool isNull = AStorage->GetCompareInfo(AList[i], AColumn.valueDef, prepared);
      if (isNull && AColumn.integerNulls.empty()) AColumn.integerNulls.assign(count, 0);
      if (isNull) AColumn.integerNulls[i] = 1;
      AColumn.integers.push_back(isNull ? 0 : read(prepared));
    }
  } else if (type == TcxStringValueType::Instance()) {
    AColumn.kind = SortKeys::NativeText;
    AColumn.textKeys.resize(count);
    for (size_t i = 0; i < count; ++i) {
      TcxPreparedValue prepared = nullptr;
      const bool isNull = AStorage->GetCompareInfo(AList[i], AColumn.valueDef, prepared);
      AColumn.textKeys[i] =
          SortKeys::TextKey{isNull ? nullptr : TcxStringValueType::StringOf(prepared), static_cast<unsigned char>(isNull)};
    }
  }
}

void TcxCustomDataControllerInfo::DoSort() {
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
  bool fieldsAllowThreads = true;
  for (const TcxDataSortInfo& entry : FTotalSortingFieldList) {
    fieldsAllowThreads = fieldsAllowThreads && entry.Field->SupportsMultiThreading();
    if (keys.wholeRecords) continue;
    SortKeys::Column column;
    column.field = entry.Field;
    column.descending = entry.SortOrder == soDescending;
    const bool handler = static_cast<bool>(dc.FOnCompare) && !entry.Field->IsInternal();
    if (handler || dc.IsProviderMode()) {
      column.kind = SortKeys::Generic;
    } else if (IsConversionNeededForCompare(entry.Field)) {
      column.kind = SortKeys::Values;
      column.values.resize(static_cast<size_t>(count));
      column.texts.resize(static_cast<size_t>(count));
      column.isText.resize(static_cast<size_t>(count));
      for (size_t i = 0; i < static_cast<size_t>(count); ++i) {
        column.values[i] = GetComparedValue(FRecordList[i], entry.Field);
        if (rtl::VarIsStr(column.values[i])) {
          column.isText[i] = 1;
          column.texts[i] = rtl::VarToStr(column.values[i]);
        }
      }
    } else {
      column.kind = SortKeys::Native;
      column.valueDef = entry.Field->GetValueDef();
      if (column.valueDef != nullptr) SortKeys::extractNative(column, dc.DataStorage(), FRecordList);
      if (column.valueDef != nullptr && column.kind == SortKeys::Native) {
        column.prepared.resize(static_cast<size_t>(count));
        column.isNull.resize(static_cast<size_t>(count));
        const TcxDataStorage* storage = dc.DataStorage();
        for (size_t i = 0; i < static_cast<size_t>(count); ++i) {
          TcxPreparedValue prepared = nullptr;
          column.isNull[i] = storage->GetCompareInfo(FRecordList[i], column.valueDef, prepared) ? 1 : 0;
          column.prepared[i] = prepared;
        }
      }
    }
    keys.columns.push_back(std::move(column));
  }
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
  } else {
    run(keys);
  }
  for (int& entry : order) entry = FRecordList[static_cast<size_t>(entry)];
  FRecordList = std::move(order);
}

// --- grouping ------------------------------------------------------------------------------------
void TcxCustomDataControllerInfo::DoGrouping() {
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
  openFrom(0, 0);
  for (int position = 1; position < count; ++position) {
    const int record = FRecordList[static_cast<size_t>(position)];
    for (int level = 0; level < levels; ++level) {
      const TcxDataGroupInfo& group = FDataGroups[static_cast<size_t>(open[static_cast<size_t>(level)])];
      const int first = FRecordList[static_cast<size_t>(group.BeginRecordListIndex)];
      if (CompareGroupRecords(first, record, level) != 0) {
        closeFrom(level, position - 1);
        openFrom(level, position);
        break;
      }
    }
  }
  closeFrom(0, count - 1);
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
    FSelection.clear();
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
  Change({dcicExpanding});
}

void TcxCustomDataControllerInfo::setAllExpanded(bool AExpanded) {
  for (TcxDataGroupInfo& group : FDataGroups) group.Expanded = AExpanded;
  rebuildRows();
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

bool TcxCustomDataControllerInfo::IsRowSelected(int ARowIndex) const {
  return std::find(FSelection.begin(), FSelection.end(), ARowIndex) != FSelection.end();
}

void TcxCustomDataControllerInfo::ChangeRowSelection(int ARowIndex, bool ASelection) {
  if (ARowIndex < 0 || ARowIndex >= GetRowCount()) rowIndexError();
  const auto it = std::find(FSelection.begin(), FSelection.end(), ARowIndex);
  if ((it != FSelection.end()) == ASelection) return;
  if (ASelection)
    FSelection.push_back(ARowIndex);
  else
    FSelection.erase(it);
  Change({dcicSelection});
}

void TcxCustomDataControllerInfo::ClearSelection() {
  if (FSelection.empty()) return;
  FSelection.clear();
  Change({dcicSelection});
}

void TcxCustomDataControllerInfo::CheckSelectedCount() {
  const int rows = GetRowCount();
  const auto gone = std::remove_if(FSelection.begin(), FSelection.end(), [rows](int r) { return r >= rows; });
  if (gone == FSelection.end()) return;
  FSelection.erase(gone, FSelection.end());
  FChanges += dcicSelection;
}

}  // namespace data
