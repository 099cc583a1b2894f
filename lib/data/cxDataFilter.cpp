// The controller's filter criteria, filter value lists and the controller's
// filter hooks.
#include "lib/data/cxDataFilter.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <deque>
#include <numeric>

#include "lib/data/cxCustomData.h"
#include "lib/data/cxDataStorage.h"
#include "lib/data/cxDataStrs.h"
#include "lib/data/cxVariants.h"
#include "lib/data/data_brackets.h"
#include "platform/rtl/filer.h"
#include "platform/rtl/ustring.h"

namespace data {

namespace {
using Kind = TcxFilterValueItemKind;
String Res(const core::TcxResourceString& AText) { return core::cxGetResourceString(&AText); }
using CriteriaUpdate =
    BracketScope<TcxFilterCriteria, &TcxFilterCriteria::BeginUpdate, &TcxFilterCriteria::EndUpdate>;
}  // namespace

void TcxDataFilterDeleter::operator()(TcxDataFilterCriteria* AObject) const { delete AObject; }
void TcxDataFilterDeleter::operator()(TcxDataFindFilterCriteria* AObject) const { delete AObject; }
void TcxDataFilterDeleter::operator()(TcxDataFilterList* AObject) const { delete AObject; }

// --- value items -------------------------------------------------------------------------------

TcxFilterValueItem::TcxFilterValueItem(TcxFilterValueList* AOwner, TcxFilterValueItemKind AKind,
                                       const Variant& AValue, const String& ADisplayText)
    : FPreparedDisplayText(AOwner->Criteria()->PrepareDisplayText(ADisplayText)),
      FPreparedValue(AOwner->Criteria()->PrepareValue(AValue)),
      FDisplayText(ADisplayText),
      FKind(AKind),
      FOwner(AOwner),
      FValue(AValue) {}

// --- value lists --------------------------------------------------------------------------------

TcxFilterValueList::TcxFilterValueList(TcxFilterCriteria* ACriteria) : FCriteria(ACriteria) {}
TcxFilterValueList::~TcxFilterValueList() = default;

int TcxFilterValueList::MaxCount() const { return FCriteria->MaxValueListCount(); }

int TcxFilterValueList::StartValueIndex() const {
  // Values come last, so the walk only passes the few entries before them.
  for (int i = 0; i < Count(); ++i)
    if (FItems[static_cast<size_t>(i)]->Kind() == Kind::fviValue) return i;
  return Count();
}

int TcxFilterValueList::GetMRUSeparatorIndex() const {
  int i = 0;
  while (i < Count() && FItems[static_cast<size_t>(i)]->Kind() == Kind::fviMRU) ++i;
  return i < Count() && FItems[static_cast<size_t>(i)]->Kind() == Kind::fviMRUSeparator ? i : -1;
}

int TcxFilterValueList::comparePrepared(const TcxFilterValueItem& AItem, const Variant& AValue,
                                        const String& ADisplayText) const {
  if (FSortByDisplayText) {
    const int result = rtl::AnsiCompareStr(AItem.PreparedDisplayText(), ADisplayText);
    if (result != 0) return result;
  }
  return VarCompare(AItem.PreparedValue(), AValue);
}

int TcxFilterValueList::CompareItem(int AIndex, const Variant& AValue, const String& ADisplayText) {
  return comparePrepared(*Items(AIndex), AValue, ADisplayText);
}

void TcxFilterValueList::insertItem(int AIndex, TcxFilterValueItemKind AKind, const Variant& AValue,
                                    const String& ADisplayText) {
  FItems.insert(FItems.begin() + AIndex, std::make_unique<TcxFilterValueItem>(this, AKind, AValue, ADisplayText));
}

void TcxFilterValueList::Add(TcxFilterValueItemKind AKind, const Variant& AValue, const String& ADisplayText,
                             bool ANoSorting) {
  switch (AKind) {
    case Kind::fviMRU: {
      int separator = GetMRUSeparatorIndex();
      if (separator < 0) {
        insertItem(0, Kind::fviMRUSeparator, rtl::Null(), String());
        separator = 0;
      }
      insertItem(separator, AKind, AValue, ADisplayText);
      return;
    }
    case Kind::fviValue: {
      if (ANoSorting) {
        insertItem(Count(), AKind, AValue, ADisplayText);
        FIsUnsortedValues = true;
        return;
      }
      if (MaxCount() != 0 && Count() >= MaxCount()) return;
      int index = 0;
      if (!Find(AValue, ADisplayText, index)) insertItem(index, AKind, AValue, ADisplayText);
      return;
    }
    default: insertItem(StartValueIndex(), AKind, AValue, ADisplayText);
  }
}

TcxFilterValueList::TPreparedValue TcxFilterValueList::prepareOffered(const TcxFilterValueEntry& AEntry) const {
  Variant value = FCriteria->PrepareValue(AEntry.Value);
  const rtl::TVarType type = rtl::VarType(value);
  const bool isStr = type == rtl::varUString || type == rtl::varOleStr;
  String str = isStr ? rtl::VarToStr(value) : String();
  return {std::move(value), FCriteria->PrepareDisplayText(AEntry.DisplayText), std::move(str), isStr};
}

int TcxFilterValueList::compareOffered(const TPreparedValue& A, const TPreparedValue& B) const {
  if (FSortByDisplayText) {
    const int result = rtl::AnsiCompareStr(A.Text, B.Text);
    if (result != 0) return result;
  }
  if (A.IsStr && B.IsStr) {
    const int result = rtl::CompareStr(A.Str, B.Str);
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
  }
  return VarCompare(A.Value, B.Value);
}

void TcxFilterValueList::AddValues(std::vector<TcxFilterValueEntry> AValues) {
  std::vector<TPreparedValue> prepared;
  prepared.reserve(AValues.size());
  for (const TcxFilterValueEntry& entry : AValues) prepared.push_back(prepareOffered(entry));
  // Positions are sorted, not the entries, so that the sort moves no texts.
  // Equal values keep input order, so the first of each run is the one a
  // series of single Adds would have kept.
  std::vector<size_t> order(prepared.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return compareOffered(prepared[a], prepared[b]) < 0; });
  std::vector<size_t> distinct;  // input positions, in value order
  for (const size_t i : order)
    if (distinct.empty() || compareOffered(prepared[distinct.back()], prepared[i]) != 0) distinct.push_back(i);
  std::vector<size_t> offeredAt(AValues.size());  // input positions are the offer order
  std::iota(offeredAt.begin(), offeredAt.end(), size_t{0});
  addDistinct(AValues, prepared, std::move(distinct), offeredAt);
}

