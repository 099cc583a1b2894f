#pragma once
// Pointer lists and bit arrays: TList, TObjectList, TInterfaceList, TBits.
// Bad indexes raise EListError "List index out of bounds (%d)" as the
// platform's lists do, so code written against them keeps its error paths.
#include <cstdint>
#include <vector>

#include "platform/rtl/except.h"
#include "platform/rtl/object.h"
#include "platform/rtl/types.h"

namespace rtl {

RTL_DECLARE_EXCEPTION(EBitsError, Exception);

enum class TListNotification { lnAdded = 0, lnExtracted = 1, lnDeleted = 2 };
using enum TListNotification;

// Negative when a < b, zero when equal, positive when a > b.
using TListSortCompare = int (*)(void* item1, void* item2);

class TList : public TObject {
  RTL_CLASS(TList, TObject)

 public:
  TList() = default;
  // Frees nothing; derived lists that own their items clear themselves.
  ~TList() override;

  int Add(void* item);
  void Insert(int index, void* item);
  void Delete(int index);
  // Returns the index the item had, or -1.
  int Remove(void* item);
  int IndexOf(void* item) const;
  // Removes the item without deleting it (lnExtracted); nullptr when absent.
  void* Extract(void* item);
  void Exchange(int index1, int index2);
  void Move(int curIndex, int newIndex);
  void Clear();
  // Drops the nil entries.
  void Pack();
  void Sort(TListSortCompare compare);
  TList& Expand();

  void* First() const;
  void* Last() const;
  void* Get(int index) const;
  void Put(int index, void* item);
  void* Items(int index) const { return Get(index); }
  void SetItems(int index, void* item) { Put(index, item); }
  void* operator[](int index) const { return Get(index); }

  int Count() const { return static_cast<int>(items_.size()); }
  // Growing adds nil entries; shrinking deletes the tail (lnDeleted).
  void SetCount(int newCount);
  int Capacity() const { return capacity_; }
  void SetCapacity(int newCapacity);
  const std::vector<void*>& List() const { return items_; }

  // Raises EListError with `message` ("... (%d)") formatted with `data`.
  [[noreturn]] static void Error(StringView message, NativeInt data);

 protected:
  // Told of every item that enters or leaves the list (nil items excepted).
  virtual void Notify(void* ptr, TListNotification action);
  void checkIndex(int index) const;

 private:
  std::vector<void*> items_;
  int capacity_ = 0;
};

// A list of objects that, when OwnsObjects is set, frees an object as it
// leaves the list by Delete, Remove, Clear, Put or destruction (not Extract).
class TObjectList : public TList {
  RTL_CLASS(TObjectList, TList)

 public:
  explicit TObjectList(bool ownsObjects = true) : ownsObjects_(ownsObjects) {}
  ~TObjectList() override;

  int Add(TObject* object) { return TList::Add(object); }
  void Insert(int index, TObject* object) { TList::Insert(index, object); }
  int Remove(TObject* object) { return TList::Remove(object); }
  int IndexOf(TObject* object) const { return TList::IndexOf(object); }
  TObject* Extract(TObject* object) { return static_cast<TObject*>(TList::Extract(object)); }
  TObject* First() const { return static_cast<TObject*>(TList::First()); }
  TObject* Last() const { return static_cast<TObject*>(TList::Last()); }
  TObject* Items(int index) const { return static_cast<TObject*>(Get(index)); }
  void SetItems(int index, TObject* object) { Put(index, object); }
  TObject* operator[](int index) const { return Items(index); }

  bool OwnsObjects() const { return ownsObjects_; }
  void SetOwnsObjects(bool value) { ownsObjects_ = value; }

 protected:
  void Notify(void* ptr, TListNotification action) override;

 private:
  bool ownsObjects_;
};

// Interfaces are not reference counted here, so this is a list of raw,
// non-owning pointers to objects seen through one of their interfaces.
class TInterfaceList : public TObject {
  RTL_CLASS(TInterfaceList, TObject)

 public:
  int Add(void* item) { return list_.Add(item); }
  void Insert(int index, void* item) { list_.Insert(index, item); }
  void Delete(int index) { list_.Delete(index); }
  int Remove(void* item) { return list_.Remove(item); }
  int IndexOf(void* item) const { return list_.IndexOf(item); }
  void Exchange(int index1, int index2) { list_.Exchange(index1, index2); }
  void Clear() { list_.Clear(); }
  void* First() const { return list_.First(); }
  void* Last() const { return list_.Last(); }
  void* Items(int index) const { return list_.Get(index); }
  void SetItems(int index, void* item) { list_.Put(index, item); }
  void* operator[](int index) const { return list_.Get(index); }
  int Count() const { return list_.Count(); }
  void SetCount(int value) { list_.SetCount(value); }
  int Capacity() const { return list_.Capacity(); }
  void SetCapacity(int value) { list_.SetCapacity(value); }

  // Typed access for callers that know what they stored.
  template <class I>
  I* As(int index) const { return static_cast<I*>(Items(index)); }

 private:
  TList list_;
};

// A growable array of bits. Reading past the end gives false; writing past
// it grows the array. Negative indexes raise EBitsError.
class TBits : public TObject {
  RTL_CLASS(TBits, TObject)

 public:
  bool Bits(int index) const;
  void SetBits(int index, bool value);
  bool operator[](int index) const { return Bits(index); }
  int Size() const { return size_; }
  void SetSize(int value);
  // The index of the first false bit (Size when all are set).
  int OpenBit() const;

 private:
  std::vector<std::uint64_t> words_;
  int size_ = 0;
};

}  // namespace rtl
