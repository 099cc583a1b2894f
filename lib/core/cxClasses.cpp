// Class registries, owning lists, multicast events, object links and the
// interface-aware collections.
#include "lib/core/cxClasses.h"

#include <algorithm>
#include <numeric>

#include "platform/rtl/format.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/ustring.h"

namespace core {

// ---------------------------------------------------------------------------
// TcxRegisteredClasses

TcxRegisteredClasses::TcxRegisteredClasses(bool ARegisterClasses)
    : FRegisterClasses(ARegisterClasses) {}

TcxRegisteredClasses::~TcxRegisteredClasses() = default;

void TcxRegisteredClasses::Register(TClass AClass, const String& ADescription) {
  if (!AClass || GetIndexByClass(AClass) >= 0) return;
  FItems.push_back(Entry{ADescription, AClass});
  if (FSorted) Sort();
  if (FRegisterClasses) rtl::RegisterClass(*AClass);
}

void TcxRegisteredClasses::Unregister(TClass AClass) {
  const int index = GetIndexByClass(AClass);
  if (index >= 0) FItems.erase(FItems.begin() + index);
}

void TcxRegisteredClasses::Clear() { FItems.clear(); }

TClass TcxRegisteredClasses::Items(int Index) const {
  if (Index < 0 || Index >= Count()) rtl::ListIndexError(Index);
  return FItems[static_cast<size_t>(Index)].Class;
}

String TcxRegisteredClasses::Descriptions(int Index) const {
  if (Index < 0 || Index >= Count()) rtl::ListIndexError(Index);
  return GetShortHint(FItems[static_cast<size_t>(Index)].Description);
}

int TcxRegisteredClasses::GetIndexByClass(TClass AClass) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].Class == AClass) return static_cast<int>(i);
  return -1;
}

TClass TcxRegisteredClasses::FindByClassName(const String& AName) const {
  for (const Entry& entry : FItems)
    if (entry.Class->ClassName() == AName) return entry.Class;
  return nullptr;
}

void TcxRegisteredClasses::SetSorted(bool Value) {
  if (FSorted == Value) return;
  FSorted = Value;
  if (FSorted) Sort();
}

int TcxRegisteredClasses::CompareItems(int Index1, int Index2) {
  return rtl::AnsiCompareText(Descriptions(Index1), Descriptions(Index2));
}

void TcxRegisteredClasses::Sort() {
  // CompareItems speaks of positions, so the positions are what is sorted;
  // the entries are rearranged once at the end.
  std::vector<int> order(FItems.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(),
            [this](int a, int b) { return CompareItems(a, b) < 0; });
  std::vector<Entry> sorted;
  sorted.reserve(FItems.size());
  for (int index : order) sorted.push_back(FItems[static_cast<size_t>(index)]);
  FItems = std::move(sorted);
}

// ---------------------------------------------------------------------------
// TcxRegisteredClassList

TcxRegisteredClassList::~TcxRegisteredClassList() { Clear(); }

TcxRegisteredClassList::Answer TcxRegisteredClassList::scan(TClass AItemClass) const {
  Answer answer{false, -1};
  for (int i = Count() - 1; i >= 0; --i) {
    const TClass itemClass = FItems[static_cast<size_t>(i)]->ItemClass;
    if (AItemClass->InheritsFrom(itemClass)) return Answer{true, i};
    // A registered descendant: the asked class belongs before it.
    if (itemClass->InheritsFrom(AItemClass)) answer.Index = i;
  }
  return answer;
}

bool TcxRegisteredClassList::Find(TClass AItemClass, int& Index) {
  if (!AItemClass) {
    Index = -1;
    return false;
  }
  auto known = answers_.find(AItemClass);
  if (known == answers_.end()) known = answers_.emplace(AItemClass, scan(AItemClass)).first;
  Index = known->second.Index;
  return known->second.Found;
}

