// Rows by record, the focus kept on its record across rebuilds, group
// expansion kept by group values, and the incremental search.
#include <algorithm>

#include "lib/data/cxCustomData.h"
#include "lib/data/cxCustomData_scopes.h"
#include "lib/data/cxDataLocate.h"
#include "lib/data/cxDataSelection.h"
#include "lib/data/cxDataStrs.h"
#include "lib/data/cxFilterLike.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/ustring.h"

namespace data {

namespace {
[[noreturn]] void focusRowIndexError() {
  TcxCustomDataController::InvalidOperation(core::cxGetResourceString(&cxSDataRowIndexError));
}
}  // namespace

// --- groups and rows -----------------------------------------------------------------------------
int TcxCustomDataControllerInfo::FindDataGroup(int ARecordListIndex) const {
  if (FDataGroups.empty() || ARecordListIndex < 0) return -1;
  // Pre-order puts the groups in order of their first position, a parent
  // before its first child: the last group starting at or before the
  // position is the deepest one that holds it.
  const auto it = std::upper_bound(
      FDataGroups.begin(), FDataGroups.end(), ARecordListIndex,
      [](int APosition, const TcxDataGroupInfo& AGroup) { return APosition < AGroup.BeginRecordListIndex; });
  if (it == FDataGroups.begin()) return -1;
  const int group = static_cast<int>(it - FDataGroups.begin()) - 1;
  return ARecordListIndex <= FDataGroups[static_cast<size_t>(group)].EndRecordListIndex ? group : -1;
}

void TcxCustomDataControllerInfo::rebuildGroupParents() {
  FGroupParents.assign(FDataGroups.size(), -1);
  std::vector<int> lastAt(FGroupingFieldList.size(), -1);
  for (size_t g = 0; g < FDataGroups.size(); ++g) {
    const size_t level = static_cast<size_t>(FDataGroups[g].Level);
    if (level >= lastAt.size()) continue;  // groups of a grouping list changed since
    if (level > 0) FGroupParents[g] = lastAt[level - 1];
    lastAt[level] = static_cast<int>(g);
  }
}

int TcxCustomDataControllerInfo::GetParentGroup(int AGroupIndex) const {
  if (AGroupIndex < 0 || static_cast<size_t>(AGroupIndex) >= FGroupParents.size()) return -1;
  return FGroupParents[static_cast<size_t>(AGroupIndex)];
}

int TcxCustomDataControllerInfo::GetGroupRowIndex(int AGroupIndex) const {
  if (AGroupIndex < 0 || static_cast<size_t>(AGroupIndex) >= FGroupRows.size()) return -1;
  return FGroupRows[static_cast<size_t>(AGroupIndex)];
}

void TcxCustomDataControllerInfo::showGroup(int AGroupIndex, bool AExpand) {
  bool changed = false;
  for (int g = AExpand ? AGroupIndex : GetParentGroup(AGroupIndex); g >= 0; g = GetParentGroup(g)) {
    TcxDataGroupInfo& group = FDataGroups[static_cast<size_t>(g)];
    if (!group.Expanded) {
      group.Expanded = true;
      changed = true;
    }
  }
  if (!changed) return;
  rebuildRows();
  // Reported, so that the view hears about the expansion; inside a rebuild
  // this only notes the change.
  Change({dcicExpanding});
}

int TcxCustomDataControllerInfo::LocateDetail(int AGroupIndex, int ARecordListIndex, bool AMakeVisible) {
  const TcxDataGroupInfo& group = FDataGroups.at(static_cast<size_t>(AGroupIndex));
  if (GetGroupRowIndex(AGroupIndex) < 0 || !group.Expanded) {
    if (!AMakeVisible) return -1;
    showGroup(AGroupIndex, true);
  }
  return GetGroupRowIndex(AGroupIndex) + (ARecordListIndex - group.BeginRecordListIndex) + 1;
}

int TcxCustomDataControllerInfo::LocateGroupByLevel(int AGroupIndex, int ALevel) {
  int g = AGroupIndex;
  for (;;) {
    const int parent = GetParentGroup(g);
    if (FDataGroups[static_cast<size_t>(g)].Level == ALevel || parent < 0 ||
        FDataGroups[static_cast<size_t>(parent)].BeginRecordListIndex !=
            FDataGroups[static_cast<size_t>(g)].BeginRecordListIndex)
      break;
    g = parent;
  }
  showGroup(g, false);
  return GetGroupRowIndex(g);
}

int TcxCustomDataControllerInfo::GetRowIndexByRecordIndex(int ARecordIndex, bool AMakeVisible) {
  const int position = GetFilteredIndexByRecordIndex(ARecordIndex);
  if (position < 0 || !IsGrouped()) return position;
  const int group = FindDataGroup(position);
  if (group < 0) return -1;
  return LocateDetail(group, position, AMakeVisible);
}

bool TcxCustomDataControllerInfo::IsAlwaysExpanded() const {
  return FDataController->GetGroupsAlwaysExpandedSetting();
}

// --- focus -----------------------------------------------------------------------------------------
void TcxCustomDataControllerInfo::focusRow(int ARowIndex) {
  const int rows = GetRowCount();
  if (ARowIndex >= rows) ARowIndex = rows - 1;
  const int record = ARowIndex >= 0 ? recordAtRow(ARowIndex) : -1;
  if (ARowIndex != FFocusingInfo.RowIndex) FChanges += dcicFocusedRow;
  if (record != FFocusingInfo.RecordIndex) FChanges += dcicFocusedRecord;
  FFocusingInfo.RowIndex = ARowIndex;
  FFocusingInfo.RecordIndex = record;
  FFocusedLevel = ARowIndex >= 0 ? GetRowInfo(ARowIndex).Level : -1;
}

int TcxCustomDataControllerInfo::nearestVisibleRow(int AGroupIndex, int APosition) {
  // The ancestors from the top down to the record's group.
  std::vector<int> chain;
  for (int g = AGroupIndex; g >= 0; g = GetParentGroup(g)) chain.push_back(g);
  std::reverse(chain.begin(), chain.end());
  const int levels = static_cast<int>(chain.size());
  int collapsed = levels;  // the level of the outermost collapsed group on the way
  for (int level = 0; level < levels; ++level)
    if (!FDataGroups[static_cast<size_t>(chain[static_cast<size_t>(level)])].Expanded) {
      collapsed = level;
      break;
    }
  const bool dataRow = FFocusedLevel < 0 || FFocusedLevel >= levels;
  const int wanted = std::min(dataRow ? levels : FFocusedLevel, collapsed);
  if (wanted == levels) return LocateDetail(AGroupIndex, APosition, false);
  return GetGroupRowIndex(chain[static_cast<size_t>(wanted)]);
}

int TcxCustomDataControllerInfo::FindFocusedRow(bool ANearest) {
  const int record = FFocusingInfo.RecordIndex;
  if (record == -1) return -1;
  const int position = GetFilteredIndexByRecordIndex(record);
  if (position < 0) return -1;
  if (!IsGrouped()) return position;
  const int group = FindDataGroup(position);
  if (group < 0) return -1;
  if (ANearest) return nearestVisibleRow(group, position);
  const int levels = static_cast<int>(FGroupingFieldList.size());
  const bool first = FDataGroups[static_cast<size_t>(group)].BeginRecordListIndex == position;
  if (FFocusedLevel == levels || !first) return LocateDetail(group, position, true);
  return LocateGroupByLevel(group, FFocusedLevel);
}

void TcxCustomDataControllerInfo::checkFocusing(bool AFocusTop) {
  if (AFocusTop) {
    if (GetSelectedCount() > 0) {
      FSelection->InternalClear();
      FChanges += dcicSelection;
    }
    FFocusingInfo.RowIndex = -1;
    FFocusingInfo.RecordIndex = -1;
    focusRow(GetRowCount() > 0 ? 0 : -1);
    return;
  }
  const int rows = GetRowCount();
  const int row = FFocusingInfo.RowIndex;
  const int record = FFocusingInfo.RecordIndex;
  const int found = FindFocusedRow(false);
  if (found != row && (row >= rows || (row >= 0 && recordAtRow(row) != record) || row < 0)) focusRow(found);
  else if (row >= 0) FFocusedLevel = GetRowInfo(row).Level;
  // A filter pass that took the focused record away focuses the first row.
  TcxCustomDataController& dc = *FDataController;
  if (dc.FFilterChangedFlag && FFocusingInfo.RowIndex < 0 && !dc.NewItemRowFocused()) {
    dc.FFilterChangedFlag = false;
    if (dc.Provider()->LocateCount() == 0 && rows > 0) focusRow(0);
  }
}

void TcxCustomDataControllerInfo::checkAfterCollapsing() {
  if (FFocusingInfo.RecordIndex == -1 || FDataController->NewItemRowFocused()) return;
  const int row = FindFocusedRow(true);
  if (row != FFocusingInfo.RowIndex || (row >= 0 && recordAtRow(row) != FFocusingInfo.RecordIndex)) focusRow(row);
}

void TcxCustomDataControllerInfo::ChangeExpandingByRow(int ARowIndex, bool AExpanded, bool ARecursive) {
  if (ARowIndex < 0 || ARowIndex >= GetRowCount()) focusRowIndexError();
  if (!IsGrouped() || IsAlwaysExpanded()) return;
  const TcxRowInfo info = GetRowInfo(ARowIndex);
  if (info.Level >= static_cast<int>(FGroupingFieldList.size())) return;  // a data row
  const int group = info.GroupIndex;
  const int level = FDataGroups[static_cast<size_t>(group)].Level;
  bool changed = false;
  for (int g = group; g < static_cast<int>(FDataGroups.size()); ++g) {
    TcxDataGroupInfo& entry = FDataGroups[static_cast<size_t>(g)];
    if (g != group && (!ARecursive || entry.Level <= level)) break;
    if (entry.Expanded != AExpanded) {
      entry.Expanded = AExpanded;
      changed = true;
    }
  }
  if (!changed) return;
  if (!AExpanded && FDataController->IsEditing() && FFocusingInfo.RecordIndex >= 0) FDataController->Post();
  rebuildRows();
  if (!AExpanded) checkAfterCollapsing();
  Change({dcicExpanding});
}

// --- expansion kept across a rebuild -----------------------------------------------------------------
bool TcxCustomDataControllerInfo::sameGroupingFields(const std::vector<TcxCustomDataField*>& AFields) const {
  if (AFields.size() != FGroupingFieldList.size()) return false;
  for (size_t i = 0; i < AFields.size(); ++i)
    if (AFields[i] != FGroupingFieldList[i].Field) return false;
  return true;
}

void TcxCustomDataControllerInfo::saveExpanding() {
  // Under the state lock the expansion saved first stays.
  if (FStateInfoLockCount > 0 && FExpansionSaved) return;
  // Only a rebuild that regroups loses the expansion; a focus or expansion
  // change costs no walk over the groups.
  if (!FChanges.contains(dcicLoad) && !FChanges.contains(dcicSorting) && !FChanges.contains(dcicGrouping)) return;
  FExpansionSaved = false;
  FSavedExpandedGroups.clear();
  FSavedExpandingFields.clear();
  if (!IsGrouped() || FDataGroups.empty() || !sameGroupingFields(FGroupsFields)) return;
  const bool reloadOrRegroup = FChanges.contains(dcicLoad) || FChanges.contains(dcicGrouping);
  if (reloadOrRegroup && !FDataController->GetSaveExpandingSetting()) return;
  const int count = FDataController->GetRecordCount();
  FSavedExpandingFields = FGroupsFields;
  FExpansionSaved = true;
  // Only shown groups count: one inside a collapsed parent is not saved.
  int hiddenBelow = -1;  // the level of a collapsed ancestor, -1 when none
  for (const TcxDataGroupInfo& group : FDataGroups) {
    if (hiddenBelow >= 0 && group.Level > hiddenBelow) continue;
    hiddenBelow = group.Expanded ? -1 : group.Level;
    if (!group.Expanded) continue;
    const int record = FRecordList[static_cast<size_t>(group.BeginRecordListIndex)];
    // The records may have gone since the groups were built.
    if (record < 0 || record >= count) continue;
    TcxCustomDataField* field = FGroupsFields[static_cast<size_t>(group.Level)];
    FSavedExpandedGroups.push_back(TSavedGroup{group.Level, FDataController->GetInternalValue(record, field)});
  }
}

void TcxCustomDataControllerInfo::restoreExpanding() {
  if (IsGrouped() && IsAlwaysExpanded())
    for (TcxDataGroupInfo& group : FDataGroups) group.Expanded = true;
  if (!FExpansionSaved) return;
  // Outside the state lock the saved expansion serves this rebuild only.
  if (FStateInfoLockCount == 0) FExpansionSaved = false;
  if (!IsGrouped() || FDataGroups.empty() || !sameGroupingFields(FSavedExpandingFields)) return;
  rebuildGroupParents();  // the groups are new: climbing needs their parents
  TcxDataControllerGroupLocateObject locate(FDataController);
  TcxValueDefUnboundReader reader;
  for (const TSavedGroup& saved : FSavedExpandedGroups) {
    // The reader keeps the ancestors' values; this item's value follows.
    reader.Truncate(saved.Level);
    reader.SetValue(FSavedExpandingFields[static_cast<size_t>(saved.Level)]->GetValueDef(), saved.Value);
    locate.SetLevel(saved.Level);
    locate.ReadData(&reader);
    const int record = locate.FindRecordIndex();
    if (record < 0) continue;
    int group = FindDataGroup(GetFilteredIndexByRecordIndex(record));
    while (group >= 0 && FDataGroups[static_cast<size_t>(group)].Level > saved.Level) group = GetParentGroup(group);
    if (group >= 0) FDataGroups[static_cast<size_t>(group)].Expanded = true;
  }
}

// --- the controller's side ---------------------------------------------------------------------------
int TcxCustomDataController::GetRowIndexByRecordIndex(int ARecordIndex, bool AMakeVisible) {
  CheckRecordRange(ARecordIndex);
  return FDataControllerInfo->GetRowIndexByRecordIndex(ARecordIndex, AMakeVisible);
}

int TcxCustomDataController::GetFocusedDataRowIndex() const {
  const int row = GetFocusedRowIndex();
  return row >= 0 ? GetRowInfo(row).DataRowIndex : -1;
}

int TcxCustomDataController::GetRecordIndex() const {
  if (FProvider->IsDataSource() && FProvider->IsSyncMode()) return FProvider->GetRecordIndex();
  return GetFocusedRecordIndex();
}

bool TcxCustomDataController::ChangeFocusedRowIndex(int ARowIndex) {
  const int focusedRow = GetFocusedRowIndex();
  const int focusedRecord = GetFocusedRecordIndex();
  const bool otherRow = ARowIndex != focusedRow;
  // A detail moves only once its masters have posted their edits; a post
  // that freed this controller stops the move here.
  if (otherRow && FProvider->IsSyncMode() && !FProvider->IsInserting() && !CheckMasterBrowseMode()) return false;
  if (otherRow) CheckDetailsBrowseMode();
  if (!CanFocusedRowChanging(ARowIndex)) return false;
  FDataControllerInfo->ChangeFocusedRowIndex(ARowIndex);
  if (GetFocusedRowIndex() != focusedRow || GetFocusedRecordIndex() != focusedRecord) CheckDataSetCurrent();
  if (!otherRow) return true;
  // Details that follow their master show a focused row of the record the
  // master moved to.
  const int record = GetFocusedRecordIndex();
  if (FProvider->IsSyncMode() && SyncDetailsFocusWithMaster() && record >= 0) {
    rtl::ScopedValue<bool> focusing(FInFocusDetails, true);
    FocusDetails(record);
  }
  return true;
}

void TcxCustomDataController::CheckFocusedRow() {
  if (GetFocusedRowIndex() == -1 && !NewItemRowFocused() && GetRowCount() > 0) ChangeFocusedRowIndex(0);
}

void TcxCustomDataController::ChangeExpanding(int ARowIndex, bool AExpanded, bool ARecursive) {
  UpdateScope update(*this);
  FDataControllerInfo->ChangeExpandingByRow(ARowIndex, AExpanded, ARecursive);
}

void TcxCustomDataController::FullExpand() {
  if (!FDataControllerInfo->IsGrouped() || FDataControllerInfo->IsAlwaysExpanded()) return;
  UpdateScope update(*this);
  FDataControllerInfo->FullExpand();
}

void TcxCustomDataController::FullCollapse() {
  if (!FDataControllerInfo->IsGrouped() || FDataControllerInfo->IsAlwaysExpanded()) return;
  UpdateScope update(*this);
  if (IsEditing()) Post();
  FDataControllerInfo->FullCollapse();
}

// --- incremental search ---------------------------------------------------------------------------
TcxDataControllerSearch* TcxCustomDataController::Search() {
  if (!FSearch) FSearch = std::make_unique<TcxDataControllerSearch>(this);
  return FSearch.get();
}

rtl::String TcxCustomDataController::GetIncrementalSearchText(int ARecordIndex, int AItemIndex) {
  return GetDisplayText(ARecordIndex, AItemIndex);
}

void TcxCustomDataController::CancelIncrementalSearch() {
  if (!FIncrementalSearching) return;
  FIncrementalSearchText.clear();
  FIncrementalSearching = false;
  Change({dccSearch});
}

int TcxCustomDataController::FindRecordIndexByText(int AStartRecordIndex, int AItemIndex, const rtl::String& AText,
                                                   bool APartialCompare, bool ACircular, bool AForward) {
  TcxCustomDataField* field = GetItemField(AItemIndex);
  const int count = FDataControllerInfo->GetFilteredRecordCount();
  if (AStartRecordIndex < 0 || AStartRecordIndex >= count) return -1;
  const rtl::String text = rtl::AnsiUpperCase(AText);
  auto scan = [&](int AFrom, int ATo) {  // inclusive, in the search direction
    const int step = AForward ? 1 : -1;
    for (int position = AFrom; AForward ? position <= ATo : position >= ATo; position += step) {
      const int record = FDataControllerInfo->GetFilteredRecordIndex(position);
      if (DataCompareText(rtl::AnsiUpperCase(GetInternalDisplayText(record, field)), text, APartialCompare, false))
        return record;
    }
    return -1;
  };
  int record = AForward ? scan(AStartRecordIndex, count - 1) : scan(AStartRecordIndex, 0);
  // The part before the start, in the same direction, when asked to wrap.
  if (record < 0 && ACircular) {
    if (AForward && AStartRecordIndex > 0) record = scan(0, AStartRecordIndex - 1);
    if (!AForward && AStartRecordIndex < count - 1) record = scan(count - 1, AStartRecordIndex + 1);
  }
  return record;
}

int TcxDataControllerSearch::ItemIndex() const {
  TcxCustomDataField* field = FDataController->FIncrementalSearchField;
  return field != nullptr ? field->GetIndex() : -1;
}

void TcxDataControllerSearch::SetItemIndex(int AValue) {
  if (AValue == -1) {
    FDataController->FIncrementalSearchField = nullptr;
    return;
  }
  FDataController->FIncrementalSearchField = FDataController->GetItemField(AValue);
}

bool TcxDataControllerSearch::Searching() const { return FDataController->FIncrementalSearching; }

rtl::String TcxDataControllerSearch::SearchText() const { return FDataController->FIncrementalSearchText; }

void TcxDataControllerSearch::Cancel() {
  if (!FLocked) FDataController->CancelIncrementalSearch();
}

int TcxDataControllerSearch::DoSearch(int AStart, int AEnd, bool AIsAnywhere, bool AForward, const rtl::String& AText) {
  TcxCustomDataControllerInfo& info = *FDataController->DataControllerInfo();
  const int count = info.GetFilteredRecordCount();
  if (count == 0 || ItemIndex() < 0) return -1;
  if (AEnd == -1) AEnd = AForward ? count - 1 : 0;
  AStart = std::clamp(AStart, 0, count - 1);
  AEnd = std::clamp(AEnd, 0, count - 1);
  const rtl::String text = rtl::AnsiUpperCase(AText);
  const int item = ItemIndex();
  const int step = AForward ? 1 : -1;
  for (int position = AStart; AForward ? position <= AEnd : position >= AEnd; position += step) {
    const int record = info.GetFilteredRecordIndex(position);
    const rtl::String recordText = rtl::AnsiUpperCase(FDataController->GetIncrementalSearchText(record, item));
    if (DataCompareText(recordText, text, true, AIsAnywhere)) return position;
  }
  return -1;
}

void TcxDataControllerSearch::DoFocusedRecord(int APosition) {
  Lock();
  rtl::ScopeExit unlock([this] { Unlock(); });
  FDataController->ChangeFocusedRecordIndex(FDataController->DataControllerInfo()->GetFilteredRecordIndex(APosition));
}

void TcxDataControllerSearch::found(int APosition, const rtl::String& AText) {
  if (APosition >= 0) DoFocusedRecord(APosition);
  FDataController->FIncrementalSearching = true;
  FDataController->FIncrementalSearchText = AText;
  FDataController->Change({dccSearch});
  // The search leaves one row selected: the one it found.
  if (FDataController->MultiSelect()) {
    const int row = FDataController->GetFocusedRowIndex();
    FDataController->ClearSelection();
    if (row >= 0) FDataController->ChangeRowSelection(row, true);
  }
}

bool TcxDataControllerSearch::Locate(int AItemIndex, const rtl::String& AText, bool AIsAnywhere) {
  TcxCustomDataControllerInfo& info = *FDataController->DataControllerInfo();
  if (AText.empty() || info.GetFilteredRecordCount() == 0) return false;
  SetItemIndex(AItemIndex);
  if (FDataController->IsGridMode()) {
    if (!FDataController->DoSearchInGridMode(AText, true, false)) return false;
    found(-1, AText);
    return true;
  }
  const int focused = FDataController->GetFocusedRecordIndex();
  const int start = std::max(0, focused >= 0 ? info.GetFilteredIndexByRecordIndex(focused) : 0);
  int position = DoSearch(start, -1, AIsAnywhere, true, AText);
  if (position < 0 && start > 0) position = DoSearch(0, start - 1, AIsAnywhere, true, AText);
  if (position < 0) return false;
  found(position, AText);
  return true;
}

bool TcxDataControllerSearch::LocateNext(bool AForward, bool AIsAnywhere) {
  TcxCustomDataControllerInfo& info = *FDataController->DataControllerInfo();
  const rtl::String text = SearchText();
  if (!Searching() || text.empty() || ItemIndex() < 0 || info.GetFilteredRecordCount() == 0) return false;
  if (FDataController->IsGridMode()) {
    if (!FDataController->DoSearchInGridMode(text, AForward, true)) return false;
    found(-1, text);
    return true;
  }
  const int focused = FDataController->GetFocusedRecordIndex();
  if (focused == -1) return false;
  const int current = info.GetFilteredIndexByRecordIndex(focused);
  if (current < 0) return false;
  const int start = AForward ? current + 1 : current - 1;
  if (start < 0 || start >= info.GetFilteredRecordCount()) return false;
  const int position = DoSearch(start, -1, AIsAnywhere, AForward, text);
  if (position < 0) return false;
  found(position, text);
  return true;
}

}  // namespace data
