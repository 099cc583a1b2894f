// The row selection, the record list's upkeep of it across rebuilds, and
// the saved keys.
#include "lib/data/cxDataSelection.h"

#include <algorithm>
#include <utility>

#include "lib/data/cxCustomData.h"
#include "lib/data/cxDataStrs.h"
#include "platform/rtl/except.h"
#include "platform/rtl/format.h"
#include "platform/rtl/ustring.h"

namespace data {

using rtl::Variant;

namespace {

[[noreturn]] void selectionListCountError(int AIndex) {
  throw rtl::EListError(u"List count out of bounds (" + rtl::IntToStr(AIndex) + u")");
}

[[noreturn]] void selectionRowRangeError() {
  TcxCustomDataController::InvalidOperation(core::cxGetResourceString(&cxSDataRowIndexError));
}

}  // namespace

// --- the selection object ------------------------------------------------------------------------
TcxDataSelection::~TcxDataSelection() {
  OnChanged = nullptr;
  InternalClear();
}

void TcxDataSelection::InternalAdd(int AIndex, int ARowIndex, int ALevel, int ARecordIndex) {
  const TcxSelectionInfo entry{ALevel, ARecordIndex, ARowIndex};
  if (AIndex == -1)
    FItems.push_back(entry);
  else
    FItems.insert(FItems.begin() + AIndex, entry);
}

void TcxDataSelection::InternalClear() {
  ClearFields();
  FItems.clear();
}

void TcxDataSelection::InternalDelete(int AIndex) {
  if (FItems.at(static_cast<size_t>(AIndex)).RowIndex == FAnchorRowIndex) ClearAnchor();
  FItems.erase(FItems.begin() + AIndex);
}

void TcxDataSelection::SetInternalCount(int ACount) {
  ACount = std::max(0, ACount);
  while (Count() > ACount) InternalDelete(Count() - 1);
  while (Count() < ACount) InternalAdd(-1, Count(), 0, Count());
}

void TcxDataSelection::Add(int AIndex, int ARowIndex, int ALevel, int ARecordIndex) {
  InternalAdd(AIndex, ARowIndex, ALevel, ARecordIndex);
  Changed();
}

void TcxDataSelection::Clear() {
  InternalClear();
  Changed();
}

void TcxDataSelection::ClearAll() {
  ClearAnchor();
  InternalClear();
  Changed();
}

void TcxDataSelection::Delete(int AIndex) {
  if (AIndex < 0 || AIndex >= Count()) selectionListCountError(AIndex);
  InternalDelete(AIndex);
  Changed();
}

bool TcxDataSelection::FindByRowIndex(int ARowIndex, int& AIndex) const {
  const auto it = std::lower_bound(FItems.begin(), FItems.end(), ARowIndex,
                                   [](const TcxSelectionInfo& e, int row) { return e.RowIndex < row; });
  AIndex = static_cast<int>(it - FItems.begin());
  return it != FItems.end() && it->RowIndex == ARowIndex;
}

int TcxDataSelection::FindByGroupIndex(int ADataGroupIndex) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].Level < 0 && FItems[i].RecordIndex == ADataGroupIndex) return static_cast<int>(i);
  return -1;
}

int TcxDataSelection::FindByRecordIndex(int ARecordIndex) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].Level >= 0 && FItems[i].RecordIndex == ARecordIndex) return static_cast<int>(i);
  return -1;
}

bool TcxDataSelection::IsRowSelected(int ARowIndex) const {
  int index = 0;
  return FindByRowIndex(ARowIndex, index);
}

void TcxDataSelection::Sort() {
  std::stable_sort(FItems.begin(), FItems.end(),
                   [](const TcxSelectionInfo& a, const TcxSelectionInfo& b) { return a.RowIndex < b.RowIndex; });
}

template <class Pred>
int TcxDataSelection::removeIf(Pred APred, bool ANotify) {
  size_t kept = 0;
  int removed = 0;
  for (size_t i = 0; i < FItems.size(); ++i) {
    if (APred(FItems[i])) {
      if (FItems[i].RowIndex == FAnchorRowIndex) ClearAnchor();
      ++removed;
      continue;
    }
    if (kept != i) FItems[kept] = FItems[i];
    ++kept;
  }
  FItems.resize(kept);
  if (ANotify)
    for (int i = 0; i < removed; ++i) Changed();
  return removed;
}

