#include "lib/core/dxCoreClasses.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "lib/core/dxThreading.h"
#include "platform/rtl/except.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/ustring.h"

namespace core {

namespace {
[[noreturn]] void listError(const char* format, int value) {
  rtl::TList::Error(rtl::S(format), value);
}
}  // namespace

// --- TdxFastList --------------------------------------------------------------------------------
TdxFastList::TdxFastList(int capacity) { SetCapacity(capacity); }

TdxFastList::~TdxFastList() {
  // Only this class's part is left here; an owning list has freed its objects.
  FCount = 0;
  FList.reset();
}

void TdxFastList::checkIndex(int index) const {
  if (index < 0 || index >= FCount) listError("List index out of bounds (%d)", index);
}

void TdxFastList::grow() {
  int delta;
  if (FCapacity <= 16)
    delta = 16;
  else if (FCapacity <= 128)
    delta = 32;
  else
    delta = FCapacity / 2;
  SetCapacity(FCapacity + delta);
}

int TdxFastList::Add(void* item) {
  if (FCount == FCapacity) grow();
  FList[FCount] = item;
  return FCount++;
}

void TdxFastList::Insert(int index, void* item) {
  if (index < 0 || index > FCount) listError("List index out of bounds (%d)", index);
  if (FCount == FCapacity) grow();
  void** items = FList.get();
  std::memmove(items + index + 1, items + index, sizeof(void*) * static_cast<size_t>(FCount - index));
  items[index] = item;
  ++FCount;
}

void TdxFastList::Delete(int index) {
  checkIndex(index);
  void** items = FList.get();
  --FCount;
  std::memmove(items + index, items + index + 1, sizeof(void*) * static_cast<size_t>(FCount - index));
}

int TdxFastList::Remove(void* item) {
  const int index = IndexOf(item);
  if (index >= 0) Delete(index);
  return index;
}

void* TdxFastList::Extract(void* item, TdxListDirection direction) {
  const int index = IndexOf(item, direction);
  if (index < 0) return nullptr;
  void* result = FList[index];
  TdxFastList::Delete(index);
  return result;
}

void* TdxFastList::ExtractByIndex(int index) {
  checkIndex(index);
  void* result = FList[index];
  TdxFastList::Delete(index);
  return result;
}

int TdxFastList::IndexOf(void* item, TdxListDirection direction) const {
  const void* const* items = FList.get();
  if (direction == TdxListDirection::ldFromBeginning) {
    for (int i = 0; i < FCount; ++i)
      if (items[i] == item) return i;
  } else {
    for (int i = FCount - 1; i >= 0; --i)
      if (items[i] == item) return i;
  }
  return -1;
}

void TdxFastList::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  if (newIndex < 0 || newIndex >= FCount) listError("List index out of bounds (%d)", newIndex);
  checkIndex(curIndex);
  void** items = FList.get();
  void* item = items[curIndex];
  if (curIndex < newIndex)
    std::memmove(items + curIndex, items + curIndex + 1,
                 sizeof(void*) * static_cast<size_t>(newIndex - curIndex));
  else
    std::memmove(items + newIndex + 1, items + newIndex,
                 sizeof(void*) * static_cast<size_t>(curIndex - newIndex));
  items[newIndex] = item;
}

void TdxFastList::Pack(void* item) {
  // One pass: runs of kept entries move down as blocks.
  void** items = FList.get();
  int write = 0;
  int read = 0;
  while (read < FCount) {
    while (read < FCount && items[read] == item) ++read;
    const int runStart = read;
    while (read < FCount && items[read] != item) ++read;
    const int runLength = read - runStart;
    if (runLength > 0 && runStart != write)
      std::memmove(items + write, items + runStart, sizeof(void*) * static_cast<size_t>(runLength));
    write += runLength;
  }
  FCount = write;
}

void TdxFastList::Sort(TdxListSortCompareMethod compare, bool multiThreaded) {
  dxQuickSortList(FList.get(), FCount, compare, multiThreaded);
}

void TdxFastList::Sort(TdxListSortCompareFunc compare, bool multiThreaded) {
  dxQuickSortList(FList.get(), FCount, compare, multiThreaded);
}

void* TdxFastList::Items(int index) const {
  checkIndex(index);
  return FList[index];
}

void TdxFastList::SetItems(int index, void* item) {
  checkIndex(index);
  FList[index] = item;
}

void* TdxFastList::First() const { return Items(0); }
void* TdxFastList::Last() const { return Items(FCount - 1); }

void TdxFastList::Clear() {
  FCount = 0;
  SetCapacity(0);
}

