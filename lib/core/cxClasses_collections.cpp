// Component collections and lists, MRU items, auto width, dialog metrics
// and the unit's small routines.
#include <algorithm>
#include <cstring>

#include "lib/core/cxClasses.h"
#include "lib/core/dxCore.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/format.h"
#include "platform/rtl/mathutil.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/ustring.h"
#include "platform/ui/forms.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace core {

// ---------------------------------------------------------------------------
// TcxComponentCollectionItem

TcxComponentCollectionItem::~TcxComponentCollectionItem() { SetCollection(nullptr); }

void TcxComponentCollectionItem::SetCollection(TcxComponentCollection* Value) {
  if (FCollection == Value) return;
  if (FCollection) FCollection->RemoveItem(this);
  if (Value) Value->InsertItem(this);
}

int TcxComponentCollectionItem::Index() const {
  return FCollection ? FCollection->IndexOf(this) : -1;
}

void TcxComponentCollectionItem::SetIndex(int Value) {
  if (!FCollection || Index() == Value) return;
  FCollection->MoveItem(this, Value);
  Changed(true);
}

void TcxComponentCollectionItem::Changed(bool AAllItems) {
  if (ComponentState().contains(rtl::TComponentStateItem::csDestroying) || !FCollection) return;
  FCollection->Changed(AAllItems ? nullptr : this, ccnChanged);
}

TComponent* TcxComponentCollectionItem::GetParentComponent() const {
  return FCollection ? FCollection->ParentComponent() : TcxCustomComponent::GetParentComponent();
}

bool TcxComponentCollectionItem::HasParent() const { return GetParentComponent() != nullptr; }

void TcxComponentCollectionItem::SetParentComponent(TComponent* Value) {
  SetCollection(GetCollectionFromParent(Value));
}

// ---------------------------------------------------------------------------
// TcxComponentCollection

TcxComponentCollection::TcxComponentCollection(
    TComponent* AParentComponent, rtl::ClassRef<TcxComponentCollectionItem> AItemClass)
    : FItemClass(AItemClass), FParentComponent(AParentComponent) {}

TcxComponentCollection::~TcxComponentCollection() {
  // Nothing is reported while the items go with the collection.
  FUpdateCount = 1;
  Clear();
}

TcxComponentCollectionItem* TcxComponentCollection::Add() {
  TComponent* owner = FParentComponent ? FParentComponent->Owner() : nullptr;
  TcxComponentCollectionItem* item = FItemClass.Create(owner);
  item->SetParentComponent(FParentComponent);
  SetItemName(item);
  return item;
}

TcxComponentCollectionItem* TcxComponentCollection::Insert(int Index) {
  TcxComponentCollectionItem* item = Add();
  item->SetIndex(Index);
  return item;
}

void TcxComponentCollection::Delete(int Index) {
  TcxComponentCollectionItem* item = Items(Index);
  Notify(item, ccnDeleting);
  item->Free();
}

void TcxComponentCollection::Clear() {
  if (FItems.empty()) return;
  rtl::UpdateScope<TcxComponentCollection> update(*this);
  while (!FItems.empty()) FItems.back()->Free();
}

void TcxComponentCollection::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TcxComponentCollection*>(Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  rtl::UpdateScope<TcxComponentCollection> update(*this);
  Clear();
  for (int i = 0; i < source->Count(); ++i) Add()->Assign(source->Items(i));
}

void TcxComponentCollection::BeginUpdate() { ++FUpdateCount; }

void TcxComponentCollection::EndUpdate(bool AForceUpdate) {
  --FUpdateCount;
  if (AForceUpdate) Changed(nullptr, ccnChanged);
}

TcxComponentCollectionItem* TcxComponentCollection::Items(int Index) const {
  if (Index < 0 || Index >= Count()) rtl::ListIndexError(Index);
  return FItems[static_cast<size_t>(Index)];
}

int TcxComponentCollection::IndexOf(const TcxComponentCollectionItem* AItem) const {
  auto found = std::find(FItems.begin(), FItems.end(), AItem);
  return found == FItems.end() ? -1 : static_cast<int>(found - FItems.begin());
}

void TcxComponentCollection::Changed(TcxComponentCollectionItem* AItem,
                                     TcxComponentCollectionNotification AAction) {
  if (FUpdateCount == 0) Update(AItem, AAction);
}

