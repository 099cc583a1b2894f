// The persistent bases, the free notificator, the collection whose Assign
// keeps its items and the doubly linked object list.
#include <gtest/gtest.h>

#include <vector>

#include "lib/core/dxCoreClasses.h"
#include "platform/rtl/except.h"

namespace core {
namespace {

class Named : public TcxOwnedPersistent {
  RTL_CLASS(Named, TcxOwnedPersistent)

 public:
  using TcxOwnedPersistent::TcxOwnedPersistent;
  int value = 0;
  int assigned = 0;

 protected:
  void DoAssign(TcxOwnedPersistent* source) override {
    ++assigned;
    value = static_cast<Named*>(source)->value;
  }
};

TEST(PersistentBases, OwnedPersistentAssignsThroughDoAssign) {
  rtl::TPersistent owner;
  Named a(&owner), b(nullptr);
  EXPECT_EQ(a.GetOwner(), &owner);
  b.value = 7;
  a.Assign(&b);
  EXPECT_EQ(a.value, 7);
  EXPECT_EQ(a.assigned, 1);
  rtl::TPersistent stranger;
  EXPECT_THROW(a.Assign(&stranger), rtl::EConvertError);
  TcxOwnedInterfacedPersistent unknown(&owner);
  EXPECT_EQ(unknown._AddRef(), -1);
  EXPECT_EQ(unknown._Release(), -1);
  EXPECT_EQ(TcxInterfacedPersistent(&owner).GetOwner(), &owner);
}

TEST(PersistentBases, FreeNotificatorReportsFreedSenders) {
  TcxFreeNotificator notificator(nullptr);
  std::vector<rtl::TComponent*> freed;
  int token = 0;
  notificator.SetOnFreeNotification(
      TcxFreeNotificationEvent::fromClosure(&token, [&](rtl::TComponent* c) { freed.push_back(c); }));
  auto* watched = new rtl::TComponent(nullptr);
  auto* withdrawn = new rtl::TComponent(nullptr);
  notificator.AddSender(watched);
  notificator.AddSender(withdrawn);
  notificator.AddSender(nullptr);
  notificator.RemoveSender(withdrawn);
  rtl::TComponent* watchedAddress = watched;
  watched->Free();
  withdrawn->Free();
  EXPECT_EQ(freed, (std::vector<rtl::TComponent*>{watchedAddress}));
}

class Item : public rtl::TCollectionItem {
  RTL_CLASS(Item, rtl::TCollectionItem)

 public:
  using rtl::TCollectionItem::TCollectionItem;
  int value = 0;
  void Assign(rtl::TPersistent* source) override {
    if (auto* other = dynamic_cast<Item*>(source))
      value = other->value;
    else
      rtl::TCollectionItem::Assign(source);
  }
};

class CountingCollection : public TcxCollection {
 public:
  CountingCollection() : TcxCollection(rtl::ClassRef<rtl::TCollectionItem>::of<Item>()) {}
  int updates = 0;

 protected:
  void Update(rtl::TCollectionItem*) override { ++updates; }
};

Item* at(rtl::TCollection& c, int i) { return static_cast<Item*>(c.Items(i)); }

TEST(PersistentBases, CollectionAssignKeepsItemsAndDropsTheSurplus) {
  struct Case {
    int sourceCount, targetCount;
  };
  for (Case c : {Case{2, 5}, Case{5, 2}, Case{3, 3}, Case{0, 4}}) {
    CountingCollection source, target;
    for (int i = 0; i < c.sourceCount; ++i) static_cast<Item*>(source.Add())->value = 100 + i;
    std::vector<Item*> before;
    for (int i = 0; i < c.targetCount; ++i) before.push_back(static_cast<Item*>(target.Add()));
    target.updates = 0;
    target.Assign(&source);
    ASSERT_EQ(target.Count(), c.sourceCount);
    for (int i = 0; i < c.sourceCount; ++i) {
      EXPECT_EQ(at(target, i)->value, 100 + i);
      if (i < c.targetCount) { EXPECT_EQ(at(target, i), before[static_cast<size_t>(i)]); }
    }
    EXPECT_EQ(target.updates, 1) << "one update bracket";
  }
  CountingCollection empty1, empty2;
  empty1.Assign(&empty2);
  EXPECT_EQ(empty1.updates, 0);
}

std::vector<int> gFreedLinks;
class Link : public TcxDoublyLinkedObject {
  RTL_CLASS(Link, TcxDoublyLinkedObject)

 public:
  Link() : id(nextId++) {}
  ~Link() override { gFreedLinks.push_back(id); }
  int id;
  static inline int nextId = 0;
};
class LinkList : public TcxDoublyLinkedObjectList {
 protected:
  rtl::ClassRef<TcxDoublyLinkedObject> GetLinkedObjectClass() const override {
    return rtl::ClassRef<TcxDoublyLinkedObject>::of<Link>();
  }
};

TEST(PersistentBases, DoublyLinkedListUnlinksAndFreesLastToFirst) {
  gFreedLinks.clear();
  Link::nextId = 0;
  {
    LinkList list;
    auto* a = static_cast<Link*>(list.Add());
    auto* b = static_cast<Link*>(list.Add());
    auto* c = static_cast<Link*>(list.Add());
    EXPECT_EQ(list.First(), a);
    EXPECT_EQ(b->Prev(), a);
    EXPECT_EQ(b->Next(), c);
    list.Extract(b);
    EXPECT_EQ(a->Next(), c);
    EXPECT_EQ(c->Prev(), a);
    EXPECT_EQ(b->Next(), c);  // its own links stay as they were
    b->Free();
    list.Delete(a);
    EXPECT_EQ(list.First(), c);
    EXPECT_EQ(c->Prev(), nullptr);
    list.Add();
    list.Add();
  }
  EXPECT_EQ(gFreedLinks, (std::vector<int>{1, 0, 4, 3, 2}));
}

}  // namespace
}  // namespace core