void TdxFastList::SetCapacity(int value) {
  if (value < FCount) listError("List capacity out of bounds (%d)", value);
  if (value == FCapacity) return;
  std::unique_ptr<void*[]> items;
  if (value > 0) {
    items.reset(new void*[static_cast<size_t>(value)]);
    if (FCount > 0) std::memcpy(items.get(), FList.get(), sizeof(void*) * static_cast<size_t>(FCount));
  }
  FList = std::move(items);
  FCapacity = value;
}

void TdxFastList::SetCount(int value) {
  if (value < 0) listError("List count out of bounds (%d)", value);
  if (value > FCapacity) SetCapacity(value);
  if (value > FCount)
    std::fill(FList.get() + FCount, FList.get() + value, nullptr);
  FCount = value;
}

// --- TdxFastObjectList ------------------------------------------------------------------------------
TdxFastObjectList::TdxFastObjectList(bool ownsObjects, int capacity)
    : TdxFastList(capacity), FOwnsObjects(ownsObjects) {}

TdxFastObjectList::~TdxFastObjectList() { Clear(); }

void TdxFastObjectList::Delete(int index) {
  if (FOwnsObjects) {
    rtl::TObject* object = Items(index);  // a bad index raises before anything is freed
    if (object) object->Free();
  }
  TdxFastList::Delete(index);
}

int TdxFastObjectList::Remove(rtl::TObject* object) {
  const int index = IndexOf(object);
  if (index >= 0) Delete(index);
  return index;
}

void TdxFastObjectList::Clear() {
  if (FOwnsObjects) {
    for (int i = 0; i < Count(); ++i)
      if (rtl::TObject* object = static_cast<rtl::TObject*>(List()[i])) object->Free();
  }
  TdxFastList::Clear();
}

void TdxFastObjectList::SetCount(int value) {
  if (FOwnsObjects && value >= 0 && value < Count()) {
    for (int i = value; i < Count(); ++i)
      if (rtl::TObject* object = static_cast<rtl::TObject*>(List()[i])) object->Free();
  }
  TdxFastList::SetCount(value);
}

// --- the list sort ---------------------------------------------------------------------------------
namespace {

// Parts whose last index is this or less are left to the insertion pass.
constexpr int kInsertionLimit = 34;

// The classic form trusts the outer items as sentinels and scans without
// bounds checks. A comparator that is not a strict weak order (user code,
// NaN) breaks that trust, so each scan also stops at the part's ends; for a
// valid comparator the guards never fire and the order is the same.
template <class Compare>
void partitionStep(void** list, int r, const Compare& compare) {
  while (r > kInsertionLimit) {
    const int mid = r / 2;
    if (compare(list[r], list[0]) < 0) std::swap(list[r], list[0]);
    if (compare(list[mid], list[0]) < 0)
      std::swap(list[0], list[mid]);
    else if (compare(list[r], list[mid]) < 0)
      std::swap(list[r], list[mid]);
    void* const pivot = list[mid];
    int i = 0;
    int j = r;
    do ++i; while (i < r && compare(list[i], pivot) < 0);
    do --j; while (j > 0 && compare(pivot, list[j]) < 0);
    while (i < j) {
      std::swap(list[i], list[j]);
      do ++i; while (i < r && compare(list[i], pivot) < 0);
      do --j; while (j > 0 && compare(pivot, list[j]) < 0);
    }
    // A valid comparator leaves i at j or j + 1. A broken one may leave the
    // scans further apart; the parts must not overlap, or work would double
    // at every level.
    if (i > j + 1) j = i - 1;
    // Left part 0 .. i-1, right part j+1 .. r: recurse into the smaller.
    if (r - j < i) {
      if (r - j - 1 > kInsertionLimit) partitionStep(list + j + 1, r - j - 1, compare);
      r = i - 1;
    } else {
      if (i - 1 > kInsertionLimit) partitionStep(list, i - 1, compare);
      list += j + 1;
      r = r - j - 1;
    }
  }
}

template <class Compare>
void insertionPass(void** list, int r, const Compare& compare) {
  int smallest = 0;
  const int limit = std::min(r, kInsertionLimit);
  for (int i = 1; i <= limit; ++i)
    if (compare(list[i], list[smallest]) < 0) smallest = i;
  std::swap(list[0], list[smallest]);
  for (int i = 2; i <= r; ++i) {
    // The item goes into the hole also when a comparison raises, so that the
    // list keeps every item once.
    struct Hole {
      void** list;
      void* item;
      int j;
      ~Hole() { list[j] = item; }
    } hole{list, list[i], i};
    while (hole.j > 0 && compare(list[hole.j - 1], hole.item) > 0) {
      list[hole.j] = list[hole.j - 1];
      --hole.j;
    }
  }
}

template <class Compare>
void internalSort(void** list, int count, const Compare& compare) {
  if (!list || count <= 1) return;
  const int r = count - 1;
  if (r > kInsertionLimit) partitionStep(list, r, compare);
  insertionPass(list, r, compare);
}

bool useParallelSort(void** list, int count, bool multiThreaded) {
  return list && multiThreaded && count > 32 && dxCanUseMultiThreading() && dxSortHelper();
}

}  // namespace

