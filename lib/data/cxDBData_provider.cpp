// The dataset provider: its data link, the grid-mode window, saving and
// restoring the dataset position, the busy tests of several controllers on
// one dataset, and editing, posting and deleting through the dataset.
#include <algorithm>
#include <optional>

#include "lib/data/cxCustomData_scopes.h"
#include "lib/data/cxDBData.h"
#include "platform/db/dataset.h"
#include "platform/db/field.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/variant.h"

namespace data {

using rtl::String;
using rtl::Variant;

namespace {

// Every provider of the process; the busy tests look at those of one dataset.
std::vector<TcxDBDataProvider*>& dbProviderList() {
  static std::vector<TcxDBDataProvider*> list;
  return list;
}

db::TField* dbProviderFieldOf(TcxCustomDataField* AField) {
  auto* field = dynamic_cast<TcxDBDataField*>(AField);
  return field != nullptr ? field->Field() : nullptr;
}

// DisableControls / EnableControls as a scope.
class DbProviderControlsScope {
 public:
  explicit DbProviderControlsScope(db::TDataSet* ADataSet) : FDataSet(ADataSet) {
    if (FDataSet) FDataSet->DisableControls();
  }
  ~DbProviderControlsScope() {
    if (FDataSet) FDataSet->EnableControls();
  }
  DbProviderControlsScope(const DbProviderControlsScope&) = delete;
  DbProviderControlsScope& operator=(const DbProviderControlsScope&) = delete;

