// The grouping interface over the record list's groups. Every group, at any
// level, covers a contiguous range of record-list positions, so the records of
// a group are one slice of the list and a group's descendants are the groups
// that follow it at deeper levels.
#include "lib/data/cxDataGroups.h"

#include "lib/data/cxCustomData_scopes.h"

namespace data {

using rtl::String;
using rtl::Variant;

void TcxDataSummaryDeleter::operator()(TcxDataControllerGroups* AObject) const { delete AObject; }

TcxDataControllerGroups* TcxCustomDataController::Groups() {
  if (!FGroups) FGroups.reset(new TcxDataControllerGroups(this));
  return FGroups.get();
}

// --- the tree ------------------------------------------------------------------------------------
int TcxDataControllerGroups::GetDataGroupCount() const { return GetDataControllerInfo()->GetDataGroupCount(); }

bool TcxDataControllerGroups::isGroup(int ADataGroupIndex) const {
  return ADataGroupIndex >= 0 && ADataGroupIndex < GetDataGroupCount();
}

bool TcxDataControllerGroups::isDeepest(int ADataGroupIndex) const {
  return GetDataControllerInfo()->GetDataGroup(ADataGroupIndex).Level == GetGroupingItemCount() - 1;
}

int TcxDataControllerGroups::GetLevel(int ADataGroupIndex) const {
  return isGroup(ADataGroupIndex) ? GetDataControllerInfo()->GetDataGroup(ADataGroupIndex).Level : -1;
}

int TcxDataControllerGroups::GetLastDescendant(int ADataGroupIndex) const {
  const TcxCustomDataControllerInfo& info = *GetDataControllerInfo();
  const int level = info.GetDataGroup(ADataGroupIndex).Level;
  const int count = info.GetDataGroupCount();
  int last = ADataGroupIndex;
  while (last + 1 < count && info.GetDataGroup(last + 1).Level > level) ++last;
  return last;
}

int TcxDataControllerGroups::GetParentDataGroupIndex(int ADataGroupIndex) const {
  if (!isGroup(ADataGroupIndex)) return -1;
  const TcxCustomDataControllerInfo& info = *GetDataControllerInfo();
  const int level = info.GetDataGroup(ADataGroupIndex).Level;
  for (int i = ADataGroupIndex - 1; i >= 0; --i)
    if (info.GetDataGroup(i).Level < level) return i;
  return -1;
}

int TcxDataControllerGroups::GetChildCount(int ADataGroupIndex) const {
  const TcxCustomDataControllerInfo& info = *GetDataControllerInfo();
  if (ADataGroupIndex == -1) return info.GetTopLevelGroupCount();
  if (!isGroup(ADataGroupIndex)) return 0;
  const TcxDataGroupInfo& group = info.GetDataGroup(ADataGroupIndex);
  if (isDeepest(ADataGroupIndex)) return group.EndRecordListIndex - group.BeginRecordListIndex + 1;
  int children = 0;
  for (int i = ADataGroupIndex + 1, last = GetLastDescendant(ADataGroupIndex); i <= last; ++i)
    children += info.GetDataGroup(i).Level == group.Level + 1;
  return children;
}

int TcxDataControllerGroups::GetChildDataGroupIndex(int AParentDataGroupIndex, int AChildIndex) const {
  const TcxCustomDataControllerInfo& info = *GetDataControllerInfo();
  if (AChildIndex < 0) return -1;
  int first, last, level;
  if (AParentDataGroupIndex == -1) {
    first = 0;
    last = info.GetDataGroupCount() - 1;
    level = 0;
  } else {
    if (!isGroup(AParentDataGroupIndex) || isDeepest(AParentDataGroupIndex)) return -1;
    first = AParentDataGroupIndex + 1;
    last = GetLastDescendant(AParentDataGroupIndex);
    level = info.GetDataGroup(AParentDataGroupIndex).Level + 1;
  }
  for (int i = first; i <= last; ++i) {
    if (info.GetDataGroup(i).Level != level) continue;
    if (AChildIndex-- == 0) return i;
  }
  return -1;
}

int TcxDataControllerGroups::GetChildRecordListIndex(int ADataGroupIndex, int AChildIndex) const {
  if (!isGroup(ADataGroupIndex) || !isDeepest(ADataGroupIndex)) return -1;
  const TcxDataGroupInfo& group = GetDataControllerInfo()->GetDataGroup(ADataGroupIndex);
  if (AChildIndex < 0 || AChildIndex > group.EndRecordListIndex - group.BeginRecordListIndex) return -1;
  return group.BeginRecordListIndex + AChildIndex;
}

int TcxDataControllerGroups::GetChildRecordIndex(int AParentDataGroupIndex, int AChildIndex) const {
  const int position = GetChildRecordListIndex(AParentDataGroupIndex, AChildIndex);
  return position < 0 ? -1 : GetDataControllerInfo()->GetInternalRecordIndex(position);
}

int TcxDataControllerGroups::GetGroupRecordIndex(int ADataGroupIndex) const {
  if (!isGroup(ADataGroupIndex)) return -1;
  const TcxCustomDataControllerInfo& info = *GetDataControllerInfo();
  return info.GetInternalRecordIndex(info.GetDataGroup(ADataGroupIndex).BeginRecordListIndex);
}

void TcxDataControllerGroups::LoadRecordIndexes(std::vector<int>& AList, int ADataGroupIndex) const {
  if (!isGroup(ADataGroupIndex)) return;
  const TcxCustomDataControllerInfo& info = *GetDataControllerInfo();
  const TcxDataGroupInfo& group = info.GetDataGroup(ADataGroupIndex);
  for (int i = group.BeginRecordListIndex; i <= group.EndRecordListIndex; ++i)
    AList.push_back(info.GetInternalRecordIndex(i));
}

void TcxDataControllerGroups::LoadRecordIndexesByRowIndex(std::vector<int>& AList, int ARowIndex) const {
  LoadRecordIndexes(AList, GetDataGroupIndexByRowIndex(ARowIndex));
}

// --- rows ------------------------------------------------------------------------------------------
int TcxDataControllerGroups::GetDataGroupIndexByRowIndex(int ARowIndex) const {
  const TcxCustomDataControllerInfo& info = *GetDataControllerInfo();
  if (!info.IsGrouped() || ARowIndex < 0 || ARowIndex >= info.GetRowCount()) return -1;
  return info.GetRowInfo(ARowIndex).GroupIndex;
}

int TcxDataControllerGroups::GetIndexByRowIndexLevel(int ARowIndex, int ALevel) const {
  int index = GetDataGroupIndexByRowIndex(ARowIndex);
  if (index == -1 || ALevel == -1) return index;
  const TcxCustomDataControllerInfo& info = *GetDataControllerInfo();
  if (info.GetDataGroup(index).Level < ALevel) {
    // A group row above the level: its first descendant there.
    for (int last = GetLastDescendant(index); index <= last; ++index)
      if (info.GetDataGroup(index).Level == ALevel) return index;
    return -1;
  }
  for (; index >= 0; --index)
    if (info.GetDataGroup(index).Level == ALevel) return index;
  return -1;
}

int TcxDataControllerGroups::FindByIndex(int ARecordListIndex, int ALevel) const {
  const TcxCustomDataControllerInfo& info = *GetDataControllerInfo();
  for (int i = 0, n = info.GetDataGroupCount(); i < n; ++i) {
    const TcxDataGroupInfo& group = info.GetDataGroup(i);
    if (group.Level != ALevel) continue;
    if (ARecordListIndex >= group.BeginRecordListIndex && ARecordListIndex <= group.EndRecordListIndex) return i;
  }
  return -1;
}

bool TcxDataControllerGroups::HasAsParent(int ARowIndex, int AParentRowIndex) const {
  const int group = GetDataGroupIndexByRowIndex(ARowIndex);
  const int parent = GetDataGroupIndexByRowIndex(AParentRowIndex);
  if (group == -1 || parent == -1) return false;
  if (group == parent) return true;
  // A data row shares its deepest group with that group's row; any other
  // row of the parent's group must be a group row of a deeper level.
  const TcxCustomDataControllerInfo& info = *GetDataControllerInfo();
  if (info.GetDataGroup(parent).Level >= info.GetDataGroup(group).Level) return false;
  return group > parent && group <= GetLastDescendant(parent);
}

// --- values ------------------------------------------------------------------------------------------
String TcxDataControllerGroups::GetGroupDisplayText(int ADataGroupIndex) const {
  const int level = GetLevel(ADataGroupIndex);
  const int record = GetGroupRecordIndex(ADataGroupIndex);
  if (level < 0 || record < 0) return String();
  TcxCustomDataField* field = GetDataControllerInfo()->GroupingFieldList().at(static_cast<size_t>(level)).Field;
  return FDataController->GetInternalDisplayText(record, field);
}

Variant TcxDataControllerGroups::GetGroupValue(int ADataGroupIndex) const {
  const int level = GetLevel(ADataGroupIndex);
  const int record = GetGroupRecordIndex(ADataGroupIndex);
  if (level < 0 || record < 0) return rtl::Null();
  TcxCustomDataField* field = GetDataControllerInfo()->GroupingFieldList().at(static_cast<size_t>(level)).Field;
  return GetDataControllerInfo()->GetComparedValue(record, field);
}

// --- grouping items ----------------------------------------------------------------------------------
int TcxDataControllerGroups::GetGroupingItemCount() const {
  return static_cast<int>(GetDataControllerInfo()->GroupingFieldList().size());
}

int TcxDataControllerGroups::GetGroupingItemIndex(int AGroupIndex) const {
  const TcxSortingFieldList& list = GetDataControllerInfo()->GroupingFieldList();
  if (AGroupIndex < 0 || static_cast<size_t>(AGroupIndex) >= list.size()) return -1;
  return list[static_cast<size_t>(AGroupIndex)].Field->GetIndex();
}

int TcxDataControllerGroups::GetFieldGroupIndex(TcxCustomDataField* AField) const {
  return GetDataControllerInfo()->GetFieldGroupIndex(AField);
}

int TcxDataControllerGroups::GetItemGroupIndex(int AItemIndex) const {
  FDataController->CheckItemRange(AItemIndex);
  return GetFieldGroupIndex(FDataController->GetItemField(AItemIndex));
}

void TcxDataControllerGroups::ChangeGrouping(int AItemIndex, int AGroupIndex) {
  FDataController->CheckItemRange(AItemIndex);
  TcxCustomDataField* field = FDataController->GetItemField(AItemIndex);
  if (GetFieldGroupIndex(field) == AGroupIndex) return;
  UpdateScope update(*FDataController);
  FDataController->BeforeSorting();  // a pending edit is posted before the records move
  GetDataControllerInfo()->ChangeGrouping(field, AGroupIndex);
}

void TcxDataControllerGroups::ClearGrouping() {
  if (GetGroupingItemCount() == 0) return;
  UpdateScope update(*FDataController);
  FDataController->BeforeSorting();
  GetDataControllerInfo()->ClearGrouping();
}

// --- expansion ---------------------------------------------------------------------------------------
// The controller's own expansion entry points keep focus and the
// always-expanded option in step.
void TcxDataControllerGroups::FullCollapse() { FDataController->FullCollapse(); }
void TcxDataControllerGroups::FullExpand() { FDataController->FullExpand(); }

void TcxDataControllerGroups::ChangeExpanding(int ARowIndex, bool AExpanded, bool ARecursive) {
  FDataController->ChangeExpanding(ARowIndex, AExpanded, ARecursive);
}

}  // namespace data