void TcxDataSelection::CheckAfterFiltering() {
  // Grid mode: the entries stand for dataset bookmarks, not for records.
  if (FDataController->IsGridMode()) return;
  const TcxCustomDataControllerInfo* info = FDataController->DataControllerInfo();
  removeIf(
      [info](const TcxSelectionInfo& e) {
        return e.Level >= 0 && info->GetFilteredIndexByRecordIndex(e.RecordIndex) == -1;
      },
      true);
}

// --- the record list's selection ----------------------------------------------------------------------
std::unique_ptr<TcxDataSelection> TcxCustomDataControllerInfo::createSelection() {
  // The provider is made first and is of the controller's own kind.
  TcxCustomDataProvider* provider = FDataController->Provider();
  std::unique_ptr<TcxDataSelection> selection = provider != nullptr ? provider->CreateDataSelection()
                                                                    : std::make_unique<TcxDataSelection>(FDataController);
  selection->OnChanged = [this] { SelectionChanged(); };
  return selection;
}

std::unique_ptr<TcxDataSelection> TcxCustomDataProvider::CreateDataSelection() {
  return std::make_unique<TcxDataSelection>(FDataController);
}

void TcxCustomDataController::ForEachRow(bool ASelectedOnly, const TcxDataControllerEachRowProc& AProc) {
  if (!ASelectedOnly) {
    for (int row = 0; row < GetRowCount(); ++row) AProc(row, GetRowInfo(row));
    return;
  }
  // A copy: the procedure may change the selection it is walking.
  const TcxDataSelection& selection = *FDataControllerInfo->Selection();
  std::vector<int> rows;
  rows.reserve(static_cast<size_t>(selection.Count()));
  for (int i = 0; i < selection.Count(); ++i) rows.push_back(selection.Items(i).RowIndex);
  for (int row : rows)
    if (row >= 0 && row < GetRowCount()) AProc(row, GetRowInfo(row));
}

void TcxCustomDataControllerInfo::SelectionChanged() {
  // Summaries over the selected records join here once they exist.
  FChanges += dcicSelection;
  CheckUpdate();
}

bool TcxCustomDataControllerInfo::IsRowSelected(int ARowIndex) const { return FSelection->IsRowSelected(ARowIndex); }

void TcxCustomDataControllerInfo::ChangeRowSelection(int ARowIndex, bool ASelection) {
  if (ARowIndex < 0 || ARowIndex >= GetRowCount()) selectionRowRangeError();
  int index = 0;
  const bool selected = FSelection->FindByRowIndex(ARowIndex, index);
  if (selected && !ASelection) {
    FSelection->Delete(index);
  } else if (!selected && ASelection && FDataController->CanSelectRow(ARowIndex)) {
    if (IsGrouped() && FRows[static_cast<size_t>(ARowIndex)] >= 0)
      FSelection->Add(index, ARowIndex, -1, FRows[static_cast<size_t>(ARowIndex)]);
    else
      FSelection->Add(index, ARowIndex, static_cast<int>(FGroupingFieldList.size()), recordAtRow(ARowIndex));
  }
}

void TcxCustomDataControllerInfo::ClearSelection() {
  if (FSelection->Count() == 0) return;
  FSelection->Clear();
}

void TcxCustomDataControllerInfo::TruncateSelection() {
  TcxDataSelection& selection = *FSelection;
  if (selection.Count() == 0) return;
  TcxCustomDataController& c = *FDataController;
  // Grid mode: the entries stand for dataset bookmarks, which the dataset
  // selection checks itself after each refresh of the window.
  if (c.IsGridMode()) return;
  const int records = c.GetRecordCount();
  if (records == 0) {
    selection.Clear();
    return;
  }
  if (c.InDeleteSelection() && !c.IsDataLoading()) return;
  if (c.IsKeyNavigation() && !c.IsSmartRefresh() && !c.IsProviderMode()) return;
  // While keys are saved, the restore puts the entries back on their
  // records by position in this list: removing some now would shift it.
  if (c.IsKeyNavigation() && c.KeysSaved()) return;
  selection.removeIf([records](const TcxSelectionInfo& e) { return e.RecordIndex >= records; }, true);
}