void TcxFilterValueList::AddSortedDistinctValues(std::vector<TcxFilterValueEntry> AValues,
                                                 const std::vector<size_t>& AOfferedAt) {
  std::vector<TPreparedValue> prepared;
  prepared.reserve(AValues.size());
  for (const TcxFilterValueEntry& entry : AValues) prepared.push_back(prepareOffered(entry));
  std::vector<size_t> all(AValues.size());
  for (size_t i = 0; i < all.size(); ++i) all[i] = i;
  addDistinct(AValues, prepared, std::move(all), AOfferedAt);
}

void TcxFilterValueList::addDistinct(const std::vector<TcxFilterValueEntry>& AValues,
                                     const std::vector<TPreparedValue>& APrepared, std::vector<size_t> ADistinct,
                                     const std::vector<size_t>& ARank) {
  std::vector<size_t> distinct;
  distinct.reserve(ADistinct.size());
  for (const size_t i : ADistinct) {
    const TPreparedValue& p = APrepared[i];
    int index = 0;
    if (FindValueIndex(p.Value, p.Text, index) || findMRU(p.Value, p.Text)) continue;
    distinct.push_back(i);
  }
  // A full list keeps the values that came first.
  if (MaxCount() != 0) {
    const size_t room = Count() >= MaxCount() ? 0 : static_cast<size_t>(MaxCount() - Count());
    if (distinct.size() > room) {
      std::vector<size_t> first;
      if (room > 0) {
        std::vector<size_t> byOrder;
        byOrder.reserve(distinct.size());
        for (const size_t i : distinct) byOrder.push_back(ARank[i]);
        std::nth_element(byOrder.begin(), byOrder.begin() + static_cast<std::ptrdiff_t>(room - 1), byOrder.end());
        const size_t limit = byOrder[room - 1];
        for (const size_t i : distinct)
          if (ARank[i] <= limit) first.push_back(i);
      }
      distinct = std::move(first);
    }
  }
  if (distinct.empty()) return;
  // Merge the new entries (sorted) into the sorted value entries.
  const int start = StartValueIndex();
  std::vector<std::unique_ptr<TcxFilterValueItem>> values;
  values.reserve(static_cast<size_t>(Count() - start) + distinct.size());
  auto old = FItems.begin() + start;
  for (const size_t i : distinct) {
    const TPreparedValue& p = APrepared[i];
    while (old != FItems.end() && comparePrepared(**old, p.Value, p.Text) < 0) values.push_back(std::move(*old++));
    const TcxFilterValueEntry& entry = AValues[i];
    values.push_back(std::make_unique<TcxFilterValueItem>(this, Kind::fviValue, entry.Value, entry.DisplayText));
  }
  while (old != FItems.end()) values.push_back(std::move(*old++));
  FItems.resize(static_cast<size_t>(start));
  for (auto& v : values) FItems.push_back(std::move(v));
}