void TcxComponentCollection::Update(TcxComponentCollectionItem* AItem,
                                    TcxComponentCollectionNotification AAction) {
  if (FOnChange) FOnChange(this, AItem, AAction);
}

void TcxComponentCollection::InsertItem(TcxComponentCollectionItem* AItem) {
  if (!AItem->InheritsFrom(FItemClass.get())) return;
  FItems.push_back(AItem);
  AItem->FCollection = this;
  AItem->FID = FNextID++;
  Notify(AItem, ccnAdded);
  Changed(AItem, ccnAdded);
}

void TcxComponentCollection::RemoveItem(TcxComponentCollectionItem* AItem) {
  Notify(AItem, ccnExtracting);
  FItems.erase(std::remove(FItems.begin(), FItems.end(), AItem), FItems.end());
  AItem->FCollection = nullptr;
  Notify(AItem, ccnExtracted);
  Changed(AItem, ccnExtracted);
}

void TcxComponentCollection::MoveItem(TcxComponentCollectionItem* AItem, int ANewIndex) {
  if (ANewIndex < 0 || ANewIndex >= Count()) rtl::ListIndexError(ANewIndex);
  const int current = IndexOf(AItem);
  FItems.erase(FItems.begin() + current);
  FItems.insert(FItems.begin() + ANewIndex, AItem);
}

namespace {

// The outermost form among the owners of a component (the last met walking up).
TComponent* outermostOwnerForm(TComponent* AComponent) {
  TComponent* form = nullptr;
  for (TComponent* owner = AComponent ? AComponent->Owner() : nullptr; owner;
       owner = owner->Owner())
    if (owner->InheritsFrom(ui::TCustomForm::classInfo())) form = owner;
  if (!form && AComponent && AComponent->InheritsFrom(ui::TCustomForm::classInfo()) &&
      !AComponent->Owner())
    form = AComponent;
  return form;
}

}  // namespace

void TcxComponentCollection::SetItemName(TcxComponentCollectionItem* AItem) {
  TComponent* root = nullptr;
  if (ui::TControl* control = GetParentControl()) root = ui::GetParentForm(control);
  if (!root) root = outermostOwnerForm(FParentComponent);
  if (!root) root = ui::Application;
  AItem->SetName(CreateUniqueName(root, FParentComponent, AItem, GetItemPrefixName(),
                                  GetItemSuffixName(), -1));
}

// ---------------------------------------------------------------------------
// TcxComponentList

TcxComponentList::~TcxComponentList() {
  FUpdateCount = 1;
  Clear();
}

void TcxComponentList::Notify(void* Ptr, rtl::TListNotification Action) {
  auto* component = static_cast<TComponent*>(Ptr);
  if (!component->InheritsFrom(GetItemClass())) {
    // Not an item of this list: it leaves again as soon as it came.
    if (Action == rtl::lnAdded)
      Extract(component);
    else
      rtl::TComponentList::Notify(Ptr, Action);
    return;
  }
  DoNotify(component, Action);
}

void TcxComponentList::DoNotify(TComponent* AItem, rtl::TListNotification AAction) {
  rtl::TComponentList::Notify(AItem, AAction);
  if (FOnNotify) FOnNotify(this, AItem, AAction);
  switch (AAction) {
    case rtl::lnAdded:
      Update(AItem, ccnAdded);
      break;
    case rtl::lnExtracted:
      Update(AItem, ccnExtracted);
      break;
    case rtl::lnDeleted:
      Update(AItem, ccnDeleting);
      break;
  }
}

void TcxComponentList::Update(TComponent* AItem, TcxComponentCollectionNotification AAction) {
  if (FUpdateCount == 0 && FOnChanged) FOnChanged(this, AItem, AAction);
}

void TcxComponentList::EndUpdate() {
  --FUpdateCount;
  Update(nullptr, ccnChanged);
}

void TcxComponentList::Clear() {
  if (Count() > 0) {
    rtl::UpdateScope<TcxComponentList> update(*this);
    while (Count() > 0) Delete(0);
  }
  rtl::TComponentList::Clear();
}

// ---------------------------------------------------------------------------
// TcxMRUItems

TcxMRUItems::~TcxMRUItems() { ClearItems(); }

void TcxMRUItems::Add(TcxMRUItem* AItem) {
  if (!FAllowDuplicates) {
    const int index = IndexOf(AItem);
    if (index >= 0) {
      std::rotate(FItems.begin(), FItems.begin() + index, FItems.begin() + index + 1);
      AItem->Free();
      return;
    }
  }
  FItems.insert(FItems.begin(), AItem);
  UpdateCount();
}