void TcxCustomDataControllerInfo::RecalcSelection() {
  TcxDataSelection& selection = *FSelection;
  if (selection.Count() == 0) return;
  // Grid mode: the selected records lie anywhere in the dataset, mostly
  // outside the window; their rows are found by bookmark when asked.
  if (FDataController->IsGridMode()) return;
  const bool rebuilt = FChanges.contains(dcicLoad) || FChanges.contains(dcicSorting) ||
                       FChanges.contains(dcicGrouping);
  const int rows = GetRowCount();
  if (!rebuilt && !FChanges.contains(dcicExpanding)) {
    // The rows stayed where they were; only rows that are gone go.
    selection.removeIf([rows](const TcxSelectionInfo& e) { return e.RowIndex >= rows; }, true);
    return;
  }
  // Group indexes mean the same groups only while the list was not rebuilt;
  // a rebuilt list has new groups, restored by value through the expansion.
  std::vector<int> groupRows;
  if (IsGrouped() && !rebuilt) {
    groupRows.assign(FDataGroups.size(), -1);
    for (size_t r = 0; r < FRows.size(); ++r)
      if (FRows[r] >= 0) groupRows[static_cast<size_t>(FRows[r])] = static_cast<int>(r);
  }
  const int records = FDataController->GetRecordCount();
  const int dataLevel = static_cast<int>(FGroupingFieldList.size());
  bool moved = false;
  selection.removeIf(
      [&](TcxSelectionInfo& e) {
        int row = -1;
        if (e.Level < 0) {
          if (e.RecordIndex >= 0 && static_cast<size_t>(e.RecordIndex) < groupRows.size())
            row = groupRows[static_cast<size_t>(e.RecordIndex)];
        } else if (e.RecordIndex >= 0 && e.RecordIndex < records) {
          row = GetRowIndexByRecordIndex(e.RecordIndex);
          e.Level = dataLevel;
        }
        if (row < 0) return true;
        moved = moved || row != e.RowIndex;
        e.RowIndex = row;
        return false;
      },
      true);
  if (!moved) return;
  selection.Sort();
  FChanges += dcicSelection;
}

// --- saved keys ------------------------------------------------------------------------------------
TcxDetailKeyInfo::TcxDetailKeyInfo() = default;
TcxDetailKeyInfo::~TcxDetailKeyInfo() = default;

TcxKeys::~TcxKeys() {
  // The descendants' FreeKeyInfo is out of reach here; the owned objects
  // are freed all the same.
  for (TcxKeyInfo* info : FKeys) std::unique_ptr<TcxKeyInfo> owned(info);
  FKeys.clear();
}

void TcxKeys::FreeKeyInfo(TcxKeyInfo* AKeyInfo) { std::unique_ptr<TcxKeyInfo> owned(AKeyInfo); }

void TcxKeys::Clear() {
  std::vector<TcxKeyInfo*> keys;
  keys.swap(FKeys);
  FUsed.clear();
  for (TcxKeyInfo* info : keys) FreeKeyInfo(info);
}

void TcxKeys::Delete(int AIndex) {
  TcxKeyInfo* info = FKeys.at(static_cast<size_t>(AIndex));
  FKeys.erase(FKeys.begin() + AIndex);
  if (static_cast<size_t>(AIndex) < FUsed.size()) FUsed.erase(FUsed.begin() + AIndex);
  FreeKeyInfo(info);
}

void TcxKeys::SetDataController(TcxCustomDataController* ADataController) {
  FDataController = ADataController;
  FKeyFields.clear();
  if (FDataController) FKeyFields = FDataController->GetKeyFields();
}

void TcxKeys::Save(TcxCustomDataController* ADataController) {
  Clear();
  SetDataController(ADataController);
  DoSave();
  std::stable_sort(FKeys.begin(), FKeys.end(),
                   [](const TcxKeyInfo* a, const TcxKeyInfo* b) { return CompareKeys(a, b) < 0; });
  resetUsed();
}

void TcxKeys::Restore(TcxCustomDataController* ADataController) {
  SetDataController(ADataController);
  if (FKeys.empty()) return;
  resetUsed();
  DoRestore();
  Clear();
}