void dxInternalQuickSortList(void** list, int count, TdxListSortCompareMethod compare) {
  internalSort(list, count, compare);
}

void dxInternalQuickSortList(void** list, int count, TdxListSortCompareFunc compare) {
  internalSort(list, count, compare);
}

void dxQuickSortList(void** list, int count, TdxListSortCompareMethod compare, bool multiThreaded) {
  if (!list || count <= 1) return;
  if (useParallelSort(list, count, multiThreaded))
    dxSortHelper()->Sort(list, count, compare);
  else
    dxInternalQuickSortList(list, count, compare);
}

void dxQuickSortList(void** list, int count, TdxListSortCompareFunc compare, bool multiThreaded) {
  if (!list || count <= 1) return;
  if (useParallelSort(list, count, multiThreaded))
    dxSortHelper()->Sort(list, count, compare);
  else
    dxInternalQuickSortList(list, count, compare);
}

void dxQuickSortList(rtl::TList* list, TdxListSortCompareMethod compare, bool multiThreaded) {
  if (!list || list->Count() <= 1) return;
  // The list shows its array read-only; sorting permutes it in place, as the
  // list's own Sort does.
  dxQuickSortList(const_cast<void**>(list->List().data()), list->Count(), compare, multiThreaded);
}

// --- persistent bases ------------------------------------------------------------------------------
void TcxOwnedPersistent::Assign(rtl::TPersistent* source) {
  if (auto* owned = dynamic_cast<TcxOwnedPersistent*>(source))
    DoAssign(owned);
  else
    rtl::TPersistent::Assign(source);
}

void TcxFreeNotificator::AddSender(rtl::TComponent* component) {
  if (component) component->FreeNotification(this);
}

void TcxFreeNotificator::RemoveSender(rtl::TComponent* component) {
  if (component) component->RemoveFreeNotification(this);
}

void TcxFreeNotificator::Notification(rtl::TComponent* component, rtl::TOperation operation) {
  rtl::TComponent::Notification(component, operation);
  if (operation == rtl::TOperation::opRemove && FOnFreeNotification.assigned())
    FOnFreeNotification(component);
}

void TcxCollection::Assign(rtl::TPersistent* source) {
  auto* other = dynamic_cast<rtl::TCollection*>(source);
  if (!other) {
    rtl::TCollection::Assign(source);
    return;
  }
  if (Count() == 0 && other->Count() == 0) return;
  rtl::UpdateScope<TcxCollection> update(*this);
  for (int i = 0; i < other->Count(); ++i) {
    rtl::TCollectionItem* item = i < Count() ? Items(i) : Add();
    item->Assign(other->Items(i));
  }
  for (int i = Count() - 1; i >= other->Count(); --i) Delete(i);
}

// --- doubly linked object list ----------------------------------------------------------------------
TcxDoublyLinkedObjectList::~TcxDoublyLinkedObjectList() { TcxDoublyLinkedObjectList::Clear(); }

rtl::ClassRef<TcxDoublyLinkedObject> TcxDoublyLinkedObjectList::GetLinkedObjectClass() const {
  return rtl::ClassRef<TcxDoublyLinkedObject>::of<TcxDoublyLinkedObject>();
}

TcxDoublyLinkedObject* TcxDoublyLinkedObjectList::CreateLinkedObject() {
  return GetLinkedObjectClass().Create();
}

void TcxDoublyLinkedObjectList::DoAdd(TcxDoublyLinkedObject* object) {
  object->SetPrev(FLast);
  if (FLast) FLast->SetNext(object);
  FLast = object;
  if (!FFirst) FFirst = object;
}

TcxDoublyLinkedObject* TcxDoublyLinkedObjectList::Add() {
  TcxDoublyLinkedObject* object = CreateLinkedObject();
  DoAdd(object);
  return object;
}

void TcxDoublyLinkedObjectList::Extract(TcxDoublyLinkedObject* object) {
  if (object->Prev())
    object->Prev()->SetNext(object->Next());
  else if (FFirst == object)
    FFirst = object->Next();
  if (object->Next())
    object->Next()->SetPrev(object->Prev());
  else if (FLast == object)
    FLast = object->Prev();
}

void TcxDoublyLinkedObjectList::Delete(TcxDoublyLinkedObject* object) {
  Extract(object);
  object->Free();
}

void TcxDoublyLinkedObjectList::Clear() {
  TcxDoublyLinkedObject* object = FLast;
  while (object) {
    TcxDoublyLinkedObject* prev = object->Prev();
    object->Free();
    object = prev;
  }
  FFirst = nullptr;
  FLast = nullptr;
}

}  // namespace core
