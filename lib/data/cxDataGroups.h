#pragma once
// The grouping interface a view calls: which items are grouped at which
// level, the groups of the grouped record list as a tree (children, levels,
// first records, values and texts), expansion by row and the records of a
// group. A data group index is a position in the record list's group list
// (pre-order: a group is followed by all its descendants).
#include <vector>

#include "lib/data/cxCustomData.h"
#include "platform/rtl/variant.h"

namespace data {

class TcxDataControllerGroups : public TObject {
  RTL_CLASS(TcxDataControllerGroups, TObject)

 public:
  explicit TcxDataControllerGroups(TcxCustomDataController* ADataController) : FDataController(ADataController) {}

  // Texts and values read the group's first record on its level's field;
  // an index outside the groups answers an empty text and Null.
  virtual rtl::String GetGroupDisplayText(int ADataGroupIndex) const;
  virtual rtl::Variant GetGroupValue(int ADataGroupIndex) const;
  virtual void ClearGrouping();
  virtual void FullCollapse();
  virtual void FullExpand();

  void ChangeExpanding(int ARowIndex, bool AExpanded, bool ARecursive);
  // Moves the item to that grouping level (-1 ungroups it).
  void ChangeGrouping(int AItemIndex, int AGroupIndex);
  // The row lies in the parent row's group (or is that row).
  bool HasAsParent(int ARowIndex, int AParentRowIndex) const;
  // Appends the record indexes of the group's records in row order.
  void LoadRecordIndexes(std::vector<int>& AList, int ADataGroupIndex) const;
  void LoadRecordIndexesByRowIndex(std::vector<int>& AList, int ARowIndex) const;
  int GetGroupRecordIndex(int ADataGroupIndex) const;
  // -1 gives the top-level groups; a deepest group's children are its records.
  int GetChildCount(int ADataGroupIndex) const;
  int GetChildDataGroupIndex(int AParentDataGroupIndex, int AChildIndex) const;
  int GetChildRecordIndex(int AParentDataGroupIndex, int AChildIndex) const;
  int GetChildRecordListIndex(int ADataGroupIndex, int AChildIndex) const;
  // The group of a row (a data row: its deepest group); -1 outside the rows
  // or without grouping.
  int GetDataGroupIndexByRowIndex(int ARowIndex) const;
  // The group at ALevel for the row: its ancestor (or itself), or, for a row
  // above that level, its first descendant there; -1 gives the row's group.
  int GetIndexByRowIndexLevel(int ARowIndex, int ALevel) const;
  // The group at ALevel that holds the record-list position; -1 when none.
  int FindByIndex(int ARecordListIndex, int ALevel) const;
  int GetFieldGroupIndex(TcxCustomDataField* AField) const;
  int GetGroupingItemCount() const;
  int GetGroupingItemIndex(int AGroupIndex) const;
  int GetItemGroupIndex(int AItemIndex) const;
  int GetLevel(int ADataGroupIndex) const;
  int GetParentDataGroupIndex(int ADataGroupIndex) const;
  // The last group of the group's descendants (the group itself without any).
  int GetLastDescendant(int ADataGroupIndex) const;
  int GetDataGroupCount() const;

  TcxCustomDataController* DataController() const { return FDataController; }
  TcxCustomDataControllerInfo* GetDataControllerInfo() const { return FDataController->DataControllerInfo(); }

 private:
  bool isGroup(int ADataGroupIndex) const;
  bool isDeepest(int ADataGroupIndex) const;

  TcxCustomDataController* FDataController;
};

}  // namespace data
