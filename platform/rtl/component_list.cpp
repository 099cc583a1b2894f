#include "platform/rtl/component_list.h"

namespace rtl {

// The list's ear: free notification needs a component on this side.
class TComponentList::Nexus : public TComponent {
 public:
  explicit Nexus(TComponentList& list) : TComponent(nullptr), list_(list) {}

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    if (operation == TOperation::opRemove) list_.componentFreed(component);
    TComponent::Notification(component, operation);
  }

 private:
  TComponentList& list_;
};

TComponentList::TComponentList(bool ownsObjects)
    : TObjectList(ownsObjects), nexus_(std::make_unique<Nexus>(*this)) {}

TComponentList::~TComponentList() {
  // The items leave while the nexus can still forget them.
  Clear();
}

void TComponentList::componentFreed(TComponent* component) {
  // The component is going anyway: it leaves without being freed again.
  while (IndexOf(component) >= 0) Extract(component);
}

void TComponentList::Notify(void* ptr, TListNotification action) {
  auto* component = static_cast<TComponent*>(ptr);
  if (nexus_ && component) {
    if (action == lnAdded)
      component->FreeNotification(nexus_.get());
    else if (IndexOf(component) < 0)
      component->RemoveFreeNotification(nexus_.get());
  }
  TObjectList::Notify(ptr, action);
}

}  // namespace rtl
