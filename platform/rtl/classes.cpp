#include "platform/rtl/classes.h"

#include <algorithm>
#include <exception>
#include <string>

#include "platform/rtl/except.h"
#include "platform/rtl/ustring.h"

#include "platform/rtl/filer.h"

namespace rtl {

namespace {

String intToString(long long value) { return detail::asciiToString(std::to_string(value).c_str()); }

template <class T>
void eraseValue(std::vector<T*>& list, const T* value) {
  list.erase(std::remove(list.begin(), list.end(), value), list.end());
}

template <class T>
bool containsValue(const std::vector<T*>& list, const T* value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

// Components created inside an open loading bracket on this thread, and the
// lists whose Loaded calls are running; a component that goes leaves them.
struct LoadingState {
  int depth = 0;
  std::vector<TComponent*> created;
  std::vector<std::vector<TComponent*>*> finishing;
};
thread_local LoadingState tlsLoading;

void forgetLoading(TComponent* component) {
  eraseValue(tlsLoading.created, component);
  for (std::vector<TComponent*>* list : tlsLoading.finishing)
    std::replace(list->begin(), list->end(), component, static_cast<TComponent*>(nullptr));
}

class UpdateGuard {
 public:
  explicit UpdateGuard(TCollection& c) : c_(c) { c_.BeginUpdate(); }
  ~UpdateGuard() {
    try {
      c_.EndUpdate();
    } catch (...) {
      // An Update override failed while another error is already on its way
      // or during cleanup; destructors never throw.
    }
  }

 private:
  TCollection& c_;
};

}  // namespace

void ListIndexError(int index) {
  throw EListError(u"List index out of bounds (" + intToString(index) + u")");
}

TNotifyEvent ApplicationHandleException;

// --- TPersistent ---------------------------------------------------------------------

void TPersistent::Assign(TPersistent* source) {
  if (source)
    source->AssignTo(this);
  else
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) { dest->AssignError(this); }

void TPersistent::AssignError(TPersistent* source) {
  String sourceName = source ? source->ClassName() : String(u"nil");
  throw EConvertError(u"Cannot assign a " + sourceName + u" to a " + ClassName());
}

String TPersistent::GetNamePath() const {
  String result = ClassName();
  if (TPersistent* owner = GetOwner()) {
    String ownerPath = owner->GetNamePath();
    if (!ownerPath.empty()) result = ownerPath + u"." + result;
  }
  return result;
}

// --- TComponent -----------------------------------------------------------------------

namespace {
[[noreturn]] void duplicateName(const String& name) {
  throw EComponentError(u"A component named " + name + u" already exists");
}
}  // namespace

bool IsValidIdent(StringView ident) {
  if (ident.empty()) return false;
  auto isAlpha = [](Char c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_'; };
  if (!isAlpha(ident[0])) return false;
  return std::all_of(ident.begin() + 1, ident.end(),
                     [&](Char c) { return isAlpha(c) || (c >= u'0' && c <= u'9'); });
}

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
  if (tlsLoading.depth > 0) {
    state_ += TComponentState{TComponentStateItem::csLoading, TComponentStateItem::csReading};
    tlsLoading.created.push_back(this);
  }
}

TComponent::~TComponent() {
  Destroying();
  forgetLoading(this);
  tellFreeNotificationPartners();
  DestroyComponents();
  if (owner_) owner_->RemoveComponent(this);
}

void TComponent::tellFreeNotificationPartners() {
  // Partners under the same owner (and the owner itself) hear it from the
  // owner's Notification; telling them here too would tell them twice.
  while (!freeNotifies_.empty()) {
    TComponent* partner = freeNotifies_.back();
    freeNotifies_.pop_back();
    partner->unlinkFreeNotification(this);
    bool toldByOwner = owner_ && (partner == owner_ || partner->owner_ == owner_);
    if (!toldByOwner) partner->Notification(this, TOperation::opRemove);
  }
}

void TComponent::BroadcastRemoveNotifications() {
  tellFreeNotificationPartners();
  if (owner_) owner_->Notification(this, TOperation::opRemove);
}

void TComponent::Published(PropTable<TComponent>& p) {
  p.Str("Name", &TComponent::Name, &TComponent::SetName).Stored(false);
  p.Int("Tag", &TComponent::Tag, &TComponent::SetTag).Default(0);
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount()) ListIndexError(index);
  return components_[static_cast<size_t>(index)];
}

int TComponent::ComponentIndex() const {
  if (!owner_) return -1;
  auto& list = owner_->components_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TComponent::SetComponentIndex(int value) {
  int current = ComponentIndex();
  if (current < 0) return;
  auto& list = owner_->components_;
  value = std::clamp(value, 0, static_cast<int>(list.size()) - 1);
  if (value == current) return;
  list.erase(list.begin() + current);
  list.insert(list.begin() + value, this);
}

void TComponent::InsertComponent(TComponent* component) {
  if (!component || component->owner_ == this) return;
  component->ValidateContainer(this);
  // Names stay unique under an owner, also for a component that joins with one.
  if (FindComponent(component->name_)) duplicateName(component->name_);
  ValidateRename(component, String(), component->name_);
  if (component->owner_) component->owner_->RemoveComponent(component);
  insertItem(component);
  if (state_.contains(TComponentStateItem::csDesigning)) component->SetDesigning(true);
  Notification(component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  if (!component || component->owner_ != this) return;
  ValidateRename(component, component->name_, String());
  Notification(component, TOperation::opRemove);
  removeItem(component);
}

void TComponent::insertItem(TComponent* component) {
  components_.push_back(component);
  component->owner_ = this;
}

void TComponent::removeItem(TComponent* component) {
  eraseValue(components_, component);
  component->owner_ = nullptr;
}

TComponent* TComponent::FindComponent(StringView name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : components_)
    if (SameText(c->name_, name)) return c;
  return nullptr;
}

void TComponent::DestroyComponents() {
  // Last first; each one leaves this list from its own destructor.
  while (!components_.empty()) {
    TComponent* victim = components_.back();
    victim->Free();
    if (!components_.empty() && components_.back() == victim) components_.pop_back();
  }
}

void TComponent::SetName(const String& value) {
  if (name_ == value) return;
  if (!value.empty() && !IsValidIdent(value))
    throw EComponentError(u"Component name \"" + value + u"\" is not valid");
  if (owner_)
    owner_->ValidateRename(this, name_, value);
  else
    ValidateRename(nullptr, name_, value);
  ChangeName(value);
}

void TComponent::ValidateRename(TComponent* component, const String& curName,
                                const String& newName) {
  if (component && !SameText(curName, newName) && component->owner_ == this &&
      FindComponent(newName))
    duplicateName(newName);
  if (state_.contains(TComponentStateItem::csDesigning) && owner_)
    owner_->ValidateRename(component, curName, newName);
}

void TComponent::ValidateContainer(TComponent* component) { component->ValidateInsert(this); }

void TComponent::SetSubComponent(bool value) {
  if (value)
    style_ += TComponentStyleItem::csSubComponent;
  else
    style_ -= TComponentStyleItem::csSubComponent;
}

void TComponent::Destroying() {
  if (state_.contains(TComponentStateItem::csDestroying)) return;
  state_ += TComponentStateItem::csDestroying;
  for (TComponent* c : components_) c->Destroying();
}

void TComponent::BeforeDestruction() {
  if (!state_.contains(TComponentStateItem::csDestroying)) Destroying();
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  if (!containsValue(freeNotifies_, component)) freeNotifies_.push_back(component);
  if (!containsValue(component->freeNotifies_, this)) component->freeNotifies_.push_back(this);
  state_ += TComponentStateItem::csFreeNotification;
  component->state_ += TComponentStateItem::csFreeNotification;
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (!component || component == this) return;
  unlinkFreeNotification(component);
  component->unlinkFreeNotification(this);
}

void TComponent::unlinkFreeNotification(TComponent* other) {
  eraseValue(freeNotifies_, other);
  if (freeNotifies_.empty()) state_ -= TComponentStateItem::csFreeNotification;
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == TOperation::opRemove && component) RemoveFreeNotification(component);
  // Handlers may free components, so the list is re-checked on every step.
  for (size_t i = components_.size(); i-- > 0;) {
    if (i >= components_.size()) continue;
    components_[i]->Notification(component, operation);
  }
}

void TComponent::Loaded() { state_ -= TComponentStateItem::csLoading; }

void TComponent::SetDesigning(bool value, bool setChildren) {
  if (value)
    state_ += TComponentStateItem::csDesigning;
  else
    state_ -= TComponentStateItem::csDesigning;
  if (setChildren)
    for (TComponent* c : components_) c->SetDesigning(value, true);
}

void TComponent::SetInline(bool value) {
  if (value)
    state_ += TComponentStateItem::csInline;
  else
    state_ -= TComponentStateItem::csInline;
}

void TComponent::SetAncestor(bool value) {
  if (value)
    state_ += TComponentStateItem::csAncestor;
  else
    state_ -= TComponentStateItem::csAncestor;
  for (TComponent* c : components_) c->SetAncestor(value);
}

void TComponent::ReadState(TReader* reader) { reader->ReadData(this); }
void TComponent::WriteState(TWriter* writer) { writer->WriteData(this); }

// --- loading bracket -------------------------------------------------------------------

void BeginLoading(TComponent* root) {
  if (tlsLoading.depth++ == 0) tlsLoading.created.clear();
  if (root && !root->state_.contains(TComponentStateItem::csLoading)) {
    root->state_ += TComponentState{TComponentStateItem::csLoading, TComponentStateItem::csReading};
    tlsLoading.created.push_back(root);
  }
}

void EndLoading() {
  if (tlsLoading.depth == 0 || --tlsLoading.depth > 0) return;
  std::vector<TComponent*> loaded = std::move(tlsLoading.created);
  tlsLoading.created.clear();
  for (TComponent* c : loaded) c->state_ -= TComponentStateItem::csReading;
  tlsLoading.finishing.push_back(&loaded);
  std::exception_ptr first;
  for (size_t i = 0; i < loaded.size(); ++i) {
    if (!loaded[i]) continue;  // freed by an earlier Loaded
    try {
      loaded[i]->Loaded();
    } catch (...) {
      if (!first) first = std::current_exception();
    }
  }
  eraseValue(tlsLoading.finishing, &loaded);
  if (first) std::rethrow_exception(first);
}

void AbandonLoading() {
  if (tlsLoading.depth == 0 || --tlsLoading.depth > 0) return;
  std::vector<TComponent*> created = std::move(tlsLoading.created);
  tlsLoading.created.clear();
  for (TComponent* c : created)
    c->state_ -= TComponentState{TComponentStateItem::csLoading, TComponentStateItem::csReading};
}

bool IsLoading() { return tlsLoading.depth > 0; }

TLoadingBracket::TLoadingBracket(TComponent* root) : uncaught_(std::uncaught_exceptions()) {
  BeginLoading(root);
}

TLoadingBracket::~TLoadingBracket() {
  if (!open_) return;
  open_ = false;
  if (std::uncaught_exceptions() > uncaught_) {
    AbandonLoading();
    return;
  }
  try {
    EndLoading();
  } catch (...) {
    if (Assigned(ApplicationHandleException)) ApplicationHandleException(nullptr);
  }
}

void TLoadingBracket::End() {
  if (!open_) return;
  open_ = false;
  EndLoading();
}

// --- TDataModule ---------------------------------------------------------------------------

TDataModule::TDataModule(TComponent* owner) : TComponent(owner) {
  BeginLoading(this);
  bracketOpen_ = true;
}

TDataModule::~TDataModule() {
  if (bracketOpen_) {
    bracketOpen_ = false;
    AbandonLoading();
  }
  if (!destroyDone_) {
    destroyDone_ = true;
    DoDestroy();
  }
}

void TDataModule::Published(PropTable<TDataModule>& p) {
  p.Event("OnCreate", &TDataModule::OnCreate, &TDataModule::SetOnCreate);
  p.Event("OnDestroy", &TDataModule::OnDestroy, &TDataModule::SetOnDestroy);
}

void TDataModule::AfterConstruction() {
  TComponent::AfterConstruction();
  if (bracketOpen_) {
    bracketOpen_ = false;
    EndLoading();
  }
  // Inside an outer bracket, Loaded comes later; OnCreate follows it.
  if (ComponentState().contains(TComponentStateItem::csLoading))
    createPending_ = true;
  else
    DoCreate();
}

void TDataModule::Loaded() {
  TComponent::Loaded();
  if (createPending_) {
    createPending_ = false;
    DoCreate();
  }
}

void TDataModule::BeforeDestruction() {
  TComponent::BeforeDestruction();
  if (!destroyDone_) {
    destroyDone_ = true;
    DoDestroy();
  }
}

void TDataModule::DoCreate() {
  if (!Assigned(onCreate_)) return;
  try {
    onCreate_(this);
  } catch (...) {
    if (!Assigned(ApplicationHandleException)) throw;
    ApplicationHandleException(this);
  }
}

void TDataModule::DoDestroy() {
  if (!Assigned(onDestroy_)) return;
  try {
    onDestroy_(this);
  } catch (...) {
    // Destruction goes on; the application shows the error if it can.
    try {
      if (Assigned(ApplicationHandleException)) ApplicationHandleException(this);
    } catch (...) {
    }
  }
}

void TDataModule::GetChildren(TGetChildProc proc, TComponent* root) {
  for (int i = 0; i < ComponentCount(); ++i) {
    TComponent* c = Components(i);
    if (!c->HasParent()) proc(c);
  }
}

// --- TCollectionItem ------------------------------------------------------------------------

TCollectionItem::TCollectionItem(TCollection* collection) {
  // Not through the virtual SetCollection: the item is not complete yet, so
  // its class cannot be checked against the collection's item class here.
  if (collection) collection->insertItem(this);
}

TCollectionItem::~TCollectionItem() {
  if (collection_) collection_->removeItem(this);
}

void TCollectionItem::SetCollection(TCollection* value) {
  if (value == collection_) return;
  if (value && value->itemClass_ && !InheritsFrom(value->itemClass_.get()))
    throw EListError(u"Invalid property value");
  if (collection_) collection_->removeItem(this);
  if (value) value->insertItem(this);
}

int TCollectionItem::Index() const {
  if (!collection_) return -1;
  auto& items = collection_->items_;
  auto it = std::find(items.begin(), items.end(), this);
  return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void TCollectionItem::SetIndex(int value) {
  int current = Index();
  if (current < 0 || current == value) return;
  auto& items = collection_->items_;
  if (value < 0 || value >= static_cast<int>(items.size())) ListIndexError(value);
  items.erase(items.begin() + current);
  items.insert(items.begin() + value, this);
  Changed(true);
}

String TCollectionItem::GetNamePath() const {
  if (!collection_) return ClassName();
  return collection_->GetNamePath() + u"[" + intToString(Index()) + u"]";
}

TPersistent* TCollectionItem::GetOwner() const { return collection_; }

void TCollectionItem::Changed(bool allItems) {
  if (collection_ && collection_->updateCount_ == 0) collection_->Update(allItems ? nullptr : this);
}

// --- TCollection ----------------------------------------------------------------------------

TCollection::TCollection(ClassRef<TCollectionItem> itemClass) : itemClass_(itemClass) {}

TCollection::~TCollection() {
  // No Update calls while going.
  updateCount_ = 1;
  while (!items_.empty()) {
    TCollectionItem* victim = items_.back();
    victim->Free();
    if (!items_.empty() && items_.back() == victim) items_.pop_back();
  }
}

TCollectionItem* TCollection::Items(int index) const {
  if (index < 0 || index >= Count()) ListIndexError(index);
  return items_[static_cast<size_t>(index)];
}

void TCollection::SetItem(int index, TCollectionItem* value) { Items(index)->Assign(value); }

TCollectionItem* TCollection::Add() {
  if (!itemClass_) throw EInvalidOperation(u"Collection has no item class");
  return itemClass_.CreateItem(this);
}

TCollectionItem* TCollection::Insert(int index) {
  if (index < 0 || index > Count()) ListIndexError(index);
  UpdateGuard guard(*this);
  TCollectionItem* item = Add();
  item->SetIndex(index);
  return item;
}

void TCollection::Delete(int index) {
  TCollectionItem* item = Items(index);
  Notify(item, TCollectionNotification::cnDeleting);
  item->Free();
}

void TCollection::Clear() {
  if (items_.empty()) return;
  UpdateGuard guard(*this);
  while (!items_.empty()) {
    TCollectionItem* victim = items_.back();
    victim->Free();
    if (!items_.empty() && items_.back() == victim) items_.pop_back();
  }
}

void TCollection::ClearAndResetID() {
  Clear();
  nextID_ = 0;
}

void TCollection::Move(int curIndex, int newIndex) { Items(curIndex)->SetIndex(newIndex); }

TCollectionItem* TCollection::FindItemID(int id) const {
  for (TCollectionItem* item : items_)
    if (item->id_ == id) return item;
  return nullptr;
}

void TCollection::BeginUpdate() { ++updateCount_; }

void TCollection::EndUpdate() {
  if (updateCount_ > 0) --updateCount_;
  Changed();
}

void TCollection::Changed() {
  if (updateCount_ == 0) Update(nullptr);
}

void TCollection::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TCollection*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  UpdateGuard guard(*this);
  Clear();
  for (TCollectionItem* item : other->items_) Add()->Assign(item);
}

String TCollection::PropName() const {
  if (!propName_.empty()) return propName_;
  TPersistent* owner = GetOwner();
  if (!owner) return String();
  for (const PropInfo* prop : GetPropList(owner, TTypeKinds{TTypeKind::tkClass}))
    if (prop->GetObj && prop->GetObj(owner) == this) return prop->Name;
  return String();
}

String TCollection::GetNamePath() const {
  String result = ClassName();
  TPersistent* owner = GetOwner();
  if (!owner) return result;
  String ownerPath = owner->GetNamePath();
  if (ownerPath.empty()) return result;
  String prop = PropName();
  if (prop.empty()) return result;
  return ownerPath + u"." + prop;
}

void TCollection::insertItem(TCollectionItem* item) {
  items_.push_back(item);
  item->collection_ = this;
  item->id_ = nextID_++;
  SetItemName(item);
  Notify(item, TCollectionNotification::cnAdded);
  Changed();
}

void TCollection::removeItem(TCollectionItem* item) {
  Notify(item, TCollectionNotification::cnExtracting);
  eraseValue(items_, item);
  item->collection_ = nullptr;
  Changed();
}

}  // namespace rtl