TClass TcxRegisteredClassList::FindClass(TClass AItemClass) {
  int index = -1;
  if (!Find(AItemClass, index)) return nullptr;
  return FItems[static_cast<size_t>(index)]->RegisteredClass;
}

void TcxRegisteredClassList::Register(TClass AItemClass, TClass ARegisteredClass) {
  auto record = std::make_unique<TcxRegisteredClassListItemData>(
      TcxRegisteredClassListItemData{AItemClass, ARegisteredClass});
  int index = -1;
  auto position = FItems.end();
  if (Find(AItemClass, index))
    position = FItems.begin() + index + 1;
  else if (index >= 0)
    position = FItems.begin() + index;
  FItems.insert(position, std::move(record));
  answers_.clear();
}

void TcxRegisteredClassList::Unregister(TClass AItemClass, TClass ARegisteredClass) {
  for (int i = Count() - 1; i >= 0; --i) {
    const auto& record = *FItems[static_cast<size_t>(i)];
    if (record.ItemClass == AItemClass && record.RegisteredClass == ARegisteredClass)
      FItems.erase(FItems.begin() + i);
  }
  answers_.clear();
}

void TcxRegisteredClassList::Clear() {
  FItems.clear();
  answers_.clear();
}

const TcxRegisteredClassListItemData& TcxRegisteredClassList::Items(int Index) const {
  if (Index < 0 || Index >= Count()) rtl::ListIndexError(Index);
  return *FItems[static_cast<size_t>(Index)];
}

// ---------------------------------------------------------------------------
// TcxObjectList, TcxOpenList, TcxStringList

TcxObjectList::~TcxObjectList() { Clear(); }

void TcxObjectList::Clear() {
  if (FOwnObjects)
    for (int i = 0; i < Count(); ++i) FreeItem(i);
  rtl::TList::Clear();
}

void TcxObjectList::FreeItem(int Index) {
  if (TObject* item = Items(Index)) item->Free();
}

void TcxObjectList::FreeAndDelete(int Index) {
  FreeItem(Index);
  Delete(Index);
}

int TcxObjectList::FreeAndRemove(TObject* AObject) {
  const int index = IndexOf(AObject);
  if (index >= 0) FreeAndDelete(index);
  return index;
}

void TcxOpenList::SetItems(int Index, void* Item) {
  if (Index >= Count()) SetCount(Index + 1);
  Put(Index, Item);
}

int cxStringListCompareStrings(rtl::TStringList* AList, int Index1, int Index2) {
  auto* list = static_cast<TcxStringList*>(AList);
  return list->FOnCompare(list, Index1, Index2);
}

void TcxStringList::Sort() {
  if (FOnCompare)
    CustomSort(&cxStringListCompareStrings);
  else
    rtl::TStringList::Sort();
}

// ---------------------------------------------------------------------------
// TcxEventHandlerCollection

void TcxEventHandlerCollection::Add(const TcxEventHandler& AHandler) {
  if (IndexOf(AHandler) < 0) FEvents.push_back(AHandler);
}

void TcxEventHandlerCollection::Remove(const TcxEventHandler& AHandler) {
  Delete(IndexOf(AHandler));
}

void TcxEventHandlerCollection::Delete(int Index) {
  if (Index < 0 || Index >= Count()) return;
  FEvents.erase(FEvents.begin() + Index);
}

int TcxEventHandlerCollection::IndexOf(const TcxEventHandler& AHandler) const {
  for (size_t i = 0; i < FEvents.size(); ++i)
    if (rtl::SameMethods(FEvents[i], AHandler)) return static_cast<int>(i);
  return -1;
}

void TcxEventHandlerCollection::CallEvents(TObject* Sender, const void* AEventArgs) {
  // A handler may change the array under the walk, so the walk goes over the
  // handlers present at the start and skips any removed on the way.
  const std::vector<TcxEventHandler> handlers = FEvents;
  for (const TcxEventHandler& handler : handlers)
    if (IndexOf(handler) >= 0) handler(Sender, AEventArgs);
}