void TcxMRUItems::Delete(int AIndex) {
  TcxMRUItem* item = Items(AIndex);
  FItems.erase(FItems.begin() + AIndex);
  item->Free();
}

void TcxMRUItems::ClearItems() {
  for (int i = Count() - 1; i >= 0; --i) Delete(i);
}

int TcxMRUItems::IndexOf(TcxMRUItem* AItem) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i]->Equals(AItem)) return static_cast<int>(i);
  return -1;
}

TcxMRUItem* TcxMRUItems::Items(int AIndex) const {
  if (AIndex < 0 || AIndex >= Count()) rtl::ListIndexError(AIndex);
  return FItems[static_cast<size_t>(AIndex)];
}

void TcxMRUItems::SetMaxCount(int Value) {
  Value = std::max(Value, 0);
  if (FMaxCount == Value) return;
  FMaxCount = Value;
  UpdateCount();
}

void TcxMRUItems::UpdateCount() {
  if (FMaxCount <= 0) return;
  while (Count() > FMaxCount) Delete(Count() - 1);
}

// ---------------------------------------------------------------------------
// TcxAutoWidthObject

TcxAutoWidthObject::TcxAutoWidthObject(int ACapacity) {
  FItems.reserve(static_cast<size_t>(std::max(ACapacity, 0)));
}

TcxAutoWidthObject::~TcxAutoWidthObject() = default;

TcxAutoWidthItem* TcxAutoWidthObject::AddItem() {
  FItems.push_back(std::make_unique<TcxAutoWidthItem>());
  return FItems.back().get();
}

void TcxAutoWidthObject::Clear() { FItems.clear(); }

TcxAutoWidthItem* TcxAutoWidthObject::Items(int Index) const {
  if (Index < 0 || Index >= Count()) rtl::ListIndexError(Index);
  return FItems[static_cast<size_t>(Index)].get();
}

int TcxAutoWidthObject::Width() const {
  int width = 0;
  for (const auto& item : FItems) width += item->Width;
  return width;
}

void TcxAutoWidthObject::Calculate() {
  // Every non-fixed item is computed anew, so a second call with another
  // width gives the answer for that width.
  for (const auto& item : FItems)
    if (!item->Fixed) item->AutoWidth = -1;
  int restWidth = FAvailableWidth;  // A'
  int restNatural = Width();        // W'
  for (const auto& item : FItems) {
    if (!item->Fixed) continue;
    item->AutoWidth = item->Width;
    restWidth -= item->AutoWidth;
    restNatural -= item->Width;
  }
  bool assignAll = false;
  bool minFound = false;
  do {
    // Shares are cumulative within a pass, so they add up to exactly A.
    const int available = restWidth;
    const int natural = restNatural;
    int offset = 0;
    minFound = false;
    for (const auto& item : FItems) {
      if (item->AutoWidth != -1) continue;
      const int share = rtl::MulDiv(offset + item->Width, available, natural) -
                        rtl::MulDiv(offset, available, natural);
      if (assignAll) {
        item->AutoWidth = share;
      } else if (item->MinWidth >= share) {
        item->AutoWidth = item->MinWidth;
        restWidth -= item->MinWidth;
        restNatural -= item->Width;
        minFound = true;
      }
      offset += item->Width;
    }
    if (!minFound) assignAll = !assignAll;
  } while (restNatural != 0 && (minFound || assignAll));
}

// ---------------------------------------------------------------------------
// Dialog metrics

TcxDialogMetricsInfo::TcxDialogMetricsInfo(ui::TCustomForm* AForm) { Store(AForm); }

void TcxDialogMetricsInfo::Store(ui::TCustomForm* AForm) {
  FDialogClass = AForm->ClassType();
  FLeft = AForm->Left();
  FTop = AForm->Top();
  if (auto* sizer = dynamic_cast<IcxDialogMetricsClientSize*>(AForm)) {
    const gdi::SIZE size = sizer->GetClientSize();
    FClientWidth = size.cx;
    FClientHeight = size.cy;
  } else {
    FClientHeight = AForm->ClientHeight();
    FClientWidth = AForm->ClientWidth();
  }
  FMaximized = AForm->WindowState() == ui::TWindowState::wsMaximized;
  FData.clear();
  if (auto* info = dynamic_cast<IcxDialogMetricsInfoData*>(AForm)) {
    const int size = info->GetInfoDataSize();
    if (size > 0) {
      const auto* bytes = static_cast<const unsigned char*>(info->GetInfoData());
      FData.assign(bytes, bytes + size);
    }
  }
}

