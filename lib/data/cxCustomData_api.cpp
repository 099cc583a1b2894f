// The controller's sorting, grouping, filtering and find-panel operations by
// item index, and the seam through which its criteria filter the record list.
#include "lib/data/cxCustomData.h"
#include "lib/data/cxCustomData_scopes.h"
#include "lib/data/cxDataFilter.h"

namespace data {

// The controller's criteria as a filter of the record list. The criteria is
// made on first use: until then nothing filters.
class TcxCustomDataController::TCriteriaSeam : public TcxRecordListFilter {
 public:
  explicit TCriteriaSeam(TcxCustomDataController* AController) : FController(AController) {}
  bool IsFiltering() override { return FController->FFilter && FController->FFilter->IsFiltering(); }
  bool SupportsMultiThreading() override { return FController->FFilter->SupportsMultiThreading(); }
  bool Accepts(int ARecordIndex) override { return FController->FFilter->DoFilterRecord(ARecordIndex); }

 private:
  TcxCustomDataController* FController;
};

class TcxCustomDataController::TFindCriteriaSeam : public TcxRecordListFilter {
 public:
  explicit TFindCriteriaSeam(TcxCustomDataController* AController) : FController(AController) {}
  bool IsFiltering() override {
    return FController->FFindFilterCriteria && FController->FFindFilterCriteria->IsFiltering();
  }
  bool SupportsMultiThreading() override { return FController->FFindFilterCriteria->SupportsMultiThreading(); }
  bool Accepts(int ARecordIndex) override { return FController->DoFindFilterRecord(ARecordIndex); }