bool TcxFilterValueList::findMRU(const Variant& APreparedValue, const String& APreparedText) {
  for (int i = 0; i < Count() && Items(i)->Kind() == Kind::fviMRU; ++i)
    if (CompareItem(i, APreparedValue, APreparedText) == 0) return true;
  return false;
}

void TcxFilterValueList::Clear() {
  FItems.clear();
  FIsUnsortedValues = false;
}

void TcxFilterValueList::Delete(int AIndex) {
  if (AIndex < 0 || AIndex >= Count()) return;
  FItems.erase(FItems.begin() + AIndex);
}

bool TcxFilterValueList::Find(const Variant& AValue, const String& ADisplayText, int& AIndex) {
  const Variant value = FCriteria->PrepareValue(AValue);
  const String text = FCriteria->PrepareDisplayText(ADisplayText);
  for (int i = 0; i < Count() && Items(i)->Kind() == Kind::fviMRU; ++i)
    if (CompareItem(i, value, text) == 0) {
      AIndex = i;
      return true;
    }
  return FindValueIndex(value, text, AIndex);
}

bool TcxFilterValueList::FindValueIndex(const Variant& AValue, const String& ADisplayText, int& AIndex) {
  int low = StartValueIndex();
  int high = Count() - 1;
  bool found = false;
  while (low <= high) {
    const int middle = low + (high - low) / 2;
    const int result = CompareItem(middle, AValue, ADisplayText);
    if (result < 0) {
      low = middle + 1;
    } else {
      high = middle - 1;
      if (result == 0) found = true;
    }
  }
  AIndex = low;
  if (found || !FIsUnsortedValues) return found;
  for (int i = StartValueIndex(); i < Count(); ++i)
    if (CompareItem(i, AValue, ADisplayText) == 0) {
      AIndex = i;
      return true;
    }
  return false;
}

int TcxFilterValueList::FindItemByKind(TcxFilterValueItemKind AKind) {
  return FindItemByKind(AKind, rtl::Null());
}

int TcxFilterValueList::FindItemByKind(TcxFilterValueItemKind AKind, const Variant& AValue) {
  for (int i = 0; i < Count(); ++i)
    if (Items(i)->Kind() == AKind && (rtl::VarIsNull(AValue) || VarEquals(Items(i)->Value(), AValue))) return i;
  return -1;
}

int TcxFilterValueList::FindItemByValue(const Variant& AValue) {
  const bool saved = FSortByDisplayText;
  FSortByDisplayText = false;
  int index = -1;
  const bool found = FindValueIndex(FCriteria->PrepareValue(AValue), String(), index);
  FSortByDisplayText = saved;
  return found ? index : -1;
}

int TcxFilterValueList::GetIndexByCriteriaItem(TcxFilterCriteriaItem* ACriteriaItem) {
  if (ACriteriaItem == nullptr) return FindItemByKind(Kind::fviAll);
  const TcxFilterOperatorKind kind = ACriteriaItem->OperatorKind();
  if (ACriteriaItem->ValueIsNull(ACriteriaItem->Value())) {
    if (kind == TcxFilterOperatorKind::foEqual) return FindItemByKind(Kind::fviBlanks);
    if (kind == TcxFilterOperatorKind::foNotEqual) return FindItemByKind(Kind::fviNonBlanks);
  }
  int index = -1;
  if (kind == TcxFilterOperatorKind::foEqual && Find(ACriteriaItem->Value(), ACriteriaItem->DisplayValue(), index))
    return index;
  return FindItemByKind(Kind::fviCustom);
}

// --- the controller's value list ------------------------------------------------------------

TcxDataFilterValueList::TcxDataFilterValueList(TcxDataFilterCriteria* ACriteria) : TcxFilterValueList(ACriteria) {}

TcxDataFilterCriteria* TcxDataFilterValueList::DataCriteria() const {
  return static_cast<TcxDataFilterCriteria*>(FCriteria);
}

