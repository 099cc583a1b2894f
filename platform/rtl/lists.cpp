#include "platform/rtl/lists.h"

#include <algorithm>
#include <string>
#include <utility>

#include "platform/rtl/object.h"

namespace rtl {

namespace {

const Char kListIndexError[] = u"List index out of bounds (%d)";
const Char kListCapacityError[] = u"List capacity out of bounds (%d)";
const Char kListCountError[] = u"List count out of bounds (%d)";

// Lists stay far below this; it keeps int arithmetic on indexes safe.
constexpr int kMaxListSize = 0x7FFFFFF;

// Hoare's quicksort as the platform's lists do it, so equal items end in
// the same order. The bounds checks keep an inconsistent compare function
// from running off the array.
void quickSort(std::vector<void*>& items, int left, int right, TListSortCompare compare) {
  while (left < right) {
    int i = left;
    int j = right;
    void* pivot = items[static_cast<size_t>(left + (right - left) / 2)];
    do {
      while (i < right && compare(items[static_cast<size_t>(i)], pivot) < 0) ++i;
      while (j > left && compare(items[static_cast<size_t>(j)], pivot) > 0) --j;
      if (i <= j) {
        if (i != j) std::swap(items[static_cast<size_t>(i)], items[static_cast<size_t>(j)]);
        ++i;
        --j;
      }
    } while (i <= j);
    if (left < j) quickSort(items, left, j, compare);
    left = i;
  }
}

}  // namespace

TList::~TList() = default;

void TList::Error(StringView message, NativeInt data) {
  String text(message);
  auto at = text.find(u"%d");
  if (at != String::npos) {
    std::string digits = std::to_string(static_cast<long long>(data));
    text.replace(at, 2, String(digits.begin(), digits.end()));
  }
  throw EListError(text);
}

void TList::checkIndex(int index) const {
  if (index < 0 || index >= Count()) Error(kListIndexError, index);
}

int TList::Add(void* item) {
  int index = Count();
  if (index >= kMaxListSize) Error(kListCapacityError, index + 1);
  items_.push_back(item);
  capacity_ = std::max(capacity_, Count());
  if (item) Notify(item, lnAdded);
  return index;
}

void TList::Insert(int index, void* item) {
  if (index < 0 || index > Count()) Error(kListIndexError, index);
  if (Count() >= kMaxListSize) Error(kListCapacityError, Count() + 1);
  items_.insert(items_.begin() + index, item);
  capacity_ = std::max(capacity_, Count());
  if (item) Notify(item, lnAdded);
}

void TList::Delete(int index) {
  checkIndex(index);
  void* item = items_[static_cast<size_t>(index)];
  items_.erase(items_.begin() + index);
  if (item) Notify(item, lnDeleted);
}

int TList::Remove(void* item) {
  int index = IndexOf(item);
  if (index >= 0) Delete(index);
  return index;
}

int TList::IndexOf(void* item) const {
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void* TList::Extract(void* item) {
  int index = IndexOf(item);
  if (index < 0) return nullptr;
  items_.erase(items_.begin() + index);
  Notify(item, lnExtracted);
  return item;
}

void TList::Exchange(int index1, int index2) {
  checkIndex(index1);
  checkIndex(index2);
  std::swap(items_[static_cast<size_t>(index1)], items_[static_cast<size_t>(index2)]);
}

void TList::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  checkIndex(curIndex);
  checkIndex(newIndex);
  void* item = items_[static_cast<size_t>(curIndex)];
  items_.erase(items_.begin() + curIndex);
  items_.insert(items_.begin() + newIndex, item);
}

void TList::Clear() {
  SetCount(0);
  SetCapacity(0);
}

void TList::Pack() {
  items_.erase(std::remove(items_.begin(), items_.end(), nullptr), items_.end());
}

void TList::Sort(TListSortCompare compare) {
  if (compare && Count() > 1) quickSort(items_, 0, Count() - 1, compare);
}

TList& TList::Expand() {
  if (Count() == capacity_) {
    int delta = capacity_ > 64 ? capacity_ / 4 : (capacity_ > 8 ? 16 : 4);
    SetCapacity(capacity_ + delta);
  }
  return *this;
}

void* TList::First() const { return Get(0); }
void* TList::Last() const { return Get(Count() - 1); }

void* TList::Get(int index) const {
  checkIndex(index);
  return items_[static_cast<size_t>(index)];
}

void TList::Put(int index, void* item) {
  checkIndex(index);
  void* old = items_[static_cast<size_t>(index)];
  if (old == item) return;
  items_[static_cast<size_t>(index)] = item;
  if (old) Notify(old, lnDeleted);
  if (item) Notify(item, lnAdded);
}

void TList::SetCount(int newCount) {
  if (newCount < 0 || newCount > kMaxListSize) Error(kListCountError, newCount);
  if (newCount > Count()) {
    items_.resize(static_cast<size_t>(newCount), nullptr);
    capacity_ = std::max(capacity_, newCount);
  } else {
    // One at a time from the end so every item is told it leaves.
    for (int i = Count() - 1; i >= newCount; --i) Delete(i);
  }
}

void TList::SetCapacity(int newCapacity) {
  if (newCapacity < Count() || newCapacity > kMaxListSize) Error(kListCapacityError, newCapacity);
  capacity_ = newCapacity;
  if (newCapacity == 0) {
    std::vector<void*>().swap(items_);
  } else {
    items_.reserve(static_cast<size_t>(newCapacity));
  }
}

void TList::Notify(void*, TListNotification) {}

// --- TObjectList --------------------------------------------------------------

TObjectList::~TObjectList() {
  // The base destructor cannot reach our Notify; free the objects here.
  Clear();
}

void TObjectList::Notify(void* ptr, TListNotification action) {
  if (ownsObjects_ && action == lnDeleted) static_cast<TObject*>(ptr)->Free();
  TList::Notify(ptr, action);
}

// --- TBits ----------------------------------------------------------------------

namespace {
[[noreturn]] void bitsError() { throw EBitsError(u"Bits index out of range"); }
constexpr int kMaxBits = 0x7FFFFFF0;
}  // namespace

bool TBits::Bits(int index) const {
  if (index < 0) bitsError();
  if (index >= size_) return false;
  return (words_[static_cast<size_t>(index) / 64] >> (index % 64)) & 1u;
}

void TBits::SetBits(int index, bool value) {
  if (index < 0 || index >= kMaxBits) bitsError();
  if (index >= size_) SetSize(index + 1);
  std::uint64_t mask = std::uint64_t{1} << (index % 64);
  auto& word = words_[static_cast<size_t>(index) / 64];
  word = value ? (word | mask) : (word & ~mask);
}

void TBits::SetSize(int value) {
  if (value < 0 || value > kMaxBits) bitsError();
  words_.resize((static_cast<size_t>(value) + 63) / 64, 0);
  // Clear the bits beyond the new size so a later growth reads them as false.
  if (value % 64 != 0) words_.back() &= (std::uint64_t{1} << (value % 64)) - 1;
  size_ = value;
}

int TBits::OpenBit() const {
  for (size_t w = 0; w < words_.size(); ++w) {
    if (words_[w] != ~std::uint64_t{0}) {
      for (int b = 0; b < 64; ++b) {
        int index = static_cast<int>(w * 64) + b;
        if (index >= size_) return size_;
        if (!((words_[w] >> b) & 1u)) return index;
      }
    }
  }
  return size_;
}

}  // namespace rtl