 private:
  TcxCustomDataController* FController;
};

void TcxCustomDataController::connectFilterSeams() {
  FCriteriaSeam = std::make_unique<TCriteriaSeam>(this);
  FFindCriteriaSeam = std::make_unique<TFindCriteriaSeam>(this);
  FDataControllerInfo->ConnectFilters(FCriteriaSeam.get(), FFindCriteriaSeam.get());
}

// --- sorting and grouping by item ---------------------------------------------------------------
namespace {
// A pending edit is posted before the records move.
void postBeforeSorting(TcxCustomDataController& AController) {
  if (AController.IsEditing()) AController.Post();
}
}  // namespace

void TcxCustomDataController::ChangeSorting(int AItemIndex, TdxSortOrder ASortOrder) {
  TcxCustomDataField* field = GetItemField(AItemIndex);
  TcxCustomDataControllerInfo& info = *FDataControllerInfo;
  const int index = info.GetFieldSortingIndex(field);
  const TdxSortOrder current = index >= 0 ? info.SortingFieldList()[static_cast<size_t>(index)].SortOrder : soNone;
  if (current == ASortOrder) return;
  postBeforeSorting(*this);
  info.ChangeSorting(field, ASortOrder);
}

void TcxCustomDataController::ChangeItemSortingIndex(int AItemIndex, int AIndex) {
  TcxCustomDataField* field = GetItemField(AItemIndex);
  if (FDataControllerInfo->GetFieldSortingIndex(field) == AIndex) return;
  UpdateScope update(*this);
  postBeforeSorting(*this);
  FDataControllerInfo->ChangeSortingIndex(field, AIndex);
}

void TcxCustomDataController::ClearSorting(bool AKeepGroupedItems) {
  UpdateScope update(*this);
  postBeforeSorting(*this);
  FDataControllerInfo->ClearSorting(AKeepGroupedItems);
}

TdxSortOrder TcxCustomDataController::GetItemSortOrder(int AItemIndex) const {
  return FDataControllerInfo->GetFieldSortOrder(GetItemField(AItemIndex));
}

int TcxCustomDataController::GetItemSortingIndex(int AItemIndex) const {
  return FDataControllerInfo->GetFieldSortingIndex(GetItemField(AItemIndex));
}

int TcxCustomDataController::GetSortingItemCount() const {
  return static_cast<int>(FDataControllerInfo->SortingFieldList().size());
}

int TcxCustomDataController::GetSortingItemIndex(int AIndex) const {
  return FDataControllerInfo->SortingFieldList().at(static_cast<size_t>(AIndex)).Field->GetIndex();
}

void TcxCustomDataController::ChangeGroupIndex(int AItemIndex, int AGroupIndex) {
  TcxCustomDataField* field = GetItemField(AItemIndex);
  UpdateScope update(*this);
  postBeforeSorting(*this);
  FDataControllerInfo->ChangeGrouping(field, AGroupIndex);
}

int TcxCustomDataController::GetItemGroupIndex(int AItemIndex) const {
  return FDataControllerInfo->GetFieldGroupIndex(GetItemField(AItemIndex));
}

int TcxCustomDataController::GetGroupingItemCount() const {
  return static_cast<int>(FDataControllerInfo->GroupingFieldList().size());
}

int TcxCustomDataController::GetGroupingItemIndex(int AIndex) const {
  return FDataControllerInfo->GroupingFieldList().at(static_cast<size_t>(AIndex)).Field->GetIndex();
}

void TcxCustomDataController::ClearGrouping() {
  UpdateScope update(*this);
  postBeforeSorting(*this);
  FDataControllerInfo->ClearGrouping();
}

// --- filtering --------------------------------------------------------------------------------------
void TcxCustomDataController::SetFilter(TcxDataFilterCriteria* AValue) { Filter()->Assign(AValue); }

void TcxCustomDataController::SetOnFilterRecord(const TcxDataFilterRecordEvent& AValue) {
  if (FOnFilterRecord == AValue) return;
  FOnFilterRecord = AValue;
  Filter()->Changed();
}

bool TcxCustomDataController::DoFilterRecord(int ARecordIndex) {
  bool accept = true;
  if (FOnFilterRecord) FOnFilterRecord(this, ARecordIndex, accept);
  return accept;
}

rtl::String TcxCustomDataController::GetFindFilterText() { return FindFilterCriteria()->Text(); }

void TcxCustomDataController::SetFindFilterText(const rtl::String& AValue) { FindFilterCriteria()->SetText(AValue); }

bool TcxCustomDataController::GetUseExtendedFindFilterTextSyntax() {
  return FindFilterCriteria()->UseExtendedSyntax();
}

void TcxCustomDataController::SetUseExtendedFindFilterTextSyntax(bool AValue) {
  FindFilterCriteria()->SetUseExtendedSyntax(AValue);
}

void TcxCustomDataController::AddFindFilterItem(int AItemIndex) { FindFilterCriteria()->AddItem(AItemIndex); }

void TcxCustomDataController::RemoveFindFilterItem(int AItemIndex) { FindFilterCriteria()->RemoveItem(AItemIndex); }

void TcxCustomDataController::ClearFindFilterItems() { FindFilterCriteria()->ClearItems(); }

bool TcxCustomDataController::IsFindFiltering() {
  return FFindFilterCriteria != nullptr && FFindFilterCriteria->IsFiltering();
}

int TcxCustomDataController::GetFindFilterTextStartPosition(int ARecordIndex, int AItemIndex,
                                                            rtl::String& AHighlightedText) {
  AHighlightedText.clear();
  return FindFilterCriteria()->GetTextStartPosition(ARecordIndex, AItemIndex, AHighlightedText);
}

bool TcxCustomDataController::DoFindFilterRecord(int ARecordIndex) {
  return FindFilterCriteria()->FilterRecord(ARecordIndex);
}

int TcxCustomDataController::SetIncrementalFilter(int AItemIndex, const rtl::String& AText) {
  // No bracket: the answer is read from the rebuilt list.
  return FDataControllerInfo->SetIncrementalFilter(GetItemField(AItemIndex), AText);
}

void TcxCustomDataController::ResetIncrementalFilter() {
  UpdateScope update(*this);
  FDataControllerInfo->ResetIncrementalFilter();
}

bool TcxCustomDataController::HasIncrementalFilter() const { return FDataControllerInfo->HasIncrementalFilter(); }

rtl::String TcxCustomDataController::GetIncrementalFilterText() const {
  return FDataControllerInfo->GetIncrementalFilterText();
}

bool TcxCustomDataController::ChangeIncrementalFilterText(const rtl::String& AText) {
  if (!HasIncrementalFilter() || AText == GetIncrementalFilterText()) return false;
  FDataControllerInfo->SetIncrementalFilter(FDataControllerInfo->IncrementalFilterField(), AText);
  return true;
}

}  // namespace data