void TcxDataFilterValueList::Load(int AItemIndex, bool AInitSortByDisplayText, bool AUseFilteredValues,
                                  bool AAddValueItems) {
  TcxDataFilterCriteria* criteria = DataCriteria();
  TcxCustomDataController* controller = criteria->DataController();
  Clear();
  if (AInitSortByDisplayText) SetSortByDisplayText(controller->IsFilterItemSortByDisplayText(AItemIndex));
  Add(Kind::fviAll, rtl::Null(), Res(cxSFilterBoxAllCaption));
  Add(Kind::fviCustom, rtl::Null(), Res(cxSFilterBoxCustomCaption));
  bool nullExists = false;
  if (controller->IsGridMode())
    nullExists = true;
  else if (AAddValueItems)
    controller->PopulateFilterValues(this, AItemIndex, criteria, AUseFilteredValues, nullExists);
  if (nullExists) Add(Kind::fviBlanks, rtl::Null(), Res(cxSFilterBoxBlanksCaption));
  bool nonBlanks = nullExists;
  if (!nonBlanks && AUseFilteredValues) {
    TcxFilterCriteriaItem* condition = criteria->FindItemByItemLink(controller->GetItemField(AItemIndex));
    nonBlanks = condition != nullptr && dynamic_cast<TcxFilterNotNullOperator*>(condition->Operator()) != nullptr;
  }
  if (nonBlanks) Add(Kind::fviNonBlanks, rtl::Null(), Res(cxSFilterBoxNonBlanksCaption));
  if (criteria->OnGetValueList()) criteria->OnGetValueList()(criteria, AItemIndex, this);
}

// --- conditions ---------------------------------------------------------------------------------

TcxCustomDataField* TcxDataFilterCriteriaItem::Field() const { return dynamic_cast<TcxCustomDataField*>(FItemLink); }

TcxCustomDataController* TcxDataFilterCriteriaItem::DataController() {
  auto* criteria = static_cast<TcxDataFilterCriteria*>(GetCriteria());
  return criteria != nullptr ? criteria->DataController() : nullptr;
}

Variant TcxDataFilterCriteriaItem::GetDataValue(rtl::Int64 ARecordIndex) {
  TcxCustomDataField* field = Field();
  TcxCustomDataController* controller = DataController();
  if (field == nullptr || controller == nullptr) return rtl::Null();
  const int record = static_cast<int>(ARecordIndex);
  if (CompareByDisplayValue()) return Variant(controller->GetDisplayText(record, field->GetIndex()));
  return controller->GetFilterDataValue(record, field);
}

String TcxDataFilterCriteriaItem::GetFieldCaption() {
  TcxCustomDataField* field = Field();
  TcxCustomDataController* controller = DataController();
  return field != nullptr && controller != nullptr ? controller->GetFilterItemFieldCaption(field->Item()) : String();
}

String TcxDataFilterCriteriaItem::GetFieldName() {
  TcxCustomDataField* field = Field();
  TcxCustomDataController* controller = DataController();
  return field != nullptr && controller != nullptr ? controller->GetFilterItemFieldName(field->Item()) : String();
}

rtl::TObject* TcxDataFilterCriteriaItem::GetItemLink() {
  TcxCustomDataField* field = Field();
  return field != nullptr ? field->Item() : nullptr;
}

void TcxDataFilterCriteriaItem::SetItemLink(rtl::TObject* AValue) {
  auto* criteria = static_cast<TcxDataFilterCriteria*>(GetCriteria());
  TcxFilterCriteriaItem::SetItemLink(criteria != nullptr ? criteria->FieldOfLink(AValue) : AValue);
}

bool TcxDataFilterCriteriaItem::SupportsMultiThreading() {
  TcxCustomDataField* field = Field();
  if (field == nullptr) return true;
  TcxCustomDataController* controller = DataController();
  return field->SupportsMultiThreading() && controller != nullptr &&
         !controller->IsConversionNeededForCompare(field);
}