void TcxDialogMetricsInfo::Restore(ui::TCustomForm* AForm) {
  if (FMaximized) {
    win::ShowWindow(AForm->Handle(), win::SW_SHOWMAXIMIZED);
    AForm->SetWindowState(ui::TWindowState::wsMaximized);
  } else {
    AForm->SetLeft(FLeft);
    AForm->SetTop(FTop);
    const auto border = AForm->BorderStyle();
    if (border == ui::bsSizeable || border == ui::bsSizeToolWin) {
      if (auto* sizer = dynamic_cast<IcxDialogMetricsClientSize*>(AForm)) {
        sizer->SetClientSize(gdi::SIZE{FClientWidth, FClientHeight});
      } else {
        AForm->SetClientHeight(FClientHeight);
        AForm->SetClientWidth(FClientWidth);
      }
    }
  }
  if (auto* info = dynamic_cast<IcxDialogMetricsInfoData*>(AForm); info && !FData.empty())
    info->SetInfoData(FData.data());
}

TcxDialogsMetricsStore::TcxDialogsMetricsStore()
    : FDefaultPosition(ui::poMainFormCenter), FMetrics(std::make_unique<TcxObjectList>(true)) {}

TcxDialogsMetricsStore::~TcxDialogsMetricsStore() = default;

void TcxDialogsMetricsStore::InitDialog(ui::TCustomForm* AForm) {
  const int index = FindMetrics(AForm);
  if (index >= 0) {
    AForm->SetPosition(ui::poDesigned);
    Metrics(index)->Restore(AForm);
  } else {
    AForm->SetPosition(FDefaultPosition);
    FMetrics->Add(rtl::Create<TcxDialogMetricsInfo>(AForm));
  }
}

void TcxDialogsMetricsStore::StoreMetrics(ui::TCustomForm* AForm) {
  const int index = FindMetrics(AForm);
  if (index >= 0) Metrics(index)->Store(AForm);
}

int TcxDialogsMetricsStore::FindMetrics(ui::TCustomForm* AForm) const {
  for (int i = Count() - 1; i >= 0; --i)
    if (Metrics(i)->DialogClass() == AForm->ClassType()) return i;
  return -1;
}

// ---------------------------------------------------------------------------
// Small routines

String GetShortHint(const String& Hint) {
  const auto bar = Hint.find(u'|');
  return bar == String::npos ? Hint : Hint.substr(0, bar);
}

String cxGetClassName(win::HWND Wnd) {
  rtl::Char buffer[257] = {};
  const int length = win::GetClassNameW(Wnd, buffer, 256);
  return length > 0 ? String(buffer, static_cast<size_t>(length)) : String();
}

const rtl::Char* GetPChar(const String& S, int Index) { return S.c_str() + (Index - 1); }

int cxStrCharLength(const String& S, int Index) {
  const rtl::Char* at = GetPChar(S, Index);
  return static_cast<int>(rtl::CharNextW(at) - at) * static_cast<int>(sizeof(rtl::Char));
}

int RoundDiv(int A, int B) { return A / B + (A % B != 0 ? 1 : 0); }

gdi::SIZE Size(int CX, int CY) { return gdi::SIZE{CX, CY}; }

void SwapIntegers(int& A, int& B) { std::swap(A, B); }

int GetRangeCenter(int ABound1, int ABound2) {
  const long long sum = static_cast<long long>(ABound1) + ABound2;
  return static_cast<int>(sum >= 0 ? sum / 2 : -((-sum + 1) / 2));
}

bool StreamsEqual(rtl::TMemoryStream* AStream1, rtl::TMemoryStream* AStream2) {
  const auto size = AStream1->Size();
  if (size != AStream2->Size()) return false;
  return size == 0 || std::memcmp(AStream1->Memory(), AStream2->Memory(),
                                  static_cast<size_t>(size)) == 0;
}

int cxSign(double X) { return X >= 0 ? 1 : -1; }

