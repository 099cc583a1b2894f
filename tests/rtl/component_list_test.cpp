// TComponentList and the early removal announcement of TComponent.
#include <gtest/gtest.h>

#include <vector>

#include "platform/rtl/component_list.h"

namespace rtl {
namespace {

class Watcher : public TComponent {
 public:
  explicit Watcher(TComponent* owner = nullptr) : TComponent(owner) {}
  std::vector<TComponent*> removed;

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    if (operation == TOperation::opRemove) removed.push_back(component);
    TComponent::Notification(component, operation);
  }
};

TEST(ComponentList, AComponentFreedElsewhereLeavesTheList) {
  TComponentList list(false);
  auto* a = Create<TComponent>(nullptr);
  auto* b = Create<TComponent>(nullptr);
  list.Add(a);
  list.Add(b);
  a->Free();
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Items(0), b);
  list.Remove(b);  // not owning: b lives on, and is no longer watched
  b->Free();
  EXPECT_EQ(list.Count(), 0);
}

TEST(ComponentList, AnOwningListFreesWhatItDeletesAndWhatItHoldsAtTheEnd) {
  Watcher owner;
  {
    TComponentList list;
    list.Add(Create<TComponent>(&owner));
    list.Add(Create<TComponent>(&owner));
    list.Add(Create<TComponent>(&owner));
    list.Delete(0);
    EXPECT_EQ(owner.ComponentCount(), 2);
    TComponent* kept = list.Extract(list.Items(0));
    EXPECT_EQ(owner.ComponentCount(), 2);
    kept->Free();
  }
  EXPECT_EQ(owner.ComponentCount(), 0);
}

TEST(ComponentList, TheListMayGoBeforeItsComponents) {
  auto* a = Create<TComponent>(nullptr);
  {
    TComponentList list(false);
    list.Add(a);
  }
  a->Free();  // must not reach the gone list (sanitizers watch)
  SUCCEED();
}

TEST(ComponentRemoval, PartnersAndOwnerHearItBeforeDestructionAndOnlyPartnersOnce) {
  Watcher owner;
  Watcher partner;
  auto* component = Create<TComponent>(&owner);
  component->FreeNotification(&partner);
  component->BroadcastRemoveNotifications();
  EXPECT_EQ(partner.removed, (std::vector<TComponent*>{component}));
  EXPECT_EQ(owner.removed, (std::vector<TComponent*>{component}));
  component->Free();
  EXPECT_EQ(partner.removed.size(), 1u);  // already forgotten
}

}  // namespace
}  // namespace rtl