namespace {
// The text of a String or WideString slot, as its variant would read it:
// an empty reference is Null.
bool readStoredText(TcxPreparedValue APrepared, TcxFilterInPlaceValue& AValue) {
  const String* text = TcxStringValueType::StringOf(APrepared);
  AValue.kind = text != nullptr ? TcxFilterInPlaceValue::Kind::Text : TcxFilterInPlaceValue::Kind::Null;
  if (text != nullptr) AValue.text = *text;
  return true;
}

template <class T>
T readStoredSlot(TcxPreparedValue APrepared) {
  T value;
  std::memcpy(&value, APrepared, sizeof value);
  return value;
}

// A non-null slot of the built-in types that compare without conversion,
// as the type's variant would carry it after the criteria's preparation
// (currency as a double).
bool readStoredValue(TcxValueTypeClass AType, TcxPreparedValue APrepared, TcxFilterInPlaceValue& AValue) {
  using K = TcxFilterInPlaceValue::Kind;
  if (AType == TcxStringValueType::Instance() || AType == TcxWideStringValueType::Instance())
    return readStoredText(APrepared, AValue);
  AValue.kind = K::Integer;
  if (AType == TcxIntegerValueType::Instance()) {
    AValue.integer = readStoredSlot<std::int32_t>(APrepared);
  } else if (AType == TcxSmallintValueType::Instance()) {
    AValue.integer = readStoredSlot<std::int16_t>(APrepared);
  } else if (AType == TcxWordValueType::Instance()) {
    AValue.integer = readStoredSlot<std::uint16_t>(APrepared);
  } else if (AType == TcxLargeIntValueType::Instance()) {
    AValue.integer = readStoredSlot<std::int64_t>(APrepared);
  } else if (AType == TcxBooleanValueType::Instance()) {
    AValue.kind = K::Boolean;
    AValue.boolean = *static_cast<const rtl::Byte*>(APrepared) != 0;
  } else if (AType == TcxFloatValueType::Instance() || AType == TcxDateTimeValueType::Instance()) {
    AValue.kind = K::Real;
    AValue.real = readStoredSlot<double>(APrepared);
  } else if (AType == TcxSingleValueType::Instance()) {
    AValue.kind = K::Real;
    AValue.real = readStoredSlot<float>(APrepared);
  } else if (AType == TcxCurrencyValueType::Instance()) {
    AValue.kind = K::Real;
    AValue.real = static_cast<double>(readStoredSlot<std::int64_t>(APrepared)) / 10000.0;
  } else {
    return false;
  }
  return true;
}
}  // namespace

bool TcxDataFilterCriteriaItem::PrepareDataValueInPlace() {
  FInPlaceField = Field();
  FInPlaceController = DataController();
  FInPlaceByDisplay = CompareByDisplayValue();
  return FInPlaceField != nullptr && FInPlaceController != nullptr;
}

bool TcxDataFilterCriteriaItem::GetDataValueInPlace(rtl::Int64 ARecordIndex, TcxFilterInPlaceValue& AValue,
                                                    String& AScratch) {
  TcxCustomDataField* field = FInPlaceField;
  TcxCustomDataController* controller = FInPlaceController;
  if (!controller->CanReadFilterValuesInPlace(field)) return false;
  const int record = static_cast<int>(ARecordIndex);
  const TcxDataStorage* storage = controller->DataStorage();
  TcxValueDef* def = field->GetValueDef();
  const TcxValueTypeClass type = def->ValueTypeClass();
  TcxPreparedValue prepared = nullptr;
  if (FInPlaceByDisplay) {
    // A text field without display texts shows its value; other display
    // texts (and records the controller would refuse) are asked for.
    if ((type == TcxStringValueType::Instance() || type == TcxWideStringValueType::Instance()) &&
        !def->GetTextStored() && !field->IsInternal() && record >= 0 && record < storage->RecordCount()) {
      if (storage->GetCompareInfo(record, def, prepared)) {
        AValue.kind = TcxFilterInPlaceValue::Kind::Text;
        AValue.text = rtl::StringView();
        return true;
      }
      readStoredText(prepared, AValue);
      AValue.kind = TcxFilterInPlaceValue::Kind::Text;  // an empty reference shows as the empty text
      return true;
    }
    AScratch = controller->GetDisplayText(record, field->GetIndex());
    AValue.kind = TcxFilterInPlaceValue::Kind::Text;
    AValue.text = AScratch;
    return true;
  }
  if (storage->GetCompareInfo(record, def, prepared)) {
    AValue.kind = TcxFilterInPlaceValue::Kind::Null;
    return true;
  }
  return readStoredValue(type, prepared, AValue);
}

// --- criteria ---------------------------------------------------------------------------------

TcxDataFilterCriteria::TcxDataFilterCriteria(TcxCustomDataController* ADataController)
    : FDataController(ADataController) {
  FVersion = cxDataFilterVersion;
}

TcxDataFilterCriteria::~TcxDataFilterCriteria() {
  FDestroying = true;
  FDataController->RemoveFilter(this);
  // Switching off reports nothing while destroying, so it is done directly.
  FActive = false;
}

std::unique_ptr<TcxFilterCriteriaItem> TcxDataFilterCriteria::CreateItem(TcxFilterCriteriaItemList* AParent,
                                                                         rtl::TObject* AItemLink,
                                                                         TcxFilterOperatorKind AOperatorKind,
                                                                         const Variant& AValue,
                                                                         const String& ADisplayValue) {
  return std::make_unique<TcxDataFilterCriteriaItem>(AParent, FieldOfLink(AItemLink), AOperatorKind, AValue,
                                                     ADisplayValue);
}

rtl::TObject* TcxDataFilterCriteria::FieldOfLink(rtl::TObject* AItemLink) const {
  if (AItemLink == nullptr || dynamic_cast<TcxCustomDataField*>(AItemLink) != nullptr) return AItemLink;
  return FDataController->FindFieldByItem(AItemLink);
}

