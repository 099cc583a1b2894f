#include "lib/data/cxFilter.h"

#include <algorithm>
#include <utility>

#include "lib/core/cxDateUtils.h"
#include "lib/data/cxDataStrs.h"
#include "lib/data/cxFilterLike.h"
#include "lib/data/cxVariants.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/except.h"
#include "platform/rtl/ustring.h"

namespace data {

bool cxFilterIncludeTodayInLastNextDaysList = true;

namespace {

String filterRes(const core::TcxResourceString& AText) { return core::cxGetResourceString(&AText); }

template <class T>
std::unique_ptr<TcxFilterOperator> MakeOperator(TcxFilterCriteriaItem* AItem) {
  return std::make_unique<T>(AItem);
}

template <TcxFilterOperatorKind Kind>
std::unique_ptr<TcxFilterOperator> MakeDateOperator(TcxFilterCriteriaItem* AItem) {
  return std::make_unique<TcxFilterDateOperator>(AItem, Kind);
}

using K = TcxFilterOperatorKind;

constexpr TcxFilterOperatorClass kOperatorClasses[cxFilterOperatorKindCount] = {
    MakeOperator<TcxFilterEqualOperator>,        MakeOperator<TcxFilterNotEqualOperator>,
    MakeOperator<TcxFilterLessOperator>,         MakeOperator<TcxFilterLessEqualOperator>,
    MakeOperator<TcxFilterGreaterOperator>,      MakeOperator<TcxFilterGreaterEqualOperator>,
    MakeOperator<TcxFilterLikeOperator>,         MakeOperator<TcxFilterNotLikeOperator>,
    MakeOperator<TcxFilterBetweenOperator>,      MakeOperator<TcxFilterNotBetweenOperator>,
    MakeOperator<TcxFilterInListOperator>,       MakeOperator<TcxFilterNotInListOperator>,
    MakeDateOperator<K::foYesterday>,            MakeDateOperator<K::foToday>,
    MakeDateOperator<K::foTomorrow>,             MakeDateOperator<K::foLast7Days>,
    MakeDateOperator<K::foLastWeek>,             MakeDateOperator<K::foLast14Days>,
    MakeDateOperator<K::foLastTwoWeeks>,         MakeDateOperator<K::foLast30Days>,
    MakeDateOperator<K::foLastMonth>,            MakeDateOperator<K::foLastYear>,
    MakeDateOperator<K::foInPast>,               MakeDateOperator<K::foThisWeek>,
    MakeDateOperator<K::foThisMonth>,            MakeDateOperator<K::foThisYear>,
    MakeDateOperator<K::foNext7Days>,            MakeDateOperator<K::foNextWeek>,
    MakeDateOperator<K::foNext14Days>,           MakeDateOperator<K::foNextTwoWeeks>,
    MakeDateOperator<K::foNext30Days>,           MakeDateOperator<K::foNextMonth>,
    MakeDateOperator<K::foNextYear>,             MakeDateOperator<K::foInFuture>,
};

// Display texts of the relative-date kinds, from foYesterday on.
constexpr const core::TcxResourceString* kDateTexts[] = {
    &cxSFilterOperatorYesterday, &cxSFilterOperatorToday,       &cxSFilterOperatorTomorrow,
    &cxSFilterOperatorLast7Days, &cxSFilterOperatorLastWeek,    &cxSFilterOperatorLast14Days,
    &cxSFilterOperatorLastTwoWeeks, &cxSFilterOperatorLast30Days, &cxSFilterOperatorLastMonth,
    &cxSFilterOperatorLastYear,  &cxSFilterOperatorPast,        &cxSFilterOperatorThisWeek,
    &cxSFilterOperatorThisMonth, &cxSFilterOperatorThisYear,    &cxSFilterOperatorNext7Days,
    &cxSFilterOperatorNextWeek,  &cxSFilterOperatorNext14Days,  &cxSFilterOperatorNextTwoWeeks,
    &cxSFilterOperatorNext30Days, &cxSFilterOperatorNextMonth,  &cxSFilterOperatorNextYear,
    &cxSFilterOperatorFuture,
};
static_assert(std::size(kDateTexts) == cxFilterOperatorKindCount - static_cast<int>(K::foYesterday));

TDateTime FirstOfMonth(int AYear, int AMonth) {
  while (AMonth > 12) {
    AMonth -= 12;
    ++AYear;
  }
  while (AMonth < 1) {
    AMonth += 12;
    --AYear;
  }
  return rtl::EncodeDate(rtl::Word(AYear), rtl::Word(AMonth), 1);
}

// The pattern class of a LIKE condition's value, wildcards of its criteria.
TcxFilterLikePattern PatternClass(TcxFilterOperator* AOperator) {
  TcxFilterCriteriaItem* item = AOperator->CriteriaItem();
  TcxFilterCriteria* criteria = AOperator->Criteria();
  if (item == nullptr || criteria == nullptr) return TcxFilterLikePattern::floLike;
  String pattern = rtl::VarToStr(item->Value());
  return LikeOperatorByPattern(pattern, criteria->PercentWildcard());
}

}  // namespace

TcxFilterOperatorClass cxFilterOperatorClass(TcxFilterOperatorKind AKind) {
  const int index = static_cast<int>(AKind);
  if (index < 0 || index >= cxFilterOperatorKindCount) throw rtl::ERangeError(u"Filter operator kind out of range");
  return kOperatorClasses[index];
}
TcxFilterOperatorClass cxFilterNullOperatorClass() { return MakeOperator<TcxFilterNullOperator>; }
TcxFilterOperatorClass cxFilterNotNullOperatorClass() { return MakeOperator<TcxFilterNotNullOperator>; }

bool cxGetFilterDateRange(TcxFilterOperatorKind AKind, TDateTime AToday, TDateTime& ADate1, TDateTime& ADate2) {
  const TDateTime T = AToday;
  const TDateTime S = core::dxGetStartDateOfWeek(T);
  rtl::Word y = 0, m = 0, d = 0;
  rtl::DecodeDate(T, y, m, d);
  const TDateTime includeToday = cxFilterIncludeTodayInLastNextDaysList ? 1 : 0;
  ADate1 = ADate2 = 0;
  switch (AKind) {
    case K::foYesterday: ADate1 = T - 1; ADate2 = T; break;
    case K::foToday: ADate1 = T; ADate2 = T + 1; break;
    case K::foTomorrow: ADate1 = T + 1; ADate2 = T + 2; break;
    case K::foLast7Days: ADate2 = T + includeToday; ADate1 = ADate2 - 7; break;
    case K::foLast14Days: ADate2 = T + includeToday; ADate1 = ADate2 - 14; break;
    case K::foLast30Days: ADate2 = T + includeToday; ADate1 = ADate2 - 30; break;
    case K::foLastWeek: ADate1 = S - 7; ADate2 = S; break;
    case K::foLastTwoWeeks: ADate1 = S - 14; ADate2 = S; break;
    case K::foLastMonth: ADate1 = FirstOfMonth(y, m - 1); ADate2 = FirstOfMonth(y, m); break;
    case K::foLastYear: ADate1 = FirstOfMonth(y - 1, 1); ADate2 = FirstOfMonth(y, 1); break;
    case K::foInPast: ADate2 = T; break;
    case K::foThisWeek: ADate1 = S; ADate2 = S + 7; break;
    case K::foThisMonth: ADate1 = FirstOfMonth(y, m); ADate2 = FirstOfMonth(y, m + 1); break;
    case K::foThisYear: ADate1 = FirstOfMonth(y, 1); ADate2 = FirstOfMonth(y + 1, 1); break;
    case K::foNext7Days: ADate1 = T + 1 - includeToday; ADate2 = ADate1 + 7; break;
    case K::foNext14Days: ADate1 = T + 1 - includeToday; ADate2 = ADate1 + 14; break;
    case K::foNext30Days: ADate1 = T + 1 - includeToday; ADate2 = ADate1 + 30; break;
    case K::foNextWeek: ADate1 = S + 7; ADate2 = S + 14; break;
    case K::foNextTwoWeeks: ADate1 = S + 7; ADate2 = S + 21; break;
    case K::foNextMonth: ADate1 = FirstOfMonth(y, m + 1); ADate2 = FirstOfMonth(y, m + 2); break;
    case K::foNextYear: ADate1 = FirstOfMonth(y + 1, 1); ADate2 = FirstOfMonth(y + 2, 1); break;
    case K::foInFuture: ADate1 = T + 1; break;
    default: return false;
  }
  return true;
}

// --- operators ---------------------------------------------------------------------------

TcxFilterCriteria* TcxFilterOperator::Criteria() const {
  return FCriteriaItem != nullptr ? FCriteriaItem->GetCriteria() : nullptr;
}

bool TcxFilterEqualOperator::CompareValues(const Variant& AValue, const Variant& APreparedValue) {
  return VarCompare(AValue, APreparedValue) == 0;
}
String TcxFilterEqualOperator::DisplayText() { return filterRes(cxSFilterOperatorEqual); }
bool TcxFilterNotEqualOperator::CompareValues(const Variant& AValue, const Variant& APreparedValue) {
  return !TcxFilterEqualOperator::CompareValues(AValue, APreparedValue);
}
String TcxFilterNotEqualOperator::DisplayText() { return filterRes(cxSFilterOperatorNotEqual); }

bool TcxFilterLessOperator::CompareValues(const Variant& AValue, const Variant& APreparedValue) {
  return VarCompare(AValue, APreparedValue) < 0;
}
String TcxFilterLessOperator::DisplayText() { return filterRes(cxSFilterOperatorLess); }
bool TcxFilterLessEqualOperator::CompareValues(const Variant& AValue, const Variant& APreparedValue) {
  return VarCompare(AValue, APreparedValue) <= 0;
}
String TcxFilterLessEqualOperator::DisplayText() { return filterRes(cxSFilterOperatorLessEqual); }
bool TcxFilterGreaterOperator::CompareValues(const Variant& AValue, const Variant& APreparedValue) {
  return VarCompare(AValue, APreparedValue) > 0;
}
String TcxFilterGreaterOperator::DisplayText() { return filterRes(cxSFilterOperatorGreater); }
bool TcxFilterGreaterEqualOperator::CompareValues(const Variant& AValue, const Variant& APreparedValue) {
  return VarCompare(AValue, APreparedValue) >= 0;
}
String TcxFilterGreaterEqualOperator::DisplayText() { return filterRes(cxSFilterOperatorGreaterEqual); }

bool TcxFilterLikeOperator::Matches(const Variant& AValue, const Variant& APreparedValue) {
  TcxFilterCriteria* criteria = Criteria();
  const char16_t percent = criteria != nullptr ? criteria->PercentWildcard() : u'%';
  const char16_t underline = criteria != nullptr ? criteria->UnderscoreWildcard() : u'_';
  const char16_t escape = criteria != nullptr ? criteria->EscapeWildcard() : 0;
  return LikeStr(rtl::VarToStr(AValue), rtl::VarToStr(APreparedValue), percent, underline, escape);
}
bool TcxFilterLikeOperator::CompareValues(const Variant& AValue, const Variant& APreparedValue) {
  return Matches(AValue, APreparedValue);
}
String TcxFilterLikeOperator::DisplayText() {
  switch (PatternClass(this)) {
    case TcxFilterLikePattern::floBeginsWith: return filterRes(cxSFilterOperatorBeginsWith);
    case TcxFilterLikePattern::floEndsWith: return filterRes(cxSFilterOperatorEndsWith);
    case TcxFilterLikePattern::floContains: return filterRes(cxSFilterOperatorContains);
    default: return filterRes(cxSFilterOperatorLike);
  }
}
bool TcxFilterNotLikeOperator::CompareValues(const Variant& AValue, const Variant& APreparedValue) {
  return !Matches(AValue, APreparedValue);
}
String TcxFilterNotLikeOperator::DisplayText() {
  switch (PatternClass(this)) {
    case TcxFilterLikePattern::floBeginsWith: return filterRes(cxSFilterOperatorDoesNotBeginWith);
    case TcxFilterLikePattern::floEndsWith: return filterRes(cxSFilterOperatorDoesNotEndWith);
    case TcxFilterLikePattern::floContains: return filterRes(cxSFilterOperatorDoesNotContain);
    default: return filterRes(cxSFilterOperatorNotLike);
  }
}

bool TcxFilterBetweenOperator::InRange(const Variant& AValue, const Variant& APreparedValue) {
  Variant low, high;
  {
    std::lock_guard<std::mutex> lock(FCriticalSection);
    low = APreparedValue[0];
    high = APreparedValue[1];
  }
  return VarCompare(low, AValue) <= 0 && VarCompare(AValue, high) <= 0;
}
bool TcxFilterBetweenOperator::CompareValues(const Variant& AValue, const Variant& APreparedValue) {
  return InRange(AValue, APreparedValue);
}
String TcxFilterBetweenOperator::DisplayText() { return filterRes(cxSFilterOperatorBetween); }
bool TcxFilterNotBetweenOperator::CompareValues(const Variant& AValue, const Variant& APreparedValue) {
  return !InRange(AValue, APreparedValue);
}
String TcxFilterNotBetweenOperator::DisplayText() { return filterRes(cxSFilterOperatorNotBetween); }

bool TcxFilterInListOperator::InList(const Variant& AValue, const Variant& APreparedValue) {
  std::lock_guard<std::mutex> lock(FCriticalSection);
  const int low = rtl::VarArrayLowBound(APreparedValue, 1);
  const int high = rtl::VarArrayHighBound(APreparedValue, 1);
  for (int i = low; i <= high; ++i)
    if (AValue == rtl::VarArrayGet(APreparedValue, i)) return true;
  return false;
}
bool TcxFilterInListOperator::CompareValues(const Variant& AValue, const Variant& APreparedValue) {
  return InList(AValue, APreparedValue);
}
String TcxFilterInListOperator::DisplayText() { return filterRes(cxSFilterOperatorInList); }
bool TcxFilterNotInListOperator::CompareValues(const Variant& AValue, const Variant& APreparedValue) {
  return !InList(AValue, APreparedValue);
}
String TcxFilterNotInListOperator::DisplayText() { return filterRes(cxSFilterOperatorNotInList); }

bool TcxFilterNullOperator::CompareValues(const Variant& AValue, const Variant&) {
  return FCriteriaItem->ValueIsNull(AValue);
}
String TcxFilterNullOperator::DisplayText() { return filterRes(cxSFilterOperatorIsNull); }
bool TcxFilterNotNullOperator::CompareValues(const Variant& AValue, const Variant&) {
  return !FCriteriaItem->ValueIsNull(AValue);
}
String TcxFilterNotNullOperator::DisplayText() { return filterRes(cxSFilterOperatorIsNotNull); }

TcxFilterDateOperator::TcxFilterDateOperator(TcxFilterCriteriaItem* ACriteriaItem, TcxFilterOperatorKind AKind)
    : TcxFilterOperator(ACriteriaItem), FKind(AKind) {}

void TcxFilterDateOperator::Prepare() { cxGetFilterDateRange(FKind, rtl::Date(), FDate1, FDate2); }

bool TcxFilterDateOperator::CompareValues(const Variant& AValue, const Variant&) {
  if (FCriteriaItem->ValueIsNull(AValue)) return false;
  if (FDate1 != 0 && VarCompare(rtl::VarFromDateTime(FDate1), AValue) > 0) return false;
  if (FDate2 != 0 && VarCompare(AValue, rtl::VarFromDateTime(FDate2)) >= 0) return false;
  return true;
}

String TcxFilterDateOperator::DisplayText() {
  return filterRes(*kDateTexts[static_cast<int>(FKind) - static_cast<int>(K::foYesterday)]);
}

// --- the tree ---------------------------------------------------------------------------

void TcxCustomFilterCriteriaItem::Changed() {
  if (TcxFilterCriteria* criteria = GetCriteria()) criteria->Changed();
}

TcxFilterCriteria* TcxCustomFilterCriteriaItem::GetCriteria() {
  return FParent != nullptr ? FParent->GetCriteria() : nullptr;
}

void TcxCustomFilterCriteriaItem::Free() {
  if (FParent != nullptr) {
    FParent->RemoveItem(this);
    return;
  }
  // A root or a detached item is owned by whoever holds it; Free on it is a
  // programming error the caller's owner would turn into a double free.
  throw rtl::EInvalidOperation(u"A filter item without a list is freed by its owner");
}

TcxFilterCriteriaItemList::TcxFilterCriteriaItemList(TcxFilterCriteriaItemList* AParent,
                                                     TcxFilterBoolOperatorKind ABoolOperatorKind)
    : TcxCustomFilterCriteriaItem(AParent), FBoolOperatorKind(ABoolOperatorKind) {}

TcxFilterCriteriaItemList::~TcxFilterCriteriaItemList() {
  // Last to first, as Clear does, without reporting each removal.
  while (!FItems.empty()) FItems.pop_back();
}

TcxFilterCriteria* TcxFilterCriteriaItemList::GetCriteria() {
  return FParent == nullptr ? FCriteria : FParent->GetCriteria();
}

bool TcxFilterCriteriaItemList::DoFilterData(rtl::Int64 ARecordIndex) {
  const bool negate =
      FBoolOperatorKind == TcxFilterBoolOperatorKind::fboNotAnd || FBoolOperatorKind == TcxFilterBoolOperatorKind::fboNotOr;
  const bool isAnd =
      FBoolOperatorKind == TcxFilterBoolOperatorKind::fboAnd || FBoolOperatorKind == TcxFilterBoolOperatorKind::fboNotAnd;
  bool result = true;
  for (const auto& child : FItems) {
    const bool childResult = child->DoFilterData(ARecordIndex);
    result = negate ? !childResult : childResult;
    // The walk stops at the child that decides: the first false one under
    // and, the first true one under or (before the inversion).
    if (isAnd != childResult) break;
  }
  return result;
}

TcxCustomFilterCriteriaItem* TcxFilterCriteriaItemList::Items(int AIndex) const {
  if (AIndex < 0 || AIndex >= Count()) return nullptr;
  return FItems[static_cast<std::size_t>(AIndex)].get();
}

TcxFilterCriteriaItem* TcxFilterCriteriaItemList::AddItem(rtl::TObject* AItemLink,
                                                         TcxFilterOperatorKind AOperatorKind,
                                                         const Variant& AValue, const String& ADisplayValue) {
  TcxFilterCriteria* criteria = GetCriteria();
  if (criteria == nullptr) throw rtl::EInvalidOperation(u"A filter list outside criteria cannot make conditions");
  std::unique_ptr<TcxFilterCriteriaItem> item =
      criteria->CreateItem(this, AItemLink, AOperatorKind, AValue, ADisplayValue);
  TcxFilterCriteriaItem* result = item.get();
  FItems.push_back(std::move(item));
  Changed();
  return result;
}

TcxFilterCriteriaItemList* TcxFilterCriteriaItemList::AddItemList(TcxFilterBoolOperatorKind ABoolOperatorKind) {
  auto list = std::make_unique<TcxFilterCriteriaItemList>(this, ABoolOperatorKind);
  TcxFilterCriteriaItemList* result = list.get();
  FItems.push_back(std::move(list));
  Changed();
  return result;
}

void TcxFilterCriteriaItemList::Clear() {
  TcxFilterCriteria* criteria = GetCriteria();
  if (criteria != nullptr) criteria->BeginUpdate();
  const bool hadItems = !FItems.empty();
  while (!FItems.empty()) FItems.pop_back();
  if (hadItems) Changed();
  if (criteria != nullptr) criteria->EndUpdate();
}

void TcxFilterCriteriaItemList::SetBoolOperatorKind(TcxFilterBoolOperatorKind AValue) {
  if (FBoolOperatorKind == AValue) return;
  FBoolOperatorKind = AValue;
  Changed();
}

namespace {
// Conditions that change their list may change their criteria: their tests
// are made again by the next Prepare.
void resetInPlaceTests(TcxCustomFilterCriteriaItem* AItem) {
  if (!AItem->GetIsItemList()) {
    static_cast<TcxFilterCriteriaItem*>(AItem)->ResetInPlaceTest();
    return;
  }
  auto* list = static_cast<TcxFilterCriteriaItemList*>(AItem);
  for (int i = 0; i < list->Count(); ++i) resetInPlaceTests(list->Items(i));
}
}  // namespace

std::unique_ptr<TcxCustomFilterCriteriaItem> TcxFilterCriteriaItemList::ExtractItem(
    TcxCustomFilterCriteriaItem* AItem) {
  auto it = std::find_if(FItems.begin(), FItems.end(), [AItem](const auto& p) { return p.get() == AItem; });
  if (it == FItems.end()) return nullptr;
  std::unique_ptr<TcxCustomFilterCriteriaItem> item = std::move(*it);
  FItems.erase(it);
  resetInPlaceTests(item.get());
  item->FParent = nullptr;
  Changed();
  return item;
}

void TcxFilterCriteriaItemList::AppendItem(std::unique_ptr<TcxCustomFilterCriteriaItem> AItem) {
  resetInPlaceTests(AItem.get());
  AItem->FParent = this;
  FItems.push_back(std::move(AItem));
  Changed();
}

void TcxFilterCriteriaItemList::RemoveItem(TcxCustomFilterCriteriaItem* AItem) { ExtractItem(AItem); }

TcxFilterCriteriaItem::TcxFilterCriteriaItem(TcxFilterCriteriaItemList* AParent, rtl::TObject* AItemLink,
                                             TcxFilterOperatorKind AOperatorKind, const Variant& AValue,
                                             const String& ADisplayValue)
    : TcxCustomFilterCriteriaItem(AParent),
      FDisplayValue(ADisplayValue),
      FItemLink(AItemLink),
      FOperatorKind(AOperatorKind) {
  SetValue(AValue);
  // An Empty value equals the initial one and made no operator yet.
  if (FOperator == nullptr) RecreateOperator();
  if (FOperator->IsNullOperator() && FDisplayValue.empty()) FDisplayValue = filterRes(cxSFilterBlankCaption);
}

TcxFilterCriteriaItem::~TcxFilterCriteriaItem() = default;

bool TcxFilterCriteriaItem::ValueIsNull(const Variant& AValue) {
  TcxFilterCriteria* criteria = GetCriteria();
  return criteria != nullptr ? criteria->ValueIsNull(AValue) : rtl::VarIsNull(AValue);
}

bool TcxFilterCriteriaItem::CompareByDisplayValue() {
  TcxFilterCriteria* criteria = GetCriteria();
  return criteria != nullptr && criteria->CompareByDisplayValues();
}

TcxFilterOperatorClass TcxFilterCriteriaItem::GetFilterOperatorClass() {
  switch (FOperatorKind) {
    case K::foEqual:
    case K::foLike:
      if (ValueIsNull(FValue)) return cxFilterNullOperatorClass();
      break;
    case K::foNotEqual:
    case K::foNotLike:
      if (ValueIsNull(FValue)) return cxFilterNotNullOperatorClass();
      break;
    default: break;
  }
  return cxFilterOperatorClass(FOperatorKind);
}

void TcxFilterCriteriaItem::RecreateOperator() {
  const bool existed = FOperator != nullptr;
  ResetInPlaceTest();
  FOperator.reset();
  FOperator = GetFilterOperatorClass()(this);
  if (existed) Changed();
}

void TcxFilterCriteriaItem::SetItemLink(rtl::TObject* AValue) {
  if (FItemLink == AValue) return;
  ResetInPlaceTest();
  FItemLink = AValue;
  Changed();
}

void TcxFilterCriteriaItem::SetOperatorKind(TcxFilterOperatorKind AValue) {
  if (FOperatorKind == AValue) return;
  FOperatorKind = AValue;
  RecreateOperator();
}

void TcxFilterCriteriaItem::SetValue(const Variant& AValue) {
  if (VarCompare(FValue, AValue) == 0) return;
  ResetInPlaceTest();
  FValue = AValue;
  TcxFilterCriteria* criteria = GetCriteria();
  FPreparedValue = criteria != nullptr ? criteria->PrepareValue(FValue) : FValue;
  RecreateOperator();
}

void TcxFilterCriteriaItem::SetDisplayValue(const String& AValue) {
  if (FDisplayValue == AValue) return;
  FDisplayValue = AValue;
  Changed();
}

String TcxFilterCriteriaItem::GetDisplayValue() {
  String result = FDisplayValue;
  if (FOperator != nullptr) FOperator->PrepareDisplayValue(result);
  return result;
}

void TcxFilterCriteriaItem::Prepare() {
  TcxFilterCriteria* criteria = GetCriteria();
  FPreparedValue = criteria != nullptr ? criteria->PrepareValue(FValue) : FValue;
  FOperator->Prepare();
  MakeInPlaceTest();
}

bool TcxFilterCriteriaItem::Compare(rtl::Int64 ARecordIndex) {
  TcxFilterCriteria* criteria = nullptr;
  try {
    if (FInPlaceTest != nullptr) {
      const int result = TestInPlace(ARecordIndex);
      if (result >= 0) return result != 0;
    }
    criteria = GetCriteria();
    Variant value = GetDataValue(ARecordIndex);
    if (criteria != nullptr) value = criteria->PrepareValue(value);
    if (criteria != nullptr && criteria->Options().contains(TcxFilterCriteriaOption::fcoIgnoreNull) &&
        !FOperator->IsNullOperator() && ValueIsNull(value))
      return false;
    return FOperator->CompareValues(value, FPreparedValue);
  } catch (const rtl::EVariantError&) {
    criteria = GetCriteria();
    if (criteria != nullptr && criteria->Options().contains(TcxFilterCriteriaOption::fcoSoftCompare)) return false;
    throw;
  }
}

bool TcxFilterCriteriaItem::DoFilterData(rtl::Int64 ARecordIndex) { return Compare(ARecordIndex); }

// --- criteria -----------------------------------------------------------------------------

TcxFilterCriteria::TcxFilterCriteria()
    : FRoot(std::make_unique<TcxFilterCriteriaItemList>(nullptr, TcxFilterBoolOperatorKind::fboAnd)) {
  FRoot->FCriteria = this;
}

TcxFilterCriteria::~TcxFilterCriteria() {
  // Conditions reach back for the criteria while they go; nothing reports.
  FLockCount = 1;
  FRoot.reset();
}

void TcxFilterCriteria::EndUpdate() {
  --FLockCount;
  CheckChanges();
}

void TcxFilterCriteria::Changed() {
  FChanged = true;
  CheckChanges();
}

void TcxFilterCriteria::CheckChanges() {
  if (!FChanged || FLockCount != 0) return;
  FChanged = false;
  Prepare();
  Update();
}

void TcxFilterCriteria::Update() {
  if (FOnChanged) FOnChanged(this);
}

String TcxFilterCriteria::ConvertBoolToStr(const Variant& AValue) { return rtl::VarToStr(AValue); }

String TcxFilterCriteria::ConvertDateToStr(const Variant& AValue) {
  if (FDateTimeFormat.empty()) return rtl::VarToStr(AValue);
  return rtl::FormatDateTime(FDateTimeFormat, AValue.AsDateTime());
}

void TcxFilterCriteria::PrepareList(TcxFilterCriteriaItemList* AList) {
  for (int i = 0; i < AList->Count(); ++i) {
    TcxCustomFilterCriteriaItem* item = AList->Items(i);
    if (item->GetIsItemList())
      PrepareList(static_cast<TcxFilterCriteriaItemList*>(item));
    else
      static_cast<TcxFilterCriteriaItem*>(item)->Prepare();
  }
}

void TcxFilterCriteria::Prepare() { PrepareList(FRoot.get()); }

String TcxFilterCriteria::PrepareDisplayText(const String& AText) {
  return FOptions.contains(TcxFilterCriteriaOption::fcoCaseInsensitive) ? rtl::AnsiUpperCase(AText) : AText;
}

Variant TcxFilterCriteria::PrepareValue(const Variant& AValue) {
  if (rtl::VarIsArray(AValue)) {
    std::lock_guard<std::recursive_mutex> lock(FCriticalSection);
    const int low = rtl::VarArrayLowBound(AValue, 1);
    const int high = rtl::VarArrayHighBound(AValue, 1);
    Variant result = AValue;
    for (int i = low; i <= high; ++i) rtl::VarArrayPut(result, PrepareValue(rtl::VarArrayGet(AValue, i)), i);
    return result;
  }
  if (VarTypeIsCurrency(rtl::VarType(AValue))) return Variant(AValue.AsDouble());
  if (rtl::VarIsStr(AValue) && FOptions.contains(TcxFilterCriteriaOption::fcoCaseInsensitive))
    return Variant(rtl::AnsiUpperCase(AValue.AsString()));
  return AValue;
}

bool TcxFilterCriteria::ValueIsNull(const Variant& AValue) {
  return FOptions.contains(TcxFilterCriteriaOption::fcoSoftNull) ? VarIsSoftNull(AValue) : rtl::VarIsNull(AValue);
}

bool TcxFilterCriteria::IsEmpty() { return FRoot->IsEmpty(); }

void TcxFilterCriteria::Clear() {
  BeginUpdate();
  FRoot->Clear();
  FRoot->SetBoolOperatorKind(TcxFilterBoolOperatorKind::fboAnd);
  EndUpdate();
}

bool TcxFilterCriteria::DoFilterData(rtl::Int64 ARecordIndex) { return FRoot->DoFilterData(ARecordIndex); }

TcxFilterCriteriaItem* TcxFilterCriteria::AddItem(TcxFilterCriteriaItemList* AParent, rtl::TObject* AItemLink,
                                                  TcxFilterOperatorKind AOperatorKind, const Variant& AValue,
                                                  const String& ADisplayValue) {
  return (AParent != nullptr ? AParent : FRoot.get())->AddItem(AItemLink, AOperatorKind, AValue, ADisplayValue);
}

namespace {
TcxFilterCriteriaItem* FindIn(TcxFilterCriteriaItemList* AList, rtl::TObject* AItemLink) {
  for (int i = 0; i < AList->Count(); ++i) {
    TcxCustomFilterCriteriaItem* item = AList->Items(i);
    if (item->GetIsItemList()) {
      if (TcxFilterCriteriaItem* found = FindIn(static_cast<TcxFilterCriteriaItemList*>(item), AItemLink))
        return found;
    } else if (static_cast<TcxFilterCriteriaItem*>(item)->ItemLink() == AItemLink) {
      return static_cast<TcxFilterCriteriaItem*>(item);
    }
  }
  return nullptr;
}

bool ListSupportsMultiThreading(TcxFilterCriteriaItemList* AList) {
  for (int i = 0; i < AList->Count(); ++i) {
    TcxCustomFilterCriteriaItem* item = AList->Items(i);
    const bool supports = item->GetIsItemList()
                              ? ListSupportsMultiThreading(static_cast<TcxFilterCriteriaItemList*>(item))
                              : static_cast<TcxFilterCriteriaItem*>(item)->SupportsMultiThreading();
    if (!supports) return false;
  }
  return true;
}
}  // namespace

TcxFilterCriteriaItem* TcxFilterCriteria::FindItemByItemLink(rtl::TObject* AItemLink) {
  return FindIn(FRoot.get(), AItemLink);
}

bool TcxFilterCriteria::SupportsMultiThreading() { return ListSupportsMultiThreading(FRoot.get()); }

void TcxFilterCriteria::TidyList(TcxFilterCriteriaItemList* AList) {
  while (AList != nullptr && AList != FRoot.get()) {
    TcxFilterCriteriaItemList* parent = AList->Parent();
    if (AList->Count() == 0) {
      parent->RemoveItem(AList);
      AList = parent;
      continue;
    }
    if (AList->Count() == 1) {
      std::unique_ptr<TcxCustomFilterCriteriaItem> child = AList->ExtractItem(AList->Items(0));
      parent->AppendItem(std::move(child));
      parent->RemoveItem(AList);
    }
    return;
  }
}

void TcxFilterCriteria::RemoveItemByItemLink(rtl::TObject* AItemLink) {
  BeginUpdate();
  bool removed = false;
  while (TcxFilterCriteriaItem* item = FindItemByItemLink(AItemLink)) {
    TcxFilterCriteriaItemList* list = item->Parent();
    list->RemoveItem(item);
    TidyList(list);
    removed = true;
  }
  if (removed)
    EndUpdate();
  else
    CancelUpdate();
}

void TcxFilterCriteria::SetDateTimeFormat(const String& AValue) {
  if (FDateTimeFormat == AValue) return;
  FDateTimeFormat = AValue;
  Changed();
}

void TcxFilterCriteria::SetOptions(TcxFilterCriteriaOptions AValue) {
  if (FOptions == AValue) return;
  FOptions = AValue;
  Changed();
}

void TcxFilterCriteria::SetPercentWildcard(char16_t AValue) {
  if (FPercentWildcard == AValue) return;
  FPercentWildcard = AValue;
  Changed();
}

void TcxFilterCriteria::SetUnderscoreWildcard(char16_t AValue) {
  if (FUnderscoreWildcard == AValue) return;
  FUnderscoreWildcard = AValue;
  Changed();
}

void TcxFilterCriteria::RestoreDefaults() {
  BeginUpdate();
  SetOptions({});
  SetPercentWildcard(u'%');
  SetUnderscoreWildcard(u'_');
  FSupportedLike = true;
  FTranslateBetween = FTranslateLike = FTranslateIn = false;
  EndUpdate();
}

void TcxFilterCriteria::AssignEvents(rtl::TPersistent* ASource) {
  if (auto* source = dynamic_cast<TcxFilterCriteria*>(ASource)) FOnChanged = source->FOnChanged;
}

void TcxFilterCriteria::Assign(rtl::TPersistent* ASource) {
  auto* source = dynamic_cast<TcxFilterCriteria*>(ASource);
  if (source == nullptr) {
    rtl::TPersistent::Assign(ASource);
    return;
  }
  if (source == this) return;
  BeginUpdate();
  SetDateTimeFormat(source->FDateTimeFormat);
  FMaxValueListCount = source->FMaxValueListCount;
  SetOptions(source->FOptions);
  SetPercentWildcard(source->FPercentWildcard);
  FTranslateBetween = source->FTranslateBetween;
  FTranslateLike = source->FTranslateLike;
  FTranslateIn = source->FTranslateIn;
  FSupportedLike = source->FSupportedLike;
  SetUnderscoreWildcard(source->FUnderscoreWildcard);
  AssignItems(source, false);
  AssignEvents(source);
  EndUpdate();
}

}  // namespace data