// ---------------------------------------------------------------------------
// Object links

TcxObjectLinkController::~TcxObjectLinkController() {
  // Links still held are the holders' to free; they just stop being listed.
  for (auto& [object, links] : FLinks)
    for (TcxObjectLink* link : links) link->Ref = nullptr;
}

TcxObjectLink* TcxObjectLinkController::AddLink(TObject* AObject) {
  auto link = std::make_unique<TcxObjectLink>();
  link->Ref = AObject;
  FLinks[AObject].push_back(link.get());
  ++count_;
  return link.release();
}

void TcxObjectLinkController::RemoveLink(TcxObjectLink* ALink) {
  auto entry = FLinks.find(ALink->Ref);
  if (entry == FLinks.end()) return;
  auto& links = entry->second;
  auto found = std::find(links.begin(), links.end(), ALink);
  if (found == links.end()) return;
  links.erase(found);
  --count_;
  if (links.empty()) FLinks.erase(entry);
}

void TcxObjectLinkController::ClearLinks(TObject* AObject) {
  auto entry = FLinks.find(AObject);
  if (entry == FLinks.end()) return;
  for (auto link = entry->second.rbegin(); link != entry->second.rend(); ++link)
    (*link)->Ref = nullptr;
  count_ -= static_cast<int>(entry->second.size());
  FLinks.erase(entry);
}

// ---------------------------------------------------------------------------
// TcxOwnedInterfacedCollection

TcxOwnedInterfacedCollection::~TcxOwnedInterfacedCollection() {
  // Nobody hears of the items leaving with the collection.
  destroying_ = true;
  Clear();
}

void TcxOwnedInterfacedCollection::Update(rtl::TCollectionItem* Item) {
  if (updating_) return;
  rtl::ScopedValue<bool> guard(updating_, true);
  if (FSorted && !Item) Sort();
  rtl::TOwnedCollection::Update(Item);
  if (!destroying_ && FOnChange) FOnChange(this, Item);
}

void TcxOwnedInterfacedCollection::SetSorted(bool Value) {
  if (FSorted == Value) return;
  FSorted = Value;
  if (FSorted) Sort();
}

int TcxOwnedInterfacedCollection::compareSortEntries(TcxStringList* AList, int Index1,
                                                     int Index2) {
  return CompareItems(static_cast<rtl::TCollectionItem*>(AList->Objects(Index1)),
                      static_cast<rtl::TCollectionItem*>(AList->Objects(Index2)));
}

void TcxOwnedInterfacedCollection::Sort() {
  if (UpdateCount() > 0 || sorting_) return;
  rtl::ScopedValue<bool> guard(sorting_, true);
  TcxStringList list;
  for (int i = 0; i < Count(); ++i) list.AddObject(rtl::IntToStr(i), Items(i));
  list.SetOnCompare(TcxStringListCompareEvent::bind<
                    &TcxOwnedInterfacedCollection::compareSortEntries>(this));
  list.Sort();
  rtl::UpdateScope<TcxOwnedInterfacedCollection> update(*this);
  for (int i = 0; i < list.Count(); ++i)
    static_cast<rtl::TCollectionItem*>(list.Objects(i))->SetIndex(i);
}

int TcxOwnedInterfacedCollection::CompareItems(rtl::TCollectionItem* AItem1,
                                               rtl::TCollectionItem* AItem2) {
  if (FOnCompare) return FOnCompare(this, AItem1, AItem2);
  return DoCompareItems(AItem1, AItem2);
}

int TcxOwnedInterfacedCollection::DoCompareItems(rtl::TCollectionItem* AItem1,
                                                 rtl::TCollectionItem* AItem2) {
  const int difference = AItem1->Index() - AItem2->Index();
  return (difference > 0) - (difference < 0);
}

}  // namespace core