win::LRESULT cxSendStructMessage(win::HWND AHandle, win::UINT Msg, win::WPARAM WParam,
                                 const void* AStructure) {
  return win::SendMessageW(AHandle, Msg, WParam, reinterpret_cast<win::LPARAM>(AStructure));
}

win::LRESULT cxSendStructMessageEx(win::HWND AHandle, win::UINT Msg, const void* AStructure,
                                   win::WPARAM AParam, bool AStructureIsLParam) {
  if (AStructureIsLParam)
    return win::SendMessageW(AHandle, Msg, AParam, reinterpret_cast<win::LPARAM>(AStructure));
  return win::SendMessageW(AHandle, Msg, reinterpret_cast<win::WPARAM>(AStructure),
                           static_cast<win::LPARAM>(AParam));
}

void CallNotify(const TNotifyEvent& ANotifyEvent, TObject* ASender) {
  dxCallNotify(ANotifyEvent, ASender);
}

TPersistent* GetPersistentOwner(TPersistent* APersistent) { return APersistent->GetOwner(); }

String GetValidName(TComponent* AComponent, const String& AName, bool AIsBaseName) {
  String result = AName;
  TComponent* owner = AComponent->Owner();
  if (!owner) return result;
  int counter = 1;
  if (AIsBaseName) result = AName + rtl::IntToStr(counter++);
  while (owner->FindComponent(result)) result = AName + rtl::IntToStr(counter++);
  return result;
}

void RenameComponents(TComponent* ACaller, TComponent* AOwner, const String& ANewName,
                      const String& AOldName, int AComponentCount,
                      TcxGetComponent AGetComponent) {
  if (ACaller->ComponentState().contains(rtl::TComponentStateItem::csAncestor)) return;
  const size_t oldLength = AOldName.size();
  for (int i = 0; i < AComponentCount; ++i) {
    TComponent* component = AGetComponent(ACaller, i);
    const String& name = component->Name();
    if (component->Owner() != AOwner || name.size() <= oldLength ||
        !rtl::SameText(rtl::StringView(name).substr(0, oldLength), AOldName))
      continue;
    try {
      component->SetName(ANewName + name.substr(oldLength));
    } catch (const rtl::EComponentError&) {
      // A name the owner refuses keeps the old one; the rest go on.
    }
  }
}

namespace {

bool isNameChar(rtl::Char c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') ||
         c == u'_';
}

bool startsWithText(const String& text, const String& prefix) {
  return text.size() >= prefix.size() &&
         rtl::AnsiSameText(rtl::StringView(text).substr(0, prefix.size()), prefix);
}

// Whether any component owned by ARoot, at any depth, has the name.
bool nameTaken(TComponent* ARoot, const String& AName) {
  for (int i = 0; i < ARoot->ComponentCount(); ++i) {
    TComponent* component = ARoot->Components(i);
    if (rtl::AnsiSameText(component->Name(), AName) || nameTaken(component, AName)) return true;
  }
  return false;
}

}  // namespace

String cxGenerateComponentName(TComponent* AParentComponent, const String& AClassName,
                               const String& APrefixName, int N, const String& ASuffixName) {
  String body;
  for (rtl::Char c : ASuffixName)
    if (isNameChar(c)) body += c;
  const bool needsClassPart = body.empty() || (body[0] >= u'0' && body[0] <= u'9');
  if (needsClassPart && !AClassName.empty()) {
    if (!APrefixName.empty() && startsWithText(AClassName, APrefixName)) {
      body = AClassName.substr(APrefixName.size()) + body;
    } else {
      body = AClassName + body;
      if (body[0] == u'T') body.erase(0, 1);
    }
  }
  String name = AParentComponent ? AParentComponent->Name() + body : body;
  if (N > 0) name += rtl::IntToStr(N);
  return name;
}

String CreateUniqueName(TComponent* ARoot, TComponent* AParentComponent, TComponent* AComponent,
                        const String& APrefixName, const String& ASuffixName, int AStartIndex) {
  if (!ARoot) {
    ARoot = AComponent;
    while (ARoot->Owner()) ARoot = ARoot->Owner();
  }
  int n = AStartIndex >= 0 ? AStartIndex : (ASuffixName.empty() ? 1 : 0);
  for (;; ++n) {
    String name = cxGenerateComponentName(AParentComponent, AComponent->ClassName(), APrefixName,
                                          n, ASuffixName);
    if (!nameTaken(ARoot, name)) return name;
  }
}

}  // namespace core
