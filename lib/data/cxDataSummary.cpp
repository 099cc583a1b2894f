// Summaries: the items and their collections, the calculation over the
// record list (footer and every grouping level) and the display texts.
#include "lib/data/cxDataSummary.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <typeinfo>

#include "lib/data/cxCustomData_scopes.h"
#include "lib/data/cxDataGroups.h"
#include "lib/data/cxVariants.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/format.h"
#include "platform/rtl/scoped.h"

namespace data {

using rtl::String;
using rtl::TCollectionItem;
using rtl::TPersistent;
using rtl::Variant;

void TcxDataSummaryDeleter::operator()(TcxDataSummary* AObject) const { delete AObject; }

// --- the controller's side ---------------------------------------------------------------------
TcxDataSummary* TcxCustomDataController::Summary() {
  if (!FSummary) FSummary.reset(new TcxDataSummary(this));
  return FSummary.get();
}

void TcxCustomDataController::SetSummary(TcxDataSummary* AValue) { Summary()->Assign(AValue); }

void TcxCustomDataController::SummaryChanged(bool ARedrawOnly) {
  if (IsDestroying()) return;
  const bool sortingBySummary = FSortingBySummaryDataItemIndex != -1;
  TcxDataControllerInfoChanges changes;
  if (!ARedrawOnly || sortingBySummary)
    changes += dcicSummary;
  else
    changes += dcicView;
  if (sortingBySummary) changes += dcicGrouping;
  FDataControllerInfo->Change(changes);
}

const rtl::ClassInfo& TcxCustomDataController::GetSummaryItemClass() const {
  return TcxDataSummaryItem::classInfo();
}

const rtl::ClassInfo& TcxCustomDataController::GetSummaryGroupItemLinkClass() const {
  return TcxDataSummaryGroupItemLink::classInfo();
}

void TcxCustomDataController::SetSortingBySummaryDataItemIndex(int AValue) {
  if (AValue != -1) CheckItemRange(AValue);
  if (AValue == FSortingBySummaryDataItemIndex) return;
  FSortingBySummaryDataItemIndex = AValue;
  SortingBySummaryChanged();
}

bool TcxCustomDataController::IsSummaryCalculationNeeded(TcxDataControllerInfoChanges AChanges,
                                                         bool ARegrouping) const {
  if (!FSummary || FSummary->IsDestroying()) return false;
  if (FOwner != nullptr && FOwner->ComponentState().contains(rtl::TComponentStateItem::csReading)) return false;
  // New groups carry no values yet, whatever else changed.
  if (ARegrouping || AChanges.contains(dcicSummary) || AChanges.contains(dcicLoad)) return true;
  return FSummary->CountsSelectedRecords() &&
         !(AChanges * TcxDataControllerInfoChanges{dcicSelection, dcicFocusedRow, dcicFocusedRecord}).empty();
}

void TcxCustomDataController::CalculateSummaryOfRecordList() {
  if (!FSummary) return;
  FSummary->Calculate();
}

// --- items -----------------------------------------------------------------------------------------
void TcxCustomDataSummaryItem::beginCollectionUpdate() {
  if (Collection() != nullptr) Collection()->BeginUpdate();
}

void TcxCustomDataSummaryItem::endCollectionUpdate() {
  if (Collection() != nullptr) Collection()->EndUpdate();
}

void TcxCustomDataSummaryItem::Assign(TPersistent* ASource) {
  auto* source = dynamic_cast<TcxCustomDataSummaryItem*>(ASource);
  if (source == nullptr) {
    TCollectionItem::Assign(ASource);
    return;
  }
  beginCollectionUpdate();
  rtl::ScopeExit end([this] { endCollectionUpdate(); });
  AssignValues(source);
}

void TcxCustomDataSummaryItem::AssignValues(TcxCustomDataSummaryItem* ASource) {
  if (TcxCustomDataController* controller = GetDataController())
    SetItemLink(ASource->ItemLink() ? controller->FindProperItemLink(ASource->ItemLink()) : nullptr);
  SetFormat(ASource->FFormat);
  SetKind(ASource->FKind);
}

bool TcxCustomDataSummaryItem::IsCurrency(rtl::TVarType AVarType) const {
  const rtl::TVarType type = AVarType & rtl::varTypeMask;
  return type == rtl::varCurrency || type == rtl::VarFMTBcd();
}

TObject* TcxCustomDataSummaryItem::ItemLink() const { return FField ? FField->Item() : nullptr; }

void TcxCustomDataSummaryItem::SetItemLink(TObject* AItemLink) {
  TcxCustomDataController* controller = GetDataController();
  if (controller == nullptr || ItemLink() == AItemLink) return;
  TcxCustomDataField* field = AItemLink ? controller->FindFieldByItem(AItemLink) : nullptr;
  beginCollectionUpdate();
  rtl::ScopeExit end([this] { endCollectionUpdate(); });
  ItemLinkChanging(field);
  FField = field;
  Changed(true);
}

void TcxCustomDataSummaryItem::SetFormat(const String& AValue) {
  if (FFormat == AValue) return;
  FFormat = AValue;
  Changed(false);
}

void TcxCustomDataSummaryItem::SetKind(TcxSummaryKind AValue) {
  if (!CanSetKind(AValue)) return;
  FKind = AValue;
  Changed(true);
}

namespace {
TcxSummaryValueType valueTypeOf(const TcxCustomDataSummaryItem& AItem, const Variant& AValue) {
  const rtl::TVarType type = rtl::VarType(AValue);
  if (AItem.IsCurrency(type)) return svtCurrency;
  if ((type & rtl::varTypeMask) == rtl::varDate) return svtDate;
  return svtFloat;
}

String dateText(rtl::TDateTime AValue) {
  double datePart = 0;
  const double timePart = std::modf(AValue, &datePart);
  if (timePart == 0) return rtl::DateToStr(AValue);
  if (datePart == 0) return rtl::TimeToStr(AValue);
  return rtl::DateTimeToStr(AValue);
}
}  // namespace

String TcxCustomDataSummaryItem::FormatValue(const Variant& AValue, bool AIsFooter) {
  if (rtl::VarIsNull(AValue) || rtl::VarIsEmpty(AValue)) return String();
  if (FKind == skNone) return rtl::VarToStr(AValue);
  const TcxSummaryValueType valueType = valueTypeOf(*this, AValue);
  String format = GetValueFormat(valueType, AIsFooter);
  if (format.empty()) {
    auto* items = dynamic_cast<TcxDataSummaryItems*>(Collection());
    format = items ? items->DefaultFormat(valueType, FKind, AIsFooter)
                   : cxDataGetDataSummaryValueDefaultFormat(valueType, FKind, AIsFooter);
  }
  if (valueType == svtDate && FKind != skCount) return format + dateText(rtl::VarToDateTime(AValue));
  // Currency keeps its exact digits on the way to the text.
  if ((rtl::VarType(AValue) & rtl::varTypeMask) == rtl::varCurrency)
    return rtl::FormatCurr(format, AValue.AsCurrency());
  return rtl::FormatFloat(format, AValue.AsDouble());
}

TcxDataSummaryItem::TcxDataSummaryItem(rtl::TCollection* ACollection) : TcxCustomDataSummaryItem(ACollection) {}

TcxDataSummaryItem::~TcxDataSummaryItem() {
  // A sorted item going away must not leave the groups sorted by it.
  if (FSorted && SummaryItems() != nullptr && !SummaryItems()->Summary()->IsDestroying()) SetSorted(false);
}

void TcxDataSummaryItem::Assign(TPersistent* ASource) {
  TcxCustomDataSummaryItem::Assign(ASource);
  if (auto* source = dynamic_cast<TcxDataSummaryItem*>(ASource)) FTag = source->FTag;
}

void TcxDataSummaryItem::AssignValues(TcxCustomDataSummaryItem* ASource) {
  TcxCustomDataSummaryItem::AssignValues(ASource);
  if (auto* source = dynamic_cast<TcxDataSummaryItem*>(ASource)) {
    SetPosition(source->FPosition);
    SetSorted(source->FSorted);
    FOnGetText = source->FOnGetText;
  }
}

TcxDataSummaryItems* TcxDataSummaryItem::SummaryItems() const {
  return dynamic_cast<TcxDataSummaryItems*>(Collection());
}

TcxCustomDataController* TcxDataSummaryItem::GetDataController() const {
  TcxDataSummaryItems* items = SummaryItems();
  return items ? items->GetDataController() : nullptr;
}

String TcxDataSummaryItem::FormatValue(const Variant& AValue, bool AIsFooter) {
  String text = TcxCustomDataSummaryItem::FormatValue(AValue, AIsFooter);
  if (FOnGetText) FOnGetText(this, AValue, AIsFooter, text);
  return text;
}

bool TcxDataSummaryItem::IsDataBinded() const {
  return FField != nullptr || (FKind == skCount && Position() == spGroup);
}

bool TcxDataSummaryItem::IsPositionStored() const {
  TcxDataSummaryItems* items = SummaryItems();
  return items ? items->IsPositionStored(this) : FPosition != spGroup;
}

TcxSummaryPosition TcxDataSummaryItem::Position() const {
  TcxDataSummaryItems* items = SummaryItems();
  return items ? items->GetItemPosition(this) : FPosition;
}

void TcxDataSummaryItem::SetPosition(TcxSummaryPosition AValue) {
  if (FPosition == AValue) return;
  FPosition = AValue;
  Changed(false);
}

void TcxDataSummaryItem::SetSorted(bool AValue) {
  TcxCustomDataController* controller = GetDataController();
  if (controller != nullptr && controller->GetSortingBySummaryDataItemIndex() != -1) return;
  if (FSorted == AValue) return;
  beginCollectionUpdate();
  rtl::ScopeExit end([this] { endCollectionUpdate(); });
  if (TcxDataSummaryItems* items = SummaryItems()) items->BeforeSortingChange(this, AValue);
  FSorted = AValue;
  if (controller != nullptr) controller->SortingBySummaryChanged();
  Changed(true);
}

// --- collections -------------------------------------------------------------------------------------
TcxDataSummaryItems::TcxDataSummaryItems(TcxDataSummary* ASummary, rtl::ClassRef<TcxDataSummaryItem> AItemClass)
    : TCollection(AItemClass), FSummary(ASummary) {}

TPersistent* TcxDataSummaryItems::GetOwner() const { return FSummary; }

TcxCustomDataController* TcxDataSummaryItems::GetDataController() const { return FSummary->DataController(); }

TcxDataSummaryItem* TcxDataSummaryItems::Items(int AIndex) const {
  return static_cast<TcxDataSummaryItem*>(TCollection::Items(AIndex));
}

void TcxDataSummaryItems::Update(TCollectionItem* AItem) { FSummary->Changed(AItem != nullptr); }

void TcxDataSummaryItems::ChangedView() {
  if (Count() > 0) FSummary->Changed(true);
}

bool TcxDataSummaryItems::IsPropertiesEmpty(TcxSummaryProperties AProperties, const String& AFormat, bool ASorted,
                                            TcxSummaryKind AKind) const {
  return (!AProperties.contains(spFormat) || AFormat.empty()) && (!AProperties.contains(spKind) || AKind == skNone) &&
         (!AProperties.contains(spSorted) || !ASorted);
}

String TcxDataSummaryItems::DefaultFormat(TcxSummaryValueType AValueType, TcxSummaryKind AKind,
                                          bool AIsFooter) const {
  return cxDataGetDataSummaryValueDefaultFormat(AValueType, AKind, AIsFooter);
}

TcxDataSummaryItem* TcxDataSummaryItems::GetDataItem(int AItemIndex, TcxSummaryPosition APosition, bool ACheckKind,
                                                     TcxSummaryKind AKind) const {
  TcxCustomDataField* field = GetDataController()->GetItemField(AItemIndex);
  for (int i = 0; i < Count(); ++i) {
    TcxDataSummaryItem* item = Items(i);
    if (item->Field() == field && item->Position() == APosition && (!ACheckKind || item->Kind() == AKind))
      return item;
  }
  return nullptr;
}

namespace {
// The collection hears of a new item only once the item is whole: an item
// joins its collection from the base class constructor, before its own
// members exist.
template <class TItem>
TItem* addWhole(rtl::TCollection& ACollection) {
  ACollection.BeginUpdate();
  rtl::ScopeExit end([&ACollection] { ACollection.EndUpdate(); });
  return static_cast<TItem*>(ACollection.Add());
}
}  // namespace

TcxDataSummaryItem* TcxDataSummaryItems::Add() { return addWhole<TcxDataSummaryItem>(*this); }

TcxDataSummaryItem* TcxDataSummaryItems::Add(TObject* AItemLink, TcxSummaryPosition APosition,
                                             TcxSummaryKind AKind, const String& AFormat) {
  BeginUpdate();
  rtl::ScopeExit end([this] { EndUpdate(); });
  TcxDataSummaryItem* item = Add();
  item->SetItemLink(AItemLink);
  item->SetPosition(APosition);
  item->SetKind(AKind);
  item->SetFormat(AFormat);
  return item;
}

TcxDataSummaryItem* TcxDataSummaryItems::AddDataItem(int AItemIndex, TcxSummaryPosition APosition) {
  return Add(GetDataController()->GetItem(AItemIndex), APosition, skNone);
}

int TcxDataSummaryItems::IndexOfItemLink(const TObject* AItemLink) const {
  for (int i = 0; i < Count(); ++i)
    if (Items(i)->ItemLink() == AItemLink) return i;
  return -1;
}

TcxDataSummaryItem* TcxDataSummaryItems::ItemOfItemLink(const TObject* AItemLink) const {
  const int index = IndexOfItemLink(AItemLink);
  return index < 0 ? nullptr : Items(index);
}

int TcxDataSummaryItems::IndexOfField(const TcxCustomDataField* AField) const {
  for (int i = 0; i < Count(); ++i)
    if (Items(i)->Field() == AField) return i;
  return -1;
}

TcxDataSummaryItem* TcxDataSummaryItems::ItemOfField(const TcxCustomDataField* AField) const {
  const int index = IndexOfField(AField);
  return index < 0 ? nullptr : Items(index);
}

void TcxDataSummaryItems::CheckItemEmpty(TcxDataSummaryItem* AItem) {
  if (AItem->Format().empty() && AItem->Kind() == skNone && !AItem->Sorted()) AItem->Free();
}

String TcxDataSummaryItems::GetDataItemFormat(int AItemIndex, TcxSummaryPosition APosition) const {
  TcxDataSummaryItem* item = GetDataItem(AItemIndex, APosition);
  return item ? item->Format() : String();
}

TcxSummaryKind TcxDataSummaryItems::GetDataItemKind(int AItemIndex, TcxSummaryPosition APosition) const {
  TcxDataSummaryItem* item = GetDataItem(AItemIndex, APosition);
  return item ? item->Kind() : skNone;
}

bool TcxDataSummaryItems::GetDataItemSorted(int AItemIndex, TcxSummaryPosition APosition) const {
  TcxDataSummaryItem* item = GetDataItem(AItemIndex, APosition);
  return item ? item->Sorted() : false;
}

void TcxDataSummaryItems::SetDataItemFormat(int AItemIndex, TcxSummaryPosition APosition, const String& AValue) {
  SetDataItemProperties(AItemIndex, APosition, false, skNone, AValue, {spFormat});
}

void TcxDataSummaryItems::SetDataItemKind(int AItemIndex, TcxSummaryPosition APosition, TcxSummaryKind AValue) {
  SetDataItemProperties(AItemIndex, APosition, false, AValue, String(), {spKind});
}

void TcxDataSummaryItems::SetDataItemSorted(int AItemIndex, TcxSummaryPosition APosition, bool AValue) {
  SetDataItemProperties(AItemIndex, APosition, AValue, skNone, String(), {spSorted});
}

void TcxDataSummaryItems::SetDataItemProperties(int AItemIndex, TcxSummaryPosition APosition, bool ASorted,
                                                TcxSummaryKind AKind, const String& AFormat,
                                                TcxSummaryProperties AProperties) {
  TcxDataSummaryItem* item = GetDataItem(AItemIndex, APosition);
  if (item == nullptr) {
    if (IsPropertiesEmpty(AProperties, AFormat, ASorted, AKind)) return;
    item = AddDataItem(AItemIndex, APosition);
  }
  if (AProperties.contains(spFormat)) item->SetFormat(AFormat);
  if (AProperties.contains(spKind)) item->SetKind(AKind);
  if (AProperties.contains(spSorted)) item->SetSorted(ASorted);
  CheckItemEmpty(item);
}

TPersistent* TcxDataGroupSummaryItems::GetOwner() const {
  return FOwner ? static_cast<TPersistent*>(FOwner) : Summary();
}

void TcxDataGroupSummaryItems::Assign(TPersistent* ASource) {
  TcxDataSummaryItems::Assign(ASource);
  if (auto* source = dynamic_cast<TcxDataGroupSummaryItems*>(ASource)) {
    FBeginText = source->FBeginText;
    FEndText = source->FEndText;
    FSeparator = source->FSeparator;
  }
}

void TcxDataGroupSummaryItems::BeforeSortingChange(TcxDataSummaryItem* AItem, bool AValue) {
  if (!AValue) return;
  // One sorted item per collection: the current one gives way.
  for (int i = 0; i < Count(); ++i) {
    TcxDataSummaryItem* item = Items(i);
    if (item != AItem && item->FSorted) {
      item->FSorted = false;
      break;
    }
  }
}

TcxDataSummaryItem* TcxDataGroupSummaryItems::SortedSummaryItem() const {
  const int sortingItem = GetDataController()->GetSortingBySummaryDataItemIndex();
  if (sortingItem != -1) return ItemOfItemLink(GetDataController()->GetItem(sortingItem));
  for (int i = 0; i < Count(); ++i)
    if (Items(i)->Sorted()) return Items(i);
  return nullptr;
}

String TcxDataGroupSummaryItems::GetGroupText(const TcxDataSummaryValues& ASummaryValues) const {
  String result;
  for (int i = 0; i < Count(); ++i) {
    TcxDataSummaryItem* item = Items(i);
    if (item->Position() != spGroup) continue;
    // An item added since the last calculation has no value yet.
    if (static_cast<size_t>(i) >= ASummaryValues.size()) continue;
    const String text = item->FormatValue(ASummaryValues[static_cast<size_t>(i)], false);
    if (text.empty()) continue;
    if (!result.empty()) result += FSeparator + u" ";
    result += text;
  }
  return result.empty() ? result : FBeginText + result + FEndText;
}

void TcxDataGroupSummaryItems::SetBeginText(const String& AValue) {
  if (FBeginText == AValue) return;
  FBeginText = AValue;
  ChangedView();
}

void TcxDataGroupSummaryItems::SetEndText(const String& AValue) {
  if (FEndText == AValue) return;
  FEndText = AValue;
  ChangedView();
}

void TcxDataGroupSummaryItems::SetSeparator(const String& AValue) {
  if (FSeparator == AValue) return;
  FSeparator = AValue;
  ChangedView();
}

// --- summary groups ------------------------------------------------------------------------------------
TcxDataSummaryGroup* TcxDataSummaryGroupItemLink::SummaryGroup() const {
  auto* links = dynamic_cast<TcxDataSummaryGroupItemLinks*>(Collection());
  return links ? links->SummaryGroup() : nullptr;
}

TcxCustomDataController* TcxDataSummaryGroupItemLink::GetDataController() const {
  TcxDataSummaryGroup* group = SummaryGroup();
  return group && group->Summary() ? group->Summary()->DataController() : nullptr;
}

void TcxDataSummaryGroupItemLink::ItemLinkChanging(TcxCustomDataField* AField) {
  TcxDataSummaryGroup* group = SummaryGroup();
  if (AField == nullptr || group == nullptr || group->Summary() == nullptr) return;
  TcxDataSummaryGroups* groups = group->Summary()->SummaryGroups();
  for (int g = 0; g < groups->Count(); ++g) {
    TcxDataSummaryGroup* other = groups->Items(g);
    if (!other->HasLinks()) continue;
    TcxDataSummaryGroupItemLinks* links = other->Links();
    for (int i = links->Count() - 1; i >= 0; --i) {
      TcxDataSummaryGroupItemLink* link = links->Items(i);
      if (link != this && link->Field() == AField) link->Free();
    }
  }
}

TPersistent* TcxDataSummaryGroupItemLinks::GetOwner() const { return FSummaryGroup; }

TcxDataSummaryGroupItemLink* TcxDataSummaryGroupItemLinks::Add() {
  return addWhole<TcxDataSummaryGroupItemLink>(*this);
}

TcxDataSummaryGroupItemLink* TcxDataSummaryGroupItemLinks::Items(int AIndex) const {
  return static_cast<TcxDataSummaryGroupItemLink*>(TCollection::Items(AIndex));
}

int TcxDataSummaryGroupItemLinks::IndexOfItemLink(const TObject* AItemLink) const {
  for (int i = 0; i < Count(); ++i)
    if (Items(i)->ItemLink() == AItemLink) return i;
  return -1;
}

int TcxDataSummaryGroupItemLinks::IndexOfField(const TcxCustomDataField* AField) const {
  for (int i = 0; i < Count(); ++i)
    if (Items(i)->Field() == AField) return i;
  return -1;
}

TcxDataSummaryGroupItemLink* TcxDataSummaryGroupItemLinks::ItemOfField(const TcxCustomDataField* AField) const {
  const int index = IndexOfField(AField);
  return index < 0 ? nullptr : Items(index);
}

void TcxDataSummaryGroupItemLinks::Update(TCollectionItem*) {
  if (TcxDataSummary* summary = FSummaryGroup->Summary()) summary->Changed(false);
}

TcxDataSummaryGroup::TcxDataSummaryGroup(rtl::TCollection* ACollection) : TCollectionItem(ACollection) {
  TcxDataSummary* summary = Summary();
  FSummaryItems = std::make_unique<TcxDataGroupSummaryItems>(
      summary,
      summary ? rtl::ClassRef<TcxDataSummaryItem>(summary->DataController()->GetSummaryItemClass())
              : rtl::ClassRef<TcxDataSummaryItem>::of<TcxDataSummaryItem>(),
      this);
}

TcxDataSummaryGroup::~TcxDataSummaryGroup() = default;

TcxDataSummary* TcxDataSummaryGroup::Summary() const {
  auto* groups = dynamic_cast<TcxDataSummaryGroups*>(Collection());
  return groups ? groups->Summary() : nullptr;
}

TcxDataSummaryGroupItemLinks* TcxDataSummaryGroup::Links() {
  if (!FItemLinks) {
    TcxDataSummary* summary = Summary();
    FItemLinks = std::make_unique<TcxDataSummaryGroupItemLinks>(
        this, summary ? rtl::ClassRef<TcxDataSummaryGroupItemLink>(
                            summary->DataController()->GetSummaryGroupItemLinkClass())
                      : rtl::ClassRef<TcxDataSummaryGroupItemLink>::of<TcxDataSummaryGroupItemLink>());
  }
  return FItemLinks.get();
}

void TcxDataSummaryGroup::Assign(TPersistent* ASource) {
  auto* source = dynamic_cast<TcxDataSummaryGroup*>(ASource);
  if (source == nullptr) {
    TCollectionItem::Assign(ASource);
    return;
  }
  if (source->HasLinks()) Links()->Assign(source->FItemLinks.get());
  else if (HasLinks()) Links()->Clear();
  FSummaryItems->Assign(source->FSummaryItems.get());
}

TcxDataSummaryGroups::TcxDataSummaryGroups(TcxDataSummary* ASummary)
    : TCollection(rtl::ClassRef<TCollectionItem>::of<TcxDataSummaryGroup>()), FSummary(ASummary) {}

TPersistent* TcxDataSummaryGroups::GetOwner() const { return FSummary; }

TcxDataSummaryGroup* TcxDataSummaryGroups::Add() { return addWhole<TcxDataSummaryGroup>(*this); }

TcxDataSummaryGroup* TcxDataSummaryGroups::Items(int AIndex) const {
  return static_cast<TcxDataSummaryGroup*>(TCollection::Items(AIndex));
}

TcxDataSummaryGroup* TcxDataSummaryGroups::FindByItemLink(const TObject* AItemLink) const {
  if (AItemLink == nullptr) return nullptr;
  for (int i = 0; i < Count(); ++i) {
    // A group still being built (it joins from its base constructor) is
    // not a summary group yet.
    auto* group = dynamic_cast<TcxDataSummaryGroup*>(TCollection::Items(i));
    if (group != nullptr && group->HasLinks() && group->Links()->IndexOfItemLink(AItemLink) != -1) return group;
  }
  return nullptr;
}

void TcxDataSummaryGroups::Update(TCollectionItem*) { FSummary->Changed(false); }

// --- the summary ---------------------------------------------------------------------------------------
TcxDataSummary::TcxDataSummary(TcxCustomDataController* ADataController)
    : TcxDataControllerPersistent(ADataController) {
  const rtl::ClassRef<TcxDataSummaryItem> itemClass(ADataController->GetSummaryItemClass());
  FDefaultGroupSummaryItems = std::make_unique<TcxDataGroupSummaryItems>(this, itemClass);
  FFooterSummaryItems = std::make_unique<TcxDataFooterSummaryItems>(this, itemClass);
  FSummaryGroups = std::make_unique<TcxDataSummaryGroups>(this);
}

TcxDataSummary::~TcxDataSummary() {
  FDestroying = true;
  FSummaryGroups.reset();
  FFooterSummaryItems.reset();
  FDefaultGroupSummaryItems.reset();
}

void TcxDataSummary::Assign(TPersistent* ASource) {
  auto* source = dynamic_cast<TcxDataSummary*>(ASource);
  if (source == nullptr) {
    TcxDataControllerPersistent::Assign(ASource);
    return;
  }
  BeginUpdate();
  rtl::ScopeExit end([this] { EndUpdate(); });
  FDefaultGroupSummaryItems->Assign(source->FDefaultGroupSummaryItems.get());
  FFooterSummaryItems->Assign(source->FFooterSummaryItems.get());
  FSummaryGroups->Assign(source->FSummaryGroups.get());
  SetOptions(source->FOptions);
  FOnAfterSummary = source->FOnAfterSummary;
}

void TcxDataSummary::BeginUpdate() {
  DataController()->BeginUpdate();
  ++FLockCount;
}

void TcxDataSummary::EndUpdate() {
  --FLockCount;
  Changed(false);
  DataController()->EndUpdate();
}

void TcxDataSummary::CancelUpdate() {
  DataController()->EndUpdate();
  --FLockCount;
}

void TcxDataSummary::Changed(bool ARedrawOnly) {
  if (FInAfterSummary || FLockCount > 0) return;
  Update(ARedrawOnly);
}

void TcxDataSummary::Update(bool ARedrawOnly) {
  if (!FDestroying) DataController()->SummaryChanged(ARedrawOnly);
}

void TcxDataSummary::SetOptions(TcxSummaryOptions AValue) {
  if (AValue == FOptions) return;
  if (AValue.contains(soSelectedRecords) && AValue.contains(soMultipleSelectedRecords)) {
    if (FOptions.contains(soSelectedRecords))
      AValue -= soSelectedRecords;
    else
      AValue -= soMultipleSelectedRecords;
  }
  FOptions = AValue;
  Changed(false);
}

bool TcxDataSummary::CountsSelectedRecords() const {
  return FOptions.contains(soSelectedRecords) ||
         (FOptions.contains(soMultipleSelectedRecords) && DataController()->GetSelectedCount() > 1);
}

// --- calculation -------------------------------------------------------------------------------------
void TcxDataSummary::BeginCalculate() {
  if (!FSetCustomSummary) CalculateFooterSummary();
}

void TcxDataSummary::EndCalculate() {
  if (FSetCustomSummary) return;
  CalculateGroupSummary();
  DoAfterSummary();
}

void TcxDataSummary::Calculate() {
  // The selected records are gathered once, not looked up per record.
  FSelectedRecordsOnly = CountsSelectedRecords();
  FSelectedRecords.clear();
  if (FSelectedRecordsOnly) {
    TcxCustomDataController& controller = *DataController();
    FSelectedRecords.assign(static_cast<size_t>(std::max(0, controller.GetRecordCount())), 0);
    auto mark = [&](int ARecordIndex) {
      if (ARecordIndex >= 0 && static_cast<size_t>(ARecordIndex) < FSelectedRecords.size())
        FSelectedRecords[static_cast<size_t>(ARecordIndex)] = 1;
    };
    if (!controller.MultiSelect()) {
      mark(controller.GetFocusedRecordIndex());
    } else {
      const int dataLevel = static_cast<int>(controller.DataControllerInfo()->GroupingFieldList().size());
      for (int i = 0; i < controller.GetSelectedCount(); ++i) {
        const int row = controller.GetSelectedRowIndex(i);
        if (row < 0 || row >= controller.GetRowCount()) continue;
        const TcxRowInfo info = controller.GetRowInfo(row);
        if (info.Level == dataLevel || !controller.DataControllerInfo()->IsGrouped()) mark(info.RecordIndex);
      }
    }
  }
  // The columns read for this calculation go with it: the next one may see
  // other values.
  FDirectColumns = std::move(FPreparedColumns);
  FPreparedColumns.clear();
  rtl::ScopedValue<bool> calculating(FCalculating, true);
  rtl::ScopeExit dropColumns([this] { recycleColumns(FDirectColumns); });
  BeginCalculate();
  EndCalculate();
}

void TcxDataSummary::BeginCalculateSummary(TcxDataSummaryItems* ASummaryItems, TcxDataSummaryCountValues& ACountValues,
                                           TcxDataSummaryValues& ASummaryValues) {
  const size_t count = static_cast<size_t>(ASummaryItems->Count());
  ACountValues.assign(count, 0);
  ASummaryValues.assign(count, Variant());
}

int TcxDataSummary::GetRecordIndex(int ARecordListIndex) const {
  const int record = DataController()->DataControllerInfo()->GetInternalRecordIndex(ARecordListIndex);
  if (!FSelectedRecordsOnly) return record;
  const bool selected =
      record >= 0 && static_cast<size_t>(record) < FSelectedRecords.size() && FSelectedRecords[static_cast<size_t>(record)];
  return selected ? record : -1;
}

// --- reading the storage directly ------------------------------------------------------------------
// Counts, and sums, minimums and maximums of Currency and Float fields, are
// what summaries over large lists mostly are. Without a handler or a
// descendant that could see each value, they read the record storage in
// place instead of building a variant per record, and give exactly the
// values (and value types) the per-record rules give: the same additions in
// the same order.
namespace {
enum class DirectKind { None, Count, Currency, Float };

DirectKind directKindOf(const TcxDataSummaryItem& AItem) {
  TcxCustomDataField* field = AItem.DataField();
  TcxValueDef* valueDef = field ? field->GetValueDef() : nullptr;
  if (AItem.Kind() == skCount) return field == nullptr || valueDef != nullptr ? DirectKind::Count : DirectKind::None;
  if (valueDef == nullptr) return DirectKind::None;
  const TcxValueTypeClass type = valueDef->ValueTypeClass();
  if (type == TcxCurrencyValueType::Instance() && AItem.Kind() != skNone) return DirectKind::Currency;
  if (type == TcxFloatValueType::Instance() && (AItem.Kind() == skSum || AItem.Kind() == skAverage))
    return DirectKind::Float;
  return DirectKind::None;
}
}  // namespace

std::vector<TcxValueDef*> TcxDataSummary::ColumnValueDefs() const {
  std::vector<TcxValueDef*> defs;
  const TcxCustomDataController& controller = *DataController();
  if (typeid(*this) != typeid(TcxDataSummary) || CountsSelectedRecords() || controller.IsProviderMode() ||
      controller.IsGridMode())
    return defs;
  auto collect = [&defs](const TcxDataSummaryItems* AItems) {
    if (AItems == nullptr || AItems->FOnSummary) return;
    for (int i = 0; i < AItems->Count(); ++i) {
      TcxDataSummaryItem* item = AItems->Items(i);
      const DirectKind kind = item->IsDataBinded() ? directKindOf(*item) : DirectKind::None;
      if (kind != DirectKind::Currency && kind != DirectKind::Float) continue;
      TcxValueDef* valueDef = item->DataField()->GetValueDef();
      if (std::find(defs.begin(), defs.end(), valueDef) == defs.end()) defs.push_back(valueDef);
    }
  };
  collect(FFooterSummaryItems.get());
  collect(FDefaultGroupSummaryItems.get());
  for (int i = 0; i < FSummaryGroups->Count(); ++i) collect(FSummaryGroups->Items(i)->SummaryItems());
  return defs;
}

std::vector<std::int64_t> TcxDataSummary::TakeColumnBuffer(size_t ASize) const {
  std::vector<std::int64_t> buffer;
  if (!FSpareColumnBuffers.empty()) {
    buffer = std::move(FSpareColumnBuffers.back());
    FSpareColumnBuffers.pop_back();
  }
  buffer.assign(ASize, 0);
  return buffer;
}

void TcxDataSummary::recycleColumns(std::vector<DirectColumn>& AColumns) const {
  constexpr size_t kSpareColumnBuffers = 4;
  for (DirectColumn& column : AColumns)
    if (FSpareColumnBuffers.size() < kSpareColumnBuffers && column.bits.capacity() != 0)
      FSpareColumnBuffers.push_back(std::move(column.bits));
  AColumns.clear();
}

void TcxDataSummary::PrepareColumn(TcxValueDef* AValueDef, std::vector<std::int64_t>&& ABits,
                                   std::vector<unsigned char>&& ANulls) {
  DirectColumn column;
  column.valueDef = AValueDef;
  column.bits = std::move(ABits);
  column.nulls = std::move(ANulls);
  FPreparedColumns.push_back(std::move(column));
}

const TcxDataSummary::DirectColumn* TcxDataSummary::directColumn(TcxValueDef* AValueDef) const {
  if (!FCalculating || AValueDef == nullptr) return nullptr;
  for (const DirectColumn& column : FDirectColumns)
    if (column.valueDef == AValueDef) return &column;
  const TcxDataStorage& storage = *DataController()->DataStorage();
  const int records = storage.RecordCount();
  // A list that shows a small part of the records reads its few in place.
  if (records == 0 || DataController()->DataControllerInfo()->GetInternalRecordCount() < records / 4) return nullptr;
  const TcxValueTypeClass type = AValueDef->ValueTypeClass();
  const bool eightBytes = type == TcxCurrencyValueType::Instance() || type == TcxFloatValueType::Instance();
  DirectColumn column;
  column.valueDef = AValueDef;
  column.bits = TakeColumnBuffer(static_cast<size_t>(records));
  for (int record = 0; record < records; ++record) {
    TcxPreparedValue prepared = nullptr;
    const size_t slot = static_cast<size_t>(record);
    if (storage.GetCompareInfo(record, AValueDef, prepared)) {
      if (column.nulls.empty()) column.nulls.assign(static_cast<size_t>(records), 0);
      column.nulls[slot] = 1;
    } else if (eightBytes) {
      std::memcpy(&column.bits[slot], prepared, sizeof column.bits[slot]);
    }
  }
  FDirectColumns.push_back(std::move(column));
  return &FDirectColumns.back();
}

bool TcxDataSummary::calculateDirect(TcxDataSummaryItem* AItem, int ABeginIndex, int AEndIndex, int& ACount,
                                     Variant& AValue) const {
  const DirectKind kind = directKindOf(*AItem);
  if (kind == DirectKind::None || !rtl::VarIsEmpty(AValue)) return false;
  const TcxCustomDataControllerInfo& info = *DataController()->DataControllerInfo();
  const TcxDataStorage& storage = *DataController()->DataStorage();
  TcxValueDef* valueDef = AItem->DataField() ? AItem->DataField()->GetValueDef() : nullptr;
  const bool ignoreNulls = FOptions.contains(soNullIgnore);
  const TcxSummaryKind summaryKind = AItem->Kind();
  int counted = 0;
  bool firstIsNull = false, any = false;
  long long currency = 0;
  double real = 0;
  // A count that takes nulls too needs no value at all.
  const bool readsValues = kind != DirectKind::Count || ignoreNulls;
  // A sorted list visits the records in no storage order: the values a few
  // records ahead are asked for early, so that their reads overlap.
  constexpr int kSummaryReadAhead = 12;
  const int valueOffset = valueDef != nullptr ? valueDef->Offset() : 0;
  const DirectColumn* column = readsValues ? directColumn(valueDef) : nullptr;
  const size_t columnSize = column != nullptr ? column->bits.size() : 0;
  if (column != nullptr && column->nulls.empty() && kind == DirectKind::Currency &&
      (summaryKind == skSum || summaryKind == skAverage)) {
    // The usual sum without nulls: every record adds, in list order.
    constexpr int kColumnReadAhead = 24;
    const std::int64_t* bits = column->bits.data();
    long long total = 0;
    for (int index = ABeginIndex; index <= AEndIndex; ++index) {
      const size_t slot = static_cast<size_t>(static_cast<unsigned>(info.GetInternalRecordIndex(index)));
      if (slot >= columnSize) return false;  // an internal record: the general path knows it
      if (index + kColumnReadAhead <= AEndIndex)
        __builtin_prefetch(bits + static_cast<unsigned>(info.GetInternalRecordIndex(index + kColumnReadAhead)));
      if (__builtin_add_overflow(total, bits[slot], &total)) return false;  // the general path raises the overflow
    }
    const int added = std::max(0, AEndIndex - ABeginIndex + 1);
    ACount += added;
    if (added > 0) AValue = Variant(rtl::Currency::FromScaled(total));
    return true;
  }
  for (int index = ABeginIndex; index <= AEndIndex; ++index) {
    const int record = info.GetInternalRecordIndex(index);
    if (record < 0) return false;  // an internal record: the general path knows it
    if (!readsValues) {
      ++counted;
      continue;
    }
    TcxPreparedValue prepared = nullptr;
    bool isNull = valueDef == nullptr;
    if (column != nullptr) {
      const size_t slot = static_cast<size_t>(record);
      if (slot >= columnSize) return false;
      if (index + kSummaryReadAhead <= AEndIndex) {
        const size_t ahead = static_cast<size_t>(info.GetInternalRecordIndex(index + kSummaryReadAhead));
        if (ahead < columnSize) __builtin_prefetch(column->bits.data() + ahead);
      }
      isNull = !column->nulls.empty() && column->nulls[slot] != 0;
      prepared = column->bits.data() + slot;
    } else {
      if (index + kSummaryReadAhead <= AEndIndex) {
        const int ahead = info.GetInternalRecordIndex(index + kSummaryReadAhead);
        if (ahead >= 0)
          if (const Byte* buffer = storage.RecordBuffer(ahead)) __builtin_prefetch(buffer + valueOffset);
      }
      isNull = isNull || storage.GetCompareInfo(record, valueDef, prepared);
    }
    if (isNull && ignoreNulls) continue;
    if (counted++ == 0) firstIsNull = isNull;
    if (isNull || kind == DirectKind::Count) continue;
    if (kind == DirectKind::Currency) {
      long long value;
      std::memcpy(&value, prepared, sizeof value);
      if (!any)
        currency = value;
      else if (summaryKind == skMin)
        currency = std::min(currency, value);
      else if (summaryKind == skMax)
        currency = std::max(currency, value);
      else if (__builtin_add_overflow(currency, value, &currency))
        return false;  // the general path raises the overflow
    } else {
      double value;
      std::memcpy(&value, prepared, sizeof value);
      // A leading null starts the sum at the integer 0.
      real = any ? real + value : (firstIsNull ? 0.0 + value : value);
    }
    any = true;
  }
  ACount += counted;
  if (counted == 0 || kind == DirectKind::Count) return true;
  if (summaryKind == skMin || summaryKind == skMax) {
    if (any) AValue = Variant(rtl::Currency::FromScaled(currency));
  } else if (!any) {
    AValue = Variant(0);
  } else {
    AValue = kind == DirectKind::Currency ? Variant(rtl::Currency::FromScaled(currency)) : Variant(real);
  }
  return true;
}

void TcxDataSummary::CalculateSummary(TcxDataSummaryItems* ASummaryItems, int ABeginIndex, int AEndIndex,
                                      TcxDataSummaryCountValues& ACountValues, TcxDataSummaryValues& ASummaryValues) {
  const int itemCount = ASummaryItems->Count();
  TcxCustomDataController& controller = *DataController();
  const bool direct = typeid(*this) == typeid(TcxDataSummary) && !ASummaryItems->FOnSummary && !FSelectedRecordsOnly &&
                      !controller.IsProviderMode() && !controller.IsGridMode();
  // Only items that take part are visited per record.
  std::vector<TcxDataSummaryItem*> items;
  std::vector<int> indexes;
  for (int i = 0; i < itemCount; ++i) {
    TcxDataSummaryItem* item = ASummaryItems->Items(i);
    if (!item->IsDataBinded()) continue;
    const size_t slot = static_cast<size_t>(i);
    if (direct && calculateDirect(item, ABeginIndex, AEndIndex, ACountValues[slot], ASummaryValues[slot])) continue;
    items.push_back(item);
    indexes.push_back(i);
  }
  if (items.empty()) return;
  for (int index = ABeginIndex; index <= AEndIndex; ++index) {
    const int record = GetRecordIndex(index);
    if (record == -1) continue;
    for (size_t i = 0; i < items.size(); ++i) {
      const size_t slot = static_cast<size_t>(indexes[i]);
      DoSummaryValue(items[i], record, ACountValues[slot], ASummaryValues[slot]);
    }
  }
}

void TcxDataSummary::DoSummaryValue(TcxDataSummaryItem* ASummaryItem, int ARecordIndex, int& ACount,
                                    Variant& AValue) {
  if (!ASummaryItem->IsDataBinded()) return;
  TcxSummaryEventOutArguments out;
  out.Value = ASummaryItem->DataField()
                  ? DataController()->GetInternalValue(ARecordIndex, ASummaryItem->DataField())
                  : rtl::Null();
  if (TcxDataSummaryItems* items = ASummaryItem->SummaryItems(); items && items->FOnSummary) {
    const TcxSummaryEventArguments arguments{ARecordIndex, ASummaryItem};
    out.SummaryValue = AValue;
    out.CountValue = ACount;
    items->FOnSummary(items, arguments, out);
    AValue = out.SummaryValue;
    ACount = out.CountValue;
  }
  const TcxSummaryKind kind = ASummaryItem->Kind();
  const bool isNull = rtl::VarIsNull(out.Value) || rtl::VarIsEmpty(out.Value);
  if (out.Done || kind == skNone || (isNull && FOptions.contains(soNullIgnore))) return;
  if (rtl::VarIsEmpty(AValue)) {
    // The first contribution.
    if (kind == skSum || kind == skAverage)
      AValue = isNull ? Variant(0) : out.Value;
    else if ((kind == skMin || kind == skMax) && !isNull)
      AValue = out.Value;
  } else if (!isNull && !rtl::VarIsNull(AValue)) {
    switch (kind) {
      case skSum:
      case skAverage:
        AValue = AValue + out.Value;
        break;
      case skMin:
        if (VarCompare(out.Value, AValue) < 0) AValue = out.Value;
        break;
      case skMax:
        if (VarCompare(out.Value, AValue) > 0) AValue = out.Value;
        break;
      default:
        break;
    }
  }
  ++ACount;
}

namespace {
// Currency averages stay exact to the currency's four decimals: the scaled
// sum is divided as an integer and rounded half to even.
rtl::Currency divideCurrency(rtl::Currency ASum, int ACount) {
  const long long quotient = ASum.value / ACount;
  const long long remainder = ASum.value % ACount;
  const long long twice = 2 * (remainder < 0 ? -remainder : remainder);
  long long result = quotient;
  if (twice > ACount || (twice == ACount && (quotient % 2) != 0)) result += ASum.value < 0 ? -1 : 1;
  return rtl::Currency::FromScaled(result);
}
}  // namespace

void TcxDataSummary::DoFinishSummaryValue(TcxDataSummaryItem* ASummaryItem, Variant& AValue, int ACount) {
  if (rtl::VarIsEmpty(AValue)) AValue = rtl::Null();
  const TcxSummaryKind kind = ASummaryItem->Kind();
  if (kind == skCount) {
    AValue = Variant(ACount);
  } else if (kind == skAverage && ACount > 0 && !rtl::VarIsNull(AValue)) {
    const rtl::TVarType type = rtl::VarType(AValue) & rtl::varTypeMask;
    if (type == rtl::varCurrency)
      AValue = Variant(divideCurrency(AValue.AsCurrency(), ACount));
    else if (type == rtl::varDate)
      AValue = Variant::FromDateTime(rtl::VarToDateTime(AValue) / ACount);
    else
      AValue = Variant(AValue.AsDouble() / ACount);
  }
}

void TcxDataSummary::EndCalculateSummary(TcxDataSummaryItems* ASummaryItems, TcxDataSummaryCountValues& ACountValues,
                                         TcxDataSummaryValues& AResult, TcxDataSummaryValues& ASummaryValues) {
  for (int i = 0; i < ASummaryItems->Count(); ++i) {
    TcxDataSummaryItem* item = ASummaryItems->Items(i);
    Variant& value = ASummaryValues[static_cast<size_t>(i)];
    if (item->IsDataBinded())
      DoFinishSummaryValue(item, value, ACountValues[static_cast<size_t>(i)]);
    else
      value = rtl::Null();  // an item that takes no part shows nothing
  }
  AResult = std::move(ASummaryValues);
  ASummaryValues.clear();
}

void TcxDataSummary::CalculateFooterSummary() {
  TcxDataSummaryCountValues counts;
  TcxDataSummaryValues values;
  BeginCalculateSummary(FFooterSummaryItems.get(), counts, values);
  TcxCustomDataController& controller = *DataController();
  // In grid mode the list is only a window on the data: no footer values.
  if (!controller.IsGridMode())
    CalculateSummary(FFooterSummaryItems.get(), 0, controller.DataControllerInfo()->GetInternalRecordCount() - 1,
                     counts, values);
  EndCalculateSummary(FFooterSummaryItems.get(), counts, FFooterSummaryValues, values);
  if (controller.IsGridMode()) std::fill(FFooterSummaryValues.begin(), FFooterSummaryValues.end(), rtl::Null());
}

void TcxDataSummary::CalculateGroupSummary() {
  const TcxCustomDataControllerInfo& info = *DataController()->DataControllerInfo();
  const int groupCount = info.GetDataGroupCount();
  FGroupSummaryValues.assign(static_cast<size_t>(groupCount), TcxDataSummaryValues());
  const int levels = static_cast<int>(info.GroupingFieldList().size());
  // Level by level, each group straight from its own records (every group
  // covers a contiguous range of the record list).
  for (int level = 0; level < levels; ++level) {
    TcxDataGroupSummaryItems* items = GetGroupSummaryItems(level);
    if (items == nullptr) continue;
    for (int g = 0; g < groupCount; ++g) {
      const TcxDataGroupInfo& group = info.GetDataGroup(g);
      if (group.Level != level) continue;
      TcxDataSummaryCountValues counts;
      TcxDataSummaryValues values;
      BeginCalculateSummary(items, counts, values);
      CalculateSummary(items, group.BeginRecordListIndex, group.EndRecordListIndex, counts, values);
      EndCalculateSummary(items, counts, FGroupSummaryValues[static_cast<size_t>(g)], values);
    }
  }
}

void TcxDataSummary::MoveGroupValues(const std::vector<int>& AOldIndexes) {
  // Values of an older grouping (or none yet) stay as they are.
  if (AOldIndexes.size() != FGroupSummaryValues.size()) return;
  std::vector<TcxDataSummaryValues> moved(AOldIndexes.size());
  for (size_t g = 0; g < AOldIndexes.size(); ++g)
    moved[g] = std::move(FGroupSummaryValues[static_cast<size_t>(AOldIndexes[g])]);
  FGroupSummaryValues = std::move(moved);
}

void TcxDataSummary::DoAfterSummary() {
  if (!FOnAfterSummary) return;
  TcxCustomDataController& controller = *DataController();
  if (controller.IsLoading()) {
    controller.SetAfterSummaryFlag(true);
    return;
  }
  controller.SetAfterSummaryFlag(false);
  rtl::ScopedValue<bool> inAfterSummary(FInAfterSummary, true);
  if (!controller.IsPattern() && !controller.LockOnAfterSummary()) FOnAfterSummary(this);
}

// --- reading values and texts --------------------------------------------------------------------------
bool TcxDataSummary::IsValidSummaryValuesIndex(const TcxDataSummaryValues& ASummaryValues, int AIndex) const {
  return AIndex >= 0 && static_cast<size_t>(AIndex) < ASummaryValues.size();
}

Variant TcxDataSummary::GetFooterSummaryValue(int AIndex) const {
  if (!IsValidSummaryValuesIndex(FFooterSummaryValues, AIndex)) return rtl::Null();
  return FFooterSummaryValues[static_cast<size_t>(AIndex)];
}

String TcxDataSummary::GetFooterSummaryText(int AIndex) {
  if (AIndex < 0 || AIndex >= FFooterSummaryItems->Count()) return String();
  return FFooterSummaryItems->Items(AIndex)->FormatValue(GetFooterSummaryValue(AIndex), true);
}

TcxDataGroupSummaryItems* TcxDataSummary::GetGroupSummaryItems(int ALevel) const {
  const TcxSortingFieldList& grouping = DataController()->DataControllerInfo()->GroupingFieldList();
  if (ALevel < 0 || static_cast<size_t>(ALevel) >= grouping.size()) return nullptr;
  TcxCustomDataField* field = grouping[static_cast<size_t>(ALevel)].Field;
  if (TcxDataSummaryGroup* group = FSummaryGroups->FindByItemLink(field ? field->Item() : nullptr))
    return group->SummaryItems();
  return FDefaultGroupSummaryItems.get();
}

const TcxDataSummaryValues* TcxDataSummary::GetGroupSummaryValues(int ADataGroupIndex) const {
  if (ADataGroupIndex < 0 || static_cast<size_t>(ADataGroupIndex) >= FGroupSummaryValues.size()) return nullptr;
  return &FGroupSummaryValues[static_cast<size_t>(ADataGroupIndex)];
}

bool TcxDataSummary::GetGroupSummaryInfo(int ARowIndex, TcxDataGroupSummaryItems*& ASummaryItems,
                                         const TcxDataSummaryValues*& ASummaryValues) const {
  ASummaryItems = nullptr;
  ASummaryValues = nullptr;
  TcxCustomDataController* controller = DataController();
  const int group = controller->Groups()->GetDataGroupIndexByRowIndex(ARowIndex);
  if (group == -1) return false;
  ASummaryItems = GetGroupSummaryItems(controller->Groups()->GetLevel(group));
  ASummaryValues = GetGroupSummaryValues(group);
  return ASummaryItems != nullptr && ASummaryValues != nullptr && !ASummaryValues->empty();
}

String TcxDataSummary::GetGroupSummaryText(int ARowIndex) const {
  TcxDataGroupSummaryItems* items = nullptr;
  const TcxDataSummaryValues* values = nullptr;
  if (!GetGroupSummaryInfo(ARowIndex, items, values)) return String();
  return items->GetGroupText(*values);
}

String TcxDataSummary::GetGroupFooterSummaryText(int ARowIndex, int ALevel, int AIndex) {
  TcxDataControllerGroups* groups = DataController()->Groups();
  const int group = groups->GetIndexByRowIndexLevel(ARowIndex, ALevel);
  if (group == -1) return String();
  TcxDataGroupSummaryItems* items = GetGroupSummaryItems(groups->GetLevel(group));
  const TcxDataSummaryValues* values = GetGroupSummaryValues(group);
  if (items == nullptr || values == nullptr || !IsValidSummaryValuesIndex(*values, AIndex) ||
      AIndex >= items->Count())
    return String();
  return items->Items(AIndex)->FormatValue((*values)[static_cast<size_t>(AIndex)], true);
}

TcxDataSummaryItems* TcxDataSummary::GetPatternSummaryItems(TcxDataSummary* APatternSummary,
                                                            TcxDataSummaryItems* ASummaryItems) {
  if (ASummaryItems == FFooterSummaryItems.get()) return APatternSummary->FooterSummaryItems();
  if (ASummaryItems == FDefaultGroupSummaryItems.get()) return APatternSummary->DefaultGroupSummaryItems();
  for (int i = 0; i < FSummaryGroups->Count(); ++i)
    if (FSummaryGroups->Items(i)->SummaryItems() == ASummaryItems)
      return i < APatternSummary->SummaryGroups()->Count() ? APatternSummary->SummaryGroups()->Items(i)->SummaryItems()
                                                           : nullptr;
  return nullptr;
}

void TcxDataSummary::RemoveItemByField(TcxCustomDataField* AField) {
  if (AField == nullptr) return;
  BeginUpdate();
  bool changed = false;
  auto unlink = [&](TcxDataSummaryItems* AItems) {
    for (int i = 0; i < AItems->Count(); ++i)
      if (AItems->Items(i)->Field() == AField) {
        AItems->Items(i)->ForgetField();
        changed = true;
      }
  };
  unlink(FFooterSummaryItems.get());
  unlink(FDefaultGroupSummaryItems.get());
  for (int g = 0; g < FSummaryGroups->Count(); ++g) {
    TcxDataSummaryGroup* group = FSummaryGroups->Items(g);
    unlink(group->SummaryItems());
    if (!group->HasLinks()) continue;
    for (int i = 0; i < group->Links()->Count(); ++i)
      if (group->Links()->Items(i)->Field() == AField) {
        group->Links()->Items(i)->ForgetField();
        changed = true;
      }
  }
  if (changed)
    EndUpdate();
  else
    CancelUpdate();
}

}  // namespace data