 private:
  db::TDataSet* FDataSet;
};

}  // namespace

// --- the data link ----------------------------------------------------------------------------------
TcxDBDataLink::TcxDBDataLink(TcxDBDataProvider* AProvider) : FProvider(AProvider) { SetVisualControl(true); }

bool TcxDBDataLink::GetIsDataSetBusyState() { return FProvider->IsDataSetBusy(); }

void TcxDBDataLink::ActiveChanged() {
  {
    rtl::ScopedValue<bool> changing(FProvider->FActiveChanging, true);
    FProvider->ActiveChanged(Active());
    if (FProvider->DataController()->IsLoading()) FProvider->GetDataController()->SetLoaded();
  }
  FProvider->FInSetDataSource = DataSet() != nullptr && DataSet()->State() == db::dsInsert;
  if (!Active()) FLayoutChangedFlag = false;
}

void TcxDBDataLink::DataEvent(db::TDataEvent AEvent, db::NativeInt AInfo) {
  TcxDBCustomDataLink::DataEvent(AEvent, AInfo);
  if (AEvent == db::deDisabledStateChange && AInfo == 0) FLayoutChangedFlag = true;
}

void TcxDBDataLink::LayoutChanged() {
  const bool inserting = DataSet() != nullptr && DataSet()->State() == db::dsInsert;
  if (inserting || (FProvider->GetIsSmartRefresh() && FPreventLayoutChanged)) {
    FLayoutChangedFlag = false;
    DataSetChanged();
    return;
  }
  FProvider->LayoutChanged({lcStructure, lcData});
  FLayoutChangedFlag = false;
}

void TcxDBDataLink::DataSetChanged() {
  TcxDBDataProvider* p = FProvider;
  TcxDBDataController* c = p->GetDataController();
  if (FLayoutChangedFlag) {
    LayoutChanged();
    return;
  }
  if (p->IsOtherDataControllerUpdating() || p->IsOtherDetailChanged()) return;
  if (p->IsDataSetBusy()) {
    DataSetScrolled(0);
    return;
  }
  db::TDataSet* ds = DataSet();
  if (p->IsGridMode()) {
    {
      rtl::ScopedValue<bool> updating(p->FInUpdateGridMode, true);
      FullUpdateScope update(*c);
      p->UpdateGridMode();
      c->RefreshSelectionBookmarks();  // the selected records the refresh took away
      c->CheckBookmarkValid(-1);
      if (ds->State() == db::dsInsert) p->DoInsertingRecordFromLink();
    }
    return;
  }
  if (!db::IsEditState(ds->State())) {
    if (p->GetIsSmartRefresh()) {
      // Only the record that was edited is read again.
      p->SmartDataChanged();
      DataSetScrolled(0);
    } else {
      FullUpdateScope update(*c);
      p->DataChanged(dcTotal, -1, -1);
      DataSetScrolled(0);
    }
    p->ResetSmartRefresh();
    return;
  }
  // Of the clones sharing a detail dataset only the current one inserts.
  if (ds->State() == db::dsInsert && !p->FInserting && (!c->IsDetailMode() || p->GetIsDataSetCurrent()) &&
      p->IsSyncInsert() && !p->FInInserting)
    p->DoInsertingRecordFromLink();
}

void TcxDBDataLink::DataSetScrolled(int ADistance) { FProvider->DataScrolled(ADistance); }

void TcxDBDataLink::EditingChanged() {
  TcxDBDataProvider* p = FProvider;
  TcxDBDataController* c = p->GetDataController();
  if (!p->IsSyncMode()) return;
  db::TDataSet* ds = DataSet();
  if (Active() && ds != nullptr && db::IsEditState(ds->State())) {
    if (ds->State() == db::dsEdit) {
      c->SetInUnboundCopy(true);
      rtl::ScopeExit copied([c] { c->SetInUnboundCopy(false); });
      p->EditingRecord();
    } else if (ds->State() == db::dsInsert && !ds->ControlsDisabled()) {
      if ((p->FInSetDataSource || c->InUpdateGridModeBufferCount()) && p->IsGridMode() && !p->FInInsert)
        p->DoInsertingRecordFromLink();
    }
  } else {
    // A record typed in the new-item row becomes a real record before the
    // editing ends, so that smart refresh reads it in place after the post.
    if (p->GetIsSmartRefresh()) p->appendNewItemRecord();
    p->ResetEditing();
  }
  p->FInSetDataSource = false;
}

void TcxDBDataLink::FocusControl(db::TField** AField) {
  TcxDBDataController* c = FProvider->GetDataController();
  for (int i = 0; i < c->GetItemCount(); ++i) {
    auto* field = static_cast<TcxDBDataField*>(c->Fields()->Items(i));
    if (field->IsInternal() || field->Field() != *AField) continue;
    bool done = false;
    c->FocusControl(i, done);
    if (done) *AField = nullptr;
    return;
  }
}

void TcxDBDataLink::RecordChanged(db::TField*) { FProvider->RecordChanged(); }

void TcxDBDataLink::UpdateData() {
  FProvider->DoUpdateData();
  FProvider->RecordChanged();
  FProvider->ResetChanging();
}

// --- the reader -------------------------------------------------------------------------------------
namespace {
TcxDBDataField* dbReaderFieldOf(TcxValueDef* AValueDef) {
  return AValueDef ? dynamic_cast<TcxDBDataField*>(AValueDef->GetLinkObject()) : nullptr;
}
}  // namespace

String TcxValueDefDBReader::GetDisplayText(TcxValueDef* AValueDef) {
  TcxDBDataField* field = dbReaderFieldOf(AValueDef);
  if (field != nullptr && field->Field() != nullptr) return field->Field()->DisplayText();
  return TcxValueDefReader::GetDisplayText(AValueDef);
}

Variant TcxValueDefDBReader::GetValue(TcxValueDef* AValueDef) {
  TcxDBDataField* field = dbReaderFieldOf(AValueDef);
  if (field != nullptr && field->Field() != nullptr) return GetFieldValue(field->Field());
  return TcxValueDefReader::GetValue(AValueDef);
}

bool TcxValueDefDBReader::IsInternal(TcxValueDef* AValueDef) {
  TcxDBDataField* field = dbReaderFieldOf(AValueDef);
  return field != nullptr && field->IsValueDefInternal();
}

// --- the provider: life ---------------------------------------------------------------------------
TcxDBDataProvider::TcxDBDataProvider(TcxCustomDataController* ADataController)
    : TcxCustomDataProvider(ADataController) {
  dbProviderList().push_back(this);
  FDataLink = std::make_unique<TcxDBDataLink>(this);
}

TcxDBDataProvider::~TcxDBDataProvider() {
  RemoveFromListeners();
  FListeners.clear();
  // The link leaves its source before the provider goes from the list.
  FDataLink->SetDataSource(nullptr);
  FDataLink.reset();
  auto& list = dbProviderList();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

const std::vector<TcxDBDataProvider*>& TcxDBDataProvider::DBDataProviders() { return dbProviderList(); }

TcxDBDataController* TcxDBDataProvider::GetDataController() const {
  return static_cast<TcxDBDataController*>(FDataController);
}

void TcxDBDataProvider::SetDataSource(db::TDataSource* ASource) {
  if (!FDataLink || FDataLink->DataSource() == ASource) return;
  const bool wasActive = FDataLink->Active();
  FDataLink->SetDataSource(ASource);
  if (FDataLink->Active() == wasActive) GetDataController()->UpdateFields();
}

// --- the provider: modes --------------------------------------------------------------------------
bool TcxDBDataProvider::IsGridMode() const {
  const TcxDBDataController* c = GetDataController();
  // Asked while the controller is still being made: loaded mode.
  if (c->DataModeController() == nullptr || !c->DataModeController()->GridMode()) return false;
  db::TDataSet* ds = GetDataSet();
  return (ds == nullptr || !ds->IsUniDirectional()) && !FLoadAllNeeded && c->GetDetailMode() != dcdmPattern;
}

bool TcxDBDataProvider::IsDataSource() const {
  db::TDataSet* ds = GetDataSet();
  return ds != nullptr && ds->State() != db::dsInactive;
}

bool TcxDBDataProvider::IsActive() const {
  db::TDataSet* ds = GetDataSet();
  return ds != nullptr && ds->Active() && !ds->ControlsDisabled();
}

bool TcxDBDataProvider::IsActiveDataSet() const {
  db::TDataSet* ds = GetDataSet();
  return ds != nullptr && ds->FieldCount() > 0 && (ds->Active() || !IsDefaultFields(ds));
}

bool TcxDBDataProvider::IsBOF() const {
  db::TDataSet* ds = GetDataSet();
  if (ds == nullptr) return TcxCustomDataProvider::IsBOF();
  return !FDataLink->Active() || ds->Bof();
}

bool TcxDBDataProvider::IsEOF() const {
  bool detailEof = false;
  if (detailIsEOF(detailEof)) return detailEof;  // a detail reads its master's run only
  db::TDataSet* ds = GetDataSet();
  if (ds == nullptr) return TcxCustomDataProvider::IsEOF();
  return !FDataLink->Active() || ds->Eof();
}

bool TcxDBDataProvider::isDataSetEditing() const {
  db::TDataSet* ds = GetDataSet();
  return ds != nullptr && db::IsEditState(ds->State());
}

bool TcxDBDataProvider::IsEditing() const {
  if (IsUnboundColumnMode()) return TcxCustomDataProvider::IsEditing();
  return isDataSetEditing();
}

bool TcxDBDataProvider::IsInserting() const {
  db::TDataSet* ds = GetDataSet();
  return ds != nullptr && ds->State() == db::dsInsert;
}

bool TcxDBDataProvider::IsSyncMode() const {
  const TcxDBDataController* c = GetDataController();
  return (c->DataModeController() == nullptr || c->DataModeController()->SyncMode()) && detailAllowsSyncMode();
}

bool TcxDBDataProvider::IsOtherInsert() const {
  for (TcxDBDataProvider* p : dbProviderList())
    if (p != this && p->GetDataSet() == GetDataSet() && p->FInInsert) return true;
  return false;
}

bool TcxDBDataProvider::IsKeyNavigation() const { return GetDataController()->IsKeyNavigation(); }

bool TcxDBDataProvider::IsUniDirectional() const {
  db::TDataSet* ds = GetDataSet();
  return ds != nullptr && ds->IsUniDirectional();
}

bool TcxDBDataProvider::GetIsSmartRefresh() const {
  const TcxDBDataController* c = GetDataController();
  return c->DataModeController() != nullptr && c->IsKeyNavigation() && !IsGridMode() &&
         c->DataModeController()->SmartRefresh();
}

int TcxDBDataProvider::GetDataBufferCount() const {
  const int count = GetDataController()->DataModeController()->GridModeBufferCount();
  return count != 0 ? count : GetDataController()->GetDefaultGridModeBufferCount();
}

// --- the provider: navigation ---------------------------------------------------------------------
void TcxDBDataProvider::First() {
  TcxCustomDataProvider::First();
  if (detailFirst()) return;  // a detail starts at its master's first record
  db::TDataSet* ds = GetDataSet();
  if (ds == nullptr || !ds->Active()) return;
  rtl::ScopedValue<bool> inFirst(FInFirst, true);
  ds->First();
}

void TcxDBDataProvider::Prev() {
  if (db::TDataSet* ds = GetDataSet()) ds->Prior();
}

void TcxDBDataProvider::Next() {
  if (db::TDataSet* ds = GetDataSet()) ds->Next();
}

void TcxDBDataProvider::Last() {
  db::TDataSet* ds = GetDataSet();
  if (ds != nullptr && ds->Active()) ds->Last();
}

void TcxDBDataProvider::MoveBy(int ADistance) {
  if (db::TDataSet* ds = GetDataSet()) ds->MoveBy(ADistance);
}

void TcxDBDataProvider::Scroll(int ADistance) {
  if (!IsGridMode() || ADistance == 0 || !IsActive()) return;
  const int active = FDataLink->ActiveRecord();
  // Past the window's edge: the dataset shifts the window, which comes back
  // as DataSetScrolled.
  if (ADistance < 0)
    GetDataSet()->MoveBy(ADistance - active);
  else
    GetDataSet()->MoveBy(FDataLink->RecordCount() - active - 1 + ADistance);
  TcxDBDataController* c = GetDataController();
  c->SyncSelected(true);
}

void TcxDBDataProvider::SavePos() {
  db::TDataSet* ds = GetDataSet();
  if (ds == nullptr) return;
  if (ds->BookmarkAvailable())
    FSavePosInfo.Bookmark = ds->GetBookmark();
  else
    FSavePosInfo.Bookmark.clear();
  FSavePosInfo.ActiveRecord = ds->ActiveRecord();
  FSavePosInfo.Bof = ds->Bof();
  FSavePosInfo.Eof = ds->Eof();
}

void TcxDBDataProvider::RestorePos() {
  db::TDataSet* ds = GetDataSet();
  if (ds == nullptr || FSavePosInfo.Bookmark.empty() || !BookmarkValid(FSavePosInfo.Bookmark)) return;
  try {
    ds->GotoBookmark(FSavePosInfo.Bookmark);
    // Back on the buffer row the record had.
    const int active = ds->ActiveRecord();
    const int saved = FSavePosInfo.ActiveRecord;
    const int buffers = ds->BufferCount();
    if (active > saved) {
      ds->MoveBy(buffers - 1 - saved);
      ds->MoveBy(saved - buffers + 1);
    } else if (active < saved) {
      ds->MoveBy(-saved);
      ds->MoveBy(saved);
    }
    if (FSavePosInfo.Bof && !ds->Bof()) ds->Prior();
    if (FSavePosInfo.Eof && !ds->Eof()) ds->Next();
  } catch (const db::EDatabaseError&) {
    // The record has gone: the dataset stays where the jump left it.
  }
}

void TcxDBDataProvider::CorrectRecordIndex(int ARecordIndex) {
  db::TDataSet* ds = GetDataSet();
  if (ds == nullptr || IsKeyNavigation() || FSavePosInfo.Bookmark.empty()) return;
  if (ds->CompareBookmarks(ds->GetBookmark(), FSavePosInfo.Bookmark) == 0) FRecordIndex = ARecordIndex;
}

void TcxDBDataProvider::Freeze() {
  TcxCustomDataProvider::Freeze();
  db::TDataSet* ds = GetDataSet();
  if (ds == nullptr) return;
  ds->DisableControls();
  if (ds->Active() && db::IsEditState(ds->State())) {
    SetPostLocateFlag();
    ds->Cancel();
  }
}

void TcxDBDataProvider::Unfreeze() {
  if (db::TDataSet* ds = GetDataSet()) ds->EnableControls();
  TcxCustomDataProvider::Unfreeze();
  // The providers of the same dataset that skipped a change meanwhile.
  if (LockCount() == 0) NotifyListeners();
}

bool TcxDBDataProvider::BookmarkValid(const db::TBookmark& ABookmark) const {
  db::TDataSet* ds = GetDataSet();
  return ds != nullptr && ds->BookmarkValid(ABookmark);
}

int TcxDBDataProvider::CompareBookmarks(const db::TBookmark& A, const db::TBookmark& B) const {
  if (!FDataLink->Active()) return -1;
  return GetDataSet()->CompareBookmarks(A, B);
}

// --- the provider: the grid-mode window -----------------------------------------------------------
void TcxDBDataProvider::LoadDataBuffer() {
  if (FDataLink->Active()) {
    FDataLink->SetBufferCount(GetDataBufferCount());
    TcxDataStorage* storage = FDataController->DataStorage();
    storage->Clear(false);
    storage->SetRecordCount(FDataLink->RecordCount());
    FRecordIndex = FDataLink->ActiveRecord();
  }
  TcxCustomDataProvider::LoadDataBuffer();
}

Variant TcxDBDataProvider::GetExternalDataValue(int ARecordIndex, TcxCustomDataField* AField) {
  db::TField* field = dbProviderFieldOf(AField);
  if (field == nullptr) return TcxCustomDataProvider::GetExternalDataValue(ARecordIndex, AField);
  if (ARecordIndex >= 0 && ARecordIndex < FDataLink->RecordCount()) {
    const int saved = FDataLink->ActiveRecord();
    FDataLink->SetActiveRecord(ARecordIndex);
    rtl::ScopeExit restore([this, saved] { FDataLink->SetActiveRecord(saved); });
    return GetFieldValue(field);
  }
  if (IsInserting() || FIncrementalSearching) return GetFieldValue(field);
  return rtl::Null();
}

String TcxDBDataProvider::GetExternalDataDisplayText(int ARecordIndex, TcxCustomDataField* AField) {
  db::TField* field = dbProviderFieldOf(AField);
  if (field == nullptr) return TcxCustomDataProvider::GetExternalDataDisplayText(ARecordIndex, AField);
  if (ARecordIndex >= 0 && ARecordIndex < FDataLink->RecordCount()) {
    const int saved = FDataLink->ActiveRecord();
    FDataLink->SetActiveRecord(ARecordIndex);
    rtl::ScopeExit restore([this, saved] { FDataLink->SetActiveRecord(saved); });
    return field->DisplayText();
  }
  if (IsInserting() || FIncrementalSearching) return field->DisplayText();
  return String();
}

int TcxDBDataProvider::GetRecordIndex() const {
  if (!FInUpdateGridMode && IsInserting()) return FEditingRecordIndex;
  if (FInUpdateGridMode && IsInserting() && FDataController->NewItemRowFocused())
    return FDataController->GetNewItemRecordIndex();
  return FRecordIndex;
}

void TcxDBDataProvider::UpdateGridMode() {
  if (!FDataLink->Active() || !IsGridMode()) return;
  TcxDBDataController* c = GetDataController();
  const int count = c->GetRecordCount();
  FDataLink->SetBufferCount(GetDataBufferCount());
  FRecordIndex = FDataLink->ActiveRecord();
  if (count != FDataLink->RecordCount() || IsInserting()) {
    DataChanged(dcTotal, -1, -1);
    if (c->InUpdateGridModeBufferCount() && isDataSetEditing() && !FDataLink->ReadOnly())
      FDataLink->CallEditingChanged();
  } else {
    if (!IsEditing()) DataChanged(dcRecord, -1, -1);
    c->UpdateFocused();
  }
}

void TcxDBDataProvider::DataScrolled(int ADistance) {
  TcxDBDataController* c = GetDataController();
  const bool grid = IsGridMode();
  if (grid) {
    FRecordIndex = FDataLink->ActiveRecord();
    UpdateScope update(*c);
    if (ADistance != 0) c->InvalidateDataBuffer();
  } else {
    FRecordIndex += ADistance;
  }
  TcxCustomDataProvider::DataScrolled(ADistance);
  if (grid && GetDataSet()->IsSequenced()) c->UpdateScrollBars();
}

void TcxDBDataProvider::ActiveChanged(bool AActive) {
  TcxCustomDataProvider::ActiveChanged(AActive);
  db::TDataSet* ds = GetDataSet();
  if (ds != nullptr && !ds->Active() && IsDefaultFields(ds)) GetDataController()->ResetDBFields();
}

void TcxDBDataProvider::LayoutChanged(TcxDataLayoutChanges ADataLayoutChanges) {
  // While a detail clone reads the shared detail dataset (a query it ran
  // again for its own master), the other clones only bind their fields
  // again: reloading would run the query for their masters in turn.
  if (!isDetailDataSetBusy()) {
    TcxCustomDataProvider::LayoutChanged(ADataLayoutChanges);
    return;
  }
  if (IsActive()) GetDataController()->ResyncDBFields();
}

bool TcxDBDataProvider::isDetailDataSetBusy() const {
  for (TcxDBDataProvider* p : dbProviderList())
    if (p->GetDataSet() == GetDataSet() && p->LockCount() != 0 && p->GetDataController()->IsDetailMode()) return true;
  return false;
}

void TcxDBDataProvider::BeginLocate() {
  TcxCustomDataProvider::BeginLocate();
  if (isDataSetEditing()) SetPostLocateFlag();
}

std::unique_ptr<TcxValueDefReader> TcxDBDataProvider::CreateValueDefReader() {
  return std::make_unique<TcxValueDefDBReader>();
}

// --- the provider: several controllers on one dataset ----------------------------------------------
void TcxDBDataProvider::SetPostLocateFlag() {
  for (TcxDBDataProvider* p : dbProviderList())
    if (p->GetDataSet() == GetDataSet() && p->FDataController->GetDetailMode() != dcdmPattern)
      p->FPostLocateFlag = true;
}

bool TcxDBDataProvider::IsDataSetBusy() const {
  db::TDataSet* ds = GetDataSet();
  const bool locates = IsKeyNavigation() || IsGridMode();
  for (TcxDBDataProvider* p : dbProviderList()) {
    if (p->GetDataSet() != ds) continue;
    if (p->LockCount() == 0 && !p->FInNotify && !(locates && p->LocateCount() != 0)) continue;
    // A provider handing its deferred change to this one is not in the way.
    if (p->FInNotify && p != this && p->LockCount() == 0) continue;
    if (p->FInNotify) return !FPostLocateFlag;
    if (FPostLocateFlag) return false;
    return true;
  }
  return false;
}

bool TcxDBDataProvider::IsOtherDataControllerUpdating() {
  db::TDataSet* ds = GetDataSet();
  for (TcxDBDataProvider* p : dbProviderList()) {
    if (p == this || p->GetDataSet() != ds) continue;
    if (p->LockCount() == 0 && !(IsKeyNavigation() && p->LocateCount() != 0)) continue;
    if (std::find(p->FListeners.begin(), p->FListeners.end(), this) == p->FListeners.end())
      p->FListeners.push_back(this);
    return true;
  }
  return false;
}

void TcxDBDataProvider::RemoveFromListeners() {
  for (TcxDBDataProvider* p : dbProviderList())
    p->FListeners.erase(std::remove(p->FListeners.begin(), p->FListeners.end(), this), p->FListeners.end());
}

void TcxDBDataProvider::NotifyListeners() {
  if (FInNotify) return;
  rtl::ScopedValue<bool> notifying(FInNotify, true);
  // The listeners of this round, last first. One that finds this provider
  // still busy (inside a locate) waits again for the next round instead of
  // being called over and over.
  std::vector<TcxDBDataProvider*> listeners;
  listeners.swap(FListeners);
  while (!listeners.empty()) {
    TcxDBDataProvider* listener = listeners.back();
    listeners.pop_back();
    listener->FDataLink->CallDataSetChanged();
    // A listener destroyed meanwhile has left every list but this local one.
    for (TcxDBDataProvider*& waiting : listeners)
      if (std::find(dbProviderList().begin(), dbProviderList().end(), waiting) == dbProviderList().end())
        waiting = nullptr;
    listeners.erase(std::remove(listeners.begin(), listeners.end(), nullptr), listeners.end());
  }
}

void TcxDBDataProvider::DoInsertingRecordFromLink() {
  rtl::ScopedValue<bool> inInserting(FInInserting, true);
  TcxCustomDataProvider::InsertingRecord(IsEOF() && !FInsertOperation);
}

void TcxDBDataProvider::appendNewItemRecord() {
  TcxDBDataController* c = GetDataController();
  const int editing = EditingRecordIndex();
  if (editing == cxNullEditingRecordIndex || editing != c->GetNewItemRecordIndex() || !FUpdatingRecordIsInserting)
    return;
  c->SetInUnboundCopy(true);
  rtl::ScopeExit copied([c] { c->SetInUnboundCopy(false); });
  FUpdatingNewRecordIndex = c->AppendRecord();
  // Copied straight into the storage: reported as a change of one more
  // record, the copy would merge with the pending new record into a reload
  // of every record. The post's refresh reports the record.
  TcxValueDefRecordReader reader(c, editing);
  c->DataStorage()->ReadRecord(FUpdatingNewRecordIndex, &reader);
}

void TcxDBDataProvider::ResetSmartRefresh() {
  FUpdatingRecordIndex = cxNullEditingRecordIndex;
  FUpdatingNewRecordIndex = -1;
  FUpdatingRecordIsInserting = false;
}

void TcxDBDataProvider::RecordChanged() {
  if (IsEditing()) GetDataController()->UpdateEditingRecord();
  ResetChanging();
}

// --- the provider: editing ---------------------------------------------------------------------------
bool TcxDBDataProvider::CanModify() const {
  db::TDataSet* ds = GetDataSet();
  return ds != nullptr && ds->Active() && ds->CanModify() && IsSyncMode();
}

bool TcxDBDataProvider::CanDelete() const { return TcxCustomDataProvider::CanDelete() && CanModify(); }

bool TcxDBDataProvider::CanInitEditing(int ARecordIndex) {
  if (IsUnboundColumnMode()) return TcxCustomDataProvider::CanInitEditing(ARecordIndex);
  rtl::ScopedValue<bool> inCanInit(FInCanInitEditing, true);
  TcxCustomDataController* c = FDataController;
  const bool newItemRow = c->UseNewItemRowForEditing() && c->NewItemRowFocused();
  bool result;
  if (newItemRow && !IsInserting()) {
    Insert();
    result = true;
  } else {
    result = FDataLink->Edit();
  }
  if (result) {
    SetChanging();
    if (newItemRow) c->Change({dccUpdateRecord});
  }
  return result;
}

void TcxDBDataProvider::Edit() {
  if (IsUnboundColumnMode()) {
    TcxCustomDataProvider::Edit();
    return;
  }
  if (db::TDataSet* ds = GetDataSet()) ds->Edit();
}

template <class Operation>
void TcxDBDataProvider::addNewRecord(Operation AOperation) {
  db::TDataSet* ds = GetDataSet();
  if (ds == nullptr) return;
  rtl::ScopedValue<bool> inInsert(FInInsert, true);
  if (!db::IsEditState(ds->State())) {
    AOperation(ds);
    return;
  }
  if (ds->State() == db::dsInsert) GetDataController()->CheckBrowseMode();
  if (db::IsEditState(ds->State())) FDataLink->UpdateRecord();
  AOperation(ds);
}

void TcxDBDataProvider::Insert() {
  rtl::ScopedValue<bool> insertOperation(FInsertOperation, true);
  addNewRecord([](db::TDataSet* ds) { ds->Insert(); });
}

void TcxDBDataProvider::Append() {
  addNewRecord([](db::TDataSet* ds) { ds->Append(); });
}

void TcxDBDataProvider::PostEditingData() {
  db::TDataSet* ds = GetDataSet();
  if (FDataLink->Active() && ds != nullptr && ds->Active()) FDataLink->CallUpdateData();
}

void TcxDBDataProvider::Post(bool APostFlag) {
  if (IsUnboundColumnMode()) {
    TcxCustomDataProvider::Post(APostFlag);
    return;
  }
  db::TDataSet* ds = GetDataSet();
  if (ds == nullptr) return;
  // Smart refresh reads the posted record alone as the dataset reports the
  // post; a bracket would merge that into one reload of every record.
  std::optional<FullUpdateScope> update;
  if (!GetIsSmartRefresh()) update.emplace(*FDataController);
  if (APostFlag)
    ds->Post();
  else
    ds->CheckBrowseMode();
}

void TcxDBDataProvider::Cancel() {
  if (IsUnboundColumnMode()) {
    TcxCustomDataProvider::Cancel();
    return;
  }
  InternalCancel();
}

void TcxDBDataProvider::InternalCancel() {
  if (db::TDataSet* ds = GetDataSet()) ds->Cancel();
}

void TcxDBDataProvider::Delete() {
  db::TDataSet* ds = GetDataSet();
  TcxDBDataController* c = GetDataController();
  if (ds == nullptr || c->GetFocusedRecordIndex() == -1) return;
  const bool smartRefresh = GetIsSmartRefresh();
  if (smartRefresh) FUpdatingPrevFocusedRecordIndex = c->GetFocusedRecordIndex();
  {
    c->LockStateInfo(false);
    rtl::ScopeExit unlock([c] { c->UnlockStateInfo(false); });
    DbProviderControlsScope controls(ds);
    ds->Delete();
    FDataLink->SetPreventLayoutChanged(true);
    rtl::ScopeExit prevent([this] { FDataLink->SetPreventLayoutChanged(false); });
    if (c->NearestRecordIndex() != -1 && !c->IsGridMode()) c->TryFocusRecord(nearestRecordBeforeDelete(smartRefresh));
  }
  if (smartRefresh) smartDeleteFocused();
}

int TcxDBDataProvider::nearestRecordBeforeDelete(bool ASmartRefresh) const {
  const int nearest = FDataController->NearestRecordIndex();
  // The nearest record index already counts the focused record as gone.
  // Smart refresh drops that record from the controller only after the
  // dataset moved, so until then a later record still sits one index up.
  if (ASmartRefresh && FUpdatingPrevFocusedRecordIndex != -1 && nearest >= FUpdatingPrevFocusedRecordIndex)
    return nearest + 1;
  return nearest;
}

void TcxDBDataProvider::smartDeleteFocused() {
  TcxDBDataController* c = GetDataController();
  // Taken first: dropping the record clears the note (CorrectAfterDelete).
  const int deleted = FUpdatingPrevFocusedRecordIndex;
  c->LockStateInfo(true);
  rtl::ScopeExit unlock([c] { c->UnlockStateInfo(true); });
  // The dataset no longer holds the record; the controller drops it alone
  // instead of reading every record again.
  if (deleted >= 0 && deleted < c->GetRecordCount()) c->DeleteRecord(deleted);
  c->UpdateFocused();
}

void TcxDBDataProvider::EndDeleting() {
  TcxCustomDataController* c = FDataController;
  const int nearest = c->NearestRecordIndex();
  if (nearest != -1 && nearest < c->GetRecordCount()) c->ChangeFocusedRecordIndex(nearest);
  TcxCustomDataProvider::EndDeleting();
}

// The records' keys are taken first, since the indexes move as records
// leave; each is then found again in the dataset, from the last to the
// first, and deleted there. With smart refresh the controller's record goes
// too (a key the controller no longer holds is left alone).
void TcxDBDataProvider::deleteByKey(const std::vector<int>& AList, bool ASmart) {
  TcxDBDataController* c = GetDataController();
  db::TDataSet* ds = GetDataSet();
  const std::vector<TcxCustomDataField*> keys = c->GetKeyFields();
  std::vector<Variant> values;
  values.reserve(AList.size());
  for (int record : AList) values.push_back(c->GetInternalRecordId(record, keys));
  for (auto it = values.rbegin(); it != values.rend(); ++it) {
    if (!ds->Locate(c->KeyFieldNames(), *it)) continue;
    if (!ASmart) {
      ds->Delete();
      continue;
    }
    const int record = c->LocateRecordIndex(keys);
    if (record == -1) continue;
    ds->Delete();
    c->DeleteRecord(record);
  }
  if (ASmart) c->UpdateFocused();
}

void TcxDBDataProvider::deleteByPosition(std::vector<int> AList) {
  db::TDataSet* ds = GetDataSet();
  int count = ds->RecordCount();
  if (!AList.empty() && AList.back() == count) AList.pop_back();  // the record being appended
  if (AList.empty()) return;
  int q = AList.back();
  if (!FDataController->CanFocusRecord(q)) return;
  int correction = 0;
  for (auto it = AList.rbegin(); it != AList.rend(); ++it) {
    const int r = *it;
    ds->MoveBy(r - q + correction);
    ds->Delete();
    // Deleting the last record leaves the cursor on the new last one.
    correction = r == count - 1 ? 1 : 0;
    q = r;
    --count;
  }
}

void TcxDBDataProvider::DeleteRecords(const std::vector<int>& AList) {
  db::TDataSet* ds = GetDataSet();
  if (ds == nullptr) return;
  TcxDBDataController* c = GetDataController();
  if (GetIsSmartRefresh()) {
    // The controller keeps its other records: no reload when the controls
    // come back, the deleted ones leave it one by one.
    DbProviderControlsScope controls(ds);
    FullUpdateScope update(*c);
    c->LockStateInfo(false);
    rtl::ScopeExit unlock([c] {
      if (c->InDeleteSelection()) c->ClearSelection();
      c->UnlockStateInfo(false);
    });
    deleteByKey(AList, true);
    return;
  }
  const bool keyNavigation = IsKeyNavigation();
  c->LockStateInfo(false);
  rtl::ScopeExit unlock([c] { c->UnlockStateInfo(false); });
  {
    DbProviderControlsScope controls(ds);
    rtl::ScopeExit clear([c, keyNavigation] {
      if (!keyNavigation) c->ClearSelection();
    });
    if (keyNavigation)
      deleteByKey(AList, false);
    else
      deleteByPosition(AList);
  }
}

Variant TcxDBDataProvider::GetEditValue(int ARecordIndex, TcxCustomDataField* AField,
                                        TcxDataEditValueSource AEditValueSource) {
  db::TField* field = dbProviderFieldOf(AField);
  if (field == nullptr) {
    if (AField->IsUnbound()) return TcxCustomDataProvider::GetEditValue(ARecordIndex, AField, AEditValueSource);
    return rtl::Null();
  }
  if (AEditValueSource == evsText)
    return !field->IsNull() || field->OnGetText() ? Variant(field->Text()) : rtl::Null();
  if (AEditValueSource == evsKey && !field->KeyFields().empty()) return field->DataSet()->FieldValues(field->KeyFields());
  return GetFieldValue(field);
}

bool TcxDBDataProvider::SetEditValue(int ARecordIndex, TcxCustomDataField* AField, const Variant& AValue,
                                     TcxDataEditValueSource AEditValueSource) {
  db::TField* field = dbProviderFieldOf(AField);
  if (field == nullptr) {
    if (AField->IsUnbound()) return TcxCustomDataProvider::SetEditValue(ARecordIndex, AField, AValue, AEditValueSource);
    return true;
  }
  if ((AEditValueSource == evsText && !rtl::VarIsNull(AValue)) || field->OnSetText())
    field->SetText(rtl::VarToStr(AValue));
  else if (AEditValueSource == evsKey && !field->KeyFields().empty())
    field->DataSet()->SetFieldValues(field->KeyFields(), AValue);
  else
    SetFieldValue(field, AValue);
  return true;
}

void TcxDBDataProvider::AssignItemValue(int, TcxCustomDataField* AField, const Variant& AValue) {
  db::TField* field = dbProviderFieldOf(AField);
  if (field == nullptr) return;
  if (!field->KeyFields().empty()) {
    field->DataSet()->SetFieldValues(field->KeyFields(), AValue);
    std::vector<db::TField*> keys;
    field->DataSet()->GetFieldList(keys, field->KeyFields());
    FAssignedFields.insert(FAssignedFields.end(), keys.begin(), keys.end());
    return;
  }
  field->SetValue(AValue);
  if (std::find(FAssignedFields.begin(), FAssignedFields.end(), field) == FAssignedFields.end())
    FAssignedFields.push_back(field);
}

void TcxDBDataProvider::DoInitInsertingRecord(int AInsertingRecordIndex, const std::vector<Variant>& AGroupValues) {
  TcxDBDataController* c = GetDataController();
  if (FInInsert || FInCanInitEditing || IsOtherInsert()) {
    FAssignedFields.clear();
    TcxCustomDataProvider::DoInitInsertingRecord(AInsertingRecordIndex, AGroupValues);
    assignMasterDetailKeys();
    c->DoInitInsertingRecord(AInsertingRecordIndex);
  }
  c->UpdateEditingRecord();
}

bool TcxDBDataProvider::IsDataSetModified() const {
  db::TDataSet* ds = GetDataSet();
  if (ds == nullptr) return false;
  bool modified = ds->Modified();
  if (modified && !FAssignedFields.empty()) {
    // A new record holding only what the system gave it is not modified.
    modified = false;
    for (int i = 0; i < ds->Fields()->Count() && !modified; ++i) {
      db::TField* field = ds->Fields()->Fields(i);
      if (std::find(FAssignedFields.begin(), FAssignedFields.end(), field) != FAssignedFields.end()) continue;
      modified = !rtl::VarIsNull(GetFieldValue(field));
    }
  }
  return modified;
}

bool TcxDBDataProvider::IsModified() const { return TcxCustomDataProvider::IsModified() || IsDataSetModified(); }

}  // namespace data
