// The controller's side of editing, deleting, navigation, the bookmark, the
// selection API and the saved-keys bracket. The provider runs the edit state
// machine; the controller decides what the view may do and keeps the focus,
// the bookmark and the selection consistent around it.
#include <algorithm>
#include <utility>
#include <vector>

#include "lib/data/cxCustomData.h"
#include "lib/data/cxCustomData_scopes.h"
#include "lib/data/cxDataSelection.h"
#include "lib/data/cxDataStrs.h"
#include "lib/data/cxDataSummary.h"
#include "platform/rtl/scoped.h"

namespace data {

using rtl::Variant;

namespace {

[[noreturn]] void editRowRangeError() {
  TcxCustomDataController::InvalidOperation(core::cxGetResourceString(&cxSDataRowIndexError));
}

}  // namespace

// --- edit state and operations ---------------------------------------------------------------------
TcxDataControllerEditState TcxCustomDataController::GetEditState() const {
  TcxDataControllerEditState state;
  if (FProvider->IsInserting())
    state += dceInsert;
  else if (FProvider->IsEditing())
    state += dceEdit;
  else
    return state;
  if (FProvider->IsChanging()) state += dceChanging;
  if (FProvider->IsModified()) state += dceModified;
  return state;
}

TcxDataControllerEditOperations TcxCustomDataController::GetEditOperations() const {
  TcxDataControllerEditOperations result;
  if (FProvider->CanAppend()) result += dceoAppend;
  if (FProvider->CanDelete()) result += dceoDelete;
  if (FProvider->CanModify()) result += dceoEdit;
  if (FProvider->CanInsert()) result += dceoInsert;
  if (!(FProvider->IsDataSource() && !FProvider->IsSyncMode())) result += dceoShowEdit;
  return result;
}

bool TcxCustomDataController::IsEditing() const {
  const TcxDataControllerEditState state = GetEditState();
  return FProvider->IsEditing() && (state.contains(dceInsert) || state.contains(dceEdit));
}

int TcxCustomDataController::GetEditingRecordIndex() const {
  const int editing = FProvider->EditingRecordIndex();
  return editing != cxNullEditingRecordIndex ? editing : CalcEditingRecordIndex();
}

int TcxCustomDataController::CalcEditingRecordIndex() const {
  if (FNewItemRowFocused) return const_cast<TcxCustomDataController*>(this)->GetNewItemRecordIndex();
  const int row = GetFocusedRowIndex();
  if (row == -1) return cxNullEditingRecordIndex;
  return GetRowInfo(row).RecordIndex;
}

void TcxCustomDataController::CheckEditingRecordIndex(int ARecordIndex) {
  const int editing = FProvider->EditingRecordIndex();
  if (editing == cxNullEditingRecordIndex) return;
  if ((ARecordIndex >= 0 && editing >= ARecordIndex) || editing >= GetRecordCount()) FProvider->ResetEditing();
}

// --- edit operations -------------------------------------------------------------------------------
void TcxCustomDataController::Edit() {
  if (FProvider->CanModify()) FProvider->Edit();
}

void TcxCustomDataController::Insert() {
  if (FProvider->CanInsert()) FProvider->Insert();
}

void TcxCustomDataController::Append() {
  if (FProvider->CanAppend()) FProvider->Append();
}

void TcxCustomDataController::Post(bool AForcePost) {
  // A posted record may no longer pass the filter: the pass that drops it
  // re-checks the focus.
  SetCheckFocusingAfterFilterNeeded();
  // An after-post handler may free the controller: the link tells whether
  // there is still a provider to reset.
  TcxDataListenerLink* link = AddListenerLink();
  rtl::ScopeExit forget([link] {
    if (TcxCustomDataController* controller = link->Ref) controller->FProvider->SetInsertedRecordIndex(-1);
    RemoveListenerLink(link);
  });
  if (FProvider->IsEditing()) FProvider->Post(AForcePost);
}

void TcxCustomDataController::Cancel() {
  if (FInCancel) return;
  rtl::ScopedValue<bool> inCancel(FInCancel, true);
  const int row = GetFocusedRowIndex();
  if (FProvider->IsEditing()) FProvider->Cancel();
  // A cancelled insert takes its row away: the focus stays at the same
  // place, or on the last row when that place has gone.
  if (row == -1 || FNewItemRowFocused) return;
  FDataControllerInfo->CheckUpdate();
  ChangeFocusedRowIndex(std::min(row, GetRowCount() - 1));
}

bool TcxCustomDataController::CanInitEditing(int AItemIndex) {
  CheckItemRange(AItemIndex);
  TcxCustomDataField* field = GetItemField(AItemIndex);
  if (!FProvider->CanModify() && !field->IsUnbound()) return false;
  if (!field->CanModify()) return false;
  const int record = GetEditingRecordIndex();
  if (record == cxNullEditingRecordIndex) return false;
  return FProvider->CanInitEditing(record);
}

void TcxCustomDataController::PostEditingData() { FProvider->PostEditingData(); }

Variant TcxCustomDataController::GetEditValue(int AItemIndex, TcxDataEditValueSource AEditValueSource) {
  CheckItemRange(AItemIndex);
  // The new-item row shows blanks until something is typed into it.
  if (FUseNewItemRowForEditing && FNewItemRowFocused && !FProvider->IsEditing()) return rtl::Null();
  return FProvider->GetEditValue(GetEditingRecordIndex(), GetItemField(AItemIndex), AEditValueSource);
}

bool TcxCustomDataController::SetEditValue(int AItemIndex, const Variant& AValue,
                                           TcxDataEditValueSource AEditValueSource) {
  if (!CanInitEditing(AItemIndex)) return false;
  const bool result =
      FProvider->SetEditValue(GetEditingRecordIndex(), GetItemField(AItemIndex), AValue, AEditValueSource);
  if (result && IsImmediatePost()) {
    DoBeforeImmediatePost();
    Post(false);
  }
  return result;
}

void TcxCustomDataController::BeforeSorting() {
  if (IsEditing()) Post();
}

bool TcxCustomDataController::CanFocusRecord(int ARecordIndex) {
  if (!FProvider->IsDataSource() && ARecordIndex != FProvider->EditingRecordIndex()) Post();
  return true;
}

void TcxCustomDataController::SetNewItemRowFocused(bool AValue) {
  if (FNewItemRowFocused == AValue) return;
  {
    UpdateScope update(*this);
    // Leaving the row does not post here: while a new record is typed the
    // record list shows it as a row of its own, and focusing that row leaves
    // the new-item row without ending the insert.
    FNewItemRowFocused = AValue;
    if (AValue)
      FDataControllerInfo->FocusNewItemRecord(GetNewItemRecordIndex());
    else
      FDataControllerInfo->SetNewItemRowFocusingChanged();
  }
  // An insert that focuses the row itself is already under way.
  if (AValue && GetInsertOnNewItemRowFocusingSetting() && FNewItemRowFocused && !FProvider->IsInserting() &&
      FProvider->EditingRecordIndex() != FNewItemRecordIndex)
    Insert();
}

void TcxCustomDataController::SetUseNewItemRowForEditing(bool AValue) {
  if (FUseNewItemRowForEditing == AValue) return;
  Cancel();
  ClearSelection();
  FUseNewItemRowForEditing = AValue;
  Change({dccData});
}

void TcxCustomDataController::ResetNewItemRowFocused() {
  if (FNewItemRowFocused) FDataControllerInfo->SetNewItemRowFocusingChanged();
  FNewItemRowFocused = false;
}

void TcxCustomDataController::DoBeforeDelete(int ARecordIndex) {
  if (FOnBeforeDelete) FOnBeforeDelete(this, ARecordIndex);
}

void TcxCustomDataController::DoNewRecord(int ARecordIndex) {
  if (FOnNewRecord) FOnNewRecord(this, ARecordIndex);
}

// --- deleting ----------------------------------------------------------------------------------------
void TcxCustomDataController::DeleteFocused() {
  if (FProvider->IsInserting()) {
    Cancel();
    return;
  }
  const int row = GetFocusedRowIndex();
  if (row == -1 || !FProvider->CanDelete()) return;
  FProvider->BeginDeleting();
  rtl::ScopeExit end([this] { FProvider->EndDeleting(); });
  const TcxRowInfo info = GetRowInfo(row);
  const TcxCustomDataControllerInfo& list = *FDataControllerInfo;
  if (list.IsGrouped() && info.Level < static_cast<int>(list.GroupingFieldList().size())) {
    const TcxDataGroupInfo& group = list.GetDataGroup(info.GroupIndex);
    std::vector<int> records;
    records.reserve(static_cast<size_t>(group.EndRecordListIndex - group.BeginRecordListIndex + 1));
    for (int i = group.BeginRecordListIndex; i <= group.EndRecordListIndex; ++i)
      records.push_back(list.GetInternalRecordIndex(i));
    DeleteRecords(std::move(records));
  } else {
    DeleteFocusedRecord();
  }
  ClearSelection();
}

void TcxCustomDataController::DeleteSelection() {
  if (GetSelectedCount() == 0 || !FProvider->CanDelete()) return;
  FProvider->BeginDeleting();
  rtl::ScopeExit end([this] { FProvider->EndDeleting(); });
  if (IsFocusedSelectedMode())
    DeleteFocusedRecord();
  else
    FProvider->DeleteSelection();
}

void TcxCustomDataController::DeleteFocusedRecord() {
  const int focused = GetFocusedRecordIndex();
  // The record to focus afterwards moves up with the deletion.
  if (FNearestRecordIndex != -1 && FNearestRecordIndex >= focused) --FNearestRecordIndex;
  bool done = false;
  rtl::ScopeExit failed([this, &done, focused] {
    if (!done) FNearestRecordIndex = focused;
  });
  FProvider->Delete();
  done = true;
}

void TcxCustomDataController::DeleteRecords(std::vector<int> AList) {
  std::sort(AList.begin(), AList.end());
  AList.erase(std::unique(AList.begin(), AList.end()), AList.end());
  const int focused = GetFocusedRecordIndex();
  if (FNearestRecordIndex != -1) {
    const auto atOrBefore = std::upper_bound(AList.begin(), AList.end(), FNearestRecordIndex) - AList.begin();
    FNearestRecordIndex -= static_cast<int>(atOrBefore);
  }
  bool done = false;
  rtl::ScopeExit failed([this, &done, focused] {
    if (!done) FNearestRecordIndex = focused;
  });
  FProvider->DeleteRecords(AList);
  done = true;
}

bool TcxCustomDataController::CanDeleteRecordsAtOnce(const std::vector<int>& ASortedList) const {
  if (ASortedList.size() < 2 || IsProviderMode() || IsSmartLoad()) return false;
  if (FOnBeforeDelete || FOnAfterDelete) return false;
  return ASortedList.front() >= 0 && ASortedList.back() < GetRecordCount();
}

void TcxCustomDataController::DeleteRecordsAtOnce(const std::vector<int>& ASortedList) {
  // What deleting the records one by one from the last would do, in order.
  for (auto it = ASortedList.rbegin(); it != ASortedList.rend(); ++it) DoBeforeDelete(*it);
  const int editing = FProvider->EditingRecordIndex();
  if (std::binary_search(ASortedList.begin(), ASortedList.end(), editing))
    FProvider->SetEditingRecordIndex(cxNullEditingRecordIndex);
  FDataStorage->DeleteRecords(ASortedList);
  for (auto it = ASortedList.rbegin(); it != ASortedList.rend(); ++it) CorrectAfterDelete(*it);
  const bool bookmarkDeleted = std::binary_search(ASortedList.begin(), ASortedList.end(), FBookmarkRecordIndex);
  CheckSelectedCount(bookmarkDeleted ? FBookmarkRecordIndex : ASortedList.back());
  DataChanged(dcDeleted, -1, -1);
  for (size_t i = 0; i < ASortedList.size(); ++i) DoAfterDelete();
}

void TcxCustomDataController::CheckNearestFocusRow() {
  // The record list is rebuilt first, so that the record has its row.
  FDataControllerInfo->CheckUpdate();
  if (FNearestRecordIndex == -1) {
    if (GetLockCount() == 0 && GetFocusedRecordIndex() == -1 && GetRowCount() > 0)
      ChangeFocusedRowIndex(GetRowCount() - 1);
  } else if (FNearestRecordIndex >= 0 && FNearestRecordIndex < GetRecordCount()) {
    ChangeFocusedRecordIndex(FNearestRecordIndex);
  }
}

// --- navigation --------------------------------------------------------------------------------------
void TcxCustomDataController::moveFocusTo(int ARowIndex) {
  // Past the last row means the last row; nothing at all means no focus.
  ChangeFocusedRowIndex(std::max(-1, std::min(ARowIndex, GetRowCount() - 1)));
}

void TcxCustomDataController::GotoFirst() {
  if (IsGridMode())
    FProvider->First();
  else
    moveFocusTo(0);
}

void TcxCustomDataController::GotoLast() {
  if (IsGridMode())
    FProvider->Last();
  else
    moveFocusTo(GetRowCount() - 1);
}

void TcxCustomDataController::GotoNext() {
  if (IsGridMode())
    FProvider->Next();
  else
    moveFocusTo(GetFocusedRowIndex() + 1);
}

void TcxCustomDataController::GotoPrev() {
  if (IsGridMode())
    FProvider->Prev();
  else
    moveFocusTo(std::max(0, GetFocusedRowIndex() - 1));
}

void TcxCustomDataController::MoveBy(int ADistance) {
  if (IsGridMode())
    FProvider->MoveBy(ADistance);
  else
    moveFocusTo(std::max(0, GetFocusedRowIndex() + ADistance));
}

void TcxCustomDataController::Scroll(int ADistance) {
  if (IsGridMode()) FProvider->Scroll(ADistance);
}

bool TcxCustomDataController::IsBOF() const {
  if (IsGridMode()) return FProvider->IsBOF();
  return GetRowCount() == 0 || GetFocusedRowIndex() == 0;
}

bool TcxCustomDataController::IsEOF() const {
  if (IsGridMode()) return FProvider->IsEOF();
  return GetRowCount() == 0 || GetFocusedRowIndex() == GetRowCount() - 1;
}

void TcxCustomDataController::SaveDataSetPos() { FProvider->SavePos(); }
void TcxCustomDataController::RestoreDataSetPos() { FProvider->RestorePos(); }

bool TcxCustomDataController::FocusSelectedRow(int AIndex) {
  const int row = GetSelectedRowIndex(AIndex);
  if (row < 0) return false;
  ChangeFocusedRowIndex(row);
  return GetFocusedRowIndex() == row;
}

// --- the bookmark ------------------------------------------------------------------------------------
void TcxCustomDataController::SaveBookmark() {
  if (GetFocusedRecordIndex() == FBookmarkRecordIndex) return;
  InternalSaveBookmark();
  Change({dccBookmark});
}

void TcxCustomDataController::ClearBookmark() {
  const bool available = IsBookmarkAvailable();
  InternalClearBookmark();
  if (available != IsBookmarkAvailable()) Change({dccBookmark});
}

void TcxCustomDataController::GotoBookmark() {
  if (IsBookmarkAvailable()) InternalGotoBookmark();
}

bool TcxCustomDataController::IsBookmarkRow(int ARowIndex) const {
  return IsBookmarkAvailable() && GetRowInfo(ARowIndex).RecordIndex == FBookmarkRecordIndex;
}

void TcxCustomDataController::CheckBookmarkValid(int ADeletedRecordIndex) {
  if (!IsBookmarkAvailable() || InternalCheckBookmark(ADeletedRecordIndex)) return;
  InternalClearBookmark();
  Change({dccBookmark});
}

bool TcxCustomDataController::InternalCheckBookmark(int ADeletedRecordIndex) {
  if (ADeletedRecordIndex != -1 && ADeletedRecordIndex == FBookmarkRecordIndex) return false;
  if (FBookmarkRecordIndex < 0 || FBookmarkRecordIndex >= GetRecordCount()) return false;
  return FDataControllerInfo->GetFilteredIndexByRecordIndex(FBookmarkRecordIndex) != -1;
}

void TcxCustomDataController::InternalSaveBookmark() { FBookmarkRecordIndex = GetFocusedRecordIndex(); }
void TcxCustomDataController::InternalClearBookmark() { FBookmarkRecordIndex = -1; }
void TcxCustomDataController::InternalGotoBookmark() { ChangeFocusedRecordIndex(FBookmarkRecordIndex); }

// --- the selection API -------------------------------------------------------------------------------
void TcxCustomDataController::SetMultiSelect(bool AValue) {
  if (FMultiSelect == AValue) return;
  FMultiSelect = AValue;
  FFocusedSelected = true;
  {
    UpdateScope update(*this);
    if (!AValue)
      ClearSelection();
    else if (GetFocusedRowIndex() != -1)
      ChangeRowSelection(GetFocusedRowIndex(), true);
  }
  // A summary over the selected records now covers other records.
  if (TcxDataSummary* summary = SummaryIfCreated()) {
    const TcxSummaryOptions options = summary->Options();
    if (options.contains(soSelectedRecords) || options.contains(soMultipleSelectedRecords)) SummaryChanged(false);
  }
}

int TcxCustomDataController::GetSelectedCount() const {
  if (IsFocusedSelectedMode()) return FFocusedSelected && GetFocusedRowIndex() != -1 ? 1 : 0;
  return FDataControllerInfo->GetSelectedCount();
}

int TcxCustomDataController::GetSelectedRowIndex(int AIndex) const {
  if (IsFocusedSelectedMode()) return AIndex == 0 && FFocusedSelected ? GetFocusedRowIndex() : -1;
  return FDataControllerInfo->GetSelectedRowIndex(AIndex);
}

bool TcxCustomDataController::IsRowSelected(int ARowIndex) const {
  if (IsFocusedSelectedMode()) return FFocusedSelected && ARowIndex != -1 && ARowIndex == GetFocusedRowIndex();
  if (ARowIndex < 0 || ARowIndex >= GetRowCount()) editRowRangeError();
  return FDataControllerInfo->IsRowSelected(ARowIndex);
}

void TcxCustomDataController::ChangeRowSelection(int ARowIndex, bool ASelection) {
  if (IsFocusedSelectedMode()) return;
  FDataControllerInfo->ChangeRowSelection(ARowIndex, ASelection);
}

void TcxCustomDataController::ClearSelectionAnchor() { FDataControllerInfo->Selection()->ClearAnchor(); }

int TcxCustomDataController::GetSelectionAnchorRowIndex() const {
  return FDataControllerInfo->Selection()->AnchorRowIndex();
}

void TcxCustomDataController::SetSelectionAnchor(int ARowIndex) {
  if (ARowIndex < 0 || ARowIndex >= GetRowCount()) editRowRangeError();
  FDataControllerInfo->Selection()->SetAnchorRowIndex(ARowIndex);
}

void TcxCustomDataController::SelectRows(int AStartRowIndex, int AEndRowIndex) {
  if (IsFocusedSelectedMode()) return;
  if (AStartRowIndex > AEndRowIndex) std::swap(AStartRowIndex, AEndRowIndex);
  UpdateScope update(*this);
  for (int row = AStartRowIndex; row <= AEndRowIndex; ++row) ChangeRowSelection(row, true);
}

void TcxCustomDataController::SelectAll() {
  if (GetRowCount() > 0) SelectRows(0, GetRowCount() - 1);
}

void TcxCustomDataController::SelectFromAnchor(int ARowIndex, bool AKeepSelection) {
  if (!IsSelectionAnchorExist()) return;
  UpdateScope update(*this);
  if (!AKeepSelection) ClearSelection();
  SelectRows(GetSelectionAnchorRowIndex(), ARowIndex);
}

void TcxCustomDataController::SyncSelectionFocusedRecord() {
  const int row = GetFocusedRowIndex();
  if (row == -1) {
    ClearSelection();
    return;
  }
  SetSelectionAnchor(row);
  SelectFromAnchor(row, false);
}

void TcxCustomDataController::SyncSelected(bool ASelected) {
  if (!IsFocusedSelectedMode() || ASelected == FFocusedSelected) return;
  FFocusedSelected = ASelected;
  const int row = GetFocusedRowIndex();
  if (row == -1) return;
  // The view repaints the focused row: it was (or now is) the one selected row.
  FPrevSelectionChangedInfo.SelectedCount = 1;
  FPrevSelectionChangedInfo.RowIndex = row;
  Change({dccSelection});
}

void TcxCustomDataController::CheckFocusedSelected() {
  if (IsFocusedSelectedMode()) return;
  UpdateScope update(*this);
  ClearSelection();
  if (GetFocusedRowIndex() != -1) ChangeRowSelection(GetFocusedRowIndex(), true);
}

void TcxCustomDataController::CheckSelectedCount(int ADeletedRecordIndex) {
  FDataControllerInfo->TruncateSelection();
  CheckBookmarkValid(ADeletedRecordIndex);
}

// --- saved keys --------------------------------------------------------------------------------------
void TcxCustomDataController::SaveKeys() {
  if (FSaveObjectLockCount++ != 0) return;
  BeginFullUpdate();
  FSaveObject = std::make_unique<TcxSaveObject>();
  FSaveObject->Save(this);
}

void TcxCustomDataController::RestoreKeys() {
  if (--FSaveObjectLockCount != 0) return;
  rtl::ScopeExit end([this] { EndFullUpdate(); });
  std::unique_ptr<TcxSaveObject> saved = std::move(FSaveObject);
  if (saved) saved->Restore(this);
}

}  // namespace data
