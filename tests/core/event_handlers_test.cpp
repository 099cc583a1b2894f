// Multicast events, weak object links and the owned interfaced collection.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/core/cxClasses.h"

namespace core {
namespace {

// A handler object that logs its calls and can change the collection it is
// called from.
struct Listener {
  std::string name;
  std::vector<std::string>* log = nullptr;
  TcxEventHandlerCollection* events = nullptr;
  std::vector<TcxEventHandler> removeOnCall;
  std::vector<TcxEventHandler> addOnCall;

  void Handle(TObject*, const void* args) {
    log->push_back(name + ":" + std::to_string(*static_cast<const int*>(args)));
    for (const auto& h : removeOnCall) events->Remove(h);
    for (const auto& h : addOnCall) events->Add(h);
  }
  TcxEventHandler handler() { return TcxEventHandler::bind<&Listener::Handle>(this); }
};

class EventHandlers : public testing::Test {
 protected:
  void SetUp() override {
    for (auto* l : {&a, &b, &c, &d}) {
      l->log = &log;
      l->events = &events;
    }
    a.name = "a";
    b.name = "b";
    c.name = "c";
    d.name = "d";
  }
  void call() {
    const int args = 7;
    events.CallEvents(nullptr, &args);
  }
  TcxEventHandlerCollection events;
  std::vector<std::string> log;
  Listener a, b, c, d;
};

TEST_F(EventHandlers, AddsEachHandlerOnceAndCallsInOrder) {
  call();
  EXPECT_TRUE(log.empty());
  events.Add(a.handler());
  events.Add(b.handler());
  events.Add(a.handler());
  EXPECT_EQ(events.Count(), 2);
  EXPECT_EQ(events.IndexOf(b.handler()), 1);
  call();
  EXPECT_EQ(log, (std::vector<std::string>{"a:7", "b:7"}));
}

TEST_F(EventHandlers, RemoveAndDeleteIgnoreWhatIsNotThere) {
  events.Add(a.handler());
  events.Remove(b.handler());
  events.Delete(5);
  events.Delete(-1);
  EXPECT_EQ(events.Count(), 1);
  events.Delete(0);
  EXPECT_EQ(events.Count(), 0);
}

TEST_F(EventHandlers, AHandlerRemovingLaterHandlersDuringTheCallIsSafe) {
  // The walk must neither run past the shrunk array nor call a handler that
  // was taken out before its turn.
  a.removeOnCall = {b.handler(), c.handler()};
  events.Add(a.handler());
  events.Add(b.handler());
  events.Add(c.handler());
  events.Add(d.handler());
  call();
  EXPECT_EQ(log, (std::vector<std::string>{"a:7", "d:7"}));
  EXPECT_EQ(events.Count(), 2);
}

TEST_F(EventHandlers, AHandlerRemovingItselfDoesNotMakeTheNextOneSkipped) {
  a.removeOnCall = {a.handler()};
  events.Add(a.handler());
  events.Add(b.handler());
  events.Add(c.handler());
  call();
  EXPECT_EQ(log, (std::vector<std::string>{"a:7", "b:7", "c:7"}));
  EXPECT_EQ(events.Count(), 2);
}

TEST_F(EventHandlers, HandlersAddedDuringTheCallWaitForTheNextCall) {
  a.addOnCall = {d.handler()};
  events.Add(a.handler());
  events.Add(b.handler());
  call();
  EXPECT_EQ(log, (std::vector<std::string>{"a:7", "b:7"}));
  log.clear();
  call();
  EXPECT_EQ(log, (std::vector<std::string>{"a:7", "b:7", "d:7"}));
}

// --- object links -------------------------------------------------------------

TEST(ObjectLinks, ClearingAnObjectNilsEveryLinkToItOnly) {
  TObject x, y;
  TcxObjectLink* l1 = cxAddObjectLink(&x);
  TcxObjectLink* l2 = cxAddObjectLink(&x);
  TcxObjectLink* other = cxAddObjectLink(&y);
  EXPECT_EQ(cxAddObjectLink(nullptr), nullptr);
  cxClearObjectLinks(&x);
  EXPECT_EQ(l1->Ref, nullptr);
  EXPECT_EQ(l2->Ref, nullptr);
  EXPECT_EQ(other->Ref, &y);
  // Only frees the links now.
  cxRemoveObjectLink(l1);
  cxRemoveObjectLink(l2);
  cxRemoveObjectLink(other);
  cxRemoveObjectLink(nullptr);
}

TEST(ObjectLinks, ARemovedLinkIsNoLongerCleared) {
  TObject x;
  TcxObjectLink* kept = cxAddObjectLink(&x);
  cxRemoveObjectLink(cxAddObjectLink(&x));
  cxClearObjectLinks(&x);  // must not touch the freed link (sanitizers watch)
  EXPECT_EQ(kept->Ref, nullptr);
  cxRemoveObjectLink(kept);
}

class Linked : public TcxComponent {
  RTL_CLASS(Linked, TcxComponent)

