#pragma once
// TComponentList: a list of components that drops a component as it is
// freed elsewhere, and (owning by default) frees what it deletes.
#include <memory>

#include "platform/rtl/classes.h"
#include "platform/rtl/lists.h"

namespace rtl {

class TComponentList : public TObjectList {
  RTL_CLASS(TComponentList, TObjectList)

 public:
  explicit TComponentList(bool ownsObjects = true);
  ~TComponentList() override;

  int Add(TComponent* component) { return TObjectList::Add(component); }
  void Insert(int index, TComponent* component) { TObjectList::Insert(index, component); }
  int Remove(TComponent* component) { return TObjectList::Remove(component); }
  int IndexOf(TComponent* component) const { return TObjectList::IndexOf(component); }
  TComponent* Extract(TComponent* component) {
    return static_cast<TComponent*>(TObjectList::Extract(component));
  }
  TComponent* Items(int index) const { return static_cast<TComponent*>(Get(index)); }
  TComponent* operator[](int index) const { return Items(index); }

 protected:
  // Watches each component that enters (a freed one leaves by Extract) and
  // stops watching each that leaves.
  void Notify(void* ptr, TListNotification action) override;

 private:
  class Nexus;
  void componentFreed(TComponent* component);

  std::unique_ptr<Nexus> nexus_;
};

}  // namespace rtl