std::unique_ptr<TcxDataFilterValueList> TcxDataFilterCriteria::CreateValueList() {
  return std::make_unique<TcxDataFilterValueList>(this);
}

bool TcxDataFilterCriteria::IsFiltering() { return FActive && !IsEmpty() && !FDataController->IsGridMode(); }

void TcxDataFilterCriteria::SetActive(bool AValue) {
  if (FActive == AValue) return;
  FActive = AValue;
  Changed();
}

void TcxDataFilterCriteria::Assign(rtl::TPersistent* ASource) {
  CriteriaUpdate update(*this);
  TcxFilterCriteria::Assign(ASource);
  if (auto* source = dynamic_cast<TcxDataFilterCriteria*>(ASource)) SetActive(source->FActive);
}

void TcxDataFilterCriteria::AssignEvents(rtl::TPersistent* ASource) {
  TcxFilterCriteria::AssignEvents(ASource);
  if (auto* source = dynamic_cast<TcxDataFilterCriteria*>(ASource)) FOnGetValueList = source->FOnGetValueList;
}

void TcxDataFilterCriteria::DefineProperties(rtl::TFiler* AFiler) {
  TcxFilterCriteria::DefineProperties(AFiler);
  AFiler->DefineBinaryProperty(
      u"Criteria", [this](rtl::TStream* AStream) { ReadData(AStream); },
      [this](rtl::TStream* AStream) { WriteData(AStream); }, !IsEmpty());
}

TcxFilterCriteriaItem* TcxDataFilterCriteria::FindItemByItemLink(rtl::TObject* AItemLink) {
  return TcxFilterCriteria::FindItemByItemLink(FieldOfLink(AItemLink));
}

void TcxDataFilterCriteria::RemoveItemByField(TcxCustomDataField* AField) { RemoveItemByItemLink(AField); }

void TcxDataFilterCriteria::Update() {
  if (FInternal) return;
  const TcxDataFilterList* internal = FDataController->Filters();
  for (int i = 0; i < internal->Count(); ++i)
    if (internal->Items(i) == this) return;
  if (FDestroying || FDataController->IsDestroying() || FDataController->IsLoading()) return;
  if (!FDataController->Provider()->IsDataSource()) FDataController->Post();
  FDataController->FilterChanged();
  TcxFilterCriteria::Update();
}

namespace {
// Conditions keep fields; the controller names and numbers their items.
rtl::TObject* itemOfLink(rtl::TObject* AItemLink) {
  auto* field = dynamic_cast<TcxCustomDataField*>(AItemLink);
  return field != nullptr ? field->Item() : AItemLink;
}
}  // namespace

int TcxDataFilterCriteria::GetIDByItemLink(rtl::TObject* AItemLink) {
  return FDataController->GetItemID(itemOfLink(AItemLink));
}

String TcxDataFilterCriteria::GetNameByItemLink(rtl::TObject* AItemLink) {
  return FDataController->GetItemName(itemOfLink(AItemLink));
}

rtl::TObject* TcxDataFilterCriteria::GetItemLinkByID(int AID) { return FDataController->FindItemByInternalID(AID); }

rtl::TObject* TcxDataFilterCriteria::GetItemLinkByName(const String& AName) {
  return FDataController->FindItemByName(AName);
}

// --- filter list ---------------------------------------------------------------------------

TcxDataFilterCriteria* TcxDataFilterList::Add(std::unique_ptr<TcxDataFilterCriteria> ACriteria) {
  FItems.push_back(std::move(ACriteria));
  return FItems.back().get();
}

void TcxDataFilterList::Clear() {
  while (!FItems.empty()) {
    // Out of the list first: the criteria's destructor asks to be removed.
    std::unique_ptr<TcxDataFilterCriteria> last = std::move(FItems.back());
    FItems.pop_back();
  }
}

void TcxDataFilterList::Remove(TcxDataFilterCriteria* ACriteria) {
  for (auto it = FItems.begin(); it != FItems.end(); ++it)
    if (it->get() == ACriteria) {
      (void)it->release();  // the criteria is already being destroyed by its owner
      FItems.erase(it);
      return;
    }
}

void TcxDataFilterList::RemoveItemByField(TcxCustomDataField* AField) {
  for (auto& item : FItems) item->RemoveItemByField(AField);
}

// --- the controller's hooks ------------------------------------------------------------------

TcxDataFilterCriteria* TcxCustomDataController::Filter() {
  if (!FFilter) FFilter.reset(CreateFilter().release());
  return FFilter.get();
}