int TcxKeys::CompareKeys(const TcxKeyInfo* AInfo1, const TcxKeyInfo* AInfo2) {
  return VarCompare(AInfo1->Key, AInfo2->Key);
}

Variant TcxKeys::recordKey(int ARecordIndex) const {
  return FDataController->GetInternalRecordId(ARecordIndex, FKeyFields);
}

bool TcxKeys::findUnused(const Variant& AKey, int& AIndex) const {
  auto it = std::lower_bound(FKeys.begin(), FKeys.end(), AKey,
                             [](const TcxKeyInfo* info, const Variant& key) { return VarCompare(info->Key, key) < 0; });
  for (; it != FKeys.end() && VarEquals((*it)->Key, AKey); ++it) {
    const size_t index = static_cast<size_t>(it - FKeys.begin());
    if (index < FUsed.size() && FUsed[index] != 0) continue;
    AIndex = static_cast<int>(index);
    return true;
  }
  AIndex = -1;
  return false;
}

bool TcxKeys::Find(int ARecordIndex, int& AIndex) const { return findUnused(recordKey(ARecordIndex), AIndex); }

void TcxSelectedKeys::DoSave() {
  TcxCustomDataController* c = DataController();
  TcxDataSelection* selection = c->DataControllerInfo()->Selection();
  const int records = c->GetRecordCount();
  for (int i = 0; i < selection->Count(); ++i) {
    const TcxSelectionInfo& entry = selection->Items(i);
    if (entry.Level < 0 || entry.RecordIndex < 0 || entry.RecordIndex >= records) continue;
    auto info = std::make_unique<TcxSelectedKeyInfo>();
    info->SelectedIndex = i;
    info->Key = recordKey(entry.RecordIndex);
    addKeyInfo(info.release());
  }
  // Selected group rows and expanded groups come back through the record
  // list's expansion restore, which saves its own group states.
}

void TcxSelectedKeys::DoRestore() {
  TcxCustomDataController* c = DataController();
  TcxDataSelection* selection = c->DataControllerInfo()->Selection();
  if (selection->Count() == 0) return;
  const int records = c->GetRecordCount();
  for (int i = 0; i < records; ++i) {
    int index = -1;
    if (!Find(i, index)) continue;
    const int position = static_cast<TcxSelectedKeyInfo*>(Items(index))->SelectedIndex;
    if (position >= 0 && position < selection->Count()) selection->Items(position).RecordIndex = i;
    markUsed(index);
  }
  for (int k = 0; k < Count(); ++k) {
    if (isUsed(k)) continue;
    const int position = static_cast<TcxSelectedKeyInfo*>(Items(k))->SelectedIndex;
    if (position >= 0 && position < selection->Count()) selection->Items(position).RecordIndex = -1;
  }
  selection->removeIf([](const TcxSelectionInfo& e) { return e.RecordIndex == -1; }, true);
  c->DataControllerInfo()->Change({dcicExpanding});
}

// Details (master-detail relations) attach here: a controller without
// relations has no expanded detail rows to remember.
void TcxDetailKeys::DoSave() {}
void TcxDetailKeys::DoRestore() {}

void TcxDetailKeys::FreeKeyInfo(TcxKeyInfo* AKeyInfo) {
  if (auto* detail = dynamic_cast<TcxDetailKeyInfo*>(AKeyInfo)) detail->SaveObject.reset();
  TcxKeys::FreeKeyInfo(AKeyInfo);
}

TcxSaveObject::TcxSaveObject()
    : FDetailKeys(std::make_unique<TcxDetailKeys>()), FSelectedKeys(std::make_unique<TcxSelectedKeys>()) {}

TcxSaveObject::~TcxSaveObject() = default;

void TcxSaveObject::Save(TcxCustomDataController* ADataController) {
  if (ADataController->IsDestroying() || !ADataController->IsKeyNavigation()) return;
  FDetailKeys->Save(ADataController);
  FSelectedKeys->Save(ADataController);
}

void TcxSaveObject::Restore(TcxCustomDataController* ADataController) {
  if (ADataController->IsKeyNavigation()) {
    FDetailKeys->Restore(ADataController);
    FSelectedKeys->Restore(ADataController);
  } else {
    ADataController->CheckSelectedCount(-1);
  }
}

}  // namespace data
