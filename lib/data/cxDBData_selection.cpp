// The grid-mode selection by bookmarks, and the dataset-bound controller's
// selection operations over it.
#include <utility>
#include <vector>

#include "lib/data/cxDBDataSelection.h"
#include "lib/data/cxDataStrs.h"
#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/variant.h"

namespace data {

TcxDBDataSelection::TcxDBDataSelection(TcxCustomDataController* ADataController) : TcxDataSelection(ADataController) {}

TcxDBDataController* TcxDBDataSelection::controller() const {
  return static_cast<TcxDBDataController*>(DataController());
}

bool TcxDBDataSelection::isGridMode() const { return controller()->IsGridMode(); }

void TcxDBDataSelection::ClearAnchor() {
  TcxDataSelection::ClearAnchor();
  FAnchorBookmark.clear();
}

void TcxDBDataSelection::InternalAdd(int AIndex, int ARowIndex, int ALevel, int ARecordIndex) {
  TcxDataSelection::InternalAdd(AIndex, ARowIndex, ALevel, ARecordIndex);
  if (!isGridMode() || FInSelectAll) return;
  FBookmarks.Insert(AIndex == -1 ? FBookmarks.Count() : AIndex, GetRowBookmark(ARowIndex));
}

void TcxDBDataSelection::InternalDelete(int AIndex) {
  TcxDataSelection::InternalDelete(AIndex);
  if (!isGridMode() || FInSelectAll) return;
  if (!FAnchorBookmark.empty() && CompareBookmarks(FBookmarks.Items(AIndex), FAnchorBookmark) == 0) ClearAnchor();
  FBookmarks.Delete(AIndex);
}

void TcxDBDataSelection::InternalClear() {
  TcxDataSelection::InternalClear();
  FBookmarks.Clear();
}

db::TBookmark TcxDBDataSelection::GetRowBookmark(int ARowIndex) const {
  if (!isGridMode()) return {};
  TcxDBDataLink* link = controller()->Provider()->DataLink();
  const int saved = link->ActiveRecord();
  rtl::ScopeExit restore([link, saved] { link->SetActiveRecord(saved); });
  link->SetActiveRecord(ARowIndex);
  return link->DataSet()->GetBookmark();
}

bool TcxDBDataSelection::FindByRowIndex(int ARowIndex, int& AIndex) const {
  if (!isGridMode()) return TcxDataSelection::FindByRowIndex(ARowIndex, AIndex);
  return FindBookmark(GetRowBookmark(ARowIndex), AIndex);
}

int TcxDBDataSelection::CompareBookmarks(const db::TBookmark& A, const db::TBookmark& B) const {
  return controller()->Provider()->CompareBookmarks(A, B);
}

bool TcxDBDataSelection::FindBookmark(const db::TBookmark& ABookmark, int& AIndex) const {
  int low = 0;
  int high = FBookmarks.Count() - 1;
  while (low <= high) {
    const int middle = low + (high - low) / 2;
    const int compare = CompareBookmarks(FBookmarks.Items(middle), ABookmark);
    if (compare == 0) {
      AIndex = middle;
      return true;
    }
    if (compare < 0)
      low = middle + 1;
    else
      high = middle - 1;
  }
  AIndex = low;
  return false;
}

void TcxDBDataSelection::SyncCount() {
  rtl::ScopedValue<bool> inSelectAll(FInSelectAll, true);
  SetInternalCount(FBookmarks.Count());
}

bool TcxDBDataSelection::canSelectCurrent() const { return controller()->CanSelectRow(-1); }

void TcxDBDataSelection::appendIfAllowed(db::TDataSet* ADataSet) {
  if (canSelectCurrent()) FBookmarks.Insert(FBookmarks.Count(), ADataSet->GetBookmark());
}

void TcxDBDataSelection::insertIfAllowed(int AIndex, db::TDataSet* ADataSet) {
  if (canSelectCurrent()) FBookmarks.Insert(AIndex, ADataSet->GetBookmark());
}

template <class Walk>
void TcxDBDataSelection::walkDataSet(Walk&& AWalk) {
  TcxDBDataController* c = controller();
  TcxDBDataProvider* provider = c->Provider();
  provider->Freeze();
  provider->SavePos();
  rtl::ScopeExit finish([this, c, provider] {
    provider->RestorePos();
    provider->Unfreeze();
    Changed();
    c->CheckChanges();
    c->SyncMasterPos();
  });
  {
    // A walk that fails leaves no half-made selection behind.
    rtl::ScopeExit failed([this] {
      FBookmarks.Clear();
      SyncCount();
    });
    AWalk(provider->GetDataSet());
    failed.Release();
  }
  SyncCount();
}

void TcxDBDataSelection::SelectAll() {
  if (!isGridMode() || controller()->DataSet() == nullptr) return;
  walkDataSet([this](db::TDataSet* ADataSet) {
    ADataSet->First();
    InternalClear();
    while (!ADataSet->Eof()) {
      appendIfAllowed(ADataSet);
      ADataSet->Next();
    }
  });
}

bool TcxDBDataSelection::tryOneStep(db::TDataSet* ADataSet, const db::TBookmark& AFirst, const db::TBookmark& ALast,
                                    bool ADownward) {
  const int n = FBookmarks.Count();
  auto same = [this](const db::TBookmark& A, const db::TBookmark& B) { return CompareBookmarks(A, B) == 0; };
  if (same(AFirst, ALast)) {
    FBookmarks.Clear();
    ADataSet->GotoBookmark(AFirst);
    appendIfAllowed(ADataSet);
    return true;
  }
  if (ADownward) {
    if (n > 1 && same(FBookmarks.Items(n - 2), ALast)) {
      if (!same(FBookmarks.Items(0), AFirst)) return false;
      FBookmarks.Delete(n - 1);  // the range shrank by its last record
      return true;
    }
    ADataSet->GotoBookmark(ALast);
    ADataSet->Prior();
    if (!same(ADataSet->GetBookmark(), FBookmarks.Items(n - 1)) || !same(FBookmarks.Items(0), AFirst)) return false;
    ADataSet->GotoBookmark(ALast);
    appendIfAllowed(ADataSet);
    return true;
  }
  if (n > 1 && same(FBookmarks.Items(1), AFirst)) {
    if (!same(FBookmarks.Items(n - 1), ALast)) return false;
    FBookmarks.Delete(0);  // the range shrank by its first record
    return true;
  }
  ADataSet->GotoBookmark(AFirst);
  ADataSet->Next();
  if (!same(ADataSet->GetBookmark(), FBookmarks.Items(0)) || !same(FBookmarks.Items(n - 1), ALast)) return false;
  ADataSet->GotoBookmark(AFirst);
  insertIfAllowed(0, ADataSet);
  return true;
}

void TcxDBDataSelection::loadRange(db::TDataSet* ADataSet, const db::TBookmark& AFirst, const db::TBookmark& ALast,
                                   bool AKeepSelection) {
  if (!AKeepSelection) FBookmarks.Clear();
  int i = 0;
  int j = 0;
  bool merging = FBookmarks.Count() > 0;
  if (merging) {
    FindBookmark(AFirst, i);
    FindBookmark(ALast, j);
    merging = i != FBookmarks.Count();
  }
  ADataSet->GotoBookmark(AFirst);
  while (!ADataSet->Eof()) {
    const db::TBookmark current = ADataSet->GetBookmark();
    bool placed = false;
    if (merging) {
      for (int k = i; k <= j && k < FBookmarks.Count(); ++k) {
        const int compare = CompareBookmarks(FBookmarks.Items(k), current);
        if (compare > 0) {
          if (canSelectCurrent()) {
            FBookmarks.Insert(k, current);
            i = k + 1;
            ++j;
          }
          placed = true;
          break;
        }
        if (compare == 0) {
          i = k + 1;
          placed = true;
          break;
        }
      }
    }
    if (!placed) appendIfAllowed(ADataSet);
    if (CompareBookmarks(current, ALast) == 0) break;
    ADataSet->Next();
  }
}

void TcxDBDataSelection::SelectFromAnchor(const db::TBookmark& ABookmark, bool AKeepSelection) {
  db::TDataSet* dataSet = controller()->DataSet();
  if (!isGridMode() || dataSet == nullptr) return;
  if (dataSet->State() == db::dsInsert && dataSet->Eof()) return;
  walkDataSet([this, &ABookmark, AKeepSelection](db::TDataSet* ADataSet) {
    const bool downward = CompareBookmarks(FAnchorBookmark, ABookmark) < 0;
    const db::TBookmark first = downward ? FAnchorBookmark : ABookmark;
    const db::TBookmark last = downward ? ABookmark : FAnchorBookmark;
    if (!AKeepSelection && FBookmarks.Count() > 0 && tryOneStep(ADataSet, first, last, downward)) return;
    loadRange(ADataSet, first, last, AKeepSelection);
  });
}

bool TcxDBDataSelection::RefreshBookmarks() {
  db::TDataSet* dataSet = controller()->DataSet();
  if (!isGridMode() || dataSet == nullptr) return false;
  bool removed = false;
  if (!FAnchorBookmark.empty() && !dataSet->BookmarkValid(FAnchorBookmark)) ClearAnchor();
  for (int i = Count() - 1; i >= 0; --i) {
    const db::TBookmark& bookmark = FBookmarks.Items(i);
    if (bookmark.empty() || !dataSet->BookmarkValid(bookmark)) {
      Delete(i);
      removed = true;
    }
  }
  return removed;
}

// --- the provider's part -----------------------------------------------------------------------------
std::unique_ptr<TcxDataSelection> TcxDBDataProvider::CreateDataSelection() {
  return std::make_unique<TcxDBDataSelection>(FDataController);
}

void TcxDBDataProvider::DeleteSelection() {
  db::TDataSet* ds = GetDataSet();
  if (!IsGridMode() || ds == nullptr) {
    TcxCustomDataProvider::DeleteSelection();
    return;
  }
  TcxDBDataSelection* selection = GetDataController()->DBSelection();
  ds->DisableControls();
  rtl::ScopeExit enable([ds] { ds->EnableControls(); });
  // Last first: the bookmarks before the one deleted keep their places.
  for (int i = selection->Count() - 1; i >= 0; --i) {
    ds->GotoBookmark(selection->Bookmarks().Items(i));
    ds->Delete();
    selection->Delete(i);
  }
}

// --- the controller's selection operations -------------------------------------------------------------
TcxDBDataSelection* TcxDBDataController::DBSelection() const {
  return static_cast<TcxDBDataSelection*>(DataControllerInfo()->Selection());
}

db::TBookmark TcxDBDataController::rowBookmark(int ARowIndex) const {
  return DBSelection()->GetRowBookmark(GetRowInfo(ARowIndex).RecordIndex);
}

void TcxDBDataController::checkSelectionRow(int ARowIndex) const {
  if (ARowIndex < 0 || ARowIndex >= GetRowCount()) InvalidOperation(core::cxGetResourceString(&cxSDataRowIndexError));
}

db::TBookmark TcxDBDataController::GetSelectedBookmark(int AIndex) const {
  if (!IsGridMode()) InvalidOperation(core::cxGetResourceString(&cxSDBNotInGridMode));
  if (IsFocusedSelectedMode()) {
    const int row = GetSelectedRowIndex(AIndex);
    return row >= 0 ? rowBookmark(row) : db::TBookmark();
  }
  return DBSelection()->Bookmarks().Items(AIndex);
}

db::TBookmark TcxDBDataController::GetSelectionAnchorBookmark() const {
  if (!IsGridMode()) InvalidOperation(core::cxGetResourceString(&cxSDBNotInGridMode));
  return DBSelection()->AnchorBookmark();
}

int TcxDBDataController::GetSelectedRowIndex(int AIndex) const {
  if (!IsGridMode() || IsFocusedSelectedMode()) return TcxCustomDataController::GetSelectedRowIndex(AIndex);
  const db::TBookmark& bookmark = DBSelection()->Bookmarks().Items(AIndex);
  const int rows = GetRowCount();
  if (rows == 0) return -1;
  const TcxDBDataProvider* p = Provider();
  // Outside the window: no row shows it.
  if (p->CompareBookmarks(bookmark, rowBookmark(0)) < 0 || p->CompareBookmarks(bookmark, rowBookmark(rows - 1)) > 0)
    return -1;
  for (int row = 0; row < rows; ++row)
    if (p->CompareBookmarks(bookmark, rowBookmark(row)) == 0) return row;
  return -1;
}

int TcxDBDataController::GetSelectionAnchorRowIndex() const {
  if (IsGridMode()) return -1;
  return TcxCustomDataController::GetSelectionAnchorRowIndex();
}

bool TcxDBDataController::IsSelectionAnchorExist() const {
  if (IsGridMode()) return !DBSelection()->AnchorBookmark().empty();
  return TcxCustomDataController::IsSelectionAnchorExist();
}

void TcxDBDataController::SetSelectionAnchor(int ARowIndex) {
  if (!IsGridMode()) {
    TcxCustomDataController::SetSelectionAnchor(ARowIndex);
    return;
  }
  checkSelectionRow(ARowIndex);
  DBSelection()->SetAnchorBookmark(rowBookmark(ARowIndex));
}

void TcxDBDataController::SelectAll() {
  if (!IsGridMode()) {
    TcxCustomDataController::SelectAll();
    return;
  }
  // As in the base, only a multi-select controller selects rows.
  if (!IsFocusedSelectedMode()) DBSelection()->SelectAll();
}

void TcxDBDataController::SelectFromAnchor(int ARowIndex, bool AKeepSelection) {
  if (!IsGridMode()) {
    TcxCustomDataController::SelectFromAnchor(ARowIndex, AKeepSelection);
    return;
  }
  checkSelectionRow(ARowIndex);
  if (IsFocusedSelectedMode() || !IsSelectionAnchorExist()) return;
  DBSelection()->SelectFromAnchor(rowBookmark(ARowIndex), AKeepSelection);
}

bool TcxDBDataController::FocusSelectedRow(int AIndex) {
  db::TDataSet* ds = DataSet();
  if (ds == nullptr) return false;
  ds->GotoBookmark(GetSelectedBookmark(AIndex));
  return true;
}

rtl::Variant TcxDBDataController::GetRowId(int ARowIndex) const {
  if (!IsGridMode() || ARowIndex < 0) return TcxCustomDataController::GetRowId(ARowIndex);
  const db::TBookmark bookmark = rowBookmark(ARowIndex);
  if (bookmark.empty()) return rtl::Null();
  rtl::Variant result = rtl::VarArrayCreate({0, static_cast<int>(bookmark.size()) - 1}, rtl::varByte);
  for (size_t i = 0; i < bookmark.size(); ++i) rtl::VarArrayPut(result, rtl::Variant(bookmark[i]), static_cast<int>(i));
  return result;
}

void TcxDBDataController::ForEachRow(bool ASelectedOnly, const TcxDataControllerEachRowProc& AProc) {
  db::TDataSet* ds = DataSet();
  if (!IsGridMode() || ds == nullptr) {
    TcxCustomDataController::ForEachRow(ASelectedOnly, AProc);
    return;
  }
  auto callFocused = [this, &AProc] {
    const int row = GetFocusedRowIndex();
    if (row != -1) AProc(row, GetRowInfo(row));
  };
  if (!ASelectedOnly) {
    for (ds->First(); !ds->Eof(); ds->Next()) callFocused();
    return;
  }
  if (IsFocusedSelectedMode()) {
    if (GetSelectedCount() != 0) callFocused();
    return;
  }
  // A copy: the procedure may change the selection (delete, deselect).
  std::vector<db::TBookmark> bookmarks;
  const TcxBookmarkList& list = DBSelection()->Bookmarks();
  bookmarks.reserve(static_cast<size_t>(list.Count()));
  for (int i = 0; i < list.Count(); ++i) bookmarks.push_back(list.Items(i));
  for (const db::TBookmark& bookmark : bookmarks) {
    ds->GotoBookmark(bookmark);
    callFocused();
  }
}

bool TcxDBDataController::RefreshSelectionBookmarks() {
  if (!IsGridMode() || !MultiSelect()) return false;
  return DBSelection()->RefreshBookmarks();
}

}  // namespace data
