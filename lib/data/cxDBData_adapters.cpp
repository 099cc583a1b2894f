// Adapters picked by dataset class, and the one that writes null tests for
// query datasets as SQL does; the dataset criteria's conditions that ask it.
#include <memory>
#include <utility>

#include "lib/data/cxDBData.h"
#include "platform/db/dataset.h"
#include "platform/rtl/except.h"
#include "platform/rtl/ustring.h"

namespace data {

namespace {

template <class T>
std::unique_ptr<TcxFilterOperator> adaptersMakeOperator(TcxFilterCriteriaItem* AItem) {
  return std::make_unique<T>(AItem);
}

std::unique_ptr<TcxDBAdapterList>& adaptersFilterOperatorList() {
  static std::unique_ptr<TcxDBAdapterList> list;
  return list;
}

bool adaptersIsQueryClass(const db::TDataSet* ADataSet) {
  return rtl::AnsiUpperCase(ADataSet->ClassName()).find(u"QUERY") != rtl::String::npos;
}

db::TDataSet* adaptersDataSetOf(TcxDataFilterCriteriaItem* AItem) {
  auto* controller = dynamic_cast<TcxDBDataController*>(AItem->DataController());
  return controller != nullptr && controller->Provider() != nullptr ? controller->DataSet() : nullptr;
}

}  // namespace

// --- the adapter list -------------------------------------------------------------------------
bool TcxDBAdapterList::FindAdapter(const rtl::ClassInfo* ADataSetClass, int& AIndex) const {
  AIndex = -1;
  for (int i = Count() - 1; i >= 0; --i) {
    const rtl::ClassInfo* entryClass = FItems[static_cast<size_t>(i)]->DataSetClass();
    if (ADataSetClass != nullptr && ADataSetClass->InheritsFrom(entryClass)) {
      AIndex = i;
      return true;
    }
    if (entryClass != nullptr && entryClass->InheritsFrom(ADataSetClass)) AIndex = i;
  }
  return false;
}

void TcxDBAdapterList::RegisterAdapter(const rtl::ClassInfo& ADataSetClass, const rtl::ClassInfo& AAdapterClass) {
  std::unique_ptr<rtl::TObject> made(AAdapterClass.Create());
  auto* adapter = dynamic_cast<TcxDBAdapterItem*>(made.get());
  if (adapter == nullptr)
    throw rtl::EInvalidOperation(u"\"" + AAdapterClass.ClassName() + u"\" is not a dataset adapter class");
  made.release();
  std::unique_ptr<TcxDBAdapterItem> item(adapter);
  item->SetDataSetClass(TcxDBAdapterListKey(), &ADataSetClass);
  int index;
  // After the nearest ancestor's entry; else before the first descendant's.
  const int position = FindAdapter(&ADataSetClass, index) ? index + 1 : (index >= 0 ? index : Count());
  FItems.insert(FItems.begin() + position, std::move(item));
}

void TcxDBAdapterList::UnregisterAdapter(const rtl::ClassInfo& ADataSetClass, const rtl::ClassInfo& AAdapterClass) {
  for (int i = Count() - 1; i >= 0; --i) {
    const TcxDBAdapterItem* item = FItems[static_cast<size_t>(i)].get();
    if (item->DataSetClass() == &ADataSetClass && item->ClassType() == &AAdapterClass)
      FItems.erase(FItems.begin() + i);
  }
}

TcxDBAdapterItem* TcxDBAdapterList::Items(int AIndex) const {
  if (AIndex < 0 || AIndex >= Count())
    throw rtl::EListError(u"List index out of bounds (" + rtl::IntToStr(AIndex) + u")");
  return FItems[static_cast<size_t>(AIndex)].get();
}

// --- the filter operator adapter ------------------------------------------------------------------
TcxFilterOperatorClass cxFilterSQLNullOperatorClass() { return adaptersMakeOperator<TcxFilterSQLNullOperator>; }
TcxFilterOperatorClass cxFilterSQLNotNullOperatorClass() {
  return adaptersMakeOperator<TcxFilterSQLNotNullOperator>;
}

void TcxDBFilterOperatorAdapter::PrepareOperatorClass(TcxFilterCriteriaItem* AItem, db::TDataSet* ADataSet,
                                                      TcxFilterOperatorClass& AOperatorClass) {
  if (ADataSet == nullptr || !adaptersIsQueryClass(ADataSet)) return;
  // A class is a maker here: what it makes tells its ancestry.
  const std::unique_ptr<TcxFilterOperator> probe = AOperatorClass(AItem);
  if (dynamic_cast<TcxFilterNotNullOperator*>(probe.get()) != nullptr)
    AOperatorClass = cxFilterSQLNotNullOperatorClass();
  else if (dynamic_cast<TcxFilterNullOperator*>(probe.get()) != nullptr)
    AOperatorClass = cxFilterSQLNullOperatorClass();
}

void cxDBDataAdaptersInitialization() {
  std::unique_ptr<TcxDBAdapterList>& list = adaptersFilterOperatorList();
  if (list) return;
  list = std::make_unique<TcxDBAdapterList>();
  list->RegisterAdapter(db::TDataSet::classInfo(), TcxDBFilterOperatorAdapter::classInfo());
}

void cxDBDataAdaptersFinalization() { adaptersFilterOperatorList().reset(); }

TcxDBAdapterList* cxFilterOperatorAdapters() {
  // Nothing runs the library's unit starts for every program: the first
  // user makes the list as the start would.
  cxDBDataAdaptersInitialization();
  return adaptersFilterOperatorList().get();
}

TcxDBFilterOperatorAdapter* cxGetFilterOperatorAdapter(db::TDataSet* ADataSet) {
  if (ADataSet == nullptr) return nullptr;
  TcxDBAdapterList* list = cxFilterOperatorAdapters();
  int index;
  if (!list->FindAdapter(ADataSet->ClassType(), index)) return nullptr;
  return dynamic_cast<TcxDBFilterOperatorAdapter*>(list->Items(index));
}

// --- the dataset criteria's conditions --------------------------------------------------------------
TcxDBDataFilterCriteriaItem::TcxDBDataFilterCriteriaItem(TcxFilterCriteriaItemList* AParent, rtl::TObject* AItemLink,
                                                         TcxFilterOperatorKind AOperatorKind,
                                                         const rtl::Variant& AValue, const rtl::String& ADisplayValue)
    : TcxDataFilterCriteriaItem(AParent, AItemLink, AOperatorKind, AValue, ADisplayValue) {
  // The base made its operator before this class's choice could be asked.
  operatorClass_ = TcxFilterCriteriaItem::GetFilterOperatorClass();
  CheckOperatorClass();
}

TcxFilterOperatorClass TcxDBDataFilterCriteriaItem::GetFilterOperatorClass() {
  TcxFilterOperatorClass result = TcxDataFilterCriteriaItem::GetFilterOperatorClass();
  db::TDataSet* ds = adaptersDataSetOf(this);
  if (TcxDBFilterOperatorAdapter* adapter = cxGetFilterOperatorAdapter(ds))
    adapter->PrepareOperatorClass(this, ds, result);
  return result;
}

void TcxDBDataFilterCriteriaItem::RecreateOperator() {
  operatorClass_ = GetFilterOperatorClass();
  TcxDataFilterCriteriaItem::RecreateOperator();
}

void TcxDBDataFilterCriteriaItem::CheckOperatorClass() {
  const TcxFilterOperatorClass wanted = GetFilterOperatorClass();
  if (wanted == operatorClass_) return;
  ResetInPlaceTest();
  FOperator = wanted(this);
  operatorClass_ = wanted;
}

std::unique_ptr<TcxFilterCriteriaItem> TcxDBDataFilterCriteria::CreateItem(TcxFilterCriteriaItemList* AParent,
                                                                           rtl::TObject* AItemLink,
                                                                           TcxFilterOperatorKind AOperatorKind,
                                                                           const rtl::Variant& AValue,
                                                                           const rtl::String& ADisplayValue) {
  return std::make_unique<TcxDBDataFilterCriteriaItem>(AParent, FieldOfLink(AItemLink), AOperatorKind, AValue,
                                                       ADisplayValue);
}

}  // namespace data