 public:
  using TcxComponent::TcxComponent;
};

TEST(ObjectLinks, AComponentClearsItsLinksAsItGoes) {
  auto* component = rtl::Create<Linked>(nullptr);
  TcxObjectLink* link = cxAddObjectLink(component);
  ASSERT_EQ(link->Ref, component);
  component->Free();
  EXPECT_EQ(link->Ref, nullptr);
  cxRemoveObjectLink(link);
}

// --- TcxOwnedInterfacedCollection ------------------------------------------------------

class Entry : public TcxInterfacedCollectionItem {
  RTL_CLASS(Entry, TcxInterfacedCollectionItem)

 public:
  using TcxInterfacedCollectionItem::TcxInterfacedCollectionItem;
  int key = 0;
};

class Entries : public TcxOwnedInterfacedCollection {
 public:
  Entries() : TcxOwnedInterfacedCollection(nullptr, rtl::ClassRef<rtl::TCollectionItem>::of<Entry>()) {}
  Entry* add(int key) {
    auto* e = static_cast<Entry*>(Add());
    e->key = key;
    return e;
  }
  std::vector<int> keys() const {
    std::vector<int> out;
    for (int i = 0; i < Count(); ++i) out.push_back(static_cast<Entry*>(Items(i))->key);
    return out;
  }
  using TcxOwnedInterfacedCollection::Update;
};

struct ChangeLog {
  std::vector<rtl::TCollectionItem*> items;
  void Changed(TObject*, rtl::TCollectionItem* item) { items.push_back(item); }
  int ByKey(TcxOwnedInterfacedCollection*, rtl::TCollectionItem* i1, rtl::TCollectionItem* i2) {
    return static_cast<Entry*>(i1)->key - static_cast<Entry*>(i2)->key;
  }
};

TEST(OwnedInterfacedCollection, SortsByTheCompareEventWhenSortedAndReportsOnce) {
  Entries entries;
  ChangeLog changes;
  entries.add(3);
  entries.add(1);
  entries.add(2);
  entries.SetOnChange(
      TcxOwnedInterfacedCollectionChangeEvent::bind<&ChangeLog::Changed>(&changes));
  entries.SetOnCompare(
      TcxOwnedInterfacedCollectionCompareEvent::bind<&ChangeLog::ByKey>(&changes));
  entries.SetSorted(true);
  EXPECT_EQ(entries.keys(), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(changes.items, (std::vector<rtl::TCollectionItem*>{nullptr}));
  entries.BeginUpdate();
  entries.add(0);
  entries.EndUpdate();  // a change of the whole collection sorts again
  EXPECT_EQ(entries.keys(), (std::vector<int>{0, 1, 2, 3}));
}

TEST(OwnedInterfacedCollection, DefaultCompareKeepsTheOrderAndDestructionIsSilent) {
  ChangeLog changes;
  {
    Entries entries;
    entries.add(3);
    entries.add(1);
    entries.SetSorted(true);
    EXPECT_EQ(entries.keys(), (std::vector<int>{3, 1}));
    entries.SetOnChange(
        TcxOwnedInterfacedCollectionChangeEvent::bind<&ChangeLog::Changed>(&changes));
  }
  EXPECT_TRUE(changes.items.empty());
}

}  // namespace
}  // namespace core
