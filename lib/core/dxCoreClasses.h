#pragma once
// Light pointer lists and their sort, the persistent bases that know their
// owner, a free-notification component, a collection whose Assign keeps its
// items, and a doubly linked object list.
#include <memory>

#include "lib/core/forward.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/lists.h"
#include "platform/rtl/object.h"

namespace core {

enum class TdxListDirection { ldFromBeginning, ldFromEnd };

// Negative when item1 sorts before item2. The method form carries its object.
using TdxListSortCompareMethod = rtl::Method<int(void* item1, void* item2)>;
using TdxListSortCompareFunc = rtl::TListSortCompare;

class TdxFastList : public rtl::TObject {
  RTL_CLASS(TdxFastList, rtl::TObject)

 public:
  explicit TdxFastList(int capacity = 0);
  // Frees nothing; an owning list clears itself in its own destructor.
  ~TdxFastList() override;

  int Add(void* item);
  void Insert(int index, void* item);
  void Delete(int index);
  int Remove(void* item);
  void* Extract(void* item, TdxListDirection direction = TdxListDirection::ldFromBeginning);
  void* ExtractByIndex(int index);
  int IndexOf(void* item, TdxListDirection direction = TdxListDirection::ldFromBeginning) const;
  void Move(int curIndex, int newIndex);
  // Removes every entry equal to `item`, keeping the order of the rest.
  void Pack(void* item = nullptr);
  void Sort(TdxListSortCompareMethod compare, bool multiThreaded = false);
  void Sort(TdxListSortCompareFunc compare, bool multiThreaded = false);

  void* Items(int index) const;
  void SetItems(int index, void* item);
  void* operator[](int index) const { return Items(index); }
  void* First() const;
  void* Last() const;
  // True for a null list too.
  static bool Empty(const TdxFastList* list) { return !list || list->FCount == 0; }
  bool Empty() const { return FCount == 0; }

  virtual void Clear();
  int Capacity() const { return FCapacity; }
  void SetCapacity(int value);
  int Count() const { return FCount; }
  virtual void SetCount(int value);
  // The item array (nullptr while the capacity is 0).
  void** List() const { return FList.get(); }

 protected:
  void checkIndex(int index) const;
  void grow();

 private:
  int FCapacity = 0;
  int FCount = 0;
  std::unique_ptr<void*[]> FList;
};

class TdxFastObjectList : public TdxFastList {
  RTL_CLASS(TdxFastObjectList, TdxFastList)

 public:
  explicit TdxFastObjectList(bool ownsObjects = true, int capacity = 0);
  ~TdxFastObjectList() override;

  int Add(rtl::TObject* object) { return TdxFastList::Add(object); }
  void Insert(int index, rtl::TObject* object) { TdxFastList::Insert(index, object); }
  int IndexOf(rtl::TObject* object,
              TdxListDirection direction = TdxListDirection::ldFromBeginning) const {
    return TdxFastList::IndexOf(object, direction);
  }
  // An owning list frees the object first (a bad index frees nothing).
  void Delete(int index);
  int Remove(rtl::TObject* object);
  // Never frees.
  rtl::TObject* Extract(rtl::TObject* object) {
    return static_cast<rtl::TObject*>(TdxFastList::Extract(object));
  }
  rtl::TObject* Items(int index) const { return static_cast<rtl::TObject*>(TdxFastList::Items(index)); }
  void SetItems(int index, rtl::TObject* object) { TdxFastList::SetItems(index, object); }
  rtl::TObject* operator[](int index) const { return Items(index); }
  rtl::TObject* First() const { return static_cast<rtl::TObject*>(TdxFastList::First()); }
  rtl::TObject* Last() const { return static_cast<rtl::TObject*>(TdxFastList::Last()); }

  void Clear() override;
  void SetCount(int value) override;
  bool OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(bool value) { FOwnsObjects = value; }

 private:
  bool FOwnsObjects;
};

// --- the list sort ------------------------------------------------------------------------
// Median-of-three quicksort that leaves parts of 35 items or fewer, finished
// by one insertion pass. Not stable. With `multiThreaded`, more than 32 items
// and parallel work allowed, the shared parallel sorter takes the list.
void dxQuickSortList(void** list, int count, TdxListSortCompareMethod compare,
                     bool multiThreaded = false);
void dxQuickSortList(void** list, int count, TdxListSortCompareFunc compare,
                     bool multiThreaded = false);
void dxQuickSortList(rtl::TList* list, TdxListSortCompareMethod compare, bool multiThreaded = false);
void dxInternalQuickSortList(void** list, int count, TdxListSortCompareMethod compare);
void dxInternalQuickSortList(void** list, int count, TdxListSortCompareFunc compare);

// --- persistent and interface bases ---------------------------------------------------------
// Answers interface queries without reference counting: objects live by
// ownership only.
class TcxIUnknownObject : public rtl::TObject {
  RTL_CLASS(TcxIUnknownObject, rtl::TObject)