TcxDataFindFilterCriteria* TcxCustomDataController::FindFilterCriteria() {
  if (!FFindFilterCriteria) FFindFilterCriteria = CreateFindFilterCriteria();
  return FFindFilterCriteria.get();
}

std::unique_ptr<TcxDataFindFilterCriteria, TcxDataFilterDeleter> TcxCustomDataController::CreateFindFilterCriteria() {
  return std::unique_ptr<TcxDataFindFilterCriteria, TcxDataFilterDeleter>(new TcxDataFindFilterCriteria(this));
}

TcxDataFilterList* TcxCustomDataController::Filters() {
  if (!FFilters) FFilters.reset(new TcxDataFilterList());
  return FFilters.get();
}

void TcxCustomDataController::RemoveFilter(TcxDataFilterCriteria* ACriteria) {
  if (FFilters) FFilters->Remove(ACriteria);
}

void TcxCustomDataController::RemoveFieldFromFilters(TcxCustomDataField* AField) {
  if (FFilter) FFilter->RemoveItemByField(AField);
  if (FFilters) FFilters->RemoveItemByField(AField);
  if (FFindFilterCriteria) FFindFilterCriteria->RemoveField(AField);
}

std::unique_ptr<TcxDataFilterCriteria> TcxCustomDataController::CreateFilter() {
  return std::make_unique<TcxDataFilterCriteria>(this);
}

void TcxCustomDataController::FilterChanged() {
  SetCheckFocusingAfterFilterNeeded();
  if (IsEditing()) Cancel();
  Refresh();
}

void TcxCustomDataController::FindFilterChanged() {
  FDataControllerInfo->Change({dcicFindFilter});
  FilterChanged();
}

bool TcxCustomDataController::IsFilterItemSortByDisplayText(int AItemIndex) const {
  return GetItemSortByDisplayText(AItemIndex, GetSortByDisplayTextSetting());
}

namespace {
// A stored text as a value list sorts it: its code units as they lie, ASCII
// lower-case letters read as upper-case ones when `fold` (a case-insensitive
// list whose text is ASCII; other texts are upper-cased copies).
// The first four prepared code units, packed so that two keys whose
// prefixes differ compare as their texts do without reading the texts.
struct ValueListTextKey {
  std::uint64_t prefix;
  const char16_t* data;
  std::uint32_t size;
  std::uint32_t offered;  // the key's position among the offered values
  bool fold;
};

char16_t valueListUnit(const ValueListTextKey& AKey, size_t AIndex) {
  const char16_t c = AKey.data[AIndex];
  return AKey.fold && c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
}

// CompareStr of the two prepared texts. Past a shorter text its prefix
// holds zeros, which order it first unless the longer one has a zero unit
// there, and then the prefixes are equal and the texts decide.
int compareValueListKeys(const ValueListTextKey& A, const ValueListTextKey& B) {
  if (A.prefix != B.prefix) return A.prefix < B.prefix ? -1 : 1;
  const size_t n = std::min(A.size, B.size);
  for (size_t i = 0; i < n; ++i) {
    const char16_t x = valueListUnit(A, i), y = valueListUnit(B, i);
    if (x != y) return x < y ? -1 : 1;
  }
  return A.size == B.size ? 0 : (A.size < B.size ? -1 : 1);
}

ValueListTextKey makeValueListKey(const char16_t* AData, size_t ASize, bool AFold, size_t AOffered) {
  ValueListTextKey key{0, AData, static_cast<std::uint32_t>(ASize), static_cast<std::uint32_t>(AOffered), AFold};
  for (size_t i = 0; i < 4; ++i) key.prefix = (key.prefix << 16) | (i < ASize ? valueListUnit(key, i) : 0u);
  return key;
}

bool valueListIsAscii(const String& AText) {
  char16_t bits = 0;
  for (const char16_t c : AText) bits |= c;
  return bits < 0x80;
}
}  // namespace

