#pragma once
// The selection of a dataset-bound controller in grid mode. The controller
// holds only a window of records, so the selected records are kept as
// dataset bookmarks, ascending in the dataset's bookmark order without
// repeats: item i of the base selection stands for bookmark i. Outside grid
// mode it is the base selection.
#include "lib/data/cxDBData.h"
#include "lib/data/cxDataSelection.h"
#include "platform/db/dbtypes.h"

namespace data {

class TcxDBDataSelection : public TcxDataSelection {
  RTL_CLASS(TcxDBDataSelection, TcxDataSelection)

 public:
  // Made while the controller is still being constructed (by its record list), so it takes the base type.
  explicit TcxDBDataSelection(TcxCustomDataController* ADataController);

  void ClearAnchor() override;
  void InternalAdd(int AIndex, int ARowIndex, int ALevel, int ARecordIndex) override;
  void InternalClear() override;
  void InternalDelete(int AIndex) override;

  // The bookmark of a buffer row of the window (empty outside grid mode).
  virtual db::TBookmark GetRowBookmark(int ARowIndex) const;
  // Grid mode: whether the row's record is selected, with its position or
  // the position it would take; otherwise the base search by row.
  bool FindByRowIndex(int ARowIndex, int& AIndex) const override;
  // Binary search in the dataset's order.
  bool FindBookmark(const db::TBookmark& ABookmark, int& AIndex) const;
  virtual int CompareBookmarks(const db::TBookmark& A, const db::TBookmark& B) const;
  // Makes the base item count follow the bookmark count.
  void SyncCount();
  // Every record of the dataset that the controller lets be selected.
  void SelectAll();
  // The records from the anchor to ABookmark, merged into the selection with
  // AKeepSelection. A range that grew or shrank by one record at its moving
  // end costs a few comparisons, not a walk.
  void SelectFromAnchor(const db::TBookmark& ABookmark, bool AKeepSelection);
  // Drops the bookmarks (and the anchor) the dataset no longer accepts;
  // answers whether any was dropped.
  bool RefreshBookmarks();

  const TcxBookmarkList& Bookmarks() const { return FBookmarks; }
  const db::TBookmark& AnchorBookmark() const { return FAnchorBookmark; }
  void SetAnchorBookmark(const db::TBookmark& AValue) { FAnchorBookmark = AValue; }

 private:
  TcxDBDataController* controller() const;
  bool isGridMode() const;
  bool canSelectCurrent() const;
  void appendIfAllowed(db::TDataSet* ADataSet);
  void insertIfAllowed(int AIndex, db::TDataSet* ADataSet);
  bool tryOneStep(db::TDataSet* ADataSet, const db::TBookmark& AFirst, const db::TBookmark& ALast, bool ADownward);
  void loadRange(db::TDataSet* ADataSet, const db::TBookmark& AFirst, const db::TBookmark& ALast,
                 bool AKeepSelection);
  // Freeze, SavePos ... RestorePos, Unfreeze and the notifications, also on failure;
  // a failure inside AWalk empties the selection first.
  template <class Walk>
  void walkDataSet(Walk&& AWalk);

  db::TBookmark FAnchorBookmark;
  TcxBookmarkList FBookmarks;
  bool FInSelectAll = false;
};

}  // namespace data