 public:
  template <class I>
  bool QueryInterface(I*& out) {
    return rtl::Supports<I>(this, out);
  }
  int _AddRef() { return -1; }
  int _Release() { return -1; }
};

class TcxInterfacedPersistent : public rtl::TInterfacedPersistent {
  RTL_CLASS(TcxInterfacedPersistent, rtl::TInterfacedPersistent)

 public:
  explicit TcxInterfacedPersistent(rtl::TPersistent* owner) : FOwner(owner) {}
  rtl::TPersistent* GetOwner() const override { return FOwner; }
  rtl::TPersistent* Owner() const { return FOwner; }

 private:
  rtl::TPersistent* FOwner;
};

class TcxOwnedPersistent : public rtl::TPersistent {
  RTL_CLASS(TcxOwnedPersistent, rtl::TPersistent)

 public:
  explicit TcxOwnedPersistent(rtl::TPersistent* owner) : FOwner(owner) {}
  // Another owned persistent goes to DoAssign; anything else to the base,
  // which reports that it cannot be assigned.
  void Assign(rtl::TPersistent* source) override;
  rtl::TPersistent* GetOwner() const override { return FOwner; }
  rtl::TPersistent* Owner() const { return FOwner; }

 protected:
  virtual void DoAssign(TcxOwnedPersistent* source) {}

 private:
  rtl::TPersistent* FOwner;
};

class TcxOwnedInterfacedPersistent : public TcxOwnedPersistent {
  RTL_CLASS(TcxOwnedInterfacedPersistent, TcxOwnedPersistent)

 public:
  using TcxOwnedPersistent::TcxOwnedPersistent;
  template <class I>
  bool QueryInterface(I*& out) {
    return rtl::Supports<I>(this, out);
  }
  int _AddRef() { return -1; }
  int _Release() { return -1; }
};

using TcxFreeNotificationEvent = rtl::Method<void(rtl::TComponent* sender)>;

// Hears when the components it watches are freed.
class TcxFreeNotificator : public rtl::TComponent {
  RTL_CLASS(TcxFreeNotificator, rtl::TComponent)

 public:
  using rtl::TComponent::TComponent;
  void AddSender(rtl::TComponent* component);
  void RemoveSender(rtl::TComponent* component);
  const TcxFreeNotificationEvent& OnFreeNotification() const { return FOnFreeNotification; }
  void SetOnFreeNotification(const TcxFreeNotificationEvent& value) { FOnFreeNotification = value; }

 protected:
  void Notification(rtl::TComponent* component, rtl::TOperation operation) override;

 private:
  TcxFreeNotificationEvent FOnFreeNotification;
};

// Assign reuses the items already there, so they keep their identity.
class TcxCollection : public rtl::TCollection {
  RTL_CLASS(TcxCollection, rtl::TCollection)

 public:
  using rtl::TCollection::TCollection;
  void Assign(rtl::TPersistent* source) override;
};

// --- doubly linked object list -------------------------------------------------------------------
class TcxDoublyLinkedObject : public rtl::TObject {
  RTL_CLASS(TcxDoublyLinkedObject, rtl::TObject)

 public:
  TcxDoublyLinkedObject* Prev() const { return FPrev; }
  TcxDoublyLinkedObject* Next() const { return FNext; }
  void SetPrev(TcxDoublyLinkedObject* value) { FPrev = value; }
  void SetNext(TcxDoublyLinkedObject* value) { FNext = value; }

 private:
  TcxDoublyLinkedObject* FPrev = nullptr;
  TcxDoublyLinkedObject* FNext = nullptr;
};

// Owns its linked objects.
class TcxDoublyLinkedObjectList : public rtl::TObject {
  RTL_CLASS(TcxDoublyLinkedObjectList, rtl::TObject)

 public:
  TcxDoublyLinkedObjectList() = default;
  ~TcxDoublyLinkedObjectList() override;

  virtual TcxDoublyLinkedObject* Add();
  virtual void Clear();
  virtual void Delete(TcxDoublyLinkedObject* object);
  // Unlinks `object` and leaves its own links as they were.
  virtual void Extract(TcxDoublyLinkedObject* object);
  virtual void Remove(TcxDoublyLinkedObject* object) { Delete(object); }

  TcxDoublyLinkedObject* First() const { return FFirst; }
  TcxDoublyLinkedObject* Last() const { return FLast; }

 protected:
  virtual TcxDoublyLinkedObject* CreateLinkedObject();
  virtual void DoAdd(TcxDoublyLinkedObject* object);
  virtual rtl::ClassRef<TcxDoublyLinkedObject> GetLinkedObjectClass() const;

 private:
  TcxDoublyLinkedObject* FFirst = nullptr;
  TcxDoublyLinkedObject* FLast = nullptr;
};

}  // namespace core