// A text column whose values can be read in place (see
// CanReadFilterValuesInPlace) and whose display text is its value: the
// texts are sorted where they lie and entries are made for distinct values
// only. False leaves the list to the general way.
bool TcxCustomDataController::populateTextFilterValuesInPlace(TcxDataFilterValueList* AList, int AItemIndex,
                                                              TcxDataFilterCriteria* ACriteria,
                                                              const std::vector<int>& ARecords, bool& ANullExists) {
  TcxCustomDataField* field = GetItemField(AItemIndex);
  TcxValueDef* def = field != nullptr ? field->GetValueDef() : nullptr;
  if (def == nullptr || AList->SortByDisplayText() || !ACriteria->CanTestRecordsInPlace() ||
      !CanReadFilterValuesInPlace(field) || def->GetTextStored() || field->IsInternal())
    return false;
  const TcxValueTypeClass type = def->ValueTypeClass();
  if (type != TcxStringValueType::Instance() && type != TcxWideStringValueType::Instance()) return false;
  const TcxDataStorage* storage = DataStorage();
  using O = TcxFilterCriteriaOption;
  const bool upperCase = ACriteria->Options().contains(O::fcoCaseInsensitive);
  const bool softNull = ACriteria->Options().contains(O::fcoSoftNull);
  std::vector<ValueListTextKey> keys;
  std::vector<int> offered;  // the records behind the keys
  keys.reserve(ARecords.size());
  offered.reserve(ARecords.size());
  std::deque<String> upperCopies;  // a deque keeps them in place as it grows
  bool nullExists = false;
  for (const int record : ARecords) {
    if (record < 0 || record >= storage->RecordCount()) return false;
    TcxPreparedValue prepared = nullptr;
    const String* text = storage->GetCompareInfo(record, def, prepared) ? nullptr : TcxStringValueType::StringOf(prepared);
    // An empty reference reads as Null; an empty text is Null to a soft list.
    if (text == nullptr || (softNull && text->empty())) {
      nullExists = true;
      continue;
    }
    if (text->size() > UINT32_MAX) return false;
    if (upperCase && !valueListIsAscii(*text)) {
      const String& upper = upperCopies.emplace_back(rtl::AnsiUpperCase(*text));
      keys.push_back(makeValueListKey(upper.data(), upper.size(), false, offered.size()));
    } else {
      keys.push_back(makeValueListKey(text->data(), text->size(), upperCase, offered.size()));
    }
    offered.push_back(record);
  }
  // Equal values keep the order they were offered in: the first of each run
  // is the entry the general way keeps.
  std::stable_sort(keys.begin(), keys.end(), [](const ValueListTextKey& a, const ValueListTextKey& b) {
    return compareValueListKeys(a, b) < 0;
  });
  std::vector<TcxFilterValueEntry> values;
  std::vector<size_t> offeredAt;
  values.reserve(keys.size());
  offeredAt.reserve(keys.size());
  for (size_t k = 0; k < keys.size(); ++k) {
    if (k > 0 && compareValueListKeys(keys[k - 1], keys[k]) == 0) continue;
    const int record = offered[keys[k].offered];
    values.push_back({GetFilterDataValue(record, field), GetDisplayText(record, AItemIndex)});
    offeredAt.push_back(keys[k].offered);
  }
  ANullExists = nullExists;
  AList->AddSortedDistinctValues(std::move(values), offeredAt);
  return true;
}

void TcxCustomDataController::PopulateFilterValues(TcxDataFilterValueList* AList, int AItemIndex,
                                                   TcxDataFilterCriteria* ACriteria, bool& AUseFilteredRecords,
                                                   bool& ANullExists) {
  TcxCustomDataField* field = GetItemField(AItemIndex);
  std::vector<int> records;
  if (AUseFilteredRecords) {
    for (int i = 0; i < FDataControllerInfo->GetInternalRecordCount(); ++i)
      records.push_back(FDataControllerInfo->GetInternalRecordIndex(i));
  } else {
    records.resize(static_cast<size_t>(GetRecordCount()));
    std::iota(records.begin(), records.end(), 0);
  }
  if (populateTextFilterValuesInPlace(AList, AItemIndex, ACriteria, records, ANullExists)) return;
  std::vector<TcxFilterValueEntry> values;
  values.reserve(records.size());
  ANullExists = false;
  for (int record : records) {
    Variant value = GetFilterDataValue(record, field);
    if (ACriteria->ValueIsNull(value)) {
      ANullExists = true;
      continue;
    }
    values.push_back({std::move(value), GetDisplayText(record, AItemIndex)});
  }
  AList->AddValues(std::move(values));
}

bool TcxCustomDataController::CanReadFilterValuesInPlace(TcxCustomDataField* AField) const {
  return !IsProviderMode() && !IsGridMode() && AField->GetValueDef() != nullptr;
}

Variant TcxCustomDataController::GetFilterDataValue(int ARecordIndex, TcxCustomDataField* AField) const {
  return GetInternalValue(ARecordIndex, AField);
}

bool TcxCustomDataController::IsConversionNeededForCompare(TcxCustomDataField* AField) const {
  return AField->NeedConversion();
}

String TcxCustomDataController::GetFilterItemFieldCaption(TObject* AItem) const { return GetItemName(AItem); }

String TcxCustomDataController::GetFilterItemFieldName(TObject* AItem) const { return GetItemName(AItem); }

}  // namespace data
