// The grid-mode selection by bookmarks.
#include <utility>

#include "lib/data/cxDBDataSelection.h"
#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/rtl/scoped.h"

namespace data {

TcxDBDataSelection::TcxDBDataSelection(TcxDBDataController* ADataController) : TcxDataSelection(ADataController) {}

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

db::TBookmark TcxDBDataSelection::GetRowBookmark(int ARowIndex) {
  if (!isGridMode()) return {};
  TcxDBDataLink* link = controller()->Provider()->DataLink();
  const int saved = link->ActiveRecord();
  rtl::ScopeExit restore([link, saved] { link->SetActiveRecord(saved); });
  link->SetActiveRecord(ARowIndex);
  return link->DataSet()->GetBookmark();
}

bool TcxDBDataSelection::FindByRowIndex(int ARowIndex, int& AIndex) {
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

}  // namespace data
